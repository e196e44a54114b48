#include "controlkit/kit_draw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "controlkit/kit_application.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"

namespace {

win::COLORREF Rgb(TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)); }

// Rounds num / den to the nearest integer, halves to even, exactly (den != 0).
Int64 DivRoundHalfEven(Int64 num, Int64 den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  Int64 q = num / den;
  Int64 r = num % den;
  if (r < 0) {  // floor division
    --q;
    r += den;
  }
  const Int64 twice = 2 * r;
  if (twice > den || (twice == den && (q & 1) != 0)) ++q;
  return q;
}

Integer ClampByte(Int64 v) { return static_cast<Integer>(std::clamp<Int64>(v, 0, 255)); }

void FrameOnce(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FrameRect(r);
}

void Edge(TCanvas* canvas, TRect& r, win::UINT edge, win::UINT flags) { win::DrawEdge(canvas->Handle(), &r, edge, flags); }

void ArrowLines(TCanvas* canvas, Integer x, Integer y, Integer size, TColor color, bool down) {
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(color);
  if (down) {
    for (Integer i = 0; i <= size - 2; ++i) {
      canvas->MoveTo(x + i, y + i);
      canvas->LineTo(x + 2 * size - i - 1, y + i);
    }
    canvas->MoveTo(x + size - 1, y + size - 1);
    canvas->LineTo(x + size - 1, y + size - 2);
  } else {
    const Integer half = size / 2;
    for (Integer i = 0; i <= size - 1; ++i) {
      canvas->MoveTo(x + half - i, y + i);
      canvas->LineTo(x + half + i + 1, y + i);
    }
  }
}

}  // namespace

bool KitPaletteRealizeAllowed() {
  if (!KitApplication || (KitApplication->Options() & kKitOptionNoPaletteRealize) == 0) return true;
  const win::HDC screen = win::ScreenDC();
  const int depth = win::GetDeviceCaps(screen, win::BITSPIXEL) * win::GetDeviceCaps(screen, win::PLANES);
  return depth > 8;
}

// ---- bevels and borders ----------------------------------------------------------------------

bool DrawBevel(TCanvas* Canvas, TRect& R, TKitBevelStyle Style, Integer Width, TColor ShadowColor, TColor LightColor) {
  using S = TKitBevelStyle;
  if (!Canvas || Style == S::bvNone || Style == S::bvShadow || Width <= 0) return false;
  TColor first = LightColor, second = ShadowColor;  // lowered
  if (Style == S::bvRaised || Style == S::bvFrameRaised) {
    first = ShadowColor;
    second = LightColor;
  } else if (Style == S::bvNormal) {
    first = second = clBlack;
  }

  if (Style == S::bvFrameLowered || Style == S::bvFrameRaised) {
    for (Integer i = 0; i < Width; ++i) {
      FrameOnce(Canvas, Rect(R.left + i + 1, R.top + i + 1, R.right, R.bottom), first);
      FrameOnce(Canvas, Rect(R.left, R.top, R.right - i - 1, R.bottom - i - 1), second);
    }
    R = Rect(R.left + Width + 1, R.top + Width + 1, R.right - Width - 1, R.bottom - Width - 1);
    return true;
  }

  if (Width == 1) {
    const Integer l = R.left, t = R.top, r = R.right - 1, b = R.bottom - 1;
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(second);
    Canvas->MoveTo(l, b);
    Canvas->LineTo(l, t);
    Canvas->LineTo(r, t);
    Canvas->Pen()->SetColor(first);
    Canvas->LineTo(r, b);
    Canvas->LineTo(l, b);
    R = Rect(l + 1, t + 1, r - 1, b - 1);
  } else {
    const Integer l = R.left, t = R.top, r = R.right, b = R.bottom - 1;
    TRect in = Rect(l + Width, t + Width, r - Width, b - Width);
    Canvas->Pen()->SetStyle(psClear);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(first);
    Canvas->Polygon({Point(l, b + 1), Point(in.left, in.bottom), Point(in.right, in.bottom), Point(in.right, in.top),
                     Point(r, t), Point(r, b + 1)});
    in.right -= 1;
    Canvas->Brush()->SetColor(second);
    Canvas->Polygon({Point(l, b), Point(in.left, in.bottom), Point(in.left, in.top), Point(in.right, in.top),
                     Point(r - 1, t), Point(l, t)});
    R = Rect(l + Width, t + Width, r - Width - 1, b - Width);
  }
  R.right += 1;
  R.bottom += 1;
  return true;
}

