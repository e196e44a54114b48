#include "chart/series_pointer.h"

#include <algorithm>
#include <array>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_element.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"

const TEnumInfo& SeriesPointerStyleInfo() {
  static const TEnumInfo info("TSeriesPointerStyle",
                              {"psRectangle", "psCircle", "psTriangle", "psDownTriangle", "psCross", "psDiagCross",
                               "psStar", "psDiamond", "psSmallDot", "psNothing"});
  return info;
}

const TClass& TSeriesPointer::StaticClass() {
  static const TClass cls =
      TClass::Of<TSeriesPointer>("TSeriesPointer", TChartCustomShapeBrushPen::StaticClass(), &TSeriesPointer::Publish);
  return cls;
}

void TSeriesPointer::Publish(TPublished& published) {
  auto p = published.For<TSeriesPointer>();
  p.Boolean("Dark3D", &TSeriesPointer::Dark3D, &TSeriesPointer::SetDark3D).Default(true);
  p.Boolean("Draw3D", &TSeriesPointer::Draw3D, &TSeriesPointer::SetDraw3D).Default(true);
  p.Integer("HorizSize", &TSeriesPointer::HorizSize, &TSeriesPointer::SetHorizSize).Default(4);
  p.Boolean("InflateMargins", &TSeriesPointer::InflateMargins, &TSeriesPointer::SetInflateMargins).Default(true);
  // Pointers call their frame Pen; forms store it once, under that name.
  p.Object("Frame", &TSeriesPointer::Frame, &TSeriesPointer::SetFrame).Stored(false);
  p.Object("Pen", &TSeriesPointer::Pen, &TSeriesPointer::SetPen);
  p.Enum("Style", SeriesPointerStyleInfo(), &TSeriesPointer::Style, &TSeriesPointer::SetStyle).Default(psRectangle);
  p.Integer("VertSize", &TSeriesPointer::VertSize, &TSeriesPointer::SetVertSize).Default(4);
}

TSeriesPointer::TSeriesPointer(TChartSeries* Series) : TChartCustomShapeBrushPen(nullptr), series_(Series) {}

void TSeriesPointer::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TSeriesPointer*>(source)) {
    dark3D_ = src->dark3D_;
    draw3D_ = src->draw3D_;
    horizSize_ = src->horizSize_;
    inflateMargins_ = src->inflateMargins_;
    style_ = src->style_;
    vertSize_ = src->vertSize_;
  }
  TChartCustomShapeBrushPen::Assign(source);
}

void TSeriesPointer::Repaint() {
  if (series_)
    series_->Repaint();
  else
    TChartCustomShapeBrushPen::Repaint();
}

void TSeriesPointer::SetDark3D(bool value) { ChangeValue(dark3D_, value); }
void TSeriesPointer::SetDraw3D(bool value) { ChangeValue(draw3D_, value); }
void TSeriesPointer::SetInflateMargins(bool value) { ChangeValue(inflateMargins_, value); }
void TSeriesPointer::SetStyle(TSeriesPointerStyle value) { ChangeValue(style_, value); }

void TSeriesPointer::SetHorizSize(Integer value) {
  if (value < 1) throw ChartException(msg::PointerSizeZero);
  ChangeValue(horizSize_, value);
}

void TSeriesPointer::SetVertSize(Integer value) {
  if (value < 1) throw ChartException(msg::PointerSizeZero);
  ChangeValue(vertSize_, value);
}

void TSeriesPointer::CalcHorizMargins(Integer& A, Integer& B) const {
  if (!Visible() || !inflateMargins_) return;
  A = std::max(A, horizSize_ + 1);
  B = std::max(B, horizSize_ + 1);
}

void TSeriesPointer::CalcVertMargins(Integer& A, Integer& B) const {
  if (!Visible() || !inflateMargins_) return;
  A = std::max(A, vertSize_ + 1);
  B = std::max(B, vertSize_ + 1);
}

void TSeriesPointer::PrepareCanvas(TCanvas3D* Canvas, TColor Colour) {
  TChartPen* pen = Pen();
  if (pen->Visible() && pen->Color() == clDefault)
    Canvas->ApplyPen(pen, Colour);
  else
    Canvas->ApplyPen(pen);
  TChartBrush* brush = Brush();
  TColor brushColour = brush->Color();
  if (brushColour == clDefault) brushColour = brush->Style() == bsSolid ? Colour : clBlack;
  Canvas->ApplyBrush(brush, brushColour);
}

