// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "files/SettingsFile.h"
#include "flight/FlightData.h"
#include "flight/FlightQuality.h"
#include "flight/FlightStatistics.h"
#include "flight/Simulation.h"
#include "platform/Failure.h"
#include "session/ChartAnnotations.h"
#include "text/Texts.h"

namespace hypsor {

struct DownloadResult;
struct FilterParams;
struct FilterTables;

// The curves of the flight chart, by what they show.
enum class Curve {
  Altitude,              // the main flight (red)
  Acceleration,          // the main flight's altitude change per sample (blue, right axis)
  Comparison,            // the comparison flight (yellow)
  Spare,                 // green; nothing draws it, actions only clear it
  UnfilteredAltitude,    // the main flight before its filter run (dashed)
  UnfilteredComparison,  // the comparison before its filter run (dashed)
  Simulation,            // a flight simulation on the main flight's seconds (dashed)
};
inline constexpr int CurveCount = 7;

// The two flights the window shows side by side.
enum class FlightSlot { Main, Comparison };

// How the drawing code asks the left (altitude) axis to behave: fixed ends, or ends taken from
// the data, and a label increment (0: the axis spaces its labels itself).
struct LeftAxisRequest {
  double minimum = 0.0;
  double maximum = 1.0;
  bool automatic = false;
  bool automaticMaximum = false;
  bool automaticMinimum = true;
  double increment = 0.0;
};

// Everything the chart shows, as plain data. A curve's point i stands at x = i.
struct ChartContent {
  std::array<std::vector<float>, CurveCount> curves;
  std::vector<int> labelSeconds;  // whole-second label of each point, -1 where there is none
  LeftAxisRequest leftAxis;
  const std::vector<float>& operator[](Curve c) const { return curves[static_cast<int>(c)]; }
};

// The texts of one flight's panel.
struct PanelTexts {
  QString caption;  // a file name; empty for the panel's own caption in the current language
  QString maximum, minimum, competitor, serial, temperature, sampling;
  bool temperatureEditable = false;
};

// What changed since the window last drew: it redraws only these.
struct WorkspaceChanges {
  std::bitset<CurveCount> curves;
  bool labels = false;
  bool leftAxis = false;
  bool resetZoom = false;  // back to the whole flight before drawing
  bool mainPanel = false;
  bool comparisonPanel = false;
  bool Any() const {
    return curves.any() || labels || leftAxis || resetZoom || mainPanel || comparisonPanel;
  }
};

// The quality of the main flight and of the comparison, assessed together.
struct FlightQualities {
  FlightQuality main;
  FlightQuality comparison;
  const FlightQuality& Of(FlightSlot slot) const {
    return slot == FlightSlot::Main ? main : comparison;
  }
};

// The program's state and the user's actions on flights, without widgets: the settings record
// and the language, the main flight, the comparison flight and the last successful download,
// their altitude tables, the filter's working tables and the temperature typed for each flight.
// Each action updates the chart content and the panels; the window then draws what
// TakeChanges() reports. Failures come back as values for the caller to word; every window and
// view follows the language through languageChanged.
class FlightWorkspace : public QObject {
  Q_OBJECT
 public:
  FlightWorkspace();
  ~FlightWorkspace() override;

  // --- Settings and language.
  // Reads the settings (defaults when the file is missing). A file that exists but cannot be
  // read is never written over: the settings then go to the fallback file, and *error
  // (SettingsUnreadable) says so; false then.
  bool LoadSettingsFile(const SettingsPaths& paths, Failure* error);
  bool SaveSettingsFile(Failure* error) const;
  const QString& SettingsFilePath() const { return settingsPath_; }
  SettingsRecord& Settings() { return settings_; }
  const SettingsRecord& Settings() const { return settings_; }
  // The language in use (0 Polish, 1 English).
  int LanguageIndex() const { return languageIndex_; }
  // Switches the language; a panel showing a file keeps its name. Emits languageChanged
  // also when the language stays, as choosing it again retells every text.
  void SetLanguage(int languageIndex);
  QString T(Txt id) const { return Text(id, languageIndex_); }

