// SPDX-License-Identifier: GPL-3.0-or-later
// Why a port did not open, in words a user can act on; which names may be opened at all; the
// port list of the device window; and the communication log's bound.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "device/PortChoices.h"
#include "text/CommunicationLogText.h"
#include "text/SessionMessages.h"
#include "platform/SerialDevices.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace hypsor {
namespace {

using test::SimProcess;

QString Reason(const Failure& failure, int language = 1) {
  const QStringList paragraphs =
      PortOpenMessage(failure).Text(language).split(QStringLiteral("\n\n"));
  EXPECT_EQ(paragraphs.size(), 2) << PortOpenMessage(failure).Text(language).toStdString();
  return paragraphs.value(1);
}

// A port that did not open: its kind, name and detail (the device node, or the group), the
// devices present and the system's words.
Failure Port(FailureKind kind, const QString& name, const QString& detail,
             const QStringList& present = {}, const QString& systemText = {}) {
  Failure f = Failure::System(kind, name, systemText);
  f.detail = detail;
  f.names = present;
  return f;
}

TEST(PortDiagnosis, NotFoundNamesTheDeviceNodeAndWhatIsPresent) {
  DeviceChannel channel;
  ASSERT_FALSE(channel.OpenPort(QStringLiteral("COM25")));
  const Failure& f = channel.LastOpenFailure();
  ASSERT_EQ(f.kind, FailureKind::PortNotFound);
  QStringList present;
  for (const SerialDeviceInfo& d : SerialDevicesPresent()) present << d.name;
  const QString expected =
      QStringLiteral("Port COM25 (/dev/ttyS24) not found. ") +
      (present.isEmpty() ? QStringLiteral("No serial device is connected.")
                         : QStringLiteral("Serial devices present: %1.").arg(present.join(", ")));
  EXPECT_EQ(Reason(f), expected);

  // The same case with devices present, and in Polish.
  const Failure two = Port(FailureKind::PortNotFound, "COM5", "/dev/ttyS4", {"ttyUSB0", "ttyACM0"});
  EXPECT_EQ(Reason(two),
            "Port COM5 (/dev/ttyS4) not found. Serial devices present: ttyUSB0, ttyACM0.");
  EXPECT_EQ(Reason(two, 0), QStringLiteral("Nie znaleziono portu COM5 (/dev/ttyS4). Podłączone "
                                           "urządzenia szeregowe: ttyUSB0, ttyACM0."));
  const Failure none = Port(FailureKind::PortNotFound, "/dev/ttyUSB3", "/dev/ttyUSB3");
  EXPECT_EQ(Reason(none), "Port /dev/ttyUSB3 not found. No serial device is connected.");
}

TEST(PortDiagnosis, BusyAndPermissionSayWhatToDo) {
  const Failure acm = Port(FailureKind::PortBusy, "ttyACM0", "/dev/ttyACM0", {}, "Permission denied");
  const QString busy = Reason(acm);
  EXPECT_TRUE(busy.startsWith("The port is in use by another program. ModemManager"))
      << busy.toStdString();
  EXPECT_FALSE(busy.contains("adduser"));
  const Failure usb = Port(FailureKind::PortBusy, "ttyUSB0", "/dev/ttyUSB0");
  EXPECT_EQ(Reason(usb), "The port is in use by another program.");

  // The group that grants the port, found by the channel where the system grants ports that way.
  const Failure perm = Port(FailureKind::PortPermission, "ttyUSB0", "uucp");
  EXPECT_EQ(Reason(perm),
            "No permission to use the port: add your user to the uucp group (sudo adduser $USER "
            "uucp) and log in again.");
  EXPECT_TRUE(Reason(perm, 0).contains("grupy uucp"));

  const Failure other = Port(FailureKind::PortOpen, "ttyS0", "/dev/ttyS0", {}, "Input/output error");
  EXPECT_EQ(Reason(other), "The system says: Input/output error");
}

TEST(PortDiagnosis, AUserWithoutAccessIsToldWhichGroupToJoin) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the tool as another user";
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  const QString node = QStringLiteral("/dev/") + sim.PortName();
  // The pseudo-terminal gives its owner alone read and write access.
  ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), 0620), 0);
  const test::CliRun r =
      test::RunCli({"reset", "--port", sim.PortName(), "--yes"}, [](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        p.setProcessEnvironment(env);
        p.setChildProcessModifier([] {
          if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        });
      });
  if (r.status == -1 || r.status == 99 || r.status == 126 || r.status == 127)
    GTEST_SKIP() << "the tool cannot be run as nobody here: " << r.err.toStdString();
  EXPECT_EQ(r.status, 3) << r.err.toStdString();
  const QString group = QFileInfo(node).group();
  ASSERT_FALSE(group.isEmpty());
  EXPECT_TRUE(r.err.contains(QStringLiteral("add your user to the %1 group").arg(group)))
      << r.err.toStdString();
  EXPECT_TRUE(sim.ReceivedFrames().isEmpty());
}

