// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads from a misbehaving altimeter over a real pseudo-terminal: a stream that never ends, a
// flight larger than the buffer and a device that vanishes end with a clear outcome and the port
// closed. The protocol's other faults run on a scripted device (test_device_protocol_download).
#include <gtest/gtest.h>

#include <QFile>

#include "device/DeviceChannel.h"
#include "device/Sessions.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::SimProcess;
using test::TempFlightFile;

QByteArray SampleFlight() {
  QFile f(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(DeviceFaults, DownloadEndsClearlyWhateverTheDeviceDoes) {
  const QByteArray file = SampleFlight();
  ASSERT_GT(file.size(), 64);
  struct Case {
    const char* mode;
    DownloadOutcome outcome;
    int bytes;  // expected DownloadByteCount; -1: not checked
    bool marker;
    int afterMarker;
  };
  // The other fault modes run on a scripted device; these prove the real port's own bounds.
  const Case cases[] = {
      // A stream that never ends is not a reply, however fast it pours in.
      {"endless", DownloadOutcome::CommunicationError, -1, false, 0},
      // The flight and its marker, then noise: whole, and the noise counted.
      {"garbage-after", DownloadOutcome::Ok, static_cast<int>(file.size()) + 300, true, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    SimProcess sim(
        {QStringLiteral("--no-pacing"), QStringLiteral("--fault"), QString::fromLatin1(c.mode)});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    DeviceChannel channel;
    // The simulator sends at once, so the polls need not wait for the line.
    const DownloadResult r = RunDownload(channel, sim.PortName(), {}, {30, 30});
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.flight.has_value(), c.outcome == DownloadOutcome::Ok);
    EXPECT_EQ(r.endMarkerSeen, c.marker);
    EXPECT_EQ(r.bytesAfterEndMarker, c.afterMarker);
    if (c.bytes >= 0) EXPECT_EQ(r.DownloadByteCount, c.bytes);
    EXPECT_FALSE(channel.IsOpen());
    if (std::string_view(c.mode) == "endless") EXPECT_NE(r.fault, ChannelFault::None);
    if (r.flight) {
      // Whatever arrived after the header is the flight as sent, up to the bytes it got.
      for (int i = 10; i < std::min<int>(r.DownloadByteCount, file.size()); ++i)
        ASSERT_EQ(r.flight->bytes[i], static_cast<std::uint8_t>(file[i])) << "byte " << i;
    }
  }
}

TEST(DeviceFaults, DeviceVanishingWhileSendingAtLineRateEndsTheDownloadAtOnce) {
  SimProcess sim({QStringLiteral("--fault"), QStringLiteral("hangup")});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  const DownloadResult r = RunDownload(channel, sim.PortName());
  EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
  EXPECT_EQ(r.fault, ChannelFault::DeviceGone);
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
    EXPECT_EQ(r.fault, ChannelFault::Overflow);
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
