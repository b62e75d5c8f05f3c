// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ContestResults.h"

#include <QDir>
#include <QFileInfo>

#include "contest/ContestNames.h"
#include "contest/FolderCheck.h"
#include "flight/Filters.h"

namespace hypsor {

namespace {

constexpr int kSettleMs = 300;

}  // namespace

ContestResults::ContestResults() : work_(std::make_unique<FilterTables>()) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &ContestResults::Reload);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
          qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
}

ContestResults::~ContestResults() = default;

void ContestResults::Follow(const QString& folder) {
  folder_ = folder;
  if (!folder_.isEmpty()) {
    Reload();
    return;
  }
  settle_.stop();
  Watch();
  flights_.clear();
  ranking_.clear();
  emit changed();
}

void ContestResults::Watch() {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  if (folder_.isEmpty()) return;
  // The folder shows files kept, replaced (results.csv) and removed; the files' own watches
  // show a file changed in place.
  QStringList paths = {folder_};
  const QDir dir(folder_);
  for (const QString& name : FlightFileNames(folder_)) paths << dir.filePath(name);
  const QString log = dir.filePath(QLatin1String(ContestLogFileName));
  if (QFileInfo::exists(log)) paths << log;  // a log made later shows in the folder's watch
  watcher_.addPaths(paths);
}

void ContestResults::Reload() {
  if (folder_.isEmpty()) return;
  settle_.stop();  // read now: a change waiting to settle is in what is read
  Watch();
  ContestCheck check = CheckContestFolder(folder_, *work_, false);
  flights_ = std::move(check.flights);
  ranking_ = RankCompetitors(flights_);
  emit changed();
}

}  // namespace hypsor
