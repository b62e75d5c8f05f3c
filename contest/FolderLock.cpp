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
#include "platform/Clock.h"

namespace hypsor {

namespace {

// A holder keeps the lock for a keep or a rebuild, well under a second; one that has held it
// this long is gone (a killed process on another machine sharing the folder).
constexpr int kStaleMs = 30000;
constexpr qint64 kUnreadableStaleMs = 2000;
constexpr int kMaxGuardDepth = 40;

void RemoveUnreadableLock(const QString& path) {
  QLockFile file(path);
  qint64 pid = 0;
  QString host, app;
  if (file.getLockInfo(&pid, &host, &app)) return;
  const QFileInfo info(path);
  if (info.exists() && info.lastModified().msecsTo(QDateTime::currentDateTime()) > kUnreadableStaleMs)
    file.removeStaleLockFile();
}

}  // namespace

FolderLock::FolderLock(const QString& folder)
    : path_(QDir(folder).filePath(QLatin1String(ContestLockFileName))),
      lock_(std::make_unique<QLockFile>(path_)) {
  lock_->setStaleLockTime(kStaleMs);
}

FolderLock::~FolderLock() {
  Release();
}

bool FolderLock::TryAcquire(Failure* error) {
  if (held_) return true;
  if (lock_->tryLock(0)) {
    held_ = true;
    return true;
  }
  if (lock_->error() != QLockFile::LockFailedError)
    return Fail(error, Failure::Of(FailureKind::CreateLockFile, QDir::toNativeSeparators(path_)));
  Failure locked = Failure::Of(FailureKind::FolderLocked, QDir::toNativeSeparators(path_));
  qint64 pid = 0;
  QString app;
  lock_->getLockInfo(&pid, &locked.detail, &app);
  locked.number = pid;
  // A holder killed between creating a lock file and writing its process into it leaves a file
  // nobody can read, and QLockFile would wait out the whole stale time for it. That holds for
  // the lock and for the guard QLockFile takes while it removes a stale lock
  // ("contest.lock.rmlock"): a process killed there blocks every takeover. Writing takes
  // microseconds, so an unreadable file a few seconds old has no holder: it goes, and the next
  // try may succeed. Stations killed one after another while taking over leave a guard of a
  // guard of ...: the whole chain is looked at (a file name holds a few dozen levels at most).
  RemoveUnreadableLock(path_);
  QString guard = path_;
  for (int depth = 0; depth < kMaxGuardDepth; ++depth) {
    guard += QLatin1String(".rmlock");
    if (!QFileInfo::exists(guard)) break;
    RemoveUnreadableLock(guard);
  }
  return Fail(error, std::move(locked));
}

int FolderLock::NextTryMs() {
  return 2 + QRandomGenerator::global()->bounded(8);
}

bool FolderLock::Acquire(int timeoutMs, Failure* error, Clock* clock) {
  // QLockFile's own wait sleeps 100 ms and more between tries; stations keeping a flight each
  // second need shorter turns. Each try takes over a stale lock (its process gone, or too old).
  const QDeadlineTimer deadline(timeoutMs);
  const std::int64_t clockDeadline = clock ? clock->NowMs() + timeoutMs : 0;
  auto expired = [&] { return clock ? clock->NowMs() >= clockDeadline : deadline.hasExpired(); };
  for (;;) {
    Failure why;
    if (TryAcquire(&why)) return true;
    if (why.kind != FailureKind::FolderLocked || expired()) return Fail(error, std::move(why));
    const int turn = NextTryMs();
    if (clock)
      clock->Pause(turn);
    else
      QThread::msleep(static_cast<unsigned long>(turn));
  }
}

void FolderLock::Release() {
  if (!held_) return;
  lock_->unlock();
  held_ = false;
}

}  // namespace hypsor
