// SPDX-License-Identifier: GPL-3.0-or-later
// The main window makes room for every view: at the sizes people use, in both languages, with a
// flight, a comparison, a contest session and every view on, each control of the window stands
// inside it, under no dock or bar, and shows its whole text.
#include <gtest/gtest.h>

#include <string_view>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QtTest/QTest>

#include "platform/ContestDialogs.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestPaths.h"
#include "ui/FlightChart.h"
#include "ui/WindowRoom.h"

using namespace hypsor;

namespace {

// Starts the session in the folder the test gives.
class OneContest : public ContestDialogService {
 public:
  std::optional<ContestChoice> AskContest(const ContestChoice&, int) override { return choice; }
  ContestChoice choice;
};

struct Room : test::MainWindowFixture {
  OneContest contest;
  void Start(QSize size, const char* language) {
    qputenv("HYPSOR_PREFERENCES", PreferencesPath().toLocal8Bit());
    windows = CreateWindows({boxes, dialogs, documents, &contest, nullptr},
                            SettingsPaths{SettingsPath(), SettingsPath(), FallbackPath()});
    Window().resize(size);
    Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    Trigger(language);
  }
  // Every view on: a flight and a comparison with contest-style names, the session's line and
  // ranking, the statistics and the markers.
  void EveryViewOn() {
    const QString folder =
        dir.filePath(QStringLiteral("Mistrzostwa Polski modeli rakiet 2026 – runda finałowa"));
    const QString flights = dir.filePath(QStringLiteral("flights"));
    ASSERT_TRUE(QDir().mkpath(folder) && QDir().mkpath(flights));
    const QString main = QDir(flights).filePath(QStringLiteral("C3_S877_20261207-134339.hyp"));
    const QString other = QDir(flights).filePath(QStringLiteral("C12_S1045_20261207-141502-2.hyp"));
    for (const QString& path : {main, other})
      ASSERT_TRUE(QFile::copy(test::ExamplePath(QStringLiteral("sample-flight.hyp")), path));
    contest.choice = {folder, QStringLiteral("Puchar Wiosny – zawody okręgowe")};
    Trigger("contestSessionAction");
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.boxes.value(0).text.toStdString();
    Open(main);
    Compare(other);
    for (const char* view : {"statisticsAction", "markersAction", "resultsViewAction"})
      if (auto* a = Control<QAction>(view); a && !a->isChecked()) a->trigger();
    QApplication::processEvents();
    QApplication::processEvents();
  }
};

// The width a control's text needs beside its own frame and margins.
int TextRoom(const QWidget* w) {
  const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
  if (qobject_cast<const QAbstractButton*>(w)) return w->width() - 4;
  if (qobject_cast<const QLineEdit*>(w)) return w->width() - 2 * frame - 4;
  if (qobject_cast<const QGroupBox*>(w)) return w->width() - 8;
  return w->width();
}

QString TextOf(const QWidget* w) {
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return QString(b->text()).remove('&');
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  return {};
}

// What is wrong with the window's controls, one line each; empty when nothing is.
QStringList Faults(MainWindow& window) {
  QStringList faults;
  auto* client = window.findChild<QWidget*>(QStringLiteral("client"));
  const QRect clientRect(client->mapTo(&window, QPoint(0, 0)), client->size());
  QList<QWidget*> covers;
  for (QDockWidget* d : window.findChildren<QDockWidget*>())
    if (d->isVisible() && !d->isFloating()) covers << d;
  for (QToolBar* t : window.findChildren<QToolBar*>())
    if (t->isVisible()) covers << t;

  QList<QWidget*> controls;
  for (QWidget* w : client->findChildren<QWidget*>())
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w))
      controls << w;
  if (auto* line = window.findChild<QLabel*>(QStringLiteral("contestLine"))) controls << line;
  for (QWidget* w : controls) {
    if (!w->isVisible()) continue;
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                   : w->objectName();
    const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
    const bool inBar = qobject_cast<QToolBar*>(w->parentWidget()) != nullptr;
    if (!(inBar ? window.rect() : clientRect).contains(r))
      faults << QStringLiteral("%1 outside the window's room").arg(name);
    if (!w->parentWidget()->rect().contains(w->geometry()))
      faults << QStringLiteral("%1 cut by %2").arg(name, w->parentWidget()->objectName());
    for (QWidget* c : covers) {
      if (c->isAncestorOf(w)) continue;
      const QRect cover(c->mapTo(&window, QPoint(0, 0)), c->size());
      if (cover.intersects(r)) faults << QStringLiteral("%1 under %2").arg(name, c->objectName());
    }
    const QString text = TextOf(w);
    if (!text.isEmpty() && w->fontMetrics().horizontalAdvance(text) > TextRoom(w))
      faults << QStringLiteral("%1 text \"%2\" needs %3 px, has %4")
                    .arg(name, text)
                    .arg(w->fontMetrics().horizontalAdvance(text))
                    .arg(TextRoom(w));
  }
  return faults;
}

}  // namespace

