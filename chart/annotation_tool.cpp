#include "chart/annotation_tool.h"

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_utils.h"

const TEnumInfo& AnnotationPositionInfo() {
  static const TEnumInfo info("TAnnotationPosition", {"ppLeftTop", "ppLeftBottom", "ppRightTop", "ppRightBottom"});
  return info;
}

const TClass& TChartShapePosition::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartShapePosition>("TChartShapePosition", TChartCustomShapePosition::StaticClass());
  return cls;
}

const TClass& TAnnotationTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TAnnotationTool>("TAnnotationTool", TChartCustomTool::StaticClass(), &TAnnotationTool::Publish);
  return cls;
}

void TAnnotationTool::Publish(TPublished& published) {
  auto p = published.For<TAnnotationTool>();
  p.Enum("Position", AnnotationPositionInfo(), &TAnnotationTool::Position, &TAnnotationTool::SetPosition)
      .Default(ppLeftTop);
  p.Object("Shape", &TAnnotationTool::Shape, &TAnnotationTool::SetShape);
  p.String("Text", &TAnnotationTool::Text, &TAnnotationTool::SetText).Default("");
}

TAnnotationTool::TAnnotationTool(TComponent* AOwner)
    : TChartCustomTool(AOwner), shape_(std::make_unique<TChartShapePosition>(nullptr)) {}

TAnnotationTool::~TAnnotationTool() {
  SetParentChart(nullptr);
  shape_.reset();
}

void TAnnotationTool::SetParentChart(TCustomAxisPanel* Value) {
  TChartCustomTool::SetParentChart(Value);
  shape_->SetParentChart(Value);
  if (Value) Repaint();
}

void TAnnotationTool::SetPosition(TAnnotationPosition value) {
  if (position_ == value) return;
  position_ = value;
  shape_->SetCustomPosition(false);
  Repaint();
}

void TAnnotationTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  if (Event != cteAfterDraw || !chart) return;
  TCanvas3D* canvas = chart->Canvas();
  std::string text = GetText();
  if (text.empty()) text = " ";
  canvas->ApplyFont(shape_->Font());
  Integer lines = 0;
  const Integer width = chart->MultiLineTextWidth(text, lines);
  const Integer lineHeight = canvas->LineHeight();
  const Integer height = lineHeight * lines;
  Integer x, y;
  if (shape_->CustomPosition()) {
    x = shape_->Left() + 4;
    y = shape_->Top() + 2;
  } else {
    const Integer cw = chart->Width();
    const Integer ch = chart->Height();
    const bool right = position_ == ppRightTop || position_ == ppRightBottom;
    const bool bottom = position_ == ppLeftBottom || position_ == ppRightBottom;
    x = right ? cw - width - 8 : 10;
    y = bottom ? ch - height - 8 : 10;
  }
  shape_->ShapeBounds = TRect{x - 4, y - 2, x + width + 2, y + height + 2};
  if (shape_->Visible()) shape_->DrawRectRotated(canvas, shape_->ShapeBounds);
  // The frame may have left its own font and brush behind.
  canvas->ApplyFont(shape_->Font());
  canvas->WriteBackMode(cbmTransparent);
  canvas->WriteTextAlign(0);
  std::size_t start = 0;
  for (Integer i = 0;; ++i) {
    const std::size_t end = text.find(ChartLineSeparator, start);
    canvas->DrawText(x, y + lineHeight * i, text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}
