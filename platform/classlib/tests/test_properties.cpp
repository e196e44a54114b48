// The published-property registry: lookup through parents, each kind set and read
// by name as the form reader does, defaults and stored flags, and events bound to
// published methods by name.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/strings.h"

namespace {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
const TEnumInfo AlignInfo("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
const TEnumInfo FontStyleInfo("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});

class TFakeFont : public TPersistent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakeFont>("TFakeFont", TPersistent::StaticClass(), &TFakeFont::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TFakeFont>();
    p.String("Name", &TFakeFont::name);
    p.Integer("Size", &TFakeFont::size).Default(8);
    p.Set("Style", FontStyleInfo, &TFakeFont::style);
  }
  void Assign(TPersistent* source) override {
    if (auto* f = dynamic_cast<TFakeFont*>(source)) {
      name = f->name;
      size = f->size;
      style = f->style;
      return;
    }
    TPersistent::Assign(source);
  }

  std::string name = "MS Sans Serif";
  int size = 8;
  TFontStyles style;
};

using TClickEvent = std::function<int(TObject* Sender, int x, int y)>;

class TShape : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TShape>("TShape", TComponent::StaticClass(), &TShape::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TShape>();
    p.Integer("Left", &TShape::Left, &TShape::SetLeft).Default(0);
    p.String("Caption", &TShape::Caption, &TShape::SetCaption);
    p.Boolean("Visible", &TShape::visible).Default(true);
    p.Enum("Align", AlignInfo, &TShape::align).Default(alNone);
    p.Float("Ratio", &TShape::ratio);
    p.Char("Accel", &TShape::accel);
    p.Integer("Interval", &TShape::interval);  // unsigned 16-bit field
    p.Integer("Serial", &TShape::Serial);      // no setter: read-only
    p.Object("Font", &TShape::Font, &TShape::SetFont);
    p.Component("Partner", &TShape::partner);
    p.Strings("Items", &TShape::Items);
    p.Event("OnClick", &TShape::OnClick);
    p.Event("OnPoint", &TShape::OnPoint);
  }

  using TComponent::TComponent;

  int Left() const { return left; }
  void SetLeft(int v) {
    left = v;
    setLeftCalls++;
  }
  const std::string& Caption() const { return caption; }
  void SetCaption(const std::string& v) { caption = v; }
  int Serial() const { return 42; }
  TFakeFont* Font() { return &font; }
  void SetFont(TFakeFont* f) { font.Assign(f); }
  TStringList* Items() { return &items; }

  int left = 0;
  int setLeftCalls = 0;
  std::string caption;
  bool visible = true;
  TAlign align = alNone;
  double ratio = 0;
  char accel = 0;
  Word interval = 0;
  TFakeFont font;
  TComponent* partner = nullptr;
  TStringList items;
  TNotifyEvent OnClick;
  TClickEvent OnPoint;
};

// Publishes Left again with another default, and a property of its own.
class TRoundShape : public TShape {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TRoundShape>("TRoundShape", TShape::StaticClass(), &TRoundShape::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TRoundShape>();
    p.Integer("Radius", &TRoundShape::radius).StoredIf(&TRoundShape::RadiusStored);
    p.Integer("Left", &TShape::Left, &TShape::SetLeft).Default(5);
  }
  using TShape::TShape;
  bool RadiusStored() const { return radius != 10; }
  int radius = 10;
};

class TTestForm : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TTestForm>("TTestForm", TComponent::StaticClass(), &TTestForm::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TTestForm>();
    p.Method("Shape1Click", &TTestForm::Shape1Click);
    p.Method("Shape1Point", &TTestForm::Shape1Point);
  }
  using TComponent::TComponent;

  void Shape1Click(TObject* sender) { clicks.push_back(sender); }
  int Shape1Point(TObject*, int x, int y) { return x * 100 + y; }

  std::vector<TObject*> clicks;
};

std::vector<std::string> Names(const std::vector<const TPropInfo*>& list) {
  std::vector<std::string> out;
  for (auto* p : list) out.push_back(p->Name);
  return out;
}

// ---- lookup ----------------------------------------------------------------------

