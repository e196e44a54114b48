#include "apps/hostsim/sphere_mesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

CtsxVec3f Sub(const CtsxVec3f& a, const CtsxVec3f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Turns a face round when its normal points at the centre.
void FaceOutwards(const std::vector<CtsxVec3f>& v, std::vector<int>& face) {
  const CtsxVec3f e1 = Sub(v[face[1]], v[face[0]]), e2 = Sub(v[face[2]], v[face[0]]);
  const CtsxVec3f n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
  CtsxVec3f c{0, 0, 0};
  for (int i : face) c = {c.x + v[i].x, c.y + v[i].y, c.z + v[i].z};
  if (n.x * c.x + n.y * c.y + n.z * c.z < 0) std::reverse(face.begin(), face.end());
}

}  // namespace

SphereMesh MakeSphere(float radius, int rings, int segments) {
  rings = std::max(rings, 2);
  segments = std::max(segments, 3);
  SphereMesh m;
  m.vertices.push_back({0.0f, radius, 0.0f});  // north pole
  for (int i = 1; i < rings; ++i) {
    const double theta = std::numbers::pi * i / rings;
    for (int j = 0; j < segments; ++j) {
      const double phi = 2 * std::numbers::pi * j / segments;
      m.vertices.push_back({static_cast<float>(radius * std::sin(theta) * std::cos(phi)),
                            static_cast<float>(radius * std::cos(theta)),
                            static_cast<float>(radius * std::sin(theta) * std::sin(phi))});
    }
  }
  const int south = static_cast<int>(m.vertices.size());
  m.vertices.push_back({0.0f, -radius, 0.0f});
  auto at = [segments](int ring, int seg) { return 1 + (ring - 1) * segments + seg % segments; };
  for (int j = 0; j < segments; ++j) {
    m.faces.push_back({0, at(1, j), at(1, j + 1)});
    for (int i = 1; i + 1 < rings; ++i) m.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
    m.faces.push_back({at(rings - 1, j), south, at(rings - 1, j + 1)});
  }
  for (auto& f : m.faces) FaceOutwards(m.vertices, f);
  return m;
}
