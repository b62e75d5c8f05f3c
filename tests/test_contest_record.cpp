// SPDX-License-Identifier: GPL-3.0-or-later
// The contest folder's record: the hash-chained log, what verify finds after every kind of change
// (flight files, the log, results.csv, files added and removed), rebuilds that never re-record a
// digest, older folders without a log, flights kept while the record cannot be written, and the
// honest ranking.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "contest/ContestLog.h"
#include "contest/ContestNames.h"
#include "contest/ContestSession.h"
#include "contest/FolderCheck.h"
#include "contest/FolderLock.h"
#include "contest/Ranking.h"
#include "contest/ResultsTable.h"
#include "flight/Filters.h"
#include "platform/Clock.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Failures.h"
#include "text/VerifyReport.h"

namespace hypsor {
namespace {

using test::ReadFile;
using test::WriteFile;

QByteArray Example(const char* name) {
  return ReadFile(test::ExamplePath(QString::fromLatin1(name)));
}

QByteArray WithCompetitor(QByteArray bytes, int competitor) {
  bytes[2] = static_cast<char>(competitor);
  return bytes;
}

std::span<const std::uint8_t> Span(const QByteArray& b) {
  return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

const QDateTime kWhen(QDate(2026, 5, 17), QTime(10, 0, 0));

// A file as left a minute ago: no station is about to record it any more.
void Age(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                               QFileDevice::FileModificationTime));
}

ContestCheck Check(const QString& folder) {
  FilterTables work;
  return CheckContestFolder(folder, work, true);
}

const FlightRecord* Find(const ContestCheck& c, const QString& file) {
  for (const FlightRecord& f : c.flights)
    if (f.file == file) return &f;
  return nullptr;
}

FlightLevel Worst(const ContestCheck& c) {
  return VerifyWorst(c);
}

QString VerifyReport(const ContestCheck& c) {
  return hypsor::VerifyReport(c, kEnglish);
}

// The worst the record says, leaving out the flights' data-quality flags.
FlightLevel RecordWorst(const ContestCheck& c) {
  FlightLevel worst = FlightLevel::Valid;
  for (const FlightRecord& f : c.flights) worst = std::max(worst, LevelOf(f.reasons));
  for (const FolderNote& n : c.notes) worst = std::max(worst, LevelOf(n.reasons));
  return worst;
}

// Three flights kept by a session, all whole: the folder every change below starts from.
struct KeptFolder {
  QTemporaryDir dir;
  QStringList files;
  KeptFolder() {
    ContestSession session;
    Failure error;
    EXPECT_TRUE(session.Start(dir.path(), "Record Cup", &error)) << Said(error);
    const QByteArray flights[] = {WithCompetitor(Example("sample-flight.hyp"), 3),
                                  WithCompetitor(Example("flight-1hz.hyp"), 5),
                                  WithCompetitor(Example("flight-spike.hyp"), 8)};
    for (int k = 0; k < 3; ++k) {
      FlightRecord kept;
      EXPECT_EQ(session.KeepDownload(Span(flights[k]), kWhen.addSecs(60 * k), &kept, &error),
                KeepOutcome::Kept)
          << Said(error);
      files << kept.file;
    }
  }
  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  // A fresh copy of the folder to change.
  QString Copy(QTemporaryDir& into) const {
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
      EXPECT_TRUE(QFile::copy(Path(name), QDir(into.path()).filePath(name)));
    return into.path();
  }
};

TEST(ContestRecord, AKeptFolderIsValidAndItsLogIsAChain) {
  KeptFolder kept;
  const ContestCheck c = Check(kept.dir.path());
  ASSERT_TRUE(c.readable);
  ASSERT_EQ(c.flights.size(), 3u);
  for (const FlightRecord& f : c.flights) EXPECT_EQ(f.reasons, 0u) << f.file.toStdString();
  EXPECT_TRUE(c.notes.empty());
  // The record is sound; the third flight's data has a spike, which verify warns about.
  EXPECT_EQ(RecordWorst(c), FlightLevel::Valid);
  EXPECT_EQ(Worst(c), FlightLevel::Warning);
  const QString report = VerifyReport(c);
  EXPECT_TRUE(report.contains("valid    " + kept.files[0] + "\n")) << report.toStdString();
  EXPECT_TRUE(report.contains("warning  " + kept.files[2] + "  flags: spike\n"))
      << report.toStdString();
  EXPECT_TRUE(report.endsWith("3 flights: 2 valid, 1 with warnings, 0 invalid; "
                              "0 folder problems\n"))
      << report.toStdString();
  EXPECT_EQ(c.flights[2].qualityFlags, QStringList{"spike"});
  EXPECT_TRUE(c.flights[0].qualityFlags.isEmpty());

  // The log: one line per keep, each naming the line before; results.csv names each line.
  const QList<QByteArray> lines = ReadFile(kept.Path("contest.log")).split('\n');
  ASSERT_EQ(lines.size(), 4);  // and nothing after the last line break
  EXPECT_TRUE(lines[3].isEmpty());
  ContestLog log;
  ASSERT_TRUE(ReadContestLog(kept.dir.path(), log, nullptr));
  ASSERT_EQ(log.records.size(), 3u);
  EXPECT_EQ(log.records[0].prev, ChainStart());
  for (int k = 0; k < 3; ++k) {
    const LogRecord& r = log.records[static_cast<std::size_t>(k)];
    EXPECT_EQ(r.flight, k + 1);
    EXPECT_EQ(r.file, kept.files[k]);
    EXPECT_EQ(r.size, ReadFile(kept.Path(r.file)).size());
    EXPECT_TRUE(r.station.contains(" hypsor "));
    EXPECT_TRUE(r.complete);
    EXPECT_FALSE(r.late);
    if (k > 0) {
      EXPECT_EQ(r.prev, log.records[static_cast<std::size_t>(k - 1)].lineSha256);
    }
    EXPECT_EQ(Find(c, r.file)->recordSha256, r.lineSha256);
  }
  EXPECT_EQ(log.records[1].competitor, 5u);
  EXPECT_TRUE(lines[0].startsWith("flight=1 file=C3_S"));
  std::vector<FlightRecord> rows;
  ASSERT_TRUE(ParseFlightTable(ReadFile(kept.Path("results.csv")), rows));
  EXPECT_TRUE(ReadFile(kept.Path("results.csv"))
                  .startsWith("flight,competitor,serial,downloaded,apogee_m,filtered_apogee_m,"
                              "time_to_apogee_s,complete,file,sha256,status,record_sha256\n"));
}

// Every single byte changed, removed or added anywhere in the log or in results.csv, and a byte
// changed in a flight, is found.
TEST(ContestRecord, VerifyFindsAnySingleByteChangedAddedOrRemoved) {
  KeptFolder kept;
  for (const char* name : {"contest.log", "results.csv"}) {
    const QByteArray original = ReadFile(kept.Path(QString::fromLatin1(name)));
    ASSERT_FALSE(original.isEmpty());
    // Every line's first, middle and last byte and its line break changed; at the file's ends
    // (its first byte, its last line's end and break) a byte also taken out and one put in.
    // Inside a line a byte taken out or put in changes the same line as a changed one does.
    QList<std::pair<qsizetype, int>> cases;  // position, kind: 0 changed, 1 removed, 2 added
    for (qsizetype start = 0; start < original.size();) {
      qsizetype end = original.indexOf('\n', start);
      if (end < 0) end = original.size();
      for (qsizetype at : {start, (start + end) / 2, end - 1, end})
        if (at < original.size() && !cases.contains(std::pair(at, 0))) cases.append({at, 0});
      start = end + 1;
    }
    for (qsizetype at : {qsizetype(0), original.size() - 2, original.size() - 1})
      for (int kind : {1, 2}) cases.append({at, kind});
    for (const auto& [at, kind] : cases) {
      QByteArray changed = original;
      if (kind == 0) changed[at] = static_cast<char>(changed[at] ^ 0x01);
      if (kind == 1) changed.remove(at, 1);
      if (kind == 2) changed.insert(at, 'x');
      QTemporaryDir copy;
      const QString folder = kept.Copy(copy);
      ASSERT_TRUE(WriteFile(QDir(folder).filePath(QString::fromLatin1(name)), changed));
      EXPECT_NE(RecordWorst(Check(folder)), FlightLevel::Valid)
          << name << " byte " << at << " kind " << kind;
    }
    RecordProperty(name, static_cast<int>(cases.size()));
  }
  // A flight file: its first, a middle (an altitude sample) and its last byte.
  const QByteArray flight = ReadFile(kept.Path(kept.files[1]));
  for (qsizetype at : {qsizetype(0), qsizetype(232), flight.size() - 1}) {
    QTemporaryDir copy;
    const QString folder = kept.Copy(copy);
    QByteArray changed = flight;
    changed[at] = static_cast<char>(changed[at] ^ 0x40);
    ASSERT_TRUE(WriteFile(QDir(folder).filePath(kept.files[1]), changed));
    const ContestCheck c = Check(folder);
    EXPECT_TRUE(Find(c, kept.files[1])->reasons & ReasonChanged) << at;
    EXPECT_EQ(LevelOf(Find(c, kept.files[1])->reasons), FlightLevel::Invalid);
    EXPECT_EQ(Find(c, kept.files[0])->reasons, 0u);
    EXPECT_EQ(Find(c, kept.files[2])->reasons, 0u);
    // results.csv still says what was kept: nothing to say about it.
    EXPECT_TRUE(c.notes.empty()) << VerifyReport(c).toStdString();
  }
}

TEST(ContestRecord, VerifyNamesAddedRemovedAndRenamedFilesAndABrokenChain) {
  KeptFolder kept;
  {  // a file added: any flight copied in
    QTemporaryDir copy;
    const QString folder = kept.Copy(copy);
    ASSERT_TRUE(QFile::copy(kept.Path(kept.files[0]), QDir(folder).filePath("extra.hyp")));
    const ContestCheck c = Check(folder);
    ASSERT_TRUE(Find(c, "extra.hyp"));
    EXPECT_EQ(Find(c, "extra.hyp")->reasons, unsigned(ReasonNotInLog));
    EXPECT_EQ(Worst(c), FlightLevel::Invalid);
    EXPECT_TRUE(VerifyReport(c).contains("invalid  extra.hyp  not-in-log\n"));
  }
  {  // a file removed: its record stays, the flight is missing
    QTemporaryDir copy;
    const QString folder = kept.Copy(copy);
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath(kept.files[2])));
    const ContestCheck c = Check(folder);
    ASSERT_EQ(c.flights.size(), 3u);
    EXPECT_EQ(Find(c, kept.files[2])->reasons, unsigned(ReasonMissing));
    EXPECT_EQ(Find(c, kept.files[2])->competitor, 8u);
    EXPECT_EQ(Worst(c), FlightLevel::Invalid);
  }
  {  // a file renamed to another competitor: the name disagrees with the header
    QTemporaryDir copy;
    const QString folder = kept.Copy(copy);
    const QString renamed = "C98_S2_20260101-000000.hyp";
    ASSERT_TRUE(QFile::rename(QDir(folder).filePath(kept.files[0]), QDir(folder).filePath(renamed)));
    const ContestCheck c = Check(folder);
    EXPECT_EQ(Find(c, renamed)->reasons, unsigned(ReasonNotInLog | ReasonNameHeader));
    EXPECT_TRUE(Find(c, kept.files[0])->reasons & ReasonMissing);
  }
  {  // a record taken out of the middle of the log: the chain breaks after it
    QTemporaryDir copy;
    const QString folder = kept.Copy(copy);
    QList<QByteArray> lines = ReadFile(QDir(folder).filePath("contest.log")).split('\n');
    lines.removeAt(1);
    ASSERT_TRUE(WriteFile(QDir(folder).filePath("contest.log"), lines.join('\n')));
    const ContestCheck c = Check(folder);
    EXPECT_TRUE(Find(c, kept.files[1])->reasons & ReasonNotInLog);
    EXPECT_TRUE(Find(c, kept.files[2])->reasons & ReasonBrokenChain);
    EXPECT_EQ(Find(c, kept.files[0])->reasons, 0u);
  }
}

