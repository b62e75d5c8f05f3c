// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileFilters.h"

#include "text/Texts.h"

namespace hypsor {

QString AllFilesFilter(int language) {
  return Text(Txt::FilterAllFiles, language);
}

QStringList FileFilters(FileKind kind, int language) {
  Txt own = Txt::FilterFlightFiles;
  switch (kind) {
    case FileKind::Flight: own = Txt::FilterFlightFiles; break;
    case FileKind::Csv: own = Txt::FilterCsvFiles; break;
    case FileKind::Pdf: own = Txt::FilterPdfFiles; break;
    case FileKind::Text: own = Txt::FilterTextFiles; break;
    // Kinds that came after the text table: their words are here.
    case FileKind::Spreadsheet:
      return {language ? QStringLiteral("Spreadsheets (*.xlsx)") : QStringLiteral("Arkusze (*.xlsx)"),
              AllFilesFilter(language)};
    case FileKind::Page:
      return {language ? QStringLiteral("Web pages (*.html)") : QStringLiteral("Strony WWW (*.html)"),
              AllFilesFilter(language)};
  }
  return {Text(own, language), AllFilesFilter(language)};
}

}  // namespace hypsor
