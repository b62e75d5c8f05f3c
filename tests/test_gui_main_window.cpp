// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user meets it: start-up state, the proportional layout, language
// switching and its persistence, help and info, and the shutdown that writes the settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "platform/Version.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FilterSettingsWindow.h"
#include "ui/FlightChart.h"
#include "ui/InfoWindow.h"

using namespace hypsor;
using hypsor::test::MainWindowFixture;

using hypsor::test::ReadFile;

template <class T>
T* C(MainWindow& w, const char* name) {
  return hypsor::test::Child<T>(&w, name);
}

namespace {

// Resizes the window so that its client area (below the menu) is exactly w x h.
// The statistics dock takes a share of each change of the window's width, so this may take a
// few steps.
void SetClientSize(MainWindow& win, int w, int h) {
  win.resize(w, h + win.menuBar()->sizeHint().height());
  QApplication::processEvents();
  for (int step = 0; step < 4 && C<QWidget>(win, "client")->size() != QSize(w, h); ++step) {
    const QSize miss = QSize(w, h) - C<QWidget>(win, "client")->size();
    win.resize(win.size() + miss);
    QApplication::processEvents();
  }
  ASSERT_EQ(C<QWidget>(win, "client")->size(), QSize(w, h));
}

}  // namespace

TEST(MainWindow, StartsInPolishWithTheDesignedState) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  EXPECT_EQ(w.Workspace().LanguageIndex(), 0);
  EXPECT_TRUE(C<QAction>(w, "polishAction")->isChecked());
  EXPECT_FALSE(C<QAction>(w, "englishAction")->isChecked());
  EXPECT_TRUE(C<QAction>(w, "accelerationAction")->isChecked());
  EXPECT_TRUE(C<QAction>(w, "comparisonAction")->isChecked());
  // No flight, no altitude: nothing a competitor could read as a result.
  EXPECT_EQ(C<QLineEdit>(w, "mainMaximumField")->text(), "");
  EXPECT_EQ(w.Chart().CurvePoints(Curve::Altitude).size(), 0);
  EXPECT_EQ(C<QPushButton>(w, "zeroButton")->text(), "Zerowanie");
  EXPECT_EQ(C<QPushButton>(w, "compareButton")->text(), "Porówn");
  EXPECT_EQ(C<QAction>(w, "accelerationAction")->text().remove('&'), "Przysp");
  EXPECT_EQ(w.Chart().CurveTitle(Curve::Altitude), "Wys");
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->title(), "Plik");
  EXPECT_EQ(w.windowTitle(), "Hypsor");
  EXPECT_FALSE(C<QLineEdit>(w, "downloadBanner")->isVisible());
  EXPECT_TRUE(C<QLineEdit>(w, "mainTemperatureField")->isReadOnly());
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
}

TEST(MainWindow, ResizeLayoutFollowsTheIntegerArithmetic) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  SetClientSize(w, 1280, 800);
  EXPECT_EQ(C<QPushButton>(w, "readButton")->x(), 10);
  EXPECT_EQ(C<QPushButton>(w, "zeroButton")->x(), 10);
  EXPECT_EQ(C<QPushButton>(w, "mainFilterButton")->x(), 96);
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->x(), 184);
  EXPECT_EQ(C<QGroupBox>(w, "filePanel")->x(), 536);
  EXPECT_EQ(C<QPushButton>(w, "compareButton")->x(), 934);
  EXPECT_EQ(C<QPushButton>(w, "comparisonFilterButton")->x(), 934);
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->x(), 1039);
  EXPECT_EQ(w.Chart().geometry(), QRect(8, 112, 1265, 680));
  EXPECT_EQ(C<QLabel>(w, "secondsLabel")->pos(), QPoint(1265 - 85, 660));
  EXPECT_EQ(C<QLabel>(w, "accelerationLabel")->x(), 1265 - 60);
  EXPECT_EQ(C<QLabel>(w, "metresLabel")->y(), 660);

  SetClientSize(w, 800, 300);
  EXPECT_EQ(C<QPushButton>(w, "readButton")->x(), 6);
  EXPECT_EQ(C<QPushButton>(w, "mainFilterButton")->x(), 86);
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->x(), 130);
  EXPECT_EQ(C<QGroupBox>(w, "filePanel")->x(), 359);
  EXPECT_EQ(C<QPushButton>(w, "compareButton")->x(), 460);
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->x(), 559);
  EXPECT_EQ(w.Chart().height(), 200);
  EXPECT_EQ(C<QLabel>(w, "metresLabel")->y(), 180);
  EXPECT_EQ(C<QLabel>(w, "secondsLabel")->y(), 180);

  SetClientSize(w, 400, 300);
  EXPECT_EQ(w.Chart().width(), 500);
  // Controls that do not move keep their designed tops.
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->y(), 0);
  EXPECT_EQ(C<QPushButton>(w, "comparisonFilterButton")->y(), 72);
  EXPECT_EQ(C<QLineEdit>(w, "downloadBanner")->geometry(), QRect(336, 136, 177, 32));
}

