// SPDX-License-Identifier: GPL-3.0-or-later
// The contest's rulebook in the window: the Contest menu's dialogs and the current event and
// round on the session line, clicked as an organiser would, with the log as the record.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "contest/ContestBook.h"
#include "contest/FlightRecord.h"
#include "flight/Decode.h"
#include "flight/Filters.h"

#include <cmath>
#include "platform/ContestDialogs.h"
#include "tests/support/GateClock.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PdfText.h"
#include "tests/support/ScriptedAltimeter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::ReadFile;

class AnswerContest : public ContestDialogService {
 public:
  std::optional<ContestChoice> AskContest(const ContestChoice&, int) override { return choice; }
  ContestChoice choice;
};

struct RulebookWindow : test::MainWindowFixture {
  AnswerContest contest;
  QTemporaryDir folder;
  test::ScriptedAltimeter altimeter;
  test::GateClock clock;
  ScriptedLine scripted{clock, [this](const ScriptedLine::Frame& fr) { return altimeter(fr); }};
  ~RulebookWindow() { windows.reset(); }
  void Start() {
    PlatformServices services{boxes, dialogs, documents, &contest, nullptr};
    services.line = &scripted;
    services.lineClock = &clock;
    windows = CreateWindows(services, SettingsPaths{SettingsPath(), SettingsPath(), FallbackPath()});
    Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    contest.choice = {folder.path(), QStringLiteral("Puchar Polski")};
    Trigger("contestSessionAction");
  }
  ContestBook Book() const {
    ContestLog log;
    EXPECT_TRUE(ReadContestLog(folder.path(), log, nullptr));
    return ReadContestBook(log);
  }
  QByteArray Log() const { return ReadFile(QDir(folder.path()).filePath("contest.log")); }
  void Read(QByteArray flight, int competitor) {
    flight[0] = 0;
    flight[2] = static_cast<char>(competitor);
    altimeter.flight = flight;
    Click("readButton");
  }
};

