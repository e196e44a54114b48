#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "chart/chart_series.h"
#include "chart/value_list.h"
#include "platform/classlib/persistent.h"
#include "platform/win/modal_answers.h"

namespace {

std::vector<Double> ValuesOf(const TChartValueList& list) {
  return std::vector<Double>(list.Values(), list.Values() + list.Count());
}

}  // namespace

TEST(ValueList, InsertionFollowsTheOrderAndEqualsGoAfterTheirEquals) {
  const struct {
    TChartListOrder order;
    std::vector<Double> added;
    std::vector<Integer> indices;
    std::vector<Double> values;
  } cases[] = {
      {loAscending, {1, 3, 2, 2, 3, 0}, {0, 1, 1, 2, 4, 0}, {0, 1, 2, 2, 3, 3}},
      {loAscending, {1, 2, 2, 3, 2}, {0, 1, 2, 3, 3}, {1, 2, 2, 2, 3}},
      {loDescending, {5, 1, 3, 3}, {0, 1, 1, 2}, {5, 3, 3, 1}},
      {loNone, {5, 1, 3}, {0, 1, 2}, {5, 1, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.added));
    TChartValueList list(nullptr, "X");
    list.SetOrder(c.order);
    std::vector<Integer> indices;
    for (Double v : c.added) indices.push_back(list.AddValue(v));
    EXPECT_EQ(indices, c.indices);
    EXPECT_EQ(ValuesOf(list), c.values);
  }
}

TEST(ValueList, LocateFindsTheFirstExactMatch) {
  TChartValueList list(nullptr, "Y");
  EXPECT_EQ(list.Locate(0), -1);
  for (Double v : {4.0, 7.5, 4.0, 0.1 + 0.2}) list.AddValue(v);
  EXPECT_EQ(list.Locate(4), 0);
  EXPECT_EQ(list.Locate(7.5), 1);
  EXPECT_EQ(list.Locate(0.3), -1);  // 0.1 + 0.2 is not 0.3
  EXPECT_EQ(list.Locate(0.1 + 0.2), 3);
  EXPECT_EQ(list.Locate(8), -1);
}

TEST(ValueList, StatisticsFollowChanges) {
  TChartValueList list(nullptr, "Y");
  EXPECT_EQ(list.Lowest(), 0);
  EXPECT_EQ(list.Highest(), 0);
  EXPECT_EQ(list.SumOfAbsolutes(), 0);
  EXPECT_FALSE(list.Dirty());

  for (Double v : {3.0, -2.0, 7.0, 1.0}) list.AddValue(v);
  EXPECT_TRUE(list.Dirty());
  EXPECT_EQ(list.Lowest(), -2);
  EXPECT_EQ(list.Highest(), 7);
  EXPECT_EQ(list.Sum(), 9);
  EXPECT_EQ(list.SumOfAbsolutes(), 13);
  EXPECT_FALSE(list.Dirty());

  list.SetValue(2, -10);
  EXPECT_TRUE(list.Dirty());
  EXPECT_EQ(list.Lowest(), -10);
  EXPECT_EQ(list.Highest(), 3);
  EXPECT_EQ(list.SumOfAbsolutes(), 16);

  list.Delete(0);
  EXPECT_EQ(list.Highest(), 1);
  list.ClearValues();
  EXPECT_EQ(list.Highest(), 0);
  EXPECT_EQ(list.Lowest(), 0);
}

