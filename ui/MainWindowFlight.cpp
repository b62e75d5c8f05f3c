// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's flight actions: opening and saving flight files, the comparison flight,
// temperature entries, the filters, the acceleration switch and the chart clicks. Each asks the
// workspace and then draws what changed.
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/FileDialogs.h"
#include "session/SuggestedNames.h"
#include "text/FileFilters.h"
#include "platform/MessageBox.h"
#include "ui/FilterSettingsWindow.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"

#include <QDateTime>
#include <QDir>
#include "ui/MainWindowViews.h"
#include "ui/OtherWindows.h"

namespace hypsor {

// ---------------------------------------------------------------- drawing

void MainWindow::Redraw() {
  const WorkspaceChanges c = workspace_.TakeChanges();
  const ChartContent& content = workspace_.Chart();
  if (c.resetZoom) chart_->UndoZoom();
  for (int i = 0; i < CurveCount; ++i)
    if (c.curves.test(static_cast<std::size_t>(i)))
      chart_->SetCurve(static_cast<Curve>(i), content.curves[static_cast<std::size_t>(i)]);
  if (c.labels) chart_->SetTimeLabels(content.labelSeconds);
  if (c.leftAxis) chart_->SetLeftAxis(content.leftAxis);
  if (c.mainPanel) DrawPanel(FlightSlot::Main);
  ShowWindowTitle();
  if (c.comparisonPanel) DrawPanel(FlightSlot::Comparison);
  if (views_) views_->Update();
}

void MainWindow::ShowPanelTitle(FlightSlot slot) {
  const PanelTexts& p = workspace_.Panel(slot);
  const bool isMain = slot == FlightSlot::Main;
  QGroupBox* box = isMain ? mainPanel_ : comparisonPanel_;
  // A file name longer than the panel shows its start and end around an ellipsis; the whole
  // name is the panel's tooltip.
  const QString title =
      !p.caption.isEmpty() ? p.caption : T(isMain ? Txt::MainFlightGroup : Txt::ComparisonGroup);
  box->setTitle(box->fontMetrics().elidedText(title, Qt::ElideMiddle, box->width() - 16));
  box->setToolTip(p.caption);
}

void MainWindow::DrawPanel(FlightSlot slot) {
  const PanelTexts& p = workspace_.Panel(slot);
  const bool isMain = slot == FlightSlot::Main;
  PanelControls& c = isMain ? main_ : comparison_;
  ShowPanelTitle(slot);
  c.maximumField->setText(p.maximum);
  c.minimumField->setText(p.minimum);
  c.competitorField->setText(p.competitor);
  c.serialField->setText(p.serial);
  if (c.temperatureField->text() != p.temperature) c.temperatureField->setText(p.temperature);
  c.temperatureField->setReadOnly(!p.temperatureEditable);
  if (c.samplingField->text() != p.sampling) {
    c.samplingField->setText(p.sampling);
    c.samplingField->setCursorPosition(0);  // the rate's number leads; show it in a narrow field
  }
}

// ---------------------------------------------------------------- flight files

bool MainWindow::OpenFlightFile(const QString& path, FlightSlot slot) {
  if (exchangeRunning_) return false;  // the download about to land would replace it
  const bool ok = OpenInWorkspace(path, slot);
  Redraw();
  return ok;
}

void MainWindow::OpenFlightFiles(const QString& mainPath, const QString& comparisonPath) {
  if (exchangeRunning_) return;
  if (!mainPath.isEmpty()) OpenInWorkspace(mainPath, FlightSlot::Main);
  if (!comparisonPath.isEmpty()) OpenInWorkspace(comparisonPath, FlightSlot::Comparison);
  Redraw();
}

bool MainWindow::OpenInWorkspace(const QString& path, FlightSlot slot) {
  Failure error;
  const bool ok = slot == FlightSlot::Main ? workspace_.OpenMainFlight(path, &error)
                                           : workspace_.OpenComparison(path, &error);
  if (!ok) ShowFailure(error);
  comparisonAction_->setChecked(workspace_.ComparisonEnabled());
  return ok;
}

void MainWindow::onSave() {
  if (!workspace_.HasDownload()) {
    ShowFailure(Failure::Of(FailureKind::NoData, {}));
    return;
  }
  // Named as a contest keeps a download: competitor, serial and time.
  const QString name =
      FlightBaseName(workspace_, QDateTime::currentDateTime()) + QStringLiteral(".hyp");
  const QString folder = FolderOf(workspace_.FlightPath(FlightSlot::Main));
  const QString path = platform_.dialogs.SaveFileName(
      {{}, FileFilters(FileKind::Flight, workspace_.LanguageIndex()),
       folder.isEmpty() ? name : QDir(folder).filePath(name)});
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) && platform_.boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                                                      BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  Failure error;
  if (!workspace_.SaveDownload(path, &error)) ShowFailure(error);
}

