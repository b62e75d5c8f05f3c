// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ContestSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>

#include "contest/ContestBook.h"
#include "contest/ContestNames.h"
#include "contest/FolderCheck.h"
#include "contest/FolderLock.h"
#include "contest/ResultsTable.h"
#include "files/FileDigest.h"
#include "flight/Filters.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

namespace hypsor {

namespace {

constexpr int kMaxNameAttempts = 1000;  // C.._S.._time-1000.hyp: a clock gone wrong, not a contest
constexpr char kNameKey[] = "contest/name";
// Beyond the lock's wait: the time a station takes from its flight file to its log record.
constexpr int kRecordingGraceMs = 5000;

QString ResultsPath(const QString& folder) {
  return QDir(folder).filePath(QLatin1String(ResultsFileName));
}

QString LocalIso(const QDateTime& t) {
  return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

LogRecord RecordOf(const FlightRecord& f, qint64 size, bool late) {
  LogRecord r;
  r.file = f.file;
  r.sha256 = f.sha256;
  r.size = size;
  r.competitor = f.competitor;
  r.serial = f.serial;
  r.time = LocalIso(QDateTime::currentDateTime());
  r.station = StationName();
  r.complete = f.complete;
  r.late = late;
  return r;
}

}  // namespace

FolderScan ScanContestFolder(const QString& folder) {
  FolderScan scan;
  auto work = std::make_unique<FilterTables>();
  const QDir dir(folder);
  for (const QString& name : FlightFileNames(folder)) {
    FlightRecord r;
    Failure error;
    if (ReadFlightRecord(dir.filePath(name), r, *work, &error))
      scan.flights.push_back(std::move(r));
    else
      scan.problems.push_back(std::move(error));
  }
  NumberByDownload(scan.flights);
  return scan;
}

bool WriteResultsTable(const QString& folder, std::vector<FlightRecord> flights, Failure* error) {
  std::stable_sort(
      flights.begin(), flights.end(),
      [](const FlightRecord& a, const FlightRecord& b) { return a.flight < b.flight; });
  return WriteFileAtomically(ResultsPath(folder), FlightTableCsv(flights), error);
}

QString StoredContestName(const QString& folder) {
  const QString path = QDir(folder).filePath(QLatin1String(ContestSettingsFileName));
  if (!QFileInfo(path).isFile()) return {};
  return QSettings(path, QSettings::IniFormat).value(QLatin1String(kNameKey)).toString();
}

ContestSession::ContestSession() : work_(std::make_unique<FilterTables>()) {}
ContestSession::~ContestSession() = default;

bool ContestSession::Start(const QString& folder, const QString& name, Failure* error) {
  End();
  const QString absolute = QDir(folder).absolutePath();
  if (!QDir().mkpath(absolute) || !QFileInfo(absolute).isDir()) {
    return Fail(error, Failure::Of(FailureKind::CreateFolder, folder));
  }
  QString contest = name.trimmed();
  if (contest.isEmpty()) contest = StoredContestName(absolute);
  if (contest != StoredContestName(absolute)) {
    QSettings stored(QDir(absolute).filePath(QLatin1String(ContestSettingsFileName)),
                     QSettings::IniFormat);
    stored.setValue(QLatin1String(kNameKey), contest);
    stored.sync();
    if (stored.status() != QSettings::NoError) {
      return Fail(error, Failure::Of(FailureKind::WriteFile, stored.fileName()));
    }
  }
  folder_ = absolute;
  name_ = contest;
  // A table that is missing, unreadable or out of step with the files (a kill between a flight
  // file and its row) is rebuilt from the files and the log.
  std::vector<FlightRecord> rows;
  ContestLog log;
  if (LoadTable(rows) && ReadContestLog(folder_, log, nullptr) && TableCurrent(rows, log, {})) {
    flightCount_ = static_cast<int>(rows.size());
  } else {
    FolderLock lock(folder_);
    if (!TakeLock(lock, error) || !WriteDerivedTable(error, nullptr)) {
      folder_.clear();
      name_.clear();
      return false;
    }
  }
  active_ = true;
  return true;
}

void ContestSession::End() {
  active_ = false;
  folder_.clear();
  name_.clear();
  flightCount_ = 0;
}

bool ContestSession::CheckReady(Failure* error) {
  if (!active_) return Fail(error, Failure::Of(FailureKind::NoContestSession, {}));
  QTemporaryFile probe(QDir(folder_).filePath(QStringLiteral(".hypsor-probe-XXXXXX")));
  if (!probe.open()) {
    return Fail(error, Failure::System(FailureKind::WriteIntoFolder,
                                       QDir::toNativeSeparators(folder_), probe.errorString()));
  }
  FolderLock lock(folder_);
  if (!TakeLock(lock, error)) return false;
  if (event_.isEmpty()) return true;
  ContestLog log;
  return ReadContestLog(folder_, log, error) &&
         CheckAssignment(ReadContestBook(log), packs_, event_, round_, error);
}

void ContestSession::SetRound(const QString& event, int round, std::map<QString, RulePack> packs) {
  event_ = event;
  round_ = round;
  packs_ = std::move(packs);
}

bool ContestSession::LoadTable(std::vector<FlightRecord>& rows) const {
  QFile file;
  if (OpenRegularFileForReading(file, ResultsPath(folder_)).status != ReadOpenStatus::Ok)
    return false;
  const QByteArray text = file.readAll();
  return file.error() == QFileDevice::NoError && ParseFlightTable(text, rows);
}

bool ContestSession::TableCurrent(const std::vector<FlightRecord>& rows, const ContestLog& log,
                                  const QString& extra) const {
  const QDir dir(folder_);
  if (!log.exists) {
    // No log: the table lists exactly the folder's files. One too short for a flight is never
    // in it; it must not make every keep rebuild.
    QStringList listed;
    for (const FlightRecord& r : rows) listed << r.file;
    if (!extra.isEmpty()) listed << extra;
    std::sort(listed.begin(), listed.end());
    QStringList files;
    for (const QString& name : FlightFileNames(folder_))
      if (name == extra || QFileInfo(dir.filePath(name)).size() >= FlightHeaderSize) files << name;
    return listed == files;
  }
  // With a log: every record has its row naming its line, and every other row a file. A flight
  // file another station has kept and not yet recorded is its business, not a reason to rebuild.
  QHash<QString, QString> recorded;
  for (const LogRecord& r : log.records) recorded.insert(r.file, r.lineSha256);
  QSet<QString> listed;
  for (const FlightRecord& row : rows) {
    listed.insert(row.file);
    const auto it = recorded.constFind(row.file);
    if (it != recorded.cend() ? row.recordSha256 != *it
                              : !QFileInfo::exists(dir.filePath(row.file)))
      return false;
  }
  for (auto it = recorded.cbegin(); it != recorded.cend(); ++it)
    if (it.key() != extra && !listed.contains(it.key())) return false;
  return true;
}

bool ContestSession::RecordUnlogged(ContestLog& log, const QString& skip, bool create, bool* added,
                                    Failure* error) {
  *added = false;
  if (!log.exists && !create) return true;
  QSet<QString> logged;
  for (const LogRecord& r : log.records) logged.insert(r.file);
  std::vector<FlightRecord> late;
  const QDir dir(folder_);
  // A file younger than a station's longest wait for the lock may be one that station is about
  // to record itself.
  const QDateTime settled =
      QDateTime::currentDateTimeUtc().addMSecs(-(lockTimeoutMs_ + kRecordingGraceMs));
  for (const QString& name : FlightFileNames(folder_)) {
    if (name == skip || logged.contains(name)) continue;
    if (QFileInfo(dir.filePath(name)).lastModified().toUTC() > settled) continue;
    FlightRecord f;
    if (ReadFlightRecord(dir.filePath(name), f, *work_, nullptr)) late.push_back(std::move(f));
  }
  NumberByDownload(late);
  std::vector<LogRecord> records;
  int next = static_cast<int>(log.records.size());
  for (const FlightRecord& f : late) {
    records.push_back(RecordOf(f, QFileInfo(dir.filePath(f.file)).size(), true));
    records.back().flight = ++next;
  }
  if (!AppendLogRecords(folder_, log, std::move(records), error)) return false;
  *added = !late.empty();
  return true;
}

bool ContestSession::WriteDerivedTable(Failure* error, std::vector<Failure>* problems,
                                       const QString& file, int* flight) {
  const ContestCheck check = CheckContestFolder(folder_, *work_, false);
  if (!check.readable) return Fail(error, check.failure);
  for (const FlightRecord& r : check.flights)
    if (flight && r.file == file) *flight = r.flight;
  if (problems) *problems = check.unreadable;
  if (!WriteFileAtomically(ResultsPath(folder_), check.Table(), error)) return false;
  flightCount_ = static_cast<int>(check.flights.size());
  return true;
}

bool ContestSession::TakeLock(FolderLock& lock, Failure* error) {
  return waitForLock_ ? lock.Acquire(lockTimeoutMs_, error, clock_) : lock.TryAcquire(error);
}

bool ContestSession::RebuildResults(Failure* error, std::vector<Failure>* problems) {
  FolderLock lock(folder_);
  if (!TakeLock(lock, error)) return false;
  ContestLog log;
  bool added = false;
  if (!ReadContestLog(folder_, log, error) || !RecordUnlogged(log, {}, false, &added, error))
    return false;
  return WriteDerivedTable(error, problems);
}

std::vector<FlightRecord> ContestSession::Flights(Failure* error) {
  ContestCheck check = CheckContestFolder(folder_, *work_, false);
  if (!check.readable && error) *error = check.failure;
  return std::move(check.flights);
}

KeepOutcome ContestSession::KeepDownload(std::span<const std::uint8_t> bytes,
                                         const QDateTime& when, FlightRecord* kept,
                                         Failure* error) {
  FileKept file;
  KeepOutcome outcome = KeepFile(bytes, when, &file, error);
  if (outcome != KeepOutcome::Failed) outcome = RecordKept(file, error);
  if (kept && outcome != KeepOutcome::Failed) *kept = file.record;
  return outcome;
}

KeepOutcome ContestSession::KeepFile(std::span<const std::uint8_t> bytes, const QDateTime& when,
                                     FileKept* kept, Failure* error) {
  if (!active_) {
    Fail(error, Failure::Of(FailureKind::NoContestSession, {}));
    return KeepOutcome::Failed;
  }
  FlightRecord record;
  const std::span<const std::uint8_t> head =
      bytes.first(std::min<std::size_t>(bytes.size(), FileReadCap));
  if (!RecordFromBytes(head, EndMarkerInTail(bytes), record, *work_)) {
    Fail(error, Failure::Of(FailureKind::DownloadTooShort, {}));
    return KeepOutcome::Failed;
  }
  // The name's time has whole seconds; the record says what the name says.
  const QDateTime local = when.toLocalTime();
  record.downloaded = QDateTime(
      local.date(), QTime(local.time().hour(), local.time().minute(), local.time().second()));
  const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qsizetype>(bytes.size()));
  record.sha256 = Sha256Hex(data);
  if (!record.complete) record.reasons |= ReasonIncomplete;

