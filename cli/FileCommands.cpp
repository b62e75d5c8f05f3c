// SPDX-License-Identifier: GPL-3.0-or-later
// info and export: a flight file read, decoded (optionally smoothed) and printed.
#include <optional>

#include <QString>

#include "cli/Commands.h"
#include "files/FileDigest.h"
#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "flight/Filters.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {

QString Number9(double value) {
  return QString::asprintf("%.9g", value);
}

}  // namespace

int LoadForCli(const QString& path, Flight& flight, QTextStream& err) {
  const FlightFileResult r = LoadFlightFile(path, flight);
  if (r.status == FlightFileStatus::Ok) return ExitOk;
  err << "hypsor-cli: " << FailureText(r.failure, kEnglish) << '\n';
  return ExitFile;
}

std::optional<FilterOutput> Smooth(const Flight& flight, const DecodedFlight& d,
                                   const FilterParams& params, FilterTables& work) {
  if (flight.SampleCount < static_cast<std::uint32_t>(FilterMinimumSamples)) return std::nullopt;
  FilterOutput out = RunFilterChain(d.AltitudeTable, d.tableCount, params, work);
  if (!out.ran) return std::nullopt;
  return out;
}

void AddFileOptions(CommandOptions& options, bool withTemperature) {
  options.AddPositional(QStringLiteral("FILE"), QStringLiteral("The flight file (.hyp)."));
  if (withTemperature) {
    options.AddValue(QStringLiteral("temperature"), QStringLiteral("T"),
                     QStringLiteral("Recompute the flight for an air temperature of T whole "
                                    "degrees Celsius (-99 to 999)."));
  }
  options.AddFlag(QStringLiteral("filter"),
                  QStringLiteral("Smooth the altitude curve as the window's filter does."));
  const FilterParams defaults;
  options.AddValue(
      QStringLiteral("precut"), QStringLiteral("CM"),
      QStringLiteral("Filter pre-cut in cm per sample (default %1).").arg(defaults.PreCutCm));
  options.AddValue(QStringLiteral("finalcut"), QStringLiteral("CM"),
                   QStringLiteral("Filter final cut in cm (default %1).").arg(defaults.FinalCutCm));
  options.AddValue(
      QStringLiteral("prefilter"), QStringLiteral("N"),
      QStringLiteral("Prefilter window in samples (default %1).").arg(defaults.PreFilterWindow));
  options.AddValue(QStringLiteral("finalfilter"), QStringLiteral("N"),
                   QStringLiteral("Final filter window in samples (default %1).")
                       .arg(defaults.FinalFilterWindow));
}

int ReadFileOptions(const CommandOptions& options, bool withTemperature, FileOptions& o,
                    QTextStream& err) {
  o.path = options.Positional().value(0);
  FilterParams params;  // the defaults of the filter window
  const std::pair<const char*, std::int32_t*> values[] = {
      {"precut", &params.PreCutCm},
      {"finalcut", &params.FinalCutCm},
      {"prefilter", &params.PreFilterWindow},
      {"finalfilter", &params.FinalFilterWindow},
  };
  bool filterValues = false;
  for (const auto& [name, into] : values) {
    if (!options.ReadInteger(QLatin1String(name), *into, err)) return ExitUsage;
    filterValues = filterValues || options.IsSet(QLatin1String(name));
  }
  const bool filter = options.IsSet(QStringLiteral("filter"));
  if (filterValues && !filter)
    return options.Fail(err, QStringLiteral("filter values need --filter"));
  if (filter) o.filter = params;

  if (!withTemperature) return ExitOk;
  const QString temperature = QStringLiteral("temperature");
  std::int32_t t = 0;
  if (!options.ReadInteger(temperature, t, err)) return ExitUsage;
  if (options.IsSet(temperature)) {
    // Whole degrees Celsius, as the window's temperature field takes them.
    if (t < -99 || t > 999)
      return options.Fail(err, QStringLiteral("wrong temperature '%1' (whole degrees, -99 to 999)")
                                   .arg(options.Value(temperature)));
    o.temperature = t;
  }
  return ExitOk;
}

