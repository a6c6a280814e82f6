// The current record: RecNo and the dataset cursor.
#include "grid/ZylHTMLGrid.h"

namespace zyl {

void TZylHTMLGrid::SetRecNo(int recNo) {
  recNo_ = recNo;
  if (dataset_ == nullptr || !dataset_->GetActive()) return;
  int n = dataset_->RecordCount();
  if (recNo_ > n - 1) recNo_ = n - 1;
  if (recNo_ < 0) recNo_ = 0;
  if (n > 0) {
    dataset_->First();
    dataset_->MoveBy(recNo_);
  }
}

void TZylHTMLGrid::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
  if (fileName.empty()) return;
  if (dataset_ != nullptr) {
    RemoveFreeNotification(dataset_);
    dataset_ = nullptr;
  }
  LoadFromFile(fileName);
}

}  // namespace zyl
