#include "chart/chart_legend.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_canvas.h"
#include "chart/chart_control.h"
#include "chart/chart_utils.h"
#include "platform/win/text/text.h"

namespace {
// What a legend item's check box takes beside its symbol and text.
constexpr Integer kCheckBoxRoom = 15;
}  // namespace

const TEnumInfo& LegendStyleInfo() {
  static const TEnumInfo info("TLegendStyle", {"lsAuto", "lsSeries", "lsValues", "lsLastValues"});
  return info;
}

const TEnumInfo& LegendAlignmentInfo() {
  static const TEnumInfo info("TLegendAlignment", {"laLeft", "laRight", "laTop", "laBottom"});
  return info;
}

const TEnumInfo& LegendSymbolSizeInfo() {
  static const TEnumInfo info("TLegendSymbolSize", {"lcsPercent", "lcsPixels"});
  return info;
}

const TEnumInfo& LegendSymbolPositionInfo() {
  static const TEnumInfo info("TLegendSymbolPosition", {"spLeft", "spRight"});
  return info;
}

// ---- TLegendSymbol ---------------------------------------------------------------------------

const TClass& TLegendSymbol::StaticClass() {
  static const TClass cls =
      TClass::Of<TLegendSymbol>("TLegendSymbol", TPersistent::StaticClass(), &TLegendSymbol::Publish);
  return cls;
}

void TLegendSymbol::Publish(TPublished& published) {
  auto p = published.For<TLegendSymbol>();
  p.Boolean("Continuous", &TLegendSymbol::Continuous, &TLegendSymbol::SetContinuous).Default(false);
  p.Enum("Position", LegendSymbolPositionInfo(), &TLegendSymbol::Position, &TLegendSymbol::SetPosition).Default(spLeft);
  p.Integer("Width", &TLegendSymbol::Width, &TLegendSymbol::SetWidth).Default(20);
  p.Enum("WidthUnits", LegendSymbolSizeInfo(), &TLegendSymbol::WidthUnits, &TLegendSymbol::SetWidthUnits)
      .Default(lcsPercent);
}

void TLegendSymbol::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TLegendSymbol*>(source)) {
    continuous_ = src->continuous_;
    position_ = src->position_;
    width_ = src->width_;
    widthUnits_ = src->widthUnits_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TLegendSymbol::Changed() {
  if (legend_) legend_->Repaint();
}

void TLegendSymbol::SetContinuous(bool value) {
  if (value == continuous_) return;
  continuous_ = value;
  Changed();
}

void TLegendSymbol::SetPosition(TLegendSymbolPosition value) {
  if (value == position_) return;
  position_ = value;
  Changed();
}

void TLegendSymbol::SetWidth(Integer value) {
  if (value == width_) return;
  width_ = value;
  Changed();
}

void TLegendSymbol::SetWidthUnits(TLegendSymbolSize value) {
  if (value == widthUnits_) return;
  widthUnits_ = value;
  Changed();
}

Integer TLegendSymbol::CalcWidth(Integer Base) const {
  if (widthUnits_ == lcsPixels) return width_;
  return RoundToPixel(static_cast<Double>(width_) * Base / 100.0);
}

// ---- TChartLegendGradient --------------------------------------------------------------------

namespace {
void PublishLegendGradient(TPublished& published) {
  auto p = published.For<TChartLegendGradient>();
  p.Enum("Direction", GradientDirectionInfo(), &TChartLegendGradient::Direction, &TChartLegendGradient::SetDirection)
      .Default(gdRightLeft);
  p.Integer("EndColor", &TChartLegendGradient::EndColor, &TChartLegendGradient::SetEndColor)
      .Idents(ColorIdents())
      .Default(clWhite);
  p.Integer("StartColor", &TChartLegendGradient::StartColor, &TChartLegendGradient::SetStartColor)
      .Idents(ColorIdents())
      .Default(clSilver);
}
}  // namespace

const TClass& TChartLegendGradient::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartLegendGradient>("TChartLegendGradient", TChartGradient::StaticClass(), &PublishLegendGradient);
  return cls;
}

TChartLegendGradient::TChartLegendGradient(TNotifyEvent OnChangeEvent) : TChartGradient(std::move(OnChangeEvent)) {
  startColor_ = clSilver;
  endColor_ = clWhite;
  direction_ = gdRightLeft;
}

// ---- TCustomChartLegend: construction --------------------------------------------------------

