#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

using Bytes = std::vector<Byte>;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qm_streams_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

Bytes FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes StreamBytes(TStream& s) {
  s.SetPosition(0);
  Bytes out(static_cast<std::size_t>(s.Size()));
  s.ReadBuffer(out.data(), static_cast<Int64>(out.size()));
  return out;
}

// Memory the stream does not own, as a mapped file would be.
class TFixedMemoryStream : public TCustomMemoryStream {
 public:
  TFixedMemoryStream(void* memory, Int64 size) { SetPointer(memory, size); }
};

template <class E>
std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return "no exception";
}

// The same behaviour is expected of every writable stream.
void CheckSeekPastEndThenWrite(TStream& s) {
  const Byte head[] = {1, 2, 3};
  s.WriteBuffer(head, 3);
  EXPECT_EQ(s.Seek(5, soFromEnd), 8);
  EXPECT_EQ(s.Size(), 3);  // seeking alone does not grow it
  const Byte tail[] = {9, 9};
  s.WriteBuffer(tail, 2);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(StreamBytes(s), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 9, 9}));
}

}  // namespace

TEST(Streams, SeekPastEndThenWriteLeavesZeros) {
  TMemoryStream memory;
  CheckSeekPastEndThenWrite(memory);

  TStringStream text;
  CheckSeekPastEndThenWrite(text);
  EXPECT_EQ(text.DataString(), std::string("\x01\x02\x03\0\0\0\0\0\x09\x09", 10));

  TempDir dir;
  {
    TFileStream file(dir / "gap.bin", fmCreate);
    CheckSeekPastEndThenWrite(file);
  }
  EXPECT_EQ(FileBytes(dir / "gap.bin"), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 9, 9}));
}

TEST(Streams, MemoryStreamGapIsZeroEvenAfterShrinking) {
  TMemoryStream s;
  Bytes ones(64, 0xFF);
  s.WriteBuffer(ones.data(), 64);
  s.SetSize(4);  // the buffer still holds the old bytes
  EXPECT_EQ(s.Position(), 4);
  s.SetPosition(10);
  Byte b = 7;
  s.WriteBuffer(&b, 1);
  EXPECT_EQ(StreamBytes(s), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 7}));
  s.SetSize(20);
  Bytes grown = StreamBytes(s);
  EXPECT_EQ(Bytes(grown.begin() + 11, grown.end()), Bytes(9, 0));
}

TEST(Streams, ShortReadsAndFailedTransfers) {
  TMemoryStream s;
  const Byte data[] = {1, 2, 3, 4};
  s.WriteBuffer(data, 4);
  s.SetPosition(1);
  Byte out[8] = {};
  EXPECT_EQ(s.Read(out, 8), 3);  // Read may return short
  EXPECT_EQ(s.Read(out, 8), 0);
  s.SetPosition(2);
  EXPECT_EQ(ErrorText<EReadError>([&] { s.ReadBuffer(out, 3); }), "Stream read error");
  s.SetPosition(100);
  EXPECT_EQ(s.Read(out, 1), 0);
  EXPECT_THROW(s.ReadBuffer(out, 1), EReadError);
  EXPECT_THROW(s.ReadBuffer(out, -1), EReadError);

  Byte memory[4] = {5, 6, 7, 8};
  TFixedMemoryStream fixed(memory, 4);
  EXPECT_EQ(fixed.Write(data, 2), 0);
  EXPECT_EQ(ErrorText<EWriteError>([&] { fixed.WriteBuffer(data, 2); }), "Stream write error");
  EXPECT_EQ(StreamBytes(fixed), (Bytes{5, 6, 7, 8}));
  EXPECT_THROW(fixed.SetSize(2), EStreamError);
}

TEST(Streams, SeekOriginsAndBadSeeks) {
  TStringStream s("abcdef");
  EXPECT_EQ(s.Seek(2, soFromBeginning), 2);
  EXPECT_EQ(s.Seek(1, soFromCurrent), 3);
  EXPECT_EQ(s.Seek(-2, soFromEnd), 4);
  EXPECT_EQ(s.ReadString(10), "ef");
  EXPECT_THROW(s.Seek(-7, soFromEnd), EStreamError);
  EXPECT_THROW(s.Seek(0, 3), EStreamError);
  EXPECT_EQ(s.Position(), 6);  // a refused seek moves nothing

  TMemoryStream m;
  EXPECT_THROW(m.Seek(-1, soFromBeginning), EStreamError);
  EXPECT_EQ(m.Position(), 0);
}

