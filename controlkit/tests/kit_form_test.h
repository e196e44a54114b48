#pragma once
// What the window-bound kit tests share: giving the kit application's timer slots back,
// and a fixture with a borderless white 200 x 120 form.
#include <gtest/gtest.h>

#include <memory>

#include "controlkit/kit_application.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace kit_test {

// Frees every timer of the kit application: a hot button or a running countdown leaves
// its timer in the shared pool when the test ends.
inline void ReleaseKitTimers() {
  for (Integer slot = 1; slot <= kKitTimerSlots; ++slot)
    KitApplication->RemoveTimer(static_cast<Word>(kKitTimerIdBase + slot));
}

class KitFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 200, 120);
    form_->SetColor(clWhite);
  }
  void TearDown() override {
    form_.reset();
    ReleaseKitTimers();
  }

  // Delivers what is pending and paints the control's window now.
  static void Settle(TWinControl* control) {
    win::PumpPendingMessages();
    win::UpdateWindow(control->Handle());
  }
  // How many pixels of `area` (client coordinates of `control`) have colour `c`.
  static int Count(TWinControl* control, const TRect& area, TColor c) {
    const auto want = static_cast<unsigned>(ColorToRGB(c)) & 0xFFFFFFu;
    win::HDC dc = win::GetDC(control->Handle());
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if ((static_cast<unsigned>(win::GetPixel(dc, x, y)) & 0xFFFFFFu) == want) ++n;
    win::ReleaseDC(control->Handle(), dc);
    return n;
  }

  std::unique_ptr<TForm> form_;
};

}  // namespace kit_test
