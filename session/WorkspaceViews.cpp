// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's views beyond the flight panels: statistics, markers, the comparison's
// placement on real time, the cursor readout and the data export.
#include <algorithm>
#include <cmath>

#include <QLocale>

#include "flight/Decode.h"
#include "platform/AtomicFile.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

namespace {

// Below this difference the two apogees' marks would cover each other on any chart.
constexpr double kApogeesApartM = 1.0;

bool IsComparisonCurve(Curve c) {
  return c == Curve::Comparison || c == Curve::UnfilteredComparison;
}

QString Number(double value, int decimals, QChar point) {
  return FormatFixed(value, decimals, point);
}

}  // namespace

void FlightWorkspace::SlotTables::Decoded(std::optional<float> max) {
  filterOn = false;
  maximum = max;
}

void FlightWorkspace::SlotTables::Filtered(std::span<const std::int32_t> table, float max) {
  if (!filtered) filtered = std::make_unique<AltitudeTableArray>();
  const std::size_t n = std::min<std::size_t>(table.size(), AltitudeTableSize - 1);
  std::copy_n(table.begin(), n, filtered->begin());
  (*filtered)[n] = AltitudeEndMarker;
  filteredCount = static_cast<int>(n);
  filterOn = true;
  maximum = max;
}

FlightStatistics FlightWorkspace::Statistics(FlightSlot slot) const {
  const bool isMain = slot == FlightSlot::Main;
  // A flight's statistics go with its curve: none once it is removed or switched off.
  if (chart_[isMain ? Curve::Altitude : Curve::Comparison].empty()) return {};
  const SlotTables& t = isMain ? mainTables_ : comparisonTables_;
  const Flight& flight = isMain ? mainFlight_ : comparisonFlight_;
  if (t.filterOn)
    return ComputeStatistics(*t.filtered, t.filteredCount, flight.TimeLabelStep, t.maximum);
  return ComputeStatistics(isMain ? altitudeTable_ : comparisonTable_,
                           isMain ? altitudeCount_ : comparisonCount_, flight.TimeLabelStep,
                           t.maximum);
}

QString FlightWorkspace::ShownFlightPath(FlightSlot slot) const {
  const Curve curve = slot == FlightSlot::Main ? Curve::Altitude : Curve::Comparison;
  return chart_[curve].empty() ? QString() : FlightPath(slot);
}

void FlightWorkspace::SetComparisonAligned(bool aligned) {
  comparisonAligned_ = aligned;
  changes_.curves.set(static_cast<int>(Curve::Comparison));
  changes_.curves.set(static_cast<int>(Curve::UnfilteredComparison));
}

double FlightWorkspace::SecondsPerSample(Curve curve) const {
  const Flight& f = IsComparisonCurve(curve) ? comparisonFlight_ : mainFlight_;
  return SampleTime(1, f.TimeLabelStep);
}

CurvePlacement FlightWorkspace::Placement(Curve curve) const {
  if (curve == Curve::Simulation) return simulationPlacement_;
  if (!comparisonAligned_) return {};
  return RealTimePlacement(curve);
}

CurvePlacement FlightWorkspace::RealTimePlacement(Curve curve) const {
  if (curve == Curve::Simulation) return simulationPlacement_;
  if (!IsComparisonCurve(curve)) return {};
  // The chart's axis counts the main flight's samples; without a main flight, the comparison's.
  const int axisStep = hasMainFlight_ && !chart_[Curve::Altitude].empty()
                           ? mainFlight_.TimeLabelStep
                           : comparisonFlight_.TimeLabelStep;
  const double axisSamplesPerSecond = std::max(1, axisStep) / 10.0;
  CurvePlacement p;
  p.scale = SampleTime(1, comparisonFlight_.TimeLabelStep) * axisSamplesPerSecond;
  const FlightStatistics main = Statistics(FlightSlot::Main);
  const FlightStatistics comparison = Statistics(FlightSlot::Comparison);
  if (comparisonAligned_ && main.launched && comparison.launched)
    p.offset = (main.launchS - comparison.launchS) * axisSamplesPerSecond;
  return p;
}

