// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

#include "platform/SerialDevices.h"

namespace hypsor {

// One entry of the device window's port list.
struct PortChoice {
  QString name;   // what is stored and opened (ttyUSB0, COM3, pts/3)
  QString label;  // what the list shows ("ttyUSB0 – FT232R USB UART")
};

// The port list: the serial devices present first, with what the system knows of them; then
// the current port when it is none of them and no COMn (a pseudo-terminal, a name typed
// earlier); then COM1 to COM25, leaving out a COMn that names the same device as an entry above.
// Names the settings cannot hold (more than 7 characters) are left out.
QList<PortChoice> PortChoices(const QList<SerialDeviceInfo>& present, const QString& current);

// A port name given on the window's command line, as the settings will hold it: a path to a
// device under /dev becomes its name there ("/dev/pts/3" -> "pts/3"). Empty when the name would
// lead out of /dev or does not fit the settings (more than 7 characters).
QString StorablePortName(const QString& given);

}  // namespace hypsor
