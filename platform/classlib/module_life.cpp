#include "platform/classlib/module_life.h"

#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/screen.h"

namespace {

// Plain pointers: nothing here is destroyed with the static objects, so registering from
// a static destructor at exit stays safe.
struct ModuleLife {
  std::vector<std::function<void()>> undo;
  std::vector<std::string> classes;
};

ModuleLife* g_life = nullptr;
bool g_ended = false;

ModuleLife& Life() {
  if (!g_life) g_life = new ModuleLife();
  return *g_life;
}

}  // namespace

void AtModuleEnd(std::function<void()> undo) {
  if (g_ended) return;  // made after the end (by a static destructor): not the module's to undo
  Life().undo.push_back(std::move(undo));
}

bool RegisterModuleWindowClass(const win::WNDCLASS& wc) {
  win::WNDCLASS existing;
  if (win::GetClassInfo(nullptr, wc.lpszClassName, &existing)) return true;
  if (!win::RegisterClass(&wc)) return false;
  if (!g_ended) Life().classes.emplace_back(wc.lpszClassName);
  return true;
}

void EndModuleLife() {
  if (g_ended) return;
  ModuleLife& life = Life();
  delete Application;
  // Undo actions may register more (a form freed above may have made a cache): run until
  // none is left.
  while (!life.undo.empty()) {
    std::function<void()> undo = std::move(life.undo.back());
    life.undo.pop_back();
    undo();
  }
  g_ended = true;
  delete Mouse;
  Mouse = nullptr;
  delete Screen;
  for (const std::string& name : life.classes) win::UnregisterClass(name.c_str(), nullptr);
  life.classes.clear();
  delete g_life;
  g_life = nullptr;
}
