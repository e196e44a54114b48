#include "platform/classlib/scrolling.h"

#include <algorithm>

#include "platform/win/scroll_bar.h"
#include "platform/win/system_tables.h"

#include "platform/classlib/class_registry.h"

namespace {

// Form files name the class.
const bool kScrollBoxRegistered = [] {
  RegisterClass(TScrollBox::StaticClass());
  return true;
}();

const TEnumInfo& ScrollBarKindInfo() {
  static const TEnumInfo info("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  return info;
}

}  // namespace

// ---- TControlScrollBar -----------------------------------------------------------------------

const TClass& TControlScrollBar::StaticClass() {
  static const TClass cls =
      TClass::Of<TControlScrollBar>("TControlScrollBar", TPersistent::StaticClass(), &TControlScrollBar::Publish);
  return cls;
}

void TControlScrollBar::Publish(TPublished& published) {
  auto p = published.For<TControlScrollBar>();
  p.Integer("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement).Default(8);
  p.Integer("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin).Default(0);
  p.Integer("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange)
      .Default(0)
      .StoredIf(&TControlScrollBar::RangeStored);
  p.Integer("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
  p.Boolean("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking).Default(false);
  p.Boolean("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
  (void)ScrollBarKindInfo();
}

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : control_(control), kind_(kind) {}

TPersistent* TControlScrollBar::GetOwner() { return control_; }

void TControlScrollBar::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TControlScrollBar*>(source)) {
    visible_ = s->visible_;
    range_ = s->range_;
    increment_ = s->increment_;
    margin_ = s->margin_;
    tracking_ = s->tracking_;
    control_->UpdateScrollBars();
    SetPosition(s->position_);
    return;
  }
  TPersistent::Assign(source);
}

bool TControlScrollBar::RangeStored() const { return !control_->AutoScroll(); }

void TControlScrollBar::SetIncrement(TScrollBarInc value) { increment_ = std::max<TScrollBarInc>(value, 1); }

void TControlScrollBar::SetMargin(Integer value) {
  margin_ = std::max(value, 0);
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetRange(Integer value) {
  // A range set by hand takes over from AutoScroll.
  control_->autoScroll_ = false;
  DoSetRange(value);
}

void TControlScrollBar::DoSetRange(Integer value) {
  value = std::max(value, 0);
  if (value == range_) return;
  range_ = value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(Integer value) {
  if (control_->ComponentState().Contains(csLoading)) {
    position_ = std::max(value, 0);
    return;
  }
  value = std::clamp(value, 0, calcRange_);
  if (value == position_) return;
  Integer old = position_;
  position_ = value;
  UpdateWindowBar();
  if (kind_ == sbHorizontal)
    control_->ScrollBy(old - value, 0);
  else
    control_->ScrollBy(0, old - value);
}

void TControlScrollBar::UpdateWindowBar() {
  win::HWND wnd = control_->WindowHandle();
  if (!wnd) return;
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  si.nMax = shown_ ? range_ - 1 : 0;
  si.nPage = shown_ ? static_cast<win::UINT>(range_ - calcRange_) : 0;
  si.nPos = position_;
  win::SetScrollInfo(wnd, kind_ == sbHorizontal ? win::SB_HORZ : win::SB_VERT, &si, 1);
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
  TRect client = control_->ClientRect();
  Integer page = kind_ == sbHorizontal ? client.right - client.left : client.bottom - client.top;
  Message.Result = 0;
  // Without Tracking the view moves only when the thumb is let go.
  if (LoWord(Message.WParam) == win::SB_THUMBTRACK && !tracking_) return;
  if (const auto pos = win::RequestedScrollPos(Message.WParam, position_, increment_, page, calcRange_))
    SetPosition(*pos);
}

// ---- TScrollingWinControl -----------------------------------------------------------------------

const TClass& TScrollingWinControl::StaticClass() {
  static const TClass cls =
      TClass::Of<TScrollingWinControl>("TScrollingWinControl", TWinControl::StaticClass(), &TScrollingWinControl::Publish);
  return cls;
}

void TScrollingWinControl::Publish(TPublished&) {}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {
  horzScrollBar_ = std::make_unique<TControlScrollBar>(this, sbHorizontal);
  vertScrollBar_ = std::make_unique<TControlScrollBar>(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (autoScroll_ == value) return;
  autoScroll_ = value;
  if (!value) {
    horzScrollBar_->range_ = 0;
    vertScrollBar_->range_ = 0;
  }
  UpdateScrollBars();
}

void TScrollingWinControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= barStyle_;
}

TPoint TScrollingWinControl::ClientSizeWithoutBars() {
  TRect client = ClientRect();
  TPoint size{client.right - client.left, client.bottom - client.top};
  if (barStyle_ & win::WS_VSCROLL) size.x += win::GetSystemMetrics(win::SM_CXVSCROLL);
  if (barStyle_ & win::WS_HSCROLL) size.y += win::GetSystemMetrics(win::SM_CYHSCROLL);
  return size;
}

// The children's extent, measured from the scrolled origin, plus the margins.
void TScrollingWinControl::CalcAutoRange() {
  if (!autoScroll_ || ComponentState().Contains(csLoading)) return;
  Integer right = 0, bottom = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() && !ComponentState().Contains(csDesigning)) continue;
    // Controls stretched to the client area or tied to its far edge follow the view.
    if (c->Align() != alRight && c->Align() != alClient && c->Align() != alTop && c->Align() != alBottom &&
        !(c->Anchors().Contains(akRight) && !c->Anchors().Contains(akLeft)))
      right = std::max(right, c->Left() + c->Width() + horzScrollBar_->position_ + horzScrollBar_->margin_);
    if (c->Align() != alBottom && c->Align() != alClient && c->Align() != alLeft && c->Align() != alRight &&
        !(c->Anchors().Contains(akBottom) && !c->Anchors().Contains(akTop)))
      bottom = std::max(bottom, c->Top() + c->Height() + vertScrollBar_->position_ + vertScrollBar_->margin_);
  }
  horzScrollBar_->range_ = right;
  vertScrollBar_->range_ = bottom;
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updatingBars_ || ComponentState().Contains(csLoading)) return;
  updatingBars_ = true;
  try {
    CalcAutoRange();
    TPoint full = ClientSizeWithoutBars();
    const Integer barW = win::GetSystemMetrics(win::SM_CXVSCROLL);
    const Integer barH = win::GetSystemMetrics(win::SM_CYHSCROLL);
    // A bar that shows takes room from the other axis; two passes settle that.
    bool h = false, v = false;
    for (int pass = 0; pass < 2; ++pass) {
      h = horzScrollBar_->visible_ && horzScrollBar_->range_ > full.x - (v ? barW : 0);
      v = vertScrollBar_->visible_ && vertScrollBar_->range_ > full.y - (h ? barH : 0);
    }
    horzScrollBar_->shown_ = h;
    vertScrollBar_->shown_ = v;
    horzScrollBar_->calcRange_ = h ? std::max(0, horzScrollBar_->range_ - (full.x - (v ? barW : 0))) : 0;
    vertScrollBar_->calcRange_ = v ? std::max(0, vertScrollBar_->range_ - (full.y - (h ? barH : 0))) : 0;
    win::DWORD style = (h ? win::WS_HSCROLL : 0) | (v ? win::WS_VSCROLL : 0);
    if (style != barStyle_) {
      barStyle_ = style;
      if (win::HWND wnd = WindowHandle()) {
        auto current = win::GetWindowLong(wnd, win::GWL_STYLE);
        current &= ~static_cast<win::LONG_PTR>(win::WS_HSCROLL | win::WS_VSCROLL);
        win::SetWindowLong(wnd, win::GWL_STYLE, current | static_cast<win::LONG_PTR>(style));
        win::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                          win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                              win::SWP_FRAMECHANGED);
      }
    }
    // Positions beyond the new ranges come back.
    horzScrollBar_->SetPosition(horzScrollBar_->position_);
    vertScrollBar_->SetPosition(vertScrollBar_->position_);
    horzScrollBar_->UpdateWindowBar();
    vertScrollBar_->UpdateWindowBar();
  } catch (...) {
    updatingBars_ = false;
    throw;
  }
  updatingBars_ = false;
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  if (DeltaX == 0 && DeltaY == 0) return;
  DisableAlign();
  try {
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      PlaceChild(c, c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    }
  } catch (...) {
    EnableAlign();
    throw;
  }
  // The children moved by scrolling, not by a new layout.
  controlState_.Exclude(csAlignmentNeeded);
  EnableAlign();
  Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
  if (!AControl || !ContainsControl(AControl) || AControl == this) return;
  TRect r = AControl->BoundsRect();
  for (TWinControl* p = AControl->Parent(); p && p != this; p = p->Parent()) {
    r.left += p->Left();
    r.right += p->Left();
    r.top += p->Top();
    r.bottom += p->Top();
  }
  TRect client = ClientRect();
  auto adjust = [](TControlScrollBar* bar, Integer lo, Integer hi, Integer extent) {
    if (lo < 0)
      bar->SetPosition(bar->Position() + lo - bar->Margin());
    else if (hi > extent)
      bar->SetPosition(bar->Position() + std::min(hi - extent + bar->Margin(), lo));
  };
  adjust(horzScrollBar_.get(), r.left, r.right, client.right - client.left);
  adjust(vertScrollBar_.get(), r.top, r.bottom, client.bottom - client.top);
}

// The children are laid out on the whole scrolled area, moved by the positions.
void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
  Rect = Bounds(-horzScrollBar_->position_, -vertScrollBar_->position_,
                std::max(horzScrollBar_->range_, Rect.right - Rect.left),
                std::max(vertScrollBar_->range_, Rect.bottom - Rect.top));
  TWinControl::AdjustClientRect(Rect);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  CalcAutoRange();
  TWinControl::AlignControls(AControl, Rect);
  const win::DWORD bars = barStyle_;
  UpdateScrollBars();
  // A bar that came or went changed the client area: place the children on the new one.
  // Once, so that children whose extent follows the client cannot flip the bars for ever.
  if (barStyle_ != bars) {
    TRect client = ClientRect();
    TWinControl::AlignControls(AControl, client);
    UpdateScrollBars();
  }
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  TControlScrollBar* bar = vertScrollBar_->shown_   ? vertScrollBar_.get()
                           : horzScrollBar_->shown_ ? horzScrollBar_.get()
                                                    : nullptr;
  if (!bar) return false;
  bar->SetPosition(bar->position_ - (WheelDelta / win::WHEEL_DELTA) * 3 * bar->increment_);
  return true;
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_HSCROLL: WMHScroll(Message); break;
    case win::WM_VSCROLL: WMVScroll(Message); break;
    default: TWinControl::Dispatch(Message); break;
  }
}

void TScrollingWinControl::WMSize(TMessage& Message) {
  TWinControl::WMSize(Message);
  UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TMessage& Message) {
  if (Message.LParam == 0 && horzScrollBar_->visible_)
    horzScrollBar_->ScrollMessage(Message);
  else
    DefaultHandler(Message);
}

void TScrollingWinControl::WMVScroll(TMessage& Message) {
  if (Message.LParam == 0 && vertScrollBar_->visible_)
    vertScrollBar_->ScrollMessage(Message);
  else
    DefaultHandler(Message);
}

// ---- TScrollBox ----------------------------------------------------------------------------------

const TClass& TScrollBox::StaticClass() {
  static const TClass cls = TClass::Of<TScrollBox>("TScrollBox", TScrollingWinControl::StaticClass(), &TScrollBox::Publish);
  return cls;
}

void TScrollBox::Publish(TPublished& published) {
  TWinControl::PublishProperties(published, {"Align",       "Anchors",     "AutoSize",    "Color",       "Constraints",
                                              "Ctl3D",       "DragCursor",  "DragMode",    "Enabled",     "Font",
                                              "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint",
                                              "PopupMenu",   "ShowHint",    "TabOrder",    "TabStop",     "Visible",
                                              "OnCanResize", "OnClick",     "OnConstrainedResize", "OnDblClick",
                                              "OnEnter",     "OnExit",      "OnMouseDown", "OnMouseMove", "OnMouseUp",
                                              "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp", "OnResize"});
  auto p = published.For<TScrollBox>();
  p.Boolean("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll).Default(true);
  p.Enum("BorderStyle", BorderStyleInfo(), &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle).Default(bsSingle);
  p.Object("HorzScrollBar", &TScrollBox::HorzScrollBar, &TScrollBox::SetHorzScrollBar);
  p.Object("VertScrollBar", &TScrollBox::VertScrollBar, &TScrollBox::SetVertScrollBar);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(Left(), Top(), 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone) value = bsSingle;
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else
      Params.Style |= win::WS_BORDER;
  }
}

void TScrollBox::CMCtl3DChanged(TMessage& Message) {
  if (borderStyle_ == bsSingle) RecreateWnd();
  TScrollingWinControl::CMCtl3DChanged(Message);
}
