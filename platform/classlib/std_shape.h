#pragma once
// TShape: a windowless rectangle, square, rounded rectangle or square, ellipse or
// circle, outlined with Pen and filled with Brush. The figure lies inside the bounds
// with the pen's full width; squares and circles take the shorter side, centred.
#include <memory>

#include "platform/classlib/controls.h"

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
const TEnumInfo& ShapeTypeInfo();

class TShape : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TShape(TComponent* AOwner);
  ~TShape() override;

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType value);
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* value) { pen_->Assign(value); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* value) { brush_->Assign(value); }

  // The figure's rectangle (before the pen) in client coordinates.
  TRect FigureRect() const;

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};
