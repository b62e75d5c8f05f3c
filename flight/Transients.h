// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include "flight/FlightData.h"

namespace hypsor {

// Transients: short stretches where the pressure, not the height, moved: an ejection charge, a
// parachute opening, the shock waves of near-sonic flight, a sensor that saturates as the
// recording ends. They are set aside before the apogee the data support and the rates are read.
//
// The rule, for a table a(0..n-1) in decimetres at r samples a second:
// - the curve: the running median m(i) of a over a window of 1.5 s each side (h = r * 1.5
//   samples), taken on every k-th sample so that it holds at most 31 points, and narrowed
//   symmetrically at the ends of the recording. A median follows any rise or fall exactly (it
//   is the middle sample of a monotonic window) and ignores a pulse that fills less than half
//   its window: pulses up to 1.5 s;
// - a sample is off the curve when |a(i) - m(i)| reaches the threshold T(i), the largest of
//   10 m, 1 % of the height (barometric errors grow with it), six times the sensor's scatter
//   (the spread of the sample-to-sample changes) and four times the 80th percentile of
//   |a - m| within 10 s (a rough stretch of flight), plus what the median cuts off a smooth
//   turn (the curvature of m, at least gravity's, over half the window);
// - samples off the curve less than 0.5 s apart are one transient, which extends to its
//   neighbours standing at least T / 2 off the curve;
// - the last samples, which no centred window sees, are compared with the curve carried on in
//   a straight line from 1.5 s before the end; the first ones, on the pad, with the pad's level.
namespace transient {
inline constexpr double kHalfWindowS = 1.5;
inline constexpr int kMedianHalfPoints = 15;
inline constexpr int kFloorDm = 100;
inline constexpr int kHeightShare = 100;  // 1 / kHeightShare of the height
inline constexpr int kChangeSpreads = 6;
inline constexpr int kRoughnessTimes = 4;
inline constexpr double kRoughnessWindowS = 10.0;
inline constexpr double kRoughnessBlockS = 5.0;
inline constexpr double kMergeGapS = 0.5;
// The supported apogee keeps this far from a transient: a sample next to one is part of it.
inline constexpr double kNextToS = 0.2;
// Kinds: ejection within max(20 m, 5 %) of the supported apogee; transonic before it, climbing
// at 200 m/s or faster (well above that the pressure around a rocket stops following the height
// it flies at); deploy after it.
inline constexpr int kEjectionBandDm = 200;
inline constexpr int kEjectionBandShare = 20;  // 1 / 20 = 5 %
inline constexpr double kTransonicMps = 200.0;
// A spike is a transient of at most this many samples: a gust or a charge at the fast rates.
inline constexpr int kSpikeLongestRun = 3;
}  // namespace transient

enum class TransientShape { Spike, Transient, EndOfRecord };
enum class TransientKind { None, Ejection, Deploy, Transonic };

// The stable names files, hypsor-cli and scripts use: "ejection", "deploy", "transonic", "".
const char* TransientKindName(TransientKind kind);

struct Transient {
  int first = 0;  // the samples set aside, both included
  int last = 0;
  int peak = 0;         // the sample farthest off the curve
  double depthM = 0.0;  // how far it stands off the curve there; negative below
  TransientShape shape = TransientShape::Spike;
  TransientKind kind = TransientKind::None;
  std::vector<int> samples;  // those standing off the curve, in order; a few between may not
  bool Covers(int index, int margin = 0) const {
    return index >= first - margin && index <= last + margin;
  }
};

struct TransientFinding {
  std::vector<Transient> transients;  // in the order of the samples
  // The highest sample outside every transient and the samples next to them; -1 when there is
  // none (a recording shorter than 2 samples, or one transient from end to end).
  int supportedApogee = -1;
};

// The transients of the first count entries of table (held to 0..AltitudeTableSize - 1) at the
// flight's TimeLabelStep, and the apogee once they are set aside.
TransientFinding FindTransients(const AltitudeTableArray& table, int count, int timeLabelStep);

// Samples within this many of a transient count as next to it at the flight's rate.
int NextToSamples(int timeLabelStep);

// The table with the transients set aside: each on the straight line between the samples
// around it, or held at the sample before (after) it at the end (start) of the recording.
// Writes the first count entries of out.
void SetTransientsAside(const AltitudeTableArray& table, int count,
                        const std::vector<Transient>& transients, AltitudeTableArray& out);

}  // namespace hypsor
