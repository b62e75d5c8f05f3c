// SPDX-License-Identifier: GPL-3.0-or-later
// The chart on screen after every action, judged by its pixels against the data: each curve's
// colour lies where its points are and nowhere else, removed curves leave no pixel, the legend
// texts are painted, and undoing a zoom gives back the first picture. The pictures are read in
// device pixels, so the same checks hold at any device pixel ratio (CTest runs them again at
// QT_SCALE_FACTOR 1.25 and 2).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QToolBar>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>

#include "tests/support/ChartPixels.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;
using namespace hypsor::test;

namespace {

// The sample where the raw curve jumps most from its neighbours.
int SpikeIndex(const std::vector<float>& v) {
  int best = 3;
  double jump = -1;
  for (std::size_t i = 3; i + 3 < v.size(); ++i) {
    const double j = std::abs(v[i] - (v[i - 3] + v[i + 3]) / 2);
    if (j > jump) jump = j, best = static_cast<int>(i);
  }
  return best;
}

}  // namespace

TEST(ChartDrawn, FilterTemperatureAccelerationAndComparisonRedrawAtOnce) {
  ChartFixture f;
  f.Show(1920, 1000);
  f.Open(ExamplePath("flight-spike.hyp"));
  const std::vector<float> raw = f.Workspace().Chart()[Curve::Altitude];
  const int spike = SpikeIndex(raw);
  QImage image = f.Grab();
  const QPoint rawSpike = f.Chart().PlotPosition(Curve::Altitude, QPointF(spike, raw[spike]));
  EXPECT_TRUE(Near(image, rawSpike, 2, Red)) << "the raw spike is drawn";
  EXPECT_EQ(Stray(f, image, Curve::Altitude, Red), 0);

  // Filtr: the red curve passes the smoothed value at the spike's time, and not the spike.
  f.Click("mainFilterButton");
  const std::vector<float> smooth = f.Workspace().Chart()[Curve::Altitude];
  ASSERT_GT(std::abs(raw[spike] - smooth[spike]), 10.0f);
  image = f.Grab();
  const QPoint smoothAt = f.Chart().PlotPosition(Curve::Altitude, QPointF(spike, smooth[spike]));
  ASSERT_GT((smoothAt - rawSpike).manhattanLength(), 12);
  EXPECT_TRUE(Near(image, smoothAt, 2, Red));
  EXPECT_FALSE(Near(image, rawSpike, 1, Red)) << "the spike is still drawn in red";
  EXPECT_EQ(Stray(f, image, Curve::Altitude, Red), 0);

  // A temperature typed into the panel: the curve is drawn for it at once.
  QLineEdit* temperature = f.Control<QLineEdit>("mainTemperatureField");
  temperature->setFocus();
  temperature->selectAll();
  QTest::keyClicks(temperature, QStringLiteral("-30"));
  QTest::keyClick(temperature, Qt::Key_Return);
  const std::vector<float> cold = f.Workspace().Chart()[Curve::Altitude];
  ASSERT_NE(cold, smooth);
  image = f.Grab();
  EXPECT_EQ(Stray(f, image, Curve::Altitude, Red), 0);

  // Acceleration off and on again.
  const QRect area = f.Area();
  EXPECT_GT(Count(image, area, Blue), 100);
  f.Trigger("accelerationAction");
  EXPECT_EQ(Count(f.Grab(), area, Blue), 0);
  f.Trigger("accelerationAction");
  EXPECT_GT(Count(f.Grab(), area, Blue), 100);

  // A comparison drawn, aligned on launch, switched off.
  f.Compare(ExamplePath("flight-1hz.hyp"));
  image = f.Grab();
  EXPECT_GT(Count(image, area, Yellow), 200);
  EXPECT_EQ(Stray(f, image, Curve::Comparison, Yellow), 0);
  f.Trigger("alignAction");
  const CurvePlacement aligned = f.Chart().Placement(Curve::Comparison);
  ASSERT_NE(aligned.scale, 1.0);
  image = f.Grab();
  EXPECT_EQ(Stray(f, image, Curve::Comparison, Yellow), 0);
  f.Trigger("comparisonAction");
  EXPECT_EQ(Count(f.Grab(), area, Yellow), 0);
}

