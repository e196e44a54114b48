#include "platform/classlib/menus.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/classlib/actions.h"
#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/win/input.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"
#include "platform/classlib/module_life.h"

namespace {

// Every live item by its command id.
std::unordered_map<Word, TMenuItem*>& Commands() {
  static std::unordered_map<Word, TMenuItem*>* commands = nullptr;
  return *ModuleLazy(commands, [] { return new std::unordered_map<Word, TMenuItem*>(); });
}

Word NewCommand() {
  static Word last = 0;
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    last = last == 0xFFFF ? 1 : static_cast<Word>(last + 1);
    if (!Commands().count(last)) return last;
  }
  throw EMenuError("Too many menu items");
}

void PopupFromControl(TComponent* menu, TControl* control, TPoint screenPos) {
  auto* popup = dynamic_cast<TPopupMenu*>(menu);
  if (!popup || !popup->AutoPopup()) return;
  popup->SetPopupComponent(control);
  popup->Popup(screenPos.x, screenPos.y);
}

// Form files name the classes; a control's right click opens its popup menu.
const bool kMenusRegistered = [] {
  RegisterClasses({&TMenuItem::StaticClass(), &TMainMenu::StaticClass(), &TPopupMenu::StaticClass()});
  InstallMenuHooks();
  return true;
}();

struct KeyName {
  Word Key;
  const char* Name;
};
constexpr KeyName kKeyNames[] = {
    {win::VK_BACK, "BkSp"},   {win::VK_TAB, "Tab"},    {win::VK_RETURN, "Enter"}, {win::VK_ESCAPE, "Esc"},
    {win::VK_SPACE, "Space"}, {win::VK_PRIOR, "PgUp"}, {win::VK_NEXT, "PgDn"},    {win::VK_END, "End"},
    {win::VK_HOME, "Home"},   {win::VK_LEFT, "Left"},  {win::VK_UP, "Up"},        {win::VK_RIGHT, "Right"},
    {win::VK_DOWN, "Down"},   {win::VK_INSERT, "Ins"}, {win::VK_DELETE, "Del"},
};

std::string KeyToText(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= win::VK_F1 && key <= win::VK_F12) return "F" + std::to_string(key - win::VK_F1 + 1);
  for (const KeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return std::string();
}

Word TextToKey(const std::string& text) {
  if (text.size() == 1) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<Word>(c);
  }
  for (int f = 1; f <= 12; ++f)
    if (SameIdent(text, "F" + std::to_string(f))) return static_cast<Word>(win::VK_F1 + f - 1);
  for (const KeyName& k : kKeyNames)
    if (SameIdent(text, k.Name)) return k.Key;
  return 0;
}

// The menu's visible items as the window system's popup list wants them.
void AddPopupItems(const TMenuItem& parent, int depth, std::vector<win::PopupMenuItem>& out) {
  for (Integer i = 0; i < parent.Count(); ++i) {
    const TMenuItem* item = parent.Items(i);
    if (!item->Visible()) continue;
    win::PopupMenuItem e;
    // An item that opens a sub-menu cannot be chosen itself.
    e.id = item->Count() > 0 ? 0 : item->Command();
    e.caption = item->Caption();
    if (item->ShortCut() != scNone && !item->IsLine()) e.caption += "\t" + ShortCutToText(item->ShortCut());
    e.enabled = item->Enabled();
    e.checked = item->Checked();
    e.separator = item->IsLine();
    e.depth = depth;
    out.push_back(e);
    if (item->Count() > 0) AddPopupItems(*item, depth + 1, out);
  }
}

bool CaptionStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsCaptionLinked(); }
bool CheckedStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsCheckedLinked(); }
bool EnabledStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsEnabledLinked(); }
bool HelpContextStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsHelpContextLinked(); }
bool HintStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsHintLinked(); }
bool ImageIndexStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsImageIndexLinked(); }
bool ShortCutStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsShortCutLinked(); }
bool VisibleStored(TMenuItem* m) { return !m->ActionLink() || !m->ActionLink()->IsVisibleLinked(); }

constexpr const char* kPopupListClass = "QmPopupList";

win::LRESULT PopupListProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  if (msg == win::WM_COMMAND && win::HIWORD(wParam) == 0) {
    auto it = Commands().find(win::LOWORD(wParam));
    // The menu may have gone since the command was posted.
    if (it == Commands().end()) return 0;
    try {
      it->second->Click();
    } catch (...) {
      HandleOrRethrow(nullptr);
    }
    return 0;
  }
  return win::DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

// ---- shortcuts and captions -----------------------------------------------------------------------

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  Key = ShortCut & 0x00FF;
  Shift = TShiftState{};
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut ShortCut) {
  const std::string key = KeyToText(ShortCut & 0x00FF);
  if (key.empty()) return std::string();
  std::string text;
  if (ShortCut & scShift) text += "Shift+";
  if (ShortCut & scCtrl) text += "Ctrl+";
  if (ShortCut & scAlt) text += "Alt+";
  return text + key;
}

