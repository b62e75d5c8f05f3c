// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "device/DeviceChannel.h"
#include "files/IntegerText.h"

namespace hypsor {

// Upper limits, compared as unsigned 32-bit numbers so that a negative number is too large.
inline constexpr std::uint32_t CalibrationUploadLimit = 50;
inline constexpr std::uint32_t CalibrationTypingLimit = 70;  // the window only warns above this
inline constexpr std::uint32_t TriggerLimit = 200;
inline constexpr std::uint32_t CompetitorLimit = 255;

// The device's own settings as its reports give them.
struct DeviceSettings {
  unsigned competitor = 0;    // report byte 0
  unsigned serial = 0;        // bytes 1-2
  unsigned calibration = 0;   // bytes 3-4
  unsigned trigger = 0;       // bytes 5-6
  unsigned samplingCode = 0;  // low four bits of byte 7; the sampling list index when below 8
  int manualZeroing = 0;      // bit 0 of the "B" reply
  // The replies as they came: an upload that changes some values writes the others back
  // exactly as the device reported them.
  std::array<std::uint8_t, 8> report{};         // the "4" reply
  std::array<std::uint8_t, 8> zeroingReport{};  // the "B" reply
};

enum class SettingsReadOutcome { Ok, PortClosed, CommunicationError };

struct SettingsReadResult {
  SettingsReadOutcome outcome = SettingsReadOutcome::CommunicationError;
  // The settings report ("4") came whole: the fields other than manualZeroing are valid even
  // when the zeroing-mode query then failed.
  bool reportRead = false;
  DeviceSettings settings;
};

// Reads the settings ("4") and the manual-zeroing mode ("B") over an open port, which stays
// open. On success the channel's ManualZeroingMode is updated. A vanished device closes it.
SettingsReadResult ReadDeviceSettings(DeviceChannel& channel);

// Which of the three edit fields a check is about, in the order they are checked for emptiness.
enum class SettingsField { None, Trigger, Calibration, Competitor };

// The values to upload, as the user typed them.
struct SettingsUpload {
  QString trigger;
  QString calibration;
  QString competitor;
  int samplingIndex = -1;  // -1: nothing selected (sent as 255)
  int zeroingIndex = -1;   // -1: nothing selected (sent as 255)
};

enum class UploadOutcome {
  Accepted,            // the "C" write was acknowledged and the "5" write not refused
  Refused,             // either write refused, or the "C" write not answered
  FieldEmpty,          // nothing sent
  TooLarge,            // nothing more sent; the port stays open
  NotANumber,          // nothing more sent; the port stays open
  PortClosed,          // no open port: nothing happens
  CommunicationError,  // the device went away or never stopped sending; the port is closed
};

struct UploadResult {
  UploadOutcome outcome = UploadOutcome::PortClosed;
  // The "5" write was answered with 2 bytes whose second is not 0xA5; the "C" write was still
  // sent, and the outcome is Refused whatever it answers (one "Setup failed" box).
  bool settingsWriteRefused = false;
  SettingsField field = SettingsField::None;  // for FieldEmpty, TooLarge and NotANumber
  QString badText;                            // for NotANumber
};

// The first of trigger, calibration, competitor (in this order) whose text is empty.
SettingsField FirstEmptyField(const QString& trigger, const QString& calibration,
                              const QString& competitor);

// The unsigned comparison of the limits: -1 is above every limit.
inline bool AboveLimit(std::int32_t value, std::uint32_t limit) {
  return static_cast<std::uint32_t>(value) > limit;
}

// Validates the values and writes them: settings ("5"), then the manual-zeroing mode ("C"),
// which repeats bytes 3-7 of the "5" frame. Frame bytes are set as each value passes its check,
// so a refused value leaves the earlier ones in the frame. A completed upload, accepted or not,
// closes the port; a refused value leaves it open.
UploadResult UploadDeviceSettings(DeviceChannel& channel, const SettingsUpload& values);

// The bytes of an upload: bytes 2-7 of the "5" frame and byte 2 of the "C" frame.
struct RawSettings {
  std::array<std::uint8_t, 6> settings{};  // competitor, calibration lo/hi, trigger lo/hi, sampling
  std::uint8_t zeroing = 0;
};

// What the device reported, ready to be written back unchanged.
RawSettings RawSettingsOf(const DeviceSettings& read);

// One value a user names for an upload by key: competitor, calibration, trigger, sampling,
// manual_zero. Applies the text to raw when it is a number within the key's range; otherwise
// leaves raw alone, and *problem says why (a Setting... kind with the key as its path).
bool ApplyNamedSetting(RawSettings& raw, const QString& key, const QString& text,
                       Failure* problem);
// The keys ApplyNamedSetting takes.
QStringList NamedSettingKeys();

// A value of an upload above the limit ApplyNamedSetting holds its key to: one the altimeter
// reported, which a named upload writes back unchanged.
struct ValueAboveLimit {
  QString key;
  std::uint32_t value = 0;
  std::uint32_t limit = 0;
};
// The values of raw above their key's limit, in the order of NamedSettingKeys(), leaving out
// the keys in except (the ones a user names).
std::vector<ValueAboveLimit> ValuesAboveLimits(const RawSettings& raw, const QStringList& except);

// Writes the bytes as they are ("5", then "C" repeating bytes 3-7) over an open port, which is
// closed at the end. Accepted, Refused, PortClosed or CommunicationError.
UploadResult UploadRawSettings(DeviceChannel& channel, const RawSettings& raw);

}  // namespace hypsor
