// hypsor-cli report: the window's one-page flight report as a PDF, drawn off screen. It draws with
// the window's own chart and report, so it lives with the windows; the tool's dispatcher
// (cli/main.cpp) reaches it through cli/Commands.h.
#include "cli/Commands.h"
#include "ui/FlightReport.h"

namespace hypsor::cli {

namespace {
constexpr char kUsage[] =
    "hypsor-cli: usage: hypsor-cli report FILE [--compare FILE2] --out REPORT.pdf "
    "[--contest NAME] [--language en|pl]\n";
}

int RunReport(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString file, compare, pdf, contest;
  int language = 1;
  for (qsizetype k = 0; k < args.size(); ++k) {
    QString a = args[k];
    QString value;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const bool valued = a.startsWith(QLatin1String("--")) && eq > 0;
    if (valued) value = a.mid(eq + 1), a = a.left(eq);
    auto take = [&](QString& into) {
      if (!valued) {
        if (k + 1 >= args.size()) return false;
        value = args[++k];
      }
      into = value;
      return true;
    };
    bool ok = true;
    if (a == QLatin1String("--compare")) {
      ok = take(compare);
    } else if (a == QLatin1String("--out")) {
      ok = take(pdf);
    } else if (a == QLatin1String("--contest")) {
      ok = take(contest);
    } else if (a == QLatin1String("--language")) {
      QString l;
      ok = take(l) && (l == QLatin1String("en") || l == QLatin1String("pl"));
      language = l == QLatin1String("pl") ? 0 : 1;
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      err << "hypsor-cli: unknown option '" << args[k] << "'\n" << kUsage;
      return ExitUsage;
    } else if (file.isEmpty()) {
      file = args[k];
    } else {
      ok = false;
    }
    if (!ok) {
      err << kUsage;
      return ExitUsage;
    }
  }
  if (file.isEmpty() || pdf.isEmpty()) {
    err << kUsage;
    return ExitUsage;
  }
  QString error;
  if (!WriteFileReport(file, compare, contest, language, pdf, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  out << pdf << '\n';
  return ExitOk;
}

}  // namespace hypsor::cli
