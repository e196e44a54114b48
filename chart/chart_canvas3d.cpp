// The 3D side of the chart canvas: frames and buffering, the projection and its
// inverse, and the solids drawn with it.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "chart/chart_canvas.h"
#include "chart/chart_panel.h"
#include "chart/chart_utils.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"

namespace {

constexpr Double kDegrees = std::numbers::pi / 180.0;

// A pixel coordinate plus an offset, held inside the 32-bit range.
Integer Shifted(Double value, Integer offset) {
  const Int64 v = static_cast<Int64>(RoundToPixel(value)) + offset;
  constexpr Int64 kMax = std::numeric_limits<Integer>::max();
  return static_cast<Integer>(std::clamp<Int64>(v, -kMax, kMax));
}

using Point3 = std::array<Double, 3>;
using Face = std::vector<Point3>;

// Newell's normal of a planar polygon.
Point3 FaceNormal(const Face& f) {
  Point3 n{0, 0, 0};
  for (std::size_t i = 0; i < f.size(); ++i) {
    const Point3& a = f[i];
    const Point3& b = f[(i + 1) % f.size()];
    n[0] += (a[1] - b[1]) * (a[2] + b[2]);
    n[1] += (a[2] - b[2]) * (a[0] + b[0]);
    n[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  return n;
}

Point3 Centroid(const Face& f) {
  Point3 c{0, 0, 0};
  for (const Point3& p : f)
    for (int k = 0; k < 3; ++k) c[k] += p[k];
  const Double n = f.empty() ? 1.0 : static_cast<Double>(f.size());
  return Point3{c[0] / n, c[1] / n, c[2] / n};
}

// Turns every face of a solid so that its normal points into the solid: a face then
// faces the viewer exactly when its projection runs clockwise on the screen.
void OrientInward(std::vector<Face>& faces) {
  Point3 centre{0, 0, 0};
  std::size_t n = 0;
  for (const Face& f : faces)
    for (const Point3& p : f) {
      for (int k = 0; k < 3; ++k) centre[k] += p[k];
      ++n;
    }
  if (n == 0) return;
  for (int k = 0; k < 3; ++k) centre[k] /= static_cast<Double>(n);
  for (Face& f : faces) {
    const Point3 nrm = FaceNormal(f);
    const Point3 c = Centroid(f);
    const Double outward = nrm[0] * (c[0] - centre[0]) + nrm[1] * (c[1] - centre[1]) + nrm[2] * (c[2] - centre[2]);
    if (outward > 0) std::reverse(f.begin(), f.end());
  }
}

// A prism or frustum along one axis: `sides` corners around an ellipse at the base
// (bottom, or left when not vertical) and the same ellipse scaled by topPercent at the
// other end (0: a point).
std::vector<Face> Frustum(bool vertical, Integer left, Integer top, Integer right, Integer bottom, Integer z0,
                          Integer z1, int sides, Integer topPercent, Double startAngle) {
  std::vector<Face> faces;
  const Double cz = (static_cast<Double>(z0) + z1) * 0.5, rz = (static_cast<Double>(z1) - z0) * 0.5;
  const Double scaleTop = std::clamp(topPercent, 0, 100) * 0.01;
  Face base, cap;
  for (int i = 0; i < sides; ++i) {
    Double s, c;
    SinCos(startAngle + 2 * std::numbers::pi * i / sides, s, c);
    if (vertical) {
      const Double cx = (static_cast<Double>(left) + right) * 0.5, rx = (static_cast<Double>(right) - left) * 0.5;
      base.push_back(Point3{cx + rx * c, static_cast<Double>(bottom), cz + rz * s});
      cap.push_back(Point3{cx + rx * c * scaleTop, static_cast<Double>(top), cz + rz * s * scaleTop});
    } else {
      const Double cy = (static_cast<Double>(top) + bottom) * 0.5, ry = (static_cast<Double>(bottom) - top) * 0.5;
      base.push_back(Point3{static_cast<Double>(left), cy + ry * c, cz + rz * s});
      cap.push_back(Point3{static_cast<Double>(right), cy + ry * c * scaleTop, cz + rz * s * scaleTop});
    }
  }
  for (int i = 0; i < sides; ++i) {
    const int j = (i + 1) % sides;
    if (scaleTop > 0)
      faces.push_back(Face{base[i], base[j], cap[j], cap[i]});
    else
      faces.push_back(Face{base[i], base[j], cap[0]});
  }
  faces.push_back(base);
  if (scaleTop > 0) faces.push_back(cap);
  OrientInward(faces);
  return faces;
}

Int64 TwiceArea(const std::vector<TPoint>& pts) {
  Int64 sum = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const TPoint& a = pts[i];
    const TPoint& b = pts[(i + 1) % pts.size()];
    sum += static_cast<Int64>(a.x) * b.y - static_cast<Int64>(b.x) * a.y;
  }
  return sum;
}

}  // namespace

// ---- frames --------------------------------------------------------------------------------

TRect TChartCanvas3D::BeginFrame(TCanvas* DestCanvas, TView3DOptions* Options, TColor BackColor, bool Is3D,
                                 const TRect& Rect) {
  (void)BackColor;  // the panel paints its own background into the frame
  bounds_ = Rect;
  options_ = Options;
  is3D_ = Is3D;
  orthogonal_ = false;
  zoomFactor_ = 1;
  if (Is3D && Options) {
    orthogonal_ = Options->Orthogonal();
    if (orthogonal_) {
      const Double a = Options->OrthoAngle() * kDegrees;
      slope_ = std::cos(a) >= 0.01 ? std::tan(a) : 1.0;
    }
    zoomFactor_ = plainView_ ? 1 : 0.01 * Options->Zoom();
    zoomText_ = Options->ZoomText();
    Double sr, cr, se, ce, st, ct;
    // Angles below 360 turn the chart's back up and to the right, as the orthogonal view
    // shows it: the viewer stands above and right of the front, and sees the inner faces
    // of the floor and the left wall, with the axes' labels outside them.
    SinCos(-Options->Rotation() * kDegrees, sr, cr);
    SinCos(-Options->Elevation() * kDegrees, se, ce);
    SinCos(Options->Tilt() * kDegrees, st, ct);
    // Turn about the vertical axis, then the elevation, then the tilt in the screen plane.
    const Double ry[3][3] = {{cr, 0, sr}, {0, 1, 0}, {-sr, 0, cr}};
    const Double rx[3][3] = {{1, 0, 0}, {0, ce, -se}, {0, se, ce}};
    const Double rz[3][3] = {{ct, -st, 0}, {st, ct, 0}, {0, 0, 1}};
    Double xy[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) xy[i][j] = rx[i][0] * ry[0][j] + rx[i][1] * ry[1][j] + rx[i][2] * ry[2][j];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) matrix_[i][j] = rz[i][0] * xy[0][j] + rz[i][1] * xy[1][j] + rz[i][2] * xy[2][j];
    // Keep the screen axes' own terms away from zero so the inverse stays defined.
    for (int i = 0; i < 2; ++i)
      if (std::fabs(matrix_[i][i]) < 1e-5) matrix_[i][i] = matrix_[i][i] < 0 ? -1e-5 : 1e-5;
    if (!orthogonal_) perspective_ = 0;
  }
  if (buffered_) {
    const Integer w = std::max(0, Rect.right - Rect.left);
    const Integer h = std::max(0, Rect.bottom - Rect.top);
    if (!buffer_ || buffer_->Width() != w || buffer_->Height() != h) {
      if (buffer_ && reference_ == buffer_->Canvas()) reference_ = nullptr;
      buffer_ = std::make_unique<TBitmap>();
      buffer_->SetPixelFormat(pf24bit);
      buffer_->SetSize(w, h);
      bufferInvalid_ = true;
    }
    reference_ = buffer_->Canvas();
    return TRect{0, 0, w, h};
  }
  reference_ = DestCanvas;
  return Rect;
}

