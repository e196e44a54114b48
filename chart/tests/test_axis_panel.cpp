// The axis panel: the order of its drawing pass, paging and its limits, free series
// colours, who frees series, series events, and tool dispatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_tools_base.h"
#include "chart/chart_utils.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"
#include "platform/classlib/bitmap.h"

namespace {

using Log = std::vector<std::string>;

// Appends to a shared log: axis lines (DrawLine, or at a depth), series segments (LineTo),
// boxes, clips.
class LoggingCanvas : public TChartCanvas3D {
 public:
  explicit LoggingCanvas(Log& log) : log_(log) {}
  void DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) override {
    Add("axis");
    TChartCanvas3D::DrawLine(X0, Y0, X1, Y1);
  }
  void DrawLineAtDepth(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Z) override {
    Add("axis");
    TChartCanvas3D::DrawLineAtDepth(X0, Y0, X1, Y1, Z);
  }
  void LineToPoint(Integer X, Integer Y) override {
    Add("series");
    TChartCanvas3D::LineToPoint(X, Y);
  }
  void DrawBox(Integer X1, Integer Y1, Integer X2, Integer Y2) override {
    Add("box");
    TChartCanvas3D::DrawBox(X1, Y1, X2, Y2);
  }
  void ClipToBox(const TRect& R) override {
    log_.push_back("clip " + std::to_string(R.left) + "," + std::to_string(R.top) + "," + std::to_string(R.right) +
                   "," + std::to_string(R.bottom));
    TChartCanvas3D::ClipToBox(R);
  }
  void RemoveClip() override {
    log_.push_back("unclip");
    TChartCanvas3D::RemoveClip();
  }

 private:
  // Runs of the same primitive count once.
  void Add(const std::string& what) {
    if (log_.empty() || log_.back() != what) log_.push_back(what);
  }
  Log& log_;
};

// A panel whose hooks say when they run.
class PassChart : public TCustomAxisPanel {
 public:
  explicit PassChart(Log& log) : TCustomAxisPanel(nullptr), log_(log) { SetView3D(false); }

 protected:
  void CalcWallsRect() override { log_.push_back("walls-room"); }
  void DrawTitlesAndLegend(bool BeforeSeries) override {
    log_.push_back(BeforeSeries ? "titles-before" : "titles-after");
  }
  void DrawWalls() override { log_.push_back("walls"); }

 private:
  Log& log_;
};

class LogTool : public TChartCustomTool {
 public:
  LogTool(Log& log, std::string name) : TChartCustomTool(nullptr), log_(log), name_(std::move(name)) {}
  void ChartEvent(TChartToolEvent Event) override {
    log_.push_back(name_ + ":" + std::to_string(static_cast<int>(Event)));
    if (ParentChart()) sawRepaint = ParentChart()->AutoRepaint();
  }
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton, TShiftState, Integer X, Integer Y) override {
    log_.push_back(name_ + " mouse " + std::to_string(static_cast<int>(Event)) + " " + std::to_string(X) + "," +
                   std::to_string(Y));
    if (cancel) ParentChart()->SetCancelMouse(true);
  }
  bool cancel = false;
  bool sawRepaint = true;

 private:
  Log& log_;
  std::string name_;
};

struct PassRig {
  PassRig() : chart(log) {
    auto c = std::make_unique<LoggingCanvas>(log);
    chart.SetCanvas(std::move(c));
    chart.Canvas()->WriteBuffered(false);
    target.SetPixelFormat(pf24bit);
    target.SetSize(400, 250);
    series.SetParentChart(&chart);
    series.AddXY(0, 0);
    series.AddXY(10, 10);
    series.AddXY(20, 5);
    series.BeforeDrawValues = [this](TObject*) { log.push_back("before-values"); };
    series.AfterDrawValues = [this](TObject*) { log.push_back("after-values"); };
    chart.OnBeforeDrawChart = [this](TObject*) { log.push_back("chart"); };
    chart.OnBeforeDrawAxes = [this](TObject*) { log.push_back("axes-event"); };
    chart.OnBeforeDrawSeries = [this](TObject*) { log.push_back("series-event"); };
    chart.OnAfterDraw = [this](TObject*) { log.push_back("after-draw"); };
    tool.SetParentChart(&chart);
  }
  ~PassRig() {
    tool.SetParentChart(nullptr);
    series.SetParentChart(nullptr);
  }
  void Draw() {
    log.clear();
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  }
  // The log without the clip entries.
  Log Steps() const {
    Log out;
    for (const std::string& s : log)
      if (s.rfind("clip", 0) != 0 && s != "unclip") out.push_back(s);
    return out;
  }

