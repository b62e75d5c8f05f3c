// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include <QString>

#include "platform/Failure.h"
#include "text/FailureText.h"

namespace hypsor {

// A failure as the command-line tool words it, for assertions and their messages.
inline QString English(const Failure& f) {
  return FailureText(f, kEnglish);
}
inline std::string Said(const Failure& f) {
  return English(f).toStdString();
}

}  // namespace hypsor
