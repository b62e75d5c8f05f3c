// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "contest/FlightRecord.h"

namespace hypsor {

// One competitor's line of the ranking.
struct RankingRow {
  int rank = 0;  // 0: listed without a rank
  unsigned competitor = 0;
  std::optional<float> bestApogeeM;  // none when no flight of theirs has a maximum
  int flights = 0;
  QString file;  // the best flight's file (the first by name among equal ones)
  QString sha256;
  unsigned reasons = 0;  // the best flight's (FlightReason)
  QStringList flags;     // the best flight's data-quality flags, as VerifyFlags gives them
};

// The ranking of a folder's flights: one row per competitor with their best apogee, sorted by
// best apogee descending (apogees compared as shown, to the decimetre; competitors without one
// last), equal apogees in competitor-number order. Ranks are competition ranks: equal apogees
// share a rank and the next rank skips (1, 2, 2, 4). Only the flights that are Rankable take part;
// every other flight follows as a row of its own without a rank (by competitor, then file). With
// all, every flight that has a file takes part, its status marking it.
std::vector<RankingRow> RankCompetitors(const std::vector<FlightRecord>& flights,
                                        bool all = false);

// Whether a ranking may still change: while the contest is open (its session on here, so more
// flights may come) or while a row is not valid (a flight not ranked, or a best flight with a
// warning the jury has still to look at). Only a closed contest whose rows are all valid is final.
bool RankingProvisional(const std::vector<RankingRow>& rows, bool contestOpen);

// The ranking as CSV: rank,competitor,best_apogee_m,flights,file,sha256,status and one line per
// row; the rank is empty for a row without one.
QByteArray RankingCsv(const std::vector<RankingRow>& rows);

// The ranking as one HTML page that needs nothing else (no scripts, no other files), for
// publishing: the contest's name, a table of the rows with their status, the time it was made.
QByteArray RankingHtml(const std::vector<RankingRow>& rows, const QString& contest,
                       const QDateTime& made);

}  // namespace hypsor
