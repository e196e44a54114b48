#pragma once
// Published properties and methods: what form files store under a name.
//
// A class registers them once, in the publish function named in its class record:
//
//   void TButton::Publish(TPublished& published) {
//     auto p = published.For<TButton>();
//     p.Integer("Left", &TButton::Left, &TButton::SetLeft).Default(0);
//     p.String("Caption", &TButton::Caption, &TButton::SetCaption);
//     p.Enum("Align", AlignInfo, &TButton::Align, &TButton::SetAlign).Default(alNone);
//     p.Set("Anchors", AnchorKindInfo, &TButton::Anchors, &TButton::SetAnchors);
//     p.Object("Font", &TButton::Font, &TButton::SetFont);
//     p.Event("OnClick", &TButton::OnClick);          // a std::function member
//   }
//   void TForm1::Publish(TPublished& published) {
//     published.For<TForm1>().Method("Button1Click", &TForm1::Button1Click);
//   }
//
// Getters are member functions, data members or callables taking the object; setters
// are member functions or callables taking the object and the value; a data member
// given as getter without a setter is written directly. Without either the property
// is read-only.
//
// Lookup walks the parent classes (a class may publish a property of its parent again
// to change its default); lists come in declaration order, parents first.
#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

QM_DECLARE_EXCEPTION(EPropertyError, Exception);

namespace msg {
inline constexpr const char* UnknownProperty = "Property %s does not exist";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* InvalidPropertyElement = "Invalid property element: %s";
inline constexpr const char* ReadOnlyProperty = "Property is read-only";
}  // namespace msg

// ASCII case-insensitive equality, the rule for identifiers, class and component names.
bool SameIdent(std::string_view a, std::string_view b);

// A set of up to 64 elements of the enumeration E (values 0..63), stored as bits.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr std::uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }
  // Subset.
  friend constexpr bool operator<=(TSet a, TSet b) { return (a.bits_ & ~b.bits_) == 0; }

 private:
  static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
  std::uint64_t bits_ = 0;
};

// Identifiers of an enumeration, by value (value i is identifiers[i]).
class TEnumInfo {
 public:
  TEnumInfo(std::string name, std::vector<std::string> identifiers)
      : name_(std::move(name)), identifiers_(std::move(identifiers)) {}

  const std::string& Name() const { return name_; }
  int Count() const { return static_cast<int>(identifiers_.size()); }
  // Value of an identifier, case-insensitive; -1 when unknown.
  int ValueOf(std::string_view ident) const;
  // Identifier of a value; empty when out of range.
  std::string IdentOf(Int64 value) const;

 private:
  std::string name_;
  std::vector<std::string> identifiers_;
};

const TEnumInfo& BooleanInfo();  // False, True

// Names of some values of an integer type (clBtnFace for a colour, crHandPoint for a
// cursor): form files store such a value by its name, any other value as a number.
class TIdentMap {
 public:
  TIdentMap(std::string name, std::vector<std::pair<Int64, std::string>> entries)
      : name_(std::move(name)), entries_(std::move(entries)) {}

  const std::string& Name() const { return name_; }
  // Case-insensitive; false when the name is unknown.
  bool IdentToInt(std::string_view ident, Int64& value) const;
  // False when the value has no name.
  bool IntToIdent(Int64 value, std::string& ident) const;

 private:
  std::string name_;
  std::vector<std::pair<Int64, std::string>> entries_;
};

// "[fsBold,fsItalic]" from bits, and back (brackets optional, blanks ignored).
// An unknown identifier raises EPropertyError "Invalid property element: %s".
std::string SetToString(const TEnumInfo& elements, std::uint64_t bits, bool brackets = true);
std::uint64_t StringToSet(const TEnumInfo& elements, std::string_view text);
std::uint64_t IdentsToSet(const TEnumInfo& elements, const std::vector<std::string>& idents);

enum TPropKind {
  pkInteger,
  pkFloat,
  pkString,
  pkBoolean,
  pkEnumeration,
  pkSet,
  pkChar,
  pkClass,      // owned sub-object (TPersistent); set assigns into it
  pkComponent,  // reference to a component
  pkMethod,     // event
  pkStrings,    // string list sub-object
  pkCollection  // collection sub-object
};

class TMethodEntry;

// An event value: the object whose published method is bound, and that method.
struct TMethod {
  TObject* Data = nullptr;
  const TMethodEntry* Code = nullptr;
  bool Assigned() const { return Code != nullptr; }
};

