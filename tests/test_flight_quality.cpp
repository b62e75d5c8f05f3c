// SPDX-License-Identifier: GPL-3.0-or-later
// Data-quality flags and the apogee before and after the filter, on flights each test makes:
// every flag on a flight that shows it and on one that must not.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "flight/Decode.h"
#include "flight/FlightQuality.h"
#include "text/QualityText.h"
#include "tests/support/MadeFlights.h"

using namespace hypsor;
using namespace hypsor::test;

namespace {

// A model flight in metres at time t: padS on the ground, a boost of 50 m/s² for 1.5 s, a coast
// to the apogee (about 290 m after 9.1 s), a descent at 6 m/s and the ground again.
double ModelAltitude(double t, double padS) {
  const double tl = t - padS;
  if (tl <= 0) return 0.0;
  const double a = 50.0, tb = 1.5, g = 9.81;
  const double vb = a * tb, hb = a * tb * tb / 2;
  if (tl <= tb) return a * tl * tl / 2;
  const double tc = tl - tb;
  const double tTop = vb / g, hTop = hb + vb * vb / (2 * g);
  if (tc <= tTop) return hb + vb * tc - g * tc * tc / 2;
  return std::max(0.0, hTop - 6.0 * (tc - tTop));
}

// Words of the model flight at 10 samples a second for seconds, with a small, fixed wobble of
// the sensor so that no two neighbours repeat by chance in the air. change may edit each
// sample's altitude.
MadeFlight Model(double seconds, double padS,
                 const std::function<double(int, double)>& change = nullptr) {
  MadeFlight f;
  const int n = static_cast<int>(seconds * 10);
  for (int i = 0; i < n; ++i) {
    double h = ModelAltitude(i / 10.0, padS);
    if (h > 0) h += ((i * 7) % 5 - 2) * 0.2;  // the wobble, -0.4..0.4 m
    if (change) h = change(i, h);
    f.words.push_back(RawFor(h));
  }
  return f;
}

}  // namespace

TEST(FlightQuality, CleanFlightHasNoFlagsAndBothApogeesAgree) {
  const FlightQuality q = Assess(Model(80, 5));
  EXPECT_TRUE(q.flags.empty()) << QualityTexts(q, 100, 1, QLatin1Char('.')).join('\n').toStdString();
  ASSERT_TRUE(q.apogee.valid);
  ASSERT_TRUE(q.apogee.filtered);
  // The model's top is 5 + 1.5 + 7.65 s = about 14.1 s, near 343 m.
  EXPECT_NEAR(q.apogee.rawS, 14.1, 0.3);
  EXPECT_NEAR(q.apogee.rawM, 343.0, 2.0);
  EXPECT_EQ(q.apogee.rawS, q.apogee.rawIndex / 10.0);
  // The filter rounds the top off by a few metres.
  EXPECT_GE(q.apogee.differenceM, 0.0f);
  EXPECT_LT(q.apogee.differenceM, 4.0f);
  EXPECT_EQ(q.apogee.filteredS, q.apogee.filteredIndex / 10.0);
  EXPECT_TRUE(ApogeeExplanation(q, 1, QLatin1Char('.')).contains(QStringLiteral("support it")));
}

TEST(FlightQuality, SpikeInTheDescentIsNamedWithItsTimeAndJump) {
  // 60 m up at sample 300 (30 s, in the descent); 25 m down at 302.
  const FlightQuality q = Assess(Model(80, 5, [](int i, double h) {
    return i == 300 ? h + 60 : i == 302 ? h - 25 : h;
  }));
  const QualityFlag* spike = q.Find(QualityCode::Spike);
  ASSERT_NE(spike, nullptr);
  EXPECT_EQ(spike->samples, (std::vector<int>{300, 302}));
  EXPECT_NEAR(spike->value, 60.0, 1.5);
  EXPECT_FALSE(spike->apogeeReplaced);
  EXPECT_EQ(Codes(q), std::vector<QualityCode>{QualityCode::Spike});
  const QString text = QualityFlagText(*spike, 100, 1, QLatin1Char('.'));
  EXPECT_TRUE(text.contains(QStringLiteral("30.00, 30.20"))) << text.toStdString();
  EXPECT_TRUE(QualityFlagText(*spike, 100, 0, QChar(',')).contains(QStringLiteral("30,00")));
  // The apogee is not the spike: the data support the unfiltered one.
  EXPECT_LT(q.apogee.differenceM, 4.0f);
  EXPECT_TRUE(ApogeeExplanation(q, 1, QLatin1Char('.')).contains(QStringLiteral("support it")));

  // Two samples in a row, 40 m up: one transient of two samples.
  const FlightQuality pair =
      Assess(Model(80, 5, [](int i, double h) { return i == 400 || i == 401 ? h + 40 : h; }));
  ASSERT_NE(pair.Find(QualityCode::Spike), nullptr);
  EXPECT_EQ(pair.Find(QualityCode::Spike)->samples, (std::vector<int>{400, 401}));

  // A small step of 5 m is noise for the jury, not a spike.
  const FlightQuality small =
      Assess(Model(80, 5, [](int i, double h) { return i == 300 ? h + 5 : h; }));
  EXPECT_EQ(small.Find(QualityCode::Spike), nullptr);
}