  Log log;
  PassChart chart;
  TLineSeries series{nullptr};
  LogTool tool{log, "tool"};
  TBitmap target;
};

}  // namespace

// ---- the drawing pass --------------------------------------------------------------------

TEST(AxisPanelPass, AxesBehindAreDrawnBeforeTheToolsAndSeries) {
  PassRig rig;
  rig.Draw();
  EXPECT_EQ(rig.Steps(),
            (Log{"chart", "titles-before", "walls-room", "walls", "axes-event", "axis", "tool:1", "series-event",
                 "before-values", "series", "after-values", "titles-after", "tool:0", "after-draw"}));
  // Repaints are held off while the pass runs, and allowed again after it.
  EXPECT_FALSE(rig.tool.sawRepaint);
  EXPECT_TRUE(rig.chart.AutoRepaint());
}

TEST(AxisPanelPass, AxesInFrontFollowTheSeriesAndTheZoomFrameComesBeforeTheLastToolEvent) {
  PassRig rig;
  rig.chart.SetAxisBehind(false);
  rig.chart.Zoom()->Start(20, 20);
  rig.chart.Zoom()->X1 = 80;
  rig.chart.Zoom()->Y1 = 90;
  rig.Draw();
  EXPECT_EQ(rig.Steps(),
            (Log{"chart", "titles-before", "walls-room", "walls", "tool:1", "series-event", "before-values", "series",
                 "after-values", "axes-event", "axis", "titles-after", "box", "tool:0", "after-draw"}));
}

TEST(AxisPanelPass, HiddenAxesInactiveSeriesAndInactiveToolsDrawNothing) {
  PassRig rig;
  rig.chart.SetAxisVisible(false);
  rig.tool.SetActive(false);
  rig.Draw();
  EXPECT_EQ(rig.Steps(), (Log{"chart", "titles-before", "walls-room", "walls", "series-event", "before-values",
                              "series", "after-values", "titles-after", "after-draw"}));
  rig.series.SetActive(false);
  rig.Draw();
  EXPECT_EQ(rig.Steps(),
            (Log{"chart", "titles-before", "walls-room", "walls", "series-event", "titles-after", "after-draw"}));
}

TEST(AxisPanelPass, SeriesAreClippedToTheirAxesUnlessClipPointsIsOff) {
  PassRig rig;
  rig.chart.SetAxisVisible(false);
  rig.Draw();
  // No axes: the plotting rectangle is the margins' (12, 10)-(388, 240); the clip keeps
  // its last row and column.
  const TRect r = rig.chart.ChartRect();
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.bottom, 240);
  const Log& log = rig.log;
  auto clip = std::find(log.begin(), log.end(), "clip 12,10,389,241");
  ASSERT_NE(clip, log.end());
  auto series = std::find(clip, log.end(), "series");
  auto unclip = std::find(clip, log.end(), "unclip");
  EXPECT_LT(series, unclip);
  EXPECT_EQ(std::string(*std::prev(clip)), "before-values");

  rig.chart.SetClipPoints(false);
  rig.Draw();
  EXPECT_EQ(std::count_if(rig.log.begin(), rig.log.end(), [](const std::string& s) { return s.rfind("clip", 0) == 0; }),
            0);
}

// ---- paging --------------------------------------------------------------------------------

namespace {

struct PagingRig {
  PagingRig() : chart(log) {
    first.SetParentChart(&chart);
    for (int i = 0; i < 25; ++i) first.AddXY(i, 100 + i);
  }
  ~PagingRig() {
    first.SetParentChart(nullptr);
    second.SetParentChart(nullptr);
  }
  Log log;
  PassChart chart;
  TLineSeries first{nullptr};
  TLineSeries second{nullptr};
};

}  // namespace

