// The polyhedra near an emitter object, on which surface emission places particles.
#include "engine/emitter_object.h"
#include "hostbridge/polyh.h"
#include "platform/classlib/random.h"

namespace {

constexpr int kFirstGroupType = 100;
constexpr int kPolyhedronType = 201;

}  // namespace

void TEmitterObject::RefreshSurfaces() {
  Surfaces.clear();
  if (!Node) return;
  if (tsxGNODE* parent = tsxGNodeGetParent(Node)) CollectSurfaces(parent);
}

void TEmitterObject::CollectSurfaces(tsxGNODE* Parent) {
  if (!Parent || tsxSobjGetType(Parent) < kFirstGroupType) return;
  for (tsxGNODE* child = tsxGNodeGetFirstChild(Parent); child; child = tsxGNodeGetNext(child)) {
    if (tsxSobjGetType(child) == kPolyhedronType) Surfaces.push_back(child);
    CollectSurfaces(child);
  }
}

bool TEmitterObject::RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal) {
  if (Surfaces.empty()) return false;
  TPolyh poly(Surfaces[static_cast<std::size_t>(Random(static_cast<Integer>(Surfaces.size())))]);
  const Integer face = poly.RandomFace();
  if (face < 0) return false;
  CtsxVec3f normal, point;
  poly.FaceNormal(face, normal);
  poly.RandomPointOnFace(face, point);
  tsxRotateVect3f(&normal, &Normal, &poly.VxTxmx);
  tsxTransformVect3f(&point, &Point, &poly.VxTxmx);
  return true;
}
