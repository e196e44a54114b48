#include "platform/win/message_box.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/font_object.h"
#include "platform/win/text/text.h"

namespace win {
namespace {

constexpr const char* kBoxClass = "QmMessageBox";
constexpr int kMargin = 12;
constexpr int kIconSide = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 420;

struct Box {
  std::string text;
  UINT type = 0;
  std::vector<MessageBoxButton> buttons;
  std::vector<RECT> buttonRects;  // client coordinates
  RECT textRect{};
  int focus = 0;    // the button Enter presses
  int pressed = -1;  // the button held by the mouse
  int result = 0;
};

void DrawIcon(HDC dc, UINT type, int x, int y) {
  const UINT icon = type & 0x00F0;
  if (icon == 0) return;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  COLORREF face = RGB(255, 255, 255);
  const char* mark = "i";
  if (icon == MB_ICONERROR) face = RGB(220, 0, 0), mark = "X";
  if (icon == MB_ICONQUESTION) mark = "?";
  if (icon == MB_ICONWARNING) face = RGB(255, 220, 0), mark = "!";
  HBRUSH brush = CreateSolidBrush(face);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (icon == MB_ICONWARNING) {
    const POINT tri[3] = {{x + kIconSide / 2, y}, {x + kIconSide - 1, y + kIconSide - 2}, {x, y + kIconSide - 2}};
    Polygon(dc, tri, 3);
  } else {
    Ellipse(dc, x, y, x + kIconSide, y + kIconSide);
  }
  LOGFONT lf{};
  lf.lfHeight = -18;
  lf.lfWeight = FW_BOLD;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
  HFONT font = CreateFontIndirect(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, icon == MB_ICONERROR ? RGB(255, 255, 255) : icon == MB_ICONWARNING ? RGB(0, 0, 0) : RGB(0, 0, 160));
  RECT r{x, y + (icon == MB_ICONWARNING ? 4 : 0), x + kIconSide, y + kIconSide};
  DrawText(dc, mark, 1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawButton(HDC dc, const RECT& rect, const char* label, bool focused, bool pressed) {
  RECT r = rect;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (focused) {
    // The default button's dark outline.
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  RECT edge = r;
  DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT t = r;
  if (pressed) OffsetRect(&t, 1, 1);
  DrawText(dc, label, -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  if (focused) {
    RECT f{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    DrawFocusRect(dc, &f);
  }
}

void Paint(HWND hwnd, Box& box) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT c;
  GetClientRect(hwnd, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
  DrawIcon(dc, box.type, kMargin, kMargin);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT t = box.textRect;
  DrawText(dc, box.text.c_str(), static_cast<int>(box.text.size()), &t, DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  for (std::size_t i = 0; i < box.buttons.size(); ++i)
    DrawButton(dc, box.buttonRects[i], box.buttons[i].label, static_cast<int>(i) == box.focus,
               static_cast<int>(i) == box.pressed);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

int ButtonAt(const Box& box, int x, int y) {
  for (std::size_t i = 0; i < box.buttonRects.size(); ++i)
    if (PtInRect(&box.buttonRects[i], POINT{x, y})) return static_cast<int>(i);
  return -1;
}

LRESULT BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<Box*>(GetWindowLong(hwnd, GWL_USERDATA));
  if (!box) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(hwnd, *box); return 0;
    case WM_LBUTTONDOWN:
      box->pressed = ButtonAt(*box, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (box->pressed >= 0) {
        box->focus = box->pressed;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, 0);
      }
      return 0;
    case WM_LBUTTONUP: {
      const int at = ButtonAt(*box, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (box->pressed >= 0 && at == box->pressed) box->result = box->buttons[static_cast<std::size_t>(at)].id;
      box->pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      InvalidateRect(hwnd, nullptr, 0);
      return 0;
    }
    case WM_KEYDOWN: {
      const int n = static_cast<int>(box->buttons.size());
      switch (wParam) {
        case VK_RETURN:
        case VK_SPACE: box->result = box->buttons[static_cast<std::size_t>(box->focus)].id; break;
        case VK_ESCAPE: box->result = MessageBoxEscapeResult(box->type); break;
        case VK_TAB: box->focus = (box->focus + ((GetKeyState(VK_SHIFT) < 0) ? n - 1 : 1)) % n; break;
        case VK_LEFT: case VK_UP: box->focus = (box->focus + n - 1) % n; break;
        case VK_RIGHT: case VK_DOWN: box->focus = (box->focus + 1) % n; break;
        default: return 0;
      }
      InvalidateRect(hwnd, nullptr, 0);
      return 0;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      const char want = static_cast<char>(std::toupper(static_cast<int>(wParam & 0xFF)));
      for (const MessageBoxButton& b : box->buttons)
        if (MenuHotkey(b.label) == want) box->result = b.id;
      return 0;
    }
    case WM_CLOSE: box->result = MessageBoxEscapeResult(box->type); return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

void Layout(Box& box, int* width, int* height) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT t{0, 0, kMaxTextWidth, 0};
  DrawText(dc, box.text.c_str(), static_cast<int>(box.text.size()), &t, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const bool icon = (box.type & 0x00F0) != 0;
  const int textLeft = kMargin + (icon ? kIconSide + kMargin : 0);
  const int textHeight = std::max<int>(t.bottom - t.top, icon ? kIconSide : 0);
  const int n = static_cast<int>(box.buttons.size());
  const int buttonsWidth = n * kButtonWidth + (n - 1) * kButtonGap;
  *width = std::max<int>(textLeft + (t.right - t.left) + kMargin, buttonsWidth + 2 * kMargin);
  *width = std::max(*width, 180);
  const int textTop = kMargin + std::max(0, (textHeight - (t.bottom - t.top)) / 2);
  box.textRect = RECT{textLeft, textTop, textLeft + (t.right - t.left), textTop + (t.bottom - t.top)};
  const int by = kMargin + textHeight + kMargin + 4;
  int x = (*width - buttonsWidth) / 2;
  for (int i = 0; i < n; ++i, x += kButtonWidth + kButtonGap)
    box.buttonRects.push_back(RECT{x, by, x + kButtonWidth, by + kButtonHeight});
  *height = by + kButtonHeight + kMargin;
}

}  // namespace

int RunMessageBoxOnScreen(const ModalPrompt& prompt, int fallback) {
  RegisterSystemClass(kBoxClass, &BoxProc);
  Box box;
  box.text = prompt.text;
  box.type = prompt.type;
  box.buttons = MessageBoxButtons(prompt.type);
  const int n = static_cast<int>(box.buttons.size());
  box.focus = std::min(n - 1, static_cast<int>((prompt.type >> 8) & 0x3));
  int cw = 0, chgt = 0;
  Layout(box, &cw, &chgt);
  const DWORD style = WS_POPUP | WS_CAPTION | (MessageBoxEscapeResult(box.type) ? WS_SYSMENU : 0);
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
  const RECT frame = FrameThickness(style, exStyle);
  const int w = cw + frame.left + frame.right, h = chgt + frame.top + frame.bottom;
  // Centred over the owner's window, else the screen.
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND root = prompt.owner ? GetAncestor(prompt.owner, GA_ROOT) : nullptr) GetWindowRect(root, &around);
  const int x = std::max<int>(0, (around.left + around.right - w) / 2);
  const int y = std::max<int>(0, (around.top + around.bottom - h) / 2);
  // The other windows wait while the box is up.
  std::vector<HWND> disabled;
  EnumWindows([&](HWND hw) {
    if (IsWindowVisible(hw) && IsWindowEnabled(hw)) disabled.push_back(hw);
    return true;
  });
  const HWND previous = GetActiveWindow();
  HWND hwnd = CreateWindowEx(exStyle, kBoxClass, prompt.caption.c_str(), style, x, y, w, h, prompt.owner, nullptr,
                             nullptr, nullptr);
  if (!hwnd) return fallback;
  for (HWND hw : disabled) EnableWindow(hw, 0);
  SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  ShowWindow(hwnd, SW_SHOW);
  SetActiveWindow(hwnd);
  SetFocus(hwnd);
  MSG m;
  while (box.result == 0 && NextModalMessage(&m)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  for (HWND hw : disabled)
    if (IsWindow(hw)) EnableWindow(hw, 1);
  SetWindowLong(hwnd, GWL_USERDATA, 0);
  DestroyWindow(hwnd);
  if (previous && IsWindow(previous)) SetActiveWindow(previous);
  return box.result ? box.result : fallback;
}

}  // namespace win
