// SPDX-License-Identifier: GPL-3.0-or-later
// The flight workspace without any window: the user's actions on flights and what they leave
// for the chart and the panels to show.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <optional>

#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "session/FlightWorkspace.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestFlights.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MakeFlight;
using hypsor::test::ReadFile;
using hypsor::test::WriteFile;

namespace {

Flight Load(const QString& path) {
  Flight f;
  EXPECT_EQ(LoadFlightFile(path, f).status, FlightFileStatus::Ok) << path.toStdString();
  return f;
}

QString Metres(float m) {
  return FormatAltitude(m, QLocale().decimalPoint().at(0));
}

struct Workspace : ::testing::Test {
  QTemporaryDir dir;
  FlightWorkspace ws;
  QString Write(const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(WriteFile(path, bytes));
    return path;
  }
  void Open(const QString& path) {
    Failure error;
    ASSERT_TRUE(ws.OpenMainFlight(path, &error)) << Said(error);
  }
  void Compare(const QString& path) {
    Failure error;
    ASSERT_TRUE(ws.OpenComparison(path, &error)) << Said(error);
  }
  const std::vector<float>& Curve(hypsor::Curve c) const { return ws.Chart()[c]; }
};

}  // namespace

TEST_F(Workspace, OpeningAFlightFillsThePanelAndCurvesAndRefusalsChangeNothing) {
  const QString path = ExamplePath("sample-flight.hyp");
  Open(path);
  const Flight expected = Load(path);
  const DecodedFlight d = DecodeFlight(expected, expected.SampleCount, {true, true});
  EXPECT_EQ(Curve(Curve::Altitude), d.altitude);
  EXPECT_EQ(Curve(Curve::Acceleration), d.acceleration);  // the default settings show it
  EXPECT_EQ(ws.Chart().labelSeconds, d.labelSeconds);
  EXPECT_EQ(ws.Chart().leftAxis.maximum, d.axisMaximum);
  const PanelTexts& p = ws.Panel(FlightSlot::Main);
  EXPECT_EQ(p.caption, "sample-flight.hyp");
  EXPECT_EQ(p.competitor, QString::number(expected.competitor));
  EXPECT_EQ(p.serial, QString::number(expected.serial));
  EXPECT_EQ(p.temperature, QString::number(expected.temperature));
  EXPECT_EQ(p.sampling, "10 pom/sek");
  EXPECT_TRUE(p.temperatureEditable);
  EXPECT_EQ(p.maximum, Metres(*d.MaxAltitude));
  const WorkspaceChanges c = ws.TakeChanges();
  EXPECT_TRUE(c.resetZoom && c.mainPanel && c.labels && c.leftAxis);
  EXPECT_FALSE(ws.TakeChanges().Any()) << "changes are reported once";

  // A file shorter than its header, and a missing one: a text to show, nothing changed.
  Failure error;
  EXPECT_FALSE(ws.OpenMainFlight(Write("short.hyp", QByteArray(31, '\x01')), &error));
  EXPECT_TRUE(English(error).contains("32")) << Said(error);
  ws.SetLanguage(1);
  ws.TakeChanges();
  EXPECT_FALSE(ws.OpenComparison(dir.filePath("missing.hyp"), &error));
  EXPECT_TRUE(English(error).contains("missing.hyp"));
  EXPECT_EQ(Curve(Curve::Altitude), d.altitude);
  EXPECT_TRUE(Curve(Curve::Comparison).empty());
  EXPECT_FALSE(ws.TakeChanges().Any());
  // The language switch leaves the panel naming its file.
  EXPECT_EQ(ws.Panel(FlightSlot::Main).caption, "sample-flight.hyp");

  // A flight that never sets its extremes (a bare header) blanks them, in both panels.
  Compare(path);
  Open(Write("header.hyp", MakeFlight({}).left(32)));
  Compare(Write("flat.hyp", MakeFlight({8800, 8800, 8800})));
  EXPECT_TRUE(ws.Panel(FlightSlot::Main).maximum.isEmpty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Main).minimum.isEmpty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Comparison).maximum.isEmpty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Comparison).minimum.isEmpty());
}

