// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of failure has its words in both languages, with every value put in: a kind added
// without them, or with a Polish text left in English, fails here.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "text/FailureText.h"

namespace hypsor {
namespace {

// A failure of the kind with every field a kind may name set, none of them with a '%'.
Failure Sample(FailureKind kind) {
  Failure f = Failure::System(kind, QStringLiteral("/p/flight.hyp"), QStringLiteral("Odd error"));
  f.line = 12;
  f.number = 345;
  f.limit = 678;
  f.detail = QStringLiteral("detail");
  f.found = QStringLiteral("x9");
  f.names = QStringList{QStringLiteral("ttyUSB0"), QStringLiteral("ttyACM0")};
  return f;
}

// Kinds whose Polish and English read the same on purpose (a name or the system's words alone).
bool SameInBothLanguages(FailureKind) {
  return false;
}

TEST(FailureTexts, EveryKindIsWordedInBothLanguages) {
  const QRegularExpression placeholder(QStringLiteral("%[0-9]"));
  for (int k = static_cast<int>(FailureKind::None) + 1; k < static_cast<int>(FailureKind::Count);
       ++k) {
    const auto kind = static_cast<FailureKind>(k);
    const Failure f = Sample(kind);
    const QString polish = FailureText(f, 0);
    const QString english = FailureText(f, 1);
    SCOPED_TRACE(testing::Message() << "kind " << k << ": " << english.toStdString());
    EXPECT_FALSE(polish.trimmed().isEmpty());
    EXPECT_FALSE(english.trimmed().isEmpty());
    if (!SameInBothLanguages(kind)) {
      EXPECT_NE(polish, english) << "Polish left in English";
    }
    EXPECT_FALSE(placeholder.match(polish).hasMatch()) << polish.toStdString();
    EXPECT_FALSE(placeholder.match(english).hasMatch());
  }
  // No kind, no words.
  EXPECT_TRUE(FailureText(Failure{}, 0).isEmpty());
  EXPECT_TRUE(FailureText(Failure{}, 1).isEmpty());
}

}  // namespace
}  // namespace hypsor
