// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli's device commands, run in-process against a scripted altimeter on virtual time: they
// change only the settings a user names, never replace a flight file by accident, flag flights
// without their end marker, report true counts and keep a log of the exchange on request.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/support/ScriptedCli.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::Bytes;
using test::CliRun;
using test::ReadFile;
using test::ScriptedCli;

QByteArray SampleFlight() {
  return ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
}

// The flight up to its end marker, the first 0xFFFF sample word.
QByteArray WithoutEndMarker(const QByteArray& flight) {
  for (qsizetype at = 32; at + 1 < flight.size(); at += 2)
    if (flight[at] == '\xff' && flight[at + 1] == '\xff') return flight.left(at);
  return flight;
}

// About half the flight, cut at a sample boundary.
QByteArray FirstHalf(const QByteArray& flight) {
  return flight.left((flight.size() / 2) & ~qsizetype{1});
}

TEST(CliSettingsSafety, UnnamedValuesAreWrittenBackByteForByte) {
  // Sampling code 9 is no entry of the window's list, manual-zero byte 2 has more than bit 0,
  // calibration 60 is above the upload limit: none of them may change or block the upload.
  ScriptedCli cli;
  cli.altimeter.Report(7, 1234, 60, 50, 9);
  cli.altimeter.manualZero = 2;
  const CliRun r = cli.Run({"settings", "--port", "ttyS0", "--set", "competitor=5"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, QStringLiteral("Setup OK\n"));
  // Each of them is named on its way back; trigger 50 is within the window's limit.
  EXPECT_EQ(r.err, QStringLiteral(
                       "warning: calibration 60 reported by the altimeter is above 50; written "
                       "back unchanged\n"
                       "warning: sampling 9 reported by the altimeter is above 7; written back "
                       "unchanged\n"
                       "warning: manual_zero 2 reported by the altimeter is above 1; written back "
                       "unchanged\n"));
  const QList<QByteArray> frames = cli.Frames();
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames[0], Bytes({0x65, '4', 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(frames[1], Bytes({0x65, 'B', 0, 0, 0, 0, 0, 0}));
  // competitor 5; calibration 60 = 3c 00; trigger 50 = 32 00; sampling 9 as reported.
  EXPECT_EQ(frames[2], Bytes({0x65, 0x35, 0x05, 0x3c, 0x00, 0x32, 0x00, 0x09}));
  // The manual-zero byte goes back as 2, bytes 3-7 repeat the settings write.
  EXPECT_EQ(frames[3], Bytes({0x65, 0x43, 0x02, 0x3c, 0x00, 0x32, 0x00, 0x09}));
}

TEST(CliSettingsSafety, StrictRefusesToWriteBackWhatTheWindowWouldNotOffer) {
  ScriptedCli cli;
  cli.altimeter.Report(7, 1234, 999, 5000, 31);
  cli.altimeter.manualZero = 255;
  cli.altimeter.keepsWrites = true;
  const CliRun strict =
      cli.Run({"settings", "--port", "ttyS0", "--set", "calibration=20", "--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_TRUE(strict.out.isEmpty()) << strict.out.toStdString();
  // The named calibration replaces the reported 999, so only the other three are refused.
  EXPECT_FALSE(strict.err.contains(QStringLiteral("calibration"))) << strict.err.toStdString();
  for (const char* line : {"trigger 5000 reported by the altimeter is above 200; nothing written",
                           "sampling 31 reported by the altimeter is above 7; nothing written",
                           "manual_zero 255 reported by the altimeter is above 1; nothing written"})
    EXPECT_TRUE(strict.err.contains(QLatin1String(line))) << strict.err.toStdString();
  // The settings were read, nothing was written.
  ASSERT_EQ(cli.Frames().size(), 2);

  // Without --strict the same upload goes through, with one warning per value.
  const CliRun lenient = cli.Run({"settings", "--port", "ttyS0", "--set", "calibration=20"});
  EXPECT_EQ(lenient.status, 0) << lenient.err.toStdString();
  EXPECT_EQ(lenient.err.count(QStringLiteral("; written back unchanged\n")), 3)
      << lenient.err.toStdString();
  ASSERT_EQ(cli.Frames().size(), 6);
  // 5000 = 0x1388.
  EXPECT_EQ(cli.Frames()[4], Bytes({0x65, 0x35, 7, 20, 0, 0x88, 0x13, 31}));
  EXPECT_EQ(cli.Frames()[5], Bytes({0x65, 0x43, 255, 20, 0, 0x88, 0x13, 31}));

  // Naming every odd value leaves nothing to warn about, strict or not.
  const CliRun named = cli.Run({"settings", "--port", "ttyS0", "--strict", "--set", "trigger=100",
                                "--set", "sampling=3", "--set", "manual_zero=0"});
  EXPECT_EQ(named.status, 0) << named.err.toStdString();
  EXPECT_TRUE(named.err.isEmpty()) << named.err.toStdString();
  EXPECT_EQ(named.out, QStringLiteral("Setup OK\n"));
}

TEST(CliSettingsSafety, UpperBitsOfTheSamplingByteSurviveAndLimitsNameTheKey) {
  ScriptedCli cli;
  cli.altimeter.Report(7, 1234, 30, 50, 19);
  const CliRun r = cli.Run({"settings", "--port", "ttyS0", "--set", "trigger=200"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  ASSERT_EQ(cli.Frames().size(), 4);
  EXPECT_EQ(cli.Frames()[2], Bytes({0x65, 0x35, 7, 30, 0, 200, 0, 0x13}));

  // Named values are checked, before the port is opened.
  const struct {
    const char* set;
    const char* message;
  } refused[] = {
      {"calibration=51", "calibration: 51 is above the limit 50"},
      {"trigger=201", "trigger: 201 is above the limit 200"},
      {"competitor=256", "competitor: 256 is above the limit 255"},
      {"competitor=-1", "competitor: -1 is below 0"},
      {"sampling=8", "sampling: 8 is above the limit 7"},
      {"manual_zero=2", "manual_zero: 2 is above the limit 1"},
      {"trigger=abc", "trigger: 'abc' is not a number"},
  };
  for (const auto& c : refused) {
    const CliRun bad = cli.Run({"settings", "--port", "ttyS0", "--set", c.set});
    EXPECT_EQ(bad.status, 1) << c.set;
    EXPECT_TRUE(bad.err.contains(QString::fromLatin1(c.message))) << bad.err.toStdString();
  }
  EXPECT_EQ(cli.Frames().size(), 4);
}

TEST(CliSettingsSafety, ARefusedWriteIsOneSetupFailed) {
  ScriptedCli cli;
  cli.altimeter.refuseWrites = true;
  const CliRun r = cli.Run({"settings", "--port", "ttyS0", "--set", "trigger=10"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.count(QStringLiteral("Setup failed")), 1) << r.err.toStdString();
}

TEST(CliDownloadSafety, AnExistingFileIsReplacedOnlyWithForce) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  ASSERT_TRUE(test::WriteFile(out, "my earlier flight"));
  ScriptedCli cli;
  cli.altimeter.flight = SampleFlight();

  const CliRun refused = cli.Run({"download", "--port", "ttyS0", "--out", out});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.contains(QStringLiteral("exists; give --force")))
      << refused.err.toStdString();
  EXPECT_EQ(ReadFile(out), QByteArray("my earlier flight"));
  // Refused before the altimeter was asked anything.
  EXPECT_TRUE(cli.Frames().isEmpty());

  // A folder that cannot take the file is found before the download, not after it.
  const CliRun noFolder =
      cli.Run({"download", "--port", "ttyS0", "--out", dir.filePath("missing/flight.hyp")});
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_TRUE(noFolder.err.contains(QStringLiteral("Cannot write into")))
      << noFolder.err.toStdString();
  EXPECT_TRUE(cli.Frames().isEmpty());

  const CliRun forced = cli.Run({"download", "--port", "ttyS0", "--out", out, "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err.toStdString();
  EXPECT_EQ(ReadFile(out).size(), SampleFlight().size());
}

TEST(CliDownloadSafety, FlightsWithoutEndMarkerAreSavedAndExitFive) {
  const QByteArray sample = SampleFlight();
  ASSERT_GT(sample.size(), 64);
  for (const char* fault : {"stall", "no-end-marker", "endless-flight"}) {
    SCOPED_TRACE(fault);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("flight.hyp"));
    ScriptedCli cli;
    if (std::string_view(fault) == "stall") {
      cli.altimeter.flight = FirstHalf(sample);
    } else if (std::string_view(fault) == "no-end-marker") {
      cli.altimeter.flight = WithoutEndMarker(sample);
    } else {
      // More than the receive buffer takes within the polls.
      cli.altimeter.flight = WithoutEndMarker(sample) + test::Noise(30000);
      cli.altimeter.chunk = 512;
    }
    const CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out});
    EXPECT_EQ(r.status, 5) << r.err.toStdString();
    const qint64 saved = QFileInfo(out).size();
    EXPECT_GE(saved, 32);
    EXPECT_TRUE(r.err.contains(
        QStringLiteral("warning: no end marker; the flight may be incomplete (%1 bytes)\n")
            .arg(saved)))
        << r.err.toStdString();
    // The summary is printed as for a whole flight.
    EXPECT_TRUE(r.out.contains(QStringLiteral("calibration: "))) << r.out.toStdString();
    if (std::string_view(fault) == "endless-flight") {
      EXPECT_EQ(saved, 20000);
      EXPECT_TRUE(r.err.contains(QStringLiteral("did not fit the receive buffer")))
          << r.err.toStdString();
    } else {
      EXPECT_LT(saved, sample.size());
    }
  }
}

TEST(CliDownloadSafety, CountsAreTheBytesThatArrived) {
  const QByteArray sample = SampleFlight();
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  {
    // The device hangs up after the first half of the flight, cut at a sample boundary.
    ScriptedCli cli;
    cli.altimeter.flight = FirstHalf(sample);
    // Once all of it has arrived.
    cli.altimeter.hangUpInFlightMs = 1000;
    const CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out});
    EXPECT_EQ(r.status, 4);
    const qsizetype half = (sample.size() / 2) & ~qsizetype{1};
    EXPECT_TRUE(r.err.contains(QStringLiteral("%1 bytes of the flight received").arg(half)))
        << r.err.toStdString();
  }
  {
    // A probe that is not answered says nothing about a flight that was never asked for.
    ScriptedCli cli;
    cli.altimeter.flight = sample;
    cli.altimeter.silent = true;
    const CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Communication Error"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("bytes"))) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliLog, RecordsEveryFrameAndReadOfADownload) {
  const QByteArray sample = SampleFlight();
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  const QString log = dir.filePath(QStringLiteral("exchange.log"));
  ScriptedCli cli;
  cli.altimeter.flight = sample;
  const CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out, "--log", log});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QStringList lines = QString::fromUtf8(ReadFile(log)).split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());

  // Every line after the comments: time in ms, what happened, the details.
  static const QRegularExpression entry(QStringLiteral("^ *(\\d+)  (\\w+) *(.*)$"));
  QStringList sent;
  qint64 flightBytes = -1;
  qint64 lastMs = 0;
  QStringList kinds;
  for (const QString& line : lines) {
    if (line.startsWith('#')) continue;
    const QRegularExpressionMatch m = entry.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    EXPECT_GE(m.captured(1).toLongLong(), lastMs) << "time goes forward";
    lastMs = m.captured(1).toLongLong();
    const QString kind = m.captured(2);
    kinds << kind;
    if (kind == QLatin1String("send")) {
      sent << m.captured(3).section(QStringLiteral(": "), 1);
      if (sent.last().startsWith(QLatin1String("65 31"))) flightBytes = 0;
    }
    if (kind == QLatin1String("read") && flightBytes >= 0) {
      // "N bytes (W waiting): hex" with the hex bytes matching the count.
      static const QRegularExpression read(
          QStringLiteral("^(\\d+) bytes \\((\\d+) waiting\\)(: (.*))?$"));
      const QRegularExpressionMatch rm = read.match(m.captured(3));
      ASSERT_TRUE(rm.hasMatch()) << line.toStdString();
      const int n = rm.captured(1).toInt();
      EXPECT_EQ(QByteArray::fromHex(rm.captured(4).toLatin1()).size(), n);
      flightBytes += n;
    }
  }
  EXPECT_EQ(kinds.first(), QStringLiteral("open"));
  EXPECT_EQ(kinds.last(), QStringLiteral("close"));
  ASSERT_EQ(sent.size(), 3);
  EXPECT_EQ(sent[0], QStringLiteral("65 34 00 00 00 00 00 00"));
  EXPECT_EQ(sent[1], QStringLiteral("65 44 00 00 00 00 00 00"));
  EXPECT_EQ(sent[2], QStringLiteral("65 31 00 00 00 00 00 00"));
  EXPECT_EQ(flightBytes, sample.size());
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("download complete")));
}

}  // namespace
}  // namespace hypsor
