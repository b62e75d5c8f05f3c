// Putting the largest flight a file holds (4484 samples) on the chart: the altitude curve with
// its whole-second labels and the acceleration curve, as the window does after a load.
#include <benchmark/benchmark.h>

#include "bench/GuiBenchMain.h"

#include <QApplication>
#include <QLineSeries>
#include <QStringList>

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

QStringList Labels(const hypsor::DecodedFlight& d) {
  QStringList labels;
  for (int s : d.labelSeconds) labels.append(s >= 0 ? QString::number(s) : QString());
  return labels;
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
    chart.ClearSeries(chart.Series1);
    chart.ClearSeries(chart.Series2);
    chart.SetAxisMaximum(d.axisMaximum);
    chart.SetTimeLabels(Labels(d));
    chart.SetPoints(chart.Series1, d.altitude);
    chart.SetPoints(chart.Series2, d.acceleration);
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
