// TStringList: an ordered list of byte strings (UTF-8 in practice), each
// line with an integer slot beside it (the library keeps usage counts
// there). Used for page text, the style sheet, posted fields, pick lists
// and value lists.
//
// Lookups by whole line (IndexOf) and by the name of a 'name=value' line
// (IndexOfName, Values) ignore case. Text joins lines with CR LF and splits
// at CR, LF or CR LF; a final line break adds no empty line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Object.h"

namespace zyl {

class TStringList : public TPersistent {
 public:
  TStringList() = default;
  std::string ClassName() const override { return "TStringList"; }

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  // Line access; indices outside 0..Count()-1 raise EListError.
  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  // Replaces the text of a line, keeping its slot. Not in a sorted list.
  void Put(int index, std::string s);
  std::intptr_t GetObject(int index) const;
  void PutObject(int index, std::intptr_t object);

  // Adds a line; in a sorted list it goes to its sorted place (and a
  // duplicate is ignored when Duplicates() is dupIgnore). Returns its index.
  int Add(std::string s) { return AddObject(std::move(s), 0); }
  int AddObject(std::string s, std::intptr_t object);
  // Inserts before `index` (0..Count()).
  void Insert(int index, std::string s, std::intptr_t object = 0);
  void Delete(int index);
  void Clear();
  void Exchange(int a, int b);
  void Move(int from, int to);
  // Put, Insert, Exchange and Move would break a sorted list's order: there
  // they raise EListError "Operation not allowed on sorted list".

  // First line equal to `s` ignoring case, or -1.
  int IndexOf(std::string_view s) const;
  // First 'name=value' line whose name equals `name` ignoring case, or -1.
  int IndexOfName(std::string_view name) const;
  // The name part of line `index` (text before the first "="; empty when
  // the line has no "=").
  std::string Names(int index) const;
  // The value part of line `index` (text after the first "=").
  std::string ValueFromIndex(int index) const;
  // The value of the first line named `name`; empty when there is none.
  std::string Values(std::string_view name) const;
  // Sets the value of the line named `name` (adding 'name=value' when there
  // is none); an empty value deletes the line. The line is rewritten as
  // 'name=value' with `name` as given (a sorted list re-sorts it).
  void SetValues(std::string_view name, std::string_view value);

  // Lines joined by CR LF, each line (the last too) followed by CR LF.
  std::string GetText() const;
  // Replaces the lines with `text` split at CR, LF or CR LF; slots become 0.
  // A sorted list adds them as Add does (sorted, duplicates per Duplicates()).
  void SetText(std::string_view text);

  // Comma text: entries separated by commas; an empty entry, or one holding
  // a blank, a control character, a comma or a double quote, is enclosed in
  // double quotes with inner quotes doubled. SetCommaText reads it back to
  // the same lines. A list of one empty line gives "" and an empty list
  // the empty text.
  std::string GetCommaText() const;
  // Replaces the lines with the entries parsed from comma text. Unquoted
  // entries end at a comma or a blank; quoted ones run to their closing
  // quote, with "" standing for one quote.
  void SetCommaText(std::string_view text);

  // A sorted list keeps its lines ordered ignoring case (locale order).
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  void Sort();
  enum class TDuplicates { dupIgnore, dupAccept, dupError };
  TDuplicates GetDuplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }

  // Batches changes: OnChange fires once, at the outermost EndUpdate.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  std::function<void(TStringList&)> OnChange;

  // Copies lines and slots from another TStringList (a sorted target sorts
  // them and applies its Duplicates()); fires OnChange once. Other sources
  // assign themselves (AssignTo) or raise the assignment error.
  void Assign(const TPersistent& source) override;
  void AddStrings(const TStringList& other);

  // Iteration yields the lines (const std::string&), first to last.
  class Iterator;
  Iterator begin() const;
  Iterator end() const;
  // Same lines in the same order (slots are not compared).
  bool operator==(const TStringList& other) const { return items_ == other.items_; }

  // A number taken afresh from one process-wide sequence whenever the lines
  // change (not when only a slot does): two equal revisions are the same
  // list with the same lines, so a cache keyed by it needs no comparison.
  std::uint64_t Revision() const { return revision_; }

 private:
  struct Item {
    std::string text;
    std::intptr_t object = 0;
    bool operator==(const Item& o) const { return text == o.text; }
  };

 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string*;
    using reference = const std::string&;
    Iterator() = default;
    explicit Iterator(std::vector<Item>::const_iterator it) : it_(it) {}
    reference operator*() const { return it_->text; }
    pointer operator->() const { return &it_->text; }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++it_;
      return old;
    }
    bool operator==(const Iterator& other) const { return it_ == other.it_; }

   private:
    std::vector<Item>::const_iterator it_;
  };

 private:
  void Check(int index) const;
  void CheckUnsorted() const;
  void Changed();
  void Revise();
  // Index where `s` belongs in a sorted list; `found` tells whether an
  // equal line (ignoring case) is there.
  int FindSorted(std::string_view s, bool& found) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
  int updateCount_ = 0;
  bool changedWhileUpdating_ = false;
  std::uint64_t revision_ = 0;
};

inline TStringList::Iterator TStringList::begin() const {
  return Iterator(items_.begin());
}
inline TStringList::Iterator TStringList::end() const {
  return Iterator(items_.end());
}

}  // namespace zyl
