// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

namespace hypsor {

// The kinds of file the window's dialogs open and write.
enum class FileKind {
  Flight,  // a flight file (*.hyp)
  Csv,     // a table: exported data, a simulation, the ranking
  Pdf,     // a report or the ranking
  Text,    // the communication log
  Spreadsheet,  // a contest's results for a federation (*.xlsx)
  Page,         // results to publish (*.html)
};

// A file dialog's filters for a kind, in the language (0 Polish, 1 English): the kind's own
// first, "All files (*)" last, so any file can still be chosen.
QStringList FileFilters(FileKind kind, int language);
QString AllFilesFilter(int language);

}  // namespace hypsor
