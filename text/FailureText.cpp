// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FailureText.h"

#include <cerrno>

#include "text/Texts.h"

namespace hypsor {

namespace {

struct Wording {
  const char* polish;
  const char* english;
};

// %1 is the path; %2 the reason, where the kind has one.
Wording WordingOf(FailureKind kind) {
  switch (kind) {
    case FailureKind::None: return {"", ""};
    case FailureKind::OpenFile: return {"Nie można otworzyć pliku %1", "Cannot open file %1"};
    case FailureKind::ReadFile: return {"Nie można odczytać pliku %1", "Cannot read file %1"};
    case FailureKind::WriteFile: return {"Nie można zapisać pliku %1", "Cannot write file %1"};
    case FailureKind::CreateFile:
    case FailureKind::NameTaken: return {"Nie można utworzyć pliku %1", "Cannot create file %1"};
    case FailureKind::CreateFolder:
      return {"Nie można utworzyć folderu %1", "Cannot create folder %1"};
    case FailureKind::WriteIntoFolder:
      return {"Nie można zapisywać w folderze %1", "Cannot write into %1"};
    case FailureKind::NotAFolder: return {"%1 nie jest folderem", "%1 is not a folder"};
    case FailureKind::FlightTooShort:
      return {"Plik %1 jest za krótki na lot (%2)", "File %1 is too short for a flight (%2)"};
    case FailureKind::DownloadTooShort:
      return {"Pobrane dane są za krótkie na lot", "The download is too short for a flight"};
    case FailureKind::NoContestSession:
      return {"Sesja zawodów nie jest rozpoczęta", "No contest session is on"};
    case FailureKind::FolderLocked:
      return {"Folder zawodów jest zablokowany przez inne stanowisko (%1, proces %2)",
              "The contest folder is locked by another station (%1, process %2)"};
    case FailureKind::CreateLockFile:
      return {"Nie można utworzyć pliku blokady %1", "Cannot create the lock file %1"};
    case FailureKind::NoSettingsFile:
      return {"Nie można zapisać ustawień: ich pliku nie da się odczytać, a innego miejsca na nie "
              "nie ma",
              "The settings cannot be saved: their file cannot be read and there is no other "
              "place for them"};
    case FailureKind::NotAChartFormat:
      return {"%1: to nie jest plik %2", "%1: not a %2 file"};
    case FailureKind::NotAFlight:
    case FailureKind::NoData: break;  // the window's own texts
  }
  return {"", ""};
}

QString Pick(const Wording& w, int languageIndex) {
  return QString::fromUtf8(languageIndex != 0 ? w.english : w.polish);
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
  if (f.kind == FailureKind::NameTaken)
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

}  // namespace

QString FailureText(const Failure& f, int languageIndex) {
  if (!f.Failed()) return {};
  const QString sentence = Pick(WordingOf(f.kind), languageIndex);
  QString text;
  switch (f.kind) {
    case FailureKind::FlightTooShort:
      text = sentence.arg(f.path, languageIndex != 0
                                      ? QStringLiteral("%1 bytes").arg(f.number)
                                      : CountText(Txt::ByteCount, f.number, languageIndex));
      break;
    case FailureKind::NotAChartFormat: text = sentence.arg(f.path, f.detail); break;
    case FailureKind::FolderLocked:
      text = sentence.arg(f.detail.isEmpty() ? QStringLiteral("?") : f.detail, QString::number(f.number));
      break;
    case FailureKind::DownloadTooShort:
    case FailureKind::NoContestSession:
    case FailureKind::NoSettingsFile: text = sentence; break;
    case FailureKind::NotAFlight: text = Text(Txt::FileTooShort, languageIndex); break;
    case FailureKind::NoData: text = Text(Txt::NoData, languageIndex); break;
    default: {
      text = sentence.arg(f.path);
      const QString reason = ReasonText(f, languageIndex);
      if (!reason.isEmpty()) text += QStringLiteral(": ") + reason;
      break;
    }
  }
  if (!f.keptAs.isEmpty())
    text = Pick({"Lot zachowano jako %1, ale nie wpisano go do dziennika zawodów: %2",
                 "Flight kept as %1, but not recorded: %2"},
                languageIndex)
               .arg(f.keptAs, text);
  return text;
}

}  // namespace hypsor
