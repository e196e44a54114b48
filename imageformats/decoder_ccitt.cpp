#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

namespace {

struct TCode {
  const char* Bits;
  Integer Run;
};

// Modified Huffman terminating codes (runs 0..63) and make-up codes (64..1728).
constexpr TCode kWhiteCodes[] = {
    {"00110101", 0},     {"000111", 1},       {"0111", 2},         {"1000", 3},         {"1011", 4},
    {"1100", 5},         {"1110", 6},         {"1111", 7},         {"10011", 8},        {"10100", 9},
    {"00111", 10},       {"01000", 11},       {"001000", 12},      {"000011", 13},      {"110100", 14},
    {"110101", 15},      {"101010", 16},      {"101011", 17},      {"0100111", 18},     {"0001100", 19},
    {"0001000", 20},     {"0010111", 21},     {"0000011", 22},     {"0000100", 23},     {"0101000", 24},
    {"0101011", 25},     {"0010011", 26},     {"0100100", 27},     {"0011000", 28},     {"00000010", 29},
    {"00000011", 30},    {"00011010", 31},    {"00011011", 32},    {"00010010", 33},    {"00010011", 34},
    {"00010100", 35},    {"00010101", 36},    {"00010110", 37},    {"00010111", 38},    {"00101000", 39},
    {"00101001", 40},    {"00101010", 41},    {"00101011", 42},    {"00101100", 43},    {"00101101", 44},
    {"00000100", 45},    {"00000101", 46},    {"00001010", 47},    {"00001011", 48},    {"01010010", 49},
    {"01010011", 50},    {"01010100", 51},    {"01010101", 52},    {"00100100", 53},    {"00100101", 54},
    {"01011000", 55},    {"01011001", 56},    {"01011010", 57},    {"01011011", 58},    {"01001010", 59},
    {"01001011", 60},    {"00110010", 61},    {"00110011", 62},    {"00110100", 63},    {"11011", 64},
    {"10010", 128},      {"010111", 192},     {"0110111", 256},    {"00110110", 320},   {"00110111", 384},
    {"01100100", 448},   {"01100101", 512},   {"01101000", 576},   {"01100111", 640},   {"011001100", 704},
    {"011001101", 768},  {"011010010", 832},  {"011010011", 896},  {"011010100", 960},  {"011010101", 1024},
    {"011010110", 1088}, {"011010111", 1152}, {"011011000", 1216}, {"011011001", 1280}, {"011011010", 1344},
    {"011011011", 1408}, {"010011000", 1472}, {"010011001", 1536}, {"010011010", 1600}, {"011000", 1664},
    {"010011011", 1728},
};

constexpr TCode kBlackCodes[] = {
    {"0000110111", 0},      {"010", 1},             {"11", 2},              {"10", 3},
    {"011", 4},             {"0011", 5},            {"0010", 6},            {"00011", 7},
    {"000101", 8},          {"000100", 9},          {"0000100", 10},        {"0000101", 11},
    {"0000111", 12},        {"00000100", 13},       {"00000111", 14},       {"000011000", 15},
    {"0000010111", 16},     {"0000011000", 17},     {"0000001000", 18},     {"00001100111", 19},
    {"00001101000", 20},    {"00001101100", 21},    {"00000110111", 22},    {"00000101000", 23},
    {"00000010111", 24},    {"00000011000", 25},    {"000011001010", 26},   {"000011001011", 27},
    {"000011001100", 28},   {"000011001101", 29},   {"000001101000", 30},   {"000001101001", 31},
    {"000001101010", 32},   {"000001101011", 33},   {"000011010010", 34},   {"000011010011", 35},
    {"000011010100", 36},   {"000011010101", 37},   {"000011010110", 38},   {"000011010111", 39},
    {"000001101100", 40},   {"000001101101", 41},   {"000011011010", 42},   {"000011011011", 43},
    {"000001010100", 44},   {"000001010101", 45},   {"000001010110", 46},   {"000001010111", 47},
    {"000001100100", 48},   {"000001100101", 49},   {"000001010010", 50},   {"000001010011", 51},
    {"000000100100", 52},   {"000000110111", 53},   {"000000111000", 54},   {"000000100111", 55},
    {"000000101000", 56},   {"000001011000", 57},   {"000001011001", 58},   {"000000101011", 59},
    {"000000101100", 60},   {"000001011010", 61},   {"000001100110", 62},   {"000001100111", 63},
    {"0000001111", 64},     {"000011001000", 128},  {"000011001001", 192},  {"000001011011", 256},
    {"000000110011", 320},  {"000000110100", 384},  {"000000110101", 448},  {"0000001101100", 512},
    {"0000001101101", 576}, {"0000001001010", 640}, {"0000001001011", 704}, {"0000001001100", 768},
    {"0000001001101", 832}, {"0000001110010", 896}, {"0000001110011", 960}, {"0000001110100", 1024},
    {"0000001110101", 1088}, {"0000001110110", 1152}, {"0000001110111", 1216}, {"0000001010010", 1280},
    {"0000001010011", 1344}, {"0000001010100", 1408}, {"0000001010101", 1472}, {"0000001011010", 1536},
    {"0000001011011", 1600}, {"0000001100100", 1664}, {"0000001100101", 1728},
};

// Make-up codes shared by both colours (runs 1792..2560), the end-of-line code and the
// codes that are never valid at a run's start.
constexpr TCode kCommonCodes[] = {
    {"00000001000", 1792},  {"00000001100", 1856},  {"00000001101", 1920},  {"000000010010", 1984},
    {"000000010011", 2048}, {"000000010100", 2112}, {"000000010101", 2176}, {"000000010110", 2240},
    {"000000010111", 2304}, {"000000011100", 2368}, {"000000011101", 2432}, {"000000011110", 2496},
    {"000000011111", 2560}, {"000000000001", -1},   {"000000001", -2},      {"0000000001", -2},
    {"00000000001", -2},    {"000000000000", -2},
};

Byte gReversed[256];
const bool gReversedBuilt = [] {
  for (int i = 0; i < 256; ++i) {
    Byte r = 0;
    for (int b = 0; b < 8; ++b)
      if (i & (1 << b)) r |= static_cast<Byte>(0x80 >> b);
    gReversed[i] = r;
  }
  return true;
}();

}  // namespace

