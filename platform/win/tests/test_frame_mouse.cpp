// The frame by mouse with a person at the screen: sizing by each edge and corner within the
// window's track sizes, the frame's scroll bars, and the help window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/gdi.h"
#include "platform/win/help_window.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/scroll_bar.h"
#include "platform/win/services.h"
#include "platform/win/system_tables.h"
#include "platform/win/tests/scripted_screen.h"
#include "platform/win/text/text.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kSizedClass = "QmSizedFrame";
std::vector<WPARAM> g_scrolls;
int g_sizeMoves = 0;

// Track sizes 200 x 150 to 500 x 400; the vertical bar follows what it is told, as a
// program scrolling its view would.
LRESULT SizedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize = POINT{200, 150};
      mm->ptMaxTrackSize = POINT{500, 400};
      return 0;
    }
    case WM_ENTERSIZEMOVE: case WM_EXITSIZEMOVE: ++g_sizeMoves; return 0;
    case WM_VSCROLL: {
      g_scrolls.push_back(wParam);
      SCROLLINFO si;
      si.fMask = SIF_ALL;
      GetScrollInfo(hwnd, SB_VERT, &si);
      switch (LOWORD(wParam)) {
        case SB_LINEUP: si.nPos -= 1; break;
        case SB_LINEDOWN: si.nPos += 1; break;
        case SB_PAGEUP: si.nPos -= static_cast<int>(si.nPage); break;
        case SB_PAGEDOWN: si.nPos += static_cast<int>(si.nPage); break;
        case SB_THUMBPOSITION: si.nPos = HIWORD(wParam); break;
        default: return 0;
      }
      si.fMask = SIF_POS;
      SetScrollInfo(hwnd, SB_VERT, &si, 1);
      return 0;
    }
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

class FrameMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    UseManualClock(1000);
    EnsureTestClass(kSizedClass, &SizedProc, 0, SysColourBackground(COLOR_WINDOW));
    g_scrolls.clear();
    g_sizeMoves = 0;
  }
  void TearDown() override {
    ResetWindowSystem();
    UseRealClock();
  }
  HWND MakeFrame(DWORD style) {
    HWND h = CreateWindowEx(0, kSizedClass, "Sized", style | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                            nullptr, nullptr);
    SetActiveWindow(h);
    return h;
  }
};

TEST_F(FrameMouseTest, EachEdgeAndCornerSizesTheWindowWithinItsTrackSizes) {
  // The window starts at (100, 100) - (500, 400); its sizing border is 4 pixels wide.
  struct Case {
    const char* name;
    POINT grip;
    LRESULT hit;
    int dx, dy;
    RECT expected;
  };
  const Case cases[] = {
      {"right wider", {498, 250}, HTRIGHT, 50, 9, {100, 100, 550, 400}},
      {"left wider", {101, 250}, HTLEFT, -30, 0, {70, 100, 500, 400}},
      {"bottom taller", {300, 398}, HTBOTTOM, 7, 40, {100, 100, 500, 440}},
      {"top taller", {300, 101}, HTTOP, 0, -20, {100, 80, 500, 400}},
      {"bottom right up to the largest", {499, 399}, HTBOTTOMRIGHT, 300, 300, {100, 100, 600, 500}},
      {"top left down to the smallest", {100, 100}, HTTOPLEFT, 300, 300, {300, 250, 500, 400}},
      {"top right", {499, 100}, HTTOPRIGHT, 20, 30, {100, 130, 520, 400}},
      {"bottom left", {100, 399}, HTBOTTOMLEFT, -100, -100, {0, 100, 500, 300}},
      {"left past the other edge", {101, 250}, HTLEFT, 1000, 0, {300, 100, 500, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = MakeFrame(WS_OVERLAPPEDWINDOW);
    ASSERT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(c.grip.x, c.grip.y)), c.hit);
    const POINT half{c.grip.x + c.dx / 2, c.grip.y + c.dy / 2}, end{c.grip.x + c.dx, c.grip.y + c.dy};
    RECT midway{};
    {
      // The desktop is shown again between the moves, with the window at its new size.
      ScriptedScreen screen({[&] { InjectMouseMove(half.x, half.y); },
                             [&] {
                               GetWindowRect(h, &midway);
                               InjectMouseMove(end.x, end.y);
                             },
                             [&] { InjectMouseUp(MouseButton::Left, end.x, end.y); }});
      InjectMouseDown(MouseButton::Left, c.grip.x, c.grip.y);
      PumpPendingMessages();
      EXPECT_TRUE(screen.UsedUp());
      EXPECT_GE(screen.Presents(), 3);
    }
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r, c.expected);
    EXPECT_NE(midway, (RECT{100, 100, 500, 400})) << "not sized while dragged";
    RECT client;
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, r.right - r.left - 8);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(g_sizeMoves, 2);
    g_sizeMoves = 0;
    DestroyWindow(h);
  }
}

