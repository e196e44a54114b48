// What loading and unloading the library does: character tables, system information
// and the Windows-version classification, the critical section and the stack list.
#include <gtest/gtest.h>

#include <unistd.h>

#include "debuginfo/char_tables.h"
#include "debuginfo/dbg_system_info.h"
#include "debuginfo/dbg_unit.h"
#include "debuginfo/stack_lists.h"
#include "platform/win/system_info.h"
#include "test_helpers.h"

using namespace dbgtest;

TEST(DbgUnit, LoadedWithTheProgramAndUnloadedInReverse) {
  // The library's load-time steps ran when this program started.
  ASSERT_TRUE(DbgInitialized());
  ASSERT_NE(DbgCriticalSection(), nullptr);
  ASSERT_NE(DbgGlobalStackList(), nullptr);
  EXPECT_FALSE(DbgExceptionHookInstalled());
  EXPECT_TRUE(DbgCaseMapsBuilt());

  DbgGlobalStackList()->AddObject(new TDbgStackInfoList(42));
  TDbgDebugInfoList* infoList = DbgDebugInfoList();
  EXPECT_NE(infoList, nullptr);
  EXPECT_EQ(DbgDebugInfoList(), infoList) << "made once";

  DbgFinalize();
  EXPECT_FALSE(DbgInitialized());
  EXPECT_EQ(DbgCriticalSection(), nullptr);
  EXPECT_EQ(DbgGlobalStackList(), nullptr);
  EXPECT_EQ(DbgDebugInfoList(), nullptr);
  EXPECT_FALSE(DbgExceptionHookInstalled());
  DbgFinalize();  // a second unload does nothing
  EXPECT_FALSE(DbgInitialized());

  DbgInitialize();
  ASSERT_TRUE(DbgInitialized());
  ASSERT_NE(DbgGlobalStackList(), nullptr);
  EXPECT_EQ(DbgGlobalStackList()->Count(), 0) << "a fresh list after loading again";
  TDbgCriticalSection* cs = DbgCriticalSection();
  DbgInitialize();  // a second load does nothing
  EXPECT_EQ(DbgCriticalSection(), cs);
}

TEST(DbgUnit, SystemInformationOfThisMachine) {
  ASSERT_TRUE(DbgInitialized());
  const TDbgSystemInfo& info = DbgSysInfo();
  EXPECT_EQ(info.PageSize, static_cast<Cardinal>(sysconf(_SC_PAGESIZE)));
  EXPECT_GE(info.ProcessorCount, 1u);
  EXPECT_EQ(info.AllocGranularity, 65536u);
  // This machine answers as no member of either family: no flag, no kernel version.
  EXPECT_FALSE(IsWinNT());
  EXPECT_EQ(info.Version, TDbgWindowsVersionFlags{});
  EXPECT_EQ(info.KernelFileVersionMS, 0u);
}

TEST(WindowsVersion, ClassificationTable) {
  struct Row {
    Cardinal platform, major, minor;
    const char* csd;
    Cardinal kernel;
    TDbgWindowsVersionFlags expected;
  };
  auto flag = [](bool TDbgWindowsVersionFlags::*member) {
    TDbgWindowsVersionFlags f;
    f.*member = true;
    return f;
  };
  using F = TDbgWindowsVersionFlags;
  const Row rows[] = {
      {1, 4, 0, "", 0, flag(&F::IsWin95)},
      {1, 4, 0, " B ", 0, flag(&F::IsWin95OSR2)},
      {1, 4, 3, "C", 0, flag(&F::IsWin95)},
      {1, 4, 9, "B", 0x0004005A, flag(&F::IsWin95OSR2)},  // the kernel version only matters from 10
      {1, 4, 10, "", 0, flag(&F::IsWin98)},
      {1, 4, 10, " A", 0, flag(&F::IsWin98SE)},
      {1, 4, 10, "A", 0x0004005A, flag(&F::IsWinME)},
      {1, 4, 89, "", 0x0004000A, flag(&F::IsWin98)},
      {1, 4, 90, "", 0, flag(&F::IsWinME)},
      {1, 4, 91, "", 0, F{}},
      {2, 3, 51, "", 0, flag(&F::IsWinNT3)},
      {2, 4, 0, "Service Pack 6", 0, flag(&F::IsWinNT4)},
      {2, 5, 0, "", 0, flag(&F::IsWin2K)},
      {2, 5, 1, "Service Pack 2", 0, flag(&F::IsWin2K)},
      {2, 6, 0, "", 0, F{}},
      {2, 2, 0, "", 0, F{}},
      {0, 5, 0, "", 0, F{}},
      {win::VER_PLATFORM_HOSTED, 6, 1, "", 0, F{}},
      {3, 4, 10, "", 0, F{}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.platform << " " << r.major << "." << r.minor << " '" << r.csd << "'");
    EXPECT_EQ(DbgClassifyWindowsVersion(r.platform, r.major, r.minor, r.csd, r.kernel), r.expected);
  }
}

