// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "platform/Failure.h"

namespace hypsor {

struct FilterTables;

// Why a flight of a contest folder is not simply valid: a set of these.
enum FlightReason : unsigned {
  ReasonChanged = 1u << 0,       // the file is not what its record says was kept
  ReasonMissing = 1u << 1,       // a record whose file is gone
  ReasonNotInLog = 1u << 2,      // a flight file the folder's log does not record
  ReasonNameHeader = 1u << 3,    // the name's competitor or serial is not the header's
  ReasonIncomplete = 1u << 4,    // no end marker
  ReasonBrokenChain = 1u << 5,   // its record does not follow the log's line before
  ReasonResults = 1u << 6,       // results.csv disagrees with the files and the log
  ReasonLate = 1u << 7,          // recorded after its download (by a later keep or a rebuild)
  ReasonNoLog = 1u << 8,         // a folder without a log: nothing is recorded
};
inline constexpr int FlightReasonCount = 9;
enum class FlightLevel { Valid, Warning, Invalid };

// "valid", or the reasons' codes joined by ';' (changed;results-disagree), and back (false for
// an unknown code).
QString StatusText(unsigned reasons);
bool ParseStatus(const QString& text, unsigned& reasons);
QString ReasonCode(FlightReason reason);
FlightLevel LevelOf(unsigned reasons);
QString LevelCode(FlightLevel level);  // valid, warning, invalid
// Whether a flight with these reasons is ranked by default: its file is what was kept, whole,
// and named after its header.
bool Rankable(unsigned reasons);

// What the results table says about one flight file of a contest folder. Every value is derived
// from the file's bytes (and, for `downloaded`, its name), so the table can always be rebuilt.
struct FlightRecord {
  int flight = 0;  // the flight's number in the folder, in the order of download
  unsigned competitor = 0;
  unsigned serial = 0;
  QDateTime downloaded;                  // local time
  std::optional<float> apogeeM;          // the maximum as the flight's panel shows it
  std::optional<float> filteredApogeeM;  // the maximum after the default filter (32+ samples)
  std::optional<double> timeToApogeeS;   // from the launch; none when the flight never launched
  bool complete = false;                 // the bytes end in the end marker
  QString file;                          // the name in the folder
  QString sha256;                        // as recorded at download; else of the file as stored
  unsigned reasons = 0;                  // FlightReason set; 0 is valid
  QString recordSha256;                  // of its line in the log; empty when not recorded
  // The codes of the flight's data-quality flags with the default filter ("spike"). Derived
  // from the bytes for reports; results.csv does not hold them.
  QStringList qualityFlags;
  // The apogee the data support, with its time and sample (FlightQuality); for reports too.
  std::optional<float> supportedApogeeM;
  double supportedApogeeS = 0.0;
  int supportedApogeeSample = 0;
};

// The record of a flight from its stored bytes: head is what a flight file read takes (at most
// the first 9000 bytes), tailHasEndMarker says whether the whole file ends in the end marker.
// Returns false when head is shorter than a header. work holds the filter's tables (large; one
// is reused across many records).
bool RecordFromBytes(std::span<const std::uint8_t> head, bool tailHasEndMarker,
                     FlightRecord& record, FilterTables& work);

// Reads a flight file into a record (file, sha256, the values); `downloaded` comes from a
// contest file name (see ContestFileTime) or else the file's modification time. flight stays 0.
// False with *error naming the file when it cannot be read or is too short.
bool ReadFlightRecord(const QString& path, FlightRecord& record, FilterTables& work,
                      Failure* error);

}  // namespace hypsor
