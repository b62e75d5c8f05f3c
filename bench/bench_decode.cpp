// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding the largest flight a file holds: 9000 bytes, 4484 samples (the 50-per-second example
// with its end marker replaced by one more sample), with and without the acceleration curve.
// Target: well below 1 ms per decoding in a Release build.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "files/FlightFile.h"
#include "flight/Decode.h"

namespace {

const hypsor::Flight& LargestFlight() {
  static const hypsor::Flight flight = [] {
    hypsor::Flight f;
    const QString path = QStringLiteral(HYPSOR_EXAMPLES_DIR "/flight-50hz-9000.hyp");
    if (hypsor::LoadFlightFile(path, f).status != hypsor::FlightFileStatus::Ok ||
        f.SampleCount != 4484) {
      std::fprintf(stderr, "cannot load %s as a 4484-sample flight\n", qPrintable(path));
      std::exit(1);
    }
    f.bytes[8998] = f.bytes[8996];  // the end marker becomes a sample: all 4484 are decoded
    f.bytes[8999] = f.bytes[8997];
    return f;
  }();
  return flight;
}

void BM_DecodeLargestFlight(benchmark::State& state) {
  const hypsor::Flight& f = LargestFlight();
  const hypsor::DecodeOptions options{true, state.range(0) != 0};
  for (auto _ : state) {
    hypsor::DecodedFlight d = hypsor::DecodeFlight(f, f.SampleCount, options);
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations() * f.SampleCount);
}
BENCHMARK(BM_DecodeLargestFlight)
    ->ArgName("acceleration")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
