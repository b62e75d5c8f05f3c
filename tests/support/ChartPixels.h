// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the drawn chart: curve colours, device pixels at any pixel ratio, and a window fixture
// that shows the chart where test mouse moves land.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/MainWindowFixture.h"
#include "ui/FlightChart.h"

namespace hypsor::test {

// Pixels are read as 32-bit values straight from the image's lines: the scans below cover whole
// plots many times over.
using ColourTest = bool (*)(QRgb);
// The curves' colours, strictly enough that grid, text and the other curves never pass. Lines
// are antialiased: at a fractional pixel ratio a thin one is partly blended into the ground.
inline bool Red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 70 && qBlue(c) < 70; }
inline bool Yellow(QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 70; }
inline bool Blue(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90 && qGreen(c) < 90; }
inline bool Dark(QRgb c) { return qGray(c) < 90; }
// Neutral grey: the background, the grid, the cursor line, and their blends.
inline bool Grey(QRgb c) { return std::abs(qRed(c) - qGreen(c)) < 8 && std::abs(qGreen(c) - qBlue(c)) < 8; }

// The pixel at device pixel (x, y) of an image in Format_RGB32.
inline QRgb At(const QImage& image, int x, int y) {
  return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

// The chart places everything in logical pixels; a grabbed picture holds device pixels, ratio
// of them to a logical one each way.
inline double Ratio(const QImage& image) {
  return image.devicePixelRatio();
}

// The device pixels that cover a rectangle of logical pixels.
inline QRect Device(const QImage& image, QRect r) {
  const double k = Ratio(image);
  const QPoint topLeft(static_cast<int>(std::floor(r.left() * k)),
                       static_cast<int>(std::floor(r.top() * k)));
  const QPoint bottomRight(static_cast<int>(std::ceil((r.right() + 1) * k)) - 1,
                           static_cast<int>(std::ceil((r.bottom() + 1) * k)) - 1);
  return QRect(topLeft, bottomRight).intersected(image.rect());
}

// The device pixel at the middle of logical pixel (x, y).
inline QRgb AtLogical(const QImage& image, int x, int y) {
  const double k = Ratio(image);
  return At(image, std::min(static_cast<int>((x + 0.5) * k), image.width() - 1),
            std::min(static_cast<int>((y + 0.5) * k), image.height() - 1));
}

// The ratio the suite runs at: QT_SCALE_FACTOR's, or 1.
inline double ExpectedRatio() {
  bool ok = false;
  const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok ? factor : 1.0;
}

struct ChartFixture : MainWindowFixture {
  // The window at the screen's top left: under QT_SCALE_FACTOR, Qt 6.4's test mouse moves land
  // off by a share of the window's distance from it.
  void Show(int width, int height) {
    Create();
    Window().setGeometry(0, 0, width, height);
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    EXPECT_EQ(Window().size(), QSize(width, height)) << "the screen is too small";
  }
  FlightChart& Chart() { return Window().Chart(); }
  QImage Grab() {
    QApplication::processEvents();
    QImage image = Chart().PlotWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_DOUBLE_EQ(Ratio(image), ExpectedRatio()) << "not drawn at the suite's pixel ratio";
    return image;
  }
  QRect Area() { return Chart().PlotArea(); }
  // What the screen shows of the plot: the parts each paint covered, laid over what was there.
  QImage OnScreen() {
    QApplication::processEvents();
    QWidget* plot = Chart().PlotWidget();
    const QPoint at = plot->mapTo(plot->window(), QPoint(0, 0));
    return plot->screen()
        ->grabWindow(plot->window()->winId(), at.x(), at.y(), plot->width(), plot->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
};

// Pixels of the colour in a rectangle of logical pixels, counted in device pixels.
inline int Count(const QImage& image, QRect logical, const ColourTest& is) {
  const QRect r = Device(image, logical);
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += is(At(image, x, y));
  return n;
}

inline bool Near(const QImage& image, QPoint at, int radius, const ColourTest& is) {
  return Count(image, QRect(at - QPoint(radius, radius), QSize(2 * radius + 1, 2 * radius + 1)),
               is) > 0;
}

// Pixels of the colour inside the plot area that stand away from every segment of the curve
// as the chart places it (markers, drawn in the curve's colour too, are left out).
inline int Stray(ChartFixture& f, const QImage& image, Curve curve, const ColourTest& is) {
  FlightChart& chart = f.Chart();
  const QList<QPointF> points = chart.CurvePoints(curve);
  std::vector<QPoint> px;
  for (const QPointF& p : points) px.push_back(chart.PlotPosition(curve, p));
  std::vector<QPoint> marks;
  for (const auto& m : chart.VisibleMarkerPositions()) marks.push_back(m.second);
  const QRect area = Device(image, f.Area().adjusted(1, 1, -1, -1));
  const double k = Ratio(image);
  // A curve runs left to right: only the segments around a pixel's column need a look.
  const bool leftToRight = std::is_sorted(
      px.begin(), px.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
  int stray = 0;
  for (int deviceY = area.top(); deviceY <= area.bottom(); ++deviceY)
    for (int deviceX = area.left(); deviceX <= area.right(); ++deviceX) {
      if (!is(At(image, deviceX, deviceY))) continue;
      // The device pixel's middle in logical pixels (where logical pixel n's middle is n).
      const double x = (deviceX + 0.5) / k - 0.5, y = (deviceY + 0.5) / k - 0.5;
      if (std::any_of(marks.begin(), marks.end(), [&](QPoint m) {
            return std::abs(m.x() - x) + std::abs(m.y() - y) < 30;
          }))
        continue;
      bool onCurve = false;
      std::size_t first = 1;
      if (leftToRight) {
        const auto from = std::lower_bound(px.begin(), px.end(), x - 3,
                                           [](QPoint p, double left) { return p.x() < left; });
        first = std::max<std::size_t>(1, static_cast<std::size_t>(from - px.begin()));
      }
      for (std::size_t i = first; i < px.size() && !onCurve; ++i) {
        const QPoint a = px[i - 1], b = px[i];
        if (leftToRight && a.x() > x + 3) break;
        if (x < std::min(a.x(), b.x()) - 3 || x > std::max(a.x(), b.x()) + 3) continue;
        // Distance from the segment.
        const QPointF d = b - a, p = QPointF(x, y) - QPointF(a);
        const double len2 = d.x() * d.x() + d.y() * d.y();
        const double t = len2 > 0 ? std::clamp((p.x() * d.x() + p.y() * d.y()) / len2, 0.0, 1.0) : 0;
        const QPointF q = p - t * d;
        onCurve = std::hypot(q.x(), q.y()) <= 3.0;
      }
      stray += !onCurve;
    }
  return stray;
}

// Clicks a drawn curve of one colour where no curve of the other colour is near; false when no
// such place is drawn.
inline bool ClickOnCurve(ChartFixture& f, const ColourTest& is, const ColourTest& other) {
  const QImage image = f.Grab();
  const QRect area = f.Area().adjusted(4, 4, -4, -4);
  for (int x = area.left() + area.width() / 3; x < area.right(); x += 5)
    for (int y = area.top(); y < area.bottom(); ++y)
      if (is(AtLogical(image, x, y)) && is(AtLogical(image, x, y + 1)) &&
          !Near(image, QPoint(x, y), 10, other)) {
        QTest::mouseClick(f.Chart().PlotWidget(), Qt::LeftButton, {}, QPoint(x, y + 1));
        return true;
      }
  return false;
}

}  // namespace hypsor::test
