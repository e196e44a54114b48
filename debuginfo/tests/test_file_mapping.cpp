// The file-mapping stream: contents, copy-on-write, bounded writes, and failures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/file_mapping_stream.h"
#include "test_helpers.h"

using namespace dbgtest;

TEST(FileMappingStream, ReadsTheWholeFile) {
  TempDir dir;
  std::vector<std::uint8_t> content(5000);
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
  WriteBytes(dir.File("data.bin"), content);

  TDbgFileMappingStream s(dir.File("data.bin"));
  ASSERT_EQ(s.Size(), 5000);
  EXPECT_TRUE(s.ReadOnly());
  EXPECT_EQ(std::memcmp(s.Memory(), content.data(), content.size()), 0);
  s.SetPosition(4990);
  std::uint8_t tail[20];
  EXPECT_EQ(s.Read(tail, 20), 10);
  EXPECT_EQ(tail[9], content[4999]);
  // A read-only view is never written.
  s.SetPosition(0);
  EXPECT_EQ(s.Write("x", 1), 0);
  EXPECT_EQ(static_cast<const std::uint8_t*>(s.Memory())[0], content[0]);
}

TEST(FileMappingStream, ReadWriteModeIsACopyThatFitsTheFile) {
  TempDir dir;
  WriteBytes(dir.File("data.bin"), {'a', 'b', 'c', 'd', 'e', 'f'});
  {
    TDbgFileMappingStream s(dir.File("data.bin"), fmOpenReadWrite);
    EXPECT_FALSE(s.ReadOnly());
    s.SetPosition(2);
    EXPECT_EQ(s.Write("XY", 2), 2);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(std::memcmp(s.Memory(), "abXYef", 6), 0);
    EXPECT_EQ(s.Write("123", 3), 0) << "would pass the end of the file";
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.Write("12", 2), 2) << "exactly up to the end";
    s.SetPosition(10);
    EXPECT_EQ(s.Write("z", 1), 0) << "past the end";
    EXPECT_EQ(s.Size(), 6);
  }
  // Copy-on-write: the file keeps its bytes.
  EXPECT_EQ(ReadBytes(dir.File("data.bin")), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
}

TEST(FileMappingStream, FailuresRaiseTheirMessages) {
  TempDir dir;
  try {
    TDbgFileMappingStream s(dir.File("missing.bin"));
    FAIL() << "no exception";
  } catch (const EDbgWin32Error& e) {
    EXPECT_EQ(e.ClassName(), std::string("EDbgWin32Error"));
    EXPECT_EQ(e.ErrorCode(), static_cast<win::DWORD>(ENOENT));
    EXPECT_EQ(e.Message(), "Win32: " + e.ErrorMessage() + " (" + std::to_string(ENOENT) + ")");
  }
  WriteBytes(dir.File("empty.bin"), {});
  try {
    TDbgFileMappingStream s(dir.File("empty.bin"));
    FAIL() << "no exception";
  } catch (const EDbgFileMappingError& e) {
    EXPECT_EQ(e.Message(), "Failed to create FileMapping");
  }
  std::filesystem::create_directories(dir.File("sub"));
  EXPECT_THROW(TDbgFileMappingStream s(dir.File("sub")), EDbgFileMappingError);
}
