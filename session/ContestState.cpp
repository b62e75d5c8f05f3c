// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ContestState.h"

#include <memory>
#include <utility>

#include <QDir>

#include "contest/FolderLock.h"
#include "device/Sessions.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

ContestState::ContestState() {
  session_.SetWaitForLock(false);
  retry_.setSingleShot(true);
  retry_.setTimerType(Qt::PreciseTimer);  // turns of a few milliseconds
  connect(&retry_, &QTimer::timeout, this, &ContestState::Try);
  connect(&results_, &ContestResults::changed, this, &ContestState::changed);
}

ContestState::~ContestState() = default;

void ContestState::Changed() {
  // After its session the results stay with its folder: the board shows them, final now.
  if (!session_.Active()) {
    emit changed();
    return;
  }
  if (results_.Folder() == session_.Folder())
    results_.Reload();
  else
    results_.Follow(session_.Folder());
}

void ContestState::Queue(std::function<bool(Failure*)> attempt, Done finish) {
  calls_.push_back({std::move(attempt), std::move(finish)});
  if (calls_.size() == 1) Begin();
}

void ContestState::Begin() {
  deadline_ = QDeadlineTimer(session_.LockTimeoutMs());
  Try();
}

void ContestState::Try() {
  Failure error;
  const bool ok = calls_.front().attempt(&error);
  if (!ok && error.kind == FailureKind::FolderLocked && !deadline_.hasExpired()) {
    SetWaiting(true);
    retry_.start(FolderLock::NextTryMs());
    return;
  }
  const Done finish = std::move(calls_.front().finish);
  calls_.pop_front();
  // A call that finish makes begins by itself when it is the only one.
  const bool more = !calls_.empty();
  if (!more) SetWaiting(false);
  finish(ok, error);
  if (more) Begin();
}

void ContestState::SetWaiting(bool on) {
  if (waiting_ == on) return;
  waiting_ = on;
  emit waiting(on);
}

void ContestState::Start(const ContestChoice& choice, Done done) {
  Queue(
      [this, choice](Failure* error) {
        lastKept_.reset();
        return session_.Start(choice.folder, choice.name, error);
      },
      [this, done = std::move(done)](bool ok, const Failure& error) {
        if (ok) suggestion_ = {session_.Folder(), session_.Name()};
        Changed();
        done(ok, error);
      });
}

void ContestState::End() {
  if (!calls_.empty()) return;
  session_.End();
  lastKept_.reset();
  Changed();
}

void ContestState::RebuildResults(
    std::function<void(bool, const Failure&, const std::vector<Failure>&)> done) {
  auto problems = std::make_shared<std::vector<Failure>>();
  Queue(
      [this, problems](Failure* error) {
        problems->clear();
        return !session_.Active() || session_.RebuildResults(error, problems.get());
      },
      [this, problems, done = std::move(done)](bool ok, const Failure& error) {
        Changed();
        done(ok, error, *problems);
      });
}

void ContestState::ReadyForDownload(Done done) {
  Queue([this](Failure* error) { return !session_.Active() || session_.CheckReady(error); },
        std::move(done));
}

void ContestState::KeepDownload(
    const DownloadResult& r, FlightWorkspace& workspace,
    std::function<void(std::optional<KeepOutcome>, const Failure&)> done) {
  if (!session_.Active() || !r.flight) {
    done(std::nullopt, {});
    return;
  }
  // The flight file needs no lock and is written at once; its record waits for the lock.
  const std::span<const std::uint8_t> bytes(r.flight->bytes.data(),
                                            static_cast<std::size_t>(r.DownloadByteCount));
  auto file = std::make_shared<ContestSession::FileKept>();
  Failure error;
  if (session_.KeepFile(bytes, QDateTime::currentDateTime(), file.get(), &error) ==
      KeepOutcome::Failed) {
    lastKept_.reset();
    Changed();
    done(KeepOutcome::Failed, error);
    return;
  }
  Queue([this, file](Failure* why) { return session_.RecordKept(*file, why) == KeepOutcome::Kept; },
        [this, file, &workspace, done = std::move(done)](bool ok, const Failure& why) {
          lastKept_ = Kept{file->record.file, file->record.complete};
          // The flight on screen is now that file: the report and digest name it.
          workspace.SetMainFlightPath(LastKeptPath());
          Changed();
          done(ok ? KeepOutcome::Kept : KeepOutcome::KeptUnrecorded, why);
        });
}

QString ContestState::LastKeptPath() const {
  return lastKept_ ? QDir(session_.Folder()).filePath(lastKept_->file) : QString();
}

}  // namespace hypsor
