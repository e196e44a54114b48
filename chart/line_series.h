#pragma once
// Line and point series: the points of a series drawn as connected segments (straight
// or as stairs) with a pointer on each point, and hit-tested by pointer and segment.
// TLineSeries is a line with hidden pointers, TPointSeries free-standing pointers.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "chart/chart_series.h"
#include "chart/series_pointer.h"

enum TCustomSeriesStack : Byte { cssNone, cssOverlap, cssStack, cssStack100 };
const TEnumInfo& CustomSeriesStackInfo();

class TCustomSeries;

// The labels of sample points, by point index (eight, repeating).
std::string SampleLabel(Integer Index);

using TSeriesClickPointerEvent = std::function<void(TCustomSeries* Sender, Integer ValueIndex, Integer X, Integer Y)>;
using TOnGetPointerStyle = std::function<TSeriesPointerStyle(TChartSeries* Sender, Integer ValueIndex)>;

class TCustomLineSeries : public TChartSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomLineSeries(TComponent* AOwner) : TChartSeries(AOwner) {}
};

class TCustomSeries : public TCustomLineSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomSeries(TComponent* AOwner);
  ~TCustomSeries() override;

  void Assign(TPersistent* source) override;
  std::string GetEditorClassName() const override { return "TCustomSeriesEditor"; }
  void SetParentChart(TCustomAxisPanel* value) override;

  // Pointer margins; stairs with a line widen both sides by the pen; LineHeight and the
  // marks' arrow widen the bottom and top.
  void HorizPixelMargins(Integer& Left, Integer& Right) override;
  void VertPixelMargins(Integer& Top, Integer& Bottom) override;
  void DrawLegendShape(Integer ValueIndex, const TRect& Rect) override;
  // One point: the segment that ends at it, then the pointers (so lines pass under
  // them). Call for FirstValueIndex..LastValueIndex in order.
  void DrawValue(Integer ValueIndex) override;
  Double MaxYValue() override;
  Double MinYValue() override;
  Integer CalcYPos(Integer ValueIndex) override;
  // The point whose pointer holds (X, Y), the point at (X, Y), or the start of the
  // segment through (X, Y) with ClickableLine; the first match wins; -1 when none.
  Integer Clicked(Integer X, Integer Y) override;

  virtual bool ClickedPointer(Integer ValueIndex, Integer PX, Integer PY, Integer X, Integer Y);
  virtual void DrawPointer(Integer X, Integer Y, Integer ValueIndex, TColor Colour);
  // Screen Y of the base line under point ValueIndex.
  virtual Integer GetOriginPos(Integer ValueIndex);

  // ---- settings ----
  TChartBrush* AreaBrush() const { return areaBrush_.get(); }
  void SetAreaBrush(TChartBrush* value) { areaBrush_->Assign(value); }
  TColor AreaColor() const { return areaColor_; }
  void SetAreaColor(TColor value) { ChangeColor(areaColor_, value); }
  TChartPen* AreaLinesPen() const { return areaLinesPen_.get(); }
  void SetAreaLinesPen(TChartPen* value) { areaLinesPen_->Assign(value); }
  bool ClickableLine() const { return clickableLine_; }
  void SetClickableLine(bool value) { clickableLine_ = value; }
  bool Dark3D() const { return dark3D_; }
  void SetDark3D(bool value) { ChangeBoolean(dark3D_, value); }
  bool DrawArea() const { return drawArea_; }
  void SetDrawArea(bool value) { ChangeBoolean(drawArea_, value); }
  bool DrawLine() const { return drawLine_; }
  void SetDrawLine(bool value) { ChangeBoolean(drawLine_, value); }
  bool InvertedStairs() const { return invertedStairs_; }
  void SetInvertedStairs(bool value) { ChangeBoolean(invertedStairs_, value); }
  Integer LineHeight() const { return lineHeight_; }
  void SetLineHeight(Integer value) { ChangeInteger(lineHeight_, value); }
  TSeriesPointer* Pointer() const { return pointer_.get(); }
  void SetPointer(TSeriesPointer* value) { pointer_->Assign(value); }
  TCustomSeriesStack Stacked() const { return stacked_; }
  // Also given to every series of the same chart that this series' class derives from.
  void SetStacked(TCustomSeriesStack value);
  bool Stairs() const { return stairs_; }
  void SetStairs(bool value) { ChangeBoolean(stairs_, value); }
  // The line pen is the element's pen, the line brush style its brush's style.
  TChartPen* LinePen() const { return Pen(); }
  void SetLinePen(TChartPen* value) { SetPen(value); }
  TBrushStyle LineBrush() const;
  void SetLineBrush(TBrushStyle value);
  // Segments take the colour of the point they end at; false: SeriesColor.
  bool ColorLines = true;

  TSeriesClickPointerEvent OnClickPointer;
  TOnGetPointerStyle OnGetPointerStyle;

 protected:
  // The chart rectangle's edge a segment from an earlier point starts at.
  Integer LeftEdgeX();
  // Y of the line between points i - 1 and i at screen X.
  Integer EdgeY(Integer ValueIndex, Integer EdgeX, Integer X, Integer Y);
  void DrawSegment(Integer X0, Integer Y0, Integer X, Integer Y, TColor Colour, Integer ValueIndex);
  bool SegmentHit(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer X, Integer Y, Integer ValueIndex);
  // In 3D: screen position (X, Y) inside a leg's ribbon or the area's front face.
  bool RibbonHit(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer X, Integer Y, Integer ValueIndex);
  // The four screen corners of the ribbon along the leg A-B, from StartZ to EndZ.
  std::array<TPoint, 4> Ribbon(const TPoint& A, const TPoint& B);
  // DarkSlope from the screen direction of the depth, once per drawing pass.
  void CalcDarkSlope();
  // Whether the ribbon along A-B (screen points at StartZ) shows its underside.
  bool ShowsUnderside(const TPoint& A, const TPoint& B) const;
  // Sum of the values at ValueIndex of the active series of this kind before this one on
  // the same axes (cssStack), and the column total of all of them (cssStack100).
  Double StackedBelow(Integer ValueIndex, bool IncludeSelf);
  Double ColumnTotal(Integer ValueIndex);

  // Drawing state of one pass.
  Integer PrevX = 0;
  Integer PrevY = 0;
  TColor PrevColor = clNone;
  Integer OriginPos = 0;
  Integer PrevOriginPos = 0;
  // Screen slope (rise over run) of the depth direction; a leg steeper than it shows
  // the ribbon's underside (reversed while the depth runs to the left).
  Double DarkSlope = 0;
  bool depthLeft_ = false;

 private:
  // The shape of point ValueIndex's pointer: OnGetPointerStyle's answer, else the pointer's.
  TSeriesPointerStyle PointerStyleAt(Integer ValueIndex);

  std::unique_ptr<TChartBrush> areaBrush_;
  TColor areaColor_ = clDefault;
  std::unique_ptr<TChartPen> areaLinesPen_;
  bool clickableLine_ = true;
  bool dark3D_ = true;
  bool drawArea_ = false;
  bool drawLine_ = false;
  bool invertedStairs_ = false;
  Integer lineHeight_ = 0;
  std::unique_ptr<TSeriesPointer> pointer_;
  TCustomSeriesStack stacked_ = cssNone;
  bool stairs_ = false;
};

class TLineSeries : public TCustomSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // A line with hidden pointers.
  explicit TLineSeries(TComponent* AOwner);

  void Assign(TPersistent* source) override;
  void CreateSubGallery(const TChartSubGalleryProc& AddSubChart) override;
  void PrepareLegendCanvas(Integer ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) override;
  void SetStylePreview(Integer Index) override;
  void DrawLegendShape(Integer ValueIndex, const TRect& Rect) override;
};

class TPointSeries : public TCustomSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Visible pointers, no line, no area, no line hits, marks without arrow length.
  explicit TPointSeries(TComponent* AOwner);

  void Assign(TPersistent* source) override;
  std::string GetEditorClassName() const override { return "TSeriesPointerEditor"; }
  void CreateSubGallery(const TChartSubGalleryProc& AddSubChart) override;
  // True also lets each pointer take its point's colour.
  void SetColorEachPoint(bool value) override;
  void SetStylePreview(Integer Index) override;
  // Sample points with pointers of size 6; triangles for the chart's second series.
  void PrepareForGallery(bool Enabled) override;
  virtual bool HasPointerStyles() { return true; }
};
