// The smallest CGI host: one grid over an SQLite table.
//   GRID_DB=/srv/shop.db GRID_TABLE=customers  (the web server sets these)
// The image set is served by the web server under /images/.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

int main() {
  const char* db = std::getenv("GRID_DB");
  const char* table = std::getenv("GRID_TABLE");
  try {
    zyl::TZylSQLiteDataset data(nullptr);
    data.SetDatabase(db ? db : "shop.db");
    data.SetTableName(table ? table : "customers");
    data.Open();

    zyl::TZylCSS css(nullptr);  // Console host kind: reads the CGI request itself
    zyl::TZylHTMLGrid grid(nullptr);
    grid.SetName("Grid1");
    grid.SetCSS(&css);
    grid.SetImagesURL("/images/");
    grid.Loaded();
    grid.SetDataset(&data);
    grid.ReadValues();  // makes the columns the request refers to

    if (!grid.DoDefaultAction(grid.ProcessParameters())) return 0;  // a download was sent
    std::string body = grid.GetHTML().GetText();
    std::printf(
        "Content-Type: text/html; charset=UTF-8\r\n\r\n"
        "<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>Grid</title>"
        "<style>%s</style></head><body>%s</body></html>\n",
        css.GetCSS().GetText().c_str(), body.c_str());
    grid.Done();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cgi-minimal: %s\n", e.what());
    std::printf("Status: 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\nError\n");
  }
  return 0;
}
