// SPDX-License-Identifier: GPL-3.0-or-later
// A contest folder survives a kill at any moment: a child process keeps a download and is killed
// just before one of the system calls that change the folder, each in turn, so every state a
// kill can leave is met; every flight file is whole, results.csv is always a readable table of
// whole flight files, and the log a chain of records of whole files.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <csignal>

#include <sys/wait.h>
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
#include "tests/support/KillBeforeChange.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"
#include "text/FailureText.h"

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
  const QByteArray b = ReadFile(test::ExamplePath("flight-1hz.hyp"));
  ASSERT_FALSE(a.isEmpty());
  ASSERT_FALSE(b.isEmpty());
  const QDateTime when(QDate(2026, 5, 17), QTime(9, 0, 0));

  {
    ContestSession session;
    Failure error;
    ASSERT_TRUE(session.Start(folder, "Kill Cup", &error)) << Said(error);
    for (int k = 0; k < 4; ++k)
      ASSERT_EQ(session.KeepDownload(Span(k % 2 ? a : b), when, nullptr, &error),
                KeepOutcome::Kept);
  }

  // A station resuming the session and keeping one download, killed before its first, second,
  // ... change to the folder, each kill leaving the folder to the next station.
  const auto keepOne = [&](const QByteArray& flight) {
    return [&folder, &flight, &when] {
      ContestSession session;
      Failure error;
      if (!session.Start(folder, QString(), &error)) _exit(3);
      if (session.KeepDownload(Span(flight), when, nullptr, &error) != KeepOutcome::Kept) _exit(4);
    };
  };
  const test::TracedRun whole = test::RunKilledBeforeChange(0, keepOne(a));
  ASSERT_NE(whole.exitCode, 90) << "ptrace is not allowed here";
  ASSERT_EQ(whole.exitCode, 0) << "the traced keep failed";
  ASSERT_GT(whole.changes, 4) << "no changes to the folder seen: is ptrace allowed?";
  const int rounds = test::StressRounds(1);
  int kills = 0;
  for (int kill = 0; kill < rounds * (whole.changes + 1); ++kill) {
    const int at = 1 + kill % (whole.changes + 1);
    const test::TracedRun run = test::RunKilledBeforeChange(at, keepOne(kill % 2 ? a : b));
    // Past the last change the keep ends by itself, as it must.
    ASSERT_TRUE(run.killed || run.exitCode == 0) << "kill " << kill << ": " << run.exitCode;
    kills += run.killed;
    // An empty lock, killed before its holder wrote it, is taken over once it is seconds old
    // (ALockLeftAtAnyStepOfTakingItIsTakenOver); those seconds pass here at once.
    for (const QString& name : QDir(folder).entryList({QString(ContestLockFileName) + "*"},
                                                       QDir::Files | QDir::Hidden)) {
      QFile lock(QDir(folder).filePath(name));
      ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
      ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-10),
                                   QFileDevice::FileModificationTime));
    }

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
    EXPECT_TRUE(check.log.damage.empty())
        << "kill " << kill << ": " << FailureText(check.log.damage.front(), kEnglish).toStdString();
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
  RecordProperty("kills", kills);
}

// What a station killed at each step of taking the lock leaves behind: the lock with its dead
// process, an empty lock (killed before writing it), an empty takeover guard (killed while
// removing someone else's stale lock), and guards of guards when that happened again and again. Each is taken over well within the keep's wait; an empty
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
    int guards;  // guards of guards, the last one empty
  };
  for (const Case& c : {Case{"dead holder", deadHolder, 0}, Case{"empty lock", {}, 0},
                        Case{"empty guard", deadHolder, 1},
                        Case{"guards of dead stations, the last empty", deadHolder, 6}}) {
    QTemporaryDir dir;
    QString lockPath = QDir(dir.path()).filePath(ContestLockFileName);
    put(lockPath, c.lock, true);
    for (int depth = 1; depth <= c.guards; ++depth) {
      lockPath += ".rmlock";
      put(lockPath, depth < c.guards ? deadHolder : QByteArray(), true);
    }
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
