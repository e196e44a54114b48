#include "platform/win/system_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace win {

void GetSystemInfo(SYSTEM_INFO* info) {
  if (!info) return;
  long page = sysconf(_SC_PAGESIZE);
  info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096u;
  unsigned n = std::thread::hardware_concurrency();
  if (n == 0) {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    n = online > 0 ? static_cast<unsigned>(online) : 1u;
  }
  info->dwNumberOfProcessors = n;
  info->dwAllocationGranularity = 65536;
}

BOOL GetVersionEx(OSVERSIONINFO* info) {
  if (!info) return 0;
  *info = OSVERSIONINFO{};
  info->dwPlatformId = VER_PLATFORM_HOSTED;
  utsname u{};
  if (uname(&u) == 0) {
    unsigned major = 0, minor = 0, build = 0;
    if (std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build) >= 1) {
      info->dwMajorVersion = major;
      info->dwMinorVersion = minor;
      info->dwBuildNumber = build;
    }
  }
  return 1;
}

std::string GetKernelLibraryFileName() { return std::string(); }

namespace {

// Code page 1252 letters above 0x7F whose case partner is also in the code page.
// The pairs 0xC0..0xDE <-> 0xE0..0xFE (but for 0xD7/0xF7) are handled by range.
constexpr std::array<std::pair<unsigned char, unsigned char>, 4> kExtraCasePairs{{
    {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}}};

bool IsUpper1252(unsigned c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return true;
  for (auto& p : kExtraCasePairs)
    if (p.first == c) return true;
  return false;
}

bool IsLower1252(unsigned c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 0xDF && c <= 0xFF && c != 0xF7) return true;  // 0xDF sharp s has no upper form
  for (auto& p : kExtraCasePairs)
    if (p.second == c) return true;
  // f with hook, micro sign, feminine and masculine ordinals: lower-case letters
  // without a single-byte upper form.
  return c == 0x83 || c == 0xB5 || c == 0xAA || c == 0xBA;
}

// Code points 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned in code page 1252 and
// convert to the C1 control characters of the same value.
bool IsControl1252(unsigned c) {
  return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

WORD Classify1252(unsigned c) {
  WORD t = 0;
  if (IsUpper1252(c)) t |= C1_UPPER | C1_ALPHA;
  if (IsLower1252(c)) t |= C1_LOWER | C1_ALPHA;
  if (c >= '0' && c <= '9') t |= C1_DIGIT | C1_XDIGIT;
  if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) t |= C1_XDIGIT;
  if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0) t |= C1_SPACE;
  if (c == 0x09 || c == 0x20 || c == 0xA0) t |= C1_BLANK;
  if (IsControl1252(c)) t |= C1_CNTRL;
  // Everything printable that is neither letter, digit nor space is punctuation:
  // symbols, currency signs, superscript digits and fractions alike.
  if (t == 0) t |= C1_PUNCT;
  return t;
}

unsigned char ToUpper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  for (auto& p : kExtraCasePairs)
    if (p.second == c) return p.first;
  return c;
}

unsigned char ToLower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  for (auto& p : kExtraCasePairs)
    if (p.first == c) return p.second;
  return c;
}

}  // namespace

BOOL GetStringTypeEx(LCID, DWORD infoType, const char* src, int count, WORD* types) {
  if (infoType != CT_CTYPE1 || !src || !types || count < 0) return 0;
  for (int i = 0; i < count; ++i) types[i] = Classify1252(static_cast<unsigned char>(src[i]));
  return 1;
}

DWORD CharUpperBuff(char* text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i)
    text[i] = static_cast<char>(ToUpper1252(static_cast<unsigned char>(text[i])));
  return length;
}

DWORD CharLowerBuff(char* text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i)
    text[i] = static_cast<char>(ToLower1252(static_cast<unsigned char>(text[i])));
  return length;
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(::gettid()); }

DWORD GetLastError() { return static_cast<DWORD>(errno); }

void SetLastError(DWORD code) { errno = static_cast<int>(code); }

std::string SysErrorMessage(DWORD code) {
  char buf[256] = {};
  // The GNU strerror_r may return a static string instead of filling buf.
  const char* text = strerror_r(static_cast<int>(code), buf, sizeof buf);
  return text ? std::string(text) : std::string();
}

}  // namespace win
