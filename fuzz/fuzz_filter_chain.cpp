// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the smoothing filters with any parameters and any table of up to 8000 entries.
// Input layout: 16 bytes of parameters (four little-endian 32-bit values), 2 bytes of sample
// count (taken modulo 8001), 1 byte choosing 2- or 4-byte entries, then the entries; a short
// input is repeated to fill the table, so small inputs still make long flights.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "flight/Filters.h"
#include "fuzz/FuzzCheck.h"

using hypsor::fuzz::Check;

namespace {

std::int32_t Int32At(const std::uint8_t* p) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(p[k]) << (8 * k);
  return static_cast<std::int32_t>(u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kHeader = 19;
  if (size < kHeader) return 0;
  hypsor::FilterParams params;
  params.PreCutCm = Int32At(data);
  params.FinalCutCm = Int32At(data + 4);
  params.PreFilterWindow = Int32At(data + 8);
  params.FinalFilterWindow = Int32At(data + 12);
  const int count = (data[16] | (data[17] << 8)) % (hypsor::AltitudeTableSize + 1);
  const bool wide = data[18] & 1;

  static auto table = std::make_unique<hypsor::AltitudeTableArray>();
  table->fill(hypsor::AltitudeEndMarker);
  const std::uint8_t* entries = data + kHeader;
  const std::size_t available = size - kHeader;
  const std::size_t width = wide ? 4 : 2;
  if (available >= width) {
    std::size_t at = 0;
    for (int k = 0; k < count && k < hypsor::AltitudeTableSize; ++k) {
      std::uint8_t b[4];
      for (std::size_t j = 0; j < width; ++j) b[j] = entries[(at + j) % available];
      at = (at + width) % available;
      (*table)[static_cast<std::size_t>(k)] =
          wide ? Int32At(b) : static_cast<std::int16_t>(b[0] | (b[1] << 8));
    }
  }
  const hypsor::AltitudeTableArray before = *table;

  static auto work = std::make_unique<hypsor::FilterTables>();
  const hypsor::FilterOutput out = hypsor::RunFilterChain(*table, count, params, *work);
  Check(*table == before);
  const int n = std::min(count, hypsor::FilterMaximumSamples);
  // The chain filters any non-empty table; the sample-count gate is its callers'.
  if (n < 1) {
    Check(!out.ran);
    return 0;
  }
  Check(out.ran && out.count == n);
  Check(out.filtered.size() == static_cast<std::size_t>(n));
  Check(std::equal(out.unfiltered.begin(), out.unfiltered.end(), table->begin()));
  Check(work->FilterResult[static_cast<std::size_t>(n)] == hypsor::AltitudeEndMarker);
  // Cut samples become points on lines between kept ones: nothing leaves the flight's range.
  const auto [lo, hi] = std::minmax_element(table->begin(), table->begin() + n);
  std::int32_t maxDm = 0, minDm = 5000;
  for (std::int32_t v : out.filtered) {
    Check(v >= *lo && v <= *hi);
    maxDm = std::max(maxDm, v);
    minDm = std::min(minDm, v);
  }
  Check(out.maxDm == maxDm && out.minDm == minDm);
  return 0;
}
