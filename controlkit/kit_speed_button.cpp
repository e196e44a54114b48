#include "controlkit/kit_speed_button.h"

#include "controlkit/kit_application.h"
#include "controlkit/kit_glyph_layout.h"
#include "controlkit/kit_text_effects.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_draw.h"
#include "controlkit/kit_image_list.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_label.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/messages.h"
#include "platform/win/text/text.h"

namespace {

bool Loading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }
bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

Word AddKitTimer(Word interval, TNotifyEvent handler) {
  const Word id = KitApplication ? KitApplication->AddTimer(interval, std::move(handler)) : 0;
  if (id == 0) throw CreateFmt<EOutOfResources>("Not enough timers available");
  return id;
}

}  // namespace

// ---- TKitBaseGraphicButton ------------------------------------------------------------------

const TClass& TKitBaseGraphicButton::StaticClass() {
  static const TClass cls = TClass::Of<TKitBaseGraphicButton>("TKitBaseGraphicButton", TKitBaseControl::StaticClass());
  return cls;
}

TKitBaseGraphicButton::TKitBaseGraphicButton(TComponent* AOwner)
    : TKitBaseControl(AOwner),
      layout_(std::make_unique<TKitButtonLayout>()),
      fontFX_(std::make_unique<TKitFxCaption>()),
      glyph_(std::make_unique<TKitGlyph>()),
      listGlyph_(std::make_unique<TKitGlyph>()) {
  auto repaint = [this](TObject*) { Invalidate(); };
  layout_->OnChange = repaint;
  fontFX_->OnChange = [this](TObject* sender) { FontChanged(sender); };
  glyph_->OnChange = repaint;
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csOpaque);
  style.Include(csDoubleClicks);
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetColor(clWindow);
  SetBounds(Left(), Top(), 25, 25);
}

TKitBaseGraphicButton::~TKitBaseGraphicButton() {
  StopRepeat();
  StopWatch();
  layout_->OnChange = nullptr;
  fontFX_->OnChange = nullptr;
  glyph_->OnChange = nullptr;
  if (auto* link = dynamic_cast<TBasicActionLink*>(ActionLink())) link->OnChange = nullptr;
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
}

bool TKitBaseGraphicButton::IsInside(Integer X, Integer Y) { return X >= 0 && X <= Width() && Y >= 0 && Y <= Height(); }

bool TKitBaseGraphicButton::HitTest(Integer X, Integer Y) {
  if (rectHitTest_) return IsInside(X, Y);
  return X >= 0 && X < Width() && Y >= 0 && Y < Height();
}

bool TKitBaseGraphicButton::HotLookDiffers() {
  return glyph_->NumGlyphs() >= 3 || glyph_->GlyphStyle() != 0 || (hotTracking_ && enterColorChange_);
}

void TKitBaseGraphicButton::Repaint() {
  if (!Visible()) return;
  Invalidate();
}

void TKitBaseGraphicButton::SetState(Byte New) {
  if (auto* form = dynamic_cast<TForm*>(GetParentForm());
      form && (form->FormStyle() == fsMDIChild || form->FormStyle() == fsMDIForm) &&
      win::GetActiveWindow() == nullptr) {
    if (postClick_ && New == kKitBtnHot && state_ != kKitBtnUp) {
      New = kKitBtnUp;
    } else {
      return;
    }
  }
  if (New == state_) return;
  const bool upHot = (state_ == kKitBtnUp && New == kKitBtnHot) || (state_ == kKitBtnHot && New == kKitBtnUp);
  const bool lookChanges = !upHot || HotLookDiffers();
  if (New == kKitBtnHot && state_ != kKitBtnDown)
    previousState_ = kKitBtnUp;
  else
    previousState_ = state_;
  const Byte old = state_;
  state_ = New;
  if (lookChanges && Visible()) Invalidate();
  if (hotTracking_) {
    if (old == kKitBtnHot) StopWatch();
    if (New == kKitBtnHot && !pressed_ && watchTimer_ == 0 && KitApplication)
      watchTimer_ = AddKitTimer(100, [this](TObject*) { WatchTick(); });
  }
}

