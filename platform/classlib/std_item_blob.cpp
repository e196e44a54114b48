#include "platform/classlib/std_item_blob.h"

#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

void PutBlobI32(TStream& s, std::int32_t v) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  s.WriteBuffer(b, 4);
}

void PutBlobString(TStream& s, const std::string& text) {
  std::string t = text.substr(0, 255);
  auto len = static_cast<std::uint8_t>(t.size());
  s.WriteBuffer(&len, 1);
  if (len) s.WriteBuffer(t.data(), len);
}

TItemBlob::TItemBlob(TStream& stream, const char* invalid, const char* cutShort) : cutShort_(cutShort) {
  Int64 left = stream.Size() - stream.Position();
  if (left < 4 || left > (Int64{1} << 30)) throw EReadError(invalid);
  bytes_.resize(static_cast<std::size_t>(left));
  stream.ReadBuffer(bytes_.data(), left);
}

void TItemBlob::Need(std::size_t n) const {
  if (Left() < n) throw EReadError(cutShort_);
}

std::int32_t TItemBlob::I32() {
  Need(4);
  std::uint32_t v = static_cast<std::uint32_t>(bytes_[pos_]) | (static_cast<std::uint32_t>(bytes_[pos_ + 1]) << 8) |
                    (static_cast<std::uint32_t>(bytes_[pos_ + 2]) << 16) |
                    (static_cast<std::uint32_t>(bytes_[pos_ + 3]) << 24);
  pos_ += 4;
  return static_cast<std::int32_t>(v);
}

std::uint8_t TItemBlob::Byte() {
  Need(1);
  return bytes_[pos_++];
}

std::string TItemBlob::Str() {
  std::size_t n = Byte();
  Need(n);
  std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
  pos_ += n;
  return s;
}
