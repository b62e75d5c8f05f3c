// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli stats, run through the tool's own dispatch in this process.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <vector>

#include "support/TestPaths.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"

namespace {

using hypsor::test::CliRun;
using hypsor::test::RunCliHere;

QString Example(const char* name) {
  return hypsor::test::ExamplePath(QString::fromLatin1(name));
}

// `key: value` lines as a map, in order checked separately.
QMap<QString, QString> Values(const QString& text) {
  QMap<QString, QString> m;
  for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const qsizetype colon = line.indexOf(QStringLiteral(": "));
    if (colon > 0) m.insert(line.left(colon), line.mid(colon + 2));
  }
  return m;
}

// A flight file at 10 samples per second (code 3) with the given raw words; 100 raw units are
// about 19.6 m, higher words are higher.
QString WriteFlight(const QTemporaryDir& dir, const char* name,
                    const std::vector<unsigned>& words) {
  QByteArray b(32, '\0');
  b[5] = 20;
  b[7] = 3;
  b[8] = static_cast<char>(10000 & 0xFF);
  b[9] = static_cast<char>(10000 >> 8);
  for (unsigned w : words) {
    b.append(static_cast<char>(w & 0xFF));
    b.append(static_cast<char>((w >> 8) & 0xFF));
  }
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(b);
  return path;
}

const char* const kKeys[] = {"apogee_m",     "launch_s",         "time_to_apogee_s",
                             "landing_s",    "duration_s",       "max_climb_mps",
                             "max_sink_mps", "mean_descent_mps", "landed"};

}  // namespace

TEST(CliStats, SampleFlightTextAndJsonAgree) {
  const CliRun text = RunCliHere({QStringLiteral("stats"), Example("sample-flight.hyp")});
  ASSERT_EQ(text.status, 0) << text.err.toStdString();
  const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  // The nine lines readers always had come first; what came later follows them.
  ASSERT_GE(lines.size(), 9) << text.out.toStdString();
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(lines[i].startsWith(QLatin1String(kKeys[i]) + QLatin1String(": ")))
        << lines[i].toStdString();
  const auto v = Values(text.out);
  // The apogee is the maximum `info` prints, digit for digit.
  const auto info = Values(RunCliHere({QStringLiteral("info"), Example("sample-flight.hyp")}).out);
  EXPECT_EQ(v["apogee_m"], info["max"]);
  EXPECT_EQ(v["landed"], "yes");
  // Metres with one decimal, seconds and rates with two.
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d$")).match(v["apogee_m"]).hasMatch());
  for (const char* key : {"launch_s", "landing_s", "max_climb_mps", "mean_descent_mps"})
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d$")).match(v[key]).hasMatch())
        << key;
  EXPECT_NEAR(v["duration_s"].toDouble(), v["landing_s"].toDouble() - v["launch_s"].toDouble(),
              0.011);

  const CliRun json =
      RunCliHere({QStringLiteral("stats"), QStringLiteral("--json"), Example("sample-flight.hyp")});
  ASSERT_EQ(json.status, 0) << json.err.toStdString();
  QJsonParseError error;
  const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
  for (const char* key : kKeys) EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(o[QLatin1String(kKeys[i])].isDouble()) << kKeys[i];
    EXPECT_DOUBLE_EQ(o[QLatin1String(kKeys[i])].toDouble(), v[QLatin1String(kKeys[i])].toDouble());
  }
  EXPECT_EQ(o[QStringLiteral("landed")], QJsonValue(true));
}

