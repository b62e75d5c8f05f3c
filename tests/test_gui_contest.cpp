// SPDX-License-Identifier: GPL-3.0-or-later
// The contest session in the main window: File menu, session line, keeping every download from
// the simulated altimeter, the results dock (ranking, double click, exports) and the flight report
// (PDF and printing through the platform's print service).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDialog>
#include <QDockWidget>
#include <QApplication>
#include <QHeaderView>
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
#include "tests/support/PdfText.h"
#include "text/VerifyReport.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/GateClock.h"
#include "tests/support/ScriptedAltimeter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"
#include "ui/FlightReport.h"
#include "ui/ContestResultsView.h"
#include "ui/RankingPdf.h"
#include "text/FlightStateText.h"
#include "text/Texts.h"
#include "contest/ContestSession.h"
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
  FilterTables work;
  EXPECT_EQ(VerifyLevel(CheckContestFolder(f.folder.path(), work, false).flights.at(0)),
            FlightLevel::Valid);
  auto* last = test::Child<QLabel>(board, "boardLastFlight");
  EXPECT_TRUE(last->text().contains("competitor 33")) << last->text().toStdString();
  // Read across a tent: every row at least 1/20 of the screen's height.
  const int screenHeight = board->screen()->geometry().height();
  EXPECT_GE(table->rowHeight(0) * 20, screenHeight);

  // One byte of the kept flight changed in place: the board marks it and no longer ranks it.
  const QString path = kept.out.trimmed();
  const QByteArray original = ReadFile(path);
  QByteArray changed = original;
  changed[232] = static_cast<char>(changed[232] ^ 0x10);
  auto overwrite = [&](const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.write(content) == content.size();
  };
  ASSERT_TRUE(overwrite(changed));
  EXPECT_TRUE(QTest::qWaitFor([&] { return BoardColumn(table, 0) == QStringList({""}); }, 10000));
  EXPECT_EQ(BoardColumn(table, 3), QStringList({"invalid: changed since download"}));

  // The session ends, but a flight is not valid: the results may still change.
  f.Trigger("endContestAction");
  EXPECT_EQ(provisional->text(), "PROVISIONAL");
  // Its bytes back as kept: every flight valid and the session over, the results are final.
  ASSERT_TRUE(overwrite(original));
  EXPECT_TRUE(QTest::qWaitFor([&] { return BoardColumn(table, 0) == QStringList({"1"}); }, 10000));
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
  auto* reportView = test::Child<QPlainTextEdit>(window, "verifyReport");
  const QString report = reportView->toPlainText();
  // In Polish from end to end: levels, reasons and flags in words, no code of the scripts'.
  const QString invalid = QStringLiteral("nieważny").leftJustified(13);
  EXPECT_TRUE(report.contains(invalid + changedFile + QStringLiteral("  zmieniony po zapisie\n")))
      << report.toStdString();
  // The copied flight's spike is named too.
  EXPECT_TRUE(report.contains(invalid + QStringLiteral("extra.hyp  brak w dzienniku, skok\n")))
      << report.toStdString();
  for (const char* code : {"invalid", "valid ", "changed", "not-in-log", "flags:", "spike"})
    EXPECT_FALSE(report.contains(QLatin1String(code))) << code << "\n" << report.toStdString();
  EXPECT_TRUE(report.endsWith(QStringLiteral("problemy folderu: 0\n"))) << report.toStdString();
  FilterTables work;
  EXPECT_EQ(report, VerifyReport(CheckContestFolder(folder.path(), work, true), 0,
                                 VerifyWording::Words));
  EXPECT_EQ(test::Child<QLabel>(window, "verifySummary")->text(),
            QStringLiteral("Loty: 3 · ważne: 1 · z ostrzeżeniami: 0 · nieważne: 2"));

  // With a session on, its folder is the one checked, in English now.
  f.Trigger("englishAction");
  f.contest.answers.append({folder.path(), "Cup"});
  f.Trigger("contestSessionAction");
  f.Trigger("verifyFolderAction");
  EXPECT_EQ(test::Child<QLabel>(window, "verifySummary")->text(),
            QStringLiteral("Flights: 3 · valid: 1 · with warnings: 0 · invalid: 2"));
  EXPECT_TRUE(reportView->toPlainText().contains(
      QStringLiteral("invalid  extra.hyp  not in the log, spike\n")))
      << reportView->toPlainText().toStdString();
  EXPECT_TRUE(f.dialogs.folderNames.isEmpty());
  // The dock names each state as the check does, the changed flight without a rank.
  auto* ranking = f.Control<QTableWidget>("rankingTable");
  ASSERT_EQ(ranking->rowCount(), 3);
  EXPECT_EQ(BoardColumn(ranking, 0), QStringList({"1", "", ""}));
  EXPECT_TRUE(BoardColumn(ranking, 4).contains("invalid: changed since download"));
  EXPECT_TRUE(BoardColumn(ranking, 4).contains("invalid: not in the log, spike"));
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

