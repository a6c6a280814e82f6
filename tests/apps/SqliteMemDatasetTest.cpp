#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "apps/zylgrid/SqliteMemDataset.h"

namespace zylgrid {
namespace {

using test::QueryText;
using zyl::TVariant;

SqliteSourceSettings Orders(const std::string& db, const TVariant& key) {
  SqliteSourceSettings source;
  source.path = db;
  source.table = "orders";
  source.keyColumn = "CustomerId";
  source.keyValue = key;
  source.editable = true;
  return source;
}

TEST(ZylgridSqliteMemDataset, ReadsOnlyTheMastersRecordsWithTypedFields) {
  test::ScratchDir dir;
  std::string db = test::MakeShopDb(dir);
  SqliteMemDataset orders(nullptr, Orders(db, TVariant(std::int64_t{1})));
  orders.Open();
  ASSERT_EQ(orders.RecordCount(), 2);
  EXPECT_EQ(orders.FieldByName("Due")->DataType(), zyl::TFieldType::ftDate);
  EXPECT_EQ(orders.FieldByName("Paid")->DataType(), zyl::TFieldType::ftBoolean);
  EXPECT_TRUE(orders.FieldByName("OrderId")->ReadOnly());
  EXPECT_TRUE(orders.FieldByName("CustomerId")->ReadOnly());
  EXPECT_FALSE(orders.FieldByName("Item")->ReadOnly());
  orders.First();
  EXPECT_EQ(orders.FieldByName("Item")->AsString(), "Lamp");
  EXPECT_TRUE(orders.FieldByName("Paid")->AsBoolean());
  EXPECT_EQ(orders.FieldByName("Due")->AsString(), "01.03.2024");
}

TEST(ZylgridSqliteMemDataset, KeyValueIsBoundNeverSpliced) {
  test::ScratchDir dir;
  std::string db = test::MakeShopDb(dir);
  SqliteMemDataset orders(nullptr, Orders(db, TVariant("1 OR 1=1")));
  orders.Open();
  EXPECT_EQ(orders.RecordCount(), 0);
  SqliteMemDataset none(nullptr, Orders(db, TVariant::Null()));
  none.Open();
  EXPECT_EQ(none.RecordCount(), 0);
}

TEST(ZylgridSqliteMemDataset, EditsAppendsAndDeletesWriteThrough) {
  test::ScratchDir dir;
  std::string db = test::MakeShopDb(dir);
  SqliteMemDataset orders(nullptr, Orders(db, TVariant(std::int64_t{3})));
  orders.Open();
  ASSERT_EQ(orders.RecordCount(), 0);

  orders.Append();
  orders.FieldByName("Item")->SetAsString("Chair \"O'Neil\"");
  orders.FieldByName("Qty")->SetAsString("4");
  orders.FieldByName("Due")->SetAsString("02.01.2025");
  orders.FieldByName("Paid")->SetAsBoolean(true);
  orders.Post();
  EXPECT_EQ(orders.RecordCount(), 1);
  EXPECT_EQ(QueryText(db, "SELECT count(*) FROM orders WHERE CustomerId = 3"), "1");
  EXPECT_EQ(QueryText(db,
                      "SELECT Item || '|' || Qty || '|' || Due || '|' || Paid FROM orders "
                      "WHERE CustomerId = 3"),
            "Chair \"O'Neil\"|4|2025-01-02|1");
  // The new record shows its rowid.
  EXPECT_EQ(orders.FieldByName("OrderId")->AsString(),
            QueryText(db, "SELECT OrderId FROM orders WHERE CustomerId = 3"));

  orders.Edit();
  orders.FieldByName("Qty")->SetAsString("7");
  orders.Post();
  EXPECT_EQ(QueryText(db, "SELECT Qty FROM orders WHERE CustomerId = 3"), "7");

  orders.Delete();
  EXPECT_EQ(QueryText(db, "SELECT count(*) FROM orders WHERE CustomerId = 3"), "0");
  EXPECT_EQ(QueryText(db, "SELECT count(*) FROM orders"), "3");
}

TEST(ZylgridSqliteMemDataset, RefusedWritesRaiseAndKeepTheEdit) {
  test::ScratchDir dir;
  std::string db = test::MakeShopDb(dir);
  test::ExecSql(db,
                "CREATE TRIGGER no_qty BEFORE UPDATE ON orders WHEN NEW.Qty > 100 "
                "BEGIN SELECT RAISE(ABORT, 'too many'); END;");
  SqliteMemDataset orders(nullptr, Orders(db, TVariant(std::int64_t{2})));
  orders.Open();
  orders.Edit();
  orders.FieldByName("Qty")->SetAsString("500");
  try {
    orders.Post();
    FAIL() << "the trigger should refuse";
  } catch (const zyl::Exception& e) {
    EXPECT_NE(std::string(e.what()).find("too many"), std::string::npos);
  }
  EXPECT_EQ(orders.State(), zyl::TDataSetState::dsEdit);
  EXPECT_EQ(QueryText(db, "SELECT Qty FROM orders WHERE OrderId = 12"), "9");
}

TEST(ZylgridSqliteMemDataset, TablesWithoutIntegerKeyShowTheRowid) {
  test::ScratchDir dir;
  std::string db = (dir.Path() / "notes.db").string();
  test::ExecSql(db,
                "CREATE TABLE notes (Title TEXT, Body TEXT);"
                "INSERT INTO notes VALUES ('a', 'x'), ('b', 'y');");
  SqliteSourceSettings source;
  source.path = db;
  source.table = "notes";
  source.editable = true;
  SqliteMemDataset notes(nullptr, source);
  notes.Open();
  ASSERT_EQ(notes.FieldCount(), 3);
  EXPECT_EQ(notes.GetField(0)->FieldName(), "rowid");
  EXPECT_TRUE(notes.GetField(0)->ReadOnly());
  notes.MoveBy(1);
  notes.Edit();
  notes.FieldByName("Body")->SetAsString("z");
  notes.Post();
  EXPECT_EQ(QueryText(db, "SELECT Body FROM notes WHERE Title = 'b'"), "z");
  EXPECT_EQ(QueryText(db, "SELECT Body FROM notes WHERE Title = 'a'"), "x");
}

}  // namespace
}  // namespace zylgrid
