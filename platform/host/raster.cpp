#include "platform/host/raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/host/math3d.h"

namespace host {

namespace {

constexpr float kNear = 1e-3f;

struct ScreenVertex {
  double x, y, z;  // image pixels and view depth
};

// Keeps the part of a polygon (viewport space) in front of the near plane.
std::vector<CtsxVec3f> ClipNear(const std::vector<CtsxVec3f>& in) {
  std::vector<CtsxVec3f> out;
  for (size_t i = 0; i < in.size(); ++i) {
    const CtsxVec3f& a = in[i];
    const CtsxVec3f& b = in[(i + 1) % in.size()];
    const bool ain = a.z >= kNear, bin = b.z >= kNear;
    if (ain) out.push_back(a);
    if (ain != bin) {
      const float t = (kNear - a.z) / (b.z - a.z);
      out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, kNear});
    }
  }
  return out;
}

double Edge(const ScreenVertex& a, const ScreenVertex& b, double px, double py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Pixel centres sit at integer coordinates. A centre on an edge belongs to the triangle
// when the edge is a top or a left one, so shared edges are drawn once.
void RasterTriangle(ScreenBuffer& buf, ScreenVertex a, ScreenVertex b, ScreenVertex c,
                    bool perspective, const CtsxVec3f& color) {
  double area = Edge(a, b, c.x, c.y);
  if (!std::isfinite(area) || std::fabs(area) < 1e-12) return;
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  // Clamp in double first: far-off vertices must not overflow the int conversion.
  auto clampTo = [](double v, int hi) { return static_cast<int>(std::clamp(v, -1.0, double(hi) + 1.0)); };
  const int x0 = std::max(0, clampTo(std::ceil(std::min({a.x, b.x, c.x})), buf.Width()));
  const int y0 = std::max(0, clampTo(std::ceil(std::min({a.y, b.y, c.y})), buf.Height()));
  const int x1 = std::min(buf.Width() - 1, clampTo(std::floor(std::max({a.x, b.x, c.x})), buf.Width()));
  const int y1 = std::min(buf.Height() - 1, clampTo(std::floor(std::max({a.y, b.y, c.y})), buf.Height()));
  auto owns = [](const ScreenVertex& p, const ScreenVertex& q, double w) {
    if (w > 0) return true;
    if (w < 0) return false;
    const double dy = q.y - p.y, dx = q.x - p.x;
    return dy < 0 || (dy == 0 && dx > 0);
  };
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double wa = Edge(b, c, x, y), wb = Edge(c, a, x, y), wc = Edge(a, b, x, y);
      if (!owns(b, c, wa) || !owns(c, a, wb) || !owns(a, b, wc)) continue;
      const double la = wa / area, lb = wb / area, lc = wc / area;
      const double z = perspective ? 1.0 / (la / a.z + lb / b.z + lc / c.z) : la * a.z + lb * b.z + lc * c.z;
      const float depth = static_cast<float>(z * z);
      RenderPixel& p = buf.At(x, y);
      if (!(depth < p.depth)) continue;
      p = RenderPixel{color.x, color.y, color.z, 1.0f, depth};
    }
  }
}

}  // namespace

void RasterScene(HostState& s, const View& view, int fitMode, ScreenBuffer& buf) {
  const ViewProjection proj(view.camera, view.width, view.height);
  float toImage[6];
  if (!EyeToRender(view.width, view.height, buf.Width(), buf.Height(), fitMode, toImage)) return;
  const CtsxVec3f forward = Rotate(EyeToWorld(view.camera), {0, 0, 1});
  for (NodeId id : s.scene.PreOrder()) {
    const Node* n = s.scene.FindId(id);
    if (!n || !n->polyhedron) continue;
    const Polyhedron& poly = *n->polyhedron;
    const CtsxTxmx3f world = s.scene.World(*n);
    for (int f = 0; f < poly.FaceCount(); ++f) {
      const tsxFACE& face = poly.Face(f);
      std::vector<CtsxVec3f> w(face.nbrCorners);
      for (int k = 0; k < face.nbrCorners; ++k) w[k] = Transform(world, poly.Vertices()[face.corners[k].vertexIndex]);
      // Newell's normal of the transformed corners: right under any scale.
      CtsxVec3f nrm{0, 0, 0};
      for (size_t k = 0; k < w.size(); ++k) {
        const CtsxVec3f& p = w[k];
        const CtsxVec3f& q = w[(k + 1) % w.size()];
        nrm.x += (p.y - q.y) * (p.z + q.z);
        nrm.y += (p.z - q.z) * (p.x + q.x);
        nrm.z += (p.x - q.x) * (p.y + q.y);
      }
      if (Length(nrm) == 0.0f) continue;
      const float shade = 0.2f + 0.8f * std::fabs(Dot(Normalize(nrm), forward));
      const CtsxVec3f color = Scale(n->color, shade);
      std::vector<CtsxVec3f> q(w.size());
      for (size_t k = 0; k < w.size(); ++k) q[k] = proj.ToViewport(w[k]);
      q = ClipNear(q);
      if (q.size() < 3) continue;
      std::vector<ScreenVertex> sv(q.size());
      for (size_t k = 0; k < q.size(); ++k) {
        float vx, vy;
        proj.ToPixel(q[k], vx, vy);
        sv[k] = {double(toImage[0]) * vx + double(toImage[1]) * vy + toImage[2],
                 double(toImage[3]) * vx + double(toImage[4]) * vy + toImage[5], q[k].z};
      }
      for (size_t k = 1; k + 1 < sv.size(); ++k)
        RasterTriangle(buf, sv[0], sv[k], sv[k + 1], proj.Perspective(), color);
    }
  }
}

}  // namespace host