// The ranking PDF as a reader sees it: every heading whole, the contest's name, when it was made,
// and a provisional mark exactly while the ranking may still change.
TEST(ContestWindow, TheRankingPdfPrintsItsHeadingsWholeWithTheTimeAndWhetherItIsFinal) {
  QTemporaryDir dir;
  RankingRow row;
  row.rank = 1;
  row.competitor = 7;
  row.bestApogeeM = 380.5f;
  row.flights = 1;
  row.file = "C7_S1_20260517-140309.hyp";
  RankingRow unranked = row;
  unranked.rank = 0;
  unranked.competitor = 12;
  unranked.file = "C12_S3_20260517-141502-2.hyp";
  unranked.reasons = ReasonChanged | ReasonNotInLog;
  unranked.flags = {"spike"};
  RankingDocument document;
  document.contest = "Puchar Polski Modeli Rakiet 2026 – runda finałowa";
  document.made = QDateTime(QDate(2026, 5, 17), QTime(15, 42));
  for (int language : {0, 1}) {
    for (bool final : {true, false}) {
      document.rows = final ? std::vector<RankingRow>{row} : std::vector<RankingRow>{row, unranked};
      document.provisional = RankingProvisional(document.rows, false);
      EXPECT_EQ(document.provisional, !final);
      document.language = language;
      const QString path = dir.filePath(QStringLiteral("ranking.pdf"));
      Failure error;
      ASSERT_TRUE(WriteRankingPdf(document, path, &error)) << Said(error);
      const test::CliRun read = test::PdfText(path);
      ASSERT_EQ(read.status, 0) << read.err.toStdString();
      // Words as on the page, whatever lines a heading was wrapped over.
      const QStringList words = read.out.simplified().split(' ');
      auto has = [&words](const QString& text) {
        const QStringList want = text.split(' ');
        for (qsizetype k = 0; k + want.size() <= words.size(); ++k)
          if (words.mid(k, want.size()) == want) return true;
        return false;
      };
      auto hasWords = [&words](const QString& text) {
        for (const QString& w : text.split(' '))
          if (!words.contains(w)) return false;
        return true;
      };
      const std::string seen = read.out.toStdString();
      EXPECT_TRUE(has(document.contest)) << seen;
      EXPECT_TRUE(has(Text(Txt::RankingTitle, language))) << seen;
      for (const QString& heading : RankingHeadings(language))
        EXPECT_TRUE(hasWords(heading)) << heading.toStdString() << "\n" << seen;
      EXPECT_FALSE(read.out.contains(QStringLiteral("…")) || read.out.contains("...")) << seen;
      EXPECT_TRUE(has(Text(Txt::ReportCreated, language).arg("2026-05-17 15:42"))) << seen;
      EXPECT_EQ(has(Text(Txt::RankingProvisionalNote, language)), !final) << seen;
      EXPECT_TRUE(has(row.file) && has("380.5")) << seen;
      if (!final) {
        EXPECT_TRUE(has(unranked.file)) << seen;
        EXPECT_TRUE(hasWords(FlightStateText(unranked.reasons, unranked.flags, language))) << seen;
      }
    }
  }
  // A closed contest whose best flight carries a warning is not final either.
  row.flags = {"spike"};
  EXPECT_TRUE(RankingProvisional({row}, false));
  row.flags.clear();
  EXPECT_FALSE(RankingProvisional({row}, false));
  EXPECT_TRUE(RankingProvisional({row}, true));
}

