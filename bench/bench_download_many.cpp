// SPDX-License-Identifier: GPL-3.0-or-later
// A thousand downloads of the 9000-byte sample flight in one process from the simulated altimeter
// without pacing: every one must succeed, and the process's peak memory after the last may be at
// most 1 MB above its peak after the tenth (nothing kept per download, nothing leaked).
// The protocol's waits run on a clock 5 times faster than the real one, so the settle steps and
// polls keep their order and proportions (250 ms steps become 50 ms) while a thousand sessions
// take minutes rather than twenty.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include "device/DeviceChannel.h"
#include "device/Sessions.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace {

constexpr int kDownloads = 1000;
constexpr int kSpeedUp = 5;

class QuickClock final : public hypsor::Clock {
 public:
  void Pause(int ms) override { real_.Pause(ms / kSpeedUp); }
  std::int64_t NowMs() const override { return real_.NowMs() * kSpeedUp; }

 private:
  hypsor::RealClock real_;
};

// Peak resident memory of this process so far, in kB (VmHWM).
long PeakKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return -1;
}

void BM_ThousandDownloads(benchmark::State& state) {
  QProcess sim;
  sim.start(QStringLiteral(HYPSOR_SIM_PATH),
            {QStringLiteral("--no-pacing"), QStringLiteral("--flight"),
             QStringLiteral(HYPSOR_EXAMPLES_DIR "/flight-50hz-9000.hyp")});
  if (!sim.waitForStarted(5000)) return state.SkipWithError("simulator did not start");
  while (!sim.canReadLine())
    if (!sim.waitForReadyRead(5000)) return state.SkipWithError("simulator gave no port");
  const QString port = QString::fromUtf8(sim.readLine()).trimmed();

  hypsor::SerialPort line;
  QuickClock clock;
  hypsor::DeviceChannel channel(line, clock);
  int done = 0;
  long afterTenth = 0;
  for (auto _ : state) {
    const hypsor::DownloadResult r = hypsor::RunDownload(channel, port);
    if (r.outcome != hypsor::DownloadOutcome::Ok || r.DownloadByteCount != 9000 ||
        !r.endMarkerSeen) {
      const QString why =
          QStringLiteral("download %1 failed: outcome %2, %3 bytes, %4 polls, fault %5")
              .arg(done + 1)
              .arg(static_cast<int>(r.outcome))
              .arg(r.DownloadByteCount)
              .arg(r.polls)
              .arg(static_cast<int>(r.fault));
      state.SkipWithError(why.toUtf8().constData());
      break;
    }
    if (++done == 10) afterTenth = PeakKb();
  }
  const long afterLast = PeakKb();
  sim.terminate();
  sim.waitForFinished(3000);
  state.counters["downloads_ok"] = done;
  state.counters["peak_kb_after_10"] = static_cast<double>(afterTenth);
  state.counters["peak_kb_after_last"] = static_cast<double>(afterLast);
  state.counters["growth_kb"] = static_cast<double>(afterLast - afterTenth);
  if (done == kDownloads && afterLast - afterTenth > 1024)
    state.SkipWithError("peak memory grew by more than 1 MB");
}
BENCHMARK(BM_ThousandDownloads)
    ->Iterations(kDownloads)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
