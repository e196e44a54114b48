// The birth of a particle from an emitter: every value against the draws of an
// independent copy of the generator, in the order they are made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/color_series.h"
#include "engine/particle_emitter.h"
#include "engine/particle_map_source.h"
#include "engine/particle_system.h"
#include "platform/classlib/random.h"
#include "engine/tests/engine_test_support.h"

using engine_test::SetConstant;
using engine_test::ExpectVec;

namespace {

// The process-wide generator, written again: seed := seed x 134775813 + 1.
struct Draws {
  Cardinal seed;
  double Next() {
    seed = seed * 134775813u + 1u;
    return seed * (1.0 / 4294967296.0);
  }
  Integer Below(Integer n) {
    seed = seed * 134775813u + 1u;
    return static_cast<Integer>((static_cast<std::uint64_t>(static_cast<Cardinal>(n)) * seed) >> 32);
  }
};

CtsxTxmx3f Matrix(CtsxVec3f row0, CtsxVec3f row1, CtsxVec3f row2, CtsxVec3f translation) {
  CtsxTxmx3f m{};
  const CtsxVec3f rows[3] = {row0, row1, row2};
  for (int i = 0; i < 3; ++i) {
    m.rot[i][0] = rows[i].x;
    m.rot[i][1] = rows[i].y;
    m.rot[i][2] = rows[i].z;
  }
  m.trans[0] = translation.x;
  m.trans[1] = translation.y;
  m.trans[2] = translation.z;
  return m;
}

// A quarter turn about X: local Z becomes world -Y.
const CtsxTxmx3f kTurnedX = Matrix({1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0, 0});

class InitParticle : public ::testing::Test {
 protected:
  void SetUp() override { RandSeed = 99; }
  TParticle Born() {
    TParticle p = system.Template;
    emitter.InitParticle(system, p);
    return p;
  }
  TParticleSystem system;
  TParticleEmitter emitter;
};

}  // namespace

TEST_F(InitParticle, PointShapeTakesItsDrawsInOrder) {
  SetConstant(emitter.LifespanJitter, 0.5);
  SetConstant(emitter.OrientationJitter, 1);
  SetConstant(emitter.RotationJitter, 1);
  SetConstant(emitter.SizeJitter, 0.25);
  SetConstant(emitter.MassJitter, 0.5);
  SetConstant(emitter.AlphaJitter, 0.5);
  SetConstant(emitter.Vortex, 0.2);
  SetConstant(emitter.VortexJitter, 0.5);
  SetConstant(emitter.SpeedJitter, 0.5);
  emitter.Shape = esPoint;
  emitter.SizeScale = 2;
  emitter.PreviousMatrix = Matrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 0});
  emitter.CurrentMatrix = Matrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 1});
  system.SizeScale = 3;
  system.LifespanScale = 1.5f;
  system.SpeedScale = 2;
  system.GravityScale = 0.5f;
  system.FixedMapIndex = 7;
  system.LoopTime = 0;

  const TParticle p = Born();
  Draws d{99};
  double r[17];
  for (int i = 1; i <= 16; ++i) r[i] = d.Next();
  EXPECT_EQ(RandSeed, d.seed) << "sixteen draws";

  EXPECT_FLOAT_EQ(p.Lifespan, 60 * (1 + 0.5 * (2 * r[1] - 1)) * 1.5);
  EXPECT_FLOAT_EQ(p.Rotation, (2 * r[2] - 1) * 180);
  EXPECT_FLOAT_EQ(p.Spin, (2 * r[3] - 1) * 4);
  EXPECT_FLOAT_EQ(p.Size, 2 * (1 + 0.25 * (2 * r[4] - 1)) * 3);
  EXPECT_FLOAT_EQ(p.Mass, 1 + 0.5 * (2 * r[5] - 1));
  const double intensity = 1 + 0.05 * (2 * r[6] - 1);
  EXPECT_FLOAT_EQ(p.Color.R, intensity);
  EXPECT_FLOAT_EQ(p.Color.B, intensity);
  EXPECT_EQ(p.Color.A, 1);
  EXPECT_FLOAT_EQ(p.Alpha, 1 + 0.5 * (2 * r[7] - 1));
  EXPECT_EQ(p.ImageIndex, 7);
  EXPECT_FLOAT_EQ(p.TwistRate, 0.2 * (1 + 0.5 * (2 * r[8] - 1)));
  // On the path from the current place (0, 0, 1) back towards the previous (2, 0, 0).
  ExpectVec(p.Origin, 2 * r[9], 0, 1 - r[9]);
  ExpectVec(p.TwistAxis, 0, 0, 1);

  const double theta = std::numbers::pi * r[10] * (1 - 0.8);
  const double phi = 2 * std::numbers::pi * r[11];
  ExpectVec(p.Direction, std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta), std::cos(theta));
  const double speed = 0.3 * 2 * (1 + 0.5 * (2 * r[15] - 1));
  ExpectVec(p.Drive, p.Direction.x * speed, p.Direction.y * speed, p.Direction.z * speed);
  // A point has no radius: it starts at the origin and is launched part of a step.
  ExpectVec(p.Position, p.Origin.x + p.Drive.x * r[16], p.Origin.y + p.Drive.y * r[16],
            p.Origin.z + p.Drive.z * r[16]);
  ExpectVec(p.Velocity, 0, 0, 0);
  EXPECT_FLOAT_EQ(p.Acceleration.z, -0.01f * 0.5f);
}

