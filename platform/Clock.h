// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace hypsor {

// Where the device code's waits and time come from. The program runs on the real clock; tests
// and the fuzzer drive the protocol on a virtual one that jumps ahead instead of sleeping.
class Clock {
 public:
  virtual ~Clock() = default;
  // Waits about ms milliseconds.
  virtual void Pause(int ms) = 0;
  // Milliseconds since an arbitrary fixed point; never goes back.
  virtual std::int64_t NowMs() const = 0;
};

// Sleeps for real. Only the altimeter's thread (and hypsor-cli) waits on it: the window's thread
// never sleeps.
class RealClock final : public Clock {
 public:
  void Pause(int ms) override;
  std::int64_t NowMs() const override;
};

// The program's one real clock.
Clock& SystemClock();

// Time that passes only when someone waits: Pause(ms) adds ms at once.
class VirtualClock final : public Clock {
 public:
  void Pause(int ms) override {
    if (ms > 0) now_ += ms;
  }
  std::int64_t NowMs() const override { return now_; }
  void Advance(std::int64_t ms) { now_ += ms; }

 private:
  std::int64_t now_ = 0;
};

}  // namespace hypsor
