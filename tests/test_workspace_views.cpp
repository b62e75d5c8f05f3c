// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's views beyond the panels, without any window: statistics per flight, the
// comparison on real time, markers, the cursor readout and the data export.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "flight/Decode.h"
#include "session/FlightWorkspace.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"

using namespace hypsor;
using hypsor::test::ExamplePath;

namespace {

struct WorkspaceViews : ::testing::Test {
  FlightWorkspace ws;
  void Open(const char* name) {
    Failure error;
    ASSERT_TRUE(ws.OpenMainFlight(ExamplePath(QString::fromLatin1(name)), &error));
  }
  void Compare(const char* name) {
    Failure error;
    ASSERT_TRUE(ws.OpenComparison(ExamplePath(QString::fromLatin1(name)), &error));
  }
  QString Apogee(FlightSlot slot) {
    return FormatAltitude(ws.Statistics(slot).apogeeM, QLocale().decimalPoint().at(0));
  }
};

}  // namespace

// The panel and the statistics show the same maximum, filtered or not, and the statistics go
// with the curve they describe.
TEST_F(WorkspaceViews, StatisticsFollowTheFlightAndItsFilter) {
  EXPECT_FALSE(ws.Statistics(FlightSlot::Main).enoughSamples);
  Open("flight-spike.hyp");
  const FlightStatistics raw = ws.Statistics(FlightSlot::Main);
  ASSERT_TRUE(raw.launched);
  EXPECT_EQ(Apogee(FlightSlot::Main), ws.Panel(FlightSlot::Main).maximum);
  EXPECT_LT(raw.maxSinkMps, 10.0);  // the spike set aside

  ws.FilterMain();
  const FlightStatistics smooth = ws.Statistics(FlightSlot::Main);
  EXPECT_EQ(Apogee(FlightSlot::Main), ws.Panel(FlightSlot::Main).maximum);
  EXPECT_LT(smooth.maxSinkMps, 10.0);

  // A new temperature decodes the flight again: the filter is off until pressed again.
  ASSERT_TRUE(ws.EnterTemperature(FlightSlot::Main, ws.Panel(FlightSlot::Main).temperature));
  EXPECT_DOUBLE_EQ(ws.Statistics(FlightSlot::Main).maxSinkMps, raw.maxSinkMps);
  EXPECT_EQ(Apogee(FlightSlot::Main), ws.Panel(FlightSlot::Main).maximum);

  // The comparison's filter does not touch the main flight's statistics.
  Compare("sample-flight.hyp");
  ws.FilterComparison();
  EXPECT_DOUBLE_EQ(ws.Statistics(FlightSlot::Main).maxSinkMps, raw.maxSinkMps);
  EXPECT_EQ(Apogee(FlightSlot::Comparison), ws.Panel(FlightSlot::Comparison).maximum);
  EXPECT_TRUE(ws.Statistics(FlightSlot::Comparison).landed);

  ws.ToggleComparison();  // off
  EXPECT_FALSE(ws.Statistics(FlightSlot::Comparison).enoughSamples);
  ws.RemoveCurve(Curve::Altitude);
  EXPECT_FALSE(ws.Statistics(FlightSlot::Main).enoughSamples);
}

// On real time the comparison's launch stands where the main flight's does, and its samples
// are spaced by its own rate on the main flight's axis.
TEST_F(WorkspaceViews, ComparisonAlignedOnRealTime) {
  Open("sample-flight.hyp");  // 10 samples a second
  Compare("flight-1hz.hyp");  // 1 sample a second
  EXPECT_EQ(ws.Placement(Curve::Comparison), CurvePlacement{});
  ws.SetComparisonAligned(true);
  EXPECT_TRUE(ws.TakeChanges().curves.test(static_cast<std::size_t>(Curve::Comparison)));
  const CurvePlacement p = ws.Placement(Curve::Comparison);
  EXPECT_DOUBLE_EQ(p.scale, 10.0);
  const FlightStatistics main = ws.Statistics(FlightSlot::Main);
  const FlightStatistics comparison = ws.Statistics(FlightSlot::Comparison);
  ASSERT_TRUE(main.launched && comparison.launched);
  EXPECT_NEAR(p.X(comparison.launchIndex), main.launchIndex, 1e-9);
  // 1.10 s and 2.00 s: the comparison moves 0.9 s = 9 main samples back.
  EXPECT_NEAR(p.offset, -9.0, 1e-9);
  EXPECT_EQ(ws.Placement(Curve::UnfilteredComparison), p);
  EXPECT_EQ(ws.Placement(Curve::Altitude), CurvePlacement{});

  // The other way round: a 25/s comparison on a 10/s axis.
  Compare("flight-25hz-plateaus.hyp");
  EXPECT_DOUBLE_EQ(ws.Placement(Curve::Comparison).scale, 0.4);
  ws.SetComparisonAligned(false);
  EXPECT_EQ(ws.Placement(Curve::Comparison), CurvePlacement{});
}

