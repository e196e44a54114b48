#pragma once
// THintWindow: the small pop-up window a hint shows in. It is a top-level tool window
// without a caption that never takes the activation; the application moves it under the
// cursor and hides it again (there is no thread watching the mouse: the application's
// mouse tracking and its timer end the hint).
#include <string>

#include "platform/classlib/win_control.h"

class THintWindow : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit THintWindow(TComponent* AOwner);

  // Shows the hint text in `Rect` (screen coordinates), kept on the screen.
  virtual void ActivateHint(TRect Rect, const std::string& AHint);
  // The rectangle the text needs at most MaxWidth wide, from (0, 0).
  virtual TRect CalcHintRect(Integer MaxWidth, const std::string& AHint);
  // Hides the window (the window stays for the next hint).
  void ReleaseHandle();
  // Whether the window shows now.
  bool IsShowing() const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};
