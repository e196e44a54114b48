// Controls: mouse input through the window system to windowless controls, capture,
// mouse enter and leave, inherited colours and fonts, painting in z-order and clips,
// messages, popup menus and actions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"

namespace {

using Log = std::vector<std::string>;

std::string Pt(Integer x, Integer y) { return std::to_string(x) + "," + std::to_string(y); }

// A windowless control that records what reaches it and paints itself in its colour,
// over a rectangle larger than itself (its clip must hold it in).
class TProbe : public TGraphicControl {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbe>("TProbe", TGraphicControl::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TProbe(TComponent* owner, Log* log = nullptr) : TGraphicControl(owner), log_(log) {
    controlStyle_.Include(csOpaque);
    OnClick = [this](TObject*) { Note("click"); };
    OnDblClick = [this](TObject*) { Note("dblclick"); };
    OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, Integer x, Integer y) {
      Note(std::string(b == mbLeft ? "down " : "rdown ") + (s.Contains(ssDouble) ? "double " : "") + Pt(x, y));
    };
    OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
      Note(std::string(b == mbLeft ? "up " : "rup ") + Pt(x, y));
    };
    OnMouseMove = [this](TObject*, TShiftState, Integer x, Integer y) {
      if (logMoves) Note("move " + Pt(x, y));
    };
  }

  bool logMoves = false;
  Integer textChanges = 0;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(TRect{-10, -10, Width() + 10, Height() + 10});
  }
  void CMMouseEnter(TMessage& m) override {
    Note("enter " + Name());
    TGraphicControl::CMMouseEnter(m);
  }
  void CMMouseLeave(TMessage& m) override {
    Note("leave " + Name());
    TGraphicControl::CMMouseLeave(m);
  }
  void CMTextChanged(TMessage& m) override {
    ++textChanges;
    TGraphicControl::CMTextChanged(m);
  }

 private:
  void Note(const std::string& s) {
    if (log_) log_->push_back(s);
  }
  Log* log_;
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    // A form without a frame at (100, 50): client and screen differ by that offset.
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clWhite);
    panel_ = new TPanel(form_.get());
    panel_->SetParent(form_.get());
    panel_->SetBevelOuter(bvNone);
    panel_->SetBounds(20, 30, 200, 100);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
  }

  TProbe* Probe(const std::string& name, Integer x, Integer y, Integer w, Integer h, TWinControl* parent = nullptr) {
    auto* p = new TProbe(form_.get(), &log_);
    p->SetName(name);
    p->SetBounds(x, y, w, h);
    p->SetParent(parent ? parent : panel_);
    return p;
  }

  void ShowAndPump() {
    form_->Show();
    win::PumpPendingMessages();
  }

  // Screen point of a client point of the panel.
  win::POINT InPanel(int x, int y) { return win::ScreenPointOf(panel_->Handle(), x, y); }

  std::unique_ptr<TForm> form_;
  TPanel* panel_ = nullptr;
  Log log_;
};

// ---- mouse ------------------------------------------------------------------------------------

TEST_F(ControlsTest, AClickOnAWindowlessControlReachesItInItsOwnCoordinates) {
  TProbe* probe = Probe("A", 5, 6, 40, 20);
  ShowAndPump();
  win::POINT p = InPanel(15, 16);
  EXPECT_EQ(p.x, 100 + 20 + 15);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  // The move onto the control that comes with the click enters it first.
  EXPECT_EQ(log_, (Log{"enter A", "down 10,10", "click", "up 10,10"}));
  EXPECT_FALSE(probe->MouseCapture());

  // The right button opens no popup here and clicks nothing.
  log_.clear();
  win::InjectClick(win::MouseButton::Right, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_, (Log{"rdown 10,10", "rup 10,10"}));

  // A disabled control lets the click through to its parent.
  log_.clear();
  probe->SetEnabled(false);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_TRUE(log_.empty());
}

