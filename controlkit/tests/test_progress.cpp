// Meters: value arithmetic (range, rounding, clamping), the filled part in pixels for each
// direction, the minimum redraw step, the small bar's blocks and auto-size, the two-colour
// text, and the published properties through a form file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_meter.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 300, 120);
    form_->SetColor(clWhite);
    meter_ = new TKitProgress(form_.get());
    meter_->SetParent(form_.get());
    meter_->Bevel()->SetStyleOuter(TKitBevelStyle::bvNone);
    meter_->SetColor(clWhite);
    meter_->SetBarColor(clRed);
    meter_->SmallBar()->SetBarColor(clBlue);
    meter_->SmallBar()->SetAutoSize(false);
    meter_->SetBounds(10, 10, 100, 20);
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override { form_.reset(); }

  void Repaint() {
    form_->Repaint();
    win::PumpPendingMessages();
  }
  // The colour at a point of the meter (its own coordinates), as drawn on the form.
  TColor At(int x, int y) {
    win::HDC dc = win::GetDC(form_->Handle());
    const TColor c = win::GetPixel(dc, meter_->Left() + x, meter_->Top() + y) & 0xFFFFFF;
    win::ReleaseDC(form_->Handle(), dc);
    return c;
  }
  // One letter per column along row y: R red, B blue, W white, ? other.
  std::string Row(int y, int from, int to) {
    std::string s;
    for (int x = from; x < to; ++x) {
      const TColor c = At(x, y);
      s += c == 0x0000FF ? 'R' : c == 0xFF0000 ? 'B' : c == 0xFFFFFF ? 'W' : '?';
    }
    return s;
  }
  int Count(TColor color, const TRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (At(x, y) == color) ++n;
    return n;
  }

  std::unique_ptr<TForm> form_;
  TKitProgress* meter_ = nullptr;
};

}  // namespace

TEST(MeterValues, PositionUserValueAndRangeFollowEachOther) {
  TKitProgress m(nullptr);
  m.SetPosition(150);
  EXPECT_EQ(m.Position(), 100);
  EXPECT_EQ(m.UserValue(), 100);
  m.SetMaxValue(200);
  EXPECT_EQ(m.UserValue(), 100);
  EXPECT_EQ(m.Position(), 50);  // recomputed from the kept value
  m.SetPosition(150);
  EXPECT_EQ(m.Position(), 100);
  EXPECT_EQ(m.UserValue(), 200);

  m.SetUserValue(50);
  EXPECT_EQ(m.Position(), 25);
  m.SetUserValue(201);  // outside: ignored
  m.SetUserValue(-1);
  EXPECT_EQ(m.UserValue(), 50);
  EXPECT_EQ(m.Position(), 25);
}

TEST(MeterValues, BoundsSortAndPullTheValueIn) {
  TKitProgress m(nullptr);
  m.SetMaxValue(-10);  // below the minimum: swapped
  EXPECT_EQ(m.MinValue(), -10);
  EXPECT_EQ(m.MaxValue(), 0);
  EXPECT_EQ(m.UserValue(), 0);
  EXPECT_EQ(m.Position(), 100);
  m.SetMinValue(0);  // equals a bound: ignored
  EXPECT_EQ(m.MinValue(), -10);

  TKitProgress n(nullptr);
  n.SetUserValue(10);
  n.SetMinValue(50);  // the value falls out: it becomes the minimum
  EXPECT_EQ(n.MinValue(), 50);
  EXPECT_EQ(n.UserValue(), 50);
  EXPECT_EQ(n.Position(), 0);
  n.SetUserValue(90);
  n.SetMaxValue(60);  // the value falls out: it becomes the maximum
  EXPECT_EQ(n.MaxValue(), 60);
  EXPECT_EQ(n.UserValue(), 60);
  EXPECT_EQ(n.Position(), 100);
}

