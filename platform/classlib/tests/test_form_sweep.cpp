// Every registered component class on a form: each published property (into sub-objects and
// collection items) changed alone and then all together, the form written and read back into
// a fresh form, and every property of the component compared with what was written.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_form_shape.h"
#include "controlkit/kit_image_face_button.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_scroll_box.h"
#include "controlkit/kit_speed_button.h"
#include "panels/fold_panel.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/strings.h"
#include "platform/win/window.h"

namespace {

using Snapshot = std::map<std::string, std::string>;

// Differences that are the design, not a fault: the path (a pattern) and, when given, the
// state of the written component under which it holds.
struct ByDesign {
  const char* path;
  bool (*holds)(const Snapshot& written, const std::smatch& m, TComponent* subject);
  const char* why;
};
bool Is(const Snapshot& w, const std::string& path, const char* value) {
  auto it = w.find(path);
  return it != w.end() && it->second == value;
}
const ByDesign kByDesign[] = {
    {R"((.*Axis|CustomAxes\[\d+\])\.(Minimum|Maximum))",
     [](const Snapshot& w, const std::smatch& m, TComponent*) {
       return Is(w, m[1].str() + ".Automatic", "1") || Is(w, m[1].str() + ".Automatic" + m[2].str(), "1");
     },
     "an automatic axis stores no range"},
    {R"((Left|Right|Top|Bottom|Depth)Axis\.(Horizontal|OtherSide))", nullptr,
     "a standard axis's direction and side are fixed by which axis it is"},
    {R"(Width|Height)",
     [](const Snapshot&, const std::smatch&, TComponent* subject) {
       auto* control = dynamic_cast<TControl*>(subject);
       auto* label = dynamic_cast<TKitBaseLabel*>(subject);
       return (control && control->AutoSize()) || (label && label->AutoSize());
     },
     "an auto-sized control takes its size from its content"},
    {R"(ClientWidth|ClientHeight)", [](const Snapshot& w, const std::smatch& m, TComponent*) { return Is(w, m[0], "0"); },
     "a form's size of 0 is not a size"},
    {R"((.*)\.(Left|Top))",
     [](const Snapshot& w, const std::smatch& m, TComponent*) { return Is(w, m[1].str() + ".CustomPosition", "0"); },
     "a chart shape's place is the layout's unless it has a custom position"},
};

// Classes registered only as the parents of others, that no component of a form holds.
const char* const kNotHeld[] = {"TCustomChartElement", "TCustomChartSeries"};

// The library classes as registered before any test registers its own.
std::vector<const TClass*>& LibraryClasses() {
  static std::vector<const TClass*> classes;
  return classes;
}
class LibraryClassesSnapshot : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterKitContainerClasses();
    RegisterKitPanelClasses();
    RegisterKitLabelClasses();
    RegisterKitComboClasses();
    RegisterKitSpeedButtonClasses();
    RegisterKitFormShapeClasses();
    RegisterKitScrollBoxClasses();
    RegisterKitMMButtonClasses();
    LibraryClasses() = RegisteredClasses();
  }
};
[[maybe_unused]] ::testing::Environment* const kSnapshot =
    ::testing::AddGlobalTestEnvironment(new LibraryClassesSnapshot);

// Components that live only inside a component of another class, and that class.
struct Host {
  const char* cls;
  const char* host;
};
const Host kHosts[] = {
    {"TTabSheet", "TPageControl"},
    {"TMenuItem", "TMainMenu"},
    {"TContainedAction", "TActionList"},
    {"TCustomChartElement", "TChart"},
    {"TKitImageListItem", "TKitImageList"},
    {"TKitBitmapListItem", "TKitBitmapList"},
    {"TKitStringListItem", "TKitStringList"},
    {"TKitWaveListItem", "TKitWaveList"},
};

bool Inherits(const TClass& cls, std::string_view name) {
  for (const TClass* c = &cls; c; c = c->ClassParent())
    if (SameIdent(c->ClassName(), name)) return true;
  return false;
}

