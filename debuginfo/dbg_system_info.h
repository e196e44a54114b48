#pragma once
// System information the library takes at load: machine facts, the platform family
// and which of the window system's versions it is.
#include <string>

#include "platform/classlib/types.h"

struct TDbgWindowsVersionFlags {
  bool IsWin95 = false;
  bool IsWin95OSR2 = false;
  bool IsWin98 = false;
  bool IsWin98SE = false;
  bool IsWinME = false;
  bool IsWinNT3 = false;
  bool IsWinNT4 = false;
  bool IsWin2K = false;
  friend bool operator==(const TDbgWindowsVersionFlags&, const TDbgWindowsVersionFlags&) = default;
};

// Sets at most one flag from the platform's answers. `kernelFileVersionMS` is the
// kernel library's file version (major << 16 | minor), 0 when unknown.
TDbgWindowsVersionFlags DbgClassifyWindowsVersion(Cardinal platformId, Cardinal majorVersion, Cardinal minorVersion,
                                                  const std::string& csdVersion, Cardinal kernelFileVersionMS);

struct TDbgSystemInfo {
  Cardinal ProcessorCount = 0;
  Cardinal AllocGranularity = 0;
  Cardinal PageSize = 0;
  Cardinal KernelFileVersionMS = 0;  // 0 unless read (not NT, version resource present)
  bool IsWinNT = false;
  TDbgWindowsVersionFlags Version;
};

struct TDbgPlatformAnswers {
  Cardinal PageSize = 0;
  Cardinal ProcessorCount = 0;
  Cardinal AllocGranularity = 0;
  Cardinal PlatformId = 0;
  Cardinal MajorVersion = 0;
  Cardinal MinorVersion = 0;
  std::string CSDVersion;
  std::string KernelFileName;  // empty when the platform has no kernel library file
};

// What the window system answers on this machine.
TDbgPlatformAnswers DbgQueryPlatform();
// The load-time steps over the platform's answers: the kernel library's version only
// when not NT and it has version information, then IsWinNT, then the classification.
TDbgSystemInfo DbgReadSystemInfo(const TDbgPlatformAnswers& answers);
