// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDockWidget>

#include "flight/FlightStatistics.h"

class QTableWidget;

namespace hypsor {

class FlightWorkspace;
struct FlightQualities;

// The statistics of the main and the comparison flight side by side, one row per value. It
// only shows what the workspace computed.
class StatisticsDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit StatisticsDock(QWidget* parent = nullptr);
  // Reads both flights' statistics and captions from the workspace, in its language, with
  // their quality as the caller has just assessed it.
  void Show(const FlightWorkspace& workspace, const FlightQualities& qualities);
  // The text in a row (0 apogee ... 8 landing recorded, then the rows below, then the file's
  // SHA-256) of a flight's column.
  QString Value(int row, int column) const;
  QString ToolTip(int row, int column) const;
  // The panel starts wide enough for its titles and both flights' numbers; the user may
  // narrow it.
  QSize sizeHint() const override;
  // The rows after the statistics: the apogee before and after the filter and their
  // difference, the data-quality flags, and the main flight against its simulation.
  enum ExtraRow {
    RawApogeeRow = 9,
    FilteredApogeeRow,
    ApogeeDifferenceRow,
    SupportedApogeeRow,
    QualityRow,
    SimulationRow,
    SimulationApogeeRow,
    SimulationTimeToApogeeRow,
    SimulationRmsRow,
    Sha256Row
  };

 private:
  QTableWidget* table_;
  int language_ = 0;  // of the texts shown, for the width they need
};

}  // namespace hypsor
