#include "chart/chart_series.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_utils.h"
#include "chart/series_sources.h"
#include "platform/classlib/float_format.h"

const TEnumInfo& LegendTextStyleInfo() {
  static const TEnumInfo info("TLegendTextStyle",
                              {"ltsPlain", "ltsLeftValue", "ltsRightValue", "ltsLeftPercent", "ltsRightPercent",
                               "ltsXValue", "ltsValue", "ltsPercent", "ltsXAndValue", "ltsXAndPercent"});
  return info;
}

// ---- TChartCalcObject ------------------------------------------------------------------

const TClass& TChartCalcObject::StaticClass() {
  static const TClass cls = TClass::Of<TChartCalcObject>("TChartCalcObject", TCustomChartElement::StaticClass());
  return cls;
}

void TChartCalcObject::SetParentSeries(TChartSeries* Value) {
  if (Value == parentSeries_) return;
  if (parentSeries_) parentSeries_->calcObject_ = nullptr;
  parentSeries_ = nullptr;
  if (Value) Value->SetCalcObject(this);
}

// ---- TChartSeries: construction --------------------------------------------------------

const TClass& TChartSeries::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartSeries>("TChartSeries", TCustomChartSeries::StaticClass(), &TChartSeries::Publish);
  return cls;
}

void TChartSeries::Publish(TPublished& published) {
  auto p = published.For<TChartSeries>();
  p.Boolean("ColorEachPoint", &TChartSeries::ColorEachPoint, &TChartSeries::SetColorEachPoint).Default(false);
  p.String("ColorSource", &TChartSeries::ColorSource, &TChartSeries::SetColorSource).Default("");
  p.Integer("Cursor", &TChartSeries::Cursor, &TChartSeries::SetCursor).Default(crDefault);
  p.Component("DataSource", &TChartSeries::DataSource, &TChartSeries::SetDataSource);
  p.Integer("Depth", &TChartSeries::Depth, &TChartSeries::SetDepth).Default(-1);
  p.Enum("HorizAxis", HorizAxisInfo(), &TChartSeries::HorizAxis, &TChartSeries::SetHorizAxis).Default(aBottomAxis);
  p.Object("Marks", &TChartSeries::Marks, &TChartSeries::SetMarks);
  p.Component("ParentChart", &TChartSeries::ParentChart, &TChartSeries::SetParentChart);
  p.String("PercentFormat", &TChartSeries::PercentFormat, &TChartSeries::SetPercentFormat)
      .StoredIf(&TChartSeries::IsPercentFormatStored);
  // Always stored: a series without one takes the chart's next colour when it joins it.
  p.Integer("SeriesColor", &TChartSeries::SeriesColor, &TChartSeries::SetSeriesColor)
      .Idents(ColorIdents())
      .NoDefault();
  p.String("ValueFormat", &TChartSeries::ValueFormat, &TChartSeries::SetValueFormat)
      .StoredIf(&TChartSeries::IsValueFormatStored);
  p.Enum("VertAxis", VertAxisInfo(), &TChartSeries::VertAxis, &TChartSeries::SetVertAxis).Default(aLeftAxis);
  p.String("XLabelsSource", &TChartSeries::XLabelsSource, &TChartSeries::SetXLabelsSource).Default("");
  p.Object("XValues", &TChartSeries::XValues, &TChartSeries::SetXValues);
  p.Object("YValues", &TChartSeries::YValues, &TChartSeries::SetYValues);
  p.Event("AfterDrawValues", &TChartSeries::AfterDrawValues);
  p.Event("BeforeDrawValues", &TChartSeries::BeforeDrawValues);
  p.Event("OnAfterAdd", &TChartSeries::OnAfterAdd);
  p.Event("OnBeforeAdd", &TChartSeries::OnBeforeAdd);
  p.Event("OnClearValues", &TChartSeries::OnClearValues);
  p.Event("OnClick", &TChartSeries::OnClick);
  p.Event("OnDblClick", &TChartSeries::OnDblClick);
  p.Event("OnGetMarkText", &TChartSeries::OnGetMarkText);
}

TChartSeries::TChartSeries(TComponent* AOwner) : TCustomChartSeries(AOwner) {
  valueLists_ = std::make_unique<TChartValueLists>();
  // Each list registers itself in valueLists_, which owns it.
  xValues_ = new TChartValueList(this, "X");
  xValues_->SetOrder(loAscending);
  xValues_->KeepDefaults();
  yValues_ = new TChartValueList(this, "Y");
  secondaryList_ = xValues_;
  mandatoryList_ = yValues_;
  marks_ = std::make_unique<TSeriesMarks>(this);
}

TChartSeries::~TChartSeries() {
  if (calcObject_) {
    TChartCalcObject* calc = calcObject_;
    calcObject_ = nullptr;
    calc->parentSeries_ = nullptr;
    delete calc;
  }
  RemoveAllSources();
  // The series that followed this one lose their source and refill from what is left.
  const std::vector<TChartSeries*> followers = linkedSeries_;
  linkedSeries_.clear();
  for (TChartSeries* s : followers) {
    auto& sources = s->dataSources_;
    // A follower left with no source at all is set to none, which empties it.
    if (sources.size() == 1 && sources.front() == this) {
      s->SetDataSource(nullptr);
      continue;
    }
    sources.erase(std::remove(sources.begin(), sources.end(), static_cast<TComponent*>(this)), sources.end());
    s->CheckDataSource();
  }
  Clear();
  SetParentChart(nullptr);
  LinkCustomAxis(customHorizAxis_, nullptr);
  LinkCustomAxis(customVertAxis_, nullptr);
}

bool TChartSeries::IsPercentFormatStored() const { return percentFormat_ != "##0.## %"; }
bool TChartSeries::IsValueFormatStored() const { return valueFormat_ != "#,##0.###"; }

