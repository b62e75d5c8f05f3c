// SPDX-License-Identifier: GPL-3.0-or-later
// rules, contest init|import|enter|assign|decide and the per-event results: a contest run by
// its rulebook from the command line, with the same core as the window.
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Commands.h"
#include "contest/ContestBook.h"
#include "contest/ContestSession.h"
#include "contest/EventScoring.h"
#include "contest/FolderCheck.h"
#include "contest/ResultsTable.h"
#include "contest/RulePack.h"
#include "flight/Filters.h"
#include "platform/AtomicFile.h"
#include "session/ResultsExports.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {

int Report(QTextStream& err, const Failure& f, int status = ExitFile) {
  err << "hypsor-cli: " << FailureText(f, kEnglish) << '\n';
  return status;
}

bool LoadPacks(std::map<QString, RulePack>& packs, QTextStream& err) {
  Failure error;
  if (LoadRulePacks(RulePackFolder(), packs, &error)) return true;
  Report(err, error);
  return false;
}

// A folder that is a contest folder already (made by contest init or a session).
bool ContestFolder(const QString& folder, QTextStream& err) {
  if (QFileInfo(folder).isDir()) return true;
  Report(err, Failure::Of(FailureKind::NotAFolder, folder));
  return false;
}

int RunInit(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest init"),
                   QStringLiteral("DIR [--name NAME] [--event ID=PACK[:key=value,...]]..."),
                   QStringLiteral("Make DIR a contest folder, or add events to one. An event "
                                  "given again with new parameters takes them (a random target "
                                  "drawn on the day); its pack cannot change."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder (made when missing)."));
  o.AddValue(QStringLiteral("name"), QStringLiteral("NAME"), QStringLiteral("The contest's name."));
  o.AddValue(QStringLiteral("event"), QStringLiteral("ID=PACK[:key=value,...]"),
             QStringLiteral("An event and its rule pack (see rules), e.g. "
                            "PA=nar-precision-altitude:target_mode=set,target=200. Repeatable."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  ContestEdit edit;
  edit.folder = o.Positional().value(0);
  if (!LoadPacks(edit.packs, err)) return ExitFile;
  ContestSession session;
  Failure error;
  if (!session.Start(edit.folder, o.Value(QStringLiteral("name")), &error)) return Report(err, error);
  edit.folder = session.Folder();
  if (!InitContest(edit, session.Name(), o.Values(QStringLiteral("event")), &error))
    return Report(err, error);
  return ExitOk;
}

int RunImport(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest import"), QStringLiteral("DIR FILE.csv"),
                   QStringLiteral("Register competitors from a UTF-8 CSV with the header "
                                  "number,name,nation,club,licence,category,events (events "
                                  "separated by ';') and enter them in those events. A wrong "
                                  "line imports nothing."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  o.AddPositional(QStringLiteral("FILE.csv"), QStringLiteral("The competitors."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  ContestEdit edit;
  edit.folder = o.Positional().value(0);
  if (!ContestFolder(edit.folder, err) || !LoadPacks(edit.packs, err)) return ExitFile;
  int added = 0;
  Failure error;
  if (!ImportCompetitors(edit, o.Positional().value(1), &added, &error)) return Report(err, error);
  out << added << " competitors registered or changed\n";
  return ExitOk;
}

int RunEnter(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest enter"),
                   QStringLiteral("DIR --event ID --competitor N [--target M] "
                                  "[--static-points X] [--flight-points X] [--length-cm L]"),
                   QStringLiteral("Enter a registered competitor in an event, with the values "
                                  "its rule needs before the flight."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  o.AddValue(QStringLiteral("event"), QStringLiteral("ID"), QStringLiteral("The event."));
  o.AddValue(QStringLiteral("competitor"), QStringLiteral("N"), QStringLiteral("Their number."));
  o.AddValue(QStringLiteral("target"), QStringLiteral("M"), QStringLiteral("Predicted altitude in metres."));
  o.AddValue(QStringLiteral("static-points"), QStringLiteral("X"), QStringLiteral("Static (scale) points."));
  o.AddValue(QStringLiteral("flight-points"), QStringLiteral("X"), QStringLiteral("Flight points."));
  o.AddValue(QStringLiteral("length-cm"), QStringLiteral("L"), QStringLiteral("The model's length in centimetres."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  std::int32_t competitor = 0;
  if (o.Value(QStringLiteral("event")).isEmpty() || !o.IsSet(QStringLiteral("competitor")))
    return o.Fail(err, QStringLiteral("give --event and --competitor"));
  if (!o.ReadInteger(QStringLiteral("competitor"), competitor, err)) return ExitUsage;
  std::map<QString, double> values;
  const std::pair<const char*, const char*> options[] = {{"target", kTargetKey},
                                                         {"static-points", kStaticPointsKey},
                                                         {"flight-points", kFlightPointsKey},
                                                         {"length-cm", kLengthKey}};
  for (const auto& [option, key] : options) {
    if (!o.IsSet(QLatin1String(option))) continue;
    bool ok = false;
    const double v = o.Value(QLatin1String(option)).toDouble(&ok);
    if (!ok || v < 0 || !std::isfinite(v))
      return o.Fail(err, QStringLiteral("--%1 takes a number of 0 or more").arg(QLatin1String(option)));
    values[QLatin1String(key)] = v;
  }
  ContestEdit edit;
  edit.folder = o.Positional().value(0);
  if (!ContestFolder(edit.folder, err) || !LoadPacks(edit.packs, err)) return ExitFile;
  Failure error;
  if (!EnterCompetitor(edit, o.Value(QStringLiteral("event")), static_cast<unsigned>(competitor),
                       values, &error))
    return Report(err, error);
  return ExitOk;
}

int RunAssign(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest assign"), QStringLiteral("DIR FILE --event ID --round N"),
                   QStringLiteral("Give a flight kept without them its event and round."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  o.AddPositional(QStringLiteral("FILE"), QStringLiteral("The flight file (its name in DIR)."));
  o.AddValue(QStringLiteral("event"), QStringLiteral("ID"), QStringLiteral("The event."));
  o.AddValue(QStringLiteral("round"), QStringLiteral("N"), QStringLiteral("The round, from 1."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  std::int32_t round = 0;
  if (o.Value(QStringLiteral("event")).isEmpty() || !o.IsSet(QStringLiteral("round")))
    return o.Fail(err, QStringLiteral("give --event and --round"));
  if (!o.ReadInteger(QStringLiteral("round"), round, err)) return ExitUsage;
  ContestEdit edit;
  edit.folder = o.Positional().value(0);
  if (!ContestFolder(edit.folder, err) || !LoadPacks(edit.packs, err)) return ExitFile;
  Failure error;
  if (!AssignFlight(edit, o.Positional().value(1), o.Value(QStringLiteral("event")), round, &error))
    return Report(err, error);
  return ExitOk;
}

int RunDecide(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest decide"),
                   QStringLiteral("DIR FILE --status STATUS [--reason TEXT] --by NAME"),
                   QStringLiteral("Record the jury's decision on a flight: official, no-data (a "
                                  "re-flight in the round), attempt, dq (with a reason) or "
                                  "withdrawn, as the event's pack allows. A later decision "
                                  "corrects an earlier one; none is ever removed."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  o.AddPositional(QStringLiteral("FILE"), QStringLiteral("The flight file (its name in DIR)."));
  o.AddValue(QStringLiteral("status"), QStringLiteral("STATUS"), QStringLiteral("The flight's status."));
  o.AddValue(QStringLiteral("reason"), QStringLiteral("TEXT"), QStringLiteral("Why."));
  o.AddValue(QStringLiteral("by"), QStringLiteral("NAME"), QStringLiteral("Who decided."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  if (o.Value(QStringLiteral("status")).isEmpty()) return o.Fail(err, QStringLiteral("give --status"));
  ContestEdit edit;
  edit.folder = o.Positional().value(0);
  if (!ContestFolder(edit.folder, err) || !LoadPacks(edit.packs, err)) return ExitFile;
  Failure error;
  if (!DecideFlight(edit, o.Positional().value(1), o.Value(QStringLiteral("status")),
                    o.Value(QStringLiteral("reason")), o.Value(QStringLiteral("by")), &error))
    return Report(err, error);
  return ExitOk;
}

// The competitors' table, as the log says it now.
int RunCompetitors(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("contest competitors"), QStringLiteral("DIR"),
                   QStringLiteral("Print the competitors as CSV (the header of contest import, "
                                  "then the events each is entered in), derived from the log."));
  o.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  const QString folder = o.Positional().value(0);
  if (!ContestFolder(folder, err)) return ExitFile;
  ContestLog log;
  Failure error;
  if (!ReadContestLog(folder, log, &error)) return Report(err, error);
  const ContestBook book = ReadContestBook(log);
  out << CsvLine({QStringLiteral("number"), QStringLiteral("name"), QStringLiteral("nation"),
                  QStringLiteral("club"), QStringLiteral("licence"), QStringLiteral("category"),
                  QStringLiteral("events")})
      << '\n';
  for (const auto& [number, c] : book.competitors) {
    QStringList events;
    for (const EventEntry& e : book.entries)
      if (e.competitor == number) events << e.event;
    out << CsvLine({QString::number(number), c.name, c.nation, c.club, c.licence, c.category,
                    events.join(QLatin1Char(';'))})
        << '\n';
  }
  return ExitOk;
}

}  // namespace

int RunRules(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("rules"), QStringLiteral("[--json]"),
                   QStringLiteral("List the rule packs: id, title and where the rule is written."));
  o.AddFlag(QStringLiteral("json"), QStringLiteral("Print a JSON list of objects with id, title, "
                                                   "document, edition, rules and parameters."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  std::map<QString, RulePack> packs;
  if (!LoadPacks(packs, err)) return ExitFile;
  if (o.IsSet(QStringLiteral("json"))) {
    QJsonArray list;
    for (const auto& [id, p] : packs) {
      QJsonArray parameters;
      for (const PackParameter& param : p.parameters) parameters.append(param.key);
      list.append(QJsonObject{{"id", id}, {"title", p.title}, {"document", p.document},
                              {"edition", p.edition}, {"rules", p.ruleNumbers},
                              {"parameters", parameters}, {"sha256", p.sha256}});
    }
    out << QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented));
    return ExitOk;
  }
  for (const auto& [id, p] : packs)
    out << id.leftJustified(24) << p.title << "\n" << QString(24, QLatin1Char(' ')) << p.document
        << ", " << p.edition << ": " << p.ruleNumbers << '\n';
  return ExitOk;
}

int RunContest(const QStringList& args, QTextStream& out, QTextStream& err) {
  const QString what = args.value(0);
  const QStringList rest = args.mid(1);
  if (what == QLatin1String("init")) return RunInit(rest, out, err);
  if (what == QLatin1String("import")) return RunImport(rest, out, err);
  if (what == QLatin1String("enter")) return RunEnter(rest, out, err);
  if (what == QLatin1String("assign")) return RunAssign(rest, out, err);
  if (what == QLatin1String("decide")) return RunDecide(rest, out, err);
  if (what == QLatin1String("competitors")) return RunCompetitors(rest, out, err);
  const QString usage = QStringLiteral(
      "usage: hypsor-cli contest init|import|enter|assign|decide|competitors ...\n"
      "  init    make a contest folder or add events to it\n"
      "  import  register competitors from a CSV\n"
      "  enter   enter a competitor in an event, with a prediction or points\n"
      "  assign  give a kept flight its event and round\n"
      "  decide  record the jury's decision on a flight\n"
      "  competitors  print the competitors as the log has them\n"
      "'hypsor-cli contest SUBCOMMAND --help' shows its options.\n");
  if (what == QLatin1String("--help") || what == QLatin1String("-h")) {
    out << usage;
    return ExitOk;
  }
  err << usage;
  return ExitUsage;
}

// The rulebook's results of a folder, for results --event and --xlsx.
int RulebookResults(const QString& folder, const QString& event, const QString& format,
                    const QString& target, bool official, QTextStream& out, QTextStream& err) {
  std::map<QString, RulePack> packs;
  if (!LoadPacks(packs, err)) return ExitFile;
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, false);
  if (!check.readable) return Report(err, check.failure);
  std::vector<EventResults> all;
  for (const ContestEvent& e : check.book.events) {
    if (!event.isEmpty() && e.id != event) continue;
    RulePack pack;
    Failure error;
    if (!EventPack(e, packs, pack, &error)) return Report(err, error);
    all.push_back(ScoreEvent(check.book, e, pack, check.flights));
  }
  if (check.book.events.empty() && (event.isEmpty() || event == QLatin1String(kOpenEventId)))
    all.push_back(ScoreOpenEvent(check.book, check.flights));
  if (all.empty()) {
    Failure f = Failure::Of(FailureKind::EventUnknown, {});
    f.found = event;
    f.names = check.book.events.empty() ? QStringList{QString::fromLatin1(kOpenEventId)}
                                        : check.book.EventIds();
    return Report(err, f);
  }
  const QString contest = check.book.name.isEmpty() ? StoredContestName(folder) : check.book.name;
  Failure error;
  if (format == QLatin1String("xlsx")) {
    if (!WriteResultsWorkbook(target, contest, all, check.book, kEnglish, &error))
      return Report(err, error);
    return ExitOk;
  }
  const EventResults& r = all.front();
  if (format == QLatin1String("json")) {
    out << QString::fromUtf8(EventResultsJson(r));
  } else if (format == QLatin1String("html") || format == QLatin1String("pdf")) {
    const bool provisional = !official || ResultsUnsettled(r);
    const QByteArray page =
        EventResultsHtml(r, contest, provisional, QDateTime::currentDateTime(), kEnglish);
    if (format == QLatin1String("html") ? !WriteFileAtomically(target, page, &error)
                                        : !DrawEventPdf(target, r.event, page, &error))
      return Report(err, error);
  } else {
    out << QString::fromUtf8(EventResultsCsv(r));
  }
  return ExitOk;
}

}  // namespace hypsor::cli
