// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes as a flight file (LoadFlightFile reads at most 9000) and as a download
// (SetFlightBytes takes up to 20000), decoded with every option; the results must keep the
// table's shape whatever the input.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <span>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "fuzz/FuzzCheck.h"

namespace {

using hypsor::fuzz::Check;

void DecodeAndCheck(const hypsor::Flight& f, std::uint32_t count) {
  for (bool accel : {false, true}) {
    const hypsor::DecodedFlight d =
        hypsor::DecodeFlight(f, count, hypsor::DecodeOptions{true, accel});
    Check(d.tableCount >= 0 && d.tableCount < hypsor::AltitudeTableSize);
    Check(d.AltitudeTable[static_cast<std::size_t>(d.tableCount)] == hypsor::AltitudeEndMarker);
    Check(d.altitude.size() == static_cast<std::size_t>(d.tableCount));
    Check(d.labelSeconds.size() == d.altitude.size());
    Check(d.acceleration.size() == (accel ? d.altitude.size() : 0u));
    Check(d.ReadPosition <= hypsor::RxBufferSize);
    Check(d.ReadPosition <= f.FlightByteCount || d.tableCount == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const QString path = QDir(dir.path()).filePath(QStringLiteral("fuzz.hyp"));

  // As a file.
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    hypsor::Flight f;
    const hypsor::FlightFileResult r = hypsor::LoadFlightFile(path, f);
    if (size < 32) {
      Check(r.status == hypsor::FlightFileStatus::TooShort);
      Check(f.FlightByteCount == 0);
    } else {
      Check(r.status == hypsor::FlightFileStatus::Ok);
      Check(f.FlightByteCount == static_cast<std::int32_t>(size < 9000 ? size : 9000));
      DecodeAndCheck(f, f.SampleCount);
    }
  }
  // As a download of up to 20000 bytes, with a temperature typed in and an oversized count.
  {
    hypsor::Flight f;
    if (hypsor::SetFlightBytes(f, std::span<const std::uint8_t>(data, size))) {
      hypsor::ApplyFlightHeader(f);
      f.GroundTemperature =
          static_cast<float>(static_cast<int>(data[10] | (data[11] << 8)) % 1100 - 100);
      DecodeAndCheck(f, f.SampleCount);
      DecodeAndCheck(f, 0xFFFFFFFFu);
    }
  }
  return 0;
}
