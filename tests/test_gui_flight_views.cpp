// SPDX-License-Identifier: GPL-3.0-or-later
// The views added to the main window, driven through its real widgets: the statistics panel,
// markers, the cursor readout with its reference point, the comparison on real time, exports,
// the clipboard copy and dropped files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QtTest/QTest>

#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"
#include "ui/StatisticsDock.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;
using hypsor::test::ReadFile;

namespace {

struct Shown : MainWindowFixture {
  Shown() { Start(); }
  void Start() {
    Create();
    Window().resize(1400, 850);
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    QApplication::processEvents();
  }
  FlightChart& Chart() { return Window().Chart(); }
  StatisticsDock* Dock() { return Control<StatisticsDock>("statisticsDock"); }
  void Open(const char* name) {
    dialogs.openNames << ExamplePath(QString::fromLatin1(name));
    Click("loadButton");
    QApplication::processEvents();
  }
  void Compare(const char* name) {
    dialogs.openNames << ExamplePath(QString::fromLatin1(name));
    Click("compareButton");
    QApplication::processEvents();
  }
  // A point of the plot area, as fractions of its width and height.
  QPoint At(double fx, double fy) {
    const QRect plot = Chart().PlotArea();
    return plot.topLeft() + QPoint(int(plot.width() * fx), int(plot.height() * fy));
  }
  void Drop(const QString& path, Qt::KeyboardModifiers modifiers) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(Window().width() / 2, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&Window(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&Window(), &drop);
    QApplication::processEvents();
  }
};

}  // namespace

