#include "imageformats/autodesk_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char* const kAutodesk = "Autodesk";

constexpr Word kMagic = 0x9119;
constexpr Cardinal kHeaderSize = 32;
constexpr Cardinal kPaletteSize = 256 * 3;

}  // namespace

const TClass& TAutodeskGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TAutodeskGraphic>("TAutodeskGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TAutodeskGraphic::TAutodeskGraphic() = default;
TAutodeskGraphic::~TAutodeskGraphic() = default;

bool TAutodeskGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TAutodeskGraphic>(FileName); }

bool TAutodeskGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) >= Int64(kHeaderSize) + 1 && Stream.Read(h, kHeaderSize) == Int64(kHeaderSize))
    result = bytes::LoadLE16(h) == kMagic && h[10] == 8 && h[11] == 0;
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TAutodeskGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) < Int64(kHeaderSize) || Stream.Read(h, kHeaderSize) != Int64(kHeaderSize)) return false;
  if (bytes::LoadLE16(h) != kMagic) return false;
  TImageProperties& p = FImageProperties;
  p.Width = bytes::LoadLE16(h + 2);
  p.Height = bytes::LoadLE16(h + 4);
  if (p.Width == 0 || p.Height == 0) return false;
  FBitsPerPixel = h[10];
  FCompression = h[11];
  p.ColorScheme = csIndexed;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.BitsPerPixel = 8;
  p.Compression = ctNone;
  return true;
}

void TAutodeskGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kAutodesk});
    const TImageProperties& p = FImageProperties;
    // Only uncompressed 8-bit pixels are defined.
    if (FBitsPerPixel != 8 || FCompression != 0) ImageFormatError(imgmsg::InvalidColorFormat, {kAutodesk});
    CheckImageSize(p.Width, p.Height, kAutodesk);
    if (StreamBytesLeft(Stream) < Int64(kPaletteSize) + Int64(p.Width) * p.Height)
      ImageFormatError(imgmsg::StreamReadError, {kAutodesk});

    FProgressRect = TRect{0, 0, Integer(p.Width), 1};
    ProgressStart(imgmsg::Preparing);
    Byte palette[kPaletteSize];
    Stream.ReadBuffer(palette, kPaletteSize);
    // 6-bit components.
    for (Byte& v : palette) v = static_cast<Byte>(std::min<Byte>(v, 63) * 4);
    FColorManager = std::make_unique<TColorManager>();

    TBitmap& target = BeginImage();
    target.SetPixelFormat(pf8bit);
    target.SetSize(Integer(p.Width), Integer(p.Height));
    target.SetPalette(FColorManager->CreateColorPalette({palette}, pfInterlaced8Triple, 256, false));
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);
    for (Cardinal y = 0; y < p.Height; ++y) {
      Stream.ReadBuffer(target.ScanLine(Integer(y)), p.Width);
      ProgressRow(y, p.Height);
    }
    ProgressEnd();
    CommitImage();
  });
}
