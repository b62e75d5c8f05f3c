// SPDX-License-Identifier: GPL-3.0-or-later
// The contest session in the main window: File menu, session line, keeping every download from
// the simulated altimeter, the results dock (ranking, double click, exports) and the flight report
// (PDF and printing through the platform's print service).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDialog>
#include <QDockWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

#include "contest/ContestNames.h"
#include "contest/FolderCheck.h"
#include "contest/FolderLock.h"
#include "contest/Ranking.h"
#include "contest/ResultsTable.h"
#include "files/FileDigest.h"
#include "files/SettingsFile.h"
#include "flight/Decode.h"
#include "flight/Filters.h"
#include "session/DeviceController.h"
#include "tests/support/CliProcess.h"
#include "text/VerifyReport.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/GateClock.h"
#include "tests/support/ScriptedAltimeter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"
#include "ui/FlightReport.h"
#include "ui/ContestResultsView.h"
#include "ui/MainWindowContest.h"
#include "tests/support/Failures.h"

namespace hypsor {
namespace {

using test::ReadFile;

// Answers the contest dialog as scripted (nothing: cancelled) and records what it suggested.
class FakeContestDialog : public ContestDialogService {
 public:
  std::optional<ContestChoice> AskContest(const ContestChoice& suggestion, int) override {
    suggestions.append(suggestion);
    if (answers.isEmpty()) return std::nullopt;
    return answers.takeFirst();
  }
  QList<ContestChoice> answers;
  QList<ContestChoice> suggestions;
};

// "Prints" into a PDF in memory when the test accepts the dialog.
class FakePrinter : public PrintService {
 public:
  bool Print(const QString& documentName,
             const std::function<void(QPagedPaintDevice&)>& paint) override {
    names.append(documentName);
    if (!accept) return false;
    QBuffer buffer(&printed);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    paint(writer);
    return true;
  }
  bool accept = true;
  QStringList names;
  QByteArray printed;
};

// The window with a contest dialog, a printer and a scripted altimeter on virtual time.
struct ContestFixture : test::MainWindowFixture {
  FakeContestDialog contest;
  FakePrinter printer;
  QTemporaryDir folder;
  test::ScriptedAltimeter altimeter;
  test::GateClock clock;
  ScriptedLine scripted{clock, [this](const ScriptedLine::Frame& fr) { return altimeter(fr); }};
  // The windows' controller uses the line to its end: they go first.
  ~ContestFixture() { windows.reset(); }
  void Create() {
    PlatformServices services{boxes, dialogs, documents, &contest, &printer};
    services.line = &scripted;
    services.lineClock = &clock;
    windows = CreateWindows(services, SettingsPaths{SettingsPath(), SettingsPath(), FallbackPath()});
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
  QStringList FlightFiles() const {
    QStringList names;
    for (const QString& n : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
      if (IsFlightFileName(n)) names << n;
    return names;
  }
  std::vector<FlightRecord> Table() const {
    std::vector<FlightRecord> rows;
    EXPECT_TRUE(ParseFlightTable(ReadFile(QDir(folder.path()).filePath("results.csv")), rows));
    return rows;
  }
  // Read, with the altimeter holding these bytes as its flight.
  void Read(const QByteArray& flight) {
    altimeter.flight = flight;
    Click("readButton");
  }
};

TEST(ContestWindow, ASessionThatCannotStartSaysWhyInTheLanguageInUse) {
  ContestFixture f;
  f.Create();
  // A folder that cannot be made: its parent is a file.
  const QString file = QDir(f.folder.path()).filePath(QStringLiteral("plain"));
  ASSERT_TRUE(test::WriteFile(file, "x"));
  for (const char* language : {"polishAction", "englishAction"}) {
    f.Trigger(language);
    f.boxes.boxes.clear();
    f.contest.answers.append({file + QStringLiteral("/contest"), "Puchar"});
    f.Trigger("contestSessionAction");
    ASSERT_EQ(f.boxes.boxes.size(), 1) << language;
    const QString text = f.boxes.boxes[0].text;
    const bool polish = QLatin1String(language) == QLatin1String("polishAction");
    EXPECT_EQ(text.contains(QStringLiteral("Nie można utworzyć folderu")), polish)
        << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("Cannot create folder")), !polish) << text.toStdString();
  }
}

TEST(ContestWindow, KeepsEveryDownloadShowsTheSessionAndRanks) {
  ContestFixture f;
  f.Create();
  auto* line = f.Control<QLabel>("contestLine");  // its tooltip holds the whole line
  auto* bar = f.Control<QToolBar>("contestBar");
  auto* dock = f.Control<QDockWidget>("resultsDock");
  ASSERT_TRUE(line && bar && dock);
  // The ranking's table is made with the first session: start-up does not wait for it.
  EXPECT_EQ(dock->findChild<QTableWidget*>("rankingTable"), nullptr);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_FALSE(f.Control<QAction>("endContestAction")->isEnabled());

  // Cancelled: nothing starts.
  f.Trigger("contestSessionAction");
  EXPECT_FALSE(bar->isVisible());
  f.contest.answers.append({f.folder.path(), "Puchar Wiosny"});
  f.Trigger("contestSessionAction");
  ASSERT_TRUE(bar->isVisible());
  EXPECT_TRUE(dock->isVisible());
  auto* table = f.Control<QTableWidget>("rankingTable");
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(line->toolTip().contains("Puchar Wiosny")) << line->toolTip().toStdString();
  EXPECT_TRUE(line->toolTip().contains(QDir::toNativeSeparators(f.folder.path())));
  EXPECT_TRUE(line->toolTip().endsWith(": 0")) << line->toolTip().toStdString();

  const QByteArray sample = ReadFile(test::ExamplePath("sample-flight.hyp"));
  QByteArray own = sample;
  own[2] = 12;
  own[3] = char(345 & 0xFF), own[4] = char(345 >> 8);
  f.Read(own);
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes[0].text.toStdString();
  QStringList files = f.FlightFiles();
  ASSERT_EQ(files.size(), 1);
  const QString first = files[0];
  // Competitor and serial from the flight's header; the time of the download.
  EXPECT_TRUE(first.startsWith("C12_S345_")) << first.toStdString();
  const std::optional<QDateTime> when = ContestFileTime(first);
  ASSERT_TRUE(when);
  EXPECT_LE(std::abs(when->secsTo(QDateTime::currentDateTime())), 60);
  EXPECT_EQ(f.Workspace().FlightPath(FlightSlot::Main), QDir(f.folder.path()).filePath(first));
  EXPECT_TRUE(line->toolTip().contains(first));
  EXPECT_EQ(table->rowCount(), 1);

  // A download without its end marker is kept too, marked incomplete.
  ASSERT_TRUE(sample.endsWith("\xFF\xFF"));
  f.Read(sample.chopped(2));
  files = f.FlightFiles();
  ASSERT_EQ(files.size(), 2);
  std::vector<FlightRecord> rows = f.Table();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].file, first);
  EXPECT_TRUE(rows[0].complete);
  EXPECT_FALSE(rows[1].complete);
  EXPECT_TRUE(line->toolTip().contains(rows[1].file));
  EXPECT_TRUE(line->toolTip().endsWith(QStringLiteral("(brak znacznika końca).")))
      << line->toolTip().toStdString();

