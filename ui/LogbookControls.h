// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;

namespace hypsor {

class LogbookWindow;
class WindowHost;

// File → Logbook…, and the flights the window opens, saves or keeps added to the logbook on
// their own while the preference says so. The logbook window is made when first needed; a
// logbook that cannot be opened is reported once, and flights are then no longer added on their
// own until the user opens the window again.
class LogbookControls : public QObject {
  Q_OBJECT
 public:
  LogbookControls(WindowHost& host, QMenu& fileMenu);
  ~LogbookControls() override;
  // The logbook window, made and its logbook opened when first asked for (not shown).
  LogbookWindow& Window();
  void ShowWindow();

 private:
  void ApplyLanguage(int language);
  void onFlightFileStored(const QString& path);

  WindowHost& host_;
  QAction* action_;
  QPointer<LogbookWindow> window_;
  bool failed_ = false;  // the logbook could not be opened: nothing is added on its own
};

}  // namespace hypsor