bool DrawShadowBevel(TCanvas* Canvas, TRect& R, TColor LightColor, bool Transparent, Integer InnerWidth,
                     Integer ShadowDepth, TColor BackColor, TColor ShadowColor) {
  if (!Canvas) return true;
  const Integer s = ShadowDepth;
  FillSolidRect(Canvas, Rect(R.right - s, R.top + s, R.right, R.bottom), ShadowColor);
  FillSolidRect(Canvas, Rect(R.left + s, R.bottom - s, R.right, R.bottom), ShadowColor);
  if (!Transparent) {
    FillSolidRect(Canvas, Rect(R.right - s, R.top, R.right, R.top + s), BackColor);
    FillSolidRect(Canvas, Rect(R.left, R.bottom - s, R.left + s, R.bottom), BackColor);
  }
  R = Rect(R.left, R.top, R.right - s, R.bottom - s);
  for (Integer i = 0; i < InnerWidth; ++i) {
    FrameOnce(Canvas, R, LightColor);
    R = Rect(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1);
  }
  return true;
}

Integer BorderWidth(TKitBorderStyle Style) {
  switch (Style) {
    case lsNone: return 0;
    case lsSingle:
    case lsSingleRaised:
    case lsSingleLowered: return 1;
    default: return 2;
  }
}

void DrawBorder(TCanvas* Canvas, TRect& R, TKitBorderStyle Style, Cardinal ExtraFlags) {
  using namespace win;
  if (!Canvas || Style == lsNone) return;
  const UINT x = ExtraFlags;
  const UINT adj = BF_ADJUST;
  switch (Style) {
    case lsNone: break;
    case lsSingle:
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_TOPLEFT | BF_SOFT | adj | x);
      Edge(Canvas, R, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
      break;
    case lsLowered: Edge(Canvas, R, EDGE_SUNKEN, BF_RECT | BF_SOFT | adj | x); break;
    case lsRaised: Edge(Canvas, R, EDGE_RAISED, BF_RECT | BF_SOFT | adj | x); break;
    case lsRaisedspb:
    case lsRaisedExt:
      Edge(Canvas, R, BDR_RAISEDOUTER, BF_RECT | BF_SOFT | adj | x);
      Edge(Canvas, R, BDR_RAISEDINNER, BF_BOTTOMRIGHT | adj);
      if (Style == lsRaisedExt) {
        R.left += 1;
        R.top += 1;
      }
      break;
    case lsLoweredspb:
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x);
      Edge(Canvas, R, BDR_SUNKENINNER, BF_TOPLEFT | adj | x);
      break;
    case lsLoweredExt:
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x);
      Edge(Canvas, R, BDR_SUNKENINNER, BF_TOPLEFT | adj);
      R.right -= 1;
      R.bottom -= 1;
      break;
    case lsFrameInset: Edge(Canvas, R, EDGE_ETCHED, BF_RECT | adj | x); break;
    case lsFrameOffset:
      Edge(Canvas, R, BDR_RAISEDINNER, BF_RECT | adj | x);
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x);
      break;
    case lsWindowBorder:
      Edge(Canvas, R, BDR_RAISEDOUTER, BF_BOTTOMRIGHT | adj | x);
      R.left += 1;
      R.top += 1;
      Edge(Canvas, R, BDR_RAISEDINNER, BF_RECT | adj | x);
      break;
    case lsSingleRaised: Edge(Canvas, R, BDR_RAISEDINNER, BF_RECT | adj | x); break;
    case lsSingleLowered: Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x); break;
    case lsDoubleRaised:
      Edge(Canvas, R, BDR_RAISEDINNER, BF_RECT | adj | x);
      Edge(Canvas, R, BDR_RAISEDINNER, BF_RECT | adj | x);
      break;
    case lsDoubleLowered:
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x);
      Edge(Canvas, R, BDR_SUNKENOUTER, BF_RECT | adj | x);
      break;
  }
}