bool TChartSeries::ChartDestroying() const {
  return ParentChart() && ParentChart()->ComponentState().Contains(csDestroying);
}

// ---- chart membership ------------------------------------------------------------------

void TChartSeries::SetParentChart(TCustomAxisPanel* value) {
  TCustomAxisPanel* old = ParentChart();
  if (value == old) return;
  // The old chart runs the leaving hook and unlists the series (coming back here to
  // forget the chart).
  if (old) old->RemoveSeries(this);
  TCustomChartSeries::SetParentChart(value);
  marks_->SetParentChart(value);
  if (value) {
    // The chart runs the joined hook before it lists the series.
    value->AddSeries(this);
    ResolveCustomAxes();
  } else {
    horizAxisObject_ = nullptr;
    vertAxisObject_ = nullptr;
  }
}

void TChartSeries::SeriesJoined() {
  TCustomAxisPanel* chart = ParentChart();
  // The chart knows which colours its series and its back wall already use.
  if (seriesColor_ == clDefault) seriesColor_ = chart->GetFreeSeriesColor(true);
  RecalcGetAxis();
  followsSources_ = true;
  if (!ComponentState().Contains(csDesigning) || calcObject_)
    CheckDataSource();
  else
    FillSampleValues(this, NumSampleValues(this));
}

void TChartSeries::SeriesLeaving() {
  // A chart showing this series' cursor gets its own back.
  TCustomAxisPanel* chart = ParentChart();
  if (chart && !ChartDestroying() && cursor_ != crDefault && chart->Cursor() == cursor_)
    chart->SetCursor(chart->SavedCursor());
  // The links to its sources stay while both live: out of a chart the series only
  // stops following them, and on joining again it is refilled.
  followsSources_ = false;
}

// ---- points ----------------------------------------------------------------------------

Integer TChartSeries::AddXY(Double X, Double Y, const std::string& Label, TColor Colour) {
  xValues_->PendingValue = X;
  yValues_->PendingValue = Y;
  if (OnBeforeAdd && !OnBeforeAdd(this)) return -1;
  const Integer index = xValues_->AddValue(xValues_->PendingValue);
  yValues_->InsertValue(index, yValues_->PendingValue);
  for (Integer k = 2; k < valueLists_->Count(); ++k) {
    TChartValueList* list = valueLists_->Get(k);
    list->InsertValue(index, list->PendingValue);
  }
  const auto at = static_cast<std::size_t>(index);
  if (colors_) {
    colors_->insert(colors_->begin() + static_cast<std::ptrdiff_t>(at), Colour);
  } else if (Colour != clDefault) {
    colors_.emplace(static_cast<std::size_t>(Count() - 1), clDefault);
    colors_->insert(colors_->begin() + static_cast<std::ptrdiff_t>(at), Colour);
  }
  if (!Label.empty()) {
    if (labels_.size() < at) labels_.resize(at);
    labels_.insert(labels_.begin() + static_cast<std::ptrdiff_t>(at), Label);
  } else if (labels_.size() > at) {
    // Only a list that reaches past the index needs the gap, so that later labels stay
    // with their points; a shorter one reads as empty already.
    labels_.insert(labels_.begin() + static_cast<std::ptrdiff_t>(at), std::string());
  }
  NotifyNewValue(this, index);
  return index;
}

Integer TChartSeries::AddY(Double Value, const std::string& Label, TColor Colour) {
  if (yIsMandatory_) return AddXY(xValues_->Count(), Value, Label, Colour);
  return AddXY(Value, yValues_->Count(), Label, Colour);
}

Integer TChartSeries::AddNull(const std::string& Label) { return AddY(0, Label, clNone); }

Integer TChartSeries::AddNullXY(Double X, Double Y, const std::string& Label) { return AddXY(X, Y, Label, clNone); }

void TChartSeries::Delete(Integer ValueIndex) {
  if (ValueIndex < 0 || ValueIndex >= Count())
    throw CreateFmt<ChartException>(msg::SeriesDeleteBounds, ValueIndex, Count() - 1);
  for (Integer k = 0; k < valueLists_->Count(); ++k) valueLists_->Get(k)->Delete(ValueIndex);
  const auto at = static_cast<std::size_t>(ValueIndex);
  if (colors_ && at < colors_->size()) colors_->erase(colors_->begin() + static_cast<std::ptrdiff_t>(at));
  if (at < labels_.size()) labels_.erase(labels_.begin() + static_cast<std::ptrdiff_t>(at));
  if (ValueIndex < marks_->Positions()->Count()) marks_->Positions()->DeleteEntry(ValueIndex);
  NotifyValue(veDelete, ValueIndex);
  if (Active()) Repaint();
}

void TChartSeries::ClearLists() {
  for (Integer k = 0; k < valueLists_->Count(); ++k) valueLists_->Get(k)->ClearValues();
  colors_.reset();
  labels_.clear();
  labels_.shrink_to_fit();
  marks_->Positions()->Clear();
}

void TChartSeries::Clear() {
  ClearLists();
  if (OnClearValues) OnClearValues(this);
  NotifyValue(veClear, 0);
  if (Active() && ParentChart() && !ChartDestroying()) Repaint();
}

void TChartSeries::SwapPoints(Integer i, Integer j) {
  for (Integer k = 0; k < valueLists_->Count(); ++k) valueLists_->Get(k)->SwapValues(i, j);
  if (colors_) std::swap((*colors_)[static_cast<std::size_t>(i)], (*colors_)[static_cast<std::size_t>(j)]);
  if (!labels_.empty()) {
    // A missing label is an empty one: pad so that both indices exist.
    const auto needed = static_cast<std::size_t>(std::max(i, j)) + 1;
    if (labels_.size() < needed) labels_.resize(needed);
    std::swap(labels_[static_cast<std::size_t>(i)], labels_[static_cast<std::size_t>(j)]);
  }
}

