#pragma once
// Helpers of the colour-manager and decoder tests: Debian tools run at test time, a
// scratch folder, bit strings, plain PNM parsing and a small TIFF strip reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "imageformats/decoders.h"

namespace dectest {

using Bytes = std::vector<std::uint8_t>;

inline bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A missing tool fails the test in CI and skips it elsewhere.
#define DECODER_REQUIRE_TOOL(name)                                            \
  do {                                                                        \
    if (!::dectest::HaveTool(name)) {                                         \
      if (std::getenv("CI")) FAIL() << "missing tool: " << (name);            \
      GTEST_SKIP() << "missing tool: " << (name);                             \
    }                                                                         \
  } while (0)

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qmdecXXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (char* made = mkdtemp(buf.data())) path_ = made;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Runs a shell command quietly (its own redirections still apply); true when it exits with 0.
inline bool Run(const std::string& cmd) { return std::system(("(" + cmd + ") >/dev/null 2>&1").c_str()) == 0; }

inline Bytes Capture(const std::string& cmd) {
  Bytes out;
  FILE* p = popen(("(" + cmd + ") 2>/dev/null").c_str(), "r");
  if (!p) return out;
  std::uint8_t buf[65536];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  if (pclose(p) != 0) out.clear();
  return out;
}

inline Bytes ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// One Decode call over In into an output of OutSize bytes first set to Fill: the
// output, the input bytes used and the output bytes written (as Source and Dest moved).
struct Decoded {
  Bytes Out;
  std::size_t Used = 0;
  std::size_t Produced = 0;
};

inline Decoded DecodeAll(TDecoder& d, const Bytes& in, std::size_t outSize, Integer unpackedSize,
                         Byte fill = 0xEE) {
  Decoded r;
  r.Out.assign(outSize, fill);
  const void* src = in.data();
  void* dst = r.Out.data();
  d.Decode(src, dst, static_cast<Integer>(in.size()), unpackedSize);
  r.Used = static_cast<std::size_t>(static_cast<const Byte*>(src) - in.data());
  r.Produced = static_cast<std::size_t>(static_cast<Byte*>(dst) - r.Out.data());
  return r;
}

inline Decoded DecodeAll(TDecoder& d, const Bytes& in, std::size_t outSize) {
  return DecodeAll(d, in, outSize, static_cast<Integer>(outSize));
}

// "1011 0001" -> bytes, most significant bit first, padded with 0 bits; spaces ignored.
inline Bytes BitsToBytes(const std::string& bits) {
  Bytes out;
  int n = 0;
  for (char c : bits) {
    if (c != '0' && c != '1') continue;
    if (n % 8 == 0) out.push_back(0);
    if (c == '1') out.back() |= static_cast<std::uint8_t>(0x80 >> (n % 8));
    ++n;
  }
  return out;
}

// A binary PBM (P4), PGM (P5) or PPM (P6) with maxval < 256.
struct Pnm {
  int Kind = 0;
  int Width = 0;
  int Height = 0;
  Bytes Data;
};

inline bool ParsePnm(const Bytes& file, Pnm& out) {
  std::size_t pos = 0;
  auto skipSpace = [&] {
    while (pos < file.size()) {
      if (file[pos] == '#') {
        while (pos < file.size() && file[pos] != '\n') ++pos;
      } else if (isspace(file[pos])) {
        ++pos;
      } else {
        break;
      }
    }
  };
  auto number = [&] {
    skipSpace();
    int v = 0;
    while (pos < file.size() && isdigit(file[pos])) v = v * 10 + (file[pos++] - '0');
    return v;
  };
  if (file.size() < 3 || file[0] != 'P') return false;
  out.Kind = file[1] - '0';
  pos = 2;
  out.Width = number();
  out.Height = number();
  if (out.Kind != 4) number();
  ++pos;  // the single white-space character
  const std::size_t rowBytes = out.Kind == 4 ? (out.Width + 7) / 8 : out.Kind == 5 ? out.Width : out.Width * 3;
  const std::size_t need = rowBytes * out.Height;
  if (pos + need > file.size()) return false;
  out.Data.assign(file.begin() + pos, file.begin() + pos + need);
  return true;
}

// The strips and the tags of the first directory of a little-endian TIFF file.
struct TiffFile {
  std::map<int, std::vector<std::uint32_t>> Tags;
  std::map<int, Bytes> RawTags;  // byte-typed tags (JPEG tables)
  std::vector<Bytes> Strips;
  std::uint32_t Tag(int tag, std::uint32_t def = 0) const {
    auto it = Tags.find(tag);
    return it == Tags.end() || it->second.empty() ? def : it->second[0];
  }
};

inline bool ParseTiff(const Bytes& f, TiffFile& out) {
  auto u16 = [&](std::size_t p) -> std::uint32_t { return p + 2 <= f.size() ? f[p] | (f[p + 1] << 8) : 0; };
  auto u32 = [&](std::size_t p) -> std::uint32_t {
    return p + 4 <= f.size() ? f[p] | (f[p + 1] << 8) | (f[p + 2] << 16) | (std::uint32_t(f[p + 3]) << 24) : 0;
  };
  if (f.size() < 8 || f[0] != 'I' || f[1] != 'I' || u16(2) != 42) return false;
  const std::size_t ifd = u32(4);
  const std::uint32_t count = u16(ifd);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t e = ifd + 2 + i * 12;
    const int tag = static_cast<int>(u16(e)), type = static_cast<int>(u16(e + 2));
    const std::uint32_t n = u32(e + 4);
    const std::size_t size = (type == 3 || type == 8) ? 2 : (type == 4 || type == 9) ? 4 : (type == 5) ? 8 : 1;
    const std::size_t at = n * size <= 4 ? e + 8 : u32(e + 8);
    if (at + n * size > f.size()) return false;
    std::vector<std::uint32_t> values;
    for (std::uint32_t k = 0; k < n && size <= 4; ++k)
      values.push_back(size == 1 ? f[at + k] : size == 2 ? u16(at + 2 * k) : u32(at + 4 * k));
    out.Tags[tag] = values;
    if (size == 1) out.RawTags[tag] = Bytes(f.begin() + at, f.begin() + at + n);
  }
  const auto& offsets = out.Tags[273];
  const auto& counts = out.Tags[279];
  if (offsets.size() != counts.size()) return false;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    if (std::size_t(offsets[i]) + counts[i] > f.size()) return false;
    out.Strips.emplace_back(f.begin() + offsets[i], f.begin() + offsets[i] + counts[i]);
  }
  return true;
}

}  // namespace dectest
