#include "platform/classlib/actions.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"

namespace {

TBasicActionLink* AsLink(TObject* link) {
  auto* typed = dynamic_cast<TBasicActionLink*>(link);
  if (link && !typed) throw EInvalidOperation("Not an action link");
  return typed;
}

// What TControl asks of its action link.
TControlActionHooks ControlHooks() {
  TControlActionHooks hooks;
  hooks.CreateLink = [](TControl* client) -> TObject* { return new TControlActionLink(client); };
  hooks.SetAction = [](TObject* link, TComponent* action) {
    auto* typed = dynamic_cast<TBasicAction*>(action);
    if (action && !typed) throw CreateFmt<EInvalidOperation>("%s is not an action", action->ClassName());
    AsLink(link)->SetAction(typed);
  };
  hooks.GetAction = [](TObject* link) -> TComponent* { return AsLink(link)->Action(); };
  hooks.Execute = [](TObject* link, TControl* sender) { return AsLink(link)->Execute(sender); };
  return hooks;
}

// Form files name the classes; controls reach their actions through the hooks.
const bool kActionsRegistered = [] {
  RegisterClasses({&TActionList::StaticClass(), &TAction::StaticClass()});
  InstallActionHooks();
  return true;
}();

}  // namespace

void InstallActionHooks() { SetControlActionHooks(ControlHooks()); }

// ---- TBasicAction -----------------------------------------------------------------------------------

const TClass& TBasicAction::StaticClass() {
  static const TClass cls = TClass::Of<TBasicAction>("TBasicAction", TComponent::StaticClass());
  return cls;
}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // The links forget the action before the free notifications reach their clients, so
  // that no client calls back into an action half gone.
  for (TBasicActionLink* link : clients_) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (Value && std::find(clients_.begin(), clients_.end(), Value) == clients_.end()) clients_.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), Value), clients_.end());
}

TBasicActionLink* TBasicAction::Clients(Integer Index) const {
  if (Index < 0 || Index >= ClientCount()) throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return clients_[static_cast<std::size_t>(Index)];
}

void TBasicAction::Change() {
  // The links hear of it first, on a copy: a client may leave the action meanwhile.
  const std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
  if (OnChange) OnChange(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == actionComponent_) actionComponent_ = nullptr;
}

void TBasicAction::ForEachLink(const std::function<void(TActionLink*)>& f) {
  const std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links) {
    // A link that left during the walk is skipped.
    if (std::find(clients_.begin(), clients_.end(), link) == clients_.end()) continue;
    if (auto* typed = dynamic_cast<TActionLink*>(link)) f(typed);
  }
}

// ---- TContainedAction ---------------------------------------------------------------------------------

const TClass& TContainedAction::StaticClass() {
  static const TClass cls = TClass::Of<TContainedAction>("TContainedAction", TBasicAction::StaticClass());
  return cls;
}

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() {
  if (actionList_) actionList_->RemoveAction(this);
}

void TContainedAction::SetActionList(TActionList* Value) {
  if (actionList_ == Value) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

Integer TContainedAction::Index() const { return actionList_ ? actionList_->IndexOf(this) : -1; }

void TContainedAction::SetIndex(Integer Value) {
  if (actionList_) actionList_->MoveAction(this, Value);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TActionList*>(Value)) SetActionList(list);
}

// ---- TCustomAction ------------------------------------------------------------------------------------

const TClass& TCustomAction::StaticClass() {
  static const TClass cls = TClass::Of<TCustomAction>("TCustomAction", TContainedAction::StaticClass());
  return cls;
}

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

bool TCustomAction::Execute() {
  Update();
  if (!enabled_) return false;
  return TContainedAction::Execute();
}

// Each setter tells the links before it stores the value: a link compares its client's
// value with the action's old one to decide whether the client follows.

void TCustomAction::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetCaption(Value); });
  caption_ = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (checked_ == Value || checking_) return;
  checking_ = true;
  try {
    ForEachLink([&](TActionLink* l) { l->SetChecked(Value); });
    checked_ = Value;
    if (Value) UncheckGroup();
  } catch (...) {
    checking_ = false;
    throw;
  }
  checking_ = false;
  Change();
}

