#include "platform/win/input.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"
#include "platform/win/usage_counts.h"

namespace win {

struct CursorObject {
  HINSTANCE module = nullptr;
  WORD id = 0;
  std::string name;
};

namespace {

struct LastDown {
  bool valid = false;
  HWND hwnd = nullptr;
  MouseButton button = MouseButton::Left;
  bool nonClient = false;
  DWORD time = 0;
  POINT pt;
};

struct InputState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  POINT cursor;
  BYTE async[256] = {};  // bit 7 down, bit 0 toggled
  BYTE sync[256] = {};
  bool buttons[3] = {};  // as the delivered messages say
  LastDown lastDown;
  int lastKeyDown = 0;  // the last key pressed, 0 after a mouse press
  HWND tracked = nullptr;
  bool trackNonClient = false;
  bool leaveOnRelease = false;
  UINT doubleClickTime = 500;
  HCURSOR current = nullptr;
  std::vector<std::unique_ptr<CursorObject>> cursors;  // never freed: handles stay valid
};

InputState& I() {
  static InputState s;
  return s;
}

HWND Live(HWND h) { return CheckWindow(h) ? h : nullptr; }

bool IsChildWindow(const WindowObject* w) { return w->parent && !w->parent->isDesktop; }

WindowObject* TopLevelOf(WindowObject* w) {
  while (w && IsChildWindow(w)) w = w->parent;
  return w;
}

int ButtonIndex(MouseButton b) { return b == MouseButton::Left ? 0 : b == MouseButton::Right ? 1 : 2; }
int ButtonVk(MouseButton b) { return b == MouseButton::Left ? VK_LBUTTON : b == MouseButton::Right ? VK_RBUTTON : VK_MBUTTON; }

bool IsToggleKey(int vk) { return vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL; }

// Sets a key in a state table, keeping the generic and the left/right keys together.
void SetKeyBits(BYTE* table, int vk, bool down) {
  if (vk < 0 || vk > 255) return;
  auto set = [&](int k) {
    const bool was = (table[k] & 0x80) != 0;
    if (down && !was && IsToggleKey(k)) table[k] ^= 0x01;
    table[k] = static_cast<BYTE>(down ? (table[k] | 0x80) : (table[k] & ~0x80));
  };
  set(vk);
  switch (vk) {
    case VK_SHIFT: set(VK_LSHIFT); break;
    case VK_CONTROL: set(VK_LCONTROL); break;
    case VK_MENU: set(VK_LMENU); break;
    case VK_LSHIFT: case VK_RSHIFT:
      table[VK_SHIFT] = (table[VK_LSHIFT] | table[VK_RSHIFT]) & 0x80 ? 0x80 : 0;
      break;
    case VK_LCONTROL: case VK_RCONTROL:
      table[VK_CONTROL] = (table[VK_LCONTROL] | table[VK_RCONTROL]) & 0x80 ? 0x80 : 0;
      break;
    case VK_LMENU: case VK_RMENU:
      table[VK_MENU] = (table[VK_LMENU] | table[VK_RMENU]) & 0x80 ? 0x80 : 0;
      break;
    default: break;
  }
}

bool AsyncDown(int vk) { return (I().async[vk] & 0x80) != 0; }

// A scan code of our own keyboard: enough for the key messages to carry one.
int ScanCode(int vk) {
  static const char* const kRows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const int kFirst[] = {2, 16, 30, 44};
  for (int r = 0; r < 4; ++r)
    if (const char* p = std::strchr(kRows[r], vk); p && vk) return kFirst[r] + static_cast<int>(p - kRows[r]);
  switch (vk) {
    case VK_ESCAPE: return 1;
    case VK_BACK: return 14;
    case VK_TAB: return 15;
    case VK_RETURN: return 28;
    case VK_CONTROL: case VK_LCONTROL: return 29;
    case VK_SHIFT: case VK_LSHIFT: return 42;
    case VK_MENU: case VK_LMENU: return 56;
    case VK_SPACE: return 57;
    default: return 0;
  }
}

// ---- hit testing ------------------------------------------------------------------------------------

struct Hit {
  WindowObject* w = nullptr;
  LRESULT code = HTNOWHERE;
  bool blocked = false;  // a disabled top-level window is there: input is dropped
};

bool InWindow(const WindowObject& w, POINT p) {
  const POINT o = WindowOriginOnScreen(w);
  const std::int64_t x = std::int64_t{p.x} - o.x, y = std::int64_t{p.y} - o.y;
  if (x < 0 || y < 0 || x >= w.rect.right - w.rect.left || y >= w.rect.bottom - w.rect.top) return false;
  return !w.windowRegion || w.windowRegion->Contains(static_cast<LONG>(x), static_cast<LONG>(y));
}

bool InClient(const WindowObject& w, POINT p) {
  const POINT o = ClientOriginOnScreen(w);
  const std::int64_t x = std::int64_t{p.x} - o.x, y = std::int64_t{p.y} - o.y;
  return x >= 0 && y >= 0 && x < w.client.right - w.client.left && y < w.client.bottom - w.client.top;
}

// The deepest window under `p` among `siblings` (z-order, top first). With `ask`, windows
// are asked with WM_NCHITTEST and those answering HTTRANSPARENT passed over.
Hit FindIn(std::vector<WindowObject*> siblings, POINT p, bool ask) {
  for (WindowObject* c : siblings) {
    if (!CheckWindow(c) || !(c->style & WS_VISIBLE) || !InWindow(*c, p)) continue;
    const bool child = IsChildWindow(c);
    if (child && (c->style & WS_DISABLED)) continue;
    if (InClient(*c, p)) {
      Hit deeper = FindIn(c->children, p, ask);
      if (deeper.w) return deeper;
      if (!CheckWindow(c)) continue;
    }
    if (!child && (c->style & WS_DISABLED)) return Hit{c, HTNOWHERE, true};
    LRESULT code = InClient(*c, p) ? HTCLIENT : HTBORDER;
    if (ask) {
      code = Deliver(c, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      if (!CheckWindow(c) || code == HTTRANSPARENT) continue;
    }
    return Hit{c, code, false};
  }
  return Hit{};
}

// ---- activation ------------------------------------------------------------------------------------

HWND Activate(HWND h, WPARAM kind) {
  InputState& s = I();
  const HWND old = Live(s.active);
  if (h == old) return old;
  s.active = h;
  if (old) {
    Deliver(old, WM_NCACTIVATE, 0, 0);
    Deliver(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old)), reinterpret_cast<LPARAM>(h));
  }
  if (!h) {
    SetFocus(nullptr);
    return old;
  }
  if (s.active != h || !CheckWindow(h)) return old;
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (s.active != h || !CheckWindow(h)) return old;
  Deliver(h, WM_NCACTIVATE, 1, 0);
  Deliver(h, WM_ACTIVATE, MAKEWPARAM(static_cast<int>(kind), IsIconic(h)), reinterpret_cast<LPARAM>(old));
  return old;
}

