// The component framework: TPersistent assignment, the owner scheme, free
// notification in both directions and the loading state.
#include "platform/Component.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Font.h"

namespace zyl {
namespace {

// A component that records what it is told and keeps one reference that it
// clears on removal, the way a grid keeps its Dataset and CSS links.
class Probe : public TComponent {
 public:
  explicit Probe(TComponent* owner, std::vector<std::string>* destroyed = nullptr,
                 std::string tag = {})
      : TComponent(owner), destroyed_(destroyed), tag_(std::move(tag)) {
    ++alive;
  }
  ~Probe() override {
    --alive;
    if (destroyed_ != nullptr) destroyed_->push_back(tag_);
  }
  std::string ClassName() const override { return "TProbe"; }

  void Loaded() override {
    loadingInsideLoaded = IsLoading();
    ++loadedCalls;
    TComponent::Loaded();
  }

  static int alive;
  TComponent* link = nullptr;
  std::vector<std::pair<TComponent*, TOperation>> log;
  // Called on every notification before the inherited handling.
  std::function<void(TComponent*, TOperation)> onNotify;
  int loadedCalls = 0;
  bool loadingInsideLoaded = false;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    log.emplace_back(component, operation);
    if (operation == TOperation::opRemove && component == link) link = nullptr;
    if (onNotify) onNotify(component, operation);
    TComponent::Notification(component, operation);
  }

 private:
  std::vector<std::string>* destroyed_;
  std::string tag_;
};

int Probe::alive = 0;

int Count(const Probe& p, const TComponent* c, TOperation op) {
  int n = 0;
  for (const auto& [who, what] : p.log) n += who == c && what == op ? 1 : 0;
  return n;
}

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { Probe::alive = 0; }
  void TearDown() override { EXPECT_EQ(Probe::alive, 0) << "components leaked"; }
};

// ---------------------------------------------------------------- TPersistent

class TZylRow : public TPersistent {
 public:
  std::string ClassName() const override { return "TZylRow"; }
};

// A class that knows how to copy itself into a font (AssignTo), although the
// font does not know it.
class FontInfo : public TPersistent {
 public:
  std::string ClassName() const override { return "TFontInfo"; }
  std::string name = "Verdana";

