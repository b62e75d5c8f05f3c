// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QObject>

#include "text/Texts.h"

class QAction;
class QMainWindow;
class QMenu;

namespace hypsor {

class StatisticsDock;
class ViewPreferencesStore;
class WindowHost;

// The main window's views beyond its designed form: the statistics panel, the markers, the
// cursor readout, the comparison on real time (View menu), the chart and data exports with
// the clipboard copy (Export menu) and flight files dropped on the window. The window calls
// Update after every redraw; the rest runs on signals. What the user chose about them lives in
// the preferences store.
class FlightViews : public QObject {
  Q_OBJECT
 public:
  FlightViews(WindowHost& host, ViewPreferencesStore& preferences);
  void Update();
  // The View menu, which others add their views to.
  QMenu& ViewMenu() { return *viewMenu_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString T(Txt id) const { return Text(id, language_); }
  void ApplyLanguage(int language);
  void BuildMenus();
  void RefreshReadout();
  QString SuggestedPath(const char* suffix) const;
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

  WindowHost& host_;
  QMainWindow& window_;  // the host's frame: docks, menus, drops
  ViewPreferencesStore& preferences_;
  int language_ = 0;
  StatisticsDock* dock_;
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
