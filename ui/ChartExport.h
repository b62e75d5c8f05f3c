#pragma once
#include <optional>

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace hypsor {

class FlightChart;
class FlightWorkspace;

enum class ChartFormat { Png, Svg, Pdf };

// By the file name's suffix (.png, .svg, .pdf, any case); nothing for another one.
std::optional<ChartFormat> ChartFormatOf(const QString& path);

// The chart as it is now (zoom, markers, readout included), laid out for size pixels.
QImage ChartImage(FlightChart& chart, QSize size);
// The same as a PNG image, an SVG drawing or a one-page PDF of that size (at 96 dpi).
QByteArray RenderChart(FlightChart& chart, QSize size, ChartFormat format);
// Renders in the format the suffix names and writes the file atomically. False with *error
// (the writing's own reason) when it cannot be written; the caller checks the suffix first.
bool ExportChart(FlightChart& chart, const QString& path, QSize size, QString* error);

// Puts everything the workspace shows on a new chart: curves, seconds labels, the left axis,
// the curve titles in its language, the comparison's placement and, when asked, the markers.
void ShowWorkspace(FlightChart& chart, const FlightWorkspace& workspace, bool markers);

}  // namespace hypsor
