#include "chart/color_band_tool.h"

#include <algorithm>
#include <utility>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_blend.h"
#include "chart/chart_canvas.h"

const TClass& TColorBandTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TColorBandTool>("TColorBandTool", TChartCustomToolAxis::StaticClass(), &TColorBandTool::Publish);
  return cls;
}

void TColorBandTool::Publish(TPublished& published) {
  auto p = published.For<TColorBandTool>();
  p.Object("Brush", &TCustomChartElement::Brush, &TCustomChartElement::SetBrush);
  p.Integer("Color", &TColorBandTool::Color, &TColorBandTool::SetColor).Idents(ColorIdents()).Default(clWhite);
  p.Boolean("DrawBehind", &TColorBandTool::DrawBehind, &TColorBandTool::SetDrawBehind).Default(true);
  p.Float("EndValue", &TColorBandTool::EndValue, &TColorBandTool::SetEndValue).Default(0);
  p.Object("Gradient", &TColorBandTool::Gradient, &TColorBandTool::SetGradient);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Float("StartValue", &TColorBandTool::StartValue, &TColorBandTool::SetStartValue).Default(0);
  p.Integer("Transparency", &TColorBandTool::Transparency, &TColorBandTool::SetTransparency).Default(0);
}

TColorBandTool::TColorBandTool(TComponent* AOwner)
    : TChartCustomToolAxis(AOwner), gradient_(std::make_unique<TChartGradient>([this](TObject*) { Repaint(); })) {}

TColorBandTool::~TColorBandTool() {
  gradient_->OnChange = nullptr;
  gradient_.reset();
}

bool TColorBandTool::BandRect(TRect& R) const {
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  if (!chart || !axis) return false;
  Double s = startValue_;
  Double e = endValue_;
  // S lies at the axis start: the smaller value, or the larger one on an inverted axis.
  if (axis->Inverted() ? s < e : s > e) std::swap(s, e);
  if (std::min(s, e) > axis->Maximum() || std::max(s, e) < axis->Minimum()) return false;
  R = chart->ChartRect();
  const bool hiddenPen = !Pen()->Visible();
  if (axis->Horizontal()) {
    R.left = std::max(axis->StartPixel, axis->ValueToPos(s));
    R.right = std::min(axis->EndPixel, axis->ValueToPos(e));
    if (hiddenPen) ++R.right;
  } else {
    R.top = std::max(axis->StartPixel, axis->ValueToPos(e));
    R.bottom = std::min(axis->EndPixel, axis->ValueToPos(s));
    ++R.left;
    if (hiddenPen) {
      ++R.bottom;
      ++R.right;
    }
  }
  return true;
}

void TColorBandTool::DrawBand() {
  TCustomAxisPanel* chart = ParentChart();
  TRect r;
  if (!BandRect(r)) return;
  TChartCanvas3D* canvas = chart->Canvas();
  const Integer depth = chart->Width3D();
  std::unique_ptr<TChartBlend> blend;
  if (transparency_ != 0) blend = std::make_unique<TChartBlend>(canvas, canvas->ProjectRect(r, depth));
  canvas->ApplyBrush(Brush(), color_, Brush()->Color());
  canvas->ApplyPen(Pen());
  if (gradient_->Visible() && chart->View3DOptions()->Orthogonal()) {
    gradient_->Draw(canvas, canvas->ProjectRect(TRect{r.left, r.top, r.right - 1, r.bottom - 1}, depth));
    canvas->Brush()->SetStyle(bsClear);
  }
  if (chart->View3D())
    canvas->RectangleWithZ(r, depth);
  else
    canvas->DrawBoxRect(r);
  if (blend) blend->DoBlend(transparency_);
}

void TColorBandTool::ChartEvent(TChartToolEvent Event) {
  if ((Event == cteBeforeDrawSeries && drawBehind_) || (Event == cteAfterDraw && !drawBehind_)) DrawBand();
}
