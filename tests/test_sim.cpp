// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of the simulated altimeter, driven over its pseudo-terminal with plain POSIX calls rather
// than the program's own device code, and with the protocol's byte values written out here, so
// the test equipment is checked independently of what it will be used to test.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Byte time at 115200 baud with 11 bits per byte (start, 8 data, two stop), in microseconds.
constexpr double kByteMicros = 11.0 * 1e6 / 115200.0;

Bytes Frame(std::uint8_t command, Bytes parameters = {}) {
  Bytes frame{'e', command, 0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < parameters.size() && i + 2 < frame.size(); ++i) {
    frame[i + 2] = parameters[i];
  }
  return frame;
}

// A flight image with a recognisable header, a sample ramp, the end marker, and `tail` bytes after
// it (the device sends its memory to the end, whatever follows the marker).
Bytes MakeFlight(std::size_t samples, std::size_t tail = 0) {
  Bytes image(32, 0);
  image[2] = 42;
  image[3] = 0x39;
  image[4] = 0x30;
  image[5] = 18;
  image[7] = 3;
  for (std::size_t i = 0; i < samples; ++i) {
    const std::uint16_t s = static_cast<std::uint16_t>(8800 + (i * 7) % 1500);
    image.push_back(static_cast<std::uint8_t>(s & 0xFF));
    image.push_back(static_cast<std::uint8_t>(s >> 8));
  }
  image.push_back(0xFF);
  image.push_back(0xFF);
  for (std::size_t i = 0; i < tail; ++i) image.push_back(static_cast<std::uint8_t>(0x30 + i));
  return image;
}

class SimulatedAltimeter : public ::testing::Test {
 protected:
  void TearDown() override { Stop(); }

  void Stop() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (sim_.state() != QProcess::NotRunning) {
      sim_.terminate();
      if (!sim_.waitForFinished(5000)) {
        sim_.kill();
        sim_.waitForFinished(2000);
        ADD_FAILURE() << "the simulator ignored SIGTERM";
      }
    }
    // Scripts read the port name from the first line; nothing may follow it on stdout.
    EXPECT_TRUE(sim_.readAllStandardOutput().isEmpty());
  }

  void Start(QStringList args) {
    const QString path = hypsor::test::SimulatorPath();
    ASSERT_FALSE(path.isEmpty()) << "HYPSOR_SIM is not set";
    sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim_.start(path, args);
    ASSERT_TRUE(sim_.waitForStarted(5000)) << sim_.errorString().toStdString();
    while (!sim_.canReadLine()) {
      ASSERT_TRUE(sim_.waitForReadyRead(5000)) << "no port name from the simulator";
    }
    const QString port = QString::fromLatin1(sim_.readLine()).chopped(1);
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^pts/[0-9]+$")).match(port).hasMatch())
        << port.toStdString();

    fd_ = ::open(QByteArray("/dev/" + port.toLatin1()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd_, 0) << "cannot open /dev/" << port.toStdString();
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd_, &tio), 0);
    ::cfmakeraw(&tio);
    ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &tio), 0);
  }

  QString TempFile(const char* name, const Bytes& content = {}) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(content.data()), static_cast<qint64>(content.size()));
    return path;
  }

  void Send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      ASSERT_GT(n, 0) << "write to the simulator failed";
      done += static_cast<std::size_t>(n);
    }
  }

  // Reads until `want` bytes have come, the line stays quiet for `quietMs`, or it is closed.
  // Every read() that returned data is recorded in chunks_ with its time, for the timing tests.
  Bytes Receive(std::size_t want, int quietMs = 400) {
    Bytes got;
    chunks_.clear();
    hungUp_ = false;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < want) {
      pollfd pfd{fd_, POLLIN, 0};
      const int ready = ::poll(&pfd, 1, quietMs);
      if (ready == 0) break;
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) {  // 0 or EIO: the other side has gone
        hungUp_ = true;
        break;
      }
      got.insert(got.end(), buffer, buffer + n);
      chunks_.push_back({clock.nsecsElapsed() / 1000, static_cast<std::size_t>(n)});
    }
    return got;
  }

  Bytes Ask(const Bytes& frame, std::size_t want) {
    Send(frame);
    return Receive(want);
  }

  // A reply of `length` bytes and whatever follows it within a moment: the simulator writes a
  // reply at once, so a longer one would show here.
  Bytes AskShort(const Bytes& frame, std::size_t length) {
    Bytes reply = Ask(frame, length);
    const Bytes more = Receive(1, kTrailingQuietMs);
    reply.insert(reply.end(), more.begin(), more.end());
    return reply;
  }

  // True when no byte comes for a while after the frame.
  bool Unanswered(const Bytes& frame) {
    Send(frame);
    return Receive(1, kSilenceMs).empty();
  }

  static constexpr int kTrailingQuietMs = 100;
  static constexpr int kSilenceMs = 200;

  struct Chunk {
    qint64 micros;
    std::size_t size;
  };

  QProcess sim_;
  QTemporaryDir dir_;
  int fd_ = -1;
  std::vector<Chunk> chunks_;
  bool hungUp_ = false;
};

