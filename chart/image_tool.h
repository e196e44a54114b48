#pragma once
// TChartImageTool: a picture stretched over the extent of its series (or the visible
// range of the bottom and left axes), drawn behind the series.
#include <memory>
#include <string>

#include "chart/chart_tools_base.h"
#include "platform/classlib/picture.h"

class TChartImageTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartImageTool(TComponent* AOwner);
  ~TChartImageTool() override;

  std::string GetEditorClassName() const override { return "TChartImageToolEditor"; }
  std::string Description() const override { return "Image"; }
  void ChartEvent(TChartToolEvent Event) override;
  // Then repaints.
  void SetSeries(TChartSeries* Value) override;

  // Where the picture goes, before projection.
  TRect ImageRect() const;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }

 private:
  std::unique_ptr<TPicture> picture_;
};
