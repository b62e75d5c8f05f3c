// SPDX-License-Identifier: GPL-3.0-or-later
// The flags, the apogee the data support and the rates on fourteen real flights
// (tests/real-flights, converted from public logs): every event the logs show is flagged where
// they show it, and nothing else. The events were checked against the logs themselves (an
// ejection charge, a parachute opening, the shock of near-sonic flight, a sensor saturating as
// the log ends); the supported apogees against the top of a one-second running median, which
// they match within the few metres such a median cuts off a top, where no transient is near.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "flight/FlightQuality.h"
#include "text/QualityText.h"

using namespace hypsor;

namespace {

constexpr QualityCode kSpike = QualityCode::Spike;
constexpr QualityCode kTransient = QualityCode::Transient;
constexpr QualityCode kEnd = QualityCode::EndOfRecord;
constexpr QualityCode kNoLanding = QualityCode::NoLanding;
constexpr QualityCode kDisputed = QualityCode::ApogeeDisputed;
constexpr QualityCode kSonic = QualityCode::NearSonic;

struct Span {
  QualityCode code;
  int first;  // samples, as the logs place the event
  int last;
  TransientKind kind = TransientKind::None;
};

struct RealFlight {
  const char* file;
  std::vector<QualityCode> codes;  // in the order of the flags
  std::vector<Span> spans;         // the transient and end-of-record flags, in order
  std::vector<int> spikes;         // the spike flag's samples
  const char* supportedM;          // as the panel shows it
  int supportedSample;
  bool landed;
};

// Read off the logs: see tests/real-flights/README.md for each flight.
constexpr auto kEjection = TransientKind::Ejection;
constexpr auto kDeploy = TransientKind::Deploy;
constexpr auto kTransonic = TransientKind::Transonic;
const RealFlight kFlights[] = {
    {"andromeda-2022.hyp",
     {kNoLanding, kEnd},
     {{kEnd, 3221, 3228, kDeploy}},
     {},
     "3437.8",
     266,
     false},
    {"bella-lui-2020.hyp", {}, {}, {}, "458.8", 158, true},
    {"camoes-2023.hyp", {kSonic}, {}, {}, "3017.3", 621, true},
    {"cavour-2023.hyp", {kNoLanding, kSonic}, {}, {}, "2788.9", 119, false},
    {"erebus-2022.hyp",
     {kTransient, kSonic},
     {{kTransient, 321, 325, kDeploy}},
     {},
     "3173.4",
     243,
     true},
    {"genesis-2023.hyp", {kSonic}, {}, {}, "2915.3", 250, true},
    {"halcyon-2023.hyp", {kSpike, kNoLanding}, {}, {143, 144}, "3469.7", 148, false},
    {"hedy-2025.hyp",
     {kNoLanding, kTransient, kSonic},
     {{kTransient, 96, 100, kTransonic}},
     {},
     "5686.7",
     344,
     false},
    {"juno3-2023.hyp",
     {kSpike, kNoLanding, kTransient, kEnd, kDisputed},
     {{kTransient, 262, 267, kEjection}, {kEnd, 305, 305, kEjection}},
     {247, 248},
     "3587.2",
     270,
     false},
    {"lince-2023.hyp",
     {kTransient, kSonic},
     {{kTransient, 276, 297, kEjection}},
     {},
     "3587.8",
     269,
     true},
    {"ndrt-2020.hyp", {kTransient}, {{kTransient, 654, 657, kDeploy}}, {}, "1320.2", 171, true},
    {"prometheus-telemega-2022.hyp", {kSpike, kSonic}, {}, {1490, 1582}, "4475.9", 291, true},
    {"prometheus-telemetrum-2022.hyp", {kSpike, kSonic}, {}, {299}, "4483.9", 295, true},
    {"valkyrie.hyp", {}, {}, {}, "2059.1", 514, true},
};

struct Assessed {
  Flight flight;
  DecodedFlight decoded;
  FlightQuality quality;
  FlightStatistics statistics;
};

Assessed AssessFile(const char* name) {
  Assessed a;
  const QString path =
      QStringLiteral(HYPSOR_SOURCE_DIR "/tests/real-flights/") + QLatin1String(name);
  EXPECT_EQ(LoadFlightFile(path, a.flight).status, FlightFileStatus::Ok) << name;
  a.decoded = DecodeFlight(a.flight, a.flight.SampleCount, {true, false});
  auto work = std::make_unique<FilterTables>();
  a.quality = AssessFlight(a.flight, a.decoded, FilterParams{}, *work);
  a.statistics = ComputeStatistics(a.decoded.AltitudeTable, a.decoded.tableCount,
                                   a.flight.TimeLabelStep, a.decoded.MaxAltitude);
  return a;
}

}  // namespace

