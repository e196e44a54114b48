#include "platform/win/text/text_render.h"

#include <algorithm>
#include <cmath>

#include "platform/win/text/paths.h"
#include "platform/win/text/text.h"

namespace win::text {
namespace {

constexpr bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (Empty(r)) return RECT{};
  return r;
}

// The device area a run may touch: the DC's clip, narrowed by ETO_CLIPPED's rectangle.
RECT VisibleBox(const DeviceContext& dc, const std::optional<RECT>& clip) {
  RECT box = dc.ClipBox();
  if (clip) box = Intersect(box, *clip);
  return box;
}

bool Rotated(const FontObject& font) { return font.angle != 0; }

// Snaps a coordinate to 1/64 pixel, the precision glyph placement works in, so that
// values a rounding error away from an integer land on it.
double Snap(double v) { return std::round(v * 64.0) / 64.0; }

// Paints the ink of a glyph mask whose top-left pixel is at device (x, y).
void PaintMask(DeviceContext& dc, const GlyphMask& m, std::int64_t x, std::int64_t y, COLORREF c, const RECT& box) {
  if (m.width <= 0 || m.rows <= 0) return;
  if (x >= box.right || y >= box.bottom || x + m.width <= box.left || y + m.rows <= box.top) return;
  const int r0 = static_cast<int>(std::max<std::int64_t>(0, box.top - y));
  const int r1 = static_cast<int>(std::min<std::int64_t>(m.rows, box.bottom - y));
  for (int r = r0; r < r1; ++r) {
    const int py = static_cast<int>(y + r);
    int c0 = 0;
    while (c0 < m.width) {
      while (c0 < m.width && !m.Ink(c0, r)) ++c0;
      int c1 = c0;
      while (c1 < m.width && m.Ink(c1, r)) ++c1;
      if (c0 < c1) {
        const std::int64_t a = std::max<std::int64_t>(x + c0, box.left);
        const std::int64_t b = std::min<std::int64_t>(x + c1, box.right);
        if (a < b) dc.FillSpanRop(static_cast<int>(a), static_cast<int>(b), py, c, R2_COPYPEN);
      }
      c0 = c1;
    }
  }
}

// A band along the baseline, from `a0` to `a1` along it and from `d0` to `d1` down from
// it: drawn as a rectangle, or as a polygon when the run is turned.
void PaintBand(DeviceContext& dc, const FontObject& font, const RunFrame& f, double a0, double a1, double d0,
               double d1, COLORREF c, const RECT& box) {
  if (a0 >= a1 || d0 >= d1) return;
  if (!Rotated(font)) {
    const double x = f.origin.x, y = f.origin.y;
    FillDeviceRect(dc, std::llround(x + a0), std::llround(y + d0), std::llround(x + a1), std::llround(y + d1), c, box);
    return;
  }
  std::vector<DPoint> poly{f.At(a0, d0), f.At(a1, d0), f.At(a1, d1), f.At(a0, d1)};
  FillPolygonSpans(poly, box, [&](int y, int x0, int x1) { dc.FillSpanRop(x0, x1, y, c, R2_COPYPEN); });
}

void RecordBand(DeviceContext& dc, const RunFrame& f, double a0, double a1, double d0, double d1) {
  if (a0 >= a1 || d0 >= d1) return;
  PathAddFigure(dc, {f.At(a0, d0), f.At(a1, d0), f.At(a1, d1), f.At(a0, d1)}, true);
}

// Glyph outlines into the open path, turned with the run.
void RecordGlyphs(DeviceContext& dc, FontObject& font, const RunFrame& f, std::string_view text,
                  const std::vector<int>& advances) {
  const double cs = std::cos(font.angle), sn = std::sin(font.angle);
  double pen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const DPoint o = f.At(pen, 0);
    for (const OutlineContour& ct : font.sized->Outline(static_cast<unsigned char>(text[i]))) {
      std::vector<DPoint> pts;
      pts.reserve(ct.size());
      for (const OutlinePoint& p : ct) pts.push_back({o.x + p.x * cs - p.y * sn, o.y - (p.x * sn + p.y * cs)});
      PathAddFigure(dc, std::move(pts), true);
    }
    pen += advances[i];
  }
}

}  // namespace

void FillPolygonSpans(const std::vector<DPoint>& poly, const RECT& box,
                      const std::function<void(int y, int x0, int x1)>& span) {
  if (poly.size() < 3 || Empty(box)) return;
  double minY = poly[0].y, maxY = poly[0].y;
  for (const DPoint& p : poly) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const std::int64_t y0 = std::max<std::int64_t>(box.top, static_cast<std::int64_t>(std::floor(minY)));
  const std::int64_t y1 = std::min<std::int64_t>(box.bottom, static_cast<std::int64_t>(std::ceil(maxY)) + 1);
  std::vector<double> xs;
  for (std::int64_t y = y0; y < y1; ++y) {
    const double yc = static_cast<double>(y) + 0.5;
    xs.clear();
    for (size_t i = 0; i < poly.size(); ++i) {
      const DPoint& a = poly[i];
      const DPoint& b = poly[(i + 1) % poly.size()];
      if ((a.y <= yc) == (b.y <= yc)) continue;
      xs.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2) {
      // Pixels whose centres x + 0.5 lie in [xs[k], xs[k + 1]).
      const std::int64_t a = std::max<std::int64_t>(box.left, static_cast<std::int64_t>(std::ceil(xs[k] - 0.5)));
      const std::int64_t b = std::min<std::int64_t>(box.right, static_cast<std::int64_t>(std::ceil(xs[k + 1] - 0.5)));
      if (a < b) span(static_cast<int>(y), static_cast<int>(a), static_cast<int>(b));
    }
  }
}

