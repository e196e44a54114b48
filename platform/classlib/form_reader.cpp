#include "platform/classlib/form_reader.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/module_life.h"

namespace {

// ---- errors ------------------------------------------------------------------------

// Marks an error that already names where it happened, so that outer handlers pass it
// on instead of wrapping it again. Callers see the plain exception class.
struct TLocatedTag {};

template <class E>
class TLocated : public E, public TLocatedTag {
 public:
  using E::E;
};

[[noreturn]] void Fail(const std::string& message, int line) {
  throw TLocated<EReadError>(Format("%s on line %d", message, line));
}

bool IsKeyword(const TFormToken& t, std::string_view word) { return t.Kind == ftSymbol && SameIdent(t.Text, word); }

// ---- parser ------------------------------------------------------------------------

class TFormParser {
 public:
  explicit TFormParser(std::string_view text) : lexer_(text) {}

  TFormObject ParseRoot() {
    lexer_.Next();
    if (!IsKeyword(Tok(), "object") && !IsKeyword(Tok(), "inherited")) Expected("'object'");
    TFormObject root = ParseObject();
    if (Tok().Kind != ftEOF) TFormLexer::Error("End of file expected", Tok().Line);
    return root;
  }

 private:
  const TFormToken& Tok() const { return lexer_.Current(); }
  void Next() { lexer_.Next(); }

  std::string Describe(const TFormToken& t) const {
    switch (t.Kind) {
      case ftEOF:
        return "end of file";
      case ftSymbol:
        return "'" + t.Text + "'";
      case ftChar:
        return "'" + t.Text + "'";
      case ftString:
        return "string";
      case ftInteger:
      case ftFloat:
        return "number";
      case ftBinary:
        return "binary value";
    }
    return "token";
  }

  [[noreturn]] void Expected(const std::string& what) const {
    TFormLexer::Error(what + " expected but " + Describe(Tok()) + " found", Tok().Line);
  }

  bool IsChar(char c) const { return Tok().Kind == ftChar && Tok().Text[0] == c; }

  void ExpectChar(char c) {
    if (!IsChar(c)) Expected(std::string("'") + c + "'");
    Next();
  }

  std::string ExpectSymbol() {
    if (Tok().Kind != ftSymbol) Expected("Identifier");
    std::string s = Tok().Text;
    Next();
    return s;
  }

  void Enter() {
    if (++depth_ > kMaxFormNesting) TFormLexer::Error("Nesting too deep", Tok().Line);
  }
  void Leave() { --depth_; }

  // At the keyword; returns after the matching "end".
  TFormObject ParseObject() {
    Enter();
    TFormObject obj;
    obj.line = Tok().Line;
    if (IsKeyword(Tok(), "inherited"))
      obj.kind = TFormObject::foInherited;
    else if (IsKeyword(Tok(), "inline"))
      obj.kind = TFormObject::foInline;
    Next();
    std::string first = ExpectSymbol();
    if (IsChar(':')) {
      Next();
      obj.name = std::move(first);
      obj.className = ExpectSymbol();
    } else {
      obj.className = std::move(first);
    }
    for (;;) {
      if (IsKeyword(Tok(), "end")) {
        Next();
        break;
      }
      if (IsKeyword(Tok(), "object") || IsKeyword(Tok(), "inherited") || IsKeyword(Tok(), "inline")) {
        obj.children.push_back(ParseObject());
      } else if (Tok().Kind == ftSymbol && obj.children.empty()) {
        obj.properties.push_back(ParseProperty());
      } else {
        Expected("'end'");
      }
    }
    Leave();
    return obj;
  }

  TFormProperty ParseProperty() {
    TFormProperty prop;
    prop.line = Tok().Line;
    prop.name = ExpectSymbol();
    while (IsChar('.')) {
      Next();
      prop.name += '.';
      prop.name += ExpectSymbol();
    }
    ExpectChar('=');
    prop.value = ParseValue();
    return prop;
  }

