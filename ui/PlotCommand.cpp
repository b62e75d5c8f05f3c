// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli plot: the window's chart of a flight (and a comparison) drawn offscreen into an
// image file. It draws with the window's own chart, so it lives with the windows; the tool's
// dispatcher (cli/main.cpp) reaches it through cli/Commands.h.
#include <QRegularExpression>

#include "cli/Commands.h"
#include "session/FlightWorkspace.h"
#include "text/FailureText.h"
#include "ui/ChartExport.h"

namespace hypsor::cli {

namespace {

struct PlotOptions {
  QString path, comparison, out;
  bool filter = false;
  bool align = false;
  QSize size{1280, 720};
  int language = 1;  // English, as the tool speaks
};

std::optional<int> ParsePlotOptions(const QStringList& args, PlotOptions& o, QTextStream& out,
                                    QTextStream& err) {
  CommandOptions options(
      QStringLiteral("plot"),
      QStringLiteral("FILE [--compare FILE2] [--filter] [--align] [--size WxH] "
                     "[--language en|pl] --out CHART.png|.svg|.pdf"),
      QStringLiteral("Draw the window's chart of a flight (and a comparison) into an image file, "
                     "without a display."));
  options.AddPositional(QStringLiteral("FILE"), QStringLiteral("The flight file to draw."));
  options.AddValue(QStringLiteral("compare"), QStringLiteral("FILE2"),
                   QStringLiteral("Draw a second flight over the first."));
  options.AddFlag(QStringLiteral("filter"), QStringLiteral("Smooth the curves first."));
  options.AddFlag(QStringLiteral("align"),
                  QStringLiteral("Shift the comparison so both launches coincide."));
  options.AddValue(QStringLiteral("size"), QStringLiteral("WxH"),
                   QStringLiteral("Image size in pixels (default 1280x720)."));
  options.AddValue(QStringLiteral("out"), QStringLiteral("CHART"),
                   QStringLiteral("The image to write: .png, .svg or .pdf."));
  options.AddValue(QStringLiteral("language"), QStringLiteral("en|pl"),
                   QStringLiteral("The language of the chart's texts (default en)."));
  if (const auto status = options.Parse(args, out, err)) return status;
  const QString language = options.Value(QStringLiteral("language"));
  if (options.IsSet(QStringLiteral("language")) && language != QLatin1String("en") &&
      language != QLatin1String("pl"))
    return options.Fail(err, QStringLiteral("wrong language '%1' (en or pl)").arg(language));
  o.language = language == QLatin1String("pl") ? 0 : 1;
  o.path = options.Positional().value(0);
  o.comparison = options.Value(QStringLiteral("compare"));
  o.out = options.Value(QStringLiteral("out"));
  o.filter = options.IsSet(QStringLiteral("filter"));
  o.align = options.IsSet(QStringLiteral("align"));
  if (options.IsSet(QStringLiteral("size"))) {
    const QString value = options.Value(QStringLiteral("size"));
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(value);
    const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (w < 16 || h < 16 || w > 16384 || h > 16384)
      return options.Fail(
          err, QStringLiteral("wrong size '%1' (WIDTHxHEIGHT, 16 to 16384 pixels)").arg(value));
    o.size = QSize(w, h);
  }
  if (o.out.isEmpty()) return options.Fail(err, QStringLiteral("--out missing"));
  if (!ChartFormatOf(o.out))
    return options.Fail(
        err, QStringLiteral("the output must end in %1: '%2'").arg(ChartSuffixes(), o.out));
  return std::nullopt;
}

}  // namespace

int RunPlot(const QStringList& args, QTextStream& out, QTextStream& err) {
  PlotOptions o;
  if (const auto status = ParsePlotOptions(args, o, out, err)) return *status;

  // The flights go through the workspace as the window's Load, Compare and Filter buttons do.
  FlightWorkspace workspace;
  workspace.SetLanguage(o.language);
  Failure error;
  if (!workspace.OpenMainFlight(o.path, &error) ||
      (!o.comparison.isEmpty() && !workspace.OpenComparison(o.comparison, &error))) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  if (o.filter) {
    workspace.FilterMain();
    if (!o.comparison.isEmpty()) workspace.FilterComparison();
  }
  workspace.SetComparisonAligned(o.align);

  if (!ExportChart(WorkspacePrint(workspace, true, false), o.out, o.size, &error)) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  return ExitOk;
}

}  // namespace hypsor::cli
