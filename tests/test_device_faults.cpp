// Downloads from a misbehaving altimeter: every fault mode of the simulator ends with a clear
// outcome, no flight on failure and the port closed; nothing hangs or crashes.
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
  };
  const Case cases[] = {
      // The probe goes unanswered or comes short: nothing is requested.
      {"silent", DownloadOutcome::CommunicationError, 0, false},
      {"short-replies", DownloadOutcome::CommunicationError, 0, false},
      {"refuse-writes", DownloadOutcome::Ok, static_cast<int>(file.size()), true},
      // Without a marker the poll limit ends the transfer and what came is the flight.
      {"no-end-marker", DownloadOutcome::Ok, static_cast<int>(file.size()) - 2, false},
      {"garbage-after", DownloadOutcome::Ok, static_cast<int>(file.size()) + 300, false},
      {"stall", DownloadOutcome::Ok, -1, false},
      // A stream that never ends is not a reply.
      {"endless", DownloadOutcome::CommunicationError, -1, false},
      // The device vanishes mid-flight: ended at once, not after all polls.
      {"hangup", DownloadOutcome::CommunicationError, -1, false},
      {"reset-short", DownloadOutcome::Ok, static_cast<int>(file.size()), true},
      {"reset-refused", DownloadOutcome::Ok, static_cast<int>(file.size()), true},
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
    if (c.bytes >= 0) EXPECT_EQ(r.DownloadByteCount, c.bytes);
    EXPECT_FALSE(channel.IsOpen());
    if (std::string_view(c.mode) == "stall") {
      EXPECT_GT(r.DownloadByteCount, 32);
      EXPECT_LT(r.DownloadByteCount, file.size());
      EXPECT_EQ(r.polls, 30);
    }
    if (std::string_view(c.mode) == "hangup") {
      EXPECT_EQ(r.fault, ChannelFault::DeviceGone);
      EXPECT_LT(r.polls, 30);
    }
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
  for (const char* pacing : {"--no-pacing", ""}) {
    SCOPED_TRACE(pacing);
    QStringList options{QStringLiteral("--flight"), file.Path()};
    if (*pacing) options << QString::fromLatin1(pacing);
    SimProcess sim(options);
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
    EXPECT_EQ(channel.RxCount, 20000);
    EXPECT_EQ(r.flight->bytes[19999], 0x11);
    EXPECT_FALSE(channel.IsOpen());
  }
}

TEST(DeviceFaults, ReadsTakeAtMostNineThousandBytesAndAppend) {
  // 12000 bytes waiting: 9000, then the remaining 3000 after them.
  QByteArray flight(12000, '\0');
  for (int i = 0; i < flight.size(); ++i) flight[i] = static_cast<char>(i % 251);
  const TempFlightFile file(flight);
  SimProcess sim({QStringLiteral("--no-pacing"), QStringLiteral("--flight"), file.Path()});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  channel.SendCommand('1');
  EXPECT_TRUE(channel.SettleWait());
  EXPECT_EQ(channel.ReadPending(), 9000);
  EXPECT_EQ(channel.ReadPending(), 3000);
  EXPECT_EQ(channel.RxCount, 12000);
  // Byte 0 is cleared by the second read; the rest is in order.
  EXPECT_EQ(channel.RxBuffer[0], 0);
  for (int i = 1; i < 12000; ++i)
    ASSERT_EQ(channel.RxBuffer[i], static_cast<std::uint8_t>(flight[i])) << "byte " << i;
  // Nothing waiting: nothing taken, the count stays, byte 0 is cleared all the same.
  channel.RxBuffer[0] = 0x55;
  EXPECT_EQ(channel.ReadPending(), 0);
  EXPECT_EQ(channel.RxCount, 12000);
  EXPECT_EQ(channel.RxBuffer[0], 0);
  EXPECT_EQ(channel.ClosePort(), 1);
  EXPECT_EQ(channel.ClosePort(), 0);
}

}  // namespace
}  // namespace hypsor