// The folder's results as a second station and a changed file leave them: the dock, the session
// line and the ranking exports show what the board shows, at once on Verify, Rebuild and before
// an export, and within moments of a change by themselves.
TEST(ContestWindow, TheDockTheLineAndTheExportsShowTheFolderAsTheBoardDoes) {
  ContestFixture f;
  f.Create();
  f.contest.answers.append({f.folder.path(), "Puchar Jesieni"});
  f.Trigger("contestSessionAction");
  f.Trigger("resultsBoardAction");
  auto* line = f.Control<QLabel>("contestLine");
  auto* dock = f.Control<QTableWidget>("rankingTable");
  auto* board = f.Window().findChild<QWidget*>("resultsBoard");
  ASSERT_TRUE(line && dock && board);
  auto* boardTable = test::Child<QTableWidget>(board, "boardTable");
  const QDir folder(f.folder.path());
  auto flightOf = [](const char* example, int competitor) {
    QByteArray bytes = ReadFile(test::ExamplePath(QLatin1String(example)));
    bytes[2] = static_cast<char>(competitor);
    return bytes;
  };
  // What the dock shows: competitor and state of each row, as the board's columns.
  auto dockRows = [&] { return BoardColumn(dock, 1); };
  auto dockStates = [&] { return BoardColumn(dock, 4); };
  auto lineCount = [&] {
    const QString text = line->toolTip();
    const QString key = QStringLiteral("lotów: ");
    const qsizetype at = text.indexOf(key);
    return at < 0 ? QString() : text.mid(at + key.size()).section(QLatin1Char(' '), 0, 0);
  };

  // Three flights read here.
  f.Read(flightOf("flight-1hz.hyp", 11));
  f.Read(flightOf("sample-flight.hyp", 12));
  f.Read(flightOf("flight-25hz-plateaus.hyp", 13));
  ASSERT_TRUE(f.boxes.boxes.isEmpty()) << f.boxes.boxes[0].text.toStdString();
  EXPECT_EQ(lineCount(), "3");
  ASSERT_EQ(dock->rowCount(), 3);
  const QString best = dockRows().at(0);
  EXPECT_EQ(BoardColumn(dock, 0).at(0), "1");

  // A fourth from a second station, kept as `download --session` keeps it: shown by itself.
  const QString input = QDir(f.dir.path()).filePath("station2.hyp");
  ASSERT_TRUE(test::WriteFile(input, flightOf("sample-flight.hyp", 14)));
  const test::CliRun kept = test::RunProgram(test::KeepFilePath(), {folder.path(), input});
  ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return lineCount() == "4"; }, 10000)) << lineCount().toStdString();
  EXPECT_TRUE(dockRows().contains("14"));
  EXPECT_EQ(BoardColumn(boardTable, 1), dockRows());

  // One byte of the best flight's file flipped, then File → Verify at once: the dock and the
  // line show the check's state before any watch has told them.
  QString bestFile;
  for (const RankingRow& r : RankCompetitors(f.Table()))
    if (QString::number(r.competitor) == best) bestFile = r.file;
  ASSERT_FALSE(bestFile.isEmpty());
  QByteArray bytes = ReadFile(folder.filePath(bestFile));
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  ASSERT_TRUE(test::WriteFile(folder.filePath(bestFile), bytes));
  f.Trigger("verifyFolderAction");
  EXPECT_EQ(lineCount(), "4");
  ASSERT_EQ(dock->rowCount(), 4);
  EXPECT_NE(dockRows().at(0), best);
  const qsizetype changedRow = dockRows().lastIndexOf(best);
  EXPECT_EQ(BoardColumn(dock, 0).at(changedRow), "");
  EXPECT_EQ(dockStates().at(changedRow), "nieważny: zmieniony po zapisie");
  FilterTables work;
  const std::vector<RankingRow> expected =
      RankCompetitors(CheckContestFolder(folder.path(), work, false).flights);
  EXPECT_EQ(static_cast<std::size_t>(dock->rowCount()), expected.size());
  EXPECT_TRUE(QTest::qWaitFor([&] { return BoardColumn(boardTable, 1) == dockRows(); }, 10000));

  // A fifth competitor kept through the session's own calls, and the ranking exported at once:
  // both exports hold it.
  {
    ContestSession station;
    Failure error;
    ASSERT_TRUE(station.Start(folder.path(), QString(), &error)) << Said(error);
    const QByteArray fifth = flightOf("flight-1hz.hyp", 15);
    ASSERT_EQ(station.KeepDownload({reinterpret_cast<const std::uint8_t*>(fifth.constData()),
                                    static_cast<std::size_t>(fifth.size())},
                                   QDateTime::currentDateTime().addSecs(60), nullptr, &error),
              KeepOutcome::Kept)
        << Said(error);
  }
  const QString csv = QDir(f.dir.path()).filePath("ranking.csv");
  const QString pdf = QDir(f.dir.path()).filePath("ranking.pdf");
  f.dialogs.saveNames = {csv, pdf};
  f.dialogs.saveRequests.clear();
  f.Click("exportRankingCsvButton");
  f.Click("exportRankingPdfButton");
  // Offered as tables and documents, named after the contest, beside its folder.
  ASSERT_EQ(f.dialogs.saveRequests.size(), 2);
  const QDir beside = QFileInfo(folder.path()).absoluteDir();
  EXPECT_EQ(f.dialogs.saveRequests[0].filters,
            QStringList({"Pliki CSV (*.csv)", "Wszystkie pliki (*)"}));
  EXPECT_EQ(f.dialogs.saveRequests[0].suggestedPath,
            beside.filePath(QStringLiteral("Puchar Jesieni – Klasyfikacja.csv")));
  EXPECT_EQ(f.dialogs.saveRequests[1].filters,
            QStringList({"Dokumenty PDF (*.pdf)", "Wszystkie pliki (*)"}));
  EXPECT_EQ(f.dialogs.saveRequests[1].suggestedPath,
            beside.filePath(QStringLiteral("Puchar Jesieni – Klasyfikacja.pdf")));
  const std::vector<RankingRow> now =
      RankCompetitors(CheckContestFolder(folder.path(), work, false).flights);
  EXPECT_EQ(ReadFile(csv), RankingCsv(now));
  EXPECT_EQ(lineCount(), "5");
  EXPECT_TRUE(dockRows().contains("15"));
  const test::CliRun read = test::PdfText(pdf);
  ASSERT_EQ(read.status, 0) << read.err.toStdString();
  // A row a line (its state may wrap onto the next lines): rank, competitor, apogee, flights,
  // state, file, as the dock has them, in the ranking's order.
  QStringList lines;
  for (const QString& l : read.out.split('\n'))
    if (!l.simplified().isEmpty()) lines << l.simplified();
  std::vector<qsizetype> at;
  for (const RankingRow& r : now)
    for (qsizetype i = 0; i < lines.size(); ++i)
      if (lines[i].contains(r.file)) at.push_back(i);
  ASSERT_EQ(at.size(), now.size()) << read.out.toStdString();
  for (std::size_t k = 0; k < now.size(); ++k) {
    const QStringList cells = RankingCells(now[k], 0);
    EXPECT_TRUE(lines[at[k]].startsWith(cells.mid(0, 4).join(' ').simplified() + ' '))
        << lines[at[k]].toStdString();
    if (k > 0) {
      EXPECT_LT(at[k - 1], at[k]) << "in the ranking's order";
    }
    const qsizetype end = k + 1 < now.size() ? at[k + 1] : lines.size();
    const QStringList block = lines.mid(at[k], end - at[k]).join(' ').split(' ');
    for (const QString& word : cells[4].split(' '))
      EXPECT_TRUE(block.contains(word)) << word.toStdString() << " of row " << k;
  }
  EXPECT_TRUE(read.out.contains(QStringLiteral("Puchar Jesieni")));
  EXPECT_TRUE(read.out.contains(Text(Txt::RankingProvisionalNote, 0).left(17)));

  // Rebuild reads the folder again as well: another flipped byte shows at once.
  const QString other = now.front().file;
  bytes = ReadFile(folder.filePath(other));
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  ASSERT_TRUE(test::WriteFile(folder.filePath(other), bytes));
  f.Trigger("rebuildResultsAction");
  EXPECT_EQ(BoardColumn(dock, 0).count(""), 2);
  EXPECT_TRUE(dockStates().contains("nieważny: zmieniony po zapisie"));
  board->close();
}

