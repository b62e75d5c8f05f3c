// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>

#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QString>
#include <QTimer>

#include "platform/MessageBox.h"

namespace hypsor::test {

// Records every box the program shows and answers as the test scripts it (OK by default).
class FakeMessageBox : public MessageBoxService {
 public:
  struct Box {
    QString text;
    QString caption;
    BoxButtons buttons;
    BoxKind kind;
    std::optional<bool> controllerBusy;  // what controllerBusy answered as the box opened
  };

  BoxResult Show(const QString& text, const QString& caption, BoxButtons buttons,
                 BoxKind kind) override {
    boxes.append({text, caption, buttons, kind,
                  controllerBusy ? std::optional<bool>(controllerBusy()) : std::nullopt});
    if (modalMs > 0) {
      // As a real box does: its own event loop runs while it is shown.
      QEventLoop loop;
      QTimer::singleShot(modalMs, &loop, &QEventLoop::quit);
      QCoreApplication::sendPostedEvents();
      loop.exec();
    }
    if (!answers.isEmpty()) return answers.takeFirst();
    return BoxResult::Ok;
  }

  QList<Box> boxes;
  QList<BoxResult> answers;  // consumed in order; OK once exhausted
  int modalMs = 0;           // each box stays up this long, handling events meanwhile
  // Asked as each box opens, when set: whether the device controller is still busy.
  std::function<bool()> controllerBusy;
};

}  // namespace hypsor::test
