#include "imageformats/pnm_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char* const kPNM = "PBM, PGM or PPM";
const char* const kPPM = "PPM";

constexpr Cardinal kBufferSize = 4096;
constexpr std::uint64_t kNumberCap = 0xFFFFFFFFu;

bool IsDigit(Byte C) { return C >= '0' && C <= '9'; }

// A 16-bit sample reduced to 8 bits as the colour manager reduces it.
Byte Reduce16(Cardinal Value) { return static_cast<Byte>(std::min<Cardinal>(Value, 65535) * 255 / 65535); }

}  // namespace

// Characters of the file through a buffer of its own.
class TPPMGraphic::TTextReader {
 public:
  explicit TTextReader(TStream& Stream) : FStream(Stream) {}

  // The next character; the end of the stream is a read error.
  Byte GetChar() {
    if (FPosition == FCount && !Refill()) ImageFormatError(imgmsg::StreamReadError, {kPPM});
    return FBuffer[FPosition++];
  }
  // The next character without taking it; 0 at the end of the stream.
  Byte PeekChar() {
    if (FPosition == FCount && !Refill()) return 0;
    return FBuffer[FPosition];
  }
  // Characters still to come, in the buffer and in the stream.
  Int64 Available() { return Int64(FCount - FPosition) + StreamBytesLeft(FStream); }

  // Skips to the next digit; "#" starts a comment that runs to the end of its line.
  Byte SkipToDigit() {
    Byte c = GetChar();
    while (!IsDigit(c)) {
      if (c == '#')
        while (c != '\n' && c != '\r') c = GetChar();
      c = GetChar();
    }
    return c;
  }
  // A decimal number; values beyond 32 bits are held at the largest.
  Cardinal ReadNumber() {
    std::uint64_t value = SkipToDigit() - '0';
    while (IsDigit(PeekChar())) value = std::min<std::uint64_t>(value * 10 + (GetChar() - '0'), kNumberCap);
    return static_cast<Cardinal>(value);
  }
  void ReadBytes(Byte* Dest, std::size_t Count) {
    while (Count > 0) {
      if (FPosition == FCount && !Refill()) ImageFormatError(imgmsg::StreamReadError, {kPPM});
      const std::size_t n = std::min<std::size_t>(Count, FCount - FPosition);
      std::memcpy(Dest, FBuffer + FPosition, n);
      FPosition += Cardinal(n);
      Dest += n;
      Count -= n;
    }
  }

 private:
  bool Refill() {
    FPosition = 0;
    FCount = Cardinal(std::max<Int64>(FStream.Read(FBuffer, kBufferSize), 0));
    return FCount > 0;
  }

  TStream& FStream;
  Byte FBuffer[kBufferSize] = {};
  Cardinal FPosition = 0;
  Cardinal FCount = 0;
};

const TClass& TPPMGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPPMGraphic>("TPPMGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPPMGraphic::TPPMGraphic() = default;
TPPMGraphic::~TPPMGraphic() = default;

bool TPPMGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPPMGraphic>(FileName); }

bool TPPMGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte h[2];
  if (StreamBytesLeft(Stream) >= 11 && Stream.Read(h, 2) == 2) result = h[0] == 'P' && h[1] >= '1' && h[1] <= '6';
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPPMGraphic::ReadHeader(TTextReader& Reader, THeader& Header) {
  if (Reader.Available() < 2 || Reader.GetChar() != 'P') return false;
  Header.Kind = static_cast<char>(Reader.GetChar());
  if (Header.Kind < '1' || Header.Kind > '6') return false;
  Header.Width = Reader.ReadNumber();
  Header.Height = Reader.ReadNumber();
  Header.MaxValue = (Header.Kind == '1' || Header.Kind == '4') ? 1 : Reader.ReadNumber();
  Reader.GetChar();  // the one character that ends the header
  return Header.Width > 0 && Header.Height > 0 && Header.MaxValue > 0 && Header.MaxValue <= 65535;
}

void TPPMGraphic::FillProperties(const THeader& Header) {
  TImageProperties& p = FImageProperties;
  p.Width = Header.Width;
  p.Height = Header.Height;
  p.Compression = ctNone;
  const bool wide = Header.MaxValue > 255;
  switch (Header.Kind) {
    case '1':
    case '4':
      p.ColorScheme = csIndexed;
      p.BitsPerSample = 1;
      p.SamplesPerPixel = 1;
      break;
    case '2':
    case '5':
      p.ColorScheme = csIndexed;
      p.BitsPerSample = wide ? 16 : 8;
      p.SamplesPerPixel = 1;
      break;
    default:
      p.ColorScheme = csRGB;
      p.BitsPerSample = wide ? 16 : 8;
      p.SamplesPerPixel = 3;
      break;
  }
  if (wide) p.Options |= ioBigEndian;
  p.BitsPerPixel = static_cast<Byte>(p.BitsPerSample * p.SamplesPerPixel);
}