void TChartCanvas3D::PresentFrame(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& Rect) {
  if (buffered_ && buffer_ && DestCanvas) {
    win::BitBlt(DestCanvas->Handle(), Rect.left, Rect.top, buffer_->Width(), buffer_->Height(),
                buffer_->Canvas()->Handle(), 0, 0, win::SRCCOPY);
    bufferInvalid_ = false;
  }
  reference_ = DefaultCanvas;
}

bool TChartCanvas3D::RepaintFromBuffer() {
  if (!buffered_ || !buffer_ || bufferInvalid_ || !reference_) return false;
  win::BitBlt(reference_->Handle(), 0, 0, buffer_->Width(), buffer_->Height(), buffer_->Canvas()->Handle(), 0, 0,
              win::SRCCOPY);
  return true;
}

void TChartCanvas3D::SetProjectionCentre(Integer MaxDepth, const TRect& Rect) {
  const TPoint c = RectCenter(Rect);
  xCentre_ = c.x + RoundToPixel(rotationCentre_[0]);
  yCentre_ = c.y + RoundToPixel(rotationCentre_[1]);
  zCentre_ = RoundToPixel(rotationCentre_[2]) + MaxDepth / 2;
  const bool offsets = options_ && !plainView_;
  xCentreOffset_ = xCentre_ + (offsets ? options_->HorizOffset() : 0);
  yCentreOffset_ = yCentre_ + (offsets ? options_->VertOffset() : 0);
  if (options_ && options_->Perspective() > 0) {
    const Integer width = Rect.right - Rect.left;
    // An empty rectangle has no perspective rather than an infinite one.
    perspective_ = width > 0 ? options_->Perspective() / 150.0 / width : 0.0;
  }
}