TEST(FlightQuality, SpikeAtTheApogeeIsSetAsideForTheApogeeTheDataSupport) {
  const int top = Assess(Model(80, 5)).apogee.rawIndex;
  const FlightQuality q =
      Assess(Model(80, 5, [top](int i, double h) { return i == top + 3 ? h + 80 : h; }));
  const QualityFlag* spike = q.Find(QualityCode::Spike);
  ASSERT_NE(spike, nullptr);
  EXPECT_TRUE(spike->apogeeReplaced);
  EXPECT_EQ(q.apogee.rawIndex, top + 3);
  EXPECT_NEAR(q.apogee.rawM, 343.0 + 80.0, 2.5);
  EXPECT_NEAR(q.apogee.filteredM, 341.0, 3.0);
  EXPECT_NEAR(q.apogee.differenceM, 82.0, 3.5);
  EXPECT_NEAR(q.apogee.filteredS, 14.1, 0.6);
  EXPECT_TRUE(QualityFlagText(*spike, 100, 1, QLatin1Char('.'))
                  .contains(QStringLiteral("the unfiltered apogee is one of them")));
  // The data support the top without the spike; the filter's top, next to the spike, is no
  // evidence.
  EXPECT_TRUE(q.apogee.rawSetAside);
  EXPECT_NEAR(q.apogee.supportedM, 343.0, 1.5);
  EXPECT_NEAR(q.apogee.supportedS, 14.1, 0.3);
  EXPECT_TRUE(ApogeeExplanation(q, 1, QLatin1Char('.'))
                  .contains(QStringLiteral("the data support ") +
                            FormatAltitude(q.apogee.supportedM, QLatin1Char('.')) +
                            QStringLiteral(" m at")));
  ASSERT_NE(q.Find(QualityCode::ApogeeDisputed), nullptr);
  EXPECT_NEAR(q.Find(QualityCode::ApogeeDisputed)->value, 80.0, 2.5);
  // The flags read the data, not the filter: settings that let the spike through the filter
  // still find it.
  FilterParams loose;
  loose.PreCutCm = 20000;
  EXPECT_NE(
      Assess(Model(80, 5, [top](int i, double h) { return i == top + 3 ? h + 80 : h; }), loose)
          .Find(QualityCode::Spike),
      nullptr);
}

TEST(FlightQuality, PadDriftUpAndDownButNotTheSensorsWobble) {
  // The ground moves by amount over a 10 s wait (and stays moved), with a wobble of 0.1 m.
  auto drifting = [](double amount) {
    return Model(100, 10, [amount](int i, double h) {
      return h + amount * std::min(i, 100) / 100.0 + (i < 100 ? ((i % 3) - 1) * 0.1 : 0.0);
    });
  };
  // 2.8 m up: the second that ends a second before 3 m is reached (about sample 92) stands
  // 2.2 m above the first.
  const FlightQuality up = Assess(drifting(2.8));
  const QualityFlag* f = up.Find(QualityCode::PadDrift);
  ASSERT_NE(f, nullptr);
  EXPECT_NEAR(f->value, 2.3, 0.3);
  EXPECT_EQ(f->samples.front(), 0);
  const FlightQuality down = Assess(drifting(-3.0));
  ASSERT_NE(down.Find(QualityCode::PadDrift), nullptr);
  EXPECT_LT(down.Find(QualityCode::PadDrift)->value, -2.0);
  // 1.5 m of drift and the wobble: no flag.
  EXPECT_EQ(Assess(drifting(1.5)).Find(QualityCode::PadDrift), nullptr);
  EXPECT_EQ(Assess(drifting(-1.5)).Find(QualityCode::PadDrift), nullptr);
}

TEST(FlightQuality, StuckReadingInTheAirButNotOnThePadOrInShortPlateaus) {
  // Three seconds of the same word in the descent.
  MadeFlight stuck = Model(80, 5);
  for (int i = 250; i < 280; ++i) stuck.words[static_cast<std::size_t>(i)] = stuck.words[250];
  const FlightQuality q = Assess(stuck);
  const QualityFlag* f = q.Find(QualityCode::Stuck);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->samples, (std::vector<int>{250, 279}));
  EXPECT_DOUBLE_EQ(f->value, 3.0);

  // Every word repeated three times (a slow sensor), and 5 s of one word on the pad: fine.
  MadeFlight plateaus = Model(80, 5);
  for (std::size_t i = 0; i < plateaus.words.size(); ++i) plateaus.words[i] = plateaus.words[i - i % 3];
  EXPECT_EQ(Assess(plateaus).Find(QualityCode::Stuck), nullptr);
  MadeFlight quietPad = Model(80, 5);
  for (int i = 0; i < 50; ++i) quietPad.words[static_cast<std::size_t>(i)] = kGroundRaw;
  EXPECT_EQ(Assess(quietPad).Find(QualityCode::Stuck), nullptr);
}

