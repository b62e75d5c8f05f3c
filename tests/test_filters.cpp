// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "flight/Filters.h"

using namespace hypsor;

namespace {

using Values = std::vector<std::int32_t>;

// Entries past the end marker hold a huge value, so a stage that reads past n shows it in its
// output. Tables live on the heap, so reading past the array trips the address sanitizer.
constexpr std::int32_t kPoison = 1'000'000'000;

std::unique_ptr<AltitudeTableArray> Table(const Values& values) {
  auto table = std::make_unique<AltitudeTableArray>();
  table->fill(kPoison);
  std::copy(values.begin(), values.end(), table->begin());
  (*table)[values.size()] = AltitudeEndMarker;
  return table;
}

std::unique_ptr<AltitudeTableArray> Poisoned() {
  auto table = std::make_unique<AltitudeTableArray>();
  table->fill(kPoison);
  return table;
}

Values Head(const AltitudeTableArray& table, std::size_t n) {
  return Values(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(n));
}

Values Zeros(int n) {
  return Values(static_cast<std::size_t>(n), 0);
}

// Mean as the filter defines it: exact sum, division truncating toward zero.
std::int32_t Mean(const Values& v, int lo, int hi) {
  std::int64_t sum = 0;
  for (int i = lo; i <= hi; ++i) sum += v[static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(sum / (hi - lo + 1));
}

FilterParams WithPreCut(std::int32_t cm) {
  FilterParams p;
  p.PreCutCm = cm;
  return p;
}

Values RunSlopeCut(const Values& in, std::int32_t preCutCm) {
  auto src = Table(in);
  auto out = Poisoned();
  SlopeCut(*src, static_cast<int>(in.size()), WithPreCut(preCutCm), *out);
  EXPECT_EQ((*out)[in.size()], AltitudeEndMarker);
  return Head(*out, in.size());
}

Values RunReferenceCut(const Values& in, const Values& reference, std::int32_t t0) {
  auto src = Table(in);
  auto ref = Table(reference);
  auto out = Poisoned();
  ReferenceCut(*src, *ref, static_cast<int>(in.size()), t0, *out);
  EXPECT_EQ((*out)[in.size()], AltitudeEndMarker);
  return Head(*out, in.size());
}

Values RunWindowAverage(const Values& in, std::int32_t window) {
  FilterParams p;
  p.PreFilterWindow = window;
  auto src = Table(in);
  auto out = Poisoned();
  WindowAverage(*src, static_cast<int>(in.size()), p, *out);
  EXPECT_EQ((*out)[in.size()], AltitudeEndMarker);
  return Head(*out, in.size());
}

Values RunRampedAverage(const Values& in, std::int32_t window) {
  FilterParams p;
  p.FinalFilterWindow = window;
  auto src = Table(in);
  auto out = Poisoned();
  RampedAverage(*src, static_cast<int>(in.size()), p, *out);
  EXPECT_EQ((*out)[in.size()], AltitudeEndMarker);
  return Head(*out, in.size());
}

struct Chain {
  std::unique_ptr<FilterTables> tables = std::make_unique<FilterTables>();
  FilterOutput Run(const Values& flight, const FilterParams& p = {}) {
    auto table = Table(flight);
    return RunFilterChain(*table, static_cast<int>(flight.size()), p, *tables);
  }
};

Values ToValues(std::span<const std::int32_t> s) {
  return Values(s.begin(), s.end());
}

}  // namespace

TEST(SlopeCut, CutsFastMovesAndInterpolatesFromTheAnchor) {
  EXPECT_EQ(RunSlopeCut({0, 1, 100, 3, 4}, 350), (Values{0, 1, 2, 3, 4}));
  EXPECT_EQ(RunSlopeCut({0, 10, 20, 30, 500, 40, 50}, 350), (Values{0, 10, 20, 30, 35, 40, 50}));
  // The accepted sample is rebuilt from the truncated slope: 7 / 2 = 3 gives 3, 6 (not 7);
  // truncation is toward zero for descents too.
  EXPECT_EQ(RunSlopeCut({0, 500, 7, 8}, 350), (Values{0, 3, 6, 8}));
  EXPECT_EQ(RunSlopeCut({0, -500, -7, -8}, 350), (Values{0, -3, -6, -8}));
  // A change of exactly 35 dm in one sample is not below the step.
  EXPECT_EQ(RunSlopeCut({0, 35, 2, 3}, 350), (Values{0, 1, 2, 3}));
}

TEST(SlopeCut, StepsBelowOneDecimetreRestartInThreesAndAlwaysTerminate) {
  // Flat flight with a 2 dm spike at 10, a 3 dm spike at 20 and a spike near the end, where fewer
  // than 21 candidates remain so no restart happens and it keeps its value.
  Values flight = Zeros(60);
  flight[10] = 2;
  flight[20] = 3;
  flight[55] = 9;
  Values only3Removed = flight;
  only3Removed[20] = 0;
  Values bothRemoved = only3Removed;
  bothRemoved[10] = 0;

  // Step 0 accepts nothing at first; one restart makes the increment 3: 2 < 3 passes, 3 does not.
  EXPECT_EQ(RunSlopeCut(flight, 5), only3Removed);
  EXPECT_EQ(RunSlopeCut(flight, 0), only3Removed);
  EXPECT_EQ(RunSlopeCut(flight, -9), only3Removed);
  // Step -100 climbs -100, -97, ..., -1, 2: at 2 the 2 dm spike fails and its neighbour passes.
  EXPECT_EQ(RunSlopeCut(flight, -1000), bothRemoved);
  // The most negative step climbs through 0 to 3 (214748364 is a multiple of 3): same as step 0.
  EXPECT_EQ(RunSlopeCut(flight, INT_MIN), only3Removed);
  // The largest step accepts everything.
  EXPECT_EQ(RunSlopeCut(flight, INT_MAX), flight);
}

TEST(WindowAverage, ForwardLeaningMeanAndOutOfRangeWindows) {
  Values ramp;
  for (int i = 0; i < 30; ++i) ramp.push_back(10 * i);
  Values avg = RunWindowAverage(ramp, 8);  // ahead 11: window i-8 .. i+10
  EXPECT_EQ(Values(avg.begin(), avg.begin() + 8), Values(ramp.begin(), ramp.begin() + 8));
  EXPECT_EQ(avg[8], 90);    // mean of 0..180
  EXPECT_EQ(avg[19], 200);  // 110..290, fully inside
  EXPECT_EQ(avg[25], 230);  // 170..290: summing stops at the end of the flight
  EXPECT_EQ(RunWindowAverage(ramp, 20)[20], Mean(ramp, 0, 29));  // ahead 26 reaches the end

  // Window 1 (ahead 1): the mean of an entry and the one before it, truncated toward zero.
  const Values v{5, 8, -1, -2, 7, 0, -3};
  const Values pairs{5, 6, 3, -1, 2, 3, -1};
  EXPECT_EQ(RunWindowAverage(v, 1), pairs);
  // Windows of 0 or less average as little as possible: like window 1.
  EXPECT_EQ(RunWindowAverage(v, 0), pairs);
  EXPECT_EQ(RunWindowAverage(v, -5), pairs);
  EXPECT_EQ(RunWindowAverage(v, INT_MIN), pairs);
  // Windows reaching past the flight become n - 1: all copied but the last, the mean of all.
  Values wide = v;
  wide.back() = Mean(v, 0, 6);
  for (std::int32_t w : {6, 7, 100, INT_MAX}) EXPECT_EQ(RunWindowAverage(v, w), wide) << w;
}

TEST(RampedAverage, RampsFromPosition42AndCopesWithAnyWindow) {
  Values v;
  for (int i = 0; i < 100; ++i) v.push_back((i * i * 7) % 101 - 50);
  Values r = RunRampedAverage(v, 12);  // ahead2 16
  EXPECT_EQ(Values(r.begin(), r.begin() + 42), Values(v.begin(), v.begin() + 42));
  EXPECT_EQ(r[42], Mean(v, 41, 42));
  EXPECT_EQ(r[43], Mean(v, 41, 44));
  EXPECT_EQ(r[50], Mean(v, 41, 58));                        // back 9, fwd 9
  EXPECT_EQ(r[60], Mean(v, 48, 75));                        // back capped at 12, fwd at 16
  EXPECT_EQ(r[90], Mean(v, 78, 99));                        // the front stops at the end
  EXPECT_EQ(RunRampedAverage(v, 13)[80], Mean(v, 67, 96));  // w2 13: ahead2 17

  // A flight of 32 to 42 samples has no ramp: the reference is its input.
  const Values shortFlight(v.begin(), v.begin() + 40);
  EXPECT_EQ(RunRampedAverage(shortFlight, 12), shortFlight);
  const Values flight42(v.begin(), v.begin() + 42);
  EXPECT_EQ(RunRampedAverage(flight42, 12), flight42);

  // Window 0 or less behaves as 1: every ramp entry is the mean of itself and the one before.
  Values pairs(v.begin(), v.begin() + 42);
  for (int i = 42; i < 100; ++i) pairs.push_back(Mean(v, i - 1, i));
  for (std::int32_t w : {1, 0, -5, INT_MIN}) EXPECT_EQ(RunRampedAverage(v, w), pairs) << w;
  // A window past the flight never stops growing: from 41 to 2i - 42, cut at the end.
  Values unlimited(v.begin(), v.begin() + 42);
  for (int i = 42; i < 100; ++i) unlimited.push_back(Mean(v, 41, std::min(2 * i - 42, 99)));
  for (std::int32_t w : {99, 100, 5000, INT_MAX}) EXPECT_EQ(RunRampedAverage(v, w), unlimited) << w;
}

TEST(ReferenceCut, CutsAgainstTheReferenceAndWidensAfterLongRejectedRuns) {
  Values spike = Zeros(60);
  spike[3] = 90;
  EXPECT_EQ(RunReferenceCut(spike, Zeros(60), 50), Zeros(60));
  spike[3] = 50;  // inclusive bound: kept
  EXPECT_EQ(RunReferenceCut(spike, Zeros(60), 50), spike);

  // A lone spike on a climb becomes the straight line between its neighbours.
  Values climb, spiked;
  for (int i = 0; i < 80; ++i) climb.push_back(1000 + 7 * i);
  spiked = climb;
  spiked[30] += 400;
  EXPECT_EQ(RunReferenceCut(spiked, climb, 25), climb);

  // A block of 30 off-reference samples is bridged. One running to the end of the flight is not:
  // after 46 rejections the tolerance grows 1 dm per restart until the block's first sample
  // passes, then the next...
  Values shortBlock = Zeros(200), longBlock = Zeros(200);
  for (int i = 50; i < 80; ++i) shortBlock[static_cast<std::size_t>(i)] = 60;
  for (int i = 50; i < 200; ++i) longBlock[static_cast<std::size_t>(i)] = 60;
  EXPECT_EQ(RunReferenceCut(shortBlock, Zeros(200), 50), Zeros(200));
  EXPECT_EQ(RunReferenceCut(longBlock, Zeros(200), 50), longBlock);
  // ...so with 61 then 55s the tolerance stops at 55, where 51 passes before 50 does, and 50 is
  // interpolated between 0 and 55: slope10 = 275, value 27.
  Values stair = longBlock;
  for (int i = 51; i < 200; ++i) stair[static_cast<std::size_t>(i)] = 55;
  stair[50] = 61;
  Values stairCut = stair;
  stairCut[50] = 27;
  EXPECT_EQ(RunReferenceCut(stair, Zeros(200), 50), stairCut);

  // The last sample is never a candidate and trailing rejected samples keep their values.
  Values tail = Zeros(60);
  tail[57] = 300;
  tail[58] = 300;
  tail[59] = 300;
  EXPECT_EQ(RunReferenceCut(tail, Zeros(60), 50), tail);

  // A tolerance far below zero still ends: each sample waits until it reaches 0.
  EXPECT_EQ(RunReferenceCut(spike, Zeros(60), INT_MIN / 5), Zeros(60));
}

TEST(FilterChain, KeepsSmoothFlightsAndRemovesSpikes) {
  Chain chain;
  const Values flat(500, 1234);
  FilterOutput out = chain.Run(flat);
  ASSERT_TRUE(out.ran);
  EXPECT_EQ(out.count, 500);
  EXPECT_EQ(ToValues(out.filtered), flat);
  EXPECT_EQ(ToValues(out.unfiltered), flat);

  // A climb at 2 dm per sample and descent at 1 dm per sample with one spike on each leg.
  Values flight;
  for (int i = 0; i < 400; ++i) flight.push_back(i < 200 ? 2 * i : 400 - (i - 200));
  Values spiked = flight;
  spiked[100] += 900;
  spiked[300] -= 700;
  out = chain.Run(spiked);
  ASSERT_TRUE(out.ran);
  EXPECT_EQ(ToValues(out.filtered), flight);
  EXPECT_EQ(ToValues(out.unfiltered), spiked);
  EXPECT_EQ(out.maxDm, 400);
  EXPECT_EQ(out.minDm, 0);
  const Values first = ToValues(out.filtered);
  EXPECT_EQ(ToValues(chain.Run(spiked).filtered), first);  // a second press, same picture

  const QList<QPointF> points = CurvePoints(out.filtered);
  ASSERT_EQ(points.size(), 400);
  EXPECT_EQ(points[150].x(), 150.0);
  EXPECT_DOUBLE_EQ(points[150].y(), 30.0);
}

TEST(FilterChain, FirstPassToleranceDecidesWhatLaterReferencesSee) {
  // A 16-sample plateau of 400 dm: SlopeCut at 10 dm per sample removes it (400 >= 10 * d
  // within the block, the sample after it passes), so the first reference is flat. The first
  // pass then keeps it only if FinalCutCm / 5 reaches 400; once kept, the later references rise
  // with it and the narrower FinalCutCm / 10 keeps it too. Cut in the first pass, it is gone.
  Chain chain;
  Values plateau = Zeros(300);
  for (int i = 100; i < 116; ++i) plateau[static_cast<std::size_t>(i)] = 400;
  EXPECT_EQ(ToValues(chain.Run(plateau, {100, 2400, 8, 12}).filtered), plateau);
  EXPECT_EQ(ToValues(chain.Run(plateau, {100, 1995, 8, 12}).filtered), Zeros(300));
}

TEST(FilterChain, GateBoundsAndExtremes) {
  Chain chain;
  // The flight's sample count is the gate (its callers check it); the chain filters any
  // non-empty table, even one whose end marker came before the 32nd sample.
  EXPECT_TRUE(chain.Run(Values(31, 10)).ran);
  EXPECT_TRUE(chain.Run(Values(1, 10)).ran);
  EXPECT_FALSE(chain.Run({}).ran);
  EXPECT_TRUE(chain.Run(Values(32, 10)).ran);
  EXPECT_TRUE(chain.Run(Values(42, 10)).ran);

  // The flight's table is not changed; a count beyond the table is cut to 7999 samples.
  std::mt19937 rng(7);
  auto table = std::make_unique<AltitudeTableArray>();
  for (auto& v : *table) v = static_cast<std::int32_t>(rng() % 20000) - 5000;
  const AltitudeTableArray before = *table;
  FilterOutput out = RunFilterChain(*table, 1'000'000, {}, *chain.tables);
  EXPECT_EQ(*table, before);
  EXPECT_EQ(out.count, 7999);
  EXPECT_EQ(chain.tables->FilterResult[7999], AltitudeEndMarker);
  EXPECT_EQ(chain.tables->ReferenceCurve[7999], AltitudeEndMarker);
  EXPECT_FALSE(RunFilterChain(*table, -3, {}, *chain.tables).ran);

  // Extremes start at 0 and 5000 dm.
  Values high(100, 6000);
  high[40] = 5300;
  out = chain.Run(high);
  EXPECT_EQ(out.maxDm, 6000);
  EXPECT_EQ(out.minDm, 5000);
  Values low(100, -200);
  low[60] = -150;
  out = chain.Run(low);
  EXPECT_EQ(out.maxDm, 0);
  EXPECT_EQ(out.minDm, -200);
}

TEST(FilterChain, AnyParametersTerminateInsideTheFlightsRange) {
  Chain chain;
  std::mt19937 rng(11);
  // Long enough for spikes, a climb and a descent; windows reach its length and beyond.
  constexpr int n = 600;
  Values flight;
  for (int i = 0; i < n; ++i) {
    const int base = i < n / 2 ? 3 * i : 3 * (n / 2) - 2 * (i - n / 2);
    flight.push_back(base + static_cast<int>(rng() % 41) - 20 + (rng() % 97 == 0 ? 3000 : 0));
  }
  const auto [lo, hi] = std::minmax_element(flight.begin(), flight.end());
  const std::int32_t cuts[] = {INT_MIN, -1000, -1, 0, 9, 350, INT_MAX};
  const std::int32_t windows[] = {INT_MIN, -5, 0, 1, 8, n - 1, n, INT_MAX};
  for (std::int32_t cut : cuts) {
    for (std::int32_t window : windows) {
      FilterOutput out = chain.Run(flight, {cut, cut, window, window});
      ASSERT_TRUE(out.ran);
      // Samples are kept or rebuilt on lines between kept ones: never outside the flight.
      for (std::int32_t v : out.filtered) {
        ASSERT_GE(v, *lo) << cut << " " << window;
        ASSERT_LE(v, *hi) << cut << " " << window;
      }
    }
  }
}

// The cuts jump over restarts that cannot succeed. Check them against a plain step-by-step reading
// of the rules on random flights with spikes and long off-reference stretches, where restarts and
// drift both occur.
namespace {

Values LiteralSlopeCut(Values r, std::int32_t preCutCm) {
  const int n = static_cast<int>(r.size());
  const std::int64_t step = preCutCm / 10;
  std::int64_t inc = step, allowance = 0;
  int j = 0, k = 1;
  while (k < n) {
    allowance += inc;
    const std::int64_t change = std::int64_t{r[k]} - r[j];
    if ((change < 0 ? -change : change) < allowance) {
      const std::int64_t slope = change / (k - j);
      for (int m = j + 1; m <= k; ++m) r[m] = static_cast<std::int32_t>(r[m - 1] + slope);
      j = k, k = j + 1, inc = step, allowance = 0;
    } else if (k - j > 20) {
      inc += 3, allowance = 0, k = j + 1;
    } else {
      ++k;
    }
  }
  return r;
}

Values LiteralReferenceCut(Values r, const Values& ref, std::int32_t t0) {
  const int n = static_cast<int>(r.size());
  std::int64_t t = t0, drift = 0;
  int j = 0, k = 1;
  while (k + 1 < n) {
    drift += 5 * (std::int64_t{ref[k + 1]} - ref[k - 1]);
    const std::int64_t band = (drift < 0 ? -drift : drift) / 10;
    if (ref[k] - band - t <= r[k] && r[k] <= ref[k] + band + t) {
      const std::int64_t base = r[j], slope10 = 10 * (r[k] - base) / (k - j);
      for (int m = 1; m <= k - j; ++m)
        r[j + m] = static_cast<std::int32_t>(base + m * slope10 / 10);
      j = k, k = j + 1, t = t0, drift = 0;
    } else if (k - j > 45) {
      k = j + 1, t += 1;
    } else {
      ++k;
    }
  }
  return r;
}

}  // namespace

TEST(FilterStages, MatchAStepByStepReadingOfTheRules) {
  std::mt19937 rng(2024);
  auto pick = [&rng](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
  for (int round = 0; round < 80; ++round) {
    // Odd rounds: a nearly flat reference, so a whole run adds little drift (slow band changes).
    const bool flat = round % 2 == 1;
    const int n = pick(32, 260);
    Values flight, ref;
    int level = pick(-500, 500);
    for (int i = 0; i < n; ++i) {
      level += flat ? 0 : pick(-15, 15);
      flight.push_back(level + (pick(0, 30) == 0 ? pick(-400, 400) : 0));
      ref.push_back(level + (flat ? pick(-1, 1) : pick(-40, 40)));
    }
    const int blockStart = pick(0, n - 1), blockLength = pick(0, 80);
    for (int i = blockStart; i < std::min(n, blockStart + blockLength); ++i) flight[i] += 150;

    const std::int32_t preCut = pick(-200, 400), t0 = pick(-30, 60);
    SCOPED_TRACE(testing::Message()
                 << "round " << round << " n " << n << " preCut " << preCut << " t0 " << t0);
    EXPECT_EQ(RunSlopeCut(flight, preCut), LiteralSlopeCut(flight, preCut));
    EXPECT_EQ(RunReferenceCut(flight, ref, t0), LiteralReferenceCut(flight, ref, t0));
    EXPECT_EQ(RunReferenceCut(flight, flight, t0), LiteralReferenceCut(flight, flight, t0));
  }
}

// Long stretches of restarts: tolerances hundreds of decimetres below zero against references
// that rise and fall back within a run (the band shrinks, then grows again as the run restarts),
// and the most negative tolerances against steep references (the band grows by hundreds of
// millions per run, so the plain reading ends after a few restarts even there).
TEST(ReferenceCut, JumpsOverRestartsToTheRunThatAcceptsFirst) {
  std::mt19937 rng(5);
  auto pick = [&rng](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1u)); };
  for (int round = 0; round < 24; ++round) {
    const int n = pick(48, 110);
    const int height = (round % 3 == 0 ? 4 : round % 3 == 1 ? 60 : 900) * (round % 2 ? 1 : -1);
    const int offset = pick(0, 300);
    Values flight, ref;
    for (int i = 0; i < n; ++i) {
      const int phase = i % 47;  // a bump per run: up to height at 23, back down by 46
      ref.push_back(height * std::min(phase, 46 - phase) / 23 + pick(-2, 2));
      flight.push_back(ref.back() + (pick(0, 3) == 0 ? pick(-3, 3) : pick(-offset, offset)));
    }
    const std::int32_t t0 = pick(-700, 20);
    SCOPED_TRACE(testing::Message() << "bump round " << round << " n " << n << " t0 " << t0);
    EXPECT_EQ(RunReferenceCut(flight, ref, t0), LiteralReferenceCut(flight, ref, t0));
  }
  for (std::int32_t t0 : {INT_MIN, INT_MIN / 5, INT_MIN / 10, -1'000'000}) {
    for (int round = 0; round < 6; ++round) {
      const int n = pick(48, 200);
      Values flight, ref;
      std::int64_t level = INT_MIN / 2 + pick(0, 1000);
      for (int i = 0; i < n; ++i) {
        level += pick(2'000'000, 9'000'000);
        ref.push_back(static_cast<std::int32_t>(level));
        flight.push_back(static_cast<std::int32_t>(level + pick(-300'000'000, 300'000'000)));
      }
      if (round % 2) std::reverse(ref.begin(), ref.end());  // falling: the drift is negative
      SCOPED_TRACE(testing::Message() << "steep round " << round << " n " << n << " t0 " << t0);
      EXPECT_EQ(RunReferenceCut(flight, ref, t0), LiteralReferenceCut(flight, ref, t0));
    }
  }
}
