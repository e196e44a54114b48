// Status bar: simple text invalidates only on change, panel rectangles and clicks at exact
// positions (mouse injected through the window system), repainting one panel, the child
// panel of spPanel panels, the size grip, and the published properties through a form file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_status_bar.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

class StatusBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 300, 100);
    bar_ = new TKitStatusBar(form_.get());
    bar_->SetParent(form_.get());
    bar_->SetAlign(alNone);
    bar_->SetBounds(0, 50, 200, 19);
    bar_->SetOldStyle(false);
    bar_->SetSizeGrip(false);
    for (int i = 0; i < 2; ++i) bar_->Panels()->Add();
    form_->Show();
    Settle();
  }
  void TearDown() override { form_.reset(); }

  void Settle() {
    win::PumpPendingMessages();
    win::UpdateWindow(bar_->Handle());
  }
  bool Invalid(win::RECT* r = nullptr) {
    win::RECT tmp{};
    return win::GetUpdateRect(bar_->Handle(), r ? r : &tmp, false) != 0;
  }
  void Click(int x, int y, win::MouseButton b = win::MouseButton::Left) {
    const win::POINT p = win::ScreenPointOf(bar_->Handle(), x, y);
    win::InjectClick(b, p.x, p.y);
    win::PumpPendingMessages();
  }
  // Which panel each click reports (-1: no event).
  std::vector<int> Clicks(const std::vector<int>& xs) {
    std::vector<int> got;
    int last = -1;
    bar_->OnPanelClick = [&](TObject*, Integer i) { last = i; };
    for (int x : xs) {
      last = -1;
      Click(x, 9);
      got.push_back(last);
    }
    return got;
  }
  TColor At(int x, int y) {
    win::HDC dc = win::GetDC(bar_->Handle());
    const TColor c = win::GetPixel(dc, x, y) & 0xFFFFFF;
    win::ReleaseDC(bar_->Handle(), dc);
    return c;
  }
  TColor Face() { return ColorToRGB(clBtnFace) & 0xFFFFFF; }

  std::unique_ptr<TForm> form_;
  TKitStatusBar* bar_ = nullptr;
};

}  // namespace

TEST_F(StatusBarTest, SimpleTextInvalidatesOnlyWhenItChanges) {
  EXPECT_FALSE(Invalid());
  bar_->SetSimpleText("Ready");  // not in simple mode: still invalidated
  EXPECT_TRUE(Invalid());
  Settle();
  EXPECT_FALSE(Invalid());
  bar_->SetSimpleText("Ready");
  EXPECT_FALSE(Invalid()) << "the same text repaints nothing";
  EXPECT_EQ(bar_->SimpleText(), "Ready");

  // In simple mode the text shows inside the bar.
  bar_->SetSimplePanel(true);
  bar_->Font()->SetColor(clBlack);
  bar_->Font()->SetHeight(-11);
  Settle();
  int dark = 0;
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 100; ++x) dark += At(x, y) == 0 ? 1 : 0;
  EXPECT_GT(dark, 0);
  bar_->SetSimpleText("");
  Settle();
  dark = 0;
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 100; ++x) dark += At(x, y) == 0 ? 1 : 0;
  EXPECT_EQ(dark, 0);
}

TEST_F(StatusBarTest, PanelRectanglesIncludeGapsAndStretchTheLastPanel) {
  const TRect a = bar_->PanelRect(0), b = bar_->PanelRect(1);
  EXPECT_EQ(a.left, 3);
  EXPECT_EQ(a.right, 53);
  EXPECT_EQ(b.left, 56);
  EXPECT_EQ(b.right, 200);
  EXPECT_EQ(b.bottom, 19);
  bar_->SetAutoSizeLastPanel(false);
  EXPECT_EQ(bar_->PanelRect(1).right, 106);
  EXPECT_EQ(bar_->PanelRect(2).right, 0);  // no such panel

  // The panel bevels are painted where the rectangles say: edges drawn, gaps left.
  Settle();
  EXPECT_EQ(At(2, 9), Face());
  EXPECT_NE(At(3, 9), Face());
  EXPECT_NE(At(52, 9), Face());
  EXPECT_EQ(At(53, 9), Face());
  EXPECT_EQ(At(55, 9), Face());
  EXPECT_NE(At(56, 9), Face());
  EXPECT_NE(At(105, 9), Face());
  EXPECT_EQ(At(106, 9), Face());

  // The old layout shrinks the area by the grip and a 1-pixel margin.
  bar_->SetOldStyle(true);
  bar_->SetSizeGrip(true);
  const TRect area = bar_->PanelArea();
  EXPECT_EQ(area.left, 1);
  EXPECT_EQ(area.top, 1);
  EXPECT_EQ(area.right, 200 - 13 - 1);
  EXPECT_EQ(area.bottom, 18);
}

