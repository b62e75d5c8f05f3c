// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowRoom.h"

#include <algorithm>

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

#include "ui/MainLayout.h"

namespace hypsor {

WindowRoom::WindowRoom(QMainWindow& window) : QObject(&window), window_(window) {
  window_.installEventFilter(this);
}

int WindowRoom::TopRowWidth() {
  static const int width = [] {
    const LayoutWidths designed;
    for (int w = 400; w < 4000; ++w) {
      const auto l = ComputeMainLayout(w, 600, designed);
      if (l && l->comparisonPanelLeft + designed.comparisonPanel + 8 <= w) return w;
    }
    return 800;
  }();
  return width;
}

bool WindowRoom::FitsBeside(int windowWidth, int dockWidth) {
  // The dock's frame and the splitter beside it take a few pixels more.
  return windowWidth - dockWidth - kDockFrame >= TopRowWidth();
}

int WindowRoom::BottomDockHeight(int windowHeight) {
  return std::clamp(windowHeight / 4, 110, 230);
}

void WindowRoom::Watch(QDockWidget* dock) {
  if (dock->property("hypsorRoomWatched").toBool()) return;
  dock->setProperty("hypsorRoomWatched", true);
  dock->installEventFilter(this);
  connect(dock, &QDockWidget::topLevelChanged, this, [this] { Arrange(); });
}

void WindowRoom::ArrangeSoon() {
  // After the change under way is done.
  if (pending_) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] {
    pending_ = false;
    Arrange();
  });
}

bool WindowRoom::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (watched == &window_) {
    // A dock added later is complete only once it is polished.
    if (t == QEvent::ChildPolished) ArrangeSoon();
    if (t == QEvent::Resize || t == QEvent::Show) Arrange();
  } else if (t == QEvent::Show || t == QEvent::Hide) {
    if (t == QEvent::Show) Arrange();
    ArrangeSoon();
  }
  return QObject::eventFilter(watched, event);
}

void WindowRoom::Arrange() {
  if (arranging_) return;
  arranging_ = true;
  QList<QDockWidget*> docked, shown;
  int width = kDockWidth;
  int wanted = kDockWidth;
  for (QDockWidget* d : window_.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
    Watch(d);
    if (d->isFloating()) continue;
    docked << d;
    if (!d->isHidden()) shown << d;
    width = std::max(width, d->minimumSizeHint().width());
    if (!d->isHidden()) wanted = std::max(wanted, d->sizeHint().width());
  }
  const bool right = FitsBeside(window_.width(), width);
  // Beside the chart the docks get the width their contents ask for (the statistics' numbers
  // whole), as far as the top row keeps its room and the chart most of the window.
  if (right)
    width = std::clamp(std::min(wanted, kWidestDock), width,
                       std::max(width, window_.width() - kDockFrame - TopRowWidth()));
  const Qt::DockWidgetArea area = right ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea;
  for (QDockWidget* d : docked) {
    if (window_.dockWidgetArea(d) == area) continue;
    const bool visible = !d->isHidden();
    window_.addDockWidget(area, d);
    d->setVisible(visible);
  }
  // Below the chart the docks share one place, one tab each, and keep the chart its height.
  if (!right)
    for (qsizetype i = 1; i < docked.size(); ++i)
      if (!window_.tabifiedDockWidgets(docked[0]).contains(docked[i]))
        window_.tabifyDockWidget(docked[0], docked[i]);
  if (!shown.isEmpty()) {
    QList<int> sizes(shown.size(), right ? width : BottomDockHeight(window_.height()));
    window_.resizeDocks(shown, sizes, right ? Qt::Horizontal : Qt::Vertical);
  }
  arranging_ = false;
}

}  // namespace hypsor
