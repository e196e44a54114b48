#pragma once
// Actions: commands that several clients share — a menu item, a button, a check box —
// with one caption, check, enabled state and handler.
//
// A client reaches its action through an action link. The action tells its links of every
// change of a shared value; a link passes the change on only while the client still shows
// the action's old value (a client whose caption was changed by hand keeps its own). After
// the new value is stored, every link's OnChange fires too, for what a client takes from
// the action as a whole (a button's image, say).
// Clicking a client executes the action: TCustomAction::Execute lets the action update
// itself first (OnUpdate), does nothing while it is disabled, then offers the execution to
// its action list (OnExecute of the list, which may handle it) and finally runs its own
// OnExecute.
//
// Actions with the same GroupIndex (> 0) in one action list are exclusive: checking one
// unchecks the others.
//
// This unit installs the control action hooks (controls.h): linking it makes Action work
// on every control. Check boxes and buttons follow the action's check through their
// published "Checked" property.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/menus.h"

class TBasicActionLink;
class TActionLink;
class TActionList;

// ---- actions ----------------------------------------------------------------------------------------

class TBasicAction : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TBasicAction(TComponent* AOwner);
  // Detaches every link: its client keeps the values it shows but runs nothing more.
  ~TBasicAction() override;

  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();

  // The client that is executing the action, while it does.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value);

  // The links of the action's clients.
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  Integer ClientCount() const { return static_cast<Integer>(clients_.size()); }
  TBasicActionLink* Clients(Integer Index) const;

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // After any change of a shared value (after the links' OnChange).
  TNotifyEvent OnChange;

 protected:
  // Fires each link's OnChange, then OnChange.
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Calls `f` for each link that shows values (a TActionLink), on a copy of the list.
  void ForEachLink(const std::function<void(TActionLink*)>& f);

 private:
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
};

class TContainedAction : public TBasicAction {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;

  TActionList* ActionList() const { return actionList_; }
  void SetActionList(TActionList* Value);
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& Value) { category_ = Value; }
  // Place in the action list; -1 without one. Setting it clamps to the list.
  Integer Index() const;
  void SetIndex(Integer Value);

  // The action list offers to execute (update) first.
  bool Execute() override;
  bool Update() override;

  // Form files nest actions inside their action list.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 private:
  friend class TActionList;
  TActionList* actionList_ = nullptr;
  std::string category_;
};

class TCustomAction : public TContainedAction {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomAction(TComponent* AOwner);

  // Updates, then executes while enabled; false when disabled or nobody handled it.
  bool Execute() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

 private:
  void UncheckGroup();

  std::string caption_;
  bool checked_ = false;
  bool checking_ = false;
  bool enabled_ = true;
  Integer groupIndex_ = 0;
  Integer helpContext_ = 0;
  std::string hint_;
  Integer imageIndex_ = -1;
  TShortCut shortCut_ = scNone;
  bool visible_ = true;
};

// The action form files hold: TCustomAction with its values published.
class TAction : public TCustomAction {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// ---- the action list ----------------------------------------------------------------------------------

// Handled := true stops the action's own handling.
using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TActionList : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TActionList(TComponent* AOwner);
  // Frees its actions, last first.
  ~TActionList() override;

  Integer ActionCount() const { return static_cast<Integer>(actions_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TContainedAction* Actions(Integer Index) const;
  Integer IndexOf(const TContainedAction* Action) const;

  // OnExecute (OnUpdate) of the list; true when it handled the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  TComponent* Images() const { return images_; }
  void SetImages(TComponent* Value);

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  friend class TContainedAction;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  void MoveAction(TContainedAction* Action, Integer NewIndex);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Change();

 private:
  std::vector<TContainedAction*> actions_;
  TComponent* images_ = nullptr;
};

// ---- links ----------------------------------------------------------------------------------------------

// The link of one client to one action.
class TBasicActionLink : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* Value);
  TObject* Client() const { return client_; }

  // Executes the action on behalf of `AComponent`; false when no action handled it.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();

  // After the action changed, or the link was pointed at another action (or none).
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void Change();

 private:
  TObject* client_;
  TBasicAction* action_ = nullptr;
  // Cleared when the link goes: Execute must not touch a link its action's handler freed.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A link whose client shows the values of a TCustomAction. The setters are called before
// the action stores the new value; IsXxxLinked answers whether the client follows.
class TActionLink : public TBasicActionLink {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked() const { return CustomAction() != nullptr; }
  virtual bool IsCheckedLinked() const { return CustomAction() != nullptr; }
  virtual bool IsEnabledLinked() const { return CustomAction() != nullptr; }
  virtual bool IsHelpContextLinked() const { return CustomAction() != nullptr; }
  virtual bool IsHintLinked() const { return CustomAction() != nullptr; }
  virtual bool IsImageIndexLinked() const { return CustomAction() != nullptr; }
  virtual bool IsShortCutLinked() const { return CustomAction() != nullptr; }
  virtual bool IsVisibleLinked() const { return CustomAction() != nullptr; }

  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(Integer) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(Integer) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

 protected:
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }
};

// The link of a control. Caption, enabled state, hint, visibility and help context go
// through the control's own setters; the check through its published "Checked"
// property, when it has one. While the link sets the check, a click the control raises
// for it does not execute the action again.
class TControlActionLink : public TActionLink {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), client_(AClient) {}

  TControl* ControlClient() const { return client_; }

  bool Execute(TComponent* AComponent = nullptr) override;

  bool IsCaptionLinked() const override;
  bool IsCheckedLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsHintLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsImageIndexLinked() const override { return false; }
  bool IsShortCutLinked() const override { return false; }

  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(Integer Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;

 private:
  const TPropInfo* CheckedProp() const;

  TControl* client_;
  bool settingChecked_ = false;
};

// Makes TControl's Action work through TControlActionLink (SetControlActionHooks). Done
// when the unit loads; again after something else replaced the hooks.
void InstallActionHooks();

// The link of a menu item.
class TMenuActionLink : public TActionLink {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), client_(AClient) {}

  TMenuItem* MenuClient() const { return client_; }

  bool IsCaptionLinked() const override;
  bool IsCheckedLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsHintLinked() const override;
  bool IsImageIndexLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsVisibleLinked() const override;

  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(Integer Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 private:
  TMenuItem* client_;
};