TEST(PortNames, OnlyTerminalsUnderDevOpen) {
  QTemporaryDir dir;
  const QString file = dir.filePath("regular");
  ASSERT_TRUE(test::WriteFile(file, "not a port"));
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  DeviceChannel cli;
  cli.SetAcceptPaths(true);
  for (const QString& path : {file, fifo, QStringLiteral("/dev/null"), dir.path()}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_FALSE(cli.OpenPort(path));
    EXPECT_EQ(cli.LastOpenFailure().kind, FailureKind::PortNotSerial);
    EXPECT_EQ(Reason(cli.LastOpenFailure()), QStringLiteral("%1 is not a serial port.").arg(path));
  }
  EXPECT_EQ(test::ReadFile(file), QByteArray("not a port"));

  // Names from the window or the settings file stay under /dev.
  DeviceChannel window;
  for (const char* name : {"../tmp", "pts/../../tmp/x", "..", "/dev/null", "/tmp"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(window.OpenPort(QString::fromLatin1(name)));
    EXPECT_EQ(window.LastOpenFailure().kind, FailureKind::PortNameRefused);
    EXPECT_TRUE(Reason(window.LastOpenFailure()).contains("may not start with \"/\""));
  }
  EXPECT_FALSE(cli.OpenPort(QStringLiteral("../tmp")));
  EXPECT_EQ(cli.LastOpenFailure().kind, FailureKind::PortNameRefused);

  // The simulator's terminal opens by its name, and by its path on the command line.
  SimProcess sim({"--no-pacing"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  ASSERT_TRUE(window.OpenPort(sim.PortName()));
  window.ClosePort();
  ASSERT_TRUE(cli.OpenPort(QStringLiteral("/dev/") + sim.PortName()));
  cli.ClosePort();
}

TEST(PortNames, CommandLineRefusesWhatIsNotASerialPort) {
  const test::CliRun r = test::RunCli({"reset", "--port", "/dev/null", "--yes"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.err.contains("Communication Error: /dev/null\n\n/dev/null is not a serial port."))
      << r.err.toStdString();
}

TEST(PortNames, TheWindowsCommandLineTakesWhatItCanStore) {
  EXPECT_EQ(StorablePortName("/dev/pts/3"), "pts/3");
  EXPECT_EQ(StorablePortName("pts/12"), "pts/12");
  EXPECT_EQ(StorablePortName("COM25"), "COM25");
  EXPECT_EQ(StorablePortName("/dev/ttyUSB0"), "ttyUSB0");
  for (const char* refused : {"/dev/pts/123456", "/tmp/x", "../tmp", "/dev/../tmp", "", "ttyUSB10"})
    EXPECT_EQ(StorablePortName(QString::fromLatin1(refused)), QString()) << refused;

  const QString app = qEnvironmentVariable("HYPSOR_GUI");
  ASSERT_FALSE(app.isEmpty());
  QTemporaryDir dir;
  QProcess p;
  p.start(app, {"--settings", dir.filePath("hypsor.par"), "--port", "/dev/../tmp"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_TRUE(
      QString::fromUtf8(p.readAllStandardError()).contains("cannot use the port \"/dev/../tmp\""));
  // Refused before anything was written.
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("hypsor.par")));
}

TEST(PortList, DevicesFirstThenComPortsWithoutDuplicates) {
  const QList<SerialDeviceInfo> present = {
      {"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"},
      {"ttyS0", "/dev/ttyS0", ""},
      {"ttyUSB10", "/dev/ttyUSB10", "too long a name to store"},
  };
  const QList<PortChoice> list = PortChoices(present, QStringLiteral("pts/3"));
  QStringList names, labels;
  for (const PortChoice& c : list) {
    names << c.name;
    labels << c.label;
  }
  ASSERT_EQ(names.size(), 2 + 1 + 24);
  EXPECT_EQ(labels[0], QStringLiteral("ttyUSB0 \u2013 FT232R USB UART"));
  EXPECT_EQ(labels[1], QStringLiteral("ttyS0"));
  // The stored port stays choosable, after the devices present.
  EXPECT_EQ(names[2], QStringLiteral("pts/3"));
  // COM1 is /dev/ttyS0, listed already.
  EXPECT_EQ(names[3], QStringLiteral("COM2"));
  EXPECT_EQ(names.last(), QStringLiteral("COM25"));
  EXPECT_FALSE(names.contains("COM1"));
  EXPECT_EQ(names.removeDuplicates(), 0);

  // Nothing present and a COM port stored: the plain list.
  const QList<PortChoice> plain = PortChoices({}, QStringLiteral("COM5"));
  ASSERT_EQ(plain.size(), 25);
  EXPECT_EQ(plain[4].name, QStringLiteral("COM5"));
  EXPECT_EQ(plain[4].label, QStringLiteral("COM5"));
}

TEST(CommunicationLogBound, KeepsTheLastReads) {
  CommunicationLog log;
  log.PortOpened("pts/3", "/dev/pts/3");
  const std::uint8_t frame[8] = {0x65, 0x31, 0, 0, 0, 0, 0, 0};
  log.Sent(frame, true);
  for (int i = 0; i < CommunicationLog::MaxReads + 500; ++i) {
    const std::uint8_t byte = static_cast<std::uint8_t>(i);
    log.Read(std::span<const std::uint8_t>(&byte, 1), 1, 0);
  }
  log.Note(SessionNote::DownloadComplete);
  EXPECT_EQ(log.Reads(), CommunicationLog::MaxReads);
  const QString text = QString::fromUtf8(CommunicationLogText(log));
  EXPECT_EQ(text.count(QStringLiteral("  read ")), CommunicationLog::MaxReads);
  EXPECT_TRUE(text.contains("# 502 earlier entries dropped")) << text.left(300).toStdString();
  // The oldest kept read is number 500 (0xf4), the newest 20499 (0x13).
  const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
  EXPECT_TRUE(lines[2].endsWith("read    1 bytes (1 waiting): f4")) << lines[2].toStdString();
  EXPECT_TRUE(lines[lines.size() - 2].endsWith(": 13")) << lines[lines.size() - 2].toStdString();
  EXPECT_TRUE(lines.last().endsWith("note    download complete"));
}

}  // namespace
}  // namespace hypsor
