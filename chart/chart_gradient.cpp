#include "chart/chart_gradient.h"

#include "chart/chart_canvas.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

const TEnumInfo& GradientDirectionInfo() {
  static const TEnumInfo info("TGradientDirection", {"gdTopBottom", "gdBottomTop", "gdLeftRight", "gdRightLeft",
                                                     "gdFromCenter", "gdFromTopLeft", "gdFromBottomLeft"});
  return info;
}

const TClass& TCustomChartGradient::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomChartGradient>("TCustomChartGradient", TPersistent::StaticClass(), &TCustomChartGradient::Publish);
  return cls;
}

const TClass& TChartGradient::StaticClass() {
  static const TClass cls = TClass::Of<TChartGradient>("TChartGradient", TCustomChartGradient::StaticClass());
  return cls;
}

void TCustomChartGradient::Publish(TPublished& published) {
  auto p = published.For<TCustomChartGradient>();
  p.Enum("Direction", GradientDirectionInfo(), &TCustomChartGradient::Direction, &TCustomChartGradient::SetDirection)
      .Default(gdTopBottom);
  p.Integer("EndColor", &TCustomChartGradient::EndColor, &TCustomChartGradient::SetEndColor)
      .Idents(ColorIdents())
      .Default(clYellow);
  p.Integer("MidColor", &TCustomChartGradient::MidColor, &TCustomChartGradient::SetMidColor)
      .Idents(ColorIdents())
      .Default(clNone);
  p.Integer("StartColor", &TCustomChartGradient::StartColor, &TCustomChartGradient::SetStartColor)
      .Idents(ColorIdents())
      .Default(clWhite);
  p.Boolean("Visible", &TCustomChartGradient::Visible, &TCustomChartGradient::SetVisible).Default(false);
}

TCustomChartGradient::TCustomChartGradient(TNotifyEvent OnChangeEvent) : OnChange(std::move(OnChangeEvent)) {}

void TCustomChartGradient::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartGradient*>(source)) {
    direction_ = src->direction_;
    endColor_ = src->endColor_;
    midColor_ = src->midColor_;
    startColor_ = src->startColor_;
    visible_ = src->visible_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TCustomChartGradient::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomChartGradient::SetDirection(TGradientDirection value) {
  if (value == direction_) return;
  direction_ = value;
  Changed();
}

void TCustomChartGradient::SetEndColor(TColor value) {
  if (value == endColor_) return;
  endColor_ = value;
  Changed();
}

void TCustomChartGradient::SetMidColor(TColor value) {
  if (value == midColor_) return;
  midColor_ = value;
  Changed();
}

void TCustomChartGradient::SetStartColor(TColor value) {
  if (value == startColor_) return;
  startColor_ = value;
  Changed();
}

void TCustomChartGradient::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

void TCustomChartGradient::Draw(TCanvas3D* Canvas, const TRect& Rect, Integer Radius) {
  if (Radius > 0) {
    Canvas->ClipToBox(Rect);
    win::HDC dc = Canvas->DeviceContext();
    // Clip regions are in device coordinates.
    win::POINT corners[2] = {{Rect.left, Rect.top}, {Rect.right, Rect.bottom}};
    win::LPtoDP(dc, corners, 2);
    win::HRGN round =
        win::CreateRoundRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y, Radius, Radius);
    if (round) {
      win::ExtSelectClipRgn(dc, round, win::RGN_AND);
      win::DeleteObject(round);
    }
  }
  if (midColor_ == clNone) {
    Canvas->FillGradient(Rect, startColor_, endColor_, direction_);
  } else {
    const Integer mx = Rect.left + (Rect.right - Rect.left) / 2;
    const Integer my = Rect.top + (Rect.bottom - Rect.top) / 2;
    switch (direction_) {
      case gdTopBottom:
        Canvas->FillGradient(TRect{Rect.left, Rect.top, Rect.right, my}, startColor_, midColor_, gdTopBottom);
        Canvas->FillGradient(TRect{Rect.left, my, Rect.right, Rect.bottom}, midColor_, endColor_, gdTopBottom);
        break;
      case gdBottomTop:
        Canvas->FillGradient(TRect{Rect.left, my, Rect.right, Rect.bottom}, startColor_, midColor_, gdBottomTop);
        Canvas->FillGradient(TRect{Rect.left, Rect.top, Rect.right, my}, midColor_, endColor_, gdBottomTop);
        break;
      case gdLeftRight:
        Canvas->FillGradient(TRect{Rect.left, Rect.top, mx, Rect.bottom}, startColor_, midColor_, gdLeftRight);
        Canvas->FillGradient(TRect{mx, Rect.top, Rect.right, Rect.bottom}, midColor_, endColor_, gdLeftRight);
        break;
      case gdRightLeft:
        Canvas->FillGradient(TRect{mx, Rect.top, Rect.right, Rect.bottom}, startColor_, midColor_, gdRightLeft);
        Canvas->FillGradient(TRect{Rect.left, Rect.top, mx, Rect.bottom}, midColor_, endColor_, gdRightLeft);
        break;
      default:
        Canvas->FillGradient(Rect, startColor_, endColor_, direction_);
        break;
    }
  }
  if (Radius > 0) Canvas->RemoveClip();
}
