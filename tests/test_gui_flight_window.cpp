// SPDX-License-Identifier: GPL-3.0-or-later
// The flight actions of the main window, driven through its real widgets: opening a flight,
// the comparison flight, temperature entry, saving, the acceleration switch and chart clicks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>

#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestFlights.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;
using hypsor::test::MakeFlight;

using hypsor::test::ReadFile;

template <class T>
T* C(MainWindow& w, const char* name) {
  return hypsor::test::Child<T>(&w, name);
}
using hypsor::test::Ys;

namespace {

struct Shown : MainWindowFixture {
  Shown() {
    Create();
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
  void TypeTemperature(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    for (int i = 0; i < 4; ++i) QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
};

}  // namespace

TEST(FlightWindow, OpeningAFlightShowsItsCurveLabelsAndHeader) {
  Shown f;
  MainWindow& w = f.Window();
  const QString path = ExamplePath("sample-flight.hyp");
  f.Open(path);
  ASSERT_TRUE(f.boxes.boxes.isEmpty());

  Flight expected;
  ASSERT_EQ(LoadFlightFile(path, expected).status, FlightFileStatus::Ok);
  const DecodedFlight d = DecodeFlight(expected, expected.SampleCount, {true, true});
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), d.altitude);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Acceleration)), d.acceleration);
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->title(), "sample-flight.hyp");
  EXPECT_EQ(C<QLineEdit>(w, "mainCompetitorField")->text(), QString::number(expected.competitor));
  EXPECT_EQ(C<QLineEdit>(w, "mainSerialField")->text(), QString::number(expected.serial));
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), QString::number(expected.temperature));
  EXPECT_FALSE(C<QLineEdit>(w, "mainTemperatureField")->isReadOnly());
  EXPECT_EQ(C<QLineEdit>(w, "mainSamplingField")->text(), "10 pom/sek");
  ASSERT_TRUE(d.MaxAltitude.has_value());
  EXPECT_EQ(C<QLineEdit>(w, "mainMaximumField")->text(),
            FormatAltitude(*d.MaxAltitude, QLocale().decimalPoint().at(0)));
  EXPECT_EQ(w.Chart().RequestedLeftMaximum(), d.axisMaximum);
  // 10 samples a second: whole seconds on every tenth point, thinned only if they crowd.
  const QStringList shown = w.Chart().VisibleTimeLabels();
  ASSERT_FALSE(shown.isEmpty());
  EXPECT_EQ(shown.first(), "0");
  EXPECT_LE(shown.size(), static_cast<qsizetype>(d.altitude.size() / 10 + 1));
}

TEST(FlightWindow, TooShortAndMissingFilesAreRefusedAndChangeNothing) {
  Shown f;
  MainWindow& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const std::vector<float> before = Ys(w.Chart().CurvePoints(Curve::Altitude));

  const QString shortFile = f.dir.filePath("short.hyp");
  ASSERT_TRUE(hypsor::test::WriteFile(shortFile, QByteArray(31, '\x01')));
  f.Open(shortFile);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), before);
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->title(), "sample-flight.hyp");

  C<QAction>(w, "englishAction")->trigger();
  f.Compare(f.dir.filePath("no-such-file.hyp"));
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].caption, "Hypsor - error");
  EXPECT_TRUE(f.boxes.boxes[1].text.contains("no-such-file.hyp"));
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Comparison).size(), 0);

  // A cancelled dialog does nothing at all.
  QTest::mouseClick(C<QPushButton>(w, "loadButton"), Qt::LeftButton);
  EXPECT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), before);
}

