// The host's vector and matrix calls, through the C API as plug-ins call them.
#include <numbers>

#include "host_test_support.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

CtsxTxmx3f Rot(CtsxVec3f axis, float angle, CtsxVec3f point = {0, 0, 0}) {
  CtsxTxmx3f m;
  tsxMakeRotMx3f(&point, &axis, angle, &m, 0);
  return m;
}

TEST(HostMath, VectorCallsFollowTheirArgumentOrder) {
  CtsxVec3f a{1, 2, 3}, b{10, 20, 30}, c{};
  tsxAddToVec3f(&a, &b, &c);
  EXPECT_TRUE(VecNear(c, {11, 22, 33}));
  tsxSubToVec3f(&a, &b, &c);  // c = b - a
  EXPECT_TRUE(VecNear(c, {9, 18, 27}));
  tsxAddVec3f(&a, &b);
  EXPECT_TRUE(VecNear(a, {11, 22, 33}));
  tsxSubVec3f(&a, &b);
  EXPECT_TRUE(VecNear(a, {1, 2, 3}));
  tsxMulScalar3f(&a, -2.0f);
  EXPECT_TRUE(VecNear(a, {-2, -4, -6}));
  const CtsxVec3f v{3, 4, 12};
  EXPECT_FLOAT_EQ(tsxMagnitude3f(&v), 13.0f);
  EXPECT_FLOAT_EQ(tsxDProdVec3f(&v, &b), 30 + 80 + 360);
}

TEST(HostMath, ReflectMirrorsAtThePlaneOfAnUnnormalisedNormal) {
  const CtsxVec3f v{1, -2, 3}, n{0, 5, 0};
  CtsxVec3f out;
  tssReflect(&out, &v, &n);
  EXPECT_TRUE(VecNear(out, {1, 2, 3}));
  const CtsxVec3f diag{1, 1, 0};
  const CtsxVec3f w{1, 0, 0};
  tssReflect(&out, &w, &diag);
  EXPECT_TRUE(VecNear(out, {0, -1, 0}));
  const CtsxVec3f zero{0, 0, 0};
  tssReflect(&out, &v, &zero);  // no plane: unchanged
  EXPECT_TRUE(VecNear(out, v));
}

TEST(HostMath, RotationsAreRightHandedAboutALineThroughAPoint) {
  CtsxVec3f out;
  const CtsxVec3f x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  CtsxTxmx3f rz = Rot(z, kPi / 2);
  tsxTransformVect3f(&x, &out, &rz);
  EXPECT_TRUE(VecNear(out, y));
  CtsxTxmx3f rx = Rot(x, kPi / 2);
  tsxTransformVect3f(&y, &out, &rx);
  EXPECT_TRUE(VecNear(out, z));
  CtsxTxmx3f ry = Rot(y, kPi / 2);
  tsxTransformVect3f(&z, &out, &ry);
  EXPECT_TRUE(VecNear(out, x));

  // About the vertical line through (2, 0, 0): that point stays, the origin moves round it.
  CtsxTxmx3f m = Rot(z, kPi, {2, 0, 0});
  const CtsxVec3f o{0, 0, 0}, p{2, 0, 5};
  tsxTransformVect3f(&o, &out, &m);
  EXPECT_TRUE(VecNear(out, {4, 0, 0}));
  tsxTransformVect3f(&p, &out, &m);
  EXPECT_TRUE(VecNear(out, p));
  // Rotating ignores the translation.
  tsxRotateVect3f(&o, &out, &m);
  EXPECT_TRUE(VecNear(out, o));
}

TEST(HostMath, ProductAppliesTheRightFactorFirst) {
  const CtsxVec3f x{1, 0, 0};
  CtsxTxmx3f rz = Rot({0, 0, 1}, kPi / 2);
  CtsxTxmx3f t = IdentityMx();
  t.trans[0] = 5;
  CtsxTxmx3f ab, ba;
  tsxXProdMx3f(&ab, &rz, &t);  // translate, then rotate
  tsxXProdMx3f(&ba, &t, &rz);  // rotate, then translate
  CtsxVec3f out;
  tsxTransformVect3f(&x, &out, &ab);
  EXPECT_TRUE(VecNear(out, {0, 6, 0}));
  tsxTransformVect3f(&x, &out, &ba);
  EXPECT_TRUE(VecNear(out, {5, 1, 0}));
  // The output may be one of the inputs.
  tsxXProdMx3f(&rz, &rz, &t);
  EXPECT_TRUE(MxNear(rz, ab));
}

