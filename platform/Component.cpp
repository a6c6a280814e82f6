#include "platform/Component.h"

#include <algorithm>

namespace zyl {

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // One partner at a time from the live list: a partner's Notification may
  // free another partner, whose destructor then unlinks itself from here.
  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    freeNotifies_.pop_back();
    partner->UnlinkFreeNotification(this);
    partner->Notification(this, TOperation::opRemove);
  }
  while (!components_.empty()) {
    TComponent* child = components_.back();
    delete child;  // the child removes itself from components_
  }
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError::OutOfBounds(index);
  return components_[static_cast<std::size_t>(index)];
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
  }
  auto& other = component->freeNotifies_;
  if (std::find(other.begin(), other.end(), this) == other.end()) other.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  UnlinkFreeNotification(component);
  component->UnlinkFreeNotification(this);
}

void TComponent::UnlinkFreeNotification(TComponent* component) {
  std::erase(freeNotifies_, component);
}

void TComponent::Notification(TComponent* /*component*/, TOperation /*operation*/) {}

void TComponent::InsertComponent(TComponent* component) {
  component->owner_ = this;
  components_.push_back(component);
  NotifyOwned(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  std::erase(components_, component);
  component->owner_ = nullptr;
  NotifyOwned(component, TOperation::opRemove);
}

void TComponent::NotifyOwned(TComponent* component, TOperation operation) {
  Notification(component, operation);
  // By index from the end, clamped after each call: a handler may free
  // owned components, which leave components_ at once.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    TComponent* c = components_[static_cast<std::size_t>(i)];
    if (c != component) c->Notification(component, operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

}  // namespace zyl
