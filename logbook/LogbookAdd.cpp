// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/LogbookAdd.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "contest/ContestNames.h"
#include "flight/Filters.h"

namespace hypsor {

namespace {

// Files read between two writes: small enough that another writer waits well under a second,
// large enough that a transaction's cost is spread.
constexpr int kBatch = 256;

// Runs read(k, work) for k in [0, n) on every core, each thread with its own filter tables.
// Plain functions on plain data: nothing here touches the logbook or a widget.
void OnAllCores(int n, const std::function<void(int, FilterTables&)>& read) {
  const int threads =
      std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, std::max(1, n));
  std::atomic<int> next{0};
  auto worker = [&] {
    auto work = std::make_unique<FilterTables>();
    for (int k = next++; k < n; k = next++) read(k, *work);
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
}

}  // namespace

QStringList CollectFlightFiles(const QStringList& paths) {
  QStringList files;
  for (const QString& path : paths) {
    if (!QFileInfo(path).isDir()) {
      files << path;
      continue;
    }
    QStringList found;
    QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString file = it.next();
      if (IsFlightFileName(it.fileName())) found << file;
    }
    found.sort();
    files << found;
  }
  return files;
}

bool AddToLogbook(Logbook& logbook, const QStringList& paths, const LogbookTags& tags,
                  const LogbookProgress& progress, LogbookAddOutcome& outcome, Failure* error) {
  outcome = {};
  const QStringList files = CollectFlightFiles(paths);
  const int total = static_cast<int>(files.size());
  if (progress && !progress(0, total)) {
    outcome.cancelled = true;
    return true;
  }
  for (int start = 0; start < total; start += kBatch) {
    const int n = std::min(kBatch, total - start);
    std::vector<LogbookFlight> read(static_cast<std::size_t>(n));
    std::vector<Failure> failures(static_cast<std::size_t>(n));
    std::vector<char> ok(static_cast<std::size_t>(n), 0);
    OnAllCores(n, [&](int k, FilterTables& work) {
      const auto i = static_cast<std::size_t>(k);
      ok[i] = ReadLogbookFlight(files[start + k], read[i], work, &failures[i]);
    });
    std::vector<LogbookFlight> flights;
    for (std::size_t i = 0; i < read.size(); ++i) {
      if (ok[i])
        flights.push_back(std::move(read[i]));
      else
        outcome.refused.push_back(std::move(failures[i]));
    }
    std::vector<bool> added;
    if (!logbook.Put(flights, tags, added, error)) return false;
    for (bool a : added) ++(a ? outcome.added : outcome.known);
    if (progress && !progress(start + n, total)) {
      outcome.cancelled = start + n < total;
      break;
    }
  }
  return true;
}

bool RebuildLogbook(Logbook& logbook, const LogbookProgress& progress,
                    LogbookRebuildOutcome& outcome, Failure* error) {
  outcome = {};
  std::vector<LogbookEntry> entries;
  if (!logbook.List(LogbookFilter{}, entries, error)) return false;
  const int total = static_cast<int>(entries.size());
  if (progress && !progress(0, total)) {
    outcome.cancelled = true;
    return true;
  }
  for (int start = 0; start < total; start += kBatch) {
    const int n = std::min(kBatch, total - start);
    std::vector<Logbook::Reread> results(static_cast<std::size_t>(n));
    std::vector<Failure> failures(static_cast<std::size_t>(n));
    std::vector<char> unreadable(static_cast<std::size_t>(n), 0);
    OnAllCores(n, [&](int k, FilterTables& work) {
      const auto i = static_cast<std::size_t>(k);
      const LogbookFlight& known = entries[static_cast<std::size_t>(start + k)].flight;
      Logbook::Reread& r = results[i];
      r.sha256 = known.sha256;
      if (!QFileInfo::exists(known.path)) {
        r.found = Logbook::Found::Missing;
      } else if (!ReadLogbookFlight(known.path, r.flight, work, &failures[i])) {
        // A file that is there but cannot be read now may be readable later: left alone,
        // unless it became something that is no flight (then its bytes are not the flight's).
        if (failures[i].kind == FailureKind::OpenFile || failures[i].kind == FailureKind::ReadFile)
          unreadable[i] = 1;
        else
          r.found = Logbook::Found::Changed;
      } else if (r.flight.sha256 != known.sha256) {
        r.found = Logbook::Found::Changed;
      }
    });
    std::vector<Logbook::Reread> write;
    for (std::size_t i = 0; i < results.size(); ++i) {
      const QString& path = entries[static_cast<std::size_t>(start) + i].flight.path;
      if (unreadable[i]) {
        outcome.unreadable.push_back(std::move(failures[i]));
        continue;
      }
      switch (results[i].found) {
        case Logbook::Found::Same: ++outcome.reread; break;
        case Logbook::Found::Missing: outcome.missing << path; break;
        case Logbook::Found::Changed: outcome.changed << path; break;
      }
      write.push_back(std::move(results[i]));
    }
    if (!logbook.Mark(write, error)) return false;
    if (progress && !progress(start + n, total)) {
      outcome.cancelled = start + n < total;
      break;
    }
  }
  return true;
}

}  // namespace hypsor
