// SPDX-License-Identifier: GPL-3.0-or-later
// A contest folder survives a kill at any moment: a child process keeps downloads as fast as it
// can and is killed at random points; every flight file is whole, results.csv is always a
// readable table of whole flight files, and the log a chain of records of whole files.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryDir>

#include <csignal>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "contest/ContestNames.h"
#include "contest/ContestSession.h"
#include "contest/FolderCheck.h"
#include "contest/FolderLock.h"
#include "contest/ResultsTable.h"
#include "files/FileDigest.h"
#include "flight/Filters.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"

namespace hypsor {
namespace {

using test::ReadFile;

std::span<const std::uint8_t> Span(const QByteArray& b) {
  return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

TEST(ContestKilled, FlightFilesAndResultsAreNeverTorn) {
  QTemporaryDir dir;
  const QString folder = dir.path();
  const QByteArray a = ReadFile(test::ExamplePath("sample-flight.hyp"));
  const QByteArray b = ReadFile(test::ExamplePath("flight-50hz-9000.hyp"));
  ASSERT_FALSE(a.isEmpty());
  ASSERT_FALSE(b.isEmpty());
  const QDateTime when(QDate(2026, 5, 17), QTime(9, 0, 0));

  // How long one keep takes here, so the kills spread over whole keeps.
  QElapsedTimer timer;
  timer.start();
  {
    ContestSession session;
    Failure error;
    ASSERT_TRUE(session.Start(folder, "Kill Cup", &error)) << Said(error);
    for (int k = 0; k < 4; ++k)
      ASSERT_EQ(session.KeepDownload(Span(k % 2 ? a : b), when, nullptr, &error),
                KeepOutcome::Kept);
  }
  const long keepUs = std::max<long>(100, static_cast<long>(timer.nsecsElapsed() / 4000));

  constexpr int kKills = 20;
  for (int kill = 0; kill < kKills; ++kill) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ContestSession session;
      Failure error;
      if (!session.Start(folder, QString(), &error)) _exit(3);
      for (unsigned k = 0;; ++k) session.KeepDownload(Span(k % 2 ? a : b), when, nullptr, &error);
    }
    const long us = QRandomGenerator::global()->bounded(static_cast<int>(3 * keepUs)) + kill % 7;
    const timespec t{us / 1000000, (us % 1000000) * 1000};
    nanosleep(&t, nullptr);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);

