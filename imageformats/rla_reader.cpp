#include "imageformats/rla_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "imageformats/decoders.h"

namespace {

const char* const kRLA = "RLA";

constexpr Cardinal kHeaderSize = 740;
constexpr Word kRevision = 0xFFFE;

// A fixed-size text field, up to its first zero, in lower case.
std::string TextField(const Byte* Data, std::size_t Size) {
  std::string s;
  for (std::size_t i = 0; i < Size && Data[i] != 0; ++i)
    s += static_cast<char>(std::tolower(static_cast<unsigned char>(Data[i])));
  return s;
}

SmallInt Signed16(const Byte* P) { return static_cast<SmallInt>(bytes::LoadBE16(P)); }

}  // namespace

const TClass& TRLAGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TRLAGraphic>("TRLAGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TRLAGraphic::TRLAGraphic() = default;
TRLAGraphic::~TRLAGraphic() = default;

bool TRLAGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TRLAGraphic>(FileName); }

bool TRLAGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  std::vector<Byte> h(kHeaderSize);
  if (StreamBytesLeft(Stream) > Int64(kHeaderSize) && Stream.Read(h.data(), kHeaderSize) == Int64(kHeaderSize)) {
    const std::string kind = TextField(&h[580], 32);
    result = bytes::LoadBE16(&h[26]) == kRevision && (kind == "rgb" || kind == "xyz");
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TRLAGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  std::vector<Byte> h(kHeaderSize);
  if (StreamBytesLeft(Stream) < Int64(kHeaderSize) || Stream.Read(h.data(), kHeaderSize) != Int64(kHeaderSize))
    return false;
  if (bytes::LoadBE16(&h[26]) != kRevision || TextField(&h[580], 32) != "rgb") return false;
  TImageProperties& p = FImageProperties;
  p.Options |= ioBigEndian;
  FColorChannels = bytes::LoadBE16(&h[20]);
  FMatteChannels = bytes::LoadBE16(&h[22]);
  const bool matte = FMatteChannels == 1;
  p.SamplesPerPixel = static_cast<Byte>(std::min<Cardinal>(FColorChannels + (matte ? 1 : 0), 255));
  p.BitsPerSample = static_cast<Byte>(std::min<Word>(bytes::LoadBE16(&h[658]), 255));
  p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(Cardinal(p.SamplesPerPixel) * p.BitsPerSample, 255));
  p.ColorScheme = matte ? csRGBA : csRGB;
  p.HasAlpha = matte;
  const std::string gamma = TextField(&h[28], 16);
  char* end = nullptr;
  const double g = std::strtod(gamma.c_str(), &end);
  if (end != gamma.c_str() && g > 0 && g < 100) p.FileGamma = static_cast<Single>(g);
  p.Compression = ctRLE;
  const Integer left = Signed16(&h[8]), right = Signed16(&h[10]);
  const Integer bottom = Signed16(&h[12]), top = Signed16(&h[14]);
  if (right < left) return false;
  p.Width = Cardinal(right - left + 1);
  p.Height = Cardinal(std::abs(bottom - top) + 1);
  p.BottomUp = bottom - top < 0;
  return true;
}

void TRLAGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kRLA});
    const TImageProperties& p = FImageProperties;
    // Three colour channels of 8 bits are what the rows are converted from.
    if (FColorChannels < 3 || p.BitsPerSample != 8) ImageFormatError(imgmsg::InvalidColorFormat, {kRLA});
    CheckImageSize(p.Width, p.Height, kRLA);
    const Cardinal width = p.Width, height = p.Height;
    const Int64 base = FBasePosition;
    const Int64 size = Stream.Size() - base;
    if (Int64(kHeaderSize) + 4 * Int64(height) > size) ImageFormatError(imgmsg::StreamReadError, {kRLA});
    // A run of at least two bytes makes at most 128.
    if ((size - Int64(kHeaderSize)) * 64 < Int64(width) * height * 3) ImageFormatError(imgmsg::StreamReadError, {kRLA});

    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Preparing);
    const bool alpha = p.ColorScheme == csRGBA;
    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    SetReaderSchemes(cm, p.ColorScheme);

    std::vector<Byte> table(std::size_t(height) * 4);
    Stream.Seek(base + kHeaderSize, soFromBeginning);
    Stream.ReadBuffer(table.data(), Int64(table.size()));

    TBitmap& target = BeginImage();
    target.SetPixelFormat(cm.GetPixelFormat(true));
    target.SetSize(Integer(width), Integer(height));
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    // Per row: every colour channel, then the matte channels, each a length and its data.
    const Cardinal planesUsed = alpha ? 4 : 3;
    const Cardinal stored = FColorChannels + (alpha ? 1 : 0);
    std::vector<Byte> planes(std::size_t(width) * planesUsed);
    std::vector<Byte> packed;
    TRLADecoder decoder;
    decoder.DecodeInit();
    for (Cardinal y = 0; y < height; ++y) {
      const Int64 offset = bytes::LoadBE32(&table[std::size_t(y) * 4]);
      if (offset < Int64(kHeaderSize) || offset >= size) ImageFormatError(imgmsg::StreamReadError, {kRLA});
      Stream.Seek(base + offset, soFromBeginning);
      for (Cardinal c = 0; c < stored; ++c) {
        Byte lengthBytes[2];
        if (Stream.Read(lengthBytes, 2) != 2) ImageFormatError(imgmsg::StreamReadError, {kRLA});
        const Word length = bytes::LoadBE16(lengthBytes);
        if (Int64(length) > StreamBytesLeft(Stream)) ImageFormatError(imgmsg::StreamReadError, {kRLA});
        // Colour channels past the third are passed over; the matte is the last plane.
        const bool used = c < 3 || (alpha && c == stored - 1);
        if (!used) {
          Stream.Seek(length, soFromCurrent);
          continue;
        }
        packed.resize(length);
        Stream.ReadBuffer(packed.data(), length);
        Byte* plane = &planes[std::size_t(c < 3 ? c : 3) * width];
        const void* source = packed.data();
        void* dest = plane;
        decoder.Decode(source, dest, Integer(length), Integer(width));
        if (static_cast<Byte*>(dest) != plane + width) ImageFormatError(imgmsg::StreamReadError, {kRLA});
      }
      const Byte* r = planes.data();
      const Integer line = Integer(p.BottomUp ? height - 1 - y : y);
      if (alpha)
        cm.ConvertRow({r, r + width, r + 2 * width, r + 3 * width}, target.ScanLine(line), width, 0xFF);
      else
        cm.ConvertRow({r, r + width, r + 2 * width}, target.ScanLine(line), width, 0xFF);
      ProgressRow(y, height);
    }
    decoder.DecodeEnd();
    ProgressEnd();
    CommitImage();
  });
}
