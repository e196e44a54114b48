#pragma once
// A chart on a form in a headless window system, for the tools: a 2D TChart of 400 x 250
// with no title, legend or axis labels, fixed axis limits, and a canvas that logs the
// primitives tools use (with the pen in force) before drawing them into a bitmap. Mouse
// events go through the chart's own window messages.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

class ToolCanvas : public TChartCanvas3D {
 public:
  struct Entry {
    std::string Op;
    std::vector<Integer> Args;
    TColor Pen = 0;
    TPenMode Mode = pmCopy;
    std::string Str() const {
      std::ostringstream s;
      s << Op;
      for (std::size_t i = 0; i < Args.size(); ++i) s << (i == 0 ? " " : ",") << Args[i];
      return s.str();
    }
  };
  std::vector<Entry> Log;

  // The entries whose Op is one of `only` (all without), as "Op a,b,...".
  std::vector<std::string> Ops(const std::vector<std::string>& only = {}) const {
    std::vector<std::string> out;
    for (const Entry& e : Log) {
      bool keep = only.empty();
      for (const std::string& o : only) keep = keep || e.Op == o;
      if (keep) out.push_back(e.Str());
    }
    return out;
  }
  const Entry* Find(const std::string& Op) const {
    for (const Entry& e : Log)
      if (e.Op == Op) return &e;
    return nullptr;
  }

  void DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) override {
    Record("Line", {X0, Y0, X1, Y1});
    TChartCanvas3D::DrawLine(X0, Y0, X1, Y1);
  }
  void ZLine3D(Integer X, Integer Y, Integer Z0, Integer Z1) override {
    Record("ZLine", {X, Y, Z0, Z1});
    TChartCanvas3D::ZLine3D(X, Y, Z0, Z1);
  }
  void VertLine3D(Integer X, Integer Top, Integer Bottom, Integer Z) override {
    Record("VLine3D", {X, Top, Bottom, Z});
    TChartCanvas3D::VertLine3D(X, Top, Bottom, Z);
  }
  void HorizLine3D(Integer Left, Integer Right, Integer Y, Integer Z) override {
    Record("HLine3D", {Left, Right, Y, Z});
    TChartCanvas3D::HorizLine3D(Left, Right, Y, Z);
  }
  void HorizontalLine(Integer X0, Integer X1, Integer Y) override {
    Record("HLine", {X0, X1, Y});
    TChartCanvas3D::HorizontalLine(X0, X1, Y);
  }
  void VerticalLine(Integer X, Integer Y0, Integer Y1) override {
    Record("VLine", {X, Y0, Y1});
    TChartCanvas3D::VerticalLine(X, Y0, Y1);
  }
  void DrawBoxRect(const TRect& R) override {
    Record("BoxRect", {R.left, R.top, R.right, R.bottom});
    TChartCanvas3D::DrawBoxRect(R);
  }
  void DrawEllipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override {
    Record("Ellipse", {X1, Y1, X2, Y2});
    TChartCanvas3D::DrawEllipse(X1, Y1, X2, Y2);
  }
  void PolygonWithZ(std::span<const TPoint> Points, Integer Z) override {
    std::vector<Integer> args;
    for (const TPoint& p : Points) {
      args.push_back(p.x);
      args.push_back(p.y);
    }
    args.push_back(Z);
    Record("PolygonZ", args);
    TChartCanvas3D::PolygonWithZ(Points, Z);
  }
  void Arrow(bool Filled, const TPoint& From, const TPoint& To, Integer HeadWidth, Integer ArrowWidth,
             Integer Z) override {
    Record("Arrow", {From.x, From.y, To.x, To.y, HeadWidth, ArrowWidth, Z});
    TChartCanvas3D::Arrow(Filled, From, To, HeadWidth, ArrowWidth, Z);
  }
  void ClipCube(const TRect& R, Integer MinZ, Integer MaxZ) override {
    Record("ClipCube", {R.left, R.top, R.right, R.bottom, MinZ, MaxZ});
    TChartCanvas3D::ClipCube(R, MinZ, MaxZ);
  }
  void StretchGraphic(const TRect& R, TGraphic* Graphic) override {
    Record("Stretch", {R.left, R.top, R.right, R.bottom});
    TChartCanvas3D::StretchGraphic(R, Graphic);
  }
  void DrawText(Integer X, Integer Y, const std::string& Text) override {
    Record("Text", {X, Y, static_cast<Integer>(Text.size())});
    TChartCanvas3D::DrawText(X, Y, Text);
  }

 private:
  void Record(const char* op, std::vector<Integer> args) {
    Entry e;
    e.Op = op;
    e.Args = std::move(args);
    e.Pen = Pen()->Color();
    e.Mode = Pen()->Mode();
    Log.push_back(std::move(e));
  }
};

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
    auto c = std::make_unique<ToolCanvas>();
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
    canvas->Log.clear();
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

  std::unique_ptr<TForm> form;
  TChart* chart = nullptr;
  ToolCanvas* canvas = nullptr;
  TBitmap target;
};
