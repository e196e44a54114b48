#include "platform/win/hooks.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win/system_info.h"
#include "platform/win/usage_counts.h"

namespace win {

struct HookObject {
  int type = 0;
  HOOKPROC proc = nullptr;
  bool live = true;
};

namespace {

struct HookState {
  // Hook objects are kept after unhooking so that a stale handle never names a new hook.
  std::vector<std::unique_ptr<HookObject>> all;
  std::vector<HookObject*> keyboard;  // newest first
  std::vector<HookObject*> mouse;
  std::vector<HookObject*> running;  // hooks being called, innermost last
};

HookState& H() {
  static HookState s;
  return s;
}

std::vector<HookObject*>* Chain(int type) {
  if (type == WH_KEYBOARD) return &H().keyboard;
  if (type == WH_MOUSE) return &H().mouse;
  return nullptr;
}

bool IsLive(HookObject* h) {
  if (!h) return false;
  for (const auto& p : H().all)
    if (p.get() == h) return h->live;
  return false;
}

LRESULT CallHook(HookObject* h, int code, WPARAM wParam, LPARAM lParam) {
  HookState& s = H();
  s.running.push_back(h);
  const LRESULT r = h->proc(code, wParam, lParam);
  s.running.pop_back();
  return r;
}

}  // namespace

HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  std::vector<HookObject*>* chain = Chain(idHook);
  if (!chain || !proc) return nullptr;
  if (threadId != 0 && threadId != GetCurrentThreadId()) return nullptr;
  auto h = std::make_unique<HookObject>();
  h->type = idHook;
  h->proc = proc;
  HookObject* raw = h.get();
  H().all.push_back(std::move(h));
  chain->insert(chain->begin(), raw);
  return raw;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  HookState& s = H();
  // The hook named, or else the one running (a hook may pass on after unhooking itself).
  HookObject* base = IsLive(hook) ? hook : (s.running.empty() ? nullptr : s.running.back());
  if (!base) return 0;
  std::vector<HookObject*>* chain = Chain(base->type);
  auto it = std::find(chain->begin(), chain->end(), base);
  HookObject* next = nullptr;
  if (it != chain->end() && it + 1 != chain->end()) next = *(it + 1);
  if (!next) return 0;
  return CallHook(next, code, wParam, lParam);
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  if (!IsLive(hook)) return 0;
  std::vector<HookObject*>* chain = Chain(hook->type);
  chain->erase(std::remove(chain->begin(), chain->end(), hook), chain->end());
  hook->live = false;
  return 1;
}

bool RunHooks(int idHook, WPARAM wParam, LPARAM lParam) {
  std::vector<HookObject*>* chain = Chain(idHook);
  if (!chain || chain->empty()) return false;
  return CallHook(chain->front(), HC_ACTION, wParam, lParam) != 0;
}

int InstalledHookCount() { return static_cast<int>(H().keyboard.size() + H().mouse.size()); }

void ResetHooks() {
  HookState& s = H();
  for (auto& h : s.all) h->live = false;
  s.keyboard.clear();
  s.mouse.clear();
}

}  // namespace win