// Whether the cursor is over the tracked window (its client area unless non-client).
bool CursorInsideTracked() {
  InputState& s = I();
  WindowObject* t = CheckWindow(s.tracked);
  if (!t) return false;
  const Hit h = FindIn(TopLevelWindows(), s.cursor, false);
  if (h.w != t) return false;
  return s.trackNonClient || InClient(*t, s.cursor);
}

void PostLeave() {
  InputState& s = I();
  const HWND t = Live(s.tracked);
  s.tracked = nullptr;
  s.leaveOnRelease = false;
  if (t) PostMessage(t, WM_MOUSELEAVE, 0, 0);
}

WPARAM MouseKeyFlags(WPARAM keyFlags) {
  const InputState& s = I();
  WPARAM mk = keyFlags & (MK_SHIFT | MK_CONTROL);
  if (s.buttons[0]) mk |= MK_LBUTTON;
  if (s.buttons[1]) mk |= MK_RBUTTON;
  if (s.buttons[2]) mk |= MK_MBUTTON;
  return mk;
}

UINT ClientButtonMessage(MouseButton b, int what) {  // what: 0 down, 1 up, 2 double
  const UINT base = b == MouseButton::Left ? WM_LBUTTONDOWN : b == MouseButton::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
  return base + static_cast<UINT>(what);
}

