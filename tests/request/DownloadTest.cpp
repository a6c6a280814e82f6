// Downloads: console headers and blocks, the ASP call order, pages through
// each host kind's channel, and saving that leaves no temporary file.
#include <gtest/gtest.h>

#include "PrivateTempDir.h"
#include "datasets/ZylMemDataset.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/AspObjects.h"
#include "platform/Stream.h"
#include "request/ZylCSS.h"

namespace zyl {
namespace {

// Standard output stand-in that records the size of every write.
class RecordingStream : public TMemoryStream {
 public:
  void Write(const void* data, std::size_t count) override {
    writes.push_back(count);
    TMemoryStream::Write(data, count);
  }
  using TMemoryStream::Write;
  std::vector<std::size_t> writes;
};

std::string Body(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The console header, then the stream in blocks of at most 10001 bytes; a
// file name cannot break the header.
TEST(Download, ConsoleHeadersThenTheBytesInBlocks) {
  const std::string header = "Content-type: text/plain\r\nContent-disposition: attachment;filename=\"";
  struct Case {
    std::string body, fileName, headerEnd;
    std::vector<std::size_t> blocks;
  };
  const Case cases[] = {
      {"abc", "Orders.txt", "Orders.txt\"\r\n\r\n", {3}},
      {"", "e.txt", "e.txt\"\r\n\r\n", {}},
      {std::string(25000, 'x'), "big.db", "big.db\"\r\n\r\n", {10001, 10001, 4998}},
      {"", "a\"\r\nSet-Cookie: x.txt", "aSet-Cookie: x.txt\"\r\n\r\n", {}},
      {"", "Gr\xC3\xBC\xC3\x9F" "e 1%.txt", "Gr__e 1%.txt\"; filename*=UTF-8''Gr%C3%BC%C3%9Fe%201%25.txt\r\n\r\n", {}},
  };
  for (const Case& c : cases) {
    TZylCSS css(nullptr);
    TZylHTMLGrid grid(nullptr);
    grid.SetCSS(&css);
    RecordingStream out;
    css.SetConsoleOutput(&out);
    TMemoryStream body;
    body.Write(c.body);
    grid.SendFile("text/plain", body, c.fileName);
    EXPECT_EQ(out.AsString(), header + c.headerEnd + c.body);
    std::vector<std::size_t> writes{header.size() + c.headerEnd.size()};
    writes.insert(writes.end(), c.blocks.begin(), c.blocks.end());
    EXPECT_EQ(out.writes, writes) << c.fileName;
  }
}

TEST(Download, EachHostKindGetsPagesAndFilesItsOwnWay) {
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetCSS(&css);
  TMemoryStream out, body;
  body.Write("xyz");
  css.SetConsoleOutput(&out);
  css.GetRequestChannel().SendPage(500, "text/html", "<P>x</P>");
  const std::string console = out.AsString();
  EXPECT_EQ(console, "Status: 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n<P>x</P>");

  auto response = std::make_shared<TAspResponse>();
  css.SetModuleType(TModuleType::ASP);
  css.SetASPResponse(TVariant(std::static_pointer_cast<IAutoObject>(response)));
  grid.SendFile("application/x-msexcel", body, "Grid1.xls");
  std::vector<std::string> calls;
  for (const auto& call : response->Calls()) calls.push_back(call.name);
  EXPECT_EQ(calls, (std::vector<std::string>{"Clear", "ContentType", "AddHeader", "BinaryWrite", "End"}));
  EXPECT_EQ(response->ContentType(), "application/x-msexcel");
  EXPECT_EQ(response->Headers(), (std::vector<std::pair<std::string, std::string>>{
                                     {"content-disposition", "attachment;filename=\"Grid1.xls\""}}));
  EXPECT_EQ(Body(response->Body()), "xyz");
  css.GetRequestChannel().SendPage(404, "text/plain", "gone");
  EXPECT_EQ(response->Status(), "404 Not Found");

  WebModuleChannel host;
  css.SetModuleType(TModuleType::WebModule);
  css.SetRequestChannel(&host);
  css.GetRequestChannel().SendPage(200, "text/html", "<P>y</P>");
  EXPECT_EQ(host.GetAnswer().body, "<P>y</P>");
  TZylHTMLGrid lone(nullptr);  // no TZylCSS: nothing is sent
  lone.SendFile("text/plain", body, "x.txt");
  EXPECT_EQ(out.AsString(), console) << "nothing more on standard output";
}

// Save clicks through the export engine; temporary files live in the
// test's private directory and are gone afterwards, failure or not.
TEST(Download, SavingLeavesNoTemporaryFiles) {
  harness::PrivateTempDir temp;
  TZylMemDataset ds(nullptr);
  ds.AddField("Name", TFieldType::ftString, 20);
  ds.AddField("Qty", TFieldType::ftInteger);
  ds.AddRecord({TVariant("Ann \"A\""), TVariant(3)});
  ds.AddRecord({TVariant("Bo"), TVariant()});
  ds.Open();
  TZylCSS css(nullptr);
  TZylHTMLGrid grid(nullptr);
  grid.SetName("Grid1"), grid.SetCSS(&css);
  grid.SetDataset(&ds);
  const std::pair<TExportType, std::string> types[] = {
      {TExportType::Excel, "application/x-msexcel\r\nContent-disposition: attachment;filename=\"Grid1.xls\""},
      {TExportType::Access, "application/msaccess"},
      {TExportType::dBase, "application/octet-stream\r\nContent-disposition: attachment;filename=\"Grid1.dbf\""},
      {TExportType::Paradox, "application/octet-stream"},
      {TExportType::TabbedText, "text/plain\r\nContent-disposition: attachment;filename=\"Grid1.txt\""},
      {TExportType::CSV, "text/csv; charset=utf-8\r\nContent-disposition: attachment;filename=\"Grid1.csv\""},
      {TExportType::XLSX, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {TExportType::JSON, "application/json\r\nContent-disposition: attachment;filename=\"Grid1.json\""}};
  for (const auto& [type, head] : types) {
    TMemoryStream out;
    css.SetConsoleOutput(&out);
    grid.SetSaveAsType(type);
    EXPECT_FALSE(grid.DoDefaultAction(TGridAction::gaSaveAs)) << "a download, no page";
    EXPECT_EQ(out.AsString().rfind("Content-type: " + head, 0), 0u) << out.AsString().substr(0, 120);
    TMemoryStream saved;
    grid.SaveAs(type, saved);
    std::string sent = out.AsString();
    EXPECT_EQ(sent.size() - sent.find("\r\n\r\n") - 4, saved.AsString().size()) << "the whole file follows";
    EXPECT_TRUE(temp.Entries().empty()) << head;
  }
  TZylHTMLGrid cells(nullptr);
  cells.SetColCount(2);
  cells.SetRowCount(1);
  cells.GetColumns(1)->SetDataType(TFieldType::ftCursor);  // no column type: the export fails
  cells.GetCells(0, 1)->SetValue("a");
  TMemoryStream out;
  EXPECT_THROW(cells.SaveAs(TExportType::Excel, out), Exception);
  EXPECT_EQ(out.GetSize(), 0);
  EXPECT_TRUE(temp.Entries().empty());
}

// Tab-separated text: exact numbers, binary values as hex, and with
// GuardFormulas text that a spreadsheet would evaluate behind an apostrophe.
TEST(Download, TabSeparatedTextHoldsExactValuesHexAndGuardedFormulas) {
  for (const bool guard : {false, true}) {
    TZylHTMLGrid grid(nullptr);
    grid.SetColCount(3), grid.SetRowCount(2), grid.SetGuardFormulas(guard);
    grid.GetColumns(0)->SetCaption("=Sum"), grid.GetColumns(1)->SetDataType(TFieldType::ftFloat);
    const char* texts[] = {"=1+2", "0.3", "", "-x", "-1", "raw"};
    for (int i = 0; i < 6; ++i) grid.GetCells(i / 3, i % 3)->SetValue(texts[i]);
    grid.GetCells(0, 1)->SetVariantValue(0.1 + 0.2);
    grid.GetCells(0, 2)->SetVariantValue(std::vector<std::uint8_t>{0x00, 0xFF, 0x10});
    TMemoryStream out;
    grid.SaveAs(TExportType::TabbedText, out);
    EXPECT_EQ(out.AsString(), guard ? "\"'=Sum\"\t\"\"\t\"\"\r\n\"'=1+2\"\t\"0.30000000000000004\"\t\"00FF10\"\r\n\"'-x\"\t\"-1\"\t\"raw\"\r\n"
                                    : "\"=Sum\"\t\"\"\t\"\"\r\n\"=1+2\"\t\"0.30000000000000004\"\t\"00FF10\"\r\n\"-x\"\t\"-1\"\t\"raw\"\r\n");
  }
}

// The save list's extras: offered, and a posted choice taken, only with
// ExportExtras; "-ALL" asks for the whole result.
TEST(Download, ExtrasChooseFormatAndScopeOnlyWhenOn) {
  struct Case {
    bool extras;
    const char* posted;
    TExportType type;
    TExportScope scope;
  };
  const Case cases[] = {
      {false, "CSV", TExportType::TabbedText, TExportScope::Page},
      {false, "XLS-ALL", TExportType::TabbedText, TExportScope::Page},
      {false, "DBF", TExportType::dBase, TExportScope::Page},
      {true, "CSV-ALL", TExportType::CSV, TExportScope::WholeResult},
      {true, "XLSX", TExportType::XLSX, TExportScope::Page},
      {true, "MDB-ALL", TExportType::Access, TExportScope::WholeResult},
      {true, "-ALL", TExportType::TabbedText, TExportScope::Page},
  };
  for (const Case& c : cases) {
    TZylHTMLGrid grid(nullptr);
    grid.SetName("G"), grid.SetExportExtras(c.extras);
    EXPECT_EQ(grid.ProcessParametersData(std::string("GName=G\nGSAVEAS.x=1\nGSAVEAS.y=1\nGSave=") + c.posted),
              TGridAction::gaSaveAs);
    EXPECT_EQ(grid.GetSaveAsType(), c.type) << c.posted;
    EXPECT_EQ(grid.GetSaveAsScope(), c.scope) << c.posted;
    EXPECT_EQ(grid.GetToolbar(true).find("VALUE=\"CSV-ALL\">CSV (every row)") != std::string::npos, c.extras);
  }
}

// The page or every record of the dataset (in its order, row-number column
// left out), with guarded formulas and "?" for bytes that are not UTF-8.
TEST(Download, WholeResultStreamsEveryRecord) {
  TZylMemDataset ds(nullptr);
  ds.AddField("Name", TFieldType::ftString, 20);
  ds.AddField("Qty", TFieldType::ftInteger);
  for (const char* name : {"=1+2", "a\xFF" "b", "c,\"d\""}) ds.AddRecord({TVariant(name), TVariant(7)});
  ds.Open();
  TZylHTMLGrid grid(nullptr);
  grid.Loaded();
  grid.SetRowsPerPage(2), grid.SetGuardFormulas(true), grid.SetDataset(&ds);
  grid.ReadValues();
  const struct {
    TExportType type;
    TExportScope scope;
    std::string text;
  } cases[] = {
      {TExportType::CSV, TExportScope::Page, "Name,Qty\r\n'=1+2,7\r\na?b,7\r\n"},
      {TExportType::CSV, TExportScope::WholeResult, "Name,Qty\r\n'=1+2,7\r\na?b,7\r\n\"c,\"\"d\"\"\",7\r\n"},
      {TExportType::JSON, TExportScope::WholeResult,
       "[\n{\"Name\":\"=1+2\",\"Qty\":7},\n{\"Name\":\"a?b\",\"Qty\":7},\n{\"Name\":\"c,\\\"d\\\"\",\"Qty\":7}\n]\n"},
      {TExportType::TabbedText, TExportScope::WholeResult,
       "\"Name\"\t\"Qty\"\r\n\"'=1+2\"\t\"7\"\r\n\"a?b\"\t\"7\"\r\n\"c,\"\"d\"\"\"\t\"7\"\r\n"},
  };
  for (const auto& c : cases) {
    TMemoryStream out;
    grid.SaveAs(c.type, out, c.scope);
    EXPECT_EQ(out.AsString(), c.text);
    EXPECT_EQ(grid.GetLastExportNote().empty(), c.type == TExportType::TabbedText) << c.text;
    EXPECT_EQ(grid.GetColCount(), 3) << "the row-number column is back";
    EXPECT_EQ(grid.GetRowCount(), 2) << "and the page";
  }
}

}  // namespace
}  // namespace zyl
