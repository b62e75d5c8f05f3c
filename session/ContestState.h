// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "contest/ContestSession.h"
#include "platform/ContestDialogs.h"
#include "session/ContestResults.h"

namespace hypsor {

class FlightWorkspace;
struct DownloadResult;

// The contest session the window runs, without widgets: the session, what the start dialog
// suggests next, the download kept last and the folder's results, followed while the session is
// on. Whoever shows any of it listens to `changed`, which the results' own changes emit too.
//
// The calls that take the folder's lock never sleep, as they run on the window's thread: while
// another station holds the lock they try again every few milliseconds on a timer, for as long
// as a station waits for it, and `waiting` says so. Each reports through its `done`, at once
// when the lock was free; calls made meanwhile wait their turn.
class ContestState : public QObject {
  Q_OBJECT
 public:
  // A download kept in the session's folder.
  struct Kept {
    QString file;  // its name in the folder
    bool complete = false;
  };
  using Done = std::function<void(bool ok, const Failure& error)>;

  ContestState();
  ~ContestState() override;

  const ContestSession& Session() const { return session_; }
  bool Active() const { return session_.Active(); }
  const ContestChoice& Suggestion() const { return suggestion_; }
  const std::optional<Kept>& LastKept() const { return lastKept_; }
  // The session folder's flights and ranking, kept current; after the session, still its
  // folder's (empty before the first session).
  const ContestResults& Results() const { return results_; }
  // Reads the folder's results again now (a check or an export is about to show them).
  void ReloadResults() { results_.Reload(); }

  // Not ok with the error: no session then.
  void Start(const ContestChoice& choice, Done done);
  // The event and round the window's downloads are kept for (an empty event: none).
  void SetRound(const QString& event, int round, std::map<QString, RulePack> packs) {
    session_.SetRound(event, round, std::move(packs));
  }
  // Not while a call waits for the lock.
  void End();
  // problems: the files that could not be read.
  void RebuildResults(
      std::function<void(bool ok, const Failure& error, const std::vector<Failure>& problems)>
          done);
  // Whether a download may start: always without a session; with one, when its folder takes a
  // flight.
  void ReadyForDownload(Done done);
  // Keeps a download the workspace took as its main flight; the workspace's flight is then that
  // file. Nothing without a session or a flight (nullopt); error for Failed and KeptUnrecorded.
  void KeepDownload(
      const DownloadResult& result, FlightWorkspace& workspace,
      std::function<void(std::optional<KeepOutcome> outcome, const Failure& error)> done);
  // The folder's path of the download kept last; empty without one.
  QString LastKeptPath() const;

 signals:
  void changed();
  // A call has begun (true) or stopped (false) waiting for another station's lock.
  void waiting(bool on);

 private:
  // attempt runs until it succeeds or fails for another reason than the lock; then finish.
  struct Call {
    std::function<bool(Failure*)> attempt;
    Done finish;
  };
  void Queue(std::function<bool(Failure*)> attempt, Done finish);
  void Begin();
  void Try();
  void SetWaiting(bool on);

  // After the session or the download kept changed: the results read again (which tells
  // `changed`), or without a session just `changed`.
  void Changed();

  ContestSession session_;
  ContestResults results_;
  ContestChoice suggestion_;
  std::optional<Kept> lastKept_;
  std::deque<Call> calls_;   // the first is being tried
  QDeadlineTimer deadline_;  // of the first call's wait
  QTimer retry_;
  bool waiting_ = false;
};

}  // namespace hypsor