TEST(Streams, CopyFromWholeSourceOrCount) {
  TStringStream source("0123456789");
  source.SetPosition(7);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 0), 10);  // 0 = all of it, from the start
  EXPECT_EQ(StreamBytes(target), Bytes(source.DataString().begin(), source.DataString().end()));

  source.SetPosition(3);
  TStringStream part;
  EXPECT_EQ(part.CopyFrom(source, 4), 4);
  EXPECT_EQ(part.DataString(), "3456");
  EXPECT_EQ(source.Position(), 7);

  EXPECT_THROW(part.CopyFrom(source, 4), EReadError);  // only 3 left

  // Larger than one copy chunk.
  Bytes big(200000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<Byte>(i * 7);
  TMemoryStream from;
  from.WriteBuffer(big.data(), static_cast<Int64>(big.size()));
  TMemoryStream to;
  to.CopyFrom(from, 0);
  EXPECT_EQ(StreamBytes(to), big);
}

TEST(Streams, StringStreamWritesOverTheMiddleKeepingTheTail) {
  TStringStream s("Hello world");
  s.SetPosition(6);
  s.WriteString("W");
  EXPECT_EQ(s.DataString(), "Hello World");
  EXPECT_EQ(s.Position(), 7);
  EXPECT_EQ(s.ReadString(2), "or");
  s.SetSize(5);
  EXPECT_EQ(s.DataString(), "Hello");
  EXPECT_EQ(s.Position(), 5);
}

TEST(Streams, FileStreamModesAndErrors) {
  TempDir dir;
  const std::string name = dir / "data.bin";
  {
    TFileStream f(name, fmCreate | fmShareExclusive);
    f.WriteBuffer("abcdef", 6);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    char buf[6];
    f.ReadBuffer(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "abcdef");
    EXPECT_EQ(f.Size(), 6);
    EXPECT_EQ(f.Write("x", 1), 0);  // read-only handle
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
  }
  {
    TFileStream f(name, fmOpenReadWrite);
    f.Seek(2, soFromBeginning);
    f.WriteBuffer("XY", 2);
    f.SetSize(5);
    EXPECT_EQ(f.Position(), 4);
  }
  EXPECT_EQ(FileBytes(name), (Bytes{'a', 'b', 'X', 'Y', 'e'}));
  {
    TFileStream f(name, fmOpenWrite);
    f.WriteBuffer("Z", 1);
  }
  EXPECT_EQ(FileBytes(name), (Bytes{'Z', 'b', 'X', 'Y', 'e'}));

  const std::string missing = dir / "missing.bin";
  EXPECT_EQ(ErrorText<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  const std::string nowhere = dir / "no/dir/out.bin";
  EXPECT_EQ(ErrorText<EFCreateError>([&] { TFileStream f(nowhere, fmCreate); }),
            "Cannot create file \"" + nowhere + "\". No such file or directory");
  EXPECT_THROW(TFileStream(dir / "", fmOpenRead), EFOpenError);  // a directory is no file
}

TEST(Streams, MemoryStreamLoadAndSaveKeepContentOnFailure) {
  TempDir dir;
  TMemoryStream s;
  s.WriteBuffer("quill", 5);
  s.SaveToFile(dir / "m.bin");
  EXPECT_EQ(FileBytes(dir / "m.bin"), (Bytes{'q', 'u', 'i', 'l', 'l'}));

  TMemoryStream loaded;
  loaded.WriteBuffer("old", 3);
  loaded.SetPosition(1);
  EXPECT_THROW(loaded.LoadFromFile(dir / "absent.bin"), EFOpenError);
  EXPECT_EQ(StreamBytes(loaded), (Bytes{'o', 'l', 'd'}));

  loaded.LoadFromFile(dir / "m.bin");
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_EQ(loaded.Size(), 5);
  EXPECT_EQ(std::string(static_cast<const char*>(loaded.Memory()), 5), "quill");

  TStringStream text("moth");
  text.SetPosition(3);
  loaded.LoadFromStream(text);  // the whole source, from its start
  EXPECT_EQ(StreamBytes(loaded), (Bytes{'m', 'o', 't', 'h'}));

  TStringStream copy;
  loaded.SaveToStream(copy);
  EXPECT_EQ(copy.DataString(), "moth");

  loaded.Clear();
  EXPECT_EQ(loaded.Size(), 0);
  EXPECT_EQ(loaded.Memory(), nullptr);
}
