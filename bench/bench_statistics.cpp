// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics panel recomputes on every curve change: on the largest flight a table holds
// (7999 samples) one run has to stay below 0.2 ms in a Release build.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "flight/FlightStatistics.h"

using namespace hypsor;

namespace {

// 7999 samples at 50 per second: ground, a climb of 3 dm per sample, a slow descent with sensor
// noise, landing near the end, so every phase of the statistics has work to do.
std::unique_ptr<AltitudeTableArray> LargestFlight() {
  auto table = std::make_unique<AltitudeTableArray>();
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(-3, 3);
  const int n = AltitudeTableSize - 1;
  for (int i = 0; i < n; ++i) {
    int base = 0;
    if (i >= 100 && i < 1100) base = 3 * (i - 100);
    if (i >= 1100) base = std::max(0, 3000 - (i - 1100) * 3000 / 6700);
    (*table)[static_cast<std::size_t>(i)] = std::max(0, base + noise(rng));
  }
  (*table)[static_cast<std::size_t>(n)] = AltitudeEndMarker;
  return table;
}

void BM_StatisticsLargestFlight(benchmark::State& state) {
  const auto table = LargestFlight();
  const int step = static_cast<int>(state.range(0));
  for (auto _ : state) {
    FlightStatistics s = ComputeStatistics(*table, AltitudeTableSize - 1, step, 300.0f);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * (AltitudeTableSize - 1));
}
// 50, 10 and 1 samples per second: the window of the rates is 50, 10 and 1 samples.
BENCHMARK(BM_StatisticsLargestFlight)->Arg(500)->Arg(100)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
