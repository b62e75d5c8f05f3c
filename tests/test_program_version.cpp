// SPDX-License-Identifier: GPL-3.0-or-later
// The three programs print the project's version and the licence.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

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

}  // namespace