  TFormValue ParseValue() {
    TFormValue v;
    v.line = Tok().Line;
    switch (Tok().Kind) {
      case ftInteger:
        v.kind = TFormValue::fvInteger;
        v.integer = Tok().Integer;
        Next();
        return v;
      case ftFloat:
        v.kind = TFormValue::fvFloat;
        v.real = Tok().Float;
        Next();
        return v;
      case ftString:
        v.kind = TFormValue::fvString;
        v.text = Tok().Text;
        Next();
        while (IsChar('+')) {
          Next();
          if (Tok().Kind != ftString) Expected("String");
          v.text += Tok().Text;
          Next();
        }
        return v;
      case ftSymbol:
        v.kind = TFormValue::fvIdent;
        v.text = Tok().Text;
        Next();
        while (IsChar('.')) {
          Next();
          v.text += '.';
          v.text += ExpectSymbol();
        }
        return v;
      case ftBinary:
        v.kind = TFormValue::fvBinary;
        v.text = Tok().Text;
        Next();
        return v;
      case ftChar:
        if (IsChar('[')) return ParseSet();
        if (IsChar('(')) return ParseList();
        if (IsChar('<')) return ParseCollection();
        break;
      case ftEOF:
        break;
    }
    Expected("Property value");
  }

  TFormValue ParseSet() {
    TFormValue v;
    v.kind = TFormValue::fvSet;
    v.line = Tok().Line;
    Next();
    if (IsChar(']')) {
      Next();
      return v;
    }
    for (;;) {
      v.idents.push_back(ExpectSymbol());
      if (IsChar(',')) {
        Next();
        continue;
      }
      ExpectChar(']');
      return v;
    }
  }

  TFormValue ParseList() {
    Enter();
    TFormValue v;
    v.kind = TFormValue::fvList;
    v.line = Tok().Line;
    Next();
    while (!IsChar(')')) {
      if (Tok().Kind == ftEOF) Expected("')'");
      v.items.push_back(ParseValue());
    }
    Next();
    Leave();
    return v;
  }

  TFormValue ParseCollection() {
    Enter();
    TFormValue v;
    v.kind = TFormValue::fvCollection;
    v.line = Tok().Line;
    Next();
    while (!IsChar('>')) {
      if (!IsKeyword(Tok(), "item")) Expected("'item'");
      TFormItem item;
      item.line = Tok().Line;
      Next();
      while (!IsKeyword(Tok(), "end")) {
        if (Tok().Kind != ftSymbol) Expected("'end'");
        item.properties.push_back(ParseProperty());
      }
      Next();
      v.entries.push_back(std::move(item));
    }
    Next();
    Leave();
    return v;
  }

  TFormLexer lexer_;
  int depth_ = 0;
};

// ---- event bindings ----------------------------------------------------------------

struct TBinding {
  TObject* instance;
  const TPropInfo* prop;
  TComponent* anchor;  // the component whose form entry bound it
  std::string method;
};

// Forgets the bindings of a component read from a form once it is freed: it asks each
// such component for a free notification.
class TBindingWatcher : public TComponent {
 public:
  TBindingWatcher() : TComponent(nullptr) {}

  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) ForgetAnchor(AComponent);
  }

  void Record(TObject* instance, const TPropInfo* prop, TComponent* anchor, const std::string& method) {
    Forget(instance, prop);
    if (method.empty()) return;
    bindings_.push_back(TBinding{instance, prop, anchor, method});
    anchor->FreeNotification(this);
  }

  void Forget(TObject* instance, const TPropInfo* prop) {
    std::erase_if(bindings_, [&](const TBinding& b) { return b.instance == instance && b.prop == prop; });
  }

  void ForgetInstance(TObject* instance) {
    std::erase_if(bindings_, [&](const TBinding& b) { return b.instance == instance; });
  }

  std::string Find(TObject* instance, const TPropInfo* prop) const {
    for (const TBinding& b : bindings_)
      if (b.instance == instance && b.prop == prop) return b.method;
    return std::string();
  }

 private:
  void ForgetAnchor(TComponent* c) {
    std::erase_if(bindings_, [&](const TBinding& b) { return b.anchor == c || b.instance == c; });
  }

  std::vector<TBinding> bindings_;
};

TBindingWatcher& Bindings() {
  static TBindingWatcher* watcher = nullptr;
  return *ModuleLazy(watcher, [] { return new TBindingWatcher(); });
}

// ---- global lookup -----------------------------------------------------------------

std::vector<TFindGlobalComponent>& GlobalFinders() {
  static std::vector<TFindGlobalComponent> finders;
  return finders;
}

TComponent* FindNamed(TComponent* scope, std::string_view name) {
  if (!scope || name.empty()) return nullptr;
  if (!scope->Name().empty() && SameIdent(scope->Name(), name)) return scope;
  return scope->FindComponent(name);
}

