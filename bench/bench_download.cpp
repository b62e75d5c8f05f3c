// SPDX-License-Identifier: GPL-3.0-or-later
// A whole download of the largest flight a file holds (9000 bytes) from the simulated altimeter
// at the real line rate (11 bits a byte at 115200 baud: 0.86 s on the wire): the session alone,
// and from the press of "Read Hypsor" to the drawn curve. The protocol's own waits set a floor:
// the settle waits of the status and calibration queries, and the 300 ms poll step at which the
// last byte has arrived. A settle wait sleeps 250 ms steps until the count stops growing; the
// reply comes after the first count (the altimeter answers once the frame is in), so each query
// settles in two steps: 4 x 250 ms in all. The counters report the floor and our overhead.
#include <benchmark/benchmark.h>

#include "bench/GuiBenchMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>

#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "device/Sessions.h"
#include "files/SettingsFile.h"
#include "platform/DocumentOpener.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "ui/AppWindows.h"

namespace {

constexpr int kSettleSteps = 4;  // two queries, two 250 ms steps each
constexpr int kSettleMs = 250;
constexpr int kPollMs = 300;

// The simulated altimeter carrying the 9000-byte sample flight, paced at the line rate.
class Simulator {
 public:
  Simulator() {
    process_.start(
        QStringLiteral(HYPSOR_SIM_PATH),
        {QStringLiteral("--flight"), QStringLiteral(HYPSOR_EXAMPLES_DIR "/flight-50hz-9000.hyp")});
    if (!process_.waitForStarted(5000)) std::abort();
    while (!process_.canReadLine())
      if (!process_.waitForReadyRead(5000)) std::abort();
    port_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~Simulator() {
    process_.terminate();
    process_.waitForFinished(3000);
  }
  QString Port() const { return port_; }

 private:
  QProcess process_;
  QString port_;
};

void ReportFloor(benchmark::State& state, double totalMs, int polls, int runs) {
  const double floorMs = kSettleSteps * kSettleMs + polls * kPollMs;
  const double meanMs = totalMs / runs;
  state.counters["floor_ms"] = floorMs;
  state.counters["mean_ms"] = meanMs;
  state.counters["overhead_pct"] = 100.0 * (meanMs - floorMs) / floorMs;
}

void BM_DownloadSession(benchmark::State& state) {
  Simulator sim;
  hypsor::DeviceChannel channel;
  double totalMs = 0;
  int polls = 0, runs = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    const hypsor::DownloadResult r = hypsor::RunDownload(channel, sim.Port());
    totalMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (r.outcome != hypsor::DownloadOutcome::Ok || r.DownloadByteCount != 9000) {
      state.SkipWithError("download failed");
      return;
    }
    polls = r.polls;
    ++runs;
  }
  ReportFloor(state, totalMs, polls, runs);
}
BENCHMARK(BM_DownloadSession)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same session recording a communication log: every frame and read goes into it.
void BM_DownloadSessionLogged(benchmark::State& state) {
  Simulator sim;
  hypsor::DeviceChannel channel;
  hypsor::CommunicationLog log;
  channel.SetLog(&log);
  double totalMs = 0;
  int polls = 0, runs = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    const hypsor::DownloadResult r = hypsor::RunDownload(channel, sim.Port());
    totalMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (r.outcome != hypsor::DownloadOutcome::Ok || r.DownloadByteCount != 9000) {
      state.SkipWithError("download failed");
      return;
    }
    polls = r.polls;
    ++runs;
  }
  state.counters["log_reads"] = log.Reads();
  ReportFloor(state, totalMs, polls, runs);
}
BENCHMARK(BM_DownloadSessionLogged)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one logged read costs, with the 16-byte chunks the line delivers; a full log of 20000
// reads is kept throughout, so entries are dropped as they are added.
void BM_LogRead(benchmark::State& state) {
  hypsor::CommunicationLog log;
  const std::uint8_t chunk[16] = {};
  for (int i = 0; i < hypsor::CommunicationLog::MaxReads; ++i) log.Read(chunk, 16, 0);
  for (auto _ : state) log.Read(chunk, 16, 0);
  state.counters["reads_kept"] = log.Reads();
}
BENCHMARK(BM_LogRead);

// Boxes are not expected; dialogs and documents are not used.
struct QuietBoxes : hypsor::MessageBoxService {
  hypsor::BoxResult Show(const QString&, const QString&, hypsor::BoxButtons,
                         hypsor::BoxKind) override {
    ++shown;
    return hypsor::BoxResult::Ok;
  }
  int shown = 0;
};
struct NoDialogs : hypsor::FileDialogService {
  QString OpenFileName(const FileRequest&) override { return {}; }
  QString SaveFileName(const FileRequest&) override { return {}; }
};
struct NoDocuments : hypsor::DocumentOpener {
  bool Open(const QString&) override { return false; }
};

void BM_ReadHypsorToDrawnCurve(benchmark::State& state) {
  Simulator sim;
  QuietBoxes boxes;
  NoDialogs dialogs;
  NoDocuments documents;
  const QString settings = QDir::temp().filePath(QStringLiteral("hypsor-bench.par"));
  auto windows = hypsor::CreateWindows({boxes, dialogs, documents}, settings);
  hypsor::MainWindow& w = *windows->main;
  hypsor::SetPortName(w.Workspace().Settings(), sim.Port());
  w.resize(1280, 800);
  w.show();
  QApplication::processEvents();

  // The poll at which the last byte arrives, from a session run on the same line.
  const hypsor::DownloadResult probe = hypsor::RunDownload(w.Channel(), sim.Port());
  double totalMs = 0;
  int runs = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    w.findChild<QPushButton*>(QStringLiteral("readButton"))->click();
    QApplication::processEvents();  // the curve painted
    totalMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    ++runs;
  }
  if (boxes.shown != 0 || w.Workspace().DownloadByteCount() != 9000)
    state.SkipWithError("download failed");
  ReportFloor(state, totalMs, probe.polls, runs);
  QFile::remove(settings);
}
BENCHMARK(BM_ReadHypsorToDrawnCurve)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

HYPSOR_GUI_BENCHMARK_MAIN()
