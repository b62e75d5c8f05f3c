// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include <QString>

#include "device/DeviceChannel.h"
#include "flight/FlightData.h"

namespace hypsor {

inline constexpr int DownloadPolls = 30;
inline constexpr int DownloadPollMs = 300;

// Hooks a caller may give a session. All are optional and run on the calling thread.
struct SessionCallbacks {
  // The port is open and the exchange begins (the window shows its wait banner here).
  std::function<void()> started;
  // Just before the flight request: the window clears its curves.
  std::function<void()> beforeFlightRequest;
  // After every download poll: bytes received so far and polls left.
  std::function<void(int bytesReceived, int pollsLeft)> progress;
};

enum class ZeroingOutcome {
  Ok,        // the device acknowledged with 0xAA 0xAA
  Refused,   // a reply of 3 bytes or more without the acknowledgement
  NoAnswer,  // 2 bytes or fewer: nothing is reported to the user
  PortOpenFailed,
  CommunicationError,  // device gone or a reply that never ended
  Cancelled,           // the user cancelled it; the port is closed
};

struct ZeroingResult {
  ZeroingOutcome outcome = ZeroingOutcome::NoAnswer;
  int replyBytes = 0;
  Failure port;  // for PortOpenFailed: why the port did not open
};

// Zeroes the altimeter: opens the port, sends "e" "2" "2" "3" (bytes 4-7 as left by earlier
// commands), judges the reply and closes the port. The confirmation is the caller's.
ZeroingResult RunZeroing(DeviceChannel& channel, const QString& portName,
                         const SessionCallbacks& callbacks = {});

// Cancelled: the user cancelled it; the port is closed and nothing was taken.
enum class DownloadOutcome { Ok, PortOpenFailed, CommunicationError, Cancelled };

struct DownloadResult {
  DownloadOutcome outcome = DownloadOutcome::CommunicationError;
  // The downloaded flight: its bytes as received with the calibration in bytes 8-9 and its
  // header applied. Only a successful download has one; a failure leaves the caller's flight.
  std::optional<Flight> flight;
  std::int32_t DownloadByteCount = 0;  // bytes the flight request produced, also on failure
  std::uint32_t CalibrationFactor = 10000;
  bool flightRequested = false;  // false: the failure came before the flight was asked for
  bool endMarkerSeen = false;    // false: polling ended by its limit or a full buffer
  // Bytes that came after the end marker (the marker itself not counted); the flight ends at
  // the marker and endMarkerSeen is true.
  std::int32_t bytesAfterEndMarker = 0;
  // Bytes that arrived for the flight, also those thrown away once the buffer was full.
  std::int64_t bytesArrived = 0;
  int polls = 0;
  FailureKind fault = FailureKind::None;  // the channel's fault, if any (DeviceChannel::Fault)
  Failure port;  // for PortOpenFailed: why the port did not open
};

// How often and how long a download polls for the flight. The altimeter needs the defaults at
// its line rate; a faster peer (a simulator without pacing) can be polled faster.
struct DownloadPolling {
  int polls = DownloadPolls;
  int intervalMs = DownloadPollMs;
};

// Downloads the last recorded flight: probe "4", calibration "D", flight request "1", then up to
// `polls` polls until the end marker 0xFF 0xFF shows among the last 12 bytes. A flight that
// fills the receive buffer ends polling and is taken as far as it fits, like one that ends by
// the poll limit (endMarkerSeen tells them from a whole flight). The port is closed on every
// path.
DownloadResult RunDownload(DeviceChannel& channel, const QString& portName,
                           const SessionCallbacks& callbacks = {},
                           const DownloadPolling& polling = {});

}  // namespace hypsor
