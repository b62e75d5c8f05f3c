// hypsor-cli: dispatches on the first argument to the subcommands declared in Commands.h.
#include <QApplication>
#include <QCoreApplication>
#include <QIODevice>
#include <QStringList>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/Commands.h"
#include "platform/Version.h"

namespace {

using namespace hypsor::cli;

struct Command {
  const char* name;
  CommandFunction run;
  const char* usage;  // nullptr: hidden from --help
};

constexpr Command kCommands[] = {
    {"info", RunInfo,
     "info FILE [--filter ...]        header fields and extremes of a flight file"},
    {"export", RunExport,
     "export FILE [--temperature T] [--filter [--precut CM] [--finalcut CM] [--prefilter N]\n"
     "       [--finalfilter N]]       altitude and acceleration curve as CSV on stdout;\n"
     "                                --filter adds the smoothed curve (defaults 350 250 8 12)"},
    {"stats", RunStats,
     "stats FILE [--json] [--temperature T] [--filter ...]\n"
     "                                launch, apogee, landing, times and rates of a flight"},
    {"plot", RunPlot,
     "plot FILE [--compare FILE2] [--filter] [--align] [--size WxH] --out CHART.png|.svg|.pdf\n"
     "                                the window's chart, drawn without a display"},
    {"results", RunResults,
     "results DIR [--csv] [--flights]  ranking of the competitors by best apogee from the\n"
     "                                flight files of DIR; --flights: the table of flights"},
    {"report", RunReport,
     "report FILE [--compare FILE2] --out REPORT.pdf [--contest NAME] [--language en|pl]\n"
     "                                the one-page flight report of the window, as PDF"},
    {"download", RunDeviceDownload,
     "download --port PORT --out FILE [--force] [--log LOG]\n"
     "                                fetch the altimeter's last flight into a flight file;\n"
     "                                an existing FILE is replaced only with --force, and\n"
     "                                --out - writes it to standard output\n"
     "download --port PORT --session DIR [--log LOG]\n"
     "                                keep it in a contest folder as\n"
     "                                C<competitor>_S<serial>_<time>.hyp, added to results.csv"},
    {"reset", RunDeviceReset, "reset --port PORT --yes [--log LOG]  zero the altimeter"},
    {"settings", RunDeviceSettings,
     "settings --port PORT [--set KEY=VALUE]... [--log LOG]\n"
     "                                show or change the altimeter's settings; values not\n"
     "                                named are written back as the altimeter reported them"},
    {"make-example", RunMakeExample, nullptr},
};

void PrintUsage(QTextStream& s) {
  s << "Usage: hypsor-cli COMMAND [ARGUMENTS]\n"
       "       hypsor-cli --help | --version\n\nCommands:\n";
  for (const Command& c : kCommands) {
    if (c.usage) s << "  " << c.usage << '\n';
  }
  s << "\n--log LOG records every frame sent and every read with its time, for a support\n"
       "request.\n";
  s << "\nExit status: 0 success, 1 usage error, 2 file that cannot be read or is refused,\n"
       "3 port that cannot be opened, 4 altimeter that does not answer or refuses,\n"
       "5 flight saved without its end marker (it may be incomplete).\n";
}

// Dispatches to the command named by args[1]; returns its exit status.
int Run(QStringList args, QTextStream& out, QTextStream& err) {
  args.removeFirst();
  if (args.isEmpty()) {
    err << "hypsor-cli: no command given (try --help)\n";
    return ExitUsage;
  }
  const QString name = args.takeFirst();
  if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
      name == QLatin1String("help")) {
    PrintUsage(out);
    return ExitOk;
  }
  if (name == QLatin1String("--version")) {
    out << "hypsor-cli " << hypsor::ProgramVersion() << '\n';
    return ExitOk;
  }
  for (const Command& c : kCommands) {
    if (name == QLatin1String(c.name)) {
      if (c.usage &&
          (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h")))) {
        out << "Usage: hypsor-cli " << c.usage << '\n';
        return ExitOk;
      }
      return c.run(args, out, err);
    }
  }
  err << "hypsor-cli: unknown command '" << name << "' (try --help)\n";
  return ExitUsage;
}

// The offscreen platform's notes about what it cannot do are no news to a command-line user.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg &&
      (text.startsWith(QLatin1String("This plugin does not support")) ||
       text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
    return;
  std::fputs(qPrintable(qFormatLogMessage(type, context, text) + QLatin1Char('\n')), stderr);
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing a chart needs the widgets; without a display they run on the offscreen platform.
  const bool widgets =
      argc > 1 && (std::strcmp(argv[1], "plot") == 0 || std::strcmp(argv[1], "report") == 0);
  if (widgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> application;
  if (widgets) {
    qInstallMessageHandler(QuietOffscreenNotes);
    application = std::make_unique<QApplication>(argc, argv);
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
