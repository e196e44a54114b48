// The room an axis takes beside the plotting rectangle, and its drawing: grid, line,
// ticks, minor ticks, labels and title.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <utility>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_utils.h"
#include "platform/classlib/math_utils.h"

namespace {

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find(ChartLineSeparator, start);
    lines.push_back(Text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

Integer TChartAxis::Outward() const {
  if (horizontal_) return otherSide_ ? -1 : 1;
  return otherSide_ ? 1 : -1;
}

Integer TChartAxis::TitleRoom() {
  if (!title_->Visible() || title_->Caption().empty()) return 0;
  if (titleSize_ > 0) return titleSize_;
  TChartCanvas3D* canvas = parentChart_ ? parentChart_->Canvas() : nullptr;
  if (!canvas || !canvas->ReferenceCanvas()) return 0;
  canvas->ApplyFont(title_->Font());
  const Integer angle = title_->Angle();
  const bool upright = angle == 90 || angle == 270;
  const bool flat = angle == 0 || angle == 180;
  const Integer height = canvas->LineHeight();
  const Integer width = canvas->MeasureTextWidth(title_->Caption());
  if (horizontal_) return upright ? width : height;
  return flat ? width : height;
}

void TChartAxis::MeasureLabels() {
  labelsRoom_ = 0;
  labelsOverhang_ = 0;
  if (!labels_) return;
  // A fixed size holds the room even when there is nothing to label.
  labelsRoom_ = std::max<Integer>(labelsSize_, 0);
  const TAxisLabelStyle style = CalcLabelStyle();
  if (style == talNone) return;
  const bool upright = labelsAngle_ == 90 || labelsAngle_ == 270;
  const bool flat = labelsAngle_ == 0 || labelsAngle_ == 180;
  const bool acrossIsHeight = (horizontal_ && flat) || (!horizontal_ && upright);

  std::vector<std::string> texts;
  bool addBlank = false;
  if (style == talValue) {
    Double low = RangeMin;
    Double high = RangeMax;
    const Double step = LabelStep();
    if ((roundFirstLabel_ || (ShowsDates && exactDateTime_)) && step > 0 && std::isfinite(step)) {
      low = std::trunc(low / step) * step;
      high = std::trunc(high / step) * step;
    }
    // Measured as the axis prints them, without the chart's label hook.
    const bool saved = eventsOff_;
    eventsOff_ = true;
    texts.push_back(LabelText(low));
    texts.push_back(LabelText(high));
    eventsOff_ = saved;
    addBlank = true;
  } else {
    for (const TPointLabel& label : PointLabels(style)) texts.push_back(label.Text);
  }

  // A label's block, turned by the labels' angle, is centred on its position: half its
  // extent along the axis hangs past an end, rounded up as its corner is placed (a
  // slanted block's corners round once more).
  const Integer slack = labelsAngle_ % 90 == 0 ? 0 : 1;
  const Double rad = labelsAngle_ * std::numbers::pi / 180.0;
  const Double c = std::fabs(std::cos(rad));
  const Double s = std::fabs(std::sin(rad));
  Integer room = 0;
  for (const std::string& text : texts) {
    const Integer w = TextWidth(text);
    const Integer h = TextHeight(text);
    room = std::max(room, acrossIsHeight ? h : w);
    const Double along = horizontal_ ? w * c + h * s : w * s + h * c;
    labelsOverhang_ = std::max(labelsOverhang_, static_cast<Integer>(std::ceil(along / 2 - 1e-9)) + slack);
  }
  if (addBlank && !acrossIsHeight) room += TextWidth(" ");
  if (labelsSize_ <= 0) labelsRoom_ = room;
}

void TChartAxis::ReserveSpace(TRect& Rect, bool Inflate) {
  // The depth axis takes its room on the right, as a right axis would: its labels stand
  // beside the floor's right edge.
  ShowsDates = IsDateTime();
  titleRoom_ = TitleRoom();
  MeasureLabels();
  const Integer tickRoom = tickLength_;
  const Integer o = Outward();

  // PositionPercent moves the axis into the chart by a share of its other dimension.
  const Integer other = horizontal_ ? (Rect.bottom - Rect.top) : (Rect.right - Rect.left);
  Integer shift = static_cast<Integer>(Round(0.01 * positionPercent_ * other));
  if (otherSide_) shift = -shift;
  if (horizontal_) shift = -shift;

  Integer* edge;
  if (horizontal_)
    edge = otherSide_ ? &Rect.top : &Rect.bottom;
  else
    edge = otherSide_ ? &Rect.right : &Rect.left;

  if (Inflate) {
    // Bands are taken from the outside in: title, labels, ticks. Each pixel is the
    // band's edge nearest the plotting area.
    TitlePixel = *edge - o * titleRoom_ + shift;
    LabelsPixel = *edge - o * (titleRoom_ + labelsRoom_) + shift;
    *edge -= o * (titleRoom_ + labelsRoom_ + tickRoom);
  } else {
    LinePixel = *edge + shift;
    LabelsPixel = LinePixel + o * tickRoom;
    TitlePixel = LabelsPixel + o * labelsRoom_;
  }
}

bool TChartAxis::HitTest(Integer X, Integer Y) {
  if (!visible_) return false;
  const Integer lo = std::min(StartPixel, EndPixel);
  const Integer hi = std::max(StartPixel, EndPixel);
  const Integer o = Outward();
  // From 3 pixels inside the line to the outer edge of the labels, both ends included.
  const Integer a = LinePixel - 3 * o;
  const Integer b = LabelsPixel + o * labelsRoom_;
  const Integer nearEdge = std::min(a, b), farEdge = std::max(a, b);
  // The band is found where it is drawn: in the front plane (the depth axis: on the
  // floor) as the canvas projects it.
  TChartCanvas3D* canvas = parentChart_ ? parentChart_->Canvas() : nullptr;
  const Integer floor = parentChart_ ? parentChart_->ChartRect().bottom : 0;
  auto at = [&](Integer along, Integer across) {
    TPoint s = horizontal_ ? TPoint{along, across} : TPoint{across, along};
    Integer z = 0;
    if (depthAxis_) {
      s = TPoint{across, floor};
      z = along;
    }
    return canvas ? canvas->SpaceToScreen(s.x, s.y, z) : s;
  };
  const TPoint p{X, Y};
  const TPoint band[4] = {at(lo, nearEdge), at(hi + 1, nearEdge), at(hi + 1, farEdge + 1), at(lo, farEdge + 1)};
  if (InsidePolygon(p, band)) return true;
  // A band the view squeezes thin keeps its line.
  if (!parentChart_ || !parentChart_->View3D()) return false;
  const TPoint from = at(lo, LinePixel), to = at(hi, LinePixel);
  return NearLine(p, from.x, from.y, to.x, to.y);
}

// ---- drawing ----------------------------------------------------------------------------

void TChartAxis::DrawTextBlock(Integer Along, Integer Edge, Integer Room, bool Opposite, const std::string& Text,
                               Integer Angle) {
  TChartCanvas3D* canvas = parentChart_->Canvas();
  const std::vector<std::string> lines = SplitLines(Text);
  const Integer lineHeight = canvas->LineHeight();
  std::vector<Integer> widths;
  Integer w = 0;
  for (const std::string& line : lines) {
    widths.push_back(canvas->MeasureTextWidth(line));
    w = std::max(w, widths.back());
  }
  const Integer h = lineHeight * static_cast<Integer>(lines.size());

  // The block's corners relative to its unrotated top-left, turned counter-clockwise.
  const Double rad = Angle * std::numbers::pi / 180.0;
  const Double c = std::cos(rad);
  const Double s = std::sin(rad);
  const Double xs[4] = {0, w * c, h * s, w * c + h * s};
  const Double ys[4] = {0, -w * s, h * c, -w * s + h * c};
  const Double minX = *std::min_element(xs, xs + 4);
  const Double maxX = *std::max_element(xs, xs + 4);
  const Double minY = *std::min_element(ys, ys + 4);
  const Double maxY = *std::max_element(ys, ys + 4);

  const Integer o = Outward();
  // The side of the block that touches the band: the inner edge, or the outer one.
  const Double target = Opposite ? Edge + o * Room : Edge;
  const bool nearSideIsMin = (o > 0) != Opposite;
  Double ox;
  Double oy;
  if (horizontal_) {
    ox = Along - (minX + maxX) / 2;
    oy = target - (nearSideIsMin ? minY : maxY);
  } else {
    oy = Along - (minY + maxY) / 2;
    ox = target - (nearSideIsMin ? minX : maxX);
  }

  // The block hangs from the middle of its side that touches the band: that point is
  // projected, the block is laid out flat around it (scaled as the text is), so a turned
  // or zoomed view keeps the labels off the axis, its ticks and the walls.
  const TPoint anchor = horizontal_ ? TPoint{Along, static_cast<Integer>(std::lround(target))}
                                    : TPoint{static_cast<Integer>(std::lround(target)), Along};
  const TPoint screen = canvas->SpaceToScreen(anchor.x, anchor.y, 0);
  const Double zoom = canvas->TextZoom();
  auto put = [&](Double x, Double y, const std::string& line, Integer angle) {
    canvas->ZoomedText(screen.x + static_cast<Integer>(std::lround((x - anchor.x) * zoom)),
                       screen.y + static_cast<Integer>(std::lround((y - anchor.y) * zoom)), line, angle);
  };
  canvas->WriteBackMode(cbmTransparent);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Double step = static_cast<Double>(lineHeight) * static_cast<Double>(i);
    if (Angle == 0) {
      // Lines line up with the axis: centred along horizontal axes, flush towards the
      // line on vertical ones.
      Integer x = static_cast<Integer>(std::lround(ox));
      if (horizontal_)
        x += (w - widths[i]) / 2;
      else if (!nearSideIsMin)
        x += w - widths[i];
      put(x, static_cast<Integer>(std::lround(oy + step)), lines[i], 0);
    } else {
      put(static_cast<Integer>(std::lround(ox + step * s)), static_cast<Integer>(std::lround(oy + step * c)), lines[i],
          Angle);
    }
  }
}

// Axis lines and ticks lie in the front plane (depth 0), projected like the walls.
void TChartAxis::DrawTickLine(Integer Pos, Integer From, Integer To) {
  TChartCanvas3D* canvas = parentChart_->Canvas();
  if (horizontal_)
    canvas->DrawLineAtDepth(Pos, From, Pos, To, 0);
  else
    canvas->DrawLineAtDepth(From, Pos, To, Pos, 0);
}

void TChartAxis::DrawGridLine(Integer Pos) {
  const TRect& r = parentChart_->ChartRect();
  TChartCanvas3D* canvas = parentChart_->Canvas();
  const Integer back = parentChart_->View3D() ? parentChart_->Width3D() : 0;
  if (back == 0) {
    if (horizontal_)
      DrawTickLine(Pos, r.top, r.bottom);
    else
      DrawTickLine(Pos, r.left, r.right);
    return;
  }
  // In 3D along the axis' own wall (floor, ceiling or side) to the back wall, then
  // across the back wall.
  if (horizontal_) {
    canvas->ZLine3D(Pos, LinePixel, 0, back);
    canvas->DrawLineAtDepth(Pos, r.top, Pos, r.bottom, back);
  } else {
    canvas->ZLine3D(LinePixel, Pos, 0, back);
    canvas->DrawLineAtDepth(r.left, Pos, r.right, Pos, back);
  }
}

std::vector<Integer> TChartAxis::MinorTickPositions(const std::vector<Integer>& Positions,
                                                    const std::vector<Double>& Values) const {
  std::vector<Integer> found;
  if (minorTickCount_ < 1 || Positions.empty()) return found;
  const Integer lo = std::min(StartPixel, EndPixel);
  const Integer hi = std::max(StartPixel, EndPixel);
  const Double parts = static_cast<Double>(minorTickCount_) + 1;
  if (logarithmic_) {
    // Equal value steps from each tick value to the next power of the base, and below
    // the lowest one. Only the steps on the axis are worked out, at most one a pixel of
    // the part of the axis they cover: a narrow range or a huge count costs nothing more.
    const Double base = logarithmicBase_;
    std::vector<Double> starts(Values.begin(), Values.end());
    if (!Values.empty()) starts.push_back(*std::min_element(Values.begin(), Values.end()) / base);
    const Double low = std::min(RangeMin, RangeMax), high = std::max(RangeMin, RangeMax);
    for (Double v : starts) {
      if (!(v > 0) || !std::isfinite(v * base)) continue;
      const Double a = std::max(v, low), b = std::min(v * base, high);
      if (!(a < b)) continue;
      const Double delta = (v * base - v) / parts;
      const Double first = std::max(1.0, std::ceil((a - v) / delta));
      const Double last = std::min(parts - 1, std::floor((b - v) / delta));
      if (!(first <= last)) continue;
      const Double pixels = std::max(1, std::abs(ValueToPos(b) - ValueToPos(a)));
      const Double stride = std::ceil((last - first + 1) / pixels);
      for (Double k = first; k <= last; k += stride) found.push_back(ValueToPos(v + k * delta));
    }
  } else {
    if (Positions.size() < 2) return found;
    // At most one minor tick a pixel: a huge count would only cost time.
    auto partsOver = [parts](Double Pixels) {
      return static_cast<Integer>(std::min(parts, std::max(1.0, std::floor(std::fabs(Pixels)))));
    };
    std::vector<Integer> sorted = Positions;
    std::sort(sorted.begin(), sorted.end());
    Double gap = 0;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      const Double span = static_cast<Double>(sorted[i]) - sorted[i - 1];
      const Integer n = partsOver(span);
      gap = span / n;
      for (Integer k = 1; k < n; ++k) found.push_back(sorted[i - 1] + static_cast<Integer>(Round(k * gap)));
    }
    // The same spacing continues beyond the first and last ticks.
    if (gap > 0) {
      for (Integer k = 1; k < MaxAxisTicks && sorted.front() - k * gap > lo; ++k)
        found.push_back(static_cast<Integer>(Round(sorted.front() - k * gap)));
      for (Integer k = 1; k < MaxAxisTicks && sorted.back() + k * gap < hi; ++k)
        found.push_back(static_cast<Integer>(Round(sorted.back() + k * gap)));
    }
  }
  return found;
}

