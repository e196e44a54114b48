// Both blend sets against their per-channel formulas, exhaustively, and the pixel helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bitmaps/blend.h"
#include "bitmaps/color32.h"

namespace {

// floor((x·w + 128) / 256) + floor((y·(255 − w) + 128) / 256)
TColor32 IntegerMixChannel(TColor32 x, TColor32 y, TColor32 w) {
  return ((x * w + 128) >> 8) + ((y * (255 - w) + 128) >> 8);
}
// floor((x·w + y·(256 − w) + 128) / 256)
TColor32 MmxMixChannel(TColor32 x, TColor32 y, TColor32 w) { return (x * w + y * (256 - w) + 128) >> 8; }

TColor32 Channel(TColor32 c, int i) { return (c >> (8 * i)) & 0xFF; }

// Four channels that differ from each other, so a swapped or leaking lane shows.
TColor32 Spread(TColor32 v) { return (v << 24) | ((v ^ 0x5A) << 16) | ((255 - v) << 8) | (v ^ 0xA5); }
TColor32 SpreadOther(TColor32 v) { return (v << 24) | ((v ^ 0xC3) << 16) | ((v * 7 + 3) & 0xFF) << 8 | (255 - v); }

class BlendSet : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { SelectBlendRoutines(GetParam()); }
  void TearDown() override { SelectBlendRoutines(ProcessorHasMmx()); }

  bool Mmx() const { return GetParam(); }
  TColor32 MixChannel(TColor32 x, TColor32 y, TColor32 w) const {
    return Mmx() ? MmxMixChannel(x, y, w) : IntegerMixChannel(x, y, w);
  }
  TColor32 Mix(TColor32 x, TColor32 y, TColor32 w) const {
    TColor32 out = 0;
    for (int i = 0; i < 4; ++i) out |= MixChannel(Channel(x, i), Channel(y, i), w) << (8 * i);
    return out;
  }
  // What BlendColorsInto makes of B.
  TColor32 ExpectedBlendInto(TColor32 f, TColor32 b) const {
    const TColor32 a = f >> 24;
    if (a == 0) return b;
    if (a == 255) return f;
    return Mix(f, b, a);
  }
  TColor32 ExpectedMaster(TColor32 f, TColor32 b, TColor32 m) const {
    const TColor32 a = f >> 24;
    const TColor32 w = (a * m) >> 8;
    return (a == 0 || w == 0) ? b : Mix(f, b, w);
  }
};

// Counts mismatches and remembers the first, so 2^24 cases give one readable failure.
struct Mismatches {
  std::uint64_t count = 0;
  std::string first;
  void Check(TColor32 got, TColor32 want, const char* what, TColor32 a, TColor32 b, TColor32 c) {
    if (got == want) return;
    if (count++ == 0) {
      char buf[160];
      std::snprintf(buf, sizeof buf, "%s(%08X, %08X, %u): got %08X, want %08X", what, a, b, c, got, want);
      first = buf;
    }
  }
};

TEST_P(BlendSet, CombineColorsMatchesItsFormulaForEveryChannelValueAndWeight) {
  Mismatches m;
  for (TColor32 x = 0; x < 256; ++x) {
    const TColor32 X = Spread(x);
    for (TColor32 y = 0; y < 256; ++y) {
      const TColor32 Y = SpreadOther(y);
      for (TColor32 w = 0; w < 256; ++w) {
        TColor32 want = Mix(X, Y, w);
        if (!Mmx() && w == 0) want = Y;
        if (!Mmx() && w == 255) want = X;
        m.Check(CombineColors(X, Y, w), want, "CombineColors", X, Y, w);
      }
    }
  }
  EXPECT_EQ(m.count, 0u) << m.first;
}

TEST_P(BlendSet, CombineColorsIntoKeepsYAtZeroCopiesXAtFullAndMixesBetween) {
  Mismatches m;
  for (TColor32 x = 0; x < 256; ++x) {
    const TColor32 X = Spread(x);
    for (TColor32 y = 0; y < 256; ++y) {
      const TColor32 Y = SpreadOther(y);
      for (TColor32 w = 0; w < 256; ++w) {
        TColor32 got = Y;
        CombineColorsInto(X, got, w);
        const TColor32 want = w == 0 ? Y : w == 255 ? X : Mix(X, Y, w);
        m.Check(got, want, "CombineColorsInto", X, Y, w);
      }
    }
  }
  EXPECT_EQ(m.count, 0u) << m.first;
}

