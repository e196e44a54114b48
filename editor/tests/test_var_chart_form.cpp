// The curve editor driven with the mouse: drag limits and quantisation, the popups and
// what they offer, Clear's question, adding keys, zoom ranges, the frame marker, and the
// curve's ownership staying with its variable system.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "chart/color_line_tool.h"
#include "controlkit/kit_speed_button.h"
#include "platform/win/compositor.h"
#include "editor/tests/editor_fixture.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/std_buttons.h"

namespace {

bool OnQuantum(Double v) { return std::fabs(v * 100 - std::nearbyint(v * 100)) < 1e-6; }

}  // namespace

TEST_F(VarChartTest, DraggingKeysKeepsTheirLimits) {
  ASSERT_EQ(Chart()->BottomAxis()->Maximum(), 120);
  // Key 0 follows the mouse up and down but never leaves X 0.
  Drag(KeyPixel(0), PixelOf(30, 4));
  EXPECT_EQ(KeyX(0), 0);
  EXPECT_NEAR(KeyY(0), 4, 0.1);
  EXPECT_TRUE(OnQuantum(KeyY(0)));

  // The key before the last carries the last key's value; frames are whole.
  Drag(KeyPixel(2), PixelOf(90.4, 6.3));
  EXPECT_EQ(KeyX(2), std::nearbyint(KeyX(2)));
  EXPECT_NEAR(KeyX(2), 90, 1);
  EXPECT_NEAR(KeyY(2), 6.3, 0.1);
  EXPECT_TRUE(OnQuantum(KeyY(2)));
  EXPECT_EQ(KeyY(3), KeyY(2));
  EXPECT_EQ(KeyX(3), 8192);

  // A key pulled past its neighbour stays between them and stays the dragged key.
  Down(KeyPixel(1));
  EXPECT_EQ(form_->DragIndex(), 1);
  Move(PixelOf(110, 5));
  EXPECT_EQ(form_->DragIndex(), 1);
  EXPECT_LT(KeyX(1), KeyX(2));
  EXPECT_GT(KeyX(1), KeyX(0));
  Move(PixelOf(20, 5));
  EXPECT_EQ(form_->DragIndex(), 1);
  EXPECT_NEAR(KeyX(1), 20, 1);
  Up(PixelOf(20, 5));
  EXPECT_FALSE(form_->Dragging());

  // Values are clamped by the curve: dragging above the chart stops at Max.
  Drag(KeyPixel(1), TPoint{KeyPixel(1).x, Chart()->LeftAxis()->CalcYPosValue(10) - 30});
  EXPECT_EQ(KeyY(1), 10);
  EXPECT_EQ(curve_->Count(), 4);
}

TEST_F(VarChartTest, KeyPopupOffersDeleteForInnerKeysOnly) {
  const win::UINT del = CommandOf(form_->KeyPopup, "Delete Keyframe");
  for (Integer i : {0, 3 - 1}) {
    win::AnswerPopupMenu(0);
    RightClick(KeyPixel(i));
    EXPECT_EQ(form_->PopupIndex(), i);
    const win::PopupMenuItem* item = ItemOf(LastPopup(), "Delete Keyframe");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->enabled, i != 0) << i;
  }
  // The last key sits far right, out of view: the popup's rule is checked on a three-key
  // curve whose last key shows.
  auto small = MakeCurve(xmLifePercent, cmNone, 0, 1, {{0, 0.5}, {50, 0.2}, {100, 0.8}});
  form_->SetSeries(small.get());
  Paint();
  win::AnswerPopupMenu(0);
  RightClick(PixelOf(100, 0.8));
  EXPECT_FALSE(ItemOf(LastPopup(), "Delete Keyframe")->enabled);
  form_->SetSeries(curve_.get());
  Paint();

  // Delete through the menu removes exactly the key clicked.
  win::AnswerPopupMenu(del);
  RightClick(KeyPixel(1));
  win::PumpPendingMessages();
  ASSERT_EQ(curve_->Count(), 3);
  EXPECT_EQ(KeyX(1), 100);

  // Away from the keys the chart popup opens instead.
  win::AnswerPopupMenu(0);
  RightClick(PixelOf(60, 1));
  const win::ModalPrompt* p = LastPopup();
  ASSERT_TRUE(p);
  ASSERT_EQ(p->items.size(), 4u);
  EXPECT_EQ(p->items[0].caption, "Show Marks");
  EXPECT_EQ(p->items[1].caption, "Linear");
  EXPECT_TRUE(p->items[2].separator);
  EXPECT_EQ(p->items[3].caption, "Unzoom");
}

