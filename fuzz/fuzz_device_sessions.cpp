// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the device sessions against a device that answers whatever the input says.
// The first 8 bytes are the settings an upload writes; the rest is the device's script, one
// reply per frame it receives:
//   head byte: bits 0-3 the number of pieces, bit 4 a hang-up (next byte x 20 ms after the frame)
//   each piece: a delay byte (x 16 ms), then a length byte; below 0x80 that many bytes follow,
//   otherwise ((length & 0x7F) << 8 | next byte) copies of the byte after that.
// Zeroing, download, settings read, raw upload and checked upload run in turn on virtual time.
// Whatever comes, every session ends within its time bound, leaves the port as it promises and
// reports counts that agree with each other.
#include <algorithm>
#include <cstdint>

#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/Sessions.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Clock.h"
#include "platform/ScriptedLine.h"
#include "text/CommunicationLogText.h"

using hypsor::fuzz::Check;

namespace {

class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  int Next() { return at_ < size_ ? data_[at_++] : -1; }

  hypsor::ScriptedReply Reply() {
    hypsor::ScriptedReply reply;
    const int head = Next();
    if (head < 0) return reply;
    if (head & 0x10) reply.hangUpAfterMs = std::max(0, Next()) * 20;
    for (int k = 0; k < (head & 0x0F); ++k) {
      const int delay = Next();
      const int length = Next();
      if (delay < 0 || length < 0) break;
      QByteArray bytes;
      if (length & 0x80) {
        const int count = ((length & 0x7F) << 8) | std::max(0, Next());
        bytes.fill(static_cast<char>(std::max(0, Next())), count);
      } else {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), size_ - at_);
        bytes = QByteArray(reinterpret_cast<const char*>(data_ + at_), static_cast<qsizetype>(n));
        at_ += n;
      }
      reply.pieces.push_back({delay * 16, bytes});
    }
    return reply;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The longest a settle wait can take: its limit, the step that crosses it and the last count.
constexpr std::int64_t kSettleBoundMs = hypsor::SettleLimitMs + 2 * hypsor::SettleStepMs;