  // The flight first, needing no lock: whatever happens to the log or the table, it is kept.
  const QDir dir(folder_);
  WriteFailure failure = WriteFailure::Exists;
  for (int attempt = 1; attempt <= kMaxNameAttempts && failure == WriteFailure::Exists; ++attempt) {
    record.file = ContestFileName(record.competitor, record.serial, record.downloaded, attempt);
    if (CreateFileAtomically(dir.filePath(record.file), data, error, &failure)) break;
  }
  if (failure != WriteFailure::None) return KeepOutcome::Failed;
  *kept = {record, data.size(), when};
  return KeepOutcome::KeptUnrecorded;
}

KeepOutcome ContestSession::RecordKept(FileKept& kept, Failure* error) {
  FlightRecord record = kept.record;
  const QDir dir(folder_);
  auto unrecorded = [&](Failure why) {
    why.keptAs = QDir::toNativeSeparators(dir.filePath(record.file));
    Fail(error, std::move(why));
    return KeepOutcome::KeptUnrecorded;
  };
  if (!active_) return unrecorded(Failure::Of(FailureKind::NoContestSession, {}));
  Failure why;
  FolderLock lock(folder_);
  if (!TakeLock(lock, &why)) return unrecorded(why);
  ContestLog log;
  bool added = false;
  if (!ReadContestLog(folder_, log, &why)) return unrecorded(why);
  const bool logged = log.exists;
  if (!RecordUnlogged(log, record.file, true, &added, &why)) return unrecorded(why);
  // Recorded already when another station's rebuild took it for one left unrecorded.
  const auto earlier = std::find_if(log.records.begin(), log.records.end(),
                                    [&](const LogRecord& r) { return r.file == record.file; });
  if (earlier != log.records.end()) {
    record.recordSha256 = earlier->lineSha256;
    if (earlier->late) record.reasons |= ReasonLate;
    // Recorded without its event and round: they follow as a line of their own.
    if (!event_.isEmpty() && !ReadContestBook(log).assignments.count(record.file) &&
        !AppendLogLines(folder_, log, {}, {AssignmentLine(record.file, event_, round_)}, &why))
      return unrecorded(why);
  } else {
    LogRecord own = RecordOf(record, kept.size, false);
    own.flight = static_cast<int>(log.records.size()) + 1;
    own.time = LocalIso(kept.when);
    std::vector<LogEntry> assign;
    if (!event_.isEmpty()) assign.push_back(AssignmentLine(record.file, event_, round_));
    if (!AppendLogLines(folder_, log, {own}, std::move(assign), &why)) return unrecorded(why);
    record.recordSha256 = log.records.back().lineSha256;
  }

  // Add the row to a table that is current with the log; else rebuild it.
  std::vector<FlightRecord> rows;
  if (logged && !added && LoadTable(rows) && TableCurrent(rows, log, record.file)) {
    rows.push_back(record);
    NumberByDownload(rows);
    SortByFlight(rows);
    for (const FlightRecord& r : rows)
      if (r.file == record.file) record.flight = r.flight;
    if (!WriteFileAtomically(ResultsPath(folder_), FlightTableCsv(rows), &why))
      return unrecorded(why);
    flightCount_ = static_cast<int>(rows.size());
  } else {
    if (!WriteDerivedTable(&why, nullptr, record.file, &record.flight)) return unrecorded(why);
  }
  kept.record = std::move(record);
  return KeepOutcome::Kept;
}

}  // namespace hypsor
