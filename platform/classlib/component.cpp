#include "platform/classlib/component.h"

#include <algorithm>

bool IsValidIdent(std::string_view ident) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (ident.empty() || !alpha(ident[0])) return false;
  for (char c : ident.substr(1))
    if (!alpha(c) && !digit(c)) return false;
  return true;
}

const TClass& TComponent::StaticClass() {
  static const TClass cls = TClass::Of<TComponent>("TComponent", TPersistent::StaticClass(), &TComponent::Publish);
  return cls;
}

void TComponent::Publish(TPublished& published) {
  auto p = published.For<TComponent>();
  // The name is written in the object header of a form, not as a property.
  p.String("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  p.Integer("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  RemoveFreeNotifications();
  if (owner_) owner_->RemoveComponent(this);
  DestroyComponents();
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  if (!owner_) return;
  int current = ComponentIndex();
  if (current < 0) return;
  auto& list = owner_->components_;
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TComponent::SetName(const std::string& newName) {
  if (name_ == newName) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw CreateFmt<EComponentError>("'%s' is not a valid component name", newName);
  if (owner_)
    owner_->ValidateRename(this, name_, newName);
  else
    ValidateRename(nullptr, name_, newName);
  ChangeName(newName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& curName, const std::string& newName) {
  if (AComponent && !SameIdent(curName, newName) && AComponent->owner_ == this && FindComponent(newName))
    throw CreateFmt<EComponentError>(msg::DuplicateName, newName);
  if (state_.Contains(csDesigning) && owner_) owner_->ValidateRename(AComponent, curName, newName);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  if (setChildren)
    for (TComponent* c : components_) c->SetDesigning(value, true);
}

void TComponent::SetAncestor(bool value) {
  if (value)
    state_.Include(csAncestor);
  else
    state_.Exclude(csAncestor);
  for (TComponent* c : components_) c->SetAncestor(value);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameIdent(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ == this) return;
  // An owner cycle would free components twice.
  for (TComponent* c = this; c; c = c->owner_)
    if (c == AComponent) throw EComponentError("A component cannot own itself or its owner");
  AComponent->ValidateContainer(this);
  // A sibling of the same name would make FindComponent ambiguous.
  if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
    throw CreateFmt<EComponentError>(msg::DuplicateName, AComponent->name_);
  if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
  Insert(AComponent);
  if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
  try {
    Notification(AComponent, opInsert);
  } catch (...) {
    // Thrown from a constructor the component is about to be released: it must not
    // stay in the list.
    Remove(AComponent);
    throw;
  }
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ != this) return;
  ValidateRename(AComponent, AComponent->name_, std::string());
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->owner_ = nullptr;
  auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it != components_.end()) components_.erase(it);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* instance = components_.back();
    // Siblings are told only about components someone asked to watch; the rest go
    // quietly with their owner.
    if (instance->state_.Contains(csFreeNotification) ||
        (state_.Contains(csDesigning) && state_.Contains(csInline)))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // Components of the same owner hear of each other through the owner.
  if (!owner_ || AComponent->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end()) {
      freeNotifies_.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
}

void TComponent::RemoveFreeNotifications() {
  while (!freeNotifies_.empty()) {
    TComponent* client = freeNotifies_.back();
    client->Notification(this, opRemove);
    // An override that skips the inherited Notification must not leave either side
    // holding the other.
    RemoveNotification(client);
    client->RemoveNotification(this);
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A handler may free components of this list: walk from the end and re-clamp.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    components_[static_cast<std::size_t>(i)]->Notification(AComponent, Operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::SetParentComponent(TComponent*) {}
