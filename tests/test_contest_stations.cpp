// SPDX-License-Identifier: GPL-3.0-or-later
// Several stations keeping downloads into one contest folder at the same moment: four processes
// per round, each keeping a flight through the download's own path (the test tool
// hypsor-keep-file); after every round each flight file is listed once in results.csv and
// recorded once in the log.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

#include "contest/ContestLog.h"
#include "contest/ContestNames.h"
#include "contest/FolderCheck.h"
#include "contest/ResultsTable.h"
#include "flight/Filters.h"
#include "tests/support/TestFiles.h"
#include "text/FailureText.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::ReadFile;

TEST(ContestStations, FourProcessesKeepingAtOnceLoseAndDoubleNoFlight) {
  ASSERT_FALSE(test::KeepFilePath().isEmpty());
  QTemporaryDir dir;
  const QString folder = QDir(dir.path()).filePath("cup");
  // Four flights under four competitors, one per station.
  const char* examples[] = {"sample-flight.hyp", "flight-1hz.hyp", "flight-spike.hyp",
                            "flight-25hz-plateaus.hyp"};
  QStringList inputs;
  for (int s = 0; s < 4; ++s) {
    QByteArray bytes = ReadFile(test::ExamplePath(QString::fromLatin1(examples[s])));
    bytes[2] = static_cast<char>(40 + s);
    const QString path = QDir(dir.path()).filePath(QStringLiteral("station%1.hyp").arg(s));
    ASSERT_TRUE(test::WriteFile(path, bytes));
    inputs << path;
  }

  // Each round four stations keep a flight at the same moment into a folder that grows. A few
  // rounds by default; HYPSOR_STRESS_ROUNDS runs more.
  const int kRounds = test::StressRounds(5);
  QElapsedTimer timer;
  timer.start();
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 0; s < 4; ++s) {
      stations.push_back(std::make_unique<QProcess>());
      stations.back()->start(test::KeepFilePath(), {folder, inputs[s]});
    }
    for (auto& p : stations) {
      ASSERT_TRUE(p->waitForFinished(30000));
      ASSERT_EQ(p->exitCode(), 0) << "round " << round << ": " << p->readAllStandardError().toStdString();
    }
    QStringList files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
      if (IsFlightFileName(name)) files << name;
    ASSERT_EQ(files.size(), 4 * (round + 1)) << "round " << round;
    std::vector<FlightRecord> rows;
    ASSERT_TRUE(ParseFlightTable(ReadFile(QDir(folder).filePath("results.csv")), rows));
    QStringList listed;
    for (const FlightRecord& r : rows) listed << r.file;
    listed.sort();
    ASSERT_EQ(listed, files) << "round " << round;
    ContestLog log;
    ASSERT_TRUE(ReadContestLog(folder, log, nullptr));
    QStringList recorded;
    for (const LogRecord& r : log.records) recorded << r.file;
    recorded.sort();
    ASSERT_EQ(recorded, files) << "round " << round;
    ASSERT_TRUE(log.damage.empty()) << FailureText(log.damage.front(), kEnglish).toStdString();
  }
  // And the whole folder verifies: every flight recorded at its download, the table as derived.
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, true);
  for (const FlightRecord& f : check.flights)
    EXPECT_EQ(f.reasons, 0u) << f.file.toStdString() << ": " << StatusText(f.reasons).toStdString();
  EXPECT_TRUE(check.notes.empty());
  RecordProperty("seconds", static_cast<int>(timer.elapsed() / 1000));
}

}  // namespace
}  // namespace hypsor
