// Layout of children: alignment order and rectangles, anchors, constraints, AutoSize and
// scrolling.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/scrolling.h"
#include "platform/classlib/std_buttons.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/messages.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

class AlignTest : public ::testing::Test {
 protected:
  void SetUp() override { win::ResetWindowSystem(); }
  void TearDown() override {
    host_.reset();
    win::ResetWindowSystem();
  }

  // A container without bevels, so that its client area is its whole size.
  TPanel* Host(Integer w, Integer h) {
    host_ = std::make_unique<TPanel>(nullptr);
    host_->SetBevelOuter(bvNone);
    host_->SetBounds(0, 0, w, h);
    return host_.get();
  }

  // x, y, width, height.
  static TPanel* Child(TWinControl* parent, TAlign align, Integer x, Integer y, Integer w, Integer h) {
    auto* c = new TPanel(nullptr);
    c->SetBounds(x, y, w, h);
    c->SetParent(parent);
    c->SetAlign(align);
    return c;
  }

  // A 200 x 100 scroll box without a border on a 400 x 300 form.
  static TScrollBox* BoxOnForm(std::unique_ptr<TForm>& form) {
    form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    auto* box = new TScrollBox(form.get());
    box->SetParent(form.get());
    box->SetBorderStyle(bsNone);
    box->SetBounds(0, 0, 200, 100);
    return box;
  }

  std::unique_ptr<TPanel> host_;
};

TRect R(Integer l, Integer t, Integer r, Integer b) { return TRect{l, t, r, b}; }

TEST_F(AlignTest, EveryAlignmentTakesItsStripInTheClassLibraryOrder) {
  TPanel* host = Host(200, 100);
  host->SetBevelOuter(bvRaised);  // one pixel of bevel all round
  // Made in the reverse of the order they are placed in: the order comes from Align.
  TPanel* client = Child(host, alClient, 0, 0, 10, 10);
  TPanel* right = Child(host, alRight, 0, 0, 40, 10);
  TPanel* left = Child(host, alLeft, 0, 0, 30, 10);
  TPanel* bottom = Child(host, alBottom, 0, 0, 10, 10);
  TPanel* top = Child(host, alTop, 0, 0, 10, 20);
  EXPECT_EQ(top->BoundsRect(), R(1, 1, 199, 21));
  EXPECT_EQ(bottom->BoundsRect(), R(1, 89, 199, 99));
  EXPECT_EQ(left->BoundsRect(), R(1, 21, 31, 89));
  EXPECT_EQ(right->BoundsRect(), R(159, 21, 199, 89));
  EXPECT_EQ(client->BoundsRect(), R(31, 21, 159, 89));

  // A wider border and a second bevel take their room from every side.
  host->SetBorderWidth(2);
  host->SetBevelInner(bvLowered);
  host->SetBevelWidth(2);
  EXPECT_EQ(top->BoundsRect(), R(6, 6, 194, 26));
  EXPECT_EQ(client->BoundsRect(), R(36, 26, 154, 84));

  // The parent's new size moves the far strips with it.
  host->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(right->BoundsRect(), R(254, 26, 294, 134));
  EXPECT_EQ(bottom->BoundsRect(), R(6, 134, 294, 144));
  EXPECT_EQ(client->BoundsRect(), R(36, 26, 254, 134));
}

TEST_F(AlignTest, StripsOfOneAlignmentStackByPositionAndTheMovedOneWinsTies) {
  TPanel* host = Host(100, 200);
  TPanel* a = Child(host, alTop, 0, 0, 10, 10);
  TPanel* b = Child(host, alTop, 0, 50, 10, 20);
  TPanel* c = Child(host, alTop, 0, 100, 10, 30);
  EXPECT_EQ(a->Top(), 0);
  EXPECT_EQ(b->Top(), 10);
  EXPECT_EQ(c->Top(), 30);

  // Moving a strip far down puts it last (how a cue-card panel is sent to the bottom).
  a->SetTop(9999);
  EXPECT_EQ(b->Top(), 0);
  EXPECT_EQ(c->Top(), 20);
  EXPECT_EQ(a->Top(), 50);

  // A strip moved onto the top edge goes before the one already there.
  c->SetTop(0);
  EXPECT_EQ(c->Top(), 0);
  EXPECT_EQ(b->Top(), 30);
  EXPECT_EQ(a->Top(), 50);

  // Bottom strips stack upwards, the one lowest down nearest the edge.
  TPanel* low = Child(host, alBottom, 0, 190, 10, 10);
  TPanel* high = Child(host, alBottom, 0, 150, 10, 15);
  EXPECT_EQ(low->BoundsRect(), R(0, 190, 100, 200));
  EXPECT_EQ(high->BoundsRect(), R(0, 175, 100, 190));
}