TEST_F(VarChartTest, ShowMarksAndLinearToggleFromThePopup) {
  EXPECT_FALSE(curve_->Marks()->Visible());
  EXPECT_DOUBLE_EQ(curve_->Tension, 0.3);
  win::AnswerPopupMenu(CommandOf(form_->ChartPopup, "Show Marks"));
  RightClick(PixelOf(60, 1));
  win::PumpPendingMessages();
  EXPECT_TRUE(curve_->Marks()->Visible());
  win::AnswerPopupMenu(CommandOf(form_->ChartPopup, "Linear"));
  RightClick(PixelOf(60, 1));
  win::PumpPendingMessages();
  EXPECT_EQ(curve_->Tension, 0);
  // The key popup shows the same checks.
  win::AnswerPopupMenu(0);
  RightClick(KeyPixel(1));
  EXPECT_TRUE(ItemOf(LastPopup(), "Linear")->checked);
  EXPECT_TRUE(ItemOf(LastPopup(), "Show Marks")->checked);
  // A curve drawn straight already shows "Linear" checked.
  auto straight = MakeCurve(xmFrames, cmNone, 0, 1, {{0, 0}, {8192, 0}});
  straight->Tension = 0;
  form_->LinearAction->SetChecked(false);
  form_->SetSeries(straight.get());
  EXPECT_TRUE(form_->LinearAction->Checked());
  EXPECT_EQ(straight->Tension, 0);
  form_->SetSeries(nullptr);
}

TEST_F(VarChartTest, ClearAsksFirstAndNoKeepsTheKeys) {
  win::AnswerMessageBox(win::IDNO);
  ClickControl(form_->ClearButton);
  ASSERT_FALSE(win::ModalPrompts().empty());
  EXPECT_EQ(win::ModalPrompts().back().text,
            "About to delete all keyframes for this graph.\r\rAre you sure you want to delete keyframes?");
  EXPECT_EQ(curve_->Count(), 4);

  win::AnswerMessageBox(win::IDYES);
  ClickControl(form_->ClearButton);
  ASSERT_EQ(curve_->Count(), 2);
  EXPECT_EQ(KeyX(0), 0);
  EXPECT_EQ(KeyY(0), 2);
  EXPECT_EQ(KeyX(1), 8192);
  EXPECT_EQ(KeyY(1), 2);
}

TEST_F(VarChartTest, DoubleClickAndAddPutNewKeysBetweenOthers) {
  const TPoint at = PixelOf(70.3, 3);
  win::POINT s = Screen(at);
  win::InjectDoubleClick(win::MouseButton::Left, s.x, s.y);
  win::PumpPendingMessages();
  ASSERT_EQ(curve_->Count(), 5);
  EXPECT_EQ(KeyX(2), std::nearbyint(KeyX(2)));
  EXPECT_NEAR(KeyX(2), 70, 1);
  EXPECT_NEAR(KeyY(2), 3, 0.1);
  EXPECT_TRUE(OnQuantum(KeyY(2)));

  // With Alt held a double-click adds nothing (it zooms).
  win::InjectDoubleClick(win::MouseButton::Left, s.x, s.y, win::kAlt);
  win::PumpPendingMessages();
  EXPECT_EQ(curve_->Count(), 5);
  form_->Unzoom();
  Paint();

  // The marker is not shown, so Add uses the middle of the view (0..120 -> 60), at the
  // curve's value there.
  ASSERT_FALSE(form_->LineTool->Active());
  const Double expected = curve_->ValueAt(60);
  ClickControl(form_->AddButton);
  ASSERT_EQ(curve_->Count(), 6);
  EXPECT_EQ(KeyX(2), 60);
  EXPECT_NEAR(KeyY(2), expected, 0.006);
  // Again: never on top of the key just added.
  ClickControl(form_->AddButton);
  ASSERT_EQ(curve_->Count(), 7);
  for (Integer i = 1; i < curve_->Count(); ++i) EXPECT_LT(KeyX(i - 1), KeyX(i)) << i;
}