// ---- colours and labels ----------------------------------------------------------------

TColor TChartSeries::GetValueColor(Integer ValueIndex) {
  if (colors_ && ValueIndex >= 0 && static_cast<std::size_t>(ValueIndex) < colors_->size()) {
    const TColor c = (*colors_)[static_cast<std::size_t>(ValueIndex)];
    if (c != clDefault) return c;
  }
  return colorEachPoint_ ? PaletteColor(ValueIndex) : seriesColor_;
}

void TChartSeries::SetValueColor(Integer ValueIndex, TColor Colour) {
  if (!colors_ && Colour == clDefault) return;
  if (ValueIndex < 0 || ValueIndex >= Count()) TList::Error(msg::ListIndexError, ValueIndex);
  if (!colors_) colors_.emplace(static_cast<std::size_t>(Count()), clDefault);
  (*colors_)[static_cast<std::size_t>(ValueIndex)] = Colour;
  Repaint();
}

std::string TChartSeries::GetValueLabel(Integer ValueIndex) {
  if (ValueIndex >= 0 && static_cast<std::size_t>(ValueIndex) < labels_.size())
    return labels_[static_cast<std::size_t>(ValueIndex)];
  return std::string();
}

void TChartSeries::SetValueLabel(Integer ValueIndex, const std::string& Label) {
  if (ValueIndex < 0 || ValueIndex >= Count()) TList::Error(msg::ListIndexError, ValueIndex);
  const auto at = static_cast<std::size_t>(ValueIndex);
  if (labels_.size() <= at) {
    if (Label.empty()) return;
    labels_.resize(at + 1);
  }
  labels_[at] = Label;
  Repaint();
}

// ---- values ----------------------------------------------------------------------------

Double TChartSeries::MaxXValue() { return xValues_->Highest(); }
Double TChartSeries::MaxYValue() { return yValues_->Highest(); }
Double TChartSeries::MinXValue() { return xValues_->Lowest(); }
Double TChartSeries::MinYValue() { return yValues_->Lowest(); }
Double TChartSeries::MaxZValue() { return zOrder_ == -1 ? calcZOrderValue_ : zOrder_; }
Double TChartSeries::MinZValue() { return MaxZValue(); }

Double TChartSeries::GetMarkValue(Integer ValueIndex) { return mandatoryList_->GetValue(ValueIndex); }

TChartValueList* TChartSeries::GetValueListByName(const std::string& Name) {
  for (Integer k = 2; k < valueLists_->Count(); ++k)
    if (SameIdent(valueLists_->Get(k)->Name(), Name)) return valueLists_->Get(k);
  return yValues_;
}

// ---- screen positions ------------------------------------------------------------------

Integer TChartSeries::CalcXPos(Integer ValueIndex) {
  return horizAxisObject_ ? horizAxisObject_->CalcXPosValue(xValues_->GetValue(ValueIndex)) : 0;
}

Integer TChartSeries::CalcYPos(Integer ValueIndex) {
  return vertAxisObject_ ? vertAxisObject_->CalcYPosValue(yValues_->GetValue(ValueIndex)) : 0;
}

Integer TChartSeries::CalcXPosValue(Double Value) {
  return horizAxisObject_ ? horizAxisObject_->CalcXPosValue(Value) : 0;
}

Integer TChartSeries::CalcYPosValue(Double Value) {
  return vertAxisObject_ ? vertAxisObject_->CalcYPosValue(Value) : 0;
}

Double TChartSeries::XScreenToValue(Integer X) { return horizAxisObject_ ? horizAxisObject_->CalcPosPoint(X) : 0; }

Double TChartSeries::YScreenToValue(Integer Y) { return vertAxisObject_ ? vertAxisObject_->CalcPosPoint(Y) : 0; }

void TChartSeries::GetCursorValues(Double& X, Double& Y) {
  if (!ParentChart()) return;
  const TPoint p = ParentChart()->MouseClientPos();
  X = XScreenToValue(p.x);
  Y = YScreenToValue(p.y);
}

Integer TChartSeries::GetCursorValueIndex() {
  if (!ParentChart()) return -1;
  const TPoint p = ParentChart()->MouseClientPos();
  return Clicked(p.x, p.y);
}

Integer TChartSeries::Clicked(Integer X, Integer Y) {
  (void)X;
  (void)Y;
  return -1;
}

// ---- axes ------------------------------------------------------------------------------

bool TChartSeries::AssociatedToAxis(TChartAxis* Axis) {
  if (!UseAxis() || !Axis) return false;
  if (Axis->Horizontal()) return horizAxis_ == aBothHorizAxis || Axis == horizAxisObject_;
  return vertAxis_ == aBothVertAxis || Axis == vertAxisObject_;
}

void TChartSeries::RecalcGetAxis() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) {
    horizAxisObject_ = vertAxisObject_ = nullptr;
    return;
  }
  // A custom axis of another chart is kept for when the series goes back there; here the
  // standard axis stands in for it.
  horizAxisObject_ = chart->BottomAxis();
  if (horizAxis_ == aTopAxis)
    horizAxisObject_ = chart->TopAxis();
  else if (horizAxis_ == aCustomHorizAxis && customHorizAxis_ && customHorizAxis_->ParentChart() == chart)
    horizAxisObject_ = customHorizAxis_;
  vertAxisObject_ = chart->LeftAxis();
  if (vertAxis_ == aRightAxis)
    vertAxisObject_ = chart->RightAxis();
  else if (vertAxis_ == aCustomVertAxis && customVertAxis_ && customVertAxis_->ParentChart() == chart)
    vertAxisObject_ = customVertAxis_;
}

