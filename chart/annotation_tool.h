#pragma once
// TAnnotationTool: a framed text in a corner of the chart, or where its shape is placed.
#include <memory>
#include <string>

#include "chart/chart_title.h"
#include "chart/chart_tools_base.h"

enum TAnnotationPosition : Byte { ppLeftTop, ppLeftBottom, ppRightTop, ppRightBottom };
const TEnumInfo& AnnotationPositionInfo();

// The annotation's frame: a positioned shape, nothing added.
class TChartShapePosition : public TChartCustomShapePosition {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartShapePosition(TCustomChartPanel* ParentChart) : TChartCustomShapePosition(ParentChart) {}
};

class TAnnotationTool : public TChartCustomTool {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TAnnotationTool(TComponent* AOwner);
  ~TAnnotationTool() override;

  std::string GetEditorClassName() const override { return "TAnnotationToolEdit"; }
  std::string Description() const override { return "Annotation"; }
  // Then the shape draws on the new chart.
  void SetParentChart(TCustomAxisPanel* Value) override;
  void ChartEvent(TChartToolEvent Event) override;

  // What is drawn: Text.
  virtual std::string GetText() const { return text_; }

  TAnnotationPosition Position() const { return position_; }
  // A new corner also drops the shape's custom position.
  void SetPosition(TAnnotationPosition value);
  TChartShapePosition* Shape() const { return shape_.get(); }
  void SetShape(TChartShapePosition* value) { shape_->Assign(value); }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& value) { ChangeString(text_, value); }

 private:
  TAnnotationPosition position_ = ppLeftTop;
  std::unique_ptr<TChartShapePosition> shape_;
  std::string text_;
};
