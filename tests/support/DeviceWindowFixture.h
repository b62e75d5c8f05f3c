// SPDX-License-Identifier: GPL-3.0-or-later
// The device settings window as the program builds it, with a controller of its own, settings
// naming a port and a language. The controller speaks to a scripted altimeter on virtual time
// (waits cost nothing), or to the serial port for the cases that need a real one.
#pragma once
#include <memory>

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "files/SettingsFile.h"
#include "platform/ScriptedLine.h"
#include "session/DeviceController.h"
#include "tests/support/DeviceWindowExchange.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/GateClock.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScriptedAltimeter.h"
#include "ui/DeviceSettingsWindow.h"

namespace hypsor::test {

struct DeviceWindowFixture {
  enum class On { ScriptedLine, SerialPort };

  explicit DeviceWindowFixture(const QString& port, int language = 1, On on = On::ScriptedLine)
      : device(on == On::ScriptedLine ? std::make_unique<DeviceController>(line, clock)
                                      : std::make_unique<DeviceController>()),
        settings(PortSettings(port)),
        languageIndex(language),
        window(std::make_unique<DeviceSettingsWindow>(*device, settings, languageIndex, boxes,
                                                      [this] {
                                                        ++saves;
                                                        return true;
                                                      })) {}
  static SettingsRecord PortSettings(const QString& port) {
    SettingsRecord s = DefaultSettings();
    SetPortName(s, port);
    s.PortIndex = -1;
    return s;
  }

  void Show() {
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  // The opening read, as the main window starts it; true when the device answered.
  bool Read() { return ReadBeforeShowing(*window); }
  void WaitIdle() { WaitForExchangeEnd(*window, *device); }
  bool PortOpen() { return device->Channel().IsOpen(); }
  QComboBox* Ports() { return Child<QComboBox>(window.get(), "portCombo"); }
  // Types a port name and confirms it, as the user does.
  void ChoosePort(const QString& name) {
    QLineEdit* edit = Ports()->lineEdit();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  QStringList BoxTexts() const {
    QStringList t;
    for (const auto& b : boxes.boxes) t << b.text;
    return t;
  }
  // The frames the scripted altimeter received, in order.
  QList<QByteArray> Frames() const { return ReceivedFrames(line); }

  ScriptedAltimeter altimeter;
  GateClock clock;
  ScriptedLine line{clock, [this](const ScriptedLine::Frame& f) { return altimeter(f); }};
  // The window goes before the controller it uses, and the controller before its line.
  std::unique_ptr<DeviceController> device;
  SettingsRecord settings;
  int languageIndex;
  FakeMessageBox boxes;
  int saves = 0;
  std::unique_ptr<DeviceSettingsWindow> window;
};

}  // namespace hypsor::test
