// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ScriptedLine.h"
#include "tests/support/GateClock.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScriptedAltimeter.h"

namespace hypsor::test {

// The program's windows shown with a scripted altimeter on the line: exchanges run on virtual
// time (waits cost nothing), and the clock can stop one mid-way.
struct ScriptedWindowFixture : MainWindowFixture {
  ScriptedAltimeter altimeter;
  GateClock clock;
  ScriptedLine scripted{clock, [this](const ScriptedLine::Frame& f) { return altimeter(f); }};
  ScriptedWindowFixture() {
    line = &scripted;
    lineClock = &clock;
    Show(1000, 700);
  }
  // The windows' controller uses the line to its end: they go first.
  ~ScriptedWindowFixture() { windows.reset(); }
};

}  // namespace hypsor::test
