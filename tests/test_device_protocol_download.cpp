// SPDX-License-Identifier: GPL-3.0-or-later
// Zeroing and download against a scripted altimeter on virtual time: the protocol's outcomes,
// the bytes kept and the waits it would spend on a real line, in milliseconds of test time.
#include <gtest/gtest.h>

#include "device/DeviceChannel.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "tests/support/ScriptedDevice.h"
#include "tests/support/TestFlights.h"

namespace hypsor {
namespace {

using test::Bytes;
using test::Samples;
using test::ScriptedDevice;

TEST(ScriptedDownload, FlightComesBackWithItsCalibrationAndTheRealWaits) {
  ScriptedDevice d;
  d.altimeter.flight = Samples(40, true);
  d.altimeter.calibration = 10200;
  int beforeRequest = 0;
  int lastPollsLeft = -1;
  SessionCallbacks callbacks;
  callbacks.beforeFlightRequest = [&] { ++beforeRequest; };
  callbacks.progress = [&](int, int pollsLeft) { lastPollsLeft = pollsLeft; };
  const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"), callbacks);
  ASSERT_EQ(r.outcome, DownloadOutcome::Ok);
  EXPECT_TRUE(r.endMarkerSeen);
  EXPECT_EQ(r.polls, 1);
  EXPECT_EQ(beforeRequest, 1);
  EXPECT_EQ(lastPollsLeft, DownloadPolls - r.polls);
  EXPECT_EQ(r.DownloadByteCount, 32 + 82);
  EXPECT_EQ(r.flight->CalibrationFactor, 10200u);
  EXPECT_EQ(r.flight->bytes[8] | (r.flight->bytes[9] << 8), 10200);
  EXPECT_EQ(r.flight->SampleCount, 41u);
  EXPECT_FALSE(d.channel.IsOpen());
  EXPECT_EQ(d.Frames(), (QList<QByteArray>{Bytes({'e', '4', 0, 0, 0, 0, 0, 0}),
                                           Bytes({'e', 'D', 0, 0, 0, 0, 0, 0}),
                                           Bytes({'e', '1', 0, 0, 0, 0, 0, 0})}));
  // Each query settles in two 250 ms steps, then one 300 ms poll finds the whole flight.
  EXPECT_EQ(d.clock.NowMs(), 4 * SettleStepMs + DownloadPollMs);
}

TEST(ScriptedDownload, CalibrationWordOutsideItsRangeBecomesNominal) {
  for (auto [word, expected] :
       {std::pair{9699, 10000}, {9700, 9700}, {10500, 10500}, {10501, 10000}}) {
    ScriptedDevice d;
    d.altimeter.flight = Samples(4, true);
    d.altimeter.calibration = static_cast<std::uint16_t>(word);
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    ASSERT_EQ(r.outcome, DownloadOutcome::Ok) << word;
    EXPECT_EQ(r.flight->CalibrationFactor, static_cast<std::uint32_t>(expected)) << word;
  }
}

TEST(ScriptedDownload, EndMarkerSplitAcrossReadsAndByteByByteFlightsComeWhole) {
  const QByteArray flight = Samples(40, true);
  {
    // Everything but the marker's last byte in the first poll, that byte in the second.
    ScriptedDevice d;
    d.altimeter.flight = flight;
    d.altimeter.chunk = flight.size() - 1;
    d.altimeter.chunkMs = 400;
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    ASSERT_EQ(r.outcome, DownloadOutcome::Ok);
    EXPECT_TRUE(r.endMarkerSeen);
    EXPECT_EQ(r.polls, 2);
    EXPECT_EQ(r.DownloadByteCount, flight.size());
  }
  {
    ScriptedDevice d;
    d.altimeter.flight = flight;
    d.altimeter.chunk = 1;
    d.altimeter.chunkMs = 5;
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    ASSERT_EQ(r.outcome, DownloadOutcome::Ok);
    EXPECT_TRUE(r.endMarkerSeen);
    EXPECT_EQ(r.polls, 2);
    // Byte 0 is cleared by every read after the first; the rest is the flight as sent.
    for (int i = 10; i < flight.size(); ++i)
      ASSERT_EQ(r.flight->bytes[i], static_cast<std::uint8_t>(flight[i])) << "byte " << i;
  }
}

TEST(ScriptedDownload, WithoutEndMarkerAllPollsRunAndTooLittleIsAnError) {
  {
    ScriptedDevice d;
    d.altimeter.flight = Samples(40, false);
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::Ok);
    EXPECT_FALSE(r.endMarkerSeen);
    EXPECT_EQ(r.polls, DownloadPolls);
    EXPECT_EQ(r.DownloadByteCount, 32 + 80);
    EXPECT_EQ(d.clock.NowMs(), 4 * SettleStepMs + DownloadPolls * DownloadPollMs);
  }
  {
    // One byte short of a header.
    ScriptedDevice d;
    d.altimeter.flight = Samples(0, false).left(31);
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
    EXPECT_FALSE(r.flight.has_value());
    EXPECT_EQ(r.DownloadByteCount, 31);
    EXPECT_EQ(r.polls, DownloadPolls);
    EXPECT_FALSE(d.channel.IsOpen());
    EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Communication Error"));
  }
}

TEST(ScriptedDownload, AFlightLargerThanTheBufferIsCutThereAndFlagged) {
  QByteArray big(25000, '\x11');
  big[24998] = '\xFF';
  big[24999] = '\xFF';
  ScriptedDevice d;
  d.altimeter.flight = big;
  d.altimeter.chunk = 1000;
  d.altimeter.chunkMs = 40;
  const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
  EXPECT_EQ(r.outcome, DownloadOutcome::Ok);
  EXPECT_EQ(r.fault, FailureKind::ReceiveOverflow);
  EXPECT_FALSE(r.endMarkerSeen);
  EXPECT_EQ(r.DownloadByteCount, RxBufferSize);
  EXPECT_GT(r.bytesArrived, RxBufferSize);
  EXPECT_LE(r.bytesArrived, 25000);
  EXPECT_EQ(r.flight->bytes[RxBufferSize - 1], 0x11);
  EXPECT_FALSE(d.channel.IsOpen());
}

TEST(ScriptedDownload, NoiseAfterTheEndMarkerIsCountedAndTheFlightIsWhole) {
  ScriptedDevice d;
  const QByteArray flight = Samples(300, true);
  d.altimeter.flight = flight + test::Noise(300);
  const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
  ASSERT_EQ(r.outcome, DownloadOutcome::Ok);
  EXPECT_TRUE(r.endMarkerSeen);
  EXPECT_EQ(r.bytesAfterEndMarker, 300);
  EXPECT_EQ(r.DownloadByteCount, flight.size() + 300);
  ASSERT_TRUE(r.flight);
  for (int i = 10; i < flight.size(); ++i)
    ASSERT_EQ(r.flight->bytes[i], static_cast<std::uint8_t>(flight[i])) << "byte " << i;
  EXPECT_FALSE(d.channel.IsOpen());
}

TEST(ScriptedDownload, ReadsTakeAtMostNineThousandBytesAndAppend) {
  QByteArray flight(12000, '\0');
  for (int i = 0; i < flight.size(); ++i) flight[i] = static_cast<char>(i % 251);
  flight[0] = 0x55;
  ScriptedDevice d;
  d.altimeter.flight = flight;
  d.altimeter.chunk = 12000;
  ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
  d.channel.SendCommand('1');
  EXPECT_TRUE(d.channel.SettleWait());
  EXPECT_EQ(d.channel.ReadPending(), ReadCap);
  EXPECT_EQ(d.channel.Received()[0], 0x55);
  // Every read clears byte 0, also one that appends behind it.
  EXPECT_EQ(d.channel.ReadPending(), 3000);
  const std::span<const std::uint8_t> received = d.channel.Received();
  ASSERT_EQ(received.size(), 12000u);
  EXPECT_EQ(d.channel.RxCount(), 12000);
  EXPECT_EQ(received[0], 0);
  for (int i = 1; i < 12000; ++i)
    ASSERT_EQ(received[i], static_cast<std::uint8_t>(flight[i])) << "byte " << i;
  EXPECT_TRUE(d.channel.ClosePort());
  EXPECT_FALSE(d.channel.ClosePort());

  // A read that finds nothing queued clears it as well.
  d.line.QueueReply(ScriptedReply::Whole(Bytes({0x55, 1, 2, 3, 4, 5, 6, 7})));
  ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
  EXPECT_EQ(d.channel.QueryDevice('4'), 8);
  EXPECT_EQ(d.channel.Received()[0], 0x55);
  EXPECT_EQ(d.channel.ReadPending(), 0);
  EXPECT_EQ(d.channel.RxCount(), 8);
  EXPECT_EQ(d.channel.Received()[0], 0);
}

TEST(ScriptedDownload, HangUpMidFlightEndsAtOnceAndTheLineIsGone) {
  ScriptedDevice d;
  d.altimeter.flight = Samples(500, true);
  d.altimeter.chunkMs = 20;  // about 1.3 s of flight
  d.altimeter.hangUpInFlightMs = 500;
  const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
  EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
  EXPECT_EQ(r.fault, FailureKind::DeviceGone);
  EXPECT_TRUE(r.flightRequested);
  EXPECT_GT(r.DownloadByteCount, 0);
  EXPECT_LE(r.polls, 3);
  EXPECT_FALSE(r.flight.has_value());
  EXPECT_FALSE(d.channel.IsOpen());
  const DownloadResult again = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
  EXPECT_EQ(again.outcome, DownloadOutcome::PortOpenFailed);
  EXPECT_EQ(again.port.kind, FailureKind::PortNotFound);
}

// A frame that does not go out (a stalled adapter) ends the exchange at once: no wait for a
// reply that cannot come, no thirty polls for a flight never asked for.
TEST(ScriptedDownload, AFrameThatCannotBeSentEndsTheExchangeAtOnce) {
  for (int failing = 0; failing < 3; ++failing) {
    ScriptedDevice d;
    d.altimeter.flight = Samples(40, true);
    d.line.FailWritesFrom(failing);
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError) << failing;
    EXPECT_EQ(r.fault, FailureKind::FrameNotSent) << failing;
    EXPECT_EQ(r.polls, 0) << failing;
    EXPECT_FALSE(d.channel.IsOpen());
    // Only the settle waits of the queries that went out.
    EXPECT_EQ(d.clock.NowMs(), 2 * failing * SettleStepMs) << failing;
  }
  ScriptedDevice z;
  z.line.FailWritesFrom(0);
  EXPECT_EQ(RunZeroing(z.channel, QStringLiteral("ttyUSB0")).outcome,
            ZeroingOutcome::CommunicationError);
  EXPECT_EQ(z.clock.NowMs(), 0);
}

