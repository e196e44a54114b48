#pragma once
// TColorManager turns rows of a file's samples (the source format) into rows of a
// device-independent bitmap (the target format): bit-depth changes, 16-bit reduction,
// byte order, gamma and the colour spaces CMYK, CIE L*a*b*, YCbCr and PhotoYCC. It also
// builds the bitmap palettes. One converter is chosen per format pair and then called
// once per row.
#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"
#include "platform/win/handles.h"

QM_DECLARE_EXCEPTION(EColorConversionError, Exception);

// Colour layouts of source and target samples (stored as a byte in the image properties).
enum TColorScheme : Byte {
  csUndefined = 0,
  csIndexed = 1,
  csGray = 2,
  csGrayAlpha = 3,
  csRGB = 4,
  csRGBA = 5,
  csBGR = 6,
  csBGRA = 7,
  csCMY = 8,
  csCMYK = 9,
  csCIELab = 10,
  csYCbCr = 11,
  csPhotoYCC = 12,
};

// Source and target options, a byte set.
using TConvertOptions = Byte;
inline constexpr TConvertOptions coAlpha = 0x01;           // the layout carries alpha
inline constexpr TConvertOptions coApplyGamma = 0x02;      // target: go through GammaTable
inline constexpr TConvertOptions coNeedByteSwap = 0x04;    // source: 16-bit samples high byte first
inline constexpr TConvertOptions coLabByteRange = 0x08;    // source: L* stored as 0..255
inline constexpr TConvertOptions coLabChromaOffset = 0x10; // source: a*, b* stored with offset 128

// Arrangements of raw palette data given to CreateColorPalette.
enum TRawPaletteFormat : Byte {
  pfInterlaced8Triple = 0,   // one pointer: R G B (or B G R) bytes per entry
  pfInterlaced8Quad = 1,     // one pointer: four bytes per entry, the fourth skipped
  pfPlane8Triple = 2,        // three pointers: red, green, blue planes of bytes
  pfPlane8Quad = 3,          // as pfPlane8Triple (a fourth plane, if any, is ignored)
  pfInterlaced16Triple = 4,  // the same four arrangements with 16-bit values
  pfInterlaced16Quad = 5,
  pfPlane16Triple = 6,
  pfPlane16Quad = 7,
};

class TColorManager : public TObject {
 public:
  TColorManager();
  ~TColorManager() override;

  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // --- format description; each setter marks the manager Changed when the value differs.
  Byte SourceBitsPerSample() const { return FSourceBPS; }
  Byte TargetBitsPerSample() const { return FTargetBPS; }
  Byte SourceSamplesPerPixel() const { return FSourceSPP; }
  Byte TargetSamplesPerPixel() const { return FTargetSPP; }
  TColorScheme SourceColorScheme() const { return FSourceScheme; }
  TColorScheme TargetColorScheme() const { return FTargetScheme; }
  TConvertOptions SourceOptions() const { return FSourceOptions; }
  TConvertOptions TargetOptions() const { return FTargetOptions; }

  // Bits 1 to 16 pass; anything else raises EColorConversionError and is not stored.
  void SetSourceBitsPerSample(Byte Value);
  void SetTargetBitsPerSample(Byte Value);
  // 1 to 4 pass.
  void SetSourceSamplesPerPixel(Byte Value);
  void SetTargetSamplesPerPixel(Byte Value);
  void SetSourceColorScheme(TColorScheme Value);
  void SetTargetColorScheme(TColorScheme Value);
  void SetSourceOptions(TConvertOptions Value);
  void SetTargetOptions(TConvertOptions Value);

  bool Changed() const { return FChanged; }

  // --- gamma
  Single DisplayGamma() const { return FDisplayGamma; }
  Single MainGamma() const { return FMainGamma; }
  const Byte* GammaTable() const { return FGammaTable; }
  // Non-positive values fall back to 2.2 (main) and 1.0 (display); rebuilds GammaTable.
  void SetGamma(Single MainGamma, Single DisplayGamma = 1.0f);

  // --- YCbCr: one to three weights (red, green, blue); subsampling 1, 2 or 4 with
  // vertical <= horizontal.
  void SetYCbCrParameters(std::span<const Single> Values, Byte HSubSampling, Byte VSubSampling);
  void SetYCbCrParameters(std::initializer_list<Single> Values, Byte HSubSampling, Byte VSubSampling) {
    SetYCbCrParameters(std::span<const Single>(Values.begin(), Values.size()), HSubSampling, VSubSampling);
  }
  const Single* YCbCrCoefficients() const { return FYCbCrCoefficients; }
  Byte HSubsampling() const { return FHSubsampling; }
  Byte VSubsampling() const { return FVSubsampling; }

  // The bitmap pixel format of the source (False) or the target (True) side.
  TPixelFormat GetPixelFormat(bool Target) const;

  // Chooses the row converter for the current pair of formats and clears Changed.
  void PrepareConversion();

