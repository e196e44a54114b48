// Spin edit: the text format and the lenient parse (table), Value with its clamping and
// change events, the bounds and precision setters, stepping with the up-down and the
// arrow keys, typing with a unit, the layout, the gauge's fill and its mouse, and the
// drop-down track bar.
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "panels/num_format.h"
#include "panels/num_spin_edit.h"
#include "panels_fixture.h"
#include "platform/classlib/clipboard.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/std_label.h"
#include "platform/win/gdi.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

namespace {

// ---- format and parse ------------------------------------------------------------------------------

TEST(SpinEditText, FormatsFixedOrFourSignificantDigitsWithTheUnitAfterABlank) {
  struct Row {
    double value;
    int precision;
    const char* unit;
    const char* text;
  };
  const Row rows[] = {
      {12.5, 2, "px", "12.50 px"}, {12.3456, -1, "", "12.35"},  {0, 2, "", "0.00"},
      {-0.125, 2, "", "-0.13"},    {100, 0, "%", "100 %"},      {2.0 / 3, 6, "", "0.666667"},
      {1234567, -1, "", "1.235E6"}, {-8192, 2, "", "-8192.00"}, {0.5, -1, "deg", "0.5 deg"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatNumValue(r.value, r.precision, r.unit), r.text) << r.value;
}

TEST(SpinEditText, StripsTheUnitOnlyWhereItFollowsTheNumber) {
  EXPECT_EQ(StripNumUnit("12.50 px", "px"), "12.50");
  EXPECT_EQ(StripNumUnit("12.50   px", "px"), "12.50");
  EXPECT_EQ(StripNumUnit("12.50 px", ""), "12.50 px");
  EXPECT_EQ(StripNumUnit("7 kg", "px"), "7");      // other unit: up to the blank
  EXPECT_EQ(StripNumUnit("5px", "px"), "5px");     // unit at position 2: kept
  EXPECT_EQ(StripNumUnit(" 5 px", "px"), "5");
  EXPECT_EQ(StripNumUnit("12", "px"), "12");
}

TEST(SpinEditText, ParsesLeniently) {
  struct Row {
    const char* text;
    const char* unit;
    double value;
  };
  const Row rows[] = {
      {".5", "", 0.5},     {"12x5", "", 12.5},      {"1 2 3", "", 123},   {"", "", 0},
      {"-", "", 0},        {"5.", "", 5},           {"12.50 px", "px", 12.5}, {"-3.25 %", "%", -3.25},
      {"7 kg", "px", 7},   {"-8192", "", -8192},    {"1,5", "", 1.5},     {"0.125", "", 0.125},
  };
  for (const Row& r : rows) EXPECT_DOUBLE_EQ(ParseNumValue(r.text, r.unit), r.value) << r.text;
  for (const char* bad : {"1.2.3", "abc", "1-2", "--"}) EXPECT_THROW(ParseNumValue(bad, ""), EConvertError) << bad;
}

// ---- the control --------------------------------------------------------------------------------------

using Log = std::vector<std::string>;

class SpinEditTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    spin_ = new TNumSpinEdit(form_.get());
    spin_->SetParent(form_.get());
    spin_->SetBounds(20, 20, 150, 20);
    spin_->OnChange = [this](TObject*) { ++changes_; };
    ShowForm();
    changes_ = 0;
  }
  void Key(int vk) {
    win::InjectKey(vk);
    win::PumpPendingMessages();
  }

  TNumSpinEdit* spin_ = nullptr;
  int changes_ = 0;
};

TEST_F(SpinEditTest, ReadingTheValueLeavesTheTextAlone) {
  EXPECT_EQ(spin_->Text(), "0.00");
  spin_->SetText("");
  changes_ = 0;
  EXPECT_EQ(spin_->Value(), 0);
  EXPECT_EQ(spin_->Text(), "");
  spin_->SetMinValue(-5);
  spin_->SetText("1.2");
  spin_->SetText("1.2.3");
  changes_ = 0;
  EXPECT_EQ(spin_->Value(), 1.2) << "the last text that parsed";
  EXPECT_EQ(spin_->Text(), "1.2.3");
  spin_->SetText(".5");
  changes_ = 0;
  EXPECT_EQ(spin_->Value(), 0.5);
  EXPECT_EQ(spin_->Text(), ".5");
  EXPECT_EQ(changes_, 0);
}