TEST(FlightQualityReal, EveryEventTheLogsShowAndNothingElse) {
  for (const RealFlight& f : kFlights) {
    SCOPED_TRACE(f.file);
    const Assessed a = AssessFile(f.file);
    const FlightQuality& q = a.quality;
    std::vector<QualityCode> codes;
    for (const QualityFlag& flag : q.flags) codes.push_back(flag.code);
    EXPECT_EQ(codes, f.codes) << QualityTexts(q, a.flight.TimeLabelStep, 1, QLatin1Char('.'))
                                     .join(QLatin1Char('\n'))
                                     .toStdString();
    std::vector<const QualityFlag*> spans;
    for (const QualityFlag& flag : q.flags) {
      if (flag.code == kTransient || flag.code == kEnd) spans.push_back(&flag);
      if (flag.code == kSpike) {
        EXPECT_EQ(flag.samples, f.spikes);
      }
    }
    ASSERT_EQ(spans.size(), f.spans.size());
    for (std::size_t k = 0; k < spans.size(); ++k) {
      EXPECT_EQ(spans[k]->code, f.spans[k].code) << k;
      EXPECT_EQ(spans[k]->samples, (std::vector<int>{f.spans[k].first, f.spans[k].last})) << k;
      EXPECT_EQ(spans[k]->kind, f.spans[k].kind) << k;
    }
  }
}

TEST(FlightQualityReal, TheApogeeTheDataSupport) {
  for (const RealFlight& f : kFlights) {
    SCOPED_TRACE(f.file);
    const Assessed a = AssessFile(f.file);
    const ExplainedApogee& e = a.quality.apogee;
    ASSERT_TRUE(e.valid);
    EXPECT_EQ(FormatAltitude(e.supportedM, QLatin1Char('.')), QLatin1String(f.supportedM));
    EXPECT_EQ(e.supportedIndex, f.supportedSample);
    EXPECT_DOUBLE_EQ(e.supportedS, SampleTime(f.supportedSample, a.flight.TimeLabelStep));
    // Never in or next to a transient; the ranking's apogee stays the unfiltered maximum.
    for (const Transient& t : a.quality.transients) {
      EXPECT_FALSE(t.Covers(e.supportedIndex, NextToSamples(a.flight.TimeLabelStep)));
    }
    EXPECT_EQ(a.statistics.apogeeM, e.rawM);
    const QString why = ApogeeExplanation(a.quality, 1, QLatin1Char('.'));
    if (e.rawSetAside) {
      EXPECT_FALSE(why.contains(QStringLiteral("support it"))) << why.toStdString();
    } else {
      EXPECT_EQ(e.supportedIndex, e.rawIndex);
      EXPECT_TRUE(why.contains(QStringLiteral("support it"))) << why.toStdString();
    }
    // "Only smooths the noise" only where the filter's top is within a few metres of the data's.
    if (why.contains(QStringLiteral("only smooths"))) {
      EXPECT_LT(e.rawM - e.filteredM, 15.0f) << why.toStdString();
    }
  }
}

TEST(FlightQualityReal, RatesWithTheTransientsSetAside) {
  for (const RealFlight& f : kFlights) {
    SCOPED_TRACE(f.file);
    const FlightStatistics s = AssessFile(f.file).statistics;
    EXPECT_EQ(s.landed, f.landed);
    // No parachute sinks at 100 m/s, no rocket climbs at a kilometre a second: the spikes of
    // ejection and deploy charges are not rates.
    EXPECT_LT(s.maxClimbMps, 500.0);
    if (s.landed) {
      EXPECT_LT(s.maxSinkMps, 100.0);
    }
    for (const StatisticField& field : StatisticFields(s, QLatin1Char('.'))) {
      const QLatin1String key(field.key);
      if (key == QLatin1String("landing_s") || key == QLatin1String("max_sink_mps") ||
          key == QLatin1String("mean_descent_mps")) {
        EXPECT_EQ(field.value.isEmpty(), !f.landed) << field.key;
      }
    }
  }
}
