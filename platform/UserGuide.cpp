// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserGuide.h"

#include <QDir>
#include <QFileInfo>

#include "platform/ExecutablePath.h"

// Where an installed program keeps its guide, relative to the folder of its executable
// ("../share/hypsor/doc" with the default layout).
#ifndef HYPSOR_GUIDE_FROM_BINDIR
#error "HYPSOR_GUIDE_FROM_BINDIR is set by CMakeLists.txt from the install layout"
#endif

namespace hypsor {

QString UserGuideFileName(int languageIndex) {
  return languageIndex == 0 ? QStringLiteral("guide-pl.html") : QStringLiteral("guide-en.html");
}

QString FindUserGuide(int languageIndex, const QString& executablePath) {
  if (executablePath.isEmpty()) return {};
  const QDir exeDir = QFileInfo(executablePath).absoluteDir();
  const QString name = UserGuideFileName(languageIndex);
  for (const QString& folder : {QStringLiteral("doc"), QStringLiteral(HYPSOR_GUIDE_FROM_BINDIR)}) {
    const QFileInfo guide(QDir::cleanPath(exeDir.filePath(folder + QLatin1Char('/') + name)));
    if (guide.isFile() && guide.isReadable()) return guide.absoluteFilePath();
  }
  return {};
}

QString FindUserGuide(int languageIndex) {
  return FindUserGuide(languageIndex, ExecutablePath());
}

}  // namespace hypsor
