#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"
#include "platform/classlib/persistent.h"

namespace {

std::vector<Double> XsOf(TChartSeries& s) {
  std::vector<Double> v;
  for (Integer i = 0; i < s.Count(); ++i) v.push_back(s.GetXValue(i));
  return v;
}

std::string DeleteMessage(TChartSeries& s, Integer index) {
  try {
    s.Delete(index);
  } catch (const ChartException& e) {
    return e.Message();
  }
  return "no exception";
}

}  // namespace

// ---- adding points ---------------------------------------------------------------------

TEST(SeriesAdd, NewPointFollowsEqualXAndTheOtherListsMoveWithIt) {
  TChartSeries s(nullptr);
  EXPECT_EQ(s.AddXY(1, 10), 0);
  EXPECT_EQ(s.AddXY(5, 50), 1);
  EXPECT_EQ(s.AddXY(9, 90), 2);
  EXPECT_EQ(s.AddXY(5, 55), 2);
  EXPECT_EQ(XsOf(s), (std::vector<Double>{1, 5, 5, 9}));
  EXPECT_EQ(s.GetYValue(1), 50);
  EXPECT_EQ(s.GetYValue(2), 55);
  EXPECT_EQ(s.GetYValue(3), 90);
  // AddY appends at the next X index.
  TChartSeries y(nullptr);
  y.AddY(7);
  y.AddY(8);
  EXPECT_EQ(XsOf(y), (std::vector<Double>{0, 1}));
  EXPECT_EQ(y.GetYValue(1), 8);
}

TEST(SeriesAdd, ColoursAreStoredOnlyOnceAPointHasOne) {
  TChartSeries s(nullptr);
  s.SetSeriesColor(clRed);
  s.AddXY(0, 1);
  s.AddXY(1, 1, "", clDefault);
  EXPECT_EQ(s.ValueColors(), nullptr);
  s.AddXY(2, 1, "", clBlue);
  ASSERT_NE(s.ValueColors(), nullptr);
  EXPECT_EQ(*s.ValueColors(), (std::vector<TColor>{clDefault, clDefault, clBlue}));
  // Inserted in the middle, the colour goes with its point.
  s.AddXY(0.5, 1, "", clLime);
  EXPECT_EQ(*s.ValueColors(), (std::vector<TColor>{clDefault, clLime, clDefault, clBlue}));
  EXPECT_EQ(s.GetValueColor(0), clRed);
  EXPECT_EQ(s.GetValueColor(1), clLime);
  // With ColorEachPoint a point without its own colour takes the palette's.
  s.SetColorEachPoint(true);
  EXPECT_EQ(s.GetValueColor(2), PaletteColor(2));
  EXPECT_EQ(s.GetValueColor(3), clBlue);
  // Null points report their marker colour.
  s.AddNullXY(9, 0);
  EXPECT_TRUE(s.IsNull(4));
  EXPECT_EQ(s.GetValueColor(4), clNone);
}

TEST(SeriesAdd, LabelsPadUpToTheirIndexAndGapsOnlyWhereTheListReaches) {
  TChartSeries s(nullptr);
  for (int i = 0; i < 3; ++i) s.AddXY(i, i);
  s.AddXY(3, 3, "D");
  EXPECT_EQ(s.Labels().size(), 4u);
  EXPECT_EQ(s.GetValueLabel(3), "D");
  EXPECT_EQ(s.GetValueLabel(0), "");
  EXPECT_EQ(s.GetValueLabel(7), "");

  // A label list shorter than the new index is left as it is: the point reads empty.
  TChartSeries t(nullptr);
  t.AddXY(0, 0, "A");
  t.AddXY(1, 1);
  t.AddXY(2, 2);
  EXPECT_EQ(t.Labels().size(), 1u);
  t.AddXY(5, 5);
  EXPECT_EQ(t.Labels().size(), 1u);
  EXPECT_EQ(t.GetValueLabel(3), "");
  // Inserted before a labelled point, an empty entry keeps the label with its point.
  t.AddXY(-1, 0);
  EXPECT_EQ(t.Labels().size(), 2u);
  EXPECT_EQ(t.GetValueLabel(0), "");
  EXPECT_EQ(t.GetValueLabel(1), "A");
  EXPECT_LE(t.Labels().size(), static_cast<std::size_t>(t.Count()));
}

