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

// Until the exchange a click or a port choice started has ended.
inline void WaitForExchangeEnd(DeviceSettingsWindow& window, const DeviceController& device) {
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return !window.ExchangeRunning() && !device.Busy(); }, 30000));
}

}  // namespace hypsor::test