TEST_F(SpinEditTest, WritingClampsAndFiresWhenTheWrittenValueDiffers) {
  spin_->SetValue(150);
  EXPECT_EQ(spin_->Text(), "100.00");
  EXPECT_EQ(changes_, 1);
  // 150 differs from the 100 it holds, clamped or not; 100 does not.
  spin_->SetValue(150);
  EXPECT_EQ(changes_, 2);
  spin_->SetValue(100);
  EXPECT_EQ(changes_, 2);
  spin_->SetValue(-20);
  EXPECT_EQ(spin_->Text(), "0.00");
  EXPECT_EQ(changes_, 3);

  spin_->SetValueUnit("px");
  spin_->SetValue(12.5);
  EXPECT_EQ(spin_->Text(), "12.50 px");
  EXPECT_EQ(changes_, 4);
  spin_->SetPrecision(-1);
  spin_->SetValue(12.3456);
  EXPECT_EQ(spin_->Text(), "12.35 px");
  spin_->SetValueUnit("");
  EXPECT_EQ(spin_->Text(), "12.35");
  EXPECT_EQ(changes_, 5);

  // Bounds pull the value in, with one event each time it moves.
  spin_->SetMaxValue(10);
  EXPECT_EQ(spin_->Value(), 10);
  EXPECT_EQ(changes_, 6);
  spin_->SetMinValue(20);  // above the maximum: the maximum wins
  EXPECT_EQ(spin_->Value(), 10);
  spin_->SetMaxValue(100);
  spin_->SetMinValue(30);
  EXPECT_EQ(spin_->Value(), 30);
}

TEST_F(SpinEditTest, PrecisionAndTrackBarWidthAreKeptInTheirRanges) {
  spin_->SetPrecision(9);
  EXPECT_EQ(spin_->Precision(), 6);
  spin_->SetPrecision(-3);
  EXPECT_EQ(spin_->Precision(), -1);
  spin_->SetTrackBarWidth(20);
  EXPECT_EQ(spin_->TrackBarWidth(), 50);
  spin_->SetTrackBarWidth(1000);
  EXPECT_EQ(spin_->TrackBarWidth(), 300);
  spin_->SetPrecision(0);
  spin_->SetValue(7.4);
  EXPECT_EQ(spin_->Text(), "7");
}

TEST_F(SpinEditTest, UpDownClicksStepAndStopAtTheBoundsWhileTheUpDownWraps) {
  TUpDown* ud = spin_->UpDown();
  const int top = 3, bottom = ud->Height() - 3;
  spin_->SetValue(99.5);
  changes_ = 0;
  Click(ud, 6, top);
  EXPECT_EQ(spin_->Value(), 100);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(ud->Position(), 50);  // reset once the posted message is taken
  Click(ud, 6, top);
  EXPECT_EQ(spin_->Value(), 100);
  EXPECT_EQ(changes_, 1);

  // The up-down at the end of its range wraps; the value still steps down.
  Integer stepped = -1;
  spin_->OnChange = [&stepped, ud](TObject*) { stepped = ud->Position(); };
  ud->SetPosition(0);
  Click(ud, 6, bottom);
  EXPECT_EQ(stepped, 100);
  EXPECT_EQ(spin_->Value(), 99);
  EXPECT_EQ(ud->Position(), 50);

  spin_->SetIncrement(40);
  Click(ud, 6, bottom);
  Click(ud, 6, bottom);
  EXPECT_EQ(spin_->Value(), 19);
  Click(ud, 6, bottom);
  EXPECT_EQ(spin_->Value(), 0);
  // With AutoSelect the stepped text is selected.
  EXPECT_EQ(spin_->SelLength(), 4);
}

