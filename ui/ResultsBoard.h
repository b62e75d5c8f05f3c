// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <vector>

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include "contest/Ranking.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace hypsor {

struct FilterTables;

// The results board: a window for a projector or a second screen with the contest's name, the
// ranking and the last flight kept, in letters read across a tent. It watches the folder, so a
// flight kept by any station shows within a second or two; "provisional" until the session ends.
class ResultsBoard : public QWidget {
  Q_OBJECT
 public:
  explicit ResultsBoard(QWidget* parent = nullptr);
  ~ResultsBoard() override;

  void ShowFolder(const QString& folder, const QString& contest);
  void SetProvisional(bool provisional);
  void ApplyLanguage(int language);
  // Reads the folder again (what the watcher does after a change).
  void Reload();
  const std::vector<RankingRow>& Rows() const { return rows_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Scale();
  void Watch();

  QString folder_;
  QString contest_;
  int language_ = 0;
  bool provisional_ = true;
  std::vector<RankingRow> rows_;
  std::unique_ptr<FilterTables> work_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // a keep writes a few files: read once they are written
  QLabel* title_;
  QLabel* provisionalLabel_;
  QTableWidget* table_;
  QLabel* last_;
  QPushButton* fullScreen_;
};

}  // namespace hypsor
