#pragma once
// TSObj and TPolyh: a host scene object, and a host polyhedron with its arrays cached at
// creation, with the sampling of uniformly random points on its faces (surface emitters
// launch particles from them).
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TSObj : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TSObj(tsxSOBJ* handle) : Handle(handle) {}

  tsxSOBJ* Handle;
};

class TPolyh : public TSObj {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Takes the host's arrays, counts and vertex transform once.
  explicit TPolyh(tsxPOLYHEDRON* handle);

  // Raise EListError for an index outside the arrays.
  CtsxVec3f Vertex(Integer i) const;
  tsxFACE* Face(Integer i) const;
  void FaceNormal(Integer i, CtsxVec3f& out) const;
  void FaceNormalOf(tsxFACE* face, CtsxVec3f& out) const;
  Integer FaceCornerCount(const tsxFACE* face) const;
  // Raises EListError for a corner or vertex index outside the face or the vertex array.
  CtsxVec3f FaceVertex(const tsxFACE* face, Integer k) const;

  // A face index below the face count (one draw); -1 and no draw without faces.
  Integer RandomFace() const;
  // A rotation that turns face i parallel to the XY plane, its first edge along Y.
  CtsxTxmx3f FaceToXYMatrix(Integer i) const;
  // A uniformly random point inside face i, in the space of the vertex array; the
  // weighted-corner point when the face is too thin or no try landed inside.
  void RandomPointOnFace(Integer i, CtsxVec3f& out) const;
  // The corners averaged with random weights in [1, 2) (three draws per corner);
  // (0, 0, 0) without such a face. Never raises.
  void RandomWeightedFacePoint(Integer i, CtsxVec3f& out) const;

  CtsxVec3f* VertexArray = nullptr;
  CtsxUV* UVArray = nullptr;
  tsxFACE** FacePtrArray = nullptr;
  Integer VertexCount = 0;
  Integer UVCount = 0;
  Integer FaceCount = 0;
  CtsxTxmx3f VxTxmx{};
};