TEST(ScriptedDownload, MisbehavingDevicesEndClearly) {
  {
    ScriptedDevice d;
    d.altimeter.silent = true;
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
    EXPECT_FALSE(r.flightRequested);
    EXPECT_EQ(d.Frames().size(), 1);
  }
  {
    ScriptedDevice d;
    d.altimeter.shortReplies = true;
    EXPECT_EQ(RunDownload(d.channel, QStringLiteral("ttyUSB0")).outcome,
              DownloadOutcome::CommunicationError);
  }
  {
    // A probe reply that keeps coming for seconds is no reply.
    ScriptedDevice d;
    ScriptedReply endless;
    for (int t = 0; t < 5000; t += 100) endless.Then(t, QByteArray(4, '\x55'));
    d.line.QueueReply(endless);
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
    EXPECT_EQ(r.fault, FailureKind::EndlessReply);
    EXPECT_LE(d.clock.NowMs(), SettleLimitMs + SettleStepMs);
    EXPECT_FALSE(d.channel.IsOpen());
  }
  {
    ScriptedDevice d;
    d.line.RefuseOpen(PortOpenError::Busy, QStringLiteral("Device or resource busy"));
    const DownloadResult r = RunDownload(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, DownloadOutcome::PortOpenFailed);
    EXPECT_EQ(r.port.kind, FailureKind::PortBusy);
    EXPECT_EQ(r.port.detail, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(d.Frames().isEmpty());
  }
}

TEST(ScriptedZeroing, AcknowledgedRefusedShortSilentAndGone) {
  struct Case {
    const char* name;
    void (*setUp)(test::ScriptedAltimeter&);
    ZeroingOutcome outcome;
  };
  const Case cases[] = {
      {"ok", [](test::ScriptedAltimeter&) {}, ZeroingOutcome::Ok},
      {"refused", [](test::ScriptedAltimeter& a) { a.refuseWrites = true; },
       ZeroingOutcome::Refused},
      {"short", [](test::ScriptedAltimeter& a) { a.shortReplies = true; },
       ZeroingOutcome::NoAnswer},
      {"silent", [](test::ScriptedAltimeter& a) { a.silent = true; }, ZeroingOutcome::NoAnswer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDevice d;
    c.setUp(d.altimeter);
    const ZeroingResult r = RunZeroing(d.channel, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.outcome, c.outcome);
    if (c.outcome == ZeroingOutcome::Ok) {
      EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Reset - OK"));
      EXPECT_EQ(MessageFor(r).Caption(1), QStringLiteral("Reset"));
      EXPECT_EQ(MessageFor(r).Text(0), QStringLiteral("Hypsor wyzerowany"));
    }
    EXPECT_FALSE(d.channel.IsOpen());
    ASSERT_EQ(d.Frames().size(), 1);
    EXPECT_EQ(d.Frames()[0], Bytes({'e', '2', '2', '3', 0, 0, 0, 0}));
  }
  ScriptedDevice d;
  // The device goes before it answers.
  d.line.QueueReply(ScriptedReply().HangUp(10));
  const ZeroingResult r = RunZeroing(d.channel, QStringLiteral("ttyUSB0"));
  EXPECT_EQ(r.outcome, ZeroingOutcome::CommunicationError);
  EXPECT_EQ(d.channel.Fault(), FailureKind::DeviceGone);
  EXPECT_FALSE(d.channel.IsOpen());
}

}  // namespace
}  // namespace hypsor
