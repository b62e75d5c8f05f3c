// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli compare, run through the tool's own dispatch in this process, against simulations
// made here from a flight's own export, shifted and scaled by known amounts.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include "support/TestPaths.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"

namespace {

using hypsor::test::CliRun;
using hypsor::test::RunCliHere;

QString Example(const char* name) {
  return hypsor::test::ExamplePath(QString::fromLatin1(name));
}

QMap<QString, double> Values(const QString& text) {
  QMap<QString, double> m;
  for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const qsizetype colon = line.indexOf(QStringLiteral(": "));
    if (colon > 0) m.insert(line.left(colon), line.mid(colon + 2).toDouble());
  }
  return m;
}

// The flight's `export` (index,time_s,label,altitude_dm,altitude_m,accel) as a simulation: each
// row's time plus shift, its altitude times scale (and the time stretched by stretch from 0).
struct Made {
  QByteArray header;
  char separator = ',';
  double shift = 0, scale = 1, stretch = 1;
  bool feet = false;
};

QString MakeSimulation(const QTemporaryDir& dir, const char* name, const QString& flight,
                       const Made& m) {
  const CliRun exported = RunCliHere({QStringLiteral("export"), flight});
  EXPECT_EQ(exported.status, 0);
  QByteArray csv = m.header;
  const QStringList lines = exported.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (qsizetype k = 1; k < lines.size(); ++k) {
    const QStringList f = lines[k].split(QLatin1Char(','));
    const double t = f[1].toDouble() * m.stretch + m.shift;
    double h = f[3].toDouble() / 10.0 * m.scale;
    if (m.feet) h /= 0.3048;
    csv += QByteArray::number(t, 'f', 4) + m.separator + QByteArray::number(h, 'f', 4) +
           m.separator + "0\n";
  }
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(csv);
  return path;
}

}  // namespace

TEST(CliCompare, KnownShiftAndScaleOfTheFlightsOwnExportComeBack) {
  QTemporaryDir dir;
  const QString flight = Example("sample-flight.hyp");
  // 7.5 s later and 5 % higher, in the comment layout with a LAUNCH event where the flight's
  // own launch falls (the shifted launch).
  const QString stats = RunCliHere({QStringLiteral("stats"), flight}).out;
  const double launch = Values(stats)["launch_s"];
  const QByteArray launchEvent =
      "# Event LAUNCH occurred at t=" + QByteArray::number(launch + 7.5, 'f', 4) + " seconds\n";
  const QString sim = MakeSimulation(
      dir, "sim.csv", flight,
      {"# Simulated here\n# Time (s),Altitude (m),Vertical velocity (m/s)\n" + launchEvent, ',',
       7.5, 1.05});
  const CliRun run = RunCliHere({QStringLiteral("compare"), flight, sim});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  const auto v = Values(run.out);
  EXPECT_NEAR(v["shift_s"], 7.5, 0.005);
  EXPECT_NEAR(v["simulation_apogee_m"], v["flight_apogee_m"] * 1.05, 0.15);
  // The flight is 1/1.05 of the simulation: 4.76 % lower.
  EXPECT_NEAR(v["apogee_error_percent"], 100.0 * (1 / 1.05 - 1), 0.05);
  EXPECT_NEAR(v["apogee_error_m"], -0.05 * v["flight_apogee_m"], 0.2);
  EXPECT_NEAR(v["time_to_apogee_error_s"], 0.0, 1e-9);
  // The RMS over the ascent of 5 % of a climb to 380 m: between 5 % of its mean and of its top.
  EXPECT_GT(v["rms_ascent_m"], 5.0);
  EXPECT_LT(v["rms_ascent_m"], 0.05 * v["flight_apogee_m"]);

  // The same in feet, with semicolons and decimal commas, time stretched by 1.1 and no event:
  // the time to apogee comes back 10 % longer.
  Made feet{"# Time (s);Altitude (ft);Vertical velocity (ft/s)\n", ';', 3.0, 1.0, 1.1, true};
  const QString simFeet = MakeSimulation(dir, "feet.csv", flight, feet);
  QFile f(simFeet);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray bytes = f.readAll();
  bytes.replace('.', ',');
  f.seek(0);
  f.write(bytes);
  f.close();
  const CliRun json =
      RunCliHere({QStringLiteral("compare"), QStringLiteral("--json"), flight, simFeet});
  ASSERT_EQ(json.status, 0) << json.err.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
  const double tta = o[QStringLiteral("flight_time_to_apogee_s")].toDouble();
  EXPECT_NEAR(o[QStringLiteral("simulation_time_to_apogee_s")].toDouble(), 1.1 * tta, 0.15);
  EXPECT_NEAR(o[QStringLiteral("time_to_apogee_error_s")].toDouble(), -0.1 * tta, 0.15);
  EXPECT_NEAR(o[QStringLiteral("apogee_error_m")].toDouble(), 0.0, 0.05);
}

TEST(CliCompare, OtherCsvNeedsItsColumnsAndBadFilesNameTheLine) {
  QTemporaryDir dir;
  const QString flight = Example("sample-flight.hyp");
  const QString sim = MakeSimulation(dir, "plain.csv", flight, {"t,alt,v\n", ',', 0, 1.2});
  const CliRun ask = RunCliHere({QStringLiteral("compare"), flight, sim});
  EXPECT_EQ(ask.status, 1);
  EXPECT_TRUE(ask.err.contains(QStringLiteral("t, alt, v"))) << ask.err.toStdString();
  const CliRun named =
      RunCliHere({QStringLiteral("compare"), flight, sim, QStringLiteral("--time-column"),
                  QStringLiteral("t"), QStringLiteral("--altitude-column"), QStringLiteral("2")});
  ASSERT_EQ(named.status, 0) << named.err.toStdString();
  EXPECT_NEAR(Values(named.out)["apogee_error_percent"], 100.0 * (1 / 1.2 - 1), 0.05);
  EXPECT_EQ(
      RunCliHere({QStringLiteral("compare"), flight, sim, QStringLiteral("--time-column"),
                  QStringLiteral("when"), QStringLiteral("--altitude-column"), QStringLiteral("2")})
          .status,
      1);

  QFile bad(dir.filePath(QStringLiteral("bad.csv")));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("# Time (s),Altitude (m)\n0,0\n1,20\n2,twenty\n");
  bad.close();
  const CliRun broken = RunCliHere({QStringLiteral("compare"), flight, bad.fileName()});
  EXPECT_EQ(broken.status, 2);
  EXPECT_EQ(broken.out, QString());
  EXPECT_EQ(broken.err, QStringLiteral("bad.csv, line 4: expected a number in column "
                                       "\"Altitude (m)\", found \"twenty\".\n"));
  EXPECT_EQ(
      RunCliHere({QStringLiteral("compare"), flight, dir.filePath(QStringLiteral("none.csv"))})
          .status,
      2);
  EXPECT_EQ(RunCliHere({QStringLiteral("compare"), flight}).status, 1);
}