std::string Fmt(Double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

// What the writer would consider of `obj`, by path.
void Snap(TObject* obj, const std::string& prefix, Snapshot& out, int depth) {
  if (!obj || depth > 8) return;
  for (const TPropInfo* p : GetPropList(obj->ClassType())) {
    const std::string path = prefix + p->Name;
    try {
      switch (p->Kind) {
        case pkInteger:
        case pkChar:
        case pkBoolean:
        case pkEnumeration:
        case pkSet:
          if (!p->ReadOnly()) out[path] = std::to_string(GetOrdProp(obj, *p));
          break;
        case pkFloat:
          if (!p->ReadOnly()) out[path] = Fmt(GetFloatProp(obj, *p));
          break;
        case pkString:
          if (!p->ReadOnly()) out[path] = GetStrProp(obj, *p);
          break;
        case pkMethod:
          break;
        case pkStrings:
          if (auto* s = dynamic_cast<TStrings*>(GetObjectProp(obj, *p))) out[path] = s->Text();
          break;
        case pkComponent:
        case pkClass:
        case pkCollection: {
          TObject* sub = GetObjectProp(obj, *p);
          if (auto* c = dynamic_cast<TComponent*>(sub)) {
            if (!p->ReadOnly()) out[path] = "@" + c->Name();
          } else if (!sub) {
            if (!p->ReadOnly()) out[path] = "@";
          } else if (auto* coll = dynamic_cast<TCollection*>(sub)) {
            out[path + ".Count"] = std::to_string(coll->Count());
            for (int i = 0; i < coll->Count(); ++i)
              Snap(coll->Items(i), path + "[" + std::to_string(i) + "].", out, depth + 1);
          } else if (p->Kind == pkClass) {
            Snap(sub, path + ".", out, depth + 1);
          }
          break;
        }
      }
    } catch (const std::exception& e) {
      out[path] = std::string("!") + e.what();
    }
  }
}

Snapshot SnapOf(TObject* obj) {
  Snapshot s;
  Snap(obj, "", s, 0);
  return s;
}

struct Target {
  TObject* obj = nullptr;
  const TPropInfo* prop = nullptr;
};

// The object and property a path names; collections get the items the path needs.
Target Resolve(TObject* obj, std::string_view path) {
  while (obj) {
    const std::size_t dot = path.find('.');
    std::string_view part = path.substr(0, dot);
    int index = -1;
    if (const std::size_t br = part.find('['); br != std::string_view::npos) {
      index = std::stoi(std::string(part.substr(br + 1)));
      part = part.substr(0, br);
    }
    const TPropInfo* p = GetPropInfo(obj, part);
    if (!p) return {};
    if (dot == std::string_view::npos) return {obj, p};
    TObject* sub = GetObjectProp(obj, *p);
    if (auto* coll = dynamic_cast<TCollection*>(sub); coll && index >= 0) {
      while (coll->Count() <= index) coll->Add();
      sub = coll->Items(index);
    }
    obj = sub;
    path = path.substr(dot + 1);
  }
  return {};
}

// A new component of the class on the form, inside the host its kind needs.
TComponent* Place(TCustomForm* form, const TClass& cls, const std::string& name) {
  TComponent* host = nullptr;
  for (const Host& h : kHosts) {
    if (!Inherits(cls, h.cls)) continue;
    host = form->FindComponent(std::string("Host") + h.host);
    if (!host) {
      host = CreateComponent(h.host, form);
      host->SetName(std::string("Host") + h.host);
      if (auto* control = dynamic_cast<TControl*>(host)) control->SetParent(form);
    }
    break;
  }
  TComponent* c = CreateComponent(cls, form);
  c->SetName(name);
  if (host)
    c->SetParentComponent(host);
  else if (auto* control = dynamic_cast<TControl*>(c))
    control->SetParent(form);
  return c;
}

// Builds a component the reference property may point to.
TComponent* MakeReferent(TCustomForm* form, const TClass& wanted) {
  const TClass* pick = nullptr;
  for (const TClass* c : LibraryClasses()) {
    if (!c->CanCreate() || !c->InheritsFrom(wanted) || !c->InheritsFrom(TComponent::StaticClass())) continue;
    if (c->InheritsFrom(TCustomForm::StaticClass())) continue;
    if (c == &wanted) {
      pick = c;
      break;
    }
    if (!pick) pick = c;
  }
  if (!pick) return nullptr;
  return Place(form, *pick, "Referent" + std::to_string(form->ComponentCount()));
}

enum class To { Other, Default };

// Gives the property another value, or its registered default (what a writer skips);
// false when no such value differs from the one it has.
bool Change(TCustomForm* form, TObject* obj, const TPropInfo& p, To to) {
  const std::string path = p.Name;
  auto value = [&]() {
    Snapshot s;
    Snap(obj, "", s, 7);
    return s[path];
  };
  const std::string before = value();
  if (to == To::Default) {
    try {
      if (const Int64* i = std::get_if<Int64>(&p.Default); i && p.IsOrdinal())
        SetOrdProp(obj, p, *i);
      else if (const Double* d = std::get_if<Double>(&p.Default); d && p.Kind == pkFloat)
        SetFloatProp(obj, p, *d);
      else if (const std::string* t = std::get_if<std::string>(&p.Default); t && p.Kind == pkString)
        SetStrProp(obj, p, *t);
      else
        return false;
    } catch (const std::exception&) {
      return false;
    }
    return value() != before;
  }
  // The first candidate the setter takes and that changes the value.
  auto takesOne = [&](const auto& candidates, const auto& set) {
    for (const auto& c : candidates) {
      try {
        set(c);
      } catch (const std::exception&) {
        continue;
      }
      if (value() != before) return true;
    }
    return false;
  };
  auto tryOrd = [&](Int64 v) { return takesOne(std::vector<Int64>{v}, [&](Int64 c) { SetOrdProp(obj, p, c); }); };
  switch (p.Kind) {
    case pkInteger: {
      const Int64 v = GetOrdProp(obj, p);
      for (Int64 c : {v + 137, v - 137, v + 3, Int64{1}, Int64{7}})
        if (tryOrd(c)) return true;
      return false;
    }
    case pkChar:
      return tryOrd(GetOrdProp(obj, p) == 0 ? 'x' : GetOrdProp(obj, p) + 1);
    case pkBoolean:
      return tryOrd(GetOrdProp(obj, p) ? 0 : 1);
    case pkEnumeration: {
      const Int64 v = GetOrdProp(obj, p);
      const int n = p.EnumInfo ? p.EnumInfo->Count() : 0;
      for (int step = 1; step < n; ++step)
        if (tryOrd((v + step) % n)) return true;
      return false;
    }
    case pkSet: {
      const Int64 v = GetOrdProp(obj, p);
      const int n = p.EnumInfo ? p.EnumInfo->Count() : 0;
      for (int bit = 0; bit < n; ++bit)
        if (tryOrd(v ^ (Int64{1} << bit))) return true;
      return false;
    }
    case pkFloat: {
      const Double v = GetFloatProp(obj, p);
      return takesOne(std::vector<Double>{v + 1.2345, v - 1.2345, v * 2 + 0.25, 0.5},
                      [&](Double c) { SetFloatProp(obj, p, c); });
    }
    case pkString:
      return takesOne(std::vector<std::string>{GetStrProp(obj, p) + "Q", "Sweep"},
                      [&](const std::string& c) { SetStrProp(obj, p, c); });
    case pkStrings:
      if (auto* s = dynamic_cast<TStrings*>(GetObjectProp(obj, p))) {
        try {
          s->Add("Sweep");
        } catch (const std::exception&) {
          return false;
        }
        return value() != before;
      }
      return false;
    case pkComponent:
    case pkClass: {
      if (p.ReadOnly() || !p.PropClass || !p.PropClass->InheritsFrom(TComponent::StaticClass())) return false;
      if (!dynamic_cast<TComponent*>(GetObjectProp(obj, p)) && GetObjectProp(obj, p)) return false;
      TComponent* referent = MakeReferent(form, *p.PropClass);
      if (!referent) return false;
      try {
        SetObjectProp(obj, p, referent);
      } catch (const std::exception&) {
        return false;
      }
      return value() != before;
    }
    default:
      return false;
  }
}

// The leaf paths of `obj` that can be given a value; empty collections get one item first.
void Paths(TObject* obj, const std::string& prefix, std::vector<std::string>& out, int depth) {
  if (!obj || depth > 8) return;
  for (const TPropInfo* p : GetPropList(obj->ClassType())) {
    if (SameIdent(p->Name, "Name") && depth == 0) continue;
    const std::string path = prefix + p->Name;
    switch (p->Kind) {
      case pkMethod:
        break;
      case pkClass:
      case pkCollection: {
        TObject* sub = nullptr;
        try {
          sub = GetObjectProp(obj, *p);
        } catch (const std::exception&) {
        }
        if (!sub || dynamic_cast<TComponent*>(sub)) {
          if (!p->ReadOnly()) out.push_back(path);
        } else if (auto* coll = dynamic_cast<TCollection*>(sub)) {
          if (coll->Count() == 0) {
            try {
              coll->Add();
            } catch (const std::exception&) {
            }
          }
          for (int i = 0; i < coll->Count(); ++i)
            Paths(coll->Items(i), path + "[" + std::to_string(i) + "].", out, depth + 1);
        } else {
          Paths(sub, path + ".", out, depth + 1);
        }
        break;
      }
      default:
        if (!p->ReadOnly() || p->Kind == pkStrings) out.push_back(path);
    }
  }
}

class Rig {
 public:
  explicit Rig(const TClass& cls) {
    if (cls.InheritsFrom(TCustomForm::StaticClass())) {
      form_.reset(static_cast<TCustomForm*>(CreateComponent(cls, nullptr)));
      form_->SetName("F");
      subject_ = form_.get();
      return;
    }
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetName("F");
    form_->SetBounds(0, 0, 400, 300);
    subject_ = Place(form_.get(), cls, "Subject");
  }

  TCustomForm* Form() const { return form_.get(); }
  TComponent* Subject() const { return subject_; }

  // Differences between the subject and the same component read back from the written form.
  std::vector<std::string> RoundTrip() {
    const Snapshot want = SnapOf(subject_);
    std::string text;
    std::unique_ptr<TComponent> back;
    try {
      text = WriteComponentText(form_.get());
      back = ReadComponentText(text);
    } catch (const std::exception& e) {
      return {std::string("round trip failed: ") + e.what()};
    }
    TComponent* other = subject_ == form_.get() ? back.get() : back->FindComponent(subject_->Name());
    if (!other) return {"component not read back"};
    const Snapshot got = SnapOf(other);
    std::vector<std::string> diffs;
    for (const auto& [path, value] : want) {
      auto it = got.find(path);
      const std::string was = it == got.end() ? "<missing>" : it->second;
      if (was != value && !Excused(path, want, subject_)) diffs.push_back(path + ": " + value + " came back " + was);
    }
    return diffs;
  }

 private:
  static bool Excused(const std::string& path, const Snapshot& written, TComponent* subject) {
    for (const ByDesign& b : kByDesign) {
      std::smatch m;
      if (std::regex_match(path, m, std::regex(b.path)) && (!b.holds || b.holds(written, m, subject))) return true;
    }
    return false;
  }

  std::unique_ptr<TCustomForm> form_;
  TComponent* subject_ = nullptr;
};

std::vector<const TClass*> SweptClasses() {
  std::vector<const TClass*> out;
  for (const TClass* c : LibraryClasses()) {
    if (!c->CanCreate() || !c->InheritsFrom(TComponent::StaticClass())) continue;
    bool held = true;
    for (const char* name : kNotHeld) held = held && c->ClassName() != name;
    if (held) out.push_back(c);
  }
  return out;
}

TEST(FormSweep, EveryPublishedPropertySurvivesAWriteAndARead) {
  win::ResetWindowSystem();
  const std::vector<const TClass*> classes = SweptClasses();
  // One class of each library: their registrations ran (the link keeps them whole).
  for (const char* name : {"TEdit", "TKitSimplePanel", "TNumSpinEdit", "TChart", "TImage32"}) {
    bool swept = false;
    for (const TClass* c : classes) swept = swept || c->ClassName() == name;
    ASSERT_TRUE(swept) << name;
  }
  std::vector<std::string> faults;
  int pathsTried = 0;
  // A class none of whose properties could be changed is not tested by the round trips.
  std::vector<std::string> untried;
  for (const TClass* cls : classes) {
    const std::string name = cls->ClassName();
    std::vector<std::string> paths;
    {
      Rig probe(*cls);
      for (const std::string& d : probe.RoundTrip()) faults.push_back(name + " unchanged " + d);
      Paths(probe.Subject(), "", paths, 0);
    }
    // Alone, to another value and to the registered default.
    const int triedBefore = pathsTried;
    for (const To to : {To::Other, To::Default}) {
      for (const std::string& path : paths) {
        Rig rig(*cls);
        Target t = Resolve(rig.Subject(), path);
        if (!t.prop || !Change(rig.Form(), t.obj, *t.prop, to)) continue;
        ++pathsTried;
        const char* mark = to == To::Other ? " [" : " [default ";
        for (const std::string& d : rig.RoundTrip()) faults.push_back(name + mark + path + "] " + d);
      }
    }
    if (pathsTried == triedBefore) untried.push_back(name);
    // All together, in declaration order and backwards: a setter that depends on another
    // stored property must not depend on the order a form names them in.
    for (const bool backwards : {false, true}) {
      Rig all(*cls);
      for (std::size_t i = 0; i < paths.size(); ++i) {
        Target t = Resolve(all.Subject(), paths[backwards ? paths.size() - 1 - i : i]);
        if (t.prop) Change(all.Form(), t.obj, *t.prop, To::Other);
      }
      for (const std::string& d : all.RoundTrip()) faults.push_back(name + (backwards ? " [all backwards] " : " [all] ") + d);
    }
  }
  std::string unchanged;
  for (const std::string& n : untried) unchanged += n + " ";
  EXPECT_TRUE(untried.empty()) << "no property changed in: " << unchanged;
  std::string report;
  for (const std::string& f : faults) report += f + "\n";
  EXPECT_TRUE(faults.empty()) << faults.size() << " differences over " << pathsTried << " paths in "
                              << classes.size() << " classes:\n"
                              << report;
}

// A form's size and client size survive two writes and reads wherever its child sits, even
// beyond the client area; so does the child's place: on the form, on a fold panel or on the
// panel's client, expanded or collapsed.
TEST(FormSweep, FormsKeepTheirSizeWhereverTheirChildrenSit) {
  const auto kept = [](TComponent& f) {
    auto& form = dynamic_cast<TForm&>(f);
    auto* child = dynamic_cast<TControl*>(f.FindComponent("Child"));
    auto* fold = dynamic_cast<TFpFoldPanel*>(f.FindComponent("Fold"));
    const TWinControl* parent = child ? child->Parent() : nullptr;
    const int on = !parent ? -1 : parent == &form ? 0 : parent == fold ? 1 : fold && parent == fold->Client() ? 2 : 3;
    const TRect r = parent ? child->BoundsRect() : TRect{};
    return std::vector<long>{form.Width(), form.Height(), form.ClientWidth(), form.ClientHeight(), on,
                             r.left,       r.top,         r.right,           r.bottom,           fold && fold->IsCollapsed()};
  };
  enum Host { kForm, kFold, kClient, kFoldedClient };
  for (const TFormBorderStyle style : {bsSizeable, bsSingle, bsToolWindow})
    for (const auto& [left, top] : {std::pair{10, 10}, {200, 150}, {350, 50}, {40, 330}, {350, 330}, {560, 470}})
      for (const Host host : {kForm, kFold, kClient, kFoldedClient}) {
        win::ResetWindowSystem();
        TForm form(nullptr);
        form.SetBorderStyle(style);
        form.SetBounds(0, 0, 500, 400);
        auto* fold = host == kForm ? nullptr : static_cast<TFpFoldPanel*>(CreateComponent("TFpFoldPanel", &form));
        if (fold) {
          fold->SetName("Fold");
          fold->SetParent(&form);
          fold->SetBounds(20, 20, 420, 300);
        }
        auto* child = static_cast<TControl*>(CreateComponent("TPanel", &form));
        child->SetName("Child");
        child->SetParent(host == kForm ? &form : host == kFold ? static_cast<TWinControl*>(fold) : fold->Client());
        child->SetBounds(left, top, 185, 41);
        if (host == kFoldedClient) fold->Collapse();
        std::unique_ptr<TComponent> once = ReadComponentText(WriteComponentText(&form));
        std::unique_ptr<TComponent> twice = ReadComponentText(WriteComponentText(once.get()));
        EXPECT_EQ(kept(*once), kept(form)) << "style " << style << " at " << left << ", " << top << " host " << host;
        EXPECT_EQ(kept(*twice), kept(form)) << "style " << style << " at " << left << ", " << top << " host " << host;
      }
}

}  // namespace
