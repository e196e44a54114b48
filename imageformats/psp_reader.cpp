#include "imageformats/psp_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"

namespace {

const char* const kPSP = "PSP";
const char kSignature[] = "Paint Shop Pro Image File";
constexpr Cardinal kSignatureField = 32;

enum : Word {
  kImageBlock = 0,
  kPaletteBlock = 2,
  kLayerStartBlock = 3,
  kLayerBlock = 4,
  kChannelBlock = 5,
};

enum : Word { kCompressionNone = 0, kCompressionRLE = 1, kCompressionLZ77 = 2, kCompressionJPEG = 3 };

constexpr Integer kZFinish = 4;  // zlib's flush mode that ends the stream

// The most output one input byte can give: a run-length pair makes up to 127 bytes,
// deflate a little over a thousand.
constexpr std::uint64_t kMostExpansion[3] = {1, 64, 1032};

[[noreturn]] void ReadError() { ImageFormatError(imgmsg::StreamReadError, {kPSP}); }

void ReadExact(TStream& Stream, void* Buffer, Int64 Count) {
  if (Count > 0 && Stream.Read(Buffer, Count) != Count) ReadError();
}
Word ReadWord(TStream& Stream) {
  Byte b[2];
  ReadExact(Stream, b, 2);
  return bytes::LoadLE16(b);
}
Cardinal ReadLong(TStream& Stream) {
  Byte b[4];
  ReadExact(Stream, b, 4);
  return bytes::LoadLE32(b);
}

struct TBlock {
  Word Id = 0;
  Int64 Data = 0;  // stream position of the block's data
  Int64 End = 0;   // position after the block
};

// A block header at the stream position, within Limit: False when no block starts
// there (no tilde marker, or too few bytes for a header). A block that claims to run
// past Limit is a read error.
bool ReadBlock(TStream& Stream, Word Major, Int64 Limit, TBlock& Block) {
  const Int64 at = Stream.Position();
  const Int64 headerSize = Major == 3 ? 14 : 10;
  if (Limit - at < headerSize) return false;
  Byte h[14];
  ReadExact(Stream, h, headerSize);
  if (h[0] != '~') return false;
  Block.Id = bytes::LoadLE16(h + 4);
  const Cardinal length = bytes::LoadLE32(h + (Major == 3 ? 10 : 6));
  Block.Data = at + headerSize;
  Block.End = Block.Data + length;
  if (Block.End > Limit) ReadError();
  return true;
}

// Moves to Position, which must lie within [Start, End].
void SeekWithin(TStream& Stream, Int64 Position, Int64 Start, Int64 End) {
  if (Position < Start || Position > End) ReadError();
  Stream.Seek(Position, soFromBeginning);
}

}  // namespace

// One load: the blocks after the image attributes, the first bitmap layer's channels.
class TPSPGraphic::TLoader {
 public:
  TLoader(TPSPGraphic& Owner, TStream& Stream, Word Major, std::size_t RowBytes)
      : FOwner(Owner), FStream(Stream), FMajor(Major), FPlaneSize(RowBytes * Owner.FImageProperties.Height) {}

  // Walks the top-level blocks; True when a layer with channels was read.
  bool Run(Int64 Limit) {
    TBlock block;
    while (ReadBlock(FStream, FMajor, Limit, block)) {
      if (block.Id == kPaletteBlock)
        ReadPalette(block);
      else if (block.Id == kLayerStartBlock && ReadLayers(block))
        return true;
      FStream.Seek(block.End, soFromBeginning);
    }
    return false;
  }

  std::vector<Byte> Palette;  // blue, green, red, pad per entry
  std::vector<Byte> Planes[5];  // composite, red, green, blue, alpha (empty: not given)
  Cardinal ChannelCount = 0;

 private:
  void ReadPalette(const TBlock& Block) {
    if (FMajor >= 4) ReadLong(FStream);  // chunk size
    const Cardinal count = ReadLong(FStream);
    if (Int64(count) * 4 > Block.End - FStream.Position()) ReadError();
    Palette.resize(std::size_t(std::min<Cardinal>(count, 256)) * 4);
    ReadExact(FStream, Palette.data(), Int64(Palette.size()));
  }

  bool ReadLayers(const TBlock& Start) {
    TBlock layer;
    while (ReadBlock(FStream, FMajor, Start.End, layer)) {
      if (layer.Id == kLayerBlock && ReadLayer(layer)) return true;
      FStream.Seek(layer.End, soFromBeginning);
    }
    return false;
  }