UINT NonClientButtonMessage(MouseButton b, int what) {
  const UINT base = b == MouseButton::Left ? WM_NCLBUTTONDOWN : b == MouseButton::Right ? WM_NCRBUTTONDOWN : WM_NCMBUTTONDOWN;
  return base + static_cast<UINT>(what);
}

void ConvertMouse(const InputEvent& e, std::vector<MSG>* out) {
  InputState& s = I();
  MSG m;
  m.time = e.time;
  m.pt = e.pt;
  if (e.kind == InputKind::Wheel) {
    // The wheel goes to the focus, as keys do.
    HWND target = Live(s.focus);
    if (!target) target = Live(s.active);
    if (!target) return;
    m.hwnd = target;
    m.message = WM_MOUSEWHEEL;
    m.wParam = MAKEWPARAM(static_cast<int>(MouseKeyFlags(e.keyFlags)), e.vk);
    m.lParam = MAKELPARAM(e.pt.x, e.pt.y);
    out->push_back(m);
    return;
  }
  const HWND capture = Live(s.capture);
  Hit h;
  if (capture) h = Hit{capture, HTCLIENT, false};
  else h = FindIn(TopLevelWindows(), e.pt, true);

  // Mouse-leave tracking.
  if (HWND t = Live(s.tracked)) {
    bool inside;
    if (capture) inside = capture == t;
    else inside = h.w == t && (s.trackNonClient || h.code == HTCLIENT);
    if (capture == t) {
      WindowObject* tw = CheckWindow(t);
      s.leaveOnRelease = !(s.trackNonClient ? InWindow(*tw, e.pt) : InClient(*tw, e.pt));
    } else if (!inside) {
      s.tracked = nullptr;
      s.leaveOnRelease = false;
      MSG leave;
      leave.hwnd = t;
      leave.message = WM_MOUSELEAVE;
      leave.time = e.time;
      leave.pt = e.pt;
      out->push_back(leave);
    }
  } else {
    s.tracked = nullptr;
  }

  if (!h.w || h.blocked) return;
  const int bi = ButtonIndex(e.button);
  if (e.kind == InputKind::MouseDown) s.buttons[bi] = true;
  if (e.kind == InputKind::MouseUp) s.buttons[bi] = false;
  const bool client = capture || h.code == HTCLIENT;
  m.hwnd = h.w;
  switch (e.kind) {
    case InputKind::MouseMove: m.message = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE; break;
    case InputKind::MouseUp: m.message = client ? ClientButtonMessage(e.button, 1) : NonClientButtonMessage(e.button, 1); break;
    case InputKind::MouseDown: {
      const LastDown& ld = s.lastDown;
      const bool paired = ld.valid && ld.hwnd == m.hwnd && ld.button == e.button && ld.nonClient == !client &&
                          e.time - ld.time <= s.doubleClickTime &&
                          std::abs(e.pt.x - ld.pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                          std::abs(e.pt.y - ld.pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
      const bool wantsDouble = !client || (h.w->cls && (h.w->cls->style & CS_DBLCLKS));
      if (paired && wantsDouble) {
        m.message = client ? ClientButtonMessage(e.button, 2) : NonClientButtonMessage(e.button, 2);
        s.lastDown.valid = false;  // a third press starts again
      } else {
        m.message = client ? ClientButtonMessage(e.button, 0) : NonClientButtonMessage(e.button, 0);
        s.lastDown = LastDown{true, m.hwnd, e.button, !client, e.time, e.pt};
      }
      break;
    }
    default: return;
  }
  if (client) {
    const POINT o = ClientOriginOnScreen(*h.w);
    m.wParam = MouseKeyFlags(e.keyFlags);
    m.lParam = MAKELPARAM(e.pt.x - o.x, e.pt.y - o.y);
  } else {
    m.wParam = static_cast<WPARAM>(h.code);
    m.lParam = MAKELPARAM(e.pt.x, e.pt.y);
  }
  out->push_back(m);
}

void ConvertKey(const InputEvent& e, std::vector<MSG>* out) {
  InputState& s = I();
  HWND target = Live(s.focus);
  bool sys = e.alt || e.vk == VK_F10 || e.vk == VK_MENU || e.vk == VK_LMENU || e.vk == VK_RMENU;
  if (!target) {
    // Without a focus the active window gets the keys as system keys.
    target = Live(s.active);
    sys = true;
  }
  if (!target) return;
  const bool up = e.kind == InputKind::KeyUp;
  MSG m;
  m.hwnd = target;
  m.message = up ? (sys ? WM_SYSKEYUP : WM_KEYUP) : (sys ? WM_SYSKEYDOWN : WM_KEYDOWN);
  m.wParam = static_cast<WPARAM>(e.vk);
  DWORD l = 1u | (static_cast<DWORD>(ScanCode(e.vk)) << 16);
  if (e.alt) l |= 1u << 29;
  if (up || e.wasDown) l |= 1u << 30;
  if (up) l |= 1u << 31;
  m.lParam = static_cast<LPARAM>(static_cast<std::int32_t>(l));
  m.time = e.time;
  m.pt = e.pt;
  out->push_back(m);
}

InputEvent MakeEvent(InputKind kind, int x, int y) {
  InputEvent e;
  e.kind = kind;
  e.pt = POINT{x, y};
  e.time = ClockMillis();
  if (AsyncDown(VK_SHIFT)) e.keyFlags |= MK_SHIFT;
  if (AsyncDown(VK_CONTROL)) e.keyFlags |= MK_CONTROL;
  e.alt = AsyncDown(VK_MENU);
  return e;
}

void ModifiersDown(unsigned mods) {
  if (mods & kCtrl) InjectKeyDown(VK_CONTROL);
  if (mods & kShift) InjectKeyDown(VK_SHIFT);
  if (mods & kAlt) InjectKeyDown(VK_MENU);
}

void ModifiersUp(unsigned mods) {
  if (mods & kAlt) InjectKeyUp(VK_MENU);
  if (mods & kShift) InjectKeyUp(VK_SHIFT);
  if (mods & kCtrl) InjectKeyUp(VK_CONTROL);
}

struct OemKey {
  int vk;
  char plain;
  char shifted;
};
constexpr OemKey kOemKeys[] = {
    {VK_OEM_1, ';', ':'},   {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
    {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'}, {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
    {VK_OEM_5, '\\', '|'},  {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
};
constexpr const char* kShiftedDigits = ")!@#$%^&*(";

// The key (and Shift) that types `c`; false when no key does.
bool KeyForChar(char c, int* vk, bool* shift) {
  *shift = false;
  if (c >= 'a' && c <= 'z') {
    *vk = c - 'a' + 'A';
    return true;
  }
  if (c >= 'A' && c <= 'Z') {
    *vk = c;
    *shift = true;
    return true;
  }
  if (c >= '0' && c <= '9') {
    *vk = c;
    return true;
  }
  for (int d = 0; d < 10; ++d)
    if (kShiftedDigits[d] == c) {
      *vk = '0' + d;
      *shift = true;
      return true;
    }
  for (const OemKey& k : kOemKeys) {
    if (k.plain == c) {
      *vk = k.vk;
      return true;
    }
    if (k.shifted == c) {
      *vk = k.vk;
      *shift = true;
      return true;
    }
  }
  switch (c) {
    case ' ': *vk = VK_SPACE; return true;
    case '\r': case '\n': *vk = VK_RETURN; return true;
    case '\t': *vk = VK_TAB; return true;
    case '\b': *vk = VK_BACK; return true;
    case 27: *vk = VK_ESCAPE; return true;
    default: return false;
  }
}

}  // namespace

// ---- focus, activation, capture ------------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  InputState& s = I();
  const HWND before = Live(s.focus);
  if (!hwnd) {
    s.focus = nullptr;
    if (before) Deliver(before, WM_KILLFOCUS, 0, 0);
    return before;
  }
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop || !IsWindowEnabled(hwnd)) return nullptr;
  if (hwnd == before) return before;
  WindowObject* top = TopLevelOf(w);
  if (top != s.active) {
    Activate(top, WA_ACTIVE);
    if (!CheckWindow(hwnd)) return nullptr;
  }
  const HWND old = Live(s.focus);
  if (old == hwnd) return before;
  s.focus = hwnd;
  if (old) Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (s.focus == hwnd && CheckWindow(hwnd)) Deliver(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return before;
}

HWND GetFocus() { return Live(I().focus); }

HWND SetActiveWindow(HWND hwnd) {
  if (!hwnd) return Activate(nullptr, WA_INACTIVE);
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return nullptr;
  return Activate(TopLevelOf(w), WA_ACTIVE);
}

HWND GetActiveWindow() { return Live(I().active); }

BOOL SetForegroundWindow(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  SetActiveWindow(hwnd);
  return GetActiveWindow() == TopLevelOf(w) ? 1 : 0;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetCapture(HWND hwnd) {
  InputState& s = I();
  const HWND old = Live(s.capture);
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return old;
  if (old == hwnd) return old;
  s.capture = hwnd;
  if (old) Deliver(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  InputState& s = I();
  const HWND old = Live(s.capture);
  s.capture = nullptr;
  if (old) Deliver(old, WM_CAPTURECHANGED, 0, 0);
  // A leave held back by the capture is due now.
  if (Live(s.tracked) && Live(s.tracked) == old && s.leaveOnRelease && !CursorInsideTracked()) PostLeave();
  return 1;
}

HWND GetCapture() { return Live(I().capture); }

void ActivateAnotherThan(WindowObject* w) {
  InputState& s = I();
  auto usable = [&](WindowObject* c) {
    return c && c != w && CheckWindow(c) && IsWindowVisible(c) && !(c->style & WS_DISABLED) &&
           !(c->style & WS_MINIMIZE);
  };
  WindowObject* next = nullptr;
  if (usable(w->owner)) next = w->owner;
  if (!next)
    for (WindowObject* t : TopLevelWindows())
      if (usable(t)) {
        next = t;
        break;
      }
  if (Live(s.active) == w || !Live(s.active)) Activate(next, WA_ACTIVE);
}

// ---- hit testing and coordinates -----------------------------------------------------------------

HWND WindowFromPoint(POINT screen) { return FindIn(TopLevelWindows(), screen, true).w; }

HWND ChildWindowFromPoint(HWND parent, POINT client) {
  WindowObject* p = CheckWindow(parent);
  if (!p) return nullptr;
  const POINT o = ClientOriginOnScreen(*p);
  const POINT sp{o.x + client.x, o.y + client.y};
  if (!p->isDesktop && !InWindow(*p, sp)) return nullptr;
  for (WindowObject* c : p->children)
    if (InWindow(*c, sp)) return c;
  return parent;
}

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !p) return 0;
  const POINT o = ClientOriginOnScreen(*w);
  p->x += o.x;
  p->y += o.y;
  return 1;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !p) return 0;
  const POINT o = ClientOriginOnScreen(*w);
  p->x -= o.x;
  p->y -= o.y;
  return 1;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  WindowObject* f = from ? CheckWindow(from) : nullptr;
  WindowObject* t = to ? CheckWindow(to) : nullptr;
  if ((from && !f) || (to && !t)) return 0;
  const POINT of = f ? ClientOriginOnScreen(*f) : POINT{};
  const POINT ot = t ? ClientOriginOnScreen(*t) : POINT{};
  const int dx = of.x - ot.x, dy = of.y - ot.y;
  if (points)
    for (UINT i = 0; i < count; ++i) {
      points[i].x += dx;
      points[i].y += dy;
    }
  return static_cast<int>(MAKELPARAM(dx, dy));
}

POINT ScreenPointOf(HWND hwnd, int clientX, int clientY) {
  POINT p{clientX, clientY};
  ClientToScreen(hwnd, &p);
  return p;
}

// ---- cursor -----------------------------------------------------------------------------------------

BOOL GetCursorPos(POINT* p) {
  if (!p) return 0;
  *p = I().cursor;
  return 1;
}

BOOL SetCursorPos(int x, int y) {
  InjectMouseMove(x, y);
  return 1;
}

HCURSOR LoadCursor(HINSTANCE module, const char* name) {
  if (!name) return nullptr;
  const bool byId = IS_INTRESOURCE(name);
  const WORD id = byId ? static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name)) : 0;
  if (!module) {
    static const WORD kSystem[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                   32644, 32645, 32646, 32648, 32649, 32650, 32651};
    if (!byId || std::find(std::begin(kSystem), std::end(kSystem), id) == std::end(kSystem)) return nullptr;
  }
  InputState& s = I();
  for (const auto& c : s.cursors)
    if (c->module == module && (byId ? c->id == id && c->name.empty() : c->name == name)) return c.get();
  auto c = std::make_unique<CursorObject>();
  c->module = module;
  c->id = id;
  if (!byId) c->name = name;
  s.cursors.push_back(std::move(c));
  return s.cursors.back().get();
}

