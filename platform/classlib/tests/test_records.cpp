#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

namespace {

using Bytes = std::vector<Byte>;

Bytes Content(TMemoryStream& s) {
  const auto* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

TMemoryStream& Fill(TMemoryStream& s, const Bytes& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  return s;
}

std::string ReadErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const EReadError& e) {
    return e.Message();
  }
  return "no EReadError";
}

// A caller's list of points read the way every reader of the system reads one:
// count first, checked, then the allocation, then the swap.
void ReadPoints(TRecordReader& r, std::vector<float>& points) {
  Integer count = r.ReadCount("point count", 8);
  std::vector<float> fresh(static_cast<std::size_t>(count) * 2);
  for (float& f : fresh) f = r.F32("point");
  points.swap(fresh);
}

}  // namespace

TEST(Records, EveryFieldTypeHasExactLittleEndianBytes) {
  TMemoryStream s;
  TRecordWriter w(s);
  w.I8(-2);
  w.U8(200);
  w.I16(-3);
  w.U16(0x1234);
  w.I32(-100000);
  w.U32(0xDEADBEEF);
  w.I64(-2);
  w.F32(1.5f);
  w.F64(-2.0);
  w.Bool(true);
  w.Bool(false);
  EXPECT_EQ(Content(s), (Bytes{0xFE, 200,  0xFD, 0xFF, 0x34, 0x12, 0x60, 0x79, 0xFE, 0xFF, 0xEF, 0xBE, 0xAD,
                               0xDE, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F,
                               0,    0,    0,    0,    0,    0,    0x00, 0xC0, 1,    0}));

  s.SetPosition(0);
  TRecordReader r(s);
  EXPECT_EQ(r.I8("a"), -2);
  EXPECT_EQ(r.U8("b"), 200);
  EXPECT_EQ(r.I16("c"), -3);
  EXPECT_EQ(r.U16("d"), 0x1234);
  EXPECT_EQ(r.I32("e"), -100000);
  EXPECT_EQ(r.U32("f"), 0xDEADBEEFu);
  EXPECT_EQ(r.I64("g"), -2);
  EXPECT_EQ(r.F32("h"), 1.5f);
  EXPECT_EQ(r.F64("i"), -2.0);
  EXPECT_TRUE(r.Bool("j"));
  EXPECT_FALSE(r.Bool("k"));
  EXPECT_EQ(r.BytesLeft(), 0);

  // Any non-zero byte is true; float bit patterns pass unchanged, NaN payloads too.
  TRecordReader r2(Fill(s, {0x02, 0x01, 0x00, 0xC0, 0x7F}));
  EXPECT_TRUE(r2.Bool("flag"));
  float nan = r2.F32("nan");
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(nan), 0x7FC00001u);
}

TEST(Records, ShortStringExactBytesBothWays) {
  TMemoryStream s;
  TRecordWriter w(s);
  w.ShortString("abc", 5);       // zeros after the text
  w.ShortString("abcdefgh", 4);  // cut to the capacity
  w.ShortString("", 2);
  EXPECT_EQ(Content(s), (Bytes{3, 'a', 'b', 'c', 0, 0, 4, 'a', 'b', 'c', 'd', 0, 0, 0}));

  // Bytes after the length are ignored; a length above the capacity is clamped.
  TRecordReader r(Fill(s, {2, 'h', 'i', 'X', 'Y', 9, 'l', 'o', 'n', 'g', 'Z'}));
  EXPECT_EQ(r.ShortString(4, "curve name"), "hi");
  EXPECT_EQ(r.ShortString(4, "curve name"), "long");
  EXPECT_EQ(r.U8("after"), 'Z');  // the clamped field still took capacity + 1 bytes

  TRecordReader cut(Fill(s, {3, 'a', 'b'}));
  EXPECT_EQ(ReadErrorText([&] { cut.ShortString(32, "emitter name"); }),
            "Stream read error reading emitter name");
}

