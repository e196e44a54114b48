// The kit controls in form files: every published class is found by name, a form holding
// one of each survives write -> read -> write unchanged, and the module-wide image lists
// travel by signature only.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_container.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_form_shape.h"
#include "controlkit/kit_image_face_button.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_regions.h"
#include "controlkit/kit_scroll_box.h"
#include "controlkit/kit_speed_button.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/win/region_api.h"
#include "platform/win/window.h"

namespace {

void RegisterAll() {
  RegisterKitPanelClasses();
  RegisterKitSpeedButtonClasses();
  RegisterKitLabelClasses();
  RegisterKitFormShapeClasses();
  RegisterKitScrollBoxClasses();
  RegisterKitMMButtonClasses();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class KitPublishing : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    RegisterAll();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetName("F");
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { form_.reset(); }

  template <class C>
  C* Add(const char* name) {
    auto* c = new C(form_.get());
    c->SetName(name);
    if (auto* control = dynamic_cast<TControl*>(static_cast<TComponent*>(c))) control->SetParent(form_.get());
    return c;
  }

  std::unique_ptr<TForm> form_;
};

TEST_F(KitPublishing, EveryPublishedClassIsFoundByName) {
  for (const char* name : {"TKitSimplePanel", "TKitSpeedButton", "TKitOfficeButton", "TKitSimpleLabel",
                           "TKitInformationLabel", "TKitFormShape", "TKitScrollBox", "TKitMMButton"}) {
    EXPECT_NE(GetClass(name), nullptr) << name;
    EXPECT_EQ(FindClass(name).ClassName(), name);
  }
}

TEST_F(KitPublishing, AFormOfKitControlsSurvivesWriteReadWrite) {
  auto* panel = Add<TKitSimplePanel>("Header");
  panel->Bevel()->SetMode(bmEdge);
  panel->Bevel()->SetBorderSides(TKitFrameSides{fsLeft, fsRight, fsTop});
  panel->SetColor(13428479);
  panel->SetTransparent(true);

  auto* button = Add<TKitSpeedButton>("Open");
  button->SetStyle(ubsFlat);
  button->SetCaption("&Open...");
  button->SetGroupIndex(3);
  button->SetAllowAllUp(true);
  button->SetPressed(true);
  button->SetEnterColor(clRed);
  button->SetEnterColorChange(true);
  button->SetMultiLine(true);
  button->SetRepeatedClick(true);
  button->SetRepeatingDelay(250);
  button->SetNumGlyphs(3);
  button->SetImageList(KitContainer()->ImageList());
  button->SetImageIndex(4);

  auto* office = Add<TKitOfficeButton>("Tool");
  office->SetDropDownComboWidth(16);

  auto* label = Add<TKitSimpleLabel>("Title");
  label->SetCaption("Particles");
  label->SetActiveColor(clGreen);
  label->SetJumpMode(jmInternet);
  label->SetJump("mailto:someone@example.org");

  auto* info = Add<TKitInformationLabel>("Caps");
  info->SetInfo(itCapsLock);
  info->SetInsertColon(2);
  info->SetInsertTabs(3);
  info->SetDividerValue(1024);
  info->Bevel()->SetStyleOuter(TKitBevelStyle::bvRaised);

  auto* shape = Add<TKitFormShape>("Shape");
  shape->SetShowFormCaption(false);
  shape->SetFormDragable(false);
  shape->SetListIndex(2);
  shape->SetImageList(KitContainer()->BitmapList());

  auto* box = Add<TKitScrollBox>("Box");
  box->SetTransparent(true);
  box->Bevel()->SetMode(bmCustom);
  box->Bevel()->SetStyleOuter(TKitBevelStyle::bvLowered);

  auto* mm = Add<TKitMMButton>("Face");
  mm->SetQuickDraw(true);
  mm->SetCaptionDown(2);
  mm->SetButtonFaceStyle(sbStretch);
  mm->SetButtonFaceImageList(KitContainer()->ImageList());
  mm->SetFaceEntry(2, 1, 7);

  const std::string text = WriteComponentText(form_.get());
  // Colours by name where the colour table has one; the shared lists by signature only.
  EXPECT_TRUE(Contains(text, "EnterColor = clRed")) << text;
  EXPECT_TRUE(Contains(text, "ActiveColor = clGreen")) << text;
  EXPECT_TRUE(Contains(text, "Style = ubsFlat")) << text;
  EXPECT_TRUE(Contains(text, "Info = itCapsLock")) << text;
  EXPECT_TRUE(Contains(text, "Internal = 'KITIML30'")) << text;
  EXPECT_TRUE(Contains(text, "Internal = 'KITBML30'")) << text;
  EXPECT_TRUE(Contains(text, "ButtonFace = 'KITIML30'")) << text;
  EXPECT_FALSE(Contains(text, "ImageList = ")) << text;

  std::unique_ptr<TComponent> root = ReadComponentText(text);
  EXPECT_EQ(WriteComponentText(root.get()), text);

  auto* p = dynamic_cast<TKitSimplePanel*>(root->FindComponent("Header"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Bevel()->Mode(), bmEdge);
  EXPECT_EQ(p->Bevel()->BorderSides(), (TKitFrameSides{fsLeft, fsRight, fsTop}));
  EXPECT_EQ(p->Color(), 13428479);
  EXPECT_TRUE(p->Transparent());

  auto* b = dynamic_cast<TKitSpeedButton*>(root->FindComponent("Open"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Style(), ubsFlat);
  EXPECT_EQ(b->Caption(), "&Open...");
  EXPECT_EQ(b->GroupIndex(), 3);
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_TRUE(b->Pressed());
  EXPECT_EQ(b->NumGlyphs(), 3);
  EXPECT_EQ(b->RepeatingDelay(), 250);
  EXPECT_EQ(b->ImageList(), KitContainer()->ImageList());
  EXPECT_EQ(b->ImageIndex(), 4);

  auto* o = dynamic_cast<TKitOfficeButton*>(root->FindComponent("Tool"));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->Style(), ubsFlat);
  EXPECT_EQ(o->DropDownComboWidth(), 16);

  auto* i = dynamic_cast<TKitInformationLabel*>(root->FindComponent("Caps"));
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->Info(), itCapsLock);
  EXPECT_EQ(i->InsertColon(), 2);
  EXPECT_EQ(i->InsertTabs(), 3);
  EXPECT_EQ(i->DividerValue(), 1024);
  EXPECT_EQ(i->Bevel()->StyleOuter(), TKitBevelStyle::bvRaised);

  auto* s = dynamic_cast<TKitFormShape*>(root->FindComponent("Shape"));
  ASSERT_NE(s, nullptr);
  EXPECT_FALSE(s->ShowFormCaption());
  EXPECT_FALSE(s->FormDragable());
  EXPECT_EQ(s->ListIndex(), 2);
  EXPECT_EQ(s->ImageList(), KitContainer()->BitmapList());

  auto* x = dynamic_cast<TKitScrollBox*>(root->FindComponent("Box"));
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(x->Transparent());
  EXPECT_EQ(x->Bevel()->Mode(), bmCustom);

  auto* m = dynamic_cast<TKitMMButton*>(root->FindComponent("Face"));
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->QuickDraw());
  EXPECT_EQ(m->CaptionDown(), 2);
  EXPECT_EQ(m->ButtonFaceStyle(), sbStretch);
  EXPECT_EQ(m->ButtonFaceImageList(), KitContainer()->ImageList());
  EXPECT_EQ(m->FaceEntries(), mm->FaceEntries());
}

