#include "platform/win/window.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_set>
#include <utility>

#include "platform/win/caption.h"
#include "platform/win/scroll_bar.h"
#include "platform/win/gdi.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/hooks.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/region_api.h"
#include "platform/win/services.h"
#include "platform/win/system_tables.h"
#include "platform/win/timers.h"
#include "platform/win/usage_counts.h"
#include "platform/win/immortal.h"

namespace win {
namespace {

// Flags the window system adds to WM_WINDOWPOSCHANGED for its default handling.
constexpr UINT kClientMoved = 0x10000000;
constexpr UINT kClientSized = 0x20000000;
constexpr int kMaxExtraBytes = 1024;

std::string Upper(const char* s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct State {
  std::unordered_set<const WindowObject*> live;
  std::vector<std::unique_ptr<WindowObject>> objects;  // every window made; dead ones emptied
  std::map<std::string, std::shared_ptr<WindowClassRecord>> classes;  // by upper-case name
  ATOM nextAtom = 0xC000;
  WindowObject* desktop = nullptr;
  std::shared_ptr<MessageObserver> observer;
};

// The window system lives as long as the process: other static objects (classes'
// brushes, forms freed at exit) may still reach it while statics are destroyed.
State& S() {
  static State& s = *Immortal(new State([] {
    State st;
    auto cls = std::make_shared<WindowClassRecord>();
    cls->name = "Desktop";
    auto d = std::make_unique<WindowObject>();
    d->cls = cls;
    d->isDesktop = true;
    d->style = WS_VISIBLE;
    d->proc = nullptr;
    st.desktop = d.get();
    st.live.insert(d.get());
    st.objects.push_back(std::move(d));
    return st;
  }()));
  return s;
}

WindowObject* Desktop() {
  WindowObject* d = S().desktop;
  // The screen may have been resized by a test.
  d->rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  d->client = d->rect;
  return d;
}

bool IsChildWindow(const WindowObject* w) { return w->parent && !w->parent->isDesktop; }

// True when `w` is `anc` or lies below it.
bool InSubtree(const WindowObject* anc, const WindowObject* w) {
  for (; w; w = w->parent)
    if (w == anc) return true;
  return false;
}

WindowObject* TopLevelOf(WindowObject* w) {
  while (w && IsChildWindow(w)) w = w->parent;
  return w;
}

LONG Sat(std::int64_t v) { return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }
int Width(const RECT& r) { return std::max<LONG>(0, r.right - r.left); }
int Height(const RECT& r) { return std::max<LONG>(0, r.bottom - r.top); }

// ---- procedure instances -----------------------------------------------------------------

struct ProcSlots {
  std::array<std::shared_ptr<ProcFunction>, kMaxProcInstances> fns;
  std::deque<std::size_t> freeSlots;
  ProcSlots() {
    for (std::size_t i = 0; i < kMaxProcInstances; ++i) freeSlots.push_back(i);
  }
};

ProcSlots& Slots() {
  static ProcSlots s;
  return s;
}

template <std::size_t I>
LRESULT Trampoline(HWND h, UINT m, WPARAM w, LPARAM l) {
  // Held for the call: the owner may free its instance from inside its own procedure.
  std::shared_ptr<ProcFunction> f = Slots().fns[I];
  if (!f || !*f) return DefWindowProc(h, m, w, l);
  return (*f)(h, m, w, l);
}

template <std::size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeTable(std::index_sequence<I...>) {
  return {{&Trampoline<I>...}};
}

constexpr std::array<WNDPROC, kMaxProcInstances> kTrampolines = MakeTable(std::make_index_sequence<kMaxProcInstances>{});

// ---- z-order --------------------------------------------------------------------------------

void Unlink(WindowObject* w) {
  if (!w->parent) return;
  auto& v = w->parent->children;
  v.erase(std::remove(v.begin(), v.end(), w), v.end());
}

// Index of the first non-topmost window among top-level windows.
std::size_t TopmostBandEnd(const std::vector<WindowObject*>& v) {
  std::size_t i = 0;
  while (i < v.size() && (v[i]->exStyle & WS_EX_TOPMOST)) ++i;
  return i;
}

void InsertAtTop(WindowObject* w) {
  auto& v = w->parent->children;
  std::size_t at = 0;
  if (w->parent->isDesktop && !(w->exStyle & WS_EX_TOPMOST)) at = TopmostBandEnd(v);
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), w);
}

// Windows owned by `owner` (at any depth) stay above it.
void RaiseOwned(WindowObject* owner) {
  auto& v = owner->parent->children;
  std::vector<WindowObject*> owned;
  for (WindowObject* t : v) {
    for (WindowObject* o = t->owner; o; o = o->owner)
      if (o == owner) {
        owned.push_back(t);
        break;
      }
  }
  if (owned.empty()) return;
  for (WindowObject* t : owned) v.erase(std::remove(v.begin(), v.end(), t), v.end());
  auto pos = std::find(v.begin(), v.end(), owner);
  v.insert(pos, owned.begin(), owned.end());
}

void PlaceInZOrder(WindowObject* w, HWND after) {
  if (!w->parent) return;
  const bool top = w->parent->isDesktop;
  if (after == HWND_TOPMOST) {
    if (!top) after = HWND_TOP;
    else w->exStyle |= WS_EX_TOPMOST;
  } else if (after == HWND_NOTOPMOST) {
    if (!top) return;
    w->exStyle &= ~WS_EX_TOPMOST;
    after = HWND_TOP;
  }
  if (after == HWND_TOP || after == HWND_TOPMOST) {
    Unlink(w);
    InsertAtTop(w);
    if (top) RaiseOwned(w);
    return;
  }
  auto& v = w->parent->children;
  if (after == HWND_BOTTOM) {
    Unlink(w);
    if (top) w->exStyle &= ~WS_EX_TOPMOST;
    v.push_back(w);
    return;
  }
  WindowObject* a = CheckWindow(after);
  if (!a || a == w || a->parent != w->parent) return;
  Unlink(w);
  auto pos = std::find(v.begin(), v.end(), a);
  v.insert(pos + 1, w);
}

// ---- geometry ------------------------------------------------------------------------------

RECT OffsetRect(const RECT& r, LONG dx, LONG dy) {
  return RECT{Sat(std::int64_t{r.left} + dx), Sat(std::int64_t{r.top} + dy), Sat(std::int64_t{r.right} + dx),
              Sat(std::int64_t{r.bottom} + dy)};
}

// Asks the window for its client rectangle in a new window rectangle; window coordinates.
RECT ComputeClient(HWND h, const RECT& newRect, const RECT& oldRect, const RECT& oldClient, WINDOWPOS* pos) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = newRect;
  p.rgrc[1] = oldRect;
  p.rgrc[2] = OffsetRect(oldClient, oldRect.left, oldRect.top);
  p.lppos = pos;
  Deliver(h, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&p));
  RECT c = p.rgrc[0];
  // Keep the answer inside the window and in order.
  c.left = std::clamp(c.left, newRect.left, newRect.right);
  c.top = std::clamp(c.top, newRect.top, newRect.bottom);
  c.right = std::clamp(c.right, c.left, newRect.right);
  c.bottom = std::clamp(c.bottom, c.top, newRect.bottom);
  return RECT{c.left - newRect.left, c.top - newRect.top, c.right - newRect.left, c.bottom - newRect.top};
}

