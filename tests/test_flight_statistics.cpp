// SPDX-License-Identifier: GPL-3.0-or-later
// Flight statistics on hand-made tables. Expected values are worked out by hand from the
// definitions in flight/FlightStatistics.h (the arithmetic is in the comments).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "flight/Filters.h"
#include "flight/FlightStatistics.h"

using namespace hypsor;

namespace {

using Values = std::vector<std::int32_t>;

// Entries behind the flight hold a huge value, so reading past count shows in the results.
constexpr std::int32_t kPoison = 1'000'000'000;

std::unique_ptr<AltitudeTableArray> Table(const Values& values) {
  auto table = std::make_unique<AltitudeTableArray>();
  table->fill(kPoison);
  std::copy(values.begin(), values.end(), table->begin());
  (*table)[values.size()] = AltitudeEndMarker;
  return table;
}

FlightStatistics Stats(const Values& v, int timeLabelStep,
                       std::optional<float> panelMaximum = std::nullopt) {
  return ComputeStatistics(*Table(v), static_cast<int>(v.size()), timeLabelStep, panelMaximum);
}

Values Repeat(std::int32_t value, int times) {
  return Values(static_cast<std::size_t>(times), value);
}

void Append(Values& to, const Values& more) {
  to.insert(to.end(), more.begin(), more.end());
}

QString Field(const FlightStatistics& s, const char* key) {
  for (const StatisticField& f : StatisticFields(s, QLatin1Char('.')))
    if (QLatin1String(f.key) == QLatin1String(key)) return f.value;
  ADD_FAILURE() << "no field " << key;
  return {};
}

}  // namespace

// 10 samples/s: 10 on the ground, a parabola a = 4 j (100 - j) dm for j = 0..100 (i = 10..110,
// top 10000 dm at j = 50), 10 on the ground again.
TEST(FlightStatistics, CleanParabolaAtTenPerSecond) {
  Values v = Repeat(0, 10);
  for (int j = 0; j <= 100; ++j) v.push_back(4 * j * (100 - j));
  Append(v, Repeat(0, 10));
  const FlightStatistics s = Stats(v, 100, 1000.04f);
  ASSERT_TRUE(s.enoughSamples);
  ASSERT_TRUE(s.launched);
  EXPECT_TRUE(s.landed);
  // F = 11 (j = 1: 396 dm); L = 10, the last entry at or below 5 dm before it.
  EXPECT_EQ(s.launchIndex, 10);
  EXPECT_EQ(s.apogeeIndex, 60);
  // D: j = 99 is 396 dm, j = 100 is 0 -> i = 110.
  EXPECT_EQ(s.landingIndex, 110);
  EXPECT_EQ(Field(s, "apogee_m"), "1000.0");  // the panel's maximum, not the table's
  EXPECT_EQ(Field(s, "launch_s"), "1.00");
  EXPECT_EQ(Field(s, "time_to_apogee_s"), "5.00");
  EXPECT_EQ(Field(s, "landing_s"), "11.00");
  EXPECT_EQ(Field(s, "duration_s"), "10.00");
  // One-second windows (k = 10): a(j + 10) - a(j) = 3600 - 80 j dm, largest at the launch: 360 m/s;
  // the descent is the mirror image.
  EXPECT_EQ(Field(s, "max_climb_mps"), "360.00");
  EXPECT_EQ(Field(s, "max_sink_mps"), "360.00");
  // 1000 m in 5 s.
  EXPECT_EQ(Field(s, "mean_descent_mps"), "200.00");

  // Without a panel maximum the table's own one counts.
  EXPECT_EQ(Field(Stats(v, 100), "apogee_m"), "1000.0");
  // The maximum as the panel rounds it (half away from zero), whatever the table says.
  EXPECT_EQ(Field(Stats(v, 100, 999.95f), "apogee_m"), "1000.0");
  EXPECT_EQ(Field(Stats(v, 100, 12.34f), "apogee_m"), "12.3");
}

