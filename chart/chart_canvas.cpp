#include "chart/chart_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "chart/chart_panel.h"
#include "chart/chart_utils.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/panels.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"
#include "platform/win/text/text.h"

namespace {

win::COLORREF Rgb(TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)) & 0x00FFFFFF; }

}  // namespace

// ---- TChartCanvas -------------------------------------------------------------------------

const TClass& TChartCanvas::StaticClass() {
  static const TClass cls = TClass::Of<TChartCanvas>("TChartCanvas", TObject::StaticClass());
  return cls;
}

TChartCanvas::~TChartCanvas() {
  if (chartFont_) chartFont_->SetCanvas(nullptr);
}

TColor TChartCanvas::ReadBackColor() { return static_cast<TColor>(win::GetBkColor(DeviceContext())); }

Integer TChartCanvas::ReadBackMode() { return win::GetBkMode(DeviceContext()); }

void TChartCanvas::WriteBackColor(TColor value) { win::SetBkColor(DeviceContext(), Rgb(value)); }

void TChartCanvas::WriteBackMode(Integer value) { win::SetBkMode(DeviceContext(), value); }

Integer TChartCanvas::MeasureTextWidth(const std::string& Text) {
  Integer w = reference_->TextWidth(Text);
  if (chartFont_) w += std::abs(chartFont_->Shadow()->HorizSize());
  return w;
}

Integer TChartCanvas::MeasureTextHeight(const std::string& Text) {
  Integer h = reference_->TextHeight(Text);
  if (chartFont_) h += std::abs(chartFont_->Shadow()->VertSize());
  return h;
}

void TChartCanvas::ApplyBrush(TChartBrush* Brush, TColor Color) {
  ApplyBrush(Brush, Color, IsMonochrome() ? clWhite : Color);
}

void TChartCanvas::ApplyBrush(TChartBrush* Brush, TColor Color, TColor BackColor) {
  TBrush* dst = reference_->Brush();
  const TColor color = IsMonochrome() ? clWhite : Color;
  if (TBitmap* pattern = Brush ? Brush->ImageBitmap() : nullptr) {
    // The pattern brush copies the picture's pixels: the canvas never reads the picture
    // again, so it may go while the brush is still in use.
    dst->SetBitmap(nullptr);
    dst->SetHandle(win::CreatePatternBrush(pattern->Handle()));
    patternBrush_ = true;
    win::SetTextColor(DeviceContext(), Rgb(color));
  } else {
    DropPattern();
    dst->SetColor(color);
    dst->SetStyle(Brush ? Brush->Style() : bsSolid);
  }
  WriteBackMode(cbmOpaque);
  WriteBackColor(BackColor);
}

void TChartCanvas::DropPattern() {
  TBrush* brush = reference_->Brush();
  brush->SetBitmap(nullptr);
  if (patternBrush_) brush->SetHandle(nullptr);
  patternBrush_ = false;
}

void TChartCanvas::SetSolidBrush(TColor Color) {
  DropPattern();
  reference_->Brush()->SetColor(Color);
  reference_->Brush()->SetStyle(bsSolid);
}

void TChartCanvas::ApplyPen(TPen* Pen) { ApplyPen(Pen, Pen->Color()); }

void TChartCanvas::ApplyPen(TPen* Pen, TColor Color) {
  TPen* dst = reference_->Pen();
  const TColor color = IsMonochrome() ? clBlack : Color;
  auto* chartPen = dynamic_cast<TChartPen*>(Pen);
  if (chartPen && !chartPen->Visible()) {
    dst->Assign(Pen);
    dst->SetStyle(psClear);
    return;
  }
  win::LOGBRUSH lb;
  lb.lbStyle = win::BS_SOLID;
  lb.lbColor = Rgb(color);
  if (chartPen && chartPen->SmallDots()) {
    dst->SetMode(Pen->Mode());
    dst->SetHandle(win::ExtCreatePen(win::PS_COSMETIC | win::PS_ALTERNATE, 1, &lb, 0, nullptr));
    return;
  }
  const TPenStyle style = Pen->Style();
  if (Pen->Width() > 1 && style != psSolid && style != psClear && style != psInsideFrame) {
    static constexpr win::UINT kDash[] = {win::PS_SOLID, win::PS_DASH, win::PS_DOT, win::PS_DASHDOT,
                                          win::PS_DASHDOTDOT};
    dst->SetMode(Pen->Mode());
    dst->SetHandle(win::ExtCreatePen(win::PS_GEOMETRIC | kDash[style] | win::PS_ENDCAP_SQUARE,
                                     static_cast<win::DWORD>(Pen->Width()), &lb, 0, nullptr));
    return;
  }
  dst->Assign(Pen);
  dst->SetColor(color);
}

