#include "imageformats/png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imageformats/decoders.h"

namespace {

const char* const kPNG = "PNG";
const Byte kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Chunk types compare with bit 5 of every letter ignored.
constexpr Cardinal ChunkType(const char (&t)[5]) {
  return (Cardinal(Byte(t[0])) << 24) | (Cardinal(Byte(t[1])) << 16) | (Cardinal(Byte(t[2])) << 8) |
         Cardinal(Byte(t[3]));
}
constexpr Cardinal kTypeMask = 0xDFDFDFDFu;
constexpr Cardinal kIHDR = ChunkType("IHDR") & kTypeMask;
constexpr Cardinal kIDAT = ChunkType("IDAT") & kTypeMask;
constexpr Cardinal kIEND = ChunkType("IEND") & kTypeMask;
constexpr Cardinal kPLTE = ChunkType("PLTE") & kTypeMask;
constexpr Cardinal kGAMA = ChunkType("gAMA") & kTypeMask;
constexpr Cardinal kBKGD = ChunkType("bKGD") & kTypeMask;
constexpr Cardinal kTRNS = ChunkType("tRNS") & kTypeMask;

// Deflate cannot expand its input by more than this factor.
constexpr std::uint64_t kMaxInflateRatio = 1032;

struct TAdam7Pass {
  Cardinal StartRow, RowStep, StartColumn, ColumnStep;
  Byte Mask;
};
const TAdam7Pass kPasses[7] = {
    {0, 8, 0, 8, 0x80}, {0, 8, 4, 8, 0x08}, {4, 8, 0, 4, 0x88}, {0, 4, 2, 4, 0x22},
    {2, 4, 0, 2, 0xAA}, {0, 2, 1, 2, 0x55}, {1, 2, 0, 1, 0xFF},
};

// The pairs of colour type and bit depth that PNG allows.
bool ValidColorFormat(Byte ColorType, Byte Depth) {
  switch (ColorType) {
    case 0: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8 || Depth == 16;
    case 3: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8;
    case 2:
    case 4:
    case 6: return Depth == 8 || Depth == 16;
    default: return false;
  }
}

struct TChunkHeader {
  Cardinal Length = 0;
  Byte Type[4] = {0, 0, 0, 0};
  Cardinal Key() const { return bytes::LoadBE32(Type) & kTypeMask; }
  bool Critical() const { return (Type[0] & 0x20) == 0; }
};

Byte PaethPredictor(Byte a, Byte b, Byte c) {
  int p = int(a) + int(b) - int(c);
  int pa = std::abs(p - int(a)), pb = std::abs(p - int(b)), pc = std::abs(p - int(c));
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

}  // namespace

void PNGUnfilterRow(Byte* Row, const Byte* Previous, Cardinal Length, Cardinal Distance) {
  if (Length <= 1) return;
  Byte* x = Row + 1;
  const Byte* b = Previous + 1;
  Cardinal n = Length - 1;
  switch (Row[0]) {
    case 1:
      for (Cardinal i = Distance; i < n; ++i) x[i] = Byte(x[i] + x[i - Distance]);
      break;
    case 2:
      for (Cardinal i = 0; i < n; ++i) x[i] = Byte(x[i] + b[i]);
      break;
    case 3:
      for (Cardinal i = 0; i < n; ++i) {
        Cardinal a = i >= Distance ? x[i - Distance] : 0;
        x[i] = Byte(x[i] + ((a + b[i]) >> 1));
      }
      break;
    case 4:
      for (Cardinal i = 0; i < n; ++i) {
        Byte a = i >= Distance ? x[i - Distance] : 0;
        Byte c = i >= Distance ? b[i - Distance] : 0;
        x[i] = Byte(x[i] + PaethPredictor(a, b[i], c));
      }
      break;
    default:  // 0 none; unknown filters leave the bytes as read
      break;
  }
}

// The state of one load. It reads the stream strictly in order, checks every chunk
// against the bytes left before reading it, and decodes into the staged bitmap.
class TPNGGraphic::TLoader {
 public:
  TLoader(TPNGGraphic& Owner, TStream& Stream, TBitmap& Target)
      : FOwner(Owner), FStream(Stream), FTarget(Target), FProps(Owner.FImageProperties) {}

  void Run();

