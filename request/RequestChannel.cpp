// The library's request channels: CGI (console), ASP and web module.
#include "request/RequestChannel.h"

#include <memory>
#include <vector>

#include "platform/Automation.h"
#include "platform/Exception.h"
#include "platform/Stream.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace zyl {

namespace {

// The whole stream from its start, as the bytes of one byte array.
std::vector<std::uint8_t> AllBytes(TStream& content) {
  content.SetPosition(0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(content.GetSize()));
  if (!bytes.empty()) content.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

std::string StatusLine(int status) {
  const char* reason = "";
  switch (status) {
    case 200:
      reason = "OK";
      break;
    case 400:
      reason = "Bad Request";
      break;
    case 404:
      reason = "Not Found";
      break;
    case 405:
      reason = "Method Not Allowed";
      break;
    case 413:
      reason = "Payload Too Large";
      break;
    case 500:
      reason = "Internal Server Error";
      break;
    default:
      break;
  }
  std::string line = std::to_string(status);
  if (*reason != '\0') line += std::string(" ") + reason;
  return line;
}

std::string DispositionFileName(const std::string& fileName) {
  std::string fallback = "filename=\"";
  bool ascii = true;
  for (unsigned char c : fileName) {
    if (c >= 0x80) {
      ascii = false;
      if ((c & 0xC0) != 0x80) fallback += '_';  // a character's first byte
    } else {
      fallback += static_cast<char>(c);
    }
  }
  fallback += '"';
  if (ascii) return fallback;
  // RFC 5987's attr-char as it is, every other byte as %XX.
  fallback += "; filename*=UTF-8''";
  AppendPercentEncoded(fallback, fileName, "!#$&+-.^_`|~");
  return fallback;
}

std::string RequestChannel::AnswerHeaderText() const {
  std::string lines;
  for (const auto& [name, value] : answerHeaders_) lines += name + ": " + value + "\r\n";
  return lines;
}

// ---- Console ---------------------------------------------------------------------

std::string ConsoleChannel::GetVariable(const std::string& name) const {
  std::string value;
  return GetEnvVar(name, value) ? value : std::string();
}

form::FormFields ConsoleChannel::ReadFields(std::int64_t length, std::size_t maxSize,
                                            std::size_t maxFields) {
  if (length <= 0 || static_cast<std::uint64_t>(length) > maxSize) return {};
  std::string body(static_cast<std::size_t>(length), '\0');
  TStdStream in(TStdStream::Which::Input);
  std::size_t got = 0;
  while (got < body.size()) {
    std::size_t n = in.Read(body.data() + got, body.size() - got);
    if (n == 0) throw EInOutError("Read beyond end of file");
    got += n;
  }
  return form::ParseUrlEncoded(body, maxFields);
}

void ConsoleChannel::SendPage(int status, const std::string& contentType, std::string body) {
  TStdStream stdOut(TStdStream::Which::Output);
  TStream& out = output_ != nullptr ? *output_ : stdOut;
  std::string header;
  if (status != 200) header = "Status: " + StatusLine(status) + "\r\n";
  header += "Content-Type: " + contentType + "\r\n" + extraHeaders_ + AnswerHeaderText() + "\r\n";
  out.Write(header);
  out.Write(body);
}

void ConsoleChannel::SendDownload(const std::string& contentType, const std::string& fileName,
                                  TStream& content) {
  TStdStream stdOut(TStdStream::Which::Output);
  TStream& out = output_ != nullptr ? *output_ : stdOut;
  out.Write("Content-type: " + contentType + "\r\n" + "Content-disposition: attachment;" +
            DispositionFileName(fileName) + "\r\n" + extraHeaders_ + AnswerHeaderText() + "\r\n");
  content.SetPosition(0);
  std::vector<std::uint8_t> buffer(10001);
  for (;;) {
    std::size_t n = content.Read(buffer.data(), buffer.size());
    if (n == 0) break;
    out.Write(buffer.data(), n);
  }
}

// ---- ASP ---------------------------------------------------------------------------

std::string AspChannel::GetVariable(const std::string& name) const {
  if (request_.IsNullOrEmpty()) return std::string();
  return request_.ToObject()->Call("ServerVariables", {TVariant(name)}).ToString();
}

form::FormFields AspChannel::ReadFields(std::int64_t /*length*/, std::size_t /*maxSize*/,
                                        std::size_t maxFields) {
  form::FormFields fields;
  if (request_.IsNullOrEmpty()) return fields;
  std::shared_ptr<IAutoObject> request = request_.ToObject();
  std::shared_ptr<IAutoObject> form = request->Call("Form").ToObject();
  std::int64_t n = form->Get("Count").ToInt64();
  for (std::int64_t i = 1; i <= n; ++i) {
    std::shared_ptr<IAutoObject> item = request->Get("Form", {TVariant(i)}).ToObject();
    std::string key = form->Get("Key", {TVariant(i)}).ToString();
    std::int64_t m = item->Get("Count").ToInt64();
    for (std::int64_t j = 1; j <= m; ++j) {
      if (maxFields != 0 && fields.size() >= maxFields) return fields;
      fields.push_back(form::FormField{key, item->Get("Item", {TVariant(j)}).ToString()});
    }
  }
  return fields;
}

void AspChannel::SendPage(int status, const std::string& contentType, std::string body) {
  if (response_.IsNullOrEmpty()) return;
  std::shared_ptr<IAutoObject> r = response_.ToObject();
  if (status != 200) r->Put("Status", TVariant(StatusLine(status)));
  r->Put("ContentType", TVariant(contentType));
  for (const auto& [name, value] : GetAnswerHeaders()) {
    r->Call("AddHeader", {TVariant(name), TVariant(value)});
  }
  r->Call("BinaryWrite", {TVariant(std::vector<std::uint8_t>(body.begin(), body.end()))});
}

void AspChannel::SendDownload(const std::string& contentType, const std::string& fileName,
                              TStream& content) {
  if (response_.IsNullOrEmpty()) return;
  std::shared_ptr<IAutoObject> r = response_.ToObject();
  std::vector<std::uint8_t> bytes = AllBytes(content);
  r->Call("Clear");
  r->Put("ContentType", TVariant(contentType));
  r->Call("AddHeader", {TVariant("content-disposition"),
                        TVariant("attachment;" + DispositionFileName(fileName))});
  r->Call("BinaryWrite", {TVariant(std::move(bytes))});
  r->Call("End");
}

// ---- Web module --------------------------------------------------------------------

std::string WebModuleChannel::GetVariable(const std::string& name) const {
  auto it = variables_.find(name);
  return it == variables_.end() ? std::string() : it->second;
}

form::FormFields WebModuleChannel::ReadFields(std::int64_t /*length*/, std::size_t maxSize,
                                              std::size_t maxFields) {
  std::string body = std::move(body_);
  body_.clear();
  if (body.size() > maxSize) return {};
  return form::ParseUrlEncoded(body, maxFields);
}

void WebModuleChannel::SendPage(int status, const std::string& contentType, std::string body) {
  answer_ = Answer{true, status, contentType, std::string(), std::move(body)};
}

void WebModuleChannel::SendDownload(const std::string& contentType, const std::string& fileName,
                                    TStream& content) {
  std::vector<std::uint8_t> bytes = AllBytes(content);
  answer_ = Answer{true, 200, contentType, fileName, std::string(bytes.begin(), bytes.end())};
}

}  // namespace zyl
