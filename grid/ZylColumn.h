// TZylColumn: one column of a grid: caption and its look, the formatting
// it pushes into its cells, the bound field, sorting, visibility, edit
// settings, pick list and sort buttons.
#pragma once

#include <memory>
#include <string>

#include "datasets/FieldType.h"
#include "grid/ZylGlyph.h"
#include "model/GridTypes.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Object.h"
#include "platform/StringList.h"

namespace zyl {

class TZylField;

class TZylColumn : public TPersistent {
 public:
  // Creates a column for `grid` (not owned). ShowGlyph, WordWrap,
  // ShowSelector and Selectable start from the grid's current settings.
  explicit TZylColumn(TZylHTMLGrid* grid);
  ~TZylColumn() override;
  std::string ClassName() const override { return "TZylColumn"; }

  TZylHTMLGrid* Grid() const { return grid_; }

  // The grid's cell at (index, ColNo); raises EListError outside.
  TZylField* GetItems(int index) const;
  // Puts `cell` at (index, ColNo); the replaced cell is handed back.
  std::unique_ptr<TZylField> SetItems(int index, std::unique_ptr<TZylField> cell);

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  TFont& CaptionFont() { return captionFont_; }
  const TFont& CaptionFont() const { return captionFont_; }
  void SetCaptionFont(const TFont& font) { captionFont_.Assign(font); }
  TFontStyle GetCaptionFontStyle() const { return captionFontStyle_; }
  void SetCaptionFontStyle(TFontStyle v) { captionFontStyle_ = v; }
  HAlignment GetCaptionHAlign() const { return captionHAlign_; }
  void SetCaptionHAlign(HAlignment v) { captionHAlign_ = v; }
  VAlignment GetCaptionVAlign() const { return captionVAlign_; }
  void SetCaptionVAlign(VAlignment v) { captionVAlign_ = v; }
  int GetCaptionWidth() const { return captionWidth_; }
  void SetCaptionWidth(int v) { captionWidth_ = v; }
  int GetCaptionHeight() const { return captionHeight_; }
  void SetCaptionHeight(int v) { captionHeight_ = v; }

  // Formatting copied into every cell of the column by its setter.
  VAlignment GetVAlign() const { return vAlign_; }
  void SetVAlign(VAlignment v);
  HAlignment GetHAlign() const { return hAlign_; }
  void SetHAlign(HAlignment v);
  int GetWidth() const { return width_; }
  void SetWidth(int v);
  int GetHeight() const { return height_; }
  void SetHeight(int v);
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  // The column's font; any change to it (size, colour, name...) reaches
  // every cell of the column at once.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_.Assign(font); }
  TFontStyle GetFontStyle() const { return fontStyle_; }
  void SetFontStyle(TFontStyle v);

  // The sort buttons. The column owns the glyph it was created with;
  // SetGlyph makes it use `glyph` instead without taking ownership (the
  // caller keeps it alive while the column uses it; the column's own glyph
  // stays owned and is freed with the column).
  TZylGlyph* Glyph() const { return glyph_; }
  void SetGlyph(TZylGlyph* glyph) { glyph_ = glyph; }

