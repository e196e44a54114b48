// The chart panels: the plotting rectangle from the margins, the shared writers and
// repaint rules, listeners and mouse dispatch, the zoom frame, background, bitmaps,
// stored properties, painting through the buffer in a real window, and framed shapes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/chart_panel.h"
#include "chart/chart_shape.h"
#include "chart/chart_utils.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/screen.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"

namespace {

// A chart that paints its background and a red box in the plotting rectangle, and
// remembers what each drawing saw.
class TProbeChart : public TCustomChartPanelExtended {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeChart>("TProbeChart", TCustomChartPanelExtended::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  explicit TProbeChart(TComponent* owner) : TCustomChartPanelExtended(owner) {}

  using TCustomChartPanel::WantsKey;

  int draws = 0;
  TRect seenBounds{0, 0, 0, 0};
  TRect seenRect{0, 0, 0, 0};
  bool fail = false;

 protected:
  void DrawContents() override {
    ++draws;
    seenBounds = ChartBounds();
    seenRect = ChartRect();
    PaintBackground(ChartBounds());
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillBox(ChartRect());
    if (fail) throw Exception("drawing failed");
  }
};

// Records what reaches it; can stop a mouse event from going further.
class Listener : public TChartEventListener {
 public:
  Listener(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void ChartEvent(TChartEvent& e) override {
    std::string what = e.Is<TChartView3DEvent>() ? "view3d" : "event";
    if (auto* m = dynamic_cast<TChartMouseEvent*>(&e)) {
      what = std::string(m->Kind == cmeDown ? "down" : m->Kind == cmeMove ? "move" : "up") + " " +
             std::to_string(m->X) + "," + std::to_string(m->Y);
      if (cancel && m->Sender) m->Sender->SetCancelMouse(true);
    }
    if (e.Sender == nullptr) what += " (no sender)";
    log_.push_back(name_ + " " + what);
  }
  bool cancel = false;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

struct Target {
  TBitmap bmp;
  Target(int w, int h) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
  }
  TColor At(int x, int y) { return bmp.Canvas()->Pixels(x, y) & 0xFFFFFF; }
};

}  // namespace

// ---- plotting rectangle -------------------------------------------------------------------------

TEST(ChartPanelRect, MarginsGiveThePlottingRectangle) {
  TProbeChart chart(nullptr);
  EXPECT_EQ(chart.Width(), 400);
  EXPECT_EQ(chart.Height(), 250);
  Target t(400, 250);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  // 3, 4, 3, 4 percent of 400 x 250.
  EXPECT_EQ(chart.seenRect.left, 12);
  EXPECT_EQ(chart.seenRect.top, 10);
  EXPECT_EQ(chart.seenRect.right, 388);
  EXPECT_EQ(chart.seenRect.bottom, 240);
  EXPECT_EQ(chart.ChartWidth(), 376);
  EXPECT_EQ(chart.ChartHeight(), 230);
  EXPECT_EQ(chart.ChartXCenter(), 200);
  EXPECT_EQ(chart.ChartYCenter(), 125);
  // The contents reached the target through the buffer.
  EXPECT_EQ(t.At(12, 10), clRed);
  EXPECT_EQ(t.At(387, 239), clRed);
  EXPECT_NE(t.At(11, 10), clRed);

  // The border comes off every side before the margins.
  chart.SetBorderWidth(5);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  EXPECT_EQ(chart.seenRect.left, 17);
  EXPECT_EQ(chart.seenRect.top, 15);
  EXPECT_EQ(chart.seenRect.right, 383);
  EXPECT_EQ(chart.seenRect.bottom, 235);

  // Unbuffered, the frame is the target rectangle itself.
  chart.SetBorderWidth(0);
  chart.Canvas()->WriteBuffered(false);
  Target big(600, 400);
  chart.DrawTo(big.bmp.Canvas(), TRect{100, 50, 500, 300});
  EXPECT_EQ(chart.seenRect.left, 112);
  EXPECT_EQ(chart.seenRect.top, 60);
  EXPECT_EQ(chart.seenRect.right, 488);
  EXPECT_EQ(chart.seenRect.bottom, 290);
}

TEST(ChartPanelRect, EmptyAndCrossedSidesGetASize) {
  TProbeChart chart(nullptr);
  // Top and bottom meet at 125: the height becomes the control's.
  chart.SetMarginTop(50);
  chart.SetMarginBottom(50);
  chart.ApplyMargins(TRect{0, 0, 400, 250});
  EXPECT_EQ(chart.ChartRect().top, 125);
  EXPECT_EQ(chart.ChartRect().bottom, 375);
  EXPECT_EQ(chart.ChartHeight(), 250);
  // Left passes right: one pixel wide.
  chart.SetMarginLeft(60);
  chart.SetMarginRight(60);
  chart.ApplyMargins(TRect{0, 0, 400, 250});
  EXPECT_EQ(chart.ChartRect().left, 240);
  EXPECT_EQ(chart.ChartRect().right, 241);
  EXPECT_EQ(chart.ChartWidth(), 1);
  // Negative margins cannot push the rectangle above or left of the bounds.
  chart.SetMarginLeft(-10);
  chart.SetMarginTop(-10);
  chart.ApplyMargins(TRect{20, 30, 420, 280});
  EXPECT_EQ(chart.ChartRect().left, 20);
  EXPECT_EQ(chart.ChartRect().top, 30);
  // A rectangle set directly gets its sizes and centre.
  chart.SetChartRect(TRect{100, 40, 301, 141});
  EXPECT_EQ(chart.ChartWidth(), 201);
  EXPECT_EQ(chart.ChartXCenter(), 200);
  EXPECT_EQ(chart.ChartYCenter(), 90);
}

TEST(ChartPanelRect, AnotherCanvasTakesOverTheDrawing) {
  // A canvas that counts the boxes it fills.
  struct Counting : TChartCanvas3D {
    int boxes = 0;
    void FillBox(const TRect& r) override {
      ++boxes;
      TChartCanvas3D::FillBox(r);
    }
  };
  TProbeChart chart(nullptr);
  chart.Canvas()->WriteBuffered(false);
  chart.SetMonochrome(true);
  auto counting = std::make_unique<Counting>();
  Counting* c = counting.get();
  chart.SetCanvas(std::move(counting));
  EXPECT_EQ(chart.Canvas(), c);
  EXPECT_FALSE(c->IsBuffered());
  EXPECT_TRUE(c->IsMonochrome());
  EXPECT_EQ(c->ReferenceCanvas(), chart.ControlCanvas());
  Target t(400, 250);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  EXPECT_EQ(c->boxes, 2);  // background and contents
  EXPECT_EQ(t.At(200, 100), clRed);
}

// ---- writers and repaints ----------------------------------------------------------------------

TEST(ChartPanelWriters, OnlyChangesMakeTheBufferStale) {
  TProbeChart chart(nullptr);
  Target t(400, 250);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  ASSERT_TRUE(chart.Canvas()->BufferValid());
  chart.SetMarginLeft(3);  // same value
  Integer field = 7;
  chart.ChangeInteger(field, 7);
  Double d = 0.5;
  chart.ChangeDouble(d, 0.5);
  std::string s = "x";
  chart.ChangeString(s, "x");
  EXPECT_TRUE(chart.Canvas()->BufferValid());
  chart.ChangeDouble(d, 0.25);
  EXPECT_EQ(d, 0.25);
  EXPECT_FALSE(chart.Canvas()->BufferValid());

  // With repainting off, Invalidate leaves the buffer alone.
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  chart.SetAutoRepaint(false);
  chart.SetMarginLeft(10);
  EXPECT_TRUE(chart.Canvas()->BufferValid());
  EXPECT_EQ(chart.MarginLeft(), 10);
}

TEST(ChartPanelWriters, ThreeDPercentOutOfRangeRaisesAndKeepsTheValue) {
  TProbeChart chart(nullptr);
  chart.SetChart3DPercent(100);
  for (Integer bad : {0, 101, -5}) {
    try {
      chart.SetChart3DPercent(bad);
      ADD_FAILURE() << bad;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "3D effect percent must be between 1 and 100");
    }
  }
  EXPECT_EQ(chart.Chart3DPercent(), 100);
  // The same check through the form property.
  EXPECT_THROW(SetOrdProp(&chart, "Chart3DPercent", 0), Exception);
  SetOrdProp(&chart, "MarginLeft", 9);
  EXPECT_EQ(chart.MarginLeft(), 9);
}

TEST(ChartPanelWriters, AssignCopiesThePanelSettings) {
  TProbeChart a(nullptr), b(nullptr);
  a.SetMarginLeft(11);
  a.SetMarginBottom(13);
  a.SetView3D(false);
  a.SetChart3DPercent(40);
  a.SetColor(clAqua);
  a.SetMonochrome(true);
  a.View3DOptions()->SetRotation(10);
  a.SetPrintMargins({1, 2, 3, 4});
  a.Canvas()->WriteBuffered(false);
  b.Assign(&a);
  EXPECT_EQ(b.MarginLeft(), 11);
  EXPECT_EQ(b.MarginBottom(), 13);
  EXPECT_FALSE(b.View3D());
  EXPECT_EQ(b.Chart3DPercent(), 40);
  EXPECT_EQ(b.Color(), clAqua);
  EXPECT_TRUE(b.Monochrome());
  EXPECT_EQ(b.View3DOptions()->Rotation(), 10);
  EXPECT_EQ(b.PrintMargins()[3], 4);
  EXPECT_FALSE(b.Canvas()->IsBuffered());
}

// ---- listeners ---------------------------------------------------------------------------------

TEST(ChartPanelListeners, MouseEventsGoInOrderUntilOneCancels) {
  win::ResetWindowSystem();
  auto form = std::make_unique<TForm>(nullptr);
  TProbeChart& chart = *new TProbeChart(form.get());
  chart.SetParent(form.get());
  std::vector<std::string> log;
  Listener first("first", log), second("second", log);
  chart.Listeners()->Add(&first);
  chart.Listeners()->Add(&second);
  chart.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    log.push_back("form down " + std::to_string(x) + "," + std::to_string(y));
  };
  chart.Perform(win::WM_LBUTTONDOWN, win::MK_LBUTTON, win::MAKELPARAM(10, 20));
  chart.Perform(win::WM_MOUSEMOVE, win::MK_LBUTTON, win::MAKELPARAM(11, 21));
  first.cancel = true;
  chart.Perform(win::WM_LBUTTONUP, 0, win::MAKELPARAM(12, 22));
  first.cancel = false;
  // The flag is cleared by the next event.
  chart.Perform(win::WM_MOUSEMOVE, 0, win::MAKELPARAM(13, 23));
  EXPECT_EQ(log, (std::vector<std::string>{"form down 10,20", "first down 10,20", "second down 10,20",
                                           "first move 11,21", "second move 11,21", "first up 12,22",
                                           "first move 13,23", "second move 13,23"}));