 protected:
  void AssignTo(TPersistent& dest) const override {
    if (auto* font = dynamic_cast<TFont*>(&dest)) {
      font->SetName(name);
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

TEST(Persistent, AssignBetweenUnrelatedClassesNamesBoth) {
  TZylRow row;
  TFont font;
  try {
    font.Assign(row);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TZylRow to a TFont");
  }
  try {
    row.Assign(font);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TFont to a TZylRow");
  }
}

TEST(Persistent, SourceThatKnowsTheTargetAssignsItself) {
  FontInfo info;
  TFont font;
  font.Assign(info);
  EXPECT_EQ(font.GetName(), "Verdana");
  TZylRow row;
  EXPECT_THROW(row.Assign(info), EConvertError);
}

// ---------------------------------------------------------------- ownership

TEST_F(ComponentTest, OwnerFreesOwnedComponentsNewestFirst) {
  std::vector<std::string> destroyed;
  auto owner = std::make_unique<Probe>(nullptr, &destroyed, "owner");
  new Probe(owner.get(), &destroyed, "a");
  new Probe(owner.get(), &destroyed, "b");
  auto* c = new Probe(owner.get(), &destroyed, "c");
  new Probe(c, &destroyed, "c1");  // grandchild
  EXPECT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(c->GetOwner(), owner.get());
  EXPECT_EQ(owner->Components(2), c);
  EXPECT_EQ(Probe::alive, 5);

  owner.reset();
  // A component's own destructor runs before it frees what it owns.
  EXPECT_EQ(destroyed, (std::vector<std::string>{"owner", "c", "c1", "b", "a"}));
}

TEST_F(ComponentTest, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
  auto owner = std::make_unique<Probe>(nullptr);
  auto* a = new Probe(owner.get());
  auto* b = new Probe(owner.get());
  delete a;
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  EXPECT_EQ(Count(*owner, a, TOperation::opRemove), 1);
  EXPECT_EQ(Count(*b, a, TOperation::opRemove), 1);
}

TEST_F(ComponentTest, OwnerAndSiblingsHearOfInsertionAndRemoval) {
  auto owner = std::make_unique<Probe>(nullptr);
  auto* a = new Probe(owner.get());
  auto* b = new Probe(owner.get());
  EXPECT_EQ(Count(*owner, a, TOperation::opInsert), 1);
  EXPECT_EQ(Count(*owner, b, TOperation::opInsert), 1);
  EXPECT_EQ(Count(*a, b, TOperation::opInsert), 1);
  EXPECT_EQ(Count(*a, a, TOperation::opInsert), 0);
  a->link = b;
  delete b;
  EXPECT_EQ(a->link, nullptr);
}

TEST_F(ComponentTest, ComponentsOutsideTheListRaiseTheIndexError) {
  Probe owner(nullptr);
  new Probe(&owner);
  try {
    owner.Components(1);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_THROW(owner.Components(-1), EListError);
}

TEST_F(ComponentTest, SiblingsSeeTheOwnerDestroying) {
  auto owner = std::make_unique<Probe>(nullptr);
  auto* a = new Probe(owner.get());
  new Probe(owner.get());
  bool ownerDestroying = false;
  a->onNotify = [&](TComponent*, TOperation op) {
    if (op == TOperation::opRemove) ownerDestroying = a->GetOwner()->IsDestroying();
  };
  EXPECT_FALSE(owner->IsDestroying());
  owner.reset();
  EXPECT_TRUE(ownerDestroying);
}

// A component that, on hearing of one removal, frees another component.
// Neither the owner's nor the free-notification bookkeeping may touch the
// freed one afterwards.
TEST_F(ComponentTest, SiblingFreedFromANotificationIsNotNotifiedAgain) {
  auto owner = std::make_unique<Probe>(nullptr);
  auto* a = new Probe(owner.get());
  auto* b = new Probe(owner.get());
  auto* c = new Probe(owner.get());
  Probe* victim = c;
  b->onNotify = [&](TComponent* who, TOperation op) {
    if (op == TOperation::opRemove && who == a && victim != nullptr) {
      Probe* v = victim;
      victim = nullptr;
      delete v;
    }
  };
  delete a;
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
}

// ---------------------------------------------------------------- free notification

TEST_F(ComponentTest, FreeNotificationClearsTheLinkWhenTheTargetDies) {
  auto grid = std::make_unique<Probe>(nullptr);
  auto dataset = std::make_unique<Probe>(nullptr);
  grid->link = dataset.get();
  grid->FreeNotification(dataset.get());
  TComponent* gone = dataset.get();
  dataset.reset();
  EXPECT_EQ(grid->link, nullptr);
  EXPECT_EQ(Count(*grid, gone, TOperation::opRemove), 1);
}

TEST_F(ComponentTest, FreeNotificationWorksTheOtherWayRound) {
  auto grid = std::make_unique<Probe>(nullptr);
  auto css = std::make_unique<Probe>(nullptr);
  css->link = grid.get();  // the partner refers back to the registering side
  grid->FreeNotification(css.get());
  grid.reset();
  EXPECT_EQ(css->link, nullptr);
}

TEST_F(ComponentTest, NoDanglingLinkWhicheverSideDiesFirst) {
  for (bool targetFirst : {true, false}) {
    auto a = std::make_unique<Probe>(nullptr);
    auto b = std::make_unique<Probe>(nullptr);
    a->FreeNotification(b.get());
    b->FreeNotification(a.get());  // registering the pair twice links once
    if (targetFirst) {
      b.reset();
      EXPECT_EQ(a->log.size(), 1u);
      a.reset();  // must not reach the freed partner (ASan checks)
    } else {
      a.reset();
      EXPECT_EQ(b->log.size(), 1u);
      b.reset();
    }
  }
}

TEST_F(ComponentTest, RemovedFreeNotificationIsSilent) {
  auto a = std::make_unique<Probe>(nullptr);
  auto b = std::make_unique<Probe>(nullptr);
  a->FreeNotification(b.get());
  b->RemoveFreeNotification(a.get());  // either side may undo the link
  b.reset();
  EXPECT_TRUE(a->log.empty());
  a->FreeNotification(nullptr);
  a->FreeNotification(a.get());
  a.reset();
}

TEST_F(ComponentTest, OwnedComponentNotifiesItsPartnersWhenTheOwnerFreesIt) {
  auto form = std::make_unique<Probe>(nullptr);
  auto* grid = new Probe(form.get());
  auto outside = std::make_unique<Probe>(nullptr);
  outside->link = grid;
  outside->FreeNotification(grid);
  form.reset();
  EXPECT_EQ(outside->link, nullptr);
}

TEST_F(ComponentTest, PartnerFreedFromANotificationIsNotTouchedAgain) {
  auto dying = std::make_unique<Probe>(nullptr);
  std::unique_ptr<Probe> partners[2] = {std::make_unique<Probe>(nullptr),
                                        std::make_unique<Probe>(nullptr)};
  TComponent* target = dying.get();
  // Both are told when `dying` goes; whichever hears first frees the other.
  for (int i = 0; i < 2; ++i) {
    partners[i]->FreeNotification(target);
    partners[i]->onNotify = [&partners, target, i](TComponent* who, TOperation op) {
      if (op == TOperation::opRemove && who == target) partners[1 - i].reset();
    };
  }
  dying.reset();
  int left = (partners[0] != nullptr) + (partners[1] != nullptr);
  ASSERT_EQ(left, 1);
  const Probe& survivor = partners[0] != nullptr ? *partners[0] : *partners[1];
  EXPECT_EQ(survivor.log.size(), 1u);
}

// ---------------------------------------------------------------- loading

TEST_F(ComponentTest, LoadingStateLastsUntilLoaded) {
  Probe grid(nullptr);
  EXPECT_FALSE(grid.IsLoading());
  grid.BeginLoading();
  EXPECT_TRUE(grid.IsLoading());
  grid.Loaded();
  EXPECT_FALSE(grid.IsLoading());
  EXPECT_EQ(grid.loadedCalls, 1);
  // An override runs before the inherited Loaded clears the state.
  EXPECT_TRUE(grid.loadingInsideLoaded);
}

}  // namespace
}  // namespace zyl
