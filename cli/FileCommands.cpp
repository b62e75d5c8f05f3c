// info and export: a flight file read, decoded and printed.
#include <QString>

#include "cli/Commands.h"
#include "files/FlightFile.h"
#include "flight/Decode.h"

namespace hypsor::cli {

namespace {

QString Number9(double value) {
  return QString::asprintf("%.9g", value);
}

// Loads a flight file; on failure writes one line to err and returns the exit status.
int LoadForCli(const QString& path, Flight& flight, QTextStream& err) {
  const FlightFileResult r = LoadFlightFile(path, flight);
  if (r.status == FlightFileStatus::Ok) return ExitOk;
  err << "hypsor-cli: " << r.error << '\n';
  return ExitFile;
}

}  // namespace

void PrintFlightInfo(const Flight& flight, QTextStream& out) {
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{});
  const QChar point = QLatin1Char('.');
  out << "competitor: " << flight.competitor << '\n';
  out << "serial: " << flight.serial << '\n';
  out << "temperature: " << flight.temperature << '\n';
  out << "sampling: " << QString::fromUtf8(SamplingForCode(flight.samplingCode).text).trimmed()
      << '\n';
  out << "calibration: " << flight.CalibrationFactor << '\n';
  out << "samples: " << flight.SampleCount << '\n';
  out << "plotted: " << d.altitude.size() << '\n';
  out << "max: " << (d.MaxAltitude ? FormatAltitude(*d.MaxAltitude, point) : QString()) << '\n';
  out << "min: " << (d.MinAltitude ? FormatAltitude(*d.MinAltitude, point) : QString()) << '\n';
}

void PrintFlightCsv(const Flight& flight, QTextStream& out) {
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, true});
  out << "index,time_s,label,altitude_dm,altitude_m,accel\n";
  const double step = flight.TimeLabelStep > 0 ? flight.TimeLabelStep : 1;
  for (std::size_t k = 0; k < d.altitude.size(); ++k) {
    out << k << ',' << Number9(static_cast<double>(k) * 10.0 / step) << ',';
    if (d.labelSeconds[k] >= 0) out << d.labelSeconds[k];
    out << ',' << d.AltitudeTable[k] << ',' << Number9(d.altitude[k]) << ','
        << Number9(d.acceleration[k]) << '\n';
  }
}

int RunInfo(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
    err << "hypsor-cli: usage: hypsor-cli info FILE\n";
    return ExitUsage;
  }
  Flight flight;
  if (const int status = LoadForCli(args[0], flight, err); status != ExitOk) return status;
  PrintFlightInfo(flight, out);
  return ExitOk;
}

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err) {
  const QString usage =
      QStringLiteral("hypsor-cli: usage: hypsor-cli export FILE [--temperature T]\n");
  QString path;
  bool haveTemperature = false;
  int temperature = 0;
  for (qsizetype k = 0; k < args.size(); ++k) {
    const QString& a = args[k];
    QString value;
    if (a == QLatin1String("--temperature")) {
      if (k + 1 >= args.size()) {
        err << "hypsor-cli: --temperature needs a value\n";
        return ExitUsage;
      }
      value = args[++k];
    } else if (a.startsWith(QLatin1String("--temperature="))) {
      value = a.mid(14);
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      err << "hypsor-cli: unknown option '" << a << "'\n";
      return ExitUsage;
    } else if (path.isEmpty()) {
      path = a;
      continue;
    } else {
      err << usage;
      return ExitUsage;
    }
    // Whole degrees Celsius, as the window's temperature field takes them (-99 to 999).
    bool ok = false;
    temperature = value.toInt(&ok);
    if (!ok || temperature < -99 || temperature > 999) {
      err << "hypsor-cli: wrong temperature '" << value << "' (whole degrees, -99 to 999)\n";
      return ExitUsage;
    }
    haveTemperature = true;
  }
  if (path.isEmpty()) {
    err << usage;
    return ExitUsage;
  }
  Flight flight;
  if (const int status = LoadForCli(path, flight, err); status != ExitOk) return status;
  if (haveTemperature) flight.GroundTemperature = static_cast<float>(temperature);
  PrintFlightCsv(flight, out);
  return ExitOk;
}

}  // namespace hypsor::cli