// ---- arrows ----------------------------------------------------------------------------------

void DrawArrow(TCanvas* Canvas, Integer X, Integer Y, Integer Size, TColor Color, bool Down, bool Enabled) {
  if (!Canvas || Size < 2 || Size > 15) return;
  if (Enabled) {
    ArrowLines(Canvas, X, Y, Size, Color, Down);
  } else {
    ArrowLines(Canvas, X + 1, Y + 1, Size, clHighlightText, Down);
    ArrowLines(Canvas, X, Y, Size, clGrayText, Down);
  }
}

// ---- colours ---------------------------------------------------------------------------------

TColor ColorBetween(TColor C1, TColor C2, Integer Step, Integer Steps) {
  const win::COLORREF a = Rgb(C1) & 0xFFFFFF, b = Rgb(C2) & 0xFFFFFF;
  if (Steps == 0) return static_cast<TColor>(a);
  auto channel = [&](int shift) {
    const Int64 c1 = (a >> shift) & 0xFF, c2 = (b >> shift) & 0xFF;
    return ClampByte(DivRoundHalfEven(c1 * Steps + (c2 - c1) * Step, Steps));
  };
  return channel(0) | (channel(8) << 8) | (channel(16) << 16);
}

void BuildColorList(TColor C1, TColor C2, Integer Count, bool ClearFirst, std::vector<TColor>& List) {
  if (ClearFirst) List.clear();
  if (Count <= 0) return;
  const win::COLORREF a = Rgb(C1), b = Rgb(C2);
  auto channel = [](win::COLORREF c, int shift) { return static_cast<Integer>((c >> shift) & 0xFF); };
  for (Integer i = ClearFirst ? 0 : 1; i < Count; ++i) {
    TColor c = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const Integer c1 = channel(a, shift), c2 = channel(b, shift);
      // A single colour has no ramp to divide: it is the first colour.
      const Integer v = Count == 1 ? c1 : c1 + MulDiv(c2 - c1, i, Count - 1);
      c |= (v & 0xFF) << shift;
    }
    List.push_back(c);
  }
}

win::HPALETTE CreateColorPalette(const std::vector<TColor>& List) {
  if (List.empty() || List.size() > 0xFFFF) return nullptr;
  std::vector<unsigned char> block(sizeof(win::LOGPALETTE) + sizeof(win::PALETTEENTRY) * (List.size() - 1));
  auto* lp = reinterpret_cast<win::LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<win::WORD>(List.size());
  for (std::size_t i = 0; i < List.size(); ++i) {
    const win::COLORREF c = Rgb(List[i]);
    win::PALETTEENTRY& e = lp->palPalEntry[i];
    e.peRed = win::GetRValue(c);
    e.peGreen = win::GetGValue(c);
    e.peBlue = win::GetBValue(c);
    e.peFlags = win::PC_NOCOLLAPSE;
  }
  return win::CreatePalette(lp);
}

// ---- alignment -------------------------------------------------------------------------------

void AlignRectIn(TKitAlignment Alignment, const TRect& Inner, const TRect& Outer, TRect& Result) {
  const Integer iw = Inner.right - Inner.left, ih = Inner.bottom - Inner.top;
  const Integer ow = Outer.right - Outer.left, oh = Outer.bottom - Outer.top;
  const int column = static_cast<int>(Alignment) % 3, row = static_cast<int>(Alignment) / 3;
  const Integer dx = column == 0 ? 0 : column == 1 ? (ow - iw) / 2 : ow - iw;
  const Integer dy = row == 0 ? 0 : row == 1 ? (oh - ih) / 2 : oh - ih;
  Result = Bounds(Outer.left + dx, Outer.top + dy, iw, ih);
}
