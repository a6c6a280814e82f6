// Blocks kept per thread for the next object of a type.
#include "platform/Recycled.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace zyl {
namespace {

struct Kept {
  static void* operator new(std::size_t size) { return Recycled<Kept, 2>::Take(size); }
  static void operator delete(void* p, std::size_t size) { Recycled<Kept, 2>::Give(p, size); }
  virtual ~Kept() = default;
  long long value = 0;
};
struct Larger : Kept {
  long long more = 0;
};

// A thread keeps at most two blocks of Kept for its next ones; a derived
// object's block (another size) and blocks past the two go to the
// allocator. Builds with AddressSanitizer keep none.
TEST(RecycledTest, KeepsUpToItsCountPerThreadAndOnlyItsOwnSize) {
  using Blocks = Recycled<Kept, 2>;
  const std::size_t keeps = ZYL_RECYCLE_BLOCKS ? 1 : 0;
  auto first = std::make_unique<Kept>();
  const void* block = first.get();
  first.reset();
  EXPECT_EQ(Blocks::KeptCount(), keeps);
  auto again = std::make_unique<Kept>();
  if (keeps != 0) {
    EXPECT_EQ(static_cast<const void*>(again.get()), block) << "the kept block is used";
  }
  EXPECT_EQ(Blocks::KeptCount(), 0u);
  std::unique_ptr<Kept> derived = std::make_unique<Larger>();
  derived.reset();
  EXPECT_EQ(Blocks::KeptCount(), 0u) << "a derived object's block is not kept";
  std::vector<std::unique_ptr<Kept>> many;
  for (int i = 0; i < 5; ++i) many.push_back(std::make_unique<Kept>());
  many.clear();
  EXPECT_EQ(Blocks::KeptCount(), 2 * keeps);
  std::thread other([] {
    auto mine = std::make_unique<Kept>();
    mine.reset();
    EXPECT_EQ(Blocks::KeptCount(), ZYL_RECYCLE_BLOCKS ? 1u : 0u) << "each thread keeps its own";
  });
  other.join();
  EXPECT_EQ(Blocks::KeptCount(), 2 * keeps);
}

}  // namespace
}  // namespace zyl
