// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowContest.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "contest/FolderCheck.h"
#include "contest/Ranking.h"
#include "device/Sessions.h"
#include "platform/AtomicFile.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "ui/ContestResultsView.h"
#include "ui/ElidedLabel.h"
#include "ui/FlightChart.h"
#include "ui/FlightReport.h"
#include "ui/MainWindow.h"
#include "ui/ResultsBoard.h"
#include "flight/Filters.h"

namespace hypsor {

ContestControls::ContestControls(MainWindow* window, ContestDialogService* dialog,
                                 PrintService* printer)
    : QObject(window), w_(window), dialog_(dialog), printer_(printer) {
  w_->contest_ = this;
  QMenuBar* bar = w_->menuBar();
  // File comes first in the menu bar.
  fileMenu_ = new QMenu(w_);
  fileMenu_->setObjectName(QStringLiteral("fileMenu"));
  bar->insertMenu(bar->actions().isEmpty() ? nullptr : bar->actions().first(), fileMenu_);
  auto add = [this](const char* name, void (ContestControls::*handler)()) {
    QAction* a = fileMenu_->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  startAction_ = add("contestSessionAction", &ContestControls::onStart);
  endAction_ = add("endContestAction", &ContestControls::onEnd);
  rebuildAction_ = add("rebuildResultsAction", &ContestControls::onRebuild);
  verifyAction_ = add("verifyFolderAction", &ContestControls::onVerify);

  // The ranking, in a dock beside the chart; shown when a session starts.
  dock_ = new QDockWidget(w_);
  dock_->setObjectName(QStringLiteral("resultsDock"));
  results_ = new ContestResultsView(dock_);
  dock_->setWidget(results_);
  w_->addDockWidget(Qt::RightDockWidgetArea, dock_);
  dock_->hide();
  resultsAction_ = dock_->toggleViewAction();
  resultsAction_->setObjectName(QStringLiteral("resultsViewAction"));
  fileMenu_->addAction(resultsAction_);
  fileMenu_->addSeparator();
  reportAction_ = add("flightReportAction", &ContestControls::onFlightReport);
  printAction_ = add("printReportAction", &ContestControls::onPrintReport);
  // The window's own file commands lead the menu and Quit ends it, with their keys shown.
  fileMenu_->insertActions(startAction_, {w_->openAction_, w_->saveAction_});
  fileMenu_->insertSeparator(startAction_);
  fileMenu_->addSeparator();
  fileMenu_->addAction(w_->quitAction_);
  connect(results_, &ContestResultsView::OpenFlightRequested, this, &ContestControls::onOpenFlight);
  connect(results_, &ContestResultsView::ExportCsvRequested, this, &ContestControls::onExportCsv);
  connect(results_, &ContestResultsView::ExportPdfRequested, this, &ContestControls::onExportPdf);

  // The session line, right under the menu.
  bar_ = new QToolBar(w_);
  bar_->setObjectName(QStringLiteral("contestBar"));
  bar_->setMovable(false);
  bar_->setFloatable(false);
  line_ = new ElidedLabel(bar_);
  line_->setObjectName(QStringLiteral("contestLine"));
  bar_->addWidget(line_);
  w_->addToolBar(Qt::TopToolBarArea, bar_);

  // The results board, for a second screen: in the View menu.
  boardAction_ = new QAction(this);
  boardAction_->setObjectName(QStringLiteral("resultsBoardAction"));
  connect(boardAction_, &QAction::triggered, this, &ContestControls::onBoard);
  if (auto* view = w_->findChild<QMenu*>(QStringLiteral("viewMenu")))
    view->addAction(boardAction_);
  else
    fileMenu_->addAction(boardAction_);

  // Retold in the new language after the language's own handler.
  for (const char* name : {"polishAction", "englishAction"}) {
    if (auto* a = w_->findChild<QAction*>(QString::fromLatin1(name)))
      connect(a, &QAction::triggered, this, &ContestControls::ApplyLanguage);
  }
  ApplyLanguage();
}

// Deleted as a child of the window, after the window's own members: it touches nothing of it.
ContestControls::~ContestControls() = default;

QString ContestControls::T(Txt id) const {
  return w_->T(id);
}

void ContestControls::ApplyLanguage() {
  fileMenu_->setTitle(T(Txt::FileMenu));
  startAction_->setText(T(Txt::ContestSessionAction));
  endAction_->setText(T(Txt::EndContestAction));
  rebuildAction_->setText(T(Txt::RebuildResultsAction));
  verifyAction_->setText(T(Txt::VerifyFolderAction));
  boardAction_->setText(T(Txt::ResultsBoardAction));
  if (board_) board_->ApplyLanguage(w_->workspace_.LanguageIndex());
  resultsAction_->setText(T(Txt::ResultsViewAction));
  reportAction_->setText(T(Txt::FlightReportAction));
  printAction_->setText(T(Txt::PrintReportAction));
  dock_->setWindowTitle(T(Txt::RankingTitle));
  results_->ApplyLanguage(w_->workspace_.LanguageIndex());
  Refresh();
}

void ContestControls::Refresh() {
  const bool on = session_.Active();
  endAction_->setEnabled(on);
  rebuildAction_->setEnabled(on);
  resultsAction_->setEnabled(on);
  boardAction_->setEnabled(on);
  bar_->setVisible(on);
  if (!on) {
    dock_->hide();
    results_->ShowRanking({});
    return;
  }
  QString text = T(Txt::ContestLine)
                     .arg(session_.Name(), QDir::toNativeSeparators(session_.Folder()))
                     .arg(session_.FlightCount());
  if (!lastKept_.isEmpty()) text += QStringLiteral(" · ") + lastKept_;
  line_->SetFullText(text);
  results_->ShowRanking(RankCompetitors(session_.Flights()));
}

void ContestControls::ShowError(const QString& text) {
  // The session's own messages come in English, like the file layer's.
  w_->platform_.boxes.Show(LocalizedFileMessage(text, w_->workspace_.LanguageIndex()),
                           T(Txt::ErrorCaption), BoxButtons::Ok);
}

void ContestControls::KeepDownload(const DownloadResult& r) {
  if (!session_.Active() || !r.flight) return;
  const std::span<const std::uint8_t> bytes(r.flight->bytes.data(),
                                            static_cast<std::size_t>(r.DownloadByteCount));
  FlightRecord kept;
  QString error;
  const KeepOutcome outcome =
      session_.KeepDownload(bytes, QDateTime::currentDateTime(), &kept, &error);
  if (outcome == KeepOutcome::Failed) {
    lastKept_.clear();
    Refresh();
    ShowError(T(Txt::ContestKeepFailed).arg(error));
    return;
  }
  // The flight on screen is now that file: the report and digest name it.
  const QString path = QDir(session_.Folder()).filePath(kept.file);
  w_->workspace_.SetMainFlightPath(path);
  lastKept_ = T(kept.complete ? Txt::ContestKept : Txt::ContestKeptIncomplete).arg(kept.file);
  Refresh();
  if (outcome == KeepOutcome::KeptUnrecorded)
    ShowError(T(Txt::ContestKeptUnrecorded).arg(QDir::toNativeSeparators(path), error));
}

bool ContestControls::ReadyForDownload() {
  if (!session_.Active()) return true;
  QString error;
  if (session_.CheckReady(&error)) return true;
  ShowError(T(Txt::ContestNotReady).arg(error));
  return false;
}

void ContestControls::onVerify() {
  QString folder = session_.Active() ? session_.Folder() : w_->platform_.dialogs.FolderName();
  if (folder.isEmpty()) return;
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, true);
  if (!check.readable) {
    ShowError(T(Txt::VerifyFailed).arg(check.error));
    return;
  }
  int counts[3] = {};
  for (const FlightRecord& f : check.flights) ++counts[static_cast<int>(VerifyLevel(f))];
  auto* window = w_->findChild<QDialog*>(QStringLiteral("verifyWindow"));
  if (!window) {
    window = new QDialog(w_);
    window->setObjectName(QStringLiteral("verifyWindow"));
    auto* summary = new QLabel(window);
    summary->setObjectName(QStringLiteral("verifySummary"));
    summary->setWordWrap(true);
    auto* report = new QPlainTextEdit(window);
    report->setObjectName(QStringLiteral("verifyReport"));
    report->setReadOnly(true);
    report->setLineWrapMode(QPlainTextEdit::NoWrap);
    report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::hide);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(summary);
    layout->addWidget(report, 1);
    layout->addWidget(buttons);
    window->resize(760, 420);
  }
  window->setWindowTitle(T(Txt::VerifyCaption) + QStringLiteral(" — ") +
                         QDir::toNativeSeparators(folder));
  window->findChild<QLabel*>(QStringLiteral("verifySummary"))
      ->setText(T(Txt::VerifySummary)
                    .arg(check.flights.size())
                    .arg(counts[0])
                    .arg(counts[1])
                    .arg(counts[2]));
  window->findChild<QPlainTextEdit*>(QStringLiteral("verifyReport"))
      ->setPlainText(VerifyReport(check));
  window->show();
  window->raise();
}

