// Zeroing and download against the simulated altimeter in its own process, over a real
// pseudo-terminal: outcomes, the flight that comes back and the exact frames the device receives.
#include <gtest/gtest.h>

#include <QFile>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::SimProcess;
using test::TempFlightFile;

QByteArray ReadExample(const QString& name) {
  QFile f(test::ExamplePath(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Frame(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

// Header bytes, then `samples` little-endian words counting up, then the end marker if asked.
QByteArray MakeFlight(int samples, bool endMarker) {
  QByteArray f(32, '\0');
  f[2] = 9;
  f[7] = 3;
  for (int k = 0; k < samples; ++k) {
    const int v = 1000 + k;
    f.append(static_cast<char>(v & 0xFF));
    f.append(static_cast<char>(v >> 8));
  }
  if (endMarker) f.append("\xFF\xFF", 2);
  return f;
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

TEST(DeviceDownload, CalibrationWordOutsideItsRangeBecomesNominal) {
  const struct {
    const char* word;
    std::uint32_t expected;
  } cases[] = {{"9699", 10000}, {"9700", 9700}, {"10500", 10500}, {"10501", 10000}};
  for (const auto& c : cases) {
    START_SIM(sim, "--no-pacing", "--calibration", QString::fromLatin1(c.word));
    DeviceChannel channel;
    const DownloadResult r = RunDownload(channel, sim.PortName());
    ASSERT_EQ(r.outcome, DownloadOutcome::Ok) << c.word;
    EXPECT_EQ(r.flight->CalibrationFactor, c.expected) << c.word;
    EXPECT_EQ(r.flight->bytes[8] | (r.flight->bytes[9] << 8), static_cast<int>(c.expected));
  }
}

TEST(DeviceDownload, ByteByByteAndWholeRepliesGiveTheSameFlight) {
  const TempFlightFile file(MakeFlight(40, true));
  START_SIM(whole, "--no-pacing", "--flight", file.Path());
  START_SIM(trickled, "--byte-gap", "5", "--flight", file.Path());
  DeviceChannel channel;
  const DownloadResult a = RunDownload(channel, whole.PortName());
  const DownloadResult b = RunDownload(channel, trickled.PortName());
  ASSERT_EQ(a.outcome, DownloadOutcome::Ok);
  ASSERT_EQ(b.outcome, DownloadOutcome::Ok);
  EXPECT_EQ(a.DownloadByteCount, 32 + 2 * 41);
  EXPECT_EQ(b.DownloadByteCount, a.DownloadByteCount);
  // Byte 0 depends on how the reads fell; everything else must match.
  for (int i = 1; i < a.DownloadByteCount; ++i)
    ASSERT_EQ(a.flight->bytes[i], b.flight->bytes[i]) << "byte " << i;
  EXPECT_EQ(a.flight->SampleCount, 41u);
  EXPECT_EQ(b.flight->SampleCount, 41u);
}

TEST(DeviceDownload, TooFewBytesAfterAllPollsIsACommunicationError) {
  // 31 bytes: one short of a header, and no end marker, so all 30 polls run.
  const TempFlightFile file(MakeFlight(0, false).left(31));
  START_SIM(sim, "--no-pacing", "--flight", file.Path());
  DeviceChannel channel;
  const DownloadResult r = RunDownload(channel, sim.PortName());
  EXPECT_EQ(r.outcome, DownloadOutcome::CommunicationError);
  EXPECT_FALSE(r.flight.has_value());
  EXPECT_EQ(r.DownloadByteCount, 31);
  EXPECT_EQ(r.polls, 30);
  EXPECT_FALSE(channel.IsOpen());
  const SessionMessage m = MessageFor(r);
  EXPECT_TRUE(m.show);
  EXPECT_EQ(m.Text(1), QStringLiteral("Communication Error"));
  EXPECT_EQ(m.Caption(1), QStringLiteral("Hypsor - error"));
  EXPECT_EQ(m.Text(0), QStringLiteral("Błąd komunikacji"));
}

TEST(DeviceZeroing, AcknowledgedRefusedAndShortReplies) {
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
  {
    START_SIM(sim, "--no-pacing", "--fault", "reset-refused");
    DeviceChannel channel;
    const ZeroingResult r = RunZeroing(channel, sim.PortName());
    EXPECT_EQ(r.outcome, ZeroingOutcome::Refused);
    EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Reset - Error"));
    EXPECT_EQ(MessageFor(r).Caption(1), QStringLiteral("Hypsor - error"));
    EXPECT_FALSE(channel.IsOpen());
  }
  {
    START_SIM(sim, "--no-pacing", "--fault", "reset-short");
    DeviceChannel channel;
    const ZeroingResult r = RunZeroing(channel, sim.PortName());
    EXPECT_EQ(r.outcome, ZeroingOutcome::NoAnswer);
    EXPECT_EQ(r.replyBytes, 2);
    EXPECT_FALSE(MessageFor(r).show);
    EXPECT_FALSE(channel.IsOpen());
  }
}

TEST(DeviceFrames, UploadBytesAreCarriedIntoTheNextZeroingAndFlightRequest) {
  START_SIM(sim, "--no-pacing");
  DeviceChannel channel;
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  ASSERT_EQ(ReadDeviceSettings(channel).outcome, SettingsReadOutcome::Ok);
  SettingsUpload u;
  u.calibration = QStringLiteral("20");
  u.trigger = QStringLiteral("50");
  u.competitor = QStringLiteral("7");
  u.samplingIndex = 4;
  u.zeroingIndex = 1;
  ASSERT_EQ(UploadDeviceSettings(channel, u).outcome, UploadOutcome::Accepted);
  ASSERT_EQ(RunZeroing(channel, sim.PortName()).outcome, ZeroingOutcome::Ok);
  ASSERT_EQ(RunDownload(channel, sim.PortName()).outcome, DownloadOutcome::Ok);

  const QList<QByteArray> frames = sim.ReceivedFrames();
  const QList<QByteArray> expected = {
      Frame({0x65, 0x34, 0, 0, 0, 0, 0, 0}),        Frame({0x65, 0x42, 0, 0, 0, 0, 0, 0}),
      Frame({0x65, 0x35, 7, 20, 0, 50, 0, 4}),      Frame({0x65, 0x43, 1, 20, 0, 50, 0, 4}),
      Frame({0x65, 0x32, 0x32, 0x33, 0, 50, 0, 4}), Frame({0x65, 0x34, 0x32, 0x33, 0, 50, 0, 4}),
      Frame({0x65, 0x44, 0x32, 0x33, 0, 50, 0, 4}), Frame({0x65, 0x31, 0x32, 0x33, 0, 50, 0, 4}),
  };
  ASSERT_EQ(frames.size(), expected.size());
  for (int i = 0; i < frames.size(); ++i)
    EXPECT_EQ(frames[i].toHex(' '), expected[i].toHex(' ')) << "frame " << i;
}

}  // namespace
}  // namespace hypsor