// "Button1" or "Form2.Button1": the first part from the lookup root, then the root,
// then the global finders; each further part is owned by the one before.
TComponent* ResolveReference(TComponent* lookupRoot, TComponent* root, std::string_view path) {
  std::size_t dot = path.find('.');
  std::string_view first = path.substr(0, dot);
  TComponent* c = FindNamed(lookupRoot, first);
  if (!c && lookupRoot != root) c = FindNamed(root, first);
  if (!c) c = FindGlobalComponent(first);
  while (c && dot != std::string_view::npos) {
    path.remove_prefix(dot + 1);
    dot = path.find('.');
    c = c->FindComponent(path.substr(0, dot));
  }
  return c;
}

std::string Label(TComponent* c) { return c->Name().empty() ? c->ClassName() : c->Name(); }

}  // namespace

// ---- public helpers ----------------------------------------------------------------

TFormObject ParseFormText(std::string_view text) { return TFormParser(text).ParseRoot(); }

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  auto& finders = GlobalFinders();
  if (proc && std::find(finders.begin(), finders.end(), proc) == finders.end()) finders.push_back(proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc) { std::erase(GlobalFinders(), proc); }

TComponent* FindGlobalComponent(std::string_view name) {
  for (TFindGlobalComponent finder : GlobalFinders())
    if (TComponent* c = finder(name)) return c;
  return nullptr;
}

std::string BoundMethodName(TObject* instance, const TPropInfo& prop) { return Bindings().Find(instance, &prop); }

// ---- TFormReader -------------------------------------------------------------------

struct TFormReader::Context {
  TComponent* owner;       // owner of new components
  TComponent* methodRoot;  // events bind to its methods; references start from it
  TComponent* anchor;      // component whose entry is read
};

struct TFormReader::Fixup {
  TObject* instance;
  const TPropInfo* prop;
  std::string reference;
  TComponent* lookupRoot;
  std::string where;  // "Button1.Partner" for messages
  int line;
  std::vector<TCollectionItem*> items;  // collection items the instance lies in
};

const TClass& TFormReader::StaticClass() {
  static const TClass cls = TClass::Of<TFormReader>("TFormReader", TReader::StaticClass());
  return cls;
}

TFormReader::TFormReader(TComponent* root) : root_(root) {
  if (!root) throw EInvalidOperation("A form is read into a component");
}

TFormReader::~TFormReader() {
  if (finished_) return;
  try {
    Rollback();
  } catch (...) {
    // A destructor that throws while undoing cannot be helped here.
  }
}

void TFormReader::Rollback() {
  for (std::size_t i = created_.size(); i-- > 0;) {
    TComponent* c = created_[i];
    TComponent* owner = createdOwners_[i];
    // Only what is still where the read put it; its owner outlives it (created earlier,
    // freed later).
    bool owned = false;
    for (int k = 0; k < owner->ComponentCount() && !owned; ++k) owned = owner->Components(k) == c;
    if (owned) delete c;
  }
  for (TComponent* c : loaded_) {
    if (std::find(created_.begin(), created_.end(), c) != created_.end()) continue;
    c->ExcludeState(csReading);
    c->ExcludeState(csLoading);
  }
  created_.clear();
  createdOwners_.clear();
  loaded_.clear();
  fixups_.clear();
}

void TFormReader::Loading(TComponent* component) {
  component->IncludeState(csLoading);
  component->IncludeState(csReading);
  if (std::find(loaded_.begin(), loaded_.end(), component) == loaded_.end()) loaded_.push_back(component);
}

void TFormReader::Read(const TFormObject& tree) {
  if (finished_) throw EInvalidOperation("The form reader has finished");
  ReadRoot(tree);
}

void TFormReader::ReadRoot(const TFormObject& tree) {
  bool classFits = false;
  for (const TClass* c = &root_->ClassType(); c && !classFits; c = c->ClassParent())
    classFits = SameIdent(c->ClassName(), tree.className);
  if (!classFits)
    Fail(Format("A form of class %s cannot be read into a %s", tree.className, root_->ClassName()), tree.line);

  Loading(root_);
  if (!tree.name.empty() && !SameIdent(root_->Name(), tree.name)) {
    // A second instance of the form beside the first under one owner gets "Name_1".
    std::string name = tree.name;
    if (TComponent* owner = root_->Owner()) {
      for (int n = 1; owner->FindComponent(name) && owner->FindComponent(name) != root_; ++n)
        name = Format("%s_%d", tree.name, n);
    }
    try {
      root_->SetName(name);
    } catch (const std::exception& e) {
      Fail(e.what(), tree.line);
    }
  }
  Context context{root_, root_, root_};
  ReadProperties(root_, tree.properties, context, std::string());
  for (const TFormObject& child : tree.children) ReadObject(child, root_, context);
  root_->ExcludeState(csReading);
}