TEST(MainWindow, EnglishSwitchesEveryCaptionPersistsAndSurvivesARestart) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  C<QGroupBox>(w, "mainPanel")->setTitle("flight-7.hyp");  // as after opening a file
  C<QAction>(w, "englishAction")->trigger();

  EXPECT_TRUE(C<QAction>(w, "englishAction")->isChecked());
  EXPECT_FALSE(C<QAction>(w, "polishAction")->isChecked());
  EXPECT_EQ(C<QPushButton>(w, "zeroButton")->text(), "Clear");
  EXPECT_EQ(C<QPushButton>(w, "readButton")->text(), "Read Hypsor");
  EXPECT_EQ(C<QGroupBox>(w, "filePanel")->title(), "Save/Load");
  EXPECT_EQ(C<QPushButton>(w, "saveButton")->text(), "Save");
  EXPECT_EQ(C<QPushButton>(w, "loadButton")->text(), "Load");
  EXPECT_EQ(C<QLabel>(w, "mainTemperatureLabel")->text(), "Temp.");
  EXPECT_EQ(C<QLabel>(w, "comparisonTemperatureLabel")->text(), "Temp.");
  EXPECT_EQ(C<QLabel>(w, "mainSamplingLabel")->text(), "Sampling");
  EXPECT_EQ(C<QLabel>(w, "comparisonSamplingLabel")->text(), "Sampling");
  EXPECT_EQ(C<QLabel>(w, "mainCompetitorLabel")->text(), "Comp. No.");
  EXPECT_EQ(C<QLabel>(w, "comparisonCompetitorLabel")->text(), "Comp. No.");
  EXPECT_EQ(C<QLabel>(w, "mainSerialLabel")->text(), "Serial No.");
  EXPECT_EQ(C<QLabel>(w, "comparisonSerialLabel")->text(), "Serial No.");
  EXPECT_EQ(C<QPushButton>(w, "compareButton")->text(), "Compare");
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->title(), "Hypsor");
  EXPECT_EQ(C<QGroupBox>(w, "comparisonPanel")->title(), "File");
  EXPECT_EQ(C<QMenu>(w, "setupMenu")->title().remove('&'), "Setup");
  EXPECT_EQ(C<QAction>(w, "deviceSettingsAction")->text().remove('&'), "Hypsor");
  EXPECT_EQ(C<QMenu>(w, "chartsMenu")->title().remove('&'), "Charts");
  EXPECT_EQ(C<QAction>(w, "accelerationAction")->text().remove('&'), "Accel  ");
  EXPECT_EQ(C<QAction>(w, "comparisonAction")->text().remove('&'), "Compare");
  EXPECT_EQ(w.Chart().CurveTitle(Curve::Altitude), "Alt");
  EXPECT_EQ(w.Chart().CurveTitle(Curve::Acceleration), "Accel  ");
  EXPECT_EQ(w.Chart().CurveTitle(Curve::Comparison), "Compare");
  // Texts that are the same in both languages stay.
  EXPECT_EQ(C<QLabel>(w, "mainMaximumLabel")->text(), "Maximum");
  EXPECT_EQ(C<QAction>(w, "filterSettingsAction")->text().remove('&'), "Filtr");
  EXPECT_EQ(C<QMenu>(w, "languageMenu")->title().remove('&'), "Język/Language");
  // Check marks other than the language are left alone.
  EXPECT_TRUE(C<QAction>(w, "accelerationAction")->isChecked());

  const QByteArray saved = ReadFile(f.SettingsPath());
  ASSERT_EQ(saved.size(), 40);
  EXPECT_EQ(saved.mid(16, 4), QByteArray("\x01\0\0\0", 4));

  // A new start from that file comes up in English.
  MainWindowFixture again;
  QFile::copy(f.SettingsPath(), again.SettingsPath());
  again.Create();
  EXPECT_EQ(again.Window().Workspace().LanguageIndex(), 1);
  EXPECT_TRUE(C<QAction>(again.Window(), "englishAction")->isChecked());
  EXPECT_EQ(C<QPushButton>(again.Window(), "compareButton")->text(), "Compare");

  // And back to Polish, letters included.
  C<QAction>(w, "polishAction")->trigger();
  EXPECT_EQ(C<QPushButton>(w, "compareButton")->text(), "Porówn");
  EXPECT_EQ(ReadFile(f.SettingsPath()).mid(16, 4), QByteArray("\0\0\0\0", 4));
}