  // View3D tells the listeners when it changes, with the panel as sender.
  log.clear();
  chart.SetView3D(true);
  chart.SetView3D(false);
  EXPECT_EQ(log, (std::vector<std::string>{"first view3d", "second view3d"}));
  chart.Listeners()->Remove(&first);
  log.clear();
  TChartEvent plain;
  chart.NotifyListeners(plain);
  EXPECT_EQ(plain.Sender, &chart);
  EXPECT_EQ(log, (std::vector<std::string>{"second event"}));
  chart.Listeners()->Remove(&second);
  form.reset();
  win::ResetWindowSystem();
}

TEST(ChartPanelListeners, LeavingRestoresTheCursorAndStopsPanningArrowsAreWanted) {
  TProbeChart chart(nullptr);
  chart.Panning()->Start(5, 6);
  EXPECT_TRUE(chart.Panning()->Active);
  EXPECT_EQ(chart.Panning()->X1, 5);
  chart.SetCursor(crChartHand);
  chart.Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(chart.Cursor(), crDefault);
  EXPECT_FALSE(chart.Panning()->Active);
  EXPECT_TRUE(chart.WantsKey(win::VK_LEFT));
  EXPECT_TRUE(chart.WantsKey(win::VK_DOWN));
  EXPECT_FALSE(chart.WantsKey(win::VK_TAB));
}

