// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli loads the GUI libraries only for the commands that draw, from its drawing module
// (beside the tool, or in the private library folder of an installed program). The loader's own
// report (LD_DEBUG=files) says which libraries a run loaded.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <tuple>
#include <utility>

#include "tests/support/CliProcess.h"
#include "tests/support/TestPaths.h"

namespace {

using hypsor::test::CliRun;
using hypsor::test::ExamplePath;

void ReportLoadedLibraries(QProcess& p) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  p.setProcessEnvironment(env);
}

CliRun RunReportingLibraries(const QStringList& args) {
  return hypsor::test::RunCli(args, ReportLoadedLibraries);
}

bool LoadedGui(const CliRun& r) {
  return r.err.contains(QLatin1String("libQt6Gui.so")) ||
         r.err.contains(QLatin1String("libQt6Widgets.so"));
}

}  // namespace

TEST(CliLight, CommandsThatDrawNothingLoadNoGuiLibrary) {
  QTemporaryDir dir;
  const QString flight = ExamplePath(QStringLiteral("flight-50hz-9000.hyp"));
  const QList<QStringList> runs = {
      {QStringLiteral("--version")},
      {QStringLiteral("--help")},
      {QStringLiteral("info"), flight},
      {QStringLiteral("export"), flight, QStringLiteral("--filter")},
      {QStringLiteral("stats"), flight, QStringLiteral("--json")},
      {QStringLiteral("results"), hypsor::test::ExamplesDir()},
      {QStringLiteral("download"), QStringLiteral("--port"), dir.filePath(QStringLiteral("none")),
       QStringLiteral("--out"), dir.filePath(QStringLiteral("f.hyp"))},
  };
  for (const QStringList& args : runs) {
    SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
    const CliRun r = RunReportingLibraries(args);
    ASSERT_NE(r.status, -1);
    // The loader did report: without this the absence of Gui below would prove nothing.
    EXPECT_TRUE(r.err.contains(QLatin1String("libQt6Core.so")));
    EXPECT_FALSE(LoadedGui(r));
  }
  EXPECT_EQ(RunReportingLibraries({QStringLiteral("info"), flight}).status, 0);
}

TEST(CliLight, DrawingCommandsLoadTheModuleOnDemand) {
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("c.png"));
  const CliRun plot = RunReportingLibraries({QStringLiteral("plot"),
                                             ExamplePath(QStringLiteral("sample-flight.hyp")),
                                             QStringLiteral("--size=320x200"),
                                             QStringLiteral("--out"), png});
  ASSERT_EQ(plot.status, 0) << plot.err.toStdString();
  EXPECT_TRUE(plot.err.contains(QLatin1String("hypsor-draw")));
  EXPECT_TRUE(LoadedGui(plot));
  EXPECT_EQ(QImage(png).size(), QSize(320, 200));

  const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
  const CliRun report = hypsor::test::RunCli(
      {QStringLiteral("report"), ExamplePath(QStringLiteral("sample-flight.hyp")),
       QStringLiteral("--out"), pdf});
  ASSERT_EQ(report.status, 0) << report.err.toStdString();
  EXPECT_EQ(report.out, pdf + QLatin1Char('\n'));
  EXPECT_TRUE(QFile(pdf).size() > 0);
}

// An installed tool finds its libraries and its drawing module in the program's private folder
// under the library folder (this build installed into a folder of its own); without the module the
// drawing commands fail with a message and the others still work.
TEST(CliLight, InstalledToolFindsItsLibrariesAndModule) {
  const QString cmake = qEnvironmentVariable("HYPSOR_CMAKE");
  const QString built = qEnvironmentVariable("HYPSOR_DRAW");
  ASSERT_FALSE(cmake.isEmpty() || built.isEmpty()) << "run the test through CTest";
  QTemporaryDir prefix;
  QProcess install;
  install.start(cmake, {QStringLiteral("--install"), QStringLiteral(HYPSOR_BINARY_DIR),
                        QStringLiteral("--prefix"), prefix.path()});
  ASSERT_TRUE(install.waitForFinished(60000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
  const QDir bin(prefix.filePath(QStringLiteral("bin")));
  const QString cli = bin.filePath(QFileInfo(hypsor::test::CliPath()).fileName());
  const QString module = QDir::cleanPath(bin.filePath(QStringLiteral(HYPSOR_DRAW_FROM_BINDIR "/") +
                                                      QFileInfo(built).fileName()));
  ASSERT_TRUE(QFileInfo::exists(module)) << module.toStdString();
  auto run = [&](const QStringList& args) {
    QProcess p;
    p.start(cli, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardError()));
  };
  const QString flight = ExamplePath(QStringLiteral("sample-flight.hyp"));
  const QString png = prefix.filePath(QStringLiteral("c.png"));
  const QStringList plot = {QStringLiteral("plot"), flight, QStringLiteral("--out"), png};

  const QString away = module + QStringLiteral(".away");
  ASSERT_TRUE(QFile::rename(module, away));
  auto [status, err] = run(plot);
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(err.startsWith(QLatin1String("hypsor-cli: cannot load the drawing module: ")))
      << err.toStdString();
  EXPECT_EQ(run({QStringLiteral("info"), flight}).first, 0);

  ASSERT_TRUE(QFile::rename(away, module));
  std::tie(status, err) = run(plot);
  EXPECT_EQ(status, 0) << err.toStdString();
  EXPECT_EQ(QImage(png).size(), QSize(1280, 720));
}
