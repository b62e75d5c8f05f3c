// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "platform/AtomicFile.h"
#include "platform/widgets/SvgDrawing.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

namespace {
constexpr int kDotsPerInch = 96;  // the pixel size of SVG and PDF pages

QString FlightName(const FlightWorkspace& w, FlightSlot slot) {
  const QString& path = w.FlightPath(slot);
  return path.isEmpty() ? w.T(Txt::ReportUnsavedDownload) : QFileInfo(path).fileName();
}

// Draws the print on a paint device of size pixels.
void DrawOn(QPaintDevice& device, QSize size, const ChartPrint& print, bool vector) {
  QCPPainter painter(&device);
  painter.setRenderHint(QPainter::Antialiasing);
  if (vector) painter.setMode(QCPPainter::pmVectorized);
  DrawChart(painter, size, print);
}

}  // namespace

std::optional<ChartFormat> ChartFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("png")) return ChartFormat::Png;
  if (suffix == QLatin1String("svg") && SvgDrawingAvailable()) return ChartFormat::Svg;
  if (suffix == QLatin1String("pdf")) return ChartFormat::Pdf;
  return std::nullopt;
}

QString ChartSuffixes() {
  return SvgDrawingAvailable() ? QStringLiteral(".png, .svg or .pdf")
                               : QStringLiteral(".png or .pdf");
}

QStringList ChartFileFilters() {
  QStringList filters{QStringLiteral("PNG (*.png)")};
  if (SvgDrawingAvailable()) filters << QStringLiteral("SVG (*.svg)");
  return filters << QStringLiteral("PDF (*.pdf)");
}

QString ChartTitle(const FlightWorkspace& w) {
  const ChartContent& c = w.Chart();
  const bool main = w.HasMainFlight() && !c[Curve::Altitude].empty();
  const bool comparison = !c[Curve::Comparison].empty();
  if (main && comparison)
    return w.T(Txt::ChartTitleWithComparison)
        .arg(FlightName(w, FlightSlot::Main), FlightName(w, FlightSlot::Comparison));
  if (main) return FlightName(w, FlightSlot::Main);
  if (comparison) return FlightName(w, FlightSlot::Comparison);
  return {};
}

ChartPrint WorkspacePrint(const FlightWorkspace& w, bool markers, bool realTime) {
  ChartPrint print;
  ChartState& s = print.state;
  const ChartContent& content = w.Chart();
  s.titles[static_cast<std::size_t>(Curve::Altitude)] = w.T(Txt::AltitudeCurveTitle);
  s.titles[static_cast<std::size_t>(Curve::Acceleration)] = w.T(Txt::AccelerationCurveTitle);
  s.titles[static_cast<std::size_t>(Curve::Comparison)] = w.T(Txt::ComparisonCurveTitle);
  s.titles[static_cast<std::size_t>(Curve::Simulation)] = w.T(Txt::SimulationCurveTitle);
  for (int i = 0; i < CurveCount; ++i) {
    const auto curve = static_cast<Curve>(i);
    const auto k = static_cast<std::size_t>(i);
    s.curves[k] = content.curves[k];
    s.placement[k] = realTime ? w.RealTimePlacement(curve) : w.Placement(curve);
  }
  s.labelSeconds = content.labelSeconds;
  s.axis = content.leftAxis;
  const FlightQualities qualities = w.Qualities();
  if (markers) s.markers = w.Markers(realTime, qualities);
  s.transients = w.Transients(realTime, qualities);
  s.accelerationRange = w.AccelerationRange(qualities);
  print.title = ChartTitle(w);
  return print;
}

QImage ChartImage(const ChartPrint& print, QSize size, int scale) {
  QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  DrawOn(image, size, print, false);
  return image;
}

QByteArray RenderChart(const ChartPrint& print, QSize size, ChartFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  switch (format) {
    case ChartFormat::Png:
      ChartImage(print, size).save(&buffer, "PNG");
      break;
    case ChartFormat::Svg:
      DrawSvg(buffer, size, kDotsPerInch,
              print.title.isEmpty() ? QStringLiteral("Hypsor") : print.title,
              [&](QPaintDevice& svg) { DrawOn(svg, size, print, true); });
      break;
    case ChartFormat::Pdf: {
      QPdfWriter pdf(&buffer);
      pdf.setResolution(kDotsPerInch);
      pdf.setCreator(QStringLiteral("Hypsor"));
      pdf.setTitle(print.title);
      const QSizeF points(size.width() * 72.0 / kDotsPerInch, size.height() * 72.0 / kDotsPerInch);
      pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point), QPageLayout::Portrait,
                                    QMarginsF(0, 0, 0, 0)));
      DrawOn(pdf, size, print, true);
      break;
    }
  }
  return bytes;
}

bool ExportChart(const ChartPrint& print, const QString& path, QSize size, Failure* error) {
  const std::optional<ChartFormat> format = ChartFormatOf(path);
  if (!format) {
    Failure unknown = Failure::Of(FailureKind::NotAChartFormat, path);
    unknown.detail = ChartSuffixes();
    if (error) *error = std::move(unknown);
    return false;
  }
  // Refuse a target that cannot be replaced before spending time on the drawing.
  if (!CheckSaveTarget(path, error)) return false;
  return WriteFileAtomically(path, RenderChart(print, size, *format), error);
}

}  // namespace hypsor