std::vector<ChartMarker> FlightWorkspace::Markers(bool realTime) const {
  return Markers(realTime, Qualities());
}

std::vector<ChartMarker> FlightWorkspace::Markers(bool realTime,
                                                  const FlightQualities& qualities) const {
  std::vector<ChartMarker> out;
  const QChar point = QLocale().decimalPoint().at(0);
  for (FlightSlot slot : {FlightSlot::Main, FlightSlot::Comparison}) {
    const Curve curve = slot == FlightSlot::Main ? Curve::Altitude : Curve::Comparison;
    const FlightStatistics s = Statistics(slot);
    const std::vector<float>& values = chart_[curve];
    if (!s.enoughSamples) continue;
    const CurvePlacement place = realTime ? RealTimePlacement(curve) : Placement(curve);
    auto add = [&](MarkerKind kind, int index, const QString& label) {
      if (index < 0 || index >= static_cast<int>(values.size())) return;
      out.push_back(
          {curve, kind, index,
           QPointF(place.X(index), static_cast<double>(values[static_cast<std::size_t>(index)])),
           label});
    };
    if (s.launched) add(MarkerKind::Launch, s.launchIndex, T(Txt::MarkerLaunch));
    add(MarkerKind::Apogee, s.apogeeIndex,
        T(Txt::MarkerApogee) + QLatin1Char(' ') + FormatAltitude(s.apogeeM, point) +
            QStringLiteral(" m"));
    // A landing only where one was recorded; otherwise the recording's end.
    if (s.launched && s.landed) add(MarkerKind::Landing, s.landingIndex, T(Txt::MarkerLanding));
    if (s.launched && !s.landed)
      add(MarkerKind::EndOfRecord, static_cast<int>(values.size()) - 1, T(Txt::MarkerEndOfRecord));
    // The other apogee, when it differs: before the filter on the dashed unfiltered curve
    // while the filter is on, after it on the curve while it is off.
    const ExplainedApogee& a = qualities.Of(slot).apogee;
    if (!a.filtered || std::abs(a.differenceM) < kApogeesApartM) continue;
    const SlotTables& t = slot == FlightSlot::Main ? mainTables_ : comparisonTables_;
    const Curve unfiltered =
        slot == FlightSlot::Main ? Curve::UnfilteredAltitude : Curve::UnfilteredComparison;
    const bool rawOnDashed = t.filterOn && !chart_[unfiltered].empty();
    const int index = rawOnDashed ? a.rawIndex : a.filteredIndex;
    const float metres = rawOnDashed ? a.rawM : a.filteredM;
    if (!t.filterOn || rawOnDashed) {
      out.push_back({rawOnDashed ? unfiltered : curve, MarkerKind::OtherApogee, index,
                     QPointF(place.X(index), static_cast<double>(metres)),
                     T(rawOnDashed ? Txt::MarkerApogeeUnfiltered : Txt::MarkerApogeeFiltered) +
                         QLatin1Char(' ') + FormatAltitude(metres, point) + QStringLiteral(" m")});
    }
  }
  return out;
}

std::vector<ChartTransient> FlightWorkspace::Transients(bool realTime,
                                                        const FlightQualities& qualities) const {
  std::vector<ChartTransient> out;
  for (FlightSlot slot : {FlightSlot::Main, FlightSlot::Comparison}) {
    const Curve curve = slot == FlightSlot::Main ? Curve::Altitude : Curve::Comparison;
    const int size = static_cast<int>(chart_[curve].size());
    const CurvePlacement place = realTime ? RealTimePlacement(curve) : Placement(curve);
    for (const Transient& tr : qualities.Of(slot).transients) {
      if (tr.first < 0 || tr.last >= size) continue;
      const QualityCode code = tr.shape == TransientShape::Spike       ? QualityCode::Spike
                               : tr.shape == TransientShape::Transient ? QualityCode::Transient
                                                                       : QualityCode::EndOfRecord;
      QString label = T(code == QualityCode::Spike       ? Txt::StateSpike
                        : code == QualityCode::Transient ? Txt::StateTransient
                                                         : Txt::StateEndOfRecord);
      if (tr.kind != TransientKind::None)
        label += QStringLiteral(" (") +
                 T(tr.kind == TransientKind::Ejection ? Txt::TransientEjection
                   : tr.kind == TransientKind::Deploy ? Txt::TransientDeploy
                                                      : Txt::TransientTransonic) +
                 QLatin1Char(')');
      out.push_back({curve, tr.first, tr.last, place.X(tr.first), place.X(tr.last),
                     QualityCodeName(code), label});
    }
  }
  return out;
}

