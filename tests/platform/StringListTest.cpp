// TStringList: editing, case-insensitive lookups, name=value lines, object
// slots, sorted lists, change batching and assignment. Text and comma text
// are in StringListTextTest.cpp.
#include "platform/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zyl {
namespace {

std::vector<std::string> Lines(const TStringList& list) { return {list.begin(), list.end()}; }

using Lines_ = std::vector<std::string>;

// Fills `list` with `lines` through Add (a sorted list sorts them).
void Fill(TStringList& list, const Lines_& lines) {
  for (const auto& s : lines) list.Add(s);
}

// ---------------------------------------------------------------- editing

TEST(StringList, AddInsertDeleteClear) {
  TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add("d"), 1);
  list.Insert(0, "a");
  list.Insert(2, "c");
  list.Insert(4, "e");  // at Count: appends
  EXPECT_EQ(Lines(list), (Lines_{"a", "b", "c", "d", "e"}));
  list.Delete(2);
  list.Put(0, "A");
  EXPECT_EQ(Lines(list), (Lines_{"A", "b", "d", "e"}));
  list.Exchange(0, 3);
  list.Move(0, 2);
  EXPECT_EQ(Lines(list), (Lines_{"b", "d", "e", "A"}));
  list.Clear();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, BadPositionsRaiseTheListIndexError) {
  TStringList list;
  Fill(list, {"a", "b"});
  try {
    list.Get(2);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (2)");
  }
  EXPECT_THROW(list.Get(-1), EListError);
  EXPECT_THROW(list.Put(2, "x"), EListError);
  EXPECT_THROW(list.Delete(5), EListError);
  EXPECT_THROW(list.Insert(3, "x"), EListError);
  EXPECT_THROW(list.GetObject(2), EListError);
  EXPECT_THROW(list.PutObject(-1, 1), EListError);
  EXPECT_THROW(list.Names(2), EListError);
  EXPECT_THROW(list.ValueFromIndex(2), EListError);
  EXPECT_THROW(list.Move(0, 2), EListError);
  EXPECT_THROW(list.Exchange(0, 2), EListError);
  EXPECT_EQ(Lines(list), (Lines_{"a", "b"}));
}

TEST(StringList, ObjectSlotsTravelWithTheirLines) {
  TStringList list;
  list.AddObject(".GS0   { a }", 1);
  list.AddObject(".GS1   { b }", 7);
  list.Insert(0, "host line");
  EXPECT_EQ(list.GetObject(0), 0);
  EXPECT_EQ(list.GetObject(2), 7);
  list.PutObject(1, list.GetObject(1) + 1);  // a usage count
  list.Move(1, 2);
  EXPECT_EQ(list[2], ".GS0   { a }");
  EXPECT_EQ(list.GetObject(2), 2);
  list.Exchange(0, 2);
  EXPECT_EQ(list.GetObject(0), 2);
  list.Put(0, "replaced");  // replacing the text keeps the slot
  EXPECT_EQ(list.GetObject(0), 2);
}

// ---------------------------------------------------------------- lookups

TEST(StringList, IndexOfIgnoresCase) {
  TStringList list;
  Fill(list, {"Alpha", "beta", "BETA"});
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("Beta"), 1);  // the first of equal lines
  EXPECT_EQ(list.IndexOf("gamma"), -1);
  EXPECT_EQ(list.IndexOf("Alph"), -1);  // whole lines only
  EXPECT_EQ(list.IndexOf(""), -1);
}

TEST(StringList, IndexOfIgnoresCaseBeyondAscii) {
  TStringList list;
  Fill(list, {"äpfel", "Ölbaum", "straße", "Ελλάδα"});
  EXPECT_EQ(list.IndexOf("ÄPFEL"), 0);
  EXPECT_EQ(list.IndexOf("ölbaum"), 1);
  EXPECT_EQ(list.IndexOf("ΕΛΛΆΔΑ"), 3);
  EXPECT_EQ(list.IndexOf("apfel"), -1);  // accents count
  EXPECT_EQ(list.IndexOfName("ÄPFEL"), -1);  // no "=" in the line
}

TEST(StringList, LinesInAnotherCodePageAreNotConfused) {
  TStringList list;
  Fill(list, {"\xC4pfel", "\xD6l"});  // Latin-1 bytes
  EXPECT_EQ(list.IndexOf("\xD6l"), 1);
  EXPECT_EQ(list.IndexOf("\xD6L"), 1);
  EXPECT_EQ(list.IndexOf("\xDCl"), -1);
  TStringList sorted;
  sorted.SetSorted(true);
  Fill(sorted, {"\xC4", "\xD6", "\xDC"});
  EXPECT_EQ(sorted.Count(), 3);
}