TEST(AxisPanelPaging, PagesClampAndAnnounceTheirChanges) {
  PagingRig rig;
  EXPECT_EQ(rig.chart.NumPages(), 1);
  int pageChanges = 0;
  rig.chart.OnPageChange = [&](TObject*) { ++pageChanges; };
  rig.chart.SetMaxPointsPerPage(10);
  EXPECT_EQ(rig.chart.NumPages(), 3);
  rig.chart.SetPage(7);
  EXPECT_EQ(rig.chart.Page(), 3);
  rig.chart.SetPage(0);
  EXPECT_EQ(rig.chart.Page(), 1);
  EXPECT_EQ(pageChanges, 2);
  rig.chart.SetPage(1);
  EXPECT_EQ(pageChanges, 2);

  rig.chart.SetPage(3);
  // Fewer pages: the page follows.
  rig.chart.SetMaxPointsPerPage(20);
  EXPECT_EQ(rig.chart.NumPages(), 2);
  EXPECT_EQ(rig.chart.Page(), 2);
  try {
    rig.chart.SetMaxPointsPerPage(-1);
    FAIL() << "accepted a negative page size";
  } catch (const ChartException& e) {
    EXPECT_STREQ(e.what(), "MaxPointsPerPage must be >= 0");
  }
  EXPECT_EQ(rig.chart.MaxPointsPerPage(), 20);
}

TEST(AxisPanelPaging, TheAxisAlongTheFirstSeriesShowsThePageOnly) {
  PagingRig rig;
  TChartAxis* bottom = rig.chart.BottomAxis();
  TChartAxis* left = rig.chart.LeftAxis();
  rig.chart.SetMaxPointsPerPage(10);
  rig.chart.SetPage(2);
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, 10);
  EXPECT_EQ(bottom->RangeMax, 19);
  // The value axis keeps every point.
  left->RecalcLimits();
  EXPECT_EQ(left->RangeMin, 100);
  EXPECT_EQ(left->RangeMax, 124);
  // A short last page is spread over the whole axis...
  rig.chart.SetPage(3);
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, 20);
  EXPECT_EQ(bottom->RangeMax, 24);
  // ... or keeps the scale of a full page.
  rig.chart.SetScaleLastPage(false);
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMax, 20 + 4.0 * 10 / 5);
}

TEST(AxisPanelPaging, AnEmptyFirstSeriesTurnsThePagingLimitsOff) {
  PagingRig rig;
  rig.first.Clear();
  rig.second.SetParentChart(&rig.chart);
  for (int i = 0; i < 25; ++i) rig.second.AddXY(i * 2, i);
  rig.chart.SetMaxPointsPerPage(10);
  // The page count comes from the largest series.
  EXPECT_EQ(rig.chart.NumPages(), 3);
  rig.chart.SetPage(2);
  TChartAxis* bottom = rig.chart.BottomAxis();
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, 0);
  EXPECT_EQ(bottom->RangeMax, 48);
  // A whole drawing pass with it does not fail either.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(400, 250);
  EXPECT_NO_THROW(rig.chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250}));
}

// ---- series ------------------------------------------------------------------------------

TEST(AxisPanelSeries, FreeColoursSkipTakenOnesAndTheBackground) {
  Log log;
  PassChart chart(log);
  TLineSeries a(nullptr), b(nullptr);
  a.SetSeriesColor(PaletteColor(0));
  b.SetSeriesColor(PaletteColor(1));
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  EXPECT_EQ(chart.GetFreeSeriesColor(false), PaletteColor(2));
  b.SetSeriesColor(PaletteColor(3));
  EXPECT_EQ(chart.GetFreeSeriesColor(false), PaletteColor(1));
  chart.SetColor(PaletteColor(1));
  EXPECT_EQ(chart.GetFreeSeriesColor(true), PaletteColor(2));
  EXPECT_EQ(chart.GetFreeSeriesColor(false), PaletteColor(1));

  // All twenty taken: the first entry, unchecked.
  std::vector<std::unique_ptr<TLineSeries>> many;
  for (int i = 0; i < ChartPaletteSize; ++i) {
    many.push_back(std::make_unique<TLineSeries>(nullptr));
    many.back()->SetSeriesColor(PaletteColor(i));
    many.back()->SetParentChart(&chart);
  }
  EXPECT_EQ(chart.GetFreeSeriesColor(true), PaletteColor(0));
  for (auto& s : many) s->SetParentChart(nullptr);
  a.SetParentChart(nullptr);
  b.SetParentChart(nullptr);
}