void MainWindow::onLoad() {
  // Where the flight shown came from: the next one is likely beside it.
  const QString path = platform_.dialogs.OpenFileName(
      {{}, FileFilters(FileKind::Flight, workspace_.LanguageIndex()),
       FolderOf(workspace_.FlightPath(FlightSlot::Main))});
  if (path.isEmpty()) return;
  Failure error;
  if (!workspace_.OpenMainFlight(path, &error)) ShowFailure(error);
  Redraw();
}

void MainWindow::onCompare() {
  QString folder = FolderOf(workspace_.FlightPath(FlightSlot::Comparison));
  if (folder.isEmpty()) folder = FolderOf(workspace_.FlightPath(FlightSlot::Main));
  const QString path = platform_.dialogs.OpenFileName(
      {{}, FileFilters(FileKind::Flight, workspace_.LanguageIndex()), folder});
  if (path.isEmpty()) return;
  Failure error;
  if (!workspace_.OpenComparison(path, &error)) ShowFailure(error);
  comparisonAction_->setChecked(workspace_.ComparisonEnabled());
  Redraw();
}

void MainWindow::onComparisonToggled() {
  workspace_.ToggleComparison();
  comparisonAction_->setChecked(workspace_.ComparisonEnabled());
  Redraw();
}

// ---------------------------------------------------------------- chart

void MainWindow::onLegendClicked() {
  // The chart switched the entry's curve off or on; it is drawn at once.
  chart_->Repaint();
}

void MainWindow::onCurveClicked(Curve curve) {
  workspace_.RemoveCurve(curve);
  Redraw();
}

void MainWindow::onAccelerationToggled() {
  accelerationAction_->setChecked(workspace_.ToggleAcceleration());
  Redraw();
}

// ---------------------------------------------------------------- filters

void MainWindow::onFilterMain() {
  workspace_.FilterMain();
  Redraw();
}

void MainWindow::onFilterComparison() {
  workspace_.FilterComparison();
  Redraw();
}

void MainWindow::onFilterSettings() {
  if (others_) others_->FilterSettings().exec();
}

// ---------------------------------------------------------------- temperature entry

bool MainWindow::TemperatureKey(QLineEdit* field, QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    onTemperatureEntered(field == main_.temperatureField ? FlightSlot::Main
                                                         : FlightSlot::Comparison);
    return true;
  }
  const QString text = event->text();
  if (key == Qt::Key_Backspace) return false;
  // Keys that type nothing (arrows, Home, Delete, Tab) are not characters: let them through.
  if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  if (text.size() != 1) return true;
  const QChar c = text.at(0);
  // Tab, Esc and the like carry a control character: they move on, they type nothing.
  if (!c.isPrint()) return false;
  if (c == QLatin1Char('-')) return false;
  if (c.isDigit() && c.unicode() < 128 && field->text().size() < 3) return false;
  return true;  // refused: the field never sees it
}

void MainWindow::onTemperatureEntered(FlightSlot slot) {
  const QLineEdit* field =
      slot == FlightSlot::Main ? main_.temperatureField : comparison_.temperatureField;
  if (!workspace_.EnterTemperature(slot, field->text())) {
    ShowFailure(Failure::Of(FailureKind::WrongTemperature, {}));
    // The curve stays computed at the last temperature taken: the field says which.
    DrawPanel(slot);
    return;
  }
  Redraw();
}

}  // namespace hypsor
