// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor readout runs on every mouse move over the chart: with two curves of 7999 points
// (the most a table holds) a move, its readout and the repaint it causes must stay within 1 ms
// of CPU. The move goes through the chart's own event handling to the workspace and back, as in
// the window (FlightViews does the same three calls), and the plot is then painted at once. A
// full redraw of the same chart (a zoom, a new curve) must stay within 10 ms.
#include <benchmark/benchmark.h>

#include "bench/GuiBenchMain.h"

#include <QApplication>
#include <QMouseEvent>
#include <cmath>

#include "device/Sessions.h"
#include "session/FlightWorkspace.h"
#include "ui/FlightChart.h"

namespace {

// A 50-per-second flight of 7999 samples: up in 10 s, down in the rest, as a download brings it.
hypsor::DownloadResult LongestDownload() {
  hypsor::Flight f;
  QByteArray bytes(32, '\0');
  bytes[5] = 20;
  bytes[7] = 0;  // 50 samples a second
  bytes[8] = static_cast<char>(10000 & 0xFF);
  bytes[9] = static_cast<char>(10000 >> 8);
  const int n = hypsor::AltitudeTableSize - 1;
  for (int i = 0; i < n; ++i) {
    const double t = i / 50.0;
    const double metres = t < 10 ? 40 * t - 2 * t * t : std::max(0.0, 200 - 1.4 * (t - 10));
    // About 0.8 m per raw unit at this full scale; higher words are higher.
    const int word = 2000 + static_cast<int>(metres / 0.8);
    bytes.append(static_cast<char>(word & 0xFF)).append(static_cast<char>(word >> 8));
  }
  bytes.append(static_cast<char>(0xFF)).append(static_cast<char>(0xFF));
  hypsor::SetFlightBytes(f, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
  hypsor::ApplyFlightHeader(f);
  hypsor::DownloadResult r;
  r.outcome = hypsor::DownloadOutcome::Ok;
  r.flight = f;
  r.DownloadByteCount = static_cast<std::int32_t>(bytes.size());
  return r;
}

// The longest flight on a shown chart, and again as the comparison: two curves of 7999 points.
void ShowTwoLongCurves(hypsor::FlightWorkspace& workspace, hypsor::FlightChart& chart) {
  if (!workspace.ApplyDownload(LongestDownload())) std::abort();
  const hypsor::ChartContent& content = workspace.Chart();
  if (content[hypsor::Curve::Altitude].size() != 7999) std::abort();
  chart.resize(1265, 680);
  chart.show();
  chart.SetTimeLabels(content.labelSeconds);
  chart.SetCurve(hypsor::Curve::Altitude, content[hypsor::Curve::Altitude]);
  chart.SetCurve(hypsor::Curve::Comparison, content[hypsor::Curve::Altitude]);
  chart.SetMarkers(workspace.Markers());
}

void BM_MouseMoveWithReadout(benchmark::State& state) {
  hypsor::FlightWorkspace workspace;
  hypsor::FlightChart chart;
  ShowTwoLongCurves(workspace, chart);
  const hypsor::ChartContent& content = workspace.Chart();
  chart.EnableReadout();
  const std::optional<double> reference = 1000.0;
  chart.SetReference(reference);
  QObject::connect(&chart, &hypsor::FlightChart::CursorMoved, &chart, [&](double x) {
    chart.ShowReadout(x, workspace.ReadoutText(workspace.ReadoutAt(x, reference)));
  });
  QApplication::processEvents();

  QWidget* plot = chart.PlotWidget();
  const QRect area = chart.PlotArea();
  int step = 0;
  for (auto _ : state) {
    const QPointF at(area.left() + 5 + (step++ * 37) % (area.width() - 10), area.center().y());
    QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    if (state.range(0) == 0) {
      // As the window does: the scene's change reaches the plot, which paints what it covers.
      QApplication::processEvents();
      QApplication::processEvents();
    } else {
      plot->repaint();  // the worst case: the whole plot painted again
    }
  }
  if (chart.ReadoutText().isEmpty()) std::abort();
  state.counters["points_per_curve"] = static_cast<double>(content[hypsor::Curve::Altitude].size());
}
// 0: the changed region painted through the event loop; 1: the whole plot painted.
BENCHMARK(BM_MouseMoveWithReadout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Everything drawn afresh: curves, axes, labels, legend and markers, then painted.
void BM_FullReplot(benchmark::State& state) {
  hypsor::FlightWorkspace workspace;
  hypsor::FlightChart chart;
  ShowTwoLongCurves(workspace, chart);
  QApplication::processEvents();
  for (auto _ : state) {
    chart.Repaint();
    chart.PlotWidget()->repaint();
  }
}
BENCHMARK(BM_FullReplot)->Unit(benchmark::kMillisecond);

}  // namespace

HYPSOR_GUI_BENCHMARK_MAIN()