double SinkRate(StatisticsDock* dock) {
  return dock->Value(6, 0).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

TEST(FlightViews, StatisticsPanelShowsWhatTheWorkspaceComputes) {
  Shown f;
  StatisticsDock* dock = f.Dock();
  ASSERT_NE(dock, nullptr);
  EXPECT_TRUE(dock->isVisible());  // on by default
  EXPECT_TRUE(f.Control<QAction>("statisticsAction")->isChecked());
  EXPECT_TRUE(dock->Value(0, 0).isEmpty());

  f.Open("flight-spike.hyp");
  // The apogee is the panel's maximum, character for character.
  EXPECT_EQ(dock->Value(0, 0), f.Control<QLineEdit>("mainMaximumField")->text());
  EXPECT_EQ(dock->Value(8, 0), "tak");
  // The spike is set aside from the rates: the unfiltered sink rate is the flight's own
  // (57.9 m/s with the spike counted), and the filter leaves it about where it was.
  const double rawSink = SinkRate(dock);
  EXPECT_GT(rawSink, 0.0);
  EXPECT_LT(rawSink, 10.0);
  f.Click("mainFilterButton");
  EXPECT_NEAR(SinkRate(dock), rawSink, 1.0);
  EXPECT_EQ(dock->Value(0, 0), f.Control<QLineEdit>("mainMaximumField")->text());

  f.Compare("flight-1hz.hyp");
  EXPECT_EQ(dock->Value(0, 1), f.Control<QLineEdit>("comparisonMaximumField")->text());
  f.Trigger("englishAction");
  EXPECT_EQ(dock->windowTitle(), "Statistics");
  EXPECT_EQ(dock->Value(8, 1), "yes");

  // Switched off from the View menu: hidden, and hidden again at the next start.
  f.Trigger("statisticsAction");
  EXPECT_FALSE(dock->isVisible());
  f.windows.reset();
  f.Start();
  EXPECT_FALSE(f.Dock()->isVisible());
  EXPECT_FALSE(f.Control<QAction>("statisticsAction")->isChecked());
  // The settings record stays the 40 bytes it was.
  EXPECT_EQ(ReadFile(f.SettingsPath()).size(), 40);
}

TEST(FlightViews, RowTitlesFitTheirTextsAfterEveryLanguageAndFontChange) {
  Shown f;
  f.Open("flight-spike.hyp");
  auto* table = f.Dock()->findChild<QTableWidget*>("statisticsTable");
  ASSERT_NE(table, nullptr);
  QHeaderView* rows = table->verticalHeader();
  // Each title whole, in the bold face the header measures with (it shows the current row's
  // title bold).
  auto expectTitlesFit = [&](const char* when) {
    QFont bold = rows->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (int r = 0; r < table->rowCount(); ++r) {
      const QString title = table->verticalHeaderItem(r)->text();
      EXPECT_GE(rows->width(), metrics.horizontalAdvance(title))
          << when << ": " << title.toStdString();
      EXPECT_GE(rows->sectionSize(r), metrics.height()) << when << ": " << title.toStdString();
    }
  };
  expectTitlesFit("Polish");
  f.Trigger("englishAction");
  QApplication::processEvents();
  expectTitlesFit("English");
  // A larger face: every title is measured again.
  QFont large = f.Dock()->font();
  large.setPixelSize(26);
  f.Dock()->setFont(large);
  QApplication::processEvents();
  expectTitlesFit("26 px");
  f.Trigger("polishAction");
  QApplication::processEvents();
  expectTitlesFit("Polish, 26 px");
}

TEST(FlightViews, MarkersFollowTheCurvesAndTheZoom) {
  Shown f;
  f.Open("sample-flight.hyp");
  auto labels = [&] {
    QStringList l;
    for (const auto& [label, at] : f.Chart().VisibleMarkerPositions()) l << label;
    return l;
  };
  EXPECT_EQ(
      labels(),
      QStringList({"S",
                   QStringLiteral("A %1 m").arg(f.Control<QLineEdit>("mainMaximumField")->text()),
                   "L"}));
  const QPoint apogeeBefore = f.Chart().VisibleMarkerPositions()[1].second;
  // The apogee marker stands on the red curve.
  const FlightStatistics s = f.Workspace().Statistics(FlightSlot::Main);
  const QPointF apogee = f.Chart().CurvePoints(Curve::Altitude).at(s.apogeeIndex);
  EXPECT_LE((apogeeBefore - f.Chart().PlotPosition(Curve::Altitude, apogee)).manhattanLength(), 2);

  // Zoomed onto the top of the first fifth: launch and landing are out of sight, the apogee
  // moved right.
  QWidget* vp = f.Chart().PlotWidget();
  QTest::mousePress(vp, Qt::LeftButton, {}, f.At(0.0, 0.02));
  QTest::mouseMove(vp, f.At(0.1, 0.5));
  QTest::mouseMove(vp, f.At(0.2, 0.98));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, f.At(0.2, 0.98));
  QApplication::processEvents();
  ASSERT_EQ(f.Chart().ZoomDepth(), 1);
  ASSERT_EQ(labels().size(), 1);
  EXPECT_TRUE(labels()[0].startsWith("A "));
  EXPECT_GT(f.Chart().VisibleMarkerPositions()[0].second.x(), apogeeBefore.x() + 100);

  f.Trigger("markersAction");  // off
  EXPECT_TRUE(labels().isEmpty());
  f.Open("flight-1hz.hyp");
  EXPECT_TRUE(labels().isEmpty());
  f.Trigger("markersAction");
  // Launch, apogee, landing, and the apogee after the filter: 2.2 m below the unfiltered one.
  ASSERT_EQ(labels().size(), 4);
  EXPECT_TRUE(labels()[3].startsWith(QStringLiteral("A po filtrze 688")))
      << labels()[3].toStdString();
}

