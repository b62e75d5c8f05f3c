// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/FlightQuality.h"

#include <algorithm>
#include <cstdlib>

namespace hypsor {

namespace {

// Mean of table[from .. to], both inclusive, in decimetres.
double MeanOf(const AltitudeTableArray& table, int from, int to) {
  double sum = 0.0;
  for (int i = from; i <= to; ++i) sum += table[static_cast<std::size_t>(i)];
  return sum / (to - from + 1);
}

}  // namespace

const char* QualityCodeName(QualityCode code) {
  switch (code) {
    case QualityCode::Spike: return "spike";
    case QualityCode::PadDrift: return "pad-drift";
    case QualityCode::Stuck: return "stuck";
    case QualityCode::Incomplete: return "incomplete";
    case QualityCode::NoLaunch: return "no-launch";
    case QualityCode::NoLanding: return "no-landing";
    case QualityCode::LateLaunch: return "late-launch";
    case QualityCode::Short: return "short";
  }
  return "";
}

const QualityFlag* FlightQuality::Find(QualityCode code) const {
  for (const QualityFlag& f : flags)
    if (f.code == code) return &f;
  return nullptr;
}

std::vector<std::uint16_t> RawSamples(const Flight& flight, int count) {
  std::vector<std::uint16_t> raw;
  const int byteLimit = std::clamp(flight.FlightByteCount, 0, RxBufferSize);
  raw.reserve(static_cast<std::size_t>(std::max(0, count)));
  for (int i = 0; i < count; ++i) {
    const int at = FlightHeaderSize + 2 * i;
    if (at + 1 >= byteLimit) break;
    const unsigned word = flight.bytes[static_cast<std::size_t>(at)] |
                          (static_cast<unsigned>(flight.bytes[static_cast<std::size_t>(at) + 1]) << 8);
    raw.push_back(static_cast<std::uint16_t>(word & flight.SampleMask));
  }
  return raw;
}

void ExplainFilteredApogee(FlightQuality& q, const AltitudeTableArray& a, int count, int step,
                           const FilterParams& params, FilterTables& work) {
  const int n = std::clamp(count, 0, AltitudeTableSize - 1);
  if (!q.apogee.valid || n < quality::kShortSamples) return;
  std::copy_n(a.begin(), n, work.FilterSource.begin());
  work.FilterSource[static_cast<std::size_t>(n)] = AltitudeEndMarker;
  FilterChain(work, n, params);
  int top = 0;
  for (int i = 1; i < n; ++i)
    if (work.FilterResult[static_cast<std::size_t>(i)] >
        work.FilterResult[static_cast<std::size_t>(top)])
      top = i;
  q.apogee.filtered = true;
  q.apogee.filteredIndex = top;
  q.apogee.filteredM = static_cast<float>(work.FilterResult[static_cast<std::size_t>(top)] / 10.0);
  q.apogee.filteredS = SampleTime(top, step);
  q.apogee.differenceM = q.apogee.rawM - q.apogee.filteredM;
}

FlightQuality AssessFlight(const Flight& flight, const DecodedFlight& decoded,
                           const FilterParams& params, FilterTables& work) {
  QualityInput in;
  in.table = &decoded.AltitudeTable;
  in.count = decoded.tableCount;
  in.raw = RawSamples(flight, decoded.tableCount);
  in.timeLabelStep = flight.TimeLabelStep;
  in.rawMaximum = decoded.MaxAltitude;
  // The decoding stops behind the marker's word; without a marker it read every word it had.
  in.endMarker = (decoded.ReadPosition - FlightHeaderSize) / 2 == decoded.tableCount + 1;
  // Where the samples end: at the marker, or at the last byte held. A file holds FileReadCap
  // bytes, so samples that end there filled it.
  const int samplesEnd = in.endMarker ? decoded.ReadPosition : flight.FlightByteCount;
  in.filledFile = samplesEnd >= FileReadCap;
  FlightQuality q = AssessQuality(in, params, work);
  ExplainFilteredApogee(q, decoded.AltitudeTable, decoded.tableCount, flight.TimeLabelStep,
                        params, work);
  return q;
}

FlightQuality AssessQuality(const QualityInput& in, const FilterParams& params,
                            FilterTables& work) {
  FlightQuality q;
  const AltitudeTableArray& a = *in.table;
  const int n = std::clamp(in.count, 0, AltitudeTableSize - 1);
  const int step = std::max(1, in.timeLabelStep);
  const FlightStatistics s = ComputeStatistics(a, n, step, in.rawMaximum);

  // The apogee before the filter; after it, ExplainFilteredApogee.
  std::vector<int> replaced;
  if (s.enoughSamples) {
    q.apogee.valid = true;
    q.apogee.rawIndex = s.apogeeIndex;
    q.apogee.rawM = s.apogeeM;
    q.apogee.rawS = SampleTime(s.apogeeIndex, step);
  }
  // The first cut on its own, for the samples it replaces and the lines it puts in their place.
  if (n >= quality::kShortSamples) SlopeCut(a, n, params, work.ReferenceCurve, &replaced);

  // spike: what the first cut replaced, where the sample stood far from the line put in its
  // place and, in a run of at most a few such samples, beyond both samples around the run. At
  // low rates the cut also puts stretches of the climb on lines far from the curve; those lie
  // between their neighbours (or, at the top, within g dt² / 2 of them).
  if (!replaced.empty()) {
    QualityFlag f{QualityCode::Spike, {}, 0.0, false};
    auto jump = [&](int i) {
      return std::llabs(std::int64_t{a[static_cast<std::size_t>(i)]} -
                        work.ReferenceCurve[static_cast<std::size_t>(i)]);
    };
    std::size_t k = 0;
    while (k < replaced.size()) {
      if (jump(replaced[k]) < quality::kSpikeMinimumJumpDm) {
        ++k;
        continue;
      }
      std::size_t e = k;
      while (e + 1 < replaced.size() && replaced[e + 1] == replaced[e] + 1 &&
             jump(replaced[e + 1]) >= quality::kSpikeMinimumJumpDm)
        ++e;
      const int first = replaced[k], last = replaced[e];
      if (last - first + 1 <= quality::kSpikeLongestRun) {
        // Replaced samples are never the first or the last of the flight.
        const std::int64_t before = a[static_cast<std::size_t>(first - 1)];
        const std::int64_t after = a[static_cast<std::size_t>(last + 1)];
        for (int i = first; i <= last; ++i) {
          const std::int64_t v = a[static_cast<std::size_t>(i)];
          if (v < std::max(before, after) + quality::kSpikeMinimumJumpDm &&
              v > std::min(before, after) - quality::kSpikeMinimumJumpDm)
            continue;
          f.samples.push_back(i);
          f.value = std::max(f.value, jump(i) / 10.0);
          if (i == s.apogeeIndex) f.apogeeReplaced = true;
        }
      }
      k = e + 1;
    }
    if (!f.samples.empty()) q.flags.push_back(f);
  }

  // pad-drift: the ground in the first second against the ground in the second that ends a
  // second before the flight first reached 3 m (the climb to 3 m takes less than that).
  if (s.launched) {
    const int second = std::max(1, step / 10);
    int firstAbove = 0;
    while (firstAbove < n && a[static_cast<std::size_t>(firstAbove)] < 30) ++firstAbove;
    const int padEnd = firstAbove - 1 - second;  // the last sample of the pad looked at
    if (padEnd >= 1) {
      const int window = std::max(1, std::min(second, (padEnd + 1) / 2));
      const double drift = MeanOf(a, padEnd - window + 1, padEnd) - MeanOf(a, 0, window - 1);
      if (std::abs(drift) > quality::kPadDriftDm)
        q.flags.push_back({QualityCode::PadDrift, {0, padEnd}, drift / 10.0});
    }
  }

  // stuck: the longest run of identical raw readings in the air.
  if (s.launched && !in.raw.empty()) {
    const int end = std::min<int>(s.landingIndex, static_cast<int>(in.raw.size()) - 1);
    int bestFrom = 0, bestLength = 0;
    for (int i = s.launchIndex; i <= end;) {
      int e = i;
      while (e + 1 <= end && in.raw[static_cast<std::size_t>(e + 1)] == in.raw[static_cast<std::size_t>(i)])
        ++e;
      if (e - i + 1 > bestLength) bestFrom = i, bestLength = e - i + 1;
      i = e + 1;
    }
    const double seconds = SampleTime(bestLength, step);
    if (bestLength >= quality::kStuckMinimumSamples && seconds >= quality::kStuckSeconds)
      q.flags.push_back({QualityCode::Stuck, {bestFrom, bestFrom + bestLength - 1}, seconds});
  }

  // incomplete: no end marker, or the recording filled the file while still in the air.
  if (!in.endMarker) {
    q.flags.push_back({QualityCode::Incomplete, {}, 1});
  } else if (in.filledFile && s.launched && !s.landed) {
    q.flags.push_back({QualityCode::Incomplete, {}, 2});
  }

  if (s.enoughSamples && !s.launched) q.flags.push_back({QualityCode::NoLaunch, {}, 0.0, false});
  if (s.launched && !s.landed) q.flags.push_back({QualityCode::NoLanding, {}, 0.0, false});
  if (s.launched && n > 0 && s.launchIndex > quality::kLateLaunchShare * n)
    q.flags.push_back(
        {QualityCode::LateLaunch, {s.launchIndex}, 100.0 * s.launchIndex / n});
  if (n < quality::kShortSamples) q.flags.push_back({QualityCode::Short, {}, static_cast<double>(n)});
  return q;
}

}  // namespace hypsor
