#pragma once
// The library's string resources, looked up by id as the module's string table would.
#include <string>

namespace dbg {

inline constexpr int RsWin32Prefix = 65250;
inline constexpr int RsFileUtilsNoVersionInfo = 65251;
inline constexpr int RsCreateFileMapping = 65252;
inline constexpr int RsCreateFileMappingView = 65253;
inline constexpr int RsFailedToObtainSize = 65254;
inline constexpr int RsCannotOpenFile = 65255;
inline constexpr int RsNotPeFormat = 65256;
inline constexpr int RsNotResDirectory = 65257;
inline constexpr int RsSectionNotFound = 65258;

// The text of string resource `id`; empty when the table has no such id.
std::string LoadResString(int id);

}  // namespace dbg