WPARAM SizeKind(const WindowObject& w) {
  if (w.style & WS_MINIMIZE) return SIZE_MINIMIZED;
  if (w.style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

void SendSizeAndMove(HWND h) {
  WindowObject* w = CheckWindow(h);
  if (!w) return;
  Deliver(h, WM_SIZE, SizeKind(*w), MAKELPARAM(Width(w->client), Height(w->client)));
  w = CheckWindow(h);
  if (!w) return;
  Deliver(h, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
}

void MoveFocusOutOf(WindowObject* w) {
  HWND f = GetFocus();
  WindowObject* fw = CheckWindow(f);
  if (!fw || !InSubtree(w, fw)) return;
  if (IsChildWindow(w) && IsWindowVisible(w->parent)) SetFocus(w->parent);
  else SetFocus(nullptr);
}

// The work of SetWindowPos. False when the window went away meanwhile.
bool ApplyWindowPos(WindowObject* w, HWND after, int x, int y, int cx, int cy, UINT flags) {
  HWND h = w;
  WINDOWPOS wp{h, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    wp.x = w->rect.left;
    wp.y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = Width(w->rect);
    wp.cy = Height(w->rect);
  }
  if (!(flags & SWP_NOSENDCHANGING)) {
    Deliver(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!CheckWindow(h)) return false;
  }
  flags = wp.flags & ~(kClientMoved | kClientSized);
  wp.cx = std::max(0, wp.cx);
  wp.cy = std::max(0, wp.cy);

  const RECT oldRect = w->rect;
  const RECT oldClient = w->client;
  const bool wasVisible = IsWindowVisible(h) != 0;
  const RECT newRect{wp.x, wp.y, Sat(std::int64_t{wp.x} + wp.cx), Sat(std::int64_t{wp.y} + wp.cy)};
  const bool sized = Width(newRect) != Width(oldRect) || Height(newRect) != Height(oldRect);
  RECT newClient = oldClient;
  if (sized || (flags & SWP_FRAMECHANGED)) {
    newClient = ComputeClient(h, newRect, oldRect, oldClient, &wp);
    if (!CheckWindow(h)) return false;
  }
  w->rect = newRect;
  w->client = newClient;
  if (!(flags & SWP_NOZORDER)) PlaceInZOrder(w, wp.hwndInsertAfter);
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  const bool nowVisible = IsWindowVisible(h) != 0;

  if (sized) SyncBuffer(*w);
  RefreshWindowDCs(*w);
  if (IsChildWindow(w)) RefreshWindowDCs(*w->parent);

  if (!(flags & SWP_NOREDRAW)) {
    if (nowVisible && !wasVisible) {
      InvalidateWholeWindow(*w);
    } else if (nowVisible) {
      if (sized || (flags & SWP_FRAMECHANGED)) w->framePending = true;
      const int ow = Width(oldClient), oh = Height(oldClient), nw = Width(newClient), nh = Height(newClient);
      const UINT cs = w->cls ? w->cls->style : 0;
      const bool originMoved = newClient.left != oldClient.left || newClient.top != oldClient.top;
      if (originMoved || ((cs & CS_HREDRAW) && nw != ow) || ((cs & CS_VREDRAW) && nh != oh)) {
        InvalidateRect(h, nullptr, 1);
      } else if (nw != ow || nh != oh) {
        const Region exposed = Region(0, 0, nw, nh) - Region(0, 0, ow, oh);
        for (const RECT& r : exposed.Rects()) InvalidateRect(h, &r, 1);
      }
    }
    HWND parent = nullptr;
    if (wasVisible && IsChildWindow(w) && IsWindowVisible(w->parent)) {
      Region exposed(oldRect);
      if (nowVisible) exposed = exposed - Region(newRect);
      if (!exposed.IsEmpty()) {
        InvalidateParentArea(*w->parent, exposed);
        parent = w->parent;
      }
    }
    // Frames and backgrounds are painted before the move is announced; the client areas
    // wait for WM_PAINT.
    if (parent) RedrawWindow(parent, nullptr, nullptr, RDW_ERASENOW);
    if (CheckWindow(h) && nowVisible) RedrawWindow(h, nullptr, nullptr, RDW_ERASENOW);
    w = CheckWindow(h);
    if (!w) return false;
  }

  WINDOWPOS done = wp;
  done.flags = flags;
  if (newRect.left + newClient.left != oldRect.left + oldClient.left ||
      newRect.top + newClient.top != oldRect.top + oldClient.top)
    done.flags |= kClientMoved;
  if (Width(newClient) != Width(oldClient) || Height(newClient) != Height(oldClient)) done.flags |= kClientSized;
  Deliver(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
  w = CheckWindow(h);
  if (!w) return false;

  if (wasVisible && !nowVisible) {
    MoveFocusOutOf(w);
    if (GetActiveWindow() == h) ActivateAnotherThan(w);
  } else if (nowVisible && !IsChildWindow(w) && !(flags & SWP_NOACTIVATE) && GetActiveWindow() != h &&
             !(w->style & WS_DISABLED)) {
    SetActiveWindow(h);
  }
  return CheckWindow(h) != nullptr;
}

// ---- destruction ------------------------------------------------------------------------------

void MarkDestroying(WindowObject* w) {
  w->destroying = true;
  for (WindowObject* c : w->children) MarkDestroying(c);
}

void SendDestroy(HWND h) {
  WindowObject* w = CheckWindow(h);
  if (!w) return;
  Deliver(h, WM_DESTROY, 0, 0);
  w = CheckWindow(h);
  if (!w) return;
  const std::vector<WindowObject*> kids = w->children;
  for (WindowObject* c : kids) SendDestroy(c);
}

void FreeWindow(HWND h) {
  WindowObject* w = CheckWindow(h);
  if (!w) return;
  w->destroying = true;
  // Children go first; a handler may make new ones meanwhile, so loop until none is left.
  for (int guard = 0; guard < 100000; ++guard) {
    w = CheckWindow(h);
    if (!w || w->children.empty()) break;
    WindowObject* c = w->children.front();
    FreeWindow(c);
    w = CheckWindow(h);
    if (w && !w->children.empty() && w->children.front() == c) Unlink(c);  // could not free: drop it
  }
  w = CheckWindow(h);
  if (!w) return;
  Deliver(h, WM_NCDESTROY, 0, 0);
  w = CheckWindow(h);
  if (!w) return;

  KillWindowTimers(h);
  ForgetWindowMessages(h);
  ForgetWindowInput(w);
  ReleaseWindowPaintState(*w);
  Unlink(w);
  for (WindowObject* t : S().desktop->children)
    if (t->owner == w) t->owner = nullptr;
  if (w->cls) --w->cls->windows;
  S().live.erase(w);
  w->dead = true;
  w->parent = nullptr;
  w->owner = nullptr;
  w->children.clear();
  w->children.shrink_to_fit();
  w->text.clear();
  w->text.shrink_to_fit();
  w->extra.clear();
  w->extra.shrink_to_fit();
  w->windowRegion.reset();
  w->update = Region();
  w->proc = nullptr;
  w->cls.reset();
}

// ---- default handling ---------------------------------------------------------------------------

}  // namespace

int BorderThickness(DWORD style, DWORD exStyle) {
  if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
  if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
  return 0;
}

namespace {

LRESULT DefaultHitTest(WindowObject* w, int sx, int sy) {
  const POINT o = WindowOriginOnScreen(*w);
  const std::int64_t x = std::int64_t{sx} - o.x, y = std::int64_t{sy} - o.y;
  const int width = Width(w->rect), height = Height(w->rect);
  if (x < 0 || y < 0 || x >= width || y >= height) return HTNOWHERE;
  if (w->windowRegion && !w->windowRegion->Contains(static_cast<LONG>(x), static_cast<LONG>(y))) return HTNOWHERE;
  const RECT& c = w->client;
  if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return HTCLIENT;
  const int b = BorderThickness(w->style, w->exStyle);
  if (w->style & WS_THICKFRAME) {
    const bool left = x < b, right = x >= width - b, top = y < b, bottom = y >= height - b;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    const int ch = GetSystemMetrics((w->exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    const RECT box = CloseBoxRect(*w);
    if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return HTCLOSE;
    if (y >= b && y < b + ch && x >= b && x < width - b) return HTCAPTION;
  }
  if ((w->style & WS_VSCROLL) && x >= c.right && x < c.right + GetSystemMetrics(SM_CXVSCROLL) && y >= c.top &&
      y < c.bottom)
    return HTVSCROLL;
  if ((w->style & WS_HSCROLL) && y >= c.bottom && y < c.bottom + GetSystemMetrics(SM_CYHSCROLL) && x >= c.left &&
      x < c.right)
    return HTHSCROLL;
  return HTBORDER;
}

const char* CursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT: case HTRIGHT: return IDC_SIZEWE;
    case HTTOP: case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT: case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT: case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
  }
}

bool IsButtonDown(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN: return true;
    default: return false;
  }
}

}  // namespace

// ---- lookup and delivery ---------------------------------------------------------------------------

void RegisterSystemClass(const char* name, WNDPROC proc, UINT style) {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, name, &existing)) return;
  WNDCLASS wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClass(&wc);
}

