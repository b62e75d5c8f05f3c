// The three programs print the project's version.
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

TEST(ProgramVersion, EveryProgramPrintsTheProjectVersion) {
  const QString version = QStringLiteral(HYPSOR_PROJECT_VERSION);
  EXPECT_EQ(hypsor::ProgramVersion(), version);
  EXPECT_EQ(VersionLine(hypsor::test::CliPath()), QStringLiteral("hypsor-cli ") + version + '\n');
  EXPECT_EQ(VersionLine(hypsor::test::SimulatorPath()),
            QStringLiteral("hypsor-sim ") + version + '\n');
  EXPECT_EQ(VersionLine(qEnvironmentVariable("HYPSOR_GUI")),
            QStringLiteral("hypsor ") + version + '\n');
}

}  // namespace
