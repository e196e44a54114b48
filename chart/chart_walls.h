#pragma once
// The walls around a chart's plotting area: the back wall (in 2D the frame of the
// plotting rectangle), and in 3D the left wall, the floor and the right wall.
#include <memory>

#include "chart/chart_shape.h"

class TCustomChartWall : public TChartCustomShape {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Colour clDefault (the chart's), Dark3D, Size 0.
  explicit TCustomChartWall(TCustomChartPanel* ParentChart);

  // Dark3D, Size, Color, then the shape.
  void Assign(TPersistent* source) override;

  // The wall's pen (the shape's frame).
  TChartPen* Pen() const { return Frame(); }
  void SetPen(TChartPen* value) { Frame()->Assign(value); }
  bool Dark3D() const { return dark3D_; }
  void SetDark3D(bool value);
  // Thickness in 3D, pixels.
  Integer Size() const { return size_; }
  void SetSize(Integer value);

 private:
  bool dark3D_ = true;
  Integer size_ = 0;
};

class TChartWall : public TCustomChartWall {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartWall(TCustomChartPanel* ParentChart, TColor Color = clDefault);
};

// Silver, transparent.
class TChartBackWall : public TChartWall {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartBackWall(TCustomChartPanel* ParentChart);
};

// Silver, hidden.
class TChartRightWall : public TChartWall {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartRightWall(TCustomChartPanel* ParentChart);
};
