// SPDX-License-Identifier: GPL-3.0-or-later
// The device settings window driven through its real widgets against a scripted altimeter on
// virtual time (test_gui_device_port reads and uploads over a real port); message boxes go to
// the recording double.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "device/DeviceChannel.h"
#include "files/SettingsFile.h"
#include "session/DeviceController.h"
#include "tests/support/DeviceWindowFixture.h"
#include "text/SessionMessages.h"
#include "ui/DeviceSettingsWindow.h"

namespace hypsor {
namespace {

using test::Bytes;
using test::Child;

// A port name that is no device here: the scripted altimeter answers on it.
const QString kAltimeterPort = QStringLiteral("ttyQQ1");

// The window's controls, found by their object names.
struct Controls {
  explicit Controls(const QWidget* w)
      : portLabel(Child<QLabel>(w, "portLabel")),
        portCombo(Child<QComboBox>(w, "portCombo")),
        triggerLabel(Child<QLabel>(w, "triggerLabel")),
        triggerField(Child<QLineEdit>(w, "triggerField")),
        calibrationLabel(Child<QLabel>(w, "calibrationLabel")),
        calibrationField(Child<QLineEdit>(w, "calibrationField")),
        samplingLabel(Child<QLabel>(w, "samplingLabel")),
        samplingCombo(Child<QComboBox>(w, "samplingCombo")),
        manualZeroLabel(Child<QLabel>(w, "manualZeroLabel")),
        manualZeroCombo(Child<QComboBox>(w, "manualZeroCombo")),
        competitorLabel(Child<QLabel>(w, "competitorLabel")),
        competitorField(Child<QLineEdit>(w, "competitorField")),
        serialLabel(Child<QLabel>(w, "serialLabel")),
        serialField(Child<QLineEdit>(w, "serialField")),
        sendButton(Child<QPushButton>(w, "sendButton")) {}
  QLabel* portLabel;
  QComboBox* portCombo;
  QLabel* triggerLabel;
  QLineEdit* triggerField;
  QLabel* calibrationLabel;
  QLineEdit* calibrationField;
  QLabel* samplingLabel;
  QComboBox* samplingCombo;
  QLabel* manualZeroLabel;
  QComboBox* manualZeroCombo;
  QLabel* competitorLabel;
  QLineEdit* competitorField;
  QLabel* serialLabel;
  QLineEdit* serialField;
  QPushButton* sendButton;
};

// The window on a scripted altimeter, with its controls at hand.
struct Fixture : test::DeviceWindowFixture {
  explicit Fixture(const QString& port) : DeviceWindowFixture(port), c(window.get()) {}
  void Retype(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
  }
  void ChoosePortAndWait(const QString& name) {
    ChoosePort(name);
    WaitIdle();
  }
  void Send() {
    QTest::mouseClick(c.sendButton, Qt::LeftButton);
    WaitIdle();
  }
  // Every following opening fails as for a port without a device; a name the altimeter is on
  // opens again.
  void NoDevice() { line.RefuseOpen(PortOpenError::NotFound, QStringLiteral("No such file")); }
  void DeviceOn() { line.RefuseOpen(PortOpenError::None); }

