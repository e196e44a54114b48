#pragma once
// The chart panels: the window control every chart is. TCustomChartPanel owns the chart
// canvas, the 3D view settings, the margins and the event listeners, computes the
// plotting rectangle and paints through the canvas's off-screen buffer.
// TCustomChartPanelExtended adds the background (colour, gradient, picture) and the zoom
// and panning settings.
#include <array>
#include <memory>
#include <string>

#include "chart/chart_canvas.h"
#include "chart/chart_gradient.h"
#include "chart/chart_tools.h"
#include "chart/chart_zoom.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/picture.h"

class TCustomChartPanel;

// A panel with no caption.
class TCustomPanelNoCaption : public TCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomPanelNoCaption(TComponent* AOwner);
};

// ---- listeners ------------------------------------------------------------------------

class TChartEvent : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TCustomChartPanel* Sender = nullptr;
};

enum TChartMouseEventKind { cmeDown, cmeMove, cmeUp };

class TChartMouseEvent : public TChartEvent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TMouseButton Button = mbLeft;
  TShiftState Shift;
  Integer X = 0;
  Integer Y = 0;
  TChartMouseEventKind Kind = cmeDown;
};

// View3D changed.
class TChartView3DEvent : public TChartEvent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
};

// What listens to a panel's events (the chart tools).
class TChartEventListener {
 public:
  virtual ~TChartEventListener() = default;
  virtual void ChartEvent(TChartEvent& Event) = 0;
};

// The listeners of a panel, in the order they joined; not owned.
class TChartEventListeners : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  Integer Add(TChartEventListener* Listener) { return TList::Add(Listener); }
  Integer Remove(TChartEventListener* Listener) { return TList::Remove(Listener); }
  Integer IndexOf(TChartEventListener* Listener) const { return TList::IndexOf(Listener); }
  TChartEventListener* Listener(Integer Index) const { return static_cast<TChartEventListener*>(Get(Index)); }
};

// ---- the panel -------------------------------------------------------------------------

inline constexpr const char* msgChart3DPercent = "3D effect percent must be between %d and %d";

enum TChartMarginIndex { cmLeft, cmTop, cmRight, cmBottom };

class TCustomChartPanel : public TCustomPanelNoCaption {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Width 400, height 250, margins 3, 4, 3, 4 percent, View3D on, 3D percent 15.
  explicit TCustomChartPanel(TComponent* AOwner);
  ~TCustomChartPanel() override;

  // From a TCustomChartPanel: buffering, print margins, PrintProportional, margins,
  // Monochrome, View3D, View3DOptions, Chart3DPercent and Color.
  void Assign(TPersistent* source) override;

  // ---- shared writers: store only a different value, then Invalidate ----
  void ChangeBoolean(bool& Field, bool Value);
  void ChangeInteger(Integer& Field, Integer Value);
  void ChangeColor(TColor& Field, TColor Value);
  void ChangeDouble(Double& Field, Double Value);
  void ChangeString(std::string& Field, const std::string& Value);

  // ---- painting ----
  // Unless repainting is off: marks the canvas buffer stale, then invalidates the window.
  void Invalidate() override;
  // Draws the chart into UserRect of UserCanvas: frame, plotting rectangle, contents,
  // one transfer.
  virtual void DrawTo(TCanvas* UserCanvas, const TRect& UserRect);
  // A bitmap of Rect's size, filled with BackColor unless it is white, with the chart
  // drawn into it unbuffered.
  std::unique_ptr<TBitmap> RenderToBitmap(TColor BackColor, const TRect& Rect, TPixelFormat PixelFormat = pf24bit);
  bool AutoRepaint() const { return autoRepaint_; }
  void SetAutoRepaint(bool value) { autoRepaint_ = value; }

