// Fuzzes the form protocol with arbitrary bytes: the input is a POST body
// (parsed into name/value pairs, applied by the field parser, shown as the
// lines view) and the same bytes as field text of 'name=value' lines, raw
// and URL-decoded. Whatever a visitor posts, nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/ZylHTMLGrid.h"
#include "request/FormProtocol.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);

  // The grid's block opened at the front, so the fields reach every step.
  std::string body = "GName=G1&" + input;
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", "POST");
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  zyl::TZylCSS css(nullptr);
  css.SetRequestChannel(&channel);
  zyl::TZylHTMLGrid grid(nullptr);
  grid.SetName("G1");
  grid.SetCSS(&css);
  grid.SetColCount(4);
  grid.SetRowCount(3);
  grid.GetColumns(1)->SetEditMode(true);
  grid.SetUpdatByEnter(size % 2 == 0);
  grid.ProcessParameters();
  css.GetPostData();  // the lines view of the pairs
  grid.GetSettingsHV("", &grid);

  // The text entry point, raw and decoded.
  grid.ProcessParametersData("GName=G1\r\n" + input);
  grid.ProcessParametersData("GName=G1\r\n" + zyl::form::UrlDecode(input));
  return 0;
}
