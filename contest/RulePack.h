// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/Failure.h"

namespace hypsor {

// A competition's rule as data: one JSON file per rule in the rules folder. The rule engine
// (EventScoring) reads nothing else, so a new rule is a new file, not new code.
enum class ScoreKind {
  Altitude,             // the altitude in metres
  Precision,            // |achieved / target × 100 − 100|, the percentage rounded first
  AltitudePlusStatic,   // static points + flight points + altitude in metres
  LengthTimesAltitude,  // length in centimetres (up to a cap) × altitude in metres
};
enum class TargetFrom { None, Entry, Event };  // a precision target: predicted, or set/random

// What a status the jury (or the record) gives does to a flight.
struct StatusRule {
  QString id;             // official, no-data, attempt, dq, withdrawn
  bool counts = false;    // its score counts in its round
  bool reflight = false;  // another flight in the same round is allowed after it
  bool reason = false;    // a reason must be given
};

// A parameter an event may set when it is made (ID=PACK:key=value,...).
struct PackParameter {
  QString key;
  std::optional<double> min, max;  // numbers
  QStringList choices;             // or one of these words
};

struct RulePack {
  QString id;
  QString title;
  // Where the rule is written: document, its edition, the rule numbers used.
  QString document, edition, ruleNumbers;
  QString path;    // the file it was read from
  QString sha256;  // of the file's bytes, as the contest log records it
  int rounds = 1;
  int flightsPerRound = 1;  // 0: any number, the best of the round counts
  int countBest = 1;        // the best K rounds count (their sum when K > 1)
  ScoreKind score = ScoreKind::Altitude;
  bool lowerIsBetter = false;
  int decimals = 1;  // the score's rounding
  TargetFrom target = TargetFrom::None;
  std::optional<double> targetM;       // a set or random target
  std::optional<double> maxLengthCm;   // the length that counts at most
  QStringList entryValues;             // needed from each entry before its first flight
  QStringList tieBreaks;               // "next-best", then "fly-off"
  std::vector<StatusRule> statuses;    // what the jury may give, official first
  int teamBest = 0;                    // team results: the sum of the best K; 0: none
  QString teamBy;                      // "nation" or "club"
  QStringList classes;                 // e.g. A–F
  QString eventClass;                  // the class an event chose
  std::vector<PackParameter> parameters;

  const StatusRule* Status(const QString& status) const;
  QStringList StatusIds() const;
};

// The values an entry may carry, by their keys in the log and on the command line.
inline constexpr char kTargetKey[] = "target";
inline constexpr char kStaticPointsKey[] = "static_points";
inline constexpr char kFlightPointsKey[] = "flight_points";
inline constexpr char kLengthKey[] = "length_cm";

// Reads and checks one pack (file and field named in *error).
bool ParseRulePack(const QByteArray& json, const QString& path, RulePack& pack, Failure* error);
bool ReadRulePack(const QString& path, RulePack& pack, Failure* error);

// The pack with an event's parameters applied ("rounds=2,best=1"); false naming the key.
bool ApplyParameters(RulePack& pack, const std::map<QString, QString>& parameters,
                     Failure* error);
// "key=value,key=value" and back, keys sorted.
bool ParseParameters(const QString& text, std::map<QString, QString>& parameters);
QString ParametersText(const std::map<QString, QString>& parameters);

// The rules folder of the program: beside it in the build tree, else where it is installed.
QString RulePackFolder();
// Every pack of a folder (*.json), by id. A bad pack fails the whole load, naming it.
bool LoadRulePacks(const QString& folder, std::map<QString, RulePack>& packs, Failure* error);

// The pack a folder made before events existed ranks by: every flight in one round, the best.
RulePack OpenEventPack();
inline constexpr char kOpenEventId[] = "open";

}  // namespace hypsor
