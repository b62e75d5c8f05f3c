// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LogbookText.h"

#include <iterator>

namespace hypsor {

namespace {

struct Pair {
  LogbookTxt id;
  const char* polish;   // UTF-8
  const char* english;  // UTF-8
};

using enum LogbookTxt;

constexpr Pair kTexts[] = {
    {MenuAction, "Dziennik lotów…", "Logbook…"},
    {WindowCaption, "Dziennik lotów", "Logbook"},
    {Search, "Szukaj w plikach i opisach", "Search files and tags"},
    {All, "(wszystkie)", "(all)"},
    {Rocket, "Rakieta", "Rocket"},
    {Motor, "Silnik", "Motor"},
    {Site, "Miejsce", "Site"},
    {Note, "Uwagi", "Note"},
    {From, "Od", "From"},
    {To, "Do", "To"},
    {Date, "Data", "Date"},
    {Apogee, "Pułap [m]", "Apogee [m]"},
    {Competitor, "Zawodnik", "Competitor"},
    {Flags, "Jakość danych", "Flags"},
    {File, "Plik", "File"},
    {State, "Stan pliku", "File state"},
    {Missing, "brak pliku", "missing"},
    {Changed, "plik zmieniony", "changed"},
    {AddFiles, "Dodaj pliki…", "Add files…"},
    {AddFolder, "Dodaj folder…", "Add folder…"},
    {Adding, "Dodawanie lotów do dziennika…", "Adding flights to the logbook…"},
    {Cancel, "Przerwij", "Cancel"},
    {Added, "Dodano: %1, już były: %2, odrzucono: %3", "Added: %1, known: %2, refused: %3"},
    {Flights, "Loty", "Flights"},
    {Statistics, "Statystyka", "Statistics"},
    {GroupBy, "Według", "By"},
    {Month, "Miesiąc", "Month"},
    {Best, "Najlepszy [m]", "Best [m]"},
    {Mean, "Średni [m]", "Mean [m]"},
    {Deviation, "Odchylenie [m]", "Deviation [m]"},
    {TimeToApogee, "Czas do pułapu [s]", "Time to apogee [s]"},
    {Count, "Loty", "Flights"},
    {SeasonChart, "Pułap w sezonie", "Apogee over the season"},
    {AutoAdd, "Dodawaj otwierane i zapisywane loty", "Add flights opened and saved"},
};

constexpr bool InOrder() {
  if (std::size(kTexts) != static_cast<std::size_t>(CountOf)) return false;
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (static_cast<std::size_t>(kTexts[i].id) != i) return false;
  return true;
}
static_assert(InOrder(), "every logbook text needs both languages, in the order of the ids");

}  // namespace

QString LogbookText(LogbookTxt id, int languageIndex) {
  const Pair& p = kTexts[static_cast<std::size_t>(id)];
  return QString::fromUtf8(languageIndex != 0 ? p.english : p.polish);
}

}  // namespace hypsor
