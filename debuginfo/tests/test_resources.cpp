// The library's string table and exceptions.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <type_traits>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "platform/classlib/format_args.h"

TEST(DbgResources, TextsById) {
  EXPECT_EQ(dbg::LoadResString(65250), "Win32: %s (%u)");
  EXPECT_EQ(dbg::LoadResString(65251), "File contains no version information");
  EXPECT_EQ(dbg::LoadResString(65252), "Failed to create FileMapping");
  EXPECT_EQ(dbg::LoadResString(65253), "Failed to create FileMappingView");
  EXPECT_EQ(dbg::LoadResString(65254), "Failed to obtain size of file");
  EXPECT_EQ(Format(dbg::LoadResString(65255), "a.map"), "Cannot open file \"a.map\"");
  EXPECT_EQ(dbg::LoadResString(65256), "This is not a PE format");
  EXPECT_EQ(dbg::LoadResString(65257), "Not a resource directory");
  EXPECT_EQ(Format(dbg::LoadResString(65258), ".text"), "Section \".text\" not found");
  EXPECT_EQ(dbg::LoadResString(65249), "");
  EXPECT_EQ(dbg::LoadResString(65259), "");
}

TEST(DbgMessages, ExceptionHierarchyAndTexts) {
  EDbgFileMappingViewError view("Failed to create FileMappingView", 12);
  const EDbgWin32Error& asWin32 = view;
  const EDbgError& asDbg = view;
  const Exception& asException = view;
  EXPECT_EQ(asWin32.ErrorCode(), 12u);
  EXPECT_EQ(asDbg.Message(), "Failed to create FileMappingView");
  EXPECT_EQ(asException.ClassName(), std::string("EDbgFileMappingViewError"));
  EXPECT_EQ(EDbgWin32Error(static_cast<win::DWORD>(ENOENT)).Message(),
            "Win32: No such file or directory (" + std::to_string(ENOENT) + ")");
  static_assert(std::is_base_of_v<EDbgError, EDbgPeImageError>);
  static_assert(std::is_base_of_v<EDbgError, EDbgFileVersionInfoError>);
  static_assert(std::is_base_of_v<EDbgWin32Error, EDbgFileMappingError>);
}
