// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli results, verify, info's sha256 line and download --session, run through the tool's
// own dispatch in this process (the report command: test_gui_plot).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

#include "contest/FolderLock.h"
#include "contest/ResultsTable.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"
#include "tests/support/Failures.h"
#include "tests/support/KeepFile.h"
#include "tests/support/ScriptedCli.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::ReadFile;

QByteArray Example(const char* name) {
  return ReadFile(test::ExamplePath(QString::fromLatin1(name)));
}

QByteArray WithCompetitor(QByteArray bytes, int competitor) {
  bytes[2] = static_cast<char>(competitor);
  return bytes;
}

QString Sha256(const QByteArray& bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

TEST(CliResults, RanksTheFolderFilesSkipsWhatCannotBeReadAndFailsWhenNothingCan) {
  ASSERT_FALSE(test::CliPath().isEmpty());
  QTemporaryDir dir;
  const QDir d(dir.path());
  const QByteArray high = Example("flight-1hz.hyp");    // 690.4 m
  const QByteArray low = Example("flight-spike.hyp");   // 277.7 m
  const QByteArray mid = Example("sample-flight.hyp");  // 380.5 m
  ASSERT_TRUE(test::WriteFile(d.filePath("a.hyp"), WithCompetitor(mid, 20)));
  ASSERT_TRUE(test::WriteFile(d.filePath("b.hyp"), WithCompetitor(mid, 4)));  // ties with 20
  ASSERT_TRUE(test::WriteFile(d.filePath("c.hyp"), WithCompetitor(low, 4)));
  ASSERT_TRUE(test::WriteFile(d.filePath("d.HYP"), WithCompetitor(high, 30)));
  ASSERT_TRUE(test::WriteFile(d.filePath("e.hyp"), WithCompetitor(low, 2)));
  ASSERT_TRUE(test::WriteFile(d.filePath("broken.hyp"), "xyz"));
  // Not read: a temporary of an interrupted save, a subfolder's file, another extension.
  ASSERT_TRUE(test::WriteFile(d.filePath(".f.hyp.tmpQWERTY"), WithCompetitor(high, 99)));
  ASSERT_TRUE(d.mkdir("sub"));
  ASSERT_TRUE(test::WriteFile(d.filePath("sub/g.hyp"), WithCompetitor(high, 98)));
  ASSERT_TRUE(test::WriteFile(d.filePath("h.bin"), WithCompetitor(high, 97)));

  const test::CliRun r = test::RunCliHere({"results", dir.path(), "--csv"});
  EXPECT_EQ(r.status, 0);
  const QString sha = Sha256(WithCompetitor(mid, 4));
  // A folder without a log: ranked as the files say, each marked as unrecorded.
  EXPECT_EQ(r.out, QStringLiteral("rank,competitor,best_apogee_m,flights,file,sha256,status\n"
                                  "1,30,690.4,1,d.HYP,%1,no-log\n"
                                  "2,4,380.5,2,b.hyp,%2,no-log\n"
                                  "2,20,380.5,1,a.hyp,%3,no-log\n"
                                  "4,2,277.7,1,e.hyp,%4,no-log\n")
                       .arg(Sha256(WithCompetitor(high, 30)), sha, Sha256(WithCompetitor(mid, 20)),
                            Sha256(WithCompetitor(low, 2))));
  EXPECT_TRUE(r.err.contains("broken.hyp")) << r.err.toStdString();

  // The readable table has the same rows; --flights lists every flight file by name.
  const test::CliRun text = test::RunCliHere({"results", dir.path()});
  EXPECT_EQ(text.status, 0);
  EXPECT_TRUE(text.out.startsWith("rank  competitor  best_apogee_m")) << text.out.toStdString();
  EXPECT_EQ(text.out.count('\n'), 5);
  // It is results.csv's table with each flight's data-quality flags after it (the spike of
  // the low flight), then the apogee its data support.
  const test::CliRun flights = test::RunCliHere({"results", dir.path(), "--flights", "--csv"});
  EXPECT_EQ(flights.status, 0);
  QStringList table, flags, supported;
  for (const QString& line : flights.out.split('\n', Qt::SkipEmptyParts)) {
    table << line.section(',', 0, -5);
    flags << line.section(',', -4, -4);
    supported << line.section(',', -3);
  }
  std::vector<FlightRecord> rows;
  ASSERT_TRUE(ParseFlightTable((table.join('\n') + '\n').toUtf8(), rows))
      << flights.out.toStdString();
  QStringList files;
  for (const FlightRecord& f : rows) files << f.file;
  EXPECT_EQ(files, QStringList({"a.hyp", "b.hyp", "c.hyp", "d.HYP", "e.hyp"}));
  EXPECT_EQ(flags, QStringList({"flags", "", "", "spike", "", "spike"}));
  // The data of the clean flights support their apogee.
  EXPECT_EQ(supported[0], "supported_apogee_m,supported_apogee_s,supported_apogee_sample");
  EXPECT_TRUE(supported[1].startsWith("380.5,")) << supported[1].toStdString();
  EXPECT_TRUE(supported[4].startsWith("690.4,")) << supported[4].toStdString();

  QTemporaryDir empty;
  ASSERT_TRUE(test::WriteFile(QDir(empty.path()).filePath("x.hyp"), "no"));
  EXPECT_EQ(test::RunCliHere({"results", empty.path()}).status, 2);
  EXPECT_EQ(test::RunCliHere({"results", d.filePath("missing")}).status, 2);
  EXPECT_EQ(test::RunCliHere({"results"}).status, 1);
  EXPECT_EQ(test::RunCliHere({"results", dir.path(), "--json"}).status, 1);
}

TEST(CliInfo, EndsWithTheDigestOfTheWholeFile) {
  QTemporaryDir dir;
  // Bytes past the 9000 a flight read takes still count.
  QByteArray bytes = Example("sample-flight.hyp");
  bytes.append(QByteArray(9500, '\x11'));
  const QString path = QDir(dir.path()).filePath("long.hyp");
  ASSERT_TRUE(test::WriteFile(path, bytes));
  const test::CliRun r = test::RunCliHere({"info", path});
  EXPECT_EQ(r.status, 0);
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.last(), "sha256: " + Sha256(bytes));
  EXPECT_TRUE(lines.first().startsWith("competitor: "));
}

