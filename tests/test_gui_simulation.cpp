// SPDX-License-Identifier: GPL-3.0-or-later
// The data-quality flags, the explained apogee and a flight simulation in the main window,
// driven through its real widgets and menu: the statistics panel, the report's lines, the
// dashed curve as drawn, and the column dialog of a CSV of no known layout.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "session/Preferences.h"
#include "text/QualityText.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScriptedWindowFixture.h"
#include "tests/support/TestPaths.h"
#include "ui/ChartExport.h"
#include "ui/FlightReport.h"
#include "ui/MainWindowSimulation.h"
#include "ui/StatisticsDock.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::MainWindowFixture;

namespace {

struct Window : MainWindowFixture {
  Window() {
    Create();
    MainWindow& w = MainWindowFixture::Window();
    w.resize(1400, 850);
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  StatisticsDock* Dock() { return Control<StatisticsDock>("statisticsDock"); }
  void OpenExample(const char* name) {
    Open(ExamplePath(QString::fromLatin1(name)));
    QApplication::processEvents();
  }
  void OpenSimulation(const QString& path) {
    dialogs.openNames << path;
    Trigger("openSimulationAction");
    QApplication::processEvents();
  }
  // The main flight's curve as a simulation file: time shifted and altitude scaled, under
  // header.
  QString WriteSimulation(const char* name, const QByteArray& header, double shift, double scale,
                          char separator = ',') {
    const std::vector<float>& curve = Workspace().Chart()[Curve::Altitude];
    const double step = SampleTime(1, Workspace().MainFlight().TimeLabelStep);
    QByteArray csv = header;
    for (std::size_t i = 0; i < curve.size(); ++i)
      csv += QByteArray::number(i * step + shift, 'f', 3) + separator +
             QByteArray::number(curve[i] * scale, 'f', 3) + '\n';
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(csv);
    return path;
  }
};

QString Point() {
  return QLocale().decimalPoint();
}

// Pixels of the simulation's colour in the window's chart drawn as an image.
int SimulationPixels(const FlightWorkspace& w) {
  const QImage image = ChartImage(WorkspacePrint(w, false, false), QSize(900, 500));
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - 0) < 40 && std::abs(c.green() - 110) < 40 &&
          std::abs(c.blue() - 160) < 40)
        ++n;
    }
  return n;
}

}  // namespace

TEST(SimulationWindow, PanelAndReportNameTheSpikeAndBothApogees) {
  Window f;
  f.OpenExample("flight-spike.hyp");
  StatisticsDock* dock = f.Dock();
  ASSERT_NE(dock, nullptr);
  // The flags by name in the cell, each with its whole sentence and the apogee's story in the
  // cell's tooltip.
  EXPECT_EQ(dock->Value(StatisticsDock::QualityRow, 0), QStringLiteral("skok"));
  const QString story = dock->ToolTip(StatisticsDock::QualityRow, 0);
  EXPECT_TRUE(story.contains("24" + Point() + "00, 25" + Point() + "40 s")) << story.toStdString();
  EXPECT_TRUE(story.startsWith(QStringLiteral("skok:"))) << story.toStdString();
  EXPECT_TRUE(story.contains(ApogeeExplanation(f.Workspace().Quality(FlightSlot::Main), 0,
                                               Point().at(0))));
  EXPECT_EQ(dock->ToolTip(StatisticsDock::SupportedApogeeRow, 0), story);
  const FlightQuality q = f.Workspace().Quality(FlightSlot::Main);
  ASSERT_TRUE(q.apogee.filtered);
  EXPECT_TRUE(dock->Value(StatisticsDock::RawApogeeRow, 0)
                  .startsWith(FormatAltitude(q.apogee.rawM, Point().at(0)) + " m"));
  EXPECT_TRUE(dock->Value(StatisticsDock::FilteredApogeeRow, 0)
                  .startsWith(FormatAltitude(q.apogee.filteredM, Point().at(0)) + " m"));
  // The spike is in the descent: the data support the unfiltered apogee.
  EXPECT_TRUE(dock->Value(StatisticsDock::SupportedApogeeRow, 0)
                  .startsWith(FormatAltitude(q.apogee.rawM, Point().at(0)) + " m"));
  // The SHA-256 stays the last row.
  EXPECT_EQ(dock->Value(StatisticsDock::Sha256Row, 0).size(), 64);
  EXPECT_TRUE(dock->Value(StatisticsDock::SimulationRow, 0).isEmpty());

  // English, and the report's lines: the spike with its times, both apogees and the verdict.
  f.Trigger("englishAction");
  EXPECT_EQ(dock->Value(StatisticsDock::QualityRow, 0), QStringLiteral("spike"));
  EXPECT_TRUE(dock->ToolTip(StatisticsDock::QualityRow, 0).startsWith(QStringLiteral("spike:")));
  const ReportContent report = GatherReport(f.Workspace(), QString());
  QStringList lines;
  for (const ReportLine& l : ReportDataLines(report)) lines << l.text;
  const QString all = lines.join('\n');
  EXPECT_TRUE(all.contains("spike: the samples at 24" + Point() + "00, 25" + Point() +
                           "40 s stand off the curve"))
      << all.toStdString();
  EXPECT_TRUE(all.contains(QStringLiteral("Apogee before the filter ") +
                           FormatAltitude(q.apogee.rawM, Point().at(0)) + " m at"));
  EXPECT_TRUE(all.contains(QStringLiteral("Apogee after the filter ") +
                           FormatAltitude(q.apogee.filteredM, Point().at(0)) + " m at"));
  EXPECT_TRUE(all.contains(QStringLiteral("the data support it")));
  // A clean flight: no flags, said so.
  f.OpenExample("sample-flight.hyp");
  EXPECT_EQ(dock->Value(StatisticsDock::QualityRow, 0), "no flags");
}

