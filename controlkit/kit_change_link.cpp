#include "controlkit/kit_change_link.h"

#include <algorithm>

// ---- TKitChangeLink ------------------------------------------------------------------------------

const TClass& TKitChangeLink::StaticClass() {
  static const TClass cls = TClass::Of<TKitChangeLink>("TKitChangeLink", TObject::StaticClass());
  return cls;
}

TKitChangeLink::~TKitChangeLink() {
  if (container_) container_->UnregisterLink(this);
}

void TKitChangeLink::SetContainer(TKitBaseContainer* Value) {
  if (container_ == Value) return;
  if (container_) container_->UnregisterLink(this);
  if (Value) Value->RegisterLink(this);
}

void TKitChangeLink::Change() {
  if (OnChange) OnChange(container_);
}

// ---- TKitBaseContainer ---------------------------------------------------------------------------

const TClass& TKitBaseContainer::StaticClass() {
  static const TClass cls = TClass::Of<TKitBaseContainer>("TKitBaseContainer", TKitCustomComponent::StaticClass());
  return cls;
}

TKitBaseContainer::TKitBaseContainer(TComponent* AOwner) : TKitCustomComponent(AOwner) {}

TKitBaseContainer::~TKitBaseContainer() {
  for (TKitChangeLink* link : links_) link->container_ = nullptr;
  links_.clear();
}

void TKitBaseContainer::RegisterLink(TKitChangeLink* Link) {
  if (!Link) return;
  if (Link->container_ && Link->container_ != this) Link->container_->UnregisterLink(Link);
  if (std::find(links_.begin(), links_.end(), Link) == links_.end()) links_.push_back(Link);
  Link->container_ = this;
}

void TKitBaseContainer::UnregisterLink(TKitChangeLink* Link) {
  auto it = std::find(links_.begin(), links_.end(), Link);
  if (it == links_.end()) return;
  links_.erase(it);
  Link->container_ = nullptr;
}

void TKitBaseContainer::Change() {
  // The update lock holds the links back too, so a reload reaches them once.
  if (IsUpdating()) return;
  // A handler may relink: walk a copy and skip links that left meanwhile.
  const std::vector<TKitChangeLink*> snapshot = links_;
  for (TKitChangeLink* link : snapshot)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  TKitCustomComponent::Change();
}