// ---- bit reader -----------------------------------------------------------------------

bool TCCITTDecoder::TBitReader::NextBit(bool& bit) {
  if (Mask == 0) {
    if (Position >= Size) return false;
    Current = Swap ? gReversed[Data[Position]] : Data[Position];
    ++Position;
    Mask = 0x80;
  }
  bit = Current & Mask;
  Mask >>= 1;
  return true;
}

void TCCITTDecoder::TBitReader::DropByte() { Mask = 0; }

// ---- code trees -----------------------------------------------------------------------

const TClass& TCCITTDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TCCITTDecoder>("TCCITTDecoder", TDecoder::StaticClass());
  return cls;
}

TCCITTDecoder::TCCITTDecoder(Cardinal options, bool swapBits, bool wordAligned, Cardinal width)
    : FOptions(options), FSwapBits(swapBits), FWordAligned(wordAligned), FWidth(width) {
  if (width == 0) CompressionError("CCITT data needs a width of at least one pixel.");
  FBytesPerRow = width / 8 + (width % 8 ? 1 : 0);
  (void)gReversedBuilt;
  BuildTrees();
}

void TCCITTDecoder::AddCode(int color, const char* bits, Integer value) {
  std::vector<TTreeNode>& tree = FTrees[color];
  Integer node = 0;
  for (const char* p = bits; *p; ++p) {
    const int b = *p == '1';
    if (tree[node].Child[b] == 0) {
      tree[node].Child[b] = static_cast<Integer>(tree.size());
      tree.emplace_back();
    }
    node = tree[node].Child[b];
  }
  tree[node].Value = value;
}

void TCCITTDecoder::BuildTrees() {
  for (auto& tree : FTrees) {
    tree.clear();
    tree.emplace_back();  // the root
  }
  for (const TCode& c : kWhiteCodes) AddCode(0, c.Bits, c.Run);
  for (const TCode& c : kBlackCodes) AddCode(1, c.Bits, c.Run);
  for (const TCode& c : kCommonCodes) {
    AddCode(0, c.Bits, c.Run);
    AddCode(1, c.Bits, c.Run);
  }
}

Integer TCCITTDecoder::ReadRun(TBitReader& reader, int color) const {
  const std::vector<TTreeNode>& tree = FTrees[color];
  Integer total = 0;
  Integer node = 0;
  for (;;) {
    bool bit;
    if (!reader.NextBit(bit)) return kInputEnded;
    node = tree[node].Child[bit ? 1 : 0];
    if (node == 0) return kInvalidCode;  // no code continues this way
    const Integer value = tree[node].Value;
    if (value == -3) continue;
    if (value < 0) return value;
    // Make-up codes add up; cap the sum so a stream of them cannot overflow.
    total = std::min<Integer>(total + value, 1 << 24);
    if (value < 64) return total;
    node = 0;
  }
}

