#pragma once
// The host's vector and matrix maths, shared by the C calls and the host itself.
// Matrices map column vectors (p' = rot p + trans); products compute in double.
// The small ones are inline: the C calls of the simulation's per-particle sums run them
// without a second call.
#include <cmath>

#include "platform/host/tsxapi.h"

namespace host {

CtsxVec3f Vec(float x, float y, float z);
inline CtsxVec3f Add(const CtsxVec3f& a, const CtsxVec3f& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline CtsxVec3f Sub(const CtsxVec3f& a, const CtsxVec3f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline CtsxVec3f Scale(const CtsxVec3f& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
inline float Dot(const CtsxVec3f& a, const CtsxVec3f& b) {
  return static_cast<float>(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}
CtsxVec3f Cross(const CtsxVec3f& a, const CtsxVec3f& b);
inline float Length(const CtsxVec3f& v) {
  return static_cast<float>(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z));
}
// The zero vector stays zero.
CtsxVec3f Normalize(const CtsxVec3f& v);
// v mirrored at the plane of normal n; v itself for a zero normal.
CtsxVec3f Reflect(const CtsxVec3f& v, const CtsxVec3f& n);

CtsxTxmx3f Identity();
CtsxTxmx3f Translation(const CtsxVec3f& t);
CtsxTxmx3f ScaleMatrix(const CtsxVec3f& s);
// Rotations about X, then Y, then Z by the given angles in degrees.
CtsxTxmx3f EulerDegrees(const CtsxVec3f& degrees);
// Right-handed rotation about the line through point along axis; identity for a zero axis.
CtsxTxmx3f RotationAbout(const CtsxVec3f& point, const CtsxVec3f& axis, float radians);
// a * b: b applied first.
CtsxTxmx3f Multiply(const CtsxTxmx3f& a, const CtsxTxmx3f& b);
inline CtsxVec3f Transform(const CtsxTxmx3f& m, const CtsxVec3f& v) {
  double r[3];
  for (int i = 0; i < 3; ++i)
    r[i] = double(m.rot[i][0]) * v.x + double(m.rot[i][1]) * v.y + double(m.rot[i][2]) * v.z + m.trans[i];
  return {static_cast<float>(r[0]), static_cast<float>(r[1]), static_cast<float>(r[2])};
}
inline CtsxVec3f Rotate(const CtsxTxmx3f& m, const CtsxVec3f& v) {
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = double(m.rot[i][0]) * v.x + double(m.rot[i][1]) * v.y + double(m.rot[i][2]) * v.z;
  return {static_cast<float>(r[0]), static_cast<float>(r[1]), static_cast<float>(r[2])};
}
// False (and the identity) for a singular matrix.
bool Invert(const CtsxTxmx3f& m, CtsxTxmx3f& out);
void Decompose(const CtsxTxmx3f& m, CtsxTxmx3f& rotation, CtsxVec3f& scale);

}  // namespace host