TEST(CliStats, FilterAndTemperatureChangeTheResult) {
  const QString spike = Example("flight-spike.hyp");
  const auto raw = Values(RunCliHere({QStringLiteral("stats"), spike}).out);
  const auto smooth =
      Values(RunCliHere({QStringLiteral("stats"), spike, QStringLiteral("--filter")}).out);
  // The spike in the descent is set aside: the sink is a parachute's few m/s, smoothed or not.
  EXPECT_LT(raw["max_sink_mps"].toDouble(), 10.0);
  EXPECT_LT(smooth["max_sink_mps"].toDouble(), 10.0);
  const auto infoSmooth =
      Values(RunCliHere({QStringLiteral("info"), spike, QStringLiteral("--filter")}).out);
  EXPECT_EQ(smooth["apogee_m"], infoSmooth["max"]);

  // A colder day makes the same pressures a lower flight.
  const auto cold = Values(RunCliHere({QStringLiteral("stats"), spike,
                                       QStringLiteral("--temperature"), QStringLiteral("-30")})
                               .out);
  EXPECT_LT(cold["apogee_m"].toDouble(), raw["apogee_m"].toDouble());

  const CliRun bad = RunCliHere(
      {QStringLiteral("stats"), spike, QStringLiteral("--precut"), QStringLiteral("10")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(RunCliHere({QStringLiteral("stats")}).status, 1);
  EXPECT_EQ(RunCliHere({QStringLiteral("stats"), QStringLiteral("/nonexistent/x.hyp")}).status, 2);
}

TEST(CliStats, NoLaunchAndTooShort) {
  QTemporaryDir dir;
  // Never above a metre: only the apogee.
  const QString low = WriteFlight(dir, "low.hyp", {8800, 8801, 8803, 8802, 8800, 8800});
  const CliRun text = RunCliHere({QStringLiteral("stats"), low});
  ASSERT_EQ(text.status, 0) << text.err.toStdString();
  const auto v = Values(text.out);
  EXPECT_NE(v["apogee_m"], "-");
  for (int i = 1; i < 9; ++i) EXPECT_EQ(v[QLatin1String(kKeys[i])], "-") << kKeys[i];
  const QJsonObject o =
      QJsonDocument::fromJson(
          RunCliHere({QStringLiteral("stats"), low, QStringLiteral("--json")}).out.toUtf8())
          .object();
  EXPECT_TRUE(o[QStringLiteral("apogee_m")].isDouble());
  for (int i = 1; i < 9; ++i) EXPECT_TRUE(o[QLatin1String(kKeys[i])].isNull()) << kKeys[i];

  // One sample: no statistics, and a sentence that says so.
  const QString one = WriteFlight(dir, "one.hyp", {8800});
  const CliRun shortRun = RunCliHere({QStringLiteral("stats"), one});
  ASSERT_EQ(shortRun.status, 0);
  EXPECT_EQ(Values(shortRun.out)["apogee_m"], "-");
  EXPECT_TRUE(shortRun.out.contains(QStringLiteral("fewer than 2 samples")));
}

namespace {

QJsonObject StatsJson(const QStringList& args) {
  const CliRun run =
      RunCliHere(QStringList{QStringLiteral("stats"), QStringLiteral("--json")} + args);
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  QJsonParseError error;
  const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
  EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
  return o;
}

}  // namespace

TEST(CliStats, SpikeAndBothApogeesAfterTheOldLines) {
  const QString spike = Example("flight-spike.hyp");
  const CliRun text = RunCliHere({QStringLiteral("stats"), spike});
  ASSERT_EQ(text.status, 0);
  const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(lines[i].startsWith(QLatin1String(kKeys[i]) + QLatin1String(": "))) << i;
  const auto v = Values(text.out);
  // 5 samples a second: the spike at 24 s (sample 120) and its smaller twin 7 samples later.
  EXPECT_EQ(v["flags"], "spike");
  EXPECT_TRUE(v["flag spike"].contains(QStringLiteral("24.00, 25.40 s"))) << text.out.toStdString();
  EXPECT_TRUE(v["flag spike"].startsWith(QStringLiteral("the samples at"))) << "named once, by the key";
  EXPECT_EQ(v["raw_apogee_m"], v["apogee_m"]);
  EXPECT_FALSE(v["filtered_apogee_m"].isEmpty());
  EXPECT_NE(v["filtered_apogee_m"], "-");
  EXPECT_NEAR(v["apogee_difference_m"].toDouble(),
              v["raw_apogee_m"].toDouble() - v["filtered_apogee_m"].toDouble(), 0.11);
  EXPECT_DOUBLE_EQ(v["raw_apogee_s"].toDouble(), v["raw_apogee_sample"].toInt() / 5.0);
  EXPECT_TRUE(v["apogee_explained"].contains(QStringLiteral("the data support it")));

  const QJsonObject o = StatsJson({spike});
  const QJsonArray flags = o[QStringLiteral("flags")].toArray();
  ASSERT_EQ(flags.size(), 1);
  const QJsonObject f = flags[0].toObject();
  EXPECT_EQ(f[QStringLiteral("code")], QStringLiteral("spike"));
  EXPECT_EQ(f[QStringLiteral("samples")].toArray(), QJsonArray({120, 127}));
  EXPECT_EQ(f[QStringLiteral("times_s")].toArray(), QJsonArray({24.0, 25.4}));
  EXPECT_GT(f[QStringLiteral("value")].toDouble(), 30.0);
  EXPECT_EQ(f[QStringLiteral("apogee_replaced")], QJsonValue(false));
  EXPECT_DOUBLE_EQ(o[QStringLiteral("raw_apogee_m")].toDouble(), v["raw_apogee_m"].toDouble());
  EXPECT_EQ(o[QStringLiteral("filtered_apogee_sample")].toInt(),
            v["filtered_apogee_sample"].toInt());

  // The clean examples have no flags; a slow flight's climb is no spike.
  for (const char* name : {"sample-flight.hyp", "flight-1hz.hyp", "flight-50hz-9000.hyp"}) {
    EXPECT_EQ(Values(RunCliHere({QStringLiteral("stats"), Example(name)}).out)["flags"], "-")
        << name;
    EXPECT_TRUE(StatsJson({Example(name)})[QStringLiteral("flags")].toArray().isEmpty()) << name;
  }
  // The flags read the data: a filter whose first cut lets everything through still has the
  // spike flagged.
  const QJsonObject loose = StatsJson(
      {spike, QStringLiteral("--filter"), QStringLiteral("--precut"), QStringLiteral("100000")});
  ASSERT_EQ(loose[QStringLiteral("flags")].toArray().size(), 1);
  EXPECT_EQ(loose[QStringLiteral("flags")].toArray()[0].toObject()[QStringLiteral("code")],
            QStringLiteral("spike"));
}

TEST(CliStats, FlagsOfALowFlightAndOfOneSample) {
  QTemporaryDir dir;
  const QString low = WriteFlight(dir, "low.hyp", {8800, 8801, 8803, 8802, 8800, 8800});
  const auto v = Values(RunCliHere({QStringLiteral("stats"), low}).out);
  // Written without an end marker, too.
  EXPECT_EQ(v["flags"], "incomplete no-launch short");
  EXPECT_EQ(v["filtered_apogee_m"], "-");
  EXPECT_TRUE(v["apogee_explained"].contains(QStringLiteral("too short")));
  const QJsonObject o = StatsJson({low});
  EXPECT_TRUE(o[QStringLiteral("filtered_apogee_m")].isNull());
  EXPECT_EQ(o[QStringLiteral("flags")].toArray().size(), 3);
  const QString one = WriteFlight(dir, "one.hyp", {8800});
  const auto single = Values(RunCliHere({QStringLiteral("stats"), one}).out);
  EXPECT_EQ(single["raw_apogee_m"], "-");
  EXPECT_EQ(single["flags"], "incomplete short");
}