void TKitBaseGraphicButton::WatchTick() {
  win::POINT p{};
  win::GetCursorPos(&p);
  TPoint local;
  try {
    local = ScreenToClient(TPoint{p.x, p.y});
  } catch (const Exception&) {
    return;
  }
  if (!HitTest(local.x, local.y) && Enabled()) {
    SetState(kKitBtnUp);
    if (mouseInside_) MouseExit();
  }
}

void TKitBaseGraphicButton::StopWatch() {
  if (watchTimer_ && KitApplication) KitApplication->RemoveTimer(watchTimer_);
  watchTimer_ = 0;
}

void TKitBaseGraphicButton::StopRepeat() {
  if (repeatTimer_ && KitApplication) KitApplication->RemoveTimer(repeatTimer_);
  repeatTimer_ = 0;
}

void TKitBaseGraphicButton::StartRepeat() {
  StopRepeat();
  // The pool only takes multiples of its MinInterval: tick at MinInterval and count the
  // milliseconds here, so any delay and interval give the right number of clicks.
  repeatLeft_ = repeatingDelay_;
  repeatTimer_ = AddKitTimer(KitApplication ? KitApplication->TimerPool()->MinInterval() : 0,
                             [this](TObject*) { RepeatTick(); });
}

void TKitBaseGraphicButton::RepeatTick() {
  if (!held_ || !KitApplication) return;
  repeatLeft_ -= KitApplication->TimerPool()->MinInterval();
  const Word timer = repeatTimer_;
  while (repeatLeft_ <= 0 && held_ && repeatTimer_ == timer) {
    repeatLeft_ += repeatingInterval_ > 0 ? repeatingInterval_ : 1;
    if (mouseInside_) Click();
  }
}

void TKitBaseGraphicButton::DblClick() {
  if (pressed_) TKitBaseControl::DblClick();
}

void TKitBaseGraphicButton::BroadcastGroup() {
  if (!Parent()) return;
  TMessage msg;
  msg.Msg = CM_BUTTONPRESSED;
  msg.WParam = static_cast<win::WPARAM>(groupIndex_);
  msg.LParam = reinterpret_cast<win::LPARAM>(this);
  Parent()->Broadcast(msg);
}

void TKitBaseGraphicButton::SetPressed(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == pressed_) return;
  if (!Value && !allowAllUp_) return;
  pressed_ = Value;
  SetState(Value ? kKitBtnDown : kKitBtnUp);
  Invalidate();
  if (Value) BroadcastGroup();
}

void TKitBaseGraphicButton::SetGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (groupIndex_ == 0 && pressed_) {
    pressed_ = false;
    SetState(kKitBtnUp);
  }
  BroadcastGroup();
  Invalidate();
}

void TKitBaseGraphicButton::SetAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  BroadcastGroup();
  Invalidate();
}

void TKitBaseGraphicButton::SetDropDownCombo(bool Value) {
  if (dropDownCombo_ == Value) return;
  dropDownCombo_ = Value;
  if (!Loading(this)) SetWidth(Width() + (Value ? dropDownComboWidth_ : -dropDownComboWidth_));
  Invalidate();
}

void TKitBaseGraphicButton::SetDropDownComboWidth(Integer Value) {
  if (dropDownComboWidth_ == Value) return;
  const Integer diff = Value - dropDownComboWidth_;
  dropDownComboWidth_ = Value;
  if (dropDownCombo_ && !Loading(this)) SetWidth(Width() + diff);
  Invalidate();
}

void TKitBaseGraphicButton::SetDropDownMenu(TPopupMenu* Value) {
  if (dropDownMenu_ == Value) return;
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
  dropDownMenu_ = Value;
  if (Value) Value->FreeNotification(this);
  Invalidate();
}

void TKitBaseGraphicButton::SetUseCaption(bool Value) {
  if (useCaption_ == Value) return;
  useCaption_ = Value;
  Invalidate();
}
void TKitBaseGraphicButton::SetEnterColor(TColor Value) {
  if (enterColor_ == Value) return;
  enterColor_ = Value;
  Invalidate();
}
void TKitBaseGraphicButton::SetEnterColorChange(bool Value) {
  if (enterColorChange_ == Value) return;
  enterColorChange_ = Value;
  Invalidate();
}
void TKitBaseGraphicButton::SetMultiLine(bool Value) {
  if (multiLine_ == Value) return;
  multiLine_ = Value;
  Invalidate();
}

