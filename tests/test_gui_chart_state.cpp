// SPDX-License-Identifier: GPL-3.0-or-later
// The chart shows the state of what it names and nothing outlives the flight it belongs to:
// a dashed original goes with a new temperature, a removed curve takes its name, axis and
// original with it, an axis without a curve shows no numbers, a zoom keeps the right axis on
// its data, flagged transients are shaded, the legend switches curves, and the cursor and the
// zoom steps answer the keyboard. Judged by the drawn pixels and the window's texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest/QTest>

#include "tests/support/ChartPixels.h"
#include "tests/support/TestPaths.h"
#include "ui/StatisticsDock.h"

using namespace hypsor;
using namespace hypsor::test;

namespace {

// The filter's dashed original (magenta, 1 px dashes).
bool Magenta(QRgb c) { return qRed(c) > 200 && qBlue(c) > 200 && qGreen(c) < 80; }
// The orange shade of a flagged transient over the chart's grey ground.
bool Shade(QRgb c) { return qRed(c) - qBlue(c) > 30 && qGreen(c) > qBlue(c) + 15 && qRed(c) > 190; }

void TypeTemperature(ChartFixture& f, const char* field, const char* text) {
  QLineEdit* temperature = f.Control<QLineEdit>(field);
  temperature->setFocus();
  temperature->selectAll();
  QTest::keyClicks(temperature, QString::fromLatin1(text));
  QTest::keyClick(temperature, Qt::Key_Return);
}

QString DockHeading(ChartFixture& f, int column) {
  auto* table = f.Control<QTableWidget>("statisticsTable");
  return table->horizontalHeaderItem(column)->text();
}

// Dark pixels (tick labels) in the strip of the plot widget left or right of the plot area.
int AxisNumbers(ChartFixture& f, bool right) {
  const QImage image = f.Grab();
  const QRect area = f.Area();
  const int width = f.Chart().PlotWidget()->width();
  const QRect strip = right ? QRect(area.right() + 3, area.top(), width - area.right() - 3,
                                    area.height())
                            : QRect(0, area.top(), area.left() - 3, area.height());
  return Count(image, strip, Dark);
}

}  // namespace

TEST(ChartState, ATemperatureAndARemovedCurveTakeWhatBelongedToThem) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("flight-spike.hyp"));
  f.Click("mainFilterButton");
  ASSERT_GT(Count(f.Grab(), f.Area(), Magenta), 20) << "the dashed original is drawn";

  // A new temperature draws the flight anew, unfiltered: the old original goes.
  TypeTemperature(f, "mainTemperatureField", "30");
  EXPECT_EQ(Count(f.Grab(), f.Area(), Magenta), 0);
  EXPECT_GT(Count(f.Grab(), f.Area(), Red), 200);

  // The main curve clicked away with its filter on: the original, the file's name in the title
  // and the panel's heading go with it; the comparison keeps its time labels.
  f.Compare(ExamplePath("sample-flight.hyp"));
  f.Click("mainFilterButton");
  ASSERT_GT(Count(f.Grab(), f.Area(), Magenta), 20);
  ASSERT_TRUE(f.Window().windowTitle().contains(QStringLiteral("flight-spike")));
  ASSERT_TRUE(DockHeading(f, 0).contains(QStringLiteral("flight-spike")));
  ASSERT_TRUE(ClickOnCurve(f, Red, Yellow));
  EXPECT_EQ(Count(f.Grab(), f.Area(), Red), 0);
  EXPECT_EQ(Count(f.Grab(), f.Area(), Magenta), 0) << "the dashed original stays alone";
  EXPECT_FALSE(f.Window().windowTitle().contains(QStringLiteral("flight-spike")));
  EXPECT_FALSE(DockHeading(f, 0).contains(QStringLiteral("flight-spike")));
  EXPECT_FALSE(f.Chart().VisibleTimeLabels().isEmpty()) << "the comparison's seconds";

  // The comparison clicked away: the left axis falls back to the main flight's own height and
  // the heading forgets the comparison.
  f.Open(ExamplePath("flight-spike.hyp"));
  f.Trigger("comparisonAction");  // the comparison from above goes, with its height
  ASSERT_TRUE(f.Chart().CurvePoints(Curve::Comparison).isEmpty());
  const double ownTop = f.Chart().LeftRange().max;
  f.Compare(ExamplePath("flight-1hz.hyp"));
  ASSERT_GT(f.Chart().LeftRange().max, ownTop * 1.2) << "the comparison flew higher";
  ASSERT_TRUE(ClickOnCurve(f, Yellow, Red));
  EXPECT_DOUBLE_EQ(f.Chart().LeftRange().max, ownTop);
  EXPECT_FALSE(DockHeading(f, 1).contains(QStringLiteral("flight-1hz")));
}