WindowObject* CheckWindow(HWND h) {
  if (!h) return nullptr;
  State& s = S();
  return s.live.count(h) ? h : nullptr;
}

BOOL IsWindow(HWND hwnd) { return CheckWindow(hwnd) != nullptr ? 1 : 0; }

POINT WindowOriginOnScreen(const WindowObject& w) {
  if (w.isDesktop || !w.parent) return POINT{0, 0};
  if (w.parent->isDesktop) return POINT{w.rect.left, w.rect.top};
  const POINT p = ClientOriginOnScreen(*w.parent);
  return POINT{Sat(std::int64_t{p.x} + w.rect.left), Sat(std::int64_t{p.y} + w.rect.top)};
}

POINT ClientOriginOnScreen(const WindowObject& w) {
  const POINT p = WindowOriginOnScreen(w);
  return POINT{Sat(std::int64_t{p.x} + w.client.left), Sat(std::int64_t{p.y} + w.client.top)};
}

LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return 0;
  if (std::shared_ptr<MessageObserver> obs = S().observer; obs && *obs) (*obs)(hwnd, msg, wParam, lParam);
  w = CheckWindow(hwnd);
  if (!w) return 0;
  WNDPROC proc = w->proc ? w->proc : &DefWindowProc;
  return proc(hwnd, msg, wParam, lParam);
}

