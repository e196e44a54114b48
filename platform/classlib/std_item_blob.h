#pragma once
// The stored form of a view's items: little-endian i32s, and texts behind a length byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TStream;

void PutBlobI32(TStream& s, std::int32_t v);
// A length byte holds 255 characters: longer texts are cut.
void PutBlobString(TStream& s, const std::string& text);

// The rest of a stream read at once, then taken apart without running past its end.
class TItemBlob {
 public:
  // EReadError(invalid) when fewer than 4 or more than 1 GiB bytes are left; every read
  // past the end raises EReadError(cutShort).
  TItemBlob(TStream& stream, const char* invalid, const char* cutShort);

  std::size_t Left() const { return bytes_.size() - pos_; }
  std::int32_t I32();
  std::uint8_t Byte();
  std::string Str();

 private:
  void Need(std::size_t n) const;

  std::vector<std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  const char* cutShort_;
};