  // Double click on a ranking row opens that competitor's best flight as the main flight.
  ASSERT_EQ(table->rowCount(), 2);
  const QString best = RankCompetitors(rows)[1].file;
  f.Workspace().OpenMainFlight(test::ExamplePath("flight-spike.hyp"), nullptr);
  const QRect cell = table->visualItemRect(table->item(1, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(f.Workspace().FlightPath(FlightSlot::Main), QDir(f.folder.path()).filePath(best));
  EXPECT_EQ(f.Workspace().Panel(FlightSlot::Main).caption, best);

  // Exports of the ranking.
  const QString csv = QDir(f.dir.path()).filePath("ranking.csv");
  const QString pdf = QDir(f.dir.path()).filePath("ranking.pdf");
  f.dialogs.saveNames = {csv, pdf};
  f.Click("exportRankingCsvButton");
  f.Click("exportRankingPdfButton");
  EXPECT_EQ(ReadFile(csv), RankingCsv(RankCompetitors(rows)));
  EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF-"));

  // Rebuild: a table that went missing comes back from the files.
  const QByteArray table1 = ReadFile(QDir(f.folder.path()).filePath("results.csv"));
  ASSERT_TRUE(QFile::remove(QDir(f.folder.path()).filePath("results.csv")));
  f.Trigger("rebuildResultsAction");
  EXPECT_EQ(ReadFile(QDir(f.folder.path()).filePath("results.csv")), table1);

  // Ended: the line goes, and a download is no longer kept.
  f.Trigger("endContestAction");
  EXPECT_FALSE(bar->isVisible());
  f.Read(sample);
  EXPECT_EQ(f.FlightFiles().size(), 2);
  EXPECT_TRUE(f.Workspace().FlightPath(FlightSlot::Main).isEmpty());

  // Resumed: the dialog suggests the last folder and name; the count goes on.
  f.contest.answers.append({f.folder.path(), QString()});
  f.Trigger("contestSessionAction");
  EXPECT_EQ(f.contest.suggestions.last().name, "Puchar Wiosny");
  EXPECT_TRUE(line->toolTip().contains("Puchar Wiosny"));
  EXPECT_TRUE(line->toolTip().endsWith(": 2")) << line->toolTip().toStdString();
}

TEST(ContestWindow, FlightReportAndPrintingInTheLanguageInUse) {
  ContestFixture f;
  f.Create();
  // Without a flight there is nothing to report.
  f.Trigger("flightReportAction");
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.dialogs.saveAsked, 0);

  const QString flight = test::ExamplePath("sample-flight.hyp");
  ASSERT_TRUE(f.Workspace().OpenMainFlight(flight, nullptr));
  f.Trigger("englishAction");
  EXPECT_EQ(f.Control<QMenu>("fileMenu")->title().remove('&'), "File");
  const QString pdf = QDir(f.dir.path()).filePath("report.pdf");
  f.dialogs.saveNames = {pdf};
  f.Trigger("flightReportAction");
  const QByteArray bytes = ReadFile(pdf);
  EXPECT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_TRUE(bytes.contains("/Count 1"));

  // What the report holds: the file's digest as `info` prints it, the statistics the window shows.
  const ReportContent c = GatherReport(f.Workspace(), "Cup");
  FileDigest digest;
  ASSERT_EQ(DigestFile(flight, 0, 0, digest).status, ReadOpenStatus::Ok);
  EXPECT_EQ(c.main.sha256, digest.sha256);
  EXPECT_EQ(c.main.file, "sample-flight.hyp");
  EXPECT_EQ(c.main.competitor, 7u);
  EXPECT_EQ(c.language, 1);
  EXPECT_FALSE(c.comparison);
  EXPECT_FALSE(c.chart.isNull());
  EXPECT_EQ(FormatAltitude(c.statistics.apogeeM, '.'), "380.5");  // what `info` calls max
  // After the filter the report's statistics are those of the filtered curve, as the panel's.
  f.Click("mainFilterButton");
  const ReportContent filtered = GatherReport(f.Workspace(), QString());
  EXPECT_EQ(FormatAltitude(filtered.statistics.apogeeM, '.'),
            QString(f.Workspace().Panel(FlightSlot::Main).maximum).replace(',', '.').trimmed());
  // The statistics panel shows the same digest.
  auto* stats = f.Control<QTableWidget>("statisticsTable");
  ASSERT_TRUE(stats);
  EXPECT_EQ(stats->item(stats->rowCount() - 1, 0)->text(), digest.sha256);

  // Printing goes through the print service; a cancelled dialog prints nothing.
  f.printer.accept = false;
  f.Trigger("printReportAction");
  EXPECT_TRUE(f.printer.printed.isEmpty());
  f.printer.accept = true;
  f.Trigger("printReportAction");
  EXPECT_EQ(f.printer.names, QStringList({"Flight report", "Flight report"}));
  EXPECT_TRUE(f.printer.printed.startsWith("%PDF-"));

  // An existing report is replaced only when the user agrees.
  const QByteArray before = ReadFile(pdf);
  f.dialogs.saveNames = {pdf};
  f.boxes.answers = {BoxResult::Cancel};
  f.Trigger("flightReportAction");
  EXPECT_EQ(ReadFile(pdf), before);
  f.Trigger("polishAction");
  EXPECT_EQ(f.Control<QMenu>("fileMenu")->title().remove('&'), "Plik");
  EXPECT_EQ(f.Control<QAction>("flightReportAction")->text().remove('&'), "Raport lotu…");
}

// Pixels of a curve's colour: the curve is drawn, not just the frame around it.
int PixelsOf(const QImage& drawn, QColor colour) {
  // Whole lines of 32-bit pixels: the pictures have millions.
  const QImage image = drawn.convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = line[x];
      if (std::abs(qRed(c) - colour.red()) + std::abs(qGreen(c) - colour.green()) +
              std::abs(qBlue(c) - colour.blue()) <
          60)
        ++n;
    }
  }
  return n;
}

