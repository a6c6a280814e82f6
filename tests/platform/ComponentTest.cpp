// Components: ownership and free notification, also with handlers that
// free other components.
#include "platform/Component.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace zyl {
namespace {

// Keeps one link that it clears on removal, as a grid keeps its Dataset.
class Probe : public TComponent {
 public:
  explicit Probe(TComponent* owner = nullptr) : TComponent(owner) { ++alive; }
  ~Probe() override { --alive; }
  std::string ClassName() const override { return "TProbe"; }
  static inline int alive = 0;
  TComponent* link = nullptr;
  int removals = 0;
  std::function<void(TComponent*)> onRemove;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove) {
      ++removals;
      if (component == link) link = nullptr;
      if (onRemove) onRemove(component);
    }
    TComponent::Notification(component, operation);
  }
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { Probe::alive = 0; }
  void TearDown() override { EXPECT_EQ(Probe::alive, 0) << "components leaked"; }
};

// A handler that frees another sibling while the owner tells its children
// of a removal: the freed one is not notified again (ASan would see it).
TEST_F(ComponentTest, SiblingFreedFromANotificationIsNotNotifiedAgain) {
  auto owner = std::make_unique<Probe>();
  Probe *a = new Probe(owner.get()), *b = new Probe(owner.get()), *victim = new Probe(owner.get());
  b->onRemove = [&](TComponent* who) {
    if (who == a && victim != nullptr) delete std::exchange(victim, nullptr);
  };
  delete a;
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
}

// Two partners told of one component's end; whichever hears first frees the
// other, whose destructor must unlink itself before it is told.
TEST_F(ComponentTest, PartnerFreedFromANotificationIsNotTouchedAgain) {
  auto dying = std::make_unique<Probe>();
  std::unique_ptr<Probe> partners[2] = {std::make_unique<Probe>(), std::make_unique<Probe>()};
  TComponent* target = dying.get();
  for (int i = 0; i < 2; ++i) {
    partners[i]->FreeNotification(target);
    partners[i]->onRemove = [&partners, target, i](TComponent* who) {
      if (who == target) partners[1 - i].reset();
    };
  }
  dying.reset();
  ASSERT_EQ((partners[0] != nullptr) + (partners[1] != nullptr), 1);
  EXPECT_EQ((partners[0] ? *partners[0] : *partners[1]).removals, 1);
}

TEST_F(ComponentTest, FreeNotificationClearsLinksWhicheverSideDiesFirst) {
  for (bool targetFirst : {true, false}) {
    SCOPED_TRACE(targetFirst);
    auto a = std::make_unique<Probe>(), b = std::make_unique<Probe>();
    a->link = b.get(), b->link = a.get();
    a->FreeNotification(b.get());
    b->FreeNotification(a.get());  // the pair is linked once
    std::unique_ptr<Probe>& first = targetFirst ? b : a;
    std::unique_ptr<Probe>& second = targetFirst ? a : b;
    first.reset();
    EXPECT_EQ(second->link, nullptr);
    EXPECT_EQ(second->removals, 1);
    second.reset();  // must not reach the freed partner
  }
  auto a = std::make_unique<Probe>(), b = std::make_unique<Probe>();
  a->FreeNotification(b.get());
  b->RemoveFreeNotification(a.get());  // either side may undo the link
  b.reset();
  EXPECT_EQ(a->removals, 0);
}

TEST_F(ComponentTest, OwnedComponentTellsOutsidePartnersWhenItsOwnerFreesIt) {
  auto form = std::make_unique<Probe>();
  auto* grid = new Probe(form.get());
  auto outside = std::make_unique<Probe>();
  outside->link = grid;
  outside->FreeNotification(grid);
  form.reset();
  EXPECT_EQ(outside->link, nullptr);
}

}  // namespace
}  // namespace zyl