void SetMessageObserver(MessageObserver observer) {
  S().observer = observer ? std::make_shared<MessageObserver>(std::move(observer)) : nullptr;
}

const std::vector<WindowObject*>& TopLevelWindows() { return Desktop()->children; }

RECT FrameThickness(DWORD style, DWORD exStyle) {
  const int b = BorderThickness(style, exStyle);
  RECT t{b, b, b, b};
  if ((style & WS_CAPTION) == WS_CAPTION)
    t.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  int edge = 0;
  if (exStyle & WS_EX_CLIENTEDGE) edge += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) edge += GetSystemMetrics(SM_CXBORDER);
  t.left += edge;
  t.top += edge;
  t.right += edge;
  t.bottom += edge;
  if (style & WS_VSCROLL) t.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) t.bottom += GetSystemMetrics(SM_CYHSCROLL);
  return t;
}

// ---- procedure instances -------------------------------------------------------------------------

WNDPROC MakeProcInstance(ProcFunction f) {
  ProcSlots& s = Slots();
  if (s.freeSlots.empty() || !f) return nullptr;
  const std::size_t i = s.freeSlots.front();
  s.freeSlots.pop_front();
  s.fns[i] = std::make_shared<ProcFunction>(std::move(f));
  return kTrampolines[i];
}

void FreeProcInstance(WNDPROC proc) {
  if (!proc) return;
  ProcSlots& s = Slots();
  for (std::size_t i = 0; i < kMaxProcInstances; ++i) {
    if (kTrampolines[i] != proc) continue;
    if (s.fns[i]) {
      s.fns[i].reset();
      s.freeSlots.push_back(i);
    }
    return;
  }
}

int ProcInstanceCount() {
  return static_cast<int>(kMaxProcInstances - Slots().freeSlots.size());
}

int LiveWindowCount() { return static_cast<int>(S().live.size()) - 1; }

int RegisteredClassCount() { return static_cast<int>(S().classes.size()); }

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

// ---- classes ----------------------------------------------------------------------------------------

ATOM RegisterClass(const WNDCLASS* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName) return 0;
  if (wc->cbWndExtra < 0 || wc->cbWndExtra > kMaxExtraBytes || wc->cbClsExtra < 0 || wc->cbClsExtra > kMaxExtraBytes)
    return 0;
  State& s = S();
  const std::string key = Upper(wc->lpszClassName);
  if (s.classes.count(key)) return 0;
  auto c = std::make_shared<WindowClassRecord>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->clsExtra = wc->cbClsExtra;
  c->wndExtra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
  c->atom = s.nextAtom++;
  if (s.nextAtom == 0) s.nextAtom = 0xC000;
  s.classes[key] = c;
  return c->atom;
}

