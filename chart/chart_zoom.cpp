#include "chart/chart_zoom.h"

const TEnumInfo& ChartZoomDirectionInfo() {
  static const TEnumInfo info("TChartZoomDirection", {"tzdHorizontal", "tzdVertical", "tzdBoth"});
  return info;
}

const TEnumInfo& PanningModeInfo() {
  static const TEnumInfo info("TPanningMode", {"pmNone", "pmHorizontal", "pmVertical", "pmBoth"});
  return info;
}

const TClass& TZoomPanning::StaticClass() {
  static const TClass cls = TClass::Of<TZoomPanning>("TZoomPanning", TPersistent::StaticClass());
  return cls;
}

void TZoomPanning::Start(Integer X, Integer Y) {
  X0 = X1 = X;
  Y0 = Y1 = Y;
  Active = true;
}

const TClass& TChartZoomBrush::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartZoomBrush>("TChartZoomBrush", TChartBrush::StaticClass(), &TChartZoomBrush::Publish);
  return cls;
}

void TChartZoomBrush::Publish(TPublished& published) {
  auto p = published.For<TChartZoomBrush>();
  p.Integer("Color", &TBrush::Color, &TBrush::SetColor).Idents(ColorIdents()).Default(clWhite);
  p.Enum("Style", BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle).NoDefault();
}

TChartZoomBrush::TChartZoomBrush(TNotifyEvent OnChangeEvent) {
  SetColor(clWhite);
  SetStyle(bsClear);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TChartZoomPen::StaticClass() {
  static const TClass cls = TClass::Of<TChartZoomPen>("TChartZoomPen", TChartPen::StaticClass(), &TChartZoomPen::Publish);
  return cls;
}

void TChartZoomPen::Publish(TPublished& published) {
  published.For<TChartZoomPen>().Integer("Color", &TPen::Color, &TPen::SetColor).Idents(ColorIdents()).Default(clWhite);
}

TChartZoomPen::TChartZoomPen(TNotifyEvent OnChangeEvent) {
  SetColor(clWhite);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TChartZoom::StaticClass() {
  static const TClass cls = TClass::Of<TChartZoom>("TChartZoom", TZoomPanning::StaticClass(), &TChartZoom::Publish);
  return cls;
}

void TChartZoom::Publish(TPublished& published) {
  auto p = published.For<TChartZoom>();
  p.Boolean("Allow", &TChartZoom::Allow, &TChartZoom::SetAllow).Default(true);
  p.Boolean("Animated", &TChartZoom::Animated, &TChartZoom::SetAnimated).Default(false);
  p.Integer("AnimatedSteps", &TChartZoom::AnimatedSteps, &TChartZoom::SetAnimatedSteps).Default(8);
  p.Object("Brush", &TChartZoom::Brush, &TChartZoom::SetBrush);
  p.Enum("Direction", ChartZoomDirectionInfo(), &TChartZoom::Direction, &TChartZoom::SetDirection).Default(tzdBoth);
  p.Set("KeyShift", ShiftStateInfo(), &TChartZoom::KeyShift, &TChartZoom::SetKeyShift).Default(TShiftState{});
  p.Integer("MinimumPixels", &TChartZoom::MinimumPixels, &TChartZoom::SetMinimumPixels).Default(16);
  p.Enum("MouseButton", MouseButtonInfo(), &TChartZoom::MouseButton, &TChartZoom::SetMouseButton).Default(mbLeft);
  p.Object("Pen", &TChartZoom::Pen, &TChartZoom::SetPen);
}

TChartZoom::TChartZoom() : brush_(std::make_unique<TChartZoomBrush>()), pen_(std::make_unique<TChartZoomPen>()) {}

TChartZoom::~TChartZoom() = default;

void TChartZoom::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartZoom*>(source)) {
    allow_ = src->allow_;
    animated_ = src->animated_;
    animatedSteps_ = src->animatedSteps_;
    brush_->Assign(src->brush_.get());
    direction_ = src->direction_;
    keyShift_ = src->keyShift_;
    minimumPixels_ = src->minimumPixels_;
    mouseButton_ = src->mouseButton_;
    pen_->Assign(src->pen_.get());
    return;
  }
  TZoomPanning::Assign(source);
}