// 1 sample/s (k = 1): climbs, peaks and is still at 16 m when the recording ends. Without a
// landing the landing time and the descent's rates have no value: they would describe the
// recording's end.
TEST(FlightStatistics, OneSamplePerSecondFlightThatNeverLands) {
  const Values v{8, 0, 10, 50, 100, 150, 200, 200, 180, 160};
  const FlightStatistics s = Stats(v, 10);
  ASSERT_TRUE(s.launched);
  EXPECT_FALSE(s.landed);
  EXPECT_EQ(s.launchIndex, 1);   // F = 3; index 2 holds 10 dm, above the 5 dm ground band
  EXPECT_EQ(s.apogeeIndex, 6);   // the first of the two 200s
  EXPECT_EQ(s.landingIndex, 9);  // n - 1
  EXPECT_EQ(Field(s, "apogee_m"), "20.0");
  EXPECT_EQ(Field(s, "launch_s"), "1.00");
  EXPECT_EQ(Field(s, "time_to_apogee_s"), "5.00");
  EXPECT_EQ(Field(s, "landing_s"), "");
  EXPECT_EQ(Field(s, "duration_s"), "8.00");
  EXPECT_EQ(Field(s, "max_climb_mps"), "5.00");  // 50 dm in one second
  EXPECT_EQ(Field(s, "max_sink_mps"), "");
  EXPECT_EQ(Field(s, "mean_descent_mps"), "");
  EXPECT_DOUBLE_EQ(s.maxSinkMps, 2.0);  // 20 dm in one second, kept for the record's end
}

// 50 samples/s (k = 50): 100 on the ground, a climb of 2 dm per sample to 1000 dm at i = 599,
// a descent of 1 dm per sample back to 0 at i = 1599, 50 on the ground.
TEST(FlightStatistics, FiftySamplesPerSecondFlight) {
  Values v = Repeat(0, 100);
  for (int j = 1; j <= 500; ++j) v.push_back(2 * j);
  for (int m = 1; m <= 1000; ++m) v.push_back(1000 - m);
  Append(v, Repeat(0, 50));
  const FlightStatistics s = Stats(v, 500);
  ASSERT_TRUE(s.launched);
  EXPECT_TRUE(s.landed);
  EXPECT_EQ(s.apogeeIndex, 599);
  EXPECT_EQ(Field(s, "launch_s"), "2.02");          // L = 101 (4 dm); F = 114 (30 dm)
  EXPECT_EQ(Field(s, "time_to_apogee_s"), "9.96");  // 11.98 - 2.02
  EXPECT_EQ(Field(s, "landing_s"), "31.38");        // D = 1569 (30 dm)
  EXPECT_EQ(Field(s, "duration_s"), "29.36");
  EXPECT_EQ(Field(s, "max_climb_mps"), "10.00");    // 100 dm in 50 samples
  EXPECT_EQ(Field(s, "max_sink_mps"), "5.00");      // 50 dm in 50 samples
  EXPECT_EQ(Field(s, "mean_descent_mps"), "5.00");  // 97 m in 19.4 s
}

// A climb shorter than the one-second window: the straight line from launch to apogee.
TEST(FlightStatistics, PhaseShorterThanTheWindowUsesTheStraightLine) {
  Values v = Repeat(0, 6);                                   // L = 5
  for (int j = 1; j <= 10; ++j) v.push_back(100 * j);        // A = 15, 1000 dm in 0.2 s
  for (int m = 1; m <= 20; ++m) v.push_back(1000 - 50 * m);  // D = 35 (0 dm) after 0.4 s
  const FlightStatistics s = Stats(v, 500);
  EXPECT_EQ(s.launchIndex, 5);
  EXPECT_EQ(s.landingIndex, 35);
  EXPECT_EQ(Field(s, "max_climb_mps"), "500.00");
  EXPECT_EQ(Field(s, "max_sink_mps"), "250.00");
  EXPECT_EQ(Field(s, "mean_descent_mps"), "250.00");

  // Apogee on the last sample: no descent at all.
  const FlightStatistics up = Stats({0, 0, 40, 80}, 10);
  EXPECT_FALSE(up.landed);
  EXPECT_EQ(up.landingIndex, 3);
  EXPECT_EQ(Field(up, "max_sink_mps"), "");
  EXPECT_EQ(Field(up, "mean_descent_mps"), "");
  EXPECT_EQ(Field(up, "duration_s"), "2.00");
}

TEST(FlightStatistics, FlightThatNeverLeavesThreeMetres) {
  const FlightStatistics s = Stats({0, 10, 29, 20, 29, 0}, 100);
  ASSERT_TRUE(s.enoughSamples);
  EXPECT_FALSE(s.launched);
  EXPECT_EQ(s.apogeeIndex, 2);
  const std::vector<StatisticField> fields = StatisticFields(s, QLatin1Char(','));
  ASSERT_EQ(fields.size(), static_cast<std::size_t>(StatisticFieldCount));
  EXPECT_STREQ(fields[0].key, "apogee_m");
  EXPECT_EQ(fields[0].value, "2,9");
  for (std::size_t i = 1; i < fields.size(); ++i)
    EXPECT_TRUE(fields[i].value.isEmpty()) << fields[i].key;
}

