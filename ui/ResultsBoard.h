// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QWidget>

#include "contest/Ranking.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace hypsor {

class ContestResults;

// The results board: a window for a projector or a second screen with the contest's name, the
// ranking and the last flight kept, in letters read across a tent. It shows the folder's results
// as they change (a flight kept by any station shows within a second or two), "provisional"
// while RankingProvisional says so. Everything fits the board at any size: the letters get
// smaller where the board is too narrow for them.
class ResultsBoard : public QWidget {
  Q_OBJECT
 public:
  explicit ResultsBoard(const ContestResults& results, QWidget* parent = nullptr);
  ~ResultsBoard() override;

  // The contest the board names, and whether its session is still on.
  void SetContest(const QString& contest);
  void SetOpen(bool open);
  void ApplyLanguage(int language);
  // A size that fits the screen's free area, in its middle (before the board is first shown).
  void PlaceOnScreen();
  const std::vector<RankingRow>& Rows() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowResults();
  void Fit();

  const ContestResults& results_;
  QString contest_;
  bool open_ = true;
  int language_ = 0;
  QLabel* title_;
  QLabel* provisionalLabel_;
  QTableWidget* table_;
  QLabel* last_;
  QPushButton* fullScreen_;
};

}  // namespace hypsor
