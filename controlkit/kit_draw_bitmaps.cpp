// Bitmap procedures of the kit's drawing library: filled, disabled and embossed bitmaps,
// masks and the placed, tiled and transparent drawing of DrawBitmapExt.
#include <optional>
#include <vector>

#include "controlkit/kit_draw.h"
#include "controlkit/kit_general.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

namespace {

constexpr win::DWORD kPaintWhereSourceSet = 0x00E20746;  // D ^ (S & (P ^ D))

win::COLORREF Rgb(TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)); }

Integer Width(const TRect& r) { return r.right - r.left; }
Integer Height(const TRect& r) { return r.bottom - r.top; }
bool IsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// A monochrome bitmap in a memory device context of its own.
class MonoMask {
 public:
  MonoMask(int w, int h) : w_(w), h_(h) {
    bitmap_ = win::CreateBitmap(w, h, 1, 1, nullptr);
    dc_ = win::CreateCompatibleDC(nullptr);
    old_ = win::SelectObject(dc_, bitmap_);
  }
  ~MonoMask() {
    win::SelectObject(dc_, old_);
    win::DeleteDC(dc_);
    win::DeleteObject(bitmap_);
  }
  MonoMask(const MonoMask&) = delete;
  MonoMask& operator=(const MonoMask&) = delete;
  win::HDC Dc() const { return dc_; }
  // White where `src` (at x, y) has the colour `key`, black elsewhere.
  void TakeFrom(win::HDC src, int x, int y, win::COLORREF key) {
    const win::COLORREF oldBk = win::SetBkColor(src, key);
    win::BitBlt(dc_, 0, 0, w_, h_, src, x, y, win::SRCCOPY);
    win::SetBkColor(src, oldBk);
  }

 private:
  int w_, h_;
  win::HBITMAP bitmap_ = nullptr;
  win::HDC dc_ = nullptr;
  win::HGDIOBJ old_ = nullptr;
};

// Monochrome sources become colour through the text (0) and background (1) colours. By
// default black bits stay black and white bits white.
class MaskColours {
 public:
  explicit MaskColours(win::HDC dc, win::COLORREF text = 0x000000, win::COLORREF bk = 0xFFFFFF) : dc_(dc) {
    text_ = win::SetTextColor(dc, text);
    bk_ = win::SetBkColor(dc, bk);
  }
  ~MaskColours() {
    win::SetTextColor(dc_, text_);
    win::SetBkColor(dc_, bk_);
  }

 private:
  win::HDC dc_;
  win::COLORREF text_, bk_;
};

void Stretch(win::HDC dst, const TRect& d, win::HDC src, const TRect& s, win::DWORD rop) {
  win::StretchBlt(dst, d.left, d.top, Width(d), Height(d), src, s.left, s.top, Width(s), Height(s), rop);
}

// Mask (black = opaque) with AND, then the image (black where transparent) with OR.
void MaskedTransfer(win::HDC dst, const TRect& d, win::HDC image, const TRect& is, win::HDC mask, const TRect& ms) {
  MaskColours colours(dst);
  Stretch(dst, d, mask, ms, win::SRCAND);
  Stretch(dst, d, image, is, win::SRCPAINT);
}

// The source where it is not `key`, the destination where it is: XOR the source in, clear
// the opaque part through the mask, XOR the source in again.
void TransparentTransfer(win::HDC dst, const TRect& d, win::HDC src, const TRect& s, const MonoMask& mask) {
  MaskColours colours(dst);
  Stretch(dst, d, src, s, win::SRCINVERT);
  Stretch(dst, d, mask.Dc(), Rect(0, 0, Width(s), Height(s)), win::SRCAND);
  Stretch(dst, d, src, s, win::SRCINVERT);
}

}  // namespace

// ---- clip scope ------------------------------------------------------------------------------

TKitClipScope::TKitClipScope(win::HDC dc) : dc_(dc) {
  saved_ = win::CreateRectRgn(0, 0, 0, 0);
  hadClip_ = saved_ && win::GetClipRgn(dc, saved_) == 1;
}

