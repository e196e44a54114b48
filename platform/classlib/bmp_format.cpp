#include "platform/classlib/bmp_format.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

[[noreturn]] void Bad(const std::string& why) {
  throw EInvalidGraphic(std::string(msg::InvalidGraphic) + " (" + why + ")");
}

// Little-endian reads over the file's bytes; every read checks what is left.
class ByteCursor {
 public:
  ByteCursor(const Byte* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Pos() const { return pos_; }
  std::size_t Left() const { return size_ - pos_; }
  void Need(std::size_t n, const char* what) const {
    if (Left() < n) Bad(std::string(what) + " ends early");
  }
  void Seek(std::size_t pos) { pos_ = pos; }
  Byte U8() { return data_[pos_++]; }
  Word U16() {
    Word v = static_cast<Word>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  Cardinal U32() {
    Cardinal v = static_cast<Cardinal>(data_[pos_]) | (static_cast<Cardinal>(data_[pos_ + 1]) << 8) |
                 (static_cast<Cardinal>(data_[pos_ + 2]) << 16) | (static_cast<Cardinal>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  Integer I32() { return static_cast<Integer>(U32()); }
  const Byte* Here() const { return data_ + pos_; }

 private:
  const Byte* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr Cardinal kBiRgb = 0;
constexpr Cardinal kBiRle8 = 1;
constexpr Cardinal kBiRle4 = 2;
constexpr Cardinal kBiBitfields = 3;

bool OneRunOfBits(Cardinal m) {
  if (m == 0) return false;
  const Cardinal shifted = m >> std::countr_zero(m);
  return (shifted & (shifted + 1)) == 0;
}

// Run-length data of a bottom-up image: row 0 of `out` is the bottom row. Runs that go
// past the right edge are cut there; rows after the top one are ignored; data that
// stops without an end-of-bitmap mark ends the image where it stops.
void DecodeRle(const Byte* p, std::size_t n, bool rle4, Int64 width, Int64 height, Int64 stride, Byte* out) {
  std::size_t i = 0;
  Int64 x = 0, y = 0;
  auto put = [&](Int64 px, Byte v) {
    if (px < 0 || px >= width) return;
    Byte* row = out + y * stride;
    if (rle4) {
      Byte& b = row[px / 2];
      b = (px & 1) ? static_cast<Byte>((b & 0xF0) | (v & 0x0F)) : static_cast<Byte>((b & 0x0F) | (v << 4));
    } else {
      row[px] = v;
    }
  };
  while (y < height && n - i >= 2) {
    const Byte a = p[i], b = p[i + 1];
    i += 2;
    if (a > 0) {
      // Encoded run: `a` pixels of `b` (RLE4: its two nibbles in turn).
      const Int64 count = std::min<Int64>(a, std::max<Int64>(0, width - x));
      for (Int64 k = 0; k < count; ++k) put(x + k, rle4 ? static_cast<Byte>((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
      x += a;
      continue;
    }
    switch (b) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta
        if (n - i < 2) Bad("run-length delta ends early");
        x += p[i];
        y += p[i + 1];
        i += 2;
        break;
      default: {  // absolute run of b pixels, padded to a 16-bit boundary
        const std::size_t bytes = rle4 ? (b + 1u) / 2u : b;
        if (n - i < bytes) Bad("run-length data ends early");
        const Byte* run = p + i;
        for (Int64 k = 0; k < b; ++k) {
          if (x + k >= width) break;
          put(x + k, rle4 ? static_cast<Byte>((k & 1) ? (run[k / 2] & 0x0F) : (run[k / 2] >> 4)) : run[k]);
        }
        x += b;
        i += std::min(n - i, (bytes + 1) & ~std::size_t{1});
        break;
      }
    }
  }
}

// Parses an info header and what follows it. `pixelOffset` is where the rows start
// (relative to the cursor's origin) or 0 when they follow the colour table.
TDibData ParseDib(ByteCursor& c, std::size_t pixelOffset) {
  c.Need(4, "bitmap header");
  const std::size_t headerStart = c.Pos();
  const Cardinal headerSize = c.U32();
  Int64 width = 0, height = 0;
  Word planes = 0, bitCount = 0;
  Cardinal compression = kBiRgb, sizeImage = 0, colorsUsed = 0;
  Cardinal masks[3] = {0, 0, 0};
  bool core = false;
  if (headerSize == 12) {
    core = true;
    c.Need(8, "bitmap core header");
    width = c.U16();
    height = c.U16();
    planes = c.U16();
    bitCount = c.U16();
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    c.Need(headerSize - 4, "bitmap info header");
    width = c.I32();
    height = c.I32();
    planes = c.U16();
    bitCount = c.U16();
    compression = c.U32();
    sizeImage = c.U32();
    c.U32();  // resolution, not used
    c.U32();
    colorsUsed = c.U32();
    c.U32();  // important colours
    if (headerSize >= 52) {
      masks[0] = c.U32();
      masks[1] = c.U32();
      masks[2] = c.U32();
    }
    c.Seek(headerStart + headerSize);
  } else {
    Bad("unsupported header size " + std::to_string(headerSize));
  }

  if (width <= 0) Bad("width " + std::to_string(width));
  if (height == 0 || height == INT32_MIN) Bad("height " + std::to_string(height));
  if (planes != 1) Bad(std::to_string(planes) + " planes");
  const bool depthOk = core ? (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24)
                            : (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                               bitCount == 24 || bitCount == 32);
  if (!depthOk) Bad(std::to_string(bitCount) + " bits per pixel");
  const bool topDown = height < 0;
  if (topDown) height = -height;
  switch (compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (bitCount != 8 || topDown) Bad("RLE8 needs a bottom-up 8-bit image");
      break;
    case kBiRle4:
      if (bitCount != 4 || topDown) Bad("RLE4 needs a bottom-up 4-bit image");
      break;
    case kBiBitfields:
      if (bitCount != 16 && bitCount != 32) Bad("bit fields need 16 or 32 bits per pixel");
      if (headerSize == 40) {
        c.Need(12, "colour masks");
        masks[0] = c.U32();
        masks[1] = c.U32();
        masks[2] = c.U32();
      }
      break;
    default:
      Bad("unsupported compression " + std::to_string(compression));
  }

  TDibData dib;
  const Int64 stride = TDibData::DibStride(width, bitCount);
  if (!PictureSizeAllowed(width, height) || stride * height > kMaxDibBytes)
    Bad("image too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");
  dib.Width = static_cast<Integer>(width);
  dib.Height = static_cast<Integer>(height);
  dib.BitCount = bitCount;

  if (compression == kBiBitfields) {
    const Cardinal limit = bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (Cardinal m : masks)
      if (!OneRunOfBits(m) || m > limit) Bad("invalid colour masks");
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2])) Bad("overlapping colour masks");
    std::memcpy(dib.Masks, masks, sizeof masks);
    if (dib.PlainMasks()) std::memset(dib.Masks, 0, sizeof dib.Masks);
  }

  // Colour table: RGB triples after a core header, RGBQUADs otherwise.
  const std::size_t entrySize = core ? 3 : 4;
  Int64 tableCount = 0;
  if (bitCount <= 8) {
    const Int64 full = Int64{1} << bitCount;
    tableCount = (colorsUsed == 0 || core) ? full : std::min<Int64>(colorsUsed, full);
  } else if (colorsUsed > 0) {
    tableCount = colorsUsed;  // an optional table of no use to a direct-colour image
  }
  if (bitCount > 8 && pixelOffset != 0) tableCount = 0;  // the rows' offset is known: no need to pass it
  if (static_cast<std::uint64_t>(tableCount) * entrySize > c.Left()) {
    // Some writers store fewer core entries than the depth allows; the rows then start
    // where the file header says.
    if (!core || pixelOffset == 0) Bad("colour table ends early");
    tableCount = static_cast<Int64>(c.Left() / entrySize);
  }
  if (bitCount <= 8) {
    dib.Colors.resize(static_cast<std::size_t>(tableCount));
    for (win::RGBQUAD& q : dib.Colors) {
      q.rgbBlue = c.U8();
      q.rgbGreen = c.U8();
      q.rgbRed = c.U8();
      q.rgbReserved = 0;
      if (!core) c.U8();
    }
  } else {
    c.Seek(c.Pos() + static_cast<std::size_t>(tableCount) * entrySize);
  }

  if (pixelOffset != 0) {
    if (pixelOffset < c.Pos()) Bad("pixel data overlaps the header");
    if (pixelOffset > c.Pos() + c.Left()) Bad("pixel offset beyond the end of the file");
    c.Seek(pixelOffset);
  }

  const std::size_t imageBytes = static_cast<std::size_t>(stride * height);
  if (compression == kBiRle8 || compression == kBiRle4) {
    std::size_t n = c.Left();
    if (sizeImage != 0 && sizeImage < n) n = sizeImage;
    dib.Bits.assign(imageBytes, 0);
    DecodeRle(c.Here(), n, compression == kBiRle4, width, height, stride, dib.Bits.data());
    c.Seek(c.Pos() + n);
    return dib;
  }
  if (c.Left() < imageBytes) Bad("pixel data ends early");
  dib.Bits.resize(imageBytes);
  if (topDown) {
    for (Int64 y = 0; y < height; ++y)
      std::memcpy(dib.Bits.data() + (height - 1 - y) * stride, c.Here() + y * stride, static_cast<std::size_t>(stride));
  } else {
    std::memcpy(dib.Bits.data(), c.Here(), imageBytes);
  }
  c.Seek(c.Pos() + imageBytes);
  return dib;
}

std::vector<Byte> ReadBlock(TStream& stream, Int64 size) {
  const Int64 left = std::max<Int64>(0, stream.Size() - stream.Position());
  if (size < 0 || size > left) Bad("the file ends early");
  std::vector<Byte> data(static_cast<std::size_t>(size));
  stream.ReadBuffer(data.data(), size);
  return data;
}

void PutU16(std::vector<Byte>& out, Word v) {
  out.push_back(static_cast<Byte>(v));
  out.push_back(static_cast<Byte>(v >> 8));
}
void PutU32(std::vector<Byte>& out, Cardinal v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<Byte>(v >> (8 * i)));
}

}  // namespace

bool TDibData::PlainMasks() const {
  if (Masks[0] == 0 && Masks[1] == 0 && Masks[2] == 0) return true;
  if (BitCount == 16) return Masks[0] == 0x7C00 && Masks[1] == 0x03E0 && Masks[2] == 0x001F;
  if (BitCount == 32) return Masks[0] == 0xFF0000 && Masks[1] == 0x00FF00 && Masks[2] == 0x0000FF;
  return false;
}

TDibData ReadBmpFile(TStream& stream, Int64 size) {
  const Int64 start = stream.Position();
  const Int64 left = std::max<Int64>(0, stream.Size() - start);
  if (size > left) size = left;
  if (size < 14) Bad("the file header ends early");
  Byte header[14];
  stream.ReadBuffer(header, 14);
  ByteCursor h(header, sizeof header);
  if (h.U8() != 'B' || h.U8() != 'M') Bad("no BMP signature");
  const Cardinal fileSize = h.U32();
  h.U32();  // reserved
  const Cardinal offBits = h.U32();
  // The file header's size bounds what belongs to this image when it is plausible.
  Int64 body = size - 14;
  if (fileSize >= 14 + 12 && Int64{fileSize} - 14 <= body) body = Int64{fileSize} - 14;
  std::vector<Byte> data = ReadBlock(stream, body);
  if (offBits != 0 && offBits < 14) Bad("pixel data overlaps the header");
  ByteCursor c(data.data(), data.size());
  TDibData dib = ParseDib(c, offBits == 0 ? 0 : offBits - 14);
  stream.SetPosition(start + 14 + body);
  return dib;
}

TDibData ReadPackedDib(TStream& stream, Int64 size) {
  const Int64 start = stream.Position();
  std::vector<Byte> data = ReadBlock(stream, std::min<Int64>(size, std::max<Int64>(0, stream.Size() - start)));
  ByteCursor c(data.data(), data.size());
  return ParseDib(c, 0);
}

std::vector<Byte> MakeBitmapInfo(const TDibData& dib) {
  std::vector<Byte> out;
  const bool fields = !dib.PlainMasks() && (dib.BitCount == 16 || dib.BitCount == 32);
  const Cardinal colors = dib.BitCount <= 8 ? static_cast<Cardinal>(dib.Colors.size()) : 0;
  PutU32(out, 40);
  PutU32(out, static_cast<Cardinal>(dib.Width));
  PutU32(out, static_cast<Cardinal>(dib.Height));
  PutU16(out, 1);
  PutU16(out, static_cast<Word>(dib.BitCount));
  PutU32(out, fields ? kBiBitfields : kBiRgb);
  PutU32(out, static_cast<Cardinal>(dib.Stride() * dib.Height));
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, (dib.BitCount <= 8 && colors != (1u << dib.BitCount)) ? colors : 0);
  PutU32(out, 0);
  if (fields)
    for (Cardinal m : dib.Masks) PutU32(out, m);
  for (Cardinal i = 0; i < colors; ++i) {
    const win::RGBQUAD& q = dib.Colors[i];
    out.push_back(q.rgbBlue);
    out.push_back(q.rgbGreen);
    out.push_back(q.rgbRed);
    out.push_back(0);
  }
  return out;
}

void WriteBmpFile(TStream& stream, const TDibData& dib) {
  const std::vector<Byte> info = MakeBitmapInfo(dib);
  const Int64 imageBytes = dib.Stride() * dib.Height;
  if (static_cast<Int64>(dib.Bits.size()) < imageBytes) throw EInvalidGraphic(msg::InvalidGraphic);
  const Int64 offBits = 14 + static_cast<Int64>(info.size());
  std::vector<Byte> header;
  header.push_back('B');
  header.push_back('M');
  PutU32(header, static_cast<Cardinal>(offBits + imageBytes));
  PutU32(header, 0);
  PutU32(header, static_cast<Cardinal>(offBits));
  stream.WriteBuffer(header.data(), static_cast<Int64>(header.size()));
  stream.WriteBuffer(info.data(), static_cast<Int64>(info.size()));
  stream.WriteBuffer(dib.Bits.data(), imageBytes);
}
