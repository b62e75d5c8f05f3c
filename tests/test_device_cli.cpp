// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli download, reset and settings: exit statuses, printed texts, the flight file written
// and the frames the device received, byte for byte. The download runs once as the tool itself
// over a real pseudo-terminal against the simulated altimeter, cancelled by Ctrl+C; the other cases
// run the commands in-process against a scripted altimeter on virtual time (the window's suite
// test_gui_device_port keeps each exchange, the whole download included, over a real port).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <sys/stat.h>

#include "tests/support/CliProcess.h"
#include "tests/support/ScriptedCli.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
using hypsor::test::ReadFile;

namespace {

using test::Bytes;
using test::ScriptedCli;
using test::SimProcess;

QByteArray SampleFlight() {
  return ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
}

// The sample flight as saved from an altimeter whose calibration word is 10321 (0x2851): the
// device's bytes with the word in bytes 8-9, low byte first.
void ExpectSampleWithCalibration10321(const QByteArray& saved) {
  const QByteArray sent = SampleFlight();
  ASSERT_EQ(saved.size(), sent.size());
  EXPECT_EQ(saved.mid(1, 7), sent.mid(1, 7));
  EXPECT_EQ(saved.mid(10), sent.mid(10));
  EXPECT_EQ(static_cast<std::uint8_t>(saved[8]), 0x51);
  EXPECT_EQ(static_cast<std::uint8_t>(saved[9]), 0x28);
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
  const QByteArray request = Bytes({'e', '1', 0, 0, 0, 0, 0, 0});
  for (int k = 0; k < 600 && !sim.ReceivedFrames().contains(request); ++k) QThread::msleep(20);
  ASSERT_TRUE(sim.ReceivedFrames().contains(request));
  ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 130);
  EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("cancelled"));
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CliDownload, WritesTheFlightFileAndReportsFailuresWithoutTouchingIt) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  ScriptedCli cli;
  cli.altimeter.flight = SampleFlight();
  cli.altimeter.calibration = 10321;
  const test::CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(QStringLiteral("calibration: 10321\n"))) << r.out.toStdString();
  const QByteArray before = ReadFile(out);
  ExpectSampleWithCalibration10321(before);
  EXPECT_EQ(cli.Frames(), (QList<QByteArray>{Bytes({'e', '4', 0, 0, 0, 0, 0, 0}),
                                             Bytes({'e', 'D', 0, 0, 0, 0, 0, 0}),
                                             Bytes({'e', '1', 0, 0, 0, 0, 0, 0})}));

  cli.altimeter.silent = true;
  const test::CliRun silent = cli.Run({"download", "--port", "ttyS0", "--out", out, "--force"});
  EXPECT_EQ(silent.status, 4);
  EXPECT_TRUE(silent.err.contains(QStringLiteral("Communication Error")))
      << silent.err.toStdString();
  EXPECT_EQ(ReadFile(out), before);

  cli.line.RefuseOpen(PortOpenError::NotFound, QStringLiteral("No such file or directory"));
  const test::CliRun missing = cli.Run({"download", "--port", "ttyQQ9", "--out", out, "--force"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("Communication Error: ttyQQ9")))
      << missing.err.toStdString();
  EXPECT_EQ(ReadFile(out), before);
  EXPECT_EQ(cli.Run({"download", "--port", "ttyQQ9"}).status, 1);
  EXPECT_EQ(cli.Run({"download", "--port", "ttyUSB10", "--out", out}).status, 1);
}

TEST(CliDownload, StandardOutputLinksAndSpecialTargets) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("flight.hyp"));
  ScriptedCli cli;
  cli.altimeter.flight = SampleFlight();
  const test::CliRun toFile = cli.Run({"download", "--port", "ttyS0", "--out", file});
  ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();

  // "--out -": the same bytes on standard output, the summary on standard error.
  QBuffer stdoutBytes;
  const test::CliRun toStdout =
      cli.Run({"download", "--port", "ttyS0", "--out", "-"}, &stdoutBytes);
  EXPECT_EQ(toStdout.status, 0);
  EXPECT_EQ(stdoutBytes.data(), ReadFile(file));
  EXPECT_EQ(toStdout.err, toFile.out);

  // A FIFO (or a link to one) is refused before the altimeter is asked anything.
  const QString fifo = dir.filePath(QStringLiteral("pipe.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  const QString toFifo = dir.filePath(QStringLiteral("to-pipe.hyp"));
  ASSERT_TRUE(QFile::link(fifo, toFifo));
  const qsizetype frames = cli.Frames().size();
  for (const QString& target : {fifo, toFifo}) {
    const test::CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", target});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("not a regular file"))) << r.err.toStdString();
  }
  EXPECT_EQ(cli.Frames().size(), frames);
  EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());

  // A link is followed: the flight lands in the file it names and the link stays.
  const QString link = dir.filePath(QStringLiteral("link.hyp"));
  const QString real = dir.filePath(QStringLiteral("real.hyp"));
  ASSERT_TRUE(QFile::link(QStringLiteral("real.hyp"), link));
  const test::CliRun viaLink = cli.Run({"download", "--port", "ttyS0", "--out", link});
  EXPECT_EQ(viaLink.status, 0) << viaLink.err.toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadFile(real), ReadFile(file));

  // A full standard output is a failure, also for the flight's bytes.
  QFile full(QStringLiteral("/dev/full"));
  ASSERT_TRUE(full.open(QIODevice::WriteOnly));
  const test::CliRun toFull = cli.Run({"download", "--port", "ttyS0", "--out", "-"}, &full);
  EXPECT_EQ(toFull.status, 2);
  // The reason, and no summary as if the flight were out.
  EXPECT_TRUE(toFull.err.contains(QStringLiteral("No space left on device")))
      << toFull.err.toStdString();
  EXPECT_FALSE(toFull.err.contains(QStringLiteral("calibration:"))) << toFull.err.toStdString();
}

