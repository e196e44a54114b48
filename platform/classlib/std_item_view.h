#pragma once
// TCustomItemView: what the list view and the tree view share, rows of items scrolled by
// a first shown row: the scroll position, the wheel, the focus (drawn differently, so
// each focus change repaints), the border, and the selection and editing options.
// A view says how to keep the first row in range (ClampTop), what a change of layout
// does (LayoutChanged) and what happens when the delay before in-place editing is over
// (EditDelayElapsed). It has no class of its own in the registry: the views keep
// TCustomControl as their class parent.
//
// When there are more rows than fit, a vertical scroll bar is drawn over the right edge
// of the client area, the window system's bar (scroll_bar.h): its arrows scroll a row, the
// track a page, and the thumb is dragged (RowCount and PageRows give its proportions).
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

 protected:
  virtual void ClampTop() = 0;
  // All rows, and the rows one page shows.
  virtual Integer RowCount() = 0;
  virtual Integer PageRows() = 0;
  // Where the rows start (below a header); the scroll bar starts there too.
  virtual Integer RowsTop() { return 0; }
  // The scroll bar's rectangle (client coordinates); empty when every row fits.
  TRect ScrollBarRect();
  virtual void LayoutChanged() = 0;
  virtual void EditDelayElapsed() = 0;

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
  bool focused_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  bool hideSelection_ = true;
  bool readOnly_ = false;
  bool rowSelect_ = false;

 private:
  win::SCROLLINFO BarInfo();
  void ScrollTo(Integer row);
  // A press on the scroll bar; false when the point is elsewhere.
  bool ScrollBarPress(Integer X, Integer Y);
  void WMVScroll(TMessage& Message);
  win::ScrollPart pressedPart_ = win::ScrollPart::None;
};
