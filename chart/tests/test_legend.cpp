// The legend: its layout with the chart font's metrics (Arial 8: line height 13, "A" 8,
// "BB" 14, " " 3 pixels), check boxes, columns, paging, the room it takes, its hit test,
// and its symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

using Ops = std::vector<std::string>;

// A 2D chart without axes whose drawing is logged.
struct LegendRig {
  explicit LegendRig(int SeriesCount = 0, const std::string& Title = "A") {
    chart.SetView3D(false);
    chart.SetAxisVisible(false);
    canvas = RecordWholeChart(chart, target);
    for (int i = 0; i < SeriesCount; ++i) Add(Title)->AddXY(i, i);
  }
  ~LegendRig() {
    for (auto& s : series) s->SetParentChart(nullptr);
  }
  TLineSeries* Add(const std::string& Title) {
    series.push_back(std::make_unique<TLineSeries>(nullptr));
    series.back()->SetTitle(Title);
    series.back()->SetParentChart(&chart);
    return series.back().get();
  }
  void Draw(Integer Width = 400) {
    canvas->ClearLog();
    chart.DrawTo(target.Canvas(), TRect{0, 0, Width, 250});
  }
  // The texts drawn, as "Text x,y 'text'".
  Ops Texts() const { return canvas->Ops({"Text"}); }
  // Lines drawn inside R: a line series' legend symbol is a line across the middle of the
  // symbol's rectangle.
  Ops SymbolsIn(const TRect& R) const {
    Ops out;
    for (const auto& e : canvas->Log)
      if (e.Op == "Line" && e.Args[0] >= R.left && e.Args[2] <= R.right && e.Args[1] >= R.top && e.Args[3] <= R.bottom)
        out.push_back(e.Str());
    return out;
  }
  Integer Width(const std::string& Text) {
    chart.Canvas()->SetReferenceCanvas(target.Canvas());
    chart.Canvas()->ApplyFont(chart.Legend()->Font());
    return chart.Canvas()->MeasureTextWidth(Text);
  }

  TChart chart{nullptr};
  RecordingCanvas* canvas = nullptr;
  TBitmap target;
  std::vector<std::unique_ptr<TLineSeries>> series;
};

TRect Bounds(TChartLegend* L) { return L->ShapeBounds; }

}  // namespace

// ---- vertical layout ---------------------------------------------------------------------

TEST(LegendLayout, VerticalLegendOfSeries) {
  LegendRig rig;
  rig.Add("A")->AddXY(0, 0);
  rig.Add("BB")->AddXY(0, 0);
  rig.Draw();
  TChartLegend* legend = rig.chart.Legend();
  EXPECT_EQ(legend->EffectiveStyle(), lsSeries);
  // Texts: "BB" is the widest, 14; W = 14 + 0 + 2 x 3 - 1 = 19; symbol 20 % of W + 10 = 6.
  // Right edge 388 - shadow 3 - (frame 1 + 1); 25 below the top of a 250 high area; two
  // rows of 13 plus 2.
  EXPECT_EQ(Bounds(legend), (TRect{348, 25, 383, 53}));
  EXPECT_EQ(legend->SymbolWidth(), 6);
  EXPECT_EQ(legend->NumRows(), 2);
  EXPECT_EQ(rig.Texts(), (Ops{"Text 364,26 'A'", "Text 364,39 'BB'"}));
  // Symbols 354..360 wide from y + 2 to y + 13 + 1 - 3: lines through their middles.
  EXPECT_EQ(rig.SymbolsIn(Bounds(legend)), (Ops{"Line 354,32,360,32", "Line 354,45,360,45"}));
  // The plotting area ends at the legend and gives up 3 % of its 376 pixels besides.
  EXPECT_EQ(rig.chart.ChartRect().right, 348 - 11);
}

TEST(LegendLayout, CheckBoxesMakeItemsSeventeenHighAndTextOnePixelLower) {
  LegendRig rig;
  rig.Add("A")->AddXY(0, 0);
  rig.Add("BB")->AddXY(0, 0);
  rig.series[1]->SetActive(false);
  rig.chart.Legend()->SetCheckBoxes(true);
  rig.Draw();
  TChartLegend* legend = rig.chart.Legend();
  // An inactive series still has its line, with an empty box.
  EXPECT_EQ(legend->ItemHeight(), 17);
  EXPECT_EQ(Bounds(legend), (TRect{333, 25, 383, 61}));
  EXPECT_EQ(rig.Texts(), (Ops{"Text 364,27 'A'", "Text 364,44 'BB'"}));
  const Ops lines = rig.canvas->Ops({"Line"});
  // Box corners at (337, 28) and (337, 45): the grey top edge starts each box.
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Line 348,28,337,28"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Line 348,45,337,45"), lines.end());
  // The tick (first stroke at X + 3 from Y + 5) only in the active series' box.
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Line 340,33,340,36"), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "Line 340,50,340,53"), lines.end());
}

