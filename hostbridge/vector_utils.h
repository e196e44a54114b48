#pragma once
// Small vector helpers of the bridge. Host matrices carry rounding noise (1e-8 where a
// rotation should give 0); snapping it away keeps later arccos and comparisons exact.
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

// 0 when |x| < 1e-6 (compared in double), else x.
Single SnapToZero(Single x);
void SnapVectorToZero(CtsxVec3f& v);
// All 12 entries: the 9 of the rotation and the 3 of the translation.
void SnapMatrixToZero(CtsxTxmx3f& m);
CtsxVec3f Vec3f(Single x, Single y, Single z);
CtsxTxmx3f IdentityTxmx();
