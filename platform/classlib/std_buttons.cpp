#include "platform/classlib/std_buttons.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_label.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"

namespace {

const bool kButtonsRegistered = [] {
  RegisterClasses({&TButton::StaticClass(), &TCheckBox::StaticClass(), &TRadioButton::StaticClass(),
                   &TSpeedButton::StaticClass()});
  return true;
}();

constexpr Integer kBoxSize = 13;

// A caption with its accelerator underlined, embossed when disabled.
void DrawCaption(TCanvas* c, const std::string& caption, TRect r, win::UINT flags, bool enabled, TColor color) {
  if (!enabled) {
    TRect light = r;
    win::OffsetRect(&light, 1, 1);
    DrawTextOn(c, caption, light, flags, clBtnHighlight);
    color = clBtnShadow;
  }
  DrawTextOn(c, caption, r, flags, color);
}

}  // namespace

// Three strokes falling to the lower middle and rising to the right.
void DrawCheckMark(TCanvas* c, const TRect& box, TColor color) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
  for (int k = 0; k < 3; ++k) {
    c->MoveTo(box.left + 3, box.top + 5 + k);
    c->LineTo(box.left + 5, box.top + 7 + k);
    c->LineTo(box.left + 10, box.top + 2 + k);
  }
}

// ---- TButtonControl ----------------------------------------------------------------------------

const TClass& TButtonControl::StaticClass() {
  static const TClass cls = TClass::Of<TButtonControl>("TButtonControl", TCustomControl::StaticClass());
  return cls;
}

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
  // Clicks come from Pressed, not from the generic click of a press and a release.
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse};
  SetTabStop(true);
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TCustomControl::ActionChange(Sender, CheckDefaults);
  if (!Sender) return;
  if (const TPropInfo* p = GetPropInfo(Sender, "Checked"); p && p->Kind == pkBoolean) {
    bool checked = GetOrdProp(Sender, *p) != 0;
    if (!CheckDefaults || !GetChecked()) {
      // Mirroring the action is no click of the user.
      bool saved = clicksDisabled_;
      clicksDisabled_ = true;
      try {
        SetChecked(checked);
      } catch (...) {
        clicksDisabled_ = saved;
        throw;
      }
      clicksDisabled_ = saved;
    }
  }
}

void TButtonControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    CMDialogChar(Message);
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TButtonControl::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    Pressed();
    Message.Result = 1;
  }
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && Enabled()) {
    if (CanFocus() && !Focused()) SetFocus();
    tracking_ = true;
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (tracking_) {
    TRect client = ClientRect();
    bool inside = win::PtInRect(&client, TPoint{X, Y}) != 0;
    if (inside != pressed_) {
      pressed_ = inside;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  bool click = false;
  if (Button == mbLeft && tracking_) {
    TRect client = ClientRect();
    click = win::PtInRect(&client, TPoint{X, Y}) != 0;
    tracking_ = false;
    pressed_ = false;
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (click) Pressed();
}

void TButtonControl::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == win::VK_SPACE && !pressed_) {
    pressed_ = true;
    Invalidate();
  }
}

void TButtonControl::KeyUp(Word& Key, TShiftState Shift) {
  TCustomControl::KeyUp(Key, Shift);
  if (Key == win::VK_SPACE && pressed_ && !tracking_) {
    pressed_ = false;
    Invalidate();
    Pressed();
  }
}

void TButtonControl::WMSetFocus(TMessage& Message) {
  focused_ = true;
  TCustomControl::WMSetFocus(Message);
  Invalidate();
}

void TButtonControl::WMKillFocus(TMessage& Message) {
  focused_ = false;
  if (!tracking_) pressed_ = false;
  TCustomControl::WMKillFocus(Message);
  Invalidate();
}

void TButtonControl::WMCancelMode(TMessage& Message) {
  tracking_ = false;
  pressed_ = false;
  Invalidate();
  TCustomControl::WMCancelMode(Message);
}

void TButtonControl::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

void TButtonControl::CMEnabledChanged(TMessage& Message) {
  TCustomControl::CMEnabledChanged(Message);
  Invalidate();
}

// ---- TButton --------------------------------------------------------------------------------------

const TClass& TButton::StaticClass() {
  static const TClass cls = TClass::Of<TButton>("TButton", TButtonControl::StaticClass(), &TButton::Publish);
  return cls;
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(Left(), Top(), 75, 25); }

void TButton::SetDefault(bool value) {
  if (default_ == value) return;
  default_ = value;
  // Without a focused button the default one takes Enter.
  TCustomForm* form = ::GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  active_ = dynamic_cast<TButton*>(active) ? active == this : value;
  Invalidate();
}

void TButton::Click() {
  if (modalResult_ != 0)
    if (TCustomForm* form = ::GetParentForm(this)) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: {
      auto key = static_cast<Word>(Message.WParam);
      bool plain = KeyDataToShiftState(Message.LParam).Empty();
      if (((key == win::VK_RETURN && active_) || (key == win::VK_ESCAPE && cancel_)) && plain && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TControl*>(Message.LParam);
      bool now = dynamic_cast<TButton*>(focused) ? focused == this : default_;
      if (now != active_) {
        active_ = now;
        Invalidate();
      }
      break;
    }
    default:
      break;
  }
  TButtonControl::Dispatch(Message);
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  if (active_ || focused_) {
    // The button Enter would press has a black outline.
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
    win::InflateRect(&r, -1, -1);
  }
  if (pressed_) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  } else {
    TRect e = r;
    win::DrawEdge(c->Handle(), &e, win::EDGE_RAISED, win::BF_RECT);
  }
  c->SetFont(Font());
  TRect text = r;
  if (pressed_) win::OffsetRect(&text, 1, 1);
  DrawCaption(c, Caption(), text, win::DT_CENTER | win::DT_VCENTER | win::DT_SINGLELINE, Enabled(), Font()->Color());
  if (focused_) {
    TRect f = r;
    win::InflateRect(&f, -3, -3);
    c->DrawFocusRect(f);
  }
}

void TButton::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Action",     "Anchors",     "Caption",     "Constraints", "DragCursor",  "DragMode",
                  "Enabled",    "Font",        "ParentFont",  "ParentShowHint", "PopupMenu", "ShowHint",
                  "TabOrder",   "TabStop",     "Visible",     "OnClick",     "OnEnter",     "OnExit",
                  "OnKeyDown",  "OnKeyPress",  "OnKeyUp",     "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TButton>();
  p.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  p.Boolean("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  p.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
  published.Redefault("TabStop", Int64{1});
}

// ---- TCustomCheckBox ---------------------------------------------------------------------------------

