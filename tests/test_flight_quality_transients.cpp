// SPDX-License-Identifier: GPL-3.0-or-later
// Transients on made flights, one of each kind the pressure shows on real ones: an ejection
// pulse after the apogee, a parachute's deploy dip, the overshoot and dip of near-sonic flight,
// a jump the recording ends in; and the pad's noise, which is none. Each with the apogee the
// data support and the rates read without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "flight/FlightQuality.h"
#include "text/QualityText.h"
#include "tests/support/MadeFlights.h"

using namespace hypsor;
using namespace hypsor::test;

namespace {

// A fast flight in metres at time t: 5 s on the pad, a boost of 100 m/s² for 2.5 s (250 m/s at
// 312.5 m), a coast slowed by gravity and drag (1.35 g) to the top at 26.4 s near 2672 m, then
// 25 m/s under a drogue.
constexpr double kPadS = 5.0;
constexpr double kTopS = kPadS + 2.5 + 250.0 / (1.35 * 9.81);
double FastAltitude(double t) {
  const double tl = t - kPadS;
  if (tl <= 0) return 0.0;
  const double a = 100.0, tb = 2.5, decel = 1.35 * 9.81;
  const double vb = a * tb, hb = a * tb * tb / 2;
  if (tl <= tb) return a * tl * tl / 2;
  const double tc = tl - tb, tTop = vb / decel;
  const double hTop = hb + vb * vb / (2 * decel);
  if (tc <= tTop) return hb + vb * tc - decel * tc * tc / 2;
  // From rest to 25 m/s with gravity, then steady.
  const double td = tc - tTop, tFall = 25.0 / 9.81;
  if (td <= tFall) return hTop - 9.81 * td * td / 2;
  return std::max(0.0, hTop - 9.81 * tFall * tFall / 2 - 25.0 * (td - tFall));
}

// seconds of the fast flight at the sampling code's rate (codes 2 to 4: 15, 10 and 5 a second),
// with the sensor's small wobble; change may edit each sample's height at its time.
MadeFlight Fast(int code, double seconds,
                const std::function<double(double, double)>& change = nullptr) {
  const double rate = code == 2 ? 15.0 : code == 3 ? 10.0 : 5.0;
  MadeFlight f;
  f.samplingCode = code;
  const int n = static_cast<int>(seconds * rate);
  for (int i = 0; i < n; ++i) {
    const double t = i / rate;
    double h = FastAltitude(t);
    if (h > 0) h += ((i * 7) % 5 - 2) * 0.2;
    if (change) h = change(t, h);
    f.words.push_back(RawFor(h));
  }
  return f;
}

const QualityFlag* Only(const FlightQuality& q, QualityCode code) {
  int count = 0;
  const QualityFlag* found = nullptr;
  for (const QualityFlag& f : q.flags)
    if (f.code == code) ++count, found = &f;
  return count == 1 ? found : nullptr;
}

QString Said(const FlightQuality& q) {
  return QualityTexts(q, 100, 1, QLatin1Char('.')).join(QLatin1Char('\n'));
}

}  // namespace

TEST(FlightQualityTransients, CleanFastFlightAndPadNoiseRaiseNothing) {
  const FlightQuality clean = Assess(Fast(3, 140));
  EXPECT_TRUE(clean.flags.empty()) << Said(clean).toStdString();
  EXPECT_TRUE(clean.transients.empty());
  EXPECT_NEAR(clean.apogee.supportedS, kTopS, 0.3);
  EXPECT_EQ(clean.apogee.supportedIndex, clean.apogee.rawIndex);
  EXPECT_FALSE(clean.apogee.rawSetAside);

  // ±2 m of noise on the pad (and a metre in the air) are the sensor, not transients.
  const FlightQuality noisy = Assess(Fast(3, 140, [](double t, double h) {
    const int k = static_cast<int>(t * 10);
    return h + (t < kPadS ? ((k * 5) % 9 - 4) * 0.5 : ((k * 3) % 5 - 2) * 0.5);
  }));
  EXPECT_TRUE(noisy.flags.empty()) << Said(noisy).toStdString();
}

