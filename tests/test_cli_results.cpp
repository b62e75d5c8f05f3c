// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli results, info's sha256 line and download --session, run as the real programs
// (HYPSOR_CLI, HYPSOR_SIM set by CTest).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "contest/ResultsTable.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
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

  const test::CliRun r = test::RunCli({"results", dir.path(), "--csv"});
  EXPECT_EQ(r.status, 0);
  const QString sha = Sha256(WithCompetitor(mid, 4));
  EXPECT_EQ(r.out, QStringLiteral("rank,competitor,best_apogee_m,flights,file,sha256\n"
                                  "1,30,690.4,1,d.HYP,%1\n"
                                  "2,4,380.5,2,b.hyp,%2\n"
                                  "2,20,380.5,1,a.hyp,%3\n"
                                  "4,2,277.7,1,e.hyp,%4\n")
                       .arg(Sha256(WithCompetitor(high, 30)), sha, Sha256(WithCompetitor(mid, 20)),
                            Sha256(WithCompetitor(low, 2))));
  EXPECT_TRUE(r.err.contains("broken.hyp")) << r.err.toStdString();

  // The readable table has the same rows; --flights lists every flight file by name.
  const test::CliRun text = test::RunCli({"results", dir.path()});
  EXPECT_EQ(text.status, 0);
  EXPECT_TRUE(text.out.startsWith("rank  competitor  best_apogee_m")) << text.out.toStdString();
  EXPECT_EQ(text.out.count('\n'), 5);
  const test::CliRun flights = test::RunCli({"results", dir.path(), "--flights", "--csv"});
  EXPECT_EQ(flights.status, 0);
  std::vector<FlightRecord> rows;
  ASSERT_TRUE(ParseFlightTable(flights.out.toUtf8(), rows)) << flights.out.toStdString();
  QStringList files;
  for (const FlightRecord& f : rows) files << f.file;
  EXPECT_EQ(files, QStringList({"a.hyp", "b.hyp", "c.hyp", "d.HYP", "e.hyp"}));

  QTemporaryDir empty;
  ASSERT_TRUE(test::WriteFile(QDir(empty.path()).filePath("x.hyp"), "no"));
  EXPECT_EQ(test::RunCli({"results", empty.path()}).status, 2);
  EXPECT_EQ(test::RunCli({"results", d.filePath("missing")}).status, 2);
  EXPECT_EQ(test::RunCli({"results"}).status, 1);
  EXPECT_EQ(test::RunCli({"results", dir.path(), "--json"}).status, 1);
}

TEST(CliInfo, EndsWithTheDigestOfTheWholeFile) {
  QTemporaryDir dir;
  // Bytes past the 9000 a flight read takes still count.
  QByteArray bytes = Example("sample-flight.hyp");
  bytes.append(QByteArray(9500, '\x11'));
  const QString path = QDir(dir.path()).filePath("long.hyp");
  ASSERT_TRUE(test::WriteFile(path, bytes));
  const test::CliRun r = test::RunCli({"info", path});
  EXPECT_EQ(r.status, 0);
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.last(), "sha256: " + Sha256(bytes));
  EXPECT_TRUE(lines.first().startsWith("competitor: "));
}

TEST(CliDownload, KeepsEachDownloadInTheContestFolderCompleteOrNot) {
  ASSERT_FALSE(test::SimulatorPath().isEmpty());
  QTemporaryDir dir;
  const QString folder = QDir(dir.path()).filePath("cup");
  const QByteArray sent = Example("sample-flight.hyp");
  QString first;
  {
    test::SimProcess sim({"--no-pacing", "--competitor", "12", "--serial", "345"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r =
        test::RunCli({"download", "--port", sim.PortName(), "--session", folder});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    first = r.out.trimmed();
    EXPECT_TRUE(QFileInfo(first).fileName().contains(
        QRegularExpression("^C\\d+_S\\d+_\\d{8}-\\d{6}\\.hyp$")))
        << first.toStdString();
    EXPECT_EQ(QFileInfo(first).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(ReadFile(first).mid(10), sent.mid(10));
  }
  {
    test::SimProcess sim({"--no-pacing", "--fault", "no-end-marker"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const test::CliRun r =
        test::RunCli({"download", "--port", sim.PortName(), "--session", folder});
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
      test::RunCli({"download", "--port", "pts/99", "--session", folder, "--out", "x"}).status, 1);
  EXPECT_EQ(test::RunCli({"download", "--port", "pts/99", "--session", first}).status, 2);
}

// The title as the PDF's information dictionary stores it: UTF-16, big end first.
QByteArray PdfText(const QString& text) {
  QByteArray out("\xFE\xFF", 2);
  for (QChar c : text)
    out.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
  return out;
}

TEST(CliReport, WritesOneLocalisedPageAndNothingOnFailure) {
  QTemporaryDir dir;
  const QString pdf = QDir(dir.path()).filePath("report.pdf");
  const test::CliRun en = test::RunCli({"report", test::ExamplePath("sample-flight.hyp"),
                                        "--compare", test::ExamplePath("flight-spike.hyp"), "--out",
                                        pdf, "--contest", "Spring Cup"});
  ASSERT_EQ(en.status, 0) << en.err.toStdString();
  QByteArray bytes = ReadFile(pdf);
  EXPECT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_TRUE(bytes.contains("/Count 1")) << "one page";
  EXPECT_TRUE(bytes.contains(PdfText("Flight report")));
  // The chart is on the page as an image, not left out.
  EXPECT_TRUE(bytes.contains("/Subtype /Image"));

  const test::CliRun pl = test::RunCli(
      {"report", test::ExamplePath("flight-1hz.hyp"), "--out", pdf, "--language", "pl"});
  ASSERT_EQ(pl.status, 0) << pl.err.toStdString();
  bytes = ReadFile(pdf);
  EXPECT_TRUE(bytes.contains(PdfText(QStringLiteral("Raport lotu"))));

  const QString missing = QDir(dir.path()).filePath("none.pdf");
  EXPECT_EQ(test::RunCli({"report", QDir(dir.path()).filePath("no.hyp"), "--out", missing}).status,
            2);
  EXPECT_FALSE(QFile::exists(missing));
  EXPECT_EQ(
      test::RunCli({"report", test::ExamplePath("flight-1hz.hyp"), "--out", dir.path()}).status, 2);
  EXPECT_EQ(test::RunCli({"report", test::ExamplePath("flight-1hz.hyp")}).status, 1);
  EXPECT_EQ(test::RunCli(
                {"report", test::ExamplePath("flight-1hz.hyp"), "--out", pdf, "--language", "de"})
                .status,
            1);
  const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(left, QStringList({"report.pdf"}));
}

}  // namespace
}  // namespace hypsor