TCCITTDecoder::TBitReader TCCITTDecoder::MakeReader(const void* source, Integer packedSize) const {
  TBitReader r;
  r.Data = static_cast<const Byte*>(source);
  r.Size = static_cast<Cardinal>(packedSize);
  r.Swap = FSwapBits;
  return r;
}

// ---- line decoding --------------------------------------------------------------------

namespace {

// Decodes one line's runs into a cleared row of `width` pixels (the row may be cut short
// by the end of the output: `rowBits` pixels are writable). Answers how the line ended.
template <class ReadRunFn>
Integer DecodeLine(ReadRunFn&& readRun, Byte* row, Cardinal width, Cardinal rowBits, Cardinal& decoded) {
  Cardinal pos = 0;
  int color = 0;
  decoded = 0;
  while (pos < width) {
    const Integer run = readRun(color);
    if (run < 0) return run;
    const Cardinal n = std::min<Cardinal>(static_cast<Cardinal>(run), width - pos);
    if (color == 1 && pos < rowBits) {
      const Cardinal end = std::min(pos + n, rowBits);
      for (Cardinal x = pos; x < end; ++x) row[x >> 3] |= static_cast<Byte>(0x80u >> (x & 7));
    }
    pos += n;
    decoded = pos;
    color ^= 1;
  }
  return 0;
}

}  // namespace

const TClass& TCCITTMHDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TCCITTMHDecoder>("TCCITTMHDecoder", TCCITTDecoder::StaticClass());
  return cls;
}

void TCCITTMHDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  Byte* out = static_cast<Byte*>(dest);
  const std::size_t outSize = static_cast<std::size_t>(unpackedSize);
  if (outSize > 0) std::memset(out, 0, outSize);
  TBitReader reader = MakeReader(source, packedSize);
  std::size_t rowStart = 0;
  while (rowStart < outSize && !reader.AtEnd()) {
    const Cardinal rowBits = static_cast<Cardinal>(std::min<std::size_t>((outSize - rowStart) * 8, FWidth));
    Cardinal decoded;
    // Any line end (complete, end-of-line code, invalid code) moves to the next row.
    DecodeLine([&](int color) { return ReadRun(reader, color); }, out + rowStart, FWidth, rowBits, decoded);
    rowStart += FBytesPerRow;
    reader.DropByte();
    if (FWordAligned && (reader.Position & 1) && reader.Position < reader.Size) ++reader.Position;
  }
  source = static_cast<const Byte*>(source) + std::min(reader.Position, reader.Size);
  dest = out + std::min(rowStart, outSize);
}

const TClass& TCCITTFax3Decoder::StaticClass() {
  static const TClass cls = TClass::Of<TCCITTFax3Decoder>("TCCITTFax3Decoder", TCCITTDecoder::StaticClass());
  return cls;
}

void TCCITTFax3Decoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  Byte* out = static_cast<Byte*>(dest);
  const std::size_t outSize = static_cast<std::size_t>(unpackedSize);
  if (outSize > 0) std::memset(out, 0, outSize);
  TBitReader reader = MakeReader(source, packedSize);
  std::size_t rowStart = 0;
  bool endedOnEOL = false;
  while (rowStart < outSize && !reader.AtEnd()) {
    if (!endedOnEOL) {
      // Find the next end-of-line code: eleven 0 bits, then the 1 that closes it.
      int zeros = 0;
      bool bit = false;
      while (zeros < 11 && reader.NextBit(bit)) zeros = bit ? 0 : zeros + 1;
      while (reader.NextBit(bit) && !bit) {
      }
      if (reader.AtEnd() && zeros < 11) break;
    }
    const Cardinal rowBits = static_cast<Cardinal>(std::min<std::size_t>((outSize - rowStart) * 8, FWidth));
    Cardinal decoded;
    const Integer result =
        DecodeLine([&](int color) { return ReadRun(reader, color); }, out + rowStart, FWidth, rowBits, decoded);
    endedOnEOL = result == kEndOfLine;
    if (result == kInputEnded && decoded == 0) break;
    // An end-of-line code straight after another one is fill, not an empty line.
    if (endedOnEOL && decoded == 0) continue;
    rowStart += FBytesPerRow;
  }
  source = static_cast<const Byte*>(source) + std::min(reader.Position, reader.Size);
  dest = out + std::min(rowStart, outSize);
}
