#include "hostbridge/host_functions.h"

#include <dlfcn.h>

namespace bridge {

namespace {

// The host's API library as the linker found it: the library that serves tsxAddVec3f.
// Asked without loading anything new (the library is already mapped).
void* HostLibrary() {
  static void* const library = []() -> void* {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&tsxAddVec3f), &info) || !info.dli_fname) return nullptr;
    return dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  }();
  return library;
}

}  // namespace

void* FindHostFunction(const char* name) {
  if (!name) return nullptr;
  if (void* library = HostLibrary())
    if (void* address = dlsym(library, name)) return address;
  return dlsym(RTLD_DEFAULT, name);
}

}  // namespace bridge
