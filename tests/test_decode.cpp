// SPDX-License-Identifier: GPL-3.0-or-later
// Sample decoding: the worked examples, labels, end markers, extremes, truncation,
// temperature scaling, the acceleration curve and the table's capacity. The expected figures are
// restated from the worked examples, not computed with the code under test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "flight/Decode.h"
#include "flight/FlightData.h"

using namespace hypsor;

namespace {

struct HeaderValues {
  unsigned temperature = 20;
  unsigned calibration = 10000;
  std::uint8_t code = 3;  // 10 samples per second, mask 0x7FFF
};

// Flight bytes: a 32-byte header and the given raw words, little-endian.
std::vector<std::uint8_t> FlightImage(const std::vector<unsigned>& words, HeaderValues hv = {}) {
  std::vector<std::uint8_t> b(32, 0);
  b[5] = hv.temperature & 0xFF;
  b[6] = (hv.temperature >> 8) & 0xFF;
  b[7] = hv.code;
  b[8] = hv.calibration & 0xFF;
  b[9] = (hv.calibration >> 8) & 0xFF;
  for (unsigned w : words) {
    b.push_back(w & 0xFF);
    b.push_back((w >> 8) & 0xFF);
  }
  return b;
}

Flight MakeFlight(const std::vector<unsigned>& words, HeaderValues hv = {}) {
  Flight f;
  const auto image = FlightImage(words, hv);
  EXPECT_TRUE(SetFlightBytes(f, image));
  ApplyFlightHeader(f);
  return f;
}

DecodedFlight Decode(const Flight& f, bool acceleration = false, bool labels = true) {
  return DecodeFlight(f, f.SampleCount, DecodeOptions{labels, acceleration});
}

}  // namespace

TEST(Decode, ReferencePressureOfWorkedExample) {
  const Flight f = MakeFlight({8800, 0xFFFF});
  const DecodedFlight d = Decode(f);
  EXPECT_NEAR(d.ReferencePressure, 1012.957, 0.0005);
  EXPECT_NEAR(SamplePressure(8900, 32767.0f), 1010.642, 0.0005);
  EXPECT_NEAR(SamplePressure(9800, 32767.0f), 989.808, 0.0005);
}

TEST(Decode, WorkedExampleTableEntries) {
  const Flight f = MakeFlight({8800, 8900, 9800, 8700, 0xFFFF});
  const DecodedFlight d = Decode(f);
  ASSERT_EQ(d.tableCount, 4);
  EXPECT_EQ(d.AltitudeTable[0], 0);
  EXPECT_EQ(d.AltitudeTable[1], 196);
  EXPECT_EQ(d.AltitudeTable[2], 1983);
  EXPECT_EQ(d.AltitudeTable[3], -195);
  EXPECT_EQ(d.AltitudeTable[4], 65535);
  EXPECT_NEAR(d.altitude[1], 19.633, 0.0005);
  EXPECT_NEAR(d.altitude[2], 198.379, 0.0005);
  EXPECT_NEAR(d.altitude[3], -19.588, 0.0005);
}

TEST(Decode, WorkedExampleWithCalibration10500) {
  const Flight f = MakeFlight({8800, 8900, 9800, 8700, 0xFFFF}, {20, 10500, 3});
  ASSERT_EQ(f.CalibrationFactor, 10500u);
  const DecodedFlight d = Decode(f);
  ASSERT_EQ(d.tableCount, 4);
  EXPECT_EQ(d.AltitudeTable[1], 206);
  EXPECT_EQ(d.AltitudeTable[2], 2082);
  EXPECT_EQ(d.AltitudeTable[3], -205);
}