// ---- zoom frame and background -------------------------------------------------------------------

TEST(ChartPanelZoom, ZoomFrameDrawnTwiceLeavesThePixelsAsTheyWere) {
  TProbeChart chart(nullptr);
  Target t(60, 40);
  // A background of several colours.
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) t.bmp.Canvas()->SetPixels(x, y, ((x * 37) & 0xFF) | ((y * 53) & 0xFF) << 8 | 0x400000);
  std::vector<TColor> before;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) before.push_back(t.At(x, y));
  chart.Canvas()->SetReferenceCanvas(t.bmp.Canvas());
  chart.Zoom()->Start(10, 5);
  chart.Zoom()->X1 = 40;
  chart.Zoom()->Y1 = 30;
  chart.DrawZoomFrame();
  // The white pen inverts the frame's pixels; inside and outside stay.
  EXPECT_EQ(t.At(10, 5), ~before[5 * 60 + 10] & 0xFFFFFF);
  EXPECT_EQ(t.At(39, 29), ~before[29 * 60 + 39] & 0xFFFFFF);
  EXPECT_EQ(t.At(25, 15), before[15 * 60 + 25]);
  EXPECT_EQ(t.At(40, 30), before[30 * 60 + 40]);
  chart.DrawZoomFrame();
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(t.At(x, y), before[y * 60 + x]) << x << "," << y;
  // The canvas pen is back in its usual mode.
  EXPECT_EQ(chart.Canvas()->Pen()->Mode(), pmCopy);

  TChartZoom copy;
  chart.Zoom()->SetKeyShift(TShiftState{ssCtrl});
  chart.Zoom()->SetMinimumPixels(5);
  copy.Assign(chart.Zoom());
  EXPECT_TRUE(copy.KeyShift().Contains(ssCtrl));
  EXPECT_EQ(copy.MinimumPixels(), 5);
  EXPECT_FALSE(copy.Active);
}