TEST(FlightStatistics, LaunchIsTheLastGroundSampleBeforeThreeMetres) {
  // Ground band entries at 0 and 2; 8 and 12 are above 0.5 m but below 3 m.
  EXPECT_EQ(Stats({3, 0, 4, 8, 12, 40, 60, 0}, 10).launchIndex, 2);
  // No entry at or below 0.5 m before the climb: the launch is the first sample.
  EXPECT_EQ(Stats({10, 20, 40, 20, 10}, 10).launchIndex, 0);
  // A launch already at 3 m on the first sample.
  const FlightStatistics first = Stats({30, 60, 20}, 10);
  EXPECT_TRUE(first.launched);
  EXPECT_EQ(first.launchIndex, 0);
  EXPECT_EQ(first.landingIndex, 2);
}

TEST(FlightStatistics, TooFewEntriesGiveNoStatistics) {
  for (const Values& v : {Values{}, Values{500}}) {
    const FlightStatistics s = Stats(v, 100);
    EXPECT_FALSE(s.enoughSamples);
    EXPECT_FALSE(s.launched);
    for (const StatisticField& f : StatisticFields(s, QLatin1Char('.')))
      EXPECT_TRUE(f.value.isEmpty()) << f.key;
  }
  // A count beyond the table stops at its capacity (the end marker's entry is never a sample).
  auto table = std::make_unique<AltitudeTableArray>();
  table->fill(0);
  (*table)[100] = 400;
  (*table)[AltitudeTableSize - 1] = 900;
  const FlightStatistics s = ComputeStatistics(*table, 100000, 100, std::nullopt);
  EXPECT_EQ(s.apogeeIndex, 100);
  EXPECT_EQ(s.landingIndex, 101);
  // A label step below 1 is taken as 1.
  EXPECT_EQ(Stats({0, 40, 0}, 0).landingS, 20.0);
}

// A pressure spike the filter cuts: the unfiltered table puts the apogee on the spike; the
// filtered table and its maximum put it back on the real top.
TEST(FlightStatistics, SpikeRemovedByTheFilter) {
  Values v = Repeat(0, 50);
  for (int j = 1; j <= 300; ++j) v.push_back(3 * j);    // to 900 dm at i = 349
  for (int m = 1; m <= 900; ++m) v.push_back(900 - m);  // back to 0 at i = 1249
  Append(v, Repeat(0, 50));
  v[700] += 800;  // 549 dm + 800: a spike of 80 m in the descent
  auto table = Table(v);
  const int n = static_cast<int>(v.size());

  const FlightStatistics raw = ComputeStatistics(*table, n, 100, std::nullopt);
  EXPECT_EQ(raw.apogeeIndex, 700);
  EXPECT_EQ(Field(raw, "apogee_m"), "134.9");

  auto work = std::make_unique<FilterTables>();
  const FilterOutput out = RunFilterChain(*table, n, FilterParams{}, *work);
  ASSERT_TRUE(out.ran);
  const FlightStatistics s =
      ComputeStatistics(work->FilterResult, out.count, 100, static_cast<float>(out.maxDm * 0.1));
  EXPECT_NEAR(s.apogeeIndex, 349, 15);
  EXPECT_NEAR(s.apogeeM, 90.0, 2.0);
  EXPECT_EQ(Field(s, "apogee_m"), FormatFixed(out.maxDm / 10.0, 1, QLatin1Char('.')));
  EXPECT_TRUE(s.landed);
  EXPECT_NEAR(s.maxSinkMps, 1.0, 0.3);  // 1 dm per sample at 10/s, the spike gone
}

TEST(FlightStatistics, FixedNumbersNeverShowMinusZero) {
  EXPECT_EQ(FormatFixed(-0.004, 2, QLatin1Char('.')), "0.00");
  EXPECT_EQ(FormatFixed(-0.006, 2, QLatin1Char('.')), "-0.01");
  EXPECT_EQ(FormatFixed(2.5, 2, QLatin1Char(',')), "2,50");
  EXPECT_EQ(SampleTime(75, 150), 5.0);
}
