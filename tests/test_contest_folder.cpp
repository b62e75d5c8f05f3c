// SPDX-License-Identifier: GPL-3.0-or-later
// Contest folders: the naming rule, keeping downloads without ever replacing a file, results.csv
// appended and rebuilt from the files, the ranking.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "contest/ContestNames.h"
#include "contest/ContestSession.h"
#include "contest/Ranking.h"
#include "contest/ResultsTable.h"
#include "files/FileDigest.h"
#include "platform/AtomicFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"

namespace hypsor {
namespace {

using test::ReadFile;

QByteArray Example(const char* name) {
  return ReadFile(test::ExamplePath(QString::fromLatin1(name)));
}

// A flight's bytes with another competitor and serial number in the header.
QByteArray WithCompetitor(QByteArray bytes, int competitor, int serial) {
  bytes[2] = static_cast<char>(competitor);
  bytes[3] = static_cast<char>(serial & 0xFF);
  bytes[4] = static_cast<char>(serial >> 8);
  return bytes;
}

std::span<const std::uint8_t> Span(const QByteArray& b) {
  return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

std::vector<FlightRecord> TableOf(const QString& folder) {
  std::vector<FlightRecord> rows;
  EXPECT_TRUE(ParseFlightTable(ReadFile(QDir(folder).filePath("results.csv")), rows));
  return rows;
}

const QDateTime kWhen(QDate(2026, 5, 17), QTime(14, 3, 9));

TEST(ContestNames, NameRuleAndWhatAFolderListingTakes) {
  EXPECT_EQ(ContestFileName(7, 1234, kWhen, 1), "C7_S1234_20260517-140309.hyp");
  EXPECT_EQ(ContestFileName(7, 1234, kWhen, 3), "C7_S1234_20260517-140309-3.hyp");
  EXPECT_EQ(ContestFileTime(u"C7_S1234_20260517-140309-3.hyp"), kWhen);
  EXPECT_FALSE(ContestFileTime(u"C7_S1234_20261317-140309.hyp"));  // month 13
  EXPECT_FALSE(ContestFileTime(u"flight.hyp"));
  EXPECT_TRUE(IsFlightFileName(u"a.HYP"));
  EXPECT_FALSE(IsFlightFileName(u".hyp"));
  EXPECT_FALSE(IsFlightFileName(u"results.csv"));
  EXPECT_FALSE(IsFlightFileName(u".C7_S1_20260517-140309.hyp.tmpAb12Cd"));
}

TEST(CreateFileAtomically, NeverReplacesAnything) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.hyp");
  Failure error;
  WriteFailure failure = WriteFailure::None;
  ASSERT_TRUE(CreateFileAtomically(path, "one", &error, &failure)) << Said(error);
  EXPECT_FALSE(CreateFileAtomically(path, "two", &error, &failure));
  EXPECT_EQ(failure, WriteFailure::Exists);
  EXPECT_EQ(ReadFile(path), "one");
  // A dangling link is a taken name too: nothing is created where it points.
  const QString link = dir.filePath("link.hyp");
  ASSERT_TRUE(QFile::link(dir.filePath("missing"), link));
  EXPECT_FALSE(CreateFileAtomically(link, "x", &error, &failure));
  EXPECT_EQ(failure, WriteFailure::Exists);
  EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}

TEST(ContestSession, KeepsEveryDownloadUnderItsOwnNameAndTheTableMatchesARebuild) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("contest");  // created by Start
  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(folder, "Spring Cup", &error)) << Said(error);
  EXPECT_EQ(session.FlightCount(), 0);
  EXPECT_EQ(TableOf(folder).size(), 0u);

  const QByteArray a = Example("sample-flight.hyp");
  const QByteArray b = WithCompetitor(Example("flight-1hz.hyp"), 7, 1234);
  // A download without its end marker: the first 1000 bytes of a flight.
  const QByteArray cut = a.left(1000);
  ASSERT_NE(cut.right(2), QByteArray("\xFF\xFF", 2));
  FlightRecord kept;
  for (const QByteArray* bytes : {&a, &b, &cut}) {
    ASSERT_EQ(session.KeepDownload(Span(*bytes), kWhen, &kept, &error), KeepOutcome::Kept)
        << Said(error);
  }
  // Same competitor, serial and second: the later ones get -2 and -3, and the table says which
  // is incomplete.
  const QStringList names = {"C7_S1234_20260517-140309.hyp", "C7_S1234_20260517-140309-2.hyp",
                             "C7_S1234_20260517-140309-3.hyp"};
  EXPECT_EQ(kept.file, names[2]);
  EXPECT_FALSE(kept.complete);
  EXPECT_EQ(ReadFile(QDir(folder).filePath(names[0])), a);
  EXPECT_EQ(ReadFile(QDir(folder).filePath(names[1])), b);
  EXPECT_EQ(ReadFile(QDir(folder).filePath(names[2])), cut);
  EXPECT_EQ(session.FlightCount(), 3);

