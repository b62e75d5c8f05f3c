// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's database: adding, tags, filters, statistics, rebuilds, migrations and refusals.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cmath>
#include <numeric>

#include "logbook/Logbook.h"
#include "logbook/LogbookAdd.h"
#include "logbook/LogbookExport.h"
#include "tests/support/LogbookFlights.h"
#include "tests/support/TestFiles.h"

namespace hypsor {
namespace {

using test::SeasonFlight;
using test::WriteSeasonFlight;

QDateTime Day(int month, int day, int hour = 12) {
  return QDateTime(QDate(2026, month, day), QTime(hour, 0));
}

struct LogbookTest : ::testing::Test {
  QTemporaryDir dir;
  QString Db() const { return dir.filePath(QStringLiteral("logbook.sqlite")); }
  QString Flights() const { return dir.filePath(QStringLiteral("flights")); }

  LogbookAddOutcome Add(Logbook& book, const QStringList& paths, const LogbookTags& tags = {}) {
    LogbookAddOutcome r;
    Failure error;
    EXPECT_TRUE(AddToLogbook(book, paths, tags, {}, r, &error)) << error.systemText.toStdString();
    return r;
  }
  std::vector<LogbookEntry> List(const Logbook& book, const LogbookFilter& filter = {}) {
    std::vector<LogbookEntry> rows;
    Failure error;
    EXPECT_TRUE(book.List(filter, rows, &error)) << error.systemText.toStdString();
    return rows;
  }
};

TEST_F(LogbookTest, AddingTwiceChangesNothingButTheTagsGiven) {
  WriteSeasonFlight(Flights(), SeasonFlight(120, 1), Day(5, 1));
  WriteSeasonFlight(Flights() + QStringLiteral("/deep/er"), SeasonFlight(240, 2), Day(5, 2));
  Logbook book;
  Failure error;
  ASSERT_TRUE(book.Open(Db(), &error));
  LogbookAddOutcome first = Add(book, {Flights()}, {QStringLiteral("Alpha"), {}, {}, {}});
  EXPECT_EQ(first.added, 2);
  EXPECT_EQ(first.known, 0);
  EXPECT_TRUE(first.refused.empty());
  const std::vector<LogbookEntry> before = List(book);
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(before[0].rocket, QStringLiteral("Alpha"));
  EXPECT_EQ(before[0].flight.competitor, 1u);
  EXPECT_NEAR(*before[1].flight.apogeeM, 240, 1);
  EXPECT_TRUE(before[1].flight.timeToApogeeS.has_value());

  // Again with a motor: the rocket stays, the motor is set, nothing else moves.
  LogbookAddOutcome again = Add(book, {Flights()}, {{}, QStringLiteral("D12"), {}, {}});
  EXPECT_EQ(again.added, 0);
  EXPECT_EQ(again.known, 2);
  const std::vector<LogbookEntry> after = List(book);
  ASSERT_EQ(after.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(after[k].rocket, QStringLiteral("Alpha"));
    EXPECT_EQ(after[k].motor, QStringLiteral("D12"));
    EXPECT_EQ(after[k].flight.sha256, before[k].flight.sha256);
    EXPECT_EQ(after[k].flight.apogeeM, before[k].flight.apogeeM);
    EXPECT_EQ(after[k].flight.date, before[k].flight.date);
  }
  // And once more without tags: the tags stay.
  Add(book, {Flights()});
  EXPECT_EQ(List(book)[0].motor, QStringLiteral("D12"));
}

TEST_F(LogbookTest, TagsSurviveAMove) {
  const QString path = WriteSeasonFlight(Flights(), SeasonFlight(150, 3), Day(6, 1));
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  Add(book, {path});
  LogbookEntry entry;
  ASSERT_TRUE(book.Find(path, entry, nullptr));
  ASSERT_TRUE(book.Tag(entry.flight.sha256,
                       {QStringLiteral("Beta"), {}, QStringLiteral("Field"), QStringLiteral("n")},
                       nullptr));
  const QString moved = dir.filePath(QStringLiteral("archive/renamed.hyp"));
  QDir().mkpath(dir.filePath(QStringLiteral("archive")));
  ASSERT_TRUE(QFile::rename(path, moved));

  // Found by its bytes before it is added again, and by its new path after.
  LogbookEntry found;
  ASSERT_TRUE(book.Find(moved, found, nullptr));
  EXPECT_EQ(found.rocket, QStringLiteral("Beta"));
  const LogbookAddOutcome r = Add(book, {moved});
  EXPECT_EQ(r.known, 1);
  const std::vector<LogbookEntry> rows = List(book);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].flight.path, QFileInfo(moved).absoluteFilePath());
  EXPECT_EQ(rows[0].rocket, QStringLiteral("Beta"));
  EXPECT_EQ(rows[0].site, QStringLiteral("Field"));
  EXPECT_EQ(rows[0].note, QStringLiteral("n"));
  // By SHA-256 too; an unknown one is a failure that names it.
  ASSERT_TRUE(book.Find(rows[0].flight.sha256.toUpper(), found, nullptr));
  Failure error;
  EXPECT_FALSE(book.Find(QString(64, QLatin1Char('0')), found, &error));
  EXPECT_EQ(error.kind, FailureKind::LogbookUnknown);
}