TEST(Decode, ConversionIsBitExactForEverySampleOfTheWorkedExample) {
  // The decimetres of a whole ramp of raw values, against SampleAltitude (which the window and
  // the comparison share) and a few hand-checked points.
  std::vector<unsigned> words;
  for (unsigned s = 8800; s < 8800 + 3000; s += 3) words.push_back(s);
  words.push_back(0xFFFF);
  const Flight f = MakeFlight(words);
  const DecodedFlight d = Decode(f);
  ASSERT_EQ(d.tableCount, static_cast<int>(words.size()) - 1);
  for (int i = 0; i < d.tableCount; ++i) {
    const float h = SampleAltitude(words[i], 32767.0f, d.ReferencePressure, 20.0f, 10000);
    EXPECT_EQ(d.altitude[i], h);
    EXPECT_EQ(d.AltitudeTable[i], static_cast<std::int32_t>(std::trunc(h * 10.0L)));
  }
}

TEST(Decode, FirstSampleIsZeroAndMaximumSetsAxis) {
  const Flight f = MakeFlight({8800, 9800, 8800, 0xFFFF});
  const DecodedFlight d = Decode(f);
  EXPECT_EQ(d.AltitudeTable[0], 0);
  ASSERT_TRUE(d.MaxAltitude.has_value());
  EXPECT_NEAR(*d.MaxAltitude, 198.379, 0.0005);
  EXPECT_EQ(d.axisMaximum, 218);  // trunc(198.379 * 1.1) = trunc(218.217)
  ASSERT_TRUE(d.MinAltitude.has_value());
  EXPECT_EQ(*d.MinAltitude, 0.0f);  // the return to the start, after passing 10 m
}

TEST(Decode, FirstWordEndMarkerGivesNothing) {
  const Flight f = MakeFlight({0xFFFF, 8800, 8900});
  const DecodedFlight d = Decode(f, true);
  EXPECT_EQ(d.tableCount, 0);
  EXPECT_EQ(d.AltitudeTable[0], 65535);
  EXPECT_TRUE(d.altitude.empty());
  EXPECT_TRUE(d.acceleration.empty());
  EXPECT_FALSE(d.MaxAltitude.has_value());
  EXPECT_FALSE(d.MinAltitude.has_value());
  EXPECT_EQ(d.axisMaximum, 1);
  EXPECT_EQ(d.ReadPosition, 34);
}

TEST(Decode, LabelsAtStep500) {
  std::vector<unsigned> words(120, 8800);
  words.push_back(0xFFFF);
  const Flight f = MakeFlight(words, {20, 10000, 0});  // 50 samples per second
  ASSERT_EQ(f.TimeLabelStep, 500);
  const DecodedFlight d = Decode(f);
  ASSERT_EQ(d.labelSeconds.size(), 120u);
  for (int k = 0; k < 120; ++k) {
    const int expected = k == 0 ? 0 : k == 50 ? 1 : k == 100 ? 2 : -1;
    EXPECT_EQ(d.labelSeconds[k], expected) << "sample " << k;
  }
}

TEST(Decode, LabelsAtStep5) {
  std::vector<unsigned> words(6, 8800);
  words.push_back(0xFFFF);
  const Flight f = MakeFlight(words, {20, 10000, 6});  // one sample every 2 s
  ASSERT_EQ(f.TimeLabelStep, 5);
  const DecodedFlight d = Decode(f);
  EXPECT_EQ(d.labelSeconds, (std::vector<int>{0, 2, 4, 6, 8, 10}));
}

TEST(Decode, ComparisonHasNoLabels) {
  const Flight f = MakeFlight({8800, 8900, 0xFFFF});
  const DecodedFlight d = Decode(f, false, false);
  EXPECT_EQ(d.labelSeconds, (std::vector<int>{-1, -1}));
}

TEST(Decode, EndMarkerUnderMask1FFF) {
  // Code 0: mask 0x1FFF, full scale 8192. 0x3FFF masks to 0x1FFF and ends the flight.
  const Flight f = MakeFlight({2200, 2210, 0x3FFF, 2220, 2230}, {20, 10000, 0});
  ASSERT_EQ(f.SampleMask, 0x1FFF);
  const DecodedFlight d = Decode(f);
  EXPECT_EQ(d.tableCount, 2);
  EXPECT_EQ(d.AltitudeTable[2], 65535);
  EXPECT_EQ(d.ReadPosition, 32 + 6);
  // Bits above the mask are ignored: 0x2000 | 2210 is the same sample as 2210.
  const Flight g = MakeFlight({2200, 0x2000 | 2210, 0xFFFF}, {20, 10000, 0});
  EXPECT_EQ(Decode(g).AltitudeTable[1], d.AltitudeTable[1]);
}

