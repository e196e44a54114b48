#include "bitmaps/matrix.h"

#include <cmath>

namespace {

// Intermediates in double; only the stored results are Singles.
double Det2(double a, double b, double c, double d) { return a * d - c * b; }

double Det3(const TFloatMatrix& M) {
  return M[0][0] * Det2(M[1][1], M[2][1], M[1][2], M[2][2]) -
         M[0][1] * Det2(M[1][0], M[2][0], M[1][2], M[2][2]) +
         M[0][2] * Det2(M[1][0], M[2][0], M[1][1], M[2][1]);
}

}  // namespace

Single Determinant(const TFloatMatrix& M) { return static_cast<Single>(Det3(M)); }

void Adjoint(TFloatMatrix& M) {
  const TFloatMatrix a = M;
  M[0][0] = static_cast<Single>(Det2(a[1][1], a[2][1], a[1][2], a[2][2]));
  M[0][1] = static_cast<Single>(-Det2(a[0][1], a[2][1], a[0][2], a[2][2]));
  M[0][2] = static_cast<Single>(Det2(a[0][1], a[1][1], a[0][2], a[1][2]));
  M[1][0] = static_cast<Single>(-Det2(a[1][0], a[2][0], a[1][2], a[2][2]));
  M[1][1] = static_cast<Single>(Det2(a[0][0], a[2][0], a[0][2], a[2][2]));
  M[1][2] = static_cast<Single>(-Det2(a[0][0], a[1][0], a[0][2], a[1][2]));
  M[2][0] = static_cast<Single>(Det2(a[1][0], a[2][0], a[1][1], a[2][1]));
  M[2][1] = static_cast<Single>(-Det2(a[0][0], a[2][0], a[0][1], a[2][1]));
  M[2][2] = static_cast<Single>(Det2(a[0][0], a[1][0], a[0][1], a[1][1]));
}

void ScaleMatrix(TFloatMatrix& M, Single Factor) {
  for (auto& column : M)
    for (auto& e : column) e *= Factor;
}

void Invert(TFloatMatrix& M) {
  const double det = Det3(M);
  if (!(std::fabs(det) >= 0.00001)) {
    M = IdentityMatrix;
    return;
  }
  Adjoint(M);
  ScaleMatrix(M, static_cast<Single>(1.0 / det));
}
