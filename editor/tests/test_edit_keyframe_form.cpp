// "Edit Values": the keyframe dialog opened from the key popup, answered through the
// answer queue: ranges from the curve, a round trip of entered values, Ok on untouched
// values and Cancel changing nothing.
#include <gtest/gtest.h>

#include <optional>

#include "editor/edit_keyframe_form.h"
#include "editor/tests/editor_fixture.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/controls.h"

namespace {

struct Seen {
  Double xMin = -1, xMax = -1, yMin = -1, yMax = -1, x = -1, y = -1;
  bool xEnabled = true;
  Integer left = 0, top = 0;
  std::string caption;
};

// Answers the dialog: records what it shows, optionally types values, returns `result`.
void AnswerDialog(Seen* seen, int result, std::optional<Double> newX = {}, std::optional<Double> newY = {}) {
  win::AnswerModalForm(result, [=](win::HWND h) {
    auto* d = dynamic_cast<TEditKeyframeForm*>(FindControl(h));
    if (!d) {
      ADD_FAILURE() << "not the keyframe dialog";
      return result;
    }
    seen->caption = d->Caption();
    seen->left = d->Left();
    seen->top = d->Top();
    seen->xMin = d->KeyframeSpin->MinValue();
    seen->xMax = d->KeyframeSpin->MaxValue();
    seen->yMin = d->PropertySpin->MinValue();
    seen->yMax = d->PropertySpin->MaxValue();
    seen->x = d->KeyframeSpin->Value();
    seen->y = d->PropertySpin->Value();
    seen->xEnabled = d->KeyframeSpin->Enabled();
    if (newX) d->KeyframeSpin->SetValue(*newX);
    if (newY) d->PropertySpin->SetValue(*newY);
    return result;
  });
}

}  // namespace

class EditKeyframeTest : public VarChartTest {
 protected:
  // The popup is asked first, then the dialog.
  void EditKey(Integer i, Seen* seen, int result, std::optional<Double> newX = {}, std::optional<Double> newY = {}) {
    win::AnswerPopupMenu(CommandOf(form_->KeyPopup, "Edit Values"));
    AnswerDialog(seen, result, newX, newY);
    RightClick(KeyPixel(i));
    win::PumpPendingMessages();
  }
};

TEST_F(EditKeyframeTest, EnteredValuesReachTheKey) {
  Seen seen;
  EditKey(1, &seen, mrOk, 70.0, 6.5);
  EXPECT_EQ(seen.caption, "Edit Keyframe");
  EXPECT_EQ(seen.x, 50);
  EXPECT_EQ(seen.y, 5);
  EXPECT_TRUE(seen.xEnabled);
  // Frame curve: frames up to 8192; values within the curve's bounds.
  EXPECT_EQ(seen.xMin, 0);
  EXPECT_EQ(seen.xMax, 8192);
  EXPECT_EQ(seen.yMin, 0);
  EXPECT_EQ(seen.yMax, 10);
  EXPECT_EQ(KeyX(1), 70);
  EXPECT_EQ(KeyY(1), 6.5);
  EXPECT_EQ(KeyY(3), 8);  // not the key before the last: the last keeps its value

  // X past the next key is kept before it; the key before the last carries the last.
  EditKey(2, &seen, mrOk, 5000.0, 9.25);
  EXPECT_LT(KeyX(2), 8192);
  EXPECT_GT(KeyX(2), 70);
  EXPECT_EQ(KeyY(2), 9.25);
  EXPECT_EQ(KeyY(3), 9.25);

  // Key 0: X cannot be edited and stays 0 whatever is entered.
  const TPoint mouse = Chart()->ClientToScreen(KeyPixel(0));
  EditKey(0, &seen, mrOk, 40.0, 1.0);
  EXPECT_FALSE(seen.xEnabled);
  EXPECT_EQ(KeyX(0), 0);
  EXPECT_EQ(KeyY(0), 1);
  // The dialog opened 64 pixels left of and above the mouse.
  EXPECT_EQ(seen.left, mouse.x - 64);
  EXPECT_EQ(seen.top, mouse.y - 64);
}

TEST_F(EditKeyframeTest, OkOnUntouchedValuesAndCancelChangeNothing) {
  // A life curve with off-grid values and a last key differing from the one before it.
  auto life = MakeCurve(xmLifePercent, cmNone, 0, 1, {{0, 0.5}, {37.125, 1.5}, {80, 0.2}, {100, 0.7}});
  curve_.swap(life);
  form_->SetSeries(curve_.get());
  Paint();
  Seen seen;
  EditKey(1, &seen, mrOk);
  // Percent X up to 100; an unclamped value above Max still fits.
  EXPECT_EQ(seen.xMax, 100);
  EXPECT_EQ(seen.yMin, 0);
  EXPECT_GE(seen.yMax, 1.5);
  EXPECT_EQ(KeyX(1), 37.125);
  EXPECT_EQ(KeyY(1), 1.5);
  EditKey(2, &seen, mrOk);
  EXPECT_EQ(KeyX(2), 80);
  EXPECT_EQ(KeyY(2), 0.2);
  EXPECT_EQ(KeyY(3), 0.7);

  EditKey(2, &seen, mrCancel, 60.0, 0.9);
  EXPECT_EQ(KeyX(2), 80);
  EXPECT_EQ(KeyY(2), 0.2);
  EXPECT_EQ(KeyY(3), 0.7);
  // The last key moves like any other, kept after its neighbour.
  EditKey(3, &seen, mrOk, 50.7, 0.4);
  EXPECT_TRUE(seen.xEnabled);
  EXPECT_EQ(KeyX(3), 81);
  EXPECT_EQ(KeyY(3), 0.4);
  form_->SetSeries(nullptr);
  curve_.swap(life);
}

TEST_F(EditKeyframeTest, ValueEntryIsQuantisedAndClamped) {
  Seen seen;
  EditKey(1, &seen, mrOk, {}, 3.14159);
  EXPECT_EQ(KeyX(1), 50);
  EXPECT_NEAR(KeyY(1), 3.14, 1e-9);
  // The curve clamps to 0..10; the box already refuses more.
  EditKey(1, &seen, mrOk, {}, 25.0);
  EXPECT_EQ(KeyY(1), 10);
}
