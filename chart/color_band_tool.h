#pragma once
// TColorBandTool: a filled band across the plotting rectangle between two values of its
// axis, behind the series or in front of them.
#include <memory>
#include <string>

#include "chart/chart_gradient.h"
#include "chart/chart_shape.h"
#include "chart/chart_tools_base.h"

class TColorBandTool : public TChartCustomToolAxis {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TColorBandTool(TComponent* AOwner);
  ~TColorBandTool() override;

  std::string GetEditorClassName() const override { return "TColorBandToolEditor"; }
  std::string Description() const override { return "Color Band"; }
  void ChartEvent(TChartToolEvent Event) override;

  // The band's rectangle on the screen; false when there is nothing to draw (no axis, or
  // the band does not touch the axis range).
  bool BandRect(TRect& R) const;

  TColor Color() const { return color_; }
  void SetColor(TColor value) { ChangeColor(color_, value); }
  bool DrawBehind() const { return drawBehind_; }
  void SetDrawBehind(bool value) { ChangeBoolean(drawBehind_, value); }
  Double EndValue() const { return endValue_; }
  void SetEndValue(Double value) { ChangeDouble(endValue_, value); }
  TChartGradient* Gradient() const { return gradient_.get(); }
  void SetGradient(TChartGradient* value) { gradient_->Assign(value); }
  Double StartValue() const { return startValue_; }
  void SetStartValue(Double value) { ChangeDouble(startValue_, value); }
  TChartTransparency Transparency() const { return transparency_; }
  void SetTransparency(TChartTransparency value) { ChangeInteger(transparency_, value); }

 private:
  void DrawBand();

  TColor color_ = clWhite;
  bool drawBehind_ = true;
  Double endValue_ = 0;
  std::unique_ptr<TChartGradient> gradient_;
  Double startValue_ = 0;
  TChartTransparency transparency_ = 0;
};