TEST(SeriesAdd, BeforeAddCanRefuseAndAfterAddReportsTheIndex) {
  TChartSeries s(nullptr);
  std::vector<Integer> added;
  s.OnAfterAdd = [&](TChartSeries*, Integer i) { added.push_back(i); };
  s.AddXY(1, 1);
  s.AddXY(0, 1);
  EXPECT_EQ(added, (std::vector<Integer>{0, 0}));
  s.OnBeforeAdd = [](TChartSeries*) { return false; };
  EXPECT_EQ(s.AddXY(2, 2), -1);
  EXPECT_EQ(s.Count(), 2);
  EXPECT_EQ(added.size(), 2u);
}

// ---- deleting, clearing, swapping --------------------------------------------------------

TEST(SeriesDelete, OutOfBoundsRaisesWithTheRangeAndChangesNothing) {
  TChartSeries s(nullptr);
  EXPECT_EQ(DeleteMessage(s, 0), "Series Delete: ValueIndex 0 out of bounds (0 to -1).");
  s.AddXY(0, 0, "a");
  s.AddXY(1, 1, "b", clRed);
  s.AddXY(2, 2, "c");
  EXPECT_EQ(DeleteMessage(s, -1), "Series Delete: ValueIndex -1 out of bounds (0 to 2).");
  EXPECT_EQ(DeleteMessage(s, 3), "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
  EXPECT_EQ(s.Count(), 3);

  s.Delete(1);
  EXPECT_EQ(XsOf(s), (std::vector<Double>{0, 2}));
  EXPECT_EQ(s.GetValueLabel(1), "c");
  EXPECT_EQ(*s.ValueColors(), (std::vector<TColor>{clDefault, clDefault}));
}

TEST(SeriesDelete, ClearEmptiesEverythingAndTellsTheHandler) {
  TChartSeries s(nullptr);
  s.AddXY(0, 0, "a", clRed);
  s.Marks()->Positions()->SetPosition(0, std::make_unique<TSeriesMarkPosition>());
  int cleared = 0;
  s.OnClearValues = [&](TChartSeries*) { ++cleared; };
  s.Clear();
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.YValues()->Count(), 0);
  EXPECT_EQ(s.ValueColors(), nullptr);
  EXPECT_TRUE(s.Labels().empty());
  EXPECT_EQ(s.Marks()->Positions()->Count(), 0);
  EXPECT_EQ(cleared, 1);
}

TEST(SeriesSwap, EveryListSwapsAndShortLabelListsArePadded) {
  TChartSeries s(nullptr);
  s.AddXY(0, 10, "A");
  s.AddXY(1, 11);
  s.AddXY(2, 12, "", clRed);
  s.SwapPoints(0, 2);
  EXPECT_EQ(XsOf(s), (std::vector<Double>{2, 1, 0}));
  EXPECT_EQ(s.GetYValue(0), 12);
  EXPECT_EQ(s.GetValueLabel(0), "");
  EXPECT_EQ(s.GetValueLabel(2), "A");
  EXPECT_EQ((*s.ValueColors())[0], clRed);
  // Sorting goes through the same exchange.
  s.XValues()->Sort();
  EXPECT_EQ(XsOf(s), (std::vector<Double>{0, 1, 2}));
  EXPECT_EQ(s.GetValueLabel(0), "A");
  EXPECT_EQ(s.GetValueColor(2), clRed);
}

TEST(SeriesColours, SetValueColorCreatesTheListOnlyForARealColourAndChecksTheIndex) {
  TChartSeries s(nullptr);
  s.AddXY(0, 0);
  s.AddXY(1, 0);
  s.SetValueColor(1, clDefault);
  EXPECT_EQ(s.ValueColors(), nullptr);
  EXPECT_THROW(s.SetValueColor(2, clRed), EListError);
  EXPECT_EQ(s.ValueColors(), nullptr);
  s.SetValueColor(1, clRed);
  EXPECT_EQ(*s.ValueColors(), (std::vector<TColor>{clDefault, clRed}));
}

