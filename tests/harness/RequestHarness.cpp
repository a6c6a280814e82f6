#include "RequestHarness.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace zyl::harness {

namespace {
const char* const kCgiVariables[] = {"REQUEST_METHOD", "CONTENT_LENGTH", "QUERY_STRING", "SCRIPT_NAME"};
}  // namespace

ConsoleRequest::ConsoleRequest(const std::string& method, const std::string& body, const std::string& query,
                               const std::string& script, const std::string& length) {
  const std::string values[] = {method, length.empty() ? std::to_string(body.size()) : length, query, script};
  for (int i = 0; i < 4; ++i) {
    values[i].empty() ? ::unsetenv(kCgiVariables[i]) : ::setenv(kCgiVariables[i], values[i].c_str(), 1);
  }
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
  for (const char* name : kCgiVariables) ::unsetenv(name);
}

TZylHTMLGrid& Components::AddGrid(const std::string& name) {
  grids_.push_back(std::make_unique<TZylHTMLGrid>(nullptr));
  grids_.back()->SetName(name);
  grids_.back()->SetCSS(&css_);
  grids_.back()->Loaded();
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

Response Site::Click(const Response& page, const std::string& formName, const std::string& button,
                     const std::function<void(Form&)>& fill) const {
  Form form = page.GetForm(formName);
  if (fill) fill(form);
  return Send({form.method.empty() ? "GET" : form.method, form.action, UrlEncode(form.Submission(button))});
}

Response Site::Send(const Request& request) const {
  std::string target = request.action.substr(0, request.action.find('#'));
  std::size_t mark = target.find('?');
  std::string query = mark == std::string::npos ? std::string() : target.substr(mark + 1);
  const bool post = request.method == "POST";

  Response response;
  response.components = std::make_unique<Components>();
  Components& page = *response.components;
  page.Css().SetModuleType(kind_);
  page.Css().SetModuleFileName("/srv/cgi-bin/grid.cgi");
  std::unique_ptr<ConsoleRequest> console;
  if (kind_ == TModuleType::Console) {
    console = std::make_unique<ConsoleRequest>(request.method, request.body, post ? "" : query, "/cgi-bin/grid.cgi");
  } else {
    page.Channel().SetVariable("REQUEST_METHOD", request.method);
    page.Channel().SetVariable("QUERY_STRING", post ? "" : query);
    page.Channel().SetVariable("CONTENT_LENGTH", std::to_string(request.body.size()));
    page.Channel().SetBody(request.body);
    page.Css().SetRequestChannel(&page.Channel());
  }

  program_(page);
  for (auto& grid : page.Grids()) {
    if (post) grid->SetQueryString(query);  // in a POST the program passes the URL's query on itself
    response.actions[grid->GetName()] = grid->ProcessParameters();
  }
  for (auto& grid : page.Grids()) {
    if (!(response.pageProduced = grid->DoDefaultAction(response.actions[grid->GetName()]))) return response;
  }
  for (auto& grid : page.Grids()) {  // a detail grid's page is part of its master's
    if (grid->GetMasterGrid() == nullptr) response.html += grid->GetHTML().GetText();
  }
  for (auto& grid : page.Grids()) response.done[grid->GetName()] = grid->Done();
  response.forms = ScanForms(response.html);
  return response;
}

}  // namespace zyl::harness