TEST(Decode, WithoutEndMarkerStopsAfterCount) {
  const Flight f = MakeFlight({8800, 8900, 9000});
  EXPECT_EQ(f.SampleCount, 3u);
  const DecodedFlight d = Decode(f);
  EXPECT_EQ(d.tableCount, 3);
  EXPECT_EQ(d.AltitudeTable[3], 65535);
  // A smaller count stops earlier; a larger one never reads past the flight's bytes.
  EXPECT_EQ(DecodeFlight(f, 2, {}).tableCount, 2);
  EXPECT_EQ(DecodeFlight(f, 100000, {}).tableCount, 3);
}

TEST(Decode, NeverAboveTenMetresSetsNoMinimum) {
  // 8840 is about 7.9 m above 8800: a maximum, but the minimum is never tracked.
  const Flight f = MakeFlight({8800, 8840, 8780, 8760, 0xFFFF});
  const DecodedFlight d = Decode(f);
  ASSERT_TRUE(d.MaxAltitude.has_value());
  EXPECT_LT(*d.MaxAltitude, 10.0f);
  EXPECT_FALSE(d.MinAltitude.has_value());
}

TEST(Decode, NeverAboveStartSetsNoMaximum) {
  const Flight f = MakeFlight({8800, 8800, 8750, 0xFFFF});
  const DecodedFlight d = Decode(f);
  EXPECT_FALSE(d.MaxAltitude.has_value());
  EXPECT_FALSE(d.MinAltitude.has_value());
  EXPECT_EQ(d.axisMaximum, 1);
}

TEST(Decode, MinimumTrackedOnlyAfterTenMetres) {
  // Below the start first (not tracked), then above 10 m, then down to -19.588 m (tracked).
  const Flight f = MakeFlight({8800, 8750, 8900, 8700, 8800, 0xFFFF});
  const DecodedFlight d = Decode(f);
  ASSERT_TRUE(d.MinAltitude.has_value());
  EXPECT_NEAR(*d.MinAltitude, -19.588, 0.0005);
}

TEST(Decode, TruncatesTowardZero) {
  // Find the raw sample just below the start whose altitude lies in (-1, 0) metres, e.g. -0.37:
  // its entry is trunc(-3.7) = -3, not floor = -4.
  const float ref = SamplePressure(8800, 32767.0f);
  // (A larger raw value is a lower pressure, so the samples below the start are the smaller ones.)
  for (unsigned s = 8796; s < 8800; ++s) {
    const float h = SampleAltitude(s, 32767.0f, ref, 20.0f, 10000);
    ASSERT_LT(h, 0.0f);
    const Flight f = MakeFlight({8800, s, 0xFFFF});
    const DecodedFlight d = Decode(f);
    EXPECT_EQ(d.AltitudeTable[1], -static_cast<std::int32_t>(std::floor(-h * 10.0L))) << h;
    EXPECT_GT(d.AltitudeTable[1], static_cast<std::int32_t>(std::floor(h * 10.0L))) << h;
  }
  // 8798 is about -0.39 m: entry -3.
  const Flight f = MakeFlight({8800, 8798, 0xFFFF});
  const DecodedFlight d = Decode(f);
  EXPECT_GT(d.altitude[1], -0.4f);
  EXPECT_LT(d.altitude[1], -0.3f);
  EXPECT_EQ(d.AltitudeTable[1], -3);
}

