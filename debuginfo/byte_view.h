#pragma once
// Checked little-endian reads at offsets of a byte buffer. Every offset and length read
// from a file goes through here, so a value that points outside the buffer fails
// instead of reading past it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/classlib/records.h"

namespace dbg {

class ByteView {
 public:
  using FailFn = void (*)();  // must not return

  ByteView(std::span<const std::uint8_t> bytes, FailFn fail) : bytes_(bytes), fail_(fail) {}

  std::size_t Size() const { return bytes_.size(); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  // Offsets and sizes are 64-bit so that adding two 32-bit fields cannot wrap.
  bool Fits(std::uint64_t offset, std::uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  void Require(std::uint64_t offset, std::uint64_t size) const {
    if (!Fits(offset, size)) Fail();
  }

  std::uint8_t U8(std::uint64_t offset) const {
    Require(offset, 1);
    return bytes_[offset];
  }
  std::uint16_t U16(std::uint64_t offset) const {
    Require(offset, 2);
    return bytes::LoadLE16(bytes_.data() + offset);
  }
  std::uint32_t U32(std::uint64_t offset) const {
    Require(offset, 4);
    return bytes::LoadLE32(bytes_.data() + offset);
  }
  std::uint64_t U64(std::uint64_t offset) const {
    Require(offset, 8);
    return bytes::LoadLE64(bytes_.data() + offset);
  }

  std::span<const std::uint8_t> Sub(std::uint64_t offset, std::uint64_t size) const {
    Require(offset, size);
    return bytes_.subspan(offset, size);
  }
  ByteView View(std::uint64_t offset, std::uint64_t size) const { return ByteView(Sub(offset, size), fail_); }

  // A zero-terminated single-byte string starting at `offset`; fails when no
  // terminator comes before the end of the buffer.
  std::string CString(std::uint64_t offset) const;

  [[noreturn]] void Fail() const;

 private:
  std::span<const std::uint8_t> bytes_;
  FailFn fail_;
};

// UTF-16LE text to code page 1252; characters the code page lacks become '?'.
std::string WideToAnsi(std::span<const std::uint8_t> utf16le);

}  // namespace dbg
