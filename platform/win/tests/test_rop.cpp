// Raster operations: the 16 binary codes through a DC, and the ternary truth tables.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/win/gdi.h"
#include "platform/win/tests/dib_canvas.h"

using namespace win;

namespace {

// The 16 binary codes by their meaning, on whole words.
DWORD Binary(int code, DWORD P, DWORD D) {
  switch (code) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(P | D);
    case R2_MASKNOTPEN: return ~P & D;
    case R2_NOTCOPYPEN: return ~P;
    case R2_MASKPENNOT: return P & ~D;
    case R2_NOT: return ~D;
    case R2_XORPEN: return P ^ D;
    case R2_NOTMASKPEN: return ~(P & D);
    case R2_MASKPEN: return P & D;
    case R2_NOTXORPEN: return ~(P ^ D);
    case R2_NOP: return D;
    case R2_MERGENOTPEN: return ~P | D;
    case R2_COPYPEN: return P;
    case R2_MERGEPENNOT: return P | ~D;
    case R2_MERGEPEN: return P | D;
    case R2_WHITE: return ~DWORD{0};
  }
  return 0xDEADBEEF;
}

// A reference ternary evaluation, one bit at a time from the truth table.
DWORD TernaryByBits(BYTE table, DWORD P, DWORD S, DWORD D) {
  DWORD r = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const int idx = (((P >> bit) & 1) << 2) | (((S >> bit) & 1) << 1) | ((D >> bit) & 1);
    r |= static_cast<DWORD>((table >> idx) & 1) << bit;
  }
  return r;
}

}  // namespace

TEST(Rop, BinaryCodesMatchTheirMeaningOnWholeWords) {
  std::mt19937 rng(7);
  for (int code = R2_BLACK; code <= R2_WHITE; ++code)
    for (int i = 0; i < 50; ++i) {
      const DWORD p = rng(), d = rng();
      EXPECT_EQ(ApplyRop2(code, p, d), Binary(code, p, d)) << code;
    }
}

TEST(Rop, BinaryCodesThroughTheDcWorkOnTheColourBits) {
  // A 32-bit pixel is 0x00RRGGBB: the pen's colour goes in the same way, alpha byte 0.
  const COLORREF pen = RGB(0x12, 0xF0, 0x3C);
  const DWORD penNative = 0x0012F03C;
  const DWORD dest = 0x80A5C30F;
  for (int code = R2_BLACK; code <= R2_WHITE; ++code) {
    DibCanvas c(4, 1);
    for (int x = 0; x < 4; ++x) c.bits[x] = dest;
    HPEN p = CreatePen(PS_SOLID, 1, pen);
    HGDIOBJ old = SelectObject(c.dc, p);
    EXPECT_NE(SetROP2(c.dc, code), 0);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 3, 0);
    SelectObject(c.dc, old);
    DeleteObject(p);
    EXPECT_EQ(c.bits[1], Binary(code, penNative, dest)) << "code " << code;
    EXPECT_EQ(c.bits[3], dest) << "end pixel touched, code " << code;
  }
  DibCanvas c(1, 1);
  EXPECT_EQ(SetROP2(c.dc, 0), 0);
  EXPECT_EQ(SetROP2(c.dc, 17), 0);
  EXPECT_EQ(GetROP2(c.dc), R2_COPYPEN);
}

