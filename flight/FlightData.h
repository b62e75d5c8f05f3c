// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace hypsor {

inline constexpr int RxBufferSize = 20000;      // bytes a download can hold
inline constexpr int FileReadCap = 9000;        // bytes read from a flight file
inline constexpr int FlightHeaderSize = 32;     // header bytes before the first sample
inline constexpr int AltitudeTableSize = 8000;  // altitudes and the end marker
inline constexpr std::int32_t AltitudeEndMarker = 65535;

using FlightBytes = std::array<std::uint8_t, RxBufferSize>;
using AltitudeTableArray = std::array<std::int32_t, AltitudeTableSize>;

// What the sampling code (low four bits of header byte 7) selects.
struct SamplingCode {
  int TimeLabelStep;         // ten times the samples per second
  std::uint16_t SampleMask;  // 0x1FFF for the two fast rates, else 0x7FFF
  float SampleFullScale;     // 8192.0 or 32767.0
  const char* text;          // as the device settings window lists it; empty for codes 8-15
};
const SamplingCode& SamplingForCode(unsigned code);  // only the low four bits are used

// Header rules shared by downloads, flight files and comparison files.
std::uint32_t CheckedCalibration(std::uint32_t word);  // 9700..10500, otherwise 10000
std::uint32_t CheckedTemperature(std::uint32_t word);  // above 80 (unsigned) becomes 20

// One flight: its bytes as the altimeter sent them and the values that govern its decoding.
// The main flight, the comparison flight and a download in progress are separate Flights.
struct Flight {
  FlightBytes bytes{};
  std::int32_t FlightByteCount = 0;  // bytes of the flight held in `bytes`
  std::uint32_t SampleCount = 0;     // (FlightByteCount - 32) / 2
  // From the header (ApplyFlightHeader):
  unsigned competitor = 0;                  // byte 2
  unsigned serial = 0;                      // bytes 3-4
  std::uint32_t temperature = 20;           // bytes 5-6, checked; the header's value, not an entry
  unsigned samplingCode = 0;                // low nibble of byte 7
  std::uint32_t CalibrationFactor = 10000;  // bytes 8-9, checked
  std::uint16_t SampleMask = 0x7FFF;
  float SampleFullScale = 32767.0f;
  int TimeLabelStep = 1;
  // The temperature the altitudes are computed with: the header's, until the user types another.
  float GroundTemperature = 20.0f;
};

// Puts data (at most RxBufferSize bytes) into a flight and sets its counts. Returns false and
// leaves the flight unchanged when data is shorter than the header.
// The bytes behind the copied ones are zeroed: a Flight never carries an earlier flight's tail.
bool SetFlightBytes(Flight& flight, std::span<const std::uint8_t> data);

// Whether a flight's bytes end in its end marker: 0xFF 0xFF on a word boundary from the end
// within the last 12 bytes. A download stops polling once its bytes do; a flight whose bytes do
// not was cut short.
inline constexpr int EndMarkerWindow = 12;
bool EndMarkerInTail(std::span<const std::uint8_t> bytes);

// Where the end marker of a flight's bytes starts: the first 0xFF 0xFF on a sample's word after
// the header; nothing when there is none.
std::optional<int> EndMarkerOffset(std::span<const std::uint8_t> bytes);

// Interprets header bytes 2-9 of flight.bytes: competitor, serial, calibration, temperature
// (also into GroundTemperature), sampling code with mask, full scale and label step.
void ApplyFlightHeader(Flight& flight);

}  // namespace hypsor
