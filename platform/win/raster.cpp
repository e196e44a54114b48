#include "platform/win/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/win/rop.h"

namespace win {

// ---- brushes ------------------------------------------------------------------------------

bool HatchBit(UINT hatch, int x, int y) {
  x &= 7;
  y &= 7;
  switch (hatch) {
    case HS_HORIZONTAL: return y == 7;
    case HS_VERTICAL: return x == 7;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x + y == 7;
    case HS_CROSS: return x == 7 || y == 7;
    case HS_DIAGCROSS: return x == y || x + y == 7;
    default: return false;
  }
}

bool BrushPixel(const DeviceContext& dc, const BrushObject& b, int x, int y, DWORD* native) {
  switch (b.style) {
    case BS_SOLID: *native = dc.NativeColor(dc.BrushColor(b)); return true;
    case BS_HATCHED: {
      if (HatchBit(b.hatch, x - dc.st.brushOrg.x, y - dc.st.brushOrg.y)) {
        *native = dc.NativeColor(dc.BrushColor(b));
        return true;
      }
      if (dc.st.bkMode != OPAQUE) return false;
      *native = dc.NativeColor(dc.st.bkColor);
      return true;
    }
    case BS_PATTERN: {
      if (b.patWidth <= 0 || b.patHeight <= 0) return false;
      int px = (x - dc.st.brushOrg.x) % b.patWidth;
      int py = (y - dc.st.brushOrg.y) % b.patHeight;
      if (px < 0) px += b.patWidth;
      if (py < 0) py += b.patHeight;
      const std::size_t i = static_cast<std::size_t>(py) * b.patWidth + px;
      if (b.patMono) {
        const BYTE bit = b.patBits[i];
        // On a monochrome surface the bits go as they are; elsewhere 0 takes the text
        // colour and 1 the background colour.
        if (dc.surface.bitsPerPixel == 1) *native = bit;
        else *native = dc.NativeColor(bit ? dc.st.bkColor : dc.st.textColor);
      } else {
        *native = dc.NativeColor(b.patColors[i]);
      }
      return true;
    }
    default: return false;
  }
}

void ForEachClippedSpan(const DeviceContext& dc, i64 left, i64 top, i64 right, i64 bottom,
                        const std::function<void(int y, int x0, int x1)>& f) {
  const RECT box = dc.ClipBox();
  const i64 t = std::max<i64>(top, box.top), b = std::min<i64>(bottom, box.bottom);
  const i64 l = std::max<i64>(left, box.left), r = std::min<i64>(right, box.right);
  if (l >= r) return;
  for (i64 y = t; y < b; ++y) {
    for (const RECT& c : dc.EffectiveClip().BandAt(static_cast<LONG>(y))) {
      const i64 a = std::max<i64>(l, c.left), e = std::min<i64>(r, c.right);
      if (a < e) f(static_cast<int>(y), static_cast<int>(a), static_cast<int>(e));
    }
  }
}

namespace {

bool Paints(const DeviceContext& dc, const BrushObject* b) { return b && b->style != BS_NULL && !dc.surface.Empty(); }

}  // namespace

BrushSpans::BrushSpans(DeviceContext& dc, const BrushObject* b, int rop2)
    : dc_(dc),
      b_(Paints(dc, b) ? b : nullptr),
      rop2_(rop2),
      solid_(dc, b_ && b_->style == BS_SOLID ? dc.NativeColor(dc.BrushColor(*b_)) : 0, rop2) {}

void BrushSpans::FillPattern(i64 x0, i64 x1, i64 y) const {
  const RECT box = dc_.ClipBox();
  if (y < box.top || y >= box.bottom) return;
  x0 = std::max<i64>(x0, box.left);
  x1 = std::min<i64>(x1, box.right);
  if (x0 >= x1) return;
  const int yy = static_cast<int>(y);
  const DWORD mask = dc_.surface.NativeMask();
  for (const RECT& c : dc_.EffectiveClip().BandAt(yy)) {
    const int a = static_cast<int>(std::max<i64>(x0, c.left)), e = static_cast<int>(std::min<i64>(x1, c.right));
    for (int x = a; x < e; ++x) {
      DWORD v;
      if (BrushPixel(dc_, *b_, x, yy, &v))
        dc_.surface.Put(x, yy, ApplyRop2(rop2_, v, dc_.surface.Get(x, yy)) & mask);
    }
  }
}

void FillSpanBrush(DeviceContext& dc, const BrushObject* b, i64 x0, i64 x1, i64 y, int rop2) {
  BrushSpans(dc, b, rop2).Fill(x0, x1, y);
}

// ---- pens ------------------------------------------------------------------------------------------

namespace {

constexpr double kPi = 3.14159265358979323846;

// How the selected pen draws.
struct PenDraw {
  bool null = true;
  bool wide = false;  // drawn as filled polygons
  int width = 1;
  int lo = 0, hi = 0;  // a wide stroke covers [c - lo, c + hi] around a centre pixel c
  DWORD native = 0;
  std::vector<i64> dashes;  // on, off, on, off ... in pixels; empty = solid
  bool alternate = false;
  bool gapsOpaque = false;
  DWORD bkNative = 0;
  UINT cap = PS_ENDCAP_ROUND;
  UINT join = PS_JOIN_ROUND;
  bool insideFrame = false;
  int rop2 = R2_COPYPEN;
  bool Styled() const { return alternate || !dashes.empty(); }
};

PenDraw MakePen(const DeviceContext& dc) {
  PenDraw p;
  const PenObject* pen = CheckPen(dc.st.pen);
  if (!pen || pen->IsNull()) return p;
  p.null = false;
  p.rop2 = dc.st.rop2;
  p.native = dc.NativeColor(dc.PenColor(*pen));
  const UINT dash = pen->DashStyle();
  const bool geometric = pen->kind == GdiKind::ExtPen ? pen->Geometric() : pen->width > 1;
  p.width = geometric ? std::max(pen->width, 1) : 1;
  p.wide = p.width > 1;
  p.lo = p.width / 2;
  p.hi = p.width - 1 - p.lo;
  if (pen->kind == GdiKind::ExtPen) {
    p.cap = pen->style & PS_ENDCAP_MASK;
    p.join = pen->style & PS_JOIN_MASK;
  }
  p.insideFrame = dash == PS_INSIDEFRAME;
  const i64 u = geometric ? p.width : 1;
  switch (dash) {
    case PS_DASH: p.dashes = geometric ? std::vector<i64>{3 * u, u} : std::vector<i64>{18, 6}; break;
    case PS_DOT: p.dashes = geometric ? std::vector<i64>{u, u} : std::vector<i64>{3, 3}; break;
    case PS_DASHDOT: p.dashes = geometric ? std::vector<i64>{3 * u, u, u, u} : std::vector<i64>{9, 6, 3, 6}; break;
    case PS_DASHDOTDOT:
      p.dashes = geometric ? std::vector<i64>{3 * u, u, u, u, u, u} : std::vector<i64>{9, 3, 3, 3, 3, 3};
      break;
    case PS_ALTERNATE: p.alternate = true; break;
    case PS_USERSTYLE:
      for (DWORD len : pen->userStyle) p.dashes.push_back(std::max<i64>(1, i64{len} * u));
      if (p.dashes.size() % 2) p.dashes.push_back(p.dashes.back());  // odd lists repeat
      break;
    default: break;
  }
  // Gaps of cosmetic styled lines take the background colour in opaque mode.
  if (!geometric && p.Styled() && dc.st.bkMode == OPAQUE) {
    p.gapsOpaque = true;
    p.bkNative = dc.NativeColor(dc.st.bkColor);
  }
  return p;
}

bool StyleOn(const PenDraw& p, i64 pos) {
  if (p.alternate) return (pos & 1) == 0;
  if (p.dashes.empty()) return true;
  i64 period = 0;
  for (i64 d : p.dashes) period += d;
  i64 at = pos % period;
  if (at < 0) at += period;
  for (std::size_t i = 0; i < p.dashes.size(); ++i) {
    if (at < p.dashes[i]) return (i % 2) == 0;
    at -= p.dashes[i];
  }
  return true;
}

void Plot(DeviceContext& dc, i64 x, i64 y, DWORD native, int rop2) {
  const RECT box = dc.ClipBox();
  if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return;
  const int xi = static_cast<int>(x), yi = static_cast<int>(y);
  if (!dc.InClip(xi, yi)) return;
  dc.surface.Put(xi, yi, ApplyRop2(rop2, native, dc.surface.Get(xi, yi)) & dc.surface.NativeMask());
}

// A styled or plain pixel of a one-pixel pen at style position `pos`.
void PenPixel(DeviceContext& dc, const PenDraw& p, i64 x, i64 y, i64 pos) {
  if (StyleOn(p, pos)) Plot(dc, x, y, p.native, p.rop2);
  else if (p.gapsOpaque) Plot(dc, x, y, p.bkNative, p.rop2);
}

// One-pixel line from a to b, b excluded. Pixels are chosen by their exact position (see
// raster.h), so clipping starts the walk where the line enters the clip box.
void ThinLine(DeviceContext& dc, const PenDraw& p, DPoint a, DPoint b, i64 stylePos) {
  const i64 dx = b.x - a.x, dy = b.y - a.y;
  const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const i64 D = std::max(adx, ady);
  if (D == 0) return;
  const bool xMajor = adx >= ady;
  const i64 m0 = xMajor ? a.x : a.y;
  const i64 n0 = xMajor ? a.y : a.x;
  const i64 s = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const i64 dn = xMajor ? dy : dx;
  const RECT box = dc.ClipBox();
  const i64 lo = xMajor ? box.left : box.top, hi = xMajor ? box.right : box.bottom;
  const i64 nlo = xMajor ? box.top : box.left, nhi = xMajor ? box.bottom : box.right;
  if (lo >= hi) return;
  i64 u0, u1;  // steps whose major coordinate lies in [lo, hi)
  if (s > 0) {
    u0 = lo - m0;
    u1 = hi - m0;
  } else {
    u0 = m0 - hi + 1;
    u1 = m0 - lo + 1;
  }
  u0 = std::max<i64>(u0, 0);
  u1 = std::min<i64>(u1, D);
  if (u0 >= u1) return;
  // minor(u) = n0 + ceil((2 u dn - D) / 2D): nearest, ties to the smaller coordinate.
  const i64 twoD = 2 * D;
  const i128 n = i128{2} * u0 * dn - D;
  i64 q = CeilDiv(n, twoD);
  i64 r = static_cast<i64>(i128{q} * twoD - n);  // 0 <= r < 2D
  for (i64 u = u0; u < u1; ++u) {
    const i64 minor = n0 + q;
    if (minor >= nlo && minor < nhi) {
      const i64 m = m0 + s * u;
      if (xMajor) PenPixel(dc, p, m, minor, stylePos + u);
      else PenPixel(dc, p, minor, m, stylePos + u);
    }
    r -= 2 * dn;
    if (r < 0) {
      ++q;
      r += twoD;
    } else if (r >= twoD) {
      --q;
      r -= twoD;
    }
  }
}

i64 LineSteps(DPoint a, DPoint b) { return std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)); }

