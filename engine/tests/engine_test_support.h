#pragma once
// Helpers shared by the engine's tests: flat curves and vector checks.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/var_series.h"
#include "platform/host/tsxapi.h"

namespace engine_test {

// A curve holding one value over the whole range.
inline void SetConstant(TVarSeries* curve, double value) {
  curve->Clear();
  curve->AddXY(0, value);
  curve->AddXY(8192, value);
}

inline bool Finite(const CtsxVec3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

inline void ExpectVec(const CtsxVec3f& v, double x, double y, double z, double tolerance = 1e-6) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace engine_test
