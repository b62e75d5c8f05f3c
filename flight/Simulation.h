// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "flight/FlightData.h"
#include "platform/Failure.h"

namespace hypsor {

// A flight simulation read from CSV: the altitude over time, and the launch when the file
// names it.
struct SimulationData {
  std::vector<double> timeS;      // strictly increasing
  std::vector<double> altitudeM;  // metres, whatever the file's unit
  std::optional<double> launchEventS;
};

// Which columns of a CSV of no known layout hold the time (seconds) and the altitude.
struct SimulationColumns {
  int time = -1;
  int altitude = -1;
  bool feet = false;
};

enum class SimulationProblem {
  None,
  Empty,        // no line at all
  NoHeader,     // data before any column names
  Fields,       // a row with too few fields
  Number,       // a field that is not a number
  Time,         // a time before the previous row's
  Rows,         // fewer than two rows of data
  Unit,         // an altitude unit that is neither m nor ft
  Columns,      // a chosen column that the header does not have
  NeedColumns,  // a CSV of no known layout: the columns must be chosen
};

// The outcome of reading: the data, or the problem with the line it was found on. A file with a
// problem gives no data at all.
struct SimulationRead {
  std::optional<SimulationData> data;
  SimulationProblem problem = SimulationProblem::None;
  int line = 0;          // 1-based; 0 when the problem is the whole file's
  QString field;         // the column or unit concerned
  QString found;         // what the line holds there
  int expectedFields = 0, foundFields = 0;
  // The header's column names (always, once a header was read), the columns guessed from them
  // for a CSV of no known layout (-1: no guess), and the header line itself, which names the
  // layout so that a choice can be remembered for it.
  QStringList columnNames;
  SimulationColumns guess;
  QString layoutKey;
};

// The problem of a read as a failure of the file named fileName (None for none, and for
// NeedColumns, which is a question rather than a failure).
Failure SimulationFailure(const SimulationRead& read, const QString& fileName);

// Reads a simulation exported as CSV. A file of comment lines beginning with '#', one of which
// names the columns with their units in parentheses ("# Time (s),Altitude (m),..."), and event
// lines ("# Event LAUNCH occurred at t=0 seconds"), is read by itself. Any other CSV needs its
// columns: without them the result is NeedColumns with the header's names. The separator is a
// comma, a semicolon or a tab; with a semicolon or a tab a decimal comma is read too. Rows with
// the time of the row before are skipped.
SimulationRead ReadSimulationCsv(const QByteArray& text,
                                 const std::optional<SimulationColumns>& columns = std::nullopt);

// The simulation's launch: its LAUNCH event, or else the flight's rule (the last time at or
// below 0.5 m before it first reaches 3 m); nothing when it never reaches 3 m.
std::optional<double> SimulationLaunch(const SimulationData& sim);

// The flight against the simulation, both from their launches. Errors are flight minus
// simulation.
struct SimulationComparison {
  bool valid = false;  // both have a launch
  double flightLaunchS = 0, simulationLaunchS = 0;
  double shiftS = 0;  // simulation launch - flight launch
  double flightApogeeM = 0, simulationApogeeM = 0;
  double apogeeErrorM = 0, apogeeErrorPercent = 0;  // percent of the simulation's apogee
  double flightTimeToApogeeS = 0, simulationTimeToApogeeS = 0, timeToApogeeErrorS = 0;
  double rmsAscentM = 0;  // over launch to the earlier of the two apogees
  int ascentSamples = 0;
};
// table: the flight's altitudes (decimetres, count entries, TimeLabelStep step); apogeeM the
// apogee as the flight's panel shows it (nothing: the table's own).
SimulationComparison CompareWithSimulation(const AltitudeTableArray& table, int count, int step,
                                           std::optional<float> apogeeM,
                                           const SimulationData& sim);

// The simulation's altitude at the flight's sample positions, aligned on the launches: entry k
// stands at flight sample firstIndex + k, from the first sample the simulation reaches to its
// last. Empty when either has no launch (then flightLaunchS is not used).
struct SimulationSamples {
  int firstIndex = 0;
  std::vector<float> metres;
};
SimulationSamples SimulationOnFlightSamples(const SimulationData& sim, double flightLaunchS,
                                            int step);

// The simulation's altitude at time t (linear between rows; nothing outside them).
std::optional<double> SimulationAltitudeAt(const SimulationData& sim, double t);

}  // namespace hypsor
