// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-make-examples: writes the sample flights of examples/ from a simple flight model and the
// standard atmosphere. Deterministic: the same build writes the same bytes. A tool of the test
// build only (HYPSOR_TESTS), not shipped. From the source tree, after scripts/test has built it:
//   build-test/tests/tools/hypsor-make-examples examples
// Exit status 0, 1 for wrong arguments, 2 when a file cannot be written.
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "cli/Commands.h"
#include "files/FlightFile.h"
#include "text/FailureText.h"

namespace hypsor {

namespace {

struct ExampleFlight {
  const char* file;
  unsigned code;         // sampling code, header byte 7
  unsigned competitor;   // byte 2
  unsigned serial;       // bytes 3-4
  unsigned temperature;  // bytes 5-6, degrees Celsius
  unsigned calibration;  // bytes 8-9
  double groundAsl;      // metres above sea level of the launch site
  double groundBefore;   // seconds on the pad before the launch
  double boostAccel;     // m/s^2 during the motor burn
  double boostTime;      // seconds of burn
  double descentRate;    // m/s under the parachute
  double groundAfter;    // seconds on the ground after landing
  double noise;          // peak-to-peak sensor noise in counts
  int hold;              // each raw value is repeated this many times (plateaus); 1 for none
  int spikeAt;           // sample index of a spike, or -1
  int spikeCounts;       // added to the raw value there (and the opposite a bit later)
  int exactBytes;        // when > 0: samples are added until the file has exactly this size
  int trailingBytes;     // bytes of 0xFF received after the end marker
  std::uint32_t seed;
};

constexpr ExampleFlight kExamples[] = {
    // The default flight of the simulated altimeter: 10 samples per second, about 380 m.
    {"sample-flight.hyp", 3, 7, 1234, 18, 10000, 180.0, 1.0, 60.0, 1.5, 5.0, 3.0, 1.2, 1, -1, 0, 0,
     0, 11u},
    // 50 samples per second, exactly 9000 bytes: the longest flight a file holds.
    {"flight-50hz-9000.hyp", 0, 12, 2051, 22, 10150, 420.0, 1.0, 55.0, 1.5, 7.0, 0.0, 0.8, 1, -1, 0,
     9000, 0, 23u},
    // 25 samples per second with the sensor updating every third sample: plateaus.
    {"flight-25hz-plateaus.hyp", 1, 3, 877, 15, 9850, 90.0, 0.8, 70.0, 1.2, 7.0, 2.0, 0.0, 3, -1, 0,
     0, 0, 37u},
    // 1 sample per second, a slow descent.
    {"flight-1hz.hyp", 5, 41, 3310, 25, 10300, 650.0, 2.0, 80.0, 1.5, 3.0, 6.0, 0.5, 1, -1, 0, 0, 0,
     41u},
    // 5 samples per second with a spike in the descent, and bytes received after the end marker.
    {"flight-spike.hyp", 4, 9, 1502, 12, 10000, 300.0, 1.0, 55.0, 1.4, 5.5, 3.0, 1.0, 1, 120, -260,
     0, 6, 53u},
};

// Altitude above the pad in metres at time t of the model flight; landed() tells whether the
// flight is over.
struct FlightModel {
  const ExampleFlight& e;
  static constexpr double g = 9.80665;
  double Altitude(double t) const {
    const double tl = t - e.groundBefore;  // time since launch
    if (tl <= 0) return 0.0;
    const double vb = e.boostAccel * e.boostTime;
    if (tl <= e.boostTime) return 0.5 * e.boostAccel * tl * tl;
    const double hb = 0.5 * e.boostAccel * e.boostTime * e.boostTime;
    const double decel = 1.35 * g;  // gravity and drag while coasting
    const double tc = vb / decel;
    const double ts = tl - e.boostTime;
    if (ts <= tc) return hb + vb * ts - 0.5 * decel * ts * ts;
    const double apogee = hb + vb * tc - 0.5 * decel * tc * tc;
    // Under the parachute: from rest towards the descent rate with a 1.5 s time constant.
    const double td = ts - tc;
    const double tau = 1.5;
    const double h = apogee - e.descentRate * (td - tau * (1.0 - std::exp(-td / tau)));
    return std::max(h, 0.0);
  }
  double LandingTime() const {
    double t = e.groundBefore + e.boostTime + 0.5;
    while (Altitude(t) > 0.0) t += 0.01;
    return t;
  }
};

// International standard atmosphere, hPa at z metres above sea level.
double StandardPressure(double z) {
  return 1013.25 * std::pow(1.0 - 2.25577e-5 * z, 5.25588);
}

// The sensor: p = (v / 3 + 0.095) * 10000 / 9 with v = 3.0 - s * 2.048 / fullScale, inverted.
double RawOfPressure(double p, double fullScale) {
  const double v = (p * 9.0 / 10000.0 - 0.095) * 3.0;
  return (3.0 - v) * fullScale / 2.048;
}

std::vector<std::uint8_t> BuildFlight(const ExampleFlight& e) {
  const SamplingCode& sampling = SamplingForCode(e.code);
  const double rate = sampling.TimeLabelStep / 10.0;  // samples per second
  const FlightModel model{e};
  int samples = static_cast<int>(std::ceil((model.LandingTime() + e.groundAfter) * rate));
  if (e.exactBytes > 0) samples = (e.exactBytes - FlightHeaderSize) / 2 - 1;  // room for the marker

  std::vector<std::uint8_t> b(FlightHeaderSize, 0);
  b[2] = static_cast<std::uint8_t>(e.competitor);
  b[3] = e.serial & 0xFF;
  b[4] = (e.serial >> 8) & 0xFF;
  b[5] = e.temperature & 0xFF;
  b[6] = (e.temperature >> 8) & 0xFF;
  b[7] = static_cast<std::uint8_t>(e.code);
  b[8] = e.calibration & 0xFF;
  b[9] = (e.calibration >> 8) & 0xFF;

  std::uint32_t state = e.seed;
  auto uniform = [&state] {  // [-0.5, 0.5), a small linear congruential generator
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0 - 0.5;
  };
  const int maxRaw = sampling.SampleMask - 1;  // the mask itself is the end marker
  int held = 0;
  for (int k = 0; k < samples; ++k) {
    int raw = held;
    if (k % e.hold == 0) {
      const double h = model.Altitude(k / rate);
      const double exact =
          RawOfPressure(StandardPressure(e.groundAsl + h), sampling.SampleFullScale);
      raw = static_cast<int>(std::lround(exact + e.noise * uniform()));
      held = raw;
    }
    if (k == e.spikeAt) raw += e.spikeCounts;
    if (k == e.spikeAt + 7) raw -= e.spikeCounts / 3;  // a smaller one the other way
    raw = std::clamp(raw, 0, maxRaw);
    b.push_back(static_cast<std::uint8_t>(raw & 0xFF));
    b.push_back(static_cast<std::uint8_t>(raw >> 8));
  }
  b.push_back(0xFF);
  b.push_back(0xFF);
  b.insert(b.end(), static_cast<std::size_t>(e.trailingBytes), 0xFF);
  return b;
}

int WriteExamples(const QString& folder, QTextStream& out, QTextStream& err) {
  const QDir dir(folder);
  if (!dir.exists()) {
    err << "hypsor-make-examples: no such folder: " << folder << '\n';
    return cli::ExitFile;
  }
  for (const ExampleFlight& e : kExamples) {
    const std::vector<std::uint8_t> bytes = BuildFlight(e);
    const QString path = dir.filePath(QString::fromLatin1(e.file));
    Failure error;
    if (!SaveFlightFile(path, bytes, &error)) {
      err << "hypsor-make-examples: " << FailureText(error, kEnglish) << '\n';
      return cli::ExitFile;
    }
    out << path << ": " << bytes.size() << " bytes\n";
  }
  return cli::ExitOk;
}

}  // namespace

}  // namespace hypsor

int main(int argc, char** argv) {
  const QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  const QStringList args = app.arguments();
  if (args.size() != 2) {
    err << "usage: hypsor-make-examples DIR\n";
    return hypsor::cli::ExitUsage;
  }
  return hypsor::WriteExamples(args[1], out, err);
}
