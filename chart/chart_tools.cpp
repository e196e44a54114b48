#include "chart/chart_tools.h"

#include "chart/chart_canvas.h"
#include "chart/chart_panel.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/math_utils.h"

// ---- pens -------------------------------------------------------------------------------------

const TClass& TChartPen::StaticClass() {
  static const TClass cls = TClass::Of<TChartPen>("TChartPen", TPen::StaticClass(), &TChartPen::Publish);
  return cls;
}

void TChartPen::Publish(TPublished& published) {
  auto p = published.For<TChartPen>();
  p.Boolean("SmallDots", &TChartPen::SmallDots, &TChartPen::SetSmallDots).Default(false);
  p.Boolean("Visible", &TChartPen::Visible, &TChartPen::SetVisible).Default(true);
}

TChartPen::TChartPen(TNotifyEvent OnChangeEvent) { OnChange = std::move(OnChangeEvent); }

void TChartPen::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartPen*>(source)) {
    smallDots_ = src->smallDots_;
    visible_ = src->visible_;
  }
  TPen::Assign(source);
}

void TChartPen::SetSmallDots(bool value) {
  if (value == smallDots_) return;
  smallDots_ = value;
  Changed(false);
}

void TChartPen::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed(false);
}

const TClass& TChartHiddenPen::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartHiddenPen>("TChartHiddenPen", TChartPen::StaticClass(), &TChartHiddenPen::Publish);
  return cls;
}

void TChartHiddenPen::Publish(TPublished& published) {
  published.For<TChartHiddenPen>().Boolean("Visible", &TChartPen::Visible, &TChartPen::SetVisible).Default(false);
}

TChartHiddenPen::TChartHiddenPen(TNotifyEvent OnChangeEvent) {
  SetVisible(false);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TDottedGrayPen::StaticClass() {
  static const TClass cls =
      TClass::Of<TDottedGrayPen>("TDottedGrayPen", TChartPen::StaticClass(), &TDottedGrayPen::Publish);
  return cls;
}

void TDottedGrayPen::Publish(TPublished& published) {
  auto p = published.For<TDottedGrayPen>();
  p.Integer("Color", &TPen::Color, &TPen::SetColor).Idents(ColorIdents()).Default(clGray);
  p.Enum("Style", PenStyleInfo(), &TPen::Style, &TPen::SetStyle).Default(psDot);
}

TDottedGrayPen::TDottedGrayPen(TNotifyEvent OnChangeEvent) {
  SetColor(clGray);
  SetStyle(psDot);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TDarkGrayPen::StaticClass() {
  static const TClass cls = TClass::Of<TDarkGrayPen>("TDarkGrayPen", TChartPen::StaticClass(), &TDarkGrayPen::Publish);
  return cls;
}

void TDarkGrayPen::Publish(TPublished& published) {
  published.For<TDarkGrayPen>().Integer("Color", &TPen::Color, &TPen::SetColor).Idents(ColorIdents()).Default(clGray);
}

TDarkGrayPen::TDarkGrayPen(TNotifyEvent OnChangeEvent) {
  SetColor(clGray);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TChartAxisPen::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartAxisPen>("TChartAxisPen", TChartPen::StaticClass(), &TChartAxisPen::Publish);
  return cls;
}

void TChartAxisPen::Publish(TPublished& published) {
  published.For<TChartAxisPen>().Integer("Width", &TPen::Width, &TPen::SetWidth).Default(2);
}

TChartAxisPen::TChartAxisPen(TNotifyEvent OnChangeEvent) {
  SetWidth(2);
  OnChange = std::move(OnChangeEvent);
}

const TClass& TChartArrowPen::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartArrowPen>("TChartArrowPen", TChartPen::StaticClass(), &TChartArrowPen::Publish);
  return cls;
}

void TChartArrowPen::Publish(TPublished& published) {
  published.For<TChartArrowPen>().Integer("Color", &TPen::Color, &TPen::SetColor).Idents(ColorIdents()).Default(clWhite);
}

TChartArrowPen::TChartArrowPen(TNotifyEvent OnChangeEvent) {
  SetColor(clWhite);
  OnChange = std::move(OnChangeEvent);
}

// ---- brush ------------------------------------------------------------------------------------

const TClass& TChartBrush::StaticClass() {
  static const TClass cls = TClass::Of<TChartBrush>("TChartBrush", TBrush::StaticClass(), &TChartBrush::Publish);
  return cls;
}

void TChartBrush::Publish(TPublished& published) {
  auto p = published.For<TChartBrush>();
  p.Integer("Color", &TBrush::Color, &TBrush::SetColor).Idents(ColorIdents()).Default(clDefault);
  p.Object("Image", &TChartBrush::Image, &TChartBrush::SetImage);
  // Always stored: chart brushes start clear as often as solid, and a colour read before
  // the style makes a clear brush solid.
  p.Enum("Style", BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle).NoDefault();
}

TChartBrush::TChartBrush(TNotifyEvent OnChangeEvent) : image_(std::make_unique<TPicture>()) {
  SetColor(clDefault);
  // A new picture is a new pattern: the handle is made again.
  image_->OnChange = [this](TObject*) { Changed(); };
  OnChange = std::move(OnChangeEvent);
}

TChartBrush::~TChartBrush() {
  image_->OnChange = nullptr;
  SetBitmap(nullptr);
}

void TChartBrush::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartBrush*>(source)) {
    if (src == this) return;
    image_->Assign(src->image_.get());
  }
  TBrush::Assign(source);
}