TEST(MainWindow, OneLanguageSwitchRetellsTheOpenSettingsWindowsAndTheAddedViews) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  // The settings windows are made when first opened: here after a switch to English.
  C<QAction>(w, "englishAction")->trigger();
  // Both stay open across the switches (shown without their modal loops).
  DeviceSettingsWindow& device = f.windows->DeviceSettings();
  FilterSettingsWindow& filter = f.windows->FilterSettings();
  device.show();
  filter.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&device));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&filter));
  // Joined, so that a failure reads as text.
  auto texts = [&] {
    using hypsor::test::Child;
    return QStringList{device.windowTitle(),
                       Child<QLabel>(&device, "portLabel")->text(),
                       Child<QLabel>(&filter, "preCutLabel")->text(),
                       C<QMenu>(w, "viewMenu")->title().remove('&'),
                       C<QAction>(w, "statisticsAction")->text().remove('&'),
                       C<QMenu>(w, "fileMenu")->title().remove('&'),
                       C<QAction>(w, "openSimulationAction")->text().remove('&'),
                       C<QDockWidget>(w, "resultsDock")->windowTitle()}
        .join(" | ")
        .toStdString();
  };
  const std::string english =
      "Setup | Select Port | Pre-cut [cm] | View | Flight statistics | File | "
      "Open simulation… | Ranking";
  EXPECT_EQ(texts(), english);
  C<QAction>(w, "polishAction")->trigger();
  EXPECT_EQ(texts(),
            "Ustawienia | Wybierz Port | Obciecie wstepne[cm] | Widok | Statystyki lotu | Plik | "
            "Otwórz symulację… | Klasyfikacja");
  C<QAction>(w, "englishAction")->trigger();
  EXPECT_EQ(texts(), english);
  device.close();
  filter.close();
}

TEST(MainWindow, StoredEnglishWithoutAccelerationStartsThatWay) {
  MainWindowFixture f;
  SettingsRecord r = DefaultSettings();
  r.Language = 1;
  r.ShowAcceleration = 0;
  ASSERT_TRUE(SaveSettings(f.SettingsPath(), r));
  f.Create();
  EXPECT_EQ(C<QPushButton>(f.Window(), "zeroButton")->text(), "Clear");
  EXPECT_TRUE(C<QAction>(f.Window(), "englishAction")->isChecked());
  EXPECT_FALSE(C<QAction>(f.Window(), "accelerationAction")->isChecked());
}