TEST_F(KitPublishing, AFormShapesRegionReadsBackFromTheFormFile) {
  auto* shape = Add<TKitFormShape>("Shape");
  TKitBorderRegion* region = shape->Region();
  region->SetShape(rsDiamond);
  region->SetRoundX(7);
  region->SetExtPos(epRightBottom);
  region->Shadow()->SetStyle(hssSolid);
  region->Shadow()->SetDepth(4);
  region->Border()->SetStyle(rbRaised);
  region->Border()->SetSingleColor(clRed);
  TKitRgnHandle mask(win::CreateEllipticRgn(0, 0, 30, 20));
  region->Mask()->SetRegionData(KitRegionToData(mask.Get()));
  region->Mask()->SetPixelFormat(spf4bit);

  const std::string text = WriteComponentText(form_.get());
  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* s = dynamic_cast<TKitFormShape*>(root->FindComponent("Shape"));
  ASSERT_NE(s, nullptr);
  TKitBorderRegion* r = s->Region();
  EXPECT_TRUE(r->Shape() == rsDiamond && r->RoundX() == 7 && r->ExtPos() == epRightBottom &&
              r->Shadow()->Style() == hssSolid && r->Shadow()->Depth() == 4 && r->Border()->Style() == rbRaised &&
              r->Border()->SingleColor() == clRed && r->Mask()->PixelFormat() == spf4bit)
      << text;
  EXPECT_EQ(r->Mask()->RegionData(), region->Mask()->RegionData());
  // The outline the form gets is the one that was written.
  for (TKitRegionShape shape : {rsDiamond, rsBitmap}) {
    region->SetShape(shape);
    r->SetShape(shape);
    TKitRgnHandle a(region->CreateRegion(Rect(0, 0, 60, 40))), b(r->CreateRegion(Rect(0, 0, 60, 40)));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(KitRegionToData(a.Get()), KitRegionToData(b.Get()));
  }
  EXPECT_EQ(WriteComponentText(root.get()), WriteComponentText(form_.get()));
}