void TChartAxis::DrawMinorTicks(const std::vector<Integer>& Positions, const std::vector<Double>& Values) {
  const Integer lo = std::min(StartPixel, EndPixel);
  const Integer hi = std::max(StartPixel, EndPixel);
  std::vector<Integer> minors;
  std::set<Integer> taken;
  for (Integer p : MinorTickPositions(Positions, Values))
    if (p > lo && p < hi && static_cast<Integer>(minors.size()) < MaxAxisTicks && taken.insert(p).second)
      minors.push_back(p);
  TChartCanvas3D* canvas = parentChart_->Canvas();
  if (minorGrid_->Visible()) {
    canvas->ApplyPen(minorGrid_.get());
    for (Integer p : minors) DrawGridLine(p);
  }
  if (minorTicks_->Visible() && minorTickLength_ != 0) {
    canvas->ApplyPen(minorTicks_.get());
    const Integer o = Outward();
    for (Integer p : minors) DrawTickLine(p, LinePixel, LinePixel + o * minorTickLength_);
  }
}

void TChartAxis::DrawAxis(bool CalcPosAxis) {
  if (!parentChart_) return;
  TChartCanvas3D* canvas = parentChart_->Canvas();
  if (!canvas || !canvas->ReferenceCanvas()) return;
  ShowsDates = IsDateTime();
  if (CalcPosAxis) {
    TRect r = parentChart_->ChartRect();
    ReserveSpace(r, false);
  }

  // What to label, and where.
  ticks_.clear();
  std::vector<Double> tickValues;
  struct Pending {
    Integer Pos;
    std::string Text;
  };
  std::vector<Pending> labels;
  auto addTick = [&](Integer p, Double v) {
    if (static_cast<Integer>(ticks_.size()) >= MaxAxisTicks) return;
    ticks_.push_back(p);
    tickValues.push_back(v);
  };
  const TAxisLabelStyle style = CalcLabelStyle();
  if (style == talValue) {
    for (Double v : LabelValues()) {
      const Integer p = ValueToPos(v);
      if (!labelsOnAxis_ && (p <= StartPixel || p >= EndPixel)) continue;
      if (!tickOnLabelsOnly_) addTick(p, v);
      if (labels_) {
        labels.push_back({p, LabelText(v)});
        if (tickOnLabelsOnly_) addTick(p, v);
      }
    }
  } else if (style == talMark || style == talText) {
    for (TPointLabel& label : PointLabels(style)) {
      if (!labelsOnAxis_ && (label.Pos <= StartPixel || label.Pos >= EndPixel)) continue;
      if (!tickOnLabelsOnly_) addTick(label.Pos, label.Value);
      if (labels_) {
        labels.push_back({label.Pos, std::move(label.Text)});
        if (tickOnLabelsOnly_) addTick(label.Pos, label.Value);
      }
    }
  }

  if (depthAxis_) {
    std::vector<std::pair<Integer, std::string>> texts;
    for (Pending& label : labels) texts.emplace_back(label.Pos, std::move(label.Text));
    DrawDepthParts(texts);
    return;
  }

  const Integer o = Outward();
  // Grid behind everything else of the axis.
  if (grid_->Visible()) {
    canvas->ApplyPen(grid_.get(), grid_->Color() == clDefault ? clGray : grid_->Color());
    if (gridCentered_) {
      for (std::size_t i = 1; i < ticks_.size(); ++i)
        DrawGridLine(static_cast<Integer>(Round((static_cast<Double>(ticks_[i]) + ticks_[i - 1]) * 0.5)));
    } else {
      for (Integer p : ticks_) DrawGridLine(p);
    }
  }
  if (axis_->Visible()) {
    canvas->ApplyPen(axis_.get());
    if (horizontal_)
      canvas->DrawLineAtDepth(StartPixel, LinePixel, EndPixel, LinePixel, 0);
    else
      canvas->DrawLineAtDepth(LinePixel, StartPixel, LinePixel, EndPixel, 0);
  }
  if (ticksPen_->Visible() && tickLength_ != 0) {
    canvas->ApplyPen(ticksPen_.get());
    for (Integer p : ticks_) DrawTickLine(p, LinePixel, LinePixel + o * tickLength_);
  }
  if (ticksInner_->Visible() && tickInnerLength_ != 0) {
    canvas->ApplyPen(ticksInner_.get());
    for (Integer p : ticks_) DrawTickLine(p, LinePixel, LinePixel - o * tickInnerLength_);
  }
  DrawMinorTicks(ticks_, tickValues);

  if (!labels.empty()) {
    canvas->ApplyFont(labelsFont_.get());
    for (const Pending& label : labels)
      DrawTextBlock(label.Pos, LabelsPixel, labelsRoom_, labelsAlign_ == alOpposite, label.Text, labelsAngle_);
  }
  if (title_->Visible() && !title_->Caption().empty()) {
    canvas->ApplyFont(title_->Font());
    DrawTextBlock(CenterPixel, TitlePixel, titleRoom_, false, title_->Caption(), title_->Angle());
  }
}

