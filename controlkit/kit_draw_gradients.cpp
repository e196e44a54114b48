// FillGradientShape: bands, nested rectangles, ellipses, corners and diagonals of a colour
// list.
#include <memory>
#include <vector>

#include "controlkit/kit_draw.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

namespace {

struct Frame {
  Integer x0, y0, w, h, n;
  Integer Step(Integer k, Integer size) const { return MulDiv(k, size, n); }
  Integer Wk(Integer k) const { return MulDiv(k + 1, w, n); }
  Integer Hk(Integer k) const { return MulDiv(k + 1, h, n); }
};

// Draws shape k of the gradient. The pen is clear, so every call fills its area less its
// last row and column; the coordinates allow for that.
void DrawStep(TCanvas* c, TKitGradientStyle style, const Frame& f, Integer k) {
  const Integer x0 = f.x0, y0 = f.y0, W = f.w, H = f.h;
  const Integer w = f.Wk(k), h = f.Hk(k);
  switch (style) {
    case gstHorizontal: c->Rectangle(x0 + f.Step(k, W), y0, x0 + f.Step(k + 1, W) + 1, y0 + H + 1); break;
    case gstVertical: c->Rectangle(x0, y0 + f.Step(k, H), x0 + W + 1, y0 + f.Step(k + 1, H) + 1); break;
    case gstSquare: {
      const Integer cx = x0 + W / 2, cy = y0 + H / 2;
      c->Rectangle(cx - w / 2, cy - h / 2, cx + w / 2 + 2, cy + h / 2 + 2);
      break;
    }
    case gstElliptic: {
      const Integer cx = x0 + W / 2, cy = y0 + H / 2;
      const Integer rx = static_cast<Integer>(Round(w / 1.4)), ry = static_cast<Integer>(Round(h / 1.4));
      c->Ellipse(cx - rx, cy - ry, cx + rx, cy + ry);
      break;
    }
    case gstTopLeft: c->Rectangle(x0, y0, x0 + 1 + w, y0 + 1 + h); break;
    case gstTopRight: c->Rectangle(x0 + W - w, y0, x0 + W + 1, y0 + 1 + h); break;
    case gstBottomLeft: c->Rectangle(x0, y0 + H - h, x0 + 1 + w, y0 + H + 1); break;
    case gstBottomRight: c->Rectangle(x0 + W - w, y0 + H - h, x0 + W + 1, y0 + H + 1); break;
    case gstTopLeftDiagonal:
      c->Polygon({Point(x0, y0), Point(x0 + 2 * w, y0), Point(x0, y0 + 1 + 2 * h), Point(x0 - 2 * w, y0 + 1 + 2 * h)});
      break;
    case gstTopRightDiagonal: {
      const Integer x1 = x0 + W + 1;
      c->Polygon({Point(x1, y0), Point(x1 - 2 * w, y0), Point(x1, y0 + 2 * h), Point(x1 + 2 * w, y0 + 2 * h)});
      break;
    }
  }
}

}  // namespace

void FillGradientShape(TCanvas* Canvas, const TRect& R, TKitGradientStyle Style, const std::vector<TColor>* Colors,
                       win::HPALETTE Palette, Word Flags, Integer ClipOffset) {
  if (!Canvas || !Colors || Colors->empty()) return;
  const Integer W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  const auto n = static_cast<Integer>(Colors->size());

  const bool useBitmap = (Flags & kKitGfBitmap) != 0;
  std::unique_ptr<TBitmap> buffer;
  TCanvas* c = Canvas;
  if (useBitmap) {
    buffer = std::make_unique<TBitmap>();
    buffer->SetSize(W, H);
    c = buffer->Canvas();
  }
  const win::HDC dc = c->Handle();
  const Frame frame{useBitmap ? 0 : R.left, useBitmap ? 0 : R.top, W, H, n};

  std::unique_ptr<TKitClipScope> clip;
  if ((Flags & kKitGfClip) != 0 && !useBitmap) {
    clip = std::make_unique<TKitClipScope>(dc);
    // The clip is a device region; the offset maps the rectangle where the caller's
    // origin differs.
    const win::HRGN rgn = win::CreateRectRgn(R.left, R.top, R.right, R.bottom);
    if (ClipOffset != 0) {
      const auto dx = static_cast<SmallInt>(ClipOffset & 0xFFFF);
      const auto dy = static_cast<SmallInt>((static_cast<Cardinal>(ClipOffset) >> 16) & 0xFFFF);
      win::OffsetRgn(rgn, dx, dy);
    }
    clip->IntersectRegion(rgn);
    win::DeleteObject(rgn);
  }

  const bool palette = (Flags & kKitGfPalette) != 0 && Palette && KitPaletteRealizeAllowed();
  win::HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = win::SelectPalette(dc, Palette, 0);
    win::RealizePalette(dc);
  }

  c->Pen()->SetStyle(psClear);
  c->Brush()->SetStyle(bsSolid);
  auto colourOf = [&](Integer k) -> TColor {
    const TColor col = (*Colors)[static_cast<std::size_t>(k)];
    if (!palette) return col;
    const auto rgb = static_cast<win::COLORREF>(ColorToRGB(col));
    return static_cast<TColor>(win::PALETTERGB(win::GetRValue(rgb), win::GetGValue(rgb), win::GetBValue(rgb)));
  };
  if (Style == gstHorizontal) {
    for (Integer k = 0; k < n; ++k) {
      c->Brush()->SetColor(colourOf(k));
      DrawStep(c, Style, frame, k);
    }
  } else {
    for (Integer k = n - 1; k >= 0; --k) {
      c->Brush()->SetColor(colourOf(k));
      DrawStep(c, Style, frame, k);
    }
  }

  if (palette) {
    win::RealizePalette(dc);
    win::SelectPalette(dc, oldPalette, 0);
  }
  clip.reset();
  if (useBitmap) Canvas->Draw(R.left, R.top, buffer.get());
}
