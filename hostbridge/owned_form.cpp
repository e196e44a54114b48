#include "hostbridge/owned_form.h"

#include "hostbridge/owner_form.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/class_registry.h"

namespace {

bool IsCustomForm(const TComponent* component) { return dynamic_cast<const TCustomForm*>(component) != nullptr; }

// TTsx remembers its owner when it is a form; this is where the bridge learns what a
// form is.
void KnowForms() { SetIsFormPredicate(&IsCustomForm); }

const bool kOwnedFormRegistered = [] {
  RegisterClass(TTsOwnedForm::StaticClass());
  KnowForms();
  return true;
}();

}  // namespace

const TClass& TTsOwnedForm::StaticClass() {
  static const TClass cls = TClass::Of<TTsOwnedForm>("TTsOwnedForm", TForm::StaticClass());
  return cls;
}

TTsOwnedForm::TTsOwnedForm(TComponent* AOwner) : TForm(AOwner) {
  KnowForms();
  BindHostFunctions();
}

TTsOwnedForm::~TTsOwnedForm() {
  // From here on the form is going, whoever frees it: a WM_DESTROY must not free it again.
  freeing_ = true;
}

void TTsOwnedForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  if (!Parent()) Params.WndParent = static_cast<win::HWND>(MainViewHwnd());
}

void TTsOwnedForm::Dispatch(TMessage& Message) {
  if (Message.Msg == win::WM_DESTROY)
    WMDestroy(Message);
  else
    TForm::Dispatch(Message);
}

void TTsOwnedForm::WMDestroy(TMessage& Message) {
  TForm::Dispatch(Message);
  // The form destroying its own window (to make it again after a change of style, or
  // because its parent destroys its windows) is no reason to free it.
  if (freeing_ || ControlState().Contains(csDestroyingHandle)) return;
  freeing_ = true;
  // OnDestroy runs while the form is whole, as when it is released.
  BeforeDestruction();
  delete this;
}
