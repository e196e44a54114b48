// Modal UI with a person at the screen: the menu bar and popup menus tracked by mouse and
// keys, message boxes answered by keys and the close box, windows moved by the caption.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/tests/scripted_screen.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kFrameClass = "QmScreenFrame";
std::vector<WPARAM> g_commands;

LRESULT FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) g_commands.push_back(wParam);
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

std::vector<HWND> WindowsOfClass(const char* cls) {
  std::vector<HWND> out;
  EnumWindows([&](HWND h) {
    char name[64];
    GetClassName(h, name, sizeof name);
    if (std::string(name) == cls && IsWindowVisible(h)) out.push_back(h);
    return true;
  });
  return out;
}

// A point of a window's close box, found by asking the window.
POINT CloseBoxOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  for (int y = r.top; y < r.top + 30; ++y)
    for (int x = r.right - 1; x > r.right - 40; --x)
      if (SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return POINT{x, y};
  ADD_FAILURE() << "no close box";
  return POINT{0, 0};
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class ScreenModalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    UseManualClock(1000);
    EnsureTestClass(kFrameClass, &FrameProc, 0, SysColourBackground(COLOR_WINDOW));
    frame_ = CreateWindowEx(0, kFrameClass, "Emitters", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300, nullptr,
                            nullptr, nullptr, nullptr);
    SetActiveWindow(frame_);
    g_commands.clear();
  }
  void TearDown() override {
    ResetWindowSystem();
    UseRealClock();
  }

  void SetFileEditBar() {
    RECT before;
    GetClientRect(frame_, &before);
    PopupMenuItem sep;
    sep.separator = true;
    std::vector<MenuBarItem> bar(2);
    bar[0].caption = "&File";
    bar[0].items = {{101, "&New Emitter", true, false, false, 0},
                    sep,
                    {102, "E&xit", false, false, false, 0},
                    {0, "&Recent", true, false, false, 0},
                    {111, "one.qme", true, false, false, 1},
                    {112, "two.qme", true, true, false, 1}};
    bar[1].caption = "&Edit";
    bar[1].items = {{201, "&Undo\tCtrl+Z", true, false, false, 0}, {202, "&Redo", true, false, false, 0}};
    ASSERT_TRUE(SetMenuBar(frame_, bar));
    RECT after;
    GetClientRect(frame_, &after);
    EXPECT_EQ(before.bottom - after.bottom, MenuBarHeight(frame_));
    EXPECT_GT(MenuBarHeight(frame_), 0);
  }

  POINT EntryCentre(int i) {
    RECT r{};
    EXPECT_TRUE(GetMenuBarItemRect(frame_, i, &r));
    return Centre(r);
  }

  HWND frame_ = nullptr;
};

