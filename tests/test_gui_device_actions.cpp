// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's exchanges with a scripted altimeter on virtual time: zeroing, downloading,
// reading the settings, and what the window keeps when a download fails (test_gui_device_port
// runs them over a real port).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "device/DeviceChannel.h"
#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "session/DeviceController.h"
#include "tests/support/ScriptedWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/TestFlights.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::Child;
using hypsor::test::ExamplePath;
using hypsor::test::ScriptedWindowFixture;

using hypsor::test::ReadFile;
using hypsor::test::Ys;

TEST(DeviceActions, ReadShowsTheFlightAndSaveWritesWhatCame) {
  ScriptedWindowFixture f;
  MainWindow& w = f.Window();
  QLineEdit* banner = f.Control<QLineEdit>("downloadBanner");
  QProgressBar* progress = f.Control<QProgressBar>("downloadProgress");
  ASSERT_TRUE(banner && progress);
  const QByteArray sent = test::SampleFlightAsSent(10250);
  f.altimeter.flight = sent;
  f.altimeter.calibration = 10250;

  // While the download runs (held in a poll, the flight trickling in) the banner and the
  // progress bar are up, and the window answers.
  f.altimeter.chunkMs = 20;
  f.clock.StopAt(4 * SettleStepMs + DownloadPollMs + 100);
  QTest::mouseClick(f.Control<QPushButton>("readButton"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.clock.Reached(); }, 20000));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return banner->isVisible() && banner->text() == "   Odczyt - czekaj"; }, 5000));
  EXPECT_TRUE(progress->isVisible());
  f.clock.Go();
  f.WaitForExchange();
  EXPECT_FALSE(banner->isVisible());
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes[0].text.toStdString();

  // The same curve and fields as opening the flight that was sent.
  const QString expectedPath = f.dir.filePath("expected.hyp");
  {
    QFile out(expectedPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(sent);
  }
  Flight expected;
  ASSERT_EQ(LoadFlightFile(expectedPath, expected).status, FlightFileStatus::Ok);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)),
            DecodeFlight(expected, expected.SampleCount, {}).altitude);
  auto* competitor = f.Control<QLineEdit>("mainCompetitorField");
  auto* temperature = f.Control<QLineEdit>("mainTemperatureField");
  auto* panel = f.Control<QGroupBox>("mainPanel");
  ASSERT_TRUE(competitor && temperature && panel);
  EXPECT_EQ(competitor->text(), QString::number(expected.competitor));
  EXPECT_EQ(temperature->text(), QString::number(expected.temperature));
  EXPECT_FALSE(temperature->isReadOnly());
  EXPECT_EQ(panel->title(), "Hypsor");

  const QString saved = f.dir.filePath("saved.hyp");
  f.dialogs.saveNames << saved;
  f.Click("saveButton");
  EXPECT_EQ(ReadFile(saved), sent);
}

TEST(DeviceActions, ZeroAsksFirstAndReportsTheAnswer) {
  ScriptedWindowFixture f;
  f.Trigger("englishAction");

  f.boxes.answers << BoxResult::Cancel;
  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Reset. Sure?");
  EXPECT_EQ(f.boxes.boxes[0].caption, "Reset");
  EXPECT_TRUE(test::ReceivedFrames(f.scripted).isEmpty()) << "Cancel sends nothing";

  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 3);
  EXPECT_EQ(f.boxes.boxes[2].text, "Reset - OK");
  EXPECT_EQ(f.boxes.boxes[2].caption, "Reset");
  EXPECT_EQ(test::ReceivedFrames(f.scripted), QList<QByteArray>({QByteArray("e223\0\0\0\0", 8)}));
  EXPECT_FALSE(f.Window().Channel().IsOpen());
}

// A result's box opens once the controller is idle: the box's own event loop never runs inside
// the reports of an exchange still going on.
TEST(DeviceActions, ResultBoxesOpenOnlyOnceTheControllerIsIdle) {
  ScriptedWindowFixture f;
  MainWindow& w = f.Window();
  f.boxes.controllerBusy = [&w] { return w.Device().Busy(); };
  f.Trigger("englishAction");
  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].text, "Reset - OK");
  EXPECT_EQ(f.boxes.boxes[1].controllerBusy, false);

  f.altimeter.silent = true;
  f.Click("readButton");
  ASSERT_EQ(f.boxes.boxes.size(), 3);
  EXPECT_EQ(f.boxes.boxes[2].caption, "Hypsor - error");
  EXPECT_EQ(f.boxes.boxes[2].controllerBusy, false);
  EXPECT_FALSE(w.ExchangeRunning());
}