const TClass& TCustomChartLegend::StaticClass() {
  static const TClass cls = TClass::Of<TCustomChartLegend>(
      "TCustomChartLegend", TChartCustomShapePosition::StaticClass(), &TCustomChartLegend::Publish);
  return cls;
}

const TClass& TChartLegend::StaticClass() {
  static const TClass cls = TClass::Of<TChartLegend>("TChartLegend", TCustomChartLegend::StaticClass());
  return cls;
}

void TCustomChartLegend::Publish(TPublished& published) {
  auto p = published.For<TCustomChartLegend>();
  p.Enum("Alignment", LegendAlignmentInfo(), &TCustomChartLegend::Alignment, &TCustomChartLegend::SetAlignment)
      .Default(laRight);
  p.Boolean("CheckBoxes", &TCustomChartLegend::CheckBoxes, &TCustomChartLegend::SetCheckBoxes).Default(false);
  // The symbol's width under its older name; stored as Symbol.Width.
  p.Integer("ColorWidth", &TCustomChartLegend::ColorWidth, &TCustomChartLegend::SetColorWidth).Stored(false);
  p.Object("DividingLines", &TCustomChartLegend::DividingLines, &TCustomChartLegend::SetDividingLines);
  p.Integer("FirstValue", &TCustomChartLegend::FirstValue, &TCustomChartLegend::SetFirstValue).Default(0);
  p.Boolean("FontSeriesColor", &TCustomChartLegend::FontSeriesColor, &TCustomChartLegend::SetFontSeriesColor)
      .Default(false);
  p.Integer("HorizMargin", &TCustomChartLegend::HorizMargin, &TCustomChartLegend::SetHorizMargin).Default(0);
  p.Boolean("Inverted", &TCustomChartLegend::Inverted, &TCustomChartLegend::SetInverted).Default(false);
  p.Enum("LegendStyle", LegendStyleInfo(), &TCustomChartLegend::LegendStyle, &TCustomChartLegend::SetLegendStyle)
      .Default(lsAuto);
  p.Integer("MaxNumRows", &TCustomChartLegend::MaxNumRows, &TCustomChartLegend::SetMaxNumRows).Default(10);
  p.Boolean("ResizeChart", &TCustomChartLegend::ResizeChart, &TCustomChartLegend::SetResizeChart).Default(true);
  p.Object("Symbol", &TCustomChartLegend::Symbol, &TCustomChartLegend::SetSymbol);
  p.Enum("TextStyle", LegendTextStyleInfo(), &TCustomChartLegend::TextStyle, &TCustomChartLegend::SetTextStyle)
      .Default(ltsLeftValue);
  p.Integer("TopPos", &TCustomChartLegend::TopPos, &TCustomChartLegend::SetTopPos).Default(10);
  p.Integer("VertMargin", &TCustomChartLegend::VertMargin, &TCustomChartLegend::SetVertMargin).Default(0);
  p.Integer("VertSpacing", &TCustomChartLegend::VertSpacing, &TCustomChartLegend::SetVertSpacing).Default(0);
}

TCustomChartLegend::TCustomChartLegend(TCustomChart* Chart)
    : TChartCustomShapePosition(Chart),
      chart_(Chart),
      dividingLines_(std::make_unique<TChartHiddenPen>([this](TObject* s) { CanvasChanged(s); })),
      symbol_(std::make_unique<TLegendSymbol>(this)) {
  ReplaceGradient(std::make_unique<TChartLegendGradient>());
}

TCustomChartLegend::~TCustomChartLegend() { dividingLines_->OnChange = nullptr; }

void TCustomChartLegend::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartLegend*>(source)) {
    alignment_ = src->alignment_;
    checkBoxes_ = src->checkBoxes_;
    dividingLines_->Assign(src->dividingLines_.get());
    firstValue_ = src->firstValue_;
    fontSeriesColor_ = src->fontSeriesColor_;
    horizMargin_ = src->horizMargin_;
    inverted_ = src->inverted_;
    legendStyle_ = src->legendStyle_;
    maxNumRows_ = src->maxNumRows_;
    resizeChart_ = src->resizeChart_;
    symbol_->Assign(src->symbol_.get());
    textStyle_ = src->textStyle_;
    topPos_ = src->topPos_;
    vertMargin_ = src->vertMargin_;
    vertSpacing_ = src->vertSpacing_;
    currentPage_ = src->currentPage_;
  }
  TChartCustomShapePosition::Assign(source);
}

