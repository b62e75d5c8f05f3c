// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ContestState.h"

#include <QDir>

#include "device/Sessions.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

bool ContestState::Start(const ContestChoice& choice, Failure* error) {
  lastKept_.reset();
  const bool ok = session_.Start(choice.folder, choice.name, error);
  if (ok) suggestion_ = {session_.Folder(), session_.Name()};
  emit changed();
  return ok;
}

void ContestState::End() {
  session_.End();
  lastKept_.reset();
  emit changed();
}

bool ContestState::RebuildResults(Failure* error, std::vector<Failure>* problems) {
  if (!session_.Active()) return true;
  const bool ok = session_.RebuildResults(error, problems);
  emit changed();
  return ok;
}

bool ContestState::ReadyForDownload(Failure* error) {
  return !session_.Active() || session_.CheckReady(error);
}

std::optional<KeepOutcome> ContestState::KeepDownload(const DownloadResult& r,
                                                      FlightWorkspace& workspace,
                                                      Failure* error) {
  if (!session_.Active() || !r.flight) return std::nullopt;
  const std::span<const std::uint8_t> bytes(r.flight->bytes.data(),
                                            static_cast<std::size_t>(r.DownloadByteCount));
  FlightRecord kept;
  const KeepOutcome outcome =
      session_.KeepDownload(bytes, QDateTime::currentDateTime(), &kept, error);
  if (outcome == KeepOutcome::Failed) {
    lastKept_.reset();
  } else {
    lastKept_ = Kept{kept.file, kept.complete};
    // The flight on screen is now that file: the report and digest name it.
    workspace.SetMainFlightPath(LastKeptPath());
  }
  emit changed();
  return outcome;
}

QString ContestState::LastKeptPath() const {
  return lastKept_ ? QDir(session_.Folder()).filePath(lastKept_->file) : QString();
}

}  // namespace hypsor
