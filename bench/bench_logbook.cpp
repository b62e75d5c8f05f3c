// SPDX-License-Identifier: GPL-3.0-or-later
// A season's logbook of 10,000 flights, in a Release build: adding them all from nested folders
// (files read on every core) within 30 s on two cores, a filtered list within 50 ms, and the
// statistics per rocket within 100 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "contest/ContestNames.h"
#include "logbook/Logbook.h"
#include "logbook/LogbookAdd.h"

using namespace hypsor;

namespace {

constexpr int kFlights = 10000;
const char* const kRockets[] = {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"};

QByteArray Example(const char* name) {
  QFile f(QStringLiteral(HYPSOR_EXAMPLES_DIR "/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The sample flights in turn under other competitors and serials, a folder a month and a
// subfolder a day, named as a contest keeps them.
void FillSeason(const QString& root) {
  const QByteArray flights[] = {Example("sample-flight.hyp"), Example("flight-1hz.hyp"),
                                Example("flight-25hz-plateaus.hyp"),
                                Example("flight-50hz-9000.hyp"), Example("flight-spike.hyp")};
  const QDateTime start(QDate(2026, 3, 1), QTime(8, 0, 0));
  for (int k = 0; k < kFlights; ++k) {
    QByteArray bytes = flights[k % 5];
    const int competitor = k % 200 + 1;
    const int serial = k;
    bytes[2] = static_cast<char>(competitor);
    bytes[3] = static_cast<char>(serial & 0xFF);
    bytes[4] = static_cast<char>(serial >> 8);
    const QDateTime when = start.addSecs(k * 1500);
    const QString folder = root + when.toString(QStringLiteral("/yyyy-MM/dd"));
    QDir().mkpath(folder);
    QFile f(QDir(folder).filePath(ContestFileName(competitor, serial, when, 1)));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
  }
}

struct Season {
  QTemporaryDir dir;
  QString Flights() const { return dir.filePath(QStringLiteral("flights")); }
  QString Db() const { return dir.filePath(QStringLiteral("logbook.sqlite")); }
  Season() { FillSeason(Flights()); }
};

Season& TheSeason() {
  static Season season;
  return season;
}

// A logbook of the whole season, each fifth tagged with one rocket.
void FillLogbook(Logbook& book) {
  for (int r = 0; r < 5; ++r) {
    LogbookTags tags;
    tags.rocket = QLatin1String(kRockets[r]);
    tags.motor = QStringLiteral("D12");
    QStringList months;
    for (int m = 0; m < 12; ++m)
      if (r == m % 5) months << TheSeason().Flights() + QStringLiteral("/2026-%1").arg(m + 1, 2, 10, QLatin1Char('0'));
    LogbookAddOutcome outcome;
    if (!AddToLogbook(book, months, tags, {}, outcome, nullptr)) std::abort();
  }
}

void BM_Add10000(benchmark::State& state) {
  Season& season = TheSeason();
  for (auto _ : state) {
    QFile::remove(season.Db());
    QFile::remove(season.Db() + QStringLiteral("-wal"));
    QFile::remove(season.Db() + QStringLiteral("-shm"));
    Logbook book;
    Failure error;
    LogbookAddOutcome outcome;
    if (!book.Open(season.Db(), &error) ||
        !AddToLogbook(book, {season.Flights()}, {}, {}, outcome, &error) ||
        outcome.added != kFlights)
      state.SkipWithError("not every flight was added");
  }
  state.SetItemsProcessed(state.iterations() * kFlights);
}
BENCHMARK(BM_Add10000)->Unit(benchmark::kMillisecond)->Iterations(2);

// As `hypsor-cli logbook list --rocket Beta --from ... --min-apogee 300` runs it: opening
// included.
void BM_ListFiltered(benchmark::State& state) {
  Season& season = TheSeason();
  {
    QFile::remove(season.Db());
    Logbook book;
    if (!book.Open(season.Db(), nullptr)) std::abort();
    FillLogbook(book);
  }
  std::size_t found = 0;
  for (auto _ : state) {
    Logbook book;
    std::vector<LogbookEntry> rows;
    LogbookFilter filter;
    filter.rocket = QStringLiteral("Beta");
    filter.from = QDate(2026, 4, 1);
    filter.minApogeeM = 300;
    if (!book.Open(season.Db(), nullptr) || !book.List(filter, rows, nullptr))
      state.SkipWithError("list failed");
    found = rows.size();
  }
  state.counters["flights"] = static_cast<double>(found);
}
BENCHMARK(BM_ListFiltered)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StatsByRocket(benchmark::State& state) {
  Season& season = TheSeason();
  for (auto _ : state) {
    Logbook book;
    std::vector<LogbookGroup> groups;
    if (!book.Open(season.Db(), nullptr) ||
        !book.Statistics(LogbookGrouping::Rocket, groups, nullptr) || groups.size() != 5)
      state.SkipWithError("stats failed");
  }
}
BENCHMARK(BM_StatsByRocket)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StatsByMonth(benchmark::State& state) {
  Season& season = TheSeason();
  for (auto _ : state) {
    Logbook book;
    std::vector<LogbookGroup> groups;
    if (!book.Open(season.Db(), nullptr) ||
        !book.Statistics(LogbookGrouping::Month, groups, nullptr))
      state.SkipWithError("stats failed");
  }
}
BENCHMARK(BM_StatsByMonth)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
