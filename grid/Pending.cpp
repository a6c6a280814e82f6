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

bool TZylHTMLGrid::SortDataset(int, TSortOrder) { NotBuilt("sorting a dataset"); }

bool TZylHTMLGrid::LoadFromFile(const std::string& fileName) {
  if (OnBeforeReadData) OnBeforeReadData(this);
  if (!FileExists(fileName)) return false;
  NotBuilt("reading text files");
}

}  // namespace zyl
