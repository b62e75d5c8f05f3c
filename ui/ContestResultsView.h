// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QString>
#include <QWidget>

#include "contest/Ranking.h"

class QPushButton;
class QTableWidget;

namespace hypsor {

// The ranking of a contest folder: one row per competitor (rank, competitor, best apogee,
// flights, state, file of the best flight), then the flights not ranked, without a rank. A
// double click on a row asks for its file as the main flight; the two buttons ask for an export
// of the ranking as CSV or as PDF.
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

}  // namespace hypsor
