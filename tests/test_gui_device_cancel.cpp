// SPDX-License-Identifier: GPL-3.0-or-later
// A download in the window, caught mid-way on a scripted altimeter: while it runs the window
// takes no command that could change the flights (buttons, menus, keys, dropped files), Cancel
// ends it, releases the port and brings back the flight shown before.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "device/DeviceChannel.h"
#include "files/SettingsFile.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"
#include "tests/support/ScriptedWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/TestFlights.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::Samples;

struct Scripted : test::ScriptedWindowFixture {
  // Drops a file on the window; true when the window took it.
  bool Drop(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(Window().width() / 2, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &drop);
    return enter.isAccepted();
  }
};

TEST(DeviceCancel, AWindowDownloadCancelledMidWayKeepsThePreviousFlight) {
  Scripted f;
  MainWindow& w = f.Window();
  f.Open(test::ExamplePath("sample-flight.hyp"));
  const std::vector<float> before = test::Ys(w.Chart().CurvePoints(Curve::Altitude));
  ASSERT_FALSE(before.empty());
  const QString maximum = f.Control<QLineEdit>("mainMaximumField")->text();

  // A flight that trickles in; the exchange is held in its second poll.
  f.altimeter.flight = Samples(2000);
  f.altimeter.chunkMs = 100;
  f.clock.StopAt(4 * SettleStepMs + DownloadPollMs + 100);
  QTest::mouseClick(f.Control<QPushButton>("readButton"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.clock.Reached(); }, 20000));
  // The flight request has reached the window: the chart made room for the new flight.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return w.Chart().CurvePoints(Curve::Altitude).isEmpty(); }, 5000));
  EXPECT_TRUE(w.ExchangeRunning());
  EXPECT_TRUE(f.Control<QLineEdit>("downloadBanner")->isVisible());

  // Nothing that could start another exchange or change the flights is enabled.
  auto* cancel = f.Control<QPushButton>("cancelExchangeButton");
  EXPECT_TRUE(cancel->isVisible() && cancel->isEnabled());
  for (const char* name : {"readButton", "zeroButton", "loadButton", "compareButton",
                           "saveButton", "mainFilterButton"})
    EXPECT_FALSE(f.Control<QWidget>(name)->isEnabled()) << name;
  for (const char* name : {"openAction", "saveAction", "deviceSettingsAction", "exportChartAction"})
    EXPECT_FALSE(f.Control<QAction>(name)->isEnabled()) << name;
  EXPECT_FALSE(w.menuBar()->isEnabled());
  EXPECT_FALSE(f.Drop(test::ExamplePath("flight-1hz.hyp")));
  EXPECT_FALSE(w.OpenFlightFile(test::ExamplePath("flight-1hz.hyp"), FlightSlot::Main));
  // Closing waits for the exchange's end.
  w.close();
  EXPECT_TRUE(w.isVisible());

  QTest::mouseClick(cancel, Qt::LeftButton);
  f.clock.Go();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.ExchangeRunning(); }, 20000));
  EXPECT_FALSE(w.Channel().IsOpen()) << "the port is released";
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << "a cancel is no error";
  EXPECT_EQ(test::Ys(w.Chart().CurvePoints(Curve::Altitude)), before);
  EXPECT_EQ(f.Control<QLineEdit>("mainMaximumField")->text(), maximum);
  EXPECT_FALSE(f.Control<QLineEdit>("downloadBanner")->isVisible());
  EXPECT_FALSE(cancel->isVisible());
  for (const char* name : {"readButton", "loadButton", "mainFilterButton"})
    EXPECT_TRUE(f.Control<QWidget>(name)->isEnabled()) << name;
  EXPECT_TRUE(f.Control<QAction>("openAction")->isEnabled());
  EXPECT_TRUE(w.menuBar()->isEnabled());
  // The close asked for meanwhile happens now.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
}

TEST(DeviceCancel, AWholeScriptedDownloadReplacesTheFlightAndEscCancelsOnlyDuringOne) {
  Scripted f;
  MainWindow& w = f.Window();
  f.altimeter.flight = Samples(300);
  f.Click("readButton");
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_EQ(f.Workspace().DownloadByteCount(), 32 + 602);
  EXPECT_EQ(test::Ys(w.Chart().CurvePoints(Curve::Altitude)).size(), 300u);
  EXPECT_FALSE(f.Control<QPushButton>("cancelExchangeButton")->isVisible());

  // Esc cancels a running download the way the button does. The key goes where the keyboard
  // sends it, to the widget with the focus: the read button had it, and it is disabled now.
  f.clock.StopAt(f.clock.NowMs() + 2 * SettleStepMs + 50);
  w.activateWindow();
  auto* read = f.Control<QPushButton>("readButton");
  read->setFocus();
  QTest::mouseClick(read, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.clock.Reached(); }, 20000));
  QWidget* focus = QApplication::focusWidget();
  auto* cancel = f.Control<QPushButton>("cancelExchangeButton");
  EXPECT_EQ(focus, cancel);
  // Its caption was set in the language in use, which must not take its key away.
  EXPECT_EQ(cancel->shortcut(), QKeySequence(Qt::Key_Escape));
  QTest::keyClick(focus ? focus : &w, Qt::Key_Escape);
  f.clock.Go();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.ExchangeRunning(); }, 20000));
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_EQ(f.Workspace().DownloadByteCount(), 32 + 602) << "the downloaded flight stays";
  EXPECT_EQ(test::Ys(w.Chart().CurvePoints(Curve::Altitude)).size(), 300u);
}

}  // namespace
}  // namespace hypsor
