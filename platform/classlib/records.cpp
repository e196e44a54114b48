#include "platform/classlib/records.h"

#include <algorithm>
#include <bit>

#include "platform/classlib/exceptions.h"

// ---------------------------------------------------------------- TRecordReader

void TRecordReader::Fail(std::string_view what) {
  if (what.empty()) throw EReadError(msg::ReadError);
  throw EReadError(std::string(msg::ReadError) + " reading " + std::string(what));
}

void TRecordReader::Read(void* buffer, Int64 count, std::string_view what) {
  if (count < 0 || stream_.Read(buffer, count) != count) Fail(what);
}

ShortInt TRecordReader::I8(std::string_view what) { return static_cast<ShortInt>(U8(what)); }

Byte TRecordReader::U8(std::string_view what) {
  Byte b;
  Read(&b, 1, what);
  return b;
}

SmallInt TRecordReader::I16(std::string_view what) { return static_cast<SmallInt>(U16(what)); }

Word TRecordReader::U16(std::string_view what) {
  Byte b[2];
  Read(b, 2, what);
  return bytes::LoadLE16(b);
}

Integer TRecordReader::I32(std::string_view what) { return static_cast<Integer>(U32(what)); }

Cardinal TRecordReader::U32(std::string_view what) {
  Byte b[4];
  Read(b, 4, what);
  return bytes::LoadLE32(b);
}

Int64 TRecordReader::I64(std::string_view what) {
  Byte b[8];
  Read(b, 8, what);
  return static_cast<Int64>(bytes::LoadLE64(b));
}

Single TRecordReader::F32(std::string_view what) { return std::bit_cast<Single>(U32(what)); }

Double TRecordReader::F64(std::string_view what) {
  Byte b[8];
  Read(b, 8, what);
  return bytes::LoadLEF64(b);
}

bool TRecordReader::Bool(std::string_view what) { return U8(what) != 0; }

std::string TRecordReader::ShortString(std::size_t capacity, std::string_view what) {
  if (capacity > 255) Fail(what);
  Byte field[256];
  Read(field, static_cast<Int64>(capacity) + 1, what);
  std::size_t length = std::min<std::size_t>(field[0], capacity);
  return std::string(reinterpret_cast<const char*>(field + 1), length);
}

void TRecordReader::Bytes(void* buffer, Int64 count, std::string_view what) { Read(buffer, count, what); }

void TRecordReader::SkipReserved(Int64 count) {
  if (count > 0) stream_.Seek(count, soFromCurrent);
}

Int64 TRecordReader::BytesLeft() {
  Int64 left = stream_.Size() - stream_.Position();
  return left > 0 ? left : 0;
}

void TRecordReader::RequireBytes(Int64 count, std::string_view what) {
  if (count < 0 || count > BytesLeft()) Fail(what);
}

Integer TRecordReader::ReadCount(std::string_view what, Int64 elementSize) {
  Integer count = I32(what);
  if (count < 0 || elementSize < 0) Fail(what);
  Int64 bytes;
  if (__builtin_mul_overflow(static_cast<Int64>(count), elementSize, &bytes)) Fail(what);
  RequireBytes(bytes, what);
  return count;
}

// ---------------------------------------------------------------- TRecordWriter

void TRecordWriter::I8(ShortInt v) { U8(static_cast<Byte>(v)); }

void TRecordWriter::U8(Byte v) { stream_.WriteBuffer(&v, 1); }

void TRecordWriter::I16(SmallInt v) { U16(static_cast<Word>(v)); }

void TRecordWriter::U16(Word v) {
  Byte b[2];
  bytes::StoreLE16(b, v);
  stream_.WriteBuffer(b, 2);
}

void TRecordWriter::I32(Integer v) { U32(static_cast<Cardinal>(v)); }

void TRecordWriter::U32(Cardinal v) {
  Byte b[4];
  bytes::StoreLE32(b, v);
  stream_.WriteBuffer(b, 4);
}

void TRecordWriter::I64(Int64 v) {
  Byte b[8];
  bytes::StoreLE64(b, static_cast<std::uint64_t>(v));
  stream_.WriteBuffer(b, 8);
}

void TRecordWriter::F32(Single v) { U32(std::bit_cast<Cardinal>(v)); }

void TRecordWriter::F64(Double v) {
  Byte b[8];
  bytes::StoreLE64(b, std::bit_cast<std::uint64_t>(v));
  stream_.WriteBuffer(b, 8);
}

void TRecordWriter::Bool(bool v) { U8(v ? 1 : 0); }

void TRecordWriter::ShortString(const std::string& text, std::size_t capacity) {
  if (capacity > 255) throw EWriteError(msg::WriteError);
  Byte field[256] = {};
  std::size_t length = std::min(text.size(), capacity);
  field[0] = static_cast<Byte>(length);
  std::copy_n(text.data(), length, field + 1);
  stream_.WriteBuffer(field, static_cast<Int64>(capacity) + 1);
}

void TRecordWriter::Bytes(const void* buffer, Int64 count) { stream_.WriteBuffer(buffer, count); }

void TRecordWriter::SkipReserved(Int64 count) {
  if (count > 0) stream_.Seek(count, soFromCurrent);
}
