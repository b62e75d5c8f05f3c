// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/FlightStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "flight/Decode.h"

namespace hypsor {

namespace {

constexpr std::int32_t kLaunchDm = 30;   // 3 m: the flight has left the ground
constexpr std::int32_t kGroundDm = 5;    // 0.5 m: still on the ground
constexpr std::int32_t kLandingDm = 30;  // 3 m: back on the ground after the apogee

// The largest change per second (sign +1: climb, -1: sink) over windows of k samples starting at
// from..end - k. When no window fits, the straight line from `from` to `end`. *at receives where
// the window starts.
double LargestRate(const AltitudeTableArray& a, int from, int end, int k, double r, int sign,
                   int* at) {
  *at = from;
  if (end <= from) return 0.0;
  if (end - k < from) return sign * (a[end] - a[from]) / 10.0 * r / (end - from);
  std::int32_t best = std::numeric_limits<std::int32_t>::min();
  for (int i = from; i <= end - k; ++i) {
    const std::int32_t v = sign * (a[i + k] - a[i]);
    if (v > best) best = v, *at = i;
  }
  return best / 10.0 * r / k;
}

}  // namespace

double SampleTime(int index, int timeLabelStep) {
  return index * 10.0 / std::max(1, timeLabelStep);
}

FlightStatistics ComputeStatistics(const AltitudeTableArray& table, int count, int timeLabelStep,
                                   std::optional<float> panelMaximum) {
  FlightStatistics s;
  const int n = std::clamp(count, 0, AltitudeTableSize - 1);
  if (n < 2) return s;
  s.enoughSamples = true;
  const int step = std::max(1, timeLabelStep);
  const double r = step / 10.0;
  s.samplesPerSecond = r;
  auto t = [step](int i) { return SampleTime(i, step); };

  // One pass: the first index of the maximum and the first index at or above 3 m.
  int apogee = 0;
  int firstAbove = -1;
  for (int i = 0; i < n; ++i) {
    if (table[i] > table[apogee]) apogee = i;
    if (firstAbove < 0 && table[i] >= kLaunchDm) firstAbove = i;
  }
  s.apogeeIndex = apogee;
  s.apogeeM = panelMaximum ? *panelMaximum : static_cast<float>(table[apogee] / 10.0);
  TransientFinding found = FindTransients(table, n, step);
  const int top = found.supportedApogee >= 0 ? found.supportedApogee : apogee;
  s.supportedApogeeIndex = top;
  s.supportedApogeeM = top == apogee ? s.apogeeM : static_cast<float>(table[top] / 10.0);
  s.supportedApogeeS = t(top);
  s.transients = std::move(found.transients);
  if (firstAbove < 0) return s;  // never launched: only the apogees

  s.launched = true;
  int launch = 0;
  for (int i = firstAbove - 1; i >= 0; --i) {
    if (table[i] <= kGroundDm) {
      launch = i;
      break;
    }
  }
  auto setAside = [&s](int i) {
    for (const Transient& tr : s.transients)
      if (tr.Covers(i)) return true;
    return false;
  };
  // The landing and the descent come after the supported apogee; after the unfiltered one when
  // all of the flight above 3 m was set aside.
  const int peak = top >= launch ? top : apogee;
  int landing = n - 1;
  for (int i = peak + 1; i < n; ++i) {
    if (table[i] <= kLandingDm && !setAside(i)) {
      landing = i;
      s.landed = true;
      break;
    }
  }
  s.launchIndex = launch;
  s.landingIndex = landing;
  s.launchS = t(launch);
  s.timeToApogeeS = t(apogee) - t(launch);
  s.landingS = t(landing);
  s.durationS = t(landing) - t(launch);

  // The rates on the curve with the transients set aside.
  std::unique_ptr<AltitudeTableArray> aside;
  if (!s.transients.empty()) {
    aside = std::make_unique<AltitudeTableArray>();
    SetTransientsAside(table, n, s.transients, *aside);
  }
  const AltitudeTableArray& b = aside ? *aside : table;
  const int k = std::max(1, step / 10);
  s.maxClimbMps = LargestRate(b, launch, peak, k, r, +1, &s.maxClimbIndex);
  s.maxSinkMps = LargestRate(b, peak, landing, k, r, -1, &s.maxSinkIndex);
  s.meanDescentMps = landing == peak ? 0.0 : (b[peak] - b[landing]) / 10.0 / (t(landing) - t(peak));
  return s;
}

QString FormatFixed(double value, int decimals, QChar decimalPoint) {
  if (!std::isfinite(value)) return QString::number(value);
  // A value that rounds to zero prints without a sign.
  if (std::round(std::abs(value) * std::pow(10.0, decimals)) == 0.0) value = 0.0;
  QString text = QString::number(value, 'f', decimals);
  text.replace(QLatin1Char('.'), decimalPoint);
  return text;
}

std::vector<StatisticField> StatisticFields(const FlightStatistics& s, QChar decimalPoint) {
  auto seconds = [&](double v) { return s.launched ? FormatFixed(v, 2, decimalPoint) : QString(); };
  // Without a recorded landing its time and the descent's rates would describe the recording's
  // end, not the flight.
  auto landed = [&](double v) { return s.landed ? seconds(v) : QString(); };
  return {
      {"apogee_m", s.enoughSamples ? FormatAltitude(s.apogeeM, decimalPoint) : QString()},
      {"launch_s", seconds(s.launchS)},
      {"time_to_apogee_s", seconds(s.timeToApogeeS)},
      {"landing_s", landed(s.landingS)},
      {"duration_s", seconds(s.durationS)},
      {"max_climb_mps", seconds(s.maxClimbMps)},
      {"max_sink_mps", landed(s.maxSinkMps)},
      {"mean_descent_mps", landed(s.meanDescentMps)},
  };
}

}  // namespace hypsor
