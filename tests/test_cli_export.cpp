// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli info and export, run through the tool's own dispatch in this process.
//
// Golden CSVs: tests/data/<example>.csv are reference exports of examples/<example>.hyp. When a
// change to the decoding or to the sample flights is intended, regenerate them from the source
// folder and review the diff:
//   build/cli/hypsor-cli export examples/sample-flight.hyp > tests/data/sample-flight.csv
//   build/cli/hypsor-cli export examples/flight-25hz-plateaus.hyp >
//   tests/data/flight-25hz-plateaus.csv
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>

#include <cstdint>
#include <vector>

#include "support/TestPaths.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"

namespace {

using hypsor::test::CliRun;
using hypsor::test::RunCliHere;

QString Example(const char* name) {
  return hypsor::test::ExamplePath(QString::fromLatin1(name));
}

QString GoldenCsv(const char* name) {
  QFile f(QStringLiteral(HYPSOR_SOURCE_DIR "/tests/data/") + QString::fromLatin1(name));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
  return QString::fromUtf8(f.readAll());
}

// A flight file with temperature 20, calibration 10000, code 3 and the given raw words.
QString WriteFlight(const QTemporaryDir& dir, const char* name, const std::vector<unsigned>& words,
                    int truncateTo = -1) {
  QByteArray b(32, '\0');
  b[2] = 4;
  b[3] = 0x10;
  b[5] = 20;
  b[7] = 3;
  b[8] = static_cast<char>(10000 & 0xFF);
  b[9] = static_cast<char>(10000 >> 8);
  for (unsigned w : words) {
    b.append(static_cast<char>(w & 0xFF));
    b.append(static_cast<char>((w >> 8) & 0xFF));
  }
  if (truncateTo >= 0) b.truncate(truncateTo);
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(b);
  return path;
}

QStringList Lines(const QString& text) {
  return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

TEST(CliExport, GoldenSampleFlight) {
  const CliRun r = RunCliHere({QStringLiteral("export"), Example("sample-flight.hyp")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty());
  EXPECT_EQ(r.out, GoldenCsv("sample-flight.csv"));
}

TEST(CliExport, GoldenPlateaus) {
  const CliRun r = RunCliHere({QStringLiteral("export"), Example("flight-25hz-plateaus.hyp")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, GoldenCsv("flight-25hz-plateaus.csv"));
}

TEST(CliExport, WorkedExampleRows) {
  QTemporaryDir dir;
  const QString path = WriteFlight(dir, "w.hyp", {8800, 8900, 8900, 8900, 9000, 9100, 0xFFFF});
  const CliRun r = RunCliHere({QStringLiteral("export"), path});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QStringList lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[0], QStringLiteral("index,time_s,label,altitude_dm,altitude_m,accel"));
  const std::vector<int> dm{0, 196, 196, 196, 393, 590};
  const std::vector<double> accel{0, 19.633, 15.275, 10.917, 6.559, 19.723};
  for (int k = 0; k < 6; ++k) {
    const QStringList f = lines[k + 1].split(QLatin1Char(','));
    ASSERT_EQ(f.size(), 6) << lines[k + 1].toStdString();
    EXPECT_EQ(f[0].toInt(), k);
    EXPECT_DOUBLE_EQ(f[1].toDouble(), k * 0.1);                 // 10 samples per second
    EXPECT_EQ(f[2], k == 0 ? QStringLiteral("0") : QString());  // label "0" on the first sample
    EXPECT_EQ(f[3].toInt(), dm[k]) << k;
    EXPECT_NEAR(f[5].toDouble(), accel[k], 0.0006) << k;
  }
}

TEST(CliExport, TemperatureOption) {
  QTemporaryDir dir;
  const QString path = WriteFlight(dir, "t.hyp", {8800, 8900, 9800, 8700, 0xFFFF});
  const CliRun warm = RunCliHere({QStringLiteral("export"), path});
  const CliRun cold = RunCliHere(
      {QStringLiteral("export"), path, QStringLiteral("--temperature"), QStringLiteral("0")});
  const CliRun minus =
      RunCliHere({QStringLiteral("export"), path, QStringLiteral("--temperature=-12")});
  ASSERT_EQ(warm.status, 0);
  ASSERT_EQ(cold.status, 0);
  ASSERT_EQ(minus.status, 0);
  const QStringList w = Lines(warm.out), c = Lines(cold.out), m = Lines(minus.out);
  ASSERT_EQ(w.size(), 5);
  ASSERT_EQ(c.size(), 5);
  ASSERT_EQ(m.size(), 5);
  for (int k = 1; k < 5; ++k) {
    const double hw = w[k].split(QLatin1Char(','))[4].toDouble();
    EXPECT_NEAR(c[k].split(QLatin1Char(','))[4].toDouble(), hw * 273.16 / 293.16, 1e-4);
    EXPECT_NEAR(m[k].split(QLatin1Char(','))[4].toDouble(), hw * 261.16 / 293.16, 1e-4);
  }
}

TEST(CliExport, LargestFlight) {
  const CliRun r = RunCliHere({QStringLiteral("export"), Example("flight-50hz-9000.hyp")});
  ASSERT_EQ(r.status, 0);
  const QStringList lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 1 + 4483);
  // 50 samples per second: sample 50 is at 1 s and carries the label 1.
  EXPECT_TRUE(lines[51].startsWith(QStringLiteral("50,1,1,"))) << lines[51].toStdString();
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("1,0.02,,"))) << lines[2].toStdString();
}

