// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowViews.h"

#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "platform/FileDialogs.h"
#include "text/FileFilters.h"
#include "platform/MessageBox.h"
#include "platform/widgets/SvgDrawing.h"
#include "session/Preferences.h"
#include "ui/ChartExport.h"
#include "ui/FlightChart.h"
#include "ui/StatisticsDock.h"
#include "text/FailureText.h"
#include "ui/WindowHost.h"

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

// ---------------------------------------------------------------- views

FlightViews::FlightViews(WindowHost& host, ViewPreferencesStore& preferences)
    : QObject(&host.Frame()),
      host_(host),
      window_(host.Frame()),
      preferences_(preferences),
      language_(host.Workspace().LanguageIndex()),
      dock_(new StatisticsDock(&window_)) {
  window_.addDockWidget(Qt::RightDockWidgetArea, dock_);
  dock_->setVisible(preferences_.Get().statisticsPanel);
  dock_->installEventFilter(this);
  BuildMenus();

  FlightChart& chart = host_.Chart();
  chart.EnableReadout();
  chart.PassDropsToWindow();
  connect(&chart, &FlightChart::CursorMoved, this, &FlightViews::onCursorMoved);
  connect(&chart, &FlightChart::CursorLeft, this, &FlightViews::onCursorLeft);
  connect(&chart, &FlightChart::EmptyClicked, this, &FlightViews::onEmptyClicked);
  window_.setAcceptDrops(true);
  window_.installEventFilter(this);

  connect(&host_.Workspace(), &FlightWorkspace::languageChanged, this,
          &FlightViews::ApplyLanguage);
  ApplyLanguage(language_);  // texts, then everything shown (Update)
}

void FlightViews::BuildMenus() {
  QMenuBar* bar = window_.menuBar();
  // Between the designed menus and the Info and Help entries at the end of the bar.
  QAction* info = host_.Commands().info;
  viewMenu_ = new QMenu(&window_);
  bar->insertMenu(info, viewMenu_);
  viewMenu_->setObjectName(QStringLiteral("viewMenu"));
  const ViewPreferences& p = preferences_.Get();
  statisticsAction_ = Toggle(this, "statisticsAction", p.statisticsPanel);
  markersAction_ = Toggle(this, "markersAction", p.markers);
  alignAction_ = Toggle(this, "alignAction", p.alignComparison);
  viewMenu_->addActions({statisticsAction_, markersAction_, alignAction_});
  connect(statisticsAction_, &QAction::triggered, this, &FlightViews::onStatisticsToggled);
  connect(markersAction_, &QAction::triggered, this, &FlightViews::onMarkersToggled);
  connect(alignAction_, &QAction::triggered, this, &FlightViews::onAlignToggled);

  exportMenu_ = new QMenu(&window_);
  bar->insertMenu(info, exportMenu_);
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

void FlightViews::ApplyLanguage(int language) {
  language_ = language;
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
  const FlightWorkspace& w = host_.Workspace();
  FlightChart& chart = host_.Chart();
  for (Curve c : {Curve::Comparison, Curve::UnfilteredComparison, Curve::Simulation})
    chart.SetCurvePlacement(c, w.Placement(c));
  // Assessed once for the markers and the panel.
  const FlightQualities qualities = w.Qualities();
  chart.SetMarkers(preferences_.Get().markers ? w.Markers(false, qualities)
                                              : std::vector<ChartMarker>{});
  chart.SetTransients(w.Transients(false, qualities));
  chart.SetAccelerationRange(w.AccelerationRange(qualities));
  dock_->Show(w, qualities);
  RefreshReadout();
}

// ---------------------------------------------------------------- cursor readout

void FlightViews::RefreshReadout() {
  if (!cursor_) return;
  const FlightWorkspace& w = host_.Workspace();
  host_.Chart().ShowReadout(*cursor_, w.ReadoutText(w.ReadoutAt(*cursor_, reference_)));
}

void FlightViews::onCursorMoved(double x) {
  cursor_ = x;
  RefreshReadout();
}

void FlightViews::onCursorLeft() {
  cursor_.reset();
  host_.Chart().HideReadout();
}

void FlightViews::onEmptyClicked(double x) {
  reference_ = x;
  host_.Chart().SetReference(x);
  RefreshReadout();
}

void FlightViews::onClearReadout() {
  reference_.reset();
  cursor_.reset();
  host_.Chart().SetReference(std::nullopt);
  host_.Chart().HideReadout();
}

// ---------------------------------------------------------------- View menu

void FlightViews::onStatisticsToggled(bool on) {
  dock_->setVisible(on);
  preferences_.SetStatisticsPanel(on);
}

void FlightViews::onMarkersToggled(bool on) {
  preferences_.SetMarkers(on);
  Update();
}

void FlightViews::onAlignToggled(bool on) {
  preferences_.SetAlignComparison(on);
  host_.Workspace().SetComparisonAligned(on);
  host_.Redraw();
}

// ---------------------------------------------------------------- exports

QString FlightViews::SuggestedPath(const char* suffix) const {
  return preferences_.SuggestedExportPath(host_.Workspace().FlightPath(FlightSlot::Main), suffix);
}

bool FlightViews::WithSuffix(QString& path, const char* suffix) const {
  if (path.isEmpty()) return false;
  if (!QFileInfo(path).suffix().isEmpty()) return true;  // the dialog asked about this name
  path += QLatin1Char('.') + QLatin1String(suffix);
  // The dialog asked about the name without the suffix; this one may exist.
  return !QFileInfo::exists(path) ||
         host_.Platform().boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                                      BoxButtons::OkCancel) == BoxResult::Ok;
}