  const std::string& GetCSS() const { return css_; }
  void SetCSS(const std::string& v) { css_ = v; }
  const std::string& GetHTMLOverride() const { return html_; }
  void SetHTML(const std::string& v) { html_ = v; }
  const std::string& GetFieldName() const { return fieldName_; }
  // Ignored while the grid's dataset is open.
  void SetFieldName(const std::string& v);
  // Stores the name whatever the dataset's state (the data reader binds
  // the columns while the dataset is open).
  void StoreFieldName(const std::string& v) { fieldName_ = v; }
  int GetFieldIndex() const { return fieldIndex_; }
  void SetFieldIndex(int v) { fieldIndex_ = v; }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  int GetColNo() const { return colNo_; }
  // Moves the column (with its cells) to `newIndex` and renumbers every
  // column. Raises Exception "Invalid column number: <n>" outside 0..ColCount-1.
  void SetColNo(int newIndex);
  // Sets ColNo without moving anything (used while the grid renumbers).
  void StoreColNo(int colNo) { colNo_ = colNo; }
  TColor GetCaptionColor() const { return captionColor_; }
  void SetCaptionColor(TColor v) { captionColor_ = v; }
  bool GetShowGlyph() const { return showGlyph_; }
  void SetShowGlyph(bool v) { showGlyph_ = v; }
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  TSortOrder GetSortOrder() const { return sortOrder_; }
  // Sets the sort images, sorts the grid by this column (ascending or
  // descending) and resets every other column to soNone.
  void SetSortOrder(TSortOrder order);
  // Stores the order without images or sorting (request parsing, copying).
  void StoreSortOrder(TSortOrder order) { sortOrder_ = order; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  TStringList& PickList() { return pickList_; }
  const TStringList& PickList() const { return pickList_; }
  void SetPickList(const TStringList& list) { pickList_.Assign(list); }
  TStringList& ValueList() { return valueList_; }
  const TStringList& ValueList() const { return valueList_; }
  void SetValueList(const TStringList& list) { valueList_.Assign(list); }
  bool GetEditMode() const { return editMode_; }
  void SetEditMode(bool v) { editMode_ = v; }
  TFieldType GetDataType() const { return dataType_; }
  void SetDataType(TFieldType v) { dataType_ = v; }
  int GetDataSize() const { return dataSize_; }
  void SetDataSize(int v) { dataSize_ = v; }
  bool GetShowSelector() const { return showSelector_; }
  // Stores; forced false when the column is not Selectable.
  void SetShowSelector(bool v) { showSelector_ = v && selectable_; }
  bool GetSelectable() const { return selectable_; }
  // Stores; false also turns ShowSelector off.
  void SetSelectable(bool v);
  bool GetShowCurrent() const { return showCurrent_; }
  void SetShowCurrent(bool v) { showCurrent_ = v; }
  const std::string& GetCurrentHTML() const { return currentHTML_; }
  void SetCurrentHTML(const std::string& v) { currentHTML_ = v; }
  bool GetLimitToPickList() const { return limitToPickList_; }
  void SetLimitToPickList(bool v) { limitToPickList_ = v; }
  const std::string& GetAlignmentChar() const { return alignmentChar_; }
  void SetAlignmentChar(const std::string& v) { alignmentChar_ = v; }

  // The caption with its event, and the caption renderer (defined by the
  // renderer): `flat` draws every bevel cell in the column's colour,
  // `cellMode` leaves out the hidden column-selector field.
  std::string GetHTML();
  std::string Build(const std::string& caption, bool flat, bool cellMode);

  // Copies every setting as a plain value (no propagation, no sorting),
  // then the glyph, fonts (the font's change handler reaches the cells)
  // and lists.
  void Assign(const TPersistent& source) override;

 private:
  // Calls `fn` for the cell (r, ColNo) of every row of the grid.
  template <class Fn>
  void ForEachCell(Fn fn);
  void PushFontToCells();

  TZylHTMLGrid* grid_;
  std::string caption_;
  TFont captionFont_;
  TFontStyle captionFontStyle_ = TFontStyle::fsSanSerif;
  HAlignment captionHAlign_ = HAlignment::alLeft;
  VAlignment captionVAlign_ = VAlignment::alMiddle;
  int captionWidth_ = -1;
  int captionHeight_ = -1;
  VAlignment vAlign_ = VAlignment::alMiddle;
  HAlignment hAlign_ = HAlignment::alLeft;
  int width_ = -1;
  int height_ = -1;
  TColor color_ = clNone;
  TFont font_;
  TFontStyle fontStyle_ = TFontStyle::fsSanSerif;
  std::unique_ptr<TZylGlyph> ownGlyph_;
  TZylGlyph* glyph_ = nullptr;
  std::string css_;
  std::string html_;
  std::string fieldName_;
  int fieldIndex_ = -1;
  bool readOnly_ = false;
  int colNo_ = -1;
  TColor captionColor_ = 0xC8D0D4;
  bool showGlyph_ = true;
  bool wordWrap_ = false;
  TSortOrder sortOrder_ = TSortOrder::soNone;
  bool visible_ = true;
  TStringList pickList_;
  TStringList valueList_;
  bool editMode_ = false;
  TFieldType dataType_ = TFieldType::ftString;
  int dataSize_ = 255;
  bool showSelector_ = false;
  bool selectable_ = true;
  bool showCurrent_ = false;
  std::string currentHTML_;
  bool limitToPickList_ = false;
  std::string alignmentChar_ = ".";
};

}  // namespace zyl
