// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExecutablePath.h"

#include <QCoreApplication>

namespace hypsor {

QString ExecutablePath() {
  if (!QCoreApplication::instance()) return {};
  return QCoreApplication::applicationFilePath();
}

}  // namespace hypsor
