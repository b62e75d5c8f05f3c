// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli's manners, the same for every command: "--" ends the options, --help after a
// command prints its usage with the descriptions in one column, and unknown options, missing
// values and missing arguments are one line in one form with exit status 1. First the option
// layer itself, then the tool's command line: run in this process through its own dispatch, and
// as the program for the commands that load the drawing module.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

#include "cli/CommandOptions.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using cli::CommandOptions;
using test::CliRun;
using test::RunCli;
using test::RunCliHere;

struct Parsed {
  std::optional<int> status;
  QString out, err;
};

Parsed ParseWith(CommandOptions& o, const QStringList& args) {
  Parsed p;
  QTextStream out(&p.out), err(&p.err);
  p.status = o.Parse(args, out, err);
  out.flush();
  err.flush();
  return p;
}

std::unique_ptr<CommandOptions> ExampleOptions() {
  auto o = std::make_unique<CommandOptions>(QStringLiteral("demo"), QString(),
                                            QStringLiteral("A demonstration."));
  o->AddPositional(QStringLiteral("FILE"), QStringLiteral("a file"));
  o->AddPositional(QStringLiteral("OTHER"), QStringLiteral("another file"), false);
  o->AddFlag(QStringLiteral("fast"), QStringLiteral("go fast"));
  o->AddValue(QStringLiteral("count"), QStringLiteral("N"), QStringLiteral("how many"));
  return o;
}

// The column where an option's description starts, for every line of the Options section.
QList<qsizetype> DescriptionColumns(const QString& help) {
  QList<qsizetype> columns;
  const QString section =
      help.section(QStringLiteral("Options:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
  static const QRegularExpression line(QStringLiteral("^  (-[^\\s,]+(, )?)+( <\\S+>)?\\s+\\S"));
  for (const QString& l : section.split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch m = line.match(l);
    if (m.hasMatch()) columns.append(m.capturedEnd() - 1);
  }
  return columns;
}

TEST(CommandOptions, ReadsOptionsAndArgumentsTheQtWay) {
  QString readErr;
  QTextStream err(&readErr);
  const auto o = ExampleOptions();
  Parsed p = ParseWith(*o, {"--count=3", "a.hyp", "--fast", "--", "--b.hyp"});
  EXPECT_FALSE(p.status) << p.err.toStdString();
  EXPECT_EQ(o->Positional(), (QStringList{"a.hyp", "--b.hyp"}));
  EXPECT_TRUE(o->IsSet(QStringLiteral("fast")));
  std::int32_t n = 0;
  EXPECT_TRUE(o->ReadInteger(QStringLiteral("count"), n, err));
  EXPECT_EQ(n, 3);

  // A lone "-" is an argument (standard output), "-count" the long option.
  const auto dash = ExampleOptions();
  p = ParseWith(*dash, {"-", "-count", "$10"});
  EXPECT_FALSE(p.status) << p.err.toStdString();
  EXPECT_EQ(dash->Positional(), QStringList{"-"});
  EXPECT_FALSE(dash->IsSet(QStringLiteral("fast")));
  EXPECT_TRUE(dash->ReadInteger(QStringLiteral("count"), n, err));
  EXPECT_EQ(n, 16);
  EXPECT_TRUE(readErr.isEmpty());

  const auto bad = ExampleOptions();
  ASSERT_FALSE(ParseWith(*bad, {"a", "--count", "x"}).status);
  EXPECT_FALSE(bad->ReadInteger(QStringLiteral("count"), n, err));
  EXPECT_EQ(n, 16);
  err.flush();
  EXPECT_EQ(readErr, QStringLiteral("hypsor-cli demo: --count takes a whole number, not 'x' "
                                    "(see 'hypsor-cli demo --help')\n"));
}

TEST(CommandOptions, UsageErrorsAreOneLineWithStatusOne) {
  const struct {
    QStringList args;
    const char* problem;
  } cases[] = {
      {{"a", "--slow"}, "unknown option '--slow'"},
      {{"-lead.hyp"}, "unknown option '-lead.hyp'"},
      {{"a", "--count"}, "missing value after '--count'"},
      {{"a", "--fast=yes"}, "unexpected value after '--fast'"},
      {{"--fast"}, "FILE missing"},
      {{"a", "b", "c"}, "unexpected argument 'c'"},
  };
  for (const auto& c : cases) {
    const auto o = ExampleOptions();
    const Parsed p = ParseWith(*o, c.args);
    EXPECT_EQ(p.status, 1) << c.problem;
    EXPECT_TRUE(p.out.isEmpty());
    EXPECT_EQ(p.err, QStringLiteral("hypsor-cli demo: %1 (see 'hypsor-cli demo --help')\n")
                         .arg(QLatin1String(c.problem)));
  }
}

TEST(CommandOptions, HelpNamesTheCommandAndAlignsTheDescriptions) {
  const auto o = ExampleOptions();
  o->AppendHelp(QStringLiteral("\nMore.\n"));
  // --help wins over a missing argument.
  const Parsed p = ParseWith(*o, {"--help"});
  EXPECT_EQ(p.status, 0);
  EXPECT_TRUE(p.err.isEmpty());
  EXPECT_TRUE(
      p.out.startsWith(QStringLiteral("Usage: hypsor-cli demo [options] FILE [OTHER]\n"
                                      "A demonstration.\n")))
      << p.out.toStdString();
  EXPECT_TRUE(p.out.endsWith(QStringLiteral("\nMore.\n")));
  const QList<qsizetype> columns = DescriptionColumns(p.out);
  ASSERT_EQ(columns.size(), 3) << p.out.toStdString();
  EXPECT_EQ(columns.count(columns[0]), 3) << p.out.toStdString();
}

class CliManners : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(test::CliPath().isEmpty()); }
};