TShortCut TextToShortCut(const std::string& Text) {
  TShortCut modifiers = 0;
  std::string rest = Text;
  for (;;) {
    auto starts = [&rest](const char* prefix) {
      const std::size_t n = std::char_traits<char>::length(prefix);
      return rest.size() > n && SameIdent(std::string_view(rest).substr(0, n), prefix);
    };
    if (starts("Shift+")) {
      modifiers |= scShift;
      rest.erase(0, 6);
    } else if (starts("Ctrl+")) {
      modifiers |= scCtrl;
      rest.erase(0, 5);
    } else if (starts("Alt+")) {
      modifiers |= scAlt;
      rest.erase(0, 4);
    } else {
      break;
    }
  }
  const Word key = TextToKey(rest);
  if (key == 0) return scNone;
  return static_cast<TShortCut>(key | modifiers);
}

std::string StripHotkey(const std::string& Text) {
  std::string out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != cHotkeyPrefix) {
      out += Text[i];
    } else if (i + 1 < Text.size() && Text[i + 1] == cHotkeyPrefix) {
      out += cHotkeyPrefix;
      ++i;
    }
  }
  return out;
}

char GetHotkey(const std::string& Text) {
  for (std::size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != cHotkeyPrefix) continue;
    if (Text[i + 1] == cHotkeyPrefix) {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(Text[i + 1])));
  }
  return '\0';
}

// ---- TMenuItem ----------------------------------------------------------------------------------------

const TClass& TMenuItem::StaticClass() {
  static const TClass cls = TClass::Of<TMenuItem>("TMenuItem", TComponent::StaticClass(), &TMenuItem::Publish);
  return cls;
}

void TMenuItem::Publish(TPublished& published) {
  auto p = published.For<TMenuItem>();
  p.Component("Action", &TMenuItem::Action, &TMenuItem::SetAction);
  p.String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption).Default("").StoredIf(&CaptionStored);
  p.Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false).StoredIf(&CheckedStored);
  p.Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true).StoredIf(&EnabledStored);
  p.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  p.Integer("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0).StoredIf(&HelpContextStored);
  p.String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint).Default("").StoredIf(&HintStored);
  p.Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1).StoredIf(&ImageIndexStored);
  p.Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  p.Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0).StoredIf(&ShortCutStored);
  p.Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true).StoredIf(&VisibleStored);
  p.Event("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NewCommand()) { Commands()[command_] = this; }

TMenuItem::~TMenuItem() {
  Commands().erase(command_);
  if (parent_) parent_->Remove(this);
  while (!items_.empty()) {
    TMenuItem* item = items_.back();
    items_.pop_back();
    item->parent_ = nullptr;
    delete item;
  }
  actionLink_.reset();
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(msg::MenuIndexError);
  return items_[static_cast<std::size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  // An item in a tree already, or one that would hold itself.
  bool cycle = false;
  for (const TMenuItem* p = this; p; p = p->parent_) cycle = cycle || p == Item;
  if (Item->parent_ || Item->menu_ || cycle) throw EMenuError(msg::MenuReinserted);
  if (Index < 0 || Index > Count()) throw EMenuError(msg::MenuIndexError);
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  const Integer i = IndexOf(Item);
  if (i < 0) throw EMenuError(msg::MenuNotFound);
  Delete(i);
}

void TMenuItem::Delete(Integer Index) {
  TMenuItem* item = Items(Index);
  items_.erase(items_.begin() + Index);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

Integer TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(Integer Value) {
  if (!parent_) return;
  const Integer current = MenuIndex();
  Value = std::clamp(Value, 0, parent_->Count() - 1);
  if (Value == current) return;
  auto& list = parent_->items_;
  list.erase(list.begin() + current);
  list.insert(list.begin() + Value, this);
}

void TMenuItem::SetCaption(const std::string& Value) { caption_ = Value; }

void TMenuItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  if (Value && radioItem_) TurnSiblingsOff();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (radioItem_ == Value) return;
  radioItem_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
}

void TMenuItem::SetGroupIndex(Byte Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_)
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
}

void TMenuItem::SetEnabled(bool Value) { enabled_ = Value; }
void TMenuItem::SetVisible(bool Value) { visible_ = Value; }
void TMenuItem::SetShortCut(TShortCut Value) { shortCut_ = Value; }

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
  actionLink_->SetAction(Value);
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

// With CheckDefaults (while loading) only the values the item still has at their
// defaults follow the action.
void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || caption_.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !checked_) SetChecked(a->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || shortCut_ == scNone) SetShortCut(a->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
}

void TMenuItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TMenuItem::InitiateActions() {
  const std::vector<TMenuItem*> items = items_;
  for (TMenuItem* item : items) {
    item->InitiateAction();
    item->InitiateActions();
  }
}

