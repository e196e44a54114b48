#pragma once
// Components for the form file tests: a control with every kind of published property,
// children under a parent, and a form whose methods events bind to. Each records what
// the reader did to it (parent calls, Loaded, the states seen while a property was set).
#include <algorithm>
#include <string>
#include <vector>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/component.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/strings.h"

namespace form_test {

// A fixed underlying type: a test stores a value outside the identifiers on purpose.
enum TProbeAlign : int { paNone, paTop, paClient };
inline const TEnumInfo& ProbeAlignInfo() {
  static const TEnumInfo info("TProbeAlign", {"paNone", "paTop", "paClient"});
  return info;
}

enum TProbeStyle { psBold, psItalic, psUnderline };
using TProbeStyles = TSet<TProbeStyle>;
inline const TEnumInfo& ProbeStyleInfo() {
  static const TEnumInfo info("TProbeStyle", {"psBold", "psItalic", "psUnderline"});
  return info;
}

// What the reader did, in order, across all probe components.
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

inline int& LiveControls() {
  static int live = 0;
  return live;
}

inline const TIdentMap& ProbeColorIdents() {
  static const TIdentMap map("TProbeColor", {{0xFF, "clProbeRed"}, {0xFF00, "clProbeLime"}});
  return map;
}

class TProbeFont : public TPersistent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeFont>("TProbeFont", TPersistent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TProbeFont>();
    p.String("Name", &TProbeFont::name).Default("Tahoma");
    p.Integer("Size", &TProbeFont::size).Default(8);
    p.Integer("Color", &TProbeFont::color).Idents(ProbeColorIdents()).Default(0);
    p.Set("Style", ProbeStyleInfo(), &TProbeFont::style).Default(TProbeStyles{});
  }
  void Assign(TPersistent* source) override {
    auto* f = dynamic_cast<TProbeFont*>(source);
    if (!f) return TPersistent::Assign(source);
    name = f->name;
    size = f->size;
    color = f->color;
    style = f->style;
  }

  std::string name = "Tahoma";
  int size = 8;
  int color = 0;
  TProbeStyles style;
};

class TProbeColumn : public TCollectionItem {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeColumn>("TProbeColumn", TCollectionItem::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TProbeColumn>();
    p.String("Caption", &TProbeColumn::caption).Default("");
    p.Integer("Width", &TProbeColumn::width).Default(64);
    p.Component("Link", &TProbeColumn::link);
  }
  explicit TProbeColumn(TCollection* c) : TCollectionItem(c) {}

  std::string caption;
  int width = 64;
  TComponent* link = nullptr;
};