TEST(ContestRecord, ARebuildNeverReRecordsAChangedFileAndRecordsFilesKeptBeforeTheLogLate) {
  KeptFolder kept;
  const QString folder = kept.dir.path();
  const QByteArray log = ReadFile(kept.Path("contest.log"));
  std::vector<FlightRecord> before;
  ASSERT_TRUE(ParseFlightTable(ReadFile(kept.Path("results.csv")), before));

  // One flight overwritten by another's bytes (whose header names another competitor), one file
  // added: the rebuild keeps the recorded digest of the first and records the second as late,
  // never as kept at download.
  ASSERT_TRUE(WriteFile(kept.Path(kept.files[1]), ReadFile(kept.Path(kept.files[0]))));
  ASSERT_TRUE(
      WriteFile(kept.Path("extra.hyp"), WithCompetitor(Example("flight-25hz-plateaus.hyp"), 21)));
  // Just written, it may be a station's own that it is about to record: left alone.
  ContestSession early;
  Failure why;
  ASSERT_TRUE(early.Start(folder, QString(), &why));
  ASSERT_TRUE(early.RebuildResults(&why));
  EXPECT_EQ(ReadFile(kept.Path("contest.log")), log);
  Age(kept.Path("extra.hyp"));
  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(folder, QString(), &error));
  ASSERT_TRUE(session.RebuildResults(&error)) << Said(error);
  EXPECT_TRUE(ReadFile(kept.Path("contest.log")).startsWith(log));
  std::vector<FlightRecord> after;
  ASSERT_TRUE(ParseFlightTable(ReadFile(kept.Path("results.csv")), after));
  ASSERT_EQ(after.size(), 4u);
  for (const FlightRecord& b : before) {
    auto it = std::find_if(after.begin(), after.end(),
                           [&](const FlightRecord& a) { return a.file == b.file; });
    ASSERT_NE(it, after.end());
    EXPECT_EQ(it->sha256, b.sha256) << b.file.toStdString();
    EXPECT_EQ(it->recordSha256, b.recordSha256);
  }
  const ContestCheck c = Check(folder);
  EXPECT_EQ(Find(c, kept.files[1])->reasons, unsigned(ReasonChanged | ReasonNameHeader));
  EXPECT_EQ(Find(c, "extra.hyp")->reasons, unsigned(ReasonLate));
  EXPECT_EQ(Find(c, kept.files[0])->reasons, 0u);
  // The changed flight is not ranked; the late one is, marked.
  const std::vector<RankingRow> ranking = RankCompetitors(c.flights);
  ASSERT_EQ(ranking.size(), 4u);
  EXPECT_EQ(ranking.back().rank, 0);
  EXPECT_EQ(ranking.back().file, kept.files[1]);
  EXPECT_TRUE(RankingCsv(ranking).contains(",changed;name-header-mismatch\n"));
  // A second rebuild changes nothing.
  const QByteArray table = ReadFile(kept.Path("results.csv"));
  ASSERT_TRUE(session.RebuildResults(&error));
  EXPECT_EQ(ReadFile(kept.Path("results.csv")), table);
}

