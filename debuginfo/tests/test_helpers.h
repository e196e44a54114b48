#pragma once
// Shared helpers of the debuginfo tests: the generated PE files, temporary files and
// byte patches.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dbgtest {

inline std::string DataDir() { return QM_DEBUGINFO_DATA_DIR; }
inline std::string DataFile(const std::string& name) { return DataDir() + "/" + name; }
inline bool ToolsMissing() { return std::filesystem::exists(DataFile("TOOLS_MISSING")); }

// Skips a test when the LLVM tools that make the PE files are not installed.
#define DBG_REQUIRE_PE_FILES()                                                            \
  do {                                                                                    \
    if (::dbgtest::ToolsMissing()) GTEST_SKIP() << "clang/lld-link/llvm-rc not installed"; \
  } while (0)

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
inline std::uint16_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

// A directory removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    // Test cases run as separate processes, possibly at once: the pid keeps them apart.
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("qm_dbg_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Offsets in a PE32/PE32+ file, found from its own headers.
struct PeOffsets {
  std::size_t nt = 0;        // "PE\0\0"
  std::size_t optional = 0;  // optional header
  std::size_t dataDirectory = 0;
  std::size_t sectionTable = 0;
  std::uint16_t sectionCount = 0;
};

inline PeOffsets FindOffsets(const std::vector<std::uint8_t>& b) {
  PeOffsets o;
  o.nt = Get32(b, 0x3C);
  o.optional = o.nt + 24;
  const bool wide = Get16(b, o.optional) == 0x20B;
  o.dataDirectory = o.optional + (wide ? 112 : 96);
  o.sectionTable = o.optional + Get16(b, o.nt + 20);
  o.sectionCount = Get16(b, o.nt + 6);
  return o;
}

// File offset of an RVA through the section table.
inline std::size_t FileOffsetOf(const std::vector<std::uint8_t>& b, std::uint32_t rva) {
  const PeOffsets o = FindOffsets(b);
  for (int i = 0; i < o.sectionCount; ++i) {
    const std::size_t s = o.sectionTable + 40 * i;
    const std::uint32_t va = Get32(b, s + 12), raw = Get32(b, s + 16), ptr = Get32(b, s + 20);
    if (rva >= va && rva < va + raw) return ptr + (rva - va);
  }
  ADD_FAILURE() << "RVA not in a section";
  return 0;
}

// The file laid out as the loader maps it: every section at its virtual address.
inline std::vector<std::uint8_t> ImageLayout(const std::vector<std::uint8_t>& file) {
  const PeOffsets o = FindOffsets(file);
  const std::uint32_t sizeOfImage = Get32(file, o.optional + 56);
  const std::uint32_t sizeOfHeaders = Get32(file, o.optional + 60);
  std::vector<std::uint8_t> image(sizeOfImage, 0);
  std::copy_n(file.begin(), sizeOfHeaders, image.begin());
  for (int i = 0; i < o.sectionCount; ++i) {
    const std::size_t s = o.sectionTable + 40 * i;
    const std::uint32_t vsize = Get32(file, s + 8), va = Get32(file, s + 12), raw = Get32(file, s + 16),
                        ptr = Get32(file, s + 20);
    std::copy_n(file.begin() + ptr, std::min(vsize, raw), image.begin() + va);
  }
  return image;
}

}  // namespace dbgtest