void TChartCanvas3D::SetPlainView(bool Plain) {
  plainView_ = Plain;
  zoomFactor_ = is3D_ && options_ && !Plain ? 0.01 * options_->Zoom() : 1;
  const bool offsets = options_ && !Plain;
  xCentreOffset_ = xCentre_ + (offsets ? options_->HorizOffset() : 0);
  yCentreOffset_ = yCentre_ + (offsets ? options_->VertOffset() : 0);
}

// ---- projection ------------------------------------------------------------------------------

Double TChartCanvas3D::DepthOf(Double x, Double y, Double z) const {
  return matrix_[2][0] * x + matrix_[2][1] * y + matrix_[2][2] * z;
}

Double TChartCanvas3D::ViewDepth(Double X, Double Y, Double Z) {
  // Orthogonal views look straight along the depth.
  if (!is3D_ || orthogonal_) return Z;
  return DepthOf(X - xCentre_, Y - yCentre_, Z - zCentre_);
}

TPoint TChartCanvas3D::SpaceToScreen(Integer X, Integer Y, Integer Z) {
  if (!is3D_) return TPoint{X, Y};
  if (orthogonal_) {
    return TPoint{Shifted((static_cast<Double>(X) - xCentre_ + Z) * zoomFactor_, xCentreOffset_),
                  Shifted((static_cast<Double>(Y) - yCentre_ - Z * slope_) * zoomFactor_, yCentreOffset_)};
  }
  const Double x = static_cast<Double>(X) - xCentre_;
  const Double y = static_cast<Double>(Y) - yCentre_;
  const Double z = static_cast<Double>(Z) - zCentre_;
  Double scale = zoomFactor_;
  if (perspective_ > 0) {
    // A point at or behind the eye would flip over; it stays a tiny point instead.
    scale *= std::max(1e-3, 1.0 - DepthOf(x, y, z) * perspective_);
  }
  return TPoint{Shifted((matrix_[0][0] * x + matrix_[0][1] * y + matrix_[0][2] * z) * scale, xCentreOffset_),
                Shifted((matrix_[1][0] * x + matrix_[1][1] * y + matrix_[1][2] * z) * scale, yCentreOffset_)};
}