TEST(ContestRecord, AFolderWithoutALogIsReadAsBeforeAndItsLogStartsWithTheNextKeep) {
  QTemporaryDir dir;
  const QDir d(dir.path());
  // Named as a session names them: competitor and serial from the header.
  const QByteArray first = WithCompetitor(Example("sample-flight.hyp"), 3);
  const QByteArray second = WithCompetitor(Example("flight-1hz.hyp"), 4);
  auto serial = [](const QByteArray& b) {
    return unsigned(std::uint8_t(b[3])) | unsigned(std::uint8_t(b[4])) << 8;
  };
  const QString firstName = ContestFileName(3, serial(first), kWhen.addSecs(-3600), 1);
  const QString secondName = ContestFileName(4, serial(second), kWhen.addSecs(-3000), 1);
  ASSERT_TRUE(WriteFile(d.filePath(firstName), first));
  ASSERT_TRUE(WriteFile(d.filePath(secondName), second));
  Age(d.filePath(firstName));
  Age(d.filePath(secondName));
  // A results.csv as written before the log: read as it is.
  std::vector<FlightRecord> old;
  {
    const ContestCheck c = Check(dir.path());
    for (FlightRecord f : c.flights) old.push_back(f);
    QStringList lines;
    for (const QString& l : QString::fromUtf8(c.Table()).split('\n'))
      lines << l.section(',', 0, 9);
    ASSERT_TRUE(WriteFile(d.filePath("results.csv"), lines.join('\n').toUtf8()));
  }
  const ContestCheck before = Check(dir.path());
  ASSERT_EQ(before.flights.size(), 2u);
  for (const FlightRecord& f : before.flights) EXPECT_EQ(f.reasons, unsigned(ReasonNoLog));
  EXPECT_EQ(Worst(before), FlightLevel::Warning);
  EXPECT_EQ(RankCompetitors(before.flights)[0].rank, 1);
  EXPECT_EQ(RankCompetitors(before.flights)[1].rank, 2);
  EXPECT_FALSE(QFile::exists(d.filePath("contest.log")));

  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(dir.path(), "Old Cup", &error));
  EXPECT_FALSE(QFile::exists(d.filePath("contest.log")));  // not before a download
  FlightRecord kept;
  ASSERT_EQ(session.KeepDownload(Span(Example("flight-spike.hyp")), kWhen, &kept, &error),
            KeepOutcome::Kept);
  const ContestCheck c = Check(dir.path());
  EXPECT_EQ(Find(c, kept.file)->reasons, 0u);
  EXPECT_EQ(Find(c, firstName)->reasons, unsigned(ReasonLate));
  EXPECT_EQ(Find(c, secondName)->reasons, unsigned(ReasonLate));
  EXPECT_EQ(Worst(c), FlightLevel::Warning);
  EXPECT_EQ(RankCompetitors(c.flights).size(), 3u);
  for (const RankingRow& r : RankCompetitors(c.flights)) EXPECT_GT(r.rank, 0);
}

