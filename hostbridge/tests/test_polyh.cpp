// Polyhedron helpers: snapping, the face-flattening rotation, points in polygons and the
// random sampling of faces with the process-wide generator.
#include <cmath>
#include <numbers>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/polygon_sampling.h"
#include "hostbridge/polyh.h"
#include "hostbridge/vector_utils.h"

namespace {

class PolyhTest : public BridgeTest {
 protected:
  TPolyh Make(const std::vector<CtsxVec3f>& vertices, const std::vector<std::vector<int>>& faces) {
    return TPolyh(host::AddPolyhedron("poly", vertices, faces));
  }
};

CtsxVec3f Apply(const CtsxTxmx3f& m, const CtsxVec3f& v) {
  CtsxVec3f out{};
  tsxTransformVect3f(&v, &out, &m);
  return out;
}

// Barycentric test in the plane of a triangle, with a small tolerance for rounding.
bool InTriangle(const CtsxVec3f& p, const CtsxVec3f& a, const CtsxVec3f& b, const CtsxVec3f& c) {
  auto sub = [](CtsxVec3f u, CtsxVec3f v) { return CtsxVec3f{u.x - v.x, u.y - v.y, u.z - v.z}; };
  auto dot = [](CtsxVec3f u, CtsxVec3f v) { return double(u.x) * v.x + double(u.y) * v.y + double(u.z) * v.z; };
  const CtsxVec3f v0 = sub(b, a), v1 = sub(c, a), v2 = sub(p, a);
  const double d00 = dot(v0, v0), d01 = dot(v0, v1), d11 = dot(v1, v1), d20 = dot(v2, v0), d21 = dot(v2, v1);
  const double den = d00 * d11 - d01 * d01;
  const double v = (d11 * d20 - d01 * d21) / den;
  const double w = (d00 * d21 - d01 * d20) / den;
  const double u = 1 - v - w;
  // p must also lie in the plane.
  const CtsxVec3f rebuilt{float(u * a.x + v * b.x + w * c.x), float(u * a.y + v * b.y + w * c.y),
                          float(u * a.z + v * b.z + w * c.z)};
  const double eps = 1e-4;
  return u >= -eps && v >= -eps && w >= -eps && std::fabs(rebuilt.x - p.x) < eps &&
         std::fabs(rebuilt.y - p.y) < eps && std::fabs(rebuilt.z - p.z) < eps;
}

}  // namespace

TEST(VectorUtilsTest, SnapToZeroBelowOneMillionth) {
  // The float written 1e-6f is 9.99999997e-7, below the bound; the next float is above it.
  const float above = std::nextafter(1e-6f, 1.0f);
  const struct {
    float in, out;
  } cases[] = {
      {9.9e-7f, 0.0f}, {-9.9e-7f, 0.0f}, {1e-6f, 0.0f}, {-1e-6f, 0.0f}, {above, above}, {-above, -above}, {-2.5f, -2.5f},
  };
  for (const auto& c : cases) EXPECT_EQ(SnapToZero(c.in), c.out) << c.in;
  CtsxTxmx3f m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m.rot[i][j] = 5e-7f;
    m.trans[i] = -5e-7f;
  }
  m.rot[1][2] = 0.5f;
  SnapMatrixToZero(m);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(m.rot[i][j], (i == 1 && j == 2) ? 0.5f : 0.0f);
    EXPECT_EQ(m.trans[i], 0.0f);
  }
  CtsxVec3f v = Vec3f(1e-9f, 3, -1e-8f);
  SnapVectorToZero(v);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(v.y, 3.0f);
  EXPECT_EQ(v.z, 0.0f);
}

TEST(PointInPolygonTest, EvenOddWithCornersOnTheRayCountedOnce) {
  const std::vector<CtsxVec3f> square = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
  const std::vector<CtsxVec3f> roof = {{0, 0, 0}, {4, 0, 0}, {2, 2, 0}};
  const std::vector<CtsxVec3f> notch = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {2, 1, 0}, {0, 4, 0}};
  const std::vector<CtsxVec3f> segment = {{0, 0, 0}, {1, 0, 0}};
  struct Case {
    const std::vector<CtsxVec3f>* polygon;
    CtsxVec3f point;
    bool inside;
  };
  // On a vertical edge's x the edge itself never counts and the horizontal edges at its
  // ends count once, so the right edge is inside and the left one outside; the roof's
  // corner straight above the point flips once; the notch of the concave polygon is outside.
  const Case cases[] = {
      {&square, {1, 1, 0}, true},  {&square, {3, 1, 0}, false}, {&square, {1, 3, 0}, false},
      {&square, {2, 1, 0}, true},  {&square, {0, 1, 0}, false}, {&square, {2, 3, 0}, false},
      {&square, {2, -1, 0}, false}, {&roof, {2, 1, 0}, true},   {&roof, {2, 3, 0}, false},
      {&notch, {2, 3, 0}, false},  {&notch, {3, 2, 0}, true},   {&segment, {0.5f, 0.1f, 0}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInPolygon(c.point, *c.polygon), c.inside)
        << c.polygon->size() << " corners, (" << c.point.x << ", " << c.point.y << ")";
}