TEST(ChartDrawn, ZoomDrawsTheZoomedCurvesAndUndoGivesBackTheFirstPicture) {
  ChartFixture f;
  f.Show(1920, 1000);
  f.Trigger("markersAction");
  if (f.Chart().VisibleMarkerPositions().empty()) f.Trigger("markersAction");
  f.Open(ExamplePath("sample-flight.hyp"));
  const QImage first = f.Grab();
  const FlightStatistics s = f.Workspace().Statistics(FlightSlot::Main);
  const QPointF apogee = f.Chart().CurvePoints(Curve::Altitude).at(s.apogeeIndex);
  const QPoint at = f.Chart().PlotPosition(Curve::Altitude, apogee);

  // A rectangle around the apogee.
  QWidget* plot = f.Chart().PlotWidget();
  const QPoint from = at + QPoint(-60, -20), to = at + QPoint(60, 120);
  QTest::mousePress(plot, Qt::LeftButton, {}, from);
  QTest::mouseMove(plot, to);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
  ASSERT_EQ(f.Chart().ZoomDepth(), 1);
  const QImage zoomed = f.Grab();
  const QPoint apogeeNow = f.Chart().PlotPosition(Curve::Altitude, apogee);
  EXPECT_GT((apogeeNow - at).manhattanLength(), 100) << "the zoom moved the apogee";
  EXPECT_TRUE(Near(zoomed, apogeeNow, 3, Red)) << "the curve passes its apogee";
  EXPECT_GT(Count(zoomed, f.Area(), Red), 300);
  EXPECT_EQ(Stray(f, zoomed, Curve::Altitude, Red), 0) << "nothing drawn off the curve";
  // The apogee marker stands on the curve.
  bool markerOnApogee = false;
  for (const auto& [label, p] : f.Chart().VisibleMarkerPositions())
    markerOnApogee |= (p - apogeeNow).manhattanLength() <= 2;
  EXPECT_TRUE(markerOnApogee);

  // The cursor's readout names the samples under the mouse; a right click undoes the step and
  // drops the readout (it named samples of the zoomed view): the very first picture again.
  // Moves redraw the cursor's layer alone: the picture is the one a full redraw makes.
  for (int dx : {-200, -150, 40, 0}) {
    QTest::mouseMove(plot, at + QPoint(dx, 0));
    f.Grab();
  }
  EXPECT_FALSE(f.Chart().ReadoutText().isEmpty());
  const QImage moved = f.Grab();
  f.Chart().Repaint();
  EXPECT_EQ(f.Grab(), moved) << "the cursor left pixels behind";
  QTest::mouseClick(plot, Qt::RightButton, {}, at);
  ASSERT_EQ(f.Chart().ZoomDepth(), 0);
  EXPECT_TRUE(f.Chart().ReadoutText().isEmpty());
  EXPECT_EQ(f.Grab(), first);
}

// Moves of the cursor redraw its layer alone, the reference line with it. On screen, after every
// move, the picture is the one a whole new drawing makes, and the reference line stands whole
// once the cursor and its readout have passed over it.
TEST(ChartDrawn, TheCursorPassesTheReferenceLineWithoutLeavingPixels) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Trigger("accelerationAction");  // off: nothing near the bottom of the plot but the ground
  f.Open(ExamplePath("sample-flight.hyp"));
  QWidget* plot = f.Chart().PlotWidget();
  const QRect area = f.Area();
  const FlightStatistics s = f.Workspace().Statistics(FlightSlot::Main);
  const int x = f.Chart().PlotPosition(Curve::Altitude, QPointF(s.apogeeIndex, 0)).x();
  // A click under the apogee, far from the curve, sets the reference point there.
  QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(x, area.bottom() - 20));
  ASSERT_TRUE(f.Chart().ReferenceShown());
  auto referencePixels = [&](const QImage& image) {
    return Count(image, QRect(x - 1, area.top(), 3, area.height()), [](QRgb c) {
      return qGreen(c) > qRed(c) + 25 && qGreen(c) > qBlue(c) + 25;
    });
  };
  const int whole = referencePixels(f.OnScreen());
  EXPECT_GT(whole, area.height() / 4) << "the dashed reference line is drawn";
  // From the left of the line, the box passing over it, across it, and away to the right.
  for (int dx : {-400, -300, -150, -40, -9, -1, 0, 2, 30, 250, -200, 300}) {
    QTest::mouseMove(plot, QPoint(std::clamp(x + dx, area.left() + 2, area.right() - 2),
                                  area.center().y()));
    const QImage moved = f.OnScreen();
    ASSERT_FALSE(f.Chart().ReadoutText().isEmpty());
    f.Chart().Repaint();
    EXPECT_EQ(f.OnScreen(), moved) << "pixels left behind after the move to " << dx;
  }
  EXPECT_EQ(referencePixels(f.OnScreen()), whole) << "the reference line is whole again";
  // Esc clears both: nothing of them stays on screen.
  f.Trigger("clearReadoutAction");
  EXPECT_EQ(referencePixels(f.OnScreen()), 0);
  const QImage cleared = f.OnScreen();
  f.Chart().Repaint();
  EXPECT_EQ(f.OnScreen(), cleared);
}

