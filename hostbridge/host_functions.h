#pragma once
// Host calls that the bridge looks up by name at run time instead of linking them, since
// a host may lack them. A missing function leaves its address null; every caller treats
// null as "the host does not offer this".
#include "platform/host/tsxapi.h"

namespace bridge {

using TGetMainViewHwndProc = tsxHWND (*)();
using TForceLeftClickProc = void (*)(int pluginId);
using TGetTsVersionNbrsProc = void (*)(int* major, int* minor);
using TRegisterExternalShaderProc = int (*)(int kind, tssSHADER_CALLBACK callback, int enable);

// The address of `name` in the host's API library, null when it has no such function.
void* FindHostFunction(const char* name);

}  // namespace bridge