  // Converts Count pixels. Source holds one pointer for interleaved samples, or one per
  // sample plane (grey+alpha and RGBA sources: the alpha plane last). Target is the
  // bitmap row. A pixel whose bit of Mask (starting at 128, rotating right per pixel)
  // is clear is skipped: its target is left as it was and no source sample is used.
  void ConvertRow(std::span<const void* const> Source, void* Target, Cardinal Count, Byte Mask);
  void ConvertRow(std::initializer_list<const void*> Source, void* Target, Cardinal Count, Byte Mask) {
    ConvertRow(std::span<const void* const>(Source.begin(), Source.size()), Target, Count, Mask);
  }

  // Palettes; the caller owns the handle (win::DeleteObject, or hand it to a bitmap).
  win::HPALETTE CreateGrayscalePalette(bool MinimumIsWhite);
  // Data holds one pointer (interleaved layouts) or three (plane layouts), each with at
  // least ColorCount entries; at most 256 colours are used.
  win::HPALETTE CreateColorPalette(std::span<const void* const> Data, TRawPaletteFormat Layout,
                                   Cardinal ColorCount, bool BGROrder);
  win::HPALETTE CreateColorPalette(std::initializer_list<const void*> Data, TRawPaletteFormat Layout,
                                   Cardinal ColorCount, bool BGROrder) {
    return CreateColorPalette(std::span<const void* const>(Data.begin(), Data.size()), Layout, ColorCount,
                              BGROrder);
  }

 private:
  struct TCursor;
  using TRowConversion = void (TColorManager::*)(std::span<const void* const> Source, Byte* Target,
                                                 Cardinal Count, Byte Mask);

  void SetBitsChecked(Byte& Field, Byte Value);
  void SetSamplesChecked(Byte& Field, Byte Value);
  void BuildGammaTable();
  void BuildYCbCrTables(bool PhotoYCC);
  TCursor MakeCursor(std::span<const void* const> Source, unsigned Used, unsigned PixelSamples,
                     unsigned SampleBytes) const;

  // Component rules: one source sample (8 or 16 bits) to the target depth.
  Byte Colour8(const Byte* Sample) const;    // reduced, byte-swapped, through gamma as set
  Byte Plain8(const Byte* Sample) const;     // reduced and byte-swapped, no gamma
  Word Plain16(const Byte* Sample) const;    // widened or byte-swapped, no gamma
  void PutColour(Byte* Target, const Byte* Sample) const;  // colour sample to the target depth
  void PutPlain(Byte* Target, const Byte* Sample) const;   // grey or alpha sample, no gamma
  void PutComputed(Byte* Target, Integer Value) const;     // 0..255 result to the target depth

  // Row converters.
  void RowBitPacking(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowIndexed16To16(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowIndexed16ToNarrow(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowIndexedNarrowTo16(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowGray(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowRGB(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowCMYK(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowCIELab(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);
  void RowYCbCr(std::span<const void* const> Source, Byte* Target, Cardinal Count, Byte Mask);

  bool FChanged = true;
  Byte FSourceBPS = 8;
  Byte FTargetBPS = 8;
  Byte FSourceSPP = 3;
  Byte FTargetSPP = 3;
  Single FDisplayGamma = 1.0f;
  Single FMainGamma = 2.2f;
  Byte FGammaTable[256] = {};
  Single FYCbCrCoefficients[3] = {0.299f, 0.587f, 0.114f};
  Byte FHSubsampling = 1;
  Byte FVSubsampling = 1;
  Integer FCrToRedTable[256] = {};
  Integer FCbToBlueTable[256] = {};
  Integer FCrToGreenTable[256] = {};
  Integer FCbToGreenTable[256] = {};
  TColorScheme FSourceScheme = csRGB;
  TColorScheme FTargetScheme = csBGR;
  TRowConversion FRowConversion = nullptr;
  TConvertOptions FSourceOptions = 0;
  TConvertOptions FTargetOptions = 0;
  // Set by PrepareConversion for the chosen converter.
  unsigned FTargetPixelSamples = 3;  // samples per target pixel (stride)
  bool FTargetBGR = true;            // colour order of the target
};

// Expands subsampled YCbCr data (blocks of HSubSampling x VSubSampling luminance
// samples followed by one Cb and one Cr, blocks left to right, block rows top to bottom)
// into Rows rows of Width interleaved Y, Cb, Cr pixels (3 x Width bytes per row), each
// chroma pair repeated over its block. SourceSize is the bytes available at Source; too
// few raises EColorConversionError. Subsampling 1, 2 or 4 each.
void UpsampleYCbCr(const Byte* Source, std::size_t SourceSize, Byte* Target, Cardinal Width, Cardinal Rows,
                   Byte HSubSampling, Byte VSubSampling);
// The bytes UpsampleYCbCr needs at Source for Width x Rows pixels.
std::size_t SubsampledYCbCrSize(Cardinal Width, Cardinal Rows, Byte HSubSampling, Byte VSubSampling);
