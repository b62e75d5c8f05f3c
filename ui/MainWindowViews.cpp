// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowViews.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "files/FlightFile.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/widgets/SvgDrawing.h"
#include "ui/ChartExport.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"
#include "ui/StatisticsDock.h"

namespace hypsor {

namespace {

// The first local file of a drag, or nothing.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}

QAction* Toggle(QObject* parent, const char* name, bool on) {
  auto* a = new QAction(parent);
  a->setObjectName(QString::fromLatin1(name));
  a->setCheckable(true);
  a->setChecked(on);
  return a;
}

}  // namespace

// ---------------------------------------------------------------- the window's side

bool MainWindow::OpenFlightFile(const QString& path, FlightSlot slot) {
  if (exchangeRunning_) return false;  // the download about to land would replace it
  QString error;
  const bool ok = slot == FlightSlot::Main ? workspace_.OpenMainFlight(path, &error)
                                           : workspace_.OpenComparison(path, &error);
  if (!ok) ShowError(error);
  comparisonAction_->setChecked(workspace_.ComparisonEnabled());
  Redraw();
  return ok;
}

// ---------------------------------------------------------------- views

FlightViews::FlightViews(MainWindow& window)
    : QObject(&window),
      window_(window),
      dock_(new StatisticsDock(&window)),
      preferencesPath_(PreferencesFilePath()),
      preferences_(LoadViewPreferences(preferencesPath_)) {
  window_.addDockWidget(Qt::RightDockWidgetArea, dock_);
  dock_->setVisible(preferences_.statisticsPanel);
  dock_->installEventFilter(this);
  BuildMenus();

  FlightChart& chart = *window_.chart_;
  chart.EnableReadout();
  chart.PassDropsToWindow();
  connect(&chart, &FlightChart::CursorMoved, this, &FlightViews::onCursorMoved);
  connect(&chart, &FlightChart::CursorLeft, this, &FlightViews::onCursorLeft);
  connect(&chart, &FlightChart::EmptyClicked, this, &FlightViews::onEmptyClicked);
  window_.setAcceptDrops(true);
  window_.installEventFilter(this);

  window_.workspace_.SetComparisonAligned(preferences_.alignComparison);
  ApplyLanguage();  // texts, then everything shown (Update)
}

QString FlightViews::T(Txt id) const {
  return window_.workspace_.T(id);
}

void FlightViews::BuildMenus() {
  QMenuBar* bar = window_.menuBar();
  // Between the designed menus and the Info and Help entries at the end of the bar.
  viewMenu_ = new QMenu(&window_);
  bar->insertMenu(window_.infoAction_, viewMenu_);
  viewMenu_->setObjectName(QStringLiteral("viewMenu"));
  statisticsAction_ = Toggle(this, "statisticsAction", preferences_.statisticsPanel);
  markersAction_ = Toggle(this, "markersAction", preferences_.markers);
  alignAction_ = Toggle(this, "alignAction", preferences_.alignComparison);
  viewMenu_->addActions({statisticsAction_, markersAction_, alignAction_});
  connect(statisticsAction_, &QAction::triggered, this, &FlightViews::onStatisticsToggled);
  connect(markersAction_, &QAction::triggered, this, &FlightViews::onMarkersToggled);
  connect(alignAction_, &QAction::triggered, this, &FlightViews::onAlignToggled);

  exportMenu_ = new QMenu(&window_);
  bar->insertMenu(window_.infoAction_, exportMenu_);
  exportMenu_->setObjectName(QStringLiteral("exportMenu"));
  exportChartAction_ = new QAction(this);
  exportChartAction_->setObjectName(QStringLiteral("exportChartAction"));
  exportDataAction_ = new QAction(this);
  exportDataAction_->setObjectName(QStringLiteral("exportDataAction"));
  copyChartAction_ = new QAction(this);
  copyChartAction_->setObjectName(QStringLiteral("copyChartAction"));
  copyChartAction_->setShortcut(QKeySequence::Copy);
  exportMenu_->addActions({exportChartAction_, exportDataAction_, copyChartAction_});
  connect(exportChartAction_, &QAction::triggered, this, &FlightViews::onExportChart);
  connect(exportDataAction_, &QAction::triggered, this, &FlightViews::onExportData);
  connect(copyChartAction_, &QAction::triggered, this, &FlightViews::onCopyChart);

  // Esc clears the reference point and the readout; the action lives on the window.
  clearReadoutAction_ = new QAction(this);
  clearReadoutAction_->setObjectName(QStringLiteral("clearReadoutAction"));
  clearReadoutAction_->setShortcut(Qt::Key_Escape);
  clearReadoutAction_->setShortcutContext(Qt::WindowShortcut);
  window_.addAction(clearReadoutAction_);
  viewMenu_->addSeparator();
  viewMenu_->addAction(clearReadoutAction_);
  connect(clearReadoutAction_, &QAction::triggered, this, &FlightViews::onClearReadout);
}

void FlightViews::ApplyLanguage() {
  viewMenu_->setTitle(T(Txt::ViewMenu));
  statisticsAction_->setText(T(Txt::StatisticsAction));
  markersAction_->setText(T(Txt::MarkersAction));
  alignAction_->setText(T(Txt::AlignComparisonAction));
  exportMenu_->setTitle(T(Txt::ExportMenu));
  exportChartAction_->setText(T(Txt::ExportChartAction));
  exportDataAction_->setText(T(Txt::ExportDataAction));
  copyChartAction_->setText(T(Txt::CopyChartAction));
  clearReadoutAction_->setText(T(Txt::ClearReferenceAction));
  Update();  // the panel's rows and the markers' labels are texts too
}

void FlightViews::Update() {
  const FlightWorkspace& w = window_.workspace_;
  FlightChart& chart = *window_.chart_;
  for (Curve c : {Curve::Comparison, Curve::UnfilteredComparison, Curve::Simulation})
    chart.SetCurvePlacement(c, w.Placement(c));
  chart.SetMarkers(preferences_.markers ? w.Markers() : std::vector<ChartMarker>{});
  dock_->Show(w);
  RefreshReadout();
}

void FlightViews::SavePreferences() {
  // A preference that cannot be stored only lasts until the program ends: nothing to report.
  SaveViewPreferences(preferencesPath_, preferences_);
}

// ---------------------------------------------------------------- cursor readout

void FlightViews::RefreshReadout() {
  if (!cursor_) return;
  const FlightWorkspace& w = window_.workspace_;
  window_.chart_->ShowReadout(*cursor_, w.ReadoutText(w.ReadoutAt(*cursor_, reference_)));
}

void FlightViews::onCursorMoved(double x) {
  cursor_ = x;
  RefreshReadout();
}

void FlightViews::onCursorLeft() {
  cursor_.reset();
  window_.chart_->HideReadout();
}

void FlightViews::onEmptyClicked(double x) {
  reference_ = x;
  window_.chart_->SetReference(x);
  RefreshReadout();
}

void FlightViews::onClearReadout() {
  reference_.reset();
  cursor_.reset();
  window_.chart_->SetReference(std::nullopt);
  window_.chart_->HideReadout();
}

// ---------------------------------------------------------------- View menu

void FlightViews::onStatisticsToggled(bool on) {
  dock_->setVisible(on);
  preferences_.statisticsPanel = on;
  SavePreferences();
}

void FlightViews::onMarkersToggled(bool on) {
  preferences_.markers = on;
  SavePreferences();
  Update();
}

void FlightViews::onAlignToggled(bool on) {
  preferences_.alignComparison = on;
  SavePreferences();
  window_.workspace_.SetComparisonAligned(on);
  window_.Redraw();
}

// ---------------------------------------------------------------- exports

QString FlightViews::SuggestedPath(const char* suffix) const {
  const QString folder =
      preferences_.exportFolder.isEmpty() ? QDir::homePath() : preferences_.exportFolder;
  QString name = FlightFileCaption(window_.workspace_.FlightPath(FlightSlot::Main));
  if (name.isEmpty()) name = QStringLiteral("hypsor");
  return QDir(folder).filePath(QFileInfo(name).completeBaseName() + QLatin1Char('.') +
                               QLatin1String(suffix));
}

bool FlightViews::WithSuffix(QString& path, const char* suffix) const {
  if (path.isEmpty()) return false;
  if (!QFileInfo(path).suffix().isEmpty()) return true;  // the dialog asked about this name
  path += QLatin1Char('.') + QLatin1String(suffix);
  // The dialog asked about the name without the suffix; this one may exist.
  return !QFileInfo::exists(path) ||
         window_.platform_.boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                                      BoxButtons::OkCancel) == BoxResult::Ok;
}