TEST(ChartPanelZoom, ResetZoomTellsAndClears) {
  TProbeChart chart(nullptr);
  int undone = 0;
  chart.OnUndoZoom = [&](TObject* s) {
    EXPECT_EQ(s, &chart);
    ++undone;
  };
  chart.SetZoomed(true);
  chart.ResetZoom();
  EXPECT_EQ(undone, 1);
  EXPECT_FALSE(chart.Zoomed());
}

TEST(ChartPanelBackground, ColourGradientOrNothing) {
  TProbeChart chart(nullptr);
  chart.SetMarginTop(50);
  chart.SetMarginBottom(40);  // the red box leaves rows 0..124 to the background
  Target t(400, 250);
  chart.SetColor(clAqua);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  EXPECT_EQ(t.At(200, 5), clAqua);

  chart.Gradient()->SetStartColor(clRed);
  chart.Gradient()->SetEndColor(clBlue);
  chart.Gradient()->SetVisible(true);
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  EXPECT_EQ(t.At(200, 0), clRed);

  chart.Gradient()->SetVisible(false);
  chart.SetColor(clNone);
  t.bmp.Canvas()->Brush()->SetColor(clLime);
  t.bmp.Canvas()->FillRect(TRect{0, 0, 400, 250});
  chart.Canvas()->WriteBuffered(false);  // straight onto the lime target
  chart.DrawTo(t.bmp.Canvas(), TRect{0, 0, 400, 250});
  EXPECT_EQ(t.At(200, 5), clLime);
}

TEST(ChartPanelBitmaps, RenderToBitmapAndAssignToAPicture) {
  TProbeChart chart(nullptr);
  chart.SetColor(clNone);
  std::unique_ptr<TBitmap> bmp = chart.RenderToBitmap(clYellow, TRect{0, 0, 200, 100});
  ASSERT_EQ(bmp->Width(), 200);
  ASSERT_EQ(bmp->Height(), 100);
  EXPECT_EQ(bmp->Canvas()->Pixels(1, 1) & 0xFFFFFF, clYellow);
  EXPECT_EQ(bmp->Canvas()->Pixels(100, 50) & 0xFFFFFF, clRed);
  EXPECT_TRUE(chart.Canvas()->IsBuffered());  // buffering back on afterwards

  // A failing drawing leaves the canvas pointing at the control again.
  chart.fail = true;
  EXPECT_THROW(chart.RenderToBitmap(clYellow, TRect{0, 0, 10, 10}), Exception);
  EXPECT_TRUE(chart.Canvas()->IsBuffered());
  EXPECT_EQ(chart.Canvas()->ReferenceCanvas(), chart.ControlCanvas());
  chart.fail = false;

  chart.SetColor(clGreen);
  TPicture picture;
  picture.Assign(&chart);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 400);
  EXPECT_EQ(picture.Height(), 250);
  EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(1, 1) & 0xFFFFFF, clGreen);
}