  std::vector<FlightRecord> rows = TableOf(folder);
  ASSERT_EQ(rows.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(rows[k].flight, k + 1);
    EXPECT_EQ(rows[k].file, names[k]);
    FileDigest digest;
    DigestFile(QDir(folder).filePath(names[k]), 0, 0, digest);
    EXPECT_EQ(rows[k].sha256, digest.sha256);
    EXPECT_EQ(rows[k].downloaded, kWhen);
    EXPECT_EQ(rows[k].complete, k < 2);
  }
  ASSERT_TRUE(rows[0].apogeeM);
  EXPECT_NEAR(*rows[0].apogeeM, 380.5f, 0.051f);  // what `info` shows as max
  ASSERT_TRUE(rows[0].timeToApogeeS);

  // The appended table is exactly what a rebuild from the raw files writes.
  const QByteArray appended = ReadFile(QDir(folder).filePath("results.csv"));
  ASSERT_TRUE(session.RebuildResults(&error));
  EXPECT_EQ(ReadFile(QDir(folder).filePath("results.csv")), appended);

  // A file already holding a later attempt's name is left alone: the next free name is used.
  const QString taken = QDir(folder).filePath("C7_S1234_20260517-140309-4.hyp");
  ASSERT_TRUE(test::WriteFile(taken, "not ours"));
  ASSERT_EQ(session.KeepDownload(Span(a), kWhen, &kept, &error), KeepOutcome::Kept);
  EXPECT_EQ(kept.file, "C7_S1234_20260517-140309-5.hyp");
  EXPECT_EQ(ReadFile(taken), "not ours");
}

