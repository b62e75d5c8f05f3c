// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "contest/ContestSession.h"
#include "platform/ContestDialogs.h"

namespace hypsor {

class FlightWorkspace;
struct DownloadResult;

// The contest session the window runs, without widgets: the session, what the start dialog
// suggests next and the download kept last. Whoever shows it listens to `changed`.
class ContestState : public QObject {
  Q_OBJECT
 public:
  // A download kept in the session's folder.
  struct Kept {
    QString file;  // its name in the folder
    bool complete = false;
  };

  const ContestSession& Session() const { return session_; }
  bool Active() const { return session_.Active(); }
  const ContestChoice& Suggestion() const { return suggestion_; }
  const std::optional<Kept>& LastKept() const { return lastKept_; }
  std::vector<FlightRecord> Flights() { return session_.Flights(); }
  // The clock the session waits on for another station's lock (the program's: real time).
  void UseClock(Clock* clock) { session_.SetClock(clock); }

  // False with *error, and no session.
  bool Start(const ContestChoice& choice, Failure* error);
  void End();
  bool RebuildResults(Failure* error, std::vector<Failure>* problems);
  // Whether a download may start: always without a session; with one, when its folder takes a
  // flight (false with *error).
  bool ReadyForDownload(Failure* error);
  // Keeps a download the workspace took as its main flight; the workspace's flight is then that
  // file. Nothing without a session or a flight (nullopt). *error for Failed and KeptUnrecorded.
  std::optional<KeepOutcome> KeepDownload(const DownloadResult& result,
                                          FlightWorkspace& workspace, Failure* error);
  // The folder's path of the download kept last; empty without one.
  QString LastKeptPath() const;

 signals:
  void changed();

 private:
  ContestSession session_;
  ContestChoice suggestion_;
  std::optional<Kept> lastKept_;
};

}  // namespace hypsor
