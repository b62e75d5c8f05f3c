// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "contest/ContestLog.h"
#include "contest/RulePack.h"
#include "contest/FlightRecord.h"
#include "contest/FolderLock.h"

namespace hypsor {

class Clock;
struct FilterTables;

// Every flight file of a folder (not its subfolders; temporary files skipped), read into records
// numbered in the order of download (time, then name) and listed by file name. Files that cannot
// be read are in problems, and left out.
struct FolderScan {
  std::vector<FlightRecord> flights;
  std::vector<Failure> problems;
};
FolderScan ScanContestFolder(const QString& folder);

// What became of a download given to ContestSession::KeepDownload.
enum class KeepOutcome {
  Failed,          // nothing kept (no session, too short for a flight, no file could be made)
  KeptUnrecorded,  // the flight file is kept, but its log record or results row is not written:
                   // the next keep or rebuild completes them (marked late)
  Kept,
};

// Writes results.csv of a folder from records (in flight-number order) through a temporary file
// and a rename, so the table is whole at every moment. False with *error.
bool WriteResultsTable(const QString& folder, std::vector<FlightRecord> flights, Failure* error);

// The contest name stored in a folder, empty when there is none.
QString StoredContestName(const QString& folder);

// A contest session: a folder that keeps every download as a flight file named after competitor,
// serial and time, and results.csv derived from those files. No widgets; the window and
// hypsor-cli both drive it.
class ContestSession {
 public:
  ContestSession();
  ~ContestSession();
  ContestSession(const ContestSession&) = delete;
  ContestSession& operator=(const ContestSession&) = delete;

  // Opens folder (created when missing) as a contest folder: a folder already used resumes,
  // keeping its flights. An empty name takes the stored one. The name is stored in the folder;
  // results.csv is rebuilt when it is missing or unreadable. False with *error, and no session.
  bool Start(const QString& folder, const QString& name, Failure* error);
  void End();
  bool Active() const { return active_; }
  const QString& Folder() const { return folder_; }
  const QString& Name() const { return name_; }
  int FlightCount() const { return flightCount_; }
  // How long a keep or rebuild waits for another station's lock, and on which clock (none: in
  // real time).
  void SetLockTimeout(int ms) { lockTimeoutMs_ = ms; }
  int LockTimeoutMs() const { return lockTimeoutMs_; }
  void SetClock(Clock* clock) { clock_ = clock; }
  // Off: nothing waits for the lock. A lock another station holds fails at once with
  // FolderLocked, and the caller tries the same call again later (the window, whose thread
  // must not sleep, on a timer).
  void SetWaitForLock(bool wait) { waitForLock_ = wait; }

  // The event and round the next downloads are kept for, recorded with each flight; an empty
  // event keeps them without (contest assign gives them later). packs are the known rule packs.
  void SetRound(const QString& event, int round, std::map<QString, RulePack> packs);
  const QString& Event() const { return event_; }
  int Round() const { return round_; }

  // Whether a download could be kept now: the folder takes a new file and its lock can be had,
  // and the event and round exist in the contest.
  // Asked before the altimeter is, so a flight is never fetched into a folder that refuses it.
  bool CheckReady(Failure* error);

  // Keeps the bytes of a download made at local time `when`: first a new file
  // C<competitor>_S<serial>_<time>.hyp (-2, -3, ... when the name is taken; an existing file is
  // never replaced), written atomically; then, under the folder's lock, its record appended to
  // contest.log (with late records for flight files the log lacks, such as those kept before the
  // log began, but not those a few seconds old) and its row to results.csv (rebuilt instead when
  // it does not list the folder's files). *kept holds the record (file name, values, completeness) once the file is kept.
  // *error says what failed, for Failed and KeptUnrecorded.
  KeepOutcome KeepDownload(std::span<const std::uint8_t> bytes, const QDateTime& when,
                           FlightRecord* kept, Failure* error);
  // KeepDownload in its two steps, for a caller that tries the second again while another
  // station holds the lock: KeepFile writes the flight file (Failed or KeptUnrecorded, *kept
  // filled for the latter), RecordKept records it under the lock (KeptUnrecorded, or Kept with
  // its flight number and record in kept).
  struct FileKept {
    FlightRecord record;
    qint64 size = 0;
    QDateTime when;
  };
  KeepOutcome KeepFile(std::span<const std::uint8_t> bytes, const QDateTime& when, FileKept* kept,
                       Failure* error);
  KeepOutcome RecordKept(FileKept& kept, Failure* error);

  // Rebuilds results.csv from the folder's flight files and its log, under the folder's lock.
  // In a folder with a log, flight files it lacks are recorded first, marked late (unless they
  // are a few seconds old: their own station may be about to record them); a file that
  // no longer matches its record keeps the recorded digest and is marked. The unreadable files
  // go to *problems.
  bool RebuildResults(Failure* error, std::vector<Failure>* problems = nullptr);

  // The flights as the files and the log say, each with its reasons.
  std::vector<FlightRecord> Flights(Failure* error = nullptr);

 private:
  bool LoadTable(std::vector<FlightRecord>& rows) const;
  // Whether rows are the table of the folder as far as the log goes (without a log: they and the
  // file extra name exactly the folder's flight files that can hold one); extra has no row yet.
  bool TableCurrent(const std::vector<FlightRecord>& rows, const ContestLog& log,
                    const QString& extra) const;
  // Under the lock: late records for the flight files the log lacks (but skip, and those so
  // new that their own station may still record them), when there is a log or create is set.
  bool RecordUnlogged(ContestLog& log, const QString& skip, bool create, bool* added,
                      Failure* error);
  // results.csv as the files and the log say; *flight gets the number of file.
  bool WriteDerivedTable(Failure* error, std::vector<Failure>* problems, const QString& file = {},
                         int* flight = nullptr);
  bool TakeLock(FolderLock& lock, Failure* error);
  bool active_ = false;
  QString folder_;
  QString name_;
  int flightCount_ = 0;
  int lockTimeoutMs_ = FolderLockTimeoutMs;
  Clock* clock_ = nullptr;
  bool waitForLock_ = true;
  QString event_;
  int round_ = 0;
  std::map<QString, RulePack> packs_;
  std::unique_ptr<FilterTables> work_;
};

}  // namespace hypsor
