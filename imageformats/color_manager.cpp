#include "imageformats/color_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/win/gdi.h"

namespace {

constexpr const char* kInvalidBits = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
constexpr const char* kInvalidSamples = "Sample count per pixel does not correspond to the given color scheme.";
constexpr const char* kInvalidSubsampling = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
constexpr const char* kVerticalSubsampling = "Vertical subsampling value must be <= horizontal subsampling value.";
constexpr const char* kIndexedMix = "Conversion between indexed and non-indexed pixel formats is not supported.";
constexpr const char* kNoConverter = "Color conversion failed. Could not find a proper method.";
constexpr const char* kTooFewPlanes = "Color conversion failed. Too few sample planes for the source format.";
constexpr const char* kBadPaletteData = "Color conversion failed. Palette data does not fit the palette format.";

bool IsGreyOrIndexed(TColorScheme s) { return s == csIndexed || s == csGray || s == csGrayAlpha; }
bool HasAlpha(TColorScheme s) { return s == csGrayAlpha || s == csRGBA || s == csBGRA; }
bool IsRGBOrder(TColorScheme s) { return s == csRGB || s == csRGBA; }
bool IsBGROrder(TColorScheme s) { return s == csBGR || s == csBGRA; }
bool IsColourTarget(TColorScheme s) { return IsRGBOrder(s) || IsBGROrder(s); }
bool Is8Or16(Byte bits) { return bits == 8 || bits == 16; }

Word LoadWord(const Byte* p, bool swap) {
  Word v;
  std::memcpy(&v, p, 2);
  return swap ? static_cast<Word>((v >> 8) | (v << 8)) : v;
}

void StoreWord(Byte* p, Word v) { std::memcpy(p, &v, 2); }

// 16-bit to 8-bit: value x 255 div 65535.
Byte Reduce(Word v) { return static_cast<Byte>(static_cast<Cardinal>(v) * 255u / 65535u); }

Byte ClampByte(Integer v) { return static_cast<Byte>(std::clamp<Integer>(v, 0, 255)); }

// Round to nearest, halves to even.
Integer RoundEven(double v) { return static_cast<Integer>(std::nearbyint(v)); }

// Reads and writes values of 1 to 16 bits, most significant bit first.
Cardinal GetBits(const Byte* row, std::size_t bitPos, unsigned width) {
  Cardinal v = 0;
  for (unsigned i = 0; i < width; ++i, ++bitPos) {
    v = (v << 1) | ((row[bitPos >> 3] >> (7 - (bitPos & 7))) & 1u);
  }
  return v;
}

void PutBits(Byte* row, std::size_t bitPos, unsigned width, Cardinal v) {
  for (unsigned i = 0; i < width; ++i, ++bitPos) {
    const Byte bit = static_cast<Byte>(0x80u >> (bitPos & 7));
    if ((v >> (width - 1 - i)) & 1u)
      row[bitPos >> 3] |= bit;
    else
      row[bitPos >> 3] &= static_cast<Byte>(~bit);
  }
}

Byte RotateRight(Byte b) { return static_cast<Byte>((b >> 1) | (b << 7)); }

// The 8-bit to 8-bit gamma curve used for palette entries, whatever the sample depths.
void Gamma8Table(Single mainGamma, Single displayGamma, Byte (&table)[256]) {
  const double exponent = 1.0 / (static_cast<double>(mainGamma) * displayGamma);
  for (int i = 0; i < 256; ++i) table[i] = ClampByte(RoundEven(std::pow(i / 255.0, exponent) * 255.0));
}

win::HPALETTE MakePalette(const std::vector<win::PALETTEENTRY>& entries) {
  std::vector<Byte> buffer(sizeof(win::LOGPALETTE) + entries.size() * sizeof(win::PALETTEENTRY));
  auto* lp = reinterpret_cast<win::LOGPALETTE*>(buffer.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<Word>(entries.size());
  std::memcpy(lp->palPalEntry, entries.data(), entries.size() * sizeof(win::PALETTEENTRY));
  return win::CreatePalette(lp);
}

}  // namespace

// Source sample pointers of one pixel; Step moves them all to the next pixel.
struct TColorManager::TCursor {
  const Byte* P[4] = {nullptr, nullptr, nullptr, nullptr};
  std::size_t Step = 0;
  void Advance() {
    for (auto& p : P)
      if (p) p += Step;  // unused planes stay null: arithmetic on null is undefined
  }
};

const TClass& TColorManager::StaticClass() {
  static const TClass cls = TClass::Of<TColorManager>("TColorManager", TObject::StaticClass());
  return cls;
}

TColorManager::TColorManager() { BuildGammaTable(); }

TColorManager::~TColorManager() = default;

void TColorManager::SetBitsChecked(Byte& field, Byte value) {
  if (value < 1 || value > 16) throw EColorConversionError(kInvalidBits);
  if (field != value) {
    field = value;
    FChanged = true;
  }
}

void TColorManager::SetSamplesChecked(Byte& field, Byte value) {
  if (value < 1 || value > 4) throw EColorConversionError(kInvalidSamples);
  if (field != value) {
    field = value;
    FChanged = true;
  }
}

void TColorManager::SetSourceBitsPerSample(Byte v) { SetBitsChecked(FSourceBPS, v); }
void TColorManager::SetTargetBitsPerSample(Byte v) { SetBitsChecked(FTargetBPS, v); }
void TColorManager::SetSourceSamplesPerPixel(Byte v) { SetSamplesChecked(FSourceSPP, v); }
void TColorManager::SetTargetSamplesPerPixel(Byte v) { SetSamplesChecked(FTargetSPP, v); }

void TColorManager::SetSourceColorScheme(TColorScheme v) {
  if (FSourceScheme != v) {
    FSourceScheme = v;
    FChanged = true;
  }
}

void TColorManager::SetTargetColorScheme(TColorScheme v) {
  if (FTargetScheme != v) {
    FTargetScheme = v;
    FChanged = true;
  }
}

void TColorManager::SetSourceOptions(TConvertOptions v) {
  if (FSourceOptions != v) {
    FSourceOptions = v;
    FChanged = true;
  }
}

void TColorManager::SetTargetOptions(TConvertOptions v) {
  if (FTargetOptions != v) {
    FTargetOptions = v;
    FChanged = true;
  }
}

void TColorManager::SetGamma(Single mainGamma, Single displayGamma) {
  FDisplayGamma = displayGamma > 0 ? displayGamma : 1.0f;
  FMainGamma = mainGamma > 0 ? mainGamma : 2.2f;
  BuildGammaTable();
  FChanged = true;
}

void TColorManager::BuildGammaTable() {
  const double exponent = 1.0 / (static_cast<double>(FMainGamma) * FDisplayGamma);
  const int inMax = FSourceBPS >= 8 ? 255 : (1 << FSourceBPS) - 1;
  const int outMax = FTargetBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
  std::memset(FGammaTable, 0, sizeof FGammaTable);
  for (int i = 0; i <= inMax; ++i)
    FGammaTable[i] = ClampByte(RoundEven(std::pow(static_cast<double>(i) / inMax, exponent) * outMax));
}

void TColorManager::SetYCbCrParameters(std::span<const Single> values, Byte h, Byte v) {
  auto valid = [](Byte s) { return s == 1 || s == 2 || s == 4; };
  if (!valid(h) || !valid(v)) throw EColorConversionError(kInvalidSubsampling);
  if (h < v) throw EColorConversionError(kVerticalSubsampling);
  for (std::size_t i = 0; i < values.size() && i < 3; ++i) FYCbCrCoefficients[i] = values[i];
  FHSubsampling = h;
  FVSubsampling = v;
  FChanged = true;
}

void TColorManager::BuildYCbCrTables(bool photoYCC) {
  const Single red = FYCbCrCoefficients[0], green = FYCbCrCoefficients[1], blue = FYCbCrCoefficients[2];
  const Single f1 = 2 - 2 * red;
  const Single f2 = 2 - 2 * blue;
  const Single f3 = red * f1 / green;
  const Single f4 = blue * f2 / green;
  for (int i = 0; i < 256; ++i) {
    const int dCr = photoYCC ? i - 137 : i - 128;
    const int dCb = photoYCC ? i - 156 : i - 128;
    FCrToRedTable[i] = RoundEven(static_cast<double>(f1) * dCr);
    FCbToBlueTable[i] = RoundEven(static_cast<double>(f2) * dCb);
    FCrToGreenTable[i] = -RoundEven(static_cast<double>(f3) * dCr);
    FCbToGreenTable[i] = -RoundEven(static_cast<double>(f4) * dCb);
  }
}

TPixelFormat TColorManager::GetPixelFormat(bool target) const {
  const Byte bits = target ? FTargetBPS : FSourceBPS;
  const Byte samples = target ? FTargetSPP : FSourceSPP;
  switch (samples) {
    case 1:
      if (bits == 1) return pf1bit;
      if (bits >= 2 && bits <= 4) return pf4bit;
      if (bits >= 8 && bits <= 16) return pf8bit;
      return pfCustom;
    case 3:
      return bits <= 5 ? pf15bit : pf24bit;
    case 4:
      return bits < 8 ? pfCustom : pf32bit;
    default:
      return pfCustom;
  }
}

void TColorManager::PrepareConversion() {
  FRowConversion = nullptr;
  // Grey with alpha may also go to a colour target, so that sprites keep their alpha;
  // every other grey or indexed source needs an indexed or grey target.
  const bool sourceGreyIndexed = IsGreyOrIndexed(FSourceScheme);
  const bool targetGreyIndexed = FTargetScheme == csIndexed || FTargetScheme == csGray;
  const bool greyAlphaToColour = FSourceScheme == csGrayAlpha && IsColourTarget(FTargetScheme);
  if (sourceGreyIndexed != targetGreyIndexed && !greyAlphaToColour) throw EColorConversionError(kIndexedMix);

  FSourceOptions = static_cast<Byte>((FSourceOptions & ~coAlpha) | (HasAlpha(FSourceScheme) ? coAlpha : 0));
  FTargetOptions = static_cast<Byte>((FTargetOptions & ~coAlpha) | (HasAlpha(FTargetScheme) ? coAlpha : 0));
  BuildGammaTable();
  FChanged = false;

  // Targets are written at 1, 2, 4, 8 or 16 bits per sample only: other depths would not
  // match the row of any bitmap pixel format.
  const Byte tb = FTargetBPS;
  if (tb != 1 && tb != 2 && tb != 4 && tb != 8 && tb != 16) return;

  // Colour targets: three or four samples of 8 or 16 bits, never more than the target's
  // sample count declares (the bitmap row is sized from it).
  const unsigned colourSamples = HasAlpha(FTargetScheme) ? 4 : 3;
  const bool colourTargetOk = IsColourTarget(FTargetScheme) && Is8Or16(FTargetBPS) && FTargetSPP >= colourSamples;
  FTargetPixelSamples = std::max<unsigned>(FTargetSPP, colourSamples);
  FTargetBGR = IsBGROrder(FTargetScheme);
  const bool colourPairOk = colourTargetOk && Is8Or16(FSourceBPS);

  const bool s16 = FSourceBPS == 16, t16 = FTargetBPS == 16;
  switch (FSourceScheme) {
    case csIndexed:
      if (s16 && t16)
        FRowConversion = &TColorManager::RowIndexed16To16;
      else if (s16)
        FRowConversion = &TColorManager::RowIndexed16ToNarrow;
      else if (t16)
        FRowConversion = &TColorManager::RowIndexedNarrowTo16;
      else
        FRowConversion = &TColorManager::RowBitPacking;
      break;
    case csGray:
      if (s16 || t16) {
        if (Is8Or16(FSourceBPS) && Is8Or16(FTargetBPS)) FRowConversion = &TColorManager::RowGray;
      } else {
        FRowConversion = &TColorManager::RowBitPacking;
      }
      break;
    case csGrayAlpha:
      if (greyAlphaToColour) {
        if (colourPairOk) FRowConversion = &TColorManager::RowGray;
      } else if (Is8Or16(FSourceBPS) && Is8Or16(FTargetBPS)) {
        FRowConversion = &TColorManager::RowGray;
      }
      break;
    case csRGB:
    case csRGBA:
    case csBGR:
    case csBGRA:
      if (colourPairOk) FRowConversion = &TColorManager::RowRGB;
      break;
    case csCMYK:
      if (colourPairOk) FRowConversion = &TColorManager::RowCMYK;
      break;
    case csCIELab:
      if (colourPairOk) FRowConversion = &TColorManager::RowCIELab;
      break;
    case csYCbCr:
    case csPhotoYCC:
      if (colourPairOk) {
        BuildYCbCrTables(FSourceScheme == csPhotoYCC);
        FRowConversion = &TColorManager::RowYCbCr;
      }
      break;
    default:  // CMY, Undefined
      break;
  }
}

void TColorManager::ConvertRow(std::span<const void* const> source, void* target, Cardinal count, Byte mask) {
  if (FChanged) PrepareConversion();
  if (!FRowConversion) throw EColorConversionError(kNoConverter);
  if (source.empty() || !target) throw EColorConversionError(kTooFewPlanes);
  for (const void* p : source)
    if (!p) throw EColorConversionError(kTooFewPlanes);
  (this->*FRowConversion)(source, static_cast<Byte*>(target), count, mask);
}

TColorManager::TCursor TColorManager::MakeCursor(std::span<const void* const> source, unsigned used,
                                                 unsigned pixelSamples, unsigned sampleBytes) const {
  TCursor c;
  if (source.size() == 1) {
    const Byte* base = static_cast<const Byte*>(source[0]);
    for (unsigned k = 0; k < used; ++k) c.P[k] = base + k * sampleBytes;
    c.Step = static_cast<std::size_t>(pixelSamples) * sampleBytes;
  } else {
    if (source.size() < used) throw EColorConversionError(kTooFewPlanes);
    for (unsigned k = 0; k < used; ++k) c.P[k] = static_cast<const Byte*>(source[k]);
    c.Step = sampleBytes;
  }
  return c;
}

// ---- component rules ------------------------------------------------------------------

Byte TColorManager::Plain8(const Byte* s) const {
  return FSourceBPS == 16 ? Reduce(LoadWord(s, FSourceOptions & coNeedByteSwap)) : *s;
}

Word TColorManager::Plain16(const Byte* s) const {
  return FSourceBPS == 16 ? LoadWord(s, FSourceOptions & coNeedByteSwap) : static_cast<Word>(*s * 257);
}

Byte TColorManager::Colour8(const Byte* s) const {
  const Byte v = Plain8(s);
  return (FTargetOptions & coApplyGamma) ? FGammaTable[v] : v;
}

void TColorManager::PutColour(Byte* t, const Byte* s) const {
  if (FTargetBPS == 16) {
    if (FSourceBPS == 16 && !(FTargetOptions & coApplyGamma))
      StoreWord(t, Plain16(s));
    else
      StoreWord(t, static_cast<Word>(Colour8(s) * 257));
  } else {
    *t = Colour8(s);
  }
}

void TColorManager::PutPlain(Byte* t, const Byte* s) const {
  if (FTargetBPS == 16)
    StoreWord(t, Plain16(s));
  else
    *t = Plain8(s);
}

void TColorManager::PutComputed(Byte* t, Integer value) const {
  Byte v = ClampByte(value);
  if (FTargetOptions & coApplyGamma) v = FGammaTable[v];
  if (FTargetBPS == 16)
    StoreWord(t, static_cast<Word>(v * 257));
  else
    *t = v;
}

// ---- row converters -------------------------------------------------------------------

void TColorManager::RowBitPacking(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const Byte* row = static_cast<const Byte*>(source[0]);
  const unsigned sBits = FSourceBPS, tBits = FTargetBPS;
  if (sBits == tBits && mask == 0xFF) {
    std::memcpy(target, row, (static_cast<std::size_t>(count) * sBits + 7) / 8);
    return;
  }
  const Cardinal sMax = (1u << sBits) - 1, tMax = (1u << tBits) - 1;
  // Grey levels are rescaled to the new depth; palette indices keep their value.
  const bool rescale = FSourceScheme != csIndexed;
  std::size_t sPos = 0, tPos = 0;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, tPos += tBits, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    const Cardinal v = GetBits(row, sPos, sBits);
    sPos += sBits;
    PutBits(target, tPos, tBits, rescale ? v * tMax / sMax : std::min(v, tMax));
  }
}

