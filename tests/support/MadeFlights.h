// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "flight/Decode.h"
#include "flight/FlightQuality.h"

namespace hypsor::test {

// Flights made sample by sample for the data-quality tests: raw words over a ground word of
// kGroundRaw at the slow rates' full scale.
inline constexpr float kFullScale = 32767.0f;
inline constexpr unsigned kGroundRaw = 8800;

// The raw word whose altitude over a ground word of kGroundRaw is closest to metres (the
// conversion rises with the word).
inline unsigned RawFor(double metres) {
  const float ref = SamplePressure(kGroundRaw, kFullScale);
  unsigned lo = 1000, hi = 32766;
  while (lo < hi) {
    const unsigned mid = (lo + hi) / 2;
    if (SampleAltitude(mid, kFullScale, ref, 20.0f, 10000) < metres)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

struct MadeFlight {
  std::vector<unsigned> words;
  bool endMarker = true;
  int samplingCode = 3;  // 10 samples a second
};

inline Flight ToFlight(const MadeFlight& m) {
  std::vector<std::uint8_t> b(32, 0);
  b[5] = 20;
  b[7] = static_cast<std::uint8_t>(m.samplingCode);
  b[8] = 10000 & 0xFF;
  b[9] = 10000 >> 8;
  for (unsigned w : m.words) {
    b.push_back(static_cast<std::uint8_t>(w & 0xFF));
    b.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  if (m.endMarker) b.insert(b.end(), {0xFF, 0xFF});
  Flight flight;
  EXPECT_TRUE(SetFlightBytes(flight, b));
  ApplyFlightHeader(flight);
  return flight;
}

inline FlightQuality Assess(const MadeFlight& m, const FilterParams& params = {}) {
  const Flight flight = ToFlight(m);
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, {true, false});
  auto work = std::make_unique<FilterTables>();
  return AssessFlight(flight, d, params, *work);
}

inline std::vector<QualityCode> Codes(const FlightQuality& q) {
  std::vector<QualityCode> codes;
  for (const QualityFlag& f : q.flags) codes.push_back(f.code);
  return codes;
}

}  // namespace hypsor::test
