// The engine's automation objects: the calls the export makes work, and
// everything else fails with a message naming the object and the member.
#include <gtest/gtest.h>

#include "export/engine/EngineError.h"
#include "export/engine/OleFactory.h"
#include "platform/System.h"
#include "tests/export/engine/EngineTestSupport.h"

namespace zyl::exporting {
namespace {

using enginetest::ScopedTempDir;

template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EOleException& e) {
    return e.Message();
  }
  return "(no error)";
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AutomationTest : public ::testing::Test {
 protected:
  AutomationTest() : com_({}, &trace_), path_(tmp_.File("db.mdb")) {}

  // A catalog with a database at path_ and a table T (A text, B integer).
  std::shared_ptr<IAutoObject> CreateDatabase() {
    auto catalog = com_.CreateOleObject("ADOX.Catalog");
    catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_});
    auto table = com_.CreateOleObject("ADOX.Table");
    table->Put("Name", "T");
    auto columns = table->Get("Columns").ToObject();
    columns->Call("Append", {"A", 202, 10});
    columns->Call("Append", {"B", 3});
    columns->Get("Item", {0}).ToObject()->Put("Attributes", 2);
    columns->Get("Item", {"b"}).ToObject()->Put("Attributes", 2);
    catalog->Get("Tables").ToObject()->Call("Append", {table});
    return catalog;
  }
  std::shared_ptr<IAutoObject> Open() {
    auto connection = com_.CreateOleObject("ADODB.Connection");
    connection->Put("Provider", "Microsoft.Jet.OLEDB.4.0");
    connection->Put("Username", "Admin");
    connection->Put("Password", "");
    connection->Put("ConnectionString", "Data Source=\"" + path_ + "\"");
    connection->Call("Open");
    return connection;
  }

  ScopedTempDir tmp_;
  AutomationTrace trace_;
  OleFactory com_;
  std::string path_;
};

TEST_F(AutomationTest, TheExportsCallsBuildAndFillADatabase) {
  CreateDatabase();
  const auto emptySize = ReadFileBytes(path_).size();
  EXPECT_GT(emptySize, 0u);
  EXPECT_EQ(emptySize % 4096, 0u);  // whole Jet 4 pages
  auto connection = Open();
  EXPECT_EQ(connection->Get("State"), TVariant(1));
  std::vector<TVariant> args{"INSERT INTO [T] ([A], [B]) VALUES (\"x\", \"7\");", TVariant(), 128};
  connection->Invoke("Execute", TInvokeKind::Method, args);
  EXPECT_EQ(args[1], TVariant(std::int64_t{1}));  // records affected
  connection->Call("Close");
  EXPECT_EQ(connection->Get("State"), TVariant(0));
  EXPECT_EQ(trace_.statements,
            std::vector<std::string>{"INSERT INTO [T] ([A], [B]) VALUES (\"x\", \"7\");"});
  EXPECT_TRUE(FileExists(path_));
}

TEST_F(AutomationTest, UnknownClassesAndMembersAreNamed) {
  EXPECT_TRUE(Contains(ErrorOf([&] { com_.CreateOleObject("Excel.Application"); }),
                       "cannot create 'Excel.Application': Invalid class string"));
  auto table = com_.CreateOleObject("adox.table");  // class names ignore case
  EXPECT_EQ(ErrorOf([&] { table->Call("Refresh"); }),
            "ADOX.Table: unknown member 'Refresh' (method)");
  EXPECT_EQ(ErrorOf([&] { table->Put("Columns", 1); }),
            "ADOX.Table: unknown member 'Columns' (property put)");
  auto connection = com_.CreateOleObject("ADODB.Connection");
  EXPECT_EQ(ErrorOf([&] { connection->Get("Errors"); }),
            "ADODB.Connection: unknown member 'Errors' (property get)");
  EXPECT_EQ(ErrorOf([&] { connection->Call("Execute"); }),
            "ADODB.Connection: 'Execute' takes 1 to 3 arguments, not 0");
  // Member names ignore case, as late binding does.
  table->Put("name", "T");
  EXPECT_EQ(table->Get("NAME"), TVariant("T"));
}

TEST_F(AutomationTest, ColumnsCheckTheirArguments) {
  auto columns = com_.CreateOleObject("ADOX.Table")->Get("Columns").ToObject();
  EXPECT_TRUE(Contains(ErrorOf([&] {
                         columns->Call("Append", {"A", 99});
                       }),
                       "column 'A': 99 is not a data type"));
  EXPECT_TRUE(Contains(ErrorOf([&] {
                         columns->Call("Append", {"A", "202"});
                       }),
                       "the column type must be a whole number"));
  EXPECT_TRUE(Contains(ErrorOf([&] {
                         columns->Call("Append", {"A", 202, -1});
                       }),
                       "size -1 is out of range"));
  columns->Call("Append", {"A", 202});
  EXPECT_TRUE(Contains(ErrorOf([&] {
                         columns->Call("Append", {"a", 3});
                       }),
                       "Object is already in collection"));
  EXPECT_TRUE(Contains(ErrorOf([&] { columns->Get("Item", {1}); }),
                       "Item cannot be found in the collection"));
  EXPECT_TRUE(Contains(ErrorOf([&] { columns->Get("Item", {0}).ToObject()->Put("Attributes", 4); }),
                       "attributes 4 are not 1 (fixed), 2 (nullable) or both"));
}

