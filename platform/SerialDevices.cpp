// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDevices.h"

#include <QFile>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace hypsor {

QList<SerialDeviceInfo> SerialDevicesPresent() {
  QList<SerialDeviceInfo> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    QString description = info.description();
    if (description.isEmpty()) description = info.manufacturer();
    devices.append({info.portName(), info.systemLocation(), description});
  }
  return devices;
}

QString DeviceNodeGroup([[maybe_unused]] const QString& path) {
#ifdef Q_OS_UNIX
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
  std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
    return {};
  return QString::fromLocal8Bit(found->gr_name);
#else
  return {};
#endif
}

bool PortAccessByGroup() {
  return true;
}

}  // namespace hypsor
