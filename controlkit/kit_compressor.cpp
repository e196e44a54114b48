#include "controlkit/kit_compressor.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/classlib/exceptions.h"

namespace {

constexpr Word kEmptySlot = 0xFFFF;
constexpr Cardinal kHashSize = 4096;
constexpr Cardinal kMaxRun = 4095;
constexpr Cardinal kMaxMatch = 18;
constexpr Cardinal kMinMatch = 3;
constexpr Cardinal kMaxOffset = 4096;
constexpr Cardinal kMinRun = 16;

void StoreBE16(Byte* p, Word v) {
  p[0] = static_cast<Byte>(v >> 8);
  p[1] = static_cast<Byte>(v);
}

// One hash probe at p; the table remembers p afterwards. Needs three bytes at p.
bool FindMatch(const Byte* s, Cardinal p, Cardinal length, Word* table, Cardinal& matchPos, Cardinal& matchLen) {
  const Cardinal h = ((((((static_cast<Cardinal>(s[p]) << 4) ^ s[p + 1]) << 4) ^ s[p + 2]) * 40543u) >> 4) & 0xFFF;
  const Word slot = table[h];
  table[h] = static_cast<Word>(p);
  if (slot == kEmptySlot) return false;
  // Positions are kept in 16 bits and read back signed: one at 32768 or beyond never
  // lies within reach.
  const Integer q = static_cast<SmallInt>(slot);
  if (static_cast<Integer>(p) - q >= static_cast<Integer>(kMaxOffset) || q < 0) return false;
  Cardinal n = 0;
  while (n < kMaxMatch && p + n < length && s[p + n] == s[static_cast<Cardinal>(q) + n]) ++n;
  if (n < kMinMatch) return false;
  matchPos = static_cast<Cardinal>(q);
  matchLen = n;
  return true;
}

}  // namespace

Word LZRWCompress(const Byte* Source, Byte* Dest, Cardinal SourceLength) {
  if (SourceLength > kLZRWChunkSize) throw EInvalidPointer("LZRW Error!");
  const Cardinal length = SourceLength;
  std::vector<Word> table;
  try {
    table.assign(kHashSize, kEmptySlot);
  } catch (const std::bad_alloc&) {
    throw EInvalidPointer("LZRW Error!");
  }

  Dest[0] = kLZRWCompressed;
  Cardinal control = 1;
  Cardinal out = 3;
  Cardinal bits = 0;
  Word word = 0;
  Cardinal p = 0;
  while (p < length && out <= length) {
    if (bits > 15) {
      StoreBE16(Dest + control, word);
      control = out;
      out += 2;
      bits = 0;
    }
    Cardinal n = 1;
    while (p + n < length && Source[p + n] == Source[p] && n < kMaxRun) ++n;
    if (n < kMinRun) {
      Cardinal q = 0, m = 0;
      if (p + 2 < length && FindMatch(Source, p, length, table.data(), q, m)) {
        StoreBE16(Dest + out, static_cast<Word>(((p - q) << 4) + (m - kMinMatch)));
        out += 2;
        word = static_cast<Word>((word << 1) + 1);
        p += m;
      } else {
        Dest[out++] = Source[p++];
        word = static_cast<Word>(word << 1);
      }
    } else {
      const Cardinal code = n - kMinRun;
      Dest[out] = 0;
      Dest[out + 1] = static_cast<Byte>(code >> 8);
      Dest[out + 2] = static_cast<Byte>(code & 0xFF);
      Dest[out + 3] = Source[p];
      out += 4;
      word = static_cast<Word>((word << 1) + 1);
      p += n;
    }
    ++bits;
  }
  StoreBE16(Dest + control, static_cast<Word>(bits >= 16 ? word : word << (16 - bits)));
  if (out > length) {
    Dest[0] = kLZRWStored;
    if (length > 0) std::memcpy(Dest + 1, Source, length);
    return static_cast<Word>(length + 1);
  }
  return static_cast<Word>(out);
}

Cardinal LZRWDecompress(const Byte* Block, Byte* Dest, Cardinal BlockLength, bool* Damaged) {
  bool damaged = false;
  Cardinal out = 0;
  if (BlockLength == 0) {
    damaged = true;
  } else if (Block[0] == kLZRWStored) {
    Cardinal n = BlockLength - 1;
    if (n > kLZRWChunkSize) {
      n = kLZRWChunkSize;
      damaged = true;
    }
    if (n > 0) std::memcpy(Dest, Block + 1, n);
    out = n;
  } else if (BlockLength > 3) {
    Cardinal pos = 3;
    Word word = static_cast<Word>((Block[1] << 8) | Block[2]);
    Cardinal used = 0;
    while (pos < BlockLength) {
      if (used == 16) {
        if (pos + 2 > BlockLength) {
          damaged = true;
          break;
        }
        word = static_cast<Word>((Block[pos] << 8) | Block[pos + 1]);
        pos += 2;
        used = 0;
        // A control word at the very end announces nothing.
        if (pos >= BlockLength) break;
      }
      const bool isCopy = (word & 0x8000) != 0;
      word = static_cast<Word>(word << 1);
      ++used;
      if (!isCopy) {
        if (out >= kLZRWChunkSize) {
          damaged = true;
          break;
        }
        Dest[out++] = Block[pos++];
        continue;
      }
      if (pos + 2 > BlockLength) {
        damaged = true;
        break;
      }
      const Byte b0 = Block[pos];
      const Byte b1 = Block[pos + 1];
      const Cardinal offset = (static_cast<Cardinal>(b0) << 4) | (b1 >> 4);
      if (offset != 0) {
        const Cardinal count = (b1 & 15u) + 3;
        pos += 2;
        if (offset > out || out + count > kLZRWChunkSize) {
          damaged = true;
          break;
        }
        // Byte by byte: an overlapping copy repeats the pattern.
        for (Cardinal i = 0; i < count; ++i, ++out) Dest[out] = Dest[out - offset];
      } else {
        if (pos + 4 > BlockLength) {
          damaged = true;
          break;
        }
        const Cardinal count = ((b1 & 15u) << 8) + Block[pos + 2] + 16;
        const Byte value = Block[pos + 3];
        pos += 4;
        if (out + count > kLZRWChunkSize) {
          damaged = true;
          break;
        }
        std::memset(Dest + out, value, count);
        out += count;
      }
    }
  }
  if (Damaged) *Damaged = damaged;
  return out;
}
