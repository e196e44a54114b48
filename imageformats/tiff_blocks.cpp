#include "imageformats/tiff_blocks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imageformats/decoders.h"
#include "imageformats/tiff_reader.h"

namespace {

[[noreturn]] void NotSupported(const char* FormatName) {
  ImageFormatError(imgmsg::UnknownCompression, {imgmsg::CompressionScheme, FormatName});
}
[[noreturn]] void BadColorFormat(const char* FormatName) { ImageFormatError(imgmsg::InvalidColorFormat, {FormatName}); }

bool IsFax(TCompressionType C) { return C == ctFax3 || C == ctFaxRLE || C == ctFaxRLEW; }

// How far one byte of compressed data can expand at most; bounds the image a file can
// claim for the data it has.
std::uint64_t ExpansionLimit(TCompressionType C) {
  switch (C) {
    case ctNone: return 1;
    case ctPackedBits: return 128;
    case ctThunderscan: return 64;
    case ctLZ77: return 1032;
    case ctJPEG: return 1024;
    default: return 4096;  // CCITT: a missing line end leaves the rest of the strip white
  }
}

std::unique_ptr<TDecoder> MakeDecoder(const TTIFFDirectory& Directory, TImageProperties& P,
                                      const TTIFFBlockLayout& Layout, const char* FormatName) {
  const bool reversed = (P.Options & ioReversed) != 0;
  switch (P.Compression) {
    case ctNone:
      return nullptr;
    case ctPackedBits:
      return std::make_unique<TPackbitsRLEDecoder>();
    case ctFax3: {
      // Two-dimensional coding and uncompressed mode are not decoded.
      const Cardinal options = Directory.GetValue(tifftag::Group3Options, 0);
      if (options & 3) NotSupported(FormatName);
      return std::make_unique<TCCITTFax3Decoder>(options, reversed, false, Layout.BlockWidth);
    }
    case ctFaxRLE:
      return std::make_unique<TCCITTMHDecoder>(Directory.GetValue(tifftag::Group3Options, 0), reversed, false,
                                               Layout.BlockWidth);
    case ctFaxRLEW:
      return std::make_unique<TCCITTMHDecoder>(Directory.GetValue(tifftag::Group3Options, 0), reversed, true,
                                               Layout.BlockWidth);
    case ctLZ77:
      // Every strip is a zlib stream of its own.
      return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true);
    case ctJPEG:
      Directory.GetRawData(tifftag::JPEGTables, P.JPEGTables);
      return std::make_unique<TTIFFJPEGDecoder>(P);
    case ctThunderscan:
      return std::make_unique<TThunderDecoder>(Layout.BlockRowBytes);
    default:
      return nullptr;
  }
}

}  // namespace