void TChartSeries::SetHorizAxis(THorizAxis value) {
  if (horizAxis_ == value) return;
  horizAxis_ = value;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::SetVertAxis(TVertAxis value) {
  if (vertAxis_ == value) return;
  vertAxis_ = value;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::LinkCustomAxis(TChartAxis*& Slot, TChartAxis* value) {
  // Each use is one entry in the axis' list, so an axis used both ways is let go twice.
  if (Slot) {
    auto& users = Slot->customUsers_;
    const auto at = std::find(users.begin(), users.end(), this);
    if (at != users.end()) users.erase(at);
  }
  Slot = value;
  if (value) value->customUsers_.push_back(this);
}

void TChartSeries::SetCustomHorizAxis(TChartAxis* value) {
  LinkCustomAxis(customHorizAxis_, value);
  horizAxis_ = value ? aCustomHorizAxis : aBottomAxis;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::SetCustomVertAxis(TChartAxis* value) {
  LinkCustomAxis(customVertAxis_, value);
  vertAxis_ = value ? aCustomVertAxis : aLeftAxis;
  RecalcGetAxis();
  Repaint();
}

// ---- visible range and drawing ---------------------------------------------------------

void TChartSeries::VisibleRange(Double& Low, Double& High) {
  Low = High = 0;
  TCustomAxisPanel* chart = ParentChart();
  const TRect& r = chart->ChartRect();
  if (yIsMandatory_) {
    TChartAxis* axis = horizAxisObject_;
    const Integer start = axis->Inverted() ? r.right : r.left;
    const Integer end = axis->Inverted() ? r.left : r.right;
    Low = axis->CalcPosPoint(start);
    High = axis->CalcPosPoint(end);
  } else {
    TChartAxis* axis = vertAxisObject_;
    const Integer start = axis->Inverted() ? r.top : r.bottom;
    const Integer end = axis->Inverted() ? r.bottom : r.top;
    Low = axis->CalcPosPoint(start);
    High = axis->CalcPosPoint(end);
  }
}

void TChartSeries::CalcFirstLastVisibleIndex() {
  firstValueIndex_ = lastValueIndex_ = -1;
  const Integer count = Count();
  if (count < 1) return;
  TChartAxis* axis = yIsMandatory_ ? horizAxisObject_ : vertAxisObject_;
  if (!CalcVisiblePoints || secondaryList_->Order() == loNone || !ParentChart() || !axis) {
    firstValueIndex_ = 0;
    lastValueIndex_ = count - 1;
    return;
  }
  Double low = 0, high = 0;
  VisibleRange(low, high);
  const Double* v = secondaryList_->Values();
  Integer first = -1;
  for (Integer i = 0; i < count; ++i) {
    if (v[i] >= low) {
      first = i;
      break;
    }
  }
  if (first < 0) return;
  firstValueIndex_ = first;
  if (v[count - 1] <= high) {
    lastValueIndex_ = count - 1;
    return;
  }
  Integer last = count - 1;
  for (Integer i = first; i < count; ++i) {
    if (v[i] >= high) {
      last = i;
      break;
    }
  }
  if (!DrawBetweenPoints && v[last] > high) --last;
  lastValueIndex_ = last;
}

void TChartSeries::DrawAllValues() {
  if (firstValueIndex_ < 0) return;
  if (DrawValuesForward()) {
    for (Integer i = firstValueIndex_; i <= lastValueIndex_; ++i) DrawValue(i);
  } else {
    for (Integer i = lastValueIndex_; i >= firstValueIndex_; --i) DrawValue(i);
  }
}

void TChartSeries::DrawValue(Integer ValueIndex) { (void)ValueIndex; }

void TChartSeries::DoBeforeDrawValues() {
  if (BeforeDrawValues) BeforeDrawValues(this);
}

void TChartSeries::DoAfterDrawValues() {
  if (AfterDrawValues) AfterDrawValues(this);
}

void TChartSeries::DrawMark(Integer ValueIndex, const std::string& Text, TSeriesMarkPosition& Position) {
  marks_->DrawMark(ValueIndex, GetValueColor(ValueIndex), Position, Text);
}

void TChartSeries::DrawMarks() {
  TCanvas3D* canvas = ParentCanvas();
  if (!canvas || firstValueIndex_ < 0) return;
  const Integer every = marks_->DrawEvery();
  marks_->Depth = MiddleZ;
  const bool clip = marks_->Clip() && ParentChart();
  if (clip) canvas->ClipCube(ParentChart()->ChartRect(), 0, ParentChart()->Width3D());
  // The visible range reaches one point past each edge, for the lines to get there; the
  // marks of points the axes do not show stay off.
  auto shown = [](const TChartAxis* axis, Integer pos) {
    return !axis || (pos >= std::min(axis->StartPixel, axis->EndPixel) && pos <= std::max(axis->StartPixel, axis->EndPixel));
  };
  const bool onAxes = UseAxis();
  for (Integer i = firstValueIndex_; i <= lastValueIndex_; ++i) {
    if (i % every != 0 || IsNull(i)) continue;
    if (onAxes && !(shown(GetHorizAxis(), CalcXPos(i)) && shown(GetVertAxis(), CalcYPos(i)))) continue;
    const std::string text = GetMarkText(i);
    if (text.empty()) continue;
    canvas->ApplyFont(marks_->Font());
    // Text width plus one "W" of room; lines times the font height.
    Integer widest = 0, lines = 0;
    std::string::size_type start = 0;
    for (;;) {
      const auto sep = text.find(ChartLineSeparator, start);
      const std::string line = text.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
      widest = std::max(widest, canvas->MeasureTextWidth(line));
      ++lines;
      if (sep == std::string::npos) break;
      start = sep + 1;
    }
    Integer width = widest + canvas->MeasureTextWidth("W");
    Integer height = lines * canvas->LineHeight();
    if (marks_->Frame()->Visible()) {
      width += 2 * marks_->Frame()->Width();
      height += 2 * marks_->Frame()->Width();
    } else {
      height += 1;
    }
    TSeriesMarkPosition position;
    const Integer x = CalcXPos(i);
    const Integer y = CalcYPos(i);
    position.ArrowStart = TPoint{x, y};
    position.ArrowEnd = TPoint{x, y};
    position.BoxWidth = width;
    position.BoxHeight = height;
    position.BoxTopLeft = TPoint{x - width / 2, y - height + 1};
    marks_->LiftByArrow(position);
    DrawMark(i, text, position);
  }
  if (clip) canvas->RemoveClip();
}

std::string TChartSeries::FormatValue(Double Value) { return FormatFloat(valueFormat_, Value); }

std::string TChartSeries::PercentText(Integer ValueIndex) {
  const Double total = mandatoryList_->SumOfAbsolutes();
  const Double percent = total == 0 ? 100.0 : 100.0 * std::fabs(GetMarkValue(ValueIndex)) / total;
  return FormatFloat(percentFormat_, percent);
}

std::string TChartSeries::XText(Integer ValueIndex) {
  if (horizAxisObject_) return horizAxisObject_->LabelText(xValues_->GetValue(ValueIndex));
  return FormatValue(xValues_->GetValue(ValueIndex));
}

std::string TChartSeries::GetMarkText(Integer ValueIndex) {
  const std::string sep = marks_->MultiLine() ? std::string(1, ChartLineSeparator) : std::string(" ");
  const std::string valueText = FormatValue(GetMarkValue(ValueIndex));
  std::string labelOrValue = GetValueLabel(ValueIndex);
  if (labelOrValue.empty()) labelOrValue = valueText;
  auto percentTotal = [&]() {
    const std::string fmt = marks_->MultiLine() ? std::string("%s") + ChartLineSeparator + "of %s" : "%s of %s";
    return Format(fmt, PercentText(ValueIndex), FormatValue(mandatoryList_->SumOfAbsolutes()));
  };
  std::string text;
  switch (marks_->Style()) {
    case smsValue: text = valueText; break;
    case smsPercent: text = PercentText(ValueIndex); break;
    case smsLabel: text = labelOrValue; break;
    case smsLabelPercent: text = labelOrValue + sep + PercentText(ValueIndex); break;
    case smsLabelValue: text = labelOrValue + sep + valueText; break;
    case smsLegend: {
      // What the chart's legend says of the point, its columns joined by a blank: the
      // column separator has no glyph.
      TCustomAxisPanel* chart = ParentChart();
      text = chart ? chart->FormattedValueLegend(this, ValueIndex) : LegendString(ValueIndex, ltsLeftValue);
      std::replace(text.begin(), text.end(), ChartLineSeparator, ' ');
      std::replace(text.begin(), text.end(), ChartLegendColumnSeparator, ' ');
      break;
    }
    case smsPercentTotal: text = percentTotal(); break;
    case smsLabelPercentTotal: text = labelOrValue + sep + percentTotal(); break;
    case smsXValue: text = XText(ValueIndex); break;
    case smsXY: text = XText(ValueIndex) + sep + valueText; break;
  }
  if (OnGetMarkText) OnGetMarkText(this, ValueIndex, text);
  return text;
}

void TChartSeries::CalcZOrder() {
  TCustomAxisPanel* chart = ParentChart();
  StartZ = MiddleZ = EndZ = 0;
  if (!chart || !chart->View3D()) {
    if (zOrder_ == -1) calcZOrderValue_ = 0;
    return;
  }
  // Series without a fixed z order take the next one in list order; the depth is shared
  // equally among the z positions.
  Integer z = -1, positions = 0;
  for (Integer i = 0; i < chart->SeriesCount(); ++i) {
    TChartSeries* s = chart->GetSeries(i);
    if (!s->Active() && s != this) continue;
    Integer sz;
    if (s->zOrder_ != -1) {
      sz = s->zOrder_;
      z = std::max(z, sz);
    } else {
      sz = ++z;
    }
    if (s == this && zOrder_ == -1) calcZOrderValue_ = sz;
    positions = std::max(positions, sz + 1);
  }
  const Integer own = zOrder_ == -1 ? calcZOrderValue_ : zOrder_;
  const Integer per = chart->Width3D() / std::max(positions, 1);
  StartZ = own * per;
  EndZ = StartZ + per;
  MiddleZ = (StartZ + EndZ) / 2;
}

bool TChartSeries::MoreSameZOrder() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart || !chart->View3D()) return false;
  for (Integer i = 0; i < chart->SeriesCount(); ++i) {
    TChartSeries* s = chart->GetSeries(i);
    if (s != this && s->Active() && s->MaxZValue() == MaxZValue()) return true;
  }
  return false;
}

std::string TChartSeries::LegendString(Integer ValueIndex, TLegendTextStyle Style) {
  const std::string sep(1, ChartLegendColumnSeparator);
  const Double value = GetMarkValue(ValueIndex);
  const std::string v = FormatValue(value);
  const std::string label = GetValueLabel(ValueIndex);
  auto join = [&](const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + sep + b;
  };
  switch (Style) {
    case ltsPlain: return label;
    case ltsLeftValue: return join(v, label);
    case ltsRightValue: return join(label, v);
    case ltsLeftPercent: return join(PercentText(ValueIndex), label);
    case ltsRightPercent: return join(label, PercentText(ValueIndex));
    case ltsXValue: return XText(ValueIndex);
    case ltsValue:
      return mandatoryList_->DateTime() ? FormatAxisDateTime(ChartShortDateFormat, value) : v;
    case ltsPercent: return PercentText(ValueIndex);
    case ltsXAndValue: return XText(ValueIndex) + sep + v;
    case ltsXAndPercent: return XText(ValueIndex) + sep + PercentText(ValueIndex);
  }
  return v;
}

// ---- legend and gallery ----------------------------------------------------------------

void TChartSeries::PrepareLegendCanvas(Integer ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) {
  (void)ValueIndex;
  (void)BackColor;
  (void)BrushStyle;
}

void TChartSeries::DrawLegendShape(Integer ValueIndex, const TRect& Rect) {
  (void)ValueIndex;
  TCanvas3D* canvas = ParentCanvas();
  if (!canvas) return;
  canvas->DrawBox(Rect.left, Rect.top, Rect.right, Rect.bottom);
  const TColor brushColour = canvas->Brush()->Color();
  if (ParentChart() && brushColour == ParentChart()->LegendColor()) {
    // A symbol in the legend's colour would vanish: draw it solid, outlined.
    const TColor penColour = canvas->Pen()->Color();
    if (brushColour == clBlack) canvas->Pen()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawBox(Rect.left, Rect.top, Rect.right, Rect.bottom);
    canvas->Pen()->SetColor(penColour);
  }
}

void TChartSeries::DrawLegend(Integer ValueIndex, const TRect& Rect) {
  TCanvas3D* canvas = ParentCanvas();
  TCustomAxisPanel* chart = ParentChart();
  if (!canvas || !chart) return;
  if (ValueIndex == -1 && ColorEachPoint()) return;
  canvas->ApplyPen(Pen());
  TColor brushColour = ValueIndex == -1 ? SeriesColor() : LegendItemColor(ValueIndex);
  if (brushColour == clNone) return;

  TColor back = chart->LegendColor();
  TBrushStyle style = bsSolid;
  PrepareLegendCanvas(ValueIndex, back, style);
  if (back == clDefault) {
    back = chart->LegendColor();
    if (back == clDefault) back = chart->Color();
  }
  // The symbol takes the style on a copy: drawing a legend leaves the series' brush as it
  // was.
  TChartBrush brush;
  brush.Assign(Brush());
  TBitmap* image = Brush()->ImageBitmap();
  if (!image || image->Empty()) brush.SetStyle(style);
  if (brush.Style() != bsSolid && brushColour == back) brushColour = back == clBlack ? clWhite : clBlack;
  canvas->ApplyBrush(&brush, brushColour, back);
  DrawLegendShape(ValueIndex, Rect);
}

void TChartSeries::CreateSubGallery(const TChartSubGalleryProc& AddSubChart) { AddSubChart("Normal"); }

// ---- updates and linked series ---------------------------------------------------------

void TChartSeries::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) RefreshSeries();
}

