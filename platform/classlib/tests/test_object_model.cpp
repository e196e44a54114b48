// Class records, the class registry, Assign, and DefineProperties through the
// in-memory filer pair.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/component.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/streams.h"

namespace {

// ---- classes under test --------------------------------------------------------

class TPoint3 : public TPersistent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TPoint3>("TPoint3", TPersistent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  int x = 0, y = 0, z = 0;

  void Assign(TPersistent* source) override {
    if (auto* p = dynamic_cast<TPoint3*>(source)) {
      x = p->x;
      y = p->y;
      z = p->z;
      return;
    }
    TPersistent::Assign(source);
  }
};

// Knows how to copy itself into a TPoint3, but not the other way round.
class TPoint2 : public TPersistent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TPoint2>("TPoint2", TPersistent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  int x = 0, y = 0;

 protected:
  void AssignTo(TPersistent* dest) override {
    if (auto* p = dynamic_cast<TPoint3*>(dest)) {
      p->x = x;
      p->y = y;
      p->z = 0;
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

std::vector<std::string>* g_log = nullptr;

class TWidget : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TWidget>("TWidget", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  explicit TWidget(TComponent* AOwner) : TComponent(AOwner), ownerSeenInConstructor(Owner()) {}
  ~TWidget() override {
    if (g_log) g_log->push_back("~" + Name());
  }
  TComponent* ownerSeenInConstructor;
};

class TGadget : public TWidget {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TGadget>("TGadget", TWidget::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TWidget::TWidget;
};

class TAbstractPart : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TAbstractPart>("TAbstractPart", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TComponent::TComponent;
  virtual void Run() = 0;
};

// Stores a scalar, a list of strings and a blob through DefineProperties.
class TBlobHolder : public TPersistent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TBlobHolder>("TBlobHolder", TPersistent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  Integer version = 0;
  double scale = 0;
  std::vector<std::string> lines;
  std::vector<Byte> blob;

  void DefineProperties(TFiler* filer) override {
    TPersistent::DefineProperties(filer);
    filer->DefineProperty(
        "Version", [this](TReader& r) { version = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(version); }, version != 0);
    filer->DefineProperty(
        "Scale", [this](TReader& r) { scale = r.ReadFloat(); }, [this](TWriter& w) { w.WriteFloat(scale); },
        scale != 0);
    filer->DefineProperty(
        "Lines",
        [this](TReader& r) {
          lines.clear();
          r.ReadListBegin();
          while (!r.EndOfList()) lines.push_back(r.ReadString());
          r.ReadListEnd();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (const auto& l : lines) w.WriteString(l);
          w.WriteListEnd();
        },
        !lines.empty());
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          Int64 n = s.Size();
          blob.resize(static_cast<std::size_t>(n));
          s.ReadBuffer(blob.data(), n);
        },
        [this](TStream& s) { s.WriteBuffer(blob.data(), static_cast<Int64>(blob.size())); }, !blob.empty());
  }
};

// ---- class records -------------------------------------------------------------

TEST(ClassInfo, NamesParentsAndInheritance) {
  std::unique_ptr<TComponent> g(new TGadget(nullptr));
  TObject* asObject = g.get();
  EXPECT_EQ(asObject->ClassName(), "TGadget");
  EXPECT_EQ(&asObject->ClassType(), &TGadget::StaticClass());
  EXPECT_EQ(TGadget::StaticClass().ClassParent(), &TWidget::StaticClass());
  EXPECT_TRUE(asObject->InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(asObject->InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(asObject->InheritsFrom(TPoint3::StaticClass()));
  EXPECT_TRUE(asObject->Is<TWidget>());
  EXPECT_FALSE(TWidget::StaticClass().InheritsFrom(TGadget::StaticClass()));
  EXPECT_EQ(TObject::StaticClass().ClassParent(), nullptr);
  EXPECT_FALSE(TAbstractPart::StaticClass().CanCreate());
  EXPECT_TRUE(TPoint3::StaticClass().CanCreate());
}

TEST(ClassInfo, FreeAndNilClearsTheReferenceBeforeDeleting) {
  std::vector<std::string> log;
  g_log = &log;
  TWidget* w = new TWidget(nullptr);
  w->SetName("W");
  FreeAndNil(w);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(log, std::vector<std::string>{"~W"});
  FreeAndNil(w);  // nothing left to free
  TObject::Free(nullptr);
  EXPECT_EQ(log.size(), 1u);
  g_log = nullptr;
}

// ---- registry --------------------------------------------------------------------

TEST(ClassRegistry, FindsRegisteredClassesAndTheirParentsByAnyCase) {
  RegisterClass(TGadget::StaticClass());
  EXPECT_EQ(GetClass("tgadget"), &TGadget::StaticClass());
  EXPECT_EQ(GetClass("TWIDGET"), &TWidget::StaticClass());
  EXPECT_EQ(GetClass("TComponent"), &TComponent::StaticClass());
  EXPECT_EQ(GetClass("TPersistent"), &TPersistent::StaticClass());
  EXPECT_EQ(GetClass("TObject"), nullptr);  // registration stops at TPersistent
  EXPECT_EQ(&FindClass("TGadget"), &TGadget::StaticClass());
  RegisterClass(TGadget::StaticClass());  // again: no error
  RegisterClasses({&TPoint3::StaticClass(), &TPoint2::StaticClass()});
  EXPECT_EQ(GetClass("TPoint2"), &TPoint2::StaticClass());

  UnRegisterClass(TPoint2::StaticClass());
  EXPECT_EQ(GetClass("TPoint2"), nullptr);
}

TEST(ClassRegistry, UnknownNamesAndNameClashes) {
  EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
  try {
    FindClass("TNoSuchThing");
    FAIL() << "no exception";
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
  }

  // A different class under a registered name is refused.
  static const TClass impostor("TGadget", &TComponent::StaticClass(), nullptr, nullptr);
  RegisterClass(TGadget::StaticClass());
  try {
    RegisterClass(impostor);
    FAIL() << "no exception";
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), "A class named TGadget already exists");
  }
  EXPECT_EQ(GetClass("TGadget"), &TGadget::StaticClass());
}

TEST(ClassRegistry, VirtualConstructionWithAnOwner) {
  RegisterClass(TGadget::StaticClass());
  TComponent owner(nullptr);
  TComponent* made = CreateComponent("tGadget", &owner);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(&made->ClassType(), &TGadget::StaticClass());
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_EQ(static_cast<TGadget*>(made)->ownerSeenInConstructor, &owner);
  EXPECT_EQ(owner.ComponentCount(), 1);

  // Without an owner the caller owns it.
  std::unique_ptr<TComponent> loose(CreateComponent(TWidget::StaticClass(), nullptr));
  EXPECT_EQ(loose->Owner(), nullptr);

  // Persistent classes are built without an owner through the class record.
  std::unique_ptr<TObject> p(TPoint3::StaticClass().Create());
  EXPECT_EQ(p->ClassName(), "TPoint3");

  EXPECT_THROW(CreateComponent(TAbstractPart::StaticClass(), &owner), EInvalidOperation);
  EXPECT_THROW(CreateComponent(TPoint3::StaticClass(), &owner), EInvalidOperation);
  EXPECT_THROW(CreateComponent("TNoSuchThing", &owner), EClassNotFound);
  // A component refuses an owner that is not a component.
  TPoint3 notAComponent;
  EXPECT_THROW(TWidget::StaticClass().Create(&notAComponent), EInvalidOperation);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

// ---- Assign ------------------------------------------------------------------------

TEST(Persistent, AssignAsksTheSourceWhenTheTargetDoesNotKnowIt) {
  TPoint3 a, b;
  b.x = 1;
  b.y = 2;
  b.z = 3;
  a.Assign(&b);
  EXPECT_EQ(a.z, 3);

  TPoint2 flat;
  flat.x = 7;
  flat.y = 8;
  a.Assign(&flat);  // through TPoint2::AssignTo
  EXPECT_EQ(a.x, 7);
  EXPECT_EQ(a.y, 8);
  EXPECT_EQ(a.z, 0);
}

TEST(Persistent, AssignErrorsNameBothClasses) {
  TPoint2 flat;
  TPoint3 p;
  try {
    flat.Assign(&p);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPoint3 to a TPoint2");
  }
  try {
    p.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TPoint3");
  }
}

TEST(Persistent, NamePathFollowsOwners) {
  TComponent form(nullptr);
  form.SetName("Form1");
  TComponent* button = new TComponent(&form);
  button->SetName("Button1");
  EXPECT_EQ(button->GetNamePath(), "Button1");
  TPoint3 loose;
  EXPECT_EQ(loose.GetNamePath(), "TPoint3");
}

// ---- DefineProperties through the memory filer -----------------------------------

TEST(MemoryFiler, WritesOnlyPropertiesWithDataInDefinitionOrder) {
  TBlobHolder src;
  src.version = 3;
  src.lines = {"alpha", "", "gamma"};
  src.blob = {0x00, 0xFF, 0x10};
  TMemoryWriter w;
  w.WriteProperties(&src);
  const TFilerData& d = w.Data();
  ASSERT_EQ(d.size(), 3u);  // Scale is zero: not written
  EXPECT_EQ(d[0].name, "Version");
  ASSERT_EQ(d[0].values.size(), 1u);
  EXPECT_EQ(d[0].values[0].kind, TFilerValue::vaInteger);
  EXPECT_EQ(d[0].values[0].integer, 3);
  EXPECT_EQ(d[1].name, "Lines");
  ASSERT_EQ(d[1].values.size(), 5u);
  EXPECT_EQ(d[1].values[0].kind, TFilerValue::vaList);
  EXPECT_EQ(d[1].values[2].text, "");
  EXPECT_EQ(d[1].values[4].kind, TFilerValue::vaNull);
  EXPECT_EQ(d[2].name, "Data");
  ASSERT_EQ(d[2].values.size(), 1u);
  EXPECT_EQ(d[2].values[0].kind, TFilerValue::vaBinary);
  EXPECT_EQ(d[2].values[0].text, std::string("\x00\xFF\x10", 3));
}

TEST(MemoryFiler, RoundTripRestoresEveryDefinedProperty) {
  TBlobHolder src;
  src.version = -70000;
  src.scale = 2.5;
  src.lines = {"one", "two, three", "\"four\""};
  for (int i = 0; i < 300; ++i) src.blob.push_back(static_cast<Byte>(i * 7));
  TMemoryWriter w;
  w.WriteProperties(&src);

  TBlobHolder dst;
  TMemoryReader r(w.Data());
  r.ReadProperties(&dst);
  EXPECT_EQ(dst.version, -70000);
  EXPECT_DOUBLE_EQ(dst.scale, 2.5);
  EXPECT_EQ(dst.lines, src.lines);
  EXPECT_EQ(dst.blob, src.blob);
}

TEST(MemoryFiler, ReaderRefusesWhatTheObjectDoesNotDefineOrMisreads) {
  TBlobHolder dst;
  {
    TFilerData d{{"Colour", {TFilerValue{TFilerValue::vaInteger, 1, 0, {}}}}};
    TMemoryReader r(d);
    try {
      r.ReadProperties(&dst);
      FAIL() << "no exception";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Property Colour does not exist");
    }
  }
  {
    // A string where the reader wants an integer.
    TFilerData d{{"version", {TFilerValue{TFilerValue::vaString, 0, 0, "3"}}}};
    TMemoryReader r(d);
    try {
      r.ReadProperties(&dst);
      FAIL() << "no exception";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Invalid property value");
    }
  }
  {
    // An integer too wide for ReadInteger.
    TFilerData d{{"Version", {TFilerValue{TFilerValue::vaInteger, Int64{1} << 40, 0, {}}}}};
    TMemoryReader r(d);
    EXPECT_THROW(r.ReadProperties(&dst), EReadError);
  }
  {
    // Values left over after the reader proc.
    TFilerData d{{"Version",
                  {TFilerValue{TFilerValue::vaInteger, 1, 0, {}}, TFilerValue{TFilerValue::vaInteger, 2, 0, {}}}}};
    TMemoryReader r(d);
    EXPECT_THROW(r.ReadProperties(&dst), EReadError);
  }
  {
    // A list without its end marker.
    TFilerData d{{"Lines", {TFilerValue{TFilerValue::vaList, 0, 0, {}}, TFilerValue{TFilerValue::vaString, 0, 0, "x"}}}};
    TMemoryReader r(d);
    try {
      r.ReadProperties(&dst);
      FAIL() << "no exception";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error");
    }
  }
  {
    // Floats accept integers, as in form text.
    TFilerData d{{"Scale", {TFilerValue{TFilerValue::vaInteger, 4, 0, {}}}}};
    TMemoryReader r(d);
    r.ReadProperties(&dst);
    EXPECT_DOUBLE_EQ(dst.scale, 4.0);
  }
}

TEST(MemoryFiler, WriterRejectsValuesOutsideAPropertyAndUnbalancedLists) {
  TMemoryWriter w;
  EXPECT_THROW(w.WriteInteger(1), EWriteError);
  EXPECT_THROW(w.DefineProperty("Open", nullptr, [](TWriter& wr) { wr.WriteListBegin(); }, true), EWriteError);
  EXPECT_TRUE(w.Data().empty());
}

}  // namespace