void TChartCanvas3D::ScreenToSpace(Integer& X, Integer& Y, Integer Z) {
  if (!is3D_) return;
  // A zero zoom maps everything to one point: there is no way back.
  if (zoomFactor_ == 0 || !std::isfinite(zoomFactor_)) return;
  const Double sx = static_cast<Double>(X) - xCentreOffset_;
  const Double sy = static_cast<Double>(Y) - yCentreOffset_;
  if (orthogonal_) {
    X = RoundToPixel(sx / zoomFactor_ + xCentre_ - Z);
    Y = RoundToPixel(sy / zoomFactor_ + yCentre_ + Z * slope_);
    return;
  }
  const Double z = static_cast<Double>(Z) - zCentre_;
  const Double det = matrix_[0][0] * matrix_[1][1] - matrix_[0][1] * matrix_[1][0];
  if (std::fabs(det) < 1e-12) return;
  // The perspective scale depends on the answer: a few rounds of solving with the scale
  // of the previous answer settle it.
  Double x = 0, y = 0;
  for (int round = 0; round < 8; ++round) {
    Double scale = zoomFactor_;
    if (perspective_ > 0) scale *= std::max(1e-3, 1.0 - DepthOf(x, y, z) * perspective_);
    const Double a = sx / scale - matrix_[0][2] * z;
    const Double b = sy / scale - matrix_[1][2] * z;
    x = (a * matrix_[1][1] - b * matrix_[0][1]) / det;
    y = (b * matrix_[0][0] - a * matrix_[1][0]) / det;
  }
  X = RoundToPixel(x + xCentre_);
  Y = RoundToPixel(y + yCentre_);
}

void TChartCanvas3D::Suspend3D() {
  saved3D_ = is3D_;
  is3D_ = false;
}

void TChartCanvas3D::Resume3D() { is3D_ = saved3D_; }

// ---- lines and flat shapes at a depth ----------------------------------------------------------

void TChartCanvas3D::MoveTo3D(Integer X, Integer Y, Integer Z) {
  const TPoint p = SpaceToScreen(X, Y, Z);
  reference_->MoveTo(p.x, p.y);
}

void TChartCanvas3D::LineTo3D(Integer X, Integer Y, Integer Z) {
  const TPoint p = SpaceToScreen(X, Y, Z);
  reference_->LineTo(p.x, p.y);
}

void TChartCanvas3D::DrawLineAtDepth(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Z) {
  MoveTo3D(X0, Y0, Z);
  LineTo3D(X1, Y1, Z);
}

void TChartCanvas3D::HorizLine3D(Integer Left, Integer Right, Integer Y, Integer Z) {
  DrawLineAtDepth(Left, Y, Right, Y, Z);
}

void TChartCanvas3D::VertLine3D(Integer X, Integer Top, Integer Bottom, Integer Z) {
  DrawLineAtDepth(X, Top, X, Bottom, Z);
}

void TChartCanvas3D::ZLine3D(Integer X, Integer Y, Integer Z0, Integer Z1) {
  MoveTo3D(X, Y, Z0);
  LineTo3D(X, Y, Z1);
}

void TChartCanvas3D::PolygonWithZ(std::span<const TPoint> Points, Integer Z) {
  std::vector<TPoint> pts;
  pts.reserve(Points.size());
  for (const TPoint& p : Points) pts.push_back(SpaceToScreen(p.x, p.y, Z));
  DrawPolygon(pts);
}

void TChartCanvas3D::PolylineWithZ(std::span<const TPoint> Points, Integer Z) {
  std::vector<TPoint> pts;
  pts.reserve(Points.size());
  for (const TPoint& p : Points) pts.push_back(SpaceToScreen(p.x, p.y, Z));
  if (!pts.empty()) reference_->Polyline(pts);
}

void TChartCanvas3D::PlaneWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, const TPoint& P4, Integer Z) {
  const TPoint pts[] = {P1, P2, P3, P4};
  PolygonWithZ(pts, Z);
}

void TChartCanvas3D::TriangleWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, Integer Z) {
  const TPoint pts[] = {P1, P2, P3};
  PolygonWithZ(pts, Z);
}

void TChartCanvas3D::RectangleWithZ(const TRect& Rect, Integer Z) {
  if (!is3D_ || orthogonal_) {
    const TRect r = ProjectRect(Rect, Z);
    DrawBox(r.left, r.top, r.right, r.bottom);
    return;
  }
  const TPoint pts[] = {{Rect.left, Rect.top}, {Rect.right, Rect.top}, {Rect.right, Rect.bottom}, {Rect.left, Rect.bottom}};
  PolygonWithZ(pts, Z);
}

