// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>

#include "device/DeviceChannel.h"
#include "platform/Clock.h"
#include "platform/ScriptedLine.h"
#include "tests/support/ScriptedAltimeter.h"

namespace hypsor::test {

// A channel wired to a scripted altimeter on virtual time: the protocol's waits cost nothing, and
// the clock tells how long they would have taken.
struct ScriptedDevice {
  ScriptedAltimeter altimeter;
  VirtualClock clock;
  ScriptedLine line{clock, [this](const ScriptedLine::Frame& f) { return altimeter(f); }};
  DeviceChannel channel{line, clock};

  QList<QByteArray> Frames() const { return ReceivedFrames(line); }
};

}  // namespace hypsor::test