TEST_F(Workspace, TheComparisonOnlyRaisesTheAxisAndLeavesTheMainFlightAlone) {
  // A low main flight, then a higher comparison: the axis rises to the comparison's.
  Open(ExamplePath("flight-1hz.hyp"));
  const double mainAxis = ws.Chart().leftAxis.maximum;
  const std::vector<float> main = Curve(Curve::Altitude);
  Compare(ExamplePath("sample-flight.hyp"));
  const Flight cmp = Load(ExamplePath("sample-flight.hyp"));
  const DecodedFlight dc = DecodeFlight(cmp, cmp.SampleCount, {false, false});
  EXPECT_EQ(Curve(Curve::Comparison), dc.altitude);
  EXPECT_EQ(ws.Chart().leftAxis.maximum, std::max<double>(mainAxis, dc.axisMaximum));
  EXPECT_EQ(ws.Panel(FlightSlot::Comparison).caption, "sample-flight.hyp");
  EXPECT_EQ(ws.Panel(FlightSlot::Comparison).maximum, Metres(*dc.MaxAltitude));

  // The main flight's temperature and the acceleration switch use the main flight's own bytes,
  // and the axis keeps room for the higher comparison.
  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Main, ws.Panel(FlightSlot::Main).temperature));
  EXPECT_EQ(Curve(Curve::Altitude), main);
  EXPECT_EQ(ws.Chart().leftAxis.maximum, std::max<double>(mainAxis, dc.axisMaximum));
  ws.ToggleAcceleration();
  ws.ToggleAcceleration();
  EXPECT_EQ(Curve(Curve::Altitude), main);

  // Switched off: curve and panel go; on again: the switch only, no curve.
  ws.ToggleComparison();
  EXPECT_FALSE(ws.ComparisonEnabled());
  EXPECT_TRUE(Curve(Curve::Comparison).empty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Comparison).maximum.isEmpty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Comparison).caption.isEmpty());
  ws.ToggleComparison();
  EXPECT_TRUE(ws.ComparisonEnabled());
  EXPECT_TRUE(Curve(Curve::Comparison).empty());
}

TEST_F(Workspace, TemperatureRecomputesByTheKelvinRatioForItsOwnFlightOnly) {
  // Before any flight a temperature is kept but nothing is drawn.
  EXPECT_TRUE(ws.EnterTemperature(FlightSlot::Main, "5"));
  EXPECT_TRUE(Curve(Curve::Altitude).empty());

  Open(Write("t.hyp", MakeFlight({8800, 8900, 9800, 8700, 9000}, 3, 20)));
  Compare(Write("c.hyp", MakeFlight({8800, 8600, 8400}, 3, 20)));
  const std::vector<float> at20 = Curve(Curve::Altitude);
  const std::vector<float> comparison = Curve(Curve::Comparison);
  ASSERT_EQ(at20.size(), 5u);

  EXPECT_FALSE(ws.EnterTemperature(FlightSlot::Main, "---"));
  EXPECT_FALSE(ws.EnterTemperature(FlightSlot::Main, ""));
  // The first program's mark for "not a number", refused as such whoever types it.
  EXPECT_FALSE(ws.EnterTemperature(FlightSlot::Main, "65535"));
  EXPECT_EQ(Curve(Curve::Altitude), at20);

  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Main, "0"));
  const std::vector<float> at0 = Curve(Curve::Altitude);
  EXPECT_EQ(at0[0], 0.0f);
  for (std::size_t i = 1; i < at0.size(); ++i)
    EXPECT_NEAR(at0[i], at20[i] * 273.16 / 293.16, 1e-3) << i;
  EXPECT_EQ(ws.Panel(FlightSlot::Main).temperature, "0");
  EXPECT_EQ(Curve(Curve::Comparison), comparison);

  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Comparison, "-12"));
  EXPECT_NEAR(Curve(Curve::Comparison)[1], comparison[1] * (273.16 - 12) / 293.16, 1e-3);
  EXPECT_EQ(Curve(Curve::Altitude), at0);
}

