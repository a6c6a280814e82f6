// Recycled<T, Keep>: blocks of sizeof(T) kept per thread for the next
// object of T, at most Keep of them. Objects made by the thousand on every
// request (a grid's cells) then come and go without the allocator's locks,
// which threads serving requests at once otherwise contend for.
//
//   class Cell {
//    public:
//     static void* operator new(std::size_t size) { return Recycled<Cell, 4096>::Take(size); }
//     static void operator delete(void* p, std::size_t size) { Recycled<Cell, 4096>::Give(p, size); }
//   };
//
// A block of another size (an object of a derived class) goes to the
// allocator. What a thread keeps is freed when the thread ends; a block
// given back after that goes to the allocator. Builds with AddressSanitizer
// keep nothing, so every object's memory is checked as it is freed.
#pragma once

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ZYL_RECYCLE_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZYL_RECYCLE_BLOCKS 0
#endif
#endif
#ifndef ZYL_RECYCLE_BLOCKS
#define ZYL_RECYCLE_BLOCKS 1
#endif

namespace zyl {

template <typename T, std::size_t Keep>
class Recycled {
 public:
  static void* Take(std::size_t size) {
    if (ZYL_RECYCLE_BLOCKS && size == sizeof(T)) {
      Kept& kept = kept_;
      if (kept.head != nullptr) {
        Block* block = kept.head;
        kept.head = block->next;
        --kept.count;
        return block;
      }
    }
    return ::operator new(size);
  }

  static void Give(void* p, std::size_t size) noexcept {
    if (p == nullptr) return;
    if (ZYL_RECYCLE_BLOCKS && size == sizeof(T)) {
      Kept& kept = kept_;
      if (!kept.closed && kept.count < Keep) {
        owner_.armed = true;  // made on first use: frees the blocks when the thread ends
        kept.head = ::new (p) Block{kept.head};
        ++kept.count;
        return;
      }
    }
    ::operator delete(p);
  }

  // Blocks kept by the calling thread (for tests).
  static std::size_t KeptCount() { return kept_.count; }

 private:
  static_assert(sizeof(T) >= sizeof(void*), "a kept block holds the next one's address");
  struct Block {
    Block* next;
  };
  // Trivially destructible, so it can be asked after the owner has gone.
  struct Kept {
    Block* head = nullptr;
    std::size_t count = 0;
    bool closed = false;
  };
  struct Owner {
    bool armed = false;
    ~Owner() {
      Kept& kept = kept_;
      kept.closed = true;
      while (kept.head != nullptr) {
        Block* next = kept.head->next;
        ::operator delete(kept.head);
        kept.head = next;
      }
      kept.count = 0;
    }
  };
  static thread_local Kept kept_;
  static thread_local Owner owner_;
};

template <typename T, std::size_t Keep>
thread_local typename Recycled<T, Keep>::Kept Recycled<T, Keep>::kept_;
template <typename T, std::size_t Keep>
thread_local typename Recycled<T, Keep>::Owner Recycled<T, Keep>::owner_;

}  // namespace zyl
