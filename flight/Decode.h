// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include <QChar>
#include <QString>

#include "flight/FlightData.h"

namespace hypsor {

struct DecodeOptions {
  bool timeLabels = true;     // the main flight labels whole seconds; a comparison has no labels
  bool acceleration = false;  // also compute the acceleration curve
};

// The results of one decoding run. Points are indexed by their position on the curve.
struct DecodedFlight {
  AltitudeTableArray AltitudeTable{};  // decimetres, truncated; end marker after the last entry
  int tableCount = 0;                  // entries before the end marker
  std::vector<float> altitude;         // metres, one per plotted sample
  std::vector<int> labelSeconds;       // whole-second label of each point, -1 for none
  std::vector<float> acceleration;     // one per plotted sample when asked for, else empty
  std::optional<float> MaxAltitude;    // set once an altitude above 0 was seen
  std::optional<float> MinAltitude;    // set once below the maximum after passing 10 m
  int axisMaximum = 1;                 // left axis maximum: trunc(1.1 x MaxAltitude), or 1
  float ReferencePressure = 0.0f;
  std::int32_t ReadPosition = 32;  // behind the last sample read
};

// Converts count samples (at most; the end marker stops earlier) of the flight into altitudes
// with the flight's own mask, full scale, calibration and GroundTemperature. Never reads past
// the flight's bytes or writes past the table: a longer flight stops at the table's capacity.
// (count is held to the words within FlightByteCount; at most AltitudeTableSize - 1 = 7999
// altitudes are decoded, so the end marker always has its entry. The arithmetic is bit-exact
// with the altimeter's first program: see Decode.cpp.)
DecodedFlight DecodeFlight(const Flight& flight, std::uint32_t count, const DecodeOptions& options);

// The altitude of one masked sample against a reference pressure (conversion steps 1-5), and the
// pressure value of a sample (steps 1-2); exposed for tests and the sample-flight generator.
float SamplePressure(std::uint32_t sample, float fullScale);
float SampleAltitude(std::uint32_t sample, float fullScale, float referencePressure,
                     float groundTemperature, std::uint32_t calibration);

// An altitude as the panels show it: pattern "0.0", one decimal rounded half away from zero,
// with the given decimal separator ("12.3", "-0.4"; a value that rounds to zero is "0.0").
QString FormatAltitude(float metres, QChar decimalPoint);

}  // namespace hypsor
