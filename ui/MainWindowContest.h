// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QObject>
#include <QString>

#include "platform/Failure.h"
#include "text/FileFilters.h"
#include "text/Texts.h"

class QAction;
class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QToolBar;

namespace hypsor {

class ContestResultsView;
class ContestState;
enum class KeepOutcome;
class ElidedLabel;
class ResultsBoard;
class WindowHost;
struct DownloadResult;

// The main window's contest session and flight report: the File menu (with the window's own
// file commands), the session line under the menu, the results dock, and keeping every download
// while a session is on. It shows the contest state and asks it; it lives beside the window (a
// child of it) and uses the host's workspace and platform. The results board goes in viewMenu.
class ContestControls : public QObject {
  Q_OBJECT
 public:
  ContestControls(WindowHost& host, ContestState& state, QMenu& viewMenu);
  ~ContestControls() override;

  // Says what the contest folder did with a download it was given, when that needs saying (a
  // box); the flight stays in the window either way.
  void ReportKeep(KeepOutcome outcome, Failure failure);
  // Calls start when a download may start: with a session on, its folder must take a flight
  // (writable, its lock free, which may take a moment); else a box says why and the altimeter
  // is not asked.
  void ReadyForDownload(std::function<void()> start);
  // The File menu, which others add their entries to.
  QMenu& FileMenu() { return *fileMenu_; }
  // The session line, which others add their controls to.
  QToolBar& SessionLine() { return *bar_; }

 private:
  QString T(Txt id) const { return Text(id, language_); }
  void ApplyLanguage(int language);
  void Refresh();
  void ShowError(const QString& text);
  QString Worded(const Failure& failure) const;
  // A file to write, suggested as given; with the suffix when typed without one; confirmed
  // when it exists. Empty to stop.
  QString AskTarget(FileKind kind, const QString& suggested, const char* suffix);
  QString RankingFilePath(const char* suffix) const;  // the ranking's suggested file
  // The session's contest and folder; empty without a session.
  QString ContestName() const;
  QString ContestFolder() const;

  void onStart();
  void onEnd();
  void onRebuild();
  void onFlightReport();
  void onPrintReport();
  ContestResultsView& Results();
  void onOpenFlight(const QString& fileName);
  void onExportCsv();
  void onExportPdf();
  void onVerify();
  void onBoard();

  WindowHost& host_;
  QMainWindow& window_;  // the host's frame: menus, bars, docks and the dialogs' parent
  ContestState& state_;
  int language_ = 0;
  QMenu* fileMenu_;
  QAction* startAction_;
  QAction* endAction_;
  QAction* rebuildAction_;
  QAction* verifyAction_;
  QAction* boardAction_;
  QAction* resultsAction_;
  QAction* reportAction_;
  QAction* printAction_;
  QToolBar* bar_;
  ElidedLabel* line_;  // the session line: as much as the window's width shows
  QDockWidget* dock_;
  ContestResultsView* results_ = nullptr;  // made with the first session
  ResultsBoard* board_ = nullptr;  // made when first asked for
};

}  // namespace hypsor
