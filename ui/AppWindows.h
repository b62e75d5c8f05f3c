// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include <QString>

#include "ui/MainWindow.h"
#include "ui/OtherWindows.h"

namespace hypsor {

// The program's four windows: the main window (which loads the settings) at once, the device
// settings, information and filter settings windows when first opened. They are destroyed before
// the main window, their parent.
class AppWindows : public OtherWindows {
 public:
  AppWindows(const PlatformServices& platform, const SettingsPaths& settings);
  ~AppWindows() override;

  const std::unique_ptr<MainWindow> main;
  DeviceSettingsWindow& DeviceSettings() override;
  InfoWindow& Info() override;
  FilterSettingsWindow& FilterSettings() override;

 private:
  std::unique_ptr<DeviceSettingsWindow> deviceSettings_;
  std::unique_ptr<InfoWindow> info_;
  std::unique_ptr<FilterSettingsWindow> filterSettings_;
};

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const SettingsPaths& settings);
// With one settings file for reading and writing and no fallback.
std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const QString& settingsFilePath);

}  // namespace hypsor
