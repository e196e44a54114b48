#pragma once
// TChartSeries: the data-carrying series. Point i is entry i of every value list (X, Y
// and any list a subclass adds), with an optional colour and an optional label. The
// series keeps its points, answers for their colours, labels and screen positions, and
// tells the series that take their data from it when its points change.
//
// Colour values with a meaning: clDefault (0x20000000) is "not chosen" (in SeriesColor:
// the chart picks one when the series joins it; in a point's colour: use the series'
// colour), clNone (0x1FFFFFFF) marks a null point, which drawing series skip.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart_axis.h"
#include "chart/chart_element.h"
#include "chart/series_marks.h"
#include "chart/value_list.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/graphics_colors.h"

class TChartSeries;
class TCustomAxisPanel;

namespace msg {
inline constexpr const char* SeriesDeleteBounds = "Series Delete: ValueIndex %d out of bounds (0 to %d).";
inline constexpr const char* NoParentChartForDataSource = "No ParentChart to validate DataSource";
inline constexpr const char* NoValidDataSource = "No valid DataSource: %s";
inline constexpr const char* CircularSeries = "Circular Series dependences are not allowed";
}  // namespace msg

// Joins the columns of a legend text.
inline constexpr char ChartLegendColumnSeparator = '\x06';

// What a legend shows of a point.
enum TLegendTextStyle : Byte {
  ltsPlain,
  ltsLeftValue,
  ltsRightValue,
  ltsLeftPercent,
  ltsRightPercent,
  ltsXValue,
  ltsValue,
  ltsPercent,
  ltsXAndValue,
  ltsXAndPercent
};
const TEnumInfo& LegendTextStyleInfo();

// What changed in a series, told to the series that follow it.
enum TValueEvent { veClear = 0, veAdd = 1, veDelete = 2, veRefresh = 3, veModify = 4 };

// Which changes of a source the following series take over.
enum TSeriesRecalcOption : Byte { rOnDelete, rOnModify, rOnInsert, rOnClear };
using TSeriesRecalcOptions = TSet<TSeriesRecalcOption>;

using TSeriesOnAfterAdd = std::function<void(TChartSeries* Sender, Integer ValueIndex)>;
// False cancels the add.
using TSeriesOnBeforeAdd = std::function<bool(TChartSeries* Sender)>;
using TSeriesOnClear = std::function<void(TChartSeries* Sender)>;
using TSeriesClick = std::function<void(TChartSeries* Sender, Integer ValueIndex, TMouseButton Button,
                                        TShiftState Shift, Integer X, Integer Y)>;
using TSeriesOnGetMarkText = std::function<void(TChartSeries* Sender, Integer ValueIndex, std::string& MarkText)>;
// Adds one entry to a gallery of sub-styles.
using TChartSubGalleryProc = std::function<void(const std::string& Name)>;

// A calculation object: computes a series' points from its data sources. Owned by the
// series it computes; what it computes is up to the descendant.
class TChartCalcObject : public TCustomChartElement {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartCalcObject(TComponent* AOwner) : TCustomChartElement(AOwner) {}

  // Fills ParentSeries from Source (the series was cleared first).
  virtual void AddPoints(TChartSeries* Source) = 0;

  TChartSeries* ParentSeries() const { return parentSeries_; }
  // Leaves the current series and hands itself to Value (nothing when it is the same).
  void SetParentSeries(TChartSeries* Value);

 private:
  friend class TChartSeries;
  TChartSeries* parentSeries_ = nullptr;
};

