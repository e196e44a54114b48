// Axis settings a chart accepts come back from its form as they were, and the chart read
// back draws.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "chart/tests/tool_rig.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"

namespace {

// 0 left, 1 bottom, 2 top; then the custom axes: vertical, horizontal, vertical on the other side.
TChartAxis* AxisOf(TChart* Chart, Integer Which) {
  return Which < 3 ? std::array{Chart->LeftAxis(), Chart->BottomAxis(), Chart->TopAxis()}[Which]
                   : Chart->CustomAxes()->Axis(Which - 3);
}

TEST(AxisForms, EveryAcceptedSettingReadsBackAndDraws) {
  using Set = std::function<void(TChartAxis*)>;
  const auto log = [](Double Lo, Double Hi) -> Set {
    return [=](TChartAxis* a) { a->SetLogarithmic(true); a->SetMinMax(Lo, Hi); };
  };
  const struct { const char* name; Integer axis; Set set; } rows[] = {
      {"log, limits through zero", 0, log(-5, 100)},
      {"log inverted", 2, [&](TChartAxis* a) { a->SetInverted(true); log(-1, 1000)(a); }},
      {"inverted negative", 0, [](TChartAxis* a) { a->SetInverted(true); a->SetMinMax(-100, -5); }},
      {"only a maximum fixed", 2, [](TChartAxis* a) { a->SetAutomaticMaximum(false); a->SetMaximum(250); }},
      {"only a negative minimum fixed", 4, [](TChartAxis* a) { a->SetAutomaticMinimum(false); a->SetMinimum(-250); }},
      {"custom vertical log", 3, log(-2, 10)},
      {"custom, inverted across zero", 4, [](TChartAxis* a) { a->SetInverted(true); a->SetMinMax(-3.5, 7.25); }},
      {"custom other side log from zero, base 2", 5, [&](TChartAxis* a) { a->SetLogarithmicBase(2); log(0, 64)(a); }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ToolRig rig;
    rig.form->SetName("Holder");
    rig.chart->SetName("Chart1");
    for (Integer i = 0; i < 3; ++i) rig.chart->CustomAxes()->Add();
    AxisOf(rig.chart, 4)->SetHorizontal(true);
    AxisOf(rig.chart, 5)->SetOtherSide(true);
    TLineSeries* series = rig.AddSeries({{1, 1}, {11, 2}, {21, 5}, {31, 10}, {41, 17}});
    series->SetName("Series1");
    TChartAxis* axis = AxisOf(rig.chart, r.axis);
    if (r.axis >= 3) series->SetCustomVertAxis(axis);
    axis->SetVisible(true);
    r.set(axis);
    const std::string text = WriteComponentText(rig.form.get());
    std::unique_ptr<TComponent> back;
    ASSERT_NO_THROW(back = ReadComponentText(text)) << text;
    auto* again = static_cast<TChart*>(back->FindComponent("Chart1"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(WriteComponentText(back.get()), text);  // every setting as it was
    ASSERT_NO_THROW(again->DrawTo(rig.target.Canvas(), TRect{0, 0, 400, 250}));  // its labels included
  }
}

}  // namespace