TEST(RandomPointInPolygonTest, DrawsInTheBoxUntilInsideAndKeepsTheFirstZ) {
  const std::vector<CtsxVec3f> tri = {{0, 0, 5}, {4, 0, 5}, {0, 4, 5}};
  RandSeed = 1513;
  CtsxVec3f out{};
  ASSERT_TRUE(RandomPointInPolygon(tri, out));
  EXPECT_EQ(out.z, 5.0f);
  EXPECT_TRUE(PointInPolygon(out, tri));

  // The same draws by hand: x then y per try, the first inside one wins.
  RandSeed = 1513;
  CtsxVec3f expected{};
  int draws = 0;
  for (int i = 0; i < 11; ++i) {
    const float x = static_cast<float>(0 + Random() * 4.0f);
    const float y = static_cast<float>(0 + Random() * 4.0f);
    draws += 2;
    if (PointInPolygon({x, y, 0}, tri)) {
      expected = {x, y, 5};
      break;
    }
  }
  EXPECT_EQ(out.x, expected.x);
  EXPECT_EQ(out.y, expected.y);
  EXPECT_EQ(DrawsBetween(1513, RandSeed), draws);
}

TEST(RandomPointInPolygonTest, ANarrowBoxDrawsNothingAndFails) {
  const std::vector<CtsxVec3f> sliver = {{1, 1, 2}, {5, 1, 2}, {3, 1.0009f, 2}};
  RandSeed = 77;
  CtsxVec3f out{9, 9, 9};
  EXPECT_FALSE(RandomPointInPolygon(sliver, out));
  EXPECT_EQ(RandSeed, 77u);
  EXPECT_TRUE(Near3(out, {1, 1, 2}, 0));
}

TEST(RandomPointInPolygonTest, BoxesJustOverOneThousandthAreSampled) {
  // 0.001f is 0.0010000000475, just over the bound; the float below it is under.
  const float under = std::nextafter(0.001f, 0.0f);
  const struct {
    float w, h;
    bool sampled;
  } cases[] = {
      {0.001f, 0.001f, true}, {under, 1.0f, false}, {1.0f, under, false}, {0.001f, 5.0f, true}, {0.0f, 1.0f, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h);
    // At the origin, so the sides are exactly w and h.
    const std::vector<CtsxVec3f> box = {{0, 0, 1}, {c.w, 0, 1}, {c.w, c.h, 1}, {0, c.h, 1}};
    RandSeed = 5;
    CtsxVec3f out{};
    RandomPointInPolygon(box, out);
    EXPECT_EQ(RandSeed != 5u, c.sampled);
  }
}

TEST(RandomPointInPolygonTest, ElevenMissesFailWithTheFirstCorner) {
  // A thin diagonal triangle fills almost none of its bounding box: from this seed all
  // eleven tries miss.
  const std::vector<CtsxVec3f> diagonal = {{0, 0, 1}, {100, 100, 0}, {100, 100.01f, 0}};
  RandSeed = 1;
  CtsxVec3f out{};
  EXPECT_FALSE(RandomPointInPolygon(diagonal, out));
  EXPECT_EQ(DrawsBetween(1, RandSeed), 22);
  EXPECT_TRUE(Near3(out, {0, 0, 1}, 0));
}

TEST_F(PolyhTest, CachesTheHostArraysAtCreation) {
  TPolyh p = Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 3, 1}});
  EXPECT_EQ(p.VertexCount, 4);
  EXPECT_EQ(p.FaceCount, 2);
  EXPECT_TRUE(Near3(p.Vertex(3), {0, 0, 1}, 0));
  EXPECT_EQ(p.FaceCornerCount(p.Face(1)), 3);
  EXPECT_TRUE(Near3(p.FaceVertex(p.Face(1), 1), {0, 0, 1}, 0));
  EXPECT_THROW(p.Vertex(4), EListError);
  EXPECT_THROW(p.Face(-1), EListError);
  EXPECT_THROW(p.FaceVertex(p.Face(0), 3), EListError);
  CtsxVec3f n{};
  p.FaceNormal(0, n);
  EXPECT_TRUE(Near3(n, {0, 0, 1}));
}

