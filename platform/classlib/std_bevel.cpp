#include "platform/classlib/std_bevel.h"

#include "platform/classlib/class_registry.h"

namespace {

const bool kBevelRegistered = [] {
  RegisterClass(TBevel::StaticClass());
  return true;
}();

}  // namespace

const TEnumInfo& BevelShapeInfo() {
  static const TEnumInfo info("TBevelShape",
                              {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"});
  return info;
}

const TEnumInfo& BevelStyleInfo() {
  static const TEnumInfo info("TBevelStyle", {"bsLowered", "bsRaised"});
  return info;
}

const TClass& TBevel::StaticClass() {
  static const TClass cls = TClass::Of<TBevel>("TBevel", TGraphicControl::StaticClass(), &TBevel::Publish);
  return cls;
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ = controlStyle_ + TControlStyle{csReplicatable};
  SetBounds(Left(), Top(), 50, 50);
}

void TBevel::SetShape(TBevelShape value) {
  if (shape_ == value) return;
  shape_ = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  if (style_ == value) return;
  style_ = value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  // `first` is the colour of the top and left edges.
  TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  Integer w = Width(), h = Height();
  auto line = [c](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  // Top-left in `a`, bottom-right in `b`, on the rectangle's last pixels (inclusive).
  auto box = [c](TColor a, TColor b, Integer l, Integer t, Integer r, Integer bt) {
    c->Pen()->SetColor(a);
    c->Polyline({TPoint{l, bt}, TPoint{l, t}, TPoint{r, t}});
    c->Pen()->SetColor(b);
    c->Polyline({TPoint{r, t}, TPoint{r, bt}, TPoint{l, bt}});
  };
  switch (shape_) {
    case bsBox:
      box(first, second, 0, 0, w - 1, h - 1);
      break;
    case bsFrame:
      // Two boxes one pixel apart, the inner one in the opposite colours.
      box(second, second, 1, 1, w - 1, h - 1);
      box(first, first, 0, 0, w - 2, h - 2);
      break;
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

void TBevel::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Align", "Anchors", "Constraints", "ParentShowHint", "ShowHint", "Visible"});
  auto p = published.For<TBevel>();
  p.Enum("Shape", BevelShapeInfo(), &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  p.Enum("Style", BevelStyleInfo(), &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}