void TCustomAction::UncheckGroup() {
  if (groupIndex_ <= 0 || !ActionList()) return;
  for (Integer i = 0; i < ActionList()->ActionCount(); ++i) {
    auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
    if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
  }
}

void TCustomAction::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetEnabled(Value); });
  enabled_ = Value;
  Change();
}

void TCustomAction::SetGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (checked_) UncheckGroup();
  Change();
}

void TCustomAction::SetHelpContext(Integer Value) {
  if (helpContext_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetHelpContext(Value); });
  helpContext_ = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetHint(Value); });
  hint_ = Value;
  Change();
}

void TCustomAction::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetImageIndex(Value); });
  imageIndex_ = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetShortCut(Value); });
  shortCut_ = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (visible_ == Value) return;
  ForEachLink([&](TActionLink* l) { l->SetVisible(Value); });
  visible_ = Value;
  Change();
}

// ---- TAction ------------------------------------------------------------------------------------------

const TClass& TAction::StaticClass() {
  static const TClass cls = TClass::Of<TAction>("TAction", TCustomAction::StaticClass(), &TAction::Publish);
  return cls;
}

void TAction::Publish(TPublished& published) {
  auto p = published.For<TAction>();
  p.String("Caption", &TAction::Caption, &TAction::SetCaption).Default("");
  p.String("Category", &TAction::Category, &TAction::SetCategory).Default("");
  p.Boolean("Checked", &TAction::Checked, &TAction::SetChecked).Default(false);
  p.Boolean("Enabled", &TAction::Enabled, &TAction::SetEnabled).Default(true);
  p.Integer("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex).Default(0);
  p.Integer("HelpContext", &TAction::HelpContext, &TAction::SetHelpContext).Default(0);
  p.String("Hint", &TAction::Hint, &TAction::SetHint).Default("");
  p.Integer("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).Default(-1);
  p.Integer("ShortCut", &TAction::ShortCut, &TAction::SetShortCut).Default(0);
  p.Boolean("Visible", &TAction::Visible, &TAction::SetVisible).Default(true);
  p.Event("OnExecute", &TAction::OnExecute);
  p.Event("OnUpdate", &TAction::OnUpdate);
}

// ---- TActionList --------------------------------------------------------------------------------------

const TClass& TActionList::StaticClass() {
  static const TClass cls = TClass::Of<TActionList>("TActionList", TComponent::StaticClass(), &TActionList::Publish);
  return cls;
}

void TActionList::Publish(TPublished& published) {
  auto p = published.For<TActionList>();
  auto b = p.Component("Images", &TActionList::Images, &TActionList::SetImages);
  if (const TClass* images = GetClass("TCustomImageList")) b.Info().PropClass = images;
  p.Event("OnChange", &TActionList::OnChange);
  p.Event("OnExecute", &TActionList::OnExecute);
  p.Event("OnUpdate", &TActionList::OnUpdate);
}

TActionList::TActionList(TComponent* AOwner) : TComponent(AOwner) {}

TActionList::~TActionList() {
  while (!actions_.empty()) delete actions_.back();
}

TContainedAction* TActionList::Actions(Integer Index) const {
  if (Index < 0 || Index >= ActionCount()) throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return actions_[static_cast<std::size_t>(Index)];
}

Integer TActionList::IndexOf(const TContainedAction* Action) const {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  return it == actions_.end() ? -1 : static_cast<Integer>(it - actions_.begin());
}

bool TActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

void TActionList::SetImages(TComponent* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
}

void TActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TContainedAction* action : actions_)
    if (action->Owner() == root) proc(action);
}

void TActionList::AddAction(TContainedAction* Action) {
  actions_.push_back(Action);
  Action->actionList_ = this;
  Change();
}

void TActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  Action->actionList_ = nullptr;
  Change();
}

