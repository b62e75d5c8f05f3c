// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/LogbookExport.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "contest/ResultsTable.h"
#include "flight/FlightStatistics.h"
#include "platform/AtomicFile.h"

namespace hypsor {

namespace {

enum Column {
  Sha256, File, Date, Competitor, Serial, Sampling, Temperature, Apogee, Filtered, Supported,
  TimeToApogee, Flags, Rocket, Motor, Site, Note, Missing, Changed, ColumnCount
};

constexpr const char* kColumnNames[ColumnCount] = {
    "sha256",         "file",          "date",
    "competitor",     "serial",        "sampling_hz",
    "temperature_c",  "apogee_m",      "filtered_apogee_m",
    "supported_apogee_m", "time_to_apogee_s", "flags",
    "rocket",         "motor",         "site",
    "note",           "missing",       "changed"};

QString Number(const std::optional<double>& v, int decimals) {
  return v ? FormatFixed(*v, decimals, QLatin1Char('.')) : QString();
}

// The columns a spreadsheet gets as numbers.
bool Numeric(int column) {
  switch (column) {
    case Competitor:
    case Serial:
    case Sampling:
    case Temperature:
    case Apogee:
    case Filtered:
    case Supported:
    case TimeToApogee: return true;
    default: return false;
  }
}

}  // namespace

QStringList LogbookColumns() {
  QStringList names;
  for (const char* name : kColumnNames) names << QLatin1String(name);
  return names;
}

QStringList LogbookFields(const LogbookEntry& e) {
  const LogbookFlight& f = e.flight;
  QStringList fields(ColumnCount);
  fields[Sha256] = f.sha256;
  fields[File] = f.path;
  fields[Date] = f.date.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
  fields[Competitor] = QString::number(f.competitor);
  fields[Serial] = QString::number(f.serial);
  fields[Sampling] = QString::number(f.samplingHz);
  fields[Temperature] = QString::number(f.temperatureC);
  fields[Apogee] = Number(f.apogeeM, 1);
  fields[Filtered] = Number(f.filteredApogeeM, 1);
  fields[Supported] = Number(f.supportedApogeeM, 1);
  fields[TimeToApogee] = Number(f.timeToApogeeS, 2);
  fields[Flags] = f.flags.join(QLatin1Char(';'));
  fields[Rocket] = e.rocket;
  fields[Motor] = e.motor;
  fields[Site] = e.site;
  fields[Note] = e.note;
  fields[Missing] = QLatin1String(e.missing ? "yes" : "no");
  fields[Changed] = QLatin1String(e.changed ? "yes" : "no");
  return fields;
}

QByteArray LogbookCsv(const std::vector<LogbookEntry>& entries) {
  QString text = CsvLine(LogbookColumns()) + QLatin1Char('\n');
  for (const LogbookEntry& e : entries) text += CsvLine(LogbookFields(e)) + QLatin1Char('\n');
  return text.toUtf8();
}

bool WriteLogbookXlsx(const QString& path, const std::vector<LogbookEntry>& entries,
                      Failure* error) {
  if (!CheckSaveTarget(path, error)) return false;
  // The library writes a file by name; it is made aside and then put in place atomically, so a
  // failure never leaves half a spreadsheet where an older one was.
  QTemporaryDir aside;
  if (!aside.isValid())
    return Fail(error, Failure::System(FailureKind::LogbookExport, path, aside.errorString()));
  const QByteArray made = QFile::encodeName(aside.filePath(QStringLiteral("logbook.xlsx")));
  lxw_workbook* book = workbook_new(made.constData());
  if (!book)
    return Fail(error, Failure::System(FailureKind::LogbookExport, path,
                                       QStringLiteral("cannot make the workbook")));
  lxw_worksheet* sheet = workbook_add_worksheet(book, "logbook");
  const QStringList columns = LogbookColumns();
  for (int c = 0; c < ColumnCount; ++c)
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), columns[c].toUtf8().constData(),
                           nullptr);
  lxw_row_t row = 1;
  for (const LogbookEntry& e : entries) {
    const QStringList fields = LogbookFields(e);
    for (int c = 0; c < ColumnCount; ++c) {
      const auto col = static_cast<lxw_col_t>(c);
      if (fields[c].isEmpty()) continue;  // an absent value stays an empty cell
      if (Numeric(c))
        worksheet_write_number(sheet, row, col, fields[c].toDouble(), nullptr);
      else
        worksheet_write_string(sheet, row, col, fields[c].toUtf8().constData(), nullptr);
    }
    ++row;
  }
  const lxw_error closed = workbook_close(book);
  if (closed != LXW_NO_ERROR)
    return Fail(error, Failure::System(FailureKind::LogbookExport, path,
                                       QString::fromUtf8(lxw_strerror(closed))));
  QFile file(QString::fromLocal8Bit(made));
  if (!file.open(QIODevice::ReadOnly))
    return Fail(error, Failure::System(FailureKind::LogbookExport, path, file.errorString()));
  return WriteFileAtomically(path, file.readAll(), error);
}

}  // namespace hypsor
