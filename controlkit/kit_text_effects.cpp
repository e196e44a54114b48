#include "controlkit/kit_text_effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "controlkit/kit_general.h"
#include "controlkit/kit_properties.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace {

// What the drawing and measuring need of a caption object.
struct Effect {
  TKitThreeDStyle style = tdNone;
  TKitDisabledStyle disabled = dsAuto;
  Integer light = 0;   // LightDepth
  Integer shadow = 0;  // ShadowDepth
  TColor lightColor = clBtnHighlight;
  TColor shadowColor = clBtnShadow;
  Integer orientation = 0;
  Integer tracing = 0;
  TKitFxCaption* fx = nullptr;
  Integer angle = 0;
  Integer posX = 0, posY = 0;
};

Effect EffectOf(TKit3DCaption* c) {
  Effect e;
  if (!c) return e;
  e.style = c->Style();
  e.disabled = c->DisabledStyle();
  e.light = c->LightDepth();
  e.shadow = c->ShadowDepth();
  e.lightColor = c->LightColor();
  e.shadowColor = c->ShadowColor();
  e.orientation = static_cast<Integer>(c->Orientation());
  e.tracing = c->Tracing();
  if (auto* fx = dynamic_cast<TKitFxCaption*>(c)) {
    e.fx = fx;
    e.angle = fx->Angle();
    e.posX = fx->PosX();
    e.posY = fx->PosY();
  }
  return e;
}

win::COLORREF Rgb(TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)); }
bool IsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }
void Move(TRect& r, Integer dx, Integer dy) { r = Rect(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy); }

// Saves the device context's state and selects the canvas's font (or a font made from it)
// for raw text calls; everything comes back when the scope ends.
class TextScope {
 public:
  TextScope(TCanvas* canvas, Integer escapement = 0) : dc_(canvas->Handle()) {
    saved_ = win::SaveDC(dc_);
    win::HFONT font = canvas->Font()->Handle();
    if (escapement != 0) {
      win::LOGFONT lf;
      if (win::GetFontLogFont(font, &lf)) {
        lf.lfEscapement = escapement;
        lf.lfOrientation = escapement;
        rotated_ = win::CreateFontIndirect(&lf);
        if (rotated_) font = rotated_;
      }
    }
    win::SelectObject(dc_, win::FontAsObject(font));
  }
  ~TextScope() {
    win::RestoreDC(dc_, saved_);
    if (rotated_) win::DeleteObject(win::FontAsObject(rotated_));
  }
  TextScope(const TextScope&) = delete;
  TextScope& operator=(const TextScope&) = delete;
  win::HDC Dc() const { return dc_; }

 private:
  win::HDC dc_;
  int saved_ = 0;
  win::HFONT rotated_ = nullptr;
};

// The depth an angled caption's effect adds before its start point, never below 0.
Integer EffectDepth(const Effect& e) {
  Integer d = 0;
  switch (e.style) {
    case tdSunken:
    case tdRaised: d = e.light / 2 - 1; break;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: d = (e.light + e.shadow) / 2 - 1; break;
    case tdShadow:
    case tdExtrude:
    case tdExtrudeEnh: d = e.shadow / 2 - 1; break;
    case tdNone:
    case tdOutline: break;
  }
  return std::max(d, 0);
}

void GrowByEffect(const Effect& e, TRect& r) {
  Integer g = 0;
  switch (e.style) {
    case tdSunken:
    case tdRaised: g = e.light; break;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: g = e.light + e.shadow; break;
    case tdShadow:
    case tdOutline:
    case tdExtrude:
    case tdExtrudeEnh: g = e.shadow; break;
    case tdNone: break;
  }
  r.right += g;
  r.bottom += g;
}

