// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/FlightData.h"

#include <algorithm>
#include <cstring>

namespace hypsor {

namespace {

// The sampling list of the device settings window, indexed by the low four bits of
// header byte 7. Codes 8-15 have no entry in that list: label step 1 and an empty text.
constexpr SamplingCode kSamplingCodes[16] = {
    {500, 0x1FFF, 8192.0f, "50 pom/sek"},
    {250, 0x1FFF, 8192.0f, "25 pom/sek"},
    {150, 0x7FFF, 32767.0f, "15 pom/sek"},
    {100, 0x7FFF, 32767.0f, "10 pom/sek"},
    {50, 0x7FFF, 32767.0f, "  5 pom/sek"},
    {10, 0x7FFF, 32767.0f, "  1 pom/sek"},
    {5, 0x7FFF, 32767.0f, "  2 sek/pom"},
    {2, 0x7FFF, 32767.0f, "  5 sek/pom"},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
    {1, 0x7FFF, 32767.0f, ""},
};

unsigned WordAt(const FlightBytes& bytes, int offset) {
  return bytes[static_cast<std::size_t>(offset)] |
         (static_cast<unsigned>(bytes[static_cast<std::size_t>(offset) + 1]) << 8);
}

}  // namespace

const SamplingCode& SamplingForCode(unsigned code) {
  return kSamplingCodes[code & 0x0Fu];
}

std::uint32_t CheckedCalibration(std::uint32_t word) {
  return (word < 9700 || word > 10500) ? 10000u : word;
}

std::uint32_t CheckedTemperature(std::uint32_t word) {
  return word > 80 ? 20u : word;
}

bool SetFlightBytes(Flight& flight, std::span<const std::uint8_t> data) {
  if (data.size() < static_cast<std::size_t>(FlightHeaderSize)) return false;
  const std::size_t n = std::min(data.size(), static_cast<std::size_t>(RxBufferSize));
  std::memcpy(flight.bytes.data(), data.data(), n);
  // A Flight holds exactly its own bytes: nothing of an earlier flight stays behind them.
  std::fill(flight.bytes.begin() + static_cast<std::ptrdiff_t>(n), flight.bytes.end(),
            std::uint8_t{0});
  flight.FlightByteCount = static_cast<std::int32_t>(n);
  flight.SampleCount = static_cast<std::uint32_t>((n - FlightHeaderSize) / 2);
  return true;
}

void ApplyFlightHeader(Flight& flight) {
  flight.competitor = flight.bytes[2];
  flight.serial = WordAt(flight.bytes, 3);
  flight.CalibrationFactor = CheckedCalibration(WordAt(flight.bytes, 8));
  flight.temperature = CheckedTemperature(WordAt(flight.bytes, 5));
  flight.GroundTemperature = static_cast<float>(flight.temperature);
  flight.samplingCode = flight.bytes[7] & 0x0Fu;
  const SamplingCode& sampling = SamplingForCode(flight.samplingCode);
  flight.SampleMask = sampling.SampleMask;
  flight.SampleFullScale = sampling.SampleFullScale;
  flight.TimeLabelStep = sampling.TimeLabelStep;
}

bool EndMarkerInTail(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  for (std::size_t k = 2; k <= EndMarkerWindow && k <= n; k += 2) {
    if (bytes[n - k] == 0xFF && bytes[n - k + 1] == 0xFF) return true;
  }
  return false;
}

std::optional<int> EndMarkerOffset(std::span<const std::uint8_t> bytes) {
  for (std::size_t k = FlightHeaderSize; k + 1 < bytes.size(); k += 2)
    if (bytes[k] == 0xFF && bytes[k + 1] == 0xFF) return static_cast<int>(k);
  return std::nullopt;
}

}  // namespace hypsor
