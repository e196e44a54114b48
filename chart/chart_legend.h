#pragma once
// TChartLegend: the framed box that lists the chart's series or the points of its first
// active series, each item with a coloured symbol and a text, optionally with check boxes
// that switch series on and off. The chart reserves room for it and asks it which item
// lies under the mouse.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "chart/chart_series.h"
#include "chart/chart_title.h"
#include "platform/classlib/exceptions.h"

class TCustomAxisPanel;
class TCustomChart;
class TChartCanvas;

QM_DECLARE_EXCEPTION(LegendException, Exception);

namespace msg {
inline constexpr const char* LegendFirstValue = "First Legend Value must be > 0";
}  // namespace msg

enum TLegendStyle : Byte { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendAlignment : Byte { laLeft, laRight, laTop, laBottom };
enum TLegendSymbolSize : Byte { lcsPercent, lcsPixels };
enum TLegendSymbolPosition : Byte { spLeft, spRight };
const TEnumInfo& LegendStyleInfo();
const TEnumInfo& LegendAlignmentInfo();
const TEnumInfo& LegendSymbolSizeInfo();
const TEnumInfo& LegendSymbolPositionInfo();

using TLegendGetPosEvent =
    std::function<void(TCustomChart* Sender, Integer Index, Integer& X, Integer& Y, Integer& XColor)>;
using TLegendGetRectEvent = std::function<void(TCustomChart* Sender, TRect& Rect)>;
using TLegendGetTextEvent =
    std::function<void(TCustomChart* Sender, TLegendStyle LegendStyle, Integer Index, std::string& LegendText)>;

class TCustomChartLegend;

class TLegendSymbol : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TLegendSymbol(TCustomChartLegend* Legend) : legend_(Legend) {}

  void Assign(TPersistent* source) override;

  bool Continuous() const { return continuous_; }
  void SetContinuous(bool value);
  TLegendSymbolPosition Position() const { return position_; }
  void SetPosition(TLegendSymbolPosition value);
  Integer Width() const { return width_; }
  void SetWidth(Integer value);
  TLegendSymbolSize WidthUnits() const { return widthUnits_; }
  void SetWidthUnits(TLegendSymbolSize value);

  // Pixels: Width, or Width percent of Base rounded (halves to even).
  Integer CalcWidth(Integer Base) const;

 private:
  void Changed();

  TCustomChartLegend* legend_;
  bool continuous_ = false;
  TLegendSymbolPosition position_ = spLeft;
  Integer width_ = 20;
  TLegendSymbolSize widthUnits_ = lcsPercent;
};

// Silver to white, right to left.
class TChartLegendGradient : public TChartGradient {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartLegendGradient(TNotifyEvent OnChangeEvent = {});
};

class TCustomChartLegend : public TChartCustomShapePosition {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomChartLegend(TCustomChart* Chart);
  ~TCustomChartLegend() override;

  void Assign(TPersistent* source) override;

  // ---- layout and drawing ----
  // LegendStyle, with lsAuto resolved: lsValues without check boxes and with fewer than
  // two active series, else lsSeries.
  TLegendStyle InternalStyle();
  // The text of item Index by the effective style (before the chart's event).
  std::string ItemText(Integer Index);
  // Lays the legend out, draws it and takes its room from the plotting rectangle.
  void DrawLegend();
  // The item (counted from the first drawn) under (X, Y) in the last drawing, or -1.
  Integer Clicked(Integer X, Integer Y);
  bool IsVertical() const { return alignment_ == laLeft || alignment_ == laRight; }
  // The series at place Index among those the legend lists (inactive ones count with
  // check boxes); nullptr when there is none.
  TChartSeries* SeriesAt(Integer Index);
  // The series whose points a legend of values lists: the chart's first active series.
  TChartSeries* LegendSeries();

  // ---- results of the last drawing ----
  Integer SymbolWidth() const { return symbolWidth_; }
  TLegendStyle EffectiveStyle() const { return effectiveStyle_; }
  Integer LastValue() const { return lastValue_; }
  Integer ItemCount() const { return itemCount_; }
  Integer NumCols() const { return numCols_; }
  Integer NumRows() const { return numRows_; }
  Integer ColumnWidth(Integer Column) const { return columnWidths_[Column == 0 ? 0 : 1]; }
  // The item height of the last drawing.
  Integer ItemHeight() const { return itemHeight_; }