void CheckBuffer(const hypsor::DeviceChannel& channel) {
  Check(channel.RxCount() >= 0 && channel.RxCount() <= hypsor::RxBufferSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  hypsor::RawSettings raw;
  std::copy_n(data, raw.settings.size(), raw.settings.begin());
  raw.zeroing = data[6];
  const std::uint8_t choices = data[7];

  Script script(data + 8, size - 8);
  hypsor::VirtualClock clock;
  hypsor::ScriptedLine line(clock,
                            [&](const hypsor::ScriptedLine::Frame&) { return script.Reply(); });
  hypsor::DeviceChannel channel(line, clock);
  hypsor::CommunicationLog log;
  const bool logged = choices & 1;
  if (logged) channel.SetLog(&log);
  const QString port = QStringLiteral("ttyFUZZ0");

  // A device that hung up is gone for good, and opening it again would only have the system list
  // its serial devices for the message each time: the sessions after a hang-up are skipped.
  auto gone = [&line] { return line.DeviceGone(); };

  std::int64_t start = clock.NowMs();
  const hypsor::ZeroingResult zeroing = hypsor::RunZeroing(channel, port);
  Check(!channel.IsOpen());
  CheckBuffer(channel);
  Check(clock.NowMs() - start <= kSettleBoundMs);
  Check(zeroing.replyBytes == channel.RxCount());
  if (zeroing.outcome == hypsor::ZeroingOutcome::Ok ||
      zeroing.outcome == hypsor::ZeroingOutcome::Refused)
    Check(zeroing.replyBytes > 2);
  if (zeroing.outcome == hypsor::ZeroingOutcome::NoAnswer) Check(zeroing.replyBytes <= 2);
  if (zeroing.outcome == hypsor::ZeroingOutcome::PortOpenFailed)
    Check(zeroing.port.Failed());

  if (gone()) return 0;
  start = clock.NowMs();
  const hypsor::DownloadPolling polling{hypsor::DownloadPolls, hypsor::DownloadPollMs};
  const hypsor::DownloadResult download = hypsor::RunDownload(channel, port, {}, polling);
  Check(!channel.IsOpen());
  CheckBuffer(channel);
  Check(clock.NowMs() - start <= 2 * kSettleBoundMs + polling.polls * polling.intervalMs);
  Check(download.polls >= 0 && download.polls <= polling.polls);
  Check(download.flight.has_value() == (download.outcome == hypsor::DownloadOutcome::Ok));
  Check(download.bytesArrived >= download.DownloadByteCount);
  Check(download.CalibrationFactor >= 9700 && download.CalibrationFactor <= 10500);
  if (download.flight) {
    Check(download.DownloadByteCount >= hypsor::FlightHeaderSize);
    Check(download.DownloadByteCount <= hypsor::RxBufferSize);
    Check(static_cast<int>(download.flight->FlightByteCount) == download.DownloadByteCount);
    Check((download.flight->bytes[8] | (download.flight->bytes[9] << 8)) ==
          static_cast<int>(download.CalibrationFactor));
    Check(download.fault == hypsor::FailureKind::None ||
          download.fault == hypsor::FailureKind::ReceiveOverflow);
  }
  if (!download.flightRequested) Check(download.DownloadByteCount == 0);

  if (gone()) return 0;
  start = clock.NowMs();
  if (channel.OpenPort(port)) {
    const hypsor::SettingsReadResult read = hypsor::ReadDeviceSettings(channel);
    CheckBuffer(channel);
    Check(clock.NowMs() - start <= 2 * kSettleBoundMs);
    Check(channel.IsOpen() == (channel.Fault() == hypsor::FailureKind::None));
    if (read.outcome == hypsor::SettingsReadOutcome::Ok) {
      Check(read.reportRead);
      Check(read.settings.manualZeroing == (read.settings.zeroingReport[0] & 1));
      Check(channel.ManualZeroingMode() == read.settings.manualZeroing);
    }
    if (read.reportRead) {
      Check(read.settings.samplingCode < 16);
      // What was read is written back unchanged.
      const hypsor::RawSettings back = hypsor::RawSettingsOf(read.settings);
      Check(back.settings[0] == read.settings.competitor);
      Check((back.settings[1] | (back.settings[2] << 8)) ==
            static_cast<int>(read.settings.calibration));
    }
  }

  if (gone()) return 0;
  start = clock.NowMs();
  if (channel.OpenPort(port)) {
    const hypsor::UploadResult upload = hypsor::UploadRawSettings(channel, raw);
    CheckBuffer(channel);
    Check(!channel.IsOpen());
    Check(clock.NowMs() - start <= 2 * kSettleBoundMs);
    Check(upload.outcome == hypsor::UploadOutcome::Accepted ||
          upload.outcome == hypsor::UploadOutcome::Refused ||
          upload.outcome == hypsor::UploadOutcome::CommunicationError);
    if (upload.settingsWriteRefused) Check(upload.outcome != hypsor::UploadOutcome::Accepted);
  }

  if (!gone() && channel.OpenPort(port)) {
    hypsor::SettingsUpload values;
    values.calibration = QString::number(raw.settings[1]);
    values.trigger = QString::number(raw.settings[3] | (raw.settings[4] << 8));
    values.competitor = QString::number(raw.settings[0]);
    values.samplingIndex = (choices >> 1) & 7;
    values.zeroingIndex = (choices >> 4) & 1;
    const hypsor::UploadResult upload = hypsor::UploadDeviceSettings(channel, values);
    // A value the checks refuse leaves the port open for another try; anything sent closes it.
    const bool refusedValue = upload.outcome == hypsor::UploadOutcome::TooLarge;
    Check(channel.IsOpen() == refusedValue);
    Check(upload.outcome != hypsor::UploadOutcome::NotANumber &&
          upload.outcome != hypsor::UploadOutcome::FieldEmpty);
    channel.ClosePort();
  }
  if (logged) Check(!hypsor::CommunicationLogText(log).isEmpty());
  return 0;
}
