// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli logbook: its outputs and keys in this process, and two programs writing one logbook
// at once.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <set>

#include "tests/support/CliInProcess.h"
#include "tests/support/CliProcess.h"
#include "tests/support/LogbookFlights.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using test::CliRun;
using test::RunCliHere;
using test::SeasonFlight;
using test::WriteSeasonFlight;

QDateTime Day(int month, int day) {
  return QDateTime(QDate(2026, month, day), QTime(10, 0));
}

struct CliLogbook : ::testing::Test {
  QTemporaryDir dir;
  QString Db() const { return dir.filePath(QStringLiteral("season.sqlite")); }
  QString Flights() const { return dir.filePath(QStringLiteral("flights")); }
  CliRun Run(QStringList args) {
    args.prepend(QStringLiteral("logbook"));
    args << QStringLiteral("--logbook") << Db();
    return RunCliHere(args);
  }
};

QJsonArray JsonList(const CliRun& run) {
  QJsonParseError e;
  const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &e);
  EXPECT_EQ(e.error, QJsonParseError::NoError) << run.out.toStdString();
  EXPECT_TRUE(doc.isArray());
  return doc.array();
}

std::set<QString> Keys(const QJsonObject& o) {
  const QStringList keys = o.keys();
  return {keys.begin(), keys.end()};
}