  // ---- published ----
  TLegendAlignment Alignment() const { return alignment_; }
  void SetAlignment(TLegendAlignment value) { ChangeValue(alignment_, value); }
  bool CheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool value) { ChangeValue(checkBoxes_, value); }
  TChartHiddenPen* DividingLines() const { return dividingLines_.get(); }
  void SetDividingLines(TChartHiddenPen* value) { dividingLines_->Assign(value); }
  Integer FirstValue() const { return firstValue_; }
  // Negative raises LegendException "First Legend Value must be > 0".
  void SetFirstValue(Integer value);
  bool FontSeriesColor() const { return fontSeriesColor_; }
  void SetFontSeriesColor(bool value) { ChangeValue(fontSeriesColor_, value); }
  Integer HorizMargin() const { return horizMargin_; }
  void SetHorizMargin(Integer value) { ChangeValue(horizMargin_, value); }
  bool Inverted() const { return inverted_; }
  void SetInverted(bool value) { ChangeValue(inverted_, value); }
  TLegendStyle LegendStyle() const { return legendStyle_; }
  void SetLegendStyle(TLegendStyle value);
  Integer MaxNumRows() const { return maxNumRows_; }
  void SetMaxNumRows(Integer value) { ChangeValue(maxNumRows_, value); }
  bool ResizeChart() const { return resizeChart_; }
  void SetResizeChart(bool value) { ChangeValue(resizeChart_, value); }
  TLegendSymbol* Symbol() const { return symbol_.get(); }
  void SetSymbol(TLegendSymbol* value) { symbol_->Assign(value); }
  TLegendTextStyle TextStyle() const { return textStyle_; }
  void SetTextStyle(TLegendTextStyle value) { ChangeValue(textStyle_, value); }
  Integer TopPos() const { return topPos_; }
  void SetTopPos(Integer value) { ChangeValue(topPos_, value); }
  Integer VertMargin() const { return vertMargin_; }
  void SetVertMargin(Integer value) { ChangeValue(vertMargin_, value); }
  Integer VertSpacing() const { return vertSpacing_; }
  void SetVertSpacing(Integer value) { ChangeValue(vertSpacing_, value); }
  Integer ColorWidth() const { return symbol_->Width(); }
  void SetColorWidth(Integer value) { symbol_->SetWidth(value); }
  // FirstValue follows the chart's page in a legend of values.
  bool CurrentPage() const { return currentPage_; }
  void SetCurrentPage(bool value) { ChangeValue(currentPage_, value); }

  TCustomChart* Chart() const { return chart_; }

 private:
  // The chart's item text: ItemText, then OnGetLegendText.
  std::string ChartItemText(Integer Index);
  void MeasureColumns(TChartCanvas* Canvas, Integer Space);
  void DrawItem(Integer Place, Integer Index, Integer TextX, Integer SymbolX, Integer CheckX);
  void DrawSymbol(Integer Index, const TRect& Rect);
  void TakeRoom();

  TCustomChart* chart_;
  TLegendAlignment alignment_ = laRight;
  bool checkBoxes_ = false;
  std::unique_ptr<TChartHiddenPen> dividingLines_;
  Integer firstValue_ = 0;
  bool fontSeriesColor_ = false;
  Integer horizMargin_ = 0;
  bool inverted_ = false;
  TLegendStyle legendStyle_ = lsAuto;
  Integer maxNumRows_ = 10;
  bool resizeChart_ = true;
  std::unique_ptr<TLegendSymbol> symbol_;
  TLegendTextStyle textStyle_ = ltsLeftValue;
  Integer topPos_ = 10;
  Integer vertMargin_ = 0;
  Integer vertSpacing_ = 0;
  bool currentPage_ = true;

  // The last drawing.
  Integer symbolWidth_ = 0;
  TLegendStyle effectiveStyle_ = lsAuto;
  Integer lastValue_ = -1;
  Integer itemCount_ = 0;
  Integer numCols_ = 0;
  Integer numRows_ = 0;
  std::array<Integer, 2> columnWidths_{0, 0};
  Integer itemHeight_ = 0;
  Integer textWidth_ = 0;
  Integer space_ = 0;
  std::vector<std::array<std::string, 2>> texts_;
};

class TChartLegend : public TCustomChartLegend {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartLegend(TCustomChart* Chart) : TCustomChartLegend(Chart) {}
};

// A 13 x 13 check box whose top-left corner is (X, Y).
void DrawCheckBox(Integer X, Integer Y, TChartCanvas* Canvas, bool Ticked, TColor BackColor);