TEST(FlightQuality, IncompleteWithoutEndMarkerOrWhenTheFileFilledInTheAir) {
  MadeFlight cut = Model(80, 5);
  cut.endMarker = false;
  const FlightQuality noMarker = Assess(cut);
  const QualityFlag* f = noMarker.Find(QualityCode::Incomplete);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->value, 1);

  // 4483 samples and the marker fill the 9000 bytes of a file: in the air, incomplete; landed,
  // not. At 50 samples a second the model lands after about 70 s.
  MadeFlight full;
  full.samplingCode = 0;  // 50 a second, mask 0x1FFF
  auto fill = [&full](double padS) {
    full.words.clear();
    const float ref = SamplePressure(2000, 8192.0f);
    for (int i = 0; i < 4483; ++i) {
      const double h = ModelAltitude(i / 50.0, padS) + ((i * 7) % 5 - 2) * 0.3;
      unsigned w = 2000;
      while (w < 8000 && SampleAltitude(w, 8192.0f, ref, 20.0f, 10000) < h) ++w;
      full.words.push_back(w);
    }
  };
  fill(40);  // still coming down at the end
  const FlightQuality air = Assess(full);
  ASSERT_NE(air.Find(QualityCode::Incomplete), nullptr);
  EXPECT_EQ(air.Find(QualityCode::Incomplete)->value, 2);
  EXPECT_NE(air.Find(QualityCode::NoLanding), nullptr);
  fill(2);
  EXPECT_EQ(Assess(full).Find(QualityCode::Incomplete), nullptr);
  EXPECT_EQ(Assess(Model(80, 5)).Find(QualityCode::Incomplete), nullptr);
}

TEST(FlightQuality, LaunchLandingAndLength) {
  // Never above 3 m.
  const FlightQuality low = Assess(Model(30, 5, [](int, double h) { return std::min(h, 2.0); }));
  EXPECT_NE(low.Find(QualityCode::NoLaunch), nullptr);
  EXPECT_EQ(low.Find(QualityCode::NoLanding), nullptr);
  // The recording stops at 40 s, at about 180 m in the descent.
  const FlightQuality up = Assess(Model(40, 5));
  EXPECT_NE(up.Find(QualityCode::NoLanding), nullptr);
  EXPECT_EQ(up.Find(QualityCode::NoLaunch), nullptr);
  EXPECT_EQ(up.Find(QualityCode::Incomplete), nullptr);  // it has its marker, the file has room

  // Launch after 60 s of a 130 s recording (46 %): fine; after 90 s of 160 s (56 %): late.
  EXPECT_EQ(Assess(Model(130, 60)).Find(QualityCode::LateLaunch), nullptr);
  const FlightQuality late = Assess(Model(160, 90));
  const QualityFlag* f = late.Find(QualityCode::LateLaunch);
  ASSERT_NE(f, nullptr);
  EXPECT_NEAR(f->value, 56.0, 1.0);
  EXPECT_TRUE(QualityFlagText(*f, 100, 1, QLatin1Char('.')).contains(QStringLiteral("56%")));

  // 31 samples are too few to filter, 32 are enough.
  MadeFlight shortFlight;
  for (int i = 0; i < 31; ++i) shortFlight.words.push_back(RawFor(i < 5 ? 0 : 10.0 * (i - 4)));
  const FlightQuality s31 = Assess(shortFlight);
  ASSERT_NE(s31.Find(QualityCode::Short), nullptr);
  EXPECT_FALSE(s31.apogee.filtered);
  EXPECT_TRUE(ApogeeExplanation(s31, 1, QLatin1Char('.')).contains(QStringLiteral("too short")));
  shortFlight.words.push_back(RawFor(280));
  const FlightQuality s32 = Assess(shortFlight);
  EXPECT_EQ(s32.Find(QualityCode::Short), nullptr);
  EXPECT_TRUE(s32.apogee.filtered);
}

TEST(FlightQuality, CodesAreStable) {
  const char* names[] = {"spike",     "pad-drift",     "stuck",           "incomplete",
                         "no-launch", "no-landing",    "late-launch",     "short",
                         "transient", "end-of-record", "apogee-disputed", "near-sonic"};
  for (int c = 0; c < 12; ++c) EXPECT_STREQ(QualityCodeName(static_cast<QualityCode>(c)), names[c]);
  EXPECT_STREQ(TransientKindName(TransientKind::Ejection), "ejection");
  EXPECT_STREQ(TransientKindName(TransientKind::Deploy), "deploy");
  EXPECT_STREQ(TransientKindName(TransientKind::Transonic), "transonic");
}