std::vector<int> RunAdvances(FontObject& font, std::string_view text, const int* dx, int extra) {
  std::vector<int> adv(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    adv[i] = dx ? dx[i] : font.sized->Advance(static_cast<unsigned char>(text[i])) + extra;
  return adv;
}

RunFrame PlaceRun(const FontObject& font, DPoint ref, int total, UINT align) {
  RunFrame f;
  const double cs = std::cos(font.angle), sn = std::sin(font.angle);
  f.along = {cs, -sn};
  f.down = {sn, cs};
  if (!Rotated(font)) {
    f.along = {1, 0};
    f.down = {0, 1};
  }
  double a = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    a = -(total / 2);
  else if (align & TA_RIGHT)
    a = -total;
  const FontMetrics& m = font.sized->Metrics();
  double d = 0;
  if ((align & TA_BASELINE) == TA_BASELINE)
    d = 0;
  else if (align & TA_BOTTOM)
    d = -m.descent;
  else
    d = m.ascent;
  f.origin = {ref.x, ref.y};
  f.origin = f.At(a, d);
  f.origin = {Snap(f.origin.x), Snap(f.origin.y)};
  return f;
}

void FillDeviceRect(DeviceContext& dc, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                    COLORREF c, const std::optional<RECT>& clip) {
  const RECT box = VisibleBox(dc, clip);
  left = std::max<std::int64_t>(left, box.left);
  top = std::max<std::int64_t>(top, box.top);
  right = std::min<std::int64_t>(right, box.right);
  bottom = std::min<std::int64_t>(bottom, box.bottom);
  for (std::int64_t y = top; y < bottom; ++y)
    if (left < right) dc.FillSpanRop(static_cast<int>(left), static_cast<int>(right), static_cast<int>(y), c, R2_COPYPEN);
}

void RenderRun(DeviceContext& dc, FontObject& font, const RunFrame& f, std::string_view text,
               const std::vector<int>& advances, const RunOptions& opt) {
  const FontMetrics& m = font.sized->Metrics();
  int total = 0;
  for (int a : advances) total += a;
  const bool underline = font.logFont.lfUnderline != 0;
  const bool strike = font.logFont.lfStrikeOut != 0;

  if (PathRecording(dc)) {
    RecordGlyphs(dc, font, f, text, advances);
    if (underline) RecordBand(dc, f, 0, total, m.underlineOffset, m.underlineOffset + m.underlineThickness);
    if (strike) RecordBand(dc, f, 0, total, -m.strikeoutOffset, -m.strikeoutOffset + m.strikeoutThickness);
    return;
  }

  const RECT box = VisibleBox(dc, opt.clip);
  if (Empty(box)) return;
  if (opt.opaqueCell) PaintBand(dc, font, f, 0, total, -m.ascent, m.descent, dc.st.bkColor, box);

  const COLORREF color = dc.st.textColor;
  double pen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    const DPoint p = f.At(pen, 0);
    pen += advances[i];
    if (!Rotated(font)) {
      const GlyphMask& g = font.sized->Glyph(ch);
      const std::int64_t px = std::llround(p.x), py = std::llround(p.y);
      PaintMask(dc, g, px + g.left, py - g.top, color, box);
      continue;
    }
    const DPoint s{Snap(p.x), Snap(p.y)};
    const double ix = std::floor(s.x), iy = std::floor(s.y);
    // Skip glyphs far from the visible box before asking FreeType for them.
    const double reach = 2.0 * (m.height + m.maxCharWidth) + 2;
    if (ix + reach < box.left || ix - reach > box.right || iy + reach < box.top || iy - reach > box.bottom) continue;
    GlyphMask g = font.sized->RotatedGlyph(ch, font.angle, s.x - ix, s.y - iy);
    PaintMask(dc, g, static_cast<std::int64_t>(ix) + g.left, static_cast<std::int64_t>(iy) - g.top, color, box);
  }
  if (underline) PaintBand(dc, font, f, 0, total, m.underlineOffset, m.underlineOffset + m.underlineThickness, color, box);
  if (strike)
    PaintBand(dc, font, f, 0, total, -m.strikeoutOffset, -m.strikeoutOffset + m.strikeoutThickness, color, box);
}

void RenderUnderline(DeviceContext& dc, FontObject& font, const RunFrame& f, int along0, int length,
                     const std::optional<RECT>& clip) {
  const FontMetrics& m = font.sized->Metrics();
  const double d0 = m.underlineOffset, d1 = m.underlineOffset + m.underlineThickness;
  if (PathRecording(dc)) {
    RecordBand(dc, f, along0, along0 + length, d0, d1);
    return;
  }
  const RECT box = VisibleBox(dc, clip);
  if (!Empty(box)) PaintBand(dc, font, f, along0, along0 + length, d0, d1, dc.st.textColor, box);
}

}  // namespace win::text