const TEnumInfo& CheckBoxStateInfo() {
  static const TEnumInfo info("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  return info;
}

const TClass& TCustomCheckBox::StaticClass() {
  static const TClass cls = TClass::Of<TCustomCheckBox>("TCustomCheckBox", TButtonControl::StaticClass());
  return cls;
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(Left(), Top(), 97, 17);
}

void TCustomCheckBox::SetAlignment(TAlignment value) {
  if (value == taCenter) value = taRightJustify;
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
  if (state_ == value) return;
  state_ = value;
  Invalidate();
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

TRect TCustomCheckBox::BoxRect() {
  Integer top = (ClientHeight() - kBoxSize) / 2;
  Integer left = alignment_ == taRightJustify ? 0 : ClientWidth() - kBoxSize;
  return Bounds(left, top, kBoxSize, kBoxSize);
}

void TCustomCheckBox::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  TRect box = BoxRect();
  c->Brush()->SetColor(pressed_ || state_ == cbGrayed || !Enabled() ? clBtnFace : clWindow);
  c->FillRect(box);
  TRect e = box;
  win::DrawEdge(c->Handle(), &e, win::EDGE_SUNKEN, win::BF_RECT);
  if (state_ != cbUnchecked) DrawCheckMark(c, box, state_ == cbGrayed || !Enabled() ? clBtnShadow : clWindowText);
  c->SetFont(Font());
  TRect text = alignment_ == taRightJustify ? TRect{kBoxSize + 4, 0, client.right, client.bottom}
                                            : TRect{0, 0, box.left - 4, client.bottom};
  DrawCaption(c, Caption(), text, win::DT_LEFT | win::DT_VCENTER | win::DT_SINGLELINE, Enabled(), Font()->Color());
  if (focused_ && !Caption().empty()) {
    TRect measure = text;
    std::string caption = Caption();
    DrawTextOn(c, caption, measure, win::DT_LEFT | win::DT_VCENTER | win::DT_SINGLELINE | win::DT_CALCRECT,
               Font()->Color());
    TRect f{measure.left - 1, text.top + (text.bottom - text.top - (measure.bottom - measure.top)) / 2 - 1,
            measure.right + 1, 0};
    f.bottom = f.top + (measure.bottom - measure.top) + 2;
    c->DrawFocusRect(f);
  }
}

const TClass& TCheckBox::StaticClass() {
  static const TClass cls = TClass::Of<TCheckBox>("TCheckBox", TCustomCheckBox::StaticClass(), &TCheckBox::Publish);
  return cls;
}

void TCheckBox::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Action",     "Anchors",     "Caption",     "Color",       "Constraints", "Ctl3D",
                  "DragCursor", "DragMode",    "Enabled",     "Font",        "ParentColor", "ParentCtl3D",
                  "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",   "TabOrder",    "TabStop",
                  "Visible",    "OnClick",     "OnEnter",     "OnExit",      "OnKeyDown",   "OnKeyPress",
                  "OnKeyUp",    "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TCustomCheckBox>();
  p.Enum("Alignment", AlignmentInfo(), &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment)
      .Default(taRightJustify);
  p.Boolean("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  p.Boolean("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetCheckedValue)
      .StoredIf([](TCustomCheckBox* self) { return self->State() == cbChecked; });
  p.Enum("State", CheckBoxStateInfo(), &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
  published.Redefault("TabStop", Int64{1});
}

// ---- TRadioButton ---------------------------------------------------------------------------------

const TClass& TRadioButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TRadioButton>("TRadioButton", TButtonControl::StaticClass(), &TRadioButton::Publish);
  return cls;
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(Left(), Top(), 113, 17);
  SetTabStop(false);
}

void TRadioButton::SetAlignment(TAlignment value) {
  if (value == taCenter) value = taRightJustify;
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TRadioButton::SetCheckedValue(bool value) {
  if (checked_ == value) return;
  checked_ = value;
  // A form stores TabStop itself.
  if (!ComponentState().Contains(csLoading)) SetTabStop(value);
  Invalidate();
  if (!value) return;
  // One radio button of a parent is checked at a time.
  if (TWinControl* parent = Parent()) {
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (other && other != this && other->checked_) {
        other->checked_ = false;
        other->SetTabStop(false);
        other->Invalidate();
      }
    }
  }
  if (!ClicksDisabled()) Click();
}

void TRadioButton::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  Integer top = (client.bottom - kBoxSize) / 2;
  Integer left = alignment_ == taRightJustify ? 0 : client.right - kBoxSize;
  TRect circle = Bounds(left, top, kBoxSize, kBoxSize);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clBtnShadow);
  c->Brush()->SetColor(pressed_ || !Enabled() ? clBtnFace : clWindow);
  c->Ellipse(circle);
  if (checked_) {
    TRect dot = circle;
    win::InflateRect(&dot, -4, -4);
    c->Pen()->SetColor(clWindowText);
    c->Brush()->SetColor(Enabled() ? clWindowText : clBtnShadow);
    c->Ellipse(dot);
  }
  c->SetFont(Font());
  TRect text = alignment_ == taRightJustify ? TRect{kBoxSize + 4, 0, client.right, client.bottom}
                                            : TRect{0, 0, left - 4, client.bottom};
  DrawCaption(c, Caption(), text, win::DT_LEFT | win::DT_VCENTER | win::DT_SINGLELINE, Enabled(), Font()->Color());
}

