// TList and OwnedList: order, (non-)ownership and the index error that
// leaves the list unchanged.
#include "platform/List.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/OwnedList.h"

namespace zyl {
namespace {

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int& v : values_) list_.Add(&v);
  }
  std::vector<int> Contents() const {
    std::vector<int> out;
    for (int* p : list_) out.push_back(*p);
    return out;
  }
  // Runs `op`, expects the index error with `index` in its text and an
  // unchanged list.
  void ExpectIndexError(const std::function<void()>& op, int index) {
    std::vector<int> before = Contents();
    try {
      op();
      ADD_FAILURE() << "no error for index " << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
    EXPECT_EQ(Contents(), before);
  }

  int values_[4] = {10, 20, 30, 40};
  int other_ = 99;
  TList<int> list_;
};

TEST_F(ListTest, KeepsOrderAndDoesNotOwn) {
  EXPECT_EQ(list_.Count(), 4);
  EXPECT_EQ(list_[2], &values_[2]);
  list_.Insert(0, &other_);
  list_.Insert(list_.Count(), &other_);  // Insert at Count appends
  EXPECT_EQ(Contents(), (std::vector<int>{99, 10, 20, 30, 40, 99}));
  EXPECT_EQ(list_.IndexOf(&other_), 0);
  EXPECT_EQ(list_.Extract(0), &other_);
  list_.Delete(list_.Count() - 1);
  list_.Put(1, &other_);
  EXPECT_EQ(Contents(), (std::vector<int>{10, 99, 30, 40}));
  EXPECT_EQ(values_[1], 20);  // replaced, not freed or changed
  EXPECT_EQ(list_.IndexOf(&values_[1]), -1);
  list_.Clear();
  EXPECT_TRUE(list_.Empty());
}

TEST_F(ListTest, MoveTakesTheItemToItsNewPosition) {
  list_.Move(0, 3);
  EXPECT_EQ(Contents(), (std::vector<int>{20, 30, 40, 10}));
  list_.Move(3, 1);
  EXPECT_EQ(Contents(), (std::vector<int>{20, 10, 30, 40}));
  list_.Move(2, 2);
  EXPECT_EQ(Contents(), (std::vector<int>{20, 10, 30, 40}));
}

TEST_F(ListTest, EveryAccessOutsideTheListRaisesAndChangesNothing) {
  ExpectIndexError([&] { list_.Get(4); }, 4);
  ExpectIndexError([&] { list_.Get(-1); }, -1);
  ExpectIndexError([&] { list_.Put(4, &other_); }, 4);
  ExpectIndexError([&] { list_.Put(-1, &other_); }, -1);
  ExpectIndexError([&] { list_.Delete(4); }, 4);
  ExpectIndexError([&] { list_.Delete(-2); }, -2);
  ExpectIndexError([&] { list_.Extract(7); }, 7);
  ExpectIndexError([&] { list_.Insert(5, &other_); }, 5);
  ExpectIndexError([&] { list_.Insert(-1, &other_); }, -1);
  ExpectIndexError([&] { list_.Move(0, 4); }, 4);
  ExpectIndexError([&] { list_.Move(4, 0); }, 4);
  ExpectIndexError([&] { list_.Move(-1, 2); }, -1);
  ExpectIndexError([&] { list_.Move(6, 6); }, 6);
}

TEST(List, EmptyListHasNoValidIndex) {
  TList<int> list;
  EXPECT_THROW(list.Get(0), EListError);
  EXPECT_THROW(list.Delete(0), EListError);
  int v = 1;
  list.Insert(0, &v);
  EXPECT_EQ(list.Count(), 1);
}

// ---------------------------------------------------------------- OwnedList

// Counts the live instances, so that the tests see what the list frees.
struct Counted {
  explicit Counted(int v) : value(v) { ++alive; }
  ~Counted() { --alive; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  int value;
  static int alive;
};
int Counted::alive = 0;

class OwnedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Counted::alive = 0;
    for (int v : {1, 2, 3}) list_.Add(std::make_unique<Counted>(v));
  }
  void TearDown() override {
    list_.Clear();
    EXPECT_EQ(Counted::alive, 0);
  }
  std::vector<int> Values() const {
    std::vector<int> out;
    for (Counted* c : list_) out.push_back(c->value);
    return out;
  }
  OwnedList<Counted> list_;
};

TEST_F(OwnedListTest, FreesWhatItDropsAndHandsBackWhatItGives) {
  list_.Insert(0, std::make_unique<Counted>(0));
  list_.Insert(4, std::make_unique<Counted>(4));
  EXPECT_EQ(Values(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Counted::alive, 5);
  list_.Delete(0);
  EXPECT_EQ(Counted::alive, 4);
  std::unique_ptr<Counted> taken = list_.Extract(0);
  EXPECT_EQ(taken->value, 1);
  std::unique_ptr<Counted> old = list_.Replace(0, std::make_unique<Counted>(20));
  EXPECT_EQ(old->value, 2);
  EXPECT_EQ(Values(), (std::vector<int>{20, 3, 4}));
  EXPECT_EQ(Counted::alive, 5);  // two handed out, three held
  EXPECT_EQ(list_.IndexOf(list_[2]), 2);
  EXPECT_EQ(list_.IndexOf(taken.get()), -1);
}

TEST_F(OwnedListTest, MoveAndPermuteReorder) {
  list_.Move(0, 2);
  EXPECT_EQ(Values(), (std::vector<int>{2, 3, 1}));
  list_.Permute({2, 0, 1});
  EXPECT_EQ(Values(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Counted::alive, 3);
}

TEST_F(OwnedListTest, BadPositionsRaiseAndChangeNothing) {
  auto expectError = [&](const std::function<void()>& op, int index) {
    try {
      op();
      ADD_FAILURE() << "no error for index " << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
    EXPECT_EQ(Values(), (std::vector<int>{1, 2, 3}));
  };
  expectError([&] { list_.Get(3); }, 3);
  expectError([&] { list_.Insert(4, std::make_unique<Counted>(9)); }, 4);
  expectError([&] { list_.Replace(-1, std::make_unique<Counted>(9)); }, -1);
  expectError([&] { list_.Extract(3); }, 3);
  expectError([&] { list_.Delete(-1); }, -1);
  expectError([&] { list_.Move(0, 3); }, 3);
  expectError([&] { list_.Move(5, 0); }, 5);
  EXPECT_EQ(Counted::alive, 3);  // the refused new items were freed
}

}  // namespace
}  // namespace zyl