TEST_F(AutomationTest, AnAppendedTableCannotChange) {
  auto catalog = com_.CreateOleObject("ADOX.Catalog");
  catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_});
  auto table = com_.CreateOleObject("ADOX.Table");
  table->Put("Name", "T");
  table->Get("Columns").ToObject()->Call("Append", {"A", 3});
  auto tables = catalog->Get("Tables").ToObject();
  tables->Call("Append", {table});
  EXPECT_EQ(tables->Get("Count"), TVariant(std::int64_t{1}));
  EXPECT_TRUE(Contains(ErrorOf([&] { tables->Call("Append", {table}); }),
                       "Object is already in collection"));
  EXPECT_TRUE(Contains(ErrorOf([&] {
                         table->Get("Columns").ToObject()->Call("Append", {"B", 3});
                       }),
                       "cannot be changed"));
  EXPECT_TRUE(Contains(ErrorOf([&] { tables->Call("Append", {"T"}); }),
                       "Append takes an ADOX.Table object"));
}

TEST_F(AutomationTest, ATableWithoutColumnsOrWithAnInvalidTypeIsRefused) {
  auto catalog = com_.CreateOleObject("ADOX.Catalog");
  catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_});
  auto table = com_.CreateOleObject("ADOX.Table");
  table->Put("Name", "ExportTable");
  EXPECT_TRUE(Contains(ErrorOf([&] { catalog->Get("Tables").ToObject()->Call("Append", {table}); }),
                       "Jet engine: cannot create table 'ExportTable'"));
  table->Get("Columns").ToObject()->Call("Append", {"X", 10});  // the error type
  EXPECT_TRUE(Contains(ErrorOf([&] { catalog->Get("Tables").ToObject()->Call("Append", {table}); }),
                       "Jet engine: cannot create table 'ExportTable'"));
}

TEST_F(AutomationTest, CatalogCreateNeedsTheJetProviderAndANewFile) {
  auto catalog = com_.CreateOleObject("ADOX.Catalog");
  EXPECT_TRUE(Contains(ErrorOf([&] { catalog->Get("Tables"); }), "call Create first"));
  EXPECT_TRUE(
      Contains(ErrorOf([&] { catalog->Call("Create", {"Provider=SQLOLEDB;Data Source=x"}); }),
               "Provider cannot be found"));
  EXPECT_TRUE(Contains(
      ErrorOf([&] { catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Colour=red"}); }),
      "unknown property 'Colour'"));
  CreateDatabase();
  EXPECT_TRUE(Contains(ErrorOf([&] { CreateDatabase(); }), "already exists"));
}

TEST_F(AutomationTest, ConnectionOpensOnlyItsSessionsDatabasesAsAdmin) {
  auto connection = com_.CreateOleObject("ADODB.Connection");
  EXPECT_EQ(ErrorOf([&] { connection->Call("Execute", {"INSERT INTO [T] VALUES (1, 2)"}); }),
            "ADODB.Connection: Operation is not allowed when the object is closed. (Execute)");
  EXPECT_TRUE(Contains(ErrorOf([&] { connection->Call("Close"); }), "is closed"));
  connection->Put("Provider", "Microsoft.Jet.OLEDB.4.0");
  connection->Put("ConnectionString", "Data Source=\"" + path_ + "\"");
  EXPECT_EQ(ErrorOf([&] { connection->Call("Open"); }),
            "Jet engine: Could not find file '" + path_ + "'.");

  // A file the session did not create is not opened.
  OleFactory other;
  auto catalog = other.CreateOleObject("ADOX.Catalog");
  catalog->Call("Create", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_});
  EXPECT_TRUE(Contains(ErrorOf([&] { connection->Call("Open"); }),
                       "opens only the databases it created in this session"));
  DeleteFile(path_);

  CreateDatabase();
  connection->Put("Username", "Guest");
  EXPECT_TRUE(
      Contains(ErrorOf([&] { connection->Call("Open"); }), "Not a valid account name or password"));
  connection->Put("Username", "Admin");
  connection->Put("Password", "secret");
  EXPECT_TRUE(
      Contains(ErrorOf([&] { connection->Call("Open"); }), "Not a valid account name or password"));
  connection->Put("Password", "");
  connection->Call("Open");
  EXPECT_TRUE(Contains(ErrorOf([&] { connection->Call("Open"); }), "is open"));
  EXPECT_TRUE(Contains(ErrorOf([&] { connection->Put("ConnectionString", "x"); }), "is open"));
  // SQL errors pass through Execute.
  EXPECT_TRUE(Contains(ErrorOf([&] { connection->Call("Execute", {"INSERT INTO [T] VALUES (1"}); }),
                       "Syntax error in INSERT INTO statement"));
}

TEST_F(AutomationTest, TheTraceShowsEveryCall) {
  CreateDatabase();
  ASSERT_GE(trace_.calls.size(), 6u);
  EXPECT_EQ(trace_.calls[0], "CreateOleObject(\"ADOX.Catalog\")");
  EXPECT_EQ(trace_.calls[1],
            "ADOX.Catalog.Create(\"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + "\")");
  EXPECT_EQ(trace_.calls[3], "ADOX.Table.Name := \"T\"");
  EXPECT_EQ(trace_.calls[5], "ADOX.Columns.Append(\"A\", 202, 10)");
  EXPECT_EQ(trace_.calls.back(), "ADOX.Tables.Append(<ADOX.Table>)");
}

}  // namespace
}  // namespace zyl::exporting
