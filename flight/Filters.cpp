// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/Filters.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace hypsor {

namespace {

int ClampCount(int n) {
  return std::clamp(n, 0, FilterMaximumSamples);
}

std::int64_t Abs64(std::int64_t v) {
  return v < 0 ? -v : v;
}

// a / b rounded up, for b > 0.
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  return a / b + (a % b > 0 ? 1 : 0);
}

// Sum of table[lo .. hi] for windows whose two ends only ever move forward, so a whole pass costs
// one addition and one subtraction per entry. The sum is 64-bit: exact for any 32-bit entries.
class SlidingSum {
 public:
  explicit SlidingSum(const AltitudeTableArray& table) : table_(table) {}

  // Requires lo >= previous lo, hi >= previous hi, lo <= hi, 0 <= lo and hi < table size.
  std::int32_t MeanOf(int lo, int hi) {
    while (hi_ < hi) sum_ += table_[static_cast<std::size_t>(++hi_)];
    while (lo_ < lo) sum_ -= table_[static_cast<std::size_t>(lo_++)];
    return static_cast<std::int32_t>(sum_ / (hi_ - lo_ + 1));
  }

 private:
  const AltitudeTableArray& table_;
  std::int64_t sum_ = 0;
  int lo_ = 0;
  int hi_ = -1;
};

void CopyWithMarker(const AltitudeTableArray& source, int n, AltitudeTableArray& target) {
  if (&source != &target) std::copy_n(source.begin(), n, target.begin());
  target[static_cast<std::size_t>(n)] = AltitudeEndMarker;
}

std::int32_t Ahead(std::int32_t w) {
  return w + w / 2 - w / 5;
}

// First restart after run `failed` in which a candidate of ReferenceCut passes, given that it
// failed in that run. In run r its drift is r*C + P (C the drift of a whole run, P the drift up
// to the candidate), and it passes when |r*C + P| / 10 + r >= need, i.e. (need - r being whole)
// when |r*C + P| + 10r >= 10*need. The left side is the larger of r*(C + 10) + P and
// r*(10 - C) - P. Both fell short in run `failed`, so only a rising one can get there later, and
// the slopes add up to 20, so one rises. Operands stay below 2^37 for 32-bit tables.
std::int64_t FirstPassingRestart(std::int64_t failed, std::int64_t c, std::int64_t p,
                                 std::int64_t need) {
  const std::int64_t target = 10 * need;
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  if (c + 10 > 0) first = std::min(first, CeilDiv(target - p, c + 10));
  if (10 - c > 0) first = std::min(first, CeilDiv(target + p, 10 - c));
  return std::max(failed + 1, first);
}

}  // namespace

std::int32_t EffectivePreFilterWindow(std::int32_t window, int n) {
  return std::clamp(window, 1, std::max(1, ClampCount(n) - 1));
}

std::int32_t EffectiveFinalFilterWindow(std::int32_t window, int n) {
  return std::clamp(window, 1, std::max(1, ClampCount(n) - 1));
}

void SlopeCut(const AltitudeTableArray& source, int n, const FilterParams& params,
              AltitudeTableArray& result, std::vector<int>* replaced) {
  if (replaced) replaced->clear();
  n = ClampCount(n);
  CopyWithMarker(source, n, result);
  auto at = [&result](int i) -> std::int32_t& { return result[static_cast<std::size_t>(i)]; };

  const std::int64_t step = params.PreCutCm / 10;
  std::int64_t increment = step;
  int j = 0;
  int k = 1;
  while (k < n) {
    const int d = k - j;
    const std::int64_t change = std::int64_t{at(k)} - at(j);
    if (Abs64(change) < increment * d) {
      if (d > 1) {
        if (replaced)
          for (int m = j + 1; m < k; ++m) replaced->push_back(m);
        const std::int64_t slope = change / d;
        for (int m = j + 1; m <= k; ++m) at(m) = static_cast<std::int32_t>(at(m - 1) + slope);
      }
      j = k;
      increment = step;
      k = j + 1;
    } else if (d >= SlopeCutRunLength) {
      // The whole run failed. Each restart adds 3 dm to the increment and the candidates do not
      // change meanwhile, so jump straight to the first increment that accepts one of them
      // (inc * d > |change| needs inc >= |change| / d + 1). Same outcome as restarting one by
      // one, without millions of restarts when the step is far below zero. The new increment
      // accepts a candidate, so an anchor costs at most two scans of 21 candidates.
      std::int64_t restarts = std::numeric_limits<std::int64_t>::max();
      for (int e = 1; e <= SlopeCutRunLength; ++e) {
        const std::int64_t needed = Abs64(std::int64_t{at(j + e)} - at(j)) / e + 1;
        restarts = std::min(restarts, std::max<std::int64_t>(1, CeilDiv(needed - increment, 3)));
      }
      increment += 3 * restarts;
      k = j + 1;
    } else {
      ++k;
    }
  }
}

void WindowAverage(const AltitudeTableArray& input, int n, const FilterParams& params,
                   AltitudeTableArray& stageOne) {
  n = ClampCount(n);
  const std::int32_t w = EffectivePreFilterWindow(params.PreFilterWindow, n);
  const std::int32_t ahead = Ahead(w);
  const int copied = std::min(w, n);
  std::copy_n(input.begin(), copied, stageOne.begin());
  SlidingSum window(input);
  for (int i = copied; i < n; ++i) {
    stageOne[static_cast<std::size_t>(i)] = window.MeanOf(i - w, std::min(i + ahead - 1, n - 1));
  }
  stageOne[static_cast<std::size_t>(n)] = AltitudeEndMarker;
}

