// The row routines on hand-made texels and pixels: the rule of each mode, the depth test
// with and without jitter, and untouched pixels under transparent texels.
#include <gtest/gtest.h>

#include <vector>

#include "engine/blend_modes.h"
#include "engine/random_table.h"
#include "engine/tests/render_test_support.h"

namespace {

// Three pixels at depths 50, 100 (equal to the reference) and 200.
std::vector<float> Pixels() { return {0.2f, 0.4f, 0.6f, 50, 0.2f, 0.4f, 0.6f, 100, 0.2f, 0.4f, 0.6f, 200}; }

TBlendState State() {
  TBlendState s;
  s.Alpha = 1.0f / 255;  // a texel's alpha byte / 255 is its weight
  s.Red = 0.5f;
  s.Green = 0.25f;
  s.Blue = 1.0f;
  s.Depth = 100;
  return s;
}

TEST(BlendModes, OnlyPixelsFartherThanTheReferenceDepthAreTouched) {
  const TColor32 texels[3] = {0xFF102030, 0xFF102030, 0xFF102030};
  for (Integer mode : {rmPureAlpha, rmIlluminate, rmPaint, rmColorAlpha}) {
    std::vector<float> p = Pixels();
    BlendRowFor(mode, false)(texels, p.data(), 3, State());
    const std::vector<float> untouched = Pixels();
    EXPECT_TRUE(std::equal(p.begin(), p.begin() + 8, untouched.begin())) << "mode " << mode;
    EXPECT_NE(p[8], 0.2f) << "mode " << mode;
  }
}

TEST(BlendModes, EachRuleOnOneTexel) {
  // Texel alpha 51 (weight 0.2), red 255, green 102, blue 0.
  const TColor32 texel = 0x33FF6600;
  const float a = 51.0f / 255;
  struct Case {
    Integer mode;
    float r, g, b, depth;
  };
  // Colours of modes 1 to 3 come divided by 255 (texel bytes scale them).
  const float k = 1.0f / 255;
  const Case cases[] = {
      {rmPureAlpha, (1 - a) * 0.2f + a * 0.5f, (1 - a) * 0.4f + a * 0.25f, (1 - a) * 0.6f + a * 1.0f, 200},
      {rmIlluminate, 0.2f + a * 0.5f * k * 255, 0.4f + a * 0.25f * k * 102, 0.6f, 200},
      {rmPaint, a * 0.5f * k * 255, a * 0.25f * k * 102, 0, 100},
      {rmColorAlpha, (1 - a) * 0.2f + a * 0.5f * k * 255, (1 - a) * 0.4f + a * 0.25f * k * 102, (1 - a) * 0.6f, 200},
  };
  for (const Case& c : cases) {
    TBlendState s = State();
    if (c.mode != rmPureAlpha) {
      s.Red *= k;
      s.Green *= k;
      s.Blue *= k;
    }
    float p[4] = {0.2f, 0.4f, 0.6f, 200};
    BlendRowFor(c.mode, false)(&texel, p, 1, s);
    EXPECT_NEAR(p[0], c.r, 1e-6) << "mode " << c.mode;
    EXPECT_NEAR(p[1], c.g, 1e-6) << "mode " << c.mode;
    EXPECT_NEAR(p[2], c.b, 1e-6) << "mode " << c.mode;
    EXPECT_EQ(p[3], c.depth) << "mode " << c.mode;
  }
}

TEST(BlendModes, TransparentTexelsLeavePixelsAloneEvenInPaint) {
  const TColor32 texels[2] = {0x00FFFFFF, 0x00000000};
  for (Integer mode : {rmPureAlpha, rmIlluminate, rmPaint, rmColorAlpha}) {
    for (bool jittered : {false, true}) {
      float p[8] = {0.2f, 0.4f, 0.6f, 200, 0.1f, 0.1f, 0.1f, 300};
      TBlendState s = State();
      s.DepthJitter = jittered ? 1.0f : 0.0f;
      BlendRowFor(mode, jittered)(texels, p, 2, s);
      const float expected[8] = {0.2f, 0.4f, 0.6f, 200, 0.1f, 0.1f, 0.1f, 300};
      for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], expected[i]) << mode << " " << jittered << " " << i;
    }
  }
}

TEST(BlendModes, JitteredTestDrawsOneTableValuePerPixelAndShiftsTheReference) {
  render_test::RewindRandomTable();
  // Reference 100, jitter 1000: the pixel at depth 200 is touched only when the table
  // value u has u x 1000 + 100 < 200, i.e. u < 0.1.
  const int n = 64;
  std::vector<TColor32> texels(n, 0xFFFFFFFF);
  std::vector<float> p;
  for (int i = 0; i < n; ++i) p.insert(p.end(), {0, 0, 0, 200});
  TBlendState s = State();
  s.DepthJitter = 1000;
  std::vector<float> u;
  for (int i = 0; i < n; ++i) u.push_back(RandomTableEntry(i));
  BlendRowFor(rmPureAlpha, true)(texels.data(), p.data(), n, s);
  EXPECT_EQ(RandomTablePosition(), n);
  for (int i = 0; i < n; ++i) EXPECT_EQ(p[i * 4] > 0, u[i] * 1000 + 100 < 200) << i;

  // The plain routine draws nothing from the table.
  BlendRowFor(rmPureAlpha, false)(texels.data(), p.data(), n, State());
  EXPECT_EQ(RandomTablePosition(), n);
}

}  // namespace