TEST(WindowsVersion, KernelFileVersionIsReadOnlyOffNt) {
  DBG_REQUIRE_PE_FILES();
  // sample32.dll carries file version 4.90, the kernel version that marks Me.
  TDbgPlatformAnswers a;
  a.PlatformId = 1;
  a.MajorVersion = 4;
  a.MinorVersion = 10;
  a.KernelFileName = DataFile("sample32.dll");
  TDbgSystemInfo info = DbgReadSystemInfo(a);
  EXPECT_EQ(info.KernelFileVersionMS, 0x0004005Au);
  EXPECT_TRUE(info.Version.IsWinME);
  EXPECT_FALSE(info.IsWinNT);

  a.KernelFileName = DataFile("sample64.dll");  // version 4.10
  a.CSDVersion = " A ";
  info = DbgReadSystemInfo(a);
  EXPECT_EQ(info.KernelFileVersionMS, 0x0004000Au);
  EXPECT_EQ(info.Version, (TDbgWindowsVersionFlags{.IsWin98SE = true}));

  a.KernelFileName = DataFile("sample32.map");  // no version information
  info = DbgReadSystemInfo(a);
  EXPECT_EQ(info.KernelFileVersionMS, 0u);
  EXPECT_TRUE(info.Version.IsWin98SE);

  a.PlatformId = 2;
  a.MajorVersion = 5;
  a.KernelFileName = DataFile("sample32.dll");
  info = DbgReadSystemInfo(a);
  EXPECT_EQ(info.KernelFileVersionMS, 0u) << "not read on NT";
  EXPECT_TRUE(info.IsWinNT);
  EXPECT_EQ(info.Version, (TDbgWindowsVersionFlags{.IsWin2K = true}));
}

TEST(CharTables, TypesOfCodePage1252) {
  const TDbgCharTypeTable& t = DbgCharTypes();
  using namespace win;
  EXPECT_EQ(t['A'], C1_UPPER | C1_ALPHA | C1_XDIGIT);
  EXPECT_EQ(t['g'], C1_LOWER | C1_ALPHA);
  EXPECT_EQ(t['7'], C1_DIGIT | C1_XDIGIT);
  EXPECT_EQ(t[' '], C1_SPACE | C1_BLANK);
  EXPECT_EQ(t['\t'], C1_SPACE | C1_BLANK | C1_CNTRL);
  EXPECT_EQ(t['\n'], C1_SPACE | C1_CNTRL);
  EXPECT_EQ(t[0], C1_CNTRL);
  EXPECT_EQ(t[0x7F], C1_CNTRL);
  EXPECT_EQ(t['!'], C1_PUNCT);
  EXPECT_EQ(t[0x80], C1_PUNCT) << "euro sign";
  EXPECT_EQ(t[0x81], C1_CNTRL) << "unassigned";
  EXPECT_EQ(t[0x8A], C1_UPPER | C1_ALPHA) << "S caron";
  EXPECT_EQ(t[0x9F], C1_UPPER | C1_ALPHA) << "Y diaeresis";
  EXPECT_EQ(t[0xA0], C1_SPACE | C1_BLANK);
  EXPECT_EQ(t[0xC9], C1_UPPER | C1_ALPHA);
  EXPECT_EQ(t[0xD7], C1_PUNCT) << "multiplication sign";
  EXPECT_EQ(t[0xDF], C1_LOWER | C1_ALPHA) << "sharp s";
  EXPECT_EQ(t[0xF7], C1_PUNCT) << "division sign";
  EXPECT_EQ(t[0xFF], C1_LOWER | C1_ALPHA);
  WORD out = 0;
  EXPECT_EQ(GetStringTypeEx(LOCALE_USER_DEFAULT, 2, "a", 1, &out), 0) << "only the first set";
}

TEST(CharTables, CaseMapsAreMutualInverses) {
  const TDbgCaseMap& lower = DbgLowerCaseMap();
  const TDbgCaseMap& upper = DbgUpperCaseMap();
  const TDbgCaseMap& reverse = DbgReverseCaseMap();
  const TDbgCharTypeTable& t = DbgCharTypes();
  EXPECT_EQ(lower['Q'], 'q');
  EXPECT_EQ(upper['q'], 'Q');
  EXPECT_EQ(upper[0xE9], 0xC9);
  EXPECT_EQ(lower[0x8C], 0x9C);
  EXPECT_EQ(upper[0xFF], 0x9F);
  EXPECT_EQ(upper[0xDF], 0xDF) << "no single-byte capital sharp s";
  EXPECT_EQ(upper[0xB5], 0xB5);
  EXPECT_EQ(reverse['a'], 'A');
  EXPECT_EQ(reverse['Z'], 'z');
  EXPECT_EQ(reverse[0x9A], 0x8A);
  EXPECT_EQ(reverse['5'], '5');
  EXPECT_EQ(reverse[0xD7], 0xD7);
  for (int c = 0; c < 256; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(lower[lower[c]], lower[c]);
    EXPECT_EQ(upper[upper[c]], upper[c]);
    if (t[c] & win::C1_UPPER) {
      EXPECT_EQ(upper[lower[c]], c);
      EXPECT_EQ(reverse[c], lower[c]);
    } else if (t[c] & win::C1_LOWER) {
      EXPECT_EQ(reverse[c], upper[c]);
    } else {
      EXPECT_EQ(lower[c], c);
      EXPECT_EQ(upper[c], c);
      EXPECT_EQ(reverse[c], c);
    }
  }
}