TEST(WindowRoom, EveryControlStandsWholeAtEverySizeInBothLanguages) {
  // One window per language, opened at one end of the sizes and resized through the others: the
  // smallest and the largest are each met by a window just opened, and the docks move from the
  // bottom to the side and back as the user's resizing moves them.
  const QList<QSize> sizes = {QSize(800, 600), QSize(1024, 768), QSize(1280, 800),
                              QSize(1920, 1080)};
  for (const char* language : {"polishAction", "englishAction"}) {
    const bool growing = language == std::string_view("polishAction");
    Room f;
    for (qsizetype k = 0; k < sizes.size(); ++k) {
      const QSize size = sizes[growing ? k : sizes.size() - 1 - k];
      SCOPED_TRACE(QStringLiteral("%1x%2 %3")
                       .arg(size.width())
                       .arg(size.height())
                       .arg(QLatin1String(language))
                       .toStdString());
      if (k == 0) {
        f.Start(size, language);
        f.EveryViewOn();
      } else {
        f.Window().resize(size);
        QApplication::processEvents();
        QApplication::processEvents();
      }
      EXPECT_EQ(f.Window().size(), size);
      auto* stats = f.Control<QDockWidget>("statisticsDock");
      auto* ranking = f.Control<QDockWidget>("resultsDock");
      ASSERT_TRUE(stats && ranking);
      // Every view is there to be seen: shown, or a tab away.
      for (QDockWidget* d : {stats, ranking}) {
        EXPECT_FALSE(d->isHidden()) << d->objectName().toStdString();
        EXPECT_FALSE(d->isFloating()) << d->objectName().toStdString();
        if (d->isVisible()) {
          EXPECT_GT(d->width(), 100) << d->objectName().toStdString();
          EXPECT_GT(d->height(), 80) << d->objectName().toStdString();
        } else {
          EXPECT_FALSE(f.Window().tabifiedDockWidgets(d).isEmpty()) << d->objectName().toStdString();
        }
      }
      EXPECT_TRUE(f.Control<QToolBar>("contestBar")->isVisible());
      const QStringList faults = Faults(f.Window());
      EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
      // The chart keeps a useful height.
      EXPECT_GE(f.Window().Chart().height(), 200);
      // The rule: docks beside the top row only where the row stays whole.
      const int dockWidth = std::max({WindowRoom::kDockWidth, stats->minimumSizeHint().width(),
                                      ranking->minimumSizeHint().width()});
      const Qt::DockWidgetArea expected = WindowRoom::FitsBeside(size.width(), dockWidth)
                                              ? Qt::RightDockWidgetArea
                                              : Qt::BottomDockWidgetArea;
      EXPECT_EQ(f.Window().dockWidgetArea(stats), expected);
      EXPECT_EQ(f.Window().dockWidgetArea(ranking), expected);
    }
  }
}

TEST(WindowRoom, TheCheckFindsACoveredACutAndAnOverfullControl) {
  // The same check on a window spoiled on purpose, so it is known to see each fault.
  Room f;
  f.Start(QSize(1024, 768), "englishAction");
  auto* compare = f.Control<QWidget>("compareButton");
  auto* sampling = f.Control<QLineEdit>("comparisonSamplingField");
  sampling->setText(QStringLiteral("25 samples per second"));
  compare->move(compare->parentWidget()->width() - 20, compare->y());
  const QStringList faults = Faults(f.Window());
  EXPECT_TRUE(faults.filter("compareButton outside").size() == 1) << faults.join('\n').toStdString();
  EXPECT_TRUE(faults.filter("comparisonSamplingField text").size() == 1)
      << faults.join('\n').toStdString();
  // Left as it was laid out, the window has no fault.
  sampling->clear();
  f.Window().resize(1025, 768);
  QApplication::processEvents();
  EXPECT_TRUE(Faults(f.Window()).isEmpty()) << Faults(f.Window()).join('\n').toStdString();
}