  Controls c;
};

TEST(DeviceWindow, OpensWithTheDevicesSettingsAndItsLayout) {
  Fixture f(kAltimeterPort);
  f.altimeter.Report(12, 4321, 30, 150, 19);
  f.altimeter.manualZero = 1;
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  ASSERT_TRUE(f.Read());
  f.Show();
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(c.competitorField->text(), QStringLiteral("12"));
  EXPECT_EQ(c.serialField->text(), QStringLiteral("4321"));
  EXPECT_TRUE(c.serialField->isReadOnly());
  EXPECT_EQ(c.calibrationField->text(), QStringLiteral("30"));
  EXPECT_EQ(c.triggerField->text(), QStringLiteral("150"));
  EXPECT_EQ(c.samplingCombo->currentText(), QStringLiteral("10 pom/sek"));
  EXPECT_EQ(c.manualZeroCombo->currentText(), QStringLiteral("Yes"));
  EXPECT_EQ(c.portCombo->currentText(), kAltimeterPort);
  // The port stays open while the window is shown.
  EXPECT_TRUE(f.PortOpen());

  EXPECT_EQ(w.windowTitle(), QStringLiteral("Setup"));
  EXPECT_EQ(c.portLabel->text(), QStringLiteral("Select Port"));
  EXPECT_EQ(c.triggerLabel->text(), QStringLiteral("Setup Heigh Trigger"));
  EXPECT_EQ(c.calibrationLabel->text(), QStringLiteral("Calibration of the Temp."));
  EXPECT_EQ(c.samplingLabel->text(), QStringLiteral("Sampling"));
  EXPECT_EQ(c.manualZeroLabel->text(), QStringLiteral("Manual reset"));
  EXPECT_EQ(c.competitorLabel->text(), QStringLiteral("Comp. No."));
  EXPECT_EQ(c.serialLabel->text(), QStringLiteral("Serial No."));
  EXPECT_EQ(c.sendButton->text(), QStringLiteral("Save"));
  EXPECT_EQ(c.manualZeroCombo->itemText(0), QStringLiteral("No"));
  ASSERT_EQ(c.samplingCombo->count(), 8);
  EXPECT_EQ(c.samplingCombo->itemText(4), QStringLiteral("  5 pom/sek"));
  EXPECT_EQ(c.samplingCombo->itemText(7), QStringLiteral("  5 sek/pom"));
  // The devices present come first; the list ends with the COM ports.
  EXPECT_EQ(c.portCombo->itemText(c.portCombo->count() - 1), QStringLiteral("COM25"));

  EXPECT_EQ(w.size(), QSize(179, 483));
  EXPECT_EQ(c.sendButton->geometry(), QRect(40, 408, 89, 33));
  const QWidget* column[] = {c.portCombo,     c.triggerField,    c.calibrationField,
                             c.samplingCombo, c.manualZeroCombo, c.competitorField,
                             c.serialField};
  const QLabel* labels[] = {c.portLabel,     c.triggerLabel,    c.calibrationLabel,
                            c.samplingLabel, c.manualZeroLabel, c.competitorLabel,
                            c.serialLabel};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(labels[i]->pos(), QPoint(40, 16 + 56 * i)) << i;
    EXPECT_EQ(column[i]->pos(), QPoint(40, 32 + 56 * i)) << i;
    // The two fixed lists are a little wider than the fields, so their entries show whole.
    const bool list = column[i] == c.samplingCombo || column[i] == c.manualZeroCombo;
    EXPECT_EQ(column[i]->width(), list ? 91 : 81) << i;
  }

