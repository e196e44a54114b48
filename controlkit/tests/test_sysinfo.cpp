// System information: every kind through a provider of known facts, the captions, the
// processor speed measurement, and the machine's own provider.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <memory>
#include <utility>
#include <vector>

#include "controlkit/kit_general.h"
#include "controlkit/kit_sysinfo.h"
#include "platform/win/input.h"
#include "platform/win/priority.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

namespace {

std::pair<win::DWORD, int> Priority() {
  return {win::GetPriorityClass(win::GetCurrentProcess()), win::GetThreadPriority(win::GetCurrentThread())};
}

class FakeSystemInfo : public TKitSystemInfoProvider {
 public:
  std::string UserName() override { return user; }
  std::string ComputerName() override { return "lab-7"; }
  std::string WindowsDir() override { return "C:\\WINDOWS"; }
  std::string SystemDir() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string CurrentDir() override { return "C:\\Work"; }
  std::string TempPath() override { return "C:\\Temp\\"; }
  bool DiskSpace(const std::string& path, Int64& freeBytes, Int64& totalBytes) override {
    if (path != "C:\\Work" || !diskKnown) return false;
    freeBytes = 5000000000;
    totalBytes = 64000000000;
    return true;
  }
  std::string RegisteredValue(const std::string& name) override {
    return name == "RegisteredOwner" ? "Ada L." : std::string();
  }
  TKitVersionFacts Version() override { return {5, 1, 2600, platformId}; }
  std::string SystemName() override { return "Linux"; }
  Integer ColorDepth() override { return 32; }
  Integer ScreenSaverSeconds() override { return 600; }
  TKitMemoryStatus Memory() override {
    TKitMemoryStatus m;
    m.MemoryLoad = 42;
    m.TotalPhys = Int64{8} << 30;
    m.AvailPhys = Int64{3} << 30;
    m.TotalPageFile = Int64{10} << 30;
    m.AvailPageFile = Int64{4} << 30;
    m.TotalVirtual = Int64{1} << 47;
    m.AvailVirtual = (Int64{1} << 47) - (Int64{1} << 30);
    return m;
  }
  Integer FreeResources(int) override { return 0; }
  Cardinal ProcessorCount() override { return 4; }
  Cardinal ProcessorType() override { return processorType; }
  bool KeyToggled(int vk) override { return vk == win::VK_NUMLOCK || vk == win::VK_SCROLL; }
  std::tm LocalTime() override {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    return t;
  }
  std::string ProgramVersionString(const std::string& name) override {
    return name == "CompanyName" ? "Quillmoth Works" : std::string();
  }
  std::uint64_t ReadTimeStampCounter() override { return counter; }
  void Wait(Cardinal ms) override {
    waits.push_back(ms);
    priorities.push_back(Priority());
    counter += std::uint64_t{ms} * 1234567;
  }

  std::string user = "ada";
  bool diskKnown = true;
  Cardinal platformId = 2;
  Cardinal processorType = 586;
  // Starts the measurement at low 32 bits 0xFFFFFFF0, so they wrap during it.
  std::uint64_t counter = 0x1FFFFFFF0ull - 10ull * 1234567;
  std::vector<Cardinal> waits;
  std::vector<std::pair<win::DWORD, int>> priorities;  // class and thread priority in each wait
};

class SysInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto fake = std::make_unique<FakeSystemInfo>();
    fake_ = fake.get();
    SetKitSystemInfoProvider(std::move(fake));
  }
  void TearDown() override { SetKitSystemInfoProvider(nullptr); }
  FakeSystemInfo* fake_ = nullptr;
};

