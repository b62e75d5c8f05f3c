// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <vector>

#include "flight/Decode.h"
#include "flight/Filters.h"
#include "flight/FlightData.h"
#include "flight/FlightStatistics.h"
#include "flight/Transients.h"

namespace hypsor {

// What a jury must know about a flight's data before it trusts a number read from it: flags for
// the things that make a recording doubtful, and the apogee before and after the filter.

// The thresholds of the flags, with why they are where they are.
namespace quality {
// spike, transient, end-of-record: the transients of flight/Transients.h, by their shape: a
// spike of at most transient::kSpikeLongestRun samples, a longer transient, a jump the
// recording ends in.
// apogee-disputed: the unfiltered apogee stands more than max(2 m, 0.5 %) above the apogee the
// data support: two metres are the sensor's noise at the top, half a per cent its error there.
inline constexpr int kDisputedDm = 20;
inline constexpr int kDisputedShare = 200;  // 1 / 200 = 0.5 %
// near-sonic: a climb or sink above 300 m/s; near the speed of sound the pressure around the
// rocket no longer follows the height it flies at, so the barometric height and its rates
// are unreliable there.
inline constexpr double kNearSonicMps = 300.0;
// pad-drift: the ground is the mean of the first second and of the last second before the launch;
// one second of samples averages the sensor's noise (about a metre) away. A move of 2 m, two
// thirds of the 3 m that count as a launch, shifts the launch time and every height measured
// from the zero.
inline constexpr int kPadDriftDm = 20;
// stuck: in the air the altitude changes all the time: even at the apogee it falls by 4.9 m in
// the first second, many steps of the sensor (0.2 m, 0.8 m at the fast rates). Identical raw
// readings for 2 s, and at least 10 of them (at 1 sample a second two equal readings are
// normal), between launch and landing mean the reading stuck.
inline constexpr double kStuckSeconds = 2.0;
inline constexpr int kStuckMinimumSamples = 10;
// late-launch: the altimeter starts recording at its trigger height; a launch after half of the
// recording leaves the flight less room than the wait before it and points at a false trigger.
inline constexpr double kLateLaunchShare = 0.5;
// short: the filter needs FilterMinimumSamples samples; with fewer the filtered apogee and the
// spike check do not exist.
inline constexpr int kShortSamples = FilterMinimumSamples;
}  // namespace quality

enum class QualityCode {
  Spike,
  PadDrift,
  Stuck,
  Incomplete,
  NoLaunch,
  NoLanding,
  LateLaunch,
  Short,
  Transient,
  EndOfRecord,
  ApogeeDisputed,
  NearSonic,
};

// The stable code of a flag, as files, hypsor-cli and scripts spell it ("spike", "pad-drift",
// "end-of-record").
const char* QualityCodeName(QualityCode code);

// One flag and what it concerns.
struct QualityFlag {
  QualityCode code;
  // The samples concerned: spike, the samples off the curve; transient and end-of-record, the
  // first and last sample set aside; stuck, the first and last sample of the longest run;
  // pad-drift, the first sample and the launch; late-launch, the launch; apogee-disputed, the
  // unfiltered and the supported apogee; near-sonic, where the fastest second starts; the
  // others none.
  std::vector<int> samples;
  // spike: the largest jump (metres off the curve); transient and end-of-record: the depth
  // (metres off the curve, negative below it); pad-drift: the ground's move in metres; stuck:
  // the run's length in seconds; late-launch: the launch's share of the recording in percent;
  // incomplete: 1 when the end marker is missing, 2 when the recording filled the file before
  // landing; apogee-disputed: the unfiltered apogee minus the supported one in metres;
  // near-sonic: the rate in m/s (negative: a sink).
  double value = 0.0;
  // spike only: the unfiltered apogee is one of the samples.
  bool apogeeReplaced = false;
  // transient and end-of-record: what the shape and the place say it was.
  TransientKind kind = TransientKind::None;
  // apogee-disputed: the apogee the data support, in metres (value above it is the unfiltered).
  double supportedM = 0.0;
};

// The apogee before and after the filter, each with its sample and time.
struct ExplainedApogee {
  bool valid = false;     // the flight has at least 2 samples
  bool filtered = false;  // it was long enough to filter; the filtered values are set
  float rawM = 0.0f;      // as the panel shows the decoded maximum
  int rawIndex = 0;
  double rawS = 0.0;
  float filteredM = 0.0f;
  int filteredIndex = 0;
  double filteredS = 0.0;
  float differenceM = 0.0f;  // raw - filtered
  // The apogee the data support: the highest sample outside every flagged transient and the
  // samples next to them (flight/Transients.h), on the unfiltered curve.
  float supportedM = 0.0f;
  int supportedIndex = 0;
  double supportedS = 0.0;
  bool rawSetAside = false;       // the unfiltered apogee is in or next to a transient
  bool filteredSetAside = false;  // the filtered one is
};

struct FlightQuality {
  std::vector<QualityFlag> flags;  // in the order of QualityCode
  ExplainedApogee apogee;
  // The transients of the unfiltered curve, each flagged as spike, transient or end-of-record;
  // what a chart shades.
  std::vector<Transient> transients;
  const QualityFlag* Find(QualityCode code) const;
};

// Assesses a decoded flight with the filter settings in use: the flags, and the apogee before
// and after the filter. work holds the filter run after the call (the filtered curve in
// work.FilterResult when apogee.filtered). The flight's bytes give the raw samples and whether
// the end marker came.
FlightQuality AssessFlight(const Flight& flight, const DecodedFlight& decoded,
                           const FilterParams& params, FilterTables& work);

// The same for a flight whose table and raw words are given directly (the assessment itself,
// shared with the benchmark and the tests). raw holds the masked 16-bit samples, one per entry
// of table; endMarker whether the recording ended with its marker; filledFile whether its
// samples took all the room a flight file has.
struct QualityInput {
  const AltitudeTableArray* table = nullptr;
  int count = 0;
  std::vector<std::uint16_t> raw;
  int timeLabelStep = 1;
  std::optional<float> rawMaximum;  // the decoded maximum as the panel shows it
  bool endMarker = true;
  bool filledFile = false;
};
// The flags, the apogee before the filter and the supported apogee.
FlightQuality AssessQuality(const QualityInput& input);
// The apogee after the filter: runs the whole filter on the flight's table (count entries,
// decimetres) when it is long enough, and sets quality.apogee's filtered values.
void ExplainFilteredApogee(FlightQuality& quality, const AltitudeTableArray& table, int count,
                           int timeLabelStep, const FilterParams& params, FilterTables& work);

// The samples of a flight's bytes, masked, for at most count entries (up to the end marker).
std::vector<std::uint16_t> RawSamples(const Flight& flight, int count);

}  // namespace hypsor