TEST(ChartState, AnAxisWithoutItsCurveShowsNoNumbers) {
  ChartFixture f;
  f.Show(1280, 800);
  // The empty chart: no "0.0" on either side (it stood over the unit text).
  EXPECT_EQ(AxisNumbers(f, false), 0);
  EXPECT_EQ(AxisNumbers(f, true), 0);
  f.Open(ExamplePath("sample-flight.hyp"));
  if (f.Chart().CurvePoints(Curve::Acceleration).isEmpty()) f.Trigger("accelerationAction");
  EXPECT_GT(AxisNumbers(f, false), 20);
  EXPECT_GT(AxisNumbers(f, true), 20);
  f.Trigger("accelerationAction");
  ASSERT_TRUE(f.Chart().CurvePoints(Curve::Acceleration).isEmpty());
  EXPECT_EQ(AxisNumbers(f, true), 0) << "numbers for a curve that is not drawn";
  EXPECT_GT(AxisNumbers(f, false), 20);
}

TEST(ChartState, AZoomKeepsTheRightAxisOnTheAccelerationInView) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("flight-50hz-9000.hyp"));
  if (f.Chart().CurvePoints(Curve::Acceleration).isEmpty()) f.Trigger("accelerationAction");
  const QList<QPointF> points = f.Chart().CurvePoints(Curve::Acceleration);
  ASSERT_FALSE(points.isEmpty());
  // The whole flight: every value of the curve inside the right axis.
  const FlightChart::Range whole = f.Chart().RightRange();
  for (const QPointF& p : points) {
    ASSERT_GE(p.y(), whole.min) << p.x();
    ASSERT_LE(p.y(), whole.max) << p.x();
  }
  // After the landing the altimeter lies still: no ramp over the ground time.
  EXPECT_EQ(points.last().y(), 0.0);
  EXPECT_EQ(points[points.size() - 100].y(), 0.0);

  // A thin rectangle in the lower part of the first third of the flight.
  const QRect area = f.Area();
  const QPoint from(area.left() + area.width() / 10, area.bottom() - 80);
  const QPoint to(area.left() + area.width() / 3, area.bottom() - 40);
  QWidget* plot = f.Chart().PlotWidget();
  QTest::mousePress(plot, Qt::LeftButton, {}, from);
  QTest::mouseMove(plot, (from + to) / 2);
  // While the rectangle is dragged the cursor and its readout are not drawn over it.
  EXPECT_TRUE(f.Chart().ReadoutText().isEmpty());
  QTest::mouseMove(plot, to);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
  ASSERT_EQ(f.Chart().ZoomDepth(), 1);
  const FlightChart::Range time = f.Chart().TimeRange(), right = f.Chart().RightRange();
  double lo = 1e9, hi = -1e9;
  for (const QPointF& p : points)
    if (p.x() >= time.min && p.x() <= time.max) lo = std::min(lo, p.y()), hi = std::max(hi, p.y());
  ASSERT_LT(lo, hi);
  // The axis holds the values in view, with a little room, and not a range without data.
  EXPECT_LE(right.min, lo);
  EXPECT_GE(right.max, hi);
  EXPECT_LT(right.max - right.min, (hi - lo) * 1.2 + 1e-9);
}