TTIFFColorSetup ChooseTIFFColorSetup(const TImageProperties& P, const char* FormatName) {
  const TCompressionType c = P.Compression;
  if (c != ctNone && c != ctPackedBits && !IsFax(c) && c != ctLZ77 && c != ctJPEG && c != ctThunderscan)
    NotSupported(FormatName);
  const Cardinal bps = P.BitsPerSample, spp = P.SamplesPerPixel;
  // Group 3 with two-dimensional coding or uncompressed mode is not decoded.
  if ((c == ctFax3 || c == ctFaxRLE || c == ctFaxRLEW) && (bps != 1 || spp != 1)) BadColorFormat(FormatName);
  if (c == ctThunderscan && (bps != 4 || spp != 1)) BadColorFormat(FormatName);
  // Horizontal differencing is undone after any decoding, for whole-byte samples only.
  if (P.Predictor != 1 && !(P.Predictor == 2 && (bps == 8 || bps == 16))) NotSupported(FormatName);

  const bool wide = bps == 8 || bps == 16;
  TTIFFColorSetup s;
  s.SourceOptions = ((P.Options & ioBigEndian) && bps == 16) ? coNeedByteSwap : 0;
  switch (P.ColorScheme) {
    case csGray:
      if (spp == 1 && (bps == 1 || bps == 2 || bps == 4 || wide)) {
        s.Source = csGray;
        s.Target = csGray;
        // 2-bit grey is shown through a 4-bit bitmap; 16-bit grey is reduced to 8 bits.
        s.TargetBits = static_cast<Byte>(bps == 2 ? 4 : bps == 16 ? 8 : bps);
        s.TargetSamples = 1;
      } else if (spp == 2 && P.HasAlpha && wide) {
        // Grey with alpha keeps its alpha in a 32-bit bitmap.
        s.Source = csGrayAlpha;
        s.Target = csBGRA;
        s.TargetSamples = 4;
      } else {
        BadColorFormat(FormatName);
      }
      break;
    case csRGB:
    case csRGBA:
      if ((spp != 3 && spp != 4) || !wide) BadColorFormat(FormatName);
      s.Source = spp == 4 && P.HasAlpha ? csRGBA : csRGB;
      s.SourceSamples = static_cast<Byte>(spp);
      s.Target = s.Source == csRGBA ? csBGRA : csBGR;
      s.TargetSamples = s.Source == csRGBA ? 4 : 3;
      break;
    case csIndexed:
      if (spp != 1 || !(bps == 1 || bps == 2 || bps == 4 || bps == 8)) BadColorFormat(FormatName);
      s.Source = csIndexed;
      s.Target = csIndexed;
      s.TargetBits = static_cast<Byte>(bps == 2 ? 4 : bps);
      s.TargetSamples = 1;
      break;
    case csCMYK:
      if (spp != 4 || !wide) BadColorFormat(FormatName);
      s.Source = csCMYK;
      s.SourceSamples = 4;
      break;
    case csYCbCr:
      if (spp != 3 || bps != 8) BadColorFormat(FormatName);
      s.SourceSamples = 3;
      if (c == ctJPEG && P.PlanarConfig != 2) {
        // The JPEG library delivers RGB already; planes come as they are stored.
        s.Source = csRGB;
        break;
      }
      s.Source = csYCbCr;
      if (P.YCbCrSubSampling.size() >= 2) {
        s.HSubsampling = P.YCbCrSubSampling[0];
        s.VSubsampling = P.YCbCrSubSampling[1];
      }
      // Subsampled chroma in planes of their own size, or differenced across the groups
      // of samples, is not read.
      if ((s.HSubsampling != 1 || s.VSubsampling != 1) && (P.PlanarConfig == 2 || P.Predictor != 1))
        NotSupported(FormatName);
      break;
    case csCIELab:
      if (spp != 3 || !wide) BadColorFormat(FormatName);
      s.Source = csCIELab;
      s.SourceSamples = 3;
      s.SourceOptions |= coLabByteRange;  // L* is stored as 0..255 for 0..100
      break;
    default:
      BadColorFormat(FormatName);
  }
  return s;
}

std::uint64_t TTIFFBlockLayout::StoredBytes(Cardinal Rows) const {
  if (Subsampled()) return SubsampledYCbCrSize(BlockWidth, Rows, HSubsampling, VSubsampling);
  return std::uint64_t(Rows) * BlockRowBytes;
}

