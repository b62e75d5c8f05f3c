// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SuggestedNames.h"

#include <QFileInfo>

#include "contest/ContestNames.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

QString FileNameFrom(const QString& text) {
  QString name = text.trimmed();
  for (QChar& c : name)
    if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  return name;
}

QString FolderOf(const QString& path) {
  return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

QString FlightBaseName(const FlightWorkspace& w, const QDateTime& when) {
  const QString& path = w.FlightPath(FlightSlot::Main);
  if (!path.isEmpty()) return QFileInfo(path).completeBaseName();
  if (!w.HasMainFlight()) return QStringLiteral("hypsor");
  const Flight& f = w.MainFlight();
  return QFileInfo(ContestFileName(f.competitor, f.serial, when, 1)).completeBaseName();
}

}  // namespace hypsor
