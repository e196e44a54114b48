#pragma once
// The state one loaded module shares between its TTsx components and its five exports.
#include <cstdint>
#include <functional>
#include <string>

#include "hostbridge/host_functions.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TTsx;

using TPlugEvent = std::function<void()>;
using TPlugLeftClickEvent = std::function<Integer()>;
// Pointer-sized: a mouse hook's lParm points at the hook's mouse record.
using TPlugParam = std::uintptr_t;
using TPlugTrapKeyEvent = std::function<void(TPlugParam wParm, TPlugParam lParm)>;
using TPlugTrapMouseEvent = std::function<bool(TPlugParam wParm, TPlugParam lParm)>;


struct TTsxModuleState {
  std::string Title;
  std::string Author;
  Integer ResBmpId = 101;
  Integer ResStringId = 1;
  Integer ApiVersion = 430;
  Integer PluginId = -1;
  Byte ShuttingDown = 0;

  // Copied from the TTsx when it is loaded.
  TPlugEvent PlugInit;
  TPlugLeftClickEvent LeftClick;
  TPlugEvent RightClick;
  TPlugEvent Deactivate;

  // The trap-key and trap-mouse handlers are those of this TTsx (the last one created).
  TTsx* TrapHandlers = nullptr;
  void* KeyboardHook = nullptr;
  void* MouseHook = nullptr;

  // Looked up by name; null while unbound or when the host lacks them.
  bridge::TGetMainViewHwndProc GetMainViewHwnd = nullptr;
  bridge::TForceLeftClickProc ForceLeftClick = nullptr;
  bridge::TGetTsVersionNbrsProc GetTsVersionNbrs = nullptr;
  bool HostFunctionsBound = false;
};

// The module's one state. It outlives every other static object of the module.
TTsxModuleState& TsxModule();

// Binds the host functions above and asks the host's version numbers (the answer is not
// used), once for the module's life, whether the host offers them or not.
void BindHostFunctions();

// tsxGetMainViewHwnd, bound on first need; null while the host closes its main view and
// when the host does not offer the call.
tsxHWND MainViewHwnd();

// The unit's finalisation: from now on tsxDeactivate raises nothing. Runs at unload.
void FinalizeTsxModule();
