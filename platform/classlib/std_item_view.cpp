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
  const Integer x = win::GET_X_LPARAM(Message.LParam), y = win::GET_Y_LPARAM(Message.LParam);
  if ((Message.Msg == win::WM_LBUTTONDOWN || Message.Msg == win::WM_LBUTTONDBLCLK) && ScrollBarPress(x, y)) return;
  if (dragOffset_ >= 0) {
    if (Message.Msg == win::WM_MOUSEMOVE) {
      const ThumbPlace t = Thumb();
      const Integer span = (t.trackBottom - t.trackTop) - (t.bottom - t.top);
      const Integer range = RowCount() - PageRows();
      if (span > 0) ScrollTo(((y - dragOffset_ - t.trackTop) * range + span / 2) / span);
      return;
    }
    if (Message.Msg == win::WM_LBUTTONUP || Message.Msg == win::WM_CAPTURECHANGED) {
      dragOffset_ = -1;
      if (Message.Msg == win::WM_LBUTTONUP && win::GetCapture() == WindowHandle()) win::ReleaseCapture();
      return;
    }
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

// ---- the scroll bar ------------------------------------------------------------------------------

TRect TCustomItemView::ScrollBarRect() {
  const Integer w = win::GetSystemMetrics(win::SM_CXVSCROLL);
  if (RowCount() <= PageRows() || ClientWidth() < 2 * w || ClientHeight() < 3 * w) return TRect{0, 0, 0, 0};
  return TRect{ClientWidth() - w, 0, ClientWidth(), ClientHeight()};
}

TCustomItemView::ThumbPlace TCustomItemView::Thumb() {
  const TRect bar = ScrollBarRect();
  const Integer arrow = bar.right - bar.left;
  ThumbPlace t{0, 0, bar.top + arrow, bar.bottom - arrow};
  const Integer track = t.trackBottom - t.trackTop, count = std::max<Integer>(RowCount(), 1);
  const Integer page = std::min(PageRows(), count);
  const Integer size = std::min(track, std::max<Integer>(8, track * page / count));
  const Integer range = count - page;
  t.top = t.trackTop + (range > 0 ? (track - size) * std::clamp<Integer>(topRow_, 0, range) / range : 0);
  t.bottom = t.top + size;
  return t;
}

void TCustomItemView::ScrollTo(Integer row) {
  const Integer before = topRow_;
  topRow_ = row;
  ClampTop();
  if (topRow_ != before) Invalidate();
}

bool TCustomItemView::ScrollBarPress(Integer X, Integer Y) {
  const TRect bar = ScrollBarRect();
  if (bar.right <= bar.left || X < bar.left || X >= bar.right || Y < bar.top || Y >= bar.bottom) return false;
  const ThumbPlace t = Thumb();
  if (Y < t.trackTop)
    ScrollTo(topRow_ - 1);
  else if (Y >= t.trackBottom)
    ScrollTo(topRow_ + 1);
  else if (Y < t.top)
    ScrollTo(topRow_ - PageRows());
  else if (Y >= t.bottom)
    ScrollTo(topRow_ + PageRows());
  else {
    dragOffset_ = Y - t.top;
    win::SetCapture(Handle());
  }
  return true;
}

void TCustomItemView::PaintWindow(win::HDC DC) {
  TCustomControl::PaintWindow(DC);
  const TRect bar = ScrollBarRect();
  if (bar.right <= bar.left) return;
  auto fill = [DC](const TRect& r, int colour) {
    const win::RECT wr{r.left, r.top, r.right, r.bottom};
    win::FillRect(DC, &wr, win::GetSysColorBrush(colour));
  };
  auto button = [&](const TRect& r) {
    fill(r, win::COLOR_BTNFACE);
    win::RECT e{r.left, r.top, r.right, r.bottom};
    win::DrawEdge(DC, &e, win::EDGE_RAISED, win::BF_RECT);
  };
  // An arrow of three to one pixels wide rows, pointing up (dir -1) or down (+1).
  auto arrow = [&](const TRect& r, int dir) {
    const Integer cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    for (Integer i = 0; i < 4; ++i) {
      const Integer y = cy + dir * (i - 2);
      fill(TRect{cx - 3 + i, y, cx + 4 - i, y + 1}, win::COLOR_BTNTEXT);
    }
  };
  const Integer w = bar.right - bar.left;
  const ThumbPlace t = Thumb();
  fill(TRect{bar.left, t.trackTop, bar.right, t.trackBottom}, win::COLOR_SCROLLBAR);
  const TRect up{bar.left, bar.top, bar.right, bar.top + w}, down{bar.left, bar.bottom - w, bar.right, bar.bottom};
  button(up);
  arrow(up, -1);
  button(down);
  arrow(down, +1);
  button(TRect{bar.left, t.top, bar.right, t.bottom});
}