void TCustomChartLegend::SetFirstValue(Integer value) {
  if (value < 0) throw LegendException(msg::LegendFirstValue);
  ChangeValue(firstValue_, value);
}

void TCustomChartLegend::SetLegendStyle(TLegendStyle value) {
  if (value == legendStyle_) return;
  legendStyle_ = value;
  effectiveStyle_ = InternalStyle();
  Repaint();
}

// ---- items -----------------------------------------------------------------------------------

TLegendStyle TCustomChartLegend::InternalStyle() {
  if (legendStyle_ != lsAuto) return legendStyle_;
  if (!checkBoxes_ && chart_->CountActiveSeries() < 2) return lsValues;
  return lsSeries;
}

TChartSeries* TCustomChartLegend::SeriesAt(Integer Index) {
  if (Index < 0) return nullptr;
  Integer n = 0;
  for (Integer i = 0; i < chart_->SeriesCount(); ++i) {
    TChartSeries* s = chart_->GetSeries(i);
    if (!s->ShowInLegend() || (!checkBoxes_ && !s->Active())) continue;
    if (n == Index) return s;
    ++n;
  }
  return nullptr;
}

TChartSeries* TCustomChartLegend::LegendSeries() {
  for (Integer i = 0; i < chart_->SeriesCount(); ++i)
    if (chart_->GetSeries(i)->Active()) return chart_->GetSeries(i);
  return nullptr;
}

std::string TCustomChartLegend::ItemText(Integer Index) {
  switch (InternalStyle()) {
    case lsValues: {
      TChartSeries* s = LegendSeries();
      return s ? chart_->FormattedValueLegend(s, Index) : std::string();
    }
    case lsLastValues: {
      TChartSeries* s = SeriesAt(Index);
      return s ? chart_->FormattedValueLegend(s, s->Count() - 1) : std::string();
    }
    default: {
      TChartSeries* s = SeriesAt(Index);
      return s ? chart_->SeriesTitleOrName(s) : std::string();
    }
  }
}

std::string TCustomChartLegend::ChartItemText(Integer Index) {
  std::string text = ItemText(Index);
  if (chart_->OnGetLegendText) chart_->OnGetLegendText(chart_, effectiveStyle_, Index, text);
  return text;
}

namespace {

// The text's first two columns; a third and later are dropped.
std::array<std::string, 2> SplitColumns(const std::string& Text) {
  std::array<std::string, 2> parts;
  const std::size_t first = Text.find(ChartLegendColumnSeparator);
  if (first == std::string::npos) {
    parts[0] = Text;
    return parts;
  }
  parts[0] = Text.substr(0, first);
  const std::size_t second = Text.find(ChartLegendColumnSeparator, first + 1);
  parts[1] = Text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  return parts;
}

// Rounds to the nearest integer with halves going up (the legend's gaps).
Integer RoundHalfUp(Double Value) { return static_cast<Integer>(std::floor(Value + 0.5)); }

}  // namespace

void TCustomChartLegend::MeasureColumns(TChartCanvas* Canvas, Integer Space) {
  texts_.clear();
  columnWidths_ = {0, 0};
  for (Integer i = firstValue_; i <= lastValue_; ++i) {
    texts_.push_back(SplitColumns(ChartItemText(i)));
    for (std::size_t c = 0; c < 2; ++c)
      columnWidths_[c] = std::max(columnWidths_[c], Canvas->MeasureTextWidth(texts_.back()[c]));
  }
  textWidth_ = columnWidths_[0] + columnWidths_[1] + 2 * Space - 1;
}

// ---- drawing ---------------------------------------------------------------------------------

