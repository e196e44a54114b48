#include "hostbridge/vector_utils.h"

#include <cmath>

// Compared in double: the float nearest 1e-6 lies just below it and is snapped.
Single SnapToZero(Single x) { return std::fabs(double(x)) < 1e-6 ? 0.0f : x; }

void SnapVectorToZero(CtsxVec3f& v) {
  v.x = SnapToZero(v.x);
  v.y = SnapToZero(v.y);
  v.z = SnapToZero(v.z);
}

void SnapMatrixToZero(CtsxTxmx3f& m) {
  for (auto& row : m.rot)
    for (Single& e : row) e = SnapToZero(e);
  for (Single& e : m.trans) e = SnapToZero(e);
}

CtsxVec3f Vec3f(Single x, Single y, Single z) { return CtsxVec3f{x, y, z}; }

CtsxTxmx3f IdentityTxmx() {
  CtsxTxmx3f m{};
  m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 1.0f;
  return m;
}
