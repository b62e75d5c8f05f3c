// SPDX-License-Identifier: GPL-3.0-or-later
// The main window from the keyboard: Alt+letter menus in both languages, every key shown in its
// menu and listed in both guides, Tab through the controls in the order they stand, the
// statistics table as one stop, and Esc closing every dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QtTest/QTest>

#include "files/SettingsFile.h"
#include "platform/widgets/QtContestDialogs.h"
#include "platform/widgets/QtPlatform.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/Mnemonics.h"
#include "ui/StatisticsDock.h"

using namespace hypsor;
using hypsor::test::MainWindowFixture;

namespace {

struct Keyboard : MainWindowFixture {
  Keyboard() {
    Show(1280, 800);
    Window().activateWindow();
    QApplication::processEvents();
  }
  // The letter after the single "&" of a text; nothing without one.
  static QChar Mnemonic(const QString& text) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("(?<!&)&([^&])")).match(text);
    return m.hasMatch() ? m.captured(1).at(0).toLower() : QChar();
  }
  // Every entry of the menu bar has a letter of its own among its neighbours; so has every
  // entry of each menu.
  void ExpectLettersEverywhere(const char* language) {
    QList<QWidget*> containers{Window().menuBar()};
    for (QAction* a : Window().menuBar()->actions())
      if (a->menu()) containers << a->menu();
    for (QWidget* c : containers) {
      QString seen;
      for (QAction* a : c->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        const QChar letter = Mnemonic(a->text());
        EXPECT_FALSE(letter.isNull()) << language << ": " << a->text().toStdString();
        EXPECT_FALSE(seen.contains(letter)) << language << ": " << a->text().toStdString();
        seen += letter;
      }
    }
  }
};

// Presses Esc in whatever modal dialog comes up next; counts the dialogs it found.
struct EscapeNextDialog {
  int found = 0;
  QString title;
  void Arm() {
    QTimer::singleShot(50, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return Arm();  // not up yet
      ++found;
      title = modal->windowTitle();
      QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
      QTest::keyClick(target, Qt::Key_Escape);
    });
  }
};

}  // namespace

TEST(Keyboard, MnemonicsInBothLanguagesOpenTheirMenus) {
  Keyboard f;
  for (const char* language : {"polishAction", "englishAction"}) {
    f.Trigger(language);
    f.ExpectLettersEverywhere(language);
    // Alt and the letter of each menu open that menu.
    for (QAction* a : f.Window().menuBar()->actions()) {
      QMenu* menu = a->menu();
      if (!menu || !a->isVisible()) continue;
      const QChar letter = Keyboard::Mnemonic(a->text());
      ASSERT_FALSE(letter.isNull());
      QTest::keyClick(&f.Window(), static_cast<Qt::Key>(letter.toUpper().unicode()),
                      Qt::AltModifier);
      EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000))
          << language << ": " << a->text().toStdString();
      menu->close();
      // Without a window manager the closed menu stays the active window, and the next letter
      // would find no window for its shortcut.
      f.Window().activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&f.Window()));
    }
  }
  // A text without room for a letter of its own keeps none rather than a taken one.
  QString taken = QStringLiteral("ab");
  EXPECT_EQ(WithMnemonic(QStringLiteral("Ab"), taken), QStringLiteral("Ab"));
  EXPECT_EQ(WithMnemonic(QStringLiteral("a&&b c"), taken), QStringLiteral("a&&b &c"));
}