// A move of the mouse draws the cursor where the mouse is without drawing the whole chart again
// (the curves of a long flight take far longer); a change of the data does draw it all.
TEST(ChartDrawn, AMouseMoveRedrawsTheCursorAlone) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("sample-flight.hyp"));
  QWidget* plot = f.Chart().PlotWidget();
  const QRect area = f.Area();
  f.Grab();  // every drawing asked for so far is done
  QSignalSpy fullDrawings(plot, SIGNAL(afterReplot()));
  ASSERT_TRUE(fullDrawings.isValid());
  const ColourTest cursorGrey = [](QRgb c) { return Grey(c) && qGray(c) < 160; };
  for (int dx : {100, 400, 250, 700}) {
    const int x = area.left() + dx;
    QTest::mouseMove(plot, QPoint(x, area.center().y()));
    const QImage image = f.Grab();
    EXPECT_FALSE(f.Chart().ReadoutText().isEmpty());
    EXPECT_GT(Count(image, QRect(x - 1, area.top(), 3, area.height()), cursorGrey),
              area.height() / 2)
        << "no cursor line under the mouse at " << dx;
  }
  EXPECT_EQ(fullDrawings.count(), 0) << "a move drew the whole chart";
  f.Trigger("accelerationAction");
  f.Grab();
  EXPECT_GT(fullDrawings.count(), 0) << "new data was not drawn";
}

// At a whole pixel ratio k of 2 or more the chart is drawn at the screen's resolution: a picture
// drawn at one pixel per logical pixel and enlarged is made of k x k blocks of one colour, while
// the antialiased edges of curves and text fall inside such blocks.
TEST(ChartDrawn, TheChartIsDrawnAtTheScreensResolution) {
  const double ratio = ExpectedRatio();
  const int k = static_cast<int>(ratio);
  if (k < 2 || k != ratio) GTEST_SKIP() << "for a whole pixel ratio of 2 or more";
  ChartFixture f;
  f.Show(800, 600);
  f.Open(ExamplePath("sample-flight.hyp"));
  const QImage image = f.Grab();
  int split = 0, blocks = 0;
  for (int y = 0; y + k <= image.height(); y += k)
    for (int x = 0; x + k <= image.width(); x += k) {
      ++blocks;
      bool one = true;
      for (int dy = 0; dy < k && one; ++dy)
        for (int dx = 0; dx < k && one; ++dx) one = At(image, x + dx, y + dy) == At(image, x, y);
      split += !one;
    }
  EXPECT_GT(split, blocks / 100) << "the picture is an enlarged one";
}

TEST(ChartDrawn, ACurveClickRemovesTheCurveAndItsPanel) {
  ChartFixture f;
  f.Show(1280, 800);
  f.Open(ExamplePath("sample-flight.hyp"));
  f.Compare(ExamplePath("flight-25hz-plateaus.hyp"));
  f.Trigger("accelerationAction");  // the acceleration off: only the two flights remain
  // Clicks on a run of the curve's pixels away from the other curve, found by a scan as a
  // user finds them.
  auto clickOn = [&f](const ColourTest& is, const ColourTest& other) {
    return ClickOnCurve(f, is, other);
  };
  ASSERT_GT(Count(f.Grab(), f.Area(), Red), 200);
  const bool clicked = clickOn(Red, Yellow);
  ASSERT_TRUE(clicked);
  EXPECT_EQ(Count(f.Grab(), f.Area(), Red), 0) << "the red curve is gone";
  EXPECT_TRUE(f.Control<QLineEdit>("mainMaximumField")->text().trimmed().isEmpty());
  EXPECT_FALSE(f.Chart().ReferenceShown());
  EXPECT_GT(Count(f.Grab(), f.Area(), Yellow), 200) << "the other curve stays";

  ASSERT_TRUE(clickOn(Yellow, Red));
  EXPECT_EQ(Count(f.Grab(), f.Area(), Yellow), 0) << "the yellow curve is gone";
  EXPECT_TRUE(f.Control<QLineEdit>("comparisonMaximumField")->text().trimmed().isEmpty());
}