TEST_F(AlignTest, HiddenControlsGiveUpTheirRoomAndTakeItBack) {
  TPanel* host = Host(100, 100);
  TPanel* top = Child(host, alTop, 0, 0, 10, 25);
  TPanel* client = Child(host, alClient, 0, 0, 10, 10);
  EXPECT_EQ(client->BoundsRect(), R(0, 25, 100, 100));
  top->SetVisible(false);
  EXPECT_EQ(client->BoundsRect(), R(0, 0, 100, 100));
  top->SetVisible(true);
  EXPECT_EQ(client->BoundsRect(), R(0, 25, 100, 100));
  // Removing the strip from the parent frees its room too.
  top->SetParent(nullptr);
  EXPECT_EQ(client->BoundsRect(), R(0, 0, 100, 100));
  delete top;
}

TEST_F(AlignTest, SwitchingBetweenTopAndLeftKeepsTheStripsThickness) {
  TPanel* host = Host(200, 100);
  TPanel* strip = Child(host, alTop, 0, 0, 10, 24);
  EXPECT_EQ(strip->BoundsRect(), R(0, 0, 200, 24));
  strip->SetAlign(alLeft);
  EXPECT_EQ(strip->BoundsRect(), R(0, 0, 24, 100));
  strip->SetAlign(alNone);
  strip->SetBounds(5, 5, 30, 30);
  EXPECT_EQ(strip->BoundsRect(), R(5, 5, 35, 35));
}

TEST_F(AlignTest, AnchorsKeepDistancesToTheParentsEdges) {
  TPanel* host = Host(200, 100);
  TPanel* stretch = Child(host, alNone, 10, 10, 50, 20);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  TPanel* corner = Child(host, alNone, 150, 70, 40, 20);
  corner->SetAnchors(TAnchors{akRight, akBottom});
  TPanel* centred = Child(host, alNone, 80, 40, 40, 20);
  centred->SetAnchors(TAnchors{});
  TPanel* fixed = Child(host, alNone, 5, 80, 20, 15);

  host->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(stretch->BoundsRect(), R(10, 10, 160, 80));
  EXPECT_EQ(corner->BoundsRect(), R(250, 120, 290, 140));
  // The centre stays at its share of the size: (100, 50) of (200, 100) -> (150, 75).
  EXPECT_EQ(centred->BoundsRect(), R(130, 65, 170, 85));
  EXPECT_EQ(fixed->BoundsRect(), R(5, 80, 25, 95));

  // Back to the first size: everything returns.
  host->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(stretch->BoundsRect(), R(10, 10, 60, 30));
  EXPECT_EQ(corner->BoundsRect(), R(150, 70, 190, 90));
  EXPECT_EQ(centred->BoundsRect(), R(80, 40, 120, 60));

  // Moving an anchored control by hand makes its new place the rule.
  corner->SetLeft(100);
  host->SetBounds(0, 0, 250, 100);
  EXPECT_EQ(corner->Left(), 150);
}

TEST_F(AlignTest, ConstraintsLimitSizesAndAlignedStripsKeepTheRoomTheyTook) {
  TPanel* host = Host(200, 100);
  TPanel* left = Child(host, alLeft, 0, 0, 50, 10);
  left->Constraints()->SetMaxHeight(60);
  TPanel* client = Child(host, alClient, 0, 0, 10, 10);
  client->Constraints()->SetMaxWidth(100);
  EXPECT_EQ(left->BoundsRect(), R(0, 0, 50, 60));
  EXPECT_EQ(client->BoundsRect(), R(50, 0, 150, 100));

  TPanel* free = Child(host, alNone, 0, 0, 10, 10);
  free->Constraints()->SetMinWidth(20);
  free->Constraints()->SetMinHeight(30);
  EXPECT_EQ(free->Width(), 20);
  EXPECT_EQ(free->Height(), 30);
  free->SetBounds(0, 0, 5, 100);
  EXPECT_EQ(free->Width(), 20);
  EXPECT_EQ(free->Height(), 100);
  // A maximum below the minimum pulls the minimum down with it.
  free->Constraints()->SetMaxWidth(10);
  EXPECT_EQ(free->Constraints()->MinWidth(), 10);
  EXPECT_EQ(free->Width(), 10);

  // OnCanResize may refuse a new size outright.
  free->OnCanResize = [](TObject*, Integer& w, Integer&, bool& resize) { resize = w < 8; };
  free->SetBounds(0, 0, 9, 100);
  EXPECT_EQ(free->Width(), 10);
}

