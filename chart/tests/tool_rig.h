#pragma once
// A chart on a form in a headless window system, for the tools and the chart control: a
// 2D TChart of 400 x 250 with no title, legend or axes, axis limits 0..100, and a
// RecordingCanvas drawing into a bitmap. Mouse events go through the chart's own window
// messages.
#include <memory>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

struct ToolRig {
  ToolRig() {
    win::ResetWindowSystem();
    form = std::make_unique<TForm>(nullptr);
    chart = new TChart(form.get());
    chart->SetParent(form.get());
    chart->SetBounds(0, 0, 400, 250);
    chart->SetView3D(false);
    chart->Title()->SetVisible(false);
    chart->Legend()->SetVisible(false);
    for (TChartAxis* a : {chart->BottomAxis(), chart->LeftAxis(), chart->TopAxis(), chart->RightAxis()}) {
      a->SetVisible(false);
    }
    auto c = std::make_unique<RecordingCanvas>();
    canvas = c.get();
    chart->SetCanvas(std::move(c));
    chart->BottomAxis()->SetMinMax(0, 100);
    chart->LeftAxis()->SetMinMax(0, 100);
    target.SetPixelFormat(pf24bit);
    target.SetSize(400, 250);
  }
  ~ToolRig() {
    form.reset();
    win::ResetWindowSystem();
  }

  // A line series on the chart (the chart zooms only with an active series).
  TLineSeries* AddSeries(std::initializer_list<std::pair<Double, Double>> Points = {{0, 0}, {100, 100}}) {
    auto* s = new TLineSeries(form.get());
    s->SetParentChart(chart);
    for (const auto& [x, y] : Points) s->AddXY(x, y);
    return s;
  }

  // One drawing pass into the target bitmap (unbuffered, so the log is the pass's).
  void Draw() {
    canvas->ClearLog();
    canvas->WriteBuffered(false);
    chart->DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  }
  TColor At(Integer X, Integer Y) { return target.Canvas()->Pixels(X, Y) & 0xFFFFFF; }

  void Down(Integer X, Integer Y, TMouseButton Button = mbLeft) { Button_(Button, true, X, Y); }
  void Up(Integer X, Integer Y, TMouseButton Button = mbLeft) { Button_(Button, false, X, Y); }
  void Move(Integer X, Integer Y, bool LeftHeld = true) {
    chart->Perform(win::WM_MOUSEMOVE, LeftHeld ? win::MK_LBUTTON : 0, win::MAKELPARAM(X, Y));
  }
  void Button_(TMouseButton Button, bool Down, Integer X, Integer Y) {
    static const win::UINT kDown[] = {win::WM_LBUTTONDOWN, win::WM_RBUTTONDOWN, win::WM_MBUTTONDOWN};
    static const win::UINT kUp[] = {win::WM_LBUTTONUP, win::WM_RBUTTONUP, win::WM_MBUTTONUP};
    static const win::WPARAM kKey[] = {win::MK_LBUTTON, win::MK_RBUTTON, win::MK_MBUTTON};
    chart->Perform((Down ? kDown : kUp)[Button], Down ? kKey[Button] : 0, win::MAKELPARAM(X, Y));
  }

  // A tool of class T on the chart.
  template <class T>
  T* AddTool() {
    auto* tool = new T(form.get());
    tool->SetParentChart(chart);
    return tool;
  }

  std::unique_ptr<TForm> form;
  TChart* chart = nullptr;
  RecordingCanvas* canvas = nullptr;
  TBitmap target;
};
