// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "contest/ContestBook.h"
#include "contest/FlightRecord.h"
#include "contest/RulePack.h"

namespace hypsor {

// The rule engine: the one place a contest is scored. It reads the book (events, competitors,
// entries, assignments, decisions), the pack and the flights' values, and nothing else.

// Why a flight or a round does not simply count; worded in text/RulebookText.
enum class RemarkKind {
  Status,          // the flight's status (detail) given by the jury, with its reason (text)
  RecordState,     // the record leaves the flight unranked: detail the state's codes
  Conflict,        // more official flights in the round than the rule allows: for the jury
  NoAltitude,      // the flight has no altitude (it never launched)
  NoEntryValue,    // detail: the entry value the score needs and the competitor lacks
  LateEntryValue,  // detail: an entry value recorded after the flight was downloaded
  NotEntered,      // flights in an event the competitor is not entered in
};
struct Remark {
  RemarkKind kind;
  int round = 0;
  QString file;
  QString detail;
  QString text;  // a reason, as the jury gave it
};

struct FlightCell {
  int round = 0;
  QString file;
  std::optional<double> altitudeM;
  QString status;  // official, no-data, attempt, dq, withdrawn, or the record's state codes
  std::optional<double> score;  // the flight's score where its status counts
  bool counted = false;         // the score is in the competitor's total
};

struct EventRow {
  int place = 0;  // 0: no score, listed without a place
  Competitor competitor;
  std::vector<FlightCell> flights;                // in round order, then the log's
  std::vector<std::optional<double>> roundScores;  // per round (index round - 1)
  std::optional<double> score;
  bool tie = false;  // equal with another row after every tie-break but a fly-off
  std::vector<Remark> remarks;
};

struct TeamRow {
  int place = 0;
  QString team;
  std::vector<unsigned> members;  // whose scores are summed, best first
  double score = 0;
  bool complete = false;  // as many scored members as the pack sums
};

struct EventResults {
  QString event;
  RulePack pack;
  std::vector<EventRow> rows;
  std::vector<TeamRow> teams;
  // What the jury must rule on: conflicts, by competitor and round.
  std::vector<Remark> forJury;
};

// Scores one event of the book from the folder's flights (FolderCheck's records).
EventResults ScoreEvent(const ContestBook& book, const ContestEvent& event, const RulePack& pack,
                        const std::vector<FlightRecord>& flights);
// A folder without events is one event "open": every flight in one round, the best counts.
EventResults ScoreOpenEvent(const ContestBook& book, const std::vector<FlightRecord>& flights);

// A score as the results show it, to the pack's decimals, '.' as the decimal point.
QString ScoreText(double score, int decimals);

}  // namespace hypsor
