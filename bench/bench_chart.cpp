// SPDX-License-Identifier: GPL-3.0-or-later
// Putting the largest flight a file holds (4484 samples) on the chart: the altitude curve with
// its whole-second labels and the acceleration curve, as the window does after a load.
#include <benchmark/benchmark.h>

#include "bench/GuiBenchMain.h"

#include <QApplication>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "ui/FlightChart.h"

namespace {

hypsor::DecodedFlight LargestFlight() {
  hypsor::Flight flight;
  const QString path = QStringLiteral(HYPSOR_EXAMPLES_DIR "/flight-50hz-9000.hyp");
  if (hypsor::LoadFlightFile(path, flight).status != hypsor::FlightFileStatus::Ok) std::abort();
  return hypsor::DecodeFlight(flight, flight.SampleCount, {true, true});
}

// What the window does to the chart after a load; with paint, the chart is also drawn once, as
// the user sees it.
void FillChart(benchmark::State& state, bool paint) {
  const hypsor::DecodedFlight d = LargestFlight();
  hypsor::FlightChart chart;
  chart.resize(1265, 680);
  chart.show();
  QApplication::processEvents();
  for (auto _ : state) {
    chart.SetCurve(hypsor::Curve::Altitude, {});
    chart.SetCurve(hypsor::Curve::Acceleration, {});
    hypsor::LeftAxisRequest axis;
    axis.maximum = d.axisMaximum;
    chart.SetLeftAxis(axis);
    chart.SetTimeLabels(d.labelSeconds);
    chart.SetCurve(hypsor::Curve::Altitude, d.altitude);
    chart.SetCurve(hypsor::Curve::Acceleration, d.acceleration);
    if (paint) benchmark::DoNotOptimize(chart.grab());
  }
  state.counters["points"] = static_cast<double>(d.altitude.size());
}

void BM_FillChart(benchmark::State& state) {
  FillChart(state, false);
}
BENCHMARK(BM_FillChart)->Unit(benchmark::kMillisecond);

void BM_FillAndPaintChart(benchmark::State& state) {
  FillChart(state, true);
}
BENCHMARK(BM_FillAndPaintChart)->Unit(benchmark::kMillisecond);

}  // namespace

HYPSOR_GUI_BENCHMARK_MAIN()