TEST_F(InitParticle, PlaneShapeOffsetsByRadiusTimesNodeScale) {
  emitter.Shape = esPlane;
  emitter.CurrentMatrix = Matrix({2, 0, 0}, {0, 3, 0}, {0, 0, 1}, {0, 0, 0});
  emitter.PreviousMatrix = emitter.CurrentMatrix;
  const TParticle p = Born();
  Draws d{99};
  double r[14];
  for (int i = 1; i <= 13; ++i) r[i] = d.Next();
  EXPECT_EQ(RandSeed, d.seed) << "thirteen draws";
  ExpectVec(p.Direction, 0, 0, 1);
  ExpectVec(p.Position, (r[10] - 0.5) * 2 * 0.1 * 2, (r[11] - 0.5) * 2 * 0.1 * 3, 0.3 * r[13]);
  ExpectVec(p.Drive, 0, 0, 0.3);
}

TEST_F(InitParticle, FocusOneLaunchesAlongLocalZOrInItsXYPlane) {
  SetConstant(emitter.Focus, 1);
  SetConstant(emitter.Speed, 0.5);
  emitter.CurrentMatrix = kTurnedX;
  emitter.PreviousMatrix = kTurnedX;
  for (int i = 0; i < 40; ++i) {
    const TParticle p = Born();
    ExpectVec(p.TwistAxis, 0, -1, 0);
    ExpectVec(p.Direction, 0, -1, 0);
    ExpectVec(p.Drive, 0, -0.5, 0);
  }

  emitter.FocusShape = fsDisc;
  bool positiveX = false, negativeX = false;
  for (int i = 0; i < 40; ++i) {
    const TParticle p = Born();
    EXPECT_NEAR(p.Direction.y, 0, 1e-6) << "perpendicular to the local Z axis (world -Y)";
    EXPECT_NEAR(std::hypot(p.Direction.x, p.Direction.z), 1, 1e-6);
    positiveX |= p.Direction.x > 0.1;
    negativeX |= p.Direction.x < -0.1;
  }
  EXPECT_TRUE(positiveX && negativeX) << "every way round the disc";
}

TEST_F(InitParticle, SphereAndDiscOffsetsAndPointWithoutOne) {
  SetConstant(emitter.Speed, 0);
  SetConstant(emitter.Focus, 0);
  emitter.Radius = 2;
  emitter.RadiusVariation = 0;
  emitter.CurrentMatrix = Matrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1});
  emitter.PreviousMatrix = emitter.CurrentMatrix;
  for (int i = 0; i < 20; ++i) {
    emitter.Shape = esSphere;
    TParticle p = Born();
    ExpectVec(p.Position, 1 + 2 * p.Direction.x, 1 + 2 * p.Direction.y, 1 + 2 * p.Direction.z);
    emitter.Shape = esDisc;
    p = Born();
    ExpectVec(p.Position, 1 + 2 * p.Direction.x, 1 + 2 * p.Direction.y, 1);
    emitter.Shape = esPoint;
    p = Born();
    ExpectVec(p.Position, 1, 1, 1, 0);
  }
}