TEST(AxisPanelSeries, TheChartFreesOnlyTheSeriesItOwns) {
  TComponent owner(nullptr);
  auto* kept = new TLineSeries(&owner);
  TLineSeries loose(nullptr);
  Log log;
  auto chart = std::make_unique<PassChart>(log);
  auto* owned = new TLineSeries(chart.get());
  kept->SetParentChart(chart.get());
  loose.SetParentChart(chart.get());
  owned->SetParentChart(chart.get());
  EXPECT_EQ(chart->SeriesCount(), 3);

  // FreeAllSeries takes everything out but frees only its own.
  chart->FreeAllSeries();
  EXPECT_EQ(chart->SeriesCount(), 0);
  EXPECT_EQ(kept->ParentChart(), nullptr);
  EXPECT_EQ(loose.ParentChart(), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(chart->ComponentCount(), 0);

  // Freeing the chart leaves the others alive and chart-less.
  kept->SetParentChart(chart.get());
  loose.SetParentChart(chart.get());
  chart.reset();
  EXPECT_EQ(kept->ParentChart(), nullptr);
  EXPECT_EQ(loose.ParentChart(), nullptr);
  kept->AddXY(1, 2);
  loose.AddXY(1, 2);
  EXPECT_EQ(kept->Count(), 1);
}

TEST(AxisPanelSeries, JoiningAndLeavingAreAnnouncedAndKeepTheSeriesAlive) {
  struct SeriesListener : TChartEventListener {
    Log& log;
    explicit SeriesListener(Log& l) : log(l) {}
    void ChartEvent(TChartEvent& e) override {
      if (auto* s = dynamic_cast<TChartSeriesEvent*>(&e))
        log.push_back(s->Series->Title() + ":" + std::to_string(s->Kind));
    }
  };
  Log log;
  PassChart chart(log);
  SeriesListener listener(log);
  chart.Listeners()->Add(&listener);
  TLineSeries a(nullptr);
  a.SetTitle("a");
  chart.AddSeries(&a);
  EXPECT_EQ(a.ParentChart(), &chart);
  chart.AddSeries(&a);
  EXPECT_EQ(chart.SeriesCount(), 1);
  chart.RemoveSeries(&a);
  EXPECT_EQ(a.ParentChart(), nullptr);
  EXPECT_EQ(chart.SeriesCount(), 0);
  a.SetParentChart(&chart);
  a.SetParentChart(nullptr);
  EXPECT_EQ(log, (Log{"a:0", "a:1", "a:0", "a:1"}));
  chart.Listeners()->Remove(&listener);
}

TEST(AxisPanelSeries, NamesAxisVisibilityAndCircularSources) {
  Log log;
  PassChart chart(log);
  TComponent owner(nullptr);
  TLineSeries a(nullptr), b(nullptr), c(nullptr);
  auto* named = new TLineSeries(&owner);
  named->SetName("Curve");
  for (TChartSeries* s :
       {static_cast<TChartSeries*>(&a), static_cast<TChartSeries*>(&b), static_cast<TChartSeries*>(named)})
    s->SetParentChart(&chart);
  b.SetTitle("Speed");
  EXPECT_EQ(chart.SeriesTitleOrName(&a), "Series 0");
  EXPECT_EQ(chart.SeriesTitleOrName(&b), "Speed");
  EXPECT_EQ(chart.SeriesTitleOrName(named), "Curve");

  // Axes show where an active series draws, and everywhere without one.
  EXPECT_TRUE(chart.IsAxisVisible(chart.BottomAxis()));
  EXPECT_TRUE(chart.IsAxisVisible(chart.LeftAxis()));
  EXPECT_FALSE(chart.IsAxisVisible(chart.TopAxis()));
  EXPECT_FALSE(chart.IsAxisVisible(chart.DepthAxis()));
  for (TChartSeries* s :
       {static_cast<TChartSeries*>(&a), static_cast<TChartSeries*>(&b), static_cast<TChartSeries*>(named)})
    s->SetActive(false);
  EXPECT_TRUE(chart.IsAxisVisible(chart.TopAxis()));
  chart.SetAxisVisible(false);
  EXPECT_FALSE(chart.IsAxisVisible(chart.BottomAxis()));

  // b takes from c, c from a: a may not take from b.
  c.SetParentChart(&chart);
  b.SetDataSource(&c);
  c.SetDataSource(&a);
  EXPECT_THROW(chart.CheckOtherSeries(&a, &b), ChartException);
  EXPECT_NO_THROW(chart.CheckOtherSeries(&b, &a));
  EXPECT_TRUE(chart.IsValidDataSource(&a, &b));
  EXPECT_FALSE(chart.IsValidDataSource(&a, &a));
  EXPECT_FALSE(chart.IsValidDataSource(&a, &owner));
  b.SetDataSource(nullptr);
  c.SetDataSource(nullptr);
  for (TChartSeries* s : {static_cast<TChartSeries*>(&a), static_cast<TChartSeries*>(&b),
                          static_cast<TChartSeries*>(&c), static_cast<TChartSeries*>(named)})
    s->SetParentChart(nullptr);
}

TEST(AxisPanelTexts, LineSeparatorsAndWidestLines) {
  std::string text = "one|two||three";
  TCustomAxisPanel::ReplaceLineSeparators(text, "|");
  EXPECT_EQ(text, "one\rtwo\r\rthree");
  text = "a--b";
  TCustomAxisPanel::ReplaceLineSeparators(text, "--");
  EXPECT_EQ(text, "a\rb");

  Log log;
  PassChart chart(log);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(10, 10);
  chart.Canvas()->SetReferenceCanvas(bmp.Canvas());
  TChartFont font;
  chart.Canvas()->ApplyFont(&font);
  Integer lines = 0;
  const Integer widest = chart.MultiLineTextWidth("A\rBB\rA", lines);
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(widest, chart.Canvas()->MeasureTextWidth("BB"));
}

// ---- tool dispatch -----------------------------------------------------------------------

TEST(AxisPanelTools, MouseEventsStopAtTheToolThatTakesThem) {
  Log log;
  PassChart chart(log);
  LogTool first(log, "first"), second(log, "second"), off(log, "off");
  off.SetActive(false);
  off.SetParentChart(&chart);
  first.SetParentChart(&chart);
  second.SetParentChart(&chart);
  chart.BroadcastMouseEvent(cmeMove, mbLeft, {}, 5, 6);
  EXPECT_EQ(log, (Log{"first mouse 1 5,6", "second mouse 1 5,6"}));
  log.clear();
  first.cancel = true;
  chart.BroadcastMouseEvent(cmeDown, mbLeft, {}, 7, 8);
  EXPECT_EQ(log, (Log{"first mouse 0 7,8"}));
  EXPECT_TRUE(chart.CancelMouse());
  log.clear();
  chart.BroadcastToolEvent(cteAfterDraw);
  EXPECT_EQ(log, (Log{"first:0", "second:0"}));
  first.SetParentChart(nullptr);
  second.SetParentChart(nullptr);
  off.SetParentChart(nullptr);
}

TEST(AxisPanelTools, TheChartFreesItsTools) {
  Log log;
  auto chart = std::make_unique<PassChart>(log);
  TComponent owner(nullptr);
  auto* tool = new LogTool(log, "t");
  owner.InsertComponent(tool);
  tool->SetParentChart(chart.get());
  EXPECT_EQ(chart->Tools()->Count(), 1);
  chart.reset();
  // The tool went with the chart and left its owner's list.
  EXPECT_EQ(owner.ComponentCount(), 0);
}
