// SPDX-License-Identifier: GPL-3.0-or-later
// A contest run by its rulebook from the command line: events, competitors from a CSV,
// predictions, downloads for an event and round, the jury's decisions, the results in every
// format, and what is refused without changing the log.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "contest/ContestBook.h"
#include "contest/ContestSession.h"
#include "contest/RulePack.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/PdfText.h"
#include "tests/support/ScriptedCli.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "text/FailureText.h"

namespace hypsor {
namespace {

using test::ReadFile;

QByteArray Flight(const char* example, int competitor) {
  QByteArray bytes = ReadFile(test::ExamplePath(QString::fromLatin1(example)));
  bytes[2] = static_cast<char>(competitor);
  return bytes;
}

test::CliRun Cli(const QStringList& args) {
  return test::RunCliInProcess(args);
}

class RulebookContest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.filePath(QStringLiteral("contest"));
    Failure error;
    ASSERT_TRUE(LoadRulePacks(RulePackFolder(), packs_, &error))
        << FailureText(error, kEnglish).toStdString();
  }
  QByteArray Log() const { return ReadFile(QDir(folder_).filePath(QStringLiteral("contest.log"))); }
  // A download kept for an event and round, as download --session --event --round keeps it.
  QString Keep(const QByteArray& bytes, const QString& event, int round) {
    ContestSession session;
    Failure error;
    EXPECT_TRUE(session.Start(folder_, {}, &error));
    session.SetRound(event, round, packs_);
    EXPECT_TRUE(session.CheckReady(&error)) << FailureText(error, kEnglish).toStdString();
    FlightRecord kept;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    EXPECT_EQ(session.KeepDownload({data, static_cast<std::size_t>(bytes.size())},
                                   QDateTime::currentDateTime().addSecs(++downloads_), &kept, &error),
              KeepOutcome::Kept)
        << FailureText(error, kEnglish).toStdString();
    return kept.file;
  }
  QString Csv(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    EXPECT_TRUE(test::WriteFile(path, text));
    return path;
  }
  QJsonObject Results(const QString& event) {
    const test::CliRun r = Cli({"results", folder_, "--event", event, "--json"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
  }

  QTemporaryDir dir_;
  QString folder_;
  std::map<QString, RulePack> packs_;
  int downloads_ = 0;
};

TEST_F(RulebookContest, BadCompetitorListsNameTheLineAndColumnAndImportNothing) {
  ASSERT_EQ(Cli({"contest", "init", folder_, "--name", "Puchar", "--event",
                 "PA=nar-precision-altitude", "--event", "OPEN=best-of:rounds=2"}).status, 0);
  const QByteArray before = Log();
  const QByteArray header = "number,name,nation,club,licence,category,events\n";
  struct Case {
    QByteArray text;
    QString says;
  } cases[] = {
      {"number,name,nation,club,category,events\n1,A,POL,K,junior,PA\n", "column \"licence\""},
      {header + "1,A,POL,K,L1,junior,PA\n2,B,POL,K,L2,senior,PA\n1,C,CZE,K,L3,senior,PA\n",
       "line 4: number 1 is on line 2"},
      {header + "1,A,POL,K,L1,junior,PA\n2,B\xff\xfe,POL,K,L2,senior,PA\n", "line 3: not UTF-8"},
      {header + "1,A,POL,K,L1,junior,PA;S5\n", "no event \"S5\" (events: PA, OPEN)"},
      {header + "x,A,POL,K,L1,junior,PA\n", "line 2, column number"},
      {header + "1,A,POL,K,L1,veteran,PA\n", "column category"},
  };
  for (const Case& c : cases) {
    const test::CliRun r = Cli({"contest", "import", folder_, Csv(QStringLiteral("c.csv"), c.text)});
    EXPECT_EQ(r.status, 2) << c.says.toStdString();
    EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    EXPECT_EQ(Log(), before) << c.says.toStdString();
  }
  // An unknown pack or event names the known ones; the log stays as it was.
  test::CliRun r = Cli({"contest", "init", folder_, "--event", "X=fai-s9"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("fai-s1, fai-s5"))) << r.err.toStdString();
  r = Cli({"contest", "init", folder_, "--event", "PA=best-of"});
  EXPECT_TRUE(r.err.contains(QStringLiteral("exists already with the pack nar-precision-altitude")));
  r = Cli({"results", folder_, "--event", "S1"});
  EXPECT_TRUE(r.err.contains(QStringLiteral("its events: PA, OPEN"))) << r.err.toStdString();
  EXPECT_EQ(Log(), before);
}

TEST_F(RulebookContest, AnOrganisersContestFromImportToTheSpreadsheet) {
  ASSERT_EQ(Cli({"contest", "init", folder_, "--name", "Mistrzostwa", "--event",
                 "PA=nar-precision-altitude", "--event", "S1B=fai-s1:class=B,rounds=3"}).status, 0);
  const QString list = Csv(QStringLiteral("competitors.csv"),
                           "number,name,nation,club,licence,category,events\n"
                           "1,Łukasz Żółć,POL,Orzeł,PL-1,senior,PA;S1B\n"
                           "2,Anna Nowak,POL,Orzeł,PL-2,junior,PA;S1B\n"
                           "3,\"Petr Novák, jr.\",CZE,Praha,CZ-3,senior,PA;S1B\n");
  test::CliRun r = Cli({"contest", "import", folder_, list});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(QStringLiteral("3 competitors")));
  // The competitors' table comes from the log, names as given.
  r = Cli({"contest", "competitors", folder_});
  EXPECT_TRUE(r.out.contains(QStringLiteral("1,Łukasz Żółć,POL,Orzeł,PL-1,senior,PA;S1B\n")))
      << r.out.toStdString();
  EXPECT_TRUE(r.out.contains(QStringLiteral("3,\"Petr Novák, jr.\",CZE")));
  // Importing the same list again changes nothing.
  const QByteArray imported = Log();
  ASSERT_EQ(Cli({"contest", "import", folder_, list}).status, 0);
  EXPECT_EQ(Log(), imported);

  for (const auto& [n, target] : {std::pair{"1", "380"}, {"2", "700"}, {"3", "300"}})
    ASSERT_EQ(Cli({"contest", "enter", folder_, "--event", "PA", "--competitor", n, "--target", target}).status, 0);

  // PA: one flight each; 3's first has no data and is flown again.
  const QString pa1 = Keep(Flight("sample-flight.hyp", 1), QStringLiteral("PA"), 1);  // 380.5
  const QString pa2 = Keep(Flight("flight-1hz.hyp", 2), QStringLiteral("PA"), 1);     // 690.4
  const QString lost = Keep(Flight("flight-spike.hyp", 3), QStringLiteral("PA"), 1);
  ASSERT_EQ(Cli({"contest", "decide", folder_, lost, "--status", "no-data", "--by", "Jury"}).status, 0);
  // The re-flight comes through the command line's download, for its event and round.
  {
    test::ScriptedCli cli;
    QByteArray sent = Flight("flight-spike.hyp", 3);
    sent[0] = 0;
    cli.altimeter.flight = sent;
    const test::CliRun d = cli.Run({"download", "--port", "ttyUSB0", "--session", folder_,
                                    "--event", "PA", "--round", "1"});
    ASSERT_EQ(d.status, 0) << d.err.toStdString();
    // A round the event does not have is refused before the altimeter is asked.
    const int frames = cli.Frames().size();
    const test::CliRun bad = cli.Run({"download", "--port", "ttyUSB0", "--session", folder_,
                                      "--event", "PA", "--round", "2"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("has 1 rounds, not 2"))) << bad.err.toStdString();
    EXPECT_EQ(cli.Frames().size(), frames);
  }
  // A prediction after the competitor's first flight is refused.
  r = Cli({"contest", "enter", folder_, "--event", "PA", "--competitor", "1", "--target", "381"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("before their first flight"))) << r.err.toStdString();

  // S1B: three rounds; 1 and 2 tie on the best flight and 2's next flight is better; 3 is
  // disqualified in round 2 and flies 690.4 in round 3.
  Keep(Flight("sample-flight.hyp", 1), QStringLiteral("S1B"), 1);
  Keep(Flight("flight-spike.hyp", 1), QStringLiteral("S1B"), 2);
  Keep(Flight("sample-flight.hyp", 2), QStringLiteral("S1B"), 1);
  Keep(Flight("sample-flight.hyp", 2), QStringLiteral("S1B"), 2);
  const QString dq = Keep(Flight("flight-1hz.hyp", 3), QStringLiteral("S1B"), 2);
  Keep(Flight("flight-spike.hyp", 3), QStringLiteral("S1B"), 3);

  // Decisions: refused without a judge, for a file the log does not hold, and dq without reason.
  const QByteArray beforeDecisions = Log();
  EXPECT_EQ(Cli({"contest", "decide", folder_, dq, "--status", "dq", "--reason", "x"}).status, 2);
  r = Cli({"contest", "decide", folder_, "C9_S1_none.hyp", "--status", "dq", "--reason", "x", "--by", "J"});
  EXPECT_TRUE(r.err.contains(QStringLiteral("no flight the contest log records"))) << r.err.toStdString();
  r = Cli({"contest", "decide", folder_, dq, "--status", "dq", "--by", "Jury"});
  EXPECT_TRUE(r.err.contains(QStringLiteral("needs a reason"))) << r.err.toStdString();
  r = Cli({"contest", "decide", folder_, dq, "--status", "late", "--by", "Jury"});
  EXPECT_TRUE(r.err.contains(QStringLiteral("official, no-data, attempt, dq, withdrawn")));
  EXPECT_EQ(Log(), beforeDecisions);
  ASSERT_EQ(Cli({"contest", "decide", folder_, dq, "--status", "dq", "--reason",
                 "Struktura uszkodzona przed wyrzutem", "--by", "Sędzia Główny"}).status, 0);

  const QJsonObject pa = Results(QStringLiteral("PA"));
  EXPECT_EQ(pa.value("event").toString(), QStringLiteral("PA"));
  EXPECT_EQ(pa.value("pack").toString(), QStringLiteral("nar-precision-altitude"));
  const QJsonArray paRows = pa.value("rows").toArray();
  ASSERT_EQ(paRows.size(), 3);
  // 380.5 / 380 = 100.1 %: 0.1; 690.4 / 700 = 98.6 %: 1.4; 277.7 / 300 = 92.6 %: 7.4.
  std::vector<int> order;
  for (const QJsonValue& v : paRows) order.push_back(v.toObject().value("number").toInt());
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  const QJsonObject first = paRows[0].toObject();
  EXPECT_EQ(first.value("place").toInt(), 1);
  EXPECT_EQ(first.value("name").toString(), QStringLiteral("Łukasz Żółć"));
  EXPECT_EQ(first.value("nation").toString(), QStringLiteral("POL"));
  EXPECT_NEAR(first.value("score").toDouble(), 0.1, 1e-9);
  EXPECT_FALSE(first.value("tie").toBool());
  const QJsonObject round = first.value("rounds").toArray()[0].toObject();
  EXPECT_EQ(round.value("round").toInt(), 1);
  EXPECT_EQ(round.value("file").toString(), pa1);
  EXPECT_NEAR(round.value("altitude_m").toDouble(), 380.5, 1e-9);
  EXPECT_EQ(round.value("status").toString(), QStringLiteral("official"));
  EXPECT_NEAR(paRows[1].toObject().value("score").toDouble(), 1.4, 1e-9);
  const QJsonArray third = paRows[2].toObject().value("rounds").toArray();
  ASSERT_EQ(third.size(), 2);
  EXPECT_EQ(third[0].toObject().value("status").toString(), QStringLiteral("no-data"));
  EXPECT_NEAR(paRows[2].toObject().value("score").toDouble(), 7.4, 1e-9);
  (void)pa2;

  const QJsonArray s1 = Results(QStringLiteral("S1B")).value("rows").toArray();
  ASSERT_EQ(s1.size(), 3);
  // 3: dq in round 2, 277.7 in round 3; 2: 380.5 twice beats 1's 380.5 and 277.7.
  EXPECT_EQ(s1[0].toObject().value("number").toInt(), 2);
  EXPECT_EQ(s1[1].toObject().value("number").toInt(), 1);
  EXPECT_EQ(s1[1].toObject().value("place").toInt(), 2);
  EXPECT_FALSE(s1[1].toObject().value("tie").toBool());
  EXPECT_EQ(s1[2].toObject().value("number").toInt(), 3);
  EXPECT_NEAR(s1[2].toObject().value("score").toDouble(), 277.7, 1e-9);

  // The spreadsheet: a sheet per event, a teams sheet for S1B, the jury's sheet; Latin letters.
  const QString xlsx = dir_.filePath(QStringLiteral("results.xlsx"));
  r = Cli({"results", folder_, "--xlsx", xlsx});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  auto part = [&](const char* name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QString::fromLatin1(name)});
    EXPECT_TRUE(unzip.waitForFinished(10000));
    return QString::fromUtf8(unzip.readAllStandardOutput());
  };
  const QString workbook = part("xl/workbook.xml");
  for (const char* sheet : {"\"PA\"", "\"S1B\"", "\"S1B teams\"", "\"Jury\""})
    EXPECT_TRUE(workbook.contains(QLatin1String(sheet))) << sheet;
  const QString strings = part("xl/sharedStrings.xml");
  EXPECT_TRUE(strings.contains(QStringLiteral("Lukasz Zolc")));
  EXPECT_TRUE(strings.contains(QStringLiteral("Sedzia Glowny")));
  EXPECT_FALSE(strings.contains(QStringLiteral("Łukasz")));
  EXPECT_TRUE(strings.contains(QStringLiteral("Petr Novak, jr.")));

  // The page to publish, provisional unless asked official and nothing waits for the jury.
  const QString html = dir_.filePath(QStringLiteral("pa.html"));
  ASSERT_EQ(Cli({"results", folder_, "--event", "PA", "--html", html, "--official"}).status, 0);
  EXPECT_TRUE(QString::fromUtf8(ReadFile(html)).contains(QStringLiteral("Official results")));

  // The notice-board PDF, through the program (it lays the page out with its drawing module).
  const QString pdf = dir_.filePath(QStringLiteral("pa.pdf"));
  r = test::RunCli({"results", folder_, "--event", "PA", "--pdf", pdf});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QString board = test::PdfText(pdf).out;
  EXPECT_TRUE(board.contains(QStringLiteral("Provisional results"))) << board.toStdString();
  EXPECT_TRUE(board.contains(QStringLiteral("Łukasz"))) << board.toStdString();

  // verify reads every line and shows each prediction came before its flight.
  r = Cli({"verify", folder_});
  EXPECT_NE(r.status, 8) << r.out.toStdString();
  EXPECT_TRUE(r.out.contains(QStringLiteral("Events: PA=nar-precision-altitude, S1B=fai-s1")));
  EXPECT_EQ(r.out.count(QStringLiteral("before the flight")), 4) << r.out.toStdString();

  // The log is the record: a decision is never rewritten, a correction is a line more.
  ASSERT_EQ(Cli({"contest", "decide", folder_, dq, "--status", "official", "--by", "Jury"}).status, 0);
  EXPECT_TRUE(Log().startsWith(beforeDecisions));
  EXPECT_EQ(Results(QStringLiteral("S1B")).value("rows").toArray()[0].toObject().value("number").toInt(), 3);
}