TEST(Keyboard, EveryKeyIsShownInItsMenuAndListedInBothGuides) {
  Keyboard f;
  QStringList guides;
  for (const char* name : {"guide-pl.html", "guide-en.html"}) {
    QFile file(QStringLiteral(HYPSOR_SOURCE_DIR "/doc/") + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    guides << QString::fromUtf8(file.readAll());
  }
  QList<QAction*> inMenus;
  for (QAction* top : f.Window().menuBar()->actions())
    if (top->menu()) inMenus += top->menu()->actions();
  int keys = 0;
  for (QAction* a : f.Window().findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    ++keys;
    const QString key = a->shortcut().toString(QKeySequence::PortableText);
    EXPECT_TRUE(inMenus.contains(a)) << key.toStdString() << " is in no menu";
    for (const QString& g : guides)
      EXPECT_TRUE(g.contains(QStringLiteral("<kbd>") + key + QStringLiteral("</kbd>")))
          << key.toStdString();
  }
  EXPECT_GE(keys, 5);  // open, save, quit, copy, Esc
  for (const char* key : {"F1", "F10"})
    for (const QString& g : guides)
      EXPECT_TRUE(g.contains(QStringLiteral("<kbd>%1</kbd>").arg(QLatin1String(key)))) << key;
  // The keys do what their entries do.
  QTest::keyClick(&f.Window(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(f.dialogs.openAsked, 1);
}

TEST(Keyboard, TabGoesThroughTheControlsAsTheyStandAndTheTableIsOneStop) {
  Keyboard f;
  auto* dock = f.Control<StatisticsDock>("statisticsDock");
  ASSERT_TRUE(dock && dock->isVisible());
  f.Control<QWidget>("readButton")->setFocus();
  QStringList order;
  for (int i = 0; i < 40; ++i) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    order << w->objectName();
    if (w->objectName() == QLatin1String("statisticsTable")) break;
    QTest::keyClick(w, Qt::Key_Tab);
  }
  const QStringList top{"readButton",
                        "zeroButton",
                        "mainFilterButton",
                        "mainMaximumField",
                        "mainMinimumField",
                        "mainCompetitorField",
                        "mainSerialField",
                        "mainTemperatureField",
                        "mainSamplingField",
                        "saveButton",
                        "loadButton",
                        "compareButton",
                        "comparisonFilterButton",
                        "comparisonMaximumField",
                        "comparisonMinimumField",
                        "comparisonCompetitorField",
                        "comparisonSerialField",
                        "comparisonTemperatureField",
                        "comparisonSamplingField"};
  ASSERT_GE(order.size(), top.size());
  EXPECT_EQ(order.mid(0, top.size()), top) << order.join(' ').toStdString();
  ASSERT_EQ(order.last(), "statisticsTable") << order.join(' ').toStdString();
  // In the table Tab moves on at once, not from cell to cell.
  auto* table = f.Control<QTableWidget>("statisticsTable");
  table->setCurrentCell(0, 0);
  QTest::keyClick(table, Qt::Key_Tab);
  EXPECT_FALSE(table->hasFocus());
  EXPECT_EQ(table->currentRow(), 0);
  EXPECT_EQ(table->currentColumn(), 0);
}

TEST(Keyboard, EscClosesEveryDialog) {
  Keyboard f;
  ASSERT_TRUE(SetPortName(f.Workspace().Settings(), QStringLiteral("ttyQQ9")));  // no altimeter
  for (const char* action : {"infoAction", "filterSettingsAction", "deviceSettingsAction"}) {
    EscapeNextDialog esc;
    esc.Arm();
    f.Trigger(action);
    // The device settings window shows once the altimeter has been read, on another thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return esc.found == 1; }, 30000)) << action;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << action;
  }
  // The platform's own dialogs: the chart size, the contest session and a question box.
  QtFileDialogs dialogs;
  EscapeNextDialog esc;
  esc.Arm();
  EXPECT_FALSE(dialogs.ChartSize({"Size", "Window", "Width", "Height", QSize(800, 400)}));
  QtContestDialog contest;
  esc.Arm();
  EXPECT_FALSE(contest.AskContest({}, 1));
  QtMessageBox boxes;
  esc.Arm();
  EXPECT_EQ(boxes.Show("Replace?", "File", BoxButtons::OkCancel, BoxKind::Problem),
            BoxResult::Cancel);
  EXPECT_EQ(esc.found, 3);
}
