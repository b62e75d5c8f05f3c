// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QDialog>
#include <QObject>
#include <QString>

#include "flight/Simulation.h"
#include "text/Texts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;

namespace hypsor {

class WindowHost;

// The small dialog that asks which columns of a simulation CSV hold the time and the altitude,
// and whether the altitude is in feet. It starts at the columns guessed from their names.
class SimulationColumnsDialog : public QDialog {
  Q_OBJECT
 public:
  SimulationColumnsDialog(const SimulationRead& read, int language, QWidget* parent = nullptr);
  SimulationColumns Chosen() const;

 private:
  QComboBox* time_;
  QComboBox* altitude_;
  QCheckBox* feet_;
};

// File → Open simulation…: reads a flight simulation exported as CSV and draws it beside the
// main flight. The columns of a CSV of no known layout are asked once and remembered in the
// per-user preferences. A child of the main window; its entry goes under Open in fileMenu.
class SimulationControls : public QObject {
  Q_OBJECT
 public:
  SimulationControls(WindowHost& host, QMenu& fileMenu);
  // Opens path as the simulation and draws it; a file that cannot be read is reported in a box.
  // False when nothing was opened (also when the column dialog was cancelled).
  bool OpenSimulationFile(const QString& path);

 private:
  void ApplyLanguage(int language);
  void onOpen();

  WindowHost& host_;
  int language_ = 0;
  QAction* openAction_;
};

}  // namespace hypsor
