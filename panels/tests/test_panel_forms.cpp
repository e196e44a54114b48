// The panels in form files: every class is found by name, the published properties the
// editor's forms set are read in file order, and what is written reads back the same
// (without the fold panel's inner client or its read-only sizes).
#include <memory>
#include <string>

#include "panels/fold_panel.h"
#include "panels/num_spin_edit.h"
#include "panels/push_button.h"
#include "panels_fixture.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"

namespace {

constexpr const char* kForm = R"(object Form1: TForm
  Left = 0
  Top = 0
  Width = 400
  Height = 400
  object Holder: TFpBitmapHolder
  end
  object PropsFold: TFpFoldPanel
    Left = 0
    Top = 98
    Width = 400
    Height = 302
    Align = alBottom
    BevelOuter = bvNone
    Caption = 'Properties'
    FoldActiveColor = clYellow
    FoldPosition = fpLeftBottom
    SeperatorLineStyle = bsRaised
    BitmapHolder = Holder
    ClientBevelOuter = bvLowered
    FoldStatus = fsCollapsed
  end
  object PreviewButton: TFpPushButton
    Left = 10
    Top = 10
    Caption = 'Play'
    Color = 32768
    RaiseColor = clLime
    Hint = 'Play Animation'
  end
  object OffsetSpin: TNumSpinEdit
    Left = 10
    Top = 40
    Width = 120
    Increment = 1.0
    MaxValue = 8192.0
    MinValue = -8192.0
    GaugeMaxValue = 240.0
    GaugeMinValue = -240.0
    Value = 1200.0
    ValueUnit = 'fr'
    Precision = 0
    TrackBarOrientation = trVertical
    GuageHeight = 4
  end
end
)";

class PanelFormsTest : public PanelsTest {};

TEST_F(PanelFormsTest, EditorFormPropertiesAreReadByName) {
  for (const char* name : {"TFpBitmapHolder", "TFpPaneles", "TFpFoldPanel", "TFpPushButton", "TNumSpinEdit"})
    EXPECT_NE(GetClass(name), nullptr) << name;

  std::unique_ptr<TComponent> root = ReadComponentText(kForm);
  auto* fold = dynamic_cast<TFpFoldPanel*>(root->FindComponent("PropsFold"));
  auto* button = dynamic_cast<TFpPushButton*>(root->FindComponent("PreviewButton"));
  auto* spin = dynamic_cast<TNumSpinEdit*>(root->FindComponent("OffsetSpin"));
  ASSERT_TRUE(fold && button && spin);

  EXPECT_EQ(fold->Caption(), "Properties");
  EXPECT_EQ(fold->FoldActiveColor(), clYellow);
  EXPECT_EQ(fold->FoldPosition(), fpLeftBottom);
  EXPECT_EQ(fold->SeperatorLineStyle(), bsRaised);
  EXPECT_EQ(fold->ClientBevelOuter(), bvLowered);
  EXPECT_EQ(fold->BitmapHolder(), root->FindComponent("Holder"));
  EXPECT_TRUE(fold->IsCollapsed());
  EXPECT_EQ(fold->Height(), 12);
  EXPECT_EQ(fold->ExpandedSize(), 302);

  EXPECT_EQ(button->Caption(), "Play");
  EXPECT_EQ(button->Color(), 32768);
  EXPECT_EQ(button->RaiseColor(), clLime);
  EXPECT_EQ(button->Hint(), "Play Animation");

  EXPECT_EQ(spin->Value(), 1200);
  EXPECT_EQ(spin->Text(), "1200 fr");
  EXPECT_EQ(spin->GaugeMinValue(), -240);
  EXPECT_EQ(spin->TrackBarOrientation(), trVertical);
  EXPECT_EQ(spin->GuageHeight(), 4);
  EXPECT_EQ(spin->Height(), spin->MinHeight());
}

TEST_F(PanelFormsTest, WrittenFormsReadBackTheSame) {
  std::unique_ptr<TComponent> root = ReadComponentText(kForm);
  // Stored expanded: a collapsed panel stores its collapsed height.
  dynamic_cast<TFpFoldPanel*>(root->FindComponent("PropsFold"))->Expand();
  const std::string text = WriteComponentText(root.get());
  EXPECT_EQ(text.find("TFpFoldPanelClient"), std::string::npos);
  EXPECT_EQ(text.find("CollapsedHeight"), std::string::npos);
  EXPECT_EQ(text.find("GlyphExpand"), std::string::npos);  // the default glyphs are not stored

  std::unique_ptr<TComponent> again = ReadComponentText(text);
  EXPECT_EQ(WriteComponentText(again.get()), text);
  auto* spin = dynamic_cast<TNumSpinEdit*>(again->FindComponent("OffsetSpin"));
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->Value(), 1200);
  EXPECT_EQ(spin->MinValue(), -8192);
  auto* fold = dynamic_cast<TFpFoldPanel*>(again->FindComponent("PropsFold"));
  ASSERT_TRUE(fold);
  EXPECT_EQ(fold->Height(), 302);
  EXPECT_EQ(fold->Caption(), "Properties");
  EXPECT_EQ(fold->SeperatorLineStyle(), bsRaised);
}

}  // namespace