void MeasureOn(TCanvas* canvas, const std::string& text, TKit3DCaption* caption, TRect& r, TFont* font, bool wordWrap,
               bool showAccel, Integer borderWidth, Cardinal textFlags) {
  if (font) canvas->Font()->Assign(font);
  const Effect e = EffectOf(caption);
  TextScope scope(canvas);
  const win::HDC dc = scope.Dc();
  if (!e.fx || e.angle == 0) {
    if (e.fx) e.fx->SetPosXY(0, 0);
    Cardinal flags = textFlags | win::DT_CALCRECT | win::DT_EXPANDTABS;
    if (wordWrap) flags |= win::DT_WORDBREAK;
    if (!showAccel) flags |= win::DT_NOPREFIX;
    // An empty caption still takes one line.
    const std::string measured = text.empty() || (showAccel && text == "&") ? std::string(" ") : text;
    if (e.tracing != 0) win::SetTextCharacterExtra(dc, e.tracing);
    win::DrawText(dc, measured.data(), static_cast<int>(measured.size()), &r, flags);
    GrowByEffect(e, r);
  } else {
    win::SIZE size;
    win::GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    TRect turned = Rect(0, 0, size.cx, size.cy);
    GrowByEffect(e, turned);
    RotatedBounds(turned, e.angle);
    const Integer cx = (turned.right - turned.left) / 2, cy = (turned.bottom - turned.top) / 2;
    const Integer hw = size.cx / 2, hh = size.cy / 2;
    const double a = e.angle * std::numbers::pi / 180.0;
    const Integer d = EffectDepth(e);
    const auto x = static_cast<Integer>(Round(cx - hw * std::cos(a) - hh * std::sin(a))) - d;
    const auto y = static_cast<Integer>(Round(cy + hw * std::sin(a) - hh * std::cos(a))) - d;
    e.fx->SetPosXY(x, y);
    r = Bounds(r.left, r.top, turned.right - turned.left, turned.bottom - turned.top);
  }
  r.right += (borderWidth + 1) * 2;
  r.bottom += (borderWidth + 1) * 2;
}

}  // namespace

bool IsTrueTypeFont(TCanvas* Canvas) {
  if (!Canvas) return false;
  TextScope scope(Canvas);
  win::TEXTMETRIC tm;
  if (!win::GetTextMetrics(scope.Dc(), &tm)) return false;
  return (tm.tmPitchAndFamily & win::TMPF_TRUETYPE) != 0;
}

void TextEffectExtent(TKit3DCaption* Caption, TRect& R) {
  if (Caption) GrowByEffect(EffectOf(Caption), R);
}