// ---- wide strokes ----

struct FPoint {
  double x, y;
};

DPoint ToFixed(FPoint p) {
  return DPoint{static_cast<i64>(std::llround(p.x * kSub)), static_cast<i64>(std::llround(p.y * kSub))};
}

void AddOriented(std::vector<std::vector<DPoint>>& polys, std::vector<FPoint> pts) {
  if (pts.size() < 3) return;
  double area = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const FPoint& a = pts[i];
    const FPoint& b = pts[(i + 1) % pts.size()];
    area += a.x * b.y - b.x * a.y;
  }
  if (area < 0) std::reverse(pts.begin(), pts.end());
  std::vector<DPoint> out;
  out.reserve(pts.size());
  for (const FPoint& p : pts) out.push_back(ToFixed(p));
  polys.push_back(std::move(out));
}

void AddDisc(std::vector<std::vector<DPoint>>& polys, FPoint c, double radius) {
  const int n = std::clamp(static_cast<int>(radius * 8), 8, 64);
  std::vector<FPoint> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * kPi * (i + 0.5) / n;
    pts.push_back(FPoint{c.x + radius * std::cos(a), c.y + radius * std::sin(a)});
  }
  AddOriented(polys, std::move(pts));
}

// Polygons of a wide polyline through pixel centres (device coordinates). All pieces are
// filled together with the winding rule, so overlaps are drawn once.
std::vector<std::vector<DPoint>> WideStroke(const PenDraw& p, const std::vector<DPoint>& pts, bool closed) {
  std::vector<std::vector<DPoint>> polys;
  const double h = p.width / 2.0;
  std::vector<FPoint> c;
  for (const DPoint& d : pts) {
    const FPoint f{d.x + 0.5, d.y + 0.5};
    if (c.empty() || c.back().x != f.x || c.back().y != f.y) c.push_back(f);
  }
  if (closed && c.size() > 1 && c.front().x == c.back().x && c.front().y == c.back().y) c.pop_back();
  if (c.size() < 2) return polys;
  const std::size_t segs = closed ? c.size() : c.size() - 1;
  if (p.dashes.empty()) {
    for (std::size_t i = 0; i < segs; ++i) {
      FPoint a = c[i], b = c[(i + 1) % c.size()];
      const double len = std::hypot(b.x - a.x, b.y - a.y);
      const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
      const double nx = -uy * h, ny = ux * h;
      if (!closed && p.cap == PS_ENDCAP_SQUARE) {
        if (i == 0) a = FPoint{a.x - ux * h, a.y - uy * h};
        if (i + 1 == segs) b = FPoint{b.x + ux * h, b.y + uy * h};
      }
      AddOriented(polys, {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
    }
    if (!closed && p.cap == PS_ENDCAP_ROUND) {
      AddDisc(polys, c.front(), h);
      AddDisc(polys, c.back(), h);
    }
    // Joins at every inner vertex (every vertex of a closed figure).
    for (std::size_t i = closed ? 0 : 1; i < (closed ? c.size() : c.size() - 1); ++i) {
      const FPoint v = c[i];
      const FPoint prev = c[(i + c.size() - 1) % c.size()], next = c[(i + 1) % c.size()];
      if (p.join == PS_JOIN_ROUND) {
        AddDisc(polys, v, h);
        continue;
      }
      const double l1 = std::hypot(v.x - prev.x, v.y - prev.y), l2 = std::hypot(next.x - v.x, next.y - v.y);
      const FPoint n1{-(v.y - prev.y) / l1 * h, (v.x - prev.x) / l1 * h};
      const FPoint n2{-(next.y - v.y) / l2 * h, (next.x - v.x) / l2 * h};
      for (double side : {1.0, -1.0}) {
        const FPoint a{v.x + side * n1.x, v.y + side * n1.y}, b{v.x + side * n2.x, v.y + side * n2.y};
        if (p.join == PS_JOIN_MITER) {
          // The miter point: where the two offset edges meet, if not too far out.
          const FPoint m{(a.x + b.x) / 2 - v.x, (a.y + b.y) / 2 - v.y};
          const double mm = m.x * m.x + m.y * m.y;
          if (mm > 1e-9) {
            const double scale = h * h / mm;
            if (scale <= 100) {
              AddOriented(polys, {v, a, {v.x + m.x * scale, v.y + m.y * scale}, b});
              continue;
            }
          }
        }
        AddOriented(polys, {v, a, b});
      }
    }
    return polys;
  }
  // Dashed: flat pieces along the length, the pattern running on across vertices.
  i64 period = 0;
  for (i64 d : p.dashes) period += d;
  double pos = 0;
  for (std::size_t i = 0; i < segs; ++i) {
    const FPoint a = c[i], b = c[(i + 1) % c.size()];
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
    const double nx = -uy * h, ny = ux * h;
    double t = 0;
    while (t < len) {
      double at = std::fmod(pos + t, static_cast<double>(period));
      std::size_t k = 0;
      while (k < p.dashes.size() && at >= static_cast<double>(p.dashes[k])) at -= static_cast<double>(p.dashes[k++]);
      if (k >= p.dashes.size()) k = 0;
      const double piece = std::min(len - t, static_cast<double>(p.dashes[k]) - at);
      if (k % 2 == 0) {
        const FPoint s{a.x + ux * t, a.y + uy * t}, e{a.x + ux * (t + piece), a.y + uy * (t + piece)};
        AddOriented(polys, {{s.x + nx, s.y + ny}, {e.x + nx, e.y + ny}, {e.x - nx, e.y - ny}, {s.x - nx, s.y - ny}});
      }
      t += std::max(piece, 1e-6);
    }
    pos += len;
  }
  return polys;
}

void FillWithPen(DeviceContext& dc, const PenDraw& p, const std::vector<std::vector<DPoint>>& polys) {
  FillPolygonsFixed(dc, polys, true, [&](i64 y, i64 x0, i64 x1) {
    dc.FillSpanNative(static_cast<int>(x0), static_cast<int>(x1), static_cast<int>(y), p.native, p.rop2);
  });
}

// Strokes an open or closed polyline (device points) with the pen; returns the style
// position after it.
i64 StrokePolyline(DeviceContext& dc, const PenDraw& p, const std::vector<DPoint>& pts, bool closed, i64 stylePos) {
  if (p.null || pts.size() < 2 || dc.surface.Empty()) return stylePos;
  if (p.wide) {
    FillWithPen(dc, p, WideStroke(p, pts, closed));
    return stylePos;
  }
  const std::size_t segs = closed ? pts.size() : pts.size() - 1;
  for (std::size_t i = 0; i < segs; ++i) {
    const DPoint a = pts[i], b = pts[(i + 1) % pts.size()];
    ThinLine(dc, p, a, b, stylePos);
    stylePos += LineSteps(a, b);
  }
  return stylePos;
}

DPoint Dev(const DeviceContext& dc, i64 x, i64 y) { return DPoint{dc.ToDeviceX(x), dc.ToDeviceY(y)}; }

const BrushObject* Brush(const DeviceContext& dc) {
  const BrushObject* b = CheckBrush(dc.st.brush);
  return (b && b->style != BS_NULL) ? b : nullptr;
}

// ---- shapes made of one span per row ----

using RowFn = std::function<bool(i64 y, i64* x0, i64* x1)>;

// Rows [top, bottom) that the clip box lets through.
void ClipRows(const DeviceContext& dc, i64& top, i64& bottom) {
  const RECT box = dc.ClipBox();
  top = std::max<i64>(top, box.top);
  bottom = std::min<i64>(bottom, box.bottom);
}

void FillRowsWithBrush(DeviceContext& dc, const RowFn& rows, i64 top, i64 bottom) {
  const BrushSpans brush(dc, Brush(dc), dc.st.rop2);
  if (!brush) return;
  ClipRows(dc, top, bottom);
  for (i64 y = top; y < bottom; ++y) {
    i64 x0, x1;
    if (rows(y, &x0, &x1)) brush.Fill(x0, x1, y);
  }
}

// Style position of a boundary pixel of a round shape: its angle times the mean radius.
struct AngularStyle {
  double cx, cy, rx, ry;
  i64 operator()(i64 x, i64 y) const {
    double a = std::atan2(-(y + 0.5 - cy), x + 0.5 - cx);
    if (a < 0) a += 2 * kPi;
    return static_cast<i64>(std::llround(a * (rx + ry) / 2));
  }
};

// Interior (brush) and one-pixel boundary (pen) of a shape with one span per row.
// `style` gives the style position of a boundary pixel for styled pens (none: 0).
void ThinOutlineShape(DeviceContext& dc, const PenDraw& p, const RowFn& rows, i64 top, i64 bottom,
                      const AngularStyle* style) {
  const BrushSpans brush(dc, Brush(dc), dc.st.rop2);
  i64 t = top, e = bottom;
  ClipRows(dc, t, e);
  if (t >= e) return;
  const RECT box = dc.ClipBox();
  const NativeSpans pen(dc, p.native, p.rop2);
  // Each row's extent is worked out once, though a row is read with the rows beside it.
  struct Row {
    bool in;
    i64 x0, x1;
  };
  auto rowAt = [&](i64 y) {
    Row r{false, 0, 0};
    r.in = rows(y, &r.x0, &r.x1);
    return r;
  };
  Row above = rowAt(t - 1), here = rowAt(t);
  for (i64 y = t; y < e; ++y) {
    const Row below = rowAt(y + 1);
    if (here.in) {
      const i64 x0 = here.x0, x1 = here.x1;
      // Inside pixels whose four neighbours are inside too.
      i64 in0 = x0 + 1, in1 = x1 - 1;
      if (above.in && below.in) {
        in0 = std::max({in0, above.x0, below.x0});
        in1 = std::min({in1, above.x1, below.x1});
      } else {
        in1 = in0;
      }
      if (in0 >= in1) {
        in0 = x1;
        in1 = x1;
      }
      if (brush && in0 < in1) brush.Fill(in0, in1, y);
      auto outline = [&](i64 s0, i64 s1) {
        if (!p.Styled()) {
          pen.Fill(s0, s1, y);
          return;
        }
        s0 = std::max<i64>(s0, box.left);
        s1 = std::min<i64>(s1, box.right);
        for (i64 x = s0; x < s1; ++x) PenPixel(dc, p, x, y, style ? (*style)(x, y) : 0);
      };
      outline(x0, in0);
      outline(in1, x1);
    }
    above = here;
    here = below;
  }
}

// Wide outline: the pen covers outer minus inner, the brush covers inner.
void RingShape(DeviceContext& dc, const PenDraw& p, const RowFn& outer, const RowFn& inner, i64 top, i64 bottom) {
  const BrushSpans brush(dc, Brush(dc), dc.st.rop2);
  i64 t = top, e = bottom;
  ClipRows(dc, t, e);
  const NativeSpans spans(dc, p.native, p.rop2);
  auto pen = [&](i64 y, i64 s0, i64 s1) { spans.Fill(s0, s1, y); };
  for (i64 y = t; y < e; ++y) {
    i64 x0, x1, i0 = 0, i1 = 0;
    if (!outer(y, &x0, &x1)) continue;
    bool hasInner = inner(y, &i0, &i1);
    if (hasInner) {
      i0 = std::max(i0, x0);
      i1 = std::min(i1, x1);
      hasInner = i0 < i1;
    }
    if (hasInner) {
      brush.Fill(i0, i1, y);
      pen(y, x0, i0);
      pen(y, i1, x1);
    } else {
      pen(y, x0, x1);
    }
  }
}

struct Box {
  i64 l, t, r, b;
};

Box DeviceBox(const DeviceContext& dc, int l, int t, int r, int b) {
  Box x{dc.ToDeviceX(l), dc.ToDeviceY(t), dc.ToDeviceX(r), dc.ToDeviceY(b)};
  if (x.l > x.r) std::swap(x.l, x.r);
  if (x.t > x.b) std::swap(x.t, x.b);
  return x;
}

// The box a pen draws around: shrunk for inside-frame pens so the stroke stays inside.
Box PenBox(const PenDraw& p, Box x) {
  if (p.insideFrame && p.wide) {
    x.l += p.lo;
    x.t += p.lo;
    x.r -= p.hi;
    x.b -= p.hi;
  }
  return x;
}

bool Ready(DeviceContext* dc) { return dc && !dc->surface.Empty() && !dc->EffectiveClip().IsEmpty(); }

// ---- pies, chords and arcs ----

enum class Sector { ArcOnly, Pie, Chord };

struct SectorGeom {
  Box box;
  double cx, cy;
  double start, sweep;  // radians, counter-clockwise on screen
  bool full;
  double px0, py0, px1, py1;  // chord ends
  double side;                // sign of the arc's side of the chord

  bool InSweep(double x, double y) const {
    if (full) return true;
    double a = std::atan2(-(y - cy), x - cx) - start;
    while (a < 0) a += 2 * kPi;
    while (a >= 2 * kPi) a -= 2 * kPi;
    return a <= sweep + 1e-12;
  }
  bool ChordSide(double x, double y) const {
    if (full) return true;
    const double c = (px1 - px0) * (y - py0) - (py1 - py0) * (x - px0);
    return c == 0 || (c > 0) == (side > 0);
  }
};

SectorGeom MakeSector(Box box, i64 xs, i64 ys, i64 xe, i64 ye) {
  SectorGeom g;
  g.box = box;
  g.cx = (box.l + box.r) / 2.0;
  g.cy = (box.t + box.b) / 2.0;
  auto angle = [&](double x, double y) {
    if (x == g.cx && y == g.cy) return 0.0;
    return std::atan2(-(y - g.cy), x - g.cx);
  };
  g.start = angle(static_cast<double>(xs), static_cast<double>(ys));
  double end = angle(static_cast<double>(xe), static_cast<double>(ye));
  g.sweep = end - g.start;
  while (g.sweep < 0) g.sweep += 2 * kPi;
  g.full = g.sweep == 0;
  const double rx = (box.r - box.l) / 2.0, ry = (box.b - box.t) / 2.0;
  auto onEllipse = [&](double a, double* x, double* y) {
    const double dx = std::cos(a), dy = -std::sin(a);
    const double k = (rx > 0 && ry > 0) ? 1 / std::sqrt((dx / rx) * (dx / rx) + (dy / ry) * (dy / ry)) : 0;
    *x = g.cx + k * dx;
    *y = g.cy + k * dy;
  };
  onEllipse(g.start, &g.px0, &g.py0);
  onEllipse(g.start + g.sweep, &g.px1, &g.py1);
  double mx, my;
  onEllipse(g.start + g.sweep / 2, &mx, &my);
  g.side = (g.px1 - g.px0) * (my - g.py0) - (g.py1 - g.py0) * (mx - g.px0);
  if (g.side == 0) g.side = 1;
  return g;
}

void DrawSector(DeviceContext& dc, Sector kind, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  const PenDraw p = MakePen(dc);
  const Box full = DeviceBox(dc, l, t, r, b);
  const i64 dxs = dc.ToDeviceX(xs), dys = dc.ToDeviceY(ys), dxe = dc.ToDeviceX(xe), dye = dc.ToDeviceY(ye);
  const bool filled = kind != Sector::ArcOnly;
  // Filled shapes with a null pen stop one pixel short, as the other shapes do.
  Box box = full;
  if (filled && p.null) {
    box.r -= 1;
    box.b -= 1;
  }
  box = PenBox(p, box);
  const SectorGeom g = MakeSector(box, dxs, dys, dxe, dye);
  auto inside = [&](i64 x, i64 y) {
    i64 x0, x1;
    if (!EllipseRow(box.l, box.t, box.r, box.b, y, &x0, &x1) || x < x0 || x >= x1) return false;
    const double px = x + 0.5, py = y + 0.5;
    if (kind == Sector::Pie) return g.InSweep(px, py);
    if (kind == Sector::Chord) return g.ChordSide(px, py);
    return true;
  };
  const BrushSpans brush(dc, filled ? Brush(dc) : nullptr, dc.st.rop2);
  const AngularStyle style{g.cx, g.cy, (box.r - box.l) / 2.0, (box.b - box.t) / 2.0};
  const int reach = p.wide ? std::max(p.lo, p.hi) + 1 : 1;
  i64 top = box.t, bottom = box.b;
  ClipRows(dc, top, bottom);
  const RECT clip = dc.ClipBox();
  for (i64 y = top; y < bottom; ++y) {
    i64 x0, x1;
    if (!EllipseRow(box.l, box.t, box.r, box.b, y, &x0, &x1)) continue;
    x0 = std::max<i64>(x0, clip.left);
    x1 = std::min<i64>(x1, clip.right);
    for (i64 x = x0; x < x1; ++x) {
      if (!inside(x, y)) continue;
      // On the boundary when a neighbour within the pen's reach is outside.
      bool edge = false;
      if (p.wide) {
        for (int d = 1; d <= reach - 1 && !edge; ++d)
          edge = !inside(x - d, y) || !inside(x + d, y) || !inside(x, y - d) || !inside(x, y + d);
      } else {
        edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      }
      if (kind == Sector::ArcOnly) {
        if (edge && !p.null && g.InSweep(x + 0.5, y + 0.5)) PenPixel(dc, p, x, y, style(x, y));
        continue;
      }
      if (edge && !p.null) PenPixel(dc, p, x, y, style(x, y));
      else brush.Fill(x, x + 1, y);
    }
  }
}

}  // namespace

// ---- the drawing calls ---------------------------------------------------------------------------

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (old) *old = dc->st.currentPos;
  dc->st.currentPos = POINT{x, y};
  dc->penStylePos = 0;
  if (PathSink sink = GetPathSink()) sink(*dc, PathSegment::MoveTo, POINT{x, y});
  return 1;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* p) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !p) return 0;
  *p = dc->st.currentPos;
  return 1;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  const POINT from = dc->st.currentPos;
  dc->st.currentPos = POINT{x, y};
  if (PathSink sink = GetPathSink(); sink && sink(*dc, PathSegment::LineTo, POINT{x, y})) return 1;
  if (!Ready(dc)) return 1;
  const PenDraw p = MakePen(*dc);
  dc->penStylePos = StrokePolyline(*dc, p, {Dev(*dc, from.x, from.y), Dev(*dc, x, y)}, false, dc->penStylePos);
  return 1;
}

