// The main window as the user meets it: start-up state, the proportional layout, language
// switching and its persistence, help and info, and the shutdown that writes the settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "ui/Finfo.h"
#include "ui/FlightChart.h"

using namespace hypsor;
using hypsor::test::MainWindowFixture;

using hypsor::test::ReadFile;

namespace {

// Resizes the window so that its client area (below the menu) is exactly w x h.
void SetClientSize(THypsor& win, int w, int h) {
  win.resize(w, h + win.menuBar()->sizeHint().height());
  QApplication::processEvents();
  const QSize extra = win.size() - win.Client->size();
  win.resize(w + extra.width(), h + extra.height());
  QApplication::processEvents();
  ASSERT_EQ(win.Client->size(), QSize(w, h));
}

}  // namespace

TEST(MainWindow, StartsInPolishWithTheDesignedState) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  EXPECT_EQ(w.LanguageIndex, 0);
  EXPECT_TRUE(w.Polski1->isChecked());
  EXPECT_FALSE(w.English1->isChecked());
  EXPECT_TRUE(w.Przyspieszenie1->isChecked());
  EXPECT_TRUE(w.Porownanie1->isChecked());
  EXPECT_EQ(w.E_MaxGl->text(), "561,1");
  EXPECT_EQ(w.Chart1->Series1->count(), 0);
  EXPECT_EQ(w.BZerowanie->text(), "Zerowanie");
  EXPECT_EQ(w.B_Porownanie->text(), "Porówn");
  EXPECT_EQ(w.Przyspieszenie1->text(), "Przysp");
  EXPECT_EQ(w.Chart1->Series1->name(), "Wys");
  EXPECT_EQ(w.GroupB_Por->title(), "Plik");
  EXPECT_EQ(w.windowTitle(), "Hypsor");
  EXPECT_FALSE(w.E_PobDan->isVisible());
  EXPECT_TRUE(w.E_TempGl->isReadOnly());
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
}

TEST(MainWindow, ResizeLayoutFollowsTheIntegerArithmetic) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  SetClientSize(w, 1280, 800);
  EXPECT_EQ(w.B_Odczyt_Hypsoru->x(), 10);
  EXPECT_EQ(w.BZerowanie->x(), 10);
  EXPECT_EQ(w.B_Filtr_Hypsor->x(), 96);
  EXPECT_EQ(w.GroupB_Hypsor->x(), 184);
  EXPECT_EQ(w.GBDysk_ZapisOdczyt->x(), 536);
  EXPECT_EQ(w.B_Porownanie->x(), 934);
  EXPECT_EQ(w.B_Filtr_por->x(), 934);
  EXPECT_EQ(w.GroupB_Por->x(), 1039);
  EXPECT_EQ(w.Chart1->geometry(), QRect(8, 112, 1265, 680));
  EXPECT_EQ(w.Label2->pos(), QPoint(1265 - 85, 660));
  EXPECT_EQ(w.Label4->x(), 1265 - 60);
  EXPECT_EQ(w.Label6->y(), 660);

  SetClientSize(w, 800, 300);
  EXPECT_EQ(w.B_Odczyt_Hypsoru->x(), 6);
  EXPECT_EQ(w.B_Filtr_Hypsor->x(), 86);
  EXPECT_EQ(w.GroupB_Hypsor->x(), 130);
  EXPECT_EQ(w.GBDysk_ZapisOdczyt->x(), 359);
  EXPECT_EQ(w.B_Porownanie->x(), 460);
  EXPECT_EQ(w.GroupB_Por->x(), 559);
  EXPECT_EQ(w.Chart1->height(), 200);
  EXPECT_EQ(w.Label6->y(), 180);
  EXPECT_EQ(w.Label2->y(), 180);

  SetClientSize(w, 400, 300);
  EXPECT_EQ(w.Chart1->width(), 500);
  // Controls that do not move keep their designed tops.
  EXPECT_EQ(w.GroupB_Por->y(), 0);
  EXPECT_EQ(w.B_Filtr_por->y(), 72);
  EXPECT_EQ(w.E_PobDan->geometry(), QRect(336, 136, 177, 32));
}