TKitGlyph* TKitBaseGraphicButton::PaintGlyph(TColor& Transparent) {
  if (!glyph_->Glyph()->Empty()) {
    Transparent = glyph_->Glyph()->TransparentColor();
    return glyph_.get();
  }
  TKitCustomImageList* list = ImageList();
  if (!list) return nullptr;
  if (listStale_) {
    listStale_ = false;
    TBitmap image;
    if (list->GetBitmap(ListIndex(), ImageIndex(), &image)) {
      listTransparent_ = clNone;
      if (list->IsMasked(ListIndex())) {
        // The mask becomes a key colour the glyph drawing leaves out.
        listTransparent_ = clFuchsia;
        FillSolidRect(image.Canvas(), Rect(0, 0, image.Width(), image.Height()), clFuchsia);
        list->Draw(image.Canvas(), 0, 0, ListIndex(), ImageIndex());
        image.SetTransparentColor(clFuchsia);
      }
      listGlyph_->SetGlyph(&image);
      listGlyph_->SetNumGlyphs(1);
    } else {
      listGlyph_->SetGlyph(nullptr);
    }
  }
  listGlyph_->SetGlyphStyle(glyph_->GlyphStyle());
  if (listGlyph_->Glyph()->Empty()) return nullptr;
  Transparent = listTransparent_;
  return listGlyph_.get();
}

void TKitBaseGraphicButton::SetImageIndex(Integer Value) {
  listStale_ = true;
  TKitBaseControl::SetImageIndex(Value);
}

void TKitBaseGraphicButton::SetListIndex(Integer Value) {
  listStale_ = true;
  TKitBaseControl::SetListIndex(Value);
}

void TKitBaseGraphicButton::GetIMLChange(TObject* Sender) {
  listStale_ = true;
  TKitBaseControl::GetIMLChange(Sender);
}

void TKitBaseGraphicButton::SetGlyph(TBitmap* Value) {
  glyph_->SetGlyph(Value);
  if (!Loading(this)) SetImageList(nullptr);
}

void TKitBaseGraphicButton::DropDown() {
  if (!dropDownMenu_ || state_ == kKitBtnDroppedDown) return;
  SetState(kKitBtnDroppedDown);
  if (OnDropDown) OnDropDown(this);
  TPoint at = dropDownRight_ ? ClientToScreen(TPoint{Width(), dropDownIndent_})
                             : ClientToScreen(TPoint{dropDownIndent_, Height()});
  dropDownMenu_->SetPopupComponent(this);
  dropDownMenu_->Popup(at.x, at.y);
  // The menu is closed again: drop the mouse messages it left behind.
  win::MSG msg;
  while (win::PeekMessage(&msg, nullptr, win::WM_MOUSEFIRST, win::WM_MOUSELAST, win::PM_REMOVE)) {
  }
  if (win::HWND capture = win::GetCapture()) win::SendMessage(capture, win::WM_CANCELMODE, 0, 0);
  held_ = false;
  SetState(kKitBtnHot);
}

void TKitBaseGraphicButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TKitBaseControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (rectHitTest_ && !IsInside(X, Y)) return;
  mouseInside_ = true;
  if (dropDownMenu_) {
    if (state_ == kKitBtnDroppedDown) {
      SetState(kKitBtnHot);
      return;
    }
    const bool inCombo = dropDownCombo_ && X >= Width() - dropDownComboWidth_;
    if (!dropDownCombo_ || inCombo) {
      DropDown();
      return;
    }
  }
  held_ = true;
  pressOffset_ = 1;
  if (pressed_ && state_ == kKitBtnHot) {
    SetState(kKitBtnDown);
  } else if (!pressed_) {
    SetState(kKitBtnHeld);
    if (repeatedClick_) {
      Click();
      if (held_) StartRepeat();
    }
  }
}

void TKitBaseGraphicButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TKitBaseControl::MouseMove(Shift, X, Y);
  if (state_ == kKitBtnDroppedDown || !Enabled()) return;
  bool inside = HitTest(X, Y);
  if (!inside && offsetTolerance_ && state_ == kKitBtnHeld)
    inside = HitTest(X + pressOffset_ - 1, Y + pressOffset_ - 1);
  if (held_) {
    if (inside)
      SetState(pressed_ ? kKitBtnDown : kKitBtnHeld);
    else if (groupIndex_ == 0 || state_ == kKitBtnHeld)
      SetState(pressed_ ? kKitBtnDown : kKitBtnUp);
  } else if (hotTracking_) {
    if (inside)
      SetState(kKitBtnHot);
    else if (state_ == kKitBtnHot)
      SetState(previousState_);
  }
  if (inside && !mouseInside_) {
    mouseInside_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
  }
  mouseInside_ = inside;
}

void TKitBaseGraphicButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TKitBaseControl::MouseUp(Button, Shift, X, Y);
  if (!held_) return;
  held_ = false;
  StopRepeat();
  const bool inside = HitTest(X, Y);
  Byte next = state_;
  if (groupIndex_ == 0) {
    if (state_ == kKitBtnDisabled || state_ == kKitBtnDisabledDown)
      next = state_;
    else
      next = (inside && hotTracking_) ? kKitBtnHot : kKitBtnUp;
  } else if (!inside) {
    next = pressed_ ? kKitBtnDown : kKitBtnUp;
  } else if (state_ == kKitBtnDown && pressed_ && !allowAllUp_) {
    next = kKitBtnDown;
  } else {
    // Latching through SetPressed releases the rest of the group; releasing needs AllowAllUp.
    SetPressed(!pressed_);
    next = pressed_ ? kKitBtnDown : kKitBtnUp;
  }
  SetState(next);
  if (inside) {
    if (!repeatedClick_) Click();
    ReevaluateAfterClick();
  }
}

void TKitBaseGraphicButton::ReevaluateAfterClick() {
  win::POINT p{};
  if (!win::GetCursorPos(&p)) return;
  TPoint local;
  try {
    local = ScreenToClient(TPoint{p.x, p.y});
  } catch (const Exception&) {
    return;
  }
  // A latched button goes Hot too; its previous state (Down) returns when the mouse leaves.
  if (HitTest(local.x, local.y) && Enabled() && hotTracking_) {
    postClick_ = 1;
    SetState(kKitBtnHot);
    postClick_ = 0;
  }
}

void TKitBaseGraphicButton::MouseExit() {
  TKitBaseControl::MouseExit();
  if (hotTracking_ && !held_ && state_ == kKitBtnHot) SetState(previousState_);
  if (hideHint_ && Application) Application->CancelHint();
}

void TKitBaseGraphicButton::CMEnabledChanged(TMessage& Message) {
  TKitBaseControl::CMEnabledChanged(Message);
  if (Enabled())
    SetState(pressed_ ? kKitBtnDown : kKitBtnUp);
  else
    SetState(pressed_ ? kKitBtnDisabledDown : kKitBtnDisabled);
  Invalidate();
}

void TKitBaseGraphicButton::CMDialogChar(TMessage& Message) {
  const Word ch = static_cast<Word>(Message.WParam);
  if (!IsAccel(ch, Caption()) || !Enabled() || !Visible() || !Parent() || !Parent()->Enabled()) return;
  if (dropDownMenu_) {
    if (state_ == kKitBtnDroppedDown)
      SetState(kKitBtnHot);
    else
      DropDown();
  } else if (groupIndex_ != 0) {
    if (!pressed_) {
      SetPressed(true);
      Click();
    } else {
      SetPressed(false);
    }
  } else {
    SetState(kKitBtnHot);
    Click();
    if (!mouseInside_) SetState(kKitBtnUp);
  }
  Message.Result = 1;
}

void TKitBaseGraphicButton::CMFontChanged(TMessage& Message) {
  TKitBaseControl::CMFontChanged(Message);
  if (!fontGuard_) FontChanged(Font());
}

