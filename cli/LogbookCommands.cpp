// SPDX-License-Identifier: GPL-3.0-or-later
// logbook: the index of every flight file the user keeps, with tags, lists, statistics, a
// rebuild from the files and exports.
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/Commands.h"
#include "flight/FlightStatistics.h"
#include "logbook/LogbookAdd.h"
#include "logbook/LogbookExport.h"
#include "platform/AtomicFile.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {

const QString kLogbook = QStringLiteral("logbook");
const char* const kTagNames[] = {"rocket", "motor", "site", "note"};

void AddLogbookOption(CommandOptions& o) {
  o.AddValue(kLogbook, QStringLiteral("FILE"),
             QStringLiteral("The logbook to use instead of %1.").arg(Logbook::DefaultPath()));
}

void AddTagOptions(CommandOptions& o) {
  o.AddValue(QStringLiteral("rocket"), QStringLiteral("R"), QStringLiteral("The rocket flown."));
  o.AddValue(QStringLiteral("motor"), QStringLiteral("M"), QStringLiteral("The motor."));
  o.AddValue(QStringLiteral("site"), QStringLiteral("S"), QStringLiteral("Where it was flown."));
  o.AddValue(QStringLiteral("note"), QStringLiteral("T"), QStringLiteral("Anything else."));
}

LogbookTags ReadTags(const CommandOptions& o) {
  LogbookTags t;
  std::optional<QString>* into[] = {&t.rocket, &t.motor, &t.site, &t.note};
  for (std::size_t k = 0; k < std::size(kTagNames); ++k)
    if (o.IsSet(QLatin1String(kTagNames[k]))) *into[k] = o.Value(QLatin1String(kTagNames[k]));
  return t;
}

int Report(const Failure& f, QTextStream& err) {
  err << "hypsor-cli: " << FailureText(f, kEnglish) << '\n';
  return ExitFile;
}

int OpenLogbook(const CommandOptions& o, Logbook& logbook, QTextStream& err) {
  const QString path = o.IsSet(kLogbook) ? o.Value(kLogbook) : Logbook::DefaultPath();
  Failure error;
  return logbook.Open(path, &error) ? ExitOk : Report(error, err);
}

// A progress line, on a terminal only: a script reading standard error gets the summary alone.
class ProgressLine {
 public:
  ProgressLine(QTextStream& err, const char* what) : err_(err), what_(what) {
#ifdef Q_OS_WIN
    shown_ = _isatty(_fileno(stderr)) != 0;
#else
    shown_ = isatty(STDERR_FILENO) != 0;
#endif
  }
  ~ProgressLine() {
    if (shown_ && drawn_) err_ << '\n' << Qt::flush;
  }
  LogbookProgress Callback() {
    return [this](int done, int total) {
      if (shown_ && total > 0) {
        err_ << '\r' << what_ << ' ' << done << '/' << total << Qt::flush;
        drawn_ = true;
      }
      return true;
    };
  }

 private:
  QTextStream& err_;
  const char* what_;
  bool shown_ = false;
  bool drawn_ = false;
};

int ListRefused(const std::vector<Failure>& refused, QTextStream& err) {
  for (const Failure& f : refused) err << "hypsor-cli: refused: " << FailureText(f, kEnglish) << '\n';
  return refused.empty() ? ExitOk : ExitFile;
}

int PrintAdded(const LogbookAddOutcome& r, QTextStream& out, QTextStream& err) {
  out << "added: " << r.added << '\n'
      << "known: " << r.known << '\n'
      << "refused: " << r.refused.size() << '\n';
  return ListRefused(r.refused, err);
}

int RunAdd(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook add"),
                   QStringLiteral("PATH... [--rocket R] [--motor M] [--site S] [--note T] "
                                  "[--logbook FILE]"),
                   QStringLiteral("Add flight files, and the flight files in folders at any "
                                  "depth, to the logbook. A flight already there keeps its "
                                  "values and takes the tags given."));
  o.AddPositional(QStringLiteral("PATH"), QStringLiteral("Flight files and folders."), true, true);
  AddTagOptions(o);
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  LogbookAddOutcome r;
  Failure error;
  bool written = false;
  {
    ProgressLine line(err, "reading");
    written = AddToLogbook(logbook, o.Positional(), ReadTags(o), line.Callback(), r, &error);
  }
  if (!written) {
    PrintAdded(r, out, err);
    return Report(error, err);
  }
  return PrintAdded(r, out, err);
}