TEST(FlightViews, ReadoutReferenceAndEscapeLeaveClicksAndZoomAlone) {
  Shown f;
  f.Open("sample-flight.hyp");
  f.Compare("flight-1hz.hyp");
  QWidget* vp = f.Chart().PlotWidget();
  const QPoint cursor = f.At(0.5, 0.1);
  QTest::mouseMove(vp, cursor);
  QApplication::processEvents();
  const double x = f.Chart().TimeAt(cursor);
  const std::vector<ReadoutLine> lines = f.Workspace().ReadoutAt(x, std::nullopt);
  EXPECT_EQ(f.Chart().ReadoutText(), f.Workspace().ReadoutText(lines));
  // Altitude and acceleration: the 1/s comparison's samples ended before the chart's middle.
  ASSERT_LT(f.Chart().CurvePoints(Curve::Comparison).size(), x);
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_FALSE(f.Chart().ReadoutText().contains(QStringLiteral("\u0394")));

  // A click on the empty top of the chart sets the reference; moving on shows the changes.
  QTest::mouseClick(vp, Qt::LeftButton, {}, f.At(0.2, 0.02));
  QApplication::processEvents();
  EXPECT_TRUE(f.Chart().ReferenceShown());
  EXPECT_EQ(f.Chart().ZoomDepth(), 0);
  QTest::mouseMove(vp, cursor);
  QApplication::processEvents();
  EXPECT_TRUE(f.Chart().ReadoutText().contains(QStringLiteral("\u0394t")))
      << f.Chart().ReadoutText().toStdString();

  // Esc clears both.
  QTest::keyClick(&f.Window(), Qt::Key_Escape);
  EXPECT_FALSE(f.Chart().ReferenceShown());
  EXPECT_TRUE(f.Chart().ReadoutText().isEmpty());

  // A click on a curve still removes it, and sets no reference.
  const QPointF on = f.Chart().CurvePoints(Curve::Comparison).at(20);
  QTest::mouseClick(vp, Qt::LeftButton, {}, f.Chart().PlotPosition(Curve::Comparison, on));
  QApplication::processEvents();
  EXPECT_EQ(f.Chart().CurvePoints(Curve::Comparison).size(), 0);
  EXPECT_FALSE(f.Chart().ReferenceShown());

  // A dragged rectangle still zooms, and sets no reference.
  QTest::mousePress(vp, Qt::LeftButton, {}, f.At(0.3, 0.05));
  QTest::mouseMove(vp, f.At(0.4, 0.5));
  QTest::mouseMove(vp, f.At(0.5, 0.9));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, f.At(0.5, 0.9));
  QApplication::processEvents();
  EXPECT_EQ(f.Chart().ZoomDepth(), 1);
  EXPECT_FALSE(f.Chart().ReferenceShown());
}

TEST(FlightViews, ComparisonAlignedOnTimeIsRemembered) {
  Shown f;
  EXPECT_FALSE(f.Control<QAction>("alignAction")->isChecked());  // off by default
  f.Open("sample-flight.hyp");
  f.Compare("flight-25hz-plateaus.hyp");
  const double unalignedEnd = f.Chart().CurvePoints(Curve::Comparison).last().x();
  EXPECT_EQ(unalignedEnd, f.Chart().CurvePoints(Curve::Comparison).size() - 1);

  f.Trigger("alignAction");
  const CurvePlacement p = f.Workspace().Placement(Curve::Comparison);
  EXPECT_DOUBLE_EQ(p.scale, 0.4);
  EXPECT_EQ(f.Chart().Placement(Curve::Comparison), p);
  EXPECT_DOUBLE_EQ(f.Chart().CurvePoints(Curve::Comparison).at(100).x(), p.X(100));
  // The comparison's filter keeps the placement.
  f.Click("comparisonFilterButton");
  EXPECT_DOUBLE_EQ(f.Chart().CurvePoints(Curve::Comparison).at(100).x(),
                   f.Workspace().Placement(Curve::Comparison).X(100));

  f.windows.reset();
  f.Start();
  EXPECT_TRUE(f.Control<QAction>("alignAction")->isChecked());
  EXPECT_TRUE(f.Workspace().ComparisonAligned());
}

