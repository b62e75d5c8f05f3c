// SPDX-License-Identifier: GPL-3.0-or-later
// The device controller runs exchanges on its own thread against a scripted altimeter: what it
// reports and in which order, one exchange at a time, and a Cancel that ends any wait at once
// with the port closed and nothing taken.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest/QTest>

#include <thread>

#include "contest/FolderLock.h"
#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "text/CommunicationLogText.h"
#include "text/SessionMessages.h"
#include "session/ContestState.h"
#include "session/DeviceController.h"
#include "session/FlightWorkspace.h"
#include "tests/support/Failures.h"
#include "tests/support/GateClock.h"
#include "tests/support/ScriptedDevice.h"
#include "tests/support/TestFlights.h"

namespace hypsor {
namespace {

using test::GateClock;
using test::Samples;
using test::ScriptedAltimeter;

struct Rig {
  ScriptedAltimeter altimeter;
  GateClock clock;
  ScriptedLine line{clock, [this](const ScriptedLine::Frame& f) { return altimeter(f); }};
  DeviceController device{line, clock};

  QList<QByteArray> Frames() const { return test::ReceivedFrames(line); }
  // Waits (handling nothing) until the exchange stands at the clock's stop.
  bool WaitForStop() {
    for (int k = 0; k < 2000 && !clock.Reached(); ++k) QThread::msleep(5);
    return clock.Reached();
  }
};

// Until the running exchange has ended: the test's own event loop delivers its reports, and
// its idle, meanwhile.
void WaitForEnd(DeviceController& device) {
  if (!device.Busy()) return;
  QSignalSpy idle(&device, &DeviceController::idle);
  EXPECT_TRUE(idle.wait(30000));
}

TEST(DeviceController, RunsADownloadOnItsOwnThreadAndReportsItInOrder) {
  Rig rig;
  rig.altimeter.flight = Samples(300, true);
  QStringList events;
  DownloadResult result;
  bool onCallersThread = true;
  const auto note = [&](const char* what) {
    events << what;
    onCallersThread &= QThread::currentThread() == rig.device.thread();
  };
  DeviceController& d = rig.device;
  QObject::connect(&d, &DeviceController::started, &d, [&] { note("started"); });
  QObject::connect(&d, &DeviceController::flightRequested, &d, [&] { note("flight"); });
  QObject::connect(&d, &DeviceController::progress, &d, [&](int bytes, int) {
    if (events.last() != "progress") note("progress");
    EXPECT_GT(bytes, 0);
  });
  QObject::connect(&d, &DeviceController::downloadFinished, &d, [&](const DownloadResult& r) {
    note("finished");
    result = r;
    EXPECT_TRUE(d.Busy()) << "busy until its result has been handled";
  });
  QObject::connect(&d, &DeviceController::idle, &d, [&] { note("idle"); });

  ASSERT_TRUE(d.StartDownload(QStringLiteral("ttyUSB0")));
  EXPECT_EQ(d.Running(), Exchange::Download);
  // One exchange at a time.
  EXPECT_FALSE(d.StartDownload(QStringLiteral("ttyUSB0")));
  EXPECT_FALSE(d.StartZeroing(QStringLiteral("ttyUSB0")));
  WaitForEnd(d);
  EXPECT_FALSE(d.Busy());
  EXPECT_EQ(events, QStringList({"started", "flight", "progress", "finished", "idle"}));
  EXPECT_TRUE(onCallersThread);
  ASSERT_EQ(result.outcome, DownloadOutcome::Ok);
  EXPECT_EQ(result.DownloadByteCount, 32 + 602);
  EXPECT_FALSE(rig.line.IsOpen());

  // The same frames as the session run directly on the caller's thread.
  test::ScriptedDevice direct;
  direct.altimeter.flight = rig.altimeter.flight;
  ASSERT_EQ(RunDownload(direct.channel, QStringLiteral("ttyUSB0")).outcome, DownloadOutcome::Ok);
  EXPECT_EQ(rig.Frames(), direct.Frames());
  EXPECT_EQ(rig.clock.NowMs(), direct.clock.NowMs());
}

TEST(DeviceController, CancelEndsADownloadWithinAWaitStepAndTheNextOneWorks) {
  Rig rig;
  // A flight that trickles in: 16 bytes every 100 ms, far longer than the polls last.
  rig.altimeter.flight = Samples(2000, true);
  rig.altimeter.chunkMs = 100;
  // Stopped in the third poll, well after the flight was asked for.
  rig.clock.StopAt(4 * SettleStepMs + 2 * DownloadPollMs + 120);
  DownloadResult result;
  QObject::connect(&rig.device, &DeviceController::downloadFinished, &rig.device,
                   [&](const DownloadResult& r) { result = r; });
  ASSERT_TRUE(rig.device.StartDownload(QStringLiteral("ttyUSB0")));
  ASSERT_TRUE(rig.WaitForStop());
  rig.device.Cancel();
  const std::int64_t cancelledAt = rig.clock.NowMs();
  rig.clock.Go();
  WaitForEnd(rig.device);

  EXPECT_EQ(result.outcome, DownloadOutcome::Cancelled);
  EXPECT_EQ(result.fault, FailureKind::Cancelled);
  EXPECT_TRUE(result.flightRequested);
  EXPECT_FALSE(result.flight);
  EXPECT_FALSE(rig.line.IsOpen()) << "the port is released";
  EXPECT_LE(rig.clock.NowMs() - cancelledAt, DeviceChannel::kWaitStepMs);
  EXPECT_FALSE(MessageFor(result).show) << "the user knows; no box";
  EXPECT_TRUE(CommunicationLogText(rig.device.Log()).contains("cancelled by the user"));

  // The next exchange starts afresh: not cancelled, the port opened again.
  rig.altimeter.flight = Samples(40, true);
  rig.altimeter.chunkMs = 2;
  ASSERT_TRUE(rig.device.StartDownload(QStringLiteral("ttyUSB0")));
  WaitForEnd(rig.device);
  EXPECT_EQ(result.outcome, DownloadOutcome::Ok);
  EXPECT_EQ(rig.line.Opens(), 2);
}

TEST(DeviceController, AppliesADownloadToTheWorkspaceAndTheContestBeforeItTellsOfIt) {
  Rig rig;
  FlightWorkspace workspace;
  ContestState contest;
  QTemporaryDir folder;
  bool started = false;
  contest.Start({folder.path(), QStringLiteral("Cup")},
                [&started](bool ok, const Failure&) { started = ok; });
  ASSERT_TRUE(started) << "at once: nobody holds the folder's lock";
  DeviceController& d = rig.device;
  d.ApplyDownloadsTo(workspace, contest);
  QStringList seen;
  QObject::connect(&d, &DeviceController::started, &d, [&] {
    seen << (workspace.Panel(FlightSlot::Main).caption.isEmpty() ? "begun" : "not begun");
  });
  QObject::connect(&d, &DeviceController::flightRequested, &d, [&] {
    seen << (workspace.Chart()[Curve::Altitude].empty() ? "cleared" : "not cleared");
  });
  std::optional<DownloadReport> report;
  QObject::connect(&d, &DeviceController::downloadApplied, &d,
                   [&](const DownloadReport& r) { report = r; });

  rig.altimeter.flight = Samples(300, true);
  ASSERT_TRUE(d.StartDownload(QStringLiteral("ttyUSB0")));
  WaitForEnd(d);
  EXPECT_EQ(seen, QStringList({"begun", "cleared"}));
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->taken);
  ASSERT_EQ(report->kept, KeepOutcome::Kept) << Said(report->keepFailure);
  EXPECT_EQ(workspace.DownloadByteCount(), 32 + 602);
  EXPECT_FALSE(workspace.Chart()[Curve::Altitude].empty());
  ASSERT_TRUE(contest.LastKept());
  EXPECT_EQ(workspace.FlightPath(FlightSlot::Main), contest.LastKeptPath());
  EXPECT_TRUE(QFileInfo::exists(contest.LastKeptPath()));