TEST(PropertyLookup, WalksParentsCaseInsensitively) {
  TRoundShape s(nullptr);
  const TPropInfo* tag = GetPropInfo(&s, "tag");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->Owner, &TComponent::StaticClass());
  EXPECT_EQ(tag->Kind, pkInteger);
  const TPropInfo* font = GetPropInfo(&s, "FONT");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->Kind, pkClass);
  EXPECT_EQ(font->PropClass, &TFakeFont::StaticClass());
  EXPECT_EQ(GetPropInfo(&s, "Items")->Kind, pkStrings);
  EXPECT_EQ(GetPropInfo(&s, "Partner")->Kind, pkComponent);
  EXPECT_EQ(GetPropInfo(&s, "Partner")->PropClass, &TComponent::StaticClass());
  EXPECT_EQ(GetPropInfo(&s, "Visible")->Kind, pkBoolean);
  EXPECT_EQ(GetPropInfo(&s, "Accel")->Kind, pkChar);
  EXPECT_EQ(GetPropInfo(&s, "OnClick")->Kind, pkMethod);
  EXPECT_EQ(GetPropInfo(&s, "Nope"), nullptr);
  // The redeclared Left is the derived class's; the parent keeps its own.
  EXPECT_EQ(GetPropInfo(&s, "Left")->Owner, &TRoundShape::StaticClass());
  EXPECT_EQ(GetPropInfo(TShape::StaticClass(), "Left")->Owner, &TShape::StaticClass());
  try {
    FindPropInfo(&s, "Colour");
    FAIL() << "no exception";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Property Colour does not exist");
  }
}

TEST(PropertyLookup, ListsDeclarationOrderParentsFirst) {
  EXPECT_EQ(Names(GetPropList(TRoundShape::StaticClass())),
            (std::vector<std::string>{"Name", "Tag", "Left", "Caption", "Visible", "Align", "Ratio", "Accel",
                                      "Interval", "Serial", "Font", "Partner", "Items", "OnClick", "OnPoint",
                                      "Radius"}));
  // Left keeps its place but is the redeclared one.
  EXPECT_EQ(GetPropList(TRoundShape::StaticClass())[2]->Owner, &TRoundShape::StaticClass());
}

// ---- set and get by name ---------------------------------------------------------

TEST(PropertyAccess, OrdinalsStringsAndFloatsByName) {
  TShape s(nullptr);
  SetOrdProp(&s, "Left", 10);
  EXPECT_EQ(s.left, 10);
  EXPECT_EQ(s.setLeftCalls, 1);  // through the setter
  EXPECT_EQ(GetOrdProp(&s, "left"), 10);
  SetStrProp(&s, "Caption", "x");
  EXPECT_EQ(s.caption, "x");
  SetFloatProp(&s, "Ratio", 0.25);
  EXPECT_EQ(s.ratio, 0.25);
  SetEnumProp(&s, "Visible", "False");
  EXPECT_FALSE(s.visible);
  EXPECT_EQ(GetEnumProp(&s, "Visible"), "False");
  SetStrProp(&s, "Accel", "&");
  EXPECT_EQ(s.accel, '&');
  SetOrdProp(&s, "Accel", 0xE9);
  EXPECT_EQ(GetStrProp(&s, "Accel"), "\xE9");
  EXPECT_EQ(GetOrdProp(&s, "Accel"), 0xE9);
  EXPECT_EQ(GetOrdProp(&s, "Serial"), 42);
  SetOrdProp(&s, "Tag", -7);
  EXPECT_EQ(s.Tag(), -7);
  SetStrProp(&s, "Name", "Shape1");
  EXPECT_EQ(s.Name(), "Shape1");
}

TEST(PropertyAccess, EnumerationsBySymbolAndOrdinal) {
  TShape s(nullptr);
  SetEnumProp(&s, "Align", "ALCLIENT");
  EXPECT_EQ(s.align, alClient);
  EXPECT_EQ(GetEnumProp(&s, "Align"), "alClient");
  SetOrdProp(&s, "Align", alTop);
  EXPECT_EQ(GetEnumProp(&s, "Align"), "alTop");
  EXPECT_THROW(SetEnumProp(&s, "Align", "alMiddle"), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, "Align", 6), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, "Align", -1), EPropertyError);
  EXPECT_EQ(s.align, alTop);  // untouched by the refused writes
}

