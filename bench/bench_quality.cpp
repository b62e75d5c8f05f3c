// SPDX-License-Identifier: GPL-3.0-or-later
// The flags and the statistics of the largest flight a table holds (7999 samples) must take at
// most 0.5 ms (the filtered apogee, which runs the whole filter, is measured beside them), every
// flag of the largest flight a file holds 5 ms, and reading a simulation CSV of 100,000 rows from
// its file at most 100 ms, in a Release build.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <span>

#include <QFile>
#include <QTemporaryDir>

#include "flight/Decode.h"
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

// Every flag of the largest flight a file holds (9000 bytes, 4483 samples at 50 a second), with
// an ejection pulse of a second after the top and a jump the recording ends in, from its decoded
// table: at most 5 ms. The filtered apogee is part of it, as stats and the panel show it.
void BM_AllFlagsOf9000ByteFlight(benchmark::State& state) {
  QFile file(QStringLiteral(HYPSOR_EXAMPLES_DIR "/flight-50hz-9000.hyp"));
  if (!file.open(QIODevice::ReadOnly)) {
    state.SkipWithError("no example flight");
    return;
  }
  QByteArray bytes = file.readAll();
  auto word = [&bytes](int i) -> int {
    const int at = FlightHeaderSize + 2 * i;
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  auto set = [&bytes](int i, int w) {
    const int at = FlightHeaderSize + 2 * i;
    bytes[at] = static_cast<char>(w & 0xFF);
    bytes[at + 1] = static_cast<char>(w >> 8);
  };
  const int samples = (bytes.size() - FlightHeaderSize) / 2 - 1;
  int top = 0;
  for (int i = 0; i < samples; ++i)
    if (word(i) > word(top)) top = i;
  for (int i = top + 25; i < top + 75; ++i) set(i, word(i) - 600);  // hundreds of metres, 1 s
  set(samples - 2, std::min(0x1FFE, word(samples - 2) + 3000));
  set(samples - 1, std::max(0, word(samples - 1) - 3000));
  Flight flight;
  SetFlightBytes(flight, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())));
  ApplyFlightHeader(flight);
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, {true, false});
  auto work = std::make_unique<FilterTables>();
  if (AssessFlight(flight, d, FilterParams{}, *work).transients.size() < 2)
    state.SkipWithError("the transients were not found");
  for (auto _ : state) {
    FlightQuality q = AssessFlight(flight, d, FilterParams{}, *work);
    benchmark::DoNotOptimize(q);
  }
}
BENCHMARK(BM_AllFlagsOf9000ByteFlight)->Unit(benchmark::kMicrosecond);

// For comparison: the apogee after the filter runs the whole filter chain (its own target is
// the filter button's 2 ms).
void BM_FilteredApogeeLargestFlight(benchmark::State& state) {
  auto table = std::make_unique<AltitudeTableArray>();
  const QualityInput in = LargestFlight(*table);
  auto work = std::make_unique<FilterTables>();
  FlightQuality q = AssessQuality(in);
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
