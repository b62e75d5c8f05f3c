// SPDX-License-Identifier: GPL-3.0-or-later
// The device and filter settings windows hold every one of their texts whole, in both languages:
// nothing is cut to "..." or clipped by its control.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest/QTest>

#include "tests/support/MainWindowFixture.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FilterSettingsWindow.h"

using namespace hypsor;
using hypsor::test::MainWindowFixture;

namespace {

// Every label, button and list entry of a shown window fits the room its control gives it.
void ExpectTextsFit(QWidget* window, const char* language) {
  SCOPED_TRACE(language);
  for (QLabel* l : window->findChildren<QLabel*>()) {
    if (l->text().isEmpty()) continue;
    EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width())
        << l->objectName().toStdString() << ": " << l->text().toStdString();
  }
  for (QPushButton* b : window->findChildren<QPushButton*>())
    EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width())
        << b->objectName().toStdString() << ": " << b->text().toStdString();
  for (QComboBox* c : window->findChildren<QComboBox*>()) {
    // The port list opens as wide as its longest entry; the fixed lists must fit the field.
    if (c->isEditable()) continue;
    QStyleOptionComboBox option;
    option.initFrom(c);
    const int room =
        c->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c)
            .width();
    for (int i = 0; i < c->count(); ++i)
      EXPECT_LE(c->fontMetrics().horizontalAdvance(c->itemText(i)), room)
          << c->objectName().toStdString() << ": " << c->itemText(i).toStdString();
  }
}

}  // namespace

TEST(SettingsWindowsText, EveryTextFitsItsControlInBothLanguages) {
  MainWindowFixture f;
  f.Create();
  for (const char* language : {"polishAction", "englishAction"}) {
    f.Trigger(language);
    for (QWidget* window : {static_cast<QWidget*>(&f.windows->DeviceSettings()),
                            static_cast<QWidget*>(&f.windows->FilterSettings())}) {
      window->show();  // the captions of the language in use are written when shown
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
      ExpectTextsFit(window, language);
      window->hide();
    }
  }
}