TEST(FlightViews, ExportsAndClipboard) {
  Shown f;
  f.Open("sample-flight.hyp");
  f.Compare("flight-1hz.hyp");

  const QString png = f.dir.filePath(QStringLiteral("chart.png"));
  f.dialogs.saveNames << png;
  f.Trigger("exportChartAction");
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes.value(0).text.toStdString();
  QImage image(png);
  EXPECT_EQ(image.size(), f.Chart().size());
  ASSERT_EQ(f.dialogs.exportRequests.size(), 1);
  // The three formats, then every file.
  EXPECT_EQ(f.dialogs.exportRequests[0].filters.size(), 4);
  EXPECT_EQ(f.dialogs.exportRequests[0].filters.last(), QStringLiteral("Wszystkie pliki (*)"));

  // A typed size, and a name without a suffix becomes a PNG.
  f.dialogs.saveNames << f.dir.filePath(QStringLiteral("sized"));
  f.dialogs.chartSizes << QSize(640, 400);
  f.Trigger("exportChartAction");
  EXPECT_EQ(QImage(f.dir.filePath(QStringLiteral("sized.png"))).size(), QSize(640, 400));
  EXPECT_EQ(f.Chart().size(), image.size());  // the window's chart keeps its size

  const QString svg = f.dir.filePath(QStringLiteral("chart.svg"));
  f.dialogs.saveNames << svg;
  f.Trigger("exportChartAction");
  EXPECT_TRUE(ReadFile(svg).contains("<svg"));
  const QString pdf = f.dir.filePath(QStringLiteral("chart.pdf"));
  f.dialogs.saveNames << pdf;
  f.Trigger("exportChartAction");
  EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF"));

  // Cancelled size: nothing written. Unknown suffix: said in a box.
  f.dialogs.saveNames << f.dir.filePath(QStringLiteral("cancelled.png"));
  f.dialogs.chartSizes << std::nullopt;
  f.Trigger("exportChartAction");
  EXPECT_FALSE(QFile::exists(f.dir.filePath(QStringLiteral("cancelled.png"))));
  f.dialogs.saveNames << f.dir.filePath(QStringLiteral("chart.txt"));
  f.Trigger("exportChartAction");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, f.Workspace().T(Txt::ChartFormatUnknown));

  const QString csv = f.dir.filePath(QStringLiteral("data.csv"));
  f.dialogs.saveNames << csv;
  f.Trigger("exportDataAction");
  EXPECT_EQ(ReadFile(csv), f.Workspace().DataCsv());
  EXPECT_TRUE(ReadFile(csv).startsWith("index,time_s,altitude_m"));

  QApplication::clipboard()->clear();
  QTest::keyClick(&f.Window(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->image().size(), f.Chart().size());
}

TEST(FlightViews, DroppedFilesOpenAsMainOrWithShiftAsComparison) {
  Shown f;
  f.Drop(ExamplePath(QStringLiteral("sample-flight.hyp")), Qt::NoModifier);
  EXPECT_EQ(f.Control<QGroupBox>("mainPanel")->title(), "sample-flight.hyp");
  EXPECT_GT(f.Chart().CurvePoints(Curve::Altitude).size(), 0);
  f.Drop(ExamplePath(QStringLiteral("flight-1hz.hyp")), Qt::ShiftModifier);
  EXPECT_EQ(f.Control<QGroupBox>("comparisonPanel")->title(), "flight-1hz.hyp");
  EXPECT_EQ(f.Control<QGroupBox>("mainPanel")->title(), "sample-flight.hyp");

  // What the command line opens goes the same way; a missing file is reported.
  EXPECT_FALSE(
      f.Window().OpenFlightFile(f.dir.filePath(QStringLiteral("missing.hyp")), FlightSlot::Main));
  EXPECT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.Control<QGroupBox>("mainPanel")->title(), "sample-flight.hyp");
}