  // ---- geometry ----
  // ChartBounds := Bounds, ChartRect from the margins and BorderWidth, then
  // RecalcWidthHeight.
  void ApplyMargins(const TRect& Bounds);
  // Keeps ChartRect inside ChartBounds' top-left, gives an empty side a size, and sets
  // ChartWidth, ChartHeight and the centre.
  void RecalcWidthHeight();
  const TRect& ChartBounds() const { return chartBounds_; }
  void SetChartBounds(const TRect& value) { chartBounds_ = value; }
  const TRect& ChartRect() const { return chartRect_; }
  // Stores the plotting rectangle and recomputes its sizes and centre.
  void SetChartRect(const TRect& value);
  Integer ChartWidth() const { return chartWidth_; }
  Integer ChartHeight() const { return chartHeight_; }
  Integer ChartXCenter() const { return chartXCenter_; }
  Integer ChartYCenter() const { return chartYCenter_; }
  // Depth in pixels along the depth axis.
  Integer Width3D() const { return width3D_; }
  void SetWidth3D(Integer value) { width3D_ = value; }

  // ---- properties ----
  Integer Chart3DPercent() const { return chart3DPercent_; }
  // 1..100; anything else raises Exception "3D effect percent must be between 1 and 100".
  void SetChart3DPercent(Integer value);
  Integer Margin(TChartMarginIndex Index) const { return margins_[Index]; }
  void SetMargin(TChartMarginIndex Index, Integer value) { ChangeInteger(margins_[Index], value); }
  Integer MarginLeft() const { return margins_[cmLeft]; }
  void SetMarginLeft(Integer value) { SetMargin(cmLeft, value); }
  Integer MarginTop() const { return margins_[cmTop]; }
  void SetMarginTop(Integer value) { SetMargin(cmTop, value); }
  Integer MarginRight() const { return margins_[cmRight]; }
  void SetMarginRight(Integer value) { SetMargin(cmRight, value); }
  Integer MarginBottom() const { return margins_[cmBottom]; }
  void SetMarginBottom(Integer value) { SetMargin(cmBottom, value); }
  bool View3D() const { return view3D_; }
  // Then tells the listeners (TChartView3DEvent).
  void SetView3D(bool value);
  TView3DOptions* View3DOptions() const { return view3DOptions_.get(); }
  void SetView3DOptions(TView3DOptions* value) { view3DOptions_->Assign(value); }
  bool Monochrome() const;
  void SetMonochrome(bool value);
  bool Printing() const { return printing_; }
  void SetPrinting(bool value) { printing_ = value; }
  const std::array<Integer, 4>& PrintMargins() const { return printMargins_; }
  void SetPrintMargins(const std::array<Integer, 4>& value) { printMargins_ = value; }
  bool PrintProportional() const { return printProportional_; }
  void SetPrintProportional(bool value) { printProportional_ = value; }

  // The chart canvas (the window's own canvas is ControlCanvas).
  TChartCanvas3D* Canvas() const { return chartCanvas_.get(); }
  TCanvas* ControlCanvas() const { return TCustomPanelNoCaption::Canvas(); }
  // The view as the last drawing projected it (both pass points straight through in 2D).
  // Where the chart point (X, Y) at depth Z shows on the screen:
  TPoint OnScreen(Integer X, Integer Y, Integer Z) const;
  // and the chart point at depth Z that shows at the screen point (X, Y). The mouse goes
  // through it at the depth of what it places or picks, so that this lands under it.
  TPoint InSpace(Integer X, Integer Y, Integer Z) const;
  // Puts another chart canvas in place (one that prints or records); it starts on the
  // control's canvas with the old one's buffering and monochrome settings.
  void SetCanvas(std::unique_ptr<TChartCanvas3D> value);
  TZoomPanning* Panning() const { return panning_.get(); }

  // ---- listeners ----
  TChartEventListeners* Listeners() const { return listeners_.get(); }
  // Unless the panel is being destroyed: Event.Sender := this, then each listener in
  // turn.
  void NotifyListeners(TChartEvent& Event);
  // Set by a listener to stop the current mouse event from going further.
  bool CancelMouse() const { return cancelMouse_; }
  void SetCancelMouse(bool value) { cancelMouse_ = value; }
  // The mouse position in client coordinates.
  TPoint MouseClientPos();

