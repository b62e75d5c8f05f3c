// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/FlightWorkspace.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "files/IntegerText.h"
#include "flight/Decode.h"
#include "flight/Filters.h"

namespace hypsor {
namespace {

// The temperature typed, when it is one: a whole number other than 65535, which the altimeter's
// first program used to mark a text that is none and so refused as well.
std::optional<std::int32_t> TemperatureValue(const QString& text) {
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  if (value == 65535) return std::nullopt;
  return value;
}

std::vector<float> Metres(std::span<const std::int32_t> decimetres) {
  std::vector<float> m;
  m.reserve(decimetres.size());
  for (std::int32_t v : decimetres) m.push_back(static_cast<float>(v * 0.1));
  return m;
}

int Index(Curve c) {
  return static_cast<int>(c);
}

}  // namespace

FlightWorkspace::FlightWorkspace()
    : settings_(DefaultSettings()), filterTables_(std::make_unique<FilterTables>()) {
  // Each flight starts at 20 degrees until its header says otherwise.
  mainFlight_.GroundTemperature = 20.0f;
  comparisonFlight_.GroundTemperature = 20.0f;
}

FlightWorkspace::~FlightWorkspace() = default;

// ---------------------------------------------------------------- settings and language

bool FlightWorkspace::LoadSettingsFile(const SettingsPaths& paths, Failure* error) {
  settingsPath_ = paths.write;
  Failure unreadable;
  const bool ok = LoadSettings(paths.read, settings_, &unreadable);
  languageIndex_ = settings_.Language;
  if (ok) return true;
  if (settingsPath_ == paths.read)
    settingsPath_ = paths.fallback == paths.read ? QString() : paths.fallback;
  // The file could not be opened; the value keeps why, and says where the settings go now.
  unreadable.kind = FailureKind::SettingsUnreadable;
  unreadable.path = paths.read;
  unreadable.detail = settingsPath_;
  return Fail(error, std::move(unreadable));
}

bool FlightWorkspace::SaveSettingsFile(Failure* error) const {
  if (settingsPath_.isEmpty()) return Fail(error, Failure::Of(FailureKind::NoSettingsFile, {}));
  QDir().mkpath(QFileInfo(settingsPath_).absolutePath());
  return SaveSettings(settingsPath_, settings_, error);
}

void FlightWorkspace::SetLanguage(int languageIndex) {
  languageIndex_ = languageIndex != 0 ? 1 : 0;
  settings_.Language = languageIndex_;
  // The panels keep naming their files: a caption is a file's name in any language.
  emit languageChanged(languageIndex_);
}

namespace {

// The whole-second label of each of count points at the sampling's label step.
std::vector<int> SecondsLabels(int count, int step) {
  std::vector<int> labels(static_cast<std::size_t>(std::max(0, count)), -1);
  if (step <= 0) return labels;
  for (int i = 0; i < count; ++i)
    if ((10 * i) % step == 0) labels[static_cast<std::size_t>(i)] = 10 * i / step;
  return labels;
}

// The altitude change from each point to the next, as the acceleration curve draws it for a
// curve without the raw samples' plateaus.
std::vector<float> ChangesPerSample(const std::vector<float>& metres) {
  std::vector<float> out(metres.size(), 0.0f);
  for (std::size_t i = 1; i < metres.size(); ++i) out[i] = metres[i] - metres[i - 1];
  return out;
}

}  // namespace

FilterParams FlightWorkspace::CurrentFilterParams() const {
  // Read at each filter run, so values saved in the filter window count from the next run on.
  return {settings_.PreCutCm, settings_.FinalCutCm, settings_.PreFilterWindow,
          settings_.FinalFilterWindow};
}

// ---------------------------------------------------------------- chart and panel state

void FlightWorkspace::ClearCurve(Curve curve) {
  chart_.curves[Index(curve)].clear();
  changes_.curves.set(Index(curve));
  // The seconds labels belong to the main curve and go with it.
  if (curve == Curve::Altitude) SetLabels({});
}

void FlightWorkspace::SetCurve(Curve curve, std::vector<float> points) {
  chart_.curves[Index(curve)] = std::move(points);
  changes_.curves.set(Index(curve));
}

void FlightWorkspace::SetLabels(std::vector<int> seconds) {
  chart_.labelSeconds = std::move(seconds);
  changes_.labels = true;
}

void FlightWorkspace::PrepareLeftAxis() {
  LeftAxisRequest& a = chart_.leftAxis;
  a.minimum = 0;
  a.automatic = false;
  a.automaticMaximum = false;
  a.automaticMinimum = true;
  changes_.leftAxis = true;
}

void FlightWorkspace::ClearPanel(FlightSlot slot) {
  PanelTexts& p = slot == FlightSlot::Main ? mainPanel_ : comparisonPanel_;
  const bool editable = p.temperatureEditable;
  p = PanelTexts{};
  p.temperatureEditable = editable;  // clearing empties the fields, it does not lock them
  (slot == FlightSlot::Main ? changes_.mainPanel : changes_.comparisonPanel) = true;
}

QString FlightWorkspace::FormatMetres(float metres) const {
  return FormatAltitude(metres, QLocale().decimalPoint().at(0));
}

WorkspaceChanges FlightWorkspace::TakeChanges() {
  WorkspaceChanges c = changes_;
  changes_ = {};
  return c;
}

// ---------------------------------------------------------------- decoding

void FlightWorkspace::DecodeMainFlight() {
  const bool acceleration = settings_.ShowAcceleration != 0;
  DecodedFlight d = DecodeFlight(mainFlight_, mainFlight_.SampleCount, {true, acceleration});
  altitudeTable_ = d.AltitudeTable;
  altitudeCount_ = d.tableCount;
  chart_.leftAxis.minimum = 0;
  // The axis is the main flight's, raised for a comparison on the chart so that it stays whole.
  chart_.leftAxis.maximum = d.axisMaximum;
  if (!chart_[Curve::Comparison].empty())
    chart_.leftAxis.maximum = std::max(d.axisMaximum, comparisonAxisMaximum_);
  mainAxisMaximum_ = d.axisMaximum;
  changes_.leftAxis = true;
  SetLabels(std::move(d.labelSeconds));
  SetCurve(Curve::Altitude, std::move(d.altitude));
  // A new decoding is unfiltered: the dashed original of an earlier filter run (at another
  // temperature, perhaps) no longer belongs to what is drawn.
  ClearCurve(Curve::UnfilteredAltitude);
  if (acceleration) SetCurve(Curve::Acceleration, std::move(d.acceleration));
  // A value this flight does not set is blank, never the previous flight's.
  mainPanel_.maximum = d.MaxAltitude ? FormatMetres(*d.MaxAltitude) : QString();
  mainTables_.Decoded(d.MaxAltitude);
  mainPanel_.minimum = d.MinAltitude ? FormatMetres(*d.MinAltitude) : QString();
  changes_.mainPanel = true;
  PlaceSimulation();
}

void FlightWorkspace::DecodeComparison() {
  ClearCurve(Curve::Comparison);
  ClearCurve(Curve::UnfilteredComparison);
  LeftAxisRequest& a = chart_.leftAxis;
  a.automatic = false;
  a.automaticMaximum = false;
  a.automaticMinimum = true;
  changes_.leftAxis = true;
  DecodedFlight d = DecodeFlight(comparisonFlight_, comparisonSampleCount_, {false, false});
  comparisonTable_ = d.AltitudeTable;
  comparisonCount_ = d.tableCount;
  SetCurve(Curve::Comparison, std::move(d.altitude));
  // The comparison only ever raises the left axis.
  comparisonAxisMaximum_ = d.MaxAltitude ? d.axisMaximum : 0;
  if (d.MaxAltitude && d.axisMaximum > a.maximum) a.maximum = d.axisMaximum;
  comparisonPanel_.maximum = d.MaxAltitude ? FormatMetres(*d.MaxAltitude) : QString();
  comparisonTables_.Decoded(d.MaxAltitude);
  comparisonPanel_.minimum = d.MinAltitude ? FormatMetres(*d.MinAltitude) : QString();
  changes_.comparisonPanel = true;
}

void FlightWorkspace::ShowMainFlight(const Flight& flight) {
  mainFlight_ = flight;
  hasMainFlight_ = true;
  mainPanel_.competitor = QString::number(flight.competitor);
  mainPanel_.serial = QString::number(flight.serial);
  mainPanel_.temperature = QString::number(flight.temperature);
  mainPanel_.temperatureEditable = true;
  mainPanel_.sampling = QString::fromLatin1(SamplingForCode(flight.samplingCode).text);
  changes_.mainPanel = true;
  DecodeMainFlight();
}

// ---------------------------------------------------------------- flight files

bool FlightWorkspace::LoadFlight(const QString& path, Flight& into, Failure* error) const {
  const FlightFileResult r = LoadFlightFile(path, into);
  if (r.status == FlightFileStatus::Ok) return true;
  if (r.status == FlightFileStatus::TooShort) return Fail(error, Failure::Of(FailureKind::NotAFlight, path));
  return Fail(error, r.failure);
}

bool FlightWorkspace::OpenMainFlight(const QString& path, Failure* error) {
  Flight loaded;
  if (!LoadFlight(path, loaded, error)) return false;
  mainPanel_.caption = FlightFileCaption(path);
  mainPath_ = path;
  DropSimulation();
  changes_.resetZoom = true;
  for (Curve c : {Curve::Altitude, Curve::Acceleration, Curve::Spare, Curve::UnfilteredAltitude})
    ClearCurve(c);
  PrepareLeftAxis();
  chart_.leftAxis.increment = 0;
  ShowMainFlight(loaded);
  emit flightFileStored(path);
  return true;
}

bool FlightWorkspace::OpenComparison(const QString& path, Failure* error) {
  Flight loaded;
  if (!LoadFlight(path, loaded, error)) return false;
  comparisonPanel_.caption = FlightFileCaption(path);
  comparisonPath_ = path;
  comparisonEnabled_ = true;
  comparisonFlight_ = loaded;
  comparisonPanel_.competitor = QString::number(loaded.competitor);
  comparisonPanel_.serial = QString::number(loaded.serial);
  comparisonPanel_.temperature = QString::number(loaded.temperature);
  comparisonPanel_.temperatureEditable = true;
  comparisonPanel_.sampling = QString::fromLatin1(SamplingForCode(loaded.samplingCode).text);
  comparisonSampleCount_ = loaded.SampleCount;
  changes_.comparisonPanel = true;
  DecodeComparison();
  emit flightFileStored(path);
  return true;
}

void FlightWorkspace::ToggleComparison() {
  comparisonEnabled_ = !comparisonEnabled_;
  if (comparisonEnabled_) return;
  RemoveCurve(Curve::Comparison);
}

// ---------------------------------------------------------------- downloads

void FlightWorkspace::BeginDownload() {
  captionBeforeDownload_ = mainPanel_.caption;
  mainPanel_.caption.clear();
  changes_.mainPanel = true;
}

void FlightWorkspace::PrepareForFlightData() {
  changes_.resetZoom = true;
  for (Curve c : {Curve::Altitude, Curve::Acceleration, Curve::Spare, Curve::UnfilteredAltitude})
    ClearCurve(c);
  PrepareLeftAxis();
  mainPanel_.maximum = mainPanel_.minimum = QStringLiteral("   ");
  changes_.mainPanel = true;
}

bool FlightWorkspace::ApplyDownload(const DownloadResult& result) {
  if (result.outcome != DownloadOutcome::Ok || !result.flight) return false;
  downloadedFlight_ = *result.flight;
  downloadByteCount_ = result.DownloadByteCount;
  mainPath_.clear();
  DropSimulation();
  ShowMainFlight(*result.flight);
  return true;
}

void FlightWorkspace::RestoreMainFlight() {
  mainPanel_.caption = captionBeforeDownload_;
  changes_.mainPanel = true;
  if (hasMainFlight_) DecodeMainFlight();
}

bool FlightWorkspace::SaveDownload(const QString& path, Failure* error) {
  if (downloadByteCount_ == 0) {
    return Fail(error, Failure::Of(FailureKind::NoData, path));
  }
  const auto count = static_cast<std::size_t>(downloadByteCount_);
  if (!SaveFlightFile(path, std::span(downloadedFlight_.bytes.data(), count), error)) return false;
  emit flightFileStored(path);
  return true;
}

// ---------------------------------------------------------------- curve actions

bool FlightWorkspace::EnterTemperature(FlightSlot slot, const QString& text) {
  const std::optional<std::int32_t> value = TemperatureValue(text);
  if (!value) return false;
  if (slot == FlightSlot::Main) {
    mainPanel_.temperature = text;
    mainFlight_.GroundTemperature = static_cast<float>(*value);
    if (!hasMainFlight_) return true;
    ClearCurve(Curve::Altitude);
    ClearCurve(Curve::Acceleration);
    PrepareLeftAxis();
    DecodeMainFlight();
  } else {
    comparisonPanel_.temperature = text;
    comparisonFlight_.GroundTemperature = static_cast<float>(*value);
    DecodeComparison();
  }
  return true;
}

void FlightWorkspace::FilterMain() {
  if (!hasMainFlight_ || mainFlight_.SampleCount < FilterMinimumSamples) return;
  const FilterOutput out =
      RunFilterChain(altitudeTable_, altitudeCount_, CurrentFilterParams(), *filterTables_);
  if (!out.ran) return;
  ClearCurve(Curve::Altitude);
  ClearCurve(Curve::UnfilteredAltitude);
  SetLabels(SecondsLabels(out.count, mainFlight_.TimeLabelStep));
  SetCurve(Curve::Altitude, Metres(out.filtered));
  SetCurve(Curve::UnfilteredAltitude, Metres(out.unfiltered));
  // The acceleration curve shows the change of the curve drawn, so it loses the spikes the
  // filter took out.
  if (!chart_[Curve::Acceleration].empty())
    SetCurve(Curve::Acceleration, ChangesPerSample(chart_[Curve::Altitude]));
  mainPanel_.maximum = FormatMetres(static_cast<float>(out.maxDm * 0.1));
  mainTables_.Filtered(out.filtered, static_cast<float>(out.maxDm * 0.1));
  mainPanel_.minimum = FormatMetres(static_cast<float>(out.minDm * 0.1));
  changes_.mainPanel = true;
  PlaceSimulation();
}

void FlightWorkspace::FilterComparison() {
  if (comparisonSampleCount_ < FilterMinimumSamples) return;
  const FilterOutput out =
      RunFilterChain(comparisonTable_, comparisonCount_, CurrentFilterParams(), *filterTables_);
  if (!out.ran) return;
  SetCurve(Curve::UnfilteredComparison, Metres(out.unfiltered));
  SetCurve(Curve::Comparison, Metres(out.filtered));
  comparisonPanel_.maximum = FormatMetres(static_cast<float>(out.maxDm * 0.1));
  comparisonTables_.Filtered(out.filtered, static_cast<float>(out.maxDm * 0.1));
  comparisonPanel_.minimum = FormatMetres(static_cast<float>(out.minDm * 0.1));
  changes_.comparisonPanel = true;
}

bool FlightWorkspace::ToggleAcceleration() {
  if (settings_.ShowAcceleration != 0) {
    settings_.ShowAcceleration = 0;
    ClearCurve(Curve::Acceleration);
    return false;
  }
  settings_.ShowAcceleration = 1;
  if (hasMainFlight_ && mainFlight_.SampleCount != 0) {
    ClearCurve(Curve::Altitude);
    ClearCurve(Curve::Acceleration);
    PrepareLeftAxis();
    DecodeMainFlight();
  }
  return true;
}

void FlightWorkspace::RemoveCurve(Curve curve) {
  ClearCurve(curve);
  // A flight's curve takes with it its dashed original, its panel and what it asked of the
  // left axis; the time labels pass to the comparison when it is the flight left.
  LeftAxisRequest& a = chart_.leftAxis;
  if (curve == Curve::Comparison) {
    ClearCurve(Curve::UnfilteredComparison);
    ClearPanel(FlightSlot::Comparison);
    if (!chart_[Curve::Altitude].empty()) a.maximum = mainAxisMaximum_;
    changes_.leftAxis = true;
  }
  if (curve == Curve::Altitude) {
    ClearCurve(Curve::UnfilteredAltitude);
    ClearPanel(FlightSlot::Main);
    if (!chart_[Curve::Comparison].empty()) {
      a.maximum = comparisonAxisMaximum_;
      SetLabels(SecondsLabels(static_cast<int>(chart_[Curve::Comparison].size()),
                              comparisonFlight_.TimeLabelStep));
    }
    changes_.leftAxis = true;
  }
}

}  // namespace hypsor
