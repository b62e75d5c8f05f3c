// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/AfterFirstPicture.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace hypsor {

namespace {

// Watches the widget until it is shown, then its native window until it is exposed: the window
// paints while it handles that expose, so work queued then runs once the picture is out.
class FirstPictureWatch : public QObject {
 public:
  FirstPictureWatch(QWidget& window, std::function<void()> work)
      : QObject(&window), window_(window), work_(std::move(work)) {
    window.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show && window_.windowHandle()) {
      window_.removeEventFilter(this);
      window_.windowHandle()->installEventFilter(this);
    } else if (watched == window_.windowHandle() && event->type() == QEvent::Expose &&
               window_.windowHandle()->isExposed()) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        work_();
        deleteLater();
      });
    }
    return false;
  }

 private:
  QWidget& window_;
  std::function<void()> work_;
};

}  // namespace

void AfterFirstPicture(QWidget& window, std::function<void()> work) {
  new FirstPictureWatch(window, std::move(work));
}

}  // namespace hypsor
