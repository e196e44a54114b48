#pragma once
// TObject and its class information.
//
// Every class states its class record once, in its .cpp file:
//
//   // header
//   class TButton : public TControl {
//    public:
//     static const TClass& StaticClass();
//     const TClass& ClassType() const override { return StaticClass(); }
//     ...
//   };
//   // source
//   const TClass& TButton::StaticClass() {
//     static const TClass cls = TClass::Of<TButton>("TButton", TControl::StaticClass(), &TButton::Publish);
//     return cls;
//   }
//
// TClass::Of<T> works out the factory used for virtual construction: a class with a
// constructor taking its owner type (T::OwnerType, e.g. TComponent*) is built with the
// owner, a default-constructible class without, an abstract class not at all.
// The publish function (optional) registers published properties and methods; it runs
// the first time they are asked for.
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/classlib/exceptions.h"

class TObject;
class TPublished;
struct TPropInfo;

class TClass {
 public:
  // Builds an instance; `owner` is passed to the constructor when the class takes one.
  using Factory = TObject* (*)(TObject* owner);
  using Publisher = void (*)(TPublished& published);

  TClass(std::string name, const TClass* parent, Factory factory, Publisher publish);
  ~TClass();
  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;

  template <class T>
  static TClass Of(std::string name, const TClass& parent, Publisher publish = nullptr);
  template <class T>
  static TClass Root(std::string name, Publisher publish = nullptr);

  const std::string& ClassName() const { return name_; }
  const TClass* ClassParent() const { return parent_; }
  bool InheritsFrom(const TClass& other) const;
  bool CanCreate() const { return factory_ != nullptr; }

  // Virtual construction. Raises EInvalidOperation for a class that cannot be built.
  // The caller owns the result unless the owner took it.
  TObject* Create(TObject* owner = nullptr) const;

  // Published properties and methods this class itself declares (not its parents').
  const TPublished& Published() const;
  // Every published property with its parents' (see GetPropList), worked out once:
  // every component and chart element built looks its class's list up.
  const std::vector<const TPropInfo*>& PropList() const;

 private:
  std::string name_;
  const TClass* parent_;
  Factory factory_;
  Publisher publish_;
  mutable std::unique_ptr<TPublished> published_;
  mutable std::unique_ptr<std::vector<const TPropInfo*>> propList_;
};

class TObject {
 public:
  TObject() = default;
  virtual ~TObject();
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static const TClass& StaticClass();
  virtual const TClass& ClassType() const { return StaticClass(); }

  const std::string& ClassName() const { return ClassType().ClassName(); }
  bool InheritsFrom(const TClass& cls) const { return ClassType().InheritsFrom(cls); }
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }

  // Deletes the object; safe on nullptr.
  static void Free(TObject* obj) { delete obj; }
  void Free() { delete this; }
};

// Deletes the object and clears the reference first, so that code reached from the
// destructor never sees a dangling pointer.
template <class T>
void FreeAndNil(T*& obj) {
  T* tmp = obj;
  obj = nullptr;
  delete tmp;
}

using TNotifyEvent = std::function<void(TObject* Sender)>;

namespace class_detail {
template <class T>
TObject* Construct(TObject* owner) {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (requires { typename T::OwnerType; }) {
    using O = typename T::OwnerType;
    if constexpr (std::is_constructible_v<T, O*>) {
      O* typed = dynamic_cast<O*>(owner);
      if (owner && !typed) {
        throw CreateFmt<EInvalidOperation>("Cannot create a %s owned by a %s", T::StaticClass().ClassName(),
                                           owner->ClassName());
      }
      return new T(typed);
    } else if constexpr (std::is_default_constructible_v<T>) {
      return new T();
    } else {
      return nullptr;
    }
  } else if constexpr (std::is_default_constructible_v<T>) {
    return new T();
  } else {
    return nullptr;
  }
}

template <class T>
constexpr TClass::Factory FactoryFor() {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (requires { typename T::OwnerType; }) {
    if constexpr (std::is_constructible_v<T, typename T::OwnerType*> || std::is_default_constructible_v<T>)
      return &Construct<T>;
    else
      return nullptr;
  } else if constexpr (std::is_default_constructible_v<T>) {
    return &Construct<T>;
  } else {
    return nullptr;
  }
}
}  // namespace class_detail

template <class T>
TClass TClass::Of(std::string name, const TClass& parent, Publisher publish) {
  return TClass(std::move(name), &parent, class_detail::FactoryFor<T>(), publish);
}

template <class T>
TClass TClass::Root(std::string name, Publisher publish) {
  return TClass(std::move(name), nullptr, class_detail::FactoryFor<T>(), publish);
}
