#include "platform/classlib/std_trackbar.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"

namespace {

const bool kTrackBarRegistered = [] {
  RegisterClass(TTrackBar::StaticClass());
  return true;
}();

// Distance of the thumb from the edge the ticks are on the other side of.
constexpr Integer kEdge = 8;

}  // namespace

const TEnumInfo& TrackBarOrientationInfo() {
  static const TEnumInfo info("TTrackBarOrientation", {"trHorizontal", "trVertical"});
  return info;
}

const TEnumInfo& TickMarkInfo() {
  static const TEnumInfo info("TTickMark", {"tmBottomRight", "tmTopLeft", "tmBoth"});
  return info;
}

const TEnumInfo& TickStyleInfo() {
  static const TEnumInfo info("TTickStyle", {"tsNone", "tsAuto", "tsManual"});
  return info;
}

const TClass& TTrackBar::StaticClass() {
  static const TClass cls = TClass::Of<TTrackBar>("TTrackBar", TCustomControl::StaticClass(), &TTrackBar::Publish);
  return cls;
}

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_.Exclude(csAcceptsControls);
  controlStyle_.Include(csCaptureMouse);
  SetBounds(Left(), Top(), 150, 45);
  SetTabStop(true);
}

// ---- geometry ------------------------------------------------------------------------------------

Integer TTrackBar::Span() const { return std::max<Integer>(thumbLength_ * 11 / 20, 5); }

Integer TTrackBar::ChannelMargin() const { return Span() / 2 + 3; }

Integer TTrackBar::ThumbAcross() {
  Integer across = Horizontal() ? ClientHeight() : ClientWidth();
  if (tickStyle_ == tsNone || tickMarks_ == tmBoth) return (across - thumbLength_) / 2;
  if (tickMarks_ == tmTopLeft) return across - kEdge - thumbLength_;
  return kEdge;
}

Integer TTrackBar::CentreOf(Integer position) {
  Integer along = Horizontal() ? ClientWidth() : ClientHeight();
  Integer l = ChannelMargin();
  Integer length = std::max<Integer>(along - 2 * l, 0);
  if (max_ <= min_) return l;
  return l + static_cast<Integer>(static_cast<Int64>(position - min_) * length / (max_ - min_));
}

TRect TTrackBar::ChannelRect() {
  Integer along = Horizontal() ? ClientWidth() : ClientHeight();
  Integer l = ChannelMargin();
  Integer mid = ThumbAcross() + thumbLength_ / 2;
  if (Horizontal()) return TRect{l, mid - 2, along - l, mid + 2};
  return TRect{mid - 2, l, mid + 2, along - l};
}

TRect TTrackBar::ThumbRect() {
  Integer s = Span();
  Integer c = CentreOf(position_) - s / 2;
  Integer t = ThumbAcross();
  if (Horizontal()) return TRect{c, t, c + s, t + thumbLength_};
  return TRect{t, c, t + thumbLength_, c + s};
}

Integer TTrackBar::PositionAt(Integer x, Integer y) {
  Integer along = Horizontal() ? ClientWidth() : ClientHeight();
  Integer l = ChannelMargin();
  Integer length = along - 2 * l;
  if (length <= 0 || max_ <= min_) return min_;
  Integer offset = std::clamp<Integer>((Horizontal() ? x : y) - l, 0, length);
  auto p = static_cast<Integer>(::Round(static_cast<double>(offset) * (max_ - min_) / length));
  return std::clamp<Integer>(min_ + p, min_, max_);
}

// ---- range and position -----------------------------------------------------------------------------

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::SetPosition(Integer value) {
  // A form may give the position before the range: it is checked once loading ends.
  if (ComponentState().Contains(csLoading)) {
    position_ = value;
    return;
  }
  value = std::clamp<Integer>(value, min_, std::max(min_, max_));
  if (value == position_) return;
  position_ = value;
  Invalidate();
  Changed();
}

void TTrackBar::Loaded() {
  TCustomControl::Loaded();
  position_ = std::clamp<Integer>(position_, min_, std::max(min_, max_));
}

