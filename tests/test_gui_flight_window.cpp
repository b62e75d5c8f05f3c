// The flight actions of the main window, driven through its real widgets: opening a flight,
// the comparison flight, temperature entry, saving, the acceleration switch and chart clicks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QValueAxis>
#include <QtTest/QTest>
#include <algorithm>

#include "files/FlightFile.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SeriesValues.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;

using hypsor::test::ReadFile;
using hypsor::test::Ys;

namespace {

// A flight: header with the given sampling code and temperature, then the samples and the marker.
QByteArray MakeFlight(std::initializer_list<int> samples, int code = 3, int temperature = 20) {
  QByteArray b(32, '\0');
  b[2] = 7;
  b[3] = char(0x34), b[4] = char(0x12);
  b[5] = char(temperature), b[6] = 0;
  b[7] = char(code);
  b[8] = char(10000 & 0xff), b[9] = char(10000 >> 8);
  for (int s : samples) b.append(char(s & 0xff)).append(char(s >> 8));
  b.append(char(0xff)).append(char(0xff));
  return b;
}

struct Shown : MainWindowFixture {
  Shown() {
    Create();
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
  void Open(const QString& path) {
    dialogs.openNames << path;
    QTest::mouseClick(Window().BOdczyt, Qt::LeftButton);
  }
  void Compare(const QString& path) {
    dialogs.openNames << path;
    QTest::mouseClick(Window().B_Porownanie, Qt::LeftButton);
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
  THypsor& w = f.Window();
  const QString path = ExamplePath("sample-flight.hyp");
  f.Open(path);
  ASSERT_TRUE(f.boxes.boxes.isEmpty());

  Flight expected;
  ASSERT_EQ(LoadFlightFile(path, expected).status, FlightFileStatus::Ok);
  const DecodedFlight d = DecodeFlight(expected, expected.SampleCount, {true, true});
  EXPECT_EQ(Ys(w.Chart1->Series1), d.altitude);
  EXPECT_EQ(Ys(w.Chart1->Series2), d.acceleration);
  EXPECT_EQ(w.GroupB_Hypsor->title(), "sample-flight.hyp");
  EXPECT_EQ(w.E_NrZawodnika->text(), QString::number(expected.competitor));
  EXPECT_EQ(w.E_NrSeryjny->text(), QString::number(expected.serial));
  EXPECT_EQ(w.E_TempGl->text(), QString::number(expected.temperature));
  EXPECT_FALSE(w.E_TempGl->isReadOnly());
  EXPECT_EQ(w.E_probkGl->text(), "10 pom/sek");
  ASSERT_TRUE(d.MaxAltitude.has_value());
  EXPECT_EQ(w.E_MaxGl->text(), FormatAltitude(*d.MaxAltitude, QLocale().decimalPoint().at(0)));
  EXPECT_EQ(w.Chart1->AxisMaximum(), d.axisMaximum);
  // 10 samples a second: whole seconds on every tenth point, thinned only if they crowd.
  const QStringList shown = w.Chart1->VisibleTimeLabels();
  ASSERT_FALSE(shown.isEmpty());
  EXPECT_EQ(shown.first(), "0");
  EXPECT_LE(shown.size(), static_cast<qsizetype>(d.altitude.size() / 10 + 1));
}

TEST(FlightWindow, TooShortAndMissingFilesAreRefusedAndChangeNothing) {
  Shown f;
  THypsor& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const std::vector<float> before = Ys(w.Chart1->Series1);

  const QString shortFile = f.dir.filePath("short.hyp");
  ASSERT_TRUE(hypsor::test::WriteFile(shortFile, QByteArray(31, '\x01')));
  f.Open(shortFile);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_EQ(Ys(w.Chart1->Series1), before);
  EXPECT_EQ(w.GroupB_Hypsor->title(), "sample-flight.hyp");

  w.English1->trigger();
  f.Compare(f.dir.filePath("no-such-file.hyp"));
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[1].caption, "Hypsor - error");
  EXPECT_TRUE(f.boxes.boxes[1].text.contains("no-such-file.hyp"));
  EXPECT_EQ(w.Chart1->Series3->count(), 0);

  // A cancelled dialog does nothing at all.
  QTest::mouseClick(w.BOdczyt, Qt::LeftButton);
  EXPECT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(Ys(w.Chart1->Series1), before);
}

TEST(FlightWindow, ComparisonIsDrawnOverTheMainFlightAndKeptApartFromIt) {
  Shown f;
  THypsor& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const std::vector<float> main = Ys(w.Chart1->Series1);
  f.Compare(ExamplePath("flight-25hz-plateaus.hyp"));

  Flight cmp;
  ASSERT_EQ(LoadFlightFile(ExamplePath("flight-25hz-plateaus.hyp"), cmp).status,
            FlightFileStatus::Ok);
  const DecodedFlight dc = DecodeFlight(cmp, cmp.SampleCount, {false, false});
  EXPECT_EQ(Ys(w.Chart1->Series3), dc.altitude);
  EXPECT_EQ(Ys(w.Chart1->Series1), main);
  EXPECT_EQ(w.GroupB_Por->title(), "flight-25hz-plateaus.hyp");
  EXPECT_EQ(w.E_probkPor->text(), "25 pom/sek");
  EXPECT_EQ(w.E_TempPor->text(), QString::number(cmp.temperature));
  EXPECT_FALSE(w.E_TempPor->isReadOnly());
  EXPECT_TRUE(w.Porownanie1->isChecked());

  // The main flight's temperature entry and the acceleration switch work on the main flight's
  // own bytes and temperature, not on the comparison read after it.
  f.TypeTemperature(w.E_TempGl, w.E_TempGl->text());
  EXPECT_EQ(Ys(w.Chart1->Series1), main);
  w.Przyspieszenie1->trigger();
  w.Przyspieszenie1->trigger();
  EXPECT_EQ(Ys(w.Chart1->Series1), main);

  // Removing the comparison from the menu empties its panel; the mark comes back on a second
  // toggle without a curve.
  w.Porownanie1->trigger();
  EXPECT_FALSE(w.Porownanie1->isChecked());
  EXPECT_EQ(w.Chart1->Series3->count(), 0);
  EXPECT_TRUE(w.E_Max_Por->text().isEmpty());
  EXPECT_TRUE(w.E_TempPor->text().isEmpty());
  EXPECT_EQ(w.GroupB_Por->title(), "Plik");
  w.Porownanie1->trigger();
  EXPECT_TRUE(w.Porownanie1->isChecked());
  EXPECT_EQ(w.Chart1->Series3->count(), 0);
}

TEST(FlightWindow, TemperatureFieldFiltersKeysAndRecomputesByTheKelvinRatio) {
  Shown f;
  THypsor& w = f.Window();

  // Enter before any flight: the field is empty, the entry is refused.
  w.E_TempGl->setFocus();
  QTest::keyClick(w.E_TempGl, Qt::Key_Return);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Zła wartośc temperatury");

  const QString path = f.dir.filePath("t.hyp");
  ASSERT_TRUE(hypsor::test::WriteFile(path, MakeFlight({8800, 8900, 9800, 8700, 9000}, 3, 20)));
  f.Open(path);
  const std::vector<float> at20 = Ys(w.Chart1->Series1);

  w.E_TempGl->setFocus();
  w.E_TempGl->clear();
  QTest::keyClicks(w.E_TempGl, "1234");
  EXPECT_EQ(w.E_TempGl->text(), "123");
  w.E_TempGl->selectAll();
  QTest::keyClicks(w.E_TempGl, "9");  // three characters: still refused, selection or not
  EXPECT_EQ(w.E_TempGl->text(), "123");
  w.E_TempGl->clear();
  QTest::keyClicks(w.E_TempGl, "a +,.-");
  EXPECT_EQ(w.E_TempGl->text(), "-");
  QTest::keyClicks(w.E_TempGl, "--");
  EXPECT_EQ(w.E_TempGl->text(), "---");

  // An invalid text: message, nothing recomputed.
  QTest::keyClick(w.E_TempGl, Qt::Key_Return);
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(Ys(w.Chart1->Series1), at20);

  f.TypeTemperature(w.E_TempGl, "0");
  const std::vector<float> at0 = Ys(w.Chart1->Series1);
  ASSERT_EQ(at0.size(), at20.size());
  EXPECT_EQ(at0[0], 0.0f);
  for (std::size_t i = 1; i < at0.size(); ++i)
    EXPECT_NEAR(at0[i], at20[i] * 273.16 / 293.16, 1e-3) << i;
  EXPECT_EQ(f.boxes.boxes.size(), 2);

  // -12 is taken as typed.
  f.TypeTemperature(w.E_TempGl, "-12");
  EXPECT_NEAR(Ys(w.Chart1->Series1)[1], at20[1] * (273.16 - 12) / 293.16, 1e-3);
}

TEST(FlightWindow, SavingWritesTheLastDownloadOnlyAndNeverDestroysAFile) {
  Shown f;
  THypsor& w = f.Window();
  QTest::mouseClick(w.BZapisz, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "Brak danych");
  EXPECT_EQ(f.dialogs.saveAsked, 0);

  // A download has happened (the device session puts it here); then a file is opened.
  const QByteArray downloaded = MakeFlight({8800, 8900, 9000, 9100}, 3, 21);
  ASSERT_TRUE(SetFlightBytes(w.DownloadedFlight,
                             std::span(reinterpret_cast<const std::uint8_t*>(downloaded.data()),
                                       static_cast<std::size_t>(downloaded.size()))));
  w.DownloadByteCount = static_cast<std::int32_t>(downloaded.size());
  f.Open(ExamplePath("sample-flight.hyp"));

  const QString target = f.dir.filePath("saved.hyp");
  f.dialogs.saveNames << target;
  QTest::mouseClick(w.BZapisz, Qt::LeftButton);
  EXPECT_EQ(ReadFile(target), downloaded);

  // Saved then opened: the same curve as the flight itself.
  f.Open(target);
  Flight direct;
  ASSERT_TRUE(
      SetFlightBytes(direct, std::span(reinterpret_cast<const std::uint8_t*>(downloaded.data()),
                                       static_cast<std::size_t>(downloaded.size()))));
  ApplyFlightHeader(direct);
  EXPECT_EQ(Ys(w.Chart1->Series1), DecodeFlight(direct, direct.SampleCount, {}).altitude);
  EXPECT_EQ(w.E_TempGl->text(), "21");

  // The file exists: Cancel keeps it as it is.
  ASSERT_TRUE(hypsor::test::WriteFile(target, "old contents"));
  f.dialogs.saveNames << target;
  f.boxes.answers << BoxResult::Cancel;
  QTest::mouseClick(w.BZapisz, Qt::LeftButton);
  EXPECT_EQ(f.boxes.boxes.last().text, "Plik istnieje. Zapisać?");
  EXPECT_EQ(f.boxes.boxes.last().buttons, BoxButtons::OkCancel);
  EXPECT_EQ(ReadFile(target), "old contents");

  // A save that cannot be written is reported, and the old file stays whole.
  const QString blocked = f.dir.filePath("blocked");
  QDir().mkpath(blocked);
  f.dialogs.saveNames << blocked + "/../blocked";
  const int boxesBefore = static_cast<int>(f.boxes.boxes.size());
  QTest::mouseClick(w.BZapisz, Qt::LeftButton);
  EXPECT_GT(f.boxes.boxes.size(), boxesBefore);
  EXPECT_EQ(f.boxes.boxes.last().caption, "Hypsor - problem");
}

TEST(FlightWindow, AccelerationSwitchDrawsAndRemovesTheCurve) {
  Shown f;
  THypsor& w = f.Window();
  f.Open(ExamplePath("sample-flight.hyp"));
  const int points = w.Chart1->Series1->count();
  EXPECT_EQ(w.Chart1->Series2->count(), points);
  w.Przyspieszenie1->trigger();
  EXPECT_FALSE(w.Przyspieszenie1->isChecked());
  EXPECT_EQ(w.Settings.ShowAcceleration, 0);
  EXPECT_EQ(w.Chart1->Series2->count(), 0);
  w.Przyspieszenie1->trigger();
  EXPECT_TRUE(w.Przyspieszenie1->isChecked());
  EXPECT_EQ(w.Chart1->Series2->count(), points);
  EXPECT_EQ(w.Chart1->Series1->count(), points);
}

TEST(FlightWindow, ClickingACurveRemovesItAndEmptiesItsPanelInBothLanguages) {
  for (int language = 0; language < 2; ++language) {
    Shown f;
    THypsor& w = f.Window();
    w.resize(1280, 800);
    QApplication::processEvents();
    if (language == 1) w.English1->trigger();
    f.Open(ExamplePath("sample-flight.hyp"));
    f.Compare(ExamplePath("flight-1hz.hyp"));
    QApplication::processEvents();

    auto clickOn = [&](QLineSeries* s, int index) {
      const QPointF at = s->at(index);
      const QPoint pos = w.Chart1->mapFromScene(w.Chart1->Chart()->mapToPosition(at, s));
      QTest::mouseClick(w.Chart1->viewport(), Qt::LeftButton, {}, pos);
      QApplication::processEvents();
    };

    clickOn(w.Chart1->Series3, 20);
    EXPECT_EQ(w.Chart1->Series3->count(), 0) << "language " << language;
    EXPECT_TRUE(w.E_Max_Por->text().isEmpty());
    EXPECT_TRUE(w.E_NrS_Por->text().isEmpty());
    EXPECT_EQ(w.GroupB_Por->title(), language ? "File" : "Plik");
    EXPECT_GT(w.Chart1->Series1->count(), 0);
    EXPECT_FALSE(w.E_MaxGl->text().isEmpty());

    clickOn(w.Chart1->Series1, 300);
    EXPECT_EQ(w.Chart1->Series1->count(), 0) << "language " << language;
    for (QLineEdit* e :
         {w.E_MaxGl, w.EMinimum, w.E_TempGl, w.E_probkGl, w.E_NrZawodnika, w.E_NrSeryjny})
      EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_EQ(w.GroupB_Hypsor->title(), "Hypsor");
  }
}

TEST(FlightWindow, DraggingARectangleZoomsAndARightClickUndoesIt) {
  Shown f;
  THypsor& w = f.Window();
  w.resize(1280, 800);
  QApplication::processEvents();
  f.Open(ExamplePath("sample-flight.hyp"));
  QApplication::processEvents();
  const double fullMax = w.Chart1->BottomAxis()->max();
  const QRectF plot = w.Chart1->Chart()->plotArea();
  const QPoint from = w.Chart1->mapFromScene(plot.topLeft() + QPointF(plot.width() * 0.2, 5));
  const QPoint to =
      w.Chart1->mapFromScene(plot.topLeft() + QPointF(plot.width() * 0.4, plot.height() - 5));
  QWidget* vp = w.Chart1->viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, (from + to) / 2);
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
  QApplication::processEvents();
  EXPECT_EQ(w.Chart1->ZoomDepth(), 1);
  EXPECT_LT(w.Chart1->BottomAxis()->max(), fullMax * 0.5);
  EXPECT_GT(w.Chart1->BottomAxis()->min(), 0.0);

