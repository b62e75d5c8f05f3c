// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AppWindows.h"

#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FilterSettingsWindow.h"
#include "ui/InfoWindow.h"

namespace hypsor {

AppWindows::~AppWindows() = default;

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const QString& settingsFilePath) {
  return CreateWindows(platform, SettingsPaths{settingsFilePath, settingsFilePath, {}});
}

std::unique_ptr<AppWindows> CreateWindows(const PlatformServices& platform,
                                          const SettingsPaths& settings) {
  auto w = std::make_unique<AppWindows>();
  // The main window loads the settings; the windows after it see them.
  w->main = std::make_unique<MainWindow>(platform, settings);
  MainWindow* main = w->main.get();
  FlightWorkspace& ws = main->Workspace();
  auto save = [main] { return main->SaveSettingsNow(); };
  w->deviceSettings = std::make_unique<DeviceSettingsWindow>(
      main->Device(), ws.Settings(), ws.LanguageIndex(), platform.boxes, save, main);
  w->info = std::make_unique<InfoWindow>(main);  // the same in both languages
  w->filterSettings =
      std::make_unique<FilterSettingsWindow>(ws.Settings(), ws.LanguageIndex(), save, main);
  QObject::connect(&ws, &FlightWorkspace::languageChanged, w->deviceSettings.get(),
                   &DeviceSettingsWindow::SetLanguage);
  QObject::connect(&ws, &FlightWorkspace::languageChanged, w->filterSettings.get(),
                   &FilterSettingsWindow::SetLanguage);
  main->SetOtherWindows(w->deviceSettings.get(), w->info.get(), w->filterSettings.get());
  return w;
}

}  // namespace hypsor