TEST_F(LogbookTest, RefusedFilesChangeNothing) {
  WriteSeasonFlight(Flights(), SeasonFlight(100, 4), Day(7, 1));
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  Add(book, {Flights()});
  const std::vector<LogbookEntry> before = List(book);

  const QString junk = dir.filePath(QStringLiteral("junk"));
  QDir().mkpath(junk);
  const QString shortFile = junk + QStringLiteral("/short.hyp");
  const QString empty = junk + QStringLiteral("/empty.hyp");
  const QString odd = junk + QStringLiteral("/odd.hyp");
  test::WriteFile(shortFile, QByteArray("not a flight"));
  QByteArray header = SeasonFlight(100, 5).left(32);
  test::WriteFile(empty, header + QByteArray("\xFF\xFF", 2));
  QByteArray oddSampling = SeasonFlight(100, 6);
  oddSampling[7] = 9;
  test::WriteFile(odd, oddSampling);
  test::WriteFile(junk + QStringLiteral("/notes.txt"), QByteArray("ignored in a folder"));
  const LogbookAddOutcome r = Add(
      book, {junk, dir.filePath(QStringLiteral("none.hyp")), junk + QStringLiteral("/notes.txt")});
  EXPECT_EQ(r.added, 0);
  EXPECT_EQ(r.known, 0);
  std::vector<FailureKind> kinds;
  for (const Failure& f : r.refused) kinds.push_back(f.kind);
  // The folder's three flight files in name order (its text file is no flight file's name),
  // the missing file; a text file named is read, and is too short.
  EXPECT_EQ(kinds, (std::vector<FailureKind>{FailureKind::LogbookNoSamples,
                                             FailureKind::LogbookSampling,
                                             FailureKind::FlightTooShort, FailureKind::OpenFile,
                                             FailureKind::FlightTooShort}));
  ASSERT_EQ(r.refused.size(), 5u);
  EXPECT_EQ(r.refused[0].path, empty);
  EXPECT_EQ(r.refused[3].path, dir.filePath(QStringLiteral("none.hyp")));
  const std::vector<LogbookEntry> after = List(book);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0].flight.sha256, before[0].flight.sha256);
}