 private:
  void ReadHeader(TChunkHeader& Header);
  // The next chunk's header; at the end of the file an IEND stands in and FAtEnd is set.
  void NextHeader(TChunkHeader& Header);
  void ReadData(const TChunkHeader& Header);
  void SkipData(const TChunkHeader& Header);
  void PrescanChunks();

  void ColorSetup();
  void ReadPalette(const TChunkHeader& Header);
  void ReadGamma(const TChunkHeader& Header);
  TColor ReadColorValue(const TChunkHeader& Header);
  void ReadTransparency(const TChunkHeader& Header);
  void ReadImageData(TChunkHeader& Header);
  void ReadRow(TChunkHeader& Header, Byte* Row, Cardinal Length);
  Cardinal RowLength(Cardinal Pixels) const;
  Byte* ScanLine(Cardinal Row) { return static_cast<Byte*>(FTarget.ScanLine(Integer(Row))); }

  TPNGGraphic& FOwner;
  TStream& FStream;
  TBitmap& FTarget;
  TImageProperties& FProps;
  TColorManager& CM() { return FOwner.ColorManager(); }

  Byte FColorType = 0;
  std::unique_ptr<TLZ77Decoder> FDecoder;
  TByteArray FRaw;                 // the current chunk's data
  const Byte* FInput = nullptr;    // decoder input within FRaw
  Cardinal FIDATSize = 0;          // input bytes not yet used
  Cardinal FCrc = 0;
  Cardinal FBytesPerPixel = 1;
  bool FColorSetupDone = false;
  Cardinal FPaletteSize = 0;
  TByteArray FPaletteData;
  bool FImageDone = false;
  bool FStreamEnded = false;
  bool FAtEnd = false;
  std::uint64_t FTotalIDAT = 0;
  TByteArray FTransparency;
  TColor FTransparentColor = clNoTransparency;
  TColor FBackgroundColor = 0xFFFFFF;
};

void TPNGGraphic::TLoader::ReadHeader(TChunkHeader& Header) {
  Byte buf[8];
  if (StreamBytesLeft(FStream) < 8 || FStream.Read(buf, 8) != 8) ImageFormatError(imgmsg::StreamReadError, {kPNG});
  Header.Length = bytes::LoadBE32(buf);
  std::memcpy(Header.Type, buf + 4, 4);
  // A length above 2^31 - 1 is not PNG; one past the end is a cut file. Both are
  // refused before anything is allocated for the data.
  if (Header.Length > 0x7FFFFFFFu) ImageFormatError(imgmsg::InvalidImage, {kPNG});
  if (Int64(Header.Length) + 4 > StreamBytesLeft(FStream)) ImageFormatError(imgmsg::StreamReadError, {kPNG});
  FCrc = crc32(0, Header.Type, 4);
}

void TPNGGraphic::TLoader::NextHeader(TChunkHeader& Header) {
  if (StreamBytesLeft(FStream) < 8) {
    FAtEnd = true;
    Header = TChunkHeader();
    std::memcpy(Header.Type, "IEND", 4);
    return;
  }
  ReadHeader(Header);
}

void TPNGGraphic::TLoader::ReadData(const TChunkHeader& Header) {
  FRaw.resize(Header.Length);
  Byte crc[4];
  if (FStream.Read(FRaw.data(), Header.Length) != Int64(Header.Length) || FStream.Read(crc, 4) != 4)
    ImageFormatError(imgmsg::StreamReadError, {kPNG});
  FCrc = crc32(FCrc, FRaw.data(), Header.Length);
  if (FCrc != bytes::LoadBE32(crc)) ImageFormatError(imgmsg::CRCError, {kPNG});
}

void TPNGGraphic::TLoader::SkipData(const TChunkHeader& Header) {
  FStream.Seek(Int64(Header.Length) + 4, soFromCurrent);
}

// Walks every chunk header once, so that lengths are known to fit and the image data's
// size is known before the bitmap is allocated.
void TPNGGraphic::TLoader::PrescanChunks() {
  Int64 start = FStream.Position();
  TChunkHeader header;
  for (;;) {
    if (StreamBytesLeft(FStream) < 8) break;  // a missing IEND is judged later
    ReadHeader(header);
    if (header.Key() == kIDAT) FTotalIDAT += header.Length;
    SkipData(header);
    if (header.Key() == kIEND) break;
  }
  FStream.Seek(start, soFromBeginning);
}

Cardinal TPNGGraphic::TLoader::RowLength(Cardinal Pixels) const {
  Cardinal depth = FProps.BitsPerSample;
  Cardinal factor = std::max<Cardinal>(depth == 16 ? FBytesPerPixel / 2 : FBytesPerPixel, 1);
  return static_cast<Cardinal>((std::uint64_t(Pixels) * depth + 7) / 8 * factor + 1);
}

// The colour type and depth were checked against each other with the header.
void TPNGGraphic::TLoader::ColorSetup() {
  const Byte depth = FProps.BitsPerSample;
  TColorScheme scheme = csUndefined;
  Cardinal samples = 1;  // stored per pixel
  switch (FColorType) {
    case 0: scheme = csGray; break;
    case 2: scheme = csRGB; samples = 3; break;
    case 3: scheme = csIndexed; break;
    case 4: scheme = csGrayAlpha; samples = 2; break;
    case 6: scheme = csRGBA; samples = 4; break;
    default: ImageFormatError(imgmsg::InvalidColorFormat, {kPNG});
  }
  TColorManager& cm = CM();
  cm.SetSourceOptions(coNeedByteSwap);  // 16-bit samples are stored high byte first
  cm.SetSourceBitsPerSample(depth);
  // Grey with alpha becomes 32-bit BGRA so that sprites keep their transparency.
  SetReaderSchemes(cm, scheme);
  // Grey and indices keep their depth, but 2 bits are widened to 4 (indices keep their
  // value: no grey rescaling) and 16-bit grey is reduced to 8; colour becomes 8 bits.
  const bool oneSample = samples == 1;
  cm.SetTargetBitsPerSample(oneSample ? (depth == 2 ? 4 : depth == 16 ? 8 : depth) : 8);
  FTarget.SetPixelFormat(cm.GetPixelFormat(true));
  FColorSetupDone = true;
  FBytesPerPixel = std::max<Cardinal>(samples * depth / 8, 1);
}

void TPNGGraphic::TLoader::ReadPalette(const TChunkHeader& Header) {
  if (Header.Length % 3 != 0 || Header.Length == 0 || Header.Length > 3 * 256)
    ImageFormatError(imgmsg::InvalidPalette, {kPNG});
  ReadData(Header);
  if (FColorType != 3) return;  // a suggested palette of a colour image is not needed
  ColorSetup();
  FPaletteData = FRaw;
  FPaletteSize = Header.Length / 3;
}

void TPNGGraphic::TLoader::ReadGamma(const TChunkHeader& Header) {
  if (Header.Length != 4) ImageFormatError(imgmsg::InvalidImage, {kPNG});
  ReadData(Header);
  Cardinal value = bytes::LoadBE32(FRaw.data());
  CM().SetGamma(2.2f, static_cast<Single>(value / 100000.0));
  CM().SetTargetOptions(CM().TargetOptions() | coApplyGamma);
  FProps.Options |= ioUseGamma;
  FProps.FileGamma = static_cast<Single>(value / 100000.0);
}

// bKGD and tRNS colours: three 16-bit values (RGB), or one grey value. Chunks shorter
// than their colour type needs are refused.
TColor TPNGGraphic::TLoader::ReadColorValue(const TChunkHeader& Header) {
  const Byte depth = FProps.BitsPerSample;
  auto scale = [depth](Cardinal v) -> Cardinal {
    if (depth == 16) return v * 255 / 65535;
    if (depth == 8) return v & 0xFF;
    return v * 255 / ((1u << depth) - 1);  // grey of 1, 2 or 4 bits
  };
  if (FColorType == 2 || FColorType == 6) {
    if (Header.Length < 6) ImageFormatError(imgmsg::InvalidImage, {kPNG});
    ReadData(Header);
    Cardinal r = scale(bytes::LoadBE16(FRaw.data()) & (depth == 16 ? 0xFFFF : 0xFF));
    Cardinal g = scale(bytes::LoadBE16(FRaw.data() + 2) & (depth == 16 ? 0xFFFF : 0xFF));
    Cardinal b = scale(bytes::LoadBE16(FRaw.data() + 4) & (depth == 16 ? 0xFFFF : 0xFF));
    return TColor(r | (g << 8) | (b << 16));
  }
  if (Header.Length < 2) ImageFormatError(imgmsg::InvalidImage, {kPNG});
  ReadData(Header);
  Cardinal raw = bytes::LoadBE16(FRaw.data());
  Cardinal v = depth == 16 ? scale(raw) : scale(raw & ((1u << depth) - 1));
  return TColor(v | (v << 8) | (v << 16));
}

void TPNGGraphic::TLoader::ReadTransparency(const TChunkHeader& Header) {
  if (FColorType == 3) {
    ReadData(Header);
    FTransparency.assign(256, 255);
    std::copy_n(FRaw.begin(), std::min<std::size_t>(FRaw.size(), 256), FTransparency.begin());
  } else if (FColorType == 0 || FColorType == 2) {
    FTransparentColor = ReadColorValue(Header);
  } else {
    SkipData(Header);  // images with an alpha channel have no tRNS
  }
}

void TPNGGraphic::TLoader::ReadRow(TChunkHeader& Header, Byte* Row, Cardinal Length) {
  Byte* out = Row;
  Cardinal missing = Length;
  while (missing > 0) {
    if (FStreamEnded) ImageFormatError(imgmsg::ExtraCompressedData, {kPNG});
    if (FIDATSize == 0) {
      // Next image-data chunk; empty ones are passed over.
      do {
        // The image data ends before the image does.
        if (Header.Key() != kIDAT) ImageFormatError(FAtEnd ? imgmsg::StreamReadError : imgmsg::CompressionError, {kPNG});
        ReadData(Header);
        FInput = FRaw.data();
        FIDATSize = Header.Length;
        NextHeader(Header);
      } while (FIDATSize == 0);
    }
    const void* src = FInput;
    void* dst = out;
    FDecoder->Decode(src, dst, Integer(FIDATSize), Integer(missing));
    Cardinal used = static_cast<Cardinal>(static_cast<const Byte*>(src) - FInput);
    Cardinal made = static_cast<Cardinal>(static_cast<Byte*>(dst) - out);
    FInput += used;
    FIDATSize -= used;
    out += made;
    missing -= made;
    Integer status = FDecoder->Status();
    if (status == Z_STREAM_END) {
      FStreamEnded = true;
      if (FIDATSize > 0 || missing > 0) ImageFormatError(imgmsg::ExtraCompressedData, {kPNG});
    } else if (status != Z_OK) {
      ImageFormatError(imgmsg::CompressionError, {kPNG});
    } else if (used == 0 && made == 0 && FIDATSize > 0) {
      ImageFormatError(imgmsg::CompressionError, {kPNG});
    }
  }
}

// The image-data step: Header is the first IDAT chunk's header; on return it is the
// header of the first chunk after the image data.
void TPNGGraphic::TLoader::ReadImageData(TChunkHeader& Header) {
  const Cardinal width = FProps.Width, height = FProps.Height;
  FOwner.ProgressEnd();
  FOwner.ProgressStart(imgmsg::Transfering);
  if (!FColorSetupDone) {
    if (FColorType == 3) ImageFormatError(imgmsg::InvalidPalette, {kPNG});
    ColorSetup();
  }

  // The whole raw image must be within reach of the compressed data.
  std::uint64_t rawBytes = 0;
  if (FProps.Interlaced) {
    for (const TAdam7Pass& pass : kPasses) {
      if (width <= pass.StartColumn || height <= pass.StartRow) continue;
      Cardinal pixels = (width + pass.ColumnStep - 1 - pass.StartColumn) / pass.ColumnStep;
      Cardinal rows = (height + pass.RowStep - 1 - pass.StartRow) / pass.RowStep;
      rawBytes += std::uint64_t(RowLength(pixels)) * rows;
    }
  } else {
    rawBytes = std::uint64_t(RowLength(width)) * height;
  }
  if (rawBytes > FTotalIDAT * kMaxInflateRatio + 64) ImageFormatError(imgmsg::CompressionError, {kPNG});

  FTarget.SetSize(Integer(width), Integer(height));
  if (FColorType == 3) {
    FTarget.SetPalette(CM().CreateColorPalette({FPaletteData.data()}, pfInterlaced8Triple, FPaletteSize, false));
  } else if (FColorType == 0) {
    FTarget.SetPalette(CM().CreateGrayscalePalette(false));
  }
  // Rows not decoded yet show the file's background colour.
  TCanvas* canvas = FTarget.Canvas();
  canvas->Brush()->SetColor(FBackgroundColor);
  canvas->FillRect(TRect{0, 0, Integer(width), Integer(height)});
  if (FTransparentColor != clNoTransparency) {
    FTarget.SetTransparentColor(FTransparentColor);
    FTarget.SetTransparent(true);
  }

  const Cardinal fullLength = RowLength(width);
  TByteArray bufA(fullLength, 0), bufB(fullLength, 0);
  Byte* current = bufA.data();
  Byte* previous = bufB.data();
  FOwner.FProgressRect = TRect{0, 0, Integer(width), 1};

  if (!FProps.Interlaced) {
    for (Cardinal y = 0; y < height; ++y) {
      ReadRow(Header, current, fullLength);
      PNGUnfilterRow(current, previous, fullLength, FBytesPerPixel);
      CM().ConvertRow({current + 1}, ScanLine(y), width, 0xFF);
      std::swap(current, previous);
      FProps.CurrentRow = y;
      FOwner.ProgressRow(y, height);
    }
  } else {
    for (int p = 0; p < 7; ++p) {
      const TAdam7Pass& pass = kPasses[p];
      if (width <= pass.StartColumn) continue;
      Cardinal pixels = (width + pass.ColumnStep - 1 - pass.StartColumn) / pass.ColumnStep;
      Cardinal length = RowLength(pixels);
      std::fill_n(previous, length, 0);
      for (Cardinal y = pass.StartRow; y < height; y += pass.RowStep) {
        ReadRow(Header, current, length);
        PNGUnfilterRow(current, previous, length, FBytesPerPixel);
        CM().ConvertRow({current + 1}, ScanLine(y), width, pass.Mask);
        std::swap(current, previous);
        if (p == 6) FOwner.ProgressRow(y, height);
      }
    }
  }
  FImageDone = true;
  // The rest of the image data (an end of the zlib stream in its own chunk) is passed over.
  while (Header.Key() == kIDAT && !FAtEnd) {
    SkipData(Header);
    NextHeader(Header);
  }
}

void TPNGGraphic::TLoader::Run() {
  FStream.Seek(FOwner.FBasePosition + 8, soFromBeginning);
  FOwner.FProgressRect = TRect{0, 0, Integer(FProps.Width), 1};
  FOwner.ProgressStart(imgmsg::Preparing);
  PrescanChunks();

  TChunkHeader header;
  ReadHeader(header);
  if (header.Key() != kIHDR || header.Length != 13) ImageFormatError(imgmsg::InvalidImage, {kPNG});
  ReadData(header);
  FColorType = FRaw[9];
  // Refused before any chunk that depends on the depth is read.
  if (!ValidColorFormat(FColorType, FRaw[8])) ImageFormatError(imgmsg::InvalidColorFormat, {kPNG});
  if (FProps.Compression != ctLZ77)
    ImageFormatError(imgmsg::UnknownCompression, {imgmsg::CompressionScheme, kPNG});
  if (FRaw[12] > 1) ImageFormatError(imgmsg::InvalidImage, {kPNG});

  FDecoder = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, false);
  FDecoder->DecodeInit();
  struct TEnd {
    TLZ77Decoder* D;
    ~TEnd() {
      try {
        D->DecodeEnd();
      } catch (...) {
      }
    }
  } end{FDecoder.get()};

