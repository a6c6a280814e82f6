// The request channel: what the library needs from the host of one request
// and hands back to it. The request's variables (the CGI set:
// REQUEST_METHOD, QUERY_STRING, CONTENT_LENGTH, SCRIPT_NAME, SERVER_NAME),
// its posted fields, and the two kinds of answer, a page and a download.
//
// The library brings one channel per host kind (TModuleType), which
// TZylCSS uses unless the host sets its own (TZylCSS::SetRequestChannel):
// - ConsoleChannel: a CGI program; the process environment, standard
//   input and standard output.
// - AspChannel: an ASP page's Request and Response automation objects.
// - WebModuleChannel: the values a host sets; answers are kept for the
//   host to send.
// A host with a server of its own (zylgrid's HTTP and FastCGI modes)
// implements the interface over its server's request and response, for
// instance by setting a WebModuleChannel's values and sending its answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Variant.h"
#include "request/FormProtocol.h"

namespace zyl {

class TStream;

class RequestChannel {
 public:
  virtual ~RequestChannel() = default;

  // One request variable; empty when the host has none of that name.
  virtual std::string GetVariable(const std::string& name) const = 0;
  // The posted fields of a POST whose CONTENT_LENGTH announced `length`
  // bytes (above 0), in posting order. A body announced longer than
  // `maxSize` bytes is not read: the request then has no fields. With a
  // `maxFields` above 0 the fields beyond that many are dropped unparsed.
  // Errors reading the body pass on.
  virtual form::FormFields ReadFields(std::int64_t length, std::size_t maxSize,
                                      std::size_t maxFields) = 0;
  // Answers with a page (or another text that is no download) with its
  // HTTP status and content type.
  virtual void SendPage(int status, const std::string& contentType, std::string body) = 0;
  // Answers with the whole content of `content` (from position 0) as an
  // attachment named `fileName`. Both texts are free of CR, LF and double
  // quotes.
  virtual void SendDownload(const std::string& contentType, const std::string& fileName,
                            TStream& content) = 0;

  // Headers of this request's answer that a host adds ("Set-Cookie", a
  // policy): each channel writes them after its own headers. None by
  // default.
  void AddAnswerHeader(std::string name, std::string value) {
    answerHeaders_.emplace_back(std::move(name), std::move(value));
  }
  const std::vector<std::pair<std::string, std::string>>& GetAnswerHeaders() const {
    return answerHeaders_;
  }

 protected:
  // The answer headers as CGI header lines ("Name: value" CR LF each).
  std::string AnswerHeaderText() const;

 private:
  std::vector<std::pair<std::string, std::string>> answerHeaders_;
};

// "<status> <reason>" for a status line ("500 Internal Server Error").
std::string StatusLine(int status);

// The file name parameters of a download's Content-Disposition for
// `fileName` (free of CR, LF and double quotes): 'filename="<name>"' for a
// name of ASCII bytes; else 'filename="<fallback>"; filename*=UTF-8''<name>'
// (RFC 6266), the fallback with "_" for each non-ASCII character and the
// name percent-encoded. Every channel writes the name through this.
std::string DispositionFileName(const std::string& fileName);

// A CGI program's request: variables from the process environment, the
// body from standard input (exactly the announced bytes), answers to
// standard output or to the stream set here.
class ConsoleChannel : public RequestChannel {
 public:
  // `output` (not owned; it must outlive the channel's use) takes the
  // answers; null: standard output.
  explicit ConsoleChannel(TStream* output = nullptr) : output_(output) {}
  void SetOutput(TStream* output) { output_ = output; }
  // Header lines ("Name: value" CR LF each) written after the content type
  // of every answer; a host's own policy, none by default.
  void SetExtraHeaders(std::string lines) { extraHeaders_ = std::move(lines); }

  std::string GetVariable(const std::string& name) const override;
  // Raises EInOutError when standard input ends before `length` bytes.
  form::FormFields ReadFields(std::int64_t length, std::size_t maxSize,
                              std::size_t maxFields) override;
  // A "Status: " line unless the status is 200, "Content-Type: ", the extra
  // header lines, the answer headers, an empty line, the body.
  void SendPage(int status, const std::string& contentType, std::string body) override;
  // "Content-type: <type>" CR LF "Content-disposition: attachment;" and the
  // name's DispositionFileName CR LF, the extra header lines and the answer
  // headers, CR LF, then
  // the content in blocks of at most 10001 bytes.
  void SendDownload(const std::string& contentType, const std::string& fileName,
                    TStream& content) override;

 private:
  TStream* output_;
  std::string extraHeaders_;
};

// An ASP page's request: variables through Request.ServerVariables, fields
// from the Request.Form collection (values as the object delivers them,
// not decoded), answers through the Response object. Without the objects
// (Null or Empty) variables are empty, there are no fields and nothing is
// sent.
class AspChannel : public RequestChannel {
 public:
  void SetObjects(const TVariant& request, const TVariant& response) {
    request_ = request;
    response_ = response;
  }

  std::string GetVariable(const std::string& name) const override;
  form::FormFields ReadFields(std::int64_t length, std::size_t maxSize,
                              std::size_t maxFields) override;
  // Response.Status (only when not 200), Response.ContentType, then
  // Response.BinaryWrite of the page's bytes.
  void SendPage(int status, const std::string& contentType, std::string body) override;
  // Response.Clear, ContentType, AddHeader("content-disposition",
  // "attachment;" + DispositionFileName(name)), BinaryWrite of the bytes, End.
  void SendDownload(const std::string& contentType, const std::string& fileName,
                    TStream& content) override;

 private:
  TVariant request_ = TVariant::Null();
  TVariant response_ = TVariant::Null();
};

// A request whose values the host sets: variables and the URL-encoded body
// are set here, and unset variables read as empty text. SendPage and
// SendDownload keep the answer (GetAnswer) for the host to send and write
// nothing; a host that sends it at once overrides them.
class WebModuleChannel : public RequestChannel {
 public:
  struct Answer {
    bool sent = false;
    int status = 200;
    std::string contentType;
    std::string fileName;  // set for a download
    std::string body;
  };

  void SetVariable(const std::string& name, std::string value) {
    variables_[name] = std::move(value);
  }
  // The raw POST body (application/x-www-form-urlencoded); ReadFields
  // releases it once parsed.
  void SetBody(std::string body) { body_ = std::move(body); }
  const Answer& GetAnswer() const { return answer_; }

  std::string GetVariable(const std::string& name) const override;
  form::FormFields ReadFields(std::int64_t length, std::size_t maxSize,
                              std::size_t maxFields) override;
  void SendPage(int status, const std::string& contentType, std::string body) override;
  void SendDownload(const std::string& contentType, const std::string& fileName,
                    TStream& content) override;

 private:
  std::map<std::string, std::string> variables_;
  std::string body_;
  Answer answer_;
};

}  // namespace zyl