TEST(MainWindow, EnglishSwitchesEveryCaptionPersistsAndSurvivesARestart) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  w.GroupB_Hypsor->setTitle("flight-7.hyp");  // as after opening a file
  w.English1->trigger();

  EXPECT_TRUE(w.English1->isChecked());
  EXPECT_FALSE(w.Polski1->isChecked());
  EXPECT_EQ(w.BZerowanie->text(), "Clear");
  EXPECT_EQ(w.B_Odczyt_Hypsoru->text(), "Read Hypsor");
  EXPECT_EQ(w.GBDysk_ZapisOdczyt->title(), "Save/Load");
  EXPECT_EQ(w.BZapisz->text(), "Save");
  EXPECT_EQ(w.BOdczyt->text(), "Load");
  EXPECT_EQ(w.LTemp1->text(), "Temp.");
  EXPECT_EQ(w.LTemp2->text(), "Temp.");
  EXPECT_EQ(w.LProbk1->text(), "Sampling");
  EXPECT_EQ(w.LProbk2->text(), "Sampling");
  EXPECT_EQ(w.LZaw1->text(), "Comp. No.");
  EXPECT_EQ(w.LZaw2->text(), "Comp. No.");
  EXPECT_EQ(w.L_NumSer1->text(), "Serial No.");
  EXPECT_EQ(w.L_NumSer2->text(), "Serial No.");
  EXPECT_EQ(w.B_Porownanie->text(), "Compare");
  EXPECT_EQ(w.GroupB_Hypsor->title(), "Hypsor");
  EXPECT_EQ(w.GroupB_Por->title(), "File");
  EXPECT_EQ(w.Ustawienia1->title(), "Setup");
  EXPECT_EQ(w.Hypsor1->text(), "Hypsor");
  EXPECT_EQ(w.Widok1->title(), "Charts");
  EXPECT_EQ(w.Przyspieszenie1->text(), "Accel  ");
  EXPECT_EQ(w.Porownanie1->text(), "Compare");
  EXPECT_EQ(w.Chart1->Series1->name(), "Alt");
  EXPECT_EQ(w.Chart1->Series2->name(), "Accel  ");
  EXPECT_EQ(w.Chart1->Series3->name(), "Compare");
  // Texts that are the same in both languages stay.
  EXPECT_EQ(w.LabMaximum->text(), "Maximum");
  EXPECT_EQ(w.Filtr3->text(), "Filtr");
  EXPECT_EQ(w.MenuJezyk->title(), "Język/Language");
  // Check marks other than the language are left alone.
  EXPECT_TRUE(w.Przyspieszenie1->isChecked());

  const QByteArray saved = ReadFile(f.SettingsPath());
  ASSERT_EQ(saved.size(), 40);
  EXPECT_EQ(saved.mid(16, 4), QByteArray("\x01\0\0\0", 4));

  // A new start from that file comes up in English.
  MainWindowFixture again;
  QFile::copy(f.SettingsPath(), again.SettingsPath());
  again.Create();
  EXPECT_EQ(again.Window().LanguageIndex, 1);
  EXPECT_TRUE(again.Window().English1->isChecked());
  EXPECT_EQ(again.Window().B_Porownanie->text(), "Compare");

  // And back to Polish, letters included.
  w.Polski1->trigger();
  EXPECT_EQ(w.B_Porownanie->text(), "Porówn");
  EXPECT_EQ(ReadFile(f.SettingsPath()).mid(16, 4), QByteArray("\0\0\0\0", 4));
}

TEST(MainWindow, StoredEnglishWithoutAccelerationStartsThatWay) {
  MainWindowFixture f;
  SettingsRecord r = DefaultSettings();
  r.Language = 1;
  r.ShowAcceleration = 0;
  ASSERT_TRUE(SaveSettings(f.SettingsPath(), r));
  f.Create();
  EXPECT_EQ(f.Window().BZerowanie->text(), "Clear");
  EXPECT_TRUE(f.Window().English1->isChecked());
  EXPECT_FALSE(f.Window().Przyspieszenie1->isChecked());
}

TEST(MainWindow, HelpOpensTheLanguagesDocumentFromTheCurrentFolder) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(f.dir.path());
  w.Help1->trigger();
  w.English1->trigger();
  w.Help1->trigger();
  QDir::setCurrent(cwd);
  ASSERT_EQ(f.documents.opened.size(), 2);
  EXPECT_EQ(f.documents.opened[0], QDir(f.dir.path()).filePath("Hypsor_HELPP.chm"));
  EXPECT_EQ(f.documents.opened[1], QDir(f.dir.path()).filePath("Hypsor_HELPA.chm"));
  // A missing document is not an error.
  EXPECT_TRUE(f.boxes.boxes.isEmpty());

  // The help key opens the fixed document beside the program.
  QTest::keyClick(&w, Qt::Key_F1);
  ASSERT_EQ(f.documents.opened.size(), 3);
  EXPECT_TRUE(f.documents.opened[2].endsWith("/Test1.chm"));
}

TEST(MainWindow, InfoShowsTheVersionInBothLanguages) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  for (QAction* language : {w.Polski1, w.English1}) {
    language->trigger();
    QString seen, caption;
    QTimer::singleShot(50, [&] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<TFoInfo*>(top); info && info->isVisible()) {
          seen = info->Label6->text();
          caption = info->windowTitle();
          info->close();
        }
    });
    w.Info1->trigger();
    EXPECT_EQ(seen, "Ver. 08.2010");
    EXPECT_EQ(caption, "Hypsor");
  }
}

TEST(MainWindow, ClosingWritesTheSettingsOrStaysOpenWhenItCannot) {
  MainWindowFixture f;
  f.Create();
  THypsor& w = f.Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.Przyspieszenie1->trigger();  // changes the record in memory only
  EXPECT_TRUE(ReadFile(f.SettingsPath()).isEmpty());
  EXPECT_TRUE(w.close());
  const QByteArray saved = ReadFile(f.SettingsPath());
  ASSERT_EQ(saved.size(), 40);
  EXPECT_EQ(saved.mid(12, 4), QByteArray("\x32\0\0\0", 4));
  EXPECT_EQ(saved.mid(20, 4), QByteArray("\0\0\0\0", 4));

  // A settings path that cannot be written: the error is shown and the window stays.
  MainWindowFixture g;
  g.Create();
  THypsor& v = g.Window();
  QDir().mkpath(g.SettingsPath());  // a folder where the file should go
  v.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
  EXPECT_FALSE(v.close());
  EXPECT_TRUE(v.isVisible());
  ASSERT_EQ(g.boxes.boxes.size(), 1);
  EXPECT_EQ(g.boxes.boxes[0].caption, "Hypsor - problem");
  EXPECT_TRUE(g.boxes.boxes[0].text.contains("hypsor.par"));
}
