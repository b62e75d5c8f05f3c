// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/FlightRecord.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include "contest/ContestNames.h"
#include "files/FileDigest.h"
#include "flight/Decode.h"
#include "flight/Filters.h"
#include "flight/FlightQuality.h"
#include "flight/FlightStatistics.h"

namespace hypsor {

namespace {

const char* const kReasonCodes[FlightReasonCount] = {
    "changed",    "missing",          "not-in-log", "name-header-mismatch", "incomplete",
    "broken-chain", "results-disagree", "late",       "no-log"};

}  // namespace

QString ReasonCode(FlightReason reason) {
  for (int k = 0; k < FlightReasonCount; ++k)
    if (reason == (1u << k)) return QString::fromLatin1(kReasonCodes[k]);
  return {};
}

QString StatusText(unsigned reasons) {
  if (reasons == 0) return QStringLiteral("valid");
  QStringList codes;
  for (int k = 0; k < FlightReasonCount; ++k)
    if (reasons & (1u << k)) codes << QString::fromLatin1(kReasonCodes[k]);
  return codes.join(QLatin1Char(';'));
}

bool ParseStatus(const QString& text, unsigned& reasons) {
  unsigned r = 0;
  if (text != QLatin1String("valid")) {
    for (const QString& code : text.split(QLatin1Char(';'))) {
      int k = 0;
      while (k < FlightReasonCount && code != QLatin1String(kReasonCodes[k])) ++k;
      if (k == FlightReasonCount) return false;
      r |= 1u << k;
    }
  }
  reasons = r;
  return true;
}

FlightLevel LevelOf(unsigned reasons) {
  if (reasons & (ReasonChanged | ReasonMissing | ReasonNotInLog | ReasonBrokenChain))
    return FlightLevel::Invalid;
  return reasons ? FlightLevel::Warning : FlightLevel::Valid;
}

QString LevelCode(FlightLevel level) {
  switch (level) {
    case FlightLevel::Valid: return QStringLiteral("valid");
    case FlightLevel::Warning: return QStringLiteral("warning");
    case FlightLevel::Invalid: break;
  }
  return QStringLiteral("invalid");
}

bool Rankable(unsigned reasons) {
  return LevelOf(reasons) != FlightLevel::Invalid &&
         !(reasons & (ReasonIncomplete | ReasonNameHeader));
}

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
  record.qualityFlags.clear();
  const FlightQuality quality = AssessFlight(flight, d, FilterParams{}, work);
  for (const QualityFlag& q : quality.flags)
    record.qualityFlags << QLatin1String(QualityCodeName(q.code));
  record.supportedApogeeM.reset();
  if (quality.apogee.valid) {
    record.supportedApogeeM = quality.apogee.supportedM;
    record.supportedApogeeS = quality.apogee.supportedS;
    record.supportedApogeeSample = quality.apogee.supportedIndex;
  }
  return true;
}

bool ReadFlightRecord(const QString& path, FlightRecord& record, FilterTables& work,
                      Failure* error) {
  FileDigest digest;
  const ReadOpenResult r = DigestFile(path, FileReadCap, EndMarkerWindow, digest);
  if (r.status != ReadOpenStatus::Ok) {
    return Fail(error, r.failure);
  }
  auto bytes = [](const QByteArray& b) {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                         static_cast<std::size_t>(b.size()));
  };
  if (!RecordFromBytes(bytes(digest.head), EndMarkerInTail(bytes(digest.tail)), record, work)) {
    Failure tooShort = Failure::Of(FailureKind::FlightTooShort, path);
    tooShort.number = digest.size;
    return Fail(error, std::move(tooShort));
  }
  const QFileInfo info(path);
  record.file = info.fileName();
  record.sha256 = digest.sha256;
  record.downloaded = ContestFileTime(record.file).value_or(info.lastModified());
  return true;
}

}  // namespace hypsor