TEST_F(Workspace, FiltersSmoothTheirOwnFlightWithTheSettingsOfThePress) {
  ws.FilterMain();  // no flight: nothing
  EXPECT_FALSE(ws.TakeChanges().Any());
  // 31 sample words (30 altitudes and the end marker) are too few to filter.
  Open(Write("few.hyp", MakeFlight({8800, 8700, 8600, 8500, 8400, 8300, 8200, 8100, 8000, 7900,
                                    7800, 7700, 7600, 7500, 7400, 7300, 7200, 7100, 7000, 6900,
                                    6800, 6700, 6600, 6500, 6400, 6300, 6200, 6100, 6000, 5900})));
  ASSERT_EQ(ws.MainFlight().SampleCount, 31u);
  ws.TakeChanges();
  ws.FilterMain();
  EXPECT_TRUE(Curve(Curve::UnfilteredAltitude).empty());
  // 32 sample words of which the last is the end marker: the sample count passes the gate, so
  // the 31 altitudes are filtered.
  QByteArray marked = MakeFlight({8800, 8700, 8600, 8500, 8400, 8300, 8200, 8100, 8000, 7900, 7800,
                                  7700, 7600, 7500, 7400, 7300, 7200, 7100, 7000, 6900, 6800, 6700,
                                  6600, 6500, 6400, 6300, 6200, 6100, 6000, 5900, 5800});
  Open(Write("marked.hyp", marked));
  ASSERT_EQ(ws.MainFlight().SampleCount, 32u);
  ws.FilterMain();
  EXPECT_EQ(Curve(Curve::UnfilteredAltitude).size(), 31u);

  Open(ExamplePath("flight-spike.hyp"));
  const std::vector<float> raw = Curve(Curve::Altitude);
  ws.FilterMain();
  const std::vector<float> smooth = Curve(Curve::Altitude);
  ASSERT_EQ(smooth.size(), raw.size());
  // The spike in the descent is the largest step of the raw curve; smoothed, no step comes near.
  auto largestStep = [](const std::vector<float>& v) {
    float step = 0;
    for (std::size_t i = 1; i < v.size(); ++i) step = std::max(step, std::abs(v[i] - v[i - 1]));
    return step;
  };
  EXPECT_LT(largestStep(smooth), largestStep(raw) / 2) << "the spike is taken out";
  const std::vector<float>& dashed = Curve(Curve::UnfilteredAltitude);
  ASSERT_EQ(dashed.size(), raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i)
    EXPECT_NEAR(dashed[i], ws.AltitudeTable()[i] * 0.1, 1e-4) << i;
  EXPECT_EQ(ws.Panel(FlightSlot::Main).maximum,
            Metres(*std::max_element(smooth.begin(), smooth.end())));
  EXPECT_EQ(ws.Chart().labelSeconds.front(), 0);

  // The comparison's filter works on the comparison alone.
  Compare(ExamplePath("flight-spike.hyp"));
  ws.FilterComparison();
  EXPECT_EQ(Curve(Curve::Comparison), smooth);
  EXPECT_EQ(Curve(Curve::UnfilteredComparison).size(), raw.size());
  EXPECT_EQ(Curve(Curve::Altitude), smooth);

  // Settings changed since count from the next press: cuts this wide keep every sample.
  ws.Settings().FinalCutCm = 100000;
  ws.Settings().PreCutCm = 100000;
  ws.FilterMain();
  EXPECT_EQ(Curve(Curve::Altitude), Curve(Curve::UnfilteredAltitude));
}

TEST_F(Workspace, RemovingACurveEmptiesItsPanelButKeepsTheFlight) {
  Open(ExamplePath("sample-flight.hyp"));
  Compare(ExamplePath("flight-1hz.hyp"));
  ws.RemoveCurve(Curve::Comparison);
  EXPECT_TRUE(Curve(Curve::Comparison).empty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Comparison).serial.isEmpty());
  EXPECT_FALSE(ws.Panel(FlightSlot::Main).maximum.isEmpty());

  ws.RemoveCurve(Curve::Altitude);
  EXPECT_TRUE(Curve(Curve::Altitude).empty());
  EXPECT_TRUE(ws.Chart().labelSeconds.empty()) << "the seconds go with the main curve";
  EXPECT_TRUE(ws.Panel(FlightSlot::Main).maximum.isEmpty());
  EXPECT_TRUE(ws.Panel(FlightSlot::Main).temperature.isEmpty());
  // The flight itself stays: a temperature draws it again.
  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Main, "20"));
  EXPECT_FALSE(Curve(Curve::Altitude).empty());
}

