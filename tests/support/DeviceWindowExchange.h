// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting for the device settings window's exchanges, which the controller runs on its thread.
#pragma once
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "session/DeviceController.h"
#include "ui/DeviceSettingsWindow.h"

namespace hypsor::test {

// The opening read, as the main window starts it; true when the device answered.
inline bool ReadBeforeShowing(DeviceSettingsWindow& window) {
  QSignalSpy finished(&window, &DeviceSettingsWindow::readFinished);
  if (!window.StartReading()) return false;
  EXPECT_TRUE(window.ExchangeRunning());
  if (!finished.wait(30000)) return false;
  EXPECT_FALSE(window.ExchangeRunning());
  return finished.at(0).at(0).toBool();
}

// Until the exchange a click or a port choice started has ended. The wait runs an event loop
// of its own, as the program does, so boxes shown meanwhile nest in it as they would there.
inline void WaitForExchangeEnd(DeviceSettingsWindow& window, DeviceController& device) {
  if (device.Busy()) {
    QSignalSpy idle(&device, &DeviceController::idle);
    EXPECT_TRUE(idle.wait(30000));
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.ExchangeRunning(); }, 30000));
}

}  // namespace hypsor::test
