// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include <QString>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

namespace hypsor {

// The program's persisted choices: one 40-byte little-endian record, written byte for byte.
struct SettingsRecord {
  char PortName[8];        // serial port name, NUL-terminated (at most 7 characters)
  std::int32_t PortIndex;  // position of the port in the device window's list
  std::int32_t Reserved;   // carries no setting; written back as read
  std::int32_t Language;   // 0 Polish, 1 English
  std::int32_t ShowAcceleration;
  std::int32_t PreCutCm;
  std::int32_t FinalCutCm;
  std::int32_t PreFilterWindow;
  std::int32_t FinalFilterWindow;
};

inline constexpr int SettingsRecordSize = 40;
inline constexpr int PortNameMaxLength = 7;
using SettingsBytes = std::array<std::uint8_t, SettingsRecordSize>;

SettingsRecord DefaultSettings();

// The record as it is stored, and back. Decoding starts from the defaults and overlays at most
// the first 40 bytes; fields the data does not reach keep their defaults. A Language other than
// 0 or 1 reads as 0, a PortName without a terminating NUL as the default port.
SettingsBytes EncodeSettings(const SettingsRecord& record);
SettingsRecord DecodeSettings(const std::uint8_t* data, std::size_t size);

QString PortNameText(const SettingsRecord& record);
// Stores name (at most 7 characters, Latin-1) with zero bytes after it; false if it does not fit.
bool SetPortName(SettingsRecord& record, const QString& name);

// The settings file beside the executable: same name with the extension "par" (an existing
// extension is replaced, otherwise one is added: "hypsor" gives "hypsor.par").
QString SettingsPathBesideExecutable(const QString& executablePath);

// Where the settings are read at start and written afterwards.
struct SettingsPaths {
  QString read;      // may not exist: then the defaults hold
  QString write;     // where confirmed choices and the shutdown write the record
  QString fallback;  // the per-user file: written instead of a file that could not be read
};

// The settings of a program: the file beside the executable (named like it, ".par") and the
// per-user file in configDir (empty: the system's configuration folder for the program).
// - Written beside the executable when that folder and file can be written and the folder is
//   not a system one (/usr/..., /bin: an installed program, even when root runs it); otherwise
//   the per-user file is written.
// - Read from whichever of the two can be read; when both can, the newer one. When one exists
//   but neither can be read, that one is "read", so the failure is reported.
// The per-user folder is created when it is to be written.
SettingsPaths ChooseSettingsPaths(const QString& executablePath, const QString& configDir = {});

// A settings file named by the user: read and written there, with the per-user file as the
// fallback (in configDir, empty for the system's folder).
SettingsPaths NamedSettingsPaths(const QString& path, const QString& configDir = {});

// Missing file: defaults. Unreadable file, or one that is not a regular file after links (never
// opened then): defaults and false with *error set and *status telling which.
bool LoadSettings(const QString& path, SettingsRecord& record, Failure* error = nullptr,
                  ReadOpenStatus* status = nullptr);
// With WriteFileAtomically: a failure leaves the old file whole and returns false with *error
// naming the file; a target that is not a regular file is refused (*failure NotRegularFile).
bool SaveSettings(const QString& path, const SettingsRecord& record, Failure* error = nullptr,
                  WriteFailure* failure = nullptr);

}  // namespace hypsor
