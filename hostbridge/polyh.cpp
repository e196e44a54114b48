#include "hostbridge/polyh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "hostbridge/polygon_sampling.h"
#include "hostbridge/vector_utils.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/random.h"

namespace {

// arccos of a ratio that rounding may have pushed just outside [-1, 1].
double SafeArcCos(double ratio) { return std::acos(std::clamp(ratio, -1.0, 1.0)); }

CtsxTxmx3f RotationAbout(const CtsxVec3f& axis, double angle) {
  const CtsxVec3f origin{0, 0, 0};
  CtsxTxmx3f m = IdentityTxmx();
  tsxMakeRotMx3f(&origin, &axis, static_cast<float>(angle), &m, 0);
  return m;
}

CtsxVec3f Transformed(const CtsxVec3f& v, const CtsxTxmx3f& m) {
  CtsxVec3f out{};
  tsxTransformVect3f(&v, &out, &m);
  return out;
}

}  // namespace

const TClass& TSObj::StaticClass() {
  static const TClass cls = TClass::Of<TSObj>("TSObj", TObject::StaticClass());
  return cls;
}

const TClass& TPolyh::StaticClass() {
  static const TClass cls = TClass::Of<TPolyh>("TPolyh", TSObj::StaticClass());
  return cls;
}

TPolyh::TPolyh(tsxPOLYHEDRON* handle) : TSObj(handle) {
  VertexArray = tsxPolyhGetVxArray(handle);
  UVArray = tsxPolyhGetUVArray(handle);
  FacePtrArray = tsxPolyhGetFaceptrArray(handle);
  VertexCount = VertexArray ? std::max(0, tsxPolyhGetNbrVxs(handle)) : 0;
  UVCount = UVArray ? std::max(0, tsxPolyhGetNbrUV(handle)) : 0;
  FaceCount = FacePtrArray ? std::max(0, tsxPolyhGetNbrFaces(handle)) : 0;
  VxTxmx = IdentityTxmx();
  tsxPolyhGetVxTxmx(handle, &VxTxmx);
}

CtsxVec3f TPolyh::Vertex(Integer i) const {
  if (i < 0 || i >= VertexCount) throw CreateFmt<EListError>(msg::ListIndexError, i);
  return VertexArray[i];
}

tsxFACE* TPolyh::Face(Integer i) const {
  if (i < 0 || i >= FaceCount) throw CreateFmt<EListError>(msg::ListIndexError, i);
  return FacePtrArray[i];
}

void TPolyh::FaceNormal(Integer i, CtsxVec3f& out) const { FaceNormalOf(Face(i), out); }

void TPolyh::FaceNormalOf(tsxFACE* face, CtsxVec3f& out) const { tsxPolyhGetFaceNormal(Handle, face, &out); }

// A negative count in a damaged face record means no corners.
Integer TPolyh::FaceCornerCount(const tsxFACE* face) const { return face ? std::max<Integer>(face->nbrCorners, 0) : 0; }

CtsxVec3f TPolyh::FaceVertex(const tsxFACE* face, Integer k) const {
  if (k < 0 || k >= FaceCornerCount(face) || !face->corners) throw CreateFmt<EListError>(msg::ListIndexError, k);
  return Vertex(face->corners[k].vertexIndex);
}

Integer TPolyh::RandomFace() const { return FaceCount > 0 ? Random(FaceCount) : -1; }

CtsxTxmx3f TPolyh::FaceToXYMatrix(Integer i) const {
  tsxFACE* face = Face(i);
  CtsxVec3f n{};
  FaceNormalOf(face, n);
  if (n.z < 0) n = {-n.x, -n.y, -n.z};

  // About Y until the normal has no x.
  CtsxTxmx3f ry = IdentityTxmx();
  double l = std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.z) * n.z);
  if (l != 0) {
    double a = SafeArcCos(n.z / l);
    if (n.x > 0) a = 2 * std::numbers::pi - a;
    ry = RotationAbout({0, 1, 0}, a);
    SnapMatrixToZero(ry);
  }
  n = Transformed(n, ry);

  // About X until it has no y either.
  CtsxTxmx3f rx = IdentityTxmx();
  l = std::sqrt(static_cast<double>(n.y) * n.y + static_cast<double>(n.z) * n.z);
  if (l != 0) {
    double a = SafeArcCos(n.z / l);
    if (n.y < 0) a = 2 * std::numbers::pi - a;
    rx = RotationAbout({1, 0, 0}, a);
    SnapMatrixToZero(rx);
  }

  CtsxTxmx3f m{};
  tsxXProdMx3f(&m, &rx, &ry);

  // About Z until the first edge runs along Y.
  if (FaceCornerCount(face) >= 2) {
    const CtsxVec3f p0 = Transformed(FaceVertex(face, 0), m);
    const CtsxVec3f p1 = Transformed(FaceVertex(face, 1), m);
    const double ex = static_cast<double>(p0.x) - p1.x;
    const double ey = static_cast<double>(p0.y) - p1.y;
    l = std::sqrt(ex * ex + ey * ey);
    if (l != 0) {
      double a = SafeArcCos(ey / l);
      if (ex < 0) a = std::numbers::pi - a;
      const CtsxTxmx3f rz = RotationAbout({0, 0, 1}, a);
      tsxXProdMx3f(&m, &rz, &m);
    }
  }
  return m;
}

void TPolyh::RandomPointOnFace(Integer i, CtsxVec3f& out) const {
  if (i < 0 || i >= FaceCount || !FacePtrArray[i]) {
    RandomWeightedFacePoint(i, out);
    return;
  }
  const tsxFACE* face = FacePtrArray[i];
  const CtsxTxmx3f m = FaceToXYMatrix(i);
  std::vector<CtsxVec3f> points(static_cast<std::size_t>(FaceCornerCount(face)));
  for (Integer k = 0; k < FaceCornerCount(face); ++k) points[static_cast<std::size_t>(k)] = Transformed(FaceVertex(face, k), m);
  CtsxVec3f flat{};
  if (RandomPointInPolygon(points, flat)) {
    CtsxTxmx3f back = IdentityTxmx();
    tsxInvertMx3f(&back, &m);
    out = Transformed(flat, back);
  } else {
    RandomWeightedFacePoint(i, out);
  }
}

void TPolyh::RandomWeightedFacePoint(Integer i, CtsxVec3f& out) const {
  out = {0, 0, 0};
  try {
    if (i < 0 || i >= FaceCount || !FacePtrArray[i]) return;
    const tsxFACE* face = FacePtrArray[i];
    const Integer corners = FaceCornerCount(face);
    if (corners <= 0) return;
    CtsxVec3f weightSum{0, 0, 0};
    CtsxVec3f sum{0, 0, 0};
    for (Integer k = 0; k < corners; ++k) {
      CtsxVec3f w;
      w.x = static_cast<float>(Random() + 1);
      w.y = static_cast<float>(Random() + 1);
      w.z = static_cast<float>(Random() + 1);
      const CtsxVec3f v = FaceVertex(face, k);
      weightSum = {weightSum.x + w.x, weightSum.y + w.y, weightSum.z + w.z};
      sum = {sum.x + v.x * w.x, sum.y + v.y * w.y, sum.z + v.z * w.z};
    }
    out = {sum.x / weightSum.x, sum.y / weightSum.y, sum.z / weightSum.z};
  } catch (...) {
    // A corner that names no vertex leaves the origin.
    out = {0, 0, 0};
  }
}
