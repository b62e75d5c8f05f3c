// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <map>

#include <QObject>
#include <QPointer>
#include <QString>

#include "contest/ContestBook.h"
#include "contest/RulePack.h"

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QSpinBox;
class QToolBar;

namespace hypsor {

class ContestState;
class WindowHost;

// The contest's rulebook in the window: the Contest menu (competitors, events, the jury's
// decisions, the results of each event) and the current event and round on the session line,
// which every download in the window is kept for. The dialogs change the folder only through
// the core's contest edits, as hypsor-cli does, and show what the log says.
class RulebookControls : public QObject {
  Q_OBJECT
 public:
  RulebookControls(WindowHost& host, ContestState& state, QToolBar& sessionLine);
  ~RulebookControls() override;

 private:
  void ApplyLanguage(int language);
  void Refresh();
  void RoundChosen();
  // The packs, read once; false (and a box) when they cannot be.
  bool Packs();
  ContestEdit Edit() const;
  ContestBook Book() const;
  bool Report(bool ok, const Failure& error);
  void onCompetitors();
  void onEvents();
  void onDecide();
  void onResults();
  void FillCompetitors();
  void FillEvents();
  void FillDecide();
  void FillResults();

  WindowHost& host_;
  ContestState& state_;
  int language_ = 0;
  std::map<QString, RulePack> packs_;
  bool packsRead_ = false;
  QMenu* menu_;
  QAction* competitorsAction_;
  QAction* eventsAction_;
  QAction* decideAction_;
  QAction* resultsAction_;
  QLabel* eventLabel_;
  QComboBox* eventBox_;
  QLabel* roundLabel_;
  QSpinBox* roundBox_;
  QPointer<QDialog> competitors_;
  QPointer<QDialog> events_;
  QPointer<QDialog> decide_;
  QPointer<QDialog> results_;
};

}  // namespace hypsor
