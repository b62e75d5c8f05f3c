// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/ProgramIcon.h"

#include <QSize>
#include <QString>

// The icons live in a static library: nothing else refers to its resource object, so the linker
// would leave it out unless it is named here. Outside the namespace, as the macro requires.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace hypsor {

QIcon ProgramIcon() {
  InitIconResources();
  QIcon icon;
  for (const int size : kProgramIconSizes)
    icon.addFile(QStringLiteral(":/icons/hypsor-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace hypsor