void TChartSeries::RefreshSeries() {
  NotifyValue(veRefresh, 0);
  if (TCustomAxisPanel* chart = ParentChart()) chart->BroadcastSeriesEvent(this, seDataChanged);
}

void TChartSeries::NotifyNewValue(TChartSeries* Sender, Integer ValueIndex) {
  if (OnAfterAdd) OnAfterAdd(Sender, ValueIndex);
  NotifyValue(veAdd, ValueIndex);
  if (Active()) Repaint();
}

void TChartSeries::NotifyValue(TValueEvent Event, Integer ValueIndex) {
  if (updateCount_ > 0) return;
  // A follower may unlink itself while reacting: walk a copy.
  const std::vector<TChartSeries*> followers = linkedSeries_;
  for (TChartSeries* s : followers) {
    // A follower that left its chart waits; joining one refills it.
    if (!s->followsSources_) continue;
    const TSeriesRecalcOptions o = s->recalcOptions_;
    switch (Event) {
      case veClear:
        if (o.Contains(rOnClear)) s->Clear();
        break;
      case veAdd:
        if (o.Contains(rOnInsert) && !s->calcObject_) s->AddFromSource(this, ValueIndex);
        break;
      case veDelete:
        if (o.Contains(rOnDelete) && !s->calcObject_) s->DeleteValue(this, ValueIndex);
        break;
      case veRefresh:
        s->AddValues(this);
        break;
      case veModify:
        if (o.Contains(rOnModify)) s->AddValues(this);
        break;
    }
  }
}

