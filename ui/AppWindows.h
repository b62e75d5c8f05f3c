// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include <QString>

#include "ui/MainWindow.h"

namespace hypsor {

class DeviceSettingsWindow;
class FilterSettingsWindow;
class InfoWindow;

// The program's four windows, created in order: the main window (which loads the settings), the
// device settings window, the information window and the filter settings window.
struct AppWindows {
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<DeviceSettingsWindow> deviceSettings;
  std::unique_ptr<InfoWindow> info;
  std::unique_ptr<FilterSettingsWindow> filterSettings;
  ~AppWindows();
};

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const SettingsPaths& settings);
// With one settings file for reading and writing and no fallback.
std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const QString& settingsFilePath);

}  // namespace hypsor