BOOL UnregisterClass(const char* className, HINSTANCE) {
  if (!className || IS_INTRESOURCE(className)) return 0;
  State& s = S();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end() || it->second->windows > 0) return 0;
  // The class owns its background brush (a colour index + 1 is not an object).
  HBRUSH background = it->second->background;
  s.classes.erase(it);
  if (IsLiveObject(background, GdiKind::Brush) && !background->stock) DeleteObject(background);
  return 1;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* out) {
  if (!className || IS_INTRESOURCE(className) || !out) return 0;
  State& s = S();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end()) return 0;
  const WindowClassRecord& c = *it->second;
  out->style = c.style;
  out->lpfnWndProc = c.proc;
  out->cbClsExtra = c.clsExtra;
  out->cbWndExtra = c.wndExtra;
  out->hInstance = c.instance;
  out->hIcon = c.icon;
  out->hCursor = c.cursor;
  out->hbrBackground = c.background;
  out->lpszMenuName = nullptr;
  out->lpszClassName = c.name.c_str();
  return 1;
}

int GetClassName(HWND hwnd, char* buffer, int size) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !buffer || size <= 0 || !w->cls) return 0;
  const int n = std::min<int>(size - 1, static_cast<int>(w->cls->name.size()));
  std::memcpy(buffer, w->cls->name.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

LONG_PTR GetClassLong(HWND hwnd, int index) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !w->cls) return 0;
  const WindowClassRecord& c = *w->cls;
  switch (index) {
    case GCL_STYLE: return c.style;
    case GCL_WNDPROC: return reinterpret_cast<LONG_PTR>(c.proc);
    case GCL_HBRBACKGROUND: return reinterpret_cast<LONG_PTR>(c.background);
    case GCL_HCURSOR: return reinterpret_cast<LONG_PTR>(c.cursor);
    case GCL_HICON: return reinterpret_cast<LONG_PTR>(c.icon);
    case GCL_CBWNDEXTRA: return c.wndExtra;
    default: return 0;
  }
}

LONG_PTR SetClassLong(HWND hwnd, int index, LONG_PTR value) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !w->cls) return 0;
  WindowClassRecord& c = *w->cls;
  LONG_PTR old = GetClassLong(hwnd, index);
  switch (index) {
    case GCL_STYLE: c.style = static_cast<UINT>(value); break;
    case GCL_WNDPROC: c.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(value); break;
    case GCL_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCL_HICON: c.icon = reinterpret_cast<HICON>(value); break;
    default: return 0;
  }
  return old;
}

// ---- creation --------------------------------------------------------------------------------------

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parentArg, HMENU menuOrId, HINSTANCE instance, void* param) {
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  State& s = S();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end()) return nullptr;
  WindowObject* desktop = Desktop();
  WindowObject* parent = desktop;
  WindowObject* owner = nullptr;
  if (style & WS_CHILD) {
    parent = CheckWindow(parentArg);
    if (!parent) return nullptr;
  } else if (parentArg) {
    WindowObject* o = CheckWindow(parentArg);
    if (!o) return nullptr;
    owner = o->isDesktop ? nullptr : TopLevelOf(o);
  }
  if (parent->destroying) return nullptr;
  const bool child = !parent->isDesktop;
  if (!child) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = sw / 2;
      height = sh / 2;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }
  width = std::max(0, width);
  height = std::max(0, height);

  auto obj = std::make_unique<WindowObject>();
  WindowObject* w = obj.get();
  w->cls = it->second;
  w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  w->exStyle = exStyle;
  w->parent = parent;
  w->owner = owner;
  w->proc = w->cls->proc;
  w->instance = instance;
  w->id = child ? reinterpret_cast<LONG_PTR>(menuOrId) : 0;
  w->extra.assign(static_cast<std::size_t>(w->cls->wndExtra), 0);
  w->rect = RECT{x, y, Sat(std::int64_t{x} + width), Sat(std::int64_t{y} + height)};
  w->client = RECT{0, 0, width, height};
  w->restoreRect = w->rect;
  s.objects.push_back(std::move(obj));
  s.live.insert(w);
  ++w->cls->windows;
  InsertAtTop(w);
  if (!child) RaiseOwned(w);

  HWND h = w;
  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menuOrId;
  cs.hwndParent = parentArg;
  cs.cy = height;
  cs.cx = width;
  cs.y = y;
  cs.x = x;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (!Deliver(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    FreeWindow(h);
    return nullptr;
  }
  if (!CheckWindow(h)) return nullptr;
  w->client = ComputeClient(h, w->rect, w->rect, RECT{0, 0, width, height}, nullptr);
  if (!CheckWindow(h)) return nullptr;
  if (Deliver(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  SendSizeAndMove(h);
  if (!CheckWindow(h)) return nullptr;
  if (style & WS_VISIBLE) {
    if (style & WS_MAXIMIZE) ShowWindow(h, SW_SHOWMAXIMIZED);
    else if (style & WS_MINIMIZE) ShowWindow(h, SW_SHOWMINIMIZED);
    else ShowWindow(h, SW_SHOW);
  }
  return CheckWindow(h) ? h : nullptr;
}

HWND CreateWindow(const char* className, const char* windowName, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menuOrId, HINSTANCE instance, void* param) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menuOrId, instance, param);
}

