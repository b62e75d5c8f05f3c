// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceChannel.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"

namespace hypsor {

namespace {

QString FaultName(ChannelFault fault) {
  switch (fault) {
    case ChannelFault::None:
      return QStringLiteral("none");
    case ChannelFault::DeviceGone:
      return QStringLiteral("the device went away");
    case ChannelFault::Overflow:
      return QStringLiteral("more bytes than the receive buffer holds");
    case ChannelFault::Endless:
      return QStringLiteral("a reply that does not end");
    case ChannelFault::Cancelled:
      return QStringLiteral("cancelled by the user");
    case ChannelFault::WriteFailed:
      return QStringLiteral("a frame could not be sent");
  }
  return {};
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
  PortFailure failure;
  failure.portName = portName;
  failure.location = SerialPort::SystemLocation(portName);
  const bool allowed = portName.startsWith(QLatin1Char('/'))
                           ? AcceptPaths_
                           : SerialPort::RelativeNameAllowed(portName);
  if (!allowed) {
    failure.error = PortOpenError::BadName;
  } else if (port_->Open(portName)) {
    openFailure_ = {};
    if (Log_) Log_->PortOpened(portName, port_->Location());
    return true;
  } else {
    failure.error = port_->OpenError();
    failure.systemText = port_->ErrorText();
  }
  // What the message needs to say why, found while the failure is fresh.
  if (failure.error == PortOpenError::Permission) failure.group = DeviceNodeGroup(failure.location);
  if (failure.error == PortOpenError::NotFound)
    for (const SerialDeviceInfo& d : SerialDevicesPresent()) failure.devicesPresent << d.name;
  openFailure_ = failure;
  if (Log_)
    Log_->OpenFailed(portName,
                     failure.systemText.isEmpty() ? failure.location : failure.systemText);
  return false;
}

int DeviceChannel::ClosePort() {
  if (!port_->IsOpen()) return 0;
  port_->Close();
  if (Log_) Log_->PortClosed();
  return 1;
}

void DeviceChannel::SetFault(ChannelFault fault) {
  fault_ = fault;
  Note(QStringLiteral("fault: ") + FaultName(fault));
}

void DeviceChannel::SetCancelFlag(const std::atomic<bool>* flag) {
  cancel_ = flag;
  if (ownPort_) ownPort_->SetCancelFlag(flag);
}

bool DeviceChannel::CheckCancelled() {
  if (fault_ == ChannelFault::Cancelled) return true;
  if (!cancel_ || !cancel_->load()) return false;
  SetFault(ChannelFault::Cancelled);
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
  SetFault(ChannelFault::DeviceGone);
  ClosePort();
}

int DeviceChannel::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!port_->IsOpen()) return 0;
  const bool sent = port_->WriteAndWait(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  if (Log_) Log_->Sent(bytes, sent);
  if (sent) return 1;
  if (port_->DeviceGone())
    DeviceGone();
  else if (!CheckCancelled())  // a Cancel also ends the wait for the frame to leave the line
    SetFault(ChannelFault::WriteFailed);
  return 0;
}

std::int64_t DeviceChannel::QueryPending() {
  const std::int64_t room = RxBufferSize - RxCount_;
  const std::int64_t waiting = port_->BytesWaiting(std::max<std::int64_t>(room, ReadCap) + 1);
  if (waiting < 0) {
    DeviceGone();
    return -1;
  }
  PendingCount_ = static_cast<std::uint32_t>(
      std::min<std::int64_t>(waiting, std::numeric_limits<std::uint32_t>::max()));
  return waiting;
}

int DeviceChannel::ReadPending() {
  if (!port_->IsOpen()) return 0;
  RxBuffer_[0] = 0;
  const std::int32_t start = RxCount_;
  const std::int64_t waiting = QueryPending();
  if (waiting <= 0) {
    if (Log_ && waiting == 0) Log_->Read({}, 0, 0);
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
  if (take > keep) SetFault(ChannelFault::Overflow);
  return static_cast<int>(stored);
}

bool DeviceChannel::SettleWait() {
  if (!port_->IsOpen()) return true;
  const std::int64_t started = clock_->NowMs();
  std::int64_t last = QueryPending();
  if (last < 0) return false;
  for (;;) {
    Wait(SettleStepMs);
    if (fault_ == ChannelFault::Cancelled) return false;
    const std::int64_t now = QueryPending();
    if (now < 0) return false;
    if (now <= last) return true;
    last = now;
    // A reply that fills the buffer or is still growing after seconds is no reply we know.
    if (now >= RxBufferSize - RxCount_ || clock_->NowMs() - started >= SettleLimitMs) {
      SetFault(ChannelFault::Endless);
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

int DeviceChannel::SendCommand(std::uint8_t code, const CommandBytes& bytes) {
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
