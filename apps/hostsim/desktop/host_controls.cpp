#include "apps/hostsim/desktop/host_controls.h"

#include <algorithm>
#include <memory>

#include "platform/win/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

using namespace win;

namespace hostui {
namespace {

constexpr int kRowHeight = 18;
// WM_GETDLGCODE answers: the keys a control keeps from dialog navigation.
constexpr LRESULT kWantArrows = 0x0001;
constexpr LRESULT kWantChars = 0x0080;

struct ControlState {
  bool pressed = false;  // a button under a held left button
  std::vector<std::string> items;
  int selected = -1;
  int top = 0;  // the first row shown
  int arrow = 0;
};

ControlState& StateOf(HWND h) { return *reinterpret_cast<ControlState*>(GetWindowLong(h, GWL_USERDATA)); }

void Notify(HWND h, WORD code) {
  SendMessage(GetParent(h), WM_COMMAND, MAKEWPARAM(static_cast<int>(GetWindowLong(h, GWL_ID)), code),
              reinterpret_cast<LPARAM>(h));
}

// Common life of every control: its state, its font, its painting.
template <void (*Paint)(HWND, HDC, ControlState&)>
LRESULT ControlLife(HWND h, UINT m, WPARAM wp, LPARAM lp, bool* handled) {
  *handled = true;
  switch (m) {
    case WM_NCCREATE:
      SetWindowLong(h, GWL_USERDATA, reinterpret_cast<LONG_PTR>(new ControlState));
      return DefWindowProc(h, m, wp, lp);
    case WM_NCDESTROY:
      delete &StateOf(h);
      SetWindowLong(h, GWL_USERDATA, 0);
      return DefWindowProc(h, m, wp, lp);
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(h, m, wp, lp);
      InvalidateRect(h, nullptr, 0);
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(h, nullptr, 0); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(h, &ps);
      const HGDIOBJ oldFont = SelectObject(dc, HostFont());
      SetBkMode(dc, TRANSPARENT);
      Paint(h, dc, StateOf(h));
      SelectObject(dc, oldFont);
      EndPaint(h, &ps);
      return 0;
    }
    default: *handled = false; return 0;
  }
}

std::string TextOf(HWND h) {
  char buf[1024] = {};
  GetWindowText(h, buf, sizeof buf);
  return buf;
}

// ---- button ----

void PaintButton(HWND h, HDC dc, ControlState& s) {
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  RECT edge = r;
  DrawEdge(dc, &edge, s.pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(h) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  RECT t = r;
  if (s.pressed) OffsetRect(&t, 1, 1);
  const std::string text = TextOf(h);
  DrawText(dc, text.c_str(), -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool Inside(HWND h, LPARAM lp) {
  RECT r;
  GetClientRect(h, &r);
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  return PtInRect(&r, p);
}

LRESULT ButtonProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  bool handled;
  const LRESULT r = ControlLife<PaintButton>(h, m, wp, lp, &handled);
  if (handled) return r;
  ControlState& s = StateOf(h);
  switch (m) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      s.pressed = true;
      SetCapture(h);
      InvalidateRect(h, nullptr, 0);
      return 0;
    case WM_LBUTTONUP: {
      const bool click = s.pressed && Inside(h, lp);
      s.pressed = false;
      if (GetCapture() == h) ReleaseCapture();
      InvalidateRect(h, nullptr, 0);
      if (click) Notify(h, kClicked);
      return 0;
    }
    case WM_RBUTTONUP: Notify(h, kRightClicked); return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

// ---- list ----

int VisibleRows(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return std::max<int>(1, (r.bottom - r.top - 4) / kRowHeight);
}

void ScrollIntoView(HWND h, ControlState& s) {
  const int rows = VisibleRows(h);
  if (s.selected >= 0 && s.selected < s.top) s.top = s.selected;
  if (s.selected >= s.top + rows) s.top = s.selected - rows + 1;
  s.top = std::clamp(s.top, 0, std::max(0, static_cast<int>(s.items.size()) - rows));
}

void PaintList(HWND h, HDC dc, ControlState& s) {
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  RECT edge = r;
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  const bool focused = GetFocus() == h;
  for (int i = s.top; i < static_cast<int>(s.items.size()); ++i) {
    RECT row{2, 2 + (i - s.top) * kRowHeight, r.right - 2, 2 + (i - s.top + 1) * kRowHeight};
    if (row.top >= r.bottom - 2) break;
    const bool sel = i == s.selected;
    if (sel) FillRect(dc, &row, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(sel && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT t = row;
    t.left += 4;
    DrawText(dc, s.items[i].c_str(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

LRESULT ListProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  bool handled;
  const LRESULT r = ControlLife<PaintList>(h, m, wp, lp, &handled);
  if (handled) return r;
  ControlState& s = StateOf(h);
  switch (m) {
    case WM_LBUTTONDOWN: {
      SetFocus(h);
      const int row = s.top + (GET_Y_LPARAM(lp) - 2) / kRowHeight;
      if (row >= 0 && row < static_cast<int>(s.items.size())) {
        s.selected = row;
        InvalidateRect(h, nullptr, 0);
        Notify(h, kSelected);
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      s.top -= GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
      ScrollIntoView(h, s);
      InvalidateRect(h, nullptr, 0);
      return 0;
    case WM_GETDLGCODE: return kWantArrows;
    case WM_KEYDOWN:
      if (wp == VK_LEFT || wp == VK_RIGHT || wp == VK_UP || wp == VK_DOWN || wp == VK_PRIOR || wp == VK_NEXT) {
        s.arrow = static_cast<int>(wp);
        Notify(h, kArrowKey);
      } else if (wp == VK_ESCAPE) {
        Notify(h, kEscape);
      }
      return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

// ---- field ----

void PaintField(HWND h, HDC dc, ControlState&) {
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  RECT edge = r;
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const std::string text = TextOf(h);
  RECT t{r.left + 4, r.top, r.right - 4, r.bottom};
  SIZE size{};
  GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
  // The end of a long text stays in sight, where the person types.
  if (size.cx > t.right - t.left) t.left -= size.cx - (t.right - t.left);
  DrawText(dc, text.c_str(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  if (GetFocus() == h) {
    const int x = std::min<int>(t.left + size.cx + 1, r.right - 3);
    RECT caret{x, r.top + 4, x + 1, r.bottom - 4};
    FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
  }
}

LRESULT FieldProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  bool handled;
  const LRESULT r = ControlLife<PaintField>(h, m, wp, lp, &handled);
  if (handled) return r;
  switch (m) {
    case WM_LBUTTONDOWN: SetFocus(h); return 0;
    case WM_GETDLGCODE: return kWantChars;
    case WM_CHAR: {
      std::string text = TextOf(h);
      if (wp == VK_BACK) {
        if (!text.empty()) text.pop_back();
      } else if (wp == VK_RETURN) {
        Notify(h, kEnter);
        return 0;
      } else if (wp == VK_ESCAPE) {
        Notify(h, kEscape);
        return 0;
      } else if (wp >= 0x20 && wp != 0x7F) {
        text += static_cast<char>(wp);
      }
      SetWindowText(h, text.c_str());
      return 0;
    }
    default: return DefWindowProc(h, m, wp, lp);
  }
}

HWND Make(const char* cls, WNDPROC proc, HWND parent, int id, const std::string& text) {
  return CreateWindowEx(0, RegisterHostClass(cls, proc), text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                        parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
}

}  // namespace

HWND CreateButton(HWND parent, int id, const std::string& text) {
  return Make("HostButton", &ButtonProc, parent, id, text);
}
HWND CreateList(HWND parent, int id) { return Make("HostList", &ListProc, parent, id, ""); }
HWND CreateField(HWND parent, int id, const std::string& text) {
  return Make("HostField", &FieldProc, parent, id, text);
}

void SetListItems(HWND list, const std::vector<std::string>& items) {
  ControlState& s = StateOf(list);
  if (s.items == items) return;
  s.items = items;
  if (s.selected >= static_cast<int>(items.size())) s.selected = -1;
  ScrollIntoView(list, s);
  InvalidateRect(list, nullptr, 0);
}

int ListSelection(HWND list) { return StateOf(list).selected; }

void SetListSelection(HWND list, int index) {
  ControlState& s = StateOf(list);
  const int sel = index >= 0 && index < static_cast<int>(s.items.size()) ? index : -1;
  if (sel == s.selected) return;
  s.selected = sel;
  ScrollIntoView(list, s);
  InvalidateRect(list, nullptr, 0);
}

int ListArrow(HWND list) { return StateOf(list).arrow; }

std::string FieldText(HWND field) { return TextOf(field); }

const char* RegisterHostClass(const char* name, WNDPROC proc, int background) {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, name, &existing)) return name;
  WNDCLASS wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  if (background >= 0) wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(background + 1));
  RegisterClass(&wc);
  return name;
}

HGDIOBJ HostFont() { return GetStockObject(DEFAULT_GUI_FONT); }

}  // namespace hostui
