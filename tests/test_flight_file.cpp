// SPDX-License-Identifier: GPL-3.0-or-later
// Flight file: reading at most 9000 bytes, refusing a file without a header, the
// header rules and their edge values, saving atomically and the caption.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "support/TestPaths.h"
#include "support/Failures.h"

using namespace hypsor;

namespace {

struct Header {
  unsigned competitor = 5;
  unsigned serial = 0x1234;
  unsigned temperature = 20;
  std::uint8_t codeByte = 3;
  unsigned calibration = 10000;
};

std::vector<std::uint8_t> Image(const Header& h, const std::vector<unsigned>& words) {
  std::vector<std::uint8_t> b(32, 0);
  b[0] = 0xAB;  // bytes 0, 1 and 10-31 are not interpreted
  b[1] = 0xCD;
  b[2] = static_cast<std::uint8_t>(h.competitor);
  b[3] = h.serial & 0xFF;
  b[4] = (h.serial >> 8) & 0xFF;
  b[5] = h.temperature & 0xFF;
  b[6] = (h.temperature >> 8) & 0xFF;
  b[7] = h.codeByte;
  b[8] = h.calibration & 0xFF;
  b[9] = (h.calibration >> 8) & 0xFF;
  for (int k = 10; k < 32; ++k) b[k] = 0x5A;
  for (unsigned w : words) {
    b.push_back(w & 0xFF);
    b.push_back((w >> 8) & 0xFF);
  }
  return b;
}

class FlightFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QString Write(const char* name, const std::vector<std::uint8_t>& bytes) {
    const QString p = Path(name);
    QFile f(p);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return p;
  }
  Flight Load(const Header& h, int extraBytes = 0) {
    std::vector<std::uint8_t> bytes = Image(h, {8800, 8900, 0xFFFF});
    bytes.resize(bytes.size() + static_cast<std::size_t>(extraBytes), 0);
    Flight f;
    EXPECT_EQ(LoadFlightFile(Write("h.hyp", bytes), f).status, FlightFileStatus::Ok);
    return f;
  }
};

}  // namespace

TEST_F(FlightFileTest, HeaderFields) {
  const Flight f = Load({42, 0xBEEF, 25, 0x04, 10200});
  EXPECT_EQ(f.competitor, 42u);
  EXPECT_EQ(f.serial, 0xBEEFu);
  EXPECT_EQ(f.temperature, 25u);
  EXPECT_EQ(f.GroundTemperature, 25.0f);
  EXPECT_EQ(f.samplingCode, 4u);
  EXPECT_EQ(f.TimeLabelStep, 50);
  EXPECT_EQ(f.SampleMask, 0x7FFF);
  EXPECT_EQ(f.SampleFullScale, 32767.0f);
  EXPECT_EQ(f.CalibrationFactor, 10200u);
  EXPECT_EQ(f.FlightByteCount, 38);
  EXPECT_EQ(f.SampleCount, 3u);
}

TEST_F(FlightFileTest, TemperatureEdges) {
  EXPECT_EQ(Load({.temperature = 0x0019}).temperature, 25u);
  EXPECT_EQ(Load({.temperature = 80}).temperature, 80u);
  EXPECT_EQ(Load({.temperature = 81}).temperature, 20u);
  EXPECT_EQ(Load({.temperature = 81}).GroundTemperature, 20.0f);
  EXPECT_EQ(Load({.temperature = 0xFFF6}).temperature, 20u);  // -10 as a signed word: still 20
  EXPECT_EQ(Load({.temperature = 0x8000}).temperature, 20u);
  EXPECT_EQ(Load({.temperature = 0}).temperature, 0u);
}

TEST_F(FlightFileTest, CalibrationEdges) {
  EXPECT_EQ(Load({.calibration = 9699}).CalibrationFactor, 10000u);
  EXPECT_EQ(Load({.calibration = 9700}).CalibrationFactor, 9700u);
  EXPECT_EQ(Load({.calibration = 10500}).CalibrationFactor, 10500u);
  EXPECT_EQ(Load({.calibration = 10501}).CalibrationFactor, 10000u);
  EXPECT_EQ(Load({.calibration = 0}).CalibrationFactor, 10000u);
  EXPECT_EQ(Load({.calibration = 0xFFFF}).CalibrationFactor, 10000u);
}