// ---- visible range ---------------------------------------------------------------------

TEST(SeriesVisibleRange, FirstAndLastFollowTheAxisRange) {
  RecordingRig rig(130);
  TChartSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  for (int x : {0, 10, 20, 30}) s.AddXY(x, 0);
  PlaceAxis(rig.chart.BottomAxis(), 12, 25);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.FirstValueIndex(), 2);
  EXPECT_EQ(s.LastValueIndex(), 2);
  s.DrawBetweenPoints = true;
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.LastValueIndex(), 3);

  // Inverted: the right edge is the low end; the range is the same.
  PlaceAxis(rig.chart.BottomAxis(), 12, 25, true);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.FirstValueIndex(), 2);
  EXPECT_EQ(s.LastValueIndex(), 3);

  // Everything left of the range: nothing visible. All inside: all.
  PlaceAxis(rig.chart.BottomAxis(), 31, 40);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.FirstValueIndex(), -1);
  PlaceAxis(rig.chart.BottomAxis(), -5, 40);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.FirstValueIndex(), 0);
  EXPECT_EQ(s.LastValueIndex(), 3);

  // An unordered list shows every point.
  s.XValues()->SetOrder(loNone);
  PlaceAxis(rig.chart.BottomAxis(), 12, 25);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.FirstValueIndex(), 0);
  EXPECT_EQ(s.LastValueIndex(), 3);
}

TEST(SeriesAxes, PositionsAndValuesGoThroughTheChosenAxes) {
  RecordingRig rig(100);
  TChartSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  EXPECT_EQ(s.GetHorizAxis(), rig.chart.BottomAxis());
  EXPECT_EQ(s.GetVertAxis(), rig.chart.LeftAxis());
  s.AddXY(25, 40);
  EXPECT_EQ(s.CalcXPos(0), 25);
  EXPECT_EQ(s.CalcYPos(0), 40);
  EXPECT_DOUBLE_EQ(s.XScreenToValue(75), 75);
  EXPECT_TRUE(s.AssociatedToAxis(rig.chart.BottomAxis()));
  EXPECT_FALSE(s.AssociatedToAxis(rig.chart.TopAxis()));

  s.SetVertAxis(aRightAxis);
  EXPECT_EQ(s.GetVertAxis(), rig.chart.RightAxis());
  PlaceAxis(rig.chart.RightAxis(), 0, 200);
  EXPECT_EQ(s.CalcYPos(0), 80);  // 40 of 200 up from the bottom
  s.SetVertAxis(aBothVertAxis);
  EXPECT_EQ(s.GetVertAxis(), rig.chart.LeftAxis());
  EXPECT_TRUE(s.AssociatedToAxis(rig.chart.RightAxis()));
  EXPECT_TRUE(s.AssociatedToAxis(rig.chart.LeftAxis()));

  // The first series takes palette colour 0, the next one the next free colour.
  EXPECT_EQ(s.SeriesColor(), PaletteColor(0));
  TChartSeries t(nullptr);
  t.SetParentChart(&rig.chart);
  EXPECT_EQ(t.SeriesColor(), PaletteColor(1));
  t.SetParentChart(nullptr);
  EXPECT_EQ(rig.chart.SeriesCount(), 1);
  EXPECT_EQ(t.GetHorizAxis(), nullptr);
}

// ---- linked series and the update bracket ------------------------------------------------

