// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/Logbook.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <cmath>

#include "files/FileDigest.h"

namespace hypsor {

namespace {

// How long a writer waits for another program's transaction before giving up. A change is one
// short transaction, so only a stuck program makes anyone wait this long.
constexpr int kBusyTimeoutMs = 60000;
constexpr char kDateFormat[] = "yyyy-MM-ddTHH:mm:ss";

// Schema version 1: the flights with their values and tags.
constexpr char kFlightsV1[] =
    "CREATE TABLE flights ("
    " sha256 TEXT PRIMARY KEY NOT NULL,"
    " path TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " competitor INTEGER NOT NULL,"
    " serial INTEGER NOT NULL,"
    " sampling_hz REAL NOT NULL,"
    " temperature_c INTEGER NOT NULL,"
    " apogee_m REAL,"
    " filtered_apogee_m REAL,"
    " supported_apogee_m REAL,"
    " time_to_apogee_s REAL,"
    " flags TEXT NOT NULL DEFAULT '',"
    " rocket TEXT NOT NULL DEFAULT '',"
    " motor TEXT NOT NULL DEFAULT '',"
    " site TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '',"
    " missing INTEGER NOT NULL DEFAULT 0)";

// Each step takes the schema from version k + 1 to k + 2.
const char* const kMigrations[][7] = {
    // 2: a file that holds other bytes than its flight's is marked, not only a missing one, and
    // the filters and the window's sort read indexes instead of every row.
    {"ALTER TABLE flights ADD COLUMN changed INTEGER NOT NULL DEFAULT 0",
     "CREATE INDEX flights_date ON flights (date)",
     "CREATE INDEX flights_rocket ON flights (rocket)",
     "CREATE INDEX flights_motor ON flights (motor)",
     "CREATE INDEX flights_site ON flights (site)",
     "CREATE INDEX flights_path ON flights (path)", nullptr},
};
static_assert(std::size(kMigrations) == Logbook::kSchemaVersion - 1);

constexpr char kColumns[] =
    "sha256, path, date, competitor, serial, sampling_hz, temperature_c, apogee_m, "
    "filtered_apogee_m, supported_apogee_m, time_to_apogee_s, flags, rocket, motor, site, note, "
    "missing, changed";

std::atomic<unsigned> connectionCount{0};

QVariant Optional(const std::optional<double>& v) {
  return v ? QVariant(*v) : QVariant();
}
QVariant Optional(const std::optional<QString>& v) {
  return v ? QVariant(*v) : QVariant();
}
std::optional<double> OptionalDouble(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return v.toDouble();
}

// A date as stored (kDateFormat), read by hand: Qt's parser of formats costs more than the rest
// of a row, and a list reads thousands of them.
QDateTime StoredDate(const QString& text) {
  if (text.size() != 19) return {};
  auto number = [&text](int at, int length) { return QStringView(text).mid(at, length).toInt(); };
  return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)),
                   QTime(number(11, 2), number(14, 2), number(17, 2)));
}

LogbookEntry EntryOf(const QSqlQuery& q) {
  LogbookEntry e;
  LogbookFlight& f = e.flight;
  f.sha256 = q.value(0).toString();
  f.path = q.value(1).toString();
  f.date = StoredDate(q.value(2).toString());
  f.competitor = q.value(3).toUInt();
  f.serial = q.value(4).toUInt();
  f.samplingHz = q.value(5).toDouble();
  f.temperatureC = q.value(6).toInt();
  f.apogeeM = OptionalDouble(q.value(7));
  f.filteredApogeeM = OptionalDouble(q.value(8));
  f.supportedApogeeM = OptionalDouble(q.value(9));
  f.timeToApogeeS = OptionalDouble(q.value(10));
  f.flags = q.value(11).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  e.rocket = q.value(12).toString();
  e.motor = q.value(13).toString();
  e.site = q.value(14).toString();
  e.note = q.value(15).toString();
  e.missing = q.value(16).toBool();
  e.changed = q.value(17).toBool();
  return e;
}