TEST(ContestRecord, AFlightArrivedIsKeptWhenItsRecordCannotBeWrittenAndRecordedLaterMarkedLate) {
  KeptFolder kept;
  const QString folder = kept.dir.path();
  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(folder, QString(), &error));
  // The waits for the other station's lock pass on virtual time.
  VirtualClock clock;
  session.SetClock(&clock);
  session.SetLockTimeout(200);
  const QByteArray bytes = WithCompetitor(Example("flight-25hz-plateaus.hyp"), 11);

  FlightRecord first;
  {  // another station holds the lock
    FolderLock other(folder);
    ASSERT_TRUE(other.Acquire(1000, &error));
    Failure why;
    EXPECT_FALSE(session.CheckReady(&why));
    EXPECT_EQ(why.kind, FailureKind::FolderLocked) << Said(why);
    EXPECT_EQ(why.number, QCoreApplication::applicationPid()) << "the holder's process";
    EXPECT_EQ(session.KeepDownload(Span(bytes), kWhen.addSecs(600), &first, &error),
              KeepOutcome::KeptUnrecorded);
    EXPECT_TRUE(error.keptAs.endsWith(first.file)) << Said(error);
    EXPECT_EQ(error.kind, FailureKind::FolderLocked) << "why it is not recorded";
    EXPECT_EQ(ReadFile(kept.Path(first.file)), bytes);
    EXPECT_EQ(Find(Check(folder), first.file)->reasons & ReasonNotInLog, unsigned(ReasonNotInLog));
  }
  Age(kept.Path(first.file));
  // results.csv that cannot be replaced (a folder in its place): the flight and its log record
  // are kept, the table is not.
  ASSERT_TRUE(QFile::remove(kept.Path("results.csv")));
  ASSERT_TRUE(QDir(folder).mkdir("results.csv"));
  FlightRecord second;
  EXPECT_EQ(session.KeepDownload(Span(bytes), kWhen.addSecs(660), &second, &error),
            KeepOutcome::KeptUnrecorded);
  EXPECT_EQ(ReadFile(kept.Path(second.file)), bytes);
  ASSERT_TRUE(QDir(folder).rmdir("results.csv"));

  // The next keep completes both records.
  FlightRecord third;
  ASSERT_EQ(session.KeepDownload(Span(bytes), kWhen.addSecs(720), &third, &error),
            KeepOutcome::Kept)
      << Said(error);
  const ContestCheck c = Check(folder);
  ASSERT_EQ(c.flights.size(), 6u);
  EXPECT_EQ(Find(c, first.file)->reasons, unsigned(ReasonLate));
  EXPECT_EQ(Find(c, second.file)->reasons, 0u);  // its record was written at download
  EXPECT_EQ(Find(c, third.file)->reasons, 0u);
  EXPECT_EQ(Worst(c), FlightLevel::Warning);
}