void FlightViews::RememberFolder(const QString& path) {
  preferences_.exportFolder = QFileInfo(path).absolutePath();
  SavePreferences();
}

void FlightViews::onExportChart() {
  FileDialogService& dialogs = window_.platform_.dialogs;
  QString path =
      dialogs.ExportFileName({T(Txt::ExportChartAction), ChartFileFilters(), SuggestedPath("png")});
  if (!WithSuffix(path, "png")) return;
  if (!ChartFormatOf(path)) {
    window_.ShowError(
        T(SvgDrawingAvailable() ? Txt::ChartFormatUnknown : Txt::ChartFormatUnknownNoSvg));
    return;
  }
  const std::optional<QSize> size =
      dialogs.ChartSize({T(Txt::ChartSizeCaption), T(Txt::ChartSizeWindow), T(Txt::ChartWidth),
                         T(Txt::ChartHeight), window_.chart_->size()});
  if (!size || size->isEmpty()) return;
  QString error;
  if (!ExportChart(window_.chart_->Print(ChartTitle(window_.workspace_)), path, *size, &error)) {
    window_.ShowError(T(Txt::ExportFailed) + QLatin1Char('\n') + error);
    return;
  }
  RememberFolder(path);
}

void FlightViews::onExportData() {
  QString path = window_.platform_.dialogs.ExportFileName(
      {T(Txt::ExportDataAction), {QStringLiteral("CSV (*.csv)")}, SuggestedPath("csv")});
  if (!WithSuffix(path, "csv")) return;
  QString error;
  if (!window_.workspace_.ExportData(path, &error)) {
    window_.ShowError(T(Txt::ExportFailed) + QLatin1Char('\n') + error);
    return;
  }
  RememberFolder(path);
}

