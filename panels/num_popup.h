#pragma once
// TPopupForm: the spin edit's drop-down: a frameless, top-most tool window whose window
// belongs to the desktop, shown without taking the activation from the edit's form.
#include "platform/classlib/forms.h"

class TPopupForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TPopupForm(TComponent* AOwner);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CMShowingChanged(TMessage& Message) override;
};