TEST(ContestWindow, TheReportsChartIsTheDrawnChartInTheWindowAndOffScreen) {
  ContestFixture f;
  f.Create();
  f.Open(test::ExamplePath("sample-flight.hyp"));
  const QColor red = f.Window().Chart().CurvePen(Curve::Altitude).color();
  const ReportContent inWindow = GatherReport(f.Workspace(), QString());
  EXPECT_EQ(inWindow.chart.size(), QSize(2400, 1440));  // laid out at 1200x720, drawn twice as fine
  EXPECT_GT(PixelsOf(inWindow.chart, red), 600);

  Failure error;
  const std::optional<ReportContent> offScreen =
      FileReport(test::ExamplePath("sample-flight.hyp"), test::ExamplePath("flight-spike.hyp"),
                 "Cup", 0, &error);
  ASSERT_TRUE(offScreen) << Said(error);
  EXPECT_EQ(offScreen->chart.size(), QSize(2400, 1440));
  EXPECT_GT(PixelsOf(offScreen->chart, red), 1200);
  ASSERT_TRUE(offScreen->comparison);
  EXPECT_EQ(offScreen->comparison->file, "flight-spike.hyp");
  EXPECT_EQ(offScreen->contest, "Cup");
  EXPECT_FALSE(FileReport(f.dir.filePath("none.hyp"), QString(), QString(), 0, &error));
}

