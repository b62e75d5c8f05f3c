// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the altimeter's own settings against the simulated altimeter over a real
// pseudo-terminal: the values read, the frames sent, a refusal and a device gone between
// exchanges. Everything else runs on a scripted device (test_device_protocol_settings).
#include <gtest/gtest.h>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "tests/support/SimProcess.h"

namespace hypsor {
namespace {

using test::SimProcess;

QByteArray Frame(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

SettingsUpload Values(const char* calibration, const char* trigger, const char* competitor,
                      int sampling = 2, int zeroing = 0) {
  SettingsUpload u;
  u.calibration = QString::fromLatin1(calibration);
  u.trigger = QString::fromLatin1(trigger);
  u.competitor = QString::fromLatin1(competitor);
  u.samplingIndex = sampling;
  u.zeroingIndex = zeroing;
  return u;
}

TEST(DeviceSettingsRead, ReportAndZeroingModeAreDecoded) {
  // Sampling byte 0x13: only the low four bits count.
  SimProcess sim({"--no-pacing", "--competitor", "200", "--serial", "54321", "--temp-calibration",
                  "33", "--trigger", "513", "--sampling", "19", "--manual-zero", "3"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  const SettingsReadResult r = ReadDeviceSettings(channel);
  ASSERT_EQ(r.outcome, SettingsReadOutcome::Ok);
  EXPECT_TRUE(r.reportRead);
  EXPECT_EQ(r.settings.competitor, 200u);
  EXPECT_EQ(r.settings.serial, 54321u);
  EXPECT_EQ(r.settings.calibration, 33u);
  EXPECT_EQ(r.settings.trigger, 513u);
  EXPECT_EQ(r.settings.samplingCode, 3u);
  EXPECT_EQ(r.settings.manualZeroing, 1);  // bit 0 of 3
  EXPECT_EQ(channel.ManualZeroingMode(), 1);
  EXPECT_FALSE(MessageFor(r).show);
  // The window keeps the port open after reading.
  EXPECT_TRUE(channel.IsOpen());
  const QList<QByteArray> frames = sim.ReceivedFrames();
  ASSERT_EQ(frames.size(), 2);
  EXPECT_EQ(frames[0], Frame({0x65, 0x34, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(frames[1], Frame({0x65, 0x42, 0, 0, 0, 0, 0, 0}));
}

TEST(DeviceSettingsUpload, RefusedWritesAreReportedAndThePortCloses) {
  SimProcess sim({"--no-pacing", "--fault", "refuse-writes"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  const UploadResult r = UploadDeviceSettings(channel, Values("10", "100", "12"));
  EXPECT_EQ(r.outcome, UploadOutcome::Refused);
  // The settings write was refused too, and the zeroing-mode write still went out.
  EXPECT_TRUE(r.settingsWriteRefused);
  EXPECT_EQ(sim.ReceivedFrames().size(), 2);
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Setup failed"));
  EXPECT_EQ(MessageFor(r).Caption(1), QStringLiteral("Setup"));
  EXPECT_EQ(MessageFor(r).Text(0), QStringLiteral("Błąd zapisu"));
  // Without an open port nothing happens.
  EXPECT_EQ(UploadDeviceSettings(channel, Values("10", "100", "12")).outcome,
            UploadOutcome::PortClosed);
  EXPECT_EQ(sim.ReceivedFrames().size(), 2);
}

TEST(DeviceSettingsFaults, DeviceGoneBetweenExchangesClosesThePort) {
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  ASSERT_EQ(ReadDeviceSettings(channel).outcome, SettingsReadOutcome::Ok);
  sim.Kill();
  const SettingsReadResult r = ReadDeviceSettings(channel);
  EXPECT_EQ(r.outcome, SettingsReadOutcome::CommunicationError);
  EXPECT_EQ(channel.Fault(), ChannelFault::DeviceGone);
  EXPECT_FALSE(channel.IsOpen());
}

TEST(DeviceSettingsUpload, LimitsCompareUnsigned) {
  EXPECT_TRUE(AboveLimit(-1, 255));
  EXPECT_FALSE(AboveLimit(255, 255));
  EXPECT_TRUE(AboveLimit(256, 255));
}

}  // namespace
}  // namespace hypsor