HCURSOR SetCursor(HCURSOR cursor) {
  InputState& s = I();
  if (cursor) {
    bool known = false;
    for (const auto& c : s.cursors) known = known || c.get() == cursor;
    if (!known) return nullptr;
  }
  const HCURSOR old = s.current;
  s.current = cursor;
  return old;
}

HCURSOR GetCursor() { return I().current; }

BOOL DestroyCursor(HCURSOR cursor) {
  InputState& s = I();
  auto it = std::find_if(s.cursors.begin(), s.cursors.end(), [&](const auto& c) { return c.get() == cursor; });
  if (it == s.cursors.end() || !(*it)->module) return 0;
  if (s.current == cursor) s.current = nullptr;
  s.cursors.erase(it);
  return 1;
}

int LoadedCursorCount() {
  int n = 0;
  for (const auto& c : I().cursors) n += c->module ? 1 : 0;
  return n;
}

bool GetCursorIdentity(HCURSOR cursor, CursorInfo* out) {
  for (const auto& c : I().cursors)
    if (c.get() == cursor) {
      if (out) *out = CursorInfo{c->module, c->id, c->name};
      return true;
    }
  return false;
}

// ---- key state ----------------------------------------------------------------------------------------

SHORT GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return (I().async[vk] & 0x80) ? static_cast<SHORT>(-32768) : 0;
}

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  const BYTE b = I().sync[vk];
  return static_cast<SHORT>(((b & 0x80) ? 0x8000 : 0) | (b & 0x01));
}

