#pragma once
// 3 x 3 float matrices of 2D affine transformations. M[i][j]: i is the column
// (0 = x, 1 = y, 2 = translation), j the row, so a point (x, y) maps to
//   x' = M[0][0]·x + M[1][0]·y + M[2][0]
//   y' = M[0][1]·x + M[1][1]·y + M[2][1]
#include <array>

#include "platform/classlib/types.h"

using TFloatMatrix = std::array<std::array<Single, 3>, 3>;
using TVector3f = std::array<Single, 3>;

inline constexpr TFloatMatrix IdentityMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

// By cofactors along the first column.
Single Determinant(const TFloatMatrix& M);
// The classical adjugate: the transposed matrix of cofactors.
void Adjoint(TFloatMatrix& M);
// Every element times Factor.
void ScaleMatrix(TFloatMatrix& M, Single Factor);
// The inverse, or the identity when the matrix is (nearly) singular:
// |determinant| below 0.00001.
void Invert(TFloatMatrix& M);
// M1 · M2: applied to a point, M2 acts first. Inline, as every sprite drawn builds its
// transformation from a few of these.
inline TFloatMatrix Mult(const TFloatMatrix& M1, const TFloatMatrix& M2) {
  TFloatMatrix r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[i][j] = static_cast<Single>(static_cast<double>(M1[0][j]) * M2[i][0] +
                                    static_cast<double>(M1[1][j]) * M2[i][1] +
                                    static_cast<double>(M1[2][j]) * M2[i][2]);
  return r;
}
// M · V, V a column (x, y, w).
inline TVector3f VectorTransform(const TFloatMatrix& M, const TVector3f& V) {
  TVector3f r{};
  for (int i = 0; i < 3; ++i)
    r[i] = static_cast<Single>(static_cast<double>(M[0][i]) * V[0] + static_cast<double>(M[1][i]) * V[1] +
                               static_cast<double>(M[2][i]) * V[2]);
  return r;
}
