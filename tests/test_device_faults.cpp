// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads from a misbehaving altimeter over a real pseudo-terminal, where only the real port
// shows them: a flight pouring in faster than the buffer holds, and a device that vanishes while
// it sends, end with a clear outcome and the port closed. The protocol's other faults run on a
// scripted device (test_device_protocol_download).
#include <gtest/gtest.h>

#include "device/DeviceChannel.h"
#include "device/Sessions.h"
#include "tests/support/SimProcess.h"

namespace hypsor {
namespace {

using test::SimProcess;
using test::TempFlightFile;


TEST(DeviceFaults, DeviceVanishingWhileSendingAtLineRateEndsTheDownloadAtOnce) {
  SimProcess sim({QStringLiteral("--fault"), QStringLiteral("hangup")});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  const DownloadResult r = RunDownload(channel, sim.PortName());
  EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
  EXPECT_EQ(r.fault, FailureKind::DeviceGone);
  EXPECT_LT(r.polls, 30);
  EXPECT_FALSE(channel.IsOpen());
  // A second attempt on the vanished port fails to open instead of hanging.
  const DownloadResult again = RunDownload(channel, sim.PortName());
  EXPECT_EQ(again.outcome, DownloadOutcome::PortOpenFailed);
}

TEST(DeviceFaults, FlightLargerThanTheReceiveBufferIsCutAtTheBufferAndFlagged) {
  // 25000 bytes ending in the marker: only 20000 fit, so the flight is taken without its end
  // marker and says so, with the count of what arrived.
  QByteArray big(25000, '\x11');
  big[24998] = '\xFF';
  big[24999] = '\xFF';
  const TempFlightFile file(big);
  // All of it at once: the port's reading must stop at a bound, not chase the stream.
  {
    SimProcess sim({QStringLiteral("--no-pacing"), QStringLiteral("--flight"), file.Path()});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    DeviceChannel channel;
    const DownloadResult r = RunDownload(channel, sim.PortName());
    EXPECT_EQ(r.outcome, DownloadOutcome::Ok);
    EXPECT_EQ(r.fault, FailureKind::ReceiveOverflow);
    EXPECT_FALSE(r.endMarkerSeen);
    ASSERT_TRUE(r.flight.has_value());
    EXPECT_EQ(r.DownloadByteCount, 20000);
    EXPECT_GT(r.bytesArrived, 20000);
    EXPECT_LE(r.bytesArrived, 25000);
    EXPECT_EQ(channel.RxCount(), 20000);
    EXPECT_EQ(r.flight->bytes[19999], 0x11);
    EXPECT_FALSE(channel.IsOpen());
  }
}

}  // namespace
}  // namespace hypsor