void TKitBaseGraphicButton::FontChanged(TObject* Sender) {
  if (fontFX_->Angle() != 0 && !Loading(this)) {
    Canvas()->Font()->Assign(Font());
    if (!IsTrueTypeFont(Canvas())) {
      ++fontGuard_;
      if (Sender == Font()) {
        fontFX_->OnChange = nullptr;
        fontFX_->SetAngle(0);
        fontFX_->OnChange = [this](TObject* s) { FontChanged(s); };
      } else {
        // The window system's TrueType sans face.
        Font()->SetName("Arial");
      }
      --fontGuard_;
    }
  }
  Invalidate();
}

void TKitBaseGraphicButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TKitBaseControl::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  // The link reports every later change of the action; only the image is taken again
  // there, so values changed by hand keep the link's own rules.
  if (auto* link = dynamic_cast<TBasicActionLink*>(ActionLink()))
    link->OnChange = [this](TObject* l) { ActionLinkChanged(l); };
  MirrorActionImage(action);
}

void TKitBaseGraphicButton::ActionLinkChanged(TObject* Link) {
  auto* link = static_cast<TBasicActionLink*>(Link);
  // A link losing its action (the button going, the action freed) has nothing to show.
  auto* action = dynamic_cast<TCustomAction*>(link->Action());
  if (action && action->ImageIndex() != mirroredImage_) MirrorActionImage(action);
}

void TKitBaseGraphicButton::MirrorActionImage(TCustomAction* action) {
  mirroredImage_ = action->ImageIndex();
  TCustomImageList* images = nullptr;
  if (action->ActionList()) images = dynamic_cast<TCustomImageList*>(action->ActionList()->Images());
  const Integer index = action->ImageIndex();
  if (images && index >= 0 && index < images->Count()) {
    TBitmap bmp;
    bmp.SetSize(images->Width(), images->Height());
    FillSolidRect(bmp.Canvas(), Rect(0, 0, images->Width(), images->Height()), clFuchsia);
    images->Draw(bmp.Canvas(), 0, 0, index);
    // Through the glyph object, so that its state images and image count follow.
    glyph_->SetGlyph(&bmp);
  } else {
    glyph_->SetGlyph(nullptr);
  }
  Invalidate();
}

void TKitBaseGraphicButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_BUTTONPRESSED) {
    auto* sender = reinterpret_cast<TKitBaseGraphicButton*>(Message.LParam);
    if (sender != this && static_cast<Integer>(Message.WParam) == groupIndex_ && groupIndex_ != 0) {
      auto* other = dynamic_cast<TKitBaseGraphicButton*>(reinterpret_cast<TControl*>(Message.LParam));
      if (other && other->pressed_ && pressed_) {
        // Straight to Up, without SetState: the previous state stays.
        pressed_ = false;
        state_ = kKitBtnUp;
        Invalidate();
      }
      if (other) allowAllUp_ = other->allowAllUp_;
    }
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    CMDialogChar(Message);
    return;
  }
  TKitBaseControl::Dispatch(Message);
}

void TKitBaseGraphicButton::Notification(TComponent* AComponent, TOperation Operation) {
  TKitBaseControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

void TKitBaseGraphicButton::Loaded() {
  TKitBaseControl::Loaded();
  Invalidate();
}

// ---- TKitCustomSpeedButton ------------------------------------------------------------------

const TClass& TKitCustomSpeedButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomSpeedButton>("TKitCustomSpeedButton", TKitBaseGraphicButton::StaticClass());
  return cls;
}

TKitCustomSpeedButton::TKitCustomSpeedButton(TComponent* AOwner) : TKitBaseGraphicButton(AOwner) {
  hotTracking_ = true;
  rectHitTest_ = false;
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable});
  SetBounds(Left(), Top(), 23, 22);
}

