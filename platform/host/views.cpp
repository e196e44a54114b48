#include "platform/host/views.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/host/math3d.h"

namespace host {

namespace {

constexpr float kNear = 1e-3f;
constexpr int kMaxLinelistIndices = 1 << 24;  // a list without its -1 end stops here

struct Basis {
  CtsxVec3f right, down, forward;
};

Basis CameraBasis(const Camera& c) {
  CtsxVec3f f = Sub(c.target, c.eye);
  f = Length(f) > 0 ? Normalize(f) : CtsxVec3f{0, 0, -1};
  CtsxVec3f r = Cross(f, c.up);
  if (Length(r) < 1e-6f) {
    // Looking along the up vector: any perpendicular will do.
    r = Cross(f, std::fabs(f.y) < 0.9f ? CtsxVec3f{0, 1, 0} : CtsxVec3f{0, 0, 1});
  }
  r = Normalize(r);
  const CtsxVec3f up = Cross(r, f);
  return {r, Scale(up, -1.0f), f};
}

float HalfTanX(const Camera& c) {
  const double fov = std::clamp(double(c.fovDegrees), 1e-3, 179.0) * std::numbers::pi / 180.0;
  return static_cast<float>(std::tan(fov / 2));
}

}  // namespace

bool IsPerspective(int mode) { return mode == e_tsxVIEW_PERSPECTIVE || mode == e_tsxVIEW_CAMERA; }

CtsxTxmx3f WorldToEye(const Camera& c) {
  const Basis b = CameraBasis(c);
  CtsxTxmx3f m{};
  const CtsxVec3f rows[3] = {b.right, b.down, b.forward};
  for (int i = 0; i < 3; ++i) {
    m.rot[i][0] = rows[i].x;
    m.rot[i][1] = rows[i].y;
    m.rot[i][2] = rows[i].z;
    m.trans[i] = -Dot(rows[i], c.eye);
  }
  return m;
}

CtsxTxmx3f EyeToWorld(const Camera& c) {
  const Basis b = CameraBasis(c);
  CtsxTxmx3f m{};
  const CtsxVec3f cols[3] = {b.right, b.down, b.forward};
  for (int j = 0; j < 3; ++j) {
    m.rot[0][j] = cols[j].x;
    m.rot[1][j] = cols[j].y;
    m.rot[2][j] = cols[j].z;
  }
  m.trans[0] = c.eye.x;
  m.trans[1] = c.eye.y;
  m.trans[2] = c.eye.z;
  return m;
}

CtsxTxmx3f WorldToViewport(const Camera& c, int width, int height) {
  float tx = HalfTanX(c);
  if (!IsPerspective(c.mode)) {
    // Orthographic views show at the target's distance what the perspective view shows.
    const float d = Length(Sub(c.target, c.eye));
    tx *= d > 0 ? d : 1.0f;
  }
  // Square pixels: the vertical extent follows the drawport's pixel-centre span.
  const float aspect = width > 1 ? float(std::max(height - 1, 1)) / float(width - 1) : 1.0f;
  const float ty = tx * aspect;
  return Multiply(ScaleMatrix({1.0f / tx, 1.0f / ty, 1.0f}), WorldToEye(c));
}

namespace {

bool SameBits(const Camera& a, const Camera& b) {
  static_assert(sizeof(Camera) == 10 * sizeof(float) + sizeof(int), "Camera without padding");
  return std::memcmp(&a, &b, sizeof(Camera)) == 0;
}

}  // namespace

void ViewMaps::Refresh(const Camera& c, int width, int height) {
  if (valid_ && width == width_ && height == height_ && SameBits(c, camera_)) return;
  worldToViewport_ = host::WorldToViewport(c, width, height);
  eyeToWorld_ = host::EyeToWorld(c);
  camera_ = c;
  width_ = width;
  height_ = height;
  valid_ = true;
}

const CtsxTxmx3f& ViewMaps::WorldToViewport(const Camera& c, int width, int height) {
  Refresh(c, width, height);
  return worldToViewport_;
}

const CtsxTxmx3f& ViewMaps::EyeToWorld(const Camera& c, int width, int height) {
  Refresh(c, width, height);
  return eyeToWorld_;
}

bool EyeToRender(int vw, int vh, int iw, int ih, int fitMode, float out[6]) {
  if (vw < 2 || vh < 2 || iw < 1 || ih < 1) return false;
  const double vcx = (vw - 1) / 2.0, vcy = (vh - 1) / 2.0;
  const double icx = (iw - 1) / 2.0, icy = (ih - 1) / 2.0;
  // One scale for both axes keeps pixels square; centres map to centres.
  const double s = fitMode == 1 ? (ih - 1) / double(vh - 1) : (iw - 1) / double(vw - 1);
  out[0] = static_cast<float>(s);
  out[1] = 0.0f;
  out[2] = static_cast<float>(icx - s * vcx);
  out[3] = 0.0f;
  out[4] = static_cast<float>(s);
  out[5] = static_cast<float>(icy - s * vcy);
  return true;
}

ViewProjection::ViewProjection(const Camera& c, int width, int height)
    : m_(WorldToViewport(c, width, height)),
      halfW_((width - 1) / 2.0f),
      halfH_((height - 1) / 2.0f),
      perspective_(IsPerspective(c.mode)) {}

CtsxVec3f ViewProjection::ToViewport(const CtsxVec3f& world) const { return Transform(m_, world); }

void ViewProjection::ToPixel(const CtsxVec3f& q, float& x, float& y) const {
  const float z = perspective_ ? q.z : 1.0f;
  x = q.x / z * halfW_ + halfW_;
  y = q.y / z * halfH_ + halfH_;
}

std::uint32_t PenColor(int pen) {
  auto rgb = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return 0xFF000000u | (b << 16) | (g << 8) | r;
  };
  switch (pen) {
    case e_tsxPEN_BACKGROUND: return rgb(168, 168, 168);
    case e_tsxPEN_GRID: return rgb(144, 144, 144);
    case e_tsxPEN_ACTIVE: return rgb(255, 255, 255);
    case e_tsxPEN_SCENE: return rgb(0, 0, 0);
    case e_tsxPEN_ACTIVESUB: return rgb(255, 255, 128);
    case e_tsxPEN_INACTIVESUB: return rgb(96, 96, 96);
    case e_tsxPEN_CONTROL: return rgb(0, 128, 128);
    case e_tsxPEN_ACTIVECONTROL: return rgb(0, 255, 255);
    case e_tsxPEN_RED: return rgb(255, 0, 0);
    case e_tsxPEN_GREEN: return rgb(0, 255, 0);
    case e_tsxPEN_BLUE: return rgb(0, 0, 255);
    default: return rgb(0, 0, 0);
  }
}