  // Captions follow the language.
  w.close();
  EXPECT_FALSE(f.PortOpen());
  w.SetLanguage(0);
  f.Show();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Ustawienia"));
  EXPECT_EQ(c.portLabel->text(), QStringLiteral("Wybierz Port"));
  EXPECT_EQ(c.manualZeroLabel->text(), QStringLiteral("Zerowanie ręczne"));
  EXPECT_EQ(c.manualZeroCombo->currentText(), QStringLiteral("Tak"));
  EXPECT_EQ(c.sendButton->text(), QStringLiteral("Zapisz"));
}

TEST(DeviceWindow, WithoutADeviceTheFieldsAreBlankAndOneBoxSaysWhy) {
  Fixture f(QStringLiteral("ttyQQ9"));
  f.NoDevice();
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  c.serialField->setText(QStringLiteral("777"));
  EXPECT_FALSE(f.Read());
  f.Show();
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_TRUE(f.boxes.boxes[0].text.startsWith(QStringLiteral("Communication Error: ttyQQ9\n\n")));
  for (const auto& b : f.boxes.boxes) {
    EXPECT_EQ(b.caption, QStringLiteral("Hypsor - error"));
    EXPECT_EQ(b.buttons, BoxButtons::Ok);
  }
  EXPECT_TRUE(c.competitorField->text().isEmpty());
  EXPECT_TRUE(c.triggerField->text().isEmpty());
  EXPECT_TRUE(c.calibrationField->text().isEmpty());
  EXPECT_EQ(c.serialField->text(), QStringLiteral("777"));
  EXPECT_EQ(c.samplingCombo->currentText(), QStringLiteral("15 pom/sek"));
  EXPECT_EQ(c.manualZeroCombo->currentIndex(), 0);

  // Saving then stops at the empty fields, and with them filled, silently at the missing port.
  f.boxes.boxes.clear();
  QTest::mouseClick(c.sendButton, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Field can not be empty"));
  c.triggerField->setText(QStringLiteral("1"));
  c.calibrationField->setText(QStringLiteral("1"));
  c.competitorField->setText(QStringLiteral("1"));
  f.boxes.boxes.clear();
  f.Send();
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_TRUE(w.isVisible());
}

TEST(DeviceWindow, TypingChecksAndTheUploadLimits) {
  Fixture f(kAltimeterPort);
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  ASSERT_TRUE(f.Read());
  f.Show();
  const qsizetype readFrames = f.Frames().size();

  // "2" and "25" pass, "250" is above 200.
  f.Retype(c.triggerField, QStringLiteral("250"));
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Too large value"));
  EXPECT_EQ(f.boxes.boxes[0].caption, QStringLiteral("Hypsor - error"));
  f.Retype(c.competitorField, QStringLiteral("256"));
  EXPECT_EQ(f.boxes.boxes.size(), 2);
  // Calibration warns only above 70 while typing, but the upload takes at most 50.
  f.boxes.boxes.clear();
  f.Retype(c.triggerField, QStringLiteral("200"));
  f.Retype(c.competitorField, QStringLiteral("255"));
  f.Retype(c.calibrationField, QStringLiteral("60"));
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  f.Retype(c.calibrationField, QStringLiteral("71"));
  EXPECT_EQ(f.boxes.boxes.size(), 1);
  f.Retype(c.calibrationField, QStringLiteral("51"));
  f.boxes.boxes.clear();
  f.Send();
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Too large value"));
  EXPECT_EQ(f.Frames().size(), readFrames);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(f.PortOpen());

  // Leaving a field while another is empty.
  f.boxes.boxes.clear();
  c.competitorField->clear();
  c.triggerField->setFocus();
  QTest::keyClick(c.triggerField, Qt::Key_Tab);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Field can not be empty"));
}

TEST(DeviceWindow, SaveUploadsClosesAndTheFramesCarryTheValues) {
  Fixture f(kAltimeterPort);
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  ASSERT_TRUE(f.Read());
  f.Show();
  f.Retype(c.calibrationField, QStringLiteral("20"));
  f.Retype(c.triggerField, QStringLiteral("50"));
  f.Retype(c.competitorField, QStringLiteral("7"));
  c.samplingCombo->setCurrentIndex(4);
  c.manualZeroCombo->setCurrentIndex(1);
  // The "Setup OK" box runs its own loop, after the exchange's end: the window still closes
  // after it.
  f.boxes.modalMs = 150;
  // A second exchange asked for while this one runs does nothing: neither another upload nor a
  // port change (the typed name is put back so that nothing picks it up later).
  QTest::mouseClick(c.sendButton, Qt::LeftButton);
  EXPECT_TRUE(w.ExchangeRunning());
  QTest::mouseClick(c.sendButton, Qt::LeftButton);
  f.ChoosePort(QStringLiteral("COM3"));
  c.portCombo->setEditText(kAltimeterPort);
  f.WaitIdle();
  EXPECT_EQ(f.saves, 0);
  EXPECT_EQ(PortNameText(f.settings), kAltimeterPort);
  ASSERT_EQ(f.boxes.boxes.size(), 1) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Setup OK"));
  EXPECT_EQ(f.boxes.boxes[0].caption, QStringLiteral("Setup"));
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.PortOpen());
  EXPECT_EQ(w.result(), QDialog::Accepted);
  const QList<QByteArray> frames = f.Frames();
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames[2], Bytes({0x65, 0x35, 7, 20, 0, 50, 0, 4}));
  EXPECT_EQ(frames[3], Bytes({0x65, 0x43, 1, 20, 0, 50, 0, 4}));
}

TEST(DeviceWindow, RefusedUploadReportsAndClosesAllTheSame) {
  Fixture f(kAltimeterPort);
  f.altimeter.refuseWrites = true;
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  ASSERT_TRUE(f.Read());
  f.Show();
  f.Retype(c.calibrationField, QStringLiteral("10"));
  f.Send();
  // Both writes were sent and refused: one box says so.
  EXPECT_EQ(f.BoxTexts(), QStringList({"Setup failed"}));
  EXPECT_EQ(f.Frames().size(), 4);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.PortOpen());
}

// A result's boxes open once the controller is idle, and the window starts nothing new until
// they are closed.
TEST(DeviceWindow, ResultBoxesOpenOnlyOnceTheControllerIsIdle) {
  {
    Fixture f(QStringLiteral("ttyQQ9"));
    f.NoDevice();
    f.boxes.controllerBusy = [&f] { return f.device->Busy(); };
    EXPECT_FALSE(f.Read());
    ASSERT_EQ(f.boxes.boxes.size(), 1);
    for (const auto& b : f.boxes.boxes) EXPECT_EQ(b.controllerBusy, false) << b.text.toStdString();
  }
  Fixture f(kAltimeterPort);
  f.altimeter.refuseWrites = true;
  ASSERT_TRUE(f.Read());
  f.Show();
  DeviceSettingsWindow& w = *f.window;
  f.boxes.controllerBusy = [&f, &w] {
    // A port chosen while the box is up is not taken.
    f.ChoosePort(QStringLiteral("COM3"));
    return f.device->Busy();
  };
  f.Retype(f.c.calibrationField, QStringLiteral("10"));
  f.Send();
  ASSERT_EQ(f.BoxTexts(), QStringList({"Setup failed"}));
  EXPECT_EQ(f.boxes.boxes[0].controllerBusy, false);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(PortNameText(f.settings), kAltimeterPort);
  EXPECT_FALSE(f.device->Busy());
}

