#include "platform/classlib/class_registry.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"

namespace {

std::vector<const TClass*>& Registry() {
  static std::vector<const TClass*> classes;
  return classes;
}

}  // namespace

const std::vector<const TClass*>& RegisteredClasses() { return Registry(); }

const TClass* GetClass(std::string_view name) {
  for (const TClass* c : Registry())
    if (SameIdent(c->ClassName(), name)) return c;
  return nullptr;
}

const TClass& FindClass(std::string_view name) {
  const TClass* c = GetClass(name);
  if (!c) throw CreateFmt<EClassNotFound>(msg::ClassNotFound, std::string(name));
  return *c;
}

void RegisterClass(const TClass& cls) {
  for (const TClass* c = &cls; c; c = c->ClassParent()) {
    if (c != &cls && !c->InheritsFrom(TPersistent::StaticClass())) break;
    const TClass* known = GetClass(c->ClassName());
    if (known == c) break;  // this one and its parents are in already
    if (known) throw CreateFmt<EFilerError>("A class named %s already exists", c->ClassName());
    Registry().push_back(c);
    if (c == &TPersistent::StaticClass()) break;
  }
}

void RegisterClasses(std::initializer_list<const TClass*> classes) {
  for (const TClass* c : classes)
    if (c) RegisterClass(*c);
}

void UnRegisterClass(const TClass& cls) {
  auto& reg = Registry();
  for (auto it = reg.begin(); it != reg.end(); ++it) {
    if (*it == &cls) {
      reg.erase(it);
      return;
    }
  }
}

TComponent* CreateComponent(const TClass& cls, TComponent* owner) {
  if (!cls.InheritsFrom(TComponent::StaticClass()) || !cls.CanCreate())
    throw CreateFmt<EInvalidOperation>("Cannot create an instance of %s", cls.ClassName());
  // The owner takes the new component in its constructor; without one the caller owns it.
  return static_cast<TComponent*>(cls.Create(owner));
}

TComponent* CreateComponent(std::string_view className, TComponent* owner) {
  return CreateComponent(FindClass(className), owner);
}
