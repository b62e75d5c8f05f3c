// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ParameterExchange.h"

#include <algorithm>

namespace hypsor {

namespace {

constexpr std::uint8_t kSettingsReport = '4';
constexpr std::uint8_t kZeroingReport = 'B';
constexpr std::uint8_t kSettingsWrite = '5';
constexpr std::uint8_t kZeroingWrite = 'C';
constexpr int kReportSize = 8;
constexpr int kAckSize = 2;
constexpr std::uint8_t kAck = 0xA5;

unsigned Word(const DeviceChannel& channel, int offset) {
  return channel.RxBuffer[offset] | (static_cast<unsigned>(channel.RxBuffer[offset + 1]) << 8);
}

bool Acknowledged(const DeviceChannel& channel, int n) {
  return n == kAckSize && channel.RxBuffer[1] == kAck;
}

// Sends the frame and collects the answer; -1 when the channel failed meanwhile.
int WriteAndCollect(DeviceChannel& channel) {
  if (!channel.SendFrame(channel.CommandFrame)) return -1;
  channel.SettleWait();
  const int n = channel.ReadPending();
  return channel.Fault() == ChannelFault::None ? n : -1;
}

// The two writes of an upload, with bytes 2-7 of the "5" frame already in place: "5", then "C"
// with the zeroing byte and bytes 3-7 as "5" left them. The port is closed at the end.
UploadResult WriteSettingsFrames(DeviceChannel& channel, std::uint8_t zeroing) {
  UploadResult result;
  auto lost = [&] {
    channel.ClosePort();
    result.outcome = UploadOutcome::CommunicationError;
    return result;
  };

  const int first = WriteAndCollect(channel);
  if (first < 0) return lost();
  // Only a 2-byte answer is judged here; the zeroing-mode write follows in any case.
  result.settingsWriteRefused = first == kAckSize && channel.RxBuffer[1] != kAck;

  // Bytes 3-7 stay as the settings write set them.
  channel.BeginCommand(kZeroingWrite);
  channel.CommandFrame[2] = zeroing;
  const int second = WriteAndCollect(channel);
  if (second < 0) return lost();
  // A refused settings write is not undone by an acknowledged zeroing-mode write.
  result.outcome = Acknowledged(channel, second) && !result.settingsWriteRefused
                       ? UploadOutcome::Accepted
                       : UploadOutcome::Refused;
  channel.Note(result.outcome == UploadOutcome::Accepted ? QStringLiteral("settings accepted")
                                                         : QStringLiteral("settings refused"));
  channel.ClosePort();
  return result;
}

}  // namespace

SettingsReadResult ReadDeviceSettings(DeviceChannel& channel) {
  SettingsReadResult result;
  channel.ClearFault();
  if (!channel.IsOpen()) {
    result.outcome = SettingsReadOutcome::PortClosed;
    return result;
  }
  auto failed = [&channel] {
    if (channel.Fault() == ChannelFault::None) return false;
    channel.ClosePort();
    return true;
  };

  const int n = channel.QueryDevice(kSettingsReport);
  if (failed() || n != kReportSize) return result;
  DeviceSettings& s = result.settings;
  s.competitor = channel.RxBuffer[0];
  s.serial = Word(channel, 1);
  s.calibration = Word(channel, 3);
  s.trigger = Word(channel, 5);
  s.samplingCode = channel.RxBuffer[7] & 0x0Fu;
  std::copy_n(channel.RxBuffer.begin(), kReportSize, s.report.begin());
  result.reportRead = true;

  const int m = channel.QueryDevice(kZeroingReport);
  if (failed() || m != kReportSize) return result;
  s.manualZeroing = channel.RxBuffer[0] & 1;
  std::copy_n(channel.RxBuffer.begin(), kReportSize, s.zeroingReport.begin());
  channel.ManualZeroingMode = s.manualZeroing;
  result.outcome = SettingsReadOutcome::Ok;
  return result;
}

SettingsField FirstEmptyField(const QString& trigger, const QString& calibration,
                              const QString& competitor) {
  if (trigger.isEmpty()) return SettingsField::Trigger;
  if (calibration.isEmpty()) return SettingsField::Calibration;
  if (competitor.isEmpty()) return SettingsField::Competitor;
  return SettingsField::None;
}

UploadResult UploadDeviceSettings(DeviceChannel& channel, const SettingsUpload& values) {
  UploadResult result;
  channel.ClearFault();
  result.field = FirstEmptyField(values.trigger, values.calibration, values.competitor);
  if (result.field != SettingsField::None) {
    result.outcome = UploadOutcome::FieldEmpty;
    return result;
  }
  if (!channel.IsOpen()) {
    result.outcome = UploadOutcome::PortClosed;
    return result;
  }

  channel.BeginCommand(kSettingsWrite);
  // Each value goes into the frame as soon as it passes; a refusal leaves the earlier ones.
  struct Check {
    SettingsField field;
    const QString* text;
    std::uint32_t limit;
    int offset;
    int width;
  };
  const Check checks[] = {
      {SettingsField::Calibration, &values.calibration, CalibrationUploadLimit, 3, 2},
      {SettingsField::Trigger, &values.trigger, TriggerLimit, 5, 2},
      {SettingsField::Competitor, &values.competitor, CompetitorLimit, 2, 1},
  };
  for (const Check& check : checks) {
    const std::optional<std::int32_t> value = ParseIntegerText(*check.text);
    if (!value) {
      result.outcome = UploadOutcome::NotANumber;
      result.field = check.field;
      result.badText = *check.text;
      return result;
    }
    if (AboveLimit(*value, check.limit)) {
      result.outcome = UploadOutcome::TooLarge;
      result.field = check.field;
      return result;
    }
    const auto v = static_cast<std::uint32_t>(*value);
    channel.CommandFrame[check.offset] = static_cast<std::uint8_t>(v & 0xFF);
    if (check.width == 2)
      channel.CommandFrame[check.offset + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  channel.CommandFrame[7] = static_cast<std::uint8_t>(values.samplingIndex & 0xFF);
  return WriteSettingsFrames(channel, static_cast<std::uint8_t>(values.zeroingIndex & 0xFF));
}

RawSettings RawSettingsOf(const DeviceSettings& read) {
  RawSettings raw;
  raw.settings = {read.report[0], read.report[3], read.report[4],
                  read.report[5], read.report[6], read.report[7]};
  raw.zeroing = read.zeroingReport[0];
  return raw;
}

namespace {

// The keys of a named upload with the window's limits: sampling and manual zeroing are list
// choices there, so only their entries exist.
struct SettingKey {
  const char* name;
  std::uint32_t limit;
  int offset;  // into RawSettings::settings; -1 for the zeroing byte
  int width;
};
constexpr SettingKey kSettingKeys[] = {
    {"competitor", CompetitorLimit, 0, 1},
    {"calibration", CalibrationUploadLimit, 1, 2},
    {"trigger", TriggerLimit, 3, 2},
    {"sampling", 7, 5, 1},
    {"manual_zero", 1, -1, 1},
};

std::uint32_t ValueOf(const RawSettings& raw, const SettingKey& key) {
  if (key.offset < 0) return raw.zeroing;
  std::uint32_t v = raw.settings[key.offset];
  if (key.width == 2) v |= static_cast<std::uint32_t>(raw.settings[key.offset + 1]) << 8;
  return v;
}

}  // namespace

QStringList NamedSettingKeys() {
  QStringList keys;
  for (const SettingKey& k : kSettingKeys) keys.append(QLatin1String(k.name));
  return keys;
}

bool ApplyNamedSetting(RawSettings& raw, const QString& key, const QString& text,
                       QString* problem) {
  const SettingKey* found = nullptr;
  for (const SettingKey& k : kSettingKeys)
    if (key == QLatin1String(k.name)) found = &k;
  auto refuse = [&](const QString& why) {
    if (problem) *problem = why;
    return false;
  };
  if (!found)
    return refuse(QStringLiteral("cannot set '%1': keys are %2")
                      .arg(key, NamedSettingKeys().join(QLatin1String(", "))));
  if (text.isEmpty()) return refuse(QStringLiteral("%1: no value given").arg(key));
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  if (!value) return refuse(QStringLiteral("%1: '%2' is not a number").arg(key, text));
  if (*value < 0) return refuse(QStringLiteral("%1: %2 is below 0").arg(key).arg(*value));
  if (AboveLimit(*value, found->limit))
    return refuse(
        QStringLiteral("%1: %2 is above the limit %3").arg(key).arg(*value).arg(found->limit));
  const auto v = static_cast<std::uint32_t>(*value);
  if (found->offset < 0) {
    raw.zeroing = static_cast<std::uint8_t>(v);
  } else {
    raw.settings[found->offset] = static_cast<std::uint8_t>(v & 0xFF);
    if (found->width == 2) raw.settings[found->offset + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  return true;
}

std::vector<ValueAboveLimit> ValuesAboveLimits(const RawSettings& raw, const QStringList& except) {
  std::vector<ValueAboveLimit> out;
  for (const SettingKey& k : kSettingKeys) {
    const QString key = QLatin1String(k.name);
    const std::uint32_t value = ValueOf(raw, k);
    if (!except.contains(key) && value > k.limit) out.push_back({key, value, k.limit});
  }
  return out;
}

UploadResult UploadRawSettings(DeviceChannel& channel, const RawSettings& raw) {
  UploadResult result;
  channel.ClearFault();
  if (!channel.IsOpen()) return result;
  channel.BeginCommand(kSettingsWrite);
  std::copy(raw.settings.begin(), raw.settings.end(), channel.CommandFrame.begin() + 2);
  return WriteSettingsFrames(channel, raw.zeroing);
}

}  // namespace hypsor
