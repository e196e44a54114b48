#include "hostbridge/tsx.h"

#include "hostbridge/owner_form.h"
#include "hostbridge/plug_hooks.h"

const TClass& TTsx::StaticClass() {
  static const TClass cls = TClass::Of<TTsx>("TTsx", TComponent::StaticClass(), &TTsx::Publish);
  return cls;
}

void TTsx::Publish(TPublished& published) {
  auto p = published.For<TTsx>();
  p.String("Title", &TTsx::Title, &TTsx::SetTitle);
  p.String("Author", &TTsx::Author, &TTsx::SetAuthor);
  p.Integer("ResBmpId", &TTsx::ResBmpId, &TTsx::SetResBmpId);
  p.Integer("ResStringId", &TTsx::ResStringId, &TTsx::SetResStringId);
  p.Integer("ApiVersionNeeded", &TTsx::ApiVersionNeeded, &TTsx::SetApiVersionNeeded);
  p.Boolean("HookKeys", &TTsx::HookKeys, &TTsx::SetHookKeys).Default(false);
  p.Boolean("HookMouse", &TTsx::HookMouse, &TTsx::SetHookMouse).Default(false);
  p.Integer("PluginId", &TTsx::PluginId).Stored(false);
  p.Event("OnPlugInit", &TTsx::OnPlugInit);
  p.Event("OnLeftClick", &TTsx::OnLeftClick);
  p.Event("OnRightClick", &TTsx::OnRightClick);
  p.Event("OnDeactivate", &TTsx::OnDeactivate);
  p.Event("OnTrapKey", &TTsx::OnTrapKey);
  p.Event("OnTrapMouse", &TTsx::OnTrapMouse);
}

TTsx::TTsx(TComponent* AOwner) : TComponent(AOwner) {
  if (IsForm(AOwner)) ownerForm_ = AOwner;
  TTsxModuleState& s = TsxModule();
  if (ComponentState().Contains(csDesigning)) {
    title_ = s.Title;
    author_ = s.Author;
    resBmpId_ = s.ResBmpId;
    resStringId_ = s.ResStringId;
    apiVersionNeeded_ = s.ApiVersion;
  } else {
    BindHostFunctions();
  }
  s.PlugInit = nullptr;
  s.TrapHandlers = this;
}

TTsx::~TTsx() {
  // The hooks must not reach a freed component.
  TTsxModuleState& s = TsxModule();
  if (s.TrapHandlers == this) s.TrapHandlers = nullptr;
}

void TTsx::Loaded() {
  TComponent::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  TTsxModuleState& s = TsxModule();
  s.Title = title_;
  s.Author = author_;
  s.ApiVersion = apiVersionNeeded_;
  s.PlugInit = OnPlugInit;
  s.LeftClick = OnLeftClick;
  s.RightClick = OnRightClick;
  s.Deactivate = OnDeactivate;
  if (hookKeys_ || hookMouse_) InstallPlugHooks(hookKeys_, hookMouse_);
}

void TTsx::SetResBmpId(Integer value) {
  resBmpId_ = value;
  TsxModule().ResBmpId = value;
}

void TTsx::SetResStringId(Integer value) {
  resStringId_ = value;
  TsxModule().ResStringId = value;
}

Integer TTsx::PluginId() const { return TsxModule().PluginId; }
