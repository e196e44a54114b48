// The thread hooks of TTsx: what the trap handlers see, what reaches the windows, and
// that each hook is installed once.
#include <stdexcept>
#include <utility>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/plug_hooks.h"
#include "hostbridge/tsx.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"

namespace {

constexpr const char* kClass = "QmPlugHooksTest";

class PlugHooksTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    win::ResetWindowSystem();
    window_ = TestWindow(kClass, win::CS_DBLCLKS, win::WS_POPUP, 100, 100);
    win::SetFocus(window_);
    win::PumpPendingMessages();
    win::SetMessageObserver([this](win::HWND h, win::UINT m, win::WPARAM, win::LPARAM) {
      if (h != window_) return;
      if ((m >= win::WM_MOUSEFIRST && m <= win::WM_MOUSELAST) || m == win::WM_KEYDOWN || m == win::WM_KEYUP)
        got_.push_back(m);
    });
  }
  void TearDown() override {
    win::SetMessageObserver(nullptr);
    win::ResetWindowSystem();
    BridgeTest::TearDown();
  }

  // A TTsx as a form would have it: properties set, then loaded.
  TTsx* LoadedTsx(bool keys, bool mouse) {
    auto* tsx = new TTsx(&root_);
    tsx->SetHookKeys(keys);
    tsx->SetHookMouse(mouse);
    tsx->Loaded();
    return tsx;
  }

  void ClickAndType() {
    win::InjectMouseMove(10, 10);
    win::InjectClick(win::MouseButton::Left, 20, 20);
    win::InjectClick(win::MouseButton::Right, 30, 30);
    win::InjectWheel(1, 30, 30);
    win::InjectKey('A');
    win::PumpPendingMessages();
  }

  // The messages the window got, only the mouse ones or only the key ones.
  std::vector<win::UINT> Received(bool mouse) const {
    std::vector<win::UINT> out;
    for (win::UINT m : got_)
      if ((m >= win::WM_MOUSEFIRST && m <= win::WM_MOUSELAST) == mouse) out.push_back(m);
    return out;
  }
  std::vector<win::UINT> MouseMessages() const { return Received(true); }
  std::vector<win::UINT> KeyMessages() const { return Received(false); }

  win::HWND window_ = nullptr;
  std::vector<win::UINT> got_;
};

}  // namespace

TEST_F(PlugHooksTest, HookMouseWithoutAHandlerSwallowsEveryMouseMessageOfTheThread) {
  LoadedTsx(false, true);
  EXPECT_NE(TsxModule().MouseHook, nullptr);
  EXPECT_EQ(TsxModule().KeyboardHook, nullptr);
  ClickAndType();
  EXPECT_TRUE(MouseMessages().empty());
  EXPECT_EQ(KeyMessages(), (std::vector<win::UINT>{win::WM_KEYDOWN, win::WM_KEYUP})) << "keys are not trapped";
}

TEST_F(PlugHooksTest, TrapMouseDecidesForEachMessage) {
  TTsx* tsx = LoadedTsx(false, true);
  std::vector<Cardinal> asked;
  std::vector<win::POINT> where;
  tsx->OnTrapMouse = [&](TPlugParam wParm, TPlugParam lParm) {
    asked.push_back(static_cast<Cardinal>(wParm));
    // The whole pointer arrives: the hook's mouse record can be read through it.
    where.push_back(reinterpret_cast<const win::MOUSEHOOKSTRUCT*>(lParm)->pt);
    return wParm == win::WM_LBUTTONDOWN || wParm == win::WM_LBUTTONUP;
  };
  ClickAndType();
  EXPECT_EQ(MouseMessages(), (std::vector<win::UINT>{win::WM_LBUTTONDOWN, win::WM_LBUTTONUP}));
  // Every mouse message of the injected input is asked about, with its number.
  EXPECT_EQ(asked,
            (std::vector<Cardinal>{win::WM_MOUSEMOVE, win::WM_MOUSEMOVE, win::WM_LBUTTONDOWN, win::WM_LBUTTONUP,
                                   win::WM_MOUSEMOVE, win::WM_RBUTTONDOWN, win::WM_RBUTTONUP, win::WM_MOUSEWHEEL}));
  ASSERT_EQ(where.size(), asked.size());
  EXPECT_EQ(where[1], where[2]) << "the press is where the mouse moved to";
  EXPECT_NE(where[0], where[1]);

  // A handler that raises lets the message through rather than taking the mouse away.
  got_.clear();
  tsx->OnTrapMouse = [](TPlugParam, TPlugParam) -> bool { throw std::runtime_error("handler failed"); };
  win::InjectClick(win::MouseButton::Left, 20, 20);
  win::PumpPendingMessages();
  EXPECT_EQ(MouseMessages(), (std::vector<win::UINT>{win::WM_MOUSEMOVE, win::WM_LBUTTONDOWN, win::WM_LBUTTONUP}));
}

