// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include <QElapsedTimer>

#include "platform/Pause.h"

namespace hypsor {

void RealClock::Pause(int ms) {
  hypsor::Pause(ms);
}

std::int64_t RealClock::NowMs() const {
  static const QElapsedTimer start = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return start.elapsed();
}

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace hypsor