TKitClipScope::~TKitClipScope() {
  win::SelectClipRgn(dc_, hadClip_ ? saved_ : nullptr);
  if (saved_) win::DeleteObject(saved_);
}

void TKitClipScope::Intersect(const TRect& r) { win::IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom); }

void TKitClipScope::IntersectRegion(win::HRGN rgn) { win::ExtSelectClipRgn(dc_, rgn, win::RGN_AND); }

// ---- bitmaps ---------------------------------------------------------------------------------

void FillSolidRect(TCanvas* Canvas, const TRect& R, TColor Color) {
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(R);
}

void FillBitmap(TBitmap* Bitmap, const TRect& R, TColor Color) {
  if (!Bitmap || IsEmpty(R)) return;
  Bitmap->SetSize(Width(R), Height(R));
  FillSolidRect(Bitmap->Canvas(), Rect(0, 0, Width(R), Height(R)), Color);
}

void MakeDisabledBitmap(TBitmap* Target, TBitmap* Source) {
  if (!Target || !Source) return;
  if (Target != Source) Target->Assign(Source);
  const Integer w = Target->Width(), h = Target->Height();
  if (Target->Empty() || w <= 0 || h <= 0) return;
  TCanvas* canvas = Target->Canvas();
  const win::HDC dc = canvas->Handle();
  auto brightness = [](win::COLORREF c) {
    return Integer{win::GetRValue(c)} + Integer{win::GetGValue(c)} + Integer{win::GetBValue(c)};
  };
  const win::COLORREF background = win::GetPixel(dc, 0, 0);
  Int64 sum = 0, count = 0;
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      const win::COLORREF c = win::GetPixel(dc, x, y);
      if (c == background) continue;
      sum += brightness(c);
      ++count;
    }
  // Only background: nothing to recolour (and no average to take).
  if (count == 0) return;
  const Int64 offset = Round(static_cast<double>(sum) / static_cast<double>(count) - 200.0);
  const win::COLORREF highlight = Rgb(clBtnHighlight), shadow = Rgb(clBtnShadow);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      const win::COLORREF c = win::GetPixel(dc, x, y);
      if (c == background) continue;
      const Integer b = brightness(c);
      win::COLORREF out = 0x000000;
      if (b > offset + 550) out = 0xFFFFFF;
      else if (b > offset + 250) out = highlight;
      else if (b > offset + 50) out = shadow;
      canvas->SetPixels(x, y, static_cast<TColor>(out));
    }
}

void DrawEmbossedBitmap(TBitmap* Target, TBitmap* Source, Integer X, Integer Y) {
  if (!Target || !Source || Source->Empty()) return;
  const Integer w = Source->Width(), h = Source->Height();
  const TColor key = Source->TransparentColor();
  MonoMask mask(w, h);
  mask.TakeFrom(Source->Canvas()->Handle(), 0, 0, Rgb(key));

  TCanvas* canvas = Target->Canvas();
  FillSolidRect(canvas, Rect(0, 0, Target->Width(), Target->Height()), key);

  const win::HDC dc = canvas->Handle();
  // The transfer paints the brush where its source is all ones: black mask bits must
  // become white.
  MaskColours colours(dc, 0xFFFFFF, 0x000000);
  auto paint = [&](TColor color, int x, int y) {
    const win::HBRUSH brush = win::CreateSolidBrush(Rgb(color));
    const win::HGDIOBJ old = win::SelectObject(dc, brush);
    win::BitBlt(dc, x, y, w, h, mask.Dc(), 0, 0, kPaintWhereSourceSet);
    win::SelectObject(dc, old);
    win::DeleteObject(brush);
  };
  paint(clBtnHighlight, X + 1, Y + 1);
  paint(clBtnShadow, X, Y);
}

