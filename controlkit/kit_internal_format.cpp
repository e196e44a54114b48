#include "controlkit/kit_internal_format.h"

#include <array>
#include <vector>

#include "controlkit/kit_chunk_streams.h"
#include "platform/classlib/records.h"
#include "platform/win/gdi.h"

namespace {

constexpr std::array<const char*, 6> kSignatures = {"KITIML30", "KITBML30", "KITWVL30",
                                                    "KITSLL30", "KITGLL50", "KITRTL50"};
constexpr std::array<const char*, 6> kExtensions = {"iml", "bmp", "wav", "txt", "*", "rtf"};
constexpr Integer kSignatureLength = 8;
constexpr Integer kFileHeaderSize = 14;
constexpr Integer kInfoHeaderSize = 40;

// A block's length field: signed 32 bits, never negative, never past the end.
Int64 ReadBlockLength(TRecordReader& reader, std::string_view what) {
  const Integer n = reader.I32(what);
  if (n < 0) throw EReadError(std::string("Negative length of ") + std::string(what));
  reader.RequireBytes(n, what);
  return n;
}

// The whole of a memory stream written as a block: with its length, or compressed.
void WriteBlock(TStream& stream, TMemoryStream& content, bool compressed) {
  if (compressed) {
    content.SetPosition(0);
    CompressStream(content, stream, content.Size());
    return;
  }
  TRecordWriter writer(stream);
  writer.U32(static_cast<Cardinal>(content.Size()));
  if (content.Size() > 0) writer.Bytes(content.Memory(), content.Size());
}

// The bytes of a block, in a memory stream at position 0.
void ReadBlock(TStream& stream, TMemoryStream& content, bool compressed, std::string_view what) {
  if (compressed) {
    DecompressStream(stream, content);
  } else {
    TRecordReader reader(stream);
    const Int64 n = ReadBlockLength(reader, what);
    content.SetSize(n);
    if (n > 0) reader.Bytes(content.Memory(), n, what);
  }
  content.SetPosition(0);
}

Integer DepthOf(TKitSavePixelFormat format) {
  switch (format) {
    case spfMono:
      return 1;
    case spf4bit:
      return 4;
    case spf8bit:
      return 8;
    default:
      return 0;
  }
}

}  // namespace

// ---- kinds and signatures -------------------------------------------------------------------

std::string KitContainerSignature(TKitContainerKind Kind) {
  return Kind < ckNone ? std::string(kSignatures[Kind]) : std::string();
}

TKitContainerKind KitContainerKindOf(const std::string& SignatureField) {
  for (std::size_t i = 0; i < kSignatures.size(); ++i) {
    const std::string field = std::string(1, static_cast<char>(kSignatureLength)) + kSignatures[i];
    if (SignatureField == field) return static_cast<TKitContainerKind>(i);
  }
  return ckNone;
}

std::string KitContainerExtension(TKitContainerKind Kind, bool WithDot) {
  if (Kind >= ckNone) return std::string();
  return (WithDot ? "." : "") + std::string(kExtensions[Kind]);
}

// ---- item header -----------------------------------------------------------------------------

Byte KitPixelFormatFlags(TKitSavePixelFormat Format) {
  switch (Format) {
    case spfMono:
      return kKitFlagFormatMono;
    case spf4bit:
      return kKitFlagFormat4Bit;
    case spf8bit:
      return kKitFlagFormat8Bit;
    default:
      return 0;
  }
}

TKitSavePixelFormat KitPixelFormatOfFlags(Byte Flags) {
  if (Flags & kKitFlagFormatMono) return spfMono;
  if (Flags & kKitFlagFormat4Bit) return spf4bit;
  if (Flags & kKitFlagFormat8Bit) return spf8bit;
  return spfDefault;
}

void WriteItemHeader(TStream& Stream, const TKitItemHeader& Header) {
  TRecordWriter writer(Stream);
  writer.U8(static_cast<Byte>(Header.Flags & 0x7F));
  if (Header.Flags & kKitFlagDescription) {
    const std::size_t n = std::min(Header.Description.size(), kKitMaxDescription);
    writer.U8(static_cast<Byte>(n));
    writer.Bytes(Header.Description.data(), static_cast<Int64>(n));
  }
  if (Header.Flags & kKitFlagIdent) writer.I32(Header.Ident);
}

TKitItemHeader ReadItemHeader(TStream& Stream) {
  TRecordReader reader(Stream);
  TKitItemHeader header;
  header.Flags = reader.U8("item flags");
  if (header.Flags & kKitFlagDescription) {
    const Byte n = reader.U8("description length");
    reader.RequireBytes(n, "description");
    header.Description.resize(n);
    reader.Bytes(header.Description.data(), n, "description");
  }
  if (header.Flags & kKitFlagIdent) header.Ident = static_cast<Word>(reader.I32("ident") & 0xFFFF);
  return header;
}

// ---- blocks ------------------------------------------------------------------------------------

void WriteTextBlock(TStream& Stream, const std::string& Text, bool Compressed) {
  TMemoryStream content;
  if (!Text.empty()) content.WriteBuffer(Text.data(), static_cast<Int64>(Text.size()));
  WriteBlock(Stream, content, Compressed);
}

