#include "debuginfo/dbg_resources.h"

#include <array>
#include <utility>

namespace dbg {

namespace {

constexpr std::array<std::pair<int, const char*>, 9> kStrings{{
    {RsWin32Prefix, "Win32: %s (%u)"},
    {RsFileUtilsNoVersionInfo, "File contains no version information"},
    {RsCreateFileMapping, "Failed to create FileMapping"},
    {RsCreateFileMappingView, "Failed to create FileMappingView"},
    {RsFailedToObtainSize, "Failed to obtain size of file"},
    {RsCannotOpenFile, "Cannot open file \"%s\""},
    {RsNotPeFormat, "This is not a PE format"},
    {RsNotResDirectory, "Not a resource directory"},
    {RsSectionNotFound, "Section \"%s\" not found"},
}};

}  // namespace

std::string LoadResString(int id) {
  for (const auto& [key, text] : kStrings)
    if (key == id) return text;
  return std::string();
}

}  // namespace dbg