// ---- stored properties --------------------------------------------------------------------------

namespace {
const TFilerProperty* Stored(const TFilerData& data, const std::string& name) {
  for (const TFilerProperty& p : data)
    if (p.name == name) return &p;
  return nullptr;
}
}  // namespace

TEST(ChartPanelStorage, PrintMarginsAreAListOfFourAndOldZoomSettingsAreReadOnly) {
  TProbeChart chart(nullptr);
  TMemoryWriter none;
  none.WriteProperties(&chart);
  EXPECT_EQ(Stored(none.Data(), "PrintMargins"), nullptr);
  EXPECT_EQ(Stored(none.Data(), "AllowZoom"), nullptr);

  chart.SetPrintMargins({10, 15, 20, 25});
  TMemoryWriter writer;
  writer.WriteProperties(&chart);
  const TFilerProperty* margins = Stored(writer.Data(), "PrintMargins");
  ASSERT_NE(margins, nullptr);
  ASSERT_EQ(margins->values.size(), 6u);  // list begin, four integers, end
  EXPECT_EQ(margins->values[1].integer, 10);
  EXPECT_EQ(margins->values[4].integer, 25);

  TProbeChart back(nullptr);
  TMemoryReader reader(TFilerData{*margins});
  reader.ReadProperties(&back);
  EXPECT_EQ(back.PrintMargins(), (std::array<Integer, 4>{10, 15, 20, 25}));

  // Three numbers are refused and the margins stay.
  TFilerProperty shortList = *margins;
  shortList.values.erase(shortList.values.begin() + 2);
  TProbeChart bad(nullptr);
  TMemoryReader badReader(TFilerData{shortList});
  EXPECT_THROW(badReader.ReadProperties(&bad), EReadError);
  EXPECT_EQ(bad.PrintMargins(), (std::array<Integer, 4>{15, 15, 15, 15}));

  // Zoom settings of older forms land in Zoom.
  TFilerValue no;
  no.kind = TFilerValue::vaBoolean;
  no.integer = 0;
  TFilerValue steps;
  steps.kind = TFilerValue::vaInteger;
  steps.integer = 3;
  TProbeChart old(nullptr);
  TMemoryReader oldReader(TFilerData{{"AllowZoom", {no}}, {"AnimatedZoomSteps", {steps}}});
  oldReader.ReadProperties(&old);
  EXPECT_FALSE(old.Zoom()->Allow());
  EXPECT_EQ(old.Zoom()->AnimatedSteps(), 3);
  TMemoryWriter again;
  again.WriteProperties(&old);
  EXPECT_EQ(Stored(again.Data(), "AllowZoom"), nullptr);
}

// ---- a real window -----------------------------------------------------------------------------

TEST(ChartPanelWindow, PaintsFromTheBufferUntilSomethingChanges) {
  win::ResetWindowSystem();
  {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 420, 270);
    auto* chart = new TProbeChart(form.get());
    chart->SetParent(form.get());
    chart->SetBevelOuter(bvNone);
    chart->SetBounds(10, 10, 400, 250);
    chart->SetColor(clAqua);
    form->Show();
    win::PumpPendingMessages();
    win::UpdateWindow(form->Handle());
    win::UpdateWindow(chart->Handle());
    const int first = chart->draws;
    EXPECT_GE(first, 1);
    win::WindowImage img;
    ASSERT_TRUE(win::CaptureWindow(chart->Handle(), &img));
    EXPECT_EQ(img.At(200, 100), 0x0000FFu);  // red, COLORREF
    EXPECT_EQ(img.At(5, 5), static_cast<win::COLORREF>(clAqua));

    // Uncovering the window repaints from the buffer, without drawing.
    win::InvalidateRect(chart->Handle(), nullptr, 0);
    win::UpdateWindow(chart->Handle());
    EXPECT_EQ(chart->draws, first);
    ASSERT_TRUE(win::CaptureWindow(chart->Handle(), &img));
    EXPECT_EQ(img.At(200, 100), 0x0000FFu);

    // A change draws again.
    chart->SetMarginTop(30);
    win::UpdateWindow(chart->Handle());
    EXPECT_EQ(chart->draws, first + 1);
    ASSERT_TRUE(win::CaptureWindow(chart->Handle(), &img));
    EXPECT_EQ(img.At(200, 50), static_cast<win::COLORREF>(clAqua));
  }
  win::ResetWindowSystem();
}