TEST_F(SimulatedAltimeter, QueriesReportCalibrationAndWrittenSettings) {
  ASSERT_NO_FATAL_FAILURE(Start({"--no-pacing", "--calibration", "10250", "--serial", "4660",
                                 "--competitor", "3", "--temp-calibration", "11", "--trigger",
                                 "120", "--sampling", "1", "--manual-zero", "0"}));

  // "D": the calibration word in bytes 2-3, low byte first (10250 = 0x280A).
  Bytes reply = Ask(Frame('D'), 8);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(reply[2], 0x0A);
  EXPECT_EQ(reply[3], 0x28);

  // "4" with the start-up settings: competitor, serial, temperature calibration, trigger,
  // sampling code in the low nibble of byte 7.
  reply = Ask(Frame('4'), 8);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 7), (Bytes{3, 0x34, 0x12, 11, 0, 120, 0}));
  EXPECT_EQ(reply[7] & 0x0F, 1);

  // "5" stores competitor 200, calibration 20, trigger 306 (a word, to see the high byte) and
  // sampling 4; the acknowledgement is two bytes with 0xA5 second.
  reply = AskShort(Frame('5', {200, 20, 0, 0x32, 0x01, 4}), 2);
  ASSERT_EQ(reply.size(), 2u);
  EXPECT_EQ(reply[1], 0xA5);
  reply = Ask(Frame('4'), 8);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 7), (Bytes{200, 0x34, 0x12, 20, 0, 0x32, 0x01}));
  EXPECT_EQ(reply[7] & 0x0F, 4);

  // "C" stores the manual-zeroing mode; "B" reports it in bit 0 of byte 0. Both directions, so a
  // value that never changes cannot pass.
  for (const std::uint8_t mode : {1, 0}) {
    reply = AskShort(Frame('C', {mode}), 2);
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_EQ(reply[1], 0xA5);
    reply = Ask(Frame('B'), 8);
    ASSERT_EQ(reply.size(), 8u);
    EXPECT_EQ(reply[0] & 1, mode);
  }

  // Zeroing "e223": 8 bytes with 0xAA 0xAA at bytes 1-2.
  reply = Ask(Frame('2', {'2', '3'}), 8);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(reply[1], 0xAA);
  EXPECT_EQ(reply[2], 0xAA);

  // SIGTERM ends it cleanly.
  sim_.terminate();
  ASSERT_TRUE(sim_.waitForFinished(5000));
  EXPECT_EQ(sim_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(sim_.exitCode(), 0);
}

TEST_F(SimulatedAltimeter, FlightIsSentByteForByteAndFramesAreLogged) {
  const Bytes flight = MakeFlight(700, 5);
  const QString log = TempFile("frames.log");
  ASSERT_NO_FATAL_FAILURE(
      Start({"--no-pacing", "--flight", TempFile("f.hyp", flight), "--log", log}));

  // A stray byte before a frame is skipped, a frame split over two writes is still one frame.
  Send({0x00});
  EXPECT_EQ(Ask(Frame('4'), 8).size(), 8u);
  Send({'e', '5', 0xC8, 0x14});
  ::usleep(20'000);
  Send({0x00, 0x32, 0x00, 0x04});
  EXPECT_EQ(Receive(2).size(), 2u);

  // "1" after a zeroing-style frame: bytes 2-7 carry what is left in the program's frame.
  EXPECT_EQ(AskShort(Bytes{'e', '1', '2', '3', 0, 0x32, 0, 4}, flight.size()), flight);

  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("6534000000000000\n"
                                       "6535c81400320004\n"
                                       "6531323300320004\n"));
}