// A published method: its name and how to bind it to an object as a std::function.
class TMethodEntry {
 public:
  TMethodEntry(std::string name, std::type_index signature, std::function<std::any(TObject*)> bind)
      : name_(std::move(name)), signature_(signature), bind_(std::move(bind)) {}

  const std::string& Name() const { return name_; }
  // typeid of the std::function type the method binds to.
  std::type_index Signature() const { return signature_; }
  // The method bound to `self`, as std::function<Sig>; raises EPropertyError
  // "Invalid property value" when Sig is not the method's signature.
  template <class F>
  F BindAs(TObject* self) const {
    if (signature_ != std::type_index(typeid(F))) throw EPropertyError(msg::InvalidPropertyValue);
    return std::any_cast<F>(bind_(self));
  }

 private:
  std::string name_;
  std::type_index signature_;
  std::function<std::any(TObject*)> bind_;
};

using TPropDefault = std::variant<std::monostate, Int64, Double, std::string>;

// One published property. Accessors are type-erased; an empty setter means read-only.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = pkInteger;
  const TClass* Owner = nullptr;         // class that published it
  const TEnumInfo* EnumInfo = nullptr;   // enumeration and boolean values, set elements
  const TIdentMap* IdentMap = nullptr;   // names of integer values (colours, cursors)
  const TClass* PropClass = nullptr;     // declared class of object-like kinds
  std::type_index EventType = typeid(void);  // std::function type of an event
  int OrdBits = 64;                      // width of an ordinal value, for range checks
  bool OrdSigned = true;
  TPropDefault Default;                  // monostate: always stored

  std::function<Int64(TObject*)> GetOrd;
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<Double(TObject*)> GetFloat;
  std::function<void(TObject*, Double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObject;
  std::function<void(TObject*, TObject*)> SetObject;
  std::function<bool(TObject*)> MethodAssigned;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<bool(TObject*)> StoredProc;  // empty: stored

  bool IsOrdinal() const;
  bool IsObject() const;  // class, component, strings, collection
  bool ReadOnly() const;
};

template <class C>
class TPublisherOf;

// The properties and methods one class itself publishes.
class TPublished {
 public:
  explicit TPublished(const TClass& cls) : class_(cls) {}

  const TClass& Class() const { return class_; }
  const std::vector<std::unique_ptr<TPropInfo>>& Properties() const { return properties_; }
  const std::vector<std::unique_ptr<TMethodEntry>>& Methods() const { return methods_; }
  const TPropInfo* FindOwnProperty(std::string_view name) const;
  const TMethodEntry* FindOwnMethod(std::string_view name) const;

  // Typed registration for class C.
  template <class C>
  TPublisherOf<C> For() {
    return TPublisherOf<C>(*this);
  }

  // A property published again under the same name replaces the earlier one.
  TPropInfo& AddProperty(std::unique_ptr<TPropInfo> info);
  // The default of a property this class or a parent publishes, set to what this class's
  // constructor gives (a shared table's default may be another class's); monostate stores
  // the value always. Raises EPropertyError for an unknown name.
  void Redefault(std::string_view name, TPropDefault value);
  TMethodEntry& AddMethod(std::unique_ptr<TMethodEntry> entry);

 private:
  const TClass& class_;
  std::vector<std::unique_ptr<TPropInfo>> properties_;
  std::vector<std::unique_ptr<TMethodEntry>> methods_;
};

// ---- lookup --------------------------------------------------------------------

const TPropInfo* GetPropInfo(const TClass& cls, std::string_view name);
const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);
// Raises EPropertyError "Property %s does not exist".
const TPropInfo& FindPropInfo(const TObject* instance, std::string_view name);
// Every published property, parents first, each name once (the most derived wins,
// in the place where the name first appeared).
const std::vector<const TPropInfo*>& GetPropList(const TClass& cls);

const TMethodEntry* FindMethodEntry(const TClass& cls, std::string_view name);
// The named published method of `instance`; an unassigned TMethod when there is none.
TMethod FindMethod(TObject* instance, std::string_view name);

// "Font.Name" resolved from `instance`: every part but the last must be an object
// property holding an object. `prop` is nullptr when the last part is not published
// (it may be one that DefineProperties stores).
struct TPropPath {
  TObject* Instance = nullptr;
  const TPropInfo* Prop = nullptr;
  std::string Name;
};
TPropPath ResolvePropPath(TObject* instance, std::string_view path);