TTIFFBlockLayout PlanTIFFBlocks(const TTIFFDirectory& Directory, TImageProperties& P, const TTIFFColorSetup& Setup,
                                const char* FormatName) {
  TTIFFBlockLayout L;
  L.HSubsampling = Setup.HSubsampling;
  L.VSubsampling = Setup.VSubsampling;
  const Cardinal spp = P.SamplesPerPixel, bps = P.BitsPerSample;
  L.Tiled = (P.Options & ioTiled) != 0;
  L.Planes = (P.PlanarConfig == 2 && spp > 1) ? spp : 1;
  L.PlaneSamples = L.Planes > 1 ? 1 : spp;
  const std::uint64_t pixelBits = std::uint64_t(L.PlaneSamples) * bps;
  L.RowBytes = static_cast<Cardinal>((std::uint64_t(P.Width) * pixelBits + 7) / 8);

  if (L.Tiled) {
    if (P.TileWidth > kMaxImageSide || P.TileLength > kMaxImageSide ||
        std::uint64_t(P.TileWidth) * P.TileLength > kMaxImagePixels || (P.TileWidth * pixelBits) % 8 != 0)
      ImageFormatError(imgmsg::InvalidImage, {FormatName});
    L.BlockWidth = P.TileWidth;
    L.BlockRows = P.TileLength;
    L.BlockRowBytes = static_cast<Cardinal>(P.TileWidth * pixelBits / 8);
    L.BlocksAcross = (P.Width + P.TileWidth - 1) / P.TileWidth;
    L.BlocksDown = (P.Height + P.TileLength - 1) / P.TileLength;
    Directory.GetValueList(tifftag::TileOffsets, L.Offsets);
    Directory.GetValueList(tifftag::TileByteCounts, L.ByteCounts);
  } else {
    L.BlockWidth = P.Width;
    L.BlockRows = P.RowsPerStrip.empty() ? P.Height : P.RowsPerStrip[0];
    L.BlockRowBytes = L.RowBytes;
    L.BlocksDown = (P.Height + L.BlockRows - 1) / L.BlockRows;
    Directory.GetValueList(tifftag::StripOffsets, L.Offsets);
    Directory.GetValueList(tifftag::StripByteCounts, L.ByteCounts);
  }
  // A block of subsampled data holds whole groups: only the image's last block row (or
  // column of tiles) may end inside one.
  if (L.Subsampled() && ((L.BlocksDown > 1 && L.BlockRows % L.VSubsampling != 0) ||
                         (L.BlocksAcross > 1 && L.BlockWidth % L.HSubsampling != 0)))
    ImageFormatError(imgmsg::InvalidImage, {FormatName});

  const std::uint64_t perPlane = std::uint64_t(L.BlocksAcross) * L.BlocksDown;
  const std::uint64_t needed = perPlane * L.Planes;
  if (L.Offsets.size() < needed) ImageFormatError(imgmsg::InvalidImage, {FormatName});
  L.Offsets.resize(static_cast<std::size_t>(needed));
  P.StripCount = static_cast<Cardinal>(needed);

  auto blockBytes = [&](std::uint64_t index) -> std::uint64_t {
    if (L.Tiled) return L.StoredBytes(L.BlockRows);
    std::uint64_t down = index % perPlane;
    std::uint64_t rows = std::min<std::uint64_t>(L.BlockRows, P.Height - down * L.BlockRows);
    return L.StoredBytes(static_cast<Cardinal>(rows));
  };

  if (L.ByteCounts.empty()) {
    // Old writers left out the sizes of uncompressed strips; they follow from the layout.
    if (P.Compression != ctNone) ImageFormatError(imgmsg::InvalidImage, {FormatName});
    L.ByteCounts.resize(static_cast<std::size_t>(needed));
    for (std::uint64_t i = 0; i < needed; ++i) L.ByteCounts[i] = static_cast<Cardinal>(blockBytes(i));
  }
  if (L.ByteCounts.size() < needed) ImageFormatError(imgmsg::InvalidImage, {FormatName});
  L.ByteCounts.resize(static_cast<std::size_t>(needed));

  std::uint64_t packed = 0, unpacked = 0;
  for (std::uint64_t i = 0; i < needed; ++i) {
    if (L.ByteCounts[i] > 0x7FFFFFFFu || !Directory.InRange(L.Offsets[i], L.ByteCounts[i]))
      ImageFormatError(imgmsg::StreamReadError, {FormatName});
    packed += L.ByteCounts[i];
    unpacked += blockBytes(i);
  }
  if (unpacked > packed * ExpansionLimit(P.Compression) + 4096) ImageFormatError(imgmsg::StreamReadError, {FormatName});
  return L;
}

void TIFFUndoPredictor(Byte* Row, Cardinal Pixels, Cardinal Samples, Cardinal BitsPerSample, bool BigEndian) {
  if (Pixels < 2) return;
  const std::size_t count = std::size_t(Pixels) * Samples;
  if (BitsPerSample == 8) {
    for (std::size_t i = Samples; i < count; ++i) Row[i] = static_cast<Byte>(Row[i] + Row[i - Samples]);
  } else if (BitsPerSample == 16) {
    for (std::size_t i = Samples; i < count; ++i) {
      Byte* cur = Row + 2 * i;
      const Byte* left = Row + 2 * (i - Samples);
      Word v = BigEndian ? Word(bytes::LoadBE16(cur) + bytes::LoadBE16(left))
                         : Word(bytes::LoadLE16(cur) + bytes::LoadLE16(left));
      if (BigEndian) {
        cur[0] = static_cast<Byte>(v >> 8);
        cur[1] = static_cast<Byte>(v);
      } else {
        bytes::StoreLE16(cur, v);
      }
    }
  }
}

