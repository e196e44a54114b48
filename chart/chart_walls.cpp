#include "chart/chart_walls.h"

#include "chart/chart_panel.h"

// ---- TCustomChartWall --------------------------------------------------------------------------

const TClass& TCustomChartWall::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomChartWall>("TCustomChartWall", TChartCustomShape::StaticClass(), &TCustomChartWall::Publish);
  return cls;
}

void TCustomChartWall::Publish(TPublished& published) {
  auto p = published.For<TCustomChartWall>();
  // Each wall has its own default colour: always stored.
  p.Integer("Color", &TCustomChartWall::Color, &TCustomChartWall::SetColor).Idents(ColorIdents()).NoDefault();
  p.Boolean("Dark3D", &TCustomChartWall::Dark3D, &TCustomChartWall::SetDark3D).Default(true);
  // The frame is the wall's pen: stored once, under that name.
  p.Object("Frame", &TCustomChartWall::Frame, &TCustomChartWall::SetFrame).Stored(false);
  p.Object("Pen", &TCustomChartWall::Pen, &TCustomChartWall::SetPen);
  p.Integer("Size", &TCustomChartWall::Size, &TCustomChartWall::SetSize).Default(0);
}

TCustomChartWall::TCustomChartWall(TCustomChartPanel* ParentChart) : TChartCustomShape(ParentChart) {
  SetColor(clDefault);
}

void TCustomChartWall::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartWall*>(source)) {
    dark3D_ = src->dark3D_;
    size_ = src->size_;
  }
  TChartCustomShape::Assign(source);
}

void TCustomChartWall::SetDark3D(bool value) {
  if (value == dark3D_) return;
  dark3D_ = value;
  Repaint();
}

void TCustomChartWall::SetSize(Integer value) {
  if (value == size_) return;
  size_ = value;
  Repaint();
}

// ---- the walls ---------------------------------------------------------------------------------

const TClass& TChartWall::StaticClass() {
  static const TClass cls = TClass::Of<TChartWall>("TChartWall", TCustomChartWall::StaticClass());
  return cls;
}

TChartWall::TChartWall(TCustomChartPanel* ParentChart, TColor Color) : TCustomChartWall(ParentChart) {
  SetColor(Color);
}

namespace {
void PublishBackWall(TPublished& published) {
  auto p = published.For<TChartBackWall>();
  p.Boolean("Transparent", &TChartBackWall::Transparent, &TChartBackWall::SetTransparent).Default(true);
}
void PublishRightWall(TPublished& published) {
  auto p = published.For<TChartRightWall>();
  p.Boolean("Visible", &TChartRightWall::Visible, &TChartRightWall::SetVisible).Default(false);
}
}  // namespace

const TClass& TChartBackWall::StaticClass() {
  static const TClass cls = TClass::Of<TChartBackWall>("TChartBackWall", TChartWall::StaticClass(), &PublishBackWall);
  return cls;
}

TChartBackWall::TChartBackWall(TCustomChartPanel* ParentChart) : TChartWall(ParentChart, clSilver) {
  SetTransparent(true);
}

const TClass& TChartRightWall::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartRightWall>("TChartRightWall", TChartWall::StaticClass(), &PublishRightWall);
  return cls;
}

TChartRightWall::TChartRightWall(TCustomChartPanel* ParentChart) : TChartWall(ParentChart, clSilver) {
  SetVisible(false);
}