TEST_F(RulebookContest, AFolderFromBeforeEventsIsTheOneEventOpenAndStillVerifies) {
  ContestSession session;
  Failure error;
  ASSERT_TRUE(session.Start(folder_, QStringLiteral("Stare"), &error));
  for (const auto& [example, n] : {std::pair{"sample-flight.hyp", 4}, {"flight-1hz.hyp", 30},
                                   {"flight-spike.hyp", 4}}) {
    const QByteArray bytes = Flight(example, n);
    FlightRecord kept;
    ASSERT_EQ(session.KeepDownload({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    static_cast<std::size_t>(bytes.size())},
                                   QDateTime::currentDateTime().addSecs(++downloads_), &kept, &error),
              KeepOutcome::Kept);
  }
  const QByteArray log = Log();
  EXPECT_FALSE(log.contains("kind="));
  // The spike flight's data-quality flag is the only warning, as before events.
  const test::CliRun verified = Cli({"verify", folder_});
  EXPECT_EQ(verified.status, 7) << verified.out.toStdString();
  EXPECT_TRUE(verified.out.contains(QStringLiteral("0 invalid; 0 folder problems")));
  const QJsonObject open = Results(QStringLiteral("open"));
  EXPECT_EQ(open.value("pack").toString(), QStringLiteral("best-of"));
  const QJsonArray rows = open.value("rows").toArray();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].toObject().value("number").toInt(), 30);
  EXPECT_NEAR(rows[1].toObject().value("score").toDouble(), 380.5, 1e-9);
  EXPECT_EQ(Log(), log);  // reading changes nothing
}

}  // namespace
}  // namespace hypsor
