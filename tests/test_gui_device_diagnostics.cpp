// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' side of the device link's explanations: the port list, typing checks on values
// read from the altimeter, the reason a port did not open, the warning for a flight without end
// marker and the saved communication log. The altimeter is a scripted one on virtual time; the
// reason a port did not open is the system's, from the serial port.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "device/DeviceChannel.h"
#include "files/SettingsFile.h"
#include "tests/support/DeviceWindowFixture.h"
#include "tests/support/ScriptedWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/DeviceSettingsWindow.h"

namespace hypsor {
namespace {

using test::Child;

// The device window and the names its port list offers.
struct DeviceWindow : test::DeviceWindowFixture {
  using DeviceWindowFixture::DeviceWindowFixture;
  QStringList PortNames() {
    QStringList names;
    for (int i = 0; i < Ports()->count(); ++i) names << Ports()->itemData(i).toString();
    return names;
  }
};

TEST(DeviceWindowPorts, ListIsReadAtEveryOpeningWithThePseudoTerminalFirst) {
  const QString first = QStringLiteral("pts/71"), second = QStringLiteral("pts/72");
  DeviceWindow w(QStringLiteral("COM5"));
  // Built before the port was chosen: the list has the COM ports and what is present.
  EXPECT_TRUE(w.PortNames().contains("COM5"));
  EXPECT_FALSE(w.PortNames().contains(first));

  SetPortName(w.settings, first);
  ASSERT_TRUE(w.Read()) << w.BoxTexts().join('|').toStdString();
  QStringList names = w.PortNames();
  const qsizetype present = names.indexOf(first);
  ASSERT_GE(present, 0);
  const qsizetype firstCom = names.indexOf(QRegularExpression(QStringLiteral("^COM\\d+$")));
  EXPECT_LT(present, firstCom);
  EXPECT_EQ(w.Ports()->currentIndex(), present);
  for (int n = 1; n <= 25; ++n) {
    const QString com = QStringLiteral("COM%1").arg(n);
    // A COMn naming a device listed above is left out; the others are there once.
    EXPECT_LE(names.count(com), 1) << com.toStdString();
  }
  EXPECT_EQ(names.removeDuplicates(), 0);
  w.window->reject();

  // Another device is chosen elsewhere: the next opening lists it.
  SetPortName(w.settings, second);
  ASSERT_TRUE(w.Read());
  EXPECT_TRUE(w.PortNames().contains(second));
  EXPECT_EQ(w.Ports()->currentData().toString(), second);
  w.window->reject();
}

TEST(DeviceWindowChecks, ValuesReadFromTheAltimeterAreCheckedLikeTypedOnes) {
  {
    DeviceWindow w(QStringLiteral("ttyQQ1"));
    w.altimeter.Report(7, 1234, 100, 300, 3);
    // The boxes run their own loops, after the read's end: it is still reported once, as a
    // success, after them.
    w.boxes.modalMs = 100;
    EXPECT_TRUE(w.Read());
    // One box per field over its limit, as the field is filled.
    EXPECT_EQ(w.BoxTexts(), QStringList({"Too large value", "Too large value"}));
    EXPECT_EQ(Child<QLineEdit>(w.window.get(), "calibrationField")->text(), "100");
    w.window->reject();
  }
  {
    // 60 is within the typing limit of the calibration (the upload refuses it later).
    DeviceWindow w(QStringLiteral("ttyQQ1"), 0);
    w.altimeter.Report(7, 1234, 60, 200, 3);
    EXPECT_TRUE(w.Read());
    EXPECT_TRUE(w.BoxTexts().isEmpty()) << w.BoxTexts().join('|').toStdString();
    w.window->reject();
  }
  {
    DeviceWindow w(QStringLiteral("ttyQQ1"), 0);
    w.altimeter.Report(255, 1234, 25, 201, 3);
    EXPECT_TRUE(w.Read());
    EXPECT_EQ(w.BoxTexts(), QStringList({"Za duza wartosc"}));
    w.window->reject();
  }
}

TEST(DeviceWindowChecks, APortThatDoesNotOpenSaysWhy) {
  for (int language : {1, 0}) {
    DeviceWindow w(QStringLiteral("ttyQQ9"), language, DeviceWindow::On::SerialPort);
    EXPECT_FALSE(w.Read());
    // One box, which says it all.
    ASSERT_EQ(w.boxes.boxes.size(), 1);
    const QStringList paragraphs = w.boxes.boxes[0].text.split("\n\n");
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_EQ(paragraphs[0], language ? QStringLiteral("Communication Error: ttyQQ9")
                                      : QStringLiteral("Błąd komunikacji z portem: ttyQQ9"));
    EXPECT_TRUE(
        paragraphs[1].startsWith(language ? QStringLiteral("Port ttyQQ9 (/dev/ttyQQ9) not found.")
                                          : QStringLiteral("Nie znaleziono portu ttyQQ9")))
        << paragraphs[1].toStdString();
  }
  // A typed name that would leave /dev is refused with its own box and not stored.
  DeviceWindow w(QStringLiteral("COM5"), 1, DeviceWindow::On::SerialPort);
  w.Show();
  w.ChoosePort(QStringLiteral("../tmp"));
  ASSERT_EQ(w.boxes.boxes.size(), 1);
  EXPECT_TRUE(w.boxes.boxes[0].text.startsWith("A port name is the name of a device in /dev"));
  EXPECT_EQ(PortNameText(w.settings), QStringLiteral("COM5"));
  w.window->reject();
}

// On the scripted altimeter: all thirty polls for the missing marker pass on virtual time.
TEST(MainWindowDownload, AFlightWithoutEndMarkerIsTakenWithAWarningLine) {
  test::ScriptedWindowFixture f;
  const QByteArray sample = test::ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
  ASSERT_TRUE(sample.endsWith("\xFF\xFF"));
  f.altimeter.flight = sample.left(sample.size() - 2);
  f.Trigger("englishAction");
  f.Click("readButton");
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  auto* warning = f.Control<QLabel>("downloadWarning");
  ASSERT_NE(warning, nullptr);
  EXPECT_TRUE(warning->isVisible());
  EXPECT_EQ(warning->text(),
            QStringLiteral("no end marker; the flight may be incomplete (%1 bytes)")
                .arg(sample.size() - 2));

  // The line follows the language, with the Polish form of the number (1802: "bajty").
  f.Trigger("polishAction");
  ASSERT_EQ(sample.size() - 2, 1802);
  EXPECT_EQ(warning->text(), QStringLiteral("brak znacznika końca; lot może być niepełny (1802 bajty)"));
  EXPECT_TRUE(warning->isVisible());

  // The log of that download can be saved from the Setup menu.
  QTemporaryDir dir;
  const QString log = dir.filePath(QStringLiteral("support.log"));
  f.dialogs.saveNames = {log};
  f.Trigger("saveCommunicationLogAction");
  const QString text = QString::fromUtf8(test::ReadFile(log));
  EXPECT_TRUE(text.contains("send    8 bytes sent: 65 31 00 00 00 00 00 00"))
      << text.left(400).toStdString();
  EXPECT_TRUE(text.contains("end marker missing"));
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
}

// Scripted too: with data after it the marker is not among the last bytes, so the polls run out.
TEST(MainWindowDownload, DataAfterTheEndMarkerIsSaidAsSuchAndTheFlightIsWhole) {
  test::ScriptedWindowFixture f;
  QByteArray garbage;
  for (int k = 0; k < 300; ++k) garbage.append(static_cast<char>(0x20 + k % 90));
  f.altimeter.flight =
      test::ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp"))) + garbage;
  f.Trigger("englishAction");
  f.Click("readButton");
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  auto* warning = f.Control<QLabel>("downloadWarning");
  ASSERT_NE(warning, nullptr);
  EXPECT_EQ(warning->text(),
            QStringLiteral("data after the end marker (300 bytes); the flight ends at the marker"));
  f.Trigger("polishAction");
  EXPECT_EQ(warning->text(), QStringLiteral("po znaczniku końca przyszły jeszcze dane (300 bajtów); "
                                            "lot kończy się na znaczniku"));
  // The flight is the sample's, whole: as many points as it has samples.
  EXPECT_EQ(f.Workspace().Chart()[Curve::Altitude].size(), 885u);
}

TEST(MainWindowDownload, AWholeFlightShowsNoWarningAndAnEmptyLogIsSaidSo) {
  test::ScriptedWindowFixture f;
  f.altimeter.flight = test::ReadFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")));
  f.Trigger("polishAction");
  f.Trigger("saveCommunicationLogAction");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_TRUE(f.boxes.boxes[0].text.startsWith("Dziennik komunikacji jest pusty"));
  EXPECT_EQ(f.dialogs.saveAsked, 0);
  f.Click("readButton");
  EXPECT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.Workspace().Chart()[Curve::Altitude].size(), 885u);
  auto* warning = f.Window().findChild<QLabel*>(QStringLiteral("downloadWarning"));
  EXPECT_TRUE(warning == nullptr || !warning->isVisible());
}

}  // namespace
}  // namespace hypsor