TEST(MeterValues, ConversionsRoundHalvesToEven) {
  TKitProgress m(nullptr);
  m.SetMaxValue(8);
  m.SetUserValue(1);  // 12.5 %
  EXPECT_EQ(m.Position(), 12);
  m.SetUserValue(3);  // 37.5 %
  EXPECT_EQ(m.Position(), 38);
  m.SetMaxValue(1);
  m.SetPosition(50);  // 0.5
  EXPECT_EQ(m.UserValue(), 0);
  m.SetMaxValue(3);
  m.SetPosition(49);
  m.SetPosition(50);  // 1.5
  EXPECT_EQ(m.UserValue(), 2);
}

TEST(MeterValues, FilledPartByDirectionAndSmallBlockSize) {
  EXPECT_EQ(KitMeterFilledPart(mdHorizontal, 100, 20, 33).right, 33);
  EXPECT_EQ(KitMeterFilledPart(mdHorizontal, 100, 20, 29).right, 29);  // no floating-point loss
  const TRect rev = KitMeterFilledPart(mdHorizontalReverse, 100, 20, 33);
  EXPECT_EQ(rev.left, 67);
  EXPECT_EQ(rev.right, 100);
  EXPECT_EQ(KitMeterFilledPart(mdVertical, 10, 50, 50).bottom, 25);
  const TRect vrev = KitMeterFilledPart(mdVerticalReverse, 10, 50, 10);
  EXPECT_EQ(vrev.top, 45);
  EXPECT_EQ(KitMeterEmptyPart(mdVerticalReverse, 10, 50, vrev).bottom, 45);
  EXPECT_EQ(KitSmallBarBlockSize(130, 3, 10), 10);
  EXPECT_EQ(KitSmallBarBlockSize(20, 3, 10), 0) << "a negative block size is 0";
}

TEST_F(ProgressTest, BarStyleFillsExactlyThePercentageOfPixels) {
  meter_->SetStyle(pgBar);
  meter_->SetPosition(33);
  EXPECT_EQ(Row(10, 0, 100), std::string(33, 'R') + std::string(67, 'W'));
  meter_->SetDirection(mdHorizontalReverse);
  Repaint();
  EXPECT_EQ(Row(10, 0, 100), std::string(67, 'W') + std::string(33, 'R'));
  meter_->SetDirection(mdVertical);
  Repaint();
  EXPECT_EQ(At(5, 5), 0x0000FFu);  // trunc(0.33 x 20) = 6 rows
  EXPECT_EQ(At(5, 6), 0xFFFFFFu);
}

TEST_F(ProgressTest, BarStyleBevelInsetsTheBarAndTextInvertsWhereTheBarPassed) {
  meter_->SetStyle(pgBar);
  meter_->Bevel()->SetStyleOuter(TKitBevelStyle::bvLowered);
  meter_->SetBounds(10, 10, 102, 22);
  Repaint();
  meter_->SetPosition(33);
  EXPECT_EQ(meter_->BarRect().left, 1);
  EXPECT_EQ(Row(10, 1, 101), std::string(33, 'R') + std::string(67, 'W'));

  meter_->SetBounds(10, 10, 200, 30);
  meter_->Font()->SetHeight(-20);
  meter_->SetAlignment(taCenter);
  meter_->SetOptionsText(toPercent);
  meter_->SetPosition(50);
  Repaint();
  const TRect bar = meter_->BarRect();
  const TRect filled = Rect(bar.left, bar.top, bar.left + 99, bar.bottom);
  const TRect empty = Rect(bar.left + 99, bar.top, bar.right, bar.bottom);
  EXPECT_GT(Count(0xFFFFFF, filled), 0) << "text over the bar in the background colour";
  EXPECT_GT(Count(0x0000FF, empty), 0) << "text over the empty part in the bar colour";
  meter_->SetOptionsText(toNoText);
  Repaint();
  EXPECT_EQ(Count(0xFFFFFF, filled), 0);
  EXPECT_EQ(Count(0x0000FF, empty), 0);
}

