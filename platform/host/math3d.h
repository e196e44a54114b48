#pragma once
// The host's vector and matrix maths, shared by the C calls and the host itself.
// Matrices map column vectors (p' = rot p + trans); products compute in double.
#include "platform/host/tsxapi.h"

namespace host {

CtsxVec3f Vec(float x, float y, float z);
CtsxVec3f Add(const CtsxVec3f& a, const CtsxVec3f& b);
CtsxVec3f Sub(const CtsxVec3f& a, const CtsxVec3f& b);
CtsxVec3f Scale(const CtsxVec3f& v, float s);
float Dot(const CtsxVec3f& a, const CtsxVec3f& b);
CtsxVec3f Cross(const CtsxVec3f& a, const CtsxVec3f& b);
float Length(const CtsxVec3f& v);
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
CtsxVec3f Transform(const CtsxTxmx3f& m, const CtsxVec3f& v);
CtsxVec3f Rotate(const CtsxTxmx3f& m, const CtsxVec3f& v);
// False (and the identity) for a singular matrix.
bool Invert(const CtsxTxmx3f& m, CtsxTxmx3f& out);
void Decompose(const CtsxTxmx3f& m, CtsxTxmx3f& rotation, CtsxVec3f& scale);

}  // namespace host