void BindValues(QSqlQuery& q, const LogbookFlight& f) {
  q.bindValue(QStringLiteral(":sha256"), f.sha256);
  q.bindValue(QStringLiteral(":path"), f.path);
  q.bindValue(QStringLiteral(":date"), f.date.toString(QLatin1String(kDateFormat)));
  q.bindValue(QStringLiteral(":competitor"), f.competitor);
  q.bindValue(QStringLiteral(":serial"), f.serial);
  q.bindValue(QStringLiteral(":sampling"), f.samplingHz);
  q.bindValue(QStringLiteral(":temperature"), f.temperatureC);
  q.bindValue(QStringLiteral(":apogee"), Optional(f.apogeeM));
  q.bindValue(QStringLiteral(":filtered"), Optional(f.filteredApogeeM));
  q.bindValue(QStringLiteral(":supported"), Optional(f.supportedApogeeM));
  q.bindValue(QStringLiteral(":time"), Optional(f.timeToApogeeS));
  // Not a null text (which binds as NULL) when there is no flag.
  const QString flags = f.flags.join(QLatin1Char(' '));
  q.bindValue(QStringLiteral(":flags"), flags.isNull() ? QStringLiteral("") : flags);
}

void BindTags(QSqlQuery& q, const LogbookTags& t) {
  q.bindValue(QStringLiteral(":rocket"), Optional(t.rocket));
  q.bindValue(QStringLiteral(":motor"), Optional(t.motor));
  q.bindValue(QStringLiteral(":site"), Optional(t.site));
  q.bindValue(QStringLiteral(":note"), Optional(t.note));
}

// A LIKE pattern that finds text anywhere, its own % and _ taken literally.
QString Contains(const QString& text) {
  QString t = text;
  t.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  t.replace(QLatin1Char('%'), QStringLiteral("\\%"));
  t.replace(QLatin1Char('_'), QStringLiteral("\\_"));
  return QLatin1Char('%') + t + QLatin1Char('%');
}

bool IsSha256(const QString& text) {
  static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
  return hex.match(text).hasMatch();
}

}  // namespace

Logbook::Logbook() = default;

Logbook::~Logbook() {
  Close();
}

QString Logbook::DefaultPath() {
  // The generic folder: the command-line tool sets no application name, and both programs must
  // find the same file.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(data).filePath(QStringLiteral("hypsor/logbook.sqlite"));
}

void Logbook::Close() {
  if (connection_.isEmpty()) return;
  {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(connection_);
  connection_.clear();
}

bool Logbook::Fail(const QString& what, const QString& driverText, const QString& nativeCode,
                   Failure* error) const {
  // SQLITE_CORRUPT and SQLITE_NOTADB: the file is damaged or no database at all.
  const int code = nativeCode.toInt() & 0xFF;
  const FailureKind kind =
      code == 11 || code == 26 ? FailureKind::LogbookUnreadable : FailureKind::LogbookFailed;
  Failure f = Failure::System(kind, path_, driverText.isEmpty() ? what : driverText);
  return hypsor::Fail(error, std::move(f));
}

bool Logbook::Prepare(QSqlQuery& query, const QString& sql, Failure* error) const {
  if (query.prepare(sql)) return true;
  const QSqlError e = query.lastError();
  return Fail(sql, e.databaseText(), e.nativeErrorCode(), error);
}

bool Logbook::Exec(QSqlQuery& query, Failure* error) const {
  if (query.exec()) return true;
  const QSqlError e = query.lastError();
  return Fail(query.lastQuery(), e.databaseText(), e.nativeErrorCode(), error);
}

bool Logbook::Begin(Failure* error) {
  // Immediate: the write lock is taken (or waited for) now, never upgraded later, which SQLite
  // cannot wait for.
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  return Prepare(q, QStringLiteral("BEGIN IMMEDIATE"), error) && Exec(q, error);
}

bool Logbook::Commit(Failure* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (Prepare(q, QStringLiteral("COMMIT"), error) && Exec(q, error)) return true;
  Rollback();
  return false;
}

void Logbook::Rollback() {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.exec(QStringLiteral("ROLLBACK"));
}

bool Logbook::Open(const QString& path, Failure* error) {
  Close();
  path_ = path;
  const QFileInfo info(path);
  if (!QDir().mkpath(info.absolutePath())) {
    return hypsor::Fail(error, Failure::Of(FailureKind::CreateFolder, info.absolutePath()));
  }
  connection_ = QStringLiteral("hypsor-logbook-%1").arg(connectionCount.fetch_add(1));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
      const QSqlError e = db.lastError();
      Fail(e.text(), e.databaseText(), e.nativeErrorCode(), error);
      db = QSqlDatabase();
      Close();
      return false;
    }
  }
  if (!CheckSchema(error)) {
    Close();
    return false;
  }
  return true;
}