int RunTag(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook tag"),
                   QStringLiteral("FILE|SHA256 [--rocket R] [--motor M] [--site S] [--note T] "
                                  "[--logbook FILE]"),
                   QStringLiteral("Set the tags of a flight of the logbook, named by its file "
                                  "(also one moved since) or its SHA-256. An empty value clears "
                                  "a tag."));
  o.AddPositional(QStringLiteral("FILE|SHA256"), QStringLiteral("The flight."));
  AddTagOptions(o);
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  const LogbookTags tags = ReadTags(o);
  if (!tags.Any()) return o.Fail(err, QStringLiteral("no tag given"));
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  LogbookEntry entry;
  Failure error;
  if (!logbook.Find(o.Positional().value(0), entry, &error) ||
      !logbook.Tag(entry.flight.sha256, tags, &error))
    return Report(error, err);
  return ExitOk;
}

// Metres with one decimal and seconds with two, as numbers in JSON.
QJsonValue JsonNumber(const std::optional<double>& v, int decimals) {
  if (!v) return QJsonValue(QJsonValue::Null);
  const double scale = std::pow(10.0, decimals);
  return std::round(*v * scale) / scale;
}

QString Text(const std::optional<double>& v, int decimals) {
  return v ? FormatFixed(*v, decimals, QLatin1Char('.')) : QStringLiteral("-");
}

QString DateText(const QDateTime& date) {
  return date.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

int ReadDate(const CommandOptions& o, const QString& name, std::optional<QDate>& into,
             QTextStream& err) {
  if (!o.IsSet(name)) return ExitOk;
  const QDate date = QDate::fromString(o.Value(name), Qt::ISODate);
  if (!date.isValid())
    return o.Fail(err, QStringLiteral("--%1 takes a date as YYYY-MM-DD, not '%2'")
                           .arg(name, o.Value(name)));
  into = date;
  return ExitOk;
}

int RunList(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook list"),
                   QStringLiteral("[--rocket R] [--motor M] [--site S] [--from DATE] [--to DATE] "
                                  "[--min-apogee M] [--json] [--logbook FILE]"),
                   QStringLiteral("List the flights of the logbook in the order they were flown, "
                                  "as tab-separated columns or as JSON."));
  o.AddValue(QStringLiteral("rocket"), QStringLiteral("R"), QStringLiteral("Only this rocket."));
  o.AddValue(QStringLiteral("motor"), QStringLiteral("M"), QStringLiteral("Only this motor."));
  o.AddValue(QStringLiteral("site"), QStringLiteral("S"), QStringLiteral("Only this site."));
  o.AddValue(QStringLiteral("from"), QStringLiteral("DATE"),
             QStringLiteral("Only flights on or after DATE (YYYY-MM-DD)."));
  o.AddValue(QStringLiteral("to"), QStringLiteral("DATE"),
             QStringLiteral("Only flights on or before DATE (YYYY-MM-DD)."));
  o.AddValue(QStringLiteral("min-apogee"), QStringLiteral("M"),
             QStringLiteral("Only flights with an apogee of at least M metres."));
  o.AddFlag(QStringLiteral("json"), QStringLiteral("Print a JSON list of objects."));
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  LogbookFilter filter;
  if (o.IsSet(QStringLiteral("rocket"))) filter.rocket = o.Value(QStringLiteral("rocket"));
  if (o.IsSet(QStringLiteral("motor"))) filter.motor = o.Value(QStringLiteral("motor"));
  if (o.IsSet(QStringLiteral("site"))) filter.site = o.Value(QStringLiteral("site"));
  if (const int s = ReadDate(o, QStringLiteral("from"), filter.from, err); s != ExitOk) return s;
  if (const int s = ReadDate(o, QStringLiteral("to"), filter.to, err); s != ExitOk) return s;
  if (o.IsSet(QStringLiteral("min-apogee"))) {
    bool ok = false;
    const double m = o.Value(QStringLiteral("min-apogee")).toDouble(&ok);
    if (!ok || !std::isfinite(m))
      return o.Fail(err, QStringLiteral("--min-apogee takes metres, not '%1'")
                             .arg(o.Value(QStringLiteral("min-apogee"))));
    filter.minApogeeM = m;
  }
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  std::vector<LogbookEntry> entries;
  Failure error;
  if (!logbook.List(filter, entries, &error)) return Report(error, err);
  if (o.IsSet(QStringLiteral("json"))) {
    QJsonArray list;
    for (const LogbookEntry& e : entries) {
      const LogbookFlight& f = e.flight;
      list.append(QJsonObject{
          {QStringLiteral("sha256"), f.sha256},
          {QStringLiteral("file"), f.path},
          {QStringLiteral("date"), DateText(f.date)},
          {QStringLiteral("competitor"), static_cast<qint64>(f.competitor)},
          {QStringLiteral("rocket"), e.rocket},
          {QStringLiteral("motor"), e.motor},
          {QStringLiteral("site"), e.site},
          {QStringLiteral("apogee_m"), JsonNumber(f.apogeeM, 1)},
          {QStringLiteral("flags"), QJsonArray::fromStringList(f.flags)},
          {QStringLiteral("missing"), e.missing},
      });
    }
    out << QJsonDocument(list).toJson(QJsonDocument::Compact) << '\n';
    return ExitOk;
  }
  out << "date\tapogee_m\tcompetitor\trocket\tmotor\tsite\tflags\tmissing\tfile\n";
  for (const LogbookEntry& e : entries) {
    const LogbookFlight& f = e.flight;
    out << DateText(f.date) << '\t' << Text(f.apogeeM, 1) << '\t' << f.competitor << '\t'
        << e.rocket << '\t' << e.motor << '\t' << e.site << '\t'
        << (f.flags.isEmpty() ? QStringLiteral("-") : f.flags.join(QLatin1Char(' '))) << '\t'
        << (e.missing ? "missing" : e.changed ? "changed" : "-") << '\t' << f.path << '\n';
  }
  return ExitOk;
}