void TColorManager::RowIndexed16To16(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const Byte* s = static_cast<const Byte*>(source[0]);
  const bool swap = FSourceOptions & coNeedByteSwap;
  if (!swap && mask == 0xFF) {
    std::memcpy(target, s, static_cast<std::size_t>(count) * 2);
    return;
  }
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += 2, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    StoreWord(target, LoadWord(s, swap));
    s += 2;
  }
}

void TColorManager::RowIndexed16ToNarrow(std::span<const void* const> source, Byte* target, Cardinal count,
                                         Byte mask) {
  const Byte* s = static_cast<const Byte*>(source[0]);
  const bool swap = FSourceOptions & coNeedByteSwap;
  const unsigned tBits = FTargetBPS;
  const Cardinal tMax = (1u << tBits) - 1;
  std::size_t tPos = 0;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, tPos += tBits, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    // An index past what the narrower depth can hold shows the last entry.
    PutBits(target, tPos, tBits, std::min<Cardinal>(LoadWord(s, swap), tMax));
    s += 2;
  }
}

void TColorManager::RowIndexedNarrowTo16(std::span<const void* const> source, Byte* target, Cardinal count,
                                         Byte mask) {
  const Byte* row = static_cast<const Byte*>(source[0]);
  const unsigned sBits = FSourceBPS;
  std::size_t sPos = 0;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += 2, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    StoreWord(target, static_cast<Word>(GetBits(row, sPos, sBits)));
    sPos += sBits;
  }
}