TBitmap* TChartBrush::ImageBitmap() const {
  auto* bitmap = dynamic_cast<TBitmap*>(image_->Graphic());
  return bitmap && !bitmap->Empty() ? bitmap : nullptr;
}

// ---- shadow -----------------------------------------------------------------------------------

const TClass& TChartShadow::StaticClass() {
  static const TClass cls = TClass::Of<TChartShadow>("TChartShadow", TPersistent::StaticClass(), &TChartShadow::Publish);
  return cls;
}

void TChartShadow::Publish(TPublished& published) {
  auto p = published.For<TChartShadow>();
  p.Integer("Color", &TChartShadow::Color, &TChartShadow::SetColor).Idents(ColorIdents()).Default(clSilver);
  p.Integer("HorizSize", &TChartShadow::HorizSize, &TChartShadow::SetHorizSize).Default(0);
  p.Integer("VertSize", &TChartShadow::VertSize, &TChartShadow::SetVertSize).Default(0);
}

void TChartShadow::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartShadow*>(source)) {
    color_ = src->color_;
    horizSize_ = src->horizSize_;
    vertSize_ = src->vertSize_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TChartShadow::Changed() {
  if (OnChange) OnChange(this);
}

void TChartShadow::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TChartShadow::SetHorizSize(Integer value) {
  if (value == horizSize_) return;
  horizSize_ = value;
  Changed();
}

void TChartShadow::SetVertSize(Integer value) {
  if (value == vertSize_) return;
  vertSize_ = value;
  Changed();
}

// ---- font -------------------------------------------------------------------------------------

const TClass& TChartFont::StaticClass() {
  static const TClass cls = TClass::Of<TChartFont>("TChartFont", TFont::StaticClass(), &TChartFont::Publish);
  return cls;
}

void TChartFont::Publish(TPublished& published) {
  auto p = published.For<TChartFont>();
  p.Integer("Color", &TFont::Color, &TFont::SetColor).Idents(ColorIdents()).StoredIf(&TChartFont::IsColorStored);
  p.Integer("Height", &TFont::Height, &TFont::SetHeight).StoredIf(&TChartFont::IsHeightStored);
  p.String("Name", &TFont::Name, &TFont::SetName).StoredIf(&TChartFont::IsNameStored);
  p.Set("Style", FontStyleInfo(), &TFont::Style, &TFont::SetStyle).StoredIf(&TChartFont::IsStyleStored);
  p.Integer("InterCharSize", &TChartFont::InterCharSize, &TChartFont::SetInterCharSize).Default(0);
  p.Object("OutLine", &TChartFont::OutLine, &TChartFont::SetOutLine);
  p.Object("Shadow", &TChartFont::Shadow, &TChartFont::SetShadow);
}

TChartFont::TChartFont(TNotifyEvent OnChangeEvent, TColor DefaultColor, TFontStyles DefaultStyle)
    : outLine_(std::make_unique<TChartHiddenPen>([this](TObject* s) { SubChanged(s); })),
      shadow_(std::make_unique<TChartShadow>([this](TObject* s) { SubChanged(s); })),
      defaultColor_(DefaultColor),
      defaultStyle_(DefaultStyle) {
  SetCharset(1);
  SetName(ChartDefaultFontName);
  SetSize(ChartDefaultFontSize);
  SetColor(DefaultColor);
  SetStyle(DefaultStyle);
  OnChange = std::move(OnChangeEvent);
}

TChartFont::~TChartFont() {
  if (chartCanvas_) chartCanvas_->ForgetChartFont(this);
}

void TChartFont::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartFont*>(source)) {
    if (src == this) return;
    interCharSize_ = src->interCharSize_;
    outLine_->Assign(src->outLine_.get());
    shadow_->Assign(src->shadow_.get());
  }
  TFont::Assign(source);
}