void TChartCanvas::ApplyFont(TChartFont* Font) {
  TFont* dst = reference_->Font();
  dst->SetPixelsPerInch(Font->PixelsPerInch());
  dst->Assign(Font);
  if (IsMonochrome()) dst->SetColor(clBlack);
  win::SetTextCharacterExtra(DeviceContext(), Font->InterCharSize());
  if (chartFont_ && chartFont_ != Font) chartFont_->SetCanvas(nullptr);
  if (Font->Canvas() && Font->Canvas() != this) Font->Canvas()->ForgetChartFont(Font);
  chartFont_ = Font;
  Font->SetCanvas(this);
}

void TChartCanvas::ResetDrawingState() {
  TPen* pen = reference_->Pen();
  pen->SetColor(clBlack);
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  pen->SetMode(pmCopy);
  SetSolidBrush(clWhite);
  TFont* font = reference_->Font();
  font->SetColor(clBlack);
  font->SetSize(10);
  if (chartFont_) chartFont_->SetCanvas(nullptr);
  chartFont_ = nullptr;
  WriteBackColor(clWhite);
  WriteBackMode(cbmTransparent);
  WriteTextAlign(0);
}

// ---- TCanvas3D ----------------------------------------------------------------------------

const TClass& TCanvas3D::StaticClass() {
  static const TClass cls = TClass::Of<TCanvas3D>("TCanvas3D", TChartCanvas::StaticClass());
  return cls;
}

void TCanvas3D::CopySettings(TCanvas3D* Source) {
  if (Source) WriteMonochrome(Source->IsMonochrome());
}

TRect TCanvas3D::ProjectRect(const TRect& Rect, Integer Z) {
  const TPoint a = SpaceToScreen(Rect.left, Rect.top, Z);
  const TPoint b = SpaceToScreen(Rect.right, Rect.bottom, Z);
  return TRect{a.x, a.y, b.x, b.y};
}

// ---- TChartCanvas3D: state ------------------------------------------------------------------

const TClass& TChartCanvas3D::StaticClass() {
  static const TClass cls = TClass::Of<TChartCanvas3D>("TChartCanvas3D", TCanvas3D::StaticClass());
  return cls;
}

TChartCanvas3D::TChartCanvas3D() = default;

TChartCanvas3D::~TChartCanvas3D() {
  if (savedClip_) win::DeleteObject(savedClip_);
  // The reference canvas may be the buffer's: let it go before the buffer does.
  if (buffer_ && reference_ == buffer_->Canvas()) reference_ = nullptr;
}

win::HDC TChartCanvas3D::DeviceContext() { return reference_->Handle(); }

win::UINT TChartCanvas3D::ReadTextAlign() { return win::GetTextAlign(DeviceContext()); }

void TChartCanvas3D::WriteTextAlign(win::UINT value) { win::SetTextAlign(DeviceContext(), value); }

void TChartCanvas3D::WriteMonochrome(bool value) {
  if (value == monochrome_) return;
  monochrome_ = value;
  bufferInvalid_ = true;
  if (options_ && options_->Panel()) options_->Panel()->Invalidate();
}

void TChartCanvas3D::WriteBuffered(bool value) {
  if (value == buffered_) return;
  buffered_ = value;
  if (!buffered_) {
    if (buffer_ && reference_ == buffer_->Canvas()) reference_ = nullptr;
    buffer_.reset();
    bufferInvalid_ = true;
  }
}

void TChartCanvas3D::SetRotationCentre(Double X, Double Y, Double Z) {
  rotationCentre_[0] = X;
  rotationCentre_[1] = Y;
  rotationCentre_[2] = Z;
}