void TColorManager::RowGray(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const unsigned sb = FSourceBPS / 8, tb = FTargetBPS / 8;
  const bool sourceAlpha = FSourceOptions & coAlpha;
  const bool colour = IsColourTarget(FTargetScheme);
  const bool copyAlpha = colour && sourceAlpha && (FTargetOptions & coAlpha);
  const unsigned pixelSamples = std::max<unsigned>(FSourceSPP, sourceAlpha ? 2 : 1);
  TCursor c = MakeCursor(source, copyAlpha ? 2 : 1, pixelSamples, sb);
  const unsigned tStride = (colour ? FTargetPixelSamples : 1) * tb;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += tStride, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    if (colour) {
      PutColour(target, c.P[0]);
      std::memcpy(target + tb, target, tb);
      std::memcpy(target + 2 * tb, target, tb);
      if (copyAlpha) PutPlain(target + 3 * tb, c.P[1]);
    } else {
      PutPlain(target, c.P[0]);
    }
    c.Advance();
  }
}

void TColorManager::RowRGB(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const unsigned sb = FSourceBPS / 8, tb = FTargetBPS / 8;
  const bool sourceAlpha = FSourceOptions & coAlpha;
  const bool copyAlpha = sourceAlpha && (FTargetOptions & coAlpha);
  const unsigned pixelSamples = std::max<unsigned>(FSourceSPP, sourceAlpha ? 4 : 3);
  TCursor c = MakeCursor(source, copyAlpha ? 4 : 3, pixelSamples, sb);
  const bool swapOrder = IsBGROrder(FSourceScheme) != FTargetBGR;
  const unsigned first = swapOrder ? 2 : 0, last = swapOrder ? 0 : 2;
  const unsigned tStride = FTargetPixelSamples * tb;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += tStride, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    PutColour(target + first * tb, c.P[0]);
    PutColour(target + tb, c.P[1]);
    PutColour(target + last * tb, c.P[2]);
    if (copyAlpha) PutPlain(target + 3 * tb, c.P[3]);
    c.Advance();
  }
}