BOOL GetKeyboardState(BYTE* state256) {
  if (!state256) return 0;
  std::memcpy(state256, I().sync, 256);
  return 1;
}

void SetTestKeyState(int vk, bool down, bool toggled) {
  if (vk < 0 || vk > 255) return;
  InputState& s = I();
  SetKeyBits(s.async, vk, down);
  SetKeyBits(s.sync, vk, down);
  s.async[vk] = static_cast<BYTE>((s.async[vk] & 0x80) | (toggled ? 1 : 0));
  s.sync[vk] = static_cast<BYTE>((s.sync[vk] & 0x80) | (toggled ? 1 : 0));
}

int CharForKey(int vk, bool shift, bool ctrl, bool capsLock) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return vk - 'A' + 1;
    return (shift != capsLock) ? vk : vk - 'A' + 'a';
  }
  if (ctrl) return 0;
  if (vk >= '0' && vk <= '9') return shift ? kShiftedDigits[vk - '0'] : vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: break;
  }
  for (const OemKey& k : kOemKeys)
    if (k.vk == vk) return shift ? k.shifted : k.plain;
  return 0;
}

// ---- double clicks and tracking ------------------------------------------------------------------------

UINT GetDoubleClickTime() { return I().doubleClickTime; }

BOOL SetDoubleClickTime(UINT ms) {
  I().doubleClickTime = ms ? ms : 500;
  return 1;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) return 0;
  InputState& s = I();
  if (tme->dwFlags & TME_QUERY) {
    const HWND t = Live(s.tracked);
    tme->dwFlags = t ? (TME_LEAVE | (s.trackNonClient ? TME_NONCLIENT : 0)) : 0;
    tme->hwndTrack = t;
    return 1;
  }
  if (tme->dwFlags & ~(TME_LEAVE | TME_NONCLIENT | TME_CANCEL)) return 0;
  WindowObject* w = CheckWindow(tme->hwndTrack);
  if (!w || w->isDesktop) return 0;
  if (tme->dwFlags & TME_CANCEL) {
    if (Live(s.tracked) == tme->hwndTrack) {
      s.tracked = nullptr;
      s.leaveOnRelease = false;
    }
    return 1;
  }
  if (!(tme->dwFlags & TME_LEAVE)) return 1;
  s.tracked = tme->hwndTrack;
  s.trackNonClient = (tme->dwFlags & TME_NONCLIENT) != 0;
  s.leaveOnRelease = false;
  const bool inside = s.trackNonClient ? InWindow(*w, s.cursor) : InClient(*w, s.cursor);
  if (Live(s.capture) == tme->hwndTrack) s.leaveOnRelease = !inside;
  else if (!CursorInsideTracked()) PostLeave();
  return 1;
}