class TProbeControl : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeControl>("TProbeControl", TComponent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TProbeControl>();
    p.Integer("Left", &TProbeControl::left).Default(0);
    p.String("Caption", &TProbeControl::Caption, &TProbeControl::SetCaption).Default("");
    p.Enum("Align", ProbeAlignInfo(), &TProbeControl::align).Default(paNone);
    p.Boolean("Visible", &TProbeControl::visible).Default(true);
    p.Float("Ratio", &TProbeControl::ratio).Default(0.0);
    p.Char("Hotkey", &TProbeControl::hotkey).Default(0);
    p.Object("Font", &TProbeControl::Font, &TProbeControl::SetFont);
    p.Strings("Items", &TProbeControl::Items);
    p.Collection("Columns", &TProbeControl::Columns);
    p.Component("Partner", &TProbeControl::partner);
    p.Event("OnClick", &TProbeControl::OnClick);
  }

  explicit TProbeControl(TComponent* owner) : TComponent(owner), columns(this, TProbeColumn::StaticClass()) {
    ++LiveControls();
  }
  ~TProbeControl() override {
    // Children go with the owner later; they must not reach back into this one.
    for (TProbeControl* c : children) c->parent = nullptr;
    if (parent) std::erase(parent->children, this);
    --LiveControls();
  }

  const std::string& Caption() const { return caption; }
  void SetCaption(const std::string& v) {
    caption = v;
    captionState = ComponentState();
  }
  TProbeFont* Font() { return &font; }
  void SetFont(TProbeFont* f) { font.Assign(f); }
  TStringList* Items() { return &items; }
  TOwnedCollection* Columns() { return &columns; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent; }
  void SetParentComponent(TComponent* value) override {
    auto* p = dynamic_cast<TProbeControl*>(value);
    if (!p) throw EInvalidOperation("A control's parent is a control");
    Log().push_back("parent " + Name() + " <- " + p->Name());
    if (parent == p) return;
    if (parent) std::erase(parent->children, this);
    parent = p;
    p->children.push_back(this);
  }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    for (TProbeControl* c : children)
      if (c->Owner() == root) proc(c);
  }
  void Loaded() override {
    TComponent::Loaded();
    Log().push_back("loaded " + Name());
  }

  // Stored beside the published properties: a list of integers and a binary blob.
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineProperty(
        "Margins",
        [this](TReader& r) {
          std::vector<int> m;
          r.ReadListBegin();
          while (!r.EndOfList()) m.push_back(r.ReadInteger());
          r.ReadListEnd();
          margins = m;
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (int v : margins) w.WriteInteger(v);
          w.WriteListEnd();
        },
        !margins.empty());
    filer->DefineBinaryProperty(
        "Blob",
        [this](TStream& s) {
          std::string bytes(static_cast<std::size_t>(s.Size()), '\0');
          s.ReadBuffer(bytes.data(), s.Size());
          blob = bytes;
        },
        [this](TStream& s) { s.WriteBuffer(blob.data(), static_cast<Int64>(blob.size())); }, !blob.empty());
  }

  int left = 0;
  std::string caption;
  TComponentState captionState;
  TProbeAlign align = paNone;
  bool visible = true;
  double ratio = 0;
  char hotkey = 0;
  TProbeFont font;
  TStringList items;
  TOwnedCollection columns;
  TComponent* partner = nullptr;
  TNotifyEvent OnClick;
  std::vector<int> margins;
  std::string blob;
  TProbeControl* parent = nullptr;
  std::vector<TProbeControl*> children;
};

// A component without a parent.
class TProbeTimer : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeTimer>("TProbeTimer", TComponent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TProbeTimer>();
    p.Integer("Interval", &TProbeTimer::interval).Default(1000);
    p.Event("OnTimer", &TProbeTimer::OnTimer);
  }
  using TComponent::TComponent;
  void Loaded() override {
    TComponent::Loaded();
    Log().push_back("loaded " + Name());
  }

  int interval = 1000;
  TNotifyEvent OnTimer;
};

// The root: components without a parent are its children first, then its controls.
class TProbeForm : public TProbeControl {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeForm>("TProbeForm", TProbeControl::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TProbeForm>();
    p.Method("ButtonClick", &TProbeForm::ButtonClick);
    p.Method("TimerFire", &TProbeForm::TimerFire);
    p.Method("Measure", &TProbeForm::Measure);
  }
  using TProbeControl::TProbeControl;

  bool HasParent() const override { return false; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
    TProbeControl::GetChildren(proc, root);
  }

  void ButtonClick(TObject* sender) { clicks.push_back(sender); }
  void TimerFire(TObject* sender) { clicks.push_back(sender); }
  int Measure(int x) { return x; }  // not an event handler's signature

  std::vector<TObject*> clicks;
};

// Forms read from the test executable's resources, the second derived from the first.
class TProbeResForm : public TProbeForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeResForm>("TProbeResForm", TProbeForm::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TProbeForm::TProbeForm;
};

class TProbeResChild : public TProbeResForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeResChild>("TProbeResChild", TProbeResForm::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TProbeResForm::TProbeResForm;
};

inline void RegisterProbeClasses() {
  RegisterClasses({&TProbeControl::StaticClass(), &TProbeTimer::StaticClass(), &TProbeForm::StaticClass(),
                   &TProbeResForm::StaticClass(), &TProbeResChild::StaticClass()});
  Log().clear();
}

template <class T>
T* Find(TComponent* root, std::string_view name) {
  return dynamic_cast<T*>(root->FindComponent(name));
}

}  // namespace form_test
