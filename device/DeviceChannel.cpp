// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceChannel.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"

namespace hypsor {

namespace {

// Why the named port did not open, with what the words need, found while the failure is fresh.
Failure PortFailure(PortOpenError error, const QString& portName, const QString& location,
                    const QString& systemText) {
  Failure f = Failure::System(FailureKind::PortOpen, portName, systemText);
  f.detail = location;
  switch (error) {
    case PortOpenError::NotFound:
      f.kind = FailureKind::PortNotFound;
      for (const SerialDeviceInfo& d : SerialDevicesPresent()) f.names << d.name;
      break;
    case PortOpenError::Busy:
      f.kind = FailureKind::PortBusy;
      break;
    case PortOpenError::Permission:
      f.kind = FailureKind::PortPermission;
      // The group to join, where the system grants ports that way; Debian's when it has no name.
      f.detail.clear();
      if (PortAccessByGroup()) {
        f.detail = DeviceNodeGroup(location);
        if (f.detail.isEmpty()) f.detail = QStringLiteral("dialout");
      }
      break;
    case PortOpenError::NotASerialPort:
      f.kind = FailureKind::PortNotSerial;
      break;
    case PortOpenError::BadName:
      f.kind = FailureKind::PortNameRefused;
      break;
    case PortOpenError::Other:
    case PortOpenError::None:
      break;
  }
  return f;
}

}  // namespace

CommandBytes& CommandBytes::Set(int index, std::uint8_t value) {
  assert(index >= 2 && index < CommandFrameSize);
  bytes_[static_cast<std::size_t>(index)] = value;
  set_[static_cast<std::size_t>(index)] = true;
  return *this;
}

CommandBytes& CommandBytes::Set(int first, std::span<const std::uint8_t> values) {
  for (std::uint8_t v : values) Set(first++, v);
  return *this;
}

void CommandBytes::WriteInto(std::array<std::uint8_t, CommandFrameSize>& frame) const {
  for (std::size_t i = 0; i < frame.size(); ++i)
    if (set_[i]) frame[i] = bytes_[i];
}

DeviceChannel::DeviceChannel()
    : ownPort_(std::make_unique<SerialPort>()), port_(ownPort_.get()), clock_(&SystemClock()) {}

DeviceChannel::DeviceChannel(SerialLine& line, Clock& clock) : port_(&line), clock_(&clock) {}

DeviceChannel::~DeviceChannel() = default;

bool DeviceChannel::OpenPort(const QString& portName) {
  if (port_->IsOpen()) return true;
  const QString location = SerialPort::SystemLocation(portName);
  const bool allowed = portName.startsWith(QLatin1Char('/'))
                           ? AcceptPaths_
                           : SerialPort::RelativeNameAllowed(portName);
  PortOpenError error = PortOpenError::BadName;
  QString systemText;
  if (allowed) {
    if (port_->Open(portName)) {
      openFailure_ = {};
      if (Log_) Log_->PortOpened(portName, port_->Location());
      return true;
    }
    error = port_->OpenError();
    systemText = port_->ErrorText();
  }
  openFailure_ = PortFailure(error, portName, location, systemText);
  if (Log_) Log_->OpenFailed(portName, systemText.isEmpty() ? location : systemText);
  return false;
}

bool DeviceChannel::ClosePort() {
  if (!port_->IsOpen()) return false;
  port_->Close();
  if (Log_) Log_->PortClosed();
  return true;
}

void DeviceChannel::SetFault(FailureKind fault) {
  fault_ = fault;
  if (Log_) Log_->Fault(fault);
}

void DeviceChannel::SetCancelFlag(const std::atomic<bool>* flag) {
  cancel_ = flag;
  if (ownPort_) ownPort_->SetCancelFlag(flag);
}

bool DeviceChannel::CheckCancelled() {
  if (fault_ == FailureKind::Cancelled) return true;
  if (!cancel_ || !cancel_->load()) return false;
  SetFault(FailureKind::Cancelled);
  return true;
}

void DeviceChannel::Wait(int ms) {
  while (ms > 0 && !CheckCancelled()) {
    const int step = std::min(ms, kWaitStepMs);
    clock_->Pause(step);
    ms -= step;
  }
}

void DeviceChannel::DeviceGone() {
  SetFault(FailureKind::DeviceGone);
  ClosePort();
}

bool DeviceChannel::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!port_->IsOpen()) return false;
  const bool sent = port_->WriteAndWait(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  if (Log_) Log_->Sent(bytes, sent);
  if (sent) return true;
  if (port_->DeviceGone())
    DeviceGone();
  else if (!CheckCancelled())  // a Cancel also ends the wait for the frame to leave the line
    SetFault(FailureKind::FrameNotSent);
  return false;
}