// ---- the injector ----------------------------------------------------------------------------------------

void InjectMouseMove(int x, int y) {
  I().cursor = POINT{x, y};
  QueueInput(MakeEvent(InputKind::MouseMove, x, y));
}

void InjectMouseDown(MouseButton b, int x, int y) {
  I().cursor = POINT{x, y};
  SetKeyBits(I().async, ButtonVk(b), true);
  InputEvent e = MakeEvent(InputKind::MouseDown, x, y);
  e.button = b;
  QueueInput(e);
}

void InjectMouseUp(MouseButton b, int x, int y) {
  I().cursor = POINT{x, y};
  SetKeyBits(I().async, ButtonVk(b), false);
  InputEvent e = MakeEvent(InputKind::MouseUp, x, y);
  e.button = b;
  QueueInput(e);
}

void InjectClick(MouseButton b, int x, int y, unsigned modifiers) {
  ModifiersDown(modifiers);
  InjectMouseMove(x, y);
  InjectMouseDown(b, x, y);
  InjectMouseUp(b, x, y);
  ModifiersUp(modifiers);
}

void InjectDoubleClick(MouseButton b, int x, int y, unsigned modifiers) {
  ModifiersDown(modifiers);
  InjectMouseMove(x, y);
  InjectMouseDown(b, x, y);
  InjectMouseUp(b, x, y);
  InjectMouseDown(b, x, y);
  InjectMouseUp(b, x, y);
  ModifiersUp(modifiers);
}

