#pragma once
// System information for the information label: one of 42 questions about the machine,
// the system and the running program, answered as a display text with a caption.
//
// The raw facts come from a provider. The default one reads this machine (Linux): values
// with no meaning here give "(Unknown)" or 0. Tests install a provider of their own.
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "platform/classlib/types.h"

enum TKitInfoType {
  itUser,
  itWinDir,
  itCurrentDir32,
  itCurrentDiskFree32,
  itCurrentDiskSize32,
  itSystemDir,
  itReg_Owner32,
  itReg_Company32,
  itVersion,
  itColorDepth,
  itScreenSaverDelay,
  itMemSize,
  itFreeSysRes,
  itFreeGDIRes,
  itFreeUserRes,
  itComputerName32,
  itMajorVerNr32,
  itBuildNr32,
  itMemLoaded32,
  itMemFree32,
  itMemPageFree32,
  itMemPageTotal32,
  itMemVirtFree32,
  itMemVirtTotal32,
  itPlatformID32,
  itPlatform32,
  itProcessorCont32,
  itProcessor32,
  itTempPath32,
  itDOSVersion,
  itNumLock,
  itCapsLock,
  itScroll,
  itCurrentDateTime,
  itProgCompany,
  itProgName,
  itProgVersion,
  itProgCopyright,
  itProgTrademark,
  itProgDescription,
  itProgComments,
  itCPUSpeed
};
inline constexpr int kKitInfoTypeCount = 42;

// The text of a value that cannot be had.
inline constexpr const char* kKitUnknown = "(Unknown)";

struct TKitMemoryStatus {
  Cardinal MemoryLoad = 0;  // percent in use
  Int64 TotalPhys = 0;
  Int64 AvailPhys = 0;
  Int64 TotalPageFile = 0;  // memory plus swap
  Int64 AvailPageFile = 0;
  Int64 TotalVirtual = 0;  // the process's address space
  Int64 AvailVirtual = 0;
};

struct TKitVersionFacts {
  Cardinal Major = 0;
  Cardinal Minor = 0;
  Cardinal Build = 0;
  Cardinal PlatformId = 0;  // 0: this hosted platform, 1: the 95 family, 2: the NT family
};

class TKitSystemInfoProvider {
 public:
  virtual ~TKitSystemInfoProvider() = default;

  // Empty when the system does not tell.
  virtual std::string UserName() = 0;
  virtual std::string ComputerName() = 0;
  virtual std::string WindowsDir() = 0;
  virtual std::string SystemDir() = 0;
  virtual std::string CurrentDir() = 0;
  virtual std::string TempPath() = 0;  // with its trailing separator
  // False when the sizes of the disk holding `path` cannot be had.
  virtual bool DiskSpace(const std::string& path, Int64& freeBytes, Int64& totalBytes) = 0;
  // A registered-owner value ("RegisteredOwner", "RegisteredOrganization"); empty when absent.
  virtual std::string RegisteredValue(const std::string& name) = 0;
  virtual TKitVersionFacts Version() = 0;
  // The system's own name, for the hosted platform ("Linux").
  virtual std::string SystemName() = 0;
  virtual Integer ColorDepth() = 0;  // bits per pixel x planes
  virtual Integer ScreenSaverSeconds() = 0;
  virtual TKitMemoryStatus Memory() = 0;
  // Percentages of the 16-bit system's resources; 0 where that system does not exist.
  virtual Integer FreeResources(int which) = 0;
  virtual Cardinal ProcessorCount() = 0;
  // 386, 486, 586, 2000, 3000, 4000, 21064, 8664 ...; 0 when unknown.
  virtual Cardinal ProcessorType() = 0;
  // Toggle state of a lock key (a window-system virtual-key code).
  virtual bool KeyToggled(int vk) = 0;
  virtual std::tm LocalTime() = 0;
  // A version-information string of the running program; empty when there is none.
  virtual std::string ProgramVersionString(const std::string& name) = 0;
  // The processor's time-stamp counter, and a wait that lets it run on.
  virtual std::uint64_t ReadTimeStampCounter() = 0;
  virtual void Wait(Cardinal milliseconds) = 0;
};

// The provider in use: the machine's own unless one was installed.
TKitSystemInfoProvider& KitSystemInfo();
// Installs a provider (the kit keeps it); nullptr goes back to the machine's own.
void SetKitSystemInfoProvider(std::unique_ptr<TKitSystemInfoProvider> provider);

// The value of `kind` as text; numbers are divided by `divisor` (integer division; 0 is
// taken as 1) before they are written in decimal.
std::string GetInfoText(TKitInfoType kind, Integer divisor);
std::string GetInfoCaption(TKitInfoType kind);

// The processor's speed in MHz: time-stamp counts over a 500 ms wait, divided by 500000.
// Measures at the real-time class and time-critical priority where the system grants them
// (else at the caller's) and gives the caller's priority back.
double CPUSpeed();
