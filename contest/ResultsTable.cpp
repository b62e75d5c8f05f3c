// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ResultsTable.h"

#include "files/IntegerText.h"
#include "flight/Decode.h"
#include "flight/FlightStatistics.h"

namespace hypsor {

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-ddTHH:mm:ss";
const QStringList& Columns() {
  static const QStringList kColumns = {QStringLiteral("flight"),
                                       QStringLiteral("competitor"),
                                       QStringLiteral("serial"),
                                       QStringLiteral("downloaded"),
                                       QStringLiteral("apogee_m"),
                                       QStringLiteral("filtered_apogee_m"),
                                       QStringLiteral("time_to_apogee_s"),
                                       QStringLiteral("complete"),
                                       QStringLiteral("file"),
                                       QStringLiteral("sha256"),
                                       QStringLiteral("status"),
                                       QStringLiteral("record_sha256")};
  return kColumns;
}

// The columns of tables written before the log: read as they are, with no status.
constexpr qsizetype kLegacyColumns = 10;

QString Metres(const std::optional<float>& m) {
  return m ? FormatAltitude(*m, QLatin1Char('.')) : QString();
}

std::optional<unsigned> Unsigned(const QString& text) {
  const std::optional<std::int32_t> v = ParseIntegerText(text);
  if (!v || *v < 0 || text.trimmed() != text || text.isEmpty()) return std::nullopt;
  return static_cast<unsigned>(*v);
}

// An optional number field: empty is absent; anything else must be a number.
template <typename T>
bool OptionalNumber(const QString& text, std::optional<T>& into) {
  into.reset();
  if (text.isEmpty()) return true;
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok) return false;
  into = static_cast<T>(v);
  return true;
}

// 2026-05-17T14:03:09, read by position: a table of a thousand rows is read after every download.
QDateTime ParseTime(const QString& t) {
  if (t.size() != 19 || t[4] != u'-' || t[7] != u'-' || t[10] != u'T' || t[13] != u':' ||
      t[16] != u':')
    return {};
  int v[6] = {};
  const int at[6] = {0, 5, 8, 11, 14, 17};
  const int len[6] = {4, 2, 2, 2, 2, 2};
  for (int k = 0; k < 6; ++k) {
    for (int i = at[k]; i < at[k] + len[k]; ++i) {
      if (!t[i].isDigit()) return {};
      v[k] = v[k] * 10 + t[i].digitValue();
    }
  }
  const QDate date(v[0], v[1], v[2]);
  const QTime time(v[3], v[4], v[5]);
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time);
}

}  // namespace

QString CsvLine(const QStringList& fields) {
  QStringList out;
  out.reserve(fields.size());
  for (const QString& f : fields) {
    if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) ||
        f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r'))) {
      QString q = f;
      q.replace(QLatin1String("\""), QLatin1String("\"\""));
      out << QLatin1Char('"') + q + QLatin1Char('"');
    } else {
      out << f;
    }
  }
  return out.join(QLatin1Char(','));
}

bool SplitCsv(const QString& text, std::vector<QStringList>& records) {
  records.clear();
  QStringList record;
  QString field;
  bool quoted = false;
  bool any = false;  // the current record has begun
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == QLatin1Char('"')) {
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
          field += c;
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
      continue;
    }
    if (c == QLatin1Char('"')) {
      quoted = true;
      any = true;
    } else if (c == QLatin1Char(',')) {
      record << field;
      field.clear();
      any = true;
    } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
      if (any || !field.isEmpty()) {
        record << field;
        records.push_back(record);
      }
      record.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (quoted) return false;
  if (any || !field.isEmpty()) {
    record << field;
    records.push_back(record);
  }
  return true;
}

QString FlightTableHeader() {
  return Columns().join(QLatin1Char(','));
}

QString FlightTableRow(const FlightRecord& r) {
  return CsvLine(FlightTableFields(r));
}

QStringList FlightTableFields(const FlightRecord& r) {
  return QStringList({QString::number(r.flight), QString::number(r.competitor),
                  QString::number(r.serial), r.downloaded.toString(QLatin1String(kTimeFormat)),
                  Metres(r.apogeeM), Metres(r.filteredApogeeM),
                  r.timeToApogeeS ? FormatFixed(*r.timeToApogeeS, 2, QLatin1Char('.')) : QString(),
                  r.complete ? QStringLiteral("yes") : QStringLiteral("no"), r.file, r.sha256,
                  StatusText(r.reasons & ~ReasonResults), r.recordSha256});
}

qsizetype FlightTableColumns() {
  return Columns().size();
}

QByteArray FlightTableCsv(const std::vector<FlightRecord>& rows) {
  QString text = FlightTableHeader() + QLatin1Char('\n');
  for (const FlightRecord& r : rows) text += FlightTableRow(r) + QLatin1Char('\n');
  return text.toUtf8();
}

bool ParseFlightTable(const QByteArray& text, std::vector<FlightRecord>& rows) {
  std::vector<QStringList> records;
  if (!SplitCsv(QString::fromUtf8(text), records) || records.empty()) return false;
  const qsizetype columns = records.front().size();
  if (records.front() != Columns().mid(0, columns) ||
      (columns != Columns().size() && columns != kLegacyColumns))
    return false;
  std::vector<FlightRecord> parsed;
  parsed.reserve(records.size() - 1);
  for (std::size_t k = 1; k < records.size(); ++k) {
    const QStringList& f = records[k];
    if (f.size() != columns) return false;
    FlightRecord r;
    const auto flight = Unsigned(f[0]), competitor = Unsigned(f[1]), serial = Unsigned(f[2]);
    if (!flight || !competitor || !serial) return false;
    r.flight = static_cast<int>(*flight);
    r.competitor = *competitor;
    r.serial = *serial;
    r.downloaded = ParseTime(f[3]);
    if (!r.downloaded.isValid()) return false;
    if (!OptionalNumber(f[4], r.apogeeM) || !OptionalNumber(f[5], r.filteredApogeeM) ||
        !OptionalNumber(f[6], r.timeToApogeeS))
      return false;
    if (f[7] != QLatin1String("yes") && f[7] != QLatin1String("no")) return false;
    r.complete = f[7] == QLatin1String("yes");
    r.file = f[8];
    r.sha256 = f[9];
    if (columns > kLegacyColumns) {
      if (!ParseStatus(f[10], r.reasons)) return false;
      r.recordSha256 = f[11];
    }
    parsed.push_back(std::move(r));
  }
  rows = std::move(parsed);
  return true;
}

}  // namespace hypsor