TEST_F(KitPublishing, AnUnknownSignatureLeavesTheListUnset) {
  const std::string text = R"(object F: TForm
  object B: TKitSpeedButton
    Internal = 'KITSLL30'
  end
end
)";
  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* b = dynamic_cast<TKitSpeedButton*>(root->FindComponent("B"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->ImageList(), nullptr);
}

}  // namespace

// The image-face button's glyph, image list and face list come back from its form: the face
// list by reference when the form holds it, by signature (a string under the same name)
// when it is a module-wide list, both in one file.
TEST_F(KitPublishing, AnImageFaceButtonsPublishedPropertiesReadBack) {
  RegisterKitContainerClasses();
  auto* own = Add<TKitImageList>("Faces");
  TBitmap glyph;
  glyph.SetSize(48, 16);  // three pictures, of which the button takes two
  const std::pair<const char*, TKitCustomImageList*> rows[] = {
      {"Own", own}, {"Shared", KitContainer()->ImageList()}, {"None", nullptr}};
  for (const auto& [name, face] : rows) {
    auto* b = Add<TKitMMButton>(name);
    b->SetGlyph(&glyph);
    b->SetNumGlyphs(2);
    b->SetImageList(own);
    b->SetImageIndex(3);
    b->SetListIndex(1);
    b->SetButtonFaceImageList(face);
  }
  const std::string text = WriteComponentText(form_.get());
  EXPECT_TRUE(Contains(text, "ButtonFace = Faces") && Contains(text, "ButtonFace = 'KITIML30'")) << text;
  std::unique_ptr<TComponent> root = ReadComponentText(text);
  EXPECT_EQ(WriteComponentText(root.get()), text);
  TComponent* faces = root->FindComponent("Faces");
  for (const auto& [name, face] : rows) {
    auto* b = dynamic_cast<TKitMMButton*>(root->FindComponent(name));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::vector<TObject*>({b->ButtonFaceImageList(), b->ImageList()}),
              std::vector<TObject*>({face == own ? faces : face, faces}));
    EXPECT_EQ(std::vector({b->ImageIndex(), b->ListIndex(), Integer{b->NumGlyphs()}, b->Glyph()->Width()}),
              std::vector({3, 1, 2, 48}));
  }
}