TEST_F(SysInfoTest, EveryKindAsText) {
  struct Case {
    TKitInfoType kind;
    Integer divisor;
    const char* text;
  };
  const std::vector<Case> cases = {
      {itUser, 1, "ada"},
      {itWinDir, 1, "C:\\WINDOWS"},
      {itCurrentDir32, 1, "C:\\Work"},
      {itCurrentDiskFree32, 1, "5000000000"},
      {itCurrentDiskSize32, 1000000, "64000"},
      {itSystemDir, 1, "C:\\WINDOWS\\SYSTEM"},
      {itReg_Owner32, 1, "Ada L."},
      {itReg_Company32, 1, "(Unknown)"},
      {itVersion, 1, "5.1"},
      {itColorDepth, 1, "32"},
      {itScreenSaverDelay, 1, "10"},
      {itMemSize, 1024, "8388608"},
      {itFreeSysRes, 1, "0"},
      {itFreeGDIRes, 1, "0"},
      {itFreeUserRes, 1, "0"},
      {itComputerName32, 1, "lab-7"},
      {itMajorVerNr32, 1, "5"},
      {itBuildNr32, 1, "2600"},
      {itMemLoaded32, 1, "42"},
      {itMemFree32, 1048576, "3072"},
      {itMemPageFree32, 1048576, "4096"},
      {itMemPageTotal32, 1048576, "10240"},
      {itMemVirtFree32, 1073741824, "131071"},
      {itMemVirtTotal32, 1073741824, "131072"},
      {itPlatformID32, 1, "2"},
      {itPlatform32, 1, "Windows NT"},
      {itProcessorCont32, 1, "4"},
      {itProcessor32, 1, "Intel Pentium"},
      {itTempPath32, 1, "C:\\Temp\\"},
      {itDOSVersion, 1, "Win32"},
      {itNumLock, 1, "On"},
      {itCapsLock, 1, "Off"},
      {itScroll, 1, "On"},
      {itCurrentDateTime, 1, "2024-03-05 07:08:09"},
      {itProgCompany, 1, "Quillmoth Works"},
      {itProgName, 1, "(Unknown)"},
      {itProgVersion, 1, "(Unknown)"},
      {itProgCopyright, 1, "(Unknown)"},
      {itProgTrademark, 1, "(Unknown)"},
      {itProgDescription, 1, "(Unknown)"},
      {itProgComments, 1, "(Unknown)"},
      {itCPUSpeed, 1, "1235"},
  };
  ASSERT_EQ(cases.size(), static_cast<std::size_t>(kKitInfoTypeCount));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    ASSERT_EQ(static_cast<std::size_t>(cases[i].kind), i) << "kinds in order";
    EXPECT_EQ(GetInfoText(cases[i].kind, cases[i].divisor), cases[i].text) << GetInfoCaption(cases[i].kind);
  }
}

TEST_F(SysInfoTest, DivisorZeroGivesRawValuesAndDivisionTruncates) {
  EXPECT_EQ(GetInfoText(itMemSize, 0), "8589934592");
  EXPECT_EQ(GetInfoText(itCurrentDiskFree32, 3), "1666666666");
  EXPECT_EQ(GetInfoText(itScreenSaverDelay, 0), "10");
  EXPECT_EQ(GetInfoText(itScreenSaverDelay, 3), "3");
  EXPECT_EQ(GetInfoText(itCPUSpeed, 1000), "1");
}

TEST_F(SysInfoTest, UnavailableValues) {
  fake_->user.clear();
  fake_->diskKnown = false;
  EXPECT_EQ(GetInfoText(itUser, 1), "(Unknown)");
  EXPECT_EQ(GetInfoText(itCurrentDiskFree32, 1), "0");
  EXPECT_EQ(GetInfoText(itCurrentDiskSize32, 1), "0");
}

TEST_F(SysInfoTest, PlatformsAndProcessors) {
  const std::vector<std::pair<Cardinal, const char*>> platforms = {
      {0, "Linux"}, {1, "Windows 95"}, {2, "Windows NT"}, {7, "(Unknown)"}};
  for (auto [id, text] : platforms) {
    fake_->platformId = id;
    EXPECT_EQ(GetInfoText(itPlatform32, 1), text) << id;
  }
  const std::vector<std::pair<Cardinal, const char*>> processors = {
      {386, "Intel 386"},   {486, "Intel 486"},         {586, "Intel Pentium"}, {2000, "Mips R2000"},
      {3000, "Mips R3000"}, {4000, "Mips R4000"},       {21064, "Alpha 21064"}, {8664, "8664"},
      {0, "0"}};
  for (auto [type, text] : processors) {
    fake_->processorType = type;
    EXPECT_EQ(GetInfoText(itProcessor32, 1), text) << type;
  }
}

TEST_F(SysInfoTest, CaptionsOfEveryKind) {
  const char* expected[kKitInfoTypeCount] = {
      "Username", "Windows directory", "Current directory", "Free space on current disk",
      "Disk size of current Disk", "System directory", "Registered owner", "Registered company", "Version",
      "Colordepth (in bits)", "Screensaver delay", "Memory size", "Free system resources", "Free GDI resources",
      "Free user resources", "Computername", "Major version", "Build", "Memory loaded", "Memory free",
      "Free memory pages", "Total memory pages", "Free virtual memory", "Total virtual memory", "Platform ID",
      "Platform", "Number of processors", "Processor", "Temp path", "DOS version", "NumLock", "CapsLock",
      "ScrollLock", "Date and time", "CompanyName", "ProductName", "ProductVersion", "LegalCopyright",
      "LegalTrademark", "FileDescription", "Comments", "CPU Speed"};
  for (int i = 0; i < kKitInfoTypeCount; ++i)
    EXPECT_EQ(GetInfoCaption(static_cast<TKitInfoType>(i)), expected[i]) << i;
}

