// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AppWindows.h"

#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FilterSettingsWindow.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindowContest.h"
#include "ui/MainWindowSimulation.h"

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
      main->Channel(), ws.Settings(), ws.LanguageIndex(), platform.boxes, save, main);
  w->info = std::make_unique<InfoWindow>(main);
  w->filterSettings =
      std::make_unique<FilterSettingsWindow>(ws.Settings(), ws.LanguageIndex(), save, main);
  main->SetOtherWindows(w->deviceSettings.get(), w->info.get(), w->filterSettings.get());
  new ContestControls(main, platform.contest, platform.printer);  // a child of the main window
  new SimulationControls(main);  // after the File menu that it adds to
  return w;
}

}  // namespace hypsor