void TActionList::MoveAction(TContainedAction* Action, Integer NewIndex) {
  const Integer current = IndexOf(Action);
  if (current < 0 || actions_.empty()) return;
  NewIndex = std::clamp(NewIndex, 0, ActionCount() - 1);
  if (NewIndex == current) return;
  actions_.erase(actions_.begin() + current);
  actions_.insert(actions_.begin() + NewIndex, Action);
  Change();
}

void TActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

void TActionList::Change() {
  if (OnChange && !ComponentState().Contains(csDestroying)) OnChange(this);
}

// ---- links ----------------------------------------------------------------------------------------------

const TClass& TBasicActionLink::StaticClass() {
  static const TClass cls = TClass::Of<TBasicActionLink>("TBasicActionLink", TObject::StaticClass());
  return cls;
}

TBasicActionLink::TBasicActionLink(TObject* AClient) : client_(AClient) {}

TBasicActionLink::~TBasicActionLink() {
  *alive_ = false;
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (action_ == Value) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = Value;
  if (action_) action_->RegisterChanges(this);
  Change();
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  TBasicAction* action = action_;
  const std::shared_ptr<bool> alive = alive_;
  // A freed action detaches its links, so a live link still pointing at it means the
  // action lives too.
  auto done = [&] {
    if (*alive && action_ == action) action->SetActionComponent(nullptr);
  };
  action->SetActionComponent(AComponent);
  bool handled = false;
  try {
    handled = action->Execute();
  } catch (...) {
    done();
    throw;
  }
  done();
  return handled;
}

bool TBasicActionLink::Update() { return action_ ? action_->Update() : false; }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(this);
}

const TClass& TActionLink::StaticClass() {
  static const TClass cls = TClass::Of<TActionLink>("TActionLink", TBasicActionLink::StaticClass());
  return cls;
}

// ---- TControlActionLink --------------------------------------------------------------------------------

const TClass& TControlActionLink::StaticClass() {
  static const TClass cls = TClass::Of<TControlActionLink>("TControlActionLink", TActionLink::StaticClass());
  return cls;
}

const TPropInfo* TControlActionLink::CheckedProp() const {
  const TPropInfo* p = GetPropInfo(client_, "Checked");
  return p && p->Kind == pkBoolean && p->SetOrd ? p : nullptr;
}

bool TControlActionLink::Execute(TComponent* AComponent) {
  // The click a control raises while the link sets its check is the link's own doing.
  if (settingChecked_) return true;
  return TActionLink::Execute(AComponent);
}

bool TControlActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsCheckedLinked() const {
  const TPropInfo* p = CheckedProp();
  return TActionLink::IsCheckedLinked() && p && (GetOrdProp(client_, *p) != 0) == CustomAction()->Checked();
}

bool TControlActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}

bool TControlActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}

void TControlActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  settingChecked_ = true;
  try {
    SetOrdProp(client_, *CheckedProp(), Value ? 1 : 0);
  } catch (...) {
    settingChecked_ = false;
    throw;
  }
  settingChecked_ = false;
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}

void TControlActionLink::SetHelpContext(Integer Value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(Value);
}

void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) client_->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}

// ---- TMenuActionLink --------------------------------------------------------------------------------------

const TClass& TMenuActionLink::StaticClass() {
  static const TClass cls = TClass::Of<TMenuActionLink>("TMenuActionLink", TActionLink::StaticClass());
  return cls;
}

bool TMenuActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}

bool TMenuActionLink::IsCheckedLinked() const {
  return TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}

bool TMenuActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}

bool TMenuActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}

bool TMenuActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}

bool TMenuActionLink::IsImageIndexLinked() const {
  return TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}

bool TMenuActionLink::IsShortCutLinked() const {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}

bool TMenuActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

void TMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}

void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) client_->SetChecked(Value);
}

void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}

void TMenuActionLink::SetHelpContext(Integer Value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(Value);
}

void TMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) client_->SetHint(Value);
}

void TMenuActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) client_->SetImageIndex(Value);
}

void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) client_->SetShortCut(Value);
}

void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}
