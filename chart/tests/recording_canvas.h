#pragma once
// The chart folder's test helpers. RecordingCanvas logs every primitive it is asked to
// draw, with the pen, pen mode and brush in force, then draws it as the real canvas would
// (into whatever reference canvas it was given). RecordingRig puts it on a chart whose
// pixels are its values; tool_rig.h puts it on a whole chart control on a form.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"
#include "platform/classlib/bitmap.h"

class RecordingCanvas : public TChartCanvas3D {
 public:
  struct Entry {
    std::string Op;
    std::vector<Integer> Args;
    std::string Text;
    TColor Pen = 0;
    TPenMode Mode = pmCopy;
    bool PenClear = false;
    TColor Brush = 0;
    bool BrushClear = false;

    // "Op a,b,c,d" (and the text in quotes when there is one).
    std::string Str() const {
      std::ostringstream s;
      s << Op;
      for (std::size_t i = 0; i < Args.size(); ++i) s << (i == 0 ? " " : ",") << Args[i];
      if (!Text.empty()) s << " '" << Text << "'";
      return s.str();
    }
  };

  std::vector<Entry> Log;

  // The log as "Op args" strings, optionally only the entries whose Op is in `only`.
  std::vector<std::string> Ops(const std::vector<std::string>& only = {}) const {
    std::vector<std::string> out;
    for (const Entry& e : Log) {
      bool keep = only.empty();
      for (const std::string& o : only) keep = keep || e.Op == o;
      if (keep) out.push_back(e.Str());
    }
    return out;
  }
  void ClearLog() { Log.clear(); }
  const Entry* Find(const std::string& Op) const {
    for (const Entry& e : Log)
      if (e.Op == Op) return &e;
    return nullptr;
  }
  const Entry* FindText(const std::string& Text) const {
    for (const Entry& e : Log)
      if (e.Op == "Text" && e.Text == Text) return &e;
    return nullptr;
  }

  void DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) override {
    Record("Line", {X0, Y0, X1, Y1});
    TChartCanvas3D::DrawLine(X0, Y0, X1, Y1);
  }
  void MoveToPoint(Integer X, Integer Y) override {
    Record("MoveTo", {X, Y});
    TChartCanvas3D::MoveToPoint(X, Y);
  }
  void LineToPoint(Integer X, Integer Y) override {
    Record("LineTo", {X, Y});
    TChartCanvas3D::LineToPoint(X, Y);
  }
  void DrawBox(Integer X1, Integer Y1, Integer X2, Integer Y2) override {
    Record("Box", {X1, Y1, X2, Y2});
    TChartCanvas3D::DrawBox(X1, Y1, X2, Y2);
  }
  void DrawEllipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override {
    Record("Ellipse", {X1, Y1, X2, Y2});
    TChartCanvas3D::DrawEllipse(X1, Y1, X2, Y2);
  }
  void DrawPolygon(std::span<const TPoint> Points) override {
    Record("Polygon", Flat(Points));
    TChartCanvas3D::DrawPolygon(Points);
  }
  void PutPixel(Integer X, Integer Y, TColor Color) override {
    Record("Pixel", {X, Y, Color});
    TChartCanvas3D::PutPixel(X, Y, Color);
  }
  void DrawText(Integer X, Integer Y, const std::string& Text) override {
    Record("Text", {X, Y}, Text);
    TChartCanvas3D::DrawText(X, Y, Text);
  }
  void DrawLineAtDepth(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Z) override {
    Record("LineZ", {X0, Y0, X1, Y1, Z});
    TChartCanvas3D::DrawLineAtDepth(X0, Y0, X1, Y1, Z);
  }
  void ClipToBox(const TRect& Rect) override {
    Record("Clip", {Rect.left, Rect.top, Rect.right, Rect.bottom});
    TChartCanvas3D::ClipToBox(Rect);
  }
  void RemoveClip() override {
    Record("Unclip", {});
    TChartCanvas3D::RemoveClip();
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
  void PolygonWithZ(std::span<const TPoint> Points, Integer Z) override {
    std::vector<Integer> args = Flat(Points);
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
  void DrawRoundBox(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override {
    Record("RoundBox", {X1, Y1, X2, Y2, X3, Y3});
    TChartCanvas3D::DrawRoundBox(X1, Y1, X2, Y2, X3, Y3);
  }

 private:
  static std::vector<Integer> Flat(std::span<const TPoint> Points) {
    std::vector<Integer> args;
    for (const TPoint& p : Points) {
      args.push_back(p.x);
      args.push_back(p.y);
    }
    return args;
  }
  void Record(const char* op, std::vector<Integer> args, const std::string& text = std::string()) {
    Entry e;
    e.Op = op;
    e.Args = std::move(args);
    e.Text = text;
    e.Pen = Pen()->Color();
    e.Mode = Pen()->Mode();
    e.PenClear = Pen()->Style() == psClear;
    e.Brush = Brush()->Color();
    e.BrushClear = Brush()->Style() == bsClear;
    Log.push_back(std::move(e));
  }
};

// Installs an unbuffered recording canvas on Chart and makes Target a 400 x 250
// 24-bit bitmap to draw the whole chart into; returns the canvas.
inline RecordingCanvas* RecordWholeChart(TCustomAxisPanel& Chart, TBitmap& Target) {
  auto c = std::make_unique<RecordingCanvas>();
  RecordingCanvas* canvas = c.get();
  Chart.SetCanvas(std::move(c));
  canvas->WriteBuffered(false);
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(400, 250);
  return canvas;
}

// ---- a chart to draw series on ------------------------------------------------------------

// A 2D chart that counts its repaint requests and draws nothing by itself.
class SeriesTestChart : public TCustomAxisPanel {
 public:
  SeriesTestChart() : TCustomAxisPanel(nullptr) { SetView3D(false); }
  int Invalidations = 0;
  void Invalidate() override {
    ++Invalidations;
    TCustomAxisPanel::Invalidate();
  }

 protected:
  void DrawContents() override {}
};

// Fixed limits on an axis, laid along the chart's plotting rectangle.
inline void PlaceAxis(TChartAxis* Axis, Double Lo, Double Hi, bool Inverted = false) {
  Axis->SetInverted(Inverted);
  Axis->SetMinMax(Lo, Hi);
  Axis->CalcScreenExtent();
  Axis->RecalcLimits();
}

// A chart whose plotting rectangle is (0, 0)-(Size, Size) and whose bottom and left axes
// run 0..Size with y growing downwards, so that a point's pixel is its value. Drawing
// goes through a RecordingCanvas into a white 24-bit bitmap.
struct RecordingRig {
  explicit RecordingRig(Integer Size = 100) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(Size + 20, Size + 20);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect{0, 0, Size + 20, Size + 20});
    auto c = std::make_unique<RecordingCanvas>();
    canvas = c.get();
    chart.SetCanvas(std::move(c));
    canvas->SetReferenceCanvas(bmp.Canvas());
    chart.SetChartRect(TRect{0, 0, Size, Size});
    Place(0, Size, 0, Size);
  }
  // X limits on the bottom axis, Y limits on the (inverted) left axis.
  void Place(Double XLo, Double XHi, Double YLo, Double YHi) {
    PlaceAxis(chart.BottomAxis(), XLo, XHi);
    PlaceAxis(chart.LeftAxis(), YLo, YHi, true);
  }
  TColor At(Integer X, Integer Y) { return bmp.Canvas()->Pixels(X, Y) & 0xFFFFFF; }

  TBitmap bmp;
  SeriesTestChart chart;
  RecordingCanvas* canvas = nullptr;
};
