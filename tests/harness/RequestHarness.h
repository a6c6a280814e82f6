// Runs whole requests against a grid program without a web server, and
// clicks what the previous page rendered.
//
// A Site stands for one web program. For every request it makes the page's
// components afresh (as a CGI process does), lets the program link grids
// to their data, then drives each grid as a host does: ProcessParameters,
// DoDefaultAction, the page's HTML, Done. The Response keeps the components
// alive for a test to look at, and holds the page's forms to post again.
// Host kinds: WebModule (the default) hands the request over through a
// WebModuleChannel and needs no process state, so requests may run on
// several threads at once. Console passes it through the environment and
// standard input, like a web server starting a CGI program; not concurrent.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HtmlForms.h"
#include "grid/ZylHTMLGrid.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

namespace zyl::harness {

// The CGI variables (REQUEST_METHOD, CONTENT_LENGTH: `length` or the body's
// size, QUERY_STRING, SCRIPT_NAME; empty ones unset) and standard input of
// one console request, put back when the object goes. The body must fit a
// pipe's buffer.
class ConsoleRequest {
 public:
  ConsoleRequest(const std::string& method, const std::string& body, const std::string& query = "",
                 const std::string& script = "", const std::string& length = "");
  ~ConsoleRequest();
  ConsoleRequest(const ConsoleRequest&) = delete;
  ConsoleRequest& operator=(const ConsoleRequest&) = delete;

 private:
  int savedStdin_ = -1;
};

// The components of one request.
class Components {
 public:
  TZylCSS& Css() { return css_; }
  // The web-module request's values and, after a download, its answer.
  WebModuleChannel& Channel() { return channel_; }
  // A new grid linked to the page's TZylCSS and Loaded(); grids take part
  // in the request in the order they were added.
  TZylHTMLGrid& AddGrid(const std::string& name);
  // Throws std::out_of_range for an unknown name.
  TZylHTMLGrid& Grid(const std::string& name);
  const std::vector<std::unique_ptr<TZylHTMLGrid>>& Grids() const { return grids_; }
  // Keeps another component (a dataset the program opened) for the request.
  template <class T>
  T& Keep(std::unique_ptr<T> component) {
    kept_.push_back(std::move(component));
    return static_cast<T&>(*kept_.back());
  }

 private:
  WebModuleChannel channel_;
  std::vector<std::unique_ptr<TComponent>> kept_;
  TZylCSS css_{nullptr};
  std::vector<std::unique_ptr<TZylHTMLGrid>> grids_;
};

struct Request {
  std::string method = "GET";
  std::string action;  // the form's ACTION: script name, query after "?", "#" anchor
  std::string body;    // URL-encoded fields of a POST
};

struct Response {
  bool pageProduced = true;
  std::string html;
  std::vector<Form> forms;
  std::map<std::string, TGridAction> actions;  // by grid name
  std::map<std::string, bool> done;            // Done's result by grid name
  std::unique_ptr<Components> components;

  // The `occurrence`-th form named `name` (toolbar forms of several grids
  // share names). Throws std::runtime_error when there is none.
  const Form& GetForm(const std::string& name, int occurrence = 0) const;
  TZylHTMLGrid& Grid(const std::string& name) const { return components->Grid(name); }
  const std::string& ErrorText() const { return components->Css().GetErrorText(); }
};

class Site {
 public:
  // Links the grids of a fresh request to their data and settings.
  using Program = std::function<void(Components&)>;

  explicit Site(Program program, TModuleType kind = TModuleType::WebModule)
      : program_(std::move(program)), kind_(kind) {}

  // The first visit: a GET without query.
  Response Open() const { return Send(Request{}); }
  // Posts form `formName` of `page` as a browser does when `button` is
  // clicked, after `fill` has changed the form's controls.
  Response Click(const Response& page, const std::string& formName, const std::string& button,
                 const std::function<void(Form&)>& fill = {}) const;
  Response Send(const Request& request) const;

 private:
  Program program_;
  TModuleType kind_;
};

}  // namespace zyl::harness