TEST(RulebookWindow, AnOrganiserRunsAnEventFromTheContestMenu) {
  RulebookWindow w;
  w.Start();
  auto* menu = w.Control<QMenu>("contestMenu");
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->title().remove(QLatin1Char('&')), QStringLiteral("Zawody"));
  w.Trigger("englishAction");
  EXPECT_EQ(menu->title().remove(QLatin1Char('&')), QStringLiteral("Contest"));

  // Events: typed, added, listed; a wrong one says why and adds nothing.
  w.Trigger("eventsAction");
  auto* spec = w.Control<QLineEdit>("eventSpecEdit");
  ASSERT_TRUE(spec);
  spec->setText(QStringLiteral("PA=nar-precision-altitude"));
  w.Click("addEventButton");
  spec->setText(QStringLiteral("S5=fai-s9"));
  w.Click("addEventButton");
  ASSERT_EQ(w.boxes.boxes.size(), 1);
  EXPECT_TRUE(w.boxes.boxes[0].text.contains(QStringLiteral("No rule pack \"fai-s9\"")));
  EXPECT_EQ(w.Control<QTableWidget>("eventsTable")->rowCount(), 1);
  EXPECT_EQ(w.Book().EventIds(), QStringList{QStringLiteral("PA")});

  // Competitors from a CSV, then a prediction for each.
  const QString csv = QDir(w.dir.path()).filePath("list.csv");
  ASSERT_TRUE(test::WriteFile(csv, "number,name,nation,club,licence,category,events\n"
                                   "1,Łukasz Żółć,POL,,PL-1,senior,PA\n"
                                   "2,Anna Nowak,POL,,PL-2,junior,PA\n"));
  w.Trigger("competitorsAction");
  w.dialogs.openNames << csv;
  w.Click("importCompetitorsButton");
  auto* table = w.Control<QTableWidget>("competitorsTable");
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("Łukasz Żółć"));
  EXPECT_EQ(table->item(1, 6)->text(), QStringLiteral("PA"));
  auto* number = w.Control<QSpinBox>("entryCompetitorBox");
  auto* key = w.Control<QComboBox>("entryValueBox");
  auto* value = w.Control<QDoubleSpinBox>("entryValueSpin");
  key->setCurrentIndex(key->findData(QStringLiteral("target")));
  for (const auto& [n, target] : {std::pair{1, 380.0}, {2, 600.0}}) {
    number->setValue(n);
    value->setValue(target);
    w.Click("enterButton");
  }
  EXPECT_EQ(w.Book().Entry(QStringLiteral("PA"), 2)->values.at(QStringLiteral("target")), 600.0);

  // The current event and round on the session line: each download is kept for them.
  auto* event = w.Control<QComboBox>("currentEventBox");
  ASSERT_TRUE(event && event->isEnabled());
  event->setCurrentIndex(event->findData(QStringLiteral("PA")));
  EXPECT_EQ(w.Control<QSpinBox>("currentRoundBox")->maximum(), 1);
  w.Read(ReadFile(test::ExamplePath("sample-flight.hyp")), 1);
  w.Read(ReadFile(test::ExamplePath("flight-spike.hyp")), 2);
  ASSERT_TRUE(w.boxes.boxes.size() == 1) << w.boxes.boxes.back().text.toStdString();
  ContestBook book = w.Book();
  ASSERT_EQ(book.assignments.size(), 2u);
  for (const auto& [file, a] : book.assignments) EXPECT_EQ(a.event, QStringLiteral("PA"));

  // The jury: 2's flight had no data; a decision needs a name.
  w.Trigger("decideAction");
  auto* flight = w.Control<QComboBox>("decideFlightBox");
  ASSERT_EQ(flight->count(), 2);
  EXPECT_TRUE(flight->itemData(0).toString().startsWith(QStringLiteral("C2_")));  // the newest first
  auto* status = w.Control<QComboBox>("decideStatusBox");
  status->setCurrentIndex(status->findData(QStringLiteral("no-data")));
  const QByteArray before = w.Log();
  w.Click("decideButton");
  EXPECT_EQ(w.boxes.boxes.size(), 2);
  EXPECT_EQ(w.Log(), before);
  w.Control<QLineEdit>("decideByEdit")->setText(QStringLiteral("Sędzia"));
  w.Click("decideButton");
  EXPECT_EQ(w.boxes.boxes.size(), 2) << w.boxes.boxes.back().text.toStdString();
  EXPECT_EQ(w.Book().LastStatus(flight->itemData(0).toString()), QStringLiteral("no-data"));

  // The event's results: 1 scored (380.5 / 380: 0.1), 2 waiting for a re-flight.
  w.Trigger("eventResultsAction");
  auto* results = w.Control<QTableWidget>("eventResultsTable");
  ASSERT_EQ(results->rowCount(), 2);
  EXPECT_EQ(results->item(0, 0)->text(), QStringLiteral("1"));
  EXPECT_EQ(results->item(0, 2)->text(), QStringLiteral("Łukasz Żółć"));
  EXPECT_EQ(results->item(0, 5)->text(), QStringLiteral("0.1"));
  EXPECT_TRUE(results->item(1, 0)->text().isEmpty());
  EXPECT_TRUE(results->item(1, 6)->text().contains(QStringLiteral("no data")));
  EXPECT_TRUE(w.Control<QLabel>("eventResultsHeading")->text().startsWith(QStringLiteral("PA — NAR Precision Altitude — Provisional results")));
  // The board for a projector: full screen, letters twice the size.
  auto* board = w.Control<QPushButton>("eventBoardButton");
  const qreal normalSize = results->font().pointSizeF();
  QTest::mouseClick(board, Qt::LeftButton);
  EXPECT_TRUE(w.Control<QDialog>("eventResultsWindow")->isFullScreen());
  EXPECT_DOUBLE_EQ(results->font().pointSizeF(), normalSize * 2);
  QTest::mouseClick(board, Qt::LeftButton);
  EXPECT_FALSE(w.Control<QDialog>("eventResultsWindow")->isFullScreen());
  // The re-flight updates the open results.
  w.Read(ReadFile(test::ExamplePath("flight-1hz.hyp")), 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !results->item(1, 0)->text().isEmpty(); }, 5000));
  // The re-flight's score, from the kept file's apogee as every view shows it.
  ContestLog log;
  ASSERT_TRUE(ReadContestLog(w.folder.path(), log, nullptr));
  FlightRecord reflight;
  FilterTables work;
  ASSERT_TRUE(ReadFlightRecord(QDir(w.folder.path()).filePath(log.records.back().file), reflight,
                               work, nullptr));
  const double percent =
      std::round(FormatAltitude(*reflight.apogeeM, QLatin1Char('.')).toDouble() / 600.0 * 1000.0) / 10.0;
  EXPECT_EQ(results->item(1, 5)->text(), QString::number(std::abs(percent - 100.0), 'f', 1));

  // The spreadsheet, from the same results.
  const QString xlsx = QDir(w.dir.path()).filePath("wyniki.xlsx");
  w.dialogs.saveNames << xlsx;
  w.Click("saveWorkbookButton");
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/sharedStrings.xml")});
  ASSERT_TRUE(unzip.waitForFinished(10000));
  EXPECT_TRUE(QString::fromUtf8(unzip.readAllStandardOutput()).contains(QStringLiteral("Lukasz Zolc")));
  // The notice-board PDF says it is provisional, with the time, while the session is on.
  const QString pdf = QDir(w.dir.path()).filePath("PA.pdf");
  w.dialogs.saveNames << pdf;
  w.Click("savePdfButton");
  const QString text = test::PdfText(pdf).out;
  EXPECT_TRUE(text.contains(QStringLiteral("Provisional results"))) << text.toStdString();
  // The name may wrap in its cell.
  EXPECT_TRUE(text.contains(QStringLiteral("Łukasz")) && text.contains(QStringLiteral("Żółć")))
      << text.toStdString();
}

}  // namespace
}  // namespace hypsor