TEST(HostMath, InverseUndoesAnyRegularTransform) {
  CtsxTxmx3f r = Rot({1, 2, 3}, 0.7f, {4, -1, 2});
  CtsxTxmx3f s = IdentityMx();
  s.rot[0][0] = 2.0f, s.rot[1][1] = 0.5f, s.rot[2][2] = -3.0f;
  s.trans[1] = 7.0f;
  CtsxTxmx3f m, inv, both;
  tsxXProdMx3f(&m, &r, &s);
  ASSERT_EQ(tsxInvertMx3f(&inv, &m), 1);
  tsxXProdMx3f(&both, &inv, &m);
  EXPECT_TRUE(MxNear(both, IdentityMx(), 1e-5f));
  tsxXProdMx3f(&both, &m, &inv);
  EXPECT_TRUE(MxNear(both, IdentityMx(), 1e-5f));
  const CtsxVec3f p{0.3f, -8, 2.5f};
  CtsxVec3f q, back;
  tsxTransformVect3f(&p, &q, &m);
  tsxTransformVect3f(&q, &back, &inv);
  EXPECT_TRUE(VecNear(back, p, 1e-4f));
}

TEST(HostMath, SingularInverseFailsWithTheIdentity) {
  CtsxTxmx3f flat = IdentityMx();
  flat.rot[2][2] = 0.0f;
  flat.trans[0] = 3.0f;
  CtsxTxmx3f out;
  EXPECT_EQ(tsxInvertMx3f(&out, &flat), 0);
  EXPECT_TRUE(MxNear(out, IdentityMx()));
  // Small but regular matrices still invert.
  CtsxTxmx3f tiny = IdentityMx();
  tiny.rot[0][0] = tiny.rot[1][1] = tiny.rot[2][2] = 1e-4f;
  EXPECT_EQ(tsxInvertMx3f(&out, &tiny), 1);
  EXPECT_NEAR(out.rot[1][1], 1e4f, 1.0f);
}

TEST(HostMath, UnMatrixSplitsAScaledRotationIntoItsParts) {
  CtsxTxmx3f r = Rot({0.2f, 1, -0.4f}, 1.1f);
  CtsxTxmx3f s = IdentityMx();
  s.rot[0][0] = 2.0f, s.rot[1][1] = 3.0f, s.rot[2][2] = 0.25f;
  CtsxTxmx3f m;
  tsxXProdMx3f(&m, &r, &s);
  m.trans[0] = 9, m.trans[1] = 8, m.trans[2] = 7;
  CtsxTxmx3f rot;
  CtsxVec3f scale;
  tsxUnMatrix3f(&m, &rot, &scale);
  EXPECT_TRUE(VecNear(scale, {2.0f, 3.0f, 0.25f}));
  EXPECT_TRUE(MxNear(rot, r));  // with translation 0
  CtsxVec3f t;
  tsxGetMxTranslation3f(&t, &m);
  EXPECT_TRUE(VecNear(t, {9, 8, 7}));

  // A mirror keeps a proper rotation and gives the last axis a negative scale.
  CtsxTxmx3f mirror = IdentityMx();
  mirror.rot[0][0] = -1.0f;
  tsxUnMatrix3f(&mirror, &rot, &scale);
  EXPECT_LT(scale.z, 0.0f);
  CtsxTxmx3f rebuilt = rot, sc = IdentityMx();
  sc.rot[0][0] = scale.x, sc.rot[1][1] = scale.y, sc.rot[2][2] = scale.z;
  tsxXProdMx3f(&rebuilt, &rot, &sc);
  EXPECT_TRUE(MxNear(rebuilt, mirror));
}

TEST(HostMath, NullArgumentsChangeNothing) {
  CtsxVec3f a{1, 2, 3};
  tsxAddVec3f(&a, nullptr);
  tsxMulScalar3f(nullptr, 2.0f);
  tsxTransformVect3f(&a, nullptr, nullptr);
  tsxUnMatrix3f(nullptr, nullptr, nullptr);
  EXPECT_EQ(tsxInvertMx3f(nullptr, nullptr), 0);
  EXPECT_EQ(tsxMagnitude3f(nullptr), 0.0f);
  EXPECT_TRUE(VecNear(a, {1, 2, 3}));
}

}  // namespace