TEST_F(LogbookTest, FiltersSelectTheFlightsAsked) {
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(100, 1), Day(4, 30, 23))},
      {QStringLiteral("A"), QStringLiteral("C6"), QStringLiteral("North"), {}});
  Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(200, 2), Day(5, 1, 0))},
      {QStringLiteral("A"), QStringLiteral("D12"), QStringLiteral("South"), {}});
  Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(300, 3), Day(5, 31, 23))},
      {QStringLiteral("B"), QStringLiteral("D12"), QStringLiteral("North"),
       QStringLiteral("wind 50%_gusts")});
  Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(400, 4), Day(6, 1, 0))},
      {QStringLiteral("B"), QStringLiteral("E9"), QStringLiteral("South"), {}});
  auto competitors = [&](const LogbookFilter& f) {
    std::vector<unsigned> c;
    for (const LogbookEntry& e : List(book, f)) c.push_back(e.flight.competitor);
    return c;
  };
  using V = std::vector<unsigned>;
  EXPECT_EQ(competitors({}), (V{1, 2, 3, 4}));
  LogbookFilter f;
  f.rocket = QStringLiteral("A");
  EXPECT_EQ(competitors(f), (V{1, 2}));
  f = {};
  f.motor = QStringLiteral("D12");
  f.site = QStringLiteral("North");
  EXPECT_EQ(competitors(f), (V{3}));
  // Whole days, both ends included.
  f = {};
  f.from = QDate(2026, 5, 1);
  f.to = QDate(2026, 5, 31);
  EXPECT_EQ(competitors(f), (V{2, 3}));
  f = {};
  f.minApogeeM = List(book)[2].flight.apogeeM;
  EXPECT_EQ(competitors(f), (V{3, 4}));
  // The search line finds text in a tag or the path; its % and _ are plain characters.
  f = {};
  f.search = QStringLiteral("50%_g");
  EXPECT_EQ(competitors(f), (V{3}));
  f.search = QStringLiteral("5%g");
  EXPECT_EQ(competitors(f), V{});
  f.search = QStringLiteral("e9");
  EXPECT_EQ(competitors(f), (V{4}));
}

TEST_F(LogbookTest, StatisticsAreTheGroupsFigures) {
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  const double apogees[] = {100, 150, 230, 400};
  const char* rockets[] = {"A", "A", "A", "B"};
  for (int k = 0; k < 4; ++k) {
    Add(book,
        {WriteSeasonFlight(Flights(), SeasonFlight(apogees[k], unsigned(k + 1)), Day(5 + k / 3, 1 + k))},
        {QString::fromLatin1(rockets[k]), {}, {}, {}});
  }
  const std::vector<LogbookEntry> rows = List(book);
  ASSERT_EQ(rows.size(), 4u);
  // The apogees as stored, each near the curve's top.
  std::vector<double> a, t;
  for (int k = 0; k < 4; ++k) {
    ASSERT_TRUE(rows[k].flight.apogeeM && rows[k].flight.timeToApogeeS);
    EXPECT_NEAR(*rows[k].flight.apogeeM, apogees[k], 1.0);
    a.push_back(*rows[k].flight.apogeeM);
    t.push_back(*rows[k].flight.timeToApogeeS);
  }
  std::vector<LogbookGroup> groups;
  ASSERT_TRUE(book.Statistics(LogbookGrouping::Rocket, groups, nullptr));
  ASSERT_EQ(groups.size(), 2u);
  const LogbookGroup& alpha = groups[0];
  EXPECT_EQ(alpha.key, QStringLiteral("A"));
  EXPECT_EQ(alpha.flights, 3);
  const double mean = (a[0] + a[1] + a[2]) / 3;
  const double sd = std::sqrt(((a[0] - mean) * (a[0] - mean) + (a[1] - mean) * (a[1] - mean) +
                               (a[2] - mean) * (a[2] - mean)) /
                              2);
  EXPECT_DOUBLE_EQ(*alpha.bestApogeeM, a[2]);
  EXPECT_NEAR(*alpha.meanApogeeM, mean, 1e-9);
  EXPECT_NEAR(*alpha.stddevApogeeM, sd, 1e-9);
  // Near the figures of the round apogees: 160 m, and 65.57 m.
  EXPECT_NEAR(*alpha.meanApogeeM, 160, 1);
  EXPECT_NEAR(*alpha.stddevApogeeM, 65.57, 1);
  EXPECT_NEAR(*alpha.meanTimeToApogeeS, (t[0] + t[1] + t[2]) / 3, 1e-9);
  // One flight: no spread.
  EXPECT_EQ(groups[1].flights, 1);
  EXPECT_FALSE(groups[1].stddevApogeeM.has_value());
  ASSERT_TRUE(book.Statistics(LogbookGrouping::Month, groups, nullptr));
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].key, QStringLiteral("2026-05"));
  EXPECT_EQ(groups[0].flights, 3);
  EXPECT_EQ(groups[1].key, QStringLiteral("2026-06"));
}

