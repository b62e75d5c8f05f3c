// SPDX-License-Identifier: GPL-3.0-or-later
// File → Logbook…: the table, its search and filters, tags edited in place, folders dropped on
// the window, flights added on their own, the season chart, and a damaged logbook reported once.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <qcustomplot.h>

#include "logbook/Logbook.h"
#include "tests/support/LogbookFlights.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/LogbookControls.h"
#include "ui/LogbookWindow.h"
#include "ui/MainWindow.h"

namespace hypsor {
namespace {

using test::SeasonFlight;
using test::WriteSeasonFlight;

QDateTime Day(int month, int day) {
  return QDateTime(QDate(2026, month, day), QTime(10, 0));
}

struct LogbookWindowTest : ::testing::Test, test::MainWindowFixture {
  QString Flights() const { return dir.filePath(QStringLiteral("flights")); }
  QString Db() const { return dir.filePath(QStringLiteral("data/hypsor/logbook.sqlite")); }
  void SetUp() override {
    // The logbook's default place, in the test's folder.
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    WriteSeasonFlight(Flights(), SeasonFlight(120, 1), Day(5, 1));
    WriteSeasonFlight(Flights() + QStringLiteral("/club"), SeasonFlight(200, 2), Day(5, 2));
    WriteSeasonFlight(Flights() + QStringLiteral("/club"), SeasonFlight(260, 3), Day(6, 3));
    Show(900, 600);
  }
  void TearDown() override { qunsetenv("XDG_DATA_HOME"); }
  LogbookWindow* OpenWindow() {
    Trigger("logbookAction");
    auto* w = Window().findChild<LogbookWindow*>(QStringLiteral("logbookWindow"));
    EXPECT_NE(w, nullptr);
    if (w) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    return w;
  }
  // Folders dropped on the window as a file manager drops them.
  void Drop(QWidget* on, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &drop);
    // The add runs a batch at a time from the event loop.
    if (auto* window = qobject_cast<LogbookWindow*>(on)) {
      ASSERT_TRUE(QTest::qWaitFor([window] { return !window->Adding(); }, 30000));
    }
  }
  std::vector<LogbookEntry> Stored() {
    Logbook book;
    std::vector<LogbookEntry> rows;
    EXPECT_TRUE(book.Open(Db(), nullptr));
    EXPECT_TRUE(book.List({}, rows, nullptr));
    return rows;
  }
};

TEST_F(LogbookWindowTest, DroppedFoldersSearchFiltersAndTagsInPlace) {
  LogbookWindow* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  auto* table = test::Child<QTableView>(w, "logbookTable");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->model()->rowCount(), 0);
  Drop(w, {Flights()});
  EXPECT_EQ(table->model()->rowCount(), 3);
  EXPECT_TRUE(test::Child<QLabel>(w, "logbookSummary")->text().contains(QStringLiteral("3")));

  // A rocket typed into the newest flight's cell (the table lists the newest first): the cell
  // chosen with a click, its editor opened with F2, the text typed and Enter pressed.
  const QModelIndex cell = table->model()->index(0, LogbookModel::Rocket);
  table->scrollTo(cell);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
  ASSERT_EQ(table->currentIndex(), cell);
  QTest::keyClick(table, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(cell));
  if (!editor) editor = table->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("Gamma"));
  QTest::keyClick(editor, Qt::Key_Return);
  // The delegate commits on the next turn of the event loop.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Stored().empty() && !Stored()[2].rocket.isEmpty(); }));
  EXPECT_TRUE(boxes.boxes.isEmpty());
  std::vector<LogbookEntry> rows = Stored();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].rocket, QStringLiteral("Gamma"));
  EXPECT_EQ(rows[0].rocket, QString());

  // The rocket filter offers it; chosen, one flight is left.
  auto* rocket = test::Child<QComboBox>(w, "logbookRocket");
  ASSERT_TRUE(QTest::qWaitFor([rocket] { return rocket->count() == 2; }));
  rocket->setCurrentIndex(1);
  EXPECT_EQ(table->model()->rowCount(), 1);
  rocket->setCurrentIndex(0);
  // The search line finds the folder's name in the paths.
  QTest::keyClicks(test::Child<QLineEdit>(w, "logbookSearch"), QStringLiteral("club"));
  EXPECT_EQ(table->model()->rowCount(), 2);
  // Dates: from June on.
  test::Child<QLineEdit>(w, "logbookSearch")->clear();
  test::Child<QDateEdit>(w, "logbookFrom")->setDate(QDate(2026, 6, 1));
  QTest::mouseClick(test::Child<QCheckBox>(w, "logbookFromOn"), Qt::LeftButton);
  EXPECT_EQ(table->model()->rowCount(), 1);
}

TEST_F(LogbookWindowTest, FlightsOpenedAreAddedWhileThePreferenceSaysSo) {
  const QString first = WriteSeasonFlight(Flights(), SeasonFlight(150, 7), Day(7, 1));
  const QString second = WriteSeasonFlight(Flights(), SeasonFlight(160, 8), Day(7, 2));
  Open(first);
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored()[0].flight.path, first);
  LogbookWindow* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  auto* autoAdd = test::Child<QCheckBox>(w, "logbookAutoAdd");
  ASSERT_TRUE(autoAdd->isChecked());
  QTest::mouseClick(autoAdd, Qt::LeftButton);
  EXPECT_FALSE(LogbookAutoAdd(PreferencesPath()));
  Compare(second);
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(LogbookWindowTest, ADamagedLogbookIsReportedOnceAndLeftAsItIs) {
  QDir().mkpath(QFileInfo(Db()).absolutePath());
  const QByteArray junk(4096, 'j');
  ASSERT_TRUE(test::WriteFile(Db(), junk));
  Open(dir.filePath(QStringLiteral("flights/") +
                    QDir(Flights()).entryList({QStringLiteral("*.hyp")}).value(0)));
  ASSERT_EQ(boxes.boxes.size(), 1);
  EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("logbook rebuild")));
  // Another flight opened: no second box.
  Open(dir.filePath(QStringLiteral("flights/") +
                    QDir(Flights()).entryList({QStringLiteral("*.hyp")}).value(0)));
  EXPECT_EQ(boxes.boxes.size(), 1);
  EXPECT_EQ(test::ReadFile(Db()), junk);
}

TEST_F(LogbookWindowTest, TheSeasonChartDrawsEachRocketInItsColour) {
  LogbookWindow* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  Drop(w, {Flights()});
  auto* tabs = w->findChild<QTabWidget*>();
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentIndex(1);
  auto* chart = test::Child<QCustomPlot>(w, "logbookSeasonChart");
  ASSERT_NE(chart, nullptr);
  QTest::qWait(50);
  const QImage image = chart->grab().toImage();
  // The first colour of the palette, where the flights are drawn.
  const QColor orange(0xE6, 0x9F, 0x00);
  int found = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - orange.red()) + std::abs(c.green() - orange.green()) +
              std::abs(c.blue() - orange.blue()) < 30)
        ++found;
    }
  EXPECT_GT(found, 60);
  auto* statistics = w->findChild<QTableWidget*>(QStringLiteral("logbookStatistics"));
  ASSERT_NE(statistics, nullptr);
  ASSERT_EQ(statistics->rowCount(), 1);
  EXPECT_EQ(statistics->item(0, 1)->text(), QStringLiteral("3"));
}

}  // namespace
}  // namespace hypsor
