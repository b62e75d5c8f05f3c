// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flight the simulated device has in its memory.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Altimeter.h"

namespace hypsor::sim {

// A short flight made up on the spot, for when no flight file is at hand: a 32-byte header from
// the device's settings, a few hundred pressure samples of a climb, apogee and slow descent, and
// the end marker 0xFF 0xFF.
std::vector<std::uint8_t> BuiltInFlight(const DeviceSettings& settings);

// The whole file, or nothing when it cannot be read (or is absurdly large for a flight).
std::optional<std::vector<std::uint8_t>> ReadFlightFile(const std::string& path);

}  // namespace hypsor::sim