TEST(SeriesLinks, FollowersTakeOverAddsDeletesAndClears) {
  SeriesTestChart chart;
  TChartSeries a(nullptr), b(nullptr);
  a.SetName("A");
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  a.AddXY(0, 1, "x");
  b.SetDataSource(&a);
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(b.GetValueLabel(0), "x");
  EXPECT_EQ(a.LinkedSeries().size(), 1u);

  EXPECT_EQ(a.AddXY(-1, 5), 0);
  EXPECT_EQ(XsOf(b), (std::vector<Double>{-1, 0}));
  EXPECT_EQ(b.GetValueLabel(1), "x");
  a.Delete(1);
  EXPECT_EQ(XsOf(b), (std::vector<Double>{-1}));
  a.Clear();
  EXPECT_EQ(b.Count(), 0);

  // Inside an update nothing is passed on; the last EndUpdate refills once.
  int adds = 0;
  b.OnAfterAdd = [&](TChartSeries*, Integer) { ++adds; };
  a.BeginUpdate();
  a.BeginUpdate();
  a.AddXY(1, 1);
  a.AddXY(2, 2);
  a.EndUpdate();
  EXPECT_EQ(b.Count(), 0);
  a.EndUpdate();
  EXPECT_EQ(b.Count(), 2);
  EXPECT_EQ(adds, 2);
  a.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(a.UpdateCount(), 0);

  // Without the insert option the follower ignores adds.
  b.SetRecalcOptions(TSeriesRecalcOptions{rOnDelete, rOnModify, rOnClear});
  a.AddXY(3, 3);
  EXPECT_EQ(b.Count(), 2);
}

TEST(SeriesLinks, SourcesAreCheckedAndLoopsRefused) {
  SeriesTestChart chart;
  TChartSeries a(nullptr), b(nullptr), c(nullptr);
  a.SetName("A");
  b.SetName("B");
  c.SetName("C");
  EXPECT_THROW(b.SetDataSource(&a), ChartException);  // no chart to validate it
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  c.SetParentChart(&chart);
  try {
    a.SetDataSource(&a);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_EQ(e.Message(), "No valid DataSource: A");
  }
  b.SetDataSource(&a);
  c.SetDataSource(&b);
  try {
    a.SetDataSource(&c);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_EQ(e.Message(), "Circular Series dependences are not allowed");
  }
  EXPECT_EQ(a.DataSource(), nullptr);
  EXPECT_TRUE(c.LinkedSeries().empty());

  // A source that goes away leaves its followers without it.
  {
    TChartSeries d(nullptr);
    d.SetParentChart(&chart);
    d.AddXY(0, 0);
    a.SetDataSource(&d);
    EXPECT_EQ(a.Count(), 1);
  }
  EXPECT_EQ(a.DataSource(), nullptr);
  a.SetDataSource(nullptr);
  EXPECT_EQ(a.Count(), 0);
}

// ---- marks text ------------------------------------------------------------------------

TEST(SeriesMarkText, EachStyleBuildsItsText) {
  TChartSeries s(nullptr);
  s.AddXY(1, 10, "A");
  s.AddXY(2, -30);
  TSeriesMarks* m = s.Marks();
  auto text = [&](TSeriesMarksStyle style, Integer i) {
    m->SetStyle(style);
    return s.GetMarkText(i);
  };
  EXPECT_EQ(text(smsValue, 1), "-30");
  EXPECT_EQ(text(smsPercent, 0), "25 %");
  EXPECT_EQ(text(smsLabel, 0), "A");
  EXPECT_EQ(text(smsLabel, 1), "-30");
  EXPECT_EQ(text(smsLabelPercent, 1), "-30 75 %");
  EXPECT_EQ(text(smsLabelValue, 0), "A 10");
  EXPECT_EQ(text(smsPercentTotal, 0), "25 % of 40");
  EXPECT_EQ(text(smsXValue, 1), "2");
  EXPECT_EQ(text(smsXY, 0), "1 10");
  // Without a legend's own text style the legend's left-value form, columns apart by a
  // blank (the column separator has no glyph).
  EXPECT_EQ(text(smsLegend, 0), "10 A");
  // Legend texts join their columns; an empty label adds no column.
  EXPECT_EQ(s.LegendString(0, ltsRightValue), "A\x06" "10");
  EXPECT_EQ(s.LegendString(1, ltsLeftValue), "-30");
  EXPECT_EQ(s.LegendString(1, ltsXAndPercent), "2\x06" "75 %");
  EXPECT_EQ(s.LegendString(1, ltsPlain), "");
  m->SetMultiLine(true);
  EXPECT_EQ(text(smsLabelPercentTotal, 0), "A\r25 %\rof 40");
  s.SetValueFormat("0.00");
  EXPECT_EQ(text(smsValue, 0), "10.00");
  s.OnGetMarkText = [](TChartSeries*, Integer i, std::string& t) { t += "#" + std::to_string(i); };
  EXPECT_EQ(text(smsValue, 1), "-30.00#1");

  // A total of zero counts as 100 percent.
  TChartSeries z(nullptr);
  z.AddXY(0, 0);
  z.Marks()->SetStyle(smsPercent);
  EXPECT_EQ(z.GetMarkText(0), "100 %");
}