TEST(CliDownload, KeepsEachDownloadInTheContestFolderCompleteOrNot) {
  test::ScriptedCli cli;
  QTemporaryDir dir;
  const QString folder = QDir(dir.path()).filePath("cup");
  const QByteArray sent = Example("sample-flight.hyp");
  QString first;
  {
    cli.altimeter.flight = sent;
    cli.altimeter.flight[2] = 12;
    const test::CliRun r = cli.Run({"download", "--port", "ttyUSB0", "--session", folder});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    first = r.out.trimmed();
    const int serial = std::uint8_t(sent[3]) | std::uint8_t(sent[4]) << 8;
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QStringLiteral("C12_S%1_").arg(serial)))
        << first.toStdString();
    EXPECT_TRUE(QFileInfo(first).fileName().contains(
        QRegularExpression("^C\\d+_S\\d+_\\d{8}-\\d{6}\\.hyp$")))
        << first.toStdString();
    EXPECT_EQ(QFileInfo(first).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(ReadFile(first), cli.altimeter.flight);
  }
  {
    cli.altimeter.flight = sent.chopped(2);  // no end marker
    const test::CliRun r = cli.Run({"download", "--port", "ttyUSB0", "--session", folder});
    ASSERT_EQ(r.status, 5) << r.err.toStdString();  // kept, but may be incomplete
    EXPECT_TRUE(r.err.contains("marked incomplete")) << r.err.toStdString();
    EXPECT_NE(r.out.trimmed(), first);
  }
  std::vector<FlightRecord> rows;
  ASSERT_TRUE(ParseFlightTable(ReadFile(QDir(folder).filePath("results.csv")), rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].file, QFileInfo(first).fileName());
  EXPECT_TRUE(rows[0].complete);
  EXPECT_FALSE(rows[1].complete);
  EXPECT_EQ(rows[1].flight, 2);
  EXPECT_EQ(rows[0].sha256, Sha256(ReadFile(first)));

  // Only one destination; a file where the folder should be is refused before the altimeter.
  EXPECT_EQ(
      test::RunCliHere({"download", "--port", "pts/99", "--session", folder, "--out", "x"}).status,
      1);
  EXPECT_EQ(test::RunCliHere({"download", "--port", "pts/99", "--session", first}).status, 2);

  // Both downloads are recorded: verify finds the folder valid but for the incomplete one.
  const test::CliRun v = test::RunCliHere({"verify", folder});
  EXPECT_EQ(v.status, 7) << v.out.toStdString();
  EXPECT_TRUE(v.out.contains("valid    " + QFileInfo(first).fileName() + "\n"))
      << v.out.toStdString();
  EXPECT_TRUE(v.out.contains("  incomplete\n")) << v.out.toStdString();
  EXPECT_TRUE(
      v.out.endsWith("2 flights: 1 valid, 1 with warnings, 0 invalid; 0 folder problems\n"));
}