void MakeMask(TCanvas* Canvas, const TRect& R, TBitmap* Image, TColor TransparentColor, TBitmap* Mask) {
  if (!Canvas || !Image || !Mask || IsEmpty(R)) return;
  const Integer w = Width(R), h = Height(R);
  const win::HDC src = Canvas->Handle();
  Image->SetSize(w, h);
  const win::HDC image = Image->Canvas()->Handle();
  win::BitBlt(image, 0, 0, w, h, src, R.left, R.top, win::SRCCOPY);

  Mask->SetMonochrome(true);
  Mask->SetSize(w, h);
  const win::HDC mask = Mask->Canvas()->Handle();
  const win::COLORREF oldBk = win::SetBkColor(src, Rgb(TransparentColor));
  win::BitBlt(mask, 0, 0, w, h, src, R.left, R.top, win::SRCCOPY);
  win::SetBkColor(src, oldBk);

  // Transparent pixels of the image turn black: mask bit 1 -> background black.
  const win::COLORREF oldText = win::SetTextColor(image, 0xFFFFFF);
  const win::COLORREF oldImageBk = win::SetBkColor(image, 0x000000);
  win::BitBlt(image, 0, 0, w, h, mask, 0, 0, win::SRCAND);
  win::SetTextColor(image, oldText);
  win::SetBkColor(image, oldImageBk);
}

void MakeMaskFromColor(TBitmap* Source, TBitmap* Image, TBitmap* Mask, TColor TransparentColor) {
  if (!Source || Source->Empty()) return;
  MakeMask(Source->Canvas(), Rect(0, 0, Source->Width(), Source->Height()), Image, TransparentColor, Mask);
}

// ---- DrawBitmapExt ---------------------------------------------------------------------------