TEST_F(FlightFileTest, SamplingCodeByte) {
  const Flight a = Load({.codeByte = 0x13});  // low nibble 3: 10 samples per second
  EXPECT_EQ(a.samplingCode, 3u);
  EXPECT_EQ(a.TimeLabelStep, 100);
  EXPECT_EQ(a.SampleMask, 0x7FFF);
  const Flight b = Load({.codeByte = 0x18});  // low nibble 8: no entry in the list
  EXPECT_EQ(b.samplingCode, 8u);
  EXPECT_EQ(b.TimeLabelStep, 1);
  EXPECT_EQ(b.SampleMask, 0x7FFF);
  EXPECT_EQ(b.SampleFullScale, 32767.0f);
  EXPECT_STREQ(SamplingForCode(b.samplingCode).text, "");
  const Flight c = Load({.codeByte = 0xF1});  // low nibble 1: the fast mask
  EXPECT_EQ(c.TimeLabelStep, 250);
  EXPECT_EQ(c.SampleMask, 0x1FFF);
  EXPECT_EQ(c.SampleFullScale, 8192.0f);
}

TEST_F(FlightFileTest, ThirtyOneBytesRefusedAndNothingChanges) {
  Flight f = Load({.competitor = 77});
  const Flight before = f;
  std::vector<std::uint8_t> shortFile = Image({.competitor = 9}, {});
  shortFile.resize(31);
  const FlightFileResult r = LoadFlightFile(Write("short.hyp", shortFile), f);
  EXPECT_EQ(r.status, FlightFileStatus::TooShort);
  EXPECT_TRUE(r.failure.Failed());
  EXPECT_EQ(f.competitor, 77u);
  EXPECT_EQ(f.FlightByteCount, before.FlightByteCount);
  EXPECT_EQ(f.SampleCount, before.SampleCount);
  EXPECT_EQ(f.bytes, before.bytes);
  // An empty file as well.
  EXPECT_EQ(LoadFlightFile(Write("empty.hyp", {}), f).status, FlightFileStatus::TooShort);
  EXPECT_EQ(f.bytes, before.bytes);
}

TEST_F(FlightFileTest, ThirtyTwoAndThirtyThreeBytesHaveNoSamples) {
  for (int size : {32, 33}) {
    std::vector<std::uint8_t> bytes = Image({.competitor = 11, .temperature = 30}, {});
    bytes.resize(static_cast<std::size_t>(size), 0x77);
    Flight f;
    ASSERT_EQ(LoadFlightFile(Write("hdr.hyp", bytes), f).status, FlightFileStatus::Ok) << size;
    EXPECT_EQ(f.FlightByteCount, size);
    EXPECT_EQ(f.SampleCount, 0u);
    EXPECT_EQ(f.competitor, 11u);
    EXPECT_EQ(f.temperature, 30u);
    const DecodedFlight d = DecodeFlight(f, f.SampleCount, DecodeOptions{true, true});
    EXPECT_EQ(d.tableCount, 0);
    EXPECT_EQ(d.AltitudeTable[0], 65535);
    EXPECT_TRUE(d.altitude.empty());
    EXPECT_TRUE(d.acceleration.empty());
  }
}

TEST_F(FlightFileTest, MissingFileCannotOpen) {
  Flight f = Load({.competitor = 77});
  const FlightFileResult r = LoadFlightFile(Path("does-not-exist.hyp"), f);
  EXPECT_EQ(r.status, FlightFileStatus::CannotOpen);
  EXPECT_TRUE(English(r.failure).contains(QStringLiteral("does-not-exist.hyp")));
  EXPECT_EQ(f.competitor, 77u);
}

TEST_F(FlightFileTest, LargerThan9000BytesReadsOnly9000) {
  // 12000 bytes: its end marker lies beyond what is read.
  std::vector<unsigned> words;
  for (int k = 0; k < (12000 - 32) / 2 - 1; ++k) words.push_back(8800 + (k % 50));
  words.push_back(0xFFFF);
  const std::vector<std::uint8_t> bytes = Image({}, words);
  ASSERT_EQ(bytes.size(), 12000u);
  Flight f;
  ASSERT_EQ(LoadFlightFile(Write("long.hyp", bytes), f).status, FlightFileStatus::Ok);
  EXPECT_EQ(f.FlightByteCount, 9000);
  EXPECT_EQ(f.SampleCount, 4484u);
  for (std::size_t k = 9000; k < f.bytes.size(); ++k) ASSERT_EQ(f.bytes[k], 0) << k;
  const DecodedFlight d = DecodeFlight(f, f.SampleCount, DecodeOptions{true, true});
  EXPECT_EQ(d.tableCount, 4484);
  EXPECT_EQ(d.AltitudeTable[4484], 65535);
  EXPECT_EQ(d.ReadPosition, 9000);
}