void TChartCanvas3D::RectangleY(Integer Left, Integer Top, Integer Right, Integer Z0, Integer Z1) {
  const TPoint pts[] = {SpaceToScreen(Left, Top, Z0), SpaceToScreen(Right, Top, Z0), SpaceToScreen(Right, Top, Z1),
                        SpaceToScreen(Left, Top, Z1)};
  DrawPolygon(pts);
}

void TChartCanvas3D::RectangleZ(Integer Left, Integer Top, Integer Bottom, Integer Z0, Integer Z1) {
  const TPoint pts[] = {SpaceToScreen(Left, Top, Z0), SpaceToScreen(Left, Top, Z1), SpaceToScreen(Left, Bottom, Z1),
                        SpaceToScreen(Left, Bottom, Z0)};
  DrawPolygon(pts);
}

void TChartCanvas3D::EllipseWithZ(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Z) {
  if (!is3D_ || orthogonal_) {
    const TPoint a = SpaceToScreen(X1, Y1, Z);
    const TPoint b = SpaceToScreen(X2, Y2, Z);
    DrawEllipse(a.x, a.y, b.x, b.y);
    return;
  }
  const Double cx = (static_cast<Double>(X1) + X2) * 0.5, cy = (static_cast<Double>(Y1) + Y2) * 0.5;
  const Double rx = (static_cast<Double>(X2) - X1) * 0.5, ry = (static_cast<Double>(Y2) - Y1) * 0.5;
  std::vector<TPoint> pts;
  for (int i = 0; i < 32; ++i) {
    Double s, c;
    SinCos(i * std::numbers::pi / 16, s, c);
    pts.push_back(SpaceToScreen(RoundToPixel(cx + rx * c), RoundToPixel(cy + ry * s), Z));
  }
  DrawPolygon(pts);
}

void TChartCanvas3D::Sphere(Integer X, Integer Y, Integer Z, Double Radius) {
  const TPoint c = SpaceToScreen(X, Y, Z);
  Double r = Radius * (is3D_ ? zoomFactor_ : 1.0);
  if (!std::isfinite(r)) return;
  r = std::fabs(r);
  DrawEllipse(Shifted(-r, c.x), Shifted(-r, c.y), Shifted(r, c.x), Shifted(r, c.y));
}

void TChartCanvas3D::Arrow(bool Filled, const TPoint& From, const TPoint& To, Integer HeadWidth, Integer ArrowWidth,
                           Integer Z) {
  const Double dx = static_cast<Double>(To.x) - From.x, dy = static_cast<Double>(To.y) - From.y;
  const Double length = std::hypot(dx, dy);
  if (length < 1) return;
  const Double ux = dx / length, uy = dy / length;  // along
  const Double nx = -uy, ny = ux;                     // across
  const Double head = std::min<Double>(HeadWidth, length);
  const Double bx = To.x - ux * head, by = To.y - uy * head;
  const Double aw = ArrowWidth * 0.5, hw = HeadWidth * 0.5;
  auto pt = [&](Double x, Double y) { return TPoint{RoundToPixel(x), RoundToPixel(y)}; };
  const TPoint shape[] = {pt(From.x + nx * aw, From.y + ny * aw), pt(bx + nx * aw, by + ny * aw),
                          pt(bx + nx * hw, by + ny * hw),         To,
                          pt(bx - nx * hw, by - ny * hw),         pt(bx - nx * aw, by - ny * aw),
                          pt(From.x - nx * aw, From.y - ny * aw)};
  if (Filled) {
    PolygonWithZ(shape, Z);
  } else {
    std::vector<TPoint> closed(std::begin(shape), std::end(shape));
    closed.push_back(shape[0]);
    PolylineWithZ(closed, Z);
  }
}

