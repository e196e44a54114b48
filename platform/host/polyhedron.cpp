#include "platform/host/polyhedron.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/host/host_error.h"

namespace host {

std::unique_ptr<Polyhedron> Polyhedron::Make(std::vector<CtsxVec3f> vertices, std::vector<CtsxUV> uvs,
                                             const std::vector<FaceSpec>& faces) {
  std::unique_ptr<Polyhedron> p(new Polyhedron());
  if (vertices.size() > INT32_MAX || uvs.size() > INT32_MAX || faces.size() > INT32_MAX)
    throw HostError("Polyhedron is too large");
  p->vertices_ = std::move(vertices);
  p->uvs_ = std::move(uvs);
  p->corners_.reserve(faces.size());
  for (size_t f = 0; f < faces.size(); ++f) {
    const FaceSpec& spec = faces[f];
    if (spec.vertices.size() < 3 || spec.vertices.size() > INT16_MAX)
      throw HostError("Face " + std::to_string(f) + " must have 3 to 32767 corners");
    if (!spec.uvs.empty() && spec.uvs.size() != spec.vertices.size())
      throw HostError("Face " + std::to_string(f) + " has a UV count unlike its corner count");
    std::vector<tsxCORNER> corners(spec.vertices.size());
    for (size_t k = 0; k < spec.vertices.size(); ++k) {
      const int v = spec.vertices[k];
      const int uv = spec.uvs.empty() ? -1 : spec.uvs[k];
      if (v < 0 || static_cast<size_t>(v) >= p->vertices_.size())
        throw HostError("Face " + std::to_string(f) + " refers to vertex " + std::to_string(v) +
                        " of " + std::to_string(p->vertices_.size()));
      if (uv < -1 || (uv >= 0 && static_cast<size_t>(uv) >= p->uvs_.size()))
        throw HostError("Face " + std::to_string(f) + " refers to UV " + std::to_string(uv) +
                        " of " + std::to_string(p->uvs_.size()));
      corners[k] = tsxCORNER{v, uv, {0, 0, 0}};
    }
    p->corners_.push_back(std::move(corners));
  }
  // Pointers are taken once every vector has its final size.
  p->faces_.resize(p->corners_.size());
  p->facePtrs_.resize(p->corners_.size());
  for (size_t f = 0; f < p->corners_.size(); ++f) {
    p->faces_[f].nbrCorners = static_cast<int16_t>(p->corners_[f].size());
    p->faces_[f].reserved = 0;
    p->faces_[f].corners = p->corners_[f].data();
    p->facePtrs_[f] = &p->faces_[f];
  }
  return p;
}

std::vector<FaceSpec> Polyhedron::Faces() const {
  std::vector<FaceSpec> out(corners_.size());
  for (size_t f = 0; f < corners_.size(); ++f) {
    for (const tsxCORNER& c : corners_[f]) {
      out[f].vertices.push_back(c.vertexIndex);
      out[f].uvs.push_back(c.uvIndex);
    }
  }
  return out;
}

std::unique_ptr<Polyhedron> Polyhedron::Copy() const { return Make(vertices_, uvs_, Faces()); }

int Polyhedron::IndexOf(const tsxFACE* face) const {
  // Compare addresses as integers: the pointer may come from anywhere.
  if (faces_.empty()) return -1;
  const auto a = reinterpret_cast<std::uintptr_t>(face);
  const auto lo = reinterpret_cast<std::uintptr_t>(faces_.data());
  const auto hi = lo + faces_.size() * sizeof(tsxFACE);
  if (a < lo || a >= hi || (a - lo) % sizeof(tsxFACE) != 0) return -1;
  return static_cast<int>((a - lo) / sizeof(tsxFACE));
}

CtsxVec3f Polyhedron::Normal(int i) const {
  const auto& cs = corners_[i];
  // Corner records are writable through the pointer plug-ins get: never trust an index.
  for (const auto& c : cs)
    if (c.vertexIndex < 0 || static_cast<size_t>(c.vertexIndex) >= vertices_.size()) return {0, 0, 0};
  double n[3] = {0, 0, 0};
  for (size_t k = 0; k < cs.size(); ++k) {
    const CtsxVec3f& a = vertices_[cs[k].vertexIndex];
    const CtsxVec3f& b = vertices_[cs[(k + 1) % cs.size()].vertexIndex];
    n[0] += (double(a.y) - b.y) * (double(a.z) + b.z);
    n[1] += (double(a.z) - b.z) * (double(a.x) + b.x);
    n[2] += (double(a.x) - b.x) * (double(a.y) + b.y);
  }
  const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (l == 0.0 || !std::isfinite(l)) return {0, 0, 0};
  return {static_cast<float>(n[0] / l), static_cast<float>(n[1] / l), static_cast<float>(n[2] / l)};
}

bool Polyhedron::Bounds(CtsxVec3f& lo, CtsxVec3f& hi) const {
  if (vertices_.empty()) return false;
  lo = hi = vertices_[0];
  for (const CtsxVec3f& v : vertices_) {
    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  }
  return true;
}

}  // namespace host
