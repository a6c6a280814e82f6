// zylgrid: the host program of the ZylHG grids. See Options.cpp for the
// modes. This program answers CGI and FastCGI requests and links no HTTP
// library; `serve` and `demo` run in zylgrid-serve (serve_main.cpp).
#include "apps/zylgrid/Modes.h"
#include "apps/zylgrid/Process.h"
#include "platform/System.h"

int main(int argc, char** argv) {
  const std::string program = zyl::ModuleFileName();
  return zylgrid::RunProgram(argc, argv, program, [&](const zylgrid::Options&) {
    return zylgrid::ExecServeProgram(program, argv);
  });
}
