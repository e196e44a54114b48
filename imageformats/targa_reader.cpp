#include "imageformats/targa_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imageformats/decoders.h"
#include "platform/win/gdi.h"

namespace {

const char* const kTarga = "Targa";

bool IsIndexedType(Byte Type) { return Type == 1 || Type == 9; }
bool IsGrayType(Byte Type) { return Type == 3 || Type == 11; }
bool IsKnownType(Byte Type) { return (Type >= 1 && Type <= 3) || (Type >= 9 && Type <= 11); }
bool IsPixelDepth(Byte Depth) { return Depth == 8 || Depth == 15 || Depth == 16 || Depth == 24 || Depth == 32; }

void ReadExact(TStream& Stream, void* Buffer, Int64 Count) {
  if (Count > 0 && Stream.Read(Buffer, Count) != Count) ImageFormatError(imgmsg::StreamReadError, {kTarga});
}

// Bytes taken by a colour-map entry of the given size in bits.
Cardinal MapEntryBytes(Byte EntrySize) { return (Cardinal(EntrySize) + 7) / 8; }

// Whether some pixel of a 32-bit bitmap has an alpha byte other than 0.
bool CarriesAlpha(TBitmap& Image) {
  const std::size_t bytes = std::size_t(Image.Width()) * 4;
  for (Integer y = 0; y < Image.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(Image.ScanLine(y));
    for (std::size_t i = 3; i < bytes; i += 4)
      if (row[i] != 0) return true;
  }
  return false;
}

}  // namespace

void TTargaHeader::Parse(const Byte* d) {
  IDLength = d[0];
  ColorMapType = d[1];
  ImageType = d[2];
  ColorMapStart = bytes::LoadLE16(d + 3);
  ColorMapLength = bytes::LoadLE16(d + 5);
  ColorMapEntrySize = d[7];
  XOrigin = bytes::LoadLE16(d + 8);
  YOrigin = bytes::LoadLE16(d + 10);
  Width = bytes::LoadLE16(d + 12);
  Height = bytes::LoadLE16(d + 14);
  PixelDepth = d[16];
  Descriptor = d[17];
}

void TTargaHeader::Store(Byte* d) const {
  d[0] = IDLength;
  d[1] = ColorMapType;
  d[2] = ImageType;
  bytes::StoreLE16(d + 3, ColorMapStart);
  bytes::StoreLE16(d + 5, ColorMapLength);
  d[7] = ColorMapEntrySize;
  bytes::StoreLE16(d + 8, XOrigin);
  bytes::StoreLE16(d + 10, YOrigin);
  bytes::StoreLE16(d + 12, Width);
  bytes::StoreLE16(d + 14, Height);
  d[16] = PixelDepth;
  d[17] = Descriptor;
}

const TClass& TTargaGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TTargaGraphic>("TTargaGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TTargaGraphic::TTargaGraphic() = default;
TTargaGraphic::~TTargaGraphic() = default;

bool TTargaGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TTargaGraphic>(FileName); }

bool TTargaGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte raw[TTargaHeader::kSize];
  if (StreamBytesLeft(Stream) > TTargaHeader::kSize && Stream.Read(raw, sizeof raw) == Int64(sizeof raw)) {
    TTargaHeader h;
    h.Parse(raw);
    // The entry size matters only when there is a map: true-colour files often leave it 0.
    const Byte e = h.ColorMapEntrySize;
    const bool mapOk = h.ColorMapType == 0 || (h.ColorMapType == 1 && (e == 15 || e == 16 || e == 24 || e == 32));
    result = IsKnownType(h.ImageType) && mapOk && IsPixelDepth(h.PixelDepth);
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TTargaGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  Byte raw[TTargaHeader::kSize];
  if (StreamBytesLeft(Stream) < TTargaHeader::kSize || Stream.Read(raw, sizeof raw) != Int64(sizeof raw)) return false;
  FHeader.Parse(raw);
  const TTargaHeader& h = FHeader;
  if (!IsKnownType(h.ImageType) || h.ColorMapType > 1 || h.Width == 0 || h.Height == 0) return false;

  TImageProperties& p = FImageProperties;
  p.Width = h.Width;
  p.Height = h.Height;
  p.Compression = h.ImageType >= 9 ? ctRLE : ctNone;
  p.ColorScheme = csUndefined;
  const bool mapOk = h.ColorMapType == 1 && h.ColorMapLength > 0 &&
                     (h.ColorMapEntrySize == 15 || h.ColorMapEntrySize == 16 || h.ColorMapEntrySize == 24 ||
                      h.ColorMapEntrySize == 32);
  if (IsIndexedType(h.ImageType)) {
    // Only 8-bit indices into a map the file really carries.
    if (h.PixelDepth == 8 && mapOk) {
      p.ColorScheme = csIndexed;
      p.BitsPerSample = 8;
      p.SamplesPerPixel = 1;
    }
  } else if (IsGrayType(h.ImageType)) {
    if (h.PixelDepth == 8) {
      p.ColorScheme = csGray;
      p.BitsPerSample = 8;
      p.SamplesPerPixel = 1;
    }
  } else {
    switch (h.PixelDepth) {
      case 15:
      case 16:
        p.ColorScheme = csRGB;
        p.BitsPerSample = 5;
        p.SamplesPerPixel = 3;
        break;
      case 24:
        p.ColorScheme = csRGB;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 3;
        break;
      case 32:
        p.ColorScheme = csRGBA;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 4;
        p.HasAlpha = true;
        break;
      default: break;
    }
  }
  p.BitsPerPixel = static_cast<Byte>(p.BitsPerSample * p.SamplesPerPixel);
  return true;
}

void TTargaGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    if (!ReadImageProperties(Stream, 0)) ImageFormatError(imgmsg::InvalidImage, {kTarga});
    const TImageProperties& p = FImageProperties;
    const TTargaHeader h = FHeader;
    if (p.ColorScheme == csUndefined) ImageFormatError(imgmsg::InvalidColorFormat, {kTarga});
    CheckImageSize(p.Width, p.Height, kTarga);

    Stream.Seek(FBasePosition + TTargaHeader::kSize, soFromBeginning);
    FProgressRect = TRect{0, 0, Integer(p.Width), 1};
    ProgressStart(imgmsg::Preparing);
    const bool topDown = (h.Descriptor & 0x20) != 0;

    // The image ID, then the colour map: a map that is not used (grey and true-colour
    // images) is passed over whole.
    if (StreamBytesLeft(Stream) < h.IDLength) ImageFormatError(imgmsg::StreamReadError, {kTarga});
    Stream.Seek(h.IDLength, soFromCurrent);
    const Int64 mapBytes = h.ColorMapType == 1 ? Int64(h.ColorMapLength) * MapEntryBytes(h.ColorMapEntrySize) : 0;
    if (StreamBytesLeft(Stream) < mapBytes) ImageFormatError(imgmsg::StreamReadError, {kTarga});

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    cm.SetTargetBitsPerSample(8);
    cm.SetTargetSamplesPerPixel(1);
    TPaletteHolder palette;
    if (p.ColorScheme == csIndexed) {
      std::vector<Byte> map(static_cast<std::size_t>(mapBytes));
      ReadExact(Stream, map.data(), mapBytes);
      // Entries start at the map's first index; indices below it stay black.
      const Cardinal first = std::min<Cardinal>(h.ColorMapStart, 256);
      const Cardinal count = std::min<Cardinal>(first + h.ColorMapLength, 256);
      std::vector<Byte> rgb(std::size_t(count) * 3, 0);
      const Cardinal entryBytes = MapEntryBytes(h.ColorMapEntrySize);
      for (Cardinal i = first; i < count; ++i) {
        const Byte* e = map.data() + std::size_t(i - first) * entryBytes;
        Byte* out = rgb.data() + std::size_t(i) * 3;
        if (entryBytes == 2) {
          const Word v = bytes::LoadLE16(e);
          out[0] = static_cast<Byte>((v & 0x7C00) >> 7);
          out[1] = static_cast<Byte>((v & 0x3E0) >> 2);
          out[2] = static_cast<Byte>((v & 31) * 8);
        } else {
          out[0] = e[2];
          out[1] = e[1];
          out[2] = e[0];
        }
      }
      palette.Handle = cm.CreateColorPalette({rgb.data()}, pfInterlaced8Triple, count, false);
    } else {
      Stream.Seek(mapBytes, soFromCurrent);
      if (p.ColorScheme == csGray) palette.Handle = cm.CreateGrayscalePalette(false);
    }
    TPixelFormat format = pf8bit;
    if (h.PixelDepth == 15 || h.PixelDepth == 16)
      format = pf15bit;
    else if (h.PixelDepth == 24)
      format = pf24bit;
    else if (h.PixelDepth == 32)
      format = pf32bit;
    const Cardinal pixelSize = (Cardinal(h.PixelDepth) + 1) / 8;
    const std::size_t rowBytes = std::size_t(p.Width) * pixelSize;

    // Pixel data, checked against what the file holds before the bitmap is made.
    std::vector<Byte> data;
    const Int64 left = StreamBytesLeft(Stream);
    if (p.Compression == ctNone) {
      if (Int64(rowBytes) * p.Height > left) ImageFormatError(imgmsg::StreamReadError, {kTarga});
    } else {
      // At most one packet header per pixel; anything beyond that is not image data.
      const Int64 most = Int64(p.Width) * p.Height * (pixelSize + 1);
      data.resize(static_cast<std::size_t>(std::min(left, most)));
      // A packet of at least two bytes makes at most 128 pixels.
      if (Int64(data.size()) * 64 < Int64(p.Width) * p.Height) ImageFormatError(imgmsg::StreamReadError, {kTarga});
      ReadExact(Stream, data.data(), Int64(data.size()));
    }

    TBitmap& target = BeginImage();
    target.SetPixelFormat(format);
    target.SetSize(Integer(p.Width), Integer(p.Height));
    if (palette.Handle) target.SetPalette(palette.Release());
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    TTargaRLEDecoder decoder(h.PixelDepth);
    decoder.DecodeInit();
    const void* source = data.data();
    const Byte* const dataEnd = data.data() + data.size();
    for (Cardinal i = 0; i < p.Height; ++i) {
      Byte* line = static_cast<Byte*>(target.ScanLine(Integer(topDown ? i : p.Height - 1 - i)));
      if (p.Compression == ctNone) {
        ReadExact(Stream, line, Int64(rowBytes));
      } else {
        // Packets run on from one row into the next; the decoder carries them over.
        void* dest = line;
        const Integer packed = Integer(dataEnd - static_cast<const Byte*>(source));
        decoder.Decode(source, dest, packed, Integer(p.Width));
        if (static_cast<Byte*>(dest) != line + rowBytes) ImageFormatError(imgmsg::StreamReadError, {kTarga});
      }
      ProgressRow(i, p.Height);
    }
    decoder.DecodeEnd();
    ProgressEnd();
    CommitImage();
  });
}