void TColorManager::RowCMYK(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const unsigned sb = FSourceBPS / 8, tb = FTargetBPS / 8;
  TCursor c = MakeCursor(source, 4, std::max<unsigned>(FSourceSPP, 4), sb);
  const unsigned r = FTargetBGR ? 2 : 0, b = FTargetBGR ? 0 : 2;
  const unsigned tStride = FTargetPixelSamples * tb;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += tStride, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    const Integer k = Plain8(c.P[3]);
    auto channel = [k](Integer x) { return 255 - (x - x * k / 255 + k); };
    PutComputed(target + r * tb, channel(Plain8(c.P[0])));
    PutComputed(target + tb, channel(Plain8(c.P[1])));
    PutComputed(target + b * tb, channel(Plain8(c.P[2])));
    c.Advance();
  }
}

void TColorManager::RowCIELab(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const unsigned sb = FSourceBPS / 8, tb = FTargetBPS / 8;
  TCursor c = MakeCursor(source, 3, std::max<unsigned>(FSourceSPP, 3), sb);
  const bool lByteRange = FSourceOptions & coLabByteRange;
  const bool chromaOffset = FSourceOptions & coLabChromaOffset;
  const bool swap = FSourceOptions & coNeedByteSwap;
  const unsigned r = FTargetBGR ? 2 : 0, b = FTargetBGR ? 0 : 2;
  const unsigned tStride = FTargetPixelSamples * tb;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += tStride, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    double L, a, bb;
    if (sb == 2) {
      // 16-bit samples: lightness over the full word, chroma with 256 steps per unit.
      const Word lw = LoadWord(c.P[0], swap), aw = LoadWord(c.P[1], swap), bw = LoadWord(c.P[2], swap);
      L = lw * 255.0 / 65535.0;
      a = chromaOffset ? (aw - 32768) / 256.0 : static_cast<std::int16_t>(aw) / 256.0;
      bb = chromaOffset ? (bw - 32768) / 256.0 : static_cast<std::int16_t>(bw) / 256.0;
    } else {
      L = *c.P[0];
      a = chromaOffset ? *c.P[1] - 128 : static_cast<std::int8_t>(*c.P[1]);
      bb = chromaOffset ? *c.P[2] - 128 : static_cast<std::int8_t>(*c.P[2]);
    }
    if (lByteRange) L /= 2.55;
    const double fy = (L + 16) / 116;
    double X, Y, Z;
    if (L >= 7.9996) {
      X = std::pow(a / 500 + fy, 3);
      Y = fy * fy * fy;
      Z = std::pow(fy - bb / 200, 3);
    } else {
      Y = L / 903.3;
      X = a / 3893.5 + Y;
      Z = Y - bb / 1557.4;
    }
    PutComputed(target + r * tb, RoundEven((2.998 * X - 1.458 * Y - 0.541 * Z) * 255));
    PutComputed(target + tb, RoundEven((-0.952 * X + 1.893 * Y + 0.059 * Z) * 255));
    PutComputed(target + b * tb, RoundEven((0.099 * X - 0.198 * Y + 1.099 * Z) * 255));
    c.Advance();
  }
}