TEST_F(ControlsTest, APressedControlKeepsTheMouseAndARelaseElsewhereIsNoClick) {
  TProbe* probe = Probe("A", 5, 6, 40, 20);
  probe->logMoves = true;
  ShowAndPump();
  win::POINT inside = InPanel(15, 16);
  win::InjectMouseDown(win::MouseButton::Left, inside.x, inside.y);
  win::PumpPendingMessages();
  EXPECT_TRUE(probe->MouseCapture());
  EXPECT_EQ(GetCaptureControl(), probe);

  // Far outside the form: the moves and the release still come to the control.
  win::InjectMouseMove(inside.x + 250, inside.y + 300);
  win::InjectMouseUp(win::MouseButton::Left, inside.x + 250, inside.y + 300);
  win::PumpPendingMessages();
  ASSERT_GE(log_.size(), 3u);
  EXPECT_EQ(log_.front(), "down 10,10");
  EXPECT_NE(std::find(log_.begin(), log_.end(), "move 260,310"), log_.end());
  EXPECT_EQ(log_.back(), "up 260,310");
  EXPECT_EQ(std::find(log_.begin(), log_.end(), "click"), log_.end());
  EXPECT_FALSE(probe->MouseCapture());
}

TEST_F(ControlsTest, DoubleClicksFollowTheControlsStyle) {
  TProbe* probe = Probe("A", 5, 6, 40, 20);
  ShowAndPump();
  win::POINT p = InPanel(10, 10);
  win::InjectDoubleClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_, (Log{"enter A", "down 5,4", "click", "up 5,4", "dblclick", "down double 5,4", "up 5,4"}));

  // Without double clicks the second press is a press, and a second click.
  log_.clear();
  probe->SetControlStyle(probe->ControlStyle() - TControlStyle{csDoubleClicks});
  win::InjectDoubleClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_, (Log{"down 5,4", "click", "up 5,4", "down 5,4", "click", "up 5,4"}));
}

TEST_F(ControlsTest, MovingBetweenControlsSendsLeaveThenEnter) {
  Probe("A", 5, 6, 40, 20);
  Probe("B", 60, 6, 40, 20);
  Log panelLog;
  panel_->WindowProc = [this, &panelLog](TMessage& m) {
    if (m.Msg == CM_MOUSEENTER) panelLog.push_back("enter");
    if (m.Msg == CM_MOUSELEAVE) panelLog.push_back("leave");
    panel_->WndProc(m);
  };
  ShowAndPump();
  auto moveTo = [](win::POINT p) {
    win::InjectMouseMove(p.x, p.y);
    win::PumpPendingMessages();
  };
  moveTo(InPanel(10, 10));
  moveTo(InPanel(12, 11));  // still on A: nothing new
  moveTo(InPanel(70, 10));
  EXPECT_EQ(log_, (Log{"enter A", "leave A", "enter B"}));
  EXPECT_EQ(Application->MouseControl()->Name(), "B");

  // Onto the panel itself, then off every window of ours.
  log_.clear();
  moveTo(InPanel(150, 80));
  EXPECT_EQ(log_, (Log{"leave B"}));
  EXPECT_EQ(panelLog, (Log{"enter"}));
  moveTo(win::POINT{5, 5});
  EXPECT_EQ(panelLog, (Log{"enter", "leave"}));
  EXPECT_EQ(Application->MouseControl(), nullptr);
  panel_->WindowProc = nullptr;
}