  bool ReadLayer(const TBlock& Layer) {
    Word channels = 0;
    if (FMajor == 3) {
      SeekWithin(FStream, Layer.Data + 256 + 115, Layer.Data, Layer.End);
      ReadWord(FStream);  // bitmap count
      channels = ReadWord(FStream);
    } else {
      // The layer information chunk, then the bitmap information chunk.
      const Int64 info = FStream.Position();
      const Cardinal infoSize = ReadLong(FStream);
      SeekWithin(FStream, info + infoSize, info + 4, Layer.End);
      const Int64 bitmapInfo = FStream.Position();
      const Cardinal bitmapInfoSize = ReadLong(FStream);
      ReadWord(FStream);  // bitmap count
      channels = ReadWord(FStream);
      SeekWithin(FStream, bitmapInfo + bitmapInfoSize, bitmapInfo + 8, Layer.End);
    }
    if (channels == 0) return false;
    ChannelCount = channels;
    Cardinal read = 0;
    TBlock channel;
    while (read < channels && ReadBlock(FStream, FMajor, Layer.End, channel)) {
      if (channel.Id == kChannelBlock) {
        ReadChannel(channel);
        ++read;
      }
      FStream.Seek(channel.End, soFromBeginning);
    }
    return true;
  }

  void ReadChannel(const TBlock& Block) {
    Int64 data = 0;
    Cardinal packedSize = 0;
    Word bitmapType = 0, channelType = 0;
    if (FMajor >= 4) {
      const Int64 chunk = FStream.Position();
      const Cardinal chunkSize = ReadLong(FStream);
      packedSize = ReadLong(FStream);
      ReadLong(FStream);  // unpacked size
      bitmapType = ReadWord(FStream);
      channelType = ReadWord(FStream);
      data = chunk + chunkSize;
    } else {
      packedSize = ReadLong(FStream);
      ReadLong(FStream);
      bitmapType = ReadWord(FStream);
      channelType = ReadWord(FStream);
      data = FStream.Position();
    }
    if (data < Block.Data || data > Block.End || Int64(packedSize) > Block.End - data) ReadError();
    // Image channels fill the composite, red, green and blue planes; a transparency
    // mask is the alpha. Other masks are not shown.
    int plane = -1;
    if (bitmapType == 0 && channelType <= 3)
      plane = channelType;
    else if (bitmapType == 1)
      plane = 4;
    if (plane < 0) return;
    const Word compression = FOwner.FCompression;
    if (std::uint64_t(packedSize) * kMostExpansion[compression] < FPlaneSize) ReadError();

    FStream.Seek(data, soFromBeginning);
    std::vector<Byte> packed(packedSize);
    ReadExact(FStream, packed.data(), packedSize);
    std::vector<Byte>& out = Planes[plane];
    out.assign(FPlaneSize, 0);
    const void* source = packed.data();
    void* dest = out.data();
    if (compression == kCompressionNone) {
      std::memcpy(out.data(), packed.data(), FPlaneSize);
      return;
    }
    // A decoder of its own for every channel: each is a separate stream.
    std::unique_ptr<TDecoder> decoder;
    if (compression == kCompressionRLE)
      decoder = std::make_unique<TPSPRLEDecoder>();
    else
      decoder = std::make_unique<TLZ77Decoder>(kZFinish, false);
    decoder->DecodeInit();
    try {
      decoder->Decode(source, dest, Integer(packedSize), Integer(FPlaneSize));
    } catch (...) {
      decoder->DecodeEnd();
      throw;
    }
    const bool full = static_cast<Byte*>(dest) == out.data() + FPlaneSize;
    Integer status = 0;
    if (auto* lz = dynamic_cast<TLZ77Decoder*>(decoder.get())) status = lz->Status();
    try {
      decoder->DecodeEnd();
    } catch (const EGraphicCompression&) {
      status = -1;
    }
    if (!full && status < 0) ImageFormatError(imgmsg::CompressionError, {kPSP});
    if (!full) ReadError();
  }

  TPSPGraphic& FOwner;
  TStream& FStream;
  Word FMajor;
  std::size_t FPlaneSize;
};

const TClass& TPSPGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPSPGraphic>("TPSPGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPSPGraphic::TPSPGraphic() = default;
TPSPGraphic::~TPSPGraphic() = default;

bool TPSPGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPSPGraphic>(FileName); }

