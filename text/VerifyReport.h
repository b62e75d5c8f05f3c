// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "contest/FolderCheck.h"

namespace hypsor {

// How the report names levels, reasons and data-quality flags: by the codes scripts read
// (hypsor-cli verify), or in words of the language, as every view of the window names a state
// (text/FlightStateText.h).
enum class VerifyWording { Codes, Words };

// The report of `verify` and of the window's folder check: a line per flight (level, file,
// reasons, data-quality flags, which are warnings) and per note, then a summary line. A note's
// problem and the summary are in the language (0 Polish, 1 English); the rest as wording says.
QString VerifyReport(const ContestCheck& check, int languageIndex,
                     VerifyWording wording = VerifyWording::Codes);

}  // namespace hypsor
