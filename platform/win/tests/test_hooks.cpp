// Thread hooks of the mouse and the keyboard: swallowing, the chain, unhooking.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/hooks.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_info.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kClass = "QmHooksTest";

struct HookSeen {
  int hook;
  WPARAM w;
  HWND hwnd;
  UINT hit;
};

std::vector<HookSeen> g_seen;
LRESULT g_firstAnswer = 0;
LRESULT g_secondAnswer = 0;
HHOOK g_first = nullptr;
HHOOK g_second = nullptr;

// Swallows every mouse message, as a plug-in mouse trap without a handler does.
LRESULT SwallowMouse(int code, WPARAM w, LPARAM l) {
  const auto* mh = reinterpret_cast<const MOUSEHOOKSTRUCT*>(l);
  g_seen.push_back({0, w, mh->hwnd, mh->wHitTestCode});
  if (code < 0) return CallNextHookEx(nullptr, code, w, l);
  return 1;
}

LRESULT First(int code, WPARAM w, LPARAM l) {
  g_seen.push_back({1, w, nullptr, 0});
  if (g_firstAnswer) return g_firstAnswer;
  return CallNextHookEx(g_first, code, w, l);
}

LRESULT Second(int code, WPARAM w, LPARAM l) {
  g_seen.push_back({2, w, nullptr, 0});
  if (g_secondAnswer) return g_secondAnswer;
  return CallNextHookEx(g_second, code, w, l);
}

std::vector<std::pair<WPARAM, DWORD>> g_keys;
LRESULT KeyTrap(int code, WPARAM w, LPARAM l) {
  g_keys.push_back({w, static_cast<DWORD>(l)});
  if (code >= 0 && w == 'X') return 1;  // swallow X
  return CallNextHookEx(nullptr, code, w, l);
}

class HooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    g_seen.clear();
    g_keys.clear();
    g_firstAnswer = g_secondAnswer = 0;
    EnsureTestClass(kClass, &DefWindowProc, CS_DBLCLKS);
    window_ = CreateWindowEx(0, kClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SetFocus(window_);
    PumpPendingMessages();
    SetMessageObserver([this](HWND, UINT m, WPARAM, LPARAM) {
      if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_KEYFIRST && m <= WM_KEYLAST)) got_.push_back(m);
    });
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
  }
  HWND window_ = nullptr;
  std::vector<UINT> got_;
};

TEST_F(HooksTest, AMouseHookThatAnswersNonZeroSwallowsEveryMouseMessage) {
  HHOOK h = SetWindowsHookExA(WH_MOUSE, &SwallowMouse, nullptr, GetCurrentThreadId());
  ASSERT_NE(h, nullptr);
  InjectDoubleClick(MouseButton::Left, 10, 10);
  InjectWheel(WHEEL_DELTA, 10, 10);
  InjectKey('A');
  PumpPendingMessages();
  // The window saw the keys only.
  EXPECT_EQ(got_, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  std::vector<WPARAM> hooked;
  for (const HookSeen& s : g_seen) hooked.push_back(s.w);
  EXPECT_EQ(hooked, (std::vector<WPARAM>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                         WM_MOUSEWHEEL}));
  EXPECT_EQ(g_seen[1].hwnd, window_);
  EXPECT_EQ(g_seen[1].hit, static_cast<UINT>(HTCLIENT));

  EXPECT_TRUE(UnhookWindowsHookEx(h));
  EXPECT_FALSE(UnhookWindowsHookEx(h));
  got_.clear();
  InjectClick(MouseButton::Left, 10, 10);
  PumpPendingMessages();
  EXPECT_EQ(got_, (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(HooksTest, TheNewestHookRunsFirstAndPassesOnThroughTheChain) {
  g_second = SetWindowsHookExA(WH_MOUSE, &Second, nullptr, 0);
  g_first = SetWindowsHookExA(WH_MOUSE, &First, nullptr, 0);
  InjectMouseMove(5, 5);
  PumpPendingMessages();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].hook, 1);
  EXPECT_EQ(g_seen[1].hook, 2);
  EXPECT_EQ(got_, (std::vector<UINT>{WM_MOUSEMOVE}));

  // The end of the chain swallows: so does the whole chain.
  g_seen.clear();
  got_.clear();
  g_secondAnswer = 1;
  InjectMouseMove(6, 5);
  PumpPendingMessages();
  EXPECT_EQ(g_seen.size(), 2u);
  EXPECT_TRUE(got_.empty());

  // The first hook answering at once keeps the second from running.
  g_seen.clear();
  g_firstAnswer = 1;
  InjectMouseMove(7, 5);
  PumpPendingMessages();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].hook, 1);

  UnhookWindowsHookEx(g_first);
  g_seen.clear();
  InjectMouseMove(8, 5);
  PumpPendingMessages();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].hook, 2);
  EXPECT_EQ(CallNextHookEx(g_second, HC_ACTION, 0, 0), 0);  // nothing after the last
}

TEST_F(HooksTest, KeyboardHookSeesKeyAndFlagsAndCanSwallowAKey) {
  ASSERT_NE(SetWindowsHookExA(WH_KEYBOARD, &KeyTrap, nullptr, 0), nullptr);
  InjectKey('X');
  InjectKey('Y');
  PumpPendingMessages();
  // X is gone, with the character it would have typed; Y arrives.
  EXPECT_EQ(got_, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  ASSERT_EQ(g_keys.size(), 4u);
  EXPECT_EQ(g_keys[0].first, WPARAM{'X'});
  EXPECT_EQ(g_keys[0].second >> 31, 0u);
  EXPECT_EQ(g_keys[1].second >> 31, 1u);  // release
  EXPECT_EQ(g_keys[2].first, WPARAM{'Y'});
}

TEST_F(HooksTest, OnlyTheKeyboardAndMouseHooksOfThisThreadAreOffered) {
  EXPECT_EQ(SetWindowsHookExA(3, &KeyTrap, nullptr, 0), nullptr);
  EXPECT_EQ(SetWindowsHookExA(WH_MOUSE, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(SetWindowsHookExA(WH_MOUSE, &SwallowMouse, nullptr, GetCurrentThreadId() + 1), nullptr);
  // Hooks go with a reset of the window system.
  HHOOK h = SetWindowsHookExA(WH_MOUSE, &SwallowMouse, nullptr, 0);
  ResetWindowSystem();
  EXPECT_FALSE(UnhookWindowsHookEx(h));
}

}  // namespace