TEST_F(ControlsTest, TheWheelGoesToTheActiveControl) {
  panel_->SetTabStop(true);
  Integer delta = 0;
  panel_->OnMouseWheel = [&](TObject*, TShiftState, Integer d, TPoint, bool& handled) {
    delta = d;
    handled = true;
  };
  ShowAndPump();
  EXPECT_EQ(form_->ActiveControl(), panel_);
  win::POINT p = InPanel(10, 10);
  win::InjectWheel(-win::WHEEL_DELTA, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(delta, -win::WHEEL_DELTA);
}

TEST_F(ControlsTest, CharactersNobodyTypesAreOfferedToTheFormsControlsAsAccelerators) {
  TProbe* probe = Probe("A", 5, 6, 40, 20);
  std::vector<win::WPARAM> chars;
  probe->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
      chars.push_back(m.WParam);
      m.Result = m.WParam == 'p' ? 1 : 0;
      return;
    }
    probe->WndProc(m);
  };
  std::vector<char> typed;
  panel_->SetTabStop(true);
  panel_->OnKeyPress = [&](TObject*, char& key) {
    typed.push_back(key);
    if (key == 'x') key = 0;  // taken by the control
  };
  ShowAndPump();
  ASSERT_TRUE(panel_->Focused());
  win::InjectText("px");
  win::PumpPendingMessages();
  EXPECT_EQ(typed, (std::vector<char>{'p', 'x'}));
  EXPECT_EQ(chars, (std::vector<win::WPARAM>{'p'}));
  // Alt and a letter always asks.
  win::InjectKey('Q', win::kAlt);
  win::PumpPendingMessages();
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_TRUE(chars[1] == 'q' || chars[1] == 'Q');
  probe->WindowProc = nullptr;
}

// ---- inherited values ---------------------------------------------------------------------------

TEST_F(ControlsTest, ColourFontHintAnd3DLookFollowTheParentUntilSetOwnValues) {
  TProbe* probe = Probe("A", 0, 0, 10, 10);
  // A new child takes its parent's values at once.
  EXPECT_TRUE(probe->ParentColor());
  EXPECT_EQ(probe->Color(), clBtnFace);
  panel_->SetColor(clRed);
  EXPECT_EQ(probe->Color(), clRed);
  EXPECT_TRUE(probe->ParentColor());
  probe->SetColor(clBlue);
  EXPECT_FALSE(probe->ParentColor());
  panel_->SetColor(clGreen);
  EXPECT_EQ(probe->Color(), clBlue);
  probe->SetParentColor(true);
  EXPECT_EQ(probe->Color(), clGreen);

  // Fonts pass through a parent that follows its own parent.
  form_->Font()->SetName("Courier New");
  form_->Font()->SetSize(14);
  EXPECT_EQ(panel_->Font()->Name(), "Courier New");
  EXPECT_EQ(probe->Font()->Size(), 14);
  EXPECT_TRUE(probe->ParentFont());
  probe->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_FALSE(probe->ParentFont());
  form_->Font()->SetSize(9);
  EXPECT_EQ(probe->Font()->Size(), 14);
  EXPECT_EQ(panel_->Font()->Size(), 9);
  probe->SetParentFont(true);
  EXPECT_EQ(probe->Font()->Size(), 9);
  EXPECT_EQ(probe->Font()->Style(), TFontStyles{});

  form_->SetShowHint(true);
  EXPECT_TRUE(probe->ShowHint());
  auto* inner = new TPanel(form_.get());
  inner->SetParent(panel_);
  panel_->SetCtl3D(false);
  EXPECT_FALSE(inner->Ctl3D());
  EXPECT_TRUE(inner->ParentCtl3D());
}

// ---- painting -------------------------------------------------------------------------------------

TEST_F(ControlsTest, WindowlessControlsPaintInZOrderInsideTheirBounds) {
  TProbe* a = Probe("A", 10, 10, 30, 20, form_.get());
  TProbe* b = Probe("B", 20, 15, 30, 20, form_.get());
  a->SetColor(clRed);
  b->SetColor(clBlue);
  panel_->SetVisible(false);
  ShowAndPump();
  win::UpdateWindow(form_->Handle());
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(15, 12), 0x0000FFu);  // A: red (COLORREF 0x00BBGGRR)
  EXPECT_EQ(img.At(25, 20), 0xFF0000u);  // B above A where they overlap
  EXPECT_EQ(img.At(45, 30), 0xFF0000u);
  // Each painted a rectangle ten pixels larger than itself: the clip held it in.
  EXPECT_EQ(img.At(8, 10), 0xFFFFFFu);
  EXPECT_EQ(img.At(15, 8), 0xFFFFFFu);
  EXPECT_EQ(img.At(52, 30), 0xFFFFFFu);

  // Raising A repaints the overlap with A.
  a->BringToFront();
  win::UpdateWindow(form_->Handle());
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(25, 20), 0x0000FFu);
  EXPECT_EQ(img.At(45, 30), 0xFF0000u);

  // An opaque control repaints itself at once, without waiting for the queue.
  a->SetColor(clLime);
  a->Repaint();
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(15, 12), 0x00FF00u);
  EXPECT_EQ(img.At(25, 20), 0x00FF00u);
  // Hiding it shows the form again.
  win::UpdateWindow(form_->Handle());
  a->SetVisible(false);
  win::UpdateWindow(form_->Handle());
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(15, 12), 0xFFFFFFu);
  EXPECT_EQ(img.At(25, 20), 0xFF0000u);
}