void TColorManager::RowYCbCr(std::span<const void* const> source, Byte* target, Cardinal count, Byte mask) {
  const unsigned sb = FSourceBPS / 8, tb = FTargetBPS / 8;
  TCursor c = MakeCursor(source, 3, std::max<unsigned>(FSourceSPP, 3), sb);
  const unsigned r = FTargetBGR ? 2 : 0, b = FTargetBGR ? 0 : 2;
  const unsigned tStride = FTargetPixelSamples * tb;
  Byte bit = 0x80;
  for (Cardinal i = 0; i < count; ++i, target += tStride, bit = RotateRight(bit)) {
    if (!(mask & bit)) continue;
    const Integer y = Plain8(c.P[0]);
    const Byte cb = Plain8(c.P[1]), cr = Plain8(c.P[2]);
    PutComputed(target + r * tb, y + FCrToRedTable[cr]);
    PutComputed(target + tb, y + FCrToGreenTable[cr] + FCbToGreenTable[cb]);
    PutComputed(target + b * tb, y + FCbToBlueTable[cb]);
    c.Advance();
  }
}

// ---- palettes -------------------------------------------------------------------------

win::HPALETTE TColorManager::CreateGrayscalePalette(bool minimumIsWhite) {
  const unsigned depth = std::min<unsigned>(static_cast<unsigned>(FTargetBPS) * FTargetSPP, 8);
  const unsigned entries = 1u << depth;
  const unsigned step = entries > 1 ? 255 / (entries - 1) : 255;
  Byte gamma[256];
  Gamma8Table(FMainGamma, FDisplayGamma, gamma);
  const bool applyGamma = FTargetOptions & coApplyGamma;
  std::vector<win::PALETTEENTRY> pal(entries);
  for (unsigned i = 0; i < entries; ++i) {
    Byte grey = static_cast<Byte>((minimumIsWhite ? entries - 1 - i : i) * step);
    if (applyGamma) grey = gamma[grey];
    pal[i].peRed = pal[i].peGreen = pal[i].peBlue = grey;
  }
  return MakePalette(pal);
}

