// TZylRow: one row of a grid: its position, the record it shows, colour,
// visibility, style text and replacement HTML.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "model/GridTypes.h"
#include "platform/Color.h"
#include "platform/Object.h"

namespace zyl {

class TZylField;

class TZylRow : public TPersistent {
 public:
  explicit TZylRow(TZylHTMLGrid* grid) : grid_(grid) {}  // grid not owned
  std::string ClassName() const override { return "TZylRow"; }

  TZylHTMLGrid* Grid() const { return grid_; }

  int GetRowNo() const { return rowNo_; }
  // Moves the row (with its cells) to `newIndex` and renumbers every row.
  // Raises Exception "Invalid row number: <n>" outside 0..RowCount-1.
  void SetRowNo(int newIndex);
  // Sets RowNo without moving anything (used while the grid renumbers).
  void StoreRowNo(int rowNo) { rowNo_ = rowNo; }

  TColor GetColor() const { return color_; }
  // Stores the colour and gives every cell of the row the same colour.
  void SetColor(TColor color);
  // Stores the colour only (rendering tints; Assign).
  void StoreColor(TColor color) { color_ = color; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  const std::string& GetCSS() const { return css_; }
  void SetCSS(const std::string& v) { css_ = v; }
  const std::string& GetHTMLOverride() const { return html_; }
  void SetHTML(const std::string& v) { html_ = v; }
  int GetRecNo() const { return recNo_; }
  void SetRecNo(int v) { recNo_ = v; }
  // The identity of the row's record as read (with the grid's RowIdentity
  // on): its key and the fingerprint of its values; empty otherwise.
  const std::string& GetRecordKey() const { return recordKey_; }
  const std::string& GetFingerprint() const { return fingerprint_; }
  void SetIdentity(std::string key, std::string fingerprint) {
    recordKey_ = std::move(key);
    fingerprint_ = std::move(fingerprint);
  }

  // The grid's cell at (RowNo, index); raises EListError outside the row.
  TZylField* GetItems(int index) const;
  // Puts `cell` at (RowNo, index); the replaced cell is handed back.
  std::unique_ptr<TZylField> SetItems(int index, std::unique_ptr<TZylField> cell);

  // The row's HTML with its event (defined by the renderer), and without.
  std::string GetHTML();
  std::string Build();

  // Copies RowNo, RecNo, Color (not pushed into cells), Visible, CSS, HTML
  // and the identity.
  void Assign(const TPersistent& source) override;

 private:
  TZylHTMLGrid* grid_;
  int rowNo_ = -1;
  TColor color_ = clNone;
  bool visible_ = true;
  std::string css_;
  std::string html_;
  int recNo_ = -1;
  std::string recordKey_;
  std::string fingerprint_;
};

}  // namespace zyl
