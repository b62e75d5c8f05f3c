// SPDX-License-Identifier: GPL-3.0-or-later
// The filter buttons run the whole chain on the user-interface thread: on the largest flight a
// table holds (7999 samples) it has to stay below 2 ms in a Release build.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "flight/Filters.h"

using namespace hypsor;

namespace {

// A flight of 7999 samples: climb at about 3 dm per sample, descent at 1, sensor noise of a few
// decimetres and a spike every few hundred samples, the kind of curve the filter is for.
std::unique_ptr<AltitudeTableArray> LargestFlight() {
  auto table = std::make_unique<AltitudeTableArray>();
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> noise(-4, 4);
  std::uniform_int_distribution<int> spike(0, 299);
  const int n = FilterMaximumSamples;
  for (int i = 0; i < n; ++i) {
    const int base = i < 2000 ? 3 * i : 6000 - (i - 2000);
    (*table)[static_cast<std::size_t>(i)] = base + noise(rng) + (spike(rng) == 0 ? 800 : 0);
  }
  (*table)[static_cast<std::size_t>(n)] = AltitudeEndMarker;
  return table;
}

void RunChain(benchmark::State& state, const FilterParams& params) {
  const auto table = LargestFlight();
  auto work = std::make_unique<FilterTables>();
  for (auto _ : state) {
    FilterOutput out = RunFilterChain(*table, FilterMaximumSamples, params, *work);
    benchmark::DoNotOptimize(out.maxDm);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * FilterMaximumSamples);
}

void BM_FilterChain_Defaults(benchmark::State& state) {
  RunChain(state, {350, 250, 8, 12});
}
BENCHMARK(BM_FilterChain_Defaults)->Unit(benchmark::kMicrosecond);

// The widest windows the filter window advertises.
void BM_FilterChain_WideWindows(benchmark::State& state) {
  RunChain(state, {350, 250, 20, 30});
}
BENCHMARK(BM_FilterChain_WideWindows)->Unit(benchmark::kMicrosecond);

// Negative cuts make every candidate fail until restarts widen the tolerance: the worst case.
void BM_FilterChain_NegativeCuts(benchmark::State& state) {
  RunChain(state, {-100000, -100000, 8, 12});
}
BENCHMARK(BM_FilterChain_NegativeCuts)->Unit(benchmark::kMicrosecond);

void BM_CurvePoints(benchmark::State& state) {
  const auto table = LargestFlight();
  auto work = std::make_unique<FilterTables>();
  const FilterOutput out = RunFilterChain(*table, FilterMaximumSamples, {}, *work);
  for (auto _ : state) {
    QList<QPointF> points = CurvePoints(out.filtered);
    benchmark::DoNotOptimize(points.data());
  }
}
BENCHMARK(BM_CurvePoints)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