void InjectWheel(int delta, int x, int y) {
  I().cursor = POINT{x, y};
  InputEvent e = MakeEvent(InputKind::Wheel, x, y);
  e.vk = delta;
  QueueInput(e);
}

void InjectKeyDown(int vk) {
  if (vk < 0 || vk > 255) return;
  InputState& s = I();
  const bool was = (s.async[vk] & 0x80) != 0;
  SetKeyBits(s.async, vk, true);
  InputEvent e = MakeEvent(InputKind::KeyDown, s.cursor.x, s.cursor.y);
  e.vk = vk;
  e.wasDown = was;
  QueueInput(e);
}

void InjectKeyUp(int vk) {
  if (vk < 0 || vk > 255) return;
  InputState& s = I();
  SetKeyBits(s.async, vk, false);
  InputEvent e = MakeEvent(InputKind::KeyUp, s.cursor.x, s.cursor.y);
  e.vk = vk;
  e.wasDown = true;
  QueueInput(e);
}

void InjectKey(int vk, unsigned modifiers) {
  ModifiersDown(modifiers);
  InjectKeyDown(vk);
  InjectKeyUp(vk);
  ModifiersUp(modifiers);
}

void InjectText(const std::string& text) {
  for (char c : text) {
    int vk = 0;
    bool shift = false;
    if (!KeyForChar(c, &vk, &shift)) {
      InputEvent e = MakeEvent(InputKind::Char, I().cursor.x, I().cursor.y);
      e.vk = static_cast<unsigned char>(c);
      QueueInput(e);
      continue;
    }
    if (shift) InjectKeyDown(VK_SHIFT);
    InjectKey(vk);
    if (shift) InjectKeyUp(VK_SHIFT);
  }
}

// ---- for the queue ----------------------------------------------------------------------------------------