void ContestControls::onBoard() {
  if (!session_.Active()) return;
  if (!board_) board_ = new ResultsBoard(w_);
  board_->ApplyLanguage(w_->workspace_.LanguageIndex());
  board_->ShowFolder(session_.Folder(), session_.Name());
  board_->show();
  board_->raise();
}

void ContestControls::onStart() {
  if (!dialog_) return;
  const std::optional<ContestChoice> choice =
      dialog_->AskContest(last_, w_->workspace_.LanguageIndex());
  if (!choice) return;
  QString error;
  lastKept_.clear();
  if (!session_.Start(choice->folder, choice->name, &error)) {
    Refresh();
    ShowError(T(Txt::ContestStartFailed).arg(error));
    return;
  }
  last_ = {session_.Folder(), session_.Name()};
  Refresh();
  dock_->show();
}

void ContestControls::onEnd() {
  session_.End();
  if (board_) board_->SetProvisional(false);
  lastKept_.clear();
  Refresh();
}

void ContestControls::onRebuild() {
  if (!session_.Active()) return;
  QString error;
  QStringList problems;
  if (!session_.RebuildResults(&error, &problems)) ShowError(error);
  Refresh();
  if (!problems.isEmpty())
    ShowError(T(Txt::ContestSkippedFiles).arg(problems.join(QLatin1Char('\n'))));
}

