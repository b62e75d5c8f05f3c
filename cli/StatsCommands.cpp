// SPDX-License-Identifier: GPL-3.0-or-later
// stats: the statistics of a flight file, as `key: value` lines or one JSON object.
#include <memory>

#include "cli/Commands.h"
#include "flight/Decode.h"
#include "flight/FlightQuality.h"
#include "flight/FlightStatistics.h"
#include "text/QualityText.h"

namespace hypsor::cli {

namespace {

// The statistics as the window computes them: of the decoded table with the panel's maximum, or
// of the smoothed table with the smoothed maximum when --filter is given and the flight is long
// enough to be filtered.
FlightStatistics FlightFileStatistics(const Flight& flight, const DecodedFlight& d,
                                      const FileOptions& o) {
  if (o.filter) {
    auto work = std::make_unique<FilterTables>();
    if (const auto smooth = Smooth(flight, d, *o.filter, *work)) {
      return ComputeStatistics(work->FilterResult, smooth->count, flight.TimeLabelStep,
                               static_cast<float>(smooth->maxDm * 0.1));
    }
  }
  return ComputeStatistics(d.AltitudeTable, d.tableCount, flight.TimeLabelStep, d.MaxAltitude);
}

// The apogee before and after the filter, and the flags, as `key` and text value (empty: none).
// They follow the older keys, so readers of those keep working.
std::vector<std::pair<QString, QString>> QualityFields(const FlightQuality& q) {
  const QChar point = QLatin1Char('.');
  const ExplainedApogee& a = q.apogee;
  auto when = [](bool set, const QString& v) { return set ? v : QString(); };
  return {
      {QStringLiteral("raw_apogee_m"), when(a.valid, FormatAltitude(a.rawM, point))},
      {QStringLiteral("raw_apogee_s"), when(a.valid, FormatFixed(a.rawS, 2, point))},
      {QStringLiteral("raw_apogee_sample"), when(a.valid, QString::number(a.rawIndex))},
      {QStringLiteral("filtered_apogee_m"), when(a.filtered, FormatAltitude(a.filteredM, point))},
      {QStringLiteral("filtered_apogee_s"), when(a.filtered, FormatFixed(a.filteredS, 2, point))},
      {QStringLiteral("filtered_apogee_sample"),
       when(a.filtered, QString::number(a.filteredIndex))},
      {QStringLiteral("apogee_difference_m"),
       when(a.filtered, FormatAltitude(a.differenceM, point))},
  };
}

// The apogee the data support, after every older key.
std::vector<std::pair<QString, QString>> SupportedFields(const FlightQuality& q) {
  const QChar point = QLatin1Char('.');
  const ExplainedApogee& a = q.apogee;
  auto when = [&a](const QString& v) { return a.valid ? v : QString(); };
  return {
      {QStringLiteral("supported_apogee_m"), when(FormatAltitude(a.supportedM, point))},
      {QStringLiteral("supported_apogee_s"), when(FormatFixed(a.supportedS, 2, point))},
      {QStringLiteral("supported_apogee_sample"), when(QString::number(a.supportedIndex))},
  };
}

void PrintText(const FlightStatistics& s, const FlightQuality& q, int step, QTextStream& out) {
  for (const StatisticField& f : StatisticFields(s, QLatin1Char('.')))
    out << f.key << ": " << (f.value.isEmpty() ? QStringLiteral("-") : f.value) << '\n';
  out << "landed: " << (!s.launched ? "-" : s.landed ? "yes" : "no") << '\n';
  if (!s.enoughSamples) out << "note: fewer than 2 samples, no statistics\n";
  for (const auto& [key, value] : QualityFields(q))
    out << key << ": " << (value.isEmpty() ? QStringLiteral("-") : value) << '\n';
  QStringList codes;
  for (const QualityFlag& f : q.flags) codes << QLatin1String(QualityCodeName(f.code));
  out << "flags: " << (codes.isEmpty() ? QStringLiteral("-") : codes.join(QLatin1Char(' ')))
      << '\n';
  // The key names the flag; the sentence's own name for it would say it twice.
  for (const QualityFlag& f : q.flags) {
    const QString text = QualityFlagText(f, step, 1, QLatin1Char('.'));
    const qsizetype named = text.indexOf(QStringLiteral(": "));
    out << "flag " << QualityCodeName(f.code) << ": " << (named < 0 ? text : text.mid(named + 2))
        << '\n';
  }
  const QString why = ApogeeExplanation(q, 1, QLatin1Char('.'));
  if (!why.isEmpty()) out << "apogee_explained: " << why << '\n';
  for (const auto& [key, value] : SupportedFields(q))
    out << key << ": " << (value.isEmpty() ? QStringLiteral("-") : value) << '\n';
}

QString JsonString(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString JsonFlag(const QualityFlag& f, int step) {
  QStringList samples, times;
  for (int i : f.samples) {
    samples << QString::number(i);
    times << FormatFixed(SampleTime(i, step), 2, QLatin1Char('.'));
  }
  QStringList members = {
      QStringLiteral("\"code\": %1").arg(JsonString(QLatin1String(QualityCodeName(f.code)))),
      QStringLiteral("\"text\": %1").arg(JsonString(QualityFlagText(f, step, 1, QLatin1Char('.')))),
      QStringLiteral("\"samples\": [%1]").arg(samples.join(QStringLiteral(", "))),
      QStringLiteral("\"times_s\": [%1]").arg(times.join(QStringLiteral(", "))),
      QStringLiteral("\"value\": %1").arg(FormatFixed(f.value, 2, QLatin1Char('.')))};
  if (f.code == QualityCode::Spike)
    members << QStringLiteral("\"apogee_replaced\": %1")
                   .arg(QLatin1String(f.apogeeReplaced ? "true" : "false"));
  if (f.code == QualityCode::Transient || f.code == QualityCode::EndOfRecord)
    members << QStringLiteral("\"kind\": %1")
                   .arg(f.kind == TransientKind::None
                            ? QStringLiteral("null")
                            : JsonString(QLatin1String(TransientKindName(f.kind))));
  return QLatin1Char('{') + members.join(QStringLiteral(", ")) + QLatin1Char('}');
}

void PrintJson(const FlightStatistics& s, const FlightQuality& q, int step, QTextStream& out) {
  // Numbers go out as the text lines show them (one or two decimals), not as binary doubles.
  QStringList members;
  for (const StatisticField& f : StatisticFields(s, QLatin1Char('.'))) {
    members << QStringLiteral("\"%1\": %2")
                   .arg(QLatin1String(f.key), f.value.isEmpty() ? QStringLiteral("null") : f.value);
  }
  members << QStringLiteral("\"landed\": %1")
                 .arg(!s.launched ? QStringLiteral("null")
                                  : QLatin1String(s.landed ? "true" : "false"));
  if (!s.enoughSamples) members << QStringLiteral("\"note\": \"fewer than 2 samples\"");
  for (const auto& [key, value] : QualityFields(q))
    members << QStringLiteral("\"%1\": %2")
                   .arg(key, value.isEmpty() ? QStringLiteral("null") : value);
  QStringList flags;
  for (const QualityFlag& f : q.flags) flags << JsonFlag(f, step);
  members << QStringLiteral("\"flags\": [%1]").arg(flags.join(QStringLiteral(", ")));
  const QString why = ApogeeExplanation(q, 1, QLatin1Char('.'));
  members << QStringLiteral("\"apogee_explained\": %1")
                 .arg(why.isEmpty() ? QStringLiteral("null") : JsonString(why));
  for (const auto& [key, value] : SupportedFields(q))
    members
        << QStringLiteral("\"%1\": %2").arg(key, value.isEmpty() ? QStringLiteral("null") : value);
  out << '{' << members.join(QStringLiteral(", ")) << "}\n";
}

}  // namespace

int RunStats(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(QStringLiteral("stats"),
                         QStringLiteral("FILE [--json] [--temperature T] [--filter [--precut CM] "
                                        "[--finalcut CM] [--prefilter N] [--finalfilter N]]"),
                         QStringLiteral("Print launch, apogee, landing, times and rates of a "
                                        "flight."));
  AddFileOptions(options, true);
  options.AddFlag(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
  if (const auto status = options.Parse(args, out, err)) return *status;
  FileOptions o;
  if (const int status = ReadFileOptions(options, true, o, err); status != ExitOk) return status;
  const bool json = options.IsSet(QStringLiteral("json"));
  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  if (o.temperature) flight.GroundTemperature = static_cast<float>(*o.temperature);
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, false});
  const FlightStatistics s = FlightFileStatistics(flight, d, o);
  // The flags with the filter settings given, or the window's defaults.
  auto work = std::make_unique<FilterTables>();
  const FlightQuality q = AssessFlight(flight, d, o.filter.value_or(FilterParams{}), *work);
  if (json) {
    PrintJson(s, q, flight.TimeLabelStep, out);
  } else {
    PrintText(s, q, flight.TimeLabelStep, out);
  }
  return ExitOk;
}

}  // namespace hypsor::cli
