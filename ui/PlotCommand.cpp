// hypsor-cli plot: the window's chart of a flight (and a comparison) drawn offscreen into an
// image file. It draws with the window's own chart, so it lives with the windows; the tool's
// dispatcher (cli/main.cpp) reaches it through cli/Commands.h.
#include <QRegularExpression>

#include "cli/Commands.h"
#include "session/FlightWorkspace.h"
#include "ui/ChartExport.h"

namespace hypsor::cli {

namespace {

struct PlotOptions {
  QString path, comparison, out;
  bool filter = false;
  bool align = false;
  QSize size{1280, 720};
};

int ParsePlotOptions(const QStringList& args, PlotOptions& o, QTextStream& err) {
  const QString usage = QStringLiteral(
      "hypsor-cli: usage: hypsor-cli plot FILE [--compare FILE2] [--filter] [--align] "
      "[--size WxH] --out CHART.png|.svg|.pdf\n");
  for (qsizetype k = 0; k < args.size(); ++k) {
    QString a = args[k];
    QString value;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const bool valued = a.startsWith(QLatin1String("--")) && eq > 0;
    if (valued) value = a.mid(eq + 1), a = a.left(eq);
    auto takeValue = [&]() -> bool {
      if (valued) return true;
      if (k + 1 >= args.size()) {
        err << "hypsor-cli: " << a << " needs a value\n";
        return false;
      }
      value = args[++k];
      return true;
    };
    if (a == QLatin1String("--filter")) {
      o.filter = true;
    } else if (a == QLatin1String("--align")) {
      o.align = true;
    } else if (a == QLatin1String("--compare")) {
      if (!takeValue()) return ExitUsage;
      o.comparison = value;
    } else if (a == QLatin1String("--out")) {
      if (!takeValue()) return ExitUsage;
      o.out = value;
    } else if (a == QLatin1String("--size")) {
      if (!takeValue()) return ExitUsage;
      static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
      const QRegularExpressionMatch m = pattern.match(value);
      const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
      const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
      if (w < 16 || h < 16 || w > 16384 || h > 16384) {
        err << "hypsor-cli: wrong size '" << value << "' (WIDTHxHEIGHT, 16 to 16384 pixels)\n";
        return ExitUsage;
      }
      o.size = QSize(w, h);
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      err << "hypsor-cli: unknown option '" << args[k] << "'\n";
      return ExitUsage;
    } else if (o.path.isEmpty()) {
      o.path = args[k];
    } else {
      err << usage;
      return ExitUsage;
    }
  }
  if (o.path.isEmpty() || o.out.isEmpty()) {
    err << usage;
    return ExitUsage;
  }
  if (!ChartFormatOf(o.out)) {
    err << "hypsor-cli: the output must end in .png, .svg or .pdf: '" << o.out << "'\n";
    return ExitUsage;
  }
  return ExitOk;
}

}  // namespace

int RunPlot(const QStringList& args, QTextStream& out, QTextStream& err) {
  Q_UNUSED(out);
  PlotOptions o;
  if (const int status = ParsePlotOptions(args, o, err); status != ExitOk) return status;

  // The flights go through the workspace as the window's Load, Compare and Filter buttons do.
  FlightWorkspace workspace;
  QString error;
  if (!workspace.OpenMainFlight(o.path, &error) ||
      (!o.comparison.isEmpty() && !workspace.OpenComparison(o.comparison, &error))) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  if (o.filter) {
    workspace.FilterMain();
    if (!o.comparison.isEmpty()) workspace.FilterComparison();
  }
  workspace.SetComparisonAligned(o.align);

  if (!ExportChart(WorkspacePrint(workspace, true, false), o.out, o.size, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  return ExitOk;
}

}  // namespace hypsor::cli
