// SPDX-License-Identifier: GPL-3.0-or-later
// The rule engine on contests written line by line: what each pack scores, what the jury's
// statuses do, how ties are broken, and the rule packs as they ship.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "contest/ContestBook.h"
#include "contest/EventScoring.h"
#include "contest/LatinLetters.h"
#include "contest/RulePack.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "text/FailureText.h"

namespace hypsor {
namespace {

std::map<QString, RulePack> Packs() {
  std::map<QString, RulePack> packs;
  Failure error;
  EXPECT_TRUE(LoadRulePacks(QStringLiteral(HYPSOR_SOURCE_DIR "/rules"), packs, &error))
      << FailureText(error, kEnglish).toStdString();
  return packs;
}

RulePack Pack(const QString& id, const std::map<QString, QString>& parameters = {}) {
  RulePack pack = Packs().at(id);
  Failure error;
  EXPECT_TRUE(ApplyParameters(pack, parameters, &error)) << FailureText(error, kEnglish).toStdString();
  return pack;
}

// A contest built line by line, as its log would hold it.
struct Contest {
  ContestBook book;
  std::vector<FlightRecord> flights;
  int line = 0;

  explicit Contest(const QString& event, const QString& pack) {
    book.events.push_back({event, pack, {}, {}, ++line});
  }
  void Register(unsigned number, const QString& name, const QString& nation = {}) {
    book.competitors[number] = {number, name, nation, {}, {}, {}, ++line};
  }
  void Enter(const QString& event, unsigned number, std::map<QString, double> values = {}) {
    EventEntry e{event, number, values, {}, ++line};
    for (const auto& [key, v] : values) e.valueLines[key] = e.line;
    book.entries.push_back(e);
  }
  // A flight of the competitor, recorded now, in the round; apogee none: it never launched.
  QString Fly(const QString& event, int round, unsigned competitor, std::optional<float> apogee,
              unsigned reasons = 0) {
    FlightRecord f;
    f.file = QStringLiteral("F%1.hyp").arg(flights.size() + 1);
    f.competitor = competitor;
    f.apogeeM = apogee;
    f.reasons = reasons;
    f.complete = true;
    flights.push_back(f);
    book.flightLines[f.file] = ++line;
    book.assignments[f.file] = {event, round, ++line};
    return f.file;
  }
  void Decide(const QString& file, const QString& status, const QString& reason = {}) {
    book.decisions[file].push_back({file, status, reason, QStringLiteral("jury"), {}, ++line});
  }
  EventResults Score(const RulePack& pack) const {
    return ScoreEvent(book, book.events.front(), pack, flights);
  }
};

const EventRow& RowOf(const EventResults& r, unsigned number) {
  for (const EventRow& row : r.rows)
    if (row.competitor.number == number) return row;
  ADD_FAILURE() << "no row for " << number;
  return r.rows.front();
}

TEST(RulePacks, EveryShippedPackLoadsWithItsSourceAndABadPackIsRefusedNamingTheField) {
  const std::map<QString, RulePack> packs = Packs();
  for (const char* id : {"fai-s1", "fai-s5", "nar-altitude", "nar-precision-altitude",
                         "nar-scale-altitude", "nar-superroc", "best-of"}) {
    ASSERT_TRUE(packs.count(QLatin1String(id))) << id;
    const RulePack& p = packs.at(QLatin1String(id));
    EXPECT_FALSE(p.document.isEmpty() || p.edition.isEmpty() || p.ruleNumbers.isEmpty()) << id;
    EXPECT_EQ(p.sha256.size(), 64) << id;
    EXPECT_TRUE(p.Status(QStringLiteral("official"))) << id;
  }
  EXPECT_EQ(packs.at(QStringLiteral("fai-s1")).classes.size(), 6);
  EXPECT_EQ(packs.at(QStringLiteral("fai-s1")).teamBest, 3);

  QByteArray good = test::ReadFile(QStringLiteral(HYPSOR_SOURCE_DIR "/rules/best-of.json"));
  RulePack p;
  Failure error;
  ASSERT_TRUE(ParseRulePack(good, QStringLiteral("best-of.json"), p, &error));
  struct Case {
    QByteArray from, to, field;
  } cases[] = {{"\"score\": \"altitude\"", "\"score\": \"speed\"", "score"},
               {"\"rounds\": 3", "\"rounds\": 0", "rounds"},
               {"\"best\": 1", "\"best\": 9", "best"},
               {"\"id\": \"dq\"", "\"id\": \"banned\"", "statuses.id"},
               {"\"document\"", "\"doc\"", "document"}};
  for (const Case& c : cases) {
    QByteArray bad = good;
    ASSERT_TRUE(bad.contains(c.from)) << c.from.constData();
    bad.replace(c.from, c.to);
    error = {};
    EXPECT_FALSE(ParseRulePack(bad, QStringLiteral("bad.json"), p, &error)) << c.to.constData();
    EXPECT_EQ(error.kind, FailureKind::RulePackField);
    EXPECT_EQ(error.detail, QString::fromLatin1(c.field));
    EXPECT_TRUE(FailureText(error, kEnglish).contains(QStringLiteral("bad.json")));
  }
  error = {};
  EXPECT_FALSE(ParseRulePack("{\"id\": ", QStringLiteral("torn.json"), p, &error));
  EXPECT_EQ(error.kind, FailureKind::RulePackUnreadable);

  // Parameters: known ones within their range only, naming the pack's parameters otherwise.
  RulePack best = packs.at(QStringLiteral("best-of"));
  EXPECT_TRUE(ApplyParameters(best, {{"rounds", "2"}, {"best", "2"}}, &error));
  EXPECT_EQ(best.rounds, 2);
  EXPECT_EQ(best.countBest, 2);
  EXPECT_FALSE(ApplyParameters(best, {{"target", "200"}}, &error));
  EXPECT_EQ(error.kind, FailureKind::EventParameter);
  EXPECT_TRUE(error.names.contains(QStringLiteral("rounds")));
  RulePack pa = packs.at(QStringLiteral("nar-precision-altitude"));
  EXPECT_FALSE(ApplyParameters(pa, {{"target", "400"}}, &error));
}

TEST(RulePacks, AFolderOfPacksWithABadOneLoadsNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(QStringLiteral(HYPSOR_SOURCE_DIR "/rules/best-of.json"),
                          dir.filePath(QStringLiteral("best-of.json"))));
  ASSERT_TRUE(test::WriteFile(dir.filePath(QStringLiteral("broken.json")), "[]"));
  std::map<QString, RulePack> packs;
  Failure error;
  EXPECT_FALSE(LoadRulePacks(dir.path(), packs, &error));
  EXPECT_TRUE(error.path.endsWith(QStringLiteral("broken.json")));
  EXPECT_TRUE(packs.empty());
}

TEST(RuleEngine, PrecisionAltitudeScoresTheDistanceFromTheTargetAndAReflightAfterNoData) {
  Contest c(QStringLiteral("PA"), QStringLiteral("nar-precision-altitude"));
  for (unsigned n : {1u, 2u, 3u, 4u}) c.Register(n, QStringLiteral("C%1").arg(n));
  c.Enter(QStringLiteral("PA"), 1, {{kTargetKey, 200}});
  c.Enter(QStringLiteral("PA"), 2, {{kTargetKey, 150}});
  c.Enter(QStringLiteral("PA"), 3, {{kTargetKey, 300}});
  c.Fly(QStringLiteral("PA"), 1, 1, 190.0f);  // 95.0 %: 5.0
  // No altitude data: the jury gives no-data and the re-flight is the official one.
  const QString lost = c.Fly(QStringLiteral("PA"), 1, 2, std::nullopt);
  c.Decide(lost, QStringLiteral("no-data"));
  c.Fly(QStringLiteral("PA"), 1, 2, 153.0f);  // 102.0 %: 2.0
  c.Fly(QStringLiteral("PA"), 1, 3, 331.1f);  // 110.366 rounds to 110.4 %: 10.4
  // A prediction written after the flight does not count.
  c.Fly(QStringLiteral("PA"), 1, 4, 200.0f);
  c.Enter(QStringLiteral("PA"), 4, {{kTargetKey, 200}});

  const EventResults r = c.Score(Pack(QStringLiteral("nar-precision-altitude")));
  ASSERT_EQ(r.rows.size(), 4u);
  EXPECT_EQ(r.rows[0].competitor.number, 2u);
  EXPECT_DOUBLE_EQ(*r.rows[0].score, 2.0);
  EXPECT_EQ(r.rows[0].place, 1);
  EXPECT_EQ(r.rows[1].competitor.number, 1u);
  EXPECT_DOUBLE_EQ(*r.rows[1].score, 5.0);
  EXPECT_EQ(r.rows[2].competitor.number, 3u);
  EXPECT_NEAR(*r.rows[2].score, 10.4, 1e-9);
  const EventRow& late = RowOf(r, 4);
  EXPECT_FALSE(late.score);
  EXPECT_EQ(late.place, 0);
  ASSERT_FALSE(late.remarks.empty());
  EXPECT_EQ(late.remarks.back().kind, RemarkKind::LateEntryValue);
  const EventRow& two = RowOf(r, 2);
  ASSERT_EQ(two.flights.size(), 2u);
  EXPECT_EQ(two.flights[0].status, QStringLiteral("no-data"));
  EXPECT_FALSE(two.flights[0].counted);
  EXPECT_TRUE(two.flights[1].counted);
  EXPECT_TRUE(r.forJury.empty());

  // A set target comes from the event, not the entries.
  const EventResults set =
      c.Score(Pack(QStringLiteral("nar-precision-altitude"), {{"target_mode", "set"}, {"target", "200"}}));
  EXPECT_DOUBLE_EQ(*RowOf(set, 4).score, 0.0);
  EXPECT_EQ(set.rows.front().competitor.number, 4u);
}

TEST(RuleEngine, TwoOfficialFlightsInARoundGoToTheJuryAndADqNeedsNoReflight) {
  Contest c(QStringLiteral("PA"), QStringLiteral("nar-precision-altitude"));
  c.Register(1, QStringLiteral("A"));
  c.Register(2, QStringLiteral("B"));
  c.Enter(QStringLiteral("PA"), 1, {{kTargetKey, 200}});
  c.Enter(QStringLiteral("PA"), 2, {{kTargetKey, 200}});
  c.Fly(QStringLiteral("PA"), 1, 1, 199.0f);
  c.Fly(QStringLiteral("PA"), 1, 1, 200.0f);  // a second official flight: not silently taken
  const QString dq = c.Fly(QStringLiteral("PA"), 1, 2, 200.0f);
  c.Decide(dq, QStringLiteral("dq"), QStringLiteral("motor ejected"));
  const EventResults r = c.Score(Pack(QStringLiteral("nar-precision-altitude")));
  ASSERT_EQ(r.forJury.size(), 1u);
  EXPECT_EQ(r.forJury.front().kind, RemarkKind::Conflict);
  EXPECT_EQ(r.forJury.front().round, 1);
  EXPECT_FALSE(RowOf(r, 1).score);
  const EventRow& b = RowOf(r, 2);
  EXPECT_FALSE(b.score);
  EXPECT_EQ(b.flights.front().status, QStringLiteral("dq"));
  ASSERT_FALSE(b.remarks.empty());
  EXPECT_EQ(b.remarks.front().text, QStringLiteral("motor ejected"));

  // The jury gives the first flight no-data: the second is the round's official flight.
  c.Decide(QStringLiteral("F1.hyp"), QStringLiteral("no-data"));
  const EventResults settled = c.Score(Pack(QStringLiteral("nar-precision-altitude")));
  EXPECT_TRUE(settled.forJury.empty());
  EXPECT_DOUBLE_EQ(*RowOf(settled, 1).score, 0.0);
  EXPECT_EQ(RowOf(settled, 1).place, 1);
}

TEST(RuleEngine, TiesAreBrokenByTheNextBestFlightAndOnlyAFlyOffSeparatesTheRest) {
  Contest c(QStringLiteral("S1B"), QStringLiteral("fai-s1"));
  for (unsigned n = 1; n <= 5; ++n) {
    c.Register(n, QStringLiteral("C%1").arg(n), n <= 3 ? QStringLiteral("POL") : QStringLiteral("CZE"));
    c.Enter(QStringLiteral("S1B"), n);
  }
  // 1 and 2 share the best flight, 2's second is better; 3 and 4 are equal in every round.
  const float flights[5][3] = {{400.0f, 300.0f, 100.0f},
                               {400.0f, 350.0f, 100.0f},
                               {380.0f, 200.0f, 0.0f},
                               {380.0f, 200.0f, 0.0f},
                               {100.0f, 0.0f, 0.0f}};
  for (int round = 1; round <= 3; ++round)
    for (unsigned n = 1; n <= 5; ++n)
      if (flights[n - 1][round - 1] > 0) c.Fly(QStringLiteral("S1B"), round, n, flights[n - 1][round - 1]);
  // A flight whose file changed is never ranked, whatever it shows.
  c.Fly(QStringLiteral("S1B"), 3, 5, 900.0f, ReasonChanged);

  const EventResults r = c.Score(Pack(QStringLiteral("fai-s1")));
  ASSERT_EQ(r.rows.size(), 5u);
  std::vector<unsigned> order;
  std::vector<int> places;
  for (const EventRow& row : r.rows) {
    order.push_back(row.competitor.number);
    places.push_back(row.place);
  }
  EXPECT_EQ(order, (std::vector<unsigned>{2, 1, 3, 4, 5}));
  EXPECT_EQ(places, (std::vector<int>{1, 2, 3, 3, 5}));
  EXPECT_FALSE(r.rows[0].tie);
  EXPECT_TRUE(r.rows[2].tie);
  EXPECT_TRUE(r.rows[3].tie);
  EXPECT_DOUBLE_EQ(*RowOf(r, 5).score, 100.0);
  EXPECT_EQ(RowOf(r, 5).flights.back().status, QStringLiteral("changed"));
  // Teams: the best three of a nation, summed; a nation with fewer comes after.
  ASSERT_EQ(r.teams.size(), 2u);
  EXPECT_EQ(r.teams[0].team, QStringLiteral("POL"));
  EXPECT_DOUBLE_EQ(r.teams[0].score, 1180.0);
  EXPECT_TRUE(r.teams[0].complete);
  EXPECT_FALSE(r.teams[1].complete);
}

TEST(RuleEngine, SumsScaleAndLengthRulesAndTheOpenEventOfAnOldFolder) {
  {
    Contest c(QStringLiteral("B"), QStringLiteral("best-of"));
    c.Register(1, QStringLiteral("A"));
    c.Enter(QStringLiteral("B"), 1);
    c.Fly(QStringLiteral("B"), 1, 1, 100.0f);
    c.Fly(QStringLiteral("B"), 2, 1, 300.0f);
    c.Fly(QStringLiteral("B"), 3, 1, 200.0f);
    const EventResults r = c.Score(Pack(QStringLiteral("best-of"), {{"best", "2"}}));
    EXPECT_DOUBLE_EQ(*r.rows[0].score, 500.0);
    int counted = 0;
    for (const FlightCell& f : r.rows[0].flights) counted += f.counted;
    EXPECT_EQ(counted, 2);
  }
  {
    Contest c(QStringLiteral("SA"), QStringLiteral("nar-scale-altitude"));
    c.Register(1, QStringLiteral("A"));
    c.Register(2, QStringLiteral("B"));
    c.Enter(QStringLiteral("SA"), 1, {{kStaticPointsKey, 412.5}, {kFlightPointsKey, 50}});
    c.Fly(QStringLiteral("SA"), 1, 1, 120.3f);
    c.Fly(QStringLiteral("SA"), 1, 2, 500.0f);  // no static points: no score
    const EventResults r = c.Score(Pack(QStringLiteral("nar-scale-altitude")));
    EXPECT_NEAR(*RowOf(r, 1).score, 582.8, 1e-9);
    EXPECT_FALSE(RowOf(r, 2).score);
    EXPECT_EQ(RowOf(r, 2).remarks.back().kind, RemarkKind::NoEntryValue);
  }
  {
    Contest c(QStringLiteral("SR"), QStringLiteral("nar-superroc"));
    c.Register(1, QStringLiteral("A"));
    c.Enter(QStringLiteral("SR"), 1, {{kLengthKey, 120}});
    c.Fly(QStringLiteral("SR"), 1, 1, 150.0f);
    EXPECT_DOUBLE_EQ(*c.Score(Pack(QStringLiteral("nar-superroc"))).rows[0].score, 18000.0);
    // The class's maximum length caps what counts.
    EXPECT_DOUBLE_EQ(*c.Score(Pack(QStringLiteral("nar-superroc"), {{"max_length_cm", "100"}})).rows[0].score,
                     15000.0);
  }
  {
    // A folder from before events: every flight in one event, the best of each competitor.
    ContestBook book;
    std::vector<FlightRecord> flights(4);
    const float apogees[] = {380.5f, 277.7f, 690.4f, 380.5f};
    const unsigned who[] = {4, 4, 30, 20};
    for (int k = 0; k < 4; ++k) {
      flights[k].file = QStringLiteral("f%1.hyp").arg(k);
      flights[k].competitor = who[k];
      flights[k].apogeeM = apogees[k];
    }
    flights[1].reasons = ReasonNotInLog | ReasonNoLog;  // still rankable without a log
    const EventResults r = ScoreOpenEvent(book, flights);
    EXPECT_EQ(r.event, QStringLiteral("open"));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].competitor.number, 30u);
    EXPECT_EQ(r.rows[1].place, 2);
    EXPECT_EQ(r.rows[2].place, 2);  // 4 and 20 share 380.5, as the folder ranked them before
    EXPECT_TRUE(r.rows[1].tie);
    EXPECT_DOUBLE_EQ(*RowOf(r, 4).score, 380.5);
  }
}

TEST(LatinLetters, FoldsPolishAndCyrillicNamesForFormatsThatAskForLatinLetters) {
  EXPECT_EQ(LatinLetters(QStringLiteral("Łukasz Żółć")), QStringLiteral("Lukasz Zolc"));
  EXPECT_EQ(LatinLetters(QStringLiteral("Ærøskøbing Straße")), QStringLiteral("Aeroskobing Strasse"));
  EXPECT_EQ(LatinLetters(QStringLiteral("Жуков Юрий")), QStringLiteral("Zhukov Yuriy"));
  EXPECT_EQ(LatinLetters(QStringLiteral("O'Neil-Smith 3")), QStringLiteral("O'Neil-Smith 3"));
}

}  // namespace
}  // namespace hypsor
