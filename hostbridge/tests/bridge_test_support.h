#pragma once
// A fresh host and a fresh bridge module for every test.
#include <gtest/gtest.h>

#include <cmath>

#include "hostbridge/ext_obj_types.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "platform/host/host_state.h"

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }

  static void ResetAll() {
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
    RandSeed = 0;
  }
};

// How many draws of the process-wide generator lie between two seeds (up to `limit`).
inline int DrawsBetween(Cardinal from, Cardinal to, int limit = 1000) {
  Cardinal s = from;
  for (int n = 0; n <= limit; ++n) {
    if (s == to) return n;
    s = s * 134775813u + 1u;
  }
  return -1;
}

inline ::testing::AssertionResult Near3(const CtsxVec3f& a, const CtsxVec3f& b, float eps = 1e-5f) {
  if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                       << ", " << b.z << ")";
}