TEST(StringList, NameValueLines) {
  TStringList fields;
  Fill(fields, {"GName=Grid1", "GPage=3", "note", "Empty=", "eq=a=b", "=anon"});
  EXPECT_EQ(fields.IndexOfName("gname"), 0);
  EXPECT_EQ(fields.IndexOfName("GPAGE"), 1);
  EXPECT_EQ(fields.IndexOfName("note"), -1);  // a line without "=" has no name
  EXPECT_EQ(fields.IndexOfName("Empty"), 3);
  EXPECT_EQ(fields.IndexOfName(""), 5);
  EXPECT_EQ(fields.Values("gpage"), "3");
  EXPECT_EQ(fields.Values("missing"), "");
  EXPECT_EQ(fields.Values("eq"), "a=b");  // split at the first "="
  EXPECT_EQ(fields.Names(4), "eq");
  EXPECT_EQ(fields.ValueFromIndex(4), "a=b");
  EXPECT_EQ(fields.Names(2), "");
  EXPECT_EQ(fields.ValueFromIndex(2), "");
  EXPECT_EQ(fields.Names(5), "");
  EXPECT_EQ(fields.ValueFromIndex(5), "anon");
}

TEST(StringList, NamesIgnoreCaseBeyondAscii) {
  TStringList list;
  Fill(list, {"Größe=10", "ÄPFEL=3"});
  EXPECT_EQ(list.Values("GRÖSSE"), "10");
  EXPECT_EQ(list.Values("äpfel"), "3");
}

TEST(StringList, SetValuesReplacesAddsAndDeletes) {
  TStringList list;
  Fill(list, {"a=1", "B=2"});
  list.SetValues("b", "20");  // replaces the line, spelled as given
  list.SetValues("c", "3");
  EXPECT_EQ(Lines(list), (Lines_{"a=1", "b=20", "c=3"}));
  list.SetValues("A", "");  // an empty value deletes the line
  list.SetValues("zz", "");  // ... and adds nothing when there is none
  EXPECT_EQ(Lines(list), (Lines_{"b=20", "c=3"}));
  list.SetValues("d", "x=y");
  EXPECT_EQ(list.Values("d"), "x=y");
}

// ---------------------------------------------------------------- sorted lists

TEST(StringList, SortedListKeepsLocaleOrderIgnoringCase) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Banana", "apple", "Äpfel", "cherry", "Zebra", "10", "9"}) {
    list.Add(s);
  }
  // Ä sorts with the a's, not after z as its bytes would.
  EXPECT_EQ(Lines(list), (Lines_{"10", "9", "Äpfel", "apple", "Banana", "cherry", "pear", "Zebra"}));
  EXPECT_EQ(list.Add("banana2"), 5);  // Add returns the sorted position
}

TEST(StringList, SortedListIgnoresDuplicatesByDefault) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.GetDuplicates(), TStringList::TDuplicates::dupIgnore);
  list.Add("Boston");
  list.Add("Austin");
  EXPECT_EQ(list.Add("BOSTON"), 1);  // the index of the line already there
  EXPECT_EQ(Lines(list), (Lines_{"Austin", "Boston"}));
  list.SetDuplicates(TStringList::TDuplicates::dupAccept);
  list.Add("boston");
  EXPECT_EQ(list.Count(), 3);
  list.SetDuplicates(TStringList::TDuplicates::dupError);
  EXPECT_THROW(list.Add("austin"), EListError);
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringList, SortedDuplicatesDifferOnlyInCase) {
  // Texts that collate alike but are not the same ignoring case are kept.
  TStringList list;
  list.SetSorted(true);
  list.Add("abc");
  list.Add("ＡＢＣ");  // full-width letters
  list.Add("a\u200Bbc");  // with a zero-width space
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf("ＡＢＣ"), list.IndexOf("ａｂｃ"));
}

TEST(StringList, SwitchingSortedOnSortsTheLines) {
  TStringList list;
  Fill(list, {"c", "A", "b"});
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (Lines_{"A", "b", "c"}));
  list.SetSorted(false);
  list.Add("a0");
  EXPECT_EQ(list[3], "a0");  // appended again once unsorted
}