TEST_F(WorkspaceViews, MarkersStandOnTheCurvesInTheLanguage) {
  Open("sample-flight.hyp");
  Compare("flight-25hz-plateaus.hyp");
  ws.SetLanguage(1);
  std::vector<ChartMarker> m = ws.Markers();
  ASSERT_EQ(m.size(), 6u);
  const FlightStatistics s = ws.Statistics(FlightSlot::Main);
  EXPECT_EQ(m[0].curve, Curve::Altitude);
  EXPECT_EQ(m[0].kind, MarkerKind::Launch);
  EXPECT_EQ(m[0].label, "L");
  EXPECT_EQ(m[1].label, QStringLiteral("A %1 m").arg(ws.Panel(FlightSlot::Main).maximum));
  EXPECT_EQ(m[1].index, s.apogeeIndex);
  EXPECT_EQ(m[1].at.y(), ws.Chart()[Curve::Altitude][static_cast<std::size_t>(s.apogeeIndex)]);
  EXPECT_EQ(m[2].label, "D");
  EXPECT_EQ(m[2].index, s.landingIndex);
  EXPECT_EQ(m[3].curve, Curve::Comparison);

  ws.SetLanguage(0);
  m = ws.Markers();
  EXPECT_EQ(m[0].label, "S");
  EXPECT_EQ(m[2].label, "L");
  // Aligned, the comparison's markers move with its curve.
  ws.SetComparisonAligned(true);
  m = ws.Markers();
  const CurvePlacement p = ws.Placement(Curve::Comparison);
  EXPECT_DOUBLE_EQ(m[3].at.x(), p.X(m[3].index));
  EXPECT_NEAR(m[3].at.x(), m[0].at.x(), 1e-9);  // launches together

  ws.RemoveCurve(Curve::Comparison);
  EXPECT_EQ(ws.Markers().size(), 3u);
}

// A real flight whose log ends as its drogue fires: no landing marked where the recording
// ends, its transients where the chart shades them, and the acceleration's range without them.
TEST_F(WorkspaceViews, RecordEndTransientsAndTheirRangeForTheChart) {
  Failure error;
  ASSERT_TRUE(ws.OpenMainFlight(
      QStringLiteral(HYPSOR_SOURCE_DIR "/tests/real-flights/juno3-2023.hyp"), &error));
  ws.SetLanguage(1);
  const FlightStatistics s = ws.Statistics(FlightSlot::Main);
  ASSERT_TRUE(s.launched);
  EXPECT_FALSE(s.landed);
  const FlightQualities q = ws.Qualities();
  const std::vector<ChartMarker> m = ws.Markers(false, q);
  const int last = static_cast<int>(ws.Chart()[Curve::Altitude].size()) - 1;
  // Launch, apogee, the record's end, and the filtered apogee, which differs.
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[3].kind, MarkerKind::OtherApogee);
  EXPECT_EQ(m[2].kind, MarkerKind::EndOfRecord);
  EXPECT_EQ(m[2].index, last);
  EXPECT_EQ(m[2].label, "E");
  for (const ChartMarker& marker : m) EXPECT_NE(marker.kind, MarkerKind::Landing);

  // Each flagged transient of the unfiltered data, the last one ending the record.
  const std::vector<ChartTransient> spans = ws.Transients(false, q);
  ASSERT_EQ(spans.size(), q.main.transients.size());
  ASSERT_GE(spans.size(), 2u);
  EXPECT_STREQ(spans.back().code, "end-of-record");
  EXPECT_EQ(spans.back().last, last);
  EXPECT_EQ(spans.back().label, "end of record (ejection)");
  for (const ChartTransient& t : spans) {
    EXPECT_EQ(t.curve, Curve::Altitude);
    EXPECT_DOUBLE_EQ(t.fromX, t.first);
    EXPECT_LE(t.first, t.last);
  }

  // Without the acceleration curve there is no range; with it, the range leaves out the jump
  // of thousands of metres a sample the record ends in.
  if (ws.Chart()[Curve::Acceleration].empty()) {
    EXPECT_FALSE(ws.AccelerationRange(q).has_value());
    ws.ToggleAcceleration();
  }
  const std::optional<ChartRange> r = ws.AccelerationRange(q);
  ASSERT_TRUE(r.has_value());
  EXPECT_TRUE(r->clipped);
  EXPECT_GT(r->max, 20.0);  // the climb, near 30 m a sample
  EXPECT_LT(r->max, 40.0);
  EXPECT_GT(r->min, -40.0);
  const std::vector<float>& rate = ws.Chart()[Curve::Acceleration];
  EXPECT_LT(*std::min_element(rate.begin(), rate.end()), -1000.0f);
}