TEST(SimulationWindow, OpenSimulationDrawsItDashedAndGivesTheErrors) {
  Window f;
  f.OpenExample("sample-flight.hyp");
  EXPECT_EQ(SimulationPixels(f.Workspace()), 0);
  f.Trigger("englishAction");
  const QString sim = f.WriteSimulation(
      "sim.csv", "# Time (s),Altitude (m)\n# Event LAUNCH occurred at t=4.2 seconds\n", 3.0, 1.1);
  // The LAUNCH event names the moment the curve is aligned on.
  const FlightStatistics s = f.Workspace().Statistics(FlightSlot::Main);
  f.OpenSimulation(sim);
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  ASSERT_TRUE(f.Workspace().HasSimulation());
  EXPECT_FALSE(f.Workspace().Chart()[Curve::Simulation].empty());
  EXPECT_GT(SimulationPixels(f.Workspace()), 200);
  StatisticsDock* dock = f.Dock();
  EXPECT_EQ(dock->Value(StatisticsDock::SimulationRow, 0), "sim.csv");
  // 1/1.1 - 1 = -9.1 %.
  EXPECT_TRUE(dock->Value(StatisticsDock::SimulationApogeeRow, 0)
                  .endsWith("(-9" + Point() + "1 %)"))
      << dock->Value(StatisticsDock::SimulationApogeeRow, 0).toStdString();
  const std::optional<SimulationComparison> c = f.Workspace().CompareSimulation();
  ASSERT_TRUE(c);
  EXPECT_NEAR(c->shiftS, 4.2 - s.launchS, 1e-9);
  // On the flight's samples: flight time t stands for the simulation's 4.2 s + (t - launch),
  // whose row is the flight's curve at t + 3.1 - launchS s... with launchS 1.1 s, one sample on.
  ASSERT_DOUBLE_EQ(s.launchS, 1.1);
  const CurvePlacement p = f.Workspace().Placement(Curve::Simulation);
  EXPECT_DOUBLE_EQ(p.scale, 1.0);
  const auto& curve = f.Workspace().Chart()[Curve::Simulation];
  const auto& flight = f.Workspace().Chart()[Curve::Altitude];
  for (int i : {s.launchIndex + 5, s.launchIndex + 30, s.apogeeIndex, s.apogeeIndex + 100}) {
    const auto k = static_cast<std::size_t>(i - static_cast<int>(p.offset));
    ASSERT_LT(k, curve.size());
    EXPECT_NEAR(curve[k], 1.1 * flight[static_cast<std::size_t>(i + 1)], 0.01) << i;
  }
  // The report gives the same errors.
  QStringList lines;
  for (const ReportLine& l : ReportDataLines(GatherReport(f.Workspace(), QString())))
    lines << l.text;
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("Simulation: sim.csv")));
  EXPECT_TRUE(lines.join('\n').contains("-9" + Point() + "1 %"));

  // A file with a bad line: a message naming it, and the simulation drawn before stays as it was.
  const std::vector<float> before = curve;
  QFile bad(f.dir.filePath(QStringLiteral("bad.csv")));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("# Time (s),Altitude (m)\n0,0\n1,10\n2\n3,30\n");
  bad.close();
  f.OpenSimulation(bad.fileName());
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "bad.csv, line 4: expected 2 fields, found 1.");
  EXPECT_EQ(f.Workspace().Chart()[Curve::Simulation], before);
  EXPECT_EQ(dock->Value(StatisticsDock::SimulationRow, 0), "sim.csv");
}

