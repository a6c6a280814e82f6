// A CGI host with a master and a detail grid: customers and their orders.
// The master's OnAfterDoDefaultAction event fills the detail with the orders
// of the master's current record, read by a parameterised query.
//   GRID_DB=/srv/shop.db, tables customers(Id, ...) and orders(CustomerId, ...)
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "request/ZylCSS.h"

namespace {

// Replaces the detail's records with the orders of customer `id`.
void LoadOrders(const std::string& db, long long id, zyl::TZylMemDataset& orders) {
  sqlite3* con = nullptr;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_open_v2(db.c_str(), &con, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(con, "SELECT * FROM orders WHERE CustomerId = ?1", -1, &st, nullptr) ==
          SQLITE_OK) {
    sqlite3_bind_int64(st, 1, id);
    bool first = orders.FieldCount() == 0;
    for (int c = 0; first && c < sqlite3_column_count(st); ++c) {
      orders.AddField(sqlite3_column_name(st, c), zyl::TFieldType::ftString, 255, true);
    }
    orders.ClearRecords();
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<zyl::TVariant> values;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const unsigned char* text = sqlite3_column_text(st, c);
        values.emplace_back(text ? std::string(reinterpret_cast<const char*>(text)) : "");
      }
      orders.AddRecord(std::move(values));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(con);
  if (!orders.GetActive()) orders.Open();
}

}  // namespace

int main() {
  const char* env = std::getenv("GRID_DB");
  const std::string db = env ? env : "shop.db";
  try {
    zyl::TZylSQLiteDataset customers(nullptr);
    customers.SetDatabase(db);
    customers.SetTableName("customers");
    customers.Open();
    zyl::TZylMemDataset orders(nullptr);

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
      long long id =
          customers.RecordCount() > 0 ? customers.FieldByName("Id")->Value().ToInt64() : -1;
      LoadOrders(db, id, orders);
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
