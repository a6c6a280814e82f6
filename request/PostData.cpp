// Reading the posted fields from the host, once per page.
#include <memory>
#include <vector>

#include "export/ZylHTMLExport.h"
#include "platform/Automation.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/Stream.h"
#include "request/ZylCSS.h"

namespace zyl {

TStringList& TZylCSS::GetPostData() {
  if (!postDataRead_) {
    ProcessPostData();
    postDataRead_ = true;
  }
  return postData_;
}

void TZylCSS::ProcessPostData() {
  // A web-module host sets the fields itself; they are kept.
  if (moduleType_ == TModuleType::WebModule) return;
  postData_.Clear();
  if (AnsiUpperCase(GetEnvironmentVariable("REQUEST_METHOD")) != "POST") return;
  std::int64_t length = 0;
  if (!TryStrToInt64(GetEnvironmentVariable("CONTENT_LENGTH"), length)) length = 0;
  if (length <= 0) return;
  switch (moduleType_) {
    case TModuleType::WebModule:
      return;
    case TModuleType::ASP: {
      if (aspRequest_.IsNullOrEmpty()) return;
      std::shared_ptr<IAutoObject> request = aspRequest_.ToObject();
      std::shared_ptr<IAutoObject> form = request->Call("Form").ToObject();
      std::int64_t n = form->Get("Count").ToInt64();
      for (std::int64_t i = 1; i <= n; ++i) {
        std::shared_ptr<IAutoObject> item = request->Get("Form", {TVariant(i)}).ToObject();
        std::string key = form->Get("Key", {TVariant(i)}).ToString();
        std::int64_t m = item->Get("Count").ToInt64();
        for (std::int64_t j = 1; j <= m; ++j) {
          postData_.Add(key + "=" + item->Get("Item", {TVariant(j)}).ToString());
        }
      }
      return;
    }
    case TModuleType::Console: {
      // A body above the limit is not read: the request then has no fields.
      if (static_cast<std::uint64_t>(length) > maxPostSize_) return;
      std::string body(static_cast<std::size_t>(length), '\0');
      TStdStream in(TStdStream::Which::Input);
      std::size_t got = 0;
      while (got < body.size()) {
        std::size_t n = in.Read(body.data() + got, body.size() - got);
        if (n == 0) throw EInOutError("Read beyond end of file");
        got += n;
      }
      postData_.SetText(WWWDecode(StringReplace(body, "&", "\r", {TReplaceFlag::rfReplaceAll})));
      return;
    }
  }
}

}  // namespace zyl
