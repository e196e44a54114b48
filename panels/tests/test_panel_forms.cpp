// The panels in form files: every class is found by name, the published properties the
// editor's forms set are read in file order, and what is written reads back the same
// (without the fold panel's inner client or its read-only sizes).
#include <memory>
#include <string>
#include <vector>

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

// A form whose methods the drag events of a fold panel and a spin edit bind to.
class TDragHostForm : public TForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TDragHostForm>("TDragHostForm", TForm::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TDragHostForm>();
    p.Method("FoldDragOver", &TDragHostForm::FoldDragOver);
    p.Method("FoldDragDrop", &TDragHostForm::FoldDragDrop);
    p.Method("SpinStartDrag", &TDragHostForm::SpinStartDrag);
    p.Method("SpinEndDrag", &TDragHostForm::SpinEndDrag);
  }
  explicit TDragHostForm(TComponent* owner) : TForm(owner) {}

  static std::string At(const char* what, TObject* o, Integer x, Integer y) {
    auto* c = dynamic_cast<TComponent*>(o);
    return std::string(what) + " " + (c ? c->Name() : "nil") + " " + std::to_string(x) + "," + std::to_string(y);
  }
  void FoldDragOver(TObject* sender, TObject*, Integer x, Integer y, TDragState state, bool&) {
    if (state != dsDragLeave) log.push_back(At("over", sender, x, y));
  }
  void FoldDragDrop(TObject* sender, TObject* source, Integer x, Integer y) {
    log.push_back(At("drop", sender, x, y) + " from " + dynamic_cast<TComponent*>(source)->Name());
  }
  void SpinStartDrag(TObject* sender, TDragObject*&) { log.push_back(At("start", sender, 0, 0)); }
  void SpinEndDrag(TObject*, TObject* target, Integer x, Integer y) {
    auto* control = dynamic_cast<TControl*>(target);
    log.push_back(At("end in", control ? control->Parent() : nullptr, x, y));
  }

  std::vector<std::string> log;
};

TEST_F(PanelFormsTest, DragEventsAreReadAndASpinEditDropsOnAFoldPanel) {
  RegisterClass(TDragHostForm::StaticClass());
  TDragHostForm host(nullptr);
  ReadComponentTextInto(R"(object Host: TDragHostForm
  Left = 100
  Top = 50
  BorderStyle = bsNone
  ClientWidth = 300
  ClientHeight = 300
  object Fold: TFpFoldPanel
    Left = 0
    Top = 100
    Width = 300
    Height = 200
    DragMode = dmManual
    OnDragOver = FoldDragOver
    OnDragDrop = FoldDragDrop
  end
  object Spin: TNumSpinEdit
    Left = 10
    Top = 10
    Width = 120
    DragMode = dmAutomatic
    DragCursor = crMultiDrag
    OnStartDrag = SpinStartDrag
    OnEndDrag = SpinEndDrag
  end
end
)",
                        &host);
  auto* fold = dynamic_cast<TFpFoldPanel*>(host.FindComponent("Fold"));
  auto* spin = dynamic_cast<TNumSpinEdit*>(host.FindComponent("Spin"));
  ASSERT_TRUE(fold && spin);
  EXPECT_EQ(spin->DragCursor(), crMultiDrag);
  host.Show();
  win::PumpPendingMessages();

  // Over the panel's client the panel hears of it, in its own coordinates.
  Press(spin, 5, 5);
  EXPECT_TRUE(spin->Dragging());
  MoveTo(fold, 150, 100);
  Release(fold, 160, 110);
  EXPECT_FALSE(spin->Dragging());
  EXPECT_EQ(host.log, (std::vector<std::string>{"start Spin 0,0", "over Fold 150,100", "over Fold 160,110",
                                                "drop Fold 160,110 from Spin", "end in Fold " +
                                                    std::to_string(160 - fold->Client()->Left()) + "," +
                                                    std::to_string(110 - fold->Client()->Top())}));
}

}  // namespace

// A spin edit's value is formatted once the range, unit and precision read after it are known.
TEST_F(PanelFormsTest, ASpinEditsValueWaitsForWhatTheFormGivesAfterIt) {
  struct Row {
    const char* properties;
    const char* text;
  };
  const Row rows[] = {
      {"Value = 1.2345\n    Precision = 4\n", "1.2345"},
      {"MaxValue = 300.0\n    MinValue = 200.0\n    Value = 250.0\n", "250.00"},
      {"Value = 250.0\n    MaxValue = 300.0\n    MinValue = 200.0\n", "250.00"},
      {"Value = 12.5\n    ValueUnit = 'px'\n    Precision = 1\n", "12.5 px"},
      {"Value = 500.0\n", "100.00"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.properties);
    const std::string text =
        std::string("object Form1: TForm\n  object Spin: TNumSpinEdit\n    ") + r.properties + "  end\nend\n";
    std::unique_ptr<TComponent> root = ReadComponentText(text);
    auto* spin = dynamic_cast<TNumSpinEdit*>(root->FindComponent("Spin"));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->Text(), r.text);
  }
}

// A collapsed fold panel folds once the form has given its orientation and corner, which the
// form writes after the status: the strip sits where it was, and expanding gives back the
// whole panel, whatever the order.
TEST_F(PanelFormsTest, ACollapsedFoldPanelFoldsWhereTheFormPutIt) {
  struct Row {
    const char* properties;
    TRect collapsed, expanded;
  };
  const Row rows[] = {
      // As the form writer orders them: the strip and the size to expand to.
      {"Left = 286\n Top = 20\n Width = 14\n Height = 150\n FoldStatus = fsCollapsed\n"
       " FoldPosition = fpRightBottom\n Orientation = foHorizontal\n ExpandedSize = 200\n",
       TRect{286, 20, 300, 170}, TRect{100, 20, 300, 170}},
      {"Left = 100\n Top = 156\n Width = 200\n Height = 14\n FoldStatus = fsCollapsed\n"
       " FoldPosition = fpRightBottom\n ExpandedSize = 150\n",
       TRect{100, 156, 300, 170}, TRect{100, 20, 300, 170}},
      // The same strip in another order.
      {"ExpandedSize = 200\n Orientation = foHorizontal\n FoldStatus = fsCollapsed\n"
       " Left = 286\n Top = 20\n Width = 14\n Height = 150\n FoldPosition = fpRightBottom\n",
       TRect{286, 20, 300, 170}, TRect{100, 20, 300, 170}},
      // Written by hand: the open panel, to be folded.
      {"Left = 100\n Top = 20\n Width = 200\n Height = 150\n FoldStatus = fsCollapsed\n"
       " FoldPosition = fpRightBottom\n Orientation = foHorizontal\n",
       TRect{286, 20, 300, 170}, TRect{100, 20, 300, 170}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.properties);
    std::unique_ptr<TComponent> root =
        ReadComponentText(std::string("object F: TForm\n  object Fold: TFpFoldPanel\n") + r.properties + "  end\nend\n");
    auto* fold = dynamic_cast<TFpFoldPanel*>(root->FindComponent("Fold"));
    ASSERT_NE(fold, nullptr);
    EXPECT_TRUE(fold->IsCollapsed());
    EXPECT_EQ(fold->BoundsRect(), r.collapsed);
    fold->Expand();
    EXPECT_EQ(fold->BoundsRect(), r.expanded);
  }
}
