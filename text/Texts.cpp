// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Texts.h"

#include <algorithm>
#include <array>

#include <QStringList>
#include <utility>

namespace hypsor {
namespace {

using enum Txt;

struct Entry {
  Txt id;
  TextPair pair;
};

// Blanks are part of the texts: "Accel  " ends in two, the banners start with 3, 2, 5 and 6.
constexpr Entry kEntries[] = {
    {ZeroButton, {"Zerowanie", "Clear", 0}},
    {ReadButton, {"Odczyt Hypsoru", "Read Hypsor", 0}},
    {FileGroup, {"Zapis/Odczyt", "Save/Load", 0}},
    {SaveButton, {"Zapisz", "Save", 0}},
    {LoadButton, {"Odczyt", "Load", 0}},
    {TemperatureLabel, {"Temp.", "Temp.", 0}},
    {SamplingLabel, {"Pomiary", "Sampling", 0}},
    {CompetitorLabel, {"Nr.Zawod", "Comp. No.", 0}},
    {SerialLabel, {"Nr.Seryjny", "Serial No.", 0}},
    {CompareButton, {"Porówn", "Compare", 0}},
    {MainFlightGroup, {"Hypsor", "Hypsor", 0}},
    {ComparisonGroup, {"Plik", "File", 0}},
    {WindowCaption, {"Hypsor", "Hypsor", 0}},
    {SetupMenu, {"Ustawienia", "Setup", 0}},
    {DeviceSettingsAction, {"Hypsor", "Hypsor", 0}},
    {ChartsMenu, {"Wykresy", "Charts", 0}},
    {AccelerationAction, {"Przysp", "Accel  ", 0}},
    {ComparisonAction, {"Porówn", "Compare", 0}},
    {AltitudeCurveTitle, {"Wys", "Alt", 0}},
    {AccelerationCurveTitle, {"Przysp", "Accel  ", 0}},
    {ComparisonCurveTitle, {"Porówn", "Compare", 0}},
    {DownloadBanner, {"   Odczyt - czekaj", "  Read - Wait", 0}},
    {WaitBanner, {"     Czekaj", "      Wait", 0}},
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
    {ViewMenu, {"Widok", "View", 0}},
    {StatisticsAction, {"Statystyki lotu", "Flight statistics", 0}},
    {MarkersAction,
     {"Znaczniki startu, apogeum i lądowania", "Launch, apogee and landing markers", 0}},
    {AlignComparisonAction, {"Porównanie wyrównane w czasie", "Align comparison on time", 0}},
    {ExportMenu, {"Eksport", "Export", 0}},
    {ExportChartAction, {"Eksportuj wykres…", "Export chart…", 0}},
    {ExportDataAction, {"Eksportuj dane…", "Export data…", 0}},
    {CopyChartAction, {"Kopiuj wykres", "Copy chart", 0}},
    {ChartSizeCaption, {"Rozmiar wykresu", "Chart size", 0}},
    {ChartSizeWindow, {"Rozmiar okna", "Window size", 0}},
    {ChartWidth, {"Szerokość [px]", "Width [px]", 0}},
    {ChartHeight, {"Wysokość [px]", "Height [px]", 0}},
    {ExportFailed, {"Nie udało się zapisać pliku", "The file could not be written", 0}},
    {ChartFormatUnknown,
     {"Wybierz plik .png, .svg lub .pdf", "Choose a .png, .svg or .pdf file", 0}},
    {ChartFormatUnknownNoSvg, {"Wybierz plik .png lub .pdf", "Choose a .png or .pdf file", 0}},
    {StatisticsPanel, {"Statystyki", "Statistics", 0}},
    {StatApogee, {"Apogeum [m]", "Apogee [m]", 0}},
    {StatLaunch, {"Start [s]", "Launch [s]", 0}},
    {StatTimeToApogee, {"Czas do apogeum [s]", "Time to apogee [s]", 0}},
    {StatLanding, {"Lądowanie [s]", "Landing [s]", 0}},
    {StatDuration, {"Czas lotu [s]", "Flight duration [s]", 0}},
    {StatMaxClimb, {"Maks. wznoszenie [m/s]", "Max. climb [m/s]", 0}},
    {StatMaxSink, {"Maks. opadanie [m/s]", "Max. sink [m/s]", 0}},
    {StatMeanDescent, {"Średnie opadanie [m/s]", "Mean descent [m/s]", 0}},
    {StatLanded, {"Lądowanie zapisane", "Landing recorded", 0}},
    {StatYes, {"tak", "yes", 0}},
    {StatNotLanded, {"nie (lądowania nie zapisano)", "no (landing not recorded)", 0}},
    {StatNoLaunch, {"brak startu (nie przekroczył 3 m)", "no launch (never above 3 m)", 0}},
    {StatTooShort, {"za mało pomiarów", "too few samples", 0}},
    {MarkerLaunch, {"S", "L", 0}},
    {MarkerApogee, {"A", "A", 0}},
    {MarkerLanding, {"L", "D", 0}},
    {StatQuality, {"Jakość danych", "Data quality", 0}},
    {StatQualityNone, {"bez uwag", "no flags", 0}},
    {StatRawApogee, {"Apogeum przed filtrem", "Apogee before the filter", 0}},
    {StatFilteredApogee, {"Apogeum po filtrze", "Apogee after the filter", 0}},
    {StatApogeeDifference, {"Różnica apogeów [m]", "Difference of the apogees [m]", 0}},
    {ApogeeAt, {"%1 m w %2 s (pomiar %3)", "%1 m at %2 s (sample %3)", 0}},
    {ApogeeAtShort, {"%1 m (%2 s)", "%1 m (%2 s)", 0}},
    {FlagSpike,
     {"skok: pomiary w %1 s odstają od krzywej; największy skok %2 m",
      "spike: the samples at %1 s stand off the curve; largest jump %2 m", 0}},
    {FlagSpikeApogee,
     {"apogeum przed filtrem jest jednym z nich", "the unfiltered apogee is one of them", 0}},
    {FlagPadDrift,
     {"dryf na starcie: poziom ziemi przesunął się o %1 m przed startem (0 s – %2 s)",
      "pad drift: the ground moved %1 m before the launch (0 s to %2 s)", 0}},
    {FlagStuck,
     {"zablokowany odczyt: ta sama wartość przez %1 s w locie (%2 s – %3 s)",
      "stuck reading: the same raw value for %1 s in the air (%2 s to %3 s)", 0}},
    {FlagIncompleteMarker,
     {"niepełny zapis: brak znacznika końca", "incomplete: the recording has no end marker", 0}},
    {FlagIncompleteFull,
     {"niepełny zapis: pomiary wypełniły plik lotu przed lądowaniem",
      "incomplete: the recording filled the flight file before landing", 0}},
    {FlagNoLaunch,
     {"brak startu: lot nie przekroczył 3 m", "no launch: the flight never rose 3 m", 0}},
    {FlagNoLanding,
     {"brak lądowania: zapis kończy się przed powrotem poniżej 3 m",
      "no landing: the recording ends before the flight came back below 3 m", 0}},
    {FlagLateLaunch,
     {"późny start: start po %1% zapisu (%2 s)",
      "late launch: the launch comes after %1% of the recording (%2 s)", 0}},
    {FlagShort,
     {"za krótki: za mało pomiarów do filtra (%1, potrzeba co najmniej %2)",
      "short: too few samples to filter (%1, at least %2 needed)", 0}},
    {ApogeeSupportsRaw,
     {"Apogeum przed filtrem %1 m leży z dala od oznaczonych zaburzeń: dane je potwierdzają; "
      "%2 m po filtrze to tylko wygładzony szum.",
      "The unfiltered apogee %1 m stands clear of every flagged transient: the data support it; "
      "the filtered %2 m only smooths the noise.",
      0}},
    {ApogeeSupportsFiltered,
     {"Apogeum przed filtrem %1 m leży w oznaczonym zaburzeniu lub tuż obok: dane potwierdzają "
      "apogeum po filtrze %2 m (%3 m bez zaburzeń).",
      "The unfiltered apogee %1 m lies in or next to a flagged transient: the data support the "
      "filtered apogee %2 m (%3 m without the transients).",
      0}},
    {ApogeeNotFiltered,
     {"Lot jest za krótki do filtra: jest tylko apogeum przed filtrem %1 m.",
      "The flight is too short to filter: there is only the unfiltered apogee %1 m.", 0}},
    {MarkerApogeeUnfiltered, {"A bez filtra", "A unfiltered", 0}},
    {MarkerApogeeFiltered, {"A po filtrze", "A filtered", 0}},
    {ReportQuality, {"Jakość danych", "Data quality", 0}},
    {ReportApogeeExplained, {"Apogeum", "Apogee", 0}},
    {OpenSimulationAction, {"Otwórz symulację…", "Open simulation…", 0}},
    {SimulationCurveTitle, {"Symulacja", "Simulation", 0}},
    {StatSimulation, {"Symulacja", "Simulation", 0}},
    {StatSimApogeeError, {"Błąd apogeum [m, %]", "Apogee error [m, %]", 0}},
    {StatSimTimeToApogeeError, {"Błąd czasu do apogeum [s]", "Time-to-apogee error [s]", 0}},
    {StatSimRmsAscent,
     {"Błąd średniokwadratowy wznoszenia [m]", "RMS altitude error, ascent [m]", 0}},
    {SimulationColumnsCaption, {"Kolumny symulacji", "Simulation columns", 0}},
    {SimulationTimeColumn, {"Czas [s]", "Time [s]", 0}},
    {SimulationAltitudeColumn, {"Wysokość", "Altitude", 0}},
    {SimulationFeet, {"wysokość w stopach", "altitude in feet", 0}},
    {SimulationNoLaunch,
     {"Symulacja albo lot nie mają startu: nie ma czego porównać.",
      "The simulation or the flight has no launch: nothing to compare.", 0}},
    {DeviceSettingsCaption, {"Ustawienia", "Setup", 0}},
    {PortLabel, {"Wybierz Port", "Select Port", 0}},
    {TriggerLabel, {"Wysokosc Startu Pomiaru", "Setup Heigh Trigger", 0}},
    {CalibrationLabel, {"Kalibracja Temp", "Calibration of the Temp.", 0}},
    {SamplingRateLabel, {"Pomiary", "Sampling", 0}},
    {ManualZeroLabel, {"Zerowanie ręczne", "Manual reset", 0}},
    {ZeroingNo, {"Nie", "No", 0}},
    {ZeroingYes, {"Tak", "Yes", 0}},
    {CompetitorNumberLabel, {"Nr.Zawod", "Comp. No.", 0}},
    {SerialNumberLabel, {"Nr.Seryjny", "Serial No.", 0}},
    {SendButton, {"Zapisz", "Save", 0}},
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
    {IncompleteFlight,
     {"brak znacznika końca; lot może być niepełny (%1)",
      "no end marker; the flight may be incomplete (%1)", 0}},
    {SaveCommunicationLogAction, {"Zapisz dziennik komunikacji", "Save communication log", 0}},
    {ReadTip,
     {"Pobierz ostatni lot z wysokościomierza", "Download the last flight from the altimeter", 0}},
    {ZeroTip, {"Wyzeruj wysokościomierz przed lotem", "Zero the altimeter before a flight", 0}},
    {MainFilterTip, {"Wygładź krzywą lotu", "Smooth the flight's curve", 0}},
    {SaveTip,
     {"Zapisz ostatni pobrany lot do pliku (Ctrl+S)",
      "Save the last downloaded flight to a file (Ctrl+S)", 0}},
    {LoadTip, {"Otwórz plik lotu (Ctrl+O)", "Open a flight file (Ctrl+O)", 0}},
    {CompareTip, {"Otwórz drugi lot do porównania", "Open a second flight to compare", 0}},
    {ComparisonFilterTip, {"Wygładź krzywą porównania", "Smooth the comparison's curve", 0}},
    {TemperatureTip,
     {"Wpisz temperaturę powietrza w °C i naciśnij Enter",
      "Type the air temperature in °C and press Enter", 0}},
    {NotAnInteger,
     {"'%1' nie jest poprawną liczbą całkowitą", "'%1' is not a valid integer value", 0}},
    {CloseWithoutSaving,
     {"Nie można zapisać ustawień. Zamknąć program bez zapisu?",
      "The settings cannot be saved. Close without saving them?", 0}},
    {ReportTitle, {"Raport lotu", "Flight report", 0}},
    {ReportContest, {"Zawody", "Contest", 0}},
    {ReportMainFlight, {"Lot", "Flight", 0}},
    {ReportComparisonFlight, {"Lot porównawczy", "Comparison flight", 0}},
    {ReportFile, {"Plik", "File", 0}},
    {ReportUnsavedDownload,
     {"odczyt z Hypsoru, niezapisany", "read from the Hypsor, not saved", 0}},
    {ChartTitleWithComparison, {"%1 — porównanie: %2", "%1 — compared with %2", 0}},
    {ReportCompetitor, {"Zawodnik", "Competitor", 0}},
    {ReportSerial, {"Numer seryjny", "Serial number", 0}},
    {ReportSampling, {"Pomiary", "Sampling", 0}},
    {ReportCalibration, {"Kalibracja", "Calibration", 0}},
    {ReportHeaderTemperature, {"Temperatura w nagłówku [°C]", "Temperature in the header [°C]", 0}},
    {ReportUsedTemperature, {"Temperatura użyta [°C]", "Temperature used [°C]", 0}},
    {ReportMaximum, {"Maksimum [m]", "Maximum [m]", 0}},
    {ReportStatistics, {"Statystyka lotu", "Flight statistics", 0}},
    {ReportApogee, {"Apogeum [m]", "Apogee [m]", 0}},
    {ReportLaunch, {"Start [s]", "Launch [s]", 0}},
    {ReportTimeToApogee, {"Czas do apogeum [s]", "Time to apogee [s]", 0}},
    {ReportLanding, {"Lądowanie [s]", "Landing [s]", 0}},
    {ReportDuration, {"Czas lotu [s]", "Flight time [s]", 0}},
    {ReportMaxClimb, {"Największe wznoszenie [m/s]", "Fastest climb [m/s]", 0}},
    {ReportMaxSink, {"Największe opadanie [m/s]", "Fastest sink [m/s]", 0}},
    {ReportMeanDescent, {"Średnie opadanie [m/s]", "Mean descent [m/s]", 0}},
    {ReportNotLaunched,
     {"Lot nie przekroczył 3 m: tylko apogeum.", "The flight never reached 3 m: apogee only.", 0}},
    {ReportVersion, {"Hypsor, wersja %1", "Hypsor version %1", 0}},
    {ReportCreated, {"Utworzono %1", "Created %1", 0}},
    {ReportWriteFailed, {"Nie można zapisać raportu: %1", "Cannot write the report: %1", 0}},
    {FileMenu, {"Plik", "File", 0}},
    {ContestSessionAction, {"Sesja zawodów…", "Contest session…", 0}},
    {EndContestAction, {"Zakończ sesję zawodów", "End contest session", 0}},
    {RebuildResultsAction, {"Przebuduj wyniki", "Rebuild results", 0}},
    {ResultsViewAction, {"Wyniki zawodów", "Contest results", 0}},
    {FlightReportAction, {"Raport lotu…", "Flight report…", 0}},
    {PrintReportAction, {"Drukuj raport lotu…", "Print flight report…", 0}},
    {ContestDialogCaption, {"Sesja zawodów", "Contest session", 0}},
    {ContestFolderLabel, {"Folder zawodów", "Contest folder", 0}},
    {ContestNameLabel, {"Nazwa zawodów", "Contest name", 0}},
    {ContestBrowse, {"Wybierz…", "Browse…", 0}},
    {ContestLine,
     {"Zawody: %1 · folder: %2 · lotów: %3", "Contest: %1 · folder: %2 · flights: %3", 0}},
    {ContestKept, {"Lot zapisany jako %1.", "Flight kept as %1.", 0}},
    {ContestKeptIncomplete,
     {"Lot zapisany jako %1, oznaczony jako niepełny (brak znacznika końca).",
      "Flight kept as %1, marked incomplete (no end marker).", 0}},
    {ContestKeepFailed,
     {"Lot NIE został zapisany w folderze zawodów: %1",
      "The flight was NOT kept in the contest folder: %1", 0}},
    {ContestStartFailed,
     {"Nie można rozpocząć sesji zawodów: %1", "Cannot start the contest session: %1", 0}},
    {ContestSkippedFiles, {"Pominięte pliki:\n%1", "Files skipped:\n%1", 0}},
    {RankingRank, {"Miejsce", "Rank", 0}},
    {RankingCompetitor, {"Zawodnik", "Competitor", 0}},
    {RankingBestApogee, {"Najlepsze apogeum [m]", "Best apogee [m]", 0}},
    {RankingFlights, {"Loty", "Flights", 0}},
    {RankingFile, {"Plik", "File", 0}},
    {RankingExportCsv, {"Eksport CSV…", "Export CSV…", 0}},
    {RankingExportPdf, {"Eksport PDF…", "Export PDF…", 0}},
    {RankingTitle, {"Klasyfikacja", "Ranking", 0}},
    {StatisticsSha256, {"SHA-256", "SHA-256", 0}},
    {ByteCount, {"%1 bajt|%1 bajty|%1 bajtów", "%1 byte|%1 bytes", 0}},
    {DataAfterEndMarker,
     {"po znaczniku końca przyszły jeszcze dane (%1); lot kończy się na znaczniku",
      "data after the end marker (%1); the flight ends at the marker", 0}},
    {OpenFlightAction, {"Otwórz lot…", "Open flight…", 0}},
    {SaveFlightAction, {"Zapisz lot…", "Save flight…", 0}},
    {QuitAction, {"Zakończ", "Quit", 0}},
    {ClearReferenceAction,
     {"Usuń punkt odniesienia i odczyt", "Clear the reference point and readout", 0}},
    {ContestKeptUnrecorded,
     {"Lot zapisany jako %1, ale jeszcze nie wpisany do dziennika zawodów i wyników: %2\n"
      "Następny zapisany lot lub „Przebuduj wyniki” go wpisze.",
      "Flight kept as %1, but not recorded in the contest log and results yet: %2\n"
      "The next kept download or Rebuild results records it.",
      0}},
    {ContestNotReady,
     {"Folder zawodów nie przyjmie lotu, więc Hypsor nie został odpytany: %1",
      "The contest folder cannot keep a flight, so the altimeter was not asked: %1", 0}},
    {VerifyFolderAction, {"Sprawdź folder zawodów…", "Verify contest folder…", 0}},
    {VerifyCaption, {"Sprawdzenie folderu zawodów", "Contest folder check", 0}},
    {VerifySummary,
     {"Loty: %1 · ważne: %2 · z ostrzeżeniami: %3 · nieważne: %4",
      "Flights: %1 · valid: %2 · with warnings: %3 · invalid: %4", 0}},
    {VerifyFailed, {"Nie można sprawdzić folderu: %1", "Cannot check the folder: %1", 0}},
    {VerifyReportSummary,
     {"lotów: %1; ważne: %2, z ostrzeżeniami: %3, nieważne: %4; problemy folderu: %5",
      "%1 flights: %2 valid, %3 with warnings, %4 invalid; %5 folder problems", 0}},
    {RankingStatus, {"Stan", "Status", 0}},
    {StatusValid, {"ważny", "valid", 0}},
    {StatusChanged, {"zmieniony po zapisie", "changed since download", 0}},
    {StatusMissing, {"brak pliku", "missing", 0}},
    {StatusNotInLog, {"brak w dzienniku", "not in the log", 0}},
    {StatusNameHeader, {"nazwa i nagłówek niezgodne", "name and header disagree", 0}},
    {StatusIncomplete, {"niepełny", "incomplete", 0}},
    {StatusBrokenChain, {"przerwany łańcuch dziennika", "broken chain", 0}},
    {StatusResults, {"results.csv niezgodny z dziennikiem", "results.csv disagrees", 0}},
    {StatusLate, {"wpisany później", "recorded late", 0}},
    {StatusNoLog, {"folder bez dziennika", "folder without a log", 0}},
    {ResultsBoardAction, {"Tablica wyników", "Results board", 0}},
    {BoardProvisional, {"WYNIKI TYMCZASOWE", "PROVISIONAL", 0}},
    {BoardLastFlight,
     {"Ostatni lot: zawodnik %1 · %2 m · %3", "Last flight: competitor %1 · %2 m · %3", 0}},
    {BoardFullScreen, {"Pełny ekran", "Full screen", 0}},
    {CancelExchange, {"Przerwij", "Cancel", 0}},
    {CancelExchangeTip,
     {"Przerwij wymianę z wysokościomierzem; poprzedni lot zostaje (Esc)",
      "Stop the exchange with the altimeter; the previous flight stays (Esc)", 0}},
    {FlagTransient,
     {"zaburzenie%1: %2 s – %3 s (pomiary %4–%5), %6 m od krzywej",
      "transient%1: %2 s to %3 s (samples %4 to %5), %6 m off the curve", 0}},
    {FlagEndOfRecord,
     {"skok na końcu zapisu%1: ostatnie pomiary odskakują o %2 m od krzywej (%3 s – %4 s, "
      "pomiary %5–%6)",
      "end of record%1: the last samples jump %2 m off the curve (%3 s to %4 s, samples %5 to "
      "%6)",
      0}},
    {FlagApogeeDisputed,
     {"apogeum sporne: apogeum przed filtrem %1 m (%2 s) jest o %3 m wyżej niż %4 m (%5 s), "
      "które potwierdzają dane",
      "apogee disputed: the unfiltered apogee %1 m (%2 s) stands %3 m above the %4 m (%5 s) the "
      "data support",
      0}},
    {FlagNearSonic,
     {"blisko prędkości dźwięku: %1 %2 m/s od %3 s; tak szybko wysokość z ciśnienia jest niepewna",
      "near-sonic: a %1 of %2 m/s from %3 s; this fast the barometric height is unreliable", 0}},
    {NearSonicClimb, {"wznoszenie", "climb", 0}},
    {NearSonicSink, {"opadanie", "sink", 0}},
    {TransientEjection, {"wyrzut", "ejection", 0}},
    {TransientDeploy, {"otwarcie spadochronu", "deploy", 0}},
    {TransientTransonic, {"przejście przez prędkość dźwięku", "transonic", 0}},
    {ApogeeSupportsRawFilterLower,
     {"Apogeum przed filtrem %1 m leży z dala od oznaczonych zaburzeń: dane je potwierdzają; "
      "%2 m po filtrze jest o %3 m niżej, bo filtr ścina wierzchołek krzywej.",
      "The unfiltered apogee %1 m stands clear of every flagged transient: the data support it; "
      "the filtered %2 m is %3 m lower because the filter cuts the top of the curve.",
      0}},
    {ApogeeSupportsRawFilterTransient,
     {"Apogeum przed filtrem %1 m leży z dala od oznaczonych zaburzeń: dane je potwierdzają; "
      "%2 m po filtrze leży w zaburzeniu lub tuż obok i niczego nie dowodzi.",
      "The unfiltered apogee %1 m stands clear of every flagged transient: the data support it; "
      "the filtered %2 m lies in or next to a transient and is no evidence.",
      0}},
    {ApogeeSupportsSupported,
     {"Apogeum przed filtrem %1 m leży w oznaczonym zaburzeniu lub tuż obok: dane potwierdzają "
      "%3 m w %4 s, najwyższy pomiar z dala od zaburzeń; %2 m po filtrze jest o %5 m niżej.",
      "The unfiltered apogee %1 m lies in or next to a flagged transient: the data support %3 m "
      "at %4 s, the highest sample clear of every transient; the filtered %2 m is %5 m lower.",
      0}},
    {ApogeeSupportsNeither,
     {"Apogeum przed filtrem %1 m i %2 m po filtrze leżą w oznaczonych zaburzeniach lub tuż "
      "obok: dane potwierdzają %3 m w %4 s, najwyższy pomiar z dala od zaburzeń.",
      "The unfiltered apogee %1 m and the filtered %2 m lie in or next to flagged transients: "
      "the data support %3 m at %4 s, the highest sample clear of every transient.",
      0}},
    {StatSupportedApogee, {"Apogeum potwierdzone danymi", "Apogee the data support", 0}},
    {ReportSupportedApogee, {"Apogeum potwierdzone danymi [m]", "Apogee the data support [m]", 0}},
    {MarkerEndOfRecord, {"K", "E", 0}},
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

QString CountText(Txt id, qint64 count, int languageIndex) {
  const QStringList forms = Text(id, languageIndex).split(QLatin1Char('|'));
  qsizetype form = 0;
  if (languageIndex != 0) {
    form = count == 1 ? 0 : 1;
  } else {
    const qint64 units = count % 10, tens = count % 100;
    if (count == 1)
      form = 0;
    else if (units >= 2 && units <= 4 && (tens < 12 || tens > 14))
      form = 1;
    else
      form = 2;
  }
  return forms.value(std::min(form, forms.size() - 1)).arg(count);
}

}  // namespace hypsor