// ---- access by property --------------------------------------------------------
// Each raises EPropertyError "Invalid property value" on a property of another kind
// or a value out of range, "Property is read-only" on a read-only property.

Int64 GetOrdProp(TObject* instance, const TPropInfo& prop);
void SetOrdProp(TObject* instance, const TPropInfo& prop, Int64 value);
Double GetFloatProp(TObject* instance, const TPropInfo& prop);
void SetFloatProp(TObject* instance, const TPropInfo& prop, Double value);
std::string GetStrProp(TObject* instance, const TPropInfo& prop);
void SetStrProp(TObject* instance, const TPropInfo& prop, const std::string& value);
std::string GetEnumProp(TObject* instance, const TPropInfo& prop);
void SetEnumProp(TObject* instance, const TPropInfo& prop, std::string_view ident);
std::string GetSetProp(TObject* instance, const TPropInfo& prop, bool brackets = true);
void SetSetProp(TObject* instance, const TPropInfo& prop, std::string_view text);
TObject* GetObjectProp(TObject* instance, const TPropInfo& prop);
void SetObjectProp(TObject* instance, const TPropInfo& prop, TObject* value);
bool IsMethodPropAssigned(TObject* instance, const TPropInfo& prop);
void SetMethodProp(TObject* instance, const TPropInfo& prop, const TMethod& method);

bool IsStoredProp(TObject* instance, const TPropInfo& prop);
// True when the property has a default and holds it.
bool IsDefaultPropValue(TObject* instance, const TPropInfo& prop);

// ---- access by name (raises EPropertyError for an unknown name) ------------------

Int64 GetOrdProp(TObject* instance, std::string_view name);
void SetOrdProp(TObject* instance, std::string_view name, Int64 value);
Double GetFloatProp(TObject* instance, std::string_view name);
void SetFloatProp(TObject* instance, std::string_view name, Double value);
std::string GetStrProp(TObject* instance, std::string_view name);
void SetStrProp(TObject* instance, std::string_view name, const std::string& value);
std::string GetEnumProp(TObject* instance, std::string_view name);
void SetEnumProp(TObject* instance, std::string_view name, std::string_view ident);
std::string GetSetProp(TObject* instance, std::string_view name, bool brackets = true);
void SetSetProp(TObject* instance, std::string_view name, std::string_view text);
TObject* GetObjectProp(TObject* instance, std::string_view name);
void SetObjectProp(TObject* instance, std::string_view name, TObject* value);
// Binds the event to the published method `methodName` of `methodOwner`; an empty
// name clears it. An unknown method raises EPropertyError.
void SetMethodProp(TObject* instance, std::string_view name, TObject* methodOwner, std::string_view methodName);

// ---- typed registration ----------------------------------------------------------

namespace prop_detail {

template <class C>
C* Self(TObject* obj) {
  C* c = dynamic_cast<C*>(obj);
  if (!c) throw EPropertyError(msg::InvalidPropertyValue);
  return c;
}

template <class C, class G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<const G&, C*>>;

template <class G, class S>
constexpr bool kWritable = !std::is_null_pointer_v<S> || std::is_member_object_pointer_v<G>;

template <class C, class G, class S, class V>
void Put(const G& get, const S& set, C* obj, V&& value) {
  if constexpr (!std::is_null_pointer_v<S>) {
    if constexpr (std::is_member_object_pointer_v<S>)
      obj->*set = std::forward<V>(value);
    else
      std::invoke(set, obj, std::forward<V>(value));
  } else {
    obj->*get = std::forward<V>(value);
  }
}

template <class S>
std::uint64_t SetBits(const S& s) {
  if constexpr (std::is_integral_v<S>)
    return static_cast<std::uint64_t>(s);
  else if constexpr (requires { s.Bits(); })
    return s.Bits();
  else
    return s.to_ullong();
}

template <class S>
S SetFromBits(std::uint64_t bits) {
  if constexpr (std::is_integral_v<S>)
    return static_cast<S>(bits);
  else if constexpr (requires { S::FromBits(bits); })
    return S::FromBits(bits);
  else
    return S(bits);
}

template <class V>
void SetOrdWidth(TPropInfo& info) {
  if constexpr (std::is_enum_v<V>) {
    SetOrdWidth<std::underlying_type_t<V>>(info);
  } else if constexpr (std::is_integral_v<V>) {
    info.OrdBits = static_cast<int>(sizeof(V) * 8);
    info.OrdSigned = std::is_signed_v<V>;
  }
}

}  // namespace prop_detail

