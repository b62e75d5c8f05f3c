// SPDX-License-Identifier: GPL-3.0-or-later
// The flight chart as drawn: whole-second labels that are really painted at every width and
// zoom, label steps that never repeat a label, axes that hold every curve, and zoom steps that
// only a dragged rectangle makes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::Child;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;

namespace {

DecodedFlight Decoded(const char* example) {
  Flight f;
  EXPECT_EQ(LoadFlightFile(ExamplePath(example), f).status, FlightFileStatus::Ok);
  return DecodeFlight(f, f.SampleCount, {true, true});
}

// A 50/s flight as long as a table holds (7999 samples), as a 20000-byte download gives.
DecodedFlight LongFastFlight() {
  Flight f;
  std::vector<std::uint8_t> bytes(FlightHeaderSize, 0);
  bytes[7] = 0;  // 50 samples a second
  bytes[5] = 20;
  bytes[8] = 10000 & 0xff, bytes[9] = 10000 >> 8;
  for (int i = 0; i < 9984; ++i) {
    const int sample = 4000 + static_cast<int>(300 * std::sin(i / 900.0));
    bytes.push_back(static_cast<std::uint8_t>(sample & 0xff));
    bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
  }
  bytes.push_back(0xff), bytes.push_back(0xff);
  EXPECT_TRUE(SetFlightBytes(f, bytes));
  ApplyFlightHeader(f);
  return DecodeFlight(f, f.SampleCount, {true, true});
}

// Dark pixels (text; grid lines and the chart's background are light) in a rectangle.
int DarkPixels(const QImage& image, QRect r) {
  r = r.intersected(image.rect());
  int dark = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(image.pixel(x, y)) < 110) ++dark;
  return dark;
}

// Draws the flight on a chart of the given size and checks what is painted under each label.
void ExpectSecondsDrawn(const DecodedFlight& d, int width, const char* what) {
  SCOPED_TRACE(std::string(what) + " at " + std::to_string(width) + " px");
  FlightChart chart;
  chart.resize(width, 600);
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  LeftAxisRequest axis;
  axis.maximum = d.axisMaximum;
  chart.SetLeftAxis(axis);
  chart.SetTimeLabels(d.labelSeconds);
  chart.SetCurve(Curve::Altitude, d.altitude);
  QApplication::processEvents();

  const auto labels = chart.TimeLabelPositions();
  ASSERT_GE(labels.size(), 2u);
  const QImage image = chart.PlotWidget()->grab().toImage();
  const QRect plot = chart.PlotArea();
  const int textHeight = QFontMetrics(QFont()).height();
  int previousX = -100000, previousSecond = -1, step = 0;
  for (const auto& [text, x] : labels) {
    bool whole = false;
    const int second = text.toInt(&whole);
    ASSERT_TRUE(whole) << text.toStdString();
    if (previousSecond >= 0) {
      const int gap = second - previousSecond;
      if (step == 0) step = gap;
      EXPECT_EQ(second % step, 0) << "labels on multiples of one step";
      EXPECT_GE(x - previousX, textHeight) << "labels " << previousSecond << " and " << second;
    }
    EXPECT_LE(x, chart.width() - 80) << "nothing under the unit text at the bottom right";
    // The label's text is really painted below the axis, where its tick is.
    const QRect under(x - textHeight / 2 - 2, plot.bottom() + 7, textHeight + 4, 30);
    EXPECT_GT(DarkPixels(image, under), 5) << "label " << text.toStdString() << " not drawn";
    previousX = x;
    previousSecond = second;
  }
  EXPECT_TRUE(step == 0 || step == 1 || step == 2 || step == 5 || step == 10 || step == 20 ||
              step == 30 || step == 60)
      << step;
}

}  // namespace

TEST(Chart, SecondsLabelsAreDrawnAtEveryWidth) {
  const DecodedFlight sample = Decoded("sample-flight.hyp");
  const DecodedFlight slow = Decoded("flight-1hz.hyp");
  const DecodedFlight plateaus = Decoded("flight-25hz-plateaus.hyp");
  const DecodedFlight spike = Decoded("flight-spike.hyp");
  const DecodedFlight fast = LongFastFlight();
  for (int width : {640, 1280, 1920, 3840}) {
    ExpectSecondsDrawn(sample, width, "sample-flight");
    ExpectSecondsDrawn(slow, width, "flight-1hz");
    ExpectSecondsDrawn(plateaus, width, "flight-25hz-plateaus");
    ExpectSecondsDrawn(spike, width, "flight-spike");
    ExpectSecondsDrawn(fast, width, "7999 samples at 50/s");
  }
}

