// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit's message box as the program uses it: the icon says whether a box reports a
// problem or a success, and the answers come back as the program expects them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "text/SessionMessages.h"
#include "platform/widgets/QtPlatform.h"

using namespace hypsor;

namespace {

// Shows a box, and from a timer reads its icon and presses the given button.
struct Answered {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text;
  BoxResult result = BoxResult::Cancel;
};

Answered ShowAndPress(BoxButtons buttons, BoxKind kind, QMessageBox::StandardButton press) {
  Answered a;
  QTimer::singleShot(50, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
        a.icon = box->icon();
        a.text = box->text();
        box->button(press)->click();
      }
  });
  QtMessageBox boxes;
  a.result = boxes.Show(QStringLiteral("text"), QStringLiteral("caption"), buttons, kind);
  return a;
}

}  // namespace

TEST(MessageBox, SuccessIsInformationProblemIsWarningQuestionsAnswer) {
  EXPECT_EQ(ShowAndPress(BoxButtons::Ok, BoxKind::Success, QMessageBox::Ok).icon,
            QMessageBox::Information);
  EXPECT_EQ(ShowAndPress(BoxButtons::Ok, BoxKind::Problem, QMessageBox::Ok).icon,
            QMessageBox::Warning);
  const Answered cancel = ShowAndPress(BoxButtons::OkCancel, BoxKind::Problem, QMessageBox::Cancel);
  EXPECT_EQ(cancel.icon, QMessageBox::Question);
  EXPECT_EQ(cancel.result, BoxResult::Cancel);
  EXPECT_EQ(ShowAndPress(BoxButtons::YesNo, BoxKind::Problem, QMessageBox::Yes).result,
            BoxResult::Ok);
  EXPECT_EQ(ShowAndPress(BoxButtons::YesNo, BoxKind::Problem, QMessageBox::No).result,
            BoxResult::Cancel);
}

TEST(MessageBox, OnlyTheAcknowledgementsOfTheAltimeterAreSuccesses) {
  ZeroingResult zeroed;
  zeroed.outcome = ZeroingOutcome::Ok;
  EXPECT_TRUE(MessageFor(zeroed).success);
  EXPECT_EQ(MessageFor(zeroed).Text(0), "Hypsor wyzerowany");
  UploadResult accepted;
  accepted.outcome = UploadOutcome::Accepted;
  EXPECT_TRUE(MessageFor(accepted).success);
  EXPECT_EQ(MessageFor(accepted).Text(1), "Setup OK");

  ZeroingResult refused;
  refused.outcome = ZeroingOutcome::Refused;
  EXPECT_FALSE(MessageFor(refused).success);
  UploadResult failed;
  failed.outcome = UploadOutcome::Refused;
  EXPECT_FALSE(MessageFor(failed).success);
  EXPECT_FALSE(TooLargeMessage().success);
  // A text that is no number is named in the language in use.
  EXPECT_EQ(NotANumberMessage("x1").Text(1), "'x1' is not a valid integer value");
  EXPECT_EQ(NotANumberMessage("x1").Text(0), "'x1' nie jest poprawną liczbą całkowitą");
}
