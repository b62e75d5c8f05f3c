// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ContestLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>

#include "contest/ContestNames.h"
#include "platform/AtomicFile.h"
#include "platform/Version.h"

namespace hypsor {

namespace {

const QStringList& Keys() {
  static const QStringList kKeys = {
      QStringLiteral("flight"),     QStringLiteral("file"),   QStringLiteral("sha256"),
      QStringLiteral("size"),       QStringLiteral("competitor"), QStringLiteral("serial"),
      QStringLiteral("time"),       QStringLiteral("station"), QStringLiteral("complete"),
      QStringLiteral("late"),       QStringLiteral("prev")};
  return kKeys;
}

QString Encode(const QString& value) {
  return QString::fromLatin1(QUrl::toPercentEncoding(value, ":+"));
}

QString Decode(const QString& value) {
  return QUrl::fromPercentEncoding(value.toLatin1());
}

QString Sha256Of(const QByteArray& line) {
  return QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex());
}

QString LogPath(const QString& folder) {
  return QDir(folder).filePath(QLatin1String(ContestLogFileName));
}

bool IsSha256(const QString& s) {
  if (s.size() != 64) return false;
  for (QChar c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
  return true;
}

// A record from its line; false for anything that is not exactly what LogLine writes.
bool ParseLine(const QByteArray& line, LogRecord& r) {
  const QStringList fields = QString::fromLatin1(line).split(QLatin1Char(' '));
  if (fields.size() != Keys().size()) return false;
  QStringList values;
  for (qsizetype k = 0; k < fields.size(); ++k) {
    const QString prefix = Keys()[k] + QLatin1Char('=');
    if (!fields[k].startsWith(prefix)) return false;
    values << Decode(fields[k].mid(prefix.size()));
  }
  bool ok[4] = {};
  r.flight = values[0].toInt(&ok[0]);
  r.file = values[1];
  r.sha256 = values[2];
  r.size = values[3].toLongLong(&ok[1]);
  r.competitor = values[4].toUInt(&ok[2]);
  r.serial = values[5].toUInt(&ok[3]);
  r.time = values[6];
  r.station = values[7];
  r.complete = values[8] == QLatin1String("yes");
  r.late = values[9] == QLatin1String("yes");
  r.prev = values[10];
  for (bool b : ok)
    if (!b) return false;
  if (!IsSha256(r.sha256) || !IsSha256(r.prev) || r.file.isEmpty()) return false;
  // The one spelling of the record: any other byte is a change.
  return LogLine(r).toLatin1() == line;
}

bool IsKey(const QString& key) {
  if (key.isEmpty()) return false;
  for (QChar c : key)
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_')) return false;
  return true;
}

// An entry from its line; false for anything that is not exactly what LogLine writes.
bool ParseEntryLine(const QByteArray& line, LogEntry& e) {
  const QStringList fields = QString::fromLatin1(line).split(QLatin1Char(' '));
  if (fields.size() < 2) return false;
  for (qsizetype k = 0; k < fields.size(); ++k) {
    const qsizetype eq = fields[k].indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    const QString key = fields[k].left(eq);
    const QString value = Decode(fields[k].mid(eq + 1));
    if (k == 0) {
      if (key != QLatin1String("kind") || !LogEntryKinds().contains(value)) return false;
      e.kind = value;
    } else if (k + 1 == fields.size()) {
      if (key != QLatin1String("prev") || !IsSha256(value)) return false;
      e.prev = value;
    } else {
      if (!IsKey(key) || key == QLatin1String("kind") || key == QLatin1String("prev")) return false;
      e.fields.emplace_back(key, value);
    }
  }
  return LogLine(e).toLatin1() == line;
}

}  // namespace

const QStringList& LogEntryKinds() {
  static const QStringList kKinds = {QStringLiteral("contest"),    QStringLiteral("event"),
                                     QStringLiteral("competitor"), QStringLiteral("entry"),
                                     QStringLiteral("assign"),     QStringLiteral("decision")};
  return kKinds;
}

QString LogEntry::Value(const QString& key) const {
  for (const auto& [k, v] : fields)
    if (k == key) return v;
  return {};
}

bool LogEntry::Has(const QString& key) const {
  return std::any_of(fields.begin(), fields.end(), [&](const auto& f) { return f.first == key; });
}

LogEntry& LogEntry::Set(const QString& key, const QString& value) {
  for (auto& [k, v] : fields)
    if (k == key) {
      v = value;
      return *this;
    }
  fields.emplace_back(key, value);
  return *this;
}

QString LogLine(const LogEntry& e) {
  QStringList parts{QStringLiteral("kind=") + Encode(e.kind)};
  for (const auto& [key, value] : e.fields) parts << key + QLatin1Char('=') + Encode(value);
  parts << QStringLiteral("prev=") + Encode(e.prev);
  return parts.join(QLatin1Char(' '));
}

QString ChainStart() {
  return QString(64, QLatin1Char('0'));
}

QString LogLine(const LogRecord& r) {
  const QStringList values = {QString::number(r.flight),
                              r.file,
                              r.sha256,
                              QString::number(r.size),
                              QString::number(r.competitor),
                              QString::number(r.serial),
                              r.time,
                              r.station,
                              r.complete ? QStringLiteral("yes") : QStringLiteral("no"),
                              r.late ? QStringLiteral("yes") : QStringLiteral("no"),
                              r.prev};
  QStringList fields;
  for (qsizetype k = 0; k < values.size(); ++k)
    fields << Keys()[k] + QLatin1Char('=') + Encode(values[k]);
  return fields.join(QLatin1Char(' '));
}

bool ReadContestLog(const QString& folder, ContestLog& log, Failure* error) {
  log = ContestLog{};
  log.lastLineSha256 = ChainStart();
  QFile file(LogPath(folder));
  if (!file.exists()) return true;
  log.exists = true;
  if (!file.open(QIODevice::ReadOnly)) {
    return Fail(error, Failure::System(FailureKind::ReadFile,
                                       QDir::toNativeSeparators(file.fileName()), file.errorString()));
  }
  const QByteArray text = file.readAll();
  QList<QByteArray> lines = text.split('\n');
  const bool torn = !text.isEmpty() && !text.endsWith('\n');
  if (!text.isEmpty() && !torn) lines.removeLast();  // the empty piece after the last break
  if (text.isEmpty()) lines.clear();
  QString prev = ChainStart();
  auto damaged = [&](FailureKind kind, qsizetype k) {
    Failure f = Failure::Of(kind, QDir::toNativeSeparators(file.fileName()));
    f.line = static_cast<int>(k) + 1;
    log.damage.push_back(std::move(f));
  };
  for (qsizetype k = 0; k < lines.size(); ++k) {
    const QByteArray& line = lines[k];
    const QString sha = Sha256Of(line);
    LogRecord r;
    LogEntry e;
    if (line.startsWith("kind=") && ParseEntryLine(line, e)) {
      e.line = static_cast<int>(k) + 1;
      e.lineSha256 = sha;
      e.chained = e.prev == prev;
      if (!e.chained) damaged(FailureKind::LogLineNotChained, k);
      log.entries.push_back(std::move(e));
    } else if (ParseLine(line, r)) {
      r.line = static_cast<int>(k) + 1;
      r.lineSha256 = sha;
      r.chained = r.prev == prev;
      if (!r.chained) damaged(FailureKind::LogLineNotChained, k);
      log.records.push_back(std::move(r));
    } else {
      damaged(FailureKind::LogLineNotARecord, k);
    }
    if (torn && k + 1 == lines.size()) damaged(FailureKind::LogLineNoBreak, k);
    prev = sha;
  }
  log.lastLineSha256 = prev;
  return true;
}

bool AppendLogRecords(const QString& folder, ContestLog& log, std::vector<LogRecord> records,
                      Failure* error) {
  return AppendLogLines(folder, log, std::move(records), {}, error);
}

bool AppendLogLines(const QString& folder, ContestLog& log, std::vector<LogRecord> records,
                    std::vector<LogEntry> entries, Failure* error) {
  if (records.empty() && entries.empty()) return true;
  QFile file(LogPath(folder));
  auto fail = [&] {
    return Fail(error, Failure::System(FailureKind::WriteFile,
                                       QDir::toNativeSeparators(file.fileName()), file.errorString()));
  };
  if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) return fail();
  QByteArray text;
  // A line torn by a full disk stays as it is (the chain goes on from it); ours start afresh.
  if (file.size() > 0) {
    char last = 0;
    if (!file.seek(file.size() - 1) || !file.getChar(&last)) return fail();
    if (last != '\n') text += '\n';
  }
  QString prev = log.lastLineSha256;
  for (LogRecord& r : records) {
    r.prev = prev;
    const QByteArray line = LogLine(r).toLatin1();
    r.lineSha256 = Sha256Of(line);
    prev = r.lineSha256;
    text += line + '\n';
  }
  // Line numbers of what is appended, after the lines read (a damaged line after the last one
  // read shifts them; the next read numbers every line as it is).
  int next = 0;
  for (const Failure& d : log.damage) next = std::max(next, d.line);
  for (const LogRecord& r : log.records) next = std::max(next, r.line);
  for (const LogEntry& e : log.entries) next = std::max(next, e.line);
  for (LogRecord& r : records) r.line = ++next;
  for (LogEntry& e : entries) {
    e.prev = prev;
    const QByteArray line = LogLine(e).toLatin1();
    e.lineSha256 = Sha256Of(line);
    e.line = ++next;
    prev = e.lineSha256;
    text += line + '\n';
  }
  // One write, so stations that share the folder over a file system without our lock still
  // never see half a record; flushed to the disk before the table names the flights.
  if (file.write(text) != text.size() || !file.flush() || !SyncFile(file)) return fail();
  file.close();
  log.exists = true;
  log.lastLineSha256 = prev;
  for (LogRecord& r : records) log.records.push_back(std::move(r));
  for (LogEntry& e : entries) log.entries.push_back(std::move(e));
  return true;
}

QString StationName() {
  return QSysInfo::machineHostName() + QStringLiteral(" hypsor ") + ProgramVersion();
}

}  // namespace hypsor
