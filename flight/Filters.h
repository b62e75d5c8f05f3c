// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include <QList>
#include <QPointF>

#include "flight/FlightData.h"

namespace hypsor {

// The smoothing filters: a slope-limited first cut, then nine passes of building a doubly
// averaged reference curve and cutting every sample that strays too far from it. Cut samples are
// replaced by the straight line between the nearest accepted samples. All arithmetic is on whole
// decimetres; divisions truncate toward zero, sums are exact.

// The four values the user sets in the filter window, copied from the settings record when a
// filter button is pressed. Any value is accepted; see the stages for out-of-range ones.
struct FilterParams {
  std::int32_t PreCutCm = 350;          // slope step of SlopeCut: PreCutCm / 10 dm per sample
  std::int32_t FinalCutCm = 250;        // ReferenceCut tolerance: / 5 dm first pass, / 10 after
  std::int32_t PreFilterWindow = 8;     // backward reach of WindowAverage, samples
  std::int32_t FinalFilterWindow = 12;  // largest backward reach of RampedAverage, samples
};

// Flights shorter than this are not filtered.
inline constexpr int FilterMinimumSamples = 32;
// At most this many samples fit a table together with the end marker.
inline constexpr int FilterMaximumSamples = AltitudeTableSize - 1;
// The ramped average copies this many leading entries and starts its ramp here.
inline constexpr int RampStart = 42;
inline constexpr int SlopeCutRunLength = 21;      // candidates tried before a SlopeCut restart
inline constexpr int ReferenceCutRunLength = 46;  // candidates tried before a ReferenceCut restart
inline constexpr int FilterPasses = 9;

// The working tables, 8000 entries each. Allocate once (about 128 KB) and reuse for every run;
// each run overwrites them. After a run, entry n of every table holds the end marker.
struct FilterTables {
  AltitudeTableArray FilterSource;     // copy of the flight; never changed by the chain
  AltitudeTableArray FilterResult;     // what the cuts edit; the filtered curve at the end
  AltitudeTableArray StageOneAverage;  // first moving average of FilterResult
  AltitudeTableArray ReferenceCurve;   // ramped average of StageOneAverage
};

// Window lengths actually used for n samples (n >= 2). A window of 0 or less means "as little
// averaging as possible" and becomes 1; a window reaching past the flight becomes n - 1, which
// for the ramped average is exactly what an unlimited ramp would do.
std::int32_t EffectivePreFilterWindow(std::int32_t window, int n);
std::int32_t EffectiveFinalFilterWindow(std::int32_t window, int n);

// The stages. n is the number of samples (entries before the end marker), clamped to
// 0..FilterMaximumSamples; each stage writes the end marker at n of its output. Input and output
// must be different tables except for SlopeCut and ReferenceCut, whose output may be the source.
// Nothing is read or written past entry n.

// result := source, then cut samples whose mean change since the last accepted one is not below
// PreCutCm / 10 dm per sample (the allowance grows by 3 dm per sample at every restart).
// replaced, when given, receives the samples the cut put on a straight line (not the accepted
// samples that end each line), in increasing order.
void SlopeCut(const AltitudeTableArray& source, int n, const FilterParams& params,
              AltitudeTableArray& result, std::vector<int>* replaced = nullptr);
// Moving mean over [i - w, i + ahead - 1], ahead = w + w/2 - w/5; entries below w copied.
void WindowAverage(const AltitudeTableArray& input, int n, const FilterParams& params,
                   AltitudeTableArray& stageOne);
// Moving mean whose window widens by one each side per sample from position 42 on, up to
// FinalFilterWindow behind and ahead2 - 1 in front; entries 0..41 copied.
void RampedAverage(const AltitudeTableArray& stageOne, int n, const FilterParams& params,
                   AltitudeTableArray& reference);
// result := source, then cut samples farther from the reference than t0 plus the reference's own
// movement since the last accepted sample; a run of 46 rejections widens the tolerance by 1 dm.
void ReferenceCut(const AltitudeTableArray& source, const AltitudeTableArray& reference, int n,
                  std::int32_t t0, AltitudeTableArray& result);

// SlopeCut, then nine rounds of WindowAverage, RampedAverage and ReferenceCut (FinalCutCm / 5
// in the first, FinalCutCm / 10 in the others), on tables.FilterSource's first n entries.
// slopeCutReplaced as for SlopeCut.
void FilterChain(FilterTables& tables, int n, const FilterParams& params,
                 std::vector<int>* slopeCutReplaced = nullptr);

// What a filter button draws. The spans point into the caller's FilterTables and stay valid
// until the tables are run again or destroyed.
struct FilterOutput {
  bool ran = false;                          // false: fewer than 32 samples, nothing to draw
  int count = 0;                             // samples filtered
  std::span<const std::int32_t> filtered;    // FilterResult[0 .. count), decimetres
  std::span<const std::int32_t> unfiltered;  // FilterSource[0 .. count), decimetres
  // Extremes of the filtered curve in decimetres. They start at 0 and 5000, so the maximum is
  // never below 0 dm and the minimum never above 5000 dm (500.0 m).
  std::int32_t maxDm = 0;
  std::int32_t minDm = 5000;
};

// The whole action of a filter button minus the drawing and its gate (the flight's SampleCount
// of at least FilterMinimumSamples, which the caller checks): copy of the first count entries of
// table into work.FilterSource, the chain, the extremes. count above 7999 is taken as 7999; an
// empty table is not filtered.
// The sample count decides where the flight ends; an entry equal to 65535 before it is treated
// as an altitude. table is never changed.
FilterOutput RunFilterChain(const AltitudeTableArray& table, int count, const FilterParams& params,
                            FilterTables& work);

// Chart points for a curve: x = sample index, y = metres (decimetres × 0.1).
QList<QPointF> CurvePoints(std::span<const std::int32_t> decimetres);

}  // namespace hypsor