TEST_F(CliLogbook, AddSummarisesAndListsTheRefused) {
  WriteSeasonFlight(Flights(), SeasonFlight(120, 1), Day(5, 1));
  WriteSeasonFlight(Flights() + QStringLiteral("/club"), SeasonFlight(200, 2), Day(5, 2));
  ASSERT_TRUE(test::WriteFile(Flights() + QStringLiteral("/broken.hyp"), QByteArray(10, 'x')));
  CliRun r = Run({QStringLiteral("add"), Flights(), QStringLiteral("--rocket"),
                  QStringLiteral("Alpha")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, QStringLiteral("added: 2\nknown: 0\nrefused: 1\n"));
  EXPECT_EQ(r.err, QStringLiteral("hypsor-cli: refused: File %1/broken.hyp is too short for a "
                                  "flight (10 bytes)\n")
                       .arg(Flights()));
  r = Run({QStringLiteral("add"), Flights() + QStringLiteral("/club")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, QStringLiteral("added: 0\nknown: 1\nrefused: 0\n"));
  // No progress line where standard error is no terminal.
  EXPECT_EQ(r.err, QString());
}

TEST_F(CliLogbook, ListAndStatsSpeakJsonWithTheirKeys) {
  const QString first = WriteSeasonFlight(Flights(), SeasonFlight(120, 1), Day(5, 1));
  WriteSeasonFlight(Flights(), SeasonFlight(200, 2), Day(6, 2));
  WriteSeasonFlight(Flights(), SeasonFlight(260, 3), Day(6, 3));
  ASSERT_EQ(Run({QStringLiteral("add"), Flights(), QStringLiteral("--rocket"), QStringLiteral("A"),
                 QStringLiteral("--site"), QStringLiteral("Field")})
                .status,
            0);
  ASSERT_EQ(Run({QStringLiteral("tag"), first, QStringLiteral("--rocket"), QStringLiteral("B"),
                 QStringLiteral("--motor"), QStringLiteral("C6-3")})
                .status,
            0);

  CliRun r = Run({QStringLiteral("list"), QStringLiteral("--json")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  QJsonArray list = JsonList(r);
  ASSERT_EQ(list.size(), 3);
  const QJsonObject o = list[0].toObject();
  EXPECT_EQ(Keys(o), (std::set<QString>{"sha256", "file", "date", "competitor", "rocket", "motor",
                                        "site", "apogee_m", "flags", "missing"}));
  EXPECT_EQ(o[QStringLiteral("file")].toString(), first);
  EXPECT_EQ(o[QStringLiteral("date")].toString(), QStringLiteral("2026-05-01T10:00:00"));
  EXPECT_EQ(o[QStringLiteral("competitor")].toInt(), 1);
  EXPECT_EQ(o[QStringLiteral("rocket")].toString(), QStringLiteral("B"));
  EXPECT_EQ(o[QStringLiteral("motor")].toString(), QStringLiteral("C6-3"));
  EXPECT_EQ(o[QStringLiteral("site")].toString(), QStringLiteral("Field"));
  EXPECT_NEAR(o[QStringLiteral("apogee_m")].toDouble(), 120, 1);
  EXPECT_TRUE(o[QStringLiteral("flags")].isArray());
  EXPECT_EQ(o[QStringLiteral("missing")], QJsonValue(false));
  EXPECT_EQ(o[QStringLiteral("sha256")].toString().size(), 64);

  r = Run({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--rocket"),
           QStringLiteral("A"), QStringLiteral("--from"), QStringLiteral("2026-06-03")});
  list = JsonList(r);
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list[0].toObject()[QStringLiteral("competitor")].toInt(), 3);
  r = Run({QStringLiteral("list"), QStringLiteral("--min-apogee"), QStringLiteral("150")});
  EXPECT_EQ(r.out.count(QLatin1Char('\n')), 3) << r.out.toStdString();  // a header, two flights

  r = Run({QStringLiteral("stats"), QStringLiteral("--by"), QStringLiteral("rocket"),
           QStringLiteral("--json")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  list = JsonList(r);
  ASSERT_EQ(list.size(), 2);
  const QJsonObject a = list[0].toObject();
  EXPECT_EQ(Keys(a), (std::set<QString>{"rocket", "flights", "best_apogee_m", "mean_apogee_m",
                                        "stddev_apogee_m", "mean_time_to_apogee_s"}));
  EXPECT_EQ(a[QStringLiteral("rocket")].toString(), QStringLiteral("A"));
  EXPECT_EQ(a[QStringLiteral("flights")].toInt(), 2);
  EXPECT_NEAR(a[QStringLiteral("mean_apogee_m")].toDouble(), 230, 1);
  EXPECT_NEAR(a[QStringLiteral("stddev_apogee_m")].toDouble(), 42.4, 1);
  EXPECT_TRUE(list[1].toObject()[QStringLiteral("stddev_apogee_m")].isNull());
  r = Run({QStringLiteral("stats"), QStringLiteral("--by"), QStringLiteral("month")});
  EXPECT_TRUE(r.out.contains(QStringLiteral("\n2026-06\t2\t"))) << r.out.toStdString();
}

TEST_F(CliLogbook, UsageErrorsAndRefusalsAreOneLine) {
  EXPECT_EQ(Run({QStringLiteral("stats"), QStringLiteral("--by"), QStringLiteral("year")}).err,
            QStringLiteral("hypsor-cli logbook stats: --by takes rocket, motor, site or month, "
                           "not 'year' (see 'hypsor-cli logbook stats --help')\n"));
  EXPECT_EQ(Run({QStringLiteral("list"), QStringLiteral("--from"), QStringLiteral("May")}).status,
            1);
  EXPECT_EQ(Run({QStringLiteral("tag"), QStringLiteral("x.hyp")}).status, 1);
  EXPECT_EQ(Run({QStringLiteral("export")}).status, 1);
  EXPECT_EQ(Run({QStringLiteral("fly")}).status, 1);
  const CliRun unknown = Run({QStringLiteral("tag"), QString(64, QLatin1Char('b')),
                              QStringLiteral("--note"), QStringLiteral("x")});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(unknown.err.contains(QStringLiteral("is no flight of the logbook")));
  // A damaged logbook: the way out, once, and the file as it was.
  ASSERT_TRUE(test::WriteFile(Db(), QByteArray(4096, 'z')));
  const CliRun damaged = Run({QStringLiteral("list")});
  EXPECT_EQ(damaged.status, 2);
  EXPECT_EQ(damaged.err.count(QLatin1Char('\n')), 1);
  EXPECT_TRUE(damaged.err.contains(QStringLiteral("logbook rebuild --logbook NEW_FILE")))
      << damaged.err.toStdString();
  EXPECT_EQ(test::ReadFile(Db()), QByteArray(4096, 'z'));
}

TEST_F(CliLogbook, RebuildReportsAndExportsWriteOneRowPerFlight) {
  const QString gone = WriteSeasonFlight(Flights(), SeasonFlight(120, 1), Day(5, 1));
  const QString changed = WriteSeasonFlight(Flights(), SeasonFlight(200, 2), Day(5, 2));
  ASSERT_EQ(Run({QStringLiteral("add"), Flights()}).status, 0);
  QFile::remove(gone);
  ASSERT_TRUE(test::WriteFile(changed, SeasonFlight(210, 2)));
  CliRun r = Run({QStringLiteral("rebuild")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, QStringLiteral("reread: 0\nmissing: 1\nchanged: 1\nmissing %1\nchanged %2\n")
                       .arg(gone, changed));
  r = Run({QStringLiteral("list"), QStringLiteral("--json")});
  const QJsonArray list = JsonList(r);
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list[0].toObject()[QStringLiteral("missing")], QJsonValue(true));

  r = Run({QStringLiteral("export"), QStringLiteral("--csv"), QStringLiteral("-")});
  EXPECT_EQ(r.out.count(QLatin1Char('\n')), 3);
  EXPECT_TRUE(r.out.contains(QStringLiteral(",yes,no\n")));  // missing, not changed
  const QString xlsx = dir.filePath(QStringLiteral("season.xlsx"));
  r = Run({QStringLiteral("export"), QStringLiteral("--xlsx"), xlsx});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  // The sheet's rows, as the spreadsheet holds them.
  const CliRun sheet = test::RunProgram(
      QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/worksheets/sheet1.xml")});
  ASSERT_EQ(sheet.status, 0);
  EXPECT_EQ(sheet.out.count(QStringLiteral("<row ")), 3);
}

// Two programs add to one new logbook at once, half of their files the same: every flight is
// there once, and neither saw the database locked.
TEST_F(CliLogbook, TwoProgramsAddingAtOnceLoseNothing) {
  const int each = test::StressRounds(300);
  for (int k = 0; k < each; ++k) {
    const QByteArray bytes = SeasonFlight(100 + k, unsigned(k % 200 + 1), unsigned(k));
    WriteSeasonFlight(Flights() + QStringLiteral("/a"), bytes, Day(5, 1).addSecs(k));
    // The second folder: the second half of the first one's flights, and as many of its own.
    if (k >= each / 2)
      WriteSeasonFlight(Flights() + QStringLiteral("/b"), bytes, Day(5, 1).addSecs(k));
    WriteSeasonFlight(Flights() + QStringLiteral("/b"),
                      SeasonFlight(100 + k, unsigned(k % 200 + 1), unsigned(k + 10000)),
                      Day(6, 1).addSecs(k));
  }
  QProcess first, second;
  for (auto [p, folder] : {std::pair{&first, "/a"}, std::pair{&second, "/b"}})
    p->start(test::CliPath(), {QStringLiteral("logbook"), QStringLiteral("add"),
                               Flights() + QLatin1String(folder), QStringLiteral("--logbook"), Db()});
  ASSERT_TRUE(first.waitForFinished(50000));
  ASSERT_TRUE(second.waitForFinished(50000));
  for (QProcess* p : {&first, &second}) {
    const QString err = QString::fromUtf8(p->readAllStandardError());
    EXPECT_EQ(p->exitCode(), 0) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("locked"), Qt::CaseInsensitive)) << err.toStdString();
  }
  const CliRun r = Run({QStringLiteral("list"), QStringLiteral("--json")});
  const QJsonArray list = JsonList(r);
  EXPECT_EQ(list.size(), 2 * each);
  std::set<QString> digests;
  for (const QJsonValue& v : list) digests.insert(v.toObject()[QStringLiteral("sha256")].toString());
  EXPECT_EQ(digests.size(), std::size_t(2 * each));
}

}  // namespace
}  // namespace hypsor
