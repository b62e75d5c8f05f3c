#include "ui/ChartExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "platform/AtomicFile.h"
#include "session/FlightWorkspace.h"
#include "ui/FlightChart.h"

namespace hypsor {

namespace {
constexpr int kDotsPerInch = 96;  // the pixel size of SVG and PDF pages
}

std::optional<ChartFormat> ChartFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("png")) return ChartFormat::Png;
  if (suffix == QLatin1String("svg")) return ChartFormat::Svg;
  if (suffix == QLatin1String("pdf")) return ChartFormat::Pdf;
  return std::nullopt;
}

QImage ChartImage(FlightChart& chart, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  chart.Render(painter, size);
  painter.end();
  return image;
}

QByteArray RenderChart(FlightChart& chart, QSize size, ChartFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  switch (format) {
    case ChartFormat::Png:
      ChartImage(chart, size).save(&buffer, "PNG");
      break;
    case ChartFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setResolution(kDotsPerInch);
      svg.setTitle(QStringLiteral("Hypsor"));
      QPainter painter(&svg);
      chart.Render(painter, size);
      break;
    }
    case ChartFormat::Pdf: {
      QPdfWriter pdf(&buffer);
      pdf.setResolution(kDotsPerInch);
      pdf.setCreator(QStringLiteral("Hypsor"));
      const QSizeF points(size.width() * 72.0 / kDotsPerInch, size.height() * 72.0 / kDotsPerInch);
      pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point), QPageLayout::Portrait,
                                    QMarginsF(0, 0, 0, 0)));
      QPainter painter(&pdf);
      chart.Render(painter, size);
      break;
    }
  }
  return bytes;
}

bool ExportChart(FlightChart& chart, const QString& path, QSize size, QString* error) {
  const std::optional<ChartFormat> format = ChartFormatOf(path);
  if (!format) {
    if (error) *error = QStringLiteral("%1: not a .png, .svg or .pdf file").arg(path);
    return false;
  }
  // Refuse a target that cannot be replaced before spending time on the drawing.
  if (!CheckSaveTarget(path, error)) return false;
  return WriteFileAtomically(path, RenderChart(chart, size, *format), error);
}

void ShowWorkspace(FlightChart& chart, const FlightWorkspace& workspace, bool markers) {
  const ChartContent& content = workspace.Chart();
  chart.SetCurveTitle(Curve::Altitude, workspace.T(Txt::AltitudeCurveTitle));
  chart.SetCurveTitle(Curve::Acceleration, workspace.T(Txt::AccelerationCurveTitle));
  chart.SetCurveTitle(Curve::Comparison, workspace.T(Txt::ComparisonCurveTitle));
  for (int i = 0; i < CurveCount; ++i) {
    const auto curve = static_cast<Curve>(i);
    chart.SetCurvePlacement(curve, workspace.Placement(curve));
    chart.SetCurve(curve, content.curves[static_cast<std::size_t>(i)]);
  }
  chart.SetTimeLabels(content.labelSeconds);
  chart.SetLeftAxis(content.leftAxis);
  chart.SetMarkers(markers ? workspace.Markers() : std::vector<ChartMarker>{});
}

}  // namespace hypsor