int RunLogbookStats(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook stats"),
                   QStringLiteral("--by rocket|motor|site|month [--json] [--logbook FILE]"),
                   QStringLiteral("For each rocket, motor, site or month: the flights, the best "
                                  "apogee, the mean and the standard deviation of the apogee, "
                                  "and the mean time to apogee."));
  o.AddValue(QStringLiteral("by"), QStringLiteral("GROUP"),
             QStringLiteral("rocket, motor, site or month."));
  o.AddFlag(QStringLiteral("json"), QStringLiteral("Print a JSON list of objects."));
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  const QString by = o.Value(QStringLiteral("by"));
  const std::pair<const char*, LogbookGrouping> groupings[] = {
      {"rocket", LogbookGrouping::Rocket},
      {"motor", LogbookGrouping::Motor},
      {"site", LogbookGrouping::Site},
      {"month", LogbookGrouping::Month}};
  const auto* grouping = std::find_if(std::begin(groupings), std::end(groupings),
                                      [&by](const auto& g) { return by == QLatin1String(g.first); });
  if (!o.IsSet(QStringLiteral("by"))) return o.Fail(err, QStringLiteral("--by missing"));
  if (grouping == std::end(groupings))
    return o.Fail(err, QStringLiteral("--by takes rocket, motor, site or month, not '%1'").arg(by));
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  std::vector<LogbookGroup> groups;
  Failure error;
  if (!logbook.Statistics(grouping->second, groups, &error)) return Report(error, err);
  if (o.IsSet(QStringLiteral("json"))) {
    QJsonArray list;
    for (const LogbookGroup& g : groups) {
      list.append(QJsonObject{
          {by, g.key},
          {QStringLiteral("flights"), g.flights},
          {QStringLiteral("best_apogee_m"), JsonNumber(g.bestApogeeM, 1)},
          {QStringLiteral("mean_apogee_m"), JsonNumber(g.meanApogeeM, 1)},
          {QStringLiteral("stddev_apogee_m"), JsonNumber(g.stddevApogeeM, 1)},
          {QStringLiteral("mean_time_to_apogee_s"), JsonNumber(g.meanTimeToApogeeS, 2)},
      });
    }
    out << QJsonDocument(list).toJson(QJsonDocument::Compact) << '\n';
    return ExitOk;
  }
  out << by << "\tflights\tbest_apogee_m\tmean_apogee_m\tstddev_apogee_m\tmean_time_to_apogee_s\n";
  for (const LogbookGroup& g : groups) {
    out << (g.key.isEmpty() ? QStringLiteral("-") : g.key) << '\t' << g.flights << '\t'
        << Text(g.bestApogeeM, 1) << '\t' << Text(g.meanApogeeM, 1) << '\t'
        << Text(g.stddevApogeeM, 1) << '\t' << Text(g.meanTimeToApogeeS, 2) << '\n';
  }
  return ExitOk;
}

