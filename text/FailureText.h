// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "platform/Failure.h"

namespace hypsor {

// The failure as one sentence in the language (0 Polish, 1 English), naming its file or folder.
// The system's own reason is given as the system said it, except for a few common ones that
// Polish words itself. English gives exactly the sentences the command-line tool has printed.
QString FailureText(const Failure& failure, int languageIndex);

// The language index of English, in which the command-line tool and its reports speak.
inline constexpr int kEnglish = 1;

}  // namespace hypsor