void ContestControls::onOpenFlight(const QString& fileName) {
  QString error;
  if (!w_->workspace_.OpenMainFlight(QDir(session_.Folder()).filePath(fileName), &error))
    ShowError(error);
  w_->Redraw();
}

QString ContestControls::AskTarget() {
  const QString path = w_->platform_.dialogs.SaveFileName();
  if (path.isEmpty()) return {};
  if (QFileInfo::exists(path) &&
      w_->platform_.boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                               BoxButtons::OkCancel) != BoxResult::Ok)
    return {};
  return path;
}

void ContestControls::onFlightReport() {
  if (!w_->workspace_.HasMainFlight()) {
    ShowError(T(Txt::NoData));
    return;
  }
  const QString path = AskTarget();
  if (path.isEmpty()) return;
  const ReportContent report =
      GatherReport(w_->workspace_, session_.Active() ? session_.Name() : QString());
  QString error;
  if (!WriteReportPdf(report, path, &error)) ShowError(T(Txt::ReportWriteFailed).arg(error));
}

void ContestControls::onPrintReport() {
  if (!printer_) return;
  if (!w_->workspace_.HasMainFlight()) {
    ShowError(T(Txt::NoData));
    return;
  }
  const ReportContent report =
      GatherReport(w_->workspace_, session_.Active() ? session_.Name() : QString());
  printer_->Print(T(Txt::ReportTitle),
                  [&report](QPagedPaintDevice& device) { PaintReport(device, report); });
}

void ContestControls::onExportCsv() {
  const QString path = AskTarget();
  if (path.isEmpty()) return;
  QString error;
  if (!WriteFileAtomically(path, RankingCsv(results_->Rows()), &error)) ShowError(error);
}

void ContestControls::onExportPdf() {
  const QString path = AskTarget();
  if (path.isEmpty()) return;
  QString error;
  if (!WriteRankingPdf(results_->Rows(), session_.Name(), w_->workspace_.LanguageIndex(), path,
                       &error))
    ShowError(error);
}

}  // namespace hypsor