TEST_F(PolyhTest, RandomFaceDrawsOnceOrNotAtAll) {
  TPolyh none = Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
  RandSeed = 1234;
  EXPECT_EQ(none.RandomFace(), -1);
  EXPECT_EQ(RandSeed, 1234u);

  TPolyh p = Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}});
  RandSeed = 1234;
  const Integer face = p.RandomFace();
  RandSeed = 1234;
  EXPECT_EQ(face, Random(3));
  RandSeed = 1234;
  p.RandomFace();
  EXPECT_EQ(DrawsBetween(1234, RandSeed), 1);
}

TEST_F(PolyhTest, ATriangleInTheXYPlaneGetsARotationAboutZOnly) {
  TPolyh p = Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
  const CtsxTxmx3f m = p.FaceToXYMatrix(0);
  // Edge p0 - p1 = (-1, 0) turns onto the Y axis: a quarter turn about Z.
  const float expected[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.rot[i][j], expected[i][j], 1e-6) << i << "," << j;
    EXPECT_EQ(m.trans[i], 0.0f);
  }
  EXPECT_EQ(m.rot[2][0], 0.0f);
  EXPECT_EQ(m.rot[2][1], 0.0f);
  EXPECT_EQ(m.rot[0][2], 0.0f);
  EXPECT_EQ(m.rot[1][2], 0.0f);
}

TEST_F(PolyhTest, FaceToXYFlattensFacesOfEveryOrientationAndPutsTheFirstEdgeOnY) {
  // Normals pointing into every octant, and one straight down -Z.
  const std::vector<CtsxVec3f> tilts = {{1, 2, 3}, {-1, 2, 3}, {1, -2, 3}, {-1, -2, -3}, {3, 0, -1},
                                        {0, 3, 1},  {0, 0, -1}, {2, -1, 0}, {0, -1, 0}};
  for (const CtsxVec3f& tilt : tilts) {
    host::Reset();
    // A triangle in the plane through (0.5, 0.2, 0.1) with normal `tilt`.
    CtsxVec3f u = std::fabs(tilt.x) < 0.9f * std::hypot(tilt.x, tilt.y, tilt.z) ? CtsxVec3f{1, 0, 0} : CtsxVec3f{0, 1, 0};
    CtsxVec3f a{tilt.y * u.z - tilt.z * u.y, tilt.z * u.x - tilt.x * u.z, tilt.x * u.y - tilt.y * u.x};
    CtsxVec3f b{tilt.y * a.z - tilt.z * a.y, tilt.z * a.x - tilt.x * a.z, tilt.x * a.y - tilt.y * a.x};
    const float la = std::hypot(a.x, a.y, a.z), lb = std::hypot(b.x, b.y, b.z);
    const CtsxVec3f o{0.5f, 0.2f, 0.1f};
    const std::vector<CtsxVec3f> v = {o, {o.x + a.x / la, o.y + a.y / la, o.z + a.z / la},
                                      {o.x + b.x / lb, o.y + b.y / lb, o.z + b.z / lb}};
    TPolyh p = Make(v, {{0, 1, 2}});
    const CtsxTxmx3f m = p.FaceToXYMatrix(0);
    const CtsxVec3f q0 = Apply(m, v[0]), q1 = Apply(m, v[1]), q2 = Apply(m, v[2]);
    EXPECT_NEAR(q1.z, q0.z, 1e-5) << tilt.x << " " << tilt.y << " " << tilt.z;
    EXPECT_NEAR(q2.z, q0.z, 1e-5) << tilt.x << " " << tilt.y << " " << tilt.z;
    EXPECT_NEAR(q1.x, q0.x, 1e-5) << "first edge along Y";
    EXPECT_NEAR(std::fabs(q1.y - q0.y), 1.0f, 1e-5) << "a rotation keeps lengths";
  }
}

TEST_F(PolyhTest, RandomPointOnATiltedFaceLiesInsideIt) {
  const std::vector<CtsxVec3f> v = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}};
  TPolyh p = Make(v, {{0, 1, 2}});
  RandSeed = 1513;
  for (int i = 0; i < 200; ++i) {
    CtsxVec3f out{};
    p.RandomPointOnFace(0, out);
    ASSERT_TRUE(InTriangle(out, v[0], v[1], v[2])) << out.x << " " << out.y << " " << out.z;
  }
}

