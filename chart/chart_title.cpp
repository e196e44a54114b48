#include "chart/chart_title.h"

#include <algorithm>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "platform/win/text/text.h"

// ---- TChartCustomShapePosition ---------------------------------------------------------------

const TClass& TChartCustomShapePosition::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomShapePosition>(
      "TChartCustomShapePosition", TChartCustomShape::StaticClass(), &TChartCustomShapePosition::Publish);
  return cls;
}

void TChartCustomShapePosition::Publish(TPublished& published) {
  auto p = published.For<TChartCustomShapePosition>();
  p.Boolean("CustomPosition", &TChartCustomShapePosition::CustomPosition, &TChartCustomShapePosition::SetCustomPosition)
      .Default(false);
  p.Integer("Left", &TChartCustomShapePosition::Left, &TChartCustomShapePosition::SetLeft)
      .StoredIf(&TChartCustomShapePosition::CustomPosition);
  p.Integer("Top", &TChartCustomShapePosition::Top, &TChartCustomShapePosition::SetTop)
      .StoredIf(&TChartCustomShapePosition::CustomPosition);
}

TChartCustomShapePosition::TChartCustomShapePosition(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush)
    : TChartCustomShape(ParentChart, std::move(Brush)) {}

void TChartCustomShapePosition::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartCustomShapePosition*>(source)) {
    customPosition_ = src->customPosition_;
    ShapeBounds = src->ShapeBounds;
  }
  TChartCustomShape::Assign(source);
}

void TChartCustomShapePosition::SetCustomPosition(bool value) { ChangeValue(customPosition_, value); }

void TChartCustomShapePosition::SetLeft(Integer value) {
  const Integer w = ShapeBounds.right - ShapeBounds.left;
  ShapeBounds.left = value;
  ShapeBounds.right = value + w;
  customPosition_ = true;
  Repaint();
}

void TChartCustomShapePosition::SetTop(Integer value) {
  const Integer h = ShapeBounds.bottom - ShapeBounds.top;
  ShapeBounds.top = value;
  ShapeBounds.bottom = value + h;
  customPosition_ = true;
  Repaint();
}

// ---- TChartTitle -----------------------------------------------------------------------------

const TClass& TChartTitle::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartTitle>("TChartTitle", TChartCustomShapePosition::StaticClass(), &TChartTitle::Publish);
  return cls;
}

void TChartTitle::Publish(TPublished& published) {
  auto p = published.For<TChartTitle>();
  p.Boolean("AdjustFrame", &TChartTitle::AdjustFrame, &TChartTitle::SetAdjustFrame).Default(true);
  p.Enum("Alignment", AlignmentInfo(), &TChartTitle::Alignment, &TChartTitle::SetAlignment).Default(taCenter);
  p.Strings("Text", &TChartTitle::Text, &TChartTitle::SetText);
  p.Boolean("Transparent", &TChartTitle::Transparent, &TChartTitle::SetTransparent).Default(true);
}

TChartTitle::TChartTitle(TCustomChartPanel* ParentChart) : TChartTitle(ParentChart, clBlue, {}) {}

TChartTitle::TChartTitle(TCustomChartPanel* ParentChart, TColor FontColor, TFontStyles FontStyle)
    : TChartCustomShapePosition(ParentChart), text_(std::make_unique<TStringList>()) {
  SetTransparent(true);
  Font()->SetColor(FontColor);
  Font()->SetStyle(FontStyle);
  Font()->KeepDefaults();
  text_->OnChange = [this](TObject* s) { TextChanged(s); };
}

TChartTitle::~TChartTitle() { text_->OnChange = nullptr; }

void TChartTitle::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartTitle*>(source)) {
    alignment_ = src->alignment_;
    adjustFrame_ = src->adjustFrame_;
    text_->Assign(src->text_.get());
  }
  TChartCustomShapePosition::Assign(source);
}

