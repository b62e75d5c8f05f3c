// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The altimeter's side of the serial protocol: assembling command frames and deciding what goes
// back on the line. No I/O here; main.cpp moves the bytes and Transmitter paces them.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace hypsor::sim {

using Frame = std::array<std::uint8_t, 8>;

// Ways the simulated device misbehaves on purpose; one at a time.
enum class Fault {
  kNone,
  kSilent,         // never answers
  kShortReplies,   // 5-byte query replies, 2-byte zeroing reply
  kRefuseWrites,   // settings writes and zeroing refused
  kNoEndMarker,    // flight without its closing 0xFF 0xFF
  kGarbageAfter,   // noise after the flight's end marker
  kStall,          // half the flight, then nothing
  kEndless,        // any command starts a stream that never ends
  kEndlessFlight,  // queries answered; the flight request starts a stream that never ends
  kHangup,         // half the flight, then the device disappears
  kResetShort,     // 2-byte zeroing reply
  kResetRefused,   // zeroing reply 0xAA 0x55
};

std::optional<Fault> ParseFault(std::string_view name);
// All fault names, for the usage text.
std::string_view FaultNames();

// What the device keeps in its own memory.
struct DeviceSettings {
  std::uint8_t competitor = 7;
  std::uint16_t serial = 1234;
  std::uint16_t temperatureCalibration = 25;
  std::uint16_t triggerHeight = 50;
  std::uint8_t samplingCode = 3;
  std::uint8_t manualZeroing = 0;
  std::uint16_t calibrationWord = 10000;
};

// One answer as it goes on the line.
struct Reply {
  std::vector<std::uint8_t> bytes;
  std::chrono::microseconds delay{0};  // the device's reaction time before the first byte
  bool endless = false;                // after `bytes`, noise forever
  bool hangUp = false;                 // the device disappears once `bytes` are out
};

// Deterministic filler for noise and endless streams; never 0xFF, so it never forms an end marker.
std::uint8_t NoiseByte(std::uint64_t index);

// Collects received bytes into 8-byte frames. Bytes in front of an "e" are dropped, and a partial
// frame left alone for longer than a real sender would pause inside a frame is discarded, so one
// lost or stray byte does not shift every later frame.
class FrameAssembler {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kStaleAfter{200};

  // Appends `data`; complete frames go to `out`. Returns the number of bytes dropped.
  std::size_t Push(const std::uint8_t* data, std::size_t size, Clock::time_point now,
                   std::vector<Frame>& out);

 private:
  Frame partial_{};
  std::size_t filled_ = 0;
  Clock::time_point lastByte_{};
};

class Altimeter {
 public:
  // Supplies the flight image for a "1" request, from the device's current settings.
  using FlightSource = std::function<std::vector<std::uint8_t>(const DeviceSettings&)>;

  Altimeter(DeviceSettings settings, Fault fault, FlightSource flight);

  // The device's reaction to one frame; nothing when it stays quiet.
  std::optional<Reply> Answer(const Frame& frame);

  const DeviceSettings& settings() const { return settings_; }

 private:
  std::optional<Reply> Flight();
  Reply Query(std::vector<std::uint8_t> bytes) const;
  Reply Acknowledge(std::uint8_t command) const;
  std::optional<Reply> Zeroing(const Frame& frame) const;

  DeviceSettings settings_;
  Fault fault_;
  FlightSource flight_;
  bool streaming_ = false;  // endless fault: the stream has started and nothing else gets through
};

}  // namespace hypsor::sim
