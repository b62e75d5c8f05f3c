// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "contest/ContestBook.h"
#include "contest/EventScoring.h"
#include "platform/Failure.h"

namespace hypsor {

// A contest's results as they leave the program: JSON and CSV for other programs, a page to
// publish, and the spreadsheet a federation asks for. All come from EventResults, so every format
// says the same.

// {"event", "pack", "title", "rows": [{"place", "number", "name", "nation", "club", "licence",
// "category", "rounds": [{"round", "file", "altitude_m", "status", "score", "counted"}], "score",
// "tie", "remarks"}], "teams", "jury"}; absent values are null; remarks in English.
QByteArray EventResultsJson(const EventResults& results);
// place,number,name,nation,club,licence,category,round_1..round_N,score,tie,remarks.
QByteArray EventResultsCsv(const EventResults& results);
// One self-contained page: the contest, the event, provisional or official with the time, the
// table, the teams and what waits for the jury.
QByteArray EventResultsHtml(const EventResults& results, const QString& contest,
                            bool provisional, const QDateTime& made, int language);

// Whether an event's results may still change: something waits for the jury or the record
// leaves a flight unranked.
bool ResultsUnsettled(const EventResults& results);

// The spreadsheet: one sheet per event (place, number, name in Latin letters, nation, licence,
// each round, score, remarks), a sheet of teams for an event that keeps them, and a sheet of the
// jury's decisions. Written to a temporary file beside path, then renamed over it.
bool WriteResultsWorkbook(const QString& path, const QString& contest,
                          const std::vector<EventResults>& events, const ContestBook& book,
                          int language, Failure* error);

}  // namespace hypsor
