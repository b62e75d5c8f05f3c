// SPDX-License-Identifier: GPL-3.0-or-later
// The programs as started from the command line: all three print the project's version and the
// licence; the window opens the flights it is given and shows them.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/Version.h"
#include "support/TestPaths.h"

namespace {

QString VersionLine(const QString& program) {
  EXPECT_FALSE(program.isEmpty()) << "program path not set (run the test through CTest)";
  if (program.isEmpty()) return {};
  QProcess p;
  p.start(program, {QStringLiteral("--version")});
  EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0);
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(ProgramVersion, EveryProgramPrintsTheProjectVersionAndTheLicence) {
  const QString version = QStringLiteral(HYPSOR_PROJECT_VERSION);
  EXPECT_EQ(hypsor::ProgramVersion(), version);
  const struct {
    QString name, path;
  } programs[] = {
      {QStringLiteral("hypsor-cli"), hypsor::test::CliPath()},
      {QStringLiteral("hypsor-sim"), hypsor::test::SimulatorPath()},
      {QStringLiteral("hypsor"), qEnvironmentVariable("HYPSOR_GUI")},
  };
  for (const auto& p : programs) {
    const QString text = VersionLine(p.path);
    EXPECT_TRUE(text.startsWith(p.name + QLatin1Char(' ') + version + QLatin1Char('\n')))
        << text.toStdString();
    EXPECT_EQ(text, hypsor::VersionText(p.name));
    EXPECT_TRUE(text.contains(QStringLiteral("GPL-3.0-or-later"))) << text.toStdString();
  }
}

// The whole start-up of the window, as a user starts it with two flights: fonts, settings, the
// flights, the panels and the chart up to the first picture, and a clean exit after it.
TEST(ProgramStart, TheWindowShowsTheFlightsItIsGivenAndQuitsCleanly) {
  const QString app = qEnvironmentVariable("HYPSOR_GUI");
  ASSERT_FALSE(app.isEmpty());
  QTemporaryDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HYPSOR_STARTUP_PROBE"), QStringLiteral("1"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(app, {QStringLiteral("--settings"), dir.filePath(QStringLiteral("hypsor.par")),
                hypsor::test::ExamplePath(QStringLiteral("flight-50hz-9000.hyp")),
                hypsor::test::ExamplePath(QStringLiteral("sample-flight.hyp"))});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
  EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith(QStringLiteral("mapped ")));
  // (A refused file would have held the program in a message box.) Nothing was drawn from a
  // thread that must not draw.
  EXPECT_FALSE(err.contains(QStringLiteral("QPixmap"))) << err.toStdString();
  EXPECT_FALSE(err.contains(QStringLiteral("QPainter"))) << err.toStdString();
}

}  // namespace
