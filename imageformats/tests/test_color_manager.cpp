#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imageformats/color_manager.h"
#include "platform/win/gdi.h"

namespace {

using Bytes = std::vector<Byte>;

// A manager set up for one format pair.
struct Pair {
  TColorScheme SourceScheme;
  Byte SourceBits;
  Byte SourceSamples;
  TColorScheme TargetScheme;
  Byte TargetBits;
  Byte TargetSamples;
  TConvertOptions SourceOptions = 0;
  TConvertOptions TargetOptions = 0;
};

void Configure(TColorManager& cm, const Pair& p) {
  cm.SetSourceColorScheme(p.SourceScheme);
  cm.SetSourceBitsPerSample(p.SourceBits);
  cm.SetSourceSamplesPerPixel(p.SourceSamples);
  cm.SetTargetColorScheme(p.TargetScheme);
  cm.SetTargetBitsPerSample(p.TargetBits);
  cm.SetTargetSamplesPerPixel(p.TargetSamples);
  cm.SetSourceOptions(p.SourceOptions);
  cm.SetTargetOptions(p.TargetOptions);
}

// Converts one interleaved row into a target pre-filled with `fill`.
Bytes Convert(const Pair& p, const Bytes& source, Cardinal count, std::size_t targetSize, Byte mask = 0xFF,
              Byte fill = 0xEE) {
  TColorManager cm;
  Configure(cm, p);
  Bytes target(targetSize, fill);
  cm.ConvertRow({source.data()}, target.data(), count, mask);
  return target;
}

std::vector<win::PALETTEENTRY> Entries(win::HPALETTE pal) {
  std::vector<win::PALETTEENTRY> out(256);
  const win::UINT n = win::GetPaletteEntries(pal, 0, 256, out.data());
  out.resize(n);
  win::DeleteObject(pal);
  return out;
}

void ExpectGrey(const win::PALETTEENTRY& e, Byte v) {
  EXPECT_EQ(e.peRed, v);
  EXPECT_EQ(e.peGreen, v);
  EXPECT_EQ(e.peBlue, v);
}

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const EColorConversionError& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

TEST(ColorManagerSettings, RejectedValuesAreNotStoredAndChangedTracksRealChanges) {
  TColorManager cm;
  EXPECT_EQ(ErrorOf([&] { cm.SetSourceBitsPerSample(0); }),
            "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
  EXPECT_EQ(ErrorOf([&] { cm.SetTargetBitsPerSample(17); }),
            "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
  EXPECT_EQ(ErrorOf([&] { cm.SetSourceSamplesPerPixel(5); }),
            "Sample count per pixel does not correspond to the given color scheme.");
  EXPECT_EQ(ErrorOf([&] { cm.SetTargetSamplesPerPixel(0); }),
            "Sample count per pixel does not correspond to the given color scheme.");
  EXPECT_EQ(cm.SourceBitsPerSample(), 8);
  EXPECT_EQ(cm.TargetBitsPerSample(), 8);
  EXPECT_EQ(cm.SourceSamplesPerPixel(), 3);
  cm.SetSourceBitsPerSample(12);  // 1 to 16 pass
  EXPECT_EQ(cm.SourceBitsPerSample(), 12);

  EXPECT_EQ(ErrorOf([&] { cm.SetYCbCrParameters({0.5f}, 3, 1); }),
            "Subsampling value is invalid. Allowed are 1, 2 and 4.");
  EXPECT_EQ(ErrorOf([&] { cm.SetYCbCrParameters({0.5f}, 1, 2); }),
            "Vertical subsampling value must be <= horizontal subsampling value.");
  EXPECT_FLOAT_EQ(cm.YCbCrCoefficients()[0], 0.299f);
  EXPECT_EQ(cm.HSubsampling(), 1);
  cm.SetYCbCrParameters({0.25f, 0.5f}, 4, 2);
  EXPECT_FLOAT_EQ(cm.YCbCrCoefficients()[0], 0.25f);
  EXPECT_FLOAT_EQ(cm.YCbCrCoefficients()[1], 0.5f);
  EXPECT_FLOAT_EQ(cm.YCbCrCoefficients()[2], 0.114f);
  EXPECT_EQ(cm.HSubsampling(), 4);
  EXPECT_EQ(cm.VSubsampling(), 2);

  cm.SetSourceBitsPerSample(8);
  cm.PrepareConversion();
  EXPECT_FALSE(cm.Changed());
  cm.SetSourceBitsPerSample(8);
  cm.SetTargetColorScheme(csBGR);
  EXPECT_FALSE(cm.Changed());
  cm.SetTargetColorScheme(csRGB);
  EXPECT_TRUE(cm.Changed());
}

TEST(ColorManagerSettings, PixelFormatsAtTheDepthBoundaries) {
  TColorManager cm;
  auto format = [&](Byte samples, Byte bits) {
    cm.SetTargetSamplesPerPixel(samples);
    cm.SetTargetBitsPerSample(bits);
    return cm.GetPixelFormat(true);
  };
  EXPECT_EQ(format(1, 2), pf4bit);
  EXPECT_EQ(format(1, 5), pfCustom);
  EXPECT_EQ(format(1, 16), pf8bit);
  EXPECT_EQ(format(3, 5), pf15bit);
  EXPECT_EQ(format(3, 6), pf24bit);
  EXPECT_EQ(format(4, 4), pfCustom);
  EXPECT_EQ(format(2, 8), pfCustom);
}

TEST(ColorManagerGamma, TableFollowsExponentAndDepths) {
  TColorManager cm;
  cm.SetGamma(0, -1);  // fall back to 2.2 and 1.0
  EXPECT_FLOAT_EQ(cm.MainGamma(), 2.2f);
  EXPECT_FLOAT_EQ(cm.DisplayGamma(), 1.0f);
  const Byte* t = cm.GammaTable();
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[1], 21);
  EXPECT_EQ(t[64], 136);
  EXPECT_EQ(t[128], 186);
  EXPECT_EQ(t[200], 228);
  EXPECT_EQ(t[255], 255);

  // 4-bit source and target: input and output run 0..15.
  cm.SetSourceBitsPerSample(4);
  cm.SetTargetBitsPerSample(4);
  cm.SetGamma(2.2f, 1.0f);
  const Byte expected[16] = {0, 4, 6, 7, 8, 9, 10, 11, 11, 12, 12, 13, 14, 14, 15, 15};
  EXPECT_EQ(0, std::memcmp(cm.GammaTable(), expected, 16));
}

TEST(ColorManagerRGB, OrdersAlphaAndDepths) {
  const Bytes rgb = {10, 20, 30, 40, 50, 60};
  EXPECT_EQ(Convert({csRGB, 8, 3, csBGR, 8, 3}, rgb, 2, 6), (Bytes{30, 20, 10, 60, 50, 40}));
  EXPECT_EQ(Convert({csRGB, 8, 3, csRGB, 8, 3}, rgb, 2, 6), rgb);
  EXPECT_EQ(Convert({csBGR, 8, 3, csRGB, 8, 3}, rgb, 2, 6), (Bytes{30, 20, 10, 60, 50, 40}));
  EXPECT_EQ(Convert({csBGR, 8, 3, csBGR, 8, 3}, rgb, 2, 6), rgb);

  // Alpha copied when both sides carry it; left as it was when only the target does.
  const Bytes rgba = {1, 2, 3, 200, 4, 5, 6, 100};
  EXPECT_EQ(Convert({csRGBA, 8, 4, csBGRA, 8, 4}, rgba, 2, 8), (Bytes{3, 2, 1, 200, 6, 5, 4, 100}));
  EXPECT_EQ(Convert({csRGB, 8, 3, csBGRA, 8, 4}, rgb, 2, 8), (Bytes{30, 20, 10, 0xEE, 60, 50, 40, 0xEE}));
  EXPECT_EQ(Convert({csRGBA, 8, 4, csBGR, 8, 3}, rgba, 2, 6), (Bytes{3, 2, 1, 6, 5, 4}));

  // 16-bit samples: 0xFFFF -> 255, 0x0101 -> 1, 0x00FF -> 0 (machine order) ...
  const Bytes wide = {0xFF, 0xFF, 0x01, 0x01, 0xFF, 0x00};
  EXPECT_EQ(Convert({csRGB, 16, 3, csRGB, 8, 3}, wide, 1, 3), (Bytes{255, 1, 0}));
  // ... and byte-swapped first when stored high byte first: FF 00 is 0xFF00 -> 254.
  EXPECT_EQ(Convert({csRGB, 16, 3, csRGB, 8, 3, coNeedByteSwap}, wide, 1, 3), (Bytes{255, 1, 254}));
  // 8-bit to 16-bit multiplies by 257; 16 to 16 copies (swapped as asked).
  EXPECT_EQ(Convert({csRGB, 8, 3, csRGB, 16, 3}, Bytes{0x80, 0, 255}, 1, 6),
            (Bytes{0x80, 0x80, 0, 0, 0xFF, 0xFF}));
  EXPECT_EQ(Convert({csRGB, 16, 3, csRGB, 16, 3, coNeedByteSwap}, Bytes{0x12, 0x34, 0, 1, 0xAB, 0xCD}, 1, 6),
            (Bytes{0x34, 0x12, 1, 0, 0xCD, 0xAB}));
}

TEST(ColorManagerRGB, PlanesMaskAndGamma) {
  TColorManager cm;
  Configure(cm, {csRGB, 8, 3, csBGR, 8, 3});
  const Bytes r = {1, 2}, g = {3, 4}, b = {5, 6};
  Bytes out(6, 0);
  cm.ConvertRow({r.data(), g.data(), b.data()}, out.data(), 2, 0xFF);
  EXPECT_EQ(out, (Bytes{5, 3, 1, 6, 4, 2}));

  // Mask 0x55: pixels 1, 3, 5, 7 take the four source pixels in turn; the rest stay.
  const Bytes four = {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
  Bytes masked = Convert({csRGB, 8, 3, csRGB, 8, 3}, four, 8, 24, 0x55, 0);
  const Bytes expected = {0, 0, 0, 10, 11, 12, 0, 0, 0, 20, 21, 22, 0, 0, 0, 30, 31, 32, 0, 0, 0, 40, 41, 42};
  EXPECT_EQ(masked, expected);

  // Gamma through the table when the target asks for it.
  TColorManager gm;
  Configure(gm, {csRGB, 8, 3, csRGB, 8, 3, 0, coApplyGamma});
  gm.SetGamma(2.2f, 1.0f);
  const Bytes src = {1, 64, 128};
  Bytes got(3, 0);
  gm.ConvertRow({src.data()}, got.data(), 1, 0xFF);
  EXPECT_EQ(got, (Bytes{21, 136, 186}));

  // Too few planes for the format is refused rather than read past.
  EXPECT_EQ(ErrorOf([&] { cm.ConvertRow({r.data(), g.data()}, out.data(), 2, 0xFF); }),
            "Color conversion failed. Too few sample planes for the source format.");
}

TEST(ColorManagerColourSpaces, CMYK) {
  const Bytes cmyk = {200, 10, 90, 255,  // any colour with full black is black
                      0, 0, 0, 0,        // no ink is white
                      255, 0, 0, 0,      // cyan
                      100, 0, 0, 50};
  EXPECT_EQ(Convert({csCMYK, 8, 4, csBGR, 8, 3}, cmyk, 4, 12),
            (Bytes{0, 0, 0, 255, 255, 255, 255, 255, 0, 205, 205, 124}));
  EXPECT_EQ(Convert({csCMYK, 8, 4, csRGB, 8, 3}, Bytes{255, 0, 0, 0}, 1, 3), (Bytes{0, 255, 255}));
}

TEST(ColorManagerColourSpaces, YCbCrAndPhotoYCC) {
  // Neutral chroma gives grey; the rest follows the look-up tables.
  const Bytes ycbcr = {77, 128, 128, 100, 50, 200, 30, 200, 60};
  EXPECT_EQ(Convert({csYCbCr, 8, 3, csRGB, 8, 3}, ycbcr, 3, 9), (Bytes{77, 77, 77, 201, 76, 0, 0, 54, 158}));
  EXPECT_EQ(Convert({csYCbCr, 8, 3, csBGR, 8, 3}, Bytes{100, 50, 200}, 1, 3), (Bytes{0, 76, 201}));

  TColorManager cm;
  Configure(cm, {csPhotoYCC, 8, 3, csRGB, 8, 3});
  cm.SetYCbCrParameters({0.2125f, 0.7154f, 0.0721f}, 2, 2);
  const Bytes ycc = {100, 156, 137, 120, 100, 180};
  Bytes out(6, 0);
  cm.ConvertRow({ycc.data()}, out.data(), 2, 0xFF);
  EXPECT_EQ(out, (Bytes{100, 100, 100, 188, 110, 16}));
}

TEST(ColorManagerColourSpaces, CIELab) {
  // L, a, b as bytes (a and b signed).
  const Bytes lab = {100, 0, 0, 50, 0, 0, 50, 40, 0xD8, 5, 20, 0xF6, 0, 0, 0};
  EXPECT_EQ(Convert({csCIELab, 8, 3, csRGB, 8, 3}, lab, 5, 15),
            (Bytes{255, 255, 255, 47, 47, 47, 78, 29, 125, 4, 0, 3, 0, 0, 0}));
  // L* stored over 0..255 and chroma with an offset of 128 (the layered-file layout).
  EXPECT_EQ(Convert({csCIELab, 8, 3, csBGR, 8, 3, coLabByteRange | coLabChromaOffset},
                    Bytes{255, 128, 128, 128, 128, 128, 128, 168, 88}, 3, 9),
            (Bytes{255, 255, 255, 47, 47, 47, 126, 30, 78}));
}

TEST(ColorManagerGrey, BitPackingRescalesGreyButNeverPaletteIndices) {
  // 2-bit grey widened to 4 bits: 0..3 become 0, 5, 10, 15.
  const Bytes twoBit = {0b00011011};
  EXPECT_EQ(Convert({csGray, 2, 1, csGray, 4, 1}, twoBit, 4, 2), (Bytes{0x05, 0xAF}));
  // The same data as palette indices keeps 0..3.
  EXPECT_EQ(Convert({csIndexed, 2, 1, csIndexed, 4, 1}, twoBit, 4, 2), (Bytes{0x01, 0x23}));
  // 4-bit grey to 8 bits.
  EXPECT_EQ(Convert({csGray, 4, 1, csGray, 8, 1}, Bytes{0x1F, 0x80}, 4, 4), (Bytes{17, 255, 136, 0}));
  // Equal depths copy whole bytes.
  EXPECT_EQ(Convert({csIndexed, 8, 1, csIndexed, 8, 1}, Bytes{7, 8, 9}, 3, 3), (Bytes{7, 8, 9}));
  // Masked 1-bit pixels leave the other bits of the target byte alone.
  EXPECT_EQ(Convert({csIndexed, 1, 1, csIndexed, 1, 1}, Bytes{0xF0}, 8, 1, 0x0F, 0x00), (Bytes{0x0F}));
}

TEST(ColorManagerGrey, SixteenBitGreyAndIndices) {
  // Grey converter: 16 -> 8 (byte-swapped), 8 -> 16.
  EXPECT_EQ(Convert({csGray, 16, 1, csGray, 8, 1, coNeedByteSwap}, Bytes{0xFF, 0x00, 0x01, 0x01}, 2, 2),
            (Bytes{254, 1}));
  EXPECT_EQ(Convert({csGray, 8, 1, csGray, 16, 1}, Bytes{0x12}, 1, 2), (Bytes{0x12, 0x12}));
  // 16-bit indices: copied (swapped), clamped when narrowed, widened unchanged.
  EXPECT_EQ(Convert({csIndexed, 16, 1, csIndexed, 16, 1, coNeedByteSwap}, Bytes{0x01, 0x02}, 1, 2),
            (Bytes{0x02, 0x01}));
  EXPECT_EQ(Convert({csIndexed, 16, 1, csIndexed, 8, 1}, Bytes{0x07, 0x00, 0x00, 0x01}, 2, 2), (Bytes{7, 255}));
  EXPECT_EQ(Convert({csIndexed, 4, 1, csIndexed, 16, 1}, Bytes{0x3C}, 2, 4), (Bytes{3, 0, 12, 0}));
  // A 16-bit side with a side below 8 bits has no converter.
  EXPECT_EQ(ErrorOf([] { Convert({csGray, 16, 1, csGray, 4, 1}, Bytes{0, 0}, 1, 1); }),
            "Color conversion failed. Could not find a proper method.");
}

TEST(ColorManagerGrey, GreyAlphaKeepsItsAlphaInColourTargets) {
  // Grey + alpha to an indexed target passes the alpha over.
  EXPECT_EQ(Convert({csGrayAlpha, 8, 1, csIndexed, 8, 1}, Bytes{10, 99, 20, 98}, 2, 2), (Bytes{10, 20}));
  // To 32-bit BGRA the grey fills the colour and the alpha is kept (16-bit big-endian source).
  EXPECT_EQ(Convert({csGrayAlpha, 16, 1, csBGRA, 8, 4, coNeedByteSwap}, Bytes{0x80, 0x00, 0xFF, 0xFF, 0x00, 0x10, 0x40, 0x00},
                    2, 8),
            (Bytes{127, 127, 127, 255, 0, 0, 0, 63}));
  // A sample count of 2 for grey + alpha reads the same layout.
  EXPECT_EQ(Convert({csGrayAlpha, 8, 2, csBGRA, 8, 4}, Bytes{10, 99, 20, 98}, 2, 8),
            (Bytes{10, 10, 10, 99, 20, 20, 20, 98}));
  // Plain grey to a colour target stays refused.
  EXPECT_EQ(ErrorOf([] { Convert({csGray, 8, 1, csRGB, 8, 3}, Bytes{1}, 1, 3); }),
            "Conversion between indexed and non-indexed pixel formats is not supported.");
  EXPECT_EQ(ErrorOf([] { Convert({csRGB, 8, 3, csIndexed, 8, 1}, Bytes{1, 2, 3}, 1, 3); }),
            "Conversion between indexed and non-indexed pixel formats is not supported.");
}

TEST(ColorManagerRefusals, FormatsWithoutAConverterRaiseInsteadOfReadingPastTheRow) {
  const char* noMethod = "Color conversion failed. Could not find a proper method.";
  EXPECT_EQ(ErrorOf([] { Convert({csCMY, 8, 3, csBGR, 8, 3}, Bytes{1, 2, 3}, 1, 3); }), noMethod);
  EXPECT_EQ(ErrorOf([] { Convert({csUndefined, 8, 3, csBGR, 8, 3}, Bytes{1, 2, 3}, 1, 3); }), noMethod);
  // 4-bit RGB would be read as bytes: refused.
  EXPECT_EQ(ErrorOf([] { Convert({csRGB, 4, 3, csBGR, 8, 3}, Bytes{1, 2}, 1, 3); }), noMethod);
  // Targets of 9 to 15 bits would be written wider than their bitmap row: refused. A
  // 12-bit grey source to 8 bits is fine (rescaled).
  EXPECT_EQ(ErrorOf([] { Convert({csGray, 12, 1, csGray, 12, 1}, Bytes{1, 2, 3}, 2, 3); }), noMethod);
  EXPECT_EQ(Convert({csGray, 12, 1, csGray, 8, 1}, Bytes{0xFF, 0xF8, 0x00}, 2, 2), (Bytes{255, 127}));
  // An alpha target narrower than four samples would be written past: refused.
  EXPECT_EQ(ErrorOf([] { Convert({csRGBA, 8, 4, csBGRA, 8, 3}, Bytes{1, 2, 3, 4}, 1, 4); }), noMethod);
}

TEST(ColorManagerPalettes, GreyRamps) {
  TColorManager cm;
  cm.SetTargetSamplesPerPixel(1);
  cm.SetTargetBitsPerSample(8);
  auto p = Entries(cm.CreateGrayscalePalette(false));
  ASSERT_EQ(p.size(), 256u);
  ExpectGrey(p[0], 0);
  ExpectGrey(p[10], 10);
  ExpectGrey(p[255], 255);

  cm.SetTargetBitsPerSample(2);
  p = Entries(cm.CreateGrayscalePalette(false));
  ASSERT_EQ(p.size(), 4u);
  ExpectGrey(p[1], 85);
  ExpectGrey(p[2], 170);

  // Zero is white (inverted photometric): the ramp runs from white to black.
  cm.SetTargetBitsPerSample(4);
  p = Entries(cm.CreateGrayscalePalette(true));
  ASSERT_EQ(p.size(), 16u);
  ExpectGrey(p[0], 255);
  ExpectGrey(p[1], 238);
  ExpectGrey(p[15], 0);

  // Gamma applies to the 8-bit grey of each entry.
  cm.SetTargetOptions(coApplyGamma);
  cm.SetGamma(2.2f, 1.0f);
  p = Entries(cm.CreateGrayscalePalette(false));
  ExpectGrey(p[1], 74);
  ExpectGrey(p[8], 192);
  ExpectGrey(p[15], 255);
}

TEST(ColorManagerPalettes, ColourLayouts) {
  TColorManager cm;
  const Bytes triples = {1, 2, 3, 4, 5, 6};
  auto p = Entries(cm.CreateColorPalette({triples.data()}, pfInterlaced8Triple, 2, false));
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[1].peRed, 4);
  EXPECT_EQ(p[1].peBlue, 6);
  p = Entries(cm.CreateColorPalette({triples.data()}, pfInterlaced8Triple, 2, true));
  EXPECT_EQ(p[0].peRed, 3);
  EXPECT_EQ(p[0].peBlue, 1);

  const Bytes quads = {10, 20, 30, 99, 40, 50, 60, 99};
  p = Entries(cm.CreateColorPalette({quads.data()}, pfInterlaced8Quad, 2, true));
  EXPECT_EQ(p[1].peRed, 60);
  EXPECT_EQ(p[1].peGreen, 50);
  EXPECT_EQ(p[1].peBlue, 40);

  const Bytes r = {1, 2}, g = {3, 4}, b = {5, 6};
  p = Entries(cm.CreateColorPalette({r.data(), g.data(), b.data()}, pfPlane8Triple, 2, false));
  EXPECT_EQ(p[1].peRed, 2);
  EXPECT_EQ(p[1].peGreen, 4);
  EXPECT_EQ(p[1].peBlue, 6);

  // Three planes of 16-bit values (the TIFF colour map).
  const std::vector<Word> r16 = {0xFFFF, 0x8000}, g16 = {0x0101, 0}, b16 = {0, 0xFFFF};
  p = Entries(cm.CreateColorPalette({r16.data(), g16.data(), b16.data()}, pfPlane16Triple, 2, false));
  EXPECT_EQ(p[0].peRed, 255);
  EXPECT_EQ(p[0].peGreen, 1);
  EXPECT_EQ(p[1].peRed, 127);
  EXPECT_EQ(p[1].peBlue, 255);

  // At most 256 colours are taken.
  const Bytes many(300 * 3, 7);
  EXPECT_EQ(Entries(cm.CreateColorPalette({many.data()}, pfInterlaced8Triple, 300, false)).size(), 256u);

  // Missing planes are refused.
  EXPECT_EQ(ErrorOf([&] { cm.CreateColorPalette({r.data()}, pfPlane8Triple, 2, false); }),
            "Color conversion failed. Palette data does not fit the palette format.");
  EXPECT_EQ(ErrorOf([&] { cm.CreateColorPalette({nullptr}, pfInterlaced8Triple, 2, false); }),
            "Color conversion failed. Palette data does not fit the palette format.");
}

TEST(ColorManagerYCbCr, SubsampledBlocksAreUpsampledWithinTheirData) {
  // 3 x 3 pixels in 2 x 2 blocks: two blocks across, two block rows (edge blocks padded).
  const Bytes packed = {
      1, 2, 3, 4, 100, 200,  5, 6, 7, 8, 101, 201,  // block row 0
      9, 10, 11, 12, 102, 202, 13, 14, 15, 16, 103, 203,
  };
  ASSERT_EQ(SubsampledYCbCrSize(3, 3, 2, 2), packed.size());
  Bytes out(3 * 3 * 3, 0);
  UpsampleYCbCr(packed.data(), packed.size(), out.data(), 3, 3, 2, 2);
  const Bytes expected = {
      1, 100, 200, 2, 100, 200, 5, 101, 201,    //
      3, 100, 200, 4, 100, 200, 7, 101, 201,    //
      9, 102, 202, 10, 102, 202, 13, 103, 203,  //
  };
  EXPECT_EQ(out, expected);
  // The colour manager then converts the full-resolution rows.
  EXPECT_EQ(Convert({csYCbCr, 8, 3, csRGB, 8, 3}, Bytes(out.begin(), out.begin() + 3), 1, 3),
            Convert({csYCbCr, 8, 3, csRGB, 8, 3}, Bytes{1, 100, 200}, 1, 3));

  EXPECT_EQ(ErrorOf([&] { UpsampleYCbCr(packed.data(), packed.size() - 1, out.data(), 3, 3, 2, 2); }),
            "Color conversion failed. Subsampled YCbCr data is incomplete.");
  EXPECT_EQ(ErrorOf([&] { UpsampleYCbCr(packed.data(), packed.size(), out.data(), 3, 3, 3, 1); }),
            "Subsampling value is invalid. Allowed are 1, 2 and 4.");
}
