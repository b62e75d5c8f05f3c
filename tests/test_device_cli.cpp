// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli download, reset and settings, run as a process against the simulated altimeter:
// exit statuses, printed texts, the flight file written and the frames the device received.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <QThread>

#include <csignal>

#include <sys/stat.h>

#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
using hypsor::test::ReadFile;

namespace {

using test::SimProcess;

QByteArray Frame(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

TEST(CliDownload, WritesTheFlightFileAndReportsFailuresWithoutTouchingIt) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  const QByteArray sent = ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  {
    SimProcess sim({"--no-pacing", "--calibration", "10321"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r = test::RunCli({"download", "--port", sim.PortName(), "--out", out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("calibration: 10321\n"))) << r.out.toStdString();
    const QByteArray saved = ReadFile(out);
    ASSERT_EQ(saved.size(), sent.size());
    EXPECT_EQ(saved.mid(1, 7), sent.mid(1, 7));
    EXPECT_EQ(saved.mid(10), sent.mid(10));
    // 10321 = 0x2851, low byte first.
    EXPECT_EQ(static_cast<std::uint8_t>(saved[8]), 0x51);
    EXPECT_EQ(static_cast<std::uint8_t>(saved[9]), 0x28);
  }
  const QByteArray before = ReadFile(out);
  {
    SimProcess sim({"--no-pacing", "--fault", "silent"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r =
        test::RunCli({"download", "--port", sim.PortName(), "--out", out, "--force"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Communication Error"))) << r.err.toStdString();
    EXPECT_EQ(ReadFile(out), before);
  }
  const test::CliRun missing =
      test::RunCli({"download", "--port", "ttyQQ9", "--out", out, "--force"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("Communication Error: ttyQQ9")))
      << missing.err.toStdString();
  EXPECT_EQ(ReadFile(out), before);
  EXPECT_EQ(test::RunCli({"download", "--port", "ttyQQ9"}).status, 1);
  EXPECT_EQ(test::RunCli({"download", "--port", "ttyUSB10", "--out", out}).status, 1);
}

// Ctrl+C while the flight trickles in: the exchange ends, the port is closed, nothing is
// written, and the exit status says the command was interrupted.
TEST(CliDownload, CtrlCCancelsTheDownloadAndWritesNothing) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  SimProcess sim({"--fault", "stall"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  QProcess cli;
  cli.start(test::CliPath(), {"download", "--port", sim.PortName(), "--out", out});
  ASSERT_TRUE(cli.waitForStarted());
  // Interrupted once the flight has been asked for.
  const QByteArray request = Frame({'e', '1', 0, 0, 0, 0, 0, 0});
  for (int k = 0; k < 600 && !sim.ReceivedFrames().contains(request); ++k) QThread::msleep(20);
  ASSERT_TRUE(sim.ReceivedFrames().contains(request));
  ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 130);
  EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("cancelled"));
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliDownload, StandardOutputLinksAndSpecialTargets) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("flight.hyp"));
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  const test::CliRun toFile = test::RunCli({"download", "--port", sim.PortName(), "--out", file});
  ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();

  // "--out -": the same bytes on standard output, the summary on standard error.
  QProcess p;
  p.start(test::CliPath(), {"download", "--port", sim.PortName(), "--out", "-"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput(), ReadFile(file));
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()), toFile.out);

  // A FIFO (or a link to one) is refused before the altimeter is asked anything.
  const QString fifo = dir.filePath(QStringLiteral("pipe.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  const QString toFifo = dir.filePath(QStringLiteral("to-pipe.hyp"));
  ASSERT_TRUE(QFile::link(fifo, toFifo));
  const qsizetype frames = sim.ReceivedFrames().size();
  for (const QString& target : {fifo, toFifo}) {
    const test::CliRun r = test::RunCli({"download", "--port", sim.PortName(), "--out", target});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("not a regular file"))) << r.err.toStdString();
  }
  EXPECT_EQ(sim.ReceivedFrames().size(), frames);
  EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());

  // A link is followed: the flight lands in the file it names and the link stays.
  const QString link = dir.filePath(QStringLiteral("link.hyp"));
  const QString real = dir.filePath(QStringLiteral("real.hyp"));
  ASSERT_TRUE(QFile::link(QStringLiteral("real.hyp"), link));
  const test::CliRun viaLink = test::RunCli({"download", "--port", sim.PortName(), "--out", link});
  EXPECT_EQ(viaLink.status, 0) << viaLink.err.toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadFile(real), ReadFile(file));

  // A full standard output is a failure, also for the flight's bytes.
  QProcess full;
  full.setStandardOutputFile(QStringLiteral("/dev/full"));
  full.start(test::CliPath(), {"download", "--port", sim.PortName(), "--out", "-"});
  ASSERT_TRUE(full.waitForFinished(60000));
  EXPECT_EQ(full.exitCode(), 2);
  // The reason, and no summary as if the flight were out.
  const QString fullErr = QString::fromUtf8(full.readAllStandardError());
  EXPECT_TRUE(fullErr.contains(QStringLiteral("No space left on device"))) << fullErr.toStdString();
  EXPECT_FALSE(fullErr.contains(QStringLiteral("calibration:"))) << fullErr.toStdString();
}

TEST(CliDownload, DataAfterTheEndMarkerIsAWholeFlightWithAWarning) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  SimProcess sim({"--no-pacing", "--fault", "garbage-after"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  // The marker is not among the last bytes, so every poll runs: short ones for a simulator
  // that sends at once. Out of range, the interval is a usage error.
  const test::CliRun r = test::RunCli(
      {"download", "--port", sim.PortName(), "--out", out, "--poll-ms", "30"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("data after the end marker (300 bytes)")))
      << r.err.toStdString();
  EXPECT_FALSE(r.err.contains(QStringLiteral("no end marker"))) << r.err.toStdString();
  for (const char* ms : {"0", "301", "x"})
    EXPECT_EQ(test::RunCli({"download", "--port", sim.PortName(), "--out", out, "--force",
                            "--poll-ms", ms})
                  .status,
              1)
        << ms;
}

TEST(CliReset, NeedsConfirmationAndReportsTheAnswer) {
  {
    SimProcess sim({"--no-pacing"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun unconfirmed = test::RunCli({"reset", "--port", sim.PortName()});
    EXPECT_EQ(unconfirmed.status, 1);
    EXPECT_TRUE(sim.ReceivedFrames().isEmpty());
    const test::CliRun r = test::RunCli({"reset", "--port", sim.PortName(), "--yes"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Reset - OK\n"));
    ASSERT_EQ(sim.ReceivedFrames().size(), 1);
    EXPECT_EQ(sim.ReceivedFrames()[0], Frame({0x65, 0x32, 0x32, 0x33, 0, 0, 0, 0}));
  }
  for (const char* fault : {"reset-refused", "reset-short"}) {
    SimProcess sim({"--no-pacing", "--fault", fault});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r = test::RunCli({"reset", "--port", sim.PortName(), "--yes"});
    EXPECT_EQ(r.status, 4) << fault;
    EXPECT_TRUE(r.out.isEmpty()) << fault;
  }
}

TEST(CliSettings, PrintsAndUploadsWithTheWindowsLimits) {
  SimProcess sim({"--no-pacing", "--competitor", "12", "--serial", "4321", "--temp-calibration",
                  "30", "--trigger", "150", "--sampling", "2", "--manual-zero", "1"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  const test::CliRun shown = test::RunCli({"settings", "--port", sim.PortName()});
  EXPECT_EQ(shown.status, 0) << shown.err.toStdString();
  EXPECT_EQ(shown.out, QStringLiteral("competitor: 12\nserial: 4321\ncalibration: 30\n"
                                      "trigger: 150\nsampling: 2\nmanual_zero: 1\n"));

  const test::CliRun tooLarge =
      test::RunCli({"settings", "--port", sim.PortName(), "--set", "calibration=51"});
  EXPECT_EQ(tooLarge.status, 1);
  EXPECT_TRUE(tooLarge.err.contains(QStringLiteral("calibration: 51 is above the limit 50")))
      << tooLarge.err.toStdString();
  const test::CliRun negative =
      test::RunCli({"settings", "--port", sim.PortName(), "--set", "competitor=-1"});
  EXPECT_EQ(negative.status, 1);
  const test::CliRun empty =
      test::RunCli({"settings", "--port", sim.PortName(), "--set", "trigger="});
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(empty.err.contains(QStringLiteral("trigger: no value given")));
  // Nothing but reads reached the device so far.
  for (const QByteArray& f : sim.ReceivedFrames())
    EXPECT_TRUE(f[1] == '4' || f[1] == 'B') << f.toHex(' ').toStdString();
  const int readFrames = static_cast<int>(sim.ReceivedFrames().size());

  const test::CliRun set =
      test::RunCli({"settings", "--port", sim.PortName(), "--set", "calibration=50", "--set",
                    "trigger=200", "--set", "competitor=255", "--set", "sampling=4"});
  EXPECT_EQ(set.status, 0) << set.err.toStdString();
  EXPECT_EQ(set.out, QStringLiteral("Setup OK\n"));
  const QList<QByteArray> frames = sim.ReceivedFrames().mid(readFrames);
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames[2], Frame({0x65, 0x35, 255, 50, 0, 200, 0, 4}));
  EXPECT_EQ(frames[3], Frame({0x65, 0x43, 1, 50, 0, 200, 0, 4}));

  EXPECT_EQ(test::RunCli({"settings", "--port", sim.PortName(), "--set", "serial=5"}).status, 1);
  EXPECT_EQ(test::RunCli({"settings", "--port", sim.PortName(), "--set", "sampling=8"}).status, 1);
  EXPECT_EQ(test::RunCli({"settings", "--port", "ttyQQ9"}).status, 3);
}

TEST(CliSettings, RefusedOrSilentDeviceIsAnError) {
  {
    SimProcess sim({"--no-pacing", "--fault", "refuse-writes"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r =
        test::RunCli({"settings", "--port", sim.PortName(), "--set", "trigger=10"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Setup failed"))) << r.err.toStdString();
  }
  {
    SimProcess sim({"--no-pacing", "--fault", "silent"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r = test::RunCli({"settings", "--port", sim.PortName()});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Communication Error"))) << r.err.toStdString();
  }
}

}  // namespace
}  // namespace hypsor