TEST(LegendLayout, ResizeChartOffStillTakesTheGap) {
  LegendRig rig(2);
  rig.chart.Legend()->SetResizeChart(false);
  rig.Draw();
  EXPECT_EQ(rig.chart.ChartRect().right, 388 - 11);
  rig.chart.Legend()->SetHorizMargin(20);
  rig.Draw();
  EXPECT_EQ(rig.chart.ChartRect().right, 388 - 20);
  // On the left the gap is added to the left edge.
  rig.chart.Legend()->SetAlignment(laLeft);
  rig.Draw();
  EXPECT_EQ(rig.chart.ChartRect().left, 12 + 20);
}

// ---- horizontal layout and the hit test ------------------------------------------------------

TEST(LegendLayout, HorizontalLegendFillsRowsOfColumns) {
  LegendRig rig(5);
  rig.chart.Legend()->SetAlignment(laBottom);
  // A 100 pixel wide chart: plotting width 94, slots of symbol 3 + text 13 + 8 fit three.
  rig.Draw(100);
  TChartLegend* legend = rig.chart.Legend();
  EXPECT_EQ(legend->NumCols(), 3);
  EXPECT_EQ(legend->NumRows(), 2);
  // Width 16 x 3 + 12 + 12 = 72 around the centre 50, moved by 10 % of 100 - 36; bottom
  // at 240 - 3 - 1 - 1.
  EXPECT_EQ(Bounds(legend), (TRect{20, 207, 92, 235}));
  EXPECT_EQ(rig.Texts(),
            (Ops{"Text 33,208 'A'", "Text 55,208 'A'", "Text 77,208 'A'", "Text 33,221 'A'", "Text 55,221 'A'"}));
  // The plotting area ends above it, less 4 % of its 230 pixels.
  EXPECT_EQ(rig.chart.ChartRect().bottom, 207 - 9);

  // Column slices of 24, rows of 13 from 208.
  EXPECT_EQ(legend->Clicked(30, 212), 0);
  EXPECT_EQ(legend->Clicked(80, 212), 2);
  EXPECT_EQ(legend->Clicked(50, 226), 4);
  // Below the last item of the short last row.
  EXPECT_EQ(legend->Clicked(74, 226), -1);
  // Outside (the right and bottom edges are outside).
  EXPECT_EQ(legend->Clicked(92, 212), -1);
  EXPECT_EQ(legend->Clicked(30, 235), -1);
}

TEST(LegendHitTest, HorizontalCheckBoxRowsAreHitWhereTheyAreDrawn) {
  // Check boxes make rows 17 high and VertSpacing adds 4: a font's line height (13)
  // would answer rows further down.
  LegendRig rig;
  for (int i = 0; i < 15; ++i) rig.Add("S" + std::to_string(i))->AddXY(i, i);
  TChartLegend* legend = rig.chart.Legend();
  legend->SetAlignment(laBottom);
  legend->SetCheckBoxes(true);
  legend->SetVertSpacing(4);
  rig.Draw(250);
  const Integer cols = legend->NumCols();
  ASSERT_GT(cols, 0);
  ASSERT_GT(legend->NumRows(), 2);
  const TRect r = Bounds(legend);
  const Integer cw = (r.right - r.left) / cols;
  for (int k = 0; k <= legend->LastValue(); ++k) {
    SCOPED_TRACE(k);
    const auto* text = rig.canvas->FindText("S" + std::to_string(k));
    ASSERT_NE(text, nullptr);
    const Integer textY = text->Args[1];
    const Integer x = r.left + 1 + (k % cols) * cw + cw / 2;
    EXPECT_EQ(legend->Clicked(x, textY + 2), k);
    EXPECT_EQ(legend->Clicked(x, textY + legend->ItemHeight() - 4), k);
  }
}

TEST(LegendHitTest, AnswersTheItemDrawnThereFromFirstValue) {
  LegendRig rig(4);
  TChartLegend* legend = rig.chart.Legend();
  legend->SetFirstValue(2);
  rig.Draw();
  EXPECT_EQ(legend->NumRows(), 2);
  const TRect r = Bounds(legend);
  // Rows of 13 from the top + 1.
  EXPECT_EQ(legend->Clicked(r.left + 5, r.top + 3), 2);
  EXPECT_EQ(legend->Clicked(r.left + 5, r.top + 16), 3);
  // An inverted legend draws the last item first; its hit test agrees.
  legend->SetInverted(true);
  rig.Draw();
  EXPECT_EQ(legend->Clicked(r.left + 5, r.top + 3), 3);
  EXPECT_EQ(legend->Clicked(r.left + 5, r.top + 16), 2);
  // A hidden-row legend answers nothing.
  legend->SetFirstValue(9);
  rig.Draw();
  EXPECT_EQ(legend->Clicked(r.left + 5, r.top + 3), -1);
}

