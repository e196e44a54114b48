#include "controlkit/kit_object.h"

// ---- TKitObject --------------------------------------------------------------------------------

const TClass& TKitObject::StaticClass() {
  static const TClass cls = TClass::Of<TKitObject>("TKitObject", TPersistent::StaticClass());
  return cls;
}

void TKitObject::NotifyChange() { Change(); }

void TKitObject::Change() {
  if (updating_ == 1 || !OnChange) return;
  OnChange(this);
}

std::string TKitObject::SettingsText() { return std::string(); }

void TKitObject::EndUpdate(bool callChange) {
  updating_ = 0;
  if (callChange) Change();
}

// ---- TKitCustomComponent -------------------------------------------------------------------------

const TClass& TKitCustomComponent::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomComponent>("TKitCustomComponent", TComponent::StaticClass(), &TKitCustomComponent::Publish);
  return cls;
}

void TKitCustomComponent::Publish(TPublished& published) {
  auto p = published.For<TKitCustomComponent>();
  p.String("About", &TKitCustomComponent::About, &TKitCustomComponent::SetAbout).Default("");
}

TKitCustomComponent::TKitCustomComponent(TComponent* AOwner) : TComponent(AOwner) {}

void TKitCustomComponent::NotifyChange() { Change(); }

void TKitCustomComponent::Change() {
  if (updating_ == 1 || !OnChange) return;
  OnChange(this);
}

void TKitCustomComponent::EndUpdate(bool callChange) {
  updating_ = 0;
  if (callChange) Change();
}
