// The CGI mode: one request per process through the library's console
// channel (the environment and standard input); the page or the download
// goes to standard output.
#pragma once

#include <string>

namespace zylgrid {

// Answers the request; a configuration that cannot be loaded gives a 500
// page and its reason on standard error. Returns the exit status.
int RunCgi(const std::string& configFile, const std::string& executable);

}  // namespace zylgrid
