// Every standard control through a form file: written, read back by class name, with
// its own properties (colours by name, sub-objects, string lists, images) intact.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_bevel.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_image.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_shape.h"
#include "platform/classlib/std_splitter.h"
#include "platform/classlib/std_trackbar.h"
#include "platform/classlib/std_updown.h"
#include "platform/win/window.h"

namespace {

template <class T>
T* Make(TForm* form, const char* name) {
  auto* c = new T(form);
  c->SetName(name);
  if constexpr (std::is_base_of_v<TControl, T>) c->SetParent(form);
  return c;
}

TEST(StdFormFile, EveryStandardControlRoundTrips) {
  win::ResetWindowSystem();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("Holder");

  auto* images = Make<TImageList>(form.get(), "Images");
  images->SetSize(4, 4);
  TBitmap strip;
  strip.SetSize(8, 4);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(0, 0, 8, 4));
  strip.Canvas()->SetPixels(5, 1, clFuchsia);
  images->AddMasked(&strip, clFuchsia);

  auto* label = Make<TLabel>(form.get(), "Caption1");
  label->SetCaption("&Name:");
  label->SetColor(clInfoBk);
  label->SetLayout(tlCenter);
  auto* edit = Make<TEdit>(form.get(), "Edit1");
  edit->SetText("typed");
  edit->SetMaxLength(12);
  label->SetFocusControl(edit);
  auto* button = Make<TButton>(form.get(), "Ok");
  button->SetDefault(true);
  button->SetModalResult(mrOk);
  auto* box = Make<TCheckBox>(form.get(), "Box");
  box->SetCheckedValue(true);
  auto* radio = Make<TRadioButton>(form.get(), "Radio");
  radio->SetCheckedValue(true);
  auto* speed = Make<TSpeedButton>(form.get(), "Speed");
  speed->SetGroupIndex(3);
  speed->SetDown(true);
  speed->Glyph()->Assign(&strip);
  speed->SetNumGlyphs(2);
  auto* combo = Make<TComboBox>(form.get(), "Combo");
  combo->SetStyle(csOwnerDrawFixed);
  combo->Items()->Add("Fixed");
  combo->Items()->Add("Random");
  combo->SetItemIndex(1);
  combo->SetItemHeight(12);
  auto* updown = Make<TUpDown>(form.get(), "Spin");
  updown->SetMax(50);
  updown->SetPosition(7);
  updown->SetWrap(true);
  auto* bar = Make<TTrackBar>(form.get(), "Bar");
  bar->SetMax(255);
  bar->SetPosition(128);
  bar->SetFrequency(16);
  auto* splitter = Make<TSplitter>(form.get(), "Split");
  splitter->SetAlign(alTop);
  splitter->SetMinSize(40);
  auto* bevel = Make<TBevel>(form.get(), "Bevel");
  bevel->SetShape(bsTopLine);
  bevel->SetStyle(bsRaised);
  auto* shape = Make<TShape>(form.get(), "Shape");
  shape->SetShape(stCircle);
  shape->Pen()->SetWidth(2);
  shape->Brush()->SetColor(clAqua);
  auto* image = Make<TImage>(form.get(), "Picture");
  image->Picture()->SetBitmap(&strip);
  image->SetStretch(true);

  std::string text = WriteComponentText(form.get());
  EXPECT_NE(text.find("Color = clInfoBk"), std::string::npos);
  EXPECT_NE(text.find("Bitmap = {"), std::string::npos);
  auto root = ReadComponentText(text);
  auto find = [&](const char* name) { return root->FindComponent(name); };