// Rows of the board's table and the status shown on each.
QStringList BoardColumn(QTableWidget* table, int column) {
  QStringList cells;
  for (int r = 0; r < table->rowCount(); ++r)
    cells << (table->item(r, column) ? table->item(r, column)->text() : QString());
  return cells;
}

TEST(ContestWindow, TheResultsBoardFollowsAnyStationAndTellsWhenTheResultsAreFinal) {
  ContestFixture f;
  f.Create();
  EXPECT_FALSE(f.Control<QAction>("resultsBoardAction")->isEnabled());
  f.contest.answers.append({f.folder.path(), "Puchar Lata"});
  f.Trigger("contestSessionAction");
  f.Trigger("englishAction");
  f.Trigger("resultsBoardAction");
  auto* board = f.Window().findChild<QWidget*>("resultsBoard");
  ASSERT_TRUE(board);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(board));
  auto* table = test::Child<QTableWidget>(board, "boardTable");
  auto* provisional = test::Child<QLabel>(board, "boardProvisional");
  auto* title = test::Child<QLabel>(board, "boardTitle");
  EXPECT_TRUE(title->text().contains("Puchar Lata"));
  EXPECT_EQ(provisional->text(), "PROVISIONAL");
  EXPECT_EQ(table->rowCount(), 0);

  // Another station (a process of its own) keeps a flight: the board shows it by itself.
  QByteArray bytes = ReadFile(test::ExamplePath("flight-1hz.hyp"));
  bytes[2] = 33;
  const QString input = QDir(f.dir.path()).filePath("in.hyp");
  ASSERT_TRUE(test::WriteFile(input, bytes));
  const test::CliRun kept = test::RunProgram(test::KeepFilePath(), {f.folder.path(), input});
  ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 1; }, 10000));
  EXPECT_EQ(BoardColumn(table, 1), QStringList({"33"}));
  EXPECT_EQ(BoardColumn(table, 0), QStringList({"1"}));
  EXPECT_EQ(BoardColumn(table, 3), QStringList({"valid"}));
  auto* last = test::Child<QLabel>(board, "boardLastFlight");
  EXPECT_TRUE(last->text().contains("competitor 33")) << last->text().toStdString();
  // Read across a tent: every row at least 1/20 of the screen's height.
  const int screenHeight = board->screen()->geometry().height();
  EXPECT_GE(table->rowHeight(0) * 20, screenHeight);

  // One byte of the kept flight changed in place: the board marks it and no longer ranks it.
  const QString path = kept.out.trimmed();
  QByteArray changed = ReadFile(path);
  changed[232] = static_cast<char>(changed[232] ^ 0x10);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.write(changed) == changed.size());
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return BoardColumn(table, 0) == QStringList({""}); }, 10000));
  EXPECT_EQ(BoardColumn(table, 3), QStringList({"changed since download"}));

  // The session ends: the results are final.
  f.Trigger("endContestAction");
  EXPECT_TRUE(provisional->text().isEmpty());
  board->close();
}

