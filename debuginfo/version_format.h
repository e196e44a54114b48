#pragma once
// The version resource read from its bytes, in either block layout:
//   32-bit: length, value length, type, wide-character key, values in wide characters
//   16-bit: length, value length, single-byte key, values in single bytes
// Each block: 16-bit length, 16-bit value length, [type], zero-terminated key, padding
// to a 4-byte boundary, the value, padding, then child blocks up to the length.
// Any block that does not fit its parent (a zero length included) raises
// EDbgFileVersionInfoError "File contains no version information".
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/classlib/types.h"

struct TDbgVsFixedFileInfo {
  Cardinal dwSignature = 0;  // 0xFEEF04BD
  Cardinal dwStrucVersion = 0;
  Cardinal dwFileVersionMS = 0;
  Cardinal dwFileVersionLS = 0;
  Cardinal dwProductVersionMS = 0;
  Cardinal dwProductVersionLS = 0;
  Cardinal dwFileFlagsMask = 0;
  Cardinal dwFileFlags = 0;
  Cardinal dwFileOS = 0;
  Cardinal dwFileType = 0;
  Cardinal dwFileSubtype = 0;
  Cardinal dwFileDateMS = 0;
  Cardinal dwFileDateLS = 0;
};

inline constexpr Cardinal VS_FFI_SIGNATURE = 0xFEEF04BD;

struct TDbgLangIdRec {
  Word LangId = 0;
  Word CodePage = 0;
  friend bool operator==(const TDbgLangIdRec&, const TDbgLangIdRec&) = default;
};

struct TDbgVersionStringTable {
  std::string Key;  // the 8 hexadecimal digits: language, then code page
  TDbgLangIdRec Language;
  std::vector<std::pair<std::string, std::string>> Strings;  // name, value
};

struct TDbgVersionData {
  bool Wide = true;  // the 32-bit layout
  bool HasFixedInfo = false;
  TDbgVsFixedFileInfo FixedInfo;
  std::vector<TDbgVersionStringTable> StringTables;
  std::vector<TDbgLangIdRec> Translations;
};

namespace dbg {

TDbgVersionData ParseVersionResource(std::span<const std::uint8_t> data);

}  // namespace dbg