TEST_F(LogbookTest, RebuildMarksMissingAndChangedAndDropsNothing) {
  const QString kept = WriteSeasonFlight(Flights(), SeasonFlight(100, 1), Day(5, 1));
  const QString gone = WriteSeasonFlight(Flights(), SeasonFlight(200, 2), Day(5, 2));
  const QString other = WriteSeasonFlight(Flights(), SeasonFlight(300, 3), Day(5, 3));
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  Add(book, {Flights()}, {QStringLiteral("R"), {}, {}, {}});
  ASSERT_TRUE(QFile::remove(gone));
  ASSERT_TRUE(test::WriteFile(other, SeasonFlight(310, 3)));
  LogbookRebuildOutcome r;
  ASSERT_TRUE(RebuildLogbook(book, {}, r, nullptr));
  EXPECT_EQ(r.reread, 1);
  EXPECT_EQ(r.missing, QStringList{QFileInfo(gone).absoluteFilePath()});
  EXPECT_EQ(r.changed, QStringList{QFileInfo(other).absoluteFilePath()});
  const std::vector<LogbookEntry> rows = List(book);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_FALSE(rows[0].missing);
  EXPECT_TRUE(rows[1].missing);
  EXPECT_FALSE(rows[1].changed);
  EXPECT_TRUE(rows[2].changed);
  for (const LogbookEntry& e : rows) EXPECT_EQ(e.rocket, QStringLiteral("R"));
  // The file back: found again.
  ASSERT_TRUE(test::WriteFile(gone, SeasonFlight(200, 2)));
  ASSERT_TRUE(RebuildLogbook(book, {}, r, nullptr));
  EXPECT_TRUE(r.missing.isEmpty());
  EXPECT_FALSE(List(book)[1].missing);
}

TEST_F(LogbookTest, AnOlderSchemaIsMigratedWithItsFlights) {
  {
    // A logbook as the first version wrote it.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
    db.setDatabaseName(Db());
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE logbook_version (version INTEGER NOT NULL)")));
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO logbook_version VALUES (1)")));
    ASSERT_TRUE(q.exec(QStringLiteral(
        "CREATE TABLE flights (sha256 TEXT PRIMARY KEY NOT NULL, path TEXT NOT NULL, date TEXT "
        "NOT NULL, competitor INTEGER NOT NULL, serial INTEGER NOT NULL, sampling_hz REAL NOT "
        "NULL, temperature_c INTEGER NOT NULL, apogee_m REAL, filtered_apogee_m REAL, "
        "supported_apogee_m REAL, time_to_apogee_s REAL, flags TEXT NOT NULL DEFAULT '', rocket "
        "TEXT NOT NULL DEFAULT '', motor TEXT NOT NULL DEFAULT '', site TEXT NOT NULL DEFAULT '', "
        "note TEXT NOT NULL DEFAULT '', missing INTEGER NOT NULL DEFAULT 0)")));
    ASSERT_TRUE(q.exec(QStringLiteral(
        "INSERT INTO flights (sha256, path, date, competitor, serial, sampling_hz, temperature_c, "
        "apogee_m, rocket, missing) VALUES ('%1', '/gone.hyp', '2025-08-01T10:00:00', 5, 6, 10, "
        "20, 321.5, 'Old', 1)")
                           .arg(QString(64, QLatin1Char('a')))));
    q.finish();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("v1"));
  Logbook book;
  Failure error;
  ASSERT_TRUE(book.Open(Db(), &error)) << error.systemText.toStdString();
  const std::vector<LogbookEntry> rows = List(book);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rocket, QStringLiteral("Old"));
  EXPECT_EQ(*rows[0].flight.apogeeM, 321.5);
  EXPECT_TRUE(rows[0].missing);
  EXPECT_FALSE(rows[0].changed);
  // Written as the new version, and it takes new flights.
  EXPECT_EQ(Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(90, 1), Day(5, 1))}).added, 1);
  QSqlQuery q(QSqlDatabase::database(book.ConnectionName()));
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT version FROM logbook_version")) && q.next());
  EXPECT_EQ(q.value(0).toInt(), Logbook::kSchemaVersion);
}