// In a contest the flight report names the contest for the flights kept in its folder only,
// never for a comparison (or a main flight) opened from elsewhere.
TEST(ContestWindow, TheFlightReportGivesTheContestOnlyToItsFlights) {
  ContestFixture f;
  f.Create();
  f.contest.answers.append({f.folder.path(), "Puchar Zimy"});
  f.Trigger("contestSessionAction");
  f.Trigger("englishAction");
  f.Read(ReadFile(test::ExamplePath("sample-flight.hyp")));
  ASSERT_EQ(f.FlightFiles().size(), 1);
  const QString keptPath = QDir(f.folder.path()).filePath(f.FlightFiles()[0]);
  f.Compare(test::ExamplePath("flight-1hz.hyp"));
  const QString pdf = QDir(f.dir.path()).filePath("report.pdf");
  auto reportLines = [&] {
    f.dialogs.saveNames = {pdf};
    f.Trigger("flightReportAction");
    const test::CliRun read = test::PdfText(pdf);
    EXPECT_EQ(read.status, 0) << read.err.toStdString();
    QStringList lines;
    for (const QString& l : read.out.split('\n')) lines << l.simplified();
    return lines;
  };
  QStringList lines = reportLines();
  EXPECT_TRUE(lines.contains(QStringLiteral("Flight report — Puchar Zimy"))) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("Contest Puchar Zimy –"))) << lines.join('\n').toStdString();
  const ReportContent c = GatherReport(f.Workspace(), "Puchar Zimy", f.folder.path());
  EXPECT_EQ(c.main.contest, "Puchar Zimy");
  ASSERT_TRUE(c.comparison);
  EXPECT_TRUE(c.comparison->contest.isEmpty());

  // An example as the main flight, the kept one as its comparison: the title names no contest.
  f.Open(test::ExamplePath("flight-spike.hyp"));
  f.Compare(keptPath);
  lines = reportLines();
  EXPECT_TRUE(lines.contains(QStringLiteral("Flight report"))) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("Contest – Puchar Zimy"))) << lines.join('\n').toStdString();
  // Nothing of the contest's when neither flight is.
  f.Compare(test::ExamplePath("flight-1hz.hyp"));
  lines = reportLines();
  EXPECT_FALSE(lines.join('\n').contains(QStringLiteral("Puchar Zimy"))) << lines.join('\n').toStdString();
}