TEST(CliInfo, SampleFlight) {
  const CliRun r = RunCliHere({QStringLiteral("info"), Example("sample-flight.hyp")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out,
            QStringLiteral("competitor: 7\n"
                           "serial: 1234\n"
                           "temperature: 18\n"
                           "sampling: 10 pom/sek\n"
                           "calibration: 10000\n"
                           "samples: 886\n"
                           "plotted: 885\n"
                           "max: 380.5\n"
                           "min: 0.0\n"
                           "sha256: "
                           "4a614b177adfcf3a5fc5ddfd936f97628ec70cf07be6980ff159d98e7811010f\n"));
}

TEST(CliInfo, LargestFlightAndSlowFlight) {
  const CliRun big = RunCliHere({QStringLiteral("info"), Example("flight-50hz-9000.hyp")});
  ASSERT_EQ(big.status, 0);
  EXPECT_TRUE(big.out.contains(QStringLiteral("\nsampling: 50 pom/sek\n")));
  EXPECT_TRUE(big.out.contains(QStringLiteral("\nsamples: 4484\nplotted: 4483\n")));
  const CliRun slow = RunCliHere({QStringLiteral("info"), Example("flight-1hz.hyp")});
  ASSERT_EQ(slow.status, 0);
  EXPECT_TRUE(slow.out.contains(QStringLiteral("\nsampling: 1 pom/sek\n")));
}

TEST(CliInfo, EmptyExtremes) {
  QTemporaryDir dir;
  // Never above the start: no maximum, no minimum.
  const CliRun flat =
      RunCliHere({QStringLiteral("info"), WriteFlight(dir, "f.hyp", {8800, 8790, 0xFFFF})});
  ASSERT_EQ(flat.status, 0);
  EXPECT_TRUE(flat.out.contains(QStringLiteral("\nplotted: 2\nmax: \nmin: \nsha256: ")))
      << flat.out.toStdString();
  // Up to about 7.9 m only: a maximum, but no minimum.
  const CliRun low =
      RunCliHere({QStringLiteral("info"), WriteFlight(dir, "l.hyp", {8800, 8840, 8800, 0xFFFF})});
  ASSERT_EQ(low.status, 0);
  EXPECT_TRUE(low.out.contains(QStringLiteral("\nmax: 7.")));
  EXPECT_TRUE(low.out.contains(QStringLiteral("\nmin: \nsha256: "))) << low.out.toStdString();
  // Header only (32 bytes): zero samples, nothing plotted.
  const CliRun hdr = RunCliHere({QStringLiteral("info"), WriteFlight(dir, "h.hyp", {}, 32)});
  ASSERT_EQ(hdr.status, 0);
  EXPECT_TRUE(hdr.out.contains(QStringLiteral("\nsamples: 0\nplotted: 0\nmax: \nmin: \n")));
}

TEST(CliErrors, UsageAndFiles) {
  QTemporaryDir dir;
  const auto oneLine = [](const CliRun& r) {
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
  };
  CliRun r = RunCliHere({});
  EXPECT_EQ(r.status, 1);
  oneLine(r);
  r = RunCliHere({QStringLiteral("frobnicate")});
  EXPECT_EQ(r.status, 1);
  oneLine(r);
  r = RunCliHere({QStringLiteral("info")});
  EXPECT_EQ(r.status, 1);
  oneLine(r);
  r = RunCliHere({QStringLiteral("export"), Example("sample-flight.hyp"),
                  QStringLiteral("--temperature"), QStringLiteral("warm")});
  EXPECT_EQ(r.status, 1);
  oneLine(r);
  r = RunCliHere(
      {QStringLiteral("export"), Example("sample-flight.hyp"), QStringLiteral("--bogus")});
  EXPECT_EQ(r.status, 1);
  oneLine(r);
  r = RunCliHere({QStringLiteral("info"), dir.filePath(QStringLiteral("missing.hyp"))});
  EXPECT_EQ(r.status, 2);
  oneLine(r);
  EXPECT_TRUE(r.err.contains(QStringLiteral("missing.hyp")));
  r = RunCliHere({QStringLiteral("export"), WriteFlight(dir, "s.hyp", {}, 31)});
  EXPECT_EQ(r.status, 2);
  oneLine(r);
}

TEST(CliErrors, Help) {
  const CliRun r = RunCliHere({QStringLiteral("--help")});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.contains(QStringLiteral("\n  info ")));
  EXPECT_TRUE(r.out.contains(QStringLiteral("\n  export ")));
  const CliRun sub = RunCliHere({QStringLiteral("export"), QStringLiteral("--help")});
  EXPECT_EQ(sub.status, 0);
  EXPECT_TRUE(sub.out.startsWith(QStringLiteral("Usage: hypsor-cli export")));
}