// The current directory for a while, as a process started there has it.
class InDirectory {
 public:
  explicit InDirectory(const QString& path) : previous_(QDir::currentPath()) {
    EXPECT_TRUE(QDir::setCurrent(path));
  }
  ~InDirectory() { QDir::setCurrent(previous_); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  QString previous_;
};

TEST_F(CliManners, DoubleDashEndsTheOptionsOfEveryFileCommand) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(test::ExamplePath(QStringLiteral("sample-flight.hyp")),
                          dir.filePath(QStringLiteral("-lead.hyp"))));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("-contest")));
  ASSERT_TRUE(QFile::copy(test::ExamplePath(QStringLiteral("sample-flight.hyp")),
                          dir.filePath(QStringLiteral("-contest/a.hyp"))));
  const InDirectory here(dir.path());
  const CliRun info = RunCliHere({"info", "--", "-lead.hyp"});
  EXPECT_EQ(info.status, 0) << info.err.toStdString();
  EXPECT_TRUE(info.out.contains(QStringLiteral("\nsha256: "))) << info.out.toStdString();
  EXPECT_EQ(RunCliHere({"export", "--filter", "--", "-lead.hyp"}).status, 0);
  EXPECT_EQ(RunCliHere({"stats", "--json", "--", "-lead.hyp"}).status, 0);
  EXPECT_EQ(RunCliHere({"results", "--", "-contest"}).status, 0);
  // Without "--" the name is an option nobody knows.
  const CliRun unknown = RunCliHere({"info", "-lead.hyp"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, QStringLiteral("hypsor-cli info: unknown option '-lead.hyp' "
                                        "(see 'hypsor-cli info --help')\n"));
}