TEST(PropertyAccess, SetsFromTextAndBack) {
  TShape s(nullptr);
  TObject* font = GetObjectProp(&s, "Font");
  ASSERT_EQ(font, &s.font);
  SetSetProp(font, "Style", "[fsBold, fsUnderline]");
  EXPECT_TRUE(s.font.style.Contains(fsBold));
  EXPECT_FALSE(s.font.style.Contains(fsItalic));
  EXPECT_TRUE(s.font.style.Contains(fsUnderline));
  EXPECT_EQ(GetOrdProp(font, "Style"), 0b0101);
  EXPECT_EQ(GetSetProp(font, "Style"), "[fsBold,fsUnderline]");
  EXPECT_EQ(GetSetProp(font, "Style", false), "fsBold,fsUnderline");
  SetSetProp(font, "Style", "[]");
  EXPECT_TRUE(s.font.style.Empty());
  SetSetProp(font, "Style", "fsstrikeout");
  EXPECT_EQ(s.font.style, TFontStyles{fsStrikeOut});
  try {
    SetSetProp(font, "Style", "[fsBold,fsShadow]");
    FAIL() << "no exception";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Invalid property element: fsShadow");
  }
  EXPECT_EQ(s.font.style, TFontStyles{fsStrikeOut});
  EXPECT_THROW(SetSetProp(font, "Style", "[fsBold"), EPropertyError);
  EXPECT_THROW(SetOrdProp(font, "Style", 0x10), EPropertyError);  // no fifth element
  EXPECT_EQ(IdentsToSet(FontStyleInfo, {"fsItalic", " fsBold "}), 0b0011u);
}

TEST(PropertyAccess, NestedPathsAsFormFilesWriteThem) {
  TShape s(nullptr);
  TPropPath path = ResolvePropPath(&s, "Font.Name");
  ASSERT_NE(path.Prop, nullptr);
  EXPECT_EQ(path.Instance, &s.font);
  SetStrProp(path.Instance, *path.Prop, "Arial");
  EXPECT_EQ(s.font.name, "Arial");

  // A stored-but-unpublished last part resolves to its object and no property.
  TPropPath strings = ResolvePropPath(&s, "Items.Strings");
  EXPECT_EQ(strings.Instance, &s.items);
  EXPECT_EQ(strings.Prop, nullptr);
  EXPECT_EQ(strings.Name, "Strings");

  EXPECT_THROW(ResolvePropPath(&s, "Pen.Color"), EPropertyError);
  EXPECT_THROW(ResolvePropPath(&s, "Left.Value"), EPropertyError);   // not an object
  EXPECT_THROW(ResolvePropPath(&s, "Partner.Tag"), EPropertyError);  // holds no object
}

TEST(PropertyAccess, StringListItemsThroughTheirDefinedProperty) {
  // What a form's "Items.Strings = ('a' 'b')" turns into.
  TShape s(nullptr);
  TPropPath path = ResolvePropPath(&s, "Items.Strings");
  TFilerValue list{TFilerValue::vaList, 0, 0, {}};
  TFilerValue a{TFilerValue::vaString, 0, 0, "first"};
  TFilerValue b{TFilerValue::vaString, 0, 0, "second line"};
  TFilerValue end{TFilerValue::vaNull, 0, 0, {}};
  TMemoryReader reader(TFilerData{{path.Name, {list, a, b, end}}});
  reader.ReadProperties(static_cast<TPersistent*>(path.Instance));
  ASSERT_EQ(s.items.Count(), 2);
  EXPECT_EQ(s.items.Strings(1), "second line");
}

TEST(PropertyAccess, ObjectsAssignAndReferencesPoint) {
  TShape s(nullptr);
  TFakeFont other;
  other.name = "Courier";
  other.size = 12;
  SetObjectProp(&s, "Font", &other);
  EXPECT_EQ(s.font.name, "Courier");  // assigned, not replaced
  EXPECT_EQ(GetObjectProp(&s, "Font"), &s.font);

  TComponent partner(nullptr);
  SetObjectProp(&s, "Partner", &partner);
  EXPECT_EQ(s.partner, &partner);
  SetObjectProp(&s, "Partner", nullptr);
  EXPECT_EQ(s.partner, nullptr);
  // A font is not a component.
  EXPECT_THROW(SetObjectProp(&s, "Partner", &other), EPropertyError);
  EXPECT_THROW(SetObjectProp(&s, "Font", &partner), EPropertyError);
  EXPECT_EQ(s.font.name, "Courier");
}

