// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogbookControls.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "session/Preferences.h"
#include "ui/LogbookWindow.h"
#include "ui/WindowHost.h"
#include "platform/FileDialogs.h"

namespace hypsor {

LogbookControls::LogbookControls(WindowHost& host, QMenu& fileMenu)
    : QObject(&host.Frame()), host_(host), action_(new QAction(&host.Frame())) {
  action_->setObjectName(QStringLiteral("logbookAction"));
  connect(action_, &QAction::triggered, this, &LogbookControls::ShowWindow);
  // Below the window's own Open and what follows it directly (Open simulation…).
  const QList<QAction*> actions = fileMenu.actions();
  qsizetype at = actions.indexOf(host_.Commands().open);
  while (at >= 0 && at + 1 < actions.size() && !actions[at + 1]->isSeparator()) ++at;
  fileMenu.insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, action_);
  connect(&host_.Workspace(), &FlightWorkspace::languageChanged, this,
          &LogbookControls::ApplyLanguage);
  connect(&host_.Workspace(), &FlightWorkspace::flightFileStored, this,
          &LogbookControls::onFlightFileStored);
  ApplyLanguage(host_.Workspace().LanguageIndex());
}

LogbookControls::~LogbookControls() {
  // It reports through this; the main window would delete it only after.
  delete window_;
}

LogbookWindow& LogbookControls::Window() {
  if (!window_) {
    window_ = new LogbookWindow(host_.Platform().dialogs,
                                [this](const Failure& f) { host_.ShowFailure(f); },
                                &host_.Frame());
    window_->ApplyLanguage(host_.Workspace().LanguageIndex());
    window_->SetAutoAdd(LogbookAutoAdd(PreferencesFilePath()), [](bool on) {
      SetLogbookAutoAdd(PreferencesFilePath(), on);
    });
    failed_ = !window_->OpenLogbook(Logbook::DefaultPath());
  }
  return *window_;
}

void LogbookControls::ShowWindow() {
  LogbookWindow& w = Window();
  // Asked for by the user: a logbook that failed before is tried again.
  if (!w.IsOpen()) failed_ = !w.OpenLogbook(Logbook::DefaultPath());
  w.show();
  w.raise();
  w.activateWindow();
}

void LogbookControls::ApplyLanguage(int language) {
  action_->setText(LogbookText(LogbookTxt::MenuAction, language));
  if (window_) window_->ApplyLanguage(language);
}

void LogbookControls::onFlightFileStored(const QString& path) {
  if (failed_ || path.isEmpty() || !LogbookAutoAdd(PreferencesFilePath())) return;
  LogbookWindow& w = Window();
  if (!failed_) w.AddQuietly(path);
}

}  // namespace hypsor
