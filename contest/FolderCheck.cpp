// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/FolderCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#include "contest/ContestNames.h"
#include "contest/ResultsTable.h"
#include "platform/RegularFile.h"

namespace hypsor {

QStringList FlightFileNames(const QString& folder) {
  QStringList names;
  const QDir dir(folder);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
    if (IsFlightFileName(name)) names << name;
  }
  std::sort(names.begin(), names.end());
  return names;
}

void NumberByDownload(std::vector<FlightRecord>& flights) {
  std::vector<FlightRecord*> order;
  order.reserve(flights.size());
  for (FlightRecord& f : flights) order.push_back(&f);
  std::sort(order.begin(), order.end(), [](const FlightRecord* a, const FlightRecord* b) {
    if (a->downloaded != b->downloaded) return a->downloaded < b->downloaded;
    return DownloadOrderKey(a->file) < DownloadOrderKey(b->file);
  });
  for (std::size_t k = 0; k < order.size(); ++k) order[k]->flight = static_cast<int>(k) + 1;
}

void SortByFlight(std::vector<FlightRecord>& flights) {
  std::sort(flights.begin(), flights.end(),
            [](const FlightRecord& a, const FlightRecord& b) { return a.flight < b.flight; });
}

namespace {

// Columns that say what was recorded rather than what a file holds now: all a row of a flight
// whose file changed or is gone can be held against.
constexpr qsizetype kRecordColumns[] = {0, 8, 9, 11};

void CompareResults(const QString& folder, ContestCheck& check) {
  const QString path = QDir(folder).filePath(QLatin1String(ResultsFileName));
  QFile file;
  QByteArray text;
  bool read = OpenRegularFileForReading(file, path).status == ReadOpenStatus::Ok;
  if (read) {
    text = file.readAll();
    read = file.error() == QFileDevice::NoError;
  }
  const QByteArray expected = check.Table();
  if (read && text == expected) return;
  std::vector<FlightRecord> rows;
  if (!read || !ParseFlightTable(text, rows)) {
    check.notes.push_back(
        {QLatin1String(ResultsFileName), ReasonResults,
         Failure::Of(read ? FailureKind::ResultsNotATable : FailureKind::ResultsUnreadable, path)});
    for (FlightRecord& f : check.flights) f.reasons |= ReasonResults;
    return;
  }
  // A table from before the log has no status: held against the columns it has.
  const qsizetype header = text.left(text.indexOf('\n')).count(',') + 1;
  const qsizetype columns = std::min(header, FlightTableColumns());
  QHash<QString, const FlightRecord*> byFile;
  for (const FlightRecord& r : rows) {
    if (byFile.contains(r.file) ||
        std::none_of(check.flights.begin(), check.flights.end(),
                     [&](const FlightRecord& f) { return f.file == r.file; })) {
      Failure unknown = Failure::Of(FailureKind::ResultsListsUnknown, path);
      unknown.detail = r.file;
      check.notes.push_back({QLatin1String(ResultsFileName), ReasonResults, std::move(unknown)});
    }
    byFile.insert(r.file, &r);
  }
  bool any = false;
  for (FlightRecord& f : check.flights) {
    const FlightRecord* row = byFile.value(f.file);
    // A file the log lacks: the table agrees with the log when it lacks it too.
    bool differs = row == nullptr && !(f.reasons & ReasonNotInLog);
    if (row) {
      const QStringList want = FlightTableFields(f), have = FlightTableFields(*row);
      if (f.reasons & (ReasonChanged | ReasonMissing)) {
        for (qsizetype c : kRecordColumns)
          if (c < columns && want[c] != have[c]) differs = true;
      } else {
        differs = want.mid(0, columns) != have.mid(0, columns);
      }
    }
    if (differs) {
      f.reasons |= ReasonResults;
      any = true;
    }
  }
  // Every row as it should be, yet the bytes differ: quoting, line ends, order, the header.
  if (!any && columns == FlightTableColumns() && FlightTableCsv(rows) != text)
    check.notes.push_back({QLatin1String(ResultsFileName), ReasonResults,
                           Failure::Of(FailureKind::ResultsNotAsWritten, path)});
  else if (!any) {
    // Or the rows in another order than their flight numbers.
    QStringList order, expectedOrder;
    QSet<QString> flightFiles;
    for (const FlightRecord& f : check.flights) {
      flightFiles.insert(f.file);
      if (byFile.contains(f.file)) expectedOrder << f.file;
    }
    for (const FlightRecord& r : rows)
      if (flightFiles.contains(r.file)) order << r.file;
    if (order != expectedOrder)
      check.notes.push_back({QLatin1String(ResultsFileName), ReasonResults,
                             Failure::Of(FailureKind::ResultsOutOfOrder, path)});
  }
}

}  // namespace

QByteArray ContestCheck::Table() const {
  return FlightTableCsv(flights);  // kept in flight-number order
}

