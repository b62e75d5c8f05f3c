// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/VerifyReport.h"

#include <algorithm>

#include "text/FailureText.h"
#include "text/FlightStateText.h"
#include "text/Texts.h"

namespace hypsor {

QString VerifyReport(const ContestCheck& check, int languageIndex, VerifyWording wording) {
  const bool words = wording == VerifyWording::Words;
  auto level = [&](FlightLevel l) {
    return words ? LevelWord(l, languageIndex) : LevelCode(l);
  };
  // The levels in a column as wide as the longest of them, and two blanks.
  qsizetype column = 0;
  for (FlightLevel l : {FlightLevel::Valid, FlightLevel::Warning, FlightLevel::Invalid})
    column = std::max(column, level(l).size() + 2);
  QString text;
  int counts[3] = {};
  auto line = [&](FlightLevel l, const QString& what, const QString& why) {
    text += level(l).leftJustified(column) + what;
    if (!why.isEmpty()) text += QStringLiteral("  ") + why;
    text += QLatin1Char('\n');
  };
  for (const FlightRecord& f : check.flights) {
    const QStringList flags = VerifyFlags(f);
    const FlightLevel l = VerifyLevel(f);
    ++counts[static_cast<int>(l)];
    QStringList why;
    if (words) {
      why << FlightStateWhy(f.reasons, flags, languageIndex);
    } else {
      if (f.reasons) why << StatusText(f.reasons);
      if (!flags.isEmpty()) why << QStringLiteral("flags: ") + flags.join(QLatin1Char(' '));
    }
    line(l, f.file, why.join(QStringLiteral("  ")));
  }
  for (const FolderNote& n : check.notes)
    line(LevelOf(n.reasons), n.what,
         (words ? FlightStateWhy(n.reasons, {}, languageIndex) : StatusText(n.reasons)) +
             QStringLiteral(" (") + FailureText(n.problem, languageIndex) + QLatin1Char(')'));
  // The rulebook's record: its events, and each entry value against the flight it is for.
  if (!check.book.events.empty()) {
    QStringList events;
    for (const ContestEvent& e : check.book.events) events << e.id + QLatin1Char('=') + e.pack;
    text += (languageIndex ? QStringLiteral("Events: %1; competitors: %2; decisions: %3\n")
                           : QStringLiteral("Konkurencje: %1; zawodnicy: %2; decyzje: %3\n"))
                .arg(events.join(QStringLiteral(", ")))
                .arg(check.book.competitors.size())
                .arg(check.book.decisions.size());
  }
  for (const EntryOrder& o : check.entryOrders) {
    text += (languageIndex
                 ? (o.Before() ? QStringLiteral("%1  %2 round %3: %4 recorded on line %5, before the flight (line %6)\n")
                               : QStringLiteral("%1  %2 round %3: %4 recorded on line %5, AFTER the flight (line %6)\n"))
                 : (o.Before() ? QStringLiteral("%1  %2 kolejka %3: %4 zapisano w wierszu %5, przed lotem (wiersz %6)\n")
                               : QStringLiteral("%1  %2 kolejka %3: %4 zapisano w wierszu %5, PO locie (wiersz %6)\n")))
                .arg(o.file, o.event)
                .arg(o.round)
                .arg(o.key)
                .arg(o.valueLine)
                .arg(o.flightLine);
  }
  text += Text(Txt::VerifyReportSummary, languageIndex)
              .arg(check.flights.size())
              .arg(counts[0])
              .arg(counts[1])
              .arg(counts[2])
              .arg(check.notes.size());
  text += QLatin1Char('\n');
  return text;
}

}  // namespace hypsor