TEST(Decode, TemperatureScalesByKelvinRatio) {
  const std::vector<unsigned> words{8800, 8900, 9800, 8700, 9400, 0xFFFF};
  Flight warm = MakeFlight(words, {20, 10000, 3});
  Flight cold = warm;
  cold.GroundTemperature = 0.0f;
  Flight hot = warm;
  hot.GroundTemperature = -12.0f;
  const DecodedFlight dw = Decode(warm);
  const DecodedFlight dc = Decode(cold);
  const DecodedFlight dh = Decode(hot);
  ASSERT_EQ(dw.altitude.size(), dc.altitude.size());
  for (std::size_t k = 0; k < dw.altitude.size(); ++k) {
    EXPECT_NEAR(dc.altitude[k], dw.altitude[k] * 273.16 / 293.16, 1e-4);
    EXPECT_NEAR(dh.altitude[k], dw.altitude[k] * 261.16 / 293.16, 1e-4);
  }
  EXPECT_EQ(dc.altitude[0], 0.0f);
  // The header's temperature is untouched by an entry.
  EXPECT_EQ(cold.temperature, 20u);
}

TEST(Decode, CalibrationScalesByFivePercent) {
  const std::vector<unsigned> words{8800, 9800, 0xFFFF};
  const DecodedFlight a = Decode(MakeFlight(words, {20, 10000, 3}));
  const DecodedFlight b = Decode(MakeFlight(words, {20, 10500, 3}));
  EXPECT_NEAR(b.altitude[1], a.altitude[1] * 1.05, 1e-4);
}

TEST(Decode, AccelerationWorkedExample) {
  const Flight f = MakeFlight({8800, 8900, 8900, 8900, 9000, 9100, 0xFFFF});
  const DecodedFlight d = Decode(f, true);
  const std::vector<double> altitudes{0, 19.633, 19.633, 19.633, 39.310, 59.033};
  const std::vector<double> rates{0, 19.633, 15.275, 10.917, 6.559, 19.723};
  ASSERT_EQ(d.acceleration.size(), rates.size());
  for (std::size_t k = 0; k < rates.size(); ++k) {
    EXPECT_NEAR(d.altitude[k], altitudes[k], 0.0006) << k;
    EXPECT_NEAR(d.acceleration[k], rates[k], 0.0006) << k;
  }
}

TEST(Decode, AccelerationOffLeavesCurveEmpty) {
  const Flight f = MakeFlight({8800, 8900, 0xFFFF});
  EXPECT_TRUE(Decode(f, false).acceleration.empty());
}

TEST(Decode, AccelerationPlateauAtTheEndStaysInsideTheBytes) {
  // A plateau that runs into the end marker and the end of the flight: the look-ahead treats the
  // marker as the plateau value and stops at the flight's last word; nothing is read beyond it.
  const Flight f = MakeFlight({8800, 8900, 8900, 8900, 0xFFFF});
  const DecodedFlight d = Decode(f, true);
  ASSERT_EQ(d.acceleration.size(), 4u);
  // Standing still to the end: no ramp from the last change down over the rest of the record.
  EXPECT_NEAR(d.acceleration[1], 19.633, 0.0006);
  EXPECT_EQ(d.acceleration[2], 0.0f);
  EXPECT_EQ(d.acceleration[3], 0.0f);
  // A flight that fills the whole buffer with one value: still bounded, still finite.
  std::vector<std::uint8_t> image(RxBufferSize, 0);
  for (int k = 32; k < RxBufferSize; k += 2) {
    image[k] = 8800 & 0xFF;
    image[k + 1] = 8800 >> 8;
  }
  image[7] = 3;
  image[8] = 10000 & 0xFF;
  image[9] = 10000 >> 8;
  Flight big;
  ASSERT_TRUE(SetFlightBytes(big, image));
  ApplyFlightHeader(big);
  const DecodedFlight db = Decode(big, true);
  EXPECT_EQ(db.tableCount, AltitudeTableSize - 1);
}

