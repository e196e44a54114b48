#pragma once
// The main window over a fresh host and bridge, with the host's main view as a window of
// its own; Play runs a step at every host poll of the preview loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "editor/tests/window_test_env.h"
#include "editor/editor_helpers.h"
#include "editor/main_form.h"
#include "editor/shuttle_form.h"
#include "engine/editor_state.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/tsx_module.h"
#include "panels/push_button.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

inline constexpr const char* kViewClass = "QmMainFormTestView";

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowTest();
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
    TsxModule().PluginId = 1;
    Running = false;
    Rewind = false;
    win::WNDCLASS existing;
    if (!win::GetClassInfo(nullptr, kViewClass, &existing)) {
      win::WNDCLASS wc;
      wc.lpfnWndProc = &win::DefWindowProc;
      wc.lpszClassName = kViewClass;
      win::RegisterClass(&wc);
    }
    view_ = win::CreateWindowEx(0, kViewClass, "Host", win::WS_OVERLAPPEDWINDOW | win::WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
    host::SetMainViewWindow(view_);
    dir_ = std::filesystem::temp_directory_path() /
           ("qm_main_form_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetDataFolder(dir_.string() + "/");
    form_ = new TMainForm(nullptr);
    form_->TsxPlugInit();
  }
  void TearDown() override {
    host::SetPump(nullptr);
    delete MainForm;
    EndWindowTest();
    SetDataFolder("");
    std::filesystem::remove_all(dir_);
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
  }

  void ExpectButtons(const char* Caption, TColor Color, TColor Raise) {
    for (TFpPushButton* b : {form_->PreviewButton, form_->ShuttleForm->PreviewButton}) {
      EXPECT_EQ(b->Caption(), Caption);
      EXPECT_EQ(b->Color(), Color);
      EXPECT_EQ(b->RaiseColor(), Raise);
    }
  }

  // Plays; Step runs at every host poll of the loop with the poll's number.
  void PlayWhile(const std::function<void(int)>& Step) {
    int polls = 0;
    host::SetPump([&] { Step(++polls); });
    form_->PreviewButtonClick(form_->PreviewButton);
    host::SetPump(nullptr);
  }

  win::HWND view_ = nullptr;
  std::filesystem::path dir_;
  TMainForm* form_ = nullptr;
};

