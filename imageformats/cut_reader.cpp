#include "imageformats/cut_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"
#include "platform/classlib/file_paths.h"

namespace {

const char* const kCUT = "CUT";

constexpr Cardinal kHeaderSize = 6;
constexpr Cardinal kBlockSize = 512;
constexpr Cardinal kFirstEntry = 40;
constexpr Cardinal kBlockUsed = 506;
constexpr Cardinal kEntrySize = 6;
// Enough palette blocks for 256 entries, with room to spare.
constexpr Int64 kMostPaletteBytes = 8 * kBlockSize;

// The companion palette: up to 256 red, green, blue triples.
std::vector<Byte> ReadPaletteFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  const Int64 size = std::min(file.Size(), kMostPaletteBytes);
  std::vector<Byte> data(static_cast<std::size_t>(std::max<Int64>(size, 0)));
  if (data.size() < kFirstEntry || file.Read(data.data(), Int64(data.size())) != Int64(data.size()))
    ImageFormatError(imgmsg::InvalidPalette, {kCUT});
  const Cardinal count = std::min<Cardinal>(Cardinal(bytes::LoadLE16(&data[12])) + 1, 256);
  std::vector<Byte> rgb;
  rgb.reserve(std::size_t(count) * 3);
  Cardinal block = 0, at = kFirstEntry;
  for (Cardinal i = 0; i < count; ++i) {
    if (kBlockUsed - at < kEntrySize) {
      ++block;
      at = 0;
    }
    const std::size_t offset = std::size_t(block) * kBlockSize + at;
    if (offset + kEntrySize > data.size()) ImageFormatError(imgmsg::InvalidPalette, {kCUT});
    // Three 16-bit values; the low byte of each is the colour.
    rgb.push_back(data[offset]);
    rgb.push_back(data[offset + 2]);
    rgb.push_back(data[offset + 4]);
    at += kEntrySize;
  }
  return rgb;
}

}  // namespace

const TClass& TCUTGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TCUTGraphic>("TCUTGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TCUTGraphic::TCUTGraphic() = default;
TCUTGraphic::~TCUTGraphic() = default;

void TCUTGraphic::LoadFromFile(const std::string& FileName) {
  FPaletteFile = ChangeFileExt(FileName, ".pal");
  // The name belongs to this load only.
  struct TForget {
    std::string& Name;
    ~TForget() { Name.clear(); }
  } forget{FPaletteFile};
  TImageFormatGraphic::LoadFromFile(FileName);
}

bool TCUTGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TCUTGraphic>(FileName); }

bool TCUTGraphic::CanLoad(TStream&) { return false; }

bool TCUTGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) < Int64(kHeaderSize) || Stream.Read(h, kHeaderSize) != Int64(kHeaderSize)) return false;
  TImageProperties& p = FImageProperties;
  p.Width = bytes::LoadLE16(h);
  p.Height = bytes::LoadLE16(h + 2);
  p.ColorScheme = csIndexed;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.BitsPerPixel = 8;
  p.Compression = ctRLE;
  return p.Width > 0 && p.Height > 0;
}

void TCUTGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kCUT});
    const TImageProperties& p = FImageProperties;
    const Cardinal width = p.Width, height = p.Height;
    CheckImageSize(width, height, kCUT);
    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Transfering);

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    std::vector<Byte> rgb;
    if (!FPaletteFile.empty() && FileExists(FPaletteFile)) rgb = ReadPaletteFile(FPaletteFile);

    // Each row is at most a length word, a header and a value per pixel, and an end mark.
    const Int64 most = Int64(height) * (2 * Int64(width) + 3);
    std::vector<Byte> data(static_cast<std::size_t>(std::min(StreamBytesLeft(Stream), most)));
    // A packet of at least two bytes makes at most 127 pixels.
    if (Int64(data.size()) * 64 < Int64(width) * height) ImageFormatError(imgmsg::StreamReadError, {kCUT});
    if (!data.empty()) Stream.ReadBuffer(data.data(), Int64(data.size()));

    TBitmap& target = BeginImage();
    target.SetPixelFormat(pf8bit);
    target.SetSize(Integer(width), Integer(height));
    if (rgb.empty()) {
      cm.SetTargetBitsPerSample(8);
      cm.SetTargetSamplesPerPixel(1);
      target.SetPalette(cm.CreateGrayscalePalette(false));
    } else {
      target.SetPalette(cm.CreateColorPalette({rgb.data()}, pfInterlaced8Triple, Cardinal(rgb.size() / 3), false));
    }

    TCUTRLEDecoder decoder;
    decoder.DecodeInit();
    const Byte* source = data.data();
    const Byte* const end = data.data() + data.size();
    for (Cardinal y = 0; y < height; ++y) {
      if (source >= end) ImageFormatError(imgmsg::StreamReadError, {kCUT});
      Byte* line = static_cast<Byte*>(target.ScanLine(Integer(y)));
      const void* s = source;
      void* d = line;
      decoder.Decode(s, d, Integer(end - source), Integer(width));
      source = static_cast<const Byte*>(s);
      // A line cut off by the end of the data, not by its end mark.
      if (static_cast<Byte*>(d) != line + width && source >= end) ImageFormatError(imgmsg::StreamReadError, {kCUT});
      ProgressRow(y, height);
    }
    decoder.DecodeEnd();
    ProgressEnd();
    CommitImage();
  });
}
