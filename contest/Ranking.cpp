// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/Ranking.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "contest/FolderCheck.h"
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

std::vector<RankingRow> RankCompetitors(const std::vector<FlightRecord>& flights, bool all) {
  // The flights by file name, so the best of equal flights is the same whatever the input order.
  std::vector<const FlightRecord*> byName;
  byName.reserve(flights.size());
  for (const FlightRecord& f : flights) byName.push_back(&f);
  std::sort(byName.begin(), byName.end(),
            [](const FlightRecord* a, const FlightRecord* b) { return a->file < b->file; });

  std::map<unsigned, RankingRow> best;
  std::vector<RankingRow> unranked;
  for (const FlightRecord* f : byName) {
    if (all ? (f->reasons & ReasonMissing) != 0 : !Rankable(f->reasons)) {
      unranked.push_back(
          {0, f->competitor, f->apogeeM, 1, f->file, f->sha256, f->reasons, VerifyFlags(*f)});
      continue;
    }
    RankingRow& row = best[f->competitor];
    row.competitor = f->competitor;
    ++row.flights;
    const bool first = row.flights == 1;
    if (first || ShownDecimetres(f->apogeeM) > ShownDecimetres(row.bestApogeeM)) {
      row.bestApogeeM = f->apogeeM;
      row.file = f->file;
      row.sha256 = f->sha256;
      row.reasons = f->reasons;
      row.flags = VerifyFlags(*f);
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
  std::stable_sort(unranked.begin(), unranked.end(), [](const RankingRow& a, const RankingRow& b) {
    return a.competitor < b.competitor;
  });
  rows.insert(rows.end(), unranked.begin(), unranked.end());
  return rows;
}

bool RankingProvisional(const std::vector<RankingRow>& rows, bool contestOpen) {
  return contestOpen || std::any_of(rows.begin(), rows.end(), [](const RankingRow& r) {
           return r.rank == 0 || StateLevel(r.reasons, r.flags) != FlightLevel::Valid;
         });
}

QByteArray RankingCsv(const std::vector<RankingRow>& rows) {
  QString text = QStringLiteral("rank,competitor,best_apogee_m,flights,file,sha256,status\n");
  for (const RankingRow& r : rows) {
    text += CsvLine({r.rank ? QString::number(r.rank) : QString(), QString::number(r.competitor),
                     r.bestApogeeM ? FormatAltitude(*r.bestApogeeM, QLatin1Char('.')) : QString(),
                     QString::number(r.flights), r.file, r.sha256, StatusText(r.reasons)}) +
            QLatin1Char('\n');
  }
  return text.toUtf8();
}

}  // namespace hypsor

namespace hypsor {

QByteArray RankingHtml(const std::vector<RankingRow>& rows, const QString& contest,
                       const QDateTime& made) {
  const QString title =
      (contest.isEmpty() ? QString() : contest + QStringLiteral(" — ")) + QStringLiteral("Ranking");
  QString html = QStringLiteral(
                     "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<title>%1</title>\n<style>\n"
                     "body{font-family:sans-serif;margin:2em}\n"
                     "table{border-collapse:collapse}\n"
                     "th,td{border:1px solid #999;padding:.3em .8em;text-align:left}\n"
                     "td.n{text-align:right}\n"
                     "tr.unranked td{color:#777}\n"
                     "</style>\n</head>\n<body>\n<h1>%1</h1>\n<table>\n"
                     "<tr><th>Rank</th><th>Competitor</th><th>Best apogee [m]</th><th>Flights</th>"
                     "<th>File</th><th>Status</th></tr>\n")
                     .arg(title.toHtmlEscaped());
  for (const RankingRow& r : rows) {
    html += QStringLiteral("<tr%1><td class=\"n\">%2</td><td class=\"n\">%3</td>"
                           "<td class=\"n\">%4</td><td class=\"n\">%5</td><td>%6</td>"
                           "<td>%7</td></tr>\n")
                .arg(r.rank ? QString() : QStringLiteral(" class=\"unranked\""),
                     r.rank ? QString::number(r.rank) : QString(), QString::number(r.competitor),
                     r.bestApogeeM ? FormatAltitude(*r.bestApogeeM, QLatin1Char('.')) : QString(),
                     QString::number(r.flights), r.file.toHtmlEscaped(),
                     StatusText(r.reasons).toHtmlEscaped());
  }
  html += QStringLiteral("</table>\n<p>%1</p>\n</body>\n</html>\n")
              .arg(made.toString(Qt::ISODate).toHtmlEscaped());
  return html.toUtf8();
}

}  // namespace hypsor