void FlightViews::onExportChart() {
  FileDialogService& dialogs = host_.Platform().dialogs;
  QString path =
      dialogs.ExportFileName({T(Txt::ExportChartAction),
                              ChartFileFilters() << AllFilesFilter(host_.Workspace().LanguageIndex()),
                              SuggestedPath("png")});
  if (!WithSuffix(path, "png")) return;
  if (!ChartFormatOf(path)) {
    host_.ShowFailure(Failure::Of(SvgDrawingAvailable() ? FailureKind::ChartFormatUnknown
                                                        : FailureKind::ChartFormatUnknownNoSvg,
                                  path));
    return;
  }
  const std::optional<QSize> size =
      dialogs.ChartSize({T(Txt::ChartSizeCaption), T(Txt::ChartSizeWindow), T(Txt::ChartWidth),
                         T(Txt::ChartHeight), host_.Chart().size()});
  if (!size || size->isEmpty()) return;
  Failure error;
  if (!ExportChart(host_.Chart().Print(ChartTitle(host_.Workspace())), path, *size, &error)) {
    host_.ShowError(T(Txt::ExportFailed) + QLatin1Char('\n') +
                    FailureText(error, host_.Workspace().LanguageIndex()));
    return;
  }
  preferences_.RememberExportFolder(path);
}

void FlightViews::onExportData() {
  QString path = host_.Platform().dialogs.ExportFileName(
      {T(Txt::ExportDataAction), FileFilters(FileKind::Csv, host_.Workspace().LanguageIndex()),
       SuggestedPath("csv")});
  if (!WithSuffix(path, "csv")) return;
  Failure error;
  if (!host_.Workspace().ExportData(path, &error)) {
    host_.ShowError(T(Txt::ExportFailed) + QLatin1Char('\n') +
                    FailureText(error, host_.Workspace().LanguageIndex()));
    return;
  }
  preferences_.RememberExportFolder(path);
}

void FlightViews::onCopyChart() {
  QGuiApplication::clipboard()->setImage(
      ChartImage(host_.Chart().Print(ChartTitle(host_.Workspace())), host_.Chart().size()));
}

// ---------------------------------------------------------------- events

bool FlightViews::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dock_ && event->type() == QEvent::Close) {
    // Closed with its own button: the View menu's tick and the preference follow.
    statisticsAction_->setChecked(false);
    preferences_.SetStatisticsPanel(false);
  }
  if (watched == &window_ && event->type() == QEvent::DragEnter) {
    auto* e = static_cast<QDragEnterEvent*>(event);
    // A file dropped during an exchange would change the flights the download replaces.
    if (!host_.ExchangeRunning() && !DroppedFile(e->mimeData()).isEmpty())
      e->acceptProposedAction();
    return true;
  }
  if (watched == &window_ && event->type() == QEvent::Drop) {
    auto* e = static_cast<QDropEvent*>(event);
    const QString path = DroppedFile(e->mimeData());
    if (path.isEmpty() || host_.ExchangeRunning()) return true;
    e->acceptProposedAction();
    // Shift held: the file becomes the comparison.
    const bool comparison = e->modifiers().testFlag(Qt::ShiftModifier);
    host_.OpenFlightFile(path, comparison ? FlightSlot::Comparison : FlightSlot::Main);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace hypsor
