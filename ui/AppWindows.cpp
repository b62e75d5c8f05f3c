// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AppWindows.h"

#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FilterSettingsWindow.h"
#include "ui/InfoWindow.h"

namespace hypsor {

AppWindows::AppWindows(const PlatformServices& platform, const SettingsPaths& settings)
    : main(std::make_unique<MainWindow>(platform, settings)) {
  main->SetOtherWindows(*this);
}

AppWindows::~AppWindows() = default;

DeviceSettingsWindow& AppWindows::DeviceSettings() {
  if (!deviceSettings_) {
    FlightWorkspace& ws = main->Workspace();
    MainWindow* m = main.get();
    const WindowHost& host = *m;
    deviceSettings_ = std::make_unique<DeviceSettingsWindow>(
        m->Device(), ws.Settings(), ws.LanguageIndex(), host.Platform().boxes,
        [m] { return m->SaveSettingsNow(); }, m);
    QObject::connect(&ws, &FlightWorkspace::languageChanged, deviceSettings_.get(),
                     &DeviceSettingsWindow::SetLanguage);
  }
  return *deviceSettings_;
}

InfoWindow& AppWindows::Info() {
  if (!info_) info_ = std::make_unique<InfoWindow>(main.get());  // the same in both languages
  return *info_;
}

FilterSettingsWindow& AppWindows::FilterSettings() {
  if (!filterSettings_) {
    FlightWorkspace& ws = main->Workspace();
    MainWindow* m = main.get();
    filterSettings_ = std::make_unique<FilterSettingsWindow>(
        ws.Settings(), ws.LanguageIndex(), [m] { return m->SaveSettingsNow(); }, m);
    QObject::connect(&ws, &FlightWorkspace::languageChanged, filterSettings_.get(),
                     &FilterSettingsWindow::SetLanguage);
  }
  return *filterSettings_;
}

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const QString& settingsFilePath) {
  return CreateWindows(platform, SettingsPaths{settingsFilePath, settingsFilePath, {}});
}

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const SettingsPaths& settings) {
  return std::make_unique<AppWindows>(platform, settings);
}

}  // namespace hypsor