TEST(ChartState, TransientsAreShadedAndTheLegendSwitchesCurves) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("sample-flight.hyp"));
  const int cleanShade = Count(f.Grab(), f.Area(), Shade);
  f.Open(ExamplePath("flight-spike.hyp"));
  EXPECT_GT(Count(f.Grab(), f.Area(), Shade), cleanShade + 50) << "the spike is shaded";

  // A real flight with five flagged transients around its top: each name in the interface's
  // language, drawn where it says, none over another.
  f.Open(QStringLiteral(HYPSOR_SOURCE_DIR "/tests/real-flights/juno3-2023.hyp"));
  const auto names = f.Chart().VisibleTransientNames();
  ASSERT_GE(names.size(), 2u);
  const QImage named = f.Grab();
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_FALSE(names[i].first.contains(QStringLiteral("spike"))) << "the code, not the word";
    EXPECT_TRUE(f.Area().contains(names[i].second));
    EXPECT_GT(Count(named, names[i].second, [](QRgb c) { return qRed(c) < 190 && qRed(c) > qBlue(c) + 40; }), 5)
        << names[i].first.toStdString();
    for (std::size_t j = i + 1; j < names.size(); ++j)
      EXPECT_FALSE(names[i].second.intersects(names[j].second));
  }
  // The markers' labels keep clear of the names (the apogees stand right under them).
  if (f.Chart().Markers().empty()) f.Trigger("markersAction");
  const auto labels = f.Chart().VisibleMarkerLabels();
  ASSERT_FALSE(labels.empty());
  for (const auto& [label, rect] : labels)
    for (const auto& [name, where] : f.Chart().VisibleTransientNames())
      EXPECT_FALSE(rect.intersects(where)) << label.toStdString() << " over " << name.toStdString();
  f.Open(ExamplePath("flight-spike.hyp"));

  // The red legend entry: a click switches the curve off, another on again; its data stay.
  const QImage image = f.Grab();
  int x = -1;
  for (int k = 0; k < f.Chart().PlotWidget()->width() && x < 0; ++k)
    if (Count(image, QRect(k, 0, 1, f.Area().top() - 2), Red) > 0) x = k;
  ASSERT_GE(x, 0);
  QTest::mouseClick(f.Chart().PlotWidget(), Qt::LeftButton, {}, QPoint(x + 10, 8));
  EXPECT_TRUE(f.Chart().CurveHidden(Curve::Altitude));
  EXPECT_EQ(Count(f.Grab(), f.Area(), Red), 0);
  EXPECT_FALSE(f.Chart().CurvePoints(Curve::Altitude).isEmpty());
  QTest::mouseClick(f.Chart().PlotWidget(), Qt::LeftButton, {}, QPoint(x + 10, 8));
  EXPECT_GT(Count(f.Grab(), f.Area(), Red), 200);
  // A new flight is drawn whatever was switched off before.
  QTest::mouseClick(f.Chart().PlotWidget(), Qt::LeftButton, {}, QPoint(x + 10, 8));
  f.Open(ExamplePath("sample-flight.hyp"));
  EXPECT_GT(Count(f.Grab(), f.Area(), Red), 200);
}

TEST(ChartState, TheKeyboardMovesTheCursorZoomsAndSetsTheReference) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("sample-flight.hyp"));
  QWidget* plot = f.Chart().PlotWidget();
  plot->setFocus();
  ASSERT_TRUE(plot->hasFocus()) << "the chart takes the keyboard";
  QTest::keyClick(plot, Qt::Key_Right);
  const QString first = f.Chart().ReadoutText();
  ASSERT_FALSE(first.isEmpty());
  QTest::keyClick(plot, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_NE(f.Chart().ReadoutText(), first) << "ten samples on";
  QTest::keyClick(plot, Qt::Key_Space);
  EXPECT_TRUE(f.Chart().ReferenceShown());
  const double span = f.Chart().TimeRange().max - f.Chart().TimeRange().min;
  QTest::keyClick(plot, Qt::Key_Plus);
  EXPECT_EQ(f.Chart().ZoomDepth(), 1);
  EXPECT_NEAR(f.Chart().TimeRange().max - f.Chart().TimeRange().min, span / 2, span * 0.01);
  EXPECT_FALSE(f.Chart().ReadoutText().isEmpty()) << "the cursor stays where it was";
  QTest::keyClick(plot, Qt::Key_Plus);
  QTest::keyClick(plot, Qt::Key_Backspace);
  EXPECT_EQ(f.Chart().ZoomDepth(), 1);
  QTest::keyClick(plot, Qt::Key_Home);
  EXPECT_EQ(f.Chart().ZoomDepth(), 0);
}
