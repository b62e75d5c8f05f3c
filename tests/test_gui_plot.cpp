// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli plot, run as the real program without a display, against the window's own chart;
// its formats, sizes and errors, and the report command, through the commands' own functions in
// this process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTextStream>
#include <QtTest/QTest>

#include "cli/Commands.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/ChartExport.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::ExamplePath;
using hypsor::test::ReadFile;

namespace {

struct CliRun {
  int exitCode = -1;
  QString err;
};

// Runs hypsor-cli as a desktop-less machine would: no display, no platform chosen.
CliRun Plot(const QStringList& args) {
  CliRun r;
  const QString cli = hypsor::test::CliPath();
  EXPECT_FALSE(cli.isEmpty()) << "HYPSOR_CLI is not set (run the test through CTest)";
  if (cli.isEmpty()) return r;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    env.remove(QString::fromLatin1(name));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(cli, QStringList{QStringLiteral("plot")} + args);
  EXPECT_TRUE(p.waitForFinished(60000));
  r.exitCode = p.exitCode();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// Runs a drawing command (cli::RunPlot, cli::RunReport) in this process, as the drawing module
// runs it for the program.
template <class Command>
CliRun RunHere(Command command, const QStringList& args) {
  QString out, err;
  CliRun r;
  {
    QTextStream outStream(&out), errStream(&err);
    r.exitCode = command(args, outStream, errStream);
  }
  r.err = err;
  return r;
}

CliRun PlotHere(const QStringList& args) { return RunHere(cli::RunPlot, args); }

// The share of pixels two images of one size agree on.
double Agreement(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 0;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  qint64 same = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) same += x.pixel(col, row) == y.pixel(col, row);
  return double(same) / (double(x.width()) * x.height());
}

}  // namespace

// The command line draws what the window draws: same curves, colours, labels and markers, in
// the window's language (a new window's, Polish).
TEST(CliPlot, SameChartAsTheWindowWithoutADisplay) {
  hypsor::test::MainWindowFixture f;
  const QString png = f.dir.filePath(QStringLiteral("cli.png"));
  const CliRun r =
      Plot({ExamplePath(QStringLiteral("sample-flight.hyp")), QStringLiteral("--compare"),
            ExamplePath(QStringLiteral("flight-25hz-plateaus.hyp")), QStringLiteral("--language"),
            QStringLiteral("pl"), QStringLiteral("--out"), png});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  const QImage cli(png);
  ASSERT_EQ(cli.size(), QSize(1280, 720));

  f.Create();
  f.Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Window()));
  f.Window().OpenFlightFile(ExamplePath(QStringLiteral("sample-flight.hyp")), FlightSlot::Main);
  f.Window().OpenFlightFile(ExamplePath(QStringLiteral("flight-25hz-plateaus.hyp")),
                            FlightSlot::Comparison);
  QApplication::processEvents();
  const QImage window =
      ChartImage(f.Window().Chart().Print(ChartTitle(f.Window().Workspace())), QSize(1280, 720));
  EXPECT_GT(Agreement(cli, window), 0.995);

  // The main flight's red is there, and so is a marker's black outline.
  bool red = false;
  for (int y = 0; y < cli.height() && !red; ++y)
    for (int x = 0; x < cli.width() && !red; ++x) red = cli.pixelColor(x, y) == QColor(Qt::red);
  EXPECT_TRUE(red);
}

