// Whole requests against a grid program without a web server. A Site makes
// the page's components afresh for every request (as a CGI process does),
// lets the program link its grids, then drives each grid as a host does:
// ProcessParameters, DoDefaultAction, page HTML, Done. WebModule hosts (the
// default) may run requests on several threads; Console ones may not.
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

// The CGI variables (empty ones unset; CONTENT_LENGTH the body's size unless
// given) and standard input of one console request, for the object's life.
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

class Components {
 public:
  TZylCSS& Css() { return css_; }
  WebModuleChannel& Channel() { return channel_; }
  // Linked to Css() and Loaded(); grids act in the order they were added.
  TZylHTMLGrid& AddGrid(const std::string& name);
  TZylHTMLGrid& Grid(const std::string& name);  // throws std::out_of_range
  const std::vector<std::unique_ptr<TZylHTMLGrid>>& Grids() const { return grids_; }
  template <class T>  // keeps a component (a dataset) for the request
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

  // The `occurrence`-th form named `name`; throws std::runtime_error.
  const Form& GetForm(const std::string& name, int occurrence = 0) const;
  TZylHTMLGrid& Grid(const std::string& name) const { return components->Grid(name); }
  const std::string& ErrorText() const { return components->Css().GetErrorText(); }
};

class Site {
 public:
  using Program = std::function<void(Components&)>;

  explicit Site(Program program, TModuleType kind = TModuleType::WebModule)
      : program_(std::move(program)), kind_(kind) {}

  Response Open() const { return Send(Request{}); }  // a GET without query
  // Posts form `formName` of `page` as a browser does on a click of
  // `button`, after `fill` has changed the form's controls.
  Response Click(const Response& page, const std::string& formName, const std::string& button,
                 const std::function<void(Form&)>& fill = {}) const;
  Response Send(const Request& request) const;

 private:
  Program program_;
  TModuleType kind_;
};

}  // namespace zyl::harness
