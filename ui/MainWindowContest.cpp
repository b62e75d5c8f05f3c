// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowContest.h"

#include <utility>

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "contest/FolderCheck.h"
#include "contest/Ranking.h"
#include "flight/Filters.h"
#include "platform/AtomicFile.h"
#include "platform/ContestDialogs.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "session/ContestResults.h"
#include "session/ContestState.h"
#include "session/SuggestedNames.h"
#include "text/FileFilters.h"
#include "ui/ContestResultsView.h"
#include "ui/ElidedLabel.h"
#include "ui/RankingPdf.h"
#include "ui/FlightReport.h"
#include "ui/ResultsBoard.h"
#include "text/FailureText.h"
#include "text/VerifyReport.h"
#include "ui/WindowHost.h"

namespace hypsor {

ContestControls::ContestControls(WindowHost& host, ContestState& state, QMenu& viewMenu)
    : QObject(&host.Frame()),
      host_(host),
      window_(host.Frame()),
      state_(state),
      language_(host.Workspace().LanguageIndex()) {
  QMenuBar* bar = window_.menuBar();
  // File comes first in the menu bar.
  fileMenu_ = new QMenu(&window_);
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

  // The ranking, in a dock beside the chart; shown when a session starts. Its table is made
  // with the first session.
  dock_ = new QDockWidget(&window_);
  dock_->setObjectName(QStringLiteral("resultsDock"));
  window_.addDockWidget(Qt::RightDockWidgetArea, dock_);
  dock_->hide();
  connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) Results();
  });
  resultsAction_ = dock_->toggleViewAction();
  resultsAction_->setObjectName(QStringLiteral("resultsViewAction"));
  fileMenu_->addAction(resultsAction_);
  fileMenu_->addSeparator();
  reportAction_ = add("flightReportAction", &ContestControls::onFlightReport);
  printAction_ = add("printReportAction", &ContestControls::onPrintReport);
  // The window's own file commands lead the menu and Quit ends it, with their keys shown.
  const WindowCommands commands = host_.Commands();
  fileMenu_->insertActions(startAction_, {commands.open, commands.save});
  fileMenu_->insertSeparator(startAction_);
  fileMenu_->addSeparator();
  fileMenu_->addAction(commands.quit);

  // The session line, right under the menu.
  bar_ = new QToolBar(&window_);
  bar_->setObjectName(QStringLiteral("contestBar"));
  bar_->setMovable(false);
  bar_->setFloatable(false);
  line_ = new ElidedLabel(bar_);
  line_->setObjectName(QStringLiteral("contestLine"));
  bar_->addWidget(line_);
  window_.addToolBar(Qt::TopToolBarArea, bar_);

  // The results board, for a second screen: in the View menu.
  boardAction_ = new QAction(this);
  boardAction_->setObjectName(QStringLiteral("resultsBoardAction"));
  connect(boardAction_, &QAction::triggered, this, &ContestControls::onBoard);
  viewMenu.addAction(boardAction_);

  connect(&state_, &ContestState::changed, this, &ContestControls::Refresh);
  connect(&host_.Workspace(), &FlightWorkspace::languageChanged, this,
          &ContestControls::ApplyLanguage);
  ApplyLanguage(language_);
}

// Deleted as a child of the window, after the window's own members: it touches nothing of it.
ContestControls::~ContestControls() = default;

void ContestControls::ApplyLanguage(int language) {
  language_ = language;
  fileMenu_->setTitle(T(Txt::FileMenu));
  startAction_->setText(T(Txt::ContestSessionAction));
  endAction_->setText(T(Txt::EndContestAction));
  rebuildAction_->setText(T(Txt::RebuildResultsAction));
  verifyAction_->setText(T(Txt::VerifyFolderAction));
  boardAction_->setText(T(Txt::ResultsBoardAction));
  if (board_) board_->ApplyLanguage(language_);
  resultsAction_->setText(T(Txt::ResultsViewAction));
  reportAction_->setText(T(Txt::FlightReportAction));
  printAction_->setText(T(Txt::PrintReportAction));
  dock_->setWindowTitle(T(Txt::RankingTitle));
  if (results_) results_->ApplyLanguage(language_);
  Refresh();
}

