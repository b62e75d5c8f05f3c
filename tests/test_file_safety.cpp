// SPDX-License-Identifier: GPL-3.0-or-later
// Files under hostile conditions: a saving process killed before each change it makes, a full
// disk, targets that are FIFOs, devices, folders and symbolic links, and special files offered for
// reading.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "files/FlightFile.h"
#include "files/SettingsFile.h"
#include "platform/AtomicFile.h"
#include "support/TestFiles.h"
#include "support/Failures.h"
#include "tests/support/KillBeforeChange.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::ReadFile;
using test::WriteFile;

// Two flights that differ in every respect the test can see: size, header and samples.
QByteArray FlightBytes(int size, char fill) {
  QByteArray b(size, fill);
  b[7] = 3;
  b[size - 2] = static_cast<char>(0xFF);
  b[size - 1] = static_cast<char>(0xFF);
  return b;
}

bool Save(const QString& path, const QByteArray& bytes, Failure* error = nullptr,
          WriteFailure* failure = nullptr) {
  return SaveFlightFile(path,
                        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size())),
                        error, failure);
}

// The folder's entries other than the given names, hidden ones included.
QStringList Others(const QString& folder, const QStringList& known) {
  QStringList out;
  for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot))
    if (!known.contains(name)) out.append(name);
  return out;
}

TEST(SaveKilled, TheTargetIsAlwaysTheWholeOldOrTheWholeNewFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("flight.hyp"));
  const QByteArray a = FlightBytes(9000, 'a');
  const QByteArray b = FlightBytes(3000, 'b');
  ASSERT_TRUE(Save(path, a));

  // A saving process killed just before each of its changes to the folder in turn, saving the
  // large flight over the small one and back; HYPSOR_STRESS_ROUNDS goes through them more times.
  int kills = 0;
  for (int round = 0; round < 2 * test::StressRounds(1); ++round) {
    const QByteArray& next = round % 2 ? a : b;
    const auto save = [&path, &next] { Save(path, next); };
    const test::TracedRun whole = test::RunKilledBeforeChange(0, save);
    ASSERT_NE(whole.exitCode, 90) << "ptrace is not allowed here";
    ASSERT_EQ(whole.exitCode, 0);
    ASSERT_GE(whole.changes, 3) << "a save is a temporary, its bytes and a rename at least";
    ASSERT_EQ(ReadFile(path), next);
    // Back to the other flight, then killed before each change of the same save until one goes
    // through (a temporary left by a kill may cost the next save a try at another name).
    for (int at = 1;; ++at) {
      ASSERT_LT(at, 64) << "a save that never ends";
      ASSERT_TRUE(Save(path, round % 2 ? b : a));
      const test::TracedRun run = test::RunKilledBeforeChange(at, save);
      const QByteArray now = ReadFile(path);
      ASSERT_TRUE(now == a || now == b) << "change " << at << ": " << now.size() << " bytes";
      if (!run.killed) {
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(now, next);
        break;
      }
      ++kills;
    }
  }
  // A kill between creating and renaming leaves a temporary: hidden and recognisable.
  const QStringList leftovers = Others(dir.path(), {QStringLiteral("flight.hyp")});
  for (const QString& name : leftovers) {
    EXPECT_TRUE(IsTemporarySaveName(name)) << name.toStdString();
    EXPECT_TRUE(name.startsWith(QStringLiteral(".flight.hyp.tmp"))) << name.toStdString();
  }
  // Left-over temporaries do not stop the next save, which leaves none of its own.
  const QStringList before = Others(dir.path(), {});
  ASSERT_TRUE(Save(path, b));
  EXPECT_EQ(ReadFile(path), b);
  EXPECT_EQ(Others(dir.path(), {}), before);
  RecordProperty("leftover_temporaries", static_cast<int>(leftovers.size()));
  RecordProperty("kills", kills);
}

