// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QChar>
#include <QString>

#include "flight/FlightData.h"
#include "flight/Transients.h"

namespace hypsor {

// What a flight's altitude table says about the flight: launch, apogee, landing, their times and
// the climb and sink rates. The window's panel and markers, hypsor-cli and the reports all read
// these numbers from ComputeStatistics, so they never disagree.
//
// Definitions, for a table of n entries a(0..n-1) in decimetres sampled r = TimeLabelStep / 10
// times a second, t(i) = i / r seconds:
// - apogee A: the first index of the largest a(i). apogeeM is the maximum as the flight's panel
//   shows it (the decoded maximum, or the filtered one when the filter is on), so it is passed in;
//   without it, a(A) / 10.
// - launch: F is the first index with a(i) >= 30 (3 m). Without one the flight was never launched
//   and only the apogee is set. Otherwise the launch L is the last index before F with
//   a(i) <= 5 (0.5 m), or 0 when there is none: the moment the climb left the ground.
// - transients (flight/Transients.h) are found on the table; b is the table with them set aside
//   and S the supported apogee, the highest sample outside them and the samples next to them;
//   A instead when S comes before the launch (all of the flight above 3 m was set aside).
//   Without transients b = a and S = A.
// - landing D: the first index after S with a(i) <= 30 outside every transient; when there is
//   none the landing was not recorded and D = n - 1.
// - rates, read on b, over a one-second window of k = max(1, TimeLabelStep / 10) samples
//   (integer division): v(i) = (b(i + k) - b(i)) / 10 * r / k m/s. The largest climb is the
//   largest v(i) for L <= i <= S - k, the largest sink the largest -v(i) for S <= i <= D - k; when
//   a range is empty (a climb or descent shorter than the window) the straight line between the
//   range's ends is used instead. The mean descent is (b(S) - b(D)) / 10 / (t(D) - t(S)), 0 when
//   D = S. Without a recorded landing the sink and the descent have no value.
// - fewer than 2 entries: no statistics at all.
struct FlightStatistics {
  bool enoughSamples = false;     // false: fewer than 2 entries; nothing below is set
  bool launched = false;          // the flight reached 3 m; false: only the apogee is set
  bool landed = false;            // it came back to 3 m after the apogee
  float apogeeM = 0.0f;           // shown with FormatAltitude (one decimal)
  int apogeeIndex = 0;            // A
  int launchIndex = 0;            // L
  int landingIndex = 0;           // D
  double samplesPerSecond = 0.0;  // r
  double launchS = 0.0;           // t(L)
  double timeToApogeeS = 0.0;     // t(A) - t(L)
  double landingS = 0.0;          // t(D)
  double durationS = 0.0;         // t(D) - t(L)
  double maxClimbMps = 0.0;
  double maxSinkMps = 0.0;
  double meanDescentMps = 0.0;
  int maxClimbIndex = 0;  // where the window of the largest climb starts
  int maxSinkIndex = 0;   // and of the largest sink
  std::vector<Transient> transients;
  int supportedApogeeIndex = 0;   // S
  float supportedApogeeM = 0.0f;  // b(S) / 10
  double supportedApogeeS = 0.0;  // t(S)
};

// The statistics of the first count entries of table (count is held to 0..AltitudeTableSize - 1;
// entries past it are never read). timeLabelStep is the flight's TimeLabelStep (values below 1
// are taken as 1). panelMaximum is the maximum the flight's panel shows; pass std::nullopt when
// the panel shows none, and the table's own maximum is used.
FlightStatistics ComputeStatistics(const AltitudeTableArray& table, int count, int timeLabelStep,
                                   std::optional<float> panelMaximum);

// The time of sample i in seconds for a flight's TimeLabelStep: i * 10 / TimeLabelStep.
double SampleTime(int index, int timeLabelStep);

// One statistic as text, in a fixed order shared by hypsor-cli and the window: the key
// hypsor-cli prints, and the value with the given decimal point (metres with one decimal, seconds
// and m/s with two), empty when the flight has no such value (no launch; no landing for the
// landing time and the descent's rates).
struct StatisticField {
  const char* key;
  QString value;
};
inline constexpr int StatisticFieldCount = 8;  // apogee_m ... mean_descent_mps; not `landed`
std::vector<StatisticField> StatisticFields(const FlightStatistics& s, QChar decimalPoint);

// A number with a fixed count of decimals and the given decimal point; never "-0.00".
QString FormatFixed(double value, int decimals, QChar decimalPoint);

}  // namespace hypsor