  // --- Flights from files. False with *error when nothing was read.
  bool OpenMainFlight(const QString& path, Failure* error);
  bool OpenComparison(const QString& path, Failure* error);
  // The comparison switch of the View menu: off removes the comparison from the panel and chart.
  void ToggleComparison();
  bool ComparisonEnabled() const { return comparisonEnabled_; }

  // --- A download, in its three steps: started, about to receive the flight, finished.
  void BeginDownload();
  void PrepareForFlightData();
  // A successful download becomes the main flight and what Save writes; a failed one changes
  // nothing. True when the flight was taken.
  bool ApplyDownload(const DownloadResult& result);
  // After a cancelled download: the main flight shown before it, drawn again as it was decoded
  // (its panel's caption included).
  void RestoreMainFlight();
  bool HasDownload() const { return downloadByteCount_ != 0; }
  std::int32_t DownloadByteCount() const { return downloadByteCount_; }
  // Writes the bytes of the last download (never those of a file opened since).
  bool SaveDownload(const QString& path, Failure* error);

  // --- Actions on the curves.
  // The text typed into a flight's temperature field, confirmed with Enter. False when it is
  // not a whole number (nothing changes then).
  bool EnterTemperature(FlightSlot slot, const QString& text);
  void FilterMain();
  void FilterComparison();
  // Switches the acceleration curve; returns whether it is now shown.
  bool ToggleAcceleration();
  void RemoveCurve(Curve curve);

  // --- What to draw.
  const ChartContent& Chart() const { return chart_; }
  const PanelTexts& Panel(FlightSlot slot) const {
    return slot == FlightSlot::Main ? mainPanel_ : comparisonPanel_;
  }
  WorkspaceChanges TakeChanges();

  // --- The flights and their tables.
  bool HasMainFlight() const { return hasMainFlight_; }
  const Flight& MainFlight() const { return mainFlight_; }
  const Flight& ComparisonFlight() const { return comparisonFlight_; }
  const AltitudeTableArray& AltitudeTable() const { return altitudeTable_; }
  int AltitudeCount() const { return altitudeCount_; }
  const AltitudeTableArray& ComparisonTable() const { return comparisonTable_; }
  int ComparisonCount() const { return comparisonCount_; }
  FilterParams CurrentFilterParams() const;
  // The file a flight was opened from; empty for a download not (yet) stored. A download kept
  // by a contest session is given its file with SetMainFlightPath.
  const QString& FlightPath(FlightSlot slot) const {
    return slot == FlightSlot::Main ? mainPath_ : comparisonPath_;
  }
  void SetMainFlightPath(const QString& path) {
    mainPath_ = path;
    emit flightFileStored(path);
  }
  // The file of a flight whose curve is on the chart; none once its curve is removed.
  QString ShownFlightPath(FlightSlot slot) const;

  // --- Views beyond the panels (WorkspaceViews.cpp).
  // A flight's statistics, from its filtered table while its filter is on; empty (enoughSamples
  // false) while the flight's curve is not shown.
  FlightStatistics Statistics(FlightSlot slot) const;
  // Draws the comparison on real time, shifted so both launches fall together.
  void SetComparisonAligned(bool aligned);
  bool ComparisonAligned() const { return comparisonAligned_; }
  CurvePlacement Placement(Curve curve) const;
  // The comparison at its own seconds on the main flight's axis, whether or not the window
  // aligns it; shifted onto the main flight's launch while it does.
  CurvePlacement RealTimePlacement(Curve curve) const;
  // Launch, apogee and landing of each shown flight, on its curve; with both flights' quality
  // when the caller has just assessed them (Qualities), or assessing them here.
  std::vector<ChartMarker> Markers(bool realTime = false) const;
  std::vector<ChartMarker> Markers(bool realTime, const FlightQualities& qualities) const;
  // The flagged transients of each shown flight's unfiltered data, on its curve.
  std::vector<ChartTransient> Transients(bool realTime, const FlightQualities& qualities) const;
  // The acceleration curve's range outside the main flight's transients and the samples next
  // to them; none without the curve.
  std::optional<ChartRange> AccelerationRange(const FlightQualities& qualities) const;
  // The samples nearest to chart position x on each shown curve (altitude, comparison,
  // acceleration), with the changes since referenceX when one is set; and as text.
  std::vector<ReadoutLine> ReadoutAt(double x, std::optional<double> referenceX) const;
  QString ReadoutText(const std::vector<ReadoutLine>& lines) const;
  // The shown curves as CSV: the main flight's columns, then the comparison's.
  QByteArray DataCsv() const;
  bool ExportData(const QString& path, Failure* error) const;

