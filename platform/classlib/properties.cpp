#include "platform/classlib/properties.h"

#include "platform/classlib/persistent.h"

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

[[noreturn]] void InvalidValue() { throw EPropertyError(msg::InvalidPropertyValue); }

void RequireKind(const TPropInfo&, bool ok) {
  if (!ok) InvalidValue();
}

// Ordinals are stored in fields of a fixed width; a value that does not fit in that
// width either signed or unsigned is refused rather than silently cut.
void CheckOrdinalRange(const TPropInfo& prop, Int64 value) {
  switch (prop.Kind) {
    case pkBoolean:
    case pkEnumeration:
      if (prop.EnumInfo && (value < 0 || value >= prop.EnumInfo->Count())) InvalidValue();
      return;
    case pkSet: {
      int n = prop.EnumInfo ? prop.EnumInfo->Count() : 64;
      if (n < 64 && (static_cast<std::uint64_t>(value) >> n) != 0) InvalidValue();
      return;
    }
    default:
      break;
  }
  if (prop.OrdBits >= 64) return;
  const Int64 lo = -(Int64{1} << (prop.OrdBits - 1));
  const Int64 hi = (Int64{1} << prop.OrdBits) - 1;
  if (prop.Kind == pkChar) {
    if (value < 0 || value > hi) InvalidValue();
  } else if (value < lo || value > hi) {
    InvalidValue();
  }
}

}  // namespace

bool SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

// ---- enumerations and sets ---------------------------------------------------------

int TEnumInfo::ValueOf(std::string_view ident) const {
  for (std::size_t i = 0; i < identifiers_.size(); ++i)
    if (SameIdent(identifiers_[i], ident)) return static_cast<int>(i);
  return -1;
}

std::string TEnumInfo::IdentOf(Int64 value) const {
  if (value < 0 || value >= Count()) return std::string();
  return identifiers_[static_cast<std::size_t>(value)];
}

const TEnumInfo& BooleanInfo() {
  static const TEnumInfo info("Boolean", {"False", "True"});
  return info;
}

std::string SetToString(const TEnumInfo& elements, std::uint64_t bits, bool brackets) {
  std::string out;
  for (int i = 0; i < elements.Count() && i < 64; ++i) {
    if (bits & (std::uint64_t{1} << i)) {
      if (!out.empty()) out += ',';
      out += elements.IdentOf(i);
    }
  }
  return brackets ? "[" + out + "]" : out;
}

std::uint64_t StringToSet(const TEnumInfo& elements, std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '[') {
    if (text.back() != ']') InvalidValue();
    text = text.substr(1, text.size() - 2);
  }
  std::uint64_t bits = 0;
  while (!TrimBlanks(text).empty()) {
    std::size_t comma = text.find(',');
    std::string_view ident = TrimBlanks(text.substr(0, comma));
    int v = elements.ValueOf(ident);
    if (v < 0 || v >= 64) throw CreateFmt<EPropertyError>(msg::InvalidPropertyElement, std::string(ident));
    bits |= std::uint64_t{1} << v;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return bits;
}

std::uint64_t IdentsToSet(const TEnumInfo& elements, const std::vector<std::string>& idents) {
  std::uint64_t bits = 0;
  for (const std::string& ident : idents) {
    int v = elements.ValueOf(TrimBlanks(ident));
    if (v < 0 || v >= 64) throw CreateFmt<EPropertyError>(msg::InvalidPropertyElement, ident);
    bits |= std::uint64_t{1} << v;
  }
  return bits;
}

// ---- property records --------------------------------------------------------------

bool TPropInfo::IsOrdinal() const {
  return Kind == pkInteger || Kind == pkBoolean || Kind == pkEnumeration || Kind == pkSet || Kind == pkChar;
}

bool TPropInfo::IsObject() const {
  return Kind == pkClass || Kind == pkComponent || Kind == pkStrings || Kind == pkCollection;
}

