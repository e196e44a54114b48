#include "platform/classlib/std_item_view.h"

#include <algorithm>

#include "platform/classlib/std_inplace_edit.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/system_tables.h"
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
  if (Message.Msg == win::WM_VSCROLL) {
    WMVScroll(Message);
    return;
  }
  const Integer x = win::GET_X_LPARAM(Message.LParam), y = win::GET_Y_LPARAM(Message.LParam);
  if ((Message.Msg == win::WM_LBUTTONDOWN || Message.Msg == win::WM_LBUTTONDBLCLK) && ScrollBarPress(x, y)) return;
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

// ---- the scroll bar ------------------------------------------------------------------------------

TRect TCustomItemView::ScrollBarRect() {
  const Integer w = win::GetSystemMetrics(win::SM_CXVSCROLL);
  const Integer top = RowsTop();
  if (RowCount() <= PageRows() || ClientWidth() < 2 * w || ClientHeight() <= top) return TRect{0, 0, 0, 0};
  return TRect{ClientWidth() - w, top, ClientWidth(), ClientHeight()};
}

win::SCROLLINFO TCustomItemView::BarInfo() {
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  si.nMax = std::max<Integer>(RowCount(), 1) - 1;
  si.nPage = static_cast<win::UINT>(std::clamp<Integer>(PageRows(), 0, si.nMax + 1));
  si.nPos = topRow_;
  return si;
}

void TCustomItemView::ScrollTo(Integer row) {
  const Integer before = topRow_;
  topRow_ = row;
  ClampTop();
  if (topRow_ != before) Invalidate();
}

void TCustomItemView::WMVScroll(TMessage& Message) {
  if (const auto top = win::RequestedScrollPos(Message.WParam, topRow_, 1, PageRows(), RowCount())) ScrollTo(*top);
  Message.Result = 0;
}

bool TCustomItemView::ScrollBarPress(Integer X, Integer Y) {
  const TRect bar = ScrollBarRect();
  if (bar.right <= bar.left || X < bar.left || X >= bar.right || Y < bar.top || Y >= bar.bottom) return false;
  const TPoint origin = ClientOrigin();
  win::HeldScrollBar held;
  held.hwnd = Handle();
  held.bar = win::RECT{bar.left + origin.x, bar.top + origin.y, bar.right + origin.x, bar.bottom + origin.y};
  held.info = [this] { return BarInfo(); };
  held.scroll = [this](win::WPARAM code) { Perform(win::WM_VSCROLL, code, 0); };
  held.show = [this](win::ScrollPart part, std::optional<int>) {
    pressedPart_ = part;
    Invalidate();
  };
  win::TrackScrollBar(held, win::POINT{X + origin.x, Y + origin.y});
  return true;
}

void TCustomItemView::PaintWindow(win::HDC DC) {
  TCustomControl::PaintWindow(DC);
  const TRect bar = ScrollBarRect();
  if (bar.right <= bar.left) return;
  const win::SCROLLINFO si = BarInfo();
  win::PaintScrollBar(DC, win::LayOutScrollBar(win::RECT{bar.left, bar.top, bar.right, bar.bottom}, true, si, si.nPos),
                      pressedPart_);
}
