#pragma once
// Shared helpers of the host tests: a fixture that gives every test a fresh host, and
// comparisons of vectors and matrices.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/host/host.h"
#include "platform/host/tsxapi.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { host::Reset(); }
  void TearDown() override { host::Reset(); }
};

inline ::testing::AssertionResult VecNear(const CtsxVec3f& a, const CtsxVec3f& b, float eps = 1e-5f) {
  if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", "
                                       << b.y << ", " << b.z << ")";
}

inline ::testing::AssertionResult MxNear(const CtsxTxmx3f& a, const CtsxTxmx3f& b, float eps = 1e-5f) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      if (std::fabs(a.rot[i][j] - b.rot[i][j]) > eps)
        return ::testing::AssertionFailure() << "rot[" << i << "][" << j << "] " << a.rot[i][j] << " vs " << b.rot[i][j];
    if (std::fabs(a.trans[i] - b.trans[i]) > eps)
      return ::testing::AssertionFailure() << "trans[" << i << "] " << a.trans[i] << " vs " << b.trans[i];
  }
  return ::testing::AssertionSuccess();
}

inline CtsxTxmx3f IdentityMx() {
  CtsxTxmx3f m{};
  m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 1.0f;
  return m;
}