TEST_F(FrameMouseTest, EscPutsTheWindowBackAndAFixedBorderDoesNotSize) {
  HWND h = MakeFrame(WS_OVERLAPPEDWINDOW);
  {
    ScriptedScreen screen({[&] { InjectMouseMove(560, 450); }, [&] { InjectKey(VK_ESCAPE); }});
    InjectMouseDown(MouseButton::Left, 499, 399);
    PumpPendingMessages();
  }
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{100, 100, 500, 400}));
  DestroyWindow(h);
  // A dialog frame answers no sizing part; a press there moves nothing.
  h = MakeFrame(WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(499, 399)), HTBORDER);
  InjectMouseDown(MouseButton::Left, 499, 399);
  InjectMouseMove(560, 450);
  InjectMouseUp(MouseButton::Left, 560, 450);
  PumpPendingMessages();
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{100, 100, 500, 400}));
}

TEST_F(FrameMouseTest, TheFrameScrollBarIsDrawnAndScrollsByArrowTrackAndThumb) {
  HWND h = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 0;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, 1), 0);
  // Client area: (104, 123) - (480, 396) on the screen; the bar is x 480 .. 496. Its track
  // runs from 139 to 380 (241 pixels), the thumb is 24 long and travels 217 pixels.
  const int x = 488;
  auto pos = [&] {
    SCROLLINFO now;
    now.fMask = SIF_POS;
    GetScrollInfo(h, SB_VERT, &now);
    return now.nPos;
  };
  auto shown = [&](int screenY) {
    UpdateWindow(h);
    WindowImage img;
    EXPECT_TRUE(CaptureWindow(h, &img));
    return img.At(x - 100 - 4, screenY - 100);
  };
  EXPECT_EQ(shown(150), GetSysColor(COLOR_BTNFACE));     // the thumb at the top
  EXPECT_EQ(shown(200), GetSysColor(COLOR_SCROLLBAR));   // bare track
  EXPECT_TRUE(WriteWindowToPng(h, ShotPath("frame_scroll_bar")));
  struct Press {
    const char* name;
    int y;
    WPARAM code;
    int after;
  };
  const Press presses[] = {
      {"down arrow", 390, SB_LINEDOWN, 1},
      {"down arrow again", 390, SB_LINEDOWN, 2},
      {"track below the thumb", 300, SB_PAGEDOWN, 12},
      {"up arrow", 125, SB_LINEUP, 11},
      {"track above the thumb", 140, SB_PAGEUP, 1},
  };
  for (const Press& p : presses) {
    SCOPED_TRACE(p.name);
    g_scrolls.clear();
    InjectClick(MouseButton::Left, x, p.y);
    PumpPendingMessages();
    EXPECT_EQ(g_scrolls, (std::vector<WPARAM>{p.code, SB_ENDSCROLL}));
    EXPECT_EQ(pos(), p.after);
  }
  // The thumb (now at 140 .. 164) dragged 100 pixels down shows there while held and ends
  // at 1 + 100 * 90 / 217, rounded.
  g_scrolls.clear();
  {
    ScriptedScreen screen({[&] { InjectMouseMove(x, 250); },
                           [&] {
                             EXPECT_EQ(shown(255), GetSysColor(COLOR_BTNFACE));
                             EXPECT_EQ(pos(), 1);
                             InjectMouseUp(MouseButton::Left, x, 250);
                           }});
    InjectMouseDown(MouseButton::Left, x, 150);
    PumpPendingMessages();
    EXPECT_TRUE(screen.UsedUp());
  }
  ASSERT_GE(g_scrolls.size(), 3u);
  EXPECT_EQ(g_scrolls.front(), MAKEWPARAM(SB_THUMBTRACK, 42));
  EXPECT_EQ(g_scrolls[g_scrolls.size() - 2], MAKEWPARAM(SB_THUMBPOSITION, 42));
  EXPECT_EQ(g_scrolls.back(), SB_ENDSCROLL);
  EXPECT_EQ(pos(), 42);
  // A held arrow repeats after a pause.
  g_scrolls.clear();
  {
    ScriptedScreen screen({[&] { AdvanceClock(1000); }, [&] { InjectMouseUp(MouseButton::Left, x, 390); }});
    InjectMouseDown(MouseButton::Left, x, 390);
    PumpPendingMessages();
  }
  EXPECT_GE(g_scrolls.size(), 3u);
  EXPECT_EQ(pos(), 42 + static_cast<int>(g_scrolls.size()) - 1);
}

