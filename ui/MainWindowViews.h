// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QObject>

#include "session/Preferences.h"
#include "text/Texts.h"

class QAction;
class QMenu;

namespace hypsor {

class MainWindow;
class StatisticsDock;

// The main window's views beyond its designed form: the statistics panel, the markers, the
// cursor readout, the comparison on real time (View menu), the chart and data exports with
// the clipboard copy (Export menu) and flight files dropped on the window. The window calls
// Update after every redraw and ApplyLanguage with its own; the rest runs on its own signals.
class FlightViews : public QObject {
  Q_OBJECT
 public:
  explicit FlightViews(MainWindow& window);
  void ApplyLanguage();
  void Update();
  const ViewPreferences& Preferences() const { return preferences_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString T(Txt id) const;
  void BuildMenus();
  void SavePreferences();
  void RefreshReadout();
  QString SuggestedPath(const char* suffix) const;
  void RememberFolder(const QString& path);
  // Puts the suffix on a name typed without one, asking before that name is replaced; false
  // when there is no name or the user keeps the file.
  bool WithSuffix(QString& path, const char* suffix) const;

  void onCursorMoved(double x);
  void onCursorLeft();
  void onEmptyClicked(double x);
  void onClearReadout();
  void onStatisticsToggled(bool on);
  void onMarkersToggled(bool on);
  void onAlignToggled(bool on);
  void onExportChart();
  void onExportData();
  void onCopyChart();

  MainWindow& window_;
  StatisticsDock* dock_;
  QString preferencesPath_;
  ViewPreferences preferences_;
  std::optional<double> cursor_;
  std::optional<double> reference_;

  QMenu* viewMenu_;
  QAction* statisticsAction_;
  QAction* markersAction_;
  QAction* alignAction_;
  QMenu* exportMenu_;
  QAction* exportChartAction_;
  QAction* exportDataAction_;
  QAction* copyChartAction_;
  QAction* clearReadoutAction_;
};

}  // namespace hypsor