class TChartSeries : public TCustomChartSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartSeries(TComponent* AOwner);
  ~TChartSeries() override;

  // From a series: value-list settings (crosswise between vertical and horizontal
  // series), the points, colours and labels (or the data sources), marks, colours,
  // formats, axes, recalc options, cursor and depth. Events are not copied.
  void Assign(TPersistent* source) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Leaves the old chart's series list and joins the new one's (see SeriesJoined).
  void SetParentChart(TCustomAxisPanel* value) override;
  // A real change repaints and tells the chart's listeners (seChangeActive).
  void SetActive(bool value) override;

  // ---- points ----
  Integer Count() const { return xValues_->Count(); }
  // Adds a point where the X list's order puts it (after equal X values); returns its
  // index, or -1 when OnBeforeAdd refused it.
  virtual Integer AddXY(Double X, Double Y, const std::string& Label = std::string(), TColor Colour = clDefault);
  // At the next X (or Y, for a horizontal series) index.
  virtual Integer AddY(Double Value, const std::string& Label = std::string(), TColor Colour = clDefault);
  virtual Integer AddNull(const std::string& Label = std::string());
  virtual Integer AddNullXY(Double X, Double Y, const std::string& Label = std::string());
  // Raises ChartException "Series Delete: ValueIndex %d out of bounds (0 to %d)." for an
  // index outside 0..Count-1.
  virtual void Delete(Integer ValueIndex);
  virtual void Clear();
  // Every value list emptied, colours and labels dropped, mark positions forgotten.
  virtual void ClearLists();
  // Exchanges points i and j in every list (labels padded first).
  void SwapPoints(Integer i, Integer j);

  // ---- colours and labels ----
  virtual TColor GetValueColor(Integer ValueIndex);
  // clDefault on a series without colours does nothing; an index outside the points
  // raises EListError.
  void SetValueColor(Integer ValueIndex, TColor Colour);
  bool IsNull(Integer ValueIndex) { return GetValueColor(ValueIndex) == clNone; }
  virtual std::string GetValueLabel(Integer ValueIndex);
  void SetValueLabel(Integer ValueIndex, const std::string& Label);
  // The per-point colours (nullptr while no point has one) and labels.
  const std::vector<TColor>* ValueColors() const { return colors_ ? &*colors_ : nullptr; }
  const std::vector<std::string>& Labels() const { return labels_; }

  // ---- values ----
  // No range checks: callers keep 0 <= i < Count.
  virtual Double GetXValue(Integer ValueIndex) { return xValues_->GetValue(ValueIndex); }
  virtual Double GetYValue(Integer ValueIndex) { return yValues_->GetValue(ValueIndex); }
  virtual Double MaxXValue();
  virtual Double MaxYValue();
  virtual Double MaxZValue();
  virtual Double MinXValue();
  virtual Double MinYValue();
  virtual Double MinZValue();
  virtual Double MarkValue(Integer ValueIndex) { return GetMarkValue(ValueIndex); }
  virtual Double GetMarkValue(Integer ValueIndex);
  // The first extra list (index >= 2) of that name, ignoring case; else YValues.
  TChartValueList* GetValueListByName(const std::string& Name);
  virtual Integer GetValueCount() { return Count(); }

  // ---- screen positions ----
  virtual Integer CalcXPos(Integer ValueIndex);
  virtual Integer CalcYPos(Integer ValueIndex);
  Integer CalcXPosValue(Double Value);
  Integer CalcYPosValue(Double Value);
  Double XScreenToValue(Integer X);
  Double YScreenToValue(Integer Y);
  // The chart's mouse position as values, and the point under it.
  void GetCursorValues(Double& X, Double& Y);
  Integer GetCursorValueIndex();
  // The point under screen position (X, Y), or -1.
  virtual Integer Clicked(Integer X, Integer Y);

  // ---- axes ----
  virtual bool UseAxis() { return true; }
  virtual bool AssociatedToAxis(TChartAxis* Axis);
  // Resolves HorizAxisObject and VertAxisObject from HorizAxis, VertAxis and the
  // custom axes.
  void RecalcGetAxis();
  TChartAxis* GetHorizAxis() const { return horizAxisObject_; }
  TChartAxis* GetVertAxis() const { return vertAxisObject_; }
  THorizAxis HorizAxis() const { return horizAxis_; }
  void SetHorizAxis(THorizAxis value);
  TVertAxis VertAxis() const { return vertAxis_; }
  void SetVertAxis(TVertAxis value);
  TChartAxis* CustomHorizAxis() const { return customHorizAxis_; }
  // An axis selects aCustomHorizAxis, nullptr goes back to aBottomAxis.
  void SetCustomHorizAxis(TChartAxis* value);
  TChartAxis* CustomVertAxis() const { return customVertAxis_; }
  // An axis selects aCustomVertAxis, nullptr goes back to aLeftAxis.
  void SetCustomVertAxis(TChartAxis* value);

  // ---- visible range and drawing ----
  // FirstValueIndex/LastValueIndex from the secondary list and the axis range.
  void CalcFirstLastVisibleIndex();
  Integer FirstValueIndex() const { return firstValueIndex_; }
  Integer LastValueIndex() const { return lastValueIndex_; }
  virtual void DrawAllValues();
  virtual void DrawValue(Integer ValueIndex);
  virtual bool DrawValuesForward() { return true; }
  virtual bool DrawSeriesForward() { return true; }
  // Measures, places and draws the mark of every visible point that has text.
  void DrawMarks();
  virtual void DrawMark(Integer ValueIndex, const std::string& Text, TSeriesMarkPosition& Position);
  std::string GetMarkText(Integer ValueIndex);
  virtual void DoBeforeDrawValues();
  virtual void DoAfterDrawValues();
  virtual void CalcZOrder();
  Integer CalcZOrderValue() const { return calcZOrderValue_; }
  Integer ZOrder() const { return zOrder_; }
  void SetZOrder(Integer value) { zOrder_ = value; }
  virtual bool MoreSameZOrder();

  // ---- legend ----
  virtual Integer LegendToValueIndex(Integer LegendIndex) { return LegendIndex; }
  virtual TColor LegendItemColor(Integer LegendIndex) { return GetValueColor(LegendIndex); }
  // The legend text of point ValueIndex; its columns are joined by
  // ChartLegendColumnSeparator.
  virtual std::string LegendString(Integer ValueIndex, TLegendTextStyle Style);
  virtual void PrepareLegendCanvas(Integer ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle);
  virtual void DrawLegendShape(Integer ValueIndex, const TRect& Rect);
  // The legend symbol of point ValueIndex, or of the series for -1, into Rect: the
  // series' pen and brush in the item's colour, then DrawLegendShape.
  virtual void DrawLegend(Integer ValueIndex, const TRect& Rect);

  // ---- gallery ----
  virtual void CreateSubGallery(const TChartSubGalleryProc& AddSubChart);
  virtual void SetStylePreview(Integer Index) { (void)Index; }
  // The series as a gallery shows it: 4 sample points, hidden marks (size 7, arrow
  // length 4, every second one), no per-point colours, silver when the entry is disabled.
  virtual void PrepareForGallery(bool Enabled);

  // ---- updates and linked series ----
  void BeginUpdate() { ++updateCount_; }
  // The last one refreshes the series (and those that follow it).
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }
  // The linked series refill, then the chart's listeners hear seDataChanged.
  void RefreshSeries();
  // Tells the linked series of a change (nothing while updating).
  virtual void NotifyValue(TValueEvent Event, Integer ValueIndex);
  virtual void NotifyNewValue(TChartSeries* Sender, Integer ValueIndex);
  // Adds point ValueIndex of Source; returns the new index.
  virtual Integer CopyValuesFrom(TChartSeries* Source, Integer ValueIndex);
  virtual void AddFromSource(TChartSeries* Source, Integer ValueIndex);
  // Refills the series from Source (through the calculation object when there is one).
  virtual void AddValues(TChartSeries* Source);
  virtual void DeleteValue(TChartSeries* Source, Integer ValueIndex) {
    (void)Source;
    Delete(ValueIndex);
  }
  // Whether Value may feed this series.
  virtual bool IsValidSourceOf(TComponent* Value);
  // Refills from the first data source when it is a series (not while loading).
  void CheckDataSource();
  TComponent* DataSource() const { return dataSources_.empty() ? nullptr : dataSources_.front(); }
  // nullptr: drops every source and clears. A series needs a chart to validate the
  // source; a loop of sources raises ChartException.
  void SetDataSource(TComponent* value);
  const std::vector<TComponent*>& DataSources() const { return dataSources_; }
  const std::vector<TChartSeries*>& LinkedSeries() const { return linkedSeries_; }
  TSeriesRecalcOptions RecalcOptions() const { return recalcOptions_; }
  void SetRecalcOptions(TSeriesRecalcOptions value) { recalcOptions_ = value; }
  TChartCalcObject* CalcObject() const { return calcObject_; }
  // Frees the old object, takes Obj (owned) and refills.
  virtual void SetCalcObject(TChartCalcObject* Obj);

  // ---- lists ----
  TChartValueLists* ValueLists() const { return valueLists_.get(); }
  TChartValueList* XValues() const { return xValues_; }
  void SetXValues(TChartValueList* value);
  TChartValueList* YValues() const { return yValues_; }
  void SetYValues(TChartValueList* value);
  TChartValueList* MandatoryList() const { return mandatoryList_; }
  TChartValueList* SecondaryList() const { return secondaryList_; }
  bool YIsMandatory() const { return yIsMandatory_; }
  // False makes the series horizontal: X holds the values, Y orders the points.
  void SetYIsMandatory(bool value);

  // ---- published ----
  TColor SeriesColor() const { return seriesColor_; }
  // A real change repaints and tells the chart's listeners (seChangeColor).
  virtual void SetSeriesColor(TColor value);
  bool ColorEachPoint() const { return colorEachPoint_; }
  virtual void SetColorEachPoint(bool value);
  const std::string& ColorSource() const { return colorSource_; }
  void SetColorSource(const std::string& value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  Integer Depth() const { return depth_; }
  void SetDepth(Integer value) { ChangeInteger(depth_, value); }
  const std::string& XLabelsSource() const { return xLabelsSource_; }
  void SetXLabelsSource(const std::string& value);
  TSeriesMarks* Marks() const { return marks_.get(); }
  void SetMarks(TSeriesMarks* value) { marks_->Assign(value); }
  const std::string& PercentFormat() const { return percentFormat_; }
  void SetPercentFormat(const std::string& value) { ChangeString(percentFormat_, value); }
  const std::string& ValueFormat() const { return valueFormat_; }
  void SetValueFormat(const std::string& value) { ChangeString(valueFormat_, value); }

  // The series' slice of the chart's depth (all 0 in 2D), set by CalcZOrder.
  Integer StartZ = 0;
  Integer MiddleZ = 0;
  Integer EndZ = 0;
  // Whether FirstValueIndex/LastValueIndex follow the axis range (else all points).
  bool CalcVisiblePoints = true;
  // LastValueIndex keeps the first point past the visible range.
  bool DrawBetweenPoints = false;

  // ---- events ----
  TNotifyEvent AfterDrawValues;
  TNotifyEvent BeforeDrawValues;
  TSeriesOnAfterAdd OnAfterAdd;
  TSeriesOnBeforeAdd OnBeforeAdd;
  TSeriesOnClear OnClearValues;
  TSeriesClick OnClick;
  TSeriesClick OnDblClick;
  TSeriesOnGetMarkText OnGetMarkText;

 protected:
  friend class TChartCalcObject;
  friend class TCustomAxisPanel;
  // The chart's hooks around list membership: joined (a colour, the axes, then the data
  // source, or sample values at design time) and leaving (the chart's own cursor back;
  // the sources are not followed while the series is out of a chart).
  virtual void SeriesJoined();
  virtual void SeriesLeaving();
  bool IsPercentFormatStored() const;
  bool IsValueFormatStored() const;
  void DefineProperties(TFiler* filer) override;
  // Whether the chart is being freed (no repaint then).
  bool ChartDestroying() const;
  // Chart rectangle edge values of the secondary list: Low at the start edge.
  void VisibleRange(Double& Low, Double& High);

  Integer firstValueIndex_ = -1;
  Integer lastValueIndex_ = -1;

 private:
  void AddLink(TComponent* Source);
  // Custom axes named by index in a form, once the chart is known.
  void ResolveCustomAxes();
  void RemoveAllSources();
  // Points Slot (one of the custom axes) at value, keeping the axes' lists of users.
  void LinkCustomAxis(TChartAxis*& Slot, TChartAxis* value);
  void CheckCircular(TChartSeries* Start);
  std::string FormatValue(Double Value);
  std::string PercentText(Integer ValueIndex);
  std::string XText(Integer ValueIndex);

  TColor seriesColor_ = clDefault;
  bool colorEachPoint_ = false;
  std::optional<std::vector<TColor>> colors_;
  std::string colorSource_;
  TCursor cursor_ = crDefault;
  std::vector<TComponent*> dataSources_;
  std::vector<std::string> pendingSourceNames_;  // read from a form, resolved by Loaded
  Integer depth_ = -1;
  TChartAxis* horizAxisObject_ = nullptr;
  TChartAxis* vertAxisObject_ = nullptr;
  std::string xLabelsSource_;
  std::vector<TChartSeries*> linkedSeries_;
  // False from leaving a chart to joining one: the sources' changes are not followed.
  bool followsSources_ = true;
  std::unique_ptr<TSeriesMarks> marks_;
  std::string percentFormat_ = "##0.## %";
  std::string valueFormat_ = "#,##0.###";
  std::unique_ptr<TChartValueLists> valueLists_;  // owns the value lists
  TChartValueList* xValues_ = nullptr;
  TChartValueList* yValues_ = nullptr;
  std::vector<std::string> labels_;  // may be shorter than Count
  THorizAxis horizAxis_ = aBottomAxis;
  TChartAxis* customHorizAxis_ = nullptr;
  TChartAxis* customVertAxis_ = nullptr;
  Integer pendingCustomAxis_[2] = {-1, -1};  // horizontal, vertical; read from a form
  Integer zOrder_ = -1;
  TVertAxis vertAxis_ = aLeftAxis;
  TSeriesRecalcOptions recalcOptions_{rOnDelete, rOnModify, rOnInsert, rOnClear};
  TChartCalcObject* calcObject_ = nullptr;  // owned
  Integer updateCount_ = 0;
  Integer calcZOrderValue_ = 0;
  TChartValueList* mandatoryList_ = nullptr;
  TChartValueList* secondaryList_ = nullptr;
  bool yIsMandatory_ = true;
};

// Raises ChartException "Circular Series dependences are not allowed" when Source, or any
// source of any series reached from it, is Dest.
void CheckSeriesLoop(TChartSeries* Dest, TChartSeries* Source);
