// TComponent: the component framework's owner scheme, names, the loading
// state and free notification.
//
// Ownership: a component created with a non-null owner is owned by it: the
// owner's destructor frees it (children in reverse order of creation). A
// component without owner belongs to whoever created it; hold it in a
// std::unique_ptr. Never free an owned component through a unique_ptr.
//
// Free notification: A.FreeNotification(B) links A and B both ways; when
// either is destroyed the other receives Notification(destroyed, opRemove),
// so references between components never dangle. Destroying a component
// also notifies its owner and its owner's other components. By then the
// destroyed component's own (derived) destructor has run: handlers compare
// the pointer and drop their references, nothing more. A handler may free
// other components; those are then not notified again.
#pragma once

#include <string>
#include <vector>

#include "platform/Object.h"

namespace zyl {

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  std::string ClassName() const override { return "TComponent"; }

  TComponent* GetOwner() const { return owner_; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // The owned component at `index`; raises EListError outside the list.
  TComponent* Components(int index) const;

  // Loading state: set while published properties are streamed in. The
  // streaming code (or a host imitating it) calls BeginLoading, sets the
  // properties, then Loaded(), which clears the state.
  bool IsLoading() const { return loading_; }
  bool IsDestroying() const { return destroying_; }
  void BeginLoading() { loading_ = true; }
  virtual void Loaded() { loading_ = false; }

  // Registers `component` to be told when this one is destroyed, and the
  // other way round. Null is ignored; registering twice links once.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

 protected:
  // Called when `component` is inserted into or removed from the owner
  // scheme, or destroyed after FreeNotification. Overrides clear their
  // references to a removed component and then call the inherited method.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Tells this component and every component it owns (but `component`).
  void NotifyOwned(TComponent* component, TOperation operation);
  void UnlinkFreeNotification(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;   // owned
  std::vector<TComponent*> freeNotifies_;  // linked both ways, not owned
  bool loading_ = false;
  bool destroying_ = false;
};

}  // namespace zyl