bool TPropInfo::ReadOnly() const {
  switch (Kind) {
    case pkFloat:
      return !SetFloat;
    case pkString:
      return !SetStr;
    case pkClass:
    case pkComponent:
    case pkStrings:
    case pkCollection:
      return !SetObject;
    case pkMethod:
      return !SetMethod;
    default:
      return !SetOrd;
  }
}

const TPropInfo* TPublished::FindOwnProperty(std::string_view name) const {
  for (const auto& p : properties_)
    if (SameIdent(p->Name, name)) return p.get();
  return nullptr;
}

void TPublished::Redefault(std::string_view name, TPropDefault value) {
  for (const auto& p : properties_) {
    if (SameIdent(p->Name, name)) {
      p->Default = std::move(value);
      return;
    }
  }
  const TPropInfo* inherited = class_.ClassParent() ? GetPropInfo(*class_.ClassParent(), name) : nullptr;
  if (!inherited) throw CreateFmt<EPropertyError>(msg::UnknownProperty, std::string(name));
  auto copy = std::make_unique<TPropInfo>(*inherited);
  copy->Owner = &class_;
  copy->Default = std::move(value);
  AddProperty(std::move(copy));
}

const TMethodEntry* TPublished::FindOwnMethod(std::string_view name) const {
  for (const auto& m : methods_)
    if (SameIdent(m->Name(), name)) return m.get();
  return nullptr;
}

TPropInfo& TPublished::AddProperty(std::unique_ptr<TPropInfo> info) {
  for (auto& p : properties_) {
    if (SameIdent(p->Name, info->Name)) {
      p = std::move(info);
      return *p;
    }
  }
  properties_.push_back(std::move(info));
  return *properties_.back();
}

TMethodEntry& TPublished::AddMethod(std::unique_ptr<TMethodEntry> entry) {
  for (auto& m : methods_) {
    if (SameIdent(m->Name(), entry->Name())) {
      m = std::move(entry);
      return *m;
    }
  }
  methods_.push_back(std::move(entry));
  return *methods_.back();
}

// ---- lookup ------------------------------------------------------------------------

const TPropInfo* GetPropInfo(const TClass& cls, std::string_view name) {
  for (const TClass* c = &cls; c; c = c->ClassParent())
    if (const TPropInfo* p = c->Published().FindOwnProperty(name)) return p;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name) {
  return instance ? GetPropInfo(instance->ClassType(), name) : nullptr;
}

const TPropInfo& FindPropInfo(const TObject* instance, std::string_view name) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p) throw CreateFmt<EPropertyError>(msg::UnknownProperty, std::string(name));
  return *p;
}

const std::vector<const TPropInfo*>& GetPropList(const TClass& cls) { return cls.PropList(); }

const TMethodEntry* FindMethodEntry(const TClass& cls, std::string_view name) {
  for (const TClass* c = &cls; c; c = c->ClassParent())
    if (const TMethodEntry* m = c->Published().FindOwnMethod(name)) return m;
  return nullptr;
}

TMethod FindMethod(TObject* instance, std::string_view name) {
  TMethod m;
  if (!instance) return m;
  m.Code = FindMethodEntry(instance->ClassType(), name);
  if (m.Code) m.Data = instance;
  return m;
}

TPropPath ResolvePropPath(TObject* instance, std::string_view path) {
  TPropPath result;
  result.Instance = instance;
  for (;;) {
    std::size_t dot = path.find('.');
    std::string_view part = path.substr(0, dot);
    if (dot == std::string_view::npos) {
      result.Name = std::string(part);
      result.Prop = GetPropInfo(result.Instance, part);
      return result;
    }
    const TPropInfo* prop = GetPropInfo(result.Instance, part);
    if (!prop) throw CreateFmt<EPropertyError>(msg::UnknownProperty, std::string(part));
    if (!prop->IsObject()) InvalidValue();
    TObject* next = prop->GetObject(result.Instance);
    if (!next) InvalidValue();
    result.Instance = next;
    path.remove_prefix(dot + 1);
  }
}

