// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include <QString>

#include "platform/Failure.h"

class QLockFile;

namespace hypsor {

class Clock;

// The lock of a contest folder ("contest.lock" in it): every process that changes the folder's
// log or results.csv holds it meanwhile, so stations sharing a folder take turns. A lock left by
// a killed process (on this machine, or older than the stale time) is taken over.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // One try, without waiting. False with *error saying why: held by another station
  // (FolderLocked: worth another try a few milliseconds later), or the folder takes no lock file.
  bool TryAcquire(Failure* error);
  // Tries for up to timeoutMs, sleeping between tries on the clock when one is given (tests wait
  // on a virtual one), else in real time; for hypsor-cli, which has no window to keep answering.
  bool Acquire(int timeoutMs, Failure* error, Clock* clock = nullptr);
  // Milliseconds until the next try: short, and random so that waiting stations do not keep
  // trying in step.
  static int NextTryMs();
  void Release();
  bool Held() const { return held_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  bool held_ = false;
};

// How long a keep waits for another station before it keeps the flight unrecorded.
inline constexpr int FolderLockTimeoutMs = 5000;

}  // namespace hypsor