void FlightViews::onCopyChart() {
  QGuiApplication::clipboard()->setImage(
      ChartImage(window_.chart_->Print(ChartTitle(window_.workspace_)), window_.chart_->size()));
}

// ---------------------------------------------------------------- events

bool FlightViews::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dock_ && event->type() == QEvent::Close) {
    // Closed with its own button: the View menu's tick and the preference follow.
    statisticsAction_->setChecked(false);
    preferences_.statisticsPanel = false;
    SavePreferences();
  }
  if (watched == &window_ && event->type() == QEvent::DragEnter) {
    auto* e = static_cast<QDragEnterEvent*>(event);
    // A file dropped during an exchange would change the flights the download replaces.
    if (!window_.ExchangeRunning() && !DroppedFile(e->mimeData()).isEmpty())
      e->acceptProposedAction();
    return true;
  }
  if (watched == &window_ && event->type() == QEvent::Drop) {
    auto* e = static_cast<QDropEvent*>(event);
    const QString path = DroppedFile(e->mimeData());
    if (path.isEmpty() || window_.ExchangeRunning()) return true;
    e->acceptProposedAction();
    // Shift held: the file becomes the comparison.
    const bool comparison = e->modifiers().testFlag(Qt::ShiftModifier);
    window_.OpenFlightFile(path, comparison ? FlightSlot::Comparison : FlightSlot::Main);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace hypsor