Integer TChartSeries::CopyValuesFrom(TChartSeries* Source, Integer ValueIndex) {
  const bool crosswise = Source->yIsMandatory_ != yIsMandatory_;
  const Double x = (crosswise ? Source->yValues_ : Source->xValues_)->GetValue(ValueIndex);
  const Double y = (crosswise ? Source->xValues_ : Source->yValues_)->GetValue(ValueIndex);
  const Integer index = xValues_->AddValue(x);
  yValues_->InsertValue(index, y);
  for (Integer k = 2; k < valueLists_->Count(); ++k) {
    const Double v = k < Source->valueLists_->Count() ? Source->valueLists_->Get(k)->GetValue(ValueIndex) : 0.0;
    valueLists_->Get(k)->InsertValue(index, v);
  }
  return index;
}

void TChartSeries::AddFromSource(TChartSeries* Source, Integer ValueIndex) {
  const Integer index = CopyValuesFrom(Source, ValueIndex);
  const auto at = static_cast<std::size_t>(index);
  const auto from = static_cast<std::size_t>(ValueIndex);
  const bool sourceColour = Source->colors_ && from < Source->colors_->size();
  if (sourceColour && !colors_) colors_.emplace(static_cast<std::size_t>(Count() - 1), clDefault);
  // Every point needs an entry once the list exists.
  if (colors_)
    colors_->insert(colors_->begin() + static_cast<std::ptrdiff_t>(at),
                    sourceColour ? (*Source->colors_)[from] : clDefault);
  const std::string label = Source->GetValueLabel(ValueIndex);
  if (!label.empty()) {
    if (labels_.size() < at) labels_.resize(at);
    labels_.insert(labels_.begin() + static_cast<std::ptrdiff_t>(at), label);
  } else if (labels_.size() > at) {
    labels_.insert(labels_.begin() + static_cast<std::ptrdiff_t>(at), std::string());
  }
  NotifyNewValue(this, index);
}