TRect TCanvas3D::ProjectedBounds(const TRect& Rect, Integer MinZ, Integer MaxZ) {
  TRect box{std::numeric_limits<Integer>::max(), std::numeric_limits<Integer>::max(),
            std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::min()};
  for (Integer x : {Rect.left, Rect.right})
    for (Integer y : {Rect.top, Rect.bottom})
      for (Integer z : {MinZ, MaxZ}) {
        const TPoint p = SpaceToScreen(x, y, z);
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
      }
  return box;
}

void TChartCanvas3D::ClipCube(const TRect& Rect, Integer MinZ, Integer MaxZ) {
  ClipToBox(is3D_ ? ProjectedBounds(Rect, MinZ, MaxZ) : Rect);
}

// ---- text at a depth ----------------------------------------------------------------------------

void TChartCanvas3D::TextOut3D(Integer X, Integer Y, Integer Z, const std::string& Text) {
  AngledTextAtDepth(X, Y, Z, Text, 0);
}

void TChartCanvas3D::AngledTextAtDepth(Integer X, Integer Y, Integer Z, const std::string& Text, Double Angle) {
  const TPoint p = SpaceToScreen(X, Y, Z);
  ZoomedText(p.x, p.y, Text, Angle);
}

Double TChartCanvas3D::TextZoom() const {
  return is3D_ && zoomText_ && std::isfinite(zoomFactor_) ? zoomFactor_ : 1.0;
}

void TChartCanvas3D::ZoomedText(Integer X, Integer Y, const std::string& Text, Double Angle) {
  TFont* font = reference_->Font();
  const Integer height = font->Height();
  const Double zoom = TextZoom();
  if (zoom != 1) font->SetHeight(RoundToPixel(height * zoom));
  if (Angle != 0)
    DrawAngledText(X, Y, Text, Angle);
  else
    DrawText(X, Y, Text);
  if (zoom != 1) font->SetHeight(height);
}

// ---- solids ----------------------------------------------------------------------------------

void TChartCanvas3D::DarkPolygon(std::span<const TPoint> Points, Integer Amount) {
  TBrush* brush = reference_->Brush();
  if (Amount <= 0 || brush->Style() != bsSolid) {
    DrawPolygon(Points);
    return;
  }
  const TColor old = brush->Color();
  brush->SetColor(DarkenColor(old, Amount));
  DrawPolygon(Points);
  brush->SetColor(old);
}

void TChartCanvas3D::DrawFaces(std::vector<Face3D> Faces, bool Dark) {
  struct Shown {
    std::vector<TPoint> points;
    Double depth;
    bool frontal;
  };
  std::vector<Shown> shown;
  for (const Face3D& f : Faces) {
    if (f.size() < 3) continue;
    std::vector<TPoint> pts;
    pts.reserve(f.size());
    for (const Point3D& p : f) pts.push_back(SpaceToScreen(RoundToPixel(p[0]), RoundToPixel(p[1]), RoundToPixel(p[2])));
    if (TwiceArea(pts) <= 0) continue;
    const Point3D n = FaceNormal(f);
    const Double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const Point3D c = Centroid(f);
    const Double depth = ViewDepth(c[0], c[1], c[2]);
    shown.push_back(Shown{std::move(pts), depth, len > 0 && std::fabs(n[2]) / len > 0.999});
  }
  std::stable_sort(shown.begin(), shown.end(), [](const Shown& a, const Shown& b) { return a.depth > b.depth; });
  for (const Shown& s : shown) {
    if (Dark && !s.frontal)
      DarkPolygon(s.points, kDarkSideAmount);
    else
      DrawPolygon(s.points);
  }
}

void TChartCanvas3D::Cube(Integer Left, Integer Right, Integer Top, Integer Bottom, Integer Z0, Integer Z1,
                          bool DarkSides) {
  if (!is3D_) {
    DrawBox(Left, Top, Right, Bottom);
    return;
  }
  const Double l = Left, r = Right, t = Top, b = Bottom, z0 = Z0, z1 = Z1;
  std::vector<Face3D> faces = {
      {{l, t, z0}, {r, t, z0}, {r, b, z0}, {l, b, z0}}, {{r, t, z1}, {l, t, z1}, {l, b, z1}, {r, b, z1}},
      {{l, t, z1}, {r, t, z1}, {r, t, z0}, {l, t, z0}}, {{l, b, z0}, {r, b, z0}, {r, b, z1}, {l, b, z1}},
      {{r, t, z0}, {r, t, z1}, {r, b, z1}, {r, b, z0}}, {{l, t, z1}, {l, t, z0}, {l, b, z0}, {l, b, z1}},
  };
  OrientInward(faces);
  DrawFaces(std::move(faces), DarkSides);
}