TEST(ChartDrawn, LegendTitlesAreDrawnInBothLanguagesAtEverySize) {
  ChartFixture f;
  f.Show(800, 600);
  f.Open(ExamplePath("sample-flight.hyp"));
  f.Compare(ExamplePath("flight-1hz.hyp"));
  // The legend row above the plot: each entry's line sample in the curve's colour, and dark
  // text right of it.
  auto titlesDrawn = [&f](const char* what) -> QImage {
    SCOPED_TRACE(what);
    const QImage image = f.Grab();
    const QRect row(0, 0, f.Chart().PlotWidget()->width(), f.Area().top() - 2);
    for (const ColourTest is : {Red, Blue, Yellow}) {
      int sampleRight = -1;
      for (int x = 0; x < row.width(); ++x)
        if (Count(image, QRect(x, row.top(), 1, row.height()), is) > 0) sampleRight = x;
      EXPECT_GE(sampleRight, 0) << "a legend entry has no line sample";
      EXPECT_GT(Count(image, QRect(sampleRight + 2, row.top(), 60, row.height()), Dark), 15)
          << "a legend entry has no title";
    }
    return image.copy(Device(image, row));
  };
  const QImage polish = titlesDrawn("Polish at 800x600");
  f.Trigger("englishAction");
  const QImage english = titlesDrawn("English at 800x600");
  EXPECT_NE(polish, english) << "the titles follow the language";
  f.Window().resize(1280, 800);
  titlesDrawn("grown to 1280x800");
  f.Window().resize(820, 610);
  titlesDrawn("shrunk again");
  f.Control<QToolBar>("contestBar")->show();
  titlesDrawn("with the contest line");
  f.Trigger("statisticsAction");
  f.Trigger("statisticsAction");
  titlesDrawn("with the statistics dock toggled");
  EXPECT_EQ(Stray(f, f.Grab(), Curve::Altitude, Red), 0);

  // A legend click removes nothing and sets no reference point.
  const QImage before = f.Grab();
  int x = 0;
  for (int k = 0; k < f.Chart().PlotWidget()->width(); ++k)
    if (Count(before, QRect(k, 0, 1, f.Area().top() - 2), Red) > 0) x = k;
  QTest::mouseClick(f.Chart().PlotWidget(), Qt::LeftButton, {}, QPoint(x + 10, 8));
  EXPECT_GT(f.Chart().CurvePoints(Curve::Altitude).size(), 0);
  EXPECT_FALSE(f.Chart().ReferenceShown());
}

TEST(ChartDrawn, MarkersOfFlightsThatLaunchTogetherStayReadable) {
  for (const QSize size : {QSize(800, 600), QSize(1920, 1080)}) {
    SCOPED_TRACE(size.width());
    ChartFixture f;
    f.Show(size.width(), size.height());
    if (f.Chart().Markers().empty()) {
      f.Open(ExamplePath("sample-flight.hyp"));
      if (f.Chart().Markers().empty()) f.Trigger("markersAction");
    }
    // The same flight twice: every marker of one stands on a marker of the other, and one
    // label names both ("S", not "S S").
    f.Open(ExamplePath("sample-flight.hyp"));
    f.Compare(ExamplePath("sample-flight.hyp"));
    const auto labels = f.Chart().VisibleMarkerLabels();
    const auto dots = f.Chart().VisibleMarkerPositions();
    ASSERT_EQ(dots.size(), 6u);
    ASSERT_EQ(labels.size(), 3u);
    ASSERT_EQ(dots[0].second, dots[3].second);
    std::vector<QPoint> curve;
    for (const QPointF& p : f.Chart().CurvePoints(Curve::Altitude))
      curve.push_back(f.Chart().PlotPosition(Curve::Altitude, p));
    const QImage image = f.Grab();
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const QRect r = labels[i].second;
      const std::string name = labels[i].first.toStdString();
      EXPECT_TRUE(f.Area().adjusted(-1, -1, 1, 1).contains(r)) << name;
      // Its text is painted where it says, and no other label, dot or curve is there.
      EXPECT_GT(Count(image, r, Dark), 2) << name;
      for (std::size_t j = 0; j < labels.size(); ++j) {
        if (j != i) {
          EXPECT_FALSE(r.intersects(labels[j].second))
              << name << " and " << labels[j].first.toStdString();
        }
      }
      for (const auto& dot : dots) EXPECT_FALSE(r.contains(dot.second)) << name;
      EXPECT_TRUE(std::none_of(curve.begin(), curve.end(), [&r](QPoint p) { return r.contains(p); }))
          << name << " covers the curve";
    }
  }
}