 protected:
  // The chart's own drawing, inside DrawTo.
  virtual void DrawContents() = 0;
  void Paint() override;
  void AssignTo(TPersistent* dest) override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  bool WantsKey(Word Key) override;
  // Sends a mouse event of `Kind` to the listeners until one cancels it.
  void BroadcastMouse(TChartMouseEventKind Kind, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  // The 3D view options scrolled or zoomed.
  virtual void View3DScrolled(bool Horizontal) { (void)Horizontal; }
  virtual void View3DZoomed(Integer NewZoom) { (void)NewZoom; }

  TCursor savedCursor_ = crDefault;

 private:

  Integer chart3DPercent_ = 15;
  bool autoRepaint_ = true;
  bool cancelMouse_ = false;
  TRect chartBounds_{0, 0, 0, 0};
  Integer chartWidth_ = 0;
  Integer chartHeight_ = 0;
  Integer chartXCenter_ = 0;
  Integer chartYCenter_ = 0;
  std::array<Integer, 4> margins_{3, 4, 3, 4};
  std::unique_ptr<TZoomPanning> panning_;
  bool printing_ = false;
  std::array<Integer, 4> printMargins_{15, 15, 15, 15};
  bool printProportional_ = true;
  bool view3D_ = true;
  std::unique_ptr<TView3DOptions> view3DOptions_;
  Integer width3D_ = 0;
  std::unique_ptr<TChartEventListeners> listeners_;
  std::unique_ptr<TChartCanvas3D> chartCanvas_;
  TRect chartRect_{0, 0, 0, 0};
};

// ---- the extended panel ----------------------------------------------------------------

enum TChartBackImageMode { pbmStretch, pbmTile, pbmCenter };
const TEnumInfo& ChartBackImageModeInfo();

class TCustomChartPanelExtended : public TCustomChartPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomChartPanelExtended(TComponent* AOwner);
  ~TCustomChartPanelExtended() override;

  TPanningMode AllowPanning() const { return allowPanning_; }
  void SetAllowPanning(TPanningMode value) { allowPanning_ = value; }
  TPicture* BackImage() const { return backImage_.get(); }
  void SetBackImage(TPicture* value) { backImage_->Assign(value); }
  bool BackImageInside() const { return backImageInside_; }
  void SetBackImageInside(bool value) { ChangeBoolean(backImageInside_, value); }
  TChartBackImageMode BackImageMode() const { return backImageMode_; }
  void SetBackImageMode(TChartBackImageMode value);
  TChartGradient* Gradient() const { return gradient_.get(); }
  void SetGradient(TChartGradient* value) { gradient_->Assign(value); }
  TChartZoom* Zoom() const { return zoom_.get(); }
  void SetZoom(TChartZoom* value) { zoom_->Assign(value); }
  bool Zoomed() const { return zoomed_; }
  void SetZoomed(bool value) { zoomed_ = value; }

  // Fires OnUndoZoom, invalidates, clears Zoomed.
  virtual void ResetZoom();
  // The zoom rectangle (X0, Y0)-(X1, Y1) in the inverted exclusive-or pen mode: drawing it
  // twice leaves the pixels as they were.
  void DrawZoomFrame();
  // The background over Rect: the gradient when visible, else Color (nothing for clNone,
  // nor while printing); then the back picture unless it belongs inside the plotting
  // rectangle.
  virtual void PaintBackground(const TRect& Rect);
  // The back picture over Rect, stretched, tiled or centred by BackImageMode.
  void DrawBackImage(const TRect& Rect);
  // Outer bevel, a border of BorderWidth in Color, inner bevel; Rect shrinks by each.
  void PaintBevels(TRect& Rect);

  TNotifyEvent OnAfterDraw;
  TNotifyEvent OnScroll;
  TNotifyEvent OnUndoZoom;
  TNotifyEvent OnZoom;

 protected:
  // "PrintMargins", and the zoom settings of older forms.
  void DefineProperties(TFiler* filer) override;
  // OnScroll and OnZoom.
  void View3DScrolled(bool Horizontal) override;
  void View3DZoomed(Integer NewZoom) override;

 private:
  void BackImageChanged(TObject* Sender);

  TPanningMode allowPanning_ = pmBoth;
  std::unique_ptr<TPicture> backImage_;
  bool backImageInside_ = false;
  TChartBackImageMode backImageMode_ = pbmStretch;
  std::unique_ptr<TChartGradient> gradient_;
  std::unique_ptr<TChartZoom> zoom_;
  bool zoomed_ = false;
};