TEST_F(SysInfoTest, CPUSpeedCountsOverHalfASecond) {
  // 1234567 counts per millisecond over 500 ms, across a wrap of the low 32 bits.
  EXPECT_DOUBLE_EQ(CPUSpeed(), 1234.567);
  EXPECT_EQ(fake_->waits, (std::vector<Cardinal>{10, 500}));
  // Measured at the top priority where the system grants it, and the caller's comes back.
  const bool granted = ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -20) == 0;
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 0);
  const std::pair<win::DWORD, int> top =
      granted ? std::pair{win::REALTIME_PRIORITY_CLASS, win::THREAD_PRIORITY_TIME_CRITICAL}
              : std::pair{win::NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_NORMAL};
  EXPECT_EQ(fake_->priorities, (std::vector{top, top}));
  EXPECT_EQ(Priority(), std::pair(win::NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_NORMAL));
}

TEST_F(SysInfoTest, DirectoriesComeFromTheProvider) {
  EXPECT_EQ(GetWindowsDir(), "C:\\WINDOWS");
  EXPECT_EQ(GetDirectory(ppSystem, true), "C:\\WINDOWS\\SYSTEM\\");
  EXPECT_EQ(GetDirectory(ppWindows, false), "C:\\WINDOWS");
}

// ---- this machine --------------------------------------------------------------------------------

TEST(MachineSysInfo, LinuxValues) {
  SetKitSystemInfoProvider(nullptr);
  win::ResetWindowSystem();
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof(cwd)), nullptr);
  EXPECT_EQ(GetInfoText(itCurrentDir32, 1), cwd);
  EXPECT_EQ(GetInfoText(itPlatform32, 1), "Linux");
  EXPECT_EQ(GetInfoText(itPlatformID32, 1), "0");
  EXPECT_EQ(GetInfoText(itDOSVersion, 1), "Win32");
  EXPECT_GT(std::stoll(GetInfoText(itProcessorCont32, 1)), 0);
  EXPECT_GT(std::stoll(GetInfoText(itMemSize, 1)), 0);
  EXPECT_GT(std::stoll(GetInfoText(itCurrentDiskSize32, 1)), 0);
  const Int64 load = std::stoll(GetInfoText(itMemLoaded32, 1));
  EXPECT_GE(load, 0);
  EXPECT_LE(load, 100);
  EXPECT_GE(std::stoll(GetInfoText(itMemPageTotal32, 1)), std::stoll(GetInfoText(itMemSize, 1)));
  EXPECT_GT(std::stoll(GetInfoText(itMemVirtTotal32, 1)), std::stoll(GetInfoText(itMemVirtFree32, 1)));
  EXPECT_EQ(GetInfoText(itTempPath32, 1).back(), '/');
  EXPECT_NE(GetInfoText(itUser, 1), "(Unknown)");
  EXPECT_NE(GetInfoText(itComputerName32, 1), "(Unknown)");
  EXPECT_EQ(GetInfoText(itScreenSaverDelay, 1), "0");
  EXPECT_EQ(GetInfoText(itFreeGDIRes, 1), "0");
  EXPECT_EQ(GetInfoText(itProgName, 1), "(Unknown)");
  EXPECT_GT(std::stoll(GetInfoText(itColorDepth, 1)), 0);
  EXPECT_EQ(GetInfoText(itCurrentDateTime, 1).size(), 19u);

  // The registered owner lives in the window system's registry.
  EXPECT_EQ(GetInfoText(itReg_Owner32, 1), "(Unknown)");
  win::RegistrySetString(win::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "RegisteredOwner",
                         "Tester");
  EXPECT_EQ(GetInfoText(itReg_Owner32, 1), "Tester");
  win::RegistryClear();

  // Lock keys read the toggle bit of the key state.
  win::SetTestKeyState(win::VK_NUMLOCK, false, false);
  EXPECT_EQ(GetInfoText(itNumLock, 1), "Off");
  win::SetTestKeyState(win::VK_NUMLOCK, true, false);  // held down but not toggled
  EXPECT_EQ(GetInfoText(itNumLock, 1), "Off");
  win::SetTestKeyState(win::VK_NUMLOCK, false, true);
  EXPECT_EQ(GetInfoText(itNumLock, 1), "On");
  win::SetTestKeyState(win::VK_CAPITAL, false, true);
  EXPECT_EQ(GetInfoText(itCapsLock, 1), "On");
  EXPECT_EQ(GetInfoText(itScroll, 1), "Off");
  win::ResetWindowSystem();
}

}  // namespace
