// SPDX-License-Identifier: GPL-3.0-or-later
// The floor under the window's start-up: a bare program holding one QCustomPlot with a 4500-point
// graph in a QMainWindow, shown maximised as the program's window is. bench/startup-ratios
// measures exec -> window mapped and the peak memory of both (HYPSOR_STARTUP_PROBE).
#include <QApplication>
#include <QMainWindow>
#include <QVector>

#include <cmath>

#include <qcustomplot.h>

#include "platform/widgets/StartupProbe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* plot = new QCustomPlot(&window);
  window.setCentralWidget(plot);

  // A flight-like curve: 90 s at 50 samples a second, up to 300 m and back.
  constexpr int kPoints = 4500;
  QVector<double> t(kPoints), h(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    t[i] = i / 50.0;
    h[i] = 300.0 * std::sin(M_PI * i / (kPoints - 1));
  }
  QCPGraph* graph = plot->addGraph();
  graph->setData(t, h, true);
  graph->setPen(QPen(Qt::red, 2));
  plot->xAxis->setLabel(QStringLiteral("[s]"));
  plot->yAxis->setLabel(QStringLiteral("[m]"));
  plot->rescaleAxes();

  window.showMaximized();
  hypsor::StartupProbe::Arm(window);
  return app.exec();
}