namespace {

struct PointerGeometry {
  TCanvas3D* Canvas;
  bool Is3D;
  bool Solid;  // a cube or pyramid across Z0..Z1, a sphere at Z, rather than flat shapes
  bool Dark;
  Integer Z0, Z1, Z;
};

void DrawShape(const PointerGeometry& g, Integer X, Integer Y, Integer HS, Integer VS, TColor Colour,
               TSeriesPointerStyle Style) {
  TCanvas3D* c = g.Canvas;
  const Integer L = X - HS, R = X + HS, T = Y - VS, B = Y + VS;
  auto line = [&](Integer x0, Integer y0, Integer x1, Integer y1) {
    if (g.Is3D)
      c->DrawLineAtDepth(x0, y0, x1, y1, g.Z);
    else
      c->DrawLine(x0, y0, x1, y1);
  };
  auto polygon = [&](std::span<const TPoint> pts) {
    if (g.Is3D)
      c->PolygonWithZ(pts, g.Z);
    else
      c->DrawPolygon(pts);
  };
  auto cross = [&]() {
    c->Pen()->SetColor(Colour);
    line(X, T, X, B + 1);
    line(L, Y, R + 1, Y);
  };
  auto diagCross = [&]() {
    c->Pen()->SetColor(Colour);
    line(L, T, R + 1, B + 1);
    line(R, T, L - 1, B + 1);
  };
  switch (Style) {
    case psRectangle:
      if (g.Is3D && g.Solid)
        c->Cube(L, R, T, B, g.Z0, g.Z1, g.Dark);
      else if (g.Is3D)
        c->RectangleWithZ(TRect{L, T, R + 1, B + 1}, g.Z);
      else
        c->DrawBox(L, T, R + 1, B + 1);
      break;
    case psCircle:
      if (g.Is3D && g.Solid)
        c->Sphere(X, Y, g.Z, HS);
      else if (g.Is3D)
        c->EllipseWithZ(L, T, R, B, g.Z);
      else
        c->DrawEllipse(L, T, R, B);
      break;
    case psTriangle:
    case psDownTriangle: {
      const bool down = Style == psDownTriangle;
      if (g.Is3D && g.Solid) {
        // A pyramid pointing up has its apex at the top.
        c->Pyramid(true, L, down ? B : T, R, down ? T : B, g.Z0, g.Z1, g.Dark);
      } else {
        const std::array<TPoint, 3> pts = down ? std::array<TPoint, 3>{TPoint{L, T}, TPoint{R, T}, TPoint{X, B}}
                                               : std::array<TPoint, 3>{TPoint{L, B}, TPoint{R, B}, TPoint{X, T}};
        polygon(pts);
      }
      break;
    }
    case psCross: cross(); break;
    case psDiagCross: diagCross(); break;
    case psStar:
      cross();
      diagCross();
      break;
    case psDiamond: {
      const std::array<TPoint, 4> pts{TPoint{L, Y}, TPoint{X, T}, TPoint{R, Y}, TPoint{X, B}};
      polygon(pts);
      break;
    }
    case psSmallDot:
      if (g.Is3D) {
        const TPoint p = c->SpaceToScreen(X, Y, g.Z);
        c->PutPixel(p.x, p.y, Colour);
      } else {
        c->PutPixel(X, Y, Colour);
      }
      break;
    case psNothing: break;
  }
}

}  // namespace

void TSeriesPointer::Draw(Integer X, Integer Y, TColor Colour, TSeriesPointerStyle Style) {
  TCanvas3D* canvas = series_ ? series_->ParentCanvas() : nullptr;
  if (!canvas) return;
  TCustomAxisPanel* chart = series_->ParentChart();
  DrawOn(canvas, chart && chart->View3D(), X, Y, Colour, Style);
}

void TSeriesPointer::DrawOn(TCanvas3D* Canvas, bool Is3D, Integer X, Integer Y, TColor Colour,
                            TSeriesPointerStyle Style) {
  PointerGeometry g{Canvas, Is3D, draw3D_, dark3D_, 0, 0, 0};
  if (Is3D && series_) {
    g.Z0 = series_->StartZ;
    g.Z1 = series_->EndZ;
    g.Z = series_->MiddleZ;
  }
  DrawShape(g, X, Y, horizSize_, vertSize_, Colour, Style);
}

void TSeriesPointer::DrawInRect(TColor Colour, const TRect& Rect, bool Small) {
  TCanvas3D* canvas = series_ ? series_->ParentCanvas() : nullptr;
  if (!canvas) return;
  PrepareCanvas(canvas, Colour);
  const Integer w = Rect.right - Rect.left;
  const Integer h = Rect.bottom - Rect.top;
  const Integer hs = std::min(horizSize_, Small ? w / 3 : w / 2 + 1);
  const Integer vs = std::min(vertSize_, Small ? h / 3 : h / 2 + 1);
  const TPoint c = RectCenter(Rect);
  const PointerGeometry g{canvas, false, false, false, 0, 0, 0};
  DrawShape(g, c.x, c.y, hs, vs, Colour, style_);
}
