#include "platform/win/menu_tracking.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

namespace win {
namespace {

constexpr const char* kMenuWindowClass = "QmMenuWindow";
constexpr int kFrame = 3;       // raised edge and a pixel of face around the rows
constexpr int kCheckColumn = 20;
constexpr int kArrowColumn = 18;
constexpr int kSeparatorHeight = 8;

struct Node {
  PopupMenuItem item;
  std::vector<Node> kids;
};

// The flat list (depths) as a tree.
std::vector<Node> BuildTree(std::span<const PopupMenuItem> items, std::size_t& i, int depth) {
  std::vector<Node> out;
  while (i < items.size() && items[i].depth >= depth) {
    if (items[i].depth > depth) {
      // Deeper items with no parent of their own depth hang under the last one.
      if (out.empty()) {
        ++i;
        continue;
      }
      out.back().kids = BuildTree(items, i, depth + 1);
      continue;
    }
    out.push_back(Node{items[i], {}});
    ++i;
  }
  return out;
}

bool Choosable(const Node& n) { return !n.item.separator && n.item.enabled; }

std::string Before(const std::string& s, char c) { return s.substr(0, s.find(c)); }
std::string After(const std::string& s, char c) {
  const std::size_t p = s.find(c);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TextWidth(HDC dc, const std::string& text) {
  RECT r{0, 0, 0, 0};
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  return r.right - r.left;
}

void Fill(HDC dc, const RECT& r, int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); }

// One open level: its window, rows and the highlighted row.
struct Level {
  const std::vector<Node>* nodes = nullptr;
  HWND wnd = nullptr;
  std::vector<RECT> rows;  // client coordinates
  int hot = -1;
  int width = 0;
  int height = 0;
  int shortcutX = 0;
};

void MeasureLevel(Level& l) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  const int rowHeight = std::max<int>(tm.tmHeight + 6, GetSystemMetrics(SM_CYMENU) - 1);
  int textWidth = 0, shortcutWidth = 0;
  for (const Node& n : *l.nodes) {
    if (n.item.separator) continue;
    textWidth = std::max(textWidth, TextWidth(dc, Before(n.item.caption, '\t')));
    shortcutWidth = std::max(shortcutWidth, TextWidth(dc, After(n.item.caption, '\t')));
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  l.width = kFrame * 2 + kCheckColumn + textWidth + (shortcutWidth ? 24 + shortcutWidth : 0) + kArrowColumn;
  l.shortcutX = kFrame + kCheckColumn + textWidth + 24;
  int y = kFrame;
  l.rows.clear();
  for (const Node& n : *l.nodes) {
    const int h = n.item.separator ? kSeparatorHeight : rowHeight;
    l.rows.push_back(RECT{kFrame, y, l.width - kFrame, y + h});
    y += h;
  }
  l.height = y + kFrame;
}

void DrawCheck(HDC dc, int x, int cy, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  for (int d = 0; d < 3; ++d) {
    MoveToEx(dc, x, cy - 1 + d, nullptr);
    LineTo(dc, x + 2, cy + 1 + d);
    LineTo(dc, x + 7, cy - 4 + d);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void DrawArrow(HDC dc, int x, int cy, COLORREF colour) {
  for (int i = 0; i < 4; ++i) {
    const RECT r{x + i, cy - 3 + i, x + i + 1, cy + 4 - i};
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
}

void PaintLevel(HWND hwnd, const Level& l) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT all{0, 0, l.width, l.height};
  Fill(dc, all, COLOR_MENU);
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (std::size_t i = 0; i < l.nodes->size(); ++i) {
    const Node& n = (*l.nodes)[i];
    const RECT& row = l.rows[i];
    if (n.item.separator) {
      RECT line{row.left + 1, (row.top + row.bottom) / 2 - 1, row.right - 1, (row.top + row.bottom) / 2 + 1};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
      continue;
    }
    const bool hot = static_cast<int>(i) == l.hot;
    if (hot) Fill(dc, row, COLOR_HIGHLIGHT);
    const int cy = (row.top + row.bottom) / 2;
    COLORREF ink = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (!n.item.enabled) {
      ink = GetSysColor(COLOR_GRAYTEXT);
      if (!hot) {
        // Embossed, as greyed items look on a raised face.
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT t{row.left + kCheckColumn + 1, row.top + 1, row.right, row.bottom + 1};
        const std::string text = Before(n.item.caption, '\t');
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
      }
    }
    SetTextColor(dc, ink);
    if (n.item.checked) DrawCheck(dc, row.left + 6, cy, ink);
    RECT t{row.left + kCheckColumn, row.top, row.right, row.bottom};
    const std::string text = Before(n.item.caption, '\t');
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    const std::string shortcut = After(n.item.caption, '\t');
    if (!shortcut.empty()) {
      RECT s{l.shortcutX, row.top, row.right, row.bottom};
      DrawText(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &s,
               DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    if (!n.kids.empty()) DrawArrow(dc, row.right - kArrowColumn + 6, cy, ink);
  }
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
}

LRESULT MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
      if (auto* l = reinterpret_cast<const Level*>(GetWindowLong(hwnd, GWL_USERDATA))) {
        PaintLevel(hwnd, *l);
        return 0;
      }
      break;
    default: break;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND MakeMenuWindow(int x, int y, int w, int h) {
  RegisterSystemClass(kMenuWindowClass, &MenuWindowProc, CS_SAVEBITS);
  return CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMenuWindowClass, "", WS_POPUP, x, y, w, h, nullptr,
                        nullptr, nullptr, nullptr);
}

// The top-left corner of a measured level shown at `at`, kept on the screen.
POINT PlaceLevel(const Level& l, POINT at, UINT flags) {
  int x = at.x;
  if (flags & TPM_RIGHTALIGN) x -= l.width;
  if (flags & TPM_CENTERALIGN) x -= l.width / 2;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  return POINT{std::max(0, std::min(x, sw - l.width)), std::max(0, std::min<int>(at.y, sh - l.height))};
}

bool IsPress(UINT m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
         m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN || m == WM_LBUTTONDBLCLK || m == WM_NCLBUTTONDBLCLK;
}
bool IsRelease(UINT m) {
  return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_NCLBUTTONUP || m == WM_NCRBUTTONUP;
}

// The tracking of one menu: a bar's drop-downs or a popup menu with its submenus.
class Tracker {
 public:
  // A popup menu.
  Tracker(std::span<const PopupMenuItem> items, UINT flags, POINT at) {
    std::size_t i = 0;
    popupTree_ = BuildTree(items, i, 0);
    OpenLevel(&popupTree_, at, flags);
  }
  // A bar's drop-down.
  Tracker(HWND bar, int index, bool byKeyboard) : bar_(bar) {
    const std::vector<MenuBarItem>* items = MenuBarItemsOf(bar);
    if (!items) return;
    for (const MenuBarItem& b : *items) {
      std::size_t i = 0;
      barTrees_.push_back(BuildTree(b.items, i, 0));
    }
    OpenBarEntry(index, byKeyboard);
  }
  ~Tracker() {
    CloseFrom(0);
    if (bar_) SetMenuBarOpenIndex(bar_, -1);
    if (GetCapture() == catcher_) ReleaseCapture();
    if (catcher_) DestroyWindow(catcher_);
  }

  UINT Run() {
    if (levels_.empty()) return 0;
    catcher_ = MakeMenuWindow(0, 0, 0, 0);
    SetCapture(catcher_);
    MSG m;
    while (!done_ && NextModalMessage(&m)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
      if (IsMouseMessage(m.message))
        Mouse(m.message, m.pt);
      else if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
        TranslateMessage(&m);  // hot keys come as characters
        Key(static_cast<int>(m.wParam));
      }
      else if (m.message == WM_CHAR || m.message == WM_SYSCHAR)
        Char(static_cast<char>(m.wParam));
      else if (m.message != WM_KEYUP && m.message != WM_SYSKEYUP)
        DispatchMessage(&m);
      if (GetCapture() != catcher_) done_ = true;  // someone took the mouse away
    }
    return chosen_;
  }

 private:
  static const std::vector<MenuBarItem>* MenuBarItemsOf(HWND bar);

  void OpenLevel(const std::vector<Node>* nodes, POINT at, UINT flags = TPM_LEFTALIGN) {
    auto l = std::make_unique<Level>();
    l->nodes = nodes;
    MeasureLevel(*l);
    const POINT p = PlaceLevel(*l, at, flags);
    l->wnd = MakeMenuWindow(p.x, p.y, l->width, l->height);
    if (!l->wnd) return;
    SetWindowLong(l->wnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(l.get()));
    ShowWindow(l->wnd, SW_SHOWNOACTIVATE);
    levels_.push_back(std::move(l));
  }

  void CloseFrom(std::size_t depth) {
    while (levels_.size() > depth) {
      DestroyWindow(levels_.back()->wnd);
      levels_.pop_back();
    }
  }

  void OpenBarEntry(int index, bool byKeyboard) {
    CloseFrom(0);
    const int n = static_cast<int>(barTrees_.size());
    if (n == 0) return;
    index = ((index % n) + n) % n;
    barIndex_ = index;
    SetMenuBarOpenIndex(bar_, index);
    RECT r;
    if (!GetMenuBarItemRect(bar_, index, &r)) return;
    if (barTrees_[index].empty() || !(*MenuBarItemsOf(bar_))[index].enabled) return;
    OpenLevel(&barTrees_[index], POINT{r.left, r.bottom});
    if (byKeyboard) Step(*levels_.back(), +1);
  }

  void Invalidate(const Level& l) { InvalidateRect(l.wnd, nullptr, 0); }

  void SetHot(Level& l, int row) {
    if (l.hot == row) return;
    l.hot = row;
    Invalidate(l);
  }

  // Moves the highlight to the next row that is no separator.
  void Step(Level& l, int dir) {
    const int n = static_cast<int>(l.nodes->size());
    int row = l.hot;
    for (int k = 0; k < n; ++k) {
      row = row < 0 ? (dir > 0 ? 0 : n - 1) : (row + dir + n) % n;
      if (!(*l.nodes)[row].item.separator) {
        SetHot(l, row);
        return;
      }
    }
  }

  // Opens the submenu of the level's highlighted row.
  void OpenSub(std::size_t depth, bool byKeyboard) {
    Level& l = *levels_[depth];
    CloseFrom(depth + 1);
    if (l.hot < 0) return;
    const Node& n = (*l.nodes)[l.hot];
    if (n.kids.empty() || !n.item.enabled) return;
    const RECT& row = l.rows[l.hot];
    POINT p{row.right + kFrame, row.top - kFrame};
    ClientToScreen(l.wnd, &p);
    OpenLevel(&n.kids, p);
    if (byKeyboard) Step(*levels_.back(), +1);
  }

  // A row chosen by click, Enter or its hot key.
  void Choose(std::size_t depth, int row, bool byKeyboard) {
    Level& l = *levels_[depth];
    SetHot(l, row);
    const Node& n = (*l.nodes)[row];
    if (!Choosable(n)) return;
    if (!n.kids.empty()) {
      OpenSub(depth, byKeyboard);
      return;
    }
    chosen_ = n.item.id;
    done_ = chosen_ != 0;
  }

  void Mouse(UINT msg, POINT pt) {
    for (std::size_t d = levels_.size(); d-- > 0;) {
      Level& l = *levels_[d];
      RECT wr;
      GetWindowRect(l.wnd, &wr);
      if (!PtInRect(&wr, pt)) continue;
      POINT c{pt.x - wr.left, pt.y - wr.top};
      int row = -1;
      for (std::size_t i = 0; i < l.rows.size(); ++i)
        if (PtInRect(&l.rows[i], c) && !(*l.nodes)[i].item.separator) row = static_cast<int>(i);
      if (msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE) {
        if (row < 0) return;
        SetHot(l, row);
        OpenSub(d, false);
      } else if (IsRelease(msg) && row >= 0) {
        Choose(d, row, false);
      }
      return;
    }
    if (bar_) {
      const int entry = BarEntryAt(pt);
      if (entry >= 0) {
        if (IsPress(msg) && entry == barIndex_) {
          done_ = true;
        } else if (entry != barIndex_ && !IsRelease(msg)) {
          OpenBarEntry(entry, false);
        }
        return;
      }
    }
    // A press anywhere else dismisses the menu.
    if (IsPress(msg)) done_ = true;
  }

  int BarEntryAt(POINT pt) const {
    for (int i = 0; i < static_cast<int>(barTrees_.size()); ++i) {
      RECT r;
      if (GetMenuBarItemRect(bar_, i, &r) && PtInRect(&r, pt)) return i;
    }
    return -1;
  }

  void Key(int vk) {
    Level* l = levels_.empty() ? nullptr : levels_.back().get();
    const std::size_t depth = levels_.empty() ? 0 : levels_.size() - 1;
    switch (vk) {
      case VK_DOWN:
        if (l) Step(*l, +1);
        break;
      case VK_UP:
        if (l) Step(*l, -1);
        break;
      case VK_RIGHT:
        if (l && l->hot >= 0 && !(*l->nodes)[l->hot].kids.empty())
          OpenSub(depth, true);
        else if (bar_)
          OpenBarEntry(barIndex_ + 1, true);
        break;
      case VK_LEFT:
        if (levels_.size() > 1)
          CloseFrom(depth);
        else if (bar_)
          OpenBarEntry(barIndex_ - 1, true);
        break;
      case VK_RETURN:
      case VK_SPACE:
        if (l && l->hot >= 0) Choose(depth, l->hot, true);
        break;
      case VK_ESCAPE:
        if (levels_.size() > 1)
          CloseFrom(depth);
        else
          done_ = true;
        break;
      case VK_MENU:
      case VK_F10:
        done_ = true;
        break;
      default: break;
    }
  }

  void Char(char ch) {
    const char want = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (levels_.empty()) {
      if (bar_) {
        const int i = MenuBarHotkeyIndex(bar_, want);
        if (i >= 0) OpenBarEntry(i, true);
      }
      return;
    }
    Level& l = *levels_.back();
    for (std::size_t i = 0; i < l.nodes->size(); ++i) {
      if (MenuHotkey((*l.nodes)[i].item.caption) == want && Choosable((*l.nodes)[i])) {
        Choose(levels_.size() - 1, static_cast<int>(i), true);
        return;
      }
    }
  }

  HWND bar_ = nullptr;
  int barIndex_ = -1;
  std::vector<std::vector<Node>> barTrees_;
  std::vector<Node> popupTree_;
  std::vector<std::unique_ptr<Level>> levels_;
  HWND catcher_ = nullptr;
  UINT chosen_ = 0;
  bool done_ = false;
};

const std::vector<MenuBarItem>* Tracker::MenuBarItemsOf(HWND bar) { return MenuBarItems(bar); }

}  // namespace

char MenuHotkey(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return '\0';
}

UINT TrackPopupMenuOnScreen(std::span<const PopupMenuItem> items, UINT flags, int x, int y) {
  Tracker t(items, flags, POINT{x, y});
  return t.Run();
}

BOOL GetMenuBarDropDownItemRect(HWND hwnd, int index, UINT id, RECT* out) {
  const std::vector<MenuBarItem>* items = MenuBarItems(hwnd);
  RECT entry;
  if (!items || !out || id == 0 || !GetMenuBarItemRect(hwnd, index, &entry)) return 0;
  std::size_t i = 0;
  const std::vector<Node> tree = BuildTree((*items)[static_cast<std::size_t>(index)].items, i, 0);
  Level l;
  l.nodes = &tree;
  MeasureLevel(l);
  const POINT at = PlaceLevel(l, POINT{entry.left, entry.bottom}, TPM_LEFTALIGN);
  for (std::size_t r = 0; r < tree.size(); ++r) {
    if (tree[r].item.id != id) continue;
    *out = l.rows[r];
    OffsetRect(out, at.x, at.y);
    return 1;
  }
  return 0;
}

void TrackMenuBar(HWND hwnd, int index, bool byKeyboard) {
  if (!CheckWindow(hwnd)) return;
  SendMessage(hwnd, WM_INITMENU, 0, 0);
  if (!MenuBarItems(hwnd)) return;
  UINT id = 0;
  {
    Tracker t(hwnd, index, byKeyboard);
    id = t.Run();
  }
  if (id != 0 && CheckWindow(hwnd)) PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
}

}  // namespace win