TEST_P(BlendSet, BlendColorsWeighsByForegroundAlphaForEveryAlphaAndChannelPair) {
  Mismatches m;
  for (TColor32 a = 0; a < 256; ++a) {
    for (TColor32 f = 0; f < 256; ++f) {
      const TColor32 F = (a << 24) | (Spread(f) & 0x00FFFFFF);
      for (TColor32 b = 0; b < 256; ++b) {
        const TColor32 B = SpreadOther(b);
        TColor32 want = Mix(F, B, a);
        if (!Mmx() && a == 255) want = F;
        if (!Mmx() && a == 0) want = B;
        m.Check(BlendColors(F, B), want, "BlendColors", F, B, a);
      }
    }
  }
  EXPECT_EQ(m.count, 0u) << m.first;
}

TEST_P(BlendSet, BlendColorsIntoAndBlendRowAgreeWithTheFormulaAndShortcuts) {
  Mismatches m;
  std::vector<TColor32> src(256), dst(256), orig(256);
  for (TColor32 b = 0; b < 256; ++b) orig[b] = SpreadOther(b);
  for (TColor32 a = 0; a < 256; ++a) {
    for (TColor32 f = 0; f < 256; ++f) {
      const TColor32 F = (a << 24) | (Spread(f) & 0x00FFFFFF);
      // One row per foreground: every background value once, so the vector path and
      // the per-pixel path both meet every case.
      for (TColor32 b = 0; b < 256; ++b) src[b] = F;
      dst = orig;
      BlendRow(src.data(), dst.data(), 256);
      for (TColor32 b = 0; b < 256; ++b) {
        const TColor32 want = ExpectedBlendInto(F, orig[b]);
        m.Check(dst[b], want, "BlendRow", F, orig[b], a);
        TColor32 single = orig[b];
        BlendColorsInto(F, single);
        m.Check(single, want, "BlendColorsInto", F, orig[b], a);
      }
    }
  }
  EXPECT_EQ(m.count, 0u) << m.first;
}

TEST_P(BlendSet, MasterBlendsUseWeightAlphaTimesMasterShiftedForEveryPair) {
  const TColor32 colours[][2] = {{0x00FFFFFF, 0x00000000}, {0x0012AB34, 0x80FF00C0}, {0x00808080, 0xFF7F7F7F},
                                 {0x00000000, 0xFFFFFFFF}};
  Mismatches m;
  std::vector<TColor32> src(256), dst(256), orig(256);
  for (TColor32 M = 0; M < 256; ++M) {
    for (const auto& pair : colours) {
      for (TColor32 a = 0; a < 256; ++a) {
        src[a] = (a << 24) | pair[0];
        orig[a] = pair[1];
      }
      dst = orig;
      BlendRowMaster(src.data(), dst.data(), 256, M);
      for (TColor32 a = 0; a < 256; ++a) {
        const TColor32 want = ExpectedMaster(src[a], orig[a], M);
        m.Check(dst[a], want, "BlendRowMaster", src[a], orig[a], M);
        m.Check(BlendColorsMaster(src[a], orig[a], M), want, "BlendColorsMaster", src[a], orig[a], M);
        TColor32 single = orig[a];
        BlendColorsMasterInto(src[a], single, M);
        m.Check(single, want, "BlendColorsMasterInto", src[a], orig[a], M);
      }
    }
  }
  EXPECT_EQ(m.count, 0u) << m.first;
}

TEST_P(BlendSet, SpecialCasesOfTheBlends) {
  // Full alpha and full master make weight 254, not 255: white over black stays short
  // of white in both sets.
  EXPECT_EQ(BlendColorsMaster(0xFFFFFFFF, 0x00000000, 255), 0xFDFDFDFDu);
  // Alpha 0 leaves the background, alpha 255 copies the foreground exactly.
  TColor32 b = 0x12345678;
  BlendColorsInto(0x00FFFFFF, b);
  EXPECT_EQ(b, 0x12345678u);
  BlendColorsInto(0xFF010203, b);
  EXPECT_EQ(b, 0xFF010203u);
  // At W = 255 the MMX set still lets Y in (each channel within one of X); the
  // integer set answers X.
  const TColor32 c = CombineColors(0xC8643200, 0x00FFFFFF, 255);
  if (Mmx()) {
    EXPECT_EQ(c, 0xC7653301u);
  } else {
    EXPECT_EQ(c, 0xC8643200u);
  }
}