// ---- items and texts ---------------------------------------------------------------------

TEST(LegendItems, StyleFirstValueAndColumns) {
  LegendRig rig(1);
  TChartLegend* legend = rig.chart.Legend();
  EXPECT_EQ(legend->InternalStyle(), lsValues);
  rig.Add("B");
  EXPECT_EQ(legend->InternalStyle(), lsSeries);
  rig.series[1]->SetActive(false);
  EXPECT_EQ(legend->InternalStyle(), lsValues);
  legend->SetCheckBoxes(true);
  EXPECT_EQ(legend->InternalStyle(), lsSeries);
  legend->SetLegendStyle(lsLastValues);
  EXPECT_EQ(legend->InternalStyle(), lsLastValues);

  legend->SetFirstValue(0);
  try {
    legend->SetFirstValue(-1);
    FAIL() << "accepted a negative first value";
  } catch (const LegendException& e) {
    EXPECT_STREQ(e.what(), "First Legend Value must be > 0");
  }
  EXPECT_EQ(legend->FirstValue(), 0);

  // Value then label; no separator without a label; line breaks become blanks.
  TLineSeries* s = rig.series[0].get();
  s->Clear();
  s->AddXY(0, 5);
  s->AddXY(1, 10, "x\ry");
  EXPECT_EQ(rig.chart.FormattedValueLegend(s, 0), "5");
  EXPECT_EQ(rig.chart.FormattedValueLegend(s, 1), "10\x06x y");
  EXPECT_EQ(rig.chart.FormattedValueLegend(s, -1), "");
  EXPECT_EQ(rig.chart.FormattedValueLegend(s, 2), "");
  EXPECT_EQ(rig.chart.FormattedValueLegend(nullptr, 0), "");
}

TEST(LegendItems, ValueColumnIsRightAlignedAndAThirdColumnIsDropped) {
  LegendRig rig;
  TLineSeries* s = rig.Add("S");
  s->AddXY(0, 5, "a");
  s->AddXY(1, 10, "b");
  rig.Draw();
  TChartLegend* legend = rig.chart.Legend();
  ASSERT_EQ(legend->EffectiveStyle(), lsValues);
  const Integer c0 = rig.Width("10");
  const Integer c1 = std::max(rig.Width("a"), rig.Width("b"));
  EXPECT_EQ(legend->ColumnWidth(0), c0);
  EXPECT_EQ(legend->ColumnWidth(1), c1);
  const Integer w = c0 + c1 + 2 * 3 - 1;
  const Integer symbol = static_cast<Integer>(std::nearbyint(0.2 * (w + 10)));
  const TRect r = Bounds(legend);
  const Integer textX = r.left + 6 + symbol + 4;
  // The values end at the column's right edge; the labels start after the blank.
  const std::string v5 = "Text " + std::to_string(textX + c0) + "," + std::to_string(r.top + 1) + " '5'";
  const std::string a = "Text " + std::to_string(textX + c0 + 3) + "," + std::to_string(r.top + 1) + " 'a'";
  const Ops texts = rig.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], v5);
  EXPECT_EQ(texts[1], a);

  rig.chart.OnGetLegendText = [](TCustomChart*, TLegendStyle, Integer Index, std::string& Text) {
    Text = "p\x06q\x06r" + std::to_string(Index);
  };
  rig.Draw();
  EXPECT_EQ(rig.Texts().size(), 4u);
  for (const std::string& t : rig.Texts()) EXPECT_EQ(t.find("'r"), std::string::npos) << t;
}

TEST(LegendItems, ALegendOfValuesFollowsThePage) {
  LegendRig rig;
  TLineSeries* s = rig.Add("S");
  for (int i = 0; i < 20; ++i) s->AddXY(i, i);
  rig.chart.SetMaxPointsPerPage(5);
  rig.chart.SetPage(3);
  rig.Draw();
  TChartLegend* legend = rig.chart.Legend();
  EXPECT_EQ(legend->FirstValue(), 10);
  EXPECT_EQ(legend->ItemCount(), 5);
  EXPECT_EQ(legend->LastValue(), 14);
  Ops shown;
  for (const std::string& t : rig.Texts()) shown.push_back(t.substr(t.find('\'')));
  EXPECT_EQ(shown, (Ops{"'10'", "'11'", "'12'", "'13'", "'14'"}));
}

