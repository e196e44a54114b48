#include "platform/classlib/std_item_view.h"

#include "platform/classlib/std_inplace_edit.h"
#include "platform/win/input.h"
#include "platform/win/timers.h"

TCustomItemView::TCustomItemView(TComponent* AOwner, Integer width, Integer height) : TCustomControl(AOwner) {
  controlStyle_ = controlStyle_ + TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  controlStyle_.Exclude(csAcceptsControls);
  SetBounds(Left(), Top(), width, height);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCustomItemView::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone) value = bsSingle;
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomItemView::SetHideSelection(bool value) {
  if (hideSelection_ == value) return;
  hideSelection_ = value;
  Invalidate();
}

void TCustomItemView::SetRowSelect(bool value) {
  if (rowSelect_ == value) return;
  rowSelect_ = value;
  Invalidate();
}

THitTests TCustomItemView::HitsOutside(Integer X, Integer Y) {
  THitTests result;
  if (X < 0) result.Include(htToLeft);
  if (X >= ClientWidth()) result.Include(htToRight);
  if (Y < 0) result.Include(htAbove);
  if (Y >= ClientHeight()) result.Include(htBelow);
  return result;
}

TCanvas* TCustomItemView::PaintBackground() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->SetFont(Font());
  return c;
}

TColor TCustomItemView::SelectionColor() const { return focused_ ? clHighlight : clBtnFace; }

TColor TCustomItemView::SelectionTextColor() const { return focused_ ? clHighlightText : clWindowText; }

void TCustomItemView::FillSelection(TCanvas* c, const TRect& r) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(SelectionColor());
  c->FillRect(r);
}

void TCustomItemView::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else
      Params.Style |= win::WS_BORDER;
  }
}

void TCustomItemView::Dispatch(TMessage& Message) {
  if (Message.Msg == win::WM_TIMER && Message.WParam == TInplaceEditCore::TimerId) {
    EditDelayElapsed();
    return;
  }
  TCustomControl::Dispatch(Message);
}

bool TCustomItemView::WantsKey(Word Key) { return IsArrowOrPageKey(Key); }

bool TCustomItemView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  topRow_ -= (WheelDelta / win::WHEEL_DELTA) * 3;
  ClampTop();
  Invalidate();
  return true;
}

void TCustomItemView::WMSetFocus(TMessage& Message) {
  focused_ = true;
  TCustomControl::WMSetFocus(Message);
  Invalidate();
}

void TCustomItemView::WMKillFocus(TMessage& Message) {
  focused_ = false;
  TCustomControl::WMKillFocus(Message);
  Invalidate();
}

void TCustomItemView::WMSize(TMessage& Message) {
  TCustomControl::WMSize(Message);
  ClampTop();
}

void TCustomItemView::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  LayoutChanged();
}
