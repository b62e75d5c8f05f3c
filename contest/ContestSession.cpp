// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ContestSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <algorithm>

#include "contest/ContestNames.h"
#include "contest/ResultsTable.h"
#include "files/FileDigest.h"
#include "flight/Filters.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

namespace hypsor {

namespace {

constexpr int kMaxNameAttempts = 1000;  // C.._S.._time-1000.hyp: a clock gone wrong, not a contest
constexpr char kNameKey[] = "contest/name";

QString ResultsPath(const QString& folder) {
  return QDir(folder).filePath(QLatin1String(ResultsFileName));
}

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
  for (FlightRecord& f : flights) order.push_back(&f);
  std::sort(order.begin(), order.end(), [](const FlightRecord* a, const FlightRecord* b) {
    if (a->downloaded != b->downloaded) return a->downloaded < b->downloaded;
    return DownloadOrderKey(a->file) < DownloadOrderKey(b->file);
  });
  for (std::size_t k = 0; k < order.size(); ++k) order[k]->flight = static_cast<int>(k) + 1;
}

}  // namespace

FolderScan ScanContestFolder(const QString& folder) {
  FolderScan scan;
  auto work = std::make_unique<FilterTables>();
  const QDir dir(folder);
  for (const QString& name : FlightFileNames(folder)) {
    FlightRecord r;
    QString error;
    if (ReadFlightRecord(dir.filePath(name), r, *work, &error))
      scan.flights.push_back(std::move(r));
    else
      scan.problems << error;
  }
  NumberByDownload(scan.flights);
  return scan;
}

bool WriteResultsTable(const QString& folder, std::vector<FlightRecord> flights, QString* error) {
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

bool ContestSession::Start(const QString& folder, const QString& name, QString* error) {
  End();
  const QString absolute = QDir(folder).absolutePath();
  if (!QDir().mkpath(absolute) || !QFileInfo(absolute).isDir()) {
    if (error) *error = QStringLiteral("Cannot create folder %1").arg(folder);
    return false;
  }
  QString contest = name.trimmed();
  if (contest.isEmpty()) contest = StoredContestName(absolute);
  if (contest != StoredContestName(absolute)) {
    QSettings stored(QDir(absolute).filePath(QLatin1String(ContestSettingsFileName)),
                     QSettings::IniFormat);
    stored.setValue(QLatin1String(kNameKey), contest);
    stored.sync();
    if (stored.status() != QSettings::NoError) {
      if (error) *error = QStringLiteral("Cannot write file %1").arg(stored.fileName());
      return false;
    }
  }
  folder_ = absolute;
  name_ = contest;
  // A table that is missing, unreadable or out of step with the files (a kill between a flight
  // file and its row) is rebuilt from the files.
  std::vector<FlightRecord> rows;
  if (LoadTable(rows) && ListsFolder(rows, {})) {
    flightCount_ = static_cast<int>(rows.size());
  } else if (!RebuildResults(error)) {
    folder_.clear();
    name_.clear();
    return false;
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

bool ContestSession::LoadTable(std::vector<FlightRecord>& rows) const {
  QFile file;
  if (OpenRegularFileForReading(file, ResultsPath(folder_)).status != ReadOpenStatus::Ok)
    return false;
  const QByteArray text = file.readAll();
  return file.error() == QFileDevice::NoError && ParseFlightTable(text, rows);
}

bool ContestSession::ListsFolder(const std::vector<FlightRecord>& rows,
                                 const QString& extra) const {
  QStringList listed;
  for (const FlightRecord& r : rows) listed << r.file;
  if (!extra.isEmpty()) listed << extra;
  std::sort(listed.begin(), listed.end());
  return listed == FlightFileNames(folder_);
}

bool ContestSession::RebuildResults(QString* error, QStringList* problems) {
  FolderScan scan = ScanContestFolder(folder_);
  if (problems) *problems = scan.problems;
  const int count = static_cast<int>(scan.flights.size());
  if (!WriteResultsTable(folder_, std::move(scan.flights), error)) return false;
  flightCount_ = count;
  return true;
}

std::vector<FlightRecord> ContestSession::Flights(QString* error) {
  std::vector<FlightRecord> rows;
  if (LoadTable(rows)) return rows;
  FolderScan scan = ScanContestFolder(folder_);
  if (!WriteResultsTable(folder_, scan.flights, error)) return scan.flights;
  flightCount_ = static_cast<int>(scan.flights.size());
  return scan.flights;
}

bool ContestSession::KeepDownload(std::span<const std::uint8_t> bytes, const QDateTime& when,
                                  FlightRecord* kept, QString* error) {
  if (!active_) {
    if (error) *error = QStringLiteral("No contest session is on");
    return false;
  }
  FlightRecord record;
  const std::span<const std::uint8_t> head =
      bytes.first(std::min<std::size_t>(bytes.size(), FileReadCap));
  if (!RecordFromBytes(head, EndMarkerInTail(bytes), record, *work_)) {
    if (error) *error = QStringLiteral("The download is too short for a flight");
    return false;
  }
  // The name's time has whole seconds; the record says what the name says.
  const QDateTime local = when.toLocalTime();
  record.downloaded = QDateTime(
      local.date(), QTime(local.time().hour(), local.time().minute(), local.time().second()));
  const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qsizetype>(bytes.size()));
  record.sha256 = Sha256Hex(data);

  const QDir dir(folder_);
  WriteFailure failure = WriteFailure::Exists;
  for (int attempt = 1; attempt <= kMaxNameAttempts && failure == WriteFailure::Exists; ++attempt) {
    record.file = ContestFileName(record.competitor, record.serial, record.downloaded, attempt);
    if (CreateFileAtomically(dir.filePath(record.file), data, error, &failure)) break;
  }
  if (failure != WriteFailure::None) return false;

  // Append to the table when it lists exactly the folder's other files; else rebuild it.
  std::vector<FlightRecord> rows;
  if (LoadTable(rows) && ListsFolder(rows, record.file)) {
    int last = 0;
    for (const FlightRecord& r : rows) last = std::max(last, r.flight);
    record.flight = last + 1;
    rows.push_back(record);
    if (!WriteResultsTable(folder_, rows, error)) return false;
    flightCount_ = static_cast<int>(rows.size());
  } else {
    FolderScan scan = ScanContestFolder(folder_);
    for (const FlightRecord& r : scan.flights)
      if (r.file == record.file) record.flight = r.flight;
    const int count = static_cast<int>(scan.flights.size());
    if (!WriteResultsTable(folder_, std::move(scan.flights), error)) return false;
    flightCount_ = count;
  }
  if (kept) *kept = record;
  return true;
}

}  // namespace hypsor