TEST(CliDownload, AFolderThatCannotKeepTheFlightIsRefusedBeforeTheAltimeterIsAsked) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  QTemporaryDir dir;
  const QString folder = QDir(dir.path()).filePath("cup");
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  test::ScriptedCli cli;
  cli.altimeter.flight = Example("sample-flight.hyp");
  const test::CliRun r = cli.Run({"download", "--port", "ttyUSB0", "--session", folder});
  EXPECT_TRUE(cli.Frames().isEmpty()) << "the altimeter was not asked";
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(r.status, 2) << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty());
}

TEST(CliDownload, AFolderLockedByAnotherStationIsRefusedBeforeTheAltimeterIsAsked) {
  test::ScriptedCli cli;
  cli.altimeter.flight = Example("sample-flight.hyp");
  QTemporaryDir dir;
  // A lock held by a live process on this machine: this test's own.
  FolderLock other(dir.path());
  Failure error;
  ASSERT_TRUE(other.Acquire(1000, &error));
  const test::CliRun r = cli.Run({"download", "--port", "ttyUSB0", "--session", dir.path()});
  EXPECT_EQ(r.status, 2) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("locked by another station")) << r.err.toStdString();
  EXPECT_TRUE(cli.Frames().isEmpty()) << "the altimeter was not asked";
  other.Release();
  const test::CliRun again = cli.Run({"download", "--port", "ttyUSB0", "--session", dir.path()});
  EXPECT_EQ(again.status, 0) << again.err.toStdString();
}

TEST(CliVerify, ExitStatusAndReportForEachKindOfFolderAndTheHtmlPage) {
  QTemporaryDir dir;
  const QDir d(dir.path());
  const QString high = test::ExamplePath("flight-1hz.hyp");
  const QString mid = test::ExamplePath("sample-flight.hyp");
  auto keep = [&dir](const QString& file) {
    return test::RunCapturing([&](QTextStream& out, QTextStream& err) {
      return test::KeepFile(dir.path(), file, out, err);
    });
  };
  ASSERT_EQ(keep(high).status, 0);
  const test::CliRun kept = keep(mid);
  ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
  const QString midFile = kept.out.trimmed();
  test::CliRun v = test::RunCliHere({"verify", dir.path()});
  EXPECT_EQ(v.status, 0) << v.out.toStdString();

  // One byte of a kept flight changed: verify names it, results no longer ranks it.
  QByteArray bytes = ReadFile(midFile);
  bytes[232] = static_cast<char>(bytes[232] ^ 0x10);
  ASSERT_TRUE(test::WriteFile(midFile, bytes));
  v = test::RunCliHere({"verify", dir.path()});
  EXPECT_EQ(v.status, 8);
  EXPECT_TRUE(v.out.contains("invalid  " + QFileInfo(midFile).fileName() + "  changed\n"))
      << v.out.toStdString();
  const test::CliRun ranked = test::RunCliHere({"results", dir.path(), "--csv"});
  EXPECT_EQ(ranked.status, 0);
  const QStringList lines = ranked.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[1].startsWith("1,")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].startsWith(",")) << lines[2].toStdString();
  EXPECT_TRUE(lines[2].endsWith(",changed")) << lines[2].toStdString();
  const test::CliRun all = test::RunCliHere({"results", dir.path(), "--csv", "--all"});
  EXPECT_TRUE(all.out.split('\n', Qt::SkipEmptyParts).value(2).startsWith("2,"));

  // The HTML page: the same ranking, on one page that needs nothing else.
  const QString html = d.filePath("ranking.html");
  ASSERT_EQ(test::RunCliHere({"results", dir.path(), "--html", html}).status, 0);
  const QString page = QString::fromUtf8(ReadFile(html));
  EXPECT_TRUE(page.startsWith("<!DOCTYPE html>"));
  EXPECT_TRUE(page.contains(QFileInfo(midFile).fileName()));
  EXPECT_TRUE(page.contains(">changed<"));
  EXPECT_FALSE(page.contains("<script", Qt::CaseInsensitive));
  EXPECT_FALSE(page.contains("<link", Qt::CaseInsensitive));

  // Warnings only: a folder without a log. Unreadable: no folder.
  QTemporaryDir old;
  ASSERT_TRUE(QFile::copy(high, QDir(old.path()).filePath("a.hyp")));
  EXPECT_EQ(test::RunCliHere({"verify", old.path()}).status, 7);
  EXPECT_EQ(test::RunCliHere({"verify", d.filePath("none")}).status, 2);
  EXPECT_EQ(test::RunCliHere({"verify"}).status, 1);
}
}  // namespace
}  // namespace hypsor
