#include "controlkit/kit_sysinfo.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "controlkit/kit_general.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/priority.h"
#include "platform/win/services.h"
#include "platform/win/system_info.h"
#include "platform/win/system_tables.h"

namespace {

// Reads "<Key>: <value> kB" lines of a /proc file; -1 when absent.
Int64 ProcKilobytes(const char* file, const std::string& key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0 || line.size() <= key.size() || line[key.size()] != ':') continue;
    long long value = -1;
    if (std::sscanf(line.c_str() + key.size() + 1, "%lld", &value) == 1) return value;
  }
  return -1;
}

// The machine's own answers.
class TLinuxSystemInfo : public TKitSystemInfoProvider {
 public:
  std::string UserName() override {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return std::string();
  }

  std::string ComputerName() override {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof(buffer) - 1) != 0) return std::string();
    return buffer;
  }

  // The system's configuration and library directories stand for the Windows and system
  // directories.
  std::string WindowsDir() override { return "/etc"; }
  std::string SystemDir() override { return "/usr/lib"; }

  std::string CurrentDir() override {
    char buffer[4096];
    if (!::getcwd(buffer, sizeof(buffer))) return std::string();
    return buffer;
  }

  std::string TempPath() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = tmp && *tmp ? tmp : "/tmp";
    if (path.back() != '/') path += '/';
    return path;
  }

  bool DiskSpace(const std::string& path, Int64& freeBytes, Int64& totalBytes) override {
    struct statvfs st {};
    if (path.empty() || ::statvfs(path.c_str(), &st) != 0) return false;
    freeBytes = static_cast<Int64>(st.f_bavail) * static_cast<Int64>(st.f_frsize);
    totalBytes = static_cast<Int64>(st.f_blocks) * static_cast<Int64>(st.f_frsize);
    return true;
  }

  std::string RegisteredValue(const std::string& name) override {
    const bool nt = Version().PlatformId == win::VER_PLATFORM_WIN32_NT;
    const std::string path = std::string("\\SOFTWARE\\Microsoft\\") + (nt ? "Windows NT" : "Windows") + "\\CurrentVersion";
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, path.c_str(), 0, win::KEY_READ, &key) != win::ERROR_SUCCESS)
      return std::string();
    std::string result;
    win::DWORD type = 0, size = 0;
    if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type, nullptr, &size) == win::ERROR_SUCCESS &&
        type == win::REG_SZ && size > 0) {
      std::string buffer(size, '\0');
      if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<win::BYTE*>(buffer.data()),
                               &size) == win::ERROR_SUCCESS)
        result.assign(buffer.c_str());
    }
    win::RegCloseKey(key);
    return result;
  }

  TKitVersionFacts Version() override {
    win::OSVERSIONINFO info;
    TKitVersionFacts facts;
    if (win::GetVersionEx(&info)) {
      facts.Major = info.dwMajorVersion;
      facts.Minor = info.dwMinorVersion;
      facts.Build = info.dwBuildNumber;
      facts.PlatformId = info.dwPlatformId;
    }
    return facts;
  }

  std::string SystemName() override {
    utsname u{};
    if (::uname(&u) != 0) return std::string();
    return u.sysname;
  }

  Integer ColorDepth() override {
    win::HDC dc = win::GetDC(nullptr);
    if (!dc) return 0;
    const Integer bits = win::GetDeviceCaps(dc, win::BITSPIXEL) * win::GetDeviceCaps(dc, win::PLANES);
    win::ReleaseDC(nullptr, dc);
    return bits;
  }

  // There is no screen-saver setting the program can read here.
  Integer ScreenSaverSeconds() override { return 0; }

  TKitMemoryStatus Memory() override {
    TKitMemoryStatus m;
    const Int64 total = ProcKilobytes("/proc/meminfo", "MemTotal");
    Int64 avail = ProcKilobytes("/proc/meminfo", "MemAvailable");
    if (avail < 0) avail = ProcKilobytes("/proc/meminfo", "MemFree");
    const Int64 swapTotal = ProcKilobytes("/proc/meminfo", "SwapTotal");
    const Int64 swapFree = ProcKilobytes("/proc/meminfo", "SwapFree");
    if (total > 0) {
      m.TotalPhys = total * 1024;
      m.AvailPhys = avail > 0 ? avail * 1024 : 0;
      m.MemoryLoad = static_cast<Cardinal>((m.TotalPhys - m.AvailPhys) * 100 / m.TotalPhys);
    }
    m.TotalPageFile = m.TotalPhys + (swapTotal > 0 ? swapTotal * 1024 : 0);
    m.AvailPageFile = m.AvailPhys + (swapFree > 0 ? swapFree * 1024 : 0);
    // The address space: the limit when one is set, else the user half of 48-bit addresses.
    rlimit limit{};
    Int64 space = sizeof(void*) == 8 ? (Int64{1} << 47) : (Int64{3} << 30);
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
      space = static_cast<Int64>(limit.rlim_cur);
    const Int64 used = ProcKilobytes("/proc/self/status", "VmSize");
    m.TotalVirtual = space;
    m.AvailVirtual = used > 0 && used * 1024 < space ? space - used * 1024 : space;
    return m;
  }

  // The 16-bit system's resource heaps do not exist here.
  Integer FreeResources(int) override { return 0; }

  Cardinal ProcessorCount() override {
    win::SYSTEM_INFO info;
    win::GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
  }

  Cardinal ProcessorType() override {
    utsname u{};
    if (::uname(&u) != 0) return 0;
    const std::string machine = u.machine;
    if (machine == "x86_64") return 8664;
    if (machine == "i386") return 386;
    if (machine == "i486") return 486;
    if (machine == "i586" || machine == "i686") return 586;
    return 0;
  }

  bool KeyToggled(int vk) override { return (win::GetKeyState(vk) & 1) != 0; }

  std::tm LocalTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm result{};
    ::localtime_r(&now, &result);
    return result;
  }

  // Programs on this system carry no version resource.
  std::string ProgramVersionString(const std::string&) override { return std::string(); }

  std::uint64_t ReadTimeStampCounter() override {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
#endif
  }

  void Wait(Cardinal milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

std::unique_ptr<TKitSystemInfoProvider>& Provider() {
  static std::unique_ptr<TKitSystemInfoProvider> provider = std::make_unique<TLinuxSystemInfo>();
  return provider;
}

const char* const kCaptions[kKitInfoTypeCount] = {
    "Username", "Windows directory", "Current directory", "Free space on current disk", "Disk size of current Disk",
    "System directory", "Registered owner", "Registered company", "Version", "Colordepth (in bits)",
    "Screensaver delay", "Memory size", "Free system resources", "Free GDI resources", "Free user resources",
    "Computername", "Major version", "Build", "Memory loaded", "Memory free", "Free memory pages",
    "Total memory pages", "Free virtual memory", "Total virtual memory", "Platform ID", "Platform",
    "Number of processors", "Processor", "Temp path", "DOS version", "NumLock", "CapsLock", "ScrollLock",
    "Date and time", "CompanyName", "ProductName", "ProductVersion", "LegalCopyright", "LegalTrademark",
    "FileDescription", "Comments", "CPU Speed"};

std::string TextOrUnknown(const std::string& s) { return s.empty() ? std::string(kKitUnknown) : s; }

std::string ProcessorText(Cardinal type) {
  switch (type) {
    case 386: return "Intel 386";
    case 486: return "Intel 486";
    case 586: return "Intel Pentium";
    case 2000:
    case 3000:
    case 4000: return "Mips R" + IntToStr(type);
    case 21064: return "Alpha 21064";
    default: return IntToStr(type);
  }
}

std::string PlatformText(TKitSystemInfoProvider& p, Cardinal id) {
  switch (id) {
    case win::VER_PLATFORM_WIN32_WINDOWS: return "Windows 95";
    case win::VER_PLATFORM_WIN32_NT: return "Windows NT";
    // Id 0 is this hosted platform here, not the old 16-bit extension.
    case win::VER_PLATFORM_HOSTED: return TextOrUnknown(p.SystemName());
    default: return kKitUnknown;
  }
}

// The runtime's date and time: "yyyy-mm-dd hh:nn:ss".
std::string DateTimeText(const std::tm& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

const char* VersionStringName(TKitInfoType kind) {
  switch (kind) {
    case itProgCompany: return "CompanyName";
    case itProgName: return "ProductName";
    case itProgVersion: return "ProductVersion";
    case itProgCopyright: return "LegalCopyright";
    case itProgTrademark: return "LegalTrademark";
    case itProgDescription: return "FileDescription";
    default: return "Comments";
  }
}

}  // namespace

TKitSystemInfoProvider& KitSystemInfo() { return *Provider(); }

void SetKitSystemInfoProvider(std::unique_ptr<TKitSystemInfoProvider> provider) {
  Provider() = provider ? std::move(provider) : std::make_unique<TLinuxSystemInfo>();
}

std::string GetInfoCaption(TKitInfoType kind) {
  const int index = static_cast<int>(kind);
  if (index < 0 || index >= kKitInfoTypeCount) return std::string();
  return kCaptions[index];
}

std::string GetInfoText(TKitInfoType kind, Integer divisor) {
  if (divisor == 0) divisor = 1;
  TKitSystemInfoProvider& p = KitSystemInfo();
  auto number = [divisor](Int64 value) { return IntToStr(value / divisor); };
  auto onOff = [&p](int vk) { return std::string(p.KeyToggled(vk) ? "On" : "Off"); };
  switch (kind) {
    case itUser: return TextOrUnknown(p.UserName());
    case itWinDir: return TextOrUnknown(GetWindowsDir());
    case itCurrentDir32: return TextOrUnknown(p.CurrentDir());
    case itCurrentDiskFree32:
    case itCurrentDiskSize32: {
      Int64 freeBytes = 0, totalBytes = 0;
      if (!p.DiskSpace(p.CurrentDir(), freeBytes, totalBytes)) return number(0);
      return number(kind == itCurrentDiskFree32 ? freeBytes : totalBytes);
    }
    case itSystemDir: return TextOrUnknown(GetSystemDir());
    case itReg_Owner32: return TextOrUnknown(p.RegisteredValue("RegisteredOwner"));
    case itReg_Company32: return TextOrUnknown(p.RegisteredValue("RegisteredOrganization"));
    case itVersion: {
      const TKitVersionFacts v = p.Version();
      return Format("%d.%d", v.Major, v.Minor);
    }
    case itColorDepth: return number(p.ColorDepth());
    case itScreenSaverDelay: return number(p.ScreenSaverSeconds() / 60);
    case itMemSize: return number(p.Memory().TotalPhys);
    case itFreeSysRes: return number(p.FreeResources(0));
    case itFreeGDIRes: return number(p.FreeResources(1));
    case itFreeUserRes: return number(p.FreeResources(2));
    case itComputerName32: return TextOrUnknown(p.ComputerName());
    case itMajorVerNr32: return number(p.Version().Major);
    case itBuildNr32: return number(p.Version().Build);
    case itMemLoaded32: return number(p.Memory().MemoryLoad);
    case itMemFree32: return number(p.Memory().AvailPhys);
    case itMemPageFree32: return number(p.Memory().AvailPageFile);
    case itMemPageTotal32: return number(p.Memory().TotalPageFile);
    case itMemVirtFree32: return number(p.Memory().AvailVirtual);
    case itMemVirtTotal32: return number(p.Memory().TotalVirtual);
    case itPlatformID32: return number(p.Version().PlatformId);
    case itPlatform32: return PlatformText(p, p.Version().PlatformId);
    case itProcessorCont32: return number(p.ProcessorCount());
    case itProcessor32: return ProcessorText(p.ProcessorType());
    case itTempPath32: return TextOrUnknown(p.TempPath());
    case itDOSVersion: return "Win32";
    case itNumLock: return onOff(win::VK_NUMLOCK);
    case itCapsLock: return onOff(win::VK_CAPITAL);
    case itScroll: return onOff(win::VK_SCROLL);
    case itCurrentDateTime: return DateTimeText(p.LocalTime());
    case itProgCompany:
    case itProgName:
    case itProgVersion:
    case itProgCopyright:
    case itProgTrademark:
    case itProgDescription:
    case itProgComments: return TextOrUnknown(p.ProgramVersionString(VersionStringName(kind)));
    case itCPUSpeed: return number(static_cast<Int64>(std::nearbyint(CPUSpeed())));
  }
  return kKitUnknown;
}

namespace {

// Runs the measurement at the highest priority the system grants; the caller's class and
// thread priority come back however it ends.
class TKitTopPriorityScope {
 public:
  TKitTopPriorityScope()
      : class_(win::GetPriorityClass(win::GetCurrentProcess())),
        thread_(win::GetThreadPriority(win::GetCurrentThread())) {
    win::SetPriorityClass(win::GetCurrentProcess(), win::REALTIME_PRIORITY_CLASS);
    win::SetThreadPriority(win::GetCurrentThread(), win::THREAD_PRIORITY_TIME_CRITICAL);
  }
  ~TKitTopPriorityScope() {
    win::SetThreadPriority(win::GetCurrentThread(), thread_);
    win::SetPriorityClass(win::GetCurrentProcess(), class_);
  }
  TKitTopPriorityScope(const TKitTopPriorityScope&) = delete;
  TKitTopPriorityScope& operator=(const TKitTopPriorityScope&) = delete;

 private:
  win::DWORD class_;
  int thread_;
};

}  // namespace

double CPUSpeed() {
  TKitSystemInfoProvider& p = KitSystemInfo();
  const TKitTopPriorityScope priority;
  p.Wait(10);
  const std::uint64_t start = p.ReadTimeStampCounter();
  p.Wait(500);
  const std::uint64_t stop = p.ReadTimeStampCounter();
  return static_cast<double>(stop - start) / 500000.0;
}
