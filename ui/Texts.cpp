#include "ui/Texts.h"

#include <array>

namespace hypsor {
namespace {

using enum Txt;

struct Entry {
  Txt id;
  TextPair pair;
};

// Blanks are part of the texts: "Accel  " ends in two, the banners start with 3, 2, 5 and 6.
constexpr Entry kEntries[] = {
    {BZerowanie, {"Zerowanie", "Clear", 0}},
    {B_Odczyt_Hypsoru, {"Odczyt Hypsoru", "Read Hypsor", 0}},
    {GBDysk_ZapisOdczyt, {"Zapis/Odczyt", "Save/Load", 0}},
    {BZapisz, {"Zapisz", "Save", 0}},
    {BOdczyt, {"Odczyt", "Load", 0}},
    {LTemp, {"Temp.", "Temp.", 0}},
    {LProbk, {"Pomiary", "Sampling", 0}},
    {LZaw, {"Nr.Zawod", "Comp. No.", 0}},
    {L_NumSer, {"Nr.Seryjny", "Serial No.", 0}},
    {B_Porownanie, {"Porówn", "Compare", 0}},
    {GroupB_Hypsor, {"Hypsor", "Hypsor", 0}},
    {GroupB_Por, {"Plik", "File", 0}},
    {WindowCaption, {"Hypsor", "Hypsor", 0}},
    {Ustawienia1, {"Ustawienia", "Setup", 0}},
    {Hypsor1, {"Hypsor", "Hypsor", 0}},
    {Widok1, {"Wykresy", "Charts", 0}},
    {Przyspieszenie1, {"Przysp", "Accel  ", 0}},
    {Porownanie1, {"Porówn", "Compare", 0}},
    {Series1Title, {"Wys", "Alt", 0}},
    {Series2Title, {"Przysp", "Accel  ", 0}},
    {Series3Title, {"Porówn", "Compare", 0}},
    {E_PobDan, {"   Odczyt - czekaj", "  Read - Wait", 0}},
    {ECzekaj, {"     Czekaj", "      Wait", 0}},
    {ErrorCaption, {"Hypsor - problem", "Hypsor - error", 30}},
    {PortOpenFailed, {"Błąd komunikacji z portem: ", "Communication Error: ", 30}},
    {CommunicationError, {"Błąd komunikacji", "Communication Error", 30}},
    {ResetQuestion, {"Zerowanie. Czy napewno?", "Reset. Sure?", 30}},
    {ResetQuestionCaption, {"ZEROWANIE", "Reset", 20}},
    {ResetOk, {"Hypsor wyzerowany", "Reset - OK", 30}},
    {ResetOkCaption, {"Zerowanie", "Reset", 10}},
    {ResetError, {"Błąd Zerowania", "Reset - Error", 30}},
    {NoData, {"Brak danych", "No data", 15}},
    {FileExists, {"Plik istnieje. Zapisać?", "File exists. Save?", 25}},
    {FileExistsCaption, {"Hypsor-Zapis", "Hypsor-Save", 15}},
    {WrongTemperature, {"Zła wartośc temperatury", "Wrong temperature", 25}},
    {FileTooShort,
     {"To nie jest plik lotu: krótszy niż nagłówek (32 bajty).",
      "Not a flight file: shorter than its 32-byte header.", 0}},
    {PortNameTooLong,
     {"Nazwa portu może mieć najwyżej 7 znaków.", "A port name can have at most 7 characters.", 0}},
    {PortPermissionHint,
     {"Brak uprawnień do portu: dodaj użytkownika do grupy dialout (sudo adduser $USER dialout) "
      "i zaloguj się ponownie.",
      "No permission to use the port: add your user to the dialout group (sudo adduser $USER "
      "dialout) and log in again.",
      0}},
    {FormUstawieniaCaption, {"Ustawienia", "Setup", 0}},
    {L_Numer_Portu, {"Wybierz Port", "Select Port", 0}},
    {L_PoziomWyzwalania, {"Wysokosc Startu Pomiaru", "Setup Heigh Trigger", 0}},
    {L_Kalibracja_Temp, {"Kalibracja Temp", "Calibration of the Temp.", 0}},
    {L_Ust_Probk, {"Pomiary", "Sampling", 0}},
    {LZerReczne, {"Zerowanie ręczne", "Manual reset", 0}},
    {ZeroingNo, {"Nie", "No", 0}},
    {ZeroingYes, {"Tak", "Yes", 0}},
    {L_Numer_Zawodnika, {"Nr.Zawod", "Comp. No.", 0}},
    {L_NrSer, {"Nr.Seryjny", "Serial No.", 0}},
    {B_wyslij, {"Zapisz", "Save", 0}},
    {TooLargeValue, {"Za duza wartosc", "Too large value", 30}},
    {FieldEmpty, {"Pole nie może być puste", "Field can not be empty", 24}},
    {SetupFailed, {"Błąd zapisu", "Setup failed", 15}},
    {SetupOk, {"Ustawienia OK", "Setup OK", 15}},
    {SetupCaption, {"Ustawienia", "Setup", 15}},
    {FilterPreCut, {"Obciecie wstepne[cm]", "Pre-cut [cm]", 0}},
    {FilterFinalCut, {"Obciecie dokladne [cm]", "Final cut [cm]", 0}},
    {FilterPreWindow, {"Filtr wstepny [4-20]", "Prefilter [4-20]", 0}},
    {FilterFinalWindow, {"Filtr dokladny [6-30]", "Final Filter [6-30]", 0}},
    {FilterSave, {"Zapisz", "Save", 0}},
    {FilterDefault, {"Domyslne", "Default", 0}},
};

constexpr auto kCount = static_cast<std::size_t>(Txt::Count);

// The table is indexed by Txt; this checks at compile time that no entry is missing or misplaced.
constexpr bool EntriesInOrder() {
  if (std::size(kEntries) != kCount) return false;
  for (std::size_t i = 0; i < kCount; ++i)
    if (static_cast<std::size_t>(kEntries[i].id) != i) return false;
  return true;
}
static_assert(EntriesInOrder(), "text table entries must follow the Txt order");

}  // namespace

const TextPair& TextPairOf(Txt id) {
  return kEntries[static_cast<std::size_t>(id)].pair;
}

QString Text(Txt id, int languageIndex) {
  const TextPair& p = TextPairOf(id);
  return QString::fromUtf8(languageIndex != 0 ? p.english : p.polish);
}

}  // namespace hypsor