void DrawBitmapExt(TCanvas* Canvas, const TRect& Dest, TPersistent* Source, const TRect& SourceRect, Word Flags,
                   TColor TransparentColor, win::HPALETTE Palette, TCanvas* MaskCanvas, TRect& Covered) {
  Covered = Rect(Dest.left, Dest.top, Dest.left, Dest.top);
  if (!Canvas || !Source || IsEmpty(Dest)) return;
  const Integer sw = Width(SourceRect), sh = Height(SourceRect);
  // An empty source has nothing to place (and no ratio to scale by).
  if (sw <= 0 || sh <= 0) return;

  TBitmap* bitmapSource = dynamic_cast<TBitmap*>(Source);
  TCanvas* canvasSource = dynamic_cast<TCanvas*>(Source);
  const bool asObject = (Flags & kKitDbBitmapObject) != 0 && bitmapSource;
  if (!asObject && !canvasSource) {
    if (!bitmapSource || bitmapSource->Empty()) return;
    canvasSource = bitmapSource->Canvas();
  }
  if (asObject && bitmapSource->Empty()) return;

  const Integer dw = Width(Dest), dh = Height(Dest);
  const bool tile = (Flags & kKitDbStretch) == 0 && (Flags & kKitDbTile) != 0;
  const bool stretch = (Flags & kKitDbStretch) != 0;
  TRect place = Bounds(Dest.left, Dest.top, sw, sh);
  if (stretch) {
    switch (Flags & kKitDbKeepAspect) {
      case kKitDbKeepAspect: FitRect(SourceRect, Dest, place); break;
      case kKitDbKeepWidth:
        place = Bounds(Dest.left, Dest.top, dw, static_cast<Integer>(Round(static_cast<double>(dw) / sw * sh)));
        break;
      case kKitDbKeepHeight:
        place = Bounds(Dest.left, Dest.top, static_cast<Integer>(Round(static_cast<double>(dh) / sh * sw)), dh);
        break;
      default: place = Dest; break;
    }
    place = Bounds(Dest.left, Dest.top, Width(place), Height(place));
  } else if (!tile && (Flags & kKitDbCenter) != 0) {
    place = Bounds(Dest.left + (dw - sw) / 2, Dest.top + (dh - sh) / 2, sw, sh);
  }

  if (!tile && IsEmpty(place)) return;

  const win::HDC dc = Canvas->Handle();
  win::HPALETTE oldPalette = nullptr;
  const bool palette = (Flags & kKitDbPalette) != 0 && Palette && KitPaletteRealizeAllowed();
  if (palette) {
    oldPalette = win::SelectPalette(dc, Palette, 0);
    win::RealizePalette(dc);
  }
  const int oldStretchMode = stretch ? win::SetStretchBltMode(dc, win::COLORONCOLOR) : 0;

  // The tiles are placed from the corner; the last row and column stop at the destination.
  std::vector<TRect> targets;
  if (tile) {
    const Integer cols = dw / sw + 1, rows = dh / sh + 1;
    for (Integer r = 0; r < rows; ++r)
      for (Integer c = 0; c < cols; ++c) targets.push_back(Bounds(Dest.left + c * sw, Dest.top + r * sh, sw, sh));
    Covered = Dest;
  } else {
    targets.push_back(place);
    Covered = place;
  }

  {
    TKitClipScope clip(dc);
    if (tile) clip.Intersect(Dest);
    if (asObject) {
      for (const TRect& t : targets) Canvas->StretchDraw(t, bitmapSource);
    } else {
      const win::HDC src = canvasSource->Handle();
      if ((Flags & kKitDbMaskCanvas) != 0 && MaskCanvas) {
        const win::HDC mask = MaskCanvas->Handle();
        for (const TRect& t : targets) MaskedTransfer(dc, t, src, SourceRect, mask, SourceRect);
      } else if ((Flags & kKitDbMaskFromColor) != 0) {
        TBitmap image, mask;
        MakeMask(canvasSource, SourceRect, &image, TransparentColor, &mask);
        const TRect all = Rect(0, 0, sw, sh);
        const win::HDC imageDc = image.Canvas()->Handle(), maskDc = mask.Canvas()->Handle();
        for (const TRect& t : targets) MaskedTransfer(dc, t, imageDc, all, maskDc, all);
      } else if (TransparentColor == clNone) {
        for (const TRect& t : targets) Stretch(dc, t, src, SourceRect, win::SRCCOPY);
      } else {
        MonoMask mask(sw, sh);
        mask.TakeFrom(src, SourceRect.left, SourceRect.top, Rgb(TransparentColor));
        for (const TRect& t : targets) TransparentTransfer(dc, t, src, SourceRect, mask);
      }
    }
  }

  if (stretch) win::SetStretchBltMode(dc, oldStretchMode);
  if (palette) win::SelectPalette(dc, oldPalette, 0);
}

void DrawBitmapState(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TRect& Result, TColor TransparentColor,
                     Word Flags) {
  DrawBitmapStyle(Canvas, R, Bitmap, Result, TransparentColor, static_cast<Word>(Flags & ~kKitDbBitmapObject));
}

void DrawBitmapClipped(TCanvas* Canvas, const TRect& R, TCanvas* Source, TCanvas* MaskCanvas, win::HPALETTE Palette,
                       TColor TransparentColor, Word Flags, const TRect& SourceRect) {
  if (!Canvas) return;
  std::optional<TKitClipScope> clip;
  if ((Flags & kKitDbClip) != 0) clip.emplace(Canvas->Handle()).Intersect(R);
  TRect covered;
  DrawBitmapExt(Canvas, R, Source, SourceRect, Flags, TransparentColor, Palette, MaskCanvas, covered);
}

void DrawBitmapStyle(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TRect& Result, TColor TransparentColor,
                     Word Flags) {
  Result = Rect(R.left, R.top, R.left, R.top);
  if (!Bitmap || Bitmap->Empty()) return;
  TPersistent* source = (Flags & kKitDbBitmapObject) ? static_cast<TPersistent*>(Bitmap) : Bitmap->Canvas();
  DrawBitmapExt(Canvas, R, source, Rect(0, 0, Bitmap->Width(), Bitmap->Height()), Flags, TransparentColor,
                (Flags & kKitDbPalette) ? Bitmap->Palette() : nullptr, nullptr, Result);
}