  // --- Data quality and the simulation (WorkspaceQuality.cpp).
  // A flight's flags and its apogee before and after the filter, with the filter settings in
  // use now; empty while the flight's curve is not shown.
  FlightQuality Quality(FlightSlot slot) const;
  // Both flights', for a view that shows them in several places at once.
  FlightQualities Qualities() const;
  // Reads a simulation CSV. NeedColumns (with *read holding the header's names) when the file's
  // columns must be chosen: call again with them. Failed with *error naming the line; nothing
  // of a file that fails is kept.
  enum class SimulationStatus { Opened, Failed, NeedColumns };
  SimulationStatus OpenSimulation(const QString& path,
                                  const std::optional<SimulationColumns>& columns, Failure* error,
                                  SimulationRead* read = nullptr);
  bool HasSimulation() const { return simulation_.has_value(); }
  const QString& SimulationPath() const { return simulationPath_; }
  // The main flight against the simulation, as the statistics panel shows it (from the filtered
  // curve while the filter is on); nothing without both or without their launches.
  std::optional<SimulationComparison> CompareSimulation() const;

 signals:
  void languageChanged(int languageIndex);
  // A flight file opened, saved or kept from a download, for the logbook.
  void flightFileStored(const QString& path);

 private:
  // What a flight's statistics are computed from besides its altitude table.
  struct SlotTables {
    bool filterOn = false;
    std::unique_ptr<AltitudeTableArray> filtered;  // the last filter run's curve
    int filteredCount = 0;
    std::optional<float> maximum;  // as the panel shows it
    void Decoded(std::optional<float> max);
    void Filtered(std::span<const std::int32_t> table, float max);
  };
  double SecondsPerSample(Curve curve) const;
  // Draws the simulation on the main flight's samples, aligned on the launches (after every
  // change of the main flight's curve).
  void PlaceSimulation();
  // A simulation was opened for one flight: another main flight (opened or downloaded) takes
  // its curve, its errors and its place in the report with it.
  void DropSimulation();

  void ShowMainFlight(const Flight& flight);
  void DecodeMainFlight();
  void DecodeComparison();
  void PrepareLeftAxis();
  void ClearCurve(Curve curve);
  void SetCurve(Curve curve, std::vector<float> points);
  void SetLabels(std::vector<int> seconds);
  void ClearPanel(FlightSlot slot);
  QString FormatMetres(float metres) const;
  bool LoadFlight(const QString& path, Flight& into, Failure* error) const;

  SettingsRecord settings_;
  QString settingsPath_;
  int languageIndex_ = 0;

  Flight mainFlight_;
  Flight comparisonFlight_;
  Flight downloadedFlight_;
  bool hasMainFlight_ = false;
  QString captionBeforeDownload_;
  bool comparisonEnabled_ = true;
  std::int32_t downloadByteCount_ = 0;
  QString mainPath_;
  QString comparisonPath_;
  std::uint32_t comparisonSampleCount_ = 0;
  AltitudeTableArray altitudeTable_{};
  int altitudeCount_ = 0;
  AltitudeTableArray comparisonTable_{};
  int comparisonCount_ = 0;
  int comparisonAxisMaximum_ = 0;  // the left axis the comparison asks for
  int mainAxisMaximum_ = 0;        // and the main flight
  std::unique_ptr<FilterTables> filterTables_;

  SlotTables mainTables_;
  SlotTables comparisonTables_;
  bool comparisonAligned_ = false;

  std::optional<SimulationData> simulation_;
  QString simulationPath_;
  CurvePlacement simulationPlacement_;

  ChartContent chart_;
  PanelTexts mainPanel_;
  PanelTexts comparisonPanel_;
  WorkspaceChanges changes_;
};

}  // namespace hypsor
