// SPDX-License-Identifier: GPL-3.0-or-later
// Reading flight simulations exported as CSV (files written here) and comparing a flight with
// one.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "flight/FlightStatistics.h"
#include "flight/Simulation.h"
#include "text/FailureText.h"

using namespace hypsor;

namespace {

QByteArray Lines(std::initializer_list<const char*> lines) {
  QByteArray text;
  for (const char* l : lines) text += QByteArray(l) + '\n';
  return text;
}

SimulationRead Read(const QByteArray& text,
                    const std::optional<SimulationColumns>& columns = std::nullopt) {
  return ReadSimulationCsv(text, columns);
}

// A flight that climbs on a parabola: h(t) = peak - (peak / top²)(t - launch - top)², from the
// launch to the ground again, 0 before; sampled at r a second.
double Parabola(double t, double launch, double top, double peak) {
  const double u = t - launch;
  if (u <= 0 || u >= 2 * top) return 0.0;
  return peak - peak / (top * top) * (u - top) * (u - top);
}

}  // namespace

TEST(SimulationCsv, CommentLayoutWithUnitsEventsAndSeparators) {
  const SimulationRead r = Read(Lines({
      "# A simulation written for this test",
      "# Time (s),Altitude (m),Vertical velocity (m/s)",
      "# Event IGNITION occurred at t=0 seconds",
      "# Event LAUNCH occurred at t=0.25 seconds",
      "0,0,0",
      "0.5,10.5,40",
      "",
      "# Event BURNOUT occurred at t=1 seconds",
      "1,42.25,60",
      "1,42.25,60",  // a second row at the moment of an event
      "1.5e0,80,20",
  }));
  ASSERT_TRUE(r.data) << int(r.problem) << " line " << r.line;
  EXPECT_EQ(r.data->timeS, (std::vector<double>{0, 0.5, 1, 1.5}));
  EXPECT_EQ(r.data->altitudeM, (std::vector<double>{0, 10.5, 42.25, 80}));
  ASSERT_TRUE(r.data->launchEventS);
  EXPECT_DOUBLE_EQ(*r.data->launchEventS, 0.25);
  EXPECT_EQ(r.columnNames.size(), 3);

  // Feet, semicolons with decimal commas, no events.
  const SimulationRead feet = Read(Lines({"# Time (s);Altitude (ft)", "0;0", "0,5;100", "1;1000,5"}));
  ASSERT_TRUE(feet.data);
  EXPECT_DOUBLE_EQ(feet.data->altitudeM[1], 30.48);
  EXPECT_DOUBLE_EQ(feet.data->altitudeM[2], 1000.5 * 0.3048);
  EXPECT_DOUBLE_EQ(feet.data->timeS[1], 0.5);
  EXPECT_FALSE(feet.data->launchEventS);
  // Tabs, and Windows line ends.
  const SimulationRead tabs = Read("# Altitude (m)\tTime (s)\r\n5\t0\r\n7\t2\r\n");
  ASSERT_TRUE(tabs.data);
  EXPECT_EQ(tabs.data->timeS, (std::vector<double>{0, 2}));
  EXPECT_EQ(tabs.data->altitudeM, (std::vector<double>{5, 7}));
}

