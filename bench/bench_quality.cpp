// SPDX-License-Identifier: GPL-3.0-or-later
// The flags and the statistics of the largest flight a table holds (7999 samples) must take at
// most 0.5 ms (the filtered apogee, which runs the whole filter, is measured beside them), and reading a simulation CSV of 100,000 rows from its file at most 100 ms, in a
// Release build.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include <QFile>
#include <QTemporaryDir>

#include "flight/FlightQuality.h"
#include "flight/Simulation.h"

using namespace hypsor;

namespace {

// 7999 samples at 50 per second: ground, a climb, a slow descent with sensor noise and two
// spikes, landing near the end; the raw words follow the altitude, so no run repeats for long.
QualityInput LargestFlight(AltitudeTableArray& table) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(-3, 3);
  const int n = AltitudeTableSize - 1;
  QualityInput in;
  for (int i = 0; i < n; ++i) {
    int base = 0;
    if (i >= 100 && i < 1100) base = 3 * (i - 100);
    if (i >= 1100) base = std::max(0, 3000 - (i - 1100) * 3000 / 6700);
    if (i == 2000 || i == 5000) base += 600;
    table[static_cast<std::size_t>(i)] = std::max(0, base + noise(rng));
    in.raw.push_back(static_cast<std::uint16_t>(2000 + table[static_cast<std::size_t>(i)] / 2));
  }
  table[static_cast<std::size_t>(n)] = AltitudeEndMarker;
  in.table = &table;
  in.count = n;
  in.timeLabelStep = 500;
  return in;
}

void BM_FlagsAndStatisticsLargestFlight(benchmark::State& state) {
  auto table = std::make_unique<AltitudeTableArray>();
  const QualityInput in = LargestFlight(*table);
  for (auto _ : state) {
    FlightQuality q = AssessQuality(in);
    FlightStatistics s = ComputeStatistics(*table, in.count, in.timeLabelStep, std::nullopt);
    benchmark::DoNotOptimize(q);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_FlagsAndStatisticsLargestFlight)->Unit(benchmark::kMicrosecond);

// For comparison: the apogee after the filter runs the whole filter chain (its own target is
// the filter button's 2 ms).
void BM_FilteredApogeeLargestFlight(benchmark::State& state) {
  auto table = std::make_unique<AltitudeTableArray>();
  const QualityInput in = LargestFlight(*table);
  auto work = std::make_unique<FilterTables>();
  FlightQuality q = AssessQuality(in, FilterParams{}, *work);
  for (auto _ : state) {
    ExplainFilteredApogee(q, *table, in.count, in.timeLabelStep, FilterParams{}, *work);
    benchmark::DoNotOptimize(q);
  }
}
BENCHMARK(BM_FilteredApogeeLargestFlight)->Unit(benchmark::kMicrosecond);

// 100,000 rows of an exported simulation, 0.01 s apart, in the comment layout with six columns.
void BM_ReadSimulationCsv100k(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("sim.csv"));
  {
    QByteArray csv = "# Simulation of 100000 rows\n"
                     "# Time (s),Altitude (m),Vertical velocity (m/s),Vertical acceleration "
                     "(m/s²),Total velocity (m/s),Mass (g)\n"
                     "# Event LAUNCH occurred at t=0 seconds\n";
    for (int k = 0; k < 100000; ++k) {
      const double t = k * 0.01;
      const double h = 400.0 * std::sin(t / 1000.0 * 3.14159);
      csv += QByteArray::number(t, 'f', 3) + ',' + QByteArray::number(h, 'f', 3) + ",12.345," +
             "-9.81,45.6789,1234.5\n";
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(csv);
  }
  for (auto _ : state) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const SimulationRead r = ReadSimulationCsv(f.readAll());
    if (!r.data || r.data->timeS.size() != 100000) state.SkipWithError("not read whole");
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ReadSimulationCsv100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