// ---- access by property ------------------------------------------------------------

Int64 GetOrdProp(TObject* instance, const TPropInfo& prop) {
  RequireKind(prop, prop.IsOrdinal());
  return prop.GetOrd(instance);
}

void SetOrdProp(TObject* instance, const TPropInfo& prop, Int64 value) {
  RequireKind(prop, prop.IsOrdinal());
  if (!prop.SetOrd) throw EPropertyError(msg::ReadOnlyProperty);
  CheckOrdinalRange(prop, value);
  prop.SetOrd(instance, value);
}

Double GetFloatProp(TObject* instance, const TPropInfo& prop) {
  RequireKind(prop, prop.Kind == pkFloat);
  return prop.GetFloat(instance);
}

void SetFloatProp(TObject* instance, const TPropInfo& prop, Double value) {
  RequireKind(prop, prop.Kind == pkFloat);
  if (!prop.SetFloat) throw EPropertyError(msg::ReadOnlyProperty);
  prop.SetFloat(instance, value);
}

std::string GetStrProp(TObject* instance, const TPropInfo& prop) {
  if (prop.Kind == pkChar) return std::string(1, static_cast<char>(prop.GetOrd(instance)));
  RequireKind(prop, prop.Kind == pkString);
  return prop.GetStr(instance);
}

void SetStrProp(TObject* instance, const TPropInfo& prop, const std::string& value) {
  if (prop.Kind == pkChar) {
    if (value.size() != 1) InvalidValue();
    SetOrdProp(instance, prop, static_cast<unsigned char>(value[0]));
    return;
  }
  RequireKind(prop, prop.Kind == pkString);
  if (!prop.SetStr) throw EPropertyError(msg::ReadOnlyProperty);
  prop.SetStr(instance, value);
}

std::string GetEnumProp(TObject* instance, const TPropInfo& prop) {
  RequireKind(prop, (prop.Kind == pkEnumeration || prop.Kind == pkBoolean) && prop.EnumInfo);
  return prop.EnumInfo->IdentOf(prop.GetOrd(instance));
}

void SetEnumProp(TObject* instance, const TPropInfo& prop, std::string_view ident) {
  RequireKind(prop, (prop.Kind == pkEnumeration || prop.Kind == pkBoolean) && prop.EnumInfo);
  int v = prop.EnumInfo->ValueOf(TrimBlanks(ident));
  if (v < 0) InvalidValue();
  SetOrdProp(instance, prop, v);
}

std::string GetSetProp(TObject* instance, const TPropInfo& prop, bool brackets) {
  RequireKind(prop, prop.Kind == pkSet && prop.EnumInfo);
  return SetToString(*prop.EnumInfo, static_cast<std::uint64_t>(prop.GetOrd(instance)), brackets);
}

void SetSetProp(TObject* instance, const TPropInfo& prop, std::string_view text) {
  RequireKind(prop, prop.Kind == pkSet && prop.EnumInfo);
  SetOrdProp(instance, prop, static_cast<Int64>(StringToSet(*prop.EnumInfo, text)));
}

TObject* GetObjectProp(TObject* instance, const TPropInfo& prop) {
  RequireKind(prop, prop.IsObject());
  return prop.GetObject(instance);
}

void SetObjectProp(TObject* instance, const TPropInfo& prop, TObject* value) {
  RequireKind(prop, prop.IsObject());
  if (!prop.SetObject) throw EPropertyError(msg::ReadOnlyProperty);
  prop.SetObject(instance, value);
}

bool IsMethodPropAssigned(TObject* instance, const TPropInfo& prop) {
  RequireKind(prop, prop.Kind == pkMethod);
  return prop.MethodAssigned(instance);
}

