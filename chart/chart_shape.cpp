#include "chart/chart_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "chart/chart_blend.h"
#include "chart/chart_canvas.h"
#include "chart/chart_panel.h"
#include "chart/chart_utils.h"

const TEnumInfo& ChartObjectShapeStyleInfo() {
  static const TEnumInfo info("TChartObjectShapeStyle", {"fosRectangle", "fosRoundRectangle"});
  return info;
}

namespace {
// Corner size of round rectangles and of the gradients filling them.
constexpr Integer kRoundCorner = 16;
}  // namespace

// ---- TChartCustomShapeBrushPen ----------------------------------------------------------------

const TClass& TChartCustomShapeBrushPen::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomShapeBrushPen>(
      "TChartCustomShapeBrushPen", TPersistent::StaticClass(), &TChartCustomShapeBrushPen::Publish);
  return cls;
}

void TChartCustomShapeBrushPen::Publish(TPublished& published) {
  auto p = published.For<TChartCustomShapeBrushPen>();
  p.Object("Brush", &TChartCustomShapeBrushPen::Brush, &TChartCustomShapeBrushPen::SetBrush);
  p.Object("Frame", &TChartCustomShapeBrushPen::Frame, &TChartCustomShapeBrushPen::SetFrame);
  p.Boolean("Visible", &TChartCustomShapeBrushPen::Visible, &TChartCustomShapeBrushPen::SetVisible).Default(true);
}

TChartCustomShapeBrushPen::TChartCustomShapeBrushPen(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush)
    : parentChart_(ParentChart),
      brush_(Brush ? std::move(Brush) : std::make_unique<TChartBrush>()),
      frame_(std::make_unique<TChartPen>([this](TObject* s) { CanvasChanged(s); })) {
  brush_->OnChange = [this](TObject* s) { CanvasChanged(s); };
}

TChartCustomShapeBrushPen::~TChartCustomShapeBrushPen() = default;

void TChartCustomShapeBrushPen::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartCustomShapeBrushPen*>(source)) {
    brush_->Assign(src->brush_.get());
    frame_->Assign(src->frame_.get());
    visible_ = src->visible_;
    Repaint();
    return;
  }
  TPersistent::Assign(source);
}

void TChartCustomShapeBrushPen::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Repaint();
}

void TChartCustomShapeBrushPen::Repaint() {
  if (parentChart_) parentChart_->Invalidate();
}

// ---- TChartCustomShape ------------------------------------------------------------------------

const TClass& TChartCustomShape::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomShape>("TChartCustomShape", TChartCustomShapeBrushPen::StaticClass(),
                                                          &TChartCustomShape::Publish);
  return cls;
}

void TChartCustomShape::Publish(TPublished& published) {
  auto p = published.For<TChartCustomShape>();
  p.Enum("Bevel", BevelCutInfo(), &TChartCustomShape::Bevel, &TChartCustomShape::SetBevel).Default(bvNone);
  p.Integer("BevelWidth", &TChartCustomShape::BevelWidth, &TChartCustomShape::SetBevelWidth).Default(2);
  p.Integer("Color", &TChartCustomShape::Color, &TChartCustomShape::SetColor).Idents(ColorIdents()).Default(clWhite);
  p.Object("Font", &TChartCustomShape::Font, &TChartCustomShape::SetFont);
  p.Object("Gradient", &TChartCustomShape::Gradient, &TChartCustomShape::SetGradient);
  p.Integer("ShadowColor", &TChartCustomShape::ShadowColor, &TChartCustomShape::SetShadowColor)
      .Idents(ColorIdents())
      .Default(clBlack);
  p.Integer("ShadowSize", &TChartCustomShape::ShadowSize, &TChartCustomShape::SetShadowSize).Default(3);
  p.Enum("ShapeStyle", ChartObjectShapeStyleInfo(), &TChartCustomShape::ShapeStyle, &TChartCustomShape::SetShapeStyle)
      .Default(fosRectangle);
  p.Integer("Transparency", &TChartCustomShape::Transparency, &TChartCustomShape::SetTransparency).Default(0);
  p.Boolean("Transparent", &TChartCustomShape::Transparent, &TChartCustomShape::SetTransparent).Default(false);
}

TChartCustomShape::TChartCustomShape(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush)
    : TChartCustomShapeBrushPen(ParentChart, std::move(Brush)),
      ShapeBounds{0, 0, 0, 0},
      font_(std::make_unique<TChartFont>([this](TObject* s) { CanvasChanged(s); })),
      gradient_(std::make_unique<TChartGradient>([this](TObject* s) { CanvasChanged(s); })) {}

TChartCustomShape::~TChartCustomShape() = default;

void TChartCustomShape::ReplaceGradient(std::unique_ptr<TChartGradient> gradient) {
  gradient->OnChange = [this](TObject* s) { CanvasChanged(s); };
  gradient_ = std::move(gradient);
}

