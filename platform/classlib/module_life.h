#pragma once
// What the libraries linked into a module make for the module's life: the application,
// the screen and the mouse, caches made on first use, windows and window classes whose
// procedures are module code. The window system outlives the module, so all of it is
// given back when the module is unloaded (EndModuleLife), in a fixed order that does not
// depend on the order in which static objects were made. A program that links the
// libraries and never unloads them keeps everything until it exits.
#include <functional>

#include "platform/win/window.h"

// Runs `undo` at the module's end, before what was registered earlier.
void AtModuleEnd(std::function<void()> undo);

// An object that lives until the module's end.
template <class T>
T* ModuleOwned(T* object) {
  AtModuleEnd([object] { delete object; });
  return object;
}

// Registers a window class for the module's life; unregistered at its end, after every
// window is gone. True when the class is there (already, or now).
bool RegisterModuleWindowClass(const win::WNDCLASS& wc);

// The class library's end, once: the application with every form and hint window it
// owns, then what AtModuleEnd registered (latest first), the mouse, the screen, and last
// the window classes. Later calls do nothing.
void EndModuleLife();

// The object in `slot` (a static pointer), made by `make` on first use and freed at the
// module's end, which empties the slot.
template <class T, class Make>
T* ModuleLazy(T*& slot, Make make) {
  if (!slot) {
    slot = make();
    AtModuleEnd([&slot] {
      T* object = slot;
      slot = nullptr;
      delete object;
    });
  }
  return slot;
}
