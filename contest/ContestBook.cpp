// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ContestBook.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <set>

#include "contest/FolderLock.h"
#include "contest/ResultsTable.h"

namespace hypsor {

namespace {

QString Now() {
  const QDateTime t = QDateTime::currentDateTime();
  return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

LogEntry Line(const QString& kind) {
  LogEntry e;
  e.kind = kind;
  return e;
}

// time and station close every line a station writes.
LogEntry& Stamp(LogEntry& e) {
  return e.Set(QStringLiteral("time"), Now()).Set(QStringLiteral("station"), StationName());
}

Failure Reference(const LogEntry& e, const QString& found) {
  Failure f = Failure::Of(FailureKind::LogLineReference, {});
  f.line = e.line;
  f.detail = e.kind;
  f.found = found;
  return f;
}

const QStringList kValueKeys = {QLatin1String(kTargetKey), QLatin1String(kStaticPointsKey),
                                QLatin1String(kFlightPointsKey), QLatin1String(kLengthKey)};

// Under the folder's lock: the log and the book read, `change` adds its lines or refuses.
using Change = std::function<bool(const ContestLog&, const ContestBook&, std::vector<LogEntry>&,
                                  Failure*)>;
bool Edit(const ContestEdit& edit, const Change& change, Failure* error) {
  FolderLock lock(edit.folder);
  const bool locked = edit.lockTimeoutMs > 0 ? lock.Acquire(edit.lockTimeoutMs, error)
                                             : lock.TryAcquire(error);
  if (!locked) return false;
  ContestLog log;
  if (!ReadContestLog(edit.folder, log, error)) return false;
  const ContestBook book = ReadContestBook(log);
  std::vector<LogEntry> lines;
  if (!change(log, book, lines, error)) return false;
  for (LogEntry& e : lines) Stamp(e);
  return AppendLogLines(edit.folder, log, {}, std::move(lines), error);
}

const LogRecord* RecordOf(const ContestLog& log, const QString& file) {
  for (const LogRecord& r : log.records)
    if (r.file == file) return &r;
  return nullptr;
}

Failure UnknownEvent(const ContestBook& book, const QString& id) {
  Failure f = Failure::Of(FailureKind::EventUnknown, {});
  f.found = id;
  f.names = book.EventIds();
  return f;
}

}  // namespace

const ContestEvent* ContestBook::Event(const QString& id) const {
  for (const ContestEvent& e : events)
    if (e.id == id) return &e;
  return nullptr;
}

QStringList ContestBook::EventIds() const {
  QStringList ids;
  for (const ContestEvent& e : events) ids << e.id;
  return ids;
}

const EventEntry* ContestBook::Entry(const QString& event, unsigned competitor) const {
  for (const EventEntry& e : entries)
    if (e.event == event && e.competitor == competitor) return &e;
  return nullptr;
}

QString ContestBook::LastStatus(const QString& file) const {
  const auto it = decisions.find(file);
  return it == decisions.end() || it->second.empty() ? QString() : it->second.back().status;
}

ContestBook ReadContestBook(const ContestLog& log) {
  ContestBook book;
  for (const LogRecord& r : log.records) book.flightLines.emplace(r.file, r.line);
  auto recordedBefore = [&](const QString& file, int line) {
    const auto it = book.flightLines.find(file);
    return it != book.flightLines.end() && it->second < line;
  };
  for (const LogEntry& e : log.entries) {
    const QString k = e.kind;
    if (k == QLatin1String("contest")) {
      book.name = e.Value(QStringLiteral("name"));
    } else if (k == QLatin1String("event")) {
      ContestEvent ev;
      ev.id = e.Value(QStringLiteral("id"));
      ev.pack = e.Value(QStringLiteral("pack"));
      ev.packSha256 = e.Value(QStringLiteral("pack_sha256"));
      ParseParameters(e.Value(QStringLiteral("parameters")), ev.parameters);
      ev.line = e.line;
      const auto same = std::find_if(book.events.begin(), book.events.end(),
                                     [&](const ContestEvent& x) { return x.id == ev.id; });
      if (same != book.events.end())
        *same = ev;
      else
        book.events.push_back(ev);
    } else if (k == QLatin1String("competitor")) {
      Competitor c;
      c.number = e.Value(QStringLiteral("number")).toUInt();
      c.name = e.Value(QStringLiteral("name"));
      c.nation = e.Value(QStringLiteral("nation"));
      c.club = e.Value(QStringLiteral("club"));
      c.licence = e.Value(QStringLiteral("licence"));
      c.category = e.Value(QStringLiteral("category"));
      c.line = e.line;
      book.competitors[c.number] = c;
    } else if (k == QLatin1String("entry")) {
      const QString event = e.Value(QStringLiteral("event"));
      const unsigned number = e.Value(QStringLiteral("competitor")).toUInt();
      if (!book.Event(event)) {
        book.problems.push_back(Reference(e, event));
        continue;
      }
      if (!book.competitors.count(number)) {
        book.problems.push_back(Reference(e, QString::number(number)));
        continue;
      }
      auto it = std::find_if(book.entries.begin(), book.entries.end(), [&](const EventEntry& x) {
        return x.event == event && x.competitor == number;
      });
      if (it == book.entries.end()) {
        book.entries.push_back({event, number, {}, {}, e.line});
        it = std::prev(book.entries.end());
      }
      for (const QString& key : kValueKeys)
        if (e.Has(key)) {
          it->values[key] = e.Value(key).toDouble();
          it->valueLines[key] = e.line;
        }
    } else if (k == QLatin1String("assign")) {
      const QString file = e.Value(QStringLiteral("file"));
      const QString event = e.Value(QStringLiteral("event"));
      if (!recordedBefore(file, e.line)) {
        book.problems.push_back(Reference(e, file));
        continue;
      }
      if (!book.Event(event)) {
        book.problems.push_back(Reference(e, event));
        continue;
      }
      book.assignments[file] = {event, e.Value(QStringLiteral("round")).toInt(), e.line};
    } else if (k == QLatin1String("decision")) {
      JuryDecision d;
      d.file = e.Value(QStringLiteral("file"));
      if (!recordedBefore(d.file, e.line)) {
        book.problems.push_back(Reference(e, d.file));
        continue;
      }
      d.status = e.Value(QStringLiteral("status"));
      d.reason = e.Value(QStringLiteral("reason"));
      d.by = e.Value(QStringLiteral("by"));
      d.time = e.Value(QStringLiteral("time"));
      d.line = e.line;
      book.decisions[d.file].push_back(d);
    }
  }
  return book;
}

std::vector<EntryOrder> EntryOrders(const ContestBook& book,
                                    const std::map<QString, unsigned>& competitors) {
  std::vector<EntryOrder> orders;
  for (const auto& [file, a] : book.assignments) {
    const auto who = competitors.find(file);
    const auto line = book.flightLines.find(file);
    if (who == competitors.end() || line == book.flightLines.end()) continue;
    const EventEntry* entry = book.Entry(a.event, who->second);
    if (!entry) continue;
    for (const auto& [key, valueLine] : entry->valueLines)
      orders.push_back({file, a.event, a.round, who->second, key, valueLine, line->second});
  }
  std::sort(orders.begin(), orders.end(), [](const EntryOrder& x, const EntryOrder& y) {
    return x.flightLine != y.flightLine ? x.flightLine < y.flightLine : x.key < y.key;
  });
  return orders;
}

bool ParseEventSpec(const QString& spec, QString& id, QString& pack,
                    std::map<QString, QString>& parameters) {
  const qsizetype eq = spec.indexOf(QLatin1Char('='));
  if (eq <= 0) return false;
  id = spec.left(eq).trimmed();
  QString rest = spec.mid(eq + 1);
  const qsizetype colon = rest.indexOf(QLatin1Char(':'));
  pack = (colon < 0 ? rest : rest.left(colon)).trimmed();
  for (QChar c : id)
    if (!(c.isLetterOrNumber() || c == u'-' || c == u'_')) return false;
  return !pack.isEmpty() && ParseParameters(colon < 0 ? QString() : rest.mid(colon + 1), parameters);
}

bool EventPack(const ContestEvent& event, const std::map<QString, RulePack>& packs,
               RulePack& pack, Failure* error) {
  const auto it = packs.find(event.pack);
  if (it == packs.end()) {
    Failure f = Failure::Of(FailureKind::RulePackUnknown, {});
    f.found = event.pack;
    for (const auto& [id, p] : packs) f.names << id;
    return Fail(error, f);
  }
  pack = it->second;
  return ApplyParameters(pack, event.parameters, error);
}

bool InitContest(const ContestEdit& edit, const QString& name, const QStringList& events,
                 Failure* error) {
  return Edit(
      edit,
      [&](const ContestLog&, const ContestBook& book, std::vector<LogEntry>& lines, Failure* e) {
        if (!name.trimmed().isEmpty() && name.trimmed() != book.name)
          lines.push_back(Line(QStringLiteral("contest")).Set(QStringLiteral("name"), name.trimmed()));
        for (const QString& spec : events) {
          ContestEvent ev;
          if (!ParseEventSpec(spec, ev.id, ev.pack, ev.parameters)) {
            Failure f = Failure::Of(FailureKind::BadEventSpec, {});
            f.found = spec;
            return Fail(e, f);
          }
          RulePack pack;
          if (!EventPack(ev, edit.packs, pack, e)) return false;
          if (const ContestEvent* old = book.Event(ev.id)) {
            if (old->pack != ev.pack) {
              Failure f = Failure::Of(FailureKind::EventPackDiffers, {});
              f.found = ev.id;
              f.detail = old->pack;
              return Fail(e, f);
            }
            if (old->parameters == ev.parameters) continue;
          }
          lines.push_back(Line(QStringLiteral("event"))
                              .Set(QStringLiteral("id"), ev.id)
                              .Set(QStringLiteral("pack"), ev.pack)
                              .Set(QStringLiteral("pack_sha256"), pack.sha256)
                              .Set(QStringLiteral("parameters"), ParametersText(ev.parameters)));
        }
        return true;
      },
      error);
}

bool ImportCompetitors(const ContestEdit& edit, const QString& csvPath, int* added,
                       Failure* error) {
  const QString shown = QDir::toNativeSeparators(csvPath);
  QFile file(csvPath);
  if (!file.open(QIODevice::ReadOnly))
    return Fail(error, Failure::System(FailureKind::OpenFile, shown, file.errorString()));
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  const QList<QByteArray> rawLines = bytes.split('\n');
  for (qsizetype k = 0; k < rawLines.size(); ++k) {
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(rawLines[k]);
    if (decode.hasError()) {
      Failure f = Failure::Of(FailureKind::CsvEncoding, shown);
      f.line = static_cast<int>(k) + 1;
      return Fail(error, f);
    }
  }
  std::vector<QStringList> records;
  QString text = QString::fromUtf8(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (!SplitCsv(text, records) || records.empty()) {
    Failure f = Failure::Of(FailureKind::CsvHeader, shown);
    f.detail = QStringLiteral("number");
    return Fail(error, f);
  }
  const QStringList columns = {QStringLiteral("number"), QStringLiteral("name"),
                               QStringLiteral("nation"), QStringLiteral("club"),
                               QStringLiteral("licence"), QStringLiteral("category"),
                               QStringLiteral("events")};
  QStringList header;
  for (const QString& h : records.front()) header << h.trimmed().toLower();
  std::map<QString, qsizetype> at;
  for (const QString& c : columns) {
    if (!header.contains(c)) {
      Failure f = Failure::Of(FailureKind::CsvHeader, shown);
      f.detail = c;
      return Fail(error, f);
    }
    at[c] = header.indexOf(c);
  }
  return Edit(
      edit,
      [&](const ContestLog& log, const ContestBook& book, std::vector<LogEntry>& lines,
          Failure* e) {
        std::map<unsigned, int> seen;
        int changed = 0;
        std::vector<LogEntry> entries;
        for (std::size_t r = 1; r < records.size(); ++r) {
          const QStringList& row = records[r];
          const int lineNo = static_cast<int>(r) + 1;
          if (row.size() == 1 && row.front().trimmed().isEmpty()) continue;
          auto field = [&](const QString& c) { return row.value(at[c]).trimmed(); };
          auto bad = [&](FailureKind kind, const QString& column, const QString& found) {
            Failure f = Failure::Of(kind, shown);
            f.line = lineNo;
            f.detail = column;
            f.found = found;
            return Fail(e, f);
          };
          bool ok = false;
          const unsigned number = field(QStringLiteral("number")).toUInt(&ok);
          if (!ok || number == 0 || number > 65535)
            return bad(FailureKind::CsvField, QStringLiteral("number"), field(QStringLiteral("number")));
          if (seen.count(number)) {
            Failure f = Failure::Of(FailureKind::CsvDuplicate, shown);
            f.line = lineNo;
            f.number = number;
            f.limit = seen[number];
            return Fail(e, f);
          }
          seen[number] = lineNo;
          Competitor c;
          c.number = number;
          c.name = row.value(at[QStringLiteral("name")]).trimmed();
          c.nation = field(QStringLiteral("nation"));
          c.club = field(QStringLiteral("club"));
          c.licence = field(QStringLiteral("licence"));
          c.category = field(QStringLiteral("category")).toLower();
          if (c.name.isEmpty()) return bad(FailureKind::CsvField, QStringLiteral("name"), c.name);
          if (!c.category.isEmpty() && c.category != QLatin1String("junior") &&
              c.category != QLatin1String("senior"))
            return bad(FailureKind::CsvField, QStringLiteral("category"), c.category);
          const auto old = book.competitors.find(number);
          if (old == book.competitors.end() || old->second.name != c.name ||
              old->second.nation != c.nation || old->second.club != c.club ||
              old->second.licence != c.licence || old->second.category != c.category) {
            lines.push_back(Line(QStringLiteral("competitor"))
                                .Set(QStringLiteral("number"), QString::number(number))
                                .Set(QStringLiteral("name"), c.name)
                                .Set(QStringLiteral("nation"), c.nation)
                                .Set(QStringLiteral("club"), c.club)
                                .Set(QStringLiteral("licence"), c.licence)
                                .Set(QStringLiteral("category"), c.category));
            ++changed;
          }
          for (const QString& ev : field(QStringLiteral("events")).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString id = ev.trimmed();
            if (!book.Event(id)) {
              Failure f = Failure::Of(FailureKind::CsvEvent, shown);
              f.line = lineNo;
              f.found = id;
              f.names = book.EventIds();
              return Fail(e, f);
            }
            if (!book.Entry(id, number))
              entries.push_back(Line(QStringLiteral("entry"))
                                    .Set(QStringLiteral("event"), id)
                                    .Set(QStringLiteral("competitor"), QString::number(number)));
          }
        }
        (void)log;
        lines.insert(lines.end(), entries.begin(), entries.end());
        if (added) *added = changed;
        return true;
      },
      error);
}

bool EnterCompetitor(const ContestEdit& edit, const QString& event, unsigned competitor,
                     const std::map<QString, double>& values, Failure* error) {
  return Edit(
      edit,
      [&](const ContestLog& log, const ContestBook& book, std::vector<LogEntry>& lines,
          Failure* e) {
        const ContestEvent* ev = book.Event(event);
        if (!ev) return Fail(e, UnknownEvent(book, event));
        if (!book.competitors.count(competitor)) {
          Failure f = Failure::Of(FailureKind::CompetitorUnknown, {});
          f.number = competitor;
          return Fail(e, f);
        }
        RulePack pack;
        if (!EventPack(*ev, edit.packs, pack, e)) return false;
        std::set<QString> theirs;
        for (const LogRecord& r : log.records)
          if (r.competitor == competitor) theirs.insert(r.file);
        bool flown = false;
        for (const auto& [file, a] : book.assignments)
          if (a.event == event && theirs.count(file)) flown = true;
        LogEntry line = Line(QStringLiteral("entry"));
        line.Set(QStringLiteral("event"), event).Set(QStringLiteral("competitor"), QString::number(competitor));
        for (const auto& [key, value] : values) {
          if (flown && pack.entryValues.contains(key)) {
            Failure f = Failure::Of(FailureKind::EntryAfterFlight, {});
            f.number = competitor;
            f.detail = event;
            f.found = key;
            return Fail(e, f);
          }
          line.Set(key, QString::number(value, 'g', 10));
        }
        lines.push_back(line);
        return true;
      },
      error);
}

bool CheckAssignment(const ContestBook& book, const std::map<QString, RulePack>& packs,
                     const QString& event, int round, Failure* error) {
  const ContestEvent* ev = book.Event(event);
  if (!ev) return Fail(error, UnknownEvent(book, event));
  RulePack pack;
  if (!EventPack(*ev, packs, pack, error)) return false;
  if (round < 1 || round > pack.rounds) {
    Failure f = Failure::Of(FailureKind::RoundOutOfRange, {});
    f.number = round;
    f.limit = pack.rounds;
    f.detail = event;
    return Fail(error, f);
  }
  return true;
}

LogEntry AssignmentLine(const QString& file, const QString& event, int round) {
  LogEntry e = Line(QStringLiteral("assign"));
  e.Set(QStringLiteral("file"), file)
      .Set(QStringLiteral("event"), event)
      .Set(QStringLiteral("round"), QString::number(round));
  return Stamp(e);
}

bool AssignFlight(const ContestEdit& edit, const QString& file, const QString& event, int round,
                  Failure* error) {
  const QString name = QFileInfo(file).fileName();
  return Edit(
      edit,
      [&](const ContestLog& log, const ContestBook& book, std::vector<LogEntry>& lines,
          Failure* e) {
        if (!RecordOf(log, name)) return Fail(e, Failure::Of(FailureKind::FlightNotInLog, name));
        if (!CheckAssignment(book, edit.packs, event, round, e)) return false;
        lines.push_back(AssignmentLine(name, event, round));
        return true;
      },
      error);
}

bool DecideFlight(const ContestEdit& edit, const QString& file, const QString& status,
                  const QString& reason, const QString& by, Failure* error) {
  if (by.trimmed().isEmpty()) return Fail(error, Failure::Of(FailureKind::DecisionNoJudge, {}));
  const QString name = QFileInfo(file).fileName();
  return Edit(
      edit,
      [&](const ContestLog& log, const ContestBook& book, std::vector<LogEntry>& lines,
          Failure* e) {
        if (!RecordOf(log, name)) return Fail(e, Failure::Of(FailureKind::FlightNotInLog, name));
        const auto assigned = book.assignments.find(name);
        const QString event =
            assigned != book.assignments.end() ? assigned->second.event : QString();
        RulePack pack = OpenEventPack();
        if (!event.isEmpty()) {
          if (!EventPack(*book.Event(event), edit.packs, pack, e)) return false;
        } else if (!book.events.empty()) {
          return Fail(e, Failure::Of(FailureKind::FlightNotAssigned, name));
        }
        const StatusRule* rule = pack.Status(status);
        if (!rule) {
          Failure f = Failure::Of(FailureKind::StatusNotAllowed, {});
          f.found = status;
          f.detail = event.isEmpty() ? QString::fromLatin1(kOpenEventId) : event;
          f.names = pack.StatusIds();
          return Fail(e, f);
        }
        if (rule->reason && reason.trimmed().isEmpty()) {
          Failure f = Failure::Of(FailureKind::DecisionNoReason, {});
          f.found = status;
          return Fail(e, f);
        }
        LogEntry line = Line(QStringLiteral("decision"));
        line.Set(QStringLiteral("file"), name)
            .Set(QStringLiteral("status"), status)
            .Set(QStringLiteral("reason"), reason.trimmed())
            .Set(QStringLiteral("by"), by.trimmed());
        lines.push_back(line);
        return true;
      },
      error);
}

}  // namespace hypsor
