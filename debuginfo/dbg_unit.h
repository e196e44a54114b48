#pragma once
// What the library sets up when the module loads and tears down when it unloads.
// Linking the library runs DbgInitialize at load and DbgFinalize at unload; both may
// also be called directly and do nothing when already done.
//
// Load, in order: the character tables; the system information; the critical section
// and the global stack list. Unload, in reverse: the exception hook is removed if one
// was installed (none is on this system), the stack list and the other lists are freed,
// then the critical section.
#include "debuginfo/dbg_system_info.h"

class TDbgCriticalSection;
class TDbgGlobalStackList;
class TDbgDebugInfoList;

void DbgInitialize();
void DbgFinalize();
bool DbgInitialized();

// Set at load; zeros before.
const TDbgSystemInfo& DbgSysInfo();
bool IsWinNT();

// nullptr while not loaded.
TDbgCriticalSection* DbgCriticalSection();
TDbgGlobalStackList* DbgGlobalStackList();
// The debug-information sources of the modules asked about, created on first use
// while loaded; nullptr while not loaded.
TDbgDebugInfoList* DbgDebugInfoList();
// Nothing installs the exception hook on this system: there is no import table of
// the module to patch.
bool DbgExceptionHookInstalled();
