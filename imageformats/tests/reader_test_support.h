#pragma once
// Helpers of the reader tests, over those of the decoder tests (tools, scratch folder,
// files): files as memory streams, and a bitmap's pixels as RGBA bytes whatever its
// pixel format.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "decoder_test_support.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

namespace readertest {

using dectest::Capture;
using dectest::HaveTool;
using dectest::ReadFileBytes;
using dectest::TempDir;
using dectest::WriteFileBytes;

// A missing tool fails the test in CI and skips it elsewhere.
#define REQUIRE_TOOL(name) DECODER_REQUIRE_TOOL(name)

// Runs a shell command; true when it exits with 0.
inline bool RunTool(const std::string& cmd) { return dectest::Run(cmd); }

inline void FillStream(TMemoryStream& s, const std::vector<unsigned char>& data) {
  s.Clear();
  if (!data.empty()) s.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  s.SetPosition(0);
}

// The bitmap's pixels, top row first, as R G B A bytes (A 255 for formats without alpha).
inline std::vector<unsigned char> BitmapRGBA(TBitmap& bmp, bool withAlpha = true) {
  std::vector<unsigned char> out;
  const int w = bmp.Width(), h = bmp.Height();
  const TPixelFormat pf = bmp.PixelFormat();
  std::vector<win::PALETTEENTRY> pal(256);
  int bits = pf == pf1bit ? 1 : pf == pf4bit ? 4 : pf == pf8bit ? 8 : 0;
  if (bits) {
    win::HPALETTE hp = bmp.Palette();
    unsigned n = hp ? win::GetPaletteEntries(hp, 0, 256, pal.data()) : 0;
    (void)n;
  }
  out.reserve(std::size_t(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = static_cast<const unsigned char*>(bmp.ScanLine(y));
    for (int x = 0; x < w; ++x) {
      unsigned char r = 0, g = 0, b = 0, a = 255;
      if (bits) {
        unsigned bitpos = unsigned(x) * bits;
        unsigned idx = (row[bitpos / 8] >> (8 - bits - bitpos % 8)) & ((1u << bits) - 1);
        r = pal[idx].peRed;
        g = pal[idx].peGreen;
        b = pal[idx].peBlue;
      } else if (pf == pf24bit) {
        b = row[x * 3];
        g = row[x * 3 + 1];
        r = row[x * 3 + 2];
      } else if (pf == pf32bit) {
        b = row[x * 4];
        g = row[x * 4 + 1];
        r = row[x * 4 + 2];
        if (withAlpha) a = row[x * 4 + 3];
      } else {
        ADD_FAILURE() << "unexpected pixel format " << int(pf);
        return out;
      }
      out.push_back(r);
      out.push_back(g);
      out.push_back(b);
      out.push_back(a);
    }
  }
  return out;
}

// A PNM (P5 grey or P6 colour) of the given samples, row by row; maxval above 255
// stores two big-endian bytes per sample.
inline void WritePNM(const std::string& path, int w, int h, int channels, unsigned maxval,
                     const std::vector<unsigned>& samples) {
  std::string head = std::string(channels == 1 ? "P5" : "P6") + "\n" + std::to_string(w) + " " + std::to_string(h) +
                     "\n" + std::to_string(maxval) + "\n";
  std::vector<unsigned char> data(head.begin(), head.end());
  for (unsigned v : samples) {
    if (maxval > 255) data.push_back(static_cast<unsigned char>(v >> 8));
    data.push_back(static_cast<unsigned char>(v));
  }
  WriteFileBytes(path, data);
}

// A PAM (P7) image as a tool wrote it.
struct Pam {
  int Width = 0, Height = 0, Depth = 0;
  unsigned MaxVal = 0;
  std::vector<unsigned> Samples;
};

inline bool ParsePam(const std::vector<unsigned char>& d, Pam& pam) {
  std::size_t pos = 0;
  auto line = [&]() {
    std::string l;
    while (pos < d.size() && d[pos] != '\n') l += char(d[pos++]);
    ++pos;
    return l;
  };
  if (line() != "P7") return false;
  for (;;) {
    if (pos >= d.size()) return false;
    std::string l = line();
    if (l == "ENDHDR") break;
    auto value = [&](const char* key) { return std::stoul(l.substr(std::string(key).size())); };
    if (l.rfind("WIDTH ", 0) == 0) pam.Width = int(value("WIDTH "));
    if (l.rfind("HEIGHT ", 0) == 0) pam.Height = int(value("HEIGHT "));
    if (l.rfind("DEPTH ", 0) == 0) pam.Depth = int(value("DEPTH "));
    if (l.rfind("MAXVAL ", 0) == 0) pam.MaxVal = unsigned(value("MAXVAL "));
  }
  const std::size_t n = std::size_t(pam.Width) * pam.Height * pam.Depth;
  const int bytes = pam.MaxVal > 255 ? 2 : 1;
  if (d.size() - pos < n * bytes) return false;
  pam.Samples.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    pam.Samples[i] = bytes == 2 ? (unsigned(d[pos + 2 * i]) << 8) | d[pos + 2 * i + 1] : d[pos + i];
  return true;
}

// 8-bit RGBA of a PAM: 16-bit samples reduced as the readers do (value x 255 div
// 65535), smaller maxvals scaled to 0..255.
inline std::vector<unsigned char> PamRGBA(const Pam& pam) {
  auto scale = [&](unsigned v) -> unsigned char {
    if (pam.MaxVal == 65535) return static_cast<unsigned char>(v * 255u / 65535u);
    return static_cast<unsigned char>((v * 255u + pam.MaxVal / 2) / pam.MaxVal);
  };
  std::vector<unsigned char> out;
  const std::size_t pixels = std::size_t(pam.Width) * pam.Height;
  for (std::size_t i = 0; i < pixels; ++i) {
    const unsigned* s = &pam.Samples[i * pam.Depth];
    unsigned char r, g, b, a = 255;
    if (pam.Depth <= 2) {
      r = g = b = scale(s[0]);
      if (pam.Depth == 2) a = scale(s[1]);
    } else {
      r = scale(s[0]);
      g = scale(s[1]);
      b = scale(s[2]);
      if (pam.Depth == 4) a = scale(s[3]);
    }
    out.insert(out.end(), {r, g, b, a});
  }
  return out;
}

// The first pixel where two RGBA images differ by more than `tolerance` in any channel,
// or -1. Channels listed false in `compare` are not looked at.
inline long FirstDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int tolerance,
                            std::array<bool, 4> compare = {true, true, true, true}) {
  if (a.size() != b.size()) return -2;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!compare[i % 4]) continue;
    if (std::abs(int(a[i]) - int(b[i])) > tolerance) return long(i / 4);
  }
  return -1;
}