// The program itself is the case above; the options and errors run in this process.
TEST(CliPlot, FormatsSizesAndErrors) {
  QTemporaryDir dir;
  const QString flight = ExamplePath(QStringLiteral("flight-50hz-9000.hyp"));
  const QString sized = dir.filePath(QStringLiteral("s.png"));
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--size"), QStringLiteral("800x500"),
                      QStringLiteral("--filter"), QStringLiteral("--compare"),
                      ExamplePath(QStringLiteral("flight-1hz.hyp")), QStringLiteral("--align"),
                      QStringLiteral("--out"), sized})
                .exitCode,
            0);
  EXPECT_EQ(QImage(sized).size(), QSize(800, 500));
  const QString svg = dir.filePath(QStringLiteral("c.SVG"));
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--out=") + svg}).exitCode, 0);
  EXPECT_TRUE(ReadFile(svg).contains("<svg"));
  const QString pdf = dir.filePath(QStringLiteral("c.pdf"));
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--out"), pdf}).exitCode, 0);
  EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF"));

  // English unless Polish is asked for: the texts' pixels differ, the rest not.
  const QString en = dir.filePath(QStringLiteral("en.png"));
  const QString pl = dir.filePath(QStringLiteral("pl.png"));
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--out"), en}).exitCode, 0);
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--language"), QStringLiteral("en"),
                      QStringLiteral("--out"), sized})
                .exitCode,
            0);
  ASSERT_EQ(PlotHere({flight, QStringLiteral("--language"), QStringLiteral("pl"),
                      QStringLiteral("--out"), pl})
                .exitCode,
            0);
  EXPECT_EQ(Agreement(QImage(en), QImage(sized)), 1.0);
  EXPECT_LT(Agreement(QImage(en), QImage(pl)), 1.0);
  EXPECT_GT(Agreement(QImage(en), QImage(pl)), 0.95);
  EXPECT_EQ(PlotHere({flight, QStringLiteral("--language"), QStringLiteral("de"),
                      QStringLiteral("--out"), pl})
                .exitCode,
            1);

  EXPECT_EQ(PlotHere({flight}).exitCode, 1);  // no --out
  EXPECT_EQ(
      PlotHere({flight, QStringLiteral("--out"), dir.filePath(QStringLiteral("x.jpg"))}).exitCode,
      1);
  EXPECT_EQ(PlotHere({flight, QStringLiteral("--size"), QStringLiteral("10x10"),
                      QStringLiteral("--out"), sized})
                .exitCode,
            1);
  EXPECT_EQ(PlotHere({flight, QStringLiteral("--bogus"), QStringLiteral("--out"), sized}).exitCode,
            1);
  EXPECT_EQ(PlotHere({dir.filePath(QStringLiteral("missing.hyp")), QStringLiteral("--out"), sized})
                .exitCode,
            2);
  EXPECT_EQ(
      PlotHere({flight, QStringLiteral("--out"), dir.filePath(QStringLiteral("no/such/dir.png"))})
          .exitCode,
      2);
}

namespace {

// The report command in this process, as the drawing module runs it for the program
// (which test_cli_light starts); args begin with the command's name.
CliRun Report(QStringList args) {
  args.removeFirst();
  return RunHere(cli::RunReport, args);
}

// The title as the PDF's information dictionary stores it: UTF-16, big end first.
QByteArray PdfText(const QString& text) {
  QByteArray out("\xFE\xFF", 2);
  for (QChar c : text)
    out.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
  return out;
}

}  // namespace

TEST(CliReport, WritesOneLocalisedPageAndNothingOnFailure) {
  QTemporaryDir dir;
  const QString pdf = QDir(dir.path()).filePath("report.pdf");
  const CliRun en =
      Report({"report", ExamplePath("sample-flight.hyp"), "--compare",
              ExamplePath("flight-spike.hyp"), "--out", pdf, "--contest", "Spring Cup"});
  ASSERT_EQ(en.exitCode, 0) << en.err.toStdString();
  QByteArray bytes = ReadFile(pdf);
  EXPECT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_TRUE(bytes.contains("/Count 1")) << "one page";
  EXPECT_TRUE(bytes.contains(PdfText("Flight report")));
  // The chart is on the page as an image, not left out.
  EXPECT_TRUE(bytes.contains("/Subtype /Image"));

  const CliRun pl =
      Report({"report", ExamplePath("flight-1hz.hyp"), "--out", pdf, "--language", "pl"});
  ASSERT_EQ(pl.exitCode, 0) << pl.err.toStdString();
  bytes = ReadFile(pdf);
  EXPECT_TRUE(bytes.contains(PdfText(QStringLiteral("Raport lotu"))));

  const QString missing = QDir(dir.path()).filePath("none.pdf");
  EXPECT_EQ(Report({"report", QDir(dir.path()).filePath("no.hyp"), "--out", missing}).exitCode, 2);
  EXPECT_FALSE(QFile::exists(missing));
  EXPECT_EQ(Report({"report", ExamplePath("flight-1hz.hyp"), "--out", dir.path()}).exitCode, 2);
  EXPECT_EQ(Report({"report", ExamplePath("flight-1hz.hyp")}).exitCode, 1);
  EXPECT_EQ(
      Report({"report", ExamplePath("flight-1hz.hyp"), "--out", pdf, "--language", "de"}).exitCode,
      1);
  const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(left, QStringList({"report.pdf"}));
}
