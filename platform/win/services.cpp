#include "platform/win/services.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "platform/win/help_window.h"

namespace win {

struct RegistryKeyObject {
  std::string path;  // normalised: ROOT\PART\PART, upper case
  bool open = true;
};

namespace {

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

struct ServiceState {
  std::vector<UINT> beeps;
  std::vector<SoundCall> sounds;
  std::vector<ShellCall> shellCalls;
  std::intptr_t shellResult = 42;
  std::vector<HelpCall> helpCalls;
  std::set<std::string> keys;
  std::map<std::string, std::map<std::string, RegValue>> values;  // key path -> upper name -> value
  std::vector<std::unique_ptr<RegistryKeyObject>> handles;     // kept: stale handles stay recognisable
};

ServiceState& Sv() {
  static ServiceState s;
  return s;
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

const char* RootName(HKEY k) {
  if (k == HKEY_CLASSES_ROOT) return "HKCR";
  if (k == HKEY_CURRENT_USER) return "HKCU";
  if (k == HKEY_LOCAL_MACHINE) return "HKLM";
  if (k == HKEY_USERS) return "HKU";
  if (k == HKEY_CURRENT_CONFIG) return "HKCC";
  return nullptr;
}

// Joins `sub` to `base`, dropping empty parts (so doubled, leading and trailing
// backslashes do not matter).
std::string Join(const std::string& base, const std::string& sub) {
  std::string out = base;
  std::string part;
  for (std::size_t i = 0; i <= sub.size(); ++i) {
    if (i == sub.size() || sub[i] == '\\') {
      if (!part.empty()) out += "\\" + Upper(part);
      part.clear();
    } else {
      part += sub[i];
    }
  }
  return out;
}

// The path a key handle stands for; false for a bad handle.
bool PathOf(HKEY key, std::string* out) {
  if (const char* r = RootName(key)) {
    *out = r;
    return true;
  }
  for (const auto& h : Sv().handles)
    if (h.get() == key && h->open) {
      *out = h->path;
      return true;
    }
  return false;
}

void MakeKey(const std::string& path) {
  auto& keys = Sv().keys;
  for (std::size_t i = 0; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') keys.insert(path.substr(0, i));
}

void SetValue(HKEY root, const std::string& path, const std::string& name, RegValue v) {
  const char* r = RootName(root);
  if (!r) return;
  const std::string key = Join(r, path);
  MakeKey(key);
  Sv().values[key][Upper(name)] = std::move(v);
}

}  // namespace

// ---- beep and sound ---------------------------------------------------------------------------------

BOOL MessageBeep(UINT type) {
  Sv().beeps.push_back(type);
  return 1;
}

const std::vector<UINT>& RecordedBeeps() { return Sv().beeps; }

BOOL PlaySound(const char* sound, HMODULE, DWORD flags) {
  SoundCall c;
  c.flags = flags;
  if (!sound) c.stop = true;
  else if (flags & SND_MEMORY) c.data = sound;
  else c.name = sound;
  Sv().sounds.push_back(c);
  return 1;
}

BOOL sndPlaySound(const char* sound, UINT flags) { return PlaySound(sound, nullptr, flags); }

const std::vector<SoundCall>& RecordedSounds() { return Sv().sounds; }

// ---- shell and help ----------------------------------------------------------------------------------

HINSTANCE ShellExecute(HWND owner, const char* verb, const char* file, const char* parameters, const char* directory,
                       int show) {
  Sv().shellCalls.push_back(ShellCall{owner, Text(verb), Text(file), Text(parameters), Text(directory), show});
  return reinterpret_cast<HINSTANCE>(Sv().shellResult);
}

void SetShellExecuteResult(std::intptr_t result) { Sv().shellResult = result; }

const std::vector<ShellCall>& RecordedShellCalls() { return Sv().shellCalls; }

BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
  HelpCall c{owner, Text(helpFile), command, data, {}};
  if (command == HELP_KEY || command == HELP_COMMAND) c.text = Text(reinterpret_cast<const char*>(data));
  Sv().helpCalls.push_back(std::move(c));
  if (command == HELP_QUIT)
    CloseHelpWindow();
  else if (helpFile && *helpFile)
    ShowHelpWindow(helpFile);
  return 1;
}

const std::vector<HelpCall>& RecordedHelpCalls() { return Sv().helpCalls; }

// ---- registry ---------------------------------------------------------------------------------------------

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string base;
  if (!PathOf(key, &base)) return ERROR_INVALID_HANDLE;
  const std::string path = Join(base, Text(subKey));
  // Root keys always exist.
  if (path.find('\\') != std::string::npos && !Sv().keys.count(path)) return ERROR_FILE_NOT_FOUND;
  auto h = std::make_unique<RegistryKeyObject>();
  h->path = path;
  *result = h.get();
  Sv().handles.push_back(std::move(h));
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  std::string path;
  if (!PathOf(key, &path)) return ERROR_INVALID_HANDLE;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  auto k = Sv().values.find(path);
  if (k == Sv().values.end()) return ERROR_FILE_NOT_FOUND;
  auto v = k->second.find(Upper(Text(valueName)));
  if (v == k->second.end()) return ERROR_FILE_NOT_FOUND;
  const RegValue& val = v->second;
  if (type) *type = val.type;
  const auto need = static_cast<DWORD>(val.bytes.size());
  if (!data) {
    if (dataSize) *dataSize = need;
    return ERROR_SUCCESS;
  }
  if (*dataSize < need) {
    *dataSize = need;
    return ERROR_MORE_DATA;
  }
  if (need) std::memcpy(data, val.bytes.data(), need);
  *dataSize = need;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (RootName(key)) return ERROR_SUCCESS;
  for (const auto& h : Sv().handles)
    if (h.get() == key && h->open) {
      h->open = false;
      return ERROR_SUCCESS;
    }
  return ERROR_INVALID_HANDLE;
}

void RegistrySetString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
  RegValue v;
  v.type = REG_SZ;
  v.bytes.assign(value.begin(), value.end());
  v.bytes.push_back(0);
  SetValue(root, path, name, std::move(v));
}

void RegistrySetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  RegValue v;
  v.type = REG_DWORD;
  for (int i = 0; i < 4; ++i) v.bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
  SetValue(root, path, name, std::move(v));
}

void RegistryClear() {
  Sv().keys.clear();
  Sv().values.clear();
}

void ResetServices() {
  ServiceState& s = Sv();
  s.beeps.clear();
  s.sounds.clear();
  s.shellCalls.clear();
  s.shellResult = 42;
  s.helpCalls.clear();
  RegistryClear();
  for (auto& h : s.handles) h->open = false;
}

}  // namespace win
