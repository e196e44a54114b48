#pragma once
// TCustomItemView: what the list view and the tree view share, rows of items scrolled by
// a first shown row: the scroll position, the wheel, the focus (drawn differently, so
// each focus change repaints), the border, and the selection and editing options.
// A view says how many rows it has and how high (RowCount, RowHeight), what a change of
// layout does (LayoutChanged) and what happens when the delay before in-place editing is over
// (EditDelayElapsed). It has no class of its own in the registry: the views keep
// TCustomControl as their class parent.
//
// When there are more rows than fit, a vertical scroll bar is drawn over the right edge
// of the client area, the window system's bar (scroll_bar.h): its arrows scroll a row, the
// track a page, and the thumb is dragged (RowCount and the rows' height give its
// proportions). When the widest item (ContentWidth) is wider than the rows' width, a
// horizontal bar is drawn along the bottom edge and the items move left by ScrollX pixels:
// a view lays its rows out in client coordinates already moved, so hit tests, the
// selection, the in-place editor and DisplayRect all follow. Either bar takes room from
// the other's direction, so one may bring the other (FitItemViewBars).
#include <optional>

#include "platform/classlib/win_control.h"
#include "platform/win/scroll_bar.h"

// Runs `work` between items.BeginUpdate() and items.EndUpdate(), ending the update also
// when it throws, so the view repaints once for the whole change.
template <class Items, class Work>
void WithinUpdate(Items& items, Work&& work) {
  items.BeginUpdate();
  try {
    work();
  } catch (...) {
    items.EndUpdate();
    throw;
  }
  items.EndUpdate();
}

// The parts of a view a point is on.
enum THitTest {
  htAbove,
  htBelow,
  htNowhere,
  htOnItem,
  htOnButton,
  htOnIcon,
  htOnIndent,
  htOnLabel,
  htOnRight,
  htOnStateIcon,
  htToLeft,
  htToRight
};
using THitTests = TSet<THitTest>;

// Which bars a view of `width` x `height` (the rows' area, below any header) needs for
// `rowCount` rows of `rowHeight` and items `contentWidth` wide, and the room left to the
// rows. A bar shows when the view is thicker than the bar, however little that leaves the
// rows: a short view with a long name still needs its bar to show the rest.
struct TItemViewBars {
  bool vertical = false;
  bool horizontal = false;
  Integer rowsWidth = 0;
  Integer rowsHeight = 0;
};
TItemViewBars FitItemViewBars(Integer width, Integer height, Integer rowHeight, Integer rowCount,
                              Integer contentWidth, Integer barWidth, Integer barHeight);

class TCustomItemView : public TCustomControl {
 public:
  // A focusable white box of the given size that takes mouse clicks and no children.
  TCustomItemView(TComponent* AOwner, Integer width, Integer height);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value);

  // The state of a bar (win::SB_VERT, win::SB_HORZ) while it is shown: rows for the
  // vertical one, pixels for the horizontal one.
  std::optional<win::SCROLLINFO> ScrollBarInfo(int bar);
  // How far the items are scrolled left, in pixels.
  Integer ScrollX() const { return scrollX_; }

  // Pixels a line of the horizontal bar (an arrow, Left/Right) scrolls.
  static constexpr Integer HorzLine = 8;

 protected:
  // Keeps the first row and ScrollX in range.
  void ClampTop();
  // All rows, and the height of one.
  virtual Integer RowCount() = 0;
  virtual Integer RowHeight() = 0;
  // The widest item's right edge, unscrolled (0: the view never scrolls sideways),
  // measured once per layout: every bar, page and clamp asks for it.
  Integer ContentWidth();
  virtual Integer MeasureContentWidth() { return 0; }
  // The items' layout changed; views call it wherever they do.
  void ContentChanged() { contentWidth_.reset(); }
  // Where the rows start (below a header); the vertical bar starts there too.
  virtual Integer RowsTop() { return 0; }
  TItemViewBars Bars();
  // The rows one page shows (at least one).
  Integer PageRows();
  // The client width the items show in (without the vertical bar).
  Integer RowsWidth() { return Bars().rowsWidth; }
  // The bars' rectangles (client coordinates); empty when not shown.
  TRect VertBarRect();
  TRect HorzBarRect();
  // Keeps ScrollX in range (ClampTop does too).
  void ClampLeft();
  // Brings an item sideways into view, [left, labelRight) in client coordinates (its left
  // edge when wider than the view), when no part of its label [labelLeft, labelRight)
  // shows or, with `start`, the label's first pixel does not: a label partly in view stays
  // where the person scrolled it.
  void ScrollLabelIntoView(Integer left, Integer labelLeft, Integer labelRight, bool start);
  void ScrollXTo(Integer x);
  virtual void LayoutChanged() = 0;
  virtual void EditDelayElapsed() = 0;
  // The items are about to move under an in-place editor placed over them.
  virtual void BeforeScroll() {}

  // The sides of the client area a point is beyond (empty when inside).
  THitTests HitsOutside(Integer X, Integer Y);
  // Fills the client area with the view's colour and sets the font; returns the canvas.
  TCanvas* PaintBackground();
  // A selected row shows as selected while focused, else unless HideSelection.
  bool ShowsSelection(bool selected) const { return selected && (focused_ || !hideSelection_); }
  TColor SelectionColor() const;
  TColor SelectionTextColor() const;
  void FillSelection(TCanvas* c, const TRect& r);

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  bool WantsKey(Word Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void PaintWindow(win::HDC DC) override;

  Integer topRow_ = 0;  // first row shown
  Integer scrollX_ = 0;  // pixels the items are moved left
  bool focused_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  bool hideSelection_ = true;
  bool readOnly_ = false;
  bool rowSelect_ = false;

 private:
  win::SCROLLINFO BarInfo(int bar);
  void ScrollTo(Integer row);
  // Moves a scroll position (`topRow_` or `scrollX_`) to `to`, kept in range.
  void MoveScrollPos(Integer& pos, Integer to, void (TCustomItemView::*keepInRange)());
  // A press on either scroll bar; false when the point is elsewhere.
  bool ScrollBarPress(Integer X, Integer Y);
  void WMVScroll(TMessage& Message);
  void WMHScroll(TMessage& Message);
  std::optional<Integer> contentWidth_;  // ContentWidth as last measured
  win::ScrollPart pressedPart_ = win::ScrollPart::None;
  int pressedBar_ = win::SB_VERT;
};
