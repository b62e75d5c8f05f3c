// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli's command line: the command table, the tool's own options and the dispatch.
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstring>

#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "platform/Version.h"

namespace hypsor::cli {

namespace {

struct Command {
  const char* name;
  CommandFunction run;
  const char* summary;  // its line in --help
};

constexpr Command kCommands[] = {
    {"info", RunInfo, "header fields, extremes and SHA-256 of a flight file"},
    {"export", RunExport, "altitude and acceleration curve as CSV, optionally smoothed"},
    {"stats", RunStats, "launch, apogee, landing, times and rates of a flight"},
#ifdef Q_OS_WIN
    {"plot", DrawPlot, "the window's chart of a flight as PNG or PDF, without a display"},
#else
    {"plot", DrawPlot, "the window's chart of a flight as PNG, SVG or PDF, without a display"},
#endif
    {"results", RunResults, "ranking of a contest folder's competitors by best apogee"},
    {"verify", RunVerify, "check a contest folder's flights, log and results.csv"},
    {"rules", RunRules, "the rule packs contests are scored by"},
    {"contest", RunContest, "events, competitors, entries and the jury's decisions of a contest"},
    {"report", DrawReport, "the one-page flight report as PDF, without a display"},
    {"download", RunDeviceDownload,
     "fetch the altimeter's last flight into a file or a contest folder"},
    {"reset", RunDeviceReset, "zero the altimeter"},
    {"settings", RunDeviceSettings, "show or change the altimeter's settings"},
    {"compare", RunCompare, "a flight against its simulation exported as CSV"},
    {"logbook", RunLogbook, "every flight added: tags, lists, statistics, exports"},
};

// The commands, their summaries in one column.
QString CommandList() {
  qsizetype width = 0;
  for (const Command& c : kCommands) width = std::max(width, qsizetype(std::strlen(c.name)));
  QString text = QStringLiteral("\nCommands:\n");
  for (const Command& c : kCommands)
    text += QStringLiteral("  %1  %2\n")
                .arg(QString::fromLatin1(c.name).leftJustified(width), QLatin1String(c.summary));
  return text;
}

const Command* FindCommand(const QString& name) {
  for (const Command& c : kCommands)
    if (name == QLatin1String(c.name)) return &c;
  return nullptr;
}

}  // namespace

int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QString(), QStringLiteral("COMMAND [ARGUMENTS]"),
                   QStringLiteral("The flight altimeter's companion without windows: flight "
                                  "files, contest folders and the altimeter itself."));
  o.AddFlag(QStringLiteral("version"), QStringLiteral("Show the version and the licence."));
  // Not required by the parser, so that --version goes without one.
  o.AddPositional(QStringLiteral("COMMAND"), QStringLiteral("What to do (below)."), false);
  o.StopAtFirstPositional();
  o.AppendHelp(
      CommandList() +
      QStringLiteral(
          "\n'hypsor-cli COMMAND --help' shows a command's options.\n"
          "\nExit status: 0 success, 1 usage error, 2 file that cannot be read or is refused,\n"
          "3 port that cannot be opened, 4 altimeter that does not answer or refuses,\n"
          "5 flight saved without its end marker (it may be incomplete), 6 flight kept in a\n"
          "contest folder but not recorded yet; verify: 7 warnings, 8 invalid.\n"));
  if (const auto status = o.Parse(args, out, err)) return *status;
  if (o.IsSet(QStringLiteral("version"))) {
    out << hypsor::VersionText(QStringLiteral("hypsor-cli"));
    return ExitOk;
  }
  QStringList rest = o.Positional();
  if (rest.isEmpty()) return o.Fail(err, QStringLiteral("COMMAND missing"));
  QString name = rest.takeFirst();
  // "help COMMAND" is "COMMAND --help".
  if (name == QLatin1String("help")) {
    if (rest.isEmpty()) {
      out << o.HelpText();
      return ExitOk;
    }
    name = rest.takeFirst();
    rest = QStringList{QStringLiteral("--help")};
  }
  const Command* c = FindCommand(name);
  if (!c) return o.Fail(err, QStringLiteral("unknown command '%1'").arg(name));
  return c->run(rest, out, err);
}

}  // namespace hypsor::cli