TEST_F(SimulatedAltimeter, FaultModes) {
  {
    SCOPED_TRACE("silent");
    ASSERT_NO_FATAL_FAILURE(Start({"--no-pacing", "--fault", "silent"}));
    EXPECT_TRUE(Unanswered(Frame('4')));
    EXPECT_TRUE(Unanswered(Frame('1')));
    Stop();
  }
  {
    SCOPED_TRACE("short-replies");
    ASSERT_NO_FATAL_FAILURE(Start({"--no-pacing", "--fault", "short-replies"}));
    EXPECT_EQ(AskShort(Frame('4'), 5).size(), 5u);
    EXPECT_EQ(AskShort(Frame('2', {'2', '3'}), 2).size(), 2u);
    Stop();
  }
  {
    // Both writes answered with 0x5A second; the report stays as it was.
    SCOPED_TRACE("refuse-writes");
    ASSERT_NO_FATAL_FAILURE(Start({"--no-pacing", "--fault", "refuse-writes", "--competitor", "3"}));
    Bytes reply = AskShort(Frame('5', {200, 20, 0, 0x32, 0x01, 4}), 2);
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_EQ(reply[1], 0x5A);
    reply = AskShort(Frame('C', {1}), 2);
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_EQ(reply[1], 0x5A);
    reply = Ask(Frame('4'), 8);
    ASSERT_EQ(reply.size(), 8u);
    EXPECT_EQ(reply[0], 3);
  }
}

TEST_F(SimulatedAltimeter, HangupDeliversHalfTheFlightThenClosesTheLine) {
  const Bytes flight = MakeFlight(999);  // 2032 bytes
  ASSERT_NO_FATAL_FAILURE(Start({"--fault", "hangup", "--flight", TempFile("f.hyp", flight)}));
  Send(Frame('1'));
  const Bytes got = Receive(flight.size(), 3000);
  EXPECT_TRUE(hungUp_) << "read() never reported the device gone";
  EXPECT_EQ(got, Bytes(flight.begin(), flight.begin() + 1016));
  ASSERT_TRUE(sim_.waitForFinished(5000));
  EXPECT_EQ(sim_.exitCode(), 0);
}

TEST_F(SimulatedAltimeter, PacingFollowsTheLineRate) {
  const Bytes flight = MakeFlight(2233);  // 4500 bytes
  ASSERT_EQ(flight.size(), 4500u);
  ASSERT_NO_FATAL_FAILURE(Start({"--flight", TempFile("f.hyp", flight)}));

  QElapsedTimer clock;
  clock.start();
  Send(Frame('1'));
  EXPECT_EQ(Receive(flight.size()), flight);
  const double seconds = clock.nsecsElapsed() / 1e9;
  // Never faster than the line (a loaded machine only makes it slower, so no upper bound).
  EXPECT_GE(seconds, 4500 * kByteMicros / 1e6 * 0.95);  // about 0.43 s at the line rate

  // Paced along the way, not held back and then sent in a burst: by any moment no more bytes
  // have come than the line could carry since the request (plus a small allowance).
  std::size_t total = 0;
  for (const Chunk& c : chunks_) {
    total += c.size;
    ASSERT_LE(total, c.micros / kByteMicros + 64) << "at " << c.micros << " us";
  }
  EXPECT_GT(chunks_.size(), 20u);
}

TEST_F(SimulatedAltimeter, ByteGapDeliversRepliesOneByteAtATime) {
  ASSERT_NO_FATAL_FAILURE(Start({"--byte-gap", "15", "--calibration", "10500"}));
  QElapsedTimer clock;
  clock.start();
  const Bytes reply = Ask(Frame('D'), 8);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(reply[2], 0x04);  // 10500 = 0x2904
  EXPECT_EQ(reply[3], 0x29);
  // Byte by byte, 15 ms apart; a loaded machine may now and then read two at once.
  EXPECT_GE(chunks_.size(), 5u);
  EXPECT_GE(clock.elapsed(), 7 * 15);
}

}  // namespace