// The smoothed curve: one more column, the same numbers the window's filter button draws.
TEST(CliExport, FilterColumnAndFilteredExtremes) {
  const QString spike = Example("flight-spike.hyp");
  const CliRun plain = RunCliHere({QStringLiteral("export"), spike});
  const CliRun smooth = RunCliHere({QStringLiteral("export"), spike, QStringLiteral("--filter")});
  ASSERT_EQ(smooth.status, 0) << smooth.err.toStdString();
  const QStringList a = Lines(plain.out), b = Lines(smooth.out);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(b[0], QStringLiteral("index,time_s,label,altitude_dm,altitude_m,accel,filtered_dm"));
  int changed = 0, maxDm = 0;
  for (qsizetype k = 1; k < b.size(); ++k) {
    ASSERT_TRUE(b[k].startsWith(a[k] + QLatin1Char(','))) << k;
    const QStringList cells = b[k].split(QLatin1Char(','));
    const int filtered = cells[6].toInt(), raw = cells[3].toInt();
    changed += filtered != raw;
    maxDm = std::max(maxDm, filtered);
  }
  EXPECT_GT(changed, 0) << "the spike is smoothed away";
  EXPECT_LT(changed, (b.size() - 1) / 4) << "the rest of the flight keeps its samples";

  const CliRun info = RunCliHere({QStringLiteral("info"), spike, QStringLiteral("--filter")});
  ASSERT_EQ(info.status, 0);
  EXPECT_TRUE(info.out.contains(QStringLiteral("max: %1.%2\n").arg(maxDm / 10).arg(maxDm % 10)))
      << info.out.toStdString();

  // Cuts that wide keep every sample; values may be given with '='.
  const CliRun wide = RunCliHere({QStringLiteral("export"), spike, QStringLiteral("--filter"),
                                  QStringLiteral("--precut=100000"), QStringLiteral("--finalcut"),
                                  QStringLiteral("100000"), QStringLiteral("--prefilter=0"),
                                  QStringLiteral("--finalfilter=-5")});
  ASSERT_EQ(wide.status, 0) << wide.err.toStdString();
  for (const QString& row : Lines(wide.out).mid(1)) {
    const QStringList cells = row.split(QLatin1Char(','));
    ASSERT_EQ(cells[6], cells[3]) << row.toStdString();
  }
}

TEST(CliExport, FilterLeavesShortFlightsAndRefusesBadValues) {
  QTemporaryDir dir;
  std::vector<unsigned> words;
  for (unsigned k = 0; k < 30; ++k) words.push_back(8800 + 37 * k + (k == 15 ? 900 : 0));
  words.push_back(0xFFFF);  // 31 samples: too few to filter
  const QString path = WriteFlight(dir, "short.hyp", words);
  const CliRun r = RunCliHere({QStringLiteral("export"), path, QStringLiteral("--filter")});
  ASSERT_EQ(r.status, 0);
  // No filtered values, and a word why: never the unfiltered ones under the filtered name.
  EXPECT_EQ(Lines(r.out).size(), 31);
  for (const QString& row : Lines(r.out).mid(1)) {
    const QStringList cells = row.split(QLatin1Char(','));
    ASSERT_EQ(cells.size(), 7);
    EXPECT_TRUE(cells[6].isEmpty()) << row.toStdString();
  }
  EXPECT_TRUE(r.err.contains(QStringLiteral("too few to filter"))) << r.err.toStdString();
  // A long enough flight says nothing.
  EXPECT_TRUE(RunCliHere({QStringLiteral("export"), Example("sample-flight.hyp"),
                          QStringLiteral("--filter")})
                  .err.isEmpty());

  EXPECT_EQ(RunCliHere({QStringLiteral("export"), path, QStringLiteral("--filter"),
                        QStringLiteral("--precut"), QStringLiteral("ten")})
                .status,
            1);
  EXPECT_EQ(RunCliHere({QStringLiteral("export"), path, QStringLiteral("--finalcut=5")}).status, 1);
  EXPECT_EQ(RunCliHere({QStringLiteral("info"), path, QStringLiteral("--temperature=5")}).status,
            1);
}
