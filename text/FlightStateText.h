// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include "contest/FlightRecord.h"

namespace hypsor {

// A contest flight's state in words of the language (0 Polish, 1 English), as every view names
// it: the folder check, the results dock, the board and the ranking PDF. One state has one name
// everywhere: a flight whose record is sound but whose data carry a flag is a warning.

// "valid", "warning", "invalid".
QString LevelWord(FlightLevel level, int language);
// What makes the state: the reasons, then the data-quality flags (their codes, as VerifyFlags
// gives them), joined by ", "; empty for a valid flight.
QString FlightStateWhy(unsigned reasons, const QStringList& flags, int language);
// The level, and after a colon what makes it ("warning: spike"); just the level when valid.
QString FlightStateText(unsigned reasons, const QStringList& flags, int language);

}  // namespace hypsor
