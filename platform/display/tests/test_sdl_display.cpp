// The screen under SDL's dummy video driver: SDL events become the window system's
// messages, and the presented picture is the desktop with its windows in z-order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/display/sdl_display.h"
#include "platform/display/sdl_input.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

using namespace win;

namespace {

constexpr int kW = 160, kH = 120;

const char* SolidClass(const char* name, COLORREF c) {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, name, &existing)) return name;
  WNDCLASS wc;
  wc.lpfnWndProc = &DefWindowProc;
  wc.lpszClassName = name;
  wc.hbrBackground = CreateSolidBrush(c);
  RegisterClass(&wc);
  return name;
}

std::uint32_t Native(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

class SdlDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  void SetUp() override {
    ResetWindowSystem();
    display_ = std::make_unique<display::SdlDisplay>(kW, kH, "test");
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    display_.reset();
    ResetWindowSystem();
  }
  HWND Popup(const char* cls, int x, int y, int w, int h, bool visible = true) {
    return CreateWindowEx(0, cls, "", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w, h, nullptr, nullptr, nullptr,
                          nullptr);
  }
  std::unique_ptr<display::SdlDisplay> display_;
};

TEST_F(SdlDisplayTest, InstallsItselfAndSizesTheScreen) {
  EXPECT_EQ(GetDisplayHooks(), display_.get());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), kW);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), kH);
  display_.reset();
  EXPECT_EQ(GetDisplayHooks(), nullptr);
}

TEST_F(SdlDisplayTest, PresentsTheDesktopWithWindowsInZOrder) {
  const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 210), green = RGB(0, 190, 0);
  const HWND lower = Popup(SolidClass("QmDispRed", red), 10, 10, 60, 40);
  Popup(SolidClass("QmDispBlue", blue), 40, 20, 60, 40);  // created later: on top
  Popup(SolidClass("QmDispGreen", green), 0, 80, 30, 30, false);
  PumpPendingMessages();
  display_->Present();
  const std::uint32_t desk = Native(GetSysColor(COLOR_DESKTOP));
  struct Probe {
    int x, y;
    std::uint32_t want;
  };
  auto check = [&](const std::vector<Probe>& probes) {
    const std::vector<std::uint32_t> shown = display_->ShownPixels();
    ASSERT_EQ(shown.size(), std::size_t{kW} * kH);
    for (const Probe& p : probes) {
      SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
      EXPECT_EQ(shown[static_cast<std::size_t>(p.y) * kW + p.x], p.want);
    }
  };
  check({{5, 5, desk},
         {10, 10, Native(red)},
         {39, 25, Native(red)},
         {40, 25, Native(blue)},
         {69, 49, Native(blue)},
         {99, 59, Native(blue)},
         {100, 59, desk},
         {5, 90, desk}});  // hidden
  // Raising the lower window changes the overlap on the next present.
  SetWindowPos(lower, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PumpPendingMessages();
  display_->Present();  // within the refresh: not yet
  check({{40, 25, Native(blue)}});
  SDL_Delay(20);
  display_->Present();
  check({{40, 25, Native(red)}, {69, 49, Native(red)}, {70, 49, Native(blue)}});
}

TEST_F(SdlDisplayTest, SdlEventsArriveAsTheWindowSystemsMessages) {
  const HWND w = Popup(SolidClass("QmDispRed", RGB(200, 0, 0)), 20, 30, 100, 60);
  SetFocus(w);
  PumpPendingMessages();
  struct Got {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    bool operator==(const Got&) const = default;
  };
  std::vector<Got> got;
  SetMessageObserver([&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
    const bool key = m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR;
    // Key messages carry repeat counts and scan codes: only mouse positions are pinned.
    if (h == w && (key || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN || m == WM_MOUSEMOVE ||
                   m == WM_MOUSEWHEEL))
      got.push_back({m, wp, key ? 0 : lp});
  });
  // One builder for every event the cases need: `a` is the button, key or wheel step.
  auto ev = [](Uint32 type, int a = 0, int x = 0, int y = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
      e.motion.x = x;
      e.motion.y = y;
    } else if (type == SDL_MOUSEWHEEL) {
      e.wheel.y = a;
    } else if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
      e.key.keysym.sym = a;
    } else {
      e.button.button = static_cast<Uint8>(a);
      e.button.x = x;
      e.button.y = y;
    }
    return e;
  };
  struct Case {
    SDL_Event in;
    std::vector<Got> want;
  };
  const std::vector<Case> cases = {
      {ev(SDL_MOUSEMOTION, 0, 25, 41), {{WM_MOUSEMOVE, 0, MAKELPARAM(5, 11)}}},
      {ev(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 30, 50), {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)}}},
      {ev(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 30, 50), {{WM_LBUTTONUP, 0, MAKELPARAM(10, 20)}}},
      {ev(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 119, 89), {{WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(99, 59)}}},
      {ev(SDL_MOUSEWHEEL, -2), {{WM_MOUSEWHEEL, MAKEWPARAM(MK_RBUTTON, -2 * WHEEL_DELTA), MAKELPARAM(119, 89)}}},
      {ev(SDL_KEYDOWN, SDLK_a), {{WM_KEYDOWN, 'A', 0}, {WM_CHAR, 'a', 0}}},
      {ev(SDL_KEYDOWN, SDLK_PERIOD), {{WM_KEYDOWN, VK_OEM_PERIOD, 0}, {WM_CHAR, '.', 0}}},
      {ev(SDL_KEYDOWN, SDLK_ESCAPE), {{WM_KEYDOWN, VK_ESCAPE, 0}, {WM_CHAR, 27, 0}}},
      {ev(SDL_KEYDOWN, SDLK_F13), {}},  // no code for it: nothing
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    got.clear();
    SDL_Event e = cases[i].in;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    display_->PumpEvents(0);
    PumpPendingMessages();
    EXPECT_TRUE(got == cases[i].want);
  }
  EXPECT_TRUE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
  // A key let go soon after its press stays down a while (a loop polling the key state
  // sees it); what follows the release waits with it, in order.
  for (SDL_Event e : {ev(SDL_KEYUP, SDLK_a), ev(SDL_KEYDOWN, SDLK_c)}) SDL_PushEvent(&e);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    if (pass == 1) SDL_Delay(120);
    display_->PumpEvents(0);
    EXPECT_EQ((GetAsyncKeyState('A') & 0x8000) != 0, pass == 0);
    EXPECT_EQ((GetAsyncKeyState('C') & 0x8000) != 0, pass == 1);
  }
  EXPECT_FALSE(display_->QuitRequested());
  SDL_Event quit = ev(SDL_QUIT);
  SDL_PushEvent(&quit);
  display_->PumpEvents(0);
  EXPECT_TRUE(display_->QuitRequested());
}

}  // namespace
