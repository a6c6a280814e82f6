// OwnedList: an ordered list that owns its objects (std::unique_ptr), with
// the index errors of TList: any access outside 0..Count()-1 raises
// EListError "List index out of bounds (N)" before anything changes.
#pragma once

#include <memory>
#include <vector>

#include "platform/Exception.h"

namespace zyl {

template <class T>
class OwnedList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  T* Get(int index) const {
    Check(index);
    return items_[static_cast<std::size_t>(index)].get();
  }
  T* operator[](int index) const { return Get(index); }

  // Room for `count` items without growing again.
  void Reserve(int count) {
    if (count > 0) items_.reserve(static_cast<std::size_t>(count));
  }
  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  // Inserts before `index`; `index` may equal Count().
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) throw EListError::OutOfBounds(index);
    items_.insert(items_.begin() + index, std::move(item));
  }
  // Puts `item` at `index` and hands the object that was there back to the caller.
  std::unique_ptr<T> Replace(int index, std::unique_ptr<T> item) {
    Check(index);
    std::swap(items_[static_cast<std::size_t>(index)], item);
    return item;
  }
  // Removes the object at `index` and hands it to the caller.
  std::unique_ptr<T> Extract(int index) {
    Check(index);
    std::unique_ptr<T> item = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }
  // Removes and frees the object at `index`.
  void Delete(int index) { Extract(index); }
  void Move(int from, int to) {
    Check(from);
    Check(to);
    if (from == to) return;
    std::unique_ptr<T> item = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
  }
  int IndexOf(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].get() == item) return static_cast<int>(i);
    }
    return -1;
  }
  void Clear() { items_.clear(); }

  // Iteration yields the raw pointers (the list keeps ownership).
  class Iterator {
   public:
    explicit Iterator(typename std::vector<std::unique_ptr<T>>::const_iterator it) : it_(it) {}
    T* operator*() const { return it_->get(); }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return it_ != other.it_; }

   private:
    typename std::vector<std::unique_ptr<T>>::const_iterator it_;
  };
  Iterator begin() const { return Iterator(items_.begin()); }
  Iterator end() const { return Iterator(items_.end()); }

  // Reorders the items: position i receives the item that stood at order[i].
  // REQUIRES: order is a permutation of 0..Count()-1.
  void Permute(const std::vector<int>& order) {
    std::vector<std::unique_ptr<T>> next;
    next.reserve(items_.size());
    for (int from : order) next.push_back(std::move(items_[static_cast<std::size_t>(from)]));
    items_.swap(next);
  }

 private:
  void Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
  }
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace zyl