TEST(ChartPanelWindow, HandCursorRegisteredWhileChartsLive) {
  ASSERT_NE(Screen, nullptr);
  const win::HCURSOR hand = win::LoadCursor(nullptr, win::IDC_HAND);
  {
    TProbeChart a(nullptr);
    TProbeChart b(nullptr);
    EXPECT_EQ(Screen->Cursors(crChartHand), hand);
  }
  EXPECT_NE(Screen->Cursors(crChartHand), hand);
}

// ---- framed shapes ------------------------------------------------------------------------------

TEST(ChartShapes, ShadowFrameFillAndTransparency) {
  TProbeChart chart(nullptr);
  Target t(60, 40);
  chart.Canvas()->SetReferenceCanvas(t.bmp.Canvas());
  TChartCustomShape shape(&chart);
  shape.Frame()->SetColor(clBlue);
  shape.SetColor(clYellow);
  shape.SetShadowColor(clBlack);
  shape.SetShadowSize(3);
  shape.DrawRectRotated(TRect{10, 10, 30, 20});
  EXPECT_EQ(t.At(10, 10), clBlue);    // frame
  EXPECT_EQ(t.At(29, 19), clBlue);
  EXPECT_EQ(t.At(20, 15), clYellow);  // fill
  // The shadow sits ShadowSize plus the frame's width lower right, the shape's size.
  EXPECT_EQ(t.At(33, 23), clBlack);
  EXPECT_EQ(t.At(14, 23), clBlack);
  EXPECT_EQ(t.At(34, 23), clWhite);
  EXPECT_EQ(t.At(33, 24), clWhite);
  EXPECT_EQ(t.At(13, 23), clWhite);

  // Transparent: nothing at all.
  Target u(60, 40);
  chart.Canvas()->SetReferenceCanvas(u.bmp.Canvas());
  shape.SetTransparent(true);
  shape.DrawRectRotated(TRect{10, 10, 30, 20});
  EXPECT_EQ(u.At(20, 15), clWhite);
  EXPECT_EQ(u.At(10, 10), clWhite);

  // Fully see-through: blended back to the background.
  shape.SetTransparent(false);
  shape.SetTransparency(100);
  shape.DrawRectRotated(TRect{10, 10, 30, 20});
  EXPECT_EQ(u.At(20, 15), clWhite);
  EXPECT_EQ(u.At(33, 23), clWhite);
  shape.SetTransparency(0);

  // A changed shape repaints its chart.
  Target w(400, 250);
  chart.DrawTo(w.bmp.Canvas(), TRect{0, 0, 400, 250});
  ASSERT_TRUE(chart.Canvas()->BufferValid());
  shape.SetBevelWidth(2);  // same value
  EXPECT_TRUE(chart.Canvas()->BufferValid());
  shape.Font()->SetSize(14);
  EXPECT_FALSE(chart.Canvas()->BufferValid());
}

TEST(ChartShapes, RotatedShapesTurnAboutTheirCentre) {
  TProbeChart chart(nullptr);
  Target t(60, 60);
  chart.Canvas()->SetReferenceCanvas(t.bmp.Canvas());
  TChartCustomShape shape(&chart);
  shape.SetShadowSize(0);
  shape.Frame()->SetVisible(false);
  shape.SetColor(clRed);
  // A wide flat box turned a quarter: tall and thin about (30, 30).
  shape.DrawRectRotated(TRect{10, 26, 50, 34}, 90);
  EXPECT_EQ(t.At(30, 14), clRed);
  EXPECT_EQ(t.At(30, 45), clRed);
  EXPECT_EQ(t.At(14, 30), clWhite);
  EXPECT_EQ(t.At(45, 30), clWhite);
}
