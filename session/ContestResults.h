// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "contest/FlightRecord.h"
#include "contest/Ranking.h"

namespace hypsor {

struct FilterTables;

// A contest folder's flights and ranking as its files and its log say them, the one derivation
// every view of the results shows: the results dock, the session line, the board and the
// exports. It watches the folder, so a flight kept by any station, or a kept file changed in
// place, shows a moment later; Reload reads the folder at once (after a keep, a rebuild or a
// check, and before an export).
class ContestResults : public QObject {
  Q_OBJECT
 public:
  ContestResults();
  ~ContestResults() override;

  // Follows folder from now on (reading it at once); an empty one stops and forgets.
  void Follow(const QString& folder);
  void Reload();
  const QString& Folder() const { return folder_; }
  // In flight-number order, each with its reasons and data-quality flags.
  const std::vector<FlightRecord>& Flights() const { return flights_; }
  const std::vector<RankingRow>& Ranking() const { return ranking_; }

 signals:
  void changed();

 private:
  void Watch();

  QString folder_;
  std::vector<FlightRecord> flights_;
  std::vector<RankingRow> ranking_;
  std::unique_ptr<FilterTables> work_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // a keep writes a few files: read once they are written
};

}  // namespace hypsor
