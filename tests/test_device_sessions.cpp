// SPDX-License-Identifier: GPL-3.0-or-later
// Zeroing and download against the simulated altimeter in its own process, over a real
// pseudo-terminal: the flight that comes back and the exact frames the device receives. The
// protocol's other cases run on a scripted device (test_device_protocol_*).
#include <gtest/gtest.h>

#include <QFile>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::SimProcess;

QByteArray ReadExample(const QString& name) {
  QFile f(test::ExamplePath(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Frame(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

#define START_SIM(sim, ...)                 \
  SimProcess sim(QStringList{__VA_ARGS__}); \
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString()

TEST(DeviceDownload, FlightComesBackAsTheDeviceSentItWithTheCalibrationWritten) {
  const QByteArray file = ReadExample(QStringLiteral("sample-flight.hyp"));
  ASSERT_GT(file.size(), 32);
  START_SIM(sim, "--no-pacing", "--calibration", "10200");
  DeviceChannel channel;
  int beforeRequest = 0;
  int lastPollsLeft = -1;
  SessionCallbacks callbacks;
  callbacks.beforeFlightRequest = [&] { ++beforeRequest; };
  callbacks.progress = [&](int, int pollsLeft) { lastPollsLeft = pollsLeft; };

  const DownloadResult r = RunDownload(channel, sim.PortName(), callbacks);

  ASSERT_EQ(r.outcome, DownloadOutcome::Ok);
  ASSERT_TRUE(r.flight.has_value());
  const Flight& f = *r.flight;
  EXPECT_TRUE(r.endMarkerSeen);
  EXPECT_EQ(beforeRequest, 1);
  EXPECT_EQ(lastPollsLeft, 30 - r.polls);
  EXPECT_EQ(r.DownloadByteCount, file.size());
  EXPECT_EQ(f.FlightByteCount, file.size());
  EXPECT_EQ(f.SampleCount, static_cast<std::uint32_t>((file.size() - 32) / 2));
  // Byte 0 is cleared by every read after the first; bytes 8-9 carry the calibration word.
  EXPECT_TRUE(f.bytes[0] == 0 || f.bytes[0] == static_cast<std::uint8_t>(file[0]));
  for (int i = 1; i < file.size(); ++i) {
    if (i == 8 || i == 9) continue;
    ASSERT_EQ(f.bytes[i], static_cast<std::uint8_t>(file[i])) << "byte " << i;
  }
  EXPECT_EQ(f.bytes[8], 0xD8);
  EXPECT_EQ(f.bytes[9], 0x27);
  EXPECT_EQ(f.CalibrationFactor, 10200u);
  EXPECT_EQ(f.competitor, static_cast<std::uint8_t>(file[2]));
  EXPECT_FALSE(channel.IsOpen());

  // Probe, calibration and flight request, each the full 8-byte frame.
  const QList<QByteArray> frames = sim.ReceivedFrames();
  ASSERT_EQ(frames.size(), 3);
  EXPECT_EQ(frames[0], Frame({0x65, 0x34, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(frames[1], Frame({0x65, 0x44, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(frames[2], Frame({0x65, 0x31, 0, 0, 0, 0, 0, 0}));
}

TEST(DeviceZeroing, AcknowledgedOverARealLine) {
  {
    START_SIM(sim, "--no-pacing");
    DeviceChannel channel;
    const ZeroingResult r = RunZeroing(channel, sim.PortName());
    EXPECT_EQ(r.outcome, ZeroingOutcome::Ok);
    EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Reset - OK"));
    EXPECT_EQ(MessageFor(r).Caption(1), QStringLiteral("Reset"));
    EXPECT_EQ(MessageFor(r).Text(0), QStringLiteral("Hypsor wyzerowany"));
    EXPECT_FALSE(channel.IsOpen());
    const QList<QByteArray> frames = sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames[0], Frame({0x65, 0x32, 0x32, 0x33, 0, 0, 0, 0}));
  }
}

}  // namespace
}  // namespace hypsor