    // Every flight file is one of the two downloads, whole; the table reads and names only
    // flight files that exist, with their own digests.
    const QDir d(folder);
    for (const QString& name : d.entryList(QDir::Files | QDir::Hidden)) {
      if (!IsFlightFileName(name)) continue;
      const QByteArray bytes = ReadFile(d.filePath(name));
      ASSERT_TRUE(bytes == a || bytes == b) << "kill " << kill << ": " << name.toStdString();
    }
    std::vector<FlightRecord> rows;
    ASSERT_TRUE(ParseFlightTable(ReadFile(d.filePath(ResultsFileName)), rows)) << "kill " << kill;
    for (const FlightRecord& r : rows) {
      FileDigest digest;
      ASSERT_EQ(DigestFile(d.filePath(r.file), 0, 0, digest).status, ReadOpenStatus::Ok)
          << r.file.toStdString();
      EXPECT_EQ(digest.sha256, r.sha256);
    }
    // The log: every line a record, chained, of a whole file it names. A kill after the file
    // and before its record leaves the file unrecorded, never a record of nothing.
    FilterTables work;
    const ContestCheck check = CheckContestFolder(folder, work, false);
    ASSERT_TRUE(check.readable);
    EXPECT_TRUE(check.log.damage.isEmpty()) << "kill " << kill << ": "
                                            << check.log.damage.join('\n').toStdString();
    for (const FlightRecord& f : check.flights)
      EXPECT_EQ(f.reasons & ~unsigned(ReasonNotInLog | ReasonLate), 0u)
          << "kill " << kill << ": " << f.file.toStdString() << " "
          << StatusText(f.reasons).toStdString();
  }
  // Whatever a kill left (a temporary, a file without its row), resuming puts in order: the
  // table lists every flight the log records. A flight file the log lacks may be one its station
  // is about to record, so it waits for a rebuild.
  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(folder, QString(), &error)) << Said(error);
  EXPECT_EQ(session.Name(), "Kill Cup");
  QStringList files;
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
    if (IsFlightFileName(name)) files << name;
  EXPECT_GT(files.size(), 4);
  {
    std::vector<FlightRecord> rows;
    ASSERT_TRUE(ParseFlightTable(ReadFile(QDir(folder).filePath(ResultsFileName)), rows));
    EXPECT_EQ(session.FlightCount(), static_cast<int>(rows.size()));
    QStringList listed;
    for (const FlightRecord& r : rows) listed << r.file;
    FilterTables work;
    for (const FlightRecord& f : CheckContestFolder(folder, work, false).flights)
      if (!(f.reasons & ReasonNotInLog)) {
        EXPECT_TRUE(listed.contains(f.file)) << f.file.toStdString();
      }
  }
  // A rebuild records what a kill left unrecorded; then the table lists every flight file and
  // everything verifies but for being late. A file just written may still be recorded by its
  // own station, so a rebuild leaves it alone for a while; here the stations are long dead, as
  // the files' age now says.
  const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-600);
  for (const QString& name : files) {
    QFile file(QDir(folder).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
  }
  ASSERT_TRUE(session.RebuildResults(&error)) << Said(error);
  EXPECT_EQ(session.FlightCount(), files.size());
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, true);
  EXPECT_EQ(check.flights.size(), static_cast<std::size_t>(files.size()));
  EXPECT_TRUE(check.notes.empty());
  for (const FlightRecord& f : check.flights)
    EXPECT_EQ(f.reasons & ~unsigned(ReasonLate), 0u)
        << f.file.toStdString() << " " << StatusText(f.reasons).toStdString();
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
    if (!IsFlightFileName(name) && name != QLatin1String(ResultsFileName) &&
        name != QLatin1String(ContestSettingsFileName) &&
        // The lock, and what QLockFile leaves when killed while taking over a stale one.
        name != QLatin1String(ContestLogFileName) &&
        !name.startsWith(QLatin1String(ContestLockFileName))) {
      EXPECT_TRUE(IsTemporarySaveName(name)) << name.toStdString();
    }
  }
  RecordProperty("flights_kept", static_cast<int>(files.size()));
}

// What a station killed at each step of taking the lock leaves behind: the lock with its dead
// process, an empty lock (killed before writing it), and an empty takeover guard (killed while
// removing someone else's stale lock). Each is taken over well within the keep's wait; an empty
// lock just created belongs to a station writing it and is not.
TEST(ContestKilled, ALockLeftAtAnyStepOfTakingItIsTakenOver) {
  const pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const QByteArray deadHolder = QByteArray::number(dead) + "\nhypsor-cli\n" +
                                QSysInfo::machineHostName().toUtf8() + "\n" +
                                QSysInfo::machineUniqueId() + "\n" + QSysInfo::bootUniqueId() + "\n";
  const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-3);
  auto put = [&](const QString& path, const QByteArray& bytes, bool aged) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    if (aged) {
      ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
  };
  struct Case {
    const char* what;
    QByteArray lock;
    bool guard;
  };
  for (const Case& c : {Case{"dead holder", deadHolder, false}, Case{"empty lock", {}, false},
                        Case{"empty guard", deadHolder, true}}) {
    QTemporaryDir dir;
    const QString lockPath = QDir(dir.path()).filePath(ContestLockFileName);
    put(lockPath, c.lock, true);
    if (c.guard) put(lockPath + ".rmlock", {}, true);
    FolderLock lock(dir.path());
    // The turns it waits are counted on a virtual clock: taken over within a few, whatever the
    // machine's load.
    VirtualClock clock;
    Failure error;
    EXPECT_TRUE(lock.Acquire(FolderLockTimeoutMs, &error, &clock)) << c.what << ": " << Said(error);
    EXPECT_LT(clock.NowMs(), 1000) << c.what;
  }
  QTemporaryDir dir;
  put(QDir(dir.path()).filePath(ContestLockFileName), {}, false);
  FolderLock lock(dir.path());
  VirtualClock clock;
  Failure error;
  EXPECT_FALSE(lock.Acquire(300, &error, &clock));
  EXPECT_TRUE(English(error).contains("locked")) << Said(error);
}

}  // namespace
}  // namespace hypsor
