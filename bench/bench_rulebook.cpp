// SPDX-License-Identifier: GPL-3.0-or-later
// A championship's results: 500 competitors in 3 events of 3 rounds, 4,500 flights, with
// predictions, static points and a few jury decisions. Reading the contest from its log and
// scoring every event, and writing the spreadsheet, each have to stay under 1 s in a Release
// build.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "contest/ContestBook.h"
#include "contest/ContestLog.h"
#include "contest/EventScoring.h"
#include "contest/RulePack.h"
#include "session/ResultsExports.h"
#include "text/FailureText.h"

#include <cstdio>

using namespace hypsor;

namespace {

constexpr int kCompetitors = 500;
constexpr int kRounds = 3;
const QString kEvents[] = {QStringLiteral("PA"), QStringLiteral("S1B"), QStringLiteral("S5C")};
const QString kPacks[] = {QStringLiteral("nar-precision-altitude"), QStringLiteral("fai-s1"),
                          QStringLiteral("fai-s5")};

struct Championship {
  QTemporaryDir dir;
  std::map<QString, RulePack> packs;
  std::vector<FlightRecord> flights;
};

// The contest written into a log as the program writes it, line by line.
Championship& Contest() {
  static Championship c;
  static bool made = false;
  if (made) return c;
  made = true;
  Failure error;
  auto check = [&error](bool ok) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", qPrintable(FailureText(error, kEnglish)));
    std::abort();
  };
  check(LoadRulePacks(QStringLiteral(HYPSOR_EXAMPLES_DIR "/../rules"), c.packs, &error));
  ContestLog log;
  log.lastLineSha256 = ChainStart();
  std::vector<LogEntry> lines;
  auto line = [&](const char* kind, std::initializer_list<std::pair<const char*, QString>> fields) {
    LogEntry e;
    e.kind = QLatin1String(kind);
    for (const auto& [k, v] : fields) e.Set(QLatin1String(k), v);
    lines.push_back(e);
  };
  for (int e = 0; e < 3; ++e)
    line("event", {{"id", kEvents[e]}, {"pack", kPacks[e]}, {"pack_sha256", QString(64, u'0')},
                   {"parameters", e == 0 ? QString() : QStringLiteral("rounds=3")}});
  static const QString nations[] = {QStringLiteral("POL"), QStringLiteral("CZE"),
                                    QStringLiteral("SVK"), QStringLiteral("UKR")};
  for (int n = 1; n <= kCompetitors; ++n) {
    line("competitor", {{"number", QString::number(n)}, {"name", QStringLiteral("Zawodnik Żółć %1").arg(n)},
                        {"nation", nations[n % 4]}, {"licence", QStringLiteral("L-%1").arg(n)}});
    line("entry", {{"event", kEvents[0]}, {"competitor", QString::number(n)}, {"target", QString::number(150 + n % 100)}});
    line("entry", {{"event", kEvents[1]}, {"competitor", QString::number(n)}});
    line("entry", {{"event", kEvents[2]}, {"competitor", QString::number(n)}, {"static_points", QString::number(300 + n % 200)}});
  }
  check(AppendLogLines(c.dir.path(), log, {}, std::move(lines), &error));
  // The flights, each recorded and assigned; every 50th is ruled no-data and flown again.
  std::vector<LogRecord> records;
  lines.clear();
  int k = 0;
  for (int round = 1; round <= kRounds; ++round)
    for (int e = 0; e < 3; ++e)
      for (int n = 1; n <= kCompetitors; ++n, ++k) {
        const int rounds = e == 0 ? 1 : kRounds;
        FlightRecord f;
        f.file = QStringLiteral("C%1_S%2_%3.hyp").arg(n).arg(k).arg(round);
        f.competitor = static_cast<unsigned>(n);
        f.apogeeM = static_cast<float>(100 + (k * 37) % 400) + 0.1f * static_cast<float>(k % 10);
        f.complete = true;
        c.flights.push_back(f);
        LogRecord r;
        r.file = f.file;
        r.sha256 = QString(64, u'a');
        r.competitor = f.competitor;
        r.complete = true;
        records.push_back(r);
        line("assign", {{"file", f.file}, {"event", kEvents[e]}, {"round", QString::number(std::min(round, rounds))}});
        if (k % 50 == 0)
          line("decision", {{"file", f.file}, {"status", QStringLiteral("no-data")}, {"by", QStringLiteral("Jury")}});
      }
  check(AppendLogLines(c.dir.path(), log, std::move(records), std::move(lines), &error));
  return c;
}

std::vector<EventResults> ScoreAll(const Championship& c, const ContestBook& book) {
  std::vector<EventResults> all;
  for (const ContestEvent& e : book.events) {
    RulePack pack;
    Failure error;
    if (!EventPack(e, c.packs, pack, &error)) {
      std::fprintf(stderr, "%s\n", qPrintable(FailureText(error, kEnglish)));
      std::abort();
    }
    all.push_back(ScoreEvent(book, e, pack, c.flights));
  }
  return all;
}

// From the log's bytes to every event's results: what each results view and export does first.
void BM_ResultsOf4500Flights(benchmark::State& state) {
  Championship& c = Contest();
  for (auto _ : state) {
    ContestLog log;
    if (!ReadContestLog(c.dir.path(), log, nullptr)) state.SkipWithError("log unreadable");
    const ContestBook book = ReadContestBook(log);
    std::vector<EventResults> all = ScoreAll(c, book);
    if (all.size() != 3 || all[1].rows.size() != kCompetitors) state.SkipWithError("wrong results");
    benchmark::DoNotOptimize(all);
  }
}
BENCHMARK(BM_ResultsOf4500Flights)->Unit(benchmark::kMillisecond);

void BM_WorkbookOf4500Flights(benchmark::State& state) {
  Championship& c = Contest();
  ContestLog log;
  ReadContestLog(c.dir.path(), log, nullptr);
  const ContestBook book = ReadContestBook(log);
  const std::vector<EventResults> all = ScoreAll(c, book);
  const QString path = QDir(c.dir.path()).filePath(QStringLiteral("results.xlsx"));
  for (auto _ : state) {
    if (!WriteResultsWorkbook(path, QStringLiteral("Mistrzostwa"), all, book, 1, nullptr))
      state.SkipWithError("not written");
  }
}
BENCHMARK(BM_WorkbookOf4500Flights)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
