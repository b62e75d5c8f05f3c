// stats: the statistics of a flight file, as `key: value` lines or one JSON object.
#include <memory>

#include "cli/Commands.h"
#include "flight/Decode.h"
#include "flight/FlightStatistics.h"

namespace hypsor::cli {

namespace {

// The statistics as the window computes them: of the decoded table with the panel's maximum, or
// of the smoothed table with the smoothed maximum when --filter is given and the flight is long
// enough to be filtered.
FlightStatistics FlightFileStatistics(const Flight& flight, const FileOptions& o) {
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, false});
  if (o.filter) {
    auto work = std::make_unique<FilterTables>();
    if (const auto smooth = Smooth(flight, d, *o.filter, *work)) {
      return ComputeStatistics(work->FilterResult, smooth->count, flight.TimeLabelStep,
                               static_cast<float>(smooth->maxDm * 0.1));
    }
  }
  return ComputeStatistics(d.AltitudeTable, d.tableCount, flight.TimeLabelStep, d.MaxAltitude);
}

void PrintText(const FlightStatistics& s, QTextStream& out) {
  for (const StatisticField& f : StatisticFields(s, QLatin1Char('.')))
    out << f.key << ": " << (f.value.isEmpty() ? QStringLiteral("-") : f.value) << '\n';
  out << "landed: " << (!s.launched ? "-" : s.landed ? "yes" : "no") << '\n';
  if (!s.enoughSamples) out << "note: fewer than 2 samples, no statistics\n";
}

void PrintJson(const FlightStatistics& s, QTextStream& out) {
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
  const FlightStatistics s = FlightFileStatistics(flight, o);
  if (json) {
    PrintJson(s, out);
  } else {
    PrintText(s, out);
  }
  return ExitOk;
}

}  // namespace hypsor::cli
