#include "imageformats/psd_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"

namespace {

const char* const kPSD = "PSD or PDD";

constexpr Cardinal kHeaderSize = 26;

enum : Word {
  kModeBitmap = 0,
  kModeGray = 1,
  kModeIndexed = 2,
  kModeRGB = 3,
  kModeCMYK = 4,
  kModeMultichannel = 7,
  kModeDuotone = 8,
  kModeLab = 9,
};

// Planes of the file that the chosen colour scheme uses.
Cardinal PlanesOf(TColorScheme Scheme) {
  switch (Scheme) {
    case csGray:
    case csIndexed: return 1;
    case csGrayAlpha: return 2;
    case csRGB:
    case csCIELab: return 3;
    case csRGBA:
    case csCMYK: return 4;
    default: return 0;
  }
}

// The signature, compared in upper case by the check and the load alike.
bool HasSignature(const Byte* Header) {
  for (int i = 0; i < 4; ++i)
    if (std::toupper(Header[i]) != "8BPS"[i]) return false;
  return bytes::LoadBE16(Header + 4) == 1;
}

}  // namespace

const TClass& TPSDGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPSDGraphic>("TPSDGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPSDGraphic::TPSDGraphic() = default;
TPSDGraphic::~TPSDGraphic() = default;

bool TPSDGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPSDGraphic>(FileName); }

bool TPSDGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) > Int64(kHeaderSize) && Stream.Read(h, kHeaderSize) == Int64(kHeaderSize))
    result = HasSignature(h);
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPSDGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  const Int64 base = Stream.Position();
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) < Int64(kHeaderSize) || Stream.Read(h, kHeaderSize) != Int64(kHeaderSize)) return false;
  if (!HasSignature(h)) return false;
  TImageProperties& p = FImageProperties;
  p.Options |= ioBigEndian;
  const Word channels = bytes::LoadBE16(h + 12);
  p.Height = bytes::LoadBE32(h + 14);
  p.Width = bytes::LoadBE32(h + 18);
  FDepth = bytes::LoadBE16(h + 22);
  FMode = bytes::LoadBE16(h + 24);
  if (p.Width == 0 || p.Height == 0 || channels == 0) return false;
  p.BitsPerSample = static_cast<Byte>(std::min<Word>(FDepth, 255));
  p.ChannelCount = static_cast<Byte>(std::min<Word>(channels, 255));
  p.SamplesPerPixel = static_cast<Byte>(std::min<Word>(channels, 4));
  switch (FMode) {
    case kModeBitmap:
      p.ColorScheme = csGray;
      p.Options |= ioMinIsWhite;
      break;
    case kModeGray:
    case kModeDuotone:
      // A second channel is the grey image's alpha.
      p.ColorScheme = channels >= 2 ? csGrayAlpha : csGray;
      break;
    case kModeIndexed: p.ColorScheme = csIndexed; break;
    case kModeRGB:
    case kModeMultichannel:
      p.ColorScheme = channels < 3 ? csUndefined : channels == 3 ? csRGB : csRGBA;
      break;
    case kModeCMYK: p.ColorScheme = channels >= 4 ? csCMYK : csUndefined; break;
    case kModeLab: p.ColorScheme = channels >= 3 ? csCIELab : csUndefined; break;
    default: p.ColorScheme = csUndefined; break;
  }
  p.HasAlpha = p.ColorScheme == csGrayAlpha || p.ColorScheme == csRGBA;
  p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(Cardinal(p.SamplesPerPixel) * p.BitsPerSample, 255));

  // Colour-mode data, image resources and layers, each a length and its bytes.
  Byte length[4];
  for (int section = 0; section < 3; ++section) {
    if (Stream.Read(length, 4) != 4) return false;
    const Cardinal n = bytes::LoadBE32(length);
    if (Int64(n) > StreamBytesLeft(Stream)) return false;
    if (section == 0) {
      FColorDataStart = Stream.Position() - base;
      FColorDataLength = n;
    }
    Stream.Seek(n, soFromCurrent);
  }
  Byte compression[2];
  if (Stream.Read(compression, 2) != 2) return false;
  FCompressionField = bytes::LoadBE16(compression);
  FImageDataStart = Stream.Position() - base;
  p.Compression = FCompressionField == 1 ? ctPackedBits : FCompressionField == 0 ? ctNone : ctUnknown;
  return true;
}

void TPSDGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kPSD});
    const TImageProperties& p = FImageProperties;
    const TColorScheme scheme = p.ColorScheme;
    const bool depthOk = FDepth == 8 || (FDepth == 16 && scheme != csIndexed) || (FDepth == 1 && FMode == kModeBitmap);
    if (scheme == csUndefined || !depthOk || (FMode == kModeBitmap && FDepth != 1))
      ImageFormatError(imgmsg::InvalidColorFormat, {kPSD});
    if (p.Compression == ctUnknown) ImageFormatError(imgmsg::UnknownCompression, {imgmsg::CompressionScheme, kPSD});
    CheckImageSize(p.Width, p.Height, kPSD);
    const Cardinal width = p.Width, height = p.Height, channels = p.ChannelCount;
    const Cardinal planes = PlanesOf(scheme);
    const Int64 base = FBasePosition;

    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Preparing);
    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    TConvertOptions options = FDepth == 16 ? coNeedByteSwap : 0;
    if (scheme == csCIELab) options |= coLabByteRange | coLabChromaOffset;
    cm.SetSourceOptions(options);
    cm.SetSourceBitsPerSample(static_cast<Byte>(FDepth));
    cm.SetTargetBitsPerSample(FDepth == 16 ? 8 : static_cast<Byte>(FDepth));
    SetReaderSchemes(cm, scheme);

    // The palette of indexed files: three planes in the colour-mode data.
    std::vector<Byte> colorData;
    if (scheme == csIndexed) {
      if (FColorDataLength < 3) ImageFormatError(imgmsg::InvalidPalette, {kPSD});
      colorData.resize(std::min<Cardinal>(FColorDataLength, 768));
      Stream.Seek(base + FColorDataStart, soFromBeginning);
      Stream.ReadBuffer(colorData.data(), Int64(colorData.size()));
    }

    // The image data, held in memory (it is no larger than the file) and walked row by
    // row: channel after channel, each row raw or PackBits with its byte count in a table.
    const std::size_t rowBytes = FDepth == 1 ? (std::size_t(width) + 7) / 8 : std::size_t(width) * (FDepth / 8);
    Stream.Seek(base + FImageDataStart, soFromBeginning);
    const Int64 left = StreamBytesLeft(Stream);
    std::vector<std::uint64_t> rowStart(std::size_t(planes) * height + 1);
    std::vector<Byte> data;
    if (p.Compression == ctNone) {
      const std::uint64_t needed = std::uint64_t(planes) * height * rowBytes;
      if (needed > std::uint64_t(left)) ImageFormatError(imgmsg::StreamReadError, {kPSD});
      for (std::size_t i = 0; i < rowStart.size(); ++i) rowStart[i] = i * rowBytes;
      data.resize(static_cast<std::size_t>(needed));
    } else {
      const std::uint64_t tableBytes = std::uint64_t(channels) * height * 2;
      if (tableBytes > std::uint64_t(left)) ImageFormatError(imgmsg::StreamReadError, {kPSD});
      std::vector<Byte> table(static_cast<std::size_t>(std::uint64_t(planes) * height * 2));
      Stream.ReadBuffer(table.data(), Int64(table.size()));
      rowStart[0] = tableBytes;
      for (std::size_t i = 0; i + 1 < rowStart.size(); ++i) rowStart[i + 1] = rowStart[i] + bytes::LoadBE16(&table[i * 2]);
      if (rowStart.back() > std::uint64_t(left)) ImageFormatError(imgmsg::StreamReadError, {kPSD});
      // A run of two bytes makes at most 128.
      if ((rowStart.back() - tableBytes) * 64 < std::uint64_t(planes) * height * rowBytes)
        ImageFormatError(imgmsg::StreamReadError, {kPSD});
      Stream.Seek(base + FImageDataStart, soFromBeginning);
      data.resize(static_cast<std::size_t>(rowStart.back()));
    }

    TBitmap& target = BeginImage();
    target.SetPixelFormat(cm.GetPixelFormat(true));
    target.SetSize(Integer(width), Integer(height));
    if (scheme == csIndexed) {
      const Cardinal count = Cardinal(colorData.size() / 3);
      const Byte* c = colorData.data();
      target.SetPalette(cm.CreateColorPalette({c, c + count, c + 2 * count}, pfPlane8Triple, count, false));
    } else if (scheme == csGray) {
      target.SetPalette(cm.CreateGrayscalePalette((p.Options & ioMinIsWhite) != 0));
    }
    ProgressEnd();
    // Colour images are read whole, channel after channel, before any row is shown.
    const bool loadStage = scheme != csIndexed && scheme != csGray;
    if (loadStage) ProgressStart(imgmsg::LoadingData);
    if (!data.empty()) Stream.ReadBuffer(data.data(), Int64(data.size()));
    if (loadStage) ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    std::vector<Byte> rows(rowBytes * planes);
    std::vector<const void*> pointers(planes);
    for (Cardinal c = 0; c < planes; ++c) pointers[c] = &rows[c * rowBytes];
    TPackbitsRLEDecoder decoder;
    decoder.DecodeInit();
    for (Cardinal y = 0; y < height; ++y) {
      for (Cardinal c = 0; c < planes; ++c) {
        const std::size_t index = std::size_t(c) * height + y;
        Byte* row = &rows[c * rowBytes];
        const Byte* from = data.data() + rowStart[index];
        if (p.Compression == ctNone) {
          std::memcpy(row, from, rowBytes);
        } else {
          const void* source = from;
          void* dest = row;
          decoder.Decode(source, dest, Integer(rowStart[index + 1] - rowStart[index]), Integer(rowBytes));
          if (static_cast<Byte*>(dest) != row + rowBytes) ImageFormatError(imgmsg::StreamReadError, {kPSD});
        }
        // CMYK is stored as the amount of paper left: 255 is no ink. Inverting every byte
        // inverts 16-bit samples too.
        if (scheme == csCMYK)
          for (std::size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<Byte>(255 - row[i]);
      }
      cm.ConvertRow(pointers, target.ScanLine(Integer(y)), width, 0xFF);
      ProgressRow(y, height);
    }
    decoder.DecodeEnd();
    ProgressEnd();
    CommitImage();
  });
}
