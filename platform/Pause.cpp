// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Pause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

namespace hypsor {

void Pause(int ms) {
  constexpr int kSliceMs = 20;
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    if (QCoreApplication::instance())
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const qint64 left = deadline.remainingTime();
    if (left <= 0) break;
    QThread::msleep(static_cast<unsigned long>(left < kSliceMs ? left : kSliceMs));
  }
}

}  // namespace hypsor
