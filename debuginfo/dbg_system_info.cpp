#include "debuginfo/dbg_system_info.h"

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/file_version_info.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/system_info.h"

TDbgWindowsVersionFlags DbgClassifyWindowsVersion(Cardinal platformId, Cardinal majorVersion, Cardinal minorVersion,
                                                  const std::string& csdVersion, Cardinal kernelFileVersionMS) {
  constexpr Cardinal kMeKernelVersion = 0x0004005A;  // 4.90
  TDbgWindowsVersionFlags f;
  const std::string servicePack = Trim(csdVersion);
  if (platformId == win::VER_PLATFORM_WIN32_WINDOWS) {
    if (minorVersion < 10) {
      (servicePack == "B" ? f.IsWin95OSR2 : f.IsWin95) = true;
    } else if (minorVersion <= 89) {
      if (kernelFileVersionMS == kMeKernelVersion)
        f.IsWinME = true;
      else
        (servicePack == "A" ? f.IsWin98SE : f.IsWin98) = true;
    } else if (minorVersion == 90) {
      f.IsWinME = true;
    }
  } else if (platformId == win::VER_PLATFORM_WIN32_NT) {
    if (majorVersion == 3)
      f.IsWinNT3 = true;
    else if (majorVersion == 4)
      f.IsWinNT4 = true;
    else if (majorVersion == 5)
      f.IsWin2K = true;
  }
  return f;
}

TDbgPlatformAnswers DbgQueryPlatform() {
  TDbgPlatformAnswers a;
  win::SYSTEM_INFO si;
  win::GetSystemInfo(&si);
  a.PageSize = si.dwPageSize;
  a.ProcessorCount = si.dwNumberOfProcessors;
  a.AllocGranularity = si.dwAllocationGranularity;
  win::OSVERSIONINFO vi;
  if (win::GetVersionEx(&vi)) {
    a.PlatformId = vi.dwPlatformId;
    a.MajorVersion = vi.dwMajorVersion;
    a.MinorVersion = vi.dwMinorVersion;
    a.CSDVersion = vi.szCSDVersion;
  }
  a.KernelFileName = win::GetKernelLibraryFileName();
  return a;
}

TDbgSystemInfo DbgReadSystemInfo(const TDbgPlatformAnswers& a) {
  TDbgSystemInfo info;
  info.ProcessorCount = a.ProcessorCount;
  info.AllocGranularity = a.AllocGranularity;
  info.PageSize = a.PageSize;
  info.IsWinNT = a.PlatformId == win::VER_PLATFORM_WIN32_NT;
  if (!info.IsWinNT && !a.KernelFileName.empty()) {
    try {
      TDbgFileVersionInfo kernel(a.KernelFileName);
      if (kernel.HasFixedInfo()) info.KernelFileVersionMS = kernel.FixedInfo().dwFileVersionMS;
    } catch (const EDbgError&) {
      // No version information: the version stays unknown.
    }
  }
  info.Version = DbgClassifyWindowsVersion(a.PlatformId, a.MajorVersion, a.MinorVersion, a.CSDVersion,
                                           info.KernelFileVersionMS);
  return info;
}