BOOL DestroyWindow(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  if (w->destroying) return 1;
  MarkDestroying(w);
  if (w->style & WS_VISIBLE) {
    ApplyWindowPos(w, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    w = CheckWindow(hwnd);
    if (!w) return 1;
  }
  if (!IsChildWindow(w)) {
    std::vector<WindowObject*> owned;
    for (WindowObject* t : Desktop()->children)
      if (t->owner == w) owned.push_back(t);
    for (WindowObject* t : owned) DestroyWindow(t);
  }
  MoveFocusOutOf(w);
  if (WindowObject* c = CheckWindow(GetCapture()); c && InSubtree(w, c)) ReleaseCapture();
  if (GetActiveWindow() == hwnd) ActivateAnotherThan(w);
  SendDestroy(hwnd);
  FreeWindow(hwnd);
  return 1;
}

// ---- default window procedure ---------------------------------------------------------------------

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return 0;
  if (LRESULT r = 0; DefMenuBarProc(hwnd, msg, wParam, lParam, &r)) return r;
  if (DefCaptionProc(hwnd, msg, wParam, lParam)) return 0;
  if (DefScrollBarProc(hwnd, msg, wParam, lParam)) return 0;
  w = CheckWindow(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return 1;
    }
    case WM_NCCALCSIZE: {
      RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      if (w->style & WS_MINIMIZE) {
        r->right = r->left;
        r->bottom = r->top;
        return 0;
      }
      const RECT t = FrameThickness(w->style, w->exStyle);
      r->left = Sat(std::int64_t{r->left} + t.left);
      r->top = Sat(std::int64_t{r->top} + t.top);
      r->right = std::max(r->left, Sat(std::int64_t{r->right} - t.right));
      r->bottom = std::max(r->top, Sat(std::int64_t{r->bottom} - t.bottom));
      r->top = std::min(r->bottom, Sat(std::int64_t{r->top} + MenuBarHeight(hwnd)));
      return 0;
    }
    case WM_NCHITTEST: return DefaultHitTest(w, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_NCPAINT: DefaultPaintFrame(hwnd); return 0;
    case WM_NCACTIVATE:
      // The caption changes colour at once.
      if ((w->style & WS_CAPTION) == WS_CAPTION && IsWindowVisible(hwnd)) Deliver(hwnd, WM_NCPAINT, 1, 0);
      return 1;
    case WM_ERASEBKGND: return DefaultEraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(lParam);
      w->text = t ? t : "";
      if ((w->style & WS_CAPTION) == WS_CAPTION) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return 1;
    }
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(lParam);
      if (!buf || wParam == 0) return 0;
      const std::size_t n = std::min<std::size_t>(wParam - 1, w->text.size());
      std::memcpy(buf, w->text.data(), n);
      buf[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto* p = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!p) return 0;
      if (p->flags & kClientSized) {
        Deliver(hwnd, WM_SIZE, SizeKind(*w), MAKELPARAM(Width(w->client), Height(w->client)));
        w = CheckWindow(hwnd);
        if (!w) return 0;
      }
      if (p->flags & kClientMoved)
        Deliver(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
      return 0;
    }
    case WM_SETCURSOR: {
      if (IsChildWindow(w)) {
        if (LRESULT r = Deliver(w->parent, WM_SETCURSOR, wParam, lParam)) return r;
        w = CheckWindow(hwnd);
        if (!w) return 0;
      }
      const LRESULT hit = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam)));
      if (hit == HTCLIENT) {
        // The cursor of the window under the mouse (wParam), whoever is asked.
        WindowObject* under = CheckWindow(reinterpret_cast<HWND>(wParam));
        if (!under) under = w;
        if (under->cls && under->cls->cursor) {
          SetCursor(under->cls->cursor);
          return 1;
        }
        return 0;
      }
      if (hit == HTERROR) {
        if (IsButtonDown(HIWORD(static_cast<std::uintptr_t>(lParam)))) MessageBeep(0);
        return 0;
      }
      SetCursor(LoadCursor(nullptr, CursorForHit(hit)));
      return 1;
    }
    case WM_MOUSEACTIVATE:
      if (IsChildWindow(w))
        if (LRESULT r = Deliver(w->parent, WM_MOUSEACTIVATE, wParam, lParam)) return r;
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(w->style & WS_MINIMIZE)) SetFocus(hwnd);
      return 0;
    case WM_MOUSEWHEEL:
      if (IsChildWindow(w)) return Deliver(w->parent, msg, wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: Deliver(hwnd, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
        default: break;
      }
      return 0;
    default: return 0;
  }
}

// ---- window longs ---------------------------------------------------------------------------------

LONG_PTR GetWindowLong(HWND hwnd, int index) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(IsChildWindow(w) ? w->parent : w->owner);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    default: break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
  LONG_PTR v;
  std::memcpy(&v, w->extra.data() + index, sizeof v);
  return v;
}

LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  const LONG_PTR old = GetWindowLong(hwnd, index);
  switch (index) {
    case GWL_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return old;
    case GWL_HWNDPARENT: {
      if (IsChildWindow(w)) return 0;
      WindowObject* o = CheckWindow(reinterpret_cast<HWND>(value));
      o = (o && !o->isDesktop) ? TopLevelOf(o) : nullptr;
      // An owner chain must not come back to the window.
      for (WindowObject* p = o; p; p = p->owner)
        if (p == w) return 0;
      w->owner = o;
      return old;
    }
    case GWL_ID: w->id = value; return old;
    case GWL_USERDATA: w->userData = value; return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(value)};
      Deliver(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      w = CheckWindow(hwnd);
      if (!w) return 0;
      if (index == GWL_STYLE) w->style = ss.styleNew;
      else w->exStyle = ss.styleNew;
      Deliver(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      if ((w = CheckWindow(hwnd))) RefreshWindowDCs(*w);
      return old;
    }
    default: break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
  std::memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

// ---- tree ------------------------------------------------------------------------------------------

HWND GetDesktopWindow() { return Desktop(); }

HWND GetParent(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return nullptr;
  return IsChildWindow(w) ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND parent) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop || w->destroying) return nullptr;
  WindowObject* np = parent ? CheckWindow(parent) : Desktop();
  if (!np || np->destroying || InSubtree(w, np)) return nullptr;  // no cycles
  WindowObject* old = w->parent;
  if (old == np) return old;
  const bool wasVisible = IsWindowVisible(hwnd) != 0;
  const RECT r = w->rect;
  Unlink(w);
  w->parent = np;
  if (!np->isDesktop) w->owner = nullptr;
  InsertAtTop(w);
  if (!old->isDesktop) {
    RefreshWindowDCs(*old);
    if (wasVisible && IsWindowVisible(old)) InvalidateParentArea(*old, Region(r));
  }
  if (!np->isDesktop) RefreshWindowDCs(*np);
  RefreshWindowDCs(*w);
  if (IsWindowVisible(hwnd)) InvalidateWholeWindow(*w);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return TopLevelOf(w);
    case GA_ROOTOWNER: {
      WindowObject* r = TopLevelOf(w);
      while (r->owner) r = r->owner;
      return r;
    }
    default: return nullptr;
  }
}

BOOL IsChild(HWND parent, HWND hwnd) {
  WindowObject* p = CheckWindow(parent);
  WindowObject* w = CheckWindow(hwnd);
  if (!p || !w || p == w) return 0;
  for (WindowObject* a = w; a && IsChildWindow(a); a = a->parent)
    if (a->parent == p) return 1;
  return 0;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return w->owner;
  if (!w->parent) return nullptr;
  const auto& v = w->parent->children;
  auto it = std::find(v.begin(), v.end(), w);
  if (it == v.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST: return v.front();
    case GW_HWNDLAST: return v.back();
    case GW_HWNDNEXT: return (it + 1) == v.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == v.begin() ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  WindowObject* w = hwnd ? CheckWindow(hwnd) : Desktop();
  if (!w || w->children.empty()) return nullptr;
  return w->children.front();
}

namespace {
void CollectDescendants(WindowObject* w, std::vector<HWND>* out) {
  for (WindowObject* c : w->children) {
    out->push_back(c);
    CollectDescendants(c, out);
  }
}
}  // namespace

BOOL EnumChildWindows(HWND parent, const WindowVisitor& f) {
  WindowObject* p = parent ? CheckWindow(parent) : Desktop();
  if (!p || !f) return 0;
  std::vector<HWND> all;
  CollectDescendants(p, &all);
  for (HWND h : all)
    if (CheckWindow(h) && !f(h)) break;
  return 1;
}

BOOL EnumWindows(const WindowVisitor& f) {
  if (!f) return 0;
  const std::vector<WindowObject*> top = Desktop()->children;
  for (WindowObject* t : top)
    if (CheckWindow(t) && !f(t)) break;
  return 1;
}

int GetDlgCtrlID(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !IsChildWindow(w)) return 0;
  return static_cast<int>(w->id);
}

HWND GetDlgItem(HWND parent, int id) {
  WindowObject* p = CheckWindow(parent);
  if (!p) return nullptr;
  for (WindowObject* c : p->children)
    if (c->id == id) return c;
  return nullptr;
}

// ---- bounds -----------------------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, RECT* rc) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !rc) return 0;
  if (w->isDesktop) w = Desktop();
  const POINT o = WindowOriginOnScreen(*w);
  *rc = RECT{o.x, o.y, Sat(std::int64_t{o.x} + Width(w->rect)), Sat(std::int64_t{o.y} + Height(w->rect))};
  return 1;
}

BOOL GetClientRect(HWND hwnd, RECT* rc) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !rc) return 0;
  if (w->isDesktop) w = Desktop();
  *rc = RECT{0, 0, Width(w->client), Height(w->client)};
  return 1;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  return ApplyWindowPos(w, insertAfter, x, y, cx, cy, flags) ? 1 : 0;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// ---- visibility and state ------------------------------------------------------------------------