void TMenuItem::Click() {
  if (!enabled_) return;
  // A handler of its own wins over the action.
  if (OnClick) {
    OnClick(this);
    return;
  }
  if (actionLink_ && !ComponentState().Contains(csDesigning)) actionLink_->Execute(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  TMenuItem* target = nullptr;
  if (auto* menu = dynamic_cast<TMenu*>(Value))
    target = menu->Items();
  else
    target = dynamic_cast<TMenuItem*>(Value);
  if (!target || target == parent_) return;
  if (parent_) parent_->Remove(this);
  target->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TMenuItem* item : items_)
    if (item->Owner() == root) proc(item);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == Action()) SetAction(nullptr);
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

// ---- TMenu ----------------------------------------------------------------------------------------------

const TClass& TMenu::StaticClass() {
  static const TClass cls = TClass::Of<TMenu>("TMenu", TComponent::StaticClass(), &TMenu::Publish);
  return cls;
}

void TMenu::Publish(TPublished& published) {
  auto b = published.For<TMenu>().Component("Images", &TMenu::Images, &TMenu::SetImages);
  if (const TClass* images = GetClass("TCustomImageList")) b.Info().PropClass = images;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  // The items leave their owners while this menu is still whole.
  items_.reset();
}

void TMenu::SetImages(TComponent* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
}

namespace {
TMenuItem* FindCommandIn(TMenuItem* item, Word command) {
  for (Integer i = 0; i < item->Count(); ++i) {
    TMenuItem* sub = item->Items(i);
    if (sub->Command() == command) return sub;
    if (TMenuItem* found = FindCommandIn(sub, command)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(Word Command) const { return FindCommandIn(items_.get(), Command); }

bool TMenu::DispatchCommand(Word Command) {
  TMenuItem* item = FindItem(Command);
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { items_->GetChildren(proc, root); }

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

const TClass& TMainMenu::StaticClass() {
  static const TClass cls = TClass::Of<TMainMenu>("TMainMenu", TMenu::StaticClass());
  return cls;
}

// ---- TPopupMenu ---------------------------------------------------------------------------------------

const TEnumInfo& PopupAlignmentInfo() {
  static const TEnumInfo info("TPopupAlignment", {"paLeft", "paRight", "paCenter"});
  return info;
}

const TEnumInfo& TrackButtonInfo() {
  static const TEnumInfo info("TTrackButton", {"tbRightButton", "tbLeftButton"});
  return info;
}

const TClass& TPopupMenu::StaticClass() {
  static const TClass cls = TClass::Of<TPopupMenu>("TPopupMenu", TMenu::StaticClass(), &TPopupMenu::Publish);
  return cls;
}

void TPopupMenu::Publish(TPublished& published) {
  auto p = published.For<TPopupMenu>();
  p.Enum("Alignment", PopupAlignmentInfo(), &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  p.Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  p.Enum("TrackButton", TrackButtonInfo(), &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton)
      .Default(tbRightButton);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (popupComponent_ == Value) return;
  popupComponent_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  popupPoint_ = TPoint{X, Y};
  DoPopup(this);
  Items()->InitiateActions();
  std::vector<win::PopupMenuItem> list;
  AddPopupItems(*Items(), 0, list);
  if (list.empty()) return;
  win::UINT flags = win::TPM_LEFTALIGN;
  if (alignment_ == paRight) flags = win::TPM_RIGHTALIGN;
  if (alignment_ == paCenter) flags = win::TPM_CENTERALIGN;
  if (trackButton_ == tbRightButton) flags |= win::TPM_RIGHTBUTTON;
  win::TrackPopupMenu(list, flags, X, Y, PopupListWindow());
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

std::vector<win::MenuBarItem> MenuBarItemsOf(const TMenu& Menu) {
  std::vector<win::MenuBarItem> bar;
  const TMenuItem* root = Menu.Items();
  for (Integer i = 0; i < root->Count(); ++i) {
    const TMenuItem* item = root->Items(i);
    if (!item->Visible()) continue;
    win::MenuBarItem entry;
    entry.caption = item->Caption();
    entry.enabled = item->Enabled();
    AddPopupItems(*item, 0, entry.items);
    bar.push_back(std::move(entry));
  }
  return bar;
}

void InstallMenuHooks() { SetPopupMenuHook(&PopupFromControl); }

win::HWND PopupListWindow() {
  static win::HWND window = nullptr;
  if (win::IsWindow(window)) return window;
  win::WNDCLASS wc;
  wc.lpfnWndProc = &PopupListProc;
  wc.lpszClassName = kPopupListClass;
  RegisterModuleWindowClass(wc);
  window = win::CreateWindowEx(0, kPopupListClass, "", win::WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window) throw EOutOfResources("Cannot make the popup list window");
  const win::HWND made = window;
  AtModuleEnd([made] {
    if (win::IsWindow(made)) win::DestroyWindow(made);
    if (window == made) window = nullptr;
  });
  return window;
}
