// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's exchanges with the simulated altimeter on a pseudo-terminal: zeroing,
// downloading, and what the window keeps when a download fails.
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
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::Child;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;
using hypsor::test::SimProcess;

using hypsor::test::ReadFile;
using hypsor::test::Ys;

namespace {

struct Attached : MainWindowFixture {
  explicit Attached(const SimProcess& sim) {
    Create();
    EXPECT_TRUE(SetPortName(Workspace().Settings(), sim.PortName()));
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
};

}  // namespace

TEST(DeviceActions, ReadShowsTheFlightAndSaveWritesWhatCame) {
  SimProcess sim({"--calibration", "10250"});
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  Attached f(sim);
  MainWindow& w = f.Window();
  QLineEdit* banner = f.Control<QLineEdit>("downloadBanner");
  QProgressBar* progress = f.Control<QProgressBar>("downloadProgress");
  ASSERT_TRUE(banner && progress);

  // While the download runs the banner and the progress bar are up, and the window answers.
  bool bannerSeen = false, progressSeen = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    bannerSeen |= banner->isVisible() && banner->text() == "   Odczyt - czekaj";
    progressSeen |= progress->isVisible();
  });
  probe.start(50);
  f.Click("readButton");
  probe.stop();
  EXPECT_TRUE(bannerSeen);
  EXPECT_TRUE(progressSeen);
  EXPECT_FALSE(banner->isVisible());
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes[0].text.toStdString();

  // The same curve and fields as opening the sim's file with the calibration written in.
  QByteArray sent = ReadFile(ExamplePath("sample-flight.hyp"));
  sent[0] = 0;
  sent[8] = char(10250 & 0xff);
  sent[9] = char(10250 >> 8);
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
  SimProcess sim;
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
  Attached f(sim);
  f.Trigger("englishAction");

  f.boxes.answers << BoxResult::Cancel;
  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Reset. Sure?");
  EXPECT_EQ(f.boxes.boxes[0].caption, "Reset");
  EXPECT_TRUE(sim.ReceivedFrames().isEmpty()) << "Cancel sends nothing";

  f.Click("zeroButton");
  ASSERT_EQ(f.boxes.boxes.size(), 3);
  EXPECT_EQ(f.boxes.boxes[2].text, "Reset - OK");
  EXPECT_EQ(f.boxes.boxes[2].caption, "Reset");
  ASSERT_EQ(sim.ReceivedFrames().size(), 1);
  EXPECT_EQ(sim.ReceivedFrames()[0], QByteArray("e223\0\0\0\0", 8));
}

TEST(DeviceActions, AFailedDownloadKeepsThePreviousFlightForSaveAndRedraw) {
  QByteArray good;
  {
    SimProcess sim({"--no-pacing"});
    ASSERT_TRUE(sim.Started());
    Attached f(sim);
    MainWindow& w = f.Window();
    f.Click("readButton");
    ASSERT_TRUE(f.boxes.boxes.isEmpty());
    const std::vector<float> before = Ys(w.Chart().CurvePoints(Curve::Altitude));
    const std::int32_t count = f.Workspace().DownloadByteCount();

    // The altimeter is pulled out in the middle of the next flight.
    SimProcess gone({"--fault", "hangup"});
    ASSERT_TRUE(gone.Started());
    ASSERT_TRUE(SetPortName(f.Workspace().Settings(), gone.PortName()));
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
  SimProcess sim({"--fault", "silent"});
  ASSERT_TRUE(sim.Started());
  Attached f(sim);
  MainWindow& w = f.Window();
  f.Click("readButton");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_FALSE(w.Channel().IsOpen());
  EXPECT_FALSE(f.Control<QLineEdit>("downloadBanner")->isVisible());
  EXPECT_EQ(f.Workspace().DownloadByteCount(), 0);

  // A port that does not exist: the open-failure box with the port's name.
  ASSERT_TRUE(SetPortName(f.Workspace().Settings(), "pts/999"));
  f.Click("readButton");
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].text.section('\n', 0, 0), "Błąd komunikacji z portem: pts/999");
}

TEST(DeviceActions, DeviceSettingsReadTheAltimeterBeforeShowingTheirWindow) {
  SimProcess sim({"--no-pacing", "--competitor", "42", "--trigger", "120"});
  ASSERT_TRUE(sim.Started());
  Attached f(sim);
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