namespace {

bool SendPath(DeviceContext& dc, const POINT* pts, int count, bool close) {
  PathSink sink = GetPathSink();
  if (!sink || count < 1 || !sink(dc, PathSegment::MoveTo, pts[0])) return false;
  for (int i = 1; i < count; ++i) sink(dc, PathSegment::LineTo, pts[i]);
  if (close) sink(dc, PathSegment::Close, pts[0]);
  return true;
}

std::vector<DPoint> DevicePoints(const DeviceContext& dc, const POINT* pts, int count) {
  std::vector<DPoint> out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back(Dev(dc, pts[i].x, pts[i].y));
  return out;
}

}  // namespace

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !pts || count < 2) return 0;
  if (SendPath(*dc, pts, count, false)) return 1;
  if (!Ready(dc)) return 1;
  StrokePolyline(*dc, MakePen(*dc), DevicePoints(*dc, pts, count), false, 0);
  return 1;
}

BOOL PolylineTo(HDC hdc, const POINT* pts, int count) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !pts || count < 1) return 0;
  PathSink sink = GetPathSink();
  const POINT from = dc->st.currentPos;
  dc->st.currentPos = pts[count - 1];
  if (sink && sink(*dc, PathSegment::LineTo, pts[0])) {
    for (int i = 1; i < count; ++i) sink(*dc, PathSegment::LineTo, pts[i]);
    return 1;
  }
  if (!Ready(dc)) return 1;
  std::vector<DPoint> d{Dev(*dc, from.x, from.y)};
  for (int i = 0; i < count; ++i) d.push_back(Dev(*dc, pts[i].x, pts[i].y));
  dc->penStylePos = StrokePolyline(*dc, MakePen(*dc), d, false, dc->penStylePos);
  return 1;
}