TEST(MainWindow, HelpOpensTheGuideInTheLanguageInUseOrSaysItIsMissing) {
  // The guide is looked for beside the test program, which two runs of the suite at once share:
  // they take turns.
  QLockFile turn(QCoreApplication::applicationDirPath() + "/guide-test.lock");
  ASSERT_TRUE(turn.lock());
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  // No guide beside the test program: a box names the guide that is missing.
  C<QAction>(w, "helpAction")->trigger();
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_TRUE(f.boxes.boxes[0].text.contains("guide-pl.html"));
  EXPECT_TRUE(f.boxes.boxes[0].text.startsWith("Nie znaleziono"));
  EXPECT_TRUE(f.documents.opened.isEmpty());

  // A guide where a built program keeps it ("doc" beside the executable) is opened, by the menu
  // and by F1 alike, in the language in use.
  const QString doc = QCoreApplication::applicationDirPath() + "/doc";
  QDir().mkpath(doc);
  const QString english = doc + "/guide-en.html";
  ASSERT_TRUE(hypsor::test::WriteFile(english, "<html></html>"));
  f.documents.result = true;  // a viewer opened it
  C<QAction>(w, "englishAction")->trigger();
  C<QAction>(w, "helpAction")->trigger();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::keyClick(&w, Qt::Key_F1);
  // The guide is there but nothing could show it: said so, with its path, not "not found".
  f.documents.result = false;
  QTest::keyClick(&w, Qt::Key_F1);
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_TRUE(f.boxes.boxes[1].text.startsWith("Could not open the guide"))
      << f.boxes.boxes[1].text.toStdString();
  EXPECT_TRUE(f.boxes.boxes[1].text.contains(QFileInfo(english).absoluteFilePath()));
  f.boxes.boxes.removeLast();
  f.documents.opened.removeLast();
  QFile::remove(english);
  QDir().rmdir(doc);
  ASSERT_EQ(f.documents.opened.size(), 2);
  EXPECT_EQ(f.documents.opened[0], QFileInfo(english).absoluteFilePath());
  EXPECT_EQ(f.documents.opened[1], QFileInfo(english).absoluteFilePath());
  EXPECT_EQ(f.boxes.boxes.size(), 1);
}

TEST(MainWindow, KeysTooltipsAndTheToolkitsOwnTextsFollowTheLanguage) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

  // Polish: Qt's own buttons too, and tooltips in Polish.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Anuluj");
  const QString polishTip = C<QPushButton>(w, "readButton")->toolTip();
  EXPECT_FALSE(polishTip.isEmpty());
  C<QAction>(w, "englishAction")->trigger();
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_FALSE(C<QPushButton>(w, "readButton")->toolTip().isEmpty());
  EXPECT_NE(C<QPushButton>(w, "readButton")->toolTip(), polishTip);
  for (const char* name : {"zeroButton", "mainFilterButton", "saveButton", "loadButton",
                           "compareButton", "comparisonFilterButton"})
    EXPECT_FALSE(C<QPushButton>(w, name)->toolTip().isEmpty()) << name;
  // Captions stay exactly as they are.
  EXPECT_EQ(C<QPushButton>(w, "loadButton")->text(), "Load");

  // Ctrl+O opens a flight, Ctrl+S saves (here: nothing downloaded), F10 opens the menu bar.
  f.dialogs.openNames << hypsor::test::ExamplePath("sample-flight.hyp");
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(C<QGroupBox>(w, "mainPanel")->title(), "sample-flight.hyp");
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, "No data");
  QTest::keyClick(&w, Qt::Key_F10);
  EXPECT_EQ(w.menuBar()->activeAction(), C<QMenu>(w, "fileMenu")->menuAction());  // the first
  QTest::keyClick(w.menuBar()->activeAction()->menu(), Qt::Key_Escape);
  QTest::keyClick(w.menuBar(), Qt::Key_Escape);

  // Ctrl+Q closes the window, writing the settings.
  QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(ReadFile(f.SettingsPath()).size(), 40);
}