std::optional<ChartRange> FlightWorkspace::AccelerationRange(
    const FlightQualities& qualities) const {
  const std::vector<float>& values = chart_[Curve::Acceleration];
  if (values.empty()) return std::nullopt;
  const std::vector<Transient>& aside = qualities.main.transients;
  const int nextTo = NextToSamples(mainFlight_.TimeLabelStep);
  std::optional<ChartRange> range;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool setAside = std::any_of(aside.begin(), aside.end(), [&](const Transient& tr) {
      return tr.Covers(static_cast<int>(i), nextTo);
    });
    if (setAside) continue;
    const double v = values[i];
    if (!range) range = ChartRange{v, v, false};
    range->min = std::min(range->min, v);
    range->max = std::max(range->max, v);
  }
  // A flight that is all transient keeps its whole range.
  if (!range) {
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    return ChartRange{*lo, *hi, false};
  }
  for (float v : values)
    if (v < range->min || v > range->max) range->clipped = true;
  return range;
}

std::vector<ReadoutLine> FlightWorkspace::ReadoutAt(double x,
                                                    std::optional<double> referenceX) const {
  std::vector<ReadoutLine> out;
  for (Curve curve : {Curve::Altitude, Curve::Comparison, Curve::Acceleration}) {
    const std::vector<float>& values = chart_[curve];
    if (values.empty()) continue;
    const CurvePlacement place = Placement(curve);
    const int last = static_cast<int>(values.size()) - 1;
    auto nearest = [&](double at) {
      return static_cast<int>(
          std::clamp(std::lround(place.Index(at)), 0L, static_cast<long>(last)));
    };
    // Before its first sample or past its last a curve has nothing to say.
    const double at = place.Index(x);
    if (at < -0.5 || at > last + 0.5) continue;
    const double secondsPerSample = SecondsPerSample(curve);
    ReadoutLine line{curve};
    line.index = nearest(x);
    line.timeS = line.index * secondsPerSample;
    line.value = values[static_cast<std::size_t>(line.index)];
    if (referenceX) {
      const int ref = nearest(*referenceX);
      line.hasDelta = true;
      line.deltaTimeS = (line.index - ref) * secondsPerSample;
      line.deltaValue = static_cast<double>(line.value) - values[static_cast<std::size_t>(ref)];
      line.rate = line.deltaTimeS != 0.0 ? line.deltaValue / line.deltaTimeS : 0.0;
    }
    out.push_back(line);
  }
  return out;
}

QString FlightWorkspace::ReadoutText(const std::vector<ReadoutLine>& lines) const {
  const QChar point = QLocale().decimalPoint().at(0);
  QStringList rows;
  for (const ReadoutLine& l : lines) {
    const bool metres = l.curve != Curve::Acceleration;
    const Txt title = l.curve == Curve::Altitude     ? Txt::AltitudeCurveTitle
                      : l.curve == Curve::Comparison ? Txt::ComparisonCurveTitle
                                                     : Txt::AccelerationCurveTitle;
    QString row = T(title).trimmed() + QStringLiteral(": ") + Number(l.timeS, 2, point) +
                  QStringLiteral(" s  ") + Number(l.value, metres ? 1 : 2, point) +
                  (metres ? QStringLiteral(" m") : QString());
    if (l.hasDelta && metres) {
      row += QStringLiteral("   \u0394t ") + Number(l.deltaTimeS, 2, point) +
             QStringLiteral(" s  \u0394h ") + Number(l.deltaValue, 1, point) +
             QStringLiteral(" m  ") + Number(l.rate, 2, point) + QStringLiteral(" m/s");
    }
    rows << row;
  }
  return rows.join(QLatin1Char('\n'));
}