TEST(ContestSession, ResumesAFolderAndRebuildsAMissingOrStaleTable) {
  QTemporaryDir dir;
  const QString folder = dir.path();
  Failure error;
  {
    ContestSession session;
    ASSERT_TRUE(session.Start(folder, "Cup", &error));
    ASSERT_EQ(session.KeepDownload(Span(Example("sample-flight.hyp")), kWhen, nullptr, &error),
              KeepOutcome::Kept);
    session.End();
    EXPECT_FALSE(session.Active());
  }
  // Things that are not flights of the folder: a temporary left by a kill, a subfolder's file,
  // a file too short to be a flight (reported, skipped).
  ASSERT_TRUE(test::WriteFile(QDir(folder).filePath(".C1_S1_20260517-140309.hyp.tmpAAAAAA"),
                              Example("flight-1hz.hyp")));
  ASSERT_TRUE(QDir(folder).mkdir("old"));
  ASSERT_TRUE(test::WriteFile(QDir(folder).filePath("old/x.hyp"), Example("flight-1hz.hyp")));
  ASSERT_TRUE(test::WriteFile(QDir(folder).filePath("short.hyp"), "abc"));

  ContestSession session;
  ASSERT_TRUE(session.Start(folder, QString(), &error));  // resume: the stored name
  EXPECT_EQ(session.Name(), "Cup");
  // short.hyp is not in the table: the table is out of step and was rebuilt, without it.
  EXPECT_EQ(session.FlightCount(), 1);
  std::vector<Failure> problems;
  ASSERT_TRUE(session.RebuildResults(&error, &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, FailureKind::FlightTooShort);
  EXPECT_TRUE(English(problems[0]).contains("short.hyp"));

  // A flight file added behind the session's back (a kill before its row) is picked up by the
  // next keep, which then rebuilds rather than appends.
  ASSERT_TRUE(QFile::remove(QDir(folder).filePath("short.hyp")));
  ASSERT_TRUE(QFile::copy(test::ExamplePath("flight-spike.hyp"),
                          QDir(folder).filePath("C9_S1502_20260517-130000.hyp")));
  ASSERT_TRUE(QFile::remove(QDir(folder).filePath("results.csv")));
  EXPECT_EQ(session.Flights().size(), 2u);  // rebuilt when missing
  ASSERT_TRUE(QFile::copy(test::ExamplePath("flight-25hz-plateaus.hyp"),
                          QDir(folder).filePath("C3_S877_20260517-120000.hyp")));
  ASSERT_EQ(
      session.KeepDownload(Span(Example("flight-1hz.hyp")), kWhen.addSecs(60), nullptr, &error),
      KeepOutcome::Kept);
  const std::vector<FlightRecord> rows = TableOf(folder);
  ASSERT_EQ(rows.size(), 4u);
  // Numbered in the order of download: the times in the names.
  EXPECT_EQ(rows[0].file, "C3_S877_20260517-120000.hyp");
  EXPECT_EQ(rows[1].file, "C9_S1502_20260517-130000.hyp");
  EXPECT_EQ(rows[3].file, "C41_S3310_20260517-140409.hyp");
  EXPECT_EQ(rows[3].flight, 4);

  // A second session on a file instead of a folder fails and stays off.
  ContestSession other;
  EXPECT_FALSE(other.Start(QDir(folder).filePath("results.csv"), "x", &error));
  EXPECT_FALSE(other.Active());
}

FlightRecord Flight(unsigned competitor, std::optional<float> apogee, const char* file) {
  FlightRecord r;
  r.competitor = competitor;
  r.apogeeM = apogee;
  r.file = QString::fromLatin1(file);
  r.sha256 = QString::fromLatin1(file).toUpper();
  return r;
}

TEST(Ranking, CompetitionRanksTiesByCompetitorNumberAndBestFlightPerCompetitor) {
  const std::vector<FlightRecord> flights = {
      Flight(12, 300.0f, "c.hyp"),
      Flight(5, 250.04f, "a.hyp"),
      Flight(12, 310.2f, "d.hyp"),
      Flight(9, 310.16f, "b.hyp"),  // shows 310.2 too: the same apogee as 12's best
      Flight(3, 100.0f, "e.hyp"),
      Flight(4, std::nullopt, "f.hyp"),
      Flight(2, 249.96f, "g.hyp"),  // 250.0, equal to 5's 250.0
      Flight(5, 250.0f, "0.hyp"),   // 5's other flight of the same apogee: the first by name
  };
  const std::vector<RankingRow> rows = RankCompetitors(flights);
  ASSERT_EQ(rows.size(), 6u);
  const std::vector<std::pair<int, unsigned>> expected = {{1, 9}, {1, 12}, {3, 2},
                                                          {3, 5}, {5, 3},  {6, 4}};
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k].rank, expected[k].first) << k;
    EXPECT_EQ(rows[k].competitor, expected[k].second) << k;
  }
  EXPECT_EQ(rows[1].flights, 2);
  EXPECT_EQ(rows[1].file, "d.hyp");
  EXPECT_EQ(rows[3].file, "0.hyp");
  EXPECT_EQ(rows[3].sha256, "0.HYP");
  EXPECT_FALSE(rows[5].bestApogeeM);
  EXPECT_EQ(RankingCsv(rows).split('\n')[0],
            "rank,competitor,best_apogee_m,flights,file,sha256,status");
  EXPECT_EQ(RankingCsv(rows).split('\n')[2], "1,12,310.2,2,d.hyp,D.HYP,valid");
  EXPECT_EQ(RankingCsv(rows).split('\n')[6], "6,4,,1,f.hyp,F.HYP,valid");
}

TEST(ResultsTable, RoundTripsOddNamesAndRefusesForeignTables) {
  FlightRecord r = Flight(3, 12.25f, "a,\"b\"\nc.hyp");
  r.flight = 2;
  r.serial = 65535;
  r.downloaded = kWhen;
  r.timeToApogeeS = 3.456;
  r.complete = true;
  std::vector<FlightRecord> rows;
  ASSERT_TRUE(ParseFlightTable(FlightTableCsv({r}), rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].file, r.file);
  EXPECT_EQ(rows[0].serial, 65535u);
  EXPECT_FALSE(rows[0].filteredApogeeM);
  EXPECT_NEAR(*rows[0].timeToApogeeS, 3.46, 1e-9);
  EXPECT_TRUE(rows[0].complete);
  EXPECT_FALSE(ParseFlightTable("flight,competitor\n1,2\n", rows));
  EXPECT_FALSE(ParseFlightTable(FlightTableCsv({r}).replace("yes", "maybe"), rows));
  EXPECT_FALSE(ParseFlightTable(FlightTableCsv({r}).chopped(30) + "\"", rows));
  EXPECT_EQ(rows.size(), 1u);  // untouched by the refusals
}

}  // namespace
}  // namespace hypsor