TEST_F(StatusBarTest, PanelClickHitsThePaintedRectangles) {
  EXPECT_EQ(Clicks({20, 70, 120, 199}), (std::vector<int>{0, 1, 1, 1})) << "the last panel is stretched";
  EXPECT_EQ(Clicks({0, 2, 3, 52, 53, 55, 56}), (std::vector<int>{-1, -1, 0, 0, -1, -1, 1})) << "gaps hit nothing";
  bar_->SetAutoSizeLastPanel(false);
  EXPECT_EQ(Clicks({20, 70, 105, 106, 120}), (std::vector<int>{0, 1, 1, -1, -1}));

  int clicks = 0;
  bar_->OnPanelClick = [&](TObject*, Integer) { ++clicks; };
  Click(20, 9, win::MouseButton::Right);
  EXPECT_EQ(clicks, 0) << "only the left button";
  bar_->SetOldStyle(true);
  Click(20, 9);
  EXPECT_EQ(clicks, 0) << "the old layout has no panel clicks";
  bar_->SetOldStyle(false);
  bar_->SetSimplePanel(true);
  Click(20, 9);
  EXPECT_EQ(clicks, 0) << "no panels are painted in simple mode";
}

TEST_F(StatusBarTest, APanelChangeRepaintsThatPanelOnly) {
  win::RECT r{};
  bar_->Panels()->Items(0)->SetText("one");
  ASSERT_TRUE(Invalid(&r));
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 53);
  Settle();
  bar_->Panels()->Items(0)->SetText("one");
  EXPECT_FALSE(Invalid());
  bar_->Panels()->Items(1)->SetText("last");  // the last panel repaints the bar
  ASSERT_TRUE(Invalid(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 200);
  Settle();
  bar_->Panels()->Items(0)->SetSize(60);  // a size moves the others
  ASSERT_TRUE(Invalid(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(bar_->PanelRect(1).left, 66);
}

TEST_F(StatusBarTest, OwnerDrawAndChildPanels) {
  std::vector<TRect> drawn;
  bar_->OnOwnerDrawPanel = [&](TObject*, Integer i, TCanvas*, const TRect& r) {
    EXPECT_EQ(i, 0);
    drawn.push_back(r);
  };
  TKitStatusPanel* p0 = bar_->Panels()->Items(0);
  p0->SetStyle(spOwnerDraw);
  Settle();
  ASSERT_FALSE(drawn.empty());
  const TRect inner = p0->Bevel()->ClientRect(bar_->PanelRect(0));
  EXPECT_EQ(drawn.back().left, inner.left);
  EXPECT_EQ(drawn.back().right, inner.right);

  TKitStatusPanel* p1 = bar_->Panels()->Items(1);
  const Integer before = bar_->ControlCount();
  p1->SetStyle(spPanel);
  TKitStatusCustomPanel* child = p1->PanelControl();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Parent(), bar_);
  EXPECT_EQ(child->Owner(), form_.get());
  EXPECT_EQ(p1->PanelId(), before);
  EXPECT_EQ(child->BarPanelId(), before);
  EXPECT_FALSE(child->Visible()) << "hidden until painted";
  bar_->Invalidate();
  Settle();
  EXPECT_TRUE(child->Visible());
  const TRect place = p1->Bevel()->ClientRect(bar_->PanelRect(1));
  EXPECT_EQ(child->Left(), place.left);
  EXPECT_EQ(child->Width(), place.right - place.left);

  delete child;  // freeing the control gives a text panel back
  EXPECT_EQ(p1->PanelControl(), nullptr);
  EXPECT_EQ(p1->Style(), spText);
  p1->SetStyle(spPanel);
  ASSERT_NE(p1->PanelControl(), nullptr);
  const Integer count = bar_->ControlCount();
  p1->SetStyle(spText);  // leaving spPanel frees it
  EXPECT_EQ(p1->PanelControl(), nullptr);
  EXPECT_EQ(bar_->ControlCount(), count - 1);
}

TEST_F(StatusBarTest, SizeGripLinesAndAlignedChildrenKeepClear) {
  bar_->SetOldStyle(true);
  bar_->SetSizeGrip(true);
  bar_->Invalidate();
  Settle();
  // Grip square [187, 200) x [6, 19): white lines start at (198, 6 + 4k), lines in the
  // bar colour at (199, 8 + 4k); untouched corners keep the fill.
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(At(198, 6 + 4 * k), 0xFFFFFFu) << k;
    EXPECT_EQ(At(199, 8 + 4 * k), Face()) << k;
  }
  EXPECT_EQ(At(188, 7), Face());

  TKitStatusBar* plain = new TKitStatusBar(form_.get());
  plain->SetParent(form_.get());
  plain->SetAlign(alNone);
  plain->SetBounds(0, 0, 200, 19);
  auto* child = new TKitSimplePanel(form_.get());
  child->SetParent(plain);
  child->SetAlign(alRight);
  EXPECT_EQ(child->Left() + child->Width(), 200 - 12);
  plain->SetSizeGrip(false);
  EXPECT_EQ(child->Left() + child->Width(), 200);
}