namespace {

void FillAndStrokePolygons(DeviceContext& dc, const std::vector<std::vector<DPoint>>& devPolys) {
  if (const BrushObject* b = Brush(dc)) {
    std::vector<std::vector<DPoint>> fixed;
    for (const auto& poly : devPolys) {
      std::vector<DPoint> f;
      for (const DPoint& q : poly) f.push_back(DPoint{q.x * kSub, q.y * kSub});
      fixed.push_back(std::move(f));
    }
    FillPolygonsFixed(dc, fixed, dc.st.polyFillMode == WINDING,
                      [&](i64 y, i64 x0, i64 x1) { FillSpanBrush(dc, b, x0, x1, y, dc.st.rop2); });
  }
  const PenDraw p = MakePen(dc);
  for (const auto& poly : devPolys) StrokePolyline(dc, p, poly, true, 0);
}

}  // namespace

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !pts || count < 2) return 0;
  if (SendPath(*dc, pts, count, true)) return 1;
  if (!Ready(dc)) return 1;
  FillAndStrokePolygons(*dc, {DevicePoints(*dc, pts, count)});
  return 1;
}

BOOL PolyPolygon(HDC hdc, const POINT* pts, const int* counts, int polygons) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !pts || !counts || polygons < 1) return 0;
  for (int i = 0; i < polygons; ++i)
    if (counts[i] < 2) return 0;
  if (GetPathSink()) {
    bool sent = false;
    int at = 0;
    for (int i = 0; i < polygons; ++i) {
      sent = SendPath(*dc, pts + at, counts[i], true) || sent;
      at += counts[i];
    }
    if (sent) return 1;
  }
  if (!Ready(dc)) return 1;
  std::vector<std::vector<DPoint>> polys;
  int at = 0;
  for (int i = 0; i < polygons; ++i) {
    polys.push_back(DevicePoints(*dc, pts + at, counts[i]));
    at += counts[i];
  }
  FillAndStrokePolygons(*dc, polys);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  {
    const POINT corners[4] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
    if (SendPath(*dc, corners, 4, true)) return 1;
  }
  if (!Ready(dc)) return 1;
  const PenDraw p = MakePen(*dc);
  Box x = DeviceBox(*dc, left, top, right, bottom);
  if (p.null) {
    // One pixel short on the right and bottom.
    FillRowsWithBrush(*dc, [&](i64, i64* a, i64* e) { *a = x.l; *e = x.r - 1; return *a < *e; }, x.t, x.b - 1);
    return 1;
  }
  x = PenBox(p, x);
  if (x.r <= x.l || x.b <= x.t) return 1;
  if (p.wide && !p.Styled()) {
    // The stroke runs round the pixel centres of (l, t) .. (r - 1, b - 1).
    const Box outer{x.l - p.lo, x.t - p.lo, x.r + p.hi, x.b + p.hi};
    const Box inner{x.l + p.hi + 1, x.t + p.hi + 1, x.r - 1 - p.lo, x.b - 1 - p.lo};
    RingShape(
        *dc, p, [&](i64, i64* a, i64* e) { *a = outer.l; *e = outer.r; return true; },
        [&](i64 y, i64* a, i64* e) {
          *a = inner.l;
          *e = inner.r;
          return y >= inner.t && y < inner.b && *a < *e;
        },
        outer.t, outer.b);
    return 1;
  }
  if (!p.Styled()) {
    ThinOutlineShape(*dc, p, [&](i64 y, i64* a, i64* e) { *a = x.l; *e = x.r; return y >= x.t && y < x.b; }, x.t, x.b,
                     nullptr);
    return 1;
  }
  // Styled pens run their pattern round the frame, clockwise from the top-left corner.
  FillRowsWithBrush(*dc, [&](i64, i64* a, i64* e) { *a = x.l + 1; *e = x.r - 1; return *a < *e; }, x.t + 1, x.b - 1);
  const std::vector<DPoint> frame{{x.l, x.t}, {x.r - 1, x.t}, {x.r - 1, x.b - 1}, {x.l, x.b - 1}};
  if (x.r - x.l == 1 || x.b - x.t == 1) {
    StrokePolyline(*dc, p, {frame[0], DPoint{x.r - 1, x.b - 1}}, false, 0);
    Plot(*dc, x.r - 1, x.b - 1, p.native, p.rop2);
    return 1;
  }
  StrokePolyline(*dc, p, frame, true, 0);
  return 1;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (!Ready(dc)) return 1;
  const PenDraw p = MakePen(*dc);
  Box x = DeviceBox(*dc, left, top, right, bottom);
  if (p.null) {
    const Box s{x.l, x.t, x.r - 1, x.b - 1};
    FillRowsWithBrush(*dc, [&](i64 y, i64* a, i64* e) { return EllipseRow(s.l, s.t, s.r, s.b, y, a, e); }, s.t, s.b);
    return 1;
  }
  x = PenBox(p, x);
  if (p.wide) {
    const Box outer{x.l - p.lo, x.t - p.lo, x.r + p.hi, x.b + p.hi};
    const Box inner{x.l + p.hi + 1, x.t + p.hi + 1, x.r - p.lo - 1, x.b - p.lo - 1};
    RingShape(
        *dc, p, [&](i64 y, i64* a, i64* e) { return EllipseRow(outer.l, outer.t, outer.r, outer.b, y, a, e); },
        [&](i64 y, i64* a, i64* e) { return EllipseRow(inner.l, inner.t, inner.r, inner.b, y, a, e); }, outer.t,
        outer.b);
    return 1;
  }
  const AngularStyle style{(x.l + x.r) / 2.0, (x.t + x.b) / 2.0, (x.r - x.l) / 2.0, (x.b - x.t) / 2.0};
  ThinOutlineShape(
      *dc, p, [&](i64 y, i64* a, i64* e) { return EllipseRow(x.l, x.t, x.r, x.b, y, a, e); }, x.t, x.b, &style);
  return 1;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int ew, int eh) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (!Ready(dc)) return 1;
  const PenDraw p = MakePen(*dc);
  Box x = DeviceBox(*dc, left, top, right, bottom);
  const i64 aw = std::abs(static_cast<i64>(ew)), ah = std::abs(static_cast<i64>(eh));
  auto rows = [](Box bx, i64 cw, i64 ch) {
    cw = std::min(cw, bx.r - bx.l);
    ch = std::min(ch, bx.b - bx.t);
    return RowFn([=](i64 y, i64* a, i64* e) { return RoundRectRow(bx.l, bx.t, bx.r, bx.b, cw, ch, y, a, e); });
  };
  if (p.null) {
    const Box s{x.l, x.t, x.r - 1, x.b - 1};
    FillRowsWithBrush(*dc, rows(s, aw, ah), s.t, s.b);
    return 1;
  }
  x = PenBox(p, x);
  if (p.wide) {
    const Box outer{x.l - p.lo, x.t - p.lo, x.r + p.hi, x.b + p.hi};
    const Box inner{x.l + p.hi + 1, x.t + p.hi + 1, x.r - p.lo - 1, x.b - p.lo - 1};
    const i64 grow = p.width - 1;
    RingShape(*dc, p, rows(outer, aw + grow, ah + grow), rows(inner, std::max<i64>(aw - grow, 0), std::max<i64>(ah - grow, 0)),
              outer.t, outer.b);
    return 1;
  }
  const AngularStyle style{(x.l + x.r) / 2.0, (x.t + x.b) / 2.0, (x.r - x.l) / 2.0, (x.b - x.t) / 2.0};
  ThinOutlineShape(*dc, p, rows(x, aw, ah), x.t, x.b, &style);
  return 1;
}

BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (Ready(dc)) DrawSector(*dc, Sector::ArcOnly, l, t, r, b, xs, ys, xe, ye);
  return 1;
}

BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (Ready(dc)) DrawSector(*dc, Sector::Pie, l, t, r, b, xs, ys, xe, ye);
  return 1;
}

BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (Ready(dc)) DrawSector(*dc, Sector::Chord, l, t, r, b, xs, ys, xe, ye);
  return 1;
}

}  // namespace win