// Pieces of PNG files for the tests that build their own.
inline void PutBE32(std::vector<unsigned char>& b, unsigned v) {
  b.insert(b.end(), {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                     static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
}

// A chunk with its CRC (or a given wrong one).
inline void PutChunk(std::vector<unsigned char>& out, const std::string& type, const std::vector<unsigned char>& data, bool badCrc = false) {
  PutBE32(out, static_cast<unsigned>(data.size()));
  std::vector<unsigned char> td(type.begin(), type.end());
  td.insert(td.end(), data.begin(), data.end());
  out.insert(out.end(), td.begin(), td.end());
  unsigned crc = static_cast<unsigned>(crc32(0, td.data(), static_cast<uInt>(td.size())));
  PutBE32(out, badCrc ? crc ^ 1 : crc);
}

inline std::vector<unsigned char> Deflate(const std::vector<unsigned char>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> out(size);
  compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

inline std::vector<unsigned char> IHDR(unsigned w, unsigned h, int depth, int colorType, int interlace = 0, int compression = 0) {
  std::vector<unsigned char> d;
  PutBE32(d, w);
  PutBE32(d, h);
  d.insert(d.end(), {static_cast<unsigned char>(depth), static_cast<unsigned char>(colorType),
                     static_cast<unsigned char>(compression), 0, static_cast<unsigned char>(interlace)});
  return d;
}

// A PNG file assembled from parts; `middle` adds chunks between IHDR and IDAT.
struct PngParts {
  std::vector<unsigned char> ihdr;
  std::function<void(std::vector<unsigned char>&)> middle;
  std::vector<unsigned char> idat;          // compressed image data
  bool iend = true;
};

inline std::vector<unsigned char> BuildPng(const PngParts& p) {
  std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(out, "IHDR", p.ihdr);
  if (p.middle) p.middle(out);
  PutChunk(out, "IDAT", p.idat);
  if (p.iend) PutChunk(out, "IEND", {});
  return out;
}

}  // namespace readertest
