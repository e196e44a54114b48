#pragma once
// Process-lifetime singletons are made once and never freed, so that nothing depends on the
// order of static destruction at exit. When the library holding one goes away with an
// unloaded module, the leak checker would count it, and all it holds, as lost: Immortal
// tells it that the object is meant to outlive its pointer.
#if defined(__SANITIZE_ADDRESS__)
#define QM_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define QM_LEAK_CHECKED 1
#endif
#endif
#ifdef QM_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

template <class T>
T* Immortal(T* object) {
#ifdef QM_LEAK_CHECKED
  __lsan_ignore_object(object);
#endif
  return object;
}
