// Members whose subsystems are not built into the library yet. Each raises
// ENotImplemented; they move to their subsystem folders as those are built.
#include "grid/ZylHTMLGrid.h"
#include "platform/System.h"

namespace zyl {

namespace {
[[noreturn]] void NotBuilt(const char* what) {
  throw ENotImplemented(std::string("TZylHTMLGrid: ") + what + " is not implemented yet");
}
}  // namespace

TZylCSS* TZylHTMLGrid::GetCSS() {
  if (css_ == nullptr) return nullptr;
  NotBuilt("building the page");
}

}  // namespace zyl