TEST(ContestWindow, VerifyShowsTheFolderReportInTheLanguageInUse) {
  ContestFixture f;
  f.Create();
  // No session: the folder is asked for; a cancelled question does nothing.
  f.Trigger("verifyFolderAction");
  EXPECT_FALSE(f.Window().findChild<QDialog*>("verifyWindow"));
  const QDir folder(f.folder.path());
  for (const char* name : {"flight-1hz.hyp", "sample-flight.hyp"}) {
    const test::CliRun kept =
        test::RunProgram(test::KeepFilePath(), {folder.path(), test::ExamplePath(name)});
    ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
  }
  QString changedFile;
  for (const QString& name : f.FlightFiles()) changedFile = name;
  QByteArray bytes = ReadFile(folder.filePath(changedFile));
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  ASSERT_TRUE(test::WriteFile(folder.filePath(changedFile), bytes));
  ASSERT_TRUE(test::WriteFile(folder.filePath("extra.hyp"), ReadFile(test::ExamplePath("flight-spike.hyp"))));

  f.dialogs.folderNames = {folder.path()};
  f.Trigger("verifyFolderAction");
  auto* window = f.Window().findChild<QDialog*>("verifyWindow");
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isVisible());
  const QString report = test::Child<QPlainTextEdit>(window, "verifyReport")->toPlainText();
  EXPECT_TRUE(report.contains("invalid  " + changedFile + "  changed\n")) << report.toStdString();
  // The copied flight's spike is named too.
  EXPECT_TRUE(report.contains("invalid  extra.hyp  not-in-log  flags: spike\n"))
      << report.toStdString();
  FilterTables work;
  EXPECT_EQ(report, VerifyReport(CheckContestFolder(folder.path(), work, true), 0));
  EXPECT_EQ(test::Child<QLabel>(window, "verifySummary")->text(),
            QStringLiteral("Loty: 3 · ważne: 1 · z ostrzeżeniami: 0 · nieważne: 2"));

  // With a session on, its folder is the one checked, in English now.
  f.Trigger("englishAction");
  f.contest.answers.append({folder.path(), "Cup"});
  f.Trigger("contestSessionAction");
  f.Trigger("verifyFolderAction");
  EXPECT_EQ(test::Child<QLabel>(window, "verifySummary")->text(),
            QStringLiteral("Flights: 3 · valid: 1 · with warnings: 0 · invalid: 2"));
  EXPECT_TRUE(f.dialogs.folderNames.isEmpty());
  // The dock shows the status too, the changed flight without a rank.
  auto* ranking = f.Control<QTableWidget>("rankingTable");
  ASSERT_EQ(ranking->rowCount(), 3);
  EXPECT_EQ(BoardColumn(ranking, 0), QStringList({"1", "", ""}));
  EXPECT_TRUE(BoardColumn(ranking, 4).contains("changed since download"));
}

TEST(ContestWindow, AFolderThatCannotKeepTheFlightStopsTheDownloadBeforeTheAltimeter) {
  ContestFixture f;
  f.Create();
  f.contest.answers.append({f.folder.path(), "Cup"});
  f.Trigger("contestSessionAction");
  f.Trigger("polishAction");
  FolderLock other(f.folder.path());
  Failure error;
  ASSERT_TRUE(other.Acquire(1000, &error));
  const QByteArray flight = ReadFile(test::ExamplePath("sample-flight.hyp"));
  f.Read(flight);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  // Why, in the window's language from end to end.
  const QString text = f.boxes.boxes[0].text;
  EXPECT_TRUE(text.contains(QString::fromUtf8("Hypsor nie został odpytany")) &&
              text.contains(QString::fromUtf8("zablokowany przez inne stanowisko")) &&
              !text.contains("locked"))
      << text.toStdString();
  EXPECT_FALSE(f.Workspace().HasMainFlight());
  EXPECT_TRUE(f.FlightFiles().isEmpty());
  // Free again: the same altimeter's flight is fetched and kept.
  other.Release();
  f.boxes.boxes.clear();
  f.Read(flight);
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_EQ(f.FlightFiles().size(), 1);
}

