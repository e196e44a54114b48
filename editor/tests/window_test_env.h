#pragma once
// The window system as every editor test starts and leaves it: fresh, on the manual
// clock, and a modal that finds no scripted answer fails the test.
#include <gtest/gtest.h>

#include <string>

#include "platform/win/clock.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

inline void StartWindowTest() {
  win::ResetWindowSystem();
  win::UseManualClock(1000, 0);
  win::ClearModalAnswers();
  win::SetModalFailureHandler([](const std::string& why) { ADD_FAILURE() << "modal: " << why; });
}

inline void EndWindowTest() {
  win::SetModalFailureHandler(nullptr);
  win::ClearModalAnswers();
  win::ResetWindowSystem();
  win::UseRealClock();
}