TEST_F(ScreenModalTest, TheMenuBarOpensByClickOrAltAndRunsTheChosenItem) {
  SetFileEditBar();
  const auto key = [](int vk) { return [vk] { InjectKey(vk); }; };
  // Clicks New Emitter where the open drop-down shows it.
  const auto clickFirstRow = [&] {
    RECT r;
    ASSERT_TRUE(GetMenuBarDropDownItemRect(frame_, 0, 101, &r));
    const POINT p = Centre(r);
    EXPECT_EQ(WindowFromPoint(p), WindowsOfClass("QmMenuWindow").at(0));
    InjectClick(MouseButton::Left, p.x, p.y);
  };
  struct Case {
    const char* name;
    std::function<void()> open;
    std::vector<std::function<void()>> steps;
    std::vector<WPARAM> commands;
  };
  const std::vector<Case> cases = {
      {"click File, click its first item", [&] { const POINT p = EntryCentre(0); InjectClick(MouseButton::Left, p.x, p.y); },
       {clickFirstRow}, {101}},
      // Down skips the separator onto the greyed Exit, whose Enter does nothing; Right
      // opens Recent's submenu.
      {"Alt, keys through a submenu", key(VK_MENU),
       {key(VK_DOWN), key(VK_RETURN), key(VK_DOWN), key(VK_RIGHT), key(VK_DOWN), key(VK_RETURN)}, {112}},
      {"Alt+E opens Edit by its hot key", [] { InjectKey('E', kAlt); }, {key(VK_RETURN)}, {201}},
      {"Right moves on to the next menu", key(VK_MENU), {key(VK_RIGHT), key(VK_DOWN), key(VK_RETURN)}, {202}},
      {"a hot key inside the drop-down", key(VK_MENU), {key('N')}, {101}},
      {"Esc closes the menu", key(VK_MENU), {key(VK_ESCAPE)}, {}},
      {"a click elsewhere dismisses it",
       [&] { const POINT p = EntryCentre(1); InjectClick(MouseButton::Left, p.x, p.y); },
       {[] { InjectClick(MouseButton::Left, 300, 250); }}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_commands.clear();
    ScriptedScreen screen(c.steps);
    c.open();
    PumpPendingMessages();
    EXPECT_TRUE(screen.UsedUp());
    EXPECT_FALSE(screen.Closed());  // the menu ended by itself
    std::vector<WPARAM> want;
    for (WPARAM id : c.commands) want.push_back(MAKEWPARAM(static_cast<int>(id), 0));
    EXPECT_EQ(g_commands, want);
    EXPECT_TRUE(WindowsOfClass("QmMenuWindow").empty());
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(ScreenModalTest, AnOpenMenuShowsItsHighlightAndGreyedItems) {
  SetFileEditBar();
  bool looked = false;
  const POINT file = EntryCentre(0);
  ScriptedScreen screen({[&] {
                           RECT r;
                           GetWindowRect(WindowsOfClass("QmMenuWindow").at(0), &r);
                           InjectMouseMove(r.left + 20, r.top + 10);
                         },
                         [&] {
                           HWND menu = WindowsOfClass("QmMenuWindow").at(0);
                           UpdateWindow(menu);
                           UpdateWindow(frame_);
                           ASSERT_TRUE(WriteWindowToPng(frame_, ShotPath("menu_bar_frame")));
                           ASSERT_TRUE(WriteWindowToPng(menu, ShotPath("menu_bar_dropdown")));
                           WindowImage bar, drop;
                           ASSERT_TRUE(CaptureWindow(frame_, &bar));
                           ASSERT_TRUE(CaptureWindow(menu, &drop));
                           RECT fr, entry, mr;
                           GetWindowRect(frame_, &fr);
                           GetMenuBarItemRect(frame_, 0, &entry);
                           GetWindowRect(menu, &mr);
                           // The open entry and the row under the mouse are highlighted ...
                           EXPECT_EQ(bar.At(entry.left + 1 - fr.left, entry.top + 1 - fr.top), GetSysColor(COLOR_HIGHLIGHT));
                           EXPECT_EQ(drop.At(drop.width - 5, 10), GetSysColor(COLOR_HIGHLIGHT));
                           // ... the drop-down hangs under its entry, and Exit is greyed.
                           EXPECT_EQ(mr.left, entry.left);
                           EXPECT_EQ(mr.top, entry.bottom);
                           int grey = 0;
                           for (int y = 0; y < drop.height; ++y)
                             for (int x = 0; x < drop.width; ++x) grey += drop.At(x, y) == GetSysColor(COLOR_GRAYTEXT);
                           EXPECT_GT(grey, 10);
                           looked = true;
                           InjectKey(VK_ESCAPE);
                         }});
  InjectClick(MouseButton::Left, file.x, file.y);
  PumpPendingMessages();
  EXPECT_TRUE(looked);
  EXPECT_TRUE(g_commands.empty());
}

TEST_F(ScreenModalTest, PopupMenusTrackOnScreenUnlessAnAnswerWaits) {
  PopupMenuItem sep;
  sep.separator = true;
  const std::vector<PopupMenuItem> items = {
      {1, "Cut", true, false, false, 0}, sep, {2, "Copy", false, false, false, 0}, {3, "Paste", true, false, false, 0}};
  {
    // Down lands on the greyed Copy too, as menus do; Enter there would do nothing.
    ScriptedScreen screen({[] { InjectKey(VK_DOWN); }, [] { InjectKey(VK_DOWN); }, [] { InjectKey(VK_DOWN); },
                           [] { InjectKey(VK_RETURN); }});
    EXPECT_EQ(TrackPopupMenu(items, TPM_RETURNCMD, 100, 100, frame_), 3u);
    EXPECT_TRUE(screen.UsedUp());
    ASSERT_EQ(ModalPrompts().size(), 1u);  // still recorded
  }
  {
    // A queued answer comes first: nothing is shown.
    ScriptedScreen screen({});
    AnswerPopupMenu(1);
    EXPECT_EQ(TrackPopupMenu(items, TPM_RETURNCMD, 100, 100, frame_), 1u);
    EXPECT_EQ(screen.Presents(), 0);
  }
  {
    // The screen closing mid-menu chooses nothing.
    ScriptedScreen screen({});
    EXPECT_EQ(TrackPopupMenu(items, TPM_RETURNCMD, 100, 100, frame_), 0u);
    EXPECT_TRUE(screen.Closed());
  }
}

TEST_F(ScreenModalTest, MessageBoxesAreWindowsAnsweredByKeysAndTheCloseBox) {
  struct Case {
    const char* name;
    UINT type;
    std::vector<std::function<void()>> steps;
    int answer;
    bool closed;  // the script ran out first
  };
  const std::vector<Case> cases = {
      {"Enter presses the default button", MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, {[] { InjectKey(VK_RETURN); }},
       IDNO, false},
      {"Esc is Cancel", MB_YESNOCANCEL, {[] { InjectKey(VK_ESCAPE); }}, IDCANCEL, false},
      {"Tab moves the default on", MB_OKCANCEL, {[] { InjectKey(VK_TAB); }, [] { InjectKey(VK_RETURN); }}, IDCANCEL,
       false},
      {"a button's letter", MB_YESNO, {[] { InjectKey('Y'); }}, IDYES, false},
      {"the close box", MB_OKCANCEL | MB_ICONWARNING,
       {[] { const POINT p = CloseBoxOf(WindowsOfClass("QmMessageBox").at(0)); InjectClick(MouseButton::Left, p.x, p.y); }}, IDCANCEL, false},
      // Yes/No has no Cancel: Esc does nothing, and a closed screen answers No.
      {"no escape from Yes/No", MB_YESNO, {[] { InjectKey(VK_ESCAPE); }}, IDNO, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool checked = false;
    std::vector<std::function<void()>> steps = c.steps;
    steps.insert(steps.begin(), [&] {
      HWND box = WindowsOfClass("QmMessageBox").at(0);
      EXPECT_FALSE(IsWindowEnabled(frame_));
      EXPECT_EQ(GetWindowTextString(box), "Emitter");
      RECT b, f;
      GetWindowRect(box, &b);
      GetWindowRect(frame_, &f);
      EXPECT_NEAR((b.left + b.right) / 2, (f.left + f.right) / 2, 1);
      EXPECT_NEAR((b.top + b.bottom) / 2, (f.top + f.bottom) / 2, 1);
      UpdateWindow(box);
      if (c.type & MB_ICONQUESTION) {
        EXPECT_TRUE(WriteWindowToPng(box, ShotPath("message_box")));
      }
      checked = true;
    });
    ScriptedScreen screen(steps);
    EXPECT_EQ(MessageBox(frame_, "The emitter has changed.\r\nSave it before closing?", "Emitter", c.type), c.answer);
    EXPECT_TRUE(checked);
    EXPECT_EQ(screen.Closed(), c.closed);
    EXPECT_TRUE(IsWindowEnabled(frame_));
    EXPECT_TRUE(WindowsOfClass("QmMessageBox").empty());
  }
}

TEST_F(ScreenModalTest, TheCaptionMovesTheWindowAndItsCloseBoxClosesIt) {
  RECT start;
  GetWindowRect(frame_, &start);
  const POINT grip{start.left + 60, start.top + 10};
  ASSERT_EQ(SendMessage(frame_, WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), HTCAPTION);
  {
    ScriptedScreen screen({[&] { InjectMouseMove(grip.x + 30, grip.y + 5); },
                           [&] { InjectMouseMove(grip.x + 50, grip.y + 30); },
                           [&] { InjectMouseUp(MouseButton::Left, grip.x + 50, grip.y + 30); }});
    InjectMouseDown(MouseButton::Left, grip.x, grip.y);
    PumpPendingMessages();
    EXPECT_TRUE(screen.UsedUp());
  }
  RECT moved;
  GetWindowRect(frame_, &moved);
  EXPECT_EQ(moved.left - start.left, 50);
  EXPECT_EQ(moved.top - start.top, 30);
  EXPECT_EQ(GetCapture(), nullptr);
  // A press on the close box that leaves it closes nothing; one let go on it closes.
  const POINT box = CloseBoxOf(frame_);
  ASSERT_NE(box.x, 0);
  InjectMouseDown(MouseButton::Left, box.x, box.y);
  InjectMouseUp(MouseButton::Left, box.x - 100, box.y + 100);
  PumpPendingMessages();
  EXPECT_TRUE(IsWindow(frame_));
  InjectClick(MouseButton::Left, box.x, box.y);
  PumpPendingMessages();
  EXPECT_FALSE(IsWindow(frame_));
}

}  // namespace