TEST_F(CliManners, EveryCommandFailsAlikeAndExplainsItself) {
  const QString flight = test::ExamplePath(QStringLiteral("sample-flight.hyp"));
  const struct {
    const char* command;
    QStringList valid;   // enough for the command to start
    const char* valued;  // an option that takes a value
  } commands[] = {
      {"info", {flight}, "--precut"},
      {"export", {flight}, "--temperature"},
      {"stats", {flight}, "--finalfilter"},
      {"plot", {flight, "--out", "x.png"}, "--compare"},
      {"results", {test::ExamplesDir()}, "--html"},
      {"report", {flight, "--out", "x.pdf"}, "--language"},
      {"download", {"--port", "ttyQQ9", "--out", "x.hyp"}, "--session"},
      {"reset", {"--port", "ttyQQ9", "--yes"}, "--log"},
      {"settings", {"--port", "ttyQQ9"}, "--set"},
  };
  for (const auto& c : commands) {
    const QString name = QLatin1String(c.command);
    const QString tail = QStringLiteral(" (see 'hypsor-cli %1 --help')\n").arg(name);
    // The drawing commands start a program each: their unknown option is left to the missing
    // value, which the same parser words the same way.
    CliRun r;
    if (name != QLatin1String("plot") && name != QLatin1String("report")) {
      r = RunCliHere(QStringList{name} + c.valid + QStringList{"--bogus"});
      EXPECT_EQ(r.status, 1) << c.command;
      EXPECT_EQ(r.err, QStringLiteral("hypsor-cli %1: unknown option '--bogus'").arg(name) + tail);
    }
    if (c.valued) {
      r = RunCliHere(QStringList{name} + c.valid + QStringList{QLatin1String(c.valued)});
      EXPECT_EQ(r.status, 1) << c.command;
      EXPECT_EQ(r.err, QStringLiteral("hypsor-cli %1: missing value after '%2'")
                               .arg(name, QLatin1String(c.valued)) +
                           tail);
    }
    // Nothing given at all: one line of the same form.
    r = RunCliHere({name});
    EXPECT_EQ(r.status, 1) << c.command;
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("hypsor-cli %1: ").arg(name)))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(tail)) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();

    // --help anywhere after the command, and "help COMMAND", print the same usage.
    const CliRun help = RunCliHere(QStringList{name} + c.valid + QStringList{"--help"});
    EXPECT_EQ(help.status, 0) << c.command;
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: hypsor-cli %1 ").arg(name)))
        << help.out.toStdString();
    EXPECT_EQ(RunCliHere({"help", name}).out, help.out);
    for (const QString& line : help.out.split(QLatin1Char('\n')))
      EXPECT_LE(line.size(), 80) << line.toStdString();
    const QList<qsizetype> columns = DescriptionColumns(help.out);
    EXPECT_GE(columns.size(), 2) << help.out.toStdString();
    EXPECT_EQ(columns.count(columns.value(0)), columns.size()) << help.out.toStdString();
  }
}

TEST_F(CliManners, TheCommandListIsOneAlignedColumnAndVersionSaysTheLicence) {
  const CliRun help = RunCliHere({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const QString& line : help.out.split(QLatin1Char('\n')))
    EXPECT_LE(line.size(), 80) << line.toStdString();
  const QString list =
      help.out.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
  QStringList names;
  qsizetype column = -1;
  static const QRegularExpression entry(QStringLiteral("^  (\\S+) +(\\S)"));
  for (const QString& line : list.split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch m = entry.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    names << m.captured(1);
    if (column < 0) column = m.capturedStart(2);
    EXPECT_EQ(m.capturedStart(2), column) << line.toStdString();
  }
  EXPECT_EQ(names, (QStringList{"info", "export", "stats", "plot", "results", "verify", "rules",
                                "contest", "report", "download", "reset", "settings", "compare",
                                "logbook"}));

  const CliRun none = RunCliHere({});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, QStringLiteral("hypsor-cli: COMMAND missing (see 'hypsor-cli --help')\n"));
  const CliRun unknown = RunCliHere({"frobnicate", "--help"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err,
            QStringLiteral("hypsor-cli: unknown command 'frobnicate' (see 'hypsor-cli --help')\n"));

  const CliRun version = RunCliHere({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.contains(QStringLiteral("GPL-3.0-or-later")))
      << version.out.toStdString();
}

}  // namespace
}  // namespace hypsor
