// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

namespace hypsor {

// A serial device the system reports as present.
struct SerialDeviceInfo {
  QString name;            // as a port name: relative to /dev on Linux (ttyUSB0), COM3 on Windows
  QString systemLocation;  // the device node (/dev/ttyUSB0)
  QString description;     // what the system knows of it ("FT232R USB UART"); may be empty
};

// The serial devices present now, in the system's order. Pseudo-terminals are not among them.
QList<SerialDeviceInfo> SerialDevicesPresent();

// The name of the group that owns the device node (dialout, uucp, tty, ...); empty when the node
// cannot be looked at or the group has no name.
QString DeviceNodeGroup(const QString& path);

// Whether the system grants serial ports through group membership (Linux: dialout), so that a
// refused port is opened by joining the device node's group.
bool PortAccessByGroup();

}  // namespace hypsor