TEST_P(BlendSet, RowsOfZeroOrNegativeCountTouchNothingAndTailsAreBlended) {
  std::vector<TColor32> src(16, 0x80FFFFFF), dst(16, 0x11223344);
  BlendRow(src.data(), dst.data(), 0);
  BlendRow(src.data(), dst.data(), -5);
  BlendRowMaster(src.data(), dst.data(), 0, 255);
  BlendRowMaster(src.data(), dst.data(), -1, 255);
  for (TColor32 v : dst) EXPECT_EQ(v, 0x11223344u);
  // Counts that leave a tail after groups of four: only Count pixels change.
  for (Integer count = 1; count <= 9; ++count) {
    std::vector<TColor32> d(12, 0x11223344);
    BlendRow(src.data(), d.data(), count);
    for (Integer i = 0; i < 12; ++i)
      EXPECT_EQ(d[i], i < count ? ExpectedBlendInto(0x80FFFFFF, 0x11223344) : 0x11223344u) << count << " " << i;
  }
}

TEST_P(BlendSet, OverlappingRowsBlendInOrderPixelByPixel) {
  // dst one pixel ahead of src: each step reads what the step before wrote.
  std::vector<TColor32> buf(12);
  for (int i = 0; i < 12; ++i) buf[i] = 0x80000000u | (static_cast<TColor32>(i) * 0x00101010u);
  std::vector<TColor32> want = buf;
  for (int i = 0; i < 10; ++i) want[i + 1] = ExpectedBlendInto(want[i], want[i + 1]);
  BlendRow(buf.data(), buf.data() + 1, 10);
  EXPECT_EQ(buf, want);
}

INSTANTIATE_TEST_SUITE_P(BothSets, BlendSet, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Mmx") : std::string("Integer");
                         });

TEST(BlendSelection, StartUpPicksTheMmxSetWhenTheProcessorHasItAndTheTableFollowsTheSet) {
  EXPECT_EQ(MmxActive, ProcessorHasMmx());
#if defined(__x86_64__)
  EXPECT_TRUE(ProcessorHasMmx());  // every 64-bit x86 processor has MMX
#endif
  SelectBlendRoutines(true);
  ASSERT_NE(AlphaWeights, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(AlphaWeights) % 8, 0u);
  for (std::uint64_t i = 0; i < 256; ++i)
    ASSERT_EQ(AlphaWeights[i], i * 0x0001000100010001ull) << i;
  EXPECT_EQ(AlphaBias, AlphaWeights + 128);
  // The integer set's example: opaque black over clear white at 128.
  SelectBlendRoutines(false);
  EXPECT_FALSE(MmxActive);
  EXPECT_EQ(AlphaWeights, nullptr);
  EXPECT_EQ(CombineColors(0xFF000000, 0x00FFFFFF, 128), 0x807F7F7Fu);
  SelectBlendRoutines(ProcessorHasMmx());
}

// ---- pixel helpers ---------------------------------------------------------------------

TEST(PixelHelpers, ColourConversionsAndIntensity) {
  EXPECT_EQ(ColorToColor32(clRed), 0xFFFF0000u);
  EXPECT_EQ(ColorToColor32(0x00336699), 0xFF996633u);
  const TColor32 face = ColorToColor32(clBtnFace);
  EXPECT_EQ(face >> 24, 0xFFu);
  EXPECT_EQ(face & 0x00FFFFFF, SwapRedBlueOpaque(static_cast<std::uint32_t>(ColorToRGB(clBtnFace))) & 0x00FFFFFF);
  EXPECT_EQ(SwapRedBlueOpaque(0x00112233), 0xFF332211u);
  EXPECT_EQ(GrayColor32(0x40, 0x80), 0x80404040u);
  EXPECT_EQ(Intensity(0x00FFFFFF), 255);
  EXPECT_EQ(Intensity(0xFFFF0000), 60);
  EXPECT_EQ(Intensity(0x0000FF00), 173);
  EXPECT_EQ(Intensity(0x000000FF), 20);
}

