#include "RequestHarness.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace zyl::harness {

namespace {

void SetOrUnset(const char* name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name);
  } else {
    ::setenv(name, value.c_str(), 1);
  }
}

}  // namespace

ConsoleRequest::ConsoleRequest(const std::string& method, const std::string& body,
                               const std::string& query, const std::string& script,
                               const std::string& length) {
  SetOrUnset("REQUEST_METHOD", method);
  SetOrUnset("CONTENT_LENGTH", length.empty() ? std::to_string(body.size()) : length);
  SetOrUnset("QUERY_STRING", query);
  SetOrUnset("SCRIPT_NAME", script);
  savedStdin_ = ::dup(0);
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("console request: no pipe");
  if (::write(fds[1], body.data(), body.size()) != static_cast<ssize_t>(body.size())) {
    throw std::runtime_error("console request: body does not fit the pipe");
  }
  ::close(fds[1]);
  ::dup2(fds[0], 0);
  ::close(fds[0]);
}

ConsoleRequest::~ConsoleRequest() {
  ::dup2(savedStdin_, 0);
  ::close(savedStdin_);
  for (const char* name : {"REQUEST_METHOD", "CONTENT_LENGTH", "QUERY_STRING", "SCRIPT_NAME"}) {
    ::unsetenv(name);
  }
}

Components::Components() : css_(std::make_unique<TZylCSS>(nullptr)) {}

TZylHTMLGrid& Components::AddGrid(const std::string& name) {
  auto grid = std::make_unique<TZylHTMLGrid>(nullptr);
  grid->SetName(name);
  grid->SetCSS(css_.get());
  grid->Loaded();
  grids_.push_back(std::move(grid));
  return *grids_.back();
}

TZylHTMLGrid& Components::Grid(const std::string& name) {
  for (auto& grid : grids_) {
    if (grid->GetName() == name) return *grid;
  }
  throw std::out_of_range("no grid named '" + name + "'");
}

const Form& Response::GetForm(const std::string& name, int occurrence) const {
  for (const Form& form : forms) {
    if (form.name == name && occurrence-- == 0) return form;
  }
  throw std::runtime_error("the page has no form '" + name + "'");
}

Site::Site(Program program, TModuleType kind) : program_(std::move(program)), kind_(kind) {}

Response Site::Click(const Response& page, const std::string& formName, const std::string& button,
                     const std::function<void(Form&)>& fill) const {
  Form form = page.GetForm(formName);
  if (fill) fill(form);
  return Submit(form, button);
}

Response Site::Submit(const Form& form, const std::string& button) const {
  Request request;
  request.method = form.method.empty() ? "GET" : form.method;
  request.action = form.action;
  request.body = UrlEncode(form.Submission(button));
  return Send(request);
}

Response Site::Send(const Request& request) const {
  std::string target = request.action.substr(0, request.action.find('#'));
  std::size_t mark = target.find('?');
  std::string query = mark == std::string::npos ? std::string() : target.substr(mark + 1);

  Response response;
  response.components = std::make_unique<Components>();
  Components& page = *response.components;
  TZylCSS& css = page.Css();
  css.SetModuleType(kind_);
  css.SetModuleFileName(moduleFileName_);

  std::unique_ptr<ConsoleRequest> console;
  if (kind_ == TModuleType::Console) {
    console = std::make_unique<ConsoleRequest>(request.method, request.body,
                                               request.method == "GET" ? query : "", scriptName_);
  } else {
    WebModuleChannel& channel = page.Channel();
    channel.SetVariable("REQUEST_METHOD", request.method);
    channel.SetVariable("QUERY_STRING", request.method == "GET" ? query : "");
    channel.SetVariable("CONTENT_LENGTH", std::to_string(request.body.size()));
    channel.SetBody(request.body);
    css.SetRequestChannel(&channel);
  }

  program_(page);
  for (auto& grid : page.Grids()) {
    // In a POST the program passes the URL's query on itself.
    if (request.method == "POST") grid->SetQueryString(query);
    response.actions[grid->GetName()] = grid->ProcessParameters();
  }
  for (auto& grid : page.Grids()) {
    if (!grid->DoDefaultAction(response.actions[grid->GetName()])) {
      response.pageProduced = false;
      return response;
    }
  }
  // A detail grid's page is part of its master's.
  for (auto& grid : page.Grids()) {
    if (grid->GetMasterGrid() == nullptr) response.html += grid->GetHTML().GetText();
  }
  for (auto& grid : page.Grids()) response.done[grid->GetName()] = grid->Done();
  response.forms = ScanForms(response.html);
  return response;
}

}  // namespace zyl::harness
