#pragma once
// Records: fixed-width little-endian fields read and written one by one over a stream.
//
// Every read names what it reads; a failure raises EReadError with the message
// "Stream read error reading <what>". A count or length taken from the stream must
// pass RequireBytes (or come from ReadCount) before anything is allocated for it.
//
// Reserved blocks are passed over, not written: the writer moves the position forward,
// so a reserved block at the very end of a record is absent from the stream, and the
// stream fills a gap with zeros when something follows it.
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

class TRecordReader {
 public:
  explicit TRecordReader(TStream& stream) : stream_(stream) {}

  ShortInt I8(std::string_view what);
  Byte U8(std::string_view what);
  SmallInt I16(std::string_view what);
  Word U16(std::string_view what);
  Integer I32(std::string_view what);
  Cardinal U32(std::string_view what);
  Int64 I64(std::string_view what);
  Single F32(std::string_view what);
  Double F64(std::string_view what);
  // A byte; any value but 0 is true.
  bool Bool(std::string_view what);

  // A length byte and `capacity` bytes; bytes after the length are ignored and a
  // length above the capacity is taken as the capacity.
  std::string ShortString(std::size_t capacity, std::string_view what);
  // Exactly `count` bytes into `buffer`.
  void Bytes(void* buffer, Int64 count, std::string_view what);
  // Moves the position forward; passing the end is no error (the block was absent).
  void SkipReserved(Int64 count);

  // Bytes between the position and the end; 0 when the position is past the end.
  Int64 BytesLeft();
  // Raises unless `count` bytes (count >= 0) are left.
  void RequireBytes(Int64 count, std::string_view what);
  // A signed 32-bit count of elements of `elementSize` bytes each that must all fit
  // in the bytes left; raises for a negative count or one that does not fit.
  Integer ReadCount(std::string_view what, Int64 elementSize);

  TStream& Stream() { return stream_; }

 private:
  [[noreturn]] static void Fail(std::string_view what);
  void Read(void* buffer, Int64 count, std::string_view what);

  TStream& stream_;
};

class TRecordWriter {
 public:
  explicit TRecordWriter(TStream& stream) : stream_(stream) {}

  void I8(ShortInt v);
  void U8(Byte v);
  void I16(SmallInt v);
  void U16(Word v);
  void I32(Integer v);
  void U32(Cardinal v);
  void I64(Int64 v);
  void F32(Single v);
  void F64(Double v);
  void Bool(bool v);

  // A length byte and `capacity` bytes: the text cut to the capacity, then zeros.
  void ShortString(const std::string& text, std::size_t capacity);
  void Bytes(const void* buffer, Int64 count);
  // Moves the position forward without writing.
  void SkipReserved(Int64 count);

  TStream& Stream() { return stream_; }

 private:
  TStream& stream_;
};

// Fields in raw byte buffers, for readers that have the bytes in memory already.
// The caller checks that the bytes are there.
namespace bytes {

inline Word LoadLE16(const Byte* p) { return static_cast<Word>(p[0] | (p[1] << 8)); }
inline Cardinal LoadLE32(const Byte* p) {
  return static_cast<Cardinal>(p[0]) | (static_cast<Cardinal>(p[1]) << 8) | (static_cast<Cardinal>(p[2]) << 16) |
         (static_cast<Cardinal>(p[3]) << 24);
}
inline std::uint64_t LoadLE64(const Byte* p) {
  return static_cast<std::uint64_t>(LoadLE32(p)) | (static_cast<std::uint64_t>(LoadLE32(p + 4)) << 32);
}
inline Word LoadBE16(const Byte* p) { return static_cast<Word>((p[0] << 8) | p[1]); }
inline Cardinal LoadBE32(const Byte* p) {
  return (static_cast<Cardinal>(p[0]) << 24) | (static_cast<Cardinal>(p[1]) << 16) |
         (static_cast<Cardinal>(p[2]) << 8) | static_cast<Cardinal>(p[3]);
}
inline Single LoadLEF32(const Byte* p) { return std::bit_cast<Single>(LoadLE32(p)); }
inline Double LoadLEF64(const Byte* p) { return std::bit_cast<Double>(LoadLE64(p)); }

inline void StoreLE16(Byte* p, Word v) {
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
}
inline void StoreLE32(Byte* p, Cardinal v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}
inline void StoreLE64(Byte* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}

}  // namespace bytes