QByteArray FlightWorkspace::DataCsv() const {
  // The curves as the chart shows them, the main flight's first, then the comparison's with
  // their own sample numbers and times.
  struct Column {
    const char* name;
    Curve curve;
  };
  std::vector<Column> main, comparison;
  for (Column c : {Column{"altitude_m", Curve::Altitude},
                   Column{"unfiltered_altitude_m", Curve::UnfilteredAltitude},
                   Column{"acceleration", Curve::Acceleration}})
    if (!chart_[c.curve].empty()) main.push_back(c);
  for (Column c : {Column{"comparison_altitude_m", Curve::Comparison},
                   Column{"comparison_unfiltered_altitude_m", Curve::UnfilteredComparison}})
    if (!chart_[c.curve].empty()) comparison.push_back(c);

  auto length = [this](const std::vector<Column>& cols) {
    std::size_t n = 0;
    for (const Column& c : cols) n = std::max(n, chart_[c.curve].size());
    return n;
  };
  const std::size_t mainRows = length(main), comparisonRows = length(comparison);
  // Each value with the precision it has: metres to 0.1 as the panel shows them, the
  // acceleration to 0.01 as the statistics' rates, seconds to the sampling's step.
  auto metres = [](double v) {
    const QByteArray text = QByteArray::number(v, 'f', 1);
    return text == "-0.0" ? QByteArray("0.0") : text;
  };
  auto rate = [](double v) { return QByteArray::number(v, 'f', 2); };
  auto secondsDecimals = [](double step) {
    int d = 0;
    while (d < 4 && std::abs(step * std::pow(10.0, d) - std::round(step * std::pow(10.0, d))) > 1e-6)
      ++d;
    return d;
  };

  QByteArray csv;
  if (!main.empty()) csv += "index,time_s";
  for (const Column& c : main) csv += QByteArray(",") + c.name;
  if (!comparison.empty())
    csv +=
        main.empty() ? "comparison_index,comparison_time_s" : ",comparison_index,comparison_time_s";
  for (const Column& c : comparison) csv += QByteArray(",") + c.name;
  if (csv.startsWith(',')) csv.remove(0, 1);
  csv += '\n';
  const double mainStep = SecondsPerSample(Curve::Altitude);
  const double comparisonStep = SecondsPerSample(Curve::Comparison);
  for (std::size_t i = 0; i < std::max(mainRows, comparisonRows); ++i) {
    QByteArrayList fields;
    auto cells = [&](const std::vector<Column>& cols, std::size_t rows, double step) {
      if (cols.empty()) return;
      const bool here = i < rows;
      fields << (here ? QByteArray::number(static_cast<qulonglong>(i)) : QByteArray())
             << (here ? QByteArray::number(static_cast<double>(i) * step, 'f',
                                           secondsDecimals(step))
                      : QByteArray());
      for (const Column& c : cols) {
        const std::vector<float>& v = chart_[c.curve];
        if (i >= v.size()) {
          fields << QByteArray();
          continue;
        }
        const double value = static_cast<double>(v[i]);
        fields << (c.curve == Curve::Acceleration ? rate(value) : metres(value));
      }
    };
    cells(main, mainRows, mainStep);
    cells(comparison, comparisonRows, comparisonStep);
    csv += fields.join(',') + '\n';
  }
  return csv;
}

bool FlightWorkspace::ExportData(const QString& path, Failure* error) const {
  if (chart_[Curve::Altitude].empty() && chart_[Curve::Comparison].empty()) {
    return Fail(error, Failure::Of(FailureKind::NoData, path));
  }
  return WriteFileAtomically(path, DataCsv(), error);
}

}  // namespace hypsor