TEST(FlightWindow, ComparisonIsDrawnOverTheMainFlightAndKeptApartFromIt) {
  Shown f;
  MainWindow& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const std::vector<float> main = Ys(w.Chart().CurvePoints(Curve::Altitude));
  f.Compare(ExamplePath("flight-25hz-plateaus.hyp"));

  Flight cmp;
  ASSERT_EQ(LoadFlightFile(ExamplePath("flight-25hz-plateaus.hyp"), cmp).status,
            FlightFileStatus::Ok);
  const DecodedFlight dc = DecodeFlight(cmp, cmp.SampleCount, {false, false});
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Comparison)), dc.altitude);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), main);
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->title(), "flight-25hz-plateaus.hyp");
  EXPECT_EQ(C<QLineEdit>(w, "comparisonSamplingField")->text(), "25 pom/sek");
  EXPECT_EQ(C<QLineEdit>(w, "comparisonTemperatureField")->text(),
            QString::number(cmp.temperature));
  EXPECT_FALSE(C<QLineEdit>(w, "comparisonTemperatureField")->isReadOnly());
  EXPECT_TRUE(C<QAction>(w, "comparisonAction")->isChecked());

  // Removing the comparison from the menu empties its panel; the mark comes back on a second
  // toggle without a curve.
  C<QAction>(w, "comparisonAction")->trigger();
  EXPECT_FALSE(C<QAction>(w, "comparisonAction")->isChecked());
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Comparison).size(), 0);
  EXPECT_TRUE(C<QLineEdit>(w, "comparisonMaximumField")->text().isEmpty());
  EXPECT_TRUE(C<QLineEdit>(w, "comparisonTemperatureField")->text().isEmpty());
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->title(), "Plik");
  C<QAction>(w, "comparisonAction")->trigger();
  EXPECT_TRUE(C<QAction>(w, "comparisonAction")->isChecked());
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Comparison).size(), 0);
}

TEST(FlightWindow, TemperatureFieldFiltersKeysAndEnterRedraws) {
  Shown f;
  MainWindow& w = f.Window();

  // Enter before any flight: the field is empty, the entry is refused.
  C<QLineEdit>(w, "mainTemperatureField")->setFocus();
  QTest::keyClick(C<QLineEdit>(w, "mainTemperatureField"), Qt::Key_Return);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Zła wartośc temperatury");

  const QString path = f.dir.filePath("t.hyp");
  ASSERT_TRUE(hypsor::test::WriteFile(path, MakeFlight({8800, 8900, 9800, 8700, 9000}, 3, 20)));
  f.Open(path);
  const std::vector<float> at20 = Ys(w.Chart().CurvePoints(Curve::Altitude));

  C<QLineEdit>(w, "mainTemperatureField")->setFocus();
  C<QLineEdit>(w, "mainTemperatureField")->clear();
  QTest::keyClicks(C<QLineEdit>(w, "mainTemperatureField"), "1234");
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), "123");
  C<QLineEdit>(w, "mainTemperatureField")->selectAll();
  QTest::keyClicks(C<QLineEdit>(w, "mainTemperatureField"),
                   "9");  // three characters: still refused, selection or not
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), "123");
  C<QLineEdit>(w, "mainTemperatureField")->clear();
  QTest::keyClicks(C<QLineEdit>(w, "mainTemperatureField"), "a +,.-");
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), "-");
  QTest::keyClicks(C<QLineEdit>(w, "mainTemperatureField"), "--");
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), "---");

  // An invalid text: message, nothing recomputed.
  QTest::keyClick(C<QLineEdit>(w, "mainTemperatureField"), Qt::Key_Return);
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), at20);

  // Enter with a valid text redraws the curve (the arithmetic is the workspace's, tested there).
  f.TypeTemperature(C<QLineEdit>(w, "mainTemperatureField"), "-12");
  EXPECT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_NEAR(Ys(w.Chart().CurvePoints(Curve::Altitude))[1], at20[1] * (273.16 - 12) / 293.16,
              1e-3);
}