TEST_F(SpinEditTest, ArrowKeysStepAndAreConsumed) {
  spin_->SetFocus();
  win::PumpPendingMessages();
  spin_->SetValue(5);
  spin_->SetIncrement(0.5);
  Log keys;
  spin_->OnKeyDown = [&keys](TObject*, Word& key, TShiftState) { keys.push_back(std::to_string(key)); };
  Key(win::VK_UP);
  EXPECT_EQ(spin_->Text(), "5.50");
  Key(win::VK_DOWN);
  Key(win::VK_DOWN);
  EXPECT_EQ(spin_->Text(), "4.50");
  EXPECT_EQ(spin_->UpDown()->Position(), 50);
  spin_->SetValue(0.25);
  Key(win::VK_DOWN);
  EXPECT_EQ(spin_->Value(), 0);
  // OnKeyDown sees each arrow; a handler that clears the key keeps it from stepping.
  EXPECT_EQ(keys.size(), 4u);
  spin_->OnKeyDown = [](TObject*, Word& key, TShiftState) { key = 0; };
  Key(win::VK_UP);
  EXPECT_EQ(spin_->Value(), 0);
}

TEST_F(SpinEditTest, TypingWithAUnitFiresForEveryChange) {
  spin_->SetValueUnit("px");
  spin_->SetFocus();
  win::PumpPendingMessages();
  spin_->SelectAll();
  changes_ = 0;
  win::InjectText("3");
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Text(), "3");
  EXPECT_EQ(spin_->SelStart(), 1);
  win::InjectText("5");
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Text(), "35");
  EXPECT_EQ(changes_, 2);

  // Leaving with a value out of range writes the clamped one back.
  spin_->SelectAll();
  win::InjectText("250");
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Text(), "250");
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetTop(100);
  other->SetFocus();
  win::PumpPendingMessages();
  EXPECT_FALSE(spin_->Focused());
  EXPECT_EQ(spin_->Text(), "100.00 px");
}

// Reading the value (as the gauge's repaint does) leaves typed text alone; leaving writes the value back.
TEST_F(SpinEditTest, TypedTextStaysUntilLeavingWritesTheValueBack) {
  const std::tuple<const char*, const char*, const char*, double> rows[] = {
      {"", "3.2.", "3|3.|3.2|3.2.|3.20", 3.2},   {"px", "3.2.", "3|3.|3.2|3.2.|3.20 px", 3.2},
      {"", "-", "-|0.00", 0},                    {"px", "\b", "|0.00 px", 0},
      {"px", "12.5", "1|12|12.|12.5|12.50 px", 12.5}};
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  for (const auto& [unit, keys, texts, value] : rows) {
    spin_->SetValueUnit(unit);
    spin_->SetValue(1);
    spin_->SetFocus();
    win::PumpPendingMessages();
    spin_->SelectAll();
    std::string got;  // the text after each key, then after leaving
    for (const char* key = keys; *key; ++key) {
      win::InjectText(std::string(1, *key));
      win::PumpPendingMessages();
      spin_->Value();
      got += spin_->Text() + "|";
    }
    other->SetFocus();
    win::PumpPendingMessages();
    EXPECT_EQ(got + spin_->Text(), texts) << keys;
    EXPECT_DOUBLE_EQ(spin_->Value(), value) << keys;
  }
}

TEST_F(SpinEditTest, EditorDisabledKeepsTypingOutButStillSteps) {
  spin_->SetEditorEnabled(false);
  spin_->SetFocus();
  win::PumpPendingMessages();
  spin_->SelectAll();
  win::InjectText("42");
  Key(win::VK_DELETE);
  Key(win::VK_BACK);
  EXPECT_EQ(spin_->Text(), "0.00");
  // Paste and cut as messages (edit menu, code) are refused too; copy still works.
  Clipboard()->SetAsText("77");
  spin_->SelectAll();
  spin_->PasteFromClipboard();
  spin_->CutToClipboard();
  EXPECT_EQ(spin_->Text(), "0.00");
  spin_->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "0.00");
  Key(win::VK_UP);
  EXPECT_EQ(spin_->Text(), "1.00");
}

