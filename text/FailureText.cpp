// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FailureText.h"

#include <cerrno>
#include <iterator>
#include <utility>

#include "text/Texts.h"

namespace hypsor {

namespace {

using enum FailureKind;

// Each kind's words. %1 is the path and %2 the reason, unless FailureText fills the kind
// otherwise. A kind whose words the windows also show elsewhere keeps them in the text table
// (`shared`).
struct Wording {
  FailureKind kind;
  const char* polish;   // UTF-8
  const char* english;  // UTF-8
  Txt shared = Txt::Count;
};

constexpr Wording kWordings[] = {
    {None, "", ""},
    {OpenFile, "Nie można otworzyć pliku %1", "Cannot open file %1"},
    {ReadFile, "Nie można odczytać pliku %1", "Cannot read file %1"},
    {WriteFile, "Nie można zapisać pliku %1", "Cannot write file %1"},
    {CreateFile, "Nie można utworzyć pliku %1", "Cannot create file %1"},
    {NameTaken, "Nie można utworzyć pliku %1", "Cannot create file %1"},
    {CreateFolder, "Nie można utworzyć folderu %1", "Cannot create folder %1"},
    {WriteIntoFolder, "Nie można zapisywać w folderze %1", "Cannot write into %1"},
    {NotAFolder, "%1 nie jest folderem", "%1 is not a folder"},
    {FlightTooShort, "Plik %1 jest za krótki na lot (%2)", "File %1 is too short for a flight (%2)"},
    {DownloadTooShort, "Pobrane dane są za krótkie na lot", "The download is too short for a flight"},
    {NoContestSession, "Sesja zawodów nie jest rozpoczęta", "No contest session is on"},
    {FolderLocked, "Folder zawodów jest zablokowany przez inne stanowisko (%1, proces %2)",
     "The contest folder is locked by another station (%1, process %2)"},
    {CreateLockFile, "Nie można utworzyć pliku blokady %1", "Cannot create the lock file %1"},
    {NotAFlight, nullptr, nullptr, Txt::FileTooShort},
    {NoData, nullptr, nullptr, Txt::NoData},
    {NoSettingsFile,
     "Nie można zapisać ustawień: ich pliku nie da się odczytać, a innego miejsca na nie nie ma",
     "The settings cannot be saved: their file cannot be read and there is no other place for "
     "them"},
    {NotAChartFormat, "%1: to nie jest plik %2", "%1: not a %2 file"},
    // Why a port did not open: the paragraph under the box's "Communication Error: PORT".
    {PortNotFound, "Nie znaleziono portu %1.", "Port %1 not found."},
    {PortBusy, "Port jest używany przez inny program.", "The port is in use by another program."},
    {PortPermission,
     "Brak uprawnień do portu: dodaj użytkownika do grupy %1 (sudo adduser $USER %1) i zaloguj "
     "się ponownie.",
     "No permission to use the port: add your user to the %1 group (sudo adduser $USER %1) and "
     "log in again."},
    {PortNotSerial, "%1 nie jest portem szeregowym.", "%1 is not a serial port."},
#ifdef Q_OS_WIN
    {PortNameRefused,
     "Nazwa portu to nazwa portu COM (np. COM3): nie może zaczynać się od \"/\" ani zawierać "
     "\"..\".",
     "A port name is the name of a COM port (such as COM3): it may not start with \"/\" or "
     "contain \"..\"."},
#else
    {PortNameRefused,
     "Nazwa portu to nazwa urządzenia w /dev (np. ttyUSB0 lub pts/3): nie może zaczynać się od "
     "\"/\" ani zawierać \"..\".",
     "A port name is the name of a device in /dev (such as ttyUSB0 or pts/3): it may not start "
     "with \"/\" or contain \"..\"."},
#endif
    {PortNameTooLong, "Nazwa portu może mieć najwyżej 7 znaków.",
     "A port name can have at most 7 characters."},
    {PortOpen, "System podaje: %1", "The system says: %1"},
    // The channel's faults, as the communication log names them.
    {DeviceGone, "urządzenie zostało odłączone", "the device went away"},
    {ReceiveOverflow, "więcej bajtów, niż mieści bufor odbiorczy",
     "more bytes than the receive buffer holds"},
    {EndlessReply, "odpowiedź, która się nie kończy", "a reply that does not end"},
    {Cancelled, "przerwane przez użytkownika", "cancelled by the user"},
    {FrameNotSent, "nie udało się wysłać ramki", "a frame could not be sent"},
    // The boxes of the exchanges and of the device window's fields.
    {CommunicationError, nullptr, nullptr, Txt::CommunicationError},
    {ZeroingRefused, nullptr, nullptr, Txt::ResetError},
    {SettingsRefused, nullptr, nullptr, Txt::SetupFailed},
    {ValueTooLarge, nullptr, nullptr, Txt::TooLargeValue},
    {FieldEmpty, nullptr, nullptr, Txt::FieldEmpty},
    {NotAnInteger, nullptr, nullptr, Txt::NotAnInteger},
    // The settings file: this sentence, then why on a line of its own.
    {SettingsUnreadable,
     "Nie można odczytać pliku ustawień %1. Nie zostanie nadpisany; ustawienia będą zapisywane "
     "w %2.",
     "The settings file %1 cannot be read. It will not be overwritten; settings will be saved to "
     "%2."},
    // A simulation file; %1 is its name, %2 the line.
    {SimulationOpen, "Nie można otworzyć pliku symulacji %1: %2",
     "Cannot open the simulation file %1: %2"},
    {SimulationEmpty, "Plik symulacji %1 jest pusty.", "The simulation file %1 is empty."},
    {SimulationNoHeader, "%1, wiersz %2: oczekiwano nazw kolumn (czas i wysokość).",
     "%1, line %2: expected the column names (time and altitude)."},
    {SimulationFields, "%1, wiersz %2: oczekiwano %3 pól, jest %4.",
     "%1, line %2: expected %3 fields, found %4."},
    {SimulationNumber, "%1, wiersz %2: oczekiwano liczby w kolumnie „%3”, jest „%4”.",
     "%1, line %2: expected a number in column \"%3\", found \"%4\"."},
    {SimulationTime, "%1, wiersz %2: czas %3 s nie jest większy niż w poprzednim wierszu.",
     "%1, line %2: time %3 s is not after the previous line's."},
    {SimulationRows, "%1: oczekiwano co najmniej dwóch wierszy danych.",
     "%1: expected at least two rows of data."},
    {SimulationUnit, "%1, wiersz %2: nieznana jednostka wysokości „%3” (oczekiwano m lub ft).",
     "%1, line %2: unknown altitude unit \"%3\" (expected m or ft)."},
    {SimulationColumns, "%1, wiersz %2: nie ma kolumny %3.", "%1, line %2: there is no column %3."},
    // A setting named on the command line; %1 is its name.
    {SettingUnknown, "nie można ustawić '%1': ustawienia to %2", "cannot set '%1': keys are %2"},
    {SettingNoValue, "%1: nie podano wartości", "%1: no value given"},
    {SettingNotANumber, "%1: '%2' nie jest liczbą", "%1: '%2' is not a number"},
    {SettingBelowZero, "%1: %2 jest mniejsze od 0", "%1: %2 is below 0"},
    {SettingAboveLimit, "%1: %2 przekracza granicę %3", "%1: %2 is above the limit %3"},
    // The command-line tool's drawing module.
    {DrawModuleNotFound, "nie można wczytać modułu rysowania: nie ma go jako %1",
     "cannot load the drawing module: not found as %1"},
    {DrawModuleLoad, "nie można wczytać modułu rysowania: %1",
     "cannot load the drawing module: %1"},
    {DrawModuleMissing, "moduł rysowania nie został wczytany", "the drawing module was not loaded"},
    {FlightToOutput, "Nie można zapisać lotu na standardowe wyjście: %1",
     "Cannot write the flight to standard output: %1"},
    // What a contest folder's check notes, after the file's status.
    {ResultsUnreadable, "brak pliku lub nie da się go odczytać", "missing or unreadable"},
    {ResultsNotATable, "to nie jest tabela wyników", "not a results table"},
    {ResultsListsUnknown, "wymienia %1, którego nie ma wśród lotów folderu",
     "lists %1, which is no flight of the folder"},
    {ResultsNotAsWritten, "nie taki, jak został zapisany", "not as it was written"},
    {ResultsOutOfOrder, "wiersze w innej kolejności niż loty", "rows out of order"},
    {LogLineNotChained, "wiersz %1: nie wynika z wiersza przed nim",
     "line %1: does not follow the line before"},
    {LogLineNotARecord, "wiersz %1: to nie jest wpis", "line %1: not a record"},
    {LogLineNoBreak, "wiersz %1: brak końca wiersza", "line %1: has no line break"},
    // The window's and the command-line tool's own.
    {WrongTemperature, nullptr, nullptr, Txt::WrongTemperature},
    {ChartFormatUnknown, nullptr, nullptr, Txt::ChartFormatUnknown},
    {ChartFormatUnknownNoSvg, nullptr, nullptr, Txt::ChartFormatUnknownNoSvg},
    {GuideMissing, "Nie znaleziono przewodnika użytkownika (%1).",
     "The user guide is missing (%1)."},
    {GuideNotOpened, "Nie udało się otworzyć przewodnika %1: system nie ma programu, który go pokaże.",
     "Could not open the guide %1: the system has no program to show it."},
    {NoCommunicationLog,
     "Dziennik komunikacji jest pusty: nie było jeszcze wymiany z wysokościomierzem.",
     "The communication log is empty: there has been no exchange with the altimeter yet."},
    {SimulationNoLaunch, nullptr, nullptr, Txt::SimulationNoLaunch},
    {NoFlightInFolder, "w %1 nie da się odczytać żadnego pliku lotu",
     "no flight file could be read in %1"},
    {TooFewToFilter,
     "lot ma %1 pomiarów, za mało do filtra (co najmniej %2); kolumna filtered_dm jest pusta",
     "the flight has %1 samples, too few to filter (at least %2); the filtered_dm column is "
     "empty"},
    {DownloadCancelled, "przerwano; nic nie zapisano", "cancelled; nothing written"},
    {ZeroingCancelled, "przerwano; zerowanie nie jest potwierdzone",
     "cancelled; the zeroing is not confirmed"},
    {SettingsCancelled, "przerwano; nic więcej nie wysłano", "cancelled; nothing more sent"},
    {WriteStandardOutput, "nie można zapisać standardowego wyjścia: %1",
     "cannot write standard output: %1"},
    // The contest's rulebook: fields in braces, filled by Fill.
    {RulePackUnreadable, "Pakiet reguł {path} nie jest poprawnym JSON-em (bajt {number}: {found})",
     "Rule pack {path} is no valid JSON (byte {number}: {found})"},
    {RulePackField, "Pakiet reguł {path}: pole \"{detail}\" jest błędne lub go brak ({found})",
     "Rule pack {path}: field \"{detail}\" is wrong or missing ({found})"},
    {RulePackUnknown, "Nie ma pakietu reguł \"{found}\"; są: {names}",
     "No rule pack \"{found}\"; known packs: {names}"},
    {EventUnknown, "Zawody nie mają konkurencji \"{found}\"; są: {names}",
     "The contest has no event \"{found}\"; its events: {names}"},
    {EventPackDiffers, "Konkurencja \"{found}\" już istnieje z pakietem {detail}",
     "Event \"{found}\" exists already with the pack {detail}"},
    {EventParameter, "\"{found}\" nie jest parametrem pakietu {detail}; są: {names}",
     "\"{found}\" is no parameter of the pack {detail}; its parameters: {names}"},
    {BadEventSpec, "\"{found}\" nie ma postaci ID=PAKIET[:klucz=wartość,...]",
     "\"{found}\" is not of the form ID=PACK[:key=value,...]"},
    {CsvHeader, "{path}: w nagłówku brak kolumny \"{detail}\"; nic nie zaimportowano",
     "{path}: the header has no column \"{detail}\"; nothing imported"},
    {CsvEncoding, "{path}, wiersz {line}: to nie jest UTF-8; nic nie zaimportowano",
     "{path}, line {line}: not UTF-8; nothing imported"},
    {CsvField, "{path}, wiersz {line}, kolumna {detail}: niedozwolona wartość \"{found}\"; "
     "nic nie zaimportowano",
     "{path}, line {line}, column {detail}: \"{found}\" is not allowed; nothing imported"},
    {CsvDuplicate, "{path}, wiersz {line}: numer {number} jest już w wierszu {limit}; "
     "nic nie zaimportowano",
     "{path}, line {line}: number {number} is on line {limit} already; nothing imported"},
    {CsvEvent, "{path}, wiersz {line}, kolumna events: nie ma konkurencji \"{found}\" "
     "(są: {names}); nic nie zaimportowano",
     "{path}, line {line}, column events: no event \"{found}\" (events: {names}); "
     "nothing imported"},
    {CompetitorUnknown, "Zawodnik {number} nie jest zarejestrowany",
     "Competitor {number} is not registered"},
    {CompetitorNotEntered, "Zawodnik {number} nie jest zgłoszony do konkurencji {detail}",
     "Competitor {number} is not entered in event {detail}"},
    {EntryValueMissing, "Konkurencja {detail} wymaga przed lotem wartości {found} zawodnika {number}",
     "Event {detail} needs {found} from competitor {number} before the flight"},
    {EntryAfterFlight, "Wartość {found} zawodnika {number} w konkurencji {detail} musi być "
     "zapisana przed jego pierwszym lotem; odrzucono",
     "{found} of competitor {number} in event {detail} must be recorded before their first "
     "flight; refused"},
    {RoundOutOfRange, "Konkurencja {detail} ma {limit} kolejek, nie {number}",
     "Event {detail} has {limit} rounds, not {number}"},
    {FlightNotInLog, "{path} nie jest lotem zapisanym w dzienniku zawodów",
     "{path} is no flight the contest log records"},
    {FlightNotAssigned, "Lot {path} nie ma jeszcze konkurencji i kolejki (contest assign)",
     "Flight {path} has no event and round yet (contest assign)"},
    {DecisionNoJudge, "Decyzja wymaga nazwiska tego, kto ją podjął (--by)",
     "A decision needs the name of who made it (--by)"},
    {DecisionNoReason, "Status {found} wymaga powodu (--reason)",
     "The status {found} needs a reason (--reason)"},
    {StatusNotAllowed, "Status \"{found}\" nie istnieje w konkurencji {detail}; są: {names}",
     "\"{found}\" is no status of event {detail}; its statuses: {names}"},
    {LogLineReference, "wiersz {line} ({detail}): wskazuje {found}, którego dziennik nie zawiera",
     "line {line} ({detail}): names {found}, which the log does not hold"},
    {WorkbookWrite, "Nie można zapisać arkusza {path}: {found}",
     "Cannot write the spreadsheet {path}: {found}"},
    // The logbook. A damaged one is never replaced: the way out is a new one built from the
    // flight files, which are the truth.
    {LogbookUnreadable,
     "Nie można odczytać dziennika lotów %1 (%2). Pozostawiono go bez zmian; nowy dziennik "
     "można zbudować z plików lotów: hypsor-cli logbook rebuild --logbook NOWY_PLIK FOLDER...",
     "Cannot read the logbook %1 (%2). It is left as it is; a new logbook can be built from the "
     "flight files: hypsor-cli logbook rebuild --logbook NEW_FILE FOLDER..."},
    {LogbookNewer,
     "Dziennik lotów %1 ma wersję %2, nowszą niż ten program (%3); pozostawiono go bez zmian",
     "The logbook %1 has version %2, newer than this program's %3; it is left as it is"},
    {LogbookFailed, "Dziennik lotów %1: %2", "Logbook %1: %2"},
    {LogbookNoSamples, "Plik %1 nie zawiera ani jednej próbki wysokości: to nie jest lot",
     "File %1 holds not one altitude sample: it is not a flight"},
    {LogbookSampling, "Plik %1 podaje kod próbkowania %2, którego nie używa żaden wysokościomierz",
     "File %1 names sampling code %2, which no altimeter uses"},
    {LogbookUnknown, "%2 nie jest lotem z dziennika %1", "%2 is no flight of the logbook %1"},
    {LogbookExport, "Nie można utworzyć arkusza %1: %2", "Cannot make the spreadsheet %1: %2"},
};

// The table is indexed by kind; this checks at compile time that every kind has its words, in
// order.
constexpr bool WordingsInOrder() {
  if (std::size(kWordings) != static_cast<std::size_t>(Count)) return false;
  for (std::size_t i = 0; i < std::size(kWordings); ++i)
    if (static_cast<std::size_t>(kWordings[i].kind) != i) return false;
  return true;
}
static_assert(WordingsInOrder(), "every failure kind needs its words, in the order of the kinds");

struct Pair {
  const char* polish;
  const char* english;
};

QString Pick(const Pair& w, int languageIndex) {
  return QString::fromUtf8(languageIndex != 0 ? w.english : w.polish);
}

QString Words(FailureKind kind, int languageIndex) {
  const Wording& w = kWordings[static_cast<std::size_t>(kind)];
  if (w.shared != Txt::Count) return Text(w.shared, languageIndex);
  return Pick({w.polish, w.english}, languageIndex);
}

// Polish words for the reasons a user meets most; anything else is the system's own text.
QString SystemReason(const Failure& f, int languageIndex) {
  if (languageIndex == 0) {
    switch (f.systemCode) {
      case ENOENT: return QStringLiteral("nie ma takiego pliku ani folderu");
      case EACCES:
      case EPERM: return QStringLiteral("brak uprawnień");
      case ENOSPC: return QStringLiteral("brak miejsca na dysku");
      case EROFS: return QStringLiteral("nośnik jest tylko do odczytu");
      case EISDIR: return QStringLiteral("to jest folder");
      default: break;
    }
  }
  return f.systemText;
}

QString ReasonText(const Failure& f, int languageIndex) {
  if (f.kind == NameTaken)
    return Pick({"ta nazwa jest już zajęta", "the name is taken"}, languageIndex);
  switch (f.reason) {
    case FailureReason::System: return SystemReason(f, languageIndex);
    case FailureReason::NotRegularFile:
      return Pick({"to nie jest zwykły plik", "it is not a regular file"}, languageIndex);
    case FailureReason::NotRegularLeftAlone:
      return Pick({"to nie jest zwykły plik (pozostawiony bez zmian)",
                   "it is not a regular file (left as it is)"},
                  languageIndex);
    case FailureReason::LinkLoop:
      return Pick({"zbyt wiele poziomów dowiązań symbolicznych",
                   "too many levels of symbolic links"},
                  languageIndex);
  }
  return {};
}

// The words with the failure's fields put in where they name them in braces.
QString Fill(QString words, const Failure& f) {
  const std::pair<const char*, QString> fields[] = {
      {"{path}", f.path},
      {"{line}", QString::number(f.line)},
      {"{detail}", f.detail},
      {"{found}", f.found},
      {"{number}", QString::number(f.number)},
      {"{limit}", QString::number(f.limit)},
      {"{names}", f.names.join(QStringLiteral(", "))}};
  for (const auto& [key, value] : fields) words.replace(QLatin1String(key), value);
  return words;
}

// The kind's words with its values put in.
QString Sentence(const Failure& f, int languageIndex) {
  const QString words = Words(f.kind, languageIndex);
  switch (f.kind) {
    case FlightTooShort:
      return words.arg(f.path, languageIndex != 0
                                   ? QStringLiteral("%1 bytes").arg(f.number)
                                   : CountText(Txt::ByteCount, f.number, languageIndex));
    case NotAChartFormat: return words.arg(f.path, f.detail);
    case FolderLocked:
      return words.arg(f.detail.isEmpty() ? QStringLiteral("?") : f.detail,
                       QString::number(f.number));
    case PortNotFound: {
      QString where = f.path;
      if (!f.detail.isEmpty() && f.detail != f.path) where += QStringLiteral(" (%1)").arg(f.detail);
      const QString present =
          f.names.isEmpty()
              ? Pick({"Nie jest podłączone żadne urządzenie szeregowe.",
                      "No serial device is connected."},
                     languageIndex)
              : Pick({"Podłączone urządzenia szeregowe: %1.", "Serial devices present: %1."},
                     languageIndex)
                    .arg(f.names.join(QStringLiteral(", ")));
      return words.arg(where) + QLatin1Char(' ') + present;
    }
    case PortBusy:
      // ModemManager probes new CDC-ACM devices for a few seconds after they appear.
      if (!f.detail.contains(QLatin1String("ttyACM"))) return words;
      return words + QLatin1Char(' ') +
             Pick({"Urządzenie ttyACM może być przez kilka sekund po podłączeniu zajęte przez "
                   "ModemManager: odczekaj chwilę i spróbuj ponownie.",
                   "ModemManager may hold a ttyACM device for a few seconds after it is plugged "
                   "in: wait a moment and try again."},
                  languageIndex);
    case PortPermission:
      if (!f.detail.isEmpty()) return words.arg(f.detail);
      return Pick({"Brak uprawnień do portu: poproś administratora komputera o dostęp do niego.",
                   "No permission to use the port: ask the computer's administrator for access "
                   "to it."},
                  languageIndex);
    case PortNotSerial: return words.arg(f.detail);
    case PortOpen: return f.systemText.isEmpty() ? QString() : words.arg(f.systemText);
    case NotAnInteger: return words.arg(f.found);
    case SettingsUnreadable: {
      // Why is an open failure of the same file.
      Failure cause = f;
      cause.kind = OpenFile;
      return words.arg(f.path, f.detail) + QLatin1Char('\n') + Sentence(cause, languageIndex);
    }
    case SimulationOpen: return words.arg(f.path, f.systemText);
    case FlightToOutput:
    case DrawModuleLoad: return words.arg(f.systemText);
    case SimulationEmpty:
    case SimulationRows: return words.arg(f.path);
    case SimulationNoHeader: return words.arg(f.path, QString::number(f.line));
    case SimulationFields:
      return words.arg(f.path, QString::number(f.line), QString::number(f.limit),
                       QString::number(f.number));
    case SimulationNumber: return words.arg(f.path, QString::number(f.line), f.detail, f.found);
    case SimulationTime:
    case SimulationUnit: return words.arg(f.path, QString::number(f.line), f.found);
    case SimulationColumns: return words.arg(f.path, QString::number(f.line), f.detail);
    case SettingUnknown: return words.arg(f.path, f.names.join(QStringLiteral(", ")));
    case SettingNoValue: return words.arg(f.path);
    case SettingNotANumber: return words.arg(f.path, f.found);
    case SettingBelowZero: return words.arg(f.path, QString::number(f.number));
    case SettingAboveLimit:
      return words.arg(f.path, QString::number(f.number), QString::number(f.limit));
    case DrawModuleNotFound:
      return words.arg(f.names.join(Pick({" lub ", " or "}, languageIndex)));
    case DownloadTooShort:
    case NoContestSession:
    case NoSettingsFile:
    case NotAFlight:
    case NoData:
    case PortNameRefused:
    case PortNameTooLong:
    case DeviceGone:
    case ReceiveOverflow:
    case EndlessReply:
    case Cancelled:
    case FrameNotSent:
    case CommunicationError:
    case ZeroingRefused:
    case SettingsRefused:
    case ValueTooLarge:
    case ResultsListsUnknown: return words.arg(f.detail);
    case GuideMissing:
    case GuideNotOpened:
    case NoFlightInFolder: return words.arg(f.path);
    case TooFewToFilter: return words.arg(QString::number(f.number), QString::number(f.limit));
    case WriteStandardOutput: return words.arg(f.systemText);
    case LogbookUnreadable:
    case LogbookFailed:
    case LogbookExport: return words.arg(f.path, f.systemText);
    case LogbookNewer:
      return words.arg(f.path, QString::number(f.number), QString::number(f.limit));
    case LogbookNoSamples: return words.arg(f.path);
    case LogbookSampling: return words.arg(f.path, QString::number(f.number));
    case LogbookUnknown: return words.arg(f.path, f.detail);
    case LogLineNotChained:
    case LogLineNotARecord:
    case LogLineNoBreak: return words.arg(f.line);
    case FieldEmpty:
    case DrawModuleMissing:
    case ResultsUnreadable:
    case ResultsNotATable:
    case ResultsNotAsWritten:
    case ResultsOutOfOrder:
    case WrongTemperature:
    case ChartFormatUnknown:
    case ChartFormatUnknownNoSvg:
    case NoCommunicationLog:
    case SimulationNoLaunch:
    case DownloadCancelled:
    case ZeroingCancelled:
    case SettingsCancelled: return words;
    case OpenFile:
    case ReadFile:
    case WriteFile:
    case CreateFile:
    case NameTaken:
    case CreateFolder:
    case WriteIntoFolder:
    case NotAFolder:
    case CreateLockFile: {
      QString text = words.arg(f.path);
      const QString reason = ReasonText(f, languageIndex);
      if (!reason.isEmpty()) text += QStringLiteral(": ") + reason;
      return text;
    }
    case RulePackUnreadable:
    case RulePackField:
    case RulePackUnknown:
    case EventUnknown:
    case EventPackDiffers:
    case EventParameter:
    case BadEventSpec:
    case CsvHeader:
    case CsvEncoding:
    case CsvField:
    case CsvDuplicate:
    case CsvEvent:
    case CompetitorUnknown:
    case CompetitorNotEntered:
    case EntryValueMissing:
    case EntryAfterFlight:
    case RoundOutOfRange:
    case FlightNotInLog:
    case FlightNotAssigned:
    case DecisionNoJudge:
    case DecisionNoReason:
    case StatusNotAllowed:
    case LogLineReference:
    case WorkbookWrite: return Fill(words, f);
    case None:
    case Count: break;
  }
  return {};
}

}  // namespace

QString FailureText(const Failure& f, int languageIndex) {
  if (!f.Failed() || f.kind == Count) return {};
  QString text = Sentence(f, languageIndex);
  if (!f.keptAs.isEmpty())
    text = Pick({"Lot zachowano jako %1, ale nie wpisano go do dziennika zawodów: %2",
                 "Flight kept as %1, but not recorded: %2"},
                languageIndex)
               .arg(f.keptAs, text);
  return text;
}

}  // namespace hypsor