bool Logbook::CheckSchema(Failure* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  // The first read of the file shows a damaged one or one that is no database; nothing is
  // written to a file before it is known to be a logbook of a version this program knows.
  auto version = [&](int& v) {
    v = 0;
    if (!Prepare(q, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), error) ||
        !Exec(q, error))
      return false;
    QStringList tables;
    while (q.next()) tables << q.value(0).toString();
    if (tables.isEmpty()) return true;  // a new file
    if (!tables.contains(QStringLiteral("logbook_version"))) {
      // Another program's database: not ours to change.
      return hypsor::Fail(error, Failure::System(FailureKind::LogbookUnreadable, path_,
                                                 QStringLiteral("no logbook_version table")));
    }
    if (!Prepare(q, QStringLiteral("SELECT version FROM logbook_version"), error) ||
        !Exec(q, error))
      return false;
    v = q.next() ? q.value(0).toInt() : 0;
    if (v < 1) {
      return hypsor::Fail(error, Failure::System(FailureKind::LogbookUnreadable, path_,
                                                 QStringLiteral("no schema version")));
    }
    return true;
  };
  auto newer = [&](int v) {
    Failure f = Failure::Of(FailureKind::LogbookNewer, path_);
    f.number = v;
    f.limit = kSchemaVersion;
    return hypsor::Fail(error, std::move(f));
  };
  int v = 0;
  if (!version(v)) return false;
  q.finish();
  if (v > kSchemaVersion) return newer(v);
  // Readers and a writer at once (the setting stays with the file).
  if (!Prepare(q, QStringLiteral("PRAGMA journal_mode=WAL"), error) || !Exec(q, error))
    return false;
  q.finish();
  if (v == kSchemaVersion) return true;
  // Made or migrated under the write lock, the version read again there: two programs opening a
  // new logbook at once make it once.
  if (!Begin(error)) return false;
  if (!version(v)) {
    Rollback();
    return false;
  }
  q.finish();
  if (v > kSchemaVersion || !Migrate(v, error)) {
    Rollback();
    return v > kSchemaVersion ? newer(v) : false;
  }
  if (!Commit(error)) return false;
  return true;
}

bool Logbook::Migrate(int from, Failure* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  auto run = [&](const char* sql) {
    return Prepare(q, QString::fromLatin1(sql), error) && Exec(q, error);
  };
  if (from == 0) {
    if (!run("CREATE TABLE logbook_version (version INTEGER NOT NULL)") ||
        !run("INSERT INTO logbook_version (version) VALUES (1)") || !run(kFlightsV1))
      return false;
    from = 1;
  }
  for (int v = from; v < kSchemaVersion; ++v) {
    for (const char* sql : kMigrations[v - 1]) {
      if (!sql) break;
      if (!run(sql)) return false;
    }
  }
  return run(QStringLiteral("UPDATE logbook_version SET version = %1")
                 .arg(kSchemaVersion)
                 .toLatin1()
                 .constData());
}

bool Logbook::Digests(QSet<QString>& out, Failure* error) const {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.setForwardOnly(true);
  if (!Prepare(q, QStringLiteral("SELECT sha256 FROM flights"), error) || !Exec(q, error))
    return false;
  out.clear();
  while (q.next()) out.insert(q.value(0).toString());
  return true;
}

