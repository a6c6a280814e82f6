// A grid's save click downloads Access and Paradox files that independent
// readers open, with the grid's visible columns and rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "../export/paradox/ParadoxReader.h"
#include "PrivateTempDir.h"
#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Stream.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe.get())) > 0) out.append(buf, n);
  return out;
}

bool Have(const std::string& program) { return !RunCommand("command -v " + program).empty(); }

// Clicks save on a grid of four orders with its City column hidden and
// returns the downloaded file's bytes (after the response header).
std::string Download(TExportType type) {
  TZylMemDataset ds(nullptr);
  ds.AddField("Product", TFieldType::ftString, 20);
  ds.AddField("City", TFieldType::ftString, 20);
  ds.AddField("Qty", TFieldType::ftInteger);
  ds.AddRecord({TVariant("Lamp"), TVariant("Oslo"), TVariant(std::int64_t{2})});
  ds.AddRecord({TVariant("Desk \"XL\""), TVariant("Rome"), TVariant(std::int64_t{1})});
  ds.AddRecord({TVariant("Chair"), TVariant("Lyon"), TVariant()});
  ds.AddRecord({TVariant("Sofa"), TVariant("Bern"), TVariant(std::int64_t{7})});
  ds.Open();
  TZylCSS css(nullptr);
  TMemoryStream out;
  css.SetConsoleOutput(&out);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("Orders");
  grid.SetCSS(&css);
  grid.Loaded();
  grid.SetShowRowNumber(false);
  grid.SetDataset(&ds);
  grid.ReadValues();
  grid.GetColumns(1)->SetVisible(false);
  grid.SetSaveAsType(type);
  EXPECT_FALSE(grid.DoDefaultAction(TGridAction::gaSaveAs));
  std::string sent = out.AsString();
  std::size_t body = sent.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : sent.substr(body + 4);
}

TEST(ExportDownload, ParadoxFileHoldsTheVisibleColumnsAndRows) {
  harness::PrivateTempDir temp;
  std::string file = Download(TExportType::Paradox);
  paradox_test::PxTable table =
      paradox_test::ReadParadox(std::vector<std::uint8_t>(file.begin(), file.end()));
  ASSERT_EQ(table.fields.size(), 2u);
  EXPECT_EQ(table.fields[0].name, "Product");
  EXPECT_EQ(table.fields[1].name, "Qty");
  ASSERT_EQ(table.rows.size(), 4u);
  EXPECT_EQ(std::get<std::string>(table.rows[1][0]), "Desk \"XL\"");
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.rows[2][1]));
  EXPECT_TRUE(temp.Entries().empty());
}

TEST(ExportDownload, AccessFileOpensInBothReaders) {
  harness::PrivateTempDir temp;
  std::string file = Download(TExportType::Access);
  ASSERT_FALSE(file.empty());
  EXPECT_TRUE(temp.Entries().empty());
  std::string path = temp.File("download.mdb");
  std::ofstream(path, std::ios::binary) << file;
  if (!Have("mdb-export")) GTEST_SKIP() << "mdbtools is not installed";
  std::string csv = RunCommand("mdb-export " + path + " ExportTable");
  EXPECT_EQ(csv, "Product,Qty\n\"Lamp\",2\n\"Desk \"\"XL\"\"\",1\n\"Chair\",\n\"Sofa\",7\n");
  std::string script = std::string(ZYL_SOURCE_DIR) + "/tests/export/jet4/read_with_mdb_reader.mjs";
  std::string modules = std::string(ZYL_SOURCE_DIR) + "/tests/export/jet4/node_modules/mdb-reader";
  if (!Have("node") || !std::ifstream(modules + "/package.json")) {
    GTEST_SKIP() << "mdb-reader is not installed (tests/export/jet4/setup.sh)";
  }
  std::string dump = RunCommand("node " + script + " " + path);
  EXPECT_NE(dump.find("TABLE\t" + std::string("4578706f72745461626c65") + "\t4"), std::string::npos)
      << dump;  // "ExportTable" with four rows
}

}  // namespace
}  // namespace zyl