TEST_F(LogbookTest, ADamagedNewerOrForeignFileIsReportedAndLeftAsItIs) {
  auto refused = [&](const QByteArray& bytes, FailureKind kind) {
    ASSERT_TRUE(test::WriteFile(Db(), bytes));
    Logbook book;
    Failure error;
    EXPECT_FALSE(book.Open(Db(), &error));
    EXPECT_FALSE(book.IsOpen());
    EXPECT_EQ(error.kind, kind) << error.systemText.toStdString();
    EXPECT_EQ(error.path, Db());
    EXPECT_EQ(test::ReadFile(Db()), bytes);
  };
  refused(QByteArray(8192, 'x'), FailureKind::LogbookUnreadable);

  // A real logbook with its pages overwritten past the header.
  ASSERT_TRUE(QFile::remove(Db()));
  {
    Logbook book;
    ASSERT_TRUE(book.Open(Db(), nullptr));
    Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(90, 1), Day(5, 1))});
  }
  QByteArray damaged = test::ReadFile(Db());
  ASSERT_GT(damaged.size(), 4096);
  for (qsizetype k = 100; k < damaged.size(); ++k) damaged[k] = char(0xA5);
  QFile::remove(Db() + QStringLiteral("-wal"));
  QFile::remove(Db() + QStringLiteral("-shm"));
  refused(damaged, FailureKind::LogbookUnreadable);

  // Another program's database, and a newer logbook.
  for (const char* setup : {"CREATE TABLE other (x)", "CREATE TABLE logbook_version (version);"
                                                      "INSERT INTO logbook_version VALUES (99)"}) {
    QFile::remove(Db());
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x"));
      db.setDatabaseName(Db());
      ASSERT_TRUE(db.open());
      QSqlQuery q(db);
      for (const QString& sql : QString::fromLatin1(setup).split(QLatin1Char(';')))
        ASSERT_TRUE(q.exec(sql));
      q.finish();
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x"));
    const bool newer = QByteArray(setup).contains("99");
    refused(test::ReadFile(Db()),
            newer ? FailureKind::LogbookNewer : FailureKind::LogbookUnreadable);
  }
}

TEST_F(LogbookTest, TwoOpenLogbooksOfOneFileBothWrite) {
  Logbook first, second;
  ASSERT_TRUE(first.Open(Db(), nullptr));
  ASSERT_TRUE(second.Open(Db(), nullptr));
  EXPECT_NE(first.ConnectionName(), second.ConnectionName());
  Add(first, {WriteSeasonFlight(Flights(), SeasonFlight(90, 1), Day(5, 1))});
  Add(second, {WriteSeasonFlight(Flights(), SeasonFlight(95, 2), Day(5, 2))});
  EXPECT_EQ(List(first).size(), 2u);
  EXPECT_EQ(List(second).size(), 2u);
}

TEST_F(LogbookTest, ExportsHaveOneRowPerFlight) {
  Logbook book;
  ASSERT_TRUE(book.Open(Db(), nullptr));
  Add(book, {WriteSeasonFlight(Flights(), SeasonFlight(90, 1), Day(5, 1)),
             WriteSeasonFlight(Flights(), SeasonFlight(95, 2), Day(5, 2))},
      {{}, {}, {}, QStringLiteral("gusty, \"cold\"")});
  const std::vector<LogbookEntry> rows = List(book);
  const QStringList lines = QString::fromUtf8(LogbookCsv(rows)).split(QLatin1Char('\n'),
                                                                     Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("sha256,file,date,competitor,")));
  EXPECT_TRUE(lines[1].startsWith(rows[0].flight.sha256));
  EXPECT_TRUE(lines[1].contains(QStringLiteral(",\"gusty, \"\"cold\"\"\",")));
  const QString xlsx = dir.filePath(QStringLiteral("season.xlsx"));
  Failure error;
  ASSERT_TRUE(WriteLogbookXlsx(xlsx, rows, &error)) << error.systemText.toStdString();
  EXPECT_TRUE(test::ReadFile(xlsx).startsWith("PK"));
}

}  // namespace
}  // namespace hypsor