TEST_F(ProgressTest, SmallBarRedrawsOnlyEveryFivePercent) {
  meter_->SetBounds(10, 10, 130, 20);  // 10 blocks of 10 with 3 between
  Repaint();
  EXPECT_EQ(meter_->MinRedrawStep(), 5);
  std::vector<int> firstBlockFrom, secondBlockFrom;
  for (int p = 1; p <= 16; ++p) {
    meter_->SetPosition(p);
    if (At(5, 10) == 0xFF0000 && firstBlockFrom.empty()) firstBlockFrom.push_back(p);
    if (At(18, 10) == 0xFF0000 && secondBlockFrom.empty()) secondBlockFrom.push_back(p);
  }
  // One block is due from 6 % (0.6 rounds up) but only drawn at the next 5 % step.
  EXPECT_EQ(firstBlockFrom, std::vector<int>{10});
  EXPECT_EQ(secondBlockFrom, std::vector<int>{15});

  // A full paint draws the current position at once.
  meter_->SetPosition(0);
  meter_->SetPosition(5);
  meter_->SetPosition(8);  // one block due, within the step
  EXPECT_EQ(At(5, 10), 0xFFFFFFu);
  Repaint();
  EXPECT_EQ(At(5, 10), 0xFF0000u);

  // Percentage text needs every step; so does the plain bar.
  meter_->SetOptionsText(toPercent);
  meter_->SetStyle(pgBar);
  EXPECT_EQ(meter_->MinRedrawStep(), 1);
  meter_->SetStyle(pgSmallBar);
  EXPECT_EQ(meter_->MinRedrawStep(), 1);
  meter_->SetOptionsText(toNoText);
  meter_->SmallBar()->SetBarCount(4);
  EXPECT_EQ(meter_->MinRedrawStep(), 12);
}

TEST_F(ProgressTest, SmallBarBlocksInEachDirectionAndColourCallback) {
  meter_->SetBounds(10, 10, 130, 20);
  meter_->SetPosition(20);
  Repaint();
  // Blocks span [3 + 13i, 13(i + 1)), rows [3, 17).
  EXPECT_EQ(Row(10, 0, 30), "WWWBBBBBBBBBBWWWBBBBBBBBBBWWWW");
  EXPECT_EQ(At(5, 2), 0xFFFFFFu);
  EXPECT_EQ(At(5, 3), 0xFF0000u);
  EXPECT_EQ(At(5, 16), 0xFF0000u);
  EXPECT_EQ(At(5, 17), 0xFFFFFFu);

  meter_->SetDirection(mdHorizontalReverse);
  Repaint();
  EXPECT_EQ(Row(10, 100, 130), "WWWWWWWBBBBBBBBBBWWWBBBBBBBBBB");
  EXPECT_EQ(At(5, 10), 0xFFFFFFu);

  meter_->SetDirection(mdVertical);
  meter_->SetBounds(10, 10, 20, 130);
  Repaint();
  EXPECT_EQ(At(10, 3), 0xFF0000u);
  EXPECT_EQ(At(10, 13), 0xFFFFFFu);
  EXPECT_EQ(At(10, 16), 0xFF0000u);
  EXPECT_EQ(At(10, 29), 0xFFFFFFu);
  EXPECT_EQ(At(2, 5), 0xFFFFFFu);

  meter_->SetDirection(mdHorizontal);
  meter_->SetBounds(10, 10, 130, 20);
  meter_->SetStyle(pgSmallBarColor);
  std::vector<Integer> asked;
  meter_->OnGetColor = [&](TObject*, Integer i, TColor& c) {
    asked.push_back(i);
    c = i == 0 ? clRed : clBlue;
  };
  Repaint();
  EXPECT_EQ(asked, (std::vector<Integer>{0, 1}));
  EXPECT_EQ(Row(10, 0, 30), "WWWRRRRRRRRRRWWWBBBBBBBBBBWWWW");
}

TEST_F(ProgressTest, NegativeBlockSizeFillsTheInsetBarAndZeroCountIsOne) {
  meter_->SetBounds(10, 10, 20, 20);  // (20 - 3 x 10) / 10 < 0
  meter_->SetPosition(100);
  Repaint();
  EXPECT_EQ(Row(10, 0, 20), "WWWBBBBBBBBBBBBBBWWW");
  EXPECT_EQ(At(10, 2), 0xFFFFFFu);
  EXPECT_EQ(At(10, 3), 0xFF0000u);

  meter_->SmallBar()->SetBarCount(0);
  EXPECT_EQ(meter_->SmallBar()->BarCount(), 1);
  EXPECT_EQ(meter_->MinRedrawStep(), 50);
}