// Whether every text of the board is shown whole at its size: the title on at most two lines,
// each heading and cell in its column, the marks in their row, and the board on the screen.
void ExpectBoardFits(QWidget* board, const std::string& where) {
  const QRect screen = board->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(board->frameGeometry()))
      << where << ": board " << board->frameGeometry().width() << "x"
      << board->frameGeometry().height() << " on " << screen.width() << "x" << screen.height();
  auto* title = test::Child<QLabel>(board, "boardTitle");
  const int titleNeeds = title->heightForWidth(title->width());
  EXPECT_LE(titleNeeds, title->height()) << where << ": title clipped";
  EXPECT_LE(titleNeeds, 2 * title->fontMetrics().lineSpacing() + 2 * title->margin() + 4)
      << where << ": title on more than two lines";
  for (const char* name : {"boardProvisional"}) {
    auto* label = test::Child<QLabel>(board, name);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
        << where << ": " << name;
  }
  auto* last = test::Child<QLabel>(board, "boardLastFlight");
  EXPECT_LE(last->heightForWidth(last->width()), last->height()) << where << ": last flight";
  auto* button = test::Child<QPushButton>(board, "boardFullScreenButton");
  EXPECT_GE(button->width(), button->sizeHint().width()) << where << ": button";
  auto* table = test::Child<QTableWidget>(board, "boardTable");
  QHeaderView* header = table->horizontalHeader();
  EXPECT_LE(header->length(), table->viewport()->width()) << where << ": wider than the board";
  for (int c = 0; c < table->columnCount(); ++c) {
    EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
        << where << ": heading " << c << " clipped";
    EXPECT_GE(table->columnWidth(c),
              static_cast<QAbstractItemView*>(table)->sizeHintForColumn(c))
        << where << ": cells of column " << c << " clipped";
  }
  for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(table),
                     static_cast<QWidget*>(last), static_cast<QWidget*>(button)})
    EXPECT_TRUE(board->rect().contains(w->geometry())) << where << ": " << w->objectName().toStdString();
}

