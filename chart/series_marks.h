#pragma once
// Series marks: the framed texts a series can draw next to its points, with an arrow
// from the point to the box. The positions of the drawn marks are cached per point
// index, so a mark the user placed keeps its place across repaints.
#include <memory>
#include <string>

#include "chart/chart_gradient.h"
#include "chart/chart_shape.h"
#include "chart/chart_tools.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/properties.h"

class TChartSeries;

enum TSeriesMarksStyle : Byte {
  smsValue,
  smsPercent,
  smsLabel,
  smsLabelPercent,
  smsLabelValue,
  smsLegend,
  smsPercentTotal,
  smsLabelPercentTotal,
  smsXValue,
  smsXY
};
const TEnumInfo& SeriesMarksStyleInfo();

// Where one mark was drawn.
struct TSeriesMarkPosition {
  TPoint ArrowStart{0, 0};
  bool KeepArrowStart = false;
  TPoint ArrowEnd{0, 0};
  bool UserPlaced = false;
  Integer BoxHeight = 0;
  TPoint BoxTopLeft{0, 0};
  Integer BoxWidth = 0;

  // BoxWidth x BoxHeight at BoxTopLeft.
  TRect Bounds() const {
    return TRect{BoxTopLeft.x, BoxTopLeft.y, BoxTopLeft.x + BoxWidth, BoxTopLeft.y + BoxHeight};
  }
};

// One entry per point index; entries may be missing. Owns its entries.
class TSeriesMarksPositions : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  ~TSeriesMarksPositions() override;

  // Frees every entry.
  void Clear() override;
  // Frees the entry at Index (when there is one) and removes its slot.
  void DeleteEntry(Integer Index);
  // nullptr at or beyond the count, or for a missing entry.
  TSeriesMarkPosition* Position(Integer Index) const;
  // Grows with missing entries up to Index, then replaces (and frees) the entry there.
  void SetPosition(Integer Index, std::unique_ptr<TSeriesMarkPosition> Value);
};

// Marks' gradient: right to left, silver to white.
class TSeriesMarksGradient : public TChartGradient {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TSeriesMarksGradient(TNotifyEvent OnChangeEvent = {});
};

class TSeriesMarks : public TChartCustomShape {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Hidden; tool-tip background, shadow 1 pixel in grey; no chart until the series
  // joins one.
  explicit TSeriesMarks(TChartSeries* Series);
  ~TSeriesMarks() override;

  // From marks: Angle, Arrow, ArrowLength, Clip, DrawEvery, Style, MultiLine; then the
  // shape's settings.
  void Assign(TPersistent* source) override;

  // The first index i (ascending, i mod DrawEvery = 0) whose box, where DrawMark puts
  // it on the screen, holds (X, Y); -1 when none.
  Integer HitTest(Integer X, Integer Y);
  // Keeps Position in the cache at Index; a user-placed entry wins over Position (its
  // ArrowStart stays when Position asks to keep it).
  void RememberPosition(Integer Index, TSeriesMarkPosition& Position);
  // Moves the box and the arrow end up by ArrowLength.
  void LiftByArrow(TSeriesMarkPosition& Position);
  // Draws the mark of point Index: arrow, frame and text lines.
  void DrawMark(Integer Index, TColor Color, TSeriesMarkPosition& Position, const std::string& Text);

  // Through the series: its chart repaints.
  void Repaint() override;

  Integer Angle() const { return angle_; }
  void SetAngle(Integer value);
  TChartArrowPen* Arrow() const { return arrow_.get(); }
  void SetArrow(TChartArrowPen* value) { arrow_->Assign(value); }
  Integer ArrowLength() const { return arrowLength_; }
  void SetArrowLength(Integer value);
  TColor BackColor() const { return Color(); }
  void SetBackColor(TColor value) { SetColor(value); }
  bool Clip() const { return clip_; }
  void SetClip(bool value);
  Integer DrawEvery() const { return drawEvery_; }
  // Values below 1 are taken as 1 (every mark).
  void SetDrawEvery(Integer value);
  TSeriesMarksStyle Style() const { return style_; }
  void SetStyle(TSeriesMarksStyle value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);

  TChartSeries* Series() const { return series_; }
  TSeriesMarksPositions* Positions() const { return positions_.get(); }
  Integer Depth = 0;

 private:
  void ArrowChanged(TObject* Sender);
  // How far a 3D view moves the box of Position on the screen: by the projection of its
  // arrow end at Depth (0 in 2D and on canvases that draw the box at its depth).
  TPoint ScreenShift(const TSeriesMarkPosition& Position);

  TChartSeries* series_;
  Integer angle_ = 0;
  std::unique_ptr<TChartArrowPen> arrow_;
  Integer arrowLength_ = 8;
  bool clip_ = false;
  Integer drawEvery_ = 1;
  TSeriesMarksStyle style_ = smsLabel;
  bool multiLine_ = false;
  std::unique_ptr<TSeriesMarksPositions> positions_;
};
