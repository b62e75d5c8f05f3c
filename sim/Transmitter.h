// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puts replies on the line at the pace of a real serial link. Each byte of a reply has a due time
// on a clock-based schedule (start + index x spacing); the caller writes whatever is due in one
// go, so bytes leave in small chunks whose cumulative timing matches the line rate.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "sim/Altimeter.h"

namespace hypsor::sim {

class Transmitter {
 public:
  using Clock = std::chrono::steady_clock;

  struct Pacing {
    Clock::duration spacing{0};  // time per byte; zero sends everything at once
    bool oneBytePerWrite = false;
    bool honourDelays = true;  // the device's reaction time before a reply
  };

  // 115200 baud, 8 data bits, no parity, two stop bits: 11 bit times per byte.
  static constexpr std::chrono::nanoseconds kLineByteTime{11'000'000'000LL / 115200};

  explicit Transmitter(Pacing pacing) : pacing_(pacing) {}

  void Queue(Reply reply, Clock::time_point now);

  // Copies the bytes due at `now` into `out` (at most `capacity`) and returns their number.
  // They stay pending until Sent() reports how many the line took.
  std::size_t Due(Clock::time_point now, std::uint8_t* out, std::size_t capacity);
  void Sent(std::size_t count);

  // When to look again; nothing when the line is idle.
  std::optional<Clock::time_point> NextWake() const;

  // A reply that ends in a hang-up has been written completely.
  bool HangUpReached() const { return hangUpReached_; }

 private:
  struct Pending {
    Reply reply;
    Clock::time_point ready;
  };

  void Start(Clock::time_point now);
  std::size_t Remaining() const;
  Clock::time_point DueTime(std::uint64_t index) const;

  Pacing pacing_;
  std::deque<Pending> queue_;
  bool active_ = false;  // queue_.front() is on the line
  Clock::time_point start_{};
  std::uint64_t sent_ = 0;
  Clock::time_point lineFree_{};
  bool hangUpReached_ = false;
};

}  // namespace hypsor::sim