TEST(PropertyAccess, RefusesWrongKindsReadOnlyAndOutOfRange) {
  TShape s(nullptr);
  try {
    SetOrdProp(&s, "Serial", 1);
    FAIL() << "no exception";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Property is read-only");
  }
  try {
    SetStrProp(&s, "Left", "10");
    FAIL() << "no exception";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Invalid property value");
  }
  EXPECT_THROW(GetFloatProp(&s, "Left"), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, "Caption", 1), EPropertyError);
  EXPECT_THROW(GetObjectProp(&s, "Caption"), EPropertyError);
  EXPECT_THROW(SetStrProp(&s, "Accel", "ab"), EPropertyError);

  // A 16-bit unsigned field takes 0..65535 and the signed reading of the same bits.
  SetOrdProp(&s, "Interval", 65535);
  EXPECT_EQ(s.interval, 65535);
  SetOrdProp(&s, "Interval", -1);
  EXPECT_EQ(s.interval, 65535);
  EXPECT_THROW(SetOrdProp(&s, "Interval", 65536), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, "Left", Int64{1} << 32), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, "Accel", 256), EPropertyError);

  // A property record used on an object of an unrelated class.
  TFakeFont font;
  EXPECT_THROW(GetOrdProp(&font, *GetPropInfo(TShape::StaticClass(), "Left")), EPropertyError);
}

TEST(PropertyAccess, DefaultsAndStoredPredicates) {
  TRoundShape r(nullptr);
  const TPropInfo& left = FindPropInfo(&r, "Left");
  EXPECT_FALSE(IsDefaultPropValue(&r, left));  // 0, but this class's default is 5
  r.left = 5;
  EXPECT_TRUE(IsDefaultPropValue(&r, left));
  const TPropInfo& align = FindPropInfo(&r, "Align");
  EXPECT_TRUE(IsDefaultPropValue(&r, align));
  r.align = alLeft;
  EXPECT_FALSE(IsDefaultPropValue(&r, align));
  EXPECT_TRUE(IsDefaultPropValue(&r, FindPropInfo(&r, "Visible")));
  // No default: always stored, never "at default".
  EXPECT_FALSE(IsDefaultPropValue(&r, FindPropInfo(&r, "Caption")));

  EXPECT_FALSE(IsStoredProp(&r, FindPropInfo(&r, "Name")));
  EXPECT_TRUE(IsStoredProp(&r, FindPropInfo(&r, "Caption")));
  const TPropInfo& radius = FindPropInfo(&r, "Radius");
  EXPECT_FALSE(IsStoredProp(&r, radius));
  r.radius = 11;
  EXPECT_TRUE(IsStoredProp(&r, radius));
}

// ---- events ----------------------------------------------------------------------

TEST(PropertyEvents, BoundToPublishedMethodsByName) {
  TTestForm form(nullptr);
  auto* shape = new TShape(&form);
  EXPECT_FALSE(IsMethodPropAssigned(shape, FindPropInfo(shape, "OnClick")));
  SetMethodProp(shape, "OnClick", &form, "shape1click");
  ASSERT_TRUE(static_cast<bool>(shape->OnClick));
  EXPECT_TRUE(IsMethodPropAssigned(shape, FindPropInfo(shape, "OnClick")));
  shape->OnClick(shape);
  ASSERT_EQ(form.clicks.size(), 1u);
  EXPECT_EQ(form.clicks[0], shape);

  // An event with another signature and a result.
  SetMethodProp(shape, "OnPoint", &form, "Shape1Point");
  EXPECT_EQ(shape->OnPoint(shape, 3, 4), 304);

  // The method's signature must fit the event's.
  try {
    SetMethodProp(shape, "OnClick", &form, "Shape1Point");
    FAIL() << "no exception";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Invalid property value");
  }
  EXPECT_TRUE(static_cast<bool>(shape->OnClick));  // the old binding stays
  EXPECT_THROW(SetMethodProp(shape, "OnClick", &form, "Shape2Click"), EPropertyError);

  SetMethodProp(shape, "OnClick", &form, "");
  EXPECT_FALSE(static_cast<bool>(shape->OnClick));
}

TEST(PropertyEvents, MethodsAreFoundThroughTheClassChain) {
  TTestForm form(nullptr);
  TMethod m = FindMethod(&form, "SHAPE1CLICK");
  ASSERT_TRUE(m.Assigned());
  EXPECT_EQ(m.Data, &form);
  EXPECT_EQ(m.Code->Name(), "Shape1Click");
  EXPECT_FALSE(FindMethod(&form, "Nothing").Assigned());
  EXPECT_EQ(FindMethodEntry(TTestForm::StaticClass(), "Shape1Point")->Signature(), typeid(TClickEvent));
  auto bound = m.Code->BindAs<TNotifyEvent>(&form);
  bound(nullptr);
  EXPECT_EQ(form.clicks.size(), 1u);
  EXPECT_THROW(m.Code->BindAs<TClickEvent>(&form), EPropertyError);
}

}  // namespace
