// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPointF>
#include <QString>

namespace hypsor {

enum class Curve;

// Where a curve's point i stands on the chart's x axis, which counts the main flight's samples:
// x = offset + scale * i. Every curve stands at x = i unless the comparison is aligned on time.
struct CurvePlacement {
  double scale = 1.0;
  double offset = 0.0;
  double X(double index) const { return offset + scale * index; }
  double Index(double x) const { return (x - offset) / scale; }
  bool operator==(const CurvePlacement&) const = default;
};

// OtherApogee: the apogee before the filter while it is on, after it while it is off, marked
// when the two differ. EndOfRecord: the last sample of a flight whose landing was not recorded,
// in place of the landing.
enum class MarkerKind { Launch, Apogee, Landing, OtherApogee, EndOfRecord };

// A launch, apogee or landing mark on a flight's curve, where the chart draws it.
struct ChartMarker {
  Curve curve;
  MarkerKind kind;
  int index;      // the curve's sample
  QPointF at;     // x on the chart's axis, y in metres
  QString label;  // short, in the current language: "L", "A 380.5 m", "D", "E"
};

// A flagged transient of a flight (spike, transient, end-of-record), where the chart shades it.
struct ChartTransient {
  Curve curve;
  int first = 0;  // the curve's samples set aside, both included
  int last = 0;
  double fromX = 0.0;  // on the chart's x axis
  double toX = 0.0;
  const char* code = "";  // the flag's code: "spike", "transient", "end-of-record"
  QString label;          // the flag's name and what it was, in the current language
};

// The values a right axis shows for the acceleration curve without the main flight's
// transients; clipped when a value set aside lies outside them.
struct ChartRange {
  double min = 0.0;
  double max = 0.0;
  bool clipped = false;
};

// What the cursor readout says about one curve: its sample nearest to the cursor and, with a
// reference point, the change from the sample nearest to the reference.
struct ReadoutLine {
  Curve curve;
  int index = 0;
  double timeS = 0.0;  // the flight's own time of the sample
  float value = 0.0f;  // metres, or the acceleration curve's value
  bool hasDelta = false;
  double deltaTimeS = 0.0;
  double deltaValue = 0.0;
  double rate = 0.0;  // deltaValue / deltaTimeS; 0 when both samples are the same moment
};

}  // namespace hypsor