ContestResultsView& ContestControls::Results() {
  if (!results_) {
    results_ = new ContestResultsView(dock_);
    results_->ApplyLanguage(language_);
    dock_->setWidget(results_);
    connect(results_, &ContestResultsView::OpenFlightRequested, this,
            &ContestControls::onOpenFlight);
    connect(results_, &ContestResultsView::ExportCsvRequested, this,
            &ContestControls::onExportCsv);
    connect(results_, &ContestResultsView::ExportPdfRequested, this,
            &ContestControls::onExportPdf);
  }
  return *results_;
}

void ContestControls::Refresh() {
  const ContestSession& session = state_.Session();
  const bool on = session.Active();
  endAction_->setEnabled(on);
  rebuildAction_->setEnabled(on);
  resultsAction_->setEnabled(on);
  boardAction_->setEnabled(on);
  bar_->setVisible(on);
  if (board_) {
    if (on) board_->SetContest(session.Name());
    board_->SetOpen(on);
  }
  if (!on) {
    dock_->hide();
    if (results_) results_->ShowRanking({});
    return;
  }
  // The count and the ranking are the folder's as the board shows them.
  const ContestResults& results = state_.Results();
  QString text = T(Txt::ContestLine)
                     .arg(session.Name(), QDir::toNativeSeparators(session.Folder()))
                     .arg(results.Flights().size());
  if (const std::optional<ContestState::Kept>& kept = state_.LastKept())
    text += QStringLiteral(" · ") +
            T(kept->complete ? Txt::ContestKept : Txt::ContestKeptIncomplete).arg(kept->file);
  line_->SetFullText(text);
  Results().ShowRanking(results.Ranking());
}

void ContestControls::ShowError(const QString& text) {
  host_.ShowError(text);
}

QString ContestControls::Worded(const Failure& failure) const {
  return FailureText(failure, language_);
}

void ContestControls::ReportKeep(KeepOutcome outcome, Failure error) {
  if (outcome == KeepOutcome::Failed) ShowError(T(Txt::ContestKeepFailed).arg(Worded(error)));
  if (outcome == KeepOutcome::KeptUnrecorded) {
    // The box names the kept file itself; the reason is what failed after it.
    error.keptAs.clear();
    ShowError(T(Txt::ContestKeptUnrecorded)
                  .arg(QDir::toNativeSeparators(state_.LastKeptPath()), Worded(error)));
  }
}

void ContestControls::ReadyForDownload(std::function<void()> start) {
  state_.ReadyForDownload([this, start = std::move(start)](bool ok, const Failure& error) {
    if (ok)
      start();
    else
      ShowError(T(Txt::ContestNotReady).arg(Worded(error)));
  });
}

void ContestControls::onVerify() {
  QString folder =
      state_.Active() ? state_.Session().Folder() : host_.Platform().dialogs.FolderName();
  if (folder.isEmpty()) return;
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, true);
  // Whatever shows the session's results shows what was just checked.
  if (state_.Active() && folder == state_.Session().Folder()) state_.ReloadResults();
  if (!check.readable) {
    ShowError(T(Txt::VerifyFailed).arg(Worded(check.failure)));
    return;
  }
  int counts[3] = {};
  for (const FlightRecord& f : check.flights) ++counts[static_cast<int>(VerifyLevel(f))];
  auto* window = window_.findChild<QDialog*>(QStringLiteral("verifyWindow"));
  if (!window) {
    window = new QDialog(&window_);
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
      ->setPlainText(VerifyReport(check, language_, VerifyWording::Words));
  window->show();
  window->raise();
}

void ContestControls::onBoard() {
  if (!state_.Active()) return;
  if (!board_) {
    board_ = new ResultsBoard(state_.Results(), &window_);
    board_->PlaceOnScreen();
  }
  board_->ApplyLanguage(language_);
  board_->SetContest(state_.Session().Name());
  board_->SetOpen(true);
  board_->show();
  board_->raise();
}

void ContestControls::onStart() {
  ContestDialogService* dialog = host_.Platform().contest;
  if (!dialog) return;
  const std::optional<ContestChoice> choice = dialog->AskContest(state_.Suggestion(), language_);
  if (!choice) return;
  state_.Start(*choice, [this](bool ok, const Failure& error) {
    if (ok)
      dock_->show();
    else
      ShowError(T(Txt::ContestStartFailed).arg(Worded(error)));
  });
}