TEST(SimulationCsv, OtherCsvNeedsItsColumnsChosen) {
  const QByteArray text = Lines({"t_s,height,speed", "0,0,0", "1,20,30", "2,45,20"});
  const SimulationRead ask = Read(text);
  EXPECT_FALSE(ask.data);
  EXPECT_EQ(ask.problem, SimulationProblem::NeedColumns);
  EXPECT_EQ(ask.columnNames, (QStringList{"t_s", "height", "speed"}));
  EXPECT_EQ(ask.guess.altitude, 1);  // "height"; "t_s" is no time name it knows
  EXPECT_EQ(ask.guess.time, -1);
  EXPECT_EQ(ask.layoutKey, QStringLiteral("t_s,height,speed"));

  const SimulationRead chosen = Read(text, SimulationColumns{0, 1, false});
  ASSERT_TRUE(chosen.data);
  EXPECT_EQ(chosen.data->altitudeM, (std::vector<double>{0, 20, 45}));
  const SimulationRead feet = Read(text, SimulationColumns{0, 2, true});
  ASSERT_TRUE(feet.data);
  EXPECT_DOUBLE_EQ(feet.data->altitudeM[1], 30 * 0.3048);
  // A column the header does not have.
  const SimulationRead missing = Read(text, SimulationColumns{0, 5, false});
  EXPECT_EQ(missing.problem, SimulationProblem::Columns);
  EXPECT_EQ(missing.line, 1);
  EXPECT_FALSE(missing.data);
  // Even a header with a time and an altitude outside a comment is asked for once.
  EXPECT_EQ(Read(Lines({"time,altitude", "0,0", "1,1"})).problem, SimulationProblem::NeedColumns);
}

TEST(SimulationCsv, BadFilesNameTheLineAndWhatWasExpectedAndGiveNothing) {
  struct Case {
    QByteArray text;
    SimulationProblem problem;
    int line;
    const char* english;
  };
  const Case cases[] = {
      {"", SimulationProblem::Empty, 0, "sim.csv is empty"},
      {"\n\n", SimulationProblem::Empty, 0, "sim.csv is empty"},
      {Lines({"# nothing", "0,1", "1,2"}), SimulationProblem::NoHeader, 2,
       "sim.csv, line 2: expected the column names"},
      {Lines({"# Time (s),Altitude (m)", "0,0", "1,12", "2,x7", "3,40"}), SimulationProblem::Number,
       4, "line 4: expected a number in column \"Altitude (m)\", found \"x7\""},
      {Lines({"# Time (s),Velocity (m/s),Altitude (m)", "0,0,0", "1,2"}), SimulationProblem::Fields,
       3, "line 3: expected 3 fields, found 2"},
      {Lines({"# Time (s),Altitude (m)", "0,0", "2,12", "1,14"}), SimulationProblem::Time, 4,
       "line 4: time 1 s is not after"},
      {Lines({"# Time (s),Altitude (m)", "0,0"}), SimulationProblem::Rows, 0,
       "expected at least two rows"},
      {Lines({"# comment", "", "# Time (s),Altitude (km)", "0,0", "1,1"}), SimulationProblem::Unit,
       3, "line 3: unknown altitude unit \"km\""},
  };
  for (const Case& c : cases) {
    const SimulationRead r = Read(c.text);
    EXPECT_FALSE(r.data) << c.english;
    EXPECT_EQ(r.problem, c.problem) << c.english;
    EXPECT_EQ(r.line, c.line) << c.english;
    const QString english = FailureText(SimulationFailure(r, QStringLiteral("sim.csv")), 1);
    EXPECT_TRUE(english.contains(QString::fromUtf8(c.english))) << english.toStdString();
    const QString polish = FailureText(SimulationFailure(r, QStringLiteral("sim.csv")), 0);
    EXPECT_NE(polish, english);
    if (c.line > 0) {
      EXPECT_TRUE(polish.contains(QStringLiteral("wiersz %1").arg(c.line)));
    }
  }
}

