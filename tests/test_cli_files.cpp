// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli with hostile files and outputs: a full standard output, a FIFO to read, special
// files and links to write (through the sample flights' writer), and typed numbers in every
// spelling the one integer rule accepts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "support/TestFiles.h"
#include "support/TestPaths.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"

namespace {

using hypsor::test::CliRun;
using hypsor::test::ReadFile;

// Runs hypsor-cli; stdoutFile, when given, receives the program's standard output instead of a
// pipe. Without one the command runs through the tool's dispatch in this process.
CliRun RunCli(const QStringList& args, const QString& stdoutFile = {}) {
  const CliRun r = stdoutFile.isEmpty() ? hypsor::test::RunCliHere(args)
                                        : hypsor::test::RunCli(args, [&stdoutFile](QProcess& p) {
                                            p.setStandardOutputFile(stdoutFile);
                                          });
  EXPECT_NE(r.status, -1) << "hypsor-cli crashed or hung: " << args.join(' ').toStdString();
  return r;
}

QString Example(const char* name) {
  return hypsor::test::ExamplePath(QString::fromLatin1(name));
}

TEST(CliOutput, AFullStandardOutputIsAFailure) {
  ASSERT_FALSE(hypsor::test::CliPath().isEmpty());
  const QString full = QStringLiteral("/dev/full");
  ASSERT_TRUE(QFileInfo::exists(full));
  const QStringList commands[] = {
      {QStringLiteral("export"), Example("flight-50hz-9000.hyp")},  // more than a buffer's worth
      {QStringLiteral("export"), Example("flight-1hz.hyp")},        // less
      {QStringLiteral("info"), Example("sample-flight.hyp")},
      {QStringLiteral("--help")},
  };
  for (const QStringList& args : commands) {
    const CliRun r = RunCli(args, full);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot write standard output")))
        << r.err.toStdString();
  }
  // A failure of the command itself keeps its own status.
  EXPECT_EQ(RunCli({QStringLiteral("info")}, full).status, 1);
  // The same commands to a file succeed and write something.
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("out.csv"));
  EXPECT_EQ(RunCli(commands[0], file).status, 0);
  EXPECT_GT(QFileInfo(file).size(), 9000);
}

TEST(CliInput, AFifoIsRefusedAtOnceAndALinkIsFollowed) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("pipe.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  for (const char* command : {"info", "export"}) {
    const CliRun r = RunCli({QString::fromLatin1(command), fifo});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("pipe.hyp: it is not a regular file")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  const QString link = dir.filePath(QStringLiteral("link.hyp"));
  ASSERT_TRUE(QFile::link(Example("sample-flight.hyp"), link));
  const CliRun viaLink = RunCli({QStringLiteral("info"), link});
  EXPECT_EQ(viaLink.status, 0);
  EXPECT_EQ(viaLink.out, RunCli({QStringLiteral("info"), Example("sample-flight.hyp")}).out);
}

// The sample flights' writer (the test tool hypsor-make-examples) saves through the program's one
// flight-file writer: a special file in its way is refused, a link is followed and stays, and
// what it writes is examples/ byte for byte.
TEST(CliWrite, SpecialTargetsAreRefusedLinksKeptAndTheExamplesRemade) {
  const QString tool = hypsor::test::MakeExamplesPath();
  ASSERT_FALSE(tool.isEmpty()) << "HYPSOR_MAKE_EXAMPLES is not set (run the test through CTest)";
  QTemporaryDir dir;
  // sample-flight.hyp is written first: a FIFO there stops the tool before anything.
  const QString fifo = dir.filePath(QStringLiteral("sample-flight.hyp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  CliRun r = hypsor::test::RunProgram(tool, {dir.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("not a regular file"))) << r.err.toStdString();
  struct stat st {};
  ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // A link in its place: the file it points to is written, the link stays.
  QTemporaryDir other;
  ASSERT_TRUE(QFile::remove(fifo));
  const QString real = other.filePath(QStringLiteral("real.hyp"));
  ASSERT_TRUE(QFile::link(real, fifo));
  r = hypsor::test::RunProgram(tool, {dir.path()});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(QFileInfo(fifo).isSymLink());
  const QStringList examples =
      QDir(hypsor::test::ExamplesDir()).entryList({QStringLiteral("*.hyp")}, QDir::Files);
  ASSERT_EQ(examples.size(), 5);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files), examples);
  for (const QString& name : examples)
    EXPECT_EQ(ReadFile(dir.filePath(name)), ReadFile(hypsor::test::ExamplePath(name)))
        << name.toStdString();
  EXPECT_EQ(ReadFile(real), ReadFile(Example("sample-flight.hyp")));
}

TEST(CliNumbers, OneIntegerRuleForEveryOption) {
  const QString spike = Example("flight-spike.hyp");
  auto exportWith = [&](const QStringList& extra) {
    const CliRun r = RunCli(QStringList{QStringLiteral("export"), spike} + extra);
    EXPECT_EQ(r.status, 0) << extra.join(' ').toStdString() << ": " << r.err.toStdString();
    return r.out;
  };
  // "$FFFFFFFF" is the 32-bit pattern of -1, as in the device settings window.
  EXPECT_EQ(exportWith({QStringLiteral("--filter"), QStringLiteral("--prefilter=$FFFFFFFF"),
                        QStringLiteral("--precut"), QStringLiteral("  $1F4")}),
            exportWith({QStringLiteral("--filter"), QStringLiteral("--prefilter=-1"),
                        QStringLiteral("--precut"), QStringLiteral("500")}));
  EXPECT_EQ(exportWith({QStringLiteral("--temperature"), QStringLiteral("$14")}),
            exportWith({QStringLiteral("--temperature"), QStringLiteral("+20")}));
  for (const char* bad : {"$100000000", "2147483648", "0x10", "12 ", ""}) {
    EXPECT_EQ(RunCli({QStringLiteral("export"), spike, QStringLiteral("--filter"),
                      QStringLiteral("--finalcut"), QString::fromLatin1(bad)})
                  .status,
              1)
        << bad;
  }
}

}  // namespace
