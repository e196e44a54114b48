// The C calls of vectors and matrices.
#include "platform/host/c_guard.h"
#include "platform/host/math3d.h"
#include "platform/host/tsxapi.h"

using namespace host;

extern "C" {

void tsxAddVec3f(CtsxVec3f* a, const CtsxVec3f* b) {
  if (a && b) *a = Add(*a, *b);
}

void tsxAddToVec3f(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c) {
  if (a && b && c) *c = Add(*a, *b);
}

void tsxSubVec3f(CtsxVec3f* a, const CtsxVec3f* b) {
  if (a && b) *a = Sub(*a, *b);
}

void tsxSubToVec3f(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c) {
  if (a && b && c) *c = Sub(*b, *a);
}

void tsxMulScalar3f(CtsxVec3f* v, float s) {
  if (v) *v = Scale(*v, s);
}

float tsxMagnitude3f(const CtsxVec3f* v) { return v ? Length(*v) : 0.0f; }

float tsxDProdVec3f(const CtsxVec3f* a, const CtsxVec3f* b) { return a && b ? Dot(*a, *b) : 0.0f; }

void tssReflect(CtsxVec3f* out, const CtsxVec3f* v, const CtsxVec3f* n) {
  if (out && v && n) *out = Reflect(*v, *n);
}

void tsxTransformVect3f(const CtsxVec3f* src, CtsxVec3f* dst, const CtsxTxmx3f* m) {
  if (src && dst && m) *dst = Transform(*m, *src);
}

void tsxRotateVect3f(const CtsxVec3f* src, CtsxVec3f* dst, const CtsxTxmx3f* m) {
  if (src && dst && m) *dst = Rotate(*m, *src);
}

void tsxMakeRotMx3f(const CtsxVec3f* point, const CtsxVec3f* axis, float angle, CtsxTxmx3f* out, int) {
  if (!out || !axis) return;
  *out = RotationAbout(point ? *point : CtsxVec3f{0, 0, 0}, *axis, angle);
}

void tsxXProdMx3f(CtsxTxmx3f* out, const CtsxTxmx3f* a, const CtsxTxmx3f* b) {
  if (out && a && b) *out = Multiply(*a, *b);
}

int tsxInvertMx3f(CtsxTxmx3f* out, const CtsxTxmx3f* m) {
  if (!out || !m) return 0;
  CtsxTxmx3f r;
  const bool ok = Invert(*m, r);
  *out = r;
  return ok ? 1 : 0;
}

void tsxUnMatrix3f(const CtsxTxmx3f* m, CtsxTxmx3f* rotation, CtsxVec3f* scale) {
  if (!m) return;
  CtsxTxmx3f r;
  CtsxVec3f s;
  Decompose(*m, r, s);
  if (rotation) *rotation = r;
  if (scale) *scale = s;
}

void tsxGetMxTranslation3f(CtsxVec3f* out, const CtsxTxmx3f* m) {
  if (out && m) *out = {m->trans[0], m->trans[1], m->trans[2]};
}

}  // extern "C"
