// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// The logbook window's texts, in both languages (0 Polish, 1 English).
enum class LogbookTxt {
  MenuAction,      // File → Logbook…
  WindowCaption,
  Search,          // the search line's placeholder
  All,             // a filter that lets everything through
  Rocket,
  Motor,
  Site,
  Note,
  From,
  To,
  Date,
  Apogee,          // column: apogee in metres
  Competitor,
  Flags,
  File,
  State,           // column: missing / changed
  Missing,
  Changed,
  AddFiles,
  AddFolder,
  Adding,          // the progress box's text
  Cancel,
  Added,           // %1 added, %2 known, %3 refused
  Flights,         // the flights tab
  Statistics,      // the statistics tab
  GroupBy,
  Month,
  Best,
  Mean,
  Deviation,
  TimeToApogee,
  Count,           // column: number of flights
  SeasonChart,     // the chart's title: apogee over the season
  AutoAdd,         // the preference: add every flight opened or saved
  CountOf          // not a text: the number of texts
};

QString LogbookText(LogbookTxt id, int languageIndex);

}  // namespace hypsor
