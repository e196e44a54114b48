#pragma once
// Semi-transparent shapes: the pixels under a rectangle are kept before the shape is
// drawn and mixed back in afterwards.
#include <memory>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"

class TChartCanvas3D;

class TChartBlend : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Copies the pixels of Rect (clipped to the drawing surface) into a 24-bit bitmap.
  TChartBlend(TChartCanvas3D* Canvas, const TRect& Rect);
  ~TChartBlend() override;

  // After the shape is drawn: every pixel of the rectangle becomes
  // round(before x T/100 + after x (1 - T/100)) per channel; T is clamped to 0..100.
  void DoBlend(Integer Transparency);

  const TRect& Rect() const { return rect_; }

 private:
  TChartCanvas3D* canvas_;
  TRect rect_;
  std::unique_ptr<TBitmap> before_;
};
