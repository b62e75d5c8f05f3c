// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScriptedLine.h"

#include <algorithm>
#include <cstring>

namespace hypsor {

ScriptedReply ScriptedReply::Whole(const QByteArray& bytes, int afterMs) {
  ScriptedReply r;
  r.pieces.push_back({afterMs, bytes});
  return r;
}

ScriptedReply& ScriptedReply::Then(int afterMs, const QByteArray& bytes) {
  pieces.push_back({afterMs, bytes});
  return *this;
}

ScriptedReply& ScriptedReply::HangUp(int afterMs) {
  hangUpAfterMs = afterMs;
  return *this;
}

ScriptedLine::ScriptedLine(const Clock& clock, Responder responder)
    : clock_(clock), responder_(std::move(responder)) {}

void ScriptedLine::RefuseOpen(PortOpenError error, const QString& text) {
  refusal_ = error;
  refusalText_ = text;
}

bool ScriptedLine::Open(const QString& name) {
  Close();
  location_ = name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
  openError_ = refusal_;
  errorText_ = refusalText_;
  // A device that hung up has taken its line with it.
  if (openError_ == PortOpenError::None && gone_) {
    openError_ = PortOpenError::NotFound;
    errorText_ = QStringLiteral("No such file or directory");
  }
  if (openError_ != PortOpenError::None) return false;
  open_ = true;
  ++opens_;
  return true;
}

void ScriptedLine::Close() {
  open_ = false;
  // Whatever the device still sends goes nowhere; the next opening starts afresh.
  coming_.clear();
  input_.clear();
  readPosition_ = 0;
  partialFrame_.clear();
}

void ScriptedLine::Advance() {
  const std::int64_t now = clock_.NowMs();
  if (hangUpAt_ && now >= *hangUpAt_) {
    // Only what was due before the hang-up arrived.
    auto due = std::find_if(coming_.begin(), coming_.end(),
                            [&](const Arrival& a) { return a.at > *hangUpAt_; });
    coming_.erase(due, coming_.end());
  }
  auto it = coming_.begin();
  for (; it != coming_.end() && it->at <= now; ++it) input_.append(it->bytes);
  coming_.erase(coming_.begin(), it);
  if (readPosition_ > 0 && readPosition_ == input_.size()) {
    input_.clear();
    readPosition_ = 0;
  }
  if (hangUpAt_ && now >= *hangUpAt_) {
    gone_ = true;
    hangUpAt_.reset();
  }
}

std::int64_t ScriptedLine::BytesWaiting(std::int64_t) {
  if (!open_) return -1;
  Advance();
  const std::int64_t available = input_.size() - readPosition_;
  if (gone_) return available > 0 ? available : -1;
  return available;
}

std::int64_t ScriptedLine::Read(std::uint8_t* dest, std::int64_t max) {
  if (!open_ || max < 0) return -1;
  Advance();
  const std::int64_t n = std::min<std::int64_t>(max, input_.size() - readPosition_);
  if (n == 0 && gone_) return -1;
  if (n > 0) std::memcpy(dest, input_.constData() + readPosition_, static_cast<std::size_t>(n));
  readPosition_ += n;
  return n;
}

bool ScriptedLine::WriteAndWait(const std::uint8_t* data, std::int64_t length, int) {
  if (!open_) return false;
  Advance();
  if (gone_) return false;
  if (failWritesFrom_ >= 0 && static_cast<int>(frames_.size()) >= failWritesFrom_) return false;
  partialFrame_.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
  while (partialFrame_.size() >= 8) {
    Frame frame;
    std::memcpy(frame.data(), partialFrame_.constData(), frame.size());
    partialFrame_.remove(0, 8);
    frames_.push_back(frame);
    Answer(frame);
  }
  return true;
}

void ScriptedLine::Answer(const Frame& frame) {
  ScriptedReply reply;
  if (nextQueued_ < queued_.size())
    reply = std::move(queued_[nextQueued_++]);
  else if (responder_)
    reply = responder_(frame);
  const std::int64_t now = clock_.NowMs();
  for (const ScriptedReply::Piece& piece : reply.pieces) {
    const Arrival a{now + std::max(0, piece.afterMs), piece.bytes};
    // Keep time order; pieces due at the same time arrive in the order they were scripted.
    auto at = std::upper_bound(coming_.begin(), coming_.end(), a.at,
                               [](std::int64_t t, const Arrival& x) { return t < x.at; });
    coming_.insert(at, a);
  }
  if (reply.hangUpAfterMs >= 0) {
    const std::int64_t at = now + reply.hangUpAfterMs;
    if (!hangUpAt_ || at < *hangUpAt_) hangUpAt_ = at;
  }
}

bool ScriptedLine::FlushOutput(int) {
  if (!open_) return false;
  Advance();
  return !gone_;
}

}  // namespace hypsor
