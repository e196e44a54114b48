#pragma once
// The PE file format read from a byte buffer in file layout: headers, section table,
// and translation of relative virtual addresses (RVAs) to file bytes. Any field that
// points outside the file raises EDbgPeImageError "This is not a PE format".
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "debuginfo/byte_view.h"
#include "platform/classlib/types.h"

enum class TDbgPeTarget { taUnknown, taWin32, taWin64 };

// Data directory indexes.
inline constexpr int IMAGE_DIRECTORY_ENTRY_EXPORT = 0;
inline constexpr int IMAGE_DIRECTORY_ENTRY_IMPORT = 1;
inline constexpr int IMAGE_DIRECTORY_ENTRY_RESOURCE = 2;
inline constexpr int IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;

inline constexpr Word IMAGE_DOS_SIGNATURE = 0x5A4D;        // "MZ"
inline constexpr Cardinal IMAGE_NT_SIGNATURE = 0x00004550;  // "PE\0\0"
inline constexpr Word IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10B;
inline constexpr Word IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20B;

struct TDbgPeDataDirectory {
  Cardinal VirtualAddress = 0;
  Cardinal Size = 0;
};

struct TDbgPeSectionHeader {
  std::string Name;  // up to 8 characters
  Cardinal VirtualSize = 0;
  Cardinal VirtualAddress = 0;
  Cardinal SizeOfRawData = 0;
  Cardinal PointerToRawData = 0;
  Cardinal Characteristics = 0;
};

struct TDbgPeHeaders {
  Cardinal NtHeadersOffset = 0;  // the DOS header's new-header offset
  // File header
  Word Machine = 0;
  Word NumberOfSections = 0;
  Cardinal TimeDateStamp = 0;
  Word SizeOfOptionalHeader = 0;
  Word Characteristics = 0;
  // Optional header (PE32 and PE32+ alike; ImageBase widened)
  Word Magic = 0;
  Byte MajorLinkerVersion = 0;
  Byte MinorLinkerVersion = 0;
  Cardinal SizeOfCode = 0;
  Cardinal AddressOfEntryPoint = 0;
  Cardinal BaseOfCode = 0;
  std::uint64_t ImageBase = 0;
  Cardinal SectionAlignment = 0;
  Cardinal FileAlignment = 0;
  Word MajorOperatingSystemVersion = 0;
  Word MinorOperatingSystemVersion = 0;
  Word MajorImageVersion = 0;
  Word MinorImageVersion = 0;
  Word MajorSubsystemVersion = 0;
  Word MinorSubsystemVersion = 0;
  Cardinal SizeOfImage = 0;
  Cardinal SizeOfHeaders = 0;
  Cardinal CheckSum = 0;
  Word Subsystem = 0;
  Word DllCharacteristics = 0;
  Cardinal NumberOfRvaAndSizes = 0;
  std::array<TDbgPeDataDirectory, IMAGE_NUMBEROF_DIRECTORY_ENTRIES> DataDirectory{};
};

namespace dbg {

ByteView PeView(std::span<const std::uint8_t> bytes);

// The image-in-memory test: 64 readable bytes, "MZ", a non-zero new-header offset and
// the "PE" signature there (inside the buffer).
bool IsPeImage(std::span<const std::uint8_t> bytes);

struct PeLayout {
  TDbgPeTarget Target = TDbgPeTarget::taUnknown;
  TDbgPeHeaders Headers;
  std::vector<TDbgPeSectionHeader> Sections;
};

// Reads and checks the headers and section table of a file-layout image.
PeLayout ReadPeLayout(std::span<const std::uint8_t> file);

// Maps RVAs of a file-layout image to its bytes.
class PeAddressMap {
 public:
  PeAddressMap(std::span<const std::uint8_t> file, const PeLayout& layout) : file_(file), layout_(&layout) {}

  // File offset of `size` bytes at `rva`, when they all lie in one section's raw data
  // (or in the headers) and inside the file.
  std::optional<std::uint64_t> FileOffset(Cardinal rva, Cardinal size) const;
  // The bytes at `rva`; raises "This is not a PE format" when they are not in the file.
  std::span<const std::uint8_t> Data(Cardinal rva, Cardinal size) const;
  // Everything from `rva` to the end of its section's raw data (or of the headers).
  ByteView Tail(Cardinal rva) const;
  // A zero-terminated single-byte string at `rva`, bounded by its section.
  std::string CString(Cardinal rva) const;
  // Index of the section whose virtual range holds `rva`, or -1.
  int SectionIndexOfRva(Cardinal rva) const;

  std::span<const std::uint8_t> File() const { return file_; }
  const PeLayout& Layout() const { return *layout_; }

 private:
  std::span<const std::uint8_t> file_;
  const PeLayout* layout_;
};

// Bytes of a section as the loader maps them: from its raw data, as long as the
// smaller of the raw-data size and the virtual size. Raises when the raw data lies
// outside the file.
std::span<const std::uint8_t> SectionBytes(std::span<const std::uint8_t> file, const TDbgPeSectionHeader& s);

}  // namespace dbg
