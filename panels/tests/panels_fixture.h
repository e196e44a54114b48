#pragma once
// A borderless form on a manual clock, with helpers to inject the mouse and read the
// pixels of the composed window.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/forms.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

class PanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 400, 400);
    form_->SetColor(clBtnFace);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  void ShowForm() {
    form_->Show();
    win::PumpPendingMessages();
  }

  // The form as it shows, every pending paint done. Pixels are 0x00BBGGRR.
  win::WindowImage Capture() {
    win::PumpPendingMessages();
    win::UpdateWindow(form_->Handle());
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    return img;
  }
  // The form as it shows now, without painting what is pending.
  win::WindowImage CaptureAsIs() {
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    return img;
  }

  // Injected mouse input at a point of a control (its client coordinates).
  static win::POINT At(TControl* c, int x, int y) {
    TPoint p = c->ClientToScreen(TPoint{x, y});
    return win::POINT{p.x, p.y};
  }
  static void Press(TControl* c, int x, int y, win::MouseButton b = win::MouseButton::Left) {
    win::POINT p = At(c, x, y);
    win::InjectMouseMove(p.x, p.y);
    win::InjectMouseDown(b, p.x, p.y);
    win::PumpPendingMessages();
  }
  static void Release(TControl* c, int x, int y, win::MouseButton b = win::MouseButton::Left) {
    win::POINT p = At(c, x, y);
    win::InjectMouseMove(p.x, p.y);
    win::InjectMouseUp(b, p.x, p.y);
    win::PumpPendingMessages();
  }
  static void MoveTo(TControl* c, int x, int y) {
    win::POINT p = At(c, x, y);
    win::InjectMouseMove(p.x, p.y);
    win::PumpPendingMessages();
  }
  static void Click(TControl* c, int x, int y, win::MouseButton b = win::MouseButton::Left) {
    win::POINT p = At(c, x, y);
    win::InjectClick(b, p.x, p.y);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
};
