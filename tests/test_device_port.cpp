// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the serial port: which device a name opens, what an open failure says, and that an
// open port is not reopened.
#include <gtest/gtest.h>

#include <QThread>

#include "device/DeviceChannel.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "platform/SerialPort.h"
#include "tests/support/SimProcess.h"

namespace hypsor {
namespace {

using test::SimProcess;

#ifdef Q_OS_LINUX
TEST(SerialPortNames, WindowNamesAndPathsMapToDevices) {
  EXPECT_EQ(SerialPort::SystemLocation("COM1"), "/dev/ttyS0");
  EXPECT_EQ(SerialPort::SystemLocation("COM9"), "/dev/ttyS8");
  EXPECT_EQ(SerialPort::SystemLocation("COM10"), "/dev/ttyS9");
  EXPECT_EQ(SerialPort::SystemLocation("COM25"), "/dev/ttyS24");
  EXPECT_EQ(SerialPort::SystemLocation("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(SerialPort::SystemLocation("ttyACM0"), "/dev/ttyACM0");
  EXPECT_EQ(SerialPort::SystemLocation("pts/3"), "/dev/pts/3");
  EXPECT_EQ(SerialPort::SystemLocation("/dev/pts/12"), "/dev/pts/12");
  // Not a COM number: taken as a device name.
  EXPECT_EQ(SerialPort::SystemLocation("COM0"), "/dev/COM0");
  EXPECT_EQ(SerialPort::SystemLocation("COMX"), "/dev/COMX");
}
#endif

TEST(SerialPortOpen, FailuresNameThePortAndSayWhy) {
  DeviceChannel channel;
  EXPECT_FALSE(channel.OpenPort(QStringLiteral("ttyQQ9")));
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_EQ(channel.LastOpenFailure().kind, FailureKind::PortNotFound);
  const SessionMessage missing = PortOpenMessage(channel.LastOpenFailure());
  // The box's first paragraph is the one the program always had; the reason follows.
  EXPECT_TRUE(missing.Text(1).startsWith(QStringLiteral("Communication Error: ttyQQ9\n\n")));
  EXPECT_TRUE(missing.Text(0).startsWith(QStringLiteral("Błąd komunikacji z portem: ttyQQ9\n\n")));
  EXPECT_EQ(missing.Caption(1), QStringLiteral("Hypsor - error"));
  EXPECT_EQ(missing.Caption(0), QStringLiteral("Hypsor - problem"));
  EXPECT_FALSE(channel.ClosePort());

  // The sessions report the same.
  const DownloadResult d = RunDownload(channel, QStringLiteral("ttyQQ9"));
  EXPECT_EQ(d.outcome, DownloadOutcome::PortOpenFailed);
  EXPECT_EQ(MessageFor(d).Text(1), missing.Text(1));
  const ZeroingResult z = RunZeroing(channel, QStringLiteral("ttyQQ9"));
  EXPECT_EQ(z.outcome, ZeroingOutcome::PortOpenFailed);
  EXPECT_EQ(MessageFor(z).Text(1), missing.Text(1));

  // A port another program holds is busy, not a matter of permission.
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel holder;
  ASSERT_TRUE(holder.OpenPort(sim.PortName()));
  EXPECT_FALSE(channel.OpenPort(sim.PortName()));
  EXPECT_EQ(channel.LastOpenFailure().kind, FailureKind::PortBusy);
  const QStringList paragraphs = PortOpenMessage(channel.LastOpenFailure()).Text(1).split("\n\n");
  ASSERT_EQ(paragraphs.size(), 2);
  EXPECT_EQ(paragraphs[0], QStringLiteral("Communication Error: ") + sim.PortName());
  EXPECT_EQ(paragraphs[1], QStringLiteral("The port is in use by another program."));
}

TEST(SerialPortOpen, AnOpenPortIsKeptAndPathsWork) {
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  DeviceChannel channel;
  // A query's 8-byte reply read as soon as it is there (the settle wait is the protocol's,
  // checked on the scripted line).
  auto ask = [&channel](std::uint8_t code) {
    if (!channel.SendCommand(code)) return -1;
    for (int k = 0; k < 1000 && channel.RxCount() < 8; ++k) {
      QThread::msleep(5);
      channel.ReadPending();
    }
    return static_cast<int>(channel.RxCount());
  };
  // Paths are the command line's.
  channel.SetAcceptPaths(true);
  ASSERT_TRUE(channel.OpenPort(QStringLiteral("/dev/") + sim.PortName()));
  // Asking again, even for another name, keeps the port that is open.
  EXPECT_TRUE(channel.OpenPort(QStringLiteral("ttyQQ9")));
  EXPECT_EQ(ask('4'), 8);
  EXPECT_TRUE(channel.ClosePort());
  EXPECT_FALSE(channel.ClosePort()) << "none open any more";
  // Once closed, the channel can open again and nothing stale is waiting.
  ASSERT_TRUE(channel.OpenPort(sim.PortName()));
  EXPECT_EQ(channel.ReadPending(), 0);
  EXPECT_EQ(ask('B'), 8);
}

}  // namespace
}  // namespace hypsor
