// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/Ranking.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "contest/ResultsTable.h"
#include "flight/Decode.h"

namespace hypsor {

namespace {

// The apogee as the ranking compares it: the decimetres of the shown value.
std::optional<long> ShownDecimetres(const std::optional<float>& m) {
  if (!m) return std::nullopt;
  return std::lround(FormatAltitude(*m, QLatin1Char('.')).toDouble() * 10.0);
}

}  // namespace

std::vector<RankingRow> RankCompetitors(const std::vector<FlightRecord>& flights) {
  // The flights by file name, so the best of equal flights is the same whatever the input order.
  std::vector<const FlightRecord*> byName;
  byName.reserve(flights.size());
  for (const FlightRecord& f : flights) byName.push_back(&f);
  std::sort(byName.begin(), byName.end(),
            [](const FlightRecord* a, const FlightRecord* b) { return a->file < b->file; });

  std::map<unsigned, RankingRow> best;
  for (const FlightRecord* f : byName) {
    RankingRow& row = best[f->competitor];
    row.competitor = f->competitor;
    ++row.flights;
    const bool first = row.flights == 1;
    if (first || ShownDecimetres(f->apogeeM) > ShownDecimetres(row.bestApogeeM)) {
      row.bestApogeeM = f->apogeeM;
      row.file = f->file;
      row.sha256 = f->sha256;
    }
  }
  std::vector<RankingRow> rows;
  rows.reserve(best.size());
  for (auto& [competitor, row] : best) rows.push_back(std::move(row));
  // std::optional orders "none" below every value, so the descending sort puts them last.
  std::stable_sort(rows.begin(), rows.end(), [](const RankingRow& a, const RankingRow& b) {
    return ShownDecimetres(a.bestApogeeM) > ShownDecimetres(b.bestApogeeM);
  });
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const bool tied =
        k > 0 && ShownDecimetres(rows[k].bestApogeeM) == ShownDecimetres(rows[k - 1].bestApogeeM);
    rows[k].rank = tied ? rows[k - 1].rank : static_cast<int>(k) + 1;
  }
  return rows;
}

QByteArray RankingCsv(const std::vector<RankingRow>& rows) {
  QString text = QStringLiteral("rank,competitor,best_apogee_m,flights,file,sha256\n");
  for (const RankingRow& r : rows) {
    text += CsvLine({QString::number(r.rank), QString::number(r.competitor),
                     r.bestApogeeM ? FormatAltitude(*r.bestApogeeM, QLatin1Char('.')) : QString(),
                     QString::number(r.flights), r.file, r.sha256}) +
            QLatin1Char('\n');
  }
  return text.toUtf8();
}

}  // namespace hypsor