TEST(PixelHelpers, RoundedMulDivRoundsHalvesAwayFromZeroInSixtyFourBits) {
  EXPECT_EQ(RoundedMulDiv(1, 1, 0), -1);
  EXPECT_EQ(RoundedMulDiv(3, 1, 2), 2);
  EXPECT_EQ(RoundedMulDiv(-3, 1, 2), -2);
  EXPECT_EQ(RoundedMulDiv(3, 1, -2), -2);
  EXPECT_EQ(RoundedMulDiv(-3, -1, 2), 2);
  EXPECT_EQ(RoundedMulDiv(5, 1, 4), 1);
  EXPECT_EQ(RoundedMulDiv(7, 1, 4), 2);
  EXPECT_EQ(RoundedMulDiv(2, 1, 4), 1);
  // Products beyond 32 bits.
  EXPECT_EQ(RoundedMulDiv(46341, 46341, 46341), 46341);
  EXPECT_EQ(RoundedMulDiv(65536, 65536, 4), 1073741824);
  EXPECT_EQ(RoundedMulDiv(100000, 65535, 99999), 65536);
  // A quotient without room in 31 bits, also where |c| = 1 lets the product through.
  EXPECT_EQ(RoundedMulDiv(100000, 100000, 3), -1);
  EXPECT_EQ(RoundedMulDiv(65536, 40000, 1), -1);
  EXPECT_EQ(RoundedMulDiv(-65536, 40000, -1), -1);
  EXPECT_EQ(RoundedMulDiv(65536, 32768, 1), -1);
  EXPECT_EQ(RoundedMulDiv(65536, 32767, -1), -2147418112);
  EXPECT_EQ(RoundedMulDiv(2147483647, 1, 1), 2147483647);
}

TEST(PixelHelpers, RectangleRoundingAndIntersection) {
  EXPECT_EQ(RoundFloatRect(MakeFloatRect(0.5f, 0.5f, 0.7f, 0.9f), roInward), MakeRect(1, 1, 1, 1));
  EXPECT_EQ(RoundFloatRect(MakeFloatRect(0.5f, 1.5f, 2.5f, -0.5f), roNearest), MakeRect(0, 2, 2, 0));
  EXPECT_EQ(RoundFloatRect(MakeFloatRect(0.2f, -0.2f, 1.1f, 2.0f), roOutward), MakeRect(0, -1, 2, 2));
  EXPECT_EQ(RoundFloatRect(MakeFloatRect(-0.2f, 1.7f, 3.9f, 2.0f), roInward), MakeRect(0, 2, 3, 2));

  TRect r;
  EXPECT_TRUE(IntersectRects(r, MakeRect(0, 0, 10, 10), MakeRect(5, -3, 20, 4)));
  EXPECT_EQ(r, MakeRect(5, 0, 10, 4));
  // Touching rectangles meet in an empty but valid rectangle.
  EXPECT_TRUE(IntersectRects(r, MakeRect(0, 0, 5, 5), MakeRect(5, 0, 9, 5)));
  EXPECT_EQ(r, MakeRect(5, 0, 5, 5));
  EXPECT_TRUE(RectIsEmpty(r));
  r = MakeRect(1, 2, 3, 4);
  EXPECT_FALSE(IntersectRects(r, MakeRect(0, 0, 5, 5), MakeRect(6, 0, 9, 5)));
  EXPECT_EQ(r, MakeRect(0, 0, 0, 0));
  OffsetRectBy(r, 3, -2);
  EXPECT_EQ(r, MakeRect(3, -2, 3, -2));
}

TEST(PixelHelpers, FillLongwordsStoresExactlyCountWords) {
  std::uint32_t words[6] = {1, 1, 1, 1, 1, 1};
  FillLongwords(words, -1, 7);
  FillLongwords(words + 1, 0, 7);
  FillLongwords(words + 1, 4, 0xDEADBEEF);
  const std::uint32_t want[6] = {1, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(words[i], want[i]) << i;
  EXPECT_EQ(Clamp(5, 0, 3), 3);
  EXPECT_EQ(Clamp(0, 0, 3), 0);
  EXPECT_EQ(ShiftRight8(-256), -1);
  EXPECT_EQ(ShiftRight12(-1), -1);
}

}  // namespace