void TKitCustomSpeedButton::SetStyle(TKitUserButtonStyle Value) {
  if (style_ == Value) return;
  const bool wasExplorer = style_ == ubsExplorer || style_ == ubsExplorerColored;
  style_ = Value;
  GlyphObject()->SetGlyphStyle((Value == ubsFlatUnColored || Value == ubsNavigator || Value == ubsExplorer) ? 1 : 0);
  const bool explorer = Value == ubsExplorer || Value == ubsExplorerColored;
  if (explorer != wasExplorer) {
    transparentFlag_ = explorer;
    TControlStyle style = ControlStyle();
    if (explorer)
      style.Exclude(csOpaque);
    else
      style.Include(csOpaque);
    SetControlStyle(style);
  }
  Invalidate();
}

bool TKitCustomSpeedButton::HotLookDiffers() {
  return TKitBaseGraphicButton::HotLookDiffers() || (style_ >= ubsCorvaneFlat && style_ <= ubsExplorerColored);
}

void TKitCustomSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TKitUserButtonStyle kind = style_;
  if (kind == ubsAutoDetect) kind = KitNewStyleControls() ? ubsWin40 : ubsWin31;
  Integer inset = 1;
  if (kind == ubsWin31)
    inset = 3;
  else if (kind == ubsWin40 || kind == ubsCorvane || kind == ubsCorvaneFlat || kind == ubsNavigator ||
           kind == ubsIntegrated)
    inset = 2;
  const TRect client = Rect(0, 0, Width(), Height());
  if (style_ == ubsExplorer || style_ == ubsExplorerColored) {
    TKitBitmapEffectObject* fx = BackgroundEffect();
    if (!KitDrawParentBackground(this, canvas, client, TPoint{0, 0}, fx->Active() ? fx : nullptr))
      FillSolidRect(canvas, client, Color());
  }
  const Byte st = Designing(this) ? kKitBtnHot : State();
  const Word flags = kKitBfRounded | kKitBfStandard;
  TRect main = client;
  if (ComboActive()) {
    main.right -= DropDownComboWidth();
    TRect face = main;
    DrawButtonFrame(canvas, MouseInside(), face, style_, st == kKitBtnDroppedDown ? kKitBtnHot : st, flags, Color());
    TRect combo = Rect(main.right, 0, client.right, client.bottom);
    TRect cface = combo;
    DrawButtonFrame(canvas, MouseInside(), cface, style_, st == kKitBtnHeld ? kKitBtnHot : st, flags, Color());
    DrawArrow(canvas, combo.left + (DropDownComboWidth() - 5) / 2, (Height() - 3) / 2, 3, clBlack, true, Enabled());
  } else {
    TRect face = main;
    DrawButtonFrame(canvas, MouseInside(), face, style_, st, flags, Color());
  }
  TRect content = Rect(main.left + inset, main.top + inset, main.right - inset, main.bottom - inset);
  if (st == kKitBtnDown || st == kKitBtnHeld || (st == kKitBtnDroppedDown && !ComboActive())) {
    content.left += 1;
    content.top += 1;
    content.right += 1;
    content.bottom += 1;
  }
  DrawGlyphAndCaption(canvas, content, st);
}

void TKitBaseGraphicButton::DrawGlyphAndCaption(TCanvas* canvas, const TRect& content, Byte st) {
  TBitmap* strip = nullptr;
  TRect glyphRect{};
  TCanvas* glyphCanvas = nullptr;
  TColor transparent = clNone;
  if (TKitGlyph* glyph = PaintGlyph(transparent); glyph && glyph->StateImage(st, strip, glyphRect))
    glyphCanvas = strip->Canvas();
  canvas->SetFont(Font());
  if (HotTracking() && EnterColorChange() &&
      (st == kKitBtnHot || st == kKitBtnDown || st == kKitBtnHeld || st == kKitBtnDroppedDown))
    canvas->Font()->SetColor(EnterColor());
  const Word options = Enabled() ? kKitTextEnabled : 0;
  TKitGlyphTextRects rects;
  DrawGlyphAndText(canvas, UseCaption() ? Caption() : std::string(), FontFX(), content, glyphCanvas, glyphRect,
                   nullptr, glyphCanvas ? transparent : clNone, ButtonLayout(), MultiLine(), true, false, options, 0,
                   rects);
}

// ---- published classes ----------------------------------------------------------------------