bool TPPMGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  TTextReader reader(Stream);
  THeader header;
  try {
    if (!ReadHeader(reader, header)) return false;
  } catch (const EInvalidGraphic&) {
    return false;  // the header ends early
  }
  FillProperties(header);
  return true;
}

void TPPMGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    TTextReader reader(Stream);
    if (reader.Available() < 1 || reader.PeekChar() != 'P') ImageFormatError(imgmsg::InvalidImage, {kPNM});
    THeader header;
    if (!ReadHeader(reader, header)) ImageFormatError(imgmsg::InvalidImage, {kPNM});
    TImageFormatGraphic::ReadImageProperties(Stream, 0);
    FillProperties(header);
    const TImageProperties& p = FImageProperties;
    const Cardinal width = p.Width, height = p.Height;
    CheckImageSize(width, height, kPNM);
    const char kind = header.Kind;
    const bool wide = header.MaxValue > 255;
    const Cardinal samples = (kind == '3' || kind == '6') ? 3 : 1;
    const std::uint64_t values = std::uint64_t(width) * height * samples;

    // The file must be able to hold the pixels before anything is made for them: raw
    // samples take 1 or 2 bytes, text digits at least one character each (bitmaps) or
    // a character and a separator.
    std::size_t rawRowBytes = 0;
    std::uint64_t least = 0;
    switch (kind) {
      case '1': least = values; break;
      case '2':
      case '3': least = 2 * values - 1; break;
      case '4': rawRowBytes = (width + 7) / 8; break;
      default: rawRowBytes = std::size_t(width) * samples * (wide ? 2 : 1); break;
    }
    if (rawRowBytes) least = std::uint64_t(rawRowBytes) * height;
    if (std::uint64_t(reader.Available()) < least) ImageFormatError(imgmsg::StreamReadError, {kPPM});

    FProgressRect = TRect{0, 0, Integer(width), 1};
    ProgressStart(imgmsg::Preparing);
    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    TBitmap& target = BeginImage();
    if (kind == '1' || kind == '4') {
      target.SetPixelFormat(pf1bit);
      target.SetSize(Integer(width), Integer(height));
      const Byte whiteBlack[6] = {255, 255, 255, 0, 0, 0};
      target.SetPalette(cm.CreateColorPalette({whiteBlack}, pfInterlaced8Triple, 2, false));
    } else if (samples == 1) {
      SetReaderSchemes(cm, csGray);
      target.SetPixelFormat(pf8bit);
      target.SetSize(Integer(width), Integer(height));
      cm.SetTargetBitsPerSample(8);
      target.SetPalette(cm.CreateGrayscalePalette(false));
    } else {
      SetReaderSchemes(cm, csRGB);
      target.SetPixelFormat(pf24bit);
      target.SetSize(Integer(width), Integer(height));
    }
    cm.SetSourceBitsPerSample(wide ? 16 : 8);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceOptions(wide ? coNeedByteSwap : 0);
    ProgressEnd();
    ProgressStart(imgmsg::Transfering);

    // A text sample: its own value when the maximum fits a byte, else reduced from 16 bits.
    auto textSample = [&]() -> Byte {
      const Cardinal v = reader.ReadNumber();
      return wide ? Reduce16(v) : static_cast<Byte>(std::min<Cardinal>(v, 255));
    };
    std::vector<Byte> row(rawRowBytes);
    for (Cardinal y = 0; y < height; ++y) {
      Byte* out = static_cast<Byte*>(target.ScanLine(Integer(y)));
      switch (kind) {
        case '1': {
          // One digit per pixel, with or without white space between them.
          std::memset(out, 0, (width + 7) / 8);
          for (Cardinal x = 0; x < width; ++x)
            if ((reader.SkipToDigit() - '0') & 1) out[x / 8] |= static_cast<Byte>(0x80 >> (x % 8));
          break;
        }
        case '2':
          for (Cardinal x = 0; x < width; ++x) out[x] = textSample();
          break;
        case '3':
          for (Cardinal x = 0; x < width; ++x) {
            const Byte r = textSample(), g = textSample(), b = textSample();
            out[3 * x] = b;
            out[3 * x + 1] = g;
            out[3 * x + 2] = r;
          }
          break;
        case '4': reader.ReadBytes(out, rawRowBytes); break;
        default:
          reader.ReadBytes(row.data(), rawRowBytes);
          cm.ConvertRow({row.data()}, out, width, 0xFF);
          break;
      }
      ProgressRow(y, height);
    }
    ProgressEnd();
    CommitImage();
  });
}
