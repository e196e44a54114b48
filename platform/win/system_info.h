#pragma once
// System services of the window system: machine facts, the platform's version answer,
// character classification and case mapping for code page 1252, and error texts.
#include <string>

#include "platform/win/types.h"

namespace win {

struct SYSTEM_INFO {
  DWORD dwPageSize = 0;
  DWORD dwNumberOfProcessors = 0;
  DWORD dwAllocationGranularity = 0;
};

// Page size and processor count from the running system; the allocation granularity
// is the window system's fixed 64 KB.
void GetSystemInfo(SYSTEM_INFO* info);

// Platform ids. This machine is not one of the window system's own platforms, so it
// answers VER_PLATFORM_HOSTED and no caller treats it as a 95 or NT family system.
inline constexpr DWORD VER_PLATFORM_HOSTED = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  std::string szCSDVersion;  // service-pack text
};

// Fills `info` with VER_PLATFORM_HOSTED and the host kernel's release numbers.
BOOL GetVersionEx(OSVERSIONINFO* info);

// File name of the window system's kernel library, whose version resource some callers
// read. There is no such file on this machine: the answer is empty.
std::string GetKernelLibraryFileName();

// Character-type classification (first set).
inline constexpr DWORD CT_CTYPE1 = 1;
inline constexpr WORD C1_UPPER = 0x0001;
inline constexpr WORD C1_LOWER = 0x0002;
inline constexpr WORD C1_DIGIT = 0x0004;
inline constexpr WORD C1_SPACE = 0x0008;
inline constexpr WORD C1_PUNCT = 0x0010;
inline constexpr WORD C1_CNTRL = 0x0020;
inline constexpr WORD C1_BLANK = 0x0040;
inline constexpr WORD C1_XDIGIT = 0x0080;
inline constexpr WORD C1_ALPHA = 0x0100;

using LCID = DWORD;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// Classifies `count` single-byte characters of code page 1252 into `types`. Only
// CT_CTYPE1 is known; any other info type fails (returns 0).
BOOL GetStringTypeEx(LCID locale, DWORD infoType, const char* src, int count, WORD* types);

// Case mapping of code page 1252 in place; returns the number of characters processed.
DWORD CharUpperBuff(char* text, DWORD length);
DWORD CharLowerBuff(char* text, DWORD length);

// The system's id of the calling thread.
DWORD GetCurrentThreadId();

// The last error of the calling thread is the C library's errno; its text is the
// system's message for that code.
DWORD GetLastError();
void SetLastError(DWORD code);
std::string SysErrorMessage(DWORD code);

}  // namespace win
