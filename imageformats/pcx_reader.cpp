#include "imageformats/pcx_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"

namespace {

const char* const kPCXOrSCR = "PCX or SCR";
const char* const kPCX = "PCX";

constexpr Byte kMakerPCX = 10;
constexpr Byte kMakerSCR = 205;
constexpr Byte kPalette256Mark = 12;

bool KnownMaker(Byte Maker) { return Maker == kMakerPCX || Maker == kMakerSCR; }

// The layouts the reader turns into bitmaps.
enum class TPCXLayout { Unsupported, Mono, Planar, Packed, Index8, RGB, RGBA };

TPCXLayout LayoutOf(Byte BitsPerPixel, Byte Planes) {
  if (BitsPerPixel == 1 && Planes == 1) return TPCXLayout::Mono;
  if (BitsPerPixel == 1 && Planes >= 2 && Planes <= 4) return TPCXLayout::Planar;
  if ((BitsPerPixel == 2 || BitsPerPixel == 4) && Planes == 1) return TPCXLayout::Packed;
  if (BitsPerPixel == 8 && Planes == 1) return TPCXLayout::Index8;
  if (BitsPerPixel == 8 && Planes == 3) return TPCXLayout::RGB;
  if (BitsPerPixel == 8 && Planes == 4) return TPCXLayout::RGBA;
  return TPCXLayout::Unsupported;
}

}  // namespace

const TClass& TPCXGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPCXGraphic>("TPCXGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPCXGraphic::TPCXGraphic() = default;
TPCXGraphic::~TPCXGraphic() = default;

bool TPCXGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPCXGraphic>(FileName); }

bool TPCXGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[128];
  if (StreamBytesLeft(Stream) > 128 && Stream.Read(h, 128) == 128) {
    // The same makers as the load accepts.
    const Byte version = h[1];
    result = KnownMaker(h[0]) && (version == 0 || version == 2 || version == 3 || version == 5) && h[2] < 2;
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPCXGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  if (StreamBytesLeft(Stream) < 128 || Stream.Read(FHeader, 128) != 128) return false;
  const Byte* h = FHeader;
  if (!KnownMaker(h[0])) return false;
  const Word xmin = bytes::LoadLE16(h + 4), ymin = bytes::LoadLE16(h + 6);
  const Word xmax = bytes::LoadLE16(h + 8), ymax = bytes::LoadLE16(h + 10);
  if (xmax < xmin || ymax < ymin) return false;
  TImageProperties& p = FImageProperties;
  p.Width = Cardinal(xmax - xmin) + 1;
  p.Height = Cardinal(ymax - ymin) + 1;
  p.SamplesPerPixel = h[65];
  p.BitsPerSample = h[3];
  p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(Cardinal(h[65]) * h[3], 255));
  p.ColorScheme = p.BitsPerPixel > 8 ? csRGB : csIndexed;
  p.Compression = h[2] == 1 ? ctRLE : ctNone;
  p.XResolution = bytes::LoadLE16(h + 12);
  p.YResolution = bytes::LoadLE16(h + 14);
  p.BytesPerLine = bytes::LoadLE16(h + 66);
  return true;
}

void TPCXGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kPCXOrSCR});
    const TImageProperties& p = FImageProperties;
    const Byte* h = FHeader;
    const Byte bits = h[3], planes = h[65];
    const TPCXLayout layout = LayoutOf(bits, planes);
    if (layout == TPCXLayout::Unsupported) ImageFormatError(imgmsg::InvalidColorFormat, {kPCX});
    CheckImageSize(p.Width, p.Height, kPCXOrSCR);
    // Each plane's line must hold the whole width.
    const Cardinal bytesPerLine = p.BytesPerLine;
    if (std::uint64_t(bytesPerLine) * 8 < std::uint64_t(p.Width) * bits)
      ImageFormatError(imgmsg::InvalidImage, {kPCXOrSCR});

    FProgressRect = TRect{0, 0, Integer(p.Width), 1};
    ProgressStart(imgmsg::Preparing);

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    TPaletteHolder palette;
    TPixelFormat format = pf8bit;
    const Int64 streamEnd = Stream.Size();
    switch (layout) {
      case TPCXLayout::Mono: {
        format = pf1bit;
        const Byte bw[6] = {0, 0, 0, 255, 255, 255};
        palette.Handle = cm.CreateColorPalette({bw}, pfInterlaced8Triple, 2, false);
        break;
      }
      case TPCXLayout::Planar:
      case TPCXLayout::Packed: {
        format = pf4bit;
        const Byte indexBits = layout == TPCXLayout::Planar ? planes : bits;
        if (bytes::LoadLE16(h + 68) == 2) {
          cm.SetTargetSamplesPerPixel(1);
          cm.SetTargetBitsPerSample(indexBits);
          palette.Handle = cm.CreateGrayscalePalette(false);
        } else {
          palette.Handle = cm.CreateColorPalette({h + 16}, pfInterlaced8Triple, 1u << indexBits, false);
        }
        break;
      }
      case TPCXLayout::Index8: {
        format = pf8bit;
        // A 256-colour palette, when present, is the last 769 bytes of the file.
        const Int64 at = streamEnd - 769;
        Byte tail[769];
        bool found = false;
        if (at >= Int64(FBasePosition) + 128) {
          Stream.Seek(at, soFromBeginning);
          found = Stream.Read(tail, 769) == 769 && tail[0] == kPalette256Mark;
        }
        if (found) {
          palette.Handle = cm.CreateColorPalette({tail + 1}, pfInterlaced8Triple, 256, false);
        } else if (bytes::LoadLE16(h + 68) == 2) {
          cm.SetTargetSamplesPerPixel(1);
          cm.SetTargetBitsPerSample(8);
          palette.Handle = cm.CreateGrayscalePalette(false);
        }
        break;
      }
      case TPCXLayout::RGB:
      case TPCXLayout::RGBA: {
        cm.SetSourceBitsPerSample(8);
        cm.SetTargetBitsPerSample(8);
        SetReaderSchemes(cm, layout == TPCXLayout::RGBA ? csRGBA : csRGB);
        format = cm.GetPixelFormat(true);
        break;
      }
      case TPCXLayout::Unsupported: break;
    }

    // The image data: everything after the header, as much as the rows can use (a
    // run-length pair never makes less than one byte).
    const std::size_t lineBytes = std::size_t(planes) * bytesPerLine;
    const std::uint64_t imageBytes = std::uint64_t(lineBytes) * p.Height;
    Stream.Seek(Int64(FBasePosition) + 128, soFromBeginning);
    const Int64 left = StreamBytesLeft(Stream);
    if (p.Compression == ctNone && Int64(imageBytes) > left) ImageFormatError(imgmsg::StreamReadError, {kPCX});
    // A run-length pair makes at most 63 bytes.
    if (p.Compression == ctRLE && std::uint64_t(left) * 32 < imageBytes) ImageFormatError(imgmsg::StreamReadError, {kPCX});
    std::vector<Byte> data(static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t(left), imageBytes * 2)));
    if (!data.empty() && Stream.Read(data.data(), Int64(data.size())) != Int64(data.size()))
      ImageFormatError(imgmsg::StreamReadError, {kPCX});

    TBitmap& target = BeginImage();
    target.SetPixelFormat(format);
    target.SetSize(Integer(p.Width), Integer(p.Height));
    if (palette.Handle) target.SetPalette(palette.Release());
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    TPCXRLEDecoder decoder;
    decoder.DecodeInit();
    std::vector<Byte> line(lineBytes);
    const Byte* source = data.data();
    const Byte* const dataEnd = data.data() + data.size();
    const Cardinal width = p.Width;
    for (Cardinal y = 0; y < p.Height; ++y) {
      if (p.Compression == ctRLE) {
        const void* s = source;
        void* d = line.data();
        decoder.Decode(s, d, Integer(dataEnd - source), Integer(lineBytes));
        if (static_cast<Byte*>(d) != line.data() + lineBytes) ImageFormatError(imgmsg::StreamReadError, {kPCX});
        source = static_cast<const Byte*>(s);
      } else {
        std::memcpy(line.data(), source, lineBytes);
        source += lineBytes;
      }
      Byte* out = static_cast<Byte*>(target.ScanLine(Integer(y)));
      const Byte* plane0 = line.data();
      switch (layout) {
        case TPCXLayout::Mono: std::memcpy(out, plane0, (width + 7) / 8); break;
        case TPCXLayout::Index8: std::memcpy(out, plane0, width); break;
        case TPCXLayout::Packed:
          if (bits == 4) {
            std::memcpy(out, plane0, (width + 1) / 2);
          } else {
            // 2-bit indices widened to 4 bits, keeping their values.
            std::memset(out, 0, (width + 1) / 2);
            for (Cardinal x = 0; x < width; ++x) {
              const Byte index = (plane0[x / 4] >> (6 - 2 * (x % 4))) & 3;
              out[x / 2] |= static_cast<Byte>(x % 2 ? index : index << 4);
            }
          }
          break;
        case TPCXLayout::Planar:
          // Plane 0 gives the lowest bit of the index.
          std::memset(out, 0, (width + 1) / 2);
          for (Cardinal x = 0; x < width; ++x) {
            Byte index = 0;
            for (Byte k = 0; k < planes; ++k)
              index |= static_cast<Byte>(((line[k * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << k);
            out[x / 2] |= static_cast<Byte>(x % 2 ? index : index << 4);
          }
          break;
        case TPCXLayout::RGB:
          cm.ConvertRow({plane0, plane0 + bytesPerLine, plane0 + 2 * bytesPerLine}, out, width, 0xFF);
          break;
        case TPCXLayout::RGBA:
          cm.ConvertRow({plane0, plane0 + bytesPerLine, plane0 + 2 * bytesPerLine, plane0 + 3 * bytesPerLine}, out,
                        width, 0xFF);
          break;
        case TPCXLayout::Unsupported: break;
      }
      ProgressRow(y, p.Height);
    }
    ProgressEnd();
    CommitImage();
  });
}