TEST(DeviceWindow, PortChangesAreStoredAndReadAtOnce) {
  Fixture f(QStringLiteral("ttyQQ9"));
  f.altimeter.report[0] = 33;
  DeviceSettingsWindow& w = *f.window;
  const Controls& c = f.c;
  f.NoDevice();
  f.Read();
  f.Show();
  f.boxes.boxes.clear();

  // A name that does not fit the settings is refused and nothing changes.
  f.ChoosePort(QStringLiteral("ttyUSB10"));
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("A port name can have at most 7 characters."));
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("ttyQQ9"));
  EXPECT_EQ(f.saves, 0);
  EXPECT_EQ(c.portCombo->currentText(), QStringLiteral("ttyQQ9"));

  // A list name: stored with its position, saved, and reported once when it cannot be opened.
  f.boxes.boxes.clear();
  f.ChoosePortAndWait(QStringLiteral("COM12"));
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("COM12"));
  EXPECT_EQ(f.settings.PortIndex, 11);
  EXPECT_EQ(f.saves, 1);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_TRUE(f.boxes.boxes[0].text.startsWith(QStringLiteral("Communication Error: COM12")));

  // Down the list by keyboard: the next COM port.
  f.boxes.boxes.clear();
  c.portCombo->setFocus();
  QTest::keyClick(c.portCombo, Qt::Key_Down);
  f.WaitIdle();
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("COM13"));
  EXPECT_EQ(f.settings.PortIndex, 12);
  EXPECT_EQ(f.saves, 2);

  // The altimeter's port: opened and read, fields filled, no box.
  f.boxes.boxes.clear();
  f.DeviceOn();
  f.ChoosePortAndWait(kAltimeterPort);
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(PortNameText(f.settings), kAltimeterPort);
  EXPECT_EQ(f.settings.PortIndex, -1);
  EXPECT_EQ(f.saves, 3);
  EXPECT_TRUE(f.PortOpen());
  EXPECT_EQ(c.competitorField->text(), QStringLiteral("33"));

  // Closing the window while a port change reads the device: it closes when the read is done.
  f.NoDevice();
  f.ChoosePortAndWait(QStringLiteral("ttyQQ8"));
  f.boxes.boxes.clear();
  c.competitorField->clear();
  f.DeviceOn();
  f.ChoosePort(kAltimeterPort);
  ASSERT_TRUE(w.ExchangeRunning());
  w.close();
  EXPECT_TRUE(w.isVisible()) << "the close waits for the read";
  f.WaitIdle();
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(c.competitorField->text(), QStringLiteral("33"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
  EXPECT_FALSE(f.PortOpen());
}

TEST(DeviceWindow, AFailedPortChangeLeavesNothingToSendToAnotherAltimeter) {
  Fixture f(kAltimeterPort);
  f.altimeter.report[0] = 33;
  const Controls& c = f.c;
  ASSERT_TRUE(f.Read());
  f.Show();
  ASSERT_EQ(c.competitorField->text(), QStringLiteral("33"));
  ASSERT_FALSE(c.serialField->text().isEmpty());

  // The new port does not open: the first altimeter's values go, and Send refuses.
  f.NoDevice();
  f.ChoosePortAndWait(QStringLiteral("ttyQQ8"));
  for (QLineEdit* field : {c.competitorField, c.serialField, c.triggerField, c.calibrationField})
    EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
  f.boxes.boxes.clear();
  const qsizetype frames = f.Frames().size();
  QTest::mouseClick(c.sendButton, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, FieldEmptyMessage().Text(1));
  EXPECT_EQ(f.Frames().size(), frames);
  EXPECT_TRUE(f.window->isVisible());
  f.window->reject();
}

TEST(DeviceWindow, DeviceGoneWhileTheWindowIsOpen) {
  Fixture f(kAltimeterPort);
  DeviceSettingsWindow& w = *f.window;
  ASSERT_TRUE(f.Read());
  f.Show();
  // The cable is pulled as the upload's first frame goes out.
  f.line.QueueReply(ScriptedReply().HangUp(0));
  f.Send();
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Communication Error"));
  EXPECT_FALSE(f.PortOpen());
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace hypsor