TEST_F(ProgressTest, SmallBarAutoSizeMakesWholeBlocks) {
  meter_->SmallBar()->SetAutoSize(true);
  meter_->SetBounds(10, 10, 100, 20);  // blocks of (100 - 30) / 10 = 7
  Repaint();
  EXPECT_EQ(meter_->Width(), 103);
  meter_->Bevel()->SetStyleOuter(TKitBevelStyle::bvLowered);  // extent 1 each side
  meter_->SetBounds(10, 10, 100, 20);
  Repaint();
  EXPECT_EQ(meter_->Width(), (6 + 3) * 10 + 3 + 2);
  meter_->SetAlign(alTop);  // aligned meters keep their size
  const Integer w = meter_->Width();
  Repaint();
  EXPECT_EQ(meter_->Width(), w);
}

TEST_F(ProgressTest, PublishedPropertiesSurviveAFormFile) {
  form_->SetName("F");
  meter_->SetName("Meter");
  meter_->SetStyle(pgBar);
  meter_->SetBarColor(clLime);
  meter_->SetBar3D(lsRaised);
  meter_->SetOptionsText(toCaption);
  meter_->SetUseFontColor(true);
  meter_->SetDirection(mdVerticalReverse);
  meter_->SetAlignment(taRightJustify);
  meter_->SetMinValue(-50);
  meter_->SetPosition(40);
  meter_->SetCaption("Busy");
  meter_->SmallBar()->SetBarCount(7);
  meter_->SmallBar()->SetHSpace(2);
  meter_->Font3D()->SetStyle(tdRaised);
  const std::string text = WriteComponentText(form_.get());
  EXPECT_NE(text.find("Style = pgBar"), std::string::npos) << text;
  EXPECT_NE(text.find("Bar3D = lsRaised"), std::string::npos) << text;

  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* m = dynamic_cast<TKitProgress*>(root->FindComponent("Meter"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Style(), pgBar);
  EXPECT_EQ(m->BarColor(), clLime);
  EXPECT_EQ(m->Bar3D(), lsRaised);
  EXPECT_EQ(m->OptionsText(), toCaption);
  EXPECT_TRUE(m->UseFontColor());
  EXPECT_EQ(m->Direction(), mdVerticalReverse);
  EXPECT_EQ(m->Alignment(), taRightJustify);
  EXPECT_EQ(m->MinValue(), -50);
  EXPECT_EQ(m->Position(), 40);
  // 40 % of -50 .. 100, whichever of range and position the form gives first.
  EXPECT_EQ(m->UserValue(), 10);
  EXPECT_EQ(m->Caption(), "Busy");
  EXPECT_EQ(m->SmallBar()->BarCount(), 7);
  EXPECT_EQ(m->SmallBar()->HSpace(), 2);
  EXPECT_EQ(m->Font3D()->Style(), tdRaised);
  EXPECT_EQ(m->Color(), clWhite);
  EXPECT_EQ(WriteComponentText(root.get()), text);
}

// The value follows from the position and the whole range, whatever order the form gives them in.
TEST_F(ProgressTest, AFormsRangeAndPositionGiveOneValueInAnyOrder) {
  struct Row {
    const char* properties;
    Integer min, max, value;
  };
  const Row rows[] = {
      {"Position = 40\n    MinValue = -50\n", -50, 100, 10},
      {"MinValue = -50\n    Position = 40\n", -50, 100, 10},
      {"Position = 25\n    MaxValue = 20\n    MinValue = 60\n", 20, 60, 30},
      {"MaxValue = 0\n    MinValue = 200\n    Position = 50\n", 0, 200, 100},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.properties);
    std::unique_ptr<TComponent> root = ReadComponentText(std::string("object F: TForm\n  object Meter: TKitProgress\n    ") +
                                                         r.properties + "  end\nend\n");
    auto* m = dynamic_cast<TKitProgress*>(root->FindComponent("Meter"));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->MinValue(), r.min);
    EXPECT_EQ(m->MaxValue(), r.max);
    EXPECT_EQ(m->UserValue(), r.value);
  }
}
