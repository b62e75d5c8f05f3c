// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "contest/EventScoring.h"

namespace hypsor {

// The rulebook's words in the language (0 Polish, 1 English): statuses, remarks and the column
// names of the results, as every format and view shows them.

// official, no-data, attempt, dq, withdrawn in words; a record's state codes as they are.
QString StatusWord(const QString& status, int language);
// One remark, naming its round and flight where it has them.
QString RemarkText(const Remark& remark, int language);
// The remarks of a row joined by "; ".
QString RemarksText(const std::vector<Remark>& remarks, int language);

enum class ResultsColumn { Place, Number, Name, Nation, Club, Licence, Round, Score, Remarks,
                           Team, Members, Time, File, Competitor, Event, Status, Reason, By };
QString ColumnName(ResultsColumn column, int language);
// "Provisional results" or "Official results", with the time they were made.
QString ResultsStamp(bool provisional, const QString& time, int language);

// The window's rulebook captions.
enum class RulebookTxt {
  ContestMenu,
  CompetitorsAction,
  EventsAction,
  DecideAction,
  EventResultsAction,
  EventLabel,
  RoundLabel,
  NoEvent,
  ImportButton,
  AddEventButton,
  EventSpecHint,
  SaveWorkbookButton,
  SavePageButton,
  FlightLabel,
  StatusLabel,
  ReasonLabel,
  ByLabel,
  DecideButton,
  CloseButton,
  ImportedCount,
  EventsColumn,
  PackColumn,
  ParametersColumn,
  RoundsColumn,
  SourceColumn,
  CategoryColumn,
  ForJury,
  EnterButton,
  NoValue,
  SavePdfButton,
  Tie,
  BoardButton,
  Count
};
QString RulebookText(RulebookTxt id, int language);
// An entry value's name (target, static_points, ...) in words.
QString EntryValueWord(const QString& key, int language);

}  // namespace hypsor
