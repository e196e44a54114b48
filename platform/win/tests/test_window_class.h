#pragma once
// A test's window class, registered by the first test that needs it (classes outlive the
// window system's resets).
#include <cstdint>

#include "platform/win/window.h"

namespace win {

// `background` as a class takes a system colour: the colour's index plus one.
inline HBRUSH SysColourBackground(int index) {
  return reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(index + 1));
}

inline void EnsureTestClass(const char* name, WNDPROC proc = &DefWindowProc, UINT style = 0,
                            HBRUSH background = nullptr, HCURSOR cursor = nullptr) {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, name, &existing)) return;
  WNDCLASS wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hbrBackground = background;
  wc.hCursor = cursor;
  RegisterClass(&wc);
}

}  // namespace win