void DrawTextEffect(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& R,
                    Cardinal TextFlags, Word StateFlags, const TRect* ClipRect) {
  if (!Canvas || Text.empty() || IsEmpty(R)) return;
  const Effect e = EffectOf(Caption);
  const bool rotated = e.fx && e.angle != 0;
  TRect rect = R;
  if (e.fx && e.angle == 0) Move(rect, e.posX, e.posY);

  TKitThreeDStyle style = Caption ? e.style : tdNone;
  const bool pColor = style == tdPColorSunken || style == tdPColorRaised;
  TColor main = pColor ? Canvas->Brush()->Color() : Canvas->Font()->Color();
  if (Caption && (StateFlags & kKitTextEnabled) == 0 && e.disabled != dsNone) {
    main = clGrayText;
    if (e.disabled == ds3d || (e.disabled == dsAuto && (StateFlags & kKitTextDisabledSunken) != 0)) style = tdSunken;
  }

  TextScope scope(Canvas, rotated ? e.angle * 10 : 0);
  const win::HDC dc = scope.Dc();
  TKitClipScope clip(dc);
  if (StateFlags & kKitTextClip) clip.Intersect(ClipRect ? *ClipRect : R);
  win::SetBkMode(dc, win::TRANSPARENT);
  if (e.tracing != 0) win::SetTextCharacterExtra(dc, e.tracing);

  auto out = [&](const TRect& at) {
    if (rotated) {
      win::TextOut(dc, at.left + e.posX, at.top + e.posY, Text.data(), static_cast<int>(Text.size()));
    } else {
      TRect r = at;
      win::DrawText(dc, Text.data(), static_cast<int>(Text.size()), &r, TextFlags);
    }
  };
  auto draw = [&](TColor color) {
    win::SetTextColor(dc, Rgb(color));
    out(rect);
  };

  const Integer L = e.light, S = e.shadow;
  switch (style) {
    case tdNone: draw(main); break;
    case tdSunken:
      rect.bottom -= L;
      Move(rect, L, L);
      draw(e.lightColor);
      Move(rect, -L, -L);
      draw(main);
      break;
    case tdRaised:
      rect.bottom -= L;
      draw(e.lightColor);
      Move(rect, L, L);
      draw(main);
      break;
    case tdSunkenShadow:
    case tdPColorSunken:
      rect.bottom -= L + S;
      draw(e.shadowColor);
      Move(rect, L + S, L + S);
      draw(e.lightColor);
      Move(rect, -L, -L);
      draw(main);
      break;
    case tdRaisedShadow:
    case tdPColorRaised:
      rect.bottom -= L + S;
      Move(rect, L + S, L + S);
      draw(e.shadowColor);
      Move(rect, -(L + S), -(L + S));
      draw(e.lightColor);
      Move(rect, L, L);
      draw(main);
      break;
    case tdShadow:
      rect.bottom -= S;
      Move(rect, S, S);
      draw(e.shadowColor);
      Move(rect, -S, -S);
      draw(main);
      break;
    case tdOutline: {
      Move(rect, S / 2, S / 2);
      win::BeginPath(dc);
      out(rect);
      win::EndPath(dc);
      const win::HPEN pen = win::CreatePen(win::PS_SOLID, S, Rgb(main));
      const win::HGDIOBJ old = win::SelectObject(dc, pen);
      win::StrokePath(dc);
      win::SelectObject(dc, old);
      win::DeleteObject(pen);
      break;
    }
    case tdExtrude:
    case tdExtrudeEnh: {
      Integer dx = 1, dy = 1;
      switch (e.orientation) {
        case 0: dy = -1; Move(rect, 0, S + 1); break;
        case 1: dx = -1; dy = -1; Move(rect, S + 1, S + 1); break;
        case 2: break;
        default: dx = -1; Move(rect, S + 1, 0); break;
      }
      for (Integer k = S - 1; k >= 0; --k) {
        draw(style == tdExtrudeEnh ? ColorBetween(e.shadowColor, e.lightColor, k, S) : e.shadowColor);
        Move(rect, dx, dy);
      }
      draw(main);
      break;
    }
  }
}

void MeasureTextEffect(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, TRect& R, TFont* Font,
                       bool WordWrap, bool ShowAccel, Integer BorderWidth, Cardinal TextFlags) {
  if (!Canvas) return;
  MeasureOn(Canvas, Text, Caption, R, Font, WordWrap, ShowAccel, BorderWidth, TextFlags);
}

void MeasureTextEffect(const std::string& Text, TKit3DCaption* Caption, TRect& R, TFont* Font, bool WordWrap,
                       bool ShowAccel, Integer BorderWidth, Cardinal TextFlags) {
  TCanvas canvas;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  canvas.SetHandle(dc);
  try {
    MeasureOn(&canvas, Text, Caption, R, Font, WordWrap, ShowAccel, BorderWidth, TextFlags);
  } catch (...) {
    canvas.SetHandle(nullptr);
    win::DeleteDC(dc);
    throw;
  }
  canvas.SetHandle(nullptr);
  win::DeleteDC(dc);
}

void AlignedTextRect(TKitAlignment Alignment, const std::string& Text, TKit3DCaption* Caption, const TRect& R,
                     TFont* Font, bool WordWrap, bool ShowAccel, Cardinal TextFlags, TRect& Result) {
  TRect measured = Rect(R.left, R.top, R.right - 1, R.bottom);
  MeasureTextEffect(Text, Caption, measured, Font, WordWrap, ShowAccel, 0, TextFlags);
  AlignRectIn(Alignment, measured, R, Result);
}