TEST(Decode, LongFlightStopsAtTableCapacity) {
  // 9000 valid samples, more than the 7999 altitudes the table holds.
  std::vector<unsigned> words;
  for (int k = 0; k < 9000; ++k) words.push_back(8800 + (k % 200));
  words.push_back(0xFFFF);
  const Flight f = MakeFlight(words);
  ASSERT_EQ(f.SampleCount, 9001u);
  const DecodedFlight d = Decode(f, true);
  EXPECT_EQ(d.tableCount, 7999);
  EXPECT_EQ(d.AltitudeTable[7999], 65535);
  EXPECT_EQ(d.altitude.size(), 7999u);
  EXPECT_EQ(d.labelSeconds.size(), 7999u);
  EXPECT_EQ(d.acceleration.size(), 7999u);
  EXPECT_EQ(d.ReadPosition, 32 + 2 * 7999);
}

TEST(Decode, SetFlightBytesCopiesAtMostTheBuffer) {
  std::vector<std::uint8_t> image(RxBufferSize + 500, 0x11);
  Flight f;
  ASSERT_TRUE(SetFlightBytes(f, image));
  EXPECT_EQ(f.FlightByteCount, RxBufferSize);
  EXPECT_EQ(f.SampleCount, static_cast<std::uint32_t>((RxBufferSize - 32) / 2));
  Flight g;
  g.FlightByteCount = 77;
  EXPECT_FALSE(SetFlightBytes(g, std::span<const std::uint8_t>(image.data(), 31)));
  EXPECT_EQ(g.FlightByteCount, 77);
}

TEST(Decode, SamplingTable) {
  EXPECT_EQ(SamplingForCode(0).TimeLabelStep, 500);
  EXPECT_EQ(SamplingForCode(0).SampleMask, 0x1FFF);
  EXPECT_EQ(SamplingForCode(1).TimeLabelStep, 250);
  EXPECT_EQ(SamplingForCode(1).SampleFullScale, 8192.0f);
  EXPECT_EQ(SamplingForCode(2).TimeLabelStep, 150);
  EXPECT_EQ(SamplingForCode(2).SampleMask, 0x7FFF);
  EXPECT_EQ(SamplingForCode(4).TimeLabelStep, 50);
  EXPECT_STREQ(SamplingForCode(4).text, "  5 pom/sek");
  EXPECT_EQ(SamplingForCode(5).TimeLabelStep, 10);
  EXPECT_EQ(SamplingForCode(6).TimeLabelStep, 5);
  EXPECT_STREQ(SamplingForCode(6).text, "  2 sek/pom");
  EXPECT_EQ(SamplingForCode(7).TimeLabelStep, 2);
  for (unsigned code = 8; code < 16; ++code) {
    EXPECT_EQ(SamplingForCode(code).TimeLabelStep, 1);
    EXPECT_EQ(SamplingForCode(code).SampleMask, 0x7FFF);
    EXPECT_EQ(SamplingForCode(code).SampleFullScale, 32767.0f);
    EXPECT_STREQ(SamplingForCode(code).text, "");
  }
  EXPECT_EQ(SamplingForCode(0x13).TimeLabelStep, 100);
}

TEST(Decode, FormatAltitude) {
  EXPECT_EQ(FormatAltitude(198.37885f, QLatin1Char('.')), QStringLiteral("198.4"));
  EXPECT_EQ(FormatAltitude(-19.588f, QLatin1Char(',')), QStringLiteral("-19,6"));
  EXPECT_EQ(FormatAltitude(0.0f, QLatin1Char('.')), QStringLiteral("0.0"));
  EXPECT_EQ(FormatAltitude(-0.04f, QLatin1Char('.')), QStringLiteral("0.0"));
  EXPECT_EQ(FormatAltitude(0.25f, QLatin1Char('.')), QStringLiteral("0.3"));
  EXPECT_EQ(FormatAltitude(50.0f, QLatin1Char('.')), QStringLiteral("50.0"));
  EXPECT_EQ(FormatAltitude(1234.96f, QLatin1Char('.')), QStringLiteral("1235.0"));
}