// Another station holds the folder's lock for a moment, first when Read asks whether the folder
// can keep a flight, then while the flight is kept: the window waits for it without sleeping
// (the other station lets go from a timer on the window's thread), shows that it waits, takes
// no command meanwhile, and then fetches and records the flight as if the lock had been free.
TEST(ContestWindow, AFolderLockedForAMomentIsWaitedForWhileTheWindowAnswers) {
  ContestFixture f;
  f.Create();
  f.contest.answers.append({f.folder.path(), "Cup"});
  f.Trigger("contestSessionAction");
  FolderLock other(f.folder.path());
  Failure error;
  ASSERT_TRUE(other.Acquire(1000, &error));
  auto* banner = f.Control<QLineEdit>("waitBanner");
  auto* read = f.Control<QPushButton>("readButton");
  bool held = false;
  QTimer::singleShot(300, [&] {
    held = banner->isVisible() && !read->isEnabled() && f.Window().ExchangeRunning();
    other.Release();
  });
  f.Read(ReadFile(test::ExamplePath("sample-flight.hyp")));
  EXPECT_TRUE(held);
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes.value(0).text.toStdString();
  EXPECT_FALSE(banner->isVisible());
  EXPECT_EQ(f.FlightFiles().size(), 1);

  // Taken again as the flight is asked for: the keep waits for it, and the download ends once
  // the flight is recorded.
  bool keepHeld = false;
  QObject::connect(&f.Window().Device(), &DeviceController::flightRequested, &f.Window(), [&] {
    if (!other.Acquire(1000, &error)) return;
    QTimer::singleShot(300, [&] {
      keepHeld = f.Window().ExchangeRunning() && f.FlightFiles().size() == 2;
      other.Release();
    });
  });
  f.Read(ReadFile(test::ExamplePath("flight-1hz.hyp")));
  EXPECT_TRUE(keepHeld);
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes.value(0).text.toStdString();
  ASSERT_EQ(f.FlightFiles().size(), 2);
  EXPECT_EQ(f.Table().size(), 2u) << "recorded, not kept unrecorded";
}

TEST(ContestWindow, TheRankingPdfPrintsTheContestNameAndRankingInFullAboveTheTable) {
  RankingRow row;
  row.rank = 1;
  row.competitor = 7;
  row.bestApogeeM = 380.5f;
  row.flights = 1;
  row.file = "C7_S1_20260517-140309.hyp";
  const QSize page(1000, 1400);
  auto draw = [&](const QString& contest) {
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintRankingPages(p, QSizeF(page), [] {}, {row}, contest, 1);
    return image;
  };
  // Rows of the page that hold ink, and how far right the ink of a band of rows reaches.
  auto inked = [](const QImage& image, int y) {
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
  };
  auto rightmost = [](const QImage& image, int top, int bottom) {
    int right = -1;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, y)) < 128) right = std::max(right, x);
    return right;
  };
  // Bands of ink from the top: the contest's name, "Ranking", the column heads, the row.
  auto bandsOf = [&](const QImage& image) {
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < page.height(); ++y) {
      if (!inked(image, y)) continue;
      if (bands.empty() || y > bands.back().second + 1)
        bands.push_back({y, y});
      else
        bands.back().second = y;
    }
    return bands;
  };
  const QImage image = draw("Puchar Polski Modeli Rakiet 2026");
  const auto bands = bandsOf(image);
  ASSERT_EQ(bands.size(), 4u);
  // The name runs well past the rank column (8% of the width): it is there whole.
  EXPECT_GT(rightmost(image, bands[0].first, bands[0].second + 1), page.width() / 3);
  // Without a name: "Ranking", the heads, the row.
  EXPECT_EQ(bandsOf(draw(QString())).size(), 3u);
}

}  // namespace
}  // namespace hypsor