TEST(FlightWindow, SavingWritesTheLastDownloadOnlyAndNeverDestroysAFile) {
  Shown f;
  MainWindow& w = f.Window();
  QTest::mouseClick(C<QPushButton>(w, "saveButton"), Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Brak danych");
  EXPECT_EQ(f.dialogs.saveAsked, 0);

  // A download has happened (the device session puts it here); then a file is opened.
  const QByteArray downloaded = MakeFlight({8800, 8900, 9000, 9100}, 3, 21);
  DownloadResult done;
  done.outcome = DownloadOutcome::Ok;
  done.flight.emplace();
  ASSERT_TRUE(SetFlightBytes(*done.flight,
                             std::span(reinterpret_cast<const std::uint8_t*>(downloaded.data()),
                                       static_cast<std::size_t>(downloaded.size()))));
  ApplyFlightHeader(*done.flight);
  done.DownloadByteCount = static_cast<std::int32_t>(downloaded.size());
  ASSERT_TRUE(w.Workspace().ApplyDownload(done));
  f.Open(ExamplePath("sample-flight.hyp"));

  const QString target = f.dir.filePath("saved.hyp");
  f.dialogs.saveNames << target;
  QTest::mouseClick(C<QPushButton>(w, "saveButton"), Qt::LeftButton);
  EXPECT_EQ(ReadFile(target), downloaded);

  // Saved then opened: the same curve as the flight itself.
  f.Open(target);
  Flight direct;
  ASSERT_TRUE(
      SetFlightBytes(direct, std::span(reinterpret_cast<const std::uint8_t*>(downloaded.data()),
                                       static_cast<std::size_t>(downloaded.size()))));
  ApplyFlightHeader(direct);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)),
            DecodeFlight(direct, direct.SampleCount, {}).altitude);
  EXPECT_EQ(C<QLineEdit>(w, "mainTemperatureField")->text(), "21");

  // The file exists: Cancel keeps it as it is.
  ASSERT_TRUE(hypsor::test::WriteFile(target, "old contents"));
  f.dialogs.saveNames << target;
  f.boxes.answers << BoxResult::Cancel;
  QTest::mouseClick(C<QPushButton>(w, "saveButton"), Qt::LeftButton);
  EXPECT_EQ(f.boxes.boxes.last().text, "Plik istnieje. Zapisać?");
  EXPECT_EQ(f.boxes.boxes.last().buttons, BoxButtons::OkCancel);
  EXPECT_EQ(ReadFile(target), "old contents");

  // A save that cannot be written is reported, and the old file stays whole.
  const QString blocked = f.dir.filePath("blocked");
  QDir().mkpath(blocked);
  f.dialogs.saveNames << blocked + "/../blocked";
  const int boxesBefore = static_cast<int>(f.boxes.boxes.size());
  QTest::mouseClick(C<QPushButton>(w, "saveButton"), Qt::LeftButton);
  EXPECT_GT(f.boxes.boxes.size(), boxesBefore);
  EXPECT_EQ(f.boxes.boxes.last().caption, "Hypsor - problem");
}

TEST(FlightWindow, AccelerationSwitchDrawsAndRemovesTheCurve) {
  Shown f;
  MainWindow& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const int points = w.Chart().CurvePoints(Curve::Altitude).size();
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Acceleration).size(), points);
  C<QAction>(w, "accelerationAction")->trigger();
  EXPECT_FALSE(C<QAction>(w, "accelerationAction")->isChecked());
  EXPECT_EQ(w.Workspace().Settings().ShowAcceleration, 0);
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Acceleration).size(), 0);
  C<QAction>(w, "accelerationAction")->trigger();
  EXPECT_TRUE(C<QAction>(w, "accelerationAction")->isChecked());
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Acceleration).size(), points);
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Altitude).size(), points);
}

TEST(FlightWindow, ClickingACurveRemovesItAndEmptiesItsPanelInBothLanguages) {
  for (int language = 0; language < 2; ++language) {
    Shown f;
    MainWindow& w = f.Window();
    w.resize(1280, 800);
    QApplication::processEvents();
    if (language == 1) C<QAction>(w, "englishAction")->trigger();
    f.Open(ExamplePath("sample-flight.hyp"));
    f.Compare(ExamplePath("flight-1hz.hyp"));
    QApplication::processEvents();

    auto clickOn = [&](Curve c, int index) {
      const QPointF at = w.Chart().CurvePoints(c).at(index);
      QTest::mouseClick(w.Chart().PlotWidget(), Qt::LeftButton, {}, w.Chart().PlotPosition(c, at));
      QApplication::processEvents();
    };

    clickOn(Curve::Comparison, 20);
    EXPECT_EQ(w.Chart().CurvePoints(Curve::Comparison).size(), 0) << "language " << language;
    EXPECT_TRUE(C<QLineEdit>(w, "comparisonMaximumField")->text().isEmpty());
    EXPECT_TRUE(C<QLineEdit>(w, "comparisonSerialField")->text().isEmpty());
    EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->title(), language ? "File" : "Plik");
    EXPECT_GT(w.Chart().CurvePoints(Curve::Altitude).size(), 0);
    EXPECT_FALSE(C<QLineEdit>(w, "mainMaximumField")->text().isEmpty());

    clickOn(Curve::Altitude, 300);
    EXPECT_EQ(w.Chart().CurvePoints(Curve::Altitude).size(), 0) << "language " << language;
    for (QLineEdit* e :
         {C<QLineEdit>(w, "mainMaximumField"), C<QLineEdit>(w, "mainMinimumField"),
          C<QLineEdit>(w, "mainTemperatureField"), C<QLineEdit>(w, "mainSamplingField"),
          C<QLineEdit>(w, "mainCompetitorField"), C<QLineEdit>(w, "mainSerialField")})
      EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->title(), "Hypsor");
  }
}