void TRadioButton::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Action",     "Anchors",     "Caption",     "Color",       "Constraints", "Ctl3D",
                  "DragCursor", "DragMode",    "Enabled",     "Font",        "ParentColor", "ParentCtl3D",
                  "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",   "TabOrder",    "TabStop",
                  "Visible",    "OnClick",     "OnEnter",     "OnExit",      "OnKeyDown",   "OnKeyPress",
                  "OnKeyUp",    "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TRadioButton>();
  p.Enum("Alignment", AlignmentInfo(), &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
  p.Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetCheckedValue).Default(false);
}

// ---- TSpeedButton -----------------------------------------------------------------------------------

const TEnumInfo& ButtonLayoutInfo() {
  static const TEnumInfo info("TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  return info;
}

const TClass& TSpeedButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TSpeedButton>("TSpeedButton", TGraphicControl::StaticClass(), &TSpeedButton::Publish);
  return cls;
}

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()), glyphs_(std::make_unique<TCustomImageList>(nullptr)) {
  controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
  SetBounds(Left(), Top(), 23, 22);
  glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

void TSpeedButton::GlyphChanged() {
  glyphs_->Clear();
  if (!glyph_->Empty()) {
    // A glyph whose width does not hold NumGlyphs pictures is one picture.
    Integer n = glyph_->Width() % numGlyphs_ == 0 ? numGlyphs_ : 1;
    glyphs_->SetSize(glyph_->Width() / n, glyph_->Height());
    glyphs_->AddMasked(glyph_.get(), glyph_->TransparentColor());
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(Integer value) {
  value = std::clamp<Integer>(value, 1, 4);
  if (numGlyphs_ == value) return;
  numGlyphs_ = value;
  GlyphChanged();
}

void TSpeedButton::SetGroupIndex(Integer value) {
  if (groupIndex_ == value) return;
  groupIndex_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = value;
  state_ = value ? bsExclusive : bsUp;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (allowAllUp_ == value) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<win::WPARAM>(groupIndex_), reinterpret_cast<win::LPARAM>(this), 0};
  Parent()->Broadcast(m);
}

void TSpeedButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_BUTTONPRESSED && static_cast<Integer>(Message.WParam) == groupIndex_ && groupIndex_ != 0) {
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (sender && sender != this) {
      // Another button of the group went down (or changed the group's rule).
      if (sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
      }
      allowAllUp_ = sender->allowAllUp_;
    }
    return;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Invalidate();
}

void TSpeedButton::SetMargin(Integer value) {
  if (value < -1) value = -1;
  if (margin_ == value) return;
  margin_ = value;
  Invalidate();
}

void TSpeedButton::SetSpacing(Integer value) {
  if (spacing_ == value) return;
  spacing_ = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  if (value)
    controlStyle_.Exclude(csOpaque);
  else
    controlStyle_.Include(csOpaque);
  Invalidate();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  TRect client = ClientRect();
  bool inside = win::PtInRect(&client, TPoint{X, Y}) != 0;
  TButtonState next = down_ ? bsExclusive : (inside ? bsDown : bsUp);
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_ || Button != mbLeft) return;
  dragging_ = false;
  TRect client = ClientRect();
  bool click = win::PtInRect(&client, TPoint{X, Y}) != 0;
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (click) {
    SetDown(!down_);
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    Invalidate();
  }
  if (click) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::CMMouseEnter(Message);
  mouseInside_ = true;
  if (flat_ && Enabled()) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  mouseInside_ = false;
  if (flat_ && Enabled()) Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
  TGraphicControl::CMEnabledChanged(Message);
  Invalidate();
}

