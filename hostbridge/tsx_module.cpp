#include "hostbridge/tsx_module.h"

namespace {
// Constructed before and destroyed after every ordinary static object of the module, so
// that components freed by the module's finalisation still find the state.
TTsxModuleState g_state __attribute__((init_priority(200)));
}  // namespace

TTsxModuleState& TsxModule() { return g_state; }

void BindHostFunctions() {
  TTsxModuleState& s = TsxModule();
  // Once only: a host without the main-view call would otherwise be asked again on
  // every delete and bounds callback.
  if (s.HostFunctionsBound) return;
  s.HostFunctionsBound = true;
  s.GetMainViewHwnd = reinterpret_cast<bridge::TGetMainViewHwndProc>(bridge::FindHostFunction("tsxGetMainViewHwnd"));
  s.ForceLeftClick = reinterpret_cast<bridge::TForceLeftClickProc>(bridge::FindHostFunction("tsxForceLeftClick"));
  s.GetTsVersionNbrs =
      reinterpret_cast<bridge::TGetTsVersionNbrsProc>(bridge::FindHostFunction("tsxGetTsVersionNbrs"));
  if (s.GetTsVersionNbrs) {
    int major = 0, minor = 0;
    s.GetTsVersionNbrs(&major, &minor);
  }
}

tsxHWND MainViewHwnd() {
  BindHostFunctions();
  const TTsxModuleState& s = TsxModule();
  return s.GetMainViewHwnd ? s.GetMainViewHwnd() : nullptr;
}

void FinalizeTsxModule() {
  TTsxModuleState& s = TsxModule();
  s.ShuttingDown = 1;
  s.Title.clear();
  s.Author.clear();
}

namespace {
// Unit finalisation at unload.
struct Finalization {
  ~Finalization() { FinalizeTsxModule(); }
} g_finalization;
}  // namespace