TEST(FlightQualityTransients, EjectionPulsesAfterTheApogeeOfEveryLength) {
  // An 800 m drop from sample `start`, 0.5 s after the top, and the sample before it 18 m over
  // the curve: the raw apogee.
  const int start = static_cast<int>(std::lround((kTopS + 0.5) * 10));
  auto pulse = [start](int samples, bool overshoot) {
    return Fast(3, 140, [=](double t, double h) {
      const int i = static_cast<int>(std::lround(t * 10));
      if (overshoot && i == start - 1) return h + 18.0;
      return i >= start && i < start + samples ? h - 800.0 : h;
    });
  };
  for (int samples : {5, 10, 15}) {
    const FlightQuality q = Assess(pulse(samples, true));
    const QualityFlag* f = Only(q, QualityCode::Transient);
    ASSERT_NE(f, nullptr) << samples << "\n" << Said(q).toStdString();
    EXPECT_EQ(f->kind, TransientKind::Ejection) << samples;
    EXPECT_NEAR(f->value, -800.0, 5.0) << samples;
    // It covers the pulse (and perhaps the overshoot next to it), nothing beyond.
    EXPECT_GE(f->samples[0], start - 1) << samples;
    EXPECT_LE(f->samples[0], start) << samples;
    EXPECT_EQ(f->samples[1], start + samples - 1) << samples;

    // The raw apogee is the overshoot; the data support the real top.
    EXPECT_EQ(q.apogee.rawIndex, start - 1);
    EXPECT_TRUE(q.apogee.rawSetAside);
    EXPECT_NEAR(q.apogee.rawM - q.apogee.supportedM, 18.0, 1.5) << samples;
    EXPECT_NEAR(q.apogee.supportedS, kTopS, 0.4) << samples;
    const QualityFlag* disputed = Only(q, QualityCode::ApogeeDisputed);
    ASSERT_NE(disputed, nullptr) << samples;
    EXPECT_EQ(disputed->samples, (std::vector<int>{q.apogee.rawIndex, q.apogee.supportedIndex}));
    const QString why = ApogeeExplanation(q, 1, QLatin1Char('.'));
    EXPECT_FALSE(why.contains(QStringLiteral("support it"))) << why.toStdString();
    EXPECT_TRUE(why.contains(FormatAltitude(q.apogee.supportedM, QLatin1Char('.'))))
        << why.toStdString();
  }
  // 0.2 s at 10 a second are two samples: a spike.
  const FlightQuality shortPulse = Assess(pulse(2, false));
  const QualityFlag* spike = Only(shortPulse, QualityCode::Spike);
  ASSERT_NE(spike, nullptr) << Said(shortPulse).toStdString();
  EXPECT_EQ(spike->samples, (std::vector<int>{start, start + 1}));
  EXPECT_EQ(Only(shortPulse, QualityCode::Transient), nullptr);
  EXPECT_FALSE(shortPulse.apogee.rawSetAside);
}

TEST(FlightQualityTransients, DeployDipInTheDescentLeavesTheSinkRateAlone) {
  // 72 m down for 0.3 s at 500 m, 15 samples a second: five samples, a transient.
  const double when = kTopS + 2.55 + (2672.0 - 500.0) / 25.0 - 2.0;
  const MadeFlight dipped =
      Fast(2, 140, [&](double t, double h) { return t >= when && t < when + 0.3 ? h - 72.0 : h; });
  const FlightQuality q = Assess(dipped);
  const QualityFlag* f = Only(q, QualityCode::Transient);
  ASSERT_NE(f, nullptr) << Said(q).toStdString();
  EXPECT_EQ(f->kind, TransientKind::Deploy);
  EXPECT_NEAR(f->value, -72.0, 3.0);
  EXPECT_NEAR(f->samples[0] / 15.0, when, 0.15);
  EXPECT_FALSE(q.apogee.rawSetAside);
  EXPECT_TRUE(QualityFlagText(*f, 150, 1, QLatin1Char('.')).startsWith("transient (deploy): "));
  EXPECT_TRUE(QualityFlagText(*f, 150, 0, QChar(',')).contains(QStringLiteral("otwarcie")));

  // The dip's edges are a sink of hundreds of m/s; without them the drogue's 25 m/s.
  const Flight flight = ToFlight(dipped);
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, {true, false});
  const FlightStatistics s = ComputeStatistics(d.AltitudeTable, d.tableCount, 150, std::nullopt);
  ASSERT_TRUE(s.landed);
  EXPECT_NEAR(s.maxSinkMps, 25.0, 1.5);
  EXPECT_NEAR(s.meanDescentMps, 24.0, 2.0);
  EXPECT_EQ(Only(q, QualityCode::NearSonic), nullptr);
}

TEST(FlightQualityTransients, TransonicOvershootAndDipInTheClimb) {
  // At 2 s of coast the flight climbs at about 224 m/s: 150 m over the curve for 0.3 s, then
  // 190 m under it for 0.4 s.
  const double at = kPadS + 2.5 + 2.0;
  const FlightQuality q = Assess(Fast(3, 140, [&](double t, double h) {
    if (t >= at && t < at + 0.3) return h + 150.0;
    if (t >= at + 0.3 && t < at + 0.7) return h - 190.0;
    return h;
  }));
  const QualityFlag* f = Only(q, QualityCode::Transient);
  ASSERT_NE(f, nullptr) << Said(q).toStdString();
  EXPECT_EQ(f->kind, TransientKind::Transonic);
  EXPECT_NEAR(std::abs(f->value), 190.0, 10.0);
  EXPECT_NEAR(f->samples[0] / 10.0, at, 0.15);
  EXPECT_NEAR(f->samples[1] / 10.0, at + 0.6, 0.25);
  // The top is far from it: the data support the unfiltered apogee.
  EXPECT_FALSE(q.apogee.rawSetAside);
  EXPECT_EQ(q.apogee.supportedIndex, q.apogee.rawIndex);
  EXPECT_EQ(Only(q, QualityCode::ApogeeDisputed), nullptr);
  // The overshoot's edge is a climb of 1700 m/s; the flight's fastest is the 250 m/s of the
  // burnout.
  EXPECT_EQ(Only(q, QualityCode::NearSonic), nullptr) << Said(q).toStdString();
}