// ---- TChartCanvas3D: 2D primitives ------------------------------------------------------------

void TChartCanvas3D::PutPixel(Integer X, Integer Y, TColor Color) { reference_->SetPixels(X, Y, Color); }

void TChartCanvas3D::DrawArc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                             Integer Y4) {
  reference_->Arc(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TChartCanvas3D::DrawPie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                             Integer Y4) {
  reference_->Pie(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TChartCanvas3D::DrawDonutSlice(Integer XC, Integer YC, Integer XRadius, Integer YRadius, Double StartAngle,
                                    Double EndAngle, Integer InnerPercent, Integer OuterPercent) {
  const Double span = EndAngle - StartAngle;
  if (!std::isfinite(span)) return;
  Int64 pieces = Round(std::fabs(span) * 128.0 / std::numbers::pi);
  pieces = std::clamp<Int64>(pieces, 2, 128);
  const Double outerX = XRadius * OuterPercent * 0.01, outerY = YRadius * OuterPercent * 0.01;
  const Double innerX = XRadius * InnerPercent * 0.01, innerY = YRadius * InnerPercent * 0.01;
  std::vector<TPoint> points;
  points.reserve(static_cast<std::size_t>(2 * (pieces + 1)));
  for (Int64 i = 0; i <= pieces; ++i) {
    Double s, c;
    SinCos(StartAngle + span * static_cast<Double>(i) / static_cast<Double>(pieces), s, c);
    points.push_back(TPoint{XC + RoundToPixel(outerX * c), YC - RoundToPixel(outerY * s)});
  }
  for (Int64 i = pieces; i >= 0; --i) {
    Double s, c;
    SinCos(StartAngle + span * static_cast<Double>(i) / static_cast<Double>(pieces), s, c);
    points.push_back(TPoint{XC + RoundToPixel(innerX * c), YC - RoundToPixel(innerY * s)});
  }
  reference_->Polygon(points);
}

void TChartCanvas3D::DrawGraphic(Integer X, Integer Y, TGraphic* Graphic) { reference_->Draw(X, Y, Graphic); }

void TChartCanvas3D::StretchGraphic(const TRect& Rect, TGraphic* Graphic) { reference_->StretchDraw(Rect, Graphic); }

void TChartCanvas3D::DrawEllipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  reference_->Ellipse(X1, Y1, X2, Y2);
}

void TChartCanvas3D::FillBox(const TRect& Rect) { reference_->FillRect(Rect); }

void TChartCanvas3D::ClearBox(const TRect& Rect) { FillBox(Rect); }

void TChartCanvas3D::DrawBevelFrame(TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  reference_->Pen()->SetStyle(psSolid);
  reference_->Pen()->SetMode(pmCopy);
  Frame3D(reference_, Rect, TopColor, BottomColor, Width);
}

void TChartCanvas3D::LineToPoint(Integer X, Integer Y) { reference_->LineTo(X, Y); }

void TChartCanvas3D::MoveToPoint(Integer X, Integer Y) { reference_->MoveTo(X, Y); }

void TChartCanvas3D::DrawBox(Integer X1, Integer Y1, Integer X2, Integer Y2) { reference_->Rectangle(X1, Y1, X2, Y2); }

void TChartCanvas3D::DrawRoundBox(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  reference_->RoundRect(X1, Y1, X2, Y2, X3, Y3);
}

void TChartCanvas3D::DrawBoxRect(const TRect& Rect) {
  reference_->Rectangle(Rect.left, Rect.top, Rect.right + 1, Rect.bottom + 1);
}

void TChartCanvas3D::HorizontalLine(Integer X0, Integer X1, Integer Y) { DrawLine(X0, Y, X1, Y); }

void TChartCanvas3D::VerticalLine(Integer X, Integer Y0, Integer Y1) { DrawLine(X, Y0, X, Y1); }

void TChartCanvas3D::DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) {
  reference_->MoveTo(X0, Y0);
  reference_->LineTo(X1, Y1);
}

void TChartCanvas3D::DrawPolygon(std::span<const TPoint> Points) {
  if (!Points.empty()) reference_->Polygon(Points);
}

void TChartCanvas3D::SaveClip(win::HDC DC) {
  if (clipSaved_) return;
  // Remember the clip before the first of nested clips; RemoveClip goes back to it.
  savedClip_ = win::CreateRectRgn(0, 0, 0, 0);
  if (win::GetClipRgn(DC, savedClip_) != 1) {
    win::DeleteObject(savedClip_);
    savedClip_ = nullptr;
  }
  clipSaved_ = true;
}

void TChartCanvas3D::ClipToBox(const TRect& Rect) {
  win::HDC dc = DeviceContext();
  SaveClip(dc);
  win::IntersectClipRect(dc, Rect.left, Rect.top, Rect.right, Rect.bottom);
}

void TChartCanvas3D::ClipToPolygon(std::span<const TPoint> Points) {
  if (Points.size() < 3) return;
  win::HDC dc = DeviceContext();
  std::vector<win::POINT> pts;
  pts.reserve(Points.size());
  for (const TPoint& p : Points) pts.push_back(win::POINT{p.x, p.y});
  // Regions are in device units.
  win::LPtoDP(dc, pts.data(), static_cast<int>(pts.size()));
  win::HRGN rgn = win::CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), win::WINDING);
  if (!rgn) return;
  SaveClip(dc);
  win::ExtSelectClipRgn(dc, rgn, win::RGN_AND);
  win::DeleteObject(rgn);
}

