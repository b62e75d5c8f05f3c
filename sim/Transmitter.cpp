// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Transmitter.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace hypsor::sim {

namespace {
// Wake up once this many bytes are due rather than once per byte (about 1.5 ms of line time).
constexpr std::uint64_t kChunk = 16;
// A sender that fell further behind than this (the reader stopped draining the terminal) starts a
// fresh schedule instead of bursting: a real line cannot catch up either.
constexpr std::chrono::milliseconds kMaxLag{20};
}  // namespace

void Transmitter::Queue(Reply reply, Clock::time_point now) {
  const Clock::duration delay = pacing_.honourDelays
                                    ? std::chrono::duration_cast<Clock::duration>(reply.delay)
                                    : Clock::duration::zero();
  queue_.push_back(Pending{std::move(reply), now + delay});
}

void Transmitter::Start(Clock::time_point now) {
  while (!active_ && !queue_.empty()) {
    const Pending& front = queue_.front();
    if (front.reply.bytes.empty() && !front.reply.endless) {
      if (front.reply.hangUp) hangUpReached_ = true;
      queue_.pop_front();
      continue;
    }
    active_ = true;
    sent_ = 0;
    start_ = std::max(front.ready, lineFree_);
    // An idle line does not owe anybody time.
    if (start_ < now - kMaxLag) start_ = now;
  }
}

std::size_t Transmitter::Remaining() const {
  const Reply& r = queue_.front().reply;
  if (r.endless) return std::numeric_limits<std::size_t>::max();
  return r.bytes.size() - static_cast<std::size_t>(sent_);
}

Transmitter::Clock::time_point Transmitter::DueTime(std::uint64_t index) const {
  const Clock::duration spacing =
      pacing_.spacing > Clock::duration::zero() ? pacing_.spacing : Clock::duration::zero();
  return start_ + spacing * static_cast<Clock::rep>(index);
}

std::size_t Transmitter::Due(Clock::time_point now, std::uint8_t* out, std::size_t capacity) {
  Start(now);
  if (!active_ || capacity == 0 || now < start_) return 0;

  std::size_t count = Remaining();
  if (pacing_.spacing > Clock::duration::zero()) {
    if (now - DueTime(sent_) > kMaxLag)
      start_ = now - pacing_.spacing * static_cast<Clock::rep>(sent_);
    const std::uint64_t dueCount =
        static_cast<std::uint64_t>((now - start_) / pacing_.spacing) + 1 - sent_;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, dueCount));
  }
  if (pacing_.oneBytePerWrite) count = std::min<std::size_t>(count, 1);
  count = std::min(count, capacity);

  const Reply& r = queue_.front().reply;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t index = sent_ + i;
    out[i] = index < r.bytes.size() ? r.bytes[static_cast<std::size_t>(index)]
                                    : NoiseByte(index - r.bytes.size());
  }
  return count;
}

void Transmitter::Sent(std::size_t count) {
  if (!active_) return;
  sent_ += count;
  const Reply& r = queue_.front().reply;
  if (r.endless || sent_ < r.bytes.size()) return;
  lineFree_ = DueTime(sent_);
  if (r.hangUp) hangUpReached_ = true;
  queue_.pop_front();
  active_ = false;
}

std::optional<Transmitter::Clock::time_point> Transmitter::NextWake() const {
  if (queue_.empty()) return std::nullopt;
  if (!active_) return std::max(queue_.front().ready, lineFree_);
  std::uint64_t ahead = pacing_.oneBytePerWrite ? 0 : kChunk - 1;
  const Reply& r = queue_.front().reply;
  if (!r.endless) ahead = std::min<std::uint64_t>(ahead, r.bytes.size() - sent_ - 1);
  return DueTime(sent_ + ahead);
}

}  // namespace hypsor::sim