TEST(ContestRecord, TheRankingRanksOnlyWholeFlightsThatAreAsKeptAndAllRanksTheRestMarked) {
  auto flight = [](unsigned competitor, float apogee, const char* file, unsigned reasons) {
    FlightRecord r;
    r.competitor = competitor;
    r.apogeeM = apogee;
    r.file = QString::fromLatin1(file);
    r.reasons = reasons;
    return r;
  };
  const std::vector<FlightRecord> flights = {
      flight(1, 300.0f, "a.hyp", 0),
      flight(2, 900.0f, "b.hyp", ReasonChanged),
      flight(2, 200.0f, "c.hyp", 0),
      flight(3, 7330.4f, "C98_S2_20260101-000000.hyp", ReasonNameHeader | ReasonNotInLog),
      flight(4, 500.0f, "d.hyp", ReasonIncomplete),
      flight(5, 250.0f, "e.hyp", ReasonLate),
  };
  const std::vector<RankingRow> rows = RankCompetitors(flights);
  ASSERT_EQ(rows.size(), 6u);
  const std::vector<std::pair<int, QString>> expected = {
      {1, "a.hyp"}, {2, "e.hyp"}, {3, "c.hyp"},
      {0, "b.hyp"}, {0, "C98_S2_20260101-000000.hyp"}, {0, "d.hyp"}};
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k].rank, expected[k].first) << k;
    EXPECT_EQ(rows[k].file, expected[k].second) << k;
  }
  EXPECT_EQ(rows[1].reasons, unsigned(ReasonLate));
  EXPECT_EQ(rows[2].flights, 1);  // 2's changed flight is not one of theirs that counts
  const QList<QByteArray> csv = RankingCsv(rows).split('\n');
  EXPECT_EQ(csv[0], "rank,competitor,best_apogee_m,flights,file,sha256,status");
  EXPECT_EQ(csv[2], "2,5,250.0,1,e.hyp,,late");
  EXPECT_EQ(csv[5], ",3,7330.4,1,C98_S2_20260101-000000.hyp,,not-in-log;name-header-mismatch");

  const std::vector<RankingRow> all = RankCompetitors(flights, true);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0].competitor, 3u);
  EXPECT_EQ(all[0].rank, 1);
  EXPECT_EQ(StatusText(all[0].reasons), "not-in-log;name-header-mismatch");
  EXPECT_EQ(all[1].competitor, 2u);
  EXPECT_EQ(all[1].flights, 2);
  EXPECT_EQ(all[1].reasons, unsigned(ReasonChanged));

  // The HTML page: the same rows, escaped, nothing it would fetch or run.
  const QString html =
      QString::fromUtf8(RankingHtml(rows, "<Cup & \"Co\">", QDateTime(QDate(2026, 5, 17), {})));
  EXPECT_TRUE(html.contains("&lt;Cup &amp; &quot;Co&quot;&gt;"));
  EXPECT_FALSE(html.contains("<Cup"));
  EXPECT_FALSE(html.contains("<script", Qt::CaseInsensitive));
  EXPECT_FALSE(html.contains("src=", Qt::CaseInsensitive));
  EXPECT_FALSE(html.contains("href=", Qt::CaseInsensitive));
  EXPECT_EQ(html.count("<tr"), 7);
  EXPECT_TRUE(html.contains("not-in-log;name-header-mismatch"));
}

}  // namespace
}  // namespace hypsor
