#pragma once
// Zoom and panning settings of a chart panel: the drag rectangle of a zoom and the
// anchor of a pan.
#include "chart/chart_tools.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/persistent.h"

enum TChartZoomDirection { tzdHorizontal, tzdVertical, tzdBoth };
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
const TEnumInfo& ChartZoomDirectionInfo();
const TEnumInfo& PanningModeInfo();

class TZoomPanning : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TZoomPanning() = default;

  // Both corners at (X, Y); Active.
  void Start(Integer X, Integer Y);

  bool Active = false;
  Integer X0 = 0;
  Integer Y0 = 0;
  Integer X1 = 0;
  Integer Y1 = 0;
};

// White, clear.
class TChartZoomBrush : public TChartBrush {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TChartZoomBrush(TNotifyEvent OnChangeEvent = {});
};

// White.
class TChartZoomPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TChartZoomPen(TNotifyEvent OnChangeEvent = {});
};

class TChartZoom : public TZoomPanning {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TChartZoom();
  ~TChartZoom() override;

  // Copies every setting (not the drag state).
  void Assign(TPersistent* source) override;

  bool Allow() const { return allow_; }
  void SetAllow(bool value) { allow_ = value; }
  bool Animated() const { return animated_; }
  void SetAnimated(bool value) { animated_ = value; }
  Integer AnimatedSteps() const { return animatedSteps_; }
  void SetAnimatedSteps(Integer value) { animatedSteps_ = value; }
  TChartZoomBrush* Brush() const { return brush_.get(); }
  void SetBrush(TChartZoomBrush* value) { brush_->Assign(value); }
  TChartZoomDirection Direction() const { return direction_; }
  void SetDirection(TChartZoomDirection value) { direction_ = value; }
  TShiftState KeyShift() const { return keyShift_; }
  void SetKeyShift(TShiftState value) { keyShift_ = value; }
  Integer MinimumPixels() const { return minimumPixels_; }
  void SetMinimumPixels(Integer value) { minimumPixels_ = value; }
  TMouseButton MouseButton() const { return mouseButton_; }
  void SetMouseButton(TMouseButton value) { mouseButton_ = value; }
  TChartZoomPen* Pen() const { return pen_.get(); }
  void SetPen(TChartZoomPen* value) { pen_->Assign(value); }

 private:
  bool allow_ = true;
  bool animated_ = false;
  Integer animatedSteps_ = 8;
  std::unique_ptr<TChartZoomBrush> brush_;
  TChartZoomDirection direction_ = tzdBoth;
  TShiftState keyShift_;
  Integer minimumPixels_ = 16;
  TMouseButton mouseButton_ = mbLeft;
  std::unique_ptr<TChartZoomPen> pen_;
};