win::HPALETTE TColorManager::CreateColorPalette(std::span<const void* const> data, TRawPaletteFormat layout,
                                                Cardinal colorCount, bool bgrOrder) {
  const bool planes = layout == pfPlane8Triple || layout == pfPlane8Quad || layout == pfPlane16Triple ||
                      layout == pfPlane16Quad;
  const bool wide = layout >= pfInterlaced16Triple;
  if (layout > pfPlane16Quad || data.size() < (planes ? 3u : 1u)) throw EColorConversionError(kBadPaletteData);
  for (std::size_t i = 0; i < (planes ? 3u : 1u); ++i)
    if (!data[i]) throw EColorConversionError(kBadPaletteData);
  const unsigned count = std::min<Cardinal>(colorCount, 256);
  if (count == 0) throw EColorConversionError(kBadPaletteData);
  const unsigned entrySamples = (layout == pfInterlaced8Quad || layout == pfInterlaced16Quad) ? 4 : 3;
  const unsigned vb = wide ? 2 : 1;
  Byte gamma[256];
  Gamma8Table(FMainGamma, FDisplayGamma, gamma);
  const bool applyGamma = FTargetOptions & coApplyGamma;
  // 16-bit values are reduced like 16-bit samples; they are in the machine's order.
  auto value = [&](const Byte* p) -> Byte {
    const Byte v = wide ? Reduce(LoadWord(p, false)) : *p;
    return applyGamma ? gamma[v] : v;
  };
  std::vector<win::PALETTEENTRY> pal(count);
  for (unsigned i = 0; i < count; ++i) {
    Byte rgb[3];
    if (planes) {
      for (unsigned k = 0; k < 3; ++k) rgb[k] = value(static_cast<const Byte*>(data[k]) + i * vb);
    } else {
      const Byte* e = static_cast<const Byte*>(data[0]) + static_cast<std::size_t>(i) * entrySamples * vb;
      for (unsigned k = 0; k < 3; ++k) rgb[k] = value(e + k * vb);
      if (bgrOrder) std::swap(rgb[0], rgb[2]);
    }
    pal[i].peRed = rgb[0];
    pal[i].peGreen = rgb[1];
    pal[i].peBlue = rgb[2];
  }
  return MakePalette(pal);
}

