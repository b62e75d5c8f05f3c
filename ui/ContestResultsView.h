// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <vector>

#include <QSizeF>

#include <QString>
#include <QWidget>

#include "contest/Ranking.h"
#include "platform/Failure.h"

class QPagedPaintDevice;
class QPainter;
class QPushButton;
class QTableWidget;

namespace hypsor {

// The ranking of a contest folder: one row per competitor (rank, competitor, best apogee,
// flights, status, file of the best flight), then the flights not ranked, without a rank. A double click on a row asks for its file as the main
// flight; the two buttons ask for an export of the ranking as CSV or as PDF.
class ContestResultsView : public QWidget {
  Q_OBJECT
 public:
  explicit ContestResultsView(QWidget* parent = nullptr);
  void ShowRanking(std::vector<RankingRow> rows);
  const std::vector<RankingRow>& Rows() const { return rows_; }
  void ApplyLanguage(int language);

 signals:
  void OpenFlightRequested(const QString& fileName);
  void ExportCsvRequested();
  void ExportPdfRequested();

 private:
  QTableWidget* table_;
  QPushButton* exportCsvButton_;
  QPushButton* exportPdfButton_;
  std::vector<RankingRow> rows_;
  int language_ = 0;
};

// A flight's status in words of the language: "valid", or its reasons.
QString StatusLabel(unsigned reasons, int language);

// The ranking as a table on as many pages as it needs, under a title (contest name and
// "Ranking"), in the given language.
void PaintRanking(QPagedPaintDevice& device, const std::vector<RankingRow>& rows,
                  const QString& contest, int language);
// The same on any painter whose pages are size (device pixels); newPage starts the next page.
void PaintRankingPages(QPainter& painter, const QSizeF& size, const std::function<void()>& newPage,
                       const std::vector<RankingRow>& rows, const QString& contest, int language);
// Writes it as a PDF, atomically. False with *error.
bool WriteRankingPdf(const std::vector<RankingRow>& rows, const QString& contest, int language,
                     const QString& path, Failure* error);

}  // namespace hypsor
