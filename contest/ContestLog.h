// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/Failure.h"

namespace hypsor {

// One record of contest.log: a flight kept in the folder. One line of key=value fields,
// values percent-encoded, in a fixed order; prev is the SHA-256 of the line before (64 zeros
// for the first), so the lines form a chain that shows any change to an earlier line.
struct LogRecord {
  int flight = 0;
  QString file;
  QString sha256;
  qint64 size = 0;
  unsigned competitor = 0;
  unsigned serial = 0;
  QString time;     // ISO 8601 with the offset from UTC
  QString station;  // host name and program version
  bool complete = false;
  bool late = false;  // recorded after its download, by a later keep or a rebuild
  QString prev;
  // Set when read back:
  int line = 0;         // 1-based line number in the log
  QString lineSha256;   // SHA-256 of the line
  bool chained = true;  // prev is the SHA-256 of the line before
};

// Any other line of contest.log: what the contest's rulebook needs (the contest, its events,
// competitors, entries, each flight's event and round, the jury's decisions). kind=<kind> first,
// then the fields in the order they were written, then prev; values percent-encoded as in a
// record. A correction is a later line of the same kind: nothing is rewritten.
struct LogEntry {
  QString kind;  // one of LogEntryKinds()
  std::vector<std::pair<QString, QString>> fields;
  QString prev;
  // Set when read back, as for a record:
  int line = 0;
  QString lineSha256;
  bool chained = true;

  QString Value(const QString& key) const;
  bool Has(const QString& key) const;
  LogEntry& Set(const QString& key, const QString& value);  // appends, or replaces in place
};

// contest, event, competitor, entry, assign, decision.
const QStringList& LogEntryKinds();

struct ContestLog {
  bool exists = false;
  std::vector<LogRecord> records;  // in the order of the log
  std::vector<LogEntry> entries;   // in the order of the log
  // Lines that are no record or do not follow the line before, and a torn last line: LogLine...
  // failures, with the line.
  std::vector<Failure> damage;
  QString lastLineSha256;  // what the next record's prev is
};

// The line of a record, without a line break.
QString LogLine(const LogRecord& r);
QString LogLine(const LogEntry& e);
// The SHA-256 a chain starts from.
QString ChainStart();

// Reads the folder's log; a missing log is an empty one with exists false. False with *error
// when it exists but cannot be read.
bool ReadContestLog(const QString& folder, ContestLog& log, Failure* error);

// Appends records (their prev filled in from log.lastLineSha256 onwards) to the folder's log,
// flushed to the disk, and updates log. A log whose last line is torn gets a line break first.
// The caller holds the folder's lock. False with *error.
bool AppendLogRecords(const QString& folder, ContestLog& log, std::vector<LogRecord> records,
                      Failure* error);
// The same with entries after the records, all in one write (a flight and its event and round).
bool AppendLogLines(const QString& folder, ContestLog& log, std::vector<LogRecord> records,
                    std::vector<LogEntry> entries, Failure* error);

// This station: host name and program version.
QString StationName();

}  // namespace hypsor
