// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <vector>

#include <QDateTime>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "contest/Ranking.h"
#include "platform/Failure.h"

class QPagedPaintDevice;
class QPainter;

namespace hypsor {

// The ranking's columns, as the dock shows them and the PDF prints them: rank, competitor, best
// apogee, flights, state, file.
inline constexpr int RankingColumnCount = 6;
QStringList RankingHeadings(int language);
QStringList RankingCells(const RankingRow& row, int language);

// A ranking as printed: its rows, the contest's name, when it was made and whether it is final
// (RankingProvisional says when it is not).
struct RankingDocument {
  std::vector<RankingRow> rows;
  QString contest;
  QDateTime made;
  bool provisional = true;
  int language = 0;
};

// The ranking as a table on as many pages as it needs, each under the title (the contest's name
// and "Ranking"), the time it was made and, while it is provisional, a line saying so. Every
// heading is printed whole, wrapped in its column where it is wider.
void PaintRanking(QPagedPaintDevice& device, const RankingDocument& document);
// The same on any painter whose pages are size (device pixels); newPage starts the next page.
void PaintRankingPages(QPainter& painter, const QSizeF& size, const std::function<void()>& newPage,
                       const RankingDocument& document);
// Writes it as a PDF, atomically. False with *error.
bool WriteRankingPdf(const RankingDocument& document, const QString& path, Failure* error);

}  // namespace hypsor
