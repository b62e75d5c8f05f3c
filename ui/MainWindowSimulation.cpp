// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowSimulation.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMainWindow>
#include <QMenu>

#include "platform/FileDialogs.h"
#include "session/Preferences.h"
#include "session/SuggestedNames.h"
#include "text/FileFilters.h"
#include "ui/WindowHost.h"

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

SimulationControls::SimulationControls(WindowHost& host, QMenu& fileMenu)
    : QObject(&host.Frame()),
      host_(host),
      language_(host.Workspace().LanguageIndex()),
      openAction_(new QAction(&host.Frame())) {
  openAction_->setObjectName(QStringLiteral("openSimulationAction"));
  connect(openAction_, &QAction::triggered, this, &SimulationControls::onOpen);
  // Under the window's own Open.
  const QList<QAction*> actions = fileMenu.actions();
  const qsizetype open = actions.indexOf(host_.Commands().open);
  fileMenu.insertAction(open >= 0 && open + 1 < actions.size() ? actions[open + 1] : nullptr,
                        openAction_);
  connect(&host_.Workspace(), &FlightWorkspace::languageChanged, this,
          &SimulationControls::ApplyLanguage);
  ApplyLanguage(language_);
}

void SimulationControls::ApplyLanguage(int language) {
  language_ = language;
  openAction_->setText(Text(Txt::OpenSimulationAction, language));
}

void SimulationControls::onOpen() {
  const QString path = host_.Platform().dialogs.OpenFileName(
      {{}, FileFilters(FileKind::Csv, language_),
       FolderOf(host_.Workspace().FlightPath(FlightSlot::Main))});
  if (!path.isEmpty()) OpenSimulationFile(path);
}

bool SimulationControls::OpenSimulationFile(const QString& path) {
  FlightWorkspace& ws = host_.Workspace();
  Failure error;
  SimulationRead read;
  auto status = ws.OpenSimulation(path, std::nullopt, &error, &read);
  if (status == FlightWorkspace::SimulationStatus::NeedColumns) {
    // Chosen once for a layout, then remembered.
    const QString preferences = PreferencesFilePath();
    std::optional<SimulationColumns> columns =
        RememberedSimulationColumns(preferences, read.layoutKey);
    if (!columns) {
      SimulationColumnsDialog dialog(read, language_, &host_.Frame());
      if (dialog.exec() != QDialog::Accepted) return false;
      columns = dialog.Chosen();
    }
    status = ws.OpenSimulation(path, columns, &error);
    if (status == FlightWorkspace::SimulationStatus::Opened)
      RememberSimulationColumns(preferences, read.layoutKey, *columns);
  }
  if (status != FlightWorkspace::SimulationStatus::Opened) {
    host_.ShowFailure(error);
    return false;
  }
  host_.Redraw();
  return true;
}

}  // namespace hypsor