void TChartFont::SetInterCharSize(Integer value) {
  if (value == interCharSize_) return;
  interCharSize_ = value;
  Changed(false);
}

void TChartFont::SubChanged(TObject*) { Changed(false); }

void TChartFont::KeepDefaults() {
  TFont::KeepDefaults();
  defaultColor_ = Color();
  defaultStyle_ = Style();
}

bool TChartFont::IsHeightStored() const { return Height() != -MulDiv(ChartDefaultFontSize, PixelsPerInch(), 72); }
bool TChartFont::IsNameStored() const { return Name() != ChartDefaultFontName; }
bool TChartFont::IsStyleStored() const { return !(Style() == defaultStyle_); }
bool TChartFont::IsColorStored() const { return Color() != defaultColor_; }

// ---- 3D view options --------------------------------------------------------------------------

const TClass& TView3DOptions::StaticClass() {
  static const TClass cls =
      TClass::Of<TView3DOptions>("TView3DOptions", TPersistent::StaticClass(), &TView3DOptions::Publish);
  return cls;
}

void TView3DOptions::Publish(TPublished& published) {
  auto p = published.For<TView3DOptions>();
  p.Integer("Elevation", &TView3DOptions::Elevation, &TView3DOptions::SetElevation).Default(345);
  p.Integer("HorizOffset", &TView3DOptions::HorizOffset, &TView3DOptions::SetHorizOffset).Default(0);
  p.Boolean("Orthogonal", &TView3DOptions::Orthogonal, &TView3DOptions::SetOrthogonal).Default(true);
  p.Integer("OrthoAngle", &TView3DOptions::OrthoAngle, &TView3DOptions::SetOrthoAngle).Default(45);
  p.Integer("Perspective", &TView3DOptions::Perspective, &TView3DOptions::SetPerspective).Default(15);
  p.Integer("Rotation", &TView3DOptions::Rotation, &TView3DOptions::SetRotation).Default(345);
  p.Integer("Tilt", &TView3DOptions::Tilt, &TView3DOptions::SetTilt).Default(0);
  p.Integer("VertOffset", &TView3DOptions::VertOffset, &TView3DOptions::SetVertOffset).Default(0);
  p.Integer("Zoom", &TView3DOptions::Zoom, &TView3DOptions::SetZoom).Default(100);
  p.Boolean("ZoomText", &TView3DOptions::ZoomText, &TView3DOptions::SetZoomText).Default(true);
}

TView3DOptions::TView3DOptions(TCustomChartPanel* Panel) : panel_(Panel) {}

TPersistent* TView3DOptions::GetOwner() { return panel_; }

void TView3DOptions::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TView3DOptions*>(source)) {
    elevation_ = src->elevation_;
    horizOffset_ = src->horizOffset_;
    orthogonal_ = src->orthogonal_;
    orthoAngle_ = src->orthoAngle_;
    perspective_ = src->perspective_;
    rotation_ = src->rotation_;
    tilt_ = src->tilt_;
    vertOffset_ = src->vertOffset_;
    zoom_ = src->zoom_;
    zoomText_ = src->zoomText_;
    Repaint();
    return;
  }
  TPersistent::Assign(source);
}

void TView3DOptions::Repaint() {
  if (panel_) panel_->Invalidate();
}

void TView3DOptions::ChangeInteger(Integer& field, Integer value) {
  if (field == value) return;
  field = value;
  Repaint();
}

void TView3DOptions::SetElevation(Integer value) { ChangeInteger(elevation_, value); }
void TView3DOptions::SetOrthoAngle(Integer value) { ChangeInteger(orthoAngle_, value); }
void TView3DOptions::SetPerspective(Integer value) { ChangeInteger(perspective_, value); }
void TView3DOptions::SetRotation(Integer value) { ChangeInteger(rotation_, value); }
void TView3DOptions::SetTilt(Integer value) { ChangeInteger(tilt_, value); }

void TView3DOptions::SetHorizOffset(Integer value) {
  if (value == horizOffset_) return;
  horizOffset_ = value;
  Repaint();
  if (OnScroll) OnScroll(true);
}

void TView3DOptions::SetVertOffset(Integer value) {
  if (value == vertOffset_) return;
  vertOffset_ = value;
  Repaint();
  if (OnScroll) OnScroll(false);
}

void TView3DOptions::SetOrthogonal(bool value) {
  if (value == orthogonal_) return;
  orthogonal_ = value;
  Repaint();
}

void TView3DOptions::SetZoom(Integer value) {
  if (value == zoom_) return;
  if (OnZoom) OnZoom(value);
  zoom_ = value;
  Repaint();
}

void TView3DOptions::SetZoomText(bool value) {
  if (value == zoomText_) return;
  zoomText_ = value;
  Repaint();
}