void TChartCustomShape::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartCustomShape*>(source)) {
    bevel_ = src->bevel_;
    bevelWidth_ = src->bevelWidth_;
    color_ = src->color_;
    font_->Assign(src->font_.get());
    gradient_->Assign(src->gradient_.get());
    shadowColor_ = src->shadowColor_;
    shadowSize_ = src->shadowSize_;
    shapeStyle_ = src->shapeStyle_;
    transparency_ = src->transparency_;
    transparent_ = src->transparent_;
  }
  TChartCustomShapeBrushPen::Assign(source);
}

void TChartCustomShape::DrawRectRotated(const TRect& R, Integer Angle) {
  if (ParentChart()) DrawRectRotated(ParentChart()->Canvas(), R, Angle);
}

void TChartCustomShape::DrawRectRotated(TCanvas3D* Canvas, const TRect& R, Integer Angle) {
  if (transparent_ || !Canvas) return;
  auto* blendCanvas = dynamic_cast<TChartCanvas3D*>(Canvas);
  std::unique_ptr<TChartBlend> blend;
  if (transparency_ > 0 && blendCanvas) blend = std::make_unique<TChartBlend>(blendCanvas, BlendArea(R));
  DrawParts(Canvas, R, Angle);
  if (blend) blend->DoBlend(transparency_);
}

void TChartCustomShape::DrawRectRotatedUnblended(TCanvas3D* Canvas, const TRect& R, Integer Angle) {
  if (transparent_ || !Canvas) return;
  DrawParts(Canvas, R, Angle);
}

TRect TChartCustomShape::BlendArea(const TRect& R) const {
  TRect area = R;
  NormalizeRect(area);
  const Integer s = std::abs(shadowSize_) + (Frame()->Visible() ? Frame()->Width() : 0);
  area.right += s + 1;
  area.bottom += s + 1;
  if (ShapeBounds.right > ShapeBounds.left && ShapeBounds.bottom > ShapeBounds.top) {
    area.left = std::min(area.left, ShapeBounds.left);
    area.top = std::min(area.top, ShapeBounds.top);
    area.right = std::max(area.right, ShapeBounds.right);
    area.bottom = std::max(area.bottom, ShapeBounds.bottom);
  }
  return area;
}

void TChartCustomShape::DrawParts(TCanvas3D* Canvas, const TRect& R, Integer Angle) {
  const bool round = shapeStyle_ == fosRoundRectangle;
  const TPoint centre = RectCenter(R);
  Double sinA = 0, cosA = 1;
  if (Angle != 0) SinCos(Angle * std::numbers::pi / 180.0, sinA, cosA);
  // The corners of R turned about its centre, moved by (dx, dy).
  auto rotated = [&](Integer dx, Integer dy) {
    const TPoint corners[] = {{R.left, R.top}, {R.right, R.top}, {R.right, R.bottom}, {R.left, R.bottom}};
    std::vector<TPoint> pts;
    for (const TPoint& c : corners) {
      const Double x = c.x - centre.x, y = c.y - centre.y;
      pts.push_back(TPoint{RoundToPixel(x * cosA + y * sinA) + centre.x + dx,
                           RoundToPixel(-x * sinA + y * cosA) + centre.y + dy});
    }
    return pts;
  };

  // Shadow.
  if (shadowSize_ != 0 && Brush()->Style() != bsClear && !Canvas->DrawsOwnShadows()) {
    const Integer s = shadowSize_ + (Frame()->Visible() ? Frame()->Width() : 0);
    Canvas->Pen()->SetStyle(psClear);
    Canvas->SetSolidBrush(shadowColor_);
    if (Angle != 0) {
      Canvas->DrawPolygon(rotated(s, s));
    } else if (round) {
      Canvas->DrawRoundBox(R.left + s, R.top + s, R.right + s + 1, R.bottom + s + 1, kRoundCorner, kRoundCorner);
    } else {
      // A clear pen leaves out the last row and column: one more keeps the shadow the
      // shape's size.
      Canvas->DrawBox(R.left + s, R.top + s, R.right + s + 1, R.bottom + s + 1);
    }
  }

  // Fill.
  if (gradient_->Visible() && Angle == 0) {
    gradient_->Draw(Canvas, R, round ? kRoundCorner : 0);
    Canvas->Brush()->SetStyle(bsClear);
  } else {
    Canvas->ApplyBrush(Brush(), color_);
  }

  // Frame.
  Canvas->ApplyPen(Frame());
  if (Angle != 0)
    Canvas->DrawPolygon(rotated(0, 0));
  else if (round)
    Canvas->DrawRoundBox(R.left, R.top, R.right, R.bottom, kRoundCorner, kRoundCorner);
  else
    Canvas->DrawBox(R.left, R.top, R.right, R.bottom);

  // Bevel, inside the frame.
  if (bevel_ != bvNone && bevelWidth_ > 0) {
    TRect inner = R;
    if (Frame()->Visible()) {
      const Integer w = std::max<Integer>(1, Frame()->Width());
      inner.left += w;
      inner.top += w;
      inner.right -= w;
      inner.bottom -= w;
    }
    const bool raised = bevel_ == bvRaised;
    Canvas->DrawBevelFrame(inner, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
                           bevelWidth_);
  }
}
