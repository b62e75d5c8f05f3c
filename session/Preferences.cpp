#include "session/Preferences.h"

#include <QSettings>

namespace hypsor {

namespace {
const QString kStatisticsPanel = QStringLiteral("view/statisticsPanel");
const QString kMarkers = QStringLiteral("view/markers");
const QString kAlignComparison = QStringLiteral("view/alignComparison");
const QString kExportFolder = QStringLiteral("folders/export");
}  // namespace

QString PreferencesFilePath() {
  const QString fromEnvironment = qEnvironmentVariable("HYPSOR_PREFERENCES");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("hypsor"),
                   QStringLiteral("preferences"))
      .fileName();
}

ViewPreferences LoadViewPreferences(const QString& path) {
  const QSettings s(path, QSettings::IniFormat);
  ViewPreferences p;
  p.statisticsPanel = s.value(kStatisticsPanel, p.statisticsPanel).toBool();
  p.markers = s.value(kMarkers, p.markers).toBool();
  p.alignComparison = s.value(kAlignComparison, p.alignComparison).toBool();
  p.exportFolder = s.value(kExportFolder).toString();
  return p;
}

bool SaveViewPreferences(const QString& path, const ViewPreferences& p) {
  QSettings s(path, QSettings::IniFormat);
  s.setValue(kStatisticsPanel, p.statisticsPanel);
  s.setValue(kMarkers, p.markers);
  s.setValue(kAlignComparison, p.alignComparison);
  s.setValue(kExportFolder, p.exportFolder);
  s.sync();
  return s.status() == QSettings::NoError;
}

}  // namespace hypsor