TEST_F(SpinEditTest, LayoutPutsTheButtonsRightAndTheGaugeUnderTheText) {
  auto cellHeight = [](win::HFONT font) {
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    win::SelectObject(dc, win::FontAsObject(font));
    win::TEXTMETRIC tm;
    win::GetTextMetrics(dc, &tm);
    win::DeleteDC(dc);
    return static_cast<Integer>(tm.tmHeight);
  };
  const Integer f = cellHeight(spin_->Font()->Handle());
  const Integer t = cellHeight(win::GetStockFont(win::SYSTEM_FONT));
  const Integer minHeight = std::min(t, f) / 4 + f + 4 * win::GetSystemMetrics(win::SM_CYBORDER) + 2 + 5 + 1;
  EXPECT_EQ(spin_->MinHeight(), minHeight);
  EXPECT_EQ(spin_->Height(), minHeight);  // 20 was asked for
  spin_->SetHeight(40);
  EXPECT_EQ(spin_->Height(), 40);

  EXPECT_EQ(spin_->ButtonPanel()->BoundsRect(), (TRect{150 - 4 - 29, 0, 150 - 4, 40 - 3 - 5 - 1}));
  EXPECT_EQ(spin_->UpDown()->BoundsRect(), (TRect{1, 1, 14, 31 - 2 + 1}));
  EXPECT_EQ(spin_->DropButton()->BoundsRect(), (TRect{15, 1, 28, 30}));
  EXPECT_EQ(spin_->Gauge()->BoundsRect(), (TRect{0, 40 - 4 - 5 - 1, 146, 40 - 4 - 5 - 1 + 7}));
  TRect r{};
  spin_->Perform(EM_GETRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{0, 0, spin_->ClientWidth(), spin_->ClientHeight() + 1}));

  spin_->SetGuageHeight(9);
  EXPECT_EQ(spin_->Gauge()->BoundsRect(), (TRect{0, 40 - 4 - 9 - 1, 146, 40 - 4 - 9 - 1 + 11}));
  spin_->SetTrackBarEnabled(false);
  EXPECT_FALSE(spin_->DropButton()->Visible());
  EXPECT_EQ(spin_->ButtonPanel()->BoundsRect(), (TRect{150 - 4 - 16, 0, 150 - 4, 40 - 3 - 9 - 1}));
}

// ---- the gauge --------------------------------------------------------------------------------------------

class GaugeTest : public SpinEditTest {
 protected:
  // The gauge's pixels in its own coordinates.
  win::COLORREF G(const win::WindowImage& img, int x, int y) {
    TPoint o = spin_->Gauge()->ClientOrigin();
    TPoint f = form_->ClientOrigin();
    return img.At(o.x - f.x + x, o.y - f.y + y);
  }
};

TEST(GaugeArithmetic, WeightIsClampedAndColoursBlendPerChannel) {
  const TGaugeRange r = MakeGaugeRange(0, 0, 0, 100);
  EXPECT_EQ(GaugeWeight(50, r, false, 0), 129);
  EXPECT_EQ(GaugeWeight(100, r, false, 0), 256);  // round(257) clamped
  EXPECT_EQ(GaugeWeight(500, r, false, 0), 256);
  EXPECT_EQ(GaugeWeight(-500, r, false, 0), 0);
  EXPECT_EQ(GaugeWeight(75, r, true, 50), 129);
  EXPECT_EQ(GaugeWeight(25, r, true, 50), 129);
  EXPECT_EQ(GaugeColor(0x800000, 0x0000FF, 129), 0x400080);  // navy toward red
  EXPECT_EQ(GaugeColor(0x800000, 0x0000FF, 256), 0x0000FF);
  EXPECT_EQ(GaugeColor(0x800000, 0x0000FF, 0), 0x800000);
  EXPECT_EQ(GaugeColor(0x102030, 0x302010, 100), 0x1C2024);
  const TGaugeRange g = MakeGaugeRange(-240, 240, -8192, 8192);
  EXPECT_EQ(g.Min, -240);
  EXPECT_EQ(g.Span, 480);
  EXPECT_EQ(MakeGaugeRange(0, 0, 5, 5).Span, 100);
  EXPECT_EQ(GaugePixel(50, r, 146), 74);
  EXPECT_EQ(GaugePixel(1000, r, 146), 146);
  EXPECT_EQ(GaugeValueAt(0, 146, r, 0), 0);
  EXPECT_DOUBLE_EQ(GaugeValueAt(71, 146, r, 0), 50);
  EXPECT_DOUBLE_EQ(GaugeValueAt(72, 146, r, 5), 50);
  EXPECT_DOUBLE_EQ(GaugeValueAt(10, 2, r, 0), 1100);  // too narrow: no division by zero
}