// ---- messages ------------------------------------------------------------------------------------

TEST_F(ControlsTest, MessagesGoThroughWindowProcToTheTypedHandlers) {
  TProbe* probe = Probe("A", 0, 0, 10, 10);
  // A new control shows its name: the rename was the first change.
  EXPECT_EQ(probe->Caption(), "A");
  EXPECT_EQ(probe->textChanges, 1);
  probe->SetCaption("Hello");
  probe->SetCaption("Hello");
  EXPECT_EQ(probe->textChanges, 2);
  char buffer[4];
  EXPECT_EQ(probe->Perform(win::WM_GETTEXT, sizeof(buffer), reinterpret_cast<win::LPARAM>(buffer)), 3);
  EXPECT_STREQ(buffer, "Hel");
  EXPECT_EQ(probe->Perform(win::WM_GETTEXTLENGTH), 5);
  // A message nobody handles answers 0.
  EXPECT_EQ(probe->Perform(win::WM_USER + 77, 1, 2), 0);

  // Replacing WindowProc sees every message first, Perform included.
  std::vector<win::UINT> seen;
  probe->WindowProc = [&](TMessage& m) {
    seen.push_back(m.Msg);
    probe->WndProc(m);
  };
  probe->SetCaption("World");
  EXPECT_EQ(seen, (std::vector<win::UINT>{win::WM_SETTEXT, CM_TEXTCHANGED}));
  EXPECT_EQ(probe->textChanges, 3);
  probe->WindowProc = nullptr;

  // Broadcast stops at the first control that answers.
  Integer reached = 0;
  TProbe* b = Probe("B", 0, 0, 10, 10);
  TProbe* c = Probe("C", 0, 0, 10, 10);
  b->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
      ++reached;
      m.Result = 1;
      return;
    }
    b->WndProc(m);
  };
  c->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) ++reached;
    c->WndProc(m);
  };
  TMessage m{CM_DIALOGCHAR, 'x', 0, 0};
  panel_->Broadcast(m);
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(m.Result, 1);
  b->WindowProc = nullptr;
  c->WindowProc = nullptr;
}

TEST_F(ControlsTest, ChildrenAreListedWindowlessFirstAndLeaveTheirParentWhenFreed) {
  auto* inner = new TPanel(form_.get());
  inner->SetParent(panel_);
  TProbe* a = Probe("A", 0, 0, 10, 10);
  TProbe* b = Probe("B", 0, 0, 10, 10);
  ASSERT_EQ(panel_->ControlCount(), 3);
  EXPECT_EQ(panel_->Controls(0), a);
  EXPECT_EQ(panel_->Controls(1), b);
  EXPECT_EQ(panel_->Controls(2), inner);
  EXPECT_THROW(panel_->Controls(3), EListError);
  EXPECT_THROW(inner->SetParent(inner), EInvalidOperation);
  EXPECT_THROW(panel_->SetParent(inner), EInvalidOperation);

  // The form writer stores the children through GetChildren, in the same order.
  std::vector<TComponent*> children;
  panel_->GetChildren([&](TComponent* c) { children.push_back(c); }, form_.get());
  EXPECT_EQ(children, (std::vector<TComponent*>{a, b, inner}));

  delete a;
  delete inner;
  ASSERT_EQ(panel_->ControlCount(), 1);
  EXPECT_EQ(panel_->Controls(0), b);
  EXPECT_EQ(form_->FindComponent("A"), nullptr);
  // A parent frees its children, whoever owns them.
  auto* orphan = new TProbe(nullptr);
  orphan->SetParent(panel_);
  delete panel_;
  panel_ = nullptr;
  EXPECT_EQ(form_->FindComponent("B"), nullptr);
}

