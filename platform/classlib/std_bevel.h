#pragma once
// TBevel: a windowless 3D box, frame or line. Lowered draws the shadow colour on the
// top and left and the highlight on the bottom and right; raised the other way round.
#include "platform/classlib/controls.h"

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };
const TEnumInfo& BevelShapeInfo();
const TEnumInfo& BevelStyleInfo();

class TBevel : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};