void TCustomChartLegend::DrawLegend() {
  TChartCanvas3D* canvas = chart_->Canvas();
  if (!canvas) return;
  effectiveStyle_ = InternalStyle();

  // A legend of values follows the chart's page.
  const bool pageFollow = effectiveStyle_ == lsValues && currentPage_ && chart_->MaxPointsPerPage() > 0;
  if (pageFollow) SetFirstValue((chart_->Page() - 1) * chart_->MaxPointsPerPage());

  Integer count = 0;
  if (effectiveStyle_ == lsValues) {
    TChartSeries* s = LegendSeries();
    if (s && s->ShowInLegend()) count = s->Count();
  } else {
    for (Integer i = 0; i < chart_->SeriesCount(); ++i) {
      TChartSeries* s = chart_->GetSeries(i);
      if (s->ShowInLegend() && (s->Active() || checkBoxes_)) ++count;
    }
  }
  count = std::max(0, count - firstValue_);
  if (pageFollow) count = std::min(count, chart_->MaxPointsPerPage());
  itemCount_ = count;

  chart_->SetLegendColor(Color());
  canvas->ApplyFont(Font());
  Integer h = canvas->LineHeight();
  if (checkBoxes_ && h < 17) h = 17;
  h += vertSpacing_;
  // A font without height must not stop the rows from being counted.
  itemHeight_ = std::max(h, 1);
  h = itemHeight_;
  space_ = canvas->MeasureTextWidth(" ");

  Integer f = Frame()->Visible() ? Frame()->Width() : 0;
  if (Bevel() != bvNone) f = BevelWidth();
  const Integer penWidth = Frame()->Width();
  const TRect bounds = chart_->ChartBounds();
  const TRect plot = chart_->ChartRect();
  TRect r = ShapeBounds;

  if (IsVertical()) {
    if (!CustomPosition())
      r.top = bounds.top + RoundToPixel(static_cast<Double>(topPos_) * (bounds.bottom - bounds.top) / 100.0);
    numCols_ = 1;
    numRows_ = plot.bottom <= r.top ? 0 : std::min((plot.bottom - r.top - 2 * penWidth) / h, count);
    numRows_ = std::max(numRows_, 0);
    lastValue_ = firstValue_ + std::min(count, numRows_) - 1;
    MeasureColumns(canvas, space_);
  } else {
    lastValue_ = firstValue_ + count - 1;
    MeasureColumns(canvas, space_);
    symbolWidth_ = symbol_->CalcWidth(textWidth_);
    if (!CustomPosition()) {
      if (alignment_ == laBottom)
        r.bottom = plot.bottom - ShadowSize() - f - 1;
      else
        r.top = plot.top + f + 1;
    }
    // Each column also takes its check box' room, as DrawItem spaces the columns.
    const Integer slot = std::max(symbolWidth_ + textWidth_ + 8 + (checkBoxes_ ? kCheckBoxRoom : 0), 1);
    numCols_ = plot.right <= 8 ? 0 : std::clamp((chart_->ChartWidth() - 2 * penWidth - 8) / slot, 0, count);
    numRows_ = numCols_ == 0 ? 0 : std::min(count / numCols_ + (count % numCols_ != 0 ? 1 : 0), maxNumRows_);
    numRows_ = std::max(numRows_, 0);
    lastValue_ = firstValue_ + std::min(count, numCols_ * numRows_) - 1;
  }
  if (lastValue_ < firstValue_) return;

  // Height.
  if (alignment_ == laBottom && !CustomPosition())
    r.top = r.bottom - (h * numRows_ + 2);
  else
    r.bottom = r.top + h * numRows_ + 2;

  // Width and the item positions.
  const Integer w = textWidth_;
  Integer checkX = 0, x = 0;
  if (IsVertical()) {
    symbolWidth_ = symbol_->CalcWidth(w + 10);
    const Integer wi = w + 10 + symbolWidth_;
    if (!CustomPosition()) {
      if (alignment_ == laRight) {
        r.right = plot.right - ShadowSize() - (Frame()->Visible() ? f + 1 : 0);
        r.left = r.right - wi - (checkBoxes_ ? kCheckBoxRoom : 0);
      } else {
        r.left = plot.left + (Frame()->Visible() ? f + 1 : 0);
      }
    }
    checkX = r.left + 4;
    x = checkBoxes_ ? r.left + kCheckBoxRoom : r.left;
    r.right = x + wi;
  } else {
    Integer width = (w + symbolWidth_) * numCols_ + 12 + 6 * (numCols_ - 1);
    // Each column's check box takes the room DrawItem gives it, so the box holds its items.
    if (checkBoxes_) width += kCheckBoxRoom * numCols_ + 4;
    width = std::min(width, chart_->ChartWidth());
    const Integer half = width / 2;
    if (!CustomPosition())
      r.left = chart_->ChartXCenter() - half +
               RoundToPixel(static_cast<Double>(topPos_) * (bounds.right - bounds.left - half) / 100.0);
    r.right = r.left + 2 * half;
    checkX = r.left + 4;
    x = checkBoxes_ ? r.left + kCheckBoxRoom : r.left;
  }
  x += 6;
  Integer symbolX, textX;
  if (symbol_->Position() == spLeft) {
    symbolX = x;
    textX = x + symbolWidth_ + 4;
  } else {
    textX = x;
    symbolX = x + w;
  }

  if (chart_->OnGetLegendRect) chart_->OnGetLegendRect(chart_, r);
  ShapeBounds = r;
  DrawRectRotated(canvas, r);

  const Integer places = lastValue_ - firstValue_;
  for (Integer p = 0; p <= places; ++p) {
    const Integer index = inverted_ ? lastValue_ - p : firstValue_ + p;
    DrawItem(p, index, textX, symbolX, checkX);
  }
  TakeRoom();
}

