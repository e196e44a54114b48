#include "platform/win/display_hooks.h"

namespace win {

namespace {
DisplayHooks* g_hooks = nullptr;
}  // namespace

void SetDisplayHooks(DisplayHooks* hooks) { g_hooks = hooks; }
DisplayHooks* GetDisplayHooks() { return g_hooks; }

}  // namespace win