void TTrackBar::SetRange(Integer AMin, Integer AMax) {
  if (AMax < AMin) AMax = AMin;
  if (AMin == min_ && AMax == max_) return;
  min_ = AMin;
  max_ = AMax;
  Invalidate();
  if (!ComponentState().Contains(csLoading)) SetPosition(position_);
}

void TTrackBar::SetMin(Integer value) { SetRange(value, std::max(value, max_)); }
void TTrackBar::SetMax(Integer value) { SetRange(std::min(min_, value), value); }

void TTrackBar::SetFrequency(Integer value) {
  if (value < 1) value = 1;
  if (frequency_ == value) return;
  frequency_ = value;
  Invalidate();
}

void TTrackBar::SetSelStart(Integer value) {
  if (selStart_ == value) return;
  selStart_ = value;
  Invalidate();
}

void TTrackBar::SetSelEnd(Integer value) {
  if (selEnd_ == value) return;
  selEnd_ = value;
  Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

void TTrackBar::SetThumbLength(Integer value) {
  if (value < 4) value = 4;
  if (thumbLength_ == value) return;
  thumbLength_ = value;
  Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark value) {
  if (tickMarks_ == value) return;
  tickMarks_ = value;
  Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle value) {
  if (tickStyle_ == value) return;
  tickStyle_ = value;
  Invalidate();
}

void TTrackBar::SetSliderVisible(bool value) {
  if (sliderVisible_ == value) return;
  sliderVisible_ = value;
  Invalidate();
}

void TTrackBar::SetTick(Integer value) {
  if (std::find(ticks_.begin(), ticks_.end(), value) == ticks_.end()) ticks_.push_back(value);
  Invalidate();
}

// ---- input ------------------------------------------------------------------------------------------

void TTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case TBM_GETPOS:
      Message.Result = position_;
      return;
    case TBM_GETRANGEMIN:
      Message.Result = min_;
      return;
    case TBM_GETRANGEMAX:
      Message.Result = max_;
      return;
    case TBM_SETPOS:
      SetPosition(static_cast<Integer>(Message.LParam));
      return;
    case TBM_SETRANGEMIN:
      SetMin(static_cast<Integer>(Message.LParam));
      return;
    case TBM_SETRANGEMAX:
      SetMax(static_cast<Integer>(Message.LParam));
      return;
    case TBM_GETTHUMBRECT:
      if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = ThumbRect();
      return;
    case TBM_GETCHANNELRECT:
      if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = ChannelRect();
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

bool TTrackBar::WantsKey(Word Key) { return IsArrowOrPageKey(Key); }

void TTrackBar::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case win::VK_LEFT:
    case win::VK_UP:
      SetPosition(position_ - lineSize_);
      break;
    case win::VK_RIGHT:
    case win::VK_DOWN:
      SetPosition(position_ + lineSize_);
      break;
    case win::VK_PRIOR:
      SetPosition(position_ - pageSize_);
      break;
    case win::VK_NEXT:
      SetPosition(position_ + pageSize_);
      break;
    case win::VK_HOME:
      SetPosition(min_);
      break;
    case win::VK_END:
      SetPosition(max_);
      break;
    default:
      break;
  }
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    TRect thumb = ThumbRect();
    if (sliderVisible_ && win::PtInRect(&thumb, TPoint{X, Y})) {
      // Dragging keeps the grip where the thumb was taken.
      dragging_ = true;
      dragOffset_ = (Horizontal() ? X : Y) - CentreOf(position_);
    } else {
      // A press beside the thumb pages towards the press.
      Integer at = Horizontal() ? X : Y;
      SetPosition(at < CentreOf(position_) ? position_ - pageSize_ : position_ + pageSize_);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (dragging_) {
    if (Horizontal())
      SetPosition(PositionAt(X - dragOffset_, Y));
    else
      SetPosition(PositionAt(X, Y - dragOffset_));
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) dragging_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::WMSetFocus(TMessage& Message) {
  focused_ = true;
  TCustomControl::WMSetFocus(Message);
  Invalidate();
}

void TTrackBar::WMKillFocus(TMessage& Message) {
  focused_ = false;
  dragging_ = false;
  TCustomControl::WMKillFocus(Message);
  Invalidate();
}

// ---- painting ----------------------------------------------------------------------------------------

void TTrackBar::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);

  // The channel, sunken.
  TRect ch = ChannelRect();
  c->Brush()->SetColor(clWindow);
  c->FillRect(ch);
  TRect edge = ch;
  win::DrawEdge(c->Handle(), &edge, win::EDGE_SUNKEN, win::BF_RECT);
  if (selEnd_ > selStart_) {
    Integer a = CentreOf(std::clamp(selStart_, min_, max_));
    Integer b = CentreOf(std::clamp(selEnd_, min_, max_));
    TRect sel = Horizontal() ? TRect{a, ch.top + 1, b, ch.bottom - 1} : TRect{ch.left + 1, a, ch.right - 1, b};
    c->Brush()->SetColor(clHighlight);
    c->FillRect(sel);
  }

  // Ticks beside the thumb, 3 pixels long, 2 pixels off it.
  if (tickStyle_ != tsNone) {
    std::vector<Integer> at;
    at.push_back(min_);
    if (tickStyle_ == tsAuto)
      for (Integer p = min_ + frequency_; p < max_; p += frequency_) at.push_back(p);
    else
      for (Integer p : ticks_)
        if (p > min_ && p < max_) at.push_back(p);
    at.push_back(max_);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWindowText);
    Integer t = ThumbAcross();
    auto tick = [&](Integer along, Integer from) {
      if (Horizontal()) {
        c->MoveTo(along, from);
        c->LineTo(along, from + 3);
      } else {
        c->MoveTo(from, along);
        c->LineTo(from + 3, along);
      }
    };
    for (Integer p : at) {
      Integer along = CentreOf(p);
      if (tickMarks_ == tmBottomRight || tickMarks_ == tmBoth) tick(along, t + thumbLength_ + 2);
      if (tickMarks_ == tmTopLeft || tickMarks_ == tmBoth) tick(along, t - 5);
    }
  }

  if (sliderVisible_) {
    TRect thumb = ThumbRect();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(thumb);
    win::DrawEdge(c->Handle(), &thumb, win::EDGE_RAISED, win::BF_RECT);
  }
  if (focused_) {
    TRect f = client;
    win::InflateRect(&f, -1, -1);
    c->DrawFocusRect(f);
  }
}

