#pragma once
// TTsOwnedForm: the base of the plug-in's top-level windows. The host's main view owns
// them, so they stay above it, minimise with it and go when it goes.
//
// When the window system destroys the form's window without the form asking (the host
// closed its main view, which destroys the windows it owns), the form frees itself; a
// window the form destroys itself (RecreateWnd after a change of style) does not. The
// freeing flag makes that happen once: a second WM_DESTROY arriving while the form frees
// itself (from an OnDestroy handler, or the destruction of the window the form is still
// holding) does nothing. Such a form must be made with new: it deletes itself.
#include "platform/classlib/forms.h"

class TTsOwnedForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Binds the host functions if still unbound.
  explicit TTsOwnedForm(TComponent* AOwner);
  ~TTsOwnedForm() override;

  // Whether the form is freeing itself (or being freed).
  bool Freeing() const { return freeing_; }

 protected:
  // A top-level form's owner is the host's main view (none while the host closes). A
  // form placed inside another control stays that control's child.
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  virtual void WMDestroy(TMessage& Message);

 private:
  bool freeing_ = false;
};