  auto* images2 = dynamic_cast<TImageList*>(find("Images"));
  ASSERT_NE(images2, nullptr);
  EXPECT_EQ(images2->Count(), 2);
  EXPECT_FALSE(images2->OpaqueAt(1, 1, 1));
  auto* label2 = dynamic_cast<TLabel*>(find("Caption1"));
  ASSERT_NE(label2, nullptr);
  EXPECT_EQ(label2->Caption(), "&Name:");
  EXPECT_EQ(label2->Layout(), tlCenter);
  EXPECT_EQ(label2->FocusControl(), find("Edit1"));
  auto* edit2 = dynamic_cast<TEdit*>(find("Edit1"));
  ASSERT_NE(edit2, nullptr);
  EXPECT_EQ(edit2->Text(), "typed");
  EXPECT_EQ(edit2->MaxLength(), 12);
  auto* button2 = dynamic_cast<TButton*>(find("Ok"));
  ASSERT_NE(button2, nullptr);
  EXPECT_TRUE(button2->Default());
  EXPECT_EQ(button2->ModalResult(), mrOk);
  EXPECT_TRUE(dynamic_cast<TCheckBox*>(find("Box"))->Checked());
  EXPECT_TRUE(dynamic_cast<TRadioButton*>(find("Radio"))->Checked());
  auto* speed2 = dynamic_cast<TSpeedButton*>(find("Speed"));
  ASSERT_NE(speed2, nullptr);
  EXPECT_TRUE(speed2->Down());
  EXPECT_EQ(speed2->NumGlyphs(), 2);
  EXPECT_EQ(speed2->Glyph()->Width(), 8);
  auto* combo2 = dynamic_cast<TComboBox*>(find("Combo"));
  ASSERT_NE(combo2, nullptr);
  EXPECT_EQ(combo2->Style(), csOwnerDrawFixed);
  EXPECT_EQ(combo2->Items()->Count(), 2);
  EXPECT_EQ(combo2->ItemIndex(), 1);
  EXPECT_EQ(combo2->Text(), "Random");
  EXPECT_EQ(combo2->ItemHeight(), 12);
  auto* updown2 = dynamic_cast<TUpDown*>(find("Spin"));
  ASSERT_NE(updown2, nullptr);
  EXPECT_EQ(updown2->Position(), 7);
  EXPECT_TRUE(updown2->Wrap());
  auto* bar2 = dynamic_cast<TTrackBar*>(find("Bar"));
  ASSERT_NE(bar2, nullptr);
  EXPECT_EQ(bar2->Position(), 128);
  EXPECT_EQ(bar2->Frequency(), 16);
  auto* split2 = dynamic_cast<TSplitter*>(find("Split"));
  ASSERT_NE(split2, nullptr);
  EXPECT_EQ(split2->Align(), alTop);
  EXPECT_EQ(split2->MinSize(), 40);
  auto* bevel2 = dynamic_cast<TBevel*>(find("Bevel"));
  ASSERT_NE(bevel2, nullptr);
  EXPECT_EQ(bevel2->Shape(), bsTopLine);
  EXPECT_EQ(bevel2->Style(), bsRaised);
  auto* shape2 = dynamic_cast<TShape*>(find("Shape"));
  ASSERT_NE(shape2, nullptr);
  EXPECT_EQ(shape2->Shape(), stCircle);
  EXPECT_EQ(shape2->Pen()->Width(), 2);
  EXPECT_EQ(shape2->Brush()->Color(), clAqua);
  auto* image2 = dynamic_cast<TImage*>(find("Picture"));
  ASSERT_NE(image2, nullptr);
  EXPECT_TRUE(image2->Stretch());
  EXPECT_EQ(image2->Picture()->Width(), 8);

  // A splitter left at alNone is stored as such (its own default is alLeft).
  splitter->SetAlign(alNone);
  root = ReadComponentText(WriteComponentText(form.get()));
  EXPECT_EQ(dynamic_cast<TSplitter*>(root->FindComponent("Split"))->Align(), alNone);
  root.reset();
  form.reset();
  win::ResetWindowSystem();
}

TEST(StdFormFile, HandWrittenFormsUseTheSystemsNames) {
  win::ResetWindowSystem();
  auto root = ReadComponentText(
      "object F: TForm\n"
      "  object DrawModeBox: TComboBox\n"
      "    Style = csDropDownList\n"
      "    Color = clBtnFace\n"
      "    Items.Strings = (\n"
      "      ' Dots'\n"
      "      ' Wire Boxes')\n"
      "    ItemIndex = 1\n"
      "  end\n"
      "  object Tree: TTreeView\n"
      "    RightClickSelect = True\n"
      "    ReadOnly = False\n"
      "    Indent = 19\n"
      "  end\n"
      "  object Tabs: TTabControl\n"
      "    Tabs.Strings = (\n"
      "      'Emitters'\n"
      "      'Tools')\n"
      "    TabIndex = 1\n"
      "  end\n"
      "end\n");
  auto* combo = dynamic_cast<TComboBox*>(root->FindComponent("DrawModeBox"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Color(), clBtnFace);
  EXPECT_EQ(combo->Text(), " Wire Boxes");
  auto* tabs = dynamic_cast<TTabControl*>(root->FindComponent("Tabs"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->TabIndex(), 1);
  root.reset();
  win::ResetWindowSystem();
}

}  // namespace
