// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/RulebookText.h"

#include <QStringList>

#include <iterator>

namespace hypsor {

namespace {

QString Pick(const char* polish, const char* english, int language) {
  return QString::fromUtf8(language != 0 ? english : polish);
}

QString ValueWord(const QString& key, int language) {
  if (key == QLatin1String(kTargetKey)) return Pick("przewidywana wysokość", "predicted altitude", language);
  if (key == QLatin1String(kStaticPointsKey)) return Pick("punkty statyczne", "static points", language);
  if (key == QLatin1String(kLengthKey)) return Pick("długość modelu", "model length", language);
  if (key == QLatin1String(kFlightPointsKey)) return Pick("punkty za lot", "flight points", language);
  return key;
}

}  // namespace

QString EntryValueWord(const QString& key, int language) {
  return ValueWord(key, language);
}

QString StatusWord(const QString& status, int language) {
  if (status == QLatin1String("official")) return Pick("oficjalny", "official", language);
  if (status == QLatin1String("no-data")) return Pick("brak danych", "no data", language);
  if (status == QLatin1String("attempt")) return Pick("próba", "attempt", language);
  if (status == QLatin1String("dq")) return Pick("dyskwalifikacja", "disqualified", language);
  if (status == QLatin1String("withdrawn")) return Pick("wycofany", "withdrawn", language);
  return status;
}

QString RemarkText(const Remark& r, int language) {
  QString where;
  if (r.round > 0) where = Pick("kolejka %1", "round %1", language).arg(r.round);
  if (!r.file.isEmpty()) where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + r.file;
  QString what;
  switch (r.kind) {
    case RemarkKind::Status:
      what = StatusWord(r.detail, language);
      if (!r.text.isEmpty()) what += QStringLiteral(" (") + r.text + QLatin1Char(')');
      break;
    case RemarkKind::RecordState:
      what = Pick("zapis lotu: %1, nie klasyfikowany", "record: %1, not ranked", language).arg(r.detail);
      break;
    case RemarkKind::Conflict:
      what = Pick("więcej lotów oficjalnych niż pozwala regulamin: decyzja jury",
                  "more official flights than the rule allows: for the jury", language);
      break;
    case RemarkKind::NoAltitude: what = Pick("brak wysokości", "no altitude", language); break;
    case RemarkKind::NoEntryValue:
      what = Pick("brak wartości: %1", "missing: %1", language).arg(ValueWord(r.detail, language));
      break;
    case RemarkKind::LateEntryValue:
      what = Pick("%1 zapisana po locie", "%1 recorded after the flight", language)
                 .arg(ValueWord(r.detail, language));
      break;
    case RemarkKind::NotEntered:
      what = Pick("niezgłoszony do konkurencji", "not entered in the event", language);
      break;
  }
  return where.isEmpty() ? what : where + QStringLiteral(": ") + what;
}

QString RemarksText(const std::vector<Remark>& remarks, int language) {
  QStringList parts;
  for (const Remark& r : remarks) parts << RemarkText(r, language);
  return parts.join(QStringLiteral("; "));
}

QString ColumnName(ResultsColumn column, int language) {
  switch (column) {
    case ResultsColumn::Place: return Pick("Miejsce", "Place", language);
    case ResultsColumn::Number: return Pick("Nr", "No.", language);
    case ResultsColumn::Name: return Pick("Zawodnik", "Name", language);
    case ResultsColumn::Nation: return Pick("Kraj", "Nation", language);
    case ResultsColumn::Club: return Pick("Klub", "Club", language);
    case ResultsColumn::Licence: return Pick("Licencja", "Licence", language);
    case ResultsColumn::Round: return Pick("Kolejka %1", "Round %1", language);
    case ResultsColumn::Score: return Pick("Wynik", "Score", language);
    case ResultsColumn::Remarks: return Pick("Uwagi", "Remarks", language);
    case ResultsColumn::Team: return Pick("Drużyna", "Team", language);
    case ResultsColumn::Members: return Pick("Zawodnicy", "Members", language);
    case ResultsColumn::Time: return Pick("Czas", "Time", language);
    case ResultsColumn::File: return Pick("Plik", "File", language);
    case ResultsColumn::Competitor: return Pick("Zawodnik", "Competitor", language);
    case ResultsColumn::Event: return Pick("Konkurencja", "Event", language);
    case ResultsColumn::Status: return Pick("Status", "Status", language);
    case ResultsColumn::Reason: return Pick("Powód", "Reason", language);
    case ResultsColumn::By: return Pick("Decyzja", "By", language);
  }
  return {};
}

QString ResultsStamp(bool provisional, const QString& time, int language) {
  return (provisional ? Pick("Wyniki nieoficjalne, %1", "Provisional results, %1", language)
                      : Pick("Wyniki oficjalne, %1", "Official results, %1", language))
      .arg(time);
}

namespace {

struct Caption {
  RulebookTxt id;
  const char* polish;
  const char* english;
};

constexpr Caption kCaptions[] = {
    {RulebookTxt::ContestMenu, "&Zawody", "&Contest"},
    {RulebookTxt::CompetitorsAction, "&Zawodnicy…", "&Competitors…"},
    {RulebookTxt::EventsAction, "&Konkurencje…", "&Events…"},
    {RulebookTxt::DecideAction, "&Decyzja jury…", "&Decide…"},
    {RulebookTxt::EventResultsAction, "&Wyniki konkurencji…", "Event &results…"},
    {RulebookTxt::EventLabel, "Konkurencja:", "Event:"},
    {RulebookTxt::RoundLabel, "Kolejka:", "Round:"},
    {RulebookTxt::NoEvent, "(bez konkurencji)", "(no event)"},
    {RulebookTxt::ImportButton, "Importuj CSV…", "Import CSV…"},
    {RulebookTxt::AddEventButton, "Dodaj konkurencję", "Add event"},
    {RulebookTxt::EventSpecHint, "ID=PAKIET[:klucz=wartość,...], np. PA=nar-precision-altitude",
     "ID=PACK[:key=value,...], e.g. PA=nar-precision-altitude"},
    {RulebookTxt::SaveWorkbookButton, "Zapisz arkusz XLSX…", "Save XLSX spreadsheet…"},
    {RulebookTxt::SavePageButton, "Zapisz stronę HTML…", "Save HTML page…"},
    {RulebookTxt::FlightLabel, "Lot:", "Flight:"},
    {RulebookTxt::StatusLabel, "Status:", "Status:"},
    {RulebookTxt::ReasonLabel, "Powód:", "Reason:"},
    {RulebookTxt::ByLabel, "Decyzję podjął:", "Decided by:"},
    {RulebookTxt::DecideButton, "Zapisz decyzję", "Record decision"},
    {RulebookTxt::CloseButton, "Zamknij", "Close"},
    {RulebookTxt::ImportedCount, "Zarejestrowano lub zmieniono zawodników: %1",
     "Competitors registered or changed: %1"},
    {RulebookTxt::EventsColumn, "Konkurencje", "Events"},
    {RulebookTxt::PackColumn, "Regulamin", "Rule pack"},
    {RulebookTxt::ParametersColumn, "Parametry", "Parameters"},
    {RulebookTxt::RoundsColumn, "Kolejki", "Rounds"},
    {RulebookTxt::SourceColumn, "Źródło", "Source"},
    {RulebookTxt::CategoryColumn, "Kategoria", "Category"},
    {RulebookTxt::ForJury, "Do decyzji jury: %1", "For the jury: %1"},
    {RulebookTxt::EnterButton, "Zgłoś", "Enter"},
    {RulebookTxt::NoValue, "(bez wartości)", "(no value)"},
    {RulebookTxt::SavePdfButton, "Zapisz PDF na tablicę…", "Save notice-board PDF…"},
    {RulebookTxt::Tie, "ex aequo: rozstrzyga dogrywka", "tie: a fly-off decides"},
    {RulebookTxt::BoardButton, "Tablica (F11)", "Board (F11)"},
};

constexpr bool CaptionsInOrder() {
  if (std::size(kCaptions) != static_cast<std::size_t>(RulebookTxt::Count)) return false;
  for (std::size_t i = 0; i < std::size(kCaptions); ++i)
    if (static_cast<std::size_t>(kCaptions[i].id) != i) return false;
  return true;
}
static_assert(CaptionsInOrder(), "every rulebook caption needs its words, in order");

}  // namespace

QString RulebookText(RulebookTxt id, int language) {
  const Caption& c = kCaptions[static_cast<std::size_t>(id)];
  return QString::fromUtf8(language != 0 ? c.english : c.polish);
}

}  // namespace hypsor