TEST_F(PlugHooksTest, TrapKeySeesTheKeyMessagesParametersAndTheKeyStillArrives) {
  TTsx* tsx = LoadedTsx(true, false);
  std::vector<std::pair<TPlugParam, TPlugParam>> seen;
  tsx->OnTrapKey = [&](TPlugParam wParm, TPlugParam lParm) { seen.emplace_back(wParm, lParm); };
  win::InjectKey(win::VK_ESCAPE);
  win::PumpPendingMessages();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, static_cast<TPlugParam>(win::VK_ESCAPE));
  EXPECT_EQ(seen[0].second & 0xFFFF, 1u) << "repeat count";
  EXPECT_EQ(seen[0].second & 0x80000000u, 0u) << "a press";
  EXPECT_EQ(seen[1].first, static_cast<TPlugParam>(win::VK_ESCAPE));
  EXPECT_EQ(seen[1].second & 0xC0000000u, 0xC0000000u) << "a release of a key that was down";
  EXPECT_EQ(KeyMessages(), (std::vector<win::UINT>{win::WM_KEYDOWN, win::WM_KEYUP}));

  // A handler that raises does not stop the key.
  got_.clear();
  tsx->OnTrapKey = [](TPlugParam, TPlugParam) { throw std::runtime_error("handler failed"); };
  win::InjectKey('B');
  win::PumpPendingMessages();
  EXPECT_EQ(KeyMessages(), (std::vector<win::UINT>{win::WM_KEYDOWN, win::WM_KEYUP}));
}

TEST_F(PlugHooksTest, EachHookIsInstalledOnceAndTheLastTsxHandlesTheTraps) {
  TTsx* first = LoadedTsx(true, true);
  void* keyboard = TsxModule().KeyboardHook;
  void* mouse = TsxModule().MouseHook;
  TTsx* second = LoadedTsx(true, true);
  EXPECT_EQ(TsxModule().KeyboardHook, keyboard);
  EXPECT_EQ(TsxModule().MouseHook, mouse);

  int firstKeys = 0;
  int secondKeys = 0;
  first->OnTrapKey = [&](TPlugParam, TPlugParam) { ++firstKeys; };
  second->OnTrapKey = [&](TPlugParam, TPlugParam) { ++secondKeys; };
  second->OnTrapMouse = [](TPlugParam, TPlugParam) { return true; };
  ClickAndType();
  EXPECT_EQ(firstKeys, 0);
  EXPECT_EQ(secondKeys, 2) << "one hook: each key message is seen once";
  EXPECT_FALSE(MouseMessages().empty());

  // With the trapping TTsx gone there is no handler: keys pass, the mouse is swallowed.
  delete second;
  got_.clear();
  ClickAndType();
  EXPECT_EQ(firstKeys, 0);
  EXPECT_TRUE(MouseMessages().empty());
  EXPECT_EQ(KeyMessages(), (std::vector<win::UINT>{win::WM_KEYDOWN, win::WM_KEYUP}));

  // A TTsx without HookKeys or HookMouse installs nothing.
  TsxModule().KeyboardHook = nullptr;
  TsxModule().MouseHook = nullptr;
  win::ResetWindowSystem();
  LoadedTsx(false, false);
  EXPECT_EQ(TsxModule().KeyboardHook, nullptr);
  EXPECT_EQ(TsxModule().MouseHook, nullptr);
}
