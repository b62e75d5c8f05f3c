// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <map>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "contest/ContestLog.h"
#include "contest/RulePack.h"
#include "platform/Failure.h"

namespace hypsor {

// The contest as its log says: derived from the log's lines on every read, never stored apart.
// A later line of a kind corrects an earlier one of the same subject.
struct ContestEvent {
  QString id;
  QString pack;        // the pack's id
  QString packSha256;  // of the pack file when the event was made
  std::map<QString, QString> parameters;
  int line = 0;
};

struct Competitor {
  unsigned number = 0;
  QString name, nation, club, licence, category;
  int line = 0;  // of the last change
};

// A competitor in an event, with what the rule needs before the flight. Each value has the log
// line that last set it, so the record shows it came before the flights.
struct EventEntry {
  QString event;
  unsigned competitor = 0;
  std::map<QString, double> values;     // target, static_points, flight_points, length_cm
  std::map<QString, int> valueLines;
  int line = 0;  // of the first line entering them
};

struct FlightAssignment {
  QString event;
  int round = 0;
  int line = 0;
};

struct JuryDecision {
  QString file;
  QString status;
  QString reason;
  QString by;
  QString time;
  int line = 0;
};

struct ContestBook {
  QString name;
  std::vector<ContestEvent> events;  // in the order they were made
  std::map<unsigned, Competitor> competitors;
  std::vector<EventEntry> entries;
  std::map<QString, FlightAssignment> assignments;           // by flight file
  std::map<QString, std::vector<JuryDecision>> decisions;    // by flight file, in log order
  std::map<QString, int> flightLines;                        // the log line of each flight
  // Lines that name what the log does not hold (LogLineReference).
  std::vector<Failure> problems;

  const ContestEvent* Event(const QString& id) const;
  QStringList EventIds() const;
  const EventEntry* Entry(const QString& event, unsigned competitor) const;
  // The status the jury gave last, empty for none.
  QString LastStatus(const QString& file) const;
};

ContestBook ReadContestBook(const ContestLog& log);

// Where a value an entry carries stands in the log against a flight of that competitor in that
// event: the record that a prediction came before the flight.
struct EntryOrder {
  QString file;
  QString event;
  int round = 0;
  unsigned competitor = 0;
  QString key;  // target, static_points, ...
  int valueLine = 0;
  int flightLine = 0;
  bool Before() const { return valueLine < flightLine; }
};
// competitors: each recorded flight's competitor, by file.
std::vector<EntryOrder> EntryOrders(const ContestBook& book,
                                    const std::map<QString, unsigned>& competitors);

// The rulebook's changes to a contest folder: each takes the folder's lock, reads the log,
// checks the change against it and appends its lines in one write, or changes nothing and says
// why. `by` is the station's operator where the line records one.
struct ContestEdit {
  QString folder;
  std::map<QString, RulePack> packs;  // the known packs, by id
  int lockTimeoutMs = 5000;
};

// Records the contest's name and adds events given as ID=PACK[:key=value,...]; an event that
// exists with the same pack takes the new parameters (a random target drawn on the day).
bool InitContest(const ContestEdit& edit, const QString& name, const QStringList& events,
                 Failure* error);

// Registers the competitors of a CSV (number,name,nation,club,licence,category,events) and
// enters them in its events. Nothing is recorded when any line is wrong. *added counts the
// competitors registered or changed.
bool ImportCompetitors(const ContestEdit& edit, const QString& csvPath, int* added,
                       Failure* error);

// Enters a registered competitor in an event, with values (target, static_points, length_cm,
// flight_points). A value the rule needs before the flight is refused after their first flight.
bool EnterCompetitor(const ContestEdit& edit, const QString& event, unsigned competitor,
                     const std::map<QString, double>& values, Failure* error);

// The event and round of a flight the log records.
bool AssignFlight(const ContestEdit& edit, const QString& file, const QString& event, int round,
                  Failure* error);
// An assign line for a flight about to be recorded: checks event and round against the log.
bool CheckAssignment(const ContestBook& book, const std::map<QString, RulePack>& packs,
                     const QString& event, int round, Failure* error);
LogEntry AssignmentLine(const QString& file, const QString& event, int round);

// The jury's decision on a recorded flight.
bool DecideFlight(const ContestEdit& edit, const QString& file, const QString& status,
                  const QString& reason, const QString& by, Failure* error);

// The pack an event scores by, with its parameters applied; false when the pack is unknown.
bool EventPack(const ContestEvent& event, const std::map<QString, RulePack>& packs,
               RulePack& pack, Failure* error);

// ID=PACK[:key=value,...] into its parts.
bool ParseEventSpec(const QString& spec, QString& id, QString& pack,
                    std::map<QString, QString>& parameters);

}  // namespace hypsor
