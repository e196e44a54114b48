#include "chart/mark_tips_tool.h"

#include "chart/axis_panel.h"
#include "chart/chart_series.h"
#include "platform/classlib/application.h"

const TEnumInfo& MarkToolMouseActionInfo() {
  static const TEnumInfo info("TMarkToolMouseAction", {"mtmMove", "mtmClick"});
  return info;
}

const TClass& TMarksTipTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TMarksTipTool>("TMarksTipTool", TChartCustomToolSeries::StaticClass(), &TMarksTipTool::Publish);
  return cls;
}

void TMarksTipTool::Publish(TPublished& published) {
  auto p = published.For<TMarksTipTool>();
  p.Enum("MouseAction", MarkToolMouseActionInfo(), &TMarksTipTool::MouseAction, &TMarksTipTool::SetMouseAction)
      .Default(mtmMove);
  p.Enum("Style", SeriesMarksStyleInfo(), &TMarksTipTool::Style, &TMarksTipTool::SetStyle).Default(smsLabel);
  p.Event("OnGetText", &TMarksTipTool::OnGetText);
}

TMarksTipTool::TMarksTipTool(TComponent* AOwner) : TChartCustomToolSeries(AOwner) {}

TCustomAxisPanel* TMarksTipTool::SeriesChart() const { return Series() ? Series()->ParentChart() : nullptr; }

void TMarksTipTool::SetMouseAction(TMarkToolMouseAction value) {
  mouseAction_ = value;
  if (TCustomAxisPanel* chart = SeriesChart()) chart->SetHint(std::string());
}

void TMarksTipTool::SetActive(bool value) {
  TChartCustomToolSeries::SetActive(value);
  if (!value)
    if (TCustomAxisPanel* chart = SeriesChart()) chart->SetHint(std::string());
}

void TMarksTipTool::SetSeries(TChartSeries* Value) {
  TChartCustomToolSeries::SetSeries(Value);
  if (TCustomAxisPanel* chart = SeriesChart()) chart->SetShowHint(true);
}

void TMarksTipTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                    Integer Y) {
  (void)Button;
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  TChartSeries* series = Series();
  const bool asked = (Event == cmeMove && mouseAction_ == mtmMove) || (Event == cmeDown && mouseAction_ == mtmClick);
  if (!asked || !chart || !series) return;
  const Integer index = series->Clicked(X, Y);
  if (index != -1) {
    const bool autoRepaint = chart->AutoRepaint();
    chart->SetAutoRepaint(false);
    TSeriesMarks* marks = series->Marks();
    const TSeriesMarksStyle oldStyle = marks->Style();
    marks->SetStyle(style_);
    std::string text = series->GetMarkText(index);
    if (OnGetText) OnGetText(this, text);
    if (text != chart->Hint()) {
      chart->SetHint(text);
      if (Application) Application->ActivateHint(chart->ClientToScreen(TPoint{X, Y}));
    }
    marks->SetStyle(oldStyle);
    chart->SetAutoRepaint(autoRepaint);
    return;
  }
  // Another tip tool on the chart may be showing its hint.
  for (Integer i = 0; i < chart->Tools()->Count(); ++i) {
    TChartCustomTool* tool = chart->Tools()->Tool(i);
    if (tool != this && dynamic_cast<TMarksTipTool*>(tool)) return;
  }
  if (Application) Application->CancelHint();
}
