// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include "ui/ChartPlot.h"
#include "platform/Failure.h"

namespace hypsor {

class FlightWorkspace;

enum class ChartFormat { Png, Svg, Pdf };

// By the file name's suffix (.png, .svg, .pdf, any case); nothing for another one, and nothing
// for .svg in a build without SVG (Windows).
std::optional<ChartFormat> ChartFormatOf(const QString& path);
// The suffixes ChartFormatOf takes, as a sentence says them (".png, .svg or .pdf").
QString ChartSuffixes();
// The file dialog's filters for them.
QStringList ChartFileFilters();

// The title a drawn chart carries: the main flight's file name, and the comparison's.
QString ChartTitle(const FlightWorkspace& workspace);

// The workspace's flights whole, as the window shows them after opening: curves, seconds, left
// axis, the curve titles in its language and, when asked, the markers. On real time the
// comparison stands at its own seconds (shifted onto the main flight's launch while the
// workspace aligns it); otherwise where the workspace places it.
ChartPrint WorkspacePrint(const FlightWorkspace& workspace, bool markers, bool realTime);

// The print drawn as an image of size pixels (scale times as many pixels for a sharp page).
QImage ChartImage(const ChartPrint& print, QSize size, int scale = 1);
// The same as a PNG image, an SVG drawing or a one-page PDF of that size (at 96 dpi).
QByteArray RenderChart(const ChartPrint& print, QSize size, ChartFormat format);
// Renders in the format the suffix names and writes the file atomically. False with *error
// (the writing's own reason) when it cannot be written; the caller checks the suffix first.
bool ExportChart(const ChartPrint& print, const QString& path, QSize size, Failure* error);

}  // namespace hypsor
