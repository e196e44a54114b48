#pragma once
// TTrackBar: a thumb that slides along a channel between Min and Max.
//
// Geometry (horizontal; a vertical bar swaps x and y, with Min at the top). With the
// client W x H and ThumbLength TL:
//   thumb span  S = max(TL x 11 div 20, 5) pixels along the channel
//   channel     from L = S div 2 + 3 to W - L along, 4 pixels across, centred on the
//               thumb's middle
//   thumb       across from T (8 with ticks below, H - 8 - TL with ticks above, centred
//               with ticks on both sides or none) to T + TL; along, S pixels centred on
//               c = L + (Position - Min) x (W - 2L) div (Max - Min)
// The thumb's centre runs over the whole channel: a point along the channel is a
// fraction of its length, which is how a pop-up slider turns a mouse position into a
// value. TBM_GETCHANNELRECT and TBM_GETTHUMBRECT answer the two rectangles.
#include <functional>
#include <vector>

#include "platform/classlib/win_control.h"

// Track bar messages (the class library's numbers, above WM_USER).
inline constexpr win::UINT TBM_GETPOS = win::WM_USER;
inline constexpr win::UINT TBM_GETRANGEMIN = win::WM_USER + 1;
inline constexpr win::UINT TBM_GETRANGEMAX = win::WM_USER + 2;
inline constexpr win::UINT TBM_SETPOS = win::WM_USER + 5;      // LParam: the position
inline constexpr win::UINT TBM_SETRANGEMIN = win::WM_USER + 7;  // LParam: the minimum
inline constexpr win::UINT TBM_SETRANGEMAX = win::WM_USER + 8;  // LParam: the maximum
inline constexpr win::UINT TBM_GETTHUMBRECT = win::WM_USER + 25;    // LParam: RECT*
inline constexpr win::UINT TBM_GETCHANNELRECT = win::WM_USER + 26;  // LParam: RECT*

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };
const TEnumInfo& TrackBarOrientationInfo();
const TEnumInfo& TickMarkInfo();
const TEnumInfo& TickStyleInfo();

class TTrackBar : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTrackBar(TComponent* AOwner);

  // ---- range and position ----
  Integer Min() const { return min_; }
  void SetMin(Integer value);
  Integer Max() const { return max_; }
  void SetMax(Integer value);
  // Clamped to Min .. Max; a change fires OnChange (from code too).
  Integer Position() const { return position_; }
  void SetPosition(Integer value);
  void SetRange(Integer AMin, Integer AMax);
  Integer Frequency() const { return frequency_; }
  void SetFrequency(Integer value);
  Integer LineSize() const { return lineSize_; }
  void SetLineSize(Integer value) { lineSize_ = value; }
  Integer PageSize() const { return pageSize_; }
  void SetPageSize(Integer value) { pageSize_ = value; }
  Integer SelStart() const { return selStart_; }
  void SetSelStart(Integer value);
  Integer SelEnd() const { return selEnd_; }
  void SetSelEnd(Integer value);

  // ---- appearance ----
  TTrackBarOrientation Orientation() const { return orientation_; }
  // Swaps width and height when it changes (outside loading), as the control turns.
  void SetOrientation(TTrackBarOrientation value);
  Integer ThumbLength() const { return thumbLength_; }
  void SetThumbLength(Integer value);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark value);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle value);
  bool SliderVisible() const { return sliderVisible_; }
  void SetSliderVisible(bool value);
  // A tick of its own at a position (tsManual shows only these and the ends).
  void SetTick(Integer value);

  // ---- geometry (client coordinates) ----
  TRect ChannelRect();
  TRect ThumbRect();
  // The position nearest to a client point (along the channel).
  Integer PositionAt(Integer x, Integer y);

  TNotifyEvent OnChange;

 protected:
  void Changed() override;
  void Loaded() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  bool WantsKey(Word Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;

 private:
  Integer Span() const;
  Integer ChannelMargin() const;
  // Where the thumb starts across the channel.
  Integer ThumbAcross();
  // The thumb's centre along the channel for a position.
  Integer CentreOf(Integer position);
  bool Horizontal() const { return orientation_ == trHorizontal; }

  Integer min_ = 0;
  Integer max_ = 10;
  Integer position_ = 0;
  Integer frequency_ = 1;
  Integer lineSize_ = 1;
  Integer pageSize_ = 2;
  Integer selStart_ = 0;
  Integer selEnd_ = 0;
  TTrackBarOrientation orientation_ = trHorizontal;
  Integer thumbLength_ = 20;
  TTickMark tickMarks_ = tmBottomRight;
  TTickStyle tickStyle_ = tsAuto;
  bool sliderVisible_ = true;
  std::vector<Integer> ticks_;
  bool dragging_ = false;
  Integer dragOffset_ = 0;
  bool focused_ = false;
};
