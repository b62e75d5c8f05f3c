// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace hypsor {

class DeviceSettingsWindow;
class FilterSettingsWindow;
class InfoWindow;

// The windows the main window opens from its menu. Each is made the first time it is asked for:
// the main window's first picture needs none of them.
class OtherWindows {
 public:
  virtual ~OtherWindows() = default;
  virtual DeviceSettingsWindow& DeviceSettings() = 0;
  virtual InfoWindow& Info() = 0;
  virtual FilterSettingsWindow& FilterSettings() = 0;
};

}  // namespace hypsor
