// SPDX-License-Identifier: GPL-3.0-or-later
// The exchanges over a real port: the simulated altimeter on a pseudo-terminal, one case for the
// main window's zeroing and download, one for the settings window's read and upload, with the
// frames the altimeter received. Everything else about them runs on the scripted altimeter
// (test_gui_device_*, test_device_protocol_*).
#include <utility>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "device/DeviceChannel.h"
#include "files/SettingsFile.h"
#include "tests/support/DeviceWindowFixture.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScriptedAltimeter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFlights.h"
#include "ui/DeviceSettingsWindow.h"

namespace hypsor {
namespace {

using test::Bytes;
using test::Child;
using test::SimProcess;

TEST(DevicePort, TheMainWindowZeroesAndDownloads) {
  SimProcess sim({"--no-pacing", "--calibration", "10250"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  test::MainWindowFixture f;
  f.Create();
  ASSERT_TRUE(SetPortName(f.Workspace().Settings(), sim.PortName()));
  MainWindow& w = f.Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  f.Trigger("englishAction");

  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].text, "Reset - OK");
  EXPECT_EQ(sim.ReceivedFrames(), QList<QByteArray>({QByteArray("e223\0\0\0\0", 8)}));
  EXPECT_FALSE(w.Channel().IsOpen());

  f.boxes.boxes.clear();
  f.Click("readButton");
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes[0].text.toStdString();
  EXPECT_FALSE(w.Channel().IsOpen());
  // Probe, calibration and flight request, bytes 2-7 as the zeroing left them in the frame.
  EXPECT_EQ(sim.ReceivedFrames().mid(1), (QList<QByteArray>{Bytes({'e', '4', '2', '3', 0, 0, 0, 0}),
                                                            Bytes({'e', 'D', '2', '3', 0, 0, 0, 0}),
                                                            Bytes({'e', '1', '2', '3', 0, 0, 0, 0})}));
  const QByteArray sent = test::SampleFlightAsSent(10250);
  EXPECT_EQ(f.Workspace().DownloadByteCount(), sent.size());
  const QString saved = f.dir.filePath("saved.hyp");
  f.dialogs.saveNames << saved;
  f.Click("saveButton");
  EXPECT_EQ(test::ReadFile(saved), sent);
}

TEST(DevicePort, TheSettingsWindowReadsAndUploads) {
  SimProcess sim({"--no-pacing", "--competitor", "12", "--serial", "4321", "--temp-calibration",
                  "30", "--trigger", "150", "--sampling", "5", "--manual-zero", "1"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  test::DeviceWindowFixture f(sim.PortName(), 1, test::DeviceWindowFixture::On::SerialPort);
  DeviceSettingsWindow& w = *f.window;
  auto* competitor = Child<QLineEdit>(&w, "competitorField");
  auto* trigger = Child<QLineEdit>(&w, "triggerField");
  auto* calibration = Child<QLineEdit>(&w, "calibrationField");
  auto* sampling = Child<QComboBox>(&w, "samplingCombo");
  auto* manualZero = Child<QComboBox>(&w, "manualZeroCombo");
  ASSERT_TRUE(f.Read());
  f.Show();
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(competitor->text(), QStringLiteral("12"));
  EXPECT_EQ(Child<QLineEdit>(&w, "serialField")->text(), QStringLiteral("4321"));
  EXPECT_EQ(calibration->text(), QStringLiteral("30"));
  EXPECT_EQ(trigger->text(), QStringLiteral("150"));
  EXPECT_EQ(sampling->currentIndex(), 5);
  EXPECT_EQ(manualZero->currentIndex(), 1);
  EXPECT_TRUE(f.PortOpen());

  for (auto [field, text] : {std::pair{calibration, "20"}, {trigger, "50"}, {competitor, "7"}}) {
    field->clear();
    QTest::keyClicks(field, QString::fromLatin1(text));
  }
  sampling->setCurrentIndex(4);
  manualZero->setCurrentIndex(0);
  QTest::mouseClick(Child<QPushButton>(&w, "sendButton"), Qt::LeftButton);
  f.WaitIdle();
  EXPECT_EQ(f.BoxTexts(), QStringList({"Setup OK"}));
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.PortOpen());
  EXPECT_EQ(w.result(), QDialog::Accepted);
  const QList<QByteArray> frames = sim.ReceivedFrames();
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames[2], Bytes({0x65, 0x35, 7, 20, 0, 50, 0, 4}));
  EXPECT_EQ(frames[3], Bytes({0x65, 0x43, 0, 20, 0, 50, 0, 4}));
}

}  // namespace
}  // namespace hypsor
