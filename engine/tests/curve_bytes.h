#pragma once
// Helpers to lay out and inspect record bytes, shared by the engine's record tests.
#include <bit>
#include <cstdint>
#include <functional>
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
inline void PutF32(std::vector<Byte>& out, float v) { Put32(out, std::bit_cast<Cardinal>(v)); }
inline void PutZeros(std::vector<Byte>& out, std::size_t n) { out.insert(out.end(), n, 0); }
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

// What a writer produces, as bytes.
inline std::vector<Byte> Written(const std::function<void(TStream&)>& write) {
  TMemoryStream s;
  write(s);
  return BytesOf(s);
}

inline void Fill(TMemoryStream& s, const std::vector<Byte>& bytes) {
  s.Clear();
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
}

}  // namespace curve_bytes