std::optional<std::int64_t> DeviceChannel::QueryPending() {
  const std::int64_t room = RxBufferSize - RxCount_;
  const std::int64_t waiting = port_->BytesWaiting(std::max<std::int64_t>(room, ReadCap) + 1);
  if (waiting < 0) {
    DeviceGone();
    return std::nullopt;
  }
  PendingCount_ = static_cast<std::uint32_t>(
      std::min<std::int64_t>(waiting, std::numeric_limits<std::uint32_t>::max()));
  return waiting;
}

int DeviceChannel::ReadPending() {
  if (!port_->IsOpen()) return 0;
  RxBuffer_[0] = 0;
  const std::int32_t start = RxCount_;
  const std::optional<std::int64_t> pending = QueryPending();
  if (!pending) return 0;
  const std::int64_t waiting = *pending;
  if (waiting == 0) {
    if (Log_) Log_->Read({}, 0, 0);
    return 0;
  }

  const std::int64_t take = std::min<std::int64_t>(PendingCount_, ReadCap);
  const std::int64_t room = RxBufferSize - RxCount_;
  const std::int64_t keep = std::min(take, room);
  std::int64_t stored = 0;
  if (keep > 0) {
    stored = port_->Read(RxBuffer_.data() + RxCount_, keep);
    if (stored < 0) {
      if (Log_) Log_->Read({}, waiting, 0);
      if (port_->DeviceGone()) DeviceGone();
      return 0;
    }
    RxCount_ += static_cast<std::int32_t>(stored);
  }
  std::int64_t discarded = 0;
  if (take > keep) {
    // The buffer is full: take the rest off the queue so it does not pile up, and say so.
    std::array<std::uint8_t, 512> scratch;
    std::int64_t left = take - keep;
    while (left > 0) {
      const std::int64_t n =
          port_->Read(scratch.data(), std::min<std::int64_t>(left, scratch.size()));
      if (n <= 0) break;
      left -= n;
      discarded += n;
    }
    DiscardedCount_ += discarded;
  }
  if (Log_)
    Log_->Read(
        std::span<const std::uint8_t>(RxBuffer_.data() + start, static_cast<std::size_t>(stored)),
        waiting, discarded);
  if (take > keep) SetFault(FailureKind::ReceiveOverflow);
  return static_cast<int>(stored);
}

bool DeviceChannel::SettleWait() {
  if (!port_->IsOpen()) return true;
  const std::int64_t started = clock_->NowMs();
  const std::optional<std::int64_t> first = QueryPending();
  if (!first) return false;
  std::int64_t last = *first;
  for (;;) {
    Wait(SettleStepMs);
    if (fault_ == FailureKind::Cancelled) return false;
    const std::optional<std::int64_t> pending = QueryPending();
    if (!pending) return false;
    const std::int64_t now = *pending;
    if (now <= last) return true;
    last = now;
    // A reply that fills the buffer or is still growing after seconds is no reply we know.
    if (now >= RxBufferSize - RxCount_ || clock_->NowMs() - started >= SettleLimitMs) {
      SetFault(FailureKind::EndlessReply);
      return false;
    }
  }
}

void DeviceChannel::FlushOutput() {
  if (!port_->IsOpen()) return;
  if (!port_->FlushOutput() && port_->DeviceGone()) DeviceGone();
}

void DeviceChannel::BeginCommand(std::uint8_t code, const CommandBytes& bytes) {
  RxCount_ = 0;
  ReadPosition_ = 0;
  DiscardedCount_ = 0;
  FlushOutput();
  CommandFrame_[0] = 'e';
  CommandFrame_[1] = code;
  bytes.WriteInto(CommandFrame_);
}

bool DeviceChannel::SendCommand(std::uint8_t code, const CommandBytes& bytes) {
  BeginCommand(code, bytes);
  return SendFrame(CommandFrame_);
}

int DeviceChannel::QueryDevice(std::uint8_t code) {
  // A frame that did not go out gets no reply worth waiting for.
  if (!SendCommand(code)) return 0;
  SettleWait();
  return ReadPending();
}

}  // namespace hypsor