ContestCheck CheckContestFolder(const QString& folder, FilterTables& work, bool compareResults) {
  ContestCheck check;
  if (!QFileInfo(folder).isDir()) {
    check.failure = Failure::Of(FailureKind::NotAFolder, QDir::toNativeSeparators(folder));
    return check;
  }
  if (!ReadContestLog(folder, check.log, &check.failure)) return check;
  check.readable = true;
  const bool logged = check.log.exists;

  // The last record of each file (a name is never kept twice; a log edited by hand may say so).
  QHash<QString, const LogRecord*> records;
  for (const LogRecord& r : check.log.records) records.insert(r.file, &r);
  auto applyRecord = [](FlightRecord& f, const LogRecord& r) {
    f.recordSha256 = r.lineSha256;
    if (!r.chained) f.reasons |= ReasonBrokenChain;
    if (r.late) f.reasons |= ReasonLate;
  };

  const QDir dir(folder);
  QSet<QString> present;
  for (const QString& name : FlightFileNames(folder)) {
    FlightRecord f;
    Failure error;
    const LogRecord* r = records.value(name);
    if (!ReadFlightRecord(dir.filePath(name), f, work, &error)) {
      if (!r) {
        check.unreadable.push_back(error);
        check.notes.push_back({name, logged ? ReasonNotInLog : ReasonNoLog, error});
        continue;
      }
      // A kept flight that is no flight any more: as good as gone.
      f.file = name;
      f.competitor = r->competitor;
      f.serial = r->serial;
      f.complete = r->complete;
      f.downloaded = ContestFileTime(name).value_or(QFileInfo(dir.filePath(name)).lastModified());
      f.sha256 = QString();
      f.reasons |= ReasonChanged;
    }
    present.insert(name);
    if (!r) {
      f.reasons |= logged ? ReasonNotInLog : ReasonNoLog;
    } else {
      if (f.sha256 != r->sha256) f.reasons |= ReasonChanged;
      f.sha256 = r->sha256;  // never re-recorded
      applyRecord(f, *r);
    }
    if (!f.complete) f.reasons |= ReasonIncomplete;
    const std::optional<NamedNumbers> named = ContestFileNumbers(name);
    if (named && (named->competitor != f.competitor || named->serial != f.serial))
      f.reasons |= ReasonNameHeader;
    check.flights.push_back(std::move(f));
  }
  for (auto it = records.cbegin(); it != records.cend(); ++it) {
    if (present.contains(it.key())) continue;
    const LogRecord& r = *it.value();
    FlightRecord f;
    f.file = r.file;
    f.competitor = r.competitor;
    f.serial = r.serial;
    f.complete = r.complete;
    f.sha256 = r.sha256;
    f.downloaded = ContestFileTime(r.file).value_or(
        QDateTime::fromString(r.time, Qt::ISODate).toLocalTime());
    f.reasons |= ReasonMissing;
    if (!f.complete) f.reasons |= ReasonIncomplete;
    applyRecord(f, r);
    check.flights.push_back(std::move(f));
  }
  NumberByDownload(check.flights);
  SortByFlight(check.flights);
  for (const Failure& damage : check.log.damage)
    check.notes.push_back({QLatin1String(ContestLogFileName), ReasonBrokenChain, damage});
  check.book = ReadContestBook(check.log);
  for (const Failure& problem : check.book.problems)
    check.notes.push_back({QLatin1String(ContestLogFileName), ReasonBrokenChain, problem});
  std::map<QString, unsigned> competitors;
  for (const LogRecord& r : check.log.records) competitors[r.file] = r.competitor;
  check.entryOrders = EntryOrders(check.book, competitors);
  for (const EntryOrder& o : check.entryOrders) {
    if (o.Before()) continue;
    Failure late = Failure::Of(FailureKind::EntryAfterFlight, o.file);
    late.number = o.competitor;
    late.detail = o.event;
    late.found = o.key;
    check.notes.push_back({o.file, ReasonLate, late});
  }
  if (compareResults) CompareResults(folder, check);
  return check;
}

QStringList VerifyFlags(const FlightRecord& f) {
  // An incomplete flight already says so in its reasons.
  QStringList flags = f.qualityFlags;
  if (f.reasons & ReasonIncomplete) flags.removeAll(QStringLiteral("incomplete"));
  return flags;
}

FlightLevel StateLevel(unsigned reasons, const QStringList& flags) {
  // The data-quality flags are warnings: the record is sound, the data asks for a look.
  return std::max(LevelOf(reasons), flags.isEmpty() ? FlightLevel::Valid : FlightLevel::Warning);
}

FlightLevel VerifyLevel(const FlightRecord& f) {
  return StateLevel(f.reasons, VerifyFlags(f));
}

FlightLevel VerifyWorst(const ContestCheck& check) {
  FlightLevel worst = FlightLevel::Valid;
  for (const FlightRecord& f : check.flights) worst = std::max(worst, VerifyLevel(f));
  for (const FolderNote& n : check.notes) worst = std::max(worst, LevelOf(n.reasons));
  return worst;
}

}  // namespace hypsor
