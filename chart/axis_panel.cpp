#include "chart/axis_panel.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_series.h"
#include "chart/chart_utils.h"

const TClass& TChartSeriesList::StaticClass() {
  static const TClass cls = TClass::Of<TChartSeriesList>("TChartSeriesList", TList::StaticClass());
  return cls;
}

const TClass& TChartAxes::StaticClass() {
  static const TClass cls = TClass::Of<TChartAxes>("TChartAxes", TList::StaticClass());
  return cls;
}

const TClass& TCustomAxisPanel::StaticClass() {
  static const TClass cls = TClass::Of<TCustomAxisPanel>("TCustomAxisPanel", TCustomChartPanelExtended::StaticClass(),
                                                         &TCustomAxisPanel::Publish);
  return cls;
}

void TCustomAxisPanel::Publish(TPublished& published) {
  auto p = published.For<TCustomAxisPanel>();
  p.Object("BottomAxis", &TCustomAxisPanel::BottomAxis, &TCustomAxisPanel::SetBottomAxis);
  p.Object("DepthAxis", &TCustomAxisPanel::DepthAxis, &TCustomAxisPanel::SetDepthAxis);
  p.Object("LeftAxis", &TCustomAxisPanel::LeftAxis, &TCustomAxisPanel::SetLeftAxis);
  p.Object("RightAxis", &TCustomAxisPanel::RightAxis, &TCustomAxisPanel::SetRightAxis);
  p.Object("TopAxis", &TCustomAxisPanel::TopAxis, &TCustomAxisPanel::SetTopAxis);
  p.Event("OnGetAxisLabel", &TCustomAxisPanel::OnGetAxisLabel);
  p.Event("OnGetNextAxisLabel", &TCustomAxisPanel::OnGetNextAxisLabel);
}

TCustomAxisPanel::TCustomAxisPanel(TComponent* AOwner) : TCustomChartPanelExtended(AOwner) {
  const bool repaint = AutoRepaint();
  SetAutoRepaint(false);
  seriesList_ = std::make_unique<TChartSeriesList>();
  axes_ = std::make_unique<TChartAxes>();

  bottomAxis_ = new TChartAxis(this);
  bottomAxis_->SetHorizontal(true);

  topAxis_ = new TChartAxis(this);
  topAxis_->SetHorizontal(true);
  topAxis_->SetOtherSide(true);

  leftAxis_ = new TChartAxis(this);
  leftAxis_->Title()->SetDefaultAngle(90);

  rightAxis_ = new TChartAxis(this);
  rightAxis_->Title()->SetDefaultAngle(270);
  rightAxis_->SetOtherSide(true);

  depthAxis_ = new TChartDepthAxis(this);
  depthAxis_->SetOtherSide(true);
  depthAxis_->SetVisible(false);
  SetAutoRepaint(repaint);
}

TCustomAxisPanel::~TCustomAxisPanel() {
  SetAutoRepaint(false);
  // Series belong to their owners; they only leave the chart here.
  while (seriesList_->Count() > 0) {
    TChartSeries* s = seriesList_->Series(seriesList_->Count() - 1);
    s->SetParentChart(nullptr);
    // A series that did not take itself out must not be visited again.
    seriesList_->Remove(s);
  }
  delete depthAxis_;
  delete rightAxis_;
  delete leftAxis_;
  delete topAxis_;
  delete bottomAxis_;
  // Custom axes outlive the chart in their collection: they stay, without a chart.
  while (axes_->Count() > 0) {
    TChartAxis* axis = axes_->Axis(axes_->Count() - 1);
    axes_->Delete(axes_->Count() - 1);
    axis->DetachChart();
  }
}

// ---- series ----------------------------------------------------------------------------

Integer TCustomAxisPanel::CountActiveSeries() const {
  Integer n = 0;
  for (Integer i = 0; i < seriesList_->Count(); ++i)
    if (seriesList_->Series(i)->Active()) ++n;
  return n;
}

void TCustomAxisPanel::AddSeries(TChartSeries* Series) {
  if (!Series || seriesList_->IndexOf(Series) >= 0) return;
  seriesList_->Add(Series);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* Series) {
  if (seriesList_->Remove(Series) >= 0) Invalidate();
}

TChartSeries* TCustomAxisPanel::GetAxisSeries(TChartAxis* Axis) const {
  TChartSeries* any = nullptr;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (!s->AssociatedToAxis(Axis)) continue;
    if (s->Active()) return s;
    if (!any) any = s;
  }
  return any;
}

// ---- axes --------------------------------------------------------------------------------

void TCustomAxisPanel::AddAxis(TChartAxis* Axis) {
  if (axes_ && axes_->IndexOf(Axis) < 0) axes_->Add(Axis);
}

void TCustomAxisPanel::RemoveAxis(TChartAxis* Axis) {
  if (axes_) axes_->Remove(Axis);
}

bool TCustomAxisPanel::HasAxisSeries(TChartAxis* Axis) const {
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Active() && (Axis->IsDepthAxis() || s->AssociatedToAxis(Axis))) return true;
  }
  return false;
}

template <class F>
Double TCustomAxisPanel::Extreme(TChartAxis* Axis, bool Largest, F Value) const {
  bool found = false;
  Double result = 0;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    // The depth axis is nobody's horizontal or vertical axis: every active series counts.
    if (!s->Active() || (!Axis->IsDepthAxis() && !s->AssociatedToAxis(Axis))) continue;
    const Double v = Value(s);
    if (!found || (Largest ? v > result : v < result)) result = v;
    found = true;
  }
  return result;
}

Double TCustomAxisPanel::MinXValue(TChartAxis* Axis) const {
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinXValue(); });
}

Double TCustomAxisPanel::MaxXValue(TChartAxis* Axis) const {
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxXValue(); });
}

Double TCustomAxisPanel::MinYValue(TChartAxis* Axis) const {
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinYValue(); });
}

Double TCustomAxisPanel::MaxYValue(TChartAxis* Axis) const {
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxYValue(); });
}

Double TCustomAxisPanel::MinZValue(TChartAxis* Axis) const {
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinZValue(); });
}

Double TCustomAxisPanel::MaxZValue(TChartAxis* Axis) const {
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxZValue(); });
}

Integer TCustomAxisPanel::MultiLineTextWidth(const std::string& Text, Integer& NumLines) const {
  NumLines = 0;
  Integer widest = 0;
  TChartCanvas3D* canvas = Canvas();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find(ChartLineSeparator, start);
    const std::string line = Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    ++NumLines;
    if (canvas && canvas->ReferenceCanvas()) widest = std::max(widest, canvas->MeasureTextWidth(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return widest;
}