void DecodeTIFFBlocks(const TTIFFDirectory& Directory, TImageProperties& P, const TTIFFBlockLayout& L,
                      TColorManager& ColorManager, TBitmap& Target, const char* FormatName,
                      const std::function<void(Cardinal Row, Cardinal Height)>& Progress) {
  std::unique_ptr<TDecoder> decoder = MakeDecoder(Directory, P, L, FormatName);
  if (decoder) decoder->DecodeInit();
  struct TEnd {
    TDecoder* D;
    ~TEnd() {
      if (!D) return;
      try {
        D->DecodeEnd();
      } catch (...) {
      }
    }
  } end{decoder.get()};

  const bool reversed = (P.Options & ioReversed) != 0 && !IsFax(P.Compression);
  const bool predictor = P.Predictor == 2;
  const bool bigEndian = (P.Options & ioBigEndian) != 0;
  const bool direct = !L.Tiled;
  const std::uint64_t perPlane = std::uint64_t(L.BlocksAcross) * L.BlocksDown;

  std::vector<TByteArray> band(L.Planes, TByteArray(std::size_t(L.BlockRows) * L.RowBytes));
  TByteArray block(direct ? 0 : std::size_t(L.BlockRows) * L.BlockRowBytes);
  TByteArray raw;
  // Subsampled data as stored, before it is expanded into the block.
  TByteArray grouped;
  std::vector<const void*> rowPointers(L.Planes);

  auto decodeBlock = [&](std::size_t index, Byte* into, Cardinal rows) {
    // Within the image's limits: a block of 2^27 pixels of 4 16-bit samples fits.
    const Cardinal expected = static_cast<Cardinal>(L.StoredBytes(rows));
    if (L.Subsampled()) grouped.resize(expected);
    Byte* dest = L.Subsampled() ? grouped.data() : into;
    const Cardinal count = L.ByteCounts[index];
    const Cardinal offset = L.Offsets[index];
    if (!decoder) {
      if (count < expected) ImageFormatError(imgmsg::StreamReadError, {FormatName});
      Directory.ReadAt(offset, dest, expected);
      if (reversed) std::transform(dest, dest + expected, dest, ReverseBits);
      if (L.Subsampled()) UpsampleYCbCr(dest, expected, into, L.BlockWidth, rows, L.HSubsampling, L.VSubsampling);
      return;
    }
    raw.resize(count);
    Directory.ReadAt(offset, raw.data(), count);
    if (reversed) std::transform(raw.begin(), raw.end(), raw.begin(), ReverseBits);
    std::fill_n(dest, expected, 0);
    const void* src = raw.data();
    void* dst = dest;
    decoder->Decode(src, dst, Integer(count), Integer(expected));
    const Cardinal made = static_cast<Cardinal>(static_cast<Byte*>(dst) - dest);
    if (P.Compression == ctLZ77 && static_cast<TLZ77Decoder*>(decoder.get())->Status() < 0)
      ImageFormatError(imgmsg::CompressionError, {FormatName});
    // Fax lines that are missing stay white; other data that ends early is an error.
    if (!IsFax(P.Compression) && P.Compression != ctJPEG && made < expected)
      ImageFormatError(imgmsg::CompressionError, {FormatName});
    if (L.Subsampled()) UpsampleYCbCr(dest, expected, into, L.BlockWidth, rows, L.HSubsampling, L.VSubsampling);
  };

  for (Cardinal by = 0; by < L.BlocksDown; ++by) {
    const Cardinal firstRow = by * L.BlockRows;
    const Cardinal bandRows = std::min(L.BlockRows, P.Height - firstRow);
    for (Cardinal plane = 0; plane < L.Planes; ++plane) {
      for (Cardinal bx = 0; bx < L.BlocksAcross; ++bx) {
        const std::size_t index = static_cast<std::size_t>(plane * perPlane + std::uint64_t(by) * L.BlocksAcross + bx);
        const Cardinal rows = L.Tiled ? L.BlockRows : bandRows;
        Byte* dest = direct ? band[plane].data() : block.data();
        P.CurrentRow = firstRow;
        P.CurrentStrip = static_cast<Cardinal>(index);
        decodeBlock(index, dest, rows);
        if (predictor)
          for (Cardinal r = 0; r < rows; ++r)
            TIFFUndoPredictor(dest + std::size_t(r) * L.BlockRowBytes, L.BlockWidth, L.PlaneSamples, P.BitsPerSample,
                              bigEndian);
        if (!direct) {
          const std::size_t column = std::size_t(bx) * L.BlockRowBytes;
          const std::size_t width = std::min<std::size_t>(L.BlockRowBytes, L.RowBytes - column);
          for (Cardinal r = 0; r < bandRows; ++r)
            std::memcpy(band[plane].data() + std::size_t(r) * L.RowBytes + column,
                        block.data() + std::size_t(r) * L.BlockRowBytes, width);
        }
      }
    }
    for (Cardinal r = 0; r < bandRows; ++r) {
      for (Cardinal plane = 0; plane < L.Planes; ++plane)
        rowPointers[plane] = band[plane].data() + std::size_t(r) * L.RowBytes;
      ColorManager.ConvertRow(std::span<const void* const>(rowPointers.data(), rowPointers.size()),
                              Target.ScanLine(Integer(firstRow + r)), P.Width, 0xFF);
      if (Progress) Progress(firstRow + r, P.Height);
    }
  }
}