bool Logbook::Put(const std::vector<LogbookFlight>& flights, const LogbookTags& tags,
                  std::vector<bool>& added, Failure* error) {
  added.assign(flights.size(), false);
  if (flights.empty()) return true;
  if (!Begin(error)) return false;
  const QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QSqlQuery insert(db), known(db);
  const bool ok =
      Prepare(insert,
              QStringLiteral(
                  "INSERT INTO flights (sha256, path, date, competitor, serial, sampling_hz, "
                  "temperature_c, apogee_m, filtered_apogee_m, supported_apogee_m, "
                  "time_to_apogee_s, flags, rocket, motor, site, note) VALUES (:sha256, :path, "
                  ":date, :competitor, :serial, :sampling, :temperature, :apogee, :filtered, "
                  ":supported, :time, :flags, COALESCE(:rocket, ''), COALESCE(:motor, ''), "
                  "COALESCE(:site, ''), COALESCE(:note, '')) ON CONFLICT (sha256) DO NOTHING"),
              error) &&
      Prepare(known,
              QStringLiteral(
                  "UPDATE flights SET path = :path, missing = 0, changed = 0, "
                  "rocket = COALESCE(:rocket, rocket), motor = COALESCE(:motor, motor), "
                  "site = COALESCE(:site, site), note = COALESCE(:note, note) "
                  "WHERE sha256 = :sha256"),
              error);
  if (!ok) {
    Rollback();
    return false;
  }
  for (std::size_t k = 0; k < flights.size(); ++k) {
    BindValues(insert, flights[k]);
    BindTags(insert, tags);
    if (!Exec(insert, error)) {
      Rollback();
      return false;
    }
    added[k] = insert.numRowsAffected() == 1;
    if (added[k]) continue;
    known.bindValue(QStringLiteral(":path"), flights[k].path);
    known.bindValue(QStringLiteral(":sha256"), flights[k].sha256);
    BindTags(known, tags);
    if (!Exec(known, error)) {
      Rollback();
      return false;
    }
  }
  insert.finish();
  known.finish();
  return Commit(error);
}

bool Logbook::Find(const QString& pathOrSha256, LogbookEntry& out, Failure* error) const {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  const QString select = QStringLiteral("SELECT %1 FROM flights WHERE ").arg(QLatin1String(kColumns));
  auto lookUp = [&](const QString& column, const QString& value, bool& found) {
    found = false;
    if (!Prepare(q, select + column + QStringLiteral(" = :v"), error)) return false;
    q.bindValue(QStringLiteral(":v"), value);
    if (!Exec(q, error)) return false;
    if (q.next()) {
      out = EntryOf(q);
      found = true;
    }
    return true;
  };
  bool found = false;
  if (IsSha256(pathOrSha256)) {
    if (!lookUp(QStringLiteral("sha256"), pathOrSha256.toLower(), found)) return false;
  } else {
    const QFileInfo info(pathOrSha256);
    if (!lookUp(QStringLiteral("path"), info.absoluteFilePath(), found)) return false;
    // A file moved since it was added is found by its bytes.
    FileDigest digest;
    if (!found && info.exists() &&
        DigestFile(pathOrSha256, 0, 0, digest).status == ReadOpenStatus::Ok &&
        !lookUp(QStringLiteral("sha256"), digest.sha256, found))
      return false;
  }
  if (found) return true;
  Failure f = Failure::Of(FailureKind::LogbookUnknown, path_);
  f.detail = pathOrSha256;
  return hypsor::Fail(error, std::move(f));
}

bool Logbook::Tag(const QString& sha256, const LogbookTags& tags, Failure* error) {
  if (!Begin(error)) return false;
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!Prepare(q,
               QStringLiteral("UPDATE flights SET rocket = COALESCE(:rocket, rocket), "
                              "motor = COALESCE(:motor, motor), site = COALESCE(:site, site), "
                              "note = COALESCE(:note, note) WHERE sha256 = :sha256"),
               error)) {
    Rollback();
    return false;
  }
  BindTags(q, tags);
  q.bindValue(QStringLiteral(":sha256"), sha256);
  if (!Exec(q, error)) {
    Rollback();
    return false;
  }
  q.finish();
  return Commit(error);
}

QString Logbook::FilterSql(const LogbookFilter& f) {
  QStringList where;
  if (f.rocket) where << QStringLiteral("rocket = :rocket");
  if (f.motor) where << QStringLiteral("motor = :motor");
  if (f.site) where << QStringLiteral("site = :site");
  if (f.from) where << QStringLiteral("date >= :from");
  if (f.to) where << QStringLiteral("date < :to");
  if (f.minApogeeM) where << QStringLiteral("apogee_m >= :min");
  if (!f.search.isEmpty()) {
    where << QStringLiteral(
        "(path LIKE :search ESCAPE '\\' OR rocket LIKE :search ESCAPE '\\' OR motor LIKE :search "
        "ESCAPE '\\' OR site LIKE :search ESCAPE '\\' OR note LIKE :search ESCAPE '\\')");
  }
  return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}