const TClass& TKitSpeedButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitSpeedButton>("TKitSpeedButton", TKitCustomSpeedButton::StaticClass(), &TKitSpeedButton::Publish);
  return cls;
}

const TEnumInfo& KitUserButtonStyleInfo() {
  static const TEnumInfo info("TKitUserButtonStyle",
                              {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsCorvane", "ubsCorvaneFlat", "ubsFlat",
                               "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"});
  return info;
}

void RegisterKitSpeedButtonClasses() {
  RegisterClasses({&TKitSpeedButton::StaticClass(), &TKitOfficeButton::StaticClass()});
}

void TKitSpeedButton::Publish(TPublished& published) {
  using B = TKitSpeedButton;
  TControl::PublishProperties(published, {"Align", "Action", "Anchors", "Caption", "Color", "Enabled", "Font", "ParentFont",
                                          "PopupMenu", "ShowHint", "ParentShowHint", "Visible", "OnClick",
                                          "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<B>();
  p.Enum("Style", KitUserButtonStyleInfo(), &B::Style, &B::SetStyle).Default(ubsAutoDetect);
  TKitBaseGraphicButton::PublishFromBase(published);
  p.Boolean("UseCaption", &B::UseCaption, &B::SetUseCaption).Default(true);
  p.Boolean("MultiLine", &B::MultiLine, &B::SetMultiLine).Default(false);
  p.Integer("EnterColor", &B::EnterColor, &B::SetEnterColor).Idents(ColorIdents()).Default(clCaptionText);
  p.Boolean("EnterColorChange", &B::EnterColorChange, &B::SetEnterColorChange).Default(false);
  p.Object("ButtonLayout", &B::ButtonLayout);
  p.Object("FontFX", &B::FontFX);
  p.Boolean("RepeatedClick", &B::RepeatedClick, &B::SetRepeatedClick).Default(false);
  p.Integer("RepeatingDelay", &B::RepeatingDelay, &B::SetRepeatingDelay).Default(500);
  p.Integer("RepeatingInterval", &B::RepeatingInterval, &B::SetRepeatingInterval).Default(100);
  p.Component("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu);
  p.Event("OnDropDown", &B::OnDropDown);
  p.Boolean("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(false);
  p.Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(0);
  p.Boolean("Pressed", &B::Pressed, &B::SetPressed).Default(false);
  p.Boolean("DropDownCombo", &B::DropDownCombo, &B::SetDropDownCombo).Default(false);
  p.Integer("DropDownComboWidth", &B::DropDownComboWidth, &B::SetDropDownComboWidth).Default(12);
  p.Integer("DropDownIndent", &B::DropDownIndent, &B::SetDropDownIndent).Default(0);
  p.Boolean("DropDownRight", &B::DropDownRight, &B::SetDropDownRight).Default(false);
}

void TKitBaseGraphicButton::PublishFromBase(TPublished& published) {
  using B = TKitBaseGraphicButton;
  auto p = published.For<B>();
  // A module-wide list travels as "Internal" instead.
  p.Component("ImageList", &B::ImageList, &B::SetImageList).StoredIf(&B::ImageListStored);
  p.Integer("ImageIndex", &B::ImageIndex, &B::SetImageIndex).Default(0);
  p.Integer("ListIndex", &B::ListIndex, &B::SetListIndex).Default(0);
  p.Object("Glyph", &B::Glyph, &B::SetGlyph);
  p.Integer("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(1);
  p.Event("OnMouseEnter", &B::OnMouseEnter);
  p.Event("OnMouseExit", &B::OnMouseExit);
}

const TClass& TKitOfficeButton::StaticClass() {
  // Preset to the flat style, which a form then need not name.
  static const TClass cls = TClass::Of<TKitOfficeButton>(
      "TKitOfficeButton", TKitSpeedButton::StaticClass(),
      [](TPublished& published) { published.Redefault("Style", Int64{ubsFlat}); });
  return cls;
}

TKitOfficeButton::TKitOfficeButton(TComponent* AOwner) : TKitSpeedButton(AOwner) {
  SetStyle(ubsFlat);
  TControlStyle style = ControlStyle();
  style.Exclude(csOpaque);
  SetControlStyle(style);
}