int RunRebuild(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook rebuild"), QStringLiteral("[PATH...] [--logbook FILE]"),
                   QStringLiteral("Read every flight's file again: a file gone is marked missing "
                                  "and one holding other bytes is marked changed, never dropped. "
                                  "PATHs (files and folders) are added after: with --logbook "
                                  "NEW_FILE this builds a new logbook from the flight files."));
  o.AddPositional(QStringLiteral("PATH"), QStringLiteral("Flight files and folders to add."),
                  false, true);
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  LogbookRebuildOutcome r;
  Failure error;
  bool written = false;
  {
    ProgressLine line(err, "reading again");
    written = RebuildLogbook(logbook, line.Callback(), r, &error);
  }
  if (!written) return Report(error, err);
  out << "reread: " << r.reread << '\n'
      << "missing: " << r.missing.size() << '\n'
      << "changed: " << r.changed.size() << '\n';
  for (const QString& path : r.missing) out << "missing " << path << '\n';
  for (const QString& path : r.changed) out << "changed " << path << '\n';
  int status = ListRefused(r.unreadable, err);
  if (o.Positional().isEmpty()) return status;
  LogbookAddOutcome added;
  {
    ProgressLine line(err, "reading");
    written = AddToLogbook(logbook, o.Positional(), {}, line.Callback(), added, &error);
  }
  const int addStatus = PrintAdded(added, out, err);
  if (!written) return Report(error, err);
  return status != ExitOk ? status : addStatus;
}

int RunLogbookExport(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("logbook export"),
                   QStringLiteral("--csv OUT | --xlsx OUT [--logbook FILE]"),
                   QStringLiteral("Write every flight of the logbook, one row each, as CSV ('-' "
                                  "for standard output) or as a spreadsheet."));
  o.AddValue(QStringLiteral("csv"), QStringLiteral("OUT"), QStringLiteral("The CSV file."));
  o.AddValue(QStringLiteral("xlsx"), QStringLiteral("OUT"), QStringLiteral("The .xlsx file."));
  AddLogbookOption(o);
  if (const auto status = o.Parse(args, out, err)) return *status;
  const bool csv = o.IsSet(QStringLiteral("csv")), xlsx = o.IsSet(QStringLiteral("xlsx"));
  if (csv == xlsx) return o.Fail(err, QStringLiteral("give one of --csv and --xlsx"));
  Logbook logbook;
  if (const int status = OpenLogbook(o, logbook, err); status != ExitOk) return status;
  std::vector<LogbookEntry> entries;
  Failure error;
  if (!logbook.List(LogbookFilter{}, entries, &error)) return Report(error, err);
  if (xlsx) {
    if (!WriteLogbookXlsx(o.Value(QStringLiteral("xlsx")), entries, &error))
      return Report(error, err);
    return ExitOk;
  }
  const QString target = o.Value(QStringLiteral("csv"));
  const QByteArray text = LogbookCsv(entries);
  if (target == QLatin1String("-")) {
    out << QString::fromUtf8(text);
    return ExitOk;
  }
  if (!WriteFileAtomically(target, text, &error)) return Report(error, err);
  return ExitOk;
}

struct Subcommand {
  const char* name;
  CommandFunction run;
  const char* summary;
};

constexpr Subcommand kSubcommands[] = {
    {"add", RunAdd, "add flight files and folders, with tags"},
    {"tag", RunTag, "set a flight's rocket, motor, site or note"},
    {"list", RunList, "the flights, filtered, as columns or JSON"},
    {"stats", RunLogbookStats, "apogee figures per rocket, motor, site or month"},
    {"rebuild", RunRebuild, "read every file again; mark missing and changed ones"},
    {"export", RunLogbookExport, "one row per flight as CSV or a spreadsheet"},
};

}  // namespace

int RunLogbook(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(kLogbook, QStringLiteral("SUBCOMMAND [ARGUMENTS]"),
                   QStringLiteral("The logbook: an index of every flight file added to it, with "
                                  "the rocket, motor, site and a note for each. The files stay "
                                  "the truth: all but the tags can be rebuilt from them."));
  o.AddPositional(QStringLiteral("SUBCOMMAND"), QStringLiteral("What to do (below)."));
  o.StopAtFirstPositional();
  QString list = QStringLiteral("\nSubcommands:\n");
  for (const Subcommand& s : kSubcommands)
    list += QStringLiteral("  %1  %2\n")
                .arg(QString::fromLatin1(s.name).leftJustified(7), QLatin1String(s.summary));
  o.AppendHelp(list + QStringLiteral("\n'hypsor-cli logbook SUBCOMMAND --help' shows its "
                                     "options.\n"));
  if (const auto status = o.Parse(args, out, err)) return *status;
  QStringList rest = o.Positional();
  const QString name = rest.takeFirst();
  for (const Subcommand& s : kSubcommands)
    if (name == QLatin1String(s.name)) return s.run(rest, out, err);
  return o.Fail(err, QStringLiteral("unknown subcommand '%1'").arg(name));
}

}  // namespace hypsor::cli
