// The module as built, loaded, used, unloaded and loaded again: whatever it registered
// with the window system (windows, classes, timers, hooks, procedure instances, GDI
// objects) is gone after each unload, and nothing it left behind runs once it is gone.
// Under the sanitizers the leak checker sees everything the module made.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "apps/hostsim/desktop/host_controls.h"
#include "apps/hostsim/module_session.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/usage_counts.h"
#include "platform/win/window.h"

#ifdef QM_QUILLMOTH_MODULE

namespace {

std::string ClassOf(win::HWND h) {
  char name[64] = {};
  win::GetClassName(h, name, sizeof name);
  return name;
}

win::HWND TopLevelOfClass(const std::string& cls, bool visibleOnly = false) {
  win::HWND found = nullptr;
  win::EnumWindows([&](win::HWND h) {
    if (ClassOf(h) != cls || (visibleOnly && !win::IsWindowVisible(h))) return true;
    found = h;
    return false;
  });
  return found;
}

win::HWND ChildOfClass(win::HWND parent, const std::string& cls) {
  win::HWND found = nullptr;
  win::EnumChildWindows(parent, [&](win::HWND h) {
    if (ClassOf(h) != cls) return true;
    found = h;
    return false;
  });
  return found;
}

// A point of a window's client area on the screen.
win::POINT OnScreen(win::HWND h, int x, int y) {
  win::POINT p{x, y};
  win::ClientToScreen(h, &p);
  return p;
}

class ModuleLifetimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    win::ClearModalAnswers();
    win::UseManualClock(1000);
    host::SetPump([this] {
      win::PumpPendingMessages();
      if (onPoll_) onPoll_(++polls_);
    });
    // The host's main view, which owns the plug-in's windows; its class is the host's.
    viewClass_ = hostui::RegisterHostClass("HostHiddenView", &win::DefWindowProc);
    before_ = win::CurrentUsageCounts();
    view_ = win::CreateWindowEx(0, viewClass_, "view", win::WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                                nullptr);
    host::SetMainViewWindow(view_);
    host::SetViewWindow(view_);
  }
  void TearDown() override {
    onPoll_ = nullptr;
    if (win::IsWindow(view_)) win::DestroyWindow(view_);
    host::Reset();
    host::SetPump([] { win::PumpPendingMessages(); });
    win::ClearModalAnswers();
    win::UseRealClock();
  }

  void Move(win::POINT p) {
    win::InjectMouseMove(p.x, p.y);
    win::PumpPendingMessages();
  }

  // Runs the preview from the Play button until the host's abort check has said no
  // `checks` times.
  void Play(win::HWND mainForm, int checks) {
    host::ScriptAbort(checks);
    const win::POINT play = OnScreen(mainForm, 34, 15);
    win::InjectClick(win::MouseButton::Left, play.x, play.y);
    win::PumpPendingMessages();
    host::ScriptAbort(-1);
  }

  // What a person does with the editor: the icon, a new emitter, the mouse over the kit's
  // hot-tracking button, a rest on Play until its hint shows, the tree's context menu,
  // a preview and a render.
  void UseTheEditor(ModuleSession& module) {
    module.ClickIcon();
    module.RunCommand("File/New Emitter");
    const win::HWND mainForm = TopLevelOfClass("TMainForm", true);
    ASSERT_NE(mainForm, nullptr) << "the icon shows the editor";
    const int windowsBeforeHover = win::CurrentUsageCounts().windows;
    Move(OnScreen(mainForm, 300, 15));
    Move(OnScreen(mainForm, 384, 15));  // the shrink button tracks the mouse with the kit's timer pool
    EXPECT_GT(win::CurrentUsageCounts().windows, windowsBeforeHover) << "the pool's window";
    Move(OnScreen(mainForm, 34, 15));
    win::AdvanceClock(2000);
    win::PumpPendingMessages();
    EXPECT_NE(TopLevelOfClass("THintWindow", true), nullptr) << "Play's hint shows";

    const win::HWND tree = ChildOfClass(mainForm, "TTreeView");
    ASSERT_NE(tree, nullptr);
    win::RECT r;
    win::GetWindowRect(tree, &r);
    // The context menu's choice reaches the editor through the popup list's window, whose
    // procedure must be this copy's.
    win::SetModalStandingAnswer([](const win::ModalPrompt& p) -> std::optional<win::ModalAnswer> {
      for (const win::PopupMenuItem& item : p.items) {
        std::string caption = item.caption;
        std::erase(caption, '&');
        if (p.kind != win::ModalKind::PopupMenu || caption != "New Emitter") continue;
        win::ModalAnswer a;
        a.kind = win::ModalKind::PopupMenu;
        a.result = static_cast<int>(item.id);
        return a;
      }
      return std::nullopt;
    });
    const std::size_t nodes = host::TopLevelNodes().size();
    win::InjectClick(win::MouseButton::Right, (r.left + r.right) / 2, r.top + 8);
    win::PumpPendingMessages();
    win::SetModalStandingAnswer(nullptr);
    EXPECT_EQ(host::TopLevelNodes().size(), nodes + 1) << "the context menu's New Emitter ran";

    Play(mainForm, 20);
    EXPECT_TRUE(host::Render(1));
  }

  const char* viewClass_ = nullptr;
  win::HWND view_ = nullptr;
  win::UsageCounts before_;
  int polls_ = 0;
  std::function<void(int)> onPoll_;
};

}  // namespace

TEST_F(ModuleLifetimeTest, EachUnloadLeavesTheWindowSystemAsTheFirstLoadFoundIt) {
  for (int cycle = 1; cycle <= 2; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    {
      ModuleSession module(QM_QUILLMOTH_MODULE);
      UseTheEditor(module);
    }
    // Timers or procedures left behind would run unloaded code here.
    win::AdvanceClock(5000);
    win::PumpPendingMessages();
    win::UsageCounts after = win::CurrentUsageCounts();
    after.windows -= 1;  // the host's view
    EXPECT_EQ(after, before_);
  }
}

TEST_F(ModuleLifetimeTest, TheHostClosingItsViewDuringPlayThenUnloading) {
  {
    ModuleSession module(QM_QUILLMOTH_MODULE);
    module.ClickIcon();
    module.RunCommand("File/New Emitter");
    const win::HWND mainForm = TopLevelOfClass("TMainForm", true);
    ASSERT_NE(mainForm, nullptr);
    onPoll_ = [this](int poll) {
      if (poll == 3 && win::IsWindow(view_)) win::DestroyWindow(view_);
    };
    // The loop ends because the form is cut off; the abort check is only a backstop.
    Play(mainForm, 500);
    EXPECT_FALSE(win::IsWindow(mainForm));
    onPoll_ = nullptr;
    EXPECT_EQ(win::CurrentUsageCounts().timers, before_.timers + 1) << "the form waits for the queue to free it";
    // Unloaded before the queue frees the form.
  }
  win::AdvanceClock(5000);
  win::PumpPendingMessages();
  EXPECT_EQ(win::CurrentUsageCounts(), before_);
}

#else

TEST(ModuleLifetimeTest, NeedsTheBuiltModule) { GTEST_SKIP() << "the plug-in module is not part of this build"; }

#endif
