#pragma once
// TSeriesPointer: the marker a series draws on each point, in one of ten shapes, centred
// on the point with a half width and half height.
#include <string>

#include "chart/chart_shape.h"
#include "platform/classlib/properties.h"

class TChartSeries;
class TCanvas3D;

namespace msg {
inline constexpr const char* PointerSizeZero = "Pointer size must be greater than zero";
}  // namespace msg

enum TSeriesPointerStyle : Byte {
  psRectangle,
  psCircle,
  psTriangle,
  psDownTriangle,
  psCross,
  psDiagCross,
  psStar,
  psDiamond,
  psSmallDot,
  psNothing
};
const TEnumInfo& SeriesPointerStyleInfo();

class TSeriesPointer : public TChartCustomShapeBrushPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Visible rectangles of 4 x 4 half size, drawn as solids in 3D.
  explicit TSeriesPointer(TChartSeries* Series);

  // Dark3D, Draw3D, HorizSize, InflateMargins, Style, VertSize, then pen, brush and
  // visibility.
  void Assign(TPersistent* source) override;

  // Draws Style centred on (X, Y) on the series' chart canvas (nothing without one).
  void Draw(Integer X, Integer Y, TColor Colour, TSeriesPointerStyle Style);
  // The same on a given canvas; Is3D draws at the series' depth.
  void DrawOn(TCanvas3D* Canvas, bool Is3D, Integer X, Integer Y, TColor Colour, TSeriesPointerStyle Style);
  // In 3D, whether Style stands as a solid from the series' front to its back (a cube or
  // pyramid); other shapes, spheres too, lie in the series' middle plane.
  bool IsSolid(TSeriesPointerStyle Style) const {
    return draw3D_ && (Style == psRectangle || Style == psTriangle || Style == psDownTriangle);
  }
  // Pen (in Colour where its colour is clDefault) and brush (clDefault: Colour when
  // solid, black when hatched).
  void PrepareCanvas(TCanvas3D* Canvas, TColor Colour);
  // The legend symbol: flat, centred in Rect, at most a third (Small) or half of it.
  void DrawInRect(TColor Colour, const TRect& Rect, bool Small);
  // Widen A and B to size + 1 when visible and InflateMargins.
  void CalcHorizMargins(Integer& A, Integer& B) const;
  void CalcVertMargins(Integer& A, Integer& B) const;

  // Through the series: its chart repaints.
  void Repaint() override;

  bool Dark3D() const { return dark3D_; }
  void SetDark3D(bool value);
  bool Draw3D() const { return draw3D_; }
  void SetDraw3D(bool value);
  Integer HorizSize() const { return horizSize_; }
  // Below 1 raises ChartException "Pointer size must be greater than zero".
  void SetHorizSize(Integer value);
  bool InflateMargins() const { return inflateMargins_; }
  void SetInflateMargins(bool value);
  TSeriesPointerStyle Style() const { return style_; }
  void SetStyle(TSeriesPointerStyle value);
  Integer VertSize() const { return vertSize_; }
  void SetVertSize(Integer value);

  TChartSeries* Series() const { return series_; }

 private:
  TChartSeries* series_;
  bool dark3D_ = true;
  bool draw3D_ = true;
  Integer horizSize_ = 4;
  bool inflateMargins_ = true;
  TSeriesPointerStyle style_ = psRectangle;
  Integer vertSize_ = 4;
};