// ---- elements, storage, assignment -------------------------------------------------------

TEST(SeriesElement, WritersRepaintOnlyOnChange) {
  SeriesTestChart chart;
  TLineSeries s(nullptr);
  s.SetParentChart(&chart);
  chart.Invalidations = 0;
  s.SetTitle("T");
  EXPECT_EQ(chart.Invalidations, 1);
  s.SetTitle("T");
  s.SetStairs(false);
  s.SetDepth(-1);
  EXPECT_EQ(chart.Invalidations, 1);
  s.Pen()->SetColor(clRed);
  s.Pointer()->SetHorizSize(6);
  s.Marks()->SetArrowLength(3);
  EXPECT_EQ(chart.Invalidations, 4);
  s.SetActive(false);
  EXPECT_EQ(chart.Invalidations, 5);
}

TEST(SeriesElement, IdentifierAndStyleAreStoredOnlyWhenSet) {
  auto names = [](TPersistent* p) {
    TMemoryWriter w;
    w.WriteProperties(p);
    std::vector<std::string> out;
    for (const TFilerProperty& prop : w.Data()) out.push_back(prop.name);
    return std::make_pair(out, w.Data());
  };
  TChartSeries s(nullptr);
  EXPECT_TRUE(names(&s).first.empty());
  s.SetIdentifier("id7");
  s.SetStyle(TChartSeriesStyle{tssFlag0, tssFlag3});
  auto [stored, data] = names(&s);
  EXPECT_EQ(stored, (std::vector<std::string>{"Identifier", "Style"}));
  EXPECT_EQ(data[1].values.at(0).integer, 9);

  TChartSeries back(nullptr);
  TMemoryReader r(data);
  r.ReadProperties(&back);
  EXPECT_EQ(back.Identifier(), "id7");
  EXPECT_TRUE(back.Style() == (TChartSeriesStyle{tssFlag0, tssFlag3}));
}

TEST(SeriesElement, AssignTakesPointsAndSettingsButNotEvents) {
  TChartSeries src(nullptr);
  src.SetTitle("Src");
  src.SetSeriesColor(clRed);
  src.SetValueFormat("0.0");
  src.SetVertAxis(aRightAxis);
  src.Marks()->SetStyle(smsValue);
  src.AddXY(1, 10, "a");
  src.AddXY(2, 20, "", clBlue);
  src.OnClearValues = [](TChartSeries*) {};
  TChartSeries dst(nullptr);
  dst.AddXY(7, 7);
  dst.Assign(&src);
  EXPECT_EQ(dst.Title(), "Src");
  EXPECT_EQ(XsOf(dst), (std::vector<Double>{1, 2}));
  EXPECT_EQ(dst.GetYValue(1), 20);
  EXPECT_EQ(dst.GetValueLabel(0), "a");
  EXPECT_EQ(dst.GetValueColor(1), clBlue);
  EXPECT_EQ(dst.SeriesColor(), clRed);
  EXPECT_EQ(dst.ValueFormat(), "0.0");
  EXPECT_EQ(dst.VertAxis(), aRightAxis);
  EXPECT_EQ(dst.Marks()->Style(), smsValue);
  EXPECT_FALSE(static_cast<bool>(dst.OnClearValues));
  EXPECT_TRUE(TCustomChartSeries::ClassesRelated(&src, &dst));
  TLineSeries line(nullptr);
  EXPECT_TRUE(TCustomChartSeries::ClassesRelated(&line, &src));
  TPointSeries points(nullptr);
  EXPECT_FALSE(TCustomChartSeries::ClassesRelated(&line, &points));
}
