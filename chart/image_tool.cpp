#include "chart/image_tool.h"

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"
#include "platform/classlib/graphic.h"

const TClass& TChartImageTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartImageTool>("TChartImageTool", TChartCustomToolSeries::StaticClass(), &TChartImageTool::Publish);
  return cls;
}

void TChartImageTool::Publish(TPublished& published) {
  published.For<TChartImageTool>().Object("Picture", &TChartImageTool::Picture, &TChartImageTool::SetPicture);
}

TChartImageTool::TChartImageTool(TComponent* AOwner)
    : TChartCustomToolSeries(AOwner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = [this](TObject*) { Repaint(); };
}

TChartImageTool::~TChartImageTool() {
  picture_->OnChange = nullptr;
  picture_.reset();
}

void TChartImageTool::SetSeries(TChartSeries* Value) {
  TChartCustomToolSeries::SetSeries(Value);
  Repaint();
}

TRect TChartImageTool::ImageRect() const {
  TCustomAxisPanel* chart = ParentChart();
  if (TChartSeries* s = Series()) {
    return TRect{s->CalcXPosValue(s->MinXValue()), s->CalcYPosValue(s->MaxYValue()),
                 s->CalcXPosValue(s->MaxXValue()), s->CalcYPosValue(s->MinYValue())};
  }
  TChartAxis* bottom = chart->BottomAxis();
  TChartAxis* left = chart->LeftAxis();
  return TRect{bottom->ValueToPos(bottom->Minimum()), left->CalcYPosValue(left->Maximum()),
               bottom->ValueToPos(bottom->Maximum()), left->CalcYPosValue(left->Minimum())};
}

void TChartImageTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  TGraphic* graphic = picture_->Graphic();
  if (Event != cteBeforeDrawSeries || !chart || !graphic || graphic->Empty()) return;
  // A series out of any chart has no screen positions.
  if (Series() && !Series()->GetHorizAxis()) return;
  TCanvas3D* canvas = chart->Canvas();
  const bool clip = ChartAllowsClipping(chart);
  if (clip) canvas->ClipCube(chart->ChartRect(), 0, chart->Width3D());
  canvas->StretchGraphic(canvas->ProjectRect(ImageRect(), 0), graphic);
  if (clip) canvas->RemoveClip();
}
