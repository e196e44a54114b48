#pragma once
// A small TIFF writer for files no tool writes (and for malformed ones): the 8-byte
// header, the image data at offset 8, then one directory whose values that do not fit
// in an entry follow it.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace readertest {

struct TiffEntry {
  std::uint16_t Tag;
  std::uint16_t Type;  // 1 BYTE, 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, 7 UNDEFINED
  std::vector<std::uint32_t> Values;  // RATIONAL: numerator, denominator pairs
  std::uint32_t CountOverride = 0xFFFFFFFFu;  // a count to write instead of the real one
};

inline unsigned TiffTypeSize(std::uint16_t type) {
  switch (type) {
    case 3: return 2;
    case 4: return 4;
    case 5: return 8;
    default: return 1;
  }
}

class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian = false) : be_(bigEndian) {}

  std::vector<unsigned char> Build(std::vector<TiffEntry> entries, const std::vector<unsigned char>& data,
                                   std::uint32_t nextIFD = 0) const {
    std::sort(entries.begin(), entries.end(), [](const TiffEntry& a, const TiffEntry& b) { return a.Tag < b.Tag; });
    std::vector<unsigned char> out;
    out.push_back(be_ ? 'M' : 'I');
    out.push_back(be_ ? 'M' : 'I');
    Put16(out, 42);
    const std::uint32_t ifd = static_cast<std::uint32_t>(8 + data.size() + (data.size() & 1));
    Put32(out, ifd);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    std::vector<unsigned char> extra;
    const std::uint32_t extraAt = ifd + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    Put16(out, static_cast<std::uint16_t>(entries.size()));
    for (const TiffEntry& e : entries) {
      const unsigned size = TiffTypeSize(e.Type);
      const std::uint32_t count =
          e.Type == 5 ? static_cast<std::uint32_t>(e.Values.size() / 2) : static_cast<std::uint32_t>(e.Values.size());
      Put16(out, e.Tag);
      Put16(out, e.Type);
      Put32(out, e.CountOverride != 0xFFFFFFFFu ? e.CountOverride : count);
      std::vector<unsigned char> bytes;
      for (std::uint32_t v : e.Values) PutValue(bytes, e.Type == 5 ? 4 : size, v);
      if (bytes.size() <= 4) {
        bytes.resize(4, 0);
        out.insert(out.end(), bytes.begin(), bytes.end());
      } else {
        Put32(out, extraAt + static_cast<std::uint32_t>(extra.size()));
        extra.insert(extra.end(), bytes.begin(), bytes.end());
      }
    }
    Put32(out, nextIFD);
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
  }

  // The usual tags of a one-strip image whose data starts at offset 8.
  static std::vector<TiffEntry> Basic(std::uint32_t w, std::uint32_t h, std::uint32_t bits, std::uint32_t samples,
                                      std::uint32_t photometric, std::uint32_t compression, std::uint32_t dataSize) {
    std::vector<std::uint32_t> bps(samples, bits);
    return {{256, 4, {w}},           {257, 4, {h}},  {258, 3, bps},       {259, 3, {compression}},
            {262, 3, {photometric}}, {273, 4, {8}},  {277, 3, {samples}}, {278, 4, {h}},
            {279, 4, {dataSize}}};
  }

 private:
  void Put16(std::vector<unsigned char>& b, std::uint32_t v) const {
    if (be_) {
      b.push_back(static_cast<unsigned char>(v >> 8));
      b.push_back(static_cast<unsigned char>(v));
    } else {
      b.push_back(static_cast<unsigned char>(v));
      b.push_back(static_cast<unsigned char>(v >> 8));
    }
  }
  void Put32(std::vector<unsigned char>& b, std::uint32_t v) const {
    if (be_) {
      Put16(b, v >> 16);
      Put16(b, v & 0xFFFF);
    } else {
      Put16(b, v & 0xFFFF);
      Put16(b, v >> 16);
    }
  }
  void PutValue(std::vector<unsigned char>& b, unsigned size, std::uint32_t v) const {
    if (size == 1)
      b.push_back(static_cast<unsigned char>(v));
    else if (size == 2)
      Put16(b, v);
    else
      Put32(b, v);
  }

  bool be_;
};

// Sets (or adds) an entry of a tag list.
inline void SetTag(std::vector<TiffEntry>& entries, TiffEntry entry) {
  for (TiffEntry& e : entries)
    if (e.Tag == entry.Tag) {
      e = entry;
      return;
    }
  entries.push_back(entry);
}

}  // namespace readertest
