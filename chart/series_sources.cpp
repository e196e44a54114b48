#include "chart/series_sources.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/value_list.h"
#include "platform/classlib/random.h"

Cardinal ChartSampleSeed = 0;

Integer ChartSampleRandom(Integer Limit) {
  // The process-wide generator's rule, on the samples' own seed.
  ChartSampleSeed = ChartSampleSeed * 134775813u + 1u;
  if (Limit <= 0) return 0;
  return static_cast<Integer>((static_cast<std::uint64_t>(static_cast<Cardinal>(Limit)) * ChartSampleSeed) >> 32);
}

namespace {

// Days since 30 December 1899, the date-time origin.
Double Today() {
  using namespace std::chrono;
  const auto days = floor<std::chrono::days>(system_clock::now()).time_since_epoch().count();
  return static_cast<Double>(days) + 25569.0;
}

constexpr Double kMaxSpread = 2147483647.0;

// Whether some other active series of the chart has points to take the ranges from.
bool ChartShowsValues(TCustomAxisPanel* Chart, TChartSeries* Self) {
  for (Integer i = 0; i < Chart->SeriesCount(); ++i) {
    TChartSeries* s = Chart->GetSeries(i);
    if (s != Self && s->Active() && s->Count() > 0) return true;
  }
  return false;
}

std::map<const TClass*, TSampleValuesHooks>& Hooks() {
  static std::map<const TClass*, TSampleValuesHooks> hooks;
  return hooks;
}

const TSampleValuesHooks* HooksOf(TChartSeries* Series) {
  auto& hooks = Hooks();
  for (const TClass* c = &Series->ClassType(); c; c = c->ClassParent()) {
    auto it = hooks.find(c);
    if (it != hooks.end()) return &it->second;
  }
  return nullptr;
}

}  // namespace

void AddRandomWalk(TChartSeries* Series, Integer NumValues) {
  const TSeriesRandomBounds b = RandomBounds(Series, NumValues);
  const Integer spread = static_cast<Integer>(b.DifY);
  Double y = b.MinY + ChartSampleRandom(spread);
  for (Integer i = 0; i < NumValues; ++i) {
    const Integer step = spread / 5;
    y += ChartSampleRandom(step + 1) - step / 2;
    y = std::clamp(y, b.MinY, b.MinY + b.DifY);
    Series->AddXY(b.StartX + b.StepX * i, y);
  }
}

namespace {

const bool defaultHooksRegistered = (RegisterSampleValues(TChartSeries::StaticClass(), {&AddRandomWalk, 25}), true);

}  // namespace

TSeriesRandomBounds RandomBounds(TChartSeries* Series, Integer NumValues) {
  TSeriesRandomBounds b;
  Double minX = 0;
  Double maxX = 0;
  Double minY = 0;
  Double maxY = 1000;
  TCustomAxisPanel* chart = Series->ParentChart();
  TChartAxis* h = Series->GetHorizAxis();
  TChartAxis* v = Series->GetVertAxis();
  // An automatic axis of a chart never drawn has no range yet (0 .. 0): not one it shows.
  const bool shows = chart && h && v && ChartShowsValues(chart, Series);
  if (shows && h->LimitsKnown()) {
    minX = h->Minimum();
    maxX = h->Maximum();
  } else {
    minX = Series->XValues()->DateTime() ? Today() : 0;
    maxX = minX + std::max(NumValues - 1, 0);
  }
  if (shows && v->LimitsKnown()) {
    minY = v->Minimum();
    maxY = v->Maximum();
    if (maxY - minY == 0) {
      minY = 0;
      maxY = 1000;
    }
  }
  b.StartX = minX;
  // A single point has no step to take: it sits at the start.
  b.StepX = NumValues > 1 ? (maxX - minX) / (NumValues - 1) : 0;
  b.MinY = std::min(minY, maxY);
  b.DifY = std::min(std::fabs(maxY - minY), kMaxSpread);
  return b;
}

void RegisterSampleValues(const TClass& Class, TSampleValuesHooks Value) { Hooks()[&Class] = std::move(Value); }

void UnRegisterSampleValues(const TClass& Class) { Hooks().erase(&Class); }

void AddSampleValues(TChartSeries* Series, Integer NumValues) {
  const TSampleValuesHooks* hooks = HooksOf(Series);
  if (hooks && hooks->AddSampleValues) hooks->AddSampleValues(Series, NumValues);
}

Integer NumSampleValues(TChartSeries* Series) {
  const TSampleValuesHooks* hooks = HooksOf(Series);
  return hooks ? hooks->NumSampleValues : 25;
}

void FillSampleValues(TChartSeries* Series, Integer NumValues) {
  if (NumValues < 1) throw ChartException(msg::FillSampleValuesNumValues);
  Series->Clear();
  Series->BeginUpdate();
  try {
    ChartSampleSeed = static_cast<Cardinal>(Random(7774444));
    AddSampleValues(Series, NumValues);
    if (Series->SecondaryList()->Order() != loNone) {
      Series->SecondaryList()->Sort();
      Series->RefreshSeries();
      Series->Repaint();
    }
  } catch (...) {
    Series->EndUpdate();
    throw;
  }
  Series->EndUpdate();
}

void TChartSeries::PrepareForGallery(bool Enabled) {
  FillSampleValues(this, 4);
  marks_->Hide();
  marks_->Font()->SetSize(7);
  marks_->SetArrowLength(4);
  marks_->SetDrawEvery(2);
  SetColorEachPoint(false);
  if (!Enabled) SetSeriesColor(clSilver);
}
