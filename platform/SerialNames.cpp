// SPDX-License-Identifier: GPL-3.0-or-later
// Port names and where they lead, the same for the Qt and the Win32 serial line.
#include <QRegularExpression>

#include "platform/SerialPort.h"

namespace hypsor {

QString SerialPort::SystemLocation(const QString& name) {
#ifdef Q_OS_WIN
  // Every port opens through the device namespace (COM10 and above only open that way), and the
  // ports Windows lists are named so (win32/SerialDevices.cpp).
  return name.startsWith(QLatin1String("\\\\.\\")) ? name : QStringLiteral("\\\\.\\") + name;
#else
  if (name.startsWith(QLatin1Char('/'))) return name;
  static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"));
  const QRegularExpressionMatch m = comName.match(name);
  if (m.hasMatch()) return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
  return QStringLiteral("/dev/") + name;
#endif
}

bool SerialPort::RelativeNameAllowed(const QString& name) {
  if (name.isEmpty() || name.startsWith(QLatin1Char('/'))) return false;
  for (const QStringView segment : QStringView(name).split(QLatin1Char('/')))
    if (segment == QLatin1String("..")) return false;
  return true;
}

}  // namespace hypsor
