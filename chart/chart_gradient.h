#pragma once
// Gradient settings of titles, legends, walls, marks and the panel background.
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"

class TCanvas3D;

enum TGradientDirection {
  gdTopBottom,
  gdBottomTop,
  gdLeftRight,
  gdRightLeft,
  gdFromCenter,
  gdFromTopLeft,
  gdFromBottomLeft
};
const TEnumInfo& GradientDirectionInfo();

class TCustomChartGradient : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomChartGradient(TNotifyEvent OnChangeEvent = {});

  // Copies the five values.
  void Assign(TPersistent* source) override;

  TGradientDirection Direction() const { return direction_; }
  void SetDirection(TGradientDirection value);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor value);
  // clNone: no middle colour.
  TColor MidColor() const { return midColor_; }
  void SetMidColor(TColor value);
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // Fills Rect (a round rectangle with corners of Radius when Radius > 0) on Canvas.
  void Draw(TCanvas3D* Canvas, const TRect& Rect, Integer Radius = 0);

  TNotifyEvent OnChange;

 protected:
  // For descendants that change the defaults in their constructors.
  TGradientDirection direction_ = gdTopBottom;
  TColor endColor_ = clYellow;
  TColor midColor_ = clNone;
  TColor startColor_ = clWhite;
  bool visible_ = false;

 private:
  void Changed();
};

class TChartGradient : public TCustomChartGradient {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartGradient(TNotifyEvent OnChangeEvent = {}) : TCustomChartGradient(std::move(OnChangeEvent)) {}
};