TEST(ValueList, CapacityGrowsInSteps) {
  TChartValueList list(nullptr, "X");
  EXPECT_EQ(list.Capacity(), 0);
  list.AddValue(0);
  EXPECT_EQ(list.Capacity(), 1000);
  for (int i = 1; i < 1000; ++i) list.AddValue(i);
  EXPECT_EQ(list.Capacity(), 1000);
  list.AddValue(1000);  // the 1001st value
  EXPECT_EQ(list.Capacity(), 2000);
  EXPECT_EQ(list.Count(), 1001);
  EXPECT_EQ(list.LastValue(), 1000);

  // The step is read at every growth.
  const Integer saved = ValueListGrowStep;
  ValueListGrowStep = 10;
  for (int i = 0; i < 1000; ++i) list.AddValue(i);
  EXPECT_EQ(list.Capacity(), 2010);
  ValueListGrowStep = saved;

  list.ClearValues();
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ValueList, InsertDeleteAndOutOfRangeIndices) {
  TChartValueList list(nullptr, "Y");
  for (Double v : {10.0, 20.0, 30.0}) list.AddValue(v);
  list.InsertValue(1, 15);
  list.InsertValue(4, 40);  // at Count: appends
  list.InsertValue(0, 5);
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{5, 10, 15, 20, 30, 40}));
  list.Delete(0);
  list.Delete(4);
  list.Delete(1);
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{10, 20, 30}));

  // Indices outside the list are refused and change nothing.
  EXPECT_THROW(list.InsertValue(4, 1), EListError);
  EXPECT_THROW(list.InsertValue(-1, 1), EListError);
  EXPECT_THROW(list.Delete(3), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.SetValue(3, 1), EListError);
  EXPECT_THROW(list.SwapValues(0, 3), EListError);
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{10, 20, 30}));
  EXPECT_EQ(list.Capacity(), 1000);
}

TEST(ValueList, RearrangingOperations) {
  TChartValueList list(nullptr, "Y");
  for (Double v : {1.0, 2.0, 3.0, 4.0}) list.AddValue(v);
  list.RotateFirstToEnd();
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{2, 3, 4, 1}));
  list.SwapValues(0, 3);
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{1, 3, 4, 2}));
  EXPECT_EQ(list.CompareAt(0, 1), -1);
  EXPECT_EQ(list.CompareAt(2, 1), 1);
  EXPECT_EQ(list.CompareAt(1, 1), 0);
  list.SetOrder(loDescending);
  EXPECT_EQ(list.CompareAt(0, 1), 1);
  list.FillWithIndices();
  EXPECT_EQ(ValuesOf(list), (std::vector<Double>{0, 1, 2, 3}));

  TChartValueList one(nullptr, "Y");
  one.AddValue(9);
  one.RotateFirstToEnd();
  EXPECT_EQ(ValuesOf(one), (std::vector<Double>{9}));
}

TEST(ValueList, SortOrdersByTheListOrder) {
  TChartValueList none(nullptr, "Y");
  for (Double v : {3.0, 1.0, 2.0}) none.AddValue(v);
  none.Sort();
  EXPECT_EQ(ValuesOf(none), (std::vector<Double>{3, 1, 2}));

  TChartValueList up(nullptr, "Y");
  const std::vector<Double> input{5, -1, 9, 3, 3, 0, 12, -7, 8, 2, 2, 6};
  for (Double v : input) up.AddValue(v);  // loNone while adding
  up.SetOrder(loAscending);
  up.Sort();
  std::vector<Double> sorted = input;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(ValuesOf(up), sorted);

  up.SetOrder(loDescending);
  up.Sort();
  std::reverse(sorted.begin(), sorted.end());
  EXPECT_EQ(ValuesOf(up), sorted);

  TChartValueList empty(nullptr, "Y");
  empty.SetOrder(loAscending);
  empty.Sort();
  EXPECT_EQ(empty.Count(), 0);
}

TEST(ValueList, AssignCopiesSettingsNotValues) {
  TChartValueList a(nullptr, "A");
  a.SetOrder(loDescending);
  a.SetDateTime(true);
  a.SetValueSource("Field1");
  a.AddValue(1);
  TChartValueList b(nullptr, "B");
  b.AddValue(7);
  b.AddValue(8);
  b.Assign(&a);
  EXPECT_EQ(b.Order(), loDescending);
  EXPECT_TRUE(b.DateTime());
  EXPECT_EQ(b.ValueSource(), "Field1");
  EXPECT_EQ(b.Name(), "B");
  EXPECT_EQ(ValuesOf(b), (std::vector<Double>{7, 8}));
}

class ValueListMultiplier : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ClearModalAnswers();
    win::SetModalFailureHandler([this](const std::string& why) { failures_.push_back(why); });
  }
  void TearDown() override {
    win::SetModalFailureHandler(nullptr);
    win::ClearModalAnswers();
  }
  static TFilerData Stored(Double multiplier) {
    TFilerValue v;
    v.kind = TFilerValue::vaFloat;
    v.real = multiplier;
    return TFilerData{TFilerProperty{"Multiplier", {v}}};
  }
  std::vector<std::string> failures_;
};