TEST_F(Workspace, NothingDrawnOutlivesTheFlightStateItBelongsTo) {
  auto largest = [](const std::vector<float>& v) {
    float m = 0;
    for (float x : v) m = std::max(m, std::abs(x));
    return m;
  };
  auto ownAxis = [](const char* example, std::optional<float> temperature = std::nullopt) {
    Flight f = Load(ExamplePath(example));
    if (temperature) f.GroundTemperature = *temperature;
    return static_cast<double>(DecodeFlight(f, f.SampleCount, {true, false}).axisMaximum);
  };
  Open(ExamplePath("flight-spike.hyp"));
  Compare(ExamplePath("flight-1hz.hyp"));
  const float spikyAcceleration = largest(Curve(Curve::Acceleration));

  // The filter's curve is what the acceleration curve follows: the spike's steps go with it.
  ws.FilterMain();
  ASSERT_FALSE(Curve(Curve::UnfilteredAltitude).empty());
  ASSERT_EQ(Curve(Curve::Acceleration).size(), Curve(Curve::Altitude).size());
  EXPECT_LT(largest(Curve(Curve::Acceleration)), spikyAcceleration / 3);

  // A new temperature decodes the flight again, unfiltered: the dashed original of the old
  // temperature goes, for each flight on its own.
  ws.FilterComparison();
  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Main, "30"));
  EXPECT_TRUE(Curve(Curve::UnfilteredAltitude).empty());
  EXPECT_FALSE(Curve(Curve::UnfilteredComparison).empty());
  EXPECT_EQ(largest(Curve(Curve::Acceleration)) > spikyAcceleration / 2, true)
      << "unfiltered again, with the spike";
  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Comparison, "30"));
  EXPECT_TRUE(Curve(Curve::UnfilteredComparison).empty());

  // Removing the main curve takes its dashed original, its name and its axis; the time labels
  // then count the comparison's seconds.
  ws.FilterMain();
  ws.RemoveCurve(hypsor::Curve::Altitude);
  EXPECT_TRUE(Curve(Curve::UnfilteredAltitude).empty());
  EXPECT_TRUE(ws.ShownFlightPath(FlightSlot::Main).isEmpty());
  EXPECT_FALSE(ws.FlightPath(FlightSlot::Main).isEmpty()) << "the flight itself stays";
  EXPECT_EQ(ws.ShownFlightPath(FlightSlot::Comparison), ExamplePath("flight-1hz.hyp"));
  const std::vector<int>& labels = ws.Chart().labelSeconds;
  ASSERT_EQ(labels.size(), Curve(Curve::Comparison).size());
  EXPECT_EQ(labels[0], 0);
  EXPECT_EQ(labels[1], 1) << "one sample a second";
  EXPECT_EQ(ws.Chart().leftAxis.maximum, ownAxis("flight-1hz.hyp", 30.0f)) << "typed above";

  // And the comparison's removal gives the main flight its own axis back.
  Open(ExamplePath("flight-spike.hyp"));
  Compare(ExamplePath("sample-flight.hyp"));
  ASSERT_GT(ws.Chart().leftAxis.maximum, ownAxis("flight-spike.hyp")) << "the comparison flew higher";
  ws.FilterComparison();
  ws.RemoveCurve(hypsor::Curve::Comparison);
  EXPECT_EQ(ws.Chart().leftAxis.maximum, ownAxis("flight-spike.hyp"));
  EXPECT_TRUE(Curve(Curve::UnfilteredComparison).empty());
  EXPECT_TRUE(ws.ShownFlightPath(FlightSlot::Comparison).isEmpty());
}

