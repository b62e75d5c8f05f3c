// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "contest/FlightRecord.h"

namespace hypsor {

// One competitor's line of the ranking.
struct RankingRow {
  int rank = 0;
  unsigned competitor = 0;
  std::optional<float> bestApogeeM;  // none when no flight of theirs has a maximum
  int flights = 0;
  QString file;  // the best flight's file (the first by name among equal ones)
  QString sha256;
};

// The ranking of a folder's flights: one row per competitor with their best apogee, sorted by
// best apogee descending (apogees compared as shown, to the decimetre; competitors without one
// last), equal apogees in competitor-number order. Ranks are competition ranks: equal apogees
// share a rank and the next rank skips (1, 2, 2, 4).
std::vector<RankingRow> RankCompetitors(const std::vector<FlightRecord>& flights);

// The ranking as CSV: rank,competitor,best_apogee_m,flights,file,sha256 and one line per row.
QByteArray RankingCsv(const std::vector<RankingRow>& rows);

}  // namespace hypsor