TEST(SimulationWindow, ColumnsOfAnotherCsvAreAskedOnceAndRemembered) {
  Window f;
  f.OpenExample("sample-flight.hyp");
  const QString sim = f.WriteSimulation("plain.csv", "seconds;height above pad\n", 0, 1.0, ';');
  // The dialog, clicked like a user: time in the first column, altitude in the second.
  int asked = 0;
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<SimulationColumnsDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    ++asked;
    auto* time = dialog->findChild<QComboBox*>(QStringLiteral("simulationTimeColumn"));
    auto* altitude = dialog->findChild<QComboBox*>(QStringLiteral("simulationAltitudeColumn"));
    ASSERT_TRUE(time && altitude);
    EXPECT_EQ(time->count(), 2);
    EXPECT_EQ(altitude->currentText(), "height above pad");  // guessed from the name
    time->setCurrentIndex(0);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
  });
  clicker.start(20);
  f.OpenSimulation(sim);
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(f.Workspace().HasSimulation());
  const std::optional<SimulationComparison> c = f.Workspace().CompareSimulation();
  ASSERT_TRUE(c);
  EXPECT_NEAR(c->apogeeErrorM, 0.0, 0.06);
  const auto remembered = RememberedSimulationColumns(f.PreferencesPath(),
                                                      QStringLiteral("seconds;height above pad"));
  ASSERT_TRUE(remembered);
  EXPECT_EQ(remembered->time, 0);
  EXPECT_EQ(remembered->altitude, 1);

  // The second time the same layout is read without asking.
  const QString again = f.WriteSimulation("again.csv", "seconds;height above pad\n", 1, 1.2, ';');
  f.OpenSimulation(again);
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(f.Workspace().CompareSimulation());
  EXPECT_NEAR(f.Workspace().CompareSimulation()->apogeeErrorPercent, 100.0 * (1 / 1.2 - 1), 0.05);
  clicker.stop();

  // Cancelled: nothing changes.
  QTimer canceller;
  QObject::connect(&canceller, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  canceller.start(20);
  f.OpenSimulation(f.WriteSimulation("other.csv", "a,b,c\n", 0, 1.0));
  canceller.stop();
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_EQ(f.Workspace().SimulationPath(), again);
}

// A simulation belongs to the flight it was opened for: another main flight, opened or
// downloaded, takes its curve, its errors and its place in the report with it.
TEST(SimulationWindow, AnotherMainFlightDropsTheSimulation) {
  auto expectGone = [](FlightWorkspace& w, StatisticsDock* dock, const char* after) {
    EXPECT_FALSE(w.HasSimulation()) << after;
    EXPECT_TRUE(w.Chart()[Curve::Simulation].empty()) << after;
    EXPECT_EQ(SimulationPixels(w), 0) << after;
    EXPECT_FALSE(w.CompareSimulation()) << after;
    EXPECT_TRUE(dock->Value(StatisticsDock::SimulationRow, 0).isEmpty()) << after;
    EXPECT_TRUE(dock->Value(StatisticsDock::SimulationApogeeRow, 0).isEmpty()) << after;
    const ReportContent report = GatherReport(w, QString());
    EXPECT_TRUE(report.simulationFile.isEmpty()) << after;
    for (const ReportLine& l : ReportDataLines(report))
      EXPECT_FALSE(l.text.contains(QStringLiteral("sim.csv"))) << after;
  };
  {
    Window f;
    f.OpenExample("flight-spike.hyp");
    f.OpenSimulation(f.WriteSimulation("sim.csv", "# Time (s),Altitude (m)\n", 0, 1.0));
    ASSERT_TRUE(f.Workspace().HasSimulation());
    ASSERT_GT(SimulationPixels(f.Workspace()), 200);
    ASSERT_EQ(f.Dock()->Value(StatisticsDock::SimulationRow, 0), "sim.csv");
    // A file that cannot be opened changes nothing: the flight and its simulation stay.
    f.Open(f.dir.filePath(QStringLiteral("none.hyp")));
    EXPECT_TRUE(f.Workspace().HasSimulation());
    f.OpenExample("sample-flight.hyp");
    expectGone(f.Workspace(), f.Dock(), "open");
  }
  // The same after a download from the altimeter.
  test::ScriptedWindowFixture f;
  f.Open(ExamplePath(QStringLiteral("flight-spike.hyp")));
  const std::vector<float>& curve = f.Workspace().Chart()[Curve::Altitude];
  QByteArray csv = "# Time (s),Altitude (m)\n";
  for (std::size_t i = 0; i < curve.size(); ++i)
    csv += QByteArray::number(i * 0.1, 'f', 3) + ',' + QByteArray::number(curve[i], 'f', 3) + '\n';
  QFile file(f.dir.filePath(QStringLiteral("sim.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(csv);
  file.close();
  f.dialogs.openNames << file.fileName();
  f.Trigger("openSimulationAction");
  ASSERT_TRUE(f.Workspace().HasSimulation());
  QFile sample(ExamplePath(QStringLiteral("sample-flight.hyp")));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  f.altimeter.flight = sample.readAll();
  f.Click("readButton");
  ASSERT_TRUE(f.Workspace().HasDownload());
  expectGone(f.Workspace(), f.Control<StatisticsDock>("statisticsDock"), "download");
}
