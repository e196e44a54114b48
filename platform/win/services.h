#pragma once
// System services that, on this machine, only record what they were asked or give a
// scripted answer: the beep, sounds, the shell's open, the help calls (which also show
// the help window) and a registry held in memory. Tests read the records and fill the
// registry.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

// ---- beep ----------------------------------------------------------------------------------------
BOOL MessageBeep(UINT type);
const std::vector<UINT>& RecordedBeeps();

// ---- sounds --------------------------------------------------------------------------------------
inline constexpr DWORD SND_SYNC = 0x0000;
inline constexpr DWORD SND_ASYNC = 0x0001;
inline constexpr DWORD SND_NODEFAULT = 0x0002;
inline constexpr DWORD SND_MEMORY = 0x0004;  // the sound is a wave image in memory
inline constexpr DWORD SND_LOOP = 0x0008;
inline constexpr DWORD SND_NOSTOP = 0x0010;
inline constexpr DWORD SND_PURGE = 0x0040;
inline constexpr DWORD SND_ALIAS = 0x00010000;
inline constexpr DWORD SND_FILENAME = 0x00020000;
struct SoundCall {
  bool stop = false;           // a null sound: stop whatever plays
  std::string name;            // file or alias name (not for memory sounds)
  const void* data = nullptr;  // memory sounds: the image (not read)
  DWORD flags = 0;
};
// A null sound stops any sound; nothing is played.
BOOL PlaySound(const char* sound, HMODULE module, DWORD flags);
BOOL sndPlaySound(const char* sound, UINT flags);
const std::vector<SoundCall>& RecordedSounds();

// ---- the shell -------------------------------------------------------------------------------------
struct ShellCall {
  HWND owner = nullptr;
  std::string verb;  // empty: the default verb
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
};
// Records the call and answers the scripted result (42 unless set); above 32 is success.
HINSTANCE ShellExecute(HWND owner, const char* verb, const char* file, const char* parameters, const char* directory,
                       int show);
void SetShellExecuteResult(std::intptr_t result);
const std::vector<ShellCall>& RecordedShellCalls();

// ---- help --------------------------------------------------------------------------------------------
inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_CONTENTS = 0x0003;
inline constexpr UINT HELP_CONTEXTPOPUP = 0x0008;
inline constexpr UINT HELP_FINDER = 0x000B;
inline constexpr UINT HELP_KEY = 0x0101;  // data: the keyword
inline constexpr UINT HELP_COMMAND = 0x0102;  // data: the macro
struct HelpCall {
  HWND owner = nullptr;
  std::string file;
  UINT command = 0;
  ULONG_PTR data = 0;
  std::string text;  // the keyword or macro of HELP_KEY / HELP_COMMAND
};
// Records the request and shows the file in the help window (help_window.h); HELP_QUIT
// closes that window. Always succeeds.
BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
const std::vector<HelpCall>& RecordedHelpCalls();

// ---- registry -----------------------------------------------------------------------------------------
struct RegistryKeyObject;
using HKEY = RegistryKeyObject*;
using REGSAM = DWORD;
// The root keys (the window system's own values).
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x101});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x102});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x103});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x104});
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x105});
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0002;
inline constexpr REGSAM KEY_READ = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

// Key paths are backslash-separated and compared without regard to case; leading and
// trailing backslashes are ignored. `result` is set to null on failure.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// A null or empty name is the key's default value. With `data` null, `dataSize` receives
// the size; too small a buffer gives ERROR_MORE_DATA and the size needed. Strings come
// with their terminating zero.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegCloseKey(HKEY key);

// Tests and the command-line host fill the registry (the keys on the path are made).
void RegistrySetString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
void RegistrySetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void RegistryClear();

// ---- for the window system's own files ----------------------------------------------------------------
void ResetServices();

}  // namespace win
