// A CGI host with a master and a detail grid: customers and their orders.
// The master's OnAfterDoDefaultAction event points the detail at the orders
// of the master's current record (a key filter, bound as a parameter); the
// detail reads one page of them.
//   GRID_DB=/srv/shop.db, tables customers(Id, ...) and orders(CustomerId, ...)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "datasets/SQLiteDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

int main() {
  const char* env = std::getenv("GRID_DB");
  const std::string db = env ? env : "shop.db";
  try {
    zyl::TZylSQLiteDataset customers(nullptr);
    customers.SetDatabase(db);
    customers.SetTableName("customers");
    customers.Open();
    zyl::TZylSQLiteDataset orders(nullptr);
    orders.SetDatabase(db);
    orders.SetTableName("orders");

    zyl::TZylCSS css(nullptr);
    zyl::TZylHTMLGrid master(nullptr);
    zyl::TZylHTMLGrid detail(nullptr);
    master.SetName("Customers");
    detail.SetName("Orders");
    for (zyl::TZylHTMLGrid* grid : {&master, &detail}) {
      grid->SetCSS(&css);
      grid->SetImagesURL("/images/");
      grid->Loaded();
    }
    detail.SetMasterGrid(&master);
    master.SetDetailGrid(&detail);
    detail.SetRowsPerPage(10);
    detail.SetSmallToolbar(false);

    // Whenever the master has read its page, the detail follows its current record.
    master.OnAfterDoDefaultAction = [&](zyl::TObject*, zyl::TGridAction) {
      customers.First();
      customers.MoveBy(master.GetRecNo());
      zyl::TVariant id = customers.RecordCount() > 0 ? customers.FieldByName("Id")->Value()
                                                     : zyl::TVariant::Null();
      orders.Close();
      orders.SetKeyFilter("CustomerId", id);
      orders.Open();
      detail.SetDataset(&orders);
      detail.ReadValues();
    };

    master.SetDataset(&customers);
    master.ReadValues();
    if (!master.DoDefaultAction(master.ProcessParameters())) return 0;
    if (!detail.DoDefaultAction(detail.ProcessParameters())) return 0;
    std::string body = master.GetHTML().GetText();  // holds the detail too
    std::printf(
        "Content-Type: text/html; charset=UTF-8\r\n\r\n<!DOCTYPE html>\n<html><head>"
        "<meta charset=\"UTF-8\"><title>Customers</title><style>%s</style></head>"
        "<body>%s</body></html>\n",
        css.GetCSS().GetText().c_str(), body.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "master-detail: %s\n", e.what());
    std::printf("Status: 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\nError\n");
  }
  return 0;
}