TEST(MainWindow, PastedTemperatureTextObeysTheTypingRule) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  f.dialogs.openNames << hypsor::test::ExamplePath("sample-flight.hyp");
  f.Click("loadButton");
  QLineEdit* field = C<QLineEdit>(w, "mainTemperatureField");
  field->clear();
  field->insert("1234");  // what a paste or a drop does
  EXPECT_EQ(field->text(), "");
  field->insert("12x");
  EXPECT_EQ(field->text(), "");
  field->insert("-12");
  EXPECT_EQ(field->text(), "-12");
  f.dialogs.openNames << hypsor::test::ExamplePath("flight-1hz.hyp");
  f.Click("compareButton");
  QLineEdit* comparison = C<QLineEdit>(w, "comparisonTemperatureField");
  comparison->clear();
  comparison->insert("9999");
  EXPECT_EQ(comparison->text(), "");
}

TEST(MainWindow, InfoShowsTheVersionInBothLanguages) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  for (QAction* language : {C<QAction>(w, "polishAction"), C<QAction>(w, "englishAction")}) {
    language->trigger();
    QString seen, caption, licence;
    QTimer::singleShot(50, [&] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<InfoWindow*>(top); info && info->isVisible()) {
          seen = hypsor::test::Child<QLabel>(info, "versionLabel")->text();
          caption = info->windowTitle();
          auto* label = hypsor::test::Child<QLabel>(info, "licenceLabel");
          // Drawn whole inside the window, under the contact lines.
          if (label->isVisible() && info->rect().contains(label->geometry()) &&
              label->fontMetrics().horizontalAdvance(label->text()) <= label->width())
            licence = label->text();
          info->close();
        }
    });
    C<QAction>(w, "infoAction")->trigger();
    EXPECT_EQ(seen, "Ver. 08.2010");
    EXPECT_EQ(caption, "Hypsor");
    EXPECT_EQ(licence, "Hypsor " + hypsor::ProgramVersion() + " \u00b7 GPL-3.0-or-later");
  }
}

TEST(MainWindow, ClosingWritesTheSettingsOrStaysOpenWhenItCannot) {
  MainWindowFixture f;
  f.Create();
  MainWindow& w = f.Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  C<QAction>(w, "accelerationAction")->trigger();  // changes the record in memory only
  EXPECT_TRUE(ReadFile(f.SettingsPath()).isEmpty());
  EXPECT_TRUE(w.close());
  const QByteArray saved = ReadFile(f.SettingsPath());
  ASSERT_EQ(saved.size(), 40);
  EXPECT_EQ(saved.mid(12, 4), QByteArray("\x32\0\0\0", 4));
  EXPECT_EQ(saved.mid(20, 4), QByteArray("\0\0\0\0", 4));

  // A settings path that cannot be written: the window asks, and closes only on Yes.
  MainWindowFixture g;
  g.Create();
  MainWindow& v = g.Window();
  QDir().mkpath(g.SettingsPath());  // a folder where the file should go
  v.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
  g.boxes.answers << BoxResult::Cancel;
  EXPECT_FALSE(v.close());
  EXPECT_TRUE(v.isVisible());
  ASSERT_EQ(g.boxes.boxes.size(), 1);
  EXPECT_EQ(g.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_EQ(g.boxes.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_TRUE(g.boxes.boxes[0].text.contains("hypsor.par"));
  g.boxes.answers << BoxResult::Ok;
  EXPECT_TRUE(v.close());
  EXPECT_EQ(g.boxes.boxes.size(), 2);
}

TEST(MainWindow, AnUnreadableSettingsFileIsReportedOnceAndKeptWhole) {
  MainWindowFixture f;
  QDir().mkpath(f.SettingsPath());  // exists, cannot be read as a file
  f.Create();
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_TRUE(f.boxes.boxes[0].text.contains(f.FallbackPath()));
  MainWindow& w = f.Window();
  C<QAction>(w, "englishAction")->trigger();
  EXPECT_TRUE(w.close());
  EXPECT_EQ(f.boxes.boxes.size(), 1) << "said once";
  EXPECT_TRUE(QFileInfo(f.SettingsPath()).isDir());
  EXPECT_EQ(ReadFile(f.FallbackPath()).mid(16, 4), QByteArray("\x01\0\0\0", 4));
}