TEST_F(ValueListMultiplier, ObsoleteMultiplierIsReportedAndNeverStored) {
  TChartValueList list(nullptr, "Y");

  // 1.0 is what every older form carries: read silently.
  TMemoryReader quiet(Stored(1.0));
  quiet.ReadProperties(&list);
  EXPECT_TRUE(win::ModalPrompts().empty());

  win::AnswerMessageBox(win::IDOK);
  TMemoryReader loud(Stored(2.5));
  loud.ReadProperties(&list);
  ASSERT_EQ(win::ModalPrompts().size(), 1u);
  EXPECT_EQ(win::ModalPrompts()[0].text,
            "Error: Multiplier property is obsolete.\rModify ChartDefs.inc (enable Multiplier) and recompile.");
  EXPECT_TRUE(failures_.empty());

  TMemoryWriter writer;
  writer.WriteProperties(&list);
  for (const TFilerProperty& p : writer.Data()) EXPECT_NE(p.name, "Multiplier");
}

namespace {

// Records what the lists tell their series.
class RecordingSeries : public TChartSeries {
 public:
  RecordingSeries() : TChartSeries(nullptr) {}
  void NotifyValue(TValueEvent Event, Integer ValueIndex) override {
    events.emplace_back(Event, ValueIndex);
    TChartSeries::NotifyValue(Event, ValueIndex);
  }
  std::vector<std::pair<TValueEvent, Integer>> events;
};

}  // namespace

TEST(ValueListOfSeries, SortMovesWholePoints) {
  TChartSeries series(nullptr);
  series.XValues()->SetOrder(loNone);
  series.AddXY(3, 30, "c");
  series.AddXY(1, 10, "a");
  series.AddXY(4, 40, "d");
  series.AddXY(2, 20, "b");
  series.XValues()->SetOrder(loAscending);
  series.XValues()->Sort();
  EXPECT_EQ(ValuesOf(*series.XValues()), (std::vector<Double>{1, 2, 3, 4}));
  EXPECT_EQ(ValuesOf(*series.YValues()), (std::vector<Double>{10, 20, 30, 40}));
  EXPECT_EQ(series.GetValueLabel(0), "a");
  EXPECT_EQ(series.GetValueLabel(3), "d");

  // Sorting by Y, descending, carries X along.
  series.YValues()->SetOrder(loDescending);
  series.YValues()->Sort();
  EXPECT_EQ(ValuesOf(*series.YValues()), (std::vector<Double>{40, 30, 20, 10}));
  EXPECT_EQ(ValuesOf(*series.XValues()), (std::vector<Double>{4, 3, 2, 1}));
}

TEST(ValueListOfSeries, ChangesAreToldToTheSeries) {
  RecordingSeries series;
  series.AddXY(1, 10);
  series.AddXY(2, 20);
  series.events.clear();

  series.XValues()->AddValue(3);  // adding alone tells nothing
  series.XValues()->Delete(2);
  EXPECT_TRUE(series.events.empty());

  series.YValues()->SetValue(1, 25);
  series.YValues()->SwapValues(1, 0);
  series.XValues()->FillWithIndices();
  const std::vector<std::pair<TValueEvent, Integer>> expected{{veModify, 1}, {veModify, 1}, {veModify, 0}};
  EXPECT_EQ(series.events, expected);
  EXPECT_EQ(ValuesOf(*series.YValues()), (std::vector<Double>{25, 10}));
}

TEST(ValueListOfSeries, ListsRegisterWithTheirSeries) {
  TChartSeries series(nullptr);
  TChartValueLists* lists = series.ValueLists();
  ASSERT_EQ(lists->Count(), 2);
  EXPECT_EQ(lists->Get(0), series.XValues());
  EXPECT_EQ(lists->Get(1), series.YValues());

  auto* z = new TChartValueList(&series, "Z");
  ASSERT_EQ(lists->Count(), 3);
  EXPECT_EQ(lists->Get(2), z);
  // Freed on its own, it leaves the series' lists.
  delete z;
  EXPECT_EQ(lists->Count(), 2);

  // The lists own what is left: a list made for the series goes with it.
  new TChartValueList(&series, "W");
  EXPECT_EQ(lists->Count(), 3);
}
