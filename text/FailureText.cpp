// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FailureText.h"

#include <cerrno>
#include <iterator>

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
    case DownloadTooShort:
    case NoContestSession:
    case NoSettingsFile:
    case NotAFlight:
    case NoData: return words;
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
