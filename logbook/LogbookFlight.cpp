// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/LogbookFlight.h"

#include <QFileInfo>

#include <cmath>
#include <span>

#include "contest/ContestNames.h"
#include "contest/FlightRecord.h"
#include "files/FileDigest.h"
#include "flight/FlightData.h"

namespace hypsor {

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& b) {
  return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

// Metres and seconds as the program shows them (one and two decimals), so that what is stored,
// listed and exported is what the window shows.
std::optional<double> Rounded(std::optional<double> v, double scale) {
  if (!v) return std::nullopt;
  return std::round(*v * scale) / scale;
}

}  // namespace

bool ReadLogbookFlight(const QString& path, LogbookFlight& flight, FilterTables& work,
                       Failure* error) {
  FileDigest digest;
  const ReadOpenResult r = DigestFile(path, FileReadCap, EndMarkerWindow, digest);
  if (r.status != ReadOpenStatus::Ok) return Fail(error, r.failure);
  Flight header;
  if (!SetFlightBytes(header, Bytes(digest.head))) {
    Failure tooShort = Failure::Of(FailureKind::FlightTooShort, path);
    tooShort.number = digest.size;
    return Fail(error, std::move(tooShort));
  }
  ApplyFlightHeader(header);
  if (SamplingForCode(header.samplingCode).text[0] == '\0') {
    Failure f = Failure::Of(FailureKind::LogbookSampling, path);
    f.number = header.samplingCode;
    return Fail(error, std::move(f));
  }
  if (header.SampleCount == 0 || EndMarkerOffset(Bytes(digest.head)) == FlightHeaderSize)
    return Fail(error, Failure::Of(FailureKind::LogbookNoSamples, path));

  FlightRecord record;
  RecordFromBytes(Bytes(digest.head), EndMarkerInTail(Bytes(digest.tail)), record, work);
  const QFileInfo info(path);
  flight.sha256 = digest.sha256;
  flight.path = info.absoluteFilePath();
  flight.date = ContestFileTime(info.fileName()).value_or(info.lastModified());
  flight.competitor = record.competitor;
  flight.serial = record.serial;
  flight.samplingHz = header.TimeLabelStep / 10.0;
  flight.temperatureC = static_cast<int>(header.temperature);
  flight.apogeeM = Rounded(record.apogeeM, 10);
  flight.filteredApogeeM = Rounded(record.filteredApogeeM, 10);
  flight.supportedApogeeM = Rounded(record.supportedApogeeM, 10);
  flight.timeToApogeeS = Rounded(record.timeToApogeeS, 100);
  flight.flags = record.qualityFlags;
  return true;
}

}  // namespace hypsor