// ---- popup menus and actions -----------------------------------------------------------------------

class TFakePopupMenu : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakePopupMenu>("TPopupMenu", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TComponent::TComponent;
};

TEST_F(ControlsTest, TheRightButtonPopsUpTheNearestPopupMenu) {
  TProbe* probe = Probe("A", 5, 6, 40, 20);
  auto* menu = new TFakePopupMenu(form_.get());
  panel_->SetPopupMenuComponent(menu);
  EXPECT_THROW(panel_->SetPopupMenuComponent(panel_), EInvalidOperation);
  std::vector<std::pair<TControl*, TPoint>> popups;
  SetPopupMenuHook([&](TComponent* m, TControl* c, TPoint pt) {
    EXPECT_EQ(m, menu);
    popups.emplace_back(c, pt);
  });
  ShowAndPump();
  win::POINT p = InPanel(10, 10);
  win::InjectClick(win::MouseButton::Right, p.x, p.y);
  win::PumpPendingMessages();
  ASSERT_EQ(popups.size(), 1u);
  EXPECT_EQ(popups[0].first, probe);
  EXPECT_EQ(popups[0].second, (TPoint{p.x, p.y}));
  // OnContextPopup may keep the menu closed.
  probe->OnContextPopup = [&](TObject*, TPoint pos, bool& handled) {
    EXPECT_EQ(pos, (TPoint{5, 4}));
    handled = true;
  };
  win::AdvanceClock(1000);
  win::InjectClick(win::MouseButton::Right, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(popups.size(), 1u);
  // A freed menu leaves no reference behind.
  delete menu;
  EXPECT_EQ(panel_->PopupMenuComponent(), nullptr);
  SetPopupMenuHook(nullptr);
}

class TFakeAction : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakeAction>("TFakeAction", TComponent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TFakeAction>();
    p.String("Caption", &TFakeAction::caption);
    p.Boolean("Enabled", &TFakeAction::enabled);
    p.String("Hint", &TFakeAction::hint);
  }
  using TComponent::TComponent;
  std::string caption = "Play";
  bool enabled = false;
  std::string hint = "Play Animation";
  Integer executed = 0;
};

struct TFakeLink : TObject {
  TComponent* action = nullptr;
};

TEST_F(ControlsTest, AnActionGivesItsValuesAndRunsTheClick) {
  SetControlActionHooks(TControlActionHooks{
      [](TControl*) -> TObject* { return new TFakeLink(); },
      [](TObject* link, TComponent* action) { static_cast<TFakeLink*>(link)->action = action; },
      [](TObject* link) { return static_cast<TFakeLink*>(link)->action; },
      [](TObject* link, TControl*) {
        if (auto* a = dynamic_cast<TFakeAction*>(static_cast<TFakeLink*>(link)->action)) ++a->executed;
        return true;
      },
  });
  TProbe* probe = Probe("A", 0, 0, 10, 10);
  probe->OnClick = nullptr;
  auto* action = new TFakeAction(form_.get());
  probe->SetActionComponent(action);
  EXPECT_EQ(probe->ActionComponent(), action);
  EXPECT_EQ(probe->Caption(), "Play");
  EXPECT_FALSE(probe->Enabled());
  EXPECT_EQ(probe->Hint(), "Play Animation");
  probe->Click();
  EXPECT_EQ(action->executed, 1);
  // A handler of the control's own runs in place of the action.
  Integer own = 0;
  probe->OnClick = [&](TObject*) { ++own; };
  probe->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(action->executed, 1);
  delete action;
  EXPECT_EQ(probe->ActionComponent(), nullptr);
  EXPECT_EQ(probe->ActionLink(), nullptr);
  SetControlActionHooks({});
  EXPECT_THROW(probe->SetActionComponent(new TFakeAction(form_.get())), EInvalidOperation);
}

}  // namespace