void Logbook::BindFilter(QSqlQuery& q, const LogbookFilter& f) {
  if (f.rocket) q.bindValue(QStringLiteral(":rocket"), *f.rocket);
  if (f.motor) q.bindValue(QStringLiteral(":motor"), *f.motor);
  if (f.site) q.bindValue(QStringLiteral(":site"), *f.site);
  // Dates are stored as local ISO text, which sorts as time does.
  if (f.from) q.bindValue(QStringLiteral(":from"), f.from->toString(Qt::ISODate));
  if (f.to) q.bindValue(QStringLiteral(":to"), f.to->addDays(1).toString(Qt::ISODate));
  if (f.minApogeeM) q.bindValue(QStringLiteral(":min"), *f.minApogeeM);
  if (!f.search.isEmpty()) q.bindValue(QStringLiteral(":search"), Contains(f.search));
}

bool Logbook::List(const LogbookFilter& filter, std::vector<LogbookEntry>& out,
                   Failure* error) const {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.setForwardOnly(true);
  if (!Prepare(q,
               QStringLiteral("SELECT %1 FROM flights%2 ORDER BY date, path")
                   .arg(QLatin1String(kColumns), FilterSql(filter)),
               error))
    return false;
  BindFilter(q, filter);
  if (!Exec(q, error)) return false;
  out.clear();
  while (q.next()) out.push_back(EntryOf(q));
  return true;
}

bool Logbook::Statistics(LogbookGrouping by, std::vector<LogbookGroup>& out,
                         Failure* error) const {
  QString key;
  switch (by) {
    case LogbookGrouping::Rocket: key = QStringLiteral("rocket"); break;
    case LogbookGrouping::Motor: key = QStringLiteral("motor"); break;
    case LogbookGrouping::Site: key = QStringLiteral("site"); break;
    case LogbookGrouping::Month: key = QStringLiteral("substr(date, 1, 7)"); break;
  }
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.setForwardOnly(true);
  if (!Prepare(q,
               QStringLiteral("SELECT %1 AS k, COUNT(*), COUNT(apogee_m), MAX(apogee_m), "
                              "SUM(apogee_m), SUM(apogee_m * apogee_m), AVG(time_to_apogee_s) "
                              "FROM flights GROUP BY k ORDER BY k")
                   .arg(key),
               error) ||
      !Exec(q, error))
    return false;
  out.clear();
  while (q.next()) {
    LogbookGroup g;
    g.key = q.value(0).toString();
    g.flights = q.value(1).toInt();
    const int n = q.value(2).toInt();
    if (n > 0) {
      const double sum = q.value(4).toDouble(), squares = q.value(5).toDouble();
      g.bestApogeeM = q.value(3).toDouble();
      g.meanApogeeM = sum / n;
      if (n > 1) g.stddevApogeeM = std::sqrt(std::max(0.0, (squares - sum * sum / n) / (n - 1)));
    }
    g.meanTimeToApogeeS = OptionalDouble(q.value(6));
    out.push_back(g);
  }
  return true;
}

bool Logbook::Mark(const std::vector<Reread>& results, Failure* error) {
  if (results.empty()) return true;
  if (!Begin(error)) return false;
  const QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QSqlQuery same(db), gone(db), changed(db);
  const bool ok =
      Prepare(same,
              QStringLiteral(
                  "UPDATE flights SET date = :date, competitor = :competitor, serial = :serial, "
                  "sampling_hz = :sampling, temperature_c = :temperature, apogee_m = :apogee, "
                  "filtered_apogee_m = :filtered, supported_apogee_m = :supported, "
                  "time_to_apogee_s = :time, flags = :flags, path = :path, missing = 0, "
                  "changed = 0 WHERE sha256 = :sha256"),
              error) &&
      Prepare(gone, QStringLiteral("UPDATE flights SET missing = 1 WHERE sha256 = :sha256"),
              error) &&
      Prepare(changed,
              QStringLiteral("UPDATE flights SET changed = 1, missing = 0 WHERE sha256 = :sha256"),
              error);
  if (!ok) {
    Rollback();
    return false;
  }
  for (const Reread& r : results) {
    QSqlQuery* q = &same;
    if (r.found == Found::Same) {
      BindValues(same, r.flight);
      same.bindValue(QStringLiteral(":sha256"), r.sha256);
    } else {
      q = r.found == Found::Missing ? &gone : &changed;
      q->bindValue(QStringLiteral(":sha256"), r.sha256);
    }
    if (!Exec(*q, error)) {
      Rollback();
      return false;
    }
  }
  same.finish();
  gone.finish();
  changed.finish();
  return Commit(error);
}

}  // namespace hypsor
