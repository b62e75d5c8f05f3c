// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli report: the window's one-page flight report as a PDF, drawn off screen. It draws with
// the window's own chart and report, so it lives with the windows; the tool's dispatcher
// (cli/main.cpp) reaches it through cli/Commands.h.
#include "cli/Commands.h"
#include "text/FailureText.h"
#include "ui/FlightReport.h"

namespace hypsor::cli {

int RunReport(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(
      QStringLiteral("report"),
      QStringLiteral("FILE [--compare FILE2] --out REPORT.pdf [--contest NAME] [--language en|pl]"),
      QStringLiteral("Write the one-page flight report as PDF, without a display."));
  options.AddPositional(QStringLiteral("FILE"), QStringLiteral("The flight file to report."));
  options.AddValue(QStringLiteral("compare"), QStringLiteral("FILE2"),
                   QStringLiteral("Draw a second flight over the first and give its statistics."));
  options.AddValue(QStringLiteral("out"), QStringLiteral("REPORT.pdf"),
                   QStringLiteral("The PDF to write."));
  options.AddValue(QStringLiteral("contest"), QStringLiteral("NAME"),
                   QStringLiteral("The contest's name in the report's title."));
  options.AddValue(QStringLiteral("language"), QStringLiteral("en|pl"),
                   QStringLiteral("The report's language (default en)."));
  if (const auto status = options.Parse(args, out, err)) return *status;
  const QString file = options.Positional().value(0);
  const QString compare = options.Value(QStringLiteral("compare"));
  const QString pdf = options.Value(QStringLiteral("out"));
  const QString contest = options.Value(QStringLiteral("contest"));
  const QString l = options.Value(QStringLiteral("language"));
  if (options.IsSet(QStringLiteral("language")) && l != QLatin1String("en") &&
      l != QLatin1String("pl"))
    return options.Fail(err, QStringLiteral("wrong language '%1' (en or pl)").arg(l));
  const int language = l == QLatin1String("pl") ? 0 : 1;
  if (pdf.isEmpty()) return options.Fail(err, QStringLiteral("--out missing"));
  Failure error;
  if (!WriteFileReport(file, compare, contest, language, pdf, &error)) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  out << pdf << '\n';
  return ExitOk;
}

}  // namespace hypsor::cli
