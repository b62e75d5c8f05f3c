// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QDate>
#include <QSet>
#include <QString>

#include "logbook/LogbookFlight.h"
#include "platform/Failure.h"

class QSqlQuery;

namespace hypsor {

// The user's own words about a flight. An absent tag is left as it is; an empty one clears it.
struct LogbookTags {
  std::optional<QString> rocket, motor, site, note;
  bool Any() const { return rocket || motor || site || note; }
};

// One flight as the logbook holds it.
struct LogbookEntry {
  LogbookFlight flight;
  QString rocket, motor, site, note;
  bool missing = false;  // its file was not found at its path by the last rebuild
  bool changed = false;  // its path held other bytes at the last rebuild
};

// Which flights a list shows; an absent value does not filter.
struct LogbookFilter {
  std::optional<QString> rocket, motor, site;
  std::optional<QDate> from, to;  // flown on or after / on or before (local dates)
  std::optional<double> minApogeeM;
  QString search;  // a text found in the file's path or any tag (the window's search line)
};

enum class LogbookGrouping { Rocket, Motor, Site, Month };

// The statistics of one group: the apogee figures are of the flights with an apogee.
struct LogbookGroup {
  QString key;  // the rocket, motor or site ("" for none), or the month as YYYY-MM
  int flights = 0;
  std::optional<double> bestApogeeM, meanApogeeM;
  std::optional<double> stddevApogeeM;  // the sample standard deviation: two apogees or more
  std::optional<double> meanTimeToApogeeS;
};

// The logbook: an SQLite index (Qt SQL) of the flight files, keyed by each file's SHA-256, with
// the user's tags. The files stay the truth: everything but the tags can be rebuilt from them.
// Several programs may write one logbook at once: it runs in WAL mode with a busy timeout, and
// every change is one immediate transaction, so a writer waits for the other instead of failing.
// A logbook belongs to the thread that opened it (Qt SQL's rule); each open one has a connection
// of its own name.
class Logbook {
 public:
  // The schema this program writes; older logbooks are migrated when opened.
  static constexpr int kSchemaVersion = 2;

  Logbook();
  ~Logbook();
  Logbook(const Logbook&) = delete;
  Logbook& operator=(const Logbook&) = delete;

  // $XDG_DATA_HOME/hypsor/logbook.sqlite (the user's application-data folder on Windows).
  static QString DefaultPath();

  // Opens the logbook at path, making it (and its folder) when there is none, and migrates an
  // older schema. A file that is no logbook, is damaged or is newer is left as it is: false with
  // *error saying so.
  bool Open(const QString& path, Failure* error);
  bool IsOpen() const { return !connection_.isEmpty(); }
  void Close();
  const QString& Path() const { return path_; }
  // The Qt SQL connection's name, for a model over a query in the window (on this thread).
  const QString& ConnectionName() const { return connection_; }

  // The SHA-256 of every flight held.
  bool Digests(QSet<QString>& out, Failure* error) const;
  // Writes flights in one transaction. A new flight is added with the tags; a known one gets its
  // new path (a moved file), is found again, and takes the tags given. added[k] says which.
  bool Put(const std::vector<LogbookFlight>& flights, const LogbookTags& tags,
           std::vector<bool>& added, Failure* error);
  // The flight a file's path or a SHA-256 names; false with LogbookUnknown when none.
  bool Find(const QString& pathOrSha256, LogbookEntry& out, Failure* error) const;
  bool Tag(const QString& sha256, const LogbookTags& tags, Failure* error);
  // The flights the filter lets through, in the order they were flown.
  bool List(const LogbookFilter& filter, std::vector<LogbookEntry>& out, Failure* error) const;
  bool Statistics(LogbookGrouping by, std::vector<LogbookGroup>& out, Failure* error) const;

  // What a rebuild found for one flight: its values read again, its file gone, or other bytes
  // at its path.
  enum class Found { Same, Missing, Changed };
  struct Reread {
    QString sha256;
    Found found = Found::Same;
    LogbookFlight flight;  // Same: the values read again
  };
  bool Mark(const std::vector<Reread>& results, Failure* error);

  // The text of a query's SQL with the filter's conditions, and their values bound: shared by
  // List and the window's model.
  static QString FilterSql(const LogbookFilter& filter);
  static void BindFilter(QSqlQuery& query, const LogbookFilter& filter);

 private:
  bool Fail(const QString& what, const QString& driverText, const QString& nativeCode,
            Failure* error) const;
  bool Prepare(QSqlQuery& query, const QString& sql, Failure* error) const;
  bool Exec(QSqlQuery& query, Failure* error) const;
  bool Begin(Failure* error);
  bool Commit(Failure* error);
  void Rollback();
  bool CheckSchema(Failure* error);
  bool Migrate(int from, Failure* error);

  QString path_;
  QString connection_;
};

}  // namespace hypsor