TEST_F(AlignTest, AutoSizeFitsAPanelToItsChildrenAndItsBorders) {
  TPanel* host = Host(300, 300);
  auto* box = new TPanel(nullptr);
  box->SetParent(host);
  box->SetBounds(10, 10, 50, 50);  // one pixel of raised bevel
  box->SetBorderWidth(3);
  TPanel* inner = Child(box, alNone, 4, 4, 80, 40);
  box->SetAutoSize(true);
  // The child ends at (84, 44); the bevel and the border add 4 on the far sides.
  EXPECT_EQ(box->BoundsRect(), R(10, 10, 98, 58));
  inner->SetWidth(100);
  EXPECT_EQ(box->Width(), 108);
}

TEST_F(AlignTest, ScrollBoxRangesFollowTheChildrenAndScrollingMovesThem) {
  std::unique_ptr<TForm> form;
  TScrollBox* box = BoxOnForm(form);
  TPanel* far = Child(box, alNone, 20, 150, 40, 100);
  form->Show();

  EXPECT_EQ(box->VertScrollBar()->Range(), 250);
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  const Integer barW = win::GetSystemMetrics(win::SM_CXVSCROLL);
  EXPECT_EQ(box->ClientWidth(), 200 - barW);
  EXPECT_EQ(box->VertScrollBar()->ScrollRange(), 150);

  // A line down moves the children up by the increment; the end stops at the range.
  box->Perform(win::WM_VSCROLL, win::SB_LINEDOWN, 0);
  EXPECT_EQ(far->Top(), 150 - 8);
  box->Perform(win::WM_VSCROLL, win::SB_BOTTOM, 0);
  EXPECT_EQ(box->VertScrollBar()->Position(), 150);
  EXPECT_EQ(far->Top(), 0);
  box->VertScrollBar()->SetPosition(1000);
  EXPECT_EQ(box->VertScrollBar()->Position(), 150);

  // Scrolling a control into view brings its rectangle inside the client area.
  box->VertScrollBar()->SetPosition(0);
  box->ScrollInView(far);
  EXPECT_GE(far->Top(), 0);
  EXPECT_LE(far->Top() + far->Height(), box->ClientHeight());
  // The range stays measured from the scrolled origin.
  EXPECT_EQ(box->VertScrollBar()->Range(), 250);

  // Once the children fit, the bar goes.
  box->VertScrollBar()->SetPosition(0);
  far->SetBounds(20, 10, 40, 50);
  EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(box->ClientWidth(), 200);
}

TEST_F(AlignTest, TheWheelScrollsAScrollBoxThreeLinesANotchAndPassesOnWhenNothingScrolls) {
  std::unique_ptr<TForm> form;
  TScrollBox* box = BoxOnForm(form);
  auto* focus = new TButton(form.get());
  focus->SetParent(box);
  focus->SetBounds(4, 4, 40, 20);
  TPanel* far = Child(box, alNone, 20, 150, 40, 100);  // scrolls 0 .. 150
  Integer passedOn = 0;
  form->OnMouseWheel = [&](TObject*, TShiftState, Integer delta, TPoint, bool& handled) {
    passedOn = delta;
    handled = true;
  };
  form->Show();
  focus->SetFocus();
  win::PumpPendingMessages();
  ASSERT_EQ(form->ActiveControl(), focus);

  struct Case {
    Integer from, delta, position;
  };
  for (const Case& c : {Case{0, -120, 24}, Case{0, -240, 48}, Case{100, 120, 76}, Case{10, 120, 0},
                        Case{140, -120, 150}}) {
    SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.delta));
    box->VertScrollBar()->SetPosition(c.from);
    win::InjectWheel(c.delta, 50, 50);
    win::PumpPendingMessages();
    EXPECT_EQ(box->VertScrollBar()->Position(), c.position);
    EXPECT_EQ(far->Top(), 150 - c.position);
  }
  EXPECT_EQ(passedOn, 0);

  // Once everything fits, the form's handler gets the wheel.
  box->VertScrollBar()->SetPosition(0);
  far->SetBounds(20, 10, 40, 50);
  ASSERT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  win::InjectWheel(-120, 50, 50);
  win::PumpPendingMessages();
  EXPECT_EQ(passedOn, -120);
}

}  // namespace
