// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes as a settings file. Reading it gives what decoding the same bytes gives;
// saving that record and reading it back gives the same record, byte for byte, in 40 bytes.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>

#include "files/SettingsFile.h"
#include "fuzz/FuzzCheck.h"

using hypsor::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const QString path = QDir(dir.path()).filePath(QStringLiteral("fuzz.par"));
  {
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    Check(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
          static_cast<qint64>(size));
  }
  hypsor::SettingsRecord first{};
  Check(hypsor::LoadSettings(path, first));
  const hypsor::SettingsBytes firstBytes = hypsor::EncodeSettings(first);
  Check(firstBytes == hypsor::EncodeSettings(hypsor::DecodeSettings(data, size)));
  Check(first.Language == 0 || first.Language == 1);

  Check(hypsor::SaveSettings(path, first));
  Check(QFileInfo(path).size() == hypsor::SettingsRecordSize);
  hypsor::SettingsRecord second{};
  Check(hypsor::LoadSettings(path, second));
  Check(hypsor::EncodeSettings(second) == firstBytes);

  // The port name as the window shows it goes back into the record unchanged.
  const QString port = hypsor::PortNameText(second);
  Check(port.size() <= hypsor::PortNameMaxLength);
  hypsor::SettingsRecord third = second;
  Check(hypsor::SetPortName(third, port) == !port.isEmpty());
  Check(hypsor::PortNameText(third) == port);
  return 0;
}