void TChartTitle::SetAlignment(TAlignment value) { ChangeValue(alignment_, value); }

void TChartTitle::SetAdjustFrame(bool value) { ChangeValue(adjustFrame_, value); }

void TChartTitle::TextChanged(TObject*) { Repaint(); }

bool TChartTitle::Clicked(Integer X, Integer Y) const {
  return X >= ShapeBounds.left && X < ShapeBounds.right && Y >= ShapeBounds.top && Y < ShapeBounds.bottom;
}

void TChartTitle::DrawTitle(TCustomAxisPanel* Chart) {
  const Integer n = text_->Count();
  if (!Chart || !Visible() || n == 0) return;
  TChartCanvas3D* canvas = Chart->Canvas();
  const bool top = !IsFoot();
  const bool custom = CustomPosition();

  Integer f = 0;
  if (Frame()->Visible() && Frame()->Color() != clDefault) f = Frame()->Width();
  if (Bevel() != bvNone) f = BevelWidth();

  TRect r = custom ? ShapeBounds : Chart->ChartRect();
  if (!custom && top) r.top += f;

  canvas->ApplyFont(Font());
  canvas->WriteTextAlign(win::TA_LEFT);
  const Integer lh = canvas->LineHeight();
  if (top || custom)
    r.bottom = r.top + n * lh;
  else
    r.top = r.bottom - n * lh;
  if (!custom) {
    r.left -= f;
    r.top -= f;
    r.right += f;
    r.bottom += f;
  }

  std::vector<Integer> widths;
  Integer widest = 0;
  for (Integer i = 0; i < n; ++i) {
    widths.push_back(canvas->MeasureTextWidth(text_->Strings(i)));
    widest = std::max(widest, widths.back());
  }
  const Integer wW = canvas->MeasureTextWidth("W");
  if (adjustFrame_) {
    const Integer t = widest + wW + f;
    switch (alignment_) {
      case taLeftJustify:
        r.right = r.left + t;
        break;
      case taRightJustify:
        r.left = r.right - t;
        break;
      case taCenter: {
        if (custom) r.right = r.left + t;
        const Integer c = (r.left + r.right) / 2;
        r.left = c - t / 2;
        r.right = c + t / 2;
        break;
      }
    }
  }

  ShapeBounds = r;
  DrawRectRotated(canvas, r);

  // The shape may have left another font and brush behind.
  canvas->ApplyFont(Font());
  canvas->WriteTextAlign(win::TA_LEFT);
  canvas->Brush()->SetStyle(bsClear);
  canvas->WriteBackMode(cbmTransparent);
  for (Integer i = 0; i < n; ++i) {
    const Integer y = top ? r.top + f + i * lh : r.bottom - f - (i + 1) * lh;
    Integer x;
    switch (alignment_) {
      case taLeftJustify:
        x = r.left + wW / 2;
        break;
      case taRightJustify:
        x = r.right - widths[static_cast<std::size_t>(i)] - wW / 2;
        break;
      default:
        x = (r.left + r.right) / 2 - widths[static_cast<std::size_t>(i)] / 2;
        break;
    }
    canvas->DrawText(x, y, text_->Strings(i));
  }

  if (!custom) {
    const Integer m = 5 + f + (Transparent() ? 0 : ShadowSize());
    TRect plot = Chart->ChartRect();
    if (top)
      plot.top = r.bottom + m;
    else
      plot.bottom = r.bottom - m - n * lh;
    Chart->SetChartRect(plot);
  }
}

// ---- TChartFootTitle -------------------------------------------------------------------------

const TClass& TChartFootTitle::StaticClass() {
  static const TClass cls = TClass::Of<TChartFootTitle>("TChartFootTitle", TChartTitle::StaticClass());
  return cls;
}

TChartFootTitle::TChartFootTitle(TCustomChartPanel* ParentChart) : TChartTitle(ParentChart, clRed, {fsItalic}) {}