TEST(StringList, PositionalEditsOfASortedListAreRefused) {
  TStringList list;
  list.SetSorted(true);
  list.Add("a");
  list.Add("c");
  EXPECT_THROW(list.Insert(0, "z"), EListError);
  EXPECT_THROW(list.Put(0, "z"), EListError);
  EXPECT_THROW(list.Move(0, 1), EListError);
  EXPECT_THROW(list.Exchange(0, 1), EListError);
  EXPECT_EQ(Lines(list), (Lines_{"a", "c"}));
}

TEST(StringList, SortedListSortsTextAndAssignedLines) {
  TStringList list;
  list.SetSorted(true);
  list.SetText("pear\r\nApple\r\npear\r\n");
  EXPECT_EQ(Lines(list), (Lines_{"Apple", "pear"}));
  TStringList source;
  Fill(source, {"b", "a", "B"});
  list.Assign(source);
  EXPECT_EQ(Lines(list), (Lines_{"a", "b"}));
}

TEST(StringList, SetValuesInASortedListKeepsTheOrder) {
  TStringList list;
  list.SetSorted(true);
  list.AddObject("b=1", 9);
  list.Add("c=2");
  list.SetValues("B", "0");  // respelled "B=0": may move, keeps its slot
  list.SetValues("a", "5");
  EXPECT_EQ(Lines(list), (Lines_{"a=5", "B=0", "c=2"}));
  EXPECT_EQ(list.GetObject(1), 9);
}

// ---------------------------------------------------------------- change events

TEST(StringList, EveryChangeFiresOnChange) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  list.Add("a");
  list.Insert(0, "b");
  list.Put(0, "c");
  list.Delete(0);
  EXPECT_EQ(changes, 4);
  list.Clear();
  list.Clear();  // an empty list does not change
  EXPECT_EQ(changes, 5);
}

TEST(StringList, UpdateBatchFiresOnceAtTheOutermostEnd) {
  TStringList list;
  int changes = 0;
  int countSeen = -1;
  list.OnChange = [&](TStringList& l) {
    ++changes;
    countSeen = l.Count();
  };
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.SetValues("c", "1");
  list.EndUpdate();
  EXPECT_EQ(changes, 0);
  list.Add("d");
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(countSeen, 4);

  list.BeginUpdate();  // a batch without changes fires nothing
  list.EndUpdate();
  list.EndUpdate();  // unbalanced EndUpdate is harmless
  EXPECT_EQ(changes, 1);
}

TEST(StringList, WholeTextReplacementsFireOnce) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  list.SetText("a\r\nb\r\nc");
  EXPECT_EQ(changes, 1);
  list.SetCommaText("x,y,z");
  EXPECT_EQ(changes, 2);
  TStringList other;
  Fill(other, {"1", "2"});
  list.Assign(other);
  EXPECT_EQ(changes, 3);
  list.AddStrings(other);
  EXPECT_EQ(changes, 4);
}

TEST(StringList, BatchLeftByAnErrorStillEnds) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(TStringList::TDuplicates::dupError);
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  EXPECT_THROW(list.SetText("a\nb\nA"), EListError);
  EXPECT_THROW(list.SetCommaText("x,X"), EListError);
  changes = 0;
  list.Add("later");
  EXPECT_EQ(changes, 1);  // not swallowed by a batch that never ended
}

// ---------------------------------------------------------------- assignment

TEST(StringList, AssignCopiesLinesAndSlots) {
  TStringList source;
  source.AddObject("a", 3);
  source.AddObject("b", 4);
  TStringList target;
  Fill(target, {"old"});
  target.Assign(source);
  EXPECT_EQ(Lines(target), (Lines_{"a", "b"}));
  EXPECT_EQ(target.GetObject(1), 4);
  EXPECT_TRUE(target == source);
  target.Assign(target);  // self-assignment keeps the lines
  EXPECT_EQ(target.Count(), 2);
  target.AddStrings(target);  // adding a list to itself doubles it once
  EXPECT_EQ(Lines(target), (Lines_{"a", "b", "a", "b"}));
}

class TZylColumn : public TPersistent {
 public:
  std::string ClassName() const override { return "TZylColumn"; }
};

TEST(StringList, AssignFromAnotherClassRaisesTheAssignmentError) {
  TStringList list;
  Fill(list, {"keep"});
  TZylColumn column;
  try {
    list.Assign(column);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TZylColumn to a TStringList");
  }
  EXPECT_EQ(Lines(list), (Lines_{"keep"}));
}

}  // namespace
}  // namespace zyl
