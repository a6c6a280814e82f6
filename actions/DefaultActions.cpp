// DoDefaultAction: carries out the action a request asked of the grid
// (page moves, the download, edits) between the grid's before and after
// events, and reads the data the page will show.
//
// Page moves store the new page before the before event, so a handler sees
// it; reading then pulls a page past the last one back. A page below 1
// (the previous page of page 1) is kept at 1 by the Page setter.
//
// Edits and deletes are carried out only while the page's update lock
// exists (CanUpdate); otherwise the data is read again and the grid shows
// TextUpdateError in its error box. For a text file the lock test and the edit
// run under the file's TextFileLock, so no other edit can come between.
// An add or a delete of a dataset record moves the positions every other
// page addresses: its test also removes every lock of the program, in one
// step of the lock store (ClaimChange), so of two stale pages that post at
// once only one passes. An add without cells adds nothing and only tests.
//
// Every page that is shown takes its lock before its data is read
// (TakeUpdateLock, also inside the editing operations before their last
// read): a change claimed after that removes the lock, one claimed before
// is in the data the page reads.
#include <climits>
#include <exception>

#include "data/DelimitedText.h"
#include "data/Paging.h"
#include "edit/CellFields.h"
#include "edit/TextFileLock.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Exception.h"
#include "platform/ScopeExit.h"
#include "platform/Stream.h"
#include "platform/System.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// Records in the grid's source as it is now, or -1 when it cannot be told.
int SourceRecordCount(const TZylHTMLGrid& grid) {
  try {
    if (!grid.GetFileName().empty()) {
      if (!FileExists(grid.GetFileName())) return -1;
      TStringList lines;
      delimited::SplitLines(ReadFileBytes(grid.GetFileName()), lines);
      return lines.Count() - 1;
    }
    TDataSet* ds = grid.GetDataset();
    if (ds != nullptr && ds->GetActive()) return ds->RecordCount();
  } catch (const std::exception&) {
    // Unknown: the stored count is used instead.
  }
  return -1;
}

}  // namespace

bool TZylHTMLGrid::DoDefaultAction(TGridAction action) {
  const bool textSource = !links_.fileName.empty();
  if (!textSource && links_.dataset == nullptr) return true;

  auto before = [&] {
    if (OnBeforeDoDefaultAction) OnBeforeDoDefaultAction(this, action);
  };
  auto after = [&] {
    if (OnAfterDoDefaultAction) OnAfterDoDefaultAction(this, action);
  };
  auto read = [&] {
    if (textSource) {
      SetFileName(links_.fileName);
    } else {
      ReadValues();
    }
  };
  auto load = [&] {
    TakeUpdateLock();
    read();
  };
  editing_.lockTaken = false;
  // From the before event on, every page move is the same.
  auto movePage = [&] {
    before();
    load();
    SetRecNo(paging::ClampToInt(paging::FirstRecordOfPage(paging_.page, paging_.rowsPerPage)));
    after();
  };
  // An edit refused for want of the page's lock: the page shows why. A
  // detail grid shows the message in its own error box, or the visitor's
  // edit would vanish without a word.
  auto refuse = [&] {
    if (links_.css != nullptr && GetEditMode()) {
      if (links_.masterGrid != nullptr) links_.css->SetErrorText(texts_.textUpdateError);
      editing_.showErrorBox = true;
    }
    load();
  };

  switch (action) {
    case TGridAction::gaNoAction:
    case TGridAction::gaAddNew:  // the new-record row comes with AddingRecord
      before();
      load();
      after();
      break;
    case TGridAction::gaFirstPage:
      SetPage(1);
      before();
      load();
      SetRecNo(0);
      after();
      break;
    case TGridAction::gaPreviousPage:
      SetPage(paging_.page - 1);
      movePage();
      break;
    case TGridAction::gaNextPage:
      if (paging_.page < INT_MAX) SetPage(paging_.page + 1);
      movePage();
      break;
    case TGridAction::gaLastPage: {
      // The source is asked for its size: this request may not have read
      // it yet, and the stored total would then be 0.
      int records = SourceRecordCount(*this);
      if (records >= 0) {
        int size = paging::PageSize(paging_.rowsPerPage, records, paging_.maxRows);
        SetPage(size > 0 ? paging::ClampToInt((static_cast<long long>(records) + size - 1) / size)
                         : 1);
      } else {
        SetPage(GetPageCount());
      }
      movePage();
      break;
    }
    case TGridAction::gaSaveAs:
      before();
      read();  // a download, no page: no lock
      SendDownload();
      after();
      return false;
    case TGridAction::gaUpdateData:
      before();
      if (textSource) {
        edit::TextFileLock lock(links_.fileName);
        if (!CanUpdate()) {
          refuse();
        } else if (editing_.addPending) {
          AddTextRecord();
        } else {
          UpdateTextFile();
        }
      } else if (editing_.addPending) {
        bool adds = !edit::AddedCells(*this).empty();
        if (adds ? ClaimChange() : CanUpdate()) {
          AddDBRecord();
        } else {
          refuse();
        }
      } else if (!CanUpdate()) {
        refuse();
      } else {
        UpdateDatabase();
      }
      after();
      break;
    case TGridAction::gaDeleteCurrent:
      before();
      if (textSource) {
        edit::TextFileLock lock(links_.fileName);
        if (!CanUpdate()) {
          refuse();
        } else {
          DeleteTextRecord();
        }
      } else if (!ClaimChange()) {
        refuse();
      } else {
        DeleteDBRecord();
      }
      after();
      break;
  }
  return true;
}

// The save click: the export in a temporary file, sent as the response.
void TZylHTMLGrid::SendDownload() {
  std::string fileName = look_.header.empty() ? GetName() : look_.header;
  const char* contentType = "application/octet-stream";
  switch (look_.saveAsType) {
    case TExportType::TabbedText:
      contentType = "text/plain";
      fileName += ".txt";
      break;
    case TExportType::Excel:
      contentType = "application/x-msexcel";
      fileName += ".xls";
      break;
    case TExportType::Access:
      contentType = "application/msaccess";
      fileName += ".mdb";
      break;
    case TExportType::dBase:
      fileName += ".dbf";
      break;
    case TExportType::Paradox:
      fileName += ".db";
      break;
    case TExportType::CSV:
      contentType = "text/csv; charset=utf-8";
      fileName += ".csv";
      break;
    case TExportType::XLSX:
      contentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
      fileName += ".xlsx";
      break;
    case TExportType::JSON:
      contentType = "application/json";
      fileName += ".json";
      break;
  }
  std::string temp = GetTempFileName();
  ScopeExit remove([&] { DeleteFile(temp); });
  TFileStream stream(temp, TFileStream::Mode::fmCreate);
  SaveAs(look_.saveAsType, stream, look_.saveAsScope);
  SendFile(contentType, stream, fileName);
}

}  // namespace zyl
