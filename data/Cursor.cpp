// The current record: RecNo and the dataset cursor.
#include "grid/ZylHTMLGrid.h"

namespace zyl {

void TZylHTMLGrid::SetRecNo(int recNo) {
  paging_.recNo = recNo;
  if (links_.dataset == nullptr || !links_.dataset->GetActive()) return;
  int n = links_.dataset->RecordCount();
  if (paging_.recNo > n - 1) paging_.recNo = n - 1;
  if (paging_.recNo < 0) paging_.recNo = 0;
  if (n > 0) {
    links_.dataset->First();
    links_.dataset->MoveBy(paging_.recNo);
  }
}

void TZylHTMLGrid::SetFileName(const std::string& fileName) {
  links_.fileName = fileName;
  if (fileName.empty()) return;
  if (links_.dataset != nullptr) {
    RemoveFreeNotification(links_.dataset);
    links_.dataset = nullptr;
  }
  LoadFromFile(fileName);
}

}  // namespace zyl
