// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// Full path of the running executable (empty before a Qt application object exists).
QString ExecutablePath();

}  // namespace hypsor