TEST_F(VarChartTest, AddKeyTakesAFreePlaceBetweenTheEndKeysOrAddsNothing) {
  const struct {
    Byte mode;
    std::initializer_list<std::pair<Double, Double>> keys;
    Double x;
    Double expected;  // -1: nothing added
  } cases[] = {
      {xmFrames, {{0, 1}, {1, 1}, {8192, 1}}, 0.4, -1},  // frames 0 and 1 taken, nothing between
      {xmFrames, {{0, 1}, {1, 1}, {8192, 1}}, 0.6, 2},
      {xmFrames, {{0, 1}, {5, 1}, {8192, 1}}, 0.4, 1},
      {xmFrames, {{0, 1}, {8192, 1}}, 9000, 8191},
      {xmFrames, {{0, 1}, {1, 1}, {8192, 1}}, -3, -1},
      {xmLifePercent, {{0, 1}, {100, 1}}, 250, 99},
      {xmLifePercent, {{0, 1}, {8192, 1}}, 100, 100},
      {xmPercent, {{0, 1}, {37.5, 1}, {8192, 1}}, 37.5, 38.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " at " << c.x);
    auto curve = std::make_unique<TVarSeries>(c.mode, cmNone, 0, 2);
    for (const auto& [x, y] : c.keys) curve->AddXY(x, y);
    form_->SetSeries(curve.get());
    const Integer index = form_->AddKey(c.x, 1);
    if (c.expected < 0) {
      EXPECT_EQ(index, -1);
      EXPECT_EQ(curve->Count(), static_cast<Integer>(c.keys.size()));
    } else {
      ASSERT_EQ(curve->Count(), static_cast<Integer>(c.keys.size()) + 1);
      EXPECT_EQ(curve->XValues()->GetValue(index), c.expected);
    }
    EXPECT_EQ(curve->XValues()->GetValue(curve->Count() - 1), c.keys.end()[-1].first) << "the last key stays last";
    form_->SetSeries(nullptr);
  }
  form_->SetSeries(curve_.get());
}

TEST_F(VarChartTest, TheLastKeyMovesAndClearGivesEveryCurveANewCurvesKeys) {
  auto saved = std::move(curve_);
  auto show = [&](Byte mode, Double lastX) {  // the fixture's curve_ is the one shown
    auto curve = MakeCurve(mode, cmNone, 0, 1, {{0, 0.25}, {50, 0.2}, {lastX, 0.8}});
    form_->SetSeries(curve.get());
    curve_.swap(curve);
    Paint();
  };
  // Dragged with the mouse, a life curve's last key follows it in X and Y.
  show(xmLifePercent, 100);
  Drag(KeyPixel(2), PixelOf(70, 0.4));
  EXPECT_NEAR(KeyX(2), 70, 1);
  EXPECT_NEAR(KeyY(2), 0.4, 0.02);
  // Cleared, it ends where a new curve does, not at 100.
  win::AnswerMessageBox(win::IDYES);
  ClickControl(form_->ClearButton);
  EXPECT_EQ(std::vector<Double>({KeyX(0), KeyY(0), KeyX(1), KeyY(1)}), std::vector<Double>({0, 0.25, 8192, 0.25}));
  // Set directly: whole frames past 8192, after its neighbour, a percentage no further than 100.
  const std::tuple<Byte, Double, Double> cases[] = {{xmFrames, 9000.4, 9000}, {xmFrames, 20, 51}, {xmLifePercent, 250, 100}};
  for (const auto& [mode, x, expected] : cases) {
    show(mode, 8192);
    EXPECT_EQ(form_->SetKeyX(2, x), 2);
    EXPECT_EQ(KeyX(2), expected) << x;
  }
  form_->SetSeries(saved.get());
  curve_.swap(saved);
}

TEST_F(VarChartTest, ZoomRangesAndUnzoom) {
  TChartAxis* x = Chart()->BottomAxis();
  TChartAxis* y = Chart()->LeftAxis();
  // Frame curve: X to the key before the last (or 120), Y to the clamped bounds.
  EXPECT_EQ(x->Minimum(), 0);
  EXPECT_EQ(x->Maximum(), 120);
  EXPECT_EQ(y->Minimum(), 0);
  EXPECT_EQ(y->Maximum(), 10);

  ClickControl(form_->XOutButton);
  EXPECT_EQ(x->Minimum(), 0);  // c 60, r 120: -60 is not shown
  EXPECT_EQ(x->Maximum(), 180);
  ClickControl(form_->XInButton);
  EXPECT_EQ(x->Minimum(), 45);
  EXPECT_EQ(x->Maximum(), 135);
  ClickControl(form_->YOutButton);
  EXPECT_EQ(y->Minimum(), -5);
  EXPECT_EQ(y->Maximum(), 15);
  ClickControl(form_->YInButton);
  EXPECT_EQ(y->Minimum(), 0);
  EXPECT_EQ(y->Maximum(), 10);
  ClickControl(form_->UnzoomButton);
  EXPECT_EQ(x->Minimum(), 0);
  EXPECT_EQ(x->Maximum(), 120);

  // Alt+click zooms both axes in around the point.
  Paint();
  const TPoint p = PixelOf(60, 5);
  const Double cx = x->CalcPosPoint(p.x), cy = y->CalcPosPoint(p.y);
  win::POINT s = Screen(p);
  win::InjectClick(win::MouseButton::Left, s.x, s.y, win::kAlt);
  win::PumpPendingMessages();
  EXPECT_DOUBLE_EQ(x->Minimum(), cx - 30);
  EXPECT_DOUBLE_EQ(x->Maximum(), cx + 30);
  EXPECT_DOUBLE_EQ(y->Minimum(), cy - 2.5);
  EXPECT_DOUBLE_EQ(y->Maximum(), cy + 2.5);
  EXPECT_EQ(curve_->Count(), 4);

  // Unclamped sides widen to the keys; life curves run 0..100.
  auto life = MakeCurve(xmLifePercent, cmLower, 0, 1, {{0, 0.5}, {40, 3}, {100, -2}});
  form_->SetSeries(life.get());
  EXPECT_EQ(x->Minimum(), 0);
  EXPECT_EQ(x->Maximum(), 100);
  EXPECT_EQ(y->Minimum(), 0);
  EXPECT_EQ(y->Maximum(), 3);
  EXPECT_EQ(x->Title()->Caption(), "Lifespan of Particles by Percentage");
  auto bare = MakeCurve(xmFrames, cmNone, 0, 1, {{0, 0}, {8192, 0}});
  form_->SetSeries(bare.get());
  EXPECT_EQ(x->Maximum(), 120);
  EXPECT_EQ(x->Title()->Caption(), "Frame Number");
  form_->SetSeries(curve_.get());
}