void TChartCanvas3D::RemoveClip() {
  win::SelectClipRgn(DeviceContext(), savedClip_);
  if (savedClip_) win::DeleteObject(savedClip_);
  savedClip_ = nullptr;
  clipSaved_ = false;
}

void TChartCanvas3D::FillGradient(const TRect& Rect, TColor StartColor, TColor EndColor,
                                  TGradientDirection Direction) {
  const Integer w = Rect.right - Rect.left;
  const Integer h = Rect.bottom - Rect.top;
  if (w <= 0 || h <= 0) return;
  const win::COLORREF a = Rgb(StartColor), b = Rgb(EndColor);
  TBrush* brush = reference_->Brush();
  const TColor oldColor = brush->Color();
  const TBrushStyle oldStyle = brush->Style();
  DropPattern();
  brush->SetStyle(bsSolid);
  // Colour of band i of n, from `from` to `to`.
  auto bandColor = [](win::COLORREF from, win::COLORREF to, Integer i, Integer n) {
    if (n <= 1) return static_cast<TColor>(from);
    auto mix = [&](int shift) {
      const Integer f = (from >> shift) & 0xFF, t = (to >> shift) & 0xFF;
      return static_cast<win::COLORREF>(f + (t - f) * i / (n - 1)) << shift;
    };
    return static_cast<TColor>(mix(0) | mix(8) | mix(16));
  };
  auto fill = [&](const TRect& r, TColor c) {
    brush->SetColor(c);
    reference_->FillRect(r);
  };
  switch (Direction) {
    case gdTopBottom:
    case gdBottomTop: {
      const Integer n = std::min(h, 256);
      for (Integer i = 0; i < n; ++i) {
        const Integer y0 = Rect.top + static_cast<Integer>(static_cast<Int64>(h) * i / n);
        const Integer y1 = Rect.top + static_cast<Integer>(static_cast<Int64>(h) * (i + 1) / n);
        const Integer k = Direction == gdTopBottom ? i : n - 1 - i;
        fill(TRect{Rect.left, y0, Rect.right, y1}, bandColor(a, b, k, n));
      }
      break;
    }
    case gdLeftRight:
    case gdRightLeft: {
      const Integer n = std::min(w, 256);
      for (Integer i = 0; i < n; ++i) {
        const Integer x0 = Rect.left + static_cast<Integer>(static_cast<Int64>(w) * i / n);
        const Integer x1 = Rect.left + static_cast<Integer>(static_cast<Int64>(w) * (i + 1) / n);
        const Integer k = Direction == gdLeftRight ? i : n - 1 - i;
        fill(TRect{x0, Rect.top, x1, Rect.bottom}, bandColor(a, b, k, n));
      }
      break;
    }
    case gdFromCenter: {
      // Nested rectangles from the edges inwards: the end colour outside, the start
      // colour in the middle.
      const Integer n = std::max(1, std::min(std::min(w, h) / 2, 128));
      for (Integer i = 0; i < n; ++i) {
        const Integer dx = static_cast<Integer>(static_cast<Int64>(w / 2) * i / n);
        const Integer dy = static_cast<Integer>(static_cast<Int64>(h / 2) * i / n);
        fill(TRect{Rect.left + dx, Rect.top + dy, Rect.right - dx, Rect.bottom - dy}, bandColor(b, a, i, n));
      }
      break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
      // Rectangles shrinking toward the far corner: the start colour stays in the near one.
      const Integer n = std::max(1, std::min(std::max(w, h), 128));
      for (Integer i = 0; i < n; ++i) {
        const Integer dx = static_cast<Integer>(static_cast<Int64>(w) * i / n);
        const Integer dy = static_cast<Integer>(static_cast<Int64>(h) * i / n);
        const TRect r = Direction == gdFromTopLeft ? TRect{Rect.left + dx, Rect.top + dy, Rect.right, Rect.bottom}
                                                   : TRect{Rect.left + dx, Rect.top, Rect.right, Rect.bottom - dy};
        fill(r, bandColor(a, b, i, n));
      }
      break;
    }
  }
  brush->SetColor(oldColor);
  brush->SetStyle(oldStyle);
}