TEST(LegendSymbols, NoSymbolForColourEachPointSeriesOrNullPoints) {
  {
    LegendRig rig(2);
    rig.series[1]->SetColorEachPoint(true);
    rig.Draw();
    EXPECT_EQ(rig.SymbolsIn(Bounds(rig.chart.Legend())).size(), 1u);
  }
  {
    LegendRig rig;
    TLineSeries* s = rig.Add("S");
    s->AddXY(0, 1);
    s->AddNullXY(1, 2);
    s->AddXY(2, 3);
    rig.Draw();
    EXPECT_EQ(rig.SymbolsIn(Bounds(rig.chart.Legend())).size(), 2u);
    // Without symbol width nothing at all.
    rig.chart.Legend()->Symbol()->SetWidthUnits(lcsPixels);
    rig.chart.Legend()->Symbol()->SetWidth(0);
    rig.Draw();
    EXPECT_EQ(rig.SymbolsIn(Bounds(rig.chart.Legend())).size(), 0u);
  }
}

TEST(LegendSymbols, DrawingASymbolLeavesTheSeriesBrushAlone) {
  LegendRig rig(2);
  rig.series[0]->Brush()->SetStyle(bsDiagCross);
  rig.Draw();
  EXPECT_EQ(rig.series[0]->Brush()->Style(), bsDiagCross);
}

// ---- the check box -----------------------------------------------------------------------

TEST(LegendCheckBox, ThirteenPixelBoxWithShadowsAndTick) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(40, 40);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect{0, 0, 40, 40});
  TChartCanvas3D canvas;
  canvas.SetReferenceCanvas(bmp.Canvas());
  auto at = [&](int x, int y) { return bmp.Canvas()->Pixels(x, y) & 0xFFFFFF; };
  const int X = 10, Y = 10;
  DrawCheckBox(X, Y, &canvas, true, clWhite);
  // Grey top and left edges, silver bottom and right ones on a white background.
  EXPECT_EQ(at(X, Y), 0x808080);
  EXPECT_EQ(at(X + 11, Y), 0x808080);
  EXPECT_EQ(at(X, Y + 11), 0x808080);
  EXPECT_EQ(at(X, Y + 12), 0xC0C0C0);
  EXPECT_EQ(at(X + 12, Y + 12), 0xC0C0C0);
  EXPECT_EQ(at(X + 12, Y), 0xC0C0C0);
  EXPECT_EQ(at(X + 13, Y + 13), clRed);
  // Black inner shadow, white inside.
  EXPECT_EQ(at(X + 1, Y + 1), 0x000000);
  EXPECT_EQ(at(X + 10, Y + 1), 0x000000);
  EXPECT_EQ(at(X + 1, Y + 10), 0x000000);
  EXPECT_EQ(at(X + 2, Y + 2), 0xFFFFFF);
  // The tick: three pixels per stroke.
  EXPECT_EQ(at(X + 3, Y + 5), 0x000000);
  EXPECT_EQ(at(X + 3, Y + 7), 0x000000);
  EXPECT_EQ(at(X + 3, Y + 8), 0xFFFFFF);
  EXPECT_EQ(at(X + 9, Y + 3), 0x000000);
  EXPECT_EQ(at(X + 9, Y + 6), 0xFFFFFF);

  DrawCheckBox(X, Y, &canvas, false, clSilver);
  EXPECT_EQ(at(X + 3, Y + 5), 0xFFFFFF);
  // On another background the light edges are white.
  EXPECT_EQ(at(X, Y + 12), 0xFFFFFF);
}

TEST(LegendText, AMarkInLegendStyleSaysWhatTheLegendSaysWithoutTheColumnSeparator) {
  LegendRig rig;
  TLineSeries* s = rig.Add("S");
  s->AddXY(1, 10, "a");
  s->Marks()->SetStyle(smsLegend);
  const std::pair<TLegendTextStyle, const char*> cases[] = {
      {ltsLeftValue, "10 a"}, {ltsRightValue, "a 10"}, {ltsPlain, "a"}, {ltsXAndValue, "1 10"}};
  for (const auto& [style, text] : cases) {
    rig.chart.Legend()->SetTextStyle(style);
    EXPECT_EQ(s->GetMarkText(0), text);
  }
}

// Each column takes its check box' room: no more columns than the chart has room for, and
// the box holds every text.
TEST(LegendCheckBoxes, ABottomLegendStaysInsideTheChart) {
  for (int n = 1; n <= 12; ++n) {
    LegendRig rig;
    for (int i = 1; i <= n; ++i) rig.Add("Series" + std::to_string(i))->AddXY(i, i);
    rig.chart.Legend()->SetAlignment(laBottom), rig.chart.Legend()->SetCheckBoxes(true);
    rig.Draw(500);
    const TRect box = rig.chart.Legend()->ShapeBounds;
    EXPECT_TRUE(box.left >= 0 && box.right <= 500) << n << " series: " << box.left << ".." << box.right;
    for (const auto& e : rig.canvas->Log)
      EXPECT_TRUE(e.Op != "Text" || e.Args[0] + rig.Width(e.Text) <= box.right) << n << " series: " << e.Str();
  }
}
