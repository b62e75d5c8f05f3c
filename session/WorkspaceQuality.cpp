// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's data-quality flags, its explained apogee and the flight simulation drawn
// beside the main flight.
#include <memory>

#include <QFile>
#include <QFileInfo>

#include "flight/Decode.h"
#include "flight/Filters.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

FlightQuality FlightWorkspace::Quality(FlightSlot slot) const {
  const bool isMain = slot == FlightSlot::Main;
  if (chart_[isMain ? Curve::Altitude : Curve::Comparison].empty()) return {};
  const Flight& flight = isMain ? mainFlight_ : comparisonFlight_;
  const std::uint32_t count = isMain ? mainFlight_.SampleCount : comparisonSampleCount_;
  // From the flight's bytes each time, so the flags always go with the temperature and the
  // filter settings in use.
  const DecodedFlight d = DecodeFlight(flight, count, {false, false});
  auto work = std::make_unique<FilterTables>();
  return AssessFlight(flight, d, CurrentFilterParams(), *work);
}

FlightQualities FlightWorkspace::Qualities() const {
  return {Quality(FlightSlot::Main), Quality(FlightSlot::Comparison)};
}

FlightWorkspace::SimulationStatus FlightWorkspace::OpenSimulation(
    const QString& path, const std::optional<SimulationColumns>& columns, Failure* error,
    SimulationRead* readOut) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Fail(error, Failure::System(FailureKind::SimulationOpen, path, file.errorString()));
    return SimulationStatus::Failed;
  }
  SimulationRead read = ReadSimulationCsv(file.readAll(), columns);
  const SimulationProblem problem = read.problem;
  if (readOut) *readOut = read;
  if (problem == SimulationProblem::NeedColumns) return SimulationStatus::NeedColumns;
  if (!read.data) {
    Fail(error, SimulationFailure(read, QFileInfo(path).fileName()));
    return SimulationStatus::Failed;
  }
  simulation_ = std::move(read.data);
  simulationPath_ = path;
  PlaceSimulation();
  return SimulationStatus::Opened;
}

void FlightWorkspace::PlaceSimulation() {
  if (!simulation_) return;
  // On the main flight's seconds from its launch; without a launch, from the axis's 0 s.
  const FlightStatistics s = Statistics(FlightSlot::Main);
  const int step = hasMainFlight_ ? mainFlight_.TimeLabelStep : 10;
  SimulationSamples samples =
      SimulationOnFlightSamples(*simulation_, s.launched ? s.launchS : 0.0, step);
  simulationPlacement_ = CurvePlacement{1.0, static_cast<double>(samples.firstIndex)};
  SetCurve(Curve::Simulation, std::move(samples.metres));
}

void FlightWorkspace::DropSimulation() {
  if (!simulation_) return;
  simulation_.reset();
  simulationPath_.clear();
  simulationPlacement_ = {};
  ClearCurve(Curve::Simulation);
}

std::optional<SimulationComparison> FlightWorkspace::CompareSimulation() const {
  if (!simulation_ || chart_[Curve::Altitude].empty()) return std::nullopt;
  const SlotTables& t = mainTables_;
  const SimulationComparison c =
      t.filterOn ? CompareWithSimulation(*t.filtered, t.filteredCount, mainFlight_.TimeLabelStep,
                                         t.maximum, *simulation_)
                 : CompareWithSimulation(altitudeTable_, altitudeCount_,
                                         mainFlight_.TimeLabelStep, t.maximum, *simulation_);
  if (!c.valid) return std::nullopt;
  return c;
}

}  // namespace hypsor