void PrintFlightInfo(const Flight& flight, QTextStream& out, const FilterParams* filter) {
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{});
  const QChar point = QLatin1Char('.');
  std::optional<float> max = d.MaxAltitude, min = d.MinAltitude;
  if (filter) {
    auto work = std::make_unique<FilterTables>();
    if (const auto smooth = Smooth(flight, d, *filter, *work)) {
      // The window shows the filtered extremes in place of the decoded ones.
      max = static_cast<float>(smooth->maxDm * 0.1);
      min = static_cast<float>(smooth->minDm * 0.1);
    }
  }
  out << "competitor: " << flight.competitor << '\n';
  out << "serial: " << flight.serial << '\n';
  out << "temperature: " << flight.temperature << '\n';
  out << "sampling: " << QString::fromUtf8(SamplingForCode(flight.samplingCode).text).trimmed()
      << '\n';
  out << "calibration: " << flight.CalibrationFactor << '\n';
  out << "samples: " << flight.SampleCount << '\n';
  out << "plotted: " << d.altitude.size() << '\n';
  out << "max: " << (max ? FormatAltitude(*max, point) : QString()) << '\n';
  out << "min: " << (min ? FormatAltitude(*min, point) : QString()) << '\n';
}

bool PrintFlightCsv(const Flight& flight, QTextStream& out, const FilterParams* filter) {
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, true});
  std::optional<FilterOutput> smooth;
  auto work = std::make_unique<FilterTables>();
  if (filter) smooth = Smooth(flight, d, *filter, *work);

  out << "index,time_s,label,altitude_dm,altitude_m,accel" << (filter ? ",filtered_dm" : "")
      << '\n';
  const double step = flight.TimeLabelStep > 0 ? flight.TimeLabelStep : 1;
  for (std::size_t k = 0; k < d.altitude.size(); ++k) {
    out << k << ',' << Number9(static_cast<double>(k) * 10.0 / step) << ',';
    if (d.labelSeconds[k] >= 0) out << d.labelSeconds[k];
    out << ',' << d.AltitudeTable[k] << ',' << Number9(d.altitude[k]) << ','
        << Number9(d.acceleration[k]);
    if (filter) {
      // A flight too short to filter has no filtered values: the column stays empty.
      out << ',';
      if (smooth && k < static_cast<std::size_t>(smooth->count)) out << smooth->filtered[k];
    }
    out << '\n';
  }
  return !filter || smooth.has_value();
}

int RunInfo(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(QStringLiteral("info"),
                         QStringLiteral("FILE [--filter [--precut CM] [--finalcut CM] "
                                        "[--prefilter N] [--finalfilter N]]"),
                         QStringLiteral("Print the header fields, the extremes and the SHA-256 "
                                        "of a flight file."));
  AddFileOptions(options, false);
  if (const auto status = options.Parse(args, out, err)) return *status;
  FileOptions o;
  if (const int status = ReadFileOptions(options, false, o, err); status != ExitOk) return status;
  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  PrintFlightInfo(flight, out, o.filter ? &*o.filter : nullptr);
  // Of the whole file as stored, also past the bytes a flight read takes.
  FileDigest digest;
  if (const ReadOpenResult r = DigestFile(o.path, 0, 0, digest); r.status != ReadOpenStatus::Ok) {
    err << "hypsor-cli: " << FailureText(r.failure, kEnglish) << '\n';
    return ExitFile;
  }
  out << "sha256: " << digest.sha256 << '\n';
  return ExitOk;
}

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(QStringLiteral("export"),
                         QStringLiteral("FILE [--temperature T] [--filter [--precut CM] "
                                        "[--finalcut CM] [--prefilter N] [--finalfilter N]]"),
                         QStringLiteral("Print the altitude and acceleration curve as CSV; "
                                        "--filter adds the smoothed curve."));
  AddFileOptions(options, true);
  if (const auto status = options.Parse(args, out, err)) return *status;
  FileOptions o;
  if (const int status = ReadFileOptions(options, true, o, err); status != ExitOk) return status;
  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  if (o.temperature) flight.GroundTemperature = static_cast<float>(*o.temperature);
  if (!PrintFlightCsv(flight, out, o.filter ? &*o.filter : nullptr)) {
    Failure tooFew = Failure::Of(FailureKind::TooFewToFilter, o.path);
    tooFew.number = flight.SampleCount;
    tooFew.limit = FilterMinimumSamples;
    err << "hypsor-cli: " << FailureText(tooFew, kEnglish) << '\n';
  }
  return ExitOk;
}

}  // namespace hypsor::cli