void TChartAxis::DrawDepthParts(const std::vector<std::pair<Integer, std::string>>& Labels) {
  // Along the floor's right edge, from the front (StartPixel) to the back (EndPixel):
  // grid across the floor and up the left wall, the line, ticks and labels outward.
  TChartCanvas3D* canvas = parentChart_->Canvas();
  const TRect& r = parentChart_->ChartRect();
  const Integer y = r.bottom;
  const Integer o = Outward();
  if (grid_->Visible()) {
    canvas->ApplyPen(grid_.get(), grid_->Color() == clDefault ? clGray : grid_->Color());
    for (Integer z : ticks_) {
      canvas->DrawLineAtDepth(r.left, y, r.right, y, z);
      canvas->DrawLineAtDepth(r.left, r.top, r.left, y, z);
    }
  }
  if (axis_->Visible()) {
    canvas->ApplyPen(axis_.get());
    canvas->ZLine3D(LinePixel, y, StartPixel, EndPixel);
  }
  if (ticksPen_->Visible() && tickLength_ != 0) {
    canvas->ApplyPen(ticksPen_.get());
    for (Integer z : ticks_) canvas->DrawLineAtDepth(LinePixel, y, LinePixel + o * tickLength_, y, z);
  }
  canvas->WriteBackMode(cbmTransparent);
  // Each text starts at its projected place, its first line centred on the edge.
  auto put = [&](Integer X, Integer Z, const std::string& Text) {
    const TPoint p = canvas->SpaceToScreen(X, y, Z);
    const std::vector<std::string> lines = SplitLines(Text);
    const Integer h = canvas->LineHeight();
    for (std::size_t i = 0; i < lines.size(); ++i)
      canvas->DrawText(p.x, p.y - h / 2 + static_cast<Integer>(i) * h, lines[i]);
  };
  if (!Labels.empty()) {
    canvas->ApplyFont(labelsFont_.get());
    for (const auto& [z, text] : Labels) put(LabelsPixel, z, text);
  }
  if (title_->Visible() && !title_->Caption().empty()) {
    canvas->ApplyFont(title_->Font());
    put(TitlePixel, CenterPixel, title_->Caption());
  }
}