TEST(FlightQualityTransients, EndOfRecordJumpIsNeitherApogeeNorLanding) {
  // The recording ends 60 s after the launch, in the descent; its last two samples jump 3000 m
  // up and 2500 m down (a saturated sensor as a charge fires).
  MadeFlight cut = Fast(3, 65);
  const std::size_t n = cut.words.size();
  cut.words[n - 2] = RawFor(FastAltitude((n - 2) / 10.0) + 3000.0);
  cut.words[n - 1] = RawFor(FastAltitude((n - 1) / 10.0) - 2500.0);
  const Flight flight = ToFlight(cut);
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, {true, false});
  const FlightStatistics s = ComputeStatistics(d.AltitudeTable, d.tableCount, 100, d.MaxAltitude);
  EXPECT_EQ(s.apogeeIndex, static_cast<int>(n) - 2);  // the competition's apogee is the maximum
  EXPECT_FALSE(s.landed);
  for (const StatisticField& field : StatisticFields(s, QLatin1Char('.'))) {
    const QLatin1String key(field.key);
    if (key == QLatin1String("landing_s") || key == QLatin1String("max_sink_mps") ||
        key == QLatin1String("mean_descent_mps")) {
      EXPECT_TRUE(field.value.isEmpty()) << field.key;
    }
  }
  EXPECT_NEAR(s.maxClimbMps, 250.0, 10.0);

  const FlightQuality q = Assess(cut);
  const QualityFlag* f = Only(q, QualityCode::EndOfRecord);
  ASSERT_NE(f, nullptr) << Said(q).toStdString();
  EXPECT_EQ(f->samples, (std::vector<int>{static_cast<int>(n) - 2, static_cast<int>(n) - 1}));
  EXPECT_EQ(Only(q, QualityCode::Spike), nullptr);
  EXPECT_EQ(Only(q, QualityCode::Transient), nullptr);
  EXPECT_NE(Only(q, QualityCode::NoLanding), nullptr);
  EXPECT_NEAR(q.apogee.supportedS, kTopS, 0.3);
  EXPECT_NEAR(q.apogee.supportedM, 2672.0, 10.0);
  ASSERT_NE(Only(q, QualityCode::ApogeeDisputed), nullptr);
  EXPECT_TRUE(ApogeeExplanation(q, 1, QLatin1Char('.'))
                  .contains(FormatAltitude(q.apogee.supportedM, QLatin1Char('.'))));
  // A single last sample that jumps is one too, at the rate of 5 a second.
  MadeFlight last = Fast(4, 65);
  last.words.back() = RawFor(FastAltitude(64.8) - 900.0);
  const FlightQuality lastQuality = Assess(last);
  const QualityFlag* one = Only(lastQuality, QualityCode::EndOfRecord);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->samples.front(), static_cast<int>(last.words.size()) - 1);
}

TEST(FlightQualityTransients, RatesNearTheSpeedOfSound) {
  // A boost of 160 m/s² for 2.5 s: 400 m/s at 500 m; a coast slowed at 2 g to 4577 m, then
  // 20 m/s under a parachute.
  MadeFlight fast;
  for (int i = 0; i < 600; ++i) {
    const double tl = i / 10.0 - 5.0, tTop = 400.0 / 19.62;
    double h = 0.0;
    if (tl > 0 && tl <= 2.5) h = 80.0 * tl * tl;
    const double tc = tl - 2.5;
    if (tc > 0)
      h = tc <= tTop ? 500.0 + 400.0 * tc - 9.81 * tc * tc
                     : 500.0 + 400.0 * tTop / 2 - 20.0 * (tc - tTop);
    fast.words.push_back(RawFor(h + ((i * 7) % 5 - 2) * 0.2));
  }
  const FlightQuality q = Assess(fast);
  const QualityFlag* f = Only(q, QualityCode::NearSonic);
  ASSERT_NE(f, nullptr) << Said(q).toStdString();
  EXPECT_GT(f->value, 300.0);
  EXPECT_NEAR(f->samples[0] / 10.0, 6.5, 1.5);
  EXPECT_TRUE(QualityFlagText(*f, 100, 1, QLatin1Char('.')).startsWith("near-sonic: a climb of"));
}