TEST(FlightWindow, DraggingARectangleZoomsAndARightClickUndoesIt) {
  Shown f;
  MainWindow& w = f.Window();
  w.resize(1280, 800);
  QApplication::processEvents();
  f.Open(ExamplePath("sample-flight.hyp"));
  QApplication::processEvents();
  const double fullMax = w.Chart().TimeRange().max;
  const QRect plot = w.Chart().PlotArea();
  const QPoint from = plot.topLeft() + QPoint(int(plot.width() * 0.2), 5);
  const QPoint to = plot.topLeft() + QPoint(int(plot.width() * 0.4), plot.height() - 5);
  QWidget* vp = w.Chart().PlotWidget();
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, (from + to) / 2);
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
  QApplication::processEvents();
  EXPECT_EQ(w.Chart().ZoomDepth(), 1);
  EXPECT_LT(w.Chart().TimeRange().max, fullMax * 0.5);
  EXPECT_GT(w.Chart().TimeRange().min, 0.0);

  QTest::mouseClick(vp, Qt::RightButton, {}, (from + to) / 2);
  EXPECT_EQ(w.Chart().ZoomDepth(), 0);
  EXPECT_DOUBLE_EQ(w.Chart().TimeRange().max, fullMax);

  // Loading undoes any zoom.
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
  f.Open(ExamplePath("flight-1hz.hyp"));
  EXPECT_EQ(w.Chart().ZoomDepth(), 0);
}

TEST(FlightWindow, FilterButtonsDrawTheSmoothedCurveBesideTheRawOne) {
  Shown f;
  MainWindow& w = f.Window();
  QTest::mouseClick(C<QPushButton>(w, "mainFilterButton"),
                    Qt::LeftButton);  // no flight: nothing happens
  EXPECT_EQ(w.Chart().CurvePoints(Curve::UnfilteredAltitude).size(), 0);

  f.Open(ExamplePath("flight-spike.hyp"));
  const std::vector<float> raw = Ys(w.Chart().CurvePoints(Curve::Altitude));
  QTest::mouseClick(C<QPushButton>(w, "mainFilterButton"), Qt::LeftButton);
  const std::vector<float> smooth = Ys(w.Chart().CurvePoints(Curve::Altitude));
  ASSERT_EQ(smooth.size(), raw.size());
  EXPECT_NE(smooth, raw) << "the spike is taken out";
  // The unfiltered curve, drawn dashed, is the flight's table in metres.
  const std::vector<float> dashed = Ys(w.Chart().CurvePoints(Curve::UnfilteredAltitude));
  EXPECT_EQ(dashed, w.Workspace().Chart()[Curve::UnfilteredAltitude]);
  EXPECT_EQ(w.Chart().CurvePen(Curve::UnfilteredAltitude).style(), Qt::DashLine);
  EXPECT_EQ(w.Chart().CurvePen(Curve::UnfilteredAltitude).color(), QColor(255, 0, 255));
  const float smoothMax = *std::max_element(smooth.begin(), smooth.end());
  EXPECT_EQ(C<QLineEdit>(w, "mainMaximumField")->text(),
            FormatAltitude(smoothMax, QLocale().decimalPoint().at(0)));
  EXPECT_EQ(w.Chart().VisibleTimeLabels().first(), "0");

  // A second press gives the same picture.
  QTest::mouseClick(C<QPushButton>(w, "mainFilterButton"), Qt::LeftButton);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), smooth);

  // The comparison's button works on the comparison alone.
  f.Compare(ExamplePath("flight-spike.hyp"));
  QTest::mouseClick(C<QPushButton>(w, "comparisonFilterButton"), Qt::LeftButton);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Comparison)), smooth);
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::UnfilteredComparison)).size(), raw.size());
  EXPECT_EQ(w.Chart().CurvePen(Curve::UnfilteredComparison).color(), QColor(255, 255, 128));
  EXPECT_EQ(Ys(w.Chart().CurvePoints(Curve::Altitude)), smooth);
}
