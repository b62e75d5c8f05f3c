#pragma once
#include <QDockWidget>

#include "flight/FlightStatistics.h"

class QTableWidget;

namespace hypsor {

class FlightWorkspace;

// The statistics of the main and the comparison flight side by side, one row per value. It
// only shows what the workspace computed.
class StatisticsDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit StatisticsDock(QWidget* parent = nullptr);
  // Reads both flights' statistics and captions from the workspace, in its language.
  void Show(const FlightWorkspace& workspace);
  // The text in a row (0 apogee ... 8 landing recorded) of a flight's column.
  QString Value(int row, int column) const;

 private:
  QTableWidget* table_;
};

}  // namespace hypsor
