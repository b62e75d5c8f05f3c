// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QString>

#include "contest/ContestSession.h"
#include "platform/ContestDialogs.h"
#include "text/Texts.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;

namespace hypsor {

class MainWindow;
class ContestResultsView;
class ElidedLabel;
class ResultsBoard;
struct DownloadResult;

// The main window's contest session and flight report: the File menu entries, the session line
// under the menu, the results dock, and keeping every download while a session is on. It lives
// beside the window (a child of it) and uses the window's workspace, chart and platform.
class ContestControls : public QObject {
  Q_OBJECT
 public:
  ContestControls(MainWindow* window, ContestDialogService* dialog, PrintService* printer);
  ~ContestControls() override;

  // The window's download handler calls this for a download it took as the main flight: while a
  // session is on, the bytes are kept in the folder and the table updated. A failure to keep
  // them is shown in a box; the flight stays in the window either way.
  void KeepDownload(const DownloadResult& result);
  // Whether a download may start: with a session on, its folder must take a flight (writable,
  // its lock free); else a box says why and the altimeter is not asked.
  bool ReadyForDownload();
  ContestSession& Session() { return session_; }

 private:
  QString T(Txt id) const;
  void ApplyLanguage();
  void Refresh();
  void ShowError(const QString& text);
  QString AskTarget();  // a file to write, confirmed when it exists; empty to stop

  void onStart();
  void onEnd();
  void onRebuild();
  void onFlightReport();
  void onPrintReport();
  void onOpenFlight(const QString& fileName);
  void onExportCsv();
  void onExportPdf();
  void onVerify();
  void onBoard();

  MainWindow* w_;
  ContestDialogService* dialog_;
  PrintService* printer_;
  ContestSession session_;
  ContestChoice last_;  // what the dialog suggests next
  QString lastKept_;    // the line's note on the last download kept
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
  ContestResultsView* results_;
  ResultsBoard* board_ = nullptr;  // made when first asked for
};

}  // namespace hypsor