void RampedAverage(const AltitudeTableArray& stageOne, int n, const FilterParams& params,
                   AltitudeTableArray& reference) {
  n = ClampCount(n);
  const std::int32_t w2 = EffectiveFinalFilterWindow(params.FinalFilterWindow, n);
  const std::int32_t ahead2 = Ahead(w2);
  std::copy_n(stageOne.begin(), std::min(RampStart, n), reference.begin());
  SlidingSum window(stageOne);
  int back = 1;
  int fwd = 1;
  for (int i = RampStart; i < n; ++i) {
    reference[static_cast<std::size_t>(i)] = window.MeanOf(i - back, std::min(i + fwd - 1, n - 1));
    if (fwd < ahead2) ++fwd;
    if (back < w2) ++back;
  }
  reference[static_cast<std::size_t>(n)] = AltitudeEndMarker;
}

void ReferenceCut(const AltitudeTableArray& source, const AltitudeTableArray& reference, int n,
                  std::int32_t t0, AltitudeTableArray& result) {
  n = ClampCount(n);
  CopyWithMarker(source, n, result);
  auto at = [&result](int i) -> std::int32_t& { return result[static_cast<std::size_t>(i)]; };
  auto ref = [&reference](int i) -> std::int64_t { return reference[static_cast<std::size_t>(i)]; };

  int j = 0;
  int k = 1;
  std::int64_t restarts = 0;
  std::int64_t tolerance = t0;
  std::int64_t drift = 0;
  // The last sample is never a candidate.
  while (k + 1 < n) {
    drift += 5 * (ref(k + 1) - ref(k - 1));
    const std::int64_t band = Abs64(drift) / 10;
    const int d = k - j;
    if (Abs64(at(k) - ref(k)) <= band + tolerance) {
      if (d > 1) {
        const std::int64_t base = at(j);
        const std::int64_t slope10 = 10 * (at(k) - base) / d;
        for (int m = 1; m <= d; ++m) at(j + m) = static_cast<std::int32_t>(base + m * slope10 / 10);
      }
      j = k;
      k = j + 1;
      restarts = 0;
      tolerance = t0;
      drift = 0;
    } else if (d >= ReferenceCutRunLength) {
      // The whole run failed; a restart widens the tolerance by 1 and keeps the drift, so run r
      // after the anchor tests candidate e against r*C + P(e), where P(e) is the drift the run
      // has built up to e and C = P(46). Go straight to the first run in which some candidate
      // passes: the outcome is the one of restarting one by one, which could take billions of
      // runs when the tolerance is far below zero. That run accepts, so an anchor costs at most
      // two scans of 46 candidates.
      const std::int64_t wholeRun = 5 * (ref(j + d + 1) + ref(j + d) - ref(j + 1) - ref(j));
      std::int64_t next = std::numeric_limits<std::int64_t>::max();
      for (int e = 1; e <= d; ++e) {
        const std::int64_t partial = 5 * (ref(j + e + 1) + ref(j + e) - ref(j + 1) - ref(j));
        const std::int64_t need = Abs64(at(j + e) - ref(j + e)) - t0;
        next = std::min(next, FirstPassingRestart(restarts, wholeRun, partial, need));
      }
      restarts = next;
      tolerance = t0 + restarts;
      // Below 2^38: restarts is at most (10*need + |P|) / (|C| + 10), rounded up, for any e.
      drift = restarts * wholeRun;
      k = j + 1;
    } else {
      ++k;
    }
  }
}

void FilterChain(FilterTables& tables, int n, const FilterParams& params,
                 std::vector<int>* slopeCutReplaced) {
  n = ClampCount(n);
  SlopeCut(tables.FilterSource, n, params, tables.FilterResult, slopeCutReplaced);
  for (int pass = 0; pass < FilterPasses; ++pass) {
    WindowAverage(tables.FilterResult, n, params, tables.StageOneAverage);
    RampedAverage(tables.StageOneAverage, n, params, tables.ReferenceCurve);
    const std::int32_t t0 = pass == 0 ? params.FinalCutCm / 5 : params.FinalCutCm / 10;
    ReferenceCut(tables.FilterSource, tables.ReferenceCurve, n, t0, tables.FilterResult);
  }
}

FilterOutput RunFilterChain(const AltitudeTableArray& table, int count, const FilterParams& params,
                            FilterTables& work) {
  FilterOutput out;
  const int n = ClampCount(count);
  // The gate of at least FilterMinimumSamples is the flight's sample count, which its callers
  // check; a flight whose end marker comes early still has its altitudes filtered.
  if (n < 1) return out;
  CopyWithMarker(table, n, work.FilterSource);
  FilterChain(work, n, params);
  out.ran = true;
  out.count = n;
  out.filtered = std::span<const std::int32_t>(work.FilterResult.data(), n);
  out.unfiltered = std::span<const std::int32_t>(work.FilterSource.data(), n);
  for (std::int32_t v : out.filtered) {
    if (v > out.maxDm) out.maxDm = v;
    if (v < out.minDm) out.minDm = v;
  }
  return out;
}

QList<QPointF> CurvePoints(std::span<const std::int32_t> decimetres) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(decimetres.size()));
  for (std::size_t i = 0; i < decimetres.size(); ++i) {
    points.append(QPointF(static_cast<double>(i), decimetres[i] * 0.1));
  }
  return points;
}

}  // namespace hypsor
