// Fuzzes the form-field parser and URL decoding with arbitrary bytes: the
// request path must never crash, whatever a visitor posts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string decoded = zyl::TZylCSS::WWWDecode(input);

  zyl::TZylCSS css(nullptr);
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetName("G1");
  grid.SetCSS(&css);
  grid.SetColCount(4);
  grid.SetRowCount(3);
  grid.GetColumns(1)->SetEditMode(true);
  grid.SetUpdatByEnter(size % 2 == 0);
  // Raw and decoded text, with the grid's block opened at the front.
  grid.ProcessParametersData("GName=G1\r\n" + input);
  grid.ProcessParametersData("GName=G1\r\n" + decoded);
  grid.GetSettingsHV("", &grid);
  return 0;
}