void TChartSeries::AddValues(TChartSeries* Source) {
  if (!IsValidSourceOf(Source)) return;
  BeginUpdate();
  Clear();
  if (calcObject_) {
    xValues_->SetDateTime(Source->xValues_->DateTime());
    yValues_->SetDateTime(Source->yValues_->DateTime());
    calcObject_->AddPoints(Source);
  } else {
    for (Integer i = 0; i < Source->Count(); ++i) AddFromSource(Source, i);
  }
  EndUpdate();
}

bool TChartSeries::IsValidSourceOf(TComponent* Value) {
  return Value != this && dynamic_cast<TChartSeries*>(Value) != nullptr;
}

void TChartSeries::CheckDataSource() {
  // The chart decides (a chart class may refill its series its own way).
  TCustomAxisPanel* chart = ParentChart();
  if (chart && !ComponentState().Contains(csLoading)) chart->CheckDatasource(this);
}

void TChartSeries::AddLink(TComponent* Source) {
  dataSources_.push_back(Source);
  if (auto* s = dynamic_cast<TChartSeries*>(Source))
    s->linkedSeries_.push_back(this);
  else
    Source->FreeNotification(this);
}

void TChartSeries::RemoveAllSources() {
  const std::vector<TComponent*> sources = std::move(dataSources_);
  dataSources_.clear();
  for (TComponent* src : sources) {
    if (auto* s = dynamic_cast<TChartSeries*>(src)) {
      auto& l = s->linkedSeries_;
      l.erase(std::remove(l.begin(), l.end(), this), l.end());
    } else {
      src->RemoveFreeNotification(this);
    }
  }
}

void CheckSeriesLoop(TChartSeries* Dest, TChartSeries* Source) {
  if (!Dest || !Source) return;
  // Every source of every series on the walk counts, so that no loop can form through a
  // second source either; each series is visited once.
  std::vector<TChartSeries*> pending{Source};
  std::set<TChartSeries*> seen;
  while (!pending.empty()) {
    TChartSeries* s = pending.back();
    pending.pop_back();
    if (s == Dest) throw ChartException(msg::CircularSeries);
    if (!seen.insert(s).second) continue;
    for (TComponent* src : s->DataSources())
      if (auto* next = dynamic_cast<TChartSeries*>(src)) pending.push_back(next);
  }
}

void TChartSeries::CheckCircular(TChartSeries* Start) {
  if (TCustomAxisPanel* chart = ParentChart())
    chart->CheckOtherSeries(this, Start);
  else
    CheckSeriesLoop(this, Start);
}

void TChartSeries::SetDataSource(TComponent* value) {
  if (!value) {
    if (ParentChart() && DataSource()) ParentChart()->RemovedDataSource(this, DataSource());
    RemoveAllSources();
    if (ComponentState().Contains(csDesigning))
      FillSampleValues(this, NumSampleValues(this));
    else
      Clear();
    Repaint();
    return;
  }
  // While a form is read the chart may not be set yet: the source is only linked, and
  // Loaded refills the series.
  const bool loading = ComponentState().Contains(csLoading);
  if (!ParentChart() && !loading) throw ChartException(msg::NoParentChartForDataSource);
  auto* series = dynamic_cast<TChartSeries*>(value);
  const bool valid = ParentChart() ? ParentChart()->IsValidDataSource(this, value) : series && IsValidSourceOf(value);
  if (!series || !valid) throw CreateFmt<ChartException>(msg::NoValidDataSource, value->Name());
  if (std::find(dataSources_.begin(), dataSources_.end(), value) != dataSources_.end()) return;
  CheckCircular(series);
  if (!loading) RemoveAllSources();
  AddLink(value);
  if (!loading) CheckDataSource();
}

void TChartSeries::SetCalcObject(TChartCalcObject* Obj) {
  if (Obj == calcObject_) return;
  if (calcObject_) {
    TChartCalcObject* old = calcObject_;
    calcObject_ = nullptr;
    old->parentSeries_ = nullptr;
    delete old;
  }
  if (Obj) {
    if (Obj->parentSeries_ && Obj->parentSeries_ != this) Obj->parentSeries_->calcObject_ = nullptr;
    Obj->parentSeries_ = this;
    Obj->FreeNotification(this);
  }
  calcObject_ = Obj;
  CheckDataSource();
}

void TChartSeries::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomChartSeries::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == calcObject_) {
    calcObject_ = nullptr;
    CheckDataSource();
  } else if (AComponent == DataSource()) {
    SetDataSource(nullptr);
  } else {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), AComponent), dataSources_.end());
  }
}

// ---- lists -----------------------------------------------------------------------------

void TChartSeries::SetXValues(TChartValueList* value) {
  xValues_->Assign(value);
  Repaint();
}

void TChartSeries::SetYValues(TChartValueList* value) {
  yValues_->Assign(value);
  Repaint();
}

void TChartSeries::SetYIsMandatory(bool value) {
  yIsMandatory_ = value;
  mandatoryList_ = value ? yValues_ : xValues_;
  secondaryList_ = value ? xValues_ : yValues_;
}

