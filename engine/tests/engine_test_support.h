#pragma once
// Helpers shared by the engine's tests: rigs, flat curves and vector checks.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/bitmap32_cache.h"
#include "engine/particle.h"
#include "engine/particle_system.h"
#include "engine/var_series.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "platform/host/tsxapi.h"

namespace engine_test {

// A fresh host scene and the generator at seed 1513.
class FreshHost : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    RandSeed = 1513;
  }
};

// The image cache and its handler are process-wide: every test starts and ends clean.
class CleanImageCache : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    Bitmap32Cache().Clear();
    OnTextureNotFound = nullptr;
  }
};

// A living white particle of System, born now with ten frames to live, at At.
inline TParticle LivingParticle(const TParticleSystem& System, CtsxVec3f At, Single Size, Single Alpha) {
  TParticle p;
  p.Alive = 1;
  p.Alpha = Alpha;
  p.Size = Size;
  p.Lifespan = 10;
  p.Birth = System.CurrentTime;
  p.Color = {1, 1, 1, 1};
  p.RenderPosition = At;
  return p;
}

// A curve holding one value over the whole range.
inline void SetConstant(TVarSeries* curve, double value) {
  curve->Clear();
  curve->AddXY(0, value);
  curve->AddXY(8192, value);
}

// A step curve holds its value exactly, so that flows count whole particles.
inline void SetSteps(TVarSeries* curve, double value) {
  curve->Quantum = 1.0;
  SetConstant(curve, value);
}

inline bool Finite(const CtsxVec3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

inline void ExpectVec(const CtsxVec3f& v, double x, double y, double z, double tolerance = 1e-6) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace engine_test
