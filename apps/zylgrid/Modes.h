// The command line of both zylgrid programs: `zylgrid` (CGI, FastCGI and
// help; links no HTTP library) and `zylgrid-serve` (the HTTP modes, serve
// and demo). `zylgrid serve|demo` hands over to `zylgrid-serve`.
#pragma once

#include <functional>
#include <string>

#include "apps/zylgrid/Options.h"

namespace zylgrid {

// Runs `serve` or `demo` for the parsed options; returns the exit status.
using HttpModes = std::function<int(const Options& options)>;

// Parses the arguments (argv[0] is the program) and runs the mode: help,
// CGI, FastCGI here, serve and demo through `http`. `program` is the
// running program's file: the default site configuration is named after it
// and the installed image set is found beside it. Usage errors exit with 2
// after the usage text, configuration errors with 2, other errors with 1.
int RunProgram(int argc, char** argv, const std::string& program, const HttpModes& http);

}  // namespace zylgrid