BOOL IsWindowVisible(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return 0;
  for (; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return 0;
  return 1;
}

BOOL IsIconic(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  return w && (w->style & WS_MINIMIZE) ? 1 : 0;
}

BOOL IsZoomed(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? 1 : 0;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  const BOOL wasVisible = (w->style & WS_VISIBLE) ? 1 : 0;
  const bool child = IsChildWindow(w);
  const UINT keepZ = child ? SWP_NOZORDER : 0u;

  auto show = [&](UINT extra, bool activate) {
    if (!(w->style & WS_VISIBLE)) {
      Deliver(hwnd, WM_SHOWWINDOW, 1, 0);
      if (!(w = CheckWindow(hwnd))) return;
    }
    ApplyWindowPos(w, HWND_TOP, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | keepZ | extra |
                       (activate ? 0u : SWP_NOACTIVATE | SWP_NOZORDER));
  };
  auto setRect = [&](const RECT& r, UINT extra) {
    if (!(w->style & WS_VISIBLE) && (extra & SWP_SHOWWINDOW)) {
      Deliver(hwnd, WM_SHOWWINDOW, 1, 0);
      if (!(w = CheckWindow(hwnd))) return;
    }
    ApplyWindowPos(w, HWND_TOP, r.left, r.top, Width(r), Height(r), SWP_FRAMECHANGED | keepZ | extra);
  };

  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return 0;
      Deliver(hwnd, WM_SHOWWINDOW, 0, 0);
      if ((w = CheckWindow(hwnd)))
        ApplyWindowPos(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case SW_SHOW: show(0, true); break;
    case SW_SHOWNA: show(0, false); break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        setRect(w->restoreRect, SWP_SHOWWINDOW | (cmd == SW_SHOWNOACTIVATE ? SWP_NOACTIVATE : 0u));
      } else {
        show(0, cmd != SW_SHOWNOACTIVATE);
      }
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: {
      if (!(w->style & WS_MINIMIZE)) {
        if (!(w->style & WS_MAXIMIZE)) w->restoreRect = w->rect;
        w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
      }
      const RECT r{-32000, -32000, -32000 + GetSystemMetrics(SM_CXMINIMIZED), -32000 + GetSystemMetrics(SM_CYMINIMIZED)};
      setRect(r, SWP_SHOWWINDOW | SWP_NOACTIVATE);
      if ((w = CheckWindow(hwnd))) {
        MoveFocusOutOf(w);
        if (cmd == SW_SHOWMINIMIZED && !child) SetActiveWindow(hwnd);
        else if (GetActiveWindow() == hwnd) ActivateAnotherThan(w);
      }
      break;
    }
    case SW_SHOWMAXIMIZED: {
      if (!(w->style & WS_MAXIMIZE)) {
        if (!(w->style & WS_MINIMIZE)) w->restoreRect = w->rect;
        w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
      }
      RECT r{};
      GetClientRect(w->parent, &r);
      setRect(r, SWP_SHOWWINDOW);
      break;
    }
    default: return wasVisible;
  }
  return wasVisible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? 1 : 0;
  if (enable) {
    if (!wasDisabled) return 0;
    w->style &= ~WS_DISABLED;
    Deliver(hwnd, WM_ENABLE, 1, 0);
    return 1;
  }
  if (wasDisabled) return 1;
  Deliver(hwnd, WM_CANCELMODE, 0, 0);
  if (!(w = CheckWindow(hwnd))) return 0;
  w->style |= WS_DISABLED;
  if (WindowObject* f = CheckWindow(GetFocus()); f && InSubtree(w, f)) SetFocus(nullptr);
  if (WindowObject* c = CheckWindow(GetCapture()); c && InSubtree(w, c)) ReleaseCapture();
  Deliver(hwnd, WM_ENABLE, 0, 0);
  return 0;
}

BOOL IsWindowEnabled(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  return w && !(w->style & WS_DISABLED) ? 1 : 0;
}

// ---- text -----------------------------------------------------------------------------------------

BOOL SetWindowText(HWND hwnd, const char* text) {
  if (!CheckWindow(hwnd)) return 0;
  return Deliver(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? 1 : 0;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
  if (!CheckWindow(hwnd) || !buffer || size <= 0) return 0;
  buffer[0] = '\0';
  const LRESULT n = Deliver(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer));
  return static_cast<int>(std::clamp<LRESULT>(n, 0, size - 1));
}

int GetWindowTextLength(HWND hwnd) {
  if (!CheckWindow(hwnd)) return 0;
  return static_cast<int>(std::max<LRESULT>(0, Deliver(hwnd, WM_GETTEXTLENGTH, 0, 0)));
}

std::string GetWindowTextString(HWND hwnd) {
  const int n = GetWindowTextLength(hwnd);
  if (n <= 0) return {};
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  const int got = GetWindowText(hwnd, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(got));
  return s;
}

// ---- window regions -----------------------------------------------------------------------------

BOOL SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return 0;
  std::optional<Region> region;
  if (rgn) {
    RegionObject* r = CheckRgn(rgn);
    if (!r) return 0;
    region = r->region;
    DeleteObject(rgn);
  }
  w->windowRegion = std::move(region);
  RefreshWindowDCs(*w);
  if (redraw && IsWindowVisible(hwnd)) {
    InvalidateWholeWindow(*w);
    if (IsChildWindow(w) && IsWindowVisible(w->parent)) InvalidateParentArea(*w->parent, Region(w->rect));
  }
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  WindowObject* w = CheckWindow(hwnd);
  RegionObject* r = CheckRgn(rgn);
  if (!w || !r || !w->windowRegion) return ERROR;
  r->region = *w->windowRegion;
  return r->region.Kind();
}

// ---- reset ---------------------------------------------------------------------------------------------

void ResetWindowSystem() {
  ResetMessageQueue();
  // Destroying sends messages; the queue is emptied again afterwards.
  for (int guard = 0; guard < 100000 && !Desktop()->children.empty(); ++guard) {
    WindowObject* t = Desktop()->children.front();
    DestroyWindow(t);
    if (CheckWindow(t) && !Desktop()->children.empty() && Desktop()->children.front() == t) Unlink(t);
  }
  ResetMessageQueue();
  ResetTimers();
  ResetHooks();
  ResetInputState();
  ResetServices();
  ResetModalAnswers();
}

}  // namespace win
