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
  if (Message.Msg == win::WM_HSCROLL) {
    WMHScroll(Message);
    return;
  }
  const Integer x = win::GET_X_LPARAM(Message.LParam), y = win::GET_Y_LPARAM(Message.LParam);
  if ((Message.Msg == win::WM_LBUTTONDOWN || Message.Msg == win::WM_LBUTTONDBLCLK) && ScrollBarPress(x, y)) return;
  TCustomControl::Dispatch(Message);
}

bool TCustomItemView::WantsKey(Word Key) { return IsArrowOrPageKey(Key); }

bool TCustomItemView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  ScrollTo(topRow_ - (WheelDelta / win::WHEEL_DELTA) * 3);
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

// ---- the scroll bars -----------------------------------------------------------------------------

TItemViewBars FitItemViewBars(Integer width, Integer height, Integer rowHeight, Integer rowCount,
                              Integer contentWidth, Integer barWidth, Integer barHeight) {
  TItemViewBars b;
  rowHeight = std::max<Integer>(rowHeight, 1);
  // Each bar only ever brings the other, so this settles within two rounds.
  for (int round = 0; round < 3; ++round) {
    const Integer h = height - (b.horizontal ? barHeight : 0);
    const bool vertical = rowCount > std::max<Integer>(h / rowHeight, 1) && width > barWidth && h > 0;
    const bool horizontal = contentWidth > width - (vertical ? barWidth : 0) && height > barHeight && width > 0;
    if (vertical == b.vertical && horizontal == b.horizontal) break;
    b.vertical = vertical;
    b.horizontal = horizontal;
  }
  b.rowsWidth = std::max<Integer>(width - (b.vertical ? barWidth : 0), 0);
  b.rowsHeight = std::max<Integer>(height - (b.horizontal ? barHeight : 0), 0);
  return b;
}

Integer TCustomItemView::ContentWidth() {
  if (!contentWidth_) contentWidth_ = MeasureContentWidth();
  return *contentWidth_;
}

TItemViewBars TCustomItemView::Bars() {
  return FitItemViewBars(ClientWidth(), ClientHeight() - RowsTop(), RowHeight(), RowCount(), ContentWidth(),
                         win::GetSystemMetrics(win::SM_CXVSCROLL), win::GetSystemMetrics(win::SM_CYHSCROLL));
}

Integer TCustomItemView::PageRows() {
  return std::max<Integer>(Bars().rowsHeight / std::max<Integer>(RowHeight(), 1), 1);
}

TRect TCustomItemView::VertBarRect() {
  const TItemViewBars b = Bars();
  if (!b.vertical) return TRect{0, 0, 0, 0};
  const Integer top = RowsTop();
  return TRect{b.rowsWidth, top, ClientWidth(), top + b.rowsHeight};
}

TRect TCustomItemView::HorzBarRect() {
  const TItemViewBars b = Bars();
  if (!b.horizontal) return TRect{0, 0, 0, 0};
  return TRect{0, ClientHeight() - win::GetSystemMetrics(win::SM_CYHSCROLL), b.rowsWidth, ClientHeight()};
}

win::SCROLLINFO TCustomItemView::BarInfo(int bar) {
  win::SCROLLINFO si;
  si.fMask = win::SIF_ALL;
  if (bar == win::SB_HORZ) {
    si.nMax = std::max<Integer>(ContentWidth(), 1) - 1;
    si.nPage = static_cast<win::UINT>(std::clamp<Integer>(RowsWidth(), 0, si.nMax + 1));
    si.nPos = scrollX_;
  } else {
    si.nMax = std::max<Integer>(RowCount(), 1) - 1;
    si.nPage = static_cast<win::UINT>(std::clamp<Integer>(PageRows(), 0, si.nMax + 1));
    si.nPos = topRow_;
  }
  return si;
}

std::optional<win::SCROLLINFO> TCustomItemView::ScrollBarInfo(int bar) {
  const TItemViewBars b = Bars();
  if (!(bar == win::SB_HORZ ? b.horizontal : b.vertical)) return std::nullopt;
  return BarInfo(bar);
}

void TCustomItemView::ClampTop() {
  topRow_ = std::clamp<Integer>(topRow_, 0, std::max<Integer>(0, RowCount() - PageRows()));
  ClampLeft();
}

