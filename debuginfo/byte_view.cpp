#include "debuginfo/byte_view.h"

#include <array>
#include <cstring>
#include <exception>

namespace dbg {

std::string ByteView::CString(std::uint64_t offset) const {
  Require(offset, 0);
  const std::uint8_t* start = bytes_.data() + offset;
  const void* nul = std::memchr(start, 0, bytes_.size() - offset);
  if (!nul) Fail();
  return std::string(reinterpret_cast<const char*>(start), static_cast<const std::uint8_t*>(nul) - start);
}

void ByteView::Fail() const {
  fail_();
  std::terminate();  // a FailFn that returns is a programming error
}

namespace {

// Code page 1252 bytes 0x80..0x9F; 0 marks the five unassigned ones, which convert
// to the C1 control of the same value.
constexpr std::array<char16_t, 32> k1252High{{
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,
    0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
    0x0153, 0, 0x017E, 0x0178}};

char WideCharToAnsi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < k1252High.size(); ++i) {
    char16_t mapped = k1252High[i] ? k1252High[i] : static_cast<char16_t>(0x80 + i);
    if (mapped == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string WideToAnsi(std::span<const std::uint8_t> utf16le) {
  std::string out;
  out.reserve(utf16le.size() / 2);
  for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2)
    out.push_back(WideCharToAnsi(static_cast<char16_t>(utf16le[i] | (utf16le[i + 1] << 8))));
  return out;
}

}  // namespace dbg