TEST_F(FrameMouseTest, AThumbLetGoWhereItWasPressedKeepsItsPosition) {
  HWND h = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  // 990 positions over a thumb travel of 233 pixels: pixel 1 of the travel stands for
  // positions 3 to 7, position 7 is drawn at pixel 1 (the thumb at 140 .. 148).
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 999;
  si.nPage = 10;
  si.nPos = 7;
  SetScrollInfo(h, SB_VERT, &si, 1);
  struct Drag {
    int to;  // screen y let go at, pressed at 144
    WPARAM last;
  };
  const Drag drags[] = {
      {144, MAKEWPARAM(SB_THUMBPOSITION, 7)},
      {145, MAKEWPARAM(SB_THUMBPOSITION, 8)},  // one pixel on: pixel 2, rounded
  };
  for (const Drag& d : drags) {
    si.fMask = SIF_POS;
    si.nPos = 7;
    SetScrollInfo(h, SB_VERT, &si, 1);
    g_scrolls.clear();
    {
      ScriptedScreen screen({[&] { InjectMouseMove(488, d.to); }, [&] { InjectMouseUp(MouseButton::Left, 488, d.to); }});
      InjectMouseDown(MouseButton::Left, 488, 144);
      PumpPendingMessages();
    }
    ASSERT_GE(g_scrolls.size(), 2u) << d.to;
    EXPECT_EQ(g_scrolls[g_scrolls.size() - 2], d.last) << d.to;
    EXPECT_EQ(g_scrolls.back(), SB_ENDSCROLL) << d.to;
  }
}

TEST_F(FrameMouseTest, SetScrollInfoKeepsPageAndPositionInRange) {
  HWND h = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  struct Case {
    int min, max;
    UINT page;
    int pos;
    UINT pageAfter;
    int posAfter;
  };
  const Case cases[] = {
      {0, 99, 10, 95, 10, 90}, {0, 99, 10, -5, 10, 0}, {0, 9, 50, 3, 10, 0}, {10, 20, 0, 30, 0, 20}, {5, 2, 1, 4, 1, 5},
  };
  for (const Case& c : cases) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    si.nMin = c.min;
    si.nMax = c.max;
    si.nPage = c.page;
    si.nPos = c.pos;
    EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, 0), c.posAfter);
    SCROLLINFO out;
    out.fMask = SIF_ALL;
    GetScrollInfo(h, SB_VERT, &out);
    EXPECT_EQ(out.nPage, c.pageAfter);
    EXPECT_EQ(out.nPos, c.posAfter);
  }
}

