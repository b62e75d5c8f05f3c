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

unsigned Word(std::span<const std::uint8_t> reply, int offset) {
  return reply[offset] | (static_cast<unsigned>(reply[offset + 1]) << 8);
}

// The settings as the "5" frame carries them (bytes 2-7) and the "4" report gives them: each
// value's first byte in both, its width (low byte first), the window's limit and its name on
// the command line. The report's bytes 1-2 hold the serial number, which is never written.
struct SettingsFrameField {
  const char* key;
  SettingsField field;  // the window's field; None for a list choice
  std::uint32_t limit;
  int frame;
  int report;
  int width;
};
constexpr SettingsFrameField kCompetitor{"competitor", SettingsField::Competitor,
                                         CompetitorLimit, 2, 0, 1};
constexpr SettingsFrameField kCalibration{"calibration", SettingsField::Calibration,
                                          CalibrationUploadLimit, 3, 3, 2};
constexpr SettingsFrameField kTrigger{"trigger", SettingsField::Trigger, TriggerLimit, 5, 5, 2};
// The window offers sampling codes 0-7; the device keeps more bits in the byte.
constexpr SettingsFrameField kSampling{"sampling", SettingsField::None, 7, 7, 7, 1};
constexpr SettingsFrameField kSettingsFrame[] = {kCompetitor, kCalibration, kTrigger, kSampling};
constexpr int kFirstSettingsByte = 2;  // RawSettings::settings[0] is frame byte 2

bool Acknowledged(const DeviceChannel& channel, int n) {
  return n == kAckSize && channel.Received()[1] == kAck;
}

// Sends the command and collects the answer's bytes; nothing when the channel failed meanwhile.
std::optional<int> WriteAndCollect(DeviceChannel& channel, std::uint8_t code,
                                   const CommandBytes& bytes) {
  if (!channel.SendCommand(code, bytes)) return std::nullopt;
  channel.SettleWait();
  const int n = channel.ReadPending();
  if (channel.Fault() != FailureKind::None) return std::nullopt;
  return n;
}

// The two writes of an upload: "5" with the given settings bytes, then "C" with the zeroing byte
// and bytes 3-7 as "5" left them. The port is closed at the end.
UploadResult WriteSettingsFrames(DeviceChannel& channel, const CommandBytes& settings,
                                 std::uint8_t zeroing) {
  UploadResult result;
  auto lost = [&] {
    channel.ClosePort();
    result.outcome = UploadOutcome::CommunicationError;
    return result;
  };

  const std::optional<int> first = WriteAndCollect(channel, kSettingsWrite, settings);
  if (!first) return lost();
  // Only a 2-byte answer is judged here; the zeroing-mode write follows in any case.
  result.settingsWriteRefused = *first == kAckSize && channel.Received()[1] != kAck;

  // Bytes 3-7 stay as the settings write set them.
  const std::optional<int> second =
      WriteAndCollect(channel, kZeroingWrite, CommandBytes().Set(2, zeroing));
  if (!second) return lost();
  // A refused settings write is not undone by an acknowledged zeroing-mode write.
  result.outcome = Acknowledged(channel, *second) && !result.settingsWriteRefused
                       ? UploadOutcome::Accepted
                       : UploadOutcome::Refused;
  channel.Note(result.outcome == UploadOutcome::Accepted ? SessionNote::SettingsAccepted
                                                         : SessionNote::SettingsRefused);
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
    if (channel.Fault() == FailureKind::None) return false;
    channel.ClosePort();
    return true;
  };

  const int n = channel.QueryDevice(kSettingsReport);
  if (failed() || n != kReportSize) return result;
  DeviceSettings& s = result.settings;
  const std::span<const std::uint8_t> report = channel.Received();
  s.competitor = report[kCompetitor.report];
  s.serial = Word(report, 1);
  s.calibration = Word(report, kCalibration.report);
  s.trigger = Word(report, kTrigger.report);
  s.samplingCode = report[kSampling.report] & 0x0Fu;
  std::copy_n(report.begin(), kReportSize, s.report.begin());
  result.reportRead = true;

  const int m = channel.QueryDevice(kZeroingReport);
  if (failed() || m != kReportSize) return result;
  const std::span<const std::uint8_t> zeroingReport = channel.Received();
  s.manualZeroing = zeroingReport[0] & 1;
  std::copy_n(zeroingReport.begin(), kReportSize, s.zeroingReport.begin());
  channel.SetManualZeroingMode(s.manualZeroing);
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

  // Each value goes into the frame as soon as it passes, in this order; a refusal leaves the
  // earlier ones there for later commands.
  CommandBytes settings;
  auto stop = [&](UploadOutcome outcome, SettingsField field) {
    channel.BeginCommand(kSettingsWrite, settings);
    result.outcome = outcome;
    result.field = field;
    return result;
  };
  const std::pair<const SettingsFrameField*, const QString*> checks[] = {
      {&kCalibration, &values.calibration},
      {&kTrigger, &values.trigger},
      {&kCompetitor, &values.competitor},
  };
  for (const auto& [f, text] : checks) {
    const std::optional<std::int32_t> value = ParseIntegerText(*text);
    if (!value) {
      result.badText = *text;
      return stop(UploadOutcome::NotANumber, f->field);
    }
    if (AboveLimit(*value, f->limit)) return stop(UploadOutcome::TooLarge, f->field);
    const auto v = static_cast<std::uint32_t>(*value);
    for (int b = 0; b < f->width; ++b)
      settings.Set(f->frame + b, static_cast<std::uint8_t>((v >> (8 * b)) & 0xFF));
  }
  settings.Set(kSampling.frame, static_cast<std::uint8_t>(values.samplingIndex & 0xFF));
  return WriteSettingsFrames(channel, settings,
                             static_cast<std::uint8_t>(values.zeroingIndex & 0xFF));
}