TEST_F(WorkspaceViews, ReadoutNearestSamplesAndChanges) {
  Open("sample-flight.hyp");  // 10/s
  Compare("flight-25hz-plateaus.hyp");
  const std::vector<float>& main = ws.Chart()[Curve::Altitude];
  const std::vector<float>& comparison = ws.Chart()[Curve::Comparison];

  std::vector<ReadoutLine> lines = ws.ReadoutAt(100.4, std::nullopt);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].curve, Curve::Altitude);
  EXPECT_EQ(lines[0].index, 100);
  EXPECT_DOUBLE_EQ(lines[0].timeS, 10.0);
  EXPECT_EQ(lines[0].value, main[100]);
  EXPECT_FALSE(lines[0].hasDelta);
  // Not aligned, the comparison's sample 100 stands at x = 100 but is its own 4.0 s.
  EXPECT_EQ(lines[1].curve, Curve::Comparison);
  EXPECT_EQ(lines[1].index, 100);
  EXPECT_DOUBLE_EQ(lines[1].timeS, 4.0);

  lines = ws.ReadoutAt(150.0, 50.0);
  ASSERT_TRUE(lines[0].hasDelta);
  EXPECT_DOUBLE_EQ(lines[0].deltaTimeS, 10.0);
  EXPECT_NEAR(lines[0].deltaValue, main[150] - main[50], 1e-4);
  EXPECT_NEAR(lines[0].rate, (main[150] - main[50]) / 10.0, 1e-4);
  EXPECT_NEAR(lines[1].deltaValue, comparison[150] - comparison[50], 1e-4);
  EXPECT_DOUBLE_EQ(lines[1].deltaTimeS, 4.0);

  // Before a curve's first sample or past its last the readout says nothing of it; a reference
  // point out there counts from the nearest sample, and the same sample twice has no rate.
  EXPECT_TRUE(ws.ReadoutAt(1e9, std::nullopt).empty());
  EXPECT_TRUE(ws.ReadoutAt(-3.0, std::nullopt).empty());
  const int last = static_cast<int>(main.size()) - 1;
  lines = ws.ReadoutAt(last, 1e9);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].index, last);
  EXPECT_EQ(lines[0].rate, 0.0);
  // Past the main flight's end the longer comparison alone.
  ASSERT_GT(comparison.size(), main.size() + 10);
  lines = ws.ReadoutAt(static_cast<double>(main.size()) + 5, std::nullopt);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].curve, Curve::Comparison);

  ws.SetLanguage(1);
  const QString text = ws.ReadoutText(ws.ReadoutAt(150.0, 50.0));
  EXPECT_TRUE(text.contains(QStringLiteral("15") + QLocale().decimalPoint() + "00 s"))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("\u0394h"))) << text.toStdString();
}

TEST_F(WorkspaceViews, DataExportHasBothFlightsColumns) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("data.csv"));
  Failure error;
  EXPECT_FALSE(ws.ExportData(path, &error));
  EXPECT_EQ(FailureText(error, ws.LanguageIndex()), ws.T(Txt::NoData));

  Open("flight-1hz.hyp");
  QStringList lines = QString::fromUtf8(ws.DataCsv()).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines[0], "index,time_s,altitude_m,acceleration");
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(ws.Chart()[Curve::Altitude].size()) + 1);
  QStringList row = lines[11].split(',');
  EXPECT_EQ(row[0], "10");
  // Each value as precise as it is: whole seconds at 1/s, metres to 0.1, no float noise.
  EXPECT_EQ(row[1], "10");
  EXPECT_EQ(row[2], QString::number(ws.Chart()[Curve::Altitude][10], 'f', 1));
  for (const QString& line : lines.mid(1))
    for (const QString& cell : line.split(',').mid(2))
      if (cell.contains('.')) {
        EXPECT_LE(cell.size() - cell.indexOf('.') - 1, 2) << line.toStdString();
      }

  Compare("sample-flight.hyp");  // 885 samples at 10/s against 232 at 1/s
  ws.FilterComparison();
  ASSERT_TRUE(ws.ExportData(path, &error)) << Said(error);
  const QByteArray written = hypsor::test::ReadFile(path);
  EXPECT_EQ(written, ws.DataCsv());
  lines = QString::fromUtf8(written).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines[0],
            "index,time_s,altitude_m,acceleration,comparison_index,comparison_time_s,"
            "comparison_altitude_m,comparison_unfiltered_altitude_m");
  ASSERT_EQ(lines.size(), 886);
  row = lines[500].split(',');  // past the main flight: its cells are empty
  ASSERT_EQ(row.size(), 8);
  EXPECT_TRUE(row[0].isEmpty() && row[2].isEmpty());
  EXPECT_EQ(row[4], "499");
  EXPECT_EQ(row[5], "49.9");
  EXPECT_EQ(row[6], QString::number(ws.Chart()[Curve::Comparison][499], 'f', 1));
}
