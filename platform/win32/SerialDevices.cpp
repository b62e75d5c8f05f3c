// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports Windows knows: the serial drivers enter each port they create under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (value name: the driver's device, data: "COMn").
#include "platform/SerialDevices.h"

#include <windows.h>

#include <algorithm>

#include <QRegularExpression>

namespace hypsor {

namespace {

int ComNumber(const QString& name) {
  static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"),
                                      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = com.match(name);
  return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace

QList<SerialDeviceInfo> SerialDevicesPresent() {
  QList<SerialDeviceInfo> devices;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return devices;
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD valueLength = 256;
    wchar_t data[64] = {};
    DWORD dataBytes = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG r = RegEnumValueW(key, i, valueName, &valueLength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data), &dataBytes);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || type != REG_SZ) continue;
    const QString port = QString::fromWCharArray(data).trimmed();
    if (port.isEmpty()) continue;
    // The driver's device name (\Device\Serial0, \Device\VCP0) is all the registry says of it.
    devices.append({port, QStringLiteral("\\\\.\\") + port,
                    QString::fromWCharArray(valueName, static_cast<int>(valueLength))});
  }
  RegCloseKey(key);
  // The registry keeps no order: by port number, as the ports are listed elsewhere.
  std::stable_sort(devices.begin(), devices.end(),
                   [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) {
                     return ComNumber(a.name) < ComNumber(b.name);
                   });
  return devices;
}

QString DeviceNodeGroup(const QString&) {
  return {};
}

bool PortAccessByGroup() {
  return false;
}

}  // namespace hypsor
