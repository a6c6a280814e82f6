// TList: an ordered list of object references that does not own them.
// Every access outside 0..Count()-1 raises EListError "List index out of
// bounds (N)" and changes nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/Exception.h"

namespace zyl {

template <class T>
class TList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  T* Get(int index) const {
    Check(index);
    return items_[static_cast<std::size_t>(index)];
  }
  T* operator[](int index) const { return Get(index); }
  // Replaces the reference at `index`; the previous object is not freed.
  void Put(int index, T* item) {
    Check(index);
    items_[static_cast<std::size_t>(index)] = item;
  }
  int Add(T* item) {
    items_.push_back(item);
    return Count() - 1;
  }
  // Inserts before `index`; `index` may equal Count() (append).
  void Insert(int index, T* item) {
    if (index < 0 || index > Count()) throw EListError::OutOfBounds(index);
    items_.insert(items_.begin() + index, item);
  }
  // Removes the reference at `index` (the object is not freed) and returns it.
  T* Extract(int index) {
    T* item = Get(index);
    items_.erase(items_.begin() + index);
    return item;
  }
  void Delete(int index) { Extract(index); }
  // Moves the item at `from` to position `to`.
  void Move(int from, int to) {
    if (from == to) {
      Check(from);
      return;
    }
    Check(to);
    T* item = Extract(from);
    items_.insert(items_.begin() + to, item);
  }
  int IndexOf(const T* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  void Clear() { items_.clear(); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
  }
  std::vector<T*> items_;
};

}  // namespace zyl
