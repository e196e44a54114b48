#pragma once
// The host's in-place vector operations that the simulation sums, subtracts and scales
// with. They are bound once, when the engine is loaded, and called through these
// variables everywhere in the engine.
#include "platform/host/tsxapi.h"

using TVecAddToProc = void (*)(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c);
using TVecSubToProc = void (*)(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c);
using TVecMulScalarProc = void (*)(CtsxVec3f* v, float s);

// c = a + b (tsxAddToVec3f).
extern TVecAddToProc VecAddTo;
// c = b - a (tsxSubToVec3f).
extern TVecSubToProc VecSubTo;
// v = v * s (tsxMulScalar3f).
extern TVecMulScalarProc VecMulScalar;

// Small helpers on top of the three operations, for readable formulas.
// a + b.
inline CtsxVec3f VecSum(const CtsxVec3f& a, const CtsxVec3f& b) {
  CtsxVec3f c;
  VecAddTo(&a, &b, &c);
  return c;
}
// a - b.
inline CtsxVec3f VecDiff(const CtsxVec3f& a, const CtsxVec3f& b) {
  CtsxVec3f c;
  VecSubTo(&b, &a, &c);
  return c;
}
// v * s.
inline CtsxVec3f VecScaled(CtsxVec3f v, float s) {
  VecMulScalar(&v, s);
  return v;
}
