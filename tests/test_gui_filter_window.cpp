// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "files/IntegerText.h"
#include "files/SettingsFile.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/FilterSettingsWindow.h"

using namespace hypsor;

namespace {

using hypsor::test::Child;

// The window's controls, found by their object names.
struct Controls {
  explicit Controls(const QWidget* d)
      : preCutLabel(Child<QLabel>(d, "preCutLabel")),
        preCutField(Child<QLineEdit>(d, "preCutField")),
        preWindowLabel(Child<QLabel>(d, "preWindowLabel")),
        preWindowField(Child<QLineEdit>(d, "preWindowField")),
        finalCutLabel(Child<QLabel>(d, "finalCutLabel")),
        finalCutField(Child<QLineEdit>(d, "finalCutField")),
        finalWindowLabel(Child<QLabel>(d, "finalWindowLabel")),
        finalWindowField(Child<QLineEdit>(d, "finalWindowField")),
        saveButton(Child<QPushButton>(d, "saveButton")),
        defaultButton(Child<QPushButton>(d, "defaultButton")) {}
  QLabel* preCutLabel;
  QLineEdit* preCutField;
  QLabel* preWindowLabel;
  QLineEdit* preWindowField;
  QLabel* finalCutLabel;
  QLineEdit* finalCutField;
  QLabel* finalWindowLabel;
  QLineEdit* finalWindowField;
  QPushButton* saveButton;
  QPushButton* defaultButton;
};

struct Window {
  SettingsRecord settings = DefaultSettings();
  int language = 0;
  int saves = 0;
  bool saveSucceeds = true;
  std::unique_ptr<FilterSettingsWindow> dialog;
  std::unique_ptr<Controls> controls;

  explicit Window(std::int32_t preCut = 350, std::int32_t finalCut = 250, std::int32_t preWin = 8,
                  std::int32_t finalWin = 12) {
    settings.PreCutCm = preCut;
    settings.FinalCutCm = finalCut;
    settings.PreFilterWindow = preWin;
    settings.FinalFilterWindow = finalWin;
    dialog = std::make_unique<FilterSettingsWindow>(settings, language, [this] {
      ++saves;
      return saveSucceeds;
    });
    controls = std::make_unique<Controls>(dialog.get());
  }

  void Open() {
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }

  // Replaces a field's text the way a user does: select all, delete, type.
  static void Retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    ASSERT_EQ(field->text(), text);
  }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  QStringList Captions() const {
    const Controls& c = *controls;
    return {c.preCutLabel->text(),      c.finalCutLabel->text(), c.preWindowLabel->text(),
            c.finalWindowLabel->text(), c.saveButton->text(),    c.defaultButton->text()};
  }
};

}  // namespace

TEST(FilterWindow, FieldsComeFromTheSettingsOnceAndTabFollowsTheDesign) {
  Window w(123, 456, 7, 21);
  const Controls& c = *w.controls;
  FilterSettingsWindow& d = *w.dialog;
  EXPECT_EQ(d.windowTitle(), "Hypsor-Filtr");
  EXPECT_EQ(d.size(), QSize(175, 347));
  EXPECT_EQ(c.preCutField->text(), "123");
  EXPECT_EQ(c.finalCutField->text(), "456");
  EXPECT_EQ(c.preWindowField->text(), "7");
  EXPECT_EQ(c.finalWindowField->text(), "21");
  w.Open();
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  c.preCutField->setFocus();
  const QWidget* order[] = {c.preWindowField, c.finalCutField, c.finalWindowField, c.defaultButton,
                            c.saveButton};
  for (const QWidget* expected : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
  }

  // Texts typed and abandoned with the close box stay in the fields; nothing is stored.
  Window::Retype(c.preCutField, "999");
  d.close();
  EXPECT_EQ(w.saves, 0);
  EXPECT_EQ(w.settings.PreCutCm, 123);
  w.Open();
  EXPECT_EQ(c.preCutField->text(), "999");
}

