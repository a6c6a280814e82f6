// A value with line breaks (CR LF and LF), tabs, quotes and non-ASCII text,
// posted from the page's text input and a memo's text area, is stored
// exactly by an update and by an add in each of zylgrid's modes.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "ZylgridClient.h"
#include "edit/EditTestSupport.h"

namespace zylgrid {
namespace {

using zyl::harness::Form;

const std::string kValue =
    "line one\r\nline two\nthree\tafter a tab \"double\" 'single' & = % + Gr\xC3\xBC\xC3\x9F"
    "e \xE2\x82\xAC";

class ZylgridPostedValue : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    db_ = (dir_.Path() / "notes.db").string();
    test::ExecSql(db_,
                  "CREATE TABLE notes (Id INTEGER PRIMARY KEY, Note TEXT, Memo MEMO);"
                  "INSERT INTO notes VALUES (1, 'n1', 'm1'), (2, 'n2', 'm2');");
    ini_ = dir_.Write("site.ini",
                      "[Notes]\nSource=sqlite:notes.db\nTable=notes\nEditable=1\nShowMemos=1\n");
  }
  std::string Stored(int id, const char* column) {
    return test::QueryText(
        db_, std::string("SELECT ") + column + " FROM notes WHERE Id = " + std::to_string(id));
  }

  test::ScratchDir dir_;
  std::string db_;
  std::string ini_;
};

TEST_P(ZylgridPostedValue, StoredExactlyByUpdateAndAdd) {
  auto zylgrid = test::StartZylgrid(GetParam(), ini_, dir_.Path() / "tmp");
  if (!zylgrid) GTEST_SKIP() << "cgi-fcgi is not installed (scripts/install-deps browser)";
  ASSERT_TRUE(zylgrid->Ready()) << "zylgrid did not start (see tmp/server.log)";

  std::string page = zylgrid->Click(zylgrid->Get(), "Notes_TABLE", "GRecNo1");
  zylgrid->Click(page, "Notes_TABLE", "GUPDATE", [](Form& f) {
    f.SetText("GCELL_1_1", kValue);
    f.SetText("GCELL_1_2", kValue);
  });
  EXPECT_EQ(Stored(2, "Note"), kValue);
  EXPECT_EQ(Stored(2, "Memo"), kValue);

  std::string adding = zylgrid->Click(zylgrid->Get(), "Notes_TABLE", "GADD");
  zylgrid->Click(adding, "Notes_TABLE", "GUPDATE", [](Form& f) {
    f.SetText(zyl::testing::CellControls(f, 1).at(0), kValue);  // the Id comes from SQLite
    f.SetText(zyl::testing::CellControls(f, 2).at(0), kValue);
  });
  EXPECT_EQ(Stored(3, "Note"), kValue);
  EXPECT_EQ(Stored(3, "Memo"), kValue);
  EXPECT_EQ(Stored(1, "Note"), "n1");
}

INSTANTIATE_TEST_SUITE_P(Modes, ZylgridPostedValue, ::testing::Values("serve", "cgi", "fcgi"));

}  // namespace
}  // namespace zylgrid