// ---- published -------------------------------------------------------------------------

void TChartSeries::SetSeriesColor(TColor value) {
  if (seriesColor_ == value) return;
  ChangeColor(seriesColor_, value);
  if (TCustomAxisPanel* chart = ParentChart()) chart->BroadcastSeriesEvent(this, seChangeColor);
}

void TChartSeries::SetActive(bool value) {
  if (Active() == value) return;
  TCustomChartSeries::SetActive(value);
  if (TCustomAxisPanel* chart = ParentChart()) chart->BroadcastSeriesEvent(this, seChangeActive);
}

void TChartSeries::SetColorEachPoint(bool value) { ChangeBoolean(colorEachPoint_, value); }

void TChartSeries::SetColorSource(const std::string& value) {
  if (colorSource_ == value) return;
  colorSource_ = value;
  CheckDataSource();
}

void TChartSeries::SetXLabelsSource(const std::string& value) {
  if (xLabelsSource_ == value) return;
  xLabelsSource_ = value;
  CheckDataSource();
}

// ---- assignment and forms --------------------------------------------------------------

void TChartSeries::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TChartSeries*>(source);
  TCustomChartSeries::Assign(source);
  if (!src) return;
  SetDataSource(nullptr);
  if (src->yIsMandatory_ != yIsMandatory_) {
    xValues_->Assign(src->yValues_);
    yValues_->Assign(src->xValues_);
  } else {
    xValues_->Assign(src->xValues_);
    yValues_->Assign(src->yValues_);
  }
  xLabelsSource_ = src->xLabelsSource_;
  colorSource_ = src->colorSource_;
  const Integer lastExtra = std::min(valueLists_->Count(), src->valueLists_->Count());
  for (Integer k = 2; k < lastExtra; ++k) valueLists_->Get(k)->Assign(src->valueLists_->Get(k));
  if (!calcObject_ && src->calcObject_) {
    auto* copy = static_cast<TChartCalcObject*>(src->calcObject_->ClassType().Create(nullptr));
    copy->Assign(src->calcObject_);
    SetCalcObject(copy);
  }
  if (!src->dataSources_.empty()) {
    for (TComponent* s : src->dataSources_) {
      if (std::find(dataSources_.begin(), dataSources_.end(), s) != dataSources_.end()) continue;
      if (auto* series = dynamic_cast<TChartSeries*>(s)) {
        if (series == this) continue;
        CheckCircular(series);
      }
      AddLink(s);
    }
  } else if (!src->ComponentState().Contains(csDesigning)) {
    AddValues(src);
  }
  marks_->Assign(src->marks_.get());
  seriesColor_ = src->seriesColor_;
  colorEachPoint_ = src->colorEachPoint_;
  valueFormat_ = src->valueFormat_;
  percentFormat_ = src->percentFormat_;
  horizAxis_ = src->horizAxis_;
  vertAxis_ = src->vertAxis_;
  recalcOptions_ = src->recalcOptions_;
  cursor_ = src->cursor_;
  depth_ = src->depth_;
  RecalcGetAxis();
  CheckDataSource();
}

void TChartSeries::DefineProperties(TFiler* filer) {
  TCustomChartSeries::DefineProperties(filer);
  filer->DefineProperty(
      "DataSources",
      [this](TReader& reader) {
        pendingSourceNames_.clear();
        reader.ReadListBegin();
        while (!reader.EndOfList()) pendingSourceNames_.push_back(reader.ReadString());
        reader.ReadListEnd();
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (TComponent* s : dataSources_) writer.WriteString(s->Name());
        writer.WriteListEnd();
      },
      dataSources_.size() > 1);
  // Custom axes by their index in the chart's custom axes; the chart may not be known
  // yet while a form is read, so the index waits for it.
  auto defineAxis = [&](const char* name, TChartAxis* axis, Integer& pending) {
    filer->DefineProperty(
        name,
        [this, &pending](TReader& reader) {
          const Integer index = reader.ReadInteger();
          pending = index < 0 ? -1 : index;
          ResolveCustomAxes();
        },
        [axis](TWriter& writer) { writer.WriteInteger(axis->Index()); },
        axis != nullptr && ParentChart() && axis->Collection() == ParentChart()->CustomAxes());
  };
  defineAxis("CustomHorizAxis", customHorizAxis_, pendingCustomAxis_[0]);
  defineAxis("CustomVertAxis", customVertAxis_, pendingCustomAxis_[1]);
}

void TChartSeries::ResolveCustomAxes() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) return;
  TChartCustomAxes* axes = chart->CustomAxes();
  // An index the chart does not have leaves the series on its standard axis.
  for (int k = 0; k < 2; ++k) {
    const Integer index = pendingCustomAxis_[k];
    if (index < 0 || index >= axes->Count()) continue;
    pendingCustomAxis_[k] = -1;
    if (k == 0)
      SetCustomHorizAxis(axes->Axis(index));
    else
      SetCustomVertAxis(axes->Axis(index));
  }
}

void TChartSeries::Loaded() {
  TCustomChartSeries::Loaded();
  ResolveCustomAxes();
  pendingCustomAxis_[0] = pendingCustomAxis_[1] = -1;
  if (!pendingSourceNames_.empty()) {
    RemoveAllSources();
    for (const std::string& name : pendingSourceNames_) {
      TComponent* found = Owner() ? Owner()->FindComponent(name) : nullptr;
      if (!found || found == this) continue;
      // A source read by name may already follow this series: refuse the loop as a
      // published DataSource would be refused.
      if (auto* series = dynamic_cast<TChartSeries*>(found)) CheckCircular(series);
      AddLink(found);
    }
    pendingSourceNames_.clear();
  }
  CheckDataSource();
}
