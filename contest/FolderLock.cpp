// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/FolderLock.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QThread>

#include "contest/ContestNames.h"

namespace hypsor {

namespace {

// A holder keeps the lock for a keep or a rebuild, well under a second; one that has held it
// this long is gone (a killed process on another machine sharing the folder).
constexpr int kStaleMs = 30000;
constexpr qint64 kUnreadableStaleMs = 2000;

}  // namespace

FolderLock::FolderLock(const QString& folder)
    : path_(QDir(folder).filePath(QLatin1String(ContestLockFileName))),
      lock_(std::make_unique<QLockFile>(path_)) {
  lock_->setStaleLockTime(kStaleMs);
}

FolderLock::~FolderLock() {
  Release();
}

bool FolderLock::Acquire(int timeoutMs, QString* error) {
  if (held_) return true;
  // QLockFile's own wait sleeps 100 ms and more between tries; stations keeping a flight each
  // second need shorter turns. Each try takes over a stale lock (its process gone, or too old).
  const QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    if (lock_->tryLock(0)) {
      held_ = true;
      return true;
    }
    if (lock_->error() != QLockFile::LockFailedError || deadline.hasExpired()) break;
    // A holder killed between creating the lock file and writing its process into it leaves a
    // file nobody can read: QLockFile would wait out the whole stale time for it. Writing takes
    // microseconds, so an unreadable lock a few seconds old has no holder.
    qint64 pid = 0;
    QString host, app;
    if (!lock_->getLockInfo(&pid, &host, &app) &&
        QFileInfo(path_).lastModified().msecsTo(QDateTime::currentDateTime()) > kUnreadableStaleMs)
      lock_->removeStaleLockFile();
    QThread::msleep(2 + QRandomGenerator::global()->bounded(8));
  }
  if (error) {
    if (lock_->error() == QLockFile::LockFailedError) {
      qint64 pid = 0;
      QString host, app;
      lock_->getLockInfo(&pid, &host, &app);
      *error = QStringLiteral("The contest folder is locked by another station (%1, process %2)")
                   .arg(host.isEmpty() ? QStringLiteral("?") : host)
                   .arg(pid);
    } else {
      *error = QStringLiteral("Cannot create the lock file %1").arg(QDir::toNativeSeparators(path_));
    }
  }
  return false;
}

void FolderLock::Release() {
  if (!held_) return;
  lock_->unlock();
  held_ = false;
}

}  // namespace hypsor