TEST(FilterWindow, DefaultThenSaveStoresTheDefaultsAndCloses) {
  Window w(1, 2, 3, 4);
  const Controls& c = *w.controls;
  w.Open();
  Window::Retype(c.finalWindowField, "xyz");
  w.Click(c.defaultButton);
  EXPECT_EQ(c.preCutField->text(), "350");
  EXPECT_EQ(c.finalCutField->text(), "250");
  EXPECT_EQ(c.preWindowField->text(), "8");
  EXPECT_EQ(c.finalWindowField->text(), "12");
  EXPECT_EQ(w.saves, 0);  // Default stores nothing and leaves the window open
  EXPECT_TRUE(w.dialog->isVisible());
  EXPECT_EQ(w.settings.PreCutCm, 1);

  w.Click(c.saveButton);
  EXPECT_EQ(w.settings.PreCutCm, 350);
  EXPECT_EQ(w.settings.FinalCutCm, 250);
  EXPECT_EQ(w.settings.PreFilterWindow, 8);
  EXPECT_EQ(w.settings.FinalFilterWindow, 12);
  EXPECT_EQ(w.saves, 1);
  EXPECT_FALSE(w.dialog->isVisible());
  EXPECT_EQ(w.dialog->result(), QDialog::Accepted);
}

TEST(FilterWindow, SaveTakesTypedIntegersAndFallbacksForTheRest) {
  Window w;
  const Controls& c = *w.controls;
  w.Open();
  FilterSettingsWindow& d = *w.dialog;
  Window::Retype(c.preCutField, "-5");
  Window::Retype(c.preWindowField, "  8");
  Window::Retype(c.finalCutField, "");
  Window::Retype(c.finalWindowField, "");
  w.Click(c.saveButton);
  EXPECT_EQ(w.settings.PreCutCm, -5);
  EXPECT_EQ(w.settings.PreFilterWindow, 8);
  EXPECT_EQ(w.settings.FinalCutCm, 350);  // the fallback, not the default 250
  EXPECT_EQ(w.settings.FinalFilterWindow, 13);
  EXPECT_EQ(w.saves, 1);

  w.Open();
  Window::Retype(c.preCutField, "zero");
  Window::Retype(c.preWindowField, "0");
  Window::Retype(c.finalCutField, "$1F");
  Window::Retype(c.finalWindowField, "99999999999");
  w.Click(c.saveButton);
  EXPECT_EQ(w.settings.PreCutCm, 350);
  EXPECT_EQ(w.settings.PreFilterWindow, 0);
  EXPECT_EQ(w.settings.FinalCutCm, 31);
  EXPECT_EQ(w.settings.FinalFilterWindow, 13);
  EXPECT_EQ(w.saves, 2);

  // A failed write keeps the window open; the values are in the record all the same.
  w.saveSucceeds = false;
  w.Open();
  Window::Retype(c.preWindowField, "6");
  w.Click(c.saveButton);
  EXPECT_EQ(w.settings.PreFilterWindow, 6);
  EXPECT_EQ(w.saves, 3);
  EXPECT_TRUE(d.isVisible());
}

TEST(FilterWindow, CaptionsFollowTheLanguage) {
  Window w;
  FilterSettingsWindow& d = *w.dialog;
  w.Open();
  const QStringList polish = w.Captions();
  EXPECT_EQ(polish[0], "Obciecie wstepne[cm]");
  EXPECT_EQ(polish[1], "Obciecie dokladne [cm]");
  EXPECT_EQ(polish[2], "Filtr wstepny [4-20]");
  EXPECT_TRUE(polish[3].contains("dokladny")) << polish[3].toStdString();  // the final filter
  EXPECT_EQ(polish[4], "Zapisz");
  EXPECT_EQ(polish[5], "Domyslne");

  // Language switched while the window is closed: the next opening shows it.
  d.close();
  d.SetLanguage(1);
  w.Open();
  const QStringList english{"Pre-cut [cm]",        "Final cut [cm]", "Prefilter [4-20]",
                            "Final Filter [6-30]", "Save",           "Default"};
  EXPECT_EQ(w.Captions(), english);

  // And at once while it stays open.
  d.SetLanguage(0);
  EXPECT_EQ(w.Captions(), polish);
}