RawSettings RawSettingsOf(const DeviceSettings& read) {
  RawSettings raw;
  for (const SettingsFrameField& f : kSettingsFrame)
    for (int b = 0; b < f.width; ++b)
      raw.settings[static_cast<std::size_t>(f.frame - kFirstSettingsByte + b)] =
          read.report[static_cast<std::size_t>(f.report + b)];
  raw.zeroing = read.zeroingReport[0];
  return raw;
}

namespace {

// The keys of a named upload with the window's limits: the settings frame's values, and the
// manual-zeroing mode of the "C" frame (a list choice of two in the window).
struct SettingKey {
  const char* name;
  std::uint32_t limit;
  int offset;  // into RawSettings::settings; -1 for the zeroing byte
  int width;
};
constexpr SettingKey KeyOf(const SettingsFrameField& f) {
  return {f.key, f.limit, f.frame - kFirstSettingsByte, f.width};
}
constexpr SettingKey kSettingKeys[] = {
    KeyOf(kCompetitor), KeyOf(kCalibration), KeyOf(kTrigger), KeyOf(kSampling),
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
                       Failure* problem) {
  const SettingKey* found = nullptr;
  for (const SettingKey& k : kSettingKeys)
    if (key == QLatin1String(k.name)) found = &k;
  Failure why = Failure::Of(FailureKind::SettingUnknown, key);
  if (!found) {
    why.names = NamedSettingKeys();
    return Fail(problem, std::move(why));
  }
  why.kind = FailureKind::SettingNoValue;
  if (text.isEmpty()) return Fail(problem, std::move(why));
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  why.kind = FailureKind::SettingNotANumber;
  why.found = text;
  if (!value) return Fail(problem, std::move(why));
  why.number = *value;
  why.kind = FailureKind::SettingBelowZero;
  if (*value < 0) return Fail(problem, std::move(why));
  why.kind = FailureKind::SettingAboveLimit;
  why.limit = found->limit;
  if (AboveLimit(*value, found->limit)) return Fail(problem, std::move(why));
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
  return WriteSettingsFrames(channel, CommandBytes().Set(kFirstSettingsByte, raw.settings),
                             raw.zeroing);
}

}  // namespace hypsor