TEST_F(FlightFileTest, SaveThenOpenRoundTrip) {
  const std::vector<std::uint8_t> bytes =
      Image({21, 999, 17, 0x05, 10100}, {8800, 8900, 9800, 9500, 8700, 8800, 0xFFFF, 0x1234});
  const QString p = Path("saved.hyp");
  Failure error;
  ASSERT_TRUE(SaveFlightFile(p, bytes, &error)) << Said(error);
  QFile back(p);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  const QByteArray written = back.readAll();
  ASSERT_EQ(written.size(), static_cast<qsizetype>(bytes.size()));
  EXPECT_EQ(0, memcmp(written.constData(), bytes.data(), bytes.size()));

  Flight direct;
  ASSERT_TRUE(SetFlightBytes(direct, bytes));
  ApplyFlightHeader(direct);
  Flight opened;
  ASSERT_EQ(LoadFlightFile(p, opened).status, FlightFileStatus::Ok);
  EXPECT_EQ(opened.bytes, direct.bytes);
  EXPECT_EQ(opened.competitor, 21u);
  EXPECT_EQ(opened.serial, 999u);
  EXPECT_EQ(opened.temperature, 17u);
  EXPECT_EQ(opened.CalibrationFactor, 10100u);
  EXPECT_EQ(opened.TimeLabelStep, 10);
  const DecodedFlight a = DecodeFlight(direct, direct.SampleCount, DecodeOptions{true, true});
  const DecodedFlight b = DecodeFlight(opened, opened.SampleCount, DecodeOptions{true, true});
  EXPECT_EQ(a.AltitudeTable, b.AltitudeTable);
  EXPECT_EQ(a.altitude, b.altitude);
  EXPECT_EQ(a.labelSeconds, b.labelSeconds);
  EXPECT_EQ(a.acceleration, b.acceleration);
  EXPECT_EQ(a.MaxAltitude, b.MaxAltitude);
  EXPECT_EQ(a.MinAltitude, b.MinAltitude);
  EXPECT_EQ(b.tableCount, 6);
}

TEST_F(FlightFileTest, SaveOverwritesAndFailureLeavesNothingBehind) {
  const QString p = Path("over.hyp");
  Failure error;
  ASSERT_TRUE(SaveFlightFile(p, Image({}, {8800, 0xFFFF}), &error));
  const std::vector<std::uint8_t> small(40, 1);
  ASSERT_TRUE(SaveFlightFile(p, small, &error));
  EXPECT_EQ(QFile(p).size(), 40);
  // A folder that does not exist: failure, a reason naming the file.
  const QString bad = Path("no-such-folder/x.hyp");
  error = {};
  EXPECT_FALSE(SaveFlightFile(bad, small, &error));
  EXPECT_TRUE(English(error).contains(QStringLiteral("x.hyp"))) << Said(error);
  EXPECT_FALSE(QFile::exists(bad));
}

TEST_F(FlightFileTest, Caption) {
  EXPECT_EQ(FlightFileCaption(QStringLiteral("/home/a/flight.hyp")), QStringLiteral("flight.hyp"));
  EXPECT_EQ(FlightFileCaption(QStringLiteral("C:\\Loty\\lot 3.dat")), QStringLiteral("lot 3.dat"));
  EXPECT_EQ(FlightFileCaption(QStringLiteral("a/b\\c")), QStringLiteral("c"));
  EXPECT_EQ(FlightFileCaption(QStringLiteral("a\\b/c")), QStringLiteral("c"));
  EXPECT_EQ(FlightFileCaption(QStringLiteral("plain")), QStringLiteral("plain"));
  EXPECT_EQ(FlightFileCaption(QStringLiteral("dir/")), QString());
}

TEST_F(FlightFileTest, ExamplesLoad) {
  Flight f;
  ASSERT_EQ(LoadFlightFile(test::ExamplePath(QStringLiteral("sample-flight.hyp")), f).status,
            FlightFileStatus::Ok);
  EXPECT_EQ(f.samplingCode, 3u);
  EXPECT_GT(f.SampleCount, 100u);
  Flight full;
  ASSERT_EQ(LoadFlightFile(test::ExamplePath(QStringLiteral("flight-50hz-9000.hyp")), full).status,
            FlightFileStatus::Ok);
  EXPECT_EQ(full.FlightByteCount, 9000);
  EXPECT_EQ(full.SampleCount, 4484u);
  EXPECT_EQ(full.SampleMask, 0x1FFF);
  const DecodedFlight d = DecodeFlight(full, full.SampleCount, {});
  EXPECT_EQ(d.tableCount, 4483);  // the last word is the end marker
}