void TTargaGraphic::SaveToStream(TStream& Stream) {
  if (Empty()) return;

  // Formats without a Targa counterpart are written from a converted copy.
  TBitmap* image = this;
  std::unique_ptr<TBitmap> copy;
  const TPixelFormat format = PixelFormat();
  TPixelFormat wanted = format;
  switch (format) {
    case pf1bit:
    case pf4bit: wanted = pf8bit; break;
    case pf16bit: wanted = pf15bit; break;  // Targa's 16 bits are 5-5-5
    case pf8bit:
    case pf15bit:
    case pf24bit:
    case pf32bit: break;
    default: wanted = pf32bit; break;  // device and custom layouts: the screen's 32 bits
  }
  if (wanted != format) {
    copy = std::make_unique<TBitmap>();
    copy->Assign(this);
    copy->SetPixelFormat(wanted);
    image = copy.get();
  }
  Cardinal pixelSize = 4;
  switch (wanted) {
    case pf8bit: pixelSize = 1; break;
    case pf15bit: pixelSize = 2; break;
    case pf24bit: pixelSize = 3; break;
    default: pixelSize = 4; break;
  }

  const Integer width = image->Width(), height = image->Height();
  if (width > 65535 || height > 65535) ImageFormatError(imgmsg::ImageTooLarge, {kTarga, width, height});
  TTargaHeader h;
  h.ColorMapType = pixelSize == 1 ? 1 : 0;
  h.ImageType = pixelSize == 1 ? 9 : 10;
  h.ColorMapStart = 0;
  h.ColorMapLength = pixelSize == 1 ? 256 : 0;
  h.ColorMapEntrySize = pixelSize == 1 ? 24 : 0;
  h.Width = static_cast<Word>(width);
  h.Height = static_cast<Word>(height);
  h.PixelDepth = static_cast<Byte>(pixelSize * 8);
  // Rows go out top row first, so the origin is always at the top. 32-bit pixels carry
  // eight alpha bits only where the image has alpha: loaded with it, or set in some pixel.
  // A bitmap drawn through the canvas has alpha 0 throughout: its fourth bytes go out as
  // 255, since many readers take them for alpha whatever the header says.
  const bool alpha = pixelSize == 4 && (FImageProperties.HasAlpha || CarriesAlpha(*image));
  const bool opaque = pixelSize == 4 && !alpha;
  h.Descriptor = static_cast<Byte>(0x20 | (alpha ? 8 : 0));
  Byte raw[TTargaHeader::kSize];
  h.Store(raw);
  Stream.WriteBuffer(raw, sizeof raw);

  if (pixelSize == 1) {
    win::PALETTEENTRY entries[256] = {};
    if (win::HPALETTE pal = image->Palette()) win::GetPaletteEntries(pal, 0, 256, entries);
    Byte map[256 * 3];
    for (int i = 0; i < 256; ++i) {
      map[i * 3] = entries[i].peBlue;
      map[i * 3 + 1] = entries[i].peGreen;
      map[i * 3 + 2] = entries[i].peRed;
    }
    Stream.WriteBuffer(map, sizeof map);
  }

  FProgressRect = TRect{0, 0, width, 1};
  ProgressStart(imgmsg::Transfering);
  TTargaRLEDecoder encoder(pixelSize * 8);
  // The worst case is a one-pixel packet for every pixel.
  std::vector<Byte> packed(std::size_t(width) * (pixelSize + 1));
  std::vector<Byte> filled(opaque ? std::size_t(width) * 4 : 0);
  for (Integer y = 0; y < height; ++y) {
    Cardinal stored = 0;
    void* row = image->ScanLine(y);
    if (opaque) {
      std::memcpy(filled.data(), row, filled.size());
      for (std::size_t i = 3; i < filled.size(); i += 4) filled[i] = 255;
      row = filled.data();
    }
    encoder.Encode(row, packed.data(), Cardinal(width), stored);
    Stream.WriteBuffer(packed.data(), stored);
    ProgressRow(Cardinal(y), Cardinal(height));
  }
  ProgressEnd();
}