void ClearView(View& v) {
  v.pixels.assign(static_cast<size_t>(v.width) * v.height * 4, 0);
  const std::uint32_t c = PenColor(e_tsxPEN_BACKGROUND);
  for (size_t i = 0; i < v.pixels.size(); i += 4) std::memcpy(&v.pixels[i], &c, 4);
}

namespace {

void Plot(View& v, int x, int y, std::uint32_t c) {
  if (x < 0 || y < 0 || x >= v.width || y >= v.height) return;
  std::memcpy(&v.pixels[(static_cast<size_t>(y) * v.width + x) * 4], &c, 4);
}

// Liang-Barsky against the drawport's pixel area; false when nothing is left.
bool ClipToDrawport(const View& v, float& x0, float& y0, float& x1, float& y1) {
  const double xmin = -0.5, ymin = -0.5, xmax = v.width - 0.5, ymax = v.height - 0.5;
  const double dx = double(x1) - x0, dy = double(y1) - y0;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - xmin, xmax - x0, y0 - ymin, ymax - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const float nx0 = static_cast<float>(x0 + t0 * dx), ny0 = static_cast<float>(y0 + t0 * dy);
  const float nx1 = static_cast<float>(x0 + t1 * dx), ny1 = static_cast<float>(y0 + t1 * dy);
  x0 = nx0;
  y0 = ny0;
  x1 = nx1;
  y1 = ny1;
  return true;
}

void DrawSegment(View& v, const ViewProjection& proj, CtsxVec3f a, CtsxVec3f b, std::uint32_t c) {
  if (!std::isfinite(a.x + a.y + a.z + b.x + b.y + b.z)) return;
  if (proj.Perspective()) {
    if (a.z < kNear && b.z < kNear) return;
    // Cut the part behind the near plane off before dividing by depth.
    if (a.z < kNear || b.z < kNear) {
      const float t = (kNear - a.z) / (b.z - a.z);
      const CtsxVec3f cut{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, kNear};
      (a.z < kNear ? a : b) = cut;
    }
  }
  float x0, y0, x1, y1;
  proj.ToPixel(a, x0, y0);
  proj.ToPixel(b, x1, y1);
  if (!ClipToDrawport(v, x0, y0, x1, y1)) return;
  int ix0 = static_cast<int>(std::nearbyint(x0)), iy0 = static_cast<int>(std::nearbyint(y0));
  const int ix1 = static_cast<int>(std::nearbyint(x1)), iy1 = static_cast<int>(std::nearbyint(y1));
  const int dx = std::abs(ix1 - ix0), sx = ix0 < ix1 ? 1 : -1;
  const int dy = -std::abs(iy1 - iy0), sy = iy0 < iy1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Plot(v, ix0, iy0, c);
    if (ix0 == ix1 && iy0 == iy1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      ix0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      iy0 += sy;
    }
  }
}

}  // namespace

bool DrawLinelist(View& v, int pen, const CtsxTxmx3f& m, const CtsxVec3f* vertices, int count,
                  const std::int32_t* indices) {
  if (!indices || count < 0 || (count > 0 && !vertices)) return false;
  if (v.pixels.size() != static_cast<size_t>(v.width) * v.height * 4) ClearView(v);
  const ViewProjection proj(v.camera, v.width, v.height);
  const std::uint32_t c = PenColor(pen);
  bool havePrev = false;
  CtsxVec3f prev{};
  for (int i = 0; i < kMaxLinelistIndices; ++i) {
    const std::int32_t idx = indices[i];
    if (idx == e_tsxLINELIST_END) return true;
    if (idx == e_tsxLINELIST_BREAK) {
      havePrev = false;
      continue;
    }
    if (idx < 0 || idx >= count) return false;
    const CtsxVec3f q = proj.ToViewport(Transform(m, vertices[idx]));
    if (havePrev) DrawSegment(v, proj, prev, q, c);
    prev = q;
    havePrev = true;
  }
  return false;
}

}  // namespace host

