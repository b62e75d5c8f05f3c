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

// The view preferences in use, written to their file at every change. A preference that cannot
// be stored only lasts until the program ends: nothing to report.
class ViewPreferencesStore {
 public:
  explicit ViewPreferencesStore(QString path = PreferencesFilePath());
  const ViewPreferences& Get() const { return preferences_; }
  void SetStatisticsPanel(bool on);
  void SetMarkers(bool on);
  void SetAlignComparison(bool on);
  // The folder of a file just exported, where the next export is suggested.
  void RememberExportFolder(const QString& exportedFile);
  // An export of the flight from flightPath: named after its file ("hypsor" without one) with
  // the suffix, in the last export's folder or the home folder.
  QString SuggestedExportPath(const QString& flightPath, const char* suffix) const;

 private:
  void Save() const;
  QString path_;
  ViewPreferences preferences_;
};

// Whether every flight file opened, saved or kept from a download goes into the logbook on its
// own (on unless the user turned it off). Kept under its own key beside the view preferences.
bool LogbookAutoAdd(const QString& path);
bool SetLogbookAutoAdd(const QString& path, bool on);

// The columns chosen once for a simulation CSV of no known layout, by its header line; nothing
// when none was chosen for it.
std::optional<SimulationColumns> RememberedSimulationColumns(const QString& path,
                                                             const QString& layoutKey);
bool RememberSimulationColumns(const QString& path, const QString& layoutKey,
                               const SimulationColumns& columns);

}  // namespace hypsor