  NextHeader(header);
  for (;;) {
    const Cardinal key = header.Key();
    if (key == kIEND) {
      // A file cut before its image data ends has no image; one cut after it is whole.
      if (FAtEnd && !FImageDone) ImageFormatError(imgmsg::StreamReadError, {kPNG});
      break;
    }
    if (key == kIDAT) {
      if (FImageDone) {
        SkipData(header);  // image data after the end of the image is ignored
      } else {
        ReadImageData(header);
        continue;  // header is already the next chunk's
      }
    } else if (key == kPLTE) {
      ReadPalette(header);
    } else if (key == kGAMA) {
      ReadGamma(header);
    } else if (key == kBKGD) {
      if (FColorType == 3) {
        if (header.Length < 1) ImageFormatError(imgmsg::InvalidImage, {kPNG});
        ReadData(header);
        Cardinal index = FRaw[0];
        if (index < FPaletteSize)
          FBackgroundColor = TColor(FPaletteData[index * 3] | (FPaletteData[index * 3 + 1] << 8) |
                                    (FPaletteData[index * 3 + 2] << 16));
      } else {
        FBackgroundColor = ReadColorValue(header);
      }
    } else if (key == kTRNS) {
      ReadTransparency(header);
    } else if (header.Critical()) {
      ImageFormatError(imgmsg::UnknownCriticalChunk);
    } else {
      SkipData(header);
    }
    NextHeader(header);
  }
  if (!FImageDone) ImageFormatError(imgmsg::InvalidImage, {kPNG});
  FOwner.ProgressEnd();