TEST_F(PolyhTest, RandomPointsSpreadOverTheWholeFace) {
  // Uniform over a square: each quarter gets about a quarter of the points.
  TPolyh p = Make({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {{0, 1, 2, 3}});
  RandSeed = 42;
  int quarters[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4000; ++i) {
    CtsxVec3f out{};
    p.RandomPointOnFace(0, out);
    ASSERT_NEAR(out.z, 0.0f, 1e-5);
    quarters[(out.x >= 1 ? 1 : 0) + (out.y >= 1 ? 2 : 0)]++;
  }
  for (int q : quarters) EXPECT_NEAR(q, 1000, 120);
}

TEST_F(PolyhTest, AFaceNarrowerThanAThousandthTakesTheWeightedFallback) {
  const std::vector<CtsxVec3f> v = {{0, 0, 0}, {1, 0, 0}, {0.5f, 0.0005f, 0}};
  TPolyh p = Make(v, {{0, 1, 2}});
  RandSeed = 99;
  CtsxVec3f out{};
  p.RandomPointOnFace(0, out);
  EXPECT_EQ(DrawsBetween(99, RandSeed), 9) << "three weights per corner and no polygon tries";

  RandSeed = 99;
  CtsxVec3f weighted{};
  p.RandomWeightedFacePoint(0, weighted);
  EXPECT_EQ(out.x, weighted.x);
  EXPECT_EQ(out.y, weighted.y);
  EXPECT_EQ(out.z, weighted.z);

  // The same weights by hand.
  RandSeed = 99;
  CtsxVec3f sum{0, 0, 0}, wsum{0, 0, 0};
  for (const CtsxVec3f& c : v) {
    const float wx = float(Random() + 1), wy = float(Random() + 1), wz = float(Random() + 1);
    wsum = {wsum.x + wx, wsum.y + wy, wsum.z + wz};
    sum = {sum.x + c.x * wx, sum.y + c.y * wy, sum.z + c.z * wz};
  }
  EXPECT_EQ(weighted.x, sum.x / wsum.x);
  EXPECT_EQ(weighted.y, sum.y / wsum.y);
  EXPECT_EQ(weighted.z, sum.z / wsum.z);
  EXPECT_GT(weighted.x, 0.0f);
  EXPECT_LT(weighted.x, 1.0f);
}

TEST_F(PolyhTest, WeightedPointOfNoFaceIsTheOriginAndDrawsNothing) {
  TPolyh p = Make({{3, 3, 3}, {4, 3, 3}, {3, 4, 3}}, {{0, 1, 2}});
  RandSeed = 5;
  CtsxVec3f out{1, 1, 1};
  p.RandomWeightedFacePoint(1, out);
  EXPECT_TRUE(Near3(out, {0, 0, 0}, 0));
  p.RandomWeightedFacePoint(-1, out);
  EXPECT_TRUE(Near3(out, {0, 0, 0}, 0));
  out = {1, 1, 1};
  p.RandomPointOnFace(7, out);
  EXPECT_TRUE(Near3(out, {0, 0, 0}, 0));
  EXPECT_EQ(RandSeed, 5u);
}

TEST_F(PolyhTest, AFaceNamingAMissingVertexIsSwallowedByTheWeightedPoint) {
  TPolyh p = Make({{3, 3, 3}, {4, 3, 3}, {3, 4, 3}}, {{0, 1, 2}});
  // A corrupt face record of our own, in place of the host's.
  tsxCORNER corners[3] = {{0, -1, {}}, {1, -1, {}}, {50, -1, {}}};
  tsxFACE face{3, 0, corners};
  tsxFACE* faces[1] = {&face};
  p.FacePtrArray = faces;
  CtsxVec3f out{1, 1, 1};
  EXPECT_NO_THROW(p.RandomWeightedFacePoint(0, out));
  EXPECT_TRUE(Near3(out, {0, 0, 0}, 0));
  EXPECT_THROW(p.RandomPointOnFace(0, out), EListError);

  // A negative corner count is no corners: the origin, nothing thrown.
  tsxFACE negative{-3, 0, corners};
  faces[0] = &negative;
  EXPECT_EQ(p.FaceCornerCount(&negative), 0);
  out = {1, 1, 1};
  EXPECT_NO_THROW(p.RandomPointOnFace(0, out));
  EXPECT_TRUE(Near3(out, {0, 0, 0}, 0));
}
