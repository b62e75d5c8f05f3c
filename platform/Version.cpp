// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Version.h"

#include "platform/Licence.h"

#ifndef HYPSOR_VERSION
#error "HYPSOR_VERSION is set by CMakeLists.txt from the project's version"
#endif

namespace hypsor {

QString ProgramVersion() {
  return QStringLiteral(HYPSOR_VERSION);
}

QString VersionText(const QString& program) {
  return program + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n') +
         QLatin1String(kLicenceNotice);
}

}  // namespace hypsor