TEST_F(GaugeTest, BarRunsFromTheLeftToTheValueInTheBlendedColour) {
  spin_->SetValue(50);
  win::WindowImage img = Capture();
  const Integer w = spin_->Gauge()->Width(), h = spin_->Gauge()->Height();
  ASSERT_EQ(w, 146);
  const win::COLORREF bar = 0x400080;  // red 128, blue 64: weight 129 from navy to red
  EXPECT_EQ(G(img, 1, 3), bar);
  EXPECT_EQ(G(img, 73, 3), bar);
  EXPECT_EQ(G(img, 74, 3), 0xFFFFFFu);  // x = round(50 x 146 / 100 + 1) = 74
  EXPECT_EQ(G(img, 0, 3), 0xC0C0C0u);   // the frame
  EXPECT_EQ(G(img, 30, 0), 0xC0C0C0u);
  EXPECT_EQ(G(img, 30, h - 2), bar);
  EXPECT_EQ(G(img, w - 1, 3), 0xC0C0C0u);

  // Past the gauge's own range the bar is full and exactly the end colour.
  spin_->SetGaugeMaxValue(10);
  img = Capture();
  EXPECT_EQ(G(img, 1, 3), 0x0000FFu);
  EXPECT_EQ(G(img, w - 2, 3), 0x0000FFu);
}

TEST_F(GaugeTest, AroundACentreTheBarGrowsFromTheCentreLine) {
  spin_->SetGaugeAroundCenter(50);
  spin_->SetValue(25);
  win::WindowImage img = Capture();
  // x = round(25 x 146 / 100 + 1) = 38, xc = 74; weight round(25 x 256 / 50 + 1) = 129.
  EXPECT_EQ(G(img, 37, 3), 0xFFFFFFu);
  EXPECT_EQ(G(img, 38, 3), 0x400080u);
  EXPECT_EQ(G(img, 73, 3), 0x400080u);
  EXPECT_EQ(G(img, 74, 3), 0x000000u);  // the centre line
  EXPECT_EQ(G(img, 75, 3), 0xFFFFFFu);
  spin_->SetValue(50);
  img = Capture();
  EXPECT_EQ(G(img, 73, 3), 0xFFFFFFu);
  EXPECT_EQ(G(img, 74, 3), 0x000000u);
}

TEST_F(GaugeTest, ClickingAndDraggingTheGaugeSetsTheValue) {
  TNumGauge* g = spin_->Gauge();
  Press(g, 71, 3);
  EXPECT_DOUBLE_EQ(spin_->Value(), 50);  // (71 + 1) x 100 / 144
  EXPECT_TRUE(spin_->Focused());
  MoveTo(g, 143, 3);
  EXPECT_DOUBLE_EQ(spin_->Value(), 100);
  Release(g, -30, 3);
  EXPECT_DOUBLE_EQ(spin_->Value(), 0);
  EXPECT_EQ(spin_->SelLength(), 4);

  spin_->SetIncrementGauge(5);
  Click(g, 40, 3);
  EXPECT_DOUBLE_EQ(spin_->Value(), 30);  // 28.47 snapped
}

// Focus draws only on the text line: the caret or the selection. Under the digits the field
// shows the edit's colour and then the gauge, whatever the focus (the editor's size field:
// 2048 of 256..8192 gives x = 34 and weight 59, navy toward red: red 58, blue 99).
TEST_F(GaugeTest, FocusLeavesWhatLiesUnderTheDigitsAlone) {
  spin_->SetMinValue(256);
  spin_->SetMaxValue(8192);
  spin_->SetPrecision(0);
  spin_->SetValue(2048);
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetBounds(20, 100, 60, 20);
  const Integer lineH = FontLineHeight(spin_->Font());
  const Integer gaugeTop = spin_->Gauge()->Top();
  const Integer digitsRight = MeasureText(spin_->Font(), "2048").cx;
  ASSERT_LT(lineH, gaugeTop);
  // The spin edit's client pixels.
  auto E = [&](const win::WindowImage& img, int x, int y) {
    const TPoint o = spin_->ClientOrigin(), f = form_->ClientOrigin();
    return img.At(o.x - f.x + x, o.y - f.y + y);
  };
  const struct {
    const char* focus;
    std::function<void()> enter;
    win::COLORREF textLine;  // the text line's background right of the caret, left of the last digit's end
  } cases[] = {
      {"none", [&] { other->SetFocus(); }, 0xFFFFFF},
      {"clicked after the digits", [&] { Click(spin_, 60, 4); }, 0xFFFFFF},
      {"tabbed in", [&] { other->SetFocus(); win::PumpPendingMessages(); win::InjectKey(win::VK_TAB);
                          win::PumpPendingMessages(); }, 0x800000},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.focus);
    row.enter();
    const win::WindowImage img = Capture();
    EXPECT_EQ(spin_->Focused(), std::string(row.focus) != "none");
    EXPECT_EQ(E(img, 2, 0), row.textLine);
    for (Integer y = lineH; y < gaugeTop; ++y)
      for (Integer x = 0; x < digitsRight + 2; ++x) ASSERT_EQ(E(img, x, y), 0xFFFFFFu) << x << "," << y;
    EXPECT_EQ(G(img, 0, 3), 0xC0C0C0u);  // the gauge's frame
    EXPECT_EQ(G(img, 1, 3), 0x63003Au);
    EXPECT_EQ(G(img, 33, 3), 0x63003Au);
    EXPECT_EQ(G(img, 34, 3), 0xFFFFFFu);
  }
}

