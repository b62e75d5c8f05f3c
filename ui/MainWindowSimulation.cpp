// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowSimulation.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMenu>

#include "platform/FileDialogs.h"
#include "session/Preferences.h"
#include "ui/MainWindow.h"

namespace hypsor {

SimulationColumnsDialog::SimulationColumnsDialog(const SimulationRead& read, int language,
                                                 QWidget* parent)
    : QDialog(parent), time_(new QComboBox), altitude_(new QComboBox), feet_(new QCheckBox) {
  setObjectName(QStringLiteral("simulationColumnsDialog"));
  setWindowTitle(Text(Txt::SimulationColumnsCaption, language));
  time_->setObjectName(QStringLiteral("simulationTimeColumn"));
  altitude_->setObjectName(QStringLiteral("simulationAltitudeColumn"));
  feet_->setObjectName(QStringLiteral("simulationFeet"));
  time_->addItems(read.columnNames);
  altitude_->addItems(read.columnNames);
  time_->setCurrentIndex(read.guess.time >= 0 ? read.guess.time : 0);
  altitude_->setCurrentIndex(read.guess.altitude >= 0 ? read.guess.altitude
                                                      : std::min(1, int(read.columnNames.size()) - 1));
  feet_->setText(Text(Txt::SimulationFeet, language));
  feet_->setChecked(read.guess.feet);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* form = new QFormLayout(this);
  form->addRow(Text(Txt::SimulationTimeColumn, language), time_);
  form->addRow(Text(Txt::SimulationAltitudeColumn, language), altitude_);
  form->addRow(QString(), feet_);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

SimulationColumns SimulationColumnsDialog::Chosen() const {
  return {time_->currentIndex(), altitude_->currentIndex(), feet_->isChecked()};
}

SimulationControls::SimulationControls(MainWindow* window)
    : QObject(window), w_(window), openAction_(new QAction(window)) {
  openAction_->setObjectName(QStringLiteral("openSimulationAction"));
  connect(openAction_, &QAction::triggered, this, &SimulationControls::onOpen);
  // In the File menu, under the window's own Open.
  if (auto* file = w_->findChild<QMenu*>(QStringLiteral("fileMenu"))) {
    const QList<QAction*> actions = file->actions();
    const qsizetype open = actions.indexOf(w_->openAction_);
    file->insertAction(open >= 0 && open + 1 < actions.size() ? actions[open + 1] : nullptr,
                       openAction_);
  } else {
    w_->addAction(openAction_);
  }
  for (const char* name : {"polishAction", "englishAction"}) {
    if (auto* a = w_->findChild<QAction*>(QString::fromLatin1(name)))
      connect(a, &QAction::triggered, this, &SimulationControls::ApplyLanguage);
  }
  ApplyLanguage();
}

void SimulationControls::ApplyLanguage() {
  openAction_->setText(w_->T(Txt::OpenSimulationAction));
}

void SimulationControls::onOpen() {
  const QString path = w_->platform_.dialogs.OpenFileName();
  if (!path.isEmpty()) OpenSimulationFile(path);
}

bool SimulationControls::OpenSimulationFile(const QString& path) {
  FlightWorkspace& ws = w_->workspace_;
  QString error;
  SimulationRead read;
  auto status = ws.OpenSimulation(path, std::nullopt, &error, &read);
  if (status == FlightWorkspace::SimulationStatus::NeedColumns) {
    // Chosen once for a layout, then remembered.
    const QString preferences = PreferencesFilePath();
    std::optional<SimulationColumns> columns =
        RememberedSimulationColumns(preferences, read.layoutKey);
    if (!columns) {
      SimulationColumnsDialog dialog(read, ws.LanguageIndex(), w_);
      if (dialog.exec() != QDialog::Accepted) return false;
      columns = dialog.Chosen();
    }
    status = ws.OpenSimulation(path, columns, &error);
    if (status == FlightWorkspace::SimulationStatus::Opened)
      RememberSimulationColumns(preferences, read.layoutKey, *columns);
  }
  if (status != FlightWorkspace::SimulationStatus::Opened) {
    w_->ShowError(error);
    return false;
  }
  w_->Redraw();
  return true;
}

}  // namespace hypsor
