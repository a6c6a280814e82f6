// The grid operations that keep the update locks: CanUpdate, Done,
// CleanupEdits, in the store the grid's TZylCSS names; and fresh temporary
// file names.
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "platform/System.h"
#include "request/UpdateLockStore.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// The prefix of this program's lock names.
std::string LockPrefix(const TZylCSS& css) {
  return ExtractFileName(css.GetModuleFileName());
}

}  // namespace

bool IsUpdateLockKey(const std::string& prefix, const std::string& guid) {
  return IsGuidString(guid) && prefix.find('/') == std::string::npos;
}

bool TZylHTMLGrid::CanUpdate() {
  if (css_ == nullptr || !GetEditMode()) return false;
  std::string prefix = LockPrefix(*css_);
  // A lock older than the age limit counts as gone: the page is stale.
  bool valid = IsUpdateLockKey(prefix, guid_) &&
               css_->GetUpdateLockStore().IsValid(prefix, guid_, css_->GetMaxLockAge());
  if (!valid && masterGrid_ == nullptr) css_->SetErrorText(textUpdateError_);
  return valid;
}

bool TZylHTMLGrid::Done() {
  if (css_ == nullptr || !GetEditMode()) return false;
  std::string prefix = LockPrefix(*css_);
  if (!IsUpdateLockKey(prefix, guid_)) return false;  // no page identity of the library's form
  UpdateLockStore& store = css_->GetUpdateLockStore();
  store.DeleteOlderThan(prefix, css_->GetMaxLockAge());
  store.Write(prefix, guid_);
  return true;
}

void TZylHTMLGrid::CleanupEdits() {
  if (css_ == nullptr || !GetEditMode()) return;
  css_->GetUpdateLockStore().DeleteAll(LockPrefix(*css_));
}

std::string TZylHTMLGrid::GetTempFileName() {
  return CreateUniqueTempFile(TempDirectory(), "");
}

}  // namespace zyl