TEST_F(InitParticle, RandomColourAndImageDraws) {
  system.ColorMode = cmRandomColor;
  system.BaseColorMode = cmRandomColor;
  system.MapMode = mmRandom;
  system.MapSource->AddMap("one.png");
  system.MapSource->AddMap("two.png");
  // Black to white: the colour at x is x / 100.
  for (TColorSeries* g : {system.ParticleColor.get(), system.BaseColor.get()}) {
    g->Clear();
    g->AddXY(1, 1, "", clBlack);
    g->AddXY(101, 1, "", clWhite);
  }
  const TParticle p = Born();
  Draws d{99};
  for (int i = 0; i < 5; ++i) d.Next();
  const double particle = d.Next();
  const double base = std::min(1.0, d.Next() * 101 / 100);
  const double intensity = 1 + 0.05 * (2 * d.Next() - 1);
  d.Next();  // alpha
  const Integer image = d.Below(3);
  EXPECT_NEAR(p.Color.R, particle * base * intensity, 1e-6);
  EXPECT_NEAR(p.Color.G, particle * base * intensity, 1e-6);
  EXPECT_EQ(p.Color.A, 0) << "the random colour sets no alpha";
  EXPECT_EQ(p.ImageIndex, image);
}

namespace {

class SurfaceOwner : public TParticleSystemOwner {
 public:
  void UpdateTransform() override {}
  tsxGNODE* OwnerNode() const override { return nullptr; }
  bool RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal) override {
    if (!hasSurface) return false;
    Point = {5, 6, 7};
    Normal = {0, 1, 0};
    return true;
  }
  bool hasSurface = true;
};

}  // namespace

TEST_F(InitParticle, SurfaceShapeLeavesFromTheOwnersSurfaces) {
  SurfaceOwner owner;
  system.Owner = &owner;
  emitter.Shape = esSurface;
  TParticle p = Born();
  Draws d{99};
  for (int i = 0; i < 12; ++i) d.Next();
  ExpectVec(p.Drive, 0, 0.3, 0);
  ExpectVec(p.Position, 5, 6 + 0.3 * d.Next(), 7);

  // Without a surface the plane offset stays.
  owner.hasSurface = false;
  p = Born();
  EXPECT_LE(std::fabs(p.Position.x), 0.1);
  EXPECT_LE(std::fabs(p.Position.y), 0.1);
  ExpectVec(p.Drive, 0, 0, 0.3);
}

// Births of one emission share the emitter's curves and transform; a change made between
// emissions, or before a direct call, reaches the next birth.
TEST_F(InitParticle, ChangesBetweenBirthsReachTheNextBirth) {
  emitter.Shape = esPoint;
  engine_test::SetSteps(system.Flow, 2);
  system.OnInitParticle = [this](TParticleSystem& s, TParticle& p) { emitter.InitParticle(s, p); };
  struct Case {
    double lifespan;
    Single x;
    bool direct;
  };
  const Case cases[] = {{10, 1, false}, {20, 2, false}, {30, 3, true}, {40, 4, false}, {50, 5, true}};
  Single frame = 0;
  for (const Case& c : cases) {
    engine_test::SetSteps(emitter.Lifespan, c.lifespan);
    emitter.PreviousMatrix = emitter.CurrentMatrix = Matrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {c.x, 0, 0});
    SCOPED_TRACE(c.lifespan);
    if (c.direct) {
      const TParticle p = Born();
      EXPECT_EQ(p.Lifespan, c.lifespan);
      EXPECT_EQ(p.Origin.x, c.x);
      continue;
    }
    system.Advance(frame++);
    for (const TParticle& p : system.Particles) {
      if (!p.Alive || p.Birth != system.CurrentTime) continue;
      EXPECT_EQ(p.Lifespan, c.lifespan);
      EXPECT_EQ(p.Origin.x, c.x);
    }
  }
  EXPECT_EQ(system.AliveCount, 6);
}