std::string ReadTextBlock(TStream& Stream, bool Compressed) {
  TMemoryStream content;
  ReadBlock(Stream, content, Compressed, "text block");
  return std::string(static_cast<const char*>(content.Memory()), static_cast<std::size_t>(content.Size()));
}

void WriteBitmapBlock(TStream& Stream, TBitmap* Bitmap, TKitSavePixelFormat Format, bool Compressed) {
  TMemoryStream content;
  if (Format == spfDefault) {
    if (Bitmap) Bitmap->SaveToStream(content);
  } else {
    WriteBitmapAtDepth(content, Bitmap, DepthOf(Format));
  }
  WriteBlock(Stream, content, Compressed);
}

void ReadBitmapBlock(TStream& Stream, TBitmap* Bitmap, bool Compressed) {
  TMemoryStream content;
  ReadBlock(Stream, content, Compressed, "bitmap block");
  TBitmap image;
  image.LoadFromStream(content);
  if (Bitmap) Bitmap->Assign(&image);
}

void WriteBitmapAtDepth(TStream& Stream, TBitmap* Bitmap, Integer BitCount) {
  if (!Bitmap || Bitmap->Empty()) throw EInvalidGraphic(msg::InvalidGraphic);
  const Integer bits = (BitCount == 16 || BitCount == 32 || BitCount == 0) ? 24 : BitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) throw EInvalidGraphic(msg::InvalidGraphic);
  const Integer width = Bitmap->Width();
  const Integer height = Bitmap->Height();
  const Int64 stride = ((Int64{width} * bits + 31) / 32) * 4;
  const Int64 imageSize = stride * height;
  const Integer colors = bits <= 8 ? (1 << bits) : 0;
  const Integer headerSize = kInfoHeaderSize + colors * 4;

  // The bits as the window system hands them out at that depth.
  std::vector<Byte> info(sizeof(win::BITMAPINFOHEADER) + 256 * sizeof(win::RGBQUAD) + 12);
  auto* bmi = reinterpret_cast<win::BITMAPINFO*>(info.data());
  bmi->bmiHeader = win::BITMAPINFOHEADER{};
  bmi->bmiHeader.biWidth = width;
  bmi->bmiHeader.biHeight = height;
  bmi->bmiHeader.biBitCount = static_cast<win::WORD>(bits);
  bmi->bmiHeader.biCompression = win::BI_RGB;
  std::vector<Byte> pixels(static_cast<std::size_t>(imageSize));
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  const int lines = win::GetDIBits(dc, Bitmap->Handle(), 0, static_cast<win::UINT>(height), pixels.data(), bmi,
                                   win::DIB_RGB_COLORS);
  win::DeleteDC(dc);
  if (lines != height) throw EInvalidGraphic(msg::InvalidGraphic);

  TRecordWriter writer(Stream);
  writer.U8('B');
  writer.U8('M');
  writer.U32(static_cast<Cardinal>(kFileHeaderSize + headerSize + imageSize));
  writer.U16(0);
  writer.U16(0);
  writer.U32(static_cast<Cardinal>(kFileHeaderSize + headerSize));
  writer.U32(kInfoHeaderSize);
  writer.I32(width);
  writer.I32(height);
  writer.U16(1);
  writer.U16(static_cast<Word>(bits));
  writer.U32(win::BI_RGB);
  writer.U32(static_cast<Cardinal>(imageSize));
  for (int i = 0; i < 4; ++i) writer.U32(0);  // resolution, colours used and important
  if (colors > 0) writer.Bytes(info.data() + sizeof(win::BITMAPINFOHEADER), Int64{colors} * 4);
  if (imageSize > 0) writer.Bytes(pixels.data(), imageSize);
}

// ---- container files --------------------------------------------------------------------------

void WriteContainerSignature(TStream& Stream, TKitContainerKind Kind) {
  const std::string signature = KitContainerSignature(Kind);
  TRecordWriter writer(Stream);
  writer.ShortString(signature, kSignatureLength);
}

TKitContainerKind ReadContainerSignature(TStream& Stream) {
  TRecordReader reader(Stream);
  if (reader.BytesLeft() < kSignatureLength + 1) return ckNone;
  std::string field(kSignatureLength + 1, '\0');
  reader.Bytes(field.data(), kSignatureLength + 1, "signature");
  return KitContainerKindOf(field);
}

TKitContainerIndex ReadContainerIndex(TStream& Stream) {
  TRecordReader reader(Stream);
  TKitContainerIndex index;
  // Each item takes its position and at least its flag byte.
  index.Count = reader.ReadCount("item count", 5);
  index.Positions.reserve(static_cast<std::size_t>(index.Count));
  for (Integer i = 0; i < index.Count; ++i) index.Positions.push_back(reader.U32("item position"));
  const Int64 tableEnd = Stream.Position();
  const Int64 size = Stream.Size();
  for (Int64 p : index.Positions)
    if (p < tableEnd || p >= size) throw EReadError("Item position outside the container stream");
  return index;
}

void RaiseContainerFileError(const std::string& FileName) {
  throw Exception(std::string("Cannot open file %s: ") + FileName);
}
