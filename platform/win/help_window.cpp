#include "platform/win/help_window.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/scroll_bar.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"
#include "platform/win/window.h"

namespace win {
namespace {

constexpr const char* kHelpClass = "QmHelpViewer";
// More than any help text; a bigger file is refused rather than read.
constexpr std::streamoff kMaxBytes = 4 << 20;
constexpr int kMargin = 6;
constexpr int kTabWidth = 8;

struct HelpView {
  HWND hwnd = nullptr;
  std::vector<std::string> lines;
  int top = 0;
  int lineHeight = 13;
};

HelpView& View() {
  static HelpView v;
  return v;
}

// The file as lines: tabs expanded, carriage returns dropped, other control bytes shown
// as spaces.
std::vector<std::string> ReadLines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {"Cannot open the help file " + file + "."};
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxBytes) return {"The help file " + file + " is too large to show."};
  in.seekg(0);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), size);
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
  std::vector<std::string> lines(1);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      lines.emplace_back();
    } else if (c == '\t') {
      lines.back().append(kTabWidth - lines.back().size() % kTabWidth, ' ');
    } else if (c != '\r') {
      lines.back().push_back(c < 0x20 || c == 0x7F ? ' ' : ch);
    }
  }
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

int PageLines(HWND hwnd) {
  RECT c;
  GetClientRect(hwnd, &c);
  return std::max(1, (c.bottom - 2 * kMargin) / View().lineHeight);
}

void UpdateBar(HWND hwnd) {
  HelpView& v = View();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMax = static_cast<int>(v.lines.size()) - 1;
  si.nPage = static_cast<UINT>(PageLines(hwnd));
  si.nPos = v.top;
  v.top = SetScrollInfo(hwnd, SB_VERT, &si, 1);
}

void ScrollToLine(HWND hwnd, int line) {
  HelpView& v = View();
  const int last = std::max(0, static_cast<int>(v.lines.size()) - PageLines(hwnd));
  const int top = std::clamp(line, 0, last);
  if (top == v.top) return;
  v.top = top;
  UpdateBar(hwnd);
  InvalidateRect(hwnd, nullptr, 1);
}

void Paint(HWND hwnd) {
  const HelpView& v = View();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT c;
  GetClientRect(hwnd, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  int y = kMargin;
  for (std::size_t i = static_cast<std::size_t>(v.top); i < v.lines.size() && y < c.bottom; ++i, y += v.lineHeight)
    TextOut(dc, kMargin, y, v.lines[i].c_str(), static_cast<int>(v.lines[i].size()));
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT HelpProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HelpView& v = View();
  switch (msg) {
    case WM_SIZE: UpdateBar(hwnd); return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_VSCROLL:
      if (const std::optional<int> top =
              RequestedScrollPos(wParam, v.top, 1, PageLines(hwnd), static_cast<int>(v.lines.size())))
        ScrollToLine(hwnd, *top);
      return 0;
    case WM_MOUSEWHEEL: ScrollToLine(hwnd, v.top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3); return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP: ScrollToLine(hwnd, v.top - 1); break;
        case VK_DOWN: ScrollToLine(hwnd, v.top + 1); break;
        case VK_PRIOR: ScrollToLine(hwnd, v.top - PageLines(hwnd)); break;
        case VK_NEXT: ScrollToLine(hwnd, v.top + PageLines(hwnd)); break;
        case VK_HOME: ScrollToLine(hwnd, 0); break;
        case VK_END: ScrollToLine(hwnd, static_cast<int>(v.lines.size())); break;
        case VK_ESCAPE: DestroyWindow(hwnd); break;
        default: break;
      }
      return 0;
    case WM_NCDESTROY:
      if (v.hwnd == hwnd) v = HelpView{};
      return DefWindowProc(hwnd, msg, wParam, lParam);
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

int MeasureLineHeight(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRIC tm;
  const int h = GetTextMetrics(dc, &tm) ? tm.tmHeight + tm.tmExternalLeading : 13;
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return std::max(1, h);
}

}  // namespace

HWND HelpWindow() { return IsWindow(View().hwnd) ? View().hwnd : nullptr; }

HWND ShowHelpWindow(const std::string& file) {
  HelpView& v = View();
  if (!HelpWindow()) {
    RegisterSystemClass(kHelpClass, &HelpProc);
    const int w = 680, h = 480;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    v = HelpView{};
    v.hwnd = CreateWindowEx(0, kHelpClass, "Help", WS_OVERLAPPEDWINDOW | WS_VSCROLL, x, y, w, h, nullptr, nullptr,
                            nullptr, nullptr);
    if (!v.hwnd) return nullptr;
    v.lineHeight = MeasureLineHeight(v.hwnd);
  }
  const HWND hwnd = v.hwnd;
  v.lines = ReadLines(file);
  v.top = 0;
  const std::size_t slash = file.find_last_of("/\\");
  SetWindowText(hwnd, ((slash == std::string::npos ? file : file.substr(slash + 1)) + " - Help").c_str());
  UpdateBar(hwnd);
  InvalidateRect(hwnd, nullptr, 1);
  ShowWindow(hwnd, SW_SHOW);
  BringWindowToTop(hwnd);
  SetActiveWindow(hwnd);
  return hwnd;
}

void CloseHelpWindow() {
  if (HWND h = HelpWindow()) DestroyWindow(h);
}

}  // namespace win
