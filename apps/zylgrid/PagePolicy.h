// What zylgrid adds to the library's request guards: the browser's own
// cookie, the check that a post comes from the site's own pages, and the
// content security policy of a page.
//
// The cookie "zylgrid_af" (random, HttpOnly, SameSite=Strict) is the
// browser key to which the library binds the page GUIDs it issues
// (TZylCSS::SetSignGUIDs), so a GUID is also the page's anti-forgery
// token: another site can neither read it nor make the browser send the
// cookie along with its own post.
#pragma once

#include <string>

namespace zyl {
class RequestChannel;
}

namespace zylgrid {

inline constexpr const char* kBrowserCookie = "zylgrid_af";

// The browser key of the request: the value of its zylgrid_af cookie when it
// has a well-formed one; otherwise a fresh one, which the answer sets
// (Set-Cookie added to the channel's answer headers; "Secure" when the
// request came over HTTPS).
std::string BrowserKey(zyl::RequestChannel& channel);

// True when the request comes from another site: a Sec-Fetch-Site header
// other than "same-origin" and "none", or an Origin header whose host is not
// the request's Host. A request that carries neither is not (older clients
// and scripts; the token still guards it).
bool IsCrossSite(const zyl::RequestChannel& channel);

// The Content-Security-Policy of `page`: its inline scripts and event
// handler attributes allowed by their SHA-256 hashes and nothing else,
// no plugins, no <base>, forms posting only to the site, never framed.
std::string ContentPolicy(const std::string& page);

}  // namespace zylgrid
