#include "platform/classlib/std_shape.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"

namespace {

const bool kShapeRegistered = [] {
  RegisterClass(TShape::StaticClass());
  return true;
}();

}  // namespace

const TEnumInfo& ShapeTypeInfo() {
  static const TEnumInfo info("TShapeType",
                              {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
  return info;
}

const TClass& TShape::StaticClass() {
  static const TClass cls = TClass::Of<TShape>("TShape", TGraphicControl::StaticClass(), &TShape::Publish);
  return cls;
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  controlStyle_ = controlStyle_ + TControlStyle{csReplicatable};
  SetBounds(Left(), Top(), 65, 65);
  pen_->OnChange = [this](TObject*) { Invalidate(); };
  brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  pen_->OnChange = nullptr;
  brush_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType value) {
  if (shape_ == value) return;
  shape_ = value;
  Invalidate();
}

TRect TShape::FigureRect() const {
  Integer pw = pen_->Width();
  // Half the pen lies outside the figure's outline: start half a pen in.
  Integer x = pw / 2, y = pw / 2;
  Integer w = Width() - pw + 1, h = Height() - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  Integer s = w < h ? w : h;
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  return TRect{x, y, x + w, y + h};
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  TRect r = FigureRect();
  Integer s = std::min<Integer>(r.right - r.left, r.bottom - r.top);
  switch (shape_) {
    case stRectangle:
    case stSquare:
      c->Rectangle(r);
      break;
    case stRoundRect:
    case stRoundSquare:
      c->RoundRect(r.left, r.top, r.right, r.bottom, s / 4, s / 4);
      break;
    case stEllipse:
    case stCircle:
      c->Ellipse(r);
      break;
  }
}

void TShape::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Align", "Anchors", "Constraints", "DragCursor", "DragMode", "Enabled",
                                          "ParentShowHint", "ShowHint", "Visible", "OnMouseDown", "OnMouseMove",
                                          "OnMouseUp"});
  auto p = published.For<TShape>();
  p.Object("Brush", &TShape::Brush, &TShape::SetBrush);
  p.Object("Pen", &TShape::Pen, &TShape::SetPen);
  p.Enum("Shape", ShapeTypeInfo(), &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}