TEST(FlightViews, ANameTypedWithoutSuffixIsAskedAboutBeforeItIsReplaced) {
  Shown f;
  f.Open("sample-flight.hyp");
  // The dialog asked about "x"; "x.png" and "x.csv" are what would be replaced.
  for (const char* suffix : {"png", "csv"}) {
    SCOPED_TRACE(suffix);
    const QString existing = f.dir.filePath(QStringLiteral("x.") + QLatin1String(suffix));
    ASSERT_TRUE(hypsor::test::WriteFile(existing, "kept"));
    const char* action =
        QLatin1String(suffix) == QLatin1String("png") ? "exportChartAction" : "exportDataAction";
    f.boxes.boxes.clear();
    f.boxes.answers = {BoxResult::Cancel};
    f.dialogs.saveNames << f.dir.filePath(QStringLiteral("x"));
    f.Trigger(action);
    ASSERT_EQ(f.boxes.boxes.size(), 1);
    EXPECT_EQ(f.boxes.boxes[0].text, f.Workspace().T(Txt::FileExists));
    EXPECT_EQ(ReadFile(existing), "kept");
    // Answered yes: replaced.
    f.boxes.boxes.clear();
    f.dialogs.saveNames << f.dir.filePath(QStringLiteral("x"));
    f.Trigger(action);
    EXPECT_EQ(f.boxes.boxes.size(), 1);
    EXPECT_NE(ReadFile(existing), "kept");
  }
  // A new name asks nothing more than the dialog did.
  f.boxes.boxes.clear();
  f.dialogs.saveNames << f.dir.filePath(QStringLiteral("new"));
  f.Trigger("exportDataAction");
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_TRUE(QFile::exists(f.dir.filePath(QStringLiteral("new.csv"))));
}

TEST(FlightViews, FileNamesTheWindowTitleAndTheStatisticsHeadersKeepThem) {
  Shown f;
  EXPECT_EQ(f.Window().windowTitle(), "Hypsor");
  f.Open("sample-flight.hyp");
  f.Compare("flight-1hz.hyp");
  EXPECT_EQ(f.Window().windowTitle(), QStringLiteral("sample-flight.hyp \u2014 Hypsor"));
  auto* table = f.Control<QTableWidget>("statisticsTable");
  ASSERT_NE(table, nullptr);
  auto headers = [table] {
    return QStringList{table->horizontalHeaderItem(0)->text(),
                       table->horizontalHeaderItem(1)->text()};
  };
  EXPECT_EQ(headers(), QStringList({"sample-flight.hyp", "flight-1hz.hyp"}));
  // Every view, the panels too, keeps naming the files in the other language.
  auto* mainPanel = f.Control<QGroupBox>("mainPanel");
  auto* comparisonPanel = f.Control<QGroupBox>("comparisonPanel");
  for (const char* language : {"englishAction", "polishAction"}) {
    f.Trigger(language);
    EXPECT_EQ(headers(), QStringList({"sample-flight.hyp", "flight-1hz.hyp"})) << language;
    EXPECT_EQ(f.Window().windowTitle(), QStringLiteral("sample-flight.hyp \u2014 Hypsor"));
    EXPECT_EQ(mainPanel->title(), "sample-flight.hyp") << language;
    EXPECT_EQ(comparisonPanel->title(), "flight-1hz.hyp") << language;
    EXPECT_EQ(comparisonPanel->toolTip(), "flight-1hz.hyp") << language;
  }
  // A panel without a file takes its own caption in the language.
  f.Trigger("comparisonAction");
  f.Trigger("englishAction");
  EXPECT_EQ(comparisonPanel->title(), "File");
  EXPECT_EQ(mainPanel->title(), "sample-flight.hyp");
}

TEST(FlightViews, AWrongTemperatureLeavesTheFieldAtTheOneTheCurveUses) {
  Shown f;
  f.Open("sample-flight.hyp");
  auto* field = f.Control<QLineEdit>("mainTemperatureField");
  const QString used = field->text();
  ASSERT_FALSE(used.isEmpty());
  const std::vector<float> curve = f.Workspace().Chart()[Curve::Altitude];
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  ASSERT_TRUE(field->text().isEmpty());
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, f.Workspace().T(Txt::WrongTemperature));
  EXPECT_EQ(field->text(), used);
  EXPECT_EQ(f.Workspace().Chart()[Curve::Altitude], curve);
}
