// Page GUIDs issued by the server. A page's GUID names its update lock and
// travels in every form of the page; when the host asks for issued GUIDs
// (TZylCSS::SetSignGUIDs) the server makes each one and signs it, so that
// a GUID a visitor or another site made up is recognised and ignored.
//
// Form: the GUID's 8-4-4-4-12 hex form, unchanged. Its first 16 hex digits
// are random (the version digit "4" among them); its last 16 are the first
// 8 bytes of HMAC-SHA256 under the site's secret of those 16 digits and of
// the browser key (the value of a cookie the host gives each browser), the
// top two bits set to the RFC 4122 variant. A GUID issued to one browser
// therefore does not pass for another: the GUID is also the page's
// anti-forgery token.
#pragma once

#include <string>
#include <string_view>

namespace zyl::form {

// A fresh GUID signed for `browserKey` (may be empty) under `secret`.
std::string IssueGuid(std::string_view secret, std::string_view browserKey);
// True when `guid` is of the GUID form (either letter case) and carries the
// signature IssueGuid gives it for this secret and browser key.
bool IsIssuedGuid(std::string_view secret, std::string_view browserKey, std::string_view guid);

}  // namespace zyl::form