  QTest::mouseClick(vp, Qt::RightButton, {}, (from + to) / 2);
  EXPECT_EQ(w.Chart1->ZoomDepth(), 0);
  EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis()->max(), fullMax);

  // Loading undoes any zoom.
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
  f.Open(ExamplePath("flight-1hz.hyp"));
  EXPECT_EQ(w.Chart1->ZoomDepth(), 0);
}

TEST(FlightWindow, FilterButtonsDrawTheSmoothedCurveBesideTheRawOne) {
  Shown f;
  THypsor& w = f.Window();
  QTest::mouseClick(w.B_Filtr_Hypsor, Qt::LeftButton);  // no flight: nothing happens
  EXPECT_EQ(w.Chart1->Series5->count(), 0);

  f.Open(ExamplePath("flight-spike.hyp"));
  const std::vector<float> raw = Ys(w.Chart1->Series1);
  QTest::mouseClick(w.B_Filtr_Hypsor, Qt::LeftButton);
  const std::vector<float> smooth = Ys(w.Chart1->Series1);
  ASSERT_EQ(smooth.size(), raw.size());
  EXPECT_NE(smooth, raw) << "the spike is taken out";
  // The unfiltered curve, drawn dashed, is the flight's table in metres.
  const std::vector<float> dashed = Ys(w.Chart1->Series5);
  ASSERT_EQ(dashed.size(), raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i)
    EXPECT_NEAR(dashed[i], w.AltitudeTable[i] * 0.1, 1e-4) << i;
  EXPECT_EQ(w.Chart1->Series5->pen().style(), Qt::DashLine);
  EXPECT_EQ(w.Chart1->Series5->pen().color(), QColor(255, 0, 255));
  const float smoothMax = *std::max_element(smooth.begin(), smooth.end());
  EXPECT_EQ(w.E_MaxGl->text(), FormatAltitude(smoothMax, QLocale().decimalPoint().at(0)));
  EXPECT_EQ(w.Chart1->VisibleTimeLabels().first(), "0");

  // A second press gives the same picture.
  QTest::mouseClick(w.B_Filtr_Hypsor, Qt::LeftButton);
  EXPECT_EQ(Ys(w.Chart1->Series1), smooth);

  // The comparison's button works on the comparison alone.
  f.Compare(ExamplePath("flight-spike.hyp"));
  QTest::mouseClick(w.B_Filtr_por, Qt::LeftButton);
  EXPECT_EQ(Ys(w.Chart1->Series3), smooth);
  EXPECT_EQ(Ys(w.Chart1->Series6).size(), raw.size());
  EXPECT_EQ(w.Chart1->Series6->pen().color(), QColor(255, 255, 128));
  EXPECT_EQ(Ys(w.Chart1->Series1), smooth);

  // New filter values saved in the filter window count from the next press.
  w.Settings.FinalCutCm = 100000;
  w.Settings.PreCutCm = 100000;
  QTest::mouseClick(w.B_Filtr_Hypsor, Qt::LeftButton);
  EXPECT_EQ(Ys(w.Chart1->Series1), Ys(w.Chart1->Series5)) << "cuts that wide keep every sample";
}
