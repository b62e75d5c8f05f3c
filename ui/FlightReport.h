// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QDateTime>
#include <QImage>
#include <QString>

#include "flight/FlightData.h"
#include "flight/FlightStatistics.h"
#include "session/FlightWorkspace.h"

class QPainter;
class QPagedPaintDevice;

namespace hypsor {

// One flight as the report describes it.
struct ReportFlight {
  QString file;  // the file's name; empty for a download that was not stored
  QString sha256;
  unsigned competitor = 0;
  unsigned serial = 0;
  QString sampling;
  std::uint32_t calibration = 10000;
  std::uint32_t headerTemperature = 20;
  float usedTemperature = 20.0f;
  QString maximum;  // as the flight's panel shows it
  QString contest;  // the contest this flight was kept for; empty when it is none's
};

// Everything on the one-page flight report, gathered before painting.
struct ReportContent {
  QString contest;  // the main flight's contest, in the title; empty when it has none
  ReportFlight main;
  std::optional<ReportFlight> comparison;
  FlightStatistics statistics;  // of the main flight, as the statistics panel shows them
  std::optional<FlightStatistics> comparisonStatistics;
  // The data-quality flags and the apogee before and after the filter, of each flight.
  FlightQuality quality;
  std::optional<FlightQuality> comparisonQuality;
  int timeLabelStep = 1;
  int comparisonTimeLabelStep = 1;
  // The main flight against its simulation, when one is open.
  QString simulationFile;
  std::optional<SimulationComparison> simulation;
  QImage chart;  // both flights whole, on real time, as the chart draws them
  QString version;
  QDateTime created;
  int language = 0;
};

// The SHA-256 of a flight as stored: of its file when it came from one, else of the bytes Save
// would write. Empty when the workspace has no such flight.
QString FlightSha256(const FlightWorkspace& workspace, FlightSlot slot);

// Gathers the report of the workspace's main flight (and its comparison, when one is shown).
// A flight is the contest's when its file is kept in contestFolder; without a folder (a report
// of files, hypsor-cli report --contest) the main flight is the one the name is given for.
ReportContent GatherReport(const FlightWorkspace& workspace, const QString& contest,
                           const QString& contestFolder = {});

// The report's lines about the data: the apogee explained, the flags of each flight and the
// simulation's errors, in the report's language. PaintReport writes them under the statistics.
struct ReportLine {
  bool heading = false;
  QString text;
};
std::vector<ReportLine> ReportDataLines(const ReportContent& content);

// Paints the report on one page of device (a PDF writer or a printer).
void PaintReport(QPagedPaintDevice& device, const ReportContent& content);

// Writes the report as a one-page PDF, atomically. False with *error.
bool WriteReportPdf(const ReportContent& content, const QString& path, Failure* error);

// The report of flight files without a window (hypsor-cli): opens mainPath (and comparisonPath
// when given). Needs a QApplication. Nothing, with *error, for a
// file that cannot be read.
std::optional<ReportContent> FileReport(const QString& mainPath, const QString& comparisonPath,
                                        const QString& contest, int language, Failure* error);
// The same, written as the PDF. False with *error (a file that cannot be read, or a PDF that
// cannot be written).
bool WriteFileReport(const QString& mainPath, const QString& comparisonPath, const QString& contest,
                     int language, const QString& pdfPath, Failure* error);

}  // namespace hypsor
