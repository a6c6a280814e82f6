// Text helpers as tables: UTF-8 and code page 1252, locale case and
// collation, and TStringList's text forms, sorted lists, lookups
// and change batches.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Locale.h"
#include "platform/StringList.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl {
namespace {

using Lines = std::vector<std::string>;

TEST(Utf8, ToCp1252AndValidity) {
  // clang-format off
  const struct { std::string utf8, cp1252; bool valid; } cases[] = {
      {std::string("a\0b", 3), std::string("a\0b", 3), true},
      {"Z\xC3\xBCrich \xC3\xA9\xC2\xA0", "Z\xFCrich \xE9\xA0", true},
      {"€‚ŠŒŽ‘’“”•–—™šœžŸ", "\x80\x82\x8A\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x99\x9A\x9C\x9E\x9F",
       true},
      {"Ελλάδα 東京", "?????? ??", true},         // one '?' per missing character
      {"x\xF0\x9F\x98\x80y", "x?y", true},        // beyond the BMP
      {"\xC2\x81\xC2\x9D", "??", true},           // C1 controls on unused bytes
      {"e\xCC\x81t\xC3\xA9", "\xE9t\xE9", true},  // composed first
      {"a\x80z", "a?z", false},
      {"a\xC3", "a?", false},  // malformed: one '?' per byte
      {"a\xE2\x82z", "a??z", false},
      {"\xC0\xAF", "??", false},            // overlong
      {"\xED\xA0\x80x", "???x", false},     // UTF-16 surrogate
      {"\xF4\x90\x80\x80", "????", false},  // beyond U+10FFFF
  };  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(IsValidUtf8(c.utf8), c.valid) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(c.utf8).value_or(u"?")), c.valid ? c.utf8 : "?") << c.utf8;
  }
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      EXPECT_EQ(Cp1252ToUtf8(byte), "\xEF\xBF\xBD") << b;
    } else {
      EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(byte)), byte) << b;
    }
  }
}

TEST(Text, ConnectionStringPasswordsAreMasked) {
  const std::pair<const char*, const char*> cases[] = {
      {"host=db PASSWORD = 'it\\'s a secret' dbname=a", "host=db PASSWORD = *** dbname=a"},
      {"x: user=a password=s3cr&t", "x: user=a password=***"},
      {"postgresql://ada:pw@db:5432/a?sslmode=require&password=pw&x=1",
       "postgresql://ada:***@db:5432/a?sslmode=require&password=***&x=1"},
      {"postgresql://ada@db/a nopassword=1 http://h/a:b@c",
       "postgresql://ada@db/a nopassword=1 http://h/a:b@c"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(MaskPasswords(text), shown) << text;
}

TEST(Locale, CaseAndCollation) {
  EXPECT_EQ(AnsiUpperCase("äpfel größe"), "ÄPFEL GRÖSSE");
  EXPECT_EQ(AnsiUpperCase("\xC4pfel und äpfel"), "\xC4PFEL UND ÄPFEL");  // Latin-1 bytes survive
  EXPECT_EQ(AnsiUpperCase("cut \xC3"), "CUT \xC3");
  EXPECT_EQ(FindText("Größe", "GRÖ"), 0u);
  // clang-format off
  const struct { const char *a, *b; int sign; } cases[] = {  // sign of AnsiCompareText(a, b)
      {"apple", "Banana", -1}, {"Äpfel", "Birne", -1}, {"ÄPFEL", "äpfel", 0}, {"b", "a", 1},  // Equal only when equal ignoring case: no width variants or ignorables.
      {"äpfel", "apfel", 2}, {"ab", "a\u200Bb", 2}, {"abc", "ＡＢＣ", 2}, {"\xC4pfel", "\xD6pfel", 2}
  };  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    int r = AnsiCompareText(c.a, c.b);
    if (c.sign == 2) {
      EXPECT_NE(r, 0);
      EXPECT_EQ(r > 0, AnsiCompareText(c.b, c.a) < 0) << "antisymmetric";
    } else {
      EXPECT_EQ((r > 0) - (r < 0), c.sign);
    }
    EXPECT_EQ(AnsiSameText(c.a, c.b), c.sign == 0);
  }
  EXPECT_NE(AnsiCompareStr("a", "A"), 0);
  EXPECT_EQ(AnsiCompareStr("a", "A"), -AnsiCompareStr("A", "a"));
  EXPECT_LT(AnsiCompareStr("10", "9"), 0);
}

Lines Of(const TStringList& list) {
  return {list.begin(), list.end()};
}
void Fill(TStringList& list, const Lines& lines) {
  for (const auto& s : lines) list.Add(s);
}
std::string CommaOf(const Lines& lines) {
  TStringList list;
  return Fill(list, lines), list.GetCommaText();
}

TEST(StringList, TextAndCommaText) {
  // clang-format off
  const struct { std::string text; Lines lines; } split[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}}, {"a\r\n", {"a"}}, {"a\r\n\r\n", {"a", ""}}, {"", {}},
      {"\n\n", {"", ""}}, {"a\r\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a", "", "b"}}
  };  // clang-format on
  for (const auto& c : split) {
    TStringList list;
    EXPECT_EQ((list.SetText(c.text), Of(list)), c.lines) << c.text;
  }
  TStringList two;
  Fill(two, {"a", ""});
  EXPECT_EQ(two.GetText(), "a\r\n\r\n");
  // clang-format off
  const struct { Lines lines; std::string comma; } comma[] = {
      {{"New York", "Boston"}, "\"New York\",Boston"},
      {{"say \"hi\"", "a,b"}, "\"say \"\"hi\"\"\",\"a,b\""}, {{""}, "\"\""}, {{"a", ""}, "a,\"\""},
      {{"Größe", "x=1"}, "Größe,x=1"}
  };  // clang-format on
  for (const auto& c : comma) {
    TStringList back;
    EXPECT_EQ(CommaOf(c.lines), c.comma);
    EXPECT_EQ((back.SetCommaText(c.comma), Of(back)), c.lines) << c.comma;
  }
  TStringList parsed;
  parsed.SetCommaText("  a , b ,,New York,\"unterminated");
  EXPECT_EQ(Of(parsed), (Lines{"a", "b", "", "New", "York", "unterminated"}));
  const std::string pieces[] = {"a", " ", ",", "\"", "\t", "é", "=", "'", ""};
  std::mt19937 rng(20031231);
  for (int round = 0; round < 500; ++round) {
    Lines lines(rng() % 5);
    for (auto& line : lines) {
      for (unsigned n = rng() % 4; n > 0; --n) line += pieces[rng() % std::size(pieces)];
    }
    TStringList back;
    ASSERT_EQ((back.SetCommaText(CommaOf(lines)), Of(back)), lines) << CommaOf(lines);
  }
}