  // A cancelled download: the flight shown before is back, and the folder keeps nothing new.
  const std::size_t points = workspace.Chart()[Curve::Altitude].size();
  rig.altimeter.flight = Samples(2000, true);
  rig.altimeter.chunkMs = 100;
  rig.clock.StopAt(rig.clock.NowMs() + 4 * SettleStepMs + 2 * DownloadPollMs + 120);
  report.reset();
  ASSERT_TRUE(d.StartDownload(QStringLiteral("ttyUSB0")));
  ASSERT_TRUE(rig.WaitForStop());
  d.Cancel();
  rig.clock.Go();
  WaitForEnd(d);
  ASSERT_TRUE(report);
  EXPECT_FALSE(report->taken);
  EXPECT_FALSE(report->kept);
  EXPECT_EQ(workspace.DownloadByteCount(), 32 + 602);
  EXPECT_EQ(workspace.Chart()[Curve::Altitude].size(), points);
  EXPECT_EQ(QDir(folder.path()).entryList({"*.hyp"}, QDir::Files).size(), 1);
}

// Another station holds the contest folder's lock as the download ends: the keep waits for it
// on timers of this thread (the station lets go from one), and the exchange ends only once the
// flight is recorded.
TEST(DeviceController, ADownloadEndsOnceTheContestHasKeptItPastAnotherStationsLock) {
  Rig rig;
  FlightWorkspace workspace;
  ContestState contest;
  QTemporaryDir folder;
  bool started = false;
  contest.Start({folder.path(), QStringLiteral("Cup")},
                [&started](bool ok, const Failure&) { started = ok; });
  ASSERT_TRUE(started);
  DeviceController& d = rig.device;
  d.ApplyDownloadsTo(workspace, contest);
  FolderLock other(folder.path());
  Failure error;
  ASSERT_TRUE(other.Acquire(1000, &error)) << Said(error);
  QStringList events;
  std::optional<DownloadReport> report;
  QObject::connect(&contest, &ContestState::waiting, &d, [&](bool on) {
    events << (on ? "waiting" : "waited");
    if (on) QTimer::singleShot(200, &d, [&] { other.Release(); });
  });
  QObject::connect(&d, &DeviceController::downloadApplied, &d, [&](const DownloadReport& r) {
    events << "applied";
    report = r;
  });
  QObject::connect(&d, &DeviceController::idle, &d, [&] { events << "idle"; });

  rig.altimeter.flight = Samples(300, true);
  ASSERT_TRUE(d.StartDownload(QStringLiteral("ttyUSB0")));
  WaitForEnd(d);
  EXPECT_EQ(events, QStringList({"waiting", "waited", "applied", "idle"}));
  ASSERT_TRUE(report);
  EXPECT_EQ(report->kept, KeepOutcome::Kept) << Said(report->keepFailure);
  EXPECT_EQ(contest.Session().FlightCount(), 1);
}

TEST(DeviceController, TheSettingsReadKeepsThePortOpenForTheUploadUntilClosed) {
  Rig rig;
  rig.altimeter.manualZero = 1;
  DeviceController& d = rig.device;
  SettingsReadReport report;
  UploadResult upload;
  QStringList events;
  QObject::connect(&d, &DeviceController::started, &d, [&](Exchange e) {
    events << (e == Exchange::SettingsRead ? "read started" : "upload started");
  });
  QObject::connect(&d, &DeviceController::settingsRead, &d, [&](const SettingsReadReport& r) {
    events << "read";
    report = r;
  });
  QObject::connect(&d, &DeviceController::settingsUploaded, &d, [&](const UploadResult& r) {
    events << "uploaded";
    upload = r;
  });
  QObject::connect(&d, &DeviceController::idle, &d, [&] { events << "idle"; });

  ASSERT_TRUE(d.StartSettingsRead(QStringLiteral("ttyUSB0")));
  EXPECT_EQ(d.Running(), Exchange::SettingsRead);
  EXPECT_FALSE(d.ClosePort()) << "not while an exchange runs";
  WaitForEnd(d);
  ASSERT_TRUE(report.opened);
  ASSERT_EQ(report.result.outcome, SettingsReadOutcome::Ok);
  EXPECT_EQ(report.result.settings.competitor, 7u);
  EXPECT_EQ(report.manualZeroingMode, 1);
  EXPECT_TRUE(rig.line.IsOpen()) << "kept for the upload";

  SettingsUpload values;
  values.trigger = QStringLiteral("50");
  values.calibration = QStringLiteral("20");
  values.competitor = QStringLiteral("9");
  values.samplingIndex = 4;
  values.zeroingIndex = 0;
  ASSERT_TRUE(d.StartSettingsUpload(values));
  WaitForEnd(d);
  EXPECT_EQ(upload.outcome, UploadOutcome::Accepted);
  EXPECT_EQ(events, QStringList({"read started", "read", "idle", "upload started", "uploaded",
                                 "idle"}));
  EXPECT_EQ(rig.line.Opens(), 1);
  EXPECT_TRUE(d.ClosePort());
  EXPECT_FALSE(rig.line.IsOpen());

  // The same frames as both exchanges run directly on the caller's thread.
  test::ScriptedDevice direct;
  direct.altimeter.manualZero = 1;
  ASSERT_TRUE(direct.channel.OpenPort(QStringLiteral("ttyUSB0")));
  ASSERT_EQ(ReadDeviceSettings(direct.channel).outcome, SettingsReadOutcome::Ok);
  ASSERT_EQ(UploadDeviceSettings(direct.channel, values).outcome, UploadOutcome::Accepted);
  EXPECT_EQ(rig.Frames(), direct.Frames());

  // A port that does not open comes back with its reason, and nothing is read.
  rig.line.RefuseOpen(PortOpenError::Busy);
  ASSERT_TRUE(d.StartSettingsRead(QStringLiteral("ttyUSB0")));
  WaitForEnd(d);
  EXPECT_FALSE(report.opened);
  EXPECT_EQ(report.openFailure.kind, FailureKind::PortBusy);
  EXPECT_EQ(report.manualZeroingMode, 1) << "the mode last read stays";
}

TEST(DeviceController, CancelEndsAZeroingAndADestroyedControllerEndsItsExchange) {
  {
    Rig rig;
    rig.clock.StopAt(100);  // inside the wait for the zeroing's reply
    ZeroingResult result;
    QObject::connect(&rig.device, &DeviceController::zeroingFinished, &rig.device,
                     [&](const ZeroingResult& r) { result = r; });
    ASSERT_TRUE(rig.device.StartZeroing(QStringLiteral("ttyUSB0")));
    ASSERT_TRUE(rig.WaitForStop());
    rig.device.Cancel();
    rig.clock.Go();
    WaitForEnd(rig.device);
    EXPECT_EQ(result.outcome, ZeroingOutcome::Cancelled);
    EXPECT_FALSE(MessageFor(result).show);
    EXPECT_FALSE(rig.line.IsOpen());
    ASSERT_EQ(rig.Frames().size(), 1);
    EXPECT_EQ(rig.Frames()[0], test::Bytes({'e', '2', '2', '3', 0, 0, 0, 0}));
  }
  // A window closed by force mid-download: the controller cancels, waits and closes the port.
  ScriptedAltimeter altimeter;
  altimeter.flight = Samples(2000, true);
  altimeter.chunkMs = 100;
  GateClock clock;
  clock.StopAt(4 * SettleStepMs + DownloadPollMs + 50);
  ScriptedLine line(clock, [&](const ScriptedLine::Frame& f) { return altimeter(f); });
  auto device = std::make_unique<DeviceController>(line, clock);
  ASSERT_TRUE(device->StartDownload(QStringLiteral("ttyUSB0")));
  for (int k = 0; k < 2000 && !clock.Reached(); ++k) QThread::msleep(5);
  ASSERT_TRUE(clock.Reached());
  std::thread release([&] { clock.Go(); });
  device.reset();
  release.join();
  EXPECT_FALSE(line.IsOpen());
}

}  // namespace
}  // namespace hypsor
