// SPDX-License-Identifier: GPL-3.0-or-later
// For reference beside `hypsor-cli plot`: a bare program that reads the CSV of `hypsor-cli export`
// and saves what the tool's chart shows by default with QCustomPlot as a PNG: altitude
// (altitude_m) on the left axis and acceleration (accel) on the right, against time_s.
#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <QVector>

#include <algorithm>

#include <qcustomplot.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 5) {
    QTextStream(stderr) << "usage: hypsor_baseline_plot CSV WIDTH HEIGHT OUT.png\n";
    return 1;
  }
  QFile csv(args[1]);
  if (!csv.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream(stderr) << csv.errorString() << '\n';
    return 2;
  }
  const QList<QByteArray> header = csv.readLine().trimmed().split(',');
  const qsizetype timeColumn = header.indexOf("time_s");
  const qsizetype altitudeColumn = header.indexOf("altitude_m");
  const qsizetype accelColumn = header.indexOf("accel");
  if (timeColumn < 0 || altitudeColumn < 0 || accelColumn < 0) {
    QTextStream(stderr) << "no time_s, altitude_m and accel columns\n";
    return 2;
  }
  const qsizetype lastColumn = std::max({timeColumn, altitudeColumn, accelColumn});
  QVector<double> t, h, a;
  while (!csv.atEnd()) {
    const QList<QByteArray> fields = csv.readLine().trimmed().split(',');
    if (fields.size() <= lastColumn) continue;
    t.append(fields[timeColumn].toDouble());
    h.append(fields[altitudeColumn].toDouble());
    a.append(fields[accelColumn].toDouble());
  }

  QCustomPlot plot;
  QCPGraph* graph = plot.addGraph();
  graph->setData(t, h, true);
  graph->setPen(QPen(Qt::red, 2));
  QCPGraph* accel = plot.addGraph(plot.xAxis, plot.yAxis2);
  accel->setData(t, a, true);
  accel->setPen(QPen(Qt::blue, 1));
  plot.yAxis2->setVisible(true);
  plot.xAxis->setLabel(QStringLiteral("[s]"));
  plot.yAxis->setLabel(QStringLiteral("[m]"));
  plot.rescaleAxes();
  return plot.savePng(args[4], args[2].toInt(), args[3].toInt()) ? 0 : 2;
}