void ConvertInput(const InputEvent& e, std::vector<MSG>* out) {
  switch (e.kind) {
    case InputKind::MouseMove:
    case InputKind::MouseDown:
    case InputKind::MouseUp:
    case InputKind::Wheel: ConvertMouse(e, out); break;
    case InputKind::KeyDown:
    case InputKind::KeyUp: ConvertKey(e, out); break;
    case InputKind::Char: {
      const HWND target = Live(I().focus);
      if (!target) return;
      MSG m;
      m.hwnd = target;
      m.message = WM_CHAR;
      m.wParam = static_cast<WPARAM>(e.vk);
      m.lParam = 1;
      m.time = e.time;
      m.pt = e.pt;
      out->push_back(m);
      break;
    }
  }
}

bool OnInputMessageRemoved(const MSG& m) {
  InputState& s = I();
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYUP) {
    const bool up = (static_cast<DWORD>(m.lParam) >> 31) != 0;
    SetKeyBits(s.sync, static_cast<int>(m.wParam & 0xFF), !up);
    if (!up && !((static_cast<DWORD>(m.lParam) >> 30) & 1)) s.lastKeyDown = static_cast<int>(m.wParam & 0xFF);
    return true;
  }
  switch (m.message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: SetKeyBits(s.sync, VK_LBUTTON, true); s.lastKeyDown = 0; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: SetKeyBits(s.sync, VK_RBUTTON, true); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: SetKeyBits(s.sync, VK_MBUTTON, true); break;
    case WM_LBUTTONUP: SetKeyBits(s.sync, VK_LBUTTON, false); break;
    case WM_RBUTTONUP: SetKeyBits(s.sync, VK_RBUTTON, false); break;
    case WM_MBUTTONUP: SetKeyBits(s.sync, VK_MBUTTON, false); break;
    default: break;
  }
  if (m.message == WM_MOUSEWHEEL) return true;
  const HWND h = m.hwnd;
  if (!CheckWindow(h)) return false;
  if (Live(s.capture)) return true;
  const bool nonClient = m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK;
  const LRESULT hit = nonClient ? static_cast<LRESULT>(m.wParam) : HTCLIENT;
  const bool press = m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_MBUTTONDOWN ||
                     m.message == WM_LBUTTONDBLCLK || m.message == WM_RBUTTONDBLCLK || m.message == WM_MBUTTONDBLCLK ||
                     (nonClient && m.message != WM_NCMOUSEMOVE && (m.message - WM_NCLBUTTONDOWN) % 3 != 1);
  if (press) {
    WindowObject* top = TopLevelOf(CheckWindow(h));
    if (top && top != Live(s.active)) {
      const LRESULT r = Deliver(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(static_cast<HWND>(top)),
                                MAKELPARAM(static_cast<int>(hit), static_cast<int>(m.message)));
      if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) && CheckWindow(top)) Activate(top, WA_CLICKACTIVE);
      if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return false;
      if (!CheckWindow(h)) return false;
    }
  }
  Deliver(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(static_cast<int>(hit), static_cast<int>(m.message)));
  return CheckWindow(h) != nullptr;
}

int LastKeyDown() { return I().lastKeyDown; }

void ForgetWindowInput(WindowObject* w) {
  InputState& s = I();
  if (s.focus == w) s.focus = nullptr;
  if (s.active == w) s.active = nullptr;
  if (s.capture == w) s.capture = nullptr;
  if (s.tracked == w) {
    s.tracked = nullptr;
    s.leaveOnRelease = false;
  }
  if (s.lastDown.hwnd == w) s.lastDown.valid = false;
}

void ResetInputState() {
  InputState& s = I();
  s.focus = s.active = s.capture = s.tracked = nullptr;
  s.cursor = POINT{};
  std::memset(s.async, 0, sizeof s.async);
  std::memset(s.sync, 0, sizeof s.sync);
  for (bool& b : s.buttons) b = false;
  s.lastDown = LastDown{};
  s.lastKeyDown = 0;
  s.trackNonClient = s.leaveOnRelease = false;
  s.doubleClickTime = 500;
  s.current = nullptr;
}

}  // namespace win
