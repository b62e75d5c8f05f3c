// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the user guide where a built and an installed program keep it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/UserGuide.h"

namespace {

using hypsor::FindUserGuide;

void WriteFile(const QString& path) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<html></html>");
}

QString ReadText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

TEST(UserGuide, InstalledBesideBinFoundPerLanguageAndEmptyWhenMissing) {
  QTemporaryDir prefix;
  ASSERT_TRUE(prefix.isValid());
  const QString exe = prefix.filePath(QStringLiteral("bin/hypsor"));
  ASSERT_TRUE(QDir().mkpath(prefix.filePath(QStringLiteral("bin"))));

  EXPECT_EQ(FindUserGuide(0, exe), QString());
  EXPECT_EQ(FindUserGuide(1, exe), QString());
  EXPECT_EQ(FindUserGuide(0, QString()), QString());

  // Only the English guide installed: Polish is missing, not replaced by English.
  const QString english = prefix.filePath(QStringLiteral("share/hypsor/doc/guide-en.html"));
  WriteFile(english);
  EXPECT_EQ(FindUserGuide(1, exe), english);
  EXPECT_EQ(FindUserGuide(2, exe), english);  // any index but 0 is English
  EXPECT_EQ(FindUserGuide(0, exe), QString());

  // A folder carrying the guide's name is not a guide.
  ASSERT_TRUE(QDir().mkpath(prefix.filePath(QStringLiteral("share/hypsor/doc/guide-pl.html"))));
  EXPECT_EQ(FindUserGuide(0, exe), QString());
}

TEST(UserGuide, BuildTreeCopyBesideTheExecutableComesFirst) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString exe = root.filePath(QStringLiteral("bin/hypsor"));
  const QString installed = root.filePath(QStringLiteral("share/hypsor/doc/guide-pl.html"));
  const QString beside = root.filePath(QStringLiteral("bin/doc/guide-pl.html"));
  WriteFile(installed);
  EXPECT_EQ(FindUserGuide(0, exe), installed);
  WriteFile(beside);
  EXPECT_EQ(FindUserGuide(0, exe), beside);
}

TEST(UserGuide, TheBuiltProgramFindsBothGuidesWithTheirContent) {
  const QString exe = QStringLiteral(HYPSOR_BINARY_DIR "/hypsor");
  const QString polish = FindUserGuide(0, exe);
  const QString english = FindUserGuide(1, exe);
  ASSERT_FALSE(polish.isEmpty()) << "no Polish guide in " HYPSOR_BINARY_DIR "/doc";
  ASSERT_FALSE(english.isEmpty()) << "no English guide in " HYPSOR_BINARY_DIR "/doc";
  EXPECT_EQ(polish, QDir::cleanPath(QStringLiteral(HYPSOR_BINARY_DIR "/doc/guide-pl.html")));

  const QString pl = ReadText(polish);
  const QString en = ReadText(english);
  EXPECT_TRUE(pl.contains(QStringLiteral("<html lang=\"pl\">")));
  EXPECT_TRUE(en.contains(QStringLiteral("<html lang=\"en\">")));
  // Each guide covers the port rights, the filter's four values and the command-line tool,
  // with the captions the user sees in that language.
  for (const QString& text : {pl, en}) {
    EXPECT_TRUE(text.contains(QStringLiteral("adduser $USER dialout")));
    EXPECT_TRUE(text.contains(QStringLiteral("hypsor-cli export")));
    for (const char* value : {">350<", ">250<", ">8<", ">12<"})
      EXPECT_TRUE(text.contains(QLatin1String(value))) << value;
  }
  for (const char* caption : {"Odczyt Hypsoru", "Zerowanie", "Porówn", "Obciecie wstepne [cm]",
                              "Filtr dokladny [6-30]", "Zła wartośc temperatury"})
    EXPECT_TRUE(pl.contains(QString::fromUtf8(caption))) << caption;
  for (const char* caption : {"Read Hypsor", "Clear", "Compare", "Pre-cut [cm]",
                              "Final Filter [6-30]", "Wrong temperature"})
    EXPECT_TRUE(en.contains(QLatin1String(caption))) << caption;
}

}  // namespace
