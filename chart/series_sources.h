#pragma once
// Sample values: the points a series shows at design time while it has no data of its
// own, and in series galleries.
//
// The fill itself is a per-class hook (the series classes that draw register theirs),
// found by walking the series' class chain; TChartSeries has a general one: a random walk
// over the ranges of RandomBounds.
//
// The data sources a series follows (DataSource, DataSources, LinkedSeries, NotifyValue,
// AddValues) are the series' own operations (chart_series.h).
#include <functional>

#include "chart/chart_series.h"

namespace msg {
inline constexpr const char* FillSampleValuesNumValues = "FillSampleValues NumValues must be > 0";
}  // namespace msg

// The ranges sample values are drawn from.
struct TSeriesRandomBounds {
  Double StartX = 0;  // X of the first point
  Double StepX = 0;   // X distance between points (0 with a single point)
  Double MinY = 0;
  Double DifY = 0;    // Y spread, 0 .. 2147483647
};

// From the chart's axes when the chart already shows values (an empty Y range taken as
// 0 .. 1000), else X from 0 (today for date-time X values) in steps of 1 and Y 0 .. 1000.
// An axis whose automatic range was never worked out (the chart not yet drawn) gives the
// defaults for its direction.
TSeriesRandomBounds RandomBounds(TChartSeries* Series, Integer NumValues);

// A random walk through RandomBounds: each step moves Y by up to a fifth of the spread,
// kept inside it. The sample fill of TChartSeries.
void AddRandomWalk(TChartSeries* Series, Integer NumValues);

// The generator sample values draw from; FillSampleValues seeds it from the process-wide
// generator, so the same run-time seed gives the same samples.
extern Cardinal ChartSampleSeed;
// A value in [0, Limit) for Limit > 0; 0 otherwise.
Integer ChartSampleRandom(Integer Limit);

struct TSampleValuesHooks {
  // Adds NumValues sample points (the series was cleared and is updating).
  std::function<void(TChartSeries* Series, Integer NumValues)> AddSampleValues;
  // How many points a design-time sample has.
  Integer NumSampleValues = 25;
};

// The hooks of Class and its descendants that register none of their own.
void RegisterSampleValues(const TClass& Class, TSampleValuesHooks Hooks);
void UnRegisterSampleValues(const TClass& Class);

// The hooks found along the series' class chain.
void AddSampleValues(TChartSeries* Series, Integer NumValues);
Integer NumSampleValues(TChartSeries* Series);

// NumValues < 1 raises ChartException "FillSampleValues NumValues must be > 0" and
// changes nothing. Else: clear, seed the sample generator from Random(7774444), add the
// samples while updating, sort by an ordered secondary list; the series' final update
// refreshes the series that follow it.
void FillSampleValues(TChartSeries* Series, Integer NumValues);