// ---- TChartCanvas3D: text ---------------------------------------------------------------------

void TChartCanvas3D::PlainText(Integer X, Integer Y, const std::string& Text, TColor Color) {
  // Measuring selects the canvas's font; the colour and background are the chart's own.
  reference_->TextExtent(std::string());
  win::HDC dc = DeviceContext();
  win::SetTextColor(dc, Rgb(Color));
  win::ExtTextOut(dc, X, Y, 0, nullptr, Text.data(), static_cast<win::UINT>(Text.size()), nullptr);
}

void TChartCanvas3D::TextWithEffects(Integer X, Integer Y, const std::string& Text) {
  TChartFont* font = chartFont_;
  const TColor color = reference_->Font()->Color();
  if (font && font->Shadow()->Active()) {
    const Integer h = font->Shadow()->HorizSize(), v = font->Shadow()->VertSize();
    PlainText(X + std::max(h, 0), Y + std::max(v, 0), Text, IsMonochrome() ? clBlack : font->Shadow()->Color());
    // A negative size puts the shadow up or left: the text itself moves instead.
    X += std::max(-h, 0);
    Y += std::max(-v, 0);
  }
  if (font && font->OutLine()->Visible()) {
    win::HDC dc = DeviceContext();
    reference_->TextExtent(std::string());
    win::BeginPath(dc);
    win::ExtTextOut(dc, X, Y, 0, nullptr, Text.data(), static_cast<win::UINT>(Text.size()), nullptr);
    win::EndPath(dc);
    const TBrushStyle oldStyle = reference_->Brush()->Style();
    const TColor oldColor = reference_->Brush()->Color();
    // Taken before the solid brush is selected, which turns the background opaque: the
    // texts after this one keep the mode they were given.
    const int oldMode = win::GetBkMode(dc);
    ApplyPen(font->OutLine());
    SetSolidBrush(color);
    // An empty polyline selects pen and brush without drawing anything.
    reference_->Polyline(std::span<const TPoint>());
    win::SetBkMode(dc, win::TRANSPARENT);
    win::StrokeAndFillPath(dc);
    win::SetBkMode(dc, oldMode);
    reference_->Brush()->SetColor(oldColor);
    reference_->Brush()->SetStyle(oldStyle);
    return;
  }
  PlainText(X, Y, Text, color);
}

void TChartCanvas3D::DrawText(Integer X, Integer Y, const std::string& Text) { TextWithEffects(X, Y, Text); }

void TChartCanvas3D::DrawAngledText(Integer X, Integer Y, const std::string& Text, Double Angle) {
  TFont* font = reference_->Font();
  const Integer old = font->Orientation();
  font->SetOrientation(RoundToPixel(Angle * 10.0));
  TextWithEffects(X, Y, Text);
  font->SetOrientation(old);
}
