#pragma once
// Menus: TMenuItem trees held by a TMainMenu or a TPopupMenu.
//
// Items form a tree: each item keeps its sub-items in order and frees them with itself.
// In a form file the items are components of the form nested inside their menu or their
// parent item; the form reader hangs them into the tree through SetParentComponent.
//
// A caption of "-" makes a separator; '&' marks the next character as the item's hot key
// and "&&" stands for one '&' (StripHotkey gives the caption as shown).
//
// A popup menu is shown through the window system's popup-menu tracking, which takes the
// user's choice from its answer queue. The choice comes back as WM_COMMAND with the item's
// command id to a window of this unit, so the chosen item's Click runs when the message
// queue delivers that command: after the code that called Popup has returned, as with a
// real menu. A form's main menu is its window's menu bar (MenuBarItemsOf); the chosen
// item's command reaches the form, which clicks the item.
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/exceptions.h"
#include "platform/win/menu_tracking.h"

class TMenu;
class TBasicAction;
class TMenuActionLink;

QM_DECLARE_EXCEPTION(EMenuError, Exception);

namespace msg {
inline constexpr const char* MenuIndexError = "Menu index out of range";
inline constexpr const char* MenuReinserted = "Menu inserted twice";
inline constexpr const char* MenuNotFound = "Sub-menu is not in menu";
}  // namespace msg

// ---- shortcuts ------------------------------------------------------------------------------------
// A key with its modifiers: the virtual key in the low byte, the modifiers in the high bits.
using TShortCut = Word;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F1", "Del"; "" for no shortcut or a key without a name.
std::string ShortCutToText(TShortCut ShortCut);
// The reverse (modifier and key names without regard to case); scNone when not a shortcut.
TShortCut TextToShortCut(const std::string& Text);

// ---- captions ---------------------------------------------------------------------------------------
inline constexpr char cHotkeyPrefix = '&';
inline constexpr const char* cLineCaption = "-";
// The caption as shown: hot-key marks removed, "&&" as one '&'.
std::string StripHotkey(const std::string& Text);
// The marked hot-key character in upper case, or '\0'.
char GetHotkey(const std::string& Text);

// ---- TMenuItem --------------------------------------------------------------------------------------

class TMenuItem : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TMenuItem(TComponent* AOwner);
  // Frees the sub-items and leaves the parent.
  ~TMenuItem() override;

  // ---- the tree ----
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // Raises EMenuError "Menu index out of range".
  TMenuItem* Items(Integer Index) const;
  // Appends or inserts an item that has no parent yet (EMenuError "Menu inserted twice").
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  // Takes item Index out without freeing it.
  void Delete(Integer Index);
  // Frees every sub-item.
  void Clear();
  Integer IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return parent_; }
  // The menu whose tree holds the item (null while it hangs in no menu).
  TMenu* GetParentMenu() const;
  Integer MenuIndex() const;
  void SetMenuIndex(Integer Value);

  // ---- what the item shows ----
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool IsLine() const { return caption_ == cLineCaption; }
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the radio items of its group among its siblings.
  void SetChecked(bool Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  Byte GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Byte Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value) { imageIndex_ = Value; }
  // The id the item's WM_COMMAND carries; unique among the live items.
  Word Command() const { return command_; }

  // ---- actions ----
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return actionLink_.get(); }
  // Lets the item's action update itself, and the sub-items' (before a menu is shown).
  void InitiateAction();
  void InitiateActions();

  // Runs OnClick, else the action; nothing for a disabled item.
  virtual void Click();
  TNotifyEvent OnClick;

  // ---- form files ----
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  // Hangs the item under a menu (its top level) or an item; any other parent is ignored.
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  friend class TMenuActionLink;
  friend class TMenu;
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 private:
  void TurnSiblingsOff();

  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item only
  std::vector<TMenuItem*> items_;
  std::string caption_;
  bool checked_ = false;
  bool radioItem_ = false;
  Byte groupIndex_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  TShortCut shortCut_ = scNone;
  std::string hint_;
  Integer helpContext_ = 0;
  Integer imageIndex_ = -1;
  Word command_ = 0;
  std::unique_ptr<TMenuActionLink> actionLink_;
};

// ---- TMenu ---------------------------------------------------------------------------------------------

class TMenu : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item; its sub-items are the menu's top-level items.
  TMenuItem* Items() const { return items_.get(); }
  // The image list the items' ImageIndex refers to.
  TComponent* Images() const { return images_; }
  void SetImages(TComponent* Value);

  // The item of the tree with that command id, or null.
  TMenuItem* FindItem(Word Command) const;
  // Clicks the item with that command id; false when the menu has none.
  bool DispatchCommand(Word Command);

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::unique_ptr<TMenuItem> items_;
  TComponent* images_ = nullptr;
};

class TMainMenu : public TMenu {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
};

enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };
const TEnumInfo& PopupAlignmentInfo();
const TEnumInfo& TrackButtonInfo();

class TPopupMenu : public TMenu {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu at a screen point: OnPopup runs, the items' actions update, then the
  // window system tracks the menu (its answer queue chooses). The chosen item is clicked
  // when the queue delivers the command. A menu without a visible item shows nothing.
  virtual void Popup(Integer X, Integer Y);
  TPoint PopupPoint() const { return popupPoint_; }
  // The control whose right click opened the menu.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* Value);
  // Whether a right click on a control that names the menu opens it.
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }

  TNotifyEvent OnPopup;

 protected:
  virtual void DoPopup(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPoint popupPoint_{0, 0};
  TComponent* popupComponent_ = nullptr;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
  TTrackButton trackButton_ = tbRightButton;
};

// A main menu's visible top-level items as the window system's bar shows them, each with
// its drop-down.
std::vector<win::MenuBarItem> MenuBarItemsOf(const TMenu& Menu);

// The window that receives the WM_COMMAND of tracked popup menus (made on first use).
win::HWND PopupListWindow();

// Makes a control's right click open its popup menu (SetPopupMenuHook). Done when the
// unit loads; again after something else replaced the hook.
void InstallMenuHooks();