TEST(Chart, ZoomedInTheLabelsStayWholeSecondsAndDrawn) {
  MainWindowFixture f;
  f.Show(1920, 1000);
  MainWindow& w = f.Window();
  f.Open(ExamplePath("flight-25hz-plateaus.hyp"));
  FlightChart& chart = w.Chart();
  const QRect plot = chart.PlotArea();
  QWidget* vp = chart.PlotWidget();
  const QPoint from = plot.topLeft() + QPoint(plot.width() / 3, 5);
  const QPoint to = plot.topLeft() + QPoint(plot.width() / 3 + 120, plot.height() - 5);
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
  QApplication::processEvents();
  ASSERT_EQ(chart.ZoomDepth(), 1);
  const auto labels = chart.TimeLabelPositions();
  ASSERT_GE(labels.size(), 2u);
  // Zoomed in this far, every second has room.
  EXPECT_EQ(labels[1].first.toInt() - labels[0].first.toInt(), 1);
  const QImage image = vp->grab().toImage();
  for (const auto& [text, x] : labels)
    EXPECT_GT(DarkPixels(image, QRect(x - 8, chart.PlotArea().bottom() + 7, 16, 30)), 5)
        << text.toStdString();
}

TEST(Chart, ACurveClickIsNoZoomStepAndTheLeftAxisHoldsEveryCurve) {
  MainWindowFixture f;
  f.Show(1280, 800);
  MainWindow& w = f.Window();
  FlightChart& chart = w.Chart();
  auto top = [](const QList<QPointF>& pts) {
    double m = 0;
    for (const QPointF& p : pts) m = std::max(m, p.y());
    return m;
  };
  f.Open(ExamplePath("sample-flight.hyp"));
  f.Compare(ExamplePath("flight-25hz-plateaus.hyp"));
  // Clicking the comparison removes it; the axes change, but that is no zoom.
  const QPointF at = chart.CurvePoints(Curve::Comparison).at(40);
  QTest::mouseClick(chart.PlotWidget(), Qt::LeftButton, {},
                    chart.PlotPosition(Curve::Comparison, at));
  QApplication::processEvents();
  ASSERT_TRUE(chart.CurvePoints(Curve::Comparison).isEmpty());
  EXPECT_EQ(chart.ZoomDepth(), 0);
  // A later comparison is drawn whole.
  f.Compare(ExamplePath("flight-1hz.hyp"));
  EXPECT_GE(chart.LeftRange().max, top(chart.CurvePoints(Curve::Comparison)));

  // A main flight lower than the comparison, drawn again: the comparison stays whole.
  f.Open(ExamplePath("flight-spike.hyp"));
  f.Compare(ExamplePath("sample-flight.hyp"));
  const double comparisonTop = top(chart.CurvePoints(Curve::Comparison));
  ASSERT_GT(comparisonTop, top(chart.CurvePoints(Curve::Altitude)));
  Child<QAction>(&w, "accelerationAction")->trigger();
  Child<QAction>(&w, "accelerationAction")->trigger();
  EXPECT_GE(chart.LeftRange().max, comparisonTop);
  QLineEdit* temperature = Child<QLineEdit>(&w, "mainTemperatureField");
  temperature->setFocus();
  QTest::keyClick(temperature, Qt::Key_Return);
  EXPECT_GE(chart.LeftRange().max, comparisonTop);
}

TEST(Chart, AxisStepsFitTheirOneDecimalAndFollowTheSize) {
  MainWindowFixture f;
  f.Show(1280, 800);
  MainWindow& w = f.Window();
  f.Open(ExamplePath("flight-1hz.hyp"));
  FlightChart& chart = w.Chart();
  EXPECT_GE(chart.RightAxisStep(), 0.1) << "one decimal: a finer step repeats labels";
  EXPECT_GE(chart.LeftAxisStep(), 0.1);
  const double tallStep = chart.RightAxisStep();
  w.resize(800, 330);
  QApplication::processEvents();
  EXPECT_GT(chart.RightAxisStep(), tallStep) << "fewer rows fit: steps computed again";

  // Switching the acceleration off leaves the right axis as it was.
  const FlightChart::Range before = chart.RightRange();
  Child<QAction>(&w, "accelerationAction")->trigger();
  ASSERT_TRUE(chart.CurvePoints(Curve::Acceleration).isEmpty());
  EXPECT_EQ(chart.RightRange().min, before.min);
  EXPECT_EQ(chart.RightRange().max, before.max);
}
