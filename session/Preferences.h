// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QString>

#include "flight/Simulation.h"

namespace hypsor {

// What the user chose about the views we add to the window. They live in a small per-user
// preferences file of their own; the settings record the altimeter's program defined is not
// touched by them.
struct ViewPreferences {
  bool statisticsPanel = true;   // the statistics panel is shown
  bool markers = true;           // launch, apogee and landing are marked on the curves
  bool alignComparison = false;  // the comparison is drawn on real time, launches together
  QString exportFolder;          // where the last chart or data export went
};

// The preferences file: $HYPSOR_PREFERENCES when set (tests, trying the program), otherwise
// preferences.ini in the user's configuration folder for the program (~/.config/hypsor/ on Linux).
QString PreferencesFilePath();

// Missing keys take the defaults above; a missing or unreadable file gives the defaults.
ViewPreferences LoadViewPreferences(const QString& path);
// False when the file could not be written.
bool SaveViewPreferences(const QString& path, const ViewPreferences& preferences);

// The columns chosen once for a simulation CSV of no known layout, by its header line; nothing
// when none was chosen for it.
std::optional<SimulationColumns> RememberedSimulationColumns(const QString& path,
                                                             const QString& layoutKey);
bool RememberSimulationColumns(const QString& path, const QString& layoutKey,
                               const SimulationColumns& columns);

}  // namespace hypsor
