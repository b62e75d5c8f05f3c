// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli: dispatches on the first argument to the subcommands declared in Commands.h.
#include <QCoreApplication>
#include <QIODevice>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "platform/Version.h"

namespace {

using namespace hypsor::cli;

struct Command {
  const char* name;
  CommandFunction run;
  const char* summary;  // nullptr: hidden from --help
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
    {"report", DrawReport, "the one-page flight report as PDF, without a display"},
    {"download", RunDeviceDownload,
     "fetch the altimeter's last flight into a file or a contest folder"},
    {"reset", RunDeviceReset, "zero the altimeter"},
    {"settings", RunDeviceSettings, "show or change the altimeter's settings"},
    {"compare", RunCompare, "a flight against its simulation exported as CSV"},
    {"make-example", RunMakeExample, nullptr},
    {"keep-file", RunKeepFile, nullptr},
};

// The commands, their summaries in one column.
QString CommandList() {
  qsizetype width = 0;
  for (const Command& c : kCommands)
    if (c.summary) width = std::max(width, qsizetype(std::strlen(c.name)));
  QString text = QStringLiteral("\nCommands:\n");
  for (const Command& c : kCommands) {
    if (c.summary)
      text += QStringLiteral("  %1  %2\n")
                  .arg(QString::fromLatin1(c.name).leftJustified(width), QLatin1String(c.summary));
  }
  return text;
}

const Command* FindCommand(const QString& name) {
  for (const Command& c : kCommands)
    if (name == QLatin1String(c.name)) return &c;
  return nullptr;
}

// Dispatches to the command named by the first argument; returns its exit status.
int Run(QStringList args, QTextStream& out, QTextStream& err) {
  args.removeFirst();
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

// The command named on the command line: its first argument that is not an option ("help plot"
// names plot, whose help comes from the drawing module).
const char* CommandName(int argc, char** argv) {
  for (int k = 1; k < argc; ++k)
    if (argv[k][0] != '-' && std::strcmp(argv[k], "help") != 0) return argv[k];
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing a chart needs the widgets: the drawing module brings them and their application.
  const char* command = CommandName(argc, argv);
  std::unique_ptr<QCoreApplication> application;
  if (std::strcmp(command, "plot") == 0 || std::strcmp(command, "report") == 0) {
    QString error;
    application = MakeDrawingApplication(argc, argv, &error);
    if (!application) {
      QTextStream(stderr) << "hypsor-cli: cannot load the drawing module: " << error << '\n';
      return ExitFile;
    }
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication& app = *application;
  int status = ExitOk;
  QString failure;  // why standard output was not written, when it was not
  {
    QTextStream out(stdout);
    QTextStream err(stderr);
    status = Run(app.arguments(), out, err);
    out.flush();
    if (out.status() != QTextStream::Ok)
      failure = out.device() ? out.device()->errorString() : QStringLiteral("write error");
  }
  // A result that did not reach its reader (full disk, closed pipe, /dev/full) is a failure:
  // stdio may still hold some of it, so flush and close standard output and look at the result.
  errno = 0;
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && failure.isEmpty())
    failure = errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error");
  errno = 0;
  if (std::fclose(stdout) != 0 && failure.isEmpty())
    failure = QString::fromLocal8Bit(std::strerror(errno));
  if (!failure.isEmpty()) {
    QTextStream(stderr) << "hypsor-cli: cannot write standard output: " << failure << '\n';
    if (status == ExitOk) status = ExitFile;
  }
  return status;
}