void TFormReader::ReadObject(const TFormObject& node, TComponent* enclosing, const Context& context) {
  TComponent* component = nullptr;
  if (node.kind == TFormObject::foInherited) {
    component = context.owner->FindComponent(node.name);
    if (!component) Fail(Format("Ancestor for '%s' not found", node.name), node.line);
    bool classFits = false;
    for (const TClass* c = &component->ClassType(); c && !classFits; c = c->ClassParent())
      classFits = SameIdent(c->ClassName(), node.className);
    if (!classFits)
      Fail(Format("Ancestor for '%s' is a %s, not a %s", node.name, component->ClassName(), node.className),
           node.line);
    Loading(component);
  } else {
    const TClass* cls = GetClass(node.className);
    if (!cls) throw TLocated<EClassNotFound>(Format("Class %s not found on line %d", node.className, node.line));
    try {
      component = CreateComponent(*cls, context.owner);
    } catch (const std::exception& e) {
      Fail(e.what(), node.line);
    }
    if (component->Owner() != context.owner) {
      // A class whose constructor ignores the owner still belongs to the form.
      try {
        context.owner->InsertComponent(component);
      } catch (const std::exception& e) {
        delete component;
        Fail(e.what(), node.line);
      }
    }
    created_.push_back(component);
    createdOwners_.push_back(context.owner);
    Loading(component);
    if (node.kind == TFormObject::foInline) component->IncludeState(csInline);
    try {
      component->SetName(node.name);
    } catch (const std::exception& e) {
      Fail(e.what(), node.line);
    }
  }
  if (component->HasParent()) {
    try {
      component->SetParentComponent(enclosing);
    } catch (const TLocatedTag&) {
      throw;
    } catch (const std::exception& e) {
      Fail(Format("Error reading %s.Parent: %s", Label(component), e.what()), node.line);
    }
  }
  Context own{context.owner, context.methodRoot, component};
  ReadProperties(component, node.properties, own, std::string());
  Context nested = context;
  if (node.kind == TFormObject::foInline) nested = Context{component, component, component};
  for (const TFormObject& child : node.children) ReadObject(child, component, nested);
  component->ExcludeState(csReading);
}

void TFormReader::ReadProperties(TObject* instance, const std::vector<TFormProperty>& properties,
                                 const Context& context, const std::string& prefix) {
  for (const TFormProperty& prop : properties) ReadProperty(instance, prop, context, prefix);
}

void TFormReader::ReadProperty(TObject* instance, const TFormProperty& prop, const Context& context,
                               const std::string& prefix) {
  const std::string path = prefix + prop.name;
  try {
    TPropPath resolved = ResolvePropPath(instance, prop.name);
    auto* defines = dynamic_cast<TPersistent*>(resolved.Instance);
    // A reference's value is a name: a string under a reference's name is what the object
    // itself stores under that name (DefineProperties), when it stores one.
    if (resolved.Prop && resolved.Prop->Kind == pkComponent && prop.value.kind == TFormValue::fvString && defines &&
        ReadDefinedProperty(defines, resolved.Name, prop.value, false))
      return;
    if (resolved.Prop) {
      SetPropValue(resolved.Instance, *resolved.Prop, prop.value, context, path);
    } else {
      if (!defines) throw CreateFmt<EReadError>(msg::UnknownProperty, resolved.Name);
      ReadDefinedProperty(defines, resolved.Name, prop.value, true);
    }
  } catch (const TLocatedTag&) {
    throw;
  } catch (const std::exception& e) {
    Fail(Format("Error reading %s.%s: %s", Label(context.anchor), path, e.what()), prop.line);
  }
}

