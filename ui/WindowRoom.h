// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>

class QDockWidget;
class QMainWindow;

namespace hypsor {

// Where the window's docks go, so that they never take room from the designed top row: beside
// it on the right while the window is wide enough for the row and a dock, otherwise below the
// chart, the docks sharing one tabbed area there. Decided again whenever the window's size
// changes or a dock is shown, hidden, added or put back from floating.
class WindowRoom : public QObject {
 public:
  explicit WindowRoom(QMainWindow& window);

  // The narrowest client area in which the top row stands whole, and the width a dock at the
  // right takes.
  static int TopRowWidth();
  static constexpr int kDockWidth = 320;
  static constexpr int kDockFrame = 12;
  static constexpr int kWidestDock = 480;
  // Whether a window this wide has room for the top row and a dock this wide beside it.
  static bool FitsBeside(int windowWidth, int dockWidth);
  // The height of the docks below the chart.
  static int BottomDockHeight(int windowHeight);

  void Arrange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Watch(QDockWidget* dock);
  void ArrangeSoon();
  QMainWindow& window_;
  bool arranging_ = false;
  bool pending_ = false;
};

}  // namespace hypsor