// ---- subsampled YCbCr -----------------------------------------------------------------

std::size_t SubsampledYCbCrSize(Cardinal width, Cardinal rows, Byte h, Byte v) {
  if (h == 0 || v == 0) return 0;
  const std::size_t blocksAcross = (static_cast<std::size_t>(width) + h - 1) / h;
  const std::size_t blockRows = (static_cast<std::size_t>(rows) + v - 1) / v;
  return blocksAcross * blockRows * (static_cast<std::size_t>(h) * v + 2);
}

void UpsampleYCbCr(const Byte* source, std::size_t sourceSize, Byte* target, Cardinal width, Cardinal rows, Byte h,
                   Byte v) {
  auto valid = [](Byte s) { return s == 1 || s == 2 || s == 4; };
  if (!valid(h) || !valid(v)) throw EColorConversionError(kInvalidSubsampling);
  if (sourceSize < SubsampledYCbCrSize(width, rows, h, v))
    throw EColorConversionError("Color conversion failed. Subsampled YCbCr data is incomplete.");
  const std::size_t blocksAcross = (static_cast<std::size_t>(width) + h - 1) / h;
  const std::size_t blockSize = static_cast<std::size_t>(h) * v + 2;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  for (Cardinal y = 0; y < rows; ++y) {
    const Byte* blockRow = source + (y / v) * blocksAcross * blockSize;
    const unsigned dy = y % v;
    Byte* out = target + y * rowBytes;
    for (Cardinal x = 0; x < width; ++x) {
      const Byte* block = blockRow + (x / h) * blockSize;
      out[3 * x] = block[dy * h + x % h];
      out[3 * x + 1] = block[blockSize - 2];
      out[3 * x + 2] = block[blockSize - 1];
    }
  }
}