void ContestControls::onEnd() {
  state_.End();
}

void ContestControls::onRebuild() {
  if (!state_.Active()) return;
  state_.RebuildResults(
      [this](bool ok, const Failure& error, const std::vector<Failure>& problems) {
        if (!ok) ShowError(Worded(error));
        if (problems.empty()) return;
        QStringList lines;
        for (const Failure& p : problems) lines << Worded(p);
        ShowError(T(Txt::ContestSkippedFiles).arg(lines.join(QLatin1Char('\n'))));
      });
}

void ContestControls::onOpenFlight(const QString& fileName) {
  Failure error;
  if (!host_.Workspace().OpenMainFlight(QDir(state_.Session().Folder()).filePath(fileName),
                                       &error))
    ShowError(Worded(error));
  host_.Redraw();
}

QString ContestControls::ContestName() const {
  return state_.Active() ? state_.Session().Name() : QString();
}

QString ContestControls::ContestFolder() const {
  return state_.Active() ? state_.Session().Folder() : QString();
}

QString ContestControls::AskTarget(FileKind kind, const QString& suggested, const char* suffix) {
  QString path =
      host_.Platform().dialogs.SaveFileName({{}, FileFilters(kind, language_), suggested});
  if (path.isEmpty()) return {};
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + QLatin1String(suffix);
  if (QFileInfo::exists(path) &&
      host_.Platform().boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                               BoxButtons::OkCancel) != BoxResult::Ok)
    return {};
  return path;
}

void ContestControls::onFlightReport() {
  if (!host_.Workspace().HasMainFlight()) {
    host_.ShowFailure(Failure::Of(FailureKind::NoData, {}));
    return;
  }
  // Named after the flight, beside nothing of the contest's folder.
  const QString path =
      AskTarget(FileKind::Pdf,
                QDir::home().filePath(FlightBaseName(host_.Workspace(), QDateTime::currentDateTime()) +
                                      QStringLiteral(".pdf")),
                "pdf");
  if (path.isEmpty()) return;
  const ReportContent report = GatherReport(host_.Workspace(), ContestName(), ContestFolder());
  Failure error;
  if (!WriteReportPdf(report, path, &error))
    ShowError(T(Txt::ReportWriteFailed).arg(Worded(error)));
}

void ContestControls::onPrintReport() {
  PrintService* printer = host_.Platform().printer;
  if (!printer) return;
  if (!host_.Workspace().HasMainFlight()) {
    host_.ShowFailure(Failure::Of(FailureKind::NoData, {}));
    return;
  }
  const ReportContent report = GatherReport(host_.Workspace(), ContestName(), ContestFolder());
  printer->Print(T(Txt::ReportTitle),
                  [&report](QPagedPaintDevice& device) { PaintReport(device, report); });
}

QString ContestControls::RankingFilePath(const char* suffix) const {
  // "<contest> – Ranking.csv" beside the contest's folder.
  const QString folder = state_.Session().Folder();
  QString name = state_.Session().Name();
  name = FileNameFrom((name.isEmpty() ? QString() : name + QStringLiteral(" – ")) +
                      T(Txt::RankingTitle));
  return QDir(QFileInfo(folder).absolutePath())
      .filePath(name + QLatin1Char('.') + QLatin1String(suffix));
}

// An export writes the folder's ranking as it is now, not as the dock last showed it.
void ContestControls::onExportCsv() {
  const QString path = AskTarget(FileKind::Csv, RankingFilePath("csv"), "csv");
  if (path.isEmpty()) return;
  state_.ReloadResults();
  Failure error;
  if (!WriteFileAtomically(path, RankingCsv(state_.Results().Ranking()), &error))
    ShowError(Worded(error));
}

void ContestControls::onExportPdf() {
  const QString path = AskTarget(FileKind::Pdf, RankingFilePath("pdf"), "pdf");
  if (path.isEmpty()) return;
  state_.ReloadResults();
  RankingDocument document;
  document.rows = state_.Results().Ranking();
  document.contest = state_.Session().Name();
  document.made = QDateTime::currentDateTime();
  document.provisional = RankingProvisional(document.rows, state_.Active());
  document.language = language_;
  Failure error;
  if (!WriteRankingPdf(document, path, &error)) ShowError(Worded(error));
}

}  // namespace hypsor
