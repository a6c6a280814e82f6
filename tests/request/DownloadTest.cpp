// Download responses: console headers and blocks, the ASP call order, and
// SaveAs leaving no temporary files behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "grid/ZylHTMLGrid.h"
#include "platform/AspObjects.h"
#include "platform/Stream.h"
#include "platform/System.h"
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

class Download : public ::testing::Test {
 protected:
  Download() : css_(nullptr), grid_(nullptr) {
    grid_.SetName("Grid1");
    grid_.SetCSS(&css_);
    css_.SetConsoleOutput(&out_);
  }
  TZylCSS css_;
  TZylHTMLGrid grid_;
  RecordingStream out_;
};

// The console header, then the stream in blocks of at most 10001 bytes; a
// file name cannot break the header.
TEST_F(Download, ConsoleHeadersThenTheBytesInBlocks) {
  const std::string header =
      "Content-type: text/plain\r\nContent-disposition: attachment;filename=\"";
  struct Case {
    std::string body, fileName, headerEnd;
    std::vector<std::size_t> blocks;
  };
  const Case cases[] = {
      {"abc", "Orders.txt", "Orders.txt\"\r\n\r\n", {3}},
      {"", "e.txt", "e.txt\"\r\n\r\n", {}},
      {std::string(25000, 'x'), "big.db", "big.db\"\r\n\r\n", {10001, 10001, 4998}},
      {"", "a\"\r\nSet-Cookie: x.txt", "aSet-Cookie: x.txt\"\r\n\r\n", {}},
  };
  for (const Case& c : cases) {
    RecordingStream out;
    css_.SetConsoleOutput(&out);
    TMemoryStream body;
    body.Write(c.body);
    grid_.SendFile("text/plain", body, c.fileName);
    EXPECT_EQ(out.AsString(), header + c.headerEnd + c.body);
    std::vector<std::size_t> writes{header.size() + c.headerEnd.size()};
    writes.insert(writes.end(), c.blocks.begin(), c.blocks.end());
    EXPECT_EQ(out.writes, writes) << c.fileName;
  }
}

// A page goes out through the same channel as a download.
TEST_F(Download, PagesGoOutThroughTheHostKindsChannel) {
  css_.GetRequestChannel().SendPage(500, "text/html", "<P>x</P>");
  EXPECT_EQ(out_.AsString(),
            "Status: 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n<P>x</P>");

  auto response = std::make_shared<TAspResponse>();
  css_.SetModuleType(TModuleType::ASP);
  css_.SetASPResponse(TVariant(std::static_pointer_cast<IAutoObject>(response)));
  css_.GetRequestChannel().SendPage(404, "text/plain", "gone");
  EXPECT_EQ(response->Status(), "404 Not Found");
  EXPECT_EQ(response->ContentType(), "text/plain");
  EXPECT_EQ(std::string(response->Body().begin(), response->Body().end()), "gone");

  WebModuleChannel host;
  css_.SetRequestChannel(&host);
  css_.GetRequestChannel().SendPage(200, "text/html", "<P>y</P>");
  EXPECT_TRUE(host.GetAnswer().sent);
  EXPECT_EQ(host.GetAnswer().body, "<P>y</P>");
}

TEST_F(Download, WebModuleAndNoLinkSendNothing) {
  TMemoryStream body;
  body.Write("abc");
  css_.SetModuleType(TModuleType::WebModule);
  grid_.SendFile("text/plain", body, "x.txt");
  TZylHTMLGrid lone(nullptr);
  lone.SendFile("text/plain", body, "x.txt");
  EXPECT_TRUE(out_.writes.empty());
}

TEST_F(Download, AspCallsInOrder) {
  auto response = std::make_shared<TAspResponse>();
  css_.SetModuleType(TModuleType::ASP);
  css_.SetASPResponse(TVariant(std::static_pointer_cast<IAutoObject>(response)));
  TMemoryStream body;
  body.Write("xyz");
  grid_.SendFile("application/x-msexcel", body, "Grid1.xls");
  std::vector<std::string> names;
  for (const auto& call : response->Calls()) names.push_back(call.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Clear", "ContentType", "AddHeader", "BinaryWrite", "End"}));
  EXPECT_EQ(response->ContentType(), "application/x-msexcel");
  ASSERT_EQ(response->Headers().size(), 1u);
  EXPECT_EQ(response->Headers()[0].first, "content-disposition");
  EXPECT_EQ(response->Headers()[0].second, "attachment;filename=\"Grid1.xls\"");
  EXPECT_EQ(std::string(response->Body().begin(), response->Body().end()), "xyz");
}

// SaveAs through the export engine; temporary files live in a private directory.
class SaveAsTest : public ::testing::Test {
 protected:
  SaveAsTest() : grid_(nullptr) {
    dir_ = std::filesystem::temp_directory_path() / ("zyl_saveas_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    oldTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", dir_.c_str(), 1);
    grid_.SetName("G");
    grid_.SetColCount(2);
    grid_.SetRowCount(2);
    grid_.GetColumns(0)->SetFieldName("Name");
    grid_.GetColumns(1)->SetFieldName("Qty");
    grid_.GetColumns(1)->SetDataType(TFieldType::ftInteger);
    grid_.GetCells(0, 0)->SetValue("Ann \"A\"");
    grid_.GetCells(0, 1)->SetValue("3");
    grid_.GetCells(1, 0)->SetValue("Bo");
    grid_.GetCells(1, 1)->SetValue("");
  }
  ~SaveAsTest() override {
    if (oldTmp_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }
  bool DirEmpty() const { return std::filesystem::is_empty(dir_); }
  std::filesystem::path dir_;
  std::string oldTmp_;
  TZylHTMLGrid grid_;
};

TEST_F(SaveAsTest, TabbedTextNeedsNoTemporaryFile) {
  TMemoryStream out;
  grid_.SaveAs(TExportType::TabbedText, out);
  EXPECT_EQ(out.AsString().substr(0, 8), "\"\"\t\"\"\r\n\"");  // captions are empty here
  EXPECT_TRUE(DirEmpty());
}

TEST_F(SaveAsTest, EveryFormatLeavesNoTemporaryFiles) {
  for (TExportType type :
       {TExportType::Excel, TExportType::Access, TExportType::dBase, TExportType::Paradox}) {
    TMemoryStream out;
    grid_.SaveAs(type, out);
    EXPECT_GT(out.GetSize(), 0) << static_cast<int>(type);
    EXPECT_TRUE(DirEmpty()) << static_cast<int>(type);
  }
}

TEST_F(SaveAsTest, AFailedExportLeavesNoTemporaryFiles) {
  grid_.GetCells(1, 1)->SetValue("not a number");
  TMemoryStream out;
  EXPECT_THROW(grid_.SaveAs(TExportType::Excel, out), Exception);
  EXPECT_EQ(out.GetSize(), 0);
  EXPECT_TRUE(DirEmpty());
}

}  // namespace
}  // namespace zyl
