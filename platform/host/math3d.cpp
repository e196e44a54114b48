#include "platform/host/math3d.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace host {

CtsxVec3f Vec(float x, float y, float z) { return CtsxVec3f{x, y, z}; }


CtsxVec3f Cross(const CtsxVec3f& a, const CtsxVec3f& b) {
  return {static_cast<float>(double(a.y) * b.z - double(a.z) * b.y),
          static_cast<float>(double(a.z) * b.x - double(a.x) * b.z),
          static_cast<float>(double(a.x) * b.y - double(a.y) * b.x)};
}


CtsxVec3f Normalize(const CtsxVec3f& v) {
  const double l = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
  if (l == 0.0 || !std::isfinite(l)) return v;
  return {static_cast<float>(v.x / l), static_cast<float>(v.y / l), static_cast<float>(v.z / l)};
}

CtsxVec3f Reflect(const CtsxVec3f& v, const CtsxVec3f& n) {
  const double nn = double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z;
  if (nn == 0.0) return v;
  const double k = 2.0 * (double(v.x) * n.x + double(v.y) * n.y + double(v.z) * n.z) / nn;
  return {static_cast<float>(v.x - k * n.x), static_cast<float>(v.y - k * n.y),
          static_cast<float>(v.z - k * n.z)};
}

CtsxTxmx3f Identity() {
  CtsxTxmx3f m{};
  m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 1.0f;
  return m;
}

CtsxTxmx3f Translation(const CtsxVec3f& t) {
  CtsxTxmx3f m = Identity();
  m.trans[0] = t.x;
  m.trans[1] = t.y;
  m.trans[2] = t.z;
  return m;
}

CtsxTxmx3f ScaleMatrix(const CtsxVec3f& s) {
  CtsxTxmx3f m{};
  m.rot[0][0] = s.x;
  m.rot[1][1] = s.y;
  m.rot[2][2] = s.z;
  return m;
}

CtsxTxmx3f EulerDegrees(const CtsxVec3f& degrees) {
  const double k = std::numbers::pi / 180.0;
  const CtsxVec3f o{0, 0, 0};
  const CtsxTxmx3f rx = RotationAbout(o, {1, 0, 0}, static_cast<float>(degrees.x * k));
  const CtsxTxmx3f ry = RotationAbout(o, {0, 1, 0}, static_cast<float>(degrees.y * k));
  const CtsxTxmx3f rz = RotationAbout(o, {0, 0, 1}, static_cast<float>(degrees.z * k));
  return Multiply(rz, Multiply(ry, rx));
}

CtsxTxmx3f RotationAbout(const CtsxVec3f& point, const CtsxVec3f& axis, float radians) {
  const double l = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
  if (l == 0.0 || !std::isfinite(l)) return Identity();
  const double x = axis.x / l, y = axis.y / l, z = axis.z / l;
  const double c = std::cos(double(radians)), s = std::sin(double(radians)), t = 1.0 - c;
  const double r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                          {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                          {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
  CtsxTxmx3f m{};
  const double p[3] = {point.x, point.y, point.z};
  for (int i = 0; i < 3; ++i) {
    double rp = 0;
    for (int j = 0; j < 3; ++j) {
      m.rot[i][j] = static_cast<float>(r[i][j]);
      rp += r[i][j] * p[j];
    }
    // The point stays where it is: trans = point - R point.
    m.trans[i] = static_cast<float>(p[i] - rp);
  }
  return m;
}

CtsxTxmx3f Multiply(const CtsxTxmx3f& a, const CtsxTxmx3f& b) {
  CtsxTxmx3f m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += double(a.rot[i][k]) * b.rot[k][j];
      m.rot[i][j] = static_cast<float>(s);
    }
    double t = a.trans[i];
    for (int k = 0; k < 3; ++k) t += double(a.rot[i][k]) * b.trans[k];
    m.trans[i] = static_cast<float>(t);
  }
  return m;
}



bool Invert(const CtsxTxmx3f& m, CtsxTxmx3f& out) {
  const auto& r = m.rot;
  double c[3][3];  // cofactors
  c[0][0] = double(r[1][1]) * r[2][2] - double(r[1][2]) * r[2][1];
  c[0][1] = double(r[1][2]) * r[2][0] - double(r[1][0]) * r[2][2];
  c[0][2] = double(r[1][0]) * r[2][1] - double(r[1][1]) * r[2][0];
  c[1][0] = double(r[0][2]) * r[2][1] - double(r[0][1]) * r[2][2];
  c[1][1] = double(r[0][0]) * r[2][2] - double(r[0][2]) * r[2][0];
  c[1][2] = double(r[0][1]) * r[2][0] - double(r[0][0]) * r[2][1];
  c[2][0] = double(r[0][1]) * r[1][2] - double(r[0][2]) * r[1][1];
  c[2][1] = double(r[0][2]) * r[1][0] - double(r[0][0]) * r[1][2];
  c[2][2] = double(r[0][0]) * r[1][1] - double(r[0][1]) * r[1][0];
  const double det = double(r[0][0]) * c[0][0] + double(r[0][1]) * c[0][1] + double(r[0][2]) * c[0][2];
  // A relative threshold: scale-free, so tiny but regular matrices still invert.
  double norm = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) norm = std::max(norm, std::fabs(double(r[i][j])));
  if (!std::isfinite(det) || norm == 0.0 || std::fabs(det) <= 1e-12 * norm * norm * norm) {
    out = Identity();
    return false;
  }
  CtsxTxmx3f inv{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) inv.rot[i][j] = static_cast<float>(c[j][i] / det);
  for (int i = 0; i < 3; ++i) {
    double t = 0;
    for (int j = 0; j < 3; ++j) t -= (c[j][i] / det) * m.trans[j];
    inv.trans[i] = static_cast<float>(t);
  }
  out = inv;
  return true;
}

void Decompose(const CtsxTxmx3f& m, CtsxTxmx3f& rotation, CtsxVec3f& scale) {
  double col[3][3];
  double len[3];
  for (int j = 0; j < 3; ++j) {
    double l = 0;
    for (int i = 0; i < 3; ++i) {
      col[j][i] = m.rot[i][j];
      l += col[j][i] * col[j][i];
    }
    len[j] = std::sqrt(l);
  }
  const double det = col[0][0] * (col[1][1] * col[2][2] - col[1][2] * col[2][1]) -
                     col[1][0] * (col[0][1] * col[2][2] - col[0][2] * col[2][1]) +
                     col[2][0] * (col[0][1] * col[1][2] - col[0][2] * col[1][1]);
  // A mirroring matrix keeps a proper rotation and a negative last scale.
  if (det < 0) len[2] = -len[2];
  CtsxTxmx3f r = Identity();
  for (int j = 0; j < 3; ++j) {
    if (len[j] == 0.0) continue;  // a flattened axis keeps the identity's column
    for (int i = 0; i < 3; ++i) r.rot[i][j] = static_cast<float>(col[j][i] / len[j]);
  }
  rotation = r;
  scale = {static_cast<float>(len[0]), static_cast<float>(len[1]), static_cast<float>(len[2])};
}

}  // namespace host