TEST(CliDownload, DataAfterTheEndMarkerIsAWholeFlightWithAWarning) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("flight.hyp"));
  ScriptedCli cli;
  cli.altimeter.flight = SampleFlight() + test::Noise(300);
  // The marker is not among the last bytes, so every poll runs.
  const test::CliRun r = cli.Run({"download", "--port", "ttyS0", "--out", out});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("data after the end marker (300 bytes)")))
      << r.err.toStdString();
  EXPECT_FALSE(r.err.contains(QStringLiteral("no end marker"))) << r.err.toStdString();
}

TEST(CliReset, NeedsConfirmationAndReportsTheAnswer) {
  {
    ScriptedCli cli;
    const test::CliRun unconfirmed = cli.Run({"reset", "--port", "ttyS0"});
    EXPECT_EQ(unconfirmed.status, 1);
    EXPECT_TRUE(cli.Frames().isEmpty());
    const test::CliRun r = cli.Run({"reset", "--port", "ttyS0", "--yes"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Reset - OK\n"));
    ASSERT_EQ(cli.Frames().size(), 1);
    EXPECT_EQ(cli.Frames()[0], Bytes({0x65, 0x32, 0x32, 0x33, 0, 0, 0, 0}));
  }
  for (const char* fault : {"refused", "short"}) {
    ScriptedCli cli;
    (std::string_view(fault) == "refused" ? cli.altimeter.refuseWrites
                                          : cli.altimeter.shortReplies) = true;
    const test::CliRun r = cli.Run({"reset", "--port", "ttyS0", "--yes"});
    EXPECT_EQ(r.status, 4) << fault;
    EXPECT_TRUE(r.out.isEmpty()) << fault;
    EXPECT_FALSE(r.err.isEmpty()) << fault;
  }
}

TEST(CliSettings, PrintsAndUploadsWithTheWindowsLimits) {
  ScriptedCli cli;
  cli.altimeter.Report(12, 4321, 30, 150, 2);
  cli.altimeter.manualZero = 1;
  const test::CliRun shown = cli.Run({"settings", "--port", "ttyS0"});
  EXPECT_EQ(shown.status, 0) << shown.err.toStdString();
  EXPECT_EQ(shown.out, QStringLiteral("competitor: 12\nserial: 4321\ncalibration: 30\n"
                                      "trigger: 150\nsampling: 2\nmanual_zero: 1\n"));
  const QList<QByteArray> reads = {Bytes({0x65, 0x34, 0, 0, 0, 0, 0, 0}),
                                   Bytes({0x65, 0x42, 0, 0, 0, 0, 0, 0})};
  EXPECT_EQ(cli.Frames(), reads);

  const test::CliRun tooLarge = cli.Run({"settings", "--port", "ttyS0", "--set", "calibration=51"});
  EXPECT_EQ(tooLarge.status, 1);
  EXPECT_TRUE(tooLarge.err.contains(QStringLiteral("calibration: 51 is above the limit 50")))
      << tooLarge.err.toStdString();
  const test::CliRun negative = cli.Run({"settings", "--port", "ttyS0", "--set", "competitor=-1"});
  EXPECT_EQ(negative.status, 1);
  const test::CliRun empty = cli.Run({"settings", "--port", "ttyS0", "--set", "trigger="});
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(empty.err.contains(QStringLiteral("trigger: no value given")));
  // Nothing but reads reached the device so far.
  for (const QByteArray& f : cli.Frames())
    EXPECT_TRUE(f[1] == '4' || f[1] == 'B') << f.toHex(' ').toStdString();
  const int readFrames = static_cast<int>(cli.Frames().size());

  const test::CliRun set =
      cli.Run({"settings", "--port", "ttyS0", "--set", "calibration=50", "--set", "trigger=200",
               "--set", "competitor=255", "--set", "sampling=4"});
  EXPECT_EQ(set.status, 0) << set.err.toStdString();
  EXPECT_EQ(set.out, QStringLiteral("Setup OK\n"));
  const QList<QByteArray> frames = cli.Frames().mid(readFrames);
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames.mid(0, 2), reads);
  EXPECT_EQ(frames[2], Bytes({0x65, 0x35, 255, 50, 0, 200, 0, 4}));
  EXPECT_EQ(frames[3], Bytes({0x65, 0x43, 1, 50, 0, 200, 0, 4}));

  EXPECT_EQ(cli.Run({"settings", "--port", "ttyS0", "--set", "serial=5"}).status, 1);
  EXPECT_EQ(cli.Run({"settings", "--port", "ttyS0", "--set", "sampling=8"}).status, 1);
  cli.line.RefuseOpen(PortOpenError::NotFound, QStringLiteral("No such file or directory"));
  EXPECT_EQ(cli.Run({"settings", "--port", "ttyQQ9"}).status, 3);
}

TEST(CliSettings, RefusedOrSilentDeviceIsAnError) {
  {
    ScriptedCli cli;
    cli.altimeter.refuseWrites = true;
    const test::CliRun r = cli.Run({"settings", "--port", "ttyS0", "--set", "trigger=10"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Setup failed"))) << r.err.toStdString();
  }
  {
    ScriptedCli cli;
    cli.altimeter.silent = true;
    const test::CliRun r = cli.Run({"settings", "--port", "ttyS0"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Communication Error"))) << r.err.toStdString();
  }
}

}  // namespace
}  // namespace hypsor
