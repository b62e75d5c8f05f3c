// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/FlightRecord.h"

#include <QFileInfo>

#include <algorithm>

#include "contest/ContestNames.h"
#include "files/FileDigest.h"
#include "flight/Decode.h"
#include "flight/Filters.h"
#include "flight/FlightStatistics.h"

namespace hypsor {

bool RecordFromBytes(std::span<const std::uint8_t> head, bool tailHasEndMarker,
                     FlightRecord& record, FilterTables& work) {
  Flight flight;
  if (!SetFlightBytes(flight, head.first(std::min<std::size_t>(head.size(), FileReadCap))))
    return false;
  ApplyFlightHeader(flight);
  record.competitor = flight.competitor;
  record.serial = flight.serial;
  record.complete = tailHasEndMarker;

  // As the window decodes a flight just opened: the header's temperature, the panel's maximum.
  const DecodedFlight d = DecodeFlight(flight, flight.SampleCount, DecodeOptions{true, false});
  record.apogeeM = d.MaxAltitude;
  const FlightStatistics s =
      ComputeStatistics(d.AltitudeTable, d.tableCount, flight.TimeLabelStep, d.MaxAltitude);
  record.timeToApogeeS.reset();
  if (s.launched) record.timeToApogeeS = s.timeToApogeeS;
  record.filteredApogeeM.reset();
  if (flight.SampleCount >= static_cast<std::uint32_t>(FilterMinimumSamples)) {
    const FilterOutput f = RunFilterChain(d.AltitudeTable, d.tableCount, FilterParams{}, work);
    if (f.ran) record.filteredApogeeM = static_cast<float>(f.maxDm * 0.1);
  }
  return true;
}

bool ReadFlightRecord(const QString& path, FlightRecord& record, FilterTables& work,
                      QString* error) {
  FileDigest digest;
  const ReadOpenResult r = DigestFile(path, FileReadCap, EndMarkerWindow, digest);
  if (r.status != ReadOpenStatus::Ok) {
    if (error) *error = r.error;
    return false;
  }
  auto bytes = [](const QByteArray& b) {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                         static_cast<std::size_t>(b.size()));
  };
  if (!RecordFromBytes(bytes(digest.head), EndMarkerInTail(bytes(digest.tail)), record, work)) {
    if (error)
      *error =
          QStringLiteral("File %1 is too short for a flight (%2 bytes)").arg(path).arg(digest.size);
    return false;
  }
  const QFileInfo info(path);
  record.file = info.fileName();
  record.sha256 = digest.sha256;
  record.downloaded = ContestFileTime(record.file).value_or(info.lastModified());
  return true;
}

}  // namespace hypsor