void TFormReader::SetPropValue(TObject* instance, const TPropInfo& info, const TFormValue& value,
                               const Context& context, const std::string& path) {
  auto invalid = []() { throw EPropertyError(msg::InvalidPropertyValue); };
  auto isNil = [&]() { return value.kind == TFormValue::fvIdent && SameIdent(value.text, "nil"); };
  auto reference = [&]() {
    if (value.kind != TFormValue::fvIdent) invalid();
    if (info.ReadOnly()) throw EPropertyError(msg::ReadOnlyProperty);
    if (isNil()) {
      SetObjectProp(instance, info, nullptr);
      return;
    }
    // Resolved once the whole form is read: the target may come later.
    fixups_.push_back(std::make_unique<Fixup>(Fixup{instance, &info, value.text, context.methodRoot,
                                                    Label(context.anchor) + "." + path, value.line, itemStack_}));
  };

  switch (info.Kind) {
    case pkInteger:
      if (value.kind == TFormValue::fvIdent && info.IdentMap) {
        Int64 named = 0;
        if (!info.IdentMap->IdentToInt(value.text, named)) invalid();
        SetOrdProp(instance, info, named);
        return;
      }
      if (value.kind != TFormValue::fvInteger) invalid();
      SetOrdProp(instance, info, value.integer);
      return;
    case pkChar:
      if (value.kind == TFormValue::fvInteger)
        SetOrdProp(instance, info, value.integer);
      else if (value.kind == TFormValue::fvString && value.text.size() == 1)
        SetOrdProp(instance, info, static_cast<unsigned char>(value.text[0]));
      else
        invalid();
      return;
    case pkBoolean:
    case pkEnumeration:
      if (value.kind != TFormValue::fvIdent) invalid();
      SetEnumProp(instance, info, value.text);
      return;
    case pkSet:
      if (value.kind != TFormValue::fvSet || !info.EnumInfo) invalid();
      SetOrdProp(instance, info, static_cast<Int64>(IdentsToSet(*info.EnumInfo, value.idents)));
      return;
    case pkFloat:
      if (value.kind == TFormValue::fvFloat)
        SetFloatProp(instance, info, value.real);
      else if (value.kind == TFormValue::fvInteger)
        SetFloatProp(instance, info, static_cast<Double>(value.integer));
      else
        invalid();
      return;
    case pkString:
      if (value.kind != TFormValue::fvString) invalid();
      SetStrProp(instance, info, value.text);
      return;
    case pkMethod: {
      if (value.kind != TFormValue::fvIdent) invalid();
      TMethod method;
      if (!isNil()) {
        method = FindMethod(context.methodRoot, value.text);
        if (!method.Assigned()) throw CreateFmt<EReadError>("Method %s does not exist", value.text);
      }
      SetMethodProp(instance, info, method);
      Bindings().Record(instance, &info, context.anchor, method.Assigned() ? method.Code->Name() : std::string());
      return;
    }
    case pkComponent:
      reference();
      return;
    case pkClass:
      if (value.kind == TFormValue::fvIdent && info.PropClass &&
          info.PropClass->InheritsFrom(TComponent::StaticClass())) {
        reference();
        return;
      }
      [[fallthrough]];
    case pkCollection: {
      if (value.kind != TFormValue::fvCollection) invalid();
      auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, info));
      if (!collection) invalid();
      ReadCollection(collection, value, context, path);
      return;
    }
    case pkStrings:
      // String lists are stored through their own "Strings" entry.
      invalid();
  }
  invalid();
}

void TFormReader::ReadCollection(TCollection* collection, const TFormValue& value, const Context& context,
                                 const std::string& path) {
  // The items go away: so must the references and bindings waiting on them.
  std::vector<TCollectionItem*> old;
  for (int i = 0; i < collection->Count(); ++i) old.push_back(collection->Items(i));
  std::erase_if(fixups_, [&](const std::unique_ptr<Fixup>& f) {
    for (TCollectionItem* item : f->items)
      if (std::find(old.begin(), old.end(), item) != old.end()) return true;
    return false;
  });
  for (TCollectionItem* item : old) Bindings().ForgetInstance(item);

  collection->BeginUpdate();
  const std::size_t depth = itemStack_.size();
  try {
    collection->Clear();
    for (std::size_t i = 0; i < value.entries.size(); ++i) {
      TCollectionItem* item = collection->Add();
      itemStack_.push_back(item);
      ReadProperties(item, value.entries[i].properties, context, Format("%s[%d].", path, static_cast<int>(i)));
      itemStack_.pop_back();
    }
  } catch (...) {
    itemStack_.resize(depth);
    collection->EndUpdate();
    throw;
  }
  collection->EndUpdate();
}

bool TFormReader::ReadDefinedProperty(TPersistent* instance, const std::string& name, const TFormValue& value,
                                      bool required) {
  definedName_ = &name;
  definedMatched_ = false;
  cursors_.assign(1, ValueCursor{&value, 1, 0});
  struct Reset {
    TFormReader& r;
    ~Reset() {
      r.definedName_ = nullptr;
      r.definedMatched_ = false;
      r.cursors_.clear();
    }
  } reset{*this};
  instance->DefineProperties(this);
  if (!definedMatched_) {
    if (required) throw CreateFmt<EReadError>(msg::UnknownProperty, name);
    return false;
  }
  // A read proc that leaves values behind has misread them.
  if (cursors_.size() != 1 || cursors_[0].pos != 1) throw EReadError(msg::InvalidPropertyValue);
  return true;
}

void TFormReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc, bool) {
  if (!definedName_ || definedMatched_ || !readData || !SameIdent(name, *definedName_)) return;
  definedMatched_ = true;
  readData(*this);
}

void TFormReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc, bool) {
  if (!definedName_ || definedMatched_ || !readData || !SameIdent(name, *definedName_)) return;
  definedMatched_ = true;
  ReadBinaryData(NextValue(TFormValue::fvBinary).text, readData);
}

const TFormValue& TFormReader::NextValue(TFormValue::Kind kind) {
  if (!definedMatched_ || cursors_.empty()) throw EReadError(msg::ReadError);
  ValueCursor& c = cursors_.back();
  if (c.pos >= c.count || c.values[c.pos].kind != kind) throw EReadError(msg::InvalidPropertyValue);
  return c.values[c.pos++];
}

Integer TFormReader::ReadInteger() {
  Int64 v = ReadInt64();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    throw EReadError(msg::InvalidPropertyValue);
  return static_cast<Integer>(v);
}

Int64 TFormReader::ReadInt64() { return NextValue(TFormValue::fvInteger).integer; }

Double TFormReader::ReadFloat() {
  if (!cursors_.empty()) {
    const ValueCursor& c = cursors_.back();
    if (c.pos < c.count && c.values[c.pos].kind == TFormValue::fvInteger)
      return static_cast<Double>(NextValue(TFormValue::fvInteger).integer);
  }
  return NextValue(TFormValue::fvFloat).real;
}

std::string TFormReader::ReadString() { return NextValue(TFormValue::fvString).text; }

bool TFormReader::ReadBoolean() {
  const std::string& ident = NextValue(TFormValue::fvIdent).text;
  if (SameIdent(ident, "True")) return true;
  if (SameIdent(ident, "False")) return false;
  throw EReadError(msg::InvalidPropertyValue);
}

std::string TFormReader::ReadIdent() { return NextValue(TFormValue::fvIdent).text; }

void TFormReader::ReadListBegin() {
  const TFormValue& list = NextValue(TFormValue::fvList);
  cursors_.push_back(ValueCursor{list.items.data(), list.items.size(), 0});
}

void TFormReader::ReadListEnd() {
  if (cursors_.size() <= 1 || cursors_.back().pos != cursors_.back().count)
    throw EReadError(msg::InvalidPropertyValue);
  cursors_.pop_back();
}

bool TFormReader::EndOfList() {
  if (cursors_.empty()) return true;
  return cursors_.back().pos >= cursors_.back().count;
}

void TFormReader::EndLoading() {
  if (finished_) return;
  for (const auto& f : fixups_) {
    TComponent* target = ResolveReference(f->lookupRoot, root_, f->reference);
    if (!target) Fail(Format("Error reading %s: Unresolved reference to %s", f->where, f->reference), f->line);
    try {
      SetObjectProp(f->instance, *f->prop, target);
    } catch (const std::exception& e) {
      Fail(Format("Error reading %s: %s", f->where, e.what()), f->line);
    }
  }
  fixups_.clear();
  for (TComponent* c : loaded_) {
    c->Loaded();
    // An override that forgets the inherited Loaded must not leave it loading.
    c->ExcludeState(csLoading);
  }
  finished_ = true;
  created_.clear();
  createdOwners_.clear();
  loaded_.clear();
}

// ---- entry points ------------------------------------------------------------------

std::unique_ptr<TComponent> ReadComponentText(std::string_view text) {
  TFormObject tree = ParseFormText(text);
  const TClass* cls = GetClass(tree.className);
  if (!cls) throw CreateFmt<EClassNotFound>("Class %s not found on line %d", tree.className, tree.line);
  std::unique_ptr<TComponent> root;
  try {
    root.reset(CreateComponent(*cls, nullptr));
  } catch (const std::exception& e) {
    throw CreateFmt<EReadError>("%s on line %d", std::string(e.what()), tree.line);
  }
  {
    TFormReader reader(root.get());
    reader.Read(tree);
    reader.EndLoading();
  }
  return root;
}

void ReadComponentTextInto(std::string_view text, TComponent* root) {
  TFormObject tree = ParseFormText(text);
  TFormReader reader(root);
  reader.Read(tree);
  reader.EndLoading();
}
