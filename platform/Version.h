// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// The program's version as the build system's project declares it, e.g. "0.1".
QString ProgramVersion();

// What --version prints: "PROGRAM VERSION" and the licence.
QString VersionText(const QString& program);

}  // namespace hypsor