TEST(DeviceActions, AFailedDownloadKeepsThePreviousFlightForSaveAndRedraw) {
  {
    ScriptedWindowFixture f;
    MainWindow& w = f.Window();
    f.altimeter.flight = test::SampleFlightAsSent(10000);
    f.Click("readButton");
    ASSERT_TRUE(f.boxes.boxes.isEmpty());
    const std::vector<float> before = Ys(w.Chart().CurvePoints(Curve::Altitude));
    const std::int32_t count = f.Workspace().DownloadByteCount();
    ASSERT_EQ(count, f.altimeter.flight.size());

    // The altimeter is pulled out in the middle of the next flight, after about half of it.
    const int chunks = (f.altimeter.flight.size() + f.altimeter.chunk - 1) / f.altimeter.chunk;
    f.altimeter.hangUpInFlightMs = 5 + chunks / 2 * f.altimeter.chunkMs;
    f.Click("readButton");
    ASSERT_EQ(f.boxes.boxes.size(), 1);
    EXPECT_EQ(f.boxes.boxes[0].text, "Błąd komunikacji");
    EXPECT_FALSE(w.Channel().IsOpen());
    EXPECT_EQ(f.Workspace().DownloadByteCount(), count);

    // A redraw (temperature entry) shows the previous flight, and Save writes it.
    auto* temperature = f.Control<QLineEdit>("mainTemperatureField");
    ASSERT_NE(temperature, nullptr);
    temperature->setFocus();
    QTest::keyClick(temperature, Qt::Key_Return);
    EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), before);
    const QString saved = f.dir.filePath("kept.hyp");
    f.dialogs.saveNames << saved;
    f.Click("saveButton");
    EXPECT_EQ(ReadFile(saved).size(), count);
  }
}

TEST(DeviceActions, ASilentAltimeterEndsInACommunicationErrorAndThePortClosed) {
  ScriptedWindowFixture f;
  f.altimeter.silent = true;
  MainWindow& w = f.Window();
  f.Click("readButton");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_FALSE(w.Channel().IsOpen());
  EXPECT_FALSE(f.Control<QLineEdit>("downloadBanner")->isVisible());
  EXPECT_EQ(f.Workspace().DownloadByteCount(), 0);

  // A port that does not exist: the open-failure box with the port's name.
  ASSERT_TRUE(SetPortName(f.Workspace().Settings(), "pts/999"));
  f.scripted.RefuseOpen(PortOpenError::NotFound, QStringLiteral("No such file or directory"));
  f.Click("readButton");
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].text.section('\n', 0, 0), "Błąd komunikacji z portem: pts/999");
}

TEST(DeviceActions, DeviceSettingsReadTheAltimeterBeforeShowingTheirWindow) {
  ScriptedWindowFixture f;
  f.altimeter.Report(42, 1234, 25, 120, 3);
  MainWindow& w = f.Window();
  f.Trigger("englishAction");

  QString competitor, trigger, caption;
  bool portOpenWhileShown = false;
  // The reading runs first (timers fire meanwhile); look until the window is up.
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* form = qobject_cast<DeviceSettingsWindow*>(top); form && form->isVisible()) {
        competitor = Child<QLineEdit>(form, "competitorField")->text();
        trigger = Child<QLineEdit>(form, "triggerField")->text();
        caption = form->windowTitle();
        portOpenWhileShown = w.Channel().IsOpen();
        form->close();
      }
  });
  look.start(50);
  f.Trigger("deviceSettingsAction");
  // The read runs on the controller's thread; meanwhile the banner waits and nothing starts.
  EXPECT_TRUE(f.Control<QLineEdit>("waitBanner")->isVisible());
  EXPECT_FALSE(f.Control<QPushButton>("readButton")->isEnabled());
  EXPECT_FALSE(f.Control<QAction>("deviceSettingsAction")->isEnabled());
  EXPECT_FALSE(f.Control<QPushButton>("cancelExchangeButton")->isVisible())
      << "a settings read is not cancelled";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !caption.isEmpty(); }, 30000));
  look.stop();
  EXPECT_TRUE(f.Control<QPushButton>("readButton")->isEnabled());
  EXPECT_EQ(competitor, "42");
  EXPECT_EQ(trigger, "120");
  EXPECT_EQ(caption, "Setup");
  EXPECT_TRUE(portOpenWhileShown);
  EXPECT_FALSE(w.Channel().IsOpen()) << "closing the window closes the port";
  EXPECT_FALSE(f.Control<QLineEdit>("waitBanner")->isVisible());
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes.value(0).text.toStdString();
}
