#pragma once
// TTsx: the component a form carries to fill the plug-in descriptor and to receive the
// host's calls of the five exports as events. Its settings reach the module state when
// the form has been read (Loaded).
#include <string>

#include "hostbridge/tsx_module.h"
#include "platform/classlib/component.h"

class TTsx : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTsx(TComponent* AOwner);
  ~TTsx() override;
  void Loaded() override;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  const std::string& Author() const { return author_; }
  void SetAuthor(const std::string& value) { author_ = value; }
  // These two also set the module state at once.
  Integer ResBmpId() const { return resBmpId_; }
  void SetResBmpId(Integer value);
  Integer ResStringId() const { return resStringId_; }
  void SetResStringId(Integer value);
  Integer ApiVersionNeeded() const { return apiVersionNeeded_; }
  void SetApiVersionNeeded(Integer value) { apiVersionNeeded_ = value; }
  bool HookKeys() const { return hookKeys_; }
  void SetHookKeys(bool value) { hookKeys_ = value; }
  bool HookMouse() const { return hookMouse_; }
  void SetHookMouse(bool value) { hookMouse_ = value; }
  // The id the host gave the module in tsxGetData (-1 before).
  Integer PluginId() const;
  // The owner, when it is a form (see owner_form.h); else null.
  TComponent* OwnerForm() const { return ownerForm_; }

  TPlugEvent OnPlugInit;
  TPlugLeftClickEvent OnLeftClick;
  TPlugEvent OnRightClick;
  TPlugEvent OnDeactivate;
  TPlugTrapKeyEvent OnTrapKey;
  TPlugTrapMouseEvent OnTrapMouse;

 private:
  std::string title_;
  std::string author_;
  Integer resBmpId_ = 101;
  Integer resStringId_ = 1;
  Integer apiVersionNeeded_ = 430;
  bool hookKeys_ = false;
  bool hookMouse_ = false;
  TComponent* ownerForm_ = nullptr;
};
