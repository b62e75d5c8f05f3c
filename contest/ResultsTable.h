// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "contest/FlightRecord.h"

namespace hypsor {

// results.csv: a header line and one row per flight file, fields separated by commas, a field
// holding a comma, a quote or a line break quoted with quotes doubled. Metres with one decimal,
// seconds with two, '.' as decimal point; an absent value is an empty field; complete is yes/no;
// downloaded is local time as 2026-05-17T14:03:09. The last two columns, status and
// record_sha256 (the SHA-256 of the flight's line in contest.log), came with the log; older
// tables without them are still read.
QString FlightTableHeader();  // flight,competitor,serial,...,sha256,status,record_sha256
QString FlightTableRow(const FlightRecord& r);  // without a line break
QStringList FlightTableFields(const FlightRecord& r);  // the row's fields, unquoted
qsizetype FlightTableColumns();
QByteArray FlightTableCsv(const std::vector<FlightRecord>& rows);

// Reads the text of a results.csv back. False (rows unchanged) when the header is not ours or a
// row does not have our fields: the table is then rebuilt from the files.
bool ParseFlightTable(const QByteArray& text, std::vector<FlightRecord>& rows);

// One CSV line from fields, quoting where needed (no line break at the end).
QString CsvLine(const QStringList& fields);
// The records of a CSV text, each a list of fields; false for an unterminated quote.
bool SplitCsv(const QString& text, std::vector<QStringList>& records);

}  // namespace hypsor
