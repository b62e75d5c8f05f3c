// SPDX-License-Identifier: GPL-3.0-or-later
// compare: a flight file against a flight simulation exported as CSV.
#include <memory>

#include <QFile>
#include <QFileInfo>

#include "cli/Commands.h"
#include "flight/Decode.h"
#include "flight/FlightStatistics.h"
#include "flight/Simulation.h"
#include "text/Texts.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {

// A column given by its name or its 1-based number; -1 when the header has no such column.
int ColumnOf(const QString& given, const QStringList& names) {
  bool number = false;
  const int n = given.toInt(&number);
  if (number) return n >= 1 && n <= names.size() ? n - 1 : -1;
  return static_cast<int>(names.indexOf(given.trimmed()));
}

QString Fixed(double v, int decimals) {
  return FormatFixed(v, decimals, QLatin1Char('.'));
}

}  // namespace

int RunCompare(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(
      QStringLiteral("compare"),
      QStringLiteral("FILE SIMULATION.csv [--json] [--time-column C --altitude-column C [--feet]] "
                     "[--temperature T] [--filter ...]"),
      QStringLiteral("Compare a flight with its simulation: apogee error, time-to-apogee error "
                     "and the RMS altitude error over the ascent, aligned on the launches."));
  AddFileOptions(options, true);
  options.AddPositional(QStringLiteral("SIMULATION"),
                        QStringLiteral("The simulation exported as CSV."));
  options.AddFlag(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
  options.AddValue(QStringLiteral("time-column"), QStringLiteral("C"),
                   QStringLiteral("The time column (seconds) of a CSV of no known layout: its "
                                  "name or number from 1."));
  options.AddValue(QStringLiteral("altitude-column"), QStringLiteral("C"),
                   QStringLiteral("The altitude column of such a CSV: its name or number."));
  options.AddFlag(QStringLiteral("feet"), QStringLiteral("That altitude column is in feet."));
  if (const auto status = options.Parse(args, out, err)) return *status;
  FileOptions o;
  if (const int status = ReadFileOptions(options, true, o, err); status != ExitOk) return status;
  const QString simPath = options.Positional().value(1);
  const bool json = options.IsSet(QStringLiteral("json"));
  const bool timeSet = options.IsSet(QStringLiteral("time-column"));
  const bool altitudeSet = options.IsSet(QStringLiteral("altitude-column"));
  if (timeSet != altitudeSet)
    return options.Fail(err, QStringLiteral("--time-column and --altitude-column go together"));

  Flight flight;
  if (const int status = LoadForCli(o.path, flight, err); status != ExitOk) return status;
  if (o.temperature) flight.GroundTemperature = static_cast<float>(*o.temperature);

  QFile file(simPath);
  if (!file.open(QIODevice::ReadOnly)) {
    err << FailureText(Failure::System(FailureKind::SimulationOpen, simPath, file.errorString()),
                       kEnglish)
        << '\n';
    return ExitFile;
  }
  const QByteArray text = file.readAll();
  const QString name = QFileInfo(simPath).fileName();
  SimulationRead read = ReadSimulationCsv(text);
  if (read.problem == SimulationProblem::NeedColumns) {
    SimulationColumns columns = read.guess;
    if (timeSet) {
      columns.time = ColumnOf(options.Value(QStringLiteral("time-column")), read.columnNames);
      columns.altitude =
          ColumnOf(options.Value(QStringLiteral("altitude-column")), read.columnNames);
      columns.feet = options.IsSet(QStringLiteral("feet"));
      for (const char* option : {"time-column", "altitude-column"}) {
        if ((option[0] == 't' ? columns.time : columns.altitude) < 0)
          return options.Fail(err, QStringLiteral("%1 has no column '%2' (it has: %3)")
                                       .arg(name, options.Value(QLatin1String(option)),
                                            read.columnNames.join(QStringLiteral(", "))));
      }
    } else if (columns.time < 0 || columns.altitude < 0) {
      return options.Fail(err, QStringLiteral("%1: say which columns hold the time and the "
                                              "altitude with --time-column and "
                                              "--altitude-column (it has: %2)")
                                   .arg(name, read.columnNames.join(QStringLiteral(", "))));
    }
    read = ReadSimulationCsv(text, columns);
  }
  if (!read.data) {
    err << FailureText(SimulationFailure(read, name), kEnglish) << '\n';
    return ExitFile;
  }

  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, false});
  SimulationComparison c;
  auto work = std::make_unique<FilterTables>();
  const auto smooth = o.filter ? Smooth(flight, d, *o.filter, *work) : std::nullopt;
  if (smooth) {
    c = CompareWithSimulation(work->FilterResult, smooth->count, flight.TimeLabelStep,
                              static_cast<float>(smooth->maxDm * 0.1), *read.data);
  } else {
    c = CompareWithSimulation(d.AltitudeTable, d.tableCount, flight.TimeLabelStep, d.MaxAltitude,
                              *read.data);
  }
  if (!c.valid) {
    err << FailureText(Failure::Of(FailureKind::SimulationNoLaunch, simPath), kEnglish) << '\n';
    return ExitFile;
  }
  const std::pair<const char*, QString> fields[] = {
      {"flight_apogee_m", Fixed(c.flightApogeeM, 1)},
      {"simulation_apogee_m", Fixed(c.simulationApogeeM, 1)},
      {"apogee_error_m", Fixed(c.apogeeErrorM, 1)},
      {"apogee_error_percent", Fixed(c.apogeeErrorPercent, 2)},
      {"flight_time_to_apogee_s", Fixed(c.flightTimeToApogeeS, 2)},
      {"simulation_time_to_apogee_s", Fixed(c.simulationTimeToApogeeS, 2)},
      {"time_to_apogee_error_s", Fixed(c.timeToApogeeErrorS, 2)},
      {"rms_ascent_m", Fixed(c.rmsAscentM, 2)},
      {"ascent_samples", QString::number(c.ascentSamples)},
      {"flight_launch_s", Fixed(c.flightLaunchS, 2)},
      {"simulation_launch_s", Fixed(c.simulationLaunchS, 2)},
      {"shift_s", Fixed(c.shiftS, 2)},
  };
  if (json) {
    QStringList members;
    for (const auto& [key, value] : fields)
      members << QStringLiteral("\"%1\": %2").arg(QLatin1String(key), value);
    out << '{' << members.join(QStringLiteral(", ")) << "}\n";
  } else {
    for (const auto& [key, value] : fields) out << key << ": " << value << '\n';
  }
  return ExitOk;
}

}  // namespace hypsor::cli
