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
    case QualityCode::Transient: return "transient";
    case QualityCode::EndOfRecord: return "end-of-record";
    case QualityCode::ApogeeDisputed: return "apogee-disputed";
    case QualityCode::NearSonic: return "near-sonic";
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
  const int nextTo = NextToSamples(step);
  for (const Transient& tr : q.transients)
    if (tr.Covers(top, nextTo)) q.apogee.filteredSetAside = true;
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
  FlightQuality q = AssessQuality(in);
  ExplainFilteredApogee(q, decoded.AltitudeTable, decoded.tableCount, flight.TimeLabelStep,
                        params, work);
  return q;
}

FlightQuality AssessQuality(const QualityInput& in) {
  FlightQuality q;
  const AltitudeTableArray& a = *in.table;
  const int n = std::clamp(in.count, 0, AltitudeTableSize - 1);
  const int step = std::max(1, in.timeLabelStep);
  FlightStatistics s = ComputeStatistics(a, n, step, in.rawMaximum);

  // The apogee before the filter, and the one the data support; after the filter,
  // ExplainFilteredApogee.
  if (s.enoughSamples) {
    ExplainedApogee& e = q.apogee;
    e.valid = true;
    e.rawIndex = s.apogeeIndex;
    e.rawM = s.apogeeM;
    e.rawS = SampleTime(s.apogeeIndex, step);
    e.supportedIndex = s.supportedApogeeIndex;
    e.supportedM = s.supportedApogeeM;
    e.supportedS = s.supportedApogeeS;
    const int nextTo = NextToSamples(step);
    for (const Transient& tr : s.transients)
      if (tr.Covers(s.apogeeIndex, nextTo)) e.rawSetAside = true;
  }

  // spike: every short transient in one flag; transient and end-of-record: one flag each.
  QualityFlag spikes{QualityCode::Spike, {}, 0.0, false};
  std::vector<QualityFlag> longer, ends;
  for (const Transient& tr : s.transients) {
    if (tr.shape == TransientShape::Spike) {
      spikes.samples.insert(spikes.samples.end(), tr.samples.begin(), tr.samples.end());
      spikes.value = std::max(spikes.value, std::abs(tr.depthM));
      if (tr.Covers(s.apogeeIndex)) spikes.apogeeReplaced = true;
      continue;
    }
    QualityFlag f{
        tr.shape == TransientShape::EndOfRecord ? QualityCode::EndOfRecord : QualityCode::Transient,
        {tr.first, tr.last},
        tr.depthM,
        false,
        tr.kind};
    (f.code == QualityCode::EndOfRecord ? ends : longer).push_back(f);
  }
  if (!spikes.samples.empty()) q.flags.push_back(spikes);
  q.transients = s.transients;

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
  q.flags.insert(q.flags.end(), longer.begin(), longer.end());
  q.flags.insert(q.flags.end(), ends.begin(), ends.end());

  // apogee-disputed: the unfiltered apogee stands clearly above what the data support.
  const ExplainedApogee& e = q.apogee;
  const double over = static_cast<double>(e.rawM) - e.supportedM;
  if (e.valid && over * 10 > std::max<double>(quality::kDisputedDm,
                                              e.supportedM * 10.0 / quality::kDisputedShare))
    q.flags.push_back({QualityCode::ApogeeDisputed,
                       {e.rawIndex, e.supportedIndex},
                       over,
                       false,
                       TransientKind::None,
                       e.supportedM});

  // near-sonic: the fastest climb or sink, read with the transients set aside.
  if (s.launched) {
    const bool sinkFaster = s.maxSinkMps > s.maxClimbMps;
    const double rate = sinkFaster ? s.maxSinkMps : s.maxClimbMps;
    if (rate > quality::kNearSonicMps)
      q.flags.push_back({QualityCode::NearSonic,
                         {sinkFaster ? s.maxSinkIndex : s.maxClimbIndex},
                         sinkFaster ? -rate : rate});
  }
  return q;
}

}  // namespace hypsor
