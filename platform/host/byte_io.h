#pragma once
// Little-endian writing and checked reading of the host's scene file. The reader checks
// every count against the bytes left before anything is allocated and throws HostError
// on any shortfall.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/host_error.h"

namespace host {

class ByteWriter {
 public:
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void String(const std::string& s) {
    U32(static_cast<std::uint32_t>(s.size()));
    Bytes(s.data(), s.size());
  }
  std::vector<std::uint8_t>& Data() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Left() const { return size_ - pos_; }
  size_t Pos() const { return pos_; }

  void Need(size_t n, const char* what) const {
    if (n > Left()) throw HostError(std::string("Scene file ends early: it is truncated in ") + what);
  }
  std::uint32_t U32(const char* what) {
    Need(4, what);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return v;
  }
  std::int32_t I32(const char* what) { return static_cast<std::int32_t>(U32(what)); }
  float F32(const char* what) {
    const std::uint32_t u = U32(what);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  // A count of items of itemSize bytes each, checked against what is left.
  std::uint32_t Count(size_t itemSize, const char* what) {
    const std::uint32_t n = U32(what);
    if (itemSize != 0 && n > Left() / itemSize)
      throw HostError(std::string("Scene file ends early: a bad count in ") + what + " wants more than the " +
                      std::to_string(Left()) + " bytes left");
    return n;
  }
  std::string String(const char* what) {
    const std::uint32_t n = Count(1, what);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  std::vector<std::uint8_t> Bytes(size_t n, const char* what) {
    Need(n, what);
    std::vector<std::uint8_t> v(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return v;
  }
  const std::uint8_t* Take(size_t n, const char* what) {
    Need(n, what);
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  const std::uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace host
