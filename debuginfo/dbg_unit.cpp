#include "debuginfo/dbg_unit.h"

#include <memory>

#include "debuginfo/char_tables.h"
#include "debuginfo/debug_info_sources.h"
#include "debuginfo/pe_map_img_hooks.h"
#include "debuginfo/stack_lists.h"

namespace {

struct DbgUnitState {
  bool initialized = false;
  TDbgSystemInfo sysInfo;
  std::unique_ptr<TDbgCriticalSection> criticalSection;
  std::unique_ptr<TDbgGlobalStackList> stackList;
  std::unique_ptr<TDbgDebugInfoList> debugInfoList;
  // The import-table hook of the raise entry and whether it is in place.
  std::unique_ptr<TDbgPeMapImgHooks> hooks;
  bool hookInstalled = false;
};

DbgUnitState& State() {
  static DbgUnitState state;
  return state;
}

void RemoveExceptionHook(DbgUnitState& s) {
  if (!s.hookInstalled) return;
  // A hook would restore the replaced entries here; the records go with it.
  s.hooks.reset();
  s.hookInstalled = false;
}

// Runs the load-time steps when the module (or program) that links the library loads,
// and the unload-time steps when it unloads.
struct DbgUnitLoader {
  DbgUnitLoader() { DbgInitialize(); }
  ~DbgUnitLoader() { DbgFinalize(); }
};

const DbgUnitLoader gLoader;

}  // namespace

void DbgInitialize() {
  DbgUnitState& s = State();
  if (s.initialized) return;
  DbgInitCharTables();
  s.sysInfo = DbgReadSystemInfo(DbgQueryPlatform());
  s.criticalSection = std::make_unique<TDbgCriticalSection>();
  s.stackList = std::make_unique<TDbgGlobalStackList>();
  s.initialized = true;
}

void DbgFinalize() {
  DbgUnitState& s = State();
  if (!s.initialized) return;
  RemoveExceptionHook(s);
  s.stackList.reset();
  s.debugInfoList.reset();
  s.hooks.reset();
  s.criticalSection.reset();
  s.initialized = false;
}

bool DbgInitialized() { return State().initialized; }

const TDbgSystemInfo& DbgSysInfo() { return State().sysInfo; }

bool IsWinNT() { return State().sysInfo.IsWinNT; }

TDbgCriticalSection* DbgCriticalSection() { return State().criticalSection.get(); }

TDbgGlobalStackList* DbgGlobalStackList() { return State().stackList.get(); }

TDbgDebugInfoList* DbgDebugInfoList() {
  DbgUnitState& s = State();
  if (!s.initialized) return nullptr;
  s.criticalSection->Enter();
  if (!s.debugInfoList) s.debugInfoList = std::make_unique<TDbgDebugInfoList>();
  s.criticalSection->Leave();
  return s.debugInfoList.get();
}

bool DbgExceptionHookInstalled() { return State().hookInstalled; }