TEST(SimulationCompare, KnownShiftAndScaleComeBack) {
  // The flight: launch at 5 s, top after 8 s at 300 m, 10 samples a second.
  auto table = std::make_unique<AltitudeTableArray>();
  const int n = 250;
  for (int i = 0; i < n; ++i)
    (*table)[static_cast<std::size_t>(i)] =
        static_cast<std::int32_t>(std::lround(Parabola(i / 10.0, 5, 8, 300) * 10));
  (*table)[n] = AltitudeEndMarker;

  // The simulation: launch at 2 s, 10 % higher, its top 0.5 s later; rows every 0.05 s.
  SimulationData sim;
  for (int k = 0; k <= 500; ++k) {
    sim.timeS.push_back(k * 0.05);
    sim.altitudeM.push_back(Parabola(k * 0.05, 2, 8.5, 330));
  }
  const SimulationComparison c = CompareWithSimulation(*table, n, 100, std::nullopt, sim);
  ASSERT_TRUE(c.valid);
  // The launch rule: the last sample at or below 0.5 m before 3 m (the parabola passes 0.5 m
  // within 0.01 s of its start).
  EXPECT_NEAR(c.flightLaunchS, 5.0, 0.1);
  EXPECT_NEAR(c.simulationLaunchS, 2.0, 0.05);
  EXPECT_NEAR(c.shiftS, -3.0, 0.1);
  EXPECT_NEAR(c.apogeeErrorM, -30.0, 0.1);
  EXPECT_NEAR(c.apogeeErrorPercent, -100.0 * 30 / 330, 0.05);
  EXPECT_NEAR(c.timeToApogeeErrorS, -0.5, 0.1);
  // Over the ascent (8 s) the error grows from 0 to about 30 m: its RMS is well inside.
  EXPECT_GT(c.rmsAscentM, 10.0);
  EXPECT_LT(c.rmsAscentM, 25.0);
  EXPECT_NEAR(c.ascentSamples, 81, 2);

  // The same simulation with its LAUNCH event, and the flight itself as the simulation: no error.
  SimulationData same;
  for (int i = 0; i < n; ++i) {
    same.timeS.push_back(i / 10.0 + 100);
    same.altitudeM.push_back((*table)[static_cast<std::size_t>(i)] / 10.0);
  }
  const SimulationComparison zero = CompareWithSimulation(*table, n, 100, std::nullopt, same);
  ASSERT_TRUE(zero.valid);
  EXPECT_NEAR(zero.shiftS, 100.0, 1e-9);
  EXPECT_NEAR(zero.apogeeErrorM, 0.0, 1e-9);
  EXPECT_NEAR(zero.timeToApogeeErrorS, 0.0, 1e-9);
  EXPECT_NEAR(zero.rmsAscentM, 0.0, 1e-9);

  // A simulation that never lifts off gives nothing to compare.
  SimulationData flat;
  flat.timeS = {0, 1, 2};
  flat.altitudeM = {0, 1, 2};
  EXPECT_FALSE(CompareWithSimulation(*table, n, 100, std::nullopt, flat).valid);
}

TEST(SimulationCompare, CurveOnTheFlightsSamplesAlignedOnTheLaunches) {
  SimulationData sim;
  sim.timeS = {0, 1, 2, 3, 4};
  sim.altitudeM = {0, 0, 50, 100, 120};
  sim.launchEventS = 1.0;
  // Flight launch at 3 s, 5 samples a second: the simulation's 0 s stands at 2 s, sample 10.
  const SimulationSamples s = SimulationOnFlightSamples(sim, 3.0, 50);
  EXPECT_EQ(s.firstIndex, 10);
  ASSERT_EQ(s.metres.size(), 21u);  // 2 s to 6 s
  EXPECT_FLOAT_EQ(s.metres[0], 0.0f);
  EXPECT_FLOAT_EQ(s.metres[10], 50.0f);   // 4 s flight time = 2 s of the simulation
  EXPECT_FLOAT_EQ(s.metres[12], 70.0f);   // 4.4 s = 2.4 s: 0.4 of the way from 50 to 100
  EXPECT_FLOAT_EQ(s.metres[20], 120.0f);
  // Without the event, the launch rule finds the last row at the ground: 1 s again.
  sim.launchEventS.reset();
  EXPECT_EQ(SimulationOnFlightSamples(sim, 3.0, 50).firstIndex, 10);
  EXPECT_DOUBLE_EQ(*SimulationLaunch(sim), 1.0);
}
