// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Sessions.h"

#include <algorithm>
#include <span>

namespace hypsor {

namespace {

constexpr std::uint8_t kProbe = '4';
constexpr std::uint8_t kCalibration = 'D';
constexpr std::uint8_t kFlight = '1';
constexpr int kQueryReplySize = 8;
bool EndMarkerReceived(const DeviceChannel& channel) {
  return EndMarkerInTail(channel.Received());
}

SessionNote ZeroingNote(ZeroingOutcome outcome) {
  switch (outcome) {
    case ZeroingOutcome::Ok: return SessionNote::ZeroingAcknowledged;
    case ZeroingOutcome::Refused: return SessionNote::ZeroingRefused;
    case ZeroingOutcome::NoAnswer: return SessionNote::ZeroingNoAnswer;
    case ZeroingOutcome::Cancelled: return SessionNote::ZeroingCancelled;
    case ZeroingOutcome::PortOpenFailed:
    case ZeroingOutcome::CommunicationError: break;
  }
  return SessionNote::ZeroingFailed;
}

}  // namespace

ZeroingResult RunZeroing(DeviceChannel& channel, const QString& portName,
                         const SessionCallbacks& callbacks) {
  ZeroingResult result;
  channel.ClearFault();
  if (!channel.OpenPort(portName)) {
    result.outcome = ZeroingOutcome::PortOpenFailed;
    result.port = channel.LastOpenFailure();
    return result;
  }
  if (callbacks.started) callbacks.started();

  // Bytes 4-7 stay as earlier commands left them.
  if (channel.SendCommand('2', CommandBytes().Set(2, '2').Set(3, '3'))) {
    channel.SettleWait();
    channel.ReadPending();
  }
  const std::span<const std::uint8_t> reply = channel.Received();
  result.replyBytes = channel.RxCount();

  if (channel.Fault() == FailureKind::Cancelled) {
    result.outcome = ZeroingOutcome::Cancelled;
  } else if (channel.Fault() != FailureKind::None) {
    result.outcome = ZeroingOutcome::CommunicationError;
  } else if (reply.size() > 2) {
    const bool acknowledged = reply[1] == 0xAA && reply[2] == 0xAA;
    result.outcome = acknowledged ? ZeroingOutcome::Ok : ZeroingOutcome::Refused;
  } else {
    result.outcome = ZeroingOutcome::NoAnswer;
  }
  channel.Note(ZeroingNote(result.outcome), result.replyBytes);
  channel.ClosePort();
  return result;
}

DownloadResult RunDownload(DeviceChannel& channel, const QString& portName,
                           const SessionCallbacks& callbacks, const DownloadPolling& polling) {
  DownloadResult result;
  channel.ClearFault();
  if (!channel.OpenPort(portName)) {
    result.outcome = DownloadOutcome::PortOpenFailed;
    result.port = channel.LastOpenFailure();
    return result;
  }
  if (callbacks.started) callbacks.started();

  auto fail = [&]() {
    result.fault = channel.Fault();
    result.outcome = result.fault == FailureKind::Cancelled ? DownloadOutcome::Cancelled
                                                             : DownloadOutcome::CommunicationError;
    channel.Note(SessionNote::DownloadFailed);
    channel.ClosePort();
    return result;
  };

  // Probe: the device must answer the status query; its content is not used.
  if (channel.QueryDevice(kProbe) != kQueryReplySize || channel.Fault() != FailureKind::None)
    return fail();

  // Calibration word: a missing or out-of-range answer means the nominal 10000.
  std::uint32_t calibration = 10000;
  if (channel.QueryDevice(kCalibration) == kQueryReplySize) {
    const std::span<const std::uint8_t> reply = channel.Received();
    calibration = CheckedCalibration(reply[2] | (reply[3] << 8));
  }
  if (channel.Fault() != FailureKind::None) return fail();
  result.CalibrationFactor = calibration;

  channel.FlushOutput();
  if (callbacks.beforeFlightRequest) callbacks.beforeFlightRequest();

  result.flightRequested = true;
  // A request that did not go out gets no flight: no reason to poll for one.
  if (!channel.SendCommand(kFlight)) return fail();

  int total = 0;
  for (int poll = 1; poll <= polling.polls; ++poll) {
    channel.Wait(polling.intervalMs);
    if (channel.CheckCancelled()) break;
    total += channel.ReadPending();
    result.polls = poll;
    if (callbacks.progress) callbacks.progress(total, polling.polls - poll);
    if (channel.Fault() != FailureKind::None) break;
    if (total >= FlightHeaderSize && EndMarkerReceived(channel)) {
      result.endMarkerSeen = true;
      break;
    }
  }
  // The marker may stand before more data (a device that sends on after its flight): the
  // flight is whole, and ends there.
  if (!result.endMarkerSeen && total >= FlightHeaderSize) {
    if (const std::optional<int> marker = EndMarkerOffset(channel.Received())) {
      result.endMarkerSeen = true;
      result.bytesAfterEndMarker = total - *marker - 2;
    }
  }
  result.DownloadByteCount = total;
  result.bytesArrived = total + channel.DiscardedCount();
  channel.Note(SessionNote::FlightReceived, total, result.bytesArrived, result.polls,
               result.endMarkerSeen ? 1 : 0);

  // A full buffer ends the flight where it is; a vanished device or a flight shorter than its
  // header leaves nothing worth drawing.
  const bool full = channel.Fault() == FailureKind::ReceiveOverflow;
  if ((channel.Fault() != FailureKind::None && !full) || total < FlightHeaderSize) return fail();
  result.fault = channel.Fault();
  channel.Note(result.endMarkerSeen ? SessionNote::DownloadComplete
                                    : SessionNote::DownloadWithoutMarker);
  channel.ClosePort();

  Flight& flight = result.flight.emplace();
  SetFlightBytes(flight, channel.Received());
  // The flight carries the calibration it is to be decoded with, whatever the device sent there.
  flight.bytes[8] = static_cast<std::uint8_t>(calibration & 0xFF);
  flight.bytes[9] = static_cast<std::uint8_t>((calibration >> 8) & 0xFF);
  ApplyFlightHeader(flight);
  result.outcome = DownloadOutcome::Ok;
  return result;
}

}  // namespace hypsor
