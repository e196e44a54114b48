#pragma once
// Geometry of a polyhedron node: local vertices, UVs and faces as the corner records the
// C API hands out. The records point into this object, so it is neither copied nor moved;
// Copy builds a new one.
#include <memory>
#include <vector>

#include "platform/host/tsxapi.h"

namespace host {

struct FaceSpec {
  std::vector<int> vertices;  // corner vertex indices
  std::vector<int> uvs;       // empty, or one UV index (or -1) per corner
};

class Polyhedron {
 public:
  // Checks every index; throws HostError for a face of fewer than 3 corners or an index
  // outside the arrays.
  static std::unique_ptr<Polyhedron> Make(std::vector<CtsxVec3f> vertices, std::vector<CtsxUV> uvs,
                                          const std::vector<FaceSpec>& faces);
  std::unique_ptr<Polyhedron> Copy() const;
  Polyhedron(const Polyhedron&) = delete;
  Polyhedron& operator=(const Polyhedron&) = delete;

  std::vector<CtsxVec3f>& Vertices() { return vertices_; }
  const std::vector<CtsxVec3f>& Vertices() const { return vertices_; }
  std::vector<CtsxUV>& UVs() { return uvs_; }
  const std::vector<CtsxUV>& UVs() const { return uvs_; }
  int FaceCount() const { return static_cast<int>(faces_.size()); }
  tsxFACE** FacePointers() { return facePtrs_.empty() ? nullptr : facePtrs_.data(); }
  const tsxFACE& Face(int i) const { return faces_[i]; }
  // Index of a face record of this polyhedron, -1 for any other pointer.
  int IndexOf(const tsxFACE* face) const;
  // Unit normal of face i by Newell's method (counter-clockwise corners face the viewer);
  // zero for a degenerate face.
  CtsxVec3f Normal(int i) const;
  std::vector<FaceSpec> Faces() const;
  // Local bounds; false without vertices.
  bool Bounds(CtsxVec3f& lo, CtsxVec3f& hi) const;

 private:
  Polyhedron() = default;
  std::vector<CtsxVec3f> vertices_;
  std::vector<CtsxUV> uvs_;
  std::vector<std::vector<tsxCORNER>> corners_;
  std::vector<tsxFACE> faces_;
  std::vector<tsxFACE*> facePtrs_;
};

}  // namespace host
