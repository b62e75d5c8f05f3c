// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/Preferences.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "files/FlightFile.h"

namespace hypsor {

namespace {
const QString kStatisticsPanel = QStringLiteral("view/statisticsPanel");
const QString kMarkers = QStringLiteral("view/markers");
const QString kAlignComparison = QStringLiteral("view/alignComparison");
const QString kExportFolder = QStringLiteral("folders/export");

// A header line may hold any character; its digest makes a key of it.
QString SimulationKey(const QString& layoutKey) {
  return QStringLiteral("simulationColumns/") +
         QString::fromLatin1(
             QCryptographicHash::hash(layoutKey.toUtf8(), QCryptographicHash::Sha256).toHex());
}
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

ViewPreferencesStore::ViewPreferencesStore(QString path)
    : path_(std::move(path)), preferences_(LoadViewPreferences(path_)) {}

void ViewPreferencesStore::Save() const {
  SaveViewPreferences(path_, preferences_);
}

void ViewPreferencesStore::SetStatisticsPanel(bool on) {
  preferences_.statisticsPanel = on;
  Save();
}

void ViewPreferencesStore::SetMarkers(bool on) {
  preferences_.markers = on;
  Save();
}

void ViewPreferencesStore::SetAlignComparison(bool on) {
  preferences_.alignComparison = on;
  Save();
}

void ViewPreferencesStore::RememberExportFolder(const QString& exportedFile) {
  preferences_.exportFolder = QFileInfo(exportedFile).absolutePath();
  Save();
}

QString ViewPreferencesStore::SuggestedExportPath(const QString& flightPath,
                                                  const char* suffix) const {
  const QString folder =
      preferences_.exportFolder.isEmpty() ? QDir::homePath() : preferences_.exportFolder;
  QString name = FlightFileCaption(flightPath);
  if (name.isEmpty()) name = QStringLiteral("hypsor");
  return QDir(folder).filePath(QFileInfo(name).completeBaseName() + QLatin1Char('.') +
                               QLatin1String(suffix));
}

std::optional<SimulationColumns> RememberedSimulationColumns(const QString& path,
                                                             const QString& layoutKey) {
  const QSettings s(path, QSettings::IniFormat);
  const QStringList v = s.value(SimulationKey(layoutKey)).toStringList();
  if (v.size() != 3) return std::nullopt;
  bool timeOk = false, altitudeOk = false;
  SimulationColumns c{v[0].toInt(&timeOk), v[1].toInt(&altitudeOk), v[2] == QLatin1String("ft")};
  if (!timeOk || !altitudeOk || c.time < 0 || c.altitude < 0) return std::nullopt;
  return c;
}

bool RememberSimulationColumns(const QString& path, const QString& layoutKey,
                               const SimulationColumns& c) {
  QSettings s(path, QSettings::IniFormat);
  s.setValue(SimulationKey(layoutKey),
             QStringList{QString::number(c.time), QString::number(c.altitude),
                         QLatin1String(c.feet ? "ft" : "m")});
  s.sync();
  return s.status() == QSettings::NoError;
}

bool LogbookAutoAdd(const QString& path) {
  return QSettings(path, QSettings::IniFormat).value(QStringLiteral("logbook/autoAdd"), true).toBool();
}

bool SetLogbookAutoAdd(const QString& path, bool on) {
  QSettings s(path, QSettings::IniFormat);
  s.setValue(QStringLiteral("logbook/autoAdd"), on);
  s.sync();
  return s.status() == QSettings::NoError;
}

}  // namespace hypsor