TEST_F(StatusBarTest, EditorSettingsAndPanelsSurviveAFormFile) {
  form_->SetName("F");
  bar_->SetName("Bar");
  bar_->SetAlignment(agCenterLeft);
  bar_->SetSimplePanel(true);
  bar_->SetSimpleText("Idle");
  bar_->SetControlGap(3);
  bar_->Bevel()->SetMode(bmStandard);
  bar_->Bevel()->SetWidthInner(2);
  bar_->Font3D()->SetStyle(tdSunken);
  TKitStatusPanel* p0 = bar_->Panels()->Items(0);
  p0->SetText("a");
  p0->SetSize(70);
  p0->SetLeft(5);
  p0->SetAlignment(agCenter);
  p0->SetStyle(spOwnerDraw);
  TKitStatusPanel* p1 = bar_->Panels()->Items(1);
  p1->SetStyle(spPanel);
  p1->PanelControl()->SetName("Inner");
  const Integer id = p1->PanelId();

  const std::string text = WriteComponentText(form_.get());
  EXPECT_NE(text.find("BarPanelId = " + std::to_string(id)), std::string::npos) << text;
  EXPECT_NE(text.find("OldStyle = False"), std::string::npos) << text;

  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* bar = dynamic_cast<TKitStatusBar*>(root->FindComponent("Bar"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Alignment(), agCenterLeft);
  EXPECT_TRUE(bar->SimplePanel());
  EXPECT_EQ(bar->SimpleText(), "Idle");
  EXPECT_FALSE(bar->OldStyle());
  EXPECT_FALSE(bar->SizeGrip());
  EXPECT_EQ(bar->ControlGap(), 3);
  EXPECT_EQ(bar->Bevel()->Mode(), bmStandard);
  EXPECT_EQ(bar->Bevel()->WidthInner(), 2);
  EXPECT_EQ(bar->Font3D()->Style(), tdSunken);
  ASSERT_EQ(bar->Panels()->Count(), 2);
  const TKitStatusPanel* r0 = bar->Panels()->Items(0);
  EXPECT_EQ(r0->Text(), "a");
  EXPECT_EQ(r0->Size(), 70);
  EXPECT_EQ(r0->Left(), 5);
  EXPECT_EQ(r0->Alignment(), agCenter);
  EXPECT_EQ(r0->Style(), spOwnerDraw);
  const TKitStatusPanel* r1 = bar->Panels()->Items(1);
  EXPECT_EQ(r1->Style(), spPanel);
  EXPECT_EQ(r1->PanelId(), id);
  // The child read from the file takes the panel's place; no second one is made.
  auto* inner = dynamic_cast<TKitStatusCustomPanel*>(root->FindComponent("Inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(r1->PanelControl(), inner);
  EXPECT_EQ(bar->ControlCount(), 1);
  EXPECT_EQ(WriteComponentText(root.get()), text);
}

// Panels to spPanel ("1+") and back ("1-") in any order keep their controls; "=": all hold id 1, as older files may.
TEST(StatusBarPanelControls, EveryOrderOfStyleChangesSurvivesAFormFile) {
  for (const std::string order :
       {"0+1+2+=", "0+1+2+", "0+2+1+", "1+0+2+", "1+2+0+", "2+0+1+", "2+1+0+", "0+1+0-2+0+", "0+1+1-2+1+", "0+2+0-1+0+",
        "0+2+2-1+2+", "1+0+1-2+1+", "1+0+0-2+0+", "1+2+1-0+1+", "1+2+2-0+2+", "2+0+2-1+2+", "2+0+0-1+0+", "2+1+2-0+2+",
        "2+1+1-0+1+"}) {
    win::ResetWindowSystem();
    TForm form(nullptr);
    auto* bar = new TKitStatusBar(&form);
    bar->SetName("Bar");
    bar->SetParent(&form);
    for (int i = 0; i < 3; ++i) bar->Panels()->Add();
    for (std::size_t k = 0; k + 1 < order.size(); k += 2)
      bar->Panels()->Items(order[k] - '0')->SetStyle(order[k + 1] == '+' ? spPanel : spText);
    for (int i = 0; i < 3; ++i) {
      TKitStatusCustomPanel* control = bar->Panels()->Items(i)->PanelControl();
      ASSERT_NE(control, nullptr) << order << i;
      control->SetName("Control" + std::to_string(i));
      if (order.back() == '=') bar->Panels()->Items(i)->SetPanelId(1);
      if (order.back() == '=') control->SetBarPanelId(1);
    }
    std::unique_ptr<TComponent> root = ReadComponentText(WriteComponentText(&form));
    auto* read = dynamic_cast<TKitStatusBar*>(root->FindComponent("Bar"));
    ASSERT_NE(read, nullptr);
    for (int i = 0; i < 3; ++i) {
      TComponent* control = root->FindComponent("Control" + std::to_string(i));
      EXPECT_TRUE(control && read->Panels()->Items(i)->PanelControl() == control) << order << i;
    }
  }
}