TEST(ScrollRequests, EachCodeAsksForItsPosition) {
  struct Case {
    WPARAM request;
    std::optional<int> pos;
  };
  // From position 40, a line of 3, a page of 20, the last position 95.
  const Case cases[] = {
      {SB_LINEUP, 37},       {SB_LINEDOWN, 43},  {SB_PAGEUP, 20},
      {SB_PAGEDOWN, 60},     {SB_TOP, 0},        {SB_BOTTOM, 95},
      {MAKEWPARAM(SB_THUMBTRACK, 70), 70},       {MAKEWPARAM(SB_THUMBPOSITION, 65535), 65535},
      {SB_ENDSCROLL, std::nullopt},              {MAKEWPARAM(SB_ENDSCROLL, 12), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(RequestedScrollPos(c.request, 40, 3, 20, 95), c.pos) << c.request;
}

TEST_F(FrameMouseTest, TheHelpWindowShowsTheFilesTextScrollsAndCloses) {
  const std::string path = ::testing::TempDir() + "qm_help_" + std::to_string(::getpid()) + ".hlp";
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 80; ++i) out << (i % 2 ? "" : "line\tof help") << "\r\n";
  }
  EXPECT_TRUE(WinHelp(nullptr, path.c_str(), HELP_FINDER, 0));
  HWND h = HelpWindow();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetWindowTextString(h), std::filesystem::path(path).filename().string() + " - Help");
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 79);
  EXPECT_GT(si.nPage, 10u);
  EXPECT_LT(si.nPage, 80u);
  // Text lines have ink, the empty lines between them none.
  TEXTMETRIC tm;
  HDC dc = GetDC(h);
  SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  GetTextMetrics(dc, &tm);
  ReleaseDC(h, dc);
  auto inkInRow = [&](int line) {
    UpdateWindow(h);
    WindowImage img;
    EXPECT_TRUE(CaptureWindow(h, &img));
    RECT wr;
    GetWindowRect(h, &wr);
    POINT o{0, 0};
    ClientToScreen(h, &o);
    const int left = o.x - wr.left + 6, top = o.y - wr.top + 6 + line * tm.tmHeight;
    int ink = 0;
    for (int y = top; y < top + tm.tmHeight; ++y)
      for (int x = left; x < left + 200; ++x) ink += img.At(x, y) == GetSysColor(COLOR_WINDOWTEXT);
    return ink;
  };
  EXPECT_GT(inkInRow(0), 10);
  EXPECT_EQ(inkInRow(1), 0);
  EXPECT_TRUE(WriteWindowToPng(h, ShotPath("help_window")));
  // One line down by the keys: the empty line is on top.
  InjectKey(VK_DOWN);
  PumpPendingMessages();
  EXPECT_EQ(inkInRow(0), 0);
  EXPECT_GT(inkInRow(1), 10);
  // Another call shows the file from its top in the same window; Esc closes it.
  WinHelp(nullptr, path.c_str(), HELP_CONTENTS, 0);
  EXPECT_EQ(HelpWindow(), h);
  EXPECT_GT(inkInRow(0), 10);
  InjectKey(VK_ESCAPE);
  PumpPendingMessages();
  EXPECT_EQ(HelpWindow(), nullptr);
  // A file that is not there says so; HELP_QUIT closes the window.
  WinHelp(nullptr, (path + ".none").c_str(), HELP_FINDER, 0);
  ASSERT_NE(HelpWindow(), nullptr);
  si.fMask = SIF_RANGE;
  GetScrollInfo(HelpWindow(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 0);
  WinHelp(nullptr, path.c_str(), HELP_QUIT, 0);
  EXPECT_EQ(HelpWindow(), nullptr);
  std::filesystem::remove(path);
}

}  // namespace