void TCustomChartLegend::DrawItem(Integer Place, Integer Index, Integer TextX, Integer SymbolX, Integer CheckX) {
  TChartCanvas3D* canvas = chart_->Canvas();
  const Integer h = itemHeight_;
  const TRect& r = ShapeBounds;

  canvas->ApplyFont(Font());
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsClear);
  canvas->WriteBackMode(cbmTransparent);

  Integer row = Place, dx = 0;
  if (!IsVertical()) {
    row = Place / numCols_;
    dx = (Place % numCols_) * (textWidth_ + symbolWidth_ + 6 + (checkBoxes_ ? kCheckBoxRoom : 0));
  }
  Integer textX = TextX + dx;
  Integer symbolX = SymbolX + dx;
  Integer y = r.top + 1 + row * h + vertSpacing_ / 2;
  if (chart_->OnGetLegendPos) chart_->OnGetLegendPos(chart_, Index, textX, y, symbolX);

  TChartSeries* series = effectiveStyle_ == lsValues ? LegendSeries() : SeriesAt(Index);
  if (fontSeriesColor_ && series)
    canvas->Font()->SetColor(effectiveStyle_ == lsValues ? series->LegendItemColor(Index) : series->SeriesColor());

  // The two text columns.
  const std::size_t at = static_cast<std::size_t>(Index - firstValue_);
  const std::array<std::string, 2> parts = at < texts_.size() ? texts_[at] : SplitColumns(ChartItemText(Index));
  const bool rightAligned[2] = {
      effectiveStyle_ != lsSeries && (textStyle_ == ltsLeftValue || textStyle_ == ltsLeftPercent ||
                                      textStyle_ == ltsXValue || textStyle_ == ltsValue || textStyle_ == ltsPercent ||
                                      textStyle_ == ltsXAndValue || textStyle_ == ltsXAndPercent),
      effectiveStyle_ != lsSeries && (textStyle_ == ltsRightValue || textStyle_ == ltsRightPercent ||
                                      textStyle_ == ltsXAndValue || textStyle_ == ltsXAndPercent)};
  const Integer textY = checkBoxes_ ? y + 1 : y;
  Integer cx = textX;
  for (std::size_t c = 0; c < 2; ++c) {
    if (!parts[c].empty()) {
      if (rightAligned[c]) {
        canvas->WriteTextAlign(win::TA_RIGHT);
        canvas->DrawText(cx + columnWidths_[c], textY, parts[c]);
      } else {
        canvas->WriteTextAlign(win::TA_LEFT);
        canvas->DrawText(cx, textY, parts[c]);
      }
    }
    cx += columnWidths_[c] + space_;
  }
  canvas->WriteTextAlign(win::TA_LEFT);

  // The symbol.
  TRect symbol{symbolX, y + 2, symbolX + symbolWidth_, y + h + 1 - (vertSpacing_ + 3)};
  if (symbol_->Continuous()) {
    if (Place > 0) symbol.top = y;
    if (Place < lastValue_ - firstValue_) symbol.bottom = y + h + 1;
  }
  if (effectiveStyle_ == lsValues) {
    if (symbolWidth_ > 0) {
      if (series) {
        series->DrawLegend(series->LegendToValueIndex(Index), symbol);
      } else {
        canvas->SetSolidBrush(clWhite);
        canvas->DrawBoxRect(symbol);
      }
    }
  } else if (series) {
    if (checkBoxes_) DrawCheckBox(CheckX + dx, y + (h - vertSpacing_ - 11) / 2 - 1, canvas, series->Active(), Color());
    if (symbolWidth_ > 0) series->DrawLegend(-1, symbol);
  }

  if (Place > 0 && dividingLines_->Visible()) {
    canvas->ApplyPen(dividingLines_.get());
    canvas->WriteBackMode(cbmTransparent);
    if (IsVertical())
      canvas->HorizontalLine(r.left, r.right, y - vertSpacing_ / 2);
    else
      canvas->VerticalLine(r.left + dx + 2, r.top, r.bottom);
  }
}

