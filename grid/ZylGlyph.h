// TZylGlyph: a column's pair of sort buttons ("ASC" ascending, "DSC"
// descending): image names (relative to the grid's ImagesURL), sizes,
// borders and alignments.
#pragma once

#include <string>

#include "model/GridTypes.h"
#include "platform/Object.h"

namespace zyl {

class TZylColumn;

class TZylGlyph : public TPersistent {
 public:
  // Neither the grid nor the column is owned.
  TZylGlyph(TZylHTMLGrid* grid, TZylColumn* column) : grid_(grid), column_(column) {}
  std::string ClassName() const override { return "TZylGlyph"; }

  TZylHTMLGrid* Grid() const { return grid_; }
  TZylColumn* Column() const { return column_; }

  const std::string& GetURLASC() const { return urlAsc_; }
  void SetURLASC(const std::string& v) { urlAsc_ = v; }
  int GetHeightASC() const { return heightAsc_; }
  void SetHeightASC(int v) { heightAsc_ = v; }
  int GetWidthASC() const { return widthAsc_; }
  void SetWidthASC(int v) { widthAsc_ = v; }
  VAlignment GetAlignASC() const { return alignAsc_; }
  void SetAlignASC(VAlignment v) { alignAsc_ = v; }
  int GetBorderASC() const { return borderAsc_; }
  void SetBorderASC(int v) { borderAsc_ = v; }
  const std::string& GetURLDSC() const { return urlDsc_; }
  void SetURLDSC(const std::string& v) { urlDsc_ = v; }
  int GetHeightDSC() const { return heightDsc_; }
  void SetHeightDSC(int v) { heightDsc_ = v; }
  int GetWidthDSC() const { return widthDsc_; }
  void SetWidthDSC(int v) { widthDsc_ = v; }
  VAlignment GetAlignDSC() const { return alignDsc_; }
  void SetAlignDSC(VAlignment v) { alignDsc_ = v; }
  int GetBorderDSC() const { return borderDsc_; }
  void SetBorderDSC(int v) { borderDsc_ = v; }
  const std::string& GetHTMLOverride() const { return html_; }
  void SetHTML(const std::string& v) { html_ = v; }

  // The pair's HTML: the override when set, else Build() (defined by the renderer).
  std::string GetHTML();
  std::string Build();

  // Copies the image settings and the override (not grid or column).
  void Assign(const TPersistent& source) override;

 private:
  TZylHTMLGrid* grid_;
  TZylColumn* column_;
  std::string urlAsc_ = "GAsc.gif";
  std::string html_;
  int heightAsc_ = 12;
  int widthAsc_ = 16;
  VAlignment alignAsc_ = VAlignment::alMiddle;
  int borderAsc_ = 0;
  std::string urlDsc_ = "GDesc.gif";
  int heightDsc_ = 12;
  int widthDsc_ = 16;
  int borderDsc_ = 0;
  VAlignment alignDsc_ = VAlignment::alMiddle;
};

}  // namespace zyl
