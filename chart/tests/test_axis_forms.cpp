// Axis settings a chart accepts come back from its form as they were, and the chart read
// back draws.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/win/window.h"

namespace {

// Which axis a row sets: the standard ones by getter, custom ones by index (0 vertical,
// 1 horizontal, 2 vertical on the other side).
TChartAxis* AxisOf(TChart* Chart, Integer Which) {
  switch (Which) {
    case 0: return Chart->LeftAxis();
    case 1: return Chart->BottomAxis();
    case 2: return Chart->TopAxis();
    default: return Chart->CustomAxes()->Axis(Which - 3);
  }
}

struct Row {
  const char* name;
  Integer axis;
  std::function<void(TChartAxis*)> set;
};

TEST(AxisForms, EveryAcceptedSettingReadsBackAndDraws) {
  const Row rows[] = {
      {"log, then limits through zero", 0, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetMinMax(-5, 100); }},
      {"log, both limits negative", 1, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetMinMax(-50, -5); }},
      {"log from zero, base 2", 0, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetLogarithmicBase(2); a->SetMinMax(0, 64); }},
      {"log inverted", 2, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetInverted(true); a->SetMinMax(-1, 1000); }},
      {"inverted negative", 0, [](TChartAxis* a) { a->SetInverted(true); a->SetMinMax(-100, -5); }},
      {"across zero", 1, [](TChartAxis* a) { a->SetMinMax(-3.5, 7.25); }},
      {"positive only maximum fixed", 0, [](TChartAxis* a) { a->SetAutomaticMaximum(false); a->SetMaximum(250); }},
      {"negative only minimum fixed", 1, [](TChartAxis* a) { a->SetAutomaticMinimum(false); a->SetMinimum(-250); }},
      {"custom vertical log", 3, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetMinMax(-2, 10); }},
      {"custom horizontal inverted", 4, [](TChartAxis* a) { a->SetInverted(true); a->SetMinMax(-8, -2); }},
      {"custom other side log", 5, [](TChartAxis* a) { a->SetLogarithmic(true); a->SetMinMax(0, 1e6); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    win::ResetWindowSystem();
    std::string text;
    Double min = 0, max = 0;
    bool autoMin = true, autoMax = true;
    {
      TForm form(nullptr);
      form.SetName("Holder");
      auto* chart = new TChart(&form);
      chart->SetName("Chart1");
      chart->SetParent(&form);
      chart->CustomAxes()->Add();
      static_cast<TChartAxis*>(chart->CustomAxes()->Add())->SetHorizontal(true);
      static_cast<TChartAxis*>(chart->CustomAxes()->Add())->SetOtherSide(true);
      auto* series = new TLineSeries(&form);
      series->SetName("Series1");
      series->SetParentChart(chart);
      if (r.axis >= 3) series->SetCustomVertAxis(AxisOf(chart, r.axis));
      for (Integer i = 0; i < 5; ++i) series->AddXY(i * 10 + 1, i * i + 1);
      TChartAxis* axis = AxisOf(chart, r.axis);
      r.set(axis);
      min = axis->Minimum();
      max = axis->Maximum();
      autoMin = axis->AutomaticMinimum();
      autoMax = axis->AutomaticMaximum();
      text = WriteComponentText(&form);
      std::unique_ptr<TComponent> back;
      ASSERT_NO_THROW(back = ReadComponentText(text)) << text;
      auto* again = static_cast<TChart*>(back->FindComponent("Chart1"));
      ASSERT_NE(again, nullptr);
      TChartAxis* read = AxisOf(again, r.axis);
      EXPECT_EQ(read->Minimum(), min);
      EXPECT_EQ(read->Maximum(), max);
      EXPECT_EQ(read->AutomaticMinimum(), autoMin);
      EXPECT_EQ(read->AutomaticMaximum(), autoMax);
      EXPECT_EQ(read->Logarithmic(), axis->Logarithmic());
      EXPECT_EQ(read->LogarithmicBase(), axis->LogarithmicBase());
      EXPECT_EQ(read->Inverted(), axis->Inverted());
      EXPECT_EQ(WriteComponentText(back.get()), text);
      // The chart read back draws, its axis labels included.
      again->SetBounds(0, 0, 300, 200);
      TBitmap target;
      target.SetPixelFormat(pf24bit);
      target.SetSize(300, 200);
      ASSERT_NO_THROW(again->DrawTo(target.Canvas(), TRect{0, 0, 300, 200}));
      back.reset();
    }
  }
  win::ResetWindowSystem();
}

}  // namespace