  FOwner.FTransparencyData = std::move(FTransparency);
  FOwner.FTransparentColor = FTransparentColor;
  FOwner.FBackgroundColor = FBackgroundColor;
}

// ---- TPNGGraphic --------------------------------------------------------------------

const TClass& TPNGGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPNGGraphic>("TPNGGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPNGGraphic::TPNGGraphic() = default;
TPNGGraphic::~TPNGGraphic() = default;

bool TPNGGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPNGGraphic>(FileName); }

bool TPNGGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  if (StreamBytesLeft(Stream) >= 9) {
    Byte sig[8];
    result = Stream.Read(sig, 8) == 8 && std::memcmp(sig, kSignature, 8) == 0;
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPNGGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  FStream = &Stream;
  TImageProperties& p = FImageProperties;
  Byte sig[8];
  if (StreamBytesLeft(Stream) < 8 + 8 + 13 + 4) return false;
  if (Stream.Read(sig, 8) != 8 || std::memcmp(sig, kSignature, 8) != 0) return false;

  Byte head[8];
  Stream.ReadBuffer(head, 8);
  // IHDR must come first and be whole: a short one is refused.
  if ((bytes::LoadBE32(head + 4) & kTypeMask) != kIHDR || bytes::LoadBE32(head) != 13) return false;
  Byte data[13], crc[4];
  Stream.ReadBuffer(data, 13);
  Stream.ReadBuffer(crc, 4);
  Cardinal check = crc32(crc32(0, head + 4, 4), data, 13);
  if (check != bytes::LoadBE32(crc)) ImageFormatError(imgmsg::CRCError, {kPNG});

  p.Options |= ioBigEndian;
  p.Width = bytes::LoadBE32(data);
  p.Height = bytes::LoadBE32(data + 4);
  if (p.Width == 0 || p.Height == 0) return false;
  p.Compression = data[10] == 0 ? ctLZ77 : ctUnknown;
  p.BitsPerSample = data[8];
  switch (data[9]) {
    case 0: p.ColorScheme = csGray; p.SamplesPerPixel = 1; break;
    case 2: p.ColorScheme = csRGB; p.SamplesPerPixel = 3; break;
    case 3: p.ColorScheme = csIndexed; p.SamplesPerPixel = 1; break;
    case 4: p.ColorScheme = csGrayAlpha; p.SamplesPerPixel = 1; break;
    case 6: p.ColorScheme = csRGBA; p.SamplesPerPixel = 4; break;
    default: p.ColorScheme = csUndefined; p.SamplesPerPixel = 1; break;
  }
  p.BitsPerPixel = static_cast<Byte>(p.SamplesPerPixel * p.BitsPerSample);
  p.FilterMode = data[11];
  p.Interlaced = data[12] != 0;
  p.HasAlpha = p.ColorScheme == csGrayAlpha || p.ColorScheme == csRGBA || p.ColorScheme == csBGRA;

  // Look for a gAMA chunk before the end.
  while (StreamBytesLeft(Stream) >= 12) {
    Stream.ReadBuffer(head, 8);
    Cardinal length = bytes::LoadBE32(head);
    Cardinal key = bytes::LoadBE32(head + 4) & kTypeMask;
    if (length > 0x7FFFFFFFu || Int64(length) + 4 > StreamBytesLeft(Stream)) break;
    if (key == kIEND) break;
    if (key == kGAMA && length == 4) {
      Byte gamma[8];
      Stream.ReadBuffer(gamma, 8);
      if (crc32(crc32(0, head + 4, 4), gamma, 4) != bytes::LoadBE32(gamma + 4))
        ImageFormatError(imgmsg::CRCError, {kPNG});
      p.FileGamma = static_cast<Single>(bytes::LoadBE32(gamma) / 100000.0);
      break;
    }
    Stream.Seek(Int64(length) + 4, soFromCurrent);
  }
  return true;
}

void TPNGGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kPNG});
    CheckImageSize(FImageProperties.Width, FImageProperties.Height, kPNG);
    // A fresh colour manager: no gamma or formats left over from an earlier file.
    FColorManager = std::make_unique<TColorManager>();
    TBitmap& target = BeginImage();
    TLoader loader(*this, Stream, target);
    loader.Run();
    CommitImage();
  });
}
