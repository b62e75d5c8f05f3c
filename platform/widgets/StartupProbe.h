// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace hypsor {

// Start-up measurement (bench/startup-ratios): with HYPSOR_STARTUP_PROBE set, the first time the
// window is exposed and its first picture painted, the program prints "mapped NS" (NS: the
// monotonic clock in nanoseconds, the clock the measuring script reads before it starts the
// program) and quits. Header-only, so the bare comparison programs of bench/ use the very same
// signal without linking our libraries. Call it after the window has been shown.
class StartupProbe : public QObject {
 public:
  static void Arm(QWidget& window) {
    if (qEnvironmentVariableIsEmpty("HYPSOR_STARTUP_PROBE") || !window.windowHandle()) return;
    window.windowHandle()->installEventFilter(new StartupProbe(window.windowHandle()));
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!fired_ && event->type() == QEvent::Expose &&
        static_cast<QWindow*>(watched)->isExposed()) {
      fired_ = true;
      // Queued: the window paints and flushes while it handles this expose event, so the time is
      // taken once the first picture is on the screen.
      QTimer::singleShot(0, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("mapped %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  explicit StartupProbe(QObject* parent) : QObject(parent) {}
  bool fired_ = false;
};

}  // namespace hypsor
