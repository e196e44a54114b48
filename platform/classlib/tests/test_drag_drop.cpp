// Drag and drop: a form file naming the drag properties and events, then drags driven by
// the injected mouse from a windowless control to windowed ones, dropped, refused,
// cancelled and held under the threshold.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/drag_drop.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/screen.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"

namespace {

using Log = std::vector<std::string>;

// A windowless control and a panel that publish the drag events.
class TDragSpot : public TGraphicControl {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TDragSpot>("TDragSpot", TGraphicControl::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    TControl::PublishProperties(published, {"DragCursor", "DragMode", "OnClick", "OnDragDrop", "OnDragOver",
                                            "OnEndDrag", "OnStartDrag"});
  }
  explicit TDragSpot(TComponent* owner) : TGraphicControl(owner) {}
};

class TDropPanel : public TPanel {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TDropPanel>("TDropPanel", TPanel::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    TControl::PublishProperties(published, {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
  }
  explicit TDropPanel(TComponent* owner) : TPanel(owner) {}
};

const char* const kStateNames[] = {"enter", "leave", "move"};

class TDragForm : public TForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TDragForm>("TDragForm", TForm::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TDragForm>();
    p.Method("SpotStartDrag", &TDragForm::SpotStartDrag);
    p.Method("SpotEndDrag", &TDragForm::SpotEndDrag);
    p.Method("SpotClick", &TDragForm::SpotClick);
    p.Method("AnyDragOver", &TDragForm::AnyDragOver);
    p.Method("AnyDragDrop", &TDragForm::AnyDragDrop);
  }
  explicit TDragForm(TComponent* owner) : TForm(owner) {}

  static std::string NameOf(TObject* o) {
    auto* c = dynamic_cast<TComponent*>(o);
    return c ? c->Name() : "nil";
  }
  void SpotStartDrag(TObject* sender, TDragObject*&) { log.push_back("start " + NameOf(sender)); }
  void SpotEndDrag(TObject* sender, TObject* target, Integer x, Integer y) {
    log.push_back("end " + NameOf(sender) + " " + NameOf(target) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void SpotClick(TObject*) { log.push_back("click"); }
  void AnyDragOver(TObject* sender, TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
    log.push_back(NameOf(sender) + " " + kStateNames[state] + " " + NameOf(source) + " " + std::to_string(x) + "," +
                  std::to_string(y));
    accept = NameOf(sender) != "Refuser";
  }
  void AnyDragDrop(TObject* sender, TObject* source, Integer x, Integer y) {
    log.push_back(NameOf(sender) + " drop " + NameOf(source) + " " + std::to_string(x) + "," + std::to_string(y));
  }

  Log log;
};

const char kDragFormText[] = R"(object DragForm: TDragForm
  Left = 100
  Top = 50
  BorderStyle = bsNone
  ClientWidth = 300
  ClientHeight = 100
  object Spot: TDragSpot
    Left = 10
    Top = 10
    Width = 40
    Height = 40
    DragCursor = crHandPoint
    DragMode = dmAutomatic
    OnClick = SpotClick
    OnStartDrag = SpotStartDrag
    OnEndDrag = SpotEndDrag
  end
  object Refuser: TDropPanel
    Left = 100
    Top = 10
    Width = 50
    Height = 50
    OnDragOver = AnyDragOver
  end
  object Target: TDropPanel
    Left = 200
    Top = 10
    Width = 80
    Height = 80
    OnDragOver = AnyDragOver
    OnDragDrop = AnyDragDrop
  end
end
)";

class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    RegisterClasses({&TDragSpot::StaticClass(), &TDropPanel::StaticClass()});
    form_ = std::make_unique<TDragForm>(nullptr);
    ReadComponentTextInto(kDragFormText, form_.get());
    spot_ = dynamic_cast<TDragSpot*>(form_->FindComponent("Spot"));
    ASSERT_NE(spot_, nullptr);
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }
  void Inject(void (*what)(win::MouseButton, int, int), Integer x, Integer y) {
    win::AdvanceClock(2000);  // never a double click
    const win::POINT p = win::ScreenPointOf(form_->Handle(), x, y);
    what(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  void MoveTo(Integer x, Integer y) {
    const win::POINT p = win::ScreenPointOf(form_->Handle(), x, y);
    win::InjectMouseMove(p.x, p.y);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TDragForm> form_;
  TDragSpot* spot_ = nullptr;
};

TEST_F(DragDropTest, ADragFromOneControlToAnotherDropsWhereTheTargetAccepts) {
  Inject(win::InjectMouseDown, 20, 20);
  EXPECT_TRUE(spot_->Dragging());
  EXPECT_EQ(DragControl(), spot_);
  // Over a control without OnDragOver, then one that refuses: the no-drop cursor.
  MoveTo(120, 30);
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crNoDrop));
  MoveTo(230, 40);
  EXPECT_EQ(win::GetCursor(), Screen->Cursors(crHandPoint));
  MoveTo(240, 45);
  Inject(win::InjectMouseUp, 240, 45);
  EXPECT_FALSE(spot_->Dragging());
  EXPECT_EQ(form_->log, (Log{"start Spot", "Refuser enter Spot 20,20", "Refuser leave Spot 130,30",
                             "Target enter Spot 30,30", "Target move Spot 40,35", "Target drop Spot 40,35",
                             "end Spot Target 40,35"}));
  // The press belonged to the drag: no click; the mouse is free again.
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(DragDropTest, RefusedCancelledAndUnmovedDragsEndWithoutATarget) {
  struct Case {
    const char* name;
    std::vector<TPoint> path;  // after the press at (20, 20)
    enum { Release, Escape, RightButton, EndDragCall } ending;
    Log log;
  };
  const std::vector<Case> cases = {
      {"released over a refuser", {{110, 20}}, Case::Release,
       {"start Spot", "Refuser enter Spot 10,10", "Refuser leave Spot 10,10", "end Spot nil 0,0"}},
      {"escape over the target", {{210, 20}}, Case::Escape,
       {"start Spot", "Target enter Spot 10,10", "Target leave Spot 10,10", "end Spot nil 0,0"}},
      {"right button", {{210, 20}}, Case::RightButton,
       {"start Spot", "Target enter Spot 10,10", "Target leave Spot 10,10", "end Spot nil 0,0"}},
      {"EndDrag(true) over the target", {{210, 20}, {215, 22}}, Case::EndDragCall,
       {"start Spot", "Target enter Spot 10,10", "Target move Spot 15,12", "Target drop Spot 15,12",
        "end Spot Target 15,12"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form_->log.clear();
    Inject(win::InjectMouseDown, 20, 20);
    for (TPoint p : c.path) MoveTo(p.x, p.y);
    switch (c.ending) {
      case Case::Release: Inject(win::InjectMouseUp, c.path.back().x, c.path.back().y); break;
      case Case::Escape:
        win::InjectKey(win::VK_ESCAPE);
        win::PumpPendingMessages();
        break;
      case Case::RightButton: {
        const win::POINT p = win::ScreenPointOf(form_->Handle(), c.path.back().x, c.path.back().y);
        win::InjectMouseDown(win::MouseButton::Right, p.x, p.y);
        win::InjectMouseUp(win::MouseButton::Right, p.x, p.y);
        win::PumpPendingMessages();
        break;
      }
      case Case::EndDragCall: spot_->EndDrag(true); break;
    }
    EXPECT_FALSE(spot_->Dragging());
    EXPECT_EQ(form_->log, c.log);
    const win::POINT p = win::ScreenPointOf(form_->Handle(), 20, 20);
    win::InjectMouseUp(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }

  // A manual drag waits for the mouse to move past the threshold before asking anyone;
  // released before that, it ends with no target and the control's own mouse handling
  // is back.
  spot_->SetDragMode(dmManual);
  spot_->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { spot_->BeginDrag(false, 5); };
  form_->log.clear();
  Inject(win::InjectMouseDown, 20, 20);
  MoveTo(25, 15);
  EXPECT_EQ(form_->log, (Log{"start Spot"}));
  Inject(win::InjectMouseUp, 25, 15);
  EXPECT_EQ(form_->log, (Log{"start Spot", "end Spot nil 0,0"}));
  Inject(win::InjectMouseDown, 20, 20);
  MoveTo(226, 30);
  Inject(win::InjectMouseUp, 226, 30);
  EXPECT_EQ(form_->log, (Log{"start Spot", "end Spot nil 0,0", "start Spot", "Target enter Spot 26,20",
                             "Target drop Spot 26,20", "end Spot Target 26,20"}));
  spot_->OnMouseDown = nullptr;
  Inject(win::InjectMouseDown, 20, 20);
  Inject(win::InjectMouseUp, 20, 20);
  EXPECT_EQ(form_->log.back(), "click");

  // A dragged control freed in the middle of its drag ends it without a word.
  spot_->SetDragMode(dmAutomatic);
  form_->log.clear();
  Inject(win::InjectMouseDown, 20, 20);
  MoveTo(210, 20);
  delete spot_;
  spot_ = nullptr;
  EXPECT_EQ(DragControl(), nullptr);
  MoveTo(220, 30);
  Inject(win::InjectMouseUp, 220, 30);
  EXPECT_EQ(form_->log, (Log{"start Spot", "Target enter Spot 10,10"}));
  EXPECT_EQ(win::GetCapture(), nullptr);
}

}  // namespace
