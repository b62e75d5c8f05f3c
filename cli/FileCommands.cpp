// info and export: a flight file read, decoded (optionally smoothed) and printed.
#include <optional>

#include <QString>

#include "cli/Commands.h"
#include "files/FileDigest.h"
#include "files/FlightFile.h"
#include "files/IntegerText.h"
#include "flight/Decode.h"
#include "flight/Filters.h"

namespace hypsor::cli {

namespace {

QString Number9(double value) {
  return QString::asprintf("%.9g", value);
}

}  // namespace

int LoadForCli(const QString& path, Flight& flight, QTextStream& err) {
  const FlightFileResult r = LoadFlightFile(path, flight);
  if (r.status == FlightFileStatus::Ok) return ExitOk;
  err << "hypsor-cli: " << r.error << '\n';
  return ExitFile;
}

std::optional<FilterOutput> Smooth(const Flight& flight, const DecodedFlight& d,
                                   const FilterParams& params, FilterTables& work) {
  if (flight.SampleCount < static_cast<std::uint32_t>(FilterMinimumSamples)) return std::nullopt;
  FilterOutput out = RunFilterChain(d.AltitudeTable, d.tableCount, params, work);
  if (!out.ran) return std::nullopt;
  return out;
}

int ParseFileOptions(const QStringList& args, bool allowTemperature, const QString& usage,
                     FileOptions& o, QTextStream& err) {
  FilterParams params;  // the defaults of the filter window
  bool filter = false;
  bool filterValues = false;
  for (qsizetype k = 0; k < args.size(); ++k) {
    QString a = args[k];
    QString value;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const bool valued = a.startsWith(QLatin1String("--")) && eq > 0;
    if (valued) value = a.mid(eq + 1), a = a.left(eq);
    auto takeValue = [&]() -> bool {
      if (valued) return true;
      if (k + 1 >= args.size()) return false;
      value = args[++k];
      return true;
    };
    auto takeInteger = [&](std::int32_t& into) -> bool {
      if (!takeValue()) {
        err << "hypsor-cli: " << a << " needs a value\n";
        return false;
      }
      const std::optional<std::int32_t> v = ParseIntegerText(value);
      if (!v) {
        err << "hypsor-cli: " << a << " takes a whole number, not '" << value << "'\n";
        return false;
      }
      into = *v;
      filterValues = true;
      return true;
    };

    if (a == QLatin1String("--filter")) {
      filter = true;
    } else if (a == QLatin1String("--precut")) {
      if (!takeInteger(params.PreCutCm)) return ExitUsage;
    } else if (a == QLatin1String("--finalcut")) {
      if (!takeInteger(params.FinalCutCm)) return ExitUsage;
    } else if (a == QLatin1String("--prefilter")) {
      if (!takeInteger(params.PreFilterWindow)) return ExitUsage;
    } else if (a == QLatin1String("--finalfilter")) {
      if (!takeInteger(params.FinalFilterWindow)) return ExitUsage;
    } else if (allowTemperature && a == QLatin1String("--temperature")) {
      if (!takeValue()) {
        err << "hypsor-cli: --temperature needs a value\n";
        return ExitUsage;
      }
      // Whole degrees Celsius, as the window's temperature field takes them (-99 to 999).
      const std::optional<std::int32_t> t = ParseIntegerText(value);
      if (!t || *t < -99 || *t > 999) {
        err << "hypsor-cli: wrong temperature '" << value << "' (whole degrees, -99 to 999)\n";
        return ExitUsage;
      }
      o.temperature = *t;
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      err << "hypsor-cli: unknown option '" << args[k] << "'\n";
      return ExitUsage;
    } else if (o.path.isEmpty()) {
      o.path = args[k];
    } else {
      err << usage;
      return ExitUsage;
    }
  }
  if (o.path.isEmpty()) {
    err << usage;
    return ExitUsage;
  }
  if (filterValues && !filter) {
    err << "hypsor-cli: filter values need --filter\n";
    return ExitUsage;
  }
  if (filter) o.filter = params;
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

void PrintFlightCsv(const Flight& flight, QTextStream& out, const FilterParams* filter) {
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
      // A flight too short to filter stays as it is, as in the window.
      const bool filtered = smooth && k < static_cast<std::size_t>(smooth->count);
      out << ',' << (filtered ? smooth->filtered[k] : d.AltitudeTable[k]);
    }
    out << '\n';
  }
}

int RunInfo(const QStringList& args, QTextStream& out, QTextStream& err) {
  FileOptions o;
  const QString usage = QStringLiteral(
      "hypsor-cli: usage: hypsor-cli info FILE [--filter [--precut CM] [--finalcut CM] "
      "[--prefilter N] [--finalfilter N]]\n");
  if (const int status = ParseFileOptions(args, false, usage, o, err); status != ExitOk)
    return status;
  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  PrintFlightInfo(flight, out, o.filter ? &*o.filter : nullptr);
  // Of the whole file as stored, also past the bytes a flight read takes.
  FileDigest digest;
  if (const ReadOpenResult r = DigestFile(o.path, 0, 0, digest); r.status != ReadOpenStatus::Ok) {
    err << "hypsor-cli: " << r.error << '\n';
    return ExitFile;
  }
  out << "sha256: " << digest.sha256 << '\n';
  return ExitOk;
}

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err) {
  FileOptions o;
  const QString usage = QStringLiteral(
      "hypsor-cli: usage: hypsor-cli export FILE [--temperature T] [--filter [--precut CM] "
      "[--finalcut CM] [--prefilter N] [--finalfilter N]]\n");
  if (const int status = ParseFileOptions(args, true, usage, o, err); status != ExitOk)
    return status;
  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  if (o.temperature) flight.GroundTemperature = static_cast<float>(*o.temperature);
  PrintFlightCsv(flight, out, o.filter ? &*o.filter : nullptr);
  return ExitOk;
}

}  // namespace hypsor::cli