template <class C>
class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo& info) : info_(info) {}

  template <class V>
  TPropBuilder& Default(V value) {
    if constexpr (std::is_floating_point_v<V>)
      info_.Default = static_cast<Double>(value);
    else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
      info_.Default = static_cast<Int64>(value);
    else if constexpr (requires { value.Bits(); })
      info_.Default = static_cast<Int64>(value.Bits());
    else
      info_.Default = std::string(value);
    return *this;
  }
  // Names some values of an integer property for form files.
  TPropBuilder& Idents(const TIdentMap& map) {
    info_.IdentMap = &map;
    return *this;
  }
  TPropBuilder& NoDefault() {
    info_.Default = std::monostate{};
    return *this;
  }
  TPropBuilder& Stored(bool stored) {
    info_.StoredProc = [stored](TObject*) { return stored; };
    return *this;
  }
  // A member function or callable taking C* and answering whether to store.
  template <class P>
  TPropBuilder& StoredIf(P pred) {
    info_.StoredProc = [pred](TObject* o) { return static_cast<bool>(std::invoke(pred, prop_detail::Self<C>(o))); };
    return *this;
  }
  TPropInfo& Info() { return info_; }

 private:
  TPropInfo& info_;
};

template <class C>
class TPublisherOf {
 public:
  explicit TPublisherOf(TPublished& published) : published_(published) {}

  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Integer(std::string name, G get, S set = nullptr) {
    return Ordinal(std::move(name), pkInteger, nullptr, get, set);
  }
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Boolean(std::string name, G get, S set = nullptr) {
    return Ordinal(std::move(name), pkBoolean, &BooleanInfo(), get, set);
  }
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Char(std::string name, G get, S set = nullptr) {
    return Ordinal(std::move(name), pkChar, nullptr, get, set);
  }
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Enum(std::string name, const TEnumInfo& values, G get, S set = nullptr) {
    return Ordinal(std::move(name), pkEnumeration, &values, get, set);
  }

  // The value is a TSet, an integer bit mask, or a type with to_ullong() and a
  // constructor from unsigned long long (std::bitset); bit i is element i.
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Set(std::string name, const TEnumInfo& elements, G get, S set = nullptr) {
    using V = prop_detail::ValueOf<C, G>;
    auto info = Start(std::move(name), pkSet);
    info->EnumInfo = &elements;
    info->OrdBits = elements.Count();
    info->OrdSigned = false;
    info->GetOrd = [get](TObject* o) {
      return static_cast<Int64>(prop_detail::SetBits<V>(std::invoke(get, prop_detail::Self<C>(o))));
    };
    if constexpr (prop_detail::kWritable<G, S>) {
      info->SetOrd = [get, set](TObject* o, Int64 v) {
        prop_detail::Put(get, set, prop_detail::Self<C>(o),
                         prop_detail::SetFromBits<V>(static_cast<std::uint64_t>(v)));
      };
    }
    return Finish(std::move(info));
  }

  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Float(std::string name, G get, S set = nullptr) {
    using V = prop_detail::ValueOf<C, G>;
    auto info = Start(std::move(name), pkFloat);
    info->GetFloat = [get](TObject* o) { return static_cast<Double>(std::invoke(get, prop_detail::Self<C>(o))); };
    if constexpr (prop_detail::kWritable<G, S>) {
      info->SetFloat = [get, set](TObject* o, Double v) {
        prop_detail::Put(get, set, prop_detail::Self<C>(o), static_cast<V>(v));
      };
    }
    return Finish(std::move(info));
  }

  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> String(std::string name, G get, S set = nullptr) {
    auto info = Start(std::move(name), pkString);
    info->GetStr = [get](TObject* o) { return std::string(std::invoke(get, prop_detail::Self<C>(o))); };
    if constexpr (prop_detail::kWritable<G, S>) {
      info->SetStr = [get, set](TObject* o, const std::string& v) {
        prop_detail::Put(get, set, prop_detail::Self<C>(o), v);
      };
    }
    return Finish(std::move(info));
  }

