// The frame around every edit of a text-file source: the whole file is
// loaded into the grid, changed there and written back, and the visitor's
// page limits are restored afterwards.
//
// While the frame exists the file's TextFileLock is held, from loading the
// whole file until it was written, so concurrent edits never overwrite each
// other. Writing goes through the grid's SaveToFile, which replaces the
// file by a rename: readers see the old or the new content, never a part.
//
// During the frame every column is visible and nothing re-arranges the
// rows: sort orders, summary rows and the new-record row are switched off,
// so grid row r is record r of the file and only records are written.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "edit/TextFileLock.h"
#include "model/GridTypes.h"

namespace zyl {

class TZylHTMLGrid;

namespace edit {

class WholeFileFrame {
 public:
  // Locks the grid's file, remembers the page settings and loads the whole
  // file. Throws EInOutError when the file cannot be loaded (it is then
  // never written).
  explicit WholeFileFrame(TZylHTMLGrid& grid);
  // Restores the page settings when Restore() was not called.
  ~WholeFileFrame();
  WholeFileFrame(const WholeFileFrame&) = delete;
  WholeFileFrame& operator=(const WholeFileFrame&) = delete;

  // Writes the grid's records to the file.
  void Write();
  // Puts MaxRows, MaxCols, RowsPerPage and Page back through their setters,
  // then each column's visibility and sort order, the summary and
  // new-record settings and RecNo. The grid still holds the whole file
  // afterwards.
  void Restore();
  // The column's visibility on the visitor's page (false for columns that
  // the page did not have).
  bool WasVisible(int col) const;
  // The current record of the visitor's page (loading the whole file may
  // have moved the grid's RecNo).
  int RecNo() const { return recNo_; }

 private:
  TZylHTMLGrid& grid_;
  TextFileLock lock_;
  int maxRows_;
  int maxCols_;
  int rowsPerPage_;
  int page_;
  int recNo_;
  bool doMadeSum_;
  bool doMadeSA_;
  bool addingRecord_;
  std::vector<bool> visible_;
  std::vector<TSortOrder> sortOrders_;
  // The grid's filters, set aside so the whole file is read and written.
  std::map<int, std::string> filters_;
  std::string search_;
  bool restored_ = false;
};

}  // namespace edit
}  // namespace zyl
