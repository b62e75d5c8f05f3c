// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QThread>

namespace hypsor {

void RealClock::Pause(int ms) {
  if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
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
