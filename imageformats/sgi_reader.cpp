#include "imageformats/sgi_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"

namespace {

const char* const kSGI = "sgi, bw or rgb(a)";

constexpr Word kMagic = 474;
constexpr Cardinal kHeaderSize = 512;

}  // namespace

const TClass& TSGIGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TSGIGraphic>("TSGIGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TSGIGraphic::TSGIGraphic() = default;
TSGIGraphic::~TSGIGraphic() = default;

bool TSGIGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TSGIGraphic>(FileName); }

bool TSGIGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[6];
  if (StreamBytesLeft(Stream) >= Int64(kHeaderSize) + 1 && Stream.Read(h, 6) == 6) {
    const Word dimension = bytes::LoadBE16(h + 4);
    result = bytes::LoadBE16(h) == kMagic && (h[3] == 1 || h[3] == 2) && dimension >= 1 && dimension <= 3;
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TSGIGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  Byte h[kHeaderSize];
  if (StreamBytesLeft(Stream) < Int64(kHeaderSize) || Stream.Read(h, kHeaderSize) != Int64(kHeaderSize)) return false;
  const Byte storage = h[2], bytesPerChannel = h[3];
  const Word dimension = bytes::LoadBE16(h + 4);
  if (bytes::LoadBE16(h) != kMagic || storage > 1 || (bytesPerChannel != 1 && bytesPerChannel != 2) ||
      dimension < 1 || dimension > 3)
    return false;
  TImageProperties& p = FImageProperties;
  p.Options |= ioBigEndian;
  p.BitsPerSample = static_cast<Byte>(bytesPerChannel * 8);
  p.Width = bytes::LoadBE16(h + 6);
  // A one-dimensional image is a single row, a two-dimensional one a single channel.
  p.Height = dimension == 1 ? 1 : bytes::LoadBE16(h + 8);
  const Word channels = dimension < 3 ? 1 : bytes::LoadBE16(h + 10);
  if (p.Width == 0 || p.Height == 0 || channels == 0) return false;
  p.SamplesPerPixel = static_cast<Byte>(std::min<Word>(channels, 255));
  switch (channels) {
    case 1: p.ColorScheme = csGray; break;
    case 2: p.ColorScheme = csGrayAlpha; break;
    case 3: p.ColorScheme = csRGB; break;
    case 4: p.ColorScheme = csRGBA; break;
    default: p.ColorScheme = csUndefined; break;
  }
  p.HasAlpha = channels == 2 || channels == 4;
  p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(Cardinal(p.SamplesPerPixel) * p.BitsPerSample, 255));
  p.Compression = storage == 1 ? ctRLE : ctNone;
  return true;
}

void TSGIGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kSGI});
    const TImageProperties& p = FImageProperties;
    if (p.ColorScheme == csUndefined) ImageFormatError(imgmsg::InvalidColorFormat, {kSGI});
    CheckImageSize(p.Width, p.Height, kSGI);
    const Cardinal width = p.Width, height = p.Height, channels = p.SamplesPerPixel;
    const Cardinal bytesPerChannel = p.BitsPerSample / 8;
    const Int64 base = FBasePosition;
    const Int64 size = Stream.Size() - base;

    // Run-length files: the row starts and lengths, indexed channel x height + row.
    std::vector<Cardinal> starts, lengths;
    const std::size_t rows = std::size_t(height) * channels;
    if (p.Compression == ctRLE) {
      if (Int64(kHeaderSize) + 8 * Int64(rows) > size) ImageFormatError(imgmsg::StreamReadError, {kSGI});
      std::vector<Byte> tables(rows * 8);
      Stream.Seek(base + kHeaderSize, soFromBeginning);
      Stream.ReadBuffer(tables.data(), Int64(tables.size()));
      // A run of at least two elements makes at most 127.
      if ((size - Int64(kHeaderSize) - 8 * Int64(rows)) * 64 < Int64(rows) * width * bytesPerChannel)
        ImageFormatError(imgmsg::StreamReadError, {kSGI});
      starts.resize(rows);
      lengths.resize(rows);
      for (std::size_t i = 0; i < rows; ++i) {
        starts[i] = bytes::LoadBE32(&tables[i * 4]);
        lengths[i] = bytes::LoadBE32(&tables[(rows + i) * 4]);
      }
    } else if (Int64(kHeaderSize) + Int64(rows) * width * bytesPerChannel > size) {
      ImageFormatError(imgmsg::StreamReadError, {kSGI});
    }

    Stream.Seek(base, soFromBeginning);
    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Preparing);

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    cm.SetSourceOptions(bytesPerChannel == 2 ? coNeedByteSwap : 0);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(8);
    SetReaderSchemes(cm, p.ColorScheme);

    TBitmap& target = BeginImage();
    target.SetPixelFormat(cm.GetPixelFormat(true));
    target.SetSize(Integer(width), Integer(height));
    if (p.ColorScheme == csGray) target.SetPalette(cm.CreateGrayscalePalette(false));
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    const std::size_t rowBytes = std::size_t(width) * bytesPerChannel;
    std::vector<Byte> planes(rowBytes * channels);
    std::vector<const void*> pointers(channels);
    for (Cardinal c = 0; c < channels; ++c) pointers[c] = &planes[c * rowBytes];
    // A run-length row holds at most a header and a value for every element, and an end mark.
    const std::size_t mostPacked = (2 * std::size_t(width) + 2) * bytesPerChannel;
    std::vector<Byte> packed;
    TSGIRLEDecoder decoder(p.BitsPerSample);
    decoder.DecodeInit();
    for (Cardinal y = 0; y < height; ++y) {
      for (Cardinal c = 0; c < channels; ++c) {
        Byte* plane = &planes[c * rowBytes];
        const std::size_t index = std::size_t(c) * height + y;
        if (p.Compression == ctRLE) {
          const Int64 offset = starts[index];
          if (offset < Int64(kHeaderSize) || offset >= size) ImageFormatError(imgmsg::StreamReadError, {kSGI});
          // Lengths count bytes in some files and elements in others: read enough for
          // either, within the file; the decoder stops at the row's end mark.
          const std::size_t want = std::min<std::uint64_t>(std::uint64_t(lengths[index]) * bytesPerChannel, mostPacked);
          packed.resize(static_cast<std::size_t>(std::min<Int64>(Int64(want), size - offset)));
          Stream.Seek(base + offset, soFromBeginning);
          Stream.ReadBuffer(packed.data(), Int64(packed.size()));
          const void* source = packed.data();
          void* dest = plane;
          decoder.Decode(source, dest, Integer(packed.size()), Integer(rowBytes));
          if (static_cast<Byte*>(dest) != plane + rowBytes) ImageFormatError(imgmsg::StreamReadError, {kSGI});
        } else {
          Stream.Seek(base + kHeaderSize + Int64(index) * Int64(rowBytes), soFromBeginning);
          Stream.ReadBuffer(plane, Int64(rowBytes));
        }
      }
      cm.ConvertRow(pointers, target.ScanLine(Integer(height - 1 - y)), width, 0xFF);
      ProgressRow(y, height);
    }
    decoder.DecodeEnd();
    ProgressEnd();
    CommitImage();
  });
}
