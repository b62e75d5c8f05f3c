// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/PortChoices.h"

#include <algorithm>

#include "files/SettingsFile.h"
#include "platform/SerialPort.h"

namespace hypsor {

namespace {

constexpr int kComPorts = 25;

bool Listed(const QList<PortChoice>& choices, const QString& location) {
  for (const PortChoice& c : choices)
    if (SerialPort::SystemLocation(c.name) == location) return true;
  return false;
}

}  // namespace

QList<PortChoice> PortChoices(const QList<SerialDeviceInfo>& present, const QString& current) {
  QList<PortChoice> choices;
  for (const SerialDeviceInfo& d : present) {
    if (d.name.isEmpty() || d.name.size() > PortNameMaxLength || Listed(choices, d.systemLocation))
      continue;
    const QString label = d.description.isEmpty()
                              ? d.name
                              : QStringLiteral("%1 \u2013 %2").arg(d.name, d.description);
    choices.append({d.name, label});
  }
  QList<PortChoice> comPorts;
  for (int n = 1; n <= kComPorts; ++n) {
    const QString name = QStringLiteral("COM%1").arg(n);
    comPorts.append({name, name});
  }
  const bool currentIsCom = std::any_of(comPorts.begin(), comPorts.end(),
                                        [&](const PortChoice& c) { return c.name == current; });
  if (!current.isEmpty() && current.size() <= PortNameMaxLength && !currentIsCom &&
      !Listed(choices, SerialPort::SystemLocation(current)))
    choices.append({current, current});
  for (const PortChoice& c : comPorts)
    if (!Listed(choices, SerialPort::SystemLocation(c.name))) choices.append(c);
  return choices;
}

QString StorablePortName(const QString& given) {
  QString name = given;
  if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
  SettingsRecord probe{};
  if (!SerialPort::RelativeNameAllowed(name) || !SetPortName(probe, name)) return {};
  return name;
}

}  // namespace hypsor
