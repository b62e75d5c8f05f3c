// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "contest/FolderCheck.h"

namespace hypsor {

// The report of `verify` and of the window's folder check: a line per flight (level, file,
// reasons, data-quality flags, which are warnings) and per note, then a summary line. Levels,
// reasons and flags are the codes scripts read; a note's problem and the summary are in the
// language (0 Polish, 1 English).
QString VerifyReport(const ContestCheck& check, int languageIndex);

}  // namespace hypsor