TEST_F(Workspace, AccelerationSwitchStoresTheChoiceAndRedrawsOnlyWithAFlight) {
  EXPECT_FALSE(ws.ToggleAcceleration());
  EXPECT_EQ(ws.Settings().ShowAcceleration, 0);
  EXPECT_TRUE(ws.ToggleAcceleration());
  EXPECT_TRUE(Curve(Curve::Altitude).empty()) << "no flight, nothing to draw";

  Open(ExamplePath("sample-flight.hyp"));
  const std::size_t points = Curve(Curve::Altitude).size();
  EXPECT_EQ(Curve(Curve::Acceleration).size(), points);
  EXPECT_FALSE(ws.ToggleAcceleration());
  EXPECT_TRUE(Curve(Curve::Acceleration).empty());
  EXPECT_EQ(Curve(Curve::Altitude).size(), points);
  EXPECT_TRUE(ws.ToggleAcceleration());
  EXPECT_EQ(Curve(Curve::Acceleration).size(), points);
}

TEST_F(Workspace, OnlyASuccessfulDownloadReplacesWhatSaveWrites) {
  Failure error;
  EXPECT_FALSE(ws.SaveDownload(dir.filePath("none.hyp"), &error));
  EXPECT_EQ(FailureText(error, 0), "Brak danych");

  const QByteArray bytes = MakeFlight({8800, 8900, 9000, 9100}, 3, 21);
  DownloadResult ok;
  ok.outcome = DownloadOutcome::Ok;
  ok.flight.emplace();
  ASSERT_TRUE(
      SetFlightBytes(*ok.flight, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()))));
  ApplyFlightHeader(*ok.flight);
  ok.DownloadByteCount = static_cast<std::int32_t>(bytes.size());
  ws.BeginDownload();
  ws.PrepareForFlightData();
  EXPECT_EQ(ws.Panel(FlightSlot::Main).maximum, "   ");
  ASSERT_TRUE(ws.ApplyDownload(ok));
  EXPECT_EQ(ws.Panel(FlightSlot::Main).temperature, "21");
  EXPECT_EQ(Curve(Curve::Altitude).size(), 4u);

  // A file opened since, then a failed download: Save still writes the last good download.
  Open(ExamplePath("sample-flight.hyp"));
  const Flight opened = ws.MainFlight();
  DownloadResult failed;
  failed.outcome = DownloadOutcome::CommunicationError;
  failed.DownloadByteCount = 902;
  ws.BeginDownload();
  ws.PrepareForFlightData();
  EXPECT_FALSE(ws.ApplyDownload(failed));
  EXPECT_EQ(ws.DownloadByteCount(), static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(ws.MainFlight().bytes, opened.bytes) << "the previous flight is kept";
  const QString target = dir.filePath("saved.hyp");
  ASSERT_TRUE(ws.SaveDownload(target, &error)) << Said(error);
  EXPECT_EQ(ReadFile(target), bytes);
}

TEST_F(Workspace, ASettingsFileThatCannotBeReadIsNeverWrittenOver) {
  // A folder where the settings file should be: it exists and cannot be read as a file.
  const QString unreadable = dir.filePath("hypsor.par");
  QDir().mkpath(unreadable);
  const QString fallback = dir.filePath("user/hypsor.par");
  Failure unread;
  EXPECT_FALSE(ws.LoadSettingsFile({unreadable, unreadable, fallback}, &unread));
  EXPECT_EQ(unread.kind, FailureKind::SettingsUnreadable);
  const QString message = FailureText(unread, ws.LanguageIndex());
  EXPECT_TRUE(message.contains(unreadable) && message.contains(fallback)) << message.toStdString();
  EXPECT_EQ(ws.SettingsFilePath(), fallback);
  ws.SetLanguage(1);
  Failure error;
  ASSERT_TRUE(ws.SaveSettingsFile(&error)) << Said(error);
  EXPECT_EQ(ReadFile(fallback).size(), 40);
  EXPECT_TRUE(QFileInfo(unreadable).isDir()) << "left as it was";

  // No fallback apart from the file itself: nothing is written at all.
  FlightWorkspace alone;
  EXPECT_FALSE(alone.LoadSettingsFile({unreadable, unreadable, unreadable}, &unread));
  EXPECT_FALSE(alone.SaveSettingsFile(&error));
  EXPECT_EQ(error.kind, FailureKind::NoSettingsFile) << "a sentence of its own, not an empty name";
  EXPECT_TRUE(QFileInfo(unreadable).isDir());
}