void TSpeedButton::CMTextChanged(TMessage& Message) {
  TGraphicControl::CMTextChanged(Message);
  Invalidate();
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool downLook = state_ == bsDown || state_ == bsExclusive;
  if (!transparent_ || downLook || !flat_) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(state_ == bsExclusive ? clBtnHighlight : Color());
    c->FillRect(r);
  }
  TRect e = r;
  if (!flat_)
    win::DrawEdge(c->Handle(), &e, downLook ? win::EDGE_SUNKEN : win::EDGE_RAISED, win::BF_RECT);
  else if (downLook)
    win::DrawEdge(c->Handle(), &e, win::BDR_SUNKENOUTER, win::BF_RECT);
  else if (mouseInside_ && Enabled())
    win::DrawEdge(c->Handle(), &e, win::BDR_RAISEDINNER, win::BF_RECT);

  // Glyph and caption placed together as Layout, Margin and Spacing say.
  Integer gw = glyphs_->Count() > 0 ? glyphs_->Width() : 0;
  Integer gh = glyphs_->Count() > 0 ? glyphs_->Height() : 0;
  std::string caption = Caption();
  c->SetFont(Font());
  TSize ts{0, 0};
  if (!caption.empty()) ts = c->TextExtent(StripAccel(caption));
  Integer space = (gw > 0 && !caption.empty()) ? spacing_ : 0;
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  Integer total = horizontal ? gw + space + ts.cx : gh + space + ts.cy;
  Integer extent = horizontal ? r.right : r.bottom;
  Integer margin = margin_ < 0 ? (extent - total) / 2 : margin_;
  TPoint gp{(r.right - gw) / 2, (r.bottom - gh) / 2};
  TRect tr{(r.right - ts.cx) / 2, (r.bottom - ts.cy) / 2, 0, 0};
  switch (layout_) {
    case blGlyphLeft:
      gp.x = margin;
      tr.left = margin + gw + space;
      break;
    case blGlyphRight:
      gp.x = r.right - margin - gw;
      tr.left = gp.x - space - ts.cx;
      break;
    case blGlyphTop:
      gp.y = margin;
      tr.top = margin + gh + space;
      break;
    case blGlyphBottom:
      gp.y = r.bottom - margin - gh;
      tr.top = gp.y - space - ts.cy;
      break;
  }
  tr.right = tr.left + ts.cx;
  tr.bottom = tr.top + ts.cy;
  if (downLook) {
    gp.x += 1;
    gp.y += 1;
    win::OffsetRect(&tr, 1, 1);
  }
  if (gw > 0) {
    // Picture 1 is the disabled one, 2 the pressed one, 3 the one staying down.
    Integer index = 0;
    bool enabled = Enabled();
    if (!enabled && glyphs_->Count() > 1) {
      index = 1;
      enabled = true;
    } else if (state_ == bsDown && glyphs_->Count() > 2) {
      index = 2;
    } else if (state_ == bsExclusive && glyphs_->Count() > 3) {
      index = 3;
    }
    glyphs_->Draw(c, gp.x, gp.y, index, enabled);
  }
  if (!caption.empty())
    DrawCaption(c, caption, tr, win::DT_LEFT | win::DT_SINGLELINE, Enabled(), Font()->Color());
}

void TSpeedButton::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Action",     "Anchors",     "Caption",     "Constraints", "Enabled",
                                          "Font",       "ParentFont",  "ParentShowHint", "PopupMenu", "ShowHint",
                                          "Visible",    "OnClick",     "OnDblClick",  "OnMouseDown", "OnMouseMove",
                                          "OnMouseUp"});
  auto p = published.For<TSpeedButton>();
  p.Boolean("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  p.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  p.Boolean("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
  p.Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
  p.Object("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
  p.Enum("Layout", ButtonLayoutInfo(), &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  p.Integer("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
  p.Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  p.Integer("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
  p.Boolean("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}