TEST(Rop, TernaryNamedCodesMeanWhatTheirNamesSay) {
  std::mt19937 rng(11);
  for (int i = 0; i < 40; ++i) {
    const DWORD P = rng(), S = rng(), D = rng();
    EXPECT_EQ(ApplyRop3(Rop3Table(SRCCOPY), P, S, D), S);
    EXPECT_EQ(ApplyRop3(Rop3Table(SRCPAINT), P, S, D), S | D);
    EXPECT_EQ(ApplyRop3(Rop3Table(SRCAND), P, S, D), S & D);
    EXPECT_EQ(ApplyRop3(Rop3Table(SRCINVERT), P, S, D), S ^ D);
    EXPECT_EQ(ApplyRop3(Rop3Table(SRCERASE), P, S, D), S & ~D);
    EXPECT_EQ(ApplyRop3(Rop3Table(NOTSRCCOPY), P, S, D), ~S);
    EXPECT_EQ(ApplyRop3(Rop3Table(NOTSRCERASE), P, S, D), ~(S | D));
    EXPECT_EQ(ApplyRop3(Rop3Table(MERGECOPY), P, S, D), P & S);
    EXPECT_EQ(ApplyRop3(Rop3Table(MERGEPAINT), P, S, D), ~S | D);
    EXPECT_EQ(ApplyRop3(Rop3Table(PATCOPY), P, S, D), P);
    EXPECT_EQ(ApplyRop3(Rop3Table(PATPAINT), P, S, D), P | ~S | D);
    EXPECT_EQ(ApplyRop3(Rop3Table(PATINVERT), P, S, D), P ^ D);
    EXPECT_EQ(ApplyRop3(Rop3Table(DSTINVERT), P, S, D), ~D);
    EXPECT_EQ(ApplyRop3(Rop3Table(BLACKNESS), P, S, D), 0u);
    EXPECT_EQ(ApplyRop3(Rop3Table(WHITENESS), P, S, D), ~DWORD{0});
    // The kit's codes: 0xE20746 takes the pattern where the source is 1, 0xB8074A where it is 0.
    EXPECT_EQ(ApplyRop3(Rop3Table(0x00E20746), P, S, D), (P & S) | (D & ~S));
    EXPECT_EQ(ApplyRop3(Rop3Table(0x00B8074A), P, S, D), (P & ~S) | (D & S));
  }
}

TEST(Rop, AllTernaryTablesAgreeWithBitByBitEvaluation) {
  std::mt19937 rng(3);
  for (int t = 0; t < 256; ++t)
    for (int i = 0; i < 8; ++i) {
      const DWORD P = rng(), S = rng(), D = rng();
      ASSERT_EQ(ApplyRop3(static_cast<BYTE>(t), P, S, D), TernaryByBits(static_cast<BYTE>(t), P, S, D)) << t;
    }
  // Which operands a table reads.
  EXPECT_FALSE(Rop3UsesSource(Rop3Table(PATCOPY)));
  EXPECT_FALSE(Rop3UsesPattern(Rop3Table(SRCCOPY)));
  EXPECT_FALSE(Rop3UsesDest(Rop3Table(SRCCOPY)));
  EXPECT_TRUE(Rop3UsesDest(Rop3Table(SRCAND)));
  EXPECT_TRUE(Rop3UsesPattern(Rop3Table(0x00E20746)));
  EXPECT_TRUE(Rop3UsesSource(Rop3Table(0x00E20746)));
}

TEST(Rop, PatBltRunsTheTableOverBrushAndDestination) {
  DibCanvas c(4, 2);
  for (int i = 0; i < 8; ++i) c.bits[i] = 0x00336699u + static_cast<DWORD>(i);
  const DWORD before[2] = {c.bits[0], c.bits[5]};
  HBRUSH b = CreateSolidBrush(RGB(0xF0, 0x0F, 0xAA));  // native 0x00F00FAA
  HGDIOBJ old = SelectObject(c.dc, b);
  PatBlt(c.dc, 0, 0, 4, 2, PATINVERT);
  EXPECT_EQ(c.bits[0], before[0] ^ 0x00F00FAAu);
  PatBlt(c.dc, 0, 0, 4, 2, PATINVERT);
  EXPECT_EQ(c.bits[5], before[1]);
  // Negative sizes cover the pixels to the left and above.
  PatBlt(c.dc, 4, 2, -2, -1, BLACKNESS);
  EXPECT_EQ(c.bits[6], 0u);
  EXPECT_EQ(c.bits[7], 0u);
  EXPECT_NE(c.bits[5], 0u);
  EXPECT_EQ(PatBlt(c.dc, 0, 0, 1, 1, SRCCOPY), 0);  // needs a source
  SelectObject(c.dc, old);
  DeleteObject(b);
}
