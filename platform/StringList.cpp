#include "platform/StringList.h"

#include <algorithm>
#include <atomic>
#include <exception>

#include "platform/Locale.h"

namespace zyl {

namespace {

// Holds a list in an update batch for one scope. When the scope is left by
// an exception, the batch still ends (so later changes fire again), and a
// failing OnChange then cannot end the program.
class UpdateScope {
 public:
  explicit UpdateScope(TStringList& list) : list_(list), exceptions_(std::uncaught_exceptions()) {
    list_.BeginUpdate();
  }
  ~UpdateScope() {
    if (std::uncaught_exceptions() == exceptions_) {
      list_.EndUpdate();
      return;
    }
    try {
      list_.EndUpdate();
    } catch (...) {  // NOLINT(bugprone-empty-catch): the first error is the one to report
    }
  }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TStringList& list_;
  int exceptions_;
};

}  // namespace

void TStringList::Check(int index) const {
  if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
}

void TStringList::CheckUnsorted() const {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
}

void TStringList::Revise() {
  static std::atomic<std::uint64_t> sequence{0};
  revision_ = sequence.fetch_add(1, std::memory_order_relaxed) + 1;
}

void TStringList::Changed() {
  Revise();
  if (updateCount_ > 0) {
    changedWhileUpdating_ = true;
    return;
  }
  if (OnChange) OnChange(*this);
}

void TStringList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && changedWhileUpdating_) {
    changedWhileUpdating_ = false;
    if (OnChange) OnChange(*this);
  }
}

const std::string& TStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].text;
}

void TStringList::Put(int index, std::string s) {
  Check(index);
  CheckUnsorted();
  items_[static_cast<std::size_t>(index)].text = std::move(s);
  Changed();
}

std::intptr_t TStringList::GetObject(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, std::intptr_t object) {
  Check(index);
  items_[static_cast<std::size_t>(index)].object = object;
}

int TStringList::FindSorted(std::string_view s, bool& found) const {
  int lo = 0, hi = Count() - 1;
  found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = AnsiCompareText(items_[static_cast<std::size_t>(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  return lo;
}

int TStringList::AddObject(std::string s, std::intptr_t object) {
  int index = Count();
  if (sorted_) {
    bool found = false;
    index = FindSorted(s, found);
    if (found) {
      if (duplicates_ == TDuplicates::dupIgnore) return index;
      if (duplicates_ == TDuplicates::dupError) {
        throw EListError("String list does not allow duplicates");
      }
    }
  }
  items_.insert(items_.begin() + index, Item{std::move(s), object});
  Changed();
  return index;
}

void TStringList::Insert(int index, std::string s, std::intptr_t object) {
  if (index < 0 || index > Count()) throw EListError::OutOfBounds(index);
  CheckUnsorted();
  items_.insert(items_.begin() + index, Item{std::move(s), object});
  Changed();
}

void TStringList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TStringList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  CheckUnsorted();
  std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
  Changed();
}

void TStringList::Move(int from, int to) {
  Check(from);
  Check(to);
  CheckUnsorted();
  if (from == to) return;
  Item item = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

int TStringList::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(items_[static_cast<std::size_t>(i)].text, s)) return i;
  }
  return -1;
}

int TStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string_view line = items_[static_cast<std::size_t>(i)].text;
    std::size_t eq = line.find('=');
    if (eq != std::string_view::npos && AnsiSameText(line.substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& line = Get(index);
  std::size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& line = Get(index);
  std::size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStringList::Values(std::string_view name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValues(std::string_view name, std::string_view value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line(name);
  line += '=';
  line += value;
  if (i < 0) {
    Add(std::move(line));
  } else if (sorted_) {
    // The new spelling may belong elsewhere: take the line out and add it.
    UpdateScope batch(*this);
    std::intptr_t object = items_[static_cast<std::size_t>(i)].object;
    Delete(i);
    AddObject(std::move(line), object);
  } else {
    Put(i, std::move(line));
  }
}

std::string TStringList::GetText() const {
  std::size_t size = 0;
  for (const Item& item : items_) size += item.text.size() + 2;
  std::string out;
  out.reserve(size);
  for (const Item& item : items_) {
    out += item.text;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  UpdateScope batch(*this);
  items_.clear();
  Revise();
  changedWhileUpdating_ = true;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    AddObject(std::string(text.substr(pos, end - pos)), 0);
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
}

std::string TStringList::GetCommaText() const {
  std::string out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& s = items_[i].text;
    // Empty entries are quoted too, so that a trailing one survives.
    bool quote = s.empty() || std::any_of(s.begin(), s.end(), [](char c) {
                   auto u = static_cast<unsigned char>(c);
                   return u <= ' ' || c == '"' || c == ',';
                 });
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

void TStringList::SetCommaText(std::string_view text) {
  auto isBlank = [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= ' ';
  };
  UpdateScope batch(*this);
  Clear();
  std::size_t p = 0, n = text.size();
  while (p < n && isBlank(text[p])) ++p;
  while (p < n) {
    std::string entry;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            entry += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        entry += text[p++];
      }
    } else {
      std::size_t start = p;
      while (p<n&& static_cast<unsigned char>(text[p])> ' ' && text[p] != ',') ++p;
      entry.assign(text.substr(start, p - start));
    }
    Add(std::move(entry));
    while (p < n && isBlank(text[p])) ++p;
    if (p < n && text[p] == ',') {
      do {
        ++p;
      } while (p < n && isBlank(text[p]));
    }
  }
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) {
    sorted_ = true;
    Sort();
  }
  sorted_ = sorted;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
    return AnsiCompareText(a.text, b.text) < 0;
  });
  Changed();
}

void TStringList::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TStringList*>(&source);
  if (other == nullptr) {
    TPersistent::Assign(source);  // the source may know string lists; else the error
    return;
  }
  if (other == this) return;
  UpdateScope batch(*this);
  Revise();
  changedWhileUpdating_ = true;
  if (sorted_) {
    std::vector<Item> lines = other->items_;
    items_.clear();
    for (Item& item : lines) AddObject(std::move(item.text), item.object);
  } else {
    items_ = other->items_;
  }
}

void TStringList::AddStrings(const TStringList& other) {
  UpdateScope batch(*this);
  for (const Item& item : std::vector<Item>(other.items_)) AddObject(item.text, item.object);
}

}  // namespace zyl
