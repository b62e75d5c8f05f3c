// SPDX-License-Identifier: GPL-3.0-or-later
// A contest folder at the end of a long day: 1000 flight files. Reading them all into the ranking
// (what `hypsor-cli results` and "Rebuild results" do) and verifying the folder (every file's
// digest against the log, results.csv against both) have to stay under 1 s, and keeping one more
// download with its log record and results row under 50 ms, in a Release build.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "contest/ContestNames.h"
#include "contest/ContestSession.h"
#include "contest/FolderCheck.h"
#include "contest/Ranking.h"
#include "flight/Filters.h"
#include "text/FailureText.h"
#include "text/VerifyReport.h"

using namespace hypsor;

namespace {

constexpr int kFiles = 1000;

QByteArray Example(const char* name) {
  QFile f(QStringLiteral(HYPSOR_EXAMPLES_DIR "/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The sample flights in turn, each under another competitor (200 of them, 5 flights each) and
// serial, named as a session names them, a minute apart.
void FillFolder(const QString& folder) {
  const QByteArray flights[] = {Example("sample-flight.hyp"), Example("flight-1hz.hyp"),
                                Example("flight-25hz-plateaus.hyp"),
                                Example("flight-50hz-9000.hyp"), Example("flight-spike.hyp")};
  const QDateTime start(QDate(2026, 5, 17), QTime(8, 0, 0));
  for (int k = 0; k < kFiles; ++k) {
    QByteArray bytes = flights[k % 5];
    const int competitor = k % 200 + 1;
    const int serial = 1000 + k;
    bytes[2] = static_cast<char>(competitor);
    bytes[3] = static_cast<char>(serial & 0xFF);
    bytes[4] = static_cast<char>(serial >> 8);
    QFile f(QDir(folder).filePath(ContestFileName(competitor, serial, start.addSecs(60 * k), 1)));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
  }
}

void BM_ResultsOf1000Files(benchmark::State& state) {
  QTemporaryDir dir;
  FillFolder(dir.path());
  for (auto _ : state) {
    const FolderScan scan = ScanContestFolder(dir.path());
    if (scan.flights.size() != kFiles) state.SkipWithError("not every file was read");
    std::vector<RankingRow> ranking = RankCompetitors(scan.flights);
    benchmark::DoNotOptimize(ranking);
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ResultsOf1000Files)->Unit(benchmark::kMillisecond)->Iterations(5);

// `hypsor-cli verify` of the folder once every flight is in its log and results.csv.
void BM_Verify1000(benchmark::State& state) {
  QTemporaryDir dir;
  FillFolder(dir.path());
  {
    // An empty log: the rebuild records every flight in it.
    QFile log(QDir(dir.path()).filePath(QLatin1String(ContestLogFileName)));
    if (!log.open(QIODevice::WriteOnly)) std::abort();
  }
  ContestSession session;
  Failure error;
  if (!session.Start(dir.path(), QStringLiteral("Bench Cup"), &error) ||
      !session.RebuildResults(&error))
    std::abort();
  FilterTables work;
  for (auto _ : state) {
    const ContestCheck check = CheckContestFolder(dir.path(), work, true);
    if (check.flights.size() != kFiles || !check.notes.empty())
      state.SkipWithError("not every flight was checked");
    benchmark::DoNotOptimize(VerifyWorst(check));
    benchmark::DoNotOptimize(VerifyReport(check, kEnglish));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_Verify1000)->Unit(benchmark::kMillisecond)->Iterations(5);

// One download kept in a folder that already holds 1000 flights and their table: the flight file
// and the rewritten results.csv, both flushed to the disk.
void BM_KeepDownloadBeside1000(benchmark::State& state) {
  QTemporaryDir dir;
  FillFolder(dir.path());
  ContestSession session;
  Failure error;
  if (!session.Start(dir.path(), QStringLiteral("Bench Cup"), &error)) std::abort();
  const QByteArray bytes = Example("sample-flight.hyp");
  const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           static_cast<std::size_t>(bytes.size()));
  QDateTime when(QDate(2026, 5, 18), QTime(8, 0, 0));
  for (auto _ : state) {
    when = when.addSecs(1);
    if (session.KeepDownload(span, when, nullptr, &error) != KeepOutcome::Kept)
      state.SkipWithError("keep failed");
  }
}
BENCHMARK(BM_KeepDownloadBeside1000)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
