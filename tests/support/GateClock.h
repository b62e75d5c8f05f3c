// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <cstdint>

#include <QSemaphore>

#include "platform/Clock.h"

namespace hypsor::test {

// Virtual time that stops once it reaches a given moment until the test lets it go on: an
// exchange on the device controller's thread is caught mid-way, the same way on every run.
class GateClock final : public Clock {
 public:
  // Stops the first wait that reaches ms (-1: never).
  void StopAt(std::int64_t ms) { stopAt_.store(ms); }
  void Pause(int ms) override {
    if (ms > 0) now_ += ms;
    const std::int64_t at = stopAt_.load();
    if (at >= 0 && now_.load() >= at && !stopped_.exchange(true)) {
      reached_.release();
      // Bounded, so a test that fails before Go() cannot hang the exchange for good.
      go_.tryAcquire(1, 20000);
    }
  }
  std::int64_t NowMs() const override { return now_.load(); }
  // True once the exchange waits at the stop.
  bool Reached() const { return reached_.available() > 0; }
  void Go() { go_.release(); }

 private:
  std::atomic<std::int64_t> now_{0};
  std::atomic<std::int64_t> stopAt_{-1};
  std::atomic<bool> stopped_{false};
  QSemaphore reached_;
  QSemaphore go_;
};

}  // namespace hypsor::test