// ---- the drop-down track bar ---------------------------------------------------------------------------------

TEST_F(SpinEditTest, DropDownTrackBarOpensUnderThePressAndSetsTheValueAlongItsChannel) {
  spin_->SetValue(25);
  TSpeedButton* b = spin_->DropButton();
  TPopupForm* popup = spin_->Popup();
  TTrackBar* track = spin_->TrackBar();
  Press(b, 6, 5);
  ASSERT_TRUE(popup->Visible());
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(track->Position(), 250);
  EXPECT_EQ(popup->Width(), 150);
  // The thumb's middle is under the press point, the pop-up's top under the button.
  TRect thumb = track->ThumbRect();
  TPoint mid = track->ClientToScreen(TPoint{(thumb.left + thumb.right) / 2, 0});
  EXPECT_NEAR(mid.x, At(b, 6, 5).x, 1);
  EXPECT_EQ(popup->Top(), At(b, 0, b->Height()).y);

  TRect channel = track->ChannelRect();
  const int length = channel.right - channel.left;
  TPoint right = track->ClientToScreen(TPoint{channel.right + 20, 10});
  TPoint quarter = track->ClientToScreen(TPoint{channel.left + length * 3 / 4, 10});
  changes_ = 0;
  win::InjectMouseMove(right.x, right.y);
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Value(), 100);
  EXPECT_EQ(track->Position(), 1000);
  win::InjectMouseMove(quarter.x, quarter.y);
  win::PumpPendingMessages();
  EXPECT_NEAR(spin_->Value(), 75, 100.0 / length);
  EXPECT_EQ(changes_, 2);
  win::InjectMouseUp(win::MouseButton::Left, quarter.x, quarter.y);
  win::PumpPendingMessages();
  EXPECT_FALSE(popup->Visible());
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->GroupIndex(), 0);
}

TEST_F(SpinEditTest, VerticalTrackBarHasItsMaximumAtTheTop) {
  spin_->SetTrackBarOrientation(trVertical);
  spin_->SetMinValue(-10);
  spin_->SetMaxValue(10);
  spin_->SetIncrementGauge(1);
  TSpeedButton* b = spin_->DropButton();
  Press(b, 6, 5);
  TTrackBar* track = spin_->TrackBar();
  ASSERT_TRUE(spin_->Popup()->Visible());
  EXPECT_EQ(spin_->Popup()->Height(), 150);
  EXPECT_EQ(track->Position(), 500);  // 1000 - 500
  TRect channel = track->ChannelRect();
  TPoint top = track->ClientToScreen(TPoint{10, channel.top - 5});
  win::InjectMouseMove(top.x, top.y);
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Value(), 10);
  EXPECT_EQ(track->Position(), 0);
  TPoint low = track->ClientToScreen(TPoint{10, channel.bottom - (channel.bottom - channel.top) / 4});
  win::InjectMouseMove(low.x, low.y);
  win::PumpPendingMessages();
  EXPECT_EQ(spin_->Value(), -5);  // a quarter up the channel, snapped to whole numbers
  win::InjectMouseUp(win::MouseButton::Left, low.x, low.y);
  win::PumpPendingMessages();
  EXPECT_FALSE(spin_->Popup()->Visible());
}

}  // namespace
