#pragma once
// TFpPushButton: a flat, self-drawn push button without a window: a coloured face with a
// lighter raised edge at the top and left, a black edge at the right and bottom, a black
// outline and a centred caption; a press draws it sunk.
//
// Enabled is the button's own switch: a disabled button still gets the mouse but draws
// nothing on a press and fires none of its events.
#include <string>

#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

class TFpPushButton : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TFpPushButton(TComponent* AOwner);

  // Getting a parent sets the caption to the component's name.
  void SetParent(TWinControl* value) override;

  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& value);
  void SetColor(TColor value);
  TColor RaiseColor() const { return raiseColor_; }
  void SetRaiseColor(TColor value);
  bool Enabled() const { return buttonEnabled_; }
  void SetEnabled(bool value) override;

  void Click() override;

  TNotifyEvent OnMouseLeave;

  // The two looks, drawn on the control's canvas.
  void DrawRaised();
  void DrawSunk();

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  // Where the caption goes in the raised look.
  TPoint CaptionOrigin(TCanvas* canvas);
  void DrawCaption(TCanvas* canvas, Integer dx, Integer dy);

  TColor raiseColor_ = static_cast<TColor>(0xD7A28A);
  bool buttonEnabled_ = true;
};
