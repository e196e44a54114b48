// The control window: its resource, and its buttons reaching the main window's
// transport through the links (and nothing without them).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controlkit/kit_speed_button.h"
#include "controlkit/kit_status_bar.h"
#include "editor/editor_links.h"
#include "editor/shuttle_form.h"
#include "panels/push_button.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"

namespace {

class ShuttleFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    host::Reset();
    win::WNDCLASS existing;
    if (!win::GetClassInfo(nullptr, "QmShuttleTestView", &existing)) {
      win::WNDCLASS wc;
      wc.lpfnWndProc = &win::DefWindowProc;
      wc.lpszClassName = "QmShuttleTestView";
      win::RegisterClass(&wc);
    }
    // The host's main view owns the plug-in's windows.
    host::SetMainViewWindow(win::CreateWindowEx(0, "QmShuttleTestView", "Host", win::WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                                600, nullptr, nullptr, nullptr, nullptr));
    EditorLinks() = TEditorLinks{};
    form_ = new TShuttleForm(nullptr);
  }
  void TearDown() override {
    delete form_;
    EditorLinks() = TEditorLinks{};
    win::ResetWindowSystem();
    win::UseRealClock();
    host::Reset();
  }
  void Click(TControl* c) {
    TPoint s = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
    win::InjectClick(win::MouseButton::Left, s.x, s.y);
    win::PumpPendingMessages();
  }

  TShuttleForm* form_ = nullptr;
};

}  // namespace

TEST_F(ShuttleFormTest, TheResourceGivesASmallToolWindowWithPlainStatusBar) {
  EXPECT_EQ(form_->Caption(), "ZOVK Control");
  EXPECT_EQ(form_->ClientWidth(), 182);
  EXPECT_EQ(form_->ClientHeight(), 49);
  EXPECT_EQ(form_->BorderStyle(), bsToolWindow);
  EXPECT_EQ(form_->PreviewButton->Caption(), "Play");
  EXPECT_EQ(form_->PreviewButton->Color(), 32768);
  EXPECT_EQ(form_->RewindButton->Caption(), "Rewind");
  EXPECT_FALSE(form_->StatusBar->OldStyle());
  EXPECT_FALSE(form_->StatusBar->SizeGrip());
}

TEST_F(ShuttleFormTest, ButtonsRunTheMainWindowsTransportThroughTheLinks) {
  form_->SetBounds(100, 100, 190, 80);
  form_->Show();
  // Unlinked, a click does nothing (and does not fail).
  Click(form_->PreviewButton);
  Click(form_->RewindButton);

  std::vector<std::string> calls;
  EditorLinks().PlayClick = [&](TObject* Sender) { calls.push_back(Sender == form_->PreviewButton ? "play" : "?"); };
  EditorLinks().RewindClick = [&](TObject* Sender) {
    calls.push_back(Sender == form_->RewindButton ? "rewind" : "?");
  };
  Click(form_->PreviewButton);
  Click(form_->RewindButton);
  Click(form_->PreviewButton);
  EXPECT_EQ(calls, (std::vector<std::string>{"play", "rewind", "play"}));
}

TEST_F(ShuttleFormTest, GrowWithoutAMainWindowKeepsTheControlWindow) {
  form_->Show();
  form_->GrowButtonClick(form_->GrowButton);
  EXPECT_TRUE(form_->Visible());
}
