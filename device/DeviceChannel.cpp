#include "device/DeviceChannel.h"

#include <algorithm>
#include <limits>

#include <QDeadlineTimer>

#include "platform/Pause.h"

namespace hypsor {

bool DeviceChannel::OpenPort(const QString& portName) {
  if (PortHandle.IsOpen()) return true;
  if (PortHandle.Open(portName)) {
    openFailure_ = {};
    return true;
  }
  openFailure_ = {PortHandle.OpenError(), portName, PortHandle.ErrorText()};
  return false;
}

int DeviceChannel::ClosePort() {
  if (!PortHandle.IsOpen()) return 0;
  PortHandle.Close();
  return 1;
}

void DeviceChannel::DeviceGone() {
  fault_ = ChannelFault::DeviceGone;
  ClosePort();
}

int DeviceChannel::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!PortHandle.IsOpen()) return 0;
  if (PortHandle.WriteAndWait(bytes.data(), static_cast<std::int64_t>(bytes.size()))) return 1;
  if (PortHandle.DeviceGone()) DeviceGone();
  return 0;
}

std::int64_t DeviceChannel::QueryPending() {
  const std::int64_t room = RxBufferSize - RxCount;
  const std::int64_t waiting = PortHandle.BytesWaiting(std::max<std::int64_t>(room, ReadCap) + 1);
  if (waiting < 0) {
    DeviceGone();
    return -1;
  }
  PendingCount = static_cast<std::uint32_t>(
      std::min<std::int64_t>(waiting, std::numeric_limits<std::uint32_t>::max()));
  return waiting;
}

int DeviceChannel::ReadPending() {
  if (!PortHandle.IsOpen()) return 0;
  RxBuffer[0] = 0;
  // The count is ours to keep in range, whoever set it last.
  RxCount = std::clamp<std::int32_t>(RxCount, 0, RxBufferSize);
  if (QueryPending() <= 0) return 0;

  const std::int64_t take = std::min<std::int64_t>(PendingCount, ReadCap);
  const std::int64_t room = RxBufferSize - RxCount;
  const std::int64_t keep = std::min(take, room);
  std::int64_t stored = 0;
  if (keep > 0) {
    stored = PortHandle.Read(RxBuffer.data() + RxCount, keep);
    if (stored < 0) {
      if (PortHandle.DeviceGone()) DeviceGone();
      return 0;
    }
    RxCount += static_cast<std::int32_t>(stored);
  }
  if (take > keep) {
    // The buffer is full: take the rest off the queue so it does not pile up, and say so.
    std::array<std::uint8_t, 512> scratch;
    std::int64_t left = take - keep;
    while (left > 0) {
      const std::int64_t n =
          PortHandle.Read(scratch.data(), std::min<std::int64_t>(left, scratch.size()));
      if (n <= 0) break;
      left -= n;
    }
    fault_ = ChannelFault::Overflow;
  }
  return static_cast<int>(stored);
}

bool DeviceChannel::SettleWait() {
  if (!PortHandle.IsOpen()) return true;
  QDeadlineTimer limit(SettleLimitMs);
  std::int64_t last = QueryPending();
  if (last < 0) return false;
  for (;;) {
    Pause(SettleStepMs);
    const std::int64_t now = QueryPending();
    if (now < 0) return false;
    if (now <= last) return true;
    last = now;
    // A reply that fills the buffer or is still growing after seconds is no reply we know.
    if (now >= RxBufferSize - RxCount || limit.hasExpired()) {
      fault_ = ChannelFault::Endless;
      return false;
    }
  }
}

void DeviceChannel::FlushOutput() {
  if (!PortHandle.IsOpen()) return;
  if (!PortHandle.FlushOutput() && PortHandle.DeviceGone()) DeviceGone();
}

int DeviceChannel::SendCommand(std::uint8_t code) {
  RxCount = 0;
  ReadPosition = 0;
  FlushOutput();
  CommandFrame[0] = 'e';
  CommandFrame[1] = code;
  return SendFrame(CommandFrame);
}

int DeviceChannel::QueryDevice(std::uint8_t code) {
  SendCommand(code);
  SettleWait();
  return ReadPending();
}

}  // namespace hypsor