bool TPSPGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[kSignatureField + 4];
  if (StreamBytesLeft(Stream) >= 37 && Stream.Read(h, sizeof h) == Int64(sizeof h))
    result = std::memcmp(h, kSignature, 25) == 0 && bytes::LoadLE16(h + kSignatureField) >= 3;
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPSPGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  Byte h[kSignatureField + 4];
  if (StreamBytesLeft(Stream) < Int64(sizeof h) || Stream.Read(h, sizeof h) != Int64(sizeof h)) return false;
  const Word major = bytes::LoadLE16(h + kSignatureField);
  if (std::memcmp(h, kSignature, 25) != 0 || major < 3) return false;
  TImageProperties& p = FImageProperties;
  p.Version = major;
  const Int64 limit = Stream.Size();
  TBlock block;
  try {
    for (;;) {
      if (!ReadBlock(Stream, major, limit, block)) return false;
      if (block.Id == kImageBlock) break;
      Stream.Seek(block.End, soFromBeginning);
    }
    if (major >= 4) ReadLong(Stream);  // chunk size
    Byte a[32];
    if (block.End - Stream.Position() < Int64(sizeof a)) return false;
    ReadExact(Stream, a, sizeof a);
    p.Width = bytes::LoadLE32(a);
    p.Height = bytes::LoadLE32(a + 4);
    const Double resolution = bytes::LoadLEF64(a + 8);
    const Byte metric = a[16];
    FCompression = bytes::LoadLE16(a + 17);
    FBitDepth = bytes::LoadLE16(a + 19);
    const bool grey = a[27] != 0;
    if (FBitDepth == 24) {
      p.ColorScheme = csRGB;
      p.BitsPerSample = 8;
      p.SamplesPerPixel = 3;
    } else {
      p.ColorScheme = grey ? csGray : csIndexed;
      p.BitsPerSample = static_cast<Byte>(std::min<Word>(FBitDepth, 255));
      p.SamplesPerPixel = 1;
    }
    p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(Cardinal(p.BitsPerSample) * p.SamplesPerPixel, 255));
    switch (FCompression) {
      case kCompressionNone: p.Compression = ctNone; break;
      case kCompressionRLE: p.Compression = ctRLE; break;
      case kCompressionLZ77: p.Compression = ctLZ77; break;
      case kCompressionJPEG: p.Compression = ctJPEG; break;
      default: p.Compression = ctUnknown; break;
    }
    const Single r = resolution > 0 && resolution < 1e9 ? static_cast<Single>(resolution) : 0.0f;
    p.XResolution = p.YResolution = metric == 2 ? r * 2.54f : r;
    Stream.Seek(block.End, soFromBeginning);
  } catch (const EInvalidGraphic&) {
    return false;  // the blocks end before the attributes are whole
  }
  return p.Width > 0 && p.Height > 0;
}

void TPSPGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kPSP});
    const TImageProperties& p = FImageProperties;
    if (FCompression > kCompressionLZ77)
      ImageFormatError(imgmsg::UnknownCompression, {imgmsg::CompressionScheme, kPSP});
    std::size_t rowBytes = 0;
    switch (FBitDepth) {
      case 1: rowBytes = (std::size_t(p.Width) + 7) / 8; break;
      case 4: rowBytes = std::size_t(p.Width) / 2 + 1; break;
      case 8:
      case 24: rowBytes = p.Width; break;
      default: ImageFormatError(imgmsg::InvalidColorFormat, {kPSP});
    }
    CheckImageSize(p.Width, p.Height, kPSP);
    const Cardinal width = p.Width, height = p.Height;
    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Preparing);
    ProgressEnd();
    ProgressStart(imgmsg::LoadingData);
    TLoader loader(*this, Stream, Word(p.Version), rowBytes);
    if (!loader.Run(Stream.Size())) ImageFormatError(imgmsg::InvalidImage, {kPSP});
    ProgressEnd();

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    const bool rgb = p.ColorScheme == csRGB;
    const bool alpha = rgb && loader.ChannelCount > 3;
    // Only a filled plane vouches for the image's size (its packed bytes were checked against
    // it): without one a few bytes could claim the largest image.
    const std::size_t planeSize = rowBytes * height;
    auto used = [&](int k) { return rgb ? (k >= 1 && k <= 3) || (k == 4 && alpha) : k == 0; };
    bool filled = false;
    for (int k = 0; k < 5; ++k) filled = filled || (used(k) && !loader.Planes[k].empty());
    if (!filled) ImageFormatError(imgmsg::InvalidImage, {kPSP});
    SetReaderSchemes(cm, rgb ? (alpha ? csRGBA : csRGB) : p.ColorScheme);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerSample);

    TBitmap& target = BeginImage();
    target.SetPixelFormat(cm.GetPixelFormat(true));
    target.SetSize(Integer(width), Integer(height));
    if (p.ColorScheme == csGray) {
      target.SetPalette(cm.CreateGrayscalePalette(false));
    } else if (p.ColorScheme == csIndexed && !loader.Palette.empty()) {
      target.SetPalette(cm.CreateColorPalette({loader.Palette.data()}, pfInterlaced8Quad,
                                              Cardinal(loader.Palette.size() / 4), true));
    }
    ProgressStart(imgmsg::Transfering);
    // Planes that no channel filled are black (and, for alpha, transparent).
    for (int k = 0; k < 5; ++k)
      if (used(k) && loader.Planes[k].empty()) loader.Planes[k].assign(planeSize, 0);
    for (Cardinal y = 0; y < height; ++y) {
      const std::size_t at = std::size_t(y) * rowBytes;
      void* out = target.ScanLine(Integer(y));
      if (!rgb)
        cm.ConvertRow({&loader.Planes[0][at]}, out, width, 0xFF);
      else if (alpha)
        cm.ConvertRow({&loader.Planes[1][at], &loader.Planes[2][at], &loader.Planes[3][at], &loader.Planes[4][at]},
                      out, width, 0xFF);
      else
        cm.ConvertRow({&loader.Planes[1][at], &loader.Planes[2][at], &loader.Planes[3][at]}, out, width, 0xFF);
      ProgressRow(y, height);
    }
    ProgressEnd();
    CommitImage();
  });
}
