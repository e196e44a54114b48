#pragma once
// Little helpers to lay out and inspect record bytes in the curve and gradient tests.
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

namespace curve_bytes {

inline std::vector<Byte> BytesOf(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

inline void Put8(std::vector<Byte>& out, Byte v) { out.push_back(v); }
inline void Put32(std::vector<Byte>& out, Cardinal v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<Byte>(v >> (8 * i)));
}
inline void PutF64(std::vector<Byte>& out, double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<Byte>(bits >> (8 * i)));
}
// A length byte, the text, then zeros up to the capacity.
inline void PutShortString(std::vector<Byte>& out, const std::string& s, std::size_t capacity) {
  out.push_back(static_cast<Byte>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
  out.insert(out.end(), capacity - s.size(), 0);
}

inline void Fill(TMemoryStream& s, const std::vector<Byte>& bytes) {
  s.Clear();
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
}

}  // namespace curve_bytes