void TTrackBar::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Align",      "Anchors",    "Constraints", "Ctl3D",     "DragCursor", "DragMode", "Enabled",
                  "ParentCtl3D", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",   "TabStop",  "Visible",
                  "OnEnter",    "OnExit",     "OnKeyDown",   "OnKeyPress", "OnKeyUp"});
  auto p = published.For<TTrackBar>();
  p.Integer("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency).Default(1);
  p.Integer("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize).Default(1);
  p.Integer("Max", &TTrackBar::Max, &TTrackBar::SetMax).Default(10);
  p.Integer("Min", &TTrackBar::Min, &TTrackBar::SetMin).Default(0);
  p.Enum("Orientation", TrackBarOrientationInfo(), &TTrackBar::Orientation, &TTrackBar::SetOrientation)
      .Default(trHorizontal);
  p.Integer("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize).Default(2);
  p.Integer("Position", &TTrackBar::Position, &TTrackBar::SetPosition).Default(0);
  p.Integer("SelEnd", &TTrackBar::SelEnd, &TTrackBar::SetSelEnd).Default(0);
  p.Integer("SelStart", &TTrackBar::SelStart, &TTrackBar::SetSelStart).Default(0);
  p.Boolean("SliderVisible", &TTrackBar::SliderVisible, &TTrackBar::SetSliderVisible).Default(true);
  p.Integer("ThumbLength", &TTrackBar::ThumbLength, &TTrackBar::SetThumbLength).Default(20);
  p.Enum("TickMarks", TickMarkInfo(), &TTrackBar::TickMarks, &TTrackBar::SetTickMarks).Default(tmBottomRight);
  p.Enum("TickStyle", TickStyleInfo(), &TTrackBar::TickStyle, &TTrackBar::SetTickStyle).Default(tsAuto);
  p.Event("OnChange", &TTrackBar::OnChange);
  published.Redefault("TabStop", Int64{1});
}