TEST(SaveFailure, AFullDiskLeavesTheOldFileAndNoTemporary) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("flight.hyp"));
  const QByteArray old = FlightBytes(2000, 'o');
  ASSERT_TRUE(Save(path, old));
  // The file-size limit makes writes fail as on a full disk; in a child, to keep it there.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    Failure error;
    WriteFailure failure = WriteFailure::None;
    const bool saved = Save(path, FlightBytes(9000, 'n'), &error, &failure);
    const bool named = English(error).contains(QStringLiteral("flight.hyp"));
    _exit(!saved && named && failure == WriteFailure::Failed ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save did not fail with a reason naming the file";
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(Others(dir.path(), {QStringLiteral("flight.hyp")}), QStringList());
}

TEST(SaveTarget, SpecialFilesAreRefusedAndLeftAlone) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("pipe.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  const QString folder = dir.filePath(QStringLiteral("folder.hyp"));
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString linkToFifo = dir.filePath(QStringLiteral("link-to-pipe.hyp"));
  ASSERT_TRUE(QFile::link(fifo, linkToFifo));
  QStringList targets = {fifo, folder, linkToFifo};
  // A device node needs root to create; it is what "as root even /dev/null" was about.
  const QString device = dir.filePath(QStringLiteral("null.hyp"));
  if (geteuid() == 0 &&
      mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    targets.append(device);

  const QStringList names = Others(dir.path(), {});
  for (const QString& target : targets) {
    Failure error;
    WriteFailure failure = WriteFailure::None;
    EXPECT_FALSE(Save(target, FlightBytes(100, 'x'), &error, &failure)) << target.toStdString();
    EXPECT_EQ(failure, WriteFailure::NotRegularFile) << target.toStdString();
    EXPECT_TRUE(English(error).contains(QFileInfo(target).fileName())) << Said(error);
    EXPECT_TRUE(English(error).contains(QStringLiteral("not a regular file"))) << Said(error);
    EXPECT_FALSE(CheckSaveTarget(target, nullptr)) << target.toStdString();
    EXPECT_FALSE(SaveSettings(target, DefaultSettings(), &error, &failure));
    EXPECT_EQ(failure, WriteFailure::NotRegularFile);
  }
  // Still what they were, and nothing left beside them.
  struct stat st {};
  ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_TRUE(QFileInfo(linkToFifo).isSymLink());
  if (targets.contains(device)) {
    ASSERT_EQ(lstat(QFile::encodeName(device).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
  EXPECT_EQ(Others(dir.path(), {}), names);
  EXPECT_TRUE(CheckSaveTarget(dir.filePath(QStringLiteral("new.hyp")), nullptr));
}

TEST(SaveTarget, ALinkIsFollowedAndStaysALink) {
  QTemporaryDir dir;
  QTemporaryDir other;
  const QString real = other.filePath(QStringLiteral("real.hyp"));
  ASSERT_TRUE(WriteFile(real, FlightBytes(500, 'o')));
  ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
  // A relative link in one folder to a file in another, reached through a second link.
  const QString relative = QDir(dir.path()).relativeFilePath(real);
  const QString first = dir.filePath(QStringLiteral("first.hyp"));
  const QString second = dir.filePath(QStringLiteral("second.hyp"));
  ASSERT_EQ(symlink(QFile::encodeName(relative).constData(), QFile::encodeName(second).constData()),
            0);
  ASSERT_TRUE(QFile::link(QStringLiteral("second.hyp"), first));

  const QByteArray fresh = FlightBytes(700, 'n');
  Failure error;
  ASSERT_TRUE(Save(first, fresh, &error)) << Said(error);
  EXPECT_EQ(ReadFile(real), fresh);
  EXPECT_TRUE(QFileInfo(first).isSymLink());
  EXPECT_TRUE(QFileInfo(second).isSymLink());
  // The replaced file keeps its permissions.
  struct stat st {};
  ASSERT_EQ(stat(QFile::encodeName(real).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Others(dir.path(), {QStringLiteral("first.hyp"), QStringLiteral("second.hyp")}),
            QStringList());
  EXPECT_EQ(Others(other.path(), {QStringLiteral("real.hyp")}), QStringList());

  // A link to a file that does not exist yet creates that file.
  const QString dangling = dir.filePath(QStringLiteral("dangling.hyp"));
  ASSERT_TRUE(QFile::link(other.filePath(QStringLiteral("later.hyp")), dangling));
  ASSERT_TRUE(Save(dangling, fresh, &error)) << Said(error);
  EXPECT_EQ(ReadFile(other.filePath(QStringLiteral("later.hyp"))), fresh);
  EXPECT_TRUE(QFileInfo(dangling).isSymLink());

  // A loop of links is refused.
  const QString loopA = dir.filePath(QStringLiteral("loop-a.hyp"));
  const QString loopB = dir.filePath(QStringLiteral("loop-b.hyp"));
  ASSERT_TRUE(QFile::link(loopB, loopA));
  ASSERT_TRUE(QFile::link(loopA, loopB));
  EXPECT_FALSE(Save(loopA, fresh, &error));
  EXPECT_TRUE(English(error).contains(QStringLiteral("loop-a.hyp"))) << Said(error);
  EXPECT_TRUE(QFileInfo(loopA).isSymLink());
}

TEST(ReadSource, SpecialFilesAreRefusedAtOnceAndLinksFollowed) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("pipe.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  const QString linkToFifo = dir.filePath(QStringLiteral("link.hyp"));
  ASSERT_TRUE(QFile::link(fifo, linkToFifo));
  const QString folder = dir.filePath(QStringLiteral("folder.hyp"));
  ASSERT_TRUE(QDir().mkdir(folder));

  // A FIFO without a writer: opening it for reading the ordinary way would wait forever.
  for (const QString& path : {fifo, linkToFifo, folder}) {
    Flight f;
    f.competitor = 77;
    const FlightFileResult r = LoadFlightFile(path, f);
    EXPECT_EQ(r.status, FlightFileStatus::NotRegularFile) << path.toStdString();
    EXPECT_TRUE(English(r.failure).contains(QFileInfo(path).fileName())) << Said(r.failure);
    EXPECT_TRUE(English(r.failure).contains(QStringLiteral("not a regular file"))) << Said(r.failure);
    EXPECT_EQ(f.competitor, 77u);

    SettingsRecord s{};
    Failure error;
    ReadOpenStatus status = ReadOpenStatus::Ok;
    EXPECT_FALSE(LoadSettings(path, s, &error, &status)) << path.toStdString();
    EXPECT_EQ(status, ReadOpenStatus::NotRegularFile);
    EXPECT_EQ(EncodeSettings(s), EncodeSettings(DefaultSettings()));
  }
  // A link to a regular file reads the file.
  const QString real = dir.filePath(QStringLiteral("real.hyp"));
  ASSERT_TRUE(WriteFile(real, FlightBytes(200, 'r')));
  const QString link = dir.filePath(QStringLiteral("to-real.hyp"));
  ASSERT_TRUE(QFile::link(QStringLiteral("real.hyp"), link));
  Flight f;
  EXPECT_EQ(LoadFlightFile(link, f).status, FlightFileStatus::Ok);
  EXPECT_EQ(f.FlightByteCount, 200);
  // A link to nothing is a missing file: defaults for the settings, no error.
  const QString nothing = dir.filePath(QStringLiteral("nothing.par"));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("absent.par")), nothing));
  SettingsRecord s{};
  EXPECT_TRUE(LoadSettings(nothing, s));
  EXPECT_EQ(LoadFlightFile(nothing, f).status, FlightFileStatus::CannotOpen);
}

TEST(TemporaryNames, OnlyHiddenNameDotTmpAndSixCharactersMatch) {
  EXPECT_TRUE(IsTemporarySaveName(u".flight.hyp.tmpA1b2C3"));
  EXPECT_TRUE(IsTemporarySaveName(u".x.tmp000000"));
  EXPECT_TRUE(IsTemporarySaveName(u".lot, zawody 3.hyp.tmpzzzzzz"));
  for (const char16_t* name :
       {u"flight.hyp", u"flight.hyp.tmpA1b2C3", u"flight.hyp.Ab12Cd", u".flight.hyp", u".tmpA1b2C3",
        u"..tmpA1b2C3", u".flight.hyp.tmpA1b2C", u".flight.hyp.tmpA1b2C3x",
        u".flight.hyp.tmpA1-2C3", u".flight.hyp.TMPA1b2C3", u""}) {
    EXPECT_FALSE(IsTemporarySaveName(name)) << QString::fromUtf16(name).toStdString();
  }
}

}  // namespace
}  // namespace hypsor
