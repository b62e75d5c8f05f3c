// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Flight.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace hypsor::sim {

namespace {

constexpr std::size_t kHeaderLength = 32;
constexpr std::uintmax_t kLargestFile = 1 << 20;

// Sensor model, inverted: altitude above the start -> pressure -> ADC reading.
constexpr double kGroundPressure = 1012.96;  // hPa at the launch site
constexpr double kGroundCelsius = 20.0;
constexpr double kMetresPerKelvin = 29.271267;  // R/g of dry air
constexpr double kAdcReference = 2.048;

std::uint16_t RawSample(double metres, double fullScale) {
  const double kelvin = 273.16 + kGroundCelsius;
  const double pressure = kGroundPressure * std::exp(-metres / (kelvin * kMetresPerKelvin));
  const double volts = 3.0 * (pressure / (10000.0 / 9.0) - 0.095);
  const double raw = (3.0 - volts) * fullScale / kAdcReference;
  return static_cast<std::uint16_t>(std::clamp(std::lround(raw), 0L, 0x7FFEL));
}

// Altitude in metres at sample i: on the pad, a fast climb that slows towards apogee, a steady
// descent under the parachute, on the ground again.
double Profile(int i) {
  constexpr int kPad = 20, kClimb = 60, kDescent = 280;
  constexpr double kApogee = 300.0;
  if (i < kPad) return 0.0;
  i -= kPad;
  if (i < kClimb) {
    const double t = 1.0 - static_cast<double>(i) / kClimb;
    return kApogee * (1.0 - t * t);
  }
  i -= kClimb;
  if (i < kDescent) return kApogee * (1.0 - static_cast<double>(i) / kDescent);
  return 0.0;
}

}  // namespace

std::vector<std::uint8_t> BuiltInFlight(const DeviceSettings& s) {
  constexpr int kSamples = 400;
  std::vector<std::uint8_t> image(kHeaderLength, 0);
  image[2] = s.competitor;
  image[3] = static_cast<std::uint8_t>(s.serial & 0xFF);
  image[4] = static_cast<std::uint8_t>(s.serial >> 8);
  image[5] = static_cast<std::uint8_t>(kGroundCelsius);
  image[6] = 0;
  image[7] = s.samplingCode;
  image[8] = static_cast<std::uint8_t>(s.calibrationWord & 0xFF);
  image[9] = static_cast<std::uint8_t>(s.calibrationWord >> 8);

  // The two fastest rates use the 13-bit converter range.
  const bool fast = (s.samplingCode & 0x0F) <= 1;
  const double fullScale = fast ? 8192.0 : 32767.0;
  for (int i = 0; i < kSamples; ++i) {
    // A little sensor noise: up to +-0.4 m, deterministic.
    const double noise = (NoiseByte(static_cast<std::uint64_t>(i)) % 9 - 4) * 0.1;
    const std::uint16_t raw = RawSample(Profile(i) + noise, fullScale);
    image.push_back(static_cast<std::uint8_t>(raw & 0xFF));
    image.push_back(static_cast<std::uint8_t>(raw >> 8));
  }
  image.push_back(0xFF);
  image.push_back(0xFF);
  return image;
}

std::optional<std::vector<std::uint8_t>> ReadFlightFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  char c;
  while (bytes.size() <= kLargestFile && in.get(c)) bytes.push_back(static_cast<std::uint8_t>(c));
  if (in.bad() || bytes.size() > kLargestFile) return std::nullopt;
  return bytes;
}

}  // namespace hypsor::sim
