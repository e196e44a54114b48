#pragma once
// Framed shapes of titles, legends, walls, axis titles and marks: a brush, a frame pen,
// a font, a gradient, a shadow, a bevel and a transparency, drawn as a rectangle, a round
// rectangle or a rotated polygon.
#include <memory>

#include "chart/chart_gradient.h"
#include "chart/chart_tools.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/persistent.h"

class TCustomChartPanel;

enum TChartObjectShapeStyle { fosRectangle, fosRoundRectangle };
const TEnumInfo& ChartObjectShapeStyleInfo();
// Percent, 0..100.
using TChartTransparency = Integer;

class TChartCustomShapeBrushPen : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Brush may give a descendant's brush class; a plain TChartBrush otherwise. The pen and
  // the brush repaint the parent chart when they change.
  explicit TChartCustomShapeBrushPen(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush = nullptr);
  ~TChartCustomShapeBrushPen() override;

  // Brush, Frame and Visible.
  void Assign(TPersistent* source) override;

  TChartBrush* Brush() const { return brush_.get(); }
  void SetBrush(TChartBrush* value) { brush_->Assign(value); }
  TChartPen* Frame() const { return frame_.get(); }
  void SetFrame(TChartPen* value) { frame_->Assign(value); }
  // The frame under its other name (pointers call it Pen).
  TChartPen* Pen() const { return frame_.get(); }
  void SetPen(TChartPen* value) { frame_->Assign(value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  TCustomChartPanel* ParentChart() const { return parentChart_; }
  virtual void SetParentChart(TCustomChartPanel* value) { parentChart_ = value; }

  // Invalidates the parent chart (when there is one).
  virtual void Repaint();

 protected:
  void CanvasChanged(TObject* Sender) { (void)Sender; Repaint(); }
  // Stores a new value and repaints; an unchanged value does nothing.
  template <class T>
  void ChangeValue(T& field, T value) {
    if (field == value) return;
    field = value;
    Repaint();
  }

 private:
  TCustomChartPanel* parentChart_;
  std::unique_ptr<TChartBrush> brush_;
  std::unique_ptr<TChartPen> frame_;
  bool visible_ = true;
};

class TChartCustomShape : public TChartCustomShapeBrushPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartCustomShape(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush = nullptr);
  ~TChartCustomShape() override;

  void Assign(TPersistent* source) override;

  TBevelCut Bevel() const { return bevel_; }
  void SetBevel(TBevelCut value) { ChangeValue(bevel_, value); }
  Integer BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(Integer value) { ChangeValue(bevelWidth_, value); }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { ChangeValue(color_, value); }
  TChartFont* Font() const { return font_.get(); }
  void SetFont(TChartFont* value) { font_->Assign(value); }
  TChartGradient* Gradient() const { return gradient_.get(); }
  void SetGradient(TChartGradient* value) { gradient_->Assign(value); }
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor value) { ChangeValue(shadowColor_, value); }
  Integer ShadowSize() const { return shadowSize_; }
  void SetShadowSize(Integer value) { ChangeValue(shadowSize_, value); }
  TChartObjectShapeStyle ShapeStyle() const { return shapeStyle_; }
  void SetShapeStyle(TChartObjectShapeStyle value) { ChangeValue(shapeStyle_, value); }
  TChartTransparency Transparency() const { return transparency_; }
  void SetTransparency(TChartTransparency value) { ChangeValue(transparency_, value); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { ChangeValue(transparent_, value); }

  // Where the shape was last placed.
  TRect ShapeBounds;

  // Draws the shape over R on the parent chart's canvas, rotated by Angle degrees.
  void DrawRectRotated(const TRect& R, Integer Angle = 0);
  // The same on a given canvas (a chart may draw its parts on another canvas).
  void DrawRectRotated(TCanvas3D* Canvas, const TRect& R, Integer Angle = 0);

 protected:
  // Replaces the gradient by a descendant's kind (marks use their own defaults).
  void ReplaceGradient(std::unique_ptr<TChartGradient> gradient);
  // The pixels a transparent drawing over R blends: the shape, its shadow and frame, and
  // ShapeBounds when set.
  TRect BlendArea(const TRect& R) const;
  // DrawRectRotated without a blend of its own, for owners that blend more than the shape.
  void DrawRectRotatedUnblended(TCanvas3D* Canvas, const TRect& R, Integer Angle);

 private:
  void DrawParts(TCanvas3D* Canvas, const TRect& R, Integer Angle);

  TBevelCut bevel_ = bvNone;
  Integer bevelWidth_ = 2;
  TColor color_ = clWhite;
  std::unique_ptr<TChartFont> font_;
  std::unique_ptr<TChartGradient> gradient_;
  TColor shadowColor_ = clBlack;
  Integer shadowSize_ = 3;
  TChartObjectShapeStyle shapeStyle_ = fosRectangle;
  TChartTransparency transparency_ = 0;
  bool transparent_ = false;
};
