// The row identities an edit of a grid with RowIdentity posts
// (request/RowIdentity.h), and finding the record each one names.
//
// An update or delete with identity reaches the record its row named, and
// only while that record holds the values the page showed. A post whose
// identity for an edited row is missing or does not carry the site's
// signature is refused as a whole, like a stale page (TextUpdateError); a
// record changed or deleted since the page was shown is refused with a
// text that names it (the page that follows shows its stored values); an
// update's transaction then stores none of the post's cells.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "request/RowIdentity.h"

namespace zyl {

class TDataSet;
class TZylHTMLGrid;

namespace edit {

class PostedIdentities {
 public:
  // Reads and checks every "GROW_<recNo>" field the grid's page posted.
  explicit PostedIdentities(TZylHTMLGrid& grid);
  // The identity posted for row `recNo`; null when none, or a forged one.
  const form::RowIdentity* Find(int recNo) const;
  // True when every posted cell of an editable column has its row's identity.
  bool CoverCells(TZylHTMLGrid& grid) const;

 private:
  std::map<int, std::optional<form::RowIdentity>> rows_;
};

// Refuses the post like a stale page: TextUpdateError in the error box.
void RefuseAsStale(TZylHTMLGrid& grid);

// Makes the record `identity` names the dataset's current one; false (and
// the failure reported) when it is gone or its values are not those of the
// page any more. The record at `recNo`, the row's place on the page, is
// tried first: while nothing moved it is the one, at no cost.
bool LocateUnchanged(TZylHTMLGrid& grid, TDataSet& ds, const form::RowIdentity& identity,
                     int recNo);
// The row of the whole file (edit/WholeFileFrame.h) that holds the line
// `identity` names: its own place when the line is still there, else the
// one line elsewhere with the same text; -1 (reported) when there is none.
int LocateLine(TZylHTMLGrid& grid, const form::RowIdentity& identity);

// Reports that the record `name` ("record 7", "record 'Bob'") was changed
// (or deleted) since the page was shown and nothing was written to it.
void ReportChanged(TZylHTMLGrid& grid, const std::string& name, bool deleted);

// Turns the dataset's checked writes on for the life of the object.
class CheckedWrites {
 public:
  CheckedWrites(TDataSet& ds, bool on);
  ~CheckedWrites();
  CheckedWrites(const CheckedWrites&) = delete;
  CheckedWrites& operator=(const CheckedWrites&) = delete;

 private:
  TDataSet& ds_;
  bool on_;
};

}  // namespace edit
}  // namespace zyl
