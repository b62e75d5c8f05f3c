// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Altimeter.h"

#include <cstdio>
#include <utility>

#include "sim/Diagnostics.h"

namespace hypsor::sim {

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr std::uint8_t kFrameStart = 'e';

constexpr std::uint8_t kSendFlight = '1';
constexpr std::uint8_t kZero = '2';
constexpr std::uint8_t kReportSettings = '4';
constexpr std::uint8_t kWriteSettings = '5';
constexpr std::uint8_t kReportZeroingMode = 'B';
constexpr std::uint8_t kWriteZeroingMode = 'C';
constexpr std::uint8_t kReportCalibration = 'D';

constexpr std::uint8_t kWriteAccepted = 0xA5;
constexpr std::uint8_t kWriteRefused = 0x5A;
constexpr std::uint8_t kZeroAccepted = 0xAA;
constexpr std::uint8_t kZeroRefused = 0x55;

// Reaction times of the firmware: a query is answered from RAM, a write goes to EEPROM first,
// zeroing samples the ground pressure, and a flight read starts with a memory seek.
constexpr microseconds kQueryDelay = milliseconds(3);
constexpr microseconds kWriteDelay = milliseconds(6);
constexpr microseconds kZeroDelay = milliseconds(20);
constexpr microseconds kFlightDelay = milliseconds(5);

constexpr std::size_t kShortQueryLength = 5;
constexpr std::size_t kShortZeroLength = 2;
constexpr std::size_t kGarbageLength = 300;
constexpr std::size_t kHeaderLength = 32;

std::uint8_t Low(std::uint16_t w) {
  return static_cast<std::uint8_t>(w & 0xFF);
}
std::uint8_t High(std::uint16_t w) {
  return static_cast<std::uint8_t>(w >> 8);
}
std::uint16_t Word(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint16_t>(low | (high << 8));
}

// The flight up to (not including) its end marker: the first 0xFFFF sample word.
std::vector<std::uint8_t> WithoutEndMarker(std::vector<std::uint8_t> image) {
  for (std::size_t at = kHeaderLength; at + 1 < image.size(); at += 2) {
    if (image[at] == 0xFF && image[at + 1] == 0xFF) {
      image.resize(at);
      return image;
    }
  }
  return image;
}

// About half the flight, cut at a sample boundary.
std::vector<std::uint8_t> FirstHalf(std::vector<std::uint8_t> image) {
  image.resize((image.size() / 2) & ~std::size_t{1});
  return image;
}

}  // namespace

std::optional<Fault> ParseFault(std::string_view name) {
  static constexpr std::pair<std::string_view, Fault> kNames[] = {
      {"none", Fault::kNone},
      {"silent", Fault::kSilent},
      {"short-replies", Fault::kShortReplies},
      {"refuse-writes", Fault::kRefuseWrites},
      {"no-end-marker", Fault::kNoEndMarker},
      {"garbage-after", Fault::kGarbageAfter},
      {"stall", Fault::kStall},
      {"endless", Fault::kEndless},
      {"endless-flight", Fault::kEndlessFlight},
      {"hangup", Fault::kHangup},
      {"reset-short", Fault::kResetShort},
      {"reset-refused", Fault::kResetRefused},
  };
  for (const auto& [text, fault] : kNames) {
    if (text == name) return fault;
  }
  return std::nullopt;
}

std::string_view FaultNames() {
  return "silent, short-replies, refuse-writes, no-end-marker, garbage-after, stall, endless, "
         "endless-flight, hangup, reset-short, reset-refused";
}

std::uint8_t NoiseByte(std::uint64_t index) {
  // splitmix64 finaliser: cheap, well mixed, the same on every run.
  std::uint64_t z = index + 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<std::uint8_t>(z % 255);
}

std::size_t FrameAssembler::Push(const std::uint8_t* data, std::size_t size, Clock::time_point now,
                                 std::vector<Frame>& out) {
  std::size_t dropped = 0;
  if (filled_ > 0 && now - lastByte_ > kStaleAfter) {
    dropped += filled_;
    filled_ = 0;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (filled_ == 0 && data[i] != kFrameStart) {
      ++dropped;
      continue;
    }
    partial_[filled_++] = data[i];
    if (filled_ == partial_.size()) {
      out.push_back(partial_);
      filled_ = 0;
    }
  }
  if (size > 0) lastByte_ = now;
  return dropped;
}