  // An owned sub-object (font, pen, bitmap...): its setter usually assigns.
  // Owned sub-objects are never written through a data member (the pointer would be
  // replaced and the old object lost): without a setter they are read-only.
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Object(std::string name, G get, S set = nullptr) {
    return ObjectLike<false>(std::move(name), pkClass, get, set);
  }
  // A reference; a data member getter without setter is written directly.
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Component(std::string name, G get, S set = nullptr) {
    return ObjectLike<true>(std::move(name), pkComponent, get, set);
  }
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Strings(std::string name, G get, S set = nullptr) {
    return ObjectLike<false>(std::move(name), pkStrings, get, set);
  }
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Collection(std::string name, G get, S set = nullptr) {
    return ObjectLike<false>(std::move(name), pkCollection, get, set);
  }

  // An event held as std::function<Sig>.
  template <class G, class S = std::nullptr_t>
  TPropBuilder<C> Event(std::string name, G get, S set = nullptr) {
    using F = prop_detail::ValueOf<C, G>;
    auto info = Start(std::move(name), pkMethod);
    info->EventType = std::type_index(typeid(F));
    info->MethodAssigned = [get](TObject* o) { return static_cast<bool>(std::invoke(get, prop_detail::Self<C>(o))); };
    if constexpr (prop_detail::kWritable<G, S>) {
      info->SetMethod = [get, set](TObject* o, const TMethod& m) {
        C* self = prop_detail::Self<C>(o);
        F bound = m.Code ? m.Code->template BindAs<F>(m.Data) : F();
        prop_detail::Put(get, set, self, std::move(bound));
      };
    }
    return Finish(std::move(info));
  }

  // A published method, bound to events by name.
  template <class R, class B, class... A>
  void Method(std::string name, R (B::*method)(A...)) {
    static_assert(std::is_base_of_v<B, C>, "method of another class");
    using F = std::function<R(A...)>;
    published_.AddMethod(std::make_unique<TMethodEntry>(
        std::move(name), std::type_index(typeid(F)), [method](TObject* o) -> std::any {
          C* self = prop_detail::Self<C>(o);
          return F([self, method](A... args) -> R { return (self->*method)(std::forward<A>(args)...); });
        }));
  }

 private:
  std::unique_ptr<TPropInfo> Start(std::string name, TPropKind kind) {
    auto info = std::make_unique<TPropInfo>();
    info->Name = std::move(name);
    info->Kind = kind;
    info->Owner = &published_.Class();
    return info;
  }
  TPropBuilder<C> Finish(std::unique_ptr<TPropInfo> info) {
    return TPropBuilder<C>(published_.AddProperty(std::move(info)));
  }

  template <class G, class S>
  TPropBuilder<C> Ordinal(std::string name, TPropKind kind, const TEnumInfo* values, G get, S set) {
    using V = prop_detail::ValueOf<C, G>;
    static_assert(std::is_integral_v<V> || std::is_enum_v<V>, "ordinal property of a non-ordinal type");
    auto info = Start(std::move(name), kind);
    info->EnumInfo = values;
    prop_detail::SetOrdWidth<V>(*info);
    info->GetOrd = [get](TObject* o) {
      V v = std::invoke(get, prop_detail::Self<C>(o));
      if constexpr (std::is_same_v<V, char>)
        return static_cast<Int64>(static_cast<unsigned char>(v));
      else
        return static_cast<Int64>(v);
    };
    if constexpr (prop_detail::kWritable<G, S>) {
      info->SetOrd = [get, set](TObject* o, Int64 v) {
        prop_detail::Put(get, set, prop_detail::Self<C>(o), static_cast<V>(v));
      };
    }
    return Finish(std::move(info));
  }

  template <bool kDirectWrite, class G, class S>
  TPropBuilder<C> ObjectLike(std::string name, TPropKind kind, G get, S set) {
    using P = std::remove_pointer_t<prop_detail::ValueOf<C, G>>;
    static_assert(std::is_base_of_v<TObject, P>, "object property of a non-object type");
    auto info = Start(std::move(name), kind);
    info->PropClass = &P::StaticClass();
    info->GetObject = [get](TObject* o) -> TObject* { return std::invoke(get, prop_detail::Self<C>(o)); };
    if constexpr (!std::is_null_pointer_v<S> || (kDirectWrite && std::is_member_object_pointer_v<G>)) {
      info->SetObject = [get, set](TObject* o, TObject* v) {
        P* typed = dynamic_cast<P*>(v);
        if (v && !typed) throw EPropertyError(msg::InvalidPropertyValue);
        prop_detail::Put(get, set, prop_detail::Self<C>(o), typed);
      };
    }
    return Finish(std::move(info));
  }

  TPublished& published_;
};