void TCustomItemView::ClampLeft() {
  const TItemViewBars b = Bars();
  const Integer last = b.horizontal ? std::max<Integer>(ContentWidth() - b.rowsWidth, 0) : 0;
  scrollX_ = std::clamp<Integer>(scrollX_, 0, last);
}

void TCustomItemView::ScrollXTo(Integer x) { MoveScrollPos(scrollX_, x, &TCustomItemView::ClampLeft); }

void TCustomItemView::ScrollLabelIntoView(Integer left, Integer labelLeft, Integer labelRight, bool start) {
  const Integer width = RowsWidth();
  const Integer mustShowRight = start ? labelLeft + 1 : labelRight;
  if (labelLeft < width && mustShowRight > 0 && (!start || labelLeft >= 0)) return;
  if (left < 0 || labelRight - left > width)
    ScrollXTo(scrollX_ + left);
  else if (labelRight > width)
    ScrollXTo(scrollX_ + labelRight - width);
}

void TCustomItemView::ScrollTo(Integer row) { MoveScrollPos(topRow_, row, &TCustomItemView::ClampTop); }

void TCustomItemView::MoveScrollPos(Integer& pos, Integer to, void (TCustomItemView::*keepInRange)()) {
  const Integer before = pos;
  pos = to;
  (this->*keepInRange)();
  const Integer after = pos;
  if (after == before) return;
  // An in-place editor ends over the items as they were.
  pos = before;
  BeforeScroll();
  pos = after;
  Invalidate();
}

void TCustomItemView::WMVScroll(TMessage& Message) {
  if (const auto top = win::RequestedScrollPos(Message.WParam, topRow_, 1, PageRows(), RowCount())) ScrollTo(*top);
  Message.Result = 0;
}

void TCustomItemView::WMHScroll(TMessage& Message) {
  const Integer page = RowsWidth();
  if (const auto x = win::RequestedScrollPos(Message.WParam, scrollX_, HorzLine, page, ContentWidth() - page))
    ScrollXTo(*x);
  Message.Result = 0;
}

bool TCustomItemView::ScrollBarPress(Integer X, Integer Y) {
  auto inside = [X, Y](const TRect& r) { return X >= r.left && X < r.right && Y >= r.top && Y < r.bottom; };
  const TRect vert = VertBarRect(), horz = HorzBarRect();
  const int which = inside(vert) ? win::SB_VERT : inside(horz) ? win::SB_HORZ : -1;
  if (which < 0) return false;
  const TRect bar = which == win::SB_VERT ? vert : horz;
  const TPoint origin = ClientOrigin();
  win::HeldScrollBar held;
  held.hwnd = Handle();
  held.bar = win::RECT{bar.left + origin.x, bar.top + origin.y, bar.right + origin.x, bar.bottom + origin.y};
  held.vertical = which == win::SB_VERT;
  held.info = [this, which] { return BarInfo(which); };
  held.scroll = [this, which](win::WPARAM code) {
    Perform(which == win::SB_VERT ? win::WM_VSCROLL : win::WM_HSCROLL, code, 0);
  };
  held.show = [this, which](win::ScrollPart part, std::optional<int>) {
    pressedBar_ = which;
    pressedPart_ = part;
    Invalidate();
  };
  win::TrackScrollBar(held, win::POINT{X + origin.x, Y + origin.y});
  return true;
}

void TCustomItemView::PaintWindow(win::HDC DC) {
  TCustomControl::PaintWindow(DC);
  const TRect vert = VertBarRect(), horz = HorzBarRect();
  for (const int which : {win::SB_VERT, win::SB_HORZ}) {
    const TRect& bar = which == win::SB_VERT ? vert : horz;
    if (bar.right <= bar.left) continue;
    const win::SCROLLINFO si = BarInfo(which);
    win::PaintScrollBar(DC,
                        win::LayOutScrollBar(win::RECT{bar.left, bar.top, bar.right, bar.bottom},
                                             which == win::SB_VERT, si, si.nPos),
                        pressedBar_ == which ? pressedPart_ : win::ScrollPart::None);
  }
  if (vert.right > vert.left && horz.right > horz.left) {
    // The square where the two bars meet.
    const win::RECT corner{vert.left, horz.top, vert.right, horz.bottom};
    win::FillRect(DC, &corner, win::GetSysColorBrush(win::COLOR_BTNFACE));
  }
}