Altimeter::Altimeter(DeviceSettings settings, Fault fault, FlightSource flight)
    : settings_(settings), fault_(fault), flight_(std::move(flight)) {}

Reply Altimeter::Query(std::vector<std::uint8_t> bytes) const {
  if (fault_ == Fault::kShortReplies) bytes.resize(kShortQueryLength);
  Reply reply{std::move(bytes), kQueryDelay};
  return reply;
}

Reply Altimeter::Acknowledge(std::uint8_t command) const {
  const std::uint8_t verdict = fault_ == Fault::kRefuseWrites ? kWriteRefused : kWriteAccepted;
  return Reply{{command, verdict}, kWriteDelay};
}

std::optional<Reply> Altimeter::Zeroing(const Frame& frame) const {
  // The firmware zeroes only on the full "e223" command, a guard against a stray "e2".
  if (frame[2] != '2' || frame[3] != '3') {
    Diagnose("zeroing frame without \"23\" in bytes 2-3, ignored");
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes{kZero, kZeroAccepted, kZeroAccepted, 0, 0, 0, 0, 0};
  if (fault_ == Fault::kRefuseWrites || fault_ == Fault::kResetRefused) bytes[2] = kZeroRefused;
  if (fault_ == Fault::kShortReplies || fault_ == Fault::kResetShort) {
    bytes.resize(kShortZeroLength);
  }
  return Reply{std::move(bytes), kZeroDelay};
}

std::optional<Reply> Altimeter::Flight() {
  std::vector<std::uint8_t> image = flight_(settings_);
  Reply reply{{}, kFlightDelay};
  switch (fault_) {
    case Fault::kNoEndMarker:
      reply.bytes = WithoutEndMarker(std::move(image));
      break;
    case Fault::kGarbageAfter:
      reply.bytes = std::move(image);
      for (std::size_t i = 0; i < kGarbageLength; ++i) reply.bytes.push_back(NoiseByte(i));
      break;
    case Fault::kStall:
      reply.bytes = FirstHalf(std::move(image));
      break;
    case Fault::kHangup:
      reply.bytes = FirstHalf(std::move(image));
      reply.hangUp = true;
      break;
    case Fault::kEndless:
    case Fault::kEndlessFlight:
      reply.bytes = WithoutEndMarker(std::move(image));
      reply.endless = true;
      break;
    default:
      reply.bytes = std::move(image);
      break;
  }
  return reply;
}

std::optional<Reply> Altimeter::Answer(const Frame& frame) {
  if (fault_ == Fault::kSilent || streaming_) return std::nullopt;
  if (frame[0] != kFrameStart) return std::nullopt;

  std::optional<Reply> reply;
  switch (frame[1]) {
    case kSendFlight:
      reply = Flight();
      break;
    case kZero:
      reply = Zeroing(frame);
      break;
    case kReportSettings: {
      const DeviceSettings& s = settings_;
      reply = Query({s.competitor, Low(s.serial), High(s.serial), Low(s.temperatureCalibration),
                     High(s.temperatureCalibration), Low(s.triggerHeight), High(s.triggerHeight),
                     s.samplingCode});
      break;
    }
    case kReportZeroingMode:
      reply = Query({settings_.manualZeroing, 0, 0, 0, 0, 0, 0, 0});
      break;
    case kReportCalibration:
      reply = Query(
          {0, 0, Low(settings_.calibrationWord), High(settings_.calibrationWord), 0, 0, 0, 0});
      break;
    case kWriteSettings:
      // A refusing device keeps what it had.
      if (fault_ != Fault::kRefuseWrites) {
        settings_.competitor = frame[2];
        settings_.temperatureCalibration = Word(frame[3], frame[4]);
        settings_.triggerHeight = Word(frame[5], frame[6]);
        settings_.samplingCode = frame[7];
      }
      reply = Acknowledge(kWriteSettings);
      break;
    case kWriteZeroingMode:
      if (fault_ != Fault::kRefuseWrites) settings_.manualZeroing = frame[2];
      reply = Acknowledge(kWriteZeroingMode);
      break;
    default:
      Diagnose("unknown command byte 0x%02x, no answer", frame[1]);
      return std::nullopt;
  }
  if (reply && fault_ == Fault::kEndless) {
    reply->endless = true;
    streaming_ = true;
  }
  return reply;
}

}  // namespace hypsor::sim
