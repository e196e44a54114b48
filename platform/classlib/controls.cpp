#include "platform/classlib/controls.h"

#include <algorithm>
#include <iterator>

#include "platform/classlib/actions.h"
#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/drag_drop.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/win_control.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"

// ---- enumerations -------------------------------------------------------------------------

const TEnumInfo& AlignInfo() {
  static const TEnumInfo info("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  return info;
}
const TEnumInfo& AnchorKindInfo() {
  static const TEnumInfo info("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  return info;
}
const TEnumInfo& AlignmentInfo() {
  static const TEnumInfo info("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  return info;
}
const TEnumInfo& MouseButtonInfo() {
  static const TEnumInfo info("TMouseButton", {"mbLeft", "mbRight", "mbMiddle"});
  return info;
}
const TEnumInfo& ShiftStateInfo() {
  static const TEnumInfo info("TShiftState", {"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"});
  return info;
}
const TEnumInfo& DragModeInfo() {
  static const TEnumInfo info("TDragMode", {"dmManual", "dmAutomatic"});
  return info;
}

namespace {

struct CursorName {
  Integer Value;
  const char* Name;
};
constexpr CursorName kCursorNames[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},     {crSizeAll, "crSize"},
};

TControlActionHooks& ActionHooks() {
  static TControlActionHooks hooks;
  return hooks;
}

TPopupMenuHook& PopupHook() {
  static TPopupMenuHook hook;
  return hook;
}

// The windowless control holding the mouse through its parent's window.
TControl* gCaptureControl = nullptr;

bool IsClassNamed(const TClass& cls, std::string_view name) {
  for (const TClass* c = &cls; c; c = c->ClassParent())
    if (SameIdent(c->ClassName(), name)) return true;
  return false;
}

TPoint MousePos(const TMessage& m) { return TPoint{LoSmall(m.LParam), HiSmall(m.LParam)}; }

}  // namespace

const TIdentMap& CursorIdents() {
  static const TIdentMap map = [] {
    std::vector<std::pair<Int64, std::string>> entries;
    for (const auto& c : kCursorNames) entries.emplace_back(c.Value, c.Name);
    return TIdentMap("TCursor", std::move(entries));
  }();
  return map;
}

bool CursorToIdent(Integer cursor, std::string& ident) { return CursorIdents().IntToIdent(cursor, ident); }

bool IdentToCursor(std::string_view ident, Integer& cursor) {
  Int64 value = 0;
  if (!CursorIdents().IdentToInt(ident, value)) return false;
  cursor = static_cast<Integer>(value);
  return true;
}

TShiftState KeysToShiftState(Word keys) {
  TShiftState s;
  if (keys & win::MK_SHIFT) s.Include(ssShift);
  if (keys & win::MK_CONTROL) s.Include(ssCtrl);
  if (keys & win::MK_LBUTTON) s.Include(ssLeft);
  if (keys & win::MK_RBUTTON) s.Include(ssRight);
  if (keys & win::MK_MBUTTON) s.Include(ssMiddle);
  if (win::GetKeyState(win::VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(win::LPARAM keyData) {
  TShiftState s;
  if (win::GetKeyState(win::VK_SHIFT) < 0) s.Include(ssShift);
  if (win::GetKeyState(win::VK_CONTROL) < 0) s.Include(ssCtrl);
  // Bit 29 of a key message's data: Alt held.
  if (keyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState GetShiftState() {
  TShiftState s;
  if (win::GetKeyState(win::VK_SHIFT) < 0) s.Include(ssShift);
  if (win::GetKeyState(win::VK_CONTROL) < 0) s.Include(ssCtrl);
  if (win::GetKeyState(win::VK_MENU) < 0) s.Include(ssAlt);
  if (win::GetKeyState(win::VK_LBUTTON) < 0) s.Include(ssLeft);
  if (win::GetKeyState(win::VK_RBUTTON) < 0) s.Include(ssRight);
  if (win::GetKeyState(win::VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

std::string GetShortHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void SetControlActionHooks(TControlActionHooks hooks) { ActionHooks() = std::move(hooks); }
void SetPopupMenuHook(TPopupMenuHook hook) { PopupHook() = std::move(hook); }

// ---- TSizeConstraints ----------------------------------------------------------------------

const TClass& TSizeConstraints::StaticClass() {
  static const TClass cls =
      TClass::Of<TSizeConstraints>("TSizeConstraints", TPersistent::StaticClass(), &TSizeConstraints::Publish);
  return cls;
}

void TSizeConstraints::Publish(TPublished& published) {
  auto p = published.For<TSizeConstraints>();
  p.Integer("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  p.Integer("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  p.Integer("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  p.Integer("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

void TSizeConstraints::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
    minHeight_ = s->minHeight_;
    maxHeight_ = s->maxHeight_;
    minWidth_ = s->minWidth_;
    maxWidth_ = s->maxWidth_;
    Change();
    return;
  }
  TPersistent::Assign(source);
}

TPersistent* TSizeConstraints::GetOwner() { return control_; }

// A maximum below the minimum pulls the minimum down with it, and the other way round,
// so the pair never contradicts itself.
void TSizeConstraints::SetMaxHeight(Integer value) {
  value = std::max(value, 0);
  if (value == maxHeight_) return;
  maxHeight_ = value;
  if (value > 0 && value < minHeight_) minHeight_ = value;
  Change();
}
void TSizeConstraints::SetMaxWidth(Integer value) {
  value = std::max(value, 0);
  if (value == maxWidth_) return;
  maxWidth_ = value;
  if (value > 0 && value < minWidth_) minWidth_ = value;
  Change();
}
void TSizeConstraints::SetMinHeight(Integer value) {
  value = std::max(value, 0);
  if (value == minHeight_) return;
  minHeight_ = value;
  if (maxHeight_ > 0 && value > maxHeight_) maxHeight_ = value;
  Change();
}
void TSizeConstraints::SetMinWidth(Integer value) {
  value = std::max(value, 0);
  if (value == minWidth_) return;
  minWidth_ = value;
  if (maxWidth_ > 0 && value > maxWidth_) maxWidth_ = value;
  Change();
}

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}

// ---- published properties ---------------------------------------------------------------

namespace {

using Registrar = void (*)(TPublished&);

struct PropertyRegistrar {
  const char* Name;
  Registrar Register;
};

bool ColorStored(TControl* c) { return !c->ParentColor(); }
// Without a parent there is no font to follow: the control's own is what it shows.
bool FontStored(TControl* c) { return !c->ParentFont() || !c->Parent(); }
bool ShowHintStored(TControl* c) { return !c->ParentShowHint(); }
bool AnchorsStored(TControl* c) { return !(c->Anchors() == AnchorAlign[c->Align()]); }
bool CaptionStored(TControl* c) {
  // A caption equal to the action's comes back from the action; any other is the control's.
  auto* link = dynamic_cast<TActionLink*>(c->ActionLink());
  return !link || !link->IsCaptionLinked();
}

const PropertyRegistrar kControlProperties[] = {
    {"Align",
     [](TPublished& p) { p.For<TControl>().Enum("Align", AlignInfo(), &TControl::Align, &TControl::SetAlign).Default(alNone); }},
    {"Anchors",
     [](TPublished& p) {
       // Stored when they differ from what the alignment gives, which is read first.
       p.For<TControl>()
           .Set("Anchors", AnchorKindInfo(), &TControl::Anchors, &TControl::SetAnchors)
           .StoredIf(&AnchorsStored);
     }},
    {"AutoSize",
     [](TPublished& p) { p.For<TControl>().Boolean("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false); }},
    {"Caption",
     [](TPublished& p) {
       p.For<TControl>().String("Caption", &TControl::Caption, &TControl::SetCaption).Default("").StoredIf(&CaptionStored);
     }},
    {"Text",
     [](TPublished& p) { p.For<TControl>().String("Text", &TControl::Text, &TControl::SetText).Default(""); }},
    {"Color",
     [](TPublished& p) {
       p.For<TControl>()
           .Integer("Color", &TControl::Color, &TControl::SetColor)
           .Idents(ColorIdents())
           .StoredIf(&ColorStored)
           .NoDefault();
     }},
    {"Constraints",
     [](TPublished& p) { p.For<TControl>().Object("Constraints", &TControl::Constraints, &TControl::SetConstraints); }},
    {"DragCursor",
     [](TPublished& p) {
       p.For<TControl>()
           .Integer("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor)
           .Idents(CursorIdents())
           .Default(crDrag);
     }},
    {"DragMode",
     [](TPublished& p) {
       p.For<TControl>().Enum("DragMode", DragModeInfo(), &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
     }},
    {"Enabled",
     [](TPublished& p) { p.For<TControl>().Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true); }},
    {"Font",
     [](TPublished& p) { p.For<TControl>().Object("Font", &TControl::Font, &TControl::SetFont).StoredIf(&FontStored); }},
    {"ParentColor",
     [](TPublished& p) {
       p.For<TControl>().Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
     }},
    {"ParentFont",
     [](TPublished& p) {
       p.For<TControl>().Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
     }},
    {"ParentShowHint",
     [](TPublished& p) {
       p.For<TControl>().Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
     }},
    {"PopupMenu",
     [](TPublished& p) {
       auto b = p.For<TControl>().Component("PopupMenu", &TControl::PopupMenuComponent, &TControl::SetPopupMenuComponent);
       if (const TClass* menu = GetClass("TPopupMenu")) b.Info().PropClass = menu;
     }},
    {"Action",
     [](TPublished& p) {
       auto b = p.For<TControl>().Component("Action", &TControl::ActionComponent, &TControl::SetActionComponent);
       if (const TClass* action = GetClass("TBasicAction")) b.Info().PropClass = action;
     }},
    {"ShowHint",
     [](TPublished& p) {
       p.For<TControl>().Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).StoredIf(&ShowHintStored);
     }},
    {"Visible",
     [](TPublished& p) { p.For<TControl>().Boolean("Visible", &TControl::Visible, &TControl::SetVisible).Default(true); }},
    {"OnClick", [](TPublished& p) { p.For<TControl>().Event("OnClick", &TControl::OnClick); }},
    {"OnDblClick", [](TPublished& p) { p.For<TControl>().Event("OnDblClick", &TControl::OnDblClick); }},
    {"OnMouseDown", [](TPublished& p) { p.For<TControl>().Event("OnMouseDown", &TControl::OnMouseDown); }},
    {"OnMouseMove", [](TPublished& p) { p.For<TControl>().Event("OnMouseMove", &TControl::OnMouseMove); }},
    {"OnMouseUp", [](TPublished& p) { p.For<TControl>().Event("OnMouseUp", &TControl::OnMouseUp); }},
    {"OnMouseWheel", [](TPublished& p) { p.For<TControl>().Event("OnMouseWheel", &TControl::OnMouseWheel); }},
    {"OnMouseWheelDown",
     [](TPublished& p) { p.For<TControl>().Event("OnMouseWheelDown", &TControl::OnMouseWheelDown); }},
    {"OnMouseWheelUp", [](TPublished& p) { p.For<TControl>().Event("OnMouseWheelUp", &TControl::OnMouseWheelUp); }},
    {"OnResize", [](TPublished& p) { p.For<TControl>().Event("OnResize", &TControl::OnResize); }},
    {"OnCanResize", [](TPublished& p) { p.For<TControl>().Event("OnCanResize", &TControl::OnCanResize); }},
    {"OnContextPopup", [](TPublished& p) { p.For<TControl>().Event("OnContextPopup", &TControl::OnContextPopup); }},
    {"OnDragDrop", [](TPublished& p) { p.For<TControl>().Event("OnDragDrop", &TControl::OnDragDrop); }},
    {"OnDragOver", [](TPublished& p) { p.For<TControl>().Event("OnDragOver", &TControl::OnDragOver); }},
    {"OnEndDrag", [](TPublished& p) { p.For<TControl>().Event("OnEndDrag", &TControl::OnEndDrag); }},
    {"OnStartDrag", [](TPublished& p) { p.For<TControl>().Event("OnStartDrag", &TControl::OnStartDrag); }},
    {"OnConstrainedResize",
     [](TPublished& p) { p.For<TControl>().Event("OnConstrainedResize", &TControl::OnConstrainedResize); }},
};

}  // namespace

bool PublishControlProperty(TPublished& published, std::string_view name) {
  for (const auto& r : kControlProperties)
    if (SameIdent(r.Name, name)) {
      r.Register(published);
      return true;
    }
  return false;
}

void TControl::PublishProperties(TPublished& published, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (!PublishControlProperty(published, name))
      throw CreateFmt<EPropertyError>(msg::UnknownProperty, std::string(name));
}

const TClass& TControl::StaticClass() {
  static const TClass cls = TClass::Of<TControl>("TControl", TComponent::StaticClass(), &TControl::Publish);
  return cls;
}

void TControl::Publish(TPublished& published) {
  auto p = published.For<TControl>();
  p.Integer("Left", &TControl::Left, &TControl::SetLeft);
  p.Integer("Top", &TControl::Top, &TControl::SetTop);
  p.Integer("Width", &TControl::Width, &TControl::SetWidth);
  p.Integer("Height", &TControl::Height, &TControl::SetHeight);
  p.Integer("Cursor", &TControl::Cursor, &TControl::SetCursor).Idents(CursorIdents()).Default(crDefault);
  p.String("Hint", &TControl::Hint, &TControl::SetHint).Default("");
  p.Integer("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
}

// ---- TControl ---------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  font_ = std::make_unique<TFont>();
  font_->OnChange = [this](TObject* sender) { FontChanged(sender); };
  constraints_ = std::make_unique<TSizeConstraints>(this);
  constraints_->OnChange = [this](TObject*) { ConstraintsChanged(); };
}

TControl::~TControl() {
  if (Application) Application->ControlDestroying(this);
  if (gCaptureControl == this) gCaptureControl = nullptr;
  if (parent_) SetParent(nullptr);
  // The link may call back into the control while it goes: detach it first.
  if (actionLink_) {
    auto link = std::move(actionLink_);
    if (ActionHooks().SetAction) ActionHooks().SetAction(link.get(), nullptr);
  }
  font_->OnChange = nullptr;
  constraints_->OnChange = nullptr;
}

TComponent* TControl::GetParentComponent() const { return parent_; }

// A control that shows its name as its caption (a new panel) keeps doing so when renamed.
void TControl::SetName(const std::string& newName) {
  bool changeText = controlStyle_.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                    Name() == GetText() &&
                    !(Owner() && Owner()->ComponentState().Contains(csLoading));
  TComponent::SetName(newName);
  if (changeText) SetText(newName);
}

void TControl::SetParentComponent(TComponent* value) {
  if (!value) {
    SetParent(nullptr);
    return;
  }
  auto* parent = dynamic_cast<TWinControl*>(value);
  if (!parent) throw CreateFmt<EInvalidOperation>("Control '%s' cannot have a %s as its parent", Name(), value->ClassName());
  SetParent(parent);
}

TCustomForm* TControl::GetParentForm() const { return ::GetParentForm(const_cast<TControl*>(this)); }

void TControl::SetParent(TWinControl* value) {
  if (parent_ == value) return;
  if (value == this) throw EInvalidOperation("A control cannot have itself as its parent");
  // A parent inside this control would make a loop.
  for (TWinControl* p = value; p; p = p->Parent())
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (value) {
    value->InsertControl(this);
    UpdateAnchorRules();
  }
}

void TControl::SetParentControlValue(TWinControl* value) { parent_ = value; }

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  InvalidateControl(visible_, false);
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  UpdateAnchorRules();
  Invalidate();
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::ClientRect() { return TRect{0, 0, width_, height_}; }

void TControl::SetClientSize(const TPoint& value) {
  TRect client = ClientRect();
  SetBounds(left_, top_, width_ - client.right + value.x, height_ - client.bottom + value.y);
}

TPoint TControl::ClientOrigin() {
  if (!parent_) throw CreateFmt<EInvalidOperation>("Control '%s' has no parent window", Name());
  TPoint p = parent_->ClientOrigin();
  return TPoint{p.x + left_, p.y + top_};
}

TPoint TControl::ClientToScreen(const TPoint& p) {
  TPoint o = ClientOrigin();
  return TPoint{p.x + o.x, p.y + o.y};
}

TPoint TControl::ScreenToClient(const TPoint& p) {
  TPoint o = ClientOrigin();
  return TPoint{p.x - o.x, p.y - o.y};
}

void TControl::SetAlign(TAlign value) {
  if (align_ == value) return;
  TAlign old = align_;
  align_ = value;
  anchors_ = AnchorAlign[value];
  if (!ComponentState().Contains(csLoading) && parent_) {
    auto horizontal = [](TAlign a) { return a == alTop || a == alBottom; };
    auto vertical = [](TAlign a) { return a == alLeft || a == alRight; };
    // Turning a top strip into a side strip keeps its thickness.
    if ((horizontal(old) && vertical(value)) || (vertical(old) && horizontal(value)))
      SetBounds(left_, top_, height_, width_);
    else
      AdjustSize();
  }
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (anchors_ == value) return;
  anchors_ = value;
  if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  if (value) AdjustSize();
}

void TControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading)) SetBounds(left_, top_, width_, height_);
}

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  VisibleChanging();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  RequestAlign();
}

void TControl::Show() {
  if (parent_) parent_->ShowControl(this);
  SetVisible(true);
}

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged(TObject*) {
  parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetText(const std::string& value) {
  if (GetText() == value) return;
  text_ = value;
  Perform(win::WM_SETTEXT, 0, reinterpret_cast<win::LPARAM>(text_.c_str()));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (parentShowHint_ == value) return;
  parentShowHint_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenuComponent(TComponent* value) {
  if (value == popupMenu_) return;
  if (value && !IsClassNamed(value->ClassType(), "TPopupMenu"))
    throw CreateFmt<EInvalidOperation>("%s is not a popup menu", value->ClassName());
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (value) value->FreeNotification(this);
}

TComponent* TControl::ActionComponent() const {
  if (!actionLink_ || !ActionHooks().GetAction) return nullptr;
  return ActionHooks().GetAction(actionLink_.get());
}

void TControl::SetActionComponent(TComponent* value) {
  const TControlActionHooks& hooks = ActionHooks();
  if (!value) {
    if (actionLink_) {
      auto link = std::move(actionLink_);
      if (hooks.SetAction) hooks.SetAction(link.get(), nullptr);
    }
    controlStyle_.Exclude(csActionClient);
    return;
  }
  if (!hooks.CreateLink || !hooks.SetAction)
    throw EInvalidOperation("Actions are not available: the actions unit is not linked");
  if (!actionLink_) actionLink_.reset(hooks.CreateLink(this));
  hooks.SetAction(actionLink_.get(), value);
  ActionChange(value, value->ComponentState().Contains(csLoading));
  value->FreeNotification(this);
  controlStyle_.Include(csActionClient);
}

void TControl::DoActionChange(TObject* Sender) {
  if (actionLink_ && Sender == ActionComponent()) ActionChange(Sender, false);
}

// The action's common values, read through its published properties so that any
// action class with Caption, Enabled, Hint, Visible or HelpContext serves. With
// CheckDefaults only values the control still has at their defaults are taken.
void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  if (!Sender) return;
  if (const TPropInfo* p = GetPropInfo(Sender, "Caption"); p && p->Kind == pkString)
    if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(GetStrProp(Sender, *p));
  if (const TPropInfo* p = GetPropInfo(Sender, "Enabled"); p && p->Kind == pkBoolean)
    if (!CheckDefaults || enabled_) SetEnabled(GetOrdProp(Sender, *p) != 0);
  if (const TPropInfo* p = GetPropInfo(Sender, "Hint"); p && p->Kind == pkString)
    if (!CheckDefaults || hint_.empty()) SetHint(GetStrProp(Sender, *p));
  if (const TPropInfo* p = GetPropInfo(Sender, "Visible"); p && p->Kind == pkBoolean)
    if (!CheckDefaults || visible_) SetVisible(GetOrdProp(Sender, *p) != 0);
  if (const TPropInfo* p = GetPropInfo(Sender, "HelpContext"); p && p->Kind == pkInteger)
    if (!CheckDefaults || helpContext_ == 0) SetHelpContext(static_cast<Integer>(GetOrdProp(Sender, *p)));
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == popupMenu_) popupMenu_ = nullptr;
  if (actionLink_ && AComponent == ActionComponent()) SetActionComponent(nullptr);
}

void TControl::Loaded() {
  TComponent::Loaded();
  // The Parent... setters leave the parent's value alone while reading; take it now.
  if (parent_) {
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED);
    if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED);
  }
  if (actionLink_) {
    if (TComponent* action = ActionComponent()) ActionChange(action, true);
  }
  UpdateAnchorRules();
  if (autoSize_) AdjustSize();
}

win::LRESULT TControl::Perform(win::UINT Msg, win::WPARAM WParam, win::LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (DragFilterMessage(this, Message)) return;
  if (Message.Msg >= win::WM_MOUSEFIRST && Message.Msg <= win::WM_MOUSELAST) {
    // A control without double clicks sees the second press as a press.
    if (!controlStyle_.Contains(csDoubleClicks)) {
      switch (Message.Msg) {
        case win::WM_LBUTTONDBLCLK: Message.Msg = win::WM_LBUTTONDOWN; break;
        case win::WM_RBUTTONDBLCLK: Message.Msg = win::WM_RBUTTONDOWN; break;
        case win::WM_MBUTTONDBLCLK: Message.Msg = win::WM_MBUTTONDOWN; break;
        default: break;
      }
    }
    switch (Message.Msg) {
      case win::WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, Message);
        break;
      case win::WM_LBUTTONDOWN:
      case win::WM_LBUTTONDBLCLK:
        if (Application) Application->HintInputMessage();
        if (dragMode_ == dmAutomatic && !ComponentState().Contains(csDesigning)) {
          BeginDrag(true);
          return;
        }
        controlState_.Include(csLButtonDown);
        break;
      case win::WM_RBUTTONDOWN:
      case win::WM_MBUTTONDOWN:
        if (Application) Application->HintInputMessage();
        break;
      case win::WM_LBUTTONUP:
        controlState_.Exclude(csLButtonDown);
        break;
      default:
        break;
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case win::WM_LBUTTONUP: WMLButtonUp(Message); break;
    case win::WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case win::WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case win::WM_RBUTTONUP: WMRButtonUp(Message); break;
    case win::WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case win::WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case win::WM_MBUTTONUP: WMMButtonUp(Message); break;
    case win::WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case win::WM_MOUSEMOVE: WMMouseMove(Message); break;
    case win::WM_CANCELMODE: WMCancelMode(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_HITTEST: CMHitTest(Message); break;
    case CM_DESIGNHITTEST: CMDesignHitTest(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
    default: DefaultHandler(Message); break;
  }
}

// A windowless control answers the text messages from its own text; anything else has
// nobody to go to.
void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_GETTEXTLENGTH:
      Message.Result = static_cast<win::LRESULT>(text_.size());
      break;
    case win::WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(Message.LParam);
      auto size = static_cast<std::size_t>(Message.WParam);
      if (!buffer || size == 0) {
        Message.Result = 0;
        break;
      }
      std::size_t n = std::min(size - 1, text_.size());
      std::copy_n(text_.data(), n, buffer);
      buffer[n] = '\0';
      Message.Result = static_cast<win::LRESULT>(n);
      break;
    }
    case win::WM_SETTEXT:
      Message.Result = 1;
      break;
    default:
      break;
  }
}

void TControl::Click() {
  // A handler of its own wins over the action; otherwise the action runs the click.
  if (actionLink_ && ActionHooks().Execute && !OnClick) {
    if (ActionHooks().Execute(actionLink_.get(), this)) return;
  }
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<win::LPARAM>(this)); }

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool result = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, result);
  return result;
}

bool TControl::CanAutoSize(Integer&, Integer&) { return true; }

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::EffectiveConstraints(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  MinWidth = constraints_->MinWidth();
  MinHeight = constraints_->MinHeight();
  MaxWidth = constraints_->MaxWidth();
  MaxHeight = constraints_->MaxHeight();
  ConstrainedResize(MinWidth, MinHeight, MaxWidth, MaxHeight);
}

bool TControl::CheckNewSize(Integer& NewWidth, Integer& NewHeight) {
  auto constrain = [this](Integer& w, Integer& h) {
    Integer minW, minH, maxW, maxH;
    EffectiveConstraints(minW, minH, maxW, maxH);
    if (maxW > 0 && w > maxW)
      w = maxW;
    else if (minW > 0 && w < minW)
      w = minW;
    if (maxH > 0 && h > maxH)
      h = maxH;
    else if (minH > 0 && h < minH)
      h = minH;
  };
  auto canResize = [&](Integer& w, Integer& h) {
    if (!CanResize(w, h)) return false;
    constrain(w, h);
    return true;
  };
  Integer w = NewWidth, h = NewHeight;
  if (!canResize(w, h)) return false;
  if (autoSize_ && !ComponentState().Contains(csLoading)) {
    Integer w2 = w, h2 = h;
    if (!CanAutoSize(w2, h2)) return false;
    if ((w2 != w || h2 != h) && !canResize(w2, h2)) return false;
    w = w2;
    h = h2;
  }
  NewWidth = std::max(w, 0);
  NewHeight = std::max(h, 0);
  return true;
}

void TControl::ConstraintsChanged() { AdjustSize(); }

void TControl::DoAutoSize() { AdjustSize(); }

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

namespace {

// What an axis keeps: the near edge's place, the size (both edges anchored) or the centre.
Integer AxisRule(bool nearEdge, bool farEdge, Integer pos, Integer size) {
  if (farEdge) return nearEdge ? size : pos;
  return pos + size / 2;
}

}  // namespace

void TControl::UpdateAnchorRules() {
  if (anchorMove_ || ComponentState().Contains(csLoading)) return;
  if (anchors_ == TAnchors{akLeft, akTop} || !parent_) {
    originalParentSize_ = TPoint{0, 0};
    return;
  }
  anchorRules_.x = AxisRule(anchors_.Contains(akLeft), anchors_.Contains(akRight), left_, width_);
  anchorRules_.y = AxisRule(anchors_.Contains(akTop), anchors_.Contains(akBottom), top_, height_);
  TRect client = parent_->ClientRect();
  originalParentSize_ = TPoint{client.right - client.left, client.bottom - client.top};
}

// Keeps the anchored edges at their distances from the parent's edges; an axis with
// neither edge anchored keeps the control's centre at its share of the parent's size.
void TControl::AnchorToParent(const TPoint& parentSize) {
  if (anchors_ == TAnchors{akLeft, akTop}) return;
  Integer newLeft = left_, newTop = top_, newWidth = width_, newHeight = height_;
  if (originalParentSize_.x != 0) {
    if (anchors_.Contains(akRight)) {
      if (anchors_.Contains(akLeft))
        newWidth = parentSize.x - (originalParentSize_.x - anchorRules_.x);
      else
        newLeft = parentSize.x - (originalParentSize_.x - anchorRules_.x);
    } else if (!anchors_.Contains(akLeft)) {
      newLeft = static_cast<Integer>(static_cast<Int64>(anchorRules_.x) * parentSize.x / originalParentSize_.x) -
                newWidth / 2;
    }
  }
  if (originalParentSize_.y != 0) {
    if (anchors_.Contains(akBottom)) {
      if (anchors_.Contains(akTop))
        newHeight = parentSize.y - (originalParentSize_.y - anchorRules_.y);
      else
        newTop = parentSize.y - (originalParentSize_.y - anchorRules_.y);
    } else if (!anchors_.Contains(akTop)) {
      newTop = static_cast<Integer>(static_cast<Int64>(anchorRules_.y) * parentSize.y / originalParentSize_.y) -
               newHeight / 2;
    }
  }
  anchorMove_ = true;
  try {
    SetBounds(newLeft, newTop, newWidth, newHeight);
  } catch (...) {
    anchorMove_ = false;
    throw;
  }
  anchorMove_ = false;
  // An axis along which the parent had no size when the rules were taken (a sheet not
  // shown yet) takes its rule at the first size its window gets, where the control sits as
  // designed; a parent without a window is still being put together.
  if (!parent_->HandleAllocated()) return;
  if (originalParentSize_.x == 0 && parentSize.x != 0) {
    anchorRules_.x = AxisRule(anchors_.Contains(akLeft), anchors_.Contains(akRight), left_, width_);
    originalParentSize_.x = parentSize.x;
  }
  if (originalParentSize_.y == 0 && parentSize.y != 0) {
    anchorRules_.y = AxisRule(anchors_.Contains(akTop), anchors_.Contains(akBottom), top_, height_);
    originalParentSize_.y = parentSize.y;
  }
}

// ---- painting ------------------------------------------------------------------------------

win::HWND TControl::ParentWindowHandle() const {
  return parent_ && parent_->HandleAllocated() ? parent_->WindowHandle() : nullptr;
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!(IsVisible || ComponentState().Contains(csDesigning)) || !parent_ || !parent_->HandleAllocated()) return;
  TRect r = BoundsRect();
  win::InvalidateRect(parent_->WindowHandle(), &r, IsOpaque ? 0 : 1);
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(csOpaque)); }

void TControl::Repaint() {
  if (!(visible_ || ComponentState().Contains(csDesigning)) || !parent_ || !parent_->HandleAllocated()) return;
  if (controlStyle_.Contains(csOpaque)) {
    // An opaque control covers its rectangle: it paints itself (and the windowless
    // controls above it) at once.
    win::HWND wnd = parent_->WindowHandle();
    win::HDC dc = win::GetDC(wnd);
    if (!dc) return;
    win::IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    try {
      parent_->PaintControls(dc, this);
    } catch (...) {
      win::ReleaseDC(wnd, dc);
      throw;
    }
    win::ReleaseDC(wnd, dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::SetZOrder(bool TopMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

win::HDC TControl::GetDeviceContext(win::HWND& window) {
  if (!parent_) throw CreateFmt<EInvalidOperation>("Control '%s' has no parent window", Name());
  win::HDC dc = parent_->GetDeviceContext(window);
  if (!dc) return nullptr;
  win::OffsetViewportOrgEx(dc, left_, top_, nullptr);
  win::IntersectClipRect(dc, 0, 0, width_, height_);
  return dc;
}

// ---- mouse ------------------------------------------------------------------------------------

TControl* GetCaptureControl() {
  TWinControl* holder = FindControl(win::GetCapture());
  if (holder && gCaptureControl && gCaptureControl->Parent() == holder) return gCaptureControl;
  return holder;
}

void SetCaptureControl(TControl* control) {
  win::ReleaseCapture();
  gCaptureControl = nullptr;
  if (!control) return;
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!windowed) {
    if (!control->Parent()) return;
    gCaptureControl = control;
    windowed = control->Parent();
  }
  win::SetCapture(windowed->Handle());
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::SendCancelMode(TControl* Sender) {
  if (TCustomForm* form = GetParentForm()) form->SendCancelMode(Sender);
}

bool TControl::IsHitPoint(const TPoint&) { return true; }

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TPoint p = MousePos(Message);
  MouseDown(Button, KeysToShiftState(static_cast<Word>(Message.WParam)) + Shift, p.x, p.y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TPoint p = MousePos(Message);
  MouseUp(Button, KeysToShiftState(static_cast<Word>(Message.WParam)), p.x, p.y);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0)
      handled = DoMouseWheelDown(Shift, MousePos);
    else if (WheelDelta > 0)
      handled = DoMouseWheelUp(Shift, MousePos);
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::WMLButtonDown(TMessage& Message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
  DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) DblClick();
  DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (controlState_.Contains(csClicked)) {
    controlState_.Exclude(csClicked);
    TRect client = ClientRect();
    // A release away from the control is no click.
    if (win::PtInRect(&client, MousePos(Message))) Click();
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) { DoMouseDown(Message, mbRight, {}); }

void TControl::WMRButtonDblClk(TMessage& Message) { DoMouseDown(Message, mbRight, {ssDouble}); }

void TControl::WMRButtonUp(TMessage& Message) {
  DoMouseUp(Message, mbRight);
  // The right button's release opens the popup menu of the control or its nearest
  // parent that has one.
  if (Message.Result == 0) WMContextMenu(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMContextMenu(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  bool handled = false;
  DoContextPopup(MousePos(Message), handled);
  if (handled) {
    Message.Result = 1;
    return;
  }
  const TPopupMenuHook& hook = PopupHook();
  if (!hook) return;
  TControl* owner = this;
  while (owner && !owner->popupMenu_) owner = owner->parent_;
  if (!owner) return;
  TPoint screen = ClientToScreen(MousePos(Message));
  SendCancelMode(nullptr);
  hook(owner->popupMenu_, this, screen);
  Message.Result = 1;
}

void TControl::WMMButtonDown(TMessage& Message) { DoMouseDown(Message, mbMiddle, {}); }
void TControl::WMMButtonDblClk(TMessage& Message) { DoMouseDown(Message, mbMiddle, {ssDouble}); }
void TControl::WMMButtonUp(TMessage& Message) { DoMouseUp(Message, mbMiddle); }

void TControl::WMMouseMove(TMessage& Message) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TPoint p = MousePos(Message);
  MouseMove(KeysToShiftState(static_cast<Word>(Message.WParam)), p.x, p.y);
}

void TControl::WMCancelMode(TMessage&) {
  if (!MouseCapture()) return;
  SetMouseCapture(false);
  // A press cut short by another window is released away from the control: no click.
  if (controlState_.Contains(csLButtonDown)) Perform(win::WM_LBUTTONUP, 0, PointToLParam(-1, -1));
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) {
  InvalidateControl(true, visible_ && controlStyle_.Contains(csOpaque));
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!parentFont_) return;
  if (Message.WParam != 0)
    font_->Assign(reinterpret_cast<TFont*>(Message.LParam));
  else if (parent_)
    font_->Assign(parent_->Font());
  parentFont_ = true;
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!parentColor_) return;
  if (Message.WParam != 0)
    SetColor(static_cast<TColor>(Message.LParam));
  else if (parent_)
    SetColor(parent_->Color());
  parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parentShowHint_ = true;
}

void TControl::CMTextChanged(TMessage&) {}

void TControl::CMHitTest(TMessage& Message) { Message.Result = IsHitPoint(MousePos(Message)) ? 1 : 0; }

void TControl::CMDesignHitTest(TMessage& Message) { Message.Result = 0; }

void TControl::CMMouseEnter(TMessage&) {}
void TControl::CMMouseLeave(TMessage&) {}
void TControl::CMHintShow(TMessage&) {}

void TControl::CMMouseWheel(TMessage& Message) {
  TPoint screen{LoSmall(Message.LParam), HiSmall(Message.LParam)};
  TShiftState shift = KeysToShiftState(LoWord(Message.WParam));
  auto delta = static_cast<SmallInt>(HiWord(Message.WParam));
  if (DoMouseWheel(shift, delta, screen)) {
    Message.Result = 1;
  } else if (parent_) {
    Message.Result = parent_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  }
}

void TControl::CMSysColorChange(TMessage&) { Invalidate(); }

// ---- TGraphicControl -------------------------------------------------------------------------

const TClass& TGraphicControl::StaticClass() {
  static const TClass cls = TClass::Of<TGraphicControl>("TGraphicControl", TControl::StaticClass());
  return cls;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  InstallControlCanvasHooks();
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() { canvas_->SetControl(nullptr); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == win::WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

// The parent hands a device context already moved to the control's origin and clipped
// to its bounds (PaintControls).
void TGraphicControl::WMPaint(TMessage& Message) {
  auto dc = reinterpret_cast<win::HDC>(Message.WParam);
  if (!dc) return;
  PaintOnDC(*canvas_, dc, [this] { Paint(); });
}

void PaintOnDC(TControlCanvas& canvas, win::HDC dc, const std::function<void()>& paint) {
  canvas.Lock();
  canvas.FreeHandle();
  canvas.SetHandle(dc);
  try {
    paint();
  } catch (...) {
    canvas.SetHandle(nullptr);
    canvas.Unlock();
    throw;
  }
  canvas.SetHandle(nullptr);
  canvas.Unlock();
}

// ---- lookups ------------------------------------------------------------------------------------

TControl* FindDragTarget(const TPoint& pos, bool allowDisabled) {
  win::HWND wnd = win::WindowFromPoint(pos);
  TWinControl* control = nullptr;
  // A window of someone else inside one of ours (or the other way round): walk up to the
  // nearest window with a control.
  while (wnd && !(control = FindControl(wnd))) wnd = win::GetParent(wnd);
  if (!control) return nullptr;
  TControl* result = control;
  TControl* child = control->ControlAtPos(control->ScreenToClient(pos), allowDisabled);
  if (child) result = child;
  return result;
}

Cardinal AlignmentTextFlags(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return win::DT_RIGHT;
    case taCenter: return win::DT_CENTER;
    default: return win::DT_LEFT;
  }
}