void SetMethodProp(TObject* instance, const TPropInfo& prop, const TMethod& method) {
  RequireKind(prop, prop.Kind == pkMethod);
  if (!prop.SetMethod) throw EPropertyError(msg::ReadOnlyProperty);
  prop.SetMethod(instance, method);
}

bool IsStoredProp(TObject* instance, const TPropInfo& prop) {
  return !prop.StoredProc || prop.StoredProc(instance);
}

bool IsDefaultPropValue(TObject* instance, const TPropInfo& prop) {
  const TPropDefault* def = &prop.Default;
  if (const auto* persistent = dynamic_cast<const TPersistent*>(instance))
    if (const TPropDefault* kept = persistent->KeptDefault(prop)) def = kept;
  if (const Int64* d = std::get_if<Int64>(def)) return prop.IsOrdinal() && prop.GetOrd(instance) == *d;
  if (const Double* d = std::get_if<Double>(def))
    return prop.Kind == pkFloat && prop.GetFloat(instance) == *d;
  if (const std::string* d = std::get_if<std::string>(def))
    return prop.Kind == pkString && prop.GetStr(instance) == *d;
  return false;
}

// ---- access by name ----------------------------------------------------------------

Int64 GetOrdProp(TObject* instance, std::string_view name) {
  return GetOrdProp(instance, FindPropInfo(instance, name));
}
void SetOrdProp(TObject* instance, std::string_view name, Int64 value) {
  SetOrdProp(instance, FindPropInfo(instance, name), value);
}
Double GetFloatProp(TObject* instance, std::string_view name) {
  return GetFloatProp(instance, FindPropInfo(instance, name));
}
void SetFloatProp(TObject* instance, std::string_view name, Double value) {
  SetFloatProp(instance, FindPropInfo(instance, name), value);
}
std::string GetStrProp(TObject* instance, std::string_view name) {
  return GetStrProp(instance, FindPropInfo(instance, name));
}
void SetStrProp(TObject* instance, std::string_view name, const std::string& value) {
  SetStrProp(instance, FindPropInfo(instance, name), value);
}
std::string GetEnumProp(TObject* instance, std::string_view name) {
  return GetEnumProp(instance, FindPropInfo(instance, name));
}
void SetEnumProp(TObject* instance, std::string_view name, std::string_view ident) {
  SetEnumProp(instance, FindPropInfo(instance, name), ident);
}
std::string GetSetProp(TObject* instance, std::string_view name, bool brackets) {
  return GetSetProp(instance, FindPropInfo(instance, name), brackets);
}
void SetSetProp(TObject* instance, std::string_view name, std::string_view text) {
  SetSetProp(instance, FindPropInfo(instance, name), text);
}
TObject* GetObjectProp(TObject* instance, std::string_view name) {
  return GetObjectProp(instance, FindPropInfo(instance, name));
}
void SetObjectProp(TObject* instance, std::string_view name, TObject* value) {
  SetObjectProp(instance, FindPropInfo(instance, name), value);
}
void SetMethodProp(TObject* instance, std::string_view name, TObject* methodOwner, std::string_view methodName) {
  const TPropInfo& prop = FindPropInfo(instance, name);
  TMethod m;
  if (!methodName.empty()) {
    m = FindMethod(methodOwner, methodName);
    if (!m.Assigned()) throw CreateFmt<EPropertyError>("Method %s does not exist", std::string(methodName));
  }
  SetMethodProp(instance, prop, m);
}

bool TIdentMap::IdentToInt(std::string_view ident, Int64& value) const {
  for (const auto& [v, name] : entries_) {
    if (SameIdent(name, ident)) {
      value = v;
      return true;
    }
  }
  return false;
}

bool TIdentMap::IntToIdent(Int64 value, std::string& ident) const {
  for (const auto& [v, name] : entries_) {
    if (v == value) {
      ident = name;
      return true;
    }
  }
  return false;
}