// The board in a window, maximised and full screen, in both languages, on the screen the test
// runs on (800x600, and 1280x800 in a run of its own): nothing cut, nothing off the screen.
TEST(ContestBoard, FitsItsScreenInEitherLanguageWindowedMaximisedAndFullScreen) {
  ContestFixture f;
  f.Create();
  f.contest.answers.append(
      {f.folder.path(), QStringLiteral("Mistrzostwa Polski Modeli Rakiet 2026 – runda finałowa")});
  f.Trigger("contestSessionAction");
  // Flights with the longest states: a changed one and one the log lacks.
  for (int competitor : {101, 102, 103}) {
    QByteArray bytes = ReadFile(test::ExamplePath("flight-spike.hyp"));
    bytes[2] = static_cast<char>(competitor);
    f.Read(bytes);
  }
  const QStringList files = f.FlightFiles();
  ASSERT_EQ(files.size(), 3);
  const QDir folder(f.folder.path());
  QByteArray bytes = ReadFile(folder.filePath(files[0]));
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  ASSERT_TRUE(test::WriteFile(folder.filePath(files[0]), bytes));
  ASSERT_TRUE(test::WriteFile(folder.filePath("extra.hyp"), ReadFile(test::ExamplePath("flight-spike.hyp"))));
  f.Trigger("rebuildResultsAction");
  f.boxes.boxes.clear();
  f.Trigger("resultsBoardAction");
  auto* board = f.Window().findChild<QWidget*>("resultsBoard");
  ASSERT_TRUE(board);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(board));
  const QString size = QStringLiteral("%1x%2").arg(board->screen()->geometry().width())
                           .arg(board->screen()->geometry().height());
  for (const char* language : {"polishAction", "englishAction"}) {
    f.Trigger(language);
    const std::string at = size.toStdString() + " " + language;
    board->showNormal();
    QApplication::processEvents();
    ExpectBoardFits(board, at + " windowed");
    board->showMaximized();
    QTest::qWait(50);
    ExpectBoardFits(board, at + " maximised");
    test::Child<QPushButton>(board, "boardFullScreenButton")->click();
    QTest::qWait(50);
    EXPECT_TRUE(board->isFullScreen());
    ExpectBoardFits(board, at + " full screen");
    test::Child<QPushButton>(board, "boardFullScreenButton")->click();
    QTest::qWait(50);
  }
  // The rows stay read across a tent: at least 1/20 of the screen's height.
  auto* table = test::Child<QTableWidget>(board, "boardTable");
  ASSERT_GT(table->rowCount(), 0);
  EXPECT_GE(table->rowHeight(0) * 20, board->screen()->geometry().height());
  board->close();
}

}  // namespace
}  // namespace hypsor