void TCustomChartLegend::TakeRoom() {
  TRect plot = chart_->ChartRect();
  const Integer width = chart_->ChartWidth();
  const Integer height = chart_->ChartHeight();
  if (resizeChart_ && !CustomPosition()) {
    switch (alignment_) {
      case laLeft:
        plot.left = ShapeBounds.right;
        break;
      case laRight:
        plot.right = ShapeBounds.left;
        break;
      case laTop:
        plot.top = ShapeBounds.bottom + ShadowSize();
        break;
      case laBottom:
        plot.bottom = ShapeBounds.top;
        break;
    }
  }
  if (IsVertical()) {
    const Integer gap = horizMargin_ != 0 ? horizMargin_ : RoundHalfUp(3.0 * width / 100.0);
    if (alignment_ == laLeft)
      plot.left += gap;
    else
      plot.right -= gap;
  } else {
    const Integer gap = vertMargin_ != 0 ? vertMargin_ : RoundHalfUp(4.0 * height / 100.0);
    if (alignment_ == laTop)
      plot.top += gap;
    else
      plot.bottom -= gap;
  }
  chart_->SetChartRect(plot);
}

Integer TCustomChartLegend::Clicked(Integer X, Integer Y) {
  const TRect& r = ShapeBounds;
  if (X < r.left || X >= r.right || Y < r.top || Y >= r.bottom) return -1;
  const Integer shown = lastValue_ - firstValue_ + 1;
  if (shown < 1) return -1;
  Integer place = -1;
  if (IsVertical()) {
    if (numRows_ < 1) return -1;
    const Integer rh = (r.bottom - r.top) / numRows_;
    if (rh < 1) return -1;
    for (Integer row = 0; row < numRows_; ++row) {
      const Integer top = r.top + 1 + row * rh;
      if (top <= Y && Y <= top + rh) {
        place = row;
        break;
      }
    }
  } else {
    if (numCols_ < 1) return -1;
    const Integer cw = (r.right - r.left) / numCols_;
    // The rows as the last drawing laid them out (check boxes and VertSpacing make them
    // taller than a line of the font).
    const Integer lh = std::max(itemHeight_, 1);
    for (Integer c = 0; c < numCols_; ++c) {
      const Integer left = r.left + 1 + c * cw;
      if (X < left || X > left + cw) continue;
      Integer found = -1;
      for (Integer row = 0; r.top + 1 + row * lh <= Y; ++row) {
        const Integer top = r.top + 1 + row * lh;
        if (Y <= top + lh) {
          found = numCols_ * row + c;
          break;
        }
      }
      // A later column whose left edge matches replaces the answer.
      place = (found >= 0 && found <= itemCount_ - 1) ? found : -1;
    }
  }
  if (place < 0 || place >= shown) return -1;
  // The item drawn there: counted from FirstValue, in the order the drawing used.
  return inverted_ ? lastValue_ - place : firstValue_ + place;
}

// ---- check box and symbols -------------------------------------------------------------------

void DrawCheckBox(Integer X, Integer Y, TChartCanvas* Canvas, bool Ticked, TColor BackColor) {
  TPen* pen = Canvas->Pen();
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  pen->SetColor(clGray);
  Canvas->HorizontalLine(X + 11, X, Y);
  Canvas->LineToPoint(X, Y + 12);

  pen->SetColor(ColorToRGB(BackColor) == clWhite ? clSilver : clWhite);
  Canvas->HorizontalLine(X, X + 12, Y + 12);
  Canvas->LineToPoint(X + 12, Y - 1);

  pen->SetColor(clBlack);
  Canvas->HorizontalLine(X + 10, X + 1, Y + 1);
  Canvas->LineToPoint(X + 1, Y + 11);

  Canvas->Brush()->SetColor(clWindow);
  Canvas->Brush()->SetStyle(bsSolid);
  pen->SetStyle(psClear);
  Canvas->DrawBox(X + 2, Y + 2, X + 12, Y + 12);

  if (Ticked) {
    pen->SetStyle(psSolid);
    pen->SetColor(clWindowText);
    for (Integer k = 1; k <= 3; ++k) Canvas->VerticalLine(X + 2 + k, Y + 4 + k, Y + 7 + k);
    for (Integer k = 1; k <= 4; ++k) Canvas->VerticalLine(X + 5 + k, Y + 7 - k, Y + 10 - k);
  }
}
