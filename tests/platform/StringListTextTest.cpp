// TStringList's whole-text forms: Text (CR LF after every line; split at CR,
// LF or CR LF) and comma text as the configuration file stores pick lists.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/StringList.h"

namespace zyl {
namespace {

using Lines_ = std::vector<std::string>;

Lines_ Lines(const TStringList& list) { return {list.begin(), list.end()}; }

void Fill(TStringList& list, const Lines_& lines) {
  for (const auto& s : lines) list.Add(s);
}

std::string TextOf(const Lines_& lines) {
  TStringList list;
  Fill(list, lines);
  return list.GetText();
}

std::string CommaTextOf(const Lines_& lines) {
  TStringList list;
  Fill(list, lines);
  return list.GetCommaText();
}

Lines_ SplitText(std::string_view text) {
  TStringList list;
  list.SetText(text);
  return Lines(list);
}

Lines_ ParseComma(std::string_view text) {
  TStringList list;
  list.SetCommaText(text);
  return Lines(list);
}

// ---------------------------------------------------------------- Text

TEST(StringListText, EveryLineEndsWithCrLf) {
  EXPECT_EQ(TextOf({"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(TextOf({"only"}), "only\r\n");
  EXPECT_EQ(TextOf({""}), "\r\n");
  EXPECT_EQ(TextOf({"", ""}), "\r\n\r\n");
  EXPECT_EQ(TStringList().GetText(), "");
}

TEST(StringListText, SplitsAtCrLfOrCrLf) {
  EXPECT_EQ(SplitText("a\r\nb\r\nc"), (Lines_{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a\nb\nc"), (Lines_{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a\rb\rc"), (Lines_{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a\rb\nc\r\nd"), (Lines_{"a", "b", "c", "d"}));
}

TEST(StringListText, FinalBreakAddsNoEmptyLine) {
  EXPECT_EQ(SplitText("a\r\n"), (Lines_{"a"}));
  EXPECT_EQ(SplitText("a\n"), (Lines_{"a"}));
  EXPECT_EQ(SplitText("a\r"), (Lines_{"a"}));
  EXPECT_EQ(SplitText("a\r\n\r\n"), (Lines_{"a", ""}));
  EXPECT_EQ(SplitText(""), Lines_{});
  EXPECT_EQ(SplitText("\r\n"), (Lines_{""}));
  EXPECT_EQ(SplitText("\n\n"), (Lines_{"", ""}));
}

TEST(StringListText, MixedBreaksMakeEmptyLinesWhereTheyShould) {
  // CR, then CR LF: one empty line between.
  EXPECT_EQ(SplitText("a\r\r\nb"), (Lines_{"a", "", "b"}));
  // LF, then CR: two breaks (LF CR is not one break).
  EXPECT_EQ(SplitText("a\n\rb"), (Lines_{"a", "", "b"}));
  EXPECT_EQ(SplitText("a\r\r\n"), (Lines_{"a", ""}));
  EXPECT_EQ(SplitText("\r\r\n\n"), (Lines_{"", "", ""}));
}

TEST(StringListText, TextRoundTripsAndResetsSlots) {
  TStringList list;
  list.AddObject("first line", 5);
  list.AddObject("", 6);
  list.AddObject("  blanks kept  \t", 7);
  list.AddObject("Größe=10", 8);
  TStringList copy;
  copy.SetText(list.GetText());
  EXPECT_EQ(Lines(copy), Lines(list));
  list.SetText(list.GetText());
  EXPECT_EQ(list.GetObject(0), 0);
}

// ---------------------------------------------------------------- comma text

TEST(StringListCommaText, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(CommaTextOf({"New York", "Boston"}), "\"New York\",Boston");
  EXPECT_EQ(CommaTextOf({"a,b", "c"}), "\"a,b\",c");
  EXPECT_EQ(CommaTextOf({"say \"hi\"", "x"}), "\"say \"\"hi\"\"\",x");
  EXPECT_EQ(CommaTextOf({"tab\there"}), "\"tab\there\"");
  EXPECT_EQ(CommaTextOf({"Größe", "x=1", "a'b"}), "Größe,x=1,a'b");
  EXPECT_EQ(TStringList().GetCommaText(), "");
}

TEST(StringListCommaText, EmptyEntriesAreKept) {
  EXPECT_EQ(CommaTextOf({""}), "\"\"");
  EXPECT_EQ(ParseComma("\"\""), (Lines_{""}));
  EXPECT_EQ(ParseComma(""), Lines_{});
  EXPECT_EQ(ParseComma("a,,b"), (Lines_{"a", "", "b"}));
  EXPECT_EQ(ParseComma(",a"), (Lines_{"", "a"}));
  EXPECT_EQ(ParseComma("a,\"\""), (Lines_{"a", ""}));
}

TEST(StringListCommaText, ParsesBlanksQuotesAndSeparators) {
  EXPECT_EQ(ParseComma("\"New York\",Boston"), (Lines_{"New York", "Boston"}));
  EXPECT_EQ(ParseComma("New York,Boston"), (Lines_{"New", "York", "Boston"}));
  EXPECT_EQ(ParseComma("  a , b ,c  "), (Lines_{"a", "b", "c"}));
  EXPECT_EQ(ParseComma("\"say \"\"hi\"\"\",x"), (Lines_{"say \"hi\"", "x"}));
  EXPECT_EQ(ParseComma("\"a\"b"), (Lines_{"a", "b"}));
  EXPECT_EQ(ParseComma("\"unterminated"), (Lines_{"unterminated"}));
  EXPECT_EQ(ParseComma("\"a,b\""), (Lines_{"a,b"}));
}

TEST(StringListCommaText, RoundTripsAwkwardEntries) {
  const Lines_ cases[] = {
      {"New York", "Boston"},
      {"a", ""},
      {"", ""},
      {"", "a", ""},
      {" lead", "trail ", " "},
      {"\"", "\"\"", "a\"b"},
      {",", ",,", "a,"},
      {"line\r\nbreak", "tab\t"},
      {"Größe", "ÄPFEL", "x"},
  };
  for (const auto& lines : cases) {
    std::string text = CommaTextOf(lines);
    EXPECT_EQ(ParseComma(text), lines) << "comma text: " << text;
  }
}

TEST(StringListCommaText, RandomListsRoundTrip) {
  const std::string pieces[] = {"a", "B", " ", ",", "\"", "\t", "é", "=", "'", ""};
  std::mt19937 rng(20031231);
  for (int round = 0; round < 500; ++round) {
    Lines_ lines(rng() % 5);
    for (auto& line : lines) {
      for (unsigned n = rng() % 4; n > 0; --n) line += pieces[rng() % std::size(pieces)];
    }
    std::string text = CommaTextOf(lines);
    ASSERT_EQ(ParseComma(text), lines) << "comma text: " << text;
  }
}

}  // namespace
}  // namespace zyl