TEST(Records, FailuresNameWhatWasRead) {
  TMemoryStream s;
  TRecordReader r(Fill(s, {1, 2}));
  EXPECT_EQ(ReadErrorText([&] { r.U32("emitter version"); }), "Stream read error reading emitter version");
  s.SetPosition(0);
  EXPECT_EQ(r.U16("tag"), 0x0201);
  EXPECT_EQ(ReadErrorText([&] { r.U8("flags"); }), "Stream read error reading flags");
  EXPECT_EQ(ReadErrorText([&] { r.F64("mass"); }), "Stream read error reading mass");
}

TEST(Records, CountsMustFitTheBytesLeftBeforeAnythingIsAllocated) {
  TMemoryStream s;
  std::vector<float> points{42.0f};

  // 1000 points claimed, 16 bytes there: refused, the caller's list untouched.
  TRecordReader r(Fill(s, {0xE8, 0x03, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0x40, 0, 0, 0x40, 0x40, 0, 0, 0x80, 0x40}));
  EXPECT_EQ(ReadErrorText([&] { ReadPoints(r, points); }), "Stream read error reading point count");
  EXPECT_EQ(points, std::vector<float>{42.0f});

  // Counts so large that count x size overflows, and negative counts, are refused too.
  TRecordReader huge(Fill(s, {0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_THROW(huge.ReadCount("huge", Int64(1) << 40), EReadError);
  TRecordReader negative(Fill(s, {0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(ReadErrorText([&] { negative.ReadCount("key count", 1); }), "Stream read error reading key count");

  // Exactly enough passes.
  TRecordReader fits(Fill(s, {2, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0x40, 0, 0, 0x40, 0x40, 0, 0, 0x80, 0x40}));
  ReadPoints(fits, points);
  EXPECT_EQ(points, (std::vector<float>{1, 2, 3, 4}));

  TRecordReader left(Fill(s, {1, 2, 3}));
  left.RequireBytes(3, "block");
  EXPECT_THROW(left.RequireBytes(4, "block"), EReadError);
  EXPECT_THROW(left.RequireBytes(-1, "block"), EReadError);
}

TEST(Records, ReservedBlocksAreSkippedNotWritten) {
  std::string pattern = (std::filesystem::temp_directory_path() / "qm_records_XXXXXX").string();
  std::filesystem::path dir = ::mkdtemp(pattern.data());
  const std::string name = (dir / "record.bin").string();
  {
    TFileStream f(name, fmCreate);
    TRecordWriter w(f);
    w.U32(101);
    w.SkipReserved(16);  // the record ends here: the block is absent
  }
  EXPECT_EQ(std::filesystem::file_size(name), 4u);

  TMemoryStream s;
  TRecordWriter w(s);
  w.U8(0xAA);
  w.SkipReserved(3);
  w.U8(0xBB);  // something follows: the gap reads as zeros
  w.SkipReserved(8);
  EXPECT_EQ(Content(s), (Bytes{0xAA, 0, 0, 0, 0xBB}));

  {
    TFileStream f(name, fmOpenRead);
    TRecordReader r(f);
    EXPECT_EQ(r.U32("version"), 101u);
    r.SkipReserved(16);  // passing the end is no error
    EXPECT_EQ(r.BytesLeft(), 0);
    EXPECT_THROW(r.U8("after reserved"), EReadError);
  }
  std::filesystem::remove_all(dir);
}

TEST(Records, RawByteHelpers) {
  const Byte b[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  EXPECT_EQ(bytes::LoadLE16(b), 0x0201);
  EXPECT_EQ(bytes::LoadLE32(b), 0x04030201u);
  EXPECT_EQ(bytes::LoadLE64(b), 0x0807060504030201ull);
  EXPECT_EQ(bytes::LoadBE16(b), 0x0102);
  EXPECT_EQ(bytes::LoadBE32(b), 0x01020304u);
  const Byte f[] = {0x00, 0x00, 0x20, 0xC1};
  EXPECT_EQ(bytes::LoadLEF32(f), -10.0f);

  Byte out[8] = {};
  bytes::StoreLE16(out, 0xBEEF);
  bytes::StoreLE32(out + 2, 0x11223344);
  EXPECT_EQ(Bytes(out, out + 6), (Bytes{0xEF, 0xBE, 0x44, 0x33, 0x22, 0x11}));
  bytes::StoreLE64(out, 0x0102030405060708ull);
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
}