void TChartCanvas3D::Cylinder(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0,
                              Integer Z1, bool Dark3D) {
  if (!is3D_) {
    DrawBox(Left, Top, Right, Bottom);
    return;
  }
  DrawFaces(Frustum(Vertical, Left, Top, Right, Bottom, Z0, Z1, 24, 100, 0), Dark3D);
}

void TChartCanvas3D::Cone(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0,
                          Integer Z1, bool Dark3D, Integer ConePercent) {
  if (!is3D_) {
    // The side view: a trapezoid narrowing to ConePercent of the base.
    const Integer pct = std::clamp(ConePercent, 0, 100);
    if (Vertical) {
      const Integer c = (Left + Right) / 2, half = static_cast<Integer>(static_cast<Int64>(Right - Left) * pct / 200);
      const TPoint pts[] = {{Left, Bottom}, {Right, Bottom}, {c + half, Top}, {c - half, Top}};
      DrawPolygon(pts);
    } else {
      const Integer c = (Top + Bottom) / 2, half = static_cast<Integer>(static_cast<Int64>(Bottom - Top) * pct / 200);
      const TPoint pts[] = {{Left, Top}, {Right, c - half}, {Right, c + half}, {Left, Bottom}};
      DrawPolygon(pts);
    }
    return;
  }
  DrawFaces(Frustum(Vertical, Left, Top, Right, Bottom, Z0, Z1, 24, ConePercent, 0), Dark3D);
}

void TChartCanvas3D::Pyramid(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0,
                             Integer Z1, bool DarkSides) {
  if (!is3D_) {
    Cone(Vertical, Left, Top, Right, Bottom, Z0, Z1, DarkSides, 0);
    return;
  }
  // Four corners on the ellipse at 45, 135 ... degrees: the square base.
  DrawFaces(Frustum(Vertical, Left, Top, Right, Bottom, Z0, Z1, 4, 0, std::numbers::pi / 4), DarkSides);
}

void TChartCanvas3D::Pie3D(Integer XCenter, Integer YCenter, Integer XRadius, Integer YRadius, Integer Z0, Integer Z1,
                           Double StartAngle, Double EndAngle, bool DarkSides, bool DrawSides) {
  const Double span = EndAngle - StartAngle;
  if (!std::isfinite(span)) return;
  const Int64 pieces = std::clamp<Int64>(Round(std::fabs(span) * 64.0 / std::numbers::pi), 2, 128);
  Face3D front{{static_cast<Double>(XCenter), static_cast<Double>(YCenter), static_cast<Double>(Z0)}};
  for (Int64 i = 0; i <= pieces; ++i) {
    Double s, c;
    SinCos(StartAngle + span * static_cast<Double>(i) / static_cast<Double>(pieces), s, c);
    front.push_back(Point3D{XCenter + XRadius * c, YCenter - YRadius * s, static_cast<Double>(Z0)});
  }
  if (!is3D_ || !DrawSides) {
    std::vector<TPoint> pts;
    for (const Point3D& p : front) pts.push_back(SpaceToScreen(RoundToPixel(p[0]), RoundToPixel(p[1]), Z0));
    DrawPolygon(pts);
    return;
  }
  std::vector<Face3D> faces;
  Face3D back = front;
  for (Point3D& p : back) p[2] = Z1;
  for (std::size_t i = 0; i < front.size(); ++i) {
    const std::size_t j = (i + 1) % front.size();
    faces.push_back(Face3D{front[i], front[j], back[j], back[i]});
  }
  faces.push_back(front);
  faces.push_back(back);
  OrientInward(faces);
  DrawFaces(std::move(faces), DarkSides);
}