TEST(StringList, SortedListsStaySortedAndApplyTheirDuplicatesRule) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Banana", "apple", "Äpfel", "Zebra", "10", "9", "BANANA"})
    list.Add(s);
  EXPECT_EQ(Of(list), (Lines{"10", "9", "Äpfel", "apple", "Banana", "pear", "Zebra"}));
  EXPECT_EQ(list.Add("banana2"), 5);
  for (const char* s : {"ＡＢＣ", "abc", "a\u200Bbc"}) list.Add(s);  // alike, not equal: kept
  EXPECT_EQ(list.Count(), 11);
  for (auto edit : std::initializer_list<std::function<void()>>{
           [&] { list.Insert(0, "z"); }, [&] { list.Put(0, "z"); }, [&] { list.Move(0, 1); },
           [&] { list.Exchange(0, 1); }})
    EXPECT_THROW(edit(), EListError) << "a positional edit of a sorted list";
  list.SetText("pear\r\nApple\r\npear\r\n");
  EXPECT_EQ(Of(list), (Lines{"Apple", "pear"}));
  TStringList source;
  Fill(source, {"b", "a", "B"});
  list.Assign(source);
  EXPECT_EQ(Of(list), (Lines{"a", "b"}));
  list.AddObject("c=1", 9);
  list.SetValues("C", "0");  // respelled, may move, keeps its slot
  list.SetValues("a0", "5");
  EXPECT_EQ(Of(list), (Lines{"a", "a0=5", "b", "C=0"}));
  EXPECT_EQ(list.GetObject(3), 9);
  list.SetDuplicates(TStringList::TDuplicates::dupError);
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  EXPECT_THROW(list.SetText("x\ny\nX"), EListError);
  changes = 0;
  list.Add("later");
  EXPECT_EQ(changes, 1) << "a batch an error left has ended";
}

TEST(StringList, LookupsAndNameValueLines) {
  TStringList list;
  Fill(list, {"GName=Grid1", "Größe=10", "note", "eq=a=b", "=anon", "Ölbaum", "\xC4pfel"});
  EXPECT_EQ((list.Exchange(5, 6), list.IndexOf("ÖLBAUM")), 6);
  EXPECT_EQ((list.Move(5, 6), list.IndexOf("\xC4PFEL")), 6);  // back in place
  EXPECT_EQ(list.IndexOf("\xD6pfel"), -1);
  EXPECT_EQ(list.IndexOfName("note"), -1);
  EXPECT_EQ(list.Values("GRÖSSE"), "10");
  EXPECT_EQ(list.Values("eq"), "a=b");
  EXPECT_EQ(list.ValueFromIndex(4) + list.Names(3) + list.Names(2), "anoneq");
  list.SetValues("gname", "");  // an empty value deletes the line
  list.SetValues("new", "1");
  EXPECT_EQ(list[0], "Größe=10");
  EXPECT_EQ((list.SetValues("NEW", "2"), list[list.Count() - 1]), "NEW=2");
  EXPECT_THROW(list.Get(list.Count()), EListError);
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.EndUpdate();
  EXPECT_EQ(changes, 0);
  list.EndUpdate();
  list.AddStrings(list);  // adding a list to itself doubles it once
  EXPECT_EQ(changes, 2);
}

// The five characters HTML gives meaning to become entities; CR LF becomes
// the caller's text only when it names one; every other byte (a lone CR or
// LF, UTF-8) stays as it is.
TEST(Text, EscapedHtml) {
  const struct {
    std::string_view text, crlf, escaped;
  } cases[] = {
      {"", "", ""},
      {"plain text", "", "plain text"},
      {"a&b<c>d\"e'f", "", "a&amp;b&lt;c&gt;d&quot;e&#39;f"},
      {"<<&&>>", "", "&lt;&lt;&amp;&amp;&gt;&gt;"},
      {"x\r\ny", "", "x\r\ny"},
      {"x\r\ny", "<BR>", "x<BR>y"},
      {"\r\n\r\n", " ", "  "},
      {"\r", " ", "\r"},
      {"a\rb\n", " ", "a\rb\n"},
      {"tail\r", "<BR>", "tail\r"},
      {"\r\r\n'", " ", "\r &#39;"},
      {"Ünïcödé & ☃", "", "Ünïcödé &amp; ☃"},
      {std::string_view("nul\0<", 5), "", std::string_view("nul\0&lt;", 8)},
  };
  for (const auto& c : cases) {
    std::string out = "kept:";
    AppendEscapedHtml(out, c.text, c.crlf);
    EXPECT_EQ(out, "kept:" + std::string(c.escaped)) << c.text;
  }
}

}  // namespace
}  // namespace zyl