TEST_F(VarChartTest, ScrollingStopsAtZeroAndSuppressesThePopup) {
  TChartAxis* x = Chart()->BottomAxis();
  // A right drag to the right would show negative frames: refused, minimum 0.
  const TPoint from = PixelOf(60, 1);
  Down(from, win::MouseButton::Right);
  Move(TPoint{from.x + 80, from.y});
  EXPECT_EQ(x->Minimum(), 0);
  Up(TPoint{from.x + 80, from.y}, win::MouseButton::Right);
  // Zoomed in, a right drag to the left scrolls, and the release opens no popup.
  form_->ZoomInX(60);
  Paint();
  const std::size_t asked = win::ModalPrompts().size();
  Down(from, win::MouseButton::Right);
  Move(TPoint{from.x - 40, from.y});
  Up(TPoint{from.x - 40, from.y}, win::MouseButton::Right);
  EXPECT_GT(x->Minimum(), 30);
  EXPECT_EQ(form_->PopupIndex(), -2);
  EXPECT_EQ(win::ModalPrompts().size(), asked);
}

TEST_F(VarChartTest, FrameMarkerFollowsThePreview) {
  EXPECT_EQ(form_->CurrentFrameLineTool->Value(), -9000);
  const Integer col = Chart()->BottomAxis()->CalcXPosValue(30);
  const TRect r = Chart()->ChartRect();
  win::WindowImage before, after;
  ASSERT_TRUE(win::CaptureWindow(Chart()->Handle(), &before));
  form_->ShowFrame(30);
  EXPECT_EQ(form_->CurrentFrameLineTool->Value(), 30);
  Paint();
  ASSERT_TRUE(win::CaptureWindow(Chart()->Handle(), &after));
  // The dotted line now crosses the plot at frame 30, and only there.
  int changed = 0, elsewhere = 0;
  for (Integer row = r.top + 1; row < r.bottom - 1; ++row) {
    if (before.At(col, row) != after.At(col, row)) ++changed;
    if (before.At(col + 20, row) != after.At(col + 20, row)) ++elsewhere;
  }
  EXPECT_GT(changed, (r.bottom - r.top) / 4);
  EXPECT_EQ(elsewhere, 0);
  // Showing another curve puts it out of view; life curves never show it.
  auto life = MakeCurve(xmLifePercent, cmNone, 0, 1, {{0, 0}, {100, 1}});
  form_->SetSeries(life.get());
  EXPECT_EQ(form_->CurrentFrameLineTool->Value(), -9000);
  form_->ShowFrame(12);
  EXPECT_EQ(form_->CurrentFrameLineTool->Value(), -9000);
  form_->SetSeries(curve_.get());
}

TEST_F(VarChartTest, TheCurveStaysWithItsOwner) {
  auto other = MakeCurve(xmFrames, cmNone, 0, 1, {{0, 0}, {8192, 0}});
  form_->SetSeries(other.get());
  EXPECT_EQ(curve_->ParentChart(), nullptr);
  EXPECT_EQ(other->ParentChart(), Chart());
  EXPECT_EQ(Chart()->SeriesCount(), 1);
  // The variable system frees its curve while it shows: the form lets go of it.
  other.reset();
  EXPECT_EQ(form_->Series(), nullptr);
  EXPECT_EQ(Chart()->SeriesCount(), 0);
  form_->Unzoom();
  form_->SetSeries(curve_.get());
  // The form goes first: the curve survives, detached.
  form_.reset();
  EXPECT_EQ(curve_->ParentChart(), nullptr);
  EXPECT_EQ(curve_->Count(), 4);
  EXPECT_DOUBLE_EQ(curve_->ValueAt(50), 5);
}
