// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "logbook/Logbook.h"
#include "platform/Failure.h"

namespace hypsor {

// One row per flight, in both exports: the column names, and a flight's fields as text (metres
// with one decimal, seconds with two, '.' as decimal point; an absent value empty; flags joined
// by ';'; missing and changed as yes/no).
QStringList LogbookColumns();
QStringList LogbookFields(const LogbookEntry& e);

// The CSV text: the column names, then one line per flight (quoted as results.csv is).
QByteArray LogbookCsv(const std::vector<LogbookEntry>& entries);

// Writes the flights as a spreadsheet (numbers as numbers) to path, atomically. False with
// *error when it cannot be made or written.
bool WriteLogbookXlsx(const QString& path, const std::vector<LogbookEntry>& entries,
                      Failure* error);

}  // namespace hypsor
